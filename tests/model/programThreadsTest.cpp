#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "model/programThreads.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// The roll of threads is the process's own and its end is final: each case runs in a child.
#define REQUIRE(condition)                                         \
  do {                                                             \
    if (!(condition)) {                                            \
      std::fprintf(stderr, "failed: %s\n", #condition);            \
      std::_Exit(1);                                               \
    }                                                              \
  } while (0)

// A thread blocked in a read of a pipe, and one waiting on a condition, are each woken by their
// own wake; many short threads have come and gone meanwhile. All are joined well within the
// limit, and nothing starts once the end has begun.
void WokenThreadsAreJoined() {
  std::atomic<int> finished{0};
  for (int i = 0; i < 200; ++i) REQUIRE(programThreads::Start("short", [&finished] { ++finished; }));
  int pipeEnds[2];
  REQUIRE(pipe(pipeEnds) == 0);
  REQUIRE(programThreads::Start(
      "reader",
      [&] {
        char byte;
        ssize_t got = read(pipeEnds[0], &byte, 1);
        (void)got;
        ++finished;
      },
      [&] {
        ssize_t put = write(pipeEnds[1], "x", 1);
        (void)put;
      }));
  std::mutex mutex;
  std::condition_variable stop;
  bool stopped = false;
  REQUIRE(programThreads::Start(
      "waiter",
      [&] {
        std::unique_lock<std::mutex> lock(mutex);
        stop.wait(lock, [&] { return stopped; });
        ++finished;
      },
      [&] {
        std::lock_guard<std::mutex> lock(mutex);
        stopped = true;
        stop.notify_all();
      }));
  while (finished < 200 || programThreads::Running() != 2) std::this_thread::yield();
  REQUIRE(!programThreads::Ending());
  const auto begin = Clock::now();
  std::string late;
  REQUIRE(programThreads::StopAll(milliseconds(5000), &late) == 0);
  REQUIRE(Clock::now() - begin < milliseconds(1000));
  REQUIRE(late.empty());
  REQUIRE(finished == 202);
  REQUIRE(programThreads::Running() == 0);
  REQUIRE(programThreads::Ending());
  bool ran = false;
  REQUIRE(!programThreads::Start("too late", [&ran] { ran = true; }));
  REQUIRE(!ran);
  std::_Exit(0);
}

// A thread that does not return (a lookup that never answers, say) holds the end no longer than
// the limit, and is named; one that returns in time is joined all the same.
void AThreadThatCannotStopIsBounded() {
  std::mutex mutex;
  std::condition_variable release;
  bool released = false;
  REQUIRE(programThreads::Start("stuck lookup", [&] {
    std::unique_lock<std::mutex> lock(mutex);
    release.wait(lock, [&] { return released; });
  }));
  std::atomic<bool> stop{false};
  REQUIRE(programThreads::Start(
      "polling", [&] { while (!stop) std::this_thread::sleep_for(milliseconds(1)); }, [&] { stop = true; }));
  const auto begin = Clock::now();
  std::string late;
  REQUIRE(programThreads::StopAll(milliseconds(300), &late) == 1);
  const auto took = Clock::now() - begin;
  REQUIRE(took >= milliseconds(300) && took < milliseconds(2000));
  REQUIRE(late == "stuck lookup");
  REQUIRE(programThreads::Running() == 1);
  {
    std::lock_guard<std::mutex> lock(mutex);
    released = true;
    release.notify_all();
  }
  // Once it has returned, a later call joins it without waiting.
  while (programThreads::Running() != 0) std::this_thread::yield();
  REQUIRE(programThreads::StopAll(milliseconds(0)) == 0);
  std::_Exit(0);
}

}  // namespace

TEST(ProgramThreads, WokenThreadsAreJoinedAndNothingStartsAfterTheEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(WokenThreadsAreJoined(), testing::ExitedWithCode(0), "");
}

TEST(ProgramThreads, AThreadThatCannotStopHoldsTheEndOnlyForTheLimit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(AThreadThatCannotStopIsBounded(), testing::ExitedWithCode(0), "");
}
