// Log-in of a large account: the server acknowledges the log-in and then sends an update for
// every saved contact and the opened room of every stored site, all at once. Measured: the time
// from the acknowledgement to the last event the controller posts, for 1,000, 2,000 and 4,000
// contacts (with a quarter as many sites), and how it grows.
#include <stdlib.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "bench/controllerBench.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

// Stands in for the main window: counts what it is handed.
class Counter : public wxEvtHandler {
 public:
  Counter() {
    Bind(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, &Counter::OnEvent, this);
    Bind(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, &Counter::OnEvent, this);
  }
  void OnEvent(wxCommandEvent&) { ++count; }
  size_t count = 0;
};

std::string Login(int i) {
  return "user" + std::to_string(i);
}

std::string Site(int i) {
  return "http://www.site" + std::to_string(i) + ".example.com/";
}

// What the server sends after the acknowledgement: one update per contact, one room per site.
std::string Burst(int contacts, int sites) {
  std::string bytes;
  for (int i = 0; i < contacts; ++i) {
    auto u = NewS2C(S2C_Request_PR_updcontact);
    Fill(&u->choice.updcontact.authkey, "K1");
    Fill(&u->choice.updcontact.login, Login(i));
    u->choice.updcontact.site = asn1::NewOctetString("none");
    u->choice.updcontact.status = asn1::NewValue<long>(1 + i % 4);
    u->choice.updcontact.nickname = asn1::NewOctetString("Nickname " + std::to_string(i));
    bytes += EncodeS2C(*u);
  }
  for (int i = 0; i < sites; ++i) {
    auto o = NewS2C(S2C_Request_PR_openurlok);
    Fill(&o->choice.openurlok.authkey, "K1");
    Fill(&o->choice.openurlok.site, Site(i));
    Fill(&o->choice.openurlok.idcomments, std::to_string(i));
    o->choice.openurlok.nbrUsers = i % 50;
    bytes += EncodeS2C(*o);
  }
  return bytes;
}

// The settings of an account of this size.
void MakeAccount(int contacts, int sites) {
  // The settings let go of removed records without freeing them.
  Config* config = Config::GetInstance();
  for (ContactInfo* contact : config->GetContacts()) delete contact;
  config->ClearContacts();
  for (URLInfo* site : config->GetAllURLInfo()) {
    config->RemoveURLInfo(site->GetURL());
    delete site;
  }
  config->SetLogin("alice");
  for (int i = 0; i < contacts; ++i)
    config->UpdateContact(new ContactInfo(Login(i), "Nickname", "", "", STATUS_OFFLINE, "", "", 0, 0, 0,
                                          "group" + std::to_string(i % 20), "parlavox", false));
  for (int i = 0; i < sites; ++i)
    config->AddURLInfo(new URLInfo(Site(i), SITE_OPEN, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr));
}

// Seconds from the acknowledgement to the last event, for one log-in.
double LogIn(TestServer& server, int contacts, int sites) {
  MakeAccount(contacts, sites);
  Counter counter;
  Manager manager;
  manager.SetNextHandler(&counter);
  manager.Connect("alice", "secret", false, "127.0.0.1", server.Port(), true, false);
  auto link = server.Accept();
  if (!link || !link->Expect(C2S_Request_PR_connect)) return -1;
  auto ack = NewS2C(S2C_Request_PR_connect_ack);
  Fill(&ack->choice.connect_ack.authkey, "K1");
  Fill(&ack->choice.connect_ack.version, "2.0");
  std::string bytes = EncodeS2C(*ack) + Burst(contacts, sites);
  wxAppConsole::GetInstance()->ProcessPendingEvents();
  counter.count = 0;
  Clock::time_point start = Clock::now();
  link->SendBytes(bytes);
  size_t expected = static_cast<size_t>(contacts + sites);
  Clock::time_point deadline = start + std::chrono::seconds(120);
  while (counter.count < expected && Clock::now() < deadline) {
    if (wxAppConsole::GetInstance()->HasPendingEvents())
      wxAppConsole::GetInstance()->ProcessPendingEvents();
    else if (!wxAppConsole::GetInstance()->ProcessIdle())  // the controller goes on with a long inbox
      wxMilliSleep(1);
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  manager.Disconnect(true, false);
  return counter.count == expected ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer wx(argc, argv);
  ControllerBench bench("managerbench");
  TestServer& server = bench.server;

  const int sizes[] = {1000, 2000, 4000};
  double best[3];
  for (int k = 0; k < 3; ++k) {
    best[k] = 1e9;
    for (int run = 0; run < 3; ++run) {
      double seconds = LogIn(server, sizes[k], sizes[k] / 4);
      if (seconds < 0) {
        fprintf(stderr, "log-in of %d contacts did not complete\n", sizes[k]);
        return 1;
      }
      best[k] = std::min(best[k], seconds);
    }
    printf("%5d contacts, %4d sites: %8.1f ms from the acknowledgement to the last event (%.1f us each)\n",
           sizes[k], sizes[k] / 4, best[k] * 1e3, best[k] * 1e6 / (sizes[k] * 5 / 4));
  }
  printf("growth 1,000 -> 2,000: ratio %.2f (linear 2.00)\n", best[1] / best[0]);
  const double growth = best[2] / best[1];
  printf("growth 2,000 -> 4,000: ratio %.2f (linear 2.00, limit 2.50)\n", growth);
  if (growth > 2.5) printf("FAILED: the growth is over its limit\n");
  return bench.RemoveDir() == 0 && growth <= 2.5 ? 0 : 1;
}
