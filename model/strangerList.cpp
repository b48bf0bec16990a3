#include "model/strangerList.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "model/log.h"
#include "model/temporaryFile.h"

const char* const StrangerList::kName = "strangers.lst";

namespace {

// Bytes read at once, either way through the list.
const size_t kBlock = 64 * 1024;

// A login as one line: '%' and the control bytes as "%XX".
std::string LineOf(const std::string& login) {
  static const char hex[] = "0123456789ABCDEF";
  std::string line;
  for (unsigned char c : login) {
    if (c < 0x20 || c == '%') {
      line += '%';
      line += hex[c >> 4];
      line += hex[c & 15];
    } else {
      line += static_cast<char>(c);
    }
  }
  return line + '\n';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The login of a line; false for a line this list never holds.
bool LoginOf(const char* line, size_t size, std::string* login) {
  login->clear();
  if (size > StrangerList::kLongestLine) return false;
  for (size_t i = 0; i < size; ++i) {
    if (line[i] != '%') {
      *login += line[i];
      continue;
    }
    int high = i + 2 < size ? HexDigit(line[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(line[i + 2]) : -1;
    if (low < 0) return false;
    *login += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return !login->empty();
}

bool ReadAt(int fd, off_t at, size_t size, std::string* bytes) {
  bytes->resize(size);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, &(*bytes)[done], size - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A file's lines from its end back, a block at a time, reading no more than a budget of bytes;
// a file that ends with '\n'.
class LinesBack {
 public:
  LinesBack(int fd, off_t end, size_t budget)
      : m_fd(fd), m_start(end > 0 ? end - 1 : 0), m_budget(budget), m_done(end == 0) {}
  // The next line back, without its '\n', empty for a line too long to be a login; false at the
  // file's start, on a read error, and once the budget is spent.
  bool Next(std::string* line) {
    bool tooLong = false;
    while (!m_done) {
      size_t newline = m_window.rfind('\n');
      if (newline != std::string::npos || m_start == 0) {
        size_t from = newline == std::string::npos ? 0 : newline + 1;
        if (tooLong || m_window.size() - from > StrangerList::kLongestLine) {
          line->clear();
        } else {
          line->assign(m_window, from, std::string::npos);
        }
        m_lineStart = m_start + static_cast<off_t>(from);
        m_window.resize(newline == std::string::npos ? 0 : newline);
        m_done = newline == std::string::npos;
        return true;
      }
      // Only where such a line starts matters.
      if (m_window.size() > StrangerList::kLongestLine) {
        tooLong = true;
        m_window.clear();
      }
      const size_t size = std::min(static_cast<size_t>(std::min<off_t>(m_start, kBlock)), m_budget);
      std::string block;
      if (size == 0 || !ReadAt(m_fd, m_start - static_cast<off_t>(size), size, &block)) break;
      m_budget -= size;
      m_start -= static_cast<off_t>(size);
      m_window.insert(0, block);
    }
    m_done = true;
    return false;
  }
  // Where the last line given starts.
  off_t LineStart() const { return m_lineStart; }

 private:
  int m_fd;
  // The file's bytes from m_start on, up to the '\n' that ends the next line to give (or only
  // the first of them, within a line too long to be a login).
  off_t m_start;
  std::string m_window;
  size_t m_budget;
  off_t m_lineStart = 0;
  bool m_done;
};

}  // namespace

void StrangerList::Open(const std::string& directory, size_t lines,
                        const std::function<bool(const std::string&)>& take) {
  m_directory = directory;
  m_path = directory + kName;
  m_olderAt = m_olderEnd = 0;
  m_skipping = false;
  m_unreadable = false;
  m_lines = 0;
  int fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    // No list yet is an empty one; one that cannot be opened is never written over.
    m_unreadable = errno != ENOENT;
    return;
  }
  const off_t end = EndLines(fd);
  // Lines of the longest kind, the number asked for.
  LinesBack back(fd, end, lines * (kLongestLine + 1));
  m_olderEnd = end;
  std::string line, login;
  while (m_lines < lines && back.Next(&line)) {
    ++m_lines;
    m_olderEnd = back.LineStart();
    if (LoginOf(line.data(), line.size(), &login) && !take(login)) break;
  }
  ::close(fd);
  if (m_olderEnd > 0)
    TRACE_INFO("%s: %lld bytes of older lines to pass", m_path.c_str(), static_cast<long long>(m_olderEnd));
}

off_t StrangerList::EndLines(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_size == 0) return 0;
  const off_t size = st.st_size;
  const size_t tail = static_cast<size_t>(std::min<off_t>(size, kLongestLine + 1));
  std::string bytes;
  if (!ReadAt(fd, size - static_cast<off_t>(tail), tail, &bytes)) {
    m_unreadable = true;
    return 0;
  }
  if (bytes.back() == '\n') return size;
  const size_t newline = bytes.rfind('\n');
  if (newline == std::string::npos && static_cast<off_t>(tail) < size) {
    // Far too long for a login: it stays, as a line of its own that the next ones follow.
    if (::pwrite(fd, "\n", 1, size) == 1) return size + 1;
    m_unreadable = true;
    return 0;
  }
  const off_t kept = newline == std::string::npos ? 0 : size - static_cast<off_t>(tail - newline - 1);
  if (::ftruncate(fd, kept) != 0) TRACE_ERROR("cannot cut the unfinished line off %s", m_path.c_str());
  return kept;
}

size_t StrangerList::ReadOlder(size_t count, std::vector<std::string>* logins) {
  size_t passed = 0;
  std::string block, login;
  int fd = HasOlder() ? ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
  while (fd >= 0 && passed < count && HasOlder()) {
    const size_t size = static_cast<size_t>(std::min<off_t>(m_olderEnd - m_olderAt, kBlock));
    if (!ReadAt(fd, m_olderAt, size, &block)) break;
    size_t from = 0;
    for (size_t newline = block.find('\n'); newline != std::string::npos && passed < count;
         newline = block.find('\n', from)) {
      if (!m_skipping && LoginOf(block.data() + from, newline - from, &login)) logins->push_back(login);
      m_skipping = false;
      ++passed;
      from = newline + 1;
    }
    // The rest of a line longer than any login is passed over up to its end.
    if (passed < count && block.size() - from > kLongestLine) {
      m_skipping = true;
      from = block.size();
    }
    // No line ends in what is left of the older part: the file changed since it was taken up
    // (the older part always ends a line). Read again, it would give the same, for good.
    if (from == 0) break;
    m_olderAt += static_cast<off_t>(from);
  }
  if (fd >= 0) ::close(fd);
  if (HasOlder() && passed < count) {
    // The older part can no longer be read: its lines stay listed for a later run.
    TRACE_ERROR("cannot read %s", m_path.c_str());
    m_olderEnd = m_olderAt = 0;
    m_unreadable = true;
  }
  return passed;
}

bool StrangerList::Append(const std::string& login) {
  const std::string line = LineOf(login);
  int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  struct stat st;
  const bool sized = fd >= 0 && ::fstat(fd, &st) == 0;
  const bool ok = sized && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  // A line written in part would run into the next one.
  if (!ok && sized && ::ftruncate(fd, st.st_size) != 0) TRACE_ERROR("cannot take back a line of %s", m_path.c_str());
  if (fd >= 0) ::close(fd);
  if (!ok) {
    TRACE_ERROR("cannot add %s to %s", login.c_str(), m_path.c_str());
    return false;
  }
  ++m_lines;
  return true;
}

bool StrangerList::Rewrite(const std::list<std::string>& logins) {
  if (m_unreadable) return false;
  std::string text;
  for (const std::string& login : logins) text += LineOf(login);
  const std::string written = WriteTemporaryFile(m_directory, ".imimage-", text.data(), text.size());
  if (written.empty() || ::rename(written.c_str(), m_path.c_str()) != 0) {
    if (!written.empty()) ::unlink(written.c_str());
    TRACE_ERROR("cannot write %s", m_path.c_str());
    return false;
  }
  m_olderAt = m_olderEnd = 0;
  m_skipping = false;
  m_lines = logins.size();
  return true;
}
