// The program itself, run as a user runs it: it starts in a fresh home, and when the system
// asks it to end (log-out, kill), it ends as if the user had quit: settings saved, exit 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "model/config.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/testServer.h"

namespace {

using namespace std::chrono_literals;
using testsupport::TempDir;

int ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

pid_t Start(const std::string& home, const std::vector<std::string>& environment = {}) {
  const std::string program = testsupport::BuildDir() + "/gui/parlavox";
  const std::string data = testsupport::SourceDir() + "/data";
  const std::string lsan =
      "LSAN_OPTIONS=suppressions=" + testsupport::SourceDir() + "/tests/support/lsan.supp:print_suppressions=0";
  pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("PARLAVOX_DATA", data.c_str(), 1);
    putenv(const_cast<char*>(lsan.c_str()));
    for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
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
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
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

// The program logged in to a server that floods it with messages and heart-beats: the system's
// request to end is carried out at once all the same, the settings saved.
TEST(Program, EndsAsAQuitDuringAFlood) {
  TempDir home;
  const std::string dir = home.file(".parlavox");
  // The program's data with the test authority's trust store beside it.
  const std::string data = home.file("data");
  ASSERT_EQ(0, system(("cp -as '" + testsupport::SourceDir() + "/data/.' '" + data + "'").c_str()));
  testserver::TestCa ca("Flood CA");
  ca.WriteTrustStore(data + "/parlavox.pem");
  testserver::TestServer::Options options;
  options.identity = ca.Issue("127.0.0.1");
  testserver::TestServer server(options);
  // Settings that log in at start-up.
  ASSERT_EQ(0, mkdir(dir.c_str(), 0700));
  Config::SetUserPath(dir + "/");
  Config* config = Config::GetInstance();
  config->SetLogin("alice");
  config->SetPassword("secret");
  config->SetPasswordSaved(true);
  config->SetAutoConnectStatus(true);
  ASSERT_TRUE(config->Save());
  config->SetAutoConnectStatus(false);
  // Saving writes a new file in place of the old one.
  struct stat before;
  ASSERT_EQ(0, stat((dir + "/parlavox.xml").c_str(), &before));

  pid_t pid = Start(home.path(), {"PARLAVOX_SERVER=127.0.0.1:" + std::to_string(server.Port()),
                                  "PARLAVOX_DATA=" + data});
  ASSERT_GT(pid, 0);
  auto link = server.Accept(30s);
  ASSERT_TRUE(link);
  ASSERT_TRUE(link->Expect(C2S_Request_PR_connect, 30s));
  auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
  testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
  testserver::Fill(&ack->choice.connect_ack.version, kProgramVersion);  // no new version to offer
  link->Send(*ack);

  // Messages and heart-beats, a few thousand every twentieth of a second, while the server's
  // side keeps up; the answers are taken as they come.
  std::string chunk;
  for (int i = 0; i < 2000; ++i) {
    auto m = testserver::NewS2C(S2C_Request_PR_message);
    testserver::Fill(&m->choice.message.authkey, "K1");
    testserver::Fill(&m->choice.message.site, "prv://bob.alice");
    testserver::Fill(&m->choice.message.login, "bob");
    testserver::Fill(&m->choice.message.message, "flood " + std::to_string(i));
    auto beat = testserver::NewS2C(S2C_Request_PR_heartbeat);
    testserver::Fill(&beat->choice.heartbeat.authkey, "K1");
    chunk += testserver::EncodeS2C(*m) + testserver::EncodeS2C(*beat);
  }
  std::atomic<bool> stop{false};
  std::atomic<long> answers{0};
  std::thread flood([&] {
    long sent = 0;
    while (!stop) {
      if (sent - answers < 20000) {
        link->SendBytes(chunk);
        sent += 2000;
      }
      while (auto got = link->Next(50ms))
        if (got->request->present == C2S_Request_PR_heartbeatack) ++answers;
    }
  });
  // The flood is being handled; then the system asks the program to end.
  EXPECT_TRUE(testsupport::WaitFor([&] { return answers > 10000; }, 60s));
  const auto asked = std::chrono::steady_clock::now();
  kill(pid, SIGTERM);
  const int status = WaitExit(pid, 30s);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
  stop = true;
  flood.join();
  EXPECT_EQ(0, status);
  printf("ended %.2f s after the request, %ld heart-beats answered\n", seconds, answers.load());
  EXPECT_EQ(0600, ModeOf(dir + "/parlavox.xml"));
  struct stat after;
  ASSERT_EQ(0, stat((dir + "/parlavox.xml").c_str(), &after));
  EXPECT_NE(before.st_ino, after.st_ino) << "the settings were not saved";
  EXPECT_NE(std::string::npos, testsupport::ReadFile(dir + "/parlavox.xml").find("</boost_serialization>"));
}

}  // namespace
