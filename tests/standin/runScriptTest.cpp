// The run script: without a configured server, the program runs against a stand-in started
// for it, and the stand-in goes when the program ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>

#include "tests/network/socketTestSupport.h"
#include "tests/standin/standinTestSupport.h"

using namespace standintest;

TEST(StandinRunScript, PointsTheProgramAtAStandinAndStopsItAfterwards) {
  testsupport::TempDir dir, data, user;
  ASSERT_TRUE(testsupport::WriteFile(data.file("sound.wav"), "RIFF"));
  // The program stands for Parlavox: it tells where it was pointed, then waits for the test.
  ASSERT_TRUE(testsupport::WriteFile(dir.file("program"),
      "#!/bin/sh\necho \"$PARLAVOX_SERVER $PARLAVOX_DATA\" > " + dir.file("seen.tmp") + "\nmv " + dir.file("seen.tmp") +
      " " + dir.file("seen") + "\nwhile [ ! -e " + dir.file("done") + " ]; do sleep 0.05; done\n"));
  ASSERT_EQ(0, chmod(dir.file("program").c_str(), 0755));
  unsetenv("PARLAVOX_SERVER");
  std::string command = "bash " + testsupport::SourceDir() + "/scripts/run-with-standin.sh " + dir.file("program") +
                        " " + PARLAVOX_STANDIN_PROGRAM + " " + data.path() + " " + dir.file("run") + " >/dev/null";
  auto script = std::async(std::launch::async, [&] { return system(command.c_str()); });
  ASSERT_TRUE(testsupport::WaitFor([&] { return testsupport::FileExists(dir.file("seen")); }, std::chrono::seconds(20)));
  char host[64] = "", dataDir[512] = "";
  unsigned port = 0;
  ASSERT_EQ(3, sscanf(testsupport::ReadFile(dir.file("seen")).c_str(), "%63[^:]:%u %511s", host, &port, dataDir));
  EXPECT_STREQ("localhost", host);
  EXPECT_EQ("RIFF", testsupport::ReadFile(std::string(dataDir) + "/sound.wav"));
  {
    PrepareClients(std::string(dataDir) + "/", user.path());
    TestUser alice(static_cast<unsigned short>(port), "alice");
    EXPECT_TRUE(alice.LoggedIn());
  }
  // The log that the script points the user at shows who came and went.
  auto logged = [&](const std::string& line) {
    return testsupport::WaitFor(
        [&] { return testsupport::ReadFile(dir.file("run/standin.log")).find(line) != std::string::npos; },
        std::chrono::seconds(10));
  };
  EXPECT_TRUE(logged("alice logged in")) << testsupport::ReadFile(dir.file("run/standin.log"));
  EXPECT_TRUE(logged("alice logged out"));
  ASSERT_TRUE(testsupport::WriteFile(dir.file("done"), ""));
  EXPECT_EQ(0, script.get());
  EXPECT_LT(sockettest::Connect(static_cast<unsigned short>(port)), 0);
}
