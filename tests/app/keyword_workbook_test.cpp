#include "app/keyword_workbook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/query_run.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "platform/console_output.h"
#include "platform/date_time.h"
#include "platform/workbook/cell_text.h"
#include "tests/support/connection_string.h"
#include "tests/support/fake_workbook.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::FakeSheet;
using testing::TextSheet;
using Rows = std::vector<std::vector<std::string>>;  // UTF-8 cell texts
using Strings = std::vector<std::string>;

std::string G(const std::string& utf8) { return Utf8ToCp936(utf8); }

const double kRunDate = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);
const Strings kHeader = {"日期", "时间", "搜索引擎", "手机壳", "蓝牙耳机-1-50"};

Strings ListOf(const TStringList& list) {
  Strings items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(Cp936ToUtf8(list[i]));
  return items;
}

// The rows without their trailing empty cells, as a sheet stores them.
Rows Trimmed(Rows rows) {
  for (auto& row : rows) {
    while (!row.empty() && row.back().empty()) row.pop_back();
  }
  return rows;
}

// One worksheet "www.shop.com" in a workbook file of the tests' own format,
// opened through a connection and a table as the run control does.
class KeywordWorkbookTest : public ::testing::Test {
 protected:
  void SetUp() override { FailCount = 0; }

  void OpenSheet(const FakeSheet& sheet) {
    table_.reset();
    connection_.reset();
    path_ = dir_.Path("关键字.xls");
    testing::WriteFake(path_, {sheet});
    connection_ = std::make_unique<WorkbookConnection>(testing::OpenFakeWorkbook);
    connection_->Open(testing::ConnectionStringFor(path_));
    table_ = std::make_unique<WorkbookTable>(*connection_);
    table_->SetTableName(connection_->TableSchema().at(0).TableName);
    table_->Open();
  }
  void OpenSheet(const Rows& rows) { OpenSheet(TextSheet("www.shop.com", rows)); }

  // Closes (saving) and reads the sheet back from the file, as texts.
  Rows SavedRows() {
    table_->Close();
    connection_->Close();
    Rows rows;
    const auto sheets = testing::ParseFake(testing::ReadBytes(path_), path_);
    for (const auto& row : sheets.at(0).cells.rows) {
      rows.emplace_back();
      for (const auto& cell : row) rows.back().push_back(CellText(cell));
    }
    return Trimmed(rows);
  }

  Strings Prepare(const std::string& engine, bool skip_filled, bool* result = nullptr) {
    TStringList keywords;
    keywords.Add("left over");
    const bool found = PrepareKeywords(G(engine), *table_, skip_filled, keywords, kRunDate);
    if (result) *result = found;
    return ListOf(keywords);
  }

  // Engine 0 as a finished worker leaves it.
  static void FinishEngine(const std::string& name, const Strings& keywords,
                           const Strings& results) {
    Engines.clear();
    Engines.emplace_back();
    TTheardParam& engine = Engines[0];
    engine.Name = G(name);
    engine.RunDate = kRunDate;
    engine.Keywords = std::make_unique<TStringList>();
    engine.Results = std::make_unique<TStringList>();
    for (const auto& k : keywords) engine.Keywords->Add(G(k));
    for (const auto& r : results) engine.Results->Add(G(r));
    engine.Done = true;
  }

  testing::TempDir dir_;
  std::string path_;
  std::unique_ptr<WorkbookConnection> connection_;
  std::unique_ptr<WorkbookTable> table_;
};

TEST(SheetHostTest, RestoresDotsAndSlashesAndDropsTheLastByte) {
  EXPECT_EQ(SheetHost("www#shop#com$"), "www.shop.com");
  EXPECT_EQ(SheetHost("shop#com)list)a$"), "shop.com/list/a");
  EXPECT_EQ(SheetHost(" \twww#a#com \x01$"), "www.a.com");
  EXPECT_EQ(SheetHost(G("店铺#cn") + "$"), G("店铺.cn"));
  EXPECT_EQ(SheetHost("$"), "");
  EXPECT_EQ(SheetHost(""), "");
}

TEST_F(KeywordWorkbookTest, SheetNamesAreTheListedTablesInWorkbookOrder) {
  path_ = dir_.Path("book.xls");
  testing::WriteFake(
      path_, {TextSheet("www.b.com", {}), TextSheet("a.cn)shop", {}), TextSheet("淘宝店", {})});
  WorkbookConnection connection(testing::OpenFakeWorkbook);
  connection.Open("Data Source=" + path_);
  TStringList names;
  names.Add("stale");
  ReadSheetNames(connection, names);
  EXPECT_EQ(ListOf(names), (Strings{"www#b#com$", "a#cn)shop$", "淘宝店$"}));
}

TEST_F(KeywordWorkbookTest, FixedColumnsInAnyOrderThenKeywords) {
  bool found = false;
  OpenSheet(Rows{{"时间", "搜索引擎", "日期", "手机壳", "耳机"}});
  EXPECT_EQ(Prepare("百度", true, &found), (Strings{"手机壳", "耳机"}));
  EXPECT_TRUE(found);
  EXPECT_EQ(SavedRows(), (Rows{{"时间", "搜索引擎", "日期", "手机壳", "耳机"},
                               {"09:05:07", "百度", "2026/12/08"}}));

  // A keyword among the first three columns: refused, and no row is added.
  const Rows refused = {{"日期", "时间", "手机壳", "搜索引擎", "耳机"}};
  OpenSheet(refused);
  EXPECT_EQ(Prepare("百度", true, &found), Strings{});
  EXPECT_FALSE(found);
  EXPECT_EQ(SavedRows(), refused);

  // Only the fixed columns: no keywords and no new row.
  const Rows fixed_only = {{"日期", "时间", "搜索引擎"}, {"2026/12/01", "08:00:00", "百度"}};
  OpenSheet(fixed_only);
  EXPECT_EQ(Prepare("百度", true, &found), Strings{});
  EXPECT_FALSE(found);
  EXPECT_EQ(SavedRows(), fixed_only);
}

TEST_F(KeywordWorkbookTest, DayRowFoundSkipsFilledCellsAndPassesLaterRows) {
  const Rows rows = {kHeader,
                     {"2026/12/07", "08:00:00", "百度", "4", "5"},
                     {"2026/12/08", "08:00:00", "百度", "?", ""},
                     {"2026/12/08", "08:00:00", "Google", "", ""},
                     {"2026/12/09", "08:00:00", "百度", "1", "1"}};
  OpenSheet(rows);
  ASSERT_TRUE(FindDayRow(G("百度"), *table_, kRunDate));
  EXPECT_EQ(table_->GetText(G("手机壳")), "?");

  // "?" counts as filled; the empty cell is queried again.
  EXPECT_EQ(Prepare("百度", true), Strings{"蓝牙耳机-1-50"});
  EXPECT_EQ(Prepare("百度", false), (Strings{"手机壳", "蓝牙耳机-1-50"}));
  EXPECT_EQ(SavedRows(), Trimmed(rows));  // the row existed: nothing appended
}

TEST_F(KeywordWorkbookTest, MissingDayRowIsAppendedPerEngine) {
  const Rows rows = {kHeader,
                     {"2026/12/08", "08:00:00", "百度", "3", ""},
                     {"2026/12/08", "08:00:00", "Google", "", ""}};
  // The engine name is compared exactly, letter case included; a day's row of
  // another engine is never shared.
  OpenSheet(rows);
  EXPECT_EQ(Prepare("google", true), (Strings{"手机壳", "蓝牙耳机-1-50"}));
  EXPECT_EQ(Prepare("360搜索", true), (Strings{"手机壳", "蓝牙耳机-1-50"}));
  EXPECT_EQ(Prepare("360搜索", true), (Strings{"手机壳", "蓝牙耳机-1-50"}));  // found now
  Rows expected = rows;
  expected.push_back({"2026/12/08", "09:05:07", "google"});
  expected.push_back({"2026/12/08", "09:05:07", "360搜索"});
  EXPECT_EQ(SavedRows(), Trimmed(expected));
}

TEST_F(KeywordWorkbookTest, SearchStopsAtAnOlderOrUndatedRow) {
  // An older row below the day's row hides it.
  OpenSheet(Rows{kHeader,
                 {"2026/12/08", "08:00:00", "百度", "3", "4"},
                 {"2026/11/30", "08:00:00", "百度", "5", "6"}});
  EXPECT_FALSE(FindDayRow(G("百度"), *table_, kRunDate));
  EXPECT_EQ(Prepare("百度", true).size(), 2u);
  EXPECT_EQ(SavedRows().back(), (Strings{"2026/12/08", "09:05:07", "百度"}));

  // The last row undated (or not a date): a new row at every run.
  for (const std::string bad_date : {"", "08.12.2026", "2026/13/08"}) {
    OpenSheet(Rows{kHeader, {"2026/12/08", "08:00:00", "百度", "3", "4"}, {bad_date, "", "", "x"}});
    EXPECT_FALSE(FindDayRow(G("百度"), *table_, kRunDate)) << bad_date;
  }
  // An empty sheet below the header.
  OpenSheet(Rows{kHeader});
  EXPECT_FALSE(FindDayRow(G("百度"), *table_, kRunDate));
}

TEST_F(KeywordWorkbookTest, DayTypedAsADateCellFindsItsRow) {
  FakeSheet sheet = TextSheet("www.shop.com", {kHeader});
  sheet.cells.rows.push_back({testing::NumberCell(46364, true), testing::TextCell("10:00:00"),
                              testing::TextCell("百度"), testing::TextCell("7")});
  OpenSheet(sheet);
  EXPECT_TRUE(FindDayRow(G("百度"), *table_, kRunDate));
  EXPECT_EQ(Prepare("百度", true), Strings{"蓝牙耳机-1-50"});
  // One-digit month and day, as typed by hand, are the same day.
  OpenSheet(Rows{kHeader, {"2026/12/8", "", "百度"}});
  EXPECT_TRUE(FindDayRow(G("百度"), *table_, kRunDate));
}

TEST_F(KeywordWorkbookTest, ResultsAreWrittenIntoTheDayRowAndFailuresCounted) {
  OpenSheet(Rows{kHeader,
                 {"2026/12/08", "06:00:00", "百度", "", "9"},
                 {"2026/12/08", "06:00:00", "Google", "", ""}});
  FinishEngine("百度", {"手机壳", "蓝牙耳机-1-50"}, {"3,17", ""});
  WriteResults(*table_, 0);
  EXPECT_EQ(FailCount, 1);
  EXPECT_EQ(Engines[0].Keywords->Count(), 0);
  EXPECT_EQ(Engines[0].Results->Count(), 0);

  // Every result empty: nothing written, the time kept, all counted.
  FinishEngine("Google", {"手机壳", "蓝牙耳机-1-50"}, {"", ""});
  WriteResults(*table_, 0);
  EXPECT_EQ(FailCount, 3);
  EXPECT_EQ(Engines[0].Keywords->Count(), 0);

  EXPECT_EQ(SavedRows(), (Rows{kHeader,
                               {"2026/12/08", "09:05:07", "百度", "3,17", "9"},
                               {"2026/12/08", "06:00:00", "Google"}}));
}

TEST_F(KeywordWorkbookTest, ResultsAreNotWrittenUnlessComplete) {
  const Rows rows = {kHeader, {"2026/12/08", "06:00:00", "百度", "", ""}};
  OpenSheet(rows);
  FinishEngine("百度", {"手机壳", "蓝牙耳机-1-50"}, {"3"});  // one result short
  WriteResults(*table_, 0);
  FinishEngine("百度", {"手机壳"}, {"3"});
  Engines[0].Done = false;  // the worker still runs
  WriteResults(*table_, 0);
  EXPECT_EQ(Engines[0].Keywords->Count(), 1);
  EXPECT_EQ(Engines[0].Results->Count(), 1);
  FinishEngine("Google", {"手机壳"}, {"3"});  // no day's row
  WriteResults(*table_, 0);
  EXPECT_EQ(Engines[0].Results->Count(), 1);
  EXPECT_EQ(FailCount, 0);
  EXPECT_EQ(SavedRows(), Trimmed(rows));
}

TEST_F(KeywordWorkbookTest, ColumnWithoutHeaderIsNoKeywordAndNeverWritten) {
  OpenSheet(Rows{{"日期", "时间", "搜索引擎", "手机壳", "", "耳机"},
                 {"2026/12/08", "06:00:00", "百度", "", "note", ""}});
  EXPECT_EQ(table_->FieldCount(), 5);
  EXPECT_EQ(Prepare("百度", true), (Strings{"手机壳", "耳机"}));
  FinishEngine("百度", {"手机壳", "耳机"}, {"2", "?"});
  WriteResults(*table_, 0);
  EXPECT_EQ(SavedRows(), (Rows{{"日期", "时间", "搜索引擎", "手机壳", "", "耳机"},
                               {"2026/12/08", "09:05:07", "百度", "2", "note", "?"}}));
}

TEST_F(KeywordWorkbookTest, EngineNameACellCannotHoldIsRefusedAndItsKeywordsCountedAsFailed) {
  EXPECT_TRUE(WorkbookCanHoldText(G("百度 Bing-2")));
  EXPECT_FALSE(WorkbookCanHoldText("Bad\xFFName"));  // no code page 936 character
  EXPECT_FALSE(WorkbookCanHoldText("Bad\x01Name"));

  const Rows rows = {kHeader, {"2026/12/07", "06:00:00", "百度", "1", "2"}};
  OpenSheet(rows);
  table_->Close();
  FinishEngine("ignored", {}, {});
  Engines[0].Name = "Bad\xFFName";
  Engines[0].Enabled = "www.shop.com";
  RecordingConsole console;
  ConsoleSink* previous = SetConsoleSink(&console);
  TRunTable run_table(*connection_);
  RunSheet(run_table, connection_->TableSchema().at(0).TableName, true);
  SetConsoleSink(previous);
  run_table.Table.Close();

  EXPECT_EQ(FailCount, 2);
  ASSERT_EQ(console.Lines().size(), 2u);
  EXPECT_EQ(Cp936ToUtf8(console.Lines()[0]),
            "搜索引擎名称 【Bad?Name】 无法写入工作簿，【www.shop.com】 中供它搜索的 【2】 "
            "个关键字计为查询失败...");
  EXPECT_EQ(SavedRows(), Trimmed(rows));  // no row that would never be found again
}

}  // namespace
}  // namespace korvan
