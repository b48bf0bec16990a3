// Twenty transfers at once in the file-transfers window: each reports its progress fifty times
// a second (five times the controller's pace), for several rounds of rows made, followed to
// the end and cleared. Measured: the worst pause of the GUI thread (a 10 ms ticker's longest
// gap) against the same ticker with nothing to do, and the resident memory after each round.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/benchApp.h"
#include "gui/rooms/filesFrame.h"
#include "model/config.h"
#include "model/fileMessage.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTransfers = 20;
constexpr long kSize = 100L << 20;

// Runs the event loop for `seconds`, calling `step` every `everyMs`; the worst gap between two
// ticks of a 10 ms ticker, in milliseconds.
double Run(double seconds, int everyMs, const std::function<void()>& step) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  const auto end = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
  double worst = 0;
  auto last = Clock::now();
  wxTimer ticker, feeder;
  ticker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    const auto now = Clock::now();
    worst = std::max(worst, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
    if (now >= end) loop.Exit();
  });
  feeder.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { step(); });
  ticker.Start(10);
  if (step) feeder.Start(everyMs);
  loop.Run();
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = int(BenchOption(argc, argv, "--rounds", 3));
  const std::string home = MakeBenchHome("fileswindow");
  if (home.empty() || !StartBenchApp(argc, argv)) return 1;
  Config::SetPath(PARLAVOX_SOURCE_DATA);
  auto* frame = new FilesFrame(nullptr, nullptr);
  frame->Show();
  Run(1.0, 0, nullptr);
  const double idle = Run(2.0, 0, nullptr);
  const long before = ResidentKiB();
  double worstOfAll = 0;
  for (int round = 0; round < rounds; ++round) {
    long done = 0;
    int ended = 0;
    const double worst = Run(6.0, 20, [&] {
      done = std::min(kSize, done + kSize / 200);
      for (int t = 0; t < kTransfers; ++t) {
        const t_fm_status status = done == kSize ? FM_COMPLETE : done <= kSize / 200 ? FM_STARTED : FM_IN_PROGRESS;
        if (status == FM_COMPLETE && ended > t) continue;
        if (status == FM_COMPLETE) ++ended;
        const std::string key = "r" + std::to_string(round) + "t" + std::to_string(t);
        frame->UpdateFileTransfertStatus(FileMessage("http://bench.example/", "bob", "Bob", "file" + std::to_string(t),
                                                     key, key, "127.0.0.1", 6891, 0, t % 2 == 0, status, done, kSize,
                                                     done * 10.0));
      }
    });
    worstOfAll = std::max(worstOfAll, worst);
    wxCommandEvent clear(wxEVT_BUTTON);
    for (bool download : {true, false}) {
      clear.SetId(frame->GetClearButton(download)->GetId());
      clear.SetEventObject(frame->GetClearButton(download));
      frame->GetEventHandler()->ProcessEvent(clear);
    }
    Run(0.5, 0, nullptr);
    printf("round %d: %d transfers to the end, worst pause of the GUI thread %.1f ms; resident %+ld KiB\n", round + 1,
           kTransfers, worst, ResidentKiB() - before);
  }
  printf("worst pause %.1f ms against the 100 ms a user notices: ratio %.2f (limit 1.00); idle anchor %.1f ms\n",
         worstOfAll, worstOfAll / 100.0, idle);
  const bool within = worstOfAll <= 100.0;
  if (!within) printf("FAILED: the worst pause is over its limit\n");
  frame->Destroy();
  Run(0.2, 0, nullptr);
  std::string cleanup = "rm -rf " + home;
  return system(cleanup.c_str()) == 0 && within ? 0 : 1;
}
