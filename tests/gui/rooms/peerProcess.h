// Another user as a client process of his own: this test program started again with one
// disabled test alone (the peer's part), so that his file server and its reports are his, not
// the program's. The peer reads what it needs from the environment and talks back through files
// in a folder both sides see.
//
//   class OffersPeer : public roomstest::PeerTest {            // the peer's part
//    protected:
//     OffersPeer() : PeerTest("bob", kRoom) {}
//   };
//   TEST_F(OffersPeer, DISABLED_Bob) { ...; SayReady(""); ... }  // logged in, in the room
//
//   class OffersSession : public roomstest::PeerSession {};   // alice's, the whole program
//   TEST_F(OffersSession, Offers) { StartPeer("OffersPeer.DISABLED_Bob"); ... }
#ifndef PARLAVOX_TESTS_GUI_ROOMS_PEERPROCESS_H
#define PARLAVOX_TESTS_GUI_ROOMS_PEERPROCESS_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/application.h"
#include "model/config.h"
#include "network/fileServer.h"
#include "network/fileTransferListener.h"
#include "tests/standin/standinTestSupport.h"
#include "tests/support/programSession.h"
#include "tests/support/testSupport.h"

extern char** environ;

namespace roomstest {

inline bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// `size` bytes of a pattern that differs from file to file, written in large pieces.
inline bool WritePattern(const std::string& path, long size, int seed) {
  std::ofstream out(path, std::ios::binary);
  std::string block(1 << 20, '\0');
  for (long done = 0; done < size && out; done += long(block.size())) {
    for (size_t i = 0; i < block.size(); i += 4096) block[i] = char((done >> 12) + i + seed);
    out.write(block.data(), std::min<long>(long(block.size()), size - done));
  }
  return bool(out);
}

inline bool SameFiles(const std::string& a, const std::string& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  std::string p(1 << 20, '\0'), q(1 << 20, '\0');
  while (x && y) {
    x.read(&p[0], long(p.size()));
    y.read(&q[0], long(q.size()));
    if (x.gcount() != y.gcount() || p.compare(0, size_t(x.gcount()), q, 0, size_t(y.gcount())) != 0) return false;
  }
  return x.eof() && y.eof();
}

// A peer's every step of his transfers, one line each in a file: "d|u <transfer key> <state> <bytes>".
class StepsFile : public FileTransferListener {
 public:
  explicit StepsFile(std::string path) : m_path(std::move(path)) {}
  void MessageFile(t_fm_status status, const std::string&, const std::string&, const std::string&,
                   const std::string&, const std::string& transferKey, const std::string&, int, time_t,
                   bool isDownload, int64_t transferred, int64_t, double) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (FILE* f = fopen(m_path.c_str(), "a")) {
      fprintf(f, "%c %s %d %lld\n", isDownload ? 'd' : 'u', transferKey.c_str(), int(status), (long long)transferred);
      fclose(f);
    }
  }

  // The states of one transfer in the file at `path`, in order.
  static std::vector<int> States(const std::string& path, char direction, const std::string& key) {
    std::istringstream lines(testsupport::ReadFile(path));
    std::vector<int> states;
    std::string line;
    while (std::getline(lines, line)) {
      char d;
      char k[128];
      int s;
      if (sscanf(line.c_str(), "%c %127s %d", &d, k, &s) == 3 && d == direction && key == k) states.push_back(s);
    }
    return states;
  }

 private:
  std::string m_path;
  std::mutex m_mutex;
};

class PeerProcess {
 public:
  ~PeerProcess() { Stop(nullptr); }
  // The folder shared with the peer, its log, and its files.
  const testsupport::TempDir& Dir() const { return m_dir; }

  // Starts the test `test` of this program with PARLAVOX_PEER_DIR set to the shared folder and
  // the given variables; its output goes to the folder's "log".
  void Start(const std::string& test, const std::vector<std::pair<std::string, std::string>>& variables) {
    std::vector<std::string> env = {"PARLAVOX_PEER_DIR=" + m_dir.path()};
    for (const auto& variable : variables) env.push_back(variable.first + "=" + variable.second);
    for (char** e = environ; *e; ++e) env.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_dir.file("log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string self = "/proc/self/exe";
    std::vector<std::string> args = {self, "--gtest_filter=" + test, "--gtest_also_run_disabled_tests"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    ASSERT_EQ(0, posix_spawn(&m_pid, self.c_str(), &actions, nullptr, argv.data(), envp.data()));
    posix_spawn_file_actions_destroy(&actions);
  }

  // Asks the peer to end (a "stop" file) and waits for it, with `until` running the caller's
  // event loop; a peer that does not end is killed. The peer must have ended well.
  void Stop(const std::function<bool(const std::function<bool()>&, int)>& until) {
    if (m_pid <= 0) return;
    testsupport::WriteFile(m_dir.file("stop"), "");
    int status = 0;
    auto ended = [&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; };
    bool done = until ? until(ended, 30000) : false;
    if (!done) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, &status, 0);
    }
    if (until) {
      EXPECT_TRUE(done && WIFEXITED(status) && WEXITSTATUS(status) == 0) << Log();
    }
    m_pid = -1;
  }

  std::string Log() const { return testsupport::ReadFile(m_dir.file("log")); }

 private:
  testsupport::TempDir m_dir;
  pid_t m_pid = -1;
};

// The peer's own side, in the started process: the user logged in on the stand-in named by
// PARLAVOX_PEER_PORT and in the room, his file server listening, every step of his transfers in
// the shared folder's "steps". All of it ends, in order, when it goes.
class PeerSide {
 public:
  // False when this process was not started as a peer (the test is then skipped).
  static bool Started() { return getenv("PARLAVOX_PEER_PORT") != nullptr; }

  PeerSide(const std::string& login, const std::string& room)
      : m_dir(getenv("PARLAVOX_PEER_DIR")), m_steps(m_dir + "steps"), m_server("0") {
    standintest::PrepareClients(getenv("PARLAVOX_PEER_DATA"), m_home.path());
    FileServer::BindListener(&m_steps);
    m_user.reset(new standintest::TestUser(static_cast<unsigned short>(atoi(getenv("PARLAVOX_PEER_PORT"))), login));
    m_ready = m_user->LoggedIn() && m_user->Link().SendSubscribeChatRoom(m_user->Key(), room) &&
              m_user->Wait(S2C_Request_PR_suburlack) && m_server.Listen();
    if (m_ready) m_listening = std::thread{FileServer(m_server)};
  }
  ~PeerSide() {
    m_server.Close(true);
    if (m_listening.joinable()) m_listening.join();
    FileServer::UnbindListener(&m_steps);
    if (m_user->LoggedIn()) {
      m_user->Link().SendDisconnect(m_user->Key());
      m_user->WaitEnd();
    }
  }

  // True once logged in, in the room and listening.
  bool Ready() const { return m_ready; }
  // The folder shared with the test, ending in "/".
  const std::string& Dir() const { return m_dir; }
  standintest::TestUser& User() { return *m_user; }
  FileServer& Server() { return m_server; }

 private:
  std::string m_dir;
  testsupport::TempDir m_home;
  StepsFile m_steps;
  FileServer m_server;
  std::unique_ptr<standintest::TestUser> m_user;
  std::thread m_listening;
  bool m_ready = false;
};

// The peer's test: its fixture names the user and the room. The test is skipped unless this
// process was started as a peer; its body finds the user logged in and in the room, his file
// server listening, and the shared folder.
class PeerTest : public ::testing::Test {
 protected:
  PeerTest(std::string login, std::string room) : m_login(std::move(login)), m_room(std::move(room)) {}
  void SetUp() override {
    if (!PeerSide::Started()) { GTEST_SKIP(); }
    m_side.reset(new PeerSide(m_login, m_room));
    ASSERT_TRUE(m_side->Ready());
  }
  void TearDown() override { m_side.reset(); }

  // The folder shared with the test, ending in "/".
  const std::string& Dir() const { return m_side->Dir(); }
  standintest::TestUser& User() { return m_side->User(); }
  FileServer& Files() { return m_side->Server(); }
  // Tells the test that the peer is ready, with what it should know: the shared folder's
  // "ready", whole once it is there.
  void SayReady(const std::string& contents) {
    ASSERT_TRUE(testsupport::WriteFile(Dir() + "ready.tmp", contents));
    ASSERT_EQ(0, rename((Dir() + "ready.tmp").c_str(), (Dir() + "ready").c_str()));
  }

 private:
  std::string m_login, m_room;
  std::unique_ptr<PeerSide> m_side;
};

// Alice's side: the whole program on the stand-in server, with a free file port of her own
// (other programs may run beside this one), and bob as a peer process that ends with the test.
class PeerSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    if (HasFatalFailure()) return;
    Config::GetInstance()->SetFilePort(0);
    GetManager()->RestartFileServer();
  }
  void TearDown() override {
    m_bob.Stop([](const std::function<bool()>& cond, int ms) { return Until(cond, ms); });
    ProgramSession::TearDown();
  }
  // Starts the peer's test on this session's stand-in server and waits until the peer is ready.
  void StartPeer(const std::string& test) {
    m_bob.Start(test, {{"PARLAVOX_PEER_PORT", std::to_string(Server().Port())}, {"PARLAVOX_PEER_DATA", DataDir()}});
    ASSERT_TRUE(Until([&] { return Exists(Bob("ready")); }, 60000)) << m_bob.Log();
  }
  // A file in the folder shared with the peer.
  std::string Bob(const std::string& name) const { return m_bob.Dir().file(name); }

  PeerProcess m_bob;
};

}  // namespace roomstest

#endif
