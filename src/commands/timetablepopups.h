#pragma once

// The Timetables view's pop-up menus.
//
// The event list's menu changes the periods of the current event in the active week: one period
// more or fewer for the event (its PLANNED follows), its unscheduled periods of the week cleared,
// another event brought into the week, or the event taken out of it. Each is refused for a locked
// event, in the weeks before the current week and beyond the slots a week has; a change stores
// the event, builds the week's matrix again (so its move log starts anew) and says what the event
// has now.
//
// The linked timetables' menu acts on one resource of the current event, the one whose linked
// timetable was clicked (the session's linkedTarget): it makes that timetable the master, hides
// the linked timetables of its category or shows all again, replaces the resource by another of
// its category that can join the event, or removes it from the event. A replacement and a removal
// are steps of the move log, so Undo takes them back and Redo does them again.

#include "commands/timetablecommands.h"

#include <string>
#include <vector>

namespace quivra {

// ----- the event list ---------------------------------------------------------------------------

enum class PeriodChange {
    Add,              // "Add one period to this event": one more in the week, PLANNED one more
    Remove,           // "Remove one period from this event": one fewer, never below SCHEDULED
    ClearUnscheduled, // "Clear unscheduled periods from this event": ALLOCATED = SCHEDULED
};
TimetableOutcome changeEventPeriods(ScheduleData &d, TimetablesSession &s, PeriodChange change);

// The events "Add a new event to this week" offers: events with resources that use the master
// timetable, have nothing allocated to the week, are not booked in it and are not locked.
std::vector<CodeId> eventsToAdd(const ScheduleData &d, const TimetablesSession &s);
// Asks for one of them; it gets one period in the week and becomes the current event.
TimetableOutcome addEventToWeek(ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Remove this event (or set ALLOCATED=0)": the current event leaves the week; refused while
// periods of it are scheduled in the week.
TimetableOutcome removeEventFromWeek(ScheduleData &d, TimetablesSession &s);

// ----- the linked timetables --------------------------------------------------------------------

// Whether the linked timetable of resource r is hidden with its category.
bool linkedHidden(const ScheduleData &d, const TimetablesSession &s, CodeId r);
// "Activate this timetable (Double-click)": the linked timetable becomes the master.
TimetableOutcome activateLinked(TimetablesSession &s);
// "Hide timetables of this category" and "Show timetables of all categories".
TimetableOutcome hideLinkedCategory(const ScheduleData &d, TimetablesSession &s);
TimetableOutcome showLinkedCategories(TimetablesSession &s);

// The resources that can replace r in the current event: of r's category, with a timetable, not
// yet in the event, and free wherever the event is scheduled in any week.
std::vector<CodeId> replacementsFor(const ScheduleData &d, const TimetablesSession &s, CodeId r);
// "Replace this resource": the chosen resource takes the linked one's place in the collection
// and its cells in the matrix. Refused for a locked event.
TimetableOutcome replaceLinked(ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Remove this resource", after its question. Refused for a locked event and for the event's
// last timetabled resource (the event would have no timetable to be scheduled in).
TimetableOutcome removeLinked(ScheduleData &d, TimetablesSession &s, Prompter &p);

// The captions of those two items for the linked timetable of r: "Replace "R" in event "E"" and
// "Remove "R" from event "E"".
std::string replaceLinkedCaption(const ScheduleData &d, const TimetablesSession &s, CodeId r);
std::string removeLinkedCaption(const ScheduleData &d, const TimetablesSession &s, CodeId r);

// The hint of cell (day, bell) of r's linked timetable: whether the current event can go there
// and what a double-click does, and the room manually selected there.
std::string linkedCellHint(const ScheduleData &d, const TimetablesSession &s, CodeId r, int day,
                           int bell);

} // namespace quivra
