// Response header lines as HttpResponse::headers holds them: names
// lower-cased, values without the blanks around them. Pure, thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvan {

// `value` without blanks, tabs and line ends at either end.
std::string TrimmedHeaderValue(std::string_view value);

// "A"-"Z" lowered, the rest unchanged.
std::string LowerHeaderName(std::string_view name);

// The "Name: value" lines of a response's header block (CR LF or LF
// separated); the status line and lines without a colon are skipped.
std::vector<std::pair<std::string, std::string>> HeaderFields(std::string_view block);

}  // namespace korvan
