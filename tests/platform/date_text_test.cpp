#include "platform/date_text.h"

#include <gtest/gtest.h>

#include "platform/date_time.h"

namespace korvan {
namespace {

TEST(DateTextTest, FormatsAndReadsBackTheSameDay) {
  const double day = *EncodeDate(2026, 12, 8);
  EXPECT_EQ(FormatDateYmd(day + *EncodeTime(9, 5, 7)), "2026/12/08");
  EXPECT_EQ(FormatTimeHms(day + *EncodeTime(9, 5, 7)), "09:05:07");
  EXPECT_EQ(FormatDateYmd(*EncodeDate(1, 1, 1)), "0001/01/01");
  EXPECT_EQ(FormatDateYmd(*EncodeDate(1900, 2, 28)), "1900/02/28");
  EXPECT_EQ(FormatDateYmd(1e9), "");

  // Half a millisecond before midnight shows as the next day: the day of
  // the date-time must be that day too, or the day's row is never found.
  const double almost_midnight = day + 0.9999999999;
  EXPECT_EQ(FormatDateYmd(almost_midnight), "2026/12/09");
  EXPECT_EQ(FormatTimeHms(almost_midnight), "00:00:00");
  EXPECT_EQ(DateOnly(almost_midnight), day + 1);
  EXPECT_EQ(*ParseDateYmd(FormatDateYmd(almost_midnight)), DateOnly(almost_midnight));
  EXPECT_EQ(DateOnly(day + 0.75), day);

  EXPECT_EQ(ParseDateYmd(" 2026/12/8 "), day);
  EXPECT_EQ(ParseDateYmd("2024/2/29"), *EncodeDate(2024, 2, 29));
  for (const char* bad : {"", "2026/12", "2026/12/08/1", "26/12/08", "2026-12-08", "2026/12/32",
                          "2023/2/29", "2026/012/08", "2026/12/08x", "+2026/12/08"}) {
    EXPECT_FALSE(ParseDateYmd(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace korvan
