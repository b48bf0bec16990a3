// Strangers passing through rooms: 190,000 distinct logins each enter a room and leave it again,
// as a busy site's presence updates bring them. Measured: the heap the controller still holds
// for them once they have gone, per login, beside the heap each login holds while it stays in a
// room (20,000 logins that enter and stay, measured in the same run). The records of those who
// left must not pile up: the ratio of the two stays under the limit.
#include <malloc.h>
#include <wx/app.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "asn1/octetString.h"
#include "bench/controllerBench.h"
#include "core/application.h"
#include "model/config.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

const int kStaying = 20000;
const int kPassing = 190000;
const double kLimit = 0.10;

class Counter : public wxEvtHandler {
 public:
  Counter() { Bind(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, &Counter::OnEvent, this); }
  void OnEvent(wxCommandEvent&) { ++count; }
  size_t count = 0;
};

std::string Update(const std::string& login, const std::string& room, bool entering) {
  auto u = NewS2C(S2C_Request_PR_updcontact);
  Fill(&u->choice.updcontact.authkey, "K1");
  Fill(&u->choice.updcontact.login, login);
  u->choice.updcontact.site = asn1::NewOctetString(room);
  u->choice.updcontact.nickname = asn1::NewOctetString("Passer-by " + login);
  u->choice.updcontact.status = asn1::NewValue<long>(entering ? 1 : 0);
  u->choice.updcontact.hasSubscribed = asn1::NewValue<BOOLEAN_t>(entering ? 1 : 0);
  u->choice.updcontact.nbrUsers = asn1::NewValue<long>(1);
  return EncodeS2C(*u);
}

void Run(const std::function<bool()>& until) {
  while (!until()) {
    if (wxAppConsole::GetInstance()->HasPendingEvents())
      wxAppConsole::GetInstance()->ProcessPendingEvents();
    else if (!wxAppConsole::GetInstance()->ProcessIdle())
      wxMilliSleep(1);
  }
}

}  // namespace

// Under the address sanitizer the heap is its own: ask it.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace {

size_t HeapInUse() {
  if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
  return mallinfo2().uordblks;
}

// Sends the updates of `count` logins (entering, and leaving when `leave`) and waits until the
// controller has handled them; returns the heap growth in bytes.
long Pass(TestConnection& link, Counter& counter, const std::string& prefix, const std::string& room, int count,
          bool leave) {
  Run([] { return !wxAppConsole::GetInstance()->HasPendingEvents(); });
  const size_t before = HeapInUse();
  const size_t expected = counter.count + static_cast<size_t>(count) * (leave ? 2 : 1);
  std::thread server([&] {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      const std::string login = prefix + std::to_string(i);
      bytes += Update(login, room, true);
      if (leave) bytes += Update(login, room, false);
      if (bytes.size() > (1 << 20) || i + 1 == count) {
        link.SendBytes(bytes);
        bytes.clear();
      }
    }
  });
  const Clock::time_point deadline = Clock::now() + std::chrono::minutes(5);
  Run([&] { return counter.count >= expected || Clock::now() > deadline; });
  server.join();
  Run([] { return !wxAppConsole::GetInstance()->HasPendingEvents(); });
  return static_cast<long>(HeapInUse()) - static_cast<long>(before);
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer wx(argc, argv);
  ControllerBench bench("strangersbench");
  Config::GetInstance()->SetLogin("alice");
  Counter counter;
  Manager manager;
  manager.SetNextHandler(&counter);
  auto link = bench.LogIn(manager, Run);
  if (!link) return 1;

  const long staying = Pass(*link, counter, "stay", "http://www.stay.example/", kStaying, false);
  const long passing = Pass(*link, counter, "pass", "http://www.pass.example/", kPassing, true);
  manager.Disconnect(true, false);
  Run([] { return !wxAppConsole::GetInstance()->HasPendingEvents(); });

  const double perStaying = static_cast<double>(staying) / kStaying;
  const double perPassing = static_cast<double>(passing) / kPassing;
  const double ratio = perPassing / (perStaying > 1 ? perStaying : 1);
  printf("%d logins that stay in a room: %+.1f MB held, %.0f bytes per login (the anchor)\n", kStaying,
         staying / 1048576.0, perStaying);
  printf("%d logins that entered and left: %+.1f MB held, %.0f bytes per login: ratio %.3f to the anchor "
         "(limit %.2f)\n",
         kPassing, passing / 1048576.0, perPassing, ratio, kLimit);
  const int cleaned = bench.RemoveDir();
  return ratio <= kLimit ? cleaned : 1;
}
