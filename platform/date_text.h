// Date-time doubles (see platform/date_time.h) as the texts the keyword
// workbook holds: "yyyy/mm/dd" for a day and "hh:mm:ss" for a time of day.
// Pure, thread-safe, never throw.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvan {

struct TDateParts {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// Splits a date-time into its calendar parts. The time is rounded to the
// millisecond first, so that 23:59:59.9996 reads as the next day's 00:00:00.
// Nothing when the day lies outside the years 1..9999 (or is not finite).
std::optional<TDateParts> DecodeDateTime(double date_time);

// The calendar day of a date-time (its time of day dropped), with the same
// millisecond rounding as DecodeDateTime, so it is the day FormatDateYmd shows.
double DateOnly(double date_time);

// "yyyy/mm/dd" and "hh:mm:ss" (24-hour clock, two digits each); empty when
// the value is outside the years 1..9999.
std::string FormatDateYmd(double date_time);
std::string FormatTimeHms(double date_time);

// The day of a text "year/month/day": blanks at both ends are ignored, the
// year has 4 digits, month and day 1 or 2. Nothing for any other text or a
// day that does not exist.
std::optional<double> ParseDateYmd(std::string_view text);

}  // namespace korvan
