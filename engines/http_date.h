// The run date from an HTTP "Date" header. Pure but for the clock; thread-safe,
// never throws.
#pragma once

#include <string_view>

namespace korvan {

// "Sun, 06 Nov 1994 08:49:37 GMT" gives that date and time plus 8 hours
// (Greenwich time shown in UTC+8). Any text that cannot be read that way
// (fewer than five blank-separated items, a day or year that is no integer,
// no month name, a date that does not exist, an unreadable time) gives the
// local current time instead, unshifted.
double ParseHttpDate(std::string_view text);

// 1 to 12 for the first of "jan", "feb", "mar", "ap", "may", "jun", "jul",
// "aug", "sep", "oct", "nov", "dec" (tried in this order) found anywhere in
// `text`; 0 when none is. The names are lower-case and so must the text be.
int MonthOfName(std::string_view text);

}  // namespace korvan
