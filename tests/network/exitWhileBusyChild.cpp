// A process that ends while its file transfers, its extension listener and a connection attempt
// (which reads the folders) are busy on detached threads.
// Usage: exitWhileBusyChild <directory> [return|end|leak]
//   return  returns from main, so static destructors run under the threads (the default);
//   end     ends as the program does, by EndProcess;
//   leak    loses memory first, then ends by EndProcess: the leak checker must still see it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "model/config.h"
#include "model/log.h"
#include "model/processEnd.h"
#include "network/fileServer.h"
#include "network/localServer.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/sanitizerOptions.h"

namespace {

// The controller, a process-wide object destroyed at exit like any other, which unbinds
// itself first.
class Controller : public FileTransferListener, public StateMachine {
 public:
  Controller() { FileServer::BindListener(this); }
  ~Controller() override {
    FileServer::UnbindListener(this);
    LocalServer::UnbindController(this);
  }
  void MessageFile(t_fm_status status, const std::string&, const std::string&, const std::string&,
                   const std::string& fileKey, const std::string&, const std::string&, int, time_t, bool isDownload,
                   int64_t, int64_t, double) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[fileKey + std::to_string(status)];
    if (isDownload && status != FM_STARTED && status != FM_IN_PROGRESS) ++ended;
  }
  void ConnectionAck(bool) override {}
  void LocalServerUnavailable() override {}
  void ProcessRequest(S2C_Request_t&) override {}
  void ProcessRequest(E2C_Request_t&) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++handed;
  }
  std::atomic<int> ended{0};
  std::atomic<int> handed{0};

 private:
  std::mutex m_mutex;
  std::map<std::string, int> m_counts;
};

Controller g_controller;
// Kept until the end, as the controller keeps its servers.
FileServer* g_sender;
FileServer* g_receiver;
std::atomic<int> g_folderReads{0};

// Blocks whose every pointer is dropped; some may linger in a register, not all of them.
__attribute__((noinline)) void Lose() {
  for (int i = 0; i < 64; ++i) {
    char* block = static_cast<char*>(malloc(48));
    block[0] = static_cast<char>(i);
    asm volatile("" : : "r"(block) : "memory");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argc > 2 ? argv[2] : "return";
  alarm(60);  // a process that cannot end is killed, and fails
  start_log("/dev/null");
  const std::string directory = std::string(argv[1]) + "/";
  const std::string source = directory + "source";
  FILE* file = fopen(source.c_str(), "wb");
  if (!file) return 2;
  for (int i = 0; i < 256 * 1024; ++i) fputc(i * 7, file);
  fclose(file);

  // Long enough to be held on the heap: a destroyed one would be read from freed memory.
  Config::SetPath(directory + "data-folder-of-the-program/");
  Config::SetUserPath(directory + "folder-of-the-user-settings/");
  std::thread([] {
    for (;;) {
      std::string folders = Config::GetPath() + Config::GetUserPath();
      if (folders.find("folder-of-the-user") != std::string::npos) ++g_folderReads;
    }
  }).detach();

  g_sender = new FileServer("0");
  g_receiver = new FileServer("0");
  if (!g_sender->Listen()) return 2;
  std::thread(*g_sender).detach();
  g_sender->AddFile("s", "alice", source, "source", "1");
  const unsigned short filePort = g_sender->GetBoundPort();
  LocalServer::Start(&g_controller, 0);

  std::thread([filePort, directory] {
    for (int n = 0;; ++n) {
      int started = n;
      g_receiver->DownloadFile("bob", "alice", "s", "1", 256 * 1024, "127.0.0.1", filePort, "f",
                             directory + "got" + std::to_string(n % 8));
      while (started - g_controller.ended > 4) std::this_thread::yield();
    }
  }).detach();
  std::thread([] {
    for (int n = 0;; ++n) {
      std::shared_ptr<LocalServer> listener = LocalServer::Instance();
      unsigned short port = listener ? listener->GetPort() : 0;
      int fd = port ? sockettest::Connect(port) : -1;
      if (fd < 0) continue;
      std::string request = n % 2 ? "GET /CHECK:ext HTTP/1.1\r\n" : "GET /http://site" + std::to_string(n) + "/ HTTP/1.1\r\n";
      (void)!send(fd, request.data(), request.size(), MSG_NOSIGNAL);
      close(fd);
    }
  }).detach();

  while (g_controller.ended < 50 || g_controller.handed < 50 || g_folderReads < 50) std::this_thread::yield();
  std::printf("busy: %d downloads ended, %d extension requests handed over, folders read %d times\n",
              g_controller.ended.load(), g_controller.handed.load(), g_folderReads.load());
  std::fflush(stdout);
  if (mode == "leak") Lose();
  if (mode != "return") EndProcess(0);
  return 0;
}
