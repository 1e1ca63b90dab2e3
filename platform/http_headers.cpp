#include "platform/http_headers.h"

namespace korvan {

std::string TrimmedHeaderValue(std::string_view value) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t begin = value.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  return std::string(value.substr(begin, value.find_last_not_of(kBlanks) + 1 - begin));
}

std::string LowerHeaderName(std::string_view name) {
  std::string lowered(name);
  for (char& c : lowered) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lowered;
}

std::vector<std::pair<std::string, std::string>> HeaderFields(std::string_view block) {
  std::vector<std::pair<std::string, std::string>> fields;
  while (!block.empty()) {
    const std::size_t end = block.find('\n');
    const std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || line.starts_with("HTTP/")) continue;
    fields.emplace_back(LowerHeaderName(TrimmedHeaderValue(line.substr(0, colon))),
                        TrimmedHeaderValue(line.substr(colon + 1)));
  }
  return fields;
}

}  // namespace korvan
