#pragma once

// The Timetables view's panels in plain C++: the choice of the week with what each week has
// left to schedule, the bird's eye view of the week (every timetable as one line, all days side
// by side) and its second layout, one code's timetable week by week; the quality grid of the
// week's timetables; and the fit panel, the events that fit the current cell with the allocation
// changes it offers.
//
// Everything here reads or changes the data set through the session's week matrix; an
// allocation change stores the event and builds the week again, so the move log starts anew.

#include "commands/timetablecommands.h"
#include "engine/scheduledata.h"
#include "engine/weekmatrix.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

// ----- week choice ------------------------------------------------------------------------------

// One week of the week choice: the periods allocated to it and scheduled in it over the events
// with resources, and its line "Week 3 (2 out of 10 left)".
struct WeekChoiceLine
{
    int week = 0;
    int allocated = 0;
    int scheduled = 0;
    int left() const { return allocated - scheduled; }
    std::string text;
};
// Weeks 1..the weeks in use.
std::vector<WeekChoiceLine> weekChoiceLines(const ScheduleData &d);
// "Select the active week (of n weeks)".
std::string weekChoiceQuestion(const ScheduleData &d);
// "Select the week to schedule - s out of a periods scheduled in this week".
std::string weekChoiceStatus(const WeekChoiceLine &line);
// "Select the week": the week chosen, 0 when cancelled (or no week is in use).
int selectWeek(const ScheduleData &d, Prompter &p, int current);

// What opening a week reports: the caption, the timetables and the events of the week.
struct WeekOpening
{
    int timetables = 0;
    std::string caption; // "Timetables: n", or "No timetables in this week"
    std::string defined; // "n timetables defined"
    std::string events;  // "Select an event to schedule - ..." or "No events allocated to ..."
};
WeekOpening weekOpening(const WeekMatrix &m);

// ----- bird's eye view
// ------------------------------------------------------------------------------

// A table of lines with all days side by side: column (day - 1) * bells + bell - 1.
struct BirdsEyeLine
{
    CodeId code = 0; // the timetable's resource; the strip's code in a strip line
    int week = 0;    // the week of a strip line; the matrix's week otherwise
    std::string label;
    std::vector<std::string> cells;
};
struct BirdsEyeTable
{
    int days = 0, bells = 0;
    std::vector<std::string> headers; // "Mo 1", "Mo 2", ...
    std::vector<BirdsEyeLine> lines;
};
// Every row of the matrix: its resource and what each cell shows (an event's code, name or
// both after `showMode`, a booking's name).
BirdsEyeTable birdsEyeRows(const ScheduleData &d, const WeekMatrix &m, int showMode);
// The week strip of `code`: its timetable in weeks 1..the last scheduled week, one line each
// (fills the matrix's strip). No lines when fewer than two weeks are scheduled.
BirdsEyeTable weekStripRows(const ScheduleData &d, WeekMatrix &m, CodeId code, int showMode);
// "Copy": the table as text, a header line and one line per row, tab-separated.
std::string birdsEyeText(const BirdsEyeTable &table);
// "Info": the week's timetables, events, periods and clashes.
std::string birdsEyeInfo(const ScheduleData &d, const WeekMatrix &m);

// ----- quality grid -----------------------------------------------------------------------------

struct QualityGridLine
{
    CodeId resource = 0;
    std::string timetable; // code and name
    int index = 0;         // gaps + spread + idle bells
    std::string detail;    // "[G=2 D=1 S=0]"
};
// The week's timetables with gaps, spread or idle bells, the largest quality index first.
std::vector<QualityGridLine> qualityGrid(const ScheduleData &d, const WeekMatrix &m);

// ----- fit panel --------------------------------------------------------------------------------

// The events of the master timetable (every event when there is none) that fit cell (day, bell)
// of the week: every timetable of the event is free there.
std::vector<FitEntry> fitEvents(const ScheduleData &d, const TimetablesSession &s, int day,
                                int bell, FitFilter filter = FitFilter::All);
// "MATH  ALLOC 2 SCHED 1".
std::string fitLine(const ScheduleData &d, const FitEntry &entry, int showMode);

// "Add" one period to the event's allocation of the week, "Remove" one unscheduled period,
// "Clear" its unscheduled periods. Refused (nothing changed) in the protected weeks before the
// first week open for changes, for a locked event, in a week booked for it, above the slots of a
// week and when nothing would change. An added period beyond PLANNED raises PLANNED.
enum class FitChange { Add, Remove, Clear };
TimetableOutcome changeFitAllocation(ScheduleData &d, TimetablesSession &s, CodeId e,
                                     FitChange change);
// "New event": one of the master's events that fit the cell and have nothing allocated to the
// week, chosen in a list, gets one period in the week and becomes the current event.
TimetableOutcome addFitEvent(ScheduleData &d, TimetablesSession &s, Prompter &p, int day, int bell);

} // namespace quivra
