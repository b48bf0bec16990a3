#include "widgets/tabRendererDefault.h"

#include <cmath>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

void TabRendererDefault::Outline(int x, int w, int H, unsigned int angle, bool bottom,
                                 wxPoint* p) {
  const double t = std::tan(angle / 180.0 * M_PI);
  p[0] = wxPoint(x, bottom ? 2 : H - 2);
  p[1] = wxPoint(static_cast<int>(t * (H - 2) + x), bottom ? H - 6 : 6);
  p[2] = wxPoint(p[1].x + 2, bottom ? H - 4 : 4);
  p[3] = wxPoint(static_cast<int>(-t * (H - 2) + (x + w)) - 2, bottom ? H - 4 : 4);
  p[4] = wxPoint(p[3].x + 2, bottom ? H - 6 : 6);
  p[5] = wxPoint(static_cast<int>(t * (H - 2) + p[4].x), bottom ? 2 : H - 2);
  p[6] = p[0];
}

void TabRendererDefault::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                                 const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const int H = tabHeight;

  wxPoint p[7];
  Outline(x, tabWidth, H, info.GetTabAngle(), bottom, p);

  if (selected) {
    // Outline in the border pen, filled with the active tab colour (both set by the caller).
    dc.DrawPolygon(7, p, 0, 0, wxODDEVEN_RULE);
  } else if (tabIndex != pc->GetSelection() - 1) {
    // A separator, except left of the selected tab.
    if (bottom)
      dc.DrawLine(p[5].x, 4, p[5].x, H - 4);
    else
      dc.DrawLine(p[5].x, H - 6, p[5].x, 4);
  }
  if (selected) {
    // Opens the selected tab towards its page.
    const wxPen kept = dc.GetPen();
    dc.SetPen(wxPen(*wxWHITE, 1, wxPENSTYLE_SOLID));
    dc.DrawLine(p[0], wxPoint(p[5].x + 1, p[5].y));
    dc.SetPen(kept);
  }

  const int padding = pc->GetNotebook()->GetTabPadding();
  const int shapePoints = static_cast<int>(H * std::tan(info.GetTabAngle() / 180.0 * M_PI));
  const int y = bottom ? 6 : 10;
  int textOffset = pc->TabHasImage(tabIndex) ? 2 * padding + 16 + shapePoints / 2
                                             : padding + shapePoints / 2;
  textOffset += 2;
  DrawTabContents(pc, dc, x, tabIndex, textOffset, y, xButtonStatus, true);
}
