// The site's tip: its texts, where it goes on the screen, the recommended sites (only web
// addresses reach the browser), hiding on a click, showing while the pointer rests on the site's
// name, staying while it goes to the tip.
#include <gtest/gtest.h>
#include <wx/listbox.h>

#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/siteText.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Site;
using sitestest::SitesPanelTest;

TEST_F(SitesPanelTest, SiteTipTextsAndPlaceOnTheScreen) {
  SiteInfoToolTip tip(m_frame, GetManager(), Site("http://tip.example/"));
  struct Grade {
    float user, mean;
    const char* text;
  } grades[] = {{7, 99, "No grade"},
                {99, 7.5f, "No grade (Average : 7.5/10)"},
                {10, 10, "Your grade : 10.0/10 (Average : 10.0/10)"},
                {0, 3.25f, "Your grade : 0.0/10 (Average : 3.2/10)"}};
  for (const Grade& grade : grades) {
    tip.SetGrade(grade.user, grade.mean);
    EXPECT_EQ(grade.text, tip.GetGradeText());
  }
  tip.SetNbrUsers(12, 3);
  EXPECT_EQ("12 Parlavoxers on the site, 3 in the chatroom", tip.GetUsersText());
  EXPECT_EQ("tip.example/", tip.GetNameText());
  EXPECT_FALSE(tip.GetRecommendedList());
  const wxSize screen(1024, 768), size(200, 100);
  EXPECT_EQ(wxPoint(0, 636), SiteInfoToolTip::InsideScreen(wxPoint(-5, 700), size, screen));
  EXPECT_EQ(wxPoint(824, 100), SiteInfoToolTip::InsideScreen(wxPoint(900, 100), size, screen));
  EXPECT_EQ(wxPoint(10, 0), SiteInfoToolTip::InsideScreen(wxPoint(10, -40), size, screen));
  EXPECT_EQ(wxPoint(10, 20), SiteInfoToolTip::InsideScreen(wxPoint(10, 20), size, screen));

  // A name of 100 KB with line breaks: one line, cut.
  SiteInfoToolTip huge(m_frame, GetManager(), Site("http://h.example/\n" + std::string(100 * 1024, 'y')));
  EXPECT_EQ(siteText::kMaxShown + 2, huge.GetNameText().length());  // with "..."
  EXPECT_EQ(wxString::npos, huge.GetNameText().find('\n'));
  EXPECT_LT(huge.GetSize().x, 4000);
}

TEST_F(SitesPanelTest, RecommendedSitesOpenOnlyAsWebAddressesAndTheTipHides) {
  const std::vector<RecommendedSite> recommended = {
      RecommendedSite("https://zeta.example/", 1), RecommendedSite("http://alpha.example/", 5),
      RecommendedSite("www.nodomain.example", 2),   RecommendedSite("file:///etc/passwd", 3),
      RecommendedSite("javascript:alert(1)", 4),    RecommendedSite("-http://x", 4)};
  SitePanel* panel = m_sites->AddSitePanel(Site("http://rec.example/", 99, 0, &recommended), "rec.example/");
  SiteInfoToolTip* tip = panel->GetSiteToolTip();
  ASSERT_TRUE(tip->GetRecommendedList());
  EXPECT_EQ((std::vector<std::string>{"-http://x", "file:///etc/passwd", "http://alpha.example/",
                                      "https://zeta.example/", "javascript:alert(1)", "www.nodomain.example"}),
            tip->GetRecommendedSites());
  tip->ShowAt(wxPoint(500, 300));
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }));
  wxListBox* list = tip->GetRecommendedList();
  auto choose = [&](unsigned int i, bool byUser) {
    if (byUser) {
      wxKeyEvent key(wxEVT_KEY_DOWN);
      key.SetEventObject(list);
      list->GetEventHandler()->ProcessEvent(key);
    }
    wxCommandEvent chosen(wxEVT_LISTBOX, list->GetId());
    chosen.SetEventObject(list);
    chosen.SetInt(int(i));
    list->SetSelection(int(i));
    list->GetEventHandler()->ProcessEvent(chosen);
  };
  // The toolkit selects a line by itself when the list takes the focus: nothing opens.
  list->SetFocus();
  choose(2, false);
  EXPECT_TRUE(m_pages.empty());
  for (unsigned int i = 0; i < list->GetCount(); ++i) {
    SCOPED_TRACE(i);
    tip->ShowAt(wxPoint(500, 300));
    guitest::PumpUntil([&] { return tip->IsShownOnScreen(); });
    choose(i, true);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(wxNOT_FOUND, list->GetSelection());
  }
  EXPECT_EQ((std::vector<std::string>{"http://alpha.example/", "https://zeta.example/", "http://www.nodomain.example"}),
            m_pages);

  // A real click on a line opens its site and hides the tip, the first line too, again and again:
  // the tip takes no keyboard, yet its list answers the mouse, and no line shows as chosen before
  // the user chose one.
  const std::vector<RecommendedSite> two = {RecommendedSite("http://two.example/", 1),
                                            RecommendedSite("http://one.example/", 1)};
  tip = m_sites->AddSitePanel(Site("http://pair.example/", 99, 0, &two), "pair.example/")->GetSiteToolTip();
  list = tip->GetRecommendedList();
  m_pages.clear();
  for (int line : {0, 0, 1}) {
    SCOPED_TRACE(line);
    tip->ShowAt(wxPoint(500, 300));
    ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }));
    EXPECT_EQ(wxNOT_FOUND, list->GetSelection()) << "a line shows as chosen";
    wxPoint at(list->GetSize().x / 2, 0);
    while (at.y < list->GetSize().y && list->HitTest(at) != line) ++at.y;
    EXPECT_TRUE(guitest::ClickAt(list, at + wxPoint(0, 3), [&] { return !tip->IsShown(); }));
  }
  EXPECT_EQ((std::vector<std::string>{"http://one.example/", "http://one.example/", "http://two.example/"}), m_pages);
  EXPECT_EQ(wxNOT_FOUND, list->GetSelection());

  // A click on the tip hides it, from the event loop.
  tip->ShowAt(wxPoint(500, 300));
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }));
  EXPECT_TRUE(guitest::ClickAt(tip, wxPoint(3, 3), [&] { return !tip->IsShown(); }));
}

TEST_F(SitesPanelTest, TheSiteTipShowsWhileThePointerRestsOnTheNameAndGoesWithThePanel) {
  SitePanel* panel = m_sites->AddSitePanel(Site("http://hover.example/"), "hover.example/");
  guitest::Pump(50);
  // The window of the sites is the one the user works in.
  m_frame->Raise();
  m_sites->SetFocus();
  guitest::PumpUntil([&] { return m_frame->IsActive(); });
  wxWindow* name = panel->GetSiteLabel()->GetInnerText();
  wxUIActionSimulator sim;
  sim.MouseMove(name->GetScreenRect().GetPosition() + wxPoint(3, name->GetSize().y / 2));
  SiteInfoToolTip* tip = panel->GetSiteToolTip();
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }));
  // Beside the window, level with the name: the name and the people under it still take clicks.
  EXPECT_FALSE(tip->GetScreenRect().Intersects(name->GetScreenRect()));
  EXPECT_FALSE(tip->GetScreenRect().Intersects(panel->GetScreenRect()));
  EXPECT_NEAR(name->GetScreenRect().GetTop(), tip->GetScreenRect().GetTop(), 2);
  sim.MouseMove(m_frame->GetScreenRect().GetBottomRight() - wxPoint(5, 5));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !tip->IsShown(); }));
  sim.MouseMove(name->GetScreenRect().GetPosition() + wxPoint(3, name->GetSize().y / 2));
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }));
  // The site closes while its tip shows: panel and tip go.
  wxWeakRef<SiteInfoToolTip> gone(tip);
  EXPECT_TRUE(m_sites->RemoveURL("http://hover.example/"));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !gone; }));
}

// The site's tip stays while the pointer goes from the name to it and rests on the way or on the
// tip, with nothing looking where it is meanwhile, and hides once the pointer left them all: off
// the tip, off the way across the list. Only where the pointer's moves reach no window of the
// program, on the list's scroll bar, the panel looks on until the pointer is off the way.
TEST_F(SitesPanelTest, TheSiteTipStaysOnTheWayToItAndGoesOnceThePointerLeftIt) {
  CountLooks();
  // More sites than the list shows, the newest in view: the list has a scroll bar.
  for (int i = 0; i < 25; ++i) {
    const std::string url = "http://way" + std::to_string(i) + ".example/";
    m_sites->AddSitePanel(Site(url), wxString::FromUTF8(url.substr(7)));
  }
  SitePanel* panel = m_sites->FindSitePanel("http://way24.example/");
  wxWindow* name = panel->GetSiteLabel()->GetInnerText();
  SiteInfoToolTip* tip = panel->GetSiteToolTip();
  // The pointer resting on the name until the tip shows; brought there again should a late layout
  // of the list have moved the name meanwhile. The window stays the one the user works in.
  Activate();
  const auto restOnName = [&] {
    wxPoint aim(-1, -1);
    const bool shown = guitest::PumpUntil([&] {
      if (tip->IsShownOnScreen()) return true;
      m_sites->Scroll(0, 100000);
      if (guitest::Middle(name) != aim) guitest::SendPointerTo(aim = guitest::Middle(name));
      return tip->IsShownOnScreen();
    });
    EXPECT_TRUE(m_frame->IsActive()) << "the tip took the keyboard";
    return shown;
  };
  const auto hidden = [&] { return !tip->IsShown(); };

  // Level with the name, over the list beyond it, then over the tip: the tip stays. Off the tip,
  // where no window of the program is: it goes.
  ASSERT_TRUE(restOnName());
  ExpectNoLooksAtRest("on the name", true);
  const wxRect list(m_sites->ClientToScreen(wxPoint(0, 0)), m_sites->GetClientSize());
  // Halfway between the name and the list's right edge, clear of a scroll bar there.
  const wxPoint onTheWay((name->GetScreenRect().GetRight() + list.GetRight()) / 2, guitest::Middle(name).y);
  ASSERT_FALSE(name->GetScreenRect().Contains(onTheWay));
  ASSERT_TRUE(guitest::MovePointer(m_frame, onTheWay));
  ExpectNoLooksAtRest("on the way over the list", true);
  EXPECT_TRUE(tip->IsShown()) << "on the way over the list";
  // Sent once and waited for: sent again, the move would bring the tip to the front first.
  guitest::SendPointerTo(guitest::Middle(tip));
  ASSERT_TRUE(guitest::PumpUntil([&] { return guitest::PointerRestsOn(tip, guitest::Middle(tip)); }));
  ExpectNoLooksAtRest("on the tip", true);
  EXPECT_TRUE(tip->IsShown()) << "on the tip";
  guitest::SendPointerTo(tip->GetScreenRect().GetBottomLeft() + wxPoint(10, 40));
  EXPECT_TRUE(guitest::PumpUntil(hidden)) << "off the tip";
  ExpectNoLooksAtRest("off the tip", false);

  // From the way across the list to the sites above: it goes.
  ASSERT_TRUE(restOnName());
  ASSERT_TRUE(guitest::MovePointer(m_frame, onTheWay));
  ASSERT_TRUE(guitest::MovePointer(m_frame, onTheWay - wxPoint(0, 60)));
  EXPECT_TRUE(guitest::PumpUntil(hidden)) << "off the way over the list";
  ExpectNoLooksAtRest("off the way over the list", false);

  // Along the list's right edge, where its scroll bar may lie over it: level with the name, the
  // panel looks on while the pointer rests there, and the tip goes once the pointer went up the
  // bar, off the way.
  ASSERT_TRUE(restOnName());
  ASSERT_GT(m_sites->GetVirtualSize().y, m_sites->GetClientSize().y) << "the list does not scroll";
  const wxPoint onTheBar(m_sites->GetScreenRect().GetRight() - 2, guitest::Middle(name).y);
  ASSERT_TRUE(guitest::MovePointer(m_frame, onTheBar));
  m_looks = 0;
  EXPECT_TRUE(guitest::PumpUntil([&] { return m_looks >= 2; })) << "no looks on the scroll bar";
  EXPECT_TRUE(tip->IsShown()) << "on the way over the scroll bar";
  ASSERT_TRUE(guitest::MovePointer(m_frame, onTheBar - wxPoint(0, 60)));
  EXPECT_TRUE(guitest::PumpUntil(hidden)) << "off the way over the scroll bar";
  ExpectNoLooksAtRest("off the way over the scroll bar", false);
}

}  // namespace
