#pragma once

// What the cells of the Timetables view show, headless: the cell display options (kept in the
// settings, so they outlast the program), the text and marks of every cell of a timetable
// worked out once per refresh, the hint of a cell with its "[Double-click]:" preview and key
// hints, the action counters with their reset, and the one-time tip that offers the cell
// indicators.
//
// A timetable's cells come from its week timetable in the store. The master timetable adds the
// marks of the current event from the view's session: where the event is free or blocked, the
// other timetables of the event busy in a cell ("[+x]"), where its block could start instead
// ("[>]", the positions a slot search over all positions finds) and the blocks of the same
// length it could swap with ("[+x s]", x the gaps the exchange saves), and the gaps of the
// master's days.

#include "commands/timetablecommands.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "files/settings.h"
#include "ui/prompter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

// The items of "View|Cell display options" 1..10; items 11..13 are the code modes.
enum class CellOption : std::uint8_t {
    Colours = 1,   // "Show event colours"
    Flags,         // "Show event flags": [L] locked, [M] with a memo
    Indicators,    // "Show indicators [+x]"
    ManualRooms,   // "Show manual rooms (m)"
    Comments,      // "Show commented cells (c)"
    MoveOptions,   // "Show move options"
    WeeklyPeriods, // "Show weekly periods": scheduled/allocated of the event in the week
    SwapOptions,   // "Show swap options"
    GapPicture,    // "Show gap picture"
    CellHints,     // "Show cell hints"
};
constexpr int CellOptionItems = 10;
constexpr int CellDisplayItems = 13; // the options, then "Show codes", "Show names", "Show both"

struct CellDisplayOptions
{
    // Bit k - 1 = option k; the default shows colours, flags, manual rooms, comments and hints.
    std::uint16_t bits = 0x21B;
    int codeMode = ShowCode; // ShowCode, ShowName or ShowCodeAndName

    bool on(CellOption o) const { return (bits >> (static_cast<int>(o) - 1)) & 1u; }
    void set(CellOption o, bool value);
    friend bool operator==(const CellDisplayOptions &, const CellDisplayOptions &) = default;
};

// The options as the settings hold them ([Preferences] CellOptions and CodeMode), and back.
CellDisplayOptions cellDisplayOptions(const Settings &s);
void storeCellDisplayOptions(const CellDisplayOptions &o, Settings &s);
// Menu item 1..13: whether it is checked, and choosing it (an option toggles, a code mode is
// set). Items outside 1..13 are ignored.
bool cellDisplayItemChecked(const CellDisplayOptions &o, int item);
void chooseCellDisplayItem(CellDisplayOptions &o, int item);

// One cell of a timetable as the view shows it.
struct TimetableCell
{
    std::string text; // the label and the marks the options ask for
    CodeId code = 0;  // the event placed there, or the code of a booking; 0 when free
    CodeId other = 0; // a clash: the event the shown one overwrote
    bool booking = false;
    std::int32_t colour = 0; // the event's colour to fill with (Show event colours), 0 none
    CodeId manualRoom = 0;   // the room given to the event by hand; in a room's free cell, the
                             // event given this room by hand
    bool comment = false;    // the cell has a comment
    // The current event's marks (master timetable only).
    enum class Fit : std::uint8_t { None, Free, Blocked };
    Fit fit = Fit::None;
    bool moveStart = false; // the current block may start here
    int swapScore = 0;      // first cell of a block to swap with: 100 + the gaps saved (1..255)
    int indicators = 0;     // other timetables of the current event busy in this cell
    bool gap = false;       // an empty bell between the day's lessons
};

struct TimetableCells
{
    CodeId code = 0;
    int week = 0;
    int days = 0, bells = 0;
    int clashes = 0;  // cells two events hold
    int placed = 0;   // periods placed
    CodeId event = 0; // the current event the marks are for; 0 when none
    std::array<std::array<TimetableCell, MaxBells + 1>, MaxDays + 1> cells{}; // [day][bell]

    const TimetableCell &at(int day, int bell) const
    {
        return cells[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)];
    }
    TimetableCell &at(int day, int bell)
    {
        return cells[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)];
    }
};

// Fills `out` with code's timetable of `week` as the options show it. With a session open on
// that week whose master is `code`, the current event's marks are added (the session's matrix is
// probed and left as it was); other timetables take only the weekly periods from it.
void fillTimetableCells(const ScheduleData &d, CodeId code, int week, const CellDisplayOptions &o,
                        TimetablesSession *session, TimetableCells &out);

// The hint of a master cell, one line each: the cell's comment, the event with its name, its
// room given by hand, the conflicts for the current event, "[Double-click]:" and what it does,
// and the keys that act on the cell. Empty when "Show cell hints" is off.
std::string cellHint(const ScheduleData &d, const TimetablesSession &s, const CellDisplayOptions &o,
                     int day, int bell);

// The action counters of the view: the move log's counts of the week matrix and the double-clicks
// the view counted.
std::string actionCountersText(const MoveLog &log, int doubleClicks);
// Shows them and asks "Do you want to reset these counters?"; yes starts them again (the log's
// counts and `doubleClicks`). True when they were reset.
bool showActionCounters(Prompter &p, TimetablesSession &s, int &doubleClicks);

// After a double-click in the master timetable: once, when 10 periods are scheduled in all and
// the tip was never shown, offers to turn the cell indicators on. True when it turned them on.
// The settings remember that it was shown.
bool offerIndicatorTip(const ScheduleData &d, Prompter &p, Settings &s);

} // namespace quivra
