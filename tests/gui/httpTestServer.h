// A small HTTP/1.1 server on loopback for the download tests. Each path gets a scripted reply:
// a status, a body, a declared length that may exceed the body (the connection then closes
// early), and optionally a pause after the first half of the body until Release().
#ifndef PARLAVOX_TESTS_GUI_HTTPTESTSERVER_H
#define PARLAVOX_TESTS_GUI_HTTPTESTSERVER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace guitest {

class HttpTestServer {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    long declaredLength = -1;  // -1: the body's size
    bool holdHalfway = false;  // send half the body, then wait for Release()
  };

  HttpTestServer() {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(m_listen, 8);
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
  }

  ~HttpTestServer() {
    m_stop = true;
    Release();
    m_acceptor.join();
    for (std::thread& t : m_clients) t.join();
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
  void AcceptLoop() {
    while (!m_stop) {
      pollfd p{m_listen, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) m_clients.emplace_back([this, fd] { Answer(fd); });
    }
  }

  void Answer(int fd) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    ++m_requests;
    const auto start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    Reply reply;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto found = m_replies.find(path);
      if (found != m_replies.end()) reply = found->second;
      else reply = Reply{404, "no such file", -1, false};
    }
    const long length = reply.declaredLength >= 0 ? reply.declaredLength : static_cast<long>(reply.body.size());
    const std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Length: " +
                             std::to_string(length) + "\r\nConnection: close\r\n\r\n";
    SendAll(fd, head);
    if (reply.holdHalfway) {
      SendAll(fd, reply.body.substr(0, reply.body.size() / 2));
      std::unique_lock<std::mutex> lock(m_mutex);
      m_holding = true;
      m_cond.wait(lock, [this] { return m_released; });
      m_holding = false;
      lock.unlock();
      SendAll(fd, reply.body.substr(reply.body.size() / 2));
    } else {
      SendAll(fd, reply.body);
    }
    shutdown(fd, SHUT_WR);
    while (recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    close(fd);
  }

  static void SendAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_requests{0};
  std::atomic<bool> m_holding{false};
  std::mutex m_mutex;
  std::condition_variable m_cond;
  bool m_released = false;
  std::map<std::string, Reply> m_replies;
  std::thread m_acceptor;
  std::vector<std::thread> m_clients;
};

}  // namespace guitest

#endif
