// Real connection clients on the stand-in server: what reaches each, in the forms the
// client's controller dispatches.
#include <gtest/gtest.h>

#include "network/fileServer.h"
#include "standin/messengers.h"
#include "tests/support/testSupport.h"
#include "tests/standin/standinTestSupport.h"

using namespace standintest;
using testsupport::TempDir;

namespace {

const std::string kSite = "http://www.example.com/";

class StandinEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { Start({}); }
  void Start(const std::vector<std::string>& arguments) {
    server.reset(new StandinProcess(PARLAVOX_STANDIN_PROGRAM, data.path(), arguments));
    ASSERT_NE(0, server->Port());
    PrepareClients(server->DataDir(), user.path());
  }
  std::unique_ptr<TestUser> LogIn(const std::string& login) {
    auto u = std::make_unique<TestUser>(server->Port(), login);
    EXPECT_TRUE(u->LoggedIn()) << login;
    return u;
  }
  // Opens the site and enters its room; the answer to the subscription.
  long Enter(TestUser& u, const std::string& room) {
    u.Link().SendOpenChatRoom(u.Key(), room);
    u.Link().SendSubscribeChatRoom(u.Key(), room);
    const S2C_Request_t* ack = u.Wait(S2C_Request_PR_suburlack, [&](const S2C_Request_t& r) {
      return Str(r.choice.suburlack.site) == room;
    });
    return ack ? ack->choice.suburlack.answer : -1;
  }
  // Makes the two contacts of each other.
  void Befriend(TestUser& a, TestUser& b) {
    a.Link().AddContact(a.Key(), b.Login(), "Hello");
    ASSERT_TRUE(b.Wait(S2C_Request_PR_addcontactask));
    b.Link().AddContactAnswer(b.Key(), a.Login(), true, "Sure");
    ASSERT_TRUE(a.Wait(S2C_Request_PR_addcontactanswer));
  }

  TempDir data, user;
  std::unique_ptr<StandinProcess> server;
};

Match Said(const std::string& room, const std::string& from, const std::string& text) {
  return [=](const S2C_Request_t& r) {
    const S2C_Message_t& m = r.choice.message;
    return Str(m.site) == room && Str(m.login) == from && Str(m.message) == text;
  };
}

Match UpdateOf(const std::string& login, const std::string& site,
               const std::function<bool(const S2C_UpdateContactAll_t&)>& more = nullptr) {
  return [=](const S2C_Request_t& r) {
    const S2C_UpdateContactAll_t& u = r.choice.updcontact;
    return Str(u.login) == login && Str(u.site) == site && (!more || more(u));
  };
}

std::function<bool(const S2C_UpdateContactAll_t&)> Status(long status, bool listing = false) {
  return [=](const S2C_UpdateContactAll_t& u) {
    return u.status && *u.status == status && (u.connecting != nullptr) == listing;
  };
}

}  // namespace

// Each log-in, log-out and refusal is in the server's log without --verbose.
TEST_F(StandinEndToEnd, LogInIsCheckedForPasswordAndVersion) {
  struct Case {
    const char* login;
    const char* password;
    std::vector<std::string> serverArguments;
    long refusal;  // -1: accepted
    std::vector<std::string> logged;
  } cases[] = {
      {"alice", "alice", {}, -1, {"alice logged in (1 online)\n", "alice logged out (0 online)\n"}},
      {"alice", "wrong", {}, ConnectionError_invalid_login, {": log-in refused for \"alice\"\n"}},
      {"nobody", "nobody", {}, ConnectionError_invalid_login, {": log-in refused for \"nobody\"\n"}},
      {"alice", "alice", {"--client-version", "2.0"}, ConnectionError_invalid_version,
       {"alice: log-in refused for version 0.9.8b\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.login) + "/" + c.password);
    Start(c.serverArguments);
    {
      TestUser u(server->Port(), c.login, c.password);
      if (c.refusal < 0) {
        ASSERT_TRUE(u.LoggedIn());
        EXPECT_TRUE(u.Wait(S2C_Request_PR_updcontact, [](const S2C_Request_t& r) {
          return Str(r.choice.updcontact.nickname) == "Alice";
        }));
      } else {
        const S2C_Request_t* refused = u.Wait(S2C_Request_PR_goaway);
        ASSERT_TRUE(refused);
        EXPECT_EQ(c.refusal, refused->choice.goaway.status);
        EXPECT_EQ(c.serverArguments.empty() ? "0.9.8b" : "2.0", Str(refused->choice.goaway.version));
        EXPECT_TRUE(u.WaitEnd());
      }
    }
    for (const std::string& line : c.logged) {
      auto logged = [&] { return server->Log().find(line) != std::string::npos; };
      EXPECT_TRUE(testsupport::WaitFor(logged, std::chrono::seconds(10))) << line << " not in:\n" << server->Log();
    }
  }
}

// What clients send reaches the log as escapes: one line of it is always one line the server
// wrote.
TEST_F(StandinEndToEnd, LogLinesCannotBeForgedByClients) {
  auto alice = LogIn("alice");
  EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), "x\nparlavox-standin 12:00:00 mallory logged in\\", "Hi"));
  const std::string line = "alice speaks in x\\x0aparlavox-standin 12:00:00 mallory logged in\\\\ without being in it\n";
  EXPECT_TRUE(testsupport::WaitFor([&] { return server->Log().find(line) != std::string::npos; }, std::chrono::seconds(10)))
      << server->Log();
  EXPECT_EQ(std::string::npos, server->Log().find("\nparlavox-standin 12:00:00 mallory"));
}

TEST_F(StandinEndToEnd, SecondLogInSendsTheFirstAway) {
  auto first = LogIn("alice");
  auto second = LogIn("alice");
  const S2C_Request_t* away = first->Wait(S2C_Request_PR_goaway);
  ASSERT_TRUE(away);
  EXPECT_EQ(ConnectionError_already_connected, away->choice.goaway.status);
  EXPECT_TRUE(first->WaitEnd());
  EXPECT_TRUE(second->Sync());
}

TEST_F(StandinEndToEnd, ContactRequestAnswerAndPresence) {
  auto alice = LogIn("alice");
  auto bob = LogIn("bob");
  alice->Link().CheckContact(alice->Key(), "bob");
  const S2C_Request_t* check = alice->Wait(S2C_Request_PR_checkcontactack);
  ASSERT_TRUE(check);
  EXPECT_TRUE(check->choice.checkcontactack.status);
  EXPECT_EQ("Bob", Str(check->choice.checkcontactack.nickname));
  Befriend(*alice, *bob);
  const S2C_Request_t* ask = bob->Wait(S2C_Request_PR_addcontactask);
  EXPECT_EQ("Alice", Str(ask->choice.addcontactask.nickname));
  EXPECT_EQ("Hello", Str(ask->choice.addcontactask.message));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_addcontactanswer)->choice.addcontactanswer.answer);
  // Each gets the other as a contact of the list ("none"), online, which the client stores.
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("bob", "none", Status(UserStatus_online))));
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", "none", Status(UserStatus_online))));

  // A change of presence, a log-out, and a log-in that lists alice without notifying.
  bob->Link().ChangeStatus(bob->Key(), STATUS_AWAY);
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("bob", "none", Status(UserStatus_away))));
  bob->Link().SendDisconnect(bob->Key());
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_disconnect));
  EXPECT_TRUE(bob->WaitEnd());
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("bob", "none", Status(UserStatus_offline))));
  bob = LogIn("bob");
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", "none", Status(UserStatus_online, true))));

  // A request to a user who is away waits for the next log-in; a removal reaches the other.
  alice->Link().AddContact(alice->Key(), "carol", "Later");
  ASSERT_TRUE(alice->Sync());
  EXPECT_TRUE(LogIn("carol")->Wait(S2C_Request_PR_addcontactask));
  alice->Link().RemoveContact(alice->Key(), "bob", "Bye");
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_delcontact, [](const S2C_Request_t& r) {
    return Str(r.choice.delcontact.login) == "alice" && Str(r.choice.delcontact.message) == "Bye";
  }));
}

TEST_F(StandinEndToEnd, SiteRoomMessagesBothWaysWithHistoryForNewcomers) {
  auto alice = LogIn("alice");
  auto bob = LogIn("bob");
  EXPECT_EQ(SubscribeStatus_subscribed, Enter(*alice, kSite));
  EXPECT_EQ(SubscribeStatus_subscribed, Enter(*bob, kSite));
  EXPECT_EQ(1, alice->Wait(S2C_Request_PR_openurlok)->choice.openurlok.nbrUsers);
  EXPECT_EQ(2, bob->Wait(S2C_Request_PR_openurlok)->choice.openurlok.nbrUsers);
  auto member = [](const S2C_UpdateContactAll_t& u) { return u.hasSubscribed && *u.hasSubscribed; };
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("bob", kSite, member)));
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", kSite, member)));

  EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), kSite, "Hello Bob"));
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_message, Said(kSite, "alice", "Hello Bob")));
  EXPECT_TRUE(bob->Link().SendMessage(bob->Key(), kSite, "Hello Alice \xC3\xA9"));
  const S2C_Request_t* back = alice->Wait(S2C_Request_PR_message, Said(kSite, "bob", "Hello Alice \xC3\xA9"));
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->choice.message.history);
  alice->Link().KeyTyped(alice->Key(), kSite, true);
  const S2C_Request_t* typing = bob->Wait(S2C_Request_PR_keytyped);
  ASSERT_TRUE(typing && typing->choice.keytyped.enabled);
  EXPECT_TRUE(*typing->choice.keytyped.enabled);
  // The client shows its own line itself: nothing comes back to the sender.
  ASSERT_TRUE(alice->Sync());
  EXPECT_EQ(1u, alice->Count(S2C_Request_PR_message));

  alice->Link().SendComment(alice->Key(), kSite, "Good site", 8);
  for (TestUser* u : {alice.get(), bob.get()}) {
    const S2C_Request_t* comments = u->Wait(S2C_Request_PR_comments);
    ASSERT_TRUE(comments) << u->Login();
    EXPECT_EQ(1, comments->choice.comments.nbrComments);
    EXPECT_DOUBLE_EQ(8.0, comments->choice.comments.meanGrade);
  }

  // A newcomer gets the lines said before, marked as history, and the counts.
  auto carol = LogIn("carol");
  Enter(*carol, kSite);
  const S2C_Request_t* firstLine = carol->Wait(S2C_Request_PR_message, Said(kSite, "alice", "Hello Bob"));
  ASSERT_TRUE(firstLine && firstLine->choice.message.history);
  EXPECT_TRUE(*firstLine->choice.message.history);
  EXPECT_TRUE(carol->WaitCount(S2C_Request_PR_message, 2));
  EXPECT_EQ(1, carol->Wait(S2C_Request_PR_openurlok)->choice.openurlok.nbrMessages);

  // Leaving the site: the others see the user go.
  alice->Link().SendCloseChatRoom(alice->Key(), kSite);
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", kSite, [](const S2C_UpdateContactAll_t& u) {
    return *u.status == UserStatus_offline && !*u.hasSubscribed;
  })));
}

TEST_F(StandinEndToEnd, PrivateRoomsAndAnInvitation) {
  auto alice = LogIn("alice");
  auto bob = LogIn("bob");
  auto carol = LogIn("carol");
  const std::string pair = "prv://parlavox/alice:bob";
  EXPECT_EQ(SubscribeStatus_subscribed, Enter(*alice, pair));
  // Bob never subscribed: the server places him in the room all the same.
  EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), pair, "Just us"));
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_message, Said(pair, "alice", "Just us")));
  // ... and may answer there as he is.
  EXPECT_TRUE(bob->Link().SendMessage(bob->Key(), pair, "Indeed"));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_message, Said(pair, "bob", "Indeed")));
  alice->Link().SendUnsubscribeChatRoom(alice->Key(), pair);
  bob->Link().SendUnsubscribeChatRoom(bob->Key(), pair);
  ASSERT_TRUE(alice->Sync() && bob->Sync());
  EXPECT_TRUE(bob->Link().SendMessage(bob->Key(), pair, "Gone?"));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_message, Said(pair, "bob", "Gone?")));
  // Refused: a room of two others, and one with someone who blocked the asker.
  carol->Link().BlockContact(carol->Key(), "alice", "");
  ASSERT_TRUE(carol->Sync());
  EXPECT_EQ(SubscribeStatus_failed, Enter(*carol, pair));
  EXPECT_EQ(SubscribeStatus_blocked, Enter(*alice, "prv://parlavox/alice:carol"));

  // An invitation from the room of two makes a new room: alice is in it at once, bob once he
  // accepts; carol, not invited, cannot get in.
  alice->Link().InviteContactInChatRoom(alice->Key(), nullptr, {"bob"});
  const S2C_Request_t* invitation = bob->Wait(S2C_Request_PR_invitechatroom);
  ASSERT_TRUE(invitation);
  std::string group = Str(invitation->choice.invitechatroom.site);
  EXPECT_EQ(0u, group.find("prv://parlavox/alice/"));
  EXPECT_EQ("alice", Str(invitation->choice.invitechatroom.login));
  bob->Link().InviteContactInChatRoomAck(bob->Key(), group, "alice", "Coming", true);
  const S2C_Request_t* accepted = alice->Wait(S2C_Request_PR_invitechatroomanswer);
  ASSERT_TRUE(accepted);
  EXPECT_EQ("bob", Str(accepted->choice.invitechatroomanswer.login));
  EXPECT_TRUE(accepted->choice.invitechatroomanswer.answer);
  EXPECT_EQ(SubscribeStatus_subscribed, Enter(*bob, group));
  EXPECT_TRUE(bob->Link().SendMessage(bob->Key(), group, "Here"));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_message, Said(group, "bob", "Here")));
  EXPECT_EQ(SubscribeStatus_failed, Enter(*carol, group));
}

TEST_F(StandinEndToEnd, FileOfferedByOneIsDownloadedByTheOtherByteIdentical) {
  auto alice = LogIn("alice");
  auto bob = LogIn("bob");
  Enter(*alice, kSite);
  Enter(*bob, kSite);
  TempDir files;
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += static_cast<char>((i * 7919) >> 3);
  ASSERT_TRUE(testsupport::WriteFile(files.file("sent.bin"), bytes));
  FileServer sender("0");
  ASSERT_TRUE(sender.Listen());
  std::thread listener(sender);
  const std::string key = "170000000012345";
  ASSERT_GT(sender.AddFile(kSite, "alice", files.file("sent.bin"), "report.bin", key), 0);
  alice->Link().SendFile(alice->Key(), kSite, "report.bin", key, static_cast<long>(bytes.size()),
                         sender.GetBoundPort());
  const S2C_Request_t* offer = bob->Wait(S2C_Request_PR_file);
  ASSERT_TRUE(offer);
  const S2C_File_t& f = offer->choice.file;
  EXPECT_EQ("alice", Str(f.login));
  EXPECT_EQ("127.0.0.1", Str(f.ip));
  // Bob fetches it from the address the offer names, as the controller does.
  FileServer receiver("0");
  receiver.DownloadFile("bob", Str(f.login), Str(f.site), Str(f.filekey), f.filesize, Str(f.ip),
                        static_cast<unsigned short>(f.port), Str(f.filename), files.file("received.bin"));
  EXPECT_TRUE(testsupport::WaitFor([&] { return testsupport::ReadFile(files.file("received.bin")) == bytes; },
                                   std::chrono::seconds(30)));
  alice->Link().CancelFile(alice->Key(), kSite, key);
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_cancelfile));
  sender.Close(true);
  listener.join();
}

TEST_F(StandinEndToEnd, ProfilesAvatarsSmileysAndMessengers) {
  auto alice = LogIn("alice");
  auto bob = LogIn("bob");
  Befriend(*alice, *bob);
  const unsigned char large[] = "large avatar bytes";
  const unsigned char small[] = "small";
  alice->Link().ChangeAvatar(alice->Key(), IMAGE_PNG, sizeof large, large, IMAGE_GIF, sizeof small, small);
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", "none", [&](const S2C_UpdateContactAll_t& u) {
    return u.smallavatar && u.smallavatar->type == TypeImage_gif && u.smallavatar->content.size == sizeof small;
  })));
  // The large one only when asked, alone (no presence in it).
  bob->Link().AskForAvatar(bob->Key(), "alice");
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, [&](const S2C_Request_t& r) {
    const S2C_UpdateContactAll_t& u = r.choice.updcontact;
    return !u.site && !u.status && u.avatar && u.avatar->content.size == sizeof large;
  }));
  alice->Link().UpdateProfile(alice->Key(), "Alice L.", "busy day", 3, 4, 1990);
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", "none", [](const S2C_UpdateContactAll_t& u) {
    return Str(u.nickname) == "Alice L." && Str(u.mood) == "busy day" && u.birthDate && u.birthDate->month == 4;
  })));

  Enter(*alice, kSite);
  Enter(*bob, kSite);
  alice->Link().AddSmiley(alice->Key(), kSite, ":wave:", IMAGE_PNG, sizeof small, small);
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_addsmiley, [](const S2C_Request_t& r) {
    return Str(r.choice.addsmiley.login) == "alice" && Str(r.choice.addsmiley.codesmiley) == ":wave:";
  }));
  alice->Link().DelSmiley(alice->Key(), kSite, ":wave:");
  EXPECT_TRUE(bob->Wait(S2C_Request_PR_delsmiley));

  // No other network is offered without a list of them; an account asked for connects unless
  // its password is the refused one, and a disconnection is answered as such.
  alice->Link().AskMessengerProtocols(alice->Key(), "alice");
  const S2C_Request_t* protocols = alice->Wait(S2C_Request_PR_availablemessengerprotocols);
  ASSERT_TRUE(protocols);
  EXPECT_EQ(0, protocols->choice.availablemessengerprotocols.protocols.list.count);
  alice->Link().ConnectMessenger(alice->Key(), "icq", "12345", "pw", {}, "Alice", STATUS_ONLINE);
  ASSERT_TRUE(alice->WaitCount(S2C_Request_PR_messengerconnectionstatus, 1));
  alice->Link().ConnectMessenger(alice->Key(), "icq", "12345", "wrong", {}, "Alice", STATUS_ONLINE);
  ASSERT_TRUE(alice->WaitCount(S2C_Request_PR_messengerconnectionstatus, 2));
  alice->Link().DisconnectMessenger(alice->Key(), "icq", "12345");
  ASSERT_TRUE(alice->WaitCount(S2C_Request_PR_messengerconnectionstatus, 3));
  auto with = [](long status) {
    return [status](const S2C_Request_t& r) {
      return r.choice.messengerconnectionstatus.status == status && Str(r.choice.messengerconnectionstatus.login) == "12345";
    };
  };
  EXPECT_EQ(1u, alice->Count(S2C_Request_PR_messengerconnectionstatus, with(MessengerConnectionStatus_connected)));
  EXPECT_EQ(2u, alice->Count(S2C_Request_PR_messengerconnectionstatus, with(MessengerConnectionStatus_disconnected)));
}

// The networks of a --messengers file reach the client as written, escapes decoded, with the
// icon's bytes; a file with a line that is not a protocol keeps the server from starting.
TEST_F(StandinEndToEnd, MessengersFileIsOfferedAsWritten) {
  TempDir dir;
  ASSERT_TRUE(testsupport::WriteFile(dir.file("icon.png"), std::string("\x89PNG\r\n\x1a\n", 8)));
  ASSERT_TRUE(testsupport::WriteFile(dir.file("offers"),
                                     "# two networks\n"
                                     "icq\tICQ \\x3cb\\x3e\tport=5190;server=a\\;b\n"
                                     "\n"
                                     "jabber\tJab\\tber\t\t" + dir.file("icon.png") + "\n"));
  Start({"--messengers", dir.file("offers")});
  auto alice = LogIn("alice");
  alice->Link().AskMessengerProtocols(alice->Key(), "alice");
  const S2C_Request_t* offered = alice->Wait(S2C_Request_PR_availablemessengerprotocols);
  ASSERT_TRUE(offered);
  const MessengerProtocols_t& list = offered->choice.availablemessengerprotocols.protocols;
  ASSERT_EQ(2, list.list.count);
  const MessengerProtocol_t& icq = *list.list.array[0];
  EXPECT_EQ("icq", Str(icq.protocol));
  EXPECT_EQ("ICQ <b>", Str(icq.description));
  ASSERT_EQ(2, icq.parameters.list.count);
  EXPECT_EQ("port", Str(icq.parameters.list.array[0]->key));
  EXPECT_EQ("5190", Str(icq.parameters.list.array[0]->value));
  EXPECT_EQ("a;b", Str(icq.parameters.list.array[1]->value));
  EXPECT_EQ(nullptr, icq.icon);
  const MessengerProtocol_t& jabber = *list.list.array[1];
  EXPECT_EQ("Jab\tber", Str(jabber.description));
  EXPECT_EQ(0, jabber.parameters.list.count);
  ASSERT_NE(nullptr, jabber.icon);
  EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), Str(*jabber.icon));

  std::string error;
  std::vector<standin::OfferedProtocol> refused;
  for (const char* line : {"only-an-id\n", "id\tdesc\tnot-a-pair\n", "id\tbad \\q escape\n", "\tno id\n"}) {
    ASSERT_TRUE(testsupport::WriteFile(dir.file("bad"), line));
    EXPECT_FALSE(standin::LoadMessengersFile(dir.file("bad"), &refused, &error)) << line;
    EXPECT_NE(std::string::npos, error.find("bad:1:")) << error;
  }
}

TEST_F(StandinEndToEnd, StateFileKeepsContactsAndProfilesAcrossARestart) {
  TempDir kept;
  std::string state = kept.file("state.txt");
  Start({"--state", state});
  {
    auto alice = LogIn("alice");
    auto bob = LogIn("bob");
    Befriend(*alice, *bob);
    alice->Link().UpdateGroup(alice->Key(), "bob", "Friends");
    alice->Link().UpdateProfile(alice->Key(), "Alice Again", "", 0, 0, 0);
    ASSERT_TRUE(alice->Sync());
  }
  ASSERT_EQ(0, server->Stop());
  Start({"--state", state});
  auto alice = LogIn("alice");
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("alice", "(absent)", [](const S2C_UpdateContactAll_t& u) {
    return Str(u.nickname) == "Alice Again";
  })));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf("bob", "none", [](const S2C_UpdateContactAll_t& u) {
    return Str(u.group) == "Friends";
  })));
}

TEST_F(StandinEndToEnd, BrokenFilesStopTheStartAndAreLeftAsTheyAre) {
  struct Case {
    const char* option;
    const char* text;
  } cases[] = {
      {"--accounts", "alice\n"},                           // no password
      {"--accounts", "ok ok\nbad+login pw Nick\n"},        // a login the wire refuses
      {"--accounts", "carol pw 12345678901234567890123456789012345678901\n"},  // 41 characters
      {"--state", "parlavox-standin-state 1\naccount alice 7a\n"},
      {"--state", "something else\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TempDir dir;
    ASSERT_TRUE(testsupport::WriteFile(dir.file("file"), c.text));
    StandinProcess refused(PARLAVOX_STANDIN_PROGRAM, data.path(), {c.option, dir.file("file")});
    EXPECT_EQ(0, refused.Port());
    EXPECT_EQ(2, refused.Stop());
    EXPECT_EQ(c.text, testsupport::ReadFile(dir.file("file")));
  }
}

TEST_F(StandinEndToEnd, ScriptedUsersOfTheDemonstrationAnswer) {
  Start({"--demo"});
  auto alice = LogIn("alice");
  Enter(*alice, PARLAVOX_WEBSITE);
  for (const char* scripted : {"ada", "ben", "chloe"}) {
    EXPECT_TRUE(alice->Wait(S2C_Request_PR_updcontact, UpdateOf(scripted, PARLAVOX_WEBSITE))) << scripted;
  }
  EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), PARLAVOX_WEBSITE, "Is anybody there?"));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_keytyped));
  const S2C_Request_t* answer = alice->Wait(S2C_Request_PR_message);
  ASSERT_TRUE(answer);
  EXPECT_NE(std::string::npos, Str(answer->choice.message.message).find("Alice"));
  // In a room of two with one of them, that one answers.
  const std::string pair = "prv://parlavox/ada:alice";
  EXPECT_EQ(SubscribeStatus_subscribed, Enter(*alice, pair));
  EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), pair, "Only you, Ada"));
  EXPECT_TRUE(alice->Wait(S2C_Request_PR_message, [&](const S2C_Request_t& r) {
    return Str(r.choice.message.site) == pair && Str(r.choice.message.login) == "ada";
  }));
  alice->Link().AddContact(alice->Key(), "ben", "Hi Ben");
  const S2C_Request_t* accepted = alice->Wait(S2C_Request_PR_addcontactanswer);
  ASSERT_TRUE(accepted);
  EXPECT_TRUE(accepted->choice.addcontactanswer.answer);
}

TEST_F(StandinEndToEnd, AJournalThatCannotBeWrittenStopsTheStart) {
  TempDir dir;
  StandinProcess refused(PARLAVOX_STANDIN_PROGRAM, data.path(), {"--journal", dir.file("no such folder/journal")});
  EXPECT_EQ(0, refused.Port());
  EXPECT_EQ(1, refused.Stop());
  EXPECT_NE(std::string::npos, refused.Log().find("cannot write the journal")) << refused.Log();
}
