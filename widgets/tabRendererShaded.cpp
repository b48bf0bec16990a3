#include "widgets/tabRendererShaded.h"

#include <wx/settings.h>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

void TabRendererShaded::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                                const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const int W = tabWidth;
  const int H = tabHeight;
  const wxPen borderPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), 1, wxPENSTYLE_SOLID);

  if (selected) {
    const wxRect r(x, bottom ? 2 : 4, W, H - 5);
    // The "from" colour lies on the side that touches the pages.
    if (bottom)
      FillGradientBox(dc, r, pc->GetGradientColourFrom(), pc->GetGradientColourTo(), true);
    else
      FillGradientBox(dc, r, pc->GetGradientColourTo(), pc->GetGradientColourFrom(), true);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(pc->GetBorderColour(), 1, wxPENSTYLE_SOLID));
    dc.DrawRectangle(r);
    dc.SetPen(wxPen(pc->GetGradientColourFrom(), 1, wxPENSTYLE_SOLID));
    if (bottom)
      dc.DrawLine(r.x, 2, r.x + r.width, 2);
    else
      dc.DrawLine(r.x, r.y + r.height - 1, r.x + r.width, r.y + r.height - 1);
  } else {
    dc.SetPen(borderPen);
    dc.DrawLine(x + W, 7, x + W, H - 4);
  }

  const int padding = pc->GetNotebook()->GetTabPadding();
  const int textOffset = pc->TabHasImage(tabIndex) ? 2 * padding + 16 : padding;
  DrawTabContents(pc, dc, x, tabIndex, textOffset, bottom ? 6 : 10, xButtonStatus, true);
}
