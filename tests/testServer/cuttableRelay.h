// A TCP relay on loopback between clients and a server whose way can be cut as a network cuts
// it: from then on the system itself drops every packet a client sends (a socket filter that lets
// nothing through, so not even an acknowledgement or an answer to a probe comes back), the relay
// sends nothing more, and new connections go unanswered, until the way opens again.
#ifndef PARLAVOX_TESTS_TESTSERVER_CUTTABLERELAY_H
#define PARLAVOX_TESTS_TESTSERVER_CUTTABLERELAY_H

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "network/sslManager.h"

namespace testserver {

// While one lives, the links connected watch for a silent peer with short figures: one that is
// gone is noticed within a few seconds (the system's probes start after a second at rest).
class ShortLinkWatch {
 public:
  ShortLinkWatch() : m_before(SSLManager::GetLinkWatch()) { SSLManager::SetLinkWatch({1, 1, 2, 2000}); }
  ~ShortLinkWatch() { SSLManager::SetLinkWatch(m_before); }
  ShortLinkWatch(const ShortLinkWatch&) = delete;
  ShortLinkWatch& operator=(const ShortLinkWatch&) = delete;

 private:
  SSLManager::LinkWatch m_before;
};

class CuttableRelay {
 public:
  // Relays every connection to 127.0.0.1:target.
  explicit CuttableRelay(unsigned short target);
  ~CuttableRelay();
  CuttableRelay(const CuttableRelay&) = delete;
  CuttableRelay& operator=(const CuttableRelay&) = delete;

  unsigned short Port() const { return m_port; }
  // Cuts the way; false, with the reason, when the system refuses to drop the packets.
  bool Cut(std::string* why);
  // Opens the way again: the links that were cut stay dead (their server side is closed), new
  // connections are relayed.
  void Open();
  // Opens the way again as a network does after a short outage: the links that were cut live
  // on, and what their systems send again now gets through.
  void Restore();
  int Relayed() const { return m_relayed; }

 private:
  struct Link;
  void AcceptLoop();
  void Pass(const std::shared_ptr<Link>& link);

  int m_listen = -1;
  unsigned short m_port = 0;
  unsigned short m_target;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_relayed{0};
  std::thread m_thread;
  std::mutex m_mutex;
  std::vector<std::shared_ptr<Link>> m_links;
  std::vector<std::thread> m_workers;
};

}  // namespace testserver

#endif
