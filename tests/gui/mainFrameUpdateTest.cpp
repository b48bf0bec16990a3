// A newer version announced by the server, from the real main window to a local web server: the
// announcement, the progress in the window's title, one download at a time, what the user is
// told at the end; a version text that cannot name a file starts nothing.
#include <gtest/gtest.h>

#include "core/guiEvents.h"
#include "gui/downloadThread.h"
#include "gui/newVersion.h"
#include "tests/gui/httpTestServer.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

using guitest::PumpUntil;

const std::string kArchive = "BZh91AY&SY" + std::string(2000, 'v');

class MainFrameUpdate : public guitest::MainWindowTest {};

TEST_F(MainFrameUpdate, OfferedFetchedAndTold) {
  guitest::HttpTestServer server;
  newversion::SetDownloadBase(server.Url("/"));
  const std::string target = m_home.file("parlavox_v0.9.9-linux-gtk.tar.bz2");
  const wxString announced = "Update required: Your current version is 0.9.8b\n\nA new version (0.9.9) is available";
  const wxString byHand = "Download error: Unable to download the last version. Get the installer directly on:\n"
                          PARLAVOX_WEBSITE "download";
  const wxString ready = "Ready to update: The last version of Parlavox Instant Messenger has been downloaded and "
                         "stored there: " + target + ". Please update as soon as possible.";
  guitest::SpyMainFrame* frame = Open();
  const struct {
    const char* name;
    int code;             // the connection event that leads to the offer
    const char* version;  // the newest version the server named
    const char* existing; // the file there before, if any
    int replace;          // the answer to the question about it
    guitest::HttpTestServer::Reply reply;
    std::vector<wxString> boxes;  // their beginnings
    int requests;
    const char* kept;
  } rows[] = {
      {"older version", GUI_CONNECTION__OK, "0.9.8", nullptr, 0, {200, kArchive}, {}, 0, nullptr},
      {"unknown after log-in", GUI_CONNECTION__OK, "unknown", nullptr, 0, {200, kArchive}, {}, 0, nullptr},
      {"too old, unknown version", GUI_CONNECTION__INVALID_VERSION, "unknown", nullptr, 0, {200, kArchive}, {byHand},
       0, nullptr},
      {"missing on the site", GUI_CONNECTION__INVALID_VERSION, "0.9.9", nullptr, 0, {404, ""}, {announced, byHand},
       1, nullptr},
      {"archive there, kept", GUI_CONNECTION__OK, "0.9.9", "older", wxID_NO, {200, kArchive},
       {announced, "Update required: The file " + target + " exists already."}, 0, "older"},
      {"newer, fetched while the window says how far", GUI_CONNECTION__OK, "0.9.9", nullptr, 0,
       {200, kArchive, -1, true}, {announced, ready}, 1, kArchive.c_str()},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    boxes.seen.clear();
    boxes.answer = r.replace;
    const int requests = server.Requests();
    server.Serve("/download/parlavox_v0.9.9-linux-gtk.tar.bz2", r.reply);
    if (r.existing) testsupport::WriteFile(target, r.existing);
    Config::GetInstance()->SetLastVersion(r.version);
    ManagerEvent event(wxEVT_CONNECTION_ACK, Manager::GetEventId());
    event.SetInt(r.code);
    GetManager()->AddPendingEvent(event);
    if (r.reply.holdHalfway) {
      ASSERT_TRUE(PumpUntil([&] { return frame->GetTitle().EndsWith("50%"); }, 5000)) << frame->GetTitle();
      EXPECT_EQ("Parlavox 1 - downloading the new version: 50%", frame->GetTitle());
      EXPECT_FALSE(testsupport::FileExists(target));
      frame->DownloadAndReinstall();  // logged in again meanwhile: nothing more
      server.Release();
    }
    EXPECT_TRUE(PumpUntil([&] { return boxes.seen.size() >= r.boxes.size() && !DownloadThread::IsRunning(); }, 8000));
    guitest::Pump(50);
    ASSERT_EQ(r.boxes.size(), boxes.seen.size());
    for (size_t i = 0; i < r.boxes.size(); ++i) EXPECT_TRUE(boxes.seen[i].StartsWith(r.boxes[i])) << boxes.seen[i];
    EXPECT_EQ(r.requests, server.Requests() - requests);
    EXPECT_EQ(r.kept ? r.kept : "", testsupport::FileExists(target) ? testsupport::ReadFile(target) : "");
    EXPECT_EQ("Parlavox 1", frame->GetTitle());
    unlink(target.c_str());
  }
  newversion::SetDownloadBase("");
}

}  // namespace
