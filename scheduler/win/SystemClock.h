// The system's local time as the schedule reads it.
#pragma once

#include <utility>

#include "scheduler/core/History.h"
#include "scheduler/core/WakeTime.h"
#include "scheduler/core/Calendar.h"

namespace cuelark {

// Now, to the millisecond.
StartedAt CurrentTime();

// The local time and the offset from UTC in effect (minutes), of one
// instant, so that a daylight-saving change between two readings cannot mix
// them.
std::pair<LocalDateTime, int> LocalTimeAndOffset();
// The wall clock in UTC, and local time minus UTC (minutes) at an instant.
UtcInstant UtcNow();
int UtcOffsetMinutesAt(UtcInstant instant);

}  // namespace cuelark
