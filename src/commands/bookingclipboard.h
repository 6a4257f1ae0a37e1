#pragma once

// Bookings and schedules as lines through the clipboard: "11 Bookings" (the bookings of every
// resource) with its paste back into the current week or into every week, the Events view's
// "9 Timetables" formats 1 to 4 with "5 Timetables" (event schedules pasted back, cell by cell
// where the event's resources are free), and the Timetables view's "Copy bookings" (the master
// timetable's bookings of the week into other weeks or other timetables).
//
// A paste takes only whole rows: a row naming an unknown code, a code of the wrong kind, a
// number that is not one or out of range, a locked event or a week before the current week is
// omitted and counted, never half-applied. Cells held by something else are left as they are
// and reported.

#include "commands/clipboardcommands.h"
#include "engine/scheduledata.h"

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

class Clipboard;
class Prompter;
class TimetablesSession;
struct TimetableOutcome;

// ----- bookings ------------------------------------------------------------------------------

// "11 Bookings" of the Resources and Timetables views.
void copyBookingsToClipboard(const ScheduleData &d, Prompter &p, Clipboard &clipboard,
                             ClipTarget &target);

struct LinePasteReport
{
    int rows = 0;                 // rows read (empty rows not counted)
    int omitted = 0;              // rows not taken
    int otherWeeks = 0;           // rows left out for naming another week than the one pasted into
    int cells = 0;                // cells the taken rows ask for
    int added = 0;                // cells that changed
    int present = 0;              // cells that already held what the row asks for
    int refused = 0;              // cells held by something else
    int noPeriodsLeft = 0;        // event cells refused for lack of allocated periods in the week
    int resourcesAdded = 0;       // event resources the rows' further cells added
    std::vector<CodeId> blockers; // resources whose timetables refused cells, first seen first
    std::string sample;           // codes of omitted rows, each followed by ","
    bool changed = false;
};

// Books the cells the rows name: code of a resource, week, day, first bell, last bell, kind
// 1..3. With `onlyWeek` (1..) only rows of that week are taken and the others left out.
// A cell that shows a period or another code's booking keeps it; a booking of the resource
// takes the row's kind.
LinePasteReport applyBookingsPaste(ScheduleData &d, std::string_view text, int onlyWeek = 0);
std::string bookingsPasteText(const LinePasteReport &report);

// The Timetables view's "1 Bookings to current week" (`week`) or "2 Bookings to all weeks"
// (`week` 0): the column question, the paste, the report. True when the data set changed.
bool pasteBookingsFromClipboard(ScheduleData &d, Prompter &p, const Clipboard &clipboard, int week);

// ----- event schedules -----------------------------------------------------------------------

// The Events view's "9 Timetables" format 1..4: the dated formats need dated weeks, then the
// events and, with several weeks, the weeks. False when cancelled or refused.
bool copyScheduleLinesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard,
                                  ClipTarget &target, int format);

// Places the rows' cells: event code, week, day, first bell, last bell, then resources to add
// to the event (when they can join it). A cell is placed where the event and its timetabled
// resources are free; without `adjust` only while the week has allocated periods left, with it
// the week's allocation grows to what is placed.
LinePasteReport applyTimetablesPaste(ScheduleData &d, std::string_view text, bool adjust);
std::string timetablesPasteText(const ScheduleData &d, const LinePasteReport &report);

// "&5 Timetables" of the Events view: the column question, with several weeks the question
// whether allocations follow, the paste, the report. True when the data set changed.
bool pasteTimetablesFromClipboard(ScheduleData &d, Prompter &p, const Clipboard &clipboard);

// ----- the Timetables view's Copy bookings ----------------------------------------------------

// The master timetable's bookings of the session's week into other weeks of the same timetable
// or into other timetables of the same week; weeks before the current week are left alone.
// The week matrix is built again afterwards (its undo log starts anew).
TimetableOutcome copyMasterBookings(ScheduleData &d, TimetablesSession &s, Prompter &p);
// The Timetables view's "1 Bookings to current week" (the session's week) and "2 Bookings to all
// weeks"; the week matrix is built again when anything changed.
TimetableOutcome pasteSessionBookings(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                      const Clipboard &clipboard, bool allWeeks);

} // namespace quivra
