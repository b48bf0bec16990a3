// Rooms across a new log-in, with bob as a second client of the stand-in server: the open pages
// enter their rooms again once each, stay closed until the server answers and say so when it
// refuses; no line shows twice, what is said afterwards arrives, and every log-in reports the
// client; the answers of a session the user ends before the windows heard them open no page, and
// a page opens to typing only with the controller in its room. Also a new private room asked for
// once however the user types, and the typing line of a room that closes on a ban, or that needs
// more than two lines; a room refused at the next log-in takes no more lines.
#include <gtest/gtest.h>
#include <wx/eventfilter.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/mainFrame.h"
#include "model/message.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/programSession.h"

namespace {

using roomstest::Shown;
using standintest::TestUser;

// Holds the controller's answers about rooms back from the windows, as a busy event loop does;
// gone, it hands them on, in the order posted, after whatever happened meanwhile.
class HeldRoomAnswers : public wxEventFilter {
 public:
  HeldRoomAnswers() { wxEvtHandler::AddFilter(this); }
  ~HeldRoomAnswers() override {
    wxEvtHandler::RemoveFilter(this);
    for (std::unique_ptr<wxEvent>& answer : answers) GetManager()->QueueEvent(answer.release());
  }
  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type != wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK && type != wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK)
      return Event_Skip;
    answers.emplace_back(event.Clone());
    return Event_Processed;
  }
  std::vector<std::unique_ptr<wxEvent>> answers;
};

class RoomsRejoinSession : public programtest::ProgramSession {
 protected:
  ChatRoomPanel* EnterRoom(const std::string& room) {
    Frame()->SubscribeChatRoom(room);
    EXPECT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(room) && GetManager()->HasSubscribedTo(room); }));
    return Rooms()->GetChatRoom(room);
  }
  bool Showing(ChatRoomPanel* page, const wxString& text) {
    return Until([&] { return Shown(page).Find(text) != wxNOT_FOUND; });
  }
  static int Occurrences(const wxString& text, const wxString& part) {
    int count = 0;
    for (size_t at = text.find(part); at != wxString::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }
  size_t Count(const std::string& start, size_t from) {
    const programtest::Lines lines = Journal();
    return size_t(std::count_if(lines.begin() + long(std::min(from, lines.size())), lines.end(),
                                [&](const std::string& line) { return line.compare(0, start.size(), start) == 0; }));
  }
  static bool Editable(ChatRoomPanel* page) {
    return page->GetWriteMessagePanel()->GetTextCtrl()->IsEditable() && !page->IsClosed();
  }
  // Alice's connection ends as the tool bar's button ends it; then she logs in again.
  void LogOutAndBackIn() {
    Frame()->OnSwitchConnection(false);
    ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
    Settle();
  }
  void LogInAgain() {
    GetManager()->Connect("alice", "alice", false, "127.0.0.1", Server().Port(), true, false);
    ASSERT_TRUE(Until([] { return GetManager()->IsConnected(); }));
  }
  // Real keys in the room's input, then Enter: true once the line went out.
  bool TypeLine(ChatRoomPanel* page, const std::string& text, size_t from) {
    Rooms()->FocusOnChatRoom(page->GetURL());
    MyTextCtrl* input = page->GetWriteMessagePanel()->GetTextCtrl();
    guitest::ClickUntil(input, [&] { return input->HasFocus(); });
    wxUIActionSimulator().Text(text.c_str());
    EXPECT_TRUE(Until([&] { return input->GetValue() == text; })) << text;
    wxUIActionSimulator().Char(WXK_RETURN);
    return AwaitJournal("alice sendmessage site=\"" + page->GetURL() + "\" message=\"" + text + "\"", from);
  }
};

TEST_F(RoomsRejoinSession, AfterANewLogInOpenRoomsAreEnteredOnceAndNothingShowsTwice) {
  const std::string site = "http://www.rejoin.example/";
  const std::string suburl = "alice suburl site=\"" + site + "\"";
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  ASSERT_TRUE(Enter(bob, site));
  bob.Link().SendMessage(bob.Key(), site, "said before alice came");
  ASSERT_TRUE(bob.Sync());
  ChatRoomPanel* page = EnterRoom(site);
  ASSERT_TRUE(page);
  ASSERT_TRUE(Showing(page, "said before alice came"));
  bob.Link().SendMessage(bob.Key(), site, "bob while both are in");
  ASSERT_TRUE(Showing(page, "bob while both are in"));
  ASSERT_TRUE(GetManager()->SendMessage(site, "alice while both are in"));
  ASSERT_TRUE(bob.Wait(S2C_Request_PR_message, [](const S2C_Request_t& r) {
    return standintest::Str(r.choice.message.message) == "alice while both are in";
  }));
  // A one-to-one room with bob, open too.
  Frame()->CreateVirtualChatRoom("bob");
  const std::string privateRoom = GetManager()->GetPrivateChatRoomNameWith("bob");
  ASSERT_TRUE(GetManager()->SendMessage(privateRoom, "alice alone with bob"));
  ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(privateRoom) && GetManager()->HasSubscribedTo(privateRoom); }));
  ChatRoomPanel* privatePage = Rooms()->GetChatRoom(privateRoom);

  // Alice's connection ends: the pages are closed and show nobody.
  LogOutAndBackIn();
  Until([&] { return !Editable(page) && page->GetMemberCount() == 0; });
  EXPECT_FALSE(Editable(page));
  EXPECT_TRUE(page->GetMemberCount() == 0);
  EXPECT_TRUE(Showing(page, "Chatroom closed (connection ended)"));
  bob.Link().SendMessage(bob.Key(), site, "bob while alice is away");
  ASSERT_TRUE(bob.Sync());

  // Back, but no answer from the server yet (none can come while no link stands): still closed.
  Rooms()->SetConnectionStatus(true);
  EXPECT_FALSE(Editable(page));
  EXPECT_FALSE(Editable(privatePage));

  // Logged in again, the server lets her into both rooms, but she ends the session before the
  // windows heard of it: its answers come to the pages once she is offline, and open neither.
  {
    HeldRoomAnswers held;
    LogInAgain();
    ASSERT_TRUE(Until([&] { return held.answers.size() == 2; }));
    LogOutAndBackIn();
  }
  Settle();
  EXPECT_FALSE(Editable(page));
  EXPECT_FALSE(Editable(privatePage));

  // Logged in again: each page enters its room once, opens on the answer, with bob as member.
  size_t mark = JournalSize();
  LogInAgain();
  EXPECT_TRUE(AwaitJournal(suburl, mark));
  EXPECT_TRUE(AwaitJournal("alice suburl site=\"" + privateRoom + "\"", mark));
  ASSERT_TRUE(Until([&] { return Editable(page) && Editable(privatePage); }));
  // Open to typing only with the controller in the room: what the user types there goes out.
  for (ChatRoomPanel* open : {page, privatePage}) {
    EXPECT_TRUE(GetManager()->HasSubscribedTo(open->GetURL())) << open->GetURL();
    EXPECT_TRUE(TypeLine(open, "typed once back", mark)) << open->GetURL();
  }
  EXPECT_TRUE(Until([&] { return page->FindContact("bob") != nullptr; }));
  // What bob said meanwhile comes as history; the lines shown already are not written again.
  ASSERT_TRUE(Showing(page, "bob while alice is away"));
  const char* const lines[] = {"said before alice came", "bob while both are in", "alice while both are in",
                               "bob while alice is away"};
  Until([&] {
    for (const char* line : lines)
      if (Occurrences(Shown(page), line) == 0) return false;
    return Occurrences(Shown(privatePage), "alice alone with bob") != 0;
  });
  Settle();
  const wxString shown = Shown(page);
  for (const char* line : lines) EXPECT_EQ(1, Occurrences(shown, line)) << line << "\n" << shown;
  EXPECT_EQ(1, Occurrences(Shown(privatePage), "alice alone with bob")) << Shown(privatePage);
  // Every log-in reports the client, this one too.
  EXPECT_TRUE(AwaitJournal([](const std::string& line) { return line.compare(0, 17, "alice clientinfo ") == 0; },
                           mark));

  // What bob says and offers now reaches the page, in his colour.
  bob.Link().SendMessage(bob.Key(), site, "bob after alice is back");
  ASSERT_TRUE(Showing(page, "bob after alice is back"));
  EXPECT_NE(wxColour(192, 192, 192), roomstest::StyleOf(page, "bob after alice is back").GetTextColour());
  ASSERT_TRUE(bob.Link().SendFile(bob.Key(), site, "notes.txt", "1765000000200001", 9, 6999));
  EXPECT_TRUE(Showing(page, " sends you a file : notes.txt (9 bytes) Download"));
  // Typing and writing send no second subscription.
  GetManager()->KeyTyped(site, true);
  ASSERT_TRUE(GetManager()->SendMessage(site, "alice after she is back"));
  ASSERT_TRUE(AwaitJournal("alice sendmessage site=\"" + site + "\" message=\"alice after she is back\"", mark));
  EXPECT_EQ(1u, Count(suburl, mark));
  EXPECT_EQ(1u, Count("alice suburl site=\"" + privateRoom + "\"", mark));

  // The next time, bob has blocked alice meanwhile: the private room is refused, and its page
  // says so and stays closed.
  LogOutAndBackIn();
  bob.Link().BlockContact(bob.Key(), "alice", "");
  ASSERT_TRUE(bob.Sync());
  mark = JournalSize();
  LogInAgain();
  ASSERT_TRUE(Until([&] { return Editable(page); }));
  EXPECT_TRUE(Showing(privatePage, "could not be entered again"));
  Settle();
  EXPECT_FALSE(Editable(privatePage));
  EXPECT_EQ(1u, Count(suburl, mark));
}

TEST_F(RoomsRejoinSession, ANewPrivateRoomIsAskedForOnce) {
  TestUser& bob = LogIn("bob");
  Befriend(bob);
  Frame()->CreateVirtualChatRoom("bob");
  const std::string room = GetManager()->GetPrivateChatRoomNameWith("bob");
  ASSERT_TRUE(Rooms()->IsChatRoomOpened(room));
  const size_t mark = JournalSize();
  // The user types, stops, types again and sends, all before the server's answer is in.
  GetManager()->KeyTyped(room, true);
  GetManager()->KeyTyped(room, false);
  GetManager()->KeyTyped(room, true);
  ASSERT_TRUE(GetManager()->SendMessage(room, "first words"));
  ASSERT_TRUE(AwaitJournal("alice sendmessage site=\"" + room + "\" message=\"first words\"", mark));
  ASSERT_TRUE(Until([&] { return GetManager()->HasSubscribedTo(room); }));
  ASSERT_TRUE(bob.Sync());
  EXPECT_EQ(1u, Count("alice suburl site=\"" + room + "\"", mark));
}

TEST_F(RoomsRejoinSession, TheTypingLineGoesWithABanAndShowsWhole) {
  TestUser& bob = LogIn("bob");
  TestUser& carol = LogIn("carol");
  const std::vector<std::string> sites = {"http://www.typing-one.example/", "http://www.typing-two.example/",
                                          "http://www.typing-three.example/"};
  for (const std::string& site : sites) {
    ASSERT_TRUE(Enter(bob, site));
    ASSERT_TRUE(EnterRoom(site));
  }
  ASSERT_TRUE(Enter(carol, sites[0]));
  for (const std::string& site : sites) bob.Link().KeyTyped(bob.Key(), site, true);
  ASSERT_TRUE(Until([&] { return Occurrences(Rooms()->GetTypingLine(), "Bob is typing") == 3; }));
  // Three lines, each whole: the line is as tall as its text.
  wxStaticText* typing = Rooms()->GetTypingText();
  Until([&] { return typing->GetSize().GetHeight() >= 3 * typing->GetCharHeight() && typing->IsShownOnScreen(); });
  EXPECT_GE(typing->GetSize().GetHeight(), 3 * typing->GetCharHeight()) << typing->GetSize().GetHeight();
  EXPECT_TRUE(typing->IsShownOnScreen());

  // Bob and carol report alice in the first room, and the server bans her from it: its page
  // closes and its typing line goes.
  bob.Link().ReportAbuse(bob.Key(), sites[0], "alice", "spam");
  carol.Link().ReportAbuse(carol.Key(), sites[0], "alice", "spam");
  ChatRoomPanel* banned = Rooms()->GetChatRoom(sites[0]);
  ASSERT_TRUE(Showing(banned, "You are banned from this chatroom!"));
  EXPECT_TRUE(banned->IsClosed());
  EXPECT_EQ(2, Occurrences(Rooms()->GetTypingLine(), "Bob is typing")) << Rooms()->GetTypingLine();
  EXPECT_EQ(wxNOT_FOUND, Rooms()->GetTypingLine().Find("typing-one")) << Rooms()->GetTypingLine();

  // At the next log-in the room refuses her again: its page says so and stays closed, while
  // the others open.
  Frame()->OnSwitchConnection(false);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  GetManager()->Connect("alice", "alice", false, "127.0.0.1", Server().Port(), true, false);
  ASSERT_TRUE(Until([] { return GetManager()->IsConnected(); }));
  ASSERT_TRUE(Showing(banned, "You are banned from this chatroom."));
  ASSERT_TRUE(Until([&] { return !Rooms()->GetChatRoom(sites[1])->IsClosed(); }));
  EXPECT_TRUE(banned->IsClosed());
  EXPECT_FALSE(banned->GetWriteMessagePanel()->GetTextCtrl()->IsEditable());

  // A line that still comes for the refused room, as the controller hands it to the windows, is
  // neither written on its closed page nor announced; one for an open room is.
  Settle();
  NewPopups();
  for (const std::string& site : {sites[0], sites[1]}) {
    ManagerEvent message(wxEVT_RECEIVE_NEW_MESSAGE, Manager::GetEventId());
    const std::string text = site == sites[0] ? "for the closed room" : "for the open room";
    message.SetOwnedObject(new Message(site, "bob", "Bob", text, time(nullptr), false));
    GetManager()->AddPendingEvent(message);
  }
  ASSERT_TRUE(Showing(Rooms()->GetChatRoom(sites[1]), "for the open room"));
  Settle();
  EXPECT_EQ(wxNOT_FOUND, Shown(banned).Find("for the closed room")) << Shown(banned);
  for (const std::string& popup : NewPopups()) EXPECT_EQ(std::string::npos, popup.find("typing-one")) << popup;
  EXPECT_TRUE(banned->IsClosed());
}

}  // namespace
