// The session fixture itself and the stand-in's journal: what clients send reaches the journal
// as lines worked out by hand from the requests (not from our own encoder), passwords hidden;
// the program's own requests are there under its user's name; each test starts afresh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "model/version.h"
#include "tests/support/programSession.h"

namespace {

using programtest::Lines;
using standintest::TestUser;

class ProgramSessionTest : public programtest::ProgramSession {
 protected:
  // The sender's lines from the index on, heart-beat answers left out.
  Lines LinesOf(const std::string& sender, size_t from) {
    Lines mine;
    Lines all = Journal();
    for (size_t i = from; i < all.size(); ++i)
      if (all[i].compare(0, sender.size() + 1, sender + " ") == 0 && all[i].find(" heartbeatack") == std::string::npos)
        mine.push_back(all[i]);
    return mine;
  }
};

TEST_F(ProgramSessionTest, JournalHoldsEachRequestAsSentPasswordsHidden) {
  const size_t start = JournalSize();
  TestUser& bob = LogIn("bob");
  const std::string site = "http://www.example.org/caf\xc3\xa9";
  ASSERT_TRUE(Enter(bob, site));
  const std::string key = bob.Key();
  bob.Link().SendMessage(key, site, "Say \"hi\" \\ now\n\tcaf\xc3\xa9 \xe2\x82\xac");
  bob.Link().CheckContact(key, "carol");
  bob.Link().InviteContactInChatRoom(key, nullptr, {"alice", "carol"});
  bob.Link().KeyTyped(key, site, true);
  bob.Link().UpdateProfile(key, "Bobby", "", 3, 4, 1990);
  bob.Link().UpdateProfile(key, "Bob", "sunny", 0, 0, 0);
  bob.Link().ChangeStatus(key, STATUS_AWAY);
  bob.Link().SendComment(key, site, "ok", 7);
  const unsigned char picture[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  bob.Link().AddSmiley(key, site, ":-)", IMAGE_PNG, sizeof picture, picture);
  bob.Link().ConnectMessenger(key, "icq", "bob123", "s3cret", {{"server", "login.icq.example"}}, "Bob",
                              STATUS_BUSY);
  bob.Link().SendDisconnect(key);
  ASSERT_TRUE(AwaitJournal("bob disconnect recoflag=false", start));
  const Lines expected = {
      "bob suburl site=\"http://www.example.org/caf\xc3\xa9\"",
      "bob sendmessage site=\"http://www.example.org/caf\xc3\xa9\" message=\"Say \\\"hi\\\" \\\\ now\\x0a\\x09caf\xc3\xa9 "
      "\xe2\x82\xac\"",
      "bob checkcontact loginOrEmail={login=\"carol\"}",
      "bob invitechatroom logins=[\"alice\" \"carol\"]",
      "bob keytyped site=\"http://www.example.org/caf\xc3\xa9\" enabled=true",
      "bob updateprofile nickname=\"Bobby\" mood=\"\" birthDate={day=3 month=4 year=1990}",
      "bob updateprofile nickname=\"Bob\" mood=\"sunny\"",
      "bob changestatus status=away",
      "bob comment site=\"http://www.example.org/caf\xc3\xa9\" text=\"ok\" grade=7",
      "bob addsmiley site=\"http://www.example.org/caf\xc3\xa9\" codesmiley=\":-)\" smiley={type=png content=<8 bytes>}",
      "bob connectmessenger protocol=\"icq\" login=\"bob123\" password=*** nickname=\"Bob\" status=busy "
      "parameters=[{key=\"server\" value=\"login.icq.example\"}]",
      "bob disconnect recoflag=false",
  };
  EXPECT_EQ(expected, LinesOf("bob", start));
  // His log-in came before he was anyone to the server.
  const Lines all = Journal();
  EXPECT_NE(all.end(), std::find(all.begin() + start, all.end(),
                                 "- connect login=\"bob\" password=*** version=\"" + std::string(kProgramVersion) +
                                     "\" status=online default-avatar-hash=<20 bytes>"));
  // No password in the clear, the program's own included.
  for (const std::string& line : all) {
    EXPECT_EQ(std::string::npos, line.find("password=\"")) << line;
    EXPECT_EQ(std::string::npos, line.find("s3cret")) << line;
  }
}

TEST_F(ProgramSessionTest, ProgramsOwnRequestsAreJournalledUnderItsUser) {
  const Lines before = Journal();
  // Alice's own log-in, from the program's start in this test's home.
  EXPECT_NE(before.end(), std::find_if(before.begin(), before.end(), [](const std::string& line) {
              return line.compare(0, 36, "- connect login=\"alice\" password=***") == 0;
            }));
  TestUser& bob = LogIn("bob");
  const size_t start = JournalSize();
  Frame()->AddContact("bob", "Shall we?");
  EXPECT_TRUE(AwaitJournal("alice addcontact login=\"bob\" message=\"Shall we?\"", start));
  ASSERT_TRUE(bob.Wait(S2C_Request_PR_addcontactask));
  const std::string pair = GetManager()->GetPrivateChatRoomNameWith("bob");
  ASSERT_TRUE(Enter(bob, pair));
  ASSERT_TRUE(GetManager()->SendMessage(pair, "Hello \"Bob\""));
  EXPECT_TRUE(AwaitJournal("alice sendmessage site=\"" + pair + "\" message=\"Hello \\\"Bob\\\"\"", start));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_message));
  // The other users come and go within the test.
  LogOut("bob");
  EXPECT_FALSE(IsLoggedIn("bob"));
  EXPECT_TRUE(AwaitJournal("bob disconnect recoflag=false", start));
}

// Each test has a server, a journal and a home of its own: nothing of the test before is seen.
TEST_F(ProgramSessionTest, EachTestStartsAfresh) {
  for (const std::string& line : Journal()) EXPECT_EQ(std::string::npos, line.find("bob")) << line;
  EXPECT_TRUE(GetManager()->IsConnected());
  EXPECT_FALSE(GetManager()->HasContact("bob"));
  EXPECT_EQ(Home(), std::string(getenv("HOME")));
}

// The tool kit was set up before the program started in this process (by the test main, and by
// the tests before): the start reports the server no error of its own making.
TEST_F(ProgramSessionTest, AStartInAProcessThatStartedBeforeReportsNoError) {
  const size_t start = JournalSize();
  GetManager()->ChangeStatus(STATUS_AWAY);
  // Any error the start reported went before this, on the same connection.
  ASSERT_TRUE(AwaitJournal("alice changestatus status=away", start));
  for (const std::string& line : Journal()) EXPECT_NE(0u, line.rfind("alice error-messages", 0)) << line;
}

}  // namespace
