// The log-in panel, in the bottom pane of the main window while not connected.
#ifndef PARLAVOX_GUI_LOGINDIALOG_H
#define PARLAVOX_GUI_LOGINDIALOG_H

#include <wx/panel.h>

#include <string>

class MainFrame;

class LoginDialog : public wxPanel {
 public:
  LoginDialog(wxWindow* parent, MainFrame* mainWindow, const std::string& login, const std::string& password,
              bool savePassword, const std::string& host, int port, bool ssl);

 private:
  MainFrame* m_mainWindow;
};

#endif
