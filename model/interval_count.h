// Counting calendar intervals between two local date-times.
#pragma once

#include <chrono>
#include <climits>
#include <cstdint>
#include <string_view>

namespace countdown {

// A calendar date and a time of day in whole seconds, in local time, with no time zone attached.
// Differences between two of them are taken on the calendar: every day has 86,400 seconds.
struct LocalDateTime {
  std::int64_t year = 1;
  int month = 1;   // 1 ... 12
  int day = 1;     // 1 ... last day of the month
  int hour = 0;    // 0 ... 23
  int minute = 0;  // 0 ... 59
  int second = 0;  // 0 ... 60 (60 only during a leap second)

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The years a local date-time may have: every year that `struct tm` can hold, which covers every
// time the system clock can report. All counts between two such date-times fit in 64 bits.
inline constexpr std::int64_t kMinYear = std::int64_t{INT_MIN} + 1900;
inline constexpr std::int64_t kMaxYear = std::int64_t{INT_MAX} + 1900;

// Whether `t` is a real calendar date and time of day within kMinYear ... kMaxYear.
bool IsValid(const LocalDateTime& t);

// The moment counted down to: 1 January 3000, 00:00:00.
constexpr LocalDateTime TargetDate() { return {3000, 1, 1, 0, 0, 0}; }

// How the first week of a year is chosen. Accepted for completeness of the call; none of the
// counts below depends on it.
enum class FirstWeekOfYear { Jan1, FirstFourDays, FirstFullWeek };

// The number of calendar boundaries of the unit `code` crossed from `first` to `second`:
//   "yyyy" years, "m" months, "ww" weeks beginning on `firstDayOfWeek`, "d" days, "h" hours,
//   "n" minutes, "s" seconds.
// Negative when `first` is later than `second`. An unknown code, an invalid date-time or an
// invalid weekday throws std::invalid_argument.
std::int64_t IntervalCount(std::string_view code, const LocalDateTime& first,
                           const LocalDateTime& second, std::chrono::weekday firstDayOfWeek,
                           FirstWeekOfYear firstWeekOfYear);

}  // namespace countdown
