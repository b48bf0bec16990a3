// A contact row's context menu and its commands: which items show and which are enabled for
// each kind of contact, the questions asked and what reaches the main window or the browser,
// and rows and blocks that leave the list while their question is open.
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/textdlg.h>
#include <wx/uiaction.h>

#include "gui/contacts/contactEntryIds.h"
#include "gui/contacts/entryListener.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/webBrowser.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "widgets/myStaticText.h"

namespace {

using contactstest::ContactsListTest;
using namespace contactEntryIds;

// "label" for an enabled item, "(label)" for a disabled one, "-" for the separator.
std::string Items(wxMenu* menu) {
  std::string text;
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (!text.empty()) text += " | ";
    if (item->IsSeparator()) {
      text += "-";
      continue;
    }
    const std::string label = item->GetItemLabel().utf8_str().data();
    text += item->IsEnabled() ? label : "(" + label + ")";
    if (item->GetSubMenu()) text += " [" + Items(item->GetSubMenu()) + "]";
  }
  return text;
}

// Answers each question: records "title: message", types `text` in its field, and answers
// `answer`; `during` runs while it is open.
class Answers : public wxModalDialogHook {
 public:
  Answers() { Register(); }
  std::vector<std::string> seen;
  int answer = wxID_YES;
  wxString text;
  std::function<void()> during;

 protected:
  int Enter(wxDialog* dialog) override {
    seen.push_back(std::string(dialog->GetTitle().utf8_str()) + ": ");
    if (auto* entry = dynamic_cast<wxTextEntryDialog*>(dialog)) {
      wxString message;
      for (wxStaticText* line : guitest::FindChildren<wxStaticText>(dialog))
        message += (message.empty() ? "" : "\n") + line->GetLabelText();
      seen.back() += message.utf8_str();
      entry->SetValue(text);
    } else if (wxTextCtrl* field = guitest::FindChild<wxTextCtrl>(dialog, [](wxTextCtrl*) { return true; })) {
      // As typed: what passes the field's limit is refused.
      for (wxUniChar c : text) field->AppendText(wxString(c));
    }
    if (during) during();
    return answer;
  }
  void Exit(wxDialog*) override {}
};

// The chat-room page's side of member rows.
class PageListener : public EntryListener {
 public:
  std::vector<std::string> calls;
  void OnOpenPrivateChatRoom(const std::string& login) override { calls.push_back("private " + login); }
  void OnAddContact(const std::string& login, const std::string& m) override { calls.push_back("add " + login + m); }
  void OnRemoveContact(const std::string& l, const std::string& m) override { calls.push_back("remove " + l + m); }
  void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) override {
    calls.push_back("abuse " + room + " " + login + " " + text);
  }
  void OnBlockContact(const std::string& l, const std::string& m) override { calls.push_back("block " + l + m); }
  void OnUnblockContact(const std::string& l, const std::string& m) override { calls.push_back("unblock " + l + m); }
};

class RowMenu : public ContactsListTest {};

TEST_F(RowMenu, ItemsShowAndEnableByContactRowAndConnection) {
  struct Case {
    const char* what;
    ContactInfo contact;
    bool saved;
    e_cep_role role;
    const char* items;
  };
  ContactInfo external("joe@msn.example", "Joe", "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "msn", false);
  ContactInfo blocked = Contact("bob", "Bob", STATUS_ONLINE);
  blocked.SetBlocked(true);
  const Case cases[] = {
      {"unsaved external", external, false, CEP_CHATROOM,
       "&Send a message | &Display profile and setup parameters | Invite this contact to join Parlavox... | "
       "(Add to your &private list...) | (Block only available for Parlavoxers) | "
       "(Report abuse only for Parlavoxers) | - | (Private chatrooms only with Parlavoxers)"},
      {"saved external", external, true, CEP_CONTACTS_LIST,
       "&Send a message | &Display profile and setup parameters | Invite this contact to join Parlavox... | "
       "(Remove only available for Parlavoxers) | (Block only available for Parlavoxers) | "
       "(Report abuse only for Parlavoxers) | - | (Private chatrooms only with Parlavoxers)"},
      {"blocked native, not connected", blocked, true, CEP_CONTACTS_LIST,
       "(&Send a message) | &Display profile and setup parameters | (&Remove from your private list...) | "
       "(&Unblock this contact...) | (Report &abuse...) | - | (No private chatrooms opened)"},
      {"self in a room", Contact("alice", "Me", STATUS_ONLINE), false, CEP_CHATROOM,
       "(&Send a message) | (&Display profile and setup parameters) | (Add to your &private list...) | "
       "(&Block this contact...) | (Report &abuse...) | - | (No private chatrooms opened)"},
  };
  Open();
  PageListener page;
  // The controller's record tells the blocked flag, as the user's own block set it.
  GetManager()->GetContactInfo("bob")->SetBlocked(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Config::GetInstance()->ClearContacts();
    if (c.saved) Save(c.contact);
    const std::string room = c.role == CEP_CHATROOM ? "http://site.example/" : "none";
    ContactEntry row(GetManager(), m_frame, &page, c.contact, c.role, false, room);
    std::unique_ptr<wxMenu> menu = row.BuildContextMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(c.items, Items(menu.get()));
  }
  // Rows of a profile or a tool tip have no menu.
  for (e_cep_role role : {CEP_PROFILE, CEP_TOOLTIP}) {
    ContactEntry row(GetManager(), m_frame, nullptr, blocked, role, false, "none");
    EXPECT_FALSE(row.BuildContextMenu());
  }
  GetManager()->GetContactInfo("bob")->SetBlocked(false);
}

TEST_F(RowMenu, QuestionsAskBeforeAnythingGoesAndCancelSendsNothing) {
  Open();
  Update(*Save(Contact("bob", "Bob <b>", STATUS_ONLINE)));
  ContactEntry* row = m_panel->FindContactRow("bob");
  Answers answers;
  answers.text = "sorry, too many messages, really too many";
  row->RunMenuCommand(ID_BLOCK_CONTACT);
  row->RunMenuCommand(ID_ADD_CONTACT);
  answers.answer = wxID_NO;
  row->RunMenuCommand(ID_UNBLOCK_CONTACT);
  answers.answer = wxID_CANCEL;
  row->RunMenuCommand(ID_REMOVE_CONTACT);
  answers.answer = wxID_YES;
  row->RunMenuCommand(ID_REMOVE_CONTACT);
  EXPECT_EQ((std::vector<std::string>{
                "Block a contact: ", "Add a contact: ", "Unblock a contact: ", "Remove a private contact: ",
                "Remove a private contact: "}),
            answers.seen);
  // Block sends no message; the others send what was typed, at most 30 characters.
  EXPECT_EQ((std::vector<std::string>{"block bob []", "add bob [sorry, too many messages, real]",
                                      "remove bob [sorry, too many messages, real]"}),
            m_listener.calls);
  // Removed from the list's own row: the row goes at once.
  EXPECT_FALSE(row->IsShown());
}

TEST_F(RowMenu, AReportOfAbuseNamesTheRoomAndAnInvitationEscapesTheAddress) {
  Open();
  PageListener page;
  ContactInfo bob = Contact("bob", "Bob", STATUS_ONLINE);
  bob.SubscribeTo("http://site.example/");
  ContactEntry member(GetManager(), m_frame, &page, bob, CEP_CHATROOM, false, "http://site.example/");
  Answers answers;
  answers.answer = wxID_OK;
  answers.text = "";
  member.RunMenuCommand(ID_REPORT_ABUSE);
  ASSERT_EQ(1u, answers.seen.size());
  EXPECT_EQ("Report abuse: Describe shortly why you want to report an abuse\nfrom Bob <bob> on http://site.example/:",
            answers.seen[0]);
  // An empty report still goes.
  EXPECT_EQ(std::vector<std::string>{"abuse http://site.example/ bob "}, page.calls);
  // The address of the invitation page carries the e-mail as a value, whatever it holds.
  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  ContactInfo joe("joe&admin=1#x@y@msn.example", "Joe", "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "msn", false);
  ContactEntry external(GetManager(), m_frame, &page, joe, CEP_CONTACTS_LIST, false, "none");
  external.RunMenuCommand(ID_INVITE_TO_PARLAVOX);
  browser::SetRecorder(nullptr);
  ASSERT_EQ(1u, opened.size());
  EXPECT_NE(std::string::npos,
            opened[0].find("/common/invite/index.php?invite_email=joe%26admin%3D1%23x@y&token="));
  EXPECT_EQ(std::string::npos, opened[0].find("msn.example"));
}

// The server removes the contact, or the list is rebuilt, while a question of its row or of its
// block's header is open: both stay alive until the question closes, nothing is sent for a
// row that has gone, and they are destroyed afterwards.
TEST_F(RowMenu, RowsAndBlocksOutliveTheirOpenQuestions) {
  Config::GetInstance()->SetGroupMode(1);
  Config::GetInstance()->AddGroup("work");
  Open();
  Update(*Save(Contact("bob", "Bob", STATUS_ONLINE, "work")));
  wxWeakRef<ContactEntry> row = m_panel->FindContactRow("bob");
  wxWeakRef<ChatRoomEntry> block = m_panel->FindChatRoomEntry("work");
  Answers answers;
  answers.during = [&] {
    Config::GetInstance()->ClearContacts();
    m_panel->RemoveContact("bob");
    m_panel->InitPrivateContactsGroups();
    guitest::Pump(50);
    EXPECT_TRUE(row && block);
    // The row, and the two blocks of the former list.
    EXPECT_EQ(3, lateDestruction::Waiting());
  };
  row->RunMenuCommand(ID_BLOCK_CONTACT);
  EXPECT_TRUE(m_listener.calls.empty());
  ASSERT_TRUE(guitest::PumpUntil([&] { return !row && !block; }));
  // The same from a group header's rename question: the header's block is rebuilt away.
  Update(*Save(Contact("bob", "Bob", STATUS_ONLINE, "work")));
  GroupEntry* header = m_panel->FindChatRoomEntry("work")->GetHeader();
  wxWeakRef<wxWindow> headerRef(header);
  answers.answer = wxID_OK;
  answers.text = "job";
  answers.during = [&] { m_panel->InitPrivateContactsGroups(); };
  wxCommandEvent rename(wxEVT_MENU, GroupEntry::ID_RENAME_GROUP);
  header->ProcessWindowEventLocally(rename);
  EXPECT_EQ((std::vector<std::string>{"job"}), Config::GetInstance()->GetGroups());
  EXPECT_EQ("job: bob | No group:", Shown());
  ASSERT_TRUE(guitest::PumpUntil([&] { return !headerRef; }));
}

TEST_F(RowMenu, GroupNamesAreCheckedForLengthAndReservedNames) {
  Config::GetInstance()->SetGroupMode(1);
  Config::GetInstance()->AddGroup("work");
  Open();
  Answers answers;
  GroupEntry* header = m_panel->FindChatRoomEntry("work")->GetHeader();
  EXPECT_FALSE(header->Rename(wxString('x', 31)));
  ASSERT_EQ(1u, answers.seen.size());
  EXPECT_EQ("Group name too long: ", answers.seen[0]);
  EXPECT_TRUE(header->Rename("    OFFLINE"));
  EXPECT_EQ((std::vector<std::string>{"work"}), Config::GetInstance()->GetGroups());
  // Not connected: the header's menu offers nothing.
  std::unique_ptr<wxMenu> menu = header->BuildMenu();
  EXPECT_EQ("(Rename this group) | (Remove this group)", Items(menu.get()));
  const wxString thirty('y', 30);
  EXPECT_TRUE(m_panel->FindChatRoomEntry("work")->GetHeader()->Rename(thirty));
  EXPECT_EQ((std::vector<std::string>{std::string(30, 'y')}), Config::GetInstance()->GetGroups());
}

}  // namespace

namespace {

// The server removes the contact while the row's menu is open under the real pointer: the row
// leaves the list at once, lives until the menu closes, runs nothing chosen, then goes.
TEST_F(RowMenu, ARowRemovedWhileItsMenuIsOpenGoesOnceItCloses) {
  Open();
  Update(*Save(Contact("bob", "Bob", STATUS_ONLINE)));
  Settle();
  wxWeakRef<ContactEntry> row = m_panel->FindContactRow("bob");
  MyStaticText* nickname = guitest::FindChild<MyStaticText>(row.get(), [](MyStaticText*) { return true; });
  bool removed = false, stillThere = false;
  wxTimer remover;
  remover.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!row || !row->IsMenuShown() || removed) return;
    removed = true;
    m_panel->RemoveContact("bob");
    guitest::Pump(50);
    stillThere = bool(row);
    wxUIActionSimulator().Char(WXK_DOWN);
    wxUIActionSimulator().Char(WXK_RETURN);
  });
  remover.Start(50);
  wxUIActionSimulator sim;
  sim.MouseMove(nickname->GetScreenPosition() + wxPoint(6, nickname->GetSize().y / 2));
  guitest::Pump(100);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  ASSERT_TRUE(guitest::PumpUntil([&] { return removed && !row; }, 10000));
  remover.Stop();
  EXPECT_TRUE(stillThere);
  EXPECT_TRUE(m_listener.calls.empty());
  EXPECT_EQ("Private contacts:", Shown());
}

}  // namespace
