// Two people meet on a site: both browse it (the extension's requests), each sees the other on
// the site's panel, both enter its room from there, and they talk, with smileys, each seeing the
// other type; one of them saves the conversation as text.
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

class Meeting : public Journey {
 protected:
  // Saves the conversation of the person's room window as text, through the page's save tool
  // (the fourth of its tools) and the file chooser.
  bool SaveConversation(const Person& person, programtest::Screen::WindowId room, const std::string& path) {
    const std::string title = "Save conversation as...";
    return ClickFor(person, room, 178, 326, title) && ChooseFile(person, title, path) &&
           Until([&] { return Mode(path) != 0; }, "the saved file");
  }
};

TEST_F(Meeting, TwoPeopleMeetOnASiteAndTalkInItsRoom) {
  Person& alice = Add("alice");
  Person& bob = Add("bob");
  if (!alice.Network() || !bob.Network()) { GTEST_SKIP() << "two extension listeners need a network each"; }
  const long logIn = StartAndLogInByTyping(alice);
  ASSERT_GE(logIn, 0);
  ASSERT_GE(StartAndLogInByTyping(bob), 0);

  // Both on the same page: alice first, alone; bob told that one other is there.
  const std::string page = "http://www.example.org/garden/roses.html";
  EXPECT_EQ("0", Browse(alice, page));
  ASSERT_GE(AwaitJournal("alice openurl site=\"" + page + "\"", logIn), 0);
  EXPECT_EQ("1", Browse(bob, page));
  ASSERT_GE(AwaitJournal("bob openurl site=\"" + page + "\"", logIn), 0);
  // Each sees the other on the site's panel.
  EXPECT_TRUE(Until([&] { return Traced(alice, "SitePanel::AddContact", ": bob -> (") == 1; }, "bob on alice's panel"));
  EXPECT_TRUE(Until([&] { return Traced(bob, "SitePanel::AddContact", ": alice -> (") == 1; }, "alice on bob's panel"));

  // Both enter the room from the panel; its window opens, the input taking the keyboard.
  ASSERT_TRUE(EnterFromThePanel(alice, page));
  ASSERT_TRUE(EnterFromThePanel(bob, page));
  const programtest::Screen::WindowId aliceRoom = AwaitWindow(alice, "Chatrooms");
  const programtest::Screen::WindowId bobRoom = AwaitWindow(bob, "Chatrooms");
  ASSERT_TRUE(aliceRoom && bobRoom);

  // Alice types: bob sees her typing, then her message, and her typing stop.
  const std::string room = "site=\"" + page + "\"";
  const size_t before = Journal().size();
  ASSERT_TRUE(TypeInto(aliceRoom, "Hello bob"));
  const long typing = AwaitJournal("alice keytyped " + room + " enabled=true", before);
  EXPECT_TRUE(Until([&] { return Traced(bob, "ChatRoomsNotebook::SetKeyTyped", page + ", alice, 1)") == 1; },
                    "bob seeing alice type"));
  ASSERT_TRUE(TypeInto(aliceRoom, " :){Return}"));
  const long said = AwaitJournal("alice sendmessage " + room + " message=\"Hello bob :)\"", before);
  EXPECT_GE(AwaitJournal("alice keytyped " + room + " enabled=false", before), 0);
  EXPECT_TRUE(Until([&] { return Traced(bob, "Manager::ReceiveMessage", page + ", alice)") == 1; },
                    "bob receiving alice's message"));
  EXPECT_TRUE(Until([&] { return Traced(bob, "ChatRoomsNotebook::SetKeyTyped", page + ", alice, 0)") == 1; },
                    "bob seeing alice stop typing"));
  EXPECT_LT(typing, said);

  // Bob answers; alice sees him type and his answer.
  ASSERT_TRUE(TypeInto(bobRoom, "Hi alice ;){Return}"));
  const long answered = AwaitJournal("bob sendmessage " + room + " message=\"Hi alice ;)\"", before);
  EXPECT_LT(said, answered);
  EXPECT_TRUE(Until([&] { return Traced(alice, "ChatRoomsNotebook::SetKeyTyped", page + ", bob, 1)") == 1; },
                    "alice seeing bob type"));
  EXPECT_TRUE(Until([&] { return Traced(alice, "Manager::ReceiveMessage", page + ", bob)") == 1; },
                    "alice receiving bob's message"));
  // Nobody sent anything twice.
  EXPECT_EQ(1u, CountJournal("alice sendmessage "));
  EXPECT_EQ(1u, CountJournal("bob sendmessage "));

  // Alice saves the conversation as text: both sides' lines, in the order they were said.
  const std::string saved = alice.Home() + "/roses.txt";
  ASSERT_TRUE(SaveConversation(alice, aliceRoom, saved));
  const Lines lines = testsupport::ReadLines(saved);
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  const size_t aliceSays = text.find("Alice (alice) says:\nHello bob :)\n");
  const size_t bobSays = text.find("Bob (bob) says:\nHi alice ;)\n");
  EXPECT_NE(std::string::npos, aliceSays) << text;
  EXPECT_NE(std::string::npos, bobSays) << text;
  EXPECT_LT(aliceSays, bobSays) << text;

  ASSERT_TRUE(QuitCleanly(alice));
  ASSERT_TRUE(QuitCleanly(bob));
}

}  // namespace
}  // namespace journeys
