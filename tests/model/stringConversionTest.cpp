#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "model/stringConversion.h"

TEST(StringConversion, Utf8RoundTripsAndInvalidInput) {
  EXPECT_TRUE(std2wx("").empty());
  wxString e = std2wx("\xc3\xa9");  // é
  ASSERT_EQ(1u, e.length());
  EXPECT_EQ(static_cast<wxUniChar>(0xe9), e[0]);

  const std::string samples[] = {"plain", "caf\xc3\xa9", "\xe2\x82\xac 10", "\xf0\x9f\x98\x80 smile",
                                 "\xe6\x97\xa5\xe6\x9c\xac"};
  for (const auto& s : samples) EXPECT_EQ(s, wx2std(std2wx(s))) << s;
  EXPECT_EQ(1u, std2wx("\xf0\x9f\x98\x80").length());

  // Reading stops at the first NUL.
  EXPECT_EQ("ab", wx2std(std2wx(std::string("ab\0cd", 5))));
  // Broken UTF-8 (a lone continuation byte, a cut sequence, an overlong form) gives nothing
  // rather than garbage or a crash.
  EXPECT_TRUE(std2wx("\x80").empty());
  EXPECT_TRUE(std2wx("ab\xc3").empty());
  EXPECT_TRUE(std2wx("\xc0\xaf").empty());
  EXPECT_TRUE(wx2std(wxString()).empty());
}

TEST(StringConversion, Numbers) {
  EXPECT_EQ("-5", IntToString(-5));
  EXPECT_EQ("0", IntToString(0));
  EXPECT_EQ("-2147483648", IntToString(INT_MIN));
  EXPECT_EQ("4294967295", ULongToString(4294967295UL));
  EXPECT_EQ("18446744073709551615", ULongToString(ULONG_MAX));

  EXPECT_EQ(42, StringToInt("  42abc"));
  EXPECT_EQ(-17, StringToInt("-17"));
  EXPECT_EQ(8, StringToInt("+8"));
  EXPECT_EQ(2147483647, StringToInt("2147483647"));
  EXPECT_EQ(0, StringToInt("abc"));
  EXPECT_EQ(0, StringToInt(""));
  EXPECT_EQ(0, StringToInt("-"));
  EXPECT_EQ(0, StringToInt("99999999999999999999"));
  EXPECT_EQ(0, StringToInt("2147483648"));
}

TEST(StringConversion, CompareNoCaseOrder) {
  EXPECT_EQ(1, CompareNoCase("Zebra", "apple"));
  EXPECT_EQ(-1, CompareNoCase("apple", "Zebra"));
  EXPECT_EQ(0, CompareNoCase("", ""));
  EXPECT_EQ(-1, CompareNoCase("", "a"));
  EXPECT_EQ(1, CompareNoCase("a", ""));
  EXPECT_EQ(0, CompareNoCase("HeLLo", "hello"));
  EXPECT_EQ(-1, CompareNoCase("abc", "ABCD"));
  EXPECT_EQ(1, CompareNoCase("abcd", "ABC"));
  // Multi-byte characters count as negative bytes: before every ASCII character, not folded.
  EXPECT_EQ(-1, CompareNoCase("\xc3\xa9", "A"));
  EXPECT_EQ(-1, CompareNoCase("\xc3\xa9", "\x01"));
  EXPECT_EQ(1, CompareNoCase("z", "\xc3\x89"));
  EXPECT_NE(0, CompareNoCase("\xc3\xa9", "\xc3\x89"));  // é and É differ: only ASCII folds
  EXPECT_EQ(-1, CompareNoCase("\xc3\x89", "\xc3\xa9"));
  // Letters fold to upper case, so '_' (0x5f) sorts after every letter.
  EXPECT_EQ(1, CompareNoCase("_", "z"));
  EXPECT_EQ(-1, CompareNoCase("[", "_"));
  // Every byte value is accepted, with the same answer whatever the locale.
  for (int c = 0; c < 256; ++c) {
    std::string s(1, static_cast<char>(c));
    EXPECT_EQ(0, CompareNoCase(s, s));
  }
  EXPECT_EQ("abc\xc3\x89z", AsciiLower("ABC\xc3\x89Z"));
}
