// The "Slanted" look: tabs slanted on their left, overlapping their right-hand neighbour, filled
// row by row with a gradient and drawn right to left with the selected tab on top.
#ifndef PARLAVOX_WIDGETS_TABRENDERERSLANTED_H
#define PARLAVOX_WIDGETS_TABRENDERERSLANTED_H

#include "widgets/tabRenderer.h"

class TabRendererSlanted : public TabRenderer {
 public:
  TabRendererSlanted();

  void DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event) override;
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;
  // As the shared fitting, keeping H + 10 more pixels free for the slant of the last tab.
  void CountTabsThatFit(TabStrip* pc, std::vector<wxRect>& out, int first) override;

  // Fills the tab inside its outline, one row at a time.
  void FillTabGradient(TabStrip* pc, wxDC& dc, const wxPoint* points, bool selected,
                       int tabIndex);

  // The eight points of a tab's outline (the last closes it) at x, W wide and H high.
  static void Outline(int x, int W, int H, bool bottom, wxPoint* points);

  // Whether this renderer has not filled a tab yet (its first fill sets the strip's gradient).
  bool IsFirstFill() const { return m_firstFill; }

 protected:
  // A right-hand neighbour drawn over a tab (the selected one is) covers the lower right of the
  // tab with its slanted edge: a long caption makes its tab wider by what keeps it clear of that.
  int CaptionClearance(TabStrip* pc, int tabHeight) override;
  // The last tab's slant reaches H - 3 pixels past its width.
  int FitReserve(TabStrip* pc, int tabHeight) override { return tabHeight + 10; }

 private:
  bool m_firstFill;
};

#endif
