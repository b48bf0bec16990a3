// What the benchmarks that show windows share: their option, a fresh home, the resident memory
// and the tool kit started with an application that does nothing of its own at start.
#ifndef PARLAVOX_BENCH_BENCHAPP_H
#define PARLAVOX_BENCH_BENCHAPP_H

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/timer.h>

#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

class BenchApp : public wxApp {
 public:
  // The program's own start-up reads every image type; so do the benches.
  bool OnInit() override {
    wxInitAllImageHandlers();
    return true;
  }
};

// The number given as `option N` on the command line, else `fallback`.
inline double BenchOption(int argc, char** argv, const char* option, double fallback) {
  double value = fallback;
  for (int i = 1; i + 1 < argc; ++i)
    if (!strcmp(argv[i], option)) value = atof(argv[i + 1]);
  return value;
}

// A fresh folder "/tmp/parlavox-<name>-XXXXXX" made the user's home, with X11 as the display's
// back end; empty when it cannot be made.
inline std::string MakeBenchHome(const char* name) {
  std::string home = std::string("/tmp/parlavox-") + name + "-XXXXXX";
  if (!mkdtemp(&home[0])) return "";
  setenv("HOME", home.c_str(), 1);
  setenv("GDK_BACKEND", "x11", 0);
  return home;
}

// The resident memory of the process.
inline long ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = fopen("/proc/self/statm", "r")) {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A failed check of the tool kit is printed; a dialog would stop the measure.
inline void PrintBenchAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                             const wxString& msg) {
  fprintf(stderr, "wx assertion at %s:%d in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
          static_cast<const char*>(func.utf8_str()), static_cast<const char*>(cond.utf8_str()),
          static_cast<const char*>(msg.utf8_str()));
}

// False, with a message, when the tool kit cannot start (no X display).
inline bool StartBenchApp(int argc, char** argv) {
  wxSetAssertHandler(PrintBenchAssert);
  wxApp::SetInstance(new BenchApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    fprintf(stderr, "no X display\n");
    return false;
  }
  // An error message would wait in a dialog for someone to close it: it is printed instead.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  return true;
}

// The processor time the calling thread has used (ms): its own work, without the time it slept
// or waited for a processor.
inline double ThreadWorkMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// How long the calling thread has waited, runnable, for a processor since it began (ms); 0 where
// the system does not say.
inline double WaitedForProcessorMs() {
  FILE* file = fopen("/proc/thread-self/schedstat", "r");
  if (!file) return 0;
  unsigned long long ran = 0, waited = 0;
  const bool read = fscanf(file, "%llu %llu", &ran, &waited) == 2;
  fclose(file);
  return read ? double(waited) / 1e6 : 0;
}

struct LoopPauses {
  double worst = 0;  // the longest gap between two ticks of a 1 ms timer (the tick taken off), ms
  // The longest gap less the time the thread meanwhile waited for a processor that other
  // programs held: what the thread's own work and waits made of it (measured when asked).
  double worstOwn = 0;
  // When the longest gap ended, in seconds from the start of the run.
  double worstAt = 0;
};

// Runs the event loop until done() holds or the time is up; the worst pauses of the GUI thread
// meanwhile.
inline LoopPauses RunLoopPauses(double seconds, const std::function<bool()>& done, bool own) {
  using Clock = std::chrono::steady_clock;
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
  const Clock::time_point begun = Clock::now();
  Clock::time_point last = begun;
  double lastWaited = own ? WaitedForProcessorMs() : 0;
  LoopPauses pauses;
  wxTimer tick;
  tick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    const Clock::time_point now = Clock::now();
    const double gap = std::chrono::duration<double, std::milli>(now - last).count() - 1;
    if (gap > pauses.worst) {
      pauses.worst = gap;
      pauses.worstAt = std::chrono::duration<double>(now - begun).count();
    }
    if (own) {
      const double waited = WaitedForProcessorMs();
      pauses.worstOwn = std::max(pauses.worstOwn, gap - (waited - lastWaited));
      lastWaited = waited;
    }
    last = now;
    // A handler may run the loop a little itself (the tick then comes from inside it).
    if (now >= end || (done && done())) loop.ScheduleExit();
  });
  tick.Start(1);
  loop.Run();
  return pauses;
}

// The worst pause of the GUI thread while the event loop runs (RunLoopPauses), in milliseconds.
inline double RunLoop(double seconds, const std::function<bool()>& done) {
  return RunLoopPauses(seconds, done, false).worst;
}

#endif
