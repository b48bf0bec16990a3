// A newcomer without the browser extension: the project's own stand-in for it opens the maker's
// site, where the demonstration users wait; the site's panel shows them and its room is entered
// from there, as `make run` tells the newcomer to do.
#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

class Demo : public Journey {
 protected:
  Demo() { m_serverDemo = true; }
};

TEST_F(Demo, TheVisitCommandLeadsANewcomerToTheDemoPeopleInTheMakersRoom) {
  Person& alice = Add("alice");
  const long logIn = StartAndLogInByTyping(alice);
  ASSERT_GE(logIn, 0);
  const std::string site = PARLAVOX_WEBSITE_ADDRESS;

  // Ada, Ben and Chloe are on the page before her.
  EXPECT_EQ("Parlavox entered the site; others on the page: 3\n", Visit(alice, site));
  ASSERT_GE(AwaitJournal("alice openurl site=\"" + site + "\"", logIn), 0);
  for (const char* login : {"ada", "ben", "chloe"}) {
    EXPECT_TRUE(Until([&] { return Traced(alice, "SitePanel::AddContact", std::string(": ") + login + " -> (") == 1; },
                      std::string(login) + " on alice's sites panel"));
  }
  // One click on the site's name in the panel enters their room.
  ASSERT_TRUE(EnterFromThePanel(alice, site));

  // Closing the page leaves the site; the command says where no program listens.
  Visit(alice, "CLOSE:" + site);
  EXPECT_GE(AwaitJournal("alice closeurl site=\"" + site + "\"", logIn), 0);
  ASSERT_TRUE(QuitCleanly(alice));
  std::string printed;
  EXPECT_EQ(1, programtest::RunToEnd({PARLAVOX_VISIT_SCRIPT, site}, DataDir(), &printed));
  EXPECT_NE(std::string::npos, printed.find("no Parlavox listens")) << printed;
}

}  // namespace
}  // namespace journeys
