// The file-transfers window fed what the controller sends: which reports make rows and in which
// list, one row per transfer (relayed ones included), the rooms' labels, the lists' scrolling,
// "Clear all" under real clicks, a lost connection, closing, and teardown with rows in both lists.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/fileMessage.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/testSupport.h"

namespace {

FileMessage Report(const std::string& transferKey, bool download, t_fm_status status,
                   const std::string& site = "http://site.example/", const std::string& login = "bob",
                   const std::string& fileKey = "k") {
  return FileMessage(site, login, "Bob", "f.bin", fileKey, transferKey, "127.0.0.1", 6891, 0, download, status, 10,
                     100000, 1.0);
}

std::vector<std::string> Keys(const std::vector<FileInfoPanel*>& rows) {
  std::vector<std::string> keys;
  for (FileInfoPanel* row : rows) keys.push_back(row->GetTransferKey());
  return keys;
}

wxString RoomLine(FileInfoPanel* row) { return guitest::FindChildren<wxStaticText>(row).at(4)->GetLabelText(); }

class FilesWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config::GetInstance()->SetLogin("alice");
    m_frame = new FilesFrame(nullptr, GetManager());
    m_frame->Show();
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->IsShownOnScreen(); }));
  }
  void TearDown() override {
    if (m_frame) m_frame->Close(true);
    guitest::Pump(50);
  }
  FilesFrame* m_frame = nullptr;
};

TEST_F(FilesWindow, OneRowPerTransferInItsOwnList) {
  m_frame->UpdateFileTransfertStatus(Report("a", true, FM_OFFERED));
  EXPECT_TRUE(m_frame->GetDownloadPanels().empty());
  EXPECT_FALSE(m_frame->GetClearButton(true)->IsEnabled());
  // The first report in any other state makes the row; later ones update it.
  m_frame->UpdateFileTransfertStatus(Report("a", true, FM_NOT_AVAILABLE));
  m_frame->UpdateFileTransfertStatus(Report("b", true, FM_STARTED));
  m_frame->UpdateFileTransfertStatus(Report("b", true, FM_IN_PROGRESS));
  // The same key in the other direction is another transfer.
  m_frame->UpdateFileTransfertStatus(Report("a", false, FM_STARTED));
  // Relayed uploads carry no transfer key: one row per peer all the same.
  m_frame->UpdateFileTransfertStatus(Report("", false, FM_IN_PROGRESS, "prv://parlavox/alice:bob", "bob", "77"));
  m_frame->UpdateFileTransfertStatus(Report("", false, FM_IN_PROGRESS, "prv://x/alice/carl", "carl", "77"));
  m_frame->UpdateFileTransfertStatus(Report("", false, FM_COMPLETE, "prv://parlavox/alice:bob", "bob", "77"));
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), Keys(m_frame->GetDownloadPanels()));
  EXPECT_EQ((std::vector<std::string>{"a", "bob@@@77", "carl@@@77"}), Keys(m_frame->GetUploadPanels()));
  EXPECT_EQ(FM_IN_PROGRESS, m_frame->GetDownloadPanels()[1]->GetStatus());
  EXPECT_EQ(FM_COMPLETE, m_frame->GetUploadPanels()[1]->GetStatus());
  EXPECT_EQ(FM_IN_PROGRESS, m_frame->GetUploadPanels()[2]->GetStatus());
  EXPECT_EQ("http://site.example/", RoomLine(m_frame->GetDownloadPanels()[0]));
  EXPECT_EQ("(private chatroom)", RoomLine(m_frame->GetUploadPanels()[1]));
  EXPECT_EQ("(private group chatroom)", RoomLine(m_frame->GetUploadPanels()[2]));
  EXPECT_TRUE(m_frame->GetClearButton(true)->IsEnabled());
  EXPECT_TRUE(m_frame->GetClearButton(false)->IsEnabled());
}

TEST_F(FilesWindow, NewRowsAtTheBottomWithTheListScrolledToThem) {
  for (int i = 0; i < 12; ++i) m_frame->UpdateFileTransfertStatus(Report("r" + std::to_string(i), true, FM_STARTED));
  wxScrolledWindow* list = m_frame->GetListWindow(true);
  // Scrolled once the list has been laid out with its rows.
  guitest::PumpUntil([&] {
    int column = 0, row = 0;
    list->GetViewStart(&column, &row);
    FileInfoPanel* newest = m_frame->GetDownloadPanels().back();
    return row > 0 && list->GetClientRect().Intersects(wxRect(newest->GetPosition(), newest->GetSize()));
  });
  int x = 0, y = 0;
  list->GetViewStart(&x, &y);
  int unitX = 0, unitY = 0;
  list->GetScrollPixelsPerUnit(&unitX, &unitY);
  EXPECT_EQ(32, unitY);
  EXPECT_EQ(0, unitX);
  // Down as far as the list allows: the newest row is in view.
  FileInfoPanel* last = m_frame->GetDownloadPanels().back();
  EXPECT_GT(y, 0);
  EXPECT_TRUE(list->GetClientRect().Intersects(wxRect(last->GetPosition(), last->GetSize())));
}

TEST_F(FilesWindow, ClearAllTakesRowsNotTransfersAndTheButtonFollowsItsList) {
  for (const char* key : {"x", "y", "z"}) m_frame->UpdateFileTransfertStatus(Report(key, true, FM_IN_PROGRESS));
  m_frame->UpdateFileTransfertStatus(Report("u", false, FM_IN_PROGRESS));
  std::vector<wxWeakRef<FileInfoPanel>> rows(m_frame->GetDownloadPanels().begin(), m_frame->GetDownloadPanels().end());
  wxButton* clear = m_frame->GetClearButton(true);
  guitest::ClickUntil(clear, [&] { return !clear->IsEnabled(); });
  EXPECT_TRUE(m_frame->GetDownloadPanels().empty());
  EXPECT_EQ(1u, m_frame->GetUploadPanels().size());
  EXPECT_TRUE(guitest::PumpUntil([&] { return !rows[0] && !rows[1] && !rows[2]; }));
  // A running transfer's next report makes a fresh row at the bottom.
  m_frame->UpdateFileTransfertStatus(Report("y", true, FM_IN_PROGRESS));
  EXPECT_EQ((std::vector<std::string>{"y"}), Keys(m_frame->GetDownloadPanels()));
  EXPECT_TRUE(clear->IsEnabled());
  // A row taken away by its own button leaves "Clear all" on while others stay; the last one
  // turns it off.
  m_frame->UpdateFileTransfertStatus(Report("w", true, FM_FAILED));
  m_frame->UpdateFileTransfertStatus(Report("y", true, FM_COMPLETE));
  m_frame->RemovePanel(m_frame->GetDownloadPanels()[0]);
  EXPECT_TRUE(clear->IsEnabled());
  m_frame->RemovePanel(m_frame->GetDownloadPanels()[0]);
  EXPECT_TRUE(m_frame->GetDownloadPanels().empty());
  EXPECT_FALSE(clear->IsEnabled());
  EXPECT_TRUE(m_frame->GetClearButton(false)->IsEnabled());
  // A row that is not listed (already taken) is left alone.
  FileInfoPanel* upload = m_frame->GetUploadPanels()[0];
  m_frame->RemovePanel(upload);
  m_frame->RemovePanel(upload);
  EXPECT_TRUE(m_frame->GetUploadPanels().empty());
  EXPECT_FALSE(m_frame->GetClearButton(false)->IsEnabled());
}

TEST_F(FilesWindow, ALostConnectionEndsTheRowsStillRunning) {
  m_frame->UpdateFileTransfertStatus(Report("s", true, FM_STARTED));
  m_frame->UpdateFileTransfertStatus(Report("p", false, FM_IN_PROGRESS));
  m_frame->UpdateFileTransfertStatus(Report("c", true, FM_COMPLETE));
  m_frame->SetConnectionStatus(true);
  EXPECT_EQ(FM_STARTED, m_frame->GetDownloadPanels()[0]->GetStatus());
  m_frame->SetConnectionStatus(false);
  EXPECT_EQ(FM_INTERRUPTED, m_frame->GetDownloadPanels()[0]->GetStatus());
  EXPECT_EQ(wxColour(255, 0, 0), m_frame->GetDownloadPanels()[0]->GetBackgroundColour());
  EXPECT_EQ(FM_INTERRUPTED, m_frame->GetUploadPanels()[0]->GetStatus());
  // No report comes after the loss: the row gives up its last speed and percentage itself.
  EXPECT_EQ("0 / 97 kbytes", m_frame->GetUploadPanels()[0]->GetSizeText());
  EXPECT_EQ("", m_frame->GetUploadPanels()[0]->GetPercentText());
  EXPECT_EQ("", m_frame->GetUploadPanels()[0]->GetSpeedText());
  EXPECT_EQ(FM_COMPLETE, m_frame->GetDownloadPanels()[1]->GetStatus());
  // Its button now takes the row away.
  EXPECT_FALSE(m_frame->GetDownloadPanels()[0]->IsRunning());
}

TEST_F(FilesWindow, TitleBarHidesHelpOpensTheGuideAForcedCloseDestroysEveryRowOnce) {
  std::vector<std::string> pages;
  browser::SetRecorder([&](const std::string& url) { pages.push_back(url); });
  auto* help = guitest::FindChild<wxStaticText>(m_frame, [](wxStaticText* t) { return t->GetLabel() == "Help?"; });
  ASSERT_TRUE(help);
  guitest::ClickUntil(help, [&] { return !pages.empty(); });
  browser::SetRecorder(nullptr);
  ASSERT_EQ(1u, pages.size());
  EXPECT_NE(std::string::npos, pages[0].find("/userguide.php#filesmanager"));

  EXPECT_FALSE(m_frame->Close(false));
  EXPECT_FALSE(m_frame->IsShown());
  std::vector<wxWeakRef<FileInfoPanel>> rows;
  for (int i = 0; i < 3; ++i) {
    m_frame->UpdateFileTransfertStatus(Report("d" + std::to_string(i), true, FM_IN_PROGRESS));
    m_frame->UpdateFileTransfertStatus(Report("u" + std::to_string(i), false, FM_COMPLETE));
  }
  for (auto* list : {&m_frame->GetDownloadPanels(), &m_frame->GetUploadPanels()})
    for (FileInfoPanel* row : *list) rows.emplace_back(row);
  // One row taken away and not yet destroyed when the window goes.
  m_frame->RemovePanel(m_frame->GetUploadPanels()[0]);
  wxWeakRef<FilesFrame> frame(m_frame);
  m_frame->Close(true);
  m_frame = nullptr;
  EXPECT_TRUE(guitest::PumpUntil([&] { return !frame; }));
  for (auto& row : rows) EXPECT_FALSE(row);
}

}  // namespace
