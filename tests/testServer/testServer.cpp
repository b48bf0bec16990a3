#include "tests/testServer/testServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

#include "asn1/octetString.h"
#include "standin/link/messageStream.h"

namespace testserver {

namespace {

void SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Waits for the socket or the wake-up pipe; the socket's ready events (0 on time-out).
short WaitEvents(int fd, short events, int wake, int timeout) {
  struct pollfd p[2];
  p[0].fd = fd;
  p[0].events = events;
  p[0].revents = 0;
  p[1].fd = wake;
  p[1].events = POLLIN;
  p[1].revents = 0;
  int r = poll(p, wake >= 0 ? 2 : 1, timeout);
  if (r <= 0) return 0;
  if (p[1].revents & POLLIN) {
    char buf[64];
    while (read(wake, buf, sizeof buf) > 0) {
    }
  }
  return p[0].revents;
}

}  // namespace

S2CPtr NewS2C(S2C_Request_PR kind) {
  S2CPtr r = asn1::NewRequest<S2C_Request_t>();
  r->present = kind;
  return r;
}

void Fill(OCTET_STRING_t* member, const std::string& bytes) {
  asn1::AssignOctetString(*member, bytes);
}

std::string Text(const OCTET_STRING_t& member) {
  return asn1::ToString(member);
}

std::string EncodeS2C(const S2C_Request_t& request) {
  return standin::EncodeS2CUnchecked(request);
}

// ---- TestConnection

TestConnection::TestConnection(int fd, SSL* ssl) : m_fd(fd), m_ssl(ssl) {
  if (pipe(m_wake) != 0) throw std::runtime_error("pipe");
  SetNonBlocking(m_wake[0]);
  SetNonBlocking(m_wake[1]);
}

TestConnection::~TestConnection() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  Wake();
  if (m_thread.joinable()) m_thread.join();
  if (m_ssl) SSL_free(m_ssl);
  if (m_fd >= 0) close(m_fd);
  close(m_wake[0]);
  close(m_wake[1]);
}

void TestConnection::Start() {
  SetNonBlocking(m_fd);
  m_thread = std::thread([this] { Loop(); });
}

void TestConnection::Wake() {
  char c = 1;
  (void)!write(m_wake[1], &c, 1);
}

void TestConnection::Finish() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_ended = true;
  m_cond.notify_all();
}

bool TestConnection::WriteAll(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    size_t written = 0;
    standin::TlsStep step = standin::WriteAvailable(m_ssl, bytes.data() + done, bytes.size() - done, &written);
    done += written;
    if (step == standin::TlsStep::kDone) break;
    if (step != standin::TlsStep::kWantWrite && step != standin::TlsStep::kWantRead) return false;
    // While the client's buffers are full, keep reading what it sends, as a real server does.
    short ev = WaitEvents(m_fd, POLLIN | POLLOUT, -1, 100);
    if ((ev & POLLIN) && !m_stalled) ReadAvailable();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_stop) return false;
    }
  }
  return true;
}

void TestConnection::ReadAvailable() {
  std::string bytes;
  standin::TlsStep step = standin::ReadAvailable(m_ssl, bytes, SIZE_MAX);
  m_reader.Feed(bytes.data(), bytes.size());
  Decode();
  // The client closed or the link broke.
  if (step == standin::TlsStep::kClosed || step == standin::TlsStep::kFailed) Finish();
}

void TestConnection::Decode() {
  standin::ReceivedRequest item;
  while (m_reader.Next(item)) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.push_back(std::make_unique<Received>(std::move(item)));
    ++m_count;
    m_cond.notify_all();
  }
  if (m_reader.Failed()) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_undecoded = m_reader.Undecoded();
  }
}

void TestConnection::Loop() {
  for (;;) {
    std::deque<Command> commands;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_stop) return;
      commands.swap(m_commands);
    }
    for (auto& c : commands) {
      if (c.kind == Command::kSend) {
        bool ok = true;
        if (c.piece == 0) {
          ok = WriteAll(c.bytes);
        } else {
          for (size_t at = 0; ok && at < c.bytes.size(); at += c.piece) {
            ok = WriteAll(c.bytes.substr(at, c.piece));
            if (at + c.piece < c.bytes.size()) std::this_thread::sleep_for(c.pause);
          }
        }
        if (!ok) {
          Finish();
          return;
        }
      } else {
        if (c.kind == Command::kClose) SSL_shutdown(m_ssl);
        shutdown(m_fd, SHUT_RDWR);
        Finish();
        return;
      }
    }
    short ev = WaitEvents(m_stalled ? -1 : m_fd, POLLIN, m_wake[0], 200);
    if (!m_stalled && (ev & (POLLIN | POLLHUP | POLLERR))) {
      ReadAvailable();
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_ended) return;
    }
  }
}

std::unique_ptr<Received> TestConnection::Next(Millis timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cond.wait_for(lock, timeout, [this] { return !m_received.empty() || m_ended; });
  if (m_received.empty()) return nullptr;
  auto item = std::move(m_received.front());
  m_received.pop_front();
  return item;
}

C2SPtr TestConnection::Expect(C2S_Request_PR kind, Millis timeout) {
  auto item = Next(timeout);
  if (!item || item->request->present != kind) return nullptr;
  return std::move(item->request);
}

bool TestConnection::NothingWithin(Millis time) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return !m_cond.wait_for(lock, time, [this] { return !m_received.empty(); });
}

void TestConnection::Send(const S2C_Request_t& request) {
  SendBytes(EncodeS2C(request));
}

void TestConnection::SendBytes(const std::string& bytes) {
  SendInPieces(bytes, 0, Millis(0));
}

void TestConnection::SendInPieces(const std::string& bytes, size_t piece, Millis pause) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.push_back(Command{Command::kSend, bytes, piece, pause});
  }
  Wake();
}

void TestConnection::Close(bool orderly) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.push_back(Command{orderly ? Command::kClose : Command::kCloseAbrupt, std::string(), 0, Millis(0)});
  }
  Wake();
}

void TestConnection::Stall(bool stalled) {
  m_stalled = stalled;
  Wake();
}

bool TestConnection::WaitClosed(Millis timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_cond.wait_for(lock, timeout, [this] { return m_ended; });
}

size_t TestConnection::ReceivedCount() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_count;
}

std::string TestConnection::UndecodedBytes() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_undecoded;
}

// ---- TestServer

TestServer::TestServer(const Options& options) : m_options(options) {
  if (options.mode == Mode::kTls) m_context.reset(new standin::TlsServerContext(options.identity));
  m_listen = standin::ListenOnLoopback(0, 16, &m_port);
  if (m_listen < 0) throw std::runtime_error("test server cannot listen");
  m_thread = std::thread([this] { AcceptLoop(); });
}

TestServer::~TestServer() {
  m_stop = true;
  shutdown(m_listen, SHUT_RDWR);
  if (m_thread.joinable()) m_thread.join();
  close(m_listen);
  for (auto& t : m_handshakes) t.join();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.clear();
    m_all.clear();
    for (int fd : m_plain) close(fd);
  }
}

void TestServer::AcceptLoop() {
  while (!m_stop) {
    struct pollfd p{m_listen, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    int fd = standin::AcceptConnection(m_listen, nullptr);
    if (fd < 0) continue;
    ++m_acceptedCount;
    if (m_options.mode == Mode::kReply) {
      (void)!send(fd, m_options.reply.data(), m_options.reply.size(), MSG_NOSIGNAL);
      shutdown(fd, SHUT_RDWR);
      close(fd);
    } else if (m_options.mode == Mode::kSilent) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_plain.push_back(fd);
    } else {
      m_handshakes.emplace_back([this, fd] { Serve(fd); });
    }
  }
}

void TestServer::Serve(int fd) {
  if (m_options.handshakeDelay.count() > 0) std::this_thread::sleep_for(m_options.handshakeDelay);
  SSL* ssl = m_context->NewSession(fd);
  auto deadline = std::chrono::steady_clock::now() + Millis(10000);
  for (;;) {
    standin::TlsStep step = standin::AcceptStep(ssl);
    if (step == standin::TlsStep::kDone) break;
    short events = step == standin::TlsStep::kWantRead ? POLLIN : step == standin::TlsStep::kWantWrite ? POLLOUT : 0;
    struct pollfd p{fd, events, 0};
    if (events == 0 || m_stop || std::chrono::steady_clock::now() > deadline || poll(&p, 1, 100) < 0) {
      ++m_failedHandshakes;
      SSL_free(ssl);
      close(fd);
      return;
    }
  }
  std::shared_ptr<TestConnection> c(new TestConnection(fd, ssl));
  c->Start();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pending.push_back(c);
  m_all.push_back(c);
  m_cond.notify_all();
}

std::shared_ptr<TestConnection> TestServer::Accept(Millis timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_cond.wait_for(lock, timeout, [this] { return !m_pending.empty(); })) return nullptr;
  auto c = m_pending.front();
  m_pending.pop_front();
  return c;
}

}  // namespace testserver
