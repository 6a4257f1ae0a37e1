#pragma once

// The Events view's Combine commands: two events with the same resources become one event that
// holds both events' periods, and two events with different resources but the same allocations
// and timetable become one event with the resources of both.
//
// Every pair is offered before it is combined (Yes, No, Cancel or All); a pair combined stays
// combined when a later one is cancelled. Refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

namespace quivra {

// Combines events with identical lists of resources, asking first whether their names must be
// the same too, then pair by pair for the combined event's code and name. The event that is
// combined into the other is deleted first, so the kept event's new code never meets a second
// code of the same text and the references (comments, memos) follow the kept event. True when
// anything changed.
bool combineIdenticalEvents(ScheduleData &d, Prompter &p);

// Combines events with disjoint lists of resources whose PLANNED, week allocations and
// timetables are equal, walking the event list from `start` (wrapping). The kept event takes
// the resources of both; a pair whose collections together would not fit one collection is not
// offered. True when anything changed.
bool combineDisjointEvents(ScheduleData &d, Prompter &p, CodeId start);

} // namespace quivra
