// What the stand-in server's tests share: the server program run as a child process, and
// users logged in to it through the client's own connection code, each recording everything
// the server sent it.
#ifndef PARLAVOX_TESTS_STANDIN_STANDINTESTSUPPORT_H
#define PARLAVOX_TESTS_STANDIN_STANDINTESTSUPPORT_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "asn1/request.h"
#include "core/clientSideRequest.h"
#include "network/stateMachine.h"
#include "tests/standin/standinProcess.h"
#include "tests/support/testSupport.h"

namespace standintest {

using std::chrono::milliseconds;
using S2CPtr = asn1::Request<S2C_Request_t>;
using Match = std::function<bool(const S2C_Request_t&)>;

// Points the client code of this process at the server's trust store, and starts the
// process's extension listener on a free port.
void PrepareClients(const std::string& dataDir, const std::string& userDir);

std::string Str(const OCTET_STRING_t& text);
// "(absent)" for an absent optional text.
std::string Str(const OCTET_STRING_t* text);

// One user on the server through a real ClientSideRequest running on its own thread.
class TestUser : public StateMachine {
 public:
  TestUser(unsigned short port, const std::string& login, const std::string& password = "",
           t_status status = STATUS_ONLINE);
  ~TestUser() override;

  // Waits for the connection acknowledgement; true once the log-in key is known.
  bool LoggedIn(milliseconds timeout = milliseconds(10000));
  const std::string& Key() const { return m_key; }
  ClientSideRequest& Link() { return *m_link; }
  const std::string& Login() const { return m_login; }

  // The first request received of the kind that matches (null after the time-out). A wait goes
  // once over the requests of its kind received so far, then at each wake-up only over those
  // that came since: what else the user received, and how much, costs it nothing.
  const S2C_Request_t* Wait(S2C_Request_PR kind, const Match& match = nullptr,
                            milliseconds timeout = milliseconds(10000));
  size_t Count(S2C_Request_PR kind, const Match& match = nullptr);
  // Waits until n requests of the kind came; true when they did.
  bool WaitCount(S2C_Request_PR kind, size_t n, milliseconds timeout = milliseconds(10000));
  // Returns once the server answered everything this user sent before (a check of a login
  // that the server answers in order).
  bool Sync();
  // Waits until the connection thread ended (the link closed).
  bool WaitEnd(milliseconds timeout = milliseconds(10000));

  void ConnectionAck(bool ok) override;
  void LocalServerUnavailable() override {}
  void ProcessRequest(E2C_Request_t&) override {}
  void ProcessRequest(S2C_Request_t& request) override;

 private:
  std::string m_login;
  std::shared_ptr<ClientSideRequest> m_link;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  // The requests received, in order, and the same by kind (the copies stay where they are as
  // more come, so a request handed out by Wait stays valid).
  std::vector<S2CPtr> m_received;
  std::map<S2C_Request_PR, std::vector<const S2C_Request_t*>> m_byKind;
  std::string m_key;
  bool m_ended = false;
  int m_syncs = 0;
};

}  // namespace standintest

#endif
