#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "network/fileDownload.h"
#include "network/fileServer.h"
#include "network/fileTransferLink.h"
#include "network/socketQueue.h"
#include "tests/network/crowdTestSupport.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/testSupport.h"

using testsupport::FileExists;
using testsupport::ListDir;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WaitFor;
using testsupport::WriteFile;
using namespace std::chrono_literals;
using sockettest::Connect;
using sockettest::ReadAll;

namespace {

struct Event {
  t_fm_status status;
  std::string login, site, fileName, fileKey, transferKey, host;
  int port;
  bool isDownload;
  int64_t transferred, size;
};

// Collects the reports of both sides; progress reports are counted, not kept.
class Recorder : public FileTransferListener {
 public:
  Recorder() { FileServer::BindListener(this); }
  ~Recorder() override { FileServer::UnbindListener(this); }
  void MessageFile(t_fm_status status, const std::string& login, const std::string& site,
                   const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                   const std::string& host, int port, time_t, bool isDownload, int64_t transferred, int64_t size,
                   double speed) override {
    Event event{status, login, site, fileName, fileKey, transferKey, host, port, isDownload, transferred, size};
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (status == FM_IN_PROGRESS) {
        (isDownload ? downProgress : upProgress)++;
        (isDownload ? lastDown : lastUp) = transferred;
        if (transferred > size) overshoot = true;
      } else {
        events.push_back(event);
      }
    }
    if (hook) hook(event);
  }
  // The last non-progress event of one side, once it is a final one.
  bool Final(bool isDownload, Event* out = nullptr) {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      if (it->isDownload != isDownload) continue;
      if (it->status == FM_STARTED) return false;
      if (out) *out = *it;
      return true;
    }
    return false;
  }
  Event WaitFinal(bool isDownload, std::chrono::milliseconds timeout = 60s) {
    Event event{};
    event.status = FM_OFFERED;
    EXPECT_TRUE(WaitFor([&] { return Final(isDownload, &event); }, timeout))
        << (isDownload ? "download" : "upload") << " did not end";
    return event;
  }
  std::vector<t_fm_status> Statuses(bool isDownload) {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<t_fm_status> out;
    for (const Event& event : events)
      if (event.isDownload == isDownload) out.push_back(event.status);
    return out;
  }
  std::mutex mutex;
  std::vector<Event> events;
  int upProgress = 0, downProgress = 0;
  int64_t lastUp = 0, lastDown = 0;
  bool overshoot = false;
  std::function<void(const Event&)> hook;
};

// A file server listening on an ephemeral port, its listener on a thread of its own.
class Peer {
 public:
  Peer() : server("0") {
    EXPECT_TRUE(server.Listen());
    thread = std::thread(server);
    EXPECT_TRUE(WaitFor([this] { return server.IsRunning(); }, 2s));
    port = server.GetBoundPort();
  }
  ~Peer() {
    server.Close(true);
    thread.join();
  }
  FileServer server;
  std::thread thread;
  unsigned short port = 0;
};

std::string Sha256(const std::string& path) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
  int fd = open(path.c_str(), O_RDONLY);
  std::vector<char> buffer(1 << 20);
  ssize_t got;
  while (fd >= 0 && (got = read(fd, buffer.data(), buffer.size())) > 0) EVP_DigestUpdate(context, buffer.data(), got);
  if (fd >= 0) close(fd);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context, digest, &length);
  EVP_MD_CTX_free(context);
  std::string hex;
  char two[3];
  for (unsigned i = 0; i < length; ++i) {
    snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

// Writes size bytes of varied content quickly: one random mebibyte, each copy stamped with
// its index so that no two mebibytes are alike.
void MakeFile(const std::string& path, int64_t size, unsigned seed = 1) {
  std::vector<char> block(1 << 20);
  std::mt19937 random(seed);
  for (char& byte : block) byte = static_cast<char>(random());
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  for (int64_t done = 0, index = 0; done < size; ++index) {
    std::memcpy(block.data(), &index, sizeof index);
    size_t chunk = static_cast<size_t>(std::min<int64_t>(block.size(), size - done));
    ASSERT_EQ(static_cast<ssize_t>(chunk), write(fd, block.data(), chunk));
    done += chunk;
  }
  close(fd);
}

// The socket of this process at the other end of the connected socket fd, or -1.
int SenderOf(int fd) {
  sockaddr_in near{}, far{};
  socklen_t length = sizeof near;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&near), &length) != 0) return -1;
  for (int other = 3; other < 4096; ++other) {
    length = sizeof far;
    if (other == fd || getpeername(other, reinterpret_cast<sockaddr*>(&far), &length) != 0) continue;
    if (far.sin_family == AF_INET && far.sin_port == near.sin_port && far.sin_addr.s_addr == near.sin_addr.s_addr)
      return other;
  }
  return -1;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int value : values) out.push_back(static_cast<char>(value));
  return out;
}

// askforfile from login "bob" for the key, written by hand: [0] { [0] login, [1] fileKey }.
std::string AskForFile(const std::string& key) {
  std::string body = Bytes({0x80, 3}) + "bob" + Bytes({0x81, static_cast<int>(key.size())}) + key;
  return Bytes({0xA0, static_cast<int>(body.size())}) + body;
}

// Both ends of a transfer on loopback, with a directory to offer from and one to receive into.
struct Transfer {
  // Offers a new file of `size` bytes as `name` under `key`; returns its path.
  std::string Offer(const std::string& key, int64_t size, const std::string& name = "f") {
    std::string source = out.file(name);
    MakeFile(source, size);
    sender.server.AddFile("s", "alice", source, name, key);
    return source;
  }
  void Download(const std::string& key, int64_t size, const std::string& name = "f", unsigned short port = 0) {
    receiver.server.DownloadFile("bob", "alice", "s", key, size, "127.0.0.1", port ? port : sender.port, name,
                                 in.file(name));
  }
  // Forgets the reports so far.
  void Forget() {
    std::lock_guard<std::mutex> lock(recorder.mutex);
    recorder.events.clear();
    recorder.upProgress = recorder.downProgress = 0;
  }
  Recorder recorder;
  Peer sender, receiver;
  TempDir out, in;
};

// Calls to umask anywhere in this program (the function below stands in for the C library's).
std::atomic<int> g_umaskCalls{0};

}  // namespace

extern "C" mode_t umask(mode_t mask) noexcept {
  ++g_umaskCalls;
  return static_cast<mode_t>(syscall(SYS_umask, mask));
}

TEST(FileTransferTest, SmallFilesArriveWholeWithEveryReport) {
  Transfer t;
  struct Case {
    int64_t size;
    int parts;
  };
  int round = 0;
  for (Case c : {Case{0, 0}, Case{8192, 1}, Case{8193, 2}, Case{100000, 13}}) {
    SCOPED_TRACE(c.size);
    const std::string key = "100" + std::to_string(round), name = "got" + std::to_string(round++);
    t.Forget();
    std::string source = t.Offer(key, c.size, name);
    t.Download(key, c.size, name);
    Event down = t.recorder.WaitFinal(true);
    Event up = t.recorder.WaitFinal(false);
    EXPECT_EQ(c.size, down.transferred);
    EXPECT_EQ(c.size, up.transferred);
    EXPECT_EQ((std::vector<t_fm_status>{FM_STARTED, FM_COMPLETE}), t.recorder.Statuses(true));
    EXPECT_EQ((std::vector<t_fm_status>{FM_STARTED, FM_COMPLETE}), t.recorder.Statuses(false));
    EXPECT_EQ(c.parts, t.recorder.downProgress);
    // The upload's progress counts what the peer has taken, as it moves: never more often than
    // parts are sent, never beyond the size.
    EXPECT_LE(t.recorder.upProgress, c.parts);
    EXPECT_LE(t.recorder.lastUp, c.size);
    EXPECT_EQ(ReadFile(source), ReadFile(t.in.file(name)));
    // How each side names the transfer in its reports.
    EXPECT_EQ(key, down.transferKey);
    EXPECT_EQ("bob@@@" + key, up.transferKey);
    EXPECT_EQ("bob", up.login);
  }
  EXPECT_EQ((std::vector<std::string>{"got0", "got1", "got2", "got3"}), ListDir(t.in.path()));
}

TEST(FileTransferTest, TwoHundredMegabytesArriveByteIdentical) {
  Transfer t;
  const int64_t size = 200LL * 1024 * 1024 + 123;
  std::string source = t.Offer("4242", size);
  const auto start = std::chrono::steady_clock::now();
  t.Download("4242", size);
  // While it runs, the final name does not exist yet.
  ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> l(t.recorder.mutex); return t.recorder.downProgress > 10; }, 30s));
  EXPECT_FALSE(FileExists(t.in.file("f")));
  EXPECT_EQ(FM_COMPLETE, t.recorder.WaitFinal(true, 240s).status);
  EXPECT_EQ(FM_COMPLETE, t.recorder.WaitFinal(false, 30s).status);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ((size + 8191) / 8192, t.recorder.downProgress);
  EXPECT_EQ(size, t.recorder.lastDown);
  // The upload tells its progress at most ten times a second, and has the whole file at its end.
  EXPECT_GT(t.recorder.upProgress, 0);
  EXPECT_LE(t.recorder.upProgress, 1 + static_cast<int>(seconds * 10));
  EXPECT_LE(t.recorder.lastUp, size);
  EXPECT_EQ(size, t.recorder.WaitFinal(false).transferred);
  EXPECT_EQ(Sha256(source), Sha256(t.in.file("f")));
  EXPECT_EQ(std::vector<std::string>{"f"}, ListDir(t.in.path()));
}

TEST(FileTransferTest, ReceiverCancelLeavesNoFileAndFailsTheUpload) {
  Transfer t;
  t.Offer("77", 32 << 20);
  t.recorder.hook = [&](const Event& event) {
    if (event.isDownload && event.status == FM_IN_PROGRESS && event.transferred == 100 * 8192)
      t.receiver.server.CancelDownload("77");
  };
  t.Download("77", 32 << 20);
  Event down = t.recorder.WaitFinal(true);
  EXPECT_EQ(FM_CANCELLED, down.status);
  EXPECT_EQ(100 * 8192, down.transferred);
  Event up = t.recorder.WaitFinal(false);
  EXPECT_EQ(FM_FAILED, up.status);
  EXPECT_LT(up.transferred, 32 << 20);
  EXPECT_TRUE(ListDir(t.in.path()).empty());
  // Cancelling what has ended, or was never there, does nothing.
  t.receiver.server.CancelDownload("77");
  t.receiver.server.CancelUpload("nobody@@@77");
}

TEST(FileTransferTest, SenderInterruptEndsBothSidesInterrupted) {
  Transfer t;
  t.Offer("78", 32 << 20);
  // Stopped by its sender once the peer has 50 parts: far from the end, whatever the sockets hold.
  std::atomic<bool> cancelled{false};
  t.recorder.hook = [&](const Event& event) {
    if (event.isDownload && event.status == FM_IN_PROGRESS && event.transferred >= 50 * 8192 &&
        !cancelled.exchange(true))
      t.sender.server.CancelUpload("bob@@@78");
  };
  t.Download("78", 32 << 20);
  Event up = t.recorder.WaitFinal(false);
  Event down = t.recorder.WaitFinal(true);
  EXPECT_EQ(FM_INTERRUPTED, up.status);
  EXPECT_EQ(FM_INTERRUPTED, down.status);
  // The parts written before the stop go, then the interrupt; once the peer has taken them,
  // both sides count the same bytes.
  EXPECT_GE(up.transferred, 50 * 8192);
  EXPECT_LT(up.transferred, 32 << 20);
  EXPECT_EQ(up.transferred, down.transferred);
  EXPECT_TRUE(ListDir(t.in.path()).empty());
}

TEST(FileTransferTest, RawPeerSeesTheExactBytesAndTheInterrupt) {
  Transfer t;
  std::string source = t.Offer("123", 10000);
  t.recorder.hook = [&](const Event& event) {
    if (!event.isDownload && event.status == FM_STARTED) t.sender.server.CancelUpload("bob@@@123");
  };
  int fd = Connect(t.sender.port);
  ASSERT_GE(fd, 0);
  std::string ask = AskForFile("123");
  ASSERT_EQ(static_cast<ssize_t>(ask.size()), send(fd, ask.data(), ask.size(), 0));
  bool closed = false;
  std::string got = ReadAll(fd, 5s, &closed);
  close(fd);
  EXPECT_TRUE(closed);
  // Acceptance with the size 10000, one part of 8192 bytes (a long-form length), then interrupt.
  std::string expected = Bytes({0xA1, 0x07, 0x80, 0x01, 0xFF, 0x81, 0x02, 0x27, 0x10});
  expected += Bytes({0xA2, 0x82, 0x20, 0x04, 0x80, 0x82, 0x20, 0x00}) + ReadFile(source).substr(0, 8192);
  expected += Bytes({0x83, 0x00});
  EXPECT_EQ(expected.size(), got.size());
  EXPECT_TRUE(expected == got);
  EXPECT_EQ(FM_INTERRUPTED, t.recorder.WaitFinal(false).status);
}

TEST(FileTransferTest, HostilePeersAreRefusedAndOthersStillServed) {
  Transfer t;
  std::string source = t.Offer("555", 50000);

  // A slow peer that sends one byte and stalls is dropped after its 5 s, and holds up no one.
  int slow = Connect(t.sender.port);
  ASSERT_GE(slow, 0);
  ASSERT_EQ(1, send(slow, "\xA0", 1, 0));
  auto start = std::chrono::steady_clock::now();

  auto exchange = [&](const std::string& bytes, bool* closed) {
    return sockettest::Exchange(t.sender.port, bytes, closed, 8s);
  };
  bool closed = false;
  // Garbage (which reads as the start of a 69-byte message, so it waits out its time too).
  bool garbageClosed = false;
  std::string garbageReply = "unset";
  std::thread garbage([&] { garbageReply = exchange("GET / HTTP/1.0\r\n\r\n", &garbageClosed); });
  // A key that is not offered: refused with status FALSE and no size.
  EXPECT_EQ(Bytes({0xA1, 0x03, 0x80, 0x01, 0x00}), exchange(AskForFile("999"), &closed));
  EXPECT_TRUE(closed);
  // A key with letters breaks the key's alphabet.
  EXPECT_EQ("", exchange(AskForFile("12a"), &closed));
  // Two requests on one connection.
  EXPECT_EQ("", exchange(AskForFile("555") + AskForFile("555"), &closed));
  EXPECT_TRUE(closed);
  // A message that declares a length of 2 GiB: refused before anything is allocated for it.
  EXPECT_EQ("", exchange(Bytes({0xA0, 0x84, 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x03}), &closed));
  EXPECT_TRUE(closed);
  // An acknowledgement where a request belongs.
  EXPECT_EQ("", exchange(Bytes({0xA1, 0x03, 0x80, 0x01, 0x00}), &closed));
  EXPECT_TRUE(closed);

  // Meanwhile a real client gets its file.
  t.Download("555", 50000);
  EXPECT_EQ(FM_COMPLETE, t.recorder.WaitFinal(true).status);
  EXPECT_EQ(ReadFile(source), ReadFile(t.in.file("f")));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);

  garbage.join();
  EXPECT_EQ("", garbageReply);
  EXPECT_TRUE(garbageClosed);
  std::string rest = ReadAll(slow, 8s, &closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ("", rest);
  close(slow);
  // None of them started an upload.
  EXPECT_EQ((std::vector<t_fm_status>{FM_STARTED, FM_COMPLETE}), t.recorder.Statuses(false));
}

TEST(FileTransferTest, DownloadRefusalsAndUnreachableSender) {
  Transfer t;
  t.Offer("1", 20000);
  ASSERT_TRUE(WriteFile(t.in.file("f"), "keep me"));
  auto run = [&](const std::string& key, int64_t size, unsigned short port = 0) {
    t.Forget();
    t.Download(key, size, "f", port);
    return t.recorder.WaitFinal(true);
  };
  EXPECT_EQ(FM_NOT_AVAILABLE, run("2", 20000).status);  // not offered
  EXPECT_EQ(FM_NOT_AVAILABLE, run("1", 19999).status);  // size differs
  // The offer withdrawn.
  t.sender.server.CancelFile("1");
  EXPECT_FALSE(FileServer::IsFileAvailable("1"));
  EXPECT_EQ(FM_NOT_AVAILABLE, run("1", 20000).status);
  // Nobody listening.
  Event event = run("1", 20000, sockettest::ClosedPort());
  EXPECT_EQ(FM_HOST_UNREACHABLE, event.status);
  EXPECT_EQ(20000, event.size);
  // None of these touched what was already at the chosen path.
  EXPECT_EQ("keep me", ReadFile(t.in.file("f")));
  EXPECT_EQ(std::vector<std::string>{"f"}, ListDir(t.in.path()));
}

TEST(FileTransferTest, DownloadLeavesTheProcessUmaskAlone) {
  // The mask is one for the whole process: a download that changed it, even for a moment,
  // would give it to a file another thread creates meanwhile.
  Transfer t;
  std::string source = t.Offer("70", 30000);
  const mode_t old = umask(027);
  const int before = g_umaskCalls;
  t.Download("70", 30000);
  EXPECT_EQ(FM_COMPLETE, t.recorder.WaitFinal(true).status);
  EXPECT_EQ(before, g_umaskCalls.load());
  // The file has the mode of any new file of the user.
  struct stat st;
  ASSERT_EQ(0, stat(t.in.file("f").c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 0777);
  EXPECT_EQ(ReadFile(source), ReadFile(t.in.file("f")));
  umask(old);
}

TEST(FileTransferTest, FileChangedAfterTheOfferFailsBothSides) {
  Transfer t;
  // Shrunk: the upload ends instead of sending empty parts for ever.
  ASSERT_EQ(0, truncate(t.Offer("10", 100000, "shrunk").c_str(), 50000));
  t.Download("10", 100000, "shrunk");
  Event up = t.recorder.WaitFinal(false);
  Event down = t.recorder.WaitFinal(true);
  EXPECT_EQ(FM_FAILED, up.status);
  EXPECT_EQ(50000, up.transferred);
  EXPECT_EQ(FM_FAILED, down.status);
  EXPECT_EQ(50000, down.transferred);

  // Grown: the receiver takes nothing beyond the announced size.
  t.Forget();
  MakeFile(t.Offer("11", 10000, "grown"), 12000);
  t.Download("11", 10000, "grown");
  EXPECT_EQ(FM_FAILED, t.recorder.WaitFinal(true).status);
  EXPECT_EQ(FM_FAILED, t.recorder.WaitFinal(false).status);
  EXPECT_EQ(8192, t.recorder.lastDown);
  EXPECT_TRUE(ListDir(t.in.path()).empty());
}

TEST(FileTransferTest, PeerKilledMidTransfer) {
  TempDir out, in;
  std::string source = out.file("f");
  const int64_t size = 64 << 20;
  MakeFile(source, size);
  int ports[2];
  ASSERT_EQ(0, pipe(ports));
  // The sender runs in a child process, started before this process has other threads.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileServer server("0");
    server.AddFile("s", "alice", source, "f", "9");
    unsigned short port = server.Listen() ? server.GetBoundPort() : 0;
    if (write(ports[1], &port, sizeof port) != sizeof port) _exit(1);
    server();
    _exit(0);
  }
  unsigned short port = 0;
  ASSERT_EQ(static_cast<ssize_t>(sizeof port), read(ports[0], &port, sizeof port));
  close(ports[0]);
  close(ports[1]);
  ASSERT_NE(0, port);

  Recorder recorder;
  std::atomic<bool> killed{false};
  recorder.hook = [&](const Event& event) {
    if (event.isDownload && event.status == FM_IN_PROGRESS && event.transferred >= (1 << 20) && !killed.exchange(true))
      kill(child, SIGKILL);
  };
  FileServer receiver("0");
  receiver.DownloadFile("bob", "alice", "s", "9", size, "127.0.0.1", port, "f", in.file("f"));
  Event down = recorder.WaitFinal(true);
  if (!killed) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(FM_FAILED, down.status);
  EXPECT_LT(down.transferred, size);
  EXPECT_TRUE(ListDir(in.path()).empty());
}

TEST(FileTransferTest, CloseStopsEverythingAndForgetsOffers) {
  Recorder recorder;
  TempDir out, in;
  std::string source = out.file("f");
  MakeFile(source, 32 << 20);
  std::unique_ptr<Peer> sender(new Peer);
  Peer receiver;
  sender->server.AddFile("s", "alice", source, "f", "31");
  sender->server.AddFile("s", "alice", source, "f", "32");
  // A directory or a missing file cannot be offered.
  EXPECT_EQ(-1, sender->server.AddFile("s", "alice", out.path(), "d", "33"));
  EXPECT_EQ(-1, sender->server.AddFile("s", "alice", out.file("none"), "n", "34"));
  EXPECT_FALSE(FileServer::IsFileAvailable("33"));

  std::atomic<bool> closing{false};
  recorder.hook = [&](const Event& event) {
    if (event.isDownload && event.status == FM_IN_PROGRESS && event.transferred == 10 * 8192 && !closing.exchange(true))
      std::thread([&] { sender->server.Close(true); }).detach();
  };
  receiver.server.DownloadFile("bob", "alice", "s", "31", 32 << 20, "127.0.0.1", sender->port, "f", in.file("f"));
  Event up = recorder.WaitFinal(false);
  Event down = recorder.WaitFinal(true);
  EXPECT_EQ(FM_INTERRUPTED, up.status);
  // The download belongs to the other server, which goes on: it hears the sender's interrupt.
  EXPECT_EQ(FM_INTERRUPTED, down.status);
  EXPECT_FALSE(FileServer::IsFileAvailable("31"));
  EXPECT_FALSE(FileServer::IsFileAvailable("32"));
  EXPECT_TRUE(ListDir(in.path()).empty());
  // The listener has ended: its port no longer accepts.
  EXPECT_TRUE(WaitFor([&] { int fd = Connect(sender->port); if (fd >= 0) close(fd); return fd < 0; }, 3s));
  sender->thread.join();
  sender->thread = std::thread([] {});
  sender.reset();

  // Restarting on another port, with nothing connected: Close ends the idle listener.
  FileServer server("0");
  ASSERT_TRUE(server.Listen());
  std::thread first(server);
  ASSERT_TRUE(WaitFor([&] { return server.IsRunning(); }, 2s));
  server.Close(false);
  first.join();
  server.SetPort("0");
  std::thread second(server);
  ASSERT_TRUE(WaitFor([&] { return server.IsRunning(); }, 2s));
  EXPECT_NE(0, server.GetBoundPort());
  server.Close(false);
  second.join();
}

TEST(FileTransferTest, RelayedStreamsReadOwnOffersOnly) {
  FileServer server("0");
  TempDir out;
  std::string source = out.file("relay");
  MakeFile(source, 16384);
  server.AddFile("s", "alice", source, "relay", "60");
  EXPECT_FALSE(server.Register("bob", "60", true));    // never opened for writing
  EXPECT_FALSE(server.Register("bob", "61", false));   // not offered
  EXPECT_EQ(nullptr, server.ReadPart("bob", "61"));
  EXPECT_EQ(0, server.GetPosition("bob", "61"));
  ASSERT_TRUE(server.Register("bob", "60", false));
  // The open stream is not handed on to the programs this one starts.
  int descriptors = 0;
  for (const std::string& fd : ListDir("/proc/self/fd")) {
    char target[4096];
    ssize_t length = readlink(("/proc/self/fd/" + fd).c_str(), target, sizeof target - 1);
    if (length <= 0 || std::string(target, static_cast<size_t>(length)) != source) continue;
    ++descriptors;
    EXPECT_NE(0, fcntl(atoi(fd.c_str()), F_GETFD) & FD_CLOEXEC);
  }
  EXPECT_EQ(1, descriptors);
  std::string content = ReadFile(source);
  std::string read;
  std::vector<int> sizes;
  while (FileData_t* part = server.ReadPart("bob", "60")) {
    sizes.push_back(part->size);
    read.append(reinterpret_cast<char*>(part->buf), part->size);
    ASN_STRUCT_FREE(asn_DEF_FileData, part);
    if (sizes.size() == 2) {
      EXPECT_EQ(16384, server.GetPosition("bob", "60"));
    }
    ASSERT_LT(sizes.size(), 5u);
  }
  EXPECT_EQ((std::vector<int>{8192, 8192, 0}), sizes);
  EXPECT_EQ(content, read);
  // The stream is closed at its end.
  EXPECT_EQ(nullptr, server.ReadPart("bob", "60"));
  server.Close(true);
}

namespace {

// How many descriptors of this process are open on the file at path.
int DescriptorsOpenOn(const std::string& path) {
  int count = 0;
  for (const std::string& fd : testsupport::ListDir("/proc/self/fd")) {
    char target[4096];
    std::string link = "/proc/self/fd/" + fd;
    ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == path) ++count;
  }
  return count;
}

}  // namespace

TEST(FileTransferTest, RealDownloadGetsThroughWhileAttackersHoldThePort) {
  // Attackers that ask for a file and stop reading, and attackers that send nothing, as many of
  // each as the port serves at once, coming back as soon as they are dropped: from one address
  // per kind, or each from an address of its own.
  struct Layout {
    const char* name;
    bool spread;
  };
  for (Layout layout : {Layout{"one address per kind", false}, Layout{"an address each", true}}) {
    SCOPED_TRACE(layout.name);
    Recorder recorder;
    Peer sender, receiver;
    TempDir out, in;
    std::string bait = out.file("bait");
    MakeFile(bait, 8 << 20, 3);
    sender.server.AddFile("s", "alice", bait, "bait", "666");
    std::string source = out.file("real");
    MakeFile(source, 4 << 20, 4);
    sender.server.AddFile("s", "alice", source, "real", "667");

    crowdtest::Crowd crowd(sender.port, AskForFile("666"));
    for (unsigned i = 0; i < 64; ++i) {
      crowd.Add(crowdtest::Kind::kStalledReader, crowdtest::Loopback(layout.spread ? 2 + i : 2), 1);
      crowd.Add(crowdtest::Kind::kSilent, crowdtest::Loopback(layout.spread ? 100 + i : 3), 1);
    }
    crowd.Start();
    ASSERT_TRUE(WaitFor([&] { return crowd.Connections() >= 128; }, 20s));
    ASSERT_TRUE(WaitFor([&] { return recorder.Statuses(false).size() >= 8; }, 20s));

    // The real peer (from 127.0.0.1) tries until it gets the file, for at most 15 s.
    auto start = std::chrono::steady_clock::now();
    int tries = 0;
    Event down{};
    while (std::chrono::steady_clock::now() - start < 15s) {
      {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        recorder.events.erase(std::remove_if(recorder.events.begin(), recorder.events.end(),
                                             [](const Event& event) { return event.isDownload; }),
                              recorder.events.end());
      }
      ++tries;
      receiver.server.DownloadFile("bob", "alice", "s", "667", 4 << 20, "127.0.0.1", sender.port, "real",
                                   in.file("real"));
      down = recorder.WaitFinal(true);
      if (down.status == FM_COMPLETE) break;
      std::this_thread::sleep_for(100ms);  // the pace of a user trying again
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("download under attack (%s): %s after %d tries, %.2f s, %zu attacking connections made\n",
                layout.name, down.status == FM_COMPLETE ? "complete" : "refused", tries, seconds,
                crowd.Connections());
    EXPECT_EQ(FM_COMPLETE, down.status);
    EXPECT_EQ(Sha256(source), Sha256(in.file("real")));
  }
}

TEST(FileTransferTest, EachServerClosesOnlyWhatItOffered) {
  Recorder recorder;
  Peer old, current;
  TempDir out, in;
  std::string source = out.file("f");
  MakeFile(source, 16384);
  old.server.AddFile("s", "alice", source, "f", "501");
  current.server.AddFile("s", "alice", source, "f", "502");
  // A relayed stream of each; withdrawing an offer closes its stream.
  ASSERT_TRUE(old.server.Register("bob", "501", false));
  ASSERT_TRUE(current.server.Register("bob", "502", false));
  ASSERT_TRUE(current.server.Register("carol", "502", false));
  EXPECT_EQ(3, DescriptorsOpenOn(source));
  current.server.CancelFile("502");
  EXPECT_EQ(1, DescriptorsOpenOn(source));
  EXPECT_EQ(nullptr, current.server.ReadPart("bob", "502"));
  current.server.AddFile("s", "alice", source, "f", "502");

  // After a redirect the old server closes: the current one keeps its offers and serves them.
  old.server.Close(true);
  EXPECT_EQ(0, DescriptorsOpenOn(source));
  EXPECT_FALSE(FileServer::IsFileAvailable("501"));
  EXPECT_TRUE(FileServer::IsFileAvailable("502"));
  Peer receiver;
  receiver.server.DownloadFile("bob", "alice", "s", "502", 16384, "127.0.0.1", current.port, "f", in.file("f"));
  EXPECT_EQ(FM_COMPLETE, recorder.WaitFinal(true).status);
  EXPECT_EQ(ReadFile(source), ReadFile(in.file("f")));
}

TEST(FileTransferTest, CancelEndsADownloadWaitingForItsSender) {
  // A sender that accepts, sends one part of three and then says nothing more.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 1));
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::atomic<bool> senderSawTheEnd{false};
  std::thread sender([&] {
    int fd = accept(listener, nullptr, nullptr);
    ReadAll(fd, 5s, nullptr, AskForFile("808").size());
    // Acceptance of 20000 bytes, then one part of 8192.
    std::string bytes = Bytes({0xA1, 0x07, 0x80, 0x01, 0xFF, 0x81, 0x02, 0x4E, 0x20});
    bytes += Bytes({0xA2, 0x82, 0x20, 0x04, 0x80, 0x82, 0x20, 0x00}) + std::string(8192, 'p');
    (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    bool closed = false;
    ReadAll(fd, 20s, &closed);
    senderSawTheEnd = closed;
    close(fd);
  });
  Recorder recorder;
  FileServer receiver("0");
  TempDir in;
  receiver.DownloadFile("bob", "alice", "s", "808", 20000, "127.0.0.1", ntohs(address.sin_port), "f", in.file("f"));
  ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> l(recorder.mutex); return recorder.downProgress == 1; }, 10s));
  auto start = std::chrono::steady_clock::now();
  receiver.CancelDownload("808");
  // At once, not after the 30 s the sender has to send its next part.
  Event down = recorder.WaitFinal(true, 10s);
  std::printf("cancel of a waiting download took %.1f ms\n",
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  EXPECT_EQ(FM_CANCELLED, down.status);
  EXPECT_EQ(8192, down.transferred);
  sender.join();
  EXPECT_TRUE(senderSawTheEnd);
  EXPECT_TRUE(testsupport::ListDir(in.path()).empty());
  close(listener);
}

TEST(FileTransferTest, ACancelStopsAStalledPeerAtOnceAndTellsBothSides) {
  Transfer t;
  t.Offer("909", 64 << 20);
  // Bob's side on a line that stops: a small buffer, read for a while, then not at all.
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int buffer = 64 * 1024;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(t.sender.port);
  ASSERT_EQ(0, connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
  const std::string ask = AskForFile("909");
  ASSERT_EQ(static_cast<ssize_t>(ask.size()), send(fd, ask.data(), ask.size(), 0));
  // Bob takes 16 MB at full speed (the system lets the sender queue much for such a peer),
  // then nothing: the sender fills its queue, megabytes that bob has not taken.
  const size_t taken = ReadAll(fd, 10s, nullptr, 16 << 20).size();
  ASSERT_GE(taken, 16u << 20);
  const int sending = SenderOf(fd);
  ASSERT_GE(sending, 0);
  ASSERT_TRUE(WaitFor([&] { return socketQueue::Unsent(sending) >= (2 << 20); }, 10s));
  // What the upload shows is what bob has: no more than he read and holds, whatever it holds
  // for him.
  {
    std::lock_guard<std::mutex> l(t.recorder.mutex);
    EXPECT_LE(static_cast<size_t>(t.recorder.lastUp), taken + (1 << 20));
  }
  const auto start = std::chrono::steady_clock::now();
  t.sender.server.CancelUpload("bob@@@909");
  Event up = t.recorder.WaitFinal(false, 10s);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("a cancel with the peer stalled ended the upload in %.2f s\n", seconds);
  EXPECT_EQ(FM_INTERRUPTED, up.status);
  EXPECT_LT(seconds, 1.0);
  // Bob reads what reached him and then the end: a reset, not megabytes more.
  bool closed = false;
  const std::string rest = ReadAll(fd, 5s, &closed, 8 << 20);
  EXPECT_TRUE(closed);
  EXPECT_LT(rest.size(), 1u << 20);
  close(fd);
}

TEST(FileTransferTest, ASenderThatResetsTheLineInterruptsTheDownload) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 1));
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::thread sender([&] {
    int fd = accept(listener, nullptr, nullptr);
    ReadAll(fd, 5s, nullptr, AskForFile("707").size());
    // Acceptance of 20000 bytes, one part of 8192, then a reset.
    std::string bytes = Bytes({0xA1, 0x07, 0x80, 0x01, 0xFF, 0x81, 0x02, 0x4E, 0x20});
    bytes += Bytes({0xA2, 0x82, 0x20, 0x04, 0x80, 0x82, 0x20, 0x00}) + std::string(8192, 'p');
    (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    linger now{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    close(fd);
  });
  Recorder recorder;
  FileServer receiver("0");
  TempDir in;
  receiver.DownloadFile("bob", "alice", "s", "707", 20000, "127.0.0.1", ntohs(address.sin_port), "f", in.file("f"));
  Event down = recorder.WaitFinal(true, 10s);
  sender.join();
  EXPECT_EQ(FM_INTERRUPTED, down.status);
  EXPECT_EQ(8192, down.transferred);
  EXPECT_TRUE(testsupport::ListDir(in.path()).empty());
  close(listener);
}
