#include "model/regularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace regularfile {

int Open(const std::string& path) {
  // Without O_NONBLOCK, opening a named pipe waits until something opens it for writing, and
  // only then could it be told from a file. A regular file ignores the flag; it is dropped all
  // the same, so that whoever reads through the descriptor sees the file as they expect.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) return fd;
  ::close(fd);
  errno = EINVAL;
  return -1;
}

FILE* OpenStream(const std::string& path) {
  const int fd = Open(path);
  if (fd < 0) return nullptr;
  FILE* stream = ::fdopen(fd, "rb");
  if (!stream) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return stream;
}

bool ReadWhole(const std::string& path, std::string* bytes, size_t limit) {
  bytes->clear();
  const int fd = Open(path);
  if (fd < 0) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || bytes->size() + size_t(n) > limit) {
      const int error = n < 0 ? errno : EFBIG;
      ::close(fd);
      bytes->clear();
      errno = error;
      return false;
    }
    if (n == 0) break;
    bytes->append(buffer, size_t(n));
  }
  ::close(fd);
  return true;
}

}  // namespace regularfile
