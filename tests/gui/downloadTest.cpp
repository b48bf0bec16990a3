// The new version's download against a real HTTP server on loopback: only a complete archive
// that came with a success status is kept, at the expected path. Version texts from the server
// are judged and compared as versions.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
