// One query run over the worksheets of the workbook: for each sheet the
// keywords still to be queried per enabled engine, one worker per engine with
// keywords, the Esc watcher, the progress lines, and the results written into
// the day's rows and saved before the next sheet; then the summary lines.
// What a run remembers (result pages, blocked engines, failure reasons)
// starts empty with each run.
//
// Main thread only. Workbook failures (WorkbookError) other than a sheet that
// cannot be opened propagate to the caller, possibly while workers of the
// current sheet still run.
#pragma once

#include <cstdint>
#include <string>

#include "platform/workbook/workbook_table.h"
#include "text/string_list2.h"

namespace korvan {

// The table object reused for every sheet, and whether it is open now.
struct TRunTable {
  explicit TRunTable(WorkbookConnection& connection) : Connection(connection), Table(connection) {}
  WorkbookConnection& Connection;
  WorkbookTable Table;
  bool IsOpen = false;
};

// The steps of one worksheet, `table_name` exactly as listed.
void RunSheet(TRunTable& table, const std::string& table_name, bool skip_filled);

// A whole run: FailCount from 0, every sheet in list order, the rank report
// beside the workbook, the summary.
void RunSheets(TRunTable& table, const TStringList& sheet_names, bool skip_filled);

}  // namespace korvan
