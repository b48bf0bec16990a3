// How transfers end, in the whole program on the stand-in server with bob as a scripted peer on
// plain sockets, every step by real clicks in the transfers window:
// - alice cancels a download of bob's offer and removes its row, which leaves the list and its
//   "Clear all" off; bob's later withdrawal of the offer adds no row and no second notice;
// - alice cancels an upload that bob takes slowly: the sending stops within a second, counted in
//   the bytes that reach bob after the click.
// A row that ended short keeps the bytes it got to and shows no speed nor percentage.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "core/application.h"
#include "core/clientSideRequest.h"
#include "gui/mainFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "network/fileTransferLink.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/peerProcess.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/gui/rooms/slowReceiver.h"
#include "tests/support/programSession.h"

namespace {

using Clock = std::chrono::steady_clock;
using roomstest::SetText;
using roomstest::Shown;
const char kRoom[] = "http://transfers.example/";

int Listening(unsigned short* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || listen(fd, 4) != 0) return -1;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  *port = ntohs(addr.sin_port);
  return fd;
}

// Bob's file port for one offer: answers the request and sends a few parts, then sends nothing
// more until told, as a sender on a stalled line would.
class StallingSender {
 public:
  explicit StallingSender(long size) : m_listen(Listening(&m_port)) {
    m_thread = std::thread([this, size] { Serve(size); });
  }
  ~StallingSender() {
    m_done = true;
    m_thread.join();
    close(m_listen);
  }
  unsigned short Port() const { return m_port; }

 private:
  void Serve(long size) {
    int fd = -1;
    while (!m_done && fd < 0) {
      pollfd p{m_listen, POLLIN, 0};
      if (poll(&p, 1, 50) == 1) fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    }
    if (fd < 0) return;
    FileTransferLink link(fd);
    C2C_Request_t* ask = link.Receive(10000);
    const bool asked = ask && ask->present == C2C_Request_PR_askforfile;
    FileTransferLink::FreeRequest(ask);
    if (!asked) return;
    C2C_Request_t answer;
    std::memset(&answer, 0, sizeof answer);
    answer.present = C2C_Request_PR_askforfile_ack;
    answer.choice.askforfile_ack.status = 1;
    answer.choice.askforfile_ack.size = &size;
    link.Send(answer);
    std::string bytes(8192, 'b');
    C2C_Request_t part;
    std::memset(&part, 0, sizeof part);
    part.present = C2C_Request_PR_file;
    SetText(&part.choice.file.fileData, bytes);
    for (int i = 0; i < 4; ++i) link.Send(part);
    while (!m_done) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

  unsigned short m_port = 0;
  int m_listen;
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};

class TransferEndsSession : public roomstest::PeerSession {
 protected:
  void SetUp() override {
    PeerSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    m_files = guitest::FindChild<FilesFrame>(Frame(), [](FilesFrame*) { return true; });
    ASSERT_TRUE(m_files);
    Frame()->SubscribeChatRoom(kRoom);
    ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(kRoom); }));
    m_page = Rooms()->GetChatRoom(kRoom);
    ASSERT_TRUE(m_page);
  }
  FileInfoPanel* Row(bool download, const std::string& key) {
    for (FileInfoPanel* row : download ? m_files->GetDownloadPanels() : m_files->GetUploadPanels())
      if (row->GetTransferKey() == key) return row;
    return nullptr;
  }
  // A real click in the middle of a window of the transfers window.
  void Click(wxWindow* window) {
    m_files->Raise();
    Settle();
    wxUIActionSimulator sim;
    sim.MouseMove(window->GetScreenRect().GetPosition() + window->GetSize() / 2);
    sim.MouseClick();
  }
  void ClickRowButton(FileInfoPanel* row) { Click(guitest::FindChildren<wxStaticBitmap>(row).at(0)); }
  size_t Count(const wxString& text) {
    size_t count = 0;
    const wxString shown = Shown(m_page);
    for (size_t at = shown.find(text); at != wxString::npos; at = shown.find(text, at + 1)) ++count;
    return count;
  }

  FilesFrame* m_files = nullptr;
  ChatRoomPanel* m_page = nullptr;
  testsupport::TempDir m_dir;
};

TEST_F(TransferEndsSession, AWithdrawalAfterTheDownloadEndedChangesNothing) {
  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kRoom));
  const long size = 5000000;  // 4882 kbytes
  StallingSender sender(size);
  const std::string key = "1765000000300001";  // a key no earlier test of the program offered
  ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, "phantom.bin", key, size, sender.Port()));
  ASSERT_TRUE(Until([&] { return GetManager()->HasFileOffer(key); }));
  GetManager()->DownloadFile(key, m_dir.file("phantom.bin"));
  FileInfoPanel* row = nullptr;
  ASSERT_TRUE(Until([&] { return (row = Row(true, key)) && row->GetStatus() == FM_IN_PROGRESS; }));

  // Cancelled, then removed by its own button: the empty list's "Clear all" is off.
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return row->GetStatus() == FM_CANCELLED; }));
  EXPECT_TRUE(row->GetSizeText().EndsWith(" / 4882 kbytes")) << row->GetSizeText();
  EXPECT_EQ("", row->GetPercentText());
  EXPECT_EQ("", row->GetSpeedText());
  const wxString canceled = "File transfer of phantom.bin has been canceled\n";
  ASSERT_TRUE(Until([&] { return Count(canceled) == 1; })) << Shown(m_page);
  EXPECT_TRUE(m_files->GetClearButton(true)->IsEnabled());
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return m_files->GetDownloadPanels().empty(); }));
  ASSERT_TRUE(Until([&] { return !m_files->GetClearButton(true)->IsEnabled(); }));

  // Bob withdraws the offer, then speaks: once his line is shown, the withdrawal was handled.
  ASSERT_TRUE(bob.Link().CancelFile(bob.Key(), kRoom, key));
  ASSERT_TRUE(bob.Link().SendMessage(bob.Key(), kRoom, "offer withdrawn"));
  ASSERT_TRUE(Until([&] { return Shown(m_page).Find("offer withdrawn") != wxNOT_FOUND; })) << Shown(m_page);
  Settle();
  EXPECT_TRUE(m_files->GetDownloadPanels().empty());
  EXPECT_FALSE(m_files->GetClearButton(true)->IsEnabled());
  EXPECT_EQ(1u, Count(canceled)) << Shown(m_page);
  EXPECT_EQ(std::vector<std::string>{}, testsupport::ListDir(m_dir.path()));
}

TEST_F(TransferEndsSession, ACancelledUploadStopsWithinASecondForASlowPeer) {
  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kRoom));
  const std::string path = m_dir.file("slow.bin");
  ASSERT_TRUE(roomstest::WritePattern(path, 40L << 20, 5));
  const std::string key = GetManager()->SendFile(kRoom, path, "slow.bin");
  ASSERT_FALSE(key.empty());
  const S2C_Request_t* offer = bob.Wait(S2C_Request_PR_file, [&](const S2C_Request_t& r) {
    return standintest::Str(r.choice.file.filekey) == key;
  });
  ASSERT_TRUE(offer);
  const long rate = 200 * 1024;
  roomstest::SlowReceiver receiver(static_cast<unsigned short>(offer->choice.file.port), key, rate);
  ASSERT_TRUE(receiver.Connected());
  FileInfoPanel* row = nullptr;
  ASSERT_TRUE(Until([&] {
    row = Row(false, "bob@@@" + key);
    return row && row->IsRunning() && receiver.Read() > 256 * 1024;
  }));

  // The cancel by a real click on the row's button; what has reached bob by then is counted.
  const long arrived = receiver.Arrived();
  const Clock::time_point clicked = Clock::now();
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return receiver.Ended(); }, 60000));
  const double seconds = std::chrono::duration<double>(receiver.EndedAt() - clicked).count();
  const long after = receiver.Read() - arrived;
  printf("after the cancel bob received %ld bytes more, for %.2f s\n", after, seconds);
  // A second's worth of bob's pace at most, and the little in flight at the click.
  EXPECT_LT(after, rate + 128 * 1024);
  EXPECT_LT(seconds, 2.0);
  ASSERT_TRUE(Until([&] { return row->GetStatus() == FM_INTERRUPTED; }));
  EXPECT_EQ(wxColour(255, 0, 0), row->GetBackgroundColour());
  // The row keeps what reached bob (what he read, and at most what his small buffer held when
  // the line was cut), and no longer looks as though it ran.
  long long shown = -1;
  EXPECT_EQ(1, sscanf(row->GetSizeText().utf8_str(), "%lld / 40960 kbytes", &shown)) << row->GetSizeText();
  EXPECT_GT(shown * 1024, 256 * 1024);
  EXPECT_LE(shown * 1024, receiver.Read() + 256 * 1024) << receiver.Read();
  EXPECT_EQ("", row->GetPercentText());
  EXPECT_EQ("", row->GetSpeedText());
  // Its button takes it away, and with it the list's last row: "Clear all" is off.
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return m_files->GetUploadPanels().empty(); }));
  ASSERT_TRUE(Until([&] { return !m_files->GetClearButton(false)->IsEnabled(); }));
}

}  // namespace
