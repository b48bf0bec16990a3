// The log-in panel, in the bottom pane of the main window while not connected: login and
// password, the links to sign up and to get a new password, "Save password", one button that
// connects or aborts, and two status lines. It keeps the values of the last accepted log-in,
// which the main window's connection code reads back for every attempt, retries included.
#ifndef PARLAVOX_GUI_LOGINDIALOG_H
#define PARLAVOX_GUI_LOGINDIALOG_H

#include <wx/panel.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

class MainFrame;
class wxButton;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;

class LoginDialog : public wxPanel {
 public:
  LoginDialog(wxWindow* parent, MainFrame* mainWindow, const std::string& login, const std::string& password,
              bool savePassword, const std::string& host, int port, bool ssl);

  // The login in lower case (ASCII letters only; other bytes as they are).
  std::string GetLogin() const;
  std::string GetPassword() const { return m_password; }
  bool GetSavePassword() const;
  std::string GetHostname() const;
  int GetPort() const;
  bool GetSSLEnabled() const { return m_sslEnabled; }

  // True: the button starts a log-in ("Connect !"); false: it aborts one ("Abort").
  void EnableConnect(bool enable);
  // Line 1 shows `text`; line 2 the time of the next attempt, or nothing when the delay is 0.
  void SetStatus(const wxString& text, int retryDelayMs);

  void SetLogin(const std::string& login);
  void SetPassword(const std::string& password);
  void SetSavePassword(bool save);
  void SetHostname(const std::string& hostAndPort) { m_hostAndPort = hostAndPort; }
  void SetSSLEnabled(bool ssl) { m_sslEnabled = ssl; }

  void OnOK(wxCommandEvent& event);
  void OnLoginChanged(wxCommandEvent& event);
  void OnPasswordChanged(wxCommandEvent& event);
  void OnRegister(wxMouseEvent& event);
  void OnLostPassword(wxMouseEvent& event);

  // Where the retry time is read; tests put a fixed clock here.
  static std::function<time_t()> s_now;

  // Gives the links and the status lines the panel's width before laying them out.
  bool Layout() override;

 private:
  // Moves the splitter's sash up when the panel is too low to show all it holds; the sash goes
  // back when the panel is hidden.
  void MakeRoom();
  void OnSize(wxSizeEvent& event);
  void OnShow(wxShowEvent& event);
  void AddFields(wxSizer* sizer, const std::string& login, const std::string& password, bool savePassword);
  wxStaticText* AddLink(wxSizer* sizer, const wxString& text, int top,
                        void (LoginDialog::*handler)(wxMouseEvent&));
  // Each of the links and status lines as wide as its text, or as `room` when that is narrower
  // (it then ends in an ellipsis); -1 leaves each whole.
  void FitTexts(int room);

  MainFrame* m_mainWindow;
  std::string m_login;
  std::string m_password;
  std::string m_hostAndPort;
  bool m_sslEnabled = true;
  bool m_connectEnabled = true;
  bool m_makingRoom = false;
  // Where the sash stood before the panel made room, or -1.
  int m_userSash = -1;
  wxTextCtrl* m_loginField = nullptr;
  wxTextCtrl* m_passwordField = nullptr;
  wxCheckBox* m_savePassword = nullptr;
  wxStaticText* m_status1 = nullptr;
  wxStaticText* m_status2 = nullptr;
  wxButton* m_button = nullptr;
  // The texts of one line that the panel's width may cut: the links, then the status lines.
  std::vector<wxStaticText*> m_lines;

  wxDECLARE_EVENT_TABLE();
};

#endif
