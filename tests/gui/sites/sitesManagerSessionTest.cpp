// The whole program on the stand-in, curl playing the browser extension on the listener's port:
// sites typed into the manager's lists by real typing are answered and entered (or not) as their
// status says, a favourite's switches saved are in force for the next message and in the
// settings file after exit, several sites are removed at once.
#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <future>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/sites/myButtonBitmapNotifier.h"
#include "gui/sites/sitesList.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "gui/sites/webSitesShortFrame.h"
#include "gui/toolBar.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/systemInfoPlatform.h"
#include "network/localServer.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/sites/sitesManagerFixture.h"
#include "tests/gui/sites/sitesSessionFixture.h"

namespace {

using sitestest::Click;

class SitesManagerSession : public sitestest::SitesSession {
 protected:
  // Types the text into the add dialog of `list`, running `meanwhile` while the dialog is open.
  void Add(SitesList* list, const std::string& text, const std::function<void()>& meanwhile = nullptr) {
    m_dialogs.drive = [text, meanwhile](wxDialog* dialog) {
      if (meanwhile) meanwhile();
      dialog->Raise();
      auto* field = guitest::FindChild<wxTextCtrl>(dialog, [](wxTextCtrl*) { return true; });
      wxUIActionSimulator sim;
      guitest::PumpUntil([&] { return field->HasFocus(); });
      sim.Text(text.c_str());
      guitest::PumpUntil([&] { return field->GetValue() == wxString::FromUTF8(text); });
      sim.Char(WXK_RETURN);
    };
    wxGetTopLevelParent(list)->Raise();
    auto* add = guitest::FindChild<wxWindow>(list, [](wxWindow* w) { return w->GetToolTipText() == "Click to add a new site"; });
    const int before = m_dialogs.others;
    ASSERT_TRUE(Click(add, [&] { return m_dialogs.others > before && !m_dialogs.driver->IsRunning(); }));
    Settle();
  }
  static std::vector<std::string> Lines(SitesList* list) {
    std::vector<std::string> lines;
    for (const wxString& line : list->GetListBox()->GetStrings()) lines.push_back(line.utf8_string());
    return lines;
  }
  // Ends the program as the user does; the settings file is then written.
  std::string SettingsAfterExit() {
    Exit();
    return testsupport::ReadFile(Home() + ".parlavox/parlavox.xml");
  }
  sitestest::Dialogs m_dialogs;
};

TEST_F(SitesManagerSession, ASiteTypedIntoTheBlockedListIsLeftAndNeverEnteredAgain) {
  // The browser shows a site: its room is entered.
  EXPECT_NE("-11", Answer(Browse("http://news.example/")));
  ASSERT_TRUE(AwaitJournal("alice openurl site=\"http://news.example/\""));
  WebSitesShortFrame* manager = OpenManager();
  SitesList* blocked = manager->GetBlockedList();
  const size_t mark = JournalSize();
  // Typed in capitals without a scheme, while the manager is hidden and the extension closes
  // another site: the room is left, the extension told.
  EXPECT_NE("-11", Answer(Browse("http://other.example/")));
  ASSERT_TRUE(AwaitJournal("alice openurl site=\"http://other.example/\""));
  Add(blocked, "NEWS.Example", [&] {
    manager->Show(0);
    Browse("CLOSE:http://other.example/");
    EXPECT_TRUE(AwaitJournal("alice closeurl site=\"http://other.example/\"", mark));
  });
  EXPECT_TRUE(AwaitJournal("alice closeurl site=\"http://news.example/\"", mark));
  EXPECT_EQ("-11", Answer(Browse("ASK:http://news.example/")));
  EXPECT_EQ(std::vector<std::string>{"news.example/"}, Lines(blocked));
  // A site blocked before the browser shows it is never entered.
  manager = OpenManager();
  Add(blocked, "quiet.example");
  EXPECT_EQ("-11", Answer(Browse("http://quiet.example/")));
  Settle();
  for (const std::string& line : Journal()) EXPECT_EQ(std::string::npos, line.find("quiet.example")) << line;
}

TEST_F(SitesManagerSession, AFavouritesSwitchesSavedAreInForceAndInTheFileAfterExit) {
  // Other Parlavoxers' messages raise nothing by default. The settings live on after the test:
  // they are put back at its end.
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  struct Restore {
    ContactInfo* defaults;
    std::map<std::string, bool> kept;
    ~Restore() {
      defaults->SetNotifications(kept);
      Config::GetInstance()->SetDefaultSiteStatus(SITE_OPEN);
    }
  } restore{defaults, defaults->GetNotifications()};
  defaults->SetNotification("message-visual", NOTIFICATION_OFF);
  defaults->SetNotification("message-bell", NOTIFICATION_OFF);
  // Blocked by default, the favourite always opened.
  WebSitesShortFrame* manager = OpenManager();
  auto* blockedByDefault = guitest::FindChild<wxRadioButton>(
      manager, [](wxRadioButton* b) { return b->GetLabel() == "Sites are blocked by default ..."; });
  ASSERT_TRUE(Click(blockedByDefault, [&] { return GetManager()->GetDefaultSiteStatus() == SITE_BLOCKED; }));
  Add(manager->GetOpenedList(), "fav.example");
  EXPECT_EQ("-11", Answer(Browse("http://elsewhere.example/")));
  EXPECT_NE("-11", Answer(Browse("http://fav.example/")));
  const std::string site = "http://fav.example/";
  GetManager()->SubscribeChatRoom(site);
  ASSERT_TRUE(AwaitJournal("alice suburl site=\"" + site + "\""));
  // Its chat room opens in the rooms' window, which comes in front when it appears.
  ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site) && Rooms()->IsShownOnScreen(); }));

  // The site's window: pop-up and sound on for other Parlavoxers' messages, then Save.
  auto* window = new WebSiteInfoFrame(Frame(), GetManager(), site, true);
  window->Show();
  ASSERT_TRUE(Until([&] { return window->IsShownOnScreen(); }));
  for (const char* key : {"message-visual-contact", "message-bell-contact"})
    ASSERT_TRUE(Click(window->GetSwitch(key)->GetBitmapControl(),
                      [&] { return window->GetWorkingNotifications().count(key) == 1; }));
  wxButton* save = guitest::FindChild<wxButton>(window, [](wxButton* b) { return b->GetLabel() == "&Save"; });
  ASSERT_TRUE(Click(save, [&] { return !window->IsShown(); }));

  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, site));
  // His arrival (and its notice) is over before his message.
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) && Sites()->FindSitePanel(site)->FindContact("bob"); }));
  Settle();
  NewPopups();
  NewSounds();
  bob.Link().SendMessage(bob.Key(), site, "Hello from the favourite");
  ASSERT_TRUE(Until([&] { return !NewSounds().empty(); }));
  AwaitPopups(1);
  Settle();
  const programtest::Lines popups = NewPopups();
  ASSERT_EQ(1u, popups.size()) << ::testing::PrintToString(popups);
  EXPECT_NE(std::string::npos, popups[0].find("Bob"));

  const std::string file = SettingsAfterExit();
  const size_t at = file.find("<url>http://fav.example/</url>");
  ASSERT_NE(std::string::npos, at) << file;
  const std::string record = file.substr(at, file.find("</notifications>", at) - at);
  for (const char* key : {"message-visual-contact", "message-bell-contact"})
    EXPECT_NE(std::string::npos, record.find(key)) << record;
}

TEST_F(SitesManagerSession, SeveralSitesRemovedAtOnce) {
  ASSERT_EQ(SITE_OPEN, GetManager()->GetDefaultSiteStatus());
  EXPECT_NE("-11", Answer(Browse("http://shared.example/")));
  ASSERT_TRUE(AwaitJournal("alice openurl site=\"http://shared.example/\""));
  WebSitesShortFrame* manager = OpenManager();
  // Three sites blocked by typing; the first and the third removed with one Delete.
  SitesList* blocked = manager->GetBlockedList();
  for (const char* typed : {"one.example", "shared.example", "three.example"}) Add(blocked, typed);
  ASSERT_TRUE(AwaitJournal("alice closeurl site=\"http://shared.example/\""));
  const size_t mark = JournalSize();
  wxListBox* box = blocked->GetListBox();
  const unsigned lines = box->GetCount();
  manager->Raise();
  ASSERT_TRUE(Click(box, [&] { return box->HasFocus(); }));
  for (unsigned i = 0; i < box->GetCount(); ++i) box->Deselect(i);
  box->SetSelection(box->FindString("one.example/"));
  box->SetSelection(box->FindString("shared.example/"));
  wxUIActionSimulator().Char(WXK_DELETE);
  ASSERT_TRUE(Until([&] { return box->GetCount() == lines - 2; }));
  EXPECT_EQ(wxNOT_FOUND, box->FindString("one.example/"));
  EXPECT_EQ(wxNOT_FOUND, box->FindString("shared.example/"));
  EXPECT_NE(wxNOT_FOUND, box->FindString("three.example/"));
  EXPECT_EQ(SITE_DEFAULT, GetManager()->GetURLInfo("http://one.example/")->GetStatus());
  EXPECT_EQ(SITE_BLOCKED, GetManager()->GetURLInfo("http://three.example/")->GetStatus());
  // Following the default again (open), the site the browser shows is entered again.
  EXPECT_TRUE(AwaitJournal("alice openurl site=\"http://shared.example/\"", mark));
}

}  // namespace
