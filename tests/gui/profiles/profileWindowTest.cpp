// The profile windows of the real main window, logged in to a test server: the own profile and a
// contact's, their switches, Save, Cancel and closing, the form's own Save, the group choice, and
// the set of open windows taken down while a window's own question is open (run under the
// sanitizers).
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <unistd.h>

#include <wx/generic/statbmpg.h>

#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/nicknamePanel.h"
#include "tests/gui/profiles/profilesFixture.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::FindChild;
using guitest::FindChildren;
using guitest::PumpUntil;
using profilestest::Person;
using profilestest::ProfilesTest;
using profilestest::TextAnswer;

bool HasLabel(wxWindow* window, const wxString& label) {
  return FindChild<wxStaticText>(window, [&](wxStaticText* t) { return t->GetLabel() == label; }) != nullptr;
}
bool HasBox(wxWindow* window, const wxString& label) {
  return FindChild<wxStaticBox>(window, [&](wxStaticBox* b) { return b->GetLabel() == label; }) != nullptr;
}
std::string Text(const OCTET_STRING_t& s) { return std::string(reinterpret_cast<const char*>(s.buf), s.size); }

TEST_F(ProfilesTest, OwnAndContactsWindowsShowTheirSwitches) {
  ASSERT_TRUE(LogIn());
  Send({"bob", "Bob", "none", "Friends", Gender_woman});
  Send({"zed", "Zed", "http://a.example/"});  // met in a room, not a contact
  GetManager()->GetDefaultContactInfo()->SetNotification("open-bell", NOTIFICATION_OFF);
  GetManager()->GetDefaultContactInfo()->SetNotification("open-visual", NOTIFICATION_ON);

  ContactInfoFrame* own = OpenProfile("alice");
  ContactInfoFrame* bob = OpenProfile("bob");
  ContactInfoFrame* zed = OpenProfile("zed");
  ASSERT_TRUE(own && bob && zed);
  EXPECT_EQ("My profile", own->GetTitle());
  EXPECT_EQ("Bob: public information and parameters", bob->GetTitle());
  EXPECT_TRUE(HasBox(own, "Notifications when you..."));
  EXPECT_TRUE(HasBox(bob, "Notifications when she..."));
  EXPECT_TRUE(HasBox(zed, "Notifications when he..."));
  EXPECT_TRUE(HasBox(own, "Your other messengers:"));
  EXPECT_FALSE(HasBox(bob, "Your other messengers:"));
  EXPECT_EQ(12u, FindChildren<ContactButtonBitmapNotifier>(own).size());
  EXPECT_EQ(14u, FindChildren<ContactButtonBitmapNotifier>(bob).size());
  EXPECT_FALSE(HasLabel(own, "Sends a message:"));
  EXPECT_TRUE(HasLabel(bob, "Sends a message:") && HasLabel(own, "Log in:") && HasLabel(bob, "Logs in:"));
  for (ContactInfoFrame* profile : {own, bob, zed}) {
    EXPECT_FALSE(Button(profile, "&Save")->IsEnabled());
    EXPECT_FALSE(Button(profile, "&Cancel")->IsEnabled());
  }
  // Log-in and log-out are told only of contacts: locked for someone met in a room, whatever
  // the record says; the other switches work for everybody.
  for (const char* key : {"login-visual", "login-bell", "logout-visual", "logout-bell"}) {
    EXPECT_TRUE(Switch(own, key)->IsEnabled());
    EXPECT_TRUE(Switch(bob, key)->IsEnabled());
    EXPECT_FALSE(Switch(zed, key)->IsEnabled());
    EXPECT_EQ("Only for private contacts", Switch(zed, key)->GetToolTipText());
  }
  EXPECT_TRUE(Switch(zed, "open-bell")->IsEnabled());
  const wxString hint =
      " (open Parlavoxers manager to modify this default behaviour\nor click to define a specific behaviour for this "
      "Parlavoxer)";
  EXPECT_EQ("Use default behaviour: no audio notification" + hint, Switch(zed, "open-bell")->GetToolTipText());
  EXPECT_EQ("Use default behaviour: visual notification" + hint, Switch(zed, "open-visual")->GetToolTipText());

  // A contact's switch: not set, on, off, not set again; one click enables Save and Cancel.
  const char* tips[] = {"Audio notification for this Parlavoxer", "No audio notification for this Parlavoxer"};
  for (int click = 0; click < 3; ++click) {
    ASSERT_TRUE(Click(bob, "message-bell")) << click;
    EXPECT_EQ(click == 0 ? NOTIFICATION_ON : click == 1 ? NOTIFICATION_OFF : NOTIFICATION_NOT_SET,
              bob->GetPendingNotification("message-bell"));
    if (click < 2) { EXPECT_EQ(tips[click], Switch(bob, "message-bell")->GetToolTipText()); }
  }
  EXPECT_TRUE(Button(bob, "&Save")->IsEnabled() && Button(bob, "&Cancel")->IsEnabled());
  // The own profile's switch goes between on and off, never back to not set.
  int last = own->GetPendingNotification("open-visual");
  for (int click = 0; click < 4; ++click) {
    ASSERT_TRUE(Click(own, "open-visual"));
    const int now = own->GetPendingNotification("open-visual");
    EXPECT_EQ(last == NOTIFICATION_ON ? NOTIFICATION_OFF : NOTIFICATION_ON, now);
    EXPECT_EQ(now == NOTIFICATION_ON ? "Visual notification" : "No visual notification",
              Switch(own, "open-visual")->GetToolTipText());
    last = now;
  }
  // A locked switch does not turn.
  EXPECT_FALSE(Click(zed, "login-bell"));

  // Zed becomes a contact while the window is open: the next refresh unlocks the four switches.
  Send({"zed", "Zed again", "none"});
  EXPECT_TRUE(Switch(zed, "logout-bell")->IsEnabled());
  EXPECT_NE("Only for private contacts", Switch(zed, "logout-bell")->GetToolTipText());
  // The title keeps the nickname the window was made with.
  EXPECT_EQ("Zed: public information and parameters", zed->GetTitle());
}

TEST_F(ProfilesTest, SaveCancelAndCloseKeepWhatTheUserChose) {
  ASSERT_TRUE(LogIn());
  Send({"carl", "Carl", "none", "Work"});
  Config::GetInstance()->AddGroup("Work");
  ContactInfoFrame* carl = OpenProfile("carl");
  ASSERT_TRUE(carl);

  // A click then Cancel: the window goes with the click, and the next opening, a window made
  // afresh, shows the record.
  ASSERT_TRUE(Click(carl, "open-bell"));
  wxWeakRef<ContactInfoFrame> gone(carl);
  Press(Button(carl, "&Cancel"), [&] { return !gone; });
  EXPECT_EQ(NOTIFICATION_NOT_SET, GetManager()->GetContactInfo("carl")->GetNotification("open-bell"));
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("carl"));
  carl = OpenProfile("carl");
  ASSERT_TRUE(carl);
  EXPECT_EQ(NOTIFICATION_NOT_SET, carl->GetPendingNotification("open-bell"));
  EXPECT_FALSE(Button(carl, "&Save")->IsEnabled());

  // Saving only a switch files the contact nowhere else: the group stays, nothing goes out.
  ASSERT_TRUE(Click(carl, "open-bell"));
  const int savesBefore = saves;
  gone = carl;
  Press(Button(carl, "&Save"), [&] { return !gone; });
  EXPECT_EQ(NOTIFICATION_ON, GetManager()->GetContactInfo("carl")->GetNotification("open-bell"));
  EXPECT_EQ("Work", GetManager()->GetContactInfo("carl")->GetGroup());
  EXPECT_EQ(savesBefore + 1, saves);
  EXPECT_TRUE(NoneOf(C2S_Request_PR_contactgroup));

  // The settings cannot be written: the box says where, the window stays with Save enabled,
  // and a second Save tries again.
  carl = OpenProfile("carl");
  ASSERT_TRUE(carl);
  ASSERT_TRUE(Click(carl, "close-visual"));
  failSaves = true;
  Press(Button(carl, "&Save"), [&] { return !boxes.seen.empty(); });
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_EQ("Save error: Impossible to save your current configuration in " + std2wx(Config::GetUserPath()) +
                "parlavox.xml.",
            boxes.seen[0]);
  EXPECT_TRUE(carl->IsShown() && Button(carl, "&Save")->IsEnabled() && Button(carl, "&Cancel")->IsEnabled());
  failSaves = false;
  gone = carl;
  Press(Button(carl, "&Save"), [&] { return !gone; });
  EXPECT_EQ(NOTIFICATION_ON, GetManager()->GetContactInfo("carl")->GetNotification("close-visual"));

  // The title bar's close takes a contact's window out of the set and destroys it, as a forced
  // close does; the user's own window only hides, and the same one opens again.
  for (bool force : {false, true}) {
    carl = OpenProfile("carl");
    ASSERT_TRUE(carl);
    gone = carl;
    carl->Close(force);
    EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("carl"));
    EXPECT_TRUE(PumpUntil([&] { return !gone; }));
  }
  ContactInfoFrame::UpdateContactInfoFor(*GetManager()->GetContactInfo("carl"));
  ContactInfoFrame* own = OpenProfile("alice");
  ASSERT_TRUE(own);
  own->Close(false);
  EXPECT_TRUE(PumpUntil([&] { return !own->IsShown(); }));
  EXPECT_EQ(own, ContactInfoFrame::GetContactInfoFor("alice"));
  EXPECT_EQ(own, OpenProfile("alice"));
}

TEST_F(ProfilesTest, OwnFormSendsTheProfileOnceAndOnlyWhenItCan) {
  ASSERT_TRUE(LogIn());
  ContactInfoFrame* own = OpenProfile("alice");
  ASSERT_TRUE(own);
  ContactInfoPanel* form = own->GetPanel();
  EXPECT_FALSE(form->GetSaveButton()->IsEnabled());
  EXPECT_EQ(31u, form->GetDayCombo()->GetCount());
  EXPECT_EQ(12u, form->GetMonthCombo()->GetCount());
  ASSERT_EQ(90u, form->GetYearCombo()->GetCount());
  EXPECT_EQ("2008", form->GetYearCombo()->GetString(0));
  EXPECT_EQ("1919", form->GetYearCombo()->GetString(89));

  // An emptied nickname is not sent: the field gets the nickname back.
  guitest::Type(form->GetNicknameCtrl(), "");
  EXPECT_TRUE(form->GetSaveButton()->IsEnabled());
  guitest::ClickUntil(form->GetSaveButton(), [&] { return !form->GetNicknameCtrl()->GetValue().empty(); });
  EXPECT_TRUE(own->IsShown());
  EXPECT_TRUE(NoneOf(C2S_Request_PR_updateprofile));

  // Typed nickname and a mood longer than the server takes: the field keeps 40 characters, which
  // is what goes out; June is the sixth entry and goes out as month 5, as the record counts.
  guitest::Type(form->GetNicknameCtrl(), "Alice & co");
  guitest::Type(form->GetMoodCtrl(), std::string(40, 'm'));
  form->GetMoodCtrl()->AppendText("mmmmm");
  EXPECT_EQ(40u, form->GetMoodCtrl()->GetValue().length());
  Choose(form->GetDayCombo(), 30);
  Choose(form->GetMonthCombo(), 5);
  Choose(form->GetYearCombo(), 89);
  guitest::ClickUntil(form->GetSaveButton(), [&] { return !own->IsShown(); });
  auto sent = Await(C2S_Request_PR_updateprofile);
  ASSERT_TRUE(sent);
  const auto& profile = sent->choice.updateprofile;
  EXPECT_EQ("Alice & co", Text(profile.nickname));
  EXPECT_EQ(std::string(40, 'm'), Text(profile.mood));
  ASSERT_TRUE(profile.birthDate);
  EXPECT_EQ(31, profile.birthDate->day);
  EXPECT_EQ(5, profile.birthDate->month);
  EXPECT_EQ(1919, profile.birthDate->year);
  EXPECT_TRUE(NoneOf(C2S_Request_PR_updateprofile));  // once
  EXPECT_EQ("Alice & co", Config::GetInstance()->GetNickname());
  EXPECT_EQ(5, Config::GetInstance()->GetBirthMonth());
  auto* nickname = FindChild<NicknamePanel>(frame, [](NicknamePanel*) { return true; });
  EXPECT_EQ("Alice & co", nickname->GetNicknameText()->GetButton()->GetLabelText());

  // Opened again, the lists show the stored date: the sixth month entry again.
  own = OpenProfile("alice");
  EXPECT_EQ(5, form->GetMonthCombo()->GetSelection());
  EXPECT_EQ(30, form->GetDayCombo()->GetSelection());

  // An edit not sent is dropped by the window's Save of a switch; the stored values come back.
  guitest::Type(form->GetNicknameCtrl(), "Not sent");
  ASSERT_TRUE(Click(own, "login-bell"));
  Press(Button(own, "&Save"), [&] { return !own->IsShown(); });
  EXPECT_EQ("Alice & co", form->GetNicknameCtrl()->GetValue());

  // Offline, nothing can be edited and nothing is sent; the avatar button stays as it was.
  OpenProfile("alice");
  frame->OnSwitchConnection(false);
  EXPECT_TRUE(PumpUntil([] { return !GetManager()->IsConnected(); }));
  EXPECT_FALSE(form->GetNicknameCtrl()->IsEnabled());
  EXPECT_FALSE(form->GetMonthCombo()->IsEnabled());
  EXPECT_FALSE(form->GetSaveButton()->IsEnabled());
  EXPECT_FALSE(form->GetAvatarButton()->IsEnabled());
  // Even when asked directly, the form says the profile was not sent, and stays open.
  boxes.seen.clear();
  form->GetNicknameCtrl()->SetValue("Offline");
  wxCommandEvent click(wxEVT_BUTTON, form->GetSaveButton()->GetId());
  form->OnUpdateProfile(click);
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_EQ("Profile not saved: You are not connected: your profile was not changed.", boxes.seen[0]);
  EXPECT_TRUE(own->IsShown());
  EXPECT_EQ("Alice & co", Config::GetInstance()->GetNickname());
}

TEST_F(ProfilesTest, GroupIsChosenOnlyWhereItMeansSomethingAndAppliedOnSave) {
  ASSERT_TRUE(LogIn());
  Config::GetInstance()->AddGroup("Work");
  Send({"dora", "Dora", "none", "Work"});
  Send({"ext", "Ext", "none", nullptr, -1, "icq"});
  Send({"walker", "Walker", "http://a.example/"});
  ContactInfoFrame* dora = OpenProfile("dora");
  ASSERT_TRUE(dora);
  wxComboBox* groups = dora->GetPanel()->GetGroupCombo();
  ASSERT_TRUE(groups && groups->IsEnabled());
  ASSERT_EQ(3u, groups->GetCount());
  EXPECT_EQ("No group", groups->GetString(0));
  EXPECT_EQ("Work", groups->GetString(groups->GetSelection()));
  EXPECT_EQ("New group ...", groups->GetString(2));
  // Another network's contact and someone met in a room cannot be filed.
  EXPECT_FALSE(OpenProfile("ext")->GetPanel()->GetGroupCombo()->IsEnabled());
  EXPECT_FALSE(OpenProfile("walker")->GetPanel()->GetGroupCombo()->IsEnabled());

  // A name of 31 characters is refused with a box; 30 make a group, chosen but not applied.
  {
    TextAnswer answer(std::string(31, 'g'));
    Choose(groups, 2);
    EXPECT_EQ(1, answer.asked);
  }
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_EQ("Group name too long: New group name too long, maximum 30 characters.", boxes.seen[0]);
  EXPECT_EQ("Work", groups->GetStringSelection());
  const std::string thirty(30, 'h');
  {
    TextAnswer answer(thirty);
    Choose(groups, 2);
  }
  EXPECT_EQ(std::vector<std::string>({"Work", thirty}), Config::GetInstance()->GetGroups());
  EXPECT_EQ(wxString(thirty), groups->GetStringSelection());
  EXPECT_TRUE(Button(dora, "&Save")->IsEnabled());
  // Every other profile's list has the group too, in byte order.
  EXPECT_EQ(wxString(thirty), OpenProfile("ext")->GetPanel()->GetGroupCombo()->GetString(2));
  // The contacts panel's own sections are not groups, and an existing name is not made twice.
  for (const char* name : {"     ONLINE", "Work"}) {
    TextAnswer answer(name);
    Choose(groups, int(groups->GetCount()) - 1);
  }
  EXPECT_EQ(2u, Config::GetInstance()->GetGroups().size());
  EXPECT_EQ(wxString(thirty), groups->GetStringSelection());

  // Cancel drops the choice: nothing goes out, the window opened again shows the record's group.
  wxWeakRef<ContactInfoFrame> gone(dora);
  Press(Button(dora, "&Cancel"), [&] { return !gone; });
  EXPECT_TRUE(NoneOf(C2S_Request_PR_contactgroup));
  dora = OpenProfile("dora");
  ASSERT_TRUE(dora);
  groups = dora->GetPanel()->GetGroupCombo();
  EXPECT_EQ("Work", groups->GetStringSelection());
  EXPECT_FALSE(dora->GetChosenGroup());

  // Chosen again and saved: one group change on the wire, the record filed there.
  Choose(groups, 0);
  gone = dora;
  Press(Button(dora, "&Save"), [&] { return !gone; });
  auto filed = Await(C2S_Request_PR_contactgroup);
  ASSERT_TRUE(filed);
  EXPECT_EQ("dora", Text(filed->choice.contactgroup.login));
  EXPECT_EQ("", GetManager()->GetContactInfo("dora")->GetGroup());
  EXPECT_TRUE(NoneOf(C2S_Request_PR_contactgroup));
}

TEST_F(ProfilesTest, OneWindowPerLoginAndNoneOutlivesItsQuestionOrTheSet) {
  ASSERT_TRUE(LogIn());
  Send({"eve", "Eve", "none"});
  ContactInfoFrame* eve = OpenProfile("eve");
  EXPECT_EQ(eve, OpenProfile("eve"));
  EXPECT_EQ(eve, ContactInfoFrame::CreateContactInfoFor(frame, frame, GetManager(), "eve", true));
  EXPECT_FALSE(eve->IsMine());
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("nobody"));
  EXPECT_EQ(nullptr, ContactInfoFrame::CreateContactInfoFor(frame, frame, GetManager(), "", false));

  // Only the own window opens to editing.
  ContactInfoFrame::EnableUpdate("eve", false);
  EXPECT_TRUE(eve->GetPanel()->GetGroupCombo()->IsEnabled());
  ContactInfoFrame* own = OpenProfile("alice");
  ASSERT_TRUE(own);
  ContactInfoFrame::EnableUpdate("alice", false);
  EXPECT_FALSE(own->GetPanel()->GetNicknameCtrl()->IsEnabled());
  ContactInfoFrame::EnableUpdate("alice", true);
  own->Show(false);

  // A log-in again (RemoveAll) while the new-group question is open: the window leaves the set at
  // once and goes only once the question has returned; nothing it held is used after.
  wxWeakRef<ContactInfoFrame> held(eve);
  {
    TextAnswer answer("Later", [] { ContactInfoFrame::RemoveAll(); });
    Choose(eve->GetPanel()->GetGroupCombo(), 1);
    EXPECT_EQ(1, answer.asked);
    EXPECT_TRUE(held);
  }
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("eve"));
  EXPECT_TRUE(PumpUntil([&] { return !held; }));
  EXPECT_TRUE(Config::GetInstance()->GetGroups().empty());  // nobody to file any more

  // The same while the save-error box is open.
  eve = OpenProfile("eve");
  ASSERT_TRUE(eve && eve != held.get());
  held = eve;
  ASSERT_TRUE(Click(eve, "open-visual"));
  failSaves = true;
  struct TakeDownInBox : wxModalDialogHook {
    TakeDownInBox() { Register(); }
    int Enter(wxDialog*) override {
      ContactInfoFrame::RemoveAll();
      guitest::Pump(100);
      return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
  } takeDown;
  Press(Button(eve, "&Save"), [&] { return !boxes.seen.empty(); });
  failSaves = false;
  EXPECT_TRUE(PumpUntil([&] { return !held; }));
  takeDown.Unregister();

  // After the log-in the set holds no window: the own one is made when first opened, from the
  // record as it then stands, open to editing; a contact's comes back on demand, new.
  frame->OnSwitchConnection(false);
  ASSERT_TRUE(PumpUntil([] { return !GetManager()->IsConnected(); }));
  frame->OnSwitchConnection(false);
  link = AcceptLogIn(*m_trusted->server);
  ASSERT_TRUE(link);
  ASSERT_TRUE(PumpUntil([] { return GetManager()->IsConnected(); }));
  guitest::Pump(100);
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("alice"));
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("eve"));
  const std::string mood = GetManager()->GetContactInfo("alice")->GetMood();
  GetManager()->GetContactInfo("alice")->SetMood("Made when first opened");
  own = OpenProfile("alice");
  ASSERT_TRUE(own && own->IsMine());
  EXPECT_EQ("My profile", own->GetTitle());
  EXPECT_EQ("Made when first opened", own->GetPanel()->GetMoodCtrl()->GetValue());
  EXPECT_TRUE(own->GetPanel()->GetNicknameCtrl()->IsEnabled());
  EXPECT_TRUE(own->GetPanel()->GetAvatarButton()->IsEnabled());
  EXPECT_EQ(own, OpenProfile("alice"));
  GetManager()->GetContactInfo("alice")->SetMood(mood);
  ContactInfoFrame::HideAll();
  ContactInfoFrame::CloseAll();
  EXPECT_EQ(nullptr, ContactInfoFrame::GetContactInfoFor("alice"));
  ContactInfoFrame::OpenContactInfoFor("alice");
  EXPECT_TRUE(ContactInfoFrame::GetContactInfoFor("alice")->IsMine());
}

}  // namespace

namespace {

// The part of the settings file that holds `login`'s record.
std::string RecordInFile(const std::string& login) {
  const std::string file = testsupport::ReadFile(Config::GetUserPath() + "parlavox.xml");
  const size_t at = file.find("<login>" + login + "</login>");
  if (at == std::string::npos) return "";
  return file.substr(at, file.find("<login>", at + 1) - at);
}

}  // namespace

// A save that fails takes no effect: the record keeps its switches (the settings written later,
// as at exit, hold none of the failed save) and no group goes out, while the window keeps the
// choice on screen, through the contact's next update, for a later Save that writes it.
TEST_F(ProfilesTest, AFailedSaveTakesNoEffectAndALaterSaveWritesTheChoice) {
  ASSERT_TRUE(LogIn());
  Config::GetInstance()->AddGroup("Work");
  Config::GetInstance()->AddGroup("Home");
  Send({"cora", "Cora", "none", "Work"});
  ContactInfoFrame* cora = OpenProfile("cora");
  ASSERT_TRUE(cora);
  ASSERT_TRUE(Click(cora, "close-visual"));
  wxComboBox* groups = cora->GetPanel()->GetGroupCombo();
  Choose(groups, groups->FindString("Home"));
  failSaves = true;
  Press(Button(cora, "&Save"), [&] { return !boxes.seen.empty(); });
  failSaves = false;
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_EQ(NOTIFICATION_NOT_SET, GetManager()->GetContactInfo("cora")->GetNotification("close-visual"));
  EXPECT_EQ("Work", GetManager()->GetContactInfo("cora")->GetGroup());
  EXPECT_TRUE(NoneOf(C2S_Request_PR_contactgroup));

  // cora's next update leaves the choice on screen.
  Send({"cora", "Cora the Second", "none", "Work"});
  EXPECT_NE(NOTIFICATION_NOT_SET, cora->GetPendingNotification("close-visual"));
  EXPECT_EQ("Home", groups->GetStringSelection());
  EXPECT_TRUE(cora->IsShown() && Button(cora, "&Save")->IsEnabled());

  // Written now, as at exit: nothing of the failed save.
  ASSERT_TRUE(Config::GetInstance()->Save());
  std::string record = RecordInFile("cora");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(std::string::npos, record.find("<first>close-visual</first>")) << record;
  EXPECT_NE(std::string::npos, record.find("<group>Work</group>")) << record;

  // Saved again: the switch and the group are written, the group reaches the server.
  wxWeakRef<ContactInfoFrame> gone(cora);
  Press(Button(cora, "&Save"), [&] { return !gone; });
  EXPECT_EQ(1u, boxes.seen.size());
  auto filed = Await(C2S_Request_PR_contactgroup);
  ASSERT_TRUE(filed);
  EXPECT_EQ("Home", Text(filed->choice.contactgroup.group));
  record = RecordInFile("cora");
  EXPECT_NE(std::string::npos, record.find("<first>close-visual</first>")) << record;
  EXPECT_NE(std::string::npos, record.find("<group>Home</group>")) << record;
}

// The button's command, as a press gives it.
void Pressed(wxButton* button) {
  wxCommandEvent event(wxEVT_BUTTON, button->GetId());
  event.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(event);
}

// A group renamed in the contacts manager while a profile is open: the profile shows the new
// name and has nothing to save; a group chosen there and not saved yet follows the new name.
TEST_F(ProfilesTest, AGroupRenamedInTheContactsManagerIsReadAsSuch) {
  ASSERT_TRUE(LogIn());
  Config::GetInstance()->AddGroup("Work");
  Config::GetInstance()->AddGroup("Home");
  Send({"bert", "Bert", "none", "Work"});
  Send({"dina", "Dina", "none", "Work"});
  ContactInfoFrame* bert = OpenProfile("bert");
  ContactInfoFrame* dina = OpenProfile("dina");
  ASSERT_TRUE(bert && dina);
  wxComboBox* dinaGroups = dina->GetPanel()->GetGroupCombo();
  Choose(dinaGroups, dinaGroups->FindString("Home"));
  ASSERT_TRUE(dina->GetChosenGroup());

  auto* manager = FindChild<ContactsShortFrame>(frame, [](ContactsShortFrame*) { return true; });
  ASSERT_TRUE(manager);
  manager->Show();
  manager->Move(20, 20);
  ASSERT_TRUE(PumpUntil([&] { return manager->IsShownOnScreen(); }));
  auto* managerGroups = FindChild<wxComboBox>(manager, [](wxComboBox*) { return true; });
  ASSERT_TRUE(managerGroups);
  Choose(managerGroups, managerGroups->FindString("Work"));
  wxButton* rename = guitest::ButtonLabelled(manager, "Rename");
  ASSERT_TRUE(rename && rename->IsEnabled());
  {
    TextAnswer answer("Team");
    Pressed(rename);
    EXPECT_EQ(1, answer.asked);
  }
  ASSERT_TRUE(PumpUntil([&] { return GetManager()->GetContactInfo("bert")->GetGroup() == "Team"; }));
  wxComboBox* bertGroups = bert->GetPanel()->GetGroupCombo();
  PumpUntil([&] { return bertGroups->GetStringSelection() == "Team"; });
  guitest::Pump(50);
  EXPECT_EQ("Team", bertGroups->GetStringSelection());
  EXPECT_FALSE(Button(bert, "&Save")->IsEnabled());
  EXPECT_FALSE(Button(bert, "&Cancel")->IsEnabled());
  EXPECT_FALSE(bert->GetChosenGroup());
  EXPECT_EQ("Home", dinaGroups->GetStringSelection());

  // "Home" renamed while dina's window waits with it: it waits with the new name.
  Choose(managerGroups, managerGroups->FindString("Home"));
  {
    TextAnswer answer("House");
    Pressed(rename);
    EXPECT_EQ(1, answer.asked);
  }
  ASSERT_TRUE(PumpUntil([&] { return dinaGroups->GetStringSelection() == "House"; }));
  ASSERT_TRUE(dina->GetChosenGroup());
  EXPECT_EQ("House", *dina->GetChosenGroup());
  manager->Show(false);
  wxWeakRef<ContactInfoFrame> gone(dina);
  Press(Button(dina, "&Save"), [&] { return !gone; });
  ASSERT_TRUE(PumpUntil([&] { return GetManager()->GetContactInfo("dina")->GetGroup() == "House"; }));
  // bert's window still has nothing to save, and shows his renamed group.
  EXPECT_FALSE(Button(bert, "&Save")->IsEnabled());
  EXPECT_EQ("Team", bertGroups->GetStringSelection());
  EXPECT_EQ("Team", GetManager()->GetContactInfo("bert")->GetGroup());
}

namespace {

// `inner` lies whole inside the client area of each of its parents, up to its window; a failure
// is reported unless `quiet`.
bool ShownWhole(wxWindow* inner, bool quiet = false) {
  const wxRect rect(inner->GetScreenPosition(), inner->GetSize());
  for (wxWindow* parent = inner->GetParent(); parent; parent = parent->GetParent()) {
    const wxRect area(parent->ClientToScreen(wxPoint(0, 0)), parent->GetClientSize());
    if (!area.Contains(rect)) {
      if (quiet) return false;
      ADD_FAILURE() << "(" << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << ") outside "
                    << parent->GetClassInfo()->GetClassName() << " (" << area.x << "," << area.y << " " << area.width
                    << "x" << area.height << ")";
      return false;
    }
    if (parent->IsTopLevel()) break;
  }
  return true;
}

}  // namespace

// A contact's profile shows the contact's large avatar whole.
TEST_F(ProfilesTest, AContactsProfileShowsTheWholeAvatar) {
  ASSERT_TRUE(LogIn());
  Send({"carl", "Carl", "none"});
  ContactInfoFrame* carl = OpenProfile("carl");
  ASSERT_TRUE(carl);
  auto* avatar = FindChild<AvatarBitmapPanel>(carl, [](AvatarBitmapPanel*) { return true; });
  ASSERT_TRUE(avatar);
  // Drawn and laid out once the window has handled its sizes.
  PumpUntil([&] {
    const wxSize size = avatar->GetPicture()->GetBitmap().GetSize();
    return size.x >= 48 && size == avatar->GetPicture()->GetSize() && ShownWhole(avatar->GetPicture(), true);
  });
  wxWindow* picture = avatar->GetPicture();
  const wxSize drawn = avatar->GetPicture()->GetBitmap().GetSize();
  EXPECT_GE(drawn.x, 48) << "the large avatar";
  EXPECT_EQ(drawn, picture->GetSize());
  EXPECT_TRUE(ShownWhole(picture));
}
