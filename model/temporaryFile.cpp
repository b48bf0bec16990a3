#include "model/temporaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

bool WriteAll(int fd, const unsigned char* data, size_t length) {
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::write(fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string WriteTemporaryFile(const std::string& directory, const char* prefix, const void* data, size_t length) {
  std::string tmpl = directory + prefix + "XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return "";
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, static_cast<const unsigned char*>(data), length) && fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) return name.data();
  ::unlink(name.data());
  return "";
}
