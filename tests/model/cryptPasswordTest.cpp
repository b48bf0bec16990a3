#include <gtest/gtest.h>

#include <random>
#include <string>

#include "model/cryptPassword.h"
#include "tests/support/testSupport.h"

using testsupport::Hex;

TEST(CryptPassword, Rc4MatchesPublishedVectors) {
  EXPECT_EQ("bbf316e8d940af0ad3", Hex(Rc4Transform("Key", "Plaintext")));
  EXPECT_EQ("1021bf0420", Hex(Rc4Transform("Wiki", "pedia")));
  EXPECT_EQ("45a01f645fc35b383552544b9bf5", Hex(Rc4Transform("Secret", "Attack at dawn")));
}

// The key is fixed forever: a change here makes every saved password unreadable.
TEST(CryptPassword, GoldenCipherTexts) {
  EXPECT_EQ("783f4a1653b0", Hex(CryptPassword("secret")));
  EXPECT_EQ("7b3b5b0857b27f36c3095cd7da", Hex(CryptPassword("parlavox-2008")));
  EXPECT_EQ("66355d4452a1303e8f481f82c263c3", Hex(CryptPassword("mot de passe \xc3\xa9")));
  EXPECT_EQ("", CryptPassword(""));
}

TEST(CryptPassword, IsItsOwnInverseAndStartsAfreshEachCall) {
  std::mt19937 rng(42);
  for (int n = 0; n < 200; ++n) {
    std::string text(rng() % 64, '\0');
    for (char& c : text) c = static_cast<char>(rng() & 0xff);
    std::string once = CryptPassword(text);
    ASSERT_EQ(text.size(), once.size());
    EXPECT_EQ(text, CryptPassword(once));
  }
  std::string withNul("a\0b\0", 4);
  EXPECT_EQ(withNul, CryptPassword(CryptPassword(withNul)));
  // Same beginning, same enciphered beginning: every value starts from the keystream's start.
  std::string a = CryptPassword("password1"), b = CryptPassword("password2");
  EXPECT_EQ(a.substr(0, 8), b.substr(0, 8));
  EXPECT_NE(a[8], b[8]);
}
