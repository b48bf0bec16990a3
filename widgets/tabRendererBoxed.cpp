#include "widgets/tabRendererBoxed.h"

#include <wx/settings.h>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

void TabRendererBoxed::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                               const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const int W = tabWidth;
  const int H = tabHeight;
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxPen borderPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), 1, wxPENSTYLE_SOLID);
  const wxPen whitePen(*wxWHITE, 1, wxPENSTYLE_SOLID);
  const wxPen blackPen(*wxBLACK, 1, wxPENSTYLE_SOLID);

  dc.SetPen(selected ? wxPen(face, 1, wxPENSTYLE_SOLID) : borderPen);
  dc.SetBrush(selected ? wxBrush(face) : wxBrush(wxColour(247, 243, 233)));

  if (selected) {
    const int top = bottom ? 0 : 4;
    const int h = bottom ? H - 5 : H - 3;
    dc.DrawRectangle(x, top, W, h);
    // Right edge dark; the edge away from the page light on top tabs, dark on bottom tabs.
    dc.SetPen(blackPen);
    dc.DrawLine(x + W, 4, x + W, h);
    const int e = bottom ? h : 4;
    dc.SetPen(bottom ? blackPen : whitePen);
    dc.DrawLine(x, e, x + W + 1, e);
    dc.SetPen(whitePen);
    dc.DrawLine(x, 4, x, bottom ? h : h + 1);
  } else {
    const int s = bottom ? 6 : 5;
    dc.SetPen(borderPen);
    dc.DrawLine(x + W, s, x + W, pc->GetClientSize().GetHeight() - 5);
  }

  const int padding = pc->GetNotebook()->GetTabPadding();
  const int textOffset = pc->TabHasImage(tabIndex) ? 2 * padding + 16 : padding;
  DrawTabContents(pc, dc, x, tabIndex, textOffset, bottom ? 5 : 8, xButtonStatus, true);
}
