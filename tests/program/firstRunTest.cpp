// A newcomer's first run through the script that `make run` runs: a fresh home, the stand-in
// server started beside the program, and the demo account that the script names logged in.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "model/config.h"
#include "tests/network/socketTestSupport.h"
#include "tests/program/childProgram.h"
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

// The settings of a home where the user logged in before with a saved password: the program
// logs in by itself at start.
void SaveLogIn(const std::string& home, const std::string& login, const std::string& password) {
  const std::string dir = home + ".parlavox/";
  ASSERT_EQ(0, mkdir(dir.c_str(), 0700));
  Config::SetUserPath(dir);
  Config* config = Config::GetInstance();
  config->SetLogin(login);
  config->SetPassword(password);
  config->SetPasswordSaved(true);
  ASSERT_TRUE(config->GetAutoConnectStatus());
  ASSERT_TRUE(config->Save());
}

TEST(FirstRun, TheRunScriptLeadsANewcomerToALogInOnTheStandin) {
  TempDir home, work;
  testsupport::RestartLogAt(work);
  // Until the window has its log-in panel, the account goes into the settings beforehand and the
  // automatic log-in at start stands in for typing it (see below).
  SaveLogIn(home.path(), "alice", "alice");
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
  ASSERT_TRUE(WaitFor([&] { return screen.ShowsWindow(program, "Parlavox"); }, 60s)) << script.Errors();
  // Here the account told is to be typed into the log-in panel once the window has one.
  ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find(told.login + " logged in (") != std::string::npos; }, 60s))
      << ReadFile(log);

  // The program ends; the script ends with it, and so does the stand-in.
  kill(program, SIGTERM);
  EXPECT_EQ(0, script.WaitExit(60s)) << script.Errors();
  EXPECT_LT(sockettest::Connect(told.port), 0);
}

}  // namespace
