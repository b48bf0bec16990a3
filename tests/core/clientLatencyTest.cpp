// Every call on the connection client from this thread (standing for the window thread) must
// return within 100 ms whatever the network does: a connection, tunnel or handshake that never
// completes, or a server that stopped reading while the user goes on sending.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "network/sslManager.h"
#include "tests/core/clientTestSupport.h"
#include "tests/core/senderRows.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/testSupport.h"

using namespace clienttest;

namespace {

using Clock = std::chrono::steady_clock;
// The aim for a call from the GUI thread, printed beside each measured worst.
const double kLimitMs = 100;
// What fails the test: a call that waited on the network would take a whole time-out (a
// second at least here); anything shorter is the scheduling of a loaded machine.
const double kWaitedMs = 700;

// Times calls; the slowest is kept. Each call starts on a fresh time slice, so that what is
// timed is the call and not the other programs of a busy machine.
struct Stopwatch {
  template <typename Call>
  bool operator()(Call call) {
    std::this_thread::yield();
    auto start = Clock::now();
    bool result = call();
    worstMs = std::max(worstMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    return result;
  }
  double worstMs = 0;
};

// Calls every sender over and over for a while: none may be taken, as no link is up.
void CallEverySenderRefused(ClientSideRequest& client, Stopwatch& time, milliseconds during) {
  OCTET_STRING_t part{};
  SetOctetString(&part, "data", 4);
  auto end = Clock::now() + during;
  do {
    for (const SenderRow& row : SenderRows(client, &part)) EXPECT_FALSE(time(row.send)) << row.name;
  } while (Clock::now() < end);
  FreeOctetString(&part);
}

// Gives the attempt up by AbortConnection or CloseConnection, timed.
void GiveUp(ClientSideRequest& client, Stopwatch& time, bool abort) {
  time([&] {
    abort ? client.AbortConnection() : client.CloseConnection();
    return true;
  });
}

}  // namespace

TEST(ClientLatency, CallsReturnAtOnceWhileTheConnectionHangs) {
  ClientSetUp setUp;
  sockettest::HangingPort hanging;
  testserver::TestServer::Options silentOptions;
  silentOptions.mode = testserver::TestServer::Mode::kSilent;
  testserver::TestServer silent(silentOptions);
  struct Case {
    const char* name;
    unsigned short port;
    bool proxy;  // the silent server plays the proxy
    bool abort;  // else CloseConnection gives the attempt up
  } const cases[] = {
      {"connection never accepted", hanging.port, false, false},
      {"handshake never answered", silent.Port(), false, true},
      {"proxy never answers", setUp.server->Port(), true, false},
  };
  Stopwatch time;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int accepted = silent.AcceptedCount();
    RecordingMachine machine;
    RunningClient running(machine, c.port, c.proxy, silent.Port());
    if (c.port != hanging.port) {
      ASSERT_TRUE(testsupport::WaitFor([&] { return silent.AcceptedCount() > accepted; }, milliseconds(5000)));
    }
    CallEverySenderRefused(*running.client, time, milliseconds(200));
    GiveUp(*running.client, time, c.abort);
    // The attempt ends at once, and the controller hears nothing of it.
    EXPECT_TRUE(running.WaitEnd(milliseconds(1000)));
    EXPECT_TRUE(machine.Acks().empty());
    GiveUp(*running.client, time, !c.abort);
  }
  printf("worst call while connecting: %.3f ms (limit %.0f ms)\n", time.worstMs, kLimitMs);
  EXPECT_LT(time.worstMs, kWaitedMs);
}

TEST(ClientLatency, FloodToAServerThatStoppedReading) {
  ClientSetUp setUp;
  struct Case {
    const char* name;
    int sendTimeout;
    bool closedByController;  // else the blocked write times out and ends the link
  } const cases[] = {
      {"closed by the controller", 20000, true},
      {"send timed out", 1000, false},
  };
  const std::string big(60000, 'x');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSLManager::SetConnectTimeout(c.sendTimeout);
    RecordingMachine machine;
    RunningClient running(machine, setUp.server->Port());
    auto link = LogIn(*setUp.server, machine);
    ASSERT_TRUE(link);
    link->Stall(true);
    ClientSideRequest& client = *running.client;
    Stopwatch time;
    // The socket buffers fill, then the queue up to its bound: from then on every sender is
    // refused, and none waits.
    auto send = [&] { return client.SendErrorMessages("K1", big); };
    size_t queued = 0;
    auto lastTaken = Clock::now();
    const auto giveUp = lastTaken + milliseconds(20000);
    while (Clock::now() - lastTaken < milliseconds(300) && Clock::now() < giveUp) {
      if (time(send)) {
        ++queued;
        lastTaken = Clock::now();
      }
    }
    ASSERT_LT(Clock::now(), giveUp) << "senders were never refused";
    EXPECT_LE(queued * big.size(), SSLManager::kMaxQueuedBytes + 16 * 1024 * 1024);  // plus socket buffers
    EXPECT_FALSE(time(send));
    if (c.closedByController) GiveUp(client, time, false);
    // The link ends after the close's grace, or when the blocked write times out; the
    // controller then hears of the lost link as of any other.
    EXPECT_TRUE(running.WaitEnd(milliseconds(SSLManager::kCloseGrace + 5000)));
    link->Stall(false);
    EXPECT_TRUE(link->WaitClosed());
    EXPECT_EQ(S2C_Request_PR_NOTHING, machine.Kinds().back());
    CallEverySenderRefused(client, time, milliseconds(0));
    GiveUp(client, time, true);
    printf("%s: worst call %.3f ms (limit %.0f ms); %zu messages (%.1f MiB) taken before senders were refused\n",
           c.name, time.worstMs, kLimitMs, queued, queued * big.size() / 1048576.0);
    EXPECT_LT(time.worstMs, kWaitedMs);
  }
  SSLManager::SetConnectTimeout(20000);
}
