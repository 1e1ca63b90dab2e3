#include "engines/http_date.h"

#include <array>
#include <optional>

#include "engines/int_text.h"
#include "platform/clock.h"
#include "platform/date_time.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

namespace {

constexpr double kEightHours = 8.0 / 24.0;

// "h:m" or "h:m:s", each part one or two digits within range.
std::optional<double> TimeOfText(std::string_view text) {
  std::array<int, 3> hms = {0, 0, 0};
  std::size_t count = 0;
  while (count < hms.size()) {
    const std::size_t colon = text.find(':');
    const std::string_view part = text.substr(0, colon);
    if (part.empty() || part.size() > 2) return std::nullopt;
    for (char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      hms[count] = hms[count] * 10 + (c - '0');
    }
    ++count;
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
    if (count == hms.size()) return std::nullopt;  // a fourth part
  }
  if (count < 2) return std::nullopt;
  return EncodeTime(hms[0], hms[1], hms[2]);
}

}  // namespace

int MonthOfName(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "jan", "feb", "mar", "ap", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (text.find(kNames[i]) != std::string_view::npos) return static_cast<int>(i) + 1;
  }
  return 0;
}

double ParseHttpDate(std::string_view text) {
  const double now = LocalNow();
  if (text.empty()) return now;
  TStringList2 items;
  items.SetDelimiterStr(" ");
  items.SetDelimitedStr(LowerAscii(text));
  if (items.Count() < 5) return now;
  const int day = IntOfText(items[1], 0);
  const int month = MonthOfName(items[2]);
  const int year = IntOfText(items[3], 0);
  const auto date = EncodeDate(year, month, day);
  const auto time = TimeOfText(items[4]);
  if (!date || !time) return now;
  return *date + *time + kEightHours;
}

}  // namespace korvan
