#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>

namespace korvan {

namespace {

constexpr const char* kCp936 = "GB18030";
constexpr const char* kUtf8 = "UTF-8";

// Converts with iconv; an invalid or incomplete sequence emits "?" and
// skips one input byte. Nothing when a charset is unknown.
std::optional<std::string> Convert(std::string_view text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(text.size() * 2 + 16);
  char* in_ptr = const_cast<char*>(text.data());
  size_t in_left = text.size();
  size_t out_used = 0;
  while (true) {
    char* out_ptr = out.data() + out_used;
    size_t out_left = out.size() - out_used;
    size_t rc = in_left == 0 ? iconv(cd, nullptr, nullptr, &out_ptr, &out_left)
                             : iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out_used = out.size() - out_left;
    if (rc != static_cast<size_t>(-1)) {
      if (in_left == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: an invalid or truncated sequence.
    if (out.size() - out_used < 1) out.resize(out.size() * 2);
    out[out_used++] = '?';
    ++in_ptr;
    --in_left;
  }
  iconv_close(cd);
  out.resize(out_used);
  return out;
}

}  // namespace

std::optional<std::string> ConvertCharsetLenient(std::string_view text, const char* from,
                                                 const char* to) {
  return Convert(text, from, to);
}

std::string Cp936ToUtf8(std::string_view text) {
  return Convert(text, kCp936, kUtf8).value_or(std::string());
}

std::string Utf8ToCp936(std::string_view text) {
  return Convert(text, kUtf8, kCp936).value_or(std::string());
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
