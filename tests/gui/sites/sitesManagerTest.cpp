// The sites manager and its lists, driven by real clicks, typing and keys: addresses typed into
// the add dialog, sites removed several at once, lines opened in the browser, the default
// changed, the lists following the controller and the recommendations the server sends.
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "gui/sites/sitesList.h"
#include "gui/sites/webSitesShortFrame.h"
#include "tests/gui/sites/sitesManagerFixture.h"

namespace {

using sitestest::Click;

class SitesManager : public sitestest::SiteWindowsTest {
 protected:
  WebSitesShortFrame* Open() {
    auto* frame = new WebSitesShortFrame(m_parent, manager());
    frame->SetSize(wxRect(400, 40, 360, 700));
    frame->Show(1);
    EXPECT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen(); }));
    return frame;
  }
  static std::vector<std::string> Lines(SitesList* list) {
    std::vector<std::string> lines;
    for (const wxString& line : list->GetListBox()->GetStrings()) lines.push_back(line.utf8_string());
    return lines;
  }
  // The picture of the list's top row with the tool tip `tip`.
  static wxWindow* Icon(SitesList* list, const wxString& tip) {
    return guitest::FindChild<wxWindow>(list, [&](wxWindow* w) { return w->GetToolTipText() == tip; });
  }
  // Types `text` into the add dialog of `list` and presses Return, or sets it when typing it
  // would take too long or cannot be typed.
  void Add(SitesList* list, const std::string& text, bool type = true) {
    dialogs.drive = [text, type](wxDialog* dialog) {
      auto* field = guitest::FindChild<wxTextCtrl>(dialog, [](wxTextCtrl*) { return true; });
      wxUIActionSimulator sim;
      if (!type) field->SetValue(wxString::FromUTF8(text));
      else if (!text.empty()) sim.Text(text.c_str());
      guitest::PumpUntil([&] { return !type || field->GetValue() == wxString::FromUTF8(text); });
      sim.Char(WXK_RETURN);
    };
    const int before = dialogs.others;
    EXPECT_TRUE(Click(Icon(list, "Click to add a new site"), [&] { return dialogs.others > before && !dialogs.driver->IsRunning(); }));
    guitest::Pump(20);
  }
};

TEST_F(SitesManager, TypedAddressesAreCheckedAndNormalised) {
  WebSitesShortFrame* frame = Open();
  SitesList* blocked = frame->GetBlockedList();
  ASSERT_TRUE(blocked->IsShown());
  const std::string tooLong(10000, 'a');
  const struct {
    std::string typed;
    bool type;
    const char* address;  // the site blocked, or empty when refused
    const char* refusal;
  } rows[] = {
      {"Example.COM", true, "http://example.com/", ""},
      {"  news.example  ", true, "http://news.example/", ""},
      {"HTTPS://Mixed.Example/Path?Q=A", true, "https://mixed.example/Path?Q=A", ""},
      {"a.example/?u=http://b.example", true, "http://a.example/?u=http://b.example", ""},
      {"EXAMPLE.com/", true, "http://example.com/", ""},  // listed already, in other letters
      {"", true, "", "Add site: Please type the address of a site."},
      {"   ", true, "", "Add site: Please type the address of a site."},
      {"http://", true, "", "Add site: Please type the address of a site."},
      {"exa mple.com", true, "", "Add site: A site's address cannot hold blanks or control characters."},
      {"bad\x01.example\t", false, "", "Add site: A site's address cannot hold blanks or control characters."},
      {"line\nbreak.example", false, "", "Add site: A site's address cannot hold blanks or control characters."},
      {tooLong, false, "", "Add site: This address is too long: a site's address has at most 2048 characters."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed.substr(0, 40));
    dialogs.boxes.clear();
    const size_t sites = manager()->GetAllURLInfo().size();
    Add(blocked, row.typed, row.type);
    if (*row.address) {
      EXPECT_TRUE(dialogs.boxes.empty());
      EXPECT_EQ(SITE_BLOCKED, Site(row.address)->GetStatus());
    } else {
      EXPECT_EQ(std::vector<wxString>{row.refusal}, dialogs.boxes);
      EXPECT_EQ(sites, manager()->GetAllURLInfo().size()) << "nothing reached the controller";
    }
  }
  EXPECT_EQ((std::vector<std::string>{"a.example/?u=http://b.example", "example.com/", "mixed.example/Path?Q=A",
                                      "news.example/"}),
            Lines(blocked));
  // Cancel: nothing.
  dialogs.drive = [](wxDialog*) { wxUIActionSimulator().Char(WXK_ESCAPE); };
  const size_t sites = manager()->GetAllURLInfo().size();
  const int before = dialogs.others;
  ASSERT_TRUE(Click(Icon(blocked, "Click to add a new site"),
                    [&] { return dialogs.others > before && !dialogs.driver->IsRunning(); }));
  EXPECT_EQ(sites, manager()->GetAllURLInfo().size());
  EXPECT_EQ(4u, Lines(blocked).size());
  // Shown again, the list is built from the controller's records: each site once.
  frame->Show(0);
  frame->Show(1);
  EXPECT_EQ(4u, Lines(blocked).size());
}

TEST_F(SitesManager, RemovesSeveralSelectedSitesAtOnceByTheirOwnAddresses) {
  for (const char* url : {"http://a.example/", "https://b.example/", "http://c.example/", "http://d.example/",
                          "http://e.example/"})
    manager()->SetSiteStatus(url, SITE_BLOCKED);
  Config::GetInstance()->AddRecommendedSite("https://rec1.example/", 3);
  Config::GetInstance()->AddRecommendedSite("smb://share.example/x", 2);
  Config::GetInstance()->AddRecommendedSite("http://rec3.example/", 1);
  WebSitesShortFrame* frame = Open();
  SitesList* blocked = frame->GetBlockedList();
  ASSERT_EQ(5u, Lines(blocked).size());

  // The first, third and fourth lines, then Delete (acting when released).
  for (int i : {0, 2, 3}) blocked->GetListBox()->SetSelection(i);
  frame->Raise();
  ASSERT_TRUE(Click(blocked->GetListBox(), [&] { return blocked->GetListBox()->HasFocus(); }));
  for (int i : {0, 2, 3}) blocked->GetListBox()->SetSelection(i);
  for (int i : {1, 4}) blocked->GetListBox()->Deselect(i);
  wxUIActionSimulator sim;
  sim.KeyDown(WXK_DELETE);
  guitest::Pump(50);
  EXPECT_EQ(5u, Lines(blocked).size()) << "nothing happens on the key's press";
  sim.KeyUp(WXK_DELETE);
  ASSERT_TRUE(guitest::PumpUntil([&] { return Lines(blocked).size() == 2; }));
  EXPECT_EQ((std::vector<std::string>{"b.example/", "e.example/"}), Lines(blocked));
  EXPECT_EQ(SITE_DEFAULT, Site("http://a.example/")->GetStatus());
  EXPECT_EQ(SITE_DEFAULT, Site("http://c.example/")->GetStatus());
  EXPECT_EQ(SITE_DEFAULT, Site("http://d.example/")->GetStatus());
  // An https site is removed under its own address, not "http://" and its line.
  blocked->GetListBox()->SetSelection(0);
  ASSERT_TRUE(Click(Icon(blocked, "Click to remove selected sites"), [&] { return Lines(blocked).size() == 1; }));
  EXPECT_EQ(SITE_DEFAULT, Site("https://b.example/")->GetStatus());
  EXPECT_EQ(SITE_BLOCKED, Site("http://e.example/")->GetStatus());
  ASSERT_TRUE(Click(Icon(blocked, "Click to remove selected sites"), nullptr));
  guitest::Pump(100);
  EXPECT_EQ(1u, Lines(blocked).size()) << "nothing selected, nothing removed";

  // The recommendations, withdrawn by their own addresses; no status changes.
  for (const RecommendedSite& site : {RecommendedSite("https://rec1.example/", 3),
                                      RecommendedSite("smb://share.example/x", 2),
                                      RecommendedSite("http://rec3.example/", 1)})
    frame->AddRecommendedSite(site);
  SitesList* recommended = frame->GetRecommendedList();
  ASSERT_TRUE(guitest::PumpUntil([&] { return recommended->IsShownOnScreen(); }));
  EXPECT_EQ(nullptr, Icon(recommended, "Click to add a new site"));
  // A double click opens a web site by its address, and nothing else.
  auto lineAt = [&](int index) {
    wxListBox* box = recommended->GetListBox();
    for (int y = 1; y < box->GetClientSize().y; ++y)
      if (box->HitTest(wxPoint(10, y)) == index) return box->ClientToScreen(wxPoint(10, y + 3));
    return wxPoint();
  };
  // Each double click is waited for until the list has handled it, however slowly the machine
  // delivers it: the second opens nothing, which no wait of a fixed length could tell.
  int doubleClicks = 0;
  recommended->GetListBox()->Bind(wxEVT_LISTBOX_DCLICK, [&](wxCommandEvent& event) {
    ++doubleClicks;
    event.Skip();
  });
  for (const char* text : {"rec1.example/", "share.example/x"}) {
    const int index = recommended->GetListBox()->FindString(text);
    const int before = doubleClicks;
    wxUIActionSimulator click;
    click.MouseMove(lineAt(index));
    guitest::Pump(20);
    click.MouseDblClick();
    ASSERT_TRUE(guitest::PumpUntil([&] { return doubleClicks > before; })) << text;
  }
  EXPECT_EQ(std::vector<std::string>{"https://rec1.example/"}, opened);
  for (unsigned i = 0; i < recommended->GetListBox()->GetCount(); ++i) recommended->GetListBox()->SetSelection(i);
  ASSERT_TRUE(Click(Icon(recommended, "Click to remove selected sites"), [&] { return Lines(recommended).empty(); }));
  EXPECT_EQ(0, Config::GetInstance()->GetNbrRecommendedSites());
  EXPECT_TRUE(recommended->IsShown()) << "the list stays once it has appeared";
  EXPECT_EQ(SITE_DEFAULT, Site("https://rec1.example/")->GetStatus());
}

TEST_F(SitesManager, FollowsTheControllerTheDefaultAndTheRecommendations) {
  Config::GetInstance()->AddURLInfo(new URLInfo("http://stored.example/", SITE_BLOCKED, 0, 0, 0, kNoGrade, "", 99, "",
                                                nullptr));
  manager()->SetSiteStatus("http://STORED.example/", SITE_BLOCKED);  // the same site in other letters
  manager()->SetSiteStatus("http://opened.example/", SITE_OPEN);
  manager()->SetSiteStatus("http://unset.example/", SITE_DEFAULT);
  WebSitesShortFrame* frame = Open();
  SitesList* blocked = frame->GetBlockedList();
  SitesList* openedList = frame->GetOpenedList();
  auto* openedButton = guitest::FindChild<wxRadioButton>(frame, [](wxRadioButton* b) {
    return b->GetLabel() == "Sites are opened by default ...";
  });
  auto* blockedButton = guitest::FindChild<wxRadioButton>(frame, [](wxRadioButton* b) {
    return b->GetLabel() == "Sites are blocked by default ...";
  });
  ASSERT_TRUE(openedButton && blockedButton);
  EXPECT_EQ(std::vector<std::string>{"stored.example/"}, Lines(blocked));
  EXPECT_EQ(std::vector<std::string>{"opened.example/"}, Lines(openedList));
  EXPECT_TRUE(openedButton->GetValue() && blocked->IsShown() && !openedList->IsShown());
  EXPECT_FALSE(frame->GetRecommendedList()->IsShown());

  // Blocking by default asks first; No keeps sites opened.
  dialogs.answer = wxID_NO;
  ASSERT_TRUE(Click(blockedButton, [&] { return dialogs.boxes.size() == 1; }));
  EXPECT_TRUE(dialogs.boxes[0].StartsWith("Blocked sites by default?: By checking this parameter"));
  EXPECT_TRUE(guitest::PumpUntil([&] { return openedButton->GetValue(); }));
  EXPECT_EQ(SITE_OPEN, manager()->GetDefaultSiteStatus());
  dialogs.answer = wxID_YES;
  ASSERT_TRUE(Click(blockedButton, [&] { return manager()->GetDefaultSiteStatus() == SITE_BLOCKED; }));
  EXPECT_TRUE(blockedButton->GetValue() && openedList->IsShown() && !blocked->IsShown());
  // Back to opened: no question.
  ASSERT_TRUE(Click(openedButton, [&] { return manager()->GetDefaultSiteStatus() == SITE_OPEN; }));
  EXPECT_EQ(2u, dialogs.boxes.size());
  EXPECT_TRUE(openedButton->GetValue() && blocked->IsShown() && !openedList->IsShown());

  // A site switched from its block moves list; one added to one list leaves the other.
  URLInfo* site = Site("http://opened.example/");
  manager()->SetSiteStatus(site->GetURL(), SITE_BLOCKED);
  frame->UpdateWebSiteStatus(*site);
  EXPECT_EQ((std::vector<std::string>{"opened.example/", "stored.example/"}), Lines(blocked));
  EXPECT_TRUE(Lines(openedList).empty());
  frame->Show(0);
  frame->UpdateWebSiteStatus(*Site("http://stored.example/"));  // hidden, all the same
  frame->AddWebSite(*Site("http://unset.example/"));
  EXPECT_EQ((std::vector<std::string>{"opened.example/", "stored.example/"}), Lines(blocked));

  // Recommendations: none keeps the list hidden; a site listed in other letters once; at most 500.
  frame->Show(1);
  frame->AddRecommendedSites({});
  EXPECT_FALSE(frame->GetRecommendedList()->IsShown());
  frame->SetSize(frame->GetMinSize());
  const int height = frame->GetSize().y;
  frame->AddRecommendedSites({RecommendedSite("http://r.example/", 1), RecommendedSite("http://R.EXAMPLE/", 1)});
  EXPECT_EQ(std::vector<std::string>{"r.example/"}, Lines(frame->GetRecommendedList()));
  EXPECT_TRUE(guitest::PumpUntil([&] { return frame->GetRecommendedList()->IsShownOnScreen(); }));
  EXPECT_GT(frame->GetSize().y, height) << "the window grows for the list";
  std::vector<RecommendedSite> flood;
  for (int i = 0; i < 600; ++i) flood.emplace_back("http://flood" + std::to_string(i) + ".example/", 1);
  frame->AddRecommendedSites(flood);
  EXPECT_EQ(SitesList::kMaxRecommended, frame->GetRecommendedList()->GetListBox()->GetCount());

  ASSERT_TRUE(Click(guitest::FindChild<wxStaticText>(frame, [](wxStaticText* t) { return t->GetLabel() == "Help?"; }),
                    [&] { return !opened.empty(); }));
  EXPECT_EQ(std::vector<std::string>{"https://www.parlavox.example/common/help/0.9.8b/userguide.php#sitesmanager"},
            opened);
}

}  // namespace
