#include "interval_count.h"

#include <stdexcept>
#include <string>

namespace countdown {
namespace {

using std::chrono::sys_days;

enum class Unit { Second, Minute, Hour, Week, Day, Month, Year };

Unit ParseCode(std::string_view code) {
  if (code == "s") return Unit::Second;
  if (code == "n") return Unit::Minute;
  if (code == "h") return Unit::Hour;
  if (code == "ww") return Unit::Week;
  if (code == "d") return Unit::Day;
  if (code == "m") return Unit::Month;
  if (code == "yyyy") return Unit::Year;
  throw std::invalid_argument("Invalid procedure call or argument: unknown interval code \"" +
                              std::string(code) + "\"");
}

constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The Gregorian calendar repeats every 400 years, and 400 years are a whole number of days and
// of weeks. std::chrono::year only spans +-32767, so dates are first moved into the cycle that
// starts at year 0 and the cycles are added back as days.
constexpr std::int64_t kDaysPer400Years = 146097;
static_assert(kDaysPer400Years % 7 == 0);

struct CycleDate {
  std::int64_t cycles;
  std::chrono::year_month_day date;
};

CycleDate InCycle(const LocalDateTime& t) {
  const std::int64_t cycles = FloorDiv(t.year, 400);
  const auto yearInCycle = static_cast<int>(t.year - cycles * 400);
  return {cycles, std::chrono::year_month_day{std::chrono::year{yearInCycle},
                                              std::chrono::month{static_cast<unsigned>(t.month)},
                                              std::chrono::day{static_cast<unsigned>(t.day)}}};
}

// Consecutive day numbers: day 0 is 1 January 1970.
std::int64_t DayNumber(const LocalDateTime& t) {
  const CycleDate c = InCycle(t);
  return sys_days{c.date}.time_since_epoch().count() + c.cycles * kDaysPer400Years;
}

std::int64_t DaysBetween(const LocalDateTime& a, const LocalDateTime& b) {
  return DayNumber(b) - DayNumber(a);
}

std::int64_t SecondOfDay(const LocalDateTime& t) {
  return 3600 * std::int64_t{t.hour} + 60 * std::int64_t{t.minute} + t.second;
}

std::int64_t MinuteOfDay(const LocalDateTime& t) { return 60 * std::int64_t{t.hour} + t.minute; }

void RequireValid(const LocalDateTime& t) {
  if (!IsValid(t)) {
    throw std::invalid_argument("Invalid procedure call or argument: " + std::to_string(t.year) +
                                "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
                                std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
                                std::to_string(t.second) + " is not a local date-time");
  }
}

}  // namespace

bool IsValid(const LocalDateTime& t) {
  if (t.year < kMinYear || t.year > kMaxYear) return false;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) return false;
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59) return false;
  if (t.second < 0 || t.second > 60) return false;
  return InCycle(t).date.ok();
}

std::int64_t IntervalCount(std::string_view code, const LocalDateTime& first,
                           const LocalDateTime& second, std::chrono::weekday firstDayOfWeek,
                           FirstWeekOfYear /*firstWeekOfYear*/) {
  const Unit unit = ParseCode(code);
  RequireValid(first);
  RequireValid(second);
  if (!firstDayOfWeek.ok()) {
    throw std::invalid_argument("Invalid procedure call or argument: no such first day of week");
  }

  switch (unit) {
    case Unit::Year:
      return second.year - first.year;
    case Unit::Month:
      return 12 * (second.year - first.year) + second.month - first.month;
    case Unit::Week: {
      // A week is counted at its first day: the number of such days after the first date, up to
      // and including the second date. weekStart is a day number that falls on firstDayOfWeek.
      const std::int64_t weekStart = (firstDayOfWeek - std::chrono::weekday{sys_days{}}).count();
      return FloorDiv(DayNumber(second) - weekStart, 7) - FloorDiv(DayNumber(first) - weekStart, 7);
    }
    case Unit::Day:
      return DaysBetween(first, second);
    case Unit::Hour:
      return 24 * DaysBetween(first, second) + second.hour - first.hour;
    case Unit::Minute:
      return 1440 * DaysBetween(first, second) + MinuteOfDay(second) - MinuteOfDay(first);
    case Unit::Second:
      return 86400 * DaysBetween(first, second) + SecondOfDay(second) - SecondOfDay(first);
  }
  throw std::logic_error("unknown interval unit");
}

}  // namespace countdown
