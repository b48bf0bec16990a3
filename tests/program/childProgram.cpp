#include "tests/program/childProgram.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/testSupport.h"

namespace programtest {

namespace {

[[noreturn]] void Exec(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

int StatusOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ChildProgram::ChildProgram(const std::vector<std::string>& argv, const Environment& environment,
                           const std::string& workDir)
    : m_outputPath(workDir + "/output.txt"), m_errorPath(workDir + "/errors.txt") {
  m_pid = fork();
  if (m_pid == 0) {
    setpgid(0, 0);
    int out = open(m_outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(m_errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(126);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& entry : environment) {
      if (entry.second.empty()) {
        unsetenv(entry.first.c_str());
      } else {
        setenv(entry.first.c_str(), entry.second.c_str(), 1);
      }
    }
    Exec(argv);
  }
  if (m_pid > 0) setpgid(m_pid, m_pid);
}

ChildProgram::~ChildProgram() {
  if (m_pid <= 0) return;
  // The whole group: a script's children go with it.
  kill(-m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
}

std::string ChildProgram::Output() const { return testsupport::ReadFile(m_outputPath); }
std::string ChildProgram::Errors() const { return testsupport::ReadFile(m_errorPath); }

int ChildProgram::WaitExit(std::chrono::milliseconds timeout) {
  int status = 0;
  if (m_pid <= 0) return -1;
  if (!testsupport::WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, timeout)) return -1;
  // What the group left behind is ended here, not by the destructor: the pid may be reused.
  kill(-m_pid, SIGKILL);
  m_pid = -1;
  return StatusOf(status);
}

int RunToEnd(const std::vector<std::string>& argv, const std::string& workDir, std::string* output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    if (chdir(workDir.c_str()) != 0) _exit(126);
    Exec(argv);
  }
  close(fds[1]);
  output->clear();
  char buffer[4096];
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
    if (left <= 0 || poll(&p, 1, left) <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output->append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return StatusOf(status);
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

pid_t ChildRunning(pid_t parent, const std::string& program) {
  const std::string wanted = RealPath(program);
  for (const std::string& name : testsupport::ListDir("/proc")) {
    const pid_t pid = static_cast<pid_t>(atoi(name.c_str()));
    if (pid <= 0) continue;
    // The parent is the second field after the command's closing parenthesis.
    const std::string stat = testsupport::ReadFile("/proc/" + name + "/stat");
    const size_t at = stat.rfind(')');
    int ppid = 0;
    if (at == std::string::npos || sscanf(stat.c_str() + at + 1, " %*c %d", &ppid) != 1 || ppid != parent) continue;
    char exe[PATH_MAX];
    const ssize_t length = readlink(("/proc/" + name + "/exe").c_str(), exe, sizeof exe - 1);
    if (length > 0 && std::string(exe, static_cast<size_t>(length)) == wanted) return pid;
  }
  return 0;
}

}  // namespace programtest
