#include "tests/standin/standinProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace standintest {

namespace {

// Reads the program's first line of output within the time; empty when none came.
std::string FirstLine(int fd, std::chrono::milliseconds timeout) {
  std::string line;
  auto end = std::chrono::steady_clock::now() + timeout;
  while (line.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return "";
    char c;
    if (read(fd, &c, 1) != 1) return "";
    line += c;
  }
  return line;
}

}  // namespace

StandinProcess::StandinProcess(const std::string& program, const std::string& dataDir,
                               const std::vector<std::string>& arguments)
    : m_dataDir(dataDir) {
  std::vector<std::string> all = {program, "--port", "0", "--data", m_dataDir};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::string logTemplate = m_dataDir + (m_dataDir.empty() || m_dataDir.back() == '/' ? "" : "/") + "standin-XXXXXX.log";
  int logFd = mkstemps(&logTemplate[0], 4);
  if (logFd < 0) return;
  m_logPath = logTemplate;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    close(logFd);
    return;
  }
  m_pid = fork();
  if (m_pid == 0) {
    dup2(pipeFds[1], 1);
    dup2(logFd, 2);
    close(logFd);
    close(pipeFds[0]);
    close(pipeFds[1]);
    // A small quarantine keeps the sanitizer's own memory from hiding the server's.
    setenv("ASAN_OPTIONS", "quarantine_size_mb=8:detect_leaks=1", 1);
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  close(logFd);
  m_output = pipeFds[0];
  std::string line = FirstLine(m_output, std::chrono::milliseconds(20000));
  unsigned port = 0;
  const char* at = strstr(line.c_str(), "listening on 127.0.0.1:");
  if (at && sscanf(at, "listening on 127.0.0.1:%u", &port) == 1) m_port = static_cast<unsigned short>(port);
  if (!m_port) fprintf(stderr, "parlavox-standin did not start listening; its log:\n%s", Log().c_str());
}

StandinProcess::~StandinProcess() {
  if (m_pid > 0 && Stop() == -1 && m_pid > 0) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  if (m_output >= 0) close(m_output);
}

std::string StandinProcess::Log() const {
  std::ifstream file(m_logPath);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

long StandinProcess::ResidentKb(bool peak) const {
  std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, peak ? "VmHWM:" : "VmRSS:") == 0) return atol(line.c_str() + 6);
  }
  return 0;
}

double StandinProcess::CpuSeconds() const {
  std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The fields after the command's closing parenthesis; user and system time are 14th and 15th.
  size_t at = text.rfind(')');
  unsigned long user = 0, system = 0;
  if (at == std::string::npos ||
      sscanf(text.c_str() + at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2) {
    return 0;
  }
  return static_cast<double>(user + system) / sysconf(_SC_CLK_TCK);
}

bool StandinProcess::Running() {
  if (m_pid <= 0) return false;
  int status = 0;
  if (waitpid(m_pid, &status, WNOHANG) != m_pid) return true;
  m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m_pid = -1;
  return false;
}

int StandinProcess::Stop(std::chrono::milliseconds timeout) {
  if (m_pid <= 0) return m_status;
  kill(m_pid, SIGTERM);
  auto end = std::chrono::steady_clock::now() + timeout;
  while (Running()) {
    if (std::chrono::steady_clock::now() > end) return -1;
    usleep(10000);
  }
  // A sanitizer's report, or why it failed, must not stay hidden in the file.
  if (m_status != 0) fprintf(stderr, "parlavox-standin ended with %d; its log:\n%s", m_status, Log().c_str());
  return m_status;
}

}  // namespace standintest
