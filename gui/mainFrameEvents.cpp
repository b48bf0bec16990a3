// Which handler of the main window receives each change the controller posts, and the
// window's own events. The controller is pushed on the window's chain of handlers, so its
// events reach these bindings on the GUI thread, one at a time, in the order posted.
#include <wx/splitter.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/mainFrame.h"
#include "gui/newVersion.h"
#include "model/config.h"
#include "model/log.h"

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
}

// A payload made for the event is freed with the event after the handler; the handlers of the
// rooms, contacts, sites and files are in the files named after them.
void MainFrame::OnConnectionAck(wxCommandEvent& event) {
  TRACE_START_ARGS("%d", event.GetInt());
  if (event.GetInt() == GUI_CONNECTION__OK) SetConnected(true);
  else if (event.GetInt() != GUI_CONNECTED_TO_SERVER) SetConnected(false);
  // A newer version is offered once the session stands, and when the server refuses this one.
  if ((event.GetInt() == GUI_CONNECTION__OK &&
       newversion::IsNewer(Config::GetInstance()->GetLastVersion(), kProgramVersion)) ||
      event.GetInt() == GUI_CONNECTION__INVALID_VERSION)
    DownloadAndReinstall();
  TRACE_END();
}



void MainFrame::OnConnectTimer(wxTimerEvent&) {
  m_connectTimer.Stop();
  Connect(false);
}
