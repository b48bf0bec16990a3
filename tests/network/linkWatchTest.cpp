// The watch for a silent link with the figures the program ships with, on real loopback links
// whose every packet the system drops, for a while or for good. The system's own timers run
// their course, so the case lasts about two minutes, nearly all of it waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "tests/network/tlsLinkTestSupport.h"
#include "tests/testServer/cuttableRelay.h"
#include "tests/testServer/trustedServer.h"

using namespace testserver;
using namespace tlslinktest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

struct Outcome {
  Incoming request;
  Clock::time_point at;
};

// One link through a way of its own, and a reader waiting on it all along.
struct Watched {
  Watched(const TrustedServer& ts, const char* what, bool line, bool never)
      : name(what), sends(line), forGood(never), relay(ts.server->Port()) {}
  ~Watched() {
    client.CloseConnection();
    if (reader.valid()) reader.wait();
  }
  // Cuts the way; a line goes out just after when the link sends one.
  bool Cut(std::string* why) {
    if (!relay.Cut(why)) return false;
    cutAt = Clock::now();
    if (sends) {
      EXPECT_TRUE(SendHeartBeatAck(client, "line")) << name;
    }
    return true;
  }
  const char* name;
  bool sends;
  bool forGood;  // the way never opens again
  CuttableRelay relay;
  IMSSLManager client;
  std::shared_ptr<TestConnection> link;
  std::shared_future<Outcome> reader;
  Clock::time_point cutAt{};
};

void SayWhenEnded(const Watched& w) {
  std::printf("%s: link ended %.1f s after the cut\n", w.name,
              std::chrono::duration<double>(w.reader.get().at - w.cutAt).count());
}

}  // namespace

// Outages of 45 s are survived, at rest beginning at the worst moment (just before the system's
// first probe, when the last receipt is furthest back) and beginning as a line is sent: the
// line reaches the server, and the link carries messages both ways afterwards, after the time
// at which a link gone silent for good ends. A link silent for good is seen lost within two
// minutes, at rest from just after its last receipt, and after a send.
TEST(LinkWatchAsShipped, OutagesOf45SecondsAreSurvivedAndASilentLinkIsSeenLostWithinTwoMinutes) {
  TrustedServer ts;
  const seconds kOutage(45);
  Watched atRest(ts, "outage at rest", false, false), afterSend(ts, "outage after a send", true, false),
      silentAtRest(ts, "silent at rest", false, true), silentAfterSend(ts, "silent after a send", true, true);
  Watched* const links[] = {&atRest, &afterSend, &silentAtRest, &silentAfterSend};
  for (Watched* w : links) {
    ASSERT_TRUE(Connect(w->client, w->relay.Port(), ts.dir.path())) << w->name;
    w->link = ts.server->Accept();
    ASSERT_TRUE(w->link) << w->name;
  }
  // The last thing each link receives.
  for (Watched* w : links) w->link->SendBytes(kHeartBeat);
  for (Watched* w : links) {
    Incoming beat(w->client.ReceiveS2CRequest());
    ASSERT_EQ(S2C_Request_PR_heartbeat, beat->present) << w->name;
    w->reader = std::async(std::launch::async, [&client = w->client] {
      Incoming next(client.ReceiveS2CRequest());
      return Outcome{std::move(next), Clock::now()};
    }).share();
  }
  const auto received = Clock::now();
  std::string why;
  for (Watched* w : {&afterSend, &silentAtRest, &silentAfterSend})
    if (!w->Cut(&why)) GTEST_SKIP() << why;
  // The first probe is due 30 s after the receipt.
  std::this_thread::sleep_until(received + seconds(29));
  ASSERT_TRUE(atRest.Cut(&why)) << why;
  std::this_thread::sleep_until(afterSend.cutAt + kOutage);
  afterSend.relay.Restore();
  std::this_thread::sleep_until(atRest.cutAt + kOutage);
  atRest.relay.Restore();

  Clock::time_point lastEnd = received;
  for (Watched* w : {&silentAtRest, &silentAfterSend}) {
    ASSERT_EQ(std::future_status::ready, w->reader.wait_until(w->cutAt + seconds(120))) << w->name;
    EXPECT_EQ(S2C_Request_PR_NOTHING, w->reader.get().request->present) << w->name;
    lastEnd = std::max(lastEnd, w->reader.get().at);
    SayWhenEnded(*w);
  }
  // Past the end of the links silent for good, with room for the system's timers.
  std::this_thread::sleep_until(lastEnd + seconds(5));
  for (Watched* w : {&atRest, &afterSend}) {
    SCOPED_TRACE(w->name);
    if (w->reader.wait_for(milliseconds(0)) == std::future_status::ready) {
      SayWhenEnded(*w);
      ADD_FAILURE() << "the link did not survive the outage";
      continue;
    }
    if (w->sends) {
      C2SPtr line = w->link->Expect(C2S_Request_PR_heartbeatack);
      ASSERT_TRUE(line);
      EXPECT_EQ("line", Text(line->choice.heartbeatack.authkey));
    }
    w->link->SendBytes(kHeartBeat);
    ASSERT_EQ(std::future_status::ready, w->reader.wait_for(seconds(10)));
    EXPECT_EQ(S2C_Request_PR_heartbeat, w->reader.get().request->present);
    EXPECT_TRUE(SendHeartBeatAck(w->client, "after"));
    C2SPtr after = w->link->Expect(C2S_Request_PR_heartbeatack);
    ASSERT_TRUE(after);
    EXPECT_EQ("after", Text(after->choice.heartbeatack.authkey));
  }
}
