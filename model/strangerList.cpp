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

}  // namespace

int StrangerList::OpenFile(int flags) const {
  // A link is not followed, and a named pipe or a device not waited for (a file ignores
  // O_NONBLOCK).
  const int fd = ::open(m_path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  ::close(fd);
  errno = EINVAL;
  return -1;
}

void StrangerList::Open(const std::string& directory, size_t lines,
                        const std::function<bool(const std::string&)>& take) {
  m_directory = directory;
  m_path = directory + kName;
  m_takingUp = false;
  m_take = nullptr;
  m_olderAt = m_olderEnd = 0;
  m_skipping = false;
  m_unreadable = false;
  m_lines = 0;
  int fd = OpenFile(O_RDWR);
  if (fd < 0) {
    // No list yet is an empty one; one that cannot be opened, or is no file of its own, is
    // never written over.
    m_unreadable = errno != ENOENT;
    if (m_unreadable) TRACE_ERROR("%s is no file that can be read: left as it is", m_path.c_str());
    return;
  }
  const off_t end = EndLines(fd);
  m_back.Start(end);
  m_olderEnd = end;
  m_wanted = lines;
  m_take = take;
  m_takingUp = true;
  TakeUp(fd);
  ::close(fd);
}

void StrangerList::TakeUpMore() {
  if (!m_takingUp) return;
  int fd = OpenFile(O_RDONLY);
  if (fd < 0) {
    // Gone or replaced since it was taken up: whatever it names stays for a later run.
    TRACE_ERROR("cannot read %s", m_path.c_str());
    m_olderEnd = m_olderAt = 0;
    m_unreadable = true;
    TakenUp();
    return;
  }
  TakeUp(fd);
  ::close(fd);
}

void StrangerList::TakeUp(int fd) {
  size_t budget = kShare;
  std::string line, login;
  while (m_wanted > 0) {
    const LinesBack::Step step = m_back.Next(fd, kLongestLine, &budget, &line);
    if (step == LinesBack::kSpent) return;
    if (step == LinesBack::kEnd) break;
    if (LoginOf(line.data(), line.size(), &login) && !m_take(login)) break;
    --m_wanted;
    ++m_lines;
    m_olderEnd = m_back.LineStart();
  }
  TakenUp();
}

void StrangerList::TakenUp() {
  m_takingUp = false;
  m_take = nullptr;
  if (m_olderEnd > 0)
    TRACE_INFO("%s: %lld bytes of older lines to pass", m_path.c_str(), static_cast<long long>(m_olderEnd));
}

off_t StrangerList::EndLines(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_size == 0) return 0;
  const off_t size = st.st_size;
  const size_t tail = static_cast<size_t>(std::min<off_t>(size, kLongestLine + 1));
  std::string bytes;
  if (!ReadFileAt(fd, size - static_cast<off_t>(tail), tail, &bytes)) {
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
  if (!HasOlder()) return 0;
  size_t passed = 0;
  std::string block, login;
  const int fd = OpenFile(O_RDONLY);
  bool failed = fd < 0;
  for (size_t read = 0; !failed && passed < count && HasOlder() && read < kShare; read += LinesBack::kBlock) {
    const size_t size = static_cast<size_t>(std::min<off_t>(m_olderEnd - m_olderAt, LinesBack::kBlock));
    if (!ReadFileAt(fd, m_olderAt, size, &block)) {
      failed = true;
      break;
    }
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
    failed = from == 0;
    m_olderAt += static_cast<off_t>(from);
  }
  if (fd >= 0) ::close(fd);
  if (failed) {
    // The older part can no longer be read: its lines stay listed for a later run.
    TRACE_ERROR("cannot read %s", m_path.c_str());
    m_olderEnd = m_olderAt = 0;
    m_unreadable = true;
  }
  return passed;
}

bool StrangerList::Append(const std::string& login) {
  const std::string line = LineOf(login);
  int fd = OpenFile(O_WRONLY | O_APPEND | O_CREAT);
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
  if (m_unreadable || m_takingUp) return false;
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
