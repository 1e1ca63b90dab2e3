#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "platform/clock.h"

namespace korvan {
namespace {

TEST(DateTimeTest, DaysCountFromThe30thOfDecember1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1), 36586.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_TRUE(EncodeDate(2024, 2, 29).has_value());
  for (auto [y, m, d] : {std::tuple{2023, 2, 29},
                         {1900, 2, 29},
                         {2000, 13, 1},
                         {2000, 4, 31},
                         {0, 1, 1},
                         {10000, 1, 1},
                         {2000, 1, 0}}) {
    EXPECT_FALSE(EncodeDate(y, m, d).has_value()) << y << "-" << m << "-" << d;
  }
  EXPECT_DOUBLE_EQ(*EncodeTime(12, 0, 0), 0.5);
  EXPECT_DOUBLE_EQ(*EncodeTime(16, 49, 37), (16 * 3600 + 49 * 60 + 37) / 86400.0);
  EXPECT_FALSE(EncodeTime(24, 0, 0).has_value());
  EXPECT_FALSE(EncodeTime(0, 60, 0).has_value());
  EXPECT_FALSE(EncodeTime(0, 0, -1).has_value());
}

TEST(DateTimeTest, LocalNowIsTheLocalWallClock) {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  const double expected = 25569.0 + static_cast<double>(t + local.tm_gmtoff) / 86400.0;
  EXPECT_NEAR(LocalNow(), expected, 2.0 / 86400);
}

}  // namespace
}  // namespace korvan
