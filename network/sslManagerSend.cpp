// The sending side of a connection: whole messages queued for the link's writer, so that no
// caller waits on the network.
#include "network/sslManager.h"

#include <poll.h>

#include <openssl/err.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "asn1/constraintCheck.h"
#include "asn1/derEncoder.h"
#include "model/log.h"

namespace {

using Clock = std::chrono::steady_clock;

// Slice of a writer's wait for the socket, so that a later CloseWhenSent deadline is seen.
const int kWriteSlice = 100;

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

}  // namespace

int SSLManager::WriteStep(const unsigned char* bytes, int length, int* fd, short* events) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closed || (!m_ssl && !m_bio)) return -1;
  *fd = m_socket;
  if (*fd < 0) BIO_get_fd(m_bio, fd);
  if (m_ssl) {
    ERR_clear_error();
    // After a wait the same bytes are offered again, as the TLS library requires.
    int r = SSL_write(m_ssl, bytes, length);
    if (r > 0) return r;
    int err = SSL_get_error(m_ssl, r);
    *events = err == SSL_ERROR_WANT_WRITE ? POLLOUT : err == SSL_ERROR_WANT_READ ? POLLIN : 0;
    if (*events) return 0;
    m_fatal = true;
    return -1;
  }
  int r = BIO_write(m_bio, bytes, length);
  if (r > 0) return r;
  *events = POLLOUT;
  return BIO_should_retry(m_bio) ? 0 : -1;
}

bool SSLManager::Write(const unsigned char* bytes, int length) {
  TRACE_START_ARGS("%d", length);
  const bool ok = m_writerStarted && (length < 1 || m_queue.Push(std::vector<uint8_t>(bytes, bytes + length)));
  TRACE_END_RESULT("%d", ok);
  return ok;
}

bool SSLManager::WriteAll(const unsigned char* bytes, int length) {
  int done = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
  while (done < length) {
    int fd = -1;
    short events = 0;
    int r = WriteStep(bytes + done, length - done, &fd, &events);
    if (r > 0) {
      done += r;
      deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
      continue;
    }
    if (r == 0 && fd >= 0) {
      int64_t closeBy = m_closeBy;
      auto until = deadline;
      if (closeBy != 0) until = std::min(until, Clock::time_point(std::chrono::nanoseconds(closeBy)));
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left > 0) {
        if (WaitFor(fd, events, static_cast<int>(std::min<long long>(left, kWriteSlice))) != Wait::kClosed) continue;
      }
    }
    TRACE_ERROR("SSLManager::Write : error while sending");
    // A message cut short (a peer that stopped reading, a broken link) leaves the stream
    // unusable: the link is closed, so that the reader sees it lost and no later message
    // follows half of this one.
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_fatal = true;
    }
    CloseConnection();
    return false;
  }
  return true;
}

bool SSLManager::Encode(asn_TYPE_descriptor_t* type, void* message, std::vector<uint8_t>* out) {
  std::string error;
  if (!asn1::CheckConstraints(type, message, &error)) {
    TRACE_ERROR("ASN.1 constraint check failed: %s\n", error.c_str());
    return false;
  }
  // A message larger than the peer's receive buffer is refused.
  if (!asn1::EncodeDer(type, message, *out, &error) || out->size() > kBufferSize) {
    const char* why = strerror(EMSGSIZE);
    fprintf(stderr, "Cannot encode %s: %s\n", type->name, why);
    TRACE_ERROR("Cannot encode %s: %s\n", type->name, why);
    return false;
  }
  return true;
}

// Traced only when a message does not go: every request of a session passes here.
bool SSLManager::GenericEncoder(asn_TYPE_descriptor_t* type, void* message) {
  std::vector<uint8_t> bytes;
  const bool queued = m_writerStarted && Encode(type, message, &bytes) && m_queue.Push(std::move(bytes));
  if (!queued) TRACE_INFO("%s refused", type->name);
  return queued;
}

void SSLManager::StartWriterLocked() {
  if (m_writerStarted) return;
  m_writer = std::thread(&SSLManager::WriterLoop, this);
  m_writerStarted = true;
}

void SSLManager::CloseWhenSent() {
  TRACE_START();
  if (!m_writerStarted) {
    CloseConnection();
    TRACE_END_RESULT("closed");
    return;
  }
  m_closeBy = Now() + static_cast<int64_t>(kCloseGrace) * 1000000;
  m_queue.Finish();
  TRACE_END_RESULT("closing once sent");
}

bool SSLManager::WaitClosed(int milliseconds) const {
  if (m_closedEvent < 0) return false;
  // The event is set once, when the link closes, and never taken back.
  pollfd closed{m_closedEvent, POLLIN, 0};
  auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    const int r = poll(&closed, 1, static_cast<int>(std::max<long long>(left, 0)));
    if (r > 0) return true;
    if (r == 0 || errno != EINTR) return false;
  }
}

void SSLManager::WriterLoop() {
  TRACE_START();
  std::vector<uint8_t> batch;
  for (;;) {
    SendQueue::Take taken = m_queue.Next(batch, kBufferSize);
    if (taken == SendQueue::Take::kClosed) break;
    if (taken == SendQueue::Take::kFinished) {
      CloseConnection();
      break;
    }
    // A failed write closes the link itself, which closes the queue too.
    if (!WriteAll(batch.data(), static_cast<int>(batch.size()))) break;
  }
  TRACE_END();
}
