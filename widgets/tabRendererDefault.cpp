#include "widgets/tabRendererDefault.h"

#include <wx/settings.h>

#include <cmath>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

void TabRendererDefault::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                                 const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const int H = tabHeight;
  const double t = std::tan(info.GetTabAngle() / 180.0 * M_PI);

  wxPoint p[7];
  p[0] = wxPoint(x, bottom ? 2 : H - 2);
  p[1] = wxPoint(static_cast<int>(t * (H - 2) + x), bottom ? H - 6 : 6);
  p[2] = wxPoint(p[1].x + 2, bottom ? H - 4 : 4);
  p[3] = wxPoint(static_cast<int>(-t * (H - 2) + (x + tabWidth)) - 2, bottom ? H - 4 : 4);
  p[4] = wxPoint(p[3].x + 2, bottom ? H - 6 : 6);
  p[5] = wxPoint(static_cast<int>(t * (H - 2) + p[4].x), bottom ? 2 : H - 2);
  p[6] = p[0];

  if (selected) {
    dc.DrawPolygon(7, p, 0, 0, wxODDEVEN_RULE);
    wxPen kept = dc.GetPen();
    dc.SetPen(*wxWHITE_PEN);
    dc.DrawLine(p[0], wxPoint(p[5].x + 1, p[5].y));
    dc.SetPen(kept);
  } else if (tabIndex != pc->GetSelection() - 1) {
    if (bottom)
      dc.DrawLine(p[5].x, 4, p[5].x, H - 4);
    else
      dc.DrawLine(p[5].x, H - 6, p[5].x, 4);
  }

  const int padding = pc->GetNotebook()->GetTabPadding();
  const int shapePoints = static_cast<int>(H * t);
  const bool hasImage = pc->TabHasImage(tabIndex);
  const int y = bottom ? 6 : 10;
  int textOffset = hasImage ? 2 * padding + 16 + shapePoints / 2 : padding + shapePoints / 2;
  textOffset += 2;
  if (!selected) dc.SetTextForeground(pc->GetNonActiveTabTextColour());
  if (hasImage) {
    int index = info.GetImageIndex();
    TabImageList* list = pc->GetImageList();
    if (index >= 0 && index < static_cast<int>(list->GetCount()) && (*list)[index].IsOk())
      dc.DrawBitmap((*list)[index], x + textOffset - 16 - padding, y, true);
  }
  dc.DrawText(info.GetCaption(), x + textOffset, y);

  if (pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) && selected) {
    wxCoord w = 0, h = 0;
    dc.GetTextExtent(info.GetCaption(), &w, &h);
    wxRect rect(x + textOffset + w + 1, y, 16, 16);
    DrawActiveTabCloseButton(pc, dc, rect, tabIndex, xButtonStatus);
  }
}
