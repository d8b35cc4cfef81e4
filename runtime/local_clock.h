// The system clock, read as local wall-clock fields.
#pragma once

#include <chrono>

#include "model/interval_count.h"

namespace countdown::runtime {

// The present moment: the system clock's current local date and time, with the fraction of the
// second dropped. Throws std::system_error when the clock cannot be read or its time cannot be
// expressed in local time.
// The local time zone is the system's current one, read again once it changes (a TZ variable
// in the environment wins, as for every program).
LocalDateTime LocalNow();

// How long until just after the system clock's next whole second, for a tick that falls when the
// wall clock crosses it.
std::chrono::milliseconds UntilNextSecond();

}  // namespace countdown::runtime
