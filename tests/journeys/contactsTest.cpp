// Two people become each other's contacts: one asks through the contacts manager, the other
// accepts in the same window; each then sees the other come and go in the contacts list, and a
// private room opened from that list carries their first words.
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

using programtest::Screen;
using std::chrono::milliseconds;

// Places in the main window's default layout (370 by 600): the tool bar's contacts-manager
// button, and the first row of the contacts list, under the header of its only block.
constexpr int kManagerButtonX = 96, kManagerButtonY = 106;
constexpr int kFirstContactX = 75, kFirstContactY = 165;
// The contacts manager is wider than the room left of the centred main window: it covers the
// main window's right edge and reaches past it, its top level with its button; the newest
// request row stands at the top of its requests list. Both places lie right of the main window.
constexpr int kInsideManagerX = 420, kInsideManagerY = 140;
constexpr int kNewestRequestX = 420, kNewestRequestY = 342;
// The nickname's colour in the contacts list: online, offline.
constexpr unsigned long kOnlineColour = 0x649600, kOfflineColour = 0x787878;

class Contacts : public Journey {
 protected:
  // Shows the person's contacts manager through the tool bar's button; the window, or 0.
  Screen::WindowId OpenContactsManager(const Person& person) {
    const Screen::WindowId main = AwaitWindow(person, "Parlavox");
    Screen::WindowId manager = 0;
    // The manager's own title is empty (its caption is drawn inside it): it is found where it docks.
    const auto shown = [&] {
      return (manager = Screen().WindowAt(person.Pid(), main, kInsideManagerX, kInsideManagerY)) != 0;
    };
    Until([&] {
      if (shown()) return true;
      Screen().Click(main, kManagerButtonX, kManagerButtonY);
      return testsupport::WaitFor(shown, milliseconds(3000));
    }, person.Login() + "'s contacts manager");
    return manager;
  }
  // Clicks the person's window at (x, y) until their window titled so shows.
  bool ClickUntilShown(const Person& person, Screen::WindowId window, int x, int y, const std::string& title) {
    return Until([&] {
      if (Screen().ShowsWindow(person.Pid(), title)) return true;
      Screen().Click(window, x, y);
      return testsupport::WaitFor([&] { return Screen().ShowsWindow(person.Pid(), title); }, milliseconds(3000));
    }, person.Login() + "'s window \"" + title + "\" after a click");
  }
  // Types the message into the person's question titled so, then answers it with the key.
  bool AnswerWithMessage(const Person& person, const std::string& title, const std::string& message,
                         const std::string& key) {
    const Screen::WindowId question = AwaitWindow(person, title);
    return question && TypeInto(question, message) && Answer(person, title, key);
  }
  // The person asks for the login in the contacts manager: the check finds the user, whose
  // nickname titles the question that follows, and the invitation goes with the message. The
  // journal's index of the request, or -1.
  long AskForContact(const Person& person, const std::string& login, const std::string& nickname,
                     const std::string& message, size_t from) {
    const Screen::WindowId manager = OpenContactsManager(person);
    if (!manager || !TypeInto(manager, login + "{Return}")) return -1;
    const std::string who = person.Login() + " ";
    if (AwaitJournal(who + "checkcontact loginOrEmail={login=\"" + login + "\"}", from) < 0) return -1;
    if (!AnswerWithMessage(person, "Invite " + nickname, message, "i")) return -1;
    return AwaitJournal(who + "addcontact login=\"" + login + "\" message=\"" + message + "\"", from);
  }
  // The person, told of the request from the login, accepts it from the newest row of the
  // contacts manager's requests with the message. The journal's index of the answer, or -1.
  long AcceptRequest(const Person& person, const std::string& login, const std::string& message, size_t from) {
    if (!Until([&] { return Traced(person, "MainFrame::ReceiveContactEvent", "START (3, " + login + ")") == 1; },
               person.Login() + " receiving the request of " + login)) {
      return -1;
    }
    const std::string question = "Accept/Refuse invitation";
    if (!OpenContactsManager(person) ||
        !ClickUntilShown(person, AwaitWindow(person, "Parlavox"), kNewestRequestX, kNewestRequestY, question) ||
        !AnswerWithMessage(person, question, message, "a")) {
      return -1;
    }
    const std::string answer = " addcontactanswer login=\"" + login + "\" answer=true message=\"" + message + "\"";
    return AwaitJournal(person.Login() + answer, from);
  }
  // The first row of the person's contacts list shows the nickname in the colour of a presence.
  bool FirstContactIn(const Person& person, unsigned long colour, const std::string& what) {
    const Screen::WindowId main = AwaitWindow(person, "Parlavox");
    // The nickname's letters: a few of their pixels are of the colour itself.
    const int left = kFirstContactX - 20, top = kFirstContactY - 10;
    return Until([&] { return Screen().CountColour(main, left, top, 80, 20, colour) > 10; },
                 person.Login() + "'s contacts list showing " + what);
  }
  // The settings file lists the login among the contacts.
  static bool ListsContact(const Person& person, const std::string& login) {
    const std::string settings = testsupport::ReadFile(person.SettingsFile());
    const size_t start = settings.find("<contacts "), end = settings.find("</contacts>");
    if (start == std::string::npos || end == std::string::npos) return false;
    return settings.substr(start, end - start).find("<login>" + login + "</login>") != std::string::npos;
  }
};

TEST_F(Contacts, RequestAcceptedPresenceFollowedAndAPrivateRoomOpenedFromTheList) {
  Person& alice = Add("alice");
  Person& bob = Add("bob");
  const long logIn = StartAndLogInByTyping(alice);
  ASSERT_GE(logIn, 0);
  ASSERT_GE(StartAndLogInByTyping(bob), 0);

  const long asked = AskForContact(alice, "bob", "Bob", "Lunch at noon?", logIn);
  ASSERT_GE(asked, 0);
  ASSERT_GE(AcceptRequest(bob, "alice", "Sure", asked), 0);

  // Each now lists the other, online: alice hears of the acceptance, both take in the other's
  // presence, and alice's list shows bob's name in the colour of someone online.
  EXPECT_TRUE(Until([&] { return Traced(alice, "MainFrame::ReceiveContactEvent", "START (4, bob)") == 1; },
                    "alice hearing bob accept"));
  ASSERT_TRUE(Until([&] { return CountTraced(alice, TracedPresence("bob", 1)) >= 1; }, "bob in alice's list"));
  ASSERT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 1)) >= 1; }, "alice in bob's list"));
  EXPECT_TRUE(FirstContactIn(alice, kOnlineColour, "bob online"));

  // Bob quits: his settings keep alice as a contact, and alice sees him go offline.
  const size_t online = CountTraced(alice, TracedPresence("bob", 1));
  const size_t offline = CountTraced(alice, TracedPresence("bob", 0));
  ASSERT_TRUE(QuitCleanly(bob));
  ExpectSettingsWhole(bob);
  EXPECT_TRUE(ListsContact(bob, "alice"));
  EXPECT_TRUE(Until([&] { return CountTraced(alice, TracedPresence("bob", 0)) > offline; }, "alice seeing bob leave"));
  EXPECT_TRUE(FirstContactIn(alice, kOfflineColour, "bob offline"));

  // Bob comes back, logged in by his program itself; alice sees him online again.
  const size_t back = Journal().size();
  bob.Start();
  const std::string connect = "- connect login=\"bob\" ";
  const auto connecting = [&](const std::string& line) { return line.compare(0, connect.size(), connect) == 0; };
  ASSERT_GE(AwaitJournal(connecting, back), 0);
  ASSERT_TRUE(
      Until([&] { return CountTraced(alice, TracedPresence("bob", 1)) > online; }, "alice seeing bob come back"));
  EXPECT_TRUE(FirstContactIn(alice, kOnlineColour, "bob online again"));

  // Alice opens a private room with bob by a click on his row, and writes to him in it: the
  // room is made on the server with her first word, which reaches bob, whose program opens the
  // room by itself.
  const std::string room = "site=\"prv://parlavox/alice:bob\"";
  const Screen::WindowId aliceMain = AwaitWindow(alice, "Parlavox");
  ASSERT_TRUE(ClickUntilShown(alice, aliceMain, kFirstContactX, kFirstContactY, "Chatrooms"));
  const Screen::WindowId aliceRoom = AwaitWindow(alice, "Chatrooms");
  ASSERT_TRUE(TypeInto(aliceRoom, "Hello bob, just us here{Return}"));
  const long opened = AwaitJournal("alice suburl " + room, back);
  const long said = AwaitJournal("alice sendmessage " + room + " message=\"Hello bob, just us here\"", back);
  ASSERT_GE(opened, 0);
  ASSERT_GE(said, 0);
  EXPECT_LT(opened, said);
  EXPECT_TRUE(Until([&] { return Traced(bob, "Manager::ReceiveMessage", "prv://parlavox/alice:bob, alice)") == 1; },
                    "bob receiving alice's private message"));

  // Bob answers in the room his program opened; alice receives it.
  const Screen::WindowId bobRoom = AwaitWindow(bob, "Chatrooms");
  ASSERT_NE(0u, bobRoom);
  ASSERT_TRUE(TypeInto(bobRoom, "Hi alice{Return}"));
  EXPECT_GE(AwaitJournal("bob sendmessage " + room + " message=\"Hi alice\"", said), 0);
  EXPECT_TRUE(Until([&] { return Traced(alice, "Manager::ReceiveMessage", "prv://parlavox/alice:bob, bob)") == 1; },
                    "alice receiving bob's answer"));
  EXPECT_EQ(1u, CountJournal("alice addcontact "));
  EXPECT_EQ(1u, CountJournal("alice sendmessage "));

  ASSERT_TRUE(QuitCleanly(alice));
  ExpectSettingsWhole(alice);
  EXPECT_TRUE(ListsContact(alice, "bob"));
  ASSERT_TRUE(QuitCleanly(bob));
}

}  // namespace
}  // namespace journeys
