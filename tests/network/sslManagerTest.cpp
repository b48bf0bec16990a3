#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "C2C-Request.h"
#include "C2S-Request.h"
#include "S2C-Request.h"
#include "network/imSslManager.h"
#include "network/listenSocket.h"
#include "tests/network/socketTestSupport.h"
#include "tests/network/tlsLinkTestSupport.h"
#include "model/log.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/cuttableRelay.h"
#include "tests/testServer/fakeProxy.h"
#include "tests/testServer/trustedServer.h"

using namespace testserver;
using namespace tlslinktest;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

// A client connected to a fresh trusted server, and the server's side of the link.
struct Linked {
  Linked() {
    if (Connect(client, ts.server->Port(), ts.dir.path())) link = ts.server->Accept();
  }
  TrustedServer ts;
  IMSSLManager client;
  std::shared_ptr<TestConnection> link;
};

// server publicip, authkey "k", ip "1.2": [24] constructed
const std::string kPublicIp("\xB8\x08\x80\x01k\x81\x03" "1.2", 10);

// The levels of the trace log's lines that hold the text ("1" a trace, "3" an error).
std::vector<std::string> LevelsOf(const std::string& log, const std::string& text) {
  std::vector<std::string> levels;
  std::istringstream lines(testsupport::DecodeLogFile(log, LOG_KEY_START, log_step()));
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(':');
    if (line.find(text) != std::string::npos && colon != std::string::npos) levels.push_back(line.substr(colon + 1, 1));
  }
  return levels;
}

}  // namespace

TEST(SslStream, GoldenBytesTravelBothWaysWholeAndInPieces) {
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  auto& link = linked.link;

  // heartbeatack, authkey "k1": [26] constructed around [0] IA5String.
  ASSERT_TRUE(SendHeartBeatAck(client, "k1"));
  auto got = link->Next();
  ASSERT_TRUE(got);
  EXPECT_EQ(std::string("\xBA\x04\x80\x02k1", 6), got->bytes);
  EXPECT_EQ(C2S_Request_PR_heartbeatack, got->request->present);

  // Two messages in one write come out of two calls.
  link->SendBytes(kHeartBeat + kPublicIp);
  Incoming first(client.ReceiveS2CRequest());
  Incoming second(client.ReceiveS2CRequest());
  ASSERT_EQ(S2C_Request_PR_heartbeat, first->present);
  EXPECT_EQ("ab", Text(first->choice.heartbeat.authkey));
  ASSERT_EQ(S2C_Request_PR_publicip, second->present);
  EXPECT_EQ("1.2", Text(second->choice.publicip.ip));

  // A message sent one byte at a time comes out whole from one call.
  link->SendInPieces(kPublicIp, 1, milliseconds(2));
  Incoming pieced(client.ReceiveS2CRequest());
  ASSERT_EQ(S2C_Request_PR_publicip, pieced->present);
  EXPECT_EQ("k", Text(pieced->choice.publicip.authkey));

  // An image far larger than the receive buffer goes through it.
  std::string image(300000, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
  auto ad = NewS2C(S2C_Request_PR_ad);
  Fill(&ad->choice.ad.authkey, "k");
  ad->choice.ad.image.type = TypeImage_png;
  Fill(&ad->choice.ad.image.content, image);
  link->Send(*ad);
  Incoming big(client.ReceiveS2CRequest());
  ASSERT_EQ(S2C_Request_PR_ad, big->present);
  EXPECT_TRUE(Text(big->choice.ad.image.content) == image);

  // The peer's close gives one request of no kind.
  link->Close();
  Incoming closed(client.ReceiveS2CRequest());
  ASSERT_TRUE(closed);
  EXPECT_EQ(S2C_Request_PR_NOTHING, closed->present);
  client.CloseConnection();
}

TEST(SslStream, RefusedMessagesPutNothingOnTheWire) {
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  auto& link = linked.link;

  // A file key with a letter breaks its constraint.
  auto bad = NewC2S(C2S_Request_PR_cancelfile);
  SetOctetString(&bad->choice.cancelfile.authkey, std::string("k"));
  SetOctetString(&bad->choice.cancelfile.site, std::string("s"));
  SetOctetString(&bad->choice.cancelfile.filekey, std::string("12a"));
  EXPECT_FALSE(client.SendC2SRequest(bad.get()));

  // An encoding larger than the encode buffer fails cleanly.
  auto huge = NewC2S(C2S_Request_PR_error_messages);
  SetOctetString(&huge->choice.error_messages.authkey, std::string("k"));
  SetOctetString(&huge->choice.error_messages.message, std::string(70000, 'x'));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(client.SendC2SRequest(huge.get()));
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("Cannot encode"));

  // A request with no alternative is refused too.
  auto none = NewC2S(C2S_Request_PR_NOTHING);
  EXPECT_FALSE(client.SendC2SRequest(none.get()));

  // The link is still sound: the next good message is the first the server sees.
  ASSERT_TRUE(SendHeartBeatAck(client, "k2"));
  auto got = link->Next();
  ASSERT_TRUE(got);
  EXPECT_EQ(std::string("\xBA\x04\x80\x02k2", 6), got->bytes);
  EXPECT_EQ(1u, link->ReceivedCount());
}

TEST(SslStream, HostileBytesEndInAnEmptyRequest) {
  struct Case {
    const char* name;
    std::string bytes;
    bool thenClose;
  };
  const Case cases[] = {
      {"cut mid-way", kPublicIp.substr(0, 6), true},
      {"garbage", "GET / HTTP/1.1\r\n\r\n", false},
      // [40] from a newer server: consumed, no alternative, refused by the check.
      {"unknown alternative", std::string("\xBF\x28\x00", 3), false},
      // A length of 2^31-1 announced: refused before anything is allocated for it.
      {"over-long length", std::string("\xBA\x84\x7F\xFF\xFF\xFF\x80\x02" "ab", 10), false},
      // A grade of 11 in a comment breaks its constraint after decoding.
      {"constraint", std::string("\xB1\x0C\x80\x01k\x81\x01s\x82\x01t\x83\x01\x0B", 14), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Linked linked;
    ASSERT_TRUE(linked.link);
    IMSSLManager& client = linked.client;
    auto& link = linked.link;
    link->SendBytes(c.bytes);
    if (c.thenClose) link->Close();
    auto start = steady_clock::now();
    testing::internal::CaptureStdout();
    Incoming r(client.ReceiveS2CRequest());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(r);
    EXPECT_EQ(S2C_Request_PR_NOTHING, r->present);
    EXPECT_LT(steady_clock::now() - start, milliseconds(3000));
    client.CloseConnection();
  }
}

TEST(SslStream, CloseFromAnotherThreadEndsAWaitingReader) {
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  auto& link = linked.link;
  auto reader = std::async(std::launch::async, [&] { return Incoming(client.ReceiveS2CRequest()); });
  EXPECT_EQ(std::future_status::timeout, reader.wait_for(milliseconds(200)));
  // Senders go on while the reader waits.
  EXPECT_TRUE(SendHeartBeatAck(client, "k"));
  ASSERT_TRUE(link->Expect(C2S_Request_PR_heartbeatack));
  client.CloseConnection();
  ASSERT_EQ(std::future_status::ready, reader.wait_for(milliseconds(3000)));
  EXPECT_EQ(S2C_Request_PR_NOTHING, reader.get()->present);
  EXPECT_FALSE(SendHeartBeatAck(client, "k"));
  EXPECT_TRUE(link->WaitClosed());
}

TEST(SslStream, ServerThatStopsReadingDoesNotHangASender) {
  SSLManager::SetConnectTimeout(500);
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  auto& link = linked.link;
  link->Stall(true);
  auto big = NewC2S(C2S_Request_PR_error_messages);
  SetOctetString(&big->choice.error_messages.authkey, std::string("k"));
  SetOctetString(&big->choice.error_messages.message, std::string(60000, 'x'));
  // The socket buffers fill up; the writer waits its time on them and closes the link, or the
  // queue reaches its bound first: either way sends are refused from then on.
  int sent = 0;
  auto start = steady_clock::now();
  while (sent < 1000 && client.SendC2SRequest(big.get())) ++sent;
  EXPECT_LT(sent, 1000);
  EXPECT_LT(steady_clock::now() - start, milliseconds(10000));
  // The half-sent message ends the link: the reader learns it at once, later sends fail.
  Incoming r(client.ReceiveS2CRequest());
  EXPECT_EQ(S2C_Request_PR_NOTHING, r->present);
  EXPECT_FALSE(SendHeartBeatAck(client, "k"));
}

// No sender waits on the network, however long the socket takes nothing: every send is queued
// for the link's writer (or refused) at once, from any thread, while the writer is stuck on a
// peer that stopped reading; before the link is open and after its close, sends are refused.
TEST(SslStream, SendersNeverWaitOnTheNetwork) {
  IMSSLManager unopened;
  EXPECT_FALSE(SendHeartBeatAck(unopened, "k"));
  EXPECT_FALSE(unopened.Write(reinterpret_cast<const unsigned char*>("x"), 1));

  const int timeout = SSLManager::GetConnectTimeout();
  SSLManager::SetConnectTimeout(120000);  // far longer than any wait below
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  linked.link->Stall(true);
  auto big = NewC2S(C2S_Request_PR_error_messages);
  SetOctetString(&big->choice.error_messages.authkey, std::string("k"));
  SetOctetString(&big->choice.error_messages.message, std::string(60000, 'x'));
  // One thread sends until the queue is full; two others go on sending small ones meanwhile.
  auto bigSender = std::async(std::launch::async, [&] {
    int sent = 0;
    while (sent < 1000 && client.SendC2SRequest(big.get())) ++sent;
    return sent;
  });
  std::vector<std::future<int>> smallSenders;
  for (int t = 0; t < 2; ++t)
    smallSenders.push_back(std::async(std::launch::async, [&] {
      int sent = 0;
      for (int i = 0; i < 200; ++i) sent += SendHeartBeatAck(client, "k") ? 1 : 0;
      return sent;
    }));
  ASSERT_EQ(std::future_status::ready, bigSender.wait_for(std::chrono::seconds(60)));
  const int sent = bigSender.get();
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, 1000);  // the queue's bound, not the socket, refused the rest
  for (auto& small : smallSenders) {
    ASSERT_EQ(std::future_status::ready, small.wait_for(std::chrono::seconds(60)));
    small.get();
  }
  // The link is still open (the writer still waits): a close from another thread ends it, and
  // the reader learns so.
  std::thread([&] { client.CloseConnection(); }).join();
  Incoming r(client.ReceiveS2CRequest());
  EXPECT_EQ(S2C_Request_PR_NOTHING, r->present);
  EXPECT_FALSE(SendHeartBeatAck(client, "k"));
  SSLManager::SetConnectTimeout(timeout);
}

// A close asked for once the queue went out can be waited for: the wait lasts while the peer
// takes nothing and the last message is still queued, ends once it went out (the peer has it),
// and ends at the latest with the grace, when the link closes whatever was left.
TEST(SslStream, CloseOnceSentCanBeWaitedFor) {
  const int timeout = SSLManager::GetConnectTimeout();
  SSLManager::SetConnectTimeout(120000);
  auto big = NewC2S(C2S_Request_PR_error_messages);
  SetOctetString(&big->choice.error_messages.authkey, std::string("k"));
  SetOctetString(&big->choice.error_messages.message, std::string(60000, 'x'));
  for (const bool readsAgain : {true, false}) {
    SCOPED_TRACE(readsAgain ? "the peer reads again" : "the peer never reads again");
    Linked linked;
    ASSERT_TRUE(linked.link);
    IMSSLManager& client = linked.client;
    EXPECT_FALSE(client.WaitClosed(0));
    linked.link->Stall(true);
    // More than the socket buffers hold, then the last word.
    for (int i = 0; i < 200 && client.SendC2SRequest(big.get()); ++i) {
    }
    ASSERT_TRUE(SendHeartBeatAck(client, "last"));
    const auto start = steady_clock::now();
    client.CloseWhenSent();
    EXPECT_FALSE(client.WaitClosed(300));
    if (readsAgain) {
      linked.link->Stall(false);
      ASSERT_TRUE(client.WaitClosed(SSLManager::kCloseGrace + 1000));
      // Once closed, everything queued is on its way: the peer reads the last word.
      C2SPtr last;
      while (!last) {
        std::unique_ptr<Received> next = linked.link->Next();
        ASSERT_TRUE(next);
        if (next->request->present == C2S_Request_PR_heartbeatack) last = std::move(next->request);
      }
    } else {
      ASSERT_TRUE(client.WaitClosed(SSLManager::kCloseGrace + 1000));
      EXPECT_GE(steady_clock::now() - start, milliseconds(SSLManager::kCloseGrace - 100));
    }
    EXPECT_TRUE(client.WaitClosed(0));
  }
  SSLManager::SetConnectTimeout(timeout);
}

// A link over which nothing comes back any more, not even the system's acknowledgements, fails
// within the watch's time, whether it rests or the client sent something meanwhile; the reader
// gets an empty request and the trace says so as an error.
TEST(SslWatch, ALinkGoneSilentFailsAtRestAndWithDataInFlight) {
  ShortLinkWatch watch;
  TrustedServer ts;
  testsupport::TempDir dir;
  for (const bool sends : {false, true}) {
    SCOPED_TRACE(sends ? "data in flight" : "at rest");
    const std::string log = testsupport::RestartLogAt(dir);
    CuttableRelay relay(ts.server->Port());
    IMSSLManager client;
    ASSERT_TRUE(Connect(client, relay.Port(), ts.dir.path()));
    auto link = ts.server->Accept();
    ASSERT_TRUE(link);
    link->SendBytes(kHeartBeat);
    Incoming first(client.ReceiveS2CRequest());
    ASSERT_EQ(S2C_Request_PR_heartbeat, first->present);
    std::string why;
    if (!relay.Cut(&why)) {
      GTEST_SKIP() << why;
    }
    auto reader = std::async(std::launch::async, [&] { return Incoming(client.ReceiveS2CRequest()); });
    if (sends) {
      EXPECT_TRUE(SendHeartBeatAck(client, "lost"));
    }
    // Far longer than the watch takes; without it the reader waits for good.
    const bool noticed = reader.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    EXPECT_TRUE(noticed);
    if (!noticed) client.CloseConnection();
    EXPECT_EQ(S2C_Request_PR_NOTHING, reader.get()->present);
    if (noticed) { EXPECT_EQ(std::vector<std::string>{"3"}, LevelsOf(log, "Lecture du buffer")); }
  }
}

// A peer whose system still answers is never cut with the same short figures: not while the
// link rests for several times the watch's time, nor while the server holds a request unread
// and answers it late.
TEST(SslWatch, APeerThatAnswersLateIsNeverCut) {
  ShortLinkWatch watch;
  Linked linked;
  ASSERT_TRUE(linked.link);
  IMSSLManager& client = linked.client;
  auto& link = linked.link;
  link->Stall(true);
  ASSERT_TRUE(SendHeartBeatAck(client, "late"));
  auto reader = std::async(std::launch::async, [&] { return Incoming(client.ReceiveS2CRequest()); });
  EXPECT_EQ(std::future_status::timeout, reader.wait_for(milliseconds(6000)));
  link->Stall(false);
  ASSERT_TRUE(link->Expect(C2S_Request_PR_heartbeatack));
  link->SendBytes(kHeartBeat);
  ASSERT_EQ(std::future_status::ready, reader.wait_for(std::chrono::seconds(10)));
  EXPECT_EQ(S2C_Request_PR_heartbeat, reader.get()->present);
  EXPECT_TRUE(SendHeartBeatAck(client, "still"));
  EXPECT_TRUE(link->Expect(C2S_Request_PR_heartbeatack));
}

TEST(SslStream, PlainConnectionCarriesTheSameStream) {
  TestServer::Options options;
  options.mode = TestServer::Mode::kReply;
  options.reply = kHeartBeat;
  TestServer server(options);
  IMSSLManager client;
  ASSERT_TRUE(client.ConnectTo(kHost.c_str(), server.Port(), "", false, "", nullptr, 0));
  Incoming r(client.ReceiveS2CRequest());
  ASSERT_EQ(S2C_Request_PR_heartbeat, r->present);
  Incoming end(client.ReceiveS2CRequest());
  EXPECT_EQ(S2C_Request_PR_NOTHING, end->present);
}

TEST(SslStream, AcceptedPlainConnectionBetweenTwoClients) {
  unsigned short port = 0;
  int listener = OpenListenSocket(INADDR_LOOPBACK, 0, 1, &port);
  IMSSLManager sender;
  ASSERT_TRUE(sender.ConnectTo(kHost.c_str(), port, "", false, "", nullptr, 0));
  struct pollfd ready{listener, POLLIN, 0};
  ASSERT_EQ(1, poll(&ready, 1, 5000));
  int accepted = accept(listener, nullptr, nullptr);
  ASSERT_GE(accepted, 0);
  IMSSLManager receiver(BIO_new_socket(accepted, BIO_CLOSE));
  EXPECT_EQ("127.0.0.1", receiver.GetPeerAddress());

  // interrupt: [3] IMPLICIT NULL, the two octets 83 00.
  auto stop = asn1::NewRequest<C2C_Request_t>();
  stop->present = C2C_Request_PR_interrupt;
  ASSERT_TRUE(sender.SendC2CRequest(stop.get()));
  char wire[2];
  ASSERT_EQ(2, recv(accepted, wire, 2, MSG_PEEK));
  EXPECT_EQ(std::string("\x83\x00", 2), std::string(wire, 2));
  asn1::Request<C2C_Request_t> got(receiver.ReceiveC2CRequest());
  EXPECT_EQ(C2C_Request_PR_interrupt, got->present);

  sender.CloseConnection();
  asn1::Request<C2C_Request_t> end(receiver.ReceiveC2CRequest());
  EXPECT_EQ(C2C_Request_PR_NOTHING, end->present);
  close(listener);
}

TEST(SslConnect, RefusalsFailCleanly) {
  SSLManager::SetConnectTimeout(800);
  TestCa otherCa("Someone else");
  TrustedServer wrongName("evil.example");
  TrustedServer noName("");
  TrustedServer good;
  TestServer::Options foreign;
  foreign.identity = otherCa.Issue(PARLAVOX_SERVER_HOST);
  TestServer wrongCa(foreign);
  TestServer::Options http;
  http.mode = TestServer::Mode::kReply;
  http.reply = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
  TestServer notTls(http);
  TestServer::Options silentOptions;
  silentOptions.mode = TestServer::Mode::kSilent;
  TestServer silent(silentOptions);
  testsupport::TempDir emptyDir;
  unsigned short closed = sockettest::ClosedPort();
  const std::string trusted = good.dir.path();

  const struct {
    const char* name;
    unsigned short port;
    std::string trustDir;
    const char* host;
    bool tls;
  } cases[] = {
      {"wrong authority", wrongCa.Port(), trusted, kHost.c_str(), true},
      {"wrong common name", wrongName.server->Port(), wrongName.dir.path(), kHost.c_str(), true},
      {"no common name", noName.server->Port(), noName.dir.path(), kHost.c_str(), true},
      {"not TLS", notTls.Port(), trusted, kHost.c_str(), true},
      {"silent server", silent.Port(), trusted, kHost.c_str(), true},
      {"closed port", closed, trusted, kHost.c_str(), true},
      {"unresolvable host", 443, trusted, "nosuchhost.invalid", true},
      {"no trust store", good.server->Port(), emptyDir.path(), kHost.c_str(), true},
      {"plain, closed port", closed, "", kHost.c_str(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto start = steady_clock::now();
    testing::internal::CaptureStderr();
    IMSSLManager client;
    EXPECT_FALSE(client.ConnectTo(c.host, c.port, c.tls ? PARLAVOX_SERVER_HOST : "", c.tls, c.trustDir, nullptr, 0));
    testing::internal::GetCapturedStderr();
    EXPECT_LT(steady_clock::now() - start, milliseconds(3000));
  }
  // A refused server may have finished its side of the handshake; the client then left at once.
  for (auto link : {wrongName.server->Accept(milliseconds(0)), noName.server->Accept(milliseconds(0)),
                    wrongCa.Accept(milliseconds(0))}) {
    if (link) {
      EXPECT_TRUE(link->WaitClosed());
    }
  }
}

TEST(SslConnect, TunnelThroughAnHttpProxy) {
  TrustedServer ts;
  for (bool split : {false, true}) {
    SCOPED_TRACE(split ? "reply in two pieces" : "reply in one piece");
    FakeProxy::Options options;
    options.splitReply = split;
    FakeProxy proxy(options);
    IMSSLManager client;
    ASSERT_TRUE(client.ConnectTo(kHost.c_str(), ts.server->Port(), PARLAVOX_SERVER_HOST, true, ts.dir.path(),
                                 kHost.c_str(), proxy.Port()));
    auto requests = proxy.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("CONNECT 127.0.0.1:" + std::to_string(ts.server->Port()) +
                  " HTTP/1.1\r\nProxy-Connection: keep-alive\r\nHost: 127.0.0.1\r\n\r\n",
              requests[0]);
    auto link = ts.server->Accept();
    ASSERT_TRUE(link);
    ASSERT_TRUE(SendHeartBeatAck(client, "viaproxy"));
    EXPECT_TRUE(link->Expect(C2S_Request_PR_heartbeatack));
    link->SendBytes(kHeartBeat);
    Incoming r(client.ReceiveS2CRequest());
    EXPECT_EQ(S2C_Request_PR_heartbeat, r->present);
    client.CloseConnection();
  }

  // A proxy that refuses the tunnel ends the attempt before any handshake; so does a proxy
  // that is not there.
  FakeProxy::Options refusing;
  refusing.statusLine = "HTTP/1.1 403 Forbidden";
  FakeProxy proxy(refusing);
  IMSSLManager client;
  EXPECT_FALSE(client.ConnectTo(kHost.c_str(), ts.server->Port(), PARLAVOX_SERVER_HOST, true, ts.dir.path(),
                                kHost.c_str(), proxy.Port()));
  EXPECT_EQ(0, proxy.TunnelsOpened());
  IMSSLManager nowhere;
  EXPECT_FALSE(nowhere.ConnectTo(kHost.c_str(), ts.server->Port(), PARLAVOX_SERVER_HOST, true, ts.dir.path(),
                                 kHost.c_str(), sockettest::ClosedPort()));
  EXPECT_FALSE(ts.server->Accept(milliseconds(0)));
}

TEST(SslHelpers, StartUpIgnoresBrokenPipes) {
  struct sigaction before;
  sigaction(SIGPIPE, nullptr, &before);
  signal(SIGPIPE, SIG_DFL);
  init_openssl();
  struct sigaction now;
  sigaction(SIGPIPE, nullptr, &now);
  EXPECT_EQ(SIG_IGN, now.sa_handler);
  signal(SIGPIPE, SIG_DFL);
  { IMSSLManager connection; }  // every connection object ignores them too
  sigaction(SIGPIPE, nullptr, &now);
  EXPECT_EQ(SIG_IGN, now.sa_handler);
  clean_openssl();
}

TEST(SslHelpers, OctetStringsAndDates) {
  OCTET_STRING_t s{};
  SetOctetString(&s, "", 0);
  ASSERT_NE(nullptr, s.buf);  // an empty text still has a buffer, which the checks require
  EXPECT_EQ(0, s.size);
  FreeOctetString(&s);
  EXPECT_EQ(nullptr, s.buf);
  SetOctetString(&s, std::string("a\0b", 3));
  EXPECT_EQ(std::string("a\0b", 3), OctetStringToString(s));
  FreeOctetString(&s);
  EXPECT_EQ("", OctetStringToString(s));

  Date_t date{};
  date.day = 29;
  date.month = 1;  // February: months count from 0
  date.year = 2024;
  int d = 0, m = 0, y = 0;
  time_t t = DateToTime(date, &d, &m, &y);
  EXPECT_EQ(29, d);
  EXPECT_EQ(1, m);
  EXPECT_EQ(2024, y);
  struct tm local;
  localtime_r(&t, &local);
  EXPECT_EQ(29, local.tm_mday);
  EXPECT_EQ(1, local.tm_mon);
  EXPECT_EQ(124, local.tm_year);
  EXPECT_EQ(0, local.tm_hour);
  DateToTime(date, nullptr, nullptr, nullptr);
}
