#include "core/application.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <algorithm>
#include <atomic>
#include <ctime>

#include "asn1/extensionStatus.h"
#include "asn1/octetString.h"
#include "core/applicationInbox.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/nextIdleTurn.h"
#include "model/processEnd.h"
#include "model/stringConversion.h"
#include "network/fileServer.h"
#include "network/localServer.h"

// Every alternative of a request must reach its handler: a missing case is a build error.
#pragma GCC diagnostic error "-Wswitch"

namespace {

Manager* g_instance = nullptr;

std::atomic<unsigned short> g_listenerPort{LocalServer::kDefaultPort};

std::string Text(const OCTET_STRING_t& value) {
  return asn1::ToString(value);
}

// A text that other users wrote (a line, a file name): a NUL byte would end it early wherever
// it becomes a C string, and the rest would go unseen. Each is shown as the replacement
// character, as the display shows other control characters, and the trace says so.
std::string UsersText(const OCTET_STRING_t& value, const char* what) {
  std::string text = asn1::ToString(value);
  size_t found = text.find('\0');
  if (found == std::string::npos) return text;
  size_t count = 0;
  for (; found != std::string::npos; found = text.find('\0', found + 3), ++count)
    text.replace(found, 1, "\xEF\xBF\xBD");
  TRACE_ERROR("%zu NUL byte(s) in a %s shown as U+FFFD", count, what);
  return text;
}

// An optional text as a pointer into holder, or null when absent.
const std::string* OptionalText(const OCTET_STRING_t* value, std::string* holder) {
  if (!value) return nullptr;
  *holder = asn1::ToString(*value);
  return holder;
}

struct BuiltinSmiley {
  const char* name;
  const char* shortcuts[2];
};

const BuiltinSmiley kBuiltinSmileys[] = {
    {"happy", {":-)", ":)"}},   {"wink", {";-)", ";)"}}, {"blush", {":$", nullptr}},
    {"cheeky", {":-p", ":p"}},  {"sad", {":-(", ":("}},  {"confused", {":s", nullptr}},
    {"cool", {"(h)", nullptr}}, {"crying", {":'-(", ":'("}},
};

}  // namespace

Manager* Manager::GetInstance() {
  if (!g_instance) g_instance = new Manager();
  return g_instance;
}

Manager* GetManager() {
  return Manager::GetInstance();
}

Manager::Manager() : m_mailbox(std::make_shared<ManagerMailbox>(this)) {
  TRACE_START();
  MANAGER_GUI_THREAD_ONLY();
  TRACE_INFO("Init contacts");
  for (ContactInfo* contact : Config::GetInstance()->GetContacts()) {
    TRACE_INFO("Pointeur : %p", static_cast<void*>(contact));
    m_contacts[contact->GetLogin()] = contact;
  }
  TRACE_INFO("Create admin info");
  m_adminContact = new ContactInfo("ADMIN", "Administrator", "", "", STATUS_OFFLINE, "France", "Paris", 1, 6, 2007, "",
                                   "parlavox", false);
  TRACE_INFO("Init smileys");
  for (const BuiltinSmiley& builtin : kBuiltinSmileys) {
    Smiley* smiley = new Smiley(builtin.name, builtin.shortcuts[0],
                                Config::GetImagePath(std::string(builtin.name) + ".png"), true);
    if (builtin.shortcuts[1]) smiley->AddShortcut(builtin.shortcuts[1]);
    m_builtinSmileys.push_back(smiley);
  }
  // What is left in the inbox at the end of a slice is handled in the event loop's idle time.
  if (wxTheApp) wxTheApp->Bind(wxEVT_IDLE, &Manager::OnIdle, this);
  m_clientInfoTimer.SetOwner(this);
  Bind(wxEVT_TIMER, &Manager::OnClientInfoTimer, this, m_clientInfoTimer.GetId());
  m_progressTimer.SetOwner(this);
  Bind(wxEVT_TIMER, &Manager::OnProgressTimer, this, m_progressTimer.GetId());
  // The extension listener and the file server report to the live Manager made last.
  ProcessRelay::Get().Bind(m_mailbox);
  FileServer::BindListener(&ProcessRelay::Get());
  std::string login = GetLogin();
  if (!login.empty()) {
    TRACE_INFO("Send event to interface");
    PostText(wxEVT_RECEIVE_UPDATE_AVATAR, 0, login);
  }
  TRACE_END();
}

Manager::~Manager() {
  // From here on no other thread reaches this Manager; then its own threads are let go.
  m_mailbox->Close();
  ProcessRelay::Get().Unbind(m_mailbox.get());
  m_clientInfoTimer.Stop();
  m_progressTimer.Stop();
  if (wxTheApp) wxTheApp->Unbind(wxEVT_IDLE, &Manager::OnIdle, this);
  RetireLink(false);
  if (m_fileServer) m_fileServer->Close(false);
  if (g_instance == this) g_instance = nullptr;
  delete m_adminContact;
  for (Smiley* smiley : m_builtinSmileys) delete smiley;
  for (auto& entry : m_contactEvents) delete entry.second;
  for (auto& entry : m_strangers) delete entry.second;
  // Records met in updates and never saved have no other holder.
  std::vector<ContactInfo*> saved = Config::GetInstance()->GetContacts();
  for (auto& entry : m_contacts)
    if (std::find(saved.begin(), saved.end(), entry.second) == saved.end()) delete entry.second;
  for (auto& entry : m_liveSites) delete entry.second;
  for (auto& entry : m_fileMessages) delete entry.second;
}

void Manager::SetListenerPort(unsigned short port) {
  TRACE_START_ARGS("%u", port);
  g_listenerPort = port;
  ClientSideRequest::SetListenerPort(port);
  TRACE_END();
}

void Manager::StartExtensionListener() {
  // Started once per process, at the first connection; later calls find it running.
  LocalServer::Start(&ProcessRelay::Get(), g_listenerPort);
}

void Manager::CheckGuiThread(const char* function) {
#ifndef NDEBUG
  if (!wxIsMainThread()) {
    TRACE_ERROR("%s called off the GUI thread", function);
    wxFAIL_MSG(wxString::Format("Manager::%s called off the GUI thread", function));
  }
#else
  (void)function;
#endif
}

// ---- Accessors

size_t Manager::GetInboxSize() const {
  return m_mailbox->Size();
}

size_t Manager::GetInboxBytes() const {
  return m_mailbox->Bytes();
}

std::shared_ptr<StateMachine> Manager::CurrentLinkPort() const {
  if (!m_link) return nullptr;
  return std::shared_ptr<StateMachine>(m_link, m_link->port.get());
}

t_status Manager::GetStatus() const {
  return m_connected ? m_status : STATUS_OFFLINE;
}

std::string Manager::GetLogin() const {
  return Config::GetInstance()->GetContactInfo()->GetLogin();
}

ContactInfo* Manager::GetOwnContactInfo() const {
  return Config::GetInstance()->GetContactInfo();
}

ContactInfo* Manager::GetDefaultContactInfo() const {
  return Config::GetInstance()->GetDefaultContactInfo();
}

wxBitmap Manager::GetImage(const std::string& name) const {
  return IMImage::GetImage(name, false);
}

std::string Manager::GetWebSiteURL() const {
  return PARLAVOX_WEBSITE;
}

std::string Manager::GetTimeKey() const {
  char text[32];
  snprintf(text, sizeof text, "%ld", static_cast<long>(time(nullptr)));
  return text;
}

int Manager::GetEventId() {
  static int id = -1;
  if (id == -1) id = wxNewId();
  return id;
}

// ---- Posting to the windows

ManagerEvent* Manager::NewEvent(wxEventType type, int code) {
  ManagerEvent* event = new ManagerEvent(type, GetEventId());
  event->SetInt(code);
  if (wxIsMainThread()) m_postedCost += HandlingCost(type);
  return event;
}

std::chrono::steady_clock::duration Manager::HandlingCost(wxEventType type) const {
  auto known = m_handlingCost.find(type);
  // An event of a kind not handled yet may cost the windows much (a new room, a new button).
  return known == m_handlingCost.end() ? std::chrono::steady_clock::duration(kInboxSlice / 4) : known->second;
}

bool Manager::ProcessEvent(wxEvent& event) {
  if (event.GetId() != GetEventId() || !dynamic_cast<ManagerEvent*>(&event) || !wxIsMainThread())
    return wxEvtHandler::ProcessEvent(event);
  // The system asked the program to end: what was posted to the windows is dropped unseen, so
  // that the event loop comes to the end at once, however much waits.
  if (EndAsked()) return true;
  using Clock = std::chrono::steady_clock;
  const Clock::duration expected = HandlingCost(event.GetEventType());
  // A room's answer that waited for its turn while the user ended the session: handled now, it
  // would open a page to typing while offline, which the next log-in would then not ask for.
  const uint64_t session = static_cast<ManagerEvent&>(event).GetSession();
  if (session != 0 && !IsCurrentLink(session)) {
    TRACE_INFO("news of ended session %llu dropped", static_cast<unsigned long long>(session));
    m_postedCost = std::max(Clock::duration::zero(), m_postedCost - expected);
    return true;
  }
  const Clock::time_point start = Clock::now();
  const bool handled = wxEvtHandler::ProcessEvent(event);
  const Clock::duration took = Clock::now() - start;
  m_turnSpent += took;
  m_postedCost = std::max(Clock::duration::zero(), m_postedCost - expected);
  // A running mean per kind of event; a handler that waited for the user (a message box) says
  // nothing of the next one's cost.
  const Clock::duration sample = std::min<Clock::duration>(took, 2 * kInboxSlice);
  m_handlingCost[event.GetEventType()] = expected + (sample - expected) / 4;
  return handled;
}

void Manager::PostKept(wxEventType type, int code, wxObject* record) {
  ManagerEvent* event = NewEvent(type, code);
  event->SetKeptObject(record);
  QueueEvent(event);
}

void Manager::PostOwned(wxEventType type, int code, wxObject* object) {
  ManagerEvent* event = NewEvent(type, code);
  event->SetOwnedObject(object);
  QueueEvent(event);
}

void Manager::PostText(wxEventType type, int code, const std::string& text) {
  ManagerEvent* event = NewEvent(type, code);
  event->SetString(std2wx(text));
  QueueEvent(event);
}

void Manager::PostTexts(wxEventType type, int code, const wxArrayString& texts) {
  ManagerEvent* event = NewEvent(type, code);
  event->SetStrings(texts);
  QueueEvent(event);
}

void Manager::PostForSession(ManagerEvent* event) {
  event->SetSession(m_link ? m_link->generation : 0);
  QueueEvent(event);
}

// ---- The inbox, drained on the GUI thread

void Manager::AskDrain() {
  CallAfter([this] { DrainInbox(false); });
}

void Manager::DrainInbox(bool idle) {
  MANAGER_GUI_THREAD_ONLY();
  using Clock = std::chrono::steady_clock;
  // A turn lasts from one idle time of the event loop to the next: drains asked for in between
  // share one slice, so that hand-overs arriving one by one cannot hold the loop either.
  if (idle) m_turnSpent = Clock::duration::zero();
  if (idle) m_postedCost = Clock::duration::zero();  // what was posted before has been handled
  if (idle) m_turnEntries = 0;
  const Clock::time_point start = Clock::now();
  const Clock::duration budget = kInboxSlice - m_turnSpent;
  m_inboxLeft = false;
  InboxEntry entry;
  for (;;) {
    // Nothing more is handled once the system asked the program to end: its close comes first.
    if (EndAsked()) break;
    if (!SliceHasRoom(Clock::now() - start, budget)) {
      m_inboxLeft = m_mailbox->HasEntries();
      break;
    }
    if (!m_mailbox->Take(&entry)) break;
    HandleEntry(entry);
    ++m_turnEntries;
    m_mailbox->Spent(std::move(entry));
    entry = InboxEntry();
  }
  m_turnSpent += Clock::now() - start;
  if (m_inboxLeft && !idle) wxWakeUpIdle();
}

bool Manager::SliceHasRoom(std::chrono::steady_clock::duration spent,
                           std::chrono::steady_clock::duration budget) const {
  if (m_turnEntries < kEntriesBeforeLookAhead) return spent < budget;
  return spent + m_postedCost < budget;
}

void Manager::OnIdle(wxIdleEvent& event) {
  event.Skip();
  if (!m_inboxLeft) {
    m_turnSpent = std::chrono::steady_clock::duration::zero();
    m_postedCost = std::chrono::steady_clock::duration::zero();
    m_turnEntries = 0;
    return;
  }
  DrainInbox(true);
  if (m_inboxLeft) AskNextIdleTurn();
}

void Manager::HandleEntry(InboxEntry& entry) {
  if (entry.beats)
    HandleHeartBeats(entry.generation, entry.beats);
  else if (entry.call)
    entry.call(*this);
}

// ---- Handling, on the GUI thread

// Generation 0 names no link: nothing that names none counts as the current link's.
bool Manager::IsCurrentLink(uint64_t generation) const {
  return generation != 0 && m_link && m_link->generation == generation;
}

void Manager::HandleListenerUnavailable() {
  TRACE_STARTEND();
}

void Manager::HandleConnectionAck(uint64_t generation, bool ok) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d", ok ? 1 : 0);
  if (!IsCurrentLink(generation)) {
    TRACE_END_RESULT("from a superseded link (%llu), dropped", static_cast<unsigned long long>(generation));
    return;
  }
  if (m_state != CONNECTING_AUTH) {
    TRACE_END_RESULT("not logging in");
    return;
  }
  TRACE_INFO("Send event to interface");
  if (ok)
    PostText(wxEVT_CONNECTION_ACK, GUI_CONNECTED_TO_SERVER, GetLogin());
  else
    ConnectionFailed(GUI_CONNECTION__SERVER_FAILED, "");
  TRACE_END();
}

void Manager::HandleServerRequest(uint64_t generation, S2C_Request_t& request) {
  MANAGER_GUI_THREAD_ONLY();
  // Traced by the handlers themselves: a line more per request would cost as much as most of
  // them.
  if (!IsCurrentLink(generation)) {
    TRACE_INFO("request %d from a superseded link (%llu), dropped", static_cast<int>(request.present),
               static_cast<unsigned long long>(generation));
    return;
  }
  switch (m_state) {
    case DISCONNECTED:
      TRACE_INFO("unknown request in DISCONNECTED");
      break;
    case CONNECTING:
      if (request.present == S2C_Request_PR_NOTHING) ConnectionFailed(GUI_SOCKET_ERROR, "");
      break;
    case CONNECTING_AUTH:
      DispatchLogIn(request);
      break;
    case CONNECTED:
      DispatchConnected(request);
      break;
  }
}

void Manager::HandleHeartBeats(uint64_t generation, unsigned count) {
  MANAGER_GUI_THREAD_ONLY();
  if (!IsCurrentLink(generation) || m_state != CONNECTED) {
    TRACE_INFO("%u heart-beats dropped (link %llu, state %d)", count, static_cast<unsigned long long>(generation),
               m_state);
    return;
  }
  ClientSideRequest* client = Client();
  unsigned answered = 0;
  for (unsigned i = 0; i < count && client; ++i)
    if (client->HeartBeatAck(m_authKey)) ++answered;
  if (answered != count) TRACE_INFO("%u of %u heart-beats answered", answered, count);
}

int Manager::GoAwayCode(long status) {
  switch (status) {
    case ConnectionError_invalid_login:
      return GUI_CONNECTION__INVALID_LOGIN;
    case ConnectionError_invalid_version:
      return GUI_CONNECTION__INVALID_VERSION;
    case ConnectionError_too_many_users:
      return GUI_CONNECTION__TOO_MANY_USERS;
    case ConnectionError_already_connected:
      // Another session of the same user: retrying would only evict it in turn.
      return GUI_NOTASKED_DISCONNECT;
    default:
      return GUI_CONNECTION__SERVER_FAILED;
  }
}

// While logging in, every request that ends the session ends the attempt.
void Manager::DispatchLogIn(S2C_Request_t& request) {
  switch (request.present) {
    case S2C_Request_PR_NOTHING:
      ConnectionFailed(GUI_SOCKET_ERROR, "");
      break;
    case S2C_Request_PR_connect_ack: {
      const S2C_ConnectAck_t& ack = request.choice.connect_ack;
      ConnectionSuccessful(Text(ack.authkey), Text(ack.version), ack.default_avatar,
                           ack.web_token ? Text(*ack.web_token) : std::string());
      break;
    }
    case S2C_Request_PR_goaway: {
      const S2C_GoAway_t& goaway = request.choice.goaway;
      ConnectionFailed(GoAwayCode(goaway.status), goaway.version ? Text(*goaway.version) : "unknown");
      break;
    }
    case S2C_Request_PR_disconnect:
      ConnectionFailed(GUI_NOTASKED_DISCONNECT, "");
      break;
    case S2C_Request_PR_redirect:
      ReceiveRedirect(Text(request.choice.redirect.ip), static_cast<int>(request.choice.redirect.port));
      break;
    default:
      TRACE_INFO("unknown request in CONNECTING_AUTH");
      break;
  }
}

void Manager::DispatchConnected(S2C_Request_t& request) {
  if (request.present > S2C_Request_PR_delsmiley) {
    TRACE_ERROR("Unknown request");
    return;
  }
  if (DispatchLinkRequest(request) || DispatchRoomRequest(request) || DispatchContactRequest(request) ||
      DispatchFileRequest(request) || DispatchAccountRequest(request))
    return;
  // Kinds a client is never sent: comment, publicip, webpos, invitechat.
  TRACE_ERROR("Unknown request");
}

bool Manager::DispatchLinkRequest(S2C_Request_t& request) {
  S2C_Request_t::S2C_Request_u& c = request.choice;
  switch (request.present) {
    case S2C_Request_PR_NOTHING:
      ConnectionFailed(GUI_SOCKET_ERROR, "");
      break;
    case S2C_Request_PR_connect_ack:
      TRACE_INFO("connect_ack : unknown request in CONNECTED");
      break;
    case S2C_Request_PR_disconnect:
      DisconnectAck();
      break;
    case S2C_Request_PR_goaway:
      // The server ends the session: the link is of no further use.
      ConnectionFailed(GoAwayCode(c.goaway.status), c.goaway.version ? Text(*c.goaway.version) : "unknown");
      break;
    case S2C_Request_PR_redirect:
      ReceiveRedirect(Text(c.redirect.ip), static_cast<int>(c.redirect.port));
      break;
    case S2C_Request_PR_heartbeat:
      HeartBeat();
      break;
    default:
      return false;
  }
  return true;
}

bool Manager::DispatchRoomRequest(S2C_Request_t& request) {
  std::string holder;
  S2C_Request_t::S2C_Request_u& c = request.choice;
  switch (request.present) {
    case S2C_Request_PR_openurlok: {
      const S2C_OpenURLOk_t& ok = c.openurlok;
      OpenChatRoomAck(Text(ok.site), Text(ok.idcomments), ok.nbrUsers, ok.nbrMessages, ok.averageGrade,
                      OptionalText(ok.userMessage, &holder), ok.userGrade, ok.recommendedSites);
      break;
    }
    case S2C_Request_PR_openurlfail:
      OpenChatRoomAckFailed(Text(c.openurlfail.site));
      break;
    case S2C_Request_PR_updcontact:
      UpdateChatRoomContact(GUI_UPDATE_CONTACT, c.updcontact);
      break;
    case S2C_Request_PR_message:
      ReceiveMessage(Text(c.message.site), Text(c.message.login), UsersText(c.message.message, "message"),
                     static_cast<time_t>(c.message.time), c.message.history && *c.message.history);
      break;
    case S2C_Request_PR_suburlack:
      SubscribeChatRoomAck(Text(c.suburlack.site), c.suburlack.answer);
      break;
    case S2C_Request_PR_invitechatroom:
      ReceiveInviteContactInChatRoom(Text(c.invitechatroom.site), Text(c.invitechatroom.login));
      break;
    case S2C_Request_PR_invitechatroomanswer:
      ReceiveInviteContactInChatRoomAnswer(Text(c.invitechatroomanswer.site), Text(c.invitechatroomanswer.login),
                                           Text(c.invitechatroomanswer.message), c.invitechatroomanswer.answer != 0);
      break;
    case S2C_Request_PR_keytyped:
      // A server that leaves the flag out means "typing".
      KeyTypedInChatRoom(Text(c.keytyped.site), Text(c.keytyped.login), !c.keytyped.enabled || *c.keytyped.enabled);
      break;
    case S2C_Request_PR_comments:
      UpdateComments(Text(c.comments.site), c.comments.nbrComments, c.comments.meanGrade);
      break;
    case S2C_Request_PR_bansite:
      BanSite(Text(c.bansite.site));
      break;
    case S2C_Request_PR_ad:
      ReceiveAd(c.ad.image.type, c.ad.image.content.buf, c.ad.image.content.size);
      break;
    default:
      return false;
  }
  return true;
}

bool Manager::DispatchContactRequest(S2C_Request_t& request) {
  S2C_Request_t::S2C_Request_u& c = request.choice;
  switch (request.present) {
    case S2C_Request_PR_checkcontactack:
      CheckContactAck(c.checkcontactack.loginOrEmail, c.checkcontactack.login, c.checkcontactack.nickname,
                      c.checkcontactack.status != 0);
      break;
    case S2C_Request_PR_addcontactask:
      ReceiveAddContactAsk(Text(c.addcontactask.login), Text(c.addcontactask.nickname),
                           Text(c.addcontactask.message));
      break;
    case S2C_Request_PR_addcontactanswer:
      ReceiveAddContactAnswer(Text(c.addcontactanswer.login), Text(c.addcontactanswer.nickname),
                              c.addcontactanswer.answer != 0, Text(c.addcontactanswer.message));
      break;
    case S2C_Request_PR_delcontact:
      ReceiveDelContact(Text(c.delcontact.login), Text(c.delcontact.message));
      break;
    default:
      return false;
  }
  return true;
}

bool Manager::DispatchFileRequest(S2C_Request_t& request) {
  S2C_Request_t::S2C_Request_u& c = request.choice;
  switch (request.present) {
    case S2C_Request_PR_file:
      HandleTransfer(TransferReport{FM_OFFERED, Text(c.file.login), Text(c.file.site),
                                    UsersText(c.file.filename, "file name"),
                                    Text(c.file.filekey), "", Text(c.file.ip), static_cast<int>(c.file.port),
                                    time(nullptr), true, 0, c.file.filesize, 0});
      break;
    case S2C_Request_PR_askforfile:
      AskForFile(Text(c.askforfile.login), Text(c.askforfile.filekey));
      break;
    case S2C_Request_PR_askforfileack:
      AskForFileAck(Text(c.askforfileack.login), Text(c.askforfileack.filekey), c.askforfileack.status != 0,
                    c.askforfileack.size);
      break;
    case S2C_Request_PR_filepart:
      FilePart(Text(c.filepart.login), Text(c.filepart.filekey), c.filepart.filedata);
      break;
    case S2C_Request_PR_filepartack:
      FilePartAck(Text(c.filepartack.login), Text(c.filepartack.filekey));
      break;
    case S2C_Request_PR_cancelfile:
      ReceiveCancelFile(Text(c.cancelfile.site), Text(c.cancelfile.filekey));
      break;
    default:
      return false;
  }
  return true;
}

bool Manager::DispatchAccountRequest(S2C_Request_t& request) {
  S2C_Request_t::S2C_Request_u& c = request.choice;
  switch (request.present) {
    case S2C_Request_PR_availablemessengerprotocols:
      ReceiveAvailableMessengerProtocols(c.availablemessengerprotocols.protocols);
      break;
    case S2C_Request_PR_messengerconnectionstatus:
      ReceiveMessengerConnectionStatus(Text(c.messengerconnectionstatus.protocol),
                                       Text(c.messengerconnectionstatus.login), c.messengerconnectionstatus.status);
      break;
    case S2C_Request_PR_addsmiley:
      ReceiveAddSmiley(Text(c.addsmiley.login), Text(c.addsmiley.codesmiley), c.addsmiley.smiley.type,
                       c.addsmiley.smiley.content.buf, c.addsmiley.smiley.content.size);
      break;
    case S2C_Request_PR_delsmiley:
      ReceiveDelSmiley(Text(c.delsmiley.login), Text(c.delsmiley.codesmiley));
      break;
    default:
      return false;
  }
  return true;
}

void Manager::HandleExtensionRequest(E2C_Request_t& request) {
  MANAGER_GUI_THREAD_ONLY();
  // Each handler traces: a local process may send thousands of requests.
  switch (request.present) {
    case E2C_Request_PR_NOTHING:
      TRACE_INFO("empty extension request");
      break;
    case E2C_Request_PR_enter_site:
      if (m_state == CONNECTED)
        OpenChatRoom(Text(request.choice.enter_site.site));
      else
        TRACE_INFO("enter site while not connected, dropped");
      break;
    case E2C_Request_PR_leave_site:
      if (m_state == CONNECTED)
        CloseChatRoom(Text(request.choice.leave_site.site));
      else
        TRACE_INFO("leave site while not connected, dropped");
      break;
    case E2C_Request_PR_extension_status: {
      t_extension_status status;
      if (asn1::ExtensionStatusFromWire(request.choice.extension_status.status, &status))
        UpdateExtensionStatus(Text(request.choice.extension_status.name), status);
      break;
    }
  }
}
