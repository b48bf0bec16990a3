// Notification sounds on a desktop whose sound goes through a sound server: a real PulseAudio
// server started here, with a silent sink of its own and a socket in a directory of its own (never
// the user's), takes the program's arrival sound, which is heard on the sink's monitor, whole. A
// stalled server never holds the caller up, nor the player's stop; with no server at all the
// command-line player plays the file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui/commandPlayer.h"
#include "gui/soundPlayer.h"
#include "gui/soundServerPlayer.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/monitorListener.h"
#include "tests/gui/pulseServer.h"
#include "tests/gui/standInPlayer.h"
#include "tests/gui/toneFile.h"
#include "tests/support/testSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = getenv(name)) m_old = old, m_had = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_had) setenv(m_name, m_old.c_str(), 1);
    else unsetenv(m_name);
  }

 private:
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};

// This program's child processes as the kernel lists them ("pid (name) state" each): a player
// still running, or ended and never collected, says where a sound that never came was held.
std::string Children() {
  std::string found;
  for (const testsupport::ProcessStat& process : testsupport::Processes())
    if (process.parent == long(getpid())) found += process.pidAndName + " " + process.state + "\n";
  return found.empty() ? "none\n" : found;
}

class SoundPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    m_oldPath = Config::GetPath();
    Config::SetPath(testsupport::SourceDir() + "/data/");
  }
  void TearDown() override { Config::SetPath(m_oldPath); }

  testsupport::TempDir m_dir;
  std::string m_oldPath;
};

TEST_F(SoundPlayer, ArrivalSoundReachesTheSoundServer) {
  PulseServer server(m_dir.path());
  ASSERT_TRUE(server.WaitReady(20000)) << "no sound server started (see " << m_dir.file("server.log") << ")";
  ScopedEnv pulse("PULSE_SERVER", server.Address());
  MonitorListener monitor(server.Address());
  ASSERT_TRUE(monitor.Connected());
  EXPECT_FALSE(monitor.WaitHeard(300)) << "the null sink makes no sound of its own";

  sound::Play("sounds/online.wav");
  EXPECT_TRUE(monitor.WaitHeard(10000));

  // Stalled, the server holds no caller up: each sound is handed over at once, and once the
  // server runs again the sounds are played (the burst heard as one, then the last one).
  monitor.Forget();
  ASSERT_EQ(0, kill(server.Pid(), SIGSTOP));
  std::atomic<bool> returned{false};
  std::atomic<bool> forced{false};
  std::thread watchdog([&] {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!returned && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    forced = !returned;
    kill(server.Pid(), SIGCONT);
  });
  for (const char* name : {"sounds/offline.wav", "sounds/message.wav", "sounds/online.wav", "sounds/online.wav"})
    sound::Play(name);
  returned = true;
  watchdog.join();
  EXPECT_FALSE(forced) << "playing waited for the stalled server";
  EXPECT_TRUE(monitor.WaitHeard(20000));

  // A missing file is no error and plays nothing.
  sound::Play("sounds/none.wav");
}

// A sound played through the server is heard whole: the stream goes once its last samples are
// played, not once they were handed over (which cuts the last tenth of a second or so).
TEST_F(SoundPlayer, ASoundIsHeardToItsEnd) {
  PulseServer server(m_dir.path());
  ASSERT_TRUE(server.WaitReady(20000)) << "no sound server started (see " << m_dir.file("server.log") << ")";
  ScopedEnv pulse("PULSE_SERVER", server.Address());
  MonitorListener monitor(server.Address());
  ASSERT_TRUE(monitor.Connected());
  // Half a second, its last twentieth louder.
  const uint32_t end = MonitorListener::kRate / 20;
  const std::string tone = m_dir.file("tone.wav");
  ASSERT_TRUE(testsupport::WriteFile(tone, ToneWav(MonitorListener::kRate, MonitorListener::kRate / 2, end)));

  SoundServerPlayer player(nullptr);
  player.Play(tone);
  ASSERT_TRUE(monitor.WaitHeard(20000)) << "the sound never played";
  ASSERT_TRUE(monitor.WaitQuiet(20000));
  const long heard = monitor.SamplesLouderThan((kToneLevel + kLouderLevel) / 2);
  printf("heard %ld of the %u samples of its end\n", heard, end);
  // The server's resampling smooths each edge of the tone.
  EXPECT_GE(heard, long(end) / 2);
}

// A long sound plays through the server when the player is stopped: whether the server answers
// or stands still (stopped in the middle of the sound), the player's thread ends at once, and the
// sound is heard no more. The bound is generous, for a loaded machine: the thread used to wait
// for a stopped server for as long as it stood still.
TEST_F(SoundPlayer, AStopEndsThePlayerWhateverTheSoundServerDoes) {
  const std::string tone = m_dir.file("tone.wav");
  ASSERT_TRUE(testsupport::WriteFile(tone, ToneWav(MonitorListener::kRate, 60 * MonitorListener::kRate)));
  for (bool standsStill : {false, true}) {
    SCOPED_TRACE(standsStill ? "the server stands still" : "the server answers");
    testsupport::TempDir dir;
    PulseServer server(dir.path());
    ASSERT_TRUE(server.WaitReady(20000)) << "no sound server started (see " << dir.file("server.log") << ")";
    ScopedEnv pulse("PULSE_SERVER", server.Address());
    MonitorListener monitor(server.Address());
    ASSERT_TRUE(monitor.Connected());
    // The server goes on before the monitor, which waits on it, is let go.
    ResumeAtEnd goOn{server};
    std::atomic<int> handedOn{0};
    SoundServerPlayer player([&](const std::string&) { ++handedOn; });
    player.Play(tone);
    ASSERT_TRUE(monitor.WaitHeard(20000)) << "the sound never played";
    if (standsStill) {
      ASSERT_TRUE(server.Stop());
    }

    const auto asked = Clock::now();
    player.Stop();
    const bool ended = player.WaitEnded(std::chrono::seconds(5));
    printf("%s: the player ended %lld ms after the stop\n", standsStill ? "stopped server" : "live server",
           ended ? (long long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked).count() : -1LL);
    EXPECT_TRUE(ended) << "the stop waited for the sound server";
    server.Resume();
    EXPECT_TRUE(monitor.WaitQuiet(20000)) << "the sound played on after the stop";
    EXPECT_EQ(0, handedOn) << "a server that answered was taken for none";
  }
}

TEST_F(SoundPlayer, WithoutASoundServerTheCommandPlayerPlays) {
  if (access("/dev/dsp", W_OK) == 0) GTEST_SKIP() << "an OSS device is there: the toolkit plays";
  // A stand-in for aplay that writes down what it was asked to play.
  const std::string bin = m_dir.file("bin");
  const std::string played = m_dir.file("played");
  mkdir(bin.c_str(), 0700);
  {
    std::ofstream script(bin + "/aplay");
    script << "#!/bin/sh\necho \"$@\" > " << played << ".part && mv " << played << ".part " << played << "\n";
  }
  chmod((bin + "/aplay").c_str(), 0700);
  ScopedEnv path("PATH", bin + ":" + getenv("PATH"));
  ScopedEnv pulse("PULSE_SERVER", "unix:" + m_dir.file("no-server-here"));

  sound::Play("sounds/online.wav");
  ASSERT_TRUE(guitest::PumpUntil([&] { return access(played.c_str(), R_OK) == 0; }, 20000));
  std::ifstream in(played);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("/data/sounds/online.wav")) << text.str();
}

// Sounds asked for while the command player still plays one wait, the newest in place of any
// waiting: a crowd arriving one by one makes a sound or two, not a player process each.
TEST_F(SoundPlayer, WithoutASoundServerABurstPlaysOneAtATimeAndTheNewestLast) {
  if (access("/dev/dsp", W_OK) == 0) GTEST_SKIP() << "an OSS device is there: the toolkit plays";
  const std::string bin = m_dir.file("bin");
  const std::string played = m_dir.file("played");
  mkdir(bin.c_str(), 0700);
  {
    // Each play writes a line and lasts a while, as a real sound does.
    std::ofstream script(bin + "/aplay");
    script << "#!/bin/sh\necho \"$@\" >> " << played << "\nsleep 1\n";
  }
  chmod((bin + "/aplay").c_str(), 0700);
  ScopedEnv path("PATH", bin + ":" + getenv("PATH"));
  ScopedEnv pulse("PULSE_SERVER", "unix:" + m_dir.file("no-server-here"));

  for (int i = 0; i < 40; ++i) {
    sound::Play(i % 2 ? "sounds/offline.wav" : "sounds/online.wav");
    guitest::Pump(5);
  }
  sound::Play("sounds/message.wav");
  auto lines = [&] {
    std::ifstream in(played);
    std::vector<std::string> read;
    for (std::string line; std::getline(in, line);) read.push_back(line);
    return read;
  };
  ASSERT_TRUE(guitest::PumpUntil(
      [&] { return !lines().empty() && lines().back().find("message.wav") != std::string::npos; }, 20000))
      << "played:\n" << testsupport::ReadFile(played) << "children:\n" << Children();
  guitest::Pump(400);
  EXPECT_LE(lines().size(), 3u) << "one player process per sound asked for";
  EXPECT_NE(std::string::npos, lines().back().find("/data/sounds/message.wav"));
}

// Another library may take the SIGCHLD handler for itself, as the toolkit's own library does for
// the children it watches: each player's end is still heard, so the sounds asked for meanwhile
// play. A stop ends the player playing at once, leaves no process behind, and nothing plays after.
TEST_F(SoundPlayer, APlayersEndIsHeardWhoeverHandlesSigchldAndAStopEndsItAtOnce) {
  const std::string bin = m_dir.file("bin");
  const std::string played = m_dir.file("played");
  mkdir(bin.c_str(), 0700);
  {
    std::ofstream script(bin + "/aplay");
    script << "#!/bin/sh\necho \"$@\" >> " << played << "\ncase \"$2\" in *offline*) sleep 60;; *) sleep 1;; esac\n";
  }
  chmod((bin + "/aplay").c_str(), 0700);
  ScopedEnv path("PATH", bin + ":" + getenv("PATH"));
  struct sigaction other = {}, saved = {};
  other.sa_handler = [](int) {};
  sigaction(SIGCHLD, &other, &saved);
  auto count = [&] { return testsupport::ReadLines(played).size(); };
  auto last = [&] {
    const auto lines = testsupport::ReadLines(played);
    return lines.empty() ? std::string() : lines.back();
  };

  CommandPlayer player;
  player.Play("online.wav");
  player.Play("message.wav");
  EXPECT_TRUE(guitest::PumpUntil([&] { return last().find("message.wav") != std::string::npos; }, 20000))
      << "played:\n" << testsupport::ReadFile(played) << "children:\n" << Children();
  player.Play("offline.wav");
  ASSERT_TRUE(guitest::PumpUntil([&] { return last().find("offline.wav") != std::string::npos; }, 20000))
      << "played:\n" << testsupport::ReadFile(played) << "children:\n" << Children();
  player.Stop();
  EXPECT_EQ("none\n", Children()) << "the player outlived the stop";
  const size_t before = count();
  player.Play("online.wav");
  guitest::Pump(300);
  EXPECT_EQ(before, count()) << "a sound played after the stop";
  sigaction(SIGCHLD, &saved, nullptr);
}

// The player may start players of its own (a script, a wrapper): a stop ends its whole process
// group, not the player alone, so that none of them plays on without a parent.
TEST_F(SoundPlayer, AStopEndsThePlayersOwnChildrenToo) {
  StandInPlayer stand(m_dir.path());
  ScopedEnv path("PATH", stand.Path());

  CommandPlayer player;
  player.Play("online.wav");
  pid_t playerGroup = 0;
  ASSERT_TRUE(guitest::PumpUntil([&] { return (playerGroup = stand.Group()) > 0; }, 20000)) << Children();
  const std::string before = testsupport::RunningInGroup(playerGroup);
  ASSERT_NE(std::string::npos, before.find("(sleep)")) << before;
  player.Stop();
  EXPECT_TRUE(testsupport::WaitFor([&] { return testsupport::RunningInGroup(playerGroup).empty(); },
                                   std::chrono::seconds(1)))
      << "left running:\n" << testsupport::RunningInGroup(playerGroup);
  EXPECT_EQ("none\n", Children());
}

}  // namespace
