#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

const std::string kBaidu = "\xB0\xD9\xB6\xC8";   // 百度 in GBK
const std::string kGoogle = "\xB9\xC8\xB8\xE8";  // 谷歌

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Engines.clear();
    RunDate = 45000.25;
    book_ = dir_.Write("book.xls", "x");
  }
  void TearDown() override { Engines.clear(); }

  // Loads `utf8_text`, written as GBK or as UTF-8, after a "公共" section
  // whose "表格文件路径" is `book`.
  bool Load(const std::string& utf8_text, bool gbk = true, std::string book = "") {
    const std::string text =
        "[公共]\r\n表格文件路径=" + (book.empty() ? book_ : book) + "\r\n" + utf8_text;
    return LoadSettingsFrom(dir_.Write("s.ini", gbk ? Utf8ToCp936(text) : text), path_, sections_);
  }
  const TTheardParam& Engine(const std::string& name) {
    for (const auto& e : Engines) {
      if (e.Name == name) return e;
    }
    throw std::runtime_error("no engine " + name);
  }

  testing::TempDir dir_;
  std::string book_;
  std::string path_;
  std::int32_t sections_ = 99;
};

TEST_F(SettingsTest, WithoutKeysTheBuiltInEnginesGetTheFloors) {
  ASSERT_TRUE(Load(""));
  EXPECT_EQ(sections_, 0);
  ASSERT_EQ(Engines.size(), 4u);
  for (const auto& e : Engines) {
    EXPECT_EQ(e.Timeout, 1000);
    EXPECT_EQ(e.PauseTime, 0);
    EXPECT_EQ(e.MaxCount, 10);
    EXPECT_EQ(e.Enabled, "");
    EXPECT_TRUE(e.Done.load());
    EXPECT_EQ(e.RunDate, 45000.25);
    ASSERT_TRUE(e.Keywords && e.Results);
  }
  EXPECT_EQ(Engines[0].Name, kBaidu);
  EXPECT_EQ(Engines[1].UseXmlHttp, 1);  // the Google row fetches without limits
  EXPECT_EQ(Engines[3].PerPage, 40);
}

TEST_F(SettingsTest, EngineValuesOverrideOnlyAboveTheirThresholds) {
  ASSERT_TRUE(
      Load("访问时限=3000\r\n暂停时间=2000\r\n查询条数=50\r\n"
           "[百度]\r\n访问时限=800\r\n暂停时间=0\r\n查询条数=5\r\n"
           "[谷歌]\r\n访问时限=1500\r\n暂停时间=-3\r\n查询条数=20\r\n"
           "[360so]\r\n访问时限=0x7D0\r\n暂停时间=abc\r\n"));
  EXPECT_EQ(sections_, 3);
  EXPECT_EQ(Engine(kBaidu).Timeout, 3000);
  EXPECT_EQ(Engine(kBaidu).PauseTime, 0);
  EXPECT_EQ(Engine(kBaidu).MaxCount, 50);
  EXPECT_EQ(Engine(kGoogle).Timeout, 1500);
  EXPECT_EQ(Engine(kGoogle).PauseTime, 2000);
  EXPECT_EQ(Engine(kGoogle).MaxCount, 20);
  EXPECT_EQ(Engine("360So").Timeout, 2000);
  EXPECT_EQ(Engine("360So").PauseTime, 2000);

  Engines.clear();
  ASSERT_TRUE(Load("暂停时间=-1\r\n[百度]\r\n查询条数=5\r\n"));
  EXPECT_EQ(Engine(kBaidu).PauseTime, 500);
  EXPECT_EQ(Engine(kBaidu).MaxCount, 10);
}

TEST_F(SettingsTest, EnabledSitesMatchTrimmedAndWithoutCase) {
  ASSERT_TRUE(Load("[百度]\r\n启用=Site.COM , Other.org,,\r\n"));
  for (auto [host, expected] : {std::pair{"site.com", true},
                                {"other.org", true},
                                {"third.net", false},
                                {"site.co", false},
                                {"", false}}) {
    Engines[0].Host = Engines[1].Host = host;
    EXPECT_EQ(EngineEnabledFor(0), expected) << host;
    EXPECT_FALSE(EngineEnabledFor(1)) << host;  // no section of its own
  }
  EXPECT_FALSE(EngineEnabledFor(-1));
  EXPECT_FALSE(EngineEnabledFor(4));
}

TEST_F(SettingsTest, GbkAndUtf8FilesGiveTheSameValues) {
  const std::string text = "访问时限=2500\r\n[百度]\r\n启用=例子.中国,Example.com\r\n";
  const std::string chinese_book = dir_.Write("关键字.xls", "x");
  ASSERT_TRUE(Load(text, true, chinese_book));
  const std::string gbk_path = path_;
  Engines.clear();
  ASSERT_TRUE(Load(text, false, chinese_book));
  EXPECT_EQ(path_, gbk_path);
  EXPECT_EQ(path_, Utf8ToCp936(chinese_book));
  EXPECT_EQ(Engine(kBaidu).Enabled, Utf8ToCp936("例子.中国,example.com"));
  EXPECT_EQ(Engine(kGoogle).Timeout, 2500);
}

TEST_F(SettingsTest, RankReportIsOffOnlyForZeroAndItsDaysStayWithin7And3660) {
  const auto report_of = [this](const std::string& keys) {
    ReportSettings = {false, 1};
    EXPECT_TRUE(Load(keys));
    return std::make_pair(ReportSettings.Enabled, ReportSettings.Days);
  };
  EXPECT_EQ(report_of(""), std::make_pair(true, 90));
  EXPECT_EQ(report_of("排名报告=0\r\n报告天数=5\r\n"), std::make_pair(false, 7));
  EXPECT_EQ(report_of("排名报告=关\r\n报告天数=99999\r\n"), std::make_pair(true, 3660));
  EXPECT_EQ(report_of("排名报告=1\r\n报告天数=三十\r\n"), std::make_pair(true, 90));
  EXPECT_EQ(report_of("报告天数=30\r\n[百度]\r\n排名报告=0\r\n"), std::make_pair(true, 30));
}

TEST_F(SettingsTest, EnginesFromTheParameterPageAreKeptAndTheirListsEmptied) {
  Engines.emplace_back().Name = "Remote";
  Engines[0].Keywords = std::make_unique<TStringList>();
  Engines[0].Keywords->Add("stale");
  ASSERT_TRUE(Load("[remote]\r\n访问时限=4000\r\n"));
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].Timeout, 4000);
  EXPECT_TRUE(Engines[0].Keywords->Empty());
}

TEST_F(SettingsTest, AMissingWorkbookReturnsFalseAndChangesNoEngine) {
  EXPECT_FALSE(LoadSettingsFrom(dir_.Path("absent.ini"), path_, sections_));
  EXPECT_EQ(path_, "");
  EXPECT_EQ(sections_, -1);
  EXPECT_FALSE(Load("[百度]\r\n", true, dir_.Path("none.xls")));
  EXPECT_EQ(sections_, 1);
  EXPECT_FALSE(Load("", true, dir_.Path("")));  // a folder is no workbook
  EXPECT_TRUE(Engines.empty());

  // A bare file name is looked up in the current folder, not beside the file.
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_FALSE(Load("", true, "book.xls"));
  ASSERT_EQ(chdir(dir_.Path("").c_str()), 0);
  EXPECT_TRUE(Load("", true, "book.xls"));
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);
  EXPECT_TRUE(SettingsFilePath().ends_with("/tests/app/配置.ini")) << SettingsFilePath();
}

}  // namespace
}  // namespace korvan
