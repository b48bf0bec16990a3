// The sites panel: one panel per site in opening order, found by the exact URL, the newest
// scrolled into view; the extension buttons and their states; the looks where the pointer is, for
// the tips, only after it moved.
#include <gtest/gtest.h>
#include <wx/statbmp.h>

#include <functional>

#include "gui/profiles/contactInfoToolTip.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/extensionButtonBitmap.h"
#include "gui/pictures.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Person;
using sitestest::Site;
using sitestest::SitesPanelTest;

TEST_F(SitesPanelTest, SitesStandInOpeningOrderEachOnceByItsExactAddress) {
  SitePanel* first = m_sites->AddSitePanel(Site("http://a.example/"), "a.example/");
  SitePanel* second = m_sites->AddSitePanel(Site("http://b.example/"), "b.example/");
  // The same address again changes nothing; another case is another site.
  EXPECT_EQ(first, m_sites->AddSitePanel(Site("http://a.example/"), "other name"));
  SitePanel* upper = m_sites->AddSitePanel(Site("http://A.example/"), "A.example/");
  ASSERT_EQ((std::vector<SitePanel*>{first, second, upper}), m_sites->GetSitePanels());
  EXPECT_LT(first->GetPosition().y, second->GetPosition().y);
  EXPECT_LT(second->GetPosition().y, upper->GetPosition().y);
  EXPECT_EQ(0, m_sites->GetContactsCount("http://nowhere.example/"));
  EXPECT_FALSE(m_sites->RemoveURL("http://nowhere.example/"));
  EXPECT_FALSE(m_sites->RemoveURL("http://B.example/"));

  wxWeakRef<SitePanel> gone(second);
  EXPECT_TRUE(m_sites->RemoveURL("http://b.example/"));
  EXPECT_FALSE(gone);
  EXPECT_EQ((std::vector<SitePanel*>{first, upper}), m_sites->GetSitePanels());

  // Many sites: the newest, at the bottom, is in view.
  for (int i = 0; i < 60; ++i)
    m_sites->AddSitePanel(Site("http://s" + std::to_string(i) + ".example/"), "s.example/");
  SitePanel* last = m_sites->GetSitePanels().back();
  EXPECT_TRUE(guitest::PumpUntil(
      [&] { return m_sites->GetScreenRect().Contains(last->GetScreenRect().GetBottomLeft() - wxPoint(0, 1)); }));

  m_sites->UpdateExtensionStatus("ext1", EXTENSION_ENABLE);
  wxWeakRef<SitePanel> any(first);
  m_sites->Disconnection();
  EXPECT_TRUE(m_sites->GetSitePanels().empty());
  EXPECT_FALSE(any);
  ASSERT_TRUE(m_sites->GetExtensionButton("ext1"));
  EXPECT_TRUE(m_sites->GetExtensionButton("ext1")->IsShown());
  m_sites->Disconnection();  // twice: nothing left to do
}

TEST_F(SitesPanelTest, UpdatesReachOnlyTheirSite) {
  SitePanel* a = m_sites->AddSitePanel(Site("http://a.example/"), "a.example/");
  SitePanel* b = m_sites->AddSitePanel(Site("http://b.example/"), "b.example/");
  m_sites->UpdateContact(sitestest::Person("http://a.example/", "bob", false, true, false, 7));
  m_sites->UpdateContact(sitestest::Person("http://nowhere.example/", "carl"));
  EXPECT_EQ(1, m_sites->GetContactsCount("http://a.example/"));
  EXPECT_EQ(0, m_sites->GetContactsCount("http://b.example/"));
  EXPECT_EQ(7, a->GetURLInfo().GetNbrUsers());
  m_sites->SwitchSubscribeChatRoom("http://b.example/", true);
  EXPECT_TRUE(b->IsSubscribed());
  EXPECT_FALSE(a->IsSubscribed());
  m_sites->NotifyNewMessage("http://a.example/");
  EXPECT_TRUE(a->IsBlinking());
  EXPECT_FALSE(b->IsBlinking());
  m_sites->UpdateComments(Site("http://b.example/", 7.5f, 4));
  EXPECT_EQ("7.5", b->GetGradeLabel()->GetInnerText()->GetLabelText());
  EXPECT_EQ("?.?", a->GetGradeLabel()->GetInnerText()->GetLabelText());
  m_sites->UpdateGrade("http://b.example/", 6);
  EXPECT_EQ(6, b->GetURLInfo().GetUserGrade());
  EXPECT_EQ("Your grade : 6.0/10 (Average : 7.5/10)", b->GetSiteToolTip()->GetGradeText());
  // The panels' commands reach the main window unchanged.
  m_sites->OnReportAbuse("http://a.example/", "bob", "spam");
  m_sites->OnUnsubscribeChatRoom("http://a.example/");
  EXPECT_EQ((std::vector<std::string>{"abuse http://a.example/ bob [spam]", "unsubscribe http://a.example/"}),
            m_listener.calls);
}

// The sites below a site move as its panel grows a row of people or shrinks, and only then.
TEST_F(SitesPanelTest, TheSitesBelowMoveWhenASiteGrowsOrShrinksARowOfPeople) {
  const std::string url = "http://rows.example/";
  SitePanel* rows = m_sites->AddSitePanel(Site(url), "rows.example/");
  SitePanel* below = m_sites->AddSitePanel(Site("http://below.example/"), "below.example/");
  guitest::Pump(50);
  // Where the panel below stands, and whether it meets the one above.
  auto top = [&] { return below->GetPosition().y; };
  auto meets = [&] { return rows->GetRect().GetBottom() < top() && rows->GetBestSize().y == rows->GetSize().y; };
  const int empty = top();
  m_sites->UpdateContact(sitestest::Person(url, "p0"));
  const int oneRow = top();
  EXPECT_GT(oneRow, empty);
  for (int i = 1; i < 12; ++i) m_sites->UpdateContact(sitestest::Person(url, "p" + std::to_string(i)));
  EXPECT_EQ(oneRow, top());
  m_sites->UpdateContact(sitestest::Person(url, "p12"));
  const int twoRows = top();
  EXPECT_GT(twoRows, oneRow);
  EXPECT_TRUE(meets());
  // The 13th leaves, then everybody: back to one row, then to none.
  m_sites->UpdateContact(sitestest::Person(url, "p12", true));
  EXPECT_EQ(oneRow, top());
  for (int i = 0; i < 12; ++i) m_sites->UpdateContact(sitestest::Person(url, "p" + std::to_string(i), true));
  EXPECT_EQ(empty, top());
  EXPECT_TRUE(meets());
}

// A site coming, going or growing moves only the sites below it; wherever they were put, the
// whole list laid out by its sizer puts them at the same places, at any width of the window.
TEST_F(SitesPanelTest, EachSiteStandsWhereTheWholeListsLayoutPutsIt) {
  auto url = [](int i) { return "http://p" + std::to_string(i) + ".example/"; };
  auto places = [&] {
    std::vector<wxRect> rects;
    for (SitePanel* panel : m_sites->GetSitePanels()) rects.push_back(panel->GetRect());
    return rects;
  };
  auto expectAsLaidOut = [&](const char* when) {
    SCOPED_TRACE(when);
    const std::vector<wxRect> placed = places();
    const wxSize scrolled = m_sites->GetVirtualSize();
    m_sites->FitInside();
    m_sites->Layout();
    EXPECT_EQ(placed, places());
    EXPECT_EQ(scrolled, m_sites->GetVirtualSize());
  };
  // Changes that no site opening follows are placed by the list's refit timer: the test waits
  // for its tick.
  int refits = 0;
  m_sites->Bind(wxEVT_TIMER, [&](wxTimerEvent& event) {
    event.Skip();
    ++refits;
  }, ID_REFIT_TIMER);
  for (int i = 0; i < 30; ++i) m_sites->AddSitePanel(Site(url(i)), wxString::FromUTF8(url(i).c_str() + 7));
  guitest::Pump(50);
  expectAsLaidOut("opened");
  for (int i = 0; i < 14; ++i) m_sites->UpdateContact(sitestest::Person(url(3), "p" + std::to_string(i)));
  m_sites->UpdateContact(sitestest::Person(url(10), "q"));
  EXPECT_TRUE(m_sites->RemoveURL(url(5)));
  EXPECT_TRUE(m_sites->RemoveURL(url(29)));
  m_sites->UpdateContact(sitestest::Person(url(20), "r"));
  m_sites->AddSitePanel(Site(url(30)), "p30.example/");
  guitest::Pump(SitesPanel::kRefitDelayMs * 3);
  expectAsLaidOut("after people came and sites closed");
  for (int i = 0; i < 14; ++i) m_sites->UpdateContact(sitestest::Person(url(3), "p" + std::to_string(i), true));
  const int before = refits;
  EXPECT_TRUE(m_sites->RemoveURL(url(0)));
  EXPECT_TRUE(guitest::PumpUntil([&] { return refits > before; })) << "no refit";
  expectAsLaidOut("after people left and the first site closed");
  const int narrow = m_sites->GetSitePanels().front()->GetSize().x;
  m_frame->SetSize(wxSize(520, 500));
  EXPECT_TRUE(guitest::PumpUntil([&] { return m_sites->GetSitePanels().front()->GetSize().x > narrow; }));
  expectAsLaidOut("wider");
}

TEST_F(SitesPanelTest, ExtensionButtonsShowTheirStateAndWaitAfterAClick) {
  m_sites->UpdateExtensionStatus("ext1", EXTENSION_NONE);
  ExtensionButtonBitmap* one = m_sites->GetExtensionButton("ext1");
  ASSERT_TRUE(one);
  EXPECT_FALSE(one->IsShown());
  m_sites->UpdateExtensionStatus("ext1", EXTENSION_DISABLE);
  EXPECT_TRUE(one->IsShown());
  EXPECT_EQ("ext1 (inactive)", one->GetToolTipText());
  m_sites->UpdateExtensionStatus("ext2", EXTENSION_ENABLE);
  ExtensionButtonBitmap* two = m_sites->GetExtensionButton("ext2");
  EXPECT_EQ("ext2 (active)", two->GetToolTipText());
  guitest::PumpUntil([&] { return two->GetPosition().x < one->GetPosition().x; });
  // The newest stands leftmost.
  EXPECT_LT(two->GetPosition().x, one->GetPosition().x);

  // A click asks the controller for the opposite of what it knows (nothing here: no change on
  // screen) and waits for the extension's next report.
  Click(one->GetStaticBitmap());
  EXPECT_EQ("ext1 (inactive)", one->GetToolTipText());
  EXPECT_FALSE(m_sites->IsExtensionReady("ext1"));
  m_sites->UpdateExtensionStatus("ext1", EXTENSION_DISABLE);
  EXPECT_TRUE(m_sites->IsExtensionReady("ext1"));
  // A report of any value makes it answer again; an unknown value leaves it as it was.
  guitest::Pump(500);  // not a double click
  Click(one->GetStaticBitmap());
  m_sites->UpdateExtensionStatus("ext1", t_extension_status(7));
  EXPECT_TRUE(m_sites->IsExtensionReady("ext1"));
  EXPECT_EQ("ext1 (inactive)", one->GetToolTipText());

  // Names from any local program: never a path, never markup; the buttons are bounded.
  const std::string hostile = "../../../../etc/<b>x</b>&\t";
  m_sites->UpdateExtensionStatus(hostile, EXTENSION_ENABLE);
  EXPECT_EQ(0u, pictures::Requested().count(hostile + ".png"));
  EXPECT_TRUE(pictures::Requested().count("extension.png"));
  EXPECT_EQ("../../../../etc/<b>x</b>&  (active)", m_sites->GetExtensionButton(hostile)->GetToolTipText());
  for (size_t i = 0; i < SitesPanel::kMaxExtensionButtons + 20; ++i)
    m_sites->UpdateExtensionStatus("e" + std::to_string(i), EXTENSION_DISABLE);
  EXPECT_EQ(SitesPanel::kMaxExtensionButtons, m_sites->GetExtensionCount());
}

// The panel looks where the pointer is, for its sites' tips, only while there is something to
// follow: the pointer on a site's name or people, or a tip up. Each look costs round trips to the
// display; looking twice a second for as long as a site is open kept the program from resting.
TEST_F(SitesPanelTest, ThePointerIsFollowedOnlyWhileItIsOnASiteOrATipShows) {
  int ticks = 0;
  m_sites->Bind(wxEVT_TIMER, [&](wxTimerEvent& event) {
    event.Skip();
    ++ticks;
  }, ID_HOVER_TIMER);
  const int span = 3 * SitesPanel::kToolTipTickMs;
  const wxPoint away = m_frame->GetScreenRect().GetBottomRight() + wxPoint(30, 30);
  guitest::SendPointerTo(away);
  guitest::Pump(span);
  EXPECT_EQ(0, ticks) << "with no site yet";

  SitePanel* panel = m_sites->AddSitePanel(Site("http://a.example/"), "a.example/");
  m_sites->AddSitePanel(Site("http://b.example/"), "b.example/");
  m_sites->UpdateContact(Person("http://a.example/", "bob"));
  // A look where the sites came, then none while the pointer is elsewhere.
  EXPECT_TRUE(guitest::PumpUntil([&] { return !m_sites->IsFollowingPointer(); }));
  ticks = 0;
  guitest::Pump(span);
  EXPECT_EQ(0, ticks) << "with the pointer away from the sites";

  // The window of the sites is the one the user works in: the tips may show.
  m_frame->Raise();
  m_sites->SetFocus();
  guitest::PumpUntil([&] { return m_frame->IsActive(); });
  const struct {
    const char* what;
    wxWindow* window;
    std::function<wxWindow*()> tip;
  } onto[] = {
      {"the site's name", panel->GetSiteLabel()->GetInnerText(), [&] { return panel->GetSiteToolTip(); }},
      {"a person's avatar", panel->FindContact("bob"), [&] { return panel->GetContactToolTip(); }},
  };
  for (const auto& place : onto) {
    SCOPED_TRACE(place.what);
    const auto tipShown = [&] { return place.tip() && place.tip()->IsShownOnScreen(); };
    ASSERT_TRUE(guitest::MovePointer(place.window, guitest::Middle(place.window)));
    EXPECT_TRUE(guitest::PumpUntil(tipShown));
    // The tip stays up with nothing ticking: the pointer's moves say when to look again.
    EXPECT_TRUE(guitest::PumpUntil([&] { return !m_sites->IsFollowingPointer(); })) << "while the tip shows";
    EXPECT_TRUE(tipShown());
    guitest::SendPointerTo(away);
    EXPECT_TRUE(guitest::PumpUntil([&] { return !tipShown() && !m_sites->IsFollowingPointer(); }));
    ticks = 0;
    guitest::Pump(span);
    EXPECT_EQ(0, ticks) << "once the pointer left and the tip went";
  }

  // Logged out while the pointer is on a site: nothing is left to follow.
  wxWindow* name = panel->GetSiteLabel()->GetInnerText();
  ASSERT_TRUE(guitest::MovePointer(name, guitest::Middle(name)));
  EXPECT_TRUE(guitest::PumpUntil([&] { return panel->GetSiteToolTip()->IsShownOnScreen(); }));
  // A look due, as right after a move.
  m_sites->FollowPointer();
  ASSERT_TRUE(m_sites->IsFollowingPointer());
  m_sites->Disconnection();
  EXPECT_FALSE(m_sites->IsFollowingPointer());
  EXPECT_FALSE(m_sites->IsWatchingAllMoves());
  ticks = 0;
  guitest::Pump(span);
  EXPECT_EQ(0, ticks) << "after the log-out";
}

// A pointer at rest wakes nothing, whatever it rests on: the user who clicked a site's name to
// enter its room leaves the pointer there for as long as he chats. Its moves alone have the panel
// look where it is, and they still hide a tip once the pointer left and show it once it is back.
TEST_F(SitesPanelTest, APointerAtRestOnANameOrAnAvatarWakesNothing) {
  CountLooks();
  SitePanel* panel = m_sites->AddSitePanel(Site("http://a.example/"), "a.example/");
  m_sites->UpdateContact(Person("http://a.example/", "bob"));
  wxWindow* name = panel->GetSiteLabel()->GetInnerText();
  const wxPoint away = m_frame->GetScreenRect().GetBottomRight() + wxPoint(30, 30);
  const struct {
    const char* what;
    wxWindow* window;
    std::function<wxWindow*()> tip;
  } onto[] = {
      {"the site's name", name, [&] { return panel->GetSiteToolTip(); }},
      {"a person's avatar", panel->FindContact("bob"), [&] { return panel->GetContactToolTip(); }},
  };
  Activate();
  for (const auto& place : onto) {
    SCOPED_TRACE(place.what);
    const auto tipShown = [&] { return place.tip() && place.tip()->IsShownOnScreen(); };
    for (const char* pass : {"first", "back again"}) {
      SCOPED_TRACE(pass);
      ASSERT_TRUE(guitest::MovePointer(place.window, guitest::Middle(place.window)));
      EXPECT_TRUE(guitest::PumpUntil(tipShown));
      ExpectNoLooksAtRest("on it", true);
      EXPECT_TRUE(tipShown()) << "the tip goes while the pointer rests";
      guitest::SendPointerTo(away);
      EXPECT_TRUE(guitest::PumpUntil([&] { return !tipShown(); }));
      ExpectNoLooksAtRest("away", false);
    }
  }

  // Resting on the name while the site's menu is open: no tip may show, and nothing looks again
  // and again for when it may. Once the menu is closed, the tip shows where the pointer rests.
  SiteInfoToolTip* tip = panel->GetSiteToolTip();
  bool menuSeen = false;
  wxTimer menuWatch;
  menuWatch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!panel->IsMenuShown()) return;
    menuWatch.Stop();
    menuSeen = true;
    ExpectNoLooksAtRest("on the name, its menu open", false);
    EXPECT_FALSE(tip->IsShown()) << "with the menu open";
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  menuWatch.Start(40);
  Click(name, wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(guitest::PumpUntil([&] { return !panel->IsMenuShown(); }));
  EXPECT_TRUE(menuSeen);
  EXPECT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); })) << "once the menu is closed";
  ExpectNoLooksAtRest("on the name, the menu closed", true);
}

}  // namespace
