#pragma once

// The values of the Options dialog and what accepting them does, without the widgets: the
// calendar (limits, names, lengths and dates; see calendaroptions.h), the category names, the
// timetable rules of the resource categories (which ones may not conflict, whose gaps count),
// the default block length, the booking defaults and the display defaults.
//
// Switching conflict checking on for a category that has resources can leave two events in one
// cell of a resource that from now on must not hold two. The user is asked at once whether to
// sweep them out; when declined, the data set remembers that a check is due (its conflict-source
// counter of this page), and the health check offers it later.

#include "commands/calendaroptions.h"
#include "engine/conflicts.h"
#include "engine/limits.h"
#include "engine/scheduledata.h"
#include "files/settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace quivra {

class Prompter;

// The pages of the dialog, in their order.
enum class OptionsPage { Limits, Time, Categories, Timetables, Bookings, Display };

// What the dialog edits. The timetable rules are of resource categories 1..7 (entry 0 unused).
struct OptionsValues
{
    CalendarValues calendar;                                // pages Limits and Time
    CategoryValues categories;                              // page Categories
    std::array<bool, MaxCategories + 1> preventConflicts{}; // no-timetable bit clear
    std::array<bool, MaxCategories + 1> countGaps{};        // no-gaps bit clear
    int blockLength = 1;                                    // default block of the Timetables view
    int eventBookingKind = 1;                               // 1..3
    int resourceBookingKind = 1;                            // 1..3
    bool bookingsOccupied = false; // bookings count as occupied cells in the gap figures
    int showMode = 1;              // 1 codes, 2 names, 3 code and name
    bool useCodeColors = true;     // codes drawn in their own colours
    bool showSeats = false;        // the Events view shows SEATS (the capacity check)
    // Settings the views do not show yet; the dialog leaves them as they are.
    int codeMode = 1;      // timetable cell display mode 1..3
    bool useColors = true; // views drawn in their colours
    bool showInfo = false; // code information beside the views

    friend bool operator==(const OptionsValues &, const OptionsValues &) = default;
};

// The values as the data set and the settings hold them now.
OptionsValues readOptions(const ScheduleData &d, const Settings &s);

// The first wrong value of the dialog: its page and what to tell the user (empty when none).
struct OptionsProblem
{
    OptionsPage page = OptionsPage::Limits;
    std::string message;
};
OptionsProblem validateOptions(const ScheduleData &d, const OptionsValues &v);

struct OptionsApplied
{
    bool calendarChanged = false;
    bool categoriesChanged = false;
    bool masksChanged = false;
    // A category with resources had its conflict checking switched on.
    bool conflictsPossible = false;
};

// Writes `v` into the data set and the settings: the category names, the calendar (after
// validateOptions found nothing wrong), the masks (a category without conflict checking
// also has its gaps not counted), the NoTimetable flags of the resources through the recount,
// the booking defaults and the display defaults. Values out of range are clamped. Marks the data
// set as modified when anything of it changed.
OptionsApplied applyOptions(ScheduleData &d, Settings &s, const OptionsValues &v);

// The sweep for a change that may have let conflicts in: asks whether to check and remove them
// now; Yes sweeps every week with removal (shown through `progress`; `sweep` is offered the
// lines), No tells the user how to do it later and notes the declined check in the data set's
// conflict-source counter (dated `today`). Returns the sweep's report (empty when declined).
ConflictReport settleConflicts(ScheduleData &d, Prompter &prompter, SweepDialogue &sweep,
                               Progress &progress, std::int32_t today);

} // namespace quivra
