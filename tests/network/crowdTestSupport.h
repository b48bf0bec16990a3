// A crowd of hostile clients on loopback, kept up by a thread of its own: each connection that
// the server drops is made again. Connections may come from any 127.x.y.z address.
#ifndef PARLAVOX_TESTS_NETWORK_CROWDTESTSUPPORT_H
#define PARLAVOX_TESTS_NETWORK_CROWDTESTSUPPORT_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace crowdtest {

enum class Kind {
  kSilent,        // connects and sends nothing
  kSlow,          // sends a byte now and then, never a whole request
  kStalledReader  // sends its request, then reads nothing (with a small receive window)
};

inline uint32_t Loopback(unsigned last) { return (127u << 24) | last; }

class Crowd {
 public:
  explicit Crowd(unsigned short port, std::string request = std::string())
      : m_port(port), m_request(std::move(request)) {}
  ~Crowd() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    for (Member& member : m_members)
      if (member.fd >= 0) close(member.fd);
  }
  // Before Start: count connections of a kind from one source address (host order).
  void Add(Kind kind, uint32_t source, size_t count) {
    for (size_t i = 0; i < count; ++i) m_members.push_back(Member{kind, source, -1, 0, 0, 0});
  }
  void Start() {
    m_thread = std::thread([this] { Loop(); });
  }
  size_t Connected() const { return m_connected; }
  size_t Connections() const { return m_connections; }

 private:
  struct Member {
    Kind kind;
    uint32_t source;
    int fd;
    long long nextByteMs;
    long long openedMs;
    long long nextTryMs;
  };

  static long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  int Open(const Member& member) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    timeval timeout{0, 200000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (member.kind == Kind::kStalledReader) {
      int small = 4096;
      setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(member.source);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
    address.sin_port = htons(m_port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
    if (member.kind == Kind::kStalledReader)
      (void)!send(fd, m_request.data(), m_request.size(), MSG_NOSIGNAL);
    if (member.kind == Kind::kSlow) (void)!send(fd, "G", 1, MSG_NOSIGNAL);
    ++m_connections;
    return fd;
  }

  void Loop() {
    std::vector<pollfd> fds;
    std::vector<Member*> polled;
    while (!m_stop) {
      long long now = NowMs();
      size_t connected = 0;
      fds.clear();
      polled.clear();
      for (Member& member : m_members) {
        if (member.fd < 0 && now >= member.nextTryMs) {
          member.fd = Open(member);
          member.openedMs = now;
          if (member.fd < 0) member.nextTryMs = now + 100;
        }
        if (member.fd < 0) continue;
        ++connected;
        if (member.kind == Kind::kSlow && now >= member.nextByteMs) {
          (void)!send(member.fd, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
          member.nextByteMs = now + 500;
        }
        fds.push_back({member.fd, POLLRDHUP, 0});
        polled.push_back(&member);
      }
      m_connected = connected;
      if (poll(fds.data(), fds.size(), 20) <= 0) continue;
      now = NowMs();
      for (size_t i = 0; i < fds.size(); ++i) {
        if (!(fds[i].revents & (POLLRDHUP | POLLHUP | POLLERR))) continue;
        close(polled[i]->fd);
        polled[i]->fd = -1;
        // One that was held a while comes back at once; one turned away at once, a little later.
        polled[i]->nextTryMs = now - polled[i]->openedMs >= 1000 ? now : now + 100;
      }
    }
  }

  unsigned short m_port;
  std::string m_request;
  std::vector<Member> m_members;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<size_t> m_connected{0};
  std::atomic<size_t> m_connections{0};
};

}  // namespace crowdtest

#endif
