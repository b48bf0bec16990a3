// The extension listener in front of the controller, asked through curl with the header fields a
// web page's requests carry and those an extension's carry: a page's request is refused and
// nothing reaches the server (no openurl, no clientinfo) or the controller's extension names,
// while the extension's requests still work.
#include <gtest/gtest.h>

#include <future>

#include "asn1/octetString.h"
#include "model/systemInfoPlatform.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"
#include "tests/network/socketTestSupport.h"

using namespace managertest;
using testserver::C2SPtr;
using testserver::Text;

namespace {

// One request of the browser through curl, with extra header fields, on a thread of its own.
std::future<std::string> Ask(const std::string& path, const std::vector<std::string>& fields) {
  std::vector<std::string> argv = {"curl", "-s", "--http0.9", "--path-as-is", "--max-time", "10"};
  for (const std::string& field : fields) {
    argv.push_back("-H");
    argv.push_back(field);
  }
  argv.push_back("http://127.0.0.1:" + std::to_string(LocalServer::Instance()->GetPort()) + "/" + path);
  return std::async(std::launch::async, [argv] {
    std::string out;
    RunCommand(argv, std::chrono::seconds(15), &out);
    return out;
  });
}

// Request heads recorded from a real browser, sent to the listener on a thread of their own.
std::future<std::string> Replay(const std::string& file) {
  std::string head = testsupport::ReadFile(testsupport::SourceDir() + "/tests/core/fixtures/browserRequests/" + file);
  EXPECT_FALSE(head.empty()) << file;
  unsigned short port = LocalServer::Instance()->GetPort();
  head.replace(head.find("@PORT@"), 6, std::to_string(port));
  return std::async(std::launch::async, [port, head] {
    return sockettest::Exchange(port, head, nullptr, milliseconds(10000));
  });
}

struct Session : ManagerSetUp {
  Session() {
    // Every new name is reported at once (the reports' pace is the floods' test).
    Manager::SetClientInfoInterval(milliseconds(0));
    link = LogIn(*server);
    if (link) Await(*link, C2S_Request_PR_clientinfo, true);
  }
  std::string Answer(std::future<std::string> reply) {
    WaitFor([&] { return reply.wait_for(milliseconds(0)) == std::future_status::ready; }, milliseconds(10000));
    return reply.get();
  }
  // True when the server gets nothing before the answer to a heart-beat.
  bool Quiet() {
    Beat(*link, "K1");
    return static_cast<bool>(Await(*link, C2S_Request_PR_heartbeatack));
  }
  int Registrations() {
    Pump();
    int count = 0;
    for (const Recorded& e : recorder.events) count += e.type == wxEVT_RECEIVE_REGISTER_EXTENSION;
    return count;
  }
  std::shared_ptr<TestConnection> link;
};

}  // namespace

TEST(ManagerPageRequests, APageChangesNothingAnExtensionStillWorks) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string own = "Host: localhost:" + std::to_string(LocalServer::Instance()->GetPort());
  // What Chromium sends for a page on a loopback origin and for one on a public name; what older
  // browsers send for a form or a link; and a page that renamed its host to a loopback address.
  const std::vector<std::vector<std::string>> pages = {
      {"Sec-Fetch-Site: same-site", "Sec-Fetch-Mode: no-cors", "Sec-Fetch-Dest: empty",
       "Referer: http://127.0.0.1:8000/"},
      {"Sec-Fetch-Site: same-site", "Sec-Fetch-Mode: no-cors", "Sec-Fetch-Dest: image",
       "Referer: http://127.0.0.1:8000/"},
      {"Sec-Fetch-Site: cross-site", "Sec-Fetch-Mode: navigate", "Sec-Fetch-Dest: iframe",
       "Referer: http://www.example-site.test/"},
      {"Sec-Fetch-Site: cross-site", "Sec-Fetch-Mode: navigate", "Sec-Fetch-Dest: document",
       "Referer: http://www.example-site.test/"},
      {"Sec-Fetch-Site: cross-site"},
      {"Sec-Fetch-Mode: no-cors"},
      {"Sec-Fetch-Dest: document"},
      {"Origin: http://www.example-site.test"},
      {"Referer: https://www.example-site.test/page.html"},
      {"Host: www.example-site.test:" + std::to_string(LocalServer::Instance()->GetPort())},
  };
  int i = 0;
  for (const std::vector<std::string>& fields : pages) {
    std::string n = std::to_string(++i);
    SCOPED_TRACE(fields[0]);
    for (std::string path : {"CHECK:page" + n, "DISABLE:page" + n, "http://page" + n + ".example/",
                             "ASK:http://ask" + n + ".example/", "QUIT:page" + n}) {
      std::string answer = s.Answer(Ask(path, fields));
      EXPECT_EQ(0u, answer.find("Refused: ")) << path << ": " << answer;
    }
  }
  EXPECT_TRUE(s.Quiet());
  EXPECT_EQ("", s.manager->GetExtensionNames());
  EXPECT_EQ(0, s.Registrations());

  // Chromium's extension worker, Firefox's extension, an older browser's: each new name is
  // reported to the server, and a page opened is asked for.
  const std::vector<std::pair<std::string, std::vector<std::string>>> extensions = {
      {"chromium", {own, "Sec-Fetch-Site: none", "Sec-Fetch-Mode: cors", "Sec-Fetch-Dest: empty"}},
      {"firefox", {own, "Origin: moz-extension://2d4b", "Sec-Fetch-Site: none", "Sec-Fetch-Mode: cors",
                   "Sec-Fetch-Dest: empty"}},
      {"older", {}},
  };
  std::string names;
  for (const auto& extension : extensions) {
    SCOPED_TRACE(extension.first);
    EXPECT_EQ("10", s.Answer(Ask("CHECK:" + extension.first, extension.second)));
    C2SPtr info = s.Await(*s.link, C2S_Request_PR_clientinfo);
    ASSERT_TRUE(info);
    names += extension.first + "|";
    EXPECT_EQ(names, Text(info->choice.clientinfo.extensions_info));
    std::string site = "http://" + extension.first + ".example/";
    auto page = Ask(site, extension.second);
    C2SPtr open = s.Await(*s.link, C2S_Request_PR_openurl);
    ASSERT_TRUE(open);
    EXPECT_EQ(site, Text(open->choice.openurl.site));
    auto ok = NewS2C(S2C_Request_PR_openurlok);
    Fill(&ok->choice.openurlok.site, site);
    ok->choice.openurlok.nbrUsers = 4;
    s.link->Send(*ok);
    EXPECT_EQ("3", s.Answer(std::move(page)));
  }
  EXPECT_EQ(3, s.Registrations());
}

// What Chromium sent (recorded by the browser test): a page's fetch, image, form in a frame,
// navigation and the favicon of the refusal shown, from a loopback origin and from a public
// name; and the two requests of the test extension's background worker.
TEST(ManagerPageRequests, RecordedRequestsOfARealBrowser) {
  Session s;
  ASSERT_TRUE(s.link);
  int pages = 0;
  const std::string folder = testsupport::SourceDir() + "/tests/core/fixtures/browserRequests";
  for (const std::string& file : testsupport::ListDir(folder)) {
    if (file.rfind("extension-", 0) == 0) continue;
    ++pages;
    std::string answer = s.Answer(Replay(file));
    EXPECT_EQ(0u, answer.rfind("HTTP/1.0 403 Forbidden\r\n", 0)) << file << ": " << answer;
  }
  EXPECT_EQ(10, pages);
  EXPECT_TRUE(s.Quiet());
  EXPECT_EQ("", s.manager->GetExtensionNames());
  EXPECT_EQ(0, s.Registrations());

  EXPECT_EQ("10", s.Answer(Replay("extension-listener-test-extension.http")));
  C2SPtr info = s.Await(*s.link, C2S_Request_PR_clientinfo);
  ASSERT_TRUE(info);
  EXPECT_EQ("listener-test-extension|", Text(info->choice.clientinfo.extensions_info));
  auto page = Replay("extension-extension-site.http");
  C2SPtr open = s.Await(*s.link, C2S_Request_PR_openurl);
  ASSERT_TRUE(open);
  EXPECT_EQ("http://extension-site.example/", Text(open->choice.openurl.site));
  auto ok = NewS2C(S2C_Request_PR_openurlok);
  Fill(&ok->choice.openurlok.site, "http://extension-site.example/");
  ok->choice.openurlok.nbrUsers = 2;
  s.link->Send(*ok);
  EXPECT_EQ("1", s.Answer(std::move(page)));
}
