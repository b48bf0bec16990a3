// Notification sounds on a desktop whose sound goes through a sound server: a real PulseAudio
// server started here, with a silent sink of its own and a socket in a directory of its own (never
// the user's), takes the program's arrival sound, which is heard on the sink's monitor. A stalled
// server never holds the caller up; with no server at all the command-line player plays the file.
#include <gtest/gtest.h>
#include <pulse/simple.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gui/commandPlayer.h"
#include "gui/soundPlayer.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/standInPlayer.h"
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

// A PulseAudio server of the test's own: only a null sink "testsink" and a socket in `dir`.
class PulseServer {
 public:
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

  std::string Address() const { return "unix:" + m_socket; }
  pid_t Pid() const { return m_pid; }

  // Whether the server answers a client within `ms`: its socket is there and `pactl info` works.
  bool WaitReady(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    const std::string command = "PULSE_SERVER=" + Address() + " pactl info >/dev/null 2>&1";
    while (Clock::now() < deadline) {
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

 private:
  std::string m_socket;
  pid_t m_pid = -1;
};

// Records the sink's monitor on a thread of its own until it hears something (a sample louder
// than the silence of a null sink) or the time is up.
class MonitorListener {
 public:
  explicit MonitorListener(const std::string& server) {
    pa_sample_spec spec{PA_SAMPLE_S16LE, 22050, 1};
    pa_buffer_attr attr{uint32_t(-1), uint32_t(-1), uint32_t(-1), uint32_t(-1), 2205 * 2};
    int error = 0;
    m_stream = pa_simple_new(server.c_str(), "soundPlayerTest", PA_STREAM_RECORD, "testsink.monitor", "monitor",
                             &spec, nullptr, &attr, &error);
    if (m_stream) m_thread = std::thread([this] { Listen(); });
  }
  ~MonitorListener() {
    m_done = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_stream) pa_simple_free(m_stream);
  }
  bool Connected() const { return m_stream != nullptr; }

  bool WaitHeard(int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_heard; });
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_heard = false;
  }

 private:
  void Listen() {
    int16_t samples[1024];
    int error = 0;
    while (!m_done && pa_simple_read(m_stream, samples, sizeof samples, &error) == 0) {
      bool loud = false;
      for (int16_t s : samples) loud = loud || s > 1000 || s < -1000;
      if (!loud) continue;
      std::lock_guard<std::mutex> lock(m_mutex);
      m_heard = true;
      m_changed.notify_all();
    }
  }

  pa_simple* m_stream = nullptr;
  std::atomic<bool> m_done{false};
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_heard = false;
  std::thread m_thread;
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
