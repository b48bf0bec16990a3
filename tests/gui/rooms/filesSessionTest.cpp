// The file-transfers window in the whole program on the stand-in server, with bob as a client
// process of his own whose transfers pass a relay limited to 20 MB/s: a 100 MB download and a
// 40 MB upload followed in the window as they run, a third transfer cancelled from its row's
// button half-way, and "Clear all".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/application.h"
#include "core/clientSideRequest.h"
#include "gui/mainFrame.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "model/config.h"
#include "network/fileServer.h"
#include "network/fileTransferListener.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/peerProcess.h"
#include "tests/gui/rooms/throttledRelay.h"
#include "tests/support/programSession.h"
#include "tests/support/testSupport.h"

namespace {

using roomstest::Exists;
using roomstest::SameFiles;
using roomstest::WritePattern;
using Clock = std::chrono::steady_clock;
const char kRoom[] = "http://files.example/";
constexpr long kRate = 20L << 20;

// ---- Bob: run as a process of his own (this program, started with the test below alone).

TEST(FilesPeer, DISABLED_Bob) {
  const char* port = getenv("PARLAVOX_PEER_PORT");
  if (!port) GTEST_SKIP();
  const std::string dir = getenv("PARLAVOX_PEER_DIR");
  testsupport::TempDir user;
  standintest::PrepareClients(getenv("PARLAVOX_PEER_DATA"), user.path());
  roomstest::StepsFile steps(dir + "/steps");
  FileServer::BindListener(&steps);
  standintest::TestUser bob(static_cast<unsigned short>(atoi(port)), "bob");
  ASSERT_TRUE(bob.LoggedIn());
  bob.Link().SendSubscribeChatRoom(bob.Key(), kRoom);
  ASSERT_TRUE(bob.Wait(S2C_Request_PR_suburlack));
  FileServer server("0");
  ASSERT_TRUE(server.Listen());
  std::thread listening{FileServer(server)};
  // Bob's offers, each behind the relay: "<key> <name>" lines in the ready file.
  std::vector<std::unique_ptr<guitest::ThrottledRelay>> relays;
  relays.emplace_back(new guitest::ThrottledRelay(server.GetBoundPort(), kRate));
  std::string ready;
  int n = 0;
  for (const char* name : {"bob.bin", "cancel.bin"}) {
    const std::string key = "17000000001234" + std::to_string(n);
    ASSERT_TRUE(WritePattern(dir + "/" + name, 100L << 20, ++n));
    ASSERT_EQ(100L << 20, server.AddFile(kRoom, "bob", dir + "/" + name, name, key));
    ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, name, key, 100L << 20, relays[0]->Port()));
    ready += key + " " + name + "\n";
  }
  ASSERT_TRUE(testsupport::WriteFile(dir + "/ready.tmp", ready));
  ASSERT_EQ(0, rename((dir + "/ready.tmp").c_str(), (dir + "/ready").c_str()));
  // Alice's offers are fetched as they come, through a relay of their own.
  std::set<std::string> fetched;
  for (auto end = Clock::now() + std::chrono::seconds(180); !Exists(dir + "/stop") && Clock::now() < end;) {
    const S2C_Request_t* offer = bob.Wait(S2C_Request_PR_file, [&](const S2C_Request_t& r) {
      return standintest::Str(r.choice.file.login) == "alice" && !fetched.count(standintest::Str(r.choice.file.filekey));
    }, std::chrono::milliseconds(100));
    if (!offer) continue;
    const S2C_File_t& f = offer->choice.file;
    fetched.insert(standintest::Str(f.filekey));
    relays.emplace_back(new guitest::ThrottledRelay(static_cast<unsigned short>(f.port), kRate));
    server.DownloadFile("bob", "alice", kRoom, standintest::Str(f.filekey), f.filesize, "127.0.0.1",
                        relays.back()->Port(), standintest::Str(f.filename), dir + "/got-" + standintest::Str(f.filename));
  }
  server.Close(true);
  listening.join();
  relays.clear();
  FileServer::UnbindListener(&steps);
  bob.Link().SendDisconnect(bob.Key());
  bob.WaitEnd();
}

// ---- Alice: the whole program, with bob started beside it.

class FilesSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    // A free file port of her own: other programs may run beside this one.
    Config::GetInstance()->SetFilePort(0);
    GetManager()->RestartFileServer();
    m_files = guitest::FindChild<FilesFrame>(Frame(), [](FilesFrame*) { return true; });
    ASSERT_TRUE(m_files);
    GetManager()->SubscribeChatRoom(kRoom);
    ASSERT_TRUE(AwaitJournal(std::string("alice suburl site=\"") + kRoom + "\""));
    Settle();
  }
  void TearDown() override {
    StopBob();
    ProgramSession::TearDown();
  }
  void StartBob() {
    m_bob.Start("FilesPeer.DISABLED_Bob",
                {{"PARLAVOX_PEER_PORT", std::to_string(Server().Port())}, {"PARLAVOX_PEER_DATA", DataDir()}});
    ASSERT_TRUE(Until([&] { return Exists(m_bob.Dir().file("ready")); }, 60000)) << m_bob.Log();
    std::istringstream lines(testsupport::ReadFile(m_bob.Dir().file("ready")));
    for (std::string key, name; lines >> key >> name;) m_offers[name] = key;
  }
  void StopBob() {
    m_bob.Stop([](const std::function<bool()>& cond, int ms) { return Until(cond, ms); });
  }
  // Bob's last step of a transfer, or -1.
  int BobsState(char direction, const std::string& key) {
    const std::vector<int> states = roomstest::StepsFile::States(m_bob.Dir().file("steps"), direction, key);
    return states.empty() ? -1 : states.back();
  }
  FileInfoPanel* Row(bool download, const std::string& key) {
    for (FileInfoPanel* row : download ? m_files->GetDownloadPanels() : m_files->GetUploadPanels())
      if (row->GetTransferKey() == key) return row;
    return nullptr;
  }

  roomstest::PeerProcess m_bob;
  testsupport::TempDir m_downloads;
  std::map<std::string, std::string> m_offers;
  FilesFrame* m_files = nullptr;
};

TEST_F(FilesSession, TransfersFollowedCancelledHalfWayAndCleared) {
  StartBob();
  ASSERT_EQ(2u, m_offers.size());
  ASSERT_TRUE(Until([&] { return GetManager()->HasFileOffer(m_offers["bob.bin"]); }));
  // Alice fetches bob's 100 MB and offers him 40 MB at the same time.
  const std::string got = m_downloads.file("bob.bin");
  GetManager()->DownloadFile(m_offers["bob.bin"], got);
  ASSERT_TRUE(WritePattern(m_downloads.file("alice.bin"), 40L << 20, 9));
  const std::string upKey = GetManager()->SendFile(kRoom, m_downloads.file("alice.bin"), "alice.bin");
  ASSERT_FALSE(upKey.empty());

  // The window comes up with the first start; the rows change while the transfers run.
  std::set<std::string> downTexts, upTexts;
  std::set<wxString> speeds;
  FileInfoPanel* down = nullptr;
  FileInfoPanel* up = nullptr;
  const auto start = Clock::now();
  int firstUpdates = 0;
  ASSERT_TRUE(Until([&] {
    if (!down && (down = Row(true, m_offers["bob.bin"]))) firstUpdates = down->GetViewUpdates();
    if (!up) up = Row(false, "bob@@@" + upKey);
    if (down) downTexts.insert((down->GetSizeText() + " " + down->GetPercentText()).ToStdString());
    if (down) speeds.insert(down->GetSpeedText());
    if (up) upTexts.insert((up->GetSizeText() + " " + up->GetPercentText()).ToStdString());
    return down && up && down->GetStatus() == FM_COMPLETE && up->GetStatus() == FM_COMPLETE;
  }, 120000));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_TRUE(m_files->IsShown());
  printf("100 MB down and 40 MB up in %.1f s; the download row rewritten %d times, %zu texts, %zu speeds\n", seconds,
         down->GetViewUpdates() - firstUpdates, downTexts.size(), speeds.size());
  EXPECT_GT(downTexts.size(), 10u);
  EXPECT_GT(upTexts.size(), 3u);
  EXPECT_GT(speeds.size(), 3u);
  // At most ten repaints a second per row (and the row's making and its end).
  EXPECT_LE(down->GetViewUpdates() - firstUpdates, int(10 * seconds) + 3);
  EXPECT_EQ(wxColour(0, 221, 0), down->GetBackgroundColour());
  EXPECT_EQ("OK", down->GetPercentText());
  EXPECT_EQ("102400 / 102400 kbytes", down->GetSizeText());
  EXPECT_EQ(wxColour(0, 221, 0), up->GetBackgroundColour());
  EXPECT_TRUE(SameFiles(m_bob.Dir().file("bob.bin"), got));
  ASSERT_TRUE(Until([&] { return BobsState('d', upKey) == FM_COMPLETE; }));
  EXPECT_TRUE(SameFiles(m_downloads.file("alice.bin"), m_bob.Dir().file("got-alice.bin")));

  // The third cancelled from its row by a real click, once it is well under way.
  const std::string cancelled = m_downloads.file("cancel.bin");
  GetManager()->DownloadFile(m_offers["cancel.bin"], cancelled);
  FileInfoPanel* row = nullptr;
  ASSERT_TRUE(Until([&] {
    row = Row(true, m_offers["cancel.bin"]);
    return row && row->GetStatus() == FM_IN_PROGRESS && row->GetPercentText() >= "10 %";
  }));
  m_files->Raise();
  Settle();
  auto* picture = guitest::FindChildren<wxStaticBitmap>(row).at(0);
  wxUIActionSimulator sim;
  sim.MouseMove(picture->GetScreenRect().GetPosition() + picture->GetSize() / 2);
  sim.MouseClick();
  ASSERT_TRUE(Until([&] { return row->GetStatus() == FM_CANCELLED; }));
  EXPECT_EQ(wxColour(255, 0, 0), row->GetBackgroundColour());
  EXPECT_LT(row->GetPercentText(), "99 %");
  ASSERT_TRUE(Until([&] {
    const int state = BobsState('u', "alice@@@" + m_offers["cancel.bin"]);
    return state == FM_FAILED || state == FM_INTERRUPTED || state == FM_CANCELLED;
  }));
  // Nothing left under the final name, nor beside it.
  EXPECT_FALSE(Exists(cancelled));
  EXPECT_EQ((std::vector<std::string>{"alice.bin", "bob.bin"}), testsupport::ListDir(m_downloads.path()));

  // "Clear all" empties each list by a real click.
  for (bool download : {true, false}) {
    wxButton* clear = m_files->GetClearButton(download);
    sim.MouseMove(clear->GetScreenRect().GetPosition() + clear->GetSize() / 2);
    sim.MouseClick();
    EXPECT_TRUE(Until([&] { return !clear->IsEnabled(); }));
  }
  EXPECT_TRUE(m_files->GetDownloadPanels().empty());
  EXPECT_TRUE(m_files->GetUploadPanels().empty());
}

}  // namespace
