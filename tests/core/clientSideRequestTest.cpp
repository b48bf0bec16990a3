#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/log.h"
#include "network/localServer.h"
#include "network/sslManager.h"
#include "tests/core/clientTestSupport.h"
#include "tests/core/senderRows.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/fakeProxy.h"

using namespace clienttest;
using testserver::C2SPtr;
using testserver::Fill;
using testserver::NewS2C;
using testserver::TestConnection;

namespace {

// connect: [0] { login [0] "alice", password [1] "secret", version [2] "0.9.8b",
// status [3] ENUMERATED 1, default-avatar-hash [4] 20 octets }
std::string ConnectBytes(const std::string& hash) {
  return std::string("\xA0\x30\x80\x05" "alice" "\x81\x06" "secret" "\x82\x06" "0.9.8b" "\x83\x01\x01\x84\x14", 30) +
         hash;
}

// An aborted attempt: the controller heard nothing, and a link the server got (if the
// attempt got that far) carried nothing and is let go.
void ExpectAttemptUnseen(RecordingMachine& machine, const std::shared_ptr<TestConnection>& link) {
  EXPECT_TRUE(machine.Acks().empty());
  if (!link) return;
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
    // Aborted while the handshake is under way: the attempt ends then, unseen.
    ClientSetUp setUp;
    testserver::TestServer::Options options;
    options.identity = setUp.ca.Issue(PARLAVOX_SERVER_HOST);
    options.handshakeDelay = milliseconds(1000);
    testserver::TestServer slow(options);
    RecordingMachine machine;
    RunningClient running(machine, slow.Port());
    ASSERT_TRUE(testsupport::WaitFor([&] { return slow.AcceptedCount() > 0; }, milliseconds(5000)));
    running.client->AbortConnection();
    EXPECT_TRUE(running.WaitEnd(milliseconds(1000)));
    ExpectAttemptUnseen(machine, slow.Accept(milliseconds(0)));
  }
  {
    // Aborted before the connection thread gets going: no connection is even made.
    ClientSetUp setUp;
    RecordingMachine machine;
    auto client = std::make_shared<ClientSideRequest>(&machine);
    client->SetupConnection("127.0.0.1", setUp.server->Port(), true, false, "", 0, "alice", "secret", STATUS_ONLINE);
    client->AbortConnection();
    std::thread thread{ManageClientSideRequest(client)};
    client.reset();
    thread.join();
    EXPECT_EQ(0, setUp.server->AcceptedCount());
    ExpectAttemptUnseen(machine, nullptr);
  }
}

// Each sender puts its kind on the wire (the wire bytes of the kinds are checked by the golden
// vectors); the rows with a check hold a rule of their own.
TEST(ClientSenders, EachSendsItsKind) {
  ClientSetUp setUp;
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  ClientSideRequest& c = *running.client;
  const std::string key = "K1";
  const std::string site = "http://a.example/";
  OCTET_STRING_t part{};
  SetOctetString(&part, "data", 4);

  for (const SenderRow& row : SenderRows(c, &part)) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(row.send());
    auto got = link->Next();
    ASSERT_TRUE(got);
    ASSERT_EQ(row.kind, got->request->present);
    row.check(*got->request);
  }
  // The part given to FilePart is still the caller's, untouched.
  EXPECT_EQ("data", T(part));
  FreeOctetString(&part);

  // Nothing goes out for these, and their callers hear so.
  EXPECT_FALSE(c.ChangeStatus(key, STATUS_NONE));
  EXPECT_FALSE(c.SendMessage(key, site, std::string(513, 'x')));  // over the 512-character limit
  EXPECT_FALSE(c.SendMessage(key, site, "caf\xC3"));               // broken UTF-8
  EXPECT_FALSE(c.AddContact(key, "bad login", "m"));               // a space is not allowed in a login
  EXPECT_FALSE(c.SendErrorMessages(key, std::string(70000, 'x')));  // larger than a message may be
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
  // What was queued before the close still goes out, then the link closes.
  EXPECT_TRUE(running.client->SendDisconnect("K1"));
  running.client->CloseConnection();
  EXPECT_FALSE(running.client->HeartBeatAck("K1"));
  EXPECT_TRUE(link->Expect(C2S_Request_PR_disconnect));
  EXPECT_TRUE(running.WaitEnd());
  // The controller closed the link itself: the loop may end before or after its read fails, so
  // it hands over at most one empty request, and never anything else.
  auto kinds = machine.Kinds();
  ASSERT_LE(kinds.size(), 2u);
  if (kinds.size() == 2) {
    EXPECT_EQ(S2C_Request_PR_NOTHING, kinds[1]);
  }
  EXPECT_TRUE(link->WaitClosed());
  // A sender on the ended client fails cleanly: nothing reaches anyone.
  EXPECT_FALSE(running.client->SendMessage("K1", "http://a.example/", "late"));
  running.client->CloseConnection();
  running.client->AbortConnection();
  EXPECT_EQ(2u, link->ReceivedCount());  // the connect and the disconnect
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
      // Every kind of bad input ends the stream the same way (see the stream's own tests).
      {"garbage", std::string("\x00\xFF\x13garbage\r\n", 12), false},
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
  return sockettest::Exchange(port, "GET /" + path + " HTTP/1.1\r\n\r\n", nullptr, milliseconds(5000));
}

}  // namespace

// The client starts the process's listener once and tells it whether a live link is up; an
// attempt aborted after its link opened counts as never connected.
TEST(ClientListener, StartedOnceAndToldOfTheLiveLinkOnly) {
  ClientSetUp setUp;
  RecordingMachine machine;
  // Started by the first client of the process (an earlier case's, when the cases share one).
  std::shared_ptr<LocalServer> earlier = LocalServer::Instance();
  RunningClient running(machine, setUp.server->Port());
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  ASSERT_TRUE(listener);
  if (earlier) { EXPECT_EQ(earlier, listener); }
  ASSERT_TRUE(testsupport::WaitFor([&] { return listener->GetPort() != 0; }, milliseconds(5000)));
  unsigned short port = listener->GetPort();
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));

  RecordingMachine other;
  auto aborted = std::make_shared<ClientSideRequest>(&other);
  EXPECT_EQ(listener, LocalServer::Instance());
  aborted->SetupConnection("127.0.0.1", setUp.server->Port(), true, false, "", 0, "bob", "secret", STATUS_ONLINE);
  aborted->AbortConnection();
  aborted->Run();
  aborted->CloseConnection();
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));
  // What the controller sets through any client reaches the listener.
  aborted->SetExtensionStatus("ext", ExtensionStatus_disable);
  EXPECT_EQ("11", AskListener(port, "CHECK:ext"));

  // A go-away ends the session: the extensions hear so.
  auto goaway = NewS2C(S2C_Request_PR_goaway);
  goaway->choice.goaway.status = ConnectionError_already_connected;
  link->Send(*goaway);
  EXPECT_TRUE(running.WaitEnd());
  EXPECT_TRUE(link->WaitClosed());
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));
}

// A link the controller has closed is still read while what it queued goes out: what arrives on
// it then (a late acknowledgement, a go-away) speaks for no session, and the listener keeps
// what the live link told it.
TEST(ClientListener, ALinkClosedByTheControllerNoLongerSpeaksForTheSession) {
  ClientSetUp setUp;
  std::shared_ptr<LocalServer> listener;
  // A client whose link the controller closed while the server, reading no more, keeps its
  // writer busy and its reader on; the server then sends it the request.
  auto closeThenReceive = [&](S2C_Request_PR kind) {
    RecordingMachine machine;
    RunningClient closed(machine, setUp.server->Port());
    // Whatever fails below, the client's thread ends before it is joined.
    std::shared_ptr<void> abort(nullptr, [&](void*) { closed.client->AbortConnection(); });
    listener = LocalServer::Instance();
    ASSERT_TRUE(listener);
    auto link = setUp.server->Accept();
    ASSERT_TRUE(link && link->Expect(C2S_Request_PR_connect));
    link->Stall(true);
    for (int i = 0; i < 800; ++i) closed.client->SendErrorMessages("K0", std::string(16 * 1024, 'e'));
    closed.client->CloseConnection();
    auto late = NewS2C(kind);
    if (kind == S2C_Request_PR_connect_ack) {
      Fill(&late->choice.connect_ack.authkey, "K0");
      Fill(&late->choice.connect_ack.version, "1.0");
    } else {
      late->choice.goaway.status = ConnectionError_already_connected;
    }
    link->Send(*late);
    EXPECT_TRUE(machine.WaitRequests(1)) << kind;
    link->Stall(false);
    EXPECT_TRUE(closed.WaitEnd()) << kind;
  };

  closeThenReceive(S2C_Request_PR_connect_ack);
  ASSERT_TRUE(testsupport::WaitFor([&] { return listener->GetPort() != 0; }, milliseconds(5000)));
  const unsigned short port = listener->GetPort();
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));

  RecordingMachine liveMachine;
  RunningClient live(liveMachine, setUp.server->Port());
  auto liveLink = LogIn(*setUp.server, liveMachine);
  ASSERT_TRUE(liveLink);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));
  closeThenReceive(S2C_Request_PR_goaway);
  EXPECT_EQ("10", AskListener(port, "CHECK:ext"));
  live.client->AbortConnection();
  EXPECT_EQ("00", AskListener(port, "CHECK:ext"));
}

TEST(ClientRun, CertificateNameFollowsTheServerOverride) {
  setenv("PARLAVOX_SERVER", "front.example:8443", 1);
  EXPECT_EQ("front.example", ClientSideRequest::GetCertificateName());
  unsetenv("PARLAVOX_SERVER");
  EXPECT_EQ(PARLAVOX_SERVER_HOST, ClientSideRequest::GetCertificateName());
}
