// The main window of a user on the stand-in server, and other users on the same server through
// the client's own connection code: contact requests and answers, invitations to private rooms,
// a message arriving in a room that is not open, and presence changes notified as each contact's
// settings ask. What the user sees is read from the pop-up, the sounds asked for, the chat-rooms
// window and the controller's tables. Run under the sanitizers, every event's payload is freed
// once (or kept by the controller) and nothing leaks.
#include <gtest/gtest.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/appStartup.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/soundPlayer.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "model/stringConversion.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/standin/standinTestSupport.h"

namespace {

using standintest::Str;
using standintest::TestUser;
using Lines = std::vector<std::string>;

const int kWait = 20000;
const char* const kOthers[] = {"bob", "carol", "dave", "erin", "frank"};
const char* const kNoticeKeys[] = {"login-visual", "login-bell", "logout-visual", "logout-bell", "message-visual",
                                   "message-bell"};

class QuietPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string&) override {}
  bool AskSetAside(const std::string&) override { return true; }
  bool AskRetryBackup(const std::string&) override { return false; }
};

// "title | first line | second line | action param" of a pop-up's notification.
std::string Describe(const NotifyItem& item) {
  return wx2std(item.title) + " | " + wx2std(item.text) + " | " + wx2std(item.text2) + " | " +
         std::to_string(item.action.GetType()) + " " + item.action.GetParam();
}

class HandlersEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // The program's data with the server's trust store beside it.
    for (const auto& entry : std::filesystem::directory_iterator(testsupport::SourceDir() + "/data")) {
      const std::string name = entry.path().filename().string();
      if (name != "parlavox.pem") std::filesystem::create_symlink(entry.path(), m_data.file(name));
    }
    ASSERT_TRUE(testsupport::WriteFile(m_data.file("accounts"),
                                       "alice alice Alice\nbob bob Bob\ncarol carol Carol\ndave dave Dave\n"
                                       "erin erin Erin\nfrank frank Frank\n"));
    m_server.reset(new standintest::StandinProcess(PARLAVOX_STANDIN_PROGRAM, m_data.path(),
                                                   {"--accounts", m_data.file("accounts")}));
    ASSERT_NE(0, m_server->Port());
    m_savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", m_home.path().c_str(), 1);
    setenv("PARLAVOX_DATA", m_data.path().c_str(), 1);
    unsetenv("PARLAVOX_SERVER");
    Manager::SetListenerPort(0);
    ClientSideRequest::SetListenerPort(0);
    m_savedLog = wxLog::GetActiveTarget();
    QuietPrompter prompter;
    m_frame = startup::StartApplication(m_locale, prompter);
    ASSERT_TRUE(m_frame);
    m_rooms = guitest::FindChild<ChatRoomsNotebook>(m_frame, [](ChatRoomsNotebook*) { return true; });
    ASSERT_TRUE(m_rooms && NotifyFrame::GetInstance());
    sound::SetRecorder([this](const std::string& file) { m_sounds.push_back(file); });
    Manager* manager = GetManager();
    // The controller and the settings outlive each test, unlike a program's run: the contacts an
    // earlier test saved are taken out of the settings (the controller keeps their records), and
    // what it set on them is cleared; they are known offline, as a new run knows them. Every
    // notice is on unless a contact's own setting says no.
    for (const char* login : kOthers) {
      Config::GetInstance()->RemoveContact(login);
      manager->GetContactInfo(login)->SetStatus(STATUS_OFFLINE);
    }
    for (const char* key : kNoticeKeys) {
      manager->GetDefaultContactInfo()->SetNotification(key, NOTIFICATION_ON);
      for (const char* login : kOthers) manager->GetContactInfo(login)->SetNotification(key, NOTIFICATION_NOT_SET);
    }
    manager->Connect("alice", "alice", false, "127.0.0.1", m_server->Port(), true, false);
    ASSERT_TRUE(Until([&] { return manager->IsConnected(); })) << "alice did not log in";
    // What the log-in itself announced is not looked at here.
    Settle();
    NewPopups();
    NewSounds();
    // The controller lives as long as the process: what earlier tests left in its table is not looked at.
    for (long id = 0; id < kMostEvents; ++id)
      if (manager->GetContactEvent(id)) m_earlierEvents.insert(id);
  }
  void TearDown() override {
    m_users.clear();
    sound::SetRecorder(nullptr);
    // Alice logs out before she quits: her contacts go offline in the controller, which the next
    // test's session finds again (it lives as long as the process).
    if (GetManager()->IsConnected()) {
      GetManager()->Disconnect(false, true);
      EXPECT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
      Settle();
    }
    if (m_frame) {
      m_frame->Close(true);
      EXPECT_TRUE(guitest::PumpUntil([] { return MainFrame::GetInstance() == nullptr; }, kWait));
      startup::EndApplication();
    }
    setenv("HOME", m_savedHome.c_str(), 1);
    wxLog* installed = wxLog::SetActiveTarget(m_savedLog);
    if (installed != m_savedLog) delete installed;
    m_server.reset();
  }

  static bool Until(const std::function<bool()>& cond) { return guitest::PumpUntil(cond, kWait); }

  TestUser& LogIn(const std::string& login) {
    m_users[login].reset(new TestUser(m_server->Port(), login));
    EXPECT_TRUE(m_users[login]->LoggedIn()) << login;
    return *m_users[login];
  }
  // Ends the user's session as the program does at log-out, and waits until the server let go.
  void LogOut(const std::string& login) {
    TestUser& user = *m_users[login];
    user.Link().SendDisconnect(user.Key());
    EXPECT_TRUE(user.WaitEnd()) << login;
    m_users.erase(login);
  }

  // The controller's stored record of the kind about the login, or null.
  ContactEvent* Stored(int type, const std::string& login) {
    for (long id = 0; id < kMostEvents; ++id) {
      ContactEvent* event = m_earlierEvents.count(id) ? nullptr : GetManager()->GetContactEvent(id);
      if (event && event->GetType() == type && event->GetLogin() == login) return event;
    }
    return nullptr;
  }
  ContactEvent* AwaitStored(int type, const std::string& login) {
    ContactEvent* found = nullptr;
    EXPECT_TRUE(Until([&] { return (found = Stored(type, login)) != nullptr; })) << type << " " << login;
    return found;
  }

  // The notifications added since the last call.
  Lines NewPopups() {
    Lines lines;
    NotifyFrame* popup = NotifyFrame::GetInstance();
    for (; m_popupsSeen < popup->GetCount(); ++m_popupsSeen) lines.push_back(Describe(*popup->GetItem(m_popupsSeen)));
    return lines;
  }
  Lines NewSounds() {
    Lines sounds;
    sounds.swap(m_sounds);
    return sounds;
  }
  // Lets what the controller posted so far reach the windows.
  static void Settle() { guitest::Pump(300); }

  // Another user asks to be alice's contact and alice accepts, as from the contacts manager.
  void Befriend(TestUser& other) {
    other.Link().AddContact(other.Key(), "alice", "Hello");
    ContactEvent* request = AwaitStored(CE_ADD_RECEIVED, other.Login());
    ASSERT_TRUE(request);
    ASSERT_TRUE(GetManager()->SendAddContactAnswer(request->GetId(), true, "Welcome"));
    ASSERT_TRUE(other.Wait(S2C_Request_PR_addcontactanswer));
    ASSERT_TRUE(Until([&] {
      return GetManager()->HasContact(other.Login()) &&
             GetManager()->GetContactInfo(other.Login())->GetStatus() == STATUS_ONLINE;
    })) << other.Login();
    Settle();
  }

  testsupport::TempDir m_data;
  testsupport::TempDir m_home;
  std::unique_ptr<standintest::StandinProcess> m_server;
  std::map<std::string, std::unique_ptr<TestUser>> m_users;
  std::string m_savedHome;
  wxLog* m_savedLog = nullptr;
  wxLocale m_locale;
  MainFrame* m_frame = nullptr;
  ChatRoomsNotebook* m_rooms = nullptr;
  std::vector<std::string> m_sounds;
  size_t m_popupsSeen = 0;
  static constexpr long kMostEvents = 5000;
  std::set<long> m_earlierEvents;
};

TEST_F(HandlersEndToEnd, ContactRequestsAndAnswersBothWays) {
  // Bob asks; the request is stored, announced and answered.
  TestUser& bob = LogIn("bob");
  bob.Link().AddContact(bob.Key(), "alice", "Hello Alice");
  ContactEvent* asked = AwaitStored(CE_ADD_RECEIVED, "bob");
  ASSERT_TRUE(asked);
  EXPECT_EQ("Hello Alice", asked->GetMessage());
  Settle();
  EXPECT_EQ(Lines{"Request | Bob (bob) | asks to be in your private list | 4 "}, NewPopups());
  ASSERT_TRUE(GetManager()->SendAddContactAnswer(asked->GetId(), true, "Welcome"));
  const S2C_Request_t* answer = bob.Wait(S2C_Request_PR_addcontactanswer);
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->choice.addcontactanswer.answer);
  EXPECT_EQ("Welcome", Str(answer->choice.addcontactanswer.message));
  EXPECT_TRUE(Until([] { return GetManager()->HasContact("bob"); }));
  // Listed, bob shows as coming online.
  Settle();
  EXPECT_EQ(Lines{"Notification | Bob |  | 1 bob"}, NewPopups());
  EXPECT_EQ(Lines{"sounds/online.wav"}, NewSounds());

  // Alice asks two others through the main window; each answers in turn.
  struct Row {
    const char* login;
    bool accept;
    int stored;
    const char* popup;
    bool listed;
    const char* presence;
  };
  const Row rows[] = {
      {"carol", true, CE_ANSWER_ACCEPTED, "Notification | Carol (carol) | accepts to be in your private list | 1 carol",
       true, "Notification | Carol |  | 1 carol"},
      {"dave", false, CE_ANSWER_REFUSED, "Notification | Dave (dave) | refuses to be in your private list | 4 ", false,
       nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.login);
    TestUser& other = LogIn(row.login);
    m_frame->AddContact(row.login, "Shall we?");
    ContactEvent* request = Stored(CE_ADD_ASKED, row.login);
    ASSERT_TRUE(request);
    const S2C_Request_t* ask = other.Wait(S2C_Request_PR_addcontactask);
    ASSERT_TRUE(ask);
    EXPECT_EQ("Shall we?", Str(ask->choice.addcontactask.message));
    other.Link().AddContactAnswer(other.Key(), "alice", row.accept, row.accept ? "Yes" : "No");
    // The stored request is the one answered, changed in place.
    ASSERT_TRUE(Until([&] { return request->GetType() == row.stored; }));
    EXPECT_EQ(row.accept ? "Yes" : "No", request->GetMessage());
    if (row.listed) {
      EXPECT_TRUE(Until([&] { return GetManager()->HasContact(row.login); }));
    }
    Settle();
    EXPECT_EQ(row.listed, GetManager()->HasContact(row.login));
    // A contact who accepts is listed online: that presence notice follows the answer's.
    EXPECT_EQ(row.presence ? Lines({row.popup, row.presence}) : Lines{row.popup}, NewPopups());
    EXPECT_EQ(row.presence ? Lines{"sounds/online.wav"} : Lines{}, NewSounds());
  }

  // Bob takes alice off his list: his record leaves hers, quietly.
  bob.Link().RemoveContact(bob.Key(), "alice", "Bye");
  EXPECT_TRUE(Until([&] { return !GetManager()->HasContact("bob"); }));
  Settle();
  EXPECT_TRUE(GetManager()->HasContact("carol"));
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{}, NewSounds());
}

TEST_F(HandlersEndToEnd, InvitationsToPrivateRoomsAcceptedAndRefused) {
  Config::GetInstance()->GetContactInfo()->SetNotification("subscribe-visual", NOTIFICATION_ON);
  Config::GetInstance()->GetContactInfo()->SetNotification("subscribe-bell", NOTIFICATION_OFF);
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  NewPopups();
  NewSounds();

  // Invited: by bob, a contact, accepted; by frank, a stranger, refused. Each invitation makes a
  // new room on the server, which alice enters only when she accepts.
  struct Invited {
    const char* from;
    bool accept;
    const char* invitation;
  };
  const Invited invitations[] = {
      {"bob", true, "Notification | Bob | invites you to a private chatroom | 4 "},
      {"frank", false, "Notification | <frank> | invites you to a private chatroom | 4 "},
  };
  std::string joined;
  for (const Invited& row : invitations) {
    SCOPED_TRACE(row.from);
    TestUser& inviter = m_users.count(row.from) ? *m_users[row.from] : LogIn(row.from);
    inviter.Link().InviteContactInChatRoom(inviter.Key(), nullptr, {"alice"});
    ContactEvent* invitation = AwaitStored(CE_INVITED, row.from);
    ASSERT_TRUE(invitation);
    const std::string room = invitation->GetURL();
    EXPECT_EQ(0u, room.find(std::string("prv://parlavox/") + row.from + "/")) << room;
    EXPECT_TRUE(GetManager()->IsMultiplePrivateChatRoom(room));
    Settle();
    EXPECT_EQ(Lines{row.invitation}, NewPopups());
    ASSERT_TRUE(GetManager()->InviteContactInChatRoomAck(invitation->GetId(), row.accept, "Answered"));
    const S2C_Request_t* answer = inviter.Wait(S2C_Request_PR_invitechatroomanswer);
    ASSERT_TRUE(answer);
    EXPECT_EQ(row.accept, answer->choice.invitechatroomanswer.answer != 0);
    EXPECT_EQ("Answered", Str(answer->choice.invitechatroomanswer.message));
    if (row.accept) {
      // The server places her in the room: its page opens, with the inviter among its members.
      ASSERT_TRUE(Until([&] { return m_rooms->IsChatRoomOpened(room) && m_rooms->IsShown(); }));
      EXPECT_TRUE(GetManager()->HasSubscribedTo(room));
      EXPECT_TRUE(Until([&] {
        for (ContactInfo* member : GetManager()->GetSubscribedContacts(room))
          if (member->GetLogin() == row.from) return true;
        return false;
      }));
      joined = room;
    }
    ASSERT_TRUE(inviter.Sync());
    Settle();
    EXPECT_EQ(row.accept, GetManager()->HasSubscribedTo(room));
    EXPECT_EQ(row.accept, m_rooms->IsChatRoomOpened(room));
    const std::string name = GetManager()->GetChatRoomName(room);
    EXPECT_EQ(0u, name.find("Private chatroom #")) << name;
    EXPECT_EQ(row.accept ? Lines{"Subscribe chatroom | Subscribe to | " + name + " | 2 " + room} : Lines{},
              NewPopups());
  }
  ASSERT_FALSE(joined.empty());
  EXPECT_EQ(1, m_rooms->GetNbrChatRooms());

  // Inviting two contacts from the room alice is in: dave accepts and comes in, erin refuses.
  for (const char* login : {"dave", "erin"}) Befriend(LogIn(login));
  NewPopups();
  NewSounds();
  struct Sent {
    const char* to;
    const char* nickname;
    bool accept;
    const char* line;
  };
  const Sent sent[] = {{"dave", "Dave", true, "accepts to join "}, {"erin", "Erin", false, "refuses to join "}};
  const std::string name = GetManager()->GetChatRoomName(joined);
  for (const Sent& row : sent) {
    SCOPED_TRACE(row.to);
    TestUser& invited = *m_users[row.to];
    ASSERT_TRUE(GetManager()->InviteContactInChatRoom(joined, row.to));
    const S2C_Request_t* invitation = invited.Wait(S2C_Request_PR_invitechatroom);
    ASSERT_TRUE(invitation);
    EXPECT_EQ(joined, Str(invitation->choice.invitechatroom.site));
    EXPECT_EQ("alice", Str(invitation->choice.invitechatroom.login));
    invited.Link().InviteContactInChatRoomAck(invited.Key(), joined, "alice", "Thanks", row.accept);
    ContactEvent* answer = AwaitStored(row.accept ? CE_ANSWER_ACCEPTED : CE_ANSWER_REFUSED, row.to);
    ASSERT_TRUE(answer);
    EXPECT_EQ(joined, answer->GetURL());
    EXPECT_EQ("Thanks", answer->GetMessage());
    if (row.accept) {
      EXPECT_TRUE(Until([&] {
        for (ContactInfo* member : GetManager()->GetSubscribedContacts(joined))
          if (member->GetLogin() == row.to) return true;
        return false;
      }));
    }
    Settle();
    EXPECT_EQ(Lines{"Notification | " + std::string(row.nickname) + " (" + row.to + ") | " + row.line + name + " | 2 " +
                    joined},
              NewPopups());
  }
  // Invitations and their answers make no sound; nor does entering a room with the bell off.
  EXPECT_EQ(Lines{}, NewSounds());
}

TEST_F(HandlersEndToEnd, MessageInAClosedPrivateRoomOpensIt) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  NewPopups();
  NewSounds();
  const std::string pair = GetManager()->GetPrivateChatRoomNameWith("bob");
  ASSERT_EQ("prv://parlavox/alice:bob", pair);
  bob.Link().SendSubscribeChatRoom(bob.Key(), pair);
  ASSERT_TRUE(bob.Wait(S2C_Request_PR_suburlack));
  // Each time the room is closed on alice's side, and bob writes with his notices switched.
  struct Row {
    t_notification_status visual, bell;
    Lines popups, sounds;
  };
  const std::string notice = "Notification | Bob | writes a private message | 2 " + pair;
  const auto ON = NOTIFICATION_ON, OFF = NOTIFICATION_OFF, N = NOTIFICATION_NOT_SET;
  const Row rows[] = {
      {ON, ON, {notice}, {"sounds/message.wav"}},
      {OFF, ON, {}, {"sounds/message.wav"}},
      {ON, OFF, {notice}, {}},
      {OFF, OFF, {}, {}},
      {N, N, {notice}, {"sounds/message.wav"}},  // the defaults
  };
  ContactInfo* contact = GetManager()->GetContactInfo("bob");
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index);
    contact->SetNotification("message-visual", row.visual);
    contact->SetNotification("message-bell", row.bell);
    ASSERT_FALSE(m_rooms->IsChatRoomOpened(pair));
    ASSERT_FALSE(GetManager()->HasSubscribedTo(pair));
    ASSERT_TRUE(bob.Link().SendMessage(bob.Key(), pair, "Are you there? " + std::to_string(index++)));
    ASSERT_TRUE(Until([&] { return m_rooms->IsChatRoomOpened(pair) && m_rooms->IsShown(); }));
    EXPECT_TRUE(GetManager()->HasSubscribedTo(pair));
    Settle();
    EXPECT_EQ(1, m_rooms->GetNbrChatRooms());
    EXPECT_EQ(row.popups, NewPopups());
    EXPECT_EQ(row.sounds, NewSounds());
    // Alice answers (her own line notifies nothing), then leaves, as the page's close does.
    ASSERT_TRUE(GetManager()->SendMessage(pair, "Yes " + std::to_string(index)));
    EXPECT_TRUE(Until([&] {
      return bob.Count(S2C_Request_PR_message, [&](const S2C_Request_t& r) {
        return Str(r.choice.message.message) == "Yes " + std::to_string(index);
      });
    }));
    m_rooms->CloseChatRoom(pair);
    Settle();
    EXPECT_FALSE(m_rooms->IsShown());
    EXPECT_EQ(Lines{}, NewPopups());
    EXPECT_EQ(Lines{}, NewSounds());
  }
}

TEST_F(HandlersEndToEnd, PresenceNoticesFollowEachContactsSettings) {
  const char* logins[] = {"bob", "carol", "dave", "erin"};
  for (const char* login : logins) Befriend(LogIn(login));
  NewPopups();
  NewSounds();
  // Pop-up off and sound on by default; each contact but erin has settings of its own.
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  for (const char* key : {"login-visual", "logout-visual"}) defaults->SetNotification(key, NOTIFICATION_OFF);
  for (const char* key : {"login-bell", "logout-bell"}) defaults->SetNotification(key, NOTIFICATION_ON);
  struct Row {
    const char* login;
    const char* nickname;
    t_notification_status visual, bell;
    bool popup, sound;
  };
  const auto ON = NOTIFICATION_ON, OFF = NOTIFICATION_OFF, N = NOTIFICATION_NOT_SET;
  const Row rows[] = {
      {"bob", "Bob", ON, ON, true, true},
      {"carol", "Carol", ON, OFF, true, false},
      {"dave", "Dave", OFF, OFF, false, false},
      {"erin", "Erin", N, N, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.login);
    ContactInfo* contact = GetManager()->GetContactInfo(row.login);
    for (const char* key : {"login-visual", "logout-visual"}) contact->SetNotification(key, row.visual);
    for (const char* key : {"login-bell", "logout-bell"}) contact->SetNotification(key, row.bell);
    const std::string popup = std::string("Notification | ") + row.nickname + " |  | 1 " + row.login;
    for (t_status now : {STATUS_OFFLINE, STATUS_ONLINE}) {
      SCOPED_TRACE(int(now));
      if (now == STATUS_OFFLINE) {
        LogOut(row.login);
      } else {
        LogIn(row.login);
      }
      ASSERT_TRUE(Until([&] { return GetManager()->GetContactInfo(row.login)->GetStatus() == now; }));
      Settle();
      EXPECT_EQ(row.popup ? Lines{popup} : Lines{}, NewPopups());
      if (row.popup) {
        EXPECT_EQ(now, NotifyFrame::GetInstance()->GetItem(m_popupsSeen - 1)->status);
      }
      const char* sound = now == STATUS_ONLINE ? "sounds/online.wav" : "sounds/offline.wav";
      EXPECT_EQ(row.sound ? Lines{sound} : Lines{}, NewSounds());
    }
  }
  // A change of presence between two online states is no log-in: nothing is notified.
  TestUser& bob = *m_users["bob"];
  bob.Link().ChangeStatus(bob.Key(), STATUS_AWAY);
  ASSERT_TRUE(Until([&] { return GetManager()->GetContactInfo("bob")->GetStatus() == STATUS_AWAY; }));
  Settle();
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{}, NewSounds());
}

}  // namespace
