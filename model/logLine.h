// Forming one line of the trace log: its prefix, its message and the newline, in the clear,
// in a buffer of the calling thread. Used by the log writer only.
#ifndef PARLAVOX_MODEL_LOGLINE_H
#define PARLAVOX_MODEL_LOGLINE_H

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace logline {

// Most pieces of a line are a few bytes long: copied inline rather than by a call.
inline void CopyShortOrLong(char* to, const char* from, size_t n) {
  if (n > 16) {
    memcpy(to, from, n);
  } else if (n >= 8) {
    uint64_t head, tail;
    memcpy(&head, from, 8);
    memcpy(&tail, from + n - 8, 8);
    memcpy(to, &head, 8);
    memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    uint32_t head, tail;
    memcpy(&head, from, 4);
    memcpy(&tail, from + n - 4, 4);
    memcpy(to, &head, 4);
    memcpy(to + n - 4, &tail, 4);
  } else if (n > 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// A line being formed: in a fixed buffer while it fits, then on the heap.
class LineBuffer {
 public:
  LineBuffer(char* fixed, size_t capacity) : m_data(fixed), m_capacity(capacity) {}
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;

  char* data() { return m_data; }
  size_t size() const { return m_size; }
  size_t room() const { return m_capacity - m_size; }
  char* end() { return m_data + m_size; }

  void Reserve(size_t more) {
    if (more > room()) Grow(m_size + more);
  }
  void Append(const char* text, size_t n) {
    Reserve(n);
    CopyShortOrLong(m_data + m_size, text, n);
    m_size += n;
  }
  void Append(const char* text) { Append(text, strlen(text)); }
  void Append(char c) {
    Reserve(1);
    m_data[m_size++] = c;
  }
  void Commit(size_t n) { m_size += n; }
  void Truncate(size_t n) { m_size = n; }

 private:
  void Grow(size_t need) {
    size_t capacity = std::max(need, 2 * m_capacity);
    std::unique_ptr<char[]> bigger(new char[capacity]);
    memcpy(bigger.get(), m_data, m_size);
    m_heap = std::move(bigger);
    m_data = m_heap.get();
    m_capacity = capacity;
  }

  char* m_data;
  size_t m_size = 0;
  size_t m_capacity;
  std::unique_ptr<char[]> m_heap;
};

// Forms one whole line: "<thread>:<level>:<stamp>:<function> (<<file>> ligne <line>) : " (cut
// at 99,999 bytes, ending "[...]"), the message (cut likewise, then escaped: control bytes and
// backslashes as "\n", "\x1b", "\\"...) and the newline.
void FormLine(LineBuffer& out, int level, const char* file, const char* function, int line, const char* fmt,
              va_list args);

}  // namespace logline

#endif
