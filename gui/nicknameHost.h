// What the nickname panel asks of the main window: the presence the user chose shown everywhere
// the main window shows it (the tray icon too), and a new avatar picked.
#ifndef PARLAVOX_GUI_NICKNAMEHOST_H
#define PARLAVOX_GUI_NICKNAMEHOST_H

#include "model/contactInfo.h"

class NicknameHost {
 public:
  virtual ~NicknameHost() {}
  virtual void ChangeStatus(t_status status, bool show) = 0;
  virtual void UpdateAvatar() = 0;
};

#endif
