// The user's nickname, mood and presence at the top of the main window.
#ifndef PARLAVOX_GUI_NICKNAMEPANEL_H
#define PARLAVOX_GUI_NICKNAMEPANEL_H

#include <wx/panel.h>

class Manager;

class NicknamePanel : public wxPanel {
 public:
  NicknamePanel(Manager* manager, wxWindow* parent);

 private:
  Manager* m_manager;
};

#endif
