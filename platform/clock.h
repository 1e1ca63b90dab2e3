// The system clock as a date-time double (see platform/date_time.h), in the
// local time zone, with milliseconds (GetLocalTime on Windows). Thread-safe,
// never throws.
#pragma once

namespace korvan {

double LocalNow();

}  // namespace korvan
