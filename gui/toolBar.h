// The main window's row of buttons.
#ifndef PARLAVOX_GUI_TOOLBAR_H
#define PARLAVOX_GUI_TOOLBAR_H

#include <wx/panel.h>

class Manager;

class ToolBar : public wxPanel {
 public:
  ToolBar(Manager* manager, wxWindow* parent);

 private:
  Manager* m_manager;
};

#endif
