// The program's icon in the system tray, where the desktop has one.
#ifndef PARLAVOX_GUI_MYTASKBAR_H
#define PARLAVOX_GUI_MYTASKBAR_H

#include "gui/callRecord.h"
#include "model/contactInfo.h"
#include <wx/taskbar.h>

class MainFrame;

class MyTaskBar : public wxTaskBarIcon, public CallRecord {
 public:
  explicit MyTaskBar(MainFrame* mainWindow);

  void SetStatus(t_status status);

 private:
  MainFrame* m_mainWindow;
};

#endif
