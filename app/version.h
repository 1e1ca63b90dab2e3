// The program's own version and the comparison with the latest released
// version that the parameter page names. Pure; thread-safe.
#pragma once

#include <string_view>

namespace korvan {

// Four dot-separated numbers.
inline constexpr const char* ProgramVersion = "1.2.0.0";

// True when `latest` names a later version than `current`. Each text must
// split on "." into exactly four trimmed, non-empty integers; each number
// counts modulo 256. The first component that differs decides; equal or
// malformed versions give false.
bool IsNewerVersion(std::string_view current, std::string_view latest);

}  // namespace korvan
