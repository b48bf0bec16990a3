// Logged in with a site open and nothing happening, the program sleeps: all its threads together
// wake at most twice a second. A timer that ticks for nothing, a thread that looks for work on a
// clock instead of waiting for it, keep a laptop's processor from its deep sleep for as long as
// the program runs. The wake-ups are counted by the kernel (the times each thread gave the
// processor up to wait), read from outside the program: looking costs the program nothing.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

using Clock = std::chrono::steady_clock;

// At rest, the whole program's wake-ups a second at most.
constexpr double kMostWakeUpsPerSecond = 2;
// Each span counted, and how many the program has to come to rest in: the first has the end of
// its start (pictures, the server's first news, the trace's last lines); a heart-beat of the
// server, now and then, spoils a span by itself.
constexpr std::chrono::seconds kSpan{5};
constexpr int kSpans = 12;

struct ThreadCount {
  std::string name;
  // The times the thread went to wait (each one ends a wake-up), and the times another process
  // took its processor: those are the machine's load, not the program's doing.
  long long waits = 0;
  long long preempted = 0;
};
using Threads = std::map<std::string, ThreadCount>;

long long Field(const std::string& status, const std::string& name) {
  const size_t at = status.find("\n" + name + ":");
  return at == std::string::npos ? 0 : std::stoll(status.substr(at + name.size() + 2));
}

// The process's threads as the kernel counts them, by thread id.
Threads Count(pid_t pid) {
  Threads threads;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
  for (const std::string& tid : testsupport::ListDir(tasks)) {
    const std::string status = testsupport::ReadFile(tasks + tid + "/status");
    if (status.empty()) continue;  // gone meanwhile
    ThreadCount& thread = threads[tid];
    thread.name = status.substr(6, status.find('\n') - 6);
    thread.waits = Field(status, "voluntary_ctxt_switches");
    thread.preempted = Field(status, "nonvoluntary_ctxt_switches");
  }
  return threads;
}

// What each thread did between the two counts (a thread that started meanwhile, all it did), and
// the wake-ups of all of them.
long long Difference(const Threads& before, const Threads& after, std::string* table) {
  long long total = 0;
  for (const auto& entry : after) {
    ThreadCount span = entry.second;
    const auto earlier = before.find(entry.first);
    if (earlier != before.end()) {
      span.waits -= earlier->second.waits;
      span.preempted -= earlier->second.preempted;
    }
    total += span.waits;
    char line[160];
    snprintf(line, sizeof line, "  %-8s %-16s %6lld waits %6lld preempted\n", entry.first.c_str(), span.name.c_str(),
             span.waits, span.preempted);
    *table += line;
  }
  return total;
}

TEST_F(Journey, LoggedInWithASiteOpenAndNothingHappeningTheProgramSleeps) {
  Person& alice = Add("alice");
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  const std::string page = "http://www.example.org/quiet.html";
  EXPECT_EQ("0", Browse(alice, page));
  ASSERT_TRUE(Until([&] { return Traced(alice, "SitesPanel::AddSitePanel", page) > 0; }, "the site on the panel"));
  // The user's pointer rests elsewhere on the screen.
  ASSERT_TRUE(Screen().PointAwayFrom(AwaitWindow(alice, "Parlavox")));

  std::string table;
  long long wakeUps = 0;
  double most = 0;
  for (int span = 0; span < kSpans; ++span) {
    const Threads before = Count(alice.Pid());
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(kSpan);
    const Threads after = Count(alice.Pid());
    most = kMostWakeUpsPerSecond * std::chrono::duration<double>(Clock::now() - start).count();
    table.clear();
    wakeUps = Difference(before, after, &table);
    if (wakeUps <= most) break;
  }
  printf("the program at rest, over %lld s: %lld wake-ups\n%s", static_cast<long long>(kSpan.count()), wakeUps,
         table.c_str());
  EXPECT_LE(wakeUps, most) << "over " << kSpans << " spans of " << kSpan.count() << " s, the last:\n" << table;
  ASSERT_TRUE(QuitCleanly(alice));
}

}  // namespace
}  // namespace journeys
