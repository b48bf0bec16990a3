#include "standin/connectionLoop.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "standin/serverLog.h"

namespace standin {

namespace {

// Per visit, a client gets this much of its input read, so that one that floods the server
// only slows itself.
const size_t kReadPerVisit = 64 * 1024;
const size_t kWritePerCall = 256 * 1024;
const int kSystemSendBuffer = 256 * 1024;
const auto kTickEvery = std::chrono::milliseconds(50);
// A client that was just written to gets its next bytes after this pause, all in one go: under
// load the server then makes one write for many messages instead of one for each.
const auto kGatherFor = std::chrono::milliseconds(1);
const size_t kGatherAtMost = 64 * 1024;

}  // namespace

struct ConnectionLoop::Connection {
  explicit Connection(size_t maxRequest) : reader(maxRequest, true) {}
  size_t Queued() const { return out.size() - outAt; }

  enum class State { kHandshake, kOpen, kClosing, kDead };
  ConnId id = 0;
  int fd = -1;
  SSL* ssl = nullptr;
  std::string peer;
  State state = State::kHandshake;
  bool told = false;  // the handler heard it open and is to hear it close
  Clock::time_point deadline;
  RequestReader reader;
  std::string out;
  size_t outAt = 0;
  // A write that must be repeated with exactly this many bytes (0: none pending).
  size_t retryLength = 0;
  bool wantsWrite = false;  // a handshake or read step waits for the socket to be writable
  bool moreToRead = false;  // the read stopped at its limit with input left
  bool writable = false;    // the socket took no more bytes until poll said it would now
  Clock::time_point lastWrite;
};

ConnectionLoop::ConnectionLoop(const TlsServerContext& tls, int listenFd, const LoopLimits& limits)
    : m_tls(tls), m_listen(listenFd), m_limits(limits) {}

ConnectionLoop::~ConnectionLoop() {
  for (auto& entry : m_connections) {
    SSL_free(entry.second->ssl);
    close(entry.second->fd);
  }
  close(m_listen);
}

void ConnectionLoop::Run(const std::atomic<bool>& stop) {
  std::vector<pollfd> fds;
  std::vector<Connection*> order;
  while (!stop) {
    Clock::time_point now = Clock::now();
    fds.assign(1, pollfd{m_listen, POLLIN, 0});
    order.clear();
    auto wait = std::chrono::milliseconds(100);
    for (auto& entry : m_connections) {
      Connection& c = *entry.second;
      if (c.state == Connection::State::kDead) continue;
      short events = c.state == Connection::State::kClosing ? 0 : POLLIN;
      if (c.retryLength > 0 || c.wantsWrite) {
        events |= POLLOUT;
      } else if (c.Queued() > 0) {
        wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(c.lastWrite + kGatherFor - now));
      }
      fds.push_back(pollfd{c.fd, events, 0});
      order.push_back(&c);
      if (c.moreToRead) wait = std::chrono::milliseconds(0);
    }
    int ready = poll(fds.data(), fds.size(), static_cast<int>(std::max<long>(0, wait.count())));
    now = Clock::now();
    if (ready > 0 && (fds[0].revents & POLLIN)) AcceptNew(now);
    for (size_t i = 0; i < order.size(); ++i) {
      short revents = ready > 0 ? fds[i + 1].revents : 0;
      if (revents & POLLOUT) order[i]->writable = true;
      if (revents != 0 || order[i]->moreToRead) Serve(*order[i], revents, now);
    }
    for (auto& entry : m_connections) {
      Connection& c = *entry.second;
      bool due = c.retryLength > 0 ? c.writable : now - c.lastWrite >= kGatherFor || c.Queued() >= kGatherAtMost;
      if ((c.state == Connection::State::kOpen || c.state == Connection::State::kClosing) && c.Queued() > 0 && due) {
        c.writable = false;
        c.lastWrite = now;
        WriteTo(c, now);
      }
    }
    if (now - m_lastTick >= kTickEvery) {
      m_lastTick = now;
      if (m_handler) m_handler->Tick(now);
    }
    Reap(now);
  }
}

void ConnectionLoop::AcceptNew(Clock::time_point now) {
  for (int i = 0; i < 64; ++i) {
    std::string peer;
    int fd = AcceptConnection(m_listen, &peer);
    if (fd < 0) return;
    if (m_connections.size() >= m_limits.maxConnections) {
      Warn("%s: turned away, %zu clients connected already", peer.c_str(), m_connections.size());
      close(fd);
      continue;
    }
    SSL* ssl = m_tls.NewSession(fd);
    if (!ssl) {
      close(fd);
      continue;
    }
    // Small lines go out at once; and the system holds a bounded amount for each client
    // beyond what the client's own queue holds.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    int sendBuffer = kSystemSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    auto c = std::make_unique<Connection>(m_limits.maxRequest);
    c->id = m_nextId++;
    c->fd = fd;
    c->ssl = ssl;
    c->peer = peer;
    c->deadline = now + m_limits.handshakeTimeout;
    m_connections.emplace(c->id, std::move(c));
  }
}

void ConnectionLoop::Serve(Connection& c, short revents, Clock::time_point now) {
  if (revents & POLLNVAL) {
    Drop(c, "socket failed");
    return;
  }
  switch (c.state) {
    case Connection::State::kHandshake:
      Handshake(c, now);
      break;
    case Connection::State::kOpen:
      ReadFrom(c, now);
      break;
    case Connection::State::kClosing:
      if (revents & (POLLERR | POLLHUP)) c.state = Connection::State::kDead;
      break;
    case Connection::State::kDead:
      break;
  }
}

void ConnectionLoop::Handshake(Connection& c, Clock::time_point now) {
  TlsStep step = AcceptStep(c.ssl);
  c.wantsWrite = step == TlsStep::kWantWrite;
  if (step == TlsStep::kWantRead || step == TlsStep::kWantWrite) return;
  if (step != TlsStep::kDone) {
    Tell("%s: TLS handshake failed", c.peer.c_str());
    c.state = Connection::State::kDead;
    return;
  }
  c.state = Connection::State::kOpen;
  c.told = true;
  // The first request may have come with the end of the handshake.
  c.moreToRead = true;
  if (m_handler) m_handler->Opened(c.id, c.peer, now);
}

void ConnectionLoop::ReadFrom(Connection& c, Clock::time_point now) {
  std::string bytes;
  TlsStep step = ReadAvailable(c.ssl, bytes, kReadPerVisit);
  c.moreToRead = step == TlsStep::kDone;
  c.wantsWrite = step == TlsStep::kWantWrite;
  c.reader.Feed(bytes.data(), bytes.size());
  ReceivedRequest item;
  while (c.state == Connection::State::kOpen && c.reader.Next(item)) {
    if (m_handler) m_handler->Received(c.id, *item.request, now);
  }
  if (c.state != Connection::State::kOpen) return;
  if (c.reader.Failed()) {
    Warn("%s: dropped, bytes that are no request (%s)", c.peer.c_str(), c.reader.Error().c_str());
    Drop(c, nullptr);
  } else if (step == TlsStep::kClosed || step == TlsStep::kFailed) {
    Drop(c, step == TlsStep::kClosed ? "closed by the client" : "link ended");
  }
}

void ConnectionLoop::WriteTo(Connection& c, Clock::time_point now) {
  while (c.Queued() > 0) {
    size_t length = c.retryLength ? c.retryLength : std::min(c.Queued(), kWritePerCall);
    size_t written = 0;
    TlsStep step = WriteAvailable(c.ssl, c.out.data() + c.outAt, length, &written);
    c.outAt += written;
    c.retryLength = 0;
    if (step == TlsStep::kWantWrite || step == TlsStep::kWantRead) {
      c.retryLength = length - written;
      break;
    }
    if (step != TlsStep::kDone) {
      // A client that closes while input still reaches it breaks the link from its end, often
      // right after its last requests (its log-out): what it sent is heard before the link goes.
      for (int visit = 0; visit < 16 && c.state == Connection::State::kOpen; ++visit) {
        ReadFrom(c, now);
        if (!c.moreToRead) break;
      }
      Drop(c, "link broken while sending");
      return;
    }
  }
  if (c.Queued() == 0) {
    c.out.clear();
    c.outAt = 0;
  } else if (c.outAt >= kWritePerCall * 4) {
    c.out.erase(0, c.outAt);
    c.outAt = 0;
  }
}

void ConnectionLoop::Drop(Connection& c, const char* why) {
  if (c.state == Connection::State::kDead) return;
  if (why) Note("%s: %s", c.peer.c_str(), why);
  c.state = Connection::State::kDead;
  std::string().swap(c.out);
  c.outAt = 0;
}

void ConnectionLoop::Send(ConnId conn, const std::string& bytes, size_t keyAt, const std::string& key) {
  auto it = m_connections.find(conn);
  if (it == m_connections.end() || it->second->state != Connection::State::kOpen || bytes.empty()) return;
  Connection& c = *it->second;
  if (c.Queued() + bytes.size() > m_limits.maxQueued) {
    Warn("%s: dropped, %zu bytes wait for it (it does not read)", c.peer.c_str(), c.Queued());
    Drop(c, nullptr);
    return;
  }
  size_t at = c.out.size();
  c.out += bytes;
  if (keyAt != std::string::npos && keyAt + key.size() <= bytes.size()) c.out.replace(at + keyAt, key.size(), key);
}

void ConnectionLoop::Close(ConnId conn, bool flush) {
  auto it = m_connections.find(conn);
  if (it == m_connections.end()) return;
  Connection& c = *it->second;
  c.told = false;
  if (flush && c.state == Connection::State::kOpen) {
    c.state = Connection::State::kClosing;
    c.deadline = Clock::now() + m_limits.closeTimeout;
  } else {
    Drop(c, nullptr);
  }
}

void ConnectionLoop::Reap(Clock::time_point now) {
  std::vector<std::unique_ptr<Connection>> dead;
  for (auto it = m_connections.begin(); it != m_connections.end();) {
    Connection& c = *it->second;
    if (c.state == Connection::State::kHandshake && now > c.deadline) {
      Tell("%s: no TLS handshake in time", c.peer.c_str());
      c.state = Connection::State::kDead;
    } else if (c.state == Connection::State::kClosing && (c.Queued() == 0 || now > c.deadline)) {
      // What was queued went out (or the time is up): say goodbye and close.
      if (c.Queued() == 0) SSL_shutdown(c.ssl);
      c.state = Connection::State::kDead;
    }
    if (c.state == Connection::State::kDead) {
      dead.push_back(std::move(it->second));
      it = m_connections.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& c : dead) {
    if (c->told && m_handler) m_handler->Closed(c->id);
    SSL_free(c->ssl);
    close(c->fd);
  }
}

}  // namespace standin
