// A PulseAudio server of a test's own: only a silent sink "testsink" and a socket in a directory
// of its own (never the user's). Stopped (SIGSTOP) it stands for a sound server that no longer
// answers; it is let go on again and ended with the object, whatever state it was left in.
#ifndef PARLAVOX_TESTS_GUI_PULSESERVER_H
#define PARLAVOX_TESTS_GUI_PULSESERVER_H

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/testSupport.h"

class PulseServer {
 public:
  // Made in `dir` (ending in "/").
  explicit PulseServer(const std::string& dir) : m_socket(dir + "native") {
    const std::string runtime = dir + "runtime";
    mkdir(runtime.c_str(), 0700);
    // Its own runtime, state and home: nothing of another server or user is read or touched. No
    // display and no session bus, so that it starts no helper of its own.
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtime, "PULSE_RUNTIME_PATH=" + runtime,
                                    "PULSE_STATE_PATH=" + dir + "state", "HOME=" + dir,
                                    "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"};
    if (const char* path = getenv("PATH")) env.push_back(std::string("PATH=") + path);
    const std::vector<std::string> args = {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                           "--use-pid-file=no", "--system=no", "-L",
                                           "module-null-sink sink_name=testsink", "-L",
                                           "module-native-protocol-unix auth-anonymous=1 socket=" + m_socket};
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string log = dir + "server.log";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    if (posix_spawnp(&m_pid, "pulseaudio", &files, nullptr, argv.data(), envp.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&files);
  }
  ~PulseServer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGCONT);
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  std::string Address() const { return "unix:" + m_socket; }
  pid_t Pid() const { return m_pid; }

  // Whether the server answers a client within `ms`: its socket is there and `pactl info` works.
  bool WaitReady(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    const std::string command = "PULSE_SERVER=" + Address() + " pactl info >/dev/null 2>&1";
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
      }
      struct stat st;
      if (stat(m_socket.c_str(), &st) == 0 && system(command.c_str()) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // Stops the server where it stands: it answers nobody and holds what it was sent. True once
  // the system shows it stopped.
  bool Stop() {
    if (m_pid <= 0 || kill(m_pid, SIGSTOP) != 0) return false;
    return testsupport::WaitFor(
        [this] {
          for (const testsupport::ProcessStat& process : testsupport::Processes())
            if (process.pid == m_pid) return process.state == 'T';
          return false;
        },
        std::chrono::seconds(10));
  }
  bool Resume() { return m_pid > 0 && kill(m_pid, SIGCONT) == 0; }

 private:
  std::string m_socket;
  pid_t m_pid = -1;
};

// Lets a server stopped by the test go on at the end of the scope: declared after what waits on
// the server, it runs before that is let go.
struct ResumeAtEnd {
  PulseServer& server;
  ~ResumeAtEnd() { server.Resume(); }
};

#endif
