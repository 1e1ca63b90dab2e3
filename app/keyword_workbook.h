// The keyword workbook's logic over its tables: the sheet list, the target
// host of a sheet, the keywords still to query, the day's row of an engine and
// writing an engine's results into it.
//
// Main thread only. Texts are code page 936. Failures of the workbook
// (reading, writing, appending, storing) are thrown as WorkbookError and left
// to the caller; everything else is reported by the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/workbook/workbook_table.h"
#include "text/string_list2.h"

namespace korvan {

extern std::int32_t FailCount;  // main thread only

// The sheet name of a listed table name: "#" becomes ".", ")" becomes "/",
// the last byte (the "$") goes, and blanks and control bytes at both ends are
// removed. Lower-cased it is the target host.
std::string SheetHost(const std::string& table_name);

// SheetNames: the TableName of schema entries with TableType "TABLE" or "VIEW", in order.
void ReadSheetNames(const WorkbookConnection& connection, TStringList& sheet_names);

// True when the sheet holds a row of `engine_name` for the day of `run_date`;
// the table is then positioned on the lowest such row. The search walks up
// from the bottom and gives up at a row dated earlier or holding no date.
bool FindDayRow(const std::string& engine_name, WorkbookTable& table, double run_date);

// True when the first three of the header's field names (code page 936) are
// "日期", "时间" and "搜索引擎", in any order.
bool FixedColumnsLead(const std::vector<std::string>& field_names);

// Fills `keywords` with every keyword column of the sheet (fourth column on).
// False, with `keywords` empty, when the first three columns are not "日期",
// "时间", "搜索引擎" or there is no keyword column.
bool ReadKeywordColumns(WorkbookTable& table, TStringList& keywords);

// Fills `keywords` with the keyword columns (fourth column on) that the
// engine still has to query on this sheet, and appends the engine's row for
// the day when there is none. False, with `keywords` empty, when the first
// three columns are not "日期", "时间", "搜索引擎" or there is no keyword
// column. With `skip_filled`, keywords whose cell in an existing day's row is
// not empty are left out.
bool PrepareKeywords(const std::string& engine_name, WorkbookTable& table, bool skip_filled,
                     TStringList& keywords, double run_date);

// Writes the non-empty results of Engines[engine_index] into its day's row,
// adds the empty ones to FailCount, stamps "时间" when something was written,
// stores the row and clears the engine's Keywords and Results. Does nothing
// unless the engine is done, has keywords, one result per keyword, and its
// day's row exists.
void WriteResults(WorkbookTable& table, int engine_index);

}  // namespace korvan
