#include "app/report_html.h"

#include "app/rank_sparkline.h"
#include "platform/date_text.h"

namespace korvan {

namespace {

constexpr const char* kHead =
    "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width\">\n";

// The charts' size and band match rank_sparkline.h.
constexpr const char* kStyle =
    "<style>\n"
    "body{font:14px/1.5 \"Microsoft YaHei\",\"PingFang SC\",\"Noto Sans CJK SC\",sans-serif;"
    "margin:24px;color:#222;background:#fafafa}\n"
    "h1{font-size:22px;margin:0 0 4px}\n"
    "h2{font-size:18px;margin:28px 0 8px;padding-bottom:4px;border-bottom:2px solid #ddd}\n"
    "h3{font-size:15px;margin:14px 0 6px}\n"
    "small,.note{color:#777;font-weight:normal}\n"
    ".top{display:inline-block;min-width:600px;background:#fff;border:1px solid #ddd;"
    "padding:4px 16px 12px}\n"
    ".top h2{border:0;margin:12px 0 6px;font-size:16px}\n"
    "table{border-collapse:collapse;background:#fff;margin-bottom:8px}\n"
    "th,td{padding:2px 10px;border-bottom:1px solid #eee;text-align:left;white-space:nowrap;"
    "vertical-align:middle}\n"
    "th{background:#f0f0f0;font-weight:600}\n"
    "svg{display:block;height:32px;background:linear-gradient(#fff 25px,#e8e8e8 25px)}\n"
    "path{fill:none;stroke:#2a6fdb;stroke-width:1.6;stroke-linecap:round;stroke-linejoin:round}\n"
    ".u{color:#1a7f37;font-weight:600}.d{color:#cf222e;font-weight:600}.s{color:#999}\n"
    "p.note{max-width:1000px}\n";

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
}

// A table cell holding escaped text.
void AppendCell(std::string& out, std::string_view text, const char* css_class = nullptr) {
  out += css_class ? std::string("<td class=\"") + css_class + "\">" : std::string("<td>");
  AppendEscaped(out, text);
  out += "</td>";
}

void AppendChange(std::string& out, const TReportLine& line) {
  const std::string places = std::to_string(line.Places);
  switch (line.Change) {
    case rcUp:
      return AppendCell(out, "▲" + places, "u");
    case rcDown:
      return AppendCell(out, "▼" + places, "d");
    case rcNew:
      return AppendCell(out, "新进", "u");
    case rcLost:
      return AppendCell(out, "跌出", "d");
    case rcSame:
      return AppendCell(out, "持平", "s");
    case rcNone:
      return AppendCell(out, "");
  }
}

std::string PointText(std::int32_t point) {
  return point > 0 ? std::to_string(point) : point == kPointNotFound ? "?" : "";
}

void AppendLine(std::string& out, const TReportLine& line) {
  out += "<tr>";
  AppendCell(out, line.Keyword);
  out += "<td><svg><path d=\"";
  out += SparklinePath(line.Points, line.Limit);
  out += "\"/></svg></td>";
  AppendCell(out, line.Latest);
  AppendChange(out, line);
  AppendCell(out, PointText(line.Best));
  out += "</tr>\n";
}

void AppendTop(std::string& out, const TRankReport& report) {
  out += "<div class=\"top\">\n<h2>变化最大的关键字</h2>\n";
  if (report.Movers.empty()) {
    out += "<p class=\"note\">没有名次变化。</p>\n";
  } else {
    out +=
        "<table class=\"movers\"><thead><tr><th>工作表</th><th>搜索引擎</th><th>关键字</th>"
        "<th>最新</th><th>变化</th></tr></thead><tbody>\n";
    for (const TReportMover& mover : report.Movers) {
      const TReportSheet& sheet = report.Sheets[mover.Sheet];
      const TReportEngine& engine = sheet.Engines[mover.Engine];
      const TReportLine& line = engine.Lines[mover.Line];
      out += "<tr>";
      AppendCell(out, sheet.Name);
      AppendCell(out, engine.Name);
      AppendCell(out, line.Keyword);
      AppendCell(out, line.Latest);
      AppendChange(out, line);
      out += "</tr>\n";
    }
    out += "</tbody></table>\n";
  }
  out += "<h2>本次运行的失败</h2>\n";
  if (report.Failures.empty()) {
    out += "<p class=\"note\">查询全部成功。</p>\n";
  } else {
    out += "<ul class=\"failures\">\n";
    for (const TReportFailure& failure : report.Failures) {
      out += "<li>";
      AppendEscaped(out, failure.Reason);
      out += "：<strong>" + std::to_string(failure.Count) + "</strong> 处</li>\n";
    }
    out += "</ul>\n";
  }
  out += "</div>\n";
}

void AppendSheets(std::string& out, const TRankReport& report) {
  for (const TReportSheet& sheet : report.Sheets) {
    out += "<h2>";
    AppendEscaped(out, sheet.Name);
    out += "</h2>\n";
    for (const TReportEngine& engine : sheet.Engines) {
      out += "<h3>";
      AppendEscaped(out, engine.Name);
      out += " <small>最新一行 " + engine.LatestDate + "</small></h3>\n";
      out +=
          "<table class=\"ranks\"><thead><tr><th>关键字</th><th>走势</th><th>最新</th>"
          "<th>变化</th><th>最佳</th></tr></thead><tbody>\n";
      for (const TReportLine& line : engine.Lines) AppendLine(out, line);
      out += "</tbody></table>\n";
    }
  }
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  AppendEscaped(out, text);
  return out;
}

std::string RenderReportHtml(const TRankReport& report) {
  const std::string date = FormatDateYmd(report.RunDate);
  std::string out = kHead;
  out += "<title>排名报告 " + date + "</title>\n";
  out += kStyle;
  // Every chart of the page has the same number of points.
  out +=
      "svg{width:" + std::to_string(SparklineWidth(report.Points)) + "px}\n</style></head><body>\n";
  out += "<h1>排名报告</h1>\n<p class=\"note\">运行日期 " + date + "。走势为近 " +
         std::to_string(report.Days) + " 天里每天的第一个名次";
  if (report.DaysPerPoint > 1) {
    out += "（每点取 " + std::to_string(report.DaysPerPoint) + " 天中最好的名次）";
  }
  out +=
      "：第 1 名在上，灰带为“?”（限定名次内没有找到），空缺为查询失败或没有记录。"
      "变化与该搜索引擎上一行有值的结果相比。</p>\n";
  AppendTop(out, report);
  AppendSheets(out, report);
  out += "</body></html>\n";
  return out;
}

}  // namespace korvan
