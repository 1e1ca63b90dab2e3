// Character-set conversion through the Windows code pages: text is decoded
// to UTF-16 with MultiByteToWideChar and encoded with WideCharToMultiByte.
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace korvan {

namespace {

// UTF-16 has no Windows code page that MultiByteToWideChar takes; these
// stand for the two byte orders here.
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;
constexpr UINT kGb18030 = 54936;
// The longest character of any code page handled here (GB18030).
constexpr int kMaxCharBytes = 4;

// The charset name lower-cased without "-", "_", " " and ".".
std::string Normalized(const char* name) {
  std::string out;
  for (const char* p = name; *p != '\0'; ++p) {
    char c = *p;
    if (c == '-' || c == '_' || c == ' ' || c == '.') continue;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out.push_back(c);
  }
  return out;
}

// The number after `prefix` in `name`, or 0.
unsigned NumberAfter(const std::string& name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  unsigned n = 0;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || n > 100000) return 0;
    n = n * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return n;
}

// The Windows code page of an iconv charset name, or nothing.
std::optional<UINT> CodePageOf(const char* charset) {
  struct Alias {
    const char* name;
    UINT page;
  };
  static constexpr Alias kAliases[] = {
      {"utf8", CP_UTF8},    {"gb18030", kGb18030}, {"gbk", 936},          {"gb2312", 936},
      {"euccn", 936},       {"xgbk", 936},         {"xeuccn", 936},       {"chinese", 936},
      {"big5", 950},        {"big5hkscs", 950},    {"xxbig5", 950},       {"shiftjis", 932},
      {"sjis", 932},        {"xsjis", 932},        {"mskanji", 932},      {"windows31j", 932},
      {"eucjp", 20932},     {"euckr", 949},        {"ksc56011987", 949},  {"uhc", 949},
      {"iso2022jp", 50220}, {"koi8r", 20866},      {"koi8u", 21866},      {"usascii", 20127},
      {"ascii", 20127},     {"latin1", 28591},     {"utf16le", kUtf16Le}, {"utf16be", kUtf16Be},
      {"tis620", 874},      {"macintosh", 10000},
  };
  const std::string name = Normalized(charset);
  for (const Alias& alias : kAliases) {
    if (name != alias.name) continue;
    // A system without GB18030 (Wine) still has its GBK part.
    if (alias.page == kGb18030 && !IsValidCodePage(kGb18030)) return 936;
    return alias.page;
  }
  if (unsigned n = NumberAfter(name, "iso8859"); n >= 1 && n <= 16) return 28590 + n;
  unsigned page = NumberAfter(name, "windows");
  if (page == 0) page = NumberAfter(name, "cp");
  if (page == 0) page = NumberAfter(name, "ms");
  if (page != 0 && page <= 65535 && IsValidCodePage(page)) return page;
  return std::nullopt;
}

// `bytes` decoded as UTF-16 in either byte order; an odd last byte is "?".
std::wstring DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::wstring out;
  out.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<wchar_t>(big_endian ? (a << 8 | b) : (b << 8 | a)));
  }
  if (bytes.size() % 2 != 0) out.push_back(L'?');
  return out;
}

std::string EncodeUtf16(std::wstring_view text, bool big_endian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t c : text) {
    const auto unit = static_cast<unsigned>(c);
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  }
  return out;
}

// Appends the characters of `bytes` to `out`; false when `bytes` holds an
// invalid or incomplete sequence.
bool DecodeStrict(std::string_view bytes, UINT page, std::wstring& out) {
  const int size = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(length));
  MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at, length);
  return true;
}

// `bytes` decoded from code page `page`. Text with an invalid sequence is
// decoded one character at a time: the shortest run of bytes that decodes is
// one character, and a byte that starts none becomes "?" and is skipped.
std::wstring DecodeLenient(std::string_view bytes, UINT page) {
  std::wstring out;
  if (bytes.empty() || DecodeStrict(bytes, page, out)) return out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    int taken = 0;
    for (int n = 1; n <= kMaxCharBytes && i + static_cast<std::size_t>(n) <= bytes.size(); ++n) {
      if (DecodeStrict(bytes.substr(i, static_cast<std::size_t>(n)), page, out)) {
        taken = n;
        break;
      }
    }
    if (taken == 0) {
      out.push_back(L'?');
      taken = 1;
    }
    i += static_cast<std::size_t>(taken);
  }
  return out;
}

// `text` in code page `page`; a character the page cannot hold becomes the
// page's default character ("?").
std::string Encode(std::wstring_view text, UINT page) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(page, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

std::optional<std::string> ConvertCharsetLenient(std::string_view text, const char* from,
                                                 const char* to) {
  const std::optional<UINT> from_page = CodePageOf(from);
  const std::optional<UINT> to_page = CodePageOf(to);
  if (!from_page || !to_page || text.size() > INT_MAX / 2) return std::nullopt;
  const std::wstring wide = *from_page == kUtf16Le || *from_page == kUtf16Be
                                ? DecodeUtf16(text, *from_page == kUtf16Be)
                                : DecodeLenient(text, *from_page);
  if (*to_page == kUtf16Le || *to_page == kUtf16Be) return EncodeUtf16(wide, *to_page == kUtf16Be);
  return Encode(wide, *to_page);
}

}  // namespace korvan
