// A newcomer's first run through the script that `make run` runs: a fresh home, the stand-in
// server started beside the program, and the demo account that the script names typed into the
// log-in panel and logged in.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/network/socketTestSupport.h"
#include "tests/program/childProgram.h"
#include "tests/program/screen.h"
#include "tests/support/testSupport.h"

namespace {

using namespace programtest;
using namespace std::chrono_literals;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WaitFor;

// What the script tells the newcomer once the stand-in listens: its port, and the account to
// type into the log-in panel.
struct Told {
  unsigned short port = 0;
  std::string login, password;
};

// The text between `before` and `after` (both found after `from`), or empty.
std::string Between(const std::string& text, const std::string& before, const std::string& after, size_t* from) {
  const size_t start = text.find(before, *from);
  if (start == std::string::npos) return std::string();
  const size_t end = text.find(after, start + before.size());
  if (end == std::string::npos) return std::string();
  *from = end + after.size();
  return text.substr(start + before.size(), end - start - before.size());
}

bool ReadTold(const std::string& output, Told* told) {
  size_t at = 0;
  const int port = atoi(Between(output, "on localhost:", ";", &at).c_str());
  told->login = Between(output, "type ", " in \"Login:\" and ", &at);
  told->password = Between(output, "", " in \"Password:\", then press \"Connect !\"", &at);
  told->port = static_cast<unsigned short>(port);
  return port > 0 && port < 65536 && !told->login.empty() && !told->password.empty();
}

TEST(FirstRun, TheRunScriptLeadsANewcomerToALogInOnTheStandin) {
  TempDir home, work;
  testsupport::RestartLogAt(work);
  const std::string source = testsupport::SourceDir();
  const std::string log = work.file("run/standin.log");
  ChildProgram script({"bash", source + "/scripts/run-with-standin.sh", PARLAVOX_PROGRAM, PARLAVOX_STANDIN_PROGRAM,
                       source + "/data", work.file("run")},
                      {{"HOME", home.path()},
                       {"PARLAVOX_SERVER", ""},
                       {"LSAN_OPTIONS", "suppressions=" + source + "/tests/support/lsan.supp:print_suppressions=0"}},
                      work.path());
  Told told;
  ASSERT_TRUE(WaitFor([&] { return ReadTold(script.Output(), &told); }, 60s)) << script.Output() << script.Errors();
  EXPECT_EQ("alice", told.login);
  EXPECT_EQ("alice", told.password);
  EXPECT_NE(std::string::npos, script.Output().find(log)) << "the stand-in's log is named";

  pid_t program = 0;
  ASSERT_TRUE(WaitFor([&] { return (program = ChildRunning(script.Pid(), PARLAVOX_PROGRAM)) != 0; }, 60s));
  Screen screen;
  Screen::WindowId window = 0;
  ASSERT_TRUE(WaitFor([&] { return (window = screen.WindowShown(program, "Parlavox")) != 0; }, 60s))
      << script.Errors();
  // Nothing saved in this home: the window offers the log-in panel, its login field holding the
  // keyboard. The account told is typed there as the newcomer types it: the login, Tab to the
  // password, Enter.
  ASSERT_TRUE(WaitFor([&] { return screen.Focus(window); }, 60s)) << "the window never took the keyboard";
  ASSERT_TRUE(screen.Type(told.login));
  ASSERT_TRUE(screen.Press("Tab"));
  ASSERT_TRUE(screen.Type(told.password));
  ASSERT_TRUE(screen.Press("Return"));
  ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find(told.login + " logged in (") != std::string::npos; }, 60s))
      << ReadFile(log);

  // The program ends; the script ends with it, and so does the stand-in. The settings written
  // at the end are the user's alone.
  kill(program, SIGTERM);
  EXPECT_EQ(0, script.WaitExit(60s)) << script.Errors();
  EXPECT_LT(sockettest::Connect(told.port), 0);
  struct stat settings;
  ASSERT_EQ(0, stat(home.file(".parlavox/parlavox.xml").c_str(), &settings));
  EXPECT_EQ(0600u, settings.st_mode & 07777u);
  EXPECT_NE(std::string::npos, ReadFile(home.file(".parlavox/parlavox.xml")).find(">" + told.login + "<"));
}

}  // namespace
