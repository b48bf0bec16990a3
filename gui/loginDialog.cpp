#include "gui/loginDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "gui/mainFrame.h"
#include "gui/webBrowser.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

// Made in this order when the program starts: the login field's, then the password field's.
const wxWindowID kLoginId = wxWindow::NewControlId();
const wxWindowID kPasswordId = wxWindow::NewControlId();

time_t SystemNow() { return time(nullptr); }

// One line of text that ends in an ellipsis where the panel is too narrow for it.
const long kOneLine = wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END;

}  // namespace

std::function<time_t()> LoginDialog::s_now = SystemNow;

wxBEGIN_EVENT_TABLE(LoginDialog, wxPanel)
  EVT_BUTTON(wxID_OK, LoginDialog::OnOK)
  EVT_TEXT_ENTER(kPasswordId, LoginDialog::OnOK)
  EVT_TEXT(kLoginId, LoginDialog::OnLoginChanged)
  EVT_TEXT(kPasswordId, LoginDialog::OnPasswordChanged)
wxEND_EVENT_TABLE()

LoginDialog::LoginDialog(wxWindow* parent, MainFrame* mainWindow, const std::string& login,
                         const std::string& password, bool savePassword, const std::string& host, int port, bool ssl)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_mainWindow(mainWindow),
      m_login(login),
      m_password(password) {
  TRACE_START();
  wxBeginBusyCursor(wxHOURGLASS_CURSOR);
  SetBackgroundColour(*wxWHITE);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  AddFields(sizer, login, password, savePassword);
  m_lines.push_back(AddLink(sizer, _("No login/password? Click here to register"), 10, &LoginDialog::OnRegister));
  m_lines.push_back(AddLink(sizer, _("Password lost? Click here to get a new one"), 4, &LoginDialog::OnLostPassword));

  m_savePassword = new wxCheckBox(this, wxID_ANY, _("Save password"));
  m_savePassword->SetValue(savePassword);
  sizer->Add(m_savePassword, 0, wxLEFT | wxRIGHT | wxTOP, 15);
  m_button = new wxButton(this, wxID_OK, wxEmptyString);
  sizer->Add(m_button, 0, wxALL, 10);
  m_status1 = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, kOneLine);
  m_status1->SetForegroundColour(*wxRED);
  sizer->Add(m_status1, 0, wxTOP, 15);
  m_status2 = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, kOneLine);
  m_status2->SetForegroundColour(*wxRED);
  sizer->Add(m_status2, 0, 0, 0);
  m_lines.push_back(m_status1);
  m_lines.push_back(m_status2);
  FitTexts(-1);
  Bind(wxEVT_SIZE, &LoginDialog::OnSize, this);
  Bind(wxEVT_SHOW, &LoginDialog::OnShow, this);
  m_hostAndPort = host + ":" + std::to_string(port);
  m_sslEnabled = ssl;
  SetSizer(sizer);
  m_loginField->SelectAll();
  m_loginField->SetFocus();
  const wxSize client = GetClientSize();
  const wxSize best = GetBestSize();
  SetVirtualSize(std::max(client.x, best.x), std::max(client.y, best.y));
  EnableConnect(true);
  wxEndBusyCursor();
  TRACE_END();
}

void LoginDialog::AddFields(wxSizer* sizer, const std::string& login, const std::string& password,
                            bool savePassword) {
  auto* grid = new wxFlexGridSizer(2, 2, 4, 0);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Login:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_loginField = new wxTextCtrl(this, kLoginId, wxEmptyString, wxDefaultPosition, wxSize(100, -1), 0);
  m_loginField->ChangeValue(std2wx(login));
  grid->Add(m_loginField, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Password:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_passwordField = new wxTextCtrl(this, kPasswordId, wxEmptyString, wxDefaultPosition, wxSize(100, -1),
                                   wxTE_PASSWORD | wxTE_PROCESS_ENTER);
  if (savePassword) m_passwordField->ChangeValue(std2wx(password));
  grid->Add(m_passwordField, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);
  sizer->Add(grid, 0, wxTOP, 15);
}

wxStaticText* LoginDialog::AddLink(wxSizer* sizer, const wxString& text, int top,
                                   void (LoginDialog::*handler)(wxMouseEvent&)) {
  auto* link = new wxStaticText(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, kOneLine);
  link->SetCursor(wxCursor(wxCURSOR_HAND));
  link->SetForegroundColour(*wxBLUE);
  wxFont font = link->GetFont();
  font.SetUnderlined(true);
  link->SetFont(font);
  link->Bind(wxEVT_LEFT_UP, handler, this);
  sizer->Add(link, 0, wxTOP, top);
  return link;
}

std::string LoginDialog::GetLogin() const {
  // Only ASCII letters are lowered: the bytes of a UTF-8 login above 0x7f stay as typed, whatever
  // the locale says.
  std::string lowered = m_login;
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

bool LoginDialog::GetSavePassword() const { return m_savePassword->GetValue(); }

std::string LoginDialog::GetHostname() const { return m_hostAndPort.substr(0, m_hostAndPort.find(':')); }

int LoginDialog::GetPort() const {
  const size_t colon = m_hostAndPort.find(':');
  int port = 0;
  // No number after the first ':' (a host name holding ':' itself): port 0, which no
  // connection reaches.
  if (colon == std::string::npos || sscanf(m_hostAndPort.c_str() + colon + 1, "%d", &port) != 1) return 0;
  return port;
}

void LoginDialog::EnableConnect(bool enable) {
  m_connectEnabled = enable;
  m_button->SetLabel(enable ? _("Connect !") : _("Abort"));
  m_loginField->Enable(enable);
  m_passwordField->Enable(enable);
  m_savePassword->Enable(enable);
  // An attempt can always be aborted, even one that a retry started while a field was emptied.
  if (!enable) m_button->Enable();
  Layout();
}

void LoginDialog::SetStatus(const wxString& text, int retryDelayMs) {
  wxString retry;
  if (retryDelayMs != 0) {
    const time_t at = s_now() + retryDelayMs / 1000;
    struct tm local;
    char buffer[20];
    if (localtime_r(&at, &local) && strftime(buffer, sizeof buffer, "%H:%M:%S", &local) > 0) {
      retry = _("Will try again at ") + wxString::FromAscii(buffer);
    } else {
      fprintf(stderr, "get_timestamp : ERROR\n");
      retry = _("Will try again");
    }
  }
  // Texts from the controller may hold '&': shown as they are.
  m_status1->SetLabelText(text);
  m_status2->SetLabelText(retry);
  Layout();
}

bool LoginDialog::Layout() {
  FitTexts(GetClientSize().x);
  return wxPanel::Layout();
}

void LoginDialog::FitTexts(int room) {
  // Each stands at the panel's left edge, with no border beside it.
  for (wxStaticText* text : m_lines) {
    // Measured in its own font. Empty, a status line keeps the room of a line all the same: the
    // panel does not move when it fills.
    const wxSize whole = text->GetTextExtent(text->GetLabelText());
    const int line = std::max(whole.y, text->GetTextExtent("Ag").y);
    const wxSize size(room >= 0 ? std::min(whole.x, room) : whole.x, line);
    if (size != text->GetMinSize()) text->SetMinSize(size);
  }
}

void LoginDialog::OnSize(wxSizeEvent& event) {
  event.Skip();
  MakeRoom();
}

void LoginDialog::OnShow(wxShowEvent& event) {
  event.Skip();
  auto* splitter = dynamic_cast<wxSplitterWindow*>(GetParent());
  if (event.IsShown()) {
    MakeRoom();
    return;
  }
  // The sites panel takes this pane back at the height the user left it.
  if (splitter && m_userSash >= 0) {
    splitter->SetSashPosition(m_userSash);
    m_userSash = -1;
  }
}

void LoginDialog::MakeRoom() {
  // The panel shares the window with the contacts list above it, which is empty while the user
  // is not connected: the list gives way so that all of the panel, its status lines at the
  // bottom included, is in sight. The status lines keep their room even when empty, so that
  // nothing moves when they change.
  auto* splitter = dynamic_cast<wxSplitterWindow*>(GetParent());
  // Moving the sash sizes the panel again, which comes back here.
  if (m_makingRoom || !IsShown() || !splitter || splitter->GetWindow2() != this || splitter->GetSplitMode() != wxSPLIT_HORIZONTAL)
    return;
  const int needed = GetSizer()->GetMinSize().y;
  if (needed <= GetClientSize().y) return;
  const int sash = std::max(splitter->GetClientSize().y - splitter->GetSashSize() - needed,
                            splitter->GetMinimumPaneSize());
  if (sash >= splitter->GetSashPosition()) return;
  if (m_userSash < 0) m_userSash = splitter->GetSashPosition();
  m_makingRoom = true;
  splitter->SetSashPosition(sash);
  m_makingRoom = false;
}

void LoginDialog::SetLogin(const std::string& login) {
  m_login = login;
  m_loginField->SetValue(std2wx(login));
}

void LoginDialog::SetPassword(const std::string& password) {
  m_password = password;
  m_passwordField->SetValue(std2wx(password));
}

void LoginDialog::SetSavePassword(bool save) { m_savePassword->SetValue(save); }

void LoginDialog::OnOK(wxCommandEvent&) {
  TRACE_START();
  if (!m_connectEnabled) {
    m_mainWindow->AbortConnection();
    TRACE_END_RESULT("aborted");
    return;
  }
  const wxString login = m_loginField->GetValue();
  const wxString password = m_passwordField->GetValue();
  if (login.empty() || password.empty()) {
    TRACE_END_RESULT("a field is empty");
    return;
  }
  m_login = wx2std(login);
  m_password = wx2std(password);
  m_mainWindow->Connect(false);
  TRACE_END();
}

void LoginDialog::OnLoginChanged(wxCommandEvent&) { m_button->Enable(!m_loginField->GetValue().empty()); }

void LoginDialog::OnPasswordChanged(wxCommandEvent&) { m_button->Enable(!m_passwordField->GetValue().empty()); }

void LoginDialog::OnRegister(wxMouseEvent&) { browser::Open(std::string(PARLAVOX_WEBSITE) + "common/signup/"); }

void LoginDialog::OnLostPassword(wxMouseEvent&) {
  browser::Open(std::string(PARLAVOX_WEBSITE) + "common/lostpassword/");
}
