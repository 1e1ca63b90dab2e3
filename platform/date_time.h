// Date-time values as doubles: the integer part counts days from 30 December
// 1899, the fraction is the time of day. Pure, thread-safe, never throw.
#pragma once

#include <optional>

namespace korvan {

// The day number of a calendar date, or nothing when the date does not exist
// (year outside 1..9999, month outside 1..12, day outside the month).
std::optional<double> EncodeDate(int year, int month, int day);

// The fraction of a day for a time of day, or nothing when out of range
// (hour 0..23, minute and second 0..59, millisecond 0..999).
std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond = 0);

}  // namespace korvan
