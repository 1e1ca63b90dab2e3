#include "platform/response_text.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/codepage.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

constexpr std::size_t kMetaScanBytes = 4096;
constexpr std::size_t kMaxLabel = 40;
constexpr const char* kCp936 = "GB18030";

bool IsLabelChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

// Reads a charset label that starts at `pos` in lower-cased `text`: optional
// blanks and one quote, then label characters. Over-long labels are refused
// so that nothing but a plain name ever reaches iconv.
std::string LabelAt(std::string_view text, std::size_t pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) ++pos;
  std::size_t end = pos;
  while (end < text.size() && IsLabelChar(text[end])) ++end;
  if (end - pos > kMaxLabel) return {};
  return std::string(text.substr(pos, end - pos));
}

// The label after the first "charset" "=" in lower-cased `text`, or empty.
std::string LabelAfterCharset(std::string_view text) {
  std::size_t at = 0;
  while ((at = text.find("charset", at)) != std::string_view::npos) {
    std::size_t pos = at + 7;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos < text.size() && text[pos] == '=') return LabelAt(text, pos + 1);
    at += 7;
  }
  return {};
}

bool IsGbkFamily(const std::string& label) {
  static const std::array<const char*, 12> kNames = {
      "gbk",         "gb2312", "gb_2312", "gb_2312-80", "x-gbk",    "cp936",
      "windows-936", "ms936",  "gb18030", "euc-cn",     "csgb2312", "chinese"};
  return std::any_of(kNames.begin(), kNames.end(), [&](const char* n) { return label == n; });
}

bool IsUtf8Label(const std::string& label) { return label == "utf-8" || label == "utf8"; }

// Converts by `label`; nothing when iconv does not know the label.
std::optional<std::string> DecodeAs(std::string_view body, const std::string& label) {
  if (label.empty()) return std::nullopt;
  if (IsGbkFamily(label)) return std::string(body);
  if (IsUtf8Label(label)) return Utf8ToCp936(body);
  return ConvertCharsetLenient(body, label.c_str(), kCp936);
}

}  // namespace

std::string CharsetOfContentType(std::string_view content_type) {
  return LabelAfterCharset(LowerAscii(content_type));
}

std::string CharsetOfMeta(std::string_view html) {
  const std::string head = LowerAscii(html.substr(0, std::min(html.size(), kMetaScanBytes)));
  std::size_t at = 0;
  while ((at = head.find("<meta", at)) != std::string::npos) {
    std::size_t end = head.find('>', at);
    std::string_view tag =
        std::string_view(head).substr(at, end == std::string::npos ? std::string::npos : end - at);
    std::string label = LabelAfterCharset(tag);
    if (!label.empty()) return label;
    at += 5;
  }
  return {};
}

std::string ResponseTextCp936(std::string_view body, std::string_view content_type) {
  if (body.starts_with("\xEF\xBB\xBF")) return Utf8ToCp936(body.substr(3));
  if (body.starts_with("\xFF\xFE")) {
    return ConvertCharsetLenient(body.substr(2), "UTF-16LE", kCp936).value_or(std::string());
  }
  if (body.starts_with("\xFE\xFF")) {
    return ConvertCharsetLenient(body.substr(2), "UTF-16BE", kCp936).value_or(std::string());
  }
  if (auto text = DecodeAs(body, CharsetOfContentType(content_type))) return *text;
  if (auto text = DecodeAs(body, CharsetOfMeta(body))) return *text;
  if (IsValidUtf8(body)) return Utf8ToCp936(body);
  return std::string(body);
}

}  // namespace korvan
