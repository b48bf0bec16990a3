// The program itself, run as a user runs it: it starts in a fresh home, and when the system
// asks it to end (log-out, kill), it ends as if the user had quit: settings saved, exit 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/testSupport.h"

namespace {

using namespace std::chrono_literals;
using testsupport::TempDir;

int ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

pid_t Start(const std::string& home) {
  const std::string program = testsupport::BuildDir() + "/gui/parlavox";
  const std::string data = testsupport::SourceDir() + "/data";
  const std::string lsan =
      "LSAN_OPTIONS=suppressions=" + testsupport::SourceDir() + "/tests/support/lsan.supp:print_suppressions=0";
  pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("PARLAVOX_DATA", data.c_str(), 1);
    putenv(const_cast<char*>(lsan.c_str()));
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// The exit status, or -1 when the program did not end in time (it is then killed).
int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
  int status = 0;
  const bool ended = testsupport::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Program, EndsAsAQuitWhenTheSystemAsks) {
  for (int signal : {SIGTERM, SIGINT}) {
    TempDir home;
    const std::string dir = home.file(".parlavox");
    pid_t pid = Start(home.path());
    ASSERT_GT(pid, 0);
    // Up once the trace log shows the main window made.
    ASSERT_TRUE(testsupport::WaitFor(
        [&] {
          return testsupport::DecodeLogFile(dir + "/parlavox.log", 7, 4).find("create frame") != std::string::npos;
        },
        30s));
    kill(pid, signal);
    EXPECT_EQ(0, WaitExit(pid, 30s));
    EXPECT_EQ(0700, ModeOf(dir));
    EXPECT_EQ(0600, ModeOf(dir + "/parlavox.log"));
    EXPECT_EQ(0600, ModeOf(dir + "/parlavox.xml"));
    EXPECT_NE(std::string::npos, testsupport::ReadFile(dir + "/parlavox.xml").find("</boost_serialization>"));
  }
}

}  // namespace
