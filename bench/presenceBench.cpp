// Presence under load: the server sends 2,000 presence updates a second for ten seconds about
// 500 saved contacts, while the GUI thread reads every contact's record 200 times a second, as a
// contacts panel redrawing would. Measured: the updates the controller handles per second, and
// the worst wait of a GUI-thread read (from the moment it is due to the end of the read), beside
// the worst wait of the same reads with the server silent, measured in the same run.
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "asn1/octetString.h"
#include "bench/controllerBench.h"
#include "core/application.h"
#include "model/config.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

const int kContacts = 500;
const int kPerSecond = 2000;
const int kSeconds = 10;
const int kTicksPerSecond = 100;  // the server sends in bursts of 20
const auto kReadEvery = std::chrono::milliseconds(5);
const double kLimitMs = 100.0;  // a pause a user notices

std::string Login(int i) {
  return "user" + std::to_string(i);
}

class Counter : public wxEvtHandler {
 public:
  Counter() { Bind(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, &Counter::OnEvent, this); }
  void OnEvent(wxCommandEvent&) { ++count; }
  size_t count = 0;
};

// A burst of one tick: presence changes of consecutive contacts, starting at `first`.
std::string Burst(int first, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) {
    int n = first + i;
    auto u = NewS2C(S2C_Request_PR_updcontact);
    Fill(&u->choice.updcontact.authkey, "K1");
    Fill(&u->choice.updcontact.login, Login(n % kContacts));
    u->choice.updcontact.site = asn1::NewOctetString("none");
    u->choice.updcontact.status = asn1::NewValue<long>(1 + n % 4);
    bytes += EncodeS2C(*u);
  }
  return bytes;
}

// GUI-thread reads queued every few milliseconds by a ticker; each records how long after it
// was due it ended.
struct Reads {
  explicit Reads(Manager& manager) : manager(manager) {}
  void Start() {
    stop = false;
    ticker = std::thread([this] {
      while (!stop) {
        Clock::time_point due = Clock::now();
        manager.CallAfter([this, due] { Read(due); });
        std::this_thread::sleep_for(kReadEvery);
      }
    });
  }
  void Stop() {
    stop = true;
    ticker.join();
  }
  void Read(Clock::time_point due) {
    int online = 0;
    for (int i = 0; i < kContacts; ++i) {
      ContactInfo* contact = manager.GetContactInfo(Login(i));
      online += contact->GetStatus() != STATUS_OFFLINE && !manager.GetNickname(Login(i)).empty();
    }
    sink += online;
    worst = std::max(worst, std::chrono::duration<double, std::milli>(Clock::now() - due).count());
    ++done;
  }
  Manager& manager;
  std::thread ticker;
  std::atomic<bool> stop{false};
  double worst = 0;
  long done = 0;
  long sink = 0;
};

void Run(const std::function<bool()>& until) {
  while (!until()) {
    if (wxAppConsole::GetInstance()->HasPendingEvents())
      wxAppConsole::GetInstance()->ProcessPendingEvents();
    else if (!wxAppConsole::GetInstance()->ProcessIdle())  // the controller goes on with a long inbox
      wxMilliSleep(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer wx(argc, argv);
  ControllerBench bench("presencebench");
  Config* config = Config::GetInstance();
  config->SetLogin("alice");
  for (int i = 0; i < kContacts; ++i)
    config->UpdateContact(new ContactInfo(Login(i), "Nickname " + std::to_string(i), "", "", STATUS_OFFLINE, "", "",
                                          0, 0, 0, "group" + std::to_string(i % 10), "parlavox", false));
  Counter counter;
  Manager manager;
  manager.SetNextHandler(&counter);
  auto link = bench.LogIn(manager, Run);
  if (!link) return 1;

  // The anchor: the same reads for two seconds with the server silent.
  Reads idle(manager);
  idle.Start();
  Clock::time_point idleEnd = Clock::now() + std::chrono::seconds(2);
  Run([&] { return Clock::now() > idleEnd; });
  idle.Stop();
  Run([&] { return !wxAppConsole::GetInstance()->HasPendingEvents(); });

  const int perTick = kPerSecond / kTicksPerSecond;
  std::vector<std::string> bursts;
  for (int k = 0; k < kContacts / perTick * 4; ++k) bursts.push_back(Burst(k * perTick, perTick));
  counter.count = 0;
  std::atomic<bool> sent{false};
  Reads busy(manager);
  busy.Start();
  Clock::time_point start = Clock::now();
  std::thread server([&] {
    for (int tick = 0; tick < kSeconds * kTicksPerSecond; ++tick) {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(1000 / kTicksPerSecond) * tick);
      link->SendBytes(bursts[tick % bursts.size()]);
    }
    sent = true;
  });
  const size_t expected = static_cast<size_t>(kPerSecond) * kSeconds;
  const Clock::time_point deadline = start + std::chrono::seconds(kSeconds * 6);
  Run([&] { return (sent && counter.count >= expected) || Clock::now() > deadline; });
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  server.join();
  busy.Stop();
  Run([&] { return !wxAppConsole::GetInstance()->HasPendingEvents(); });
  manager.Disconnect(true, false);

  double handled = static_cast<double>(counter.count) / seconds;
  printf("%zu of %zu presence updates handled in %.2f s: %.0f per second (offered %d): ratio %.2f (limit 0.95)\n",
         counter.count, expected, seconds, handled, kPerSecond, handled / kPerSecond);
  printf("worst wait of a GUI-thread read of %d contacts: %.2f ms under load (%ld reads), %.2f ms idle (%ld reads): "
         "ratio %.2f to idle\n",
         kContacts, busy.worst, busy.done, idle.worst, idle.done, busy.worst / std::max(idle.worst, 0.001));
  printf("worst wait under load against the %.0f ms a user notices: ratio %.2f (limit 1.00)\n", kLimitMs,
         busy.worst / kLimitMs);
  const bool within = handled / kPerSecond >= 0.95 && busy.worst <= kLimitMs;
  if (!within) printf("FAILED: a figure is over its limit\n");
  return bench.RemoveDir() == 0 && within ? 0 : 1;
}
