// The program's icon in the system tray, where the desktop has one.
#ifndef PARLAVOX_GUI_MYTASKBAR_H
#define PARLAVOX_GUI_MYTASKBAR_H

#include <wx/taskbar.h>

class MainFrame;

class MyTaskBar : public wxTaskBarIcon {
 public:
  explicit MyTaskBar(MainFrame* mainWindow);

 private:
  MainFrame* m_mainWindow;
};

#endif
