// What the connection-client tests share: a controller that records what the connection
// thread hands it, and a client running on a thread of its own against the test server.
#ifndef PARLAVOX_TESTS_CORE_CLIENTTESTSUPPORT_H
#define PARLAVOX_TESTS_CORE_CLIENTTESTSUPPORT_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "asn1/octetString.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "network/localServer.h"
#include "network/stateMachine.h"
#include "tests/testServer/trustedServer.h"

namespace clienttest {

using std::chrono::milliseconds;

class RecordingMachine : public StateMachine {
 public:
  // A controller unbinds itself from the extension listener before it goes.
  ~RecordingMachine() override { LocalServer::UnbindController(this); }
  void ConnectionAck(bool ok) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    acks.push_back(ok);
    m_cond.notify_all();
  }
  void LocalServerUnavailable() override {}
  void ProcessRequest(E2C_Request_t&) override {}
  void ProcessRequest(S2C_Request_t& request) override {
    if (onRequest) onRequest(request);
    std::lock_guard<std::mutex> lock(m_mutex);
    kinds.push_back(request.present);
    if (request.present == S2C_Request_PR_message) texts.push_back(asn1::ToString(request.choice.message.message));
    m_cond.notify_all();
  }
  // Waits until n requests arrived.
  bool WaitRequests(size_t n, milliseconds timeout = milliseconds(5000)) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, timeout, [&] { return kinds.size() >= n; });
  }
  std::vector<int> Kinds() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return kinds;
  }
  std::vector<bool> Acks() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return acks;
  }

  // Runs on the connection thread inside ProcessRequest, before the request is recorded.
  std::function<void(S2C_Request_t&)> onRequest;
  std::vector<int> kinds;
  std::vector<bool> acks;
  std::vector<std::string> texts;

 private:
  std::mutex m_mutex;
  std::condition_variable m_cond;
};

// A connection client whose Run goes on a thread of its own, as the controller starts it.
class RunningClient {
 public:
  RunningClient(RecordingMachine& machine, unsigned short port, bool proxy = false, unsigned short proxyPort = 0,
                t_status status = STATUS_ONLINE)
      : client(std::make_shared<ClientSideRequest>(&machine)) {
    client->SetupConnection("127.0.0.1", port, true, proxy, "127.0.0.1", proxyPort, "alice", "secret", status);
    ManageClientSideRequest body(client);
    m_thread = std::thread([this, body]() mutable {
      body();
      std::lock_guard<std::mutex> lock(m_mutex);
      m_ended = true;
      m_cond.notify_all();
    });
  }
  ~RunningClient() {
    if (m_thread.joinable()) m_thread.join();
  }
  // Waits until Run returned.
  bool WaitEnd(milliseconds timeout = milliseconds(5000)) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, timeout, [this] { return m_ended; });
  }

  std::shared_ptr<ClientSideRequest> client;

 private:
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  bool m_ended = false;
};

// A data directory holding the trust store (also the user directory) and a server behind it.
struct ClientSetUp : testserver::TrustedServer {
  ClientSetUp() {
    // The extension listener of the test process takes a free port, not the real one.
    ClientSideRequest::SetListenerPort(0);
    Config::SetPath(dir.path());
    Config::SetUserPath(dir.path());
  }
};

// Logs in: accepts the client, takes its connect and answers with a connection acknowledgement.
inline std::shared_ptr<testserver::TestConnection> LogIn(testserver::TestServer& server, RecordingMachine& machine,
                                                       const std::string& authkey = "K1") {
  auto link = server.Accept();
  if (!link || !link->Expect(C2S_Request_PR_connect)) return nullptr;
  auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
  testserver::Fill(&ack->choice.connect_ack.authkey, authkey);
  testserver::Fill(&ack->choice.connect_ack.version, "1.0");
  link->Send(*ack);
  if (!machine.WaitRequests(1)) return nullptr;
  return link;
}

}  // namespace clienttest

#endif
