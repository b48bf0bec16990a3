#include "model/logFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace logfile {

namespace {

// Whole lines can be written to it at any time, and nothing is kept of them on the disk.
bool IsStream(const struct stat& st) { return S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode); }

// The descriptor once what it leads to is known to be taken: a file of its own made private and
// emptied, or a stream; -1 (the descriptor closed) for anything else.
int Take(int fd, bool followed, bool* regular) {
  struct stat st;
  bool taken = fstat(fd, &st) == 0;
  *regular = taken && S_ISREG(st.st_mode);
  if (*regular) {
    // A file is only taken where it stands, never where a link leads.
    taken = !followed && fchmod(fd, 0600) == 0 && ftruncate(fd, 0) == 0;
  } else {
    taken = taken && IsStream(st);
  }
  // A file is written as ever, waiting for the disk; a stream stays without waiting: its writes
  // take what it has room for, and the log deals with the rest (logStream.h).
  if (taken && (!*regular || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)) return fd;
  ::close(fd);
  *regular = false;
  return -1;
}

}  // namespace

int Open(const char* path, bool* regular) {
  *regular = false;
  // Without waiting: a named pipe that nobody reads is refused at once (ENXIO), never waited for.
  const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(path, flags | O_CREAT | O_NOFOLLOW, 0600);
  if (fd >= 0) return Take(fd, false, regular);
  if (errno != ELOOP) return -1;
  // A link: followed only to what is there already, and taken only when that is a stream.
  fd = ::open(path, flags);
  return fd >= 0 ? Take(fd, true, regular) : -1;
}

}  // namespace logfile
