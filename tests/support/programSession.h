// The whole program on the stand-in server, for tests of windows: a real parlavox-standin on
// loopback (with a journal of every request it receives), the program's real start-up and main
// window in this process logged in as "alice" with a home directory of its own, and other users
// (bob, carol, dave, erin, frank; grace and heidi, whom no earlier test made known to the
// controller) on the same server through the client's own connection code.
//
// A window test derives its fixture from ProgramSession:
//
//   class RoomPageTest : public programtest::ProgramSession {};
//
//   TEST_F(RoomPageTest, BobsLineReachesAlice) {
//     standintest::TestUser& bob = LogIn("bob");        // logged in, recording what he receives
//     Befriend(bob);                                    // bob asks, alice accepts: contacts
//     bob.Link().SendMessage(bob.Key(), "prv://parlavox/alice:bob", "Hi");  // bob talks
//     ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened("prv://parlavox/alice:bob"); }));
//     const size_t mark = JournalSize();
//     GetManager()->SendMessage("prv://parlavox/alice:bob", "Hello");  // or real input in a window
//     EXPECT_TRUE(AwaitJournal("alice sendmessage site=\"prv://parlavox/alice:bob\" message=\"Hello\"", mark));
//     EXPECT_TRUE(bob.Wait(S2C_Request_PR_message));     // what bob received
//   }
//
// Until() runs the event loop until a condition holds (a generous time-out, never a timing
// check). The journal's lines read "<sender> <request> <field>=<value> ..." as standin/journal.h
// describes. A derived fixture may set m_standinArguments in its constructor (say "--demo").
// At the end the other users and alice log out, the windows close and the server stops: nothing
// is left running. The controller lives as long as the process: SetUp takes the other users off
// alice's contacts and marks them offline, and forgets the sites earlier tests opened and saved,
// as a new run would know them.
#ifndef PARLAVOX_TESTS_SUPPORT_PROGRAMSESSION_H
#define PARLAVOX_TESTS_SUPPORT_PROGRAMSESSION_H

#include <gtest/gtest.h>
#include <wx/intl.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/contactInfo.h"
#include "tests/standin/standinTestSupport.h"
#include "tests/support/testSupport.h"

class ChatRoomsNotebook;
class ContactEvent;
class MainFrame;
class wxLog;

namespace programtest {

using Lines = std::vector<std::string>;

class ProgramSession : public ::testing::Test {
 protected:
  // Generous: the sanitizer build on a loaded machine.
  static const int kWait = 20000;

  void SetUp() override;
  void TearDown() override;

  // Runs the event loop until cond holds; false when it still does not after ms.
  static bool Until(const std::function<bool()>& cond, int ms = kWait);
  // Lets what the controller posted so far reach the windows.
  static void Settle();

  // Another user logs in (password: the login) and stays until LogOut or the end of the test.
  standintest::TestUser& LogIn(const std::string& login, t_status status = STATUS_ONLINE);
  standintest::TestUser& User(const std::string& login) { return *m_users.at(login); }
  bool IsLoggedIn(const std::string& login) const { return m_users.count(login) != 0; }
  // Ends the user's session as the program does at log-out, and waits until the server let go.
  void LogOut(const std::string& login);
  // The other user asks to be alice's contact and alice accepts; returns once alice sees the
  // contact online.
  void Befriend(standintest::TestUser& other);
  // The other user enters the chat room; true once the server acknowledged it.
  bool Enter(standintest::TestUser& other, const std::string& room);

  // The journal's whole lines so far, and those from the index `from` on.
  Lines Journal() const;
  size_t JournalSize() const { return Journal().size(); }
  // Runs the event loop until a line from index `from` on is `line` (or matches); true when one came.
  bool AwaitJournal(const std::string& line, size_t from = 0);
  bool AwaitJournal(const std::function<bool(const std::string&)>& match, size_t from = 0);

  // Ends the program as the user does (the settings file is written); the test goes on without it.
  void Exit();

  // The controller's stored record of the kind about the login made during this test, or null.
  ContactEvent* Stored(int type, const std::string& login);
  ContactEvent* AwaitStored(int type, const std::string& login);
  // The pop-up's notifications ("title | line | line | action param") and the sounds asked
  // for since the last call.
  Lines NewPopups();
  Lines NewSounds();
  // Events until at least `count` notifications (sounds) are there for the next call above to
  // read, however late the server's news come; they are left unread.
  bool AwaitPopups(size_t count);
  bool AwaitSounds(size_t count);

  MainFrame* Frame() const { return m_frame; }
  ChatRoomsNotebook* Rooms() const { return m_rooms; }
  standintest::StandinProcess& Server() { return *m_server; }
  const std::string& Home() const { return m_home.path(); }
  const std::string& DataDir() const { return m_data.path(); }

  // Set before SetUp (in a derived fixture's constructor).
  std::vector<std::string> m_standinArguments;

 private:
  void StartServer();
  void StartProgram();
  void ForgetOthers();
  void ForgetSites();

  testsupport::TempDir m_data;
  testsupport::TempDir m_home;
  std::unique_ptr<standintest::StandinProcess> m_server;
  std::map<std::string, std::unique_ptr<standintest::TestUser>> m_users;
  std::string m_savedHome;
  wxLog* m_savedLog = nullptr;
  wxLocale m_locale;
  MainFrame* m_frame = nullptr;
  ChatRoomsNotebook* m_rooms = nullptr;
  Lines m_sounds;
  size_t m_popupsSeen = 0;
  std::set<long> m_earlierEvents;
};

}  // namespace programtest

#endif
