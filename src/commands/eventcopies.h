#pragma once

// The Events view's commands that copy from one event to others: Duplicate many (copies of the
// current event, each with another resource in place of one of its own) and Copy schedule (the
// weekly periods and timetable of another event taken over by the current one).
//
// Every question can be cancelled with nothing changed; refreshing the views is the caller's
// business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <vector>

namespace quivra {

// Asks for the resource S of event e to substitute, then the substitutes (resources of S's
// category) and a confirmation, and makes one copy of e per substitute with S replaced by it.
// A substitute the event already holds is left out (the copy would hold it twice) and the user
// is told; a full code table ends the copies. True when a copy was made.
bool duplicateMany(ScheduleData &d, Prompter &p, CodeId e);

// The events whose schedule event e could take over: other events with resources and periods
// scheduled, sharing no timetabled resource with e, and whose timetable every timetabled
// resource of e could join without conflict; in event list order, at most 2047.
std::vector<CodeId> scheduleSources(const ScheduleData &d, CodeId e);

// Copy schedule: the user picks one of the sources and e takes over its weekly periods and
// timetable, replacing its own. A locked event is first offered the unlock question. Without
// sources the user may look for an event that has some; that event is returned in *found (0
// otherwise) for the view to make current. True when the data changed.
bool copySchedule(ScheduleData &d, Prompter &p, CodeId e, CodeId *found = nullptr);

// Copy daily schedules: a source and a target day, the weeks and the events, then whether to
// copy the source day's periods onto the target day, erase the target day, or both (erase
// first). A period is copied only where the event and all its timetabled resources are free;
// the weekly periods of a week grow to hold what was copied into it. Locked events among the
// chosen ones are changed only when the user allows it. True when the data changed.
bool copyDailySchedules(ScheduleData &d, Prompter &p);

} // namespace quivra
