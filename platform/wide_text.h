// Conversions between the program's UTF-8 names and the forms the systems
// take them in.
//
// Windows (wide_text_win32.cpp): WideFromUtf8 / Utf8FromWide convert between
// UTF-8 and UTF-16 for the W calls of the Windows API; an invalid sequence
// becomes U+FFFD. Not declared on other systems.
//
// Both systems: FsPath / Utf8OfPath build and read a std::filesystem::path
// through its UTF-8 form, so a UTF-8 name is the same file everywhere
// (a path made from a plain std::string would read the ANSI code page on
// Windows). Thread-safe, never throw.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvan {

#ifdef _WIN32
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
#endif

inline std::filesystem::path FsPath(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string Utf8OfPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace korvan
