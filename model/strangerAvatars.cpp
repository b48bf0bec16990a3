#include "model/strangerAvatars.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/temporaryFile.h"

const char* const StrangerAvatars::kListName = "strangers.lst";

namespace {

// Past this many lines beyond twice the bound, the list is written afresh.
const size_t kSlackLines = 64;

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
bool LoginOf(const std::string& line, std::string* login) {
  login->clear();
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '%') {
      *login += line[i];
      continue;
    }
    int high = i + 2 < line.size() ? HexDigit(line[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(line[i + 2]) : -1;
    if (low < 0) return false;
    *login += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return !login->empty();
}

}  // namespace

StrangerAvatars& StrangerAvatars::Instance() {
  // Never destroyed: a thread still storing at the very end finds it whole.
  static StrangerAvatars* instance = new StrangerAvatars();
  return *instance;
}

bool StrangerAvatars::IsKept(const std::string& login) {
  Config* config = Config::GetInstance();
  return login == config->GetContactInfo()->GetLogin() || config->HasContact(login);
}

void StrangerAvatars::SetBound(size_t bound) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bound = bound > 0 ? bound : 1;
}

void StrangerAvatars::Stored(const std::string& login) {
  const std::string directory = Config::GetUserPath();
  if (directory.empty()) return;  // no user directory yet: nowhere to keep the list
  const bool kept = IsKept(login);
  std::vector<std::string> oldest;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    Open(directory);
    if (kept) {
      auto known = m_index.find(login);
      if (known != m_index.end()) {
        m_order.erase(known->second);
        m_index.erase(known);
      }
      return;
    }
    // The two sizes of one avatar come one after the other: the login is written once.
    if (m_order.empty() || m_order.back() != login) {
      MoveToNewest(login);
      Append(login);
    }
    while (m_order.size() > m_bound) {
      oldest.push_back(m_order.front());
      m_index.erase(m_order.front());
      m_order.pop_front();
    }
    if (m_lines > 2 * m_bound + kSlackLines) Rewrite();
  }
  // The image store's lock is taken for each removal: no window or thread reads a file as it goes.
  for (const std::string& gone : oldest) {
    if (IsKept(gone)) continue;
    TRACE_INFO("avatar of %s removed: no contact, and the strangers' avatars stored since fill the bound",
               gone.c_str());
    IMImage::RemoveAvatar(gone, false, true);
    IMImage::RemoveAvatar(gone, true, true);
  }
}

void StrangerAvatars::Open(const std::string& directory) {
  if (directory == m_directory) return;
  m_directory = directory;
  m_order.clear();
  m_index.clear();
  m_lines = 0;
  std::ifstream in(directory + kListName, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string login;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
    ++m_lines;
    if (LoginOf(text.substr(start, end - start), &login)) MoveToNewest(login);
  }
  // A session that ended in the middle of a line: the line goes, and the next ones start afresh.
  if (start < text.size()) Rewrite();
  // The files of the oldest past the bound go with the store that opened the list.
}

void StrangerAvatars::MoveToNewest(const std::string& login) {
  auto known = m_index.find(login);
  if (known != m_index.end()) {
    m_order.splice(m_order.end(), m_order, known->second);
    return;
  }
  m_order.push_back(login);
  m_index[login] = std::prev(m_order.end());
}

void StrangerAvatars::Append(const std::string& login) {
  const std::string path = m_directory + kListName;
  const std::string line = LineOf(login);
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  bool ok = fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  if (fd >= 0) ::close(fd);
  ++m_lines;
  if (ok) return;
  TRACE_ERROR("cannot add %s to %s", login.c_str(), path.c_str());
  // A line written in part would run into the next one.
  Rewrite();
}

void StrangerAvatars::Rewrite() {
  std::string text;
  for (const std::string& login : m_order) text += LineOf(login);
  const std::string path = m_directory + kListName;
  const std::string written = WriteTemporaryFile(m_directory, ".imimage-", text.data(), text.size());
  if (written.empty() || ::rename(written.c_str(), path.c_str()) != 0) {
    if (!written.empty()) ::unlink(written.c_str());
    TRACE_ERROR("cannot write %s", path.c_str());
    return;
  }
  m_lines = m_order.size();
}
