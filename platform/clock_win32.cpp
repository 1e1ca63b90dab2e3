#include <windows.h>

#include "platform/clock.h"
#include "platform/date_time.h"

namespace korvan {

double LocalNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  const double date = EncodeDate(local.wYear, local.wMonth, local.wDay).value_or(0);
  return date +
         EncodeTime(local.wHour, local.wMinute, local.wSecond, local.wMilliseconds).value_or(0);
}

}  // namespace korvan
