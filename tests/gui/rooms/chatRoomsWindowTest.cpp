// The chat-rooms window and its pages, fed what the controller would hand them: rooms found by
// their exact names, message lines with times, senders, colours, links and smileys, notices,
// tabs that blink, the typing line, and a display that stays bounded under a flood of hostile
// lines.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/richtext/richtextbuffer.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/rooms/memberColumn.h"
#include "gui/statusLook.h"
#include "gui/webBrowser.h"
#include "gui/rooms/messageText.h"
#include "model/contactInfo.h"
#include "model/message.h"
#include "model/urlContactInfo.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "widgets/myStaticText.h"

namespace {

using roomstest::Paragraphs;
using roomstest::Pictures;
using roomstest::Shown;
using roomstest::StyleOf;

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm when {};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  when.tm_isdst = -1;
  return mktime(&when);
}

// A member of `room`, as the server's update brings it.
ContactInfo Member(const std::string& login, const std::string& nickname, const std::string& room) {
  ContactInfo member;
  member.SetLogin(login);
  member.SetNickname(nickname);
  member.SubscribeTo(room);
  return member;
}

std::string DateAndTime(time_t t) {
  struct tm local {};
  localtime_r(&t, &local);
  char text[100];
  return std::string(text, strftime(text, sizeof text, "%c", &local));
}

TEST(MessageText, TimeStampsLinksAndHostileCharacters) {
  const time_t now = LocalTime(2026, 3, 5, 12, 0, 0);
  const time_t sameDayOtherMonth = LocalTime(2026, 2, 5, 9, 5, 7);
  const time_t sameDayOtherYear = LocalTime(2025, 3, 5, 9, 5, 7);
  EXPECT_EQ("09:05:07", messagetext::FormatMessageTime(LocalTime(2026, 3, 5, 9, 5, 7), now));
  EXPECT_EQ(DateAndTime(sameDayOtherMonth), messagetext::FormatMessageTime(sameDayOtherMonth, now));
  EXPECT_EQ(DateAndTime(sameDayOtherYear), messagetext::FormatMessageTime(sameDayOtherYear, now));

  const wxString fffd(wxUniChar(0xFFFD));
  const wxString lineBreak(wxRichTextLineBreakChar);
  const struct {
    const wchar_t* in;
    wxString out;
  } shown[] = {
      {L"plain text", "plain text"},
      {L"a\x01" L"b\x1b[31mc", "a" + fffd + "b" + fffd + "[31mc"},
      {L"right\x202Eto left\x202C, isolate\x2067x\x2069", "right" + fffd + "to left" + fffd + ", isolate" + fffd + "x" + fffd},
      {L"two\nlines\tand a tab\r", "two" + lineBreak + "lines\tand a tab" + fffd},
      {L"C1 \x85 and DEL \x7f", "C1 " + fffd + " and DEL " + fffd},
  };
  for (const auto& row : shown) EXPECT_EQ(row.out, messagetext::Shown(row.in)) << wxString(row.in);

  const struct {
    const char* in;
    std::vector<std::pair<std::string, std::string>> runs;  // text, target
  } links[] = {
      {"word http://a.example/x more", {{"word ", ""}, {"http://a.example/x", "http://a.example/x"}, {" more", ""}}},
      {"www.b.example, then", {{"www.b.example,", "http://www.b.example,"}, {" then", ""}}},
      {"HTTP://C.EXAMPLE WWW.D", {{"HTTP://C.EXAMPLE WWW.D", ""}}},
      {"https://www.e.example/", {{"https://", ""}, {"www.e.example/", "http://www.e.example/"}}},
      {"xwww.f.example", {{"x", ""}, {"www.f.example", "http://www.f.example"}}},
      {"tab\thttp://g.example/\tstill", {{"tab\t", ""}, {"http://g.example/\tstill", "http://g.example/\tstill"}}},
  };
  for (const auto& row : links) {
    std::vector<std::pair<std::string, std::string>> runs;
    for (const messagetext::Run& run : messagetext::SplitLinks(row.in))
      runs.emplace_back(run.text.ToStdString(), run.target.ToStdString());
    EXPECT_EQ(row.runs, runs) << row.in;
  }
}

using RoomsWindow = roomstest::RoomsWindow;

TEST_F(RoomsWindow, RoomsAreFoundByTheirExactNamesAndOpenWithTheirNotice) {
  ChatRoomPanel* lower = rooms->CreateChatRoom("http://a.example/", "a.example/", "Chatroom opened");
  ChatRoomPanel* upper = rooms->CreateChatRoom("http://A.example/", "A.example/", "Chatroom opened");
  EXPECT_EQ(0, rooms->GetChatRoomIndex("http://a.example/"));
  EXPECT_EQ(1, rooms->GetChatRoomIndex("http://A.example/"));
  EXPECT_EQ(-1, rooms->GetChatRoomIndex("http://a.example"));
  EXPECT_EQ(upper, rooms->GetChatRoom("http://A.example/"));
  EXPECT_EQ(1, rooms->GetNotebook()->GetSelection());
  // A second tab for a name already open; the first is the one found.
  rooms->CreateChatRoom("http://a.example/", "a.example/", "again");
  EXPECT_EQ(3, rooms->GetNbrChatRooms());
  EXPECT_EQ(lower, rooms->GetChatRoom("http://a.example/"));
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_SITE, rooms->GetNotebook()->GetPageImage(0));
  ChatRoomPanel* pair = rooms->CreateChatRoom("prv://alice/alice:bob", "Bob", "Chatroom opened ...");
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_PRIVATE, rooms->GetNotebook()->GetPageImage(3));

  // Not connected: the page says so first, once, and its input is read-only.
  const wxString lines = Shown(pair);
  EXPECT_LT(lines.Find(") Chatroom closed (connection ended)\n("), lines.Find(") Chatroom opened ...")) << lines;
  EXPECT_NE(wxNOT_FOUND, lines.Find(") Chatroom opened ...\n"));
  EXPECT_FALSE(pair->GetWriteMessagePanel()->GetTextCtrl()->IsEditable());
  // The "opened" notice re-armed the closed one: one more loss writes it, a second does not.
  pair->SetConnectionStatus(false);
  const wxString once = Shown(pair);
  EXPECT_TRUE(once.StartsWith(lines));
  EXPECT_TRUE(once.EndsWith(") Chatroom closed (connection ended)\n"));
  pair->SetConnectionStatus(false);
  EXPECT_EQ(once, Shown(pair));
  // A ban writes its notice in red, which re-arms the closed notice.
  rooms->BanChatRoom("prv://alice/alice:bob");
  const wxString banned = Shown(pair);
  EXPECT_NE(wxNOT_FOUND, banned.Find("Too many abuses reported. You are banned from this chatroom!\n("));
  EXPECT_TRUE(banned.EndsWith(") Chatroom closed (connection ended)\n"));
  EXPECT_EQ(*wxRED, StyleOf(pair, "Too many abuses").GetTextColour());
  EXPECT_EQ(*wxBLUE, StyleOf(pair, "Chatroom opened").GetTextColour());
  EXPECT_EQ(wxFONTWEIGHT_BOLD, StyleOf(pair, "Chatroom opened").GetFontWeight());

  // The display takes no typed key; Ctrl+A still selects.
  wxRichTextCtrl* display = pair->GetDisplay();
  for (int key : {int('x'), int(WXK_RETURN), 22}) {
    wxKeyEvent typed(wxEVT_CHAR);
    typed.m_keyCode = key;
    typed.m_controlDown = key == 22;
    display->GetEventHandler()->ProcessEvent(typed);
  }
  EXPECT_EQ(banned, Shown(pair));
  wxKeyEvent selectAll(wxEVT_CHAR);
  selectAll.m_keyCode = 1;
  selectAll.m_controlDown = true;
  display->GetEventHandler()->ProcessEvent(selectAll);
  EXPECT_TRUE(display->HasSelection());
}

TEST_F(RoomsWindow, MessagesShowTimeSenderColoursLinksAndSmileys) {
  const std::string room = "http://site.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "site.example/", "Chatroom opened");
  ContactInfo bob = Member("bob", "Bob", room);
  page->AddContact(bob);
  const time_t at = LocalTime(2026, 3, 5, 9, 5, 7);
  const time_t now = time(nullptr);
  const std::string stamp = messagetext::FormatMessageTime(at, now);

  Message fromBob(room, "bob", "Bob", "see http://a.example/x, or www.b.example bye", at, false);
  rooms->AddMessage(&fromBob);
  Message own(room, "alice", "Alice", "hello", now, false);
  rooms->AddMessage(&own);
  Message history(room, "bob", "Bob", "an old line", at, true);
  rooms->AddMessage(&history);
  Message stranger(room, "carl", "\xE2\x80\xAE" "Carl", "not a member", now, false);
  rooms->AddMessage(&stranger);

  const wxString shown = Shown(page);
  EXPECT_NE(wxNOT_FOUND, shown.Find("(" + stamp + ") Bob (bob) says:\nsee http://a.example/x, or www.b.example bye\n"))
      << shown;
  EXPECT_NE(wxNOT_FOUND, shown.Find(") Alice (alice) says:\nhello\n"));
  EXPECT_NE(wxNOT_FOUND, shown.Find(wxString::FromUTF8("\xEF\xBF\xBD") + "Carl (carl) says:\nnot a member\n")) << shown;

  const wxColour grey(192, 192, 192);
  EXPECT_EQ(wxColour(205, 92, 92), StyleOf(page, "Bob (bob)").GetTextColour());  // the pool's last
  EXPECT_EQ("contact://bob", StyleOf(page, "Bob (bob)").GetURL());
  EXPECT_EQ(wxColour(205, 92, 92), StyleOf(page, "see ").GetTextColour());
  EXPECT_EQ(wxFONTWEIGHT_BOLD, StyleOf(page, "see ").GetFontWeight());
  EXPECT_EQ(wxColour(105, 105, 105), StyleOf(page, " says:").GetTextColour());
  EXPECT_EQ(wxColour(106, 90, 205), StyleOf(page, "hello").GetTextColour());
  EXPECT_EQ(grey, StyleOf(page, "an old line").GetTextColour());
  EXPECT_EQ(grey, StyleOf(page, "not a member").GetTextColour());
  const wxRichTextAttr link = StyleOf(page, "http://a.example/x,");
  EXPECT_EQ(*wxBLUE, link.GetTextColour());
  EXPECT_TRUE(link.GetFontUnderlined());
  EXPECT_EQ("http://a.example/x,", link.GetURL());
  EXPECT_EQ("http://www.b.example", StyleOf(page, "www.b.example").GetURL());

  // A member who leaves gives the colour back: the next one takes it.
  bob.UnsubscribeFrom(room);
  page->UpdateContact(bob, false, false, false);
  ContactInfo dora;
  dora.SetLogin("dora");
  dora.SubscribeTo(room);
  page->AddContact(dora);
  Message fromDora(room, "dora", "Dora", "hi", now, false);
  rooms->AddMessage(&fromDora);
  EXPECT_EQ(wxColour(205, 92, 92), StyleOf(page, "Dora (dora)").GetTextColour());

  // Smileys at the start or after a space, one right after another; not after a letter.
  EXPECT_EQ(0, Pictures(page));
  Message smileys(room, "dora", "Dora", ":) a:) b :-(:-( (h)", now, false);
  rooms->AddMessage(&smileys);
  EXPECT_EQ(4, Pictures(page));
  EXPECT_NE(wxNOT_FOUND, Shown(page).Find(" a:) b ")) << Shown(page);
}

TEST_F(RoomsWindow, UnseenTabsBlinkThenKeepTheUnreadPicture) {
  rooms->CreateChatRoom("http://one.example/", "one", "Chatroom opened");
  rooms->CreateChatRoom("http://two.example/", "two", "Chatroom opened");
  TabbedNotebook* tabs = rooms->GetNotebook();
  ASSERT_EQ(1, tabs->GetSelection());
  wxTimer blinkTimer;
  wxTimerEvent tick(blinkTimer);
  // The user's own line and a line in the selected tab change no picture.
  Message own("http://one.example/", "alice", "Alice", "mine", time(nullptr), false);
  rooms->AddMessage(&own);
  Message seen("http://two.example/", "bob", "Bob", "seen", time(nullptr), false);
  rooms->AddMessage(&seen);
  rooms->OnBlinkTimer(tick);
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_SITE, tabs->GetPageImage(0));
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_SITE, tabs->GetPageImage(1));

  Message unseen("http://one.example/", "bob", "Bob", "look", time(nullptr), false);
  rooms->AddMessage(&unseen);
  std::vector<int> pictures;
  for (int i = 0; i < 11 + ChatRoomsNotebook::kBlinkTicks + 3; ++i) {
    rooms->OnBlinkTimer(tick);
    pictures.push_back(tabs->GetPageImage(0));
    if (i == 10) rooms->AddMessage(&unseen);  // a new line starts the count again
  }
  for (size_t i = 1; i < 11 + ChatRoomsNotebook::kBlinkTicks; ++i) EXPECT_NE(pictures[i - 1], pictures[i]) << i;
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_NEW_MESSAGE, pictures.back());
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_SITE, tabs->GetPageImage(1));
  tabs->SetSelection(0);
  EXPECT_EQ(ChatRoomsNotebook::IMAGE_SITE, tabs->GetPageImage(0));
}

TEST_F(RoomsWindow, TypingLineOneLinePerOpenRoomUntilTheTypingStops) {
  Manager* manager = GetManager();
  for (const char* login : {"u1", "u2", "u3"}) manager->GetContactInfo(login)->SetNickname(std::string("U") + login[1]);
  rooms->CreateChatRoom("http://r.example/", "r.example/", "Chatroom opened");
  rooms->CreateChatRoom("http://a.example/", "a.example/", "Chatroom opened");
  rooms->CreateChatRoom("prv://alice/alice:u2", "U2", "Chatroom opened");
  auto line = [&] { return rooms->GetTypingText()->GetLabelText(); };
  const struct {
    const char* url;
    const char* login;
    bool typing;
    const char* expected;
  } steps[] = {
      {"http://r.example/", "u1", false, ""},
      {"http://r.example/", "u1", true, "U1 is typing a message in r.example/"},
      {"http://r.example/", "u1", true, "U1 is typing a message in r.example/"},
      {"http://r.example/", "u2", true, "U1, U2 are typing a message in r.example/"},
      {"http://r.example/", "u3", true, "U1, U2, U3 are typing a message in r.example/"},
      {"http://r.example/", "u2", false, "U1, U3 are typing a message in r.example/"},
      {"http://a.example/", "u2", true, "U2 is typing a message in a.example/\nU1, U3 are typing a message in r.example/"},
      {"prv://alice/alice:u2", "u2", true,
       "U2 is typing a message in a.example/\nU1, U3 are typing a message in r.example/\nU2 is typing a private message"},
      {"prv://alice/alice:u2", "u3", true, "U2 is typing a message in a.example/\nU1, U3 are typing a message in r.example/"},
      {"prv://alice/alice:u2", "u3", false,
       "U2 is typing a message in a.example/\nU1, U3 are typing a message in r.example/\nU2 is typing a private message"},
      // A room without a tab shows nobody: the notice came after the user left.
      {"http://gone.example/", "u1", true,
       "U2 is typing a message in a.example/\nU1, U3 are typing a message in r.example/\nU2 is typing a private message"},
  };
  for (const auto& step : steps) {
    rooms->SetKeyTyped(step.url, step.login, "ignored", step.typing);
    EXPECT_EQ(step.expected, line()) << step.url << " " << step.login;
  }
  // A nickname changed meanwhile shows at the next notice.
  manager->GetContactInfo("u1")->SetNickname("Ulla & co");
  rooms->SetKeyTyped("http://r.example/", "u3", "", false);
  EXPECT_EQ("U2 is typing a message in a.example/\nUlla & co is typing a message in r.example/\nU2 is typing a private message",
            line());

  // Gone offline everywhere; out of one room; the room's tab closed; the connection lost.
  ContactInfo u2 = *manager->GetContactInfo("u2");
  u2.SetStatus(STATUS_OFFLINE);
  rooms->UpdateContact(URLContactInfo("__ALL__", 0, u2, false, false, false));
  EXPECT_EQ("Ulla & co is typing a message in r.example/", line());
  ContactInfo u1 = *manager->GetContactInfo("u1");
  rooms->SetKeyTyped("http://a.example/", "u1", "", true);
  rooms->UpdateContact(URLContactInfo("http://r.example/", 0, u1, false, false, false));  // not subscribed: left
  EXPECT_EQ("Ulla & co is typing a message in a.example/", line());
  rooms->SetKeyTyped("http://r.example/", "u3", "", true);
  rooms->CloseChatRoom("http://a.example/");
  EXPECT_EQ("U3 is typing a message in r.example/", line());
  rooms->SetConnectionStatus(false);
  EXPECT_EQ("", line());
}

// Over a day the user enters and leaves hundreds of rooms: what the window keeps of a room (its
// blinking, who types in it) goes with its tab, and notices that come for a room without a tab
// (after the user left it) leave nothing behind.
TEST_F(RoomsWindow, ARoomLeftLeavesNoEntryBehind) {
  const std::vector<std::string> urls = {"http://one.example/", "prv://alice/alice:u1", "http://three.example/"};
  for (const std::string& url : urls) rooms->CreateChatRoom(url, url, "Chatroom opened");
  EXPECT_EQ(3u, rooms->GetRoomEntries());  // each tab's picture
  for (const std::string& url : urls) {
    Message line(url, "u1", "U1", "hello", time(nullptr), false);
    rooms->AddMessage(&line);
    rooms->SetKeyTyped(url, "u1", "", true);
    rooms->SetKeyTyped(url, "u2", "", true);
  }
  EXPECT_EQ(6u, rooms->GetRoomEntries());
  // Typing stops in a room one person at a time, or everywhere at once: nobody left, no entry.
  rooms->SetKeyTyped(urls[0], "u1", "", false);
  EXPECT_EQ(6u, rooms->GetRoomEntries());
  rooms->SetKeyTyped(urls[0], "u2", "", false);
  EXPECT_EQ(5u, rooms->GetRoomEntries());
  ContactInfo gone = *GetManager()->GetContactInfo("u2");
  gone.SetStatus(STATUS_OFFLINE);
  rooms->UpdateContact(URLContactInfo("__ALL__", 0, gone, false, false, false));
  EXPECT_EQ(5u, rooms->GetRoomEntries());  // u1 still types in two rooms

  // Late notices for rooms without a tab, never opened or already left.
  const auto late = [&](const std::string& url) {
    Message line(url, "u1", "U1", "too late", time(nullptr), false);
    rooms->AddMessage(&line);
    rooms->SetKeyTyped(url, "u1", "", true);
  };
  late("http://never.example/");
  EXPECT_EQ(5u, rooms->GetRoomEntries());
  for (const std::string& url : urls) {
    rooms->CloseChatRoom(url);
    late(url);
  }
  EXPECT_EQ(0, rooms->GetNbrChatRooms());
  EXPECT_EQ(0u, rooms->GetRoomEntries());
  EXPECT_EQ("", rooms->GetTypingText()->GetLabelText());
  // A room entered again starts afresh.
  rooms->CreateChatRoom(urls[1], "U1", "Chatroom opened");
  rooms->SetKeyTyped(urls[1], "u1", "", true);
  EXPECT_TRUE(rooms->GetTypingText()->GetLabelText().EndsWith(" is typing a private message"));
  EXPECT_EQ(2u, rooms->GetRoomEntries());
  rooms->SetConnectionStatus(false);
  EXPECT_EQ(1u, rooms->GetRoomEntries());
}

TEST_F(RoomsWindow, AFloodOfHostileLinesKeepsTheDisplayBoundedAndLatest) {
  const std::string room = "http://flood.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "flood", "Chatroom opened");
  std::string longest(512, 'w');
  for (size_t i = 0; i < longest.size(); i += 7) longest[i] = '\x01';
  std::string hostile = "\xE2\x80\xAE" "abc\x1b[2J" + std::string(100, ':') + ")";
  const int total = 1000;
  for (int i = 0; i < total; ++i) {
    Message line(room, "mallory", "\xE2\x81\xA6M", i % 2 ? longest : hostile + std::to_string(i), time(nullptr), false);
    rooms->AddMessage(&line);
  }
  // Lines beyond a slice wait for the idle time and then get written.
  EXPECT_TRUE(guitest::PumpUntil([&] { return Shown(page).Find("998") != wxNOT_FOUND; }));
  EXPECT_LE(Paragraphs(page), ChatRoomPanel::kMaxParagraphs + 1);
  EXPECT_GE(Paragraphs(page), ChatRoomPanel::kMaxParagraphs / 4);
  const wxString shown = Shown(page);
  EXPECT_EQ(wxNOT_FOUND, shown.Find(wxUniChar(0x202E)));
  EXPECT_EQ(wxNOT_FOUND, shown.Find(wxUniChar(0x1b)));
  EXPECT_EQ(wxNOT_FOUND, shown.Find(wxUniChar(0x01)));
  EXPECT_EQ(wxNOT_FOUND, shown.Find("Chatroom opened"));  // the oldest lines went
  // A later notice still lands at the end.
  page->AddAdminMessage("the end", time(nullptr), wxBLUE);
  EXPECT_TRUE(Shown(page).EndsWith(") the end\n"));
}

// Bursts that come while the page writes in rounds, each cut short and resting before the next:
// every line is written once, in the order it came, whatever round it fell into.
TEST_F(RoomsWindow, LinesComingDuringTheRoundsAreAllWrittenOnceInOrder) {
  const std::string room = "http://rounds.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "rounds", "Chatroom opened");
  // Under the display's bound: none is taken off to make room.
  const int bursts = 3, perBurst = 60;
  for (int b = 0; b < bursts; ++b) {
    for (int i = 0; i < perBurst; ++i) {
      Message line(room, "bob", "Bob", "line " + std::to_string(b * perBurst + i) + " end", time(nullptr), false);
      rooms->AddMessage(&line);
    }
    // The next burst comes while this one is being written.
    guitest::Pump(5);
  }
  const wxString last = "line " + std::to_string(bursts * perBurst - 1) + " end";
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shown(page).Find(last) != wxNOT_FOUND; }));
  guitest::Pump(100);
  const wxString shown = Shown(page);
  int at = shown.Find("Chatroom opened");
  EXPECT_NE(wxNOT_FOUND, at);
  for (int i = 0; i < bursts * perBurst; ++i) {
    const wxString text = "line " + std::to_string(i) + " end";
    const int found = shown.Find(text);
    ASSERT_NE(wxNOT_FOUND, found) << "lost: " << text;
    EXPECT_GT(found, at) << "out of order: " << text;
    EXPECT_EQ(found, shown.rfind(text)) << "written twice: " << text;
    at = found;
  }
}

TEST_F(RoomsWindow, WindowClosesToHiddenFocusBringsARoomForwardAndHelpOpensTheGuide) {
  rooms->CreateChatRoom("http://one.example/", "one", "Chatroom opened");
  rooms->CreateChatRoom("prv://alice/alice:bob", "Bob", "Chatroom opened ...");
  rooms->CreateChatRoom("prv://parlavox/alice/7", "Bob, Carl", "Chatroom opened ...");
  rooms->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return rooms->IsShownOnScreen(); }));
  wxWindow* roomsButton = guitest::FindChild<wxWindow>(
      frame, [](wxWindow* w) { return w->GetToolTipText() == "Show chatrooms"; });
  ASSERT_TRUE(roomsButton);
  roomsButton->Hide();
  rooms->Close();  // the close box: hidden, the rooms stay, the tool bar's button comes back
  EXPECT_FALSE(rooms->IsShown());
  EXPECT_EQ(3, rooms->GetNbrChatRooms());
  EXPECT_TRUE(roomsButton->IsShown());
  rooms->FocusOnChatRoom("http://one.example/");
  EXPECT_TRUE(rooms->IsShown());
  EXPECT_EQ(0, rooms->GetNotebook()->GetSelection());

  // The site's comments tool is there in a site's room, not in a private room of two or more.
  auto commentsTool = [&](const std::string& url) {
    wxToolBar* tools = rooms->GetChatRoom(url)->GetWriteMessagePanel()->GetToolBar();
    return tools->GetToolEnabled(WriteMessagePanel::ID_COMMENT);
  };
  EXPECT_TRUE(commentsTool("http://one.example/"));
  EXPECT_FALSE(commentsTool("prv://alice/alice:bob"));
  EXPECT_FALSE(commentsTool("prv://parlavox/alice/7"));

  // The smiley tool three times: opened, closed, opened anew.
  WriteMessagePanel* input = rooms->GetChatRoom("http://one.example/")->GetWriteMessagePanel();
  std::vector<SmileyGrid*> grids;
  for (int i = 0; i < 3; ++i) {
    wxCommandEvent tool(wxEVT_TOOL, WriteMessagePanel::ID_SMILEYS);
    input->GetEventHandler()->ProcessEvent(tool);
    grids.push_back(input->GetSmileyGrid());
  }
  EXPECT_TRUE(grids[0] && !grids[1] && grids[2]);
  EXPECT_TRUE(grids[2]->IsShown());
  EXPECT_EQ(8u, grids[2]->GetCells().size());
  input->Hide();  // the page going out of sight takes its grid away
  EXPECT_EQ(nullptr, input->GetSmileyGrid());

  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  wxStaticText* help = guitest::FindChild<wxStaticText>(rooms, [](wxStaticText* t) { return t->GetLabel() == "Help?"; });
  ASSERT_TRUE(help);
  rooms->Raise();
  wxUIActionSimulator sim;
  sim.MouseMove(help->GetScreenRect().GetPosition() + help->GetSize() / 2);
  sim.MouseClick();
  EXPECT_TRUE(guitest::PumpUntil([&] { return !opened.empty(); }));
  browser::SetRecorder(nullptr);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(std::string(PARLAVOX_WEBSITE) + "common/help/0.9.8b/userguide.php#chatrooms", opened[0]);
}

// What the toolkit's colour chooser shows once it is up, read from the chooser itself; the
// dialog is then dismissed as a user would, with Escape.
class ColourShown : public wxModalDialogHook, public wxTimer {
 public:
  ColourShown() { Register(); }
  ~ColourShown() override { Unregister(); }
  int asked = 0;
  wxColour shown;

 protected:
  int Enter(wxDialog* dialog) override {
    if (!dynamic_cast<wxColourDialog*>(dialog)) return wxID_NONE;
    ++asked;
    m_dialog = dialog;
    StartOnce(300);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { m_dialog = nullptr; }
  void Notify() override {
    if (!m_dialog) return;
    struct Rgba {
      double red, green, blue, alpha;
    } rgba{};
    using GetRgba = void (*)(void*, Rgba*);
    using Part = void* (*)(void*);
    auto selection = reinterpret_cast<Part>(dlsym(RTLD_DEFAULT, "gtk_color_selection_dialog_get_color_selection"));
    auto get = reinterpret_cast<GetRgba>(dlsym(RTLD_DEFAULT, "gtk_color_selection_get_current_rgba"));
    if (selection && get) {
      get(selection(m_dialog->GetHandle()), &rgba);
      shown = wxColour(static_cast<unsigned char>(rgba.red * 255 + 0.5), static_cast<unsigned char>(rgba.green * 255 + 0.5),
                       static_cast<unsigned char>(rgba.blue * 255 + 0.5));
    }
    m_dialog->EndModal(wxID_CANCEL);
  }

 private:
  wxDialog* m_dialog = nullptr;
};

// A click on a member's name opens the colour chooser on the colour of the member's lines, and
// a chooser dismissed changes nothing.
TEST_F(RoomsWindow, TheColourChooserOpensOnTheMembersColour) {
  const std::string room = "http://site.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "site.example/", "Chatroom opened");
  ContactInfo bob = Member("bob", "Bob", room);
  page->AddContact(bob);
  const wxColour colour = page->GetMemberColour("bob");
  ASSERT_TRUE(colour.IsOk());
  ASSERT_NE(*wxBLACK, colour);
  frame->Show();
  rooms->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return page->IsShownOnScreen(); }));
  const struct {
    const char* login;
    wxColour expected;
  } rows[] = {{"bob", colour}, {"carl", wxColour(192, 192, 192)}};  // carl: no member, his lines grey
  for (const auto& row : rows) {
    ColourShown chooser;
    wxTextUrlEvent click(page->GetDisplay()->GetId(), wxMouseEvent(wxEVT_LEFT_UP), 0, 0);
    click.SetString(std::string("contact://") + row.login);
    click.SetEventObject(page->GetDisplay());
    page->GetDisplay()->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(1, chooser.asked) << row.login;
    EXPECT_EQ(row.expected, chooser.shown) << row.login << " " << chooser.shown.GetAsString(wxC2S_HTML_SYNTAX);
  }
  EXPECT_EQ(colour, page->GetMemberColour("bob"));
}

// A member's change of nickname or presence shows on the member's row in sight as soon as the
// update is handled, whether it came for the room itself or for every room, and without waiting
// for the column to place its rows again.
TEST_F(RoomsWindow, AMembersNewNicknameAndPresenceShowOnTheRowInSight) {
  const std::string room = "http://site.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "site.example/", "Chatroom opened");
  ContactInfo bob = Member("bob", "Bob", room);
  bob.SetStatus(STATUS_ONLINE);
  page->AddContact(bob);
  page->AddContact(Member("carol", "Carol", room));
  frame->Show();
  rooms->Show();
  MemberColumn* column = page->GetMemberColumn();
  ASSERT_TRUE(guitest::PumpUntil([&] {
    ContactEntry* row = column->FindRowWindow("bob");
    return column->IsPlaced() && row && row->IsShownOnScreen();
  }));
  ContactEntry* row = column->FindRowWindow("bob");
  const struct {
    const char* url;
    const char* nickname;
    t_status status;
  } changes[] = {
      {"http://site.example/", "Bobby", STATUS_ONLINE},
      {"http://site.example/", "Bobby", STATUS_AWAY},
      {"__ALL__", "Robert", STATUS_AWAY},
      {"__ALL__", "Robert", STATUS_BUSY},
  };
  for (const auto& change : changes) {
    bob.SetNickname(change.nickname);
    bob.SetStatus(change.status);
    rooms->UpdateContact(URLContactInfo(change.url, 0, bob, false, false, false));
    guitest::PumpUntil([&] {
      auto* shown = column->FindRowWindow("bob");
      return shown && shown->GetNickname() == change.nickname && shown->GetStatus() == change.status;
    });
    SCOPED_TRACE(std::string(change.url) + " " + change.nickname + " " + std::to_string(change.status));
    ASSERT_EQ(row, column->FindRowWindow("bob"));
    EXPECT_EQ(change.nickname, row->GetNickname());
    EXPECT_EQ(change.status, row->GetStatus());
    MyStaticText* name = guitest::FindChild<MyStaticText>(row, [](MyStaticText*) { return true; });
    ASSERT_TRUE(name);
    EXPECT_EQ(change.nickname, name->GetInnerText()->GetLabelText().ToStdString());
    EXPECT_EQ(statusLook::Colour(change.status).GetAsString(wxC2S_HTML_SYNTAX).ToStdString(),
              name->GetInnerText()->GetForegroundColour().GetAsString(wxC2S_HTML_SYNTAX).ToStdString());
  }
  // The other member's row is left as it was.
  EXPECT_EQ("Carol", column->FindRowWindow("carol")->GetNickname());
}

}  // namespace
