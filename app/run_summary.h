// The summary lines after a run, and the workbook's connection string.
// Main thread only (prints).
#pragma once

#include <cstdint>
#include <string>

namespace korvan {

// The failure count line (or the all-succeeded line) and the elapsed time,
// each followed by an empty line, after an empty line.
void PrintRunSummary(std::int32_t fail_count, std::uint32_t elapsed_ms);

// The connection string of the workbook at `workbook_path`, inserted
// unchanged.
std::string WorkbookConnectionString(const std::string& workbook_path);

}  // namespace korvan
