// What the preferences window asks of the main window once new settings are saved: keeping the
// main window and the chat rooms above other windows, or not.
#ifndef PARLAVOX_GUI_PREFERENCESHOST_H
#define PARLAVOX_GUI_PREFERENCESHOST_H

class PreferencesHost {
 public:
  virtual ~PreferencesHost() {}
  virtual void SetAlwaysTopStatus(bool on) = 0;
};

#endif
