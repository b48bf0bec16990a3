#include "model/logStream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace logstream {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the stream has room or the deadline (set at the first wait of a write) passes;
// true when it has room.
bool WaitForRoom(int fd, Clock::time_point* deadline, bool* started) {
  if (!*started) {
    *deadline = Clock::now() + std::chrono::milliseconds(kPatienceMilliseconds);
    *started = true;
  }
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return false;
    struct pollfd watched = {fd, POLLOUT, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(left) + 1);
    if (ready < 0 && errno == EINTR) continue;
    // A stream that has lost its reader says so (POLLERR): no wait brings that one back.
    return ready > 0 && (watched.revents & POLLOUT) != 0 && (watched.revents & POLLERR) == 0;
  }
}

}  // namespace

size_t Stream::Write(int fd, const char* bytes, size_t size) {
  size_t done = 0;
  Clock::time_point deadline;
  bool waited = false;
  while (done < size) {
    const ssize_t written = ::write(fd, bytes + done, size - done);
    if (written > 0) {
      done += static_cast<size_t>(written);
      m_stalled = false;
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    const bool full = written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    if (full && !m_stalled && WaitForRoom(fd, &deadline, &waited)) continue;
    // Full past the patience, or an error (a reader gone): nothing is waited for any more until
    // the stream takes bytes again.
    m_stalled = true;
    break;
  }
  return done;
}

bool Stream::PayOwed(int fd) {
  if (m_owedSize == 0) return true;
  const size_t paid = Write(fd, m_owed, m_owedSize);
  memmove(m_owed, m_owed + paid, m_owedSize - paid);
  m_owedSize -= paid;
  return m_owedSize == 0;
}

bool Stream::Owe(const char* bytes, size_t size) {
  if (m_owedSize + size > m_owedCapacity) {
    const size_t capacity = m_owedSize + size;
    char* larger = static_cast<char*>(realloc(m_owed, capacity));
    if (!larger) return false;
    m_owed = larger;
    m_owedCapacity = capacity;
  }
  memcpy(m_owed + m_owedSize, bytes, size);
  m_owedSize += size;
  return true;
}

void Stream::Reset() {
  m_stalled = false;
  m_dropped = 0;
  m_owedSize = 0;
}

}  // namespace logstream
