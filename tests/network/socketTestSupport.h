// Raw loopback sockets for the network tests.
#ifndef PARLAVOX_TESTS_NETWORK_SOCKETTESTSUPPORT_H
#define PARLAVOX_TESTS_NETWORK_SOCKETTESTSUPPORT_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <string>
#include <vector>

#include "network/listenSocket.h"

namespace sockettest {

// A connected socket to 127.0.0.1:port, or -1.
inline int Connect(unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A socket listening on a free loopback port, and the port.
inline int ListenOnFreePort(unsigned short* port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 1) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

// A loopback port on which nothing listens.
inline unsigned short ClosedPort() {
  unsigned short port = 0;
  close(ListenOnFreePort(&port));
  return port;
}

// Reads until the peer closes, the time runs out or limit bytes have come; *closed (when
// given) tells whether the peer closed.
inline std::string ReadAll(int fd, std::chrono::milliseconds timeout, bool* closed = nullptr,
                           size_t limit = 1 << 20) {
  std::string out;
  if (closed) *closed = false;
  auto end = std::chrono::steady_clock::now() + timeout;
  while (out.size() < limit) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[65536];
    ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
      if (closed) *closed = true;
      break;
    }
    out.append(buffer, static_cast<size_t>(got));
  }
  return out;
}

// A loopback port whose listener takes no more connections: its queue is kept full, so that
// a connection to it hangs (the system drops the connection requests).
struct HangingPort {
  HangingPort() {
    listener = OpenListenSocket(INADDR_LOOPBACK, 0, 0, &port);
    for (int i = 0; i < 2; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(port);
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      (void)!connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers.push_back(fd);
    }
  }
  ~HangingPort() {
    for (int fd : fillers) close(fd);
    close(listener);
  }
  int listener = -1;
  unsigned short port = 0;
  std::vector<int> fillers;
};

// Connects, sends the bytes and returns what came back before the peer closed or the time ran
// out ("connect failed" when nothing listens).
inline std::string Exchange(unsigned short port, const std::string& bytes, bool* closed = nullptr,
                            std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  int fd = Connect(port);
  if (fd < 0) return "connect failed";
  (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);  // a refused send shows in the answer
  std::string out = ReadAll(fd, timeout, closed);
  close(fd);
  return out;
}

}  // namespace sockettest

#endif
