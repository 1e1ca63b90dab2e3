#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

TEST(PrivateProfileTest, ReadsWithTheWindowsProfileRules) {
  const auto ini = PrivateProfile::Parse(
      "key=before any section\r\n[Common]\r\n  Path  =  C:\\book.xls  \r\n"
      "path=second key of the name\r\n; comment=not a key\r\nNote = a ; no inline comment\r\n"
      "Quoted=\"  kept  \"\r\nMixed=\"x'\r\nno equals sign\r\nLong=" +
      std::string(5000, 'v') +
      "\r\n[COMMON]\r\nOther=second section of the name\r\n"
      "[ Engine ]\nKey=lf only\n[\xB0\x41]\nk=upper\n[\xB0\x61]\nk=lower\n");
  EXPECT_EQ(ini.ReadString("common", "PATH"), "C:\\book.xls");
  EXPECT_EQ(ini.ReadString("Common", "Note"), "a ; no inline comment");
  EXPECT_EQ(ini.ReadString("Common", "Quoted"), "  kept  ");
  EXPECT_EQ(ini.ReadString("Common", "Mixed"), "\"x'");
  EXPECT_EQ(ini.ReadString("Common", "Long"), std::string(2047, 'v'));
  EXPECT_FALSE(ini.ReadString("Common", "; comment"));
  EXPECT_FALSE(ini.ReadString("Common", "no equals sign"));
  EXPECT_FALSE(ini.ReadString("Common", "Other"));
  EXPECT_FALSE(ini.ReadString("", "key"));
  EXPECT_EQ(ini.ReadString("engine", "key"), "lf only");
  // B0 41 and B0 61 are two characters; the trail byte "A" is not folded.
  EXPECT_EQ(ini.ReadString("\xB0\x41", "K"), "upper");
  EXPECT_EQ(ini.ReadString("\xB0\x61", "K"), "lower");
  EXPECT_EQ(ini.SectionNames(),
            (std::vector<std::string>{"Common", "COMMON", "Engine", "\xB0\x41", "\xB0\x61"}));
}

TEST(PrivateProfileTest, IntegersAreDecimalOrHexAndAnythingElseIsAbsent) {
  EXPECT_EQ(ParseProfileInt("-1"), -1);
  EXPECT_EQ(ParseProfileInt("+7"), 7);
  EXPECT_EQ(ParseProfileInt("0x7D0"), 2000);
  EXPECT_EQ(ParseProfileInt("0XFFFFFFFF"), -1);
  EXPECT_EQ(ParseProfileInt("2147483647"), 2147483647);
  for (const char* bad :
       {"", "abc", "12abc", "0x", "0x1G", "0x123456789", "2147483648", "--1", "1 2", "1.5"}) {
    EXPECT_FALSE(ParseProfileInt(bad)) << bad;
  }
}

TEST(PrivateProfileTest, HostileFilesNeverFail) {
  std::mt19937 random(42);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(4096, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    const auto ini = PrivateProfile::Parse(ProfileTextToCp936("[s]\n" + bytes));
    EXPECT_EQ(ini.SectionNames().front(), "s");
  }
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "[section" + std::to_string(i) + "]\n";
  // 16384 bytes hold "section0" to "section1456", each with its terminator,
  // and the end mark.
  EXPECT_EQ(PrivateProfile::Parse(many).SectionNames().size(), 1457u);
  EXPECT_TRUE(PrivateProfile::Load("/nonexistent/none.ini").SectionNames().empty());
}

TEST(PrivateProfileTest, Utf8AndGbkFilesReadTheSame) {
  testing::TempDir dir;
  // [公共] 路径=表格.xls
  const std::string gbk = "[\xB9\xAB\xB9\xB2]\r\n\xC2\xB7\xBE\xB6=\xB1\xED\xB8\xF1.xls\r\n";
  const std::string utf8 =
      "[\xE5\x85\xAC\xE5\x85\xB1]\r\n\xE8\xB7\xAF\xE5\xBE\x84=\xE8\xA1\xA8\xE6\xA0\xBC.xls\r\n";
  for (const auto& bytes : {gbk, utf8, "\xEF\xBB\xBF" + utf8}) {
    const auto ini = PrivateProfile::Load(dir.Write("s.ini", bytes));
    EXPECT_EQ(ini.ReadString("\xB9\xAB\xB9\xB2", "\xC2\xB7\xBE\xB6"), "\xB1\xED\xB8\xF1.xls");
  }
}

}  // namespace
}  // namespace korvan
