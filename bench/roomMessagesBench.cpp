// A busy room: the server sends 10,000 messages into a room the user is in, as fast as its link
// takes them. Measured: messages handled per second by the controller, from the first byte sent
// to the last message the window stand-in is handed, against decoding the same bytes alone on
// one thread (the anchor); the events posted per message; and the heap kept after a second
// round of 10,000, per message, against the size of the event that carries one.
#include <malloc.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "asn1/octetString.h"
#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "model/message.h"
#include "bench/controllerBench.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

const int kMessages = 10000;
const char kRoom[] = "http://www.busy.example.com/";

// Stands in for the main window: counts what it is handed.
class Counter : public wxEvtHandler {
 public:
  Counter() {
    Bind(wxEVT_RECEIVE_NEW_MESSAGE, &Counter::OnMessage, this);
    Bind(wxEVT_RECEIVE_KEY_TYPED, &Counter::OnOther, this);
    Bind(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, &Counter::OnOther, this);
    Bind(wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, &Counter::OnOther, this);
  }
  void OnMessage(wxCommandEvent&) { ++messages; }
  void OnOther(wxCommandEvent&) { ++others; }
  size_t messages = 0, others = 0;
};

std::string Burst() {
  std::string bytes;
  for (int i = 0; i < kMessages; ++i) {
    auto m = NewS2C(S2C_Request_PR_message);
    Fill(&m->choice.message.authkey, "K1");
    Fill(&m->choice.message.site, kRoom);
    Fill(&m->choice.message.login, "user" + std::to_string(i % 50));
    Fill(&m->choice.message.message, "message number " + std::to_string(i) + " :) with some words in it");
    m->choice.message.time = 1700000000 + i;
    bytes += EncodeS2C(*m);
  }
  return bytes;
}

void Pump() {
  do {
    wxAppConsole::GetInstance()->ProcessPendingEvents();
  } while (wxAppConsole::GetInstance()->ProcessIdle() || wxAppConsole::GetInstance()->HasPendingEvents());
}

// Seconds until every message of one burst has been handed to the counter, or -1.
double Round(TestConnection& link, Counter& counter, const std::string& bytes) {
  counter.messages = counter.others = 0;
  Clock::time_point start = Clock::now();
  link.SendBytes(bytes);
  Clock::time_point deadline = start + std::chrono::seconds(120);
  while (counter.messages < static_cast<size_t>(kMessages) && Clock::now() < deadline) {
    if (wxAppConsole::GetInstance()->HasPendingEvents())
      wxAppConsole::GetInstance()->ProcessPendingEvents();
    else if (!wxAppConsole::GetInstance()->ProcessIdle())  // the controller goes on with a long inbox
      wxMilliSleep(1);
  }
  Pump();
  return counter.messages == static_cast<size_t>(kMessages) ? std::chrono::duration<double>(Clock::now() - start).count()
                                                             : -1;
}

// Seconds to decode the burst on this thread, nothing else done with it.
double DecodeAlone(const std::string& bytes) {
  Clock::time_point start = Clock::now();
  size_t offset = 0;
  int decoded = 0;
  while (offset < bytes.size()) {
    void* value = nullptr;
    asn_dec_rval_t r = ber_decode(nullptr, &asn_DEF_S2C_Request, &value, bytes.data() + offset, bytes.size() - offset);
    ASN_STRUCT_FREE(asn_DEF_S2C_Request, value);
    if (r.code != RC_OK) break;
    offset += r.consumed;
    ++decoded;
  }
  return decoded == kMessages ? std::chrono::duration<double>(Clock::now() - start).count() : -1;
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer wx(argc, argv);
  ControllerBench bench("roombench");
  TestServer& server = bench.server;

  Counter counter;
  Manager manager;
  manager.SetNextHandler(&counter);
  manager.Connect("alice", "secret", false, "127.0.0.1", server.Port(), true, false);
  auto link = server.Accept();
  if (!link || !link->Expect(C2S_Request_PR_connect)) return 1;
  auto ack = NewS2C(S2C_Request_PR_connect_ack);
  Fill(&ack->choice.connect_ack.authkey, "K1");
  Fill(&ack->choice.connect_ack.version, "2.0");
  auto subscribed = NewS2C(S2C_Request_PR_suburlack);
  Fill(&subscribed->choice.suburlack.site, kRoom);
  link->SendBytes(EncodeS2C(*ack) + EncodeS2C(*subscribed));
  for (Clock::time_point end = Clock::now() + std::chrono::seconds(10);
       !manager.HasSubscribedTo(kRoom) && Clock::now() < end;)
    Pump();
  if (!manager.HasSubscribedTo(kRoom)) return 1;

  std::string bytes = Burst();
  double first = Round(*link, counter, bytes);
  size_t heapBefore = mallinfo2().uordblks;
  double second = Round(*link, counter, bytes);
  size_t heapAfter = mallinfo2().uordblks;
  double decode = DecodeAlone(bytes);
  if (first < 0 || second < 0 || decode < 0) {
    fprintf(stderr, "the burst did not complete\n");
    return 1;
  }
  double rate = kMessages / second;
  printf("%d messages: %.0f handled per second (first round %.0f), %.2f events posted per message\n", kMessages, rate,
         kMessages / first, static_cast<double>(counter.messages + counter.others) / kMessages);
  printf("anchor, decoding alone: %.0f per second; controller / anchor: ratio %.2f\n", kMessages / decode,
         rate / (kMessages / decode));
  long grown = static_cast<long>(heapAfter) - static_cast<long>(heapBefore);
  double event = sizeof(ManagerEvent) + sizeof(Message) + 2 * 64;
  printf("heap kept after the second round: %ld bytes, %.1f per message; one message's event is about %.0f bytes: "
         "ratio %.3f (limit 1.00)\n",
         grown, static_cast<double>(grown) / kMessages, event, grown / (event * kMessages));
  manager.Disconnect(true, false);
  const bool within = grown <= event * kMessages;
  if (!within) printf("FAILED: the heap kept is over its limit\n");
  return bench.RemoveDir() == 0 && within ? 0 : 1;
}
