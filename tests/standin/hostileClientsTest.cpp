// Clients that misbehave: the server drops them, stays up, keeps serving everyone else, and
// its memory stays bounded (the figures are printed).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <future>

#include "asn1/derEncoder.h"
#include "model/config.h"
#include "network/imSslManager.h"
#include "standin/outgoing.h"
#include "tests/network/socketTestSupport.h"
#include "tests/standin/standinTestSupport.h"

using namespace standintest;
using testsupport::TempDir;

namespace {

const std::string kRoom = "http://www.example.org/";

std::string Encoded(C2S_Request_PR kind, const std::function<void(C2S_Request_t&)>& fill) {
  standin::C2SPtr r = asn1::NewRequest<C2S_Request_t>();
  r->present = kind;
  fill(*r);
  std::vector<uint8_t> out;
  EXPECT_TRUE(asn1::EncodeDer(&asn_DEF_C2S_Request, r.get(), out));
  return std::string(out.begin(), out.end());
}

std::string ConnectBytes(const std::string& login) {
  return Encoded(C2S_Request_PR_connect, [&](C2S_Request_t& r) {
    standin::Put(r.choice.connect.login, login);
    standin::Put(r.choice.connect.password, login);
    standin::Put(r.choice.connect.version, kProgramVersion);
    standin::Put(r.choice.connect.default_avatar_hash, std::string(20, '\0'));
  });
}

// A client link made of the client's connection object alone, driven byte by byte.
class RawClient {
 public:
  explicit RawClient(unsigned short port) {
    connected = link.ConnectTo("127.0.0.1", port, PARLAVOX_SERVER_HOST, true, Config::GetPath(), nullptr, 0);
  }
  bool Write(const std::string& bytes) {
    return link.Write(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  }
  // Logs in and returns the key (empty on failure).
  std::string LogIn(const std::string& login) {
    if (!Write(ConnectBytes(login))) return "";
    asn1::Request<S2C_Request_t> ack(link.ReceiveS2CRequest());
    return ack->present == S2C_Request_PR_connect_ack ? standin::Text(ack->choice.connect_ack.authkey) : "";
  }
  // Reads until the server ends the link: true when it did within the time (the messages read
  // are counted); false when it did not (the link is then closed here).
  bool EndedWithin(milliseconds timeout, size_t* messages = nullptr) {
    auto reading = std::async(std::launch::async, [this] {
      size_t n = 0;
      for (;;) {
        asn1::Request<S2C_Request_t> r(link.ReceiveS2CRequest());
        if (r->present == S2C_Request_PR_NOTHING) return n;
        n += r->present == S2C_Request_PR_message ? 1 : 0;
      }
    });
    bool ended = reading.wait_for(timeout) == std::future_status::ready;
    if (!ended) link.CloseConnection();
    size_t n = reading.get();
    if (messages) *messages = n;
    return ended;
  }

  IMSSLManager link;
  bool connected = false;
};

class StandinHostile : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& arguments) {
    server.reset(new StandinProcess(PARLAVOX_STANDIN_PROGRAM, data.path(), arguments));
    ASSERT_NE(0, server->Port());
    PrepareClients(server->DataDir(), user.path());
    for (auto* u : {&alice, &bob}) {
      u->reset(new TestUser(server->Port(), u == &alice ? "alice" : "bob"));
      ASSERT_TRUE((*u)->LoggedIn());
      (*u)->Link().SendSubscribeChatRoom((*u)->Key(), kRoom);
      ASSERT_TRUE((*u)->Wait(S2C_Request_PR_suburlack));
    }
  }
  // Alice speaks and Bob hears: the server still serves the others.
  void StillServes(const std::string& text) {
    ASSERT_TRUE(server->Running());
    EXPECT_TRUE(alice->Link().SendMessage(alice->Key(), kRoom, text));
    EXPECT_TRUE(bob->Wait(S2C_Request_PR_message, [&](const S2C_Request_t& r) {
      return Str(r.choice.message.message) == text;
    })) << text;
  }
  void TearDown() override {
    alice.reset();
    bob.reset();
    if (server) {
      EXPECT_EQ(0, server->Stop());
    }
  }

  TempDir data, user;
  std::unique_ptr<StandinProcess> server;
  std::unique_ptr<TestUser> alice, bob;
};

}  // namespace

TEST_F(StandinHostile, GarbageDropsOnlyItsOwnLink) {
  Start({});
  std::string beforeLogIn = Encoded(C2S_Request_PR_sendmessage, [](C2S_Request_t& r) {
    standin::Put(r.choice.sendmessage.authkey, "K");
    standin::Put(r.choice.sendmessage.site, kRoom);
    standin::Put(r.choice.sendmessage.message, "Let me in");
  });
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"bytes that are no request", std::string("\x30\x03\x02\x01\x05", 5)},
      {"a request of no kind the schema knows", std::string("\xBF\x2D\x00", 3)},
      {"a request announcing 2 GB", std::string("\xA0\x84\x7F\xFF\xFF\xFF", 6)},
      {"a request before logging in", beforeLogIn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawClient raw(server->Port());
    ASSERT_TRUE(raw.connected);
    ASSERT_TRUE(raw.Write(c.bytes));
    EXPECT_TRUE(raw.EndedWithin(milliseconds(10000)));
    StillServes(c.name);
  }
  // Not even TLS: the handshake fails and the socket is closed.
  int plain = sockettest::Connect(server->Port());
  ASSERT_GE(plain, 0);
  ASSERT_GT(send(plain, "GET / HTTP/1.0\r\n\r\n", 18, MSG_NOSIGNAL), 0);
  bool closed = false;
  sockettest::ReadAll(plain, milliseconds(10000), &closed);
  EXPECT_TRUE(closed);
  close(plain);
  StillServes("after plain text");
}

TEST_F(StandinHostile, HalfARequestThenSilenceIsDroppedInTime) {
  Start({"--login-timeout", "1", "--heartbeat", "1"});
  std::string connect = ConnectBytes("carol");
  for (bool loggedIn : {false, true}) {
    SCOPED_TRACE(loggedIn ? "after logging in" : "before logging in");
    RawClient raw(server->Port());
    ASSERT_TRUE(raw.connected);
    if (loggedIn) {
      ASSERT_FALSE(raw.LogIn("dave").empty());
    }
    ASSERT_TRUE(raw.Write(connect.substr(0, connect.size() / 2)));
    StillServes(loggedIn ? "beside a silent user" : "beside a silent link");
    // Dropped after the log-in time, or after three heart-beats it never answered.
    EXPECT_TRUE(raw.EndedWithin(milliseconds(15000)));
  }
  // Alice answered every heart-beat meanwhile: she is still there.
  StillServes("after the silent ones");
}

TEST_F(StandinHostile, AThousandConnectionsAtOnce) {
  struct rlimit limit;
  ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &limit));
  limit.rlim_cur = limit.rlim_max;
  ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &limit));
  ASSERT_GE(limit.rlim_cur, 1200u) << "the system allows too few descriptors for this test";
  Start({});
  const int kConnections = 1000;
  long before = server->ResidentKb();
  std::vector<int> sockets;
  for (int i = 0; i < kConnections; ++i) {
    int fd = sockettest::Connect(server->Port());
    ASSERT_GE(fd, 0) << i;
    sockets.push_back(fd);
  }
  // All of them are held by now when a later client gets its answers.
  StillServes("beside a thousand links");
  auto carol = std::make_unique<TestUser>(server->Port(), "carol");
  EXPECT_TRUE(carol->LoggedIn());
  long during = server->ResidentKb();
  for (int fd : sockets) close(fd);
  // A second wave that connects and goes at once.
  for (int i = 0; i < kConnections; ++i) close(sockettest::Connect(server->Port()));
  StillServes("after two thousand links");
  long after = server->ResidentKb();
  printf("stand-in memory: %ld kB at start, %ld kB with %d idle links (%ld kB each), %ld kB after they went\n",
         before, during, kConnections, (during - before) / kConnections, after);
  EXPECT_LT(during - before, 256L * kConnections);
  EXPECT_LT(after - before, 128L * 1024);
}

TEST_F(StandinHostile, AClientThatStopsReadingIsDroppedAlone) {
  Start({});
  RawClient stalled(server->Port());
  ASSERT_TRUE(stalled.connected);
  std::string key = stalled.LogIn("carol");
  ASSERT_FALSE(key.empty());
  std::string subscribe = Encoded(C2S_Request_PR_suburl, [&](C2S_Request_t& r) {
    standin::Put(r.choice.suburl.authkey, key);
    standin::Put(r.choice.suburl.site, kRoom);
  });
  ASSERT_TRUE(stalled.Write(subscribe));
  ASSERT_TRUE(alice->Wait(S2C_Request_PR_updcontact, [](const S2C_Request_t& r) {
    return Str(r.choice.updcontact.login) == "carol";
  }));
  long before = server->ResidentKb();
  // Carol reads nothing while the room gets some 9 MB of chat: more than her queue's bound.
  const int kMessages = 20000;
  const std::string text(400, 'x');
  // Bob reads: the chat goes at the pace he takes it (a thousand messages at a time), so that only
  // carol, who reads nothing, falls behind by more than the bound, however busy the machine.
  const int kStep = 1000;
  for (int i = 0; i < kMessages; ++i) {
    ASSERT_TRUE(alice->Link().SendMessage(alice->Key(), kRoom, text));
    if ((i + 1) % kStep == 0) {
      ASSERT_TRUE(bob->WaitCount(S2C_Request_PR_message, size_t(i + 1), milliseconds(60000)));
    }
  }
  long peak = server->ResidentKb(true);
  EXPECT_TRUE(bob->WaitCount(S2C_Request_PR_message, kMessages, milliseconds(60000)));
  EXPECT_EQ(static_cast<size_t>(kMessages), bob->Count(S2C_Request_PR_message));
  size_t read = 0;
  EXPECT_TRUE(stalled.EndedWithin(milliseconds(10000), &read));
  EXPECT_LT(read, static_cast<size_t>(kMessages));
  StillServes("after the reader that stalled");
  long after = server->ResidentKb();
  printf("stand-in memory: %ld kB before, at most %ld kB while %d messages went to a stalled reader (%zu reached "
         "it before the drop), %ld kB after\n",
         before, peak, kMessages, read, after);
  EXPECT_LT(peak - before, 64L * 1024);
  EXPECT_LT(after - before, 32L * 1024);
}

// One client opens, comments on and closes 30,000 sites: each room goes when its last visitor
// leaves, comments and all, so the server's memory comes back once the client has gone. A
// comment on a site nobody is on makes no room.
TEST_F(StandinHostile, ThirtyThousandSitesOpenedAndClosedLeaveNothingBehind) {
  Start({});
  auto carol = std::make_unique<TestUser>(server->Port(), "carol");
  ASSERT_TRUE(carol->LoggedIn());
  const std::string unknown = "http://nobody.example.org/";
  auto about = [](const std::string& site) {
    return [site](const S2C_Request_t& r) { return Str(r.choice.comments.site) == site; };
  };
  carol->Link().SendComment(carol->Key(), unknown, "first!", 10);
  ASSERT_TRUE(carol->Sync());
  EXPECT_EQ(0u, carol->Count(S2C_Request_PR_comments, about(unknown)));
  carol->Link().SendOpenChatRoom(carol->Key(), unknown);
  const S2C_Request_t* opened = carol->Wait(S2C_Request_PR_openurlok);
  ASSERT_TRUE(opened);
  EXPECT_EQ(0, opened->choice.openurlok.nbrMessages);
  carol->Link().SendCloseChatRoom(carol->Key(), unknown);

  long before = server->ResidentKb();
  const int kSites = 30000;
  for (int i = 0; i < kSites; ++i) {
    const std::string site = "http://site" + std::to_string(i) + ".example.org/" + std::string(40, 'p');
    ASSERT_TRUE(carol->Link().SendOpenChatRoom(carol->Key(), site));
    ASSERT_TRUE(carol->Link().SendComment(carol->Key(), site, std::string(200, 'c'), i % 11));
    ASSERT_TRUE(carol->Link().SendCloseChatRoom(carol->Key(), site));
    // The link's outgoing queue is bounded: let the server catch up now and then.
    if (i % 1000 == 999) { ASSERT_TRUE(carol->Sync()); }
  }
  ASSERT_TRUE(carol->WaitCount(S2C_Request_PR_comments, kSites, milliseconds(300000)));
  long during = server->ResidentKb(true);
  // A comment on one of them now finds no room: they were all freed.
  carol->Link().SendComment(carol->Key(), "http://site7.example.org/" + std::string(40, 'p'), "late", 1);
  ASSERT_TRUE(carol->Sync());
  EXPECT_EQ(static_cast<size_t>(kSites), carol->Count(S2C_Request_PR_comments));
  carol.reset();
  StillServes("after thirty thousand sites");
  long after = server->ResidentKb();
  printf("stand-in memory: %ld kB before, at most %ld kB, %ld kB after %d sites opened, commented on and closed\n",
         before, during, after, kSites);
#if defined(__SANITIZE_ADDRESS__)
  // The address sanitizer's allocator keeps much of what was freed for itself: the few
  // megabytes are checked in the optimised build.
  EXPECT_LT(after - before, 32L * 1024);
#else
  EXPECT_LT(after - before, 4L * 1024);
#endif
}
