#include "platform/clock.h"

#include <sys/time.h>

#include <ctime>

#include "platform/date_time.h"

namespace korvan {

double LocalNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm local{};
  const std::time_t seconds = tv.tv_sec;
  localtime_r(&seconds, &local);
  const int ms = static_cast<int>(tv.tv_usec / 1000);
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // leap second
  const double date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).value_or(0);
  return date + EncodeTime(local.tm_hour, local.tm_min, second, ms).value_or(0);
}

}  // namespace korvan
