// The main window of a user on the stand-in server, and other users on the same server through
// the client's own connection code: contact requests and answers, invitations to private rooms,
// a message arriving in a room that is not open, and presence changes notified as each contact's
// settings ask. What the user sees is read from the pop-up, the sounds asked for, the chat-rooms
// window and the controller's tables. Run under the sanitizers, every event's payload is freed
// once (or kept by the controller) and nothing leaks.
#include <gtest/gtest.h>

#include <string>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "tests/support/programSession.h"

namespace {

using programtest::Lines;
using standintest::Str;
using standintest::TestUser;

const char* const kOthers[] = {"bob", "carol", "dave", "erin", "frank"};
const char* const kNoticeKeys[] = {"login-visual", "login-bell", "logout-visual", "logout-bell", "message-visual",
                                   "message-bell"};

class HandlersEndToEnd : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    // Every notice is on unless a contact's own setting says no; what an earlier test set on
    // the contacts is cleared.
    Manager* manager = GetManager();
    for (const char* key : kNoticeKeys) {
      manager->GetDefaultContactInfo()->SetNotification(key, NOTIFICATION_ON);
      for (const char* login : kOthers) manager->GetContactInfo(login)->SetNotification(key, NOTIFICATION_NOT_SET);
    }
  }
};

TEST_F(HandlersEndToEnd, ContactRequestsAndAnswersBothWays) {
  // Bob asks; the request is stored, announced and answered.
  TestUser& bob = LogIn("bob");
  bob.Link().AddContact(bob.Key(), "alice", "Hello Alice");
  ContactEvent* asked = AwaitStored(CE_ADD_RECEIVED, "bob");
  ASSERT_TRUE(asked);
  EXPECT_EQ("Hello Alice", asked->GetMessage());
  AwaitPopups(1);
  Settle();
  EXPECT_EQ(Lines{"Request | Bob (bob) | asks to be in your private list | 4 "}, NewPopups());
  ASSERT_TRUE(GetManager()->SendAddContactAnswer(asked->GetId(), true, "Welcome"));
  const S2C_Request_t* answer = bob.Wait(S2C_Request_PR_addcontactanswer);
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->choice.addcontactanswer.answer);
  EXPECT_EQ("Welcome", Str(answer->choice.addcontactanswer.message));
  EXPECT_TRUE(Until([] { return GetManager()->HasContact("bob"); }));
  // Listed, bob shows as coming online.
  AwaitPopups(1);
  AwaitSounds(1);
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
    Frame()->AddContact(row.login, "Shall we?");
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
    AwaitPopups(row.presence ? 2 : 1);
    AwaitSounds(row.presence ? 1 : 0);
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
    TestUser& inviter = IsLoggedIn(row.from) ? User(row.from) : LogIn(row.from);
    inviter.Link().InviteContactInChatRoom(inviter.Key(), nullptr, {"alice"});
    ContactEvent* invitation = AwaitStored(CE_INVITED, row.from);
    ASSERT_TRUE(invitation);
    const std::string room = invitation->GetURL();
    EXPECT_EQ(0u, room.find(std::string("prv://parlavox/") + row.from + "/")) << room;
    EXPECT_TRUE(GetManager()->IsMultiplePrivateChatRoom(room));
    AwaitPopups(1);
    Settle();
    EXPECT_EQ(Lines{row.invitation}, NewPopups());
    ASSERT_TRUE(GetManager()->InviteContactInChatRoomAck(invitation->GetId(), row.accept, "Answered"));
    const S2C_Request_t* answer = inviter.Wait(S2C_Request_PR_invitechatroomanswer);
    ASSERT_TRUE(answer);
    EXPECT_EQ(row.accept, answer->choice.invitechatroomanswer.answer != 0);
    EXPECT_EQ("Answered", Str(answer->choice.invitechatroomanswer.message));
    if (row.accept) {
      // The server places her in the room: its page opens, with the inviter among its members.
      ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(room) && Rooms()->IsShown(); }));
      EXPECT_TRUE(GetManager()->HasSubscribedTo(room));
      EXPECT_TRUE(Until([&] {
        for (ContactInfo* member : GetManager()->GetSubscribedContacts(room))
          if (member->GetLogin() == row.from) return true;
        return false;
      }));
      joined = room;
    }
    ASSERT_TRUE(inviter.Sync());
    AwaitPopups(row.accept ? 1 : 0);
    Settle();
    EXPECT_EQ(row.accept, GetManager()->HasSubscribedTo(room));
    EXPECT_EQ(row.accept, Rooms()->IsChatRoomOpened(room));
    const std::string name = GetManager()->GetChatRoomName(room);
    EXPECT_EQ(0u, name.find("Private chatroom #")) << name;
    EXPECT_EQ(row.accept ? Lines{"Subscribe chatroom | Subscribe to | " + name + " | 2 " + room} : Lines{},
              NewPopups());
  }
  ASSERT_FALSE(joined.empty());
  EXPECT_EQ(1, Rooms()->GetNbrChatRooms());

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
    TestUser& invited = User(row.to);
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
    AwaitPopups(1);
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
    ASSERT_FALSE(Rooms()->IsChatRoomOpened(pair));
    ASSERT_FALSE(GetManager()->HasSubscribedTo(pair));
    ASSERT_TRUE(bob.Link().SendMessage(bob.Key(), pair, "Are you there? " + std::to_string(index++)));
    ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(pair) && Rooms()->IsShown(); }));
    EXPECT_TRUE(GetManager()->HasSubscribedTo(pair));
    AwaitPopups(row.popups.size());
    AwaitSounds(row.sounds.size());
    Settle();
    EXPECT_EQ(1, Rooms()->GetNbrChatRooms());
    EXPECT_EQ(row.popups, NewPopups());
    EXPECT_EQ(row.sounds, NewSounds());
    // Alice answers (her own line notifies nothing), then leaves, as the page's close does.
    ASSERT_TRUE(GetManager()->SendMessage(pair, "Yes " + std::to_string(index)));
    EXPECT_TRUE(Until([&] {
      return bob.Count(S2C_Request_PR_message, [&](const S2C_Request_t& r) {
        return Str(r.choice.message.message) == "Yes " + std::to_string(index);
      });
    }));
    Rooms()->CloseChatRoom(pair);
    Settle();
    EXPECT_FALSE(Rooms()->IsShown());
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
      AwaitPopups(row.popup ? 1 : 0);
      AwaitSounds(row.sound ? 1 : 0);
      Settle();
      EXPECT_EQ(row.popup ? Lines{popup} : Lines{}, NewPopups());
      if (row.popup) {
        EXPECT_EQ(now, NotifyFrame::GetInstance()->GetItem(NotifyFrame::GetInstance()->GetCount() - 1)->status);
      }
      const char* sound = now == STATUS_ONLINE ? "sounds/online.wav" : "sounds/offline.wav";
      EXPECT_EQ(row.sound ? Lines{sound} : Lines{}, NewSounds());
    }
  }
  // A change of presence between two online states is no log-in: nothing is notified.
  TestUser& bob = User("bob");
  bob.Link().ChangeStatus(bob.Key(), STATUS_AWAY);
  ASSERT_TRUE(Until([&] { return GetManager()->GetContactInfo("bob")->GetStatus() == STATUS_AWAY; }));
  Settle();
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{}, NewSounds());
}

}  // namespace
