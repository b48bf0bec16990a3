#include "tests/testServer/fakeProxy.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "network/listenSocket.h"

namespace testserver {

namespace {

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t r = send(fd, data, size, MSG_NOSIGNAL);
    if (r <= 0) return false;
    data += r;
    size -= r;
  }
  return true;
}

}  // namespace

FakeProxy::FakeProxy() : FakeProxy(Options()) {}

FakeProxy::FakeProxy(const Options& options) : m_options(options) {
  m_listen = OpenListenSocket(INADDR_LOOPBACK, 0, 16, &m_port);
  if (m_listen < 0) throw std::runtime_error("proxy cannot listen");
  m_thread = std::thread([this] { AcceptLoop(); });
}

FakeProxy::~FakeProxy() {
  m_stop = true;
  shutdown(m_listen, SHUT_RDWR);
  if (m_thread.joinable()) m_thread.join();
  for (auto& t : m_workers) t.join();
  close(m_listen);
}

std::vector<std::string> FakeProxy::Requests() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

void FakeProxy::AcceptLoop() {
  while (!m_stop) {
    struct pollfd p{m_listen, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    m_workers.emplace_back([this, fd] { Serve(fd); });
  }
}

void FakeProxy::Serve(int client) {
  std::string head;
  char c;
  while (head.size() < 8192 && (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0)) {
    struct pollfd p{client, POLLIN, 0};
    if (m_stop || poll(&p, 1, 5000) <= 0 || recv(client, &c, 1, 0) != 1) {
      close(client);
      return;
    }
    head.push_back(c);
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(head);
  }
  char host[256];
  int port = 0;
  bool ok = m_options.statusLine.find(" 2") != std::string::npos;
  int server = -1;
  if (ok && sscanf(head.c_str(), "CONNECT %255[^:]:%d HTTP/1.1\r\n", host, &port) == 2) {
    struct addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo* list = nullptr;
    if (getaddrinfo(host, std::to_string(port).c_str(), &hints, &list) == 0) {
      server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (connect(server, list->ai_addr, list->ai_addrlen) != 0) {
        close(server);
        server = -1;
      }
      freeaddrinfo(list);
    }
  }
  std::string reply = (!ok || server >= 0 ? m_options.statusLine : std::string("HTTP/1.1 502 Bad Gateway")) +
                      "\r\nProxy-agent: test\r\n\r\n";
  if (m_options.splitReply && server >= 0) {
    SendAll(client, reply.data(), 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SendAll(client, reply.data() + 10, reply.size() - 10);
  } else {
    SendAll(client, reply.data(), reply.size());
  }
  if (server < 0) {
    shutdown(client, SHUT_RDWR);
    close(client);
    return;
  }
  ++m_tunnels;
  char buf[16384];
  bool open = true;
  while (open && !m_stop) {
    struct pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (poll(p, 2, 100) <= 0) continue;
    for (int i = 0; i < 2 && open; ++i) {
      if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t r = recv(p[i].fd, buf, sizeof buf, 0);
      if (r <= 0 || !SendAll(p[1 - i].fd, buf, r)) open = false;
    }
  }
  shutdown(client, SHUT_RDWR);
  shutdown(server, SHUT_RDWR);
  close(client);
  close(server);
}

}  // namespace testserver
