#include <gtest/gtest.h>

#include "text/elapsed.h"

namespace qv::text {
namespace {

ClockReading at(int day, int hour, int minute, int second) { return {2026, 12, day, hour, minute, second}; }

TEST(ElapsedTest, Examples) {
  EXPECT_EQ(elapsed_seconds(at(11, 10, 0, 0), at(11, 10, 0, 0)), 0);
  EXPECT_EQ(elapsed_seconds(at(11, 10, 0, 0), at(11, 10, 0, 3)), 3);
  EXPECT_EQ(elapsed_seconds(at(11, 23, 59, 59), at(12, 0, 0, 1)), 2);
  EXPECT_EQ(elapsed_seconds(at(11, 10, 0, 0), at(12, 10, 0, 0)), 86400);
  EXPECT_EQ(elapsed_seconds({2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}), 1);
  EXPECT_EQ(elapsed_seconds(at(11, 10, 0, 3), at(11, 10, 0, 0)), -2);  // truncated toward zero
}

// Day numbers are fractions of a day, so differences land a hair below the
// whole second; every whole-second difference within a day must still come
// out exact, whatever the time of day it starts at.
TEST(ElapsedTest, EveryWholeSecondOfADayComesOutExact) {
  for (const int start_hour : {0, 7, 13, 23}) {
    const auto start = at(11, start_hour, 0, 0);
    for (int s = 0; s < 86400; s += 7) {
      const int total = start_hour * 3600 + s;
      const auto end = at(11 + total / 86400, total / 3600 % 24, total / 60 % 60, total % 60);
      ASSERT_EQ(elapsed_seconds(start, end), s) << "from hour " << start_hour;
    }
  }
}

TEST(ElapsedTest, DayNumberCountsFromTheEndOf1899) {
  EXPECT_EQ(day_number({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_EQ(day_number({1900, 1, 1, 12, 0, 0}), 2.5);
  EXPECT_EQ(day_number({2000, 1, 1, 0, 0, 0}), 36526.0);
}

}  // namespace
}  // namespace qv::text
