// The program itself, run as a user runs it: it starts in a fresh home, and when the system
// asks it to end (log-out, kill), it ends as if the user had quit: settings saved, exit 0, and
// nothing it started left running.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "asn1/octetString.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/version.h"
#include "tests/gui/monitorListener.h"
#include "tests/gui/pulseServer.h"
#include "tests/gui/standInPlayer.h"
#include "tests/gui/toneFile.h"
#include "tests/program/screen.h"
#include "tests/support/lateness.h"
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
  // What this process still holds for its standard output is not the child's to write.
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("PARLAVOX_DATA", data.c_str(), 1);
    putenv(const_cast<char*>(lsan.c_str()));
    for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
    // Started from its home, as from a desktop: a trace written outside its log would land there.
    if (chdir(home.c_str()) != 0) _exit(126);
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

// The program started in a home whose settings log it in at start-up, logged in to a test server
// of its own (trusted through the program's data, which holds the test authority's store).
class LoggedInProgram {
 public:
  LoggedInProgram() : m_ca("Flood CA"), m_server(Options(m_ca)) {}
  // A program still running is killed.
  ~LoggedInProgram() {
    if (m_pid > 0) WaitExit(m_pid, 0ms);
    if (m_mounted) umount2(Dir().c_str(), MNT_DETACH);
  }

  // Before LogIn: makes the settings folder a small file system of its own; false, with the
  // reason, when the system does not let the test mount one.
  bool OwnSettingsFolder(std::string* why) {
    if (mkdir(Dir().c_str(), 0700) != 0 || mount("tmpfs", Dir().c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                                   "size=8m,mode=0700") != 0) {
      *why = strerror(errno);
      return false;
    }
    m_mounted = true;
    return true;
  }
  // Fills the settings folder's file system to its last byte.
  bool FillSettingsFolder() {
    const int fd = open((Dir() + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const std::string block(4096, 'x');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    const bool full = errno == ENOSPC;
    close(fd);
    return full;
  }

  // Starts the program and answers its log-in; false when it never came. A program whose end is
  // timed runs without the leak checker of a sanitizer build, which searches the whole memory at
  // the end: its time is no part of the program's.
  bool LogIn(bool timed, const std::vector<std::string>& more = {}) {
    const std::string data = Data();
    if (system(("cp -as '" + testsupport::SourceDir() + "/data/.' '" + data + "'").c_str()) != 0) return false;
    for (const auto& file : m_replaced) {
      if (unlink((data + "/" + file.first).c_str()) != 0 || !testsupport::WriteFile(data + "/" + file.first, file.second))
        return false;
    }
    m_ca.WriteTrustStore(data + "/parlavox.pem");
    if (mkdir(Dir().c_str(), 0700) != 0 && errno != EEXIST) return false;
    Config::SetUserPath(Dir() + "/");
    Config* config = Config::GetInstance();
    config->SetLogin("alice");
    config->SetPassword("secret");
    config->SetPasswordSaved(true);
    config->SetAutoConnectStatus(true);
    const bool saved = config->Save();
    config->SetAutoConnectStatus(false);
    if (!saved || stat(Settings().c_str(), &m_before) != 0) return false;
    std::vector<std::string> environment = {"PARLAVOX_SERVER=127.0.0.1:" + std::to_string(m_server.Port()),
                                            "PARLAVOX_DATA=" + data};
    if (timed) environment.push_back("ASAN_OPTIONS=detect_leaks=0");
    environment.insert(environment.end(), more.begin(), more.end());
    m_pid = Start(m_home.path(), environment);
    if (m_pid <= 0) return false;
    m_link = m_server.Accept(30s);
    if (!m_link || !m_link->Expect(C2S_Request_PR_connect, 30s)) return false;
    auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
    testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
    testserver::Fill(&ack->choice.connect_ack.version, kProgramVersion);  // no new version to offer
    m_link->Send(*ack);
    return true;
  }

  testserver::TestConnection& Link() { return *m_link; }
  pid_t Pid() const { return m_pid; }
  std::string Home() const { return m_home.path(); }
  std::string Dir() const { return m_home.file(".parlavox"); }
  std::string Data() const { return m_home.file("data"); }
  // Before LogIn: the program's data holds these bytes under this name (such as
  // "sounds/online.wav") in place of its own file.
  void ReplaceData(const std::string& name, const std::string& bytes) { m_replaced.emplace_back(name, bytes); }
  std::string Settings() const { return Dir() + "/parlavox.xml"; }
  // The settings file was written anew since the program started (saving writes a new file in
  // place of the old one), and whole.
  bool SettingsSaved() const {
    struct stat after;
    return stat(Settings().c_str(), &after) == 0 && after.st_ino != m_before.st_ino &&
           testsupport::ReadFile(Settings()).find("</boost_serialization>") != std::string::npos;
  }

  // Ends the program as the system does.
  struct Ended {
    int status;  // -1 when it did not end
    std::chrono::steady_clock::time_point asked;
    std::chrono::steady_clock::duration took;
    // What the machine's load took of that time (testsupport::Lateness).
    std::chrono::steady_clock::duration late;
  };
  Ended Signal(int signal) {
    return End([&] { kill(m_pid, signal); }, 30s);
  }
  // Ends the program as `ask` asks it to, waiting for its end up to `wait`.
  Ended End(const std::function<void()>& ask, std::chrono::milliseconds wait) {
    testsupport::Lateness lateness;
    const auto asked = std::chrono::steady_clock::now();
    ask();
    const int status = WaitExit(m_pid, wait);
    const auto took = std::chrono::steady_clock::now() - asked;
    m_pid = -1;
    return {status, asked, took, lateness.Stop()};
  }

 private:
  static testserver::TestServer::Options Options(testserver::TestCa& ca) {
    testserver::TestServer::Options options;
    options.identity = ca.Issue("127.0.0.1");
    return options;
  }

  TempDir m_home;
  testserver::TestCa m_ca;
  testserver::TestServer m_server;
  struct stat m_before {};
  pid_t m_pid = -1;
  bool m_mounted = false;
  std::vector<std::pair<std::string, std::string>> m_replaced;
  std::shared_ptr<testserver::TestConnection> m_link;
};

// Reads what the program sends while it runs: counts its heart-beat answers and notes when its
// log-out came.
class Answers {
 public:
  explicit Answers(testserver::TestConnection& link) : m_thread([this, &link] { Read(link); }) {}
  ~Answers() {
    m_stop = true;
    m_thread.join();
  }
  long beats() const { return m_beats; }
  // Whether the log-out came, and when.
  bool LoggedOut(std::chrono::steady_clock::time_point* when) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (when) *when = m_loggedOut;
    return m_loggedOut != std::chrono::steady_clock::time_point{};
  }

 private:
  void Read(testserver::TestConnection& link) {
    while (!m_stop) {
      while (auto got = link.Next(20ms)) {
        if (got->request->present == C2S_Request_PR_heartbeatack) ++m_beats;
        if (got->request->present == C2S_Request_PR_disconnect) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_loggedOut = std::chrono::steady_clock::now();
        }
      }
    }
  }

  std::atomic<bool> m_stop{false};
  std::atomic<long> m_beats{0};
  std::mutex m_mutex;
  std::chrono::steady_clock::time_point m_loggedOut{};
  std::thread m_thread;
};

std::string HeartBeat() {
  auto beat = testserver::NewS2C(S2C_Request_PR_heartbeat);
  testserver::Fill(&beat->choice.heartbeat.authkey, "K1");
  return testserver::EncodeS2C(*beat);
}

long long Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

// A time the program must keep within a second: on a loaded machine, the second and what the
// load took from a thread that wanted to run over the same span.
::testing::AssertionResult WithinASecond(std::chrono::steady_clock::duration took,
                                         std::chrono::steady_clock::duration late) {
  if (took < 1s + late) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Milliseconds(took) << " ms, against 1000 ms and " << Milliseconds(late)
                                       << " ms the load took";
}

// The program ended well within a second of the system's request, and its log-out reached the
// server within that second too.
void ExpectEndedAtOnce(const LoggedInProgram::Ended& ended, Answers& answers) {
  EXPECT_EQ(0, ended.status);
  EXPECT_TRUE(WithinASecond(ended.took, ended.late));
  std::chrono::steady_clock::time_point loggedOut;
  ASSERT_TRUE(testsupport::WaitFor([&] { return answers.LoggedOut(&loggedOut); }, 5s)) << "no log-out";
  EXPECT_TRUE(WithinASecond(loggedOut - ended.asked, ended.late)) << "the log-out";
}

// The program logged in to a server that floods it with messages and heart-beats: the system's
// request to end is carried out at once all the same, the settings saved.
TEST(Program, EndsAsAQuitDuringAFlood) {
  LoggedInProgram program;
  ASSERT_TRUE(program.LogIn(false));
  testserver::TestConnection& link = program.Link();

  // Messages and heart-beats, a few thousand every twentieth of a second, while the server's
  // side keeps up; the answers are taken as they come.
  std::string chunk;
  for (int i = 0; i < 2000; ++i) {
    auto m = testserver::NewS2C(S2C_Request_PR_message);
    testserver::Fill(&m->choice.message.authkey, "K1");
    testserver::Fill(&m->choice.message.site, "prv://bob.alice");
    testserver::Fill(&m->choice.message.login, "bob");
    testserver::Fill(&m->choice.message.message, "flood " + std::to_string(i));
    chunk += testserver::EncodeS2C(*m) + HeartBeat();
  }
  std::atomic<bool> stop{false};
  std::atomic<long> answers{0};
  std::thread flood([&] {
    long sent = 0;
    while (!stop) {
      if (sent - answers < 20000) {
        link.SendBytes(chunk);
        sent += 2000;
      }
      while (auto got = link.Next(50ms))
        if (got->request->present == C2S_Request_PR_heartbeatack) ++answers;
    }
  });
  // The flood is being handled; then the system asks the program to end.
  EXPECT_TRUE(testsupport::WaitFor([&] { return answers > 10000; }, 60s));
  const auto ended = program.Signal(SIGTERM);
  stop = true;
  flood.join();
  EXPECT_EQ(0, ended.status);
  printf("ended %lld ms after the request, %ld heart-beats answered\n", Milliseconds(ended.took), answers.load());
  EXPECT_EQ(0600, ModeOf(program.Settings()));
  EXPECT_TRUE(program.SettingsSaved());
}

// A crowd of twenty thousand people entering a room the program shows, sent as fast as the
// link takes them, a heart-beat after every hundred: the system's request to end comes before
// all that still waits, and the program ends within a second of it, logged out and its settings
// saved.
TEST(Program, EndsWithinASecondDuringACrowd) {
  const int kCrowd = 20000;
  const std::string room = "http://www.crowd.example/";
  LoggedInProgram program;
  ASSERT_TRUE(program.LogIn(true));
  testserver::TestConnection& link = program.Link();
  Answers answers(link);
  auto subscribed = testserver::NewS2C(S2C_Request_PR_suburlack);
  testserver::Fill(&subscribed->choice.suburlack.site, room);
  std::string crowd = testserver::EncodeS2C(*subscribed);
  for (int i = 0; i < kCrowd; ++i) {
    auto u = testserver::NewS2C(S2C_Request_PR_updcontact);
    testserver::Fill(&u->choice.updcontact.authkey, "K1");
    testserver::Fill(&u->choice.updcontact.login, "guest" + std::to_string(i));
    u->choice.updcontact.site = asn1::NewOctetString(room);
    u->choice.updcontact.nickname = asn1::NewOctetString("Guest " + std::to_string(i));
    u->choice.updcontact.status = asn1::NewValue<long>(1);
    u->choice.updcontact.hasSubscribed = asn1::NewValue<BOOLEAN_t>(1);
    u->choice.updcontact.nbrUsers = asn1::NewValue<long>(i + 2);
    crowd += testserver::EncodeS2C(*u);
    if (i % 100 == 99) crowd += HeartBeat();
  }
  link.SendBytes(crowd);
  // The room fills: five hundred people in, the rest on their way.
  ASSERT_TRUE(testsupport::WaitFor([&] { return answers.beats() >= 5; }, 120s));

  const auto ended = program.Signal(SIGTERM);
  printf("ended %lld ms after the request, %ld of %d arrivals handled\n", Milliseconds(ended.took),
         answers.beats() * 100, kCrowd);
  ExpectEndedAtOnce(ended, answers);
  EXPECT_TRUE(program.SettingsSaved());
}

// The settings folder full (a file system of its own, filled to its last byte): the system's
// request to end asks nobody, as there is nobody to answer. The program ends within a second,
// logged out, the old settings file as it was byte for byte and nothing of the save beside it.
TEST(Program, EndsWithinASecondWithTheSettingsFolderFull) {
  LoggedInProgram program;
  std::string why;
  if (!program.OwnSettingsFolder(&why)) GTEST_SKIP() << "no file system of its own for the settings: " << why;
  ASSERT_TRUE(program.LogIn(true));
  Answers answers(program.Link());
  // Up and logged in once it answers a heart-beat.
  program.Link().SendBytes(HeartBeat());
  ASSERT_TRUE(testsupport::WaitFor([&] { return answers.beats() == 1; }, 30s));
  ASSERT_TRUE(program.FillSettingsFolder());
  const std::string before = testsupport::ReadFile(program.Settings());
  ASSERT_NE(std::string::npos, before.find("</boost_serialization>"));

  const auto ended = program.Signal(SIGTERM);
  printf("ended %lld ms after the request\n", Milliseconds(ended.took));
  ExpectEndedAtOnce(ended, answers);
  EXPECT_EQ(before, testsupport::ReadFile(program.Settings()));
  for (const std::string& name : testsupport::ListDir(program.Dir()))
    EXPECT_NE(0u, name.rfind("parlavox.xml.", 0)) << name << " left";
}

// The trace log is a named pipe whose reader reads nothing, full from the start: the program logs
// in all the same and answers the server's heart-beats (its connection thread traces as it reads
// them), and when the system asks it to end it ends within a second, logged out, its settings
// saved and the pipe left as it was.
TEST(Program, ALogThatIsAPipeNobodyReadsHoldsNothing) {
  LoggedInProgram program;
  ASSERT_EQ(0, mkdir(program.Dir().c_str(), 0700));
  const std::string log = program.Dir() + "/parlavox.log";
  ASSERT_EQ(0, mkfifo(log.c_str(), 0600));
  const int reader = open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  const int filler = open(log.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(filler, 0);
  const std::string block(4096, 'x');
  while (write(filler, block.data(), block.size()) > 0) {
  }
  EXPECT_EQ(EAGAIN, errno) << "the pipe did not fill";
  close(filler);

  ASSERT_TRUE(program.LogIn(true)) << "no log-in";
  Answers answers(program.Link());
  for (long beat = 1; beat <= 3; ++beat) {
    program.Link().SendBytes(HeartBeat());
    ASSERT_TRUE(testsupport::WaitFor([&] { return answers.beats() == beat; }, 30s)) << "heart-beat " << beat;
  }
  const auto ended = program.Signal(SIGTERM);
  printf("ended %lld ms after the request\n", Milliseconds(ended.took));
  ExpectEndedAtOnce(ended, answers);
  EXPECT_TRUE(program.SettingsSaved());
  struct stat info;
  ASSERT_EQ(0, lstat(log.c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  close(reader);
}

// The log-in sound is playing through the command-line player when the system asks the program
// to end: the player and the player's own child end with the program, within the second.
TEST(Program, EndsItsSoundPlayerWithItWhenTheSystemAsks) {
  if (access("/dev/dsp", W_OK) == 0) GTEST_SKIP() << "an OSS device is there: the toolkit plays";
  ContactInfo* own = Config::GetInstance()->GetContactInfo();
  const t_notification_status bell = own->GetLoginBell();
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    LoggedInProgram program;
    StandInPlayer player(program.Home());
    own->SetLoginBell(NOTIFICATION_ON);
    const bool loggedIn = program.LogIn(true, player.Environment());
    own->SetLoginBell(bell);
    ASSERT_TRUE(loggedIn);
    Answers answers(program.Link());
    pid_t group = 0;
    ASSERT_TRUE(testsupport::WaitFor([&] { return (group = player.Group()) > 0; }, 30s)) << "no sound played";
    const std::string playing = testsupport::RunningInGroup(group);
    ASSERT_NE(std::string::npos, playing.find("(sleep)")) << playing;

    const auto ended = program.Signal(signal);
    ExpectEndedAtOnce(ended, answers);
    const auto left = std::max(std::chrono::steady_clock::duration(0), 1s + ended.late - ended.took);
    EXPECT_TRUE(testsupport::WaitFor([&] { return testsupport::RunningInGroup(group).empty(); },
                                     std::chrono::duration_cast<std::chrono::milliseconds>(left)))
        << "left running:\n" << testsupport::RunningInGroup(group);
  }
}

// The log-in sound is a long one, playing through a real sound server, which then stops
// answering (stopped where it stands, the sound half played): each way of ending the program (the
// system's signals, and the main window's close with Exit remembered) ends it within the second
// all the same, logged out and its settings saved, as every end must: such an end used to wait
// for the server for as long as it stood still. A slower end is still waited for, up to 5 s, so
// that its time is printed.
TEST(Program, EndsAtOnceWhileTheSoundServerStandsStill) {
  struct Row {
    const char* name;
    int signal;  // 0: the main window's close box
  } rows[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}, {"the close box", 0}};
  Config* config = Config::GetInstance();
  ContactInfo* own = config->GetContactInfo();
  const t_notification_status bell = own->GetLoginBell();
  const bool remember = config->GetRememberClose(), exits = config->GetClose();
  programtest::Screen screen;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TempDir sound;
    PulseServer server(sound.path());
    ASSERT_TRUE(server.WaitReady(20000)) << "no sound server started (see " << sound.file("server.log") << ")";
    MonitorListener monitor(server.Address());
    ASSERT_TRUE(monitor.Connected());
    // The server goes on before the monitor, which waits on it, is let go.
    ResumeAtEnd goOn{server};
    LoggedInProgram program;
    program.ReplaceData("sounds/online.wav", ToneWav(MonitorListener::kRate, 60 * MonitorListener::kRate));
    own->SetLoginBell(NOTIFICATION_ON);
    config->SetRememberClose(true);
    config->SetClose(true);
    const bool loggedIn = program.LogIn(true, {"PULSE_SERVER=" + server.Address()});
    own->SetLoginBell(bell);
    config->SetRememberClose(remember);
    config->SetClose(exits);
    ASSERT_TRUE(loggedIn);
    Answers answers(program.Link());
    ASSERT_TRUE(monitor.WaitHeard(30000)) << "the log-in sound never played";
    ASSERT_TRUE(server.Stop());

    programtest::Screen::WindowId window = 0;
    if (!r.signal) {
      ASSERT_TRUE(testsupport::WaitFor(
          [&] { return (window = screen.WindowShown(program.Pid(), "Parlavox")) != 0; }, 30s));
    }
    const auto ended = program.End(
        [&] {
          if (r.signal) kill(program.Pid(), r.signal);
          else screen.Close(window);
        },
        5s);
    printf("%s: ended %lld ms after the request (-1: not within 5 s)\n", r.name,
           ended.status == -1 ? -1LL : Milliseconds(ended.took));
    ExpectEndedAtOnce(ended, answers);
    EXPECT_TRUE(program.SettingsSaved());
  }
}

// The start-up waits for the user's answer: the settings folder cannot be used (a file holds its
// name), or the settings file cannot be read and may be set aside. The system's request to end
// waits for no answer: the program ends within the second, as a start-up that cannot go on does,
// touches neither file and traces nothing outside its log.
TEST(Program, EndsAtOnceWhenTheSystemAsksDuringAStartupMessage) {
  struct Row {
    const char* name;
    bool folder;       // the settings folder is there
    const char* file;  // the file in the way, in the home
    const char* title;
  } rows[] = {
      {"the error", false, ".parlavox", "Parlavox cannot start"},
      {"the question", true, ".parlavox/parlavox.xml", "Configuration file too old"},
  };
  programtest::Screen screen;
  for (const Row& r : rows) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
      SCOPED_TRACE(std::string(r.name) + ", " + strsignal(signal));
      TempDir home;
      if (r.folder) {
        ASSERT_EQ(0, mkdir(home.file(".parlavox").c_str(), 0700));
      }
      ASSERT_TRUE(testsupport::WriteFile(home.file(r.file), "not what it should be"));
      const std::vector<std::string> before = testsupport::ListDir(home.file(".parlavox"));
      const pid_t pid = Start(home.path(), {"ASAN_OPTIONS=detect_leaks=0"});
      ASSERT_GT(pid, 0);
      ASSERT_TRUE(testsupport::WaitFor([&] { return screen.ShowsWindow(pid, r.title); }, 30s)) << "nothing shown";
      testsupport::Lateness lateness;
      const auto asked = std::chrono::steady_clock::now();
      kill(pid, signal);
      const int status = WaitExit(pid, 30s);
      const auto took = std::chrono::steady_clock::now() - asked;
      EXPECT_EQ(255, status);
      EXPECT_TRUE(WithinASecond(took, lateness.Stop()));
      EXPECT_EQ("not what it should be", testsupport::ReadFile(home.file(r.file)));
      EXPECT_EQ(std::vector<std::string>{".parlavox"}, testsupport::ListDir(home.path()));
      if (r.folder) {
        std::vector<std::string> after = testsupport::ListDir(home.file(".parlavox"));
        after.erase(std::remove(after.begin(), after.end(), "parlavox.log"), after.end());
        EXPECT_EQ(before, after);
      }
    }
  }
}

// The settings file cannot be read, and an earlier one was set aside before. The question whether
// to set this one aside too, closed from its title bar, has answered nothing: the program ends
// as with No, with both files as they were. Yes sets it aside beside the earlier backup, which
// keeps its name and bytes, and the program starts.
TEST(Program, TheSettingsFileIsSetAsideOnlyOnYes) {
  const char* const damaged = "not what it should be";
  const char* const earlier = "an earlier backup";
  programtest::Screen screen;
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "closed from its title bar");
    TempDir home;
    const std::string dir = home.file(".parlavox");
    ASSERT_EQ(0, mkdir(dir.c_str(), 0700));
    ASSERT_TRUE(testsupport::WriteFile(dir + "/parlavox.xml", damaged));
    ASSERT_TRUE(testsupport::WriteFile(dir + "/parlavox.backup.xml", earlier));
    const pid_t pid = Start(home.path());
    ASSERT_GT(pid, 0);
    // A program that did not end when it should have is not left running.
    struct Running {
      pid_t pid;
      ~Running() {
        if (pid > 0) WaitExit(pid, 0ms);
      }
    } running{pid};
    programtest::Screen::WindowId question = 0;
    ASSERT_TRUE(testsupport::WaitFor(
        [&] { return (question = screen.WindowShown(pid, "Configuration file too old")) != 0; }, 30s));
    if (!yes) {
      ASSERT_TRUE(screen.Close(question));
      EXPECT_EQ(255, WaitExit(pid, 30s));
      running.pid = 0;
      EXPECT_EQ(damaged, testsupport::ReadFile(dir + "/parlavox.xml"));
      EXPECT_EQ((std::vector<std::string>{"parlavox.backup.xml", "parlavox.log", "parlavox.xml"}),
                testsupport::ListDir(dir));
    } else {
      // Yes is the question's default: the keyboard's Return gives it.
      ASSERT_TRUE(testsupport::WaitFor([&] { return screen.Focus(question); }, 30s));
      ASSERT_TRUE(screen.Press("Return"));
      ASSERT_TRUE(testsupport::WaitFor(
          [&] { return testsupport::DecodeLogFile(dir + "/parlavox.log", 7, 4).find("create frame") != std::string::npos; },
          30s));
      EXPECT_EQ(damaged, testsupport::ReadFile(dir + "/parlavox.backup.1.xml"));
      kill(pid, SIGTERM);
      EXPECT_EQ(0, WaitExit(pid, 30s));
      running.pid = 0;
      // The program's own settings, written at its end.
      EXPECT_NE(std::string::npos, testsupport::ReadFile(dir + "/parlavox.xml").find("</boost_serialization>"));
    }
    EXPECT_EQ(earlier, testsupport::ReadFile(dir + "/parlavox.backup.xml"));
  }
}

// The resident memory of a running process, in MiB; 0 once it has gone.
long ResidentMiB(pid_t pid) {
  long pages = 0, resident = 0;
  if (FILE* f = fopen(("/proc/" + std::to_string(pid) + "/statm").c_str(), "r")) {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

// What stands at the settings file's place is no file: a named pipe that nobody writes to, one
// that a writer holds open and sends nothing through, a link to a pipe outside the folder, and a
// link to a device whose bytes never end. The start-up waits on none and reads none for good: it
// asks about it as about a damaged file. The system's request to end ends the program within the
// second, as a start-up that cannot go on does, and leaves it, and what it leads to, as it was.
// A program that keeps reading is stopped once its memory grows past what a start-up takes.
TEST(Program, ASettingsFileThatIsNoFileHoldsNothing) {
  programtest::Screen screen;
  const struct {
    const char* what;
    bool link;
    bool writer;         // a writer holds the pipe open
    const char* device;  // the link leads there rather than to a pipe
  } cases[] = {{"a pipe", false, false, nullptr},
               {"a link to a pipe", true, false, nullptr},
               {"a pipe a writer holds open", false, true, nullptr},
               {"a link to /dev/zero", true, false, "/dev/zero"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir home, outside;
    const std::string dir = home.file(".parlavox"), settings = dir + "/parlavox.xml";
    ASSERT_EQ(0, mkdir(dir.c_str(), 0700));
    const std::string target = c.device ? c.device : c.link ? outside.file("pipe") : settings;
    if (!c.device) {
      ASSERT_EQ(0, mkfifo(target.c_str(), 0600));
    }
    if (c.link) {
      ASSERT_EQ(0, symlink(target.c_str(), settings.c_str()));
    }
    // Open for reading and writing, the pipe is held open without waiting for a reader.
    const int writer = c.writer ? open(target.c_str(), O_RDWR | O_CLOEXEC) : -1;
    ASSERT_EQ(c.writer, writer >= 0);
    const std::string before = testsupport::DescribeFile(settings), targetBefore = testsupport::DescribeFile(target);
    const pid_t pid = Start(home.path(), {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_GT(pid, 0);
    bool asked = false;
    testsupport::WaitFor(
        [&] { return ResidentMiB(pid) > 2048 || (asked = screen.ShowsWindow(pid, "Configuration file too old")); },
        30s);
    testsupport::Lateness lateness;
    const auto request = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    const int status = WaitExit(pid, asked ? 30s : 0s);
    const auto took = std::chrono::steady_clock::now() - request;
    const auto late = lateness.Stop();
    if (writer >= 0) close(writer);
    EXPECT_TRUE(asked) << "no question: the start-up waits on the file or keeps reading it";
    if (!asked) continue;
    EXPECT_EQ(255, status);
    EXPECT_TRUE(WithinASecond(took, late));
    EXPECT_EQ(before, testsupport::DescribeFile(settings));
    EXPECT_EQ(targetBefore, testsupport::DescribeFile(target));
  }
}

}  // namespace
