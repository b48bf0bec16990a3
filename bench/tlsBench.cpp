// TLS link on loopback: round-trip latency of one request and its answer, and messages per
// second each way, between the connection objects and the protocol test server.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "asn1/request.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"
#include "network/imSslManager.h"
#include "network/stateMachine.h"
#include "tests/testServer/testServer.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

class CountingMachine : public StateMachine {
 public:
  void ConnectionAck(bool) override {}
  void LocalServerUnavailable() override {}
  void ProcessRequest(E2C_Request_t&) override {}
  void ProcessRequest(S2C_Request_t&) override {}
};

std::string HeartBeat() {
  auto r = NewS2C(S2C_Request_PR_heartbeat);
  Fill(&r->choice.heartbeat.authkey, "K1");
  return EncodeS2C(*r);
}

std::string ChatMessage(int i) {
  auto m = NewS2C(S2C_Request_PR_message);
  Fill(&m->choice.message.authkey, "K1");
  m->choice.message.time = 1700000000 + i;
  Fill(&m->choice.message.site, "http://www.example.com/some/page.html");
  Fill(&m->choice.message.login, "someone");
  Fill(&m->choice.message.message, "A chat line of ordinary length, some sixty characters long.");
  return EncodeS2C(*m);
}

}  // namespace

int main() {
  start_log("/dev/null");
  char dirTemplate[] = "/tmp/parlavox-tlsbench-XXXXXX";
  std::string dir = std::string(mkdtemp(dirTemplate)) + "/";
  Config::SetPath(dir);
  Config::SetUserPath(dir);
  ClientSideRequest::SetListenerPort(0);
  TestCa ca("Bench CA");
  ca.WriteTrustStore(dir + "parlavox.pem");
  TestServer::Options options;
  options.identity = ca.Issue(PARLAVOX_SERVER_HOST);
  TestServer server(options);

  // Round trips: a heartbeat answer from the client, a heartbeat back from the server.
  {
    IMSSLManager client;
    if (!client.ConnectTo("127.0.0.1", server.Port(), PARLAVOX_SERVER_HOST, true, dir, nullptr, 0)) return 1;
    auto link = server.Accept();
    const std::string answer = HeartBeat();
    auto ack = asn1::NewRequest<C2S_Request_t>();
    ack->present = C2S_Request_PR_heartbeatack;
    SetOctetString(&ack->choice.heartbeatack.authkey, std::string("K1"));
    const int kRounds = 5000;
    std::vector<double> micros;
    for (int i = 0; i < kRounds; ++i) {
      auto start = Clock::now();
      client.SendC2SRequest(ack.get());
      link->Next();
      link->SendBytes(answer);
      asn1::Request<S2C_Request_t> back(client.ReceiveS2CRequest());
      micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    printf("round trip over TLS (%d): median %.1f us, p99 %.1f us\n", kRounds, micros[kRounds / 2],
           micros[kRounds * 99 / 100]);
    client.CloseConnection();
  }

  // Client to server: chat messages through the connection client's sender.
  {
    CountingMachine machine;
    auto client = std::make_shared<ClientSideRequest>(&machine);
    client->SetupConnection("127.0.0.1", server.Port(), true, false, "", 0, "someone", "secret", STATUS_ONLINE);
    std::thread run{ManageClientSideRequest(client)};
    auto link = server.Accept();
    link->Next();  // connect
    const int kMessages = 50000;
    auto start = Clock::now();
    std::thread reader([&] {
      for (int i = 0; i < kMessages; ++i) link->Next(std::chrono::milliseconds(30000));
    });
    for (int i = 0; i < kMessages; ++i) {
      // A full queue refuses at once; the message is offered again once the writer made room.
      while (!client->SendMessage("K1", "http://www.example.com/some/page.html",
                                  "A chat line of ordinary length, some sixty characters long.")) {
        std::this_thread::yield();
      }
    }
    reader.join();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    printf("client to server: %d messages in %.2f s, %.0f messages/s\n", kMessages, seconds, kMessages / seconds);

    // Server to client: the connection thread decodes and hands each to the controller.
    std::string batch;
    for (int i = 0; i < 1000; ++i) batch += ChatMessage(i);
    IMSSLManager receiver;
    receiver.ConnectTo("127.0.0.1", server.Port(), PARLAVOX_SERVER_HOST, true, dir, nullptr, 0);
    auto link2 = server.Accept();
    start = Clock::now();
    for (int b = 0; b < kMessages / 1000; ++b) link2->SendBytes(batch);
    for (int i = 0; i < kMessages; ++i) asn1::Request<S2C_Request_t> r(receiver.ReceiveS2CRequest());
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    printf("server to client: %d messages in %.2f s, %.0f messages/s (%zu bytes each)\n", kMessages, seconds,
           kMessages / seconds, batch.size() / 1000);
    receiver.CloseConnection();
    link->Close();
    run.join();
  }
  std::string cleanup = "rm -rf '" + dir + "'";
  return system(cleanup.c_str()) == 0 ? 0 : 1;
}
