// A small HTTP proxy for tests: it answers CONNECT requests and relays the tunnel's bytes.
#ifndef PARLAVOX_TESTS_TESTSERVER_FAKEPROXY_H
#define PARLAVOX_TESTS_TESTSERVER_FAKEPROXY_H

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testserver {

class FakeProxy {
 public:
  struct Options {
    // The status line sent back; anything but 2xx refuses the tunnel and closes.
    std::string statusLine = "HTTP/1.1 200 Connection established";
    // When true, the reply goes out in two pieces with a pause between them.
    bool splitReply = false;
  };

  FakeProxy();
  explicit FakeProxy(const Options& options);
  ~FakeProxy();
  FakeProxy(const FakeProxy&) = delete;
  FakeProxy& operator=(const FakeProxy&) = delete;

  unsigned short Port() const { return m_port; }
  // Every request head received so far, byte for byte (up to and including the empty line).
  std::vector<std::string> Requests();
  // Tunnels that were opened to their target.
  int TunnelsOpened() const { return m_tunnels; }

 private:
  void AcceptLoop();
  void Serve(int fd);

  Options m_options;
  int m_listen = -1;
  unsigned short m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_tunnels{0};
  std::thread m_thread;
  std::mutex m_mutex;
  std::vector<std::string> m_requests;
  std::vector<std::thread> m_workers;
};

}  // namespace testserver

#endif
