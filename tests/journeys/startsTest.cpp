// Starting again and again as a user whose program logs in by itself: every start shows its
// window, logs in, and ends cleanly on SIGTERM. A start that ends early says what it wrote.
#include <signal.h>

#include <cstdlib>
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

// The starts in a row; PARLAVOX_STARTS sets another number (a longer hunt, a quicker look).
int Starts() {
  const char* value = getenv("PARLAVOX_STARTS");
  const int starts = value ? atoi(value) : 0;
  return starts > 0 ? starts : 50;
}

// What a start that went wrong left: its outputs, its exit status or, still running, where each
// of its threads stands.
std::string Describe(Person& person) {
  std::string said = "output:\n" + person.Output() + "\nerrors:\n" + person.Errors() + "\n";
  if (kill(person.Pid(), 0) == 0) {
    std::string stacks;
    programtest::RunToEnd({"gdb", "-p", std::to_string(person.Pid()), "-batch", "-ex", "thread apply all bt 30"}, "/tmp",
                          &stacks);
    said += "still running:\n" + stacks;
  }
  return said + "traced errors:\n" + person.TraceLog(true);
}

TEST_F(Journey, LoggedInStartsInARowEachShowTheirWindow) {
  Person& alice = Add("alice");
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  ASSERT_TRUE(QuitCleanly(alice));
  const std::string connect = "- connect login=\"alice\" password=*** ";
  const std::string welcomed = "alice askmessengerprotocols ";
  const int starts = Starts();
  for (int run = 1; run <= starts; ++run) {
    SCOPED_TRACE("start " + std::to_string(run) + " of " + std::to_string(starts));
    const size_t before = Journal().size();
    alice.Start();
    ASSERT_NE(0u, AwaitWindow(alice, "Parlavox")) << Describe(alice);
    const long connected =
        AwaitJournal([&](const std::string& line) { return line.compare(0, connect.size(), connect) == 0; }, before);
    ASSERT_GE(connected, 0) << Describe(alice);
    ASSERT_GE(AwaitJournal([&](const std::string& line) { return line.compare(0, welcomed.size(), welcomed) == 0; },
                           size_t(connected)),
              0)
        << Describe(alice);
    kill(alice.Pid(), SIGTERM);
    ASSERT_EQ(0, alice.WaitExit()) << Describe(alice);
  }
}

}  // namespace
}  // namespace journeys
