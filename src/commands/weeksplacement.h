#pragma once

// Automatic placement from the Weeks view: the initial solution run on a few events and weeks
// with the view's fixed block settings, over the days and bells of the optimisation range (the
// calendar in use when that range is empty). Used after an allocation changes while the option
// "Schedule events automatically after allocating periods to weeks in Weeks view" is on, after
// "Auto-allocate", by "Fill current week" and by the scheduling of "Optimise (for demos only)".

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

struct WeeksPlacement
{
    int placed = 0;              // periods placed, each week counted with its length
    std::vector<CodeId> changed; // events that got periods
    std::string storeFull;       // the message naming the events the full store refused
};

// Places the unscheduled periods of `events` in weeks w1..w2 (cut to the weeks in use). Locked
// events are left as they are. Only lectures are added: nothing placed before moves. The marks
// of the events are kept.
WeeksPlacement placeInWeeks(ScheduleData &d, const std::vector<CodeId> &events, int w1, int w2,
                            Progress &progress);
WeeksPlacement placeInWeeks(ScheduleData &d, const std::vector<CodeId> &events, int w1, int w2);

// "Fill current week": after the sure question, every event's unscheduled periods of week w are
// placed. Refused in a protected week. True when anything was placed.
bool fillCurrentWeek(ScheduleData &d, Prompter &p, Progress &progress, int w);

// "Optimise (for demos only)" 2 "Automatic scheduling" and 3 "Both": after the sure question,
// every unlocked event (with "Both" first given its missing periods in the least loaded weeks)
// gets its unscheduled periods placed over the whole calendar. `optimise` tells whether the user
// then wants the timetables optimised. True when the data set changed.
struct DemoRun
{
    bool changed = false;
    bool optimise = false;
};
DemoRun demoScheduling(ScheduleData &d, Prompter &p, Progress &progress, bool allocateFirst);

} // namespace quivra
