// Writing the trace log to a stream (a named pipe, a terminal, a device) without ever waiting for
// it for long. A stream whose reader stops reading would otherwise hold the log's writer in its
// write() for good, every thread that traces behind it, and the program's end with them.
//
// The stream is written without blocking. When it has no room, the writer waits for some, but
// no longer than kPatience; past that the stream is taken as stalled, and what it cannot take at
// once is dropped, with no wait at all, until it takes bytes again. Lines are dropped whole, and
// counted: the log then writes a line that says how many before any other. A line the stream took
// a part of is owed whole: the rest of it goes first, before anything else, so that every line
// the reader gets is whole, and each byte's scramble key is the one of its place in the stream.
#ifndef PARLAVOX_MODEL_LOGSTREAM_H
#define PARLAVOX_MODEL_LOGSTREAM_H

#include <cstddef>

namespace logstream {

// How long the writer waits for a stream that has no room before it drops lines: enough for a
// reader that is merely slow, or late on a busy machine, to read; little enough that no thread
// that traces, nor the program's end, is held by a reader that stopped.
constexpr int kPatienceMilliseconds = 200;

// The state of the log's stream. Used under the log's writer role only. It has no destructor:
// threads may still trace while the program's statics are destroyed.
class Stream {
 public:
  // Writes what the stream takes of the bytes: at once when stalled, else within the patience.
  // How many bytes it took.
  size_t Write(int fd, const char* bytes, size_t size);

  // Writes the rest of the line the stream was last given a part of, if any; true once the
  // stream is owed nothing.
  bool PayOwed(int fd);
  // Keeps the rest of a line the stream took a part of, to go before anything else; false when
  // there is no memory to keep it in.
  bool Owe(const char* bytes, size_t size);

  void Drop(size_t lines) { m_dropped += lines; }
  size_t Dropped() const { return m_dropped; }
  void ClearDropped() { m_dropped = 0; }

  // A new stream: nothing owed, nothing dropped, not stalled.
  void Reset();

 private:
  bool m_stalled = false;
  size_t m_dropped = 0;
  // Kept from one stream to the next, never freed: the rest of a line is at most a line.
  char* m_owed = nullptr;
  size_t m_owedSize = 0;
  size_t m_owedCapacity = 0;
};

}  // namespace logstream

#endif
