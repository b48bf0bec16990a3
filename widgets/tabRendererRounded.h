// The "Rounded" look: tabs with two cut corners away from the pages, filled in two tones.
#ifndef PARLAVOX_WIDGETS_TABRENDERERROUNDED_H
#define PARLAVOX_WIDGETS_TABRENDERERROUNDED_H

#include "widgets/tabRenderer.h"

class TabRendererRounded : public TabRenderer {
 public:
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;

  // The seven points of a tab's outline (the last closes it) at x, W wide and H high.
  static void Outline(int x, int W, int H, bool bottom, wxPoint* points);
  // The area inside the outline that the two-tone fill covers.
  static wxRect FillBox(int x, int W, int H, bool bottom);
};

#endif
