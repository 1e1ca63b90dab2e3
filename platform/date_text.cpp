#include "platform/date_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/date_time.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Civil date of a count of days from 1970-01-01 (H. Hinnant's algorithm).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// Reads 1..max_digits decimal digits at `pos`; nothing otherwise.
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t min_digits,
                              std::size_t max_digits) {
  const std::size_t start = pos;
  while (pos < text.size() && pos - start < max_digits && text[pos] >= '0' && text[pos] <= '9') {
    ++pos;
  }
  if (pos - start < min_digits || (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')) {
    return std::nullopt;
  }
  int value = 0;
  std::from_chars(text.data() + start, text.data() + pos, value);
  return value;
}

}  // namespace

std::optional<TDateParts> DecodeDateTime(double date_time) {
  // Years 1..9999 lie within about +-3 million days of 1899-12-30.
  if (!std::isfinite(date_time) || std::fabs(date_time) > 3.0e6) return std::nullopt;
  const std::int64_t total_ms = std::llround(date_time * static_cast<double>(kMsPerDay));
  std::int64_t days = total_ms / kMsPerDay;
  std::int64_t ms = total_ms % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --days;
  }
  TDateParts parts;
  // Day 0 is 1899-12-30, which is day -25569 from 1970-01-01.
  CivilFromDays(days - 25569, parts.Year, parts.Month, parts.Day);
  if (parts.Year < 1 || parts.Year > 9999) return std::nullopt;
  parts.Hour = static_cast<int>(ms / 3600000);
  parts.Minute = static_cast<int>(ms / 60000 % 60);
  parts.Second = static_cast<int>(ms / 1000 % 60);
  parts.Millisecond = static_cast<int>(ms % 1000);
  return parts;
}

double DateOnly(double date_time) {
  if (!std::isfinite(date_time) || std::fabs(date_time) > 3.0e6) return std::floor(date_time);
  const std::int64_t total_ms = std::llround(date_time * static_cast<double>(kMsPerDay));
  std::int64_t days = total_ms / kMsPerDay;
  if (total_ms % kMsPerDay < 0) --days;
  return static_cast<double>(days);
}

std::string FormatDateYmd(double date_time) {
  const auto parts = DecodeDateTime(date_time);
  if (!parts) return {};
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", parts->Year, parts->Month, parts->Day);
  return buffer;
}

std::string FormatTimeHms(double date_time) {
  const auto parts = DecodeDateTime(date_time);
  if (!parts) return {};
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", parts->Hour, parts->Minute, parts->Second);
  return buffer;
}

std::optional<double> ParseDateYmd(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t pos = 0;
  const auto year = ReadNumber(text, pos, 4, 4);
  if (!year || pos >= text.size() || text[pos++] != '/') return std::nullopt;
  const auto month = ReadNumber(text, pos, 1, 2);
  if (!month || pos >= text.size() || text[pos++] != '/') return std::nullopt;
  const auto day = ReadNumber(text, pos, 1, 2);
  if (!day || pos != text.size()) return std::nullopt;
  return EncodeDate(*year, *month, *day);
}

}  // namespace korvan
