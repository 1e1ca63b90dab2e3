// The rank report of a run: built from the open workbook's cells at the end
// of the run and written beside the workbook, named like it with ".html" in
// place of its extension, with an atomic replace.
//
// Main thread only, while the workbook connection is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/rank_report.h"
#include "platform/workbook/workbook_table.h"
#include "query/fail_reasons.h"

namespace korvan {

// The report's file-system name beside `workbook_path` (both UTF-8): the
// workbook's with ".html" in place of its extension ("关键字.xls" gives
// "关键字.html"), or after it when the workbook's own extension is ".html".
std::string ReportPathFor(const std::string& workbook_path);

// The run's failures for the report, by reason as the summary counts them.
std::vector<TReportFailure> FailuresOfRun(std::int32_t fail_count, const TFailTally& reasons);

// The report of every worksheet of the open workbook, with the run date and
// the period `days`; a keyword column without a limit takes the MaxCount of
// the engine of that name in Engines (10 for an engine not there). Throws
// WorkbookError when a sheet cannot be read.
TRankReport BuildRunReport(WorkbookConnection& connection, double run_date, int days,
                           std::vector<TReportFailure> failures);

// With ReportSettings.Enabled, builds the report (RunDate, ReportSettings.Days)
// and writes it; returns the summary line that names the file, or the line
// saying why it could not be written (code page 936). Empty when the report
// is turned off: nothing is written then. Never throws.
std::string WriteRunReport(WorkbookConnection& connection, std::vector<TReportFailure> failures);

}  // namespace korvan
