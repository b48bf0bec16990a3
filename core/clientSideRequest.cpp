#include "core/clientSideRequest.h"

#include <cstdlib>
#include <cstring>

#include "MessengerProtocolParameter.h"
#include "asn1/imageType.h"
#include "asn1/request.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/serverOverride.h"
#include "model/stringConversion.h"
#include "model/version.h"
#include "network/imSslManager.h"
#include "network/localServer.h"

namespace {

std::atomic<unsigned short> g_listenerPort{LocalServer::kDefaultPort};

// -1 (presence not set) goes out as online; 0 to 4 as they are; anything else as offline.
long StatusOnWire(t_status status) {
  if (status == STATUS_NONE) return UserStatus_online;
  if (status >= 0 && status <= 4) return status;
  return UserStatus_offline;
}

asn1::Request<C2S_Request_t> NewRequest(C2S_Request_PR kind) {
  asn1::Request<C2S_Request_t> request = asn1::NewRequest<C2S_Request_t>();
  request->present = kind;
  return request;
}

// False, and nothing to send, when the type names no image type.
bool SetImage(Image_t* image, t_image_type type, long size, const unsigned char* bytes) {
  SetOctetString(&image->content, bytes, bytes ? static_cast<int>(size) : 0);
  return asn1::ImageTypeToWire(type, &image->type);
}

// Requests that start with the log-in key and a site.
template <typename T>
void SetKeyAndSite(T& member, const std::string& authkey, const std::string& site) {
  SetOctetString(&member.authkey, authkey);
  SetOctetString(&member.site, site);
}

// Requests about a contact: the log-in key, the contact's login and a message to it.
template <typename T>
void SetKeyLoginMessage(T& member, const std::string& authkey, const std::string& login, const std::string& message) {
  SetOctetString(&member.authkey, authkey);
  SetOctetString(&member.login, login);
  SetOctetString(&member.message, message);
}

}  // namespace

ClientSideRequest::ClientSideRequest(StateMachine* machine) : m_machine(machine) {
  TRACE_START();
  TRACE_INFO("Create SSL");
  m_connection.reset(new IMSSLManager());
  TRACE_INFO("Start local server");
  // Each attempt starts the listener when it does not run (the first attempt, or one after the
  // port was found taken). It binds nothing to it: the listener reports to whatever the process
  // bound (the controller's relay), never to one link.
  LocalServer::Start(nullptr, g_listenerPort);
  TRACE_END();
}

ClientSideRequest::~ClientSideRequest() {
  TRACE_STARTEND();
}

void ClientSideRequest::SetListenerPort(unsigned short port) {
  TRACE_START_ARGS("%u", port);
  g_listenerPort = port;
  TRACE_END();
}

std::string ClientSideRequest::GetCertificateName() {
  TRACE_START();
  // The same override as the settings' default server.
  std::string name = PARLAVOX_SERVER_HOST;
  int port = 443;
  ApplyServerOverride(name, port);
  TRACE_END_RESULT("%s", name.c_str());
  return name;
}

void ClientSideRequest::SetupConnection(const std::string& host, int port, bool tls, bool proxy,
                                        const std::string& proxyHost, int proxyPort, const std::string& login,
                                        const std::string& password, t_status status) {
  TRACE_START_ARGS("%s:%d, %d, %d, %s:%d, %s, ***, %d", host.c_str(), port, tls, proxy, proxyHost.c_str(), proxyPort,
                   login.c_str(), status);
  m_host = host;
  m_port = port;
  m_tls = tls;
  m_proxy = proxy;
  m_proxyHost = proxyHost;
  m_proxyPort = proxyPort;
  m_login = login;
  m_password = password;
  m_status = status;
  TRACE_END();
}

void ClientSideRequest::AbortConnection() {
  TRACE_START();
  m_abort = true;
  // Whatever the attempt is doing (resolving, connecting, the tunnel, the handshake or
  // waiting for the server) ends now, and nothing queued goes out any more.
  CloseLink();
  TRACE_END();
}

void ClientSideRequest::CloseConnection() {
  TRACE_START();
  // An attempt that is still connecting ends without telling the controller anything more.
  m_closeAsked = true;
  m_connected = false;
  SessionEnded();
  // What was queued before (a disconnect request, say) still goes out, then the link closes.
  m_connection->CloseWhenSent();
  TRACE_END();
}

bool ClientSideRequest::WaitClosed(int milliseconds) const {
  return m_connection->WaitClosed(milliseconds);
}

void ClientSideRequest::CloseLink() {
  TRACE_START();
  m_connected = false;
  SessionEnded();
  m_connection->CloseConnection();
  TRACE_END();
}

S2C_Request_t* ClientSideRequest::DecodeNextRequest() {
  S2C_Request_t* request = nullptr;
  while (!request) request = m_connection->ReceiveS2CRequest();
  return request;
}

void ClientSideRequest::SessionStarted() {
  std::lock_guard<std::mutex> lock(m_sessionMutex);
  if (m_inSession || !m_connected || m_abort || m_closeAsked) return;
  m_inSession = true;
  if (auto listener = LocalServer::Instance()) listener->SetConnected(true);
}

void ClientSideRequest::SessionEnded() {
  std::lock_guard<std::mutex> lock(m_sessionMutex);
  if (!m_inSession) return;
  m_inSession = false;
  if (auto listener = LocalServer::Instance()) listener->SetConnected(false);
}

bool ClientSideRequest::Connect() {
  TRACE_START();
  const char* proxyHost = m_proxy ? m_proxyHost.c_str() : nullptr;
  std::string certName = GetCertificateName();
  // Requests go out through the link's writer from the first one on, in the order queued.
  bool connected = m_connection->ConnectTo(m_host.c_str(), static_cast<unsigned short>(m_port), certName.c_str(),
                                           m_tls, Config::GetPath(), proxyHost,
                                           static_cast<unsigned short>(m_proxyPort));
  m_connected = connected;
  if (m_abort || m_closeAsked) {
    // Nobody waits for this attempt any more: what it opened is released unseen, and the
    // attempt counts as never connected (a later close must not touch the listener).
    m_connected = false;
    m_connection->CloseConnection();
    TRACE_END_RESULT("given up");
    return false;
  }
  m_machine->ConnectionAck(connected);
  TRACE_END_RESULT("%d", connected);
  return connected;
}

void ClientSideRequest::Run() {
  TRACE_START();
  // The abort flag is not cleared here: an abort that comes before the thread gets this far
  // must still end the attempt (each attempt has an object of its own).
  if (!Connect()) {
    TRACE_END_RESULT("(not connected)");
    return;
  }

  unsigned int length = 0;
  unsigned char* digest = IMImage::GenerateHash("defaultavatar", false, &length);
  SendConnect(m_login, m_password, m_status, digest, static_cast<int>(length));
  free(digest);

  // The loop ends when the link does, not with the connected flag: after the controller's
  // close the link lives on until what was queued went out, and is read until then.
  // One short line per request: a flooding server must not cost more in traces than in work.
  bool receiving = true;
  while (receiving) {
    // The request is freed once the controller has handled it.
    asn1::Request<S2C_Request_t> request(DecodeNextRequest());
    if (request->present != S2C_Request_PR_heartbeat) TRACE_INFO("received %d", static_cast<int>(request->present));
    switch (request->present) {
      case S2C_Request_PR_NOTHING:
        TRACE_INFO("socket failure");
        CloseLink();
        receiving = false;
        break;
      case S2C_Request_PR_disconnect:
        TRACE_INFO("Disconnect");
        CloseLink();
        receiving = false;
        break;
      case S2C_Request_PR_redirect:
        TRACE_INFO("Redirect");
        CloseLink();
        receiving = false;
        break;
      case S2C_Request_PR_connect_ack:
        SessionStarted();
        break;
      case S2C_Request_PR_goaway:
        // The link stays open while the controller handles it, but the session is over: the
        // extensions hear so before any new attempt the controller may start.
        SessionEnded();
        receiving = false;
        break;
      default:
        break;
    }
    if (m_abort) {
      // The user gave the attempt up: what the closed link gave is not news to anyone.
      TRACE_INFO("aborted");
      break;
    }
    // Waits here while the controller's inbox is full.
    m_machine->ProcessRequest(*request);
  }
  // A link that a go-away or an abort left open is closed now that nothing reads it any more.
  CloseLink();
  TRACE_END();
}

void ClientSideRequest::SetExtensionStatus(const std::string& name, ExtensionStatus_t status) {
  TRACE_START_ARGS("%s, %ld", name.c_str(), static_cast<long>(status));
  if (auto listener = LocalServer::Instance()) listener->SetExtensionStatus(name, status);
  TRACE_END();
}

bool ClientSideRequest::IsURLOpened(const std::string& url) const {
  TRACE_START_ARGS("%s", url.c_str());
  auto listener = LocalServer::Instance();
  bool opened = listener && listener->IsURLOpened(url);
  TRACE_END_RESULT("%d", opened);
  return opened;
}

void ClientSideRequest::UpdateExternalInfo(const std::string& url, int value) {
  TRACE_START_ARGS("%s, %d", url.c_str(), value);
  if (auto listener = LocalServer::Instance()) listener->UpdateExternalInfo(url, value);
  TRACE_END();
}

std::vector<std::string> ClientSideRequest::GetAllOpenedSites() const {
  TRACE_START();
  auto listener = LocalServer::Instance();
  std::vector<std::string> sites;
  if (listener) sites = listener->GetAllOpenedSites();
  TRACE_END_RESULT("%zu", sites.size());
  return sites;
}

bool ClientSideRequest::Send(C2S_Request_t* request) {
  // Checked and encoded here, then queued for the link's writer: nothing waits on the network.
  if (!m_connected) {
    TRACE_ERROR("not connected: request %d not sent", static_cast<int>(request->present));
    return false;
  }
  return m_connection->SendC2SRequest(request);
}

bool ClientSideRequest::SendConnect(const std::string& login, const std::string& password, t_status status,
                                    const unsigned char* digest, int length) {
  TRACE_START_ARGS("%s, ***, %d", login.c_str(), status);
  auto r = NewRequest(C2S_Request_PR_connect);
  C2S_Connect_t& m = r->choice.connect;
  SetOctetString(&m.login, login);
  SetOctetString(&m.password, password);
  SetOctetString(&m.version, kProgramVersion, static_cast<int>(strlen(kProgramVersion)));
  m.status = StatusOnWire(status);
  SetOctetString(&m.default_avatar_hash, digest, digest ? length : 0);
  TRACE_INFO("SEND");
  bool sent = Send(r.get());
  TRACE_INFO("FREE");
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendDisconnect(const std::string& authkey) {
  TRACE_START();
  auto r = NewRequest(C2S_Request_PR_disconnect);
  SetOctetString(&r->choice.disconnect.authkey, authkey);
  r->choice.disconnect.recoflag = 0;
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::KeyTyped(const std::string& authkey, const std::string& site, bool enabled) {
  TRACE_START_ARGS("%s, %d", site.c_str(), enabled);
  auto r = NewRequest(C2S_Request_PR_keytyped);
  C2S_KeyTyped_t& m = r->choice.keytyped;
  SetKeyAndSite(m, authkey, site);
  m.enabled = asn1::NewValue<BOOLEAN_t>(enabled ? 1 : 0);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendOpenChatRoom(const std::string& authkey, const std::string& site) {
  TRACE_START_ARGS("%s", site.c_str());
  auto r = NewRequest(C2S_Request_PR_openurl);
  SetKeyAndSite(r->choice.openurl, authkey, site);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendCloseChatRoom(const std::string& authkey, const std::string& site) {
  TRACE_START_ARGS("%s", site.c_str());
  auto r = NewRequest(C2S_Request_PR_closeurl);
  SetKeyAndSite(r->choice.closeurl, authkey, site);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendMessage(const std::string& authkey, const std::string& site, const std::string& message) {
  TRACE_START_ARGS("%s", site.c_str());
  auto r = NewRequest(C2S_Request_PR_sendmessage);
  C2S_SendMessage_t& m = r->choice.sendmessage;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.message, message);
  TRACE_INFO("SEND");
  bool sent = Send(r.get());
  TRACE_INFO("FREE");
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendFile(const std::string& authkey, const std::string& site, const std::string& fileName,
                                 const std::string& fileKey, long size, int port) {
  TRACE_START_ARGS("%s, %s, %s, %ld, %d", site.c_str(), fileName.c_str(), fileKey.c_str(), size, port);
  auto r = NewRequest(C2S_Request_PR_sendfile);
  C2S_SendFile_t& m = r->choice.sendfile;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.filename, fileName);
  SetOctetString(&m.filekey, fileKey);
  m.filesize = size;
  m.port = port;
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendSubscribeChatRoom(const std::string& authkey, const std::string& site) {
  TRACE_START_ARGS("%s", site.c_str());
  auto r = NewRequest(C2S_Request_PR_suburl);
  SetKeyAndSite(r->choice.suburl, authkey, site);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendUnsubscribeChatRoom(const std::string& authkey, const std::string& site) {
  TRACE_START_ARGS("%s", site.c_str());
  auto r = NewRequest(C2S_Request_PR_unsuburl);
  SetKeyAndSite(r->choice.unsuburl, authkey, site);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendComment(const std::string& authkey, const std::string& site, const std::string& text,
                                    int grade) {
  TRACE_START_ARGS("%s, %d", site.c_str(), grade);
  auto r = NewRequest(C2S_Request_PR_comment);
  C2S_Comment_t& m = r->choice.comment;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.text, text);
  m.grade = grade;
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::ChangeStatus(const std::string& authkey, t_status status) {
  TRACE_START_ARGS("%d", status);
  if (status == STATUS_NONE) {
    TRACE_ERROR("Changement impossible");
    TRACE_END_RESULT("refused");
    return false;
  }
  auto r = NewRequest(C2S_Request_PR_changestatus);
  SetOctetString(&r->choice.changestatus.authkey, authkey);
  r->choice.changestatus.status = StatusOnWire(status);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::ChangeAvatar(const std::string& authkey, t_image_type type, long size,
                                     const unsigned char* bytes, t_image_type smallType, long smallSize,
                                     const unsigned char* smallBytes) {
  TRACE_START_ARGS("%ld, %ld", size, smallSize);
  auto r = NewRequest(C2S_Request_PR_newavatar);
  C2S_NewAvatar_t& m = r->choice.newavatar;
  SetOctetString(&m.authkey, authkey);
  bool typed = SetImage(&m.avatar, type, size, bytes);
  typed = SetImage(&m.smallavatar, smallType, smallSize, smallBytes) && typed;
  TRACE_INFO("SEND");
  bool sent = typed && Send(r.get());
  TRACE_INFO("FREE");
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::AskForAvatar(const std::string& authkey, const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_askavatar);
  SetOctetString(&r->choice.askavatar.authkey, authkey);
  SetOctetString(&r->choice.askavatar.login, login);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::UpdateProfile(const std::string& authkey, const std::string& nickname,
                                      const std::string& mood, int day, int month, int year) {
  TRACE_START_ARGS("%s, %s, %d, %d, %d", nickname.c_str(), mood.c_str(), day, month, year);
  auto r = NewRequest(C2S_Request_PR_updateprofile);
  C2S_UpdateProfile_t& m = r->choice.updateprofile;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.nickname, nickname);
  SetOctetString(&m.mood, mood);
  if (day != 0) {
    m.birthDate = asn1::Allocate<Date_t>();
    m.birthDate->day = day;
    m.birthDate->month = month;
    m.birthDate->year = year;
  }
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::CheckContact(const std::string& authkey, const std::string& loginOrEmail) {
  TRACE_START_ARGS("%s", loginOrEmail.c_str());
  auto r = NewRequest(C2S_Request_PR_checkcontact);
  C2S_CheckContact_t& m = r->choice.checkcontact;
  SetOctetString(&m.authkey, authkey);
  if (loginOrEmail.find('@') != std::string::npos) {
    m.loginOrEmail.present = LoginOrEmail_PR_email;
    SetOctetString(&m.loginOrEmail.choice.email, loginOrEmail);
  } else {
    m.loginOrEmail.present = LoginOrEmail_PR_login;
    SetOctetString(&m.loginOrEmail.choice.login, loginOrEmail);
  }
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::AddContact(const std::string& authkey, const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_addcontact);
  C2S_AddContact_t& m = r->choice.addcontact;
  SetKeyLoginMessage(m, authkey, login, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::AddContactAnswer(const std::string& authkey, const std::string& login, bool answer,
                                         const std::string& message) {
  TRACE_START_ARGS("%s, %d", login.c_str(), answer);
  auto r = NewRequest(C2S_Request_PR_addcontactanswer);
  C2S_AddContactAnswer_t& m = r->choice.addcontactanswer;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.login, login);
  m.answer = answer ? 1 : 0;
  SetOctetString(&m.message, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::RemoveContact(const std::string& authkey, const std::string& login,
                                      const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_delcontact);
  C2S_DelContact_t& m = r->choice.delcontact;
  SetKeyLoginMessage(m, authkey, login, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::InviteContactInChatRoom(const std::string& authkey, const std::string* site,
                                                const std::vector<std::string>& logins) {
  TRACE_START_ARGS("%s, %zu", site ? site->c_str() : "(none)", logins.size());
  auto r = NewRequest(C2S_Request_PR_invitechatroom);
  C2S_InviteChatroom_t& m = r->choice.invitechatroom;
  SetOctetString(&m.authkey, authkey);
  if (site) {
    m.site = asn1::Allocate<Site_t>();
    SetOctetString(m.site, *site);
  }
  for (const std::string& login : logins) {
    Login_t* item = asn1::Allocate<Login_t>();
    SetOctetString(item, login);
    ASN_SEQUENCE_ADD(&m.logins.list, item);
  }
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::InviteContactInChatRoomAck(const std::string& authkey, const std::string& site,
                                                   const std::string& login, const std::string& message,
                                                   bool status) {
  TRACE_START_ARGS("%s, %s, %d", site.c_str(), login.c_str(), status);
  auto r = NewRequest(C2S_Request_PR_invitechatroomanswer);
  C2S_InviteChatroomAnswer_t& m = r->choice.invitechatroomanswer;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.login, login);
  SetOctetString(&m.message, message);
  m.status = status ? 1 : 0;
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::ReportAbuse(const std::string& authkey, const std::string& site, const std::string& login,
                                    const std::string& message) {
  TRACE_START_ARGS("%s, %s", site.c_str(), login.c_str());
  auto r = NewRequest(C2S_Request_PR_abuse);
  C2S_Abuse_t& m = r->choice.abuse;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.login, login);
  SetOctetString(&m.message, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::AskForFileAck(const std::string& authkey, const std::string& login,
                                      const std::string& fileKey, const std::string& fileName, bool status,
                                      long size) {
  TRACE_START_ARGS("%s, %s, %d, %ld", login.c_str(), fileKey.c_str(), status, size);
  auto r = NewRequest(C2S_Request_PR_askforfileack);
  C2S_AskForFileAck_t& m = r->choice.askforfileack;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.login, login);
  SetOctetString(&m.filekey, fileKey);
  SetOctetString(&m.filename, fileName);
  m.status = status ? 1 : 0;
  if (status) {
    m.size = asn1::NewValue<long>(size);
  }
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::FilePart(const std::string& authkey, const std::string& login, const std::string& fileKey,
                                 FileData_t* data) {
  TRACE_START_ARGS("%s, %s, %d", login.c_str(), fileKey.c_str(), data ? static_cast<int>(data->size) : -1);
  auto r = NewRequest(C2S_Request_PR_filepart);
  C2S_FilePart_t& m = r->choice.filepart;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.login, login);
  SetOctetString(&m.filekey, fileKey);
  m.filedata = data;
  bool sent = Send(r.get());
  // The part stays the caller's.
  m.filedata = nullptr;
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::CancelFile(const std::string& authkey, const std::string& site, const std::string& fileKey) {
  TRACE_START_ARGS("%s, %s", site.c_str(), fileKey.c_str());
  auto r = NewRequest(C2S_Request_PR_cancelfile);
  C2S_CancelFile_t& m = r->choice.cancelfile;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.filekey, fileKey);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::BlockContact(const std::string& authkey, const std::string& login,
                                     const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_blockcontact);
  C2S_BlockContact_t& m = r->choice.blockcontact;
  SetKeyLoginMessage(m, authkey, login, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::UnblockContact(const std::string& authkey, const std::string& login,
                                       const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_unblockcontact);
  C2S_UnblockContact_t& m = r->choice.unblockcontact;
  SetKeyLoginMessage(m, authkey, login, message);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::UpdateGroup(const std::string& authkey, const std::string& login, const std::string& group) {
  TRACE_START_ARGS("%s, %s", login.c_str(), group.c_str());
  auto r = NewRequest(C2S_Request_PR_contactgroup);
  C2S_ContactGroup_t& m = r->choice.contactgroup;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.login, login);
  SetOctetString(&m.group, group);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendClientInfo(const std::string& authkey, const std::string& environment,
                                       const std::string& os, const std::string& hardware,
                                       const std::string& screen, const std::string& extensions) {
  TRACE_START();
  auto r = NewRequest(C2S_Request_PR_clientinfo);
  C2S_ClientInfo_t& m = r->choice.clientinfo;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.environment, environment);
  SetOctetString(&m.os_info, os);
  SetOctetString(&m.hardware_info, hardware);
  SetOctetString(&m.screen_info, screen);
  SetOctetString(&m.extensions_info, extensions);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::HeartBeatAck(const std::string& authkey) {
  // Untraced: a server may send thousands a second (a refusal is traced by Send).
  auto r = NewRequest(C2S_Request_PR_heartbeatack);
  SetOctetString(&r->choice.heartbeatack.authkey, authkey);
  return Send(r.get());
}

bool ClientSideRequest::AskMessengerProtocols(const std::string& authkey, const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  auto r = NewRequest(C2S_Request_PR_askmessengerprotocols);
  SetOctetString(&r->choice.askmessengerprotocols.authkey, authkey);
  SetOctetString(&r->choice.askmessengerprotocols.login, login);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::ConnectMessenger(const std::string& authkey, const std::string& protocol,
                                         const std::string& login, const std::string& password,
                                         const std::map<std::string, std::string>& parameters,
                                         const std::string& nickname, t_status status) {
  TRACE_START_ARGS("%s, %s, ***, %zu, %s, %d", protocol.c_str(), login.c_str(), parameters.size(), nickname.c_str(),
                   status);
  auto r = NewRequest(C2S_Request_PR_connectmessenger);
  C2S_ConnectMessenger_t& m = r->choice.connectmessenger;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.protocol, protocol);
  SetOctetString(&m.login, login);
  SetOctetString(&m.password, password);
  SetOctetString(&m.nickname, nickname);
  m.status = StatusOnWire(status);
  // The account's parameters go along, so that protocols that need them can connect.
  for (const auto& entry : parameters) {
    MessengerProtocolParameter_t* item = asn1::Allocate<MessengerProtocolParameter_t>();
    SetOctetString(&item->key, entry.first);
    SetOctetString(&item->value, entry.second);
    ASN_SEQUENCE_ADD(&m.parameters.list, item);
  }
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::DisconnectMessenger(const std::string& authkey, const std::string& protocol,
                                            const std::string& login) {
  TRACE_START_ARGS("%s, %s", protocol.c_str(), login.c_str());
  auto r = NewRequest(C2S_Request_PR_disconnectmessenger);
  C2S_DisconnectMessenger_t& m = r->choice.disconnectmessenger;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.protocol, protocol);
  SetOctetString(&m.login, login);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::AddSmiley(const std::string& authkey, const std::string& site, const std::string& code,
                                  t_image_type type, long size, const unsigned char* bytes) {
  TRACE_START_ARGS("%s, %s, %ld", site.c_str(), code.c_str(), size);
  auto r = NewRequest(C2S_Request_PR_addsmiley);
  C2S_AddSmiley_t& m = r->choice.addsmiley;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.codesmiley, code);
  bool sent = SetImage(&m.smiley, type, size, bytes) && Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::DelSmiley(const std::string& authkey, const std::string& site, const std::string& code) {
  TRACE_START_ARGS("%s, %s", site.c_str(), code.c_str());
  auto r = NewRequest(C2S_Request_PR_delsmiley);
  C2S_DelSmiley_t& m = r->choice.delsmiley;
  SetKeyAndSite(m, authkey, site);
  SetOctetString(&m.codesmiley, code);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::SendErrorMessages(const std::string& authkey, const std::string& text) {
  TRACE_START();
  auto r = NewRequest(C2S_Request_PR_error_messages);
  SetOctetString(&r->choice.error_messages.authkey, authkey);
  SetOctetString(&r->choice.error_messages.message, text);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

bool ClientSideRequest::FilePartAck(const std::string& authkey, const std::string& login,
                                    const std::string& fileKey) {
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  auto r = NewRequest(C2S_Request_PR_filepartack);
  C2S_FilePartAck_t& m = r->choice.filepartack;
  SetOctetString(&m.authkey, authkey);
  SetOctetString(&m.login, login);
  SetOctetString(&m.filekey, fileKey);
  bool sent = Send(r.get());
  TRACE_END_RESULT("%d", sent);
  return sent;
}

void ManageClientSideRequest::operator()() {
  TRACE_START();
  if (m_request) m_request->Run();
  TRACE_INFO("DEL");
  m_request.reset();
  TRACE_END();
}
