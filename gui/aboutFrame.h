// The about box.
#ifndef PARLAVOX_GUI_ABOUTFRAME_H
#define PARLAVOX_GUI_ABOUTFRAME_H

#include "widgets/myMiniFrame.h"

class Manager;

class AboutFrame : public MyMiniFrame {
 public:
  AboutFrame(wxWindow* parent);

};

#endif
