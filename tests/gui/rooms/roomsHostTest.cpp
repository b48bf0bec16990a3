// The chat-rooms window made under a plain frame with a recording host in place of the main
// window: what its pages, its tabs and its close box ask of the main window reaches the host it
// was handed, and nothing needs a main window to exist.
#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/roomsHost.h"
#include "gui/rooms/writeMessagePanel.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

class RecordingHost : public RoomsHost {
 public:
  void UnsubscribeChatRoom(const std::string& room) override { heard.push_back("leave " + room); }
  void CreateVirtualChatRoom(const std::string& login) override { heard.push_back("private " + login); }
  void BlockContact(const std::string& login, const std::string& message) override {
    heard.push_back("block " + login + " " + message);
  }
  void UnblockContact(const std::string& login, const std::string& message) override {
    heard.push_back("unblock " + login + " " + message);
  }
  void OnKeyTyped(const std::string& room, bool typing) override {
    heard.push_back("typing " + room + (typing ? " on" : " off"));
  }
  void ShowChatRoomsButton() override { heard.push_back("rooms button"); }
  void OpenComments(const std::string& url) override { heard.push_back("comments " + url); }
  bool HasRoomTab(const std::string&) const override { return false; }
  bool SendComment(const std::string& url, const std::string&, int) override {
    heard.push_back("comment " + url);
    return true;
  }
  std::vector<std::string> heard;
};

class RoomsHostTest : public guitest::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_frame = new wxFrame(nullptr, wxID_ANY, "Rooms host", wxPoint(40, 40), wxSize(300, 200));
    m_rooms = new ChatRoomsNotebook(GetManager(), m_frame, &m_host);
  }
  void TearDown() override {
    m_frame->Destroy();
    guitest::Pump(50);
    MainWindowTest::TearDown();
  }
  // Keys typed where the focus is, as the keyboard gives them.
  static void Keys(const char* text) {
    wxUIActionSimulator sim;
    sim.Text(text);
  }

  wxFrame* m_frame = nullptr;
  ChatRoomsNotebook* m_rooms = nullptr;
  RecordingHost m_host;
};

TEST_F(RoomsHostTest, PagesTabsAndTheCloseBoxSpeakToTheHostTheyWereHanded) {
  ASSERT_EQ(nullptr, MainFrame::GetInstance());
  const std::string site = "http://site.example/", other = "prv://alice/alice:bob";
  ChatRoomPanel* page = m_rooms->CreateChatRoom(site, "site.example/", "Chatroom opened");
  m_rooms->CreateChatRoom(other, "Bob", "Chatroom opened");
  m_rooms->FocusOnChatRoom(site);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_rooms->IsShownOnScreen(); }));

  // Typing starts a notice, Return ends it (the message itself goes nowhere: the controller is
  // not connected, only the page believes so).
  page->SetConnectionStatus(true);
  MyTextCtrl* input = page->GetWriteMessagePanel()->GetTextCtrl();
  ASSERT_TRUE(input->IsEditable());
  m_rooms->Raise();
  guitest::ClickUntil(input, [&] { return input->HasFocus(); });
  Keys("hi");
  ASSERT_TRUE(guitest::PumpUntil([&] { return !m_host.heard.empty(); }));
  wxUIActionSimulator().Char(WXK_RETURN);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_host.heard.size() >= 2; }));

  // A member row's commands, a tab closed as the user does, and the close box.
  page->OnOpenPrivateChatRoom("bob");
  page->OnBlockContact("bob", "spam");
  page->OnUnblockContact("bob", "sorry");
  page->OpenComments();
  m_rooms->CloseChatRoom(other);
  m_rooms->Close();
  EXPECT_FALSE(m_rooms->IsShown());
  const std::vector<std::string> expected = {"typing " + site + " on", "typing " + site + " off", "private bob",
                                             "block bob spam", "unblock bob sorry", "comments " + site, "leave " + other,
                                             "rooms button"};
  EXPECT_EQ(expected, m_host.heard);
}

}  // namespace
