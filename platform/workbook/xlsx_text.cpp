#include "platform/workbook/xlsx_text.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/workbook/xlsx_xml.h"

namespace korvan {

namespace {

constexpr std::size_t kEscapeLength = 7;  // "_xHHHH_"

// The code unit of an escape at `pos`, if one starts there.
std::optional<std::uint32_t> EscapeAt(std::string_view text, std::size_t pos) {
  if (text.size() - pos < kEscapeLength || text[pos] != '_' || text[pos + 1] != 'x' ||
      text[pos + 6] != '_') {
    return std::nullopt;
  }
  std::uint32_t unit = 0;
  for (std::size_t i = pos + 2; i < pos + 6; ++i) {
    char c = text[i];
    unit <<= 4;
    if (c >= '0' && c <= '9') {
      unit |= static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      unit |= static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      unit |= static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
  }
  return unit;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendEscape(std::string& out, std::uint32_t unit) {
  char buffer[kEscapeLength + 1];
  std::snprintf(buffer, sizeof buffer, "_x%04X_", static_cast<unsigned>(unit));
  out.append(buffer, kEscapeLength);
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string XlsxStringItemText(pugi::xml_node item) {
  std::string raw;
  for (pugi::xml_node child = item.first_child(); child; child = child.next_sibling()) {
    if (XlsxIs(child, "t")) {
      raw += child.child_value();
    } else if (XlsxIs(child, "r")) {
      raw += XlsxChild(child, "t").child_value();
    }
  }
  return DecodeXlsxEscapes(raw);
}

std::string DecodeXlsxEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::optional<std::uint32_t> unit = EscapeAt(text, pos);
    if (!unit) {
      out += text[pos++];
      continue;
    }
    if (IsHighSurrogate(*unit)) {
      std::optional<std::uint32_t> low = EscapeAt(text, pos + kEscapeLength);
      if (low && IsLowSurrogate(*low)) {
        AppendUtf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
        pos += 2 * kEscapeLength;
        continue;
      }
    }
    if (IsHighSurrogate(*unit) || IsLowSurrogate(*unit)) {
      out.append(text.substr(pos, kEscapeLength));
    } else {
      AppendUtf8(out, *unit);
    }
    pos += kEscapeLength;
  }
  return out;
}

std::string EncodeXlsxEscapes(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size(); ++pos) {
    unsigned char c = static_cast<unsigned char>(utf8[pos]);
    if (c < 0x20 && c != '\t' && c != '\n') {
      AppendEscape(out, c);
    } else if (c == '_' && EscapeAt(utf8, pos)) {
      AppendEscape(out, '_');
    } else if (c == 0xEF && utf8.substr(pos + 1, 1) == "\xBF" && pos + 2 < utf8.size() &&
               (utf8[pos + 2] == '\xBE' || utf8[pos + 2] == '\xBF')) {
      // U+FFFE and U+FFFF are not XML characters either.
      AppendEscape(out, utf8[pos + 2] == '\xBE' ? 0xFFFE : 0xFFFF);
      pos += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace korvan
