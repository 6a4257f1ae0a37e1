#pragma once

// The Timetables view's commands in plain C++: placing, removing, moving and swapping the blocks
// of the current event in the master timetable of one week, bookings, the blocking analysis,
// suggestions, comments on slots, locks, the quick optimisation of the week, and undo, redo,
// bookmarks and history over the week matrix's move log.
//
// A TimetablesSession holds what the view works on: the week matrix of the active week (with its
// move log), the master timetable, the current event and cell, the default block length and
// booking kind, and the suggestion. Every change goes through the matrix, which stores it at
// once, so the data set and the matrix always agree; a change made elsewhere makes the owner
// call invalidate(), and the next command rebuilds the matrix (which forgets the log).

#include "commands/blockscheduling.h"
#include "engine/gaps.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "engine/slotsearch.h"
#include "engine/weekmatrix.h"
#include "optimise/optimisesettings.h"
#include "ui/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

// A rectangle of the master timetable: days day1..day2, bells bell1..bell2.
struct CellArea
{
    int day1 = 1, bell1 = 1, day2 = 1, bell2 = 1;
    static CellArea cell(int day, int bell) { return {day, bell, day, bell}; }
};

struct SlotPos
{
    int day = 0, bell = 0;
    friend bool operator==(const SlotPos &, const SlotPos &) = default;
};

class TimetablesSession
{
public:
    TimetablesSession();

    // Builds the matrix of `week` (the move log starts empty, the codes keep their link marks)
    // and keeps the master timetable and the current event where they still are. Returns the
    // number of timetables.
    int open(ScheduleData &d, int week);
    // Builds the matrix again when it is not open on `week`; true when it was rebuilt.
    bool ensure(ScheduleData &d, int week);
    // The data set was changed elsewhere: the next ensure() rebuilds the matrix.
    void invalidate() { m_open = false; }
    bool isOpen() const { return m_open; }
    int week() const { return m_matrix.week(); }

    WeekMatrix &matrix() { return m_matrix; }
    const WeekMatrix &matrix() const { return m_matrix; }

    // The master timetable (a timetabled resource) and its row, 0 when it has none.
    CodeId master() const { return m_master; }
    void setMaster(CodeId resource) { m_master = resource; }
    int masterRow() const { return m_open ? m_matrix.rowOf(m_master) : 0; }

    // The current event; 0 for none.
    CodeId event() const { return m_event; }
    void setEvent(CodeId e) { m_event = e; }
    SlotPos current() const { return m_current; }
    // Makes (day, bell) the current cell; the event it holds becomes the current event.
    void clickCell(const ScheduleData &d, int day, int bell);

    int blockLength() const { return m_blockLength; }
    void setBlockLength(int length) { m_blockLength = length < 1 ? 1 : length; }
    int bookingKind() const { return m_bookingKind; }
    void setBookingKind(int kind) { m_bookingKind = kind < 1 || kind > 3 ? 1 : kind; }

    // What the free-cell scores are weighted by (one per resource category).
    GapCategoryWeights weights{};
    // Block scheduling: the patterns (nullptr: none) and whether they are applied.
    const BlockPatternMap *blockPatterns = nullptr;
    bool applyBlocks = false;
    // Cells proposed by "Suggest solution"; empty when none.
    std::vector<SlotPos> suggestion;
    // The comment "Copy comment" took, for "Paste comment".
    std::string copiedComment;
    // The linked timetable its pop-up menu acts on, and the resource categories whose linked
    // timetables are hidden (bit k - 1 for category k).
    CodeId linkedTarget = 0;
    std::uint8_t hiddenLinked = 0;

    // The free-cell scores of event e in the matrix (all 0 for no event).
    FreeCells scoresOf(const ScheduleData &d, CodeId e) const;

private:
    WeekMatrix m_matrix;
    bool m_open = false;
    CodeId m_master = 0;
    CodeId m_event = 0;
    SlotPos m_current{1, 1};
    int m_blockLength = 1;
    int m_bookingKind = 1;
};

// Where a command sends the user afterwards.
enum class TimetablesGoTo { Nowhere, EventsView, WeeksView };

struct TimetableOutcome
{
    bool changed = false;
    std::string message; // shown in the status line; empty for none
    TimetablesGoTo goTo = TimetablesGoTo::Nowhere;
};

// After a change: the recount and the totals every structural change ends with (the matrix
// stays valid; it holds no positions in the store).
void settleTotals(ScheduleData &d);

// ----- what the view shows ---------------------------------------------------------------------

// One line of the event list of the master timetable.
struct TimetableEventLine
{
    CodeId event = 0;
    int allocated = 0; // allowed in the week
    int scheduled = 0; // placed in the week
    int left() const { return allocated - scheduled; }
};
std::vector<TimetableEventLine> timetableEvents(const ScheduleData &d, const TimetablesSession &s);

// The run of equal cells of the master timetable through a cell (a block of one event).
struct MasterBlock
{
    CodeId event = 0;
    int day = 0, bell = 0, length = 0;
    explicit operator bool() const { return length > 0; }
};
MasterBlock blockAt(const ScheduleData &d, const TimetablesSession &s, int day, int bell);

// What a double-click on a cell does.
enum class DoubleClick {
    NoEvents,         // no event exists: go to the Events view
    NoAllocation,     // nothing allocated to the week: go to the Weeks view
    BlockingAnalysis, // a free cell that is blocked for the current event
    Schedule,         // a free cell the current event can take
    SetBooking,       // a free cell, no event to place there
    RemoveEvent,      // a cell with an event: unschedule one period
    CancelBooking,    // a cell with a booking
    Nothing,          // outside the week in use, or no master timetable
};
DoubleClick classifyDoubleClick(const ScheduleData &d, const TimetablesSession &s, int day,
                                int bell);
// The hint's "[Double-click]:" preview of that action ("Schedule event "MATH"").
std::string doubleClickPreview(const ScheduleData &d, const TimetablesSession &s, int day,
                               int bell);
// "Conflicts: " and the resources that block the cell for the current event; empty when free.
std::string cellConflicts(const ScheduleData &d, const TimetablesSession &s, int day, int bell);

// ----- commands ---------------------------------------------------------------------------------

TimetableOutcome doubleClick(ScheduleData &d, TimetablesSession &s, Prompter &p, int day, int bell);
// Schedules the current event into the free runs of every day column of the area.
TimetableOutcome scheduleCells(ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area);
// Removes the blocks starting in the area's cells, cut to its last bell; `onePeriod` removes
// only the period of each cell (a double-click). On an empty cell blocked for the current
// event, the blocking analysis runs instead.
TimetableOutcome unscheduleCells(ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area,
                                 bool onePeriod = false);
// Unschedules every block of the current event in the week.
TimetableOutcome eraseEventSchedule(ScheduleData &d, TimetablesSession &s, Prompter &p);
// Booking cells of the area become free, free cells bookings of the default kind.
TimetableOutcome toggleBookingCells(ScheduleData &d, TimetablesSession &s, CellArea area);

// The lines of the blocking analysis of a cell: the rows of the current event's resources that
// hold the cell, "n. CODE Name (cell)" with " - Locked!" for a locked event.
struct BlockingEntry
{
    int row = 0;
    CodeId resource = 0;
    CellWord word = 0;
    bool locked = false;
    std::string line;
};
std::vector<BlockingEntry> blockingEntries(const ScheduleData &d, const TimetablesSession &s,
                                           int day, int bell);
// Shows the analysis; "Clear" frees the cell in the chosen rows, locked events included.
TimetableOutcome blockingAnalysis(ScheduleData &d, TimetablesSession &s, Prompter &p, int day,
                                  int bell);

// Moves the current event's block at the current cell to the next, previous or best position.
TimetableOutcome moveCurrentBlock(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                  SlotSearchMode mode);
// While a block is dragged over (day, bell): whether it can start there, and if not why.
struct DragProbe
{
    bool feasible = false;
    std::string conflicts;
};
DragProbe dragOver(const ScheduleData &d, TimetablesSession &s, MasterBlock block, int day,
                   int bell);
// Drops the block at (day, bell).
TimetableOutcome dropBlock(ScheduleData &d, TimetablesSession &s, Prompter &p, MasterBlock block,
                           int day, int bell);

// Blocks of other events of the same length in the master timetable that the block at the
// current cell can swap with (both fit each other's place).
std::vector<MasterBlock> swapPartners(const ScheduleData &d, TimetablesSession &s,
                                      MasterBlock block);
// The blocks of the master timetable the block can swap with (swapPartners), each with the
// score the optimiser gives the exchange: 100 + the weighted gaps it saves, held to 1..255. The
// matrix is probed and left as it was.
struct ScoredSwap
{
    MasterBlock partner;
    int score = 0;
};
std::vector<ScoredSwap> scoredSwapPartners(const ScheduleData &d, TimetablesSession &s,
                                           MasterBlock block);
// Lists the partners with the gaps each swap saves (+x) or adds (-x), the best first, and swaps
// the chosen one.
TimetableOutcome swapCurrentBlock(ScheduleData &d, TimetablesSession &s, Prompter &p);

// Cells for the current event's unscheduled periods; stored in the session's suggestion.
std::vector<SlotPos> suggestCells(const ScheduleData &d, TimetablesSession &s);

// ----- undo and history -------------------------------------------------------------------------

TimetableOutcome undoLast(ScheduleData &d, TimetablesSession &s);
TimetableOutcome redoLast(ScheduleData &d, TimetablesSession &s);
TimetableOutcome undoAll(ScheduleData &d, TimetablesSession &s);
TimetableOutcome redoAll(ScheduleData &d, TimetablesSession &s);
TimetableOutcome setBookmark(TimetablesSession &s);
TimetableOutcome goToBookmark(ScheduleData &d, TimetablesSession &s);
// The done steps of the week, latest first, one line each.
std::vector<std::string> historyLines(const ScheduleData &d, const TimetablesSession &s);
// Lists the steps; undoes back to (and including) the chosen one.
TimetableOutcome showHistory(ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Undo last action" / "Undo last (of n steps)" and the same for redo.
std::string undoCaption(const TimetablesSession &s);
std::string redoCaption(const TimetablesSession &s);

// ----- the rest of the Edit menu
// ------------------------------------------------------------------

// Runs the timetable optimisation on the session's week only. Its changes enter the move log,
// so Undo and History take them back.
TimetableOutcome quickOptimise(ScheduleData &d, TimetablesSession &s, Prompter &p,
                               Progress &progress, OptimiseSettings settings);
// Edits the comment of the current cell of the master timetable.
TimetableOutcome commentSlot(ScheduleData &d, TimetablesSession &s, Prompter &p);
// Toggles the lock of the current event.
TimetableOutcome toggleEventLock(ScheduleData &d, TimetablesSession &s);
// "Search for the next event": the first timetable, from the master on round the rows, with
// events that have unscheduled periods in the week becomes the master, its first such event
// current.
TimetableOutcome searchNextEvent(const ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Split event": the next block of the master from the current cell on moves to its best place.
TimetableOutcome splitNextBlock(ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Lock scheduled events" / "Unlock scheduled events": the events with a period in the master
// timetable this week.
TimetableOutcome lockScheduledEvents(ScheduleData &d, TimetablesSession &s, bool lock);
// "Change booking type": the default kind of new bookings, 1..3.
TimetableOutcome chooseBookingKind(TimetablesSession &s, Prompter &p);
// "Copy comment" and "Paste comment" of the current cell.
TimetableOutcome copyComment(const ScheduleData &d, TimetablesSession &s);
TimetableOutcome pasteComment(ScheduleData &d, TimetablesSession &s);
// The event list's allocation changes of the current event in the week: one more, one less
// (never below what is scheduled), or as many as are scheduled. Refused for locked events and
// protected weeks; the matrix is built again and its log starts anew.
enum class AllocationChange { IncreaseLeft, DecreaseLeft, LeftToZero };
TimetableOutcome changeAllocation(ScheduleData &d, TimetablesSession &s, AllocationChange change);
// "Find timetable ...": the first of `timetables` after position `from` (round the list) whose
// code or name holds `text`, letters in either case; -1 when none does.
int findTimetable(const ScheduleData &d, const std::vector<CodeId> &timetables,
                  std::string_view text, int from);
// "Change the default block length": 1 .. bells in use.
TimetableOutcome chooseBlockLength(const ScheduleData &d, TimetablesSession &s, Prompter &p);

} // namespace quivra
