// The new version's download against a real HTTP server on loopback: only a complete archive
// that came with a success status is kept, at the expected path. Version texts from the server
// are judged and compared as versions.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "gui/downloadThread.h"
#include "gui/newVersion.h"
#include "tests/gui/httpTestServer.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::HttpTestServer;
using testsupport::FileExists;
using testsupport::ReadFile;

const std::string kArchive = "BZh91AY&SY" + std::string(2990, 'x');  // 3000 bytes

TEST(Download, OnlyACompleteVerifiedArchiveIsKept) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  HttpTestServer server;
  testsupport::TempDir dir, elsewhere;
  const std::string victim = elsewhere.file("victim");
  struct Case {
    const char* name;
    HttpTestServer::Reply reply;
    std::function<void(download::Request&)> prepare;
    download::Result expected;
    const char* kept;  // what the target holds afterwards
  } cases[] = {
      {"archive", {200, kArchive}, nullptr, download::kStored, kArchive.c_str()},
      {"missing file", {404, "<html>not found</html>"}, nullptr, download::kTransferFailed, nullptr},
      {"server error", {500, "BZh oops"}, nullptr, download::kTransferFailed, nullptr},
      {"body cut short", {200, kArchive.substr(0, 1000), 3000}, nullptr, download::kTransferFailed, nullptr},
      {"error page sent with success", {200, "<html>busy</html>"}, nullptr, download::kTransferFailed, nullptr},
      {"stalled", {200, kArchive, -1, true},
       [](download::Request& r) {
         r.lowSpeedSeconds = 1;  // under a megabyte a second for a second
         r.lowSpeedBytes = 1 << 20;
       },
       download::kTransferFailed, nullptr},
      {"not a web address", {200, ""}, [](download::Request& r) { r.url = "file:///etc/passwd"; },
       download::kTransferFailed, nullptr},
      {"a file there already", {200, kArchive},
       [](download::Request& r) { testsupport::WriteFile(r.target, "mine"); }, download::kCannotSave, "mine"},
      {"replacing it agreed", {200, kArchive},
       [](download::Request& r) {
         testsupport::WriteFile(r.target, "mine");
         r.replaceExisting = true;
       },
       download::kStored, kArchive.c_str()},
      {"link planted at the temporary name", {200, kArchive},
       [&](download::Request& r) {
         testsupport::WriteFile(victim, "precious");
         symlink(victim.c_str(), (r.target + ".part").c_str());
       },
       download::kStored, kArchive.c_str()},
      {"directory not writable", {200, kArchive},
       [&](download::Request& r) { r.target = "/proc/archive.tar.bz2"; }, download::kCannotSave, nullptr},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "/download/" + std::to_string(++n);
    server.Serve(path, c.reply);
    download::Request request;
    request.url = server.Url(path);
    request.target = dir.file("parlavox_v0.9.9-linux-gtk.tar.bz2");
    unlink(request.target.c_str());
    if (c.prepare) c.prepare(request);
    EXPECT_EQ(c.expected, download::Fetch(request));
    EXPECT_FALSE(FileExists(request.target + ".part"));
    EXPECT_EQ(c.kept ? c.kept : "", FileExists(request.target) ? ReadFile(request.target) : "");
  }
  EXPECT_EQ("precious", ReadFile(victim));
  server.Release();
}

// A host that sends too much, whether it announced the length or not, or too slowly (a stall, a
// trickle, or a transfer past its total time) fails the download with nothing left behind, and
// the next download works.
TEST(Download, BoundedInSizeAndTime) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  HttpTestServer server;
  testsupport::TempDir dir;
  const std::string large = "BZh91AY&SY" + std::string(49990, 'x');  // 50000 bytes
  auto noLength = [](const std::string& body) {
    HttpTestServer::Reply reply{200, body};
    reply.announceLength = false;
    return reply;
  };
  auto trickle = [](int milliseconds) {
    HttpTestServer::Reply reply{200, kArchive};
    reply.trickleMilliseconds = milliseconds;
    return reply;
  };
  struct Case {
    const char* name;
    HttpTestServer::Reply reply;
    std::function<void(download::Request&)> prepare;
    download::Result expected;
  } cases[] = {
      {"no length announced, within the bound", noLength(kArchive), nullptr, download::kStored},
      {"no length announced, over the bound", noLength(large), nullptr, download::kTransferFailed},
      {"announced length over the bound", {200, large}, nullptr, download::kTransferFailed},
      {"trickle under the lowest speed", trickle(50),
       [](download::Request& r) { r.lowSpeedSeconds = 1; }, download::kTransferFailed},
      {"trickle past the total time", trickle(5),
       [](download::Request& r) {
         r.lowSpeedBytes = 1;
         r.totalSeconds = 2;
       },
       download::kTransferFailed},
      {"stall", {200, kArchive, -1, true}, [](download::Request& r) { r.lowSpeedSeconds = 1; },
       download::kTransferFailed},
  };
  server.Serve("/good", {200, kArchive});
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = "/bounded/" + std::to_string(++n);
    server.Serve(path, c.reply);
    download::Request request;
    request.url = server.Url(path);
    request.target = dir.file("parlavox_v0.9.9-linux-gtk.tar.bz2");
    request.maxBytes = 20000;
    if (c.prepare) c.prepare(request);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.expected, download::Fetch(request));
    printf("%s: %.1f s\n", c.name, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    EXPECT_FALSE(FileExists(request.target + ".part"));
    EXPECT_EQ(c.expected == download::kStored, FileExists(request.target));
    unlink(request.target.c_str());

    // The host is free again, and so is the program: the next download is whole.
    download::Request next;
    next.url = server.Url("/good");
    next.target = request.target;
    EXPECT_EQ(download::kStored, download::Fetch(next));
    EXPECT_EQ(kArchive, FileExists(next.target) ? ReadFile(next.target) : "");
    unlink(next.target.c_str());
  }
  server.Release();
}

TEST(NewVersion, JudgedAndComparedAsVersions) {
  // Newer than the running "0.9.8b", as it sorts against it (-1, 0, 1), or not acceptable (x).
  const std::pair<const char*, char> rows[] = {
      {"0.9.9", 1},   {"0.9.10", 1},  {"0.10", 1},    {"0.9.8c", 1}, {"99999999999999999999.0", 1},
      {"0.9.8b", 0},  {"0.9.08b", 0}, {"0.9.8b.0", 0}, {"0.9.8", -1}, {"0.9", -1},
      {"unknown", 'x'}, {"../../x", 'x'}, {"1.0;rm", 'x'}, {"", 'x'}, {"1..2", 'x'}, {"1.2.", 'x'},
      {".1", 'x'},    {"1.0 b", 'x'}, {"1/2", 'x'},    {"1.0-rc1", 'x'}, {"123456789012345678901234567890123", 'x'},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.first);
    EXPECT_EQ(r.second != 'x', newversion::IsAcceptable(r.first));
    EXPECT_EQ(r.second == 1, newversion::IsNewer(r.first, "0.9.8b"));
    auto sign = [](int c) { return (c > 0) - (c < 0); };
    if (r.second != 'x') {
      EXPECT_EQ(int(r.second), sign(newversion::Compare(r.first, "0.9.8b")));
      EXPECT_EQ(-int(r.second), sign(newversion::Compare("0.9.8b", r.first)));
    }
  }
  EXPECT_EQ("parlavox_v0.9.9-linux-gtk.tar.bz2", newversion::ArchiveName("0.9.9"));
  const std::string home = getenv("HOME");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ("/home/u/", newversion::TargetDirectory());
  unsetenv("HOME");
  EXPECT_EQ('/', newversion::TargetDirectory().front());  // the account's home, never "(null)"
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
