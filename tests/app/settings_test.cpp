#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engines/default_engines.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::TempDir;

// Engine names as the built-in table has them (GBK).
const std::string kBaidu = "\xB0\xD9\xB6\xC8";   // 百度
const std::string kGoogle = "\xB9\xC8\xB8\xE8";  // 谷歌

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Engines.clear();
    RunDate = 45000.25;
    book_ = dir_.Write("book.xls", "not really a workbook");
  }
  void TearDown() override { Engines.clear(); }

  // Writes `utf8_text` as a GBK settings file, with "表格文件路径" of 公共
  // pointing at the workbook, and loads it.
  bool Load(const std::string& utf8_text, const std::string& encoding = "gbk") {
    const std::string text = "[公共]\r\n表格文件路径=" + book_ + "\r\n" + utf8_text;
    const std::string bytes = encoding == "gbk" ? Utf8ToCp936(text) : text;
    return LoadSettingsFrom(dir_.Write("settings.ini", bytes), path_, sections_);
  }
  const TTheardParam& Engine(const std::string& name) {
    for (const auto& e : Engines) {
      if (e.Name == name) return e;
    }
    throw std::runtime_error("no engine " + name);
  }

  TempDir dir_;
  std::string book_;
  std::string path_;
  std::int32_t sections_ = 99;
};

TEST_F(SettingsTest, WithoutKeysEveryBuiltInEngineGetsTheFloors) {
  ASSERT_TRUE(Load(""));
  EXPECT_EQ(path_, Utf8ToCp936(book_));
  EXPECT_EQ(sections_, 0);
  ASSERT_EQ(Engines.size(), DefaultEngines.size());
  for (const auto& e : Engines) {
    EXPECT_EQ(e.Timeout, 1000);
    EXPECT_EQ(e.PauseTime, 0);
    EXPECT_EQ(e.MaxCount, 10);
    EXPECT_EQ(e.Enabled, "");
    EXPECT_TRUE(e.Done.load());
    EXPECT_EQ(e.RunDate, 45000.25);
    ASSERT_TRUE(e.Keywords && e.Results);
    EXPECT_TRUE(e.Keywords->Empty() && e.Results->Empty());
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
           "[360so]\r\n访问时限=0x7D0\r\n暂停时间=abc\r\n查询条数=ten\r\n"));
  EXPECT_EQ(sections_, 3);
  EXPECT_EQ(Engine(kBaidu).Timeout, 3000);
  EXPECT_EQ(Engine(kBaidu).PauseTime, 0);
  EXPECT_EQ(Engine(kBaidu).MaxCount, 50);
  EXPECT_EQ(Engine(kGoogle).Timeout, 1500);
  EXPECT_EQ(Engine(kGoogle).PauseTime, 2000);
  EXPECT_EQ(Engine(kGoogle).MaxCount, 20);
  EXPECT_EQ(Engine("360So").Timeout, 2000);  // section name matched without case
  EXPECT_EQ(Engine("360So").PauseTime, 2000);
  EXPECT_EQ(Engine("360So").MaxCount, 50);
}

TEST_F(SettingsTest, ThePauseFallsBackTo500OnlyForANegativeCommonValue) {
  ASSERT_TRUE(Load("暂停时间=-1\r\n查询条数=5\r\n[百度]\r\n查询条数=5\r\n"));
  EXPECT_EQ(Engine(kBaidu).PauseTime, 500);
  EXPECT_EQ(Engine(kBaidu).MaxCount, 10);
  EXPECT_EQ(Engine(kGoogle).PauseTime, 500);
}

TEST_F(SettingsTest, EnabledSitesMatchTrimmedAndWithoutCase) {
  ASSERT_TRUE(Load("[百度]\r\n启用=Site.COM , Other.org,,\r\n"));
  EXPECT_EQ(Engine(kBaidu).Enabled, "site.com , other.org,,");
  for (auto [host, expected] : {std::pair{"site.com", true},
                                {"other.org", true},
                                {"third.net", false},
                                {"site.co", false},
                                {"", false}}) {
    Engines[0].Host = host;
    Engines[1].Host = host;
    EXPECT_EQ(EngineEnabledFor(0), expected) << host;
    EXPECT_FALSE(EngineEnabledFor(1)) << host;  // no section of its own
  }
  EXPECT_FALSE(EngineEnabledFor(-1));
  EXPECT_FALSE(EngineEnabledFor(static_cast<int>(Engines.size())));
}

TEST_F(SettingsTest, GbkAndUtf8FilesGiveTheSameValues) {
  const std::string text =
      "访问时限=2500\r\n[百度]\r\n启用=例子.中国,Example.com\r\n查询条数=30\r\n";
  ASSERT_TRUE(Load(text, "gbk"));
  const std::string gbk_enabled = Engine(kBaidu).Enabled;
  const std::string gbk_path = path_;
  Engines.clear();
  ASSERT_TRUE(Load(text, "utf8"));
  EXPECT_EQ(Engine(kBaidu).Enabled, gbk_enabled);
  EXPECT_EQ(Engine(kBaidu).Enabled, Utf8ToCp936("例子.中国,example.com"));
  EXPECT_EQ(Engine(kBaidu).MaxCount, 30);
  EXPECT_EQ(Engine(kGoogle).Timeout, 2500);
  EXPECT_EQ(path_, gbk_path);
}

TEST_F(SettingsTest, EnginesFromTheParameterPageAreKeptAndSetUp) {
  Engines.emplace_back().Name = "Remote";
  Engines[0].Keywords = std::make_unique<TStringList>();
  Engines[0].Keywords->Add("stale");
  ASSERT_TRUE(Load("[remote]\r\n访问时限=4000\r\n"));
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].Timeout, 4000);
  EXPECT_TRUE(Engines[0].Keywords->Empty());
  EXPECT_TRUE(Engines[0].Results && Engines[0].Results->Empty());
}

TEST_F(SettingsTest, AMissingWorkbookReturnsFalseAndChangesNoEngine) {
  std::string path;
  std::int32_t sections = 99;
  EXPECT_FALSE(LoadSettingsFrom(dir_.Path("absent.ini"), path, sections));
  EXPECT_EQ(path, "");
  EXPECT_EQ(sections, -1);
  EXPECT_TRUE(Engines.empty());

  const std::string ini = dir_.Write(
      "s.ini", Utf8ToCp936("[公共]\r\n表格文件路径=" + dir_.Path("none.xls") + "\r\n[百度]\r\n"));
  EXPECT_FALSE(LoadSettingsFrom(ini, path, sections));
  EXPECT_EQ(sections, 1);
  EXPECT_TRUE(Engines.empty());

  // A folder is no workbook file.
  const std::string dir_ini = dir_.Write(
      "d.ini", "[\xB9\xAB\xB9\xB2]\r\n\xB1\xED\xB8\xF1\xCE\xC4\xBC\xFE\xC2\xB7\xBE\xB6=" +
                   dir_.Path("") + "\r\n");
  EXPECT_FALSE(LoadSettingsFrom(dir_ini, path, sections));
}

TEST_F(SettingsTest, WorkbookPathsMayBeChineseOrRelativeToTheCurrentFolder) {
  const std::string chinese = dir_.Write("关键字.xls", "x");
  const std::string ini =
      dir_.Write("c.ini", Utf8ToCp936("[公共]\r\n表格文件路径=" + chinese + "\r\n"));
  std::string path;
  std::int32_t sections = 0;
  EXPECT_TRUE(LoadSettingsFrom(ini, path, sections));
  EXPECT_EQ(path, Utf8ToCp936(chinese));

  // A bare file name is looked up in the current folder, not beside the file.
  const std::string bare =
      dir_.Write("bare.ini", Utf8ToCp936("[公共]\r\n表格文件路径=book.xls\r\n"));
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_FALSE(LoadSettingsFrom(bare, path, sections));
  ASSERT_EQ(chdir(dir_.Path("").c_str()), 0);
  EXPECT_TRUE(LoadSettingsFrom(bare, path, sections));
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);
}

TEST_F(SettingsTest, TheSettingsFileLiesBesideTheExecutable) {
  const std::string path = SettingsFilePath();
  EXPECT_TRUE(path.ends_with("/tests/app/配置.ini")) << path;
  EXPECT_EQ(path.front(), '/');
}

}  // namespace
}  // namespace korvan
