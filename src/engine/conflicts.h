#pragma once

// Occupancy and conflict detection: which resources are checked, what blocks a slot, and the
// sweep that finds and removes conflicts.

#include "engine/scheduledata.h"

namespace quivra {

// Outcome of a conflict sweep. `first` is the first conflicting cell found: the resource, and
// the two events with the one earlier in eventList first.
struct ConflictReport
{
    int found = 0;   // conflicting cells found
    int removed = 0; // cells removed
    bool hasFirst = false;
    int week = 0, day = 0, bell = 0;
    CodeId resource = 0;
    CodeId eventA = 0;
    CodeId eventB = 0;
};

// Sweeps weeks fromWeek..used weeks for conflicts without asking anything; with `remove` the
// later event's cells are cleared.
ConflictReport sweepConflicts(ScheduleData &d, int fromWeek, bool remove);

} // namespace quivra
