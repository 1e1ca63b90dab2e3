// The rank report: built from a workbook that openpyxl wrote with a known
// history, rendered, and read back with Python's html.parser; written beside
// the workbook only when turned on; the charts' slices and path.
#include "app/rank_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/keyword_workbook.h"
#include "app/rank_sparkline.h"
#include "app/report_html.h"
#include "app/run_report.h"
#include "app/settings.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/date_text.h"
#include "platform/date_time.h"
#include "tests/support/connection_string.h"
#include "tests/support/python_tool.h"
#include "tests/support/temp_dir.h"

#ifndef KORVAN_REPORT_SCRIPT
#error "KORVAN_REPORT_SCRIPT names the Python helper"
#endif

namespace korvan {
namespace {

using testing::RunPythonTool;

const double kRunDate = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines the reader printed that start with `prefix`; a chart cell
// reduced to its number of pieces of line.
std::vector<std::string> LinesOf(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> found;
  for (std::string line : lines) {
    if (line.rfind(prefix, 0) != 0) continue;
    const std::size_t svg = line.find("svg:");
    if (svg != std::string::npos) {
      const std::size_t end = line.find('\t', svg);
      const std::string d = line.substr(svg + 4, end - svg - 4);
      line.replace(svg, end - svg, "pieces " + std::to_string(std::count(d.begin(), d.end(), 'M')));
    }
    found.push_back(line);
  }
  return found;
}

class RankReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Engines.clear();
    RunDate = kRunDate;
    ReportSettings = TReportSettings();
    book_ = dir_.Path("关键字.xlsx");
    RunPythonTool(KORVAN_REPORT_SCRIPT, "make-history", book_);
    connection_.Open(testing::ConnectionStringFor(book_));
  }
  void TearDown() override { connection_.Close(); }

  testing::TempDir dir_;
  std::string book_;
  WorkbookConnection connection_;
};

TEST_F(RankReportTest, PageShowsValuesChangesAndOrderAndEscapesWorkbookTexts) {
  TFailTally reasons;  // one failure was counted under no reason
  reasons.Add(frVerification, 2);
  const std::string page =
      RenderReportHtml(BuildRunReport(connection_, kRunDate, 90, FailuresOfRun(3, reasons)));
  const auto read =
      Lines(RunPythonTool(KORVAN_REPORT_SCRIPT, "read-report", dir_.Write("page.html", page)));

  // Largest move first: new after "?" (50 + 1 - 12), new without any value
  // (10 + 1 - 1), lost (10 + 1 - 3), up 5, down 4, the same. The best rank
  // is of the last 90 days only (the 2025 row held 1 for "耳机").
  EXPECT_EQ(LinesOf(read, "www.shop.com\t百度\t"),
            (std::vector<std::string>{
                "www.shop.com\t百度\t蓝牙耳机-1-50\tpieces 2\t12\t新进\t12",
                "www.shop.com\t百度\ta<b&\"c'\tpieces 1\t1\t新进\t1",
                "www.shop.com\t百度\t充电器\tpieces 2\t?\t跌出\t3",
                "www.shop.com\t百度\t数据线-0-20\tpieces 2\t2\t▲5\t2",
                "www.shop.com\t百度\t手机壳\tpieces 2\t8,20\t▼4\t4",
                "www.shop.com\t百度\t耳机\tpieces 2\t2\t持平\t2",
            }));
  EXPECT_EQ(LinesOf(read, "movers\t"), (std::vector<std::string>{
                                           "movers\twww.shop.com\t百度\t蓝牙耳机-1-50\t12\t新进",
                                           "movers\twww.shop.com\tGoogle\t蓝牙耳机-1-50\t?\t跌出",
                                           "movers\twww.shop.com\t百度\ta<b&\"c'\t1\t新进",
                                           "movers\twww.shop.com\t百度\t充电器\t?\t跌出",
                                           "movers\twww.shop.com\t百度\t数据线-0-20\t2\t▲5",
                                           "movers\twww.shop.com\tGoogle\t手机壳\t1\t▲5",
                                           "movers\twww.shop.com\t百度\t手机壳\t8,20\t▼4",
                                       }));
  EXPECT_EQ(LinesOf(read, "failure\t"),
            (std::vector<std::string>{
                "failure\t搜索引擎要求验证，请过一段时间再查询，或加大暂停时间：2 处",
                "failure\t其他原因：1 处"}));

  // Markup in sheet, engine, keyword and cell texts reads back as text.
  EXPECT_EQ(LinesOf(read, "<i>&\"x'.com\t"),
            (std::vector<std::string>{"<i>&\"x'.com\t<b>引擎</b>\t手机壳\tpieces 0\t"
                                      "<script>x</script>\t\t"}));
  EXPECT_EQ(LinesOf(read, "script"), std::vector<std::string>{});
  EXPECT_EQ(LinesOf(read, "external"), std::vector<std::string>{});
  EXPECT_NE(page.find("&lt;i&gt;&amp;&quot;x&#39;.com"), std::string::npos);
  EXPECT_NE(page.find("a&lt;b&amp;&quot;c&#39;"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
}

TEST_F(RankReportTest, WrittenBesideTheWorkbookOnlyWhenTurnedOn) {
  EXPECT_EQ(ReportPathFor("/w/关键字.xls"), "/w/关键字.html");
  EXPECT_EQ(ReportPathFor("/w/book"), "/w/book.html");
  EXPECT_EQ(ReportPathFor("/w/book.html"), "/w/book.html.html");  // never the workbook

  const std::string report = dir_.Path("关键字.html");
  ReportSettings.Enabled = false;
  EXPECT_EQ(WriteRunReport(connection_, {}), "");
  EXPECT_FALSE(std::filesystem::exists(report));

  ReportSettings.Enabled = true;
  EXPECT_EQ(Cp936ToUtf8(WriteRunReport(connection_, {})), "排名报告已写入 【关键字.html】...");
  ASSERT_TRUE(std::filesystem::exists(report));
  EXPECT_GT(std::filesystem::file_size(report), 1000u);
  // Nothing but the workbook, its lock's files and the report beside it.
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path(""))) {
    EXPECT_EQ(entry.path().filename().string().find(".saving-"), std::string::npos);
  }
}

// A sheet of one engine with a row for each of `days` days up to the run day,
// its one keyword holding rank(age).
template <typename Rank>
SheetCells DailySheet(int days, Rank rank) {
  SheetCells cells;
  const auto text = [](std::string t) {
    Cell cell;
    cell.kind = Cell::Kind::Text;
    cell.text = std::move(t);
    return cell;
  };
  cells.rows.push_back({text("日期"), text("时间"), text("搜索引擎"), text("词-1-50")});
  for (int age = days - 1; age >= 0; --age) {
    cells.rows.push_back(
        {text(FormatDateYmd(kRunDate - age)), text("08:00:00"), text("百度"), text(rank(age))});
  }
  return cells;
}

TEST(RankReportSlicesTest, LongPeriodsAreThinnedToTheBestRankOfEachSlice) {
  // 3660 days: slices of 31 days, the newest ending on the run day; the
  // oldest slice holds the 2 days left over.
  const SheetCells cells = DailySheet(3660, [](int age) {
    return age % 31 == 7 ? std::to_string(age / 31 + 1) : age % 2 ? "?" : "";
  });
  TRankReportBuilder builder(kRunDate, 3660, [](const std::string&) { return 10; });
  builder.AddSheet("s", cells);
  const TRankReport report = builder.Build({});
  EXPECT_EQ(report.DaysPerPoint, 31);
  const auto& points = report.Sheets.at(0).Engines.at(0).Lines.at(0).Points;
  ASSERT_EQ(points.size(), 119u);
  EXPECT_EQ(points.back(), 1);
  EXPECT_EQ(points[117], 2);
  EXPECT_EQ(points[1], 118);
  EXPECT_EQ(points[0], kPointNotFound);  // ages 3658 and 3659 only: "" and "?"

  // A short period with few charts keeps a point per day; the chart is cut
  // at a gap, rank 1 is at the top, "?" lies on the band, a lone point is a dot.
  const SheetCells week = DailySheet(7, [](int age) {
    const char* ranks[] = {"1", "?", "", "50", "", "1", "1"};
    return std::string(ranks[age]);
  });
  TRankReportBuilder short_builder(kRunDate, 7, [](const std::string&) { return 10; });
  short_builder.AddSheet("s", week);
  const TReportLine line = short_builder.Build({}).Sheets.at(0).Engines.at(0).Lines.at(0);
  EXPECT_EQ(line.Points, (std::vector<std::int32_t>{1, 1, kPointGap, 50, kPointGap, -1, 1}));
  EXPECT_EQ(SparklinePath(line.Points, line.Limit), "M1 2l19 0M58 21l0 0M96 28l19-26");
}

}  // namespace
}  // namespace korvan
