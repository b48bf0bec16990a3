// The browser extension names the pages the user is on: the program enters each site's room as
// the server records it, answers the extension, and leaves when the last tab on the page closes;
// a request a web page makes the browser send is refused and reaches nobody.
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

TEST_F(Journey, TheExtensionNamesPagesAndTheProgramEntersAndLeavesTheirRooms) {
  Person& alice = Add("alice");
  const long logIn = StartAndLogInByTyping(alice);
  ASSERT_GE(logIn, 0);
  const std::string page = "http://www.example.org/news/today.html";
  // Nobody else is on the page yet.
  EXPECT_EQ("0", Browse(alice, page));
  EXPECT_GE(AwaitJournal("alice openurl site=\"" + page + "\"", logIn), 0);
  // A second tab on the same page: answered at once, nothing more reaches the server.
  EXPECT_EQ("0", Browse(alice, page));
  // A page's script aiming at the listener through the browser: refused, said why.
  const std::string other = "http://www.example.net/";
  const std::string refused = Browse(alice, other, {"Sec-Fetch-Site: cross-site", "Sec-Fetch-Mode: no-cors"});
  EXPECT_EQ(0u, refused.find("Refused: this address serves the browser extension only")) << refused;
  // One tab closed: still on the page; the other closed: the room is left.
  Browse(alice, "CLOSE:" + page);
  const std::string third = "http://www.example.com/";
  EXPECT_EQ("0", Browse(alice, third));
  const long opened = AwaitJournal("alice openurl site=\"" + third + "\"", logIn);
  ASSERT_GE(opened, 0);
  Browse(alice, "CLOSE:" + page);
  EXPECT_GE(AwaitJournal("alice closeurl site=\"" + page + "\"", opened), 0);
  // What came before the third page, in order: one entry to the first, no close, nothing of the
  // refused request.
  const Lines journal = Journal();
  Lines alices;
  for (long i = logIn; i <= opened; ++i) {
    const std::string& line = journal[i];
    if (line.find("openurl") != std::string::npos || line.find("closeurl") != std::string::npos) alices.push_back(line);
  }
  EXPECT_EQ((Lines{"alice openurl site=\"" + page + "\"", "alice openurl site=\"" + third + "\""}), alices);

  ASSERT_TRUE(QuitCleanly(alice));
  for (const std::string& line : Journal()) EXPECT_EQ(std::string::npos, line.find(other)) << line;
}

}  // namespace
}  // namespace journeys
