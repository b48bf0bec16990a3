#include "standin/link/replaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t r = write(fd, bytes.data() + done, bytes.size() - done);
    if (r <= 0) return false;
    done += static_cast<size_t>(r);
  }
  return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace standin
