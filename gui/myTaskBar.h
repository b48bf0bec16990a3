// The program's icon in the desktop's tray: its picture and tooltip show the connection and the
// user's presence, its menu gives the main commands, and a double-click brings the main window
// back. Every command is carried out by the main window. Where the desktop has no tray the icon
// is never seen; the main window then iconises itself instead of hiding (see mainFrameClose.cpp).
#ifndef PARLAVOX_GUI_MYTASKBAR_H
#define PARLAVOX_GUI_MYTASKBAR_H

#include <wx/taskbar.h>

#include <string>

#include "model/contactInfo.h"

class MainFrame;
class wxMenuItem;

class MyTaskBar : public wxTaskBarIcon {
 public:
  explicit MyTaskBar(MainFrame* mainWindow);

  // The presence to show; -1 when not connected.
  void SetStatus(t_status status);
  // Only remembered: the next menu enables its entries from it.
  void SetConnectionStatus(bool connected);
  // Shows the picture and tooltip of the current status.
  void ChangeStatus();

  // The icon file and tooltip shown last.
  const std::string& GetIconFile() const { return m_iconFile; }
  const wxString& GetToolTip() const { return m_toolTip; }

  // Menu command ids.
  enum {
    ID_OPEN = wxID_HIGHEST + 301,
    ID_CONNECT,
    ID_DISCONNECT,
    ID_OFFLINE,
    ID_ONLINE,
    ID_NOACTIVITY,
    ID_AWAY,
    ID_BUSY,
    ID_PREFERENCES,
    ID_QUIT,
  };

  // The menu of a right click, built afresh each time; the caller owns it.
  wxMenu* CreatePopupMenu() override;

 private:
  void ShowMainWindow();
  void OnOpenMainFrame(wxCommandEvent& event);
  void OnConnect(wxCommandEvent& event);
  void OnDisconnect(wxCommandEvent& event);
  void OnStatusOffline(wxCommandEvent& event);
  void OnStatusOnline(wxCommandEvent& event);
  void OnStatusNoActivity(wxCommandEvent& event);
  void OnStatusAway(wxCommandEvent& event);
  void OnStatusBusy(wxCommandEvent& event);
  void OnPreferences(wxCommandEvent& event);
  void OnQuit(wxCommandEvent& event);
  void OnDisplayMainFrame(wxTaskBarIconEvent& event);

  MainFrame* m_mainWindow;
  bool m_connected = false;
  t_status m_status = STATUS_NONE;
  std::string m_iconFile;
  wxString m_toolTip;
};

#endif
