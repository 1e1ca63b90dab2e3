// The summary lines after a run.
// Main thread only (prints).
#pragma once

#include <cstdint>
#include <string>

namespace korvan {

// The failure count line (or the all-succeeded line) and the elapsed time,
// each followed by an empty line, after an empty line; `report_line`, when
// not empty, right after the elapsed time.
void PrintRunSummary(std::int32_t fail_count, std::uint32_t elapsed_ms,
                     const std::string& report_line = std::string());

}  // namespace korvan
