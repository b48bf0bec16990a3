// People arriving on an open site and leaving it, on the whole main window logged in over a real
// TLS link to the protocol test server (not the sites panel alone): 1,000, 2,000, 4,000 and 8,000
// people, each size on a site of its own that the server opens, one in three of them in the site's
// room too. The server sends everyone's arrival at once, as fast as the link takes it, then
// everyone's leaving. Measured, for each wave: the time from the first update sent until the site
// shows the exact counts, and the GUI thread's processor time meanwhile; the worst pause of the
// GUI thread (the late ticks of a 1 ms timer, less the time it waited for a processor that other
// programs held). Each size runs three times and each figure is the median. The 8,000 arrivals
// are checked against 0.5 s, the pauses against 50 ms; the program exits non-zero when a figure is
// over its limit or a count never came right.
// Usage: mainWindowSitesBench [--max N] (the largest size, 8000 by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "bench/loggedInBench.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "model/urlInfo.h"
#include "widgets/myStaticText.h"

using Clock = std::chrono::steady_clock;
using namespace testserver;

namespace {

const int kRuns = 3;
const double kArrivalLimitMs = 500.0;  // for 8,000 people
const double kPauseLimitMs = 50.0;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Shown(MyStaticText* label) { return label->GetInnerText()->GetLabelText().ToStdString(); }

std::string Opened(const std::string& url, int people) {
  auto o = NewS2C(S2C_Request_PR_openurlok);
  Fill(&o->choice.openurlok.authkey, "K1");
  Fill(&o->choice.openurlok.site, url);
  Fill(&o->choice.openurlok.idcomments, "1");
  o->choice.openurlok.nbrUsers = people;
  return EncodeS2C(*o);
}

// One person's arrival on the site or leaving it, as the server reports it.
std::string Person(const std::string& url, int i, bool leaving, int onSite) {
  auto u = NewS2C(S2C_Request_PR_updcontact);
  Fill(&u->choice.updcontact.authkey, "K1");
  Fill(&u->choice.updcontact.login, "visitor" + std::to_string(i));
  u->choice.updcontact.site = asn1::NewOctetString(url);
  u->choice.updcontact.status = asn1::NewValue<long>(leaving ? STATUS_OFFLINE : STATUS_ONLINE);
  if (!leaving) u->choice.updcontact.nickname = asn1::NewOctetString("Visitor " + std::to_string(i));
  u->choice.updcontact.nbrUsers = asn1::NewValue<long>(onSite);
  u->choice.updcontact.hasSubscribed = asn1::NewValue<int>(!leaving && i % 3 == 0);
  return EncodeS2C(*u);
}

struct Wave {
  double ms = 0, workMs = 0, pauseMs = 0;
  bool exact = true;
};

struct Figures {
  int people = 0;
  Wave arriving, leaving;
};

class Bench {
 public:
  explicit Bench(LoggedInBench& session) : m_session(session) {}

  // The main window's sites panel, found once.
  SitesPanel* Sites() {
    if (!m_sites) m_sites = FindWindowOf<SitesPanel>(m_session.frame);
    return m_sites;
  }

  // Whether the site shows `onSite` people, `inRoom` of them in its room, in its labels and list.
  bool Shows(const std::string& url, int onSite, int inRoom) {
    SitePanel* panel = Sites() ? Sites()->FindSitePanel(url) : nullptr;
    return panel && panel->GetNbrUsers() == onSite && Shown(panel->GetUsersLabel()) == std::to_string(onSite) &&
           Shown(panel->GetChatRoomUsersLabel()) == std::to_string(inRoom);
  }

  Figures Measure(int people) {
    Figures f;
    f.people = people;
    const std::string url = "http://visit" + std::to_string(people) + "-" + std::to_string(m_sitesOpened++) + ".example/";
    Config::GetInstance()->AddURLInfo(new URLInfo(url, SITE_OPEN, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr));
    m_session.link->SendBytes(Opened(url, 0));
    RunLoop(10, [&] { return Shows(url, 0, 0); });
    std::string arriving, leaving;
    for (int i = 0; i < people; ++i) {
      arriving += Person(url, i, false, i + 1);
      leaving += Person(url, i, true, people - i - 1);
    }
    RunLoop(0.3, nullptr);
    f.arriving = Run(arriving, [&] { return Shows(url, people, (people + 2) / 3); });
    RunLoop(0.3, nullptr);
    f.leaving = Run(leaving, [&] { return Shows(url, 0, 0); });
    return f;
  }

 private:
  Wave Run(const std::string& bytes, const std::function<bool()>& settled) {
    Wave wave;
    const double cpu = ThreadWorkMs();
    const Clock::time_point start = Clock::now();
    m_session.link->SendBytes(bytes);
    const LoopPauses pauses = RunLoopPauses(60, settled, true);
    wave.ms = Ms(Clock::now() - start);
    wave.workMs = ThreadWorkMs() - cpu;
    wave.pauseMs = pauses.worstOwn;
    wave.exact = settled();
    return wave;
  }

  LoggedInBench& m_session;
  SitesPanel* m_sites = nullptr;
  int m_sitesOpened = 0;
};

double MedianOf(const std::vector<Figures>& runs, Wave Figures::*wave, double Wave::*figure) {
  std::vector<double> values;
  for (const Figures& run : runs) values.push_back(run.*wave.*figure);
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int g_over = 0;

void Print(const char* what, double value, double limit) {
  const double ratio = value / limit;
  if (ratio > 1) ++g_over;
  printf("    %-40s %9.2f ms  limit %8.2f ms  ratio %.2f%s\n", what, value, limit, ratio, ratio > 1 ? "  OVER" : "");
}

void PrintWave(const char* what, const std::vector<Figures>& runs, Wave Figures::*wave, double limitMs) {
  char label[64];
  snprintf(label, sizeof label, "%s, the site's counts exact", what);
  const double ms = MedianOf(runs, wave, &Wave::ms);
  if (limitMs > 0) Print(label, ms, limitMs);
  else printf("    %-40s %9.2f ms\n", label, ms);
  printf("      the GUI thread's work                %9.2f ms\n", MedianOf(runs, wave, &Wave::workMs));
  Print("  worst pause meanwhile", MedianOf(runs, wave, &Wave::pauseMs), kPauseLimitMs);
  for (const Figures& run : runs) {
    if ((run.*wave).exact) continue;
    printf("    the counts never came right\n");
    ++g_over;
    break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int largest = int(BenchOption(argc, argv, "--max", 8000));
  LoggedInBench session;
  if (!session.Start(argc, argv, "mainwindowsites")) return 1;
  Bench bench(session);
  if (!bench.Sites()) return 1;
  printf("each size run %d times, the median of each figure kept\n", kRuns);
  for (int people = 1000; people <= largest; people *= 2) {
    std::vector<Figures> runs;
    for (int run = 0; run < kRuns; ++run) runs.push_back(bench.Measure(people));
    printf("%d people on one open site, the whole main window on a TLS link:\n", people);
    PrintWave("arriving", runs, &Figures::arriving, people >= 8000 ? kArrivalLimitMs : 0);
    PrintWave("leaving", runs, &Figures::leaving, 0);
    fflush(stdout);
  }
  session.manager->Disconnect(true, false);
  session.frame->Destroy();
  RunLoop(0.3, nullptr);
  wxEntryCleanup();
  printf(g_over ? "FAILED: %d figure(s) over their limit\n" : "passed: %d figure(s) over their limit\n", g_over);
  return g_over ? 1 : 0;
}
