#pragma once

// The totals of events and resources (Allocated, Scheduled, Planned, Links) and the grand totals
// the file header carries, read from the lecture store.

#include "engine/scheduledata.h"

#include <cstdint>

namespace quivra {

// Totals of events first..last (ALLOCATED and SCHEDULED saturate at 65535); returns the PLANNED
// grand total, the sum of PLANNED as it stands after the pass.
std::int32_t totals(ScheduleData &d, int first, int last, bool plannedFromAllocated = false);
void resourceTotals(ScheduleData &d, CodeId r);
void allResourceTotals(ScheduleData &d);

} // namespace quivra
