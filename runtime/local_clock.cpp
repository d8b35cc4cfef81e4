#include "local_clock.h"

#include <cerrno>
#include <ctime>
#include <system_error>

namespace countdown::runtime {

LocalDateTime LocalNow() {
  std::tm fields{};
#ifdef _WIN32
  const __time64_t now = _time64(nullptr);
  if (now == -1) {
    throw std::system_error(errno, std::generic_category(), "The system clock cannot be read");
  }
  if (const errno_t error = _localtime64_s(&fields, &now); error != 0) {
    throw std::system_error(error, std::generic_category(),
                            "The system clock's time cannot be converted to local time");
  }
#else
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) {
    throw std::system_error(errno, std::generic_category(), "The system clock cannot be read");
  }
  // localtime_r keeps the zone it first loaded; tzset looks at the zone file again (one stat when
  // it has not changed) and reloads it when it has.
  tzset();
  if (localtime_r(&now.tv_sec, &fields) == nullptr) {
    throw std::system_error(errno, std::generic_category(),
                            "The system clock's time cannot be converted to local time");
  }
#endif
  return {std::int64_t{fields.tm_year} + 1900,
          fields.tm_mon + 1,
          fields.tm_mday,
          fields.tm_hour,
          fields.tm_min,
          fields.tm_sec};
}

std::chrono::milliseconds UntilNextSecond() {
  using std::chrono::nanoseconds;
  // A millisecond past the boundary: a timer never fires early, and the rounding of its
  // interval to milliseconds must not land it just before.
  constexpr auto kPast = std::chrono::milliseconds(1);
#ifdef _WIN32
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const nanoseconds intoSecond = since - std::chrono::floor<std::chrono::seconds>(since);
#else
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return std::chrono::seconds(1);
  const nanoseconds intoSecond(now.tv_nsec);
#endif
  return std::chrono::ceil<std::chrono::milliseconds>(std::chrono::seconds(1) - intoSecond) + kPast;
}

}  // namespace countdown::runtime
