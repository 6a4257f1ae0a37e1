#pragma once

// Codes as a whole: their order (sorting), their categories and the names of new events.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

namespace quivra {

// Sort events (or resources) by ...: the user chooses the key (for events also "EVENT
// RESOURCES", the first resource of a chosen category); the code table is sorted and every store
// renumbered. True when sorted.
bool sortCodesBy(ScheduleData &d, Prompter &p, bool events, bool ascending, bool categoryFirst);
// Sort event resources: the resources of every event in category order, then by code; says how
// many events changed. True when any did.
bool sortEventResources(ScheduleData &d, Prompter &p, bool ascending);

// Moves code c (0: the codes the user picks, all of the first picked code's kind) to a category
// the user chooses among the named categories of its kind. The flag word is rebuilt (an event
// keeps its lock, a resource takes its category's no-timetable rule; marks are cleared) and the
// data set recounted. Returns the category, 0 when cancelled.
int recategorise(ScheduleData &d, Prompter &p, CodeId c = 0);

// After an event was made from another (a split or a copy): offers to put a form of each
// event's code in front of its name ("CODE name", "[CODE]name", "(CODE)name", ...), so the two
// can be told apart. Asked only while *keepAsking is true; its "Don't ask this again" box clears
// it. Names keep their stored length limit. Returns the form chosen (1..6), 0 when none.
int attributeNewEvent(ScheduleData &d, Prompter &p, CodeId newEvent, CodeId original,
                      bool *keepAsking);

} // namespace quivra
