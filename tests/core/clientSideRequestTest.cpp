#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/log.h"
#include "network/localServer.h"
#include "network/sslManager.h"
#include "tests/core/clientTestSupport.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/fakeProxy.h"

using namespace clienttest;
using testserver::C2SPtr;
using testserver::Fill;
using testserver::NewS2C;
using testserver::TestConnection;

namespace {

std::string T(const OCTET_STRING_t& s) {
  return asn1::ToString(s);
}

// connect: [0] { login [0] "alice", password [1] "secret", version [2] "0.9.8b",
// status [3] ENUMERATED 1, default-avatar-hash [4] 20 octets }
std::string ConnectBytes(const std::string& hash) {
  return std::string("\xA0\x30\x80\x05" "alice" "\x81\x06" "secret" "\x82\x06" "0.9.8b" "\x83\x01\x01\x84\x14", 30) +
         hash;
}

// An aborted attempt: the controller heard nothing, the server got nothing and the link is let go.
void ExpectAttemptUnseen(RecordingMachine& machine, const std::shared_ptr<TestConnection>& link) {
  EXPECT_TRUE(machine.Acks().empty());
  ASSERT_TRUE(link);
  EXPECT_TRUE(link->WaitClosed());
  EXPECT_EQ(0u, link->ReceivedCount());
}

}  // namespace

TEST(ClientLogIn, DirectAndThroughAProxy) {
  ClientSetUp setUp;
  for (bool viaProxy : {false, true}) {
    SCOPED_TRACE(viaProxy ? "through the proxy" : "direct");
    testserver::FakeProxy proxy;
    RecordingMachine machine;
    RunningClient running(machine, setUp.server->Port(), viaProxy, proxy.Port());
    auto link = setUp.server->Accept();
    ASSERT_TRUE(link);
    auto connect = link->Next();
    ASSERT_TRUE(connect);
    // The first message on the link, byte for byte, with no default avatar stored.
    EXPECT_EQ(ConnectBytes(std::string(20, '\0')), connect->bytes);
    EXPECT_EQ(std::vector<bool>{true}, machine.Acks());
    EXPECT_EQ(viaProxy ? 1u : 0u, proxy.Requests().size());

    auto ack = NewS2C(S2C_Request_PR_connect_ack);
    Fill(&ack->choice.connect_ack.authkey, "K1");
    Fill(&ack->choice.connect_ack.version, "1.0");
    link->Send(*ack);
    ASSERT_TRUE(machine.WaitRequests(1));
    EXPECT_EQ(S2C_Request_PR_connect_ack, machine.Kinds()[0]);

    // The server ends the link: the controller learns it by a request of no kind, and Run ends.
    link->Close();
    ASSERT_TRUE(machine.WaitRequests(2));
    EXPECT_EQ(S2C_Request_PR_NOTHING, machine.Kinds()[1]);
    EXPECT_TRUE(running.WaitEnd());
    EXPECT_EQ(1u, machine.Acks().size());
  }
}

TEST(ClientLogIn, DigestOfTheStoredDefaultAvatar) {
  ClientSetUp setUp;
  ASSERT_TRUE(testsupport::WriteFile(setUp.dir.file("defaultavatar.png"), "abc"));
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  auto link = setUp.server->Accept();
  ASSERT_TRUE(link);
  auto connect = link->Next();
  ASSERT_TRUE(connect);
  // SHA-1 of "abc".
  EXPECT_EQ(ConnectBytes("\xa9\x99\x3e\x36\x47\x06\x81\x6a\xba\x3e\x25\x71\x78\x50\xc2\x6c\x9c\xd0\xd8\x9d"),
            connect->bytes);
  link->Close();
  EXPECT_TRUE(running.WaitEnd());
}

TEST(ClientLogIn, FailedAndAbortedAttempts) {
  SSLManager::SetConnectTimeout(1000);
  {
    // Nothing listens: the controller hears "not connected" once, and nothing else.
    ClientSetUp setUp;
    RecordingMachine machine;
    unsigned short port = setUp.server->Port();
    setUp.server.reset();
    RunningClient running(machine, port);
    EXPECT_TRUE(running.WaitEnd());
    EXPECT_EQ(std::vector<bool>{false}, machine.Acks());
    EXPECT_TRUE(machine.Kinds().empty());
  }
  {
    // Aborted while the handshake is under way, which then succeeds: no acknowledgement, no
    // connect, and the link is let go.
    ClientSetUp setUp;
    testserver::TestServer::Options options;
    options.identity = setUp.ca.Issue(PARLAVOX_SERVER_HOST);
    options.handshakeDelay = milliseconds(300);
    testserver::TestServer slow(options);
    RecordingMachine machine;
    RunningClient running(machine, slow.Port());
    std::this_thread::sleep_for(milliseconds(100));
    running.client->AbortConnection();
    EXPECT_TRUE(running.WaitEnd());
    ExpectAttemptUnseen(machine, slow.Accept(milliseconds(1000)));
  }
  {
    // Aborted before the connection thread gets going: the attempt ends just the same.
    ClientSetUp setUp;
    RecordingMachine machine;
    auto client = std::make_shared<ClientSideRequest>(&machine, true);
    client->SetupConnection("127.0.0.1", setUp.server->Port(), true, false, "", 0, "alice", "secret", STATUS_ONLINE);
    client->AbortConnection();
    std::atomic<bool> ended{false};
    std::thread thread([body = ManageClientSideRequest(client), &ended]() mutable {
      body();
      ended = true;
    });
    client.reset();
    auto link = setUp.server->Accept(milliseconds(5000));
    EXPECT_TRUE(testsupport::WaitFor([&] { return ended.load(); }, milliseconds(5000)));
    if (link && !ended) link->Close();
    thread.join();
    ExpectAttemptUnseen(machine, link);
  }
}

TEST(ClientSenders, EachSendsItsRequestWithItsFields) {
  ClientSetUp setUp;
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  ClientSideRequest& c = *running.client;
  const std::string key = "K1";
  const unsigned char img[] = {1, 2, 3};
  const unsigned char small[] = {9};
  OCTET_STRING_t part{};
  SetOctetString(&part, "data", 4);

  struct Row {
    const char* name;
    std::function<void()> send;
    C2S_Request_PR kind;
    std::function<void(const C2S_Request_t&)> check;
  };
  std::string site = "http://a.example/";
  const std::vector<Row> rows = {
      {"disconnect", [&] { c.SendDisconnect(key); }, C2S_Request_PR_disconnect,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(key, T(r.choice.disconnect.authkey));
         EXPECT_EQ(0, r.choice.disconnect.recoflag);
       }},
      {"keytyped on", [&] { c.KeyTyped(key, site, true); }, C2S_Request_PR_keytyped,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(site, T(r.choice.keytyped.site));
         ASSERT_TRUE(r.choice.keytyped.enabled);
         EXPECT_NE(0, *r.choice.keytyped.enabled);  // DER's TRUE decodes as 0xFF
       }},
      {"keytyped off", [&] { c.KeyTyped(key, site, false); }, C2S_Request_PR_keytyped,
       [&](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.keytyped.enabled);  // present even when false
         EXPECT_EQ(0, *r.choice.keytyped.enabled);
       }},
      {"openurl", [&] { c.SendOpenChatRoom(key, site); }, C2S_Request_PR_openurl,
       [&](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.openurl.site)); }},
      {"closeurl", [&] { c.SendCloseChatRoom(key, site); }, C2S_Request_PR_closeurl,
       [&](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.closeurl.site)); }},
      {"sendmessage", [&] { EXPECT_TRUE(c.SendMessage(key, site, "h\xC3\xA9llo")); }, C2S_Request_PR_sendmessage,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(key, T(r.choice.sendmessage.authkey));
         EXPECT_EQ("h\xC3\xA9llo", T(r.choice.sendmessage.message));
       }},
      {"empty message", [&] { c.SendMessage(key, site, ""); }, C2S_Request_PR_sendmessage,
       [&](const C2S_Request_t& r) { EXPECT_EQ("", T(r.choice.sendmessage.message)); }},
      {"sendfile", [&] { c.SendFile(key, site, "f.txt", "123", 3000000000L, 6891); }, C2S_Request_PR_sendfile,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("f.txt", T(r.choice.sendfile.filename));
         EXPECT_EQ("123", T(r.choice.sendfile.filekey));
         EXPECT_EQ(3000000000L, r.choice.sendfile.filesize);
         EXPECT_EQ(6891, r.choice.sendfile.port);
       }},
      {"suburl", [&] { c.SendSubscribeChatRoom(key, site); }, C2S_Request_PR_suburl,
       [&](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.suburl.site)); }},
      {"unsuburl", [&] { c.SendUnsubscribeChatRoom(key, site); }, C2S_Request_PR_unsuburl,
       [&](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.unsuburl.site)); }},
      {"comment", [&] { c.SendComment(key, site, "nice", 7); }, C2S_Request_PR_comment,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("nice", T(r.choice.comment.text));
         EXPECT_EQ(7, r.choice.comment.grade);
       }},
      {"changestatus", [&] { c.ChangeStatus(key, STATUS_AWAY); }, C2S_Request_PR_changestatus,
       [&](const C2S_Request_t& r) { EXPECT_EQ(3, r.choice.changestatus.status); }},
      {"changestatus out of range", [&] { c.ChangeStatus(key, static_cast<t_status>(9)); }, C2S_Request_PR_changestatus,
       [&](const C2S_Request_t& r) { EXPECT_EQ(0, r.choice.changestatus.status); }},
      {"newavatar", [&] { c.ChangeAvatar(key, IMAGE_PNG, 3, img, IMAGE_GIF, 1, small); },
       C2S_Request_PR_newavatar,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(TypeImage_png, r.choice.newavatar.avatar.type);
         EXPECT_EQ(std::string("\1\2\3"), T(r.choice.newavatar.avatar.content));
         EXPECT_EQ(TypeImage_gif, r.choice.newavatar.smallavatar.type);
         EXPECT_EQ(std::string("\x09"), T(r.choice.newavatar.smallavatar.content));
       }},
      {"askavatar", [&] { c.AskForAvatar(key, "bob"); }, C2S_Request_PR_askavatar,
       [&](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.askavatar.login)); }},
      {"updateprofile", [&] { c.UpdateProfile(key, "Al", "", 12, 0, 1990); }, C2S_Request_PR_updateprofile,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("Al", T(r.choice.updateprofile.nickname));
         EXPECT_EQ("", T(r.choice.updateprofile.mood));
         ASSERT_TRUE(r.choice.updateprofile.birthDate);
         EXPECT_EQ(12, r.choice.updateprofile.birthDate->day);
         EXPECT_EQ(0, r.choice.updateprofile.birthDate->month);
         EXPECT_EQ(1990, r.choice.updateprofile.birthDate->year);
       }},
      {"updateprofile without day", [&] { c.UpdateProfile(key, "Al", "ok", 0, 5, 1990); },
       C2S_Request_PR_updateprofile,
       [&](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.updateprofile.birthDate); }},
      {"checkcontact login", [&] { c.CheckContact(key, "bob"); }, C2S_Request_PR_checkcontact,
       [&](const C2S_Request_t& r) {
         ASSERT_EQ(LoginOrEmail_PR_login, r.choice.checkcontact.loginOrEmail.present);
         EXPECT_EQ("bob", T(r.choice.checkcontact.loginOrEmail.choice.login));
       }},
      {"checkcontact email", [&] { c.CheckContact(key, "bob@x.org"); }, C2S_Request_PR_checkcontact,
       [&](const C2S_Request_t& r) {
         ASSERT_EQ(LoginOrEmail_PR_email, r.choice.checkcontact.loginOrEmail.present);
         EXPECT_EQ("bob@x.org", T(r.choice.checkcontact.loginOrEmail.choice.email));
       }},
      {"addcontact", [&] { c.AddContact(key, "bob", "hi"); }, C2S_Request_PR_addcontact,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("bob", T(r.choice.addcontact.login));
         EXPECT_EQ("hi", T(r.choice.addcontact.message));
       }},
      {"addcontactanswer", [&] { c.AddContactAnswer(key, "bob", true, "ok"); }, C2S_Request_PR_addcontactanswer,
       [&](const C2S_Request_t& r) {
         EXPECT_NE(0, r.choice.addcontactanswer.answer);
         EXPECT_EQ("ok", T(r.choice.addcontactanswer.message));
       }},
      {"delcontact", [&] { c.RemoveContact(key, "bob", "bye"); }, C2S_Request_PR_delcontact,
       [&](const C2S_Request_t& r) { EXPECT_EQ("bye", T(r.choice.delcontact.message)); }},
      {"invitechatroom", [&] { c.InviteContactInChatRoom(key, &site, {"bob", "carl"}); },
       C2S_Request_PR_invitechatroom,
       [&](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.invitechatroom.site);
         EXPECT_EQ(site, T(*r.choice.invitechatroom.site));
         ASSERT_EQ(2, r.choice.invitechatroom.logins.list.count);
         EXPECT_EQ("bob", T(*r.choice.invitechatroom.logins.list.array[0]));
         EXPECT_EQ("carl", T(*r.choice.invitechatroom.logins.list.array[1]));
       }},
      {"invitechatroom without site", [&] { c.InviteContactInChatRoom(key, nullptr, {}); },
       C2S_Request_PR_invitechatroom,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(nullptr, r.choice.invitechatroom.site);
         EXPECT_EQ(0, r.choice.invitechatroom.logins.list.count);
       }},
      {"invitechatroomanswer", [&] { c.InviteContactInChatRoomAck(key, site, "bob", "no", false); },
       C2S_Request_PR_invitechatroomanswer,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("bob", T(r.choice.invitechatroomanswer.login));
         EXPECT_EQ(0, r.choice.invitechatroomanswer.status);
       }},
      {"abuse", [&] { c.ReportAbuse(key, site, "bob", "spam"); }, C2S_Request_PR_abuse,
       [&](const C2S_Request_t& r) { EXPECT_EQ("spam", T(r.choice.abuse.message)); }},
      {"askforfileack yes", [&] { c.AskForFileAck(key, "bob", "42", "f", true, 99); }, C2S_Request_PR_askforfileack,
       [&](const C2S_Request_t& r) {
         EXPECT_NE(0, r.choice.askforfileack.status);
         ASSERT_TRUE(r.choice.askforfileack.size);
         EXPECT_EQ(99, *r.choice.askforfileack.size);
       }},
      {"askforfileack no", [&] { c.AskForFileAck(key, "bob", "42", "f", false, 99); }, C2S_Request_PR_askforfileack,
       [&](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.askforfileack.size); }},
      {"filepart", [&] { c.FilePart(key, "bob", "42", &part); }, C2S_Request_PR_filepart,
       [&](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.filepart.filedata);
         EXPECT_EQ("data", T(*r.choice.filepart.filedata));
       }},
      {"filepart end", [&] { c.FilePart(key, "bob", "42", nullptr); }, C2S_Request_PR_filepart,
       [&](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.filepart.filedata); }},
      {"cancelfile", [&] { c.CancelFile(key, site, "42"); }, C2S_Request_PR_cancelfile,
       [&](const C2S_Request_t& r) { EXPECT_EQ("42", T(r.choice.cancelfile.filekey)); }},
      {"blockcontact", [&] { c.BlockContact(key, "bob", "m"); }, C2S_Request_PR_blockcontact,
       [&](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.blockcontact.login)); }},
      {"unblockcontact", [&] { c.UnblockContact(key, "bob", "m"); }, C2S_Request_PR_unblockcontact,
       [&](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.unblockcontact.login)); }},
      {"contactgroup", [&] { c.UpdateGroup(key, "bob", "Friends"); }, C2S_Request_PR_contactgroup,
       [&](const C2S_Request_t& r) { EXPECT_EQ("Friends", T(r.choice.contactgroup.group)); }},
      {"clientinfo", [&] { c.SendClientInfo(key, "e", "o", "h", "s", "x"); }, C2S_Request_PR_clientinfo,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ("e", T(r.choice.clientinfo.environment));
         EXPECT_EQ("o", T(r.choice.clientinfo.os_info));
         EXPECT_EQ("h", T(r.choice.clientinfo.hardware_info));
         EXPECT_EQ("s", T(r.choice.clientinfo.screen_info));
         EXPECT_EQ("x", T(r.choice.clientinfo.extensions_info));
       }},
      {"heartbeatack", [&] { c.HeartBeatAck(key); }, C2S_Request_PR_heartbeatack,
       [&](const C2S_Request_t& r) { EXPECT_EQ(key, T(r.choice.heartbeatack.authkey)); }},
      {"askmessengerprotocols", [&] { c.AskMessengerProtocols(key, "alice"); }, C2S_Request_PR_askmessengerprotocols,
       [&](const C2S_Request_t& r) { EXPECT_EQ("alice", T(r.choice.askmessengerprotocols.login)); }},
      {"connectmessenger",
       [&] { c.ConnectMessenger(key, "icq", "a1", "pw", {{"server", "s.example"}, {"port", "5190"}}, "Al", STATUS_NONE); },
       C2S_Request_PR_connectmessenger,
       [&](const C2S_Request_t& r) {
         const C2S_ConnectMessenger_t& m = r.choice.connectmessenger;
         EXPECT_EQ("icq", T(m.protocol));
         EXPECT_EQ("pw", T(m.password));
         EXPECT_EQ("Al", T(m.nickname));
         EXPECT_EQ(1, m.status);  // the unset presence goes out as online
         ASSERT_EQ(2, m.parameters.list.count);
         EXPECT_EQ("port", T(m.parameters.list.array[0]->key));
         EXPECT_EQ("5190", T(m.parameters.list.array[0]->value));
         EXPECT_EQ("server", T(m.parameters.list.array[1]->key));
       }},
      {"disconnectmessenger", [&] { c.DisconnectMessenger(key, "icq", "a1"); }, C2S_Request_PR_disconnectmessenger,
       [&](const C2S_Request_t& r) { EXPECT_EQ("a1", T(r.choice.disconnectmessenger.login)); }},
      {"addsmiley", [&] { c.AddSmiley(key, site, ":x", IMAGE_JPG, 3, img); }, C2S_Request_PR_addsmiley,
       [&](const C2S_Request_t& r) {
         EXPECT_EQ(":x", T(r.choice.addsmiley.codesmiley));
         EXPECT_EQ(TypeImage_jpg, r.choice.addsmiley.smiley.type);
         EXPECT_EQ(std::string("\1\2\3"), T(r.choice.addsmiley.smiley.content));
       }},
      {"delsmiley", [&] { c.DelSmiley(key, site, ":x"); }, C2S_Request_PR_delsmiley,
       [&](const C2S_Request_t& r) { EXPECT_EQ(":x", T(r.choice.delsmiley.codesmiley)); }},
      {"error-messages", [&] { c.SendErrorMessages(key, "oops"); }, C2S_Request_PR_error_messages,
       [&](const C2S_Request_t& r) { EXPECT_EQ("oops", T(r.choice.error_messages.message)); }},
      {"filepartack", [&] { c.FilePartAck(key, "bob", "42"); }, C2S_Request_PR_filepartack,
       [&](const C2S_Request_t& r) { EXPECT_EQ("42", T(r.choice.filepartack.filekey)); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.send();
    auto got = link->Next();
    ASSERT_TRUE(got);
    ASSERT_EQ(row.kind, got->request->present);
    row.check(*got->request);
  }
  // The part given to FilePart is still the caller's, untouched.
  EXPECT_EQ("data", T(part));
  FreeOctetString(&part);

  // Nothing goes out for these.
  c.ChangeStatus(key, STATUS_NONE);
  c.AddMessenger();
  c.RemoveMessenger();
  EXPECT_FALSE(c.SendMessage(key, site, std::string(513, 'x')));  // over the 512-character limit
  EXPECT_FALSE(c.SendMessage(key, site, "caf\xC3"));               // broken UTF-8
  c.AddContact(key, "bad login", "m");               // a space is not allowed in a login
  EXPECT_TRUE(link->NothingWithin(milliseconds(300)));
  link->Close();
  EXPECT_TRUE(running.WaitEnd());
}

TEST(ClientSenders, StatusRuleOfTheConnect) {
  ClientSetUp setUp;
  for (int status : {-1, 0, 4, 5, 7}) {
    SCOPED_TRACE(status);
    RecordingMachine machine;
    RunningClient running(machine, setUp.server->Port(), false, 0, static_cast<t_status>(status));
    auto link = setUp.server->Accept();
    ASSERT_TRUE(link);
    C2SPtr connect = link->Expect(C2S_Request_PR_connect);
    ASSERT_TRUE(connect);
    long expected = status == -1 ? 1 : (status >= 0 && status <= 4 ? status : 0);
    EXPECT_EQ(expected, connect->choice.connect.status);
    EXPECT_EQ("0.9.8b", T(connect->choice.connect.version));
    link->Close();
    EXPECT_TRUE(running.WaitEnd());
  }
}

TEST(ClientRun, WhatTheControllerSeesForEachKind) {
  ClientSetUp setUp;
  struct Case {
    const char* name;
    S2C_Request_PR kind;
    bool linkClosedBeforeHandling;
    bool runEnds;
  };
  const Case cases[] = {
      {"disconnect", S2C_Request_PR_disconnect, true, true},
      {"goaway", S2C_Request_PR_goaway, false, true},
      {"redirect", S2C_Request_PR_redirect, true, true},
      {"publicip", S2C_Request_PR_publicip, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMachine machine;
    std::shared_ptr<TestConnection> link;
    std::mutex linkMutex;
    std::atomic<int> closedWhenHandled{-1};
    machine.onRequest = [&](S2C_Request_t& r) {
      if (r.present != c.kind) return;
      std::shared_ptr<TestConnection> l;
      {
        std::lock_guard<std::mutex> lock(linkMutex);
        l = link;
      }
      closedWhenHandled = l->WaitClosed(milliseconds(c.linkClosedBeforeHandling ? 3000 : 200)) ? 1 : 0;
    };
    RunningClient running(machine, setUp.server->Port());
    {
      auto l = LogIn(*setUp.server, machine);
      ASSERT_TRUE(l);
      std::lock_guard<std::mutex> lock(linkMutex);
      link = l;
    }
    auto request = NewS2C(c.kind);
    switch (c.kind) {
      case S2C_Request_PR_disconnect:
        Fill(&request->choice.disconnect.authkey, "K1");
        break;
      case S2C_Request_PR_goaway:
        request->choice.goaway.status = ConnectionError_already_connected;
        break;
      case S2C_Request_PR_redirect:
        Fill(&request->choice.redirect.ip, "127.0.0.1");
        request->choice.redirect.port = 1;
        break;
      default:
        Fill(&request->choice.publicip.authkey, "K1");
        Fill(&request->choice.publicip.ip, "10.0.0.1");
        break;
    }
    link->Send(*request);
    ASSERT_TRUE(machine.WaitRequests(2));
    EXPECT_EQ(c.kind, machine.Kinds()[1]);
    EXPECT_EQ(c.linkClosedBeforeHandling ? 1 : 0, closedWhenHandled.load());
    if (c.runEnds) {
      EXPECT_TRUE(running.WaitEnd());
    } else {
      EXPECT_FALSE(running.WaitEnd(milliseconds(200)));
      link->Close();
      EXPECT_TRUE(running.WaitEnd());
      EXPECT_EQ(S2C_Request_PR_NOTHING, machine.Kinds().back());
    }
    // Whatever ended the loop, the link does not outlive it.
    EXPECT_TRUE(link->WaitClosed());
    EXPECT_EQ(std::vector<bool>{true}, machine.Acks());
  }
}

TEST(ClientRun, TheControllerClosesTheLinkFromAnotherThread) {
  ClientSetUp setUp;
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  running.client->CloseConnection(true);
  EXPECT_TRUE(running.WaitEnd());
  // The controller closed the link itself: the loop may end before or after its read fails, so
  // it hands over at most one empty request, and never anything else.
  auto kinds = machine.Kinds();
  ASSERT_LE(kinds.size(), 2u);
  if (kinds.size() == 2) EXPECT_EQ(S2C_Request_PR_NOTHING, kinds[1]);
  EXPECT_TRUE(link->WaitClosed());
  // A sender on the ended client fails cleanly: nothing reaches anyone.
  running.client->HeartBeatAck("K1");
  EXPECT_FALSE(running.client->SendMessage("K1", "http://a.example/", "late"));
  running.client->CloseConnection(true);
  EXPECT_EQ(1u, link->ReceivedCount());  // the connect alone
}

TEST(ClientRun, HostileServerEndsTheThreadCleanly) {
  ClientSetUp setUp;
  struct Case {
    const char* name;
    std::string bytes;
    bool thenClose;
  };
  const Case cases[] = {
      {"cut mid-way", std::string("\xB8\x08\x80\x01k\x81", 6), true},
      {"garbage", std::string("\x00\xFF\x13garbage\r\n", 12), false},
      {"over-long length", std::string("\xBA\x84\x7F\xFF\xFF\xFF\x80\x02" "ab", 10), false},
      {"unknown alternative", std::string("\xBF\x28\x03\x80\x01k", 6), false},
      {"bad value", std::string("\xB1\x0C\x80\x01k\x81\x01s\x82\x01t\x83\x01\x0B", 14), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMachine machine;
    RunningClient running(machine, setUp.server->Port());
    auto link = LogIn(*setUp.server, machine);
    ASSERT_TRUE(link);
    link->SendBytes(c.bytes);
    if (c.thenClose) link->Close();
    testing::internal::CaptureStdout();
    bool ended = running.WaitEnd();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ended);
    ASSERT_EQ(2u, machine.Kinds().size());
    EXPECT_EQ(S2C_Request_PR_NOTHING, machine.Kinds()[1]);
    EXPECT_TRUE(link->WaitClosed());
  }
}

namespace {

// One request to the extension listener, as the browser extension makes it; its answer.
std::string AskListener(unsigned short port, const std::string& path) {
  int fd = sockettest::Connect(port);
  if (fd < 0) return "";
  std::string request = "GET /" + path + " HTTP/1.1\r\n\r\n";
  (void)!send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer = sockettest::ReadAll(fd, milliseconds(5000));
  close(fd);
  return answer;
}

}  // namespace

TEST(ClientListener, StartedOnceAndToldOfTheLink) {
  ClientSetUp setUp;
  RecordingMachine machine;
  EXPECT_EQ(nullptr, LocalServer::Instance());
  RunningClient first(machine, setUp.server->Port());
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  ASSERT_TRUE(listener);
  ASSERT_TRUE(testsupport::WaitFor([&] { return listener->GetPort() != 0; }, milliseconds(5000)));
  unsigned short port = listener->GetPort();
  // The answer is the connected flag, then the status waiting for the extension.
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));
  link->Close();
  EXPECT_TRUE(first.WaitEnd());
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));

  // A later client finds the same listener, and its relays reach it.
  ClientSideRequest second(&machine, true);
  EXPECT_EQ(listener, LocalServer::Instance());
  second.SetExtensionStatus("ext", ExtensionStatus_disable);
  EXPECT_EQ("01", AskListener(port, "CHECK:ext"));
  EXPECT_FALSE(second.IsURLOpened("http://never.example/"));
  EXPECT_TRUE(second.GetAllOpenedSites().empty());
  second.UpdateExternalInfo("http://never.example/", 3);
}

TEST(ClientRun, CertificateNameFollowsTheServerOverride) {
  unsetenv("PARLAVOX_SERVER");
  EXPECT_EQ(PARLAVOX_SERVER_HOST, ClientSideRequest::GetCertificateName());
  setenv("PARLAVOX_SERVER", "front.example:8443", 1);
  EXPECT_EQ("front.example", ClientSideRequest::GetCertificateName());
  setenv("PARLAVOX_SERVER", "other.example", 1);
  EXPECT_EQ("other.example", ClientSideRequest::GetCertificateName());
  // An override the settings ignore (no valid port) is ignored here too.
  for (const char* bad : {"front.example:0", "front.example:x", ":8443", "front.example:"}) {
    setenv("PARLAVOX_SERVER", bad, 1);
    EXPECT_EQ(PARLAVOX_SERVER_HOST, ClientSideRequest::GetCertificateName()) << bad;
  }
  unsetenv("PARLAVOX_SERVER");
}

TEST(ClientListener, ToldOfTheLiveLinkOnly) {
  ClientSetUp setUp;
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  ASSERT_TRUE(listener);
  ASSERT_TRUE(testsupport::WaitFor([&] { return listener->GetPort() != 0; }, milliseconds(5000)));
  unsigned short port = listener->GetPort();
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));

  // An attempt aborted after its link opened counts as never connected: closing it later
  // does not tell the listener that the live link is gone.
  RecordingMachine other;
  auto aborted = std::make_shared<ClientSideRequest>(&other, true);
  aborted->SetupConnection("127.0.0.1", setUp.server->Port(), true, false, "", 0, "bob", "secret", STATUS_ONLINE);
  aborted->AbortConnection();
  aborted->Run();
  aborted->CloseConnection(false);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));

  // A go-away ends the session: the extensions hear so.
  auto goaway = NewS2C(S2C_Request_PR_goaway);
  goaway->choice.goaway.status = ConnectionError_already_connected;
  link->Send(*goaway);
  EXPECT_TRUE(running.WaitEnd());
  EXPECT_TRUE(link->WaitClosed());
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));
}
