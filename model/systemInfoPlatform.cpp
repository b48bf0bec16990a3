#include "model/systemInfoPlatform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "model/childProcess.h"
#include "model/log.h"

namespace {

const size_t kMaxOutput = 64 * 1024;

int Fail(int error) {
  errno = error;
  return -1;
}

int CopyText(const std::string& text, void* buffer, size_t* size) {
  if (text.size() + 1 > *size) return Fail(ENOMEM);
  memcpy(buffer, text.c_str(), text.size() + 1);
  *size = text.size() + 1;
  return 0;
}

template <typename T>
int CopyValue(T value, void* buffer, size_t* size) {
  if (*size < sizeof value) return Fail(ENOMEM);
  memcpy(buffer, &value, sizeof value);
  *size = sizeof value;
  return 0;
}

// The value of the first "key : value" line of /proc/cpuinfo whose key is `key`.
bool CpuInfoField(const std::string& key, std::string* value) {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (name != key) continue;
    size_t start = line.find_first_not_of(" \t", colon + 1);
    *value = start == std::string::npos ? "" : line.substr(start);
    return true;
  }
  return false;
}

int64_t MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
      .count();
}

}  // namespace

int ReadSystemValue(const char* name, void* buffer, size_t* size) {
  TRACE_START_ARGS("%s", name);
  std::string key = name ? name : "";
  int rc = -1;
  struct utsname uts;
  std::string text;
  if (!buffer || !size) {
    rc = Fail(EINVAL);
  } else if (key == "kern.ostype" || key == "kern.osrelease") {
    if (uname(&uts) != 0) {
      rc = Fail(ENOENT);
    } else {
      rc = CopyText(key == "kern.ostype" ? uts.sysname : uts.release, buffer, size);
    }
  } else if (key == "hw.model") {
    rc = CpuInfoField("model name", &text) ? CopyText(text, buffer, size) : Fail(ENOENT);
  } else if (key == "hw.clockrate") {
    // "cpu MHz : 2893.204" gives 2893.
    rc = CpuInfoField("cpu MHz", &text) && !text.empty()
             ? CopyValue(static_cast<int>(strtod(text.c_str(), nullptr)), buffer, size)
             : Fail(ENOENT);
  } else if (key == "hw.physmem") {
    struct sysinfo info;
    rc = sysinfo(&info) == 0
             ? CopyValue(static_cast<uint64_t>(info.totalram) * info.mem_unit, buffer, size)
             : Fail(ENOENT);
  } else {
    rc = Fail(ENOENT);
  }
  TRACE_END_RESULT("%d", rc);
  return rc;
}

namespace {

// Reads the command's output until it closes it (true) or the deadline passes (false).
bool ReadUntilClosed(int fd, std::chrono::steady_clock::time_point deadline, std::string* output) {
  char chunk[4096];
  for (;;) {
    int64_t left = MillisecondsLeft(deadline);
    if (left <= 0) return false;
    struct pollfd p = {fd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (output && output->size() < kMaxOutput)
      output->append(chunk, std::min(static_cast<size_t>(n), kMaxOutput - output->size()));
  }
}

// Once its output is closed, the command has what remains of the time to exit; reaped or not.
bool ReapBefore(pid_t pid, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    pid_t r = waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return true;
    if (MillisecondsLeft(deadline) <= 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

bool RunCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                std::string* output) {
  TRACE_START_ARGS("%s", argv.empty() ? "" : argv[0].c_str());
  if (output) output->clear();
  if (argv.empty()) {
    TRACE_END_RESULT("no command");
    return false;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    TRACE_ERROR("END : pipe failed (%s)", strerror(errno));
    return false;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = -1;
  const int rc = childprocess::Spawn(args.data(), fds[1], true, &pid);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    TRACE_END_RESULT("cannot start %s (%s)", args[0], strerror(rc));
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const bool finished = ReadUntilClosed(fds[0], deadline, output);
  close(fds[0]);
  if (!finished || !ReapBefore(pid, deadline)) {
    kill(-pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    TRACE_ERROR("END : %s killed after %ld ms", args[0], static_cast<long>(timeout.count()));
    return false;
  }
  TRACE_END_RESULT("%lu bytes", static_cast<unsigned long>(output ? output->size() : 0));
  return true;
}
