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

class FilesPeer : public roomstest::PeerTest {
 protected:
  FilesPeer() : PeerTest("bob", kRoom) {}
};

TEST_F(FilesPeer, DISABLED_Bob) {
  const std::string dir = Dir();
  standintest::TestUser& bob = User();
  FileServer& server = Files();
  // Bob's offers, each behind the relay: "<key> <name>" lines in the ready file.
  std::vector<std::unique_ptr<guitest::ThrottledRelay>> relays;
  relays.emplace_back(new guitest::ThrottledRelay(server.GetBoundPort(), kRate));
  std::string ready;
  int n = 0;
  for (const char* name : {"bob.bin", "cancel.bin"}) {
    const std::string key = "17000000001234" + std::to_string(n);
    ASSERT_TRUE(WritePattern(dir + name, 100L << 20, ++n));
    ASSERT_EQ(100L << 20, server.AddFile(kRoom, "bob", dir + name, name, key));
    ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, name, key, 100L << 20, relays[0]->Port()));
    ready += key + " " + name + "\n";
  }
  SayReady(ready);
  // Alice's offers are fetched as they come, through a relay of their own.
  std::set<std::string> fetched;
  for (auto end = Clock::now() + std::chrono::seconds(180); !Exists(dir + "stop") && Clock::now() < end;) {
    const S2C_Request_t* offer = bob.Wait(S2C_Request_PR_file, [&](const S2C_Request_t& r) {
      return standintest::Str(r.choice.file.login) == "alice" && !fetched.count(standintest::Str(r.choice.file.filekey));
    }, std::chrono::milliseconds(100));
    if (!offer) continue;
    const S2C_File_t& f = offer->choice.file;
    fetched.insert(standintest::Str(f.filekey));
    relays.emplace_back(new guitest::ThrottledRelay(static_cast<unsigned short>(f.port), kRate));
    server.DownloadFile("bob", "alice", kRoom, standintest::Str(f.filekey), f.filesize, "127.0.0.1",
                        relays.back()->Port(), standintest::Str(f.filename), dir + "got-" + standintest::Str(f.filename));
  }
  // The transfers end before their relays.
  server.Close(true);
}

// ---- Alice: the whole program, with bob started beside it.

class FilesSession : public roomstest::PeerSession {
 protected:
  void SetUp() override {
    PeerSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    m_files = guitest::FindChild<FilesFrame>(Frame(), [](FilesFrame*) { return true; });
    ASSERT_TRUE(m_files);
    GetManager()->SubscribeChatRoom(kRoom);
    ASSERT_TRUE(AwaitJournal(std::string("alice suburl site=\"") + kRoom + "\""));
    Settle();
  }
  void StartBob() {
    StartPeer("FilesPeer.DISABLED_Bob");
    ASSERT_FALSE(HasFatalFailure());
    std::istringstream lines(testsupport::ReadFile(Bob("ready")));
    for (std::string key, name; lines >> key >> name;) m_offers[name] = key;
  }
  // Bob's last step of a transfer, or -1.
  int BobsState(char direction, const std::string& key) {
    const std::vector<int> states = roomstest::StepsFile::States(Bob("steps"), direction, key);
    return states.empty() ? -1 : states.back();
  }
  FileInfoPanel* Row(bool download, const std::string& key) {
    for (FileInfoPanel* row : download ? m_files->GetDownloadPanels() : m_files->GetUploadPanels())
      if (row->GetTransferKey() == key) return row;
    return nullptr;
  }

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
  EXPECT_TRUE(SameFiles(Bob("bob.bin"), got));
  ASSERT_TRUE(Until([&] { return BobsState('d', upKey) == FM_COMPLETE; }));
  EXPECT_TRUE(SameFiles(m_downloads.file("alice.bin"), Bob("got-alice.bin")));

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
