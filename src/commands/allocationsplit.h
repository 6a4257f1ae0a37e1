#pragma once

// The Weeks view's pop-up commands that make a new event from the current one: "Duplicate
// event", "Split allocation from", "Balance allocation from" and "Use unscheduled periods
// from", and the "Cancel" that undoes the last of them while nothing else has changed since.
//
// Every question goes through the Prompter; each returns true when it changed the data set.

#include "commands/weekscommands.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <cstdint>

namespace quivra {

enum class SplitKind { Duplicate = 1, Split = 2, Balance = 3, Unscheduled = 4 };

// A new event after e with e's record, a new code and e's resources. Duplicate: the copy gets
// e's allocations and week bookings, no placements. Split: the copy takes e's allocations and
// placements of weeks w..the picked last week. Unscheduled: the copy takes what is allocated
// but not scheduled in those weeks. Balance: the copy gets half of each week's allocation
// (rounded down) and the cells the event has placed beyond what it keeps. The copy's id is left
// in *made.
bool splitAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w, SplitKind kind,
                     CodeId *made = nullptr);
// Whether the Cancel of the last split may run: both events still exist and nothing changed.
bool lastSplitOpen(const ScheduleData &d, const WeeksState &s);
// The Cancel: the copy's allocations (capped at a week's slots) and placements go back to the
// event, PLANNED becomes ALLOCATED, the copy is deleted; after a duplicate each week's
// allocation is halved again, never below its scheduled periods.
bool cancelLastSplit(ScheduleData &d, Prompter &p, WeeksState &s);

// A digest of what the data say (lectures, codes without their link marks, collections), to
// tell whether anything changed.
std::uint64_t dataFingerprint(const ScheduleData &d);

} // namespace quivra
