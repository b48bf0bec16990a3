#include "model/linesBack.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

bool ReadFileAt(int fd, off_t at, size_t size, std::string* bytes) {
  bytes->resize(size);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, &(*bytes)[done], size - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  // Read once: the kernel may let these pages go now rather than hold a file far too long whole
  // until it is removed, and then free it all at once.
  (void)::posix_fadvise(fd, at, static_cast<off_t>(size), POSIX_FADV_DONTNEED);
  return true;
}

void LinesBack::Start(off_t end) {
  m_start = end > 0 ? end - 1 : 0;
  m_window.clear();
  m_tooLong = false;
  m_done = end == 0;
  m_failed = false;
  m_lineStart = end;
}

LinesBack::Step LinesBack::Next(int fd, size_t longest, size_t* budget, std::string* line) {
  while (!m_done) {
    const size_t newline = m_window.rfind('\n');
    if (newline != std::string::npos || m_start == 0) {
      const size_t from = newline == std::string::npos ? 0 : newline + 1;
      if (m_tooLong || m_window.size() - from > longest) {
        line->clear();
      } else {
        line->assign(m_window, from, std::string::npos);
      }
      m_tooLong = false;
      m_lineStart = m_start + static_cast<off_t>(from);
      m_window.resize(newline == std::string::npos ? 0 : newline);
      m_done = newline == std::string::npos;
      return kLine;
    }
    // Only where such a line starts matters.
    if (m_window.size() > longest) {
      m_tooLong = true;
      m_window.clear();
    }
    const size_t size = std::min(static_cast<size_t>(std::min<off_t>(m_start, kBlock)), *budget);
    if (size == 0) return kSpent;
    std::string block;
    if (!ReadFileAt(fd, m_start - static_cast<off_t>(size), size, &block)) {
      m_failed = true;
      break;
    }
    *budget -= size;
    m_start -= static_cast<off_t>(size);
    m_window.insert(0, block);
  }
  m_done = true;
  return kEnd;
}
