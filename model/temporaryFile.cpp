#include "model/temporaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

bool ReplaceFile(const std::string& path, const void* data, size_t length) {
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = path.substr(directory.size());
  const std::string written = WriteTemporaryFile(directory, ("." + name + ".").c_str(), data, length);
  if (written.empty()) return false;
  if (::rename(written.c_str(), path.c_str()) == 0) return true;
  ::unlink(written.c_str());
  return false;
}
