#pragma once

// Completion: places the periods the initial solution left, by moving what stands in their way.
//
// Week by week, the events with periods left take a block on a free stretch of one day of all
// their timetables; where no such stretch exists, the block goes where it pushes out the fewest
// periods of other events (each period weighed by the timetables its event needs), and the
// events pushed out wait for a place in turn (an ejection chain, mostly followed from what was
// pushed out last). A short memory keeps an event just placed from being pushed out again at
// once, and the search keeps the week with the fewest periods left it has seen.
//
// What never moves: bookings, locked events (unless included), events with manually chosen
// rooms, events outside the week's allocation, events in a conflict the week already holds and
// events placed over a booking (moving them would uncover it).
// An event's periods on one day stay one unbroken block of at most `maxPerDay` periods (more
// when the event has more periods than the days can hold that way), so the day rule of the
// initial solution holds for every block the completion places.
//
// Nothing is stored until the week's search ends; then every event that changed is written in
// one pass, its old blocks out first. The run never adds a conflict: every placement is checked
// against all timetabled resources of its event, and the week is counted again afterwards.
// The run is deterministic for the same data, settings and seed.

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "engine/weekmatrix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

struct CompletionSettings
{
    int maxPerDay = 3;          // longest block an event gets on one day
    bool includeLocked = false; // locked events may move and be completed too
    std::uint32_t seed = 1;
    // Steps of the search per period left at the start of a week, at least 20000 per week.
    int effort = 4000;
    // Weeks, days and bells where periods may go (a and b are not used); a zero start or end
    // stands for the calendar's.
    TimeRange range;
    // Only events marked with LinkMarks bit 0 get periods; the others may still move.
    bool markedOnly = false;
};

// An event the run could not complete in one week, with the resources that stand in its way
// most: those whose timetables are full (booked or holding periods that stay) in the cells where
// the event's other timetables are free, most cells first.
struct CompletionLeft
{
    CodeId event = 0;
    int week = 0;
    int periods = 0;
    std::vector<CodeId> blockers;
};

struct CompletionResult
{
    int placed = 0; // periods added
    int moved = 0;  // events whose periods already placed were moved
    int left = 0;   // periods still not placed in the weeks looked at
    std::vector<CompletionLeft> unplaced;
    bool stopped = false;
    bool storeFailed = false; // the lecture store refused a change; that event kept its cells
    int conflictsBefore = 0;
    int conflictsAfter = 0;
    std::string message; // how the run ended, with the events it could not complete
};

// Completes the timetables of the settings' weeks. Ends with a recount.
// `progress` runs over the periods left at the start; its stop request is polled during the
// search, and a stopped run stores the best of the week it was in.
CompletionResult completeTimetables(ScheduleData &d, const CompletionSettings &s,
                                    Progress &progress);
CompletionResult completeTimetables(ScheduleData &d, const CompletionSettings &s);

// New cells of one event in a week matrix's week.
struct CellChange
{
    CodeId event = 0;
    DayMasks from{};
    DayMasks to{};
};
// Gives each event its new cells in the matrix and the store: every event's cells that go first,
// then the new ones, each block only where all the event's rows are free. Returns the events that
// left a cell; storeFailed is set when the store refused a change (that event keeps its cells).
int storeCellChanges(ScheduleData &d, WeekMatrix &m, const std::vector<CellChange> &changes,
                     bool &storeFailed);

// Marks the events of the matrix's week that show over a code a cell hides (a booking placed
// under a period): moving them would uncover it, so they keep their cells.
void markCoveringEvents(const WeekMatrix &m, std::vector<bool> &marks);

// The text of what could not be placed: one line per event, "CODE (week W): N periods, blocked
// by R1, R2", or empty.
std::string completionReport(const ScheduleData &d, const CompletionResult &r);

} // namespace quivra
