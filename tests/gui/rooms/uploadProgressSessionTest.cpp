// The row of an upload, in the whole program on the stand-in server, against what the peer
// really has: bob fetches alice's offer on a slow line (a small buffer read at a bounded rate)
// and then stops reading for a while. At every look the row counts no more than has reached
// bob, and no less than it showed at the look before; while he stops, it comes to what he holds;
// it reads complete only once he has it all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/peerProcess.h"
#include "tests/gui/rooms/slowReceiver.h"
#include "tests/support/programSession.h"

namespace {

const char kRoom[] = "http://uploads.example/";

class UploadProgressSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    Config::GetInstance()->SetFilePort(0);
    GetManager()->RestartFileServer();
    m_files = guitest::FindChild<FilesFrame>(Frame(), [](FilesFrame*) { return true; });
    ASSERT_TRUE(m_files);
    Frame()->SubscribeChatRoom(kRoom);
    ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(kRoom); }));
  }
  FileInfoPanel* Row(const std::string& key) {
    for (FileInfoPanel* row : m_files->GetUploadPanels())
      if (row->GetTransferKey() == key) return row;
    return nullptr;
  }
  // The bytes the row shows done, to the kilobyte below; -1 before it shows any.
  static long long Shown(FileInfoPanel* row) {
    long long done = -1, size = 0;
    if (sscanf(row->GetSizeText().utf8_str(), "%lld / %lld kbytes", &done, &size) != 2) return -1;
    return done * 1024;
  }

  FilesFrame* m_files = nullptr;
  testsupport::TempDir m_dir;
};

TEST_F(UploadProgressSession, TheRowCountsWhatReachedTheSlowPeer) {
  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kRoom));
  const long size = 3L << 20;
  const std::string path = m_dir.file("slides.bin");
  ASSERT_TRUE(roomstest::WritePattern(path, size, 3));
  const std::string key = GetManager()->SendFile(kRoom, path, "slides.bin");
  ASSERT_FALSE(key.empty());
  const S2C_Request_t* offer = bob.Wait(S2C_Request_PR_file, [&](const S2C_Request_t& r) {
    return standintest::Str(r.choice.file.filekey) == key;
  });
  ASSERT_TRUE(offer);
  roomstest::SlowReceiver receiver(static_cast<unsigned short>(offer->choice.file.port), key, 1L << 20);
  // Bob stops reading by himself after a megabyte, however late the test's looks come.
  receiver.HoldAt(1L << 20);
  ASSERT_TRUE(receiver.Connected());

  // Each look reads the row first, then what has reached bob: the row may be behind, never ahead,
  // and neither its count nor its percentage ever goes back from one look to the next.
  FileInfoPanel* row = nullptr;
  long long ahead = 0;
  std::set<long long> counts;
  long long last = -1;
  int lastPercent = -1;
  std::vector<std::string> backwards;
  auto look = [&] {
    if (!row) row = Row("bob@@@" + key);
    if (!row) return;
    const long long shown = Shown(row);
    const long long arrived = receiver.Arrived();
    if (shown > arrived) ahead = std::max(ahead, shown - arrived);
    if (shown >= 0) counts.insert(shown);
    // The percentage gives way to "OK" once complete.
    int percent = row->GetPercentText() == "OK" ? 100 : -1;
    if (percent < 0) sscanf(row->GetPercentText().utf8_str(), "%d %%", &percent);
    if (shown < last || percent < lastPercent)
      backwards.push_back(std::to_string(last) + " -> " + std::to_string(shown) + " bytes, " +
                          std::to_string(lastPercent) + " -> " + std::to_string(percent) + " %");
    last = std::max(last, shown);
    lastPercent = std::max(lastPercent, percent);
  };
  ASSERT_TRUE(Until([&] { look(); return row && receiver.Read() >= (1L << 20); }));
  EXPECT_EQ(0, ahead) << "the row counted bytes that had not reached bob";
  EXPECT_EQ(std::vector<std::string>{}, backwards);
  EXPECT_TRUE(row->IsRunning());
  EXPECT_NE("", row->GetSpeedText());

  // Bob has stopped reading: the row comes to what he holds, within the one part still on its
  // way. What reaches bob is the parts' messages: each part's bytes and its few bytes of framing
  // (under 16), which the row does not count; the row shows whole kilobytes.
  EXPECT_TRUE(Until([&] {
    look();
    const long long shown = Shown(row);
    const long long framing = 16 * (shown / 8192 + 1);
    return shown + 1024 + 8192 + framing >= receiver.Arrived();
  })) << row->GetSizeText() << " with " << receiver.Arrived() << " bytes at bob";
  EXPECT_EQ(0, ahead);
  EXPECT_EQ(std::vector<std::string>{}, backwards);
  EXPECT_TRUE(row->GetPercentText().EndsWith(" %")) << row->GetPercentText();

  // He reads on: the row reads complete only once the whole file has reached him.
  receiver.Hold(false);
  long arrivedAtTheEnd = 0;
  ASSERT_TRUE(Until([&] {
    look();
    const bool complete = row->GetStatus() == FM_COMPLETE;
    if (complete) arrivedAtTheEnd = receiver.Arrived();
    return complete;
  }, 60000));
  EXPECT_EQ(0, ahead);
  EXPECT_EQ(std::vector<std::string>{}, backwards);
  EXPECT_GE(arrivedAtTheEnd, size);
  EXPECT_EQ("3072 / 3072 kbytes", row->GetSizeText());
  // The row moved on as the bytes went, not only at the start, the stop and the end.
  EXPECT_GT(counts.size(), 3u);
  EXPECT_EQ("OK", row->GetPercentText());
  EXPECT_TRUE(Until([&] { return receiver.Ended(); }));
  EXPECT_GE(receiver.Read(), size);
}

}  // namespace
