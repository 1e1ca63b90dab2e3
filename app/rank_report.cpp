#include "app/rank_report.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "app/keyword_workbook.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "platform/date_text.h"
#include "platform/workbook/cell_text.h"
#include "query/query_thread.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

const Cell kEmptyCell;

const Cell& CellAt(const SheetCells& cells, std::size_t row, std::size_t col) {
  if (row >= cells.rows.size() || col >= cells.rows[row].size()) return kEmptyCell;
  return cells.rows[row][col];
}

// The better of two points: a rank beats "?", "?" beats a gap.
std::int32_t BetterPoint(std::int32_t a, std::int32_t b) {
  if (a > 0 && b > 0) return std::min(a, b);
  if (a > 0 || b > 0) return std::max(a, b);
  return std::min(a, b);
}

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The change from the previous value to the latest, and how far it moved
// with "?" counting as the rank below the limit.
void SetChange(TReportLine& line, std::int32_t previous, std::int32_t latest) {
  const int not_found = std::max(line.Limit, 1) + 1;
  const auto weight_of = [not_found](std::int32_t point) { return point > 0 ? point : not_found; };
  if (latest == kPointGap) return;
  if (latest == kPointNotFound) {
    if (previous > 0) {
      line.Change = rcLost;
      line.Weight = std::max(weight_of(latest) - previous, 1);
    } else if (previous == kPointNotFound) {
      line.Change = rcSame;
    }
    return;
  }
  if (previous <= 0) {  // after "?" or after no value at all
    line.Change = rcNew;
    line.Weight = std::max(not_found - latest, 1);
    return;
  }
  line.Places = std::abs(previous - latest);
  line.Weight = line.Places;
  line.Change = latest < previous ? rcUp : latest > previous ? rcDown : rcSame;
}

bool MovedMore(const TReportLine& a, const TReportLine& b) { return a.Weight > b.Weight; }

}  // namespace

std::int32_t RankOfCell(const Cell& cell) {
  switch (cell.kind) {
    case Cell::Kind::Number:
      if (cell.is_date || cell.number < 1 || cell.number > 1e9 ||
          cell.number != std::floor(cell.number)) {
        return kPointGap;
      }
      return static_cast<std::int32_t>(cell.number);
    case Cell::Kind::Text: {
      const std::string_view text = TrimBlanks(cell.text);
      if (text == "?") return kPointNotFound;
      const std::string_view first = text.substr(0, text.find(','));
      if (!IsDigits(first) || first.size() > 9) return kPointGap;
      std::int32_t rank = 0;
      for (char digit : first) rank = rank * 10 + (digit - '0');
      return rank >= 1 ? rank : kPointGap;
    }
    default:
      return kPointGap;
  }
}

TRankReportBuilder::TRankReportBuilder(double run_date, int days,
                                       std::function<int(const std::string&)> engine_limit)
    : run_day_(DateOnly(run_date)),
      days_(std::max(days, 1)),
      engine_limit_(std::move(engine_limit)) {}

void TRankReportBuilder::AddSheet(std::string name, const SheetCells& cells) {
  if (cells.rows.empty()) return;
  // The fields as the workbook's tables see them: header cells that are not
  // empty, in column order.
  std::vector<std::string> field_names;
  std::vector<KeywordColumn> fields;
  const auto& header = cells.rows[0];
  for (std::size_t col = 0; col < header.size(); ++col) {
    std::string text = CellText(header[col]);
    if (text.empty()) continue;
    field_names.push_back(Utf8ToCp936(text));
    fields.push_back({std::move(text), static_cast<std::uint32_t>(col)});
  }
  if (fields.size() <= 3 || !FixedColumnsLead(field_names)) return;
  std::uint32_t date_col = 0;
  std::uint32_t engine_col = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (fields[i].Name == "日期") date_col = fields[i].Column;
    if (fields[i].Name == "搜索引擎") engine_col = fields[i].Column;
  }

  SheetIndex sheet{std::move(name), &cells, {fields.begin() + 3, fields.end()}, {}};
  for (std::size_t row = 1; row < cells.rows.size(); ++row) {
    const auto day = ParseDateYmd(CellText(CellAt(cells, row, date_col)));
    if (!day || *day > run_day_) continue;
    std::string engine = CellText(CellAt(cells, row, engine_col));
    if (engine.empty()) continue;
    auto found = std::find_if(sheet.Engines.begin(), sheet.Engines.end(),
                              [&engine](const EngineRows& e) { return e.Name == engine; });
    if (found == sheet.Engines.end()) {
      sheet.Engines.push_back({std::move(engine), {}, 0});
      found = sheet.Engines.end() - 1;
    }
    const auto age = static_cast<std::int32_t>(std::lround(run_day_ - *day));
    // The latest row: the youngest, and of rows of the same day the lowest.
    if (found->Rows.empty() || age <= found->Rows[found->Latest].Age) {
      found->Latest = found->Rows.size();
    }
    found->Rows.push_back({static_cast<std::uint32_t>(row), age});
  }
  if (!sheet.Engines.empty()) sheets_.push_back(std::move(sheet));
}

std::vector<TReportLine> TRankReportBuilder::BuildLines(const SheetIndex& sheet,
                                                        const EngineRows& engine,
                                                        int days_per_point, int points) const {
  const SheetCells& cells = *sheet.Cells;
  std::vector<TReportLine> lines(sheet.Keywords.size());
  TTheardParam limits;
  limits.MaxCount = engine_limit_(engine.Name);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    TReportLine& line = lines[k];
    line.Keyword = sheet.Keywords[k].Name;
    std::string search_text;
    std::uint16_t limit = 0;
    bool stop_at_first = false;
    TSeQryThread::ParseKeywordLine(limits, line.Keyword, search_text, limit, stop_at_first);
    line.Limit = limit;
    line.Points.assign(static_cast<std::size_t>(points), kPointGap);
  }

  // Row by row, as the cells lie in memory.
  for (const DatedRow& row : engine.Rows) {
    if (row.Age >= days_) continue;
    const std::size_t slice = static_cast<std::size_t>(points - 1 - row.Age / days_per_point);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const std::int32_t rank = RankOfCell(CellAt(cells, row.Row, sheet.Keywords[k].Column));
      std::int32_t& point = lines[k].Points[slice];
      point = BetterPoint(point, rank);
      lines[k].Best = BetterPoint(lines[k].Best, rank);
    }
  }

  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::uint32_t column = sheet.Keywords[k].Column;
    const Cell& latest = CellAt(cells, engine.Rows[engine.Latest].Row, column);
    lines[k].Latest = CellText(latest);
    if (CellIsEmpty(latest)) continue;
    std::int32_t previous = kPointGap;
    bool comparable = true;
    for (std::size_t i = engine.Latest; i-- > 0;) {
      const Cell& cell = CellAt(cells, engine.Rows[i].Row, column);
      if (!CellIsEmpty(cell)) {
        previous = RankOfCell(cell);
        comparable = previous != kPointGap;  // a text that is no rank is not
        break;
      }
    }
    if (comparable) SetChange(lines[k], previous, RankOfCell(latest));
  }
  return lines;
}

TRankReport TRankReportBuilder::Build(std::vector<TReportFailure> failures) const {
  TRankReport report;
  report.RunDate = run_day_;
  report.Days = days_;
  report.Failures = std::move(failures);

  std::size_t charts = 0;
  for (const SheetIndex& sheet : sheets_) charts += sheet.Keywords.size() * sheet.Engines.size();
  const auto wanted = static_cast<int>(std::clamp<std::size_t>(
      kPointBudget / std::max<std::size_t>(charts, 1), kMinPoints, kMaxPoints));
  report.DaysPerPoint = (days_ + std::min(wanted, days_) - 1) / std::min(wanted, days_);
  report.Points = (days_ + report.DaysPerPoint - 1) / report.DaysPerPoint;

  for (const SheetIndex& sheet : sheets_) {
    TReportSheet& out_sheet = report.Sheets.emplace_back();
    out_sheet.Name = sheet.Name;
    for (const EngineRows& engine : sheet.Engines) {
      TReportEngine& out_engine = out_sheet.Engines.emplace_back();
      out_engine.Name = engine.Name;
      out_engine.LatestDate = FormatDateYmd(run_day_ - engine.Rows[engine.Latest].Age);
      out_engine.Lines = BuildLines(sheet, engine, report.DaysPerPoint, report.Points);
      std::stable_sort(out_engine.Lines.begin(), out_engine.Lines.end(), MovedMore);
    }
  }

  for (std::size_t s = 0; s < report.Sheets.size(); ++s) {
    for (std::size_t e = 0; e < report.Sheets[s].Engines.size(); ++e) {
      const auto& lines = report.Sheets[s].Engines[e].Lines;
      for (std::size_t l = 0; l < lines.size() && lines[l].Weight > 0; ++l) {
        report.Movers.push_back({s, e, l});
      }
    }
  }
  const auto weight = [&report](const TReportMover& m) {
    return report.Sheets[m.Sheet].Engines[m.Engine].Lines[m.Line].Weight;
  };
  std::stable_sort(
      report.Movers.begin(), report.Movers.end(),
      [&weight](const TReportMover& a, const TReportMover& b) { return weight(a) > weight(b); });
  if (report.Movers.size() > kMaxMovers) report.Movers.resize(kMaxMovers);
  return report;
}

}  // namespace korvan
