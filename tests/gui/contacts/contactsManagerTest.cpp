// The contacts manager window on its own, not connected: its state after construction, the
// sorting choices and the settings they write, the default switches of a new settings file and
// their clicks, the group names it takes or refuses, the group kept chosen across rebuilds, its
// links; and the contacts list's blocks released while their work is still queued.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>

#include "core/application.h"
#include "gui/contacts/contactButtonBitmapNotifier2.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "gui/webBrowser.h"
#include "model/contactEvent.h"
#include "model/version.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "tests/gui/contacts/modalAnswer.h"

namespace {

using contactstest::EnterText;
using contactstest::ExpectMessage;

class ContactsManager : public contactstest::ContactsListTest {
 protected:
  void TearDown() override {
    browser::SetRecorder(nullptr);
    ContactsListTest::TearDown();
  }
  ContactsShortFrame* Open() {
    m_window = new ContactsShortFrame(m_frame, GetManager(), nullptr);
    return m_window;
  }
  template <class T>
  T* Find(const std::function<bool(T*)>& pred) {
    return guitest::FindChild<T>(m_window, pred);
  }
  wxButton* Button(const wxString& label) { return guitest::ButtonLabelled(m_window, label); }
  wxRadioButton* Radio(const wxString& label, int nth = 0) {
    for (wxRadioButton* radio : guitest::FindChildren<wxRadioButton>(m_window))
      if (radio->GetLabel() == label && nth-- == 0) return radio;
    return nullptr;
  }
  wxComboBox* Groups() { return Find<wxComboBox>([](wxComboBox*) { return true; }); }
  ContactButtonBitmapNotifier2* Switch(const std::string& key) {
    return Find<ContactButtonBitmapNotifier2>([&](ContactButtonBitmapNotifier2* s) { return s->GetKey() == key; });
  }
  // A press on the switch's picture, as the mouse gives it.
  void Press(const std::string& key) {
    wxMouseEvent press(wxEVT_LEFT_DOWN);
    press.SetEventObject(Switch(key)->GetBitmapControl());
    Switch(key)->GetBitmapControl()->ProcessWindowEvent(press);
  }
  void Command(wxWindow* control, wxEventType type) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    control->ProcessWindowEvent(event);
  }
  std::string Entries() {
    std::string text;
    for (unsigned i = 0; i < Groups()->GetCount(); ++i) text += "[" + Groups()->GetString(i).ToStdString() + "]";
    return text;
  }

  ContactsShortFrame* m_window = nullptr;
};

TEST_F(ContactsManager, StartsFromTheStoredSortingAndSortingWritesBothSettings) {
  // A stored mode other than 0 means classified; an offline value from elsewhere changes nothing
  // until the user picks.
  const struct {
    int mode, offline;
    const char* classify;
    const char* shown;
  } rows[] = {{0, 0, "No", "No"}, {1, 1, "Yes", "In a separate group"}, {5, 2, "Yes", "Inside their group"},
              {0, 7, "No", nullptr}};
  Config* config = Config::GetInstance();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.offline);
    config->SetGroupMode(row.mode);
    config->SetGroupOffline(row.offline);
    Open();
    EXPECT_TRUE(Radio(row.classify)->GetValue());
    if (row.shown) { EXPECT_TRUE(Radio(row.shown, std::string(row.shown) == "No" ? 1 : 0)->GetValue()); }
    EXPECT_EQ(row.offline, config->GetGroupOffline());
    EXPECT_FALSE(m_window->IsShown());
    for (const char* off : {"Check and invite", "Rename", "Remove", "Clear all"}) EXPECT_FALSE(Button(off)->IsEnabled()) << off;
    EXPECT_TRUE(Button("Add")->IsEnabled());
    EXPECT_EQ("[No group][New group...]", Entries());
    EXPECT_EQ(0, Groups()->GetSelection());
    m_window->Destroy();
  }
  // One choice writes both settings.
  config->SetGroupMode(0);
  config->SetGroupOffline(7);
  Open();
  Radio("In a separate group")->SetValue(true);
  Command(Radio("In a separate group"), wxEVT_RADIOBUTTON);
  EXPECT_EQ(0, config->GetGroupMode());
  EXPECT_EQ(1, config->GetGroupOffline());
  Radio("Yes")->SetValue(true);
  Command(Radio("Yes"), wxEVT_RADIOBUTTON);
  EXPECT_EQ(1, config->GetGroupMode());
  EXPECT_EQ(1, config->GetGroupOffline());
  // The invite button follows the connection and the field.
  m_window->SetConnectionStatus(true);
  EXPECT_FALSE(Button("Check and invite")->IsEnabled());
  Find<wxTextCtrl>([](wxTextCtrl*) { return true; })->ChangeValue("bob");
  m_window->SetConnectionStatus(true);
  EXPECT_TRUE(Button("Check and invite")->IsEnabled());
  m_window->SetConnectionStatus(false);
  EXPECT_FALSE(Button("Check and invite")->IsEnabled());
}

TEST_F(ContactsManager, DefaultSwitchesOfANewSettingsFileAndTheirPresses) {
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  const std::map<std::string, bool> saved = defaults->GetNotifications();
  defaults->SetNotifications({{"login-visual", true}, {"login-bell", false}, {"logout-visual", true},
                              {"logout-bell", false}, {"open-visual", true}, {"open-bell", false},
                              {"close-visual", false}, {"close-bell", false}, {"subscribe-visual", false},
                              {"subscribe-bell", false}, {"unsubscribe-visual", false}, {"unsubscribe-bell", false}});
  Open();
  const char* on[] = {"login-visual", "logout-visual", "open-visual"};
  for (const char* event : {"login", "logout", "open", "close", "subscribe", "unsubscribe", "message"}) {
    const std::string visual = std::string(event) + "-visual", bell = std::string(event) + "-bell";
    const bool popup = std::find(std::begin(on), std::end(on), visual) != std::end(on);
    EXPECT_EQ(popup ? "Visual notification" : "No visual notification", Switch(visual)->GetToolTipText()) << visual;
    EXPECT_EQ("No audio notification", Switch(bell)->GetToolTipText()) << bell;
  }
  // The message keys, missing, are now stored as off: every key decides.
  EXPECT_EQ(NOTIFICATION_OFF, defaults->GetNotification("message-visual"));
  EXPECT_EQ(NOTIFICATION_OFF, defaults->GetNotification("message-bell"));
  EXPECT_EQ(14u, defaults->GetNotifications().size());
  // A press on a sound switch turns only its key; two presses bring it all back.
  const wxBitmap visualBefore = Switch("close-visual")->GetBitmapControl()->GetBitmap();
  Press("close-bell");
  EXPECT_EQ(NOTIFICATION_ON, defaults->GetNotification("close-bell"));
  EXPECT_EQ(NOTIFICATION_OFF, defaults->GetNotification("close-visual"));
  EXPECT_EQ("Audio notification", Switch("close-bell")->GetToolTipText());
  EXPECT_TRUE(Switch("close-visual")->GetBitmapControl()->GetBitmap().IsSameAs(visualBefore));
  Press("close-bell");
  EXPECT_EQ(NOTIFICATION_OFF, defaults->GetNotification("close-bell"));
  EXPECT_EQ("No audio notification", Switch("close-bell")->GetToolTipText());
  // A key taken out meanwhile (not set) comes back on at the next press.
  defaults->SetNotification("open-visual", NOTIFICATION_NOT_SET);
  Press("open-visual");
  EXPECT_EQ(NOTIFICATION_ON, defaults->GetNotification("open-visual"));
  EXPECT_EQ("", ContactsShortFrame::SelectToolTip(defaults, "no-such-visual", true));
  defaults->SetNotifications(saved);
}

TEST_F(ContactsManager, GroupNamesTakenAndRefusedAndTheChosenGroupKeptByName) {
  Open();
  Config* config = Config::GetInstance();
  const std::string thirty(30, 'x');
  // "Add": thirty characters are taken, thirty-one refused with a message; the list's own
  // sections, an empty name and a name already there change nothing.
  wxTEST_DIALOG(Command(Button("Add"), wxEVT_BUTTON), EnterText(thirty));
  EXPECT_EQ(std::vector<std::string>{thirty}, config->GetGroups());
  EXPECT_EQ(thirty, Groups()->GetStringSelection().ToStdString());
  EXPECT_FALSE(Button("Rename")->IsEnabled());
  wxTEST_DIALOG(Command(Button("Add"), wxEVT_BUTTON), EnterText(thirty + "y"),
                ExpectMessage("Group name too long", "New group name too long, maximum 30 characters."));
  for (const char* refused : {"     ONLINE", "    OFFLINE", "", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}) {
    wxTEST_DIALOG(Command(Button("Add"), wxEVT_BUTTON), EnterText(refused));
    EXPECT_EQ(0, Groups()->GetSelection()) << refused;
  }
  EXPECT_EQ(std::vector<std::string>{thirty}, config->GetGroups());
  // "New group..." as the last entry; a group named so stands among the others.
  Groups()->SetSelection(2);
  wxTEST_DIALOG(Command(Groups(), wxEVT_COMBOBOX), EnterText("New group..."));
  EXPECT_EQ("[No group][New group...][" + thirty + "][New group...]", Entries());
  EXPECT_EQ(0, Groups()->GetSelection());
  // A group chosen stays chosen while others come before it, and goes back to "No group" when
  // it is gone. Not connected, it cannot be changed from here.
  Groups()->SetSelection(2);
  Command(Groups(), wxEVT_COMBOBOX);
  EXPECT_FALSE(Button("Rename")->IsEnabled());
  config->AddGroup("Alpha");
  m_window->UpdateGroups();
  EXPECT_EQ(thirty, Groups()->GetStringSelection().ToStdString());
  config->RemoveGroup(thirty);
  m_window->UpdateGroups();
  EXPECT_EQ(0, Groups()->GetSelection());
  // "Remove" pressed on no group does nothing.
  Command(Button("Remove"), wxEVT_BUTTON);
  EXPECT_EQ((std::vector<std::string>{"Alpha", "New group..."}), config->GetGroups());
}

// Five rows show whole in the requests list, and the list takes the height the window gains.
TEST_F(ContactsManager, TheRequestsListShowsItsRowsAndGrowsWithTheWindow) {
  Open();
  m_window->Move(40, 40);
  m_window->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_window->IsShownOnScreen(); }));
  for (int i = 0; i < 5; ++i)
    m_window->UpdateContactEvent(
        ContactEvent(-1, CE_REMOVED, "none", "user" + std::to_string(i), "User " + std::to_string(i), ""));
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_window->GetRequestRows().size() == 5u; }));
  wxScrolledWindow* list = m_window->GetRequestsList();
  // The rows are laid out once the window has handled its resizes.
  auto laidOut = [&] {
    const wxRect visible(list->GetScreenPosition(), list->GetClientSize());
    for (ShortContactInfoPanel* row : m_window->GetRequestRows())
      if (!visible.Contains(wxRect(row->GetScreenPosition(), row->GetSize()))) return false;
    return true;
  };
  guitest::PumpUntil(laidOut);
  const wxRect visible(list->GetScreenPosition(), list->GetClientSize());
  for (ShortContactInfoPanel* row : m_window->GetRequestRows()) {
    const wxRect shown(row->GetScreenPosition(), row->GetSize());
    EXPECT_TRUE(visible.Contains(shown)) << "row " << shown.y << "+" << shown.height << " in the list's "
                                         << visible.y << "+" << visible.height;
  }
  EXPECT_TRUE(wxRect(m_window->GetScreenPosition(), m_window->GetSize()).Contains(visible));
  const int height = list->GetSize().y;
  m_window->SetSize(m_window->GetSize() + wxSize(0, 120));
  EXPECT_TRUE(guitest::PumpUntil([&] { return list->GetSize().y >= height + 100; })) << list->GetSize().y;
}

TEST_F(ContactsManager, LinksOpenTheInvitationAndTheGuide) {
  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  Open();
  for (const char* label : {"Click here to go to our website for advanced research functions", "Help?"}) {
    wxStaticText* link = Find<wxStaticText>([&](wxStaticText* t) { return t->GetLabel() == label; });
    ASSERT_TRUE(link) << label;
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetEventObject(link);
    link->ProcessWindowEvent(up);
  }
  std::string site = GetManager()->GetWebSiteURL();
  while (!site.empty() && site.back() == '/') site.pop_back();
  EXPECT_EQ((std::vector<std::string>{site + "/common/invite/index.php?token=" + GetManager()->GetWebToken(),
                                      site + "/common/help/" + kProgramVersion + "/userguide.php#contactsmanager"}),
            opened);
}

// The contacts list rebuilt while a question holds its old blocks, then torn down before they
// went and before their queued placing ran; an update record freed through its base.
TEST_F(ContactsManager, ListBlocksReleasedWithTheirWorkStillQueued) {
  Config::GetInstance()->AddGroup("work");
  Config::GetInstance()->SetGroupMode(1);
  Save(Contact("bob", "Bob", STATUS_ONLINE, "work"));
  Save(Contact("carol", "Carol", STATUS_OFFLINE));
  ContactsPanel* panel = ContactsListTest::Open();
  {
    lateDestruction::Hold question;
    panel->InitPrivateContactsGroups();
    EXPECT_GT(lateDestruction::Waiting(), 0);
    panel->Destroy();
    m_panel = nullptr;
  }
  EXPECT_EQ(0, lateDestruction::Waiting());
  guitest::Pump(50);
  wxObject* update = new URLContactInfo("none", 1, Contact("bob", "Bob", STATUS_ONLINE), true, false, false);
  delete update;
}

}  // namespace
