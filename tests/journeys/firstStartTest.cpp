// First start in an empty home: the log-in panel, the account typed there, the settings written
// for the user alone when the program quits, and the next start logging in by itself.
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

TEST_F(Journey, FirstStartLogsInByTypingAndTheNextByItself) {
  Person& alice = Add("alice");
  // Nothing saved: the log-in panel, where the account is typed.
  const long first = StartAndLogInByTyping(alice);
  ASSERT_GE(first, 0);
  const std::string connect = "- connect login=\"alice\" password=*** ";

  // Quit through the question: the program logs out and ends well.
  ASSERT_TRUE(QuitCleanly(alice));
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", first), 0);
  // The settings are whole, the user's alone, hold the account; nothing half-written is left.
  ExpectSettingsWhole(alice);

  // The next start logs in by itself, with the saved password; SIGTERM ends it well too.
  const size_t before = Journal().size();
  alice.Start();
  EXPECT_GE(AwaitJournal([&](const std::string& line) { return StartsWith(line, connect); }, before), 0);
  ASSERT_GE(AwaitJournal([&](const std::string& line) { return StartsWith(line, "alice "); }, before), 0)
      << "alice never got in";
  kill(alice.Pid(), SIGTERM);
  EXPECT_EQ(0, alice.WaitExit()) << alice.Errors();
  EXPECT_GE(AwaitJournal("alice disconnect recoflag=false", before), 0);
  ExpectSettingsWhole(alice);
  // No password in the clear reached the journal.
  for (const std::string& line : Journal()) EXPECT_EQ(std::string::npos, line.find("password=\"")) << line;
}

}  // namespace
}  // namespace journeys
