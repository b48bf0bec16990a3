#include "network/listenSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "model/log.h"

int OpenListenSocket(uint32_t address, unsigned short port, int backlog, unsigned short* boundPort) {
  TRACE_START_ARGS("%u", static_cast<unsigned>(port));
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    TRACE_END_RESULT("no socket");
    return -1;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(port);
  socketAddress.sin_addr.s_addr = htonl(address);
  socklen_t length = sizeof socketAddress;
  if (bind(fd, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&socketAddress), &length) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    TRACE_END_RESULT("cannot listen");
    return -1;
  }
  if (boundPort) *boundPort = ntohs(socketAddress.sin_port);
  TRACE_END_RESULT("%u", static_cast<unsigned>(ntohs(socketAddress.sin_port)));
  return fd;
}
