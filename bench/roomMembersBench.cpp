// A crowd in a room, on the whole main window logged in over a real TLS link to the protocol test
// server: the user is in a site's room, and 1,000, 2,000, 4,000 and 8,000 people arrive in it, as
// the server announces arrivals (an update naming the room, the person in it), all sent at once;
// then all of them leave the same way. For each wave:
//   settled: how long after the last update was sent the room is settled (every member counted,
//     the rows in sight standing at their place with their windows, the notices written, the
//     controller's inbox empty), against 2 s;
//   the worst pause of the GUI thread meanwhile (the late ticks of a 1 ms timer, less the time the
//     thread waited for a processor that other programs held), against 50 ms;
//   the GUI thread's processor time until settled, less what the event loop uses by itself in as
//     long. Its growth from one size to the next is printed beside 2.3 per doubling; a yardstick
//     (a fixed piece of work) is timed before each run and each run's work is taken at the pace
//     of the first size's runs, so that the growth compares the program with itself, not with a
//     machine gone slower or faster meanwhile.
// Each size runs five times and each figure is the median of the five. Each figure is printed
// beside its limit as a ratio; the program exits non-zero when a figure is over its limit or the
// room never came right.
// Usage: roomMembersBench [--max N] (the largest size, 8000 by default) [--runs N] (5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "bench/benchFigures.h"
#include "bench/loggedInBench.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/memberColumn.h"

using Clock = std::chrono::steady_clock;
using namespace testserver;

namespace {

const char kRoom[] = "http://www.crowded.example/";
const double kSettledLimitMs = 2000.0;
const double kPauseLimitMs = 50.0;
const double kGrowthLimit = 2.3;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Login(int i) {
  char text[16];
  snprintf(text, sizeof text, "guest%05d", i);
  return text;
}

// One person entering or leaving the room, as the server tells the room's members.
std::string Update(int i, bool entering, long users) {
  auto u = NewS2C(S2C_Request_PR_updcontact);
  Fill(&u->choice.updcontact.authkey, "K1");
  Fill(&u->choice.updcontact.login, Login(i));
  u->choice.updcontact.site = asn1::NewOctetString(kRoom);
  u->choice.updcontact.nickname = asn1::NewOctetString("Guest " + std::to_string((i * 7919) % 100000));
  u->choice.updcontact.status = asn1::NewValue<long>(STATUS_ONLINE);
  u->choice.updcontact.hasSubscribed = asn1::NewValue<BOOLEAN_t>(entering ? 1 : 0);
  u->choice.updcontact.nbrUsers = asn1::NewValue<long>(users);
  return EncodeS2C(*u);
}

struct Wave {
  double settledMs = 0, pauseMs = 0, workMs = 0;
  bool exact = true;
};

struct Figures {
  int count = 0;
  Wave arrive, leave;
  double yardstickMs = 0;
};

class Bench {
 public:
  explicit Bench(LoggedInBench& session) : m_session(session) {}

  // The user enters the room as the sites panel has it do.
  bool Enter() {
    m_session.frame->SubscribeChatRoom(kRoom);
    // Past what the program asked for since the log-in.
    std::unique_ptr<Received> asked = m_session.link->Next();
    while (asked && asked->request->present != C2S_Request_PR_suburl) asked = m_session.link->Next();
    if (!asked) return false;
    auto ack = NewS2C(S2C_Request_PR_suburlack);
    Fill(&ack->choice.suburlack.site, kRoom);
    ack->choice.suburlack.answer = SubscribeStatus_subscribed;
    m_session.link->Send(*ack);
    RunLoop(20, [&] {
      return Page() && m_session.manager->HasSubscribedTo(kRoom) && Settled(m_page->GetMemberCount());
    });
    m_base = Page() ? m_page->GetMemberCount() : 0;
    return Page() != nullptr;
  }

  // `count` people arrive, then leave.
  Figures Measure(int count) {
    Figures f;
    f.count = count;
    std::string arrivals, departures;
    for (int i = 0; i < count; ++i) {
      arrivals += Update(i, true, i + 2);
      departures += Update(i, false, count - i);
    }
    f.arrive = Run(arrivals, m_base + size_t(count));
    f.leave = Run(departures, m_base);
    return f;
  }

 private:
  ChatRoomPanel* Page() {
    if (m_page) return m_page;
    if (!m_rooms) {
      std::function<void(wxWindow*)> walk = [&](wxWindow* window) {
        if (auto* rooms = dynamic_cast<ChatRoomsNotebook*>(window)) m_rooms = rooms;
        for (wxWindow* child : window->GetChildren())
          if (!m_rooms) walk(child);
      };
      walk(m_session.frame);
    }
    if (m_rooms) m_page = m_rooms->GetChatRoom(kRoom);
    return m_page;
  }

  // Looked at every tick of the loop: it costs nothing that grows with the room.
  bool Settled(size_t members) {
    return m_page->GetMemberCount() == members && m_session.manager->GetInboxSize() == 0 &&
           m_page->GetMemberColumn()->IsPlaced() && !m_page->HasLinesWaiting();
  }

  Wave Run(const std::string& bytes, size_t members) {
    Wave wave;
    const double idleRate = benchFigures::IdleCpuRate(true);
    const double cpu = ThreadWorkMs();
    double done = -1;
    m_session.link->SendBytes(bytes);
    const Clock::time_point sent = Clock::now();
    const LoopPauses pauses = RunLoopPauses(60, [&] {
      if (done < 0 && Settled(members)) done = ThreadWorkMs();
      return done >= 0;
    }, true);
    wave.settledMs = Ms(Clock::now() - sent);
    wave.pauseMs = pauses.worstOwn;
    // A room that never settled: the work until the bench gave up.
    wave.exact = done >= 0;
    if (!wave.exact) done = ThreadWorkMs();
    wave.workMs = done - cpu - idleRate * wave.settledMs;
    return wave;
  }

  LoggedInBench& m_session;
  ChatRoomsNotebook* m_rooms = nullptr;
  ChatRoomPanel* m_page = nullptr;
  size_t m_base = 0;
};

Figures Median(const std::vector<Figures>& runs) {
  Figures f = runs.front();
  for (Wave Figures::*wave : {&Figures::arrive, &Figures::leave}) {
    for (double Wave::*figure : {&Wave::settledMs, &Wave::pauseMs, &Wave::workMs}) {
      std::vector<double> values;
      for (const Figures& run : runs) values.push_back(run.*wave.*figure);
      (f.*wave).*figure = benchFigures::Median(values);
    }
    for (const Figures& run : runs) (f.*wave).exact = (f.*wave).exact && (run.*wave).exact;
  }
  std::vector<double> yardsticks;
  for (const Figures& run : runs) yardsticks.push_back(run.yardstickMs);
  f.yardstickMs = benchFigures::Median(yardsticks);
  return f;
}

// One figure of each run of a wave, that the spread between them shows.
void PrintRuns(const char* what, const std::vector<Figures>& runs, Wave Figures::*wave, double Wave::*figure) {
  printf("      %-40s", what);
  for (const Figures& run : runs) printf(" %6.1f", run.*wave.*figure);
  printf(" ms\n");
}

void Print(const char* what, const Wave& wave) {
  printf("  %s:\n", what);
  benchFigures::Print("settled after the last update", wave.settledMs, "ms", kSettledLimitMs);
  benchFigures::Print("worst pause meanwhile", wave.pauseMs, "ms", kPauseLimitMs);
  printf("      the GUI thread's work, at the first pace %9.2f ms\n", wave.workMs);
  if (!wave.exact) {
    printf("    the room never came right\n");
    benchFigures::Over();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int largest = int(BenchOption(argc, argv, "--max", 8000));
  const int runs = std::max(1, int(BenchOption(argc, argv, "--runs", 5)));
  LoggedInBench session;
  if (!session.Start(argc, argv, "roommembers")) return 1;
  Bench bench(session);
  if (!bench.Enter()) {
    fprintf(stderr, "the room did not open\n");
    return 1;
  }
  // What the first crowd loads once (pictures, the first windows) is not one size's work.
  bench.Measure(200);
  printf("each size run %d times, the median of each figure kept\n", runs);
  std::vector<Figures> all;
  double pace = 0;
  for (int count = 1000; count <= largest; count *= 2) {
    std::vector<Figures> sized;
    for (int run = 0; run < runs; ++run) {
      const double yardstick = benchFigures::YardstickMs();
      sized.push_back(bench.Measure(count));
      sized.back().yardstickMs = yardstick;
    }
    if (all.empty()) pace = Median(sized).yardstickMs;
    for (Figures& run : sized) {
      run.arrive.workMs *= pace / run.yardstickMs;
      run.leave.workMs *= pace / run.yardstickMs;
    }
    all.push_back(Median(sized));
    printf("%d people in a room of the whole main window, on a TLS link:\n", count);
    Print("arriving", all.back().arrive);
    PrintRuns("the worst pause of each run", sized, &Figures::arrive, &Wave::pauseMs);
    PrintRuns("the work of each run", sized, &Figures::arrive, &Wave::workMs);
    Print("leaving", all.back().leave);
    PrintRuns("the worst pause of each run", sized, &Figures::leave, &Wave::pauseMs);
    PrintRuns("the work of each run", sized, &Figures::leave, &Wave::workMs);
    if (all.size() > 1) {
      const Figures& before = all[all.size() - 2];
      printf("  from %d to %d people:\n", before.count, all.back().count);
      benchFigures::Print("growth of the arrivals' work", all.back().arrive.workMs / before.arrive.workMs, "x",
                          kGrowthLimit);
      benchFigures::Print("growth of the departures' work", all.back().leave.workMs / before.leave.workMs, "x",
                          kGrowthLimit);
    }
    fflush(stdout);
  }
  session.Finish();
  return benchFigures::Verdict();
}
