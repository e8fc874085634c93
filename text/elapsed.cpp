#include "text/elapsed.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace qv::text {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long days_from_civil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kDaysFrom1899To1970 = 25569;
constexpr double kEpsilonSeconds = 5.787037037037037e-6;

}  // namespace

double day_number(const ClockReading& r) {
  const auto days = days_from_civil(r.year, static_cast<unsigned>(r.month), static_cast<unsigned>(r.day)) +
                    kDaysFrom1899To1970;
  const double seconds = r.hour * 3600.0 + r.minute * 60.0 + r.second;
  return static_cast<double>(days) + seconds / 86400.0;
}

std::int32_t elapsed_seconds(const ClockReading& start, const ClockReading& end) {
  const double seconds = std::trunc((day_number(end) - day_number(start)) * 86400.0 + kEpsilonSeconds);
  // Clamp rather than convert out of range, which would be undefined.
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(seconds < lo ? lo : seconds > hi ? hi : seconds);
}

ClockReading read_wall_clock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
          local.tm_sec > 59 ? 59 : local.tm_sec};
}

}  // namespace qv::text
