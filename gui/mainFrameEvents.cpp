// Which handler of the main window receives each change the controller posts, and the
// window's own events. The controller is pushed on the window's chain of handlers, so its
// events reach these bindings on the GUI thread, one at a time, in the order posted.
#include <wx/msgdlg.h>
#include <wx/splitter.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/soundPlayer.h"
#include "gui/newVersion.h"
#include "model/config.h"
#include "model/log.h"
#include "model/version.h"

void MainFrame::BindEvents() {
  const int id = Manager::GetEventId();
  struct Row {
    const wxEventTypeTag<wxCommandEvent>& type;
    void (MainFrame::*handler)(wxCommandEvent&);
  };
  static const Row rows[] = {
      {wxEVT_CONNECTION_ACK, &MainFrame::OnConnectionAck},
      {wxEVT_RECEIVE_OPEN_CHATROOM_ACK, &MainFrame::ReceiveOpenChatRoomAck},
      {wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, &MainFrame::ReceiveUpdateChatRoomContact},
      {wxEVT_RECEIVE_NEW_MESSAGE, &MainFrame::ReceiveNewMessage},
      {wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, &MainFrame::ReceiveSubscribeChatRoomAck},
      {wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, &MainFrame::ReceiveCreateVirtualChatRoomAck},
      {wxEVT_RECEIVE_CONTACT_EVENT, &MainFrame::ReceiveContactEvent},
      {wxEVT_RECEIVE_ADD_WEBSITE, &MainFrame::ReceiveAddWebSite},
      {wxEVT_RECEIVE_KEY_TYPED, &MainFrame::ReceiveKeyTyped},
      {wxEVT_RECEIVE_MESSAGE_FILE, &MainFrame::ReceiveMessageFile},
      {wxEVT_RECEIVE_CLOSE_CHATROOM, &MainFrame::ReceiveCloseChatRoom},
      {wxEVT_RECEIVE_DEL_CONTACT, &MainFrame::ReceiveDelContact},
      {wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, &MainFrame::ReceiveInviteContactInChatRoom},
      {wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, &MainFrame::ReceiveInviteChatRoomAnswer},
      {wxEVT_RECEIVE_UPDATE_AVATAR, &MainFrame::ReceiveUpdateAvatar},
      {wxEVT_RECEIVE_UPDATE_COMMENTS, &MainFrame::ReceiveUpdateComments},
      {wxEVT_RECEIVE_UPDATE_AD, &MainFrame::ReceiveUpdateAd},
      {wxEVT_RECEIVE_RECOMMEND_SITE, &MainFrame::ReceiveRecommendSite},
      {wxEVT_RECEIVE_BAN_SITE, &MainFrame::ReceiveBanSite},
      {wxEVT_RECEIVE_REGISTER_EXTENSION, &MainFrame::ReceiveRegisterExtension},
      {wxEVT_RECEIVE_MESSENGER_INFO, &MainFrame::ReceiveMessengerInfo},
      {wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, &MainFrame::ReceiveRemoveAllPrivateContacts},
      {wxEVT_RECEIVE_UPLOAD_INSTALLER, &MainFrame::ReceiveUploadInstaller},
  };
  for (const Row& row : rows) Bind(row.type, row.handler, this, id);

  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
  Bind(wxEVT_SIZE, &MainFrame::OnSize, this);
  Bind(wxEVT_MOVE, &MainFrame::OnMove, this);
  Bind(wxEVT_ACTIVATE, &MainFrame::OnActivate, this);
  Bind(wxEVT_TIMER, &MainFrame::OnIdleTimer, this, kIdleTimerId);
  Bind(wxEVT_TIMER, &MainFrame::OnConnectTimer, this, kConnectTimerId);
  m_progressTimer.SetOwner(this, kProgressTimerId);
  Bind(wxEVT_TIMER, &MainFrame::OnProgressTimer, this, kProgressTimerId);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Close(true); }, kCloseRetryId);
  m_trayWatch.SetOwner(this, kTrayWatchId);
  Bind(wxEVT_TIMER, &MainFrame::OnTrayWatch, this, kTrayWatchId);
}

// A payload made for the event is freed with the event after the handler; the handlers of the
// rooms, contacts, sites and files are in the files named after them.
void MainFrame::OnConnectionAck(wxCommandEvent& event) {
  const int code = event.GetInt();
  TRACE_START_ARGS("%d", code);
  switch (code) {
    case GUI_CONNECTION__START:
    case GUI_CONNECTED_TO_SERVER:
    case GUI_CONNECTION__REFRESH:
      // News of an attempt that was aborted meanwhile leaves the panel as the abort left it.
      if (m_manager->IsDisconnected()) break;
      if (code == GUI_CONNECTED_TO_SERVER) {
        TRACE_INFO("GUI_CONNECTED_TO_SERVER");
        m_loginPanel->EnableConnect(false);
        m_loginPanel->SetStatus(_("Connected to Parlavox server... Sending login/password..."), 0);
      } else if (code == GUI_CONNECTION__START) {
        TRACE_INFO("GUI_CONNECTION__START");
        m_loginPanel->EnableConnect(false);
        m_loginPanel->SetStatus(_("Parlavox Instant Messenger is connecting... Contacting server..."), 0);
      } else {
        TRACE_INFO("GUI_CONNECTION__REFRESH");
        m_loginPanel->SetStatus(_("Parlavox Instant Messenger is connecting... Sending login/password..."), 0);
      }
      break;
    case GUI_CONNECTION__OK:
      TRACE_INFO("GUI_CONNECTION__OK");
      if (m_abortedLogIn) m_abortedLogIn = false;
      else OnLoggedIn();
      break;
    case GUI_CONNECTION__INVALID_LOGIN:
    case GUI_CONNECTION__INVALID_VERSION:
      OnAttemptRefused(code);
      break;
    case GUI_CONNECTION__TOO_MANY_USERS:
    case GUI_CONNECTION__SERVER_FAILED:
    case GUI_SOCKET_ERROR:
      OnAttemptFailed(code);
      break;
    case GUI_DISCONNECT:
    case GUI_NOTASKED_DISCONNECT:
      OnConnectionEnded(code);
      break;
    default:
      TRACE_INFO("unknwon");
      m_idleTimer.Stop();
  }
  TRACE_END();
}

namespace {

void PopUp(const wxString& title, const wxString& line1, const wxString& line2, const wxColour& colour) {
  if (NotifyFrame* popup =
          NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), title, line1, colour, line2, colour))
    popup->Popup();
}

}  // namespace

void MainFrame::OnLoggedIn() {
  ShowSitesPanel();
  m_retryCount = 0;
  m_connectTimer.Stop();
  SetConnected(true);
  // The user's own profile window, made with the account's record of the moment, is made when
  // it is first opened (see OpenContactInfoFor): made here, its tens of milliseconds would be
  // one long pause of the log-in, and made later, they would fall in the middle of whatever
  // the user had begun by then.
  ContactInfoFrame::RemoveAll();
  ContactInfo* own = Config::GetInstance()->GetContactInfo();
  if (own && own->GetLoginVisual() == NOTIFICATION_ON)
    PopUp(_("Notification"), _("Connection successful"), wxEmptyString, *wxBLUE);
  if (own && own->GetLoginBell() == NOTIFICATION_ON) sound::Play("sounds/online.wav");
  // The timer starts before the announcement of a new version, whose box may stay open long.
  StartIdleTimer();
  if (newversion::IsNewer(Config::GetInstance()->GetLastVersion(), kProgramVersion)) DownloadAndReinstall();
}

// Wrong login or password, or a version the server no longer takes: no retry.
void MainFrame::OnAttemptRefused(int code) {
  TRACE_INFO("%s", code == GUI_CONNECTION__INVALID_LOGIN ? "GUI_CONNECTION__INVALID_LOGIN" : "GUI_CONNECTION__INVALID_VERSION");
  m_connectTimer.Stop();
  m_idleTimer.Stop();
  ShowLoginPanel();
  SetConnected(false);
  m_loginPanel->SetStatus(code == GUI_CONNECTION__INVALID_LOGIN ? _("Invalid login !")
                                                                : _("Your version is too old, please upgrade!"),
                          0);
  m_loginPanel->EnableConnect(true);
  ShowDisconnected();
  if (code == GUI_CONNECTION__INVALID_LOGIN)
    wxMessageBox(_("Invalid login/password"), _("Unable to connect..."), wxOK | wxICON_INFORMATION, this);
  else
    DownloadAndReinstall();
}

// The server is full or out of reach, or the link broke: retried when the settings say so.
void MainFrame::OnAttemptFailed(int code) {
  m_idleTimer.Stop();
  SetConnected(false);
  ShowDisconnected();
  wxString reason;
  if (code == GUI_CONNECTION__TOO_MANY_USERS) {
    TRACE_INFO("GUI_CONNECTION__TOO_MANY_USERS");
    reason = _("Too many Parlavoxers connected");
    PopUp(_("Error"), reason, wxEmptyString, *wxBLUE);
  } else if (code == GUI_CONNECTION__SERVER_FAILED) {
    TRACE_INFO("GUI_CONNECTION__SERVER_FAILED");
    m_connectTimer.Stop();
    if (m_retryCount == 0) PopUp(_("Error"), _("Unable to contact"), _("the main server"), *wxRED);
    reason = _("Unable to contact the main server");
  } else {
    TRACE_INFO("GUI_SOCKET_ERROR");
    reason = _("Connection ended: network failure");
    if (m_retryCount == 0) PopUp(_("Error"), reason, wxEmptyString, *wxBLUE);
  }
  RetryOnFailure(reason);
}

// The user's own disconnect acknowledged, or the server ended the session: no retry.
void MainFrame::OnConnectionEnded(int code) {
  TRACE_INFO("%s", code == GUI_DISCONNECT ? "GUI_DISCONNECT" : "GUI_NOTASKED_DISCONNECT");
  m_idleTimer.Stop();
  ShowLoginPanel();
  m_loginPanel->EnableConnect(true);
  m_loginPanel->SetStatus(code == GUI_DISCONNECT ? wxString() : _("Connection ended by the server"), 0);
  SetConnected(false);
  ShowDisconnected();
  if (code == GUI_NOTASKED_DISCONNECT)
    PopUp(_("Notification"), _("Connection ended by the server"), wxEmptyString, *wxBLUE);
}


