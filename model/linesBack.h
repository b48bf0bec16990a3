// A file's lines read from its end back, a block at a time, over as many calls as it takes: each
// call reads no more bytes than it is given, so that a line of any length is passed over a share
// at a time, and no more of a line too long to keep than its last block is ever held.
#ifndef PARLAVOX_MODEL_LINESBACK_H
#define PARLAVOX_MODEL_LINESBACK_H

#include <sys/types.h>

#include <cstddef>
#include <string>

// Reads `size` bytes at `at`, all of them, and lets the kernel's cache drop them; false on an
// error or before as many are there.
bool ReadFileAt(int fd, off_t at, size_t size, std::string* bytes);

class LinesBack {
 public:
  // Bytes read at once.
  static constexpr size_t kBlock = 64 * 1024;

  enum Step { kLine, kSpent, kEnd };

  // Starts from `end`, where a line of the file ends (after its '\n'); 0 for an empty file.
  void Start(off_t end);
  // The next line back, without its '\n', in *line (empty for a line longer than `longest`), as
  // kLine; kSpent when `*budget` bytes were read first (the next call goes on from there); kEnd at
  // the file's start, and when the file could not be read (Failed()). The file is read through
  // fd, which may be another descriptor of it at each call.
  Step Next(int fd, size_t longest, size_t* budget, std::string* line);
  // Where the last line given starts.
  off_t LineStart() const { return m_lineStart; }
  bool Failed() const { return m_failed; }

 private:
  // The file's bytes from m_start on, up to the '\n' that ends the next line to give (within a
  // line too long to keep, only those of its last block read).
  off_t m_start = 0;
  std::string m_window;
  // The next line is too long to keep: only where it starts is still looked for.
  bool m_tooLong = false;
  bool m_done = true;
  bool m_failed = false;
  off_t m_lineStart = 0;
};

#endif
