// How transfers end, in the whole program on the stand-in server with bob as a scripted peer on
// plain sockets, every step by real clicks in the transfers window:
// - alice cancels a download of bob's offer, removes its row and clears the list; bob's later
//   withdrawal of the offer adds no row and no second notice;
// - alice cancels an upload that bob takes slowly: the sending stops within a second, counted in
//   the bytes that reach bob after the click.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>

#include <atomic>
#include <chrono>
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
#include "tests/support/programSession.h"

namespace {

using Clock = std::chrono::steady_clock;
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

void SetText(OCTET_STRING_t* field, const std::string& text) {
  field->buf = reinterpret_cast<uint8_t*>(const_cast<char*>(text.data()));
  field->size = static_cast<int>(text.size());
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

// Bob fetching alice's offer on a slow line: a small receive buffer read at a bounded rate. It
// counts every byte that reaches his side, read or still waiting in his socket.
class SlowReceiver {
 public:
  SlowReceiver(unsigned short port, const std::string& fileKey, long bytesPerSecond) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int buffer = 64 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    m_connected = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    m_link.reset(new FileTransferLink(fd));
    C2C_Request_t ask;
    std::memset(&ask, 0, sizeof ask);
    ask.present = C2C_Request_PR_askforfile;
    const std::string login = "bob";
    SetText(&ask.choice.askforfile.login, login);
    SetText(&ask.choice.askforfile.fileKey, fileKey);
    m_connected = m_connected && m_link->Send(ask);
    m_thread = std::thread([this, bytesPerSecond] { Read(bytesPerSecond); });
  }
  ~SlowReceiver() {
    m_stop = true;
    m_thread.join();
  }
  bool Connected() const { return m_connected; }
  long Read() const { return m_read; }
  bool Ended() const { return m_ended; }
  Clock::time_point EndedAt() const { return m_endedAt; }
  // What has reached bob so far: read, or waiting in his socket.
  long Arrived() const {
    int waiting = 0;
    ioctl(m_link->Descriptor(), FIONREAD, &waiting);
    return m_read + waiting;
  }

 private:
  void Read(long bytesPerSecond) {
    const Clock::time_point start = Clock::now();
    char buffer[4096];
    while (!m_stop) {
      pollfd p{m_link->Descriptor(), POLLIN, 0};
      if (poll(&p, 1, 50) != 1) continue;
      const ssize_t got = recv(m_link->Descriptor(), buffer, sizeof buffer, 0);
      if (got <= 0) break;
      m_read += got;
      // The line's pace: no faster than the rate.
      std::this_thread::sleep_until(start + std::chrono::microseconds(m_read * 1000000 / bytesPerSecond));
    }
    m_endedAt = Clock::now();
    m_ended = true;
  }

  std::unique_ptr<FileTransferLink> m_link;
  bool m_connected = false;
  std::atomic<long> m_read{0};
  std::atomic<bool> m_ended{false};
  std::atomic<bool> m_stop{false};
  Clock::time_point m_endedAt;
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

  // Cancelled, then removed by its own button, then the list cleared.
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return row->GetStatus() == FM_CANCELLED; }));
  const wxString canceled = "File transfer of phantom.bin has been canceled\n";
  ASSERT_TRUE(Until([&] { return Count(canceled) == 1; })) << Shown(m_page);
  ClickRowButton(row);
  ASSERT_TRUE(Until([&] { return m_files->GetDownloadPanels().empty(); }));
  Click(m_files->GetClearButton(true));
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
  SlowReceiver receiver(static_cast<unsigned short>(offer->choice.file.port), key, rate);
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
}

}  // namespace
