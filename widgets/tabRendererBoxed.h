// The "Boxed" look: flat tabs on a light strip; the selected tab is a raised box.
#ifndef PARLAVOX_WIDGETS_TABRENDERERBOXED_H
#define PARLAVOX_WIDGETS_TABRENDERERBOXED_H

#include "widgets/tabRenderer.h"

class TabRendererBoxed : public TabRenderer {
 public:
  void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex, const int& tabWidth,
               const int& tabHeight, int xButtonStatus) override;
};

#endif
