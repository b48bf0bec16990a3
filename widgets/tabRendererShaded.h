// The "Shaded Tabs" look: the selected tab is filled with a vertical gradient.
#ifndef PARLAVOX_WIDGETS_TABRENDERERSHADED_H
#define PARLAVOX_WIDGETS_TABRENDERERSHADED_H

#include "widgets/tabRenderer.h"

class TabRendererShaded : public TabRenderer {
 public:
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;
};

#endif
