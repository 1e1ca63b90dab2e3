#include "engines/http_date.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/clock.h"
#include "platform/date_time.h"

namespace korvan {
namespace {

double At(int y, int mo, int d, int h, int mi, int s) {
  return *EncodeDate(y, mo, d) + *EncodeTime(h, mi, s);
}

TEST(HttpDateTest, GreenwichTimeBecomesUtcPlusEight) {
  EXPECT_DOUBLE_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"),
                   34644 + (16 * 3600 + 49 * 60 + 37) / 86400.0);
  EXPECT_DOUBLE_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), At(1994, 11, 6, 16, 49, 37));
  EXPECT_DOUBLE_EQ(ParseHttpDate("Sun, 06 Nov 1994 20:00:00 GMT"), At(1994, 11, 7, 4, 0, 0));
  EXPECT_DOUBLE_EQ(ParseHttpDate("Thu, 31 Dec 1998 23:30:00 GMT"), At(1999, 1, 1, 7, 30, 0));
  EXPECT_DOUBLE_EQ(ParseHttpDate("wed  01   april 1998 00:00:00"), At(1998, 4, 1, 8, 0, 0));
  EXPECT_DOUBLE_EQ(ParseHttpDate("Tue, 29 Feb 2000 01:02 GMT"), At(2000, 2, 29, 9, 2, 0));
  EXPECT_EQ(MonthOfName("mayjan"), 1);  // "jan" is tried before "may"
  EXPECT_EQ(MonthOfName("xyz"), 0);
}

TEST(HttpDateTest, UnreadableDatesGiveTheLocalTime) {
  for (const char* text : {"", "Sun, 06 Nov 1994", "Sun, xx Nov 1994 08:49:37 GMT",
                           "Sun, 06 Xyz 1994 08:49:37 GMT", "Sun, 06 Nov year 08:49:37 GMT",
                           "Sun, 30 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994 25:00:00 GMT",
                           "Sun, 06 Nov 1994 08-49-37 GMT", "Sun, 06 Nov 1994 08:49:37:01 GMT",
                           "Sun, 06 Nov 1994 8::37 GMT", "Sun, 06 Nov 0 08:49:37 GMT"}) {
    EXPECT_NEAR(ParseHttpDate(text), LocalNow(), 5.0 / 86400) << text;
  }
}

}  // namespace
}  // namespace korvan
