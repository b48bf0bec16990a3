// Ending the program while another person is on: by SIGTERM, and by the window's close and its
// question, in the middle of a burst of messages and of a file transfer. Each end is clean
// (status 0, the log-out reaching the server, the settings whole and the user's alone, nothing
// half-written), and the other person's program sees the departure.
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <chrono>
#include <memory>
#include <set>
#include <string>

#include "tests/journeys/journey.h"
#include "tests/standin/standinTestSupport.h"

namespace journeys {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecker = true;
#else
constexpr bool kLeakChecker = false;
#endif

long long Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

class Ending : public Journey {
 protected:
  // Alice, bob and carol are each other's contacts on the server.
  Ending() {
    m_serverState = "parlavox-standin-state 1\ncontact alice bob -\ncontact bob alice -\n"
                    "contact alice carol -\ncontact carol alice -\ncontact bob carol -\ncontact carol bob -\n";
  }
  void TearDown() override {
    m_carol.reset();
    Journey::TearDown();
  }
  // Carol, a client of the server beside the programs, writes to one of them (alice unless
  // said) in their room, many lines at once; returns once the server has passed on a good part
  // of them.
  void Burst(int lines, const std::string& to = "alice") {
    if (!m_carol) {
      standintest::PrepareClients(DataDir(), m_carolHome.path());
      m_carol.reset(new standintest::TestUser(ServerPort(), "carol"));
      ASSERT_TRUE(m_carol->LoggedIn());
    }
    const std::string room = "prv://parlavox/" + to + ":carol";
    if (m_carolRooms.insert(room).second) {
      m_carol->Link().SendSubscribeChatRoom(m_carol->Key(), room);
      ASSERT_TRUE(m_carol->Wait(S2C_Request_PR_suburlack));
    }
    const size_t before = CountJournal("carol sendmessage ");
    for (int i = 0; i < lines; ++i)
      m_carol->Link().SendMessage(m_carol->Key(), room, "Line " + std::to_string(i) + " of a long story");
    ASSERT_TRUE(Until([&] { return CountJournal("carol sendmessage ") >= before + lines / 5; }, "carol's burst"));
  }
  testsupport::TempDir m_carolHome;
  std::unique_ptr<standintest::TestUser> m_carol;
  std::set<std::string> m_carolRooms;
  // The program's own accounting of its threads, traced as it ends: the last such line comes
  // after the log-out of the end just made, and says every thread it started was stopped and
  // joined before main returned.
  static void ExpectThreadsJoined(const Person& person) {
    const std::string trace = person.TraceLog();
    const size_t closed = trace.rfind("Manager::Close");
    const size_t counted = trace.rfind("threads still running: ");
    ASSERT_NE(std::string::npos, closed);
    ASSERT_NE(std::string::npos, counted) << "no account of the threads at the end";
    EXPECT_GT(counted, closed);
    const size_t end = trace.find('\n', counted);
    EXPECT_EQ("threads still running: 0", trace.substr(counted, end == std::string::npos ? end : end - counted));
  }
  // How many reports of a transfer interrupted (5) or failed (6) the person's transfers window
  // has taken.
  static size_t EndedShort(const Person& person) {
    return Traced(person, "FilesFrame::UpdateFileTransfertStatus", ", 5)") +
           Traced(person, "FilesFrame::UpdateFileTransfertStatus", ", 6)");
  }
  // The size of the hidden file a download writes into before its file is whole (0 when none
  // is in the folder).
  static long long PartialSize(const std::string& folder) {
    for (const std::string& name : testsupport::ListDir(folder))
      if (name[0] == '.' && name.find(".part-") != std::string::npos) return SizeOf(folder + "/" + name);
    return 0;
  }
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
  ExpectThreadsJoined(alice);
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
  ASSERT_TRUE(QuitCleanly(alice));
  ExpectThreadsJoined(alice);
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", from), 0);
  EXPECT_TRUE(Until([&] { return CountTraced(bob, TracedPresence("alice", 0)) == offline + 2; },
                    "bob seeing alice go again"));
  ExpectSettingsWhole(alice);

  // Bob ends by his window too; carol is the one left.
  from = Journal().size();
  ASSERT_TRUE(QuitCleanly(bob));
  ExpectThreadsJoined(bob);
  EXPECT_GE(AwaitJournal("bob disconnect recoflag=false", from), 0);
  ExpectSettingsWhole(bob);
  EXPECT_TRUE(AwaitLog("bob logged out (1 online)"));
}

// A SIGTERM while a file chooser of the program is open (the user's "Send file..." of a room):
// the program does not wait for the user to dismiss it, it ends at once and cleanly, logged out
// and with its settings whole.
TEST_F(Ending, BySignalWithAFileChooserOpen) {
  Person& alice = Add("alice");
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  const std::string page = "http://www.chooser.example/";
  size_t from = Journal().size();
  Browse(alice, page);
  ASSERT_GE(AwaitJournal("alice openurl site=\"" + page + "\"", from), 0);
  ASSERT_TRUE(EnterFromThePanel(alice, page));
  const programtest::Screen::WindowId room = AwaitWindow(alice, "Chatrooms");
  ASSERT_NE(0u, room);
  // The input's second tool opens the chooser.
  ASSERT_TRUE(ClickFor(alice, room, 74, 326, "Send file..."));
  from = Journal().size();
  const auto signalled = std::chrono::steady_clock::now();
  kill(alice.Pid(), SIGTERM);
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", from), 0);
  const auto loggedOut = std::chrono::steady_clock::now() - signalled;
  EXPECT_EQ(0, alice.WaitExit()) << alice.Errors();
  const auto ended = std::chrono::steady_clock::now() - signalled;
  ExpectThreadsJoined(alice);
  // Within a second; a build with the leak checker has it search the whole memory at the end
  // as well, which takes its own time.
  const auto allowed = std::chrono::seconds(kLeakChecker ? 6 : 1);
  EXPECT_LT(loggedOut, std::chrono::seconds(1)) << Milliseconds(loggedOut) << " ms";
  EXPECT_LT(ended, allowed) << Milliseconds(ended) << " ms";
  ExpectSettingsWhole(alice);
}

// Ending in the middle of a file transfer (slowed on its way, as over a real line) and of a
// burst of messages, each side of the transfer by SIGTERM and by its window's close: alice sends
// the same film to bob again and again, and one of them is ended half-way each time, then comes
// back (logged in by themselves) to the room. Each end is clean, the other side sees the
// departure and its transfer end short, and bob's folder never holds a file that looks whole nor
// the part he had received.
TEST_F(Ending, InTheMiddleOfATransferBySignalAndByTheWindow) {
  Person& alice = Add("alice");
  Person& bob = Add("bob");
  if (!alice.Network() || !bob.Network()) { GTEST_SKIP() << "two extension listeners need a network each"; }
  ASSERT_GE(StartAndLogInByTyping(bob), 0);
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  ASSERT_TRUE(SetFilePort(alice, kFilePort));
  ReachFilesOf(alice, bob, kFilePort, 4u << 20);
  const std::string page = "http://www.example.org/films/";
  auto rooms = MeetInTheRoom(alice, bob, page);
  ASSERT_TRUE(rooms.first && rooms.second);
  const std::string original = alice.Home() + "/film.bin";
  ASSERT_TRUE(WriteRandomFile(original, 50u << 20));
  const std::string folder = bob.Home() + "/Downloads";
  ASSERT_EQ(0, mkdir(folder.c_str(), 0700));

  const struct {
    bool sender, signal;
  } rounds[] = {{true, true}, {false, false}, {true, false}, {false, true}};
  int round = 0;
  for (const auto& ending : rounds) {
    Person& leaving = ending.sender ? alice : bob;
    Person& staying = ending.sender ? bob : alice;
    SCOPED_TRACE(leaving.Login() + (ending.signal ? " ended by SIGTERM" : " ended by the window"));
    // Whoever left last time comes back, logged in by themselves, and enters the room again.
    for (Person* person : {&alice, &bob}) {
      if (person->Running()) continue;
      const size_t from = Journal().size();
      person->Start();
      // Welcomed once it asks what it asks after the welcome, under its login.
      const std::string connect = "- connect login=\"" + person->Login() + "\"";
      const std::string welcomed = person->Login() + " askmessengerprotocols ";
      for (const std::string& start : {connect, welcomed}) {
        ASSERT_GE(AwaitJournal([&](const std::string& line) { return line.compare(0, start.size(), start) == 0; }, from),
                  0);
      }
      Browse(*person, page);
      ASSERT_TRUE(EnterFromThePanel(*person, page));
      (person == &alice ? rooms.first : rooms.second) = AwaitWindow(*person, "Chatrooms");
    }
    ASSERT_TRUE(OfferFile(alice, rooms.first, original));
    ASSERT_TRUE(DownloadOffer(bob, rooms.second, folder + "/film " + std::to_string(++round) + ".bin"));
    ASSERT_TRUE(Until([&] { return PartialSize(folder) > (2 << 20); }, "the film half-way to bob"));
    const size_t offline = CountTraced(staying, TracedPresence(leaving.Login(), 0));
    const size_t endedShort = EndedShort(staying);
    Burst(400, leaving.Login());

    const size_t from = Journal().size();
    if (ending.signal) {
      kill(leaving.Pid(), SIGTERM);
    } else {
      ASSERT_TRUE(Quit(leaving));
    }
    EXPECT_EQ(0, leaving.WaitExit()) << leaving.Errors();
    // The extension listener, the file port's listener, both sides' transfer threads and the
    // link's were running: all were joined.
    ExpectThreadsJoined(leaving);
    EXPECT_GE(AwaitJournal(leaving.Login() + " disconnect recoflag=false", from), 0);
    ExpectSettingsWhole(leaving);
    // The other sees the departure and the transfer end short; bob's folder is left empty.
    EXPECT_TRUE(Until([&] { return CountTraced(staying, TracedPresence(leaving.Login(), 0)) == offline + 1; },
                      staying.Login() + " seeing " + leaving.Login() + " go"));
    EXPECT_TRUE(Until([&] { return EndedShort(staying) == endedShort + 1; }, "the transfer ending short"));
    EXPECT_TRUE(Until([&] { return testsupport::ListDir(folder).empty(); }, "bob's folder left empty"));
  }

  const size_t from = Journal().size();
  ASSERT_TRUE(QuitCleanly(alice));
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", from), 0);
  ExpectSettingsWhole(alice);
}

}  // namespace
}  // namespace journeys
