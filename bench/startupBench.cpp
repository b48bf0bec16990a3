// Start-up and idle cost of the program: the time from the start of start-up to the main
// window on screen, against a bare frame shown in the same run; resident memory after start-up
// and after an idle spell; and the processor time used while idle (only the timers the program
// needs may wake it). Needs an X display (make bench runs it under Xvfb).
//
//   startupBench [--idle-seconds N]   (60 by default)
#include <sys/resource.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/benchApp.h"
#include "gui/appStartup.h"
#include "gui/mainFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

double CpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until `cond` holds or `seconds` pass.
void RunLoop(double seconds, bool (*cond)(wxWindow*), wxWindow* window) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  const auto end = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
  wxTimer tick;
  tick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (Clock::now() >= end || (cond && cond(window))) loop.Exit();
  });
  tick.Start(cond ? 1 : 250);
  loop.Run();
}

bool OnScreen(wxWindow* w) { return w->IsShownOnScreen(); }

class Prompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string& text) override { fprintf(stderr, "start-up failed: %s\n", text.c_str()); }
  bool AskSetAside(const std::string&) override { return true; }
  bool AskRetryBackup(const std::string&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
  const double idleSeconds = BenchOption(argc, argv, "--idle-seconds", 60);
  const std::string home = MakeBenchHome("startup");
  if (home.empty()) return 1;
  if (!getenv("PARLAVOX_DATA")) setenv("PARLAVOX_DATA", PARLAVOX_SOURCE_DATA, 1);

  if (!StartBenchApp(argc, argv)) return 1;
  // The anchor: a bare frame with a few controls, shown (the second one: the first pays for
  // loading the theme, which the program's start-up then finds done).
  double anchorMs = 0;
  for (int round = 0; round < 2; ++round) {
    auto start = Clock::now();
    auto* bare = new wxFrame(nullptr, wxID_ANY, "anchor", wxDefaultPosition, wxSize(370, 600));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (int i = 0; i < 4; ++i) sizer->Add(new wxButton(bare, wxID_ANY, "button"));
    bare->SetSizer(sizer);
    bare->Show();
    RunLoop(10, OnScreen, bare);
    anchorMs = Ms(start);
    bare->Destroy();
    RunLoop(0.2, nullptr, nullptr);
  }

  const long before = ResidentKiB();
  auto start = Clock::now();
  wxLocale locale;
  Prompter prompter;
  MainFrame* frame = startup::StartApplication(locale, prompter);
  if (!frame) return 1;
  RunLoop(10, OnScreen, frame);
  const double startupMs = Ms(start);
  const long afterStart = ResidentKiB();

  const double cpuBefore = CpuSeconds();
  RunLoop(idleSeconds, nullptr, nullptr);
  const double idleCpu = CpuSeconds() - cpuBefore;
  const long afterIdle = ResidentKiB();

  printf("start-up to the main window shown: %.1f ms; a bare frame: %.1f ms; ratio %.2f\n", startupMs, anchorMs,
         startupMs / anchorMs);
  printf("resident memory: %ld KiB before start-up, %ld KiB after (+%ld), %ld KiB after %.0f s idle (%+ld)\n", before,
         afterStart, afterStart - before, afterIdle, idleSeconds, afterIdle - afterStart);
  printf("processor time while idle for %.0f s: %.3f s (%.3f%% of one core; the bench's own 4 Hz check included)\n",
         idleSeconds, idleCpu, 100 * idleCpu / idleSeconds);
  frame->Destroy();
  startup::EndApplication();
  std::string cleanup = std::string("rm -rf ") + home;
  if (system(cleanup.c_str()) != 0) return 1;
  return 0;
}
