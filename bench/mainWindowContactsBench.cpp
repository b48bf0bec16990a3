// The whole main window, logged in over a real TLS link to the protocol test server, with 1,000,
// 2,000, 4,000 and 8,000 saved contacts in 20 groups (the list sorted by group). For each size:
//   log-in: the server acknowledges the log-in and at once reports three contacts in four as
//     connected, all in one burst; measured from the acknowledgement until the list holds every
//     contact, every row in sight stands at its place and the blocks' titles read the exact
//     number online; and the worst pause of the GUI thread meanwhile;
//   one presence change: contacts connecting one at a time, a tenth of a second apart, as a user
//     sees them: the GUI thread's processor time over the whole series, per change, less what the
//     event loop uses by itself in as long: the update, the list, the pop-up and its slide, and
//     the event loop's idle passes over every window that each of them brings;
//   a wave: as many presence changes as contacts within one second (everyone connected leaves,
//     everyone else comes), sent in twenty bursts; the worst pause meanwhile, and how long after
//     the last burst the titles read the exact number online;
//   all leave: every contact reported offline at once; how long until the titles read none online.
//     Fifteen times per log-in, those online after the wave coming back in between; the run's
//     wait and worst pause are the medians of its leaves. The same burst on the same list asks
//     the same work of the program each time, yet on a shared machine the processor time it
//     takes swings by half and more from one leave to the next, every part of the work alike;
//     the least of a run's leaves fell on a different edge of that spread from run to run. The
//     work of everyone going at a size is the median of all its leaves (five runs of fifteen).
// Pauses are the late ticks of a 1 ms timer, less the time the GUI thread waited for a processor
// that other programs held. The work of the log-in and of everyone leaving is the GUI thread's
// processor time until the first tick at which the list holds the new number online with no work
// left, less what the ticking loop uses by itself in as long (under a tenth of a millisecond each
// millisecond, which counted the more as the list waited for a later turn); the wall times also
// hold the tenth of a second the counts may wait. Each size is logged in five times, once in each
// of five rounds, and each figure is the median of the five. A round runs every size in turn, in
// a process of its own, after a first log-in that pays for all the program loads once (the first
// round's worst pause then is printed on its own): every leave of one size in one process came
// out cheaper or dearer alike, by a tenth or more (where its memory lies, the machine's pace for
// that minute), and with every run of a size in one process, the growth from one size to the
// next swung by a tenth either way from one whole run of the bench to the next. A yardstick (a
// fixed piece of work) is timed before each log-in and before each leave, and the work of each
// run is taken at the pace of the first size's runs: the growth of the work from one size to the
// next, printed beside 2.3 per doubling, then compares the program with itself and not with a
// machine gone slower or faster meanwhile. A shared machine's pace also flips between two
// levels, a third apart, several times a second (pinned to one processor or not): a run's pace
// is the best of its yardsticks, the pace the machine keeps coming back to. Each figure is
// printed beside its limit as a ratio; the program exits non-zero when a figure is over its
// limit or a count never came right.
// Usage: mainWindowContactsBench [--max N] (the largest size, 8000 by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "asn1/octetString.h"
#include "bench/benchFigures.h"
#include "bench/loggedInBench.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/notifyFrame.h"

using Clock = std::chrono::steady_clock;
using namespace testserver;

namespace {

const int kGroups = 20;
const int kWaveBursts = 20;
const int kChanges = 20;
const double kPauseLimitMs = 50.0;
const double kWavePauseLimitMs = 100.0;
const double kLogInLimitMs = 2000.0;  // at 4,000 contacts; twice that at 8,000
const double kChangeLimitMs = 5.0;
const double kCountLagLimitMs = 2000.0;
const double kGrowthLimit = 2.3;
const int kRuns = 5;
// Everyone leaves this many times per log-in: a leave costs a tenth of what a log-in does.
const int kLeaves = 15;

std::string Login(int i) {
  char text[16];
  snprintf(text, sizeof text, "user%05d", i);
  return text;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The end of a burst's work: the GUI thread's processor time and the time when the list first
// held the burst's outcome with nothing left to do.
struct DoneMark {
  double cpu = -1;
  Clock::time_point at;

  // The program's work from `cpu` at `start` to the end: less what the ticking loop that waited
  // for it uses by itself (`tickRate`, per millisecond) in as long.
  double WorkSince(double startCpu, Clock::time_point start, double tickRate) const {
    return std::max(0.0, cpu - startCpu - tickRate * Ms(at - start));
  }
};

// Runs the event loop for `seconds` with no timer of the bench's own ticking meanwhile: the
// loop then does what the program asks of it, and nothing more.
void RunQuiet(double seconds) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  wxTimer end;
  end.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.ScheduleExit(); });
  end.StartOnce(int(seconds * 1000));
  loop.Run();
}

// The processor time the event loop uses by itself, per millisecond, with nothing to do.
double QuietIdleCpuRate() {
  const double cpu = ThreadWorkMs();
  const Clock::time_point start = Clock::now();
  RunQuiet(0.5);
  return (ThreadWorkMs() - cpu) / Ms(Clock::now() - start);
}

std::string Update(int i, t_status status) {
  auto u = NewS2C(S2C_Request_PR_updcontact);
  Fill(&u->choice.updcontact.authkey, "K1");
  Fill(&u->choice.updcontact.login, Login(i));
  u->choice.updcontact.site = asn1::NewOctetString("none");
  u->choice.updcontact.status = asn1::NewValue<long>(status);
  u->choice.updcontact.nickname = asn1::NewOctetString("Nick " + std::to_string((i * 7919) % 100000));
  // The server names the group it keeps the contact in, as it does for every contact of the user.
  u->choice.updcontact.group = asn1::NewOctetString("group" + std::to_string(i % kGroups));
  return EncodeS2C(*u);
}

// Who is connected after the log-in: three in four, in three states.
t_status LogInStatus(int i) { return i % 4 == 3 ? STATUS_OFFLINE : t_status(STATUS_ONLINE + i % 3); }

struct Figures {
  int count = 0;
  double logInMs = 0, logInWorkMs = 0, logInPauseMs = 0, changeMs = 0, wavePauseMs = 0, waveLagMs = 0,
         leaveLagMs = 0, leaveWorkMs = 0, leavePauseMs = 0;
  std::vector<double> leaveWorksMs;  // each leave's
  double yardstickMs = 0;
  bool exact = true;
};

// The median of one figure over several measures.
double MedianOf(const std::vector<Figures>& measures, double Figures::*figure) {
  std::vector<double> values;
  for (const Figures& one : measures) values.push_back(one.*figure);
  return benchFigures::Median(values);
}

class Bench {
 public:
  explicit Bench(LoggedInBench& session) : m_session(session) {}

  // The main window's contacts list, found once: the checks run at every tick of the loop and
  // must not add a walk over every window to the pauses they measure.
  ContactsPanel* Panel() {
    if (!m_panel) m_panel = FindWindowOf<ContactsPanel>(m_session.frame);
    return m_panel;
  }

  // The number online that the blocks' titles read, or -1 while the list is not whole and placed,
  // each group's block holding the group's contacts.
  int ShownOnline() {
    ContactsPanel* panel = Panel();
    if (!panel || !panel->IsFilled()) return -1;
    int online = 0;
    for (ChatRoomEntry* block : panel->GetBlocks()) {
      if (!block->IsPlaced()) return -1;
      const bool group = block->GetGroupName().compare(0, 5, "group") == 0;
      int first = 0, second = 0;
      if (sscanf(block->GetHeader()->GetCountsText().utf8_str(), "(%d / %d", &first, &second) == 2)
        online += first;
      if (second != (group ? m_count / kGroups : 0)) return -1;
    }
    return online;
  }

  // Logs out, makes the account `count` contacts large and logs in again.
  bool Prepare(int count) {
    if (m_session.manager->IsConnected()) m_session.manager->Disconnect(true, false);
    m_session.link.reset();
    RunLoop(0.3, nullptr);
    Config* config = Config::GetInstance();
    for (int i = m_count; i < count; ++i)
      config->UpdateContact(new ContactInfo(Login(i), "Nick", "", "", STATUS_OFFLINE, "", "", 0, 0, 0,
                                            "group" + std::to_string(i % kGroups), "parlavox", false));
    m_count = count;
    m_session.frame->UpdatePrivateContactsGroups();
    if (!RunUntilShown(0)) return false;
    m_session.manager->Connect("alice", "secret", false, "127.0.0.1", m_session.server->Port(), true, false);
    m_session.link = m_session.server->Accept();
    return m_session.link && m_session.link->Expect(C2S_Request_PR_connect);
  }

  // The server's acknowledgement of the log-in and, in the same burst, three contacts in four
  // reported connected; who is online then goes to `online`.
  std::string LogInBurst(std::vector<bool>* online) const {
    online->assign(static_cast<size_t>(m_count), false);
    auto ack = NewS2C(S2C_Request_PR_connect_ack);
    Fill(&ack->choice.connect_ack.authkey, "K1");
    Fill(&ack->choice.connect_ack.version, kProgramVersion);
    std::string burst = EncodeS2C(*ack);
    for (int i = 0; i < m_count; ++i) {
      burst += Update(i, LogInStatus(i));
      (*online)[size_t(i)] = LogInStatus(i) != STATUS_OFFLINE;
    }
    return burst;
  }

  // The program's first log-in with a list, which pays for all it loads once: its worst pause.
  double FirstLogIn() {
    std::vector<bool> online;
    const std::string burst = LogInBurst(&online);
    const int expected = int(std::count(online.begin(), online.end(), true));
    m_session.link->SendBytes(burst);
    const LoopPauses pauses = RunLoopPauses(60, [&] { return ShownOnline() == expected; }, true);
    // Everyone leaves again, as after each measured log-in: the next log-in starts from none.
    std::string leave;
    for (int i = 0; i < m_count; ++i) leave += Update(i, STATUS_OFFLINE);
    m_session.link->SendBytes(leave);
    RunUntilShown(0);
    RunLoop(30, [] { return !NotifyFrame::GetInstance() || !NotifyFrame::GetInstance()->IsShown(); });
    return pauses.worstOwn;
  }

  // `yardstick`: the one timed just before.
  Figures Measure(double yardstick) {
    Figures f;
    f.count = m_count;
    f.yardstickMs = yardstick;
    std::vector<bool> online;
    const std::string burst = LogInBurst(&online);
    int expected = int(std::count(online.begin(), online.end(), true));
    const double tickRate = benchFigures::IdleCpuRate(true);
    double cpu = ThreadWorkMs();
    DoneMark done;
    Clock::time_point start = Clock::now();
    m_session.link->SendBytes(burst);
    LoopPauses pauses = RunLoopPauses(60, [&] { return NoteDone(&done, expected) && ShownOnline() == expected; }, true);
    f.logInMs = Ms(Clock::now() - start);
    f.logInWorkMs = done.WorkSince(cpu, start, tickRate);
    f.logInPauseMs = pauses.worstOwn;
    f.exact = ShownOnline() == expected;

    // Contacts connecting one at a time (those who stayed away at the log-in), a tenth of a second
    // apart: the GUI thread's processor time over the series and the half second after it, less
    // what the event loop itself uses in as long, per change.
    // The pop-up of the log-in's notices has gone first: the series pays for its own.
    RunLoop(30, [] { return !NotifyFrame::GetInstance() || !NotifyFrame::GetInstance()->IsShown(); });
    const double idleRate = QuietIdleCpuRate();
    cpu = ThreadWorkMs();
    start = Clock::now();
    for (int k = 0; k < kChanges; ++k) {
      const int who = 3 + 4 * k;
      m_session.link->SendBytes(Update(who, STATUS_ONLINE));
      online[size_t(who)] = true;
      ++expected;
      RunQuiet(0.1);
    }
    RunQuiet(0.5);
    f.changeMs = std::max(0.0, ThreadWorkMs() - cpu - idleRate * Ms(Clock::now() - start)) / kChanges;
    // On a loaded machine the titles may come later than the half second: the time is taken, so
    // the count may be waited for, as the other counts are.
    RunLoop(30, [&] { return ShownOnline() == expected; });
    f.exact = f.exact && ShownOnline() == expected;

    // A wave: everyone changes, in bursts spread over one second.
    RunLoop(0.3, nullptr);
    std::vector<std::string> bursts(kWaveBursts);
    for (int i = 0; i < m_count; ++i) {
      online[size_t(i)] = !online[size_t(i)];
      bursts[size_t(i % kWaveBursts)] += Update(i, online[size_t(i)] ? STATUS_ONLINE : STATUS_OFFLINE);
    }
    expected = int(std::count(online.begin(), online.end(), true));
    int sent = 0;
    Clock::time_point lastSent;
    start = Clock::now();
    pauses = RunLoopPauses(30, [&] {
      const Clock::time_point now = Clock::now();
      while (sent < kWaveBursts && now - start >= std::chrono::milliseconds(1000 * sent / kWaveBursts)) {
        m_session.link->SendBytes(bursts[size_t(sent++)]);
        lastSent = Clock::now();
      }
      return sent == kWaveBursts && ShownOnline() == expected;
    }, true);
    f.waveLagMs = Ms(Clock::now() - lastSent);
    f.wavePauseMs = pauses.worstOwn;
    f.exact = f.exact && ShownOnline() == expected;

    MeasureLeaves(&f, online);
    return f;
  }

  // Everyone leaves at once, kLeaves times; before each leave but the first, those online after
  // the wave come back. The run's figures are the medians of its leaves'; each leave's work is
  // kept, and the yardstick timed before each leave may lower the run's.
  void MeasureLeaves(Figures* f, const std::vector<bool>& online) {
    const int before = int(std::count(online.begin(), online.end(), true));
    std::string back, leave;
    for (int i = 0; i < m_count; ++i) {
      if (online[size_t(i)]) back += Update(i, STATUS_ONLINE);
      leave += Update(i, STATUS_OFFLINE);
    }
    std::vector<Figures> leaves;
    const double tickRate = benchFigures::IdleCpuRate(true);
    for (int k = 0; k < kLeaves; ++k) {
      if (k > 0) {
        m_session.link->SendBytes(back);
        f->exact = f->exact && RunUntilShown(before);
      }
      RunLoop(0.3, nullptr);
      f->yardstickMs = std::min(f->yardstickMs, benchFigures::YardstickMs());
      Figures one;
      const double cpu = ThreadWorkMs();
      DoneMark done;
      const Clock::time_point start = Clock::now();
      m_session.link->SendBytes(leave);
      const LoopPauses pauses = RunLoopPauses(30, [&] { return NoteDone(&done, 0) && ShownOnline() == 0; }, true);
      one.leaveLagMs = Ms(Clock::now() - start);
      one.leaveWorkMs = done.WorkSince(cpu, start, tickRate);
      one.leavePauseMs = pauses.worstOwn;
      f->exact = f->exact && ShownOnline() == 0;
      leaves.push_back(one);
    }
    for (double Figures::*figure : {&Figures::leaveLagMs, &Figures::leavePauseMs}) f->*figure = MedianOf(leaves, figure);
    for (const Figures& one : leaves) f->leaveWorksMs.push_back(one.leaveWorkMs);
    f->leaveWorkMs = MedianOf(leaves, &Figures::leaveWorkMs);
  }

 private:
  // The number online that the list's blocks hold, once the controller and the list have no
  // work left and every block is placed; -1 before. The titles say so up to a tenth of a second
  // later.
  int HeldOnline() {
    ContactsPanel* panel = Panel();
    if (!panel || m_session.manager->GetInboxSize() > 0 || panel->HasWorkDue()) return -1;
    int online = 0;
    for (ChatRoomEntry* block : panel->GetBlocks()) {
      if (!block->IsPlaced()) return -1;
      online += block->GetNbrConnected();
    }
    return online;
  }

  // At each tick of the loop: the GUI thread's processor time when the list first held `online`
  // with nothing left to do goes to `done`, the end of a burst's work.
  bool NoteDone(DoneMark* done, int online) {
    if (done->cpu < 0 && HeldOnline() == online) {
      done->cpu = ThreadWorkMs();
      done->at = Clock::now();
    }
    return done->cpu >= 0;
  }

  bool RunUntilShown(int online) {
    RunLoop(120, [&] { return ShownOnline() == online; });
    return ShownOnline() == online;
  }

  LoggedInBench& m_session;
  ContactsPanel* m_panel = nullptr;
  int m_count = 0;
};

// The median of the runs of one size, figure by figure: the turns a burst is handled in, and what
// the program's other threads do meanwhile, vary from run to run, both ways.
Figures Median(const std::vector<Figures>& runs) {
  Figures f = runs.front();
  for (double Figures::*figure : {&Figures::logInMs, &Figures::logInWorkMs, &Figures::logInPauseMs, &Figures::changeMs,
                                  &Figures::wavePauseMs, &Figures::waveLagMs, &Figures::leaveLagMs,
                                  &Figures::leaveWorkMs, &Figures::leavePauseMs, &Figures::yardstickMs})
    f.*figure = MedianOf(runs, figure);
  for (const Figures& run : runs) f.exact = f.exact && run.exact;
  return f;
}

using benchFigures::Print;

void Print(const Figures& f) {
  const double scale = f.count > 4000 ? double(f.count) / 4000 : 1;
  printf("%d contacts in %d groups, the whole main window on a TLS link:\n", f.count, kGroups);
  Print("log-in, whole list shown with its counts", f.logInMs, "ms", kLogInLimitMs * scale);
  printf("      the GUI thread's work, at the first pace %9.2f ms\n", f.logInWorkMs);
  Print("worst pause during the log-in", f.logInPauseMs, "ms", kPauseLimitMs);
  Print("one presence change, GUI time", f.changeMs, "ms", kChangeLimitMs * scale);
  Print("worst pause during a wave", f.wavePauseMs, "ms", kWavePauseLimitMs);
  Print("exact online count after the wave", f.waveLagMs, "ms", kCountLagLimitMs);
  Print("everyone gone: none online shown after", f.leaveLagMs, "ms", kCountLagLimitMs);
  printf("      the GUI thread's work, at the first pace %9.2f ms\n", f.leaveWorkMs);
  Print("worst pause while everyone goes", f.leavePauseMs, "ms", kWavePauseLimitMs);
  if (!f.exact) {
    printf("    the counts never came right\n");
    benchFigures::Over();
  }
}

// One figure of each run, that the spread between them shows.
void PrintRuns(const char* what, const std::vector<Figures>& runs, double Figures::*figure) {
  printf("      %-40s", what);
  for (const Figures& run : runs) printf(" %6.1f", run.*figure);
  printf(" ms\n");
}

// A run's figures of one size as one line on the standard output, for the process that started
// the round; `FromLine` reads it back.
const char kFiguresTag[] = "figures";
double Figures::*const kLineFigures[] = {&Figures::logInMs,     &Figures::logInWorkMs, &Figures::logInPauseMs,
                                         &Figures::changeMs,    &Figures::wavePauseMs, &Figures::waveLagMs,
                                         &Figures::leaveLagMs,  &Figures::leaveWorkMs, &Figures::leavePauseMs,
                                         &Figures::yardstickMs};

void PrintLine(const Figures& f) {
  printf("%s %d %d", kFiguresTag, f.count, f.exact ? 1 : 0);
  for (double Figures::*figure : kLineFigures) printf(" %.4f", f.*figure);
  printf(" %zu", f.leaveWorksMs.size());
  for (double work : f.leaveWorksMs) printf(" %.4f", work);
  printf("\n");
  fflush(stdout);
}

bool FromLine(const std::string& line, Figures* f) {
  std::istringstream in(line.substr(strlen(kFiguresTag)));
  int exact = 0;
  size_t leaves = 0;
  in >> f->count >> exact;
  for (double Figures::*figure : kLineFigures) in >> f->*figure;
  in >> leaves;
  f->leaveWorksMs.assign(std::min<size_t>(leaves, kLeaves), 0);
  for (double& work : f->leaveWorksMs) in >> work;
  f->exact = exact == 1;
  return in && f->count > 0 && leaves == size_t(kLeaves);
}

// One round in this process: every size logged in once, after a first log-in that pays for what
// the program loads once (its worst pause printed on its own line), each size's figures printed
// as a line.
int RunRound(int argc, char** argv, int largest) {
  LoggedInBench session;
  if (!session.Start(argc, argv, "mainwindowcontacts")) return 1;
  Config* config = Config::GetInstance();
  for (int g = 0; g < kGroups; ++g) config->AddGroup("group" + std::to_string(g));
  config->SetGroupMode(1);
  config->SetGroupOffline(2);
  Bench bench(session);
  if (!bench.Prepare(1000)) {
    fprintf(stderr, "the first log-in did not start\n");
    return 1;
  }
  printf("first %.4f\n", bench.FirstLogIn());
  fflush(stdout);
  for (int count = 1000; count <= largest; count *= 2) {
    if (!bench.Prepare(count)) {
      fprintf(stderr, "the log-in with %d contacts did not start\n", count);
      return 1;
    }
    PrintLine(bench.Measure(benchFigures::YardstickMs()));
  }
  session.Finish();
  // The round's home holds a trace log of up to a hundred megabytes: nobody reads it.
  return system(("rm -rf '" + session.dir + "'").c_str()) == 0 ? 0 : 1;
}

// Runs one round in a process of its own, reading its figures into `bySize`; false when the
// round failed. `first`: the worst pause of the round's first log-in.
bool RunRoundProcess(int round, int largest, std::vector<std::vector<Figures>>* bySize, double* first) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --round " + std::to_string(round) +
                              " --max " + std::to_string(largest);
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  char text[64 << 10];
  size_t sizes = 0;
  bool read = true;
  while (fgets(text, sizeof text, pipe)) {
    const std::string line = text;
    Figures f;
    if (line.compare(0, 6, "first ") == 0) {
      *first = atof(line.c_str() + 6);
    } else if (line.compare(0, strlen(kFiguresTag), kFiguresTag) == 0) {
      read = read && FromLine(line, &f);
      if (bySize->size() <= sizes) bySize->emplace_back();
      (*bySize)[sizes++].push_back(f);
    } else {
      fputs(text, stdout);
    }
  }
  return pclose(pipe) == 0 && read && sizes == bySize->size();
}

}  // namespace

// Usage as above; `--round K` runs round K alone, in this process, for the process that started it.
int main(int argc, char** argv) {
  const int largest = int(BenchOption(argc, argv, "--max", 8000));
  if (BenchOption(argc, argv, "--round", 0) > 0) return RunRound(argc, argv, largest);
  printf("each size logged in %d times, once in each of %d processes, the median of each figure kept\n", kRuns,
         kRuns);
  fflush(stdout);
  std::vector<std::vector<Figures>> bySize;
  for (int round = 1; round <= kRuns; ++round) {
    double first = 0;
    if (!RunRoundProcess(round, largest, &bySize, &first)) {
      fprintf(stderr, "round %d failed\n", round);
      return 1;
    }
    if (round == 1) {
      printf("the program's first log-in, 1000 contacts:\n");
      Print("worst pause during the log-in", first, "ms", kPauseLimitMs);
    }
  }
  std::vector<Figures> all;
  double pace = 0;
  for (std::vector<Figures>& runs : bySize) {
    // The work of each run at the pace of the first size's runs.
    if (all.empty()) pace = Median(runs).yardstickMs;
    std::vector<double> leaveWorks;
    for (Figures& run : runs) {
      run.logInWorkMs *= pace / run.yardstickMs;
      run.leaveWorkMs *= pace / run.yardstickMs;
      for (double work : run.leaveWorksMs) leaveWorks.push_back(work * pace / run.yardstickMs);
    }
    all.push_back(Median(runs));
    all.back().leaveWorkMs = benchFigures::Median(leaveWorks);
    Print(all.back());
    PrintRuns("the best yardstick of each run", runs, &Figures::yardstickMs);
    PrintRuns("the log-in's work in each run", runs, &Figures::logInWorkMs);
    PrintRuns("everyone going's work, each run's median", runs, &Figures::leaveWorkMs);
    if (all.size() > 1) {
      const Figures& before = all[all.size() - 2];
      printf("  from %d to %d contacts:\n", before.count, all.back().count);
      Print("growth of the log-in's work", all.back().logInWorkMs / before.logInWorkMs, "x", kGrowthLimit);
      Print("growth of everyone going's work", all.back().leaveWorkMs / before.leaveWorkMs, "x", kGrowthLimit);
    }
    fflush(stdout);
  }
  return benchFigures::Verdict();
}
