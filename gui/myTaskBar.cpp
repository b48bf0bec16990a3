#include "gui/myTaskBar.h"

#include <wx/intl.h>
#include <wx/menu.h>

#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/pictures.h"
#include "model/log.h"

namespace {

struct Look {
  const char* file;
  const char* tip;
};

// Picture and tooltip of each status from -1 (not connected) to 4.
const Look kLooks[] = {
    {"tb_disconnected.ico", "Parlavox !"}, {"tb_offline.ico", "Offline"}, {"tb_online.ico", "Online"},
    {"tb_noactivity.ico", "No activity"},  {"tb_away.ico", "Away"},       {"tb_busy.ico", "Busy"},
};

}  // namespace

MyTaskBar::MyTaskBar(MainFrame* mainWindow) : m_mainWindow(mainWindow) {
  ChangeStatus();
  Bind(wxEVT_MENU, &MyTaskBar::OnOpenMainFrame, this, ID_OPEN);
  Bind(wxEVT_MENU, &MyTaskBar::OnConnect, this, ID_CONNECT);
  Bind(wxEVT_MENU, &MyTaskBar::OnDisconnect, this, ID_DISCONNECT);
  Bind(wxEVT_MENU, &MyTaskBar::OnStatusOffline, this, ID_OFFLINE);
  Bind(wxEVT_MENU, &MyTaskBar::OnStatusOnline, this, ID_ONLINE);
  Bind(wxEVT_MENU, &MyTaskBar::OnStatusNoActivity, this, ID_NOACTIVITY);
  Bind(wxEVT_MENU, &MyTaskBar::OnStatusAway, this, ID_AWAY);
  Bind(wxEVT_MENU, &MyTaskBar::OnStatusBusy, this, ID_BUSY);
  Bind(wxEVT_MENU, &MyTaskBar::OnPreferences, this, ID_PREFERENCES);
  Bind(wxEVT_MENU, &MyTaskBar::OnQuit, this, ID_QUIT);
  Bind(wxEVT_TASKBAR_LEFT_DCLICK, &MyTaskBar::OnDisplayMainFrame, this);
}

void MyTaskBar::SetStatus(t_status status) {
  m_status = status;
  ChangeStatus();
}

void MyTaskBar::SetConnectionStatus(bool connected) { m_connected = connected; }

void MyTaskBar::ChangeStatus() {
  TRACE_START();
  const int index = int(m_status) + 1;
  if (index < 0 || index >= int(sizeof kLooks / sizeof kLooks[0])) {
    TRACE_ERROR("TaskBar::ChangeStatus %d not found", int(m_status));
    TRACE_END();
    return;
  }
  m_iconFile = kLooks[index].file;
  m_toolTip = wxGetTranslation(kLooks[index].tip);
  const wxIcon icon = pictures::LoadIcon(m_iconFile);
  if (icon.IsOk()) SetIcon(icon, m_toolTip);
  TRACE_END();
}

wxMenu* MyTaskBar::CreatePopupMenu() {
  auto* menu = new wxMenu;
  menu->Append(ID_OPEN, _("Open Parlavox Instant Messenger"));
  menu->Append(ID_CONNECT, _("Connect"))->Enable(!m_connected);
  menu->Append(ID_DISCONNECT, _("Disconnect"))->Enable(m_connected);
  menu->AppendSeparator();
  wxMenuItem* presence[] = {
      menu->AppendRadioItem(ID_OFFLINE, _("Offline")), menu->AppendRadioItem(ID_ONLINE, _("Online")),
      menu->AppendRadioItem(ID_NOACTIVITY, _("No activity")), menu->AppendRadioItem(ID_AWAY, _("Away")),
      menu->AppendRadioItem(ID_BUSY, _("Busy"))};
  // A radio group always has one entry checked here; while not connected they are all disabled.
  if (m_status >= STATUS_OFFLINE && m_status <= STATUS_BUSY) presence[int(m_status)]->Check(true);
  else if (m_status != STATUS_NONE) TRACE_ERROR("TaskBar::ChangeStatus %d not found", int(m_status));
  for (wxMenuItem* item : presence) item->Enable(m_connected);
  menu->AppendSeparator();
  menu->Append(ID_PREFERENCES, _("Preferences"));
  menu->Append(ID_QUIT, _("Quit"));
  return menu;
}

void MyTaskBar::ShowMainWindow() {
  if (!m_mainWindow->IsShown()) m_mainWindow->Show(true);
  m_mainWindow->Raise();
  m_mainWindow->Iconize(false);
}

void MyTaskBar::OnOpenMainFrame(wxCommandEvent&) { ShowMainWindow(); }

void MyTaskBar::OnDisplayMainFrame(wxTaskBarIconEvent&) {
  TRACE_START();
  ShowMainWindow();
  TRACE_END();
}

#define FORWARD(handler)                    \
  void MyTaskBar::handler(wxCommandEvent& event) { \
    TRACE_START();                          \
    m_mainWindow->handler(event);           \
    TRACE_END();                            \
  }

FORWARD(OnDisconnect)
FORWARD(OnStatusOffline)
FORWARD(OnStatusOnline)
FORWARD(OnStatusNoActivity)
FORWARD(OnStatusAway)
FORWARD(OnStatusBusy)
FORWARD(OnQuit)
#undef FORWARD

// Without a stored login and password a log-in can only be refused: the user is shown the log-in
// panel to type them in instead.
void MyTaskBar::OnConnect(wxCommandEvent& event) {
  TRACE_START();
  LoginDialog* panel = m_mainWindow->GetLoginPanel();
  if (panel && (panel->GetLogin().empty() || panel->GetPassword().empty())) {
    ShowMainWindow();
    panel->SetFocus();
    TRACE_END_RESULT("nothing to log in with");
    return;
  }
  m_mainWindow->OnConnect(event);
  TRACE_END();
}

void MyTaskBar::OnPreferences(wxCommandEvent&) { m_mainWindow->OnSwitchPreferences(); }
