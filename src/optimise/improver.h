#pragma once

// The search that uses an optimisation's whole time budget.
//
// The optimiser's descent stops at the first timetable where no single move or swap lowers the
// weighted gaps. With a time limit, optimiseWithBudget goes on from there until the time is up or
// no gap is left: a late-acceptance search over one week at a time that moves an event's block of
// a day to another free place, exchanges the places of two blocks that share a timetable, or moves
// a block where others are and finds those a free place elsewhere. A change may raise the gaps a
// little while the search explores (never above the gaps of some recent step), but the timetable
// kept is always the best one seen, so the run never ends worse than the descent.
//
// The search keeps what the descent keeps: the periods and their allocations, the events that are
// locked (unless included), not chosen, in a conflict or given rooms by hand, the bookings, and the
// day rules of the settings (an event's periods of one day in one block of at most maxSeq, and the
// daily counts within their category's limits). It never adds a conflict: every place is checked
// against all the event's timetables, and the matrix and the store take only the best week.

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "optimise/optimiser.h"
#include "optimise/optimisesettings.h"

namespace quivra {

// The optimiser's run (optimise), then, when s.maxSeconds is set and the run ended before it
// without a stop request or a store failure, the search above for the rest of the time. The
// result is the optimiser's with the gaps, statistics and time of the end; `observer` hears of
// every better timetable (at most a few times a second) as a Cycle status.
OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                                  const OptimiseObserver &observer = {});
OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s);

} // namespace quivra
