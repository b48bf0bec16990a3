// The default look: bevelled tabs, only the selected one outlined and filled.
#ifndef PARLAVOX_WIDGETS_TABRENDERERDEFAULT_H
#define PARLAVOX_WIDGETS_TABRENDERERDEFAULT_H

#include "widgets/tabRenderer.h"

class TabRendererDefault : public TabRenderer {
 public:
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;
};

#endif
