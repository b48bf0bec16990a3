// The whole program on the stand-in server, the browser extension played by curl on the
// listener's port and bob on the same site through the client's code: the site's panel comes with
// its count, bob's avatar arrives with its notice, the room is entered from the site's menu by a
// real click and a message goes each way, the site is closed by the extension and by the menu
// (one closeurl each), and blocked, local and hostile addresses are answered as the listener and
// the controller define.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/writeMessagePanel.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/siteInfoToolTip.h"
#include "tests/gui/sites/siteTipKeyboard.h"
#include "tests/gui/sites/sitesSessionFixture.h"
#include "tests/program/keyboard.h"
#include "widgets/toolkitFunction.h"

// Last: the X headers' names would shadow the tool kit's.
#include <X11/Xlib.h>

namespace {

// Other users' clients and the controllers of the window tests run before in this process: none
// of them takes the extension listener's way to the program's controller, or leaves it without.
class SitesPanelSession : public sitestest::SitesSession {
 protected:
  size_t Count(const std::string& line, size_t from) {
    size_t n = 0;
    const programtest::Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i) n += lines[i] == line;
    return n;
  }
};

TEST_F(SitesPanelSession, ASiteOpensFillsIsEnteredFromItsMenuAndClosesEitherWay) {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const std::string site = "http://Example.ORG/page";
  // The extension says hello, then opens a page: the answer is the number of users on the site.
  EXPECT_FALSE(Answer(Browse("CHECK:ext1")).empty());
  ASSERT_TRUE(Until([&] { return Sites()->GetExtensionButton("ext1") != nullptr; }));
  size_t mark = JournalSize();
  const std::string users = Answer(Browse(site));
  EXPECT_TRUE(!users.empty() && users[0] != '-') << users;
  EXPECT_TRUE(AwaitJournal("alice openurl site=\"" + site + "\"", mark));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  SitePanel* panel = Sites()->FindSitePanel(site);
  EXPECT_EQ("Example.ORG/page", panel->GetSiteLabel()->GetInnerText()->GetLabelText());

  // Bob comes to the same site: his avatar arrives with its notice (on by default).
  for (const char* key : {"open-visual", "open-bell"})
    GetManager()->GetDefaultContactInfo()->SetNotification(key, NOTIFICATION_ON);
  NewPopups();
  standintest::TestUser& bob = LogIn("bob");
  bob.Link().SendOpenChatRoom(bob.Key(), site);
  ASSERT_TRUE(Until([&] { return panel->FindContact("bob") != nullptr; }));
  EXPECT_EQ("1", panel->GetUsersLabel()->GetInnerText()->GetLabelText());
  EXPECT_TRUE(Until([&] {
    for (const std::string& line : NewPopups())
      if (line.find("also visits") != std::string::npos) return true;
    return false;
  }));

  // The room entered from the site's menu, a message each way.
  mark = JournalSize();
  PickSiteMenu(panel, 1);
  EXPECT_TRUE(AwaitJournal("alice suburl site=\"" + site + "\"", mark));
  ASSERT_TRUE(Until([&] { return panel->IsSubscribed(); }));
  ASSERT_TRUE(Enter(bob, site));
  ASSERT_TRUE(Until([&] { return panel->FindContact("bob") && panel->FindContact("bob")->GetContact().IsSubscribedTo(site); }));
  EXPECT_EQ("1", panel->GetChatRoomUsersLabel()->GetInnerText()->GetLabelText());
  EXPECT_TRUE(GetManager()->SendMessage(site, "Hello bob"));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_message));
  mark = JournalSize();
  bob.Link().SendMessage(bob.Key(), site, "Hello alice");
  EXPECT_TRUE(AwaitJournal("bob sendmessage site=\"" + site + "\" message=\"Hello alice\"", mark));

  // Closed by the extension: one closeurl, the panel gone.
  mark = JournalSize();
  Answer(Browse("CLOSE:" + site));
  EXPECT_TRUE(AwaitJournal("alice closeurl site=\"" + site + "\"", mark));
  EXPECT_TRUE(Until([&] { return Sites()->FindSitePanel(site) == nullptr; }));

  // Another site closed from its menu: one closeurl.
  const std::string other = "http://other.example/";
  Answer(Browse(other));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(other) != nullptr; }));
  mark = JournalSize();
  PickSiteMenu(Sites()->FindSitePanel(other), 2);
  EXPECT_TRUE(AwaitJournal("alice closeurl site=\"" + other + "\"", mark));
  EXPECT_TRUE(Until([&] { return Sites()->FindSitePanel(other) == nullptr; }));
  Settle();
  EXPECT_EQ(1u, Count("alice closeurl site=\"" + other + "\"", mark));
}

// grace comes to the user's site, online, outside its room: the panel shows her by her
// nickname, and her profile, opened from her avatar's menu by a real click, shows her nickname
// and presence. heidi, whose record no window asks for, keeps hers while the panel shows her and
// loses it once the panel no longer does: when she leaves the site, and when she came back and
// the site closes. grace's record, read by her profile, stays.
TEST_F(SitesPanelSession, ANewcomersRecordLivesWhileThePanelShowsThem) {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const std::string site = "http://newcomers.example/";
  Answer(Browse(site));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  SitePanel* panel = Sites()->FindSitePanel(site);
  Manager* manager = GetManager();
  standintest::TestUser& grace = LogIn("grace");
  grace.Link().SendOpenChatRoom(grace.Key(), site);
  ASSERT_TRUE(Until([&] { return panel->FindContact("grace") != nullptr; }));
  EXPECT_EQ("Grace", panel->FindContact("grace")->GetContact().GetNickname());
  EXPECT_EQ(STATUS_ONLINE, panel->FindContact("grace")->GetContact().GetStatus());
  PickMenu(panel, panel->FindContact("grace"), 2);
  ContactInfoFrame* profile = nullptr;
  ASSERT_TRUE(Until([&] {
    profile = ContactInfoFrame::GetContactInfoFor("grace");
    return profile && profile->IsShownOnScreen();
  }));
  auto* shown = guitest::FindChild<ContactEntry>(profile, [](ContactEntry*) { return true; });
  ASSERT_TRUE(shown);
  EXPECT_EQ("Grace", shown->GetNickname());
  EXPECT_EQ(STATUS_ONLINE, shown->GetStatus());

  standintest::TestUser& heidi = LogIn("heidi");
  auto comes = [&] {
    heidi.Link().SendOpenChatRoom(heidi.Key(), site);
    ASSERT_TRUE(Until([&] { return panel->FindContact("heidi") != nullptr; }));
    EXPECT_EQ("Heidi", manager->GetNickname("heidi"));
  };
  comes();
  heidi.Link().SendCloseChatRoom(heidi.Key(), site);
  ASSERT_TRUE(Until([&] { return panel->FindContact("heidi") == nullptr; }));
  EXPECT_EQ("<heidi>", manager->GetNickname("heidi"));
  comes();
  Answer(Browse("CLOSE:" + site));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) == nullptr; }));
  EXPECT_EQ("<heidi>", manager->GetNickname("heidi"));
  EXPECT_EQ("Grace", manager->GetNickname("grace"));
}

TEST_F(SitesPanelSession, BlockedLocalAndHostileAddressesAreAnsweredAndShownSafely) {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const size_t mark = JournalSize();
  // A site the user blocked, and the user's own machine: answered without the server.
  GetManager()->SetSiteStatus("http://blocked.example/", SITE_BLOCKED);
  EXPECT_EQ("-11", Answer(Browse("http://blocked.example/")));
  EXPECT_EQ("-12", Answer(Browse("http://127.0.0.1/intranet")));
  EXPECT_EQ("-12", Answer(Browse("http://localhost:8080/intranet")));
  // Markup and an ampersand come as they are.
  const std::string markup = "http://markup.example/<b>x</b>&y=1";
  Answer(Browse(markup));
  EXPECT_TRUE(Until([&] { return Sites()->FindSitePanel(markup) != nullptr; }));
  if (SitePanel* panel = Sites()->FindSitePanel(markup)) {
    // Whole, or as much as the label's width takes followed by "...".
    const wxString shown = panel->GetSiteLabel()->GetInnerText()->GetLabelText();
    wxString kept;
    EXPECT_TRUE(shown == "markup.example/<b>x</b>&y=1" ||
                (shown.EndsWith("...", &kept) && wxString("markup.example/<b>x</b>&y=1").StartsWith(kept)))
        << shown;
  }
  // An address of 100 KiB makes a request line longer than the listener reads: the connection
  // is closed at once without an answer (curl: empty reply, or reset while sending or receiving;
  // not its time-out), and nothing of it goes further.
  const std::string longSite = "http://long.example/" + std::string(100 * 1024, 'a');
  const std::string refused = Answer(Browse(longSite, "%{exitcode}"));
  EXPECT_TRUE(refused == "52" || refused == "55" || refused == "56") << refused.substr(0, 80);
  // One that the listener takes whole is entered, and its name shown cut: its first letters
  // followed by "...". Its panel comes after anything the longer one could have brought.
  const std::string cutName = "cut.example/" + std::string(800, 'b');
  const std::string cutSite = "http://" + cutName;
  Answer(Browse(cutSite));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(cutSite) != nullptr; }));
  const wxString shown = Sites()->FindSitePanel(cutSite)->GetSiteLabel()->GetInnerText()->GetLabelText();
  wxString kept;
  EXPECT_LE(shown.length(), SitePanel::kMaxName + 2) << shown;
  EXPECT_TRUE(shown.EndsWith("...", &kept) && !kept.empty() && wxString(cutName).StartsWith(kept)) << shown;
  for (SitePanel* panel : Sites()->GetSitePanels()) {
    const wxString label = panel->GetSiteLabel()->GetInnerText()->GetLabelText();
    EXPECT_LE(label.length(), SitePanel::kMaxName + 2) << label;
    EXPECT_FALSE(label.StartsWith("long.example")) << label;
  }
  const programtest::Lines lines = Journal();
  for (size_t i = mark; i < lines.size(); ++i) {
    EXPECT_EQ(std::string::npos, lines[i].find("blocked.example")) << lines[i];
    EXPECT_EQ(std::string::npos, lines[i].find("intranet")) << lines[i];
    EXPECT_EQ(std::string::npos, lines[i].find("long.example")) << lines[i].substr(0, 80);
  }
}

using sitestest::SiteTipKeyboardSession;

TEST_F(SiteTipKeyboardSession, WithoutAWindowManagerKeysTypedWhileTheTipComesAndGoesReachTheRoom) {
  TypeWhileTheTipComesAndGoes();
}

}  // namespace
