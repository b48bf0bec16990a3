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

 private:
  bool m_firstFill;
};

#endif
