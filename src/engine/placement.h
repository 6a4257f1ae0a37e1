#pragma once

// Placing an event's periods into timetable slots: blocks placed and removed, a week's cells
// copied into other weeks, and the question asked before a locked event is changed. Callers test
// the rules of conflicts.h before they place anything; nothing here asks the user or tests a
// lock (lockGuard is the question the commands ask).

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <functional>

namespace quivra {

// Adds a block (weeks, days, bells of `block`) to the event's periods and stores. Each week of
// the block gets at least as many allocated periods as it then has placed, so nothing placed
// is lost at the next save. Returns the entries stored, 0 when nothing was done.
int placeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block);
// Removes exactly the block's cells from the event's periods and stores; allocations stay.
int removeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block);

struct WeekCopyOptions
{
    bool ignoreAllocation = false; // copy whether or not the target week has periods left
    bool replace = false;          // clear the target weeks' placements first
};
// Copies the event's cells of week s into weeks first..last (not s) where no resource is busy,
// the week is not booked and (unless ignoreAllocation) periods are left. Returns cells copied.
int copyWeekTimetable(ScheduleData &d, WeekAllocation &wa, int s, int first, int last,
                      WeekCopyOptions options);

// The question asked before a locked event is changed; `askUnlock` gets the event and returns
// true to unlock. True when the change may go on.
bool lockGuard(ScheduleData &d, CodeId e, const std::function<bool(CodeId event)> &askUnlock);

} // namespace quivra
