// Differential fuzzing of IntervalCount: arbitrary codes and local date-times, each count checked
// against a second formulation written here from the rules of the Gregorian calendar alone.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/interval_count.h"

namespace {

using countdown::LocalDateTime;

// Reads fixed-size values off the input, zeros once it runs out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T value{};
    const std::size_t n = std::min(sizeof(T), size_);
    std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }

  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_), size_);
    size_ = 0;
    return rest;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

constexpr std::array<std::string_view, 7> kCodes{"s", "n", "h", "ww", "d", "m", "yyyy"};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

bool Leap(std::int64_t y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int DaysInMonth(std::int64_t y, int m) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[m - 1] + (m == 2 && Leap(y) ? 1 : 0);
}

bool Valid(const LocalDateTime& t) {
  return t.year >= countdown::kMinYear && t.year <= countdown::kMaxYear && t.month >= 1 &&
         t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 60;
}

// Days since 1 January of year 1, which was a Monday: whole years, then whole months, then days.
std::int64_t Days(const LocalDateTime& t) {
  constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const std::int64_t y = t.year - 1;
  return 365 * y + FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400) + kBefore[t.month - 1] +
         (t.month > 2 && Leap(t.year) ? 1 : 0) + t.day - 1;
}

// Days numbered from a Monday; weekday 0 is Monday ... 6 is Sunday.
int Weekday(std::int64_t days) { return static_cast<int>(days - FloorDiv(days, 7) * 7); }

// How many days falling on `weekday` lie after day `from`, up to and including day `to`.
std::int64_t WeekdaysAfter(std::int64_t from, std::int64_t to, int weekday) {
  if (from > to) return -WeekdaysAfter(to, from, weekday);
  const int ahead = (weekday - Weekday(from) + 7) % 7;
  const std::int64_t first = from + (ahead == 0 ? 7 : ahead);
  return first > to ? 0 : (to - first) / 7 + 1;
}

std::int64_t Expected(std::string_view code, const LocalDateTime& a, const LocalDateTime& b,
                      unsigned firstDayOfWeek) {
  const std::int64_t days = Days(b) - Days(a);
  if (code == "yyyy") return b.year - a.year;
  if (code == "m") return (b.year - a.year) * 12 + b.month - a.month;
  if (code == "ww") {
    // std::chrono numbers weekdays from Sunday (0); here they run from Monday.
    return WeekdaysAfter(Days(a), Days(b), static_cast<int>((firstDayOfWeek + 6) % 7));
  }
  if (code == "d") return days;
  const std::int64_t hours = days * 24 + b.hour - a.hour;
  if (code == "h") return hours;
  const std::int64_t minutes = hours * 60 + b.minute - a.minute;
  if (code == "n") return minutes;
  return minutes * 60 + b.second - a.second;
}

LocalDateTime TakeDateTime(Input& in) {
  // Years mostly near the present, often far from it, sometimes anywhere a clock can reach.
  const auto scale = in.Take<std::uint8_t>();
  const auto raw = in.Take<std::int64_t>();
  std::int64_t year = 0;
  switch (scale % 4) {
    case 0:
      year = 1900 + raw % 1200;
      break;
    case 1:
      year = raw % 1000000;
      break;
    case 2:
      year = countdown::kMinYear +
             static_cast<std::int64_t>(
                 static_cast<std::uint64_t>(raw) %
                 static_cast<std::uint64_t>(countdown::kMaxYear - countdown::kMinYear + 2));
      break;
    default:
      year = raw;
      break;  // mostly out of range
  }
  LocalDateTime t{year,
                  in.Take<std::uint8_t>(),
                  in.Take<std::uint8_t>(),
                  in.Take<std::uint8_t>(),
                  in.Take<std::uint8_t>(),
                  in.Take<std::uint8_t>()};
  if (scale & 0x80) return t;  // fields as they came, often invalid
  t.month = 1 + t.month % 12;
  t.day = 1 + t.day % DaysInMonth(t.year, t.month);
  t.hour %= 24;
  t.minute %= 60;
  t.second %= 61;
  return t;
}

[[noreturn]] void Mismatch(const char* what, std::string_view code, const LocalDateTime& a,
                           const LocalDateTime& b, long long got, long long expected) {
  std::fprintf(stderr,
               "mismatch (%s) for \"%.*s\" from %lld-%d-%d %d:%d:%d to %lld-%d-%d %d:%d:%d: "
               "got %lld, expected %lld\n",
               what, static_cast<int>(code.size()), code.data(), static_cast<long long>(a.year),
               a.month, a.day, a.hour, a.minute, a.second, static_cast<long long>(b.year), b.month,
               b.day, b.hour, b.minute, b.second, got, expected);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const auto selector = in.Take<std::uint8_t>();
  const auto firstDay = in.Take<std::uint8_t>();
  const LocalDateTime a = TakeDateTime(in);
  const LocalDateTime b = TakeDateTime(in);
  const std::string code = selector < 224 ? std::string(kCodes[selector % 7]) : in.Rest();
  const unsigned weekday = firstDay < 250 ? firstDay % 7u : firstDay;

  bool known = false;
  for (const std::string_view c : kCodes) known = known || c == code;
  const bool valid = Valid(a) && Valid(b);
  if (countdown::IsValid(a) != Valid(a)) Mismatch("validity", code, a, b, !Valid(a), Valid(a));
  if (countdown::IsValid(b) != Valid(b)) Mismatch("validity", code, a, b, !Valid(b), Valid(b));

  try {
    const std::int64_t got = countdown::IntervalCount(code, a, b, std::chrono::weekday{weekday},
                                                      countdown::FirstWeekOfYear::Jan1);
    if (!known || !valid || weekday > 6) Mismatch("accepted", code, a, b, got, 0);
    const std::int64_t expected = Expected(code, a, b, weekday);
    if (got != expected) Mismatch("count", code, a, b, got, expected);
  } catch (const std::invalid_argument&) {
    if (known && valid && weekday <= 6)
      Mismatch("refused", code, a, b, 0, Expected(code, a, b, weekday));
  }
  return 0;
}
