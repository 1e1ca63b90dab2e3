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
      "free text\r\n"
      "http://exit.example/\r\n"
      "\r\n"
      "  1.3.0.0  \r\n"
      "caption zero\r\n"
      "caption one\r\n"
      "\t notice \t\r\n"
      "line seven is ignored\r\n"
      " [" +
      kBaidu +
      "] \r\n"
      "http://www.baidu.com/s?wd=[keyword]&pn=[0,0,10]\r\n"
      "<div[*]>|</div>|..|..|0\r\n"
      "20\r\n"
      "1\r\n"
      "fifth value line is ignored\r\n"
      "[Second]\r\n"
      "http://second/?q=[keyword]&p=[0,1,1]\r\n"
      "<li[*]>|</li>|..|..|1\r\n"
      "many\r\n"
      "256\r\n");
  EXPECT_EQ(ExitUrl, "http://exit.example/");
  EXPECT_EQ(LatestVersion, "1.3.0.0");
  EXPECT_EQ(MenuText0, "caption zero");
  EXPECT_EQ(MenuText1, "caption one");
  EXPECT_EQ(NoticeText, "notice");
  ASSERT_EQ(Engines.size(), 2u);
  EXPECT_EQ(Engines[0].Name, kBaidu);
  EXPECT_EQ(Engines[0].UrlTemplate, "http://www.baidu.com/s?wd=[keyword]&pn=[0,0,10]");
  EXPECT_EQ(Engines[0].ExtractSpec, "<div[*]>|</div>|..|..|0");
  EXPECT_EQ(Engines[0].PerPage, 20);
  EXPECT_EQ(Engines[0].UseXmlHttp, 1);
  EXPECT_EQ(Engines[1].Name, "Second");
  EXPECT_EQ(Engines[1].PerPage, 10);    // not a number
  EXPECT_EQ(Engines[1].UseXmlHttp, 0);  // low 8 bits of 256
  EXPECT_EQ(Engines[1].Timeout, 0);
  EXPECT_TRUE(Engines[1].Enabled.empty());
  EXPECT_FALSE(Engines[1].Keywords);
}

TEST_F(RunParamsTest, OnlyBracketedLinesWhoseFirstCloseIsLastOpenBlocks) {
  ParseRunParams("one\r\n[[" + kBaidu +
                 "]]\r\n[]\r\nurl\r\n[Late\r\n[a]b]\r\n[Same]\r\n[Same]\r\n");
  // "[[百度]]" counts as prelude line 2; "[Late" and "[a]b]" are values.
  EXPECT_EQ(ExitUrl, "[[" + kBaidu + "]]");
  ASSERT_EQ(Engines.size(), 3u);
  EXPECT_EQ(Engines[0].Name, "");
  EXPECT_EQ(Engines[0].UrlTemplate, "url");
  EXPECT_EQ(Engines[0].ExtractSpec, "[Late");
  EXPECT_EQ(Engines[0].PerPage, 10);
  EXPECT_EQ(Engines[1].Name, "Same");
  EXPECT_EQ(Engines[2].Name, "Same");
  EXPECT_EQ(Engines[2].UrlTemplate, "");
}

TEST_F(RunParamsTest, AHeaderEndsThePreludeAndShortBlocksKeepZeroFields) {
  ParseRunParams("one\r\nexit\r\n[E]\r\nurl\r\nspec\r\nvalue\r\n");
  EXPECT_EQ(ExitUrl, "exit");
  EXPECT_EQ(LatestVersion, "");
  EXPECT_EQ(NoticeText, "");
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].PerPage, 10);
  EXPECT_EQ(Engines[0].UseXmlHttp, 0);

  Engines.clear();
  ParseRunParams("[E]\r\nurl\r\n");
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].PerPage, 0);
  EXPECT_EQ(Engines[0].ExtractSpec, "");
}

TEST_F(RunParamsTest, LineFeedsAloneMakeOneLineAndNothingIsTaken) {
  ParseRunParams("one\nexit\n1.0.0.0\n[E]\nurl\nspec\n10\n0\n");
  EXPECT_TRUE(Engines.empty());
  EXPECT_EQ(ExitUrl, "");
  ParseRunParams("");
  EXPECT_TRUE(Engines.empty());
}

TEST_F(RunParamsTest, TakesAtMostSixtyFourBlocks) {
  std::string page;
  for (int i = 0; i < 100; ++i) {
    page += "[E" + std::to_string(i) + "]\r\nurl" + std::to_string(i) + "\r\n";
  }
  ParseRunParams(page);
  ASSERT_EQ(Engines.size(), static_cast<std::size_t>(kMaxEngineBlocks));
  EXPECT_EQ(Engines.back().Name, "E63");
  EXPECT_EQ(Engines.back().UrlTemplate, "url63");
  EXPECT_EQ(Engines.back().ExtractSpec, "");  // block 65 did not spill into it
}

TEST_F(RunParamsTest, HostilePagesNeitherCrashNorExhaust) {
  // A million lines: one block, all the rest ignored value lines.
  std::string lines = "[E]\r\n";
  lines.reserve(8'000'000);
  for (int i = 0; i < 1'000'000; ++i) lines += "x\r\n";
  ParseRunParams(lines);
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].UrlTemplate, "x");

  // 30 MB in one value line.
  Engines.clear();
  ParseRunParams("[E]\r\n" + std::string(30'000'000, 'u') + "\r\n");
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].UrlTemplate.size(), 30'000'000u);

  // Binary bytes.
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
