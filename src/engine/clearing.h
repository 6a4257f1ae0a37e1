#pragma once

// Taking placements, allocations and bookings out again: clearing parts of a loaded schedule,
// cutting a week out of a timetable, and the repair that trims what a week cannot hold.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>

namespace quivra {

// The parts of a loaded schedule clearWeeks clears.
struct ClearParts
{
    bool allocations = false; // implies placements
    bool weekBookings = false;
    bool placements = false;
    bool slotBookings = false;     // a resource's slot bookings; written back at once
    bool trimToAllocation = false; // placed cells beyond allocated[w], last day and bell first
};
// Clears parts of the loaded schedule in week w (0: wa's first..last week). Does not store,
// except for slot bookings, which are written back at once and `wa` reloaded.
void clearWeeks(ScheduleData &d, WeekAllocation &wa, int week, ClearParts parts);

// Cuts week w out of every timetable lecture of c and stores; returns old minus new count.
int removeWeekFromTimetable(ScheduleData &d, CodeId c, int w);

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
int repairWeeks(ScheduleData &d, CodeId c, int from, int to, RepairCounters &counters);

// The consistency pass every save runs: a week with more periods scheduled than allocated loses
// only the excess placements; a week both allocated and booked (the event is blocked there) loses
// its periods. Returns the number of weeks repaired.
int repairWeeks(ScheduleData &d);

} // namespace quivra
