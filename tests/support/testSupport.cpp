#include "tests/support/testSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "model/log.h"

// Under the address sanitizer the heap is its own: it is asked.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace testsupport {

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/parlavox-test-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  m_path = std::string(buf.data()) + "/";
}

TempDir::~TempDir() {
  nftw(
      m_path.c_str(),
      [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
      FTW_DEPTH | FTW_PHYS);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::istringstream text(ReadFile(path));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(text, line)) {
    if (!text.eof()) lines.push_back(line);
  }
  return lines;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir))
      if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string DescribeFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return "none";
  char mode[16];
  snprintf(mode, sizeof mode, "%06o ", static_cast<unsigned>(st.st_mode));
  if (S_ISREG(st.st_mode)) return mode + ReadFile(path);
  char target[4096];
  const ssize_t length = S_ISLNK(st.st_mode) ? readlink(path.c_str(), target, sizeof target) : 0;
  return mode + std::string(target, length > 0 ? static_cast<size_t>(length) : 0);
}

std::vector<ProcessStat> Processes() {
  std::vector<ProcessStat> processes;
  for (const std::string& entry : ListDir("/proc")) {
    if (entry.find_first_not_of("0123456789") != std::string::npos) continue;
    // After the name's closing parenthesis: the state, the parent and the group.
    const std::string stat = ReadFile("/proc/" + entry + "/stat");
    const size_t close = stat.rfind(')');
    ProcessStat process;
    if (close == std::string::npos ||
        sscanf(stat.c_str() + close + 1, " %c %ld %ld", &process.state, &process.parent, &process.group) != 3)
      continue;
    process.pid = static_cast<pid_t>(atol(entry.c_str()));
    process.pidAndName = stat.substr(0, close + 1);
    processes.push_back(std::move(process));
  }
  return processes;
}

std::string RunningInGroup(pid_t group) {
  std::string found;
  for (const ProcessStat& process : Processes())
    if (process.group == long(group) && process.state != 'Z' && process.state != 'X') found += process.pidAndName + "\n";
  return found;
}

std::string DecodeLogFile(const std::string& path, unsigned key_start, unsigned step) {
  // The lines this process handed to the log's writer are in the file first.
  log_flush();
  std::string bytes = ReadFile(path);
  log_unscramble(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), key_start, step);
  return bytes;
}

std::string ReadLogWithTool(const std::string& path, int* status) {
  std::string out;
  FILE* p = popen((BuildDir() + "/scripts/parlavox-logcat " + path).c_str(), "r");
  if (!p) {
    *status = -1;
    return out;
  }
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  *status = pclose(p);
  return out;
}

std::string RestartLogAt(const TempDir& dir, const std::string& name) {
  log_reset_for_testing(LOG_KEY_START, log_step());
  std::string path = dir.file(name);
  start_log(path.c_str());
  return path;
}

bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return cond();
}

bool EndsWithoutWaitingOn(const std::string& pipe, const std::function<void()>& work,
                          std::chrono::milliseconds bound) {
  std::atomic<bool> ended{false};
  std::thread worker([&] {
    work();
    ended = true;
  });
  const bool alone = WaitFor([&] { return ended.load(); }, bound);
  if (!alone) {
    // The reading end lets a writer's open go on (and takes what it writes), the writing end a
    // reader's, whose reads then end: nothing writes any more once it is closed.
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) close(writer);
    worker.join();
    if (reader >= 0) close(reader);
  } else {
    worker.join();
  }
  return alone;
}

size_t HeapInUse() {
  if (__sanitizer_get_current_allocated_bytes) return __sanitizer_get_current_allocated_bytes();
  return mallinfo2().uordblks;
}

std::string Hex(const void* bytes, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<const unsigned char*>(bytes)[i];
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

static std::string EnvOr(const char* name, const char* fallback) {
  const char* v = getenv(name);
  return v && *v ? v : fallback;
}

std::string SourceDir() { return EnvOr("PARLAVOX_SOURCE_DIR", PARLAVOX_SOURCE_DIR); }
std::string BuildDir() { return EnvOr("PARLAVOX_BUILD_DIR", PARLAVOX_BUILD_DIR); }

bool LinkProgramData(const std::string& dataDir) {
  const std::string dir = dataDir.empty() || dataDir.back() == '/' ? dataDir : dataDir + "/";
  bool linked = true;
  for (const std::string& name : ListDir(SourceDir() + "/data")) {
    if (name != "parlavox.pem" && symlink((SourceDir() + "/data/" + name).c_str(), (dir + name).c_str()) != 0)
      linked = false;
  }
  return linked;
}

}  // namespace testsupport

namespace testsupport {

void KeepWebPagesOffTheDesktop() {
  // The desktop's choice of handler for http(s) is read from XDG_CONFIG_HOME's mimeapps.list and
  // the applications under XDG_DATA_HOME: both point at one folder per user holding a handler that
  // runs "true". Written under a temporary name and renamed, so processes starting together agree.
  const std::string dir = "/tmp/parlavox-tests-nobrowser-" + std::to_string(getuid()) + "/";
  mkdir(dir.c_str(), 0700);
  mkdir((dir + "applications").c_str(), 0700);
  const std::string unique = "." + std::to_string(getpid());
  const std::pair<std::string, std::string> files[] = {
      {"mimeapps.list",
       "[Default Applications]\nx-scheme-handler/http=parlavox-nobrowser.desktop\n"
       "x-scheme-handler/https=parlavox-nobrowser.desktop\n"},
      {"applications/parlavox-nobrowser.desktop",
       "[Desktop Entry]\nType=Application\nName=No browser\nExec=true %u\nNoDisplay=true\n"
       "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n"}};
  for (const auto& [name, text] : files) {
    if (WriteFile(dir + name + unique, text)) rename((dir + name + unique).c_str(), (dir + name).c_str());
  }
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  setenv("XDG_DATA_HOME", dir.c_str(), 1);
}

}  // namespace testsupport
