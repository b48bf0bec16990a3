// The main window's side of connecting: a log-in from the values of the log-in panel, the
// connect and abort of that panel, the commands of the tool bar and the tray icon, the retries
// after a failure with a growing delay, and the swap of the log-in and sites panels.
#include <wx/intl.h>
#include <wx/splitter.h>

#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <unistd.h>

#include "core/application.h"
#include "gui/aboutFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/dockPlacement.h"
#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/filesFrame.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "gui/notifyFrame.h"
#include "gui/preferencesFrame.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "gui/toolBar.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/config.h"
#include "model/log.h"

namespace {

// How often the idle timer looks at the pointer.
constexpr int kIdleTickMs = 5000;

// Each program seeds its own sequence, so that clients cut off together do not come back in step.
long SeededRandom() {
  static const bool seeded = [] {
    srandom(static_cast<unsigned>(time(nullptr)) ^ static_cast<unsigned>(getpid()));
    return true;
  }();
  (void)seeded;
  return random();
}

}  // namespace

std::function<long()> MainFrame::s_retryJitter = SeededRandom;

void MainFrame::Connect(bool flag) {
  TRACE_START_ARGS("%d", int(flag));
  if (!m_manager->IsDisconnected()) {
    TRACE_END_RESULT("an attempt or a session is under way");
    return;
  }
  // A retry still planned would start a second attempt behind this one.
  m_connectTimer.Stop();
  m_loginPanel->EnableConnect(false);
  m_loginPanel->SetStatus(_("Parlavox Instant Messenger is connecting... Contacting server..."), 0);
  m_manager->Connect(m_loginPanel->GetLogin(), m_loginPanel->GetPassword(), m_loginPanel->GetSavePassword(),
                     m_loginPanel->GetHostname(), m_loginPanel->GetPort(), m_loginPanel->GetSSLEnabled(), false);
  TRACE_END();
}

void MainFrame::OnConnect(wxCommandEvent&) { Connect(false); }
void MainFrame::OnDisconnect(wxCommandEvent&) { OnSwitchConnection(false); }

void MainFrame::OnSwitchConnection(bool flag) {
  TRACE_START_ARGS("%d", int(flag));
  if (!m_manager->IsConnected()) {
    Connect(flag);
    TRACE_END();
    return;
  }
  m_manager->Disconnect(false, true);
  // No acknowledgement comes back for the user's own disconnect: the session ends here.
  m_idleTimer.Stop();
  ShowLoginPanel();
  m_loginPanel->SetStatus(wxEmptyString, 0);
  m_loginPanel->EnableConnect(true);
  SetConnected(false);
  ShowDisconnected();
  ContactInfo* own = Config::GetInstance()->GetContactInfo();
  if (own && own->GetLogoutVisual() == NOTIFICATION_ON) {
    if (NotifyFrame* popup = NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Notification"),
                                                          _("Connection ended"), *wxBLUE, wxEmptyString, *wxBLUE))
      popup->Popup();
  }
  if (own && own->GetLogoutBell() == NOTIFICATION_ON) sound::Play("sounds/offline.wav");
  TRACE_END();
}

void MainFrame::OnConnectTimer(wxTimerEvent&) {
  TRACE_START();
  m_connectTimer.Stop();
  if (m_manager->CanConnect()) Connect(false);
  TRACE_END();
}

void MainFrame::AbortConnection() {
  TRACE_START();
  m_loginPanel->EnableConnect(true);
  m_loginPanel->SetStatus(_("Connection aborted"), 0);
  m_connectTimer.Stop();
  if (m_manager->IsConnected()) {
    // The log-in succeeded a moment ago and its news is still on its way: the session is
    // closed properly, and that news finds it gone.
    m_manager->Disconnect(false, true);
    m_abortedLogIn = true;
  } else {
    m_manager->AbortConnection();
  }
  TRACE_END();
}

void MainFrame::SetConnected(bool connected) {
  TRACE_START_ARGS("%d", int(connected));
  ContactInfoFrame::EnableUpdate(m_manager->GetLogin(), connected);
  if (m_chatRooms) m_chatRooms->SetConnectionStatus(connected);
  if (m_toolBar) m_toolBar->SetConnectionStatus(connected ? 1 : 0);
  if (m_taskBar) m_taskBar->SetConnectionStatus(connected);
  if (m_contactsManager) m_contactsManager->SetConnectionStatus(connected);
  ContactInfoFrame::SetConnectionStatusForAll(connected);
  if (!connected) {
    // No report of a transfer comes after the connection ends: the held ones are dropped and
    // the rows still running end as interrupted.
    m_progressHeld.clear();
    m_progressShown.clear();
    if (m_files) m_files->SetConnectionStatus(false);
    if (m_contactsPanel) m_contactsPanel->Disconnection();
    if (m_sitesPanel) m_sitesPanel->Disconnection();
    CommentsFrame::AllSitesClosed();
  }
  TRACE_END();
}

void MainFrame::ShowDisconnected() {
  if (m_nicknamePanel) m_nicknamePanel->SetStatus(STATUS_NONE);
  if (m_taskBar) m_taskBar->SetStatus(STATUS_NONE);
}

// The panels take turns in the splitter's bottom pane; neither is ever destroyed, and the pane
// is checked first, since asking the splitter to replace a window it does not show is an error.
void MainFrame::ShowLoginPanel() {
  if (m_splitter->GetWindow2() == m_sitesPanel) m_splitter->ReplaceWindow(m_sitesPanel, m_loginPanel);
  else TRACE_INFO("Split error");
  m_sitesPanel->Hide();
  m_loginPanel->Show();
}

void MainFrame::ShowSitesPanel() {
  if (m_splitter->GetWindow2() == m_loginPanel) m_splitter->ReplaceWindow(m_loginPanel, m_sitesPanel);
  else TRACE_INFO("Split error");
  m_sitesPanel->Show();
  m_loginPanel->Hide();
}

int MainFrame::RetryDelay(int count, long jitter) {
  const int base = count <= 4 ? 5000 : count <= 13 ? 30000 : 180000;
  return base + static_cast<int>(((jitter % 5000) + 5000) % 5000);
}

void MainFrame::RetryOnFailure(const wxString& reason) {
  TRACE_START();
  ShowLoginPanel();
  int delay = 0;
  if (Config::GetInstance()->GetRetryOnFailure()) {
    ++m_retryCount;
    delay = RetryDelay(m_retryCount, s_retryJitter());
    m_connectTimer.StartOnce(delay);
  }
  m_loginPanel->SetStatus(reason, delay);
  m_loginPanel->EnableConnect(true);
  TRACE_END_RESULT("retry %d in %d ms", m_retryCount, delay);
}

void MainFrame::StartIdleTimer() {
  const wxPoint pointer = s_pointerPosition();
  m_lastMouseX = pointer.x;
  m_lastMouseY = pointer.y;
  m_inactivity = 0;
  m_automaticAway = 0;
  m_idleTimer.Start(kIdleTickMs);
}

void MainFrame::OnAbout(wxCommandEvent&) {
  TRACE_START();
  if (m_about->IsShown()) {
    m_about->Raise();
  } else {
    dock::DockTo(m_about, this, m_toolBar->GetAboutButtonY());
    m_about->Show(true);
    dock::DockTo(m_about, this, m_toolBar->GetAboutButtonY());
    for (wxWindow* window : std::initializer_list<wxWindow*>{m_preferences, m_sitesManager, m_contactsManager})
      if (window) window->Show(false);
  }
  TRACE_END();
}
