// Reading a whole (small) file, up to a limit. The name is UTF-8 on both
// systems (CreateFileW on Windows). Thread-safe, never throws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace korvan {

// The first `max_bytes` bytes of the file named `path` (a file-system name);
// nothing when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes);

}  // namespace korvan
