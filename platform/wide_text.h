// UTF-8 texts, as the program keeps them, to and from the UTF-16 texts of
// the Windows API. Invalid input is replaced, never an error. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvan {

inline std::wstring WideFromUtf8(std::string_view text) {
  std::wstring wide(
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0),
      L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      static_cast<int>(wide.size()));
  return wide;
}

inline std::string Utf8FromWide(std::wstring_view text) {
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  return utf8;
}

}  // namespace korvan
