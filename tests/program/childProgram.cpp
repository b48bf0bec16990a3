#include "tests/program/childProgram.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/testSupport.h"

namespace programtest {

namespace {

// The environment of this process with the changes made: a name given replaces its entry, an
// empty value removes it.
std::vector<std::string> ChangedEnvironment(const Environment& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    bool changed = false;
    for (const auto& change : changes) changed = changed || text.rfind(change.first + "=", 0) == 0;
    if (!changed) entries.push_back(text);
  }
  // A name given twice takes its last value.
  for (size_t i = 0; i < changes.size(); ++i) {
    bool later = false;
    for (size_t j = i + 1; j < changes.size(); ++j) later = later || changes[j].first == changes[i].first;
    if (!later && !changes[i].second.empty()) entries.push_back(changes[i].first + "=" + changes[i].second);
  }
  return entries;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Starts argv[0] (looked up on the PATH) with the file actions and the environment given; the
// child, in a group of its own, runs no code of this process between the fork and the exec. A
// forked copy of a process whose other threads hold locks (the allocator's, the sanitizers')
// would wait for them forever, before it ever became the program. The child's pid, or -1 with
// errno set.
pid_t Spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* actions, char* const* envp) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const std::vector<char*> args = Pointers(argv);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], actions, &attributes, args.data(), envp);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    errno = error;
    return -1;
  }
  return pid;
}

int StatusOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ChildProgram::ChildProgram(const std::vector<std::string>& argv, const Environment& environment,
                           const std::string& workDir)
    : m_outputPath(workDir + "/output.txt"), m_errorPath(workDir + "/errors.txt") {
  const std::vector<std::string> entries = ChangedEnvironment(environment);
  const std::vector<char*> envp = Pointers(entries);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, m_outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, m_errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  m_pid = Spawn(argv, &actions, envp.data());
  const int error = errno;
  posix_spawn_file_actions_destroy(&actions);
  // A program that could not start says why where its errors would be.
  if (m_pid < 0) testsupport::WriteFile(m_errorPath, "could not start " + argv[0] + ": " + strerror(error) + "\n");
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
  output->clear();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  const std::vector<std::string> entries = ChangedEnvironment({});
  const std::vector<char*> envp = Pointers(entries);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  const pid_t pid = Spawn(argv, &actions, envp.data());
  const int error = errno;
  posix_spawn_file_actions_destroy(&actions);
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    *output = "could not start " + argv[0] + ": " + strerror(error) + "\n";
    return -1;
  }
  close(fds[1]);
  char buffer[4096];
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
    if (left <= 0 || poll(&p, 1, left) <= 0) {
      // The whole group: whatever of it still holds the output open goes too.
      kill(-pid, SIGKILL);
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
  for (const testsupport::ProcessStat& process : testsupport::Processes()) {
    if (process.pid <= 0 || process.parent != long(parent)) continue;
    char exe[PATH_MAX];
    const ssize_t length = readlink(("/proc/" + std::to_string(process.pid) + "/exe").c_str(), exe, sizeof exe - 1);
    if (length > 0 && std::string(exe, static_cast<size_t>(length)) == wanted) return process.pid;
  }
  return 0;
}

}  // namespace programtest
