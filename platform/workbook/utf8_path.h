// File-system paths from and to the UTF-8 texts the program keeps its names
// in. A narrow std::filesystem::path is in the system's code page, which on
// Windows is not UTF-8; these go through char8_t, which both systems read as
// UTF-8. Thread-safe.
#pragma once

#include <filesystem>
#include <string>

namespace korvan {

inline std::filesystem::path PathOfUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8OfPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// True when something (a dangling link included) has the name `path`; false
// also when that cannot be found out.
inline bool NameExists(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(PathOfUtf8(path), ec);
  return !ec && status.type() != std::filesystem::file_type::not_found;
}

}  // namespace korvan
