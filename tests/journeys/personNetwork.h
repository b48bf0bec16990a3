// A loopback network of one person's own, inside the journeys' network: the program's extension
// listener has a fixed port, so two programs on one machine need two networks. The person's
// programs (and the curl playing their browser) start inside it; a port there is relayed to the
// server's port outside, and others' ports (a peer's file server) can be relayed in the same way.
#ifndef PARLAVOX_TESTS_JOURNEYS_PERSONNETWORK_H
#define PARLAVOX_TESTS_JOURNEYS_PERSONNETWORK_H

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace journeys {

class PersonNetwork {
 public:
  // False, with the reason, where the system gives no network namespaces.
  static bool Possible(std::string* why);

  PersonNetwork();
  ~PersonNetwork();
  PersonNetwork(const PersonNetwork&) = delete;
  PersonNetwork& operator=(const PersonNetwork&) = delete;

  bool Ready() const { return m_namespace >= 0; }
  // Listens on 127.0.0.1:`port` in this network (0: any free port) and passes every connection
  // on to 127.0.0.1:`target` in the network of `to` (null: the journeys' own); the port
  // listened on, 0 when it could not. With a rate, each way passes no more than that many bytes
  // a second, as a slow line would.
  unsigned short Relay(unsigned short port, unsigned short target, const PersonNetwork* to = nullptr,
                       size_t bytesPerSecond = 0);

  // While one lives, this thread (and every process it starts) is in the person's network.
  class Inside {
   public:
    explicit Inside(const PersonNetwork& network);
    ~Inside();
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

   private:
    int m_before;
  };

 private:
  struct Link;
  void Serve(int listener, unsigned short target, int targetNamespace, size_t bytesPerSecond);
  void Pass(int from, int to, size_t bytesPerSecond);

  int m_namespace = -1;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<int> m_sockets;
  std::vector<std::thread> m_threads;
};

}  // namespace journeys

#endif
