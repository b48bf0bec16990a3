// The contacts list of the whole program on the stand-in server, with other users logging in
// and out through the client's own code: the blocks in each grouping and offline mode, rows
// moving between blocks on a change of presence, a row expanding under the real pointer, and, by
// real clicks on the menus, a contact blocked and unblocked, abuse reported and a group renamed,
// each checked by what the server received.
#include <wx/uiaction.h>

#include "core/application.h"
#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/contactEntryDataPanel.h"
#include "gui/contacts/entryListener.h"
#include "gui/mainFrame.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "tests/gui/contacts/modalAnswer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/programSession.h"
#include "widgets/myStaticText.h"

namespace {

using contactstest::AnswerWhenShown;
using contactstest::ClickButton;
using standintest::TestUser;

class ContactsListSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    for (const std::string& group : Config::GetInstance()->GetGroups()) Config::GetInstance()->RemoveGroup(group);
  }
  ContactsPanel* Panel() {
    return guitest::FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; });
  }
  std::string Shown() {
    std::string text;
    for (ChatRoomEntry* block : Panel()->GetBlocks()) {
      if (!text.empty()) text += " | ";
      text += std::string(block->GetHeader()->GetTitle().utf8_str()) + " " +
              std::string(block->GetHeader()->GetCountsText().utf8_str()) + ":";
      for (const std::string& login : block->GetLogins()) text += " " + login;
    }
    return text;
  }
  void Sort(int mode, int offline) {
    Config::GetInstance()->SetGroupMode(mode);
    Config::GetInstance()->SetGroupOffline(offline);
    Frame()->UpdatePrivateContactsGroups();
    Settle();
  }
  // A real right click on `where`, then the `downs`-th selectable item of the menu it opened.
  void PickFromMenu(wxWindow* where, const std::function<bool()>& opened, int downs) {
    wxGetTopLevelParent(where)->Raise();
    wxUIActionSimulator sim;
    sim.MouseMove(where->GetScreenPosition() + wxPoint(6, where->GetSize().y / 2));
    guitest::Pump(100);
    guitest::MenuPicker picker(opened, downs);
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    EXPECT_TRUE(Until([&] { return picker.picked() && !opened(); }));
  }
};

TEST_F(ContactsListSession, BlocksFollowPresenceAndTheSortAndRowsExpandUnderThePointer) {
  TestUser& bob = LogIn("bob");
  TestUser& carol = LogIn("carol");
  Befriend(bob);
  Befriend(carol);
  Config::GetInstance()->AddGroup("work");
  Frame()->UpdateGroup("bob", "work");
  ASSERT_TRUE(AwaitJournal([](const std::string& line) {
    return line.rfind("alice contactgroup", 0) == 0 && line.find("bob") != std::string::npos &&
           line.find("work") != std::string::npos;
  }));
  Sort(1, 1);
  const std::string sorted =
      "work (1 / 1 contacts): bob | No group (1 / 1 contacts): carol | Offline contacts (0 / 2 contacts):";
  EXPECT_TRUE(Until([&] { return Shown() == sorted; })) << Shown();
  // carol leaves: her row goes to the offline block; she comes back: to her group's.
  LogOut("carol");
  ASSERT_TRUE(Until([&] { return Shown().find("Offline contacts (1 / 2 contacts): carol") != std::string::npos; }));
  EXPECT_EQ("work (1 / 1 contacts): bob | No group (0 / 1 contacts): | Offline contacts (1 / 2 contacts): carol",
            Shown());
  LogIn("carol");
  ASSERT_TRUE(Until([&] { return Shown().find("No group (1 / 1 contacts): carol") != std::string::npos; }));
  // One block of private contacts, offline ones inside it after the connected ones.
  Sort(0, 2);
  LogOut("bob");
  ASSERT_TRUE(Until([&] { return Shown() == "Private contacts (1 / 2 contacts): carol bob"; })) << Shown();
  Sort(0, 0);
  EXPECT_TRUE(Until([&] { return Shown() == "Online contacts (1 / 2 contacts): carol"; })) << Shown();
  // Hovering carol's avatar with the real pointer expands her row with its details.
  ContactEntry* row = Panel()->FindContactRow("carol");
  ASSERT_TRUE(row);
  AvatarBitmapPanel* avatar = guitest::FindChild<AvatarBitmapPanel>(row, [](AvatarBitmapPanel*) { return true; });
  Frame()->Raise();
  wxUIActionSimulator().MouseMove(avatar->GetScreenPosition() + wxPoint(4, 4));
  ASSERT_TRUE(Until([&] { return ContactEntry::GetHighlighted() == row; }));
  ContactEntryDataPanel* details =
      guitest::FindChild<ContactEntryDataPanel>(row, [](ContactEntryDataPanel*) { return true; });
  ASSERT_TRUE(details);
  EXPECT_TRUE(details->IsShownOnScreen());
  EXPECT_EQ("carol is online", details->GetStatusText());
  wxUIActionSimulator().MouseMove(Frame()->GetScreenPosition() + wxPoint(5, 5));
  EXPECT_TRUE(Until([&] { return ContactEntry::GetHighlighted() == nullptr; }));
}

// A member row of a chat room, as a room's page shows it: its actions go to the main window.
class PageRows : public EntryListener {
 public:
  void OnOpenPrivateChatRoom(const std::string& login) override { MainFrame::GetInstance()->CreateVirtualChatRoom(login); }
  void OnAddContact(const std::string& l, const std::string& m) override { MainFrame::GetInstance()->AddContact(l, m); }
  void OnRemoveContact(const std::string& l, const std::string& m) override {
    MainFrame::GetInstance()->RemoveContact(l, m);
  }
  void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) override {
    MainFrame::GetInstance()->ReportAbuse(room, login, text);
  }
  void OnBlockContact(const std::string& l, const std::string& m) override { MainFrame::GetInstance()->BlockContact(l, m); }
  void OnUnblockContact(const std::string& l, const std::string& m) override {
    MainFrame::GetInstance()->UnblockContact(l, m);
  }
};

TEST_F(ContactsListSession, BlockReportAndRenameByRealClicksReachTheServer) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  Config::GetInstance()->AddGroup("work");
  Frame()->UpdateGroup("bob", "work");
  Sort(1, 2);
  ContactEntry* row = nullptr;
  ASSERT_TRUE(Until([&] { return (row = Panel()->FindContactRow("bob")) != nullptr; }));
  MyStaticText* nickname = guitest::FindChild<MyStaticText>(row, [](MyStaticText*) { return true; });
  // Block: the fourth item (send, profile, remove, block), then the question's yes button.
  size_t mark = JournalSize();
  {
    AnswerWhenShown yes([](wxDialog* d) { ClickButton(d, "&Block"); });
    PickFromMenu(nickname, [&] { return row->IsMenuShown(); }, 4);
    EXPECT_TRUE(yes.answered);
  }
  EXPECT_TRUE(AwaitJournal([](const std::string& line) {
    return line.rfind("alice blockcontact", 0) == 0 && line.find("\"bob\"") != std::string::npos;
  }, mark));
  ASSERT_TRUE(Until([&] { return GetManager()->GetContactInfo("bob")->IsBlocked(); }));
  // Unblock, the same way; cancelled first, which sends nothing.
  mark = JournalSize();
  {
    AnswerWhenShown no([](wxDialog* d) { ClickButton(d, "&Cancel"); });
    PickFromMenu(nickname, [&] { return row->IsMenuShown(); }, 3);
  }
  {
    AnswerWhenShown yes([](wxDialog* d) { ClickButton(d, "&Unblock"); });
    PickFromMenu(nickname, [&] { return row->IsMenuShown(); }, 3);
  }
  EXPECT_TRUE(AwaitJournal([](const std::string& line) {
    return line.rfind("alice unblockcontact", 0) == 0 && line.find("\"bob\"") != std::string::npos;
  }, mark));
  for (size_t i = mark; i < Journal().size(); ++i)
    EXPECT_EQ(std::string::npos, Journal()[i].find("alice blockcontact")) << Journal()[i];
  // Abuse, reported from bob's row in a site's room both are in.
  const std::string site = "http://www.example.org/";
  ASSERT_TRUE(Enter(bob, site));
  GetManager()->SubscribeChatRoom(site);
  ASSERT_TRUE(Until([&] {
    return GetManager()->HasSubscribedTo(site) && GetManager()->GetContactInfo("bob")->IsSubscribedTo(site);
  }));
  PageRows page;
  wxFrame* roomWindow = new wxFrame(Frame(), wxID_ANY, "Room", wxPoint(500, 100), wxSize(300, 80));
  wxPanel* members = new wxPanel(roomWindow);
  ContactEntry* member =
      new ContactEntry(GetManager(), members, &page, *GetManager()->GetContactInfo("bob"), CEP_CHATROOM, false, site);
  member->SetSize(wxSize(280, 40));
  roomWindow->Show();
  ASSERT_TRUE(Until([&] { return member->IsShownOnScreen(); }));
  mark = JournalSize();
  {
    AnswerWhenShown report([](wxDialog*) {
      wxUIActionSimulator sim;
      sim.Text("spam & insults");
      sim.Char(WXK_RETURN);
    });
    MyStaticText* name = guitest::FindChild<MyStaticText>(member, [](MyStaticText*) { return true; });
    // send, profile, remove, block, report
    PickFromMenu(name, [&] { return member->IsMenuShown(); }, 5);
  }
  EXPECT_TRUE(AwaitJournal([&](const std::string& line) {
    return line.rfind("alice abuse", 0) == 0 && line.find(site) != std::string::npos &&
           line.find("\"bob\"") != std::string::npos && line.find("spam & insults") != std::string::npos;
  }, mark));
  member->Discard();
  roomWindow->Destroy();
  // The group renamed from its header's menu: the server is told bob's new group.
  // The header goes with the rebuild that the rename makes.
  wxWeakRef<GroupEntry> header = Panel()->FindChatRoomEntry("work")->GetHeader();
  mark = JournalSize();
  {
    AnswerWhenShown rename([](wxDialog*) {
      wxUIActionSimulator sim;
      sim.Char('a', wxMOD_CONTROL);
      sim.Text("job");
      sim.Char(WXK_RETURN);
    });
    PickFromMenu(header->GetTitleText(), [&] { return header && header->IsMenuShown(); }, 1);
  }
  EXPECT_TRUE(AwaitJournal([](const std::string& line) {
    return line.rfind("alice contactgroup", 0) == 0 && line.find("bob") != std::string::npos &&
           line.find("job") != std::string::npos;
  }, mark));
  ASSERT_TRUE(Until([&] { return Shown().rfind("job (1 / 1 contacts): bob", 0) == 0; })) << Shown();
  EXPECT_EQ((std::vector<std::string>{"job"}), Config::GetInstance()->GetGroups());
}

}  // namespace
