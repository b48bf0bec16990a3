// The sites panel under load, as the main window feeds it: 200 sites opened one every 50 ms
// (about what the extension sends when a browser restores its tabs), 50 people arriving on one
// site, then every site closed; twice. Measured: the worst pause of the GUI thread (a 10 ms timer's
// late ticks) in each phase, against an idle window (the anchor), and the resident memory kept
// after each round.
#include <malloc.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/benchApp.h"
#include "core/application.h"
#include "tests/support/nullSiteListener.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/subscribeChatRoomListener.h"
#include "model/config.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"

using Clock = std::chrono::steady_clock;

namespace {

// Ticks every 10 ms and keeps the longest gap between two ticks.
class PauseMeter : public wxTimer {
 public:
  PauseMeter() { Start(10); }
  void Reset() {
    worst = 0;
    last = Clock::now();
  }
  void Notify() override {
    const Clock::time_point now = Clock::now();
    const double gap = std::chrono::duration<double, std::milli>(now - last).count();
    if (gap > worst) worst = gap;
    last = now;
  }
  double worst = 0;
  Clock::time_point last = Clock::now();
};

// Runs the event loop for `ms`, calling `step` every `every` ms.
void Run(int ms, int every, const std::function<void(int)>& step) {
  const Clock::time_point start = Clock::now();
  int done = 0;
  while (Clock::now() - start < std::chrono::milliseconds(ms)) {
    const int due = every > 0 ? int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() / every) : 0;
    while (step && done <= due) step(done++);
    wxTheApp->Yield(true);
    wxMilliSleep(2);
  }
}

std::string SiteUrl(int i) { return "http://site" + std::to_string(i) + ".example/"; }

URLContactInfo Person(const std::string& url, int i) {
  ContactInfo person("person" + std::to_string(i), "Person " + std::to_string(i), "", "", STATUS_ONLINE, "", "", 0,
                     0, 0, "", "", false);
  if (i % 3 == 0) person.SubscribeTo(url);
  return URLContactInfo(url, i + 1, person, true, false, false);
}

}  // namespace

int main(int argc, char** argv) {
  const int sites = int(BenchOption(argc, argv, "--sites", 200));
  const int people = int(BenchOption(argc, argv, "--people", 50));
  if (MakeBenchHome("sites").empty() || !StartBenchApp(argc, argv)) return 1;
  if (const char* data = getenv("PARLAVOX_DATA")) Config::SetPath(data);
  testsupport::NullSiteListener listener;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Sites", wxPoint(50, 50), wxSize(370, 600));
  auto* panel = new SitesPanel(GetManager(), frame, &listener);
  frame->Show();
  PauseMeter meter;
  Run(500, 0, nullptr);
  meter.Reset();
  Run(2000, 0, nullptr);
  const double idle = meter.worst;
  printf("idle window: worst pause %.1f ms\n", idle);
  const long start = ResidentKiB();
  for (int round = 1; round <= 2; ++round) {
    meter.Reset();
    Run(sites * 50 + 500, 50, [&](int i) {
      if (i < sites) panel->AddSitePanel(URLInfo(SiteUrl(i), SITE_DEFAULT, 1, 0, i, 7.5f, "", 99, "", nullptr),
                                         wxString::FromUTF8(SiteUrl(i).c_str() + 7));
    });
    const double opening = meter.worst;
    meter.Reset();
    Run(people * 20 + 500, 20, [&](int i) {
      if (i < people) panel->UpdateContact(Person(SiteUrl(0), i));
    });
    const double arriving = meter.worst;
    const long open = ResidentKiB();
    meter.Reset();
    Run(sites * 10 + 500, 10, [&](int i) {
      if (i < sites) panel->RemoveURL(SiteUrl(i));
    });
    const double closing = meter.worst;
    Run(500, 0, nullptr);
    malloc_trim(0);
    const long after = ResidentKiB();
    printf("round %d: worst pause opening %d sites %.1f ms (ratio %.2f to 100 ms), %d people arriving %.1f ms "
           "(%.2f), closing %.1f ms (%.2f); resident %ld KiB open (%ld KiB a site), %ld KiB kept after closing\n",
           round, sites, opening, opening / 100, people, arriving, arriving / 100, closing, closing / 100, open,
           (open - start) / (sites > 0 ? sites : 1), after - start);
  }
  frame->Destroy();
  Run(200, 0, nullptr);
  wxEntryCleanup();
  return 0;
}
