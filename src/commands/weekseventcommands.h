#pragma once

// The Weeks view's commands over many events at once: "Book this week ...", "Set ALLOCATED =
// SCHEDULED ...", "Increase allocations by one  ...", "Set PLANNED = ALLOCATED ..." and "Mark
// events by resource" with its next and previous marked event.
//
// Every question goes through the Prompter; each returns true when it changed the data set.

#include "commands/weekscommands.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

// The items of "Book this week ...".
enum class BookWeek { AllEvents = 1, CancelAll = 2, PickedEvents = 3 };
bool bookWeekOfEvents(ScheduleData &d, Prompter &p, int w, BookWeek item);

// "Set ALLOCATED = SCHEDULED ..." (scheduledOnly) and "Increase allocations by one  ...": the
// picked events in the picked weeks.
bool adjustAllocations(ScheduleData &d, Prompter &p, bool scheduledOnly);

// "Set PLANNED = ALLOCATED ...": the picked events.
bool setPlannedToAllocated(ScheduleData &d, Prompter &p);

// "Optimise (for demos only)" 1, "Automatic allocation": after the sure question, every
// unlocked event with ALLOCATED below PLANNED gets its missing periods in the weeks where its
// resources of the category with the most resources are least loaded. True when any was
// allocated.
bool demoAllocation(ScheduleData &d, Prompter &p);
// The sure question of "Optimise (for demos only)"; true for yes.
bool askDemoOptimise(Prompter &p);
// The allocation of "Optimise (for demos only)" without its question, stepping `progress` over
// the events; a stop request ends it there.
bool allocateMissingPeriods(ScheduleData &d, Progress &progress);

// "Mark events by resource": the events of a picked resource, kept by their codes; the number
// marked (0 when cancelled).
int markEventsByResource(const ScheduleData &d, Prompter &p, std::vector<std::string> &marked);
// The next (step 1) or previous (step -1) marked event after `from` in the event list,
// cyclically; 0 when none is marked.
CodeId nextMarkedEvent(const ScheduleData &d, const std::vector<std::string> &marked, CodeId from,
                       int step);

// The Sum window's resource r of event e clicked: the events holding r are marked (by their
// codes) for Ctrl+N and Ctrl+P, `hint` says so, and "Replace "r" in event "e" ?" offers the
// resource replacement. True when the replacement changed the data set.
bool sumWindowResource(ScheduleData &d, Prompter &p, std::vector<std::string> &marked, CodeId e,
                       CodeId r, std::string &hint);

// The Bird's eye view's cell (resource r, week w): r's events with periods in the week, each as
// "code(scheduledh+unscheduledh=allocatedh) name"; the event picked from them, 0 when none was
// (or the week has none, which a message says).
struct WeekEventLine
{
    CodeId event = 0;
    std::string text;
};
std::vector<WeekEventLine> resourceWeekEvents(const ScheduleData &d, CodeId r, int w);
CodeId birdsEyeCell(const ScheduleData &d, Prompter &p, CodeId r, int w);

} // namespace quivra
