// What a site's panel opens by real input: the person's tip while the pointer rests on an avatar,
// the site's comments window from the comments icon and the grade, the site's own window from
// the site's menu; each going with what it shows.
#include <gtest/gtest.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/urlInfo.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Person;
using sitestest::Site;
using sitestest::SitesPanelTest;

const std::string kUrl = "http://links.example/";

class SitePanelLinksTest : public SitesPanelTest {
 protected:
  // The pointer at `point` in the window the user works in, as the display has it.
  void PointAt(const wxPoint& point) { guitest::MovePointer(m_frame, point); }
  // The pointer resting on the middle of `w` until `shown` holds; brought there again when a late
  // layout moved `w` meanwhile (after `bringIntoView`, as the user would scroll again).
  bool RestOn(wxWindow* w, const std::function<bool()>& shown, const std::function<void()>& bringIntoView = nullptr) {
    wxPoint aim(-1, -1);
    return guitest::PumpUntil([&] {
      if (shown()) return true;
      if (bringIntoView) bringIntoView();
      if (Middle(w) != aim) guitest::SendPointerTo(aim = Middle(w));
      return shown();
    });
  }
  static wxPoint Middle(wxWindow* window) { return guitest::Middle(window); }
  static wxString TipNickname(ContactInfoToolTip* tip) {
    auto* row = guitest::FindChild<ContactEntry>(tip, [](ContactEntry*) { return true; });
    return row ? wxString::FromUTF8(row->GetNickname()) : wxString();
  }
};

TEST_F(SitePanelLinksTest, ThePersonsTipFollowsThePointerOverTheAvatarsAndGoesWithThem) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "links.example/");
  for (const char* login : {"bob", "carol", "dave"}) m_sites->UpdateContact(Person(kUrl, login));
  guitest::Pump(50);
  ContactButtonBitmap* bob = panel->FindContact("bob");
  ContactButtonBitmap* carol = panel->FindContact("carol");
  Activate();

  // Resting on bob: his tip, below the whole panel.
  ASSERT_TRUE(RestOn(bob, [&] { return panel->GetContactToolTip() && panel->GetContactToolTip()->IsShownOnScreen(); }));
  ContactInfoToolTip* tip = panel->GetContactToolTip();
  EXPECT_EQ(bob, panel->GetHoveredContact());
  EXPECT_EQ("bob", tip->GetLogin());
  EXPECT_EQ("Nick bob", TipNickname(tip));
  EXPECT_GE(tip->GetScreenPosition().y, panel->GetScreenRect().GetBottom() + 10);
  // The tip never takes the window the user works in.
  EXPECT_TRUE(m_frame->IsActive());
  // Moving within his avatar leaves it where it is.
  const wxPoint placed = tip->GetScreenPosition();
  PointAt(Middle(bob) + wxPoint(2, 1));
  guitest::Pump(600);
  EXPECT_EQ(placed, tip->GetScreenPosition());

  // Onto carol: the same tip, hers, at the pointer's new place; her news reach it.
  ASSERT_TRUE(RestOn(carol, [&] { return tip->GetLogin() == "carol"; }));
  EXPECT_EQ(Middle(carol).x, tip->GetScreenPosition().x);
  URLContactInfo renamed = Person(kUrl, "carol");
  ContactInfo contact = renamed.GetContactInfo();
  contact.SetNickname("Caroline");
  m_sites->UpdateContact(URLContactInfo(kUrl, 3, contact, false, false, false));
  EXPECT_EQ("Caroline", TipNickname(tip));

  // She leaves the site while her tip shows: the tip hides before her avatar goes.
  m_sites->UpdateContact(Person(kUrl, "carol", true));
  EXPECT_FALSE(tip->IsShown());
  EXPECT_EQ(nullptr, panel->GetHoveredContact());
  guitest::Pump(600);
  EXPECT_FALSE(tip->IsShown());

  // Back on bob, then the grid folded under the pointer: hidden.
  ASSERT_TRUE(RestOn(bob, [&] { return tip->IsShownOnScreen() && tip->GetLogin() == "bob"; }));
  wxWindow* fold = panel->GetShownFoldIcon();
  Click(fold);
  ASSERT_FALSE(panel->IsOpened());
  EXPECT_TRUE(guitest::PumpUntil([&] { return !tip->IsShown(); }));
  Click(panel->GetShownFoldIcon());
  ASSERT_TRUE(panel->IsOpened());

  // Off the avatars: hidden.
  ASSERT_TRUE(RestOn(bob, [&] { return tip->IsShownOnScreen(); }));
  PointAt(m_frame->GetScreenRect().GetBottomRight() - wxPoint(5, 5));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !tip->IsShown(); }));

  // The site closes while the tip shows: panel and tip go.
  ASSERT_TRUE(RestOn(bob, [&] { return tip->IsShownOnScreen(); }));
  wxWeakRef<ContactInfoToolTip> gone(tip);
  EXPECT_TRUE(m_sites->RemoveURL(kUrl));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !gone; }));
}

// The comments icon and the grade ask the main window for the site's comments window, whether
// the site has one yet or not (the main window makes it then).
TEST_F(SitePanelLinksTest, TheCommentsIconAndTheGradeAskForTheSitesCommentsWindow) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl, 7.5f, 3), "links.example/");
  SitePanel* bare = m_sites->AddSitePanel(Site("http://bare.example/"), "bare.example/");
  const auto asked = [&](size_t n) { return guitest::PumpUntil([&] { return m_listener.calls.size() >= n; }); };
  Click(panel->GetCommentsIcon());
  ASSERT_TRUE(asked(1));
  Click(panel->GetGradeLabel()->GetInnerText());
  ASSERT_TRUE(asked(2));
  Click(bare->GetCommentsIcon());
  ASSERT_TRUE(asked(3));
  const std::vector<std::string> expected = {std::string("comments ") + kUrl, std::string("comments ") + kUrl,
                                             "comments http://bare.example/"};
  EXPECT_EQ(expected, m_listener.calls);
}

TEST_F(SitePanelLinksTest, DisplayProfileShowsTheSitesWindowAsTheControllerHoldsItAndItGoesWithThePanel) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "links.example/");
  URLInfo* record = GetManager()->GetURLInfo(kUrl);
  record->SetNotifications({{"open-visual-contact", true}, {"open-bell-contact", false}});
  guitest::Pump(50);
  EXPECT_EQ(nullptr, panel->GetSiteInfoFrame());
  auto pick = [&] {
    guitest::MenuPicker picker([&] { return panel->IsMenuShown(); }, 4);
    Click(panel->GetSiteLabel()->GetInnerText(), wxMOUSE_BTN_RIGHT);
    EXPECT_TRUE(guitest::PumpUntil([&] { return picker.picked() && !panel->IsMenuShown(); }));
  };
  pick();
  ASSERT_TRUE(guitest::PumpUntil([&] { return panel->GetSiteInfoFrame() && panel->GetSiteInfoFrame()->IsShownOnScreen(); }));
  WebSiteInfoFrame* window = panel->GetSiteInfoFrame();
  EXPECT_EQ(record->GetNotifications(), window->GetWorkingNotifications());
  EXPECT_TRUE(m_listener.calls.empty());

  // Hidden, the record changed meanwhile: the same window, showing the record anew.
  window->Hide();
  record->SetNotifications({{"close-visual-contact", true}});
  pick();
  ASSERT_TRUE(guitest::PumpUntil([&] { return window->IsShownOnScreen(); }));
  EXPECT_EQ(window, panel->GetSiteInfoFrame());
  EXPECT_EQ(record->GetNotifications(), window->GetWorkingNotifications());

  // The site closes while its window is open: the window goes with the panel.
  wxWeakRef<WebSiteInfoFrame> gone(window);
  EXPECT_TRUE(m_sites->RemoveURL(kUrl));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !gone; }));
  record->SetNotifications({});
}

TEST_F(SitePanelLinksTest, ASiteScrolledIntoViewShowsItsTipsAndTheListClosesUpAfterASiteLeaves) {
  // More sites than the window holds: the newest, at the bottom, is scrolled into view.
  Activate();
  for (int i = 0; i < 25; ++i) {
    const std::string url = "http://many" + std::to_string(i) + ".example/";
    m_sites->AddSitePanel(Site(url), wxString::FromUTF8(url.substr(7)));
  }
  const std::string last = "http://many24.example/";
  m_sites->UpdateContact(Person(last, "bob"));
  // The user scrolls down to his avatar (again should the list be laid out anew meanwhile).
  SitePanel* panel = m_sites->FindSitePanel(last);
  ASSERT_TRUE(guitest::PumpUntil([&] {
    m_sites->Scroll(0, 100000);
    guitest::Pump(20);
    return panel->FindContact("bob")->IsShownOnScreen() &&
           m_frame->GetScreenRect().Contains(Middle(panel->FindContact("bob")));
  }));
  const auto scrollDown = [&] { m_sites->Scroll(0, 100000); };
  ASSERT_TRUE(RestOn(panel->FindContact("bob"),
                     [&] { return panel->GetContactToolTip() && panel->GetContactToolTip()->IsShownOnScreen(); },
                     scrollDown));
  ASSERT_TRUE(RestOn(panel->GetSiteLabel()->GetInnerText(), [&] { return panel->GetSiteToolTip()->IsShownOnScreen(); },
                     scrollDown));
  EXPECT_FALSE(panel->GetContactToolTip()->IsShown());
  EXPECT_TRUE(m_frame->IsActive()) << "a tip took the keyboard";
  PointAt(m_frame->GetScreenRect().GetTopLeft() + wxPoint(5, 5));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !panel->GetSiteToolTip()->IsShown(); }));

  // The site above it leaves: the list closes up.
  SitePanel* above = m_sites->FindSitePanel("http://many23.example/");
  const int top = panel->GetScreenPosition().y, height = above->GetSize().y;
  EXPECT_TRUE(m_sites->RemoveURL("http://many23.example/"));
  EXPECT_TRUE(guitest::PumpUntil([&] { return panel->GetScreenPosition().y != top; }));
  EXPECT_EQ(nullptr, m_sites->FindSitePanel("http://many23.example/"));
  EXPECT_GT(height, 0);
}

}  // namespace
