// The system clock, read as local wall-clock fields.
#pragma once

#include "model/interval_count.h"

namespace countdown::runtime {

// The present moment: the system clock's current local date and time, with the fraction of the
// second dropped. Throws std::system_error when the clock cannot be read or its time cannot be
// expressed in local time.
LocalDateTime LocalNow();

}  // namespace countdown::runtime
