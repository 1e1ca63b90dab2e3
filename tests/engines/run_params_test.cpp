#include "engines/run_params.h"

#include <gtest/gtest.h>

#include <random>

#include "engines/engine.h"
#include "engines/run_globals.h"

namespace korvan {
namespace {

const std::string kBaidu = "\xB0\xD9\xB6\xC8";  // 百度 in GBK

class RunParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Engines.clear();
    for (std::string* text : {&ExitUrl, &LatestVersion, &MenuText0, &MenuText1, &NoticeText}) {
      text->clear();
    }
  }
  void TearDown() override { Engines.clear(); }
};

TEST_F(RunParamsTest, ReadsThePreludeTextsAndTheEngineBlocks) {
  ParseRunParams(
      "free text\r\nhttp://exit/\r\n\r\n  1.3.0.0  \r\nzero\r\none\r\n\t notice \r\n"
      "line seven\r\n [" +
      kBaidu +
      "] \r\nhttp://b/s?wd=[keyword]&pn=[0,0,10]\r\n"
      "<div[*]>|</div>|..|..|0\r\n20\r\n1\r\nignored\r\n"
      "[Second]\r\nurl\r\nspec\r\nmany\r\n256\r\n[[x]]\r\n[]\r\n[a]b]\r\n");
  EXPECT_EQ(ExitUrl, "http://exit/");
  EXPECT_EQ(LatestVersion, "1.3.0.0");
  EXPECT_EQ(MenuText0, "zero");
  EXPECT_EQ(MenuText1, "one");
  EXPECT_EQ(NoticeText, "notice");
  ASSERT_EQ(Engines.size(), 3u);
  EXPECT_EQ(Engines[0].Name, kBaidu);
  EXPECT_EQ(Engines[0].UrlTemplate, "http://b/s?wd=[keyword]&pn=[0,0,10]");
  EXPECT_EQ(Engines[0].ExtractSpec, "<div[*]>|</div>|..|..|0");
  EXPECT_EQ(Engines[0].PerPage, 20);
  EXPECT_EQ(Engines[0].UseXmlHttp, 1);
  EXPECT_EQ(Engines[1].PerPage, 10);    // not a number
  EXPECT_EQ(Engines[1].UseXmlHttp, 0);  // low 8 bits of 256
  // "[[x]]" is a value line of Second; "[]" opens an engine without a name,
  // whose first value is "[a]b]".
  EXPECT_EQ(Engines[2].Name, "");
  EXPECT_EQ(Engines[2].UrlTemplate, "[a]b]");
  EXPECT_EQ(Engines[2].PerPage, 0);
}

TEST_F(RunParamsTest, AnEarlyHeaderEndsThePreludeAndLineFeedsAloneAreOneLine) {
  ParseRunParams("one\r\n[[x]]\r\n[E]\r\n[E]\r\n");
  EXPECT_EQ(ExitUrl, "[[x]]");
  EXPECT_EQ(LatestVersion, "");
  EXPECT_EQ(Engines.size(), 2u);
  Engines.clear();
  ParseRunParams("one\nexit\n1.0.0.0\n[E]\nurl\n");
  EXPECT_TRUE(Engines.empty());
  EXPECT_EQ(ExitUrl, "[[x]]");
}

TEST_F(RunParamsTest, TakesAtMostSixtyFourBlocks) {
  std::string page;
  for (int i = 0; i < 100; ++i)
    page += "[E" + std::to_string(i) + "]\r\nu" + std::to_string(i) + "\r\n";
  ParseRunParams(page);
  ASSERT_EQ(Engines.size(), static_cast<std::size_t>(kMaxEngineBlocks));
  EXPECT_EQ(Engines.back().Name, "E63");
  EXPECT_EQ(Engines.back().UrlTemplate, "u63");
  EXPECT_EQ(Engines.back().ExtractSpec, "");  // block 65 did not spill into it
}

TEST_F(RunParamsTest, HostilePagesNeitherCrashNorExhaust) {
  std::string lines = "[E]\r\n";
  for (int i = 0; i < 1'000'000; ++i) lines += "x\r\n";
  ParseRunParams(lines);
  ASSERT_EQ(Engines.size(), 1u);
  Engines.clear();
  ParseRunParams("[E]\r\n" + std::string(30'000'000, 'u') + "\r\n");
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].UrlTemplate.size(), 30'000'000u);
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    Engines.clear();
    std::string bytes(65536, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    ParseRunParams(bytes);
    EXPECT_LE(Engines.size(), static_cast<std::size_t>(kMaxEngineBlocks));
  }
}

}  // namespace
}  // namespace korvan
