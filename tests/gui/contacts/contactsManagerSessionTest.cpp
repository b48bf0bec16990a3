// The contacts manager of the whole program on the stand-in server, driven by real clicks and
// typing: invitations typed into its field, groups added, renamed and removed (the settings file
// and the contacts list follow), the default switches deciding the next pop-up and sound, and the
// program ended while one of its questions is open.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>

#include "core/application.h"
#include "gui/contacts/contactButtonBitmapNotifier2.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "tests/gui/contacts/modalAnswer.h"
#include "tests/support/programSession.h"

namespace {

using contactstest::AnswerWhenShown;
using contactstest::ExpectMessage;
using contactstest::TypeOver;
using standintest::TestUser;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ContactsManagerSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    for (const std::string& group : Config::GetInstance()->GetGroups()) Config::GetInstance()->RemoveGroup(group);
    Config::GetInstance()->SetGroupMode(1);
    Frame()->UpdatePrivateContactsGroups();
    m_window = guitest::FindChild<ContactsShortFrame>(Frame(), [](ContactsShortFrame*) { return true; });
    ASSERT_TRUE(m_window);
    Frame()->OnSwitchContactsManager();
    ASSERT_TRUE(Until([&] { return m_window->IsShownOnScreen(); }));
  }
  template <class T>
  T* Control(const wxString& name) {
    return guitest::FindChild<T>(m_window, [&](T* t) { return t->GetName() == name; });
  }
  wxButton* Button(const wxString& label) { return guitest::ButtonLabelled(m_window, label); }
  wxTextCtrl* Field() { return Control<wxTextCtrl>("login"); }
  wxComboBox* Groups() { return Control<wxComboBox>("groups"); }
  ContactButtonBitmapNotifier2* Switch(const std::string& key) {
    return Control<ContactButtonBitmapNotifier2>(wxString::FromUTF8(key));
  }
  // A real click in the middle of the control (or at `at` inside it).
  void Click(wxWindow* control, wxPoint at = wxDefaultPosition) {
    m_window->Raise();
    if (at == wxDefaultPosition) at = wxPoint(control->GetSize().x / 2, control->GetSize().y / 2);
    wxUIActionSimulator sim;
    sim.MouseMove(control->GetScreenPosition() + at);
    guitest::Pump(50);
    sim.MouseClick();
    guitest::Pump(100);
  }
  // Types into the login field, after a click in it; Enter when asked.
  void TypeLogin(const std::string& text, bool enter) {
    Click(Field());
    ASSERT_TRUE(Until([&] { return wxWindow::FindFocus() == Field(); }));
    wxUIActionSimulator sim;
    sim.Text(text.c_str());
    if (enter) sim.Char(WXK_RETURN);
    ASSERT_TRUE(Until([&] { return enter || Field()->GetValue() == wxString::FromUTF8(text); }));
    Settle();
  }
  // Opens the groups list by its arrow and picks the entry by the keyboard.
  void ChooseGroup(int index) {
    const int from = std::max(0, Groups()->GetSelection());
    Click(Groups(), wxPoint(Groups()->GetSize().x - 12, Groups()->GetSize().y / 2));
    guitest::Pump(300);
    wxUIActionSimulator sim;
    for (int i = from; i < index; ++i) sim.Char(WXK_DOWN);
    for (int i = index; i < from; ++i) sim.Char(WXK_UP);
    sim.Char(WXK_RETURN);
    // A group is chosen once the list has taken the Enter; the last entry asks for a new group's
    // name instead, which the caller waits for.
    if (index + 1 < int(Groups()->GetCount())) {
      EXPECT_TRUE(Until([&] { return Groups()->GetSelection() == index; })) << "entry " << index << " not chosen";
    } else {
      guitest::Pump(200);
    }
  }
  // The contacts list's blocks and their rows, one text.
  std::string Listed() {
    ContactsPanel* panel = guitest::FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; });
    std::string text;
    for (ChatRoomEntry* block : panel->GetBlocks()) {
      text += "[" + block->GetGroupName() + ":";
      for (const std::string& login : block->GetLogins()) text += " " + login;
      text += "]";
    }
    return text;
  }
  size_t Count(const std::string& prefix, size_t from) {
    const programtest::Lines lines = Journal();
    return std::count_if(lines.begin() + std::min(from, lines.size()), lines.end(),
                         [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  }
  // The status shown by the newest request row about the login.
  std::string Status(const std::string& login) {
    const std::vector<ShortContactInfoPanel*>& rows = m_window->GetRequestRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
      if ((*row)->GetContactEvent().GetLogin() == login) return (*row)->GetStatusLabel()->GetLabel().ToStdString();
    return "";
  }
  static bool QuestionOpen() {
    for (wxWindow* w : wxTopLevelWindows)
      if (dynamic_cast<wxDialog*>(w) && w->IsShown()) return true;
    return false;
  }
  std::string SavedSettings() { return testsupport::ReadFile(Home() + "/.parlavox/parlavox.xml"); }

  // Bob leaves and comes back; what his leaving raised is dropped, so that only his return is
  // left to be read, once the sounds and pop-ups it should raise are there. His leaving raises a
  // pop-up (the default's switch, left on): the notices come in the order of the news, and its
  // sound, if any, with it, so once that pop-up is there nothing from before his return is still
  // to come.
  bool BobLogsOutAndInAgain(size_t sounds, size_t popups) {
    auto bobIs = [](t_status status) { return GetManager()->GetContactInfo("bob")->GetStatus() == status; };
    NotifyFrame* notices = NotifyFrame::GetInstance();
    if (!notices) return false;
    const size_t before = notices->GetCount();
    LogOut("bob");
    if (!Until([&] { return bobIs(STATUS_OFFLINE); })) return false;
    if (!Until([&] {
          for (size_t i = before; i < notices->GetCount(); ++i)
            if (notices->GetItem(i)->action.GetParam() == "bob" && notices->GetItem(i)->status == STATUS_OFFLINE)
              return true;
          return false;
        }))
      return false;
    NewPopups();
    NewSounds();
    LogIn("bob");
    if (!Until([&] { return bobIs(STATUS_ONLINE); })) return false;
    AwaitSounds(sounds);
    AwaitPopups(popups);
    Settle();
    return true;
  }

  ContactsShortFrame* m_window = nullptr;
};

TEST_F(ContactsManagerSession, LoginsTypedIntoTheFieldAreCheckedAndBadOnesRefused) {
  TestUser& bob = LogIn("bob");
  EXPECT_FALSE(Button("Check and invite")->IsEnabled());
  // bob with Enter: the server is asked and the field empties; bob is registered, and the
  // question whether to invite him opens by itself (declined here: nothing more is sent).
  size_t mark = JournalSize();
  {
    AnswerWhenShown decline([](wxDialog* dialog) { contactstest::ClickButton(dialog, "&Cancel"); });
    TypeLogin("bob", true);
    EXPECT_TRUE(Until([&] { return decline.answered && !QuestionOpen(); }));
  }
  EXPECT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice checkcontact", 0) == 0 && Contains(l, "\"bob\""); }, mark));
  EXPECT_TRUE(Field()->IsEmpty());
  EXPECT_FALSE(Button("Check and invite")->IsEnabled());
  EXPECT_TRUE(Until([&] { return Status("bob") == "has not been invited"; })) << Status("bob");
  // An unknown login with the button: the server answers that nobody has it.
  TypeLogin("nobody_here", false);
  EXPECT_TRUE(Until([&] { return Button("Check and invite")->IsEnabled(); }));
  Click(Button("Check and invite"));
  EXPECT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice checkcontact", 0) == 0 && Contains(l, "nobody_here"); }, mark));
  EXPECT_TRUE(Until([&] { return Status("nobody_here") == "is not registered"; })) << Status("nobody_here");
  EXPECT_TRUE(Field()->IsEmpty());
  EXPECT_TRUE(Button("Clear all")->IsEnabled());
  EXPECT_EQ(0u, Count("alice addcontact", mark));
  // Refused here, nothing sent: the own login, a contact, and a text no login can be (the
  // field keeps it, to be mended).
  Befriend(bob);
  const struct {
    std::string typed;
    wxString text;
  } refusals[] = {
      {"alice", "There are a lot of people on Internet. Maybe you can invite someone else than yourself ?"},
      {"bob", "Do you know that Bob (bob) is already in your private contacts?"},
      {"bob smith", "A login or an email address holds only letters, digits and the characters - . _ @"},
  };
  mark = JournalSize();
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.typed);
    Field()->Clear();
    bool seen = false;
    wxTEST_DIALOG({
      TypeLogin(refusal.typed, true);
      EXPECT_TRUE(Until([&] { return seen; }));
    }, ExpectMessage("Invalid login", refusal.text, &seen));
    EXPECT_EQ(wxString::FromUTF8(refusal.typed), Field()->GetValue());
  }
  // The own login in capitals is someone else's to the program: it is checked.
  Field()->Clear();
  TypeLogin("ALICE", true);
  EXPECT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice checkcontact", 0) == 0 && Contains(l, "ALICE"); }, mark));
  EXPECT_EQ(1u, Count("alice checkcontact", mark));
  // Disconnected, Enter in a filled field sends nothing and the button stays off.
  GetManager()->Disconnect(false, true);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  mark = JournalSize();
  TypeLogin("carol", true);
  Settle();
  EXPECT_FALSE(Button("Check and invite")->IsEnabled());
  EXPECT_EQ(0u, Count("alice checkcontact", mark));
}

TEST_F(ContactsManagerSession, GroupsMadeRenamedAndRemovedHereReachTheListTheServerAndTheFile) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  // "Add": a name typed into its question.
  {
    AnswerWhenShown name([](wxDialog*) { TypeOver("work"); });
    Click(Button("Add"));
    ASSERT_TRUE(Until([&] { return name.answered && Config::GetInstance()->GetGroups().size() == 1; }));
  }
  Until([&] { return Groups()->GetStringSelection() == "work" && Contains(Listed(), "[work:]"); });
  EXPECT_EQ("work", Groups()->GetStringSelection());
  EXPECT_EQ((std::vector<std::string>{"work"}), Config::GetInstance()->GetGroups());
  EXPECT_TRUE(Contains(Listed(), "[work:]")) << Listed();
  Frame()->UpdateGroup("bob", "work");
  Frame()->UpdatePrivateContactsGroups();
  ASSERT_TRUE(Contains(Listed(), "[work: bob]")) << Listed();
  // "New group..." (the last entry) makes a second one; a name of 31 characters is refused.
  {
    AnswerWhenShown name([](wxDialog*) { TypeOver("extra"); });
    ChooseGroup(2);
    ASSERT_TRUE(Until([&] { return name.answered && Config::GetInstance()->GetGroups().size() == 2; }));
  }
  bool refused = false;
  wxTEST_DIALOG({
    ChooseGroup(3);
    EXPECT_TRUE(Until([&] { return refused; }));
  }, contactstest::EnterText(wxString(31, 'x')),
     ExpectMessage("Group name too long", "New group name too long, maximum 30 characters.", &refused));
  Until([&] { return Groups()->GetSelection() == 0; });
  Settle();
  EXPECT_EQ((std::vector<std::string>{"extra", "work"}), Config::GetInstance()->GetGroups());
  EXPECT_EQ(0, Groups()->GetSelection());
  // "work" chosen: renamed to "job"; bob moves with it, on the server and in the list.
  ChooseGroup(2);
  ASSERT_EQ("work", Groups()->GetStringSelection());
  ASSERT_TRUE(Button("Rename")->IsEnabled());
  size_t mark = JournalSize();
  {
    AnswerWhenShown name([](wxDialog*) { TypeOver("job"); });
    Click(Button("Rename"));
    ASSERT_TRUE(Until([&] { return name.answered && Groups()->GetStringSelection() == "job"; }));
  }
  EXPECT_TRUE(AwaitJournal("alice contactgroup login=\"bob\" group=\"job\"", mark));
  EXPECT_TRUE(Until([&] { return Contains(Listed(), "[job: bob]"); })) << Listed();
  EXPECT_EQ((std::vector<std::string>{"extra", "job"}), Config::GetInstance()->GetGroups());
  // Not classified by groups, by a real click: one block of contacts; classified again.
  wxRadioButton* notClassified = guitest::FindChild<wxRadioButton>(m_window, [](wxRadioButton* r) { return r->GetLabel() == "No"; });
  Click(notClassified);
  EXPECT_TRUE(Until([&] { return Config::GetInstance()->GetGroupMode() == 0 && Listed() == "[     ONLINE: bob]"; })) << Listed();
  Click(guitest::FindChild<wxRadioButton>(m_window, [](wxRadioButton* r) { return r->GetLabel() == "Yes"; }));
  EXPECT_TRUE(Until([&] { return Contains(Listed(), "[job: bob]"); })) << Listed();
  // "extra", empty, removed at the click: nothing to tell the server.
  ChooseGroup(1);
  ASSERT_EQ("extra", Groups()->GetStringSelection());
  mark = JournalSize();
  Click(Button("Remove"));
  EXPECT_TRUE(Until([] { return Config::GetInstance()->GetGroups() == std::vector<std::string>{"job"}; }));
  EXPECT_FALSE(Contains(Listed(), "[extra:")) << Listed();
  EXPECT_EQ(0, Groups()->GetSelection());
  EXPECT_FALSE(Button("Remove")->IsEnabled());
  // The list keeps "job" chosen while another group arrives before it.
  ChooseGroup(1);
  Config::GetInstance()->AddGroup("army");
  Frame()->UpdatePrivateContactsGroups();
  EXPECT_EQ("job", Groups()->GetStringSelection());
  Config::GetInstance()->RemoveGroup("army");
  Frame()->UpdatePrivateContactsGroups();
  Settle();
  EXPECT_EQ(0u, Count("alice contactgroup", mark));
  // The settings file written at exit holds the groups as they are now.
  Exit();
  const std::string saved = SavedSettings();
  EXPECT_TRUE(Contains(saved, ">job<")) << saved;
  EXPECT_FALSE(Contains(saved, ">work<"));
  EXPECT_FALSE(Contains(saved, ">extra<"));
}

// A group removed by a click takes its contacts out of it on the server; at the next log-in the
// server tells each of them with an empty group, which is no group: the list shows them under "No
// group", and the settings file holds no group without a name.
TEST_F(ContactsManagerSession, ARemovedGroupComesBackAsNoGroupAfterTheNextLogIn) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  ASSERT_TRUE(Config::GetInstance()->AddGroup("work"));
  Frame()->UpdatePrivateContactsGroups();
  Frame()->UpdateGroup("bob", "work");
  Frame()->UpdatePrivateContactsGroups();
  ASSERT_TRUE(Until([&] { return Contains(Listed(), "[work: bob]"); })) << Listed();
  ChooseGroup(1);
  ASSERT_EQ("work", Groups()->GetStringSelection());
  const size_t mark = JournalSize();
  Click(Button("Remove"));
  EXPECT_TRUE(AwaitJournal("alice contactgroup login=\"bob\" group=\"\"", mark)) << Journal().back();
  ASSERT_TRUE(Until([] { return Config::GetInstance()->GetGroups().empty(); }));

  // Logged out and in again: the server tells bob's empty group with his profile.
  GetManager()->Disconnect(false, true);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  Settle();
  GetManager()->Connect("alice", "alice", false, "127.0.0.1", Server().Port(), true, false);
  ASSERT_TRUE(Until([] { return GetManager()->IsConnected(); }));
  ASSERT_TRUE(Until([] { return GetManager()->GetContactInfo("bob")->GetStatus() == STATUS_ONLINE; }));
  Settle();
  EXPECT_TRUE(Config::GetInstance()->GetGroups().empty());
  // The next rebuild: no block without a title, bob under "No group".
  Frame()->UpdatePrivateContactsGroups();
  ContactsPanel* panel = guitest::FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; });
  ASSERT_TRUE(Until([&] { return Contains(Listed(), "[: bob]"); })) << Listed();
  for (ChatRoomEntry* block : panel->GetBlocks()) {
    EXPECT_FALSE(block->GetHeader()->GetTitle().empty()) << Listed();
    if (block->GetGroupName().empty()) {
      EXPECT_EQ("No group", block->GetHeader()->GetTitle());
    }
  }
  for (unsigned i = 0; i < Groups()->GetCount(); ++i) EXPECT_FALSE(Groups()->GetString(i).empty()) << i;

  // The settings written at exit, which the next start reads: no group at all.
  Exit();
  const std::string saved = SavedSettings();
  const size_t groups = saved.find("<groups");
  ASSERT_NE(std::string::npos, groups);
  EXPECT_TRUE(Contains(saved.substr(groups, saved.find("</groups>") - groups), "<count>0</count>")) << saved;
}

TEST_F(ContactsManagerSession, SwitchesClickedDecideTheNextPopUpAndSoundAndAreSaved) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  GetManager()->GetContactInfo("bob")->SetNotifications({});
  ASSERT_EQ(NOTIFICATION_ON, defaults->GetNotification("login-visual"));
  ASSERT_EQ(NOTIFICATION_OFF, defaults->GetNotification("login-bell"));
  // The two "Logs in:" switches turned by real clicks: no pop-up, a sound.
  Click(Switch("login-visual"));
  Click(Switch("login-bell"));
  EXPECT_EQ(NOTIFICATION_OFF, defaults->GetNotification("login-visual"));
  EXPECT_EQ(NOTIFICATION_ON, defaults->GetNotification("login-bell"));
  EXPECT_EQ("No visual notification", Switch("login-visual")->GetToolTipText());
  EXPECT_EQ("Audio notification", Switch("login-bell")->GetToolTipText());
  EXPECT_EQ(NOTIFICATION_ON, defaults->GetNotification("logout-visual"));
  ASSERT_TRUE(BobLogsOutAndInAgain(1, 0));
  EXPECT_EQ(programtest::Lines{"sounds/online.wav"}, NewSounds());
  EXPECT_TRUE(NewPopups().empty());
  // Turned back: the pop-up again, and no sound.
  Click(Switch("login-visual"));
  Click(Switch("login-bell"));
  ASSERT_TRUE(BobLogsOutAndInAgain(0, 1));
  EXPECT_TRUE(NewSounds().empty());
  EXPECT_EQ(1u, NewPopups().size());
  // The message switches, off from the start, turned on; saved with the settings at exit.
  Click(Switch("message-bell"));
  EXPECT_EQ(NOTIFICATION_ON, defaults->GetNotification("message-bell"));
  Exit();
  const std::string saved = SavedSettings();
  const size_t at = saved.find("message-bell");
  ASSERT_NE(std::string::npos, at) << saved;
  EXPECT_TRUE(Contains(saved.substr(at, 60), "<second>1</second>")) << saved.substr(at, 60);
  defaults->SetNotification("message-bell", NOTIFICATION_OFF);
}

TEST_F(ContactsManagerSession, TheProgramEndsWhileAQuestionOfTheWindowIsOpen) {
  Config::GetInstance()->AddGroup("work");
  Frame()->UpdatePrivateContactsGroups();
  ChooseGroup(1);
  ASSERT_TRUE(Button("Rename")->IsEnabled());
  // The session ends (a close that cannot be refused) while "Rename" asks its name.
  AnswerWhenShown ended([&](wxDialog*) { Frame()->Close(true); });
  Click(Button("Rename"));
  EXPECT_TRUE(Until([&] { return ended.answered; }));
  EXPECT_TRUE(Until([] { return MainFrame::GetInstance() == nullptr; }));
  EXPECT_EQ((std::vector<std::string>{"work"}), Config::GetInstance()->GetGroups());
}

TEST_F(ContactsManagerSession, TheProgramEndsWhileARequestsQuestionIsOpen) {
  TestUser& bob = LogIn("bob");
  ASSERT_TRUE(bob.Link().AddContact(bob.Key(), "alice", "let me in"));
  ASSERT_TRUE(Until([&] { return Status("bob") == "wants to add you"; }));
  AnswerWhenShown ended([&](wxDialog*) { Frame()->Close(true); });
  Click(m_window->GetRequestRows().back()->GetAnswerButton());
  EXPECT_TRUE(ended.answered);
  EXPECT_TRUE(Until([] { return MainFrame::GetInstance() == nullptr; }));
}

}  // namespace
