// The whole program on the stand-in server, with bob as a second real client: a site's room
// entered from the browser's report of the page, history, messages both ways with nicknames,
// times and links, typing shown both ways, real keys in the input (Shift+Enter, an empty Enter,
// a paste past the limit, a smiley from the grid) checked against what the server decoded; then
// hostile lines and a flood from bob, and the tab and the window closed while traffic arrives.
#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/statusLook.h"
#include "network/localServer.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/network/socketTestSupport.h"
#include "tests/support/programSession.h"
#include "widgets/myStaticText.h"

namespace {

using roomstest::Shown;
using roomstest::StyleOf;
using standintest::TestUser;

const char kSite[] = "http://www.meeting.example/";
const char kRoomName[] = "www.meeting.example/";

class RoomsSession : public programtest::ProgramSession {
 protected:
  // The browser's extension reports the page (its answer comes once the server answered), and
  // the user enters the site's room as the sites panel does.
  ChatRoomPanel* EnterFromTheBrowser(const std::string& site) {
    EXPECT_TRUE(Until([] { return LocalServer::Instance() && LocalServer::Instance()->GetPort() != 0; }));
    const unsigned short port = LocalServer::Instance() ? LocalServer::Instance()->GetPort() : 0;
    const std::chrono::milliseconds wait(kWait);
    std::string answer;
    std::atomic<bool> answered{false};
    std::thread browser([port, site, wait, &answer, &answered] {
      answer = sockettest::Exchange(
          port, "GET /" + site + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n", nullptr, wait);
      answered = true;
    });
    const bool opened = AwaitJournal("alice openurl site=\"" + site + "\"", JournalSize());
    // The answer comes once the controller has handled the server's: the events go on meanwhile.
    EXPECT_TRUE(Until([&] { return answered.load(); }));
    browser.join();
    EXPECT_TRUE(opened) << "the listener answered: " << answer;
    EXPECT_FALSE(answer.empty() || answer[0] == '-') << answer;
    if (!opened) return nullptr;
    return EnterFromTheSitesPanel(site);
  }

  // The user enters the room of a site open in the browser, as the sites panel does.
  ChatRoomPanel* EnterFromTheSitesPanel(const std::string& site) {
    Frame()->SubscribeChatRoom(site);
    EXPECT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site); }));
    Rooms()->Raise();
    return Rooms()->GetChatRoom(site);
  }

  bool Showing(ChatRoomPanel* page, const wxString& text, int ms = kWait) {
    return Until([&] { return Shown(page).Find(text) != wxNOT_FOUND; }, ms);
  }

  // The journal's index of alice's first line from `from` on that starts with `start`, or -1.
  int Find(const std::string& start, size_t from) {
    const programtest::Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i)
      if (lines[i].compare(0, start.size(), start) == 0) return int(i);
    return -1;
  }

  // Types into the input that has the keyboard, and waits until it shows what was typed.
  static void Keys(MyTextCtrl* input, const wxString& text) {
    const wxString expected = input->GetValue() + text;
    wxUIActionSimulator().Text(text.utf8_str());
    EXPECT_TRUE(Until([&] { return input->GetValue() == expected; })) << text;
  }
  // Presses a key, then waits until `done` holds; with nothing to show what the key did, lets
  // the events arrive.
  static void Key(int key, int modifiers = wxMOD_NONE, const std::function<bool()>& done = nullptr) {
    wxUIActionSimulator().Char(key, modifiers);
    if (done) { EXPECT_TRUE(Until(done)) << "key " << key; }
    else Settle();
  }
};

TEST_F(RoomsSession, ConversationTypingAndTheInputAgainstWhatTheServerGot) {
  TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kSite));
  bob.Link().SendMessage(bob.Key(), kSite, "before you came, see www.old.example");
  ASSERT_TRUE(bob.Sync());

  ChatRoomPanel* page = EnterFromTheBrowser(kSite);
  ASSERT_TRUE(page);
  // The history, grey; then bob's new line in his colour, with his name, the time and a link.
  ASSERT_TRUE(Showing(page, "Bob (bob) says:\nbefore you came, see www.old.example\n")) << Shown(page);
  EXPECT_EQ(wxColour(192, 192, 192), StyleOf(page, "before you came").GetTextColour());
  EXPECT_EQ("http://www.old.example", StyleOf(page, "www.old.example").GetURL());
  bob.Link().SendMessage(bob.Key(), kSite, "hello alice, http://www.bob.example/page here");
  ASSERT_TRUE(Showing(page, "Bob (bob) says:\nhello alice, http://www.bob.example/page here\n")) << Shown(page);
  const wxString shown = Shown(page);
  const int line = shown.Find("Bob (bob) says:\nhello alice");
  EXPECT_EQ(")", shown.Mid(line - 2, 1));  // "(hh:mm:ss) " before the sender
  EXPECT_EQ("http://www.bob.example/page", StyleOf(page, "http://www.bob.example/page").GetURL());
  EXPECT_NE(wxColour(192, 192, 192), StyleOf(page, "hello alice").GetTextColour());

  // Bob types, then stops.
  bob.Link().KeyTyped(bob.Key(), kSite, true);
  EXPECT_TRUE(Until([&] { return Rooms()->GetTypingText()->GetLabelText() == wxString("Bob is typing a message in ") + kRoomName; }));
  bob.Link().KeyTyped(bob.Key(), kSite, false);
  EXPECT_TRUE(Until([&] { return Rooms()->GetTypingText()->GetLabelText().empty(); }));

  // Alice types with real keys: bob sees her typing, then her two-line message.
  MyTextCtrl* input = page->GetWriteMessagePanel()->GetTextCtrl();
  guitest::ClickUntil(input, [&] { return input->HasFocus(); });
  size_t mark = JournalSize();
  Keys(input, "hi bob");
  Key(WXK_RETURN, wxMOD_SHIFT, [&] { return input->GetValue() == "hi bob\n"; });
  Keys(input, "bye");
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_keytyped, [](const S2C_Request_t& r) {
    return r.choice.keytyped.enabled && *r.choice.keytyped.enabled;
  }));
  Key(WXK_RETURN, wxMOD_NONE, [&] { return input->IsEmpty(); });
  ASSERT_TRUE(AwaitJournal(std::string("alice sendmessage site=\"") + kSite + "\" message=\"hi bob\\x0abye\"", mark));
  const int on = Find(std::string("alice keytyped site=\"") + kSite + "\" enabled=true", mark);
  const int off = Find(std::string("alice keytyped site=\"") + kSite + "\" enabled=false", mark);
  const int sent = Find("alice sendmessage", mark);
  EXPECT_TRUE(on >= 0 && on < off && off < sent) << on << " " << off << " " << sent;
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_message, [](const S2C_Request_t& r) {
    return standintest::Str(r.choice.message.message) == "hi bob\nbye";
  }));
  EXPECT_TRUE(Showing(page, "(alice) says:\nhi bob"));
  EXPECT_EQ("", input->GetValue());

  // Enter on nothing sends nothing; a paste past the limit neither goes nor shows as sent.
  mark = JournalSize();
  Key(WXK_RETURN);
  input->SetValue(wxString('p', 600));
  input->SetInsertionPointEnd();
  const wxString before = Shown(page);
  // Refused, the part past the limit is selected.
  Key(WXK_RETURN, wxMOD_NONE, [&] {
    long from = 0, to = 0;
    input->GetSelection(&from, &to);
    return from == 512 && to == 600;
  });
  EXPECT_EQ(600u, input->GetValue().length());
  // A smiley from the grid, then Enter: the smiley's text goes.
  input->Clear();
  Keys(input, "ok ");
  wxCommandEvent smileys(wxEVT_TOOL, WriteMessagePanel::ID_SMILEYS);
  page->GetWriteMessagePanel()->GetEventHandler()->ProcessEvent(smileys);
  SmileyGrid* grid = page->GetWriteMessagePanel()->GetSmileyGrid();
  ASSERT_TRUE(grid);
  ASSERT_TRUE(Until([&] { return grid->IsShownOnScreen(); }));
  guitest::ClickUntil(grid->GetCells()[0]->GetPicture(),
                      [&] { return page->GetWriteMessagePanel()->GetSmileyGrid() == nullptr; });
  EXPECT_EQ("ok :-)", input->GetValue());
  Settle();
  Key(WXK_RETURN, wxMOD_NONE, [&] { return input->IsEmpty(); });
  ASSERT_TRUE(AwaitJournal(std::string("alice sendmessage site=\"") + kSite + "\" message=\"ok :-)\"", mark));
  for (const std::string& request : Journal()) {
    if (request.find("alice sendmessage") == 0) {
      EXPECT_LT(request.size(), 600u) << request;
    }
  }
  EXPECT_EQ(wxNOT_FOUND, Shown(page).Find("ppppppppp"));
  EXPECT_TRUE(Showing(page, "(alice) says:\nok "));
  EXPECT_EQ(before.length() < Shown(page).length(), true);
}

TEST_F(RoomsSession, HostileLinesAFloodAndClosingWhileTrafficArrives) {
  // A site of its own: the controller, alive for the whole process, knows the other one open.
  const std::string site = "http://www.flood.example/";
  TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, site));
  ChatRoomPanel* page = EnterFromTheBrowser(site);
  ASSERT_TRUE(page);
  bob.Link().SendMessage(bob.Key(), site, std::string(512, 'w'));
  ASSERT_TRUE(Showing(page, wxString('w', 512)));
  const size_t paragraphs = roomstest::Paragraphs(page);
  bob.Link().SendMessage(bob.Key(), site, "\xE2\x80\xAE" "reversed \x1b[2J\x07 bell");
  const wxString reversed = wxString::FromUTF8("\xEF\xBF\xBD" "reversed \xEF\xBF\xBD[2J\xEF\xBF\xBD bell");
  ASSERT_TRUE(Showing(page, reversed)) << Shown(page);
  EXPECT_NE(wxNOT_FOUND, Shown(page).Find(wxString('w', 512)));

  // A flood of more lines than the display keeps: it keeps its latest lines only. (Each line is
  // written into the display on screen, slowly in the sanitizer build: the flood passes the
  // display's bound by some fifty lines, so that the oldest lines must go.)
  const size_t perLine = roomstest::Paragraphs(page) - paragraphs;
  ASSERT_GE(perLine, 1u);
  const int flood = int((ChatRoomPanel::kMaxParagraphs - paragraphs) / perLine) + 50;
  for (int i = 0; i < flood; ++i) bob.Link().SendMessage(bob.Key(), site, "flood " + std::to_string(i));
  const wxString last = "flood " + std::to_string(flood - 1) + "\n";
  ASSERT_TRUE(Until([&] { return Shown(page).Find(last) != wxNOT_FOUND; }, 4 * kWait));
  EXPECT_LE(roomstest::Paragraphs(page), ChatRoomPanel::kMaxParagraphs + 1);
  EXPECT_EQ(wxNOT_FOUND, Shown(page).Find(reversed)) << "the oldest lines went";
  EXPECT_EQ(wxNOT_FOUND, Shown(page).Find(wxString('w', 512)));

  // The tab closes while bob goes on writing and typing; alice leaves the room.
  const size_t mark = JournalSize();
  for (int i = 0; i < 50; ++i) {
    bob.Link().SendMessage(bob.Key(), site, "still " + std::to_string(i));
    bob.Link().KeyTyped(bob.Key(), site, i % 2 == 0);
  }
  Rooms()->CloseChatRoom(site);
  EXPECT_TRUE(AwaitJournal("alice unsuburl site=\"" + site + "\"", mark));
  ASSERT_TRUE(bob.Sync());
  Settle();
  EXPECT_FALSE(Rooms()->IsChatRoomOpened(site));
  EXPECT_EQ("", Rooms()->GetTypingText()->GetLabelText());

  // Again in the room, then the window closed (hidden) while the traffic goes on.
  page = EnterFromTheSitesPanel(site);
  ASSERT_TRUE(page);
  Settle();  // the room's entry is over
  for (int i = 0; i < 50; ++i) bob.Link().SendMessage(bob.Key(), site, "more " + std::to_string(i));
  Rooms()->Close();
  EXPECT_FALSE(Rooms()->IsShown()) << "at once";
  EXPECT_TRUE(Showing(page, "more 49\n"));
  EXPECT_FALSE(Rooms()->IsShown());
  EXPECT_TRUE(Rooms()->IsChatRoomOpened(site));
}

// bob's burst in the one-to-one room: its first line opens the room and its window, and the page
// shows the burst's latest lines, each whole, in the order sent, up to the last; bob's row is in
// the room and shows his latest state, which changed in the middle of the burst.
TEST_F(RoomsSession, ABurstThatOpensItsRoomShowsItsLatestLinesInOrder) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  const std::string pair = GetManager()->GetPrivateChatRoomNameWith("bob");
  ASSERT_FALSE(Rooms()->IsChatRoomOpened(pair));
  Rooms()->Show(false);
  // Past the display's bound, so that the oldest lines must go while the room opens.
  const int burst = int(ChatRoomPanel::kMaxParagraphs) + 100;
  for (int i = 0; i < burst; ++i) {
    if (i == burst / 2) bob.Link().ChangeStatus(bob.Key(), STATUS_BUSY);
    bob.Link().SendMessage(bob.Key(), pair, "burst line " + std::to_string(i) + " :)");
  }
  ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(pair); }));
  ChatRoomPanel* page = Rooms()->GetChatRoom(pair);
  ASSERT_TRUE(page);
  const wxString last = "burst line " + std::to_string(burst - 1) + " \n";
  ASSERT_TRUE(Until([&] { return Shown(page).Find(last) != wxNOT_FOUND; }, 4 * kWait));
  EXPECT_TRUE(Until([&] { return Rooms()->IsShownOnScreen(); }));

  // Every message is its header and its text, the numbers running on without a gap to the last.
  wxArrayString paragraphs = wxSplit(Shown(page), '\n');
  std::vector<int> numbers;
  for (size_t i = 0; i + 1 < paragraphs.size(); ++i) {
    long number = -1;
    if (!paragraphs[i + 1].StartsWith("burst line ") || !paragraphs[i + 1].Mid(11).BeforeFirst(' ').ToLong(&number))
      continue;
    EXPECT_TRUE(paragraphs[i].EndsWith(") Bob (bob) says:")) << paragraphs[i];
    numbers.push_back(int(number));
  }
  ASSERT_FALSE(numbers.empty());
  EXPECT_EQ(burst - 1, numbers.back());
  for (size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i - 1] + 1, numbers[i]) << i;
  EXPECT_GE(numbers.size(), ChatRoomPanel::kMaxParagraphs / 2 / 2);
  EXPECT_LE(roomstest::Paragraphs(page), ChatRoomPanel::kMaxParagraphs + 1);
  EXPECT_EQ(roomstest::Pictures(page), int(numbers.size())) << "one smiley a line";
  ContactEntry* row = page->FindContact("bob");
  ASSERT_TRUE(row);
  MyStaticText* name = guitest::FindChild<MyStaticText>(row, [](MyStaticText*) { return true; });
  ASSERT_TRUE(name);
  EXPECT_EQ(statusLook::Colour(STATUS_BUSY), name->GetInnerText()->GetForegroundColour());
}

}  // namespace
