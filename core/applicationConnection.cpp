// Logging in and out: the connection attempt and its link, the set-up of a new session once
// the server accepted the log-in, its tear-down on a failure, a server-side disconnection, the
// user's disconnection or the program's exit, and the small exchanges of the link itself
// (heart-beat, redirect, log texts for the server).
#include <wx/app.h>
#include <wx/display.h>
#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "Image.h"
#include "core/application.h"
#include "asn1/imageType.h"
#include "core/applicationInbox.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/programThreads.h"
#include "model/stringConversion.h"
#include "model/systemInfo.h"
#include "network/fileServer.h"
#include "network/localServer.h"
#include "network/sslManager.h"

namespace {

// Link generations are unique in the process, so that no Manager takes another's link for its own.
std::atomic<uint64_t> g_generations{0};

}  // namespace

// ---- The link and the listeners. Every start and close of them is here.

ClientSideRequest* Manager::Client() const {
  return m_link ? m_link->client.get() : nullptr;
}

void Manager::StartLink(const std::string& hostname, int port, bool ssl) {
  // An attempt still running is superseded: closed, and unheard from now on.
  RetireLink(false);
  StartExtensionListener();
  Config* config = Config::GetInstance();
  std::shared_ptr<ServerLink> link = std::make_shared<ServerLink>();
  link->generation = ++g_generations;
  link->port.reset(new LinkPort(m_mailbox, link->generation));
  link->client = std::make_shared<ClientSideRequest>(link->port.get());
  link->client->SetupConnection(hostname, port, ssl, config->GetProxyStatus(), config->GetProxyHost(),
                                config->GetProxyPort(), config->GetContactInfo()->GetLogin(), config->GetPassword(),
                                m_status);
  m_link = link;
  m_mailbox->SetCurrentLink(link->generation);
  m_state = CONNECTING_AUTH;
  // The thread holds the link (client and port) until the client's Run has returned. At the end
  // of the program an attempt still running is aborted: every wait of it watches for that.
  std::weak_ptr<ClientSideRequest> client = link->client;
  programThreads::Start(
      "link " + std::to_string(link->generation),
      [link]() mutable {
        ManageClientSideRequest body(link->client);
        body();
        link.reset();
      },
      [client] {
        if (std::shared_ptr<ClientSideRequest> running = client.lock()) running->AbortConnection();
      });
}

void Manager::RetireLink(bool afterSent) {
  if (!m_link) return;
  std::shared_ptr<ServerLink> link = std::move(m_link);
  m_link.reset();
  // Its reader, waiting for room in the inbox perhaps, is let go, and what it left there dropped.
  m_mailbox->SetCurrentLink(0);
  TRACE_INFO("link %llu closed", static_cast<unsigned long long>(link->generation));
  // Requests already queued (the disconnect among them) still go out before the link closes;
  // otherwise the link is dropped at once with whatever was queued.
  if (afterSent) link->client->CloseConnection();
  else link->client->AbortConnection();
}

void Manager::StartFileServer() {
  // A listener of an earlier session (left running by a redirect) gives its port up first.
  if (m_fileServer) m_fileServer->Close(false);
  m_fileServer.reset(new FileServer(IntToString(Config::GetInstance()->GetFilePort())));
  m_fileServer->Run();
}

namespace {

std::chrono::milliseconds g_clientInfoInterval{60000};

// What tells one set of displays from another, read without running anything.
std::string DisplaysKey() {
  if (!wxTheApp || !wxTheApp->IsGUI()) return "console";
  std::string key;
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    const wxRect r = wxDisplay(i).GetGeometry();
    key += IntToString(r.x) + "," + IntToString(r.y) + "," + IntToString(r.width) + "," + IntToString(r.height) + ";";
  }
  return key;
}

}  // namespace

void Manager::SetClientInfoInterval(std::chrono::milliseconds interval) {
  g_clientInfoInterval = interval;
}

std::string Manager::ScreenInfo() {
  std::string key = DisplaysKey();
  if (m_screenInfo.empty() || key != m_screenKey) {
    m_screenKey = key;
    m_screenInfo = GetScreenInfo();
  }
  return m_screenInfo;
}

void Manager::SendClientInfo() {
  m_clientInfoTimer.Stop();
  if (ClientSideRequest* client = Client()) {
    if (m_systemInfo[0].empty()) {
      m_systemInfo[0] = GetArchi();
      m_systemInfo[1] = GetOSVersion();
      m_systemInfo[2] = GetHardInfo();
    }
    client->SendClientInfo(m_authKey, m_systemInfo[0], m_systemInfo[1], m_systemInfo[2], ScreenInfo(),
                           GetExtensionNames());
    m_clientInfoSent = true;
    m_clientInfoTime = std::chrono::steady_clock::now();
  }
  m_clientInfoDue = false;
}

void Manager::SendClientInfoWhenAllowed() {
  if (!m_clientInfoDue || !m_connected) return;
  const auto next = m_clientInfoTime + g_clientInfoInterval;
  const auto now = std::chrono::steady_clock::now();
  if (!m_clientInfoSent || now >= next) {
    SendClientInfo();
  } else if (!m_clientInfoTimer.IsRunning()) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    m_clientInfoTimer.StartOnce(static_cast<int>(wait) + 1);
  }
}

void Manager::OnClientInfoTimer(wxTimerEvent&) {
  SendClientInfoWhenAllowed();
}

// ---- Connecting

bool Manager::CanConnect() const {
  Config* config = Config::GetInstance();
  return !config->GetPassword().empty() && !config->GetContactInfo()->GetLogin().empty();
}

void Manager::Connect(const std::string& login, const std::string& password, bool savePassword,
                      const std::string& hostname, int port, bool ssl, bool redirect) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s,***,%d,%s,%d,%d", login.c_str(), savePassword ? 1 : 0, hostname.c_str(), port, ssl ? 1 : 0);
  Config* config = Config::GetInstance();
  if (login != config->GetContactInfo()->GetLogin()) {
    TRACE_INFO("Clear contacts");
    config->ClearContacts();
    PostKept(wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, 0, nullptr);
  }
  config->SetLogin(login);
  config->SetPasswordSaved(savePassword);
  config->SetPassword(password);
  if (!redirect) {
    config->SetHostname(hostname);
    config->SetPort(port);
    config->SetSSLEnabled(ssl);
  }
  m_state = CONNECTING;
  TRACE_INFO("Connection");
  if (m_status == STATUS_NONE) m_status = config->GetDefaultStatus();
  StartLink(hostname, port, ssl);
  TRACE_END();
}

void Manager::ConnectionSuccessful(const std::string& authkey, const std::string& version,
                                   const Image_t* defaultAvatar, const std::string& webToken) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("***,%s", version.c_str());
  m_webToken = webToken;
  Config* config = Config::GetInstance();
  TRACE_INFO("Init file server");
  StartFileServer();
  config->SetLastVersion(version);
  TRACE_INFO("Init smileys");
  m_customSmileys.clear();
  m_customSmileys[GetLogin()] = config->GetSmileys();
  TRACE_INFO("Change state");
  m_state = CONNECTED;
  m_connected = true;
  m_authKey = authkey;
  t_image_type avatarType;
  if (defaultAvatar && asn1::ImageTypeFromWire(defaultAvatar->type, &avatarType)) {
    // Stored in place of the old one; an image that is refused leaves the old one.
    IMImage::StoreImage(IMImage::DEFAULT_AVATAR, avatarType, defaultAvatar->content.buf,
                        static_cast<unsigned long>(defaultAvatar->content.size));
  }
  TRACE_INFO("Open disconnected sites");
  if (std::shared_ptr<LocalServer> listener = LocalServer::Instance())
    for (const std::string& url : listener->GetAllOpenedSites()) OpenChatRoom(url);
  TRACE_INFO("Ask information on external messengers");
  if (ClientSideRequest* client = Client()) client->AskMessengerProtocols(m_authKey, GetLogin());
  if (!m_pendingErrors.empty()) {
    std::string pending;
    pending.swap(m_pendingErrors);
    SendErrorMessages(pending);
  }
  TRACE_INFO("Connect to external messengers");
  for (MessengerInfo* account : config->GetMessengers())
    if (account->GetAutoConnect()) ConnectMessenger(account);
  TRACE_INFO("Send event to interface");
  PostKept(wxEVT_CONNECTION_ACK, GUI_CONNECTION__OK, GetContactInfo(GetLogin()));
  // Every log-in reports the client, the first of the run as a later one after a lost link: the
  // pace kept between reports is for the extensions' news within a session, not for this one.
  SendClientInfo();
  TRACE_END();
}

void Manager::ConnectionFailed(int code, const std::string& version) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d", code);
  Disconnect(false, false);
  if (!version.empty()) Config::GetInstance()->SetLastVersion(version);
  TRACE_INFO("Send event to interface");
  PostText(wxEVT_CONNECTION_ACK, code, GetLogin());
  TRACE_END();
}

// ---- Disconnecting

void Manager::DisconnectAck() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  if (m_connected) {
    ConnectionFailed(GUI_NOTASKED_DISCONNECT, "");
  } else {
    m_connected = false;
    ConnectionFailed(GUI_DISCONNECT, "");
  }
  m_state = DISCONNECTED;
  TRACE_END();
}

void Manager::Disconnect(bool closing, bool notifyServer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d,%d", closing ? 1 : 0, notifyServer ? 1 : 0);
  Config* config = Config::GetInstance();
  // No room and no site shows anyone once the session is over.
  std::vector<std::string> gone = m_siteVisitors.CloseAll();
  for (const auto& room : m_roomMembers)
    for (const ContactInfo* member : room.second.List()) gone.push_back(member->GetLogin());
  m_roomMembers.clear();
  m_subscribedRooms.clear();
  m_subscribing.clear();
  config->GetContactInfo()->ClearSubscriptions();
  for (auto& entry : m_contacts) entry.second->ClearSubscriptions();
  ForgetUnseenStrangers(gone);
  TRACE_INFO("Disconnect from external messengers");
  for (MessengerInfo* account : config->GetMessengers()) {
    if (account->GetStatus() != MESSENGER_DISCONNECTED) {
      account->SetStatus(MESSENGER_DISCONNECTED);
      PostKept(wxEVT_RECEIVE_MESSENGER_INFO, 0, account);
    }
  }
  m_state = DISCONNECTED;
  if (m_connected) {
    m_connected = false;
    if (!closing) SwitchContactsOffline();
    if (notifyServer) {
      // Within the interval of the last report, the next session's first one tells instead.
      if (m_clientInfoDue && (!m_clientInfoSent ||
                              std::chrono::steady_clock::now() >= m_clientInfoTime + g_clientInfoInterval))
        SendClientInfo();
      if (ClientSideRequest* client = Client()) client->SendDisconnect(m_authKey);
    }
    if (m_fileServer) m_fileServer->Close(true);
  }
  // No report of a transfer is handled once the session ends: the pace kept for those it cut
  // short would stay for good.
  m_progressTimer.Stop();
  m_progressPosted.clear();
  m_progressHeld.clear();
  // The link of the ended session is closed, so that it can say nothing to a later one.
  RetireLink(notifyServer);
  TRACE_END();
}

void Manager::AbortConnection() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  m_state = DISCONNECTED;
  RetireLink(false);
  TRACE_END();
}

bool Manager::Close() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  // The log-out goes out on the link's writer, after what was queued before it: the program
  // does not end before it has (or the link's grace for it is over), or the server would see
  // the link break instead of the user leaving.
  std::shared_ptr<ClientSideRequest> leaving = m_link ? m_link->client : nullptr;
  Disconnect(true, true);
  if (leaving && !leaving->WaitClosed(SSLManager::kCloseGrace + 500)) TRACE_ERROR("the link did not close in time");
  // Whatever still listens goes with the session, so that nothing runs on while the program ends.
  if (m_fileServer) m_fileServer->Close(false);
  StoreModifiedSites();
  bool saved = Config::GetInstance()->Save();
  TRACE_END_RESULT("%d", saved ? 1 : 0);
  return saved;
}

// ---- Exchanges of the link itself

void Manager::ReceiveRedirect(const std::string& ip, int port) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s,%d", ip.c_str(), port);
  Config* config = Config::GetInstance();
  // The user's choice about saving the password stays as it is.
  Connect(GetLogin(), config->GetPassword(), config->IsPasswordSaved(), ip, port, config->IsSSLEnabled(), true);
  TRACE_END();
}

void Manager::RestartFileServer() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  // Without a session there is no listener to restart: the next log-in takes the new port.
  if (!m_fileServer || !m_connected) {
    TRACE_END_RESULT("no file server running");
    return;
  }
  m_fileServer->Close(false);
  m_fileServer->SetPort(IntToString(Config::GetInstance()->GetFilePort()));
  m_fileServer->Run();
  TRACE_END();
}

void Manager::HeartBeat() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  if (ClientSideRequest* client = Client()) client->HeartBeatAck(m_authKey);
  TRACE_END();
}

void Manager::SendErrorMessages(const std::string& text) {
  if (!wxIsMainThread()) {
    CallAfter([this, text] { SendErrorMessages(text); });
    return;
  }
  TRACE_START();
  ClientSideRequest* client = Client();
  if (m_connected && client) {
    client->SendErrorMessages(m_authKey, text);
  } else {
    // Kept for the next session, newest last, within what one request may carry; only the new
    // line is printed (reprinting the whole text each time grew without end).
    m_pendingErrors += "\n" + text;
    if (m_pendingErrors.size() > kMaxPendingErrors) {
      size_t cut = m_pendingErrors.find('\n', m_pendingErrors.size() - kMaxPendingErrors);
      m_pendingErrors.erase(0, cut == std::string::npos ? m_pendingErrors.size() - kMaxPendingErrors : cut);
    }
    printf("Errors: %s\n", text.c_str());
    fflush(stdout);
  }
  TRACE_END();
}
