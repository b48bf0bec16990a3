// The contacts list of the main window with 1,000, 2,000, 4,000 and 8,000 saved contacts, in one
// block (the default sort: one block of private contacts, offline ones inside it) and spread over
// 20 groups. For each size:
//   build: the list made from the saved contacts, all offline, until every contact is in it and
//     every row in sight stands at its place; the worst pause of the GUI thread meanwhile;
//   log-in (three times, everyone leaving in between; the median): every contact connecting at
//     once, handed to the list as the controller hands its updates on (batches of 200, one at
//     each idle time of the event loop), until the list is placed and its counts read the number
//     of contacts online (its work: until it holds them with no work left); the worst pause, and
//     the longest time the list took over one batch;
//   one presence change: the GUI thread's work for one update and the placement it causes (its
//     processor time: the time it waited meanwhile for a processor that other programs held is
//     no time of the list's);
//   a wave: as many presence changes as contacts, spread over one second; the worst pause, and
//     how long after the wave the list reads the exact online count;
//   memory: the heap kept per contact by the list.
// Pauses are measured by probes queued from another thread every 5 ms, each timed from when it
// was due to when it ran, and checked less the time the GUI thread meanwhile waited for a
// processor that other programs held (a shared machine's load is not the program's pause). The
// growth of the build and of the log-in is that of the GUI thread's work meanwhile (the processor
// time it used): the time the loop slept between its turns, or waited for a processor, does not
// grow with the list; the log-in's work ends when the list holds everyone online with no work
// left, not when its headers, written at most ten times a second, say so. Printed: each figure
// beside its limit, and the growth from one size to the next beside the limit of 2.3 per
// doubling. The series is measured five times over, each size in turn with the others, and each
// figure is the median of its five. Exits non-zero when a figure is over its limit.
// Usage: contactsListBench [--max N] (N: the largest size, 8000 by default)
#include <malloc.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchApp.h"
#include "bench/benchFigures.h"
#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/contacts/lateDestruction.h"
#include "model/config.h"
#include "model/log.h"
#include "model/urlContactInfo.h"
#include "tests/support/nullSiteListener.h"

using Clock = std::chrono::steady_clock;

namespace {

const double kGrowthLimit = 2.3;
const double kBuildPauseLimitMs = 50.0;
const double kLoginPauseLimitMs = 50.0;
const double kLoginLimitMs = 2000.0;
const double kChangeLimitMs = 5.0;
const double kWavePauseLimitMs = 100.0;
const double kCountLagLimitMs = 2000.0;
const double kRowLimitKiB = 20.0;
const int kGroups = 20;
const int kBatch = 200;
const auto kProbeEvery = std::chrono::milliseconds(5);
const int kChanges = 200;
// Log-ins per size: a log-in of a thousand contacts is a few tens of milliseconds of work, which
// one hiccup of a loaded machine doubles; the median of these is the size's.
const int kLogIns = 3;

std::string Login(int i) {
  char text[16];
  snprintf(text, sizeof text, "user%05d", i);
  return text;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }


// Turns the event loop until `done` holds: the events posted to the windows, then the tool
// kit's own (drawing, sizes, timers), then the idle time.
bool RunUntil(const std::function<bool()>& done, double limitMs = 120000) {
  const Clock::time_point end = Clock::now() + std::chrono::microseconds(long(limitMs * 1000));
  while (!done()) {
    if (Clock::now() > end) return false;
    // The tool kit's events (drawing, sizes, timers), then the posted events and the idle time;
    // then, as the program's loop does while the tool kit has nothing for it, the posted events
    // and the idle time again: what was posted during the idle time is handled before more idle
    // time is given.
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return true;
}

void Pump(int ms) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  RunUntil([&] { return Clock::now() >= end; });
}

// A pause of the GUI thread: as the probes saw it, and less the time the thread meanwhile waited
// for a processor that other programs held (what the program's own work made of it).
struct Pause {
  double seen = 0;
  double own = 0;
};

// Turns the loop until the windows let go of are destroyed.
void WindowsGone() { RunUntil([] { return lateDestruction::Waiting() == 0 && wxPendingDelete.IsEmpty(); }, 5000); }

// Probes queued from another thread every few milliseconds; the worst delay to their running.
class Probes {
 public:
  void Start() {
    m_worst = Pause();
    m_waited = WaitedForProcessorMs();
    m_stop = false;
    m_thread = std::thread([this] {
      while (!m_stop) {
        const Clock::time_point due = Clock::now();
        wxTheApp->CallAfter([this, due] { Ran(Ms(Clock::now() - due)); });
        std::this_thread::sleep_for(kProbeEvery);
      }
    });
  }
  Pause Stop() {
    m_stop = true;
    m_thread.join();
    Pump(30);
    return m_worst;
  }

 private:
  // On the GUI thread. The wait for a processor since the last probe ran covers the delay of
  // this one (the probes before it ran before it was due).
  void Ran(double delay) {
    const double waited = WaitedForProcessorMs();
    const double own = delay - std::min(delay, waited - m_waited);
    m_waited = waited;
    m_worst.seen = std::max(m_worst.seen, delay);
    m_worst.own = std::max(m_worst.own, own);
  }

  std::atomic<bool> m_stop{false};
  Pause m_worst;
  double m_waited = 0;
  std::thread m_thread;
};

struct Round {
  int count = 0;
  double buildMs = 0, buildWorkMs = 0, loginMs = 0, loginWorkMs = 0, changeMs = 0, countLagMs = 0, rowKiB = 0,
         batchMs = 0;
  Pause buildPause, loginPause, wavePause;
  bool exact = true;
};

bool Placed(ContactsPanel* panel) {
  if (!panel->IsFilled()) return false;
  for (ChatRoomEntry* block : panel->GetBlocks())
    if (!block->IsPlaced()) return false;
  return true;
}

// The online contacts the list holds, once every block is placed and the list has no work left;
// -1 before. Its headers say so up to a tenth of a second later (they are written at most that
// often while updates come): the loop turning meanwhile is no work of the log-in's, and whether
// the log-in's updates end within one tenth or need two is no measure of the list's work.
int Held(ContactsPanel* panel) {
  if (panel->HasWorkDue() || !Placed(panel)) return -1;
  int online = 0;
  for (ChatRoomEntry* block : panel->GetBlocks()) online += block->GetNbrConnected();
  return online;
}

// The online contacts the list tells in its headers.
int ShownOnline(ContactsPanel* panel) {
  int online = 0;
  for (ChatRoomEntry* block : panel->GetBlocks()) {
    int first = 0, second = 0;
    if (sscanf(block->GetHeader()->GetCountsText().utf8_str(), "(%d / %d", &first, &second) == 2) online += first;
  }
  return online;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

class Bench {
 public:
  Bench(wxFrame* frame, int groups) : m_frame(frame), m_groups(groups) {}

  Round Run(int count) {
    Round round;
    round.count = count;
    Save(count);
    const size_t heapBefore = HeapInUse();
    Probes probes;
    probes.Start();
    Clock::time_point start = Clock::now();
    const double workStart = ThreadWorkMs();
    m_panel = new ContactsPanel(GetManager(), m_frame, m_frame, &m_main);
    m_panel->SetSize(m_frame->GetClientSize());
    RunUntil([&] { return Placed(m_panel); });
    round.buildMs = Ms(Clock::now() - start);
    round.buildWorkMs = ThreadWorkMs() - workStart;
    round.buildPause = probes.Stop();

    LogIns(round);
    // Row windows the list let go of are destroyed a little later: the heap kept is measured once
    // they are gone (else it counts a varying number of them).
    WindowsGone();
    round.rowKiB = (double(HeapInUse()) - double(heapBefore)) / 1024.0 / count;
    round.changeMs = ChangeCost();
    Wave(round);
    m_panel->Destroy();
    // The next round's heap is measured once every window of this one is gone.
    WindowsGone();
    Pump(50);
    return round;
  }

 private:
  void Save(int count) {
    Config* config = Config::GetInstance();
    config->ClearContacts();
    m_kept.clear();
    for (int i = 0; i < count; ++i) {
      const std::string group = m_groups > 0 ? "group" + std::to_string(i % m_groups) : "";
      m_kept.emplace_back(new ContactInfo(Login(i), "Nick " + Login((i * 7919) % count), "", "1.0", STATUS_OFFLINE,
                                          "", "", 0, 0, 0, group, "parlavox", false));
      config->UpdateContact(m_kept.back().get());
    }
  }

  // The controller's record changes, then the window hears of it.
  void Deliver(int i, t_status status) {
    m_kept[i]->SetStatus(status);
    m_panel->UpdateContact(URLContactInfo("none", -1, *m_kept[i], true, false, false));
  }

  static t_status WaveStatus(int i) {
    const int pick = (i * 7 + 3) % 5;
    return pick == 0 ? STATUS_OFFLINE : t_status(pick);
  }

  // Every contact connects: one batch of updates a turn of the event loop, handed over at its
  // idle time as the controller hands over what its inbox holds (batches queued from another
  // thread as fast as they are taken were taken several in one go of the queue, with no turn of
  // the tool kit between them).
  // Everyone connects, then (but after the last time) leaves again; the median of the log-ins'
  // times and work, the worst of their pauses and batches.
  void LogIns(Round& round) {
    std::vector<double> walls, works;
    Round all;
    for (int k = 0; k < kLogIns; ++k) {
      if (k > 0) EveryoneLeaves();
      Round one;
      LogIn(one);
      walls.push_back(one.loginMs);
      works.push_back(one.loginWorkMs);
      all.loginPause.seen = std::max(all.loginPause.seen, one.loginPause.seen);
      all.loginPause.own = std::max(all.loginPause.own, one.loginPause.own);
      all.batchMs = std::max(all.batchMs, one.batchMs);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(works.begin(), works.end());
    round.loginMs = walls[walls.size() / 2];
    round.loginWorkMs = works[works.size() / 2];
    round.loginPause = all.loginPause;
    round.batchMs = all.batchMs;
  }

  void EveryoneLeaves() {
    for (size_t i = 0; i < m_kept.size(); ++i) Deliver(static_cast<int>(i), STATUS_OFFLINE);
    RunUntil([&] { return Held(m_panel) == 0 && ShownOnline(m_panel) == 0; });
  }

  void LogIn(Round& round) {
    const int count = static_cast<int>(m_kept.size());
    m_fed = 0;
    m_worstBatchMs = 0;
    Probes probes;
    probes.Start();
    const Clock::time_point start = Clock::now();
    const double workStart = ThreadWorkMs();
    wxTheApp->Bind(wxEVT_IDLE, &Bench::FeedLogIn, this);
    const int online = count;
    double workDone = -1;
    RunUntil([&] {
      if (workDone < 0 && m_fed >= count && Held(m_panel) == online) workDone = ThreadWorkMs();
      return workDone >= 0 && ShownOnline(m_panel) == online;
    });
    round.loginMs = Ms(Clock::now() - start);
    round.loginWorkMs = workDone - workStart;
    wxTheApp->Unbind(wxEVT_IDLE, &Bench::FeedLogIn, this);
    round.loginPause = probes.Stop();
    round.batchMs = m_worstBatchMs;
  }

  void FeedLogIn(wxIdleEvent& event) {
    event.Skip();
    const int count = static_cast<int>(m_kept.size());
    if (m_fed >= count) return;
    const int end = std::min(count, m_fed + kBatch);
    const Clock::time_point start = Clock::now();
    for (int i = m_fed; i < end; ++i) Deliver(i, t_status(STATUS_ONLINE + i % 4));
    m_worstBatchMs = std::max(m_worstBatchMs, Ms(Clock::now() - start));
    m_fed = end;
    if (m_fed < count) event.RequestMore();
  }

  // One change at a time, each followed by the placement it causes; the median.
  double ChangeCost() {
    const int count = static_cast<int>(m_kept.size());
    std::vector<double> costs;
    for (int k = 0; k < kChanges; ++k) {
      const int i = static_cast<int>((long(k) * 7919) % count);
      const t_status status = m_kept[i]->GetStatus() == STATUS_OFFLINE ? STATUS_ONLINE : STATUS_OFFLINE;
      const double start = ThreadWorkMs();
      Deliver(i, status);
      wxTheApp->ProcessPendingEvents();
      costs.push_back(ThreadWorkMs() - start);
      wxTheApp->Yield(true);
    }
    std::sort(costs.begin(), costs.end());
    return costs[costs.size() / 2];
  }

  // As many presence changes as contacts within one second.
  void Wave(Round& round) {
    const int count = static_cast<int>(m_kept.size());
    const int slices = 100;
    std::atomic<int> handled{0};
    std::atomic<bool> fed{false};
    Probes probes;
    probes.Start();
    std::thread feeder([&] {
      const Clock::time_point start = Clock::now();
      for (int s = 0; s < slices; ++s) {
        const int from = int(long(count) * s / slices), to = int(long(count) * (s + 1) / slices);
        wxTheApp->CallAfter([&, from, to] {
          for (int i = from; i < to; ++i) Deliver(i, WaveStatus(i));
          handled += to - from;
        });
        std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * (s + 1)));
      }
      fed = true;
    });
    RunUntil([&] { return fed.load(); });
    feeder.join();
    const Clock::time_point waveEnd = Clock::now();
    int online = 0;
    for (int i = 0; i < count; ++i)
      if (WaveStatus(i) != STATUS_OFFLINE) ++online;
    round.exact = RunUntil([&] { return handled >= count && Placed(m_panel) && ShownOnline(m_panel) == online; },
                           10000);
    round.countLagMs = Ms(Clock::now() - waveEnd);
    round.wavePause = probes.Stop();
  }

  wxFrame* m_frame;
  int m_groups;
  ContactsPanel* m_panel = nullptr;
  testsupport::NullSiteListener m_main;
  std::vector<std::unique_ptr<ContactInfo>> m_kept;
  // The contacts handed over so far in a log-in.
  int m_fed = 0;
  // The longest that one batch of the log-in took to hand over.
  double m_worstBatchMs = 0;
};

int g_failures = 0;

void Check(const char* what, double value, double limit, const char* unit) {
  const bool over = value > limit;
  if (over) ++g_failures;
  printf("    %-34s %9.2f %s  limit %8.2f %s  ratio %.2f%s\n", what, value, unit, limit, unit, value / limit,
         over ? "  OVER" : "");
}

// A pause is checked against its limit less the time other programs held the processor; the
// pause as seen is printed beside it.
void CheckPause(const char* what, const Pause& pause, double limit) {
  Check(what, pause.own, limit, "ms");
  printf("    %-34s %9.2f ms\n", "  as seen (other programs included)", pause.seen);
}

void Growth(const char* what, double small, double large) {
  const double growth = small > 0 ? large / small : 0;
  const bool over = growth > kGrowthLimit;
  if (over) ++g_failures;
  printf("    growth of %-24s %9.2f x  limit %.2f x%s\n", what, growth, kGrowthLimit, over ? "  OVER" : "");
}

// Each size is measured in turn, the whole series five times over, and each figure is the median
// of its five: measured once each, one after the other, a load that comes and goes on a shared
// machine fell on one size more than on the next and read as growth of the list's work.
constexpr int kPasses = 5;

Pause MedianPause(const std::vector<Round>& runs, Pause Round::*field) {
  std::vector<double> seen, own;
  for (const Round& r : runs) {
    seen.push_back((r.*field).seen);
    own.push_back((r.*field).own);
  }
  Pause median;
  median.seen = benchFigures::Median(seen);
  median.own = benchFigures::Median(own);
  return median;
}

Round MedianRound(const std::vector<Round>& runs) {
  Round median = runs.front();
  for (double Round::*field : {&Round::buildMs, &Round::buildWorkMs, &Round::loginMs, &Round::loginWorkMs,
                               &Round::changeMs, &Round::countLagMs, &Round::rowKiB, &Round::batchMs}) {
    std::vector<double> values;
    for (const Round& r : runs) values.push_back(r.*field);
    median.*field = benchFigures::Median(values);
  }
  for (Pause Round::*field : {&Round::buildPause, &Round::loginPause, &Round::wavePause})
    median.*field = MedianPause(runs, field);
  for (const Round& r : runs) median.exact = median.exact && r.exact;
  return median;
}

void RunSeries(wxFrame* frame, int groups, int maxCount) {
  Config* config = Config::GetInstance();
  config->SetGroupMode(groups > 0 ? 1 : 0);
  config->SetGroupOffline(2);
  for (int g = 0; g < groups; ++g) config->AddGroup("group" + std::to_string(g));
  Bench bench(frame, groups);
  // A first small round: fonts, pictures and the tool kit's caches.
  bench.Run(250);
  std::vector<std::vector<Round>> measured;
  for (int count = 1000; count <= maxCount; count *= 2) measured.emplace_back();
  for (int pass = 0; pass < kPasses; ++pass) {
    size_t size = 0;
    for (int count = 1000; count <= maxCount; count *= 2) measured[size++].push_back(bench.Run(count));
  }
  std::vector<Round> rounds;
  for (const std::vector<Round>& runs : measured) {
    const Round x = MedianRound(runs);
    const int count = x.count;
    printf("%d contacts %s:\n", count, groups > 0 ? "in 20 groups" : "in one block");
    printf("    %-34s %9.2f ms\n", "build (all in, those in sight placed)", x.buildMs);
    printf("    %-34s %9.2f ms\n", "  of which the GUI thread's work", x.buildWorkMs);
    CheckPause("worst pause while building", x.buildPause, kBuildPauseLimitMs);
    Check("log-in, whole list shown", x.loginMs, count <= 4000 ? kLoginLimitMs : 2 * kLoginLimitMs, "ms");
    printf("    %-34s %9.2f ms (", "  of which the GUI thread's work", x.loginWorkMs);
    for (const Round& r : runs) printf(" %.1f", r.loginWorkMs);
    printf(" )\n");
    CheckPause("worst pause during the log-in", x.loginPause, kLoginPauseLimitMs);
    printf("    %-34s %9.2f ms\n", "  of which the longest batch", x.batchMs);
    Check("one presence change", x.changeMs, count <= 4000 ? kChangeLimitMs : 2 * kChangeLimitMs, "ms");
    CheckPause("worst pause during a wave", x.wavePause, kWavePauseLimitMs);
    Check("exact online count after the wave", x.countLagMs, kCountLagLimitMs, "ms");
    Check("heap per contact row", x.rowKiB, kRowLimitKiB, "KiB");
    if (!x.exact) {
      ++g_failures;
      printf("    the online count never read right\n");
    }
    if (!rounds.empty()) {
      const Round& p = rounds.back();
      printf("  from %d to %d contacts:\n", p.count, x.count);
      Growth("the build's work", p.buildWorkMs, x.buildWorkMs);
      Growth("the log-in's work", p.loginWorkMs, x.loginWorkMs);
      Growth("one presence change", p.changeMs, x.changeMs);
      Growth("the heap kept", p.rowKiB * p.count, x.rowKiB * x.count);
    }
    rounds.push_back(x);
    fflush(stdout);
  }
  for (int g = 0; g < groups; ++g) config->RemoveGroup("group" + std::to_string(g));
}

}  // namespace

int main(int argc, char** argv) {
  const int maxCount = static_cast<int>(BenchOption(argc, argv, "--max", 8000));
  const std::string home = MakeBenchHome("contactsList");
  start_log("/dev/null");
  if (!StartBenchApp(argc, argv)) return 1;
  wxInitAllImageHandlers();
  // As the program's main window sets them: the tool kit's pass over every window after each
  // turn of the loop sends idle and update-UI events only to the windows that ask for them. Sent
  // to every row, header and spare window, they cost more than the list's own work, and as much
  // more as the list kept windows.
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
  Config::SetPath(std::string(PARLAVOX_SOURCE_DATA) + "/");
  Config::SetUserPath(home + "/");
  GetManager();
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Contacts", wxPoint(0, 0), wxSize(320, 700));
  frame->Show();
  Pump(50);
  RunSeries(frame, 0, maxCount);
  RunSeries(frame, kGroups, maxCount);
  printf("%s: %d figure(s) over their limit\n", g_failures ? "FAILED" : "passed", g_failures);
  frame->Destroy();
  Pump(50);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return g_failures ? 2 : 0;
}
