// The default look: bevelled tabs whose sides follow the page's tab angle; only the selected
// one is outlined and filled, the others are parted by short lines.
#ifndef PARLAVOX_WIDGETS_TABRENDERERDEFAULT_H
#define PARLAVOX_WIDGETS_TABRENDERERDEFAULT_H

#include "widgets/tabRenderer.h"

class TabRendererDefault : public TabRenderer {
 public:
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;

  // The seven points of a tab's outline (the last closes it) at x, w wide and H high.
  static void Outline(int x, int w, int H, unsigned int angle, bool bottom, wxPoint* points);
};

#endif
