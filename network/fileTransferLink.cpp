#include "network/fileTransferLink.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "model/log.h"
#include "network/socketQueue.h"

int FileTransferLink::writeTimeoutMs = 30000;

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int AppendBytes(const void* buffer, size_t size, void* key) {
  std::vector<uint8_t>* out = static_cast<std::vector<uint8_t>*>(key);
  const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
  out->insert(out->end(), bytes, bytes + size);
  return 0;
}

// The receive window: room for several parts, so that one read brings in many.
constexpr size_t kReadWindow = 128 * 1024;

}  // namespace

FileTransferLink::FileTransferLink(int fd)
    : m_fd(fd), m_in(kReadWindow), m_decoder(&asn_DEF_C2C_Request, kMaxMessage) {
  // The read window holds a whole message of the largest size accepted.
  m_decoder.WaitForWholeValues();
  if (m_fd >= 0) MakeBlocking();
}

// Reads block, with time-outs on their waits: one system call per read. Writes wait for room
// with poll, so that a stop is seen while a slow peer holds them up.
void FileTransferLink::MakeBlocking() {
  int flags = fcntl(m_fd, F_GETFL, 0);
  if (flags >= 0) fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
  timeval timeout{writeTimeoutMs / 1000, (writeTimeoutMs % 1000) * 1000};
  setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  m_readTimeoutSet = -1;
}

bool FileTransferLink::SetReadTimeout(long long ms) {
  // Only changed when the wait left has become noticeably shorter than the one set (a longer
  // wait is served by waiting again): a steady stream costs no extra calls.
  if (m_readTimeoutSet >= 0 && ms > m_readTimeoutSet - 200) return true;
  if (ms < 1) ms = 1;
  timeval timeout{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
  m_readTimeoutSet = ms;
  return setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0;
}

FileTransferLink::~FileTransferLink() { Close(); }

void FileTransferLink::Close() {
  if (m_fd >= 0) {
    TRACE_INFO("close connection %d", m_fd);
    close(m_fd);
    m_fd = -1;
  }
}

void FileTransferLink::Abort() {
  if (m_fd < 0) return;
  linger now{1, 0};
  setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
  TRACE_INFO("abort connection %d", m_fd);
  Close();
}

namespace {

// Waits for a connection under way on fd to be made or to fail, until the deadline or a stop.
// True when fd is ready (connected or failed: its error says which).
bool AwaitConnected(int fd, long long deadline, const std::function<bool()>& stopped) {
  constexpr long long kStopLookMs = 50;
  for (;;) {
    if (stopped && stopped()) return false;
    long long left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd p{fd, POLLOUT, 0};
    int ready = poll(&p, 1, static_cast<int>(stopped ? std::min(left, kStopLookMs) : left));
    if (ready == 1) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

}  // namespace

bool FileTransferLink::ConnectTo(const std::string& host, unsigned short port, int timeoutMs,
                                 const std::function<bool()>& stopped) {
  TRACE_START_ARGS("%s, %u", host.c_str(), port);
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses) != 0 || !addresses) {
    TRACE_END_RESULT("unknown host");
    return false;
  }
  long long deadline = NowMs() + timeoutMs;
  for (addrinfo* address = addresses; address && m_fd < 0; address = address->ai_next) {
    int fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) continue;
    int result = connect(fd, address->ai_addr, address->ai_addrlen);
    if (result != 0 && errno == EINPROGRESS && AwaitConnected(fd, deadline, stopped)) {
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      result = error == 0 ? 0 : -1;
    }
    if (result == 0)
      m_fd = fd;
    else
      close(fd);
  }
  freeaddrinfo(addresses);
  m_begin = m_end = 0;
  m_written = 0;
  m_peerReset = false;
  m_decoder.Reset();
  if (m_fd >= 0) MakeBlocking();
  TRACE_END_RESULT("%s", m_fd >= 0 ? "connected" : "failed");
  return m_fd >= 0;
}

bool FileTransferLink::WriteAll(const uint8_t* data, size_t size, int timeoutMs, bool stoppable) {
  const bool watch = stoppable && m_stopped;
  // The time-out runs from the last progress: a slow peer that keeps taking bytes is served.
  long long deadline = NowMs() + timeoutMs;
  while (size > 0) {
    ssize_t sent = send(m_fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      m_written += sent;
      data += sent;
      size -= static_cast<size_t>(sent);
      deadline = NowMs() + timeoutMs;
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    const bool full = sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    const long long left = deadline - NowMs();
    if (full && watch && m_stopped()) {
      TRACE_INFO("write stopped with %zu bytes left", size);
      m_writeStopped = true;
      return false;
    }
    if (full && left > 0) {
      // The peer is slow: wait for room, looking at the stop condition several times a second.
      pollfd p{m_fd, POLLOUT, 0};
      poll(&p, 1, static_cast<int>((watch || m_tick) && left > 100 ? 100 : left));
      if (m_tick) m_tick();
      continue;
    }
    if (full) TRACE_ERROR("write time-out");
    return false;
  }
  return true;
}

bool FileTransferLink::Send(const C2C_Request_t& request) { return Queue(request) && Flush(); }

bool FileTransferLink::SendWithin(const C2C_Request_t& request, int timeoutMs) {
  if (!Queue(request)) return false;
  bool ok = m_fd >= 0 && !m_writeStopped && WriteAll(m_out.data(), m_out.size(), timeoutMs, false);
  m_out.clear();
  return ok;
}

bool FileTransferLink::DrainedWithin(int timeoutMs) {
  if (m_fd < 0) return false;
  const long long deadline = NowMs() + timeoutMs;
  for (;;) {
    const int64_t queued = socketQueue::Unsent(m_fd);
    if (queued < 0) return false;
    if (queued == 0) return true;
    long long left = deadline - NowMs();
    if (left <= 0) {
      TRACE_INFO("%lld bytes not taken by the peer", static_cast<long long>(queued));
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(left < 10 ? left : 10));
  }
}

bool FileTransferLink::Drain() {
  if (m_fd < 0) return false;
  int64_t last = -1;
  long long deadline = 0;
  for (;;) {
    const int64_t queued = socketQueue::Unsent(m_fd);
    // Where the system cannot tell, what it was handed counts as gone.
    if (queued <= 0) return true;
    if (m_stopped && m_stopped()) {
      TRACE_INFO("drain stopped with %lld bytes left", static_cast<long long>(queued));
      return false;
    }
    // The time-out runs from the peer's last progress.
    if (queued != last) {
      last = queued;
      deadline = NowMs() + writeTimeoutMs;
    } else if (NowMs() >= deadline) {
      TRACE_ERROR("%lld bytes not taken by the peer", static_cast<long long>(queued));
      return false;
    }
    // Nothing to wait for but the time: an error or a shut-down connection ends the wait.
    pollfd p{m_fd, 0, 0};
    if (poll(&p, 1, 10) == 1 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
      TRACE_ERROR("connection lost with %lld bytes not taken", static_cast<long long>(queued));
      return false;
    }
    if (m_tick) m_tick();
  }
}

int64_t FileTransferLink::Taken() const {
  const int64_t queued = socketQueue::Unsent(m_fd);
  if (queued < 0) return m_written;
  return queued < m_written ? m_written - queued : 0;
}

bool FileTransferLink::Queue(const C2C_Request_t& request) {
  if (m_fd < 0) return false;
  char errors[256];
  size_t errorsLength = sizeof errors;
  if (asn_check_constraints(&asn_DEF_C2C_Request, &request, errors, &errorsLength) != 0) {
    TRACE_ERROR("Cannot encode C2C-Request: %s", errors);
    return false;
  }
  size_t before = m_out.size();
  asn_enc_rval_t encoded = der_encode(&asn_DEF_C2C_Request, const_cast<C2C_Request_t*>(&request), AppendBytes, &m_out);
  if (encoded.encoded < 0) {
    TRACE_ERROR("Cannot encode C2C-Request: %s", encoded.failed_type ? encoded.failed_type->name : "?");
    m_out.resize(before);
    return false;
  }
  return true;
}

bool FileTransferLink::Flush() {
  bool ok = m_fd >= 0 && !m_writeStopped && WriteAll(m_out.data(), m_out.size(), writeTimeoutMs, true);
  m_out.clear();
  return ok;
}

bool FileTransferLink::Fill(long long deadline) {
  if (m_begin == m_end) {
    m_begin = m_end = 0;
  } else if (m_in.size() - m_end < kMaxMessage && m_begin > 0) {
    std::memmove(m_in.data(), m_in.data() + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_begin = 0;
  }
  for (;;) {
    long long left = deadline - NowMs();
    if (left <= 0 || !SetReadTimeout(left)) {
      TRACE_INFO("read time-out");
      return false;
    }
    ssize_t got = recv(m_fd, m_in.data() + m_end, m_in.size() - m_end, 0);
    if (got > 0) {
      m_end += static_cast<size_t>(got);
      return true;
    }
    if (got == 0) return false;
    if (errno == ECONNRESET) {
      TRACE_INFO("connection reset by the peer");
      m_peerReset = true;
      return false;
    }
    if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return false;
  }
}

C2C_Request_t* FileTransferLink::Receive(int timeoutMs) {
  if (m_fd < 0) return nullptr;
  long long deadline = NowMs() + timeoutMs;
  for (;;) {
    if (m_end > m_begin) {
      asn1::DecodeResult result = m_decoder.Decode(m_in.data() + m_begin, m_end - m_begin);
      m_begin += result.consumed;
      if (result.status == asn1::DecodeStatus::kComplete) return static_cast<C2C_Request_t*>(m_decoder.Take());
      if (result.status == asn1::DecodeStatus::kFailed) {
        if (m_decoder.Failure() == asn1::DecodeFailure::kAnnouncedTooLong) {
          TRACE_ERROR("message of %ld bytes refused", static_cast<long>(m_decoder.FailedLength()));
        } else if (m_decoder.Failure() == asn1::DecodeFailure::kConstraint) {
          TRACE_ERROR("constraint failed: %s", m_decoder.Error().c_str());
        } else {
          TRACE_ERROR("undecodable message");
        }
        return nullptr;
      }
      // A message that cannot go on with a message's worth of bytes in hand is over the limit.
      if (m_end - m_begin >= kMaxMessage) {
        TRACE_ERROR("undecodable message");
        m_decoder.Reset();
        return nullptr;
      }
    }
    if (!Fill(deadline)) return nullptr;
  }
}

bool FileTransferLink::PeerSentMore() {
  if (m_fd < 0) return true;
  if (m_end > m_begin) return true;
  char byte;
  ssize_t got = recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (got > 0 || got == 0) return true;
  return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

void FileTransferLink::FreeRequest(C2C_Request_t* request) {
  if (request) ASN_STRUCT_FREE(asn_DEF_C2C_Request, request);
}
