// A TCP relay on loopback that passes bytes on to a port at a bounded rate, so that a transfer
// between two programs on one machine lasts long enough to be watched and cancelled half-way.
#ifndef PARLAVOX_TESTS_GUI_ROOMS_THROTTLEDRELAY_H
#define PARLAVOX_TESTS_GUI_ROOMS_THROTTLEDRELAY_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace guitest {

class ThrottledRelay {
 public:
  ThrottledRelay(unsigned short target, long bytesPerSecond) : m_target(target), m_rate(bytesPerSecond) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len);
    listen(m_listen, 8);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_accepting = std::thread([this] { Accept(); });
  }
  ~ThrottledRelay() {
    m_stop = true;
    m_accepting.join();
    for (std::thread& thread : m_threads) thread.join();
    close(m_listen);
  }
  unsigned short Port() const { return m_port; }

 private:
  static sockaddr_in Loopback(unsigned short port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    return addr;
  }
  void Accept() {
    while (!m_stop) {
      pollfd p{m_listen, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in addr = Loopback(m_target);
      if (client < 0 || connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(client);
        close(server);
        continue;
      }
      std::lock_guard<std::mutex> lock(m_mutex);
      m_threads.emplace_back([this, client, server] { Pass(client, server); });
    }
  }
  // Both ways until either side closes; each way no faster than the rate.
  void Pass(int a, int b) {
    const auto start = std::chrono::steady_clock::now();
    long long moved = 0;
    std::vector<char> buffer(16384);
    bool open = true;
    while (open && !m_stop) {
      pollfd p[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
      if (poll(p, 2, 50) <= 0) continue;
      for (int i = 0; i < 2 && open; ++i) {
        if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = recv(p[i].fd, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
          open = false;
          break;
        }
        for (ssize_t done = 0; done < n && open;) {
          const ssize_t sent = send(p[1 - i].fd, buffer.data() + done, size_t(n - done), MSG_NOSIGNAL);
          open = sent > 0;
          if (open) done += sent;
        }
        moved += n;
        const auto due = start + std::chrono::microseconds(moved * 1000000 / m_rate);
        while (!m_stop && std::chrono::steady_clock::now() < due) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    close(a);
    close(b);
  }

  unsigned short m_target;
  long m_rate;
  int m_listen = -1;
  unsigned short m_port = 0;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::thread m_accepting;
  std::vector<std::thread> m_threads;
};

}  // namespace guitest

#endif
