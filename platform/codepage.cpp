// The code page 936 conversions and checks that are the same on every
// system; the charset conversion itself is in codepage_posix.cpp (iconv) and
// codepage_win32.cpp (MultiByteToWideChar / WideCharToMultiByte).
#include "platform/codepage.h"

#include <mutex>
#include <unordered_map>

namespace korvan {

namespace {

// GB18030, a superset of GBK: every GBK byte string round-trips and no
// character outside GBK is lost (code page 54936 on Windows).
constexpr const char* kCp936 = "GB18030";
constexpr const char* kUtf8 = "UTF-8";

}  // namespace

std::string Cp936ToUtf8(std::string_view text) {
  return ConvertCharsetLenient(text, kCp936, kUtf8).value_or(std::string());
}

std::string Utf8ToCp936(std::string_view text) {
  return ConvertCharsetLenient(text, kUtf8, kCp936).value_or(std::string());
}

const std::string& Cp936Text(std::string_view utf8_literal) {
  static std::mutex mutex;
  // Never destroyed: texts may still be printed while the process ends.
  static auto* converted = new std::unordered_map<std::string_view, std::string>();
  std::lock_guard<std::mutex> lock(mutex);
  auto found = converted->find(utf8_literal);
  if (found == converted->end()) {
    found = converted->emplace(utf8_literal, Utf8ToCp936(utf8_literal)).first;
  }
  return found->second;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len;
    unsigned min;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000;
    } else {
      return false;
    }
    if (i + len > n) return false;
    unsigned cp = c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

}  // namespace korvan
