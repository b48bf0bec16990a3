// The file-transfer row: its texts at the edges of their formats, sizes past 2 GiB, its colours
// by state, and its button under real clicks: a running transfer is cancelled and its row
// stays, a finished one's row goes, after the click has been handled.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/rooms/fileInfoButtonBitmapNotifier.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "model/config.h"
#include "model/fileMessage.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/testSupport.h"

namespace {

FileMessage Report(const std::string& key, bool download, t_fm_status status, long done, long size,
                   double speed = 0, const std::string& name = "dir/report.pdf") {
  return FileMessage("http://site.example/", "bob", "Bob & Co", name, key, key, "127.0.0.1", 6891, 0, download,
                     status, done, size, speed);
}

std::vector<wxString> Labels(wxWindow* row) {
  std::vector<wxString> labels;
  for (wxStaticText* text : guitest::FindChildren<wxStaticText>(row)) labels.push_back(text->GetLabelText());
  return labels;
}

class FileRow : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    m_frame = new FilesFrame(nullptr, nullptr);
    m_frame->SetSize(700, 900);
    m_frame->Show();
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->IsShownOnScreen(); }));
  }
  void TearDown() override {
    m_frame->Close(true);
    guitest::Pump(50);
  }
  FileInfoPanel* Row(const FileMessage& report) {
    m_frame->UpdateFileTransfertStatus(report);
    const auto& rows = report.IsDownload() ? m_frame->GetDownloadPanels() : m_frame->GetUploadPanels();
    for (FileInfoPanel* row : rows)
      if (row->GetTransferKey() == report.GetTransferKey()) return row;
    return nullptr;
  }
  FilesFrame* m_frame = nullptr;
};

TEST(FileRowTexts, FormatsAtTheEdges) {
  struct Case {
    long long done, size;
    const char* sizeText;
    const char* percent;
  } cases[] = {
      {512, 1000, "512 / 1000 bytes", "51 %"},
      {5000, 10000, "4 / 9 kbytes", "50 %"},
      {9999, 9999, "9999 / 9999 bytes", "100 %"},
      {0, 10000, "0 / 9 kbytes", "00 %"},
      {50, 1000, "50 / 1000 bytes", "05 %"},
      // Past 2 GiB and 4 GiB: counts that 32 bits would have turned negative or wrapped.
      {3LL << 30, 6LL << 30, "3145728 / 6291456 kbytes", "50 %"},
      {(1LL << 32) + 1, (1LL << 33), "4194304 / 8388608 kbytes", "50 %"},
      {(1LL << 62), INT64_MAX, "4503599627370496 / 9007199254740991 kbytes", "50 %"},
      // A peer's count outside 0 to the size is held to the bounds.
      {2000, 1000, "2000 / 1000 bytes", "100 %"},
      {-5, 1000, "-5 / 1000 bytes", "00 %"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.sizeText, FileInfoPanel::SizeText(c.done, c.size)) << c.done << " of " << c.size;
    EXPECT_EQ(c.percent, FileInfoPanel::PercentText(c.done, c.size)) << c.done << " of " << c.size;
  }
  EXPECT_EQ("999.9 bytes/s", FileInfoPanel::SpeedText(999.9));
  EXPECT_EQ("1.0 kbytes/s", FileInfoPanel::SpeedText(1000));
  EXPECT_EQ("2.0 kbytes/s", FileInfoPanel::SpeedText(2048));
  EXPECT_EQ("0.0 bytes/s", FileInfoPanel::SpeedText(0));
}

TEST_F(FileRow, ShowsItsTransferAndColoursItsState) {
  // Made by a start without a size: name (after the last "/"), peer, room, no progress yet.
  FileInfoPanel* row = Row(Report("k1", true, FM_STARTED, 0, 0));
  ASSERT_TRUE(row);
  const std::vector<wxString> labels = Labels(row);
  EXPECT_EQ("report.pdf", labels[0]);
  EXPECT_EQ("from Bob & Co", labels[1]);
  EXPECT_EQ("", row->GetSizeText());
  EXPECT_EQ("", row->GetPercentText());
  EXPECT_EQ("http://site.example/", labels[4]);
  EXPECT_EQ(wxColour(51, 255, 255), row->GetBackgroundColour());
  EXPECT_EQ("to Bob & Co", Labels(Row(Report("u1", false, FM_STARTED, 0, 0, 0, "plain.txt")))[1]);
  EXPECT_EQ("plain.txt", Labels(Row(Report("u1", false, FM_STARTED, 0, 0, 0, "plain.txt")))[0]);

  // A transfer that ended short keeps the bytes it got to, and neither a percentage nor a speed
  // that would read as though it still ran.
  struct Step {
    t_fm_status status;
    wxColour colour;
    const char* percent;
    const char* speed;
  } steps[] = {
      {FM_IN_PROGRESS, wxColour(51, 255, 255), "51 %", "2.0 kbytes/s"},
      {FM_OFFERED, wxColour(51, 255, 255), "51 %", "2.0 kbytes/s"},                   // unchanged
      {static_cast<t_fm_status>(9), wxColour(51, 255, 255), "51 %", "2.0 kbytes/s"},  // unknown: unchanged
      {FM_FAILED, wxColour(255, 0, 0), "", ""},
      {FM_INTERRUPTED, wxColour(255, 0, 0), "", ""},
      {FM_CANCELLED, wxColour(255, 0, 0), "", ""},
      {FM_HOST_UNREACHABLE, wxColour(255, 0, 0), "", ""},
      {FM_NOT_AVAILABLE, wxColour(255, 0, 0), "", ""},
      {FM_COMPLETE, wxColour(0, 221, 0), "OK", "2.0 kbytes/s"},
  };
  for (const Step& step : steps) {
    m_frame->UpdateFileTransfertStatus(Report("k1", true, step.status, 512, 1000, 2048));
    EXPECT_EQ(step.colour, row->GetBackgroundColour()) << step.status;
    EXPECT_EQ(step.percent, row->GetPercentText()) << step.status;
    EXPECT_EQ("512 / 1000 bytes", row->GetSizeText());
    EXPECT_EQ(step.speed, row->GetSpeedText()) << step.status;
    // The button takes the row's colour; its tooltip stays the same in every state.
    auto* button = guitest::FindChildren<FileInfoButtonBitmapNotifier>(row).at(0);
    EXPECT_EQ(row->GetBackgroundColour(), button->GetBackgroundColour());
    EXPECT_EQ("Cancel", button->GetToolTipText());
  }
  EXPECT_EQ(1u, m_frame->GetDownloadPanels().size());
}

TEST_F(FileRow, ButtonCancelsWhileRunningAndRemovesOtherwiseAfterTheClick) {
  struct Case {
    t_fm_status status;
    bool download;
    bool removed;
  } cases[] = {
      {FM_STARTED, true, false}, {FM_IN_PROGRESS, true, false}, {FM_STARTED, false, false},
      {FM_IN_PROGRESS, false, false}, {FM_COMPLETE, true, true}, {FM_FAILED, false, true},
      {FM_CANCELLED, true, true}, {FM_HOST_UNREACHABLE, true, true}, {FM_INTERRUPTED, false, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string key = "c" + std::to_string(n++);
    FileInfoPanel* row = Row(Report(key, c.download, c.status, 10, 100));
    ASSERT_TRUE(row);
    m_frame->Layout();
    guitest::Pump(30);
    wxWeakRef<FileInfoPanel> alive(row);
    auto* picture = guitest::FindChildren<wxStaticBitmap>(row).at(0);
    wxUIActionSimulator sim;
    sim.MouseMove(picture->GetScreenRect().GetPosition() + picture->GetSize() / 2);
    sim.MouseClick();
    const auto& rows = c.download ? m_frame->GetDownloadPanels() : m_frame->GetUploadPanels();
    if (c.removed) {
      EXPECT_TRUE(guitest::PumpUntil([&] { return !alive; })) << key;
      EXPECT_EQ(rows.end(), std::find(rows.begin(), rows.end(), row)) << key;
    } else {
      guitest::Pump(150);
      EXPECT_TRUE(alive) << key;
      EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), row)) << key;
      EXPECT_TRUE(alive && alive->IsShown()) << key;
    }
  }
}

}  // namespace

namespace {

// The rectangle of a window in its row's coordinates.
wxRect InRow(wxWindow* window, wxWindow* row) {
  return wxRect(row->ScreenToClient(window->GetScreenPosition()), window->GetSize());
}

}  // namespace

TEST_F(FileRow, SpeedReadsSensiblyAndFitsBesideLongNames) {
  // A room, a peer and a file of long names, in a window of its default width: the figures stay
  // whole inside the row, the names give way.
  m_frame->SetSize(600, 300);
  const std::string longName(300, 'n');
  const std::string site = "http://www." + std::string(300, 's') + ".example/";
  FileMessage running(site, "bob", std::string(200, 'B'), "dir/" + longName + ".pdf", "k9", "k9", "127.0.0.1", 6891, 0,
                      true, FM_IN_PROGRESS, 5000000, 90000000, 123456789.0);
  m_frame->UpdateFileTransfertStatus(running);
  FileInfoPanel* row = m_frame->GetDownloadPanels().at(0);
  // Laid out once the window has handled its new size.
  guitest::PumpUntil([&] {
    const wxRect area(wxPoint(0, 0), row->GetClientSize());
    if (row->GetSize().x > row->GetParent()->GetClientSize().x) return false;
    for (const wxString& text : {row->GetSpeedText(), row->GetSizeText(), row->GetPercentText()}) {
      wxStaticText* label = guitest::FindChild<wxStaticText>(row, [&](wxStaticText* t) { return t->GetLabel() == text; });
      if (!label || !area.Contains(InRow(label, row)) || label->GetSize().x < label->GetBestSize().x) return false;
    }
    return true;
  });
  const wxRect inside(wxPoint(0, 0), row->GetClientSize());
  ASSERT_LE(row->GetSize().x, row->GetParent()->GetClientSize().x);
  for (const wxString& text : {row->GetSpeedText(), row->GetSizeText(), row->GetPercentText()}) {
    wxStaticText* label = guitest::FindChild<wxStaticText>(row, [&](wxStaticText* t) { return t->GetLabel() == text; });
    ASSERT_TRUE(label) << text;
    EXPECT_TRUE(inside.Contains(InRow(label, row))) << text << " at " << InRow(label, row).x << "+"
                                                    << InRow(label, row).width << " of " << inside.width;
    EXPECT_GE(label->GetSize().x, label->GetBestSize().x) << text;
  }
  EXPECT_EQ("120563.3 kbytes/s", row->GetSpeedText());

  // Complete: the average speed when it was measured, nothing when it was not; ended short:
  // none, whatever was measured.
  struct Case {
    t_fm_status status;
    double speed;
    const char* text;
  } cases[] = {
      {FM_COMPLETE, 2048, "2.0 kbytes/s"},
      {FM_COMPLETE, 0, ""},
      {FM_CANCELLED, 0, ""},
      {FM_INTERRUPTED, 512.5, ""},
      {FM_FAILED, 2048, ""},
      {FM_FAILED, 0, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string key = "f" + std::to_string(n++);
    m_frame->UpdateFileTransfertStatus(Report(key, true, FM_IN_PROGRESS, 100, 1000, 0));
    EXPECT_EQ("0.0 bytes/s", Row(Report(key, true, FM_IN_PROGRESS, 100, 1000, 0))->GetSpeedText());
    m_frame->UpdateFileTransfertStatus(Report(key, true, c.status, 1000, 1000, c.speed));
    EXPECT_EQ(c.text, Row(Report(key, true, c.status, 1000, 1000, c.speed))->GetSpeedText()) << c.status;
  }
}
