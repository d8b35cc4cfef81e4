#include "interval_count.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace countdown {
namespace {

using std::chrono::sys_days;

enum class Unit { Second, Minute, Hour, Week, Day, Month, Year };

[[noreturn]] void UnknownCode(std::string_view code) {
  throw std::invalid_argument("Invalid procedure call or argument: unknown interval code \"" +
                              std::string(code) + "\"");
}

Unit ParseCode(std::string_view code) {
  if (code.size() == 1) {
    switch (code[0]) {
      case 's':
        return Unit::Second;
      case 'n':
        return Unit::Minute;
      case 'h':
        return Unit::Hour;
      case 'd':
        return Unit::Day;
      case 'm':
        return Unit::Month;
      default:
        break;
    }
  } else if (code == "ww") {
    return Unit::Week;
  } else if (code == "yyyy") {
    return Unit::Year;
  }
  UnknownCode(code);
}

constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The Gregorian calendar repeats every 400 years, and 400 years are a whole number of days and
// of weeks. std::chrono::year only spans +-32767, so a date is first moved into the cycle that
// starts at year 0 and the cycles are added back as days.
constexpr std::int64_t kDaysPer400Years = 146097;
static_assert(kDaysPer400Years % 7 == 0);

// The day number of `t` (day 0 is 1 January 1970), or nothing if `t` is not a valid local
// date-time.
std::optional<std::int64_t> DayNumber(const LocalDateTime& t) {
  if (t.year < kMinYear || t.year > kMaxYear) return std::nullopt;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) return std::nullopt;
  if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59) return std::nullopt;
  if (t.second < 0 || t.second > 60) return std::nullopt;
  const std::int64_t cycles = FloorDiv(t.year, 400);
  const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(t.year - cycles * 400)},
                                         std::chrono::month{static_cast<unsigned>(t.month)},
                                         std::chrono::day{static_cast<unsigned>(t.day)}};
  if (!date.ok()) return std::nullopt;
  return sys_days{date}.time_since_epoch().count() + cycles * kDaysPer400Years;
}

[[noreturn]] void NotADateTime(const LocalDateTime& t) {
  throw std::invalid_argument("Invalid procedure call or argument: " + std::to_string(t.year) +
                              "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
                              std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
                              std::to_string(t.second) + " is not a local date-time");
}

std::int64_t ValidDayNumber(const LocalDateTime& t) {
  const auto day = DayNumber(t);
  if (!day) NotADateTime(t);
  return *day;
}

std::int64_t SecondOfDay(const LocalDateTime& t) {
  return 3600 * std::int64_t{t.hour} + 60 * std::int64_t{t.minute} + t.second;
}

std::int64_t MinuteOfDay(const LocalDateTime& t) { return 60 * std::int64_t{t.hour} + t.minute; }

}  // namespace

bool IsValid(const LocalDateTime& t) { return DayNumber(t).has_value(); }

std::int64_t IntervalCount(std::string_view code, const LocalDateTime& first,
                           const LocalDateTime& second, std::chrono::weekday firstDayOfWeek,
                           FirstWeekOfYear /*firstWeekOfYear*/) {
  const Unit unit = ParseCode(code);
  const std::int64_t firstDay = ValidDayNumber(first);
  const std::int64_t secondDay = ValidDayNumber(second);
  if (!firstDayOfWeek.ok()) {
    throw std::invalid_argument("Invalid procedure call or argument: no such first day of week");
  }

  const std::int64_t days = secondDay - firstDay;
  switch (unit) {
    case Unit::Year:
      return second.year - first.year;
    case Unit::Month:
      return 12 * (second.year - first.year) + second.month - first.month;
    case Unit::Week: {
      // A week is counted at its first day: the number of such days after the first date, up to
      // and including the second date. weekStart is a day number that falls on firstDayOfWeek.
      const std::int64_t weekStart = (firstDayOfWeek - std::chrono::weekday{sys_days{}}).count();
      return FloorDiv(secondDay - weekStart, 7) - FloorDiv(firstDay - weekStart, 7);
    }
    case Unit::Day:
      return days;
    case Unit::Hour:
      return 24 * days + second.hour - first.hour;
    case Unit::Minute:
      return 1440 * days + MinuteOfDay(second) - MinuteOfDay(first);
    case Unit::Second:
      return 86400 * days + SecondOfDay(second) - SecondOfDay(first);
  }
  throw std::logic_error("unknown interval unit");
}

}  // namespace countdown
