// The stand-in's files read and written alone: the accounts file and the state file.
#include <gtest/gtest.h>

#include "standin/stateFile.h"
#include "tests/support/testSupport.h"

using namespace standin;

TEST(StandinFiles, AccountsFileLinesAndTheirFaults) {
  struct Case {
    const char* text;
    const char* error;  // empty: loads
  } cases[] = {
      {"# comment\n\nalice secret Alice Liddell\r\nbob pw\n", ""},
      {"alice\n", ":1: no password"},
      {"ok ok\nbad+login pw Nick\n", ":2: invalid login \"bad+login\""},
      {"carol pw 12345678901234567890123456789012345678901\n", ":1: invalid nickname"},
  };
  for (const Case& c : cases) {
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFile(dir.file("accounts"), c.text));
    Directory directory;
    std::string error;
    EXPECT_EQ(!*c.error, LoadAccountsFile(dir.file("accounts"), directory, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.error)) << error;
    if (!*c.error) {
      EXPECT_EQ("Alice Liddell", directory.Find("alice")->nickname);
      EXPECT_EQ("bob", directory.Find("bob")->nickname);
    }
  }
}

namespace {

Account Make(const std::string& login, const std::string& password, const std::string& nickname) {
  Account account;
  account.login = login;
  account.password = password;
  account.nickname = nickname;
  return account;
}

}  // namespace

TEST(StandinFiles, StateKeepsWhatUsersChangedButTheAccountsFileKeepsPasswords) {
  Directory before;
  Account alice = Make("alice", "pw1", "Al\xC3\xAF" "ce");
  alice.mood = "with spaces and \n a line";
  alice.birthDay = 3;
  alice.avatar = Picture{1, std::string("\0\x89PNG", 5)};
  alice.contacts["bob"] = "Best friends";
  alice.blocked.insert("carol");
  std::string error;
  for (const Account& a : {alice, Make("bob", "pw2", "Bob"), Make("carol", "pw3", "Carol")}) {
    ASSERT_TRUE(before.Add(a, &error));
  }
  Directory after;
  ASSERT_TRUE(after.Add(Make("alice", "new password", "Alice"), &error));
  ASSERT_TRUE(ReadState(StateText(before), after, &error)) << error;
  const Account& read = *after.Find("alice");
  EXPECT_EQ("new password", read.password);
  EXPECT_EQ("pw2", after.Find("bob")->password);
  EXPECT_EQ(alice.nickname, read.nickname);
  EXPECT_EQ(alice.mood, read.mood);
  EXPECT_EQ(alice.avatar.bytes, read.avatar.bytes);
  EXPECT_EQ(alice.contacts, read.contacts);
  EXPECT_EQ(alice.blocked, read.blocked);

  for (const char* broken : {"", "something else\n", "parlavox-standin-state 1\naccount alice 7a\n",
                             "parlavox-standin-state 1\nfriend alice bob\n"}) {
    Directory directory;
    EXPECT_FALSE(ReadState(broken, directory, &error)) << broken;
  }
}
