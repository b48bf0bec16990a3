// A real browser (headless Chromium) against the extension listener in front of the controller:
// a page on a loopback origin and a page on a public-looking name try the listener with a fetch,
// an image, a form in a frame and their own navigation, and make the program send nothing; a
// small extension of ours, whose background worker asks the listener as the companion extension
// does, still gets its name reported and its page's room asked for. Skipped when no chromium is
// installed.
//
// With PARLAVOX_RECORD_BROWSER_FIXTURES=<folder>, the request heads the browser sent are also
// written there, for the recorded-requests test (tests/core/fixtures/browserRequests/).
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "model/systemInfoPlatform.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"
#include "tests/network/socketTestSupport.h"

extern char** environ;

using namespace managertest;
using testserver::C2SPtr;
using testserver::Text;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// A web server on loopback for the browser: serves the pages it is given, records the head of
// every request, and answers any other path with a short text.
class WebServer {
 public:
  WebServer() {
    m_listen = sockettest::ListenOnFreePort(&m_port);
    listen(m_listen, 64);  // the browser opens several connections at once
    m_thread = std::thread([this] { Loop(); });
  }
  ~WebServer() {
    m_stop = true;
    m_thread.join();
    close(m_listen);
  }
  unsigned short Port() const { return m_port; }
  void Serve(const std::string& path, const std::string& body) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pages[path] = body;
  }
  std::vector<std::string> Heads() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_heads;
  }
  bool Got(const std::string& path) {
    for (const std::string& head : Heads())
      if (head.rfind("GET " + path + " ", 0) == 0) return true;
    return false;
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_heads.clear();
  }

 private:
  struct Client {
    int fd;
    std::string bytes;
  };
  void Loop() {
    std::vector<Client> clients;
    while (!m_stop) {
      std::vector<pollfd> fds = {{m_listen, POLLIN, 0}};
      for (const Client& client : clients) fds.push_back({client.fd, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      for (size_t i = clients.size(); i-- > 0;) {
        if (!fds[i + 1].revents) continue;
        char buffer[4096];
        ssize_t got = recv(clients[i].fd, buffer, sizeof buffer, 0);
        if (got > 0) clients[i].bytes.append(buffer, static_cast<size_t>(got));
        size_t end = clients[i].bytes.find("\r\n\r\n");
        if (got > 0 && end == std::string::npos) continue;
        if (end != std::string::npos) Answer(clients[i].fd, clients[i].bytes.substr(0, end + 4));
        close(clients[i].fd);
        clients.erase(clients.begin() + static_cast<long>(i));
      }
      if (fds[0].revents & POLLIN) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) clients.push_back({fd, std::string()});
      }
    }
    for (const Client& client : clients) close(client.fd);
  }
  void Answer(int fd, const std::string& head) {
    size_t start = head.find(' ') + 1;
    std::string path = head.substr(start, head.find(' ', start) - start);
    std::string type = "text/plain", body = "Recorded.\n";
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_heads.push_back(head);
      auto page = m_pages.find(path);
      if (page != m_pages.end()) {
        type = "text/html";
        body = page->second;
      }
    }
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
  }

  int m_listen = -1;
  unsigned short m_port = 0;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  std::mutex m_mutex;
  std::map<std::string, std::string> m_pages;
  std::vector<std::string> m_heads;
};

// The chromium program on PATH, or empty.
std::string FindChromium() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    for (const char* name : {"chromium", "chromium-browser"}) {
      std::string candidate = dirs.substr(start, end - start) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return std::string();
}

// The browser's command line: headless, as root, nothing fetched of its own, a new profile.
std::vector<std::string> BrowserCommand(const std::string& chromium, const TempDir& profile) {
  return {chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
          "--disable-background-networking", "--disable-component-update", "--disable-sync",
          "--disable-dev-shm-usage", "--user-data-dir=" + profile.path() + "profile",
          "--disk-cache-dir=" + profile.path() + "cache",
          "--host-resolver-rules=MAP www.example-site.test 127.0.0.1"};
}

// A browser left running until the end of the scope; it and what it started are then ended.
class RunningBrowser {
 public:
  explicit RunningBrowser(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawnp(&m_pid, args[0], &actions, &attributes, args.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  ~RunningBrowser() {
    if (m_pid <= 0) return;
    kill(-m_pid, SIGTERM);
    bool ended = testsupport::WaitFor([this] { return waitpid(m_pid, nullptr, WNOHANG) == m_pid; }, milliseconds(5000));
    if (!ended) {
      kill(-m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  bool Started() const { return m_pid > 0; }

 private:
  pid_t m_pid = -1;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Writes the heads a recorder got as fixtures, named after what they ask for, the recorder's
// port written as @PORT@.
void KeepHeads(const std::string& name, WebServer& recorder) {
  const char* folder = std::getenv("PARLAVOX_RECORD_BROWSER_FIXTURES");
  if (!folder) return;
  for (const std::string& head : recorder.Heads()) {
    std::string path = head.substr(4, head.find(' ', 4) - 4);
    for (const char* noise : {"/", "http:", "CHECK:", ".example", ".ico", "?"}) path = Replace(path, noise, "");
    WriteFile(std::string(folder) + "/" + name + "-" + path + ".http",
              Replace(head, ":" + std::to_string(recorder.Port()), ":@PORT@"));
  }
}

struct BrowserSession : ManagerSetUp {
  BrowserSession() : chromium(FindChromium()) {
    if (chromium.empty()) return;
    // Every new name is reported at once (the reports' pace is the floods' test).
    Manager::SetClientInfoInterval(milliseconds(0));
    link = LogIn(*server);
    if (link) Await(*link, C2S_Request_PR_clientinfo, true);
  }
  // Loads pages, each in a browser of its own, all at once, and lets their scripts run; each
  // page's document at the end, as the browser shows it. The controller's queue is handled
  // meanwhile.
  std::vector<std::string> Load(const std::vector<std::string>& urls) {
    std::vector<std::future<std::string>> runs;
    for (const std::string& url : urls) {
      runs.push_back(std::async(std::launch::async, [this, url] {
        TempDir profile;
        std::vector<std::string> argv = BrowserCommand(chromium, profile);
        argv.insert(argv.end(), {"--virtual-time-budget=10000", "--dump-dom", url});
        std::string dom;
        RunCommand(argv, std::chrono::seconds(60), &dom);
        return dom;
      }));
    }
    std::vector<std::string> doms;
    for (auto& run : runs) {
      WaitFor([&] { return run.wait_for(milliseconds(0)) == std::future_status::ready; }, milliseconds(70000));
      doms.push_back(run.get());
    }
    return doms;
  }
  // The next request of the kind, skipping others, waiting as long as a browser may take.
  C2SPtr AwaitLong(C2S_Request_PR kind) {
    C2SPtr got;
    WaitFor([&] { return static_cast<bool>(got = Await(*link, kind, true)); }, milliseconds(60000));
    return got;
  }
  bool Quiet() {
    Beat(*link, "K1");
    return static_cast<bool>(Await(*link, C2S_Request_PR_heartbeatack));
  }

  std::string chromium;
  std::shared_ptr<TestConnection> link;
};

const char kSkipped[] = "chromium is not installed (apt-get install chromium): the browser test is skipped";

}  // namespace

TEST(BrowserRequests, PagesOnALoopbackOriginAndOnAPublicNameSendNothing) {
  BrowserSession s;
  if (s.chromium.empty()) { GTEST_SKIP() << kSkipped; }
  ASSERT_TRUE(s.link);
  const unsigned short listener = LocalServer::Instance()->GetPort();
  const std::string page = ReadFile(testsupport::SourceDir() + "/tests/core/fixtures/browserPage.html");
  ASSERT_FALSE(page.empty());
  // Each origin's page once with a recorder where the listener stands, to show that the browser
  // does send all four requests, and once against the listener.
  struct Origin {
    const char* name;
    const char* fixtures;
    WebServer recorder;
  } origins[] = {{"127.0.0.1", "loopback-page", {}}, {"www.example-site.test", "public-page", {}}};
  WebServer site;
  std::vector<std::string> urls;
  for (Origin& origin : origins) {
    std::string base = "http://" + std::string(origin.name) + ":" + std::to_string(site.Port()) + "/";
    site.Serve("/" + std::string(origin.fixtures) + "-probe.html",
               Replace(page, "@LISTENER@", "http://127.0.0.1:" + std::to_string(origin.recorder.Port()) + "/"));
    urls.push_back(base + origin.fixtures + "-probe.html");
    urls.push_back(base + "page.html");
  }
  site.Serve("/page.html", Replace(page, "@LISTENER@", "http://127.0.0.1:" + std::to_string(listener) + "/"));
  std::vector<std::string> shown = s.Load(urls);
  for (size_t i = 0; i < 2; ++i) {
    Origin& origin = origins[i];
    SCOPED_TRACE(origin.name);
    for (const char* path : {"/CHECK:page-fetch", "/http://page-image.example/", "/http://page-form.example/?",
                             "/http://page-navigation.example/"})
      EXPECT_TRUE(origin.recorder.Got(path)) << path;
    KeepHeads(origin.fixtures, origin.recorder);
    // Against the listener, the page ends on the refusal.
    EXPECT_NE(std::string::npos, shown[2 * i + 1].find("Refused: this address serves the browser extension only"))
        << shown[2 * i + 1];
  }
  // And the server heard nothing; the listener remembers no page.
  EXPECT_TRUE(s.Quiet());
  EXPECT_TRUE(LocalServer::Instance()->GetAllOpenedSites().empty());
  EXPECT_EQ("", s.manager->GetExtensionNames());
  Pump();
  for (const Recorded& e : s.recorder.events) EXPECT_NE(wxEVT_RECEIVE_REGISTER_EXTENSION, e.type);
}

TEST(BrowserRequests, TheExtensionStillGetsItsRequestsServed) {
  BrowserSession s;
  if (s.chromium.empty()) { GTEST_SKIP() << kSkipped; }
  ASSERT_TRUE(s.link);
  WebServer site, recorder;
  // The extension, told where the listener is and where to report.
  auto install = [&](const TempDir& dir, unsigned short listener) {
    const std::string from = testsupport::SourceDir() + "/tests/core/fixtures/browserExtension/";
    for (const char* file : {"manifest.json", "background.js"})
      ASSERT_TRUE(WriteFile(dir.path() + file, ReadFile(from + file)));
    std::string config = "const LISTENER = \"http://localhost:" + std::to_string(listener) + "/\";\n" +
                         "const REPORT = \"http://127.0.0.1:" + std::to_string(site.Port()) + "/\";\n";
    ASSERT_TRUE(WriteFile(dir.path() + "config.js", config));
  };
  auto launch = [&](const TempDir& dir, const TempDir& profile) {
    std::vector<std::string> argv = BrowserCommand(s.chromium, profile);
    argv.insert(argv.end(), {"--load-extension=" + dir.path(), "about:blank"});
    return std::unique_ptr<RunningBrowser>(new RunningBrowser(argv));
  };
  if (std::getenv("PARLAVOX_RECORD_BROWSER_FIXTURES")) {
    TempDir dir, profile;
    install(dir, recorder.Port());
    auto browser = launch(dir, profile);
    ASSERT_TRUE(s.WaitFor([&] { return site.Got("/extension-done"); }, milliseconds(60000)));
    KeepHeads("extension", recorder);
    site.Forget();
  }
  TempDir dir, profile;
  install(dir, LocalServer::Instance()->GetPort());
  auto browser = launch(dir, profile);
  ASSERT_TRUE(browser->Started());
  // Its name is reported to the server, and the page it tells of is asked for.
  C2SPtr info = s.AwaitLong(C2S_Request_PR_clientinfo);
  ASSERT_TRUE(info);
  EXPECT_EQ("listener-test-extension|", Text(info->choice.clientinfo.extensions_info));
  C2SPtr open = s.AwaitLong(C2S_Request_PR_openurl);
  ASSERT_TRUE(open);
  EXPECT_EQ("http://extension-site.example/", Text(open->choice.openurl.site));
  auto ok = NewS2C(S2C_Request_PR_openurlok);
  Fill(&ok->choice.openurlok.site, "http://extension-site.example/");
  s.link->Send(*ok);
  EXPECT_TRUE(s.WaitFor([&] { return site.Got("/extension-done"); }, milliseconds(30000)));
}
