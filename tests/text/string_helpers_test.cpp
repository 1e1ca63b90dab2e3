#include "text/string_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

TEST(StringHelpersTest, ReplaceAllNeverRescansTheReplacement) {
  EXPECT_EQ(ReplaceAll("[keyword] and [keyword]", "[keyword]", "k"), "k and k");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("ab", "abc", "x"), "ab");
  EXPECT_EQ(ReplaceAll("a</b>b</em>", "</b>", ""), "ab</em>");
}

TEST(StringHelpersTest, ReplaceAllSkipsOccurrencesOnASecondByte) {
  // 0xB0 0xA1 is one character; its second byte is not an occurrence of 0xA1.
  EXPECT_EQ(ReplaceAll("\xB0\xA1\xA1\xA2", "\xA1\xA2", "X"), "\xB0\xA1X");
  EXPECT_EQ(ReplaceAll("\xB0\xA1", "\xA1", "X"), "\xB0\xA1");
  // "\\" (0x5C) is the second byte of the character 0x81 0x5C.
  EXPECT_EQ(ReplaceAll("\x81\\a\\", "\\", "/"), "\x81\\a/");
  // After a taken occurrence the rest starts on a boundary again.
  EXPECT_EQ(ReplaceAll("x\xA1\xA1\xA1", "x\xA1", ""), "\xA1\xA1");
  EXPECT_EQ(ReplaceAll("x\xA1\xA1\xA1", "\xA1\xA1", "Y"), "xY\xA1");
  EXPECT_EQ(ReplaceAll("\xA1\xA1\xA1\xA1", "\xA1\xA1", "Y"), "YY");
}

TEST(StringHelpersTest, UrlEncodeKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(UrlEncode("a "), "a%20");
  EXPECT_EQ(UrlEncode("\xFF"), "%FF");
  EXPECT_EQ(UrlEncode("Az09-._"), "Az09-._");
  EXPECT_EQ(UrlEncode("+~*/&=[]"), "%2B%7E%2A%2F%26%3D%5B%5D");
  EXPECT_EQ(UrlEncode(std::string("\0\n", 2)), "%00%0A");
  EXPECT_EQ(UrlEncode("\xE4\xB8\xAD\xE6\x96\x87"), "%E4%B8%AD%E6%96%87");
}

TEST(StringHelpersTest, DeleteCharsRemovesTheSet) {
  TByteSet controls;
  for (int b = 0; b <= 32; ++b) controls.set(b);
  controls.set(127);
  EXPECT_EQ(DeleteChars(std::string(" a\tb\0c\x7F\xFF\r\n", 11), controls), "abc\xFF");
  EXPECT_EQ(DeleteChars("abc", TByteSet()), "abc");
}

TEST(StringHelpersTest, IsIntStrAcceptsExactly32BitDecimals) {
  for (const char* yes : {"0", "+5", "-0", "   42", "2147483647", "-2147483648", "1999999999",
                          "0999999999", "-2000000000", "123456789"}) {
    EXPECT_TRUE(IsIntStr(yes)) << yes;
  }
  for (const char* no : {"2147483648", "-2147483649", "3000000000", "9999999999", "00000000001",
                         "42 ", "-", "+", "", "   ", "\t1", "1a", "--1", "+-1", "4 2"}) {
    EXPECT_FALSE(IsIntStr(no)) << no;
  }
}

TEST(StringHelpersTest, LowerAsciiTouchesOnlyAtoZ) {
  EXPECT_EQ(LowerAscii("AbZ@[\xC4\xE3"), "abz@[\xC4\xE3");
}

}  // namespace
}  // namespace korvan
