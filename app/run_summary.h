// The summary lines after a run.
// Main thread only (prints).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "query/fail_reasons.h"

namespace korvan {

// The failure count line (or the all-succeeded line), then one line per
// reason that occurred with its count and one naming the engines stopped for
// refusing this client, and the elapsed time; each part followed by an
// empty line, after an empty line; `report_line`, when not empty, right
// after the elapsed time.
void PrintRunSummary(std::int32_t fail_count, const TFailTally& reasons,
                     const std::vector<std::string>& stopped_engines, std::uint32_t elapsed_ms,
                     const std::string& report_line = std::string());

}  // namespace korvan
