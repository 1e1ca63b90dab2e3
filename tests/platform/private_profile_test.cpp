#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::TempDir;

TEST(PrivateProfileTest, NamesMatchWithoutCaseAndTheFirstOneWins) {
  const auto ini = PrivateProfile::Parse(
      "key=before any section\r\n"
      "[Common]\r\n"
      "  Path  =  C:\\data\\book.xls  \r\n"
      "path=second key of the same name\r\n"
      "; comment=not a key\r\n"
      "Note = value ; not a comment\r\n"
      "Quoted=\"  kept blanks  \"\r\n"
      "Single='x'\r\n"
      "Mixed=\"x'\r\n"
      "no equals sign\r\n"
      "=no name\r\n"
      "Empty=\r\n"
      "[COMMON]\r\n"
      "Other=from the second section\r\n"
      "[ Engine ]\n"
      "Key=lf only\n");
  EXPECT_EQ(ini.ReadString("common", "PATH"), "C:\\data\\book.xls");
  EXPECT_EQ(ini.ReadString("Common", "Note"), "value ; not a comment");
  EXPECT_EQ(ini.ReadString("Common", "Quoted"), "  kept blanks  ");
  EXPECT_EQ(ini.ReadString("Common", "Single"), "x");
  EXPECT_EQ(ini.ReadString("Common", "Mixed"), "\"x'");
  EXPECT_EQ(ini.ReadString("Common", "Empty"), "");
  EXPECT_FALSE(ini.ReadString("Common", "; comment").has_value());
  EXPECT_FALSE(ini.ReadString("Common", "no equals sign").has_value());
  EXPECT_FALSE(ini.ReadString("Common", "Other").has_value());
  EXPECT_FALSE(ini.ReadString("", "key").has_value());
  EXPECT_EQ(ini.ReadString("engine", "key"), "lf only");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Common", "COMMON", "Engine"}));
}

TEST(PrivateProfileTest, CaseFoldingLeavesDoubleByteCharactersApart) {
  // B0 41 (癆) and B0 61 (癮) are two different characters: the trail byte "A" must
  // not fold to "a".
  const auto ini = PrivateProfile::Parse("[\xB0\x41]\r\nk=upper\r\n[\xB0\x61]\r\nk=lower\r\n");
  EXPECT_EQ(ini.ReadString("\xB0\x41", "K"), "upper");
  EXPECT_EQ(ini.ReadString("\xB0\x61", "k"), "lower");
}

TEST(PrivateProfileTest, IntegersAreDecimalOrHexAndAnythingElseIsAbsent) {
  EXPECT_EQ(ParseProfileInt("1500"), 1500);
  EXPECT_EQ(ParseProfileInt("-1"), -1);
  EXPECT_EQ(ParseProfileInt("+7"), 7);
  EXPECT_EQ(ParseProfileInt("0x7D0"), 2000);
  EXPECT_EQ(ParseProfileInt("0X7d0"), 2000);
  EXPECT_EQ(ParseProfileInt("0xFFFFFFFF"), -1);
  EXPECT_EQ(ParseProfileInt("2147483647"), 2147483647);
  for (const char* bad : {"", "abc", "12abc", "0x", "0x1G", "0x123456789", "2147483648", "--1",
                          "+-1", "1 2", "1.5", "-"}) {
    EXPECT_FALSE(ParseProfileInt(bad).has_value()) << bad;
  }
  const auto ini = PrivateProfile::Parse("[s]\nn= 0x10 \nw=ten\n");
  EXPECT_EQ(ini.ReadInt("s", "n"), 16);
  EXPECT_FALSE(ini.ReadInt("s", "w").has_value());
  EXPECT_FALSE(ini.ReadInt("s", "missing").has_value());
}

TEST(PrivateProfileTest, ValuesAreCutAt2047BytesAndLongLinesAreSafe) {
  const std::string long_value(5'000'000, 'v');
  const auto ini = PrivateProfile::Parse("[s]\nlong=" + long_value + "\n" + long_value +
                                         "\nafter=ok\nnul=ab" + std::string(1, '\0') + "cd\n");
  EXPECT_EQ(ini.ReadString("s", "long"), std::string(2047, 'v'));
  EXPECT_EQ(ini.ReadString("s", "after"), "ok");
  EXPECT_EQ(ini.ReadString("s", "nul"), "ab");
}

TEST(PrivateProfileTest, SectionListStopsWhereTheBufferIsFull) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "[section" + std::to_string(i) + "]\n";
  const auto names = PrivateProfile::Parse(text).SectionNames();
  std::size_t used = 0;
  for (const auto& n : names) used += n.size() + 1;
  // Every listed name fits with one byte left for the end mark; the next
  // one would not have.
  const std::string next = "section" + std::to_string(names.size());
  EXPECT_LE(used, PrivateProfile::kSectionListBytes - 1);
  EXPECT_GT(used + next.size() + 1, PrivateProfile::kSectionListBytes - 1);
  EXPECT_LT(names.size(), 5000u);
  EXPECT_EQ(names.front(), "section0");
}

TEST(PrivateProfileTest, AnyBytesNoSectionsAndMissingFilesNeverFail) {
  std::mt19937 random(42);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(4096, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    if (round % 2) bytes = "[s]\n" + bytes;
    const auto ini = PrivateProfile::Parse(ProfileTextToCp936(bytes));
    (void)ini.ReadString("s", "k");
    for (const auto& name : ini.SectionNames()) {
      EXPECT_EQ(name.find_first_of("\r\n"), std::string::npos);
    }
  }
  EXPECT_TRUE(PrivateProfile::Parse("a=1\nb=2\n").SectionNames().empty());
  EXPECT_FALSE(PrivateProfile::Parse("a=1\n").ReadString("", "a").has_value());
  const auto missing = PrivateProfile::Load("/nonexistent/dir/none.ini");
  EXPECT_TRUE(missing.SectionNames().empty());
  EXPECT_FALSE(missing.ReadString("s", "k").has_value());
}

TEST(PrivateProfileTest, Utf8AndGbkFilesReadTheSame) {
  TempDir dir;
  // [公共] 路径=表格.xls in both encodings, and UTF-8 with a byte-order mark.
  const std::string gbk = "[\xB9\xAB\xB9\xB2]\r\n\xC2\xB7\xBE\xB6=\xB1\xED\xB8\xF1.xls\r\n";
  const std::string utf8 =
      "[\xE5\x85\xAC\xE5\x85\xB1]\r\n\xE8\xB7\xAF\xE5\xBE\x84=\xE8\xA1\xA8\xE6\xA0\xBC.xls\r\n";
  dir.Write("gbk.ini", gbk);
  dir.Write("utf8.ini", utf8);
  dir.Write("bom.ini", "\xEF\xBB\xBF" + utf8);
  for (const char* name : {"gbk.ini", "utf8.ini", "bom.ini"}) {
    const auto ini = PrivateProfile::Load(dir.Path(name));
    EXPECT_EQ(ini.ReadString("\xB9\xAB\xB9\xB2", "\xC2\xB7\xBE\xB6"), "\xB1\xED\xB8\xF1.xls")
        << name;
    EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"\xB9\xAB\xB9\xB2"}) << name;
  }
}

}  // namespace
}  // namespace korvan
