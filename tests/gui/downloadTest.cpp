// The new version's download against a real HTTP server on loopback: only a complete archive
// that came with a success status is ever kept, at the expected path, and one download runs at
// a time. Version texts from the server are judged and compared as versions.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/event.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/downloadThread.h"
#include "gui/newVersion.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/httpTestServer.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::HttpTestServer;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const std::string kArchive = "BZh91AY&SY" + std::string(2997, 'x') + "end";

class DownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_DEFAULT); }

  download::Request RequestFor(const std::string& path) {
    download::Request r;
    r.url = server.Url(path);
    r.target = dir.file("parlavox_v0.9.9-linux-gtk.tar.bz2");
    return r;
  }

  HttpTestServer server;
  TempDir dir;
};

TEST_F(DownloadTest, OnlyACompleteArchiveIsKept) {
  struct Case {
    const char* name;
    HttpTestServer::Reply reply;
    download::Result expected;
  } cases[] = {
      {"archive", {200, kArchive, -1, false}, download::kStored},
      {"missing file", {404, "<html>not found</html>", -1, false}, download::kTransferFailed},
      {"server error", {500, "BZh oops", -1, false}, download::kTransferFailed},
      {"body cut short", {200, kArchive.substr(0, 1000), 3010, false}, download::kTransferFailed},
      {"error page sent as success", {200, "<html>maintenance</html>", -1, false}, download::kTransferFailed},
      {"redirect not followed", {302, "", -1, false}, download::kTransferFailed},
      {"empty body", {200, "", -1, false}, download::kTransferFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = std::string("/download/") + c.name;
    server.Serve(path, c.reply);
    const download::Request request = RequestFor(path);
    EXPECT_EQ(c.expected, download::Fetch(request));
    EXPECT_FALSE(FileExists(request.target + ".part"));
    if (c.expected == download::kStored) {
      EXPECT_EQ(kArchive, ReadFile(request.target));
      unlink(request.target.c_str());
    } else {
      EXPECT_FALSE(FileExists(request.target));
    }
  }
}

TEST_F(DownloadTest, TargetOnDiskIsHandledSafely) {
  server.Serve("/a", {200, kArchive, -1, false});
  download::Request request = RequestFor("/a");

  // An existing file stays unless replacing it was agreed.
  ASSERT_TRUE(WriteFile(request.target, "mine"));
  EXPECT_EQ(download::kCannotSave, download::Fetch(request));
  EXPECT_EQ("mine", ReadFile(request.target));
  request.replaceExisting = true;
  EXPECT_EQ(download::kStored, download::Fetch(request));
  EXPECT_EQ(kArchive, ReadFile(request.target));
  unlink(request.target.c_str());

  // A link planted at the temporary name is removed, never written through.
  TempDir elsewhere;
  ASSERT_TRUE(WriteFile(elsewhere.file("victim"), "precious"));
  ASSERT_EQ(0, symlink(elsewhere.file("victim").c_str(), (request.target + ".part").c_str()));
  EXPECT_EQ(download::kStored, download::Fetch(request));
  EXPECT_EQ("precious", ReadFile(elsewhere.file("victim")));
  EXPECT_EQ(kArchive, ReadFile(request.target));

  // A directory that cannot be written: nothing is fetched.
  TempDir locked;
  chmod(locked.path().c_str(), 0500);
  request.target = locked.file("archive.tar.bz2");
  const int before = server.Requests();
  if (access(locked.path().c_str(), W_OK) != 0) {  // root writes anyway
    EXPECT_EQ(download::kCannotSave, download::Fetch(request));
    EXPECT_EQ(before, server.Requests());
  }
  chmod(locked.path().c_str(), 0700);
}

TEST_F(DownloadTest, StalledOrAbsentServerFailsWithinItsTimeOut) {
  server.Serve("/slow", {200, kArchive, -1, true});
  download::Request request = RequestFor("/slow");
  // Slower than a megabyte a second for a second counts as stalled.
  request.lowSpeedSeconds = 1;
  request.lowSpeedBytes = 1 << 20;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(download::kTransferFailed, download::Fetch(request));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_FALSE(FileExists(request.target));
  EXPECT_FALSE(FileExists(request.target + ".part"));

  request.url = "http://127.0.0.1:1/download/x";  // nothing listens there
  EXPECT_EQ(download::kTransferFailed, download::Fetch(request));
  request.url = "file:///etc/passwd";
  EXPECT_EQ(download::kTransferFailed, download::Fetch(request));
  EXPECT_FALSE(FileExists(request.target));
}

// Collects what the download thread reports.
class ResultSink : public wxEvtHandler {
 public:
  ResultSink() { Bind(wxEVT_RECEIVE_UPLOAD_INSTALLER, &ResultSink::OnResult, this); }
  std::vector<int> results;
  std::vector<long> progress;
  wxString path;
  int id = 0;

 private:
  void OnResult(wxCommandEvent& e) {
    id = e.GetId();
    if (e.GetInt() == download::kProgress) {
      progress.push_back(e.GetExtraLong());
      return;
    }
    results.push_back(e.GetInt());
    path = e.GetString();
  }
};

TEST_F(DownloadTest, OneDownloadAtATimeReportsProgressThenItsResult) {
  server.Serve("/big", {200, kArchive, -1, true});
  const download::Request request = RequestFor("/big");
  ResultSink sink;
  ASSERT_TRUE(DownloadThread::Launch(request, &sink));
  ASSERT_TRUE(guitest::PumpUntil([&] { return server.Holding(); }, 5000));
  EXPECT_TRUE(DownloadThread::IsRunning());
  EXPECT_FALSE(DownloadThread::Launch(request, &sink));
  // Halfway through, the progress shows it and the target does not exist yet.
  EXPECT_TRUE(guitest::PumpUntil([&] { return !sink.progress.empty() && sink.progress.back() == 50; }, 5000));
  EXPECT_FALSE(FileExists(request.target));

  server.Release();
  ASSERT_TRUE(guitest::PumpUntil([&] { return !sink.results.empty() && !DownloadThread::IsRunning(); }, 10000));
  EXPECT_EQ(std::vector<int>{download::kStored}, sink.results);
  EXPECT_EQ(wxString::FromUTF8(request.target), sink.path);
  EXPECT_EQ(Manager::GetEventId(), sink.id);
  EXPECT_EQ(kArchive, ReadFile(request.target));
  EXPECT_EQ(1, server.Requests());

  // Once it ended, another may start.
  server.Serve("/gone", {404, "", -1, false});
  ASSERT_TRUE(DownloadThread::Launch(RequestFor("/gone"), &sink));
  ASSERT_TRUE(guitest::PumpUntil([&] { return sink.results.size() == 2 && !DownloadThread::IsRunning(); }, 10000));
  EXPECT_EQ(download::kTransferFailed, sink.results[1]);
  EXPECT_EQ(kArchive, ReadFile(request.target));
}

TEST(NewVersion, VersionTextsAreJudgedAndComparedAsVersions) {
  struct Row {
    const char* version;
    bool acceptable;
    int versusOwn;  // the sign of Compare(version, "0.9.8b") when acceptable
  } rows[] = {
      {"0.9.9", true, 1},    {"0.9.10", true, 1},  {"0.9.8b", true, 0},  {"0.9.8", true, -1},
      {"0.9.8c", true, 1},   {"0.10", true, 1},    {"1", true, 1},       {"0.9.08b", true, 0},
      {"0.9.8b.0", true, 0}, {"99999999999999999999.0", true, 1},
      {"unknown", false, 0}, {"../../x", false, 0}, {"1.0;rm", false, 0}, {"", false, 0},
      {"1..2", false, 0},    {"1.2.", false, 0},    {".1", false, 0},     {"1.0 beta", false, 0},
      {"1/2", false, 0},     {"0.9.9%2f", false, 0}, {"1.0-rc1", false, 0},
      {"123456789012345678901234567890123", false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.version);
    EXPECT_EQ(r.acceptable, newversion::IsAcceptable(r.version));
    if (r.acceptable) {
      const int c = newversion::Compare(r.version, "0.9.8b");
      EXPECT_EQ(r.versusOwn, (c > 0) - (c < 0));
      EXPECT_EQ(-r.versusOwn, (newversion::Compare("0.9.8b", r.version) > 0) - (newversion::Compare("0.9.8b", r.version) < 0));
    }
    EXPECT_EQ(r.acceptable && r.versusOwn > 0, newversion::IsNewer(r.version, "0.9.8b"));
  }
  EXPECT_EQ("parlavox_v0.9.9-linux-gtk.tar.bz2", newversion::ArchiveName("0.9.9"));
}

TEST(NewVersion, ArchiveGoesToTheHomeDirectory) {
  const char* saved = getenv("HOME");
  const std::string home = saved ? saved : "";
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ("/home/u/", newversion::TargetDirectory());
  unsetenv("HOME");
  const std::string fallback = newversion::TargetDirectory();
  EXPECT_NE(std::string::npos, fallback.find('/'));
  EXPECT_EQ('/', fallback.back());
  EXPECT_NE("(null)/", fallback);
  if (saved) setenv("HOME", home.c_str(), 1);
}

}  // namespace
