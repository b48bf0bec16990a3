// The controller against the protocol test server (real TLS on loopback), with a recorder of
// the events it posts in place of the windows.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <functional>
#include <sstream>
#include <thread>

#include "asn1/octetString.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/message.h"
#include "model/recommendedSite.h"
#include "network/localServer.h"
#include "tests/core/clientTestSupport.h"
#include "tests/core/managerTestSupport.h"
#include "tests/network/socketTestSupport.h"

using namespace managertest;
using testserver::C2SPtr;

namespace {

// An object made for an event, counting its destructions.
struct Counted : wxObject {
  explicit Counted(int* deaths) : deaths(deaths) {}
  ~Counted() override { ++*deaths; }
  int* deaths;
};

std::vector<wxEventType> Types(const EventRecorder& recorder) {
  std::vector<wxEventType> types;
  for (const Recorded& e : recorder.events) types.push_back(e.type);
  return types;
}

// A raw request to the extension listener; the socket is left open for the answer.
int Extension(const std::string& path) {
  int fd = sockettest::Connect(LocalServer::Instance()->GetPort());
  std::string line = "GET /" + path + " HTTP/1.1\n\n";
  EXPECT_EQ(static_cast<ssize_t>(line.size()), send(fd, line.data(), line.size(), MSG_NOSIGNAL));
  return fd;
}

// A port nobody listens on just now.
unsigned short FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Listening(unsigned short port) {
  int fd = sockettest::Connect(port);
  if (fd >= 0) close(fd);
  return fd >= 0;
}

}  // namespace

TEST(ManagerEvents, CascadesAndPayloads) {
  struct Cascade {
    int a, b, c;
    bool on;
  } cascades[] = {{0, 2, -1, true},  {2, 1, -1, true},  {1, 2, -1, false}, {0, 0, -1, false}, {3, 2, -1, false},
                  {0, 0, 2, true},   {0, 1, 2, false},  {2, 0, 0, true},   {0, 2, 1, true},   {0, 0, 5, false}};
  for (const Cascade& k : cascades)
    EXPECT_EQ(k.on, k.c < 0 ? IsNotificationOn(k.a, k.b) : IsNotificationOn(k.a, k.b, k.c)) << k.a << k.b << k.c;

  // An owned object lives as long as some copy of its event; a kept record is never freed.
  int deaths = 0;
  Counted kept(&deaths);
  {
    ManagerEvent event(wxEVT_RECEIVE_NEW_MESSAGE, Manager::GetEventId());
    event.SetOwnedObject(new Counted(&deaths));
    std::unique_ptr<wxEvent> copy(event.Clone());
    ManagerEvent other(wxEVT_RECEIVE_UPDATE_COMMENTS, Manager::GetEventId());
    other.SetKeptObject(&kept);
    std::unique_ptr<wxEvent> otherCopy(other.Clone());
    EXPECT_EQ(0, deaths);
  }
  EXPECT_EQ(1, deaths);
  EXPECT_NE(-1, Manager::GetEventId());
  EXPECT_EQ(Manager::GetEventId(), Manager::GetEventId());
}

// Every event type with each code it is posted with: its payload, if any, reads back through
// the accessor of its kind only; any other kind, a derived kind or a plain object reads as null.
TEST(ManagerEvents, EachPayloadReadsBackThroughItsAccessorOnly) {
  ContactInfo own;
  URLInfo site;
  RecommendedSite recommended("http://r.example/", 3);
  MessengerInfo account("icq", "ICQ", "a1", "", false, {});
  ContactEvent request(7, CE_ADD_RECEIVED, "none", "bob", "Bob", "hi");
  auto roomContact = [] { return new URLContactInfo("http://s.example/", 2, ContactInfo(), false, false, false); };
  auto message = [] { return new Message("http://s.example/", "bob", "Bob", "hi", 0, false); };
  auto file = [] {
    return new FileMessage("http://s.example/", "bob", "Bob", "f.bin", "k", "t", "127.0.0.1", 1, 0, true, FM_STARTED, 0,
                           10, 0.0);
  };
  struct Row {
    wxEventType type;
    int code;
    Payload kind;
    wxObject* kept;                 // a record kept by its owner, or
    std::function<wxObject*()> make;  // an object made for the event
  };
  const std::vector<Row> rows = {
      {wxEVT_CONNECTION_ACK, GUI_CONNECTED_TO_SERVER, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_CONNECTION__OK, Payload::kContact, &own, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_CONNECTION__INVALID_LOGIN, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_CONNECTION__TOO_MANY_USERS, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_CONNECTION__INVALID_VERSION, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_CONNECTION__SERVER_FAILED, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_DISCONNECT, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_NOTASKED_DISCONNECT, Payload::kNone, nullptr, nullptr},
      {wxEVT_CONNECTION_ACK, GUI_SOCKET_ERROR, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_OK, Payload::kSite, &site, nullptr},
      {wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_FAILED, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_UPDATE_CONTACT, Payload::kRoomContact, nullptr, roomContact},
      {wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_SUBSCRIBE_CHATROOM_OK, Payload::kRoomContact, nullptr, roomContact},
      {wxEVT_RECEIVE_NEW_MESSAGE, 0, Payload::kMessage, nullptr, message},
      {wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_OK, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_FAILED, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_BANNED, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_BLOCKED, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_OK, Payload::kRoomContact, nullptr,
       roomContact},
      {wxEVT_RECEIVE_CONTACT_EVENT, 0, Payload::kContactEvent, &request, nullptr},
      {wxEVT_RECEIVE_CONTACT_EVENT, 0, Payload::kContactEvent, nullptr, [] {
         return new ContactEvent(-1, CE_ADD_ACCEPTED, "", "bob", "Bob", "");
       }},
      {wxEVT_RECEIVE_ADD_WEBSITE, 0, Payload::kSite, &site, nullptr},
      {wxEVT_RECEIVE_KEY_TYPED, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_MESSAGE_FILE, 0, Payload::kFile, nullptr, file},
      {wxEVT_RECEIVE_CLOSE_CHATROOM, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_DEL_CONTACT, 0, Payload::kContactEvent, nullptr, [] {
         return new ContactEvent(-1, CE_REMOVED, "none", "bob", "Bob", "");
       }},
      {wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, 0, Payload::kContactEvent, &request, nullptr},
      {wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, 0, Payload::kContactEvent, &request, nullptr},
      {wxEVT_RECEIVE_UPDATE_AVATAR, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_UPDATE_COMMENTS, 0, Payload::kSite, &site, nullptr},
      {wxEVT_RECEIVE_UPDATE_AD, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_RECOMMEND_SITE, 0, Payload::kRecommendedSite, &recommended, nullptr},
      {wxEVT_RECEIVE_BAN_SITE, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_REGISTER_EXTENSION, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_MESSENGER_INFO, 0, Payload::kMessenger, &account, nullptr},
      {wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, 0, Payload::kNone, nullptr, nullptr},
      {wxEVT_RECEIVE_UPLOAD_INSTALLER, 0, Payload::kNone, nullptr, nullptr}};
  const auto accessors = PayloadAccessors();
  for (const Row& row : rows) {
    ManagerEvent event(row.type, Manager::GetEventId());
    event.SetInt(row.code);
    if (row.kept) event.SetKeptObject(row.kept);
    if (row.make) event.SetOwnedObject(row.make());
    if (row.kind != Payload::kNone) { EXPECT_EQ(row.kind, PayloadOfType(row.type)) << "the recorder's table, " << row.type; }
    std::unique_ptr<wxEvent> copy(event.Clone());  // a copy reads the same
    const wxEvent* both[] = {&event, copy.get()};
    for (const wxEvent* e : both) {
      EXPECT_TRUE(PayloadReadsAsItsType(*e)) << row.type << " " << row.code;
      for (size_t i = 0; i < accessors.size(); ++i) {
        const bool its = static_cast<size_t>(row.kind) == i + 1;
        EXPECT_EQ(its ? e->GetEventObject() : nullptr, accessors[i](*e)) << row.type << " " << row.code << " " << i;
      }
    }
  }

  // Something of no kind, an event from a control and an event with nothing read as null.
  wxObject plain;
  wxCommandEvent fromControl(wxEVT_RECEIVE_NEW_MESSAGE);
  fromControl.SetEventObject(&plain);
  ManagerEvent empty(wxEVT_RECEIVE_NEW_MESSAGE, Manager::GetEventId());
  const wxEvent* neither[] = {&fromControl, &empty};
  for (const wxEvent* e : neither)
    for (auto accessor : accessors) EXPECT_EQ(nullptr, accessor(*e));
}

// Posted by the constructor, before any window listens: handled once one does.
TEST(ManagerEvents, TheStoredAvatarIsShownOnceAWindowListens) {
  Config::GetInstance()->SetLogin("alice");
  EventRecorder recorder;
  Manager manager;
  manager.SetNextHandler(&recorder);
  Pump();
  ASSERT_EQ(1u, recorder.events.size());
  EXPECT_EQ(wxEVT_RECEIVE_UPDATE_AVATAR, recorder.events[0].type);
  EXPECT_EQ("alice", recorder.events[0].text);
}

TEST(ManagerLogIn, WhatTheServerGetsAndTheWindowsSeeInOrder) {
  ManagerSetUp s;
  Config* config = Config::GetInstance();
  MessengerInfo* account = new MessengerInfo("icq", "ICQ", "a1", "", true, {});
  config->AddMessenger(account);
  s.manager->AbortConnection();  // nothing to abort yet

  // The first session of the run, for a new login.
  auto link = s.Attempt(*s.server);
  ASSERT_TRUE(link);
  config->SetNickname("Alice");
  s.Acknowledge(*link, "K1");
  ASSERT_TRUE(s.WaitFor([&] { return s.manager->IsConnected(); }));
  for (C2S_Request_PR kind : {C2S_Request_PR_askmessengerprotocols, C2S_Request_PR_connectmessenger,
                              C2S_Request_PR_clientinfo})
    EXPECT_TRUE(s.Await(*link, kind)) << kind;
  EXPECT_EQ((std::vector<wxEventType>{wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, wxEVT_CONNECTION_ACK,
                                      wxEVT_RECEIVE_MESSENGER_INFO, wxEVT_CONNECTION_ACK}),
            Types(s.recorder));
  EXPECT_EQ((std::vector<int>{GUI_CONNECTED_TO_SERVER, GUI_CONNECTION__OK}), s.recorder.ConnectionCodes());
  EXPECT_EQ(config->GetContactInfo(), s.recorder.events.back().object);

  // The user disconnects: the server is told, the link closes, every contact goes offline.
  config->UpdateContact(new ContactInfo("bob", "Bob", "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "parlavox", false));
  config->UpdateContact(new ContactInfo("cy", "Cy", "", "", STATUS_AWAY, "", "", 0, 0, 0, "", "parlavox", false));
  s.recorder.events.clear();
  s.manager->Disconnect(false, true);
  EXPECT_TRUE(s.Await(*link, C2S_Request_PR_disconnect));
  EXPECT_TRUE(link->WaitClosed());
  Pump();
  EXPECT_EQ((std::vector<wxEventType>{wxEVT_RECEIVE_MESSENGER_INFO, wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
                                      wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT}),
            Types(s.recorder));
  EXPECT_EQ("cy", s.recorder.events[2].text);

  // While disconnected: log texts wait, a page opened in the browser waits, a new extension is
  // registered at once.
  // (A long stay offline keeps the newest lines only, whole, within one request's size.)
  for (int i = 0; i < 2000; ++i) s.manager->SendErrorMessages(std::string(99, 'x'));
  s.manager->SendErrorMessages("a");
  s.manager->SendErrorMessages("b");
  int page = Extension("http://site.example/");
  close(Extension("CHECK:ext1"));
  s.recorder.events.clear();
  ASSERT_TRUE(s.WaitFor([&] { return !s.recorder.events.empty(); }));
  EXPECT_EQ(wxEVT_RECEIVE_REGISTER_EXTENSION, s.recorder.events[0].type);

  // The next session, same login: the page's room, the waiting texts, the new extension.
  link = s.Attempt(*s.server);
  ASSERT_TRUE(link);
  s.Acknowledge(*link, "K2");
  C2SPtr open = s.Await(*link, C2S_Request_PR_openurl);
  ASSERT_TRUE(open);
  EXPECT_EQ("http://site.example/", asn1::ToString(open->choice.openurl.site));
  EXPECT_TRUE(s.Await(*link, C2S_Request_PR_askmessengerprotocols));
  C2SPtr errors = s.Await(*link, C2S_Request_PR_error_messages);
  ASSERT_TRUE(errors);
  const std::string pending = asn1::ToString(errors->choice.error_messages.message);
  EXPECT_LE(pending.size(), 48u * 1024);
  EXPECT_GT(pending.size(), 40u * 1024);
  EXPECT_EQ("\n" + std::string(99, 'x'), pending.substr(0, 100));
  EXPECT_EQ("\na\nb", pending.substr(pending.size() - 4));
  EXPECT_TRUE(s.Await(*link, C2S_Request_PR_connectmessenger));
  C2SPtr info = s.Await(*link, C2S_Request_PR_clientinfo);
  ASSERT_TRUE(info);
  EXPECT_EQ("ext1|", asn1::ToString(info->choice.clientinfo.extensions_info));

  // The room opens and the browser hears how many are there; a heart-beat is answered.
  auto opened = NewS2C(S2C_Request_PR_openurlok);
  Fill(&opened->choice.openurlok.authkey, "K2");
  Fill(&opened->choice.openurlok.site, "http://site.example/");
  Fill(&opened->choice.openurlok.idcomments, "7");
  opened->choice.openurlok.nbrUsers = 5;
  link->Send(*opened);
  s.Beat(*link, "K2");
  C2SPtr beatAck = s.Await(*link, C2S_Request_PR_heartbeatack);
  ASSERT_TRUE(beatAck);
  EXPECT_EQ("K2", asn1::ToString(beatAck->choice.heartbeatack.authkey));
  EXPECT_EQ("4", sockettest::ReadAll(page, milliseconds(5000)));
  close(page);
  Pump();
  EXPECT_EQ((std::vector<wxEventType>{wxEVT_RECEIVE_REGISTER_EXTENSION, wxEVT_CONNECTION_ACK,
                                      wxEVT_RECEIVE_MESSENGER_INFO, wxEVT_CONNECTION_ACK,
                                      wxEVT_RECEIVE_OPEN_CHATROOM_ACK}),
            Types(s.recorder));
}

// Every way a session or an attempt ends, each followed by a new attempt on the same Manager.
TEST(ManagerLogIn, EveryEndingThenAReconnect) {
  enum Act { kGoAway, kDisconnect, kBreak };
  struct Ending {
    bool connected;
    Act act;
    long status;
    const char* version;  // sent with the go-away, or null
    int code;
    const char* stored;   // the last version afterwards
  } endings[] = {
      {false, kGoAway, 0, "3.1", GUI_CONNECTION__INVALID_LOGIN, "3.1"},
      {false, kGoAway, 1, nullptr, GUI_CONNECTION__INVALID_VERSION, "unknown"},
      {false, kGoAway, 2, "3.2", GUI_CONNECTION__TOO_MANY_USERS, "3.2"},
      {false, kGoAway, 3, "3.3", GUI_NOTASKED_DISCONNECT, "3.3"},
      {false, kGoAway, 4, "3.4", GUI_CONNECTION__SERVER_FAILED, "3.4"},
      {false, kDisconnect, 0, nullptr, GUI_NOTASKED_DISCONNECT, "3.4"},
      {false, kBreak, 0, nullptr, GUI_SOCKET_ERROR, "3.4"},
      {true, kGoAway, 1, "3.6", GUI_CONNECTION__INVALID_VERSION, "3.6"},
      {true, kGoAway, 3, nullptr, GUI_NOTASKED_DISCONNECT, "unknown"},
      {true, kGoAway, 4, "3.5", GUI_CONNECTION__SERVER_FAILED, "3.5"},
      {true, kDisconnect, 0, nullptr, GUI_NOTASKED_DISCONNECT, "2.0"},
      {true, kBreak, 0, nullptr, GUI_SOCKET_ERROR, "2.0"},
  };
  ManagerSetUp s;
  for (const Ending& e : endings) {
    SCOPED_TRACE(testing::Message() << e.connected << " " << e.act << " " << e.status);
    auto link = e.connected ? s.LogIn(*s.server) : s.Attempt(*s.server);
    ASSERT_TRUE(link);
    s.recorder.events.clear();
    if (e.act == kGoAway) {
      auto goaway = NewS2C(S2C_Request_PR_goaway);
      goaway->choice.goaway.status = e.status;
      if (e.version) goaway->choice.goaway.version = asn1::NewOctetString(e.version);
      link->Send(*goaway);
    } else if (e.act == kDisconnect) {
      auto bye = NewS2C(S2C_Request_PR_disconnect);
      Fill(&bye->choice.disconnect.authkey, "K1");
      link->Send(*bye);
    } else {
      link->Close(false);
    }
    ASSERT_TRUE(s.WaitCode(e.code));
    EXPECT_TRUE(s.manager->IsDisconnected());
    EXPECT_FALSE(s.manager->IsConnected());
    EXPECT_EQ(e.stored, Config::GetInstance()->GetLastVersion());
    // Whatever ended the session, its link is closed.
    EXPECT_TRUE(link->WaitClosed());
  }

  // A server whose certificate names another host is refused; the right one is then reached.
  TestServer::Options options;
  options.identity = s.ca.Issue("wrong.example");
  TestServer wrong(options);
  s.recorder.events.clear();
  s.manager->Connect("alice", "secret", false, "127.0.0.1", wrong.Port(), true, false);
  ASSERT_TRUE(s.WaitCode(GUI_CONNECTION__SERVER_FAILED));
  EXPECT_TRUE(s.manager->IsDisconnected());
  EXPECT_TRUE(s.LogIn(*s.server));
}

// The user's log-out ends the session cleanly: the server is told, the link closes, and the
// trace log holds no error line, the reader's sight of its own closed link included.
TEST(ManagerLogIn, ALoggedInEndTracesNoError) {
  ManagerSetUp s;
  auto link = s.LogIn(*s.server);
  ASSERT_TRUE(link);
  const std::string logPath = testsupport::RestartLogAt(s.dir);
  s.manager->Disconnect(false, true);
  EXPECT_TRUE(s.Await(*link, C2S_Request_PR_disconnect, true));
  EXPECT_TRUE(link->WaitClosed());
  std::string log;
  EXPECT_TRUE(s.WaitFor([&] {
    log_flush();
    log = testsupport::DecodeLogFile(logPath, LOG_KEY_START, log_step());
    return log.find("Lecture du buffer") != std::string::npos;
  }));
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) EXPECT_NE("3:", line.substr(line.find(':') + 1, 2)) << line;
}

// A redirect leads to the second server; the configured server, the choice not to save the
// password, and a trace log without the password all stay as they were.
TEST(ManagerLogIn, RedirectToASecondServer) {
  ManagerSetUp s;
  std::string logPath = testsupport::RestartLogAt(s.dir);
  TestServer::Options options;
  options.identity = s.ca.Issue(PARLAVOX_SERVER_HOST);
  TestServer second(options);
  auto first = s.Attempt(*s.server, "Pw-9xq-secret");
  ASSERT_TRUE(first);
  auto redirect = NewS2C(S2C_Request_PR_redirect);
  Fill(&redirect->choice.redirect.ip, "127.0.0.1");
  redirect->choice.redirect.port = second.Port();
  first->Send(*redirect);
  std::shared_ptr<TestConnection> link;
  ASSERT_TRUE(s.WaitFor([&] { return static_cast<bool>(link = second.Accept(milliseconds(5))); }));
  C2SPtr connect = s.Await(*link, C2S_Request_PR_connect);
  ASSERT_TRUE(connect);
  EXPECT_EQ("Pw-9xq-secret", asn1::ToString(connect->choice.connect.password));
  s.Acknowledge(*link, "K9");
  ASSERT_TRUE(s.WaitFor([&] { return s.manager->IsConnected(); }));
  Config* config = Config::GetInstance();
  EXPECT_EQ(s.server->Port(), config->GetPort());
  EXPECT_EQ("127.0.0.1", config->GetHostname());
  EXPECT_FALSE(config->IsPasswordSaved());
  std::string log = testsupport::DecodeLogFile(logPath, LOG_KEY_START, log_step());
  EXPECT_EQ(std::string::npos, log.find("Pw-9xq-secret"));
}

// The user disconnects and logs in again at once: the old link, closing meanwhile, must not end
// the new session.
TEST(ManagerLink, AStaleLinkNeverChangesTheCurrentSession) {
  ManagerSetUp s;
  auto old = s.LogIn(*s.server);
  ASSERT_TRUE(old);
  s.manager->Disconnect(false, true);
  s.manager->Connect("alice", "secret", false, "127.0.0.1", s.server->Port(), true, false);
  EXPECT_TRUE(old->WaitClosed());
  auto link = s.server->Accept();
  ASSERT_TRUE(link);
  ASSERT_TRUE(s.Await(*link, C2S_Request_PR_connect));
  s.Acknowledge(*link, "K2");
  s.Beat(*link, "K2");
  EXPECT_TRUE(s.Await(*link, C2S_Request_PR_heartbeatack, true));
  EXPECT_TRUE(s.manager->IsConnected());
  EXPECT_EQ(CONNECTED, s.manager->GetState());
  for (int code : s.recorder.ConnectionCodes()) EXPECT_TRUE(code == GUI_CONNECTED_TO_SERVER || code == GUI_CONNECTION__OK);
}

// The extension listener's statuses reach the controller through the process's relay; one that
// names no status (the listener makes none, but the request type holds any number) is dropped
// at the schema's edge: nothing stored, no window told, no new name for the server.
TEST(ManagerSites, AnExtensionStatusOutsideTheSchemaIsDropped) {
  ManagerSetUp s;
  auto hand = [](const std::string& name, long status) {
    E2C_Request_t* request = LocalServer::CreateExtensionStatusRequest(name, status);
    ProcessRelay::Get().ProcessRequest(*request);
    LocalServer::FreeExtensionStatusRequest(&request);
  };
  hand("ext-a", ExtensionStatus_enable);
  ASSERT_TRUE(s.WaitFor([&] { return s.manager->GetExtensionStatus("ext-a") == EXTENSION_ENABLE; }));
  const size_t told = s.recorder.events.size();
  for (long bad : {3L, -1L, 255L}) {
    hand("ext-a", bad);
    hand("ext-b", bad);
  }
  hand("ext-c", ExtensionStatus_disable);  // after the others: once it is in, they were handled
  ASSERT_TRUE(s.WaitFor([&] { return s.manager->GetExtensionStatus("ext-c") == EXTENSION_DISABLE; }));
  EXPECT_EQ(EXTENSION_ENABLE, s.manager->GetExtensionStatus("ext-a"));
  EXPECT_EQ(EXTENSION_NONE, s.manager->GetExtensionStatus("ext-b"));
  EXPECT_EQ("ext-a|ext-c|", s.manager->GetExtensionNames());
  ASSERT_EQ(told + 1, s.recorder.events.size());
  EXPECT_EQ(wxEVT_RECEIVE_REGISTER_EXTENSION, s.recorder.events.back().type);
  EXPECT_EQ("ext-c", s.recorder.events.back().text);
}

// A link that is no longer the current one changes nothing, whatever it still hands in and from
// whichever thread: not the state, the tables, what the windows are told, the inbox or what the
// server gets; nor once the controller is gone. Rows: the old link after a new log-in, after an
// abort while logging in, after the user's disconnect.
TEST(ManagerLink, AStaleLinkChangesNothingByAnyWayIn) {
  enum End { kNewLogIn, kAbortWhileLoggingIn, kUserDisconnect };
  auto handAll = [](StateMachine& port) {
    port.ConnectionAck(true);
    port.ConnectionAck(false);
    auto ack = NewS2C(S2C_Request_PR_connect_ack);
    Fill(&ack->choice.connect_ack.authkey, "K9");
    Fill(&ack->choice.connect_ack.version, "2.0");
    port.ProcessRequest(*ack);
    auto ask = NewS2C(S2C_Request_PR_addcontactask);
    Fill(&ask->choice.addcontactask.login, "mallory");
    Fill(&ask->choice.addcontactask.nickname, "Mallory");
    Fill(&ask->choice.addcontactask.message, "let me in");
    port.ProcessRequest(*ask);
    auto message = NewS2C(S2C_Request_PR_message);
    Fill(&message->choice.message.site, "http://s.example/");
    Fill(&message->choice.message.login, "mallory");
    Fill(&message->choice.message.message, "hello");
    port.ProcessRequest(*message);
    for (int i = 0; i < 3; ++i) {
      auto beat = NewS2C(S2C_Request_PR_heartbeat);
      Fill(&beat->choice.heartbeat.authkey, "K1");
      port.ProcessRequest(*beat);
    }
    auto goaway = NewS2C(S2C_Request_PR_goaway);
    goaway->choice.goaway.status = 1;
    port.ProcessRequest(*goaway);
    auto broken = NewS2C(S2C_Request_PR_NOTHING);
    port.ProcessRequest(*broken);
    E2C_Request_t* extension = LocalServer::CreateExtensionStatusRequest("ext-stale", ExtensionStatus_enable);
    port.ProcessRequest(*extension);
    LocalServer::FreeExtensionStatusRequest(&extension);
    port.LocalServerUnavailable();
  };
  for (End end : {kNewLogIn, kAbortWhileLoggingIn, kUserDisconnect}) {
    SCOPED_TRACE(end);
    ManagerSetUp s;
    std::shared_ptr<TestConnection> link, old;
    std::shared_ptr<StateMachine> stale;
    if (end == kAbortWhileLoggingIn) {
      old = s.Attempt(*s.server);
      ASSERT_TRUE(old);
      stale = s.manager->CurrentLinkPort();
      s.manager->AbortConnection();
    } else {
      old = s.LogIn(*s.server);
      ASSERT_TRUE(old);
      stale = s.manager->CurrentLinkPort();
      s.manager->Disconnect(false, true);
      if (end == kNewLogIn) {
        s.manager->Connect("alice", "secret", false, "127.0.0.1", s.server->Port(), true, false);
        link = s.server->Accept();
        ASSERT_TRUE(link);
        ASSERT_TRUE(s.Await(*link, C2S_Request_PR_connect));
        s.Acknowledge(*link, "K1");
        ASSERT_TRUE(s.WaitFor([&] { return s.manager->IsConnected(); }));
      }
    }
    ASSERT_TRUE(stale);
    EXPECT_NE(stale, s.manager->CurrentLinkPort());
    // What each link got so far: the old one's requests up to its close, the new one's log-in
    // up to the client's report, the last thing a log-in sends.
    Pump();
    ASSERT_TRUE(s.WaitFor([&] { return old->WaitClosed(milliseconds(0)); }));
    while (old->Next(milliseconds(0))) {
    }
    if (link) {
      ASSERT_TRUE(s.Await(*link, C2S_Request_PR_clientinfo, true));
    }
    auto state = [&] {
      std::ostringstream out;
      out << s.manager->GetState() << s.manager->IsConnected() << " " << s.recorder.events.size() << " "
          << s.manager->HasContact("mallory") << s.manager->GetExtensionNames() << " " << s.manager->GetInboxSize();
      return out.str();
    };
    const std::string before = state();

    std::thread([&] { handAll(*stale); }).join();
    handAll(*stale);
    Pump();
    EXPECT_EQ(before, state());
    EXPECT_EQ(EXTENSION_NONE, s.manager->GetExtensionStatus("ext-stale"));
    if (link) {
      // The current link's server gets only the answer to its own heart-beat.
      s.Beat(*link, "K1");
      auto got = s.Next(*link);
      ASSERT_TRUE(got);
      EXPECT_EQ(C2S_Request_PR_heartbeatack, got->request->present);
    }
    EXPECT_FALSE(old->Next(milliseconds(50)));  // nor does the old link's

    // The controller gone, the old port still takes whatever comes, and drops it.
    s.manager.reset();
    std::thread([&] { handAll(*stale); }).join();
    handAll(*stale);
  }
}

// The extension's requests reach the process's controller whatever else is made or ended
// beside it: another controller made and destroyed (the window tests make their own), a client
// with a controller of its own (another user's), a log-out and a new log-in, a second attempt
// over a first. Each row is followed by a hello from a new extension, which must be registered.
TEST(ManagerLink, NothingElseTakesOrDropsTheExtensionListenersWayIn) {
  ManagerSetUp s;
  ASSERT_TRUE(s.LogIn(*s.server));
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  ASSERT_TRUE(listener);
  ASSERT_TRUE(testsupport::WaitFor([&] { return listener->GetPort() != 0; }, milliseconds(5000)));
  int n = 0;
  auto helloReaches = [&]() {
    const std::string name = "ext-" + std::to_string(++n);
    const std::string answer =
        sockettest::Exchange(listener->GetPort(), "GET /CHECK:" + name + " HTTP/1.1\r\n\r\n", nullptr,
                             milliseconds(5000));
    EXPECT_EQ(2u, answer.size()) << answer;
    return s.WaitFor([&] { return s.manager->GetExtensionStatus(name) == EXTENSION_ENABLE; });
  };
  ASSERT_TRUE(helloReaches());
  {
    // Another controller, made and destroyed.
    Manager other;
  }
  EXPECT_TRUE(helloReaches()) << "after another controller went";
  {
    // Another user's client, with a controller of its own, started and ended.
    clienttest::RecordingMachine machine;
    auto client = std::make_shared<ClientSideRequest>(&machine);
    client->SetupConnection("127.0.0.1", s.server->Port(), true, false, "", 0, "bob", "secret", STATUS_ONLINE);
    client->AbortConnection();
    client->Run();
    client->CloseConnection();
  }
  EXPECT_TRUE(helloReaches()) << "after another user's client";
  s.manager->Disconnect(false, true);
  ASSERT_TRUE(s.LogIn(*s.server));
  EXPECT_TRUE(helloReaches()) << "after a new log-in";
  ASSERT_TRUE(s.Attempt(*s.server));
  ASSERT_TRUE(s.LogIn(*s.server));
  EXPECT_TRUE(helloReaches()) << "after a second attempt over a first";
  EXPECT_EQ("ext-1|ext-2|ext-3|ext-4|ext-5|", s.manager->GetExtensionNames());
}

// The file listener follows a change of port only while a session runs.
TEST(ManagerFileServer, RestartedOnlyWhileASessionRuns) {
  ManagerSetUp s;
  Config* config = Config::GetInstance();
  s.manager->RestartFileServer();  // no session ever: nothing to restart
  unsigned short first = FreePort();
  unsigned short second = FreePort();
  config->SetFilePort(first);
  ASSERT_TRUE(s.LogIn(*s.server));
  ASSERT_TRUE(s.WaitFor([&] { return Listening(first); }));
  config->SetFilePort(second);
  s.manager->RestartFileServer();
  ASSERT_TRUE(s.WaitFor([&] { return Listening(second) && !Listening(first); }));
  s.manager->Disconnect(false, true);
  ASSERT_TRUE(s.WaitFor([&] { return !Listening(second); }));
  s.manager->RestartFileServer();
  EXPECT_FALSE(s.WaitFor([&] { return Listening(second); }, milliseconds(300)));
}
