// A crowd on one site: hundreds of people coming, changing and going in any order. The counts stay
// exact, the grid always shows the earliest 36 of those present in order of arrival, and an
// avatar that passed from one who left to one who waited opens the menu of the right person.
#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/notifyFrame.h"
#include "gui/sites/contactButtonBitmap.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Person;
using sitestest::Site;
using sitestest::SitesPanelTest;

const std::string kUrl = "http://crowd.example/";
constexpr int kCrowd = 300;

std::string Login(int i) { return "c" + std::to_string(i); }

wxString Text(MyStaticText* label) { return label->GetInnerText()->GetLabelText(); }

// What the panel shows against what it should: the counts in both labels and the site's tip, the
// order of arrival, and the grid holding the first 36 present, row by row while none has left.
void ExpectShows(SitePanel* panel, const std::vector<std::string>& present, int inRoom) {
  const int onSite = int(present.size());
  EXPECT_EQ(onSite, panel->GetNbrUsers());
  EXPECT_EQ(wxString::Format("%d", onSite), Text(panel->GetUsersLabel()));
  EXPECT_EQ(wxString::Format("%d", inRoom), Text(panel->GetChatRoomUsersLabel()));
  EXPECT_EQ(wxString::Format("%d Parlavoxers on the site, %d in the chatroom", onSite, inRoom),
            panel->GetSiteToolTip()->GetUsersText());
  EXPECT_EQ(present, panel->GetLogins());
  for (int i = 0; i < onSite; ++i) {
    SCOPED_TRACE(present[size_t(i)]);
    ContactButtonBitmap* avatar = panel->FindContact(present[size_t(i)]);
    EXPECT_TRUE(panel->HasContact(present[size_t(i)]));
    EXPECT_EQ(i < SitePanel::kRows * SitePanel::kColumns, avatar != nullptr);
    if (avatar) { EXPECT_EQ(present[size_t(i)], avatar->GetLogin()); }
  }
}

TEST_F(SitesPanelTest, CrowdsKeepExactCountsAndTheEarliestInTheGrid) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "crowd.example/");
  std::vector<std::string> present;
  std::vector<bool> inRoom(kCrowd, false);
  for (int i = 0; i < kCrowd; ++i) {
    inRoom[size_t(i)] = i % 3 == 0;
    m_sites->UpdateContact(Person(kUrl, Login(i), false, inRoom[size_t(i)], false, i + 1));
    present.push_back(Login(i));
  }
  auto inRoomCount = [&] { return int(std::count(inRoom.begin(), inRoom.end(), true)); };
  ExpectShows(panel, present, inRoomCount());
  wxGBPosition cell;
  ASSERT_TRUE(panel->GetCell(Login(13), &cell));
  EXPECT_EQ(wxGBPosition(1, 1), cell);

  // People waiting for a cell and people in the grid enter and leave the room: only the room
  // count moves. One gone from the page but still in the room stays.
  for (int i : {40, 41, 5, 250}) {
    inRoom[size_t(i)] = !inRoom[size_t(i)];
    m_sites->UpdateContact(Person(kUrl, Login(i), false, inRoom[size_t(i)]));
  }
  m_sites->UpdateContact(Person(kUrl, Login(42), true, true));
  inRoom[42] = true;
  ExpectShows(panel, present, inRoomCount());

  // Leaving in a scattered order, from the grid and from among those waiting: each cell freed
  // goes to the earliest waiting, so the grid keeps the earliest present.
  for (int step = 0; step < kCrowd / 2; ++step) {
    const std::string login = present[size_t((step * 37) % present.size())];
    const int i = std::stoi(login.substr(1));
    m_sites->UpdateContact(Person(kUrl, login, true, false));
    inRoom[size_t(i)] = false;
    present.erase(std::find(present.begin(), present.end(), login));
  }
  ExpectShows(panel, present, inRoomCount());
  // A person no longer there leaving again, and one never there leaving: nothing changes.
  m_sites->UpdateContact(Person(kUrl, Login(0), true, false));
  m_sites->UpdateContact(Person(kUrl, "stranger", true, false));
  ExpectShows(panel, present, inRoomCount());
  // One leaving and coming back comes last.
  const std::string back = present.front();
  m_sites->UpdateContact(Person(kUrl, back, true, false));
  m_sites->UpdateContact(Person(kUrl, back));
  inRoom[size_t(std::stoi(back.substr(1)))] = false;
  present.erase(present.begin());
  present.push_back(back);
  ExpectShows(panel, present, inRoomCount());
  EXPECT_EQ(nullptr, panel->FindContact(back));

  // Everyone goes: the panel is empty and the next one takes the first cell.
  for (const std::string& login : panel->GetLogins()) m_sites->UpdateContact(Person(kUrl, login, true, false));
  std::fill(inRoom.begin(), inRoom.end(), false);
  ExpectShows(panel, {}, 0);
  EXPECT_FALSE(panel->IsOpened());
  m_sites->UpdateContact(Person(kUrl, "again"));
  ASSERT_TRUE(panel->GetCell("again", &cell));
  EXPECT_EQ(wxGBPosition(0, 0), cell);
}

// A crowd arriving at once: every arrival still makes its notice, and the pop-up keeps the last
// 100 and shows the newest with its person's picture. The pictures of notices nobody looks at
// are never drawn; one paged back to is drawn when shown.
TEST_F(SitesPanelTest, ACrowdsNoticesAreAllKeptAndOnlyThoseShownDrawTheirPicture) {
  m_sites->AddSitePanel(Site(kUrl), "crowd.example/");
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  defaults->SetNotification("open-visual", NOTIFICATION_ON);
  for (int i = 0; i < kCrowd; ++i) m_sites->UpdateContact(Person(kUrl, Login(i), false, false, true, i + 1));
  NotifyFrame* popup = NotifyFrame::GetInstance();
  ASSERT_TRUE(popup);
  ASSERT_EQ(NotifyFrame::kMaxItems, popup->GetCount());
  const size_t newest = popup->GetCount() - 1;
  ASSERT_TRUE(guitest::PumpUntil([&] { return popup->IsShown() && size_t(popup->GetIndex()) == newest; }));
  const wxBitmap expected = GetManager()->GetAvatar(Login(kCrowd - 1), false, false, BORDER_SIMPLE, false);
  guitest::PumpUntil([&] {
    const wxBitmap& drawn = popup->GetItem(newest)->bitmap;
    return drawn.IsOk() && drawn.GetSize() == expected.GetSize();
  });
  guitest::Pump(50);
  size_t drawn = 0;
  for (size_t i = 0; i < popup->GetCount(); ++i) {
    SCOPED_TRACE(i);
    const NotifyItem* item = popup->GetItem(i);
    EXPECT_EQ("Nick " + Login(kCrowd - int(popup->GetCount()) + int(i)), item->text);
    EXPECT_EQ("also visits\ncrowd.example/", item->text2);
    if (item->bitmap.IsOk()) ++drawn;
  }
  // The newest shows; a few more may have shown on the way, as many as the pop-up shows in a
  // burst (eight a tenth of a second), not one for each.
  EXPECT_EQ(expected.GetSize(), popup->GetItem(newest)->bitmap.GetSize());
  EXPECT_LT(drawn, NotifyFrame::kMaxItems / 2);

  // The user pages back: that notice's picture is drawn as it shows.
  wxMouseEvent click(wxEVT_LEFT_UP);
  popup->OnPrevious(click);
  ASSERT_EQ(int(newest) - 1, popup->GetIndex());
  guitest::PumpUntil([&] {
    const wxBitmap& drawn = popup->GetItem(newest - 1)->bitmap;
    return drawn.IsOk() && drawn.GetSize() == expected.GetSize();
  });
  EXPECT_EQ(expected.GetSize(), popup->GetItem(newest - 1)->bitmap.GetSize());
  defaults->SetNotification("open-visual", NOTIFICATION_NOT_SET);
}

// The first in the grid leaves; the avatar now showing the first who waited opens that person's
// menu on a real right click, and its first command acts on that person.
TEST_F(SitesPanelTest, AnAvatarPassedOnOpensTheMenuOfItsNewPerson) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "crowd.example/");
  for (int i = 0; i < 200; ++i) m_sites->UpdateContact(Person(kUrl, Login(i)));
  m_sites->UpdateContact(Person(kUrl, Login(0), true, false));
  ContactButtonBitmap* avatar = panel->FindContact(Login(36));
  ASSERT_TRUE(avatar);
  wxGBPosition cell;
  ASSERT_TRUE(panel->GetCell(Login(36), &cell));
  EXPECT_EQ(wxGBPosition(0, 0), cell);
  guitest::Pump(50);
  ASSERT_TRUE(guitest::PumpUntil([&] { return avatar->IsShownOnScreen(); }));

  bool chosen = false;
  wxTimer chooser;
  chooser.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (chosen || !panel->IsMenuShown()) return;
    chosen = true;
    wxUIActionSimulator keys;
    keys.Char(WXK_DOWN);
    keys.Char(WXK_RETURN);
  });
  chooser.Start(200);
  Click(avatar, wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(guitest::PumpUntil([&] { return !m_listener.calls.empty(); }));
  chooser.Stop();
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::vector<std::string>{"private " + Login(36)}, m_listener.calls);
}

}  // namespace
