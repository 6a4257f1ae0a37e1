#pragma once

// Taking placements, allocations and bookings out again: clearing parts of a loaded schedule,
// cutting a week out of a timetable, and the repair that trims what a week cannot hold.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>

namespace quivra {

enum ClearFlags : int {
    ClearAllocations = 1, // implies ClearPlacements
    ClearWeekBookings = 2,
    ClearPlacements = 4,
    ClearSlotBookings = 8, // a resource's slot bookings; written back at once
    TrimToAllocation = 16, // removes placed cells beyond allocated[w], last day and bell first
};
// Clears parts of the loaded schedule in week w (0: wa's first..last week). Does not store,
// except for ClearSlotBookings, which writes the bookings back and reloads `wa`.
void clearWeeks(ScheduleData &d, WeekAllocation &wa, int week, int flags);

// Cuts week w out of every timetable lecture of c and stores; returns old minus new count.
int removeWeekFromTimetable(ScheduleData &d, int c, int w);

struct RepairCounters
{
    std::int32_t allocated = 0;
    std::int32_t scheduled = 0;
    std::int32_t bookedWeeks = 0;
    std::int32_t bookedCells = 0;
    int weeksRepaired = 0;
};
// For the events of c (c itself for an event, its events for a resource, all for 0) in weeks
// from..to: trims placements beyond a week's allocation (the excess only) and drops the
// allocation of a booked week. Counts the periods (weighted by week length) it finds.
int repairWeeks(ScheduleData &d, int c, int from, int to, RepairCounters &counters);

// The consistency pass every save runs: a week with more periods scheduled than allocated loses
// only the excess placements; a week both allocated and booked (the event is blocked there) loses
// its periods. Returns the number of weeks repaired.
int repairWeeks(ScheduleData &d);

} // namespace quivra
