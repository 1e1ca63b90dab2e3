// The rank report as one self-contained HTML page (UTF-8): inline CSS and
// inline SVG charts, no script and nothing loaded from elsewhere, so it opens
// offline and nothing in it runs. Every text that comes from the workbook or
// the run (sheet, engine and keyword names, cell texts, failure reasons) is
// escaped. Pure, thread-safe, never throws (except std::bad_alloc).
#pragma once

#include <string>
#include <string_view>

#include "app/rank_report.h"

namespace korvan {

// `text` with &, <, >, " and ' written as character references.
std::string HtmlEscape(std::string_view text);

std::string RenderReportHtml(const TRankReport& report);

}  // namespace korvan
