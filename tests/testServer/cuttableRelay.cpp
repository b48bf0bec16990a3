#include "tests/testServer/cuttableRelay.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "network/listenSocket.h"

namespace testserver {

namespace {

// A classic socket filter that keeps nothing: the system drops each packet for the socket
// before its TCP sees it.
bool DropEverything(int fd, std::string* why) {
  static struct sock_filter nothing[] = {BPF_STMT(BPF_RET | BPF_K, 0)};
  struct sock_fprog program = {1, nothing};
  if (setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) == 0) return true;
  if (why) *why = std::string("the system refuses a socket filter: ") + strerror(errno);
  return false;
}

void LetEverythingThrough(int fd) {
  int unused = 0;
  setsockopt(fd, SOL_SOCKET, SO_DETACH_FILTER, &unused, sizeof unused);
}

// Waits a while for the client to acknowledge all the relay sent it: the filter drops only
// what comes in, so what the relay's system would send again after the cut would still reach
// the client, and count there as something received.
void AwaitAcknowledged(int fd) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int unacknowledged = 0;
  while (ioctl(fd, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0 &&
         std::chrono::steady_clock::now() < until) {
    poll(nullptr, 0, 5);
  }
}

int ConnectTo(unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  struct sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    fd = -1;
  }
  return fd;
}

}  // namespace

struct CuttableRelay::Link {
  int client = -1;
  int server = -1;
  std::atomic<bool> cut{false};
  std::atomic<bool> done{false};
};

CuttableRelay::CuttableRelay(unsigned short target) : m_target(target) {
  m_listen = OpenListenSocket(INADDR_LOOPBACK, 0, 16, &m_port);
  if (m_listen < 0) throw std::runtime_error("relay cannot listen");
  m_thread = std::thread([this] { AcceptLoop(); });
}

CuttableRelay::~CuttableRelay() {
  m_stop = true;
  shutdown(m_listen, SHUT_RDWR);
  if (m_thread.joinable()) m_thread.join();
  for (auto& t : m_workers) t.join();
  for (auto& link : m_links) {
    close(link->client);
    close(link->server);
  }
  close(m_listen);
}

bool CuttableRelay::Cut(std::string* why) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // New connections first: their first packet is dropped as the rest.
  if (!DropEverything(m_listen, why)) return false;
  for (auto& link : m_links) {
    if (link->done) continue;
    link->cut = true;
    AwaitAcknowledged(link->client);
    if (!DropEverything(link->client, why)) return false;
  }
  return true;
}

void CuttableRelay::Open() {
  std::lock_guard<std::mutex> lock(m_mutex);
  LetEverythingThrough(m_listen);
  // The server gave the cut links up long ago, as a real one does after its heart-beats.
  for (auto& link : m_links)
    if (link->cut) shutdown(link->server, SHUT_RDWR);
}

void CuttableRelay::Restore() {
  std::lock_guard<std::mutex> lock(m_mutex);
  LetEverythingThrough(m_listen);
  for (auto& link : m_links) {
    if (!link->cut) continue;
    LetEverythingThrough(link->client);
    link->cut = false;
  }
}

void CuttableRelay::AcceptLoop() {
  while (!m_stop) {
    struct pollfd p{m_listen, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    auto link = std::make_shared<Link>();
    link->client = client;
    link->server = ConnectTo(m_target);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_links.push_back(link);
    if (link->server < 0) {
      shutdown(client, SHUT_RDWR);
      link->done = true;
      continue;
    }
    ++m_relayed;
    m_workers.emplace_back([this, link] { Pass(link); });
  }
}

void CuttableRelay::Pass(const std::shared_ptr<Link>& link) {
  char buffer[16384];
  while (!m_stop && !link->done) {
    struct pollfd p[2] = {{link->client, POLLIN, 0}, {link->server, POLLIN, 0}};
    // A cut link is read no more on either side: nothing of the server reaches the client.
    if (poll(p, link->cut ? 0 : 2, 100) <= 0 || link->cut) continue;
    for (int i = 0; i < 2 && !link->done; ++i) {
      if (!p[i].revents) continue;
      const int from = i == 0 ? link->client : link->server;
      const int to = i == 0 ? link->server : link->client;
      ssize_t n = recv(from, buffer, sizeof buffer, 0);
      bool ok = n > 0;
      for (ssize_t sent = 0; ok && sent < n;) {
        ssize_t r = send(to, buffer + sent, n - sent, MSG_NOSIGNAL);
        ok = r > 0;
        sent += ok ? r : 0;
      }
      if (!ok) {
        shutdown(link->client, SHUT_RDWR);
        shutdown(link->server, SHUT_RDWR);
        link->done = true;
      }
    }
  }
}

}  // namespace testserver
