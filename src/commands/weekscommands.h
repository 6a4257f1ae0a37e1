#pragma once

// The Weeks view's commands on the events-by-weeks grid: allocating an event's periods to weeks
// (typing, one up or down, erasing), week bookings, the row commands up to the selected week,
// PLANNED, automatic allocation, shifting, inserting, deleting and splitting weeks, the week
// length, protecting the first weeks, copying one event's allocation to another, locking, the
// search for unallocated events and the prerequisites check.
//
// Every command takes the event and the week of the grid's current cell, asks its questions
// through the Prompter and returns true when it changed the data set (the views then rebuild).
// A command that changes one event's cells stores the event's allocation and recomputes its
// totals; a cancelled question leaves everything as it was.

#include "engine/allocation.h"
#include "engine/scheduledata.h"
#include "engine/weekstructure.h"
#include "ui/prompter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

// What the Weeks view remembers between its commands; not stored in the data file.
struct WeeksState
{
    // The remembered answer to the PLANNED questions: allocations may then exceed PLANNED and
    // the totals raise PLANNED to ALLOCATED. The desktop keeps it in the settings.
    bool ignorePlanned = false;
    // The option "Schedule events automatically after allocating periods to weeks in Weeks
    // view": a week given periods by typing or "Increase allocation by one" gets them placed at
    // once. The desktop keeps it in the settings.
    bool autoFill = false;
    // The event "Copy allocation" stored, by its code: a CodeId would point at another event
    // after codes are inserted, deleted or sorted.
    std::string copiedAllocation;
    AllocationPatterns patterns;
    // The week "Copy week" stored, with the code of every entry's owner: a paste after codes
    // were renumbered is refused rather than given to other codes.
    WeekClipboard copiedWeek;
    std::vector<std::string> copiedWeekCodes;
    // The events "Mark events by resource" marked, by their codes.
    std::vector<std::string> marked;
    // The last "Duplicate event", "Split allocation from" or "Use unscheduled periods from", for
    // its Cancel: the two events by their codes, and the data as the command left them, so the
    // Cancel is offered only until the next change.
    struct LastSplit
    {
        int kind = 0; // 1 duplicate, 2 split, 3 balance, 4 unscheduled
        std::string event, copy;
        std::uint64_t fingerprint = 0;
    };
    std::optional<LastSplit> lastSplit;
};

// ----- cells ------------------------------------------------------------------------------------

// The value typed into cell (e, w). It is cut to the slots of a week; a value PLANNED does not
// leave room for asks whether to raise PLANNED (unless the answer is remembered). The week's
// placements are trimmed to the new allocation. With auto-fill on, the week's unscheduled
// periods are then placed (also after "Increase allocation by one").
bool typeAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w, int value);
// One period more ("Increase allocation by one") or fewer ("Decrease allocation by one").
bool increaseAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w);
bool decreaseAllocation(ScheduleData &d, Prompter &p, CodeId e, int w);
// "Make / cancel booking": books an empty week with the default booking kind, or cancels it.
bool toggleWeekBooking(ScheduleData &d, Prompter &p, CodeId e, int w);
// "Erase cell": the week's allocation and its placements.
bool eraseCell(ScheduleData &d, Prompter &p, CodeId e, int w);

// ----- rows -------------------------------------------------------------------------------------

// "Set or cancel bookings": toggles the booking of every empty week from the first
// unprotected week to w.
bool bookEventUpTo(ScheduleData &d, Prompter &p, CodeId e, int w);
enum class RowClear { Allocations, Placements };
// "Clear allocations up to selected week" / "Unschedule up to selected week".
bool clearRowUpTo(ScheduleData &d, Prompter &p, CodeId e, int w, RowClear what);
// PLANNED one up (at most the slots of the calendar) or down (never below ALLOCATED nor 1).
bool stepPlanned(ScheduleData &d, Prompter &p, CodeId e, int delta);
// PLANNED typed: clamped to ALLOCATED .. the slots of the calendar.
bool setPlanned(ScheduleData &d, CodeId e, int value);
// "Auto-allocate remaining periods up to active week": the next enabled week pattern, then the
// event's unscheduled periods placed from the first unprotected week on.
bool autoAllocate(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w);
// Shifts the allocation from week w one week earlier (delta -1) or later (+1); then, while
// ALLOCATED exceeds PLANNED, the latest week with unscheduled periods loses one.
bool shiftEventAllocation(ScheduleData &d, Prompter &p, CodeId e, int w, int delta);

// The allocation dragged with the mouse from week `from` to week `to`: shifted one week at a
// time as above (to the right the weeks from `from` on move, to the left those up to it). Both
// weeks must be open for changes; when a step cannot be taken (the calendar's end) the event
// keeps the allocation it had before the drag.
bool dragAllocation(ScheduleData &d, Prompter &p, CodeId e, int from, int to);

// ----- weeks ------------------------------------------------------------------------------------

// "Insert week" before week w; refused with a message when the last week holds anything.
bool insertWeekBefore(ScheduleData &d, Prompter &p, int w);
// "Delete week" w after the sure question.
bool deleteWeekAt(ScheduleData &d, Prompter &p, int w);
// "Split week" w of length L into k + (L - k) after the choice of k.
bool splitWeekAt(ScheduleData &d, Prompter &p, int w);
// "Split all weeks" into calendar weeks after the sure question.
bool splitAllWeeks(ScheduleData &d, Prompter &p);
// "Change the week length": one up (refused at 255, asked when events would exceed PLANNED) or
// one down (not below 1).
bool changeWeekLength(ScheduleData &d, Prompter &p, int w, int delta);
// A week after the weeks in use was chosen in the grid: asks whether to use weeks up to w, and
// gives the weeks added their default names and lengths.
bool extendUsedWeeks(ScheduleData &d, Prompter &p, int w);
// "Protect first weeks": the first week open for changes.
bool protectFirstWeeks(ScheduleData &d, Prompter &p);

// ----- events -----------------------------------------------------------------------------------

// "Copy allocation": remembers the event by its code.
void copyAllocation(const ScheduleData &d, Prompter &p, WeeksState &s, CodeId e);
// "Paste allocation": the stored event's allocations become e's, week by week, never below e's
// scheduled periods of a week and not in e's booked weeks. When the stored event has placed
// periods, shares no timetabled resource with e and e's timetabled resources are free wherever
// it is placed, its timetable replaces e's in those weeks too. Protected weeks keep what they
// have. Refused onto the event itself and when the stored event no longer exists.
bool pasteAllocation(ScheduleData &d, Prompter &p, const WeeksState &s, CodeId e);
// "Lock / unlock event".
bool toggleLock(ScheduleData &d, CodeId e);
// "Search for unallocated events": the next event after e (cyclically, in the event list) with
// ALLOCATED below PLANNED; 0 when there is none (a message says why).
CodeId searchUnallocated(const ScheduleData &d, Prompter &p, CodeId e);
// "Check event prerequisites": B, whose name holds the code of another event A, must start
// after A ends. Returns the problems found (B, A) and reports them.
struct Prerequisite
{
    CodeId before = 0; // A
    CodeId after = 0;  // B
};
std::vector<Prerequisite> checkPrerequisites(const ScheduleData &d, Prompter &p);

// ----- what the grid shows ----------------------------------------------------------------------

// The status line of cell (e, w): "2 out of 3 h scheduled in "W1"", with the week's date when
// weeks are dated, and "(40 allocated periods exceed 30 timetable slots)" when the week holds
// more than its slots; a booked week names its booking, a week after those in use says how to
// add it. Empty for no event.
std::string weeksStatusText(const ScheduleData &d, CodeId e, int w);

// "Percentages": value × 100 div PLANNED; 0 when PLANNED is 0.
int percentOfPlanned(int value, int planned);

} // namespace quivra
