// Ending the program while another person is on: by SIGTERM, and by the window's close and its
// question. Each end is clean (status 0, the log-out reaching the server, the settings whole and
// the user's alone, nothing half-written), and the other person's program sees the departure.
#include <signal.h>

#include <memory>
#include <string>

#include "tests/journeys/journey.h"
#include "tests/standin/standinTestSupport.h"

namespace journeys {
namespace {

class Ending : public Journey {
 protected:
  // Alice and bob are each other's contacts on the server, and so are alice and carol.
  Ending() {
    m_serverState = "parlavox-standin-state 1\ncontact alice bob -\ncontact bob alice -\n"
                    "contact alice carol -\ncontact carol alice -\n";
  }
  void TearDown() override {
    m_carol.reset();
    Journey::TearDown();
  }
  // Carol, a client of the server beside the programs, writes to alice in their room, many
  // lines at once; returns once the server has passed on a good part of them.
  void Burst(int lines) {
    if (!m_carol) {
      standintest::PrepareClients(DataDir(), m_carolHome.path());
      m_carol.reset(new standintest::TestUser(ServerPort(), "carol"));
      ASSERT_TRUE(m_carol->LoggedIn());
      m_carol->Link().SendSubscribeChatRoom(m_carol->Key(), kRoom);
      ASSERT_TRUE(m_carol->Wait(S2C_Request_PR_suburlack));
    }
    const size_t before = CountJournal("carol sendmessage ");
    for (int i = 0; i < lines; ++i)
      m_carol->Link().SendMessage(m_carol->Key(), kRoom, "Line " + std::to_string(i) + " of a long story");
    ASSERT_TRUE(Until([&] { return CountJournal("carol sendmessage ") >= before + lines / 5; }, "carol's burst"));
  }
  static constexpr const char* kRoom = "prv://parlavox/alice:carol";
  testsupport::TempDir m_carolHome;
  std::unique_ptr<standintest::TestUser> m_carol;
};

TEST_F(Ending, BySignalAndByTheWindowWhileTheOtherIsOn) {
  Person& alice = Add("alice");
  Person& bob = Add("bob");
  ASSERT_GE(StartAndLogInByTyping(bob), 0);
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  ASSERT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 1)) == 1; }, "bob seeing alice come"));
  const size_t offline = CountTraced(bob, TracedPresence("alice", 0));

  // Ended by SIGTERM in the middle of carol's burst: a clean end, and bob sees her go.
  Burst(400);
  size_t from = Journal().size();
  kill(alice.Pid(), SIGTERM);
  EXPECT_EQ(0, alice.WaitExit()) << alice.Errors();
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", from), 0);
  EXPECT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 0)) == offline + 1; },
                    "bob seeing alice go"));
  ExpectSettingsWhole(alice);

  // She starts again and is logged in by herself; bob sees her come back.
  from = Journal().size();
  alice.Start();
  EXPECT_GE(AwaitJournal([](const std::string& line) { return line.compare(0, 23, "- connect login=\"alice\"") == 0; },
                         from),
            0);
  EXPECT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 1)) == 2; }, "bob seeing alice come back"));

  // Ended by her window's close and "Exit", in the middle of a second burst (which opens her
  // room with carol, a window that may take the keyboard from the question): as clean, and bob
  // sees her go again.
  Burst(400);
  from = Journal().size();
  ASSERT_TRUE(Quit(alice));
  EXPECT_EQ(0, alice.WaitExit()) << alice.Errors();
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", from), 0);
  EXPECT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 0)) == offline + 2; },
                    "bob seeing alice go again"));
  ExpectSettingsWhole(alice);

  // Bob ends by his window too; carol is the one left.
  from = Journal().size();
  ASSERT_TRUE(Quit(bob));
  EXPECT_EQ(0, bob.WaitExit()) << bob.Errors();
  EXPECT_GE(AwaitJournal("bob disconnect recoflag=false", from), 0);
  ExpectSettingsWhole(bob);
  EXPECT_TRUE(AwaitLog("bob logged out (1 online)"));
}

}  // namespace
}  // namespace journeys
