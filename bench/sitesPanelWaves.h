// Waves of people arriving on one open site and leaving it, for the sites panel bench: each
// wave's time until the panel shows the exact counts, its growth per doubling and the worst pause
// of the GUI thread meanwhile.
#ifndef PARLAVOX_BENCH_SITESPANELWAVES_H
#define PARLAVOX_BENCH_SITESPANELWAVES_H

#include <wx/app.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/benchApp.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "widgets/myStaticText.h"

namespace sitesbench {

constexpr double kGrowthLimit = 2.3;
constexpr double kLargestWaveLimitS = 2.0;
constexpr double kPauseLimitMs = 50.0;
constexpr double kWaveTimeoutS = 600.0;

// Each figure also less the time the GUI thread meanwhile waited for a processor that other
// programs held (what the panel's own work made of it, which the limits are checked on: on a
// shared machine the wall-clock figures measure the other programs as much).
struct WaveFigures {
  double seconds = 0;
  double ownSeconds = 0;
  double worstPauseMs = 0;
  double worstOwnPauseMs = 0;
  bool exact = false;
};

// Whether the updates ask for the arrival and leaving notices (as the settings then decide).
inline bool& WaveNotices() {
  static bool notices = true;
  return notices;
}

// One in three of the people is in the site's room as well.
inline URLContactInfo WavePerson(const std::string& url, int i, bool leaving, int onSite) {
  const std::string login = "wave" + std::to_string(i);
  ContactInfo person(login, "Wave " + std::to_string(i), "", "", leaving ? STATUS_OFFLINE : STATUS_ONLINE, "", "", 0,
                     0, 0, "", "", false);
  if (i % 3 == 0 && !leaving) person.SubscribeTo(url);
  return URLContactInfo(url, onSite, person, WaveNotices(), leaving, false);
}

inline std::string Shown(MyStaticText* label) { return label->GetInnerText()->GetLabelText().ToStdString(); }

// Feeds `count` updates, `batch` of them between two turns of the event loop, and turns the loop
// until `settled` holds: the time from the first update on, and the longest gap between two ticks
// of a 1 ms timer meanwhile.
inline WaveFigures RunWave(int count, int batch, const std::function<void(int)>& feed,
                           const std::function<bool()>& settled) {
  using Clock = std::chrono::steady_clock;
  WaveFigures figures;
  Clock::time_point last = Clock::now();
  double lastWaited = WaitedForProcessorMs();
  auto gap = [&] {
    const Clock::time_point now = Clock::now();
    const double waited = WaitedForProcessorMs();
    const double ms = std::chrono::duration<double, std::milli>(now - last).count() - 1;
    figures.worstPauseMs = std::max(figures.worstPauseMs, ms);
    figures.worstOwnPauseMs = std::max(figures.worstOwnPauseMs, ms - (waited - lastWaited));
    last = now;
    lastWaited = waited;
  };
  wxTimer tick;
  tick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { gap(); });
  // The loop is turned once before the wave, so that the first tick's gap is the wave's own.
  tick.Start(1);
  wxTheApp->Yield(true);
  const Clock::time_point start = Clock::now();
  const double startWaited = WaitedForProcessorMs();
  last = start;
  lastWaited = startWaited;
  figures.worstPauseMs = figures.worstOwnPauseMs = 0;
  int fed = 0;
  while (true) {
    for (int i = 0; i < batch && fed < count; ++i) feed(fed++);
    wxTheApp->Yield(true);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if ((fed == count && settled()) || elapsed > kWaveTimeoutS) {
      figures.seconds = elapsed;
      figures.ownSeconds = elapsed - (WaitedForProcessorMs() - startWaited) / 1000;
      figures.exact = fed == count && settled();
      break;
    }
  }
  // The gap up to the end of the wave counts too.
  gap();
  tick.Stop();
  return figures;
}

// Whether the panel shows `onSite` people, `inRoom` of them in the room, in its labels and list.
inline bool Shows(SitesPanel* sites, const std::string& url, int onSite, int inRoom) {
  SitePanel* panel = sites->FindSitePanel(url);
  return panel && panel->GetNbrUsers() == onSite && Shown(panel->GetUsersLabel()) == std::to_string(onSite) &&
         Shown(panel->GetChatRoomUsersLabel()) == std::to_string(inRoom);
}

struct SizeFigures {
  int people = 0;
  WaveFigures arriving;
  WaveFigures leaving;
};

// The best of `repeat` runs of one size's waves (arrivals, then departures) on a site of its own.
inline SizeFigures MeasureSize(SitesPanel* sites, int people, int batch, int repeat) {
  SizeFigures best;
  best.people = people;
  for (int run = 0; run < repeat; ++run) {
    const std::string url = "http://wave" + std::to_string(people) + "-" + std::to_string(run) + ".example/";
    sites->AddSitePanel(URLInfo(url, SITE_DEFAULT, 1, 0, 0, 7.5f, "", 99, "", nullptr),
                        wxString::FromUTF8(url.c_str() + 7));
    const int inRoom = (people + 2) / 3;
    const WaveFigures arriving =
        RunWave(people, batch, [&](int i) { sites->UpdateContact(WavePerson(url, i, false, i + 1)); },
                [&] { return Shows(sites, url, people, inRoom); });
    const WaveFigures leaving =
        RunWave(people, batch, [&](int i) { sites->UpdateContact(WavePerson(url, i, true, people - i - 1)); },
                [&] { return Shows(sites, url, 0, 0); });
    sites->RemoveURL(url);
    wxTheApp->Yield(true);
    if (run == 0 || arriving.ownSeconds < best.arriving.ownSeconds) best.arriving = arriving;
    if (run == 0 || leaving.ownSeconds < best.leaving.ownSeconds) best.leaving = leaving;
  }
  return best;
}

// Prints one direction's figures and growth; false when over a limit.
inline bool Report(const char* what, const std::vector<SizeFigures>& sizes, WaveFigures SizeFigures::*wave) {
  bool passed = true;
  for (size_t i = 0; i < sizes.size(); ++i) {
    const WaveFigures& figures = sizes[i].*wave;
    printf("%s %5d people: %7.3f s own (%7.3f s wall)%s, worst pause %6.1f ms own (%6.1f ms wall), ratio %.2f to "
           "the %.0f ms limit",
           what, sizes[i].people, figures.ownSeconds, figures.seconds, figures.exact ? "" : " (counts NOT exact)",
           figures.worstOwnPauseMs, figures.worstPauseMs, figures.worstOwnPauseMs / kPauseLimitMs, kPauseLimitMs);
    passed = passed && figures.exact && figures.worstOwnPauseMs <= kPauseLimitMs;
    if (i > 0) {
      const double growth = figures.ownSeconds / std::max(1e-6, (sizes[i - 1].*wave).ownSeconds);
      printf(", growth %.2fx per doubling (limit %.1fx)", growth, kGrowthLimit);
      passed = passed && growth <= kGrowthLimit;
    }
    if (sizes[i].people >= 8000) {
      printf(", ratio %.2f to the %.0f s limit", figures.ownSeconds / kLargestWaveLimitS, kLargestWaveLimitS);
      passed = passed && figures.ownSeconds <= kLargestWaveLimitS;
    }
    printf("\n");
  }
  return passed;
}

// The waves from 1,000 people up to --largest, doubling; false when a limit is passed.
inline bool RunWaves(SitesPanel* sites, int argc, char** argv) {
  const int largest = int(BenchOption(argc, argv, "--largest", 8000));
  const int batch = std::max(1, int(BenchOption(argc, argv, "--batch", 50)));
  const int repeat = std::max(1, int(BenchOption(argc, argv, "--repeat", 2)));
  WaveNotices() = BenchOption(argc, argv, "--notices", 1) != 0;
  std::vector<SizeFigures> sizes;
  for (int people = 1000; people <= largest; people *= 2) {
    sizes.push_back(MeasureSize(sites, people, batch, repeat));
    fflush(stdout);
  }
  printf("waves of people on one site, %d updates a turn, best of %d runs, notices %s:\n", batch, repeat,
         WaveNotices() ? "asked for" : "not asked for");
  const bool arriving = Report("arriving", sizes, &SizeFigures::arriving);
  const bool leaving = Report("leaving ", sizes, &SizeFigures::leaving);
  printf("waves: %s\n", arriving && leaving ? "within the limits" : "OVER A LIMIT");
  fflush(stdout);
  return arriving && leaving;
}

}  // namespace sitesbench

#endif
