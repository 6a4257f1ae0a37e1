#pragma once

// The Weeks view's commands that copy a week: "Copy week", "Paste week", the five items of
// "Paste week Special ...", "Copy timetable to subsequent weeks" and "Compare week".
//
// Every question goes through the Prompter; each returns true when it changed the data set.

#include "commands/weekscommands.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

namespace quivra {

// "Copy week": week w of every code into the state's buffer, with the notice.
void copyWeekToMemory(ScheduleData &d, Prompter &p, WeeksState &s, int w);
// Whether the buffer holds a week whose codes are still where they were copied from.
bool copiedWeekValid(const ScheduleData &d, const WeeksState &s);
// "Paste week": the picked events' entries of week w become those of the copied week.
bool pasteWeekFromMemory(ScheduleData &d, Prompter &p, const WeeksState &s, int w);

// The items of "Paste week Special ...".
enum class PasteSpecial {
    TimetablesToWeek = 1,
    TimetablesToLaterWeeks = 2,
    BookingsToWeek = 3,
    BookingsToLaterWeeks = 4,
    SingleDay = 5,
};
bool pasteWeekSpecial(ScheduleData &d, Prompter &p, const WeeksState &s, int w, PasteSpecial item);

// "Copy timetable to subsequent weeks": event e's timetable of week w into its later allocated
// weeks.
bool copyTimetableToLaterWeeks(ScheduleData &d, Prompter &p, CodeId e, int w);

// "Compare week": week w against a picked week, event by event; the event picked in the list of
// differences, 0 when none was picked.
CodeId compareWeeks(const ScheduleData &d, Prompter &p, int w);

} // namespace quivra
