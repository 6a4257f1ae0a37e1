#pragma once

// Allocating an event's periods to weeks: how many a week can take, automatic allocation by
// week pattern or by the least loaded weeks, and shifting or removing allocations. The
// functions change a loaded WeekAllocation; the caller stores unless a function says it does.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>

namespace quivra {

// How many more periods week w can take: 0 for booked weeks, weeks before currentWeek or
// after the used weeks; else the periods left (in real weeks) and the room left in the week.
int allocatableInWeek(const ScheduleData &d, const WeekAllocation &wa, int w);

// Week patterns for automatic allocation: bit p of `enabled` enables pattern p (0 = all weeks,
// 1 odd, 2 even, 3 lower half, 4 upper half, 5..7 pairs); `last` is the pattern used last.
struct AllocationPatterns
{
    std::uint8_t enabled = 1;
    int last = 0;
};
bool weekFitsPattern(int pattern, int w, int first, int last);
// Clears the allocations of weeks currentWeek..last, then deals the missing periods one per
// qualifying week per pass with the next enabled pattern; clears the placements of those
// weeks. Returns the new Allocated. The caller stores.
int distributeByPattern(ScheduleData &d, WeekAllocation &wa, CodeId e, int last,
                        AllocationPatterns &patterns);
// Allocates the missing periods one by one to the weeks where the event's resources of
// `category` are least loaded (allocated periods per week; ties and an event without such
// resources go to the earliest week). Only weeks that can take a period are used; ends when
// none is left. Stores; returns the periods allocated.
int allocateLeastLoaded(ScheduleData &d, WeekAllocation &wa, CodeId e, int category);
enum class ShiftDirection { Earlier, Later };
// Moves the allocations (and week bookings) from week w on one week later, or up to week w one
// week earlier; trims placements to the new allocations. The caller stores.
bool shiftAllocation(ScheduleData &d, WeekAllocation &wa, int w, ShiftDirection direction);
// Takes one allocated period from the last week of a..b that has one, removing one placed cell
// (last day, highest bell) when the week then holds more placed than allocated. Returns the
// week, 0 when none.
int removeOneAllocated(ScheduleData &d, WeekAllocation &wa, int a, int b);

} // namespace quivra
