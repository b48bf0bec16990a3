// What the tool bar's buttons ask of the main window: each button's command is the main window's.
#ifndef PARLAVOX_GUI_TOOLBARCOMMANDS_H
#define PARLAVOX_GUI_TOOLBARCOMMANDS_H

class wxCommandEvent;

class ToolBarCommands {
 public:
  virtual ~ToolBarCommands() {}
  virtual void OnSwitchChatRooms() = 0;
  // Disconnects when connected, else connects as the main window's Connect(flag) does.
  virtual void OnSwitchConnection(bool flag) = 0;
  virtual void OnSwitchWebSitesManager() = 0;
  virtual void OnSwitchContactsManager() = 0;
  virtual void OnSwitchPreferences() = 0;
  virtual void OnSwitchFiles() = 0;
  virtual void OnAbout(wxCommandEvent& event) = 0;
  virtual void OnQuit(wxCommandEvent& event) = 0;
};

#endif
