// A site's panel: its header (name, counts, grades, room icon, blink, folding) and the people on
// the site (the grid of 36, those waiting hidden, the update table, the notices).
#include <gtest/gtest.h>
#include <wx/timer.h>

#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/siteInfoToolTip.h"
#include "widgets/myStaticText.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Person;
using sitestest::Site;
using sitestest::SitesPanelTest;

wxString Text(MyStaticText* label) { return label->GetInnerText()->GetLabelText(); }

const std::string kUrl = "http://site.example/";

void Tick(SitePanel* panel) {
  wxTimer timer;
  wxTimerEvent tick(timer);
  tick.SetId(ID_BLINK_TIMER);
  tick.SetEventType(wxEVT_TIMER);
  panel->GetEventHandler()->ProcessEvent(tick);
}

TEST_F(SitesPanelTest, HeaderShowsNamesGradesAndCountsSafely) {
  struct Name {
    std::string given;
    std::string shown;
  };
  const std::string longName(100 * 1024, 'x');
  const Name names[] = {
      {std::string(49, 'a'), std::string(49, 'a')},
      {std::string(50, 'a'), std::string(48, 'a') + "..."},
      {"", ""},
      {"a&b.com/?x=1&y=2", "a&b.com/?x=1&y=2"},
      {"<b>bold</b>\n\tline\x7f", "<b>bold</b>  line "},
      {longName, std::string(48, 'x') + "..."},
  };
  // The label holds the name, or as much of it as its width takes followed by "...".
  auto holds = [](const wxString& name, const wxString& shown) {
    wxString kept;
    return shown == name || (shown.EndsWith("...", &kept) && name.StartsWith(kept));
  };
  int index = 0;
  for (const Name& name : names) {
    SCOPED_TRACE(index);
    SitePanel* panel = m_sites->AddSitePanel(Site("http://n" + std::to_string(index++) + ".example/"),
                                             wxString::FromUTF8(name.given.c_str()));
    EXPECT_PRED2(holds, wxString::FromUTF8(name.shown.c_str()), Text(panel->GetSiteLabel()));
  }
  // A new panel: no one there, the grid hidden, the room icon as the controller says.
  SitePanel* panel = m_sites->GetSitePanels().front();
  EXPECT_EQ("0", Text(panel->GetUsersLabel()));
  EXPECT_EQ("0", Text(panel->GetChatRoomUsersLabel()));
  EXPECT_FALSE(panel->GetContactsPanel()->IsShown());
  EXPECT_FALSE(panel->IsOpened());
  EXPECT_EQ("Click to subscribe to this chatroom", panel->GetShownRoomIcon()->GetToolTipText());

  struct Grade {
    float grade;
    const char* text;
    const char* tip;
    const char* siteTip;
  };
  const Grade grades[] = {
      {99, "?.?", "Click to be the first to grade this site !", "No grade"},
      {10, "10.", "Click to see all comments", "No grade (Average : 10.0/10)"},
      {10.5f, "?.?", "Click to be the first to grade this site !", "No grade"},
      {0, "0.0", "Click to see all comments", "No grade (Average : 0.0/10)"},
      {5.5f, "5.5", "Click to see all comments", "No grade (Average : 5.5/10)"},
  };
  for (const Grade& grade : grades) {
    SCOPED_TRACE(grade.grade);
    panel->UpdateComments(3, grade.grade);
    EXPECT_EQ(grade.text, Text(panel->GetGradeLabel()));
    EXPECT_EQ(grade.tip, panel->GetGradeLabel()->GetToolTipText());
    EXPECT_EQ(grade.siteTip, panel->GetSiteToolTip()->GetGradeText());
    EXPECT_EQ("3 comments", panel->GetCommentsIcon()->GetToolTipText());
  }
  // The user's own grade is kept with the latest mean.
  panel->UpdateGrade(8);
  EXPECT_EQ("Your grade : 8.0/10 (Average : 5.5/10)", panel->GetSiteToolTip()->GetGradeText());
}

TEST_F(SitesPanelTest, RoomIconBlinksTwelveTicksAndStopsWhenLeft) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "site.example/");
  wxWindow* off = panel->GetShownRoomIcon();
  panel->SwitchSubscribeChatRoom(true);
  wxWindow* on = panel->GetShownRoomIcon();
  ASSERT_NE(off, on);
  EXPECT_EQ("Click to focus on this chatroom", on->GetToolTipText());
  panel->NotifyNewMessage();
  std::vector<wxWindow*> shown;
  for (int i = 0; i < 6; ++i) {
    Tick(panel);
    shown.push_back(panel->GetShownRoomIcon());
  }
  EXPECT_EQ((std::vector<wxWindow*>{on, off, on, off, on, off}), shown);
  // A new message restarts the count: twelve more ticks from here.
  panel->NotifyNewMessage();
  for (int i = 0; i < 11; ++i) Tick(panel);
  EXPECT_TRUE(panel->IsBlinking());
  Tick(panel);
  EXPECT_FALSE(panel->IsBlinking());
  EXPECT_EQ(on, panel->GetShownRoomIcon());
  EXPECT_TRUE(on->IsShown());
  EXPECT_FALSE(off->IsShown());
  // Leaving the room ends a blink at once, on the grey icon.
  panel->NotifyNewMessage();
  Tick(panel);
  panel->SwitchSubscribeChatRoom(false);
  EXPECT_FALSE(panel->IsBlinking());
  EXPECT_EQ(off, panel->GetShownRoomIcon());
  EXPECT_EQ("Click to subscribe to this chatroom", on->GetToolTipText());
}

TEST_F(SitesPanelTest, PeopleFillTheGridWaitHiddenAndTakeFreedCells) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "site.example/");
  for (int i = 0; i < 38; ++i) m_sites->UpdateContact(Person(kUrl, "p" + std::to_string(i), false, i % 2 == 0));
  EXPECT_EQ("38", Text(panel->GetUsersLabel()));
  EXPECT_EQ("19", Text(panel->GetChatRoomUsersLabel()));
  EXPECT_EQ("38 Parlavoxers on the site, 19 in the chatroom", panel->GetSiteToolTip()->GetUsersText());
  wxGBPosition cell;
  ASSERT_TRUE(panel->GetCell("p13", &cell));
  EXPECT_EQ(wxGBPosition(1, 1), cell);
  ASSERT_TRUE(panel->GetCell("p35", &cell));
  EXPECT_EQ(wxGBPosition(2, 11), cell);
  EXPECT_FALSE(panel->GetCell("p36", nullptr));
  // The 37th waits hidden: on the site, with no avatar shown.
  EXPECT_TRUE(panel->HasContact("p36"));
  EXPECT_EQ(nullptr, panel->FindContact("p36"));
  EXPECT_TRUE(panel->IsOpened());
  EXPECT_TRUE(panel->GetContactsPanel()->IsShown());

  // A person leaving the site and its room: the first waiting takes the cell at once.
  wxWeakRef<ContactButtonBitmap> leaving(panel->FindContact("p1"));
  m_sites->UpdateContact(Person(kUrl, "p1", true, false));
  EXPECT_FALSE(panel->HasContact("p1"));
  EXPECT_EQ(nullptr, panel->FindContact("p1"));
  // The avatar that showed p1 is gone or shows the one who takes the cell.
  EXPECT_TRUE(!leaving || leaving->GetLogin() == "p36");
  ASSERT_TRUE(panel->GetCell("p36", &cell));
  EXPECT_EQ(wxGBPosition(0, 1), cell);
  EXPECT_TRUE(panel->FindContact("p36")->IsShown());
  EXPECT_FALSE(panel->GetCell("p37", nullptr));
  // Gone from the page but still in the room: stays; its frame follows the room.
  m_sites->UpdateContact(Person(kUrl, "p2", true, true));
  EXPECT_TRUE(panel->FindContact("p2"));
  // Neither shown nor in the room: nothing.
  m_sites->UpdateContact(Person(kUrl, "stranger", true, false));
  EXPECT_FALSE(panel->HasContact("stranger"));
  EXPECT_EQ("37", Text(panel->GetUsersLabel()));

  // Everyone leaves: the free cells are in order again, the next one takes (0,0).
  for (const std::string& login : panel->GetLogins()) m_sites->UpdateContact(Person(kUrl, login, true, false));
  EXPECT_EQ(0, panel->GetNbrUsers());
  EXPECT_FALSE(panel->IsOpened());
  EXPECT_FALSE(panel->GetContactsPanel()->IsShown());
  m_sites->UpdateContact(Person(kUrl, "again"));
  ASSERT_TRUE(panel->GetCell("again", &cell));
  EXPECT_EQ(wxGBPosition(0, 0), cell);
  EXPECT_TRUE(panel->IsOpened());
}

TEST_F(SitesPanelTest, FreedCellsWaitBehindUnusedOnesAndFoldingKeepsWaitersHidden) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "site.example/");
  for (const char* login : {"a", "b", "c"}) m_sites->UpdateContact(Person(kUrl, login));
  m_sites->UpdateContact(Person(kUrl, "b", true));
  m_sites->UpdateContact(Person(kUrl, "d"));
  wxGBPosition cell;
  ASSERT_TRUE(panel->GetCell("d", &cell));
  EXPECT_EQ(wxGBPosition(0, 3), cell);

  // Folding by a real click hides the grid; people arriving meanwhile keep it folded.
  guitest::Pump(50);
  Click(panel->GetShownFoldIcon());
  EXPECT_FALSE(panel->IsOpened());
  EXPECT_FALSE(panel->GetContactsPanel()->IsShown());
  m_sites->UpdateContact(Person(kUrl, "e"));
  EXPECT_FALSE(panel->IsOpened());
  Click(panel->GetShownFoldIcon());
  EXPECT_TRUE(panel->IsOpened());
  EXPECT_TRUE(panel->FindContact("e")->IsShown());
  // A click on a person opens a private room with them, unless the controller has them blocked.
  Click(panel->FindContact("a"));
  GetManager()->GetContactInfo("c")->SetBlocked(true);
  Click(panel->FindContact("c"));
  GetManager()->GetContactInfo("c")->SetBlocked(false);
  EXPECT_EQ(std::vector<std::string>{"private a"}, m_listener.calls);
}

TEST_F(SitesPanelTest, ArrivalsAndLeavingsAreAnnouncedAsThePersonThenTheSiteThenTheDefaultSay) {
  struct Row {
    t_notification_status person, site, defaults;
    bool shown;
  };
  const auto N = NOTIFICATION_NOT_SET, OFF = NOTIFICATION_OFF, ON = NOTIFICATION_ON;
  const Row rows[] = {
      {OFF, ON, ON, false}, {ON, OFF, OFF, true}, {N, ON, OFF, true},
      {N, OFF, ON, false},  {N, N, ON, true},     {N, N, N, false},
  };
  m_sites->AddSitePanel(Site(kUrl), "site.example/");
  URLInfo* site = GetManager()->GetURLInfo(kUrl);
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  int index = 0;
  for (const Row& row : rows) {
    for (bool arrival : {true, false}) {
      SCOPED_TRACE(std::to_string(index) + (arrival ? " arrival" : " leaving"));
      const std::string kind = arrival ? "open" : "close";
      URLContactInfo update = Person(kUrl, "bob", !arrival, false, true);
      ContactInfo person = update.GetContactInfo();
      for (const char* how : {"-visual", "-bell"}) {
        person.SetNotification(kind + how, row.person);
        site->SetNotification(kind + how + "-contact", row.site);
        defaults->SetNotification(kind + how, row.defaults);
      }
      update = URLContactInfo(kUrl, 1, person, true, !arrival, false);
      const size_t before = Popups();
      m_sounds.clear();
      m_sites->UpdateContact(update);
      EXPECT_EQ(arrival ? 1 : 0, m_sites->GetContactsCount(kUrl));
      ASSERT_EQ(row.shown ? before + 1 : before, Popups());
      EXPECT_EQ(row.shown ? std::vector<std::string>{arrival ? "sounds/online.wav" : "sounds/offline.wav"}
                          : std::vector<std::string>{},
                m_sounds);
      if (!row.shown) continue;
      EXPECT_EQ("Nick bob", LastPopup()->text);
      EXPECT_EQ(arrival ? "also visits\nsite.example/" : "leaves\nsite.example/", LastPopup()->text2);
      EXPECT_EQ(arrival ? NOTIFY_ACTION_SUBSCRIBE : NOTIFY_ACTION_FOCUS_CHATROOM, LastPopup()->action.GetType());
    }
    ++index;
  }
  // Updates not to be announced add and remove in silence.
  const size_t before = Popups();
  m_sounds.clear();
  m_sites->UpdateContact(Person(kUrl, "quiet", false, false, false));
  m_sites->UpdateContact(Person(kUrl, "quiet", true, false, false));
  EXPECT_EQ(before, Popups());
  EXPECT_TRUE(m_sounds.empty());
}

}  // namespace
