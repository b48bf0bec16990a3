// Starting again and again as a user whose program logs in by itself: every start shows its
// window, logs in, and ends cleanly on SIGTERM. A start that ends early says what it wrote.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

// The starts in a row; PARLAVOX_STARTS sets another number (a longer hunt, a quicker look).
int Starts() {
  const char* value = getenv("PARLAVOX_STARTS");
  const int starts = value ? atoi(value) : 0;
  return starts > 0 ? starts : 50;
}

// How the process of a start stands: ended (and not yet collected), or still running and, when
// so, whether it has become the program at all: a start can hang before its exec.
std::string Standing(pid_t pid) {
  const std::string stat = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return "gone";
  if (stat[close + 2] == 'Z') return "ended";
  const std::string exe = programtest::RealPath("/proc/" + std::to_string(pid) + "/exe");
  if (exe != programtest::RealPath(PARLAVOX_PROGRAM)) return "running, but never became the program (still " + exe + ")";
  return "running";
}

// What a start that went wrong left: its outputs, how its process stands and, still running,
// where each of its threads stands.
std::string Describe(Person& person) {
  const std::string standing = Standing(person.Pid());
  std::string said = "output:\n" + person.Output() + "\nerrors:\n" + person.Errors() + "\nprocess: " + standing + "\n";
  if (standing.compare(0, 7, "running") == 0) {
    std::string stacks;
    programtest::RunToEnd({"gdb", "-p", std::to_string(person.Pid()), "-batch", "-ex", "thread apply all bt 30"}, "/tmp",
                          &stacks);
    said += "its threads:\n" + stacks;
  } else if (standing == "ended") {
    said += "exit status: " + std::to_string(person.WaitExit()) + "\n";
  }
  return said + "traced errors:\n" + person.TraceLog(true);
}

// A lock that another thread of the test holds while a start is made, and that a forked copy of
// the test would take before it became the program, as the sanitizers' allocator does: that copy
// would wait forever, its thread holding the lock being no part of it.
std::mutex g_heldElsewhere;
std::atomic<bool> g_takeInForkedCopy{false};

void TakeHeldLock() {
  if (g_takeInForkedCopy) std::lock_guard<std::mutex> taken(g_heldElsewhere);
}

TEST(Starts, AStartBecomesTheProgramWhateverLockAnotherThreadHolds) {
  static const bool registered = pthread_atfork(nullptr, nullptr, TakeHeldLock) == 0;
  ASSERT_TRUE(registered);
  std::mutex mutex;
  std::condition_variable changed;
  bool holding = false, done = false;
  std::thread holder([&] {
    std::lock_guard<std::mutex> hold(g_heldElsewhere);
    std::unique_lock<std::mutex> lock(mutex);
    holding = true;
    changed.notify_all();
    changed.wait(lock, [&] { return done; });
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return holding; });
  }
  g_takeInForkedCopy = true;
  testsupport::TempDir work;
  int status = -1;
  {
    programtest::ChildProgram child({"true"}, {{"PARLAVOX_UNUSED", "1"}}, work.path());
    status = child.WaitExit(std::chrono::seconds(10));
  }
  g_takeInForkedCopy = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  changed.notify_all();
  holder.join();
  EXPECT_EQ(0, status) << "the start never became the program";
}

// Four people (the server's accounts) start side by side, each again and again, so that the
// starts in a row cost a quarter of the time: the second a start waits before it logs in is
// waited four at a time.
TEST_F(Journey, LoggedInStartsInARowEachShowTheirWindow) {
  std::vector<Person*> people;
  for (const char* login : {"alice", "bob", "carol", "dave"}) {
    Person& person = Add(login);
    ASSERT_GE(StartAndLogInByTyping(person), 0);
    ASSERT_TRUE(QuitCleanly(person));
    people.push_back(&person);
  }
  const int starts = Starts();
  for (int made = 0; made < starts;) {
    const size_t before = Journal().size();
    std::vector<Person*> round;
    for (Person* person : people) {
      if (made == starts) break;
      person->Start();
      round.push_back(person);
      ++made;
    }
    for (Person* person : round) {
      SCOPED_TRACE(person->Login() + "'s start, " + std::to_string(made) + " of " + std::to_string(starts) + " made");
      const std::string connect = "- connect login=\"" + person->Login() + "\" password=*** ";
      const std::string welcomed = person->Login() + " askmessengerprotocols ";
      ASSERT_NE(0u, AwaitWindow(*person, "Parlavox")) << Describe(*person);
      const long connected = AwaitJournal(
          [&](const std::string& line) { return line.compare(0, connect.size(), connect) == 0; }, before);
      ASSERT_GE(connected, 0) << Describe(*person);
      ASSERT_GE(AwaitJournal([&](const std::string& line) { return line.compare(0, welcomed.size(), welcomed) == 0; },
                             size_t(connected)),
                0)
          << Describe(*person);
    }
    for (Person* person : round) kill(person->Pid(), SIGTERM);
    for (Person* person : round) ASSERT_EQ(0, person->WaitExit()) << person->Login() << ": " << Describe(*person);
  }
}

}  // namespace
}  // namespace journeys
