#pragma once

// The search that uses an optimisation's whole time budget.
//
// The optimiser's descent stops at the first timetable where no single move or swap lowers the
// weighted gaps. With a time limit, optimiseWithBudget goes on from there until the time is up or
// no gap is left, one week at a time, with a late-acceptance search: a step mostly rebuilds a day
// of a timetable that has gaps (its blocks come out, with those of another day of a timetable
// they share, and go back one after another where they add fewest gaps, pushing others out where
// they must, until all are back), now and then it moves one block to a free place, exchanges two
// blocks that share a timetable, or pushes blocks out of a place and finds them another. A step
// is kept when the gaps are no higher than now or than a hundred steps ago, so the search can
// cross a ridge; the timetable kept is always the best one seen, so the run never ends worse
// than the descent.
//
// The search keeps what the descent keeps: the periods and their allocations, the events that are
// locked (unless included), not chosen, in a conflict, given rooms by hand or with a block the
// length filter leaves out, the bookings, blocks no shorter than the filter's shortest, and the
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
// better timetables (at most four times a second, and at the end) as Cycle statuses with the
// gaps in total and per category.
OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                                  const OptimiseObserver &observer = {});
OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s);

} // namespace quivra
