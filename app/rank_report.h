// The rank report's content, built from the worksheets' cells in memory: per
// worksheet and engine a table with one line per keyword column, holding the
// first rank per day over the report's period (thinned to slices of several
// days when there are many charts or a long period), the cell of the engine's
// latest row, its change against the engine's previous row with a value, and
// the best rank of the period; lines that moved most come first. A short list
// of the lines that moved most across all sheets, and the run's failures by
// reason, go on top.
//
// Pure: no I/O, no globals. Texts are UTF-8. Not thread-safe; one builder
// per report. A sheet whose first three columns are not "日期", "时间",
// "搜索引擎" or that has no keyword column is left out; rows without a date,
// without an engine name or dated after the run day take no part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/workbook/workbook_file.h"

namespace korvan {

// A point of a chart, and the best rank of a period: a rank (1 and up), or
// one of these.
constexpr std::int32_t kPointGap = 0;        // no answer in the slice
constexpr std::int32_t kPointNotFound = -1;  // only "?" in the slice

enum TRankChange : std::uint8_t {
  rcNone,  // nothing to compare (no latest value, or a text that is no rank)
  rcSame,  // the same rank, or "?" again
  rcUp,    // a better (smaller) rank: Places up
  rcDown,  // a worse rank: Places down
  rcNew,   // a rank after "?" or after no value at all
  rcLost,  // "?" after a rank
};

struct TReportLine {
  std::string Keyword;               // the keyword column's name
  int Limit = 0;                     // the keyword's result limit
  std::vector<std::int32_t> Points;  // per slice, oldest first; the last ends on the run day
  std::string Latest;                // the latest row's cell as text
  TRankChange Change = rcNone;
  int Places = 0;        // for rcUp and rcDown
  int Weight = 0;        // how far it moved ("?" counts as Limit + 1); orders the lines
  int Best = kPointGap;  // best rank of the period, or kPointNotFound / kPointGap
};

struct TReportEngine {
  std::string Name;
  std::string LatestDate;          // "yyyy/mm/dd" of its latest row
  std::vector<TReportLine> Lines;  // largest Weight first, then column order
};

struct TReportSheet {
  std::string Name;
  std::vector<TReportEngine> Engines;  // in the order of their first row
};

// One line of the run's failures: a reason and how many keywords failed so.
struct TReportFailure {
  std::string Reason;
  std::int32_t Count = 0;
};

// Where a line of the top list stands.
struct TReportMover {
  std::size_t Sheet = 0;
  std::size_t Engine = 0;
  std::size_t Line = 0;
};

struct TRankReport {
  double RunDate = 0;
  int Days = 0;          // the period, in days up to the run day
  int DaysPerPoint = 1;  // the slice of one chart point
  int Points = 0;        // the points of every chart
  std::vector<TReportSheet> Sheets;
  std::vector<TReportMover> Movers;  // up to kMaxMovers, largest Weight first
  std::vector<TReportFailure> Failures;
};

// What a result cell says to the report: a rank (the first of the cell's
// ranks), kPointNotFound for "?", kPointGap for an empty cell or any other
// text.
std::int32_t RankOfCell(const Cell& cell);

class TRankReportBuilder {
 public:
  static constexpr std::size_t kMaxMovers = 10;
  // Chart points of the whole page are kept near this number by widening the
  // slices; a chart keeps at least kMinPoints and at most kMaxPoints points.
  static constexpr std::size_t kPointBudget = 400000;
  static constexpr int kMinPoints = 15;
  static constexpr int kMaxPoints = 119;  // a pixel apart in the widest chart

  // `engine_limit` gives the result limit of a keyword column that names
  // none, by engine name (the engine's MaxCount).
  TRankReportBuilder(double run_date, int days,
                     std::function<int(const std::string&)> engine_limit);

  // Indexes the rows of one worksheet. REQUIRES: `cells` stays alive and
  // unchanged until Build().
  void AddSheet(std::string name, const SheetCells& cells);

  TRankReport Build(std::vector<TReportFailure> failures) const;

 private:
  struct DatedRow {
    std::uint32_t Row;  // in the sheet's cells
    std::int32_t Age;   // days before the run day
  };
  struct EngineRows {
    std::string Name;
    std::vector<DatedRow> Rows;  // in sheet order
    std::size_t Latest = 0;      // index in Rows of the latest row
  };
  struct KeywordColumn {
    std::string Name;
    std::uint32_t Column;
  };
  struct SheetIndex {
    std::string Name;
    const SheetCells* Cells;
    std::vector<KeywordColumn> Keywords;
    std::vector<EngineRows> Engines;
  };

  // The lines of one engine's table, in column order.
  std::vector<TReportLine> BuildLines(const SheetIndex& sheet, const EngineRows& engine,
                                      int days_per_point, int points) const;

  double run_day_;
  int days_;
  std::function<int(const std::string&)> engine_limit_;
  std::vector<SheetIndex> sheets_;
};

}  // namespace korvan
