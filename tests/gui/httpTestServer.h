// A one-connection-at-a-time HTTP server on loopback for the download tests. Each path gets a
// scripted reply: a status, a body, a declared length that may exceed the body (the connection
// then closes early) or none at all (the end of the connection ends the body), and optionally a
// pause halfway through the body until Release() (or until the client gives up), or a body
// sent a byte at a time (until the client gives up).
#ifndef PARLAVOX_TESTS_GUI_HTTPTESTSERVER_H
#define PARLAVOX_TESTS_GUI_HTTPTESTSERVER_H

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace guitest {

class HttpTestServer {
 public:
  struct Reply {
    // A constructor rather than an aggregate: GCC 12 takes a table of aggregates holding one for
    // uninitialised when a later member of the row may throw.
    Reply(int status = 200, std::string body = std::string(), long declaredLength = -1, bool holdHalfway = false,
          bool announceLength = true, int trickleMilliseconds = 0)
        : status(status), body(std::move(body)), declaredLength(declaredLength), holdHalfway(holdHalfway),
          announceLength(announceLength), trickleMilliseconds(trickleMilliseconds) {}
    int status;
    std::string body;
    long declaredLength;  // -1: the body's size
    bool holdHalfway;
    bool announceLength;
    int trickleMilliseconds;  // a pause before each byte of the body
  };

  HttpTestServer() {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len);
    listen(m_listen, 8);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] {
      while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) Answer(accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC));
      }
    });
  }
  ~HttpTestServer() {
    m_stop = true;
    Release();
    m_thread.join();
    close(m_listen);
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
  void Serve(const std::string& path, const Reply& reply) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replies[path] = reply;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_cond.notify_all();
  }
  int Requests() const { return m_requests; }
  bool Holding() const { return m_holding; }

 private:
  void Answer(int fd) {
    std::string request;
    char buffer[1024];
    for (ssize_t n; request.find("\r\n\r\n") == std::string::npos && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
      request.append(buffer, static_cast<size_t>(n));
    ++m_requests;
    const auto start = request.find(' ') + 1;
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto found = m_replies.find(request.substr(start, request.find(' ', start) - start));
    const Reply reply = found != m_replies.end() ? found->second : Reply{404, "no such file"};
    lock.unlock();
    const long length = reply.declaredLength >= 0 ? reply.declaredLength : long(reply.body.size());
    const size_t half = reply.holdHalfway ? reply.body.size() / 2 : reply.body.size();
    const std::string announced =
        reply.announceLength ? "Content-Length: " + std::to_string(length) + "\r\n" : std::string();
    Send(fd, "HTTP/1.1 " + std::to_string(reply.status) + " X\r\n" + announced + "Connection: close\r\n\r\n");
    if (reply.trickleMilliseconds > 0) {
      Trickle(fd, reply);
      close(fd);
      return;
    }
    Send(fd, reply.body.substr(0, half));
    lock.lock();
    m_holding = reply.holdHalfway;
    // Held until released, or until the client gives up.
    while (reply.holdHalfway && !m_released && recv(fd, buffer, 1, MSG_PEEK | MSG_DONTWAIT) < 0)
      m_cond.wait_for(lock, std::chrono::milliseconds(20));
    m_holding = false;
    lock.unlock();
    Send(fd, reply.body.substr(half));
    close(fd);
  }
  static bool Send(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // Byte after byte, until the body is out, the client is gone or the server stops.
  void Trickle(int fd, const Reply& reply) {
    char peek;
    for (char byte : reply.body) {
      std::this_thread::sleep_for(std::chrono::milliseconds(reply.trickleMilliseconds));
      if (m_stop || recv(fd, &peek, 1, MSG_PEEK | MSG_DONTWAIT) == 0 || !Send(fd, std::string(1, byte))) return;
    }
  }

  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false}, m_holding{false};
  std::atomic<int> m_requests{0};
  std::mutex m_mutex;
  std::condition_variable m_cond;
  bool m_released = false;
  std::map<std::string, Reply> m_replies;
  std::thread m_thread;
};

}  // namespace guitest

#endif
