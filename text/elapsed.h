#pragma once
#include <cstdint>
#include <string>

namespace qv::text {

// One reading of the wall clock: local date and time to the whole second.
struct ClockReading {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The reading as a day number: whole days since 1899-12-30 plus the time of
// day as a fraction, the form in which job times have always been subtracted.
double day_number(const ClockReading& reading);

// The whole seconds from start to end: the difference in days times 86400,
// plus a small epsilon so that a difference that comes out as 2.9999999 in
// floating point still counts as 3, truncated toward zero. Readings a day
// apart across a clock change count as the clock shows them.
std::int32_t elapsed_seconds(const ClockReading& start, const ClockReading& end);

// The current local time.
ClockReading read_wall_clock();

}  // namespace qv::text
