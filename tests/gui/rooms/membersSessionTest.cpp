// The member column of a chat room on the whole program with the stand-in server and other real
// clients: the welcome sentence for an empty room and for a room with people in it, members
// arriving and leaving (their rows, the notices, the pop-up and the sound as the contact's own,
// the site's and the default settings say), colours given back to the pool, a private room
// opened from a member's row and made at the server by its first line, a member leaving
// while the user has the row's menu open, and rooms closed while members come and go.
#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/mainFrame.h"
#include "gui/rooms/memberColumn.h"
#include "model/contactInfo.h"
#include "model/message.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/programSession.h"
#include "widgets/accessibleName.h"
#include "widgets/myStaticText.h"

namespace {

using programtest::Lines;
using roomstest::Shown;
using standintest::TestUser;

const char kSite[] = "http://www.members.example/";
const char kBusySite[] = "http://www.busy.example/";
const char kCrowdSite[] = "http://www.crowd.example/";

class MembersSession : public programtest::ProgramSession {
 protected:
  void TearDown() override {
    // The controller outlives the test: the switches set here go with it.
    for (auto& setting : m_settings) setting.first->SetNotification(setting.second, NOTIFICATION_NOT_SET);
    for (auto& setting : m_siteSettings) setting.first->SetNotification(setting.second, NOTIFICATION_NOT_SET);
    ProgramSession::TearDown();
  }

  void Set(ContactInfo* record, const std::string& key, t_notification_status value) {
    record->SetNotification(key, value);
    m_settings.emplace_back(record, key);
  }
  void Set(URLInfo* record, const std::string& key, t_notification_status value) {
    record->SetNotification(key, value);
    m_siteSettings.emplace_back(record, key);
  }

  // The user enters the room as the sites panel does.
  ChatRoomPanel* EnterRoom(const std::string& site) {
    Frame()->SubscribeChatRoom(site);
    EXPECT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site) && GetManager()->HasSubscribedTo(site); }));
    return Rooms()->GetChatRoom(site);
  }

  static std::vector<std::string> Rows(ChatRoomPanel* page) { return page->GetMemberLogins(); }

  bool Showing(ChatRoomPanel* page, const wxString& text) {
    return Until([&] { return Shown(page).Find(text) != wxNOT_FOUND; });
  }

  // As the scroll bar's end does.
  static void ScrollToFoot(wxWindow* column) {
    wxScrollWinEvent foot(wxEVT_SCROLLWIN_BOTTOM, 0, wxVERTICAL);
    foot.SetEventObject(column);
    column->GetEventHandler()->ProcessEvent(foot);
  }

  static size_t Count(const wxString& text, const wxString& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != wxString::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  std::vector<std::pair<ContactInfo*, std::string>> m_settings;
  std::vector<std::pair<URLInfo*, std::string>> m_siteSettings;
};

TEST_F(MembersSession, ArrivalsAndDeparturesShowRowsNoticesPopupsSoundsAndColours) {
  Manager* manager = GetManager();
  ContactInfo* defaults = manager->GetDefaultContactInfo();
  URLInfo* site = manager->GetURLInfo(kSite);
  // Arrivals: a pop-up by default, no sound; carol's own switches say the other way round.
  Set(defaults, "subscribe-visual", NOTIFICATION_ON);
  Set(defaults, "subscribe-bell", NOTIFICATION_OFF);
  Set(manager->GetContactInfo("carol"), "subscribe-visual", NOTIFICATION_OFF);
  Set(manager->GetContactInfo("carol"), "subscribe-bell", NOTIFICATION_ON);
  // Departures: nothing by default, a sound for this site's visitors.
  Set(defaults, "unsubscribe-visual", NOTIFICATION_OFF);
  Set(site, "unsubscribe-bell-contact", NOTIFICATION_ON);

  ChatRoomPanel* page = EnterRoom(kSite);
  ASSERT_TRUE(page);
  ASSERT_TRUE(Showing(page, ") Welcome ! There is no Parlavoxer yet.\n")) << Shown(page);
  EXPECT_EQ(std::vector<std::string>{"alice"}, Rows(page));
  EXPECT_EQ(wxColour(106, 90, 205), page->GetMemberColour("alice"));
  Settle();
  NewPopups();
  NewSounds();

  TestUser& bob = LogIn("bob");
  TestUser& carol = LogIn("carol");
  ASSERT_TRUE(Enter(bob, kSite));
  ASSERT_TRUE(Showing(page, ") Bob joins this chatroom\n"));
  ASSERT_TRUE(Enter(carol, kSite));
  ASSERT_TRUE(Showing(page, ") Carol joins this chatroom\n"));
  EXPECT_EQ((std::vector<std::string>{"alice", "bob", "carol"}), Rows(page));
  EXPECT_EQ(wxColour(205, 92, 92), page->GetMemberColour("bob"));
  EXPECT_EQ(wxColour(255, 165, 0), page->GetMemberColour("carol"));
  EXPECT_EQ(wxColour(106, 90, 205), page->GetMemberColour("alice"));
  EXPECT_EQ(Lines{"Enter chatroom | Bob | subscribes to\nwww.members.example/ | 2 " + std::string(kSite)}, NewPopups());
  EXPECT_EQ(Lines{"sounds/online.wav"}, NewSounds());
  // A member's line is written in the member's colour.
  bob.Link().SendMessage(bob.Key(), kSite, "bob writes");
  ASSERT_TRUE(Showing(page, "bob writes"));
  EXPECT_EQ(wxColour(205, 92, 92), roomstest::StyleOf(page, "bob writes").GetTextColour());

  // Bob leaves: his row goes, his colour goes back to the pool, and the next one to come takes it.
  bob.Link().SendUnsubscribeChatRoom(bob.Key(), kSite);
  ASSERT_TRUE(Showing(page, ") Bob leaves this chatroom\n"));
  EXPECT_EQ((std::vector<std::string>{"alice", "carol"}), Rows(page));
  EXPECT_FALSE(page->GetMemberColour("bob").IsOk());
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{"sounds/offline.wav"}, NewSounds());
  TestUser& dave = LogIn("dave");
  ASSERT_TRUE(Enter(dave, kSite));
  ASSERT_TRUE(Showing(page, ") Dave joins this chatroom\n"));
  EXPECT_EQ(wxColour(205, 92, 92), page->GetMemberColour("dave"));
  // Bob comes back: the next colour of the pool.
  ASSERT_TRUE(Enter(bob, kSite));
  ASSERT_TRUE(Until([&] { return page->FindContact("bob") != nullptr; }));
  EXPECT_EQ(wxColour(189, 183, 107), page->GetMemberColour("bob"));
  EXPECT_EQ((std::vector<std::string>{"alice", "carol", "dave", "bob"}), Rows(page));
  EXPECT_EQ(1u, Count(Shown(page), "Bob leaves"));

  // A room with people in it: the sentence counts them, their rows come without a notice.
  ASSERT_TRUE(Enter(bob, kBusySite));
  ASSERT_TRUE(Enter(carol, kBusySite));
  ASSERT_TRUE(Enter(dave, kBusySite));
  ChatRoomPanel* busy = EnterRoom(kBusySite);
  ASSERT_TRUE(busy);
  ASSERT_TRUE(Showing(busy, ") Welcome ! There are already 3 Parlavoxer(s) here.\n")) << Shown(busy);
  ASSERT_TRUE(Until([&] { return busy->GetMemberCount() == 4; }));
  EXPECT_EQ(wxNOT_FOUND, Shown(busy).Find("joins this chatroom")) << Shown(busy);
  // A member's logging out is a departure from each room.
  LogOut("carol");
  ASSERT_TRUE(Showing(busy, ") Carol leaves this chatroom\n"));
  ASSERT_TRUE(Showing(page, ") Carol leaves this chatroom\n"));
  EXPECT_EQ(nullptr, busy->FindContact("carol"));
  EXPECT_EQ(nullptr, page->FindContact("carol"));
  NewPopups();
  NewSounds();

  // What reaches the page besides the server's word for its own room. An update for every room
  // refreshes members only; the same for the room itself lets erin in.
  ContactInfo* erin = manager->GetContactInfo("erin");
  erin->SetNickname("Erin");
  erin->SubscribeTo(kSite);
  Rooms()->UpdateContact(URLContactInfo("__ALL__", 0, *erin, true, false, false));
  EXPECT_EQ(nullptr, page->FindContact("erin"));
  Rooms()->UpdateContact(URLContactInfo(kSite, 0, *erin, true, false, false));
  ASSERT_TRUE(page->FindContact("erin"));
  EXPECT_EQ(1u, Count(Shown(page), "Erin joins this chatroom"));
  EXPECT_EQ(1u, NewPopups().size());
  // A line from a member whose record says she left takes her row away, with the notice only.
  erin->UnsubscribeFrom(kSite);
  Message line(kSite, "erin", "Erin", "still here?", time(nullptr), false);
  Rooms()->AddMessage(&line);
  // The rows follow their senders once the lines are written.
  EXPECT_TRUE(Until([&] { return page->FindContact("erin") == nullptr; }));
  EXPECT_TRUE(Showing(page, ") Erin leaves this chatroom\n"));
  Settle();
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{}, NewSounds());
}

// A crowd comes into a room and goes, as the server announces each one (straight into the
// chat-rooms window, thousands being more than the stand-in's users): the column keeps the order
// of arrival and its count, only rows near the view have windows, colours go round the pool,
// every arrival and departure is written (the display keeping its latest lines), and a row far
// down, once scrolled to, shows its member with the nickname shortened to the column.
TEST_F(MembersSession, ACrowdKeepsItsOrderCountsColoursAndNoticesAndRowsFarDownReadRight) {
  ChatRoomPanel* page = EnterRoom(kCrowdSite);
  ASSERT_TRUE(page);
  Rooms()->Show(true);
  Rooms()->Raise();
  ASSERT_TRUE(Until([&] { return page->FindContact("alice") && page->FindContact("alice")->IsShownOnScreen(); }));
  MemberColumn* column = page->GetMemberColumn();
  const int crowd = 3000;
  auto person = [&](int i, bool inRoom) {
    ContactInfo contact;
    contact.SetLogin("crowd" + std::to_string(i));
    contact.SetNickname("Member " + std::to_string(i) + " with a name too long for the column");
    contact.SetStatus(STATUS_ONLINE);
    if (inRoom) contact.SubscribeTo(kCrowdSite);
    return URLContactInfo(kCrowdSite, i + 1, contact, false, !inRoom, false);
  };
  for (int i = 0; i < crowd; ++i) Rooms()->UpdateContact(person(i, true));

  std::vector<std::string> expected{"alice"};
  for (int i = 0; i < crowd; ++i) expected.push_back("crowd" + std::to_string(i));
  EXPECT_EQ(expected, Rows(page));
  EXPECT_EQ(size_t(crowd + 1), page->GetMemberCount());
  EXPECT_EQ(wxColour(205, 92, 92), page->GetMemberColour("crowd0"));
  EXPECT_EQ(wxColour(238, 99, 99), page->GetMemberColour("crowd4"));
  EXPECT_EQ(*wxBLACK, page->GetMemberColour("crowd5"));
  EXPECT_EQ(*wxBLACK, page->GetMemberColour("crowd" + std::to_string(crowd - 1)));
  EXPECT_EQ(wxColour(106, 90, 205), page->GetMemberColour("alice"));
  const wxString shown = Shown(page);
  EXPECT_NE(wxNOT_FOUND, shown.Find(") Member 2999 with a name too long for the column joins this chatroom\n"));
  EXPECT_LE(roomstest::Paragraphs(page), ChatRoomPanel::kMaxParagraphs + 1);
  ASSERT_TRUE(Until([&] { return column->IsPlaced(); }));
  EXPECT_LT(column->GetRowWindows(), 200);

  // The last row, scrolled to: its window stands in sight at the column's foot, the nickname
  // ends in an ellipsis within the row, and the screen reader hears the whole of it.
  const std::string last = "crowd" + std::to_string(crowd - 1);
  const wxRect place = column->GetRowRect(last);
  ASSERT_FALSE(place.IsEmpty());
  EXPECT_EQ(crowd, place.y / place.height);
  ScrollToFoot(column);
  ASSERT_TRUE(Until([&] { return column->IsPlaced() && column->FindRowWindow(last); }));
  ContactEntry* row = column->FindRowWindow(last);
  ASSERT_TRUE(Until([&] { return row->IsShownOnScreen(); }));
  EXPECT_TRUE(column->GetScreenRect().Contains(row->GetScreenRect())) << row->GetScreenRect().y;
  MyStaticText* name = guitest::FindChild<MyStaticText>(row, [](MyStaticText*) { return true; });
  ASSERT_TRUE(name);
  const wxString label = name->GetInnerText()->GetLabelText();
  wxString kept;
  EXPECT_TRUE(label.EndsWith("...", &kept)) << label;
  EXPECT_TRUE(kept.StartsWith("Member 2")) << label;
  EXPECT_LE(name->GetScreenRect().GetRight(), row->GetScreenRect().GetRight());
  EXPECT_LE(name->GetInnerText()->GetTextExtent(label).x, row->GetSize().x - name->GetPosition().x);
  const wxString spoken = accessible::GetName(row);
  if (!spoken.empty()) {
    EXPECT_EQ("Member 2999 with a name too long for the column, online", spoken);
  }

  // Every other member leaves, the first colours going back to the pool in turn.
  for (int i = 0; i < crowd; i += 2) Rooms()->UpdateContact(person(i, false));
  expected = {"alice"};
  for (int i = 1; i < crowd; i += 2) expected.push_back("crowd" + std::to_string(i));
  EXPECT_EQ(expected, Rows(page));
  EXPECT_FALSE(page->GetMemberColour("crowd0").IsOk());
  EXPECT_EQ(wxColour(255, 165, 0), page->GetMemberColour("crowd1"));
  EXPECT_NE(wxNOT_FOUND, Shown(page).Find(") Member 2998 with a name too long for the column leaves this chatroom\n"));
  Rooms()->UpdateContact(person(crowd, true));
  EXPECT_EQ(wxColour(238, 99, 99), page->GetMemberColour("crowd" + std::to_string(crowd)));
  // What was the last row is now half way: the column's foot shows the last ones.
  ASSERT_TRUE(Until([&] { return column->IsPlaced(); }));
  EXPECT_EQ(crowd / 2, column->GetRowRect(last).y / column->GetRowRect(last).height);
  ContactEntry* newest = nullptr;
  ScrollToFoot(column);
  ASSERT_TRUE(Until([&] {
    newest = column->FindRowWindow("crowd" + std::to_string(crowd));
    return column->IsPlaced() && newest && newest->IsShownOnScreen();
  }));
  EXPECT_EQ("crowd" + std::to_string(crowd), newest->GetLogin());

  // Then everyone: only the user stays, with a few windows kept aside.
  for (int i = 1; i <= crowd; i += 2) Rooms()->UpdateContact(person(i, false));
  Rooms()->UpdateContact(person(crowd, false));
  EXPECT_EQ(std::vector<std::string>{"alice"}, Rows(page));
  ASSERT_TRUE(Until([&] { return column->IsPlaced(); }));
  EXPECT_LT(column->GetRowWindows(), 100);
  EXPECT_TRUE(Until([&] { return page->FindContact("alice")->IsShownOnScreen(); }));
  EXPECT_EQ(0, column->GetRowRect("alice").y);
}

TEST(MemberColours, ThePoolInTurnBlackWhenEmptyAndTheOwnColourKept) {
  // Values only: the page's pool and map, driven as the member list drives them.
  Manager* manager = GetManager();
  const std::string own = manager->GetLogin();
  auto* frame = new wxFrame(nullptr, wxID_ANY, "members");
  auto* page = new ChatRoomPanel(manager, frame, "http://www.colours.example/");
  auto member = [&](const std::string& login) {
    ContactInfo contact;
    contact.SetLogin(login);
    contact.SetNickname(login);
    contact.SubscribeTo("http://www.colours.example/");
    return contact;
  };
  const wxColour turn[] = {wxColour(205, 92, 92), wxColour(255, 165, 0), wxColour(189, 183, 107),
                           wxColour(60, 179, 113), wxColour(238, 99, 99), *wxBLACK};
  for (int i = 0; i < 6; ++i) page->AddContact(member("m" + std::to_string(i)));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(turn[i], page->GetMemberColour("m" + std::to_string(i))) << i;
  // The second leaves; the seventh takes the colour given back. Black never enters the pool.
  page->RemoveContact("m1");
  page->RemoveContact("m5");
  page->AddContact(member("m6"));
  EXPECT_EQ(wxColour(255, 165, 0), page->GetMemberColour("m6"));
  page->AddContact(member("m7"));
  EXPECT_EQ(*wxBLACK, page->GetMemberColour("m7"));
  // Logins differ by their case; an unknown login, or the user's own, gives nothing back.
  page->RemoveContact("M0");
  page->RemoveContact("nobody");
  page->AddContact(member(own));
  page->RemoveContact(own);
  page->AddContact(member(own));
  page->RemoveContact(own);
  EXPECT_EQ(wxColour(106, 90, 205), page->GetMemberColour(own));
  EXPECT_EQ(turn[0], page->GetMemberColour("m0"));
  page->AddContact(member("m8"));
  EXPECT_EQ(*wxBLACK, page->GetMemberColour("m8"));
  EXPECT_EQ(7u, page->GetMemberCount());
  // Connection lost: every row goes and each colour returns, in the rows' order.
  page->SetConnectionStatus(false);
  EXPECT_TRUE(page->GetMemberCount() == 0);
  page->AddContact(member("n"));
  EXPECT_EQ(wxColour(255, 165, 0), page->GetMemberColour("n"));
  frame->Destroy();
}

TEST_F(MembersSession, PrivateRoomFromARowAMemberLeavingUnderItsMenuAndRoomsClosedWhileMembersComeAndGo) {
  ChatRoomPanel* page = EnterRoom(kSite);
  ASSERT_TRUE(page);
  TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kSite));
  ASSERT_TRUE(Until([&] { return page->FindContact("bob") != nullptr; }));
  Rooms()->Show(true);
  Rooms()->Raise();
  ASSERT_TRUE(Until([&] { return page->FindContact("bob")->IsShownOnScreen(); }));

  // A real double click on bob's row opens the private room with him; the first line typed
  // there makes the room at the server, whose answer enters bob and then the user as members,
  // with bob's arrival written but never a pop-up or a sound in a one-to-one room.
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  Set(defaults, "subscribe-visual", NOTIFICATION_ON);
  Set(defaults, "subscribe-bell", NOTIFICATION_ON);
  NewPopups();
  NewSounds();
  const std::string pair = GetManager()->GetPrivateChatRoomNameWith("bob");
  MyStaticText* bobsName =
      guitest::FindChild<MyStaticText>(page->FindContact("bob"), [](MyStaticText*) { return true; });
  ASSERT_TRUE(bobsName);
  guitest::ClickUntil(bobsName, [&] { return Rooms()->IsChatRoomOpened(pair); });
  ChatRoomPanel* priv = Rooms()->GetChatRoom(pair);
  ASSERT_TRUE(priv);
  MyTextCtrl* input = priv->GetWriteMessagePanel()->GetTextCtrl();
  guitest::ClickUntil(input, [&] { return input->HasFocus(); });
  wxUIActionSimulator().Text("hi");
  wxUIActionSimulator().Char(WXK_RETURN);
  ASSERT_TRUE(Until([&] { return priv->GetMemberCount() == 2; }));
  EXPECT_EQ((std::vector<std::string>{"bob", "alice"}), Rows(priv));
  EXPECT_TRUE(Showing(priv, ") Bob joins this chatroom\n")) << Shown(priv);
  Settle();
  EXPECT_EQ(Lines{}, NewPopups());
  EXPECT_EQ(Lines{}, NewSounds());
  Rooms()->FocusOnChatRoom(kSite);
  ASSERT_TRUE(Until([&] { return page->FindContact("bob")->IsShownOnScreen(); }));

  // The user opens bob's menu with a real right click; bob leaves while it is open. The row
  // leaves the column at once and is destroyed once the menu closed.
  wxWeakRef<ContactEntry> row = page->FindContact("bob");
  MyStaticText* nickname = guitest::FindChild<MyStaticText>(row.get(), [](MyStaticText*) { return true; });
  ASSERT_TRUE(nickname);
  bool left = false, stillThere = false, gone = false;
  wxTimer leaver;
  leaver.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!row || !row->IsMenuShown() || left) return;
    left = true;
    bob.Link().SendUnsubscribeChatRoom(bob.Key(), kSite);
    gone = Until([&] { return page->FindContact("bob") == nullptr; });
    stillThere = bool(row);
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  leaver.Start(50);
  wxUIActionSimulator mouse;
  mouse.MouseMove(nickname->GetScreenPosition() + wxPoint(6, nickname->GetSize().y / 2));
  Settle();
  mouse.MouseClick(wxMOUSE_BTN_RIGHT);
  ASSERT_TRUE(Until([&] { return left && !row; }));
  leaver.Stop();
  EXPECT_TRUE(gone);
  EXPECT_TRUE(stillThere);
  EXPECT_EQ(0, lateDestruction::Waiting());

  // Members come and go while the user closes the rooms, one tab after the other and then the
  // whole window; under the sanitizers nothing is used after it went.
  TestUser& carol = LogIn("carol");
  for (int round = 0; round < 3; ++round) {
    ChatRoomPanel* busy = EnterRoom(kBusySite);
    ASSERT_TRUE(busy);
    for (int i = 0; i < 10; ++i) {
      bob.Link().SendSubscribeChatRoom(bob.Key(), kBusySite);
      carol.Link().SendSubscribeChatRoom(carol.Key(), kBusySite);
      bob.Link().SendUnsubscribeChatRoom(bob.Key(), kBusySite);
      if (i == 5) Rooms()->CloseChatRoom(kBusySite);
      carol.Link().SendUnsubscribeChatRoom(carol.Key(), kBusySite);
    }
    ASSERT_TRUE(bob.Sync());
    ASSERT_TRUE(carol.Sync());
    Settle();
    EXPECT_FALSE(Rooms()->IsChatRoomOpened(kBusySite));
  }
  bob.Link().SendSubscribeChatRoom(bob.Key(), kBusySite);
  EnterRoom(kBusySite);
  bob.Link().SendUnsubscribeChatRoom(bob.Key(), kBusySite);
  Rooms()->Close();
  ASSERT_TRUE(bob.Sync());
  Settle();
}

}  // namespace
