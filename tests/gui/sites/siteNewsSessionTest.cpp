// The whole program on the stand-in, curl playing the browser extension: the sites other
// Parlavoxers on a site have open reach the sites manager as the server recommends them (the
// window growing to show them, laid out to its edges), and a favourite site's arrival switches,
// saved from the site's own window opened from its menu, decide the next arrival's notices.
#include <wx/button.h>
#include <wx/listbox.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "core/application.h"
#include "gui/sites/myButtonBitmapNotifier.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/sitesList.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "tests/gui/sites/sitesSessionFixture.h"

namespace {

using sitestest::Click;

class SiteNewsSession : public sitestest::SitesSession {
 protected:
  static std::set<std::string> Lines(wxListBox* box) {
    std::set<std::string> lines;
    for (const wxString& line : box->GetStrings()) lines.insert(line.utf8_string());
    return lines;
  }
  // The sites the server recommended to `user` with the site `site`, and their weights.
  static std::map<std::string, long> RecommendedTo(standintest::TestUser& user, const std::string& site) {
    std::map<std::string, long> out;
    const S2C_Request_t* ok = user.Wait(S2C_Request_PR_openurlok, [&](const S2C_Request_t& r) {
      return asn1::ToString(r.choice.openurlok.site) == site;
    });
    if (ok && ok->choice.openurlok.recommendedSites)
      for (int i = 0; i < ok->choice.openurlok.recommendedSites->list.count; ++i) {
        const NRecommendedSite_t* entry = ok->choice.openurlok.recommendedSites->list.array[i];
        out[asn1::ToString(entry->site)] = entry->weight;
      }
    return out;
  }
};

TEST_F(SiteNewsSession, TheSitesOthersOnASiteHaveOpenAreRecommendedAndListedInTheManager) {
  const std::string site = "http://meeting.example/";
  standintest::TestUser& bob = LogIn("bob");
  standintest::TestUser& carol = LogIn("carol");
  bob.Link().SendOpenChatRoom(bob.Key(), "http://books.example/");
  bob.Link().SendOpenChatRoom(bob.Key(), site);
  // The first on the site: nobody to recommend anything.
  ASSERT_TRUE(bob.Wait(S2C_Request_PR_openurlok, [&](const S2C_Request_t& r) {
    return asn1::ToString(r.choice.openurlok.site) == site;
  }));
  EXPECT_TRUE(RecommendedTo(bob, site).empty());
  carol.Link().SendOpenChatRoom(carol.Key(), "http://books.example/");
  carol.Link().SendOpenChatRoom(carol.Key(), "http://films.example/");
  // A private room is no site to recommend.
  carol.Link().SendOpenChatRoom(carol.Key(), "prv://parlavox/bob:carol");
  carol.Link().SendOpenChatRoom(carol.Key(), site);
  EXPECT_EQ((std::map<std::string, long>{{"http://books.example/", 1}}), RecommendedTo(carol, site));

  // The manager is open when alice's browser shows the site: it grows to list them.
  WebSitesShortFrame* manager = OpenManager();
  ASSERT_TRUE(manager);
  SitesList* recommended = manager->GetRecommendedList();
  EXPECT_FALSE(recommended->IsShown());
  const std::string users = Answer(Browse(site));
  EXPECT_TRUE(!users.empty() && users[0] != '-') << users;
  ASSERT_TRUE(Until([&] { return recommended->IsShownOnScreen() && recommended->GetListBox()->GetCount() == 2; }));
  EXPECT_EQ((std::set<std::string>{"books.example/", "films.example/"}), Lines(recommended->GetListBox()));
  EXPECT_EQ("http://books.example/", recommended->GetAddress(unsigned(recommended->GetListBox()->FindString("books.example/"))));
  // Laid out to the window's edges: the caption strip and the list reach its right side, once
  // the window has handled its growth.
  Until([&] {
    const int width = manager->GetClientSize().x;
    return width == manager->GetChildren().front()->GetSize().x && width - 4 == recommended->GetRect().GetRight() + 1 &&
           manager->GetSize().y >= manager->GetBestSize().y;
  });
  const int width = manager->GetClientSize().x;
  EXPECT_EQ(width, manager->GetChildren().front()->GetSize().x);
  EXPECT_EQ(width - 4, recommended->GetRect().GetRight() + 1);
  EXPECT_GE(manager->GetSize().y, manager->GetBestSize().y);
  // The site's tip lists them too.
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  const std::vector<std::string>& inTip = Sites()->FindSitePanel(site)->GetSiteToolTip()->GetRecommendedSites();
  EXPECT_EQ((std::set<std::string>{"http://books.example/", "http://films.example/"}),
            std::set<std::string>(inTip.begin(), inTip.end()));
  manager->Show(0);
}

TEST_F(SiteNewsSession, AFavouritesArrivalSwitchesSavedFromItsMenuDecideTheNextArrivalsNotices) {
  // By default an arrival rings and raises no pop-up; the settings are put back at the end.
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  struct Restore {
    ContactInfo* defaults;
    std::map<std::string, bool> kept;
    ~Restore() { defaults->SetNotifications(kept); }
  } restore{defaults, defaults->GetNotifications()};
  defaults->SetNotification("open-visual", NOTIFICATION_OFF);
  defaults->SetNotification("open-bell", NOTIFICATION_ON);
  const std::string site = "http://fav.example/";
  GetManager()->SetSiteStatus(site, SITE_OPEN);
  EXPECT_NE("-11", Answer(Browse(site)));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  SitePanel* panel = Sites()->FindSitePanel(site);

  // The site's window from its menu: pop-up on, sound off for other Parlavoxers opening the site.
  PickSiteMenu(panel, 4);
  ASSERT_TRUE(Until([&] { return panel->GetSiteInfoFrame() && panel->GetSiteInfoFrame()->IsShownOnScreen(); }));
  WebSiteInfoFrame* window = panel->GetSiteInfoFrame();
  window->Raise();
  auto clickUntil = [&](const char* key, bool on) {
    ASSERT_TRUE(Click(window->GetSwitch(key)->GetBitmapControl(), [&] {
      auto set = window->GetWorkingNotifications().find(key);
      return set != window->GetWorkingNotifications().end() && set->second == on;
    }));
  };
  clickUntil("open-visual-contact", true);
  clickUntil("open-bell-contact", true);
  clickUntil("open-bell-contact", false);
  wxButton* save = guitest::FindChild<wxButton>(window, [](wxButton* b) { return b->GetLabel() == "&Save"; });
  ASSERT_TRUE(Click(save, [&] { return !window->IsShown(); }));

  // Bob arrives: the pop-up the site asks for, and no sound though the default rings.
  NewPopups();
  NewSounds();
  standintest::TestUser& bob = LogIn("bob");
  bob.Link().SendOpenChatRoom(bob.Key(), site);
  ASSERT_TRUE(Until([&] { return panel->FindContact("bob") != nullptr; }));
  ASSERT_TRUE(Until([&] {
    for (const std::string& line : NewPopups())
      if (line.find("also visits") != std::string::npos && line.find("fav.example") != std::string::npos) return true;
    return false;
  }));
  Settle();
  for (const std::string& sound : NewSounds()) EXPECT_EQ(std::string::npos, sound.find("online.wav")) << sound;

  // Saved: in the settings file after exit.
  Exit();
  const std::string file = testsupport::ReadFile(Home() + ".parlavox/parlavox.xml");
  const size_t at = file.find("<url>" + site + "</url>");
  ASSERT_NE(std::string::npos, at) << file;
  const std::string record = file.substr(at, file.find("</notifications>", at) - at);
  for (const char* key : {"open-visual-contact", "open-bell-contact"})
    EXPECT_NE(std::string::npos, record.find(key)) << record;
}

}  // namespace
