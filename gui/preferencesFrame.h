// The preferences window.
#ifndef PARLAVOX_GUI_PREFERENCESFRAME_H
#define PARLAVOX_GUI_PREFERENCESFRAME_H

#include "widgets/myMiniFrame.h"

class Manager;

class PreferencesFrame : public MyMiniFrame {
 public:
  PreferencesFrame(wxWindow* parent, Manager* manager);

 private:
  Manager* m_manager;
};

#endif
