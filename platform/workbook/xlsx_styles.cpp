#include "platform/workbook/xlsx_styles.h"

#include <charconv>
#include <map>
#include <optional>
#include <string>

namespace korvan {

namespace {

std::optional<unsigned> FormatId(pugi::xml_node node) {
  std::string_view text = node.attribute("numFmtId").value();
  unsigned id = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return id;
}

}  // namespace

bool IsXlsxBuiltinDateFormat(unsigned id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58);
}

bool IsXlsxDateFormatCode(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      std::size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (c == '[') {
      std::size_t close = code.find(']', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is shown (or used as padding) as it is
    } else if (c == 'd' || c == 'D' || c == 'm' || c == 'M' || c == 'y' || c == 'Y') {
      return true;
    }
  }
  return false;
}

std::vector<bool> ReadXlsxDateStyles(const XlsxXmlPart& styles) {
  pugi::xml_node root = styles.Root();
  std::map<unsigned, bool> own_formats;
  for (pugi::xml_node format = XlsxChild(XlsxChild(root, "numFmts"), "numFmt"); format;
       format = format.next_sibling()) {
    if (!XlsxIs(format, "numFmt")) continue;
    if (std::optional<unsigned> id = FormatId(format)) {
      own_formats[*id] = IsXlsxDateFormatCode(format.attribute("formatCode").value());
    }
  }
  std::vector<bool> date_styles;
  for (pugi::xml_node xf = XlsxChild(XlsxChild(root, "cellXfs"), "xf"); xf;
       xf = xf.next_sibling()) {
    if (!XlsxIs(xf, "xf")) continue;
    bool is_date = false;
    if (std::optional<unsigned> id = FormatId(xf)) {
      auto own = own_formats.find(*id);
      is_date = own != own_formats.end() ? own->second : IsXlsxBuiltinDateFormat(*id);
    }
    date_styles.push_back(is_date);
  }
  return date_styles;
}

}  // namespace korvan
