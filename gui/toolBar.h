// The main window's row of buttons.
#ifndef PARLAVOX_GUI_TOOLBAR_H
#define PARLAVOX_GUI_TOOLBAR_H

#include "gui/callRecord.h"
#include <wx/panel.h>

class Manager;

class ToolBar : public wxPanel, public CallRecord {
 public:
  ToolBar(Manager* manager, wxWindow* parent);

  void BlinkContactsManager(int count);
  void SetChatRoomsCount(int count);
  void ShowChatRoomsButton(bool show);

 private:
  Manager* m_manager;
};

#endif
