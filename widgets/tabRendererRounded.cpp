#include "widgets/tabRendererRounded.h"

#include <wx/settings.h>

#include <cmath>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

void TabRendererRounded::Outline(int x, int W, int H, bool bottom, wxPoint* p) {
  p[0] = wxPoint(x + 2, bottom ? 2 : H - 2);
  p[1] = wxPoint(x + 2, bottom ? H - 6 : 6);
  p[2] = wxPoint(x + 4, bottom ? H - 4 : 4);
  p[3] = wxPoint(x + W - 2, bottom ? H - 4 : 4);
  p[4] = wxPoint(x + W, bottom ? H - 6 : 6);
  p[5] = wxPoint(x + W, bottom ? 2 : H - 2);
  p[6] = p[0];
}

wxRect TabRendererRounded::FillBox(int x, int W, int H, bool bottom) {
  return wxRect(x + 4, bottom ? 2 : 4, W - 3, H - 5);
}

void TabRendererRounded::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                                 const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const bool upperTabs = !bottom;
  const int H = tabHeight;

  wxPoint p[7];
  Outline(x, tabWidth, H, bottom, p);
  FillTwoToneBox(dc, FillBox(x, tabWidth, H, bottom), selected, upperTabs);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), 1, wxPENSTYLE_SOLID));
  dc.DrawPolygon(7, p, 0, 0, wxODDEVEN_RULE);

  const int s = static_cast<int>(std::tan(info.GetTabAngle() * M_PI / 180.0) * H);
  const int padding = pc->GetNotebook()->GetTabPadding();
  const int textOffset =
      (pc->TabHasImage(tabIndex) ? 2 * padding + 16 + s / 2 : padding + s / 2) + 2;
  DrawTabContents(pc, dc, x, tabIndex, textOffset, bottom ? 6 : 10, xButtonStatus, true);
}
