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

}  // namespace countdown::runtime
