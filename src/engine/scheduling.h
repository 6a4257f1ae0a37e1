#pragma once

// Scheduling operations: week allocations, placing and removing blocks, bookings, and the
// week-level edits. The only code that changes the lecture store besides the recount.

#include "engine/scheduledata.h"

namespace quivra {

// The consistency pass every save runs: a week with more periods scheduled than allocated loses
// only the excess placements; a week both allocated and booked loses its booking. Returns the
// number of weeks repaired.
int repairWeeks(ScheduleData &d);

} // namespace quivra
