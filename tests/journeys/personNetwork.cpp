#include "tests/journeys/personNetwork.h"

#include "tests/journeys/ownNetwork.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace journeys {

namespace {

int CurrentNamespace() {
  return open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
}

sockaddr_in Loopback(unsigned short port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A socket made in the network `space` (-1: this thread's own): a socket stays in the network it
// was made in, whichever network its user is in later.
int SocketIn(int space) {
  int before = -1;
  if (space >= 0) {
    before = CurrentNamespace();
    if (before < 0 || setns(space, CLONE_NEWNET) != 0) {
      if (before >= 0) close(before);
      return -1;
    }
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (before >= 0) {
    (void)setns(before, CLONE_NEWNET);
    close(before);
  }
  return fd;
}

}  // namespace

bool PersonNetwork::Possible(std::string* why) {
  PersonNetwork probe;
  if (!probe.Ready()) *why = std::string("no network of one's own: ") + strerror(errno);
  return probe.Ready();
}

PersonNetwork::PersonNetwork() {
  // Made by a thread of its own, so that no other thread of the test changes network.
  std::thread([this] {
    if (unshare(CLONE_NEWNET) == 0 && LoopbackUp()) m_namespace = CurrentNamespace();
  }).join();
}

PersonNetwork::~PersonNetwork() {
  // Every relay ends: its sockets shut wake its threads (which start no more once stopped).
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
      for (int fd : m_sockets) shutdown(fd, SHUT_RDWR);
      threads.swap(m_threads);
    }
    if (threads.empty()) break;
    for (std::thread& thread : threads) thread.join();
  }
  for (int fd : m_sockets) close(fd);
  if (m_namespace >= 0) close(m_namespace);
}

unsigned short PersonNetwork::Relay(unsigned short port, unsigned short target, const PersonNetwork* to,
                                    size_t bytesPerSecond) {
  const int listener = SocketIn(m_namespace);
  if (listener < 0) return 0;
  const int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address = Loopback(port);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    return 0;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_sockets.push_back(listener);
  m_threads.emplace_back(&PersonNetwork::Serve, this, listener, target, to ? to->m_namespace : -1, bytesPerSecond);
  return ntohs(address.sin_port);
}

void PersonNetwork::Serve(int listener, unsigned short target, int targetNamespace, size_t bytesPerSecond) {
  while (!m_stop) {
    const int in = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (in < 0) {
      if (errno == EINTR) continue;
      return;
    }
    const int out = SocketIn(targetNamespace);
    const sockaddr_in address = Loopback(target);
    if (out < 0 || connect(out, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(in);
      if (out >= 0) close(out);
      continue;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop) {
      close(in);
      close(out);
      return;
    }
    m_sockets.push_back(in);
    m_sockets.push_back(out);
    m_threads.emplace_back(&PersonNetwork::Pass, this, in, out, bytesPerSecond);
    m_threads.emplace_back(&PersonNetwork::Pass, this, out, in, bytesPerSecond);
  }
}

void PersonNetwork::Pass(int from, int to, size_t bytesPerSecond) {
  char buffer[64 * 1024];
  // Slowed: small pieces, each passed on no sooner than the rate allows since the link opened.
  const size_t piece =
      bytesPerSecond ? std::min(sizeof buffer, std::max<size_t>(bytesPerSecond / 20, 1)) : sizeof buffer;
  const auto start = std::chrono::steady_clock::now();
  size_t passed = 0;
  for (;;) {
    const ssize_t got = recv(from, buffer, piece, 0);
    if (got > 0 && bytesPerSecond) {
      passed += static_cast<size_t>(got);
      std::this_thread::sleep_until(start + std::chrono::microseconds(passed * 1000000 / bytesPerSecond));
    }
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (ssize_t sent = 0; sent < got;) {
      // A peer gone is an end like any other, not a signal that ends the test.
      const ssize_t put = send(to, buffer + sent, static_cast<size_t>(got - sent), MSG_NOSIGNAL);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        shutdown(from, SHUT_RD);
        return;
      }
      sent += put;
    }
  }
  // The end reaches the other side as it came: no more from this one.
  shutdown(to, SHUT_WR);
}

PersonNetwork::Inside::Inside(const PersonNetwork& network) : m_before(CurrentNamespace()) {
  if (m_before >= 0 && network.m_namespace >= 0) (void)setns(network.m_namespace, CLONE_NEWNET);
}

PersonNetwork::Inside::~Inside() {
  if (m_before < 0) return;
  (void)setns(m_before, CLONE_NEWNET);
  close(m_before);
}

}  // namespace journeys
