// A burst of contact requests with the real main window on screen, its event loop running: the
// server sends 500 requests to add the user at once (each with a message of 100 characters),
// and the contacts manager, shown, lists them all. Measured: the worst pause of the GUI thread
// (the longest gap between two ticks of a 1 ms timer) until the last row is listed, beside an
// idle spell of the same run and the 100 ms limit, as ratios; the time to list them all; the
// window's height before and after (it must not grow); the time "Clear all" takes.
// Needs an X display (make bench runs it under Xvfb).
//
//   requestsBench [--requests N]   (500 by default)
#include <wx/app.h>
#include <wx/button.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/loggedInBench.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/mainFrame.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

const double kLimitMs = 100;

std::string Requests(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    auto ask = NewS2C(S2C_Request_PR_addcontactask);
    Fill(&ask->choice.addcontactask.authkey, "K1");
    Fill(&ask->choice.addcontactask.login, "user" + std::to_string(i));
    Fill(&ask->choice.addcontactask.nickname, "User number " + std::to_string(i));
    Fill(&ask->choice.addcontactask.message, "request " + std::to_string(i) + " " + std::string(90, 'm'));
    bytes += EncodeS2C(*ask);
  }
  return bytes;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int count = static_cast<int>(BenchOption(argc, argv, "--requests", 500));
  LoggedInBench bench;
  if (!bench.Start(argc, argv, "requests")) return 1;
  ContactsShortFrame* requests = nullptr;
  for (wxWindow* child : bench.frame->GetChildren())
    if (auto* found = dynamic_cast<ContactsShortFrame*>(child)) requests = found;
  if (!requests) return 1;
  bench.frame->OnSwitchContactsManager();
  requests->Move(20, 20);
  RunLoop(5, [&] { return requests->IsShownOnScreen(); });
  RunLoop(1, nullptr);
  const double idleMs = RunLoop(2, nullptr);
  const int heightBefore = requests->GetSize().y;

  bench.link->SendBytes(Requests(count));
  const Clock::time_point start = Clock::now();
  const double pauseMs =
      RunLoop(300, [&] { return requests->GetRequestRows().size() >= static_cast<size_t>(count); });
  const double listMs = Ms(Clock::now() - start);
  RunLoop(1, nullptr);
  const size_t listed = requests->GetRequestRows().size();
  const int heightAfter = requests->GetSize().y;

  const Clock::time_point clearing = Clock::now();
  requests->RemoveContactEvents();
  const double clearMs = Ms(Clock::now() - clearing);
  RunLoop(1, nullptr);

  printf("%zu of %d requests listed in %.0f ms (%.2f ms a request)\n", listed, count, listMs, listMs / count);
  printf("worst pause of the GUI thread while listing: %.1f ms; idle: %.1f ms: ratio %.2f to idle\n", pauseMs,
         idleMs, pauseMs / std::max(idleMs, 0.1));
  printf("worst pause against the %.0f ms a user notices: ratio %.2f (limit 1.00)\n", kLimitMs, pauseMs / kLimitMs);
  printf("window height: %d px before, %d px after: ratio %.2f (limit 1.00)\n", heightBefore, heightAfter,
         double(heightAfter) / heightBefore);
  printf("\"Clear all\" of %zu rows: %.1f ms\n", listed, clearMs);
  bench.frame->Close(true);
  RunLoop(5, [&] { return MainFrame::GetInstance() == nullptr; });
  const bool within = pauseMs <= kLimitMs && heightAfter <= heightBefore;
  if (!within) printf("FAILED: a figure is over its limit\n");
  if (getenv("REQUESTS_KEEP")) return within ? 0 : 1;
  return system(("rm -rf '" + bench.dir + "'").c_str()) == 0 && within ? 0 : 1;
}
