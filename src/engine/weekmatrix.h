#pragma once

// WeekMatrix: the timetables of all timetabled resources for one week, side by side.
//
// Rows 1..rowCount() hold the timetabled resources (neither events nor NoTimetable) in table
// order; rowOf(c) finds a resource's row, 0 when it has none. Cells live in one contiguous array,
// row-major: row r, day d (1..7), bell b (1..30) is cell (r << 8) | (d << 5) | b, so a row is
// 256 cells and row 0 is never used. Cells are CellWords (conflicts.h): 0 free, an event's period
// word (bit 14), or a booking word (bit 15) with its kind above the low 16 bits. Beside the cells,
// per (row, day), bell masks of the cells showing a period and of those showing a booking keep
// the gap measures to a few bit operations.
//
// Invariants kept by every operation:
// - The matrix, the per-event counts and the lecture store agree. A block operation stores
//   first and changes the matrix only when the store took the change; when a store is refused
//   (full store) nothing changes and the refusal is returned.
// - Where two codes meet in one cell the cell shows one of them and remembers the others: a
//   period shows over a booking, and of two periods the one whose event comes later in eventList
//   shows. Taking a code out of a cell uncovers what it hid, so a conflict never makes a placed
//   period disappear from the matrix, and the matrix always equals a fresh build of the week.
// - Each event of the week keeps its own bell masks of what it has placed in the week: a block
//   is deleted only where the event really is, and placed over nothing it already holds.
//
// The matrix is rebuilt for a week by build() and is valid until the next build; the data set is
// passed to every operation that reads or changes the stores.

#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/movelog.h"
#include "engine/scheduledata.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace quivra {

class LectureLocator;

constexpr int MatrixRowShift = 8;
constexpr int MatrixDayShift = 5;
constexpr int MatrixRowCells = 1 << MatrixRowShift;
constexpr int MaxMatrixRows = MaxCodes;

using DayMasks = std::array<std::uint32_t, MaxDays + 1>; // [1..7], bit b - 1 = bell b

// Why a block operation changed nothing.
enum class Refusal {
    None,
    NotInWeek,       // the event has no periods allocated in the week
    OutOfRange,      // day or bells outside the days and bells in use, or a bad length
    TooFewAllocated, // the week has fewer allocated periods left than the block needs
    NotPlaced,       // the event is not at every cell of the block
    Overlaps,        // the event already holds a cell of the target
    StoreFull,       // the lecture store refused the change
    Blocked,         // a target cell is not free in one of the event's timetables
    Locked,          // the event is locked and the user kept it so
    NotMember,       // the resource to replace is not in the collection, or its successor is
    NothingToDo,
};

struct BlockOutcome
{
    int length = 0; // cells per row changed; 0 when refused
    Refusal refusal = Refusal::None;
    explicit operator bool() const { return refusal == Refusal::None; }
};

// One event of the week with its counts: allowed = allocated[w], placed = scheduled[w].
struct MatrixEvent
{
    CodeId code = 0;
    int allowed = 0;
    int placed = 0;
    bool listed = false;             // allocated in the week (the week's events)
    DayMasks cells{};                // the event's placed cells of the week
    std::vector<std::uint16_t> rows; // its timetabled resources' rows, collection order
};

// One line of FitList: an event that fits a cell.
struct FitEntry
{
    CodeId event = 0;
    int allocated = 0;
    int scheduled = 0;
};

// Which events fitList lists by their allocation in the week.
enum class FitFilter { Allocated, NotAllocated, All };

struct WeekTotals
{
    int allowed = 0; // over the week's events
    int placed = 0;
    std::int64_t allocated = 0; // over all events with resources
    std::int64_t scheduled = 0;
    std::int64_t planned = 0;
};

class WeekMatrix
{
public:
    WeekMatrix();

    // Builds the matrix of week w: lists rebuilt (a recount), rows, the resources' bookings, then
    // every event with resources that has periods allocated or placed in w, in eventList order.
    // Clears the MoveLog and the LinkMarks of all codes. Returns the number of rows.
    int build(ScheduleData &d, int week);
    // The same without the recount: the lists and derived fields are taken as they stand. Only
    // for a caller that recounted after its last change to codes, collections or categories and
    // has changed the lecture store since only through block operations; the matrix is then the
    // same as after a recount, built without sorting the store again.
    enum class Lists { Recount, AsTheyStand };
    int build(ScheduleData &d, int week, Lists lists);
    // Starts working on the week built before as a build would leave it (the MoveLog and the
    // LinkMarks cleared, the balance limits taken from the cells as they are), without reading
    // the store again. Only for a caller that has changed the store since the build solely
    // through block operations of week matrices, each of its own week: the cells of this week
    // are then still those of the store. Returns the number of rows.
    int reopen(ScheduleData &d);
    // Whether the store holds for event e in this week what the matrix holds: the same period
    // cells and the same allocated and placed counts (none at all for an event the matrix does
    // not hold). Reads the whole store; the overload reads it through an index of the store as
    // it stands, for checking many events.
    bool agreesWithStore(const ScheduleData &d, CodeId e) const;
    bool agreesWithStore(const ScheduleData &d, CodeId e, const LectureIndex &index) const;
    // The same through a locator of the store as it stands.
    bool agreesWithStore(const ScheduleData &d, CodeId e, LectureLocator &at) const;

    // Block operations load and store the events' entries through `at` (null: by reading the
    // whole store). The caller keeps it for as long as the matrix uses it and invalidates it
    // when it changes the store otherwise.
    void useLocator(LectureLocator *at) { m_locator = at; }

    int rowCount() const { return m_rows; }
    int week() const { return m_week; }
    int usedDays() const { return m_days; }
    int usedBells() const { return m_bells; }
    int rowOf(CodeId c) const;
    CodeId resourceOfRow(int row) const;
    int categoryOfRow(int row) const
    {
        return row >= 1 && row <= m_rows ? m_rowCategory[static_cast<std::size_t>(row)] : 0;
    }
    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row);

    // Cells; out-of-range positions read 0 and are not written.
    CellWord cell(int row, int day, int bell) const
    {
        if (row < 1 || row > m_rows || day < 1 || day > MaxDays || bell < 1 || bell > MaxBells)
            return 0;
        return m_cells[cellIndex(row, day, bell)];
    }
    void setCell(int row, int day, int bell, CellWord word);
    std::uint32_t eventMask(int row, int day) const { return m_eventMask[maskIndex(row, day)]; }
    std::uint32_t bookingMask(int row, int day) const { return m_bookingMask[maskIndex(row, day)]; }

    // Gaps of the rows of resource category k (1..7), kept up to date with every cell write;
    // with `bookings` booked cells count as occupied.
    int categoryGaps(int k, bool bookings) const
    {
        return m_categoryGaps[bookings ? 1 : 0][static_cast<std::size_t>(k)];
    }

    // True when no cell hides a code under the one it shows: taking a block out then frees
    // exactly its cells, so an evaluation may read the masks as if the block were gone.
    bool hidesNothing() const { return m_hidden.empty(); }
    // Whether the cell hides a code under the one it shows (a booking under a period, or a
    // period of another event).
    bool hidesAt(int row, int day, int bell) const
    {
        if (row < 1 || row > m_rows || day < 1 || day > MaxDays || bell < 1 || bell > MaxBells)
            return false;
        return m_hiddenCount[cellIndex(row, day, bell)] != 0;
    }

    // Cells where two codes met since the build (the conflicts of the week after a build).
    int conflictWrites() const { return m_conflicts; }
    int nonZeroWrites() const { return m_nonZeroWrites; }
    int zeroWrites() const { return m_zeroWrites; }

    // The week's events (allocated in the week and with resources), in eventList order, and the
    // largest collection among them.
    std::span<const CodeId> weekEvents() const { return m_weekEvents; }
    int largestCollection() const { return m_largestCollection; }
    // The event's state in this week; null when it is neither allocated nor placed in it.
    const MatrixEvent *event(CodeId e) const;
    // The rows of event e (from the week's state, or from its collection into `scratch`).
    std::span<const std::uint16_t> rowsOf(const ScheduleData &d, CodeId e,
                                          std::vector<std::uint16_t> &scratch) const;
    // Smallest and largest number of period cells on one day over the rows of resource
    // category k (1..7) at the build; largest < smallest when the category has no row.
    int balanceMin(int k) const { return m_balanceMin[static_cast<std::size_t>(k)]; }
    int balanceMax(int k) const { return m_balanceMax[static_cast<std::size_t>(k)]; }

    // Block operations, not logged. Each stores into the lecture store and changes the matrix
    // only when the store took it.
    BlockOutcome insertBlock(ScheduleData &d, CodeId e, int day, int bell, int length);
    BlockOutcome deleteBlock(ScheduleData &d, CodeId e, int day, int bell, int length);
    BlockOutcome moveBlock(ScheduleData &d, CodeId e, int day, int bell, int length, int day2,
                           int bell2);
    // Event a's block at (dayA, bellA) and event b's block of the same length at (dayB, bellB)
    // exchange places.
    BlockOutcome swapBlocks(ScheduleData &d, CodeId a, int dayA, int bellA, CodeId b, int dayB,
                            int bellB, int length);
    // Toggles the area of a row: its resource's booking cells become free, free cells become
    // bookings of `kind`; periods stay. The row's bookings are written back for the week.
    BlockOutcome toggleBookings(ScheduleData &d, int row, int kind, int day, int bell, int day2,
                                int bell2);
    // Replaces resource `from` by resource `to` in event e's collection (as replaceMember does)
    // and moves what the event shows in from's row into to's row: its periods and its own
    // bookings of the week, hidden ones included. A resource without a row gives or takes no
    // cells, so the event's cells enter to's row even when from had none. The result's length is
    // the number of the event's cells per row moved.
    BlockOutcome replaceInRows(ScheduleData &d, CodeId e, CodeId from, CodeId to);

    // The same operations, logged for undo.
    BlockOutcome schedule(ScheduleData &d, CodeId e, int day, int bell, int length);
    BlockOutcome unschedule(ScheduleData &d, CodeId e, int day, int bell, int length);
    BlockOutcome move(ScheduleData &d, CodeId e, int day, int bell, int length, int day2,
                      int bell2);
    BlockOutcome swap(ScheduleData &d, CodeId a, int dayA, int bellA, CodeId b, int dayB, int bellB,
                      int length);
    BlockOutcome toggle(ScheduleData &d, int row, int kind, int day, int bell, int day2, int bell2);
    BlockOutcome replaceResource(ScheduleData &d, CodeId e, CodeId from, CodeId to);
    // Takes resource r out of event e's collection and e's cells out of r's row, logged as a
    // replacement of r by nothing: its undo puts r back at its place in the collection.
    BlockOutcome removeResource(ScheduleData &d, CodeId e, CodeId r);

    // Undo and redo move the log only when the step could be applied; false otherwise.
    bool undo(ScheduleData &d);
    bool redo(ScheduleData &d);
    void setBookmark() { m_log.setBookmark(); }
    // Undoes or redoes until the bookmark is reached; false when there is none, it is the
    // current position, or a step failed on the way (the position then stays where it got to).
    bool goToBookmark(ScheduleData &d);
    const MoveLog &log() const { return m_log; }
    // Starts the log's action counters again (Action counters, reset).
    void resetActions() { m_log.resetActions(); }

    // Probes for evaluations: the block's cells enter or leave the event's rows only; the
    // lecture store and the event's counts are not touched. Every probe must be taken back.
    void probeEnter(CodeId e, int day, int bell, int length);
    void probeErase(CodeId e, int day, int bell, int length);

    // Stores, for every event of the week whose stored cells of the week differ from the
    // matrix's, the matrix's cells. Returns the events stored, -1 when the store refused one.
    int writeBack(ScheduleData &d);

    // From (day, bell) on, scanning bells then days, the next cell of the row with a period;
    // day and bell move there and the result is the length of its run. 0 (day and bell 1) when
    // none is left.
    int nextBlockInRow(int row, int &day, int &bell) const;
    // The next cell after (day, bell) in day-major order, cyclically, whose word is `word` in
    // the row; false when there is none.
    bool findCellOf(int row, std::uint16_t word, int &day, int &bell) const;
    // Events (at most 210) that fit cell (day, bell): every timetabled resource has it free.
    // resource != 0 keeps the events that use it; `filter` keeps the events allocated in the
    // week, those not allocated, or all.
    std::vector<FitEntry> fitList(const ScheduleData &d, int day, int bell, CodeId resource,
                                  FitFilter filter) const;
    WeekTotals weekTotals(const ScheduleData &d) const;

    // The week strip: code c's timetable in week k as strip row k (1..stripWeeks()), drawn below
    // the rows as row rowCount() + k. It holds c's own lectures of week k and those of every
    // event whose collection holds c, a period showing over a booking and of two periods the
    // event later in eventList, as in the rows. Filled for weeks 1..last scheduled week, as many
    // as leave rowCount() + k within MaxMatrixRows, when the schedule reaches week 2; otherwise,
    // and after every build, the strip is empty. Returns the strip cells that hold a code.
    int fillWeekStrip(const ScheduleData &d, CodeId c);
    int stripWeeks() const { return m_stripWeeks; }
    CodeId stripCode() const { return m_stripCode; }
    CellWord stripCell(int week, int day, int bell) const
    {
        if (week < 1 || week > m_stripWeeks || day < 1 || day > MaxDays || bell < 1 ||
            bell > MaxBells)
            return 0;
        return m_strip[cellIndex(week, day, bell)];
    }

private:
    static int maskIndex(int row, int day) { return row * (MaxDays + 1) + day; }
    static std::uint32_t cellIndex(int row, int day, int bell)
    {
        return (static_cast<std::uint32_t>(row) << MatrixRowShift) |
               static_cast<std::uint32_t>(day << MatrixDayShift) | static_cast<std::uint32_t>(bell);
    }
    void resetForWeek(ScheduleData &d, int week);
    void takeRows(const ScheduleData &d);
    void enterLecture(const ScheduleData &d, const LectureView &v, CellWord word,
                      std::span<const std::uint16_t> rows);
    void enterResourceBookings(const ScheduleData &d, const LectureIndex &index);
    void enterEvents(const ScheduleData &d, const LectureIndex &index);
    void sumCategoryGaps();
    bool inRange(int day, int bell, int length) const;
    void takeBalanceLimits();
    MatrixEvent *eventState(CodeId e);
    bool outranks(CellWord incoming, CellWord shown) const;
    void show(std::uint32_t index, CellWord word);
    void enterCell(std::uint32_t index, CellWord word);
    void eraseCell(std::uint32_t index, CellWord word);
    void enterBlock(const MatrixEvent &ev, int day, int bell, int length);
    void eraseBlock(const MatrixEvent &ev, int day, int bell, int length);
    bool storeWeekCells(ScheduleData &d, CodeId e, const DayMasks &cells);
    bool agreesWith(const ScheduleData &d, CodeId e, const WeekAllocation &wa) const;
    bool writeRowBookings(ScheduleData &d, int row);
    bool applyStep(ScheduleData &d, MoveStep &step);
    struct EventCell
    {
        std::uint8_t day, bell;
        CellWord word;
    };
    void cellsOfEvent(const ScheduleData &d, const MatrixEvent &ev,
                      std::vector<EventCell> &out) const;
    int followCollection(const ScheduleData &d, MatrixEvent &ev);
    // `to` 0: takes `from` out of e's collection, its place there into `position`; `from` 0:
    // puts `to` back at `position`. The rows follow the collection.
    BlockOutcome changeMember(ScheduleData &d, CodeId e, CodeId from, CodeId to, int &position);
    void enterStripLecture(const ScheduleData &d, const LectureView &v, CellWord word);
    BlockOutcome doToggle(ScheduleData &d, int row, int kind, int day, int bell, int day2,
                          int bell2, MoveStep &step);

    struct Hidden
    {
        std::uint32_t index;
        CellWord word;
    };

    int m_week = 0;
    int m_rows = 0;
    int m_days = 0;
    int m_bells = 0;
    int m_currentRow = 1;
    int m_conflicts = 0;
    int m_nonZeroWrites = 0;
    int m_zeroWrites = 0;
    int m_largestCollection = 0;
    std::uint16_t m_codeMask = NarrowCodeMask;
    bool m_building = false; // cells entered by build(): gap sums taken once at its end
    std::vector<CellWord> m_cells;
    std::vector<std::uint32_t> m_eventMask;
    std::vector<std::uint32_t> m_bookingMask;
    std::vector<Hidden> m_hidden;
    std::vector<std::uint16_t> m_hiddenCount; // per cell: entries of m_hidden
    std::vector<std::uint16_t> m_rowOf;       // per CodeId
    std::vector<CodeId> m_rowCode;            // per row
    std::vector<std::uint8_t> m_rowCategory;  // per row
    std::vector<std::uint16_t> m_rank;        // per CodeId: position in eventList
    std::vector<std::uint16_t> m_slotOf;      // per CodeId: 1 + index into m_events
    std::vector<MatrixEvent> m_events;
    std::vector<CodeId> m_weekEvents;
    std::array<std::array<int, MaxCategories + 1>, 2> m_categoryGaps{};
    std::array<int, MaxCategories + 1> m_balanceMin{};
    std::array<int, MaxCategories + 1> m_balanceMax{};
    MoveLog m_log;
    LectureLocator *m_locator = nullptr;
    std::vector<CellWord> m_strip; // strip rows 1..m_stripWeeks, laid out as the rows
    int m_stripWeeks = 0;
    CodeId m_stripCode = 0;
};

// What the block commands need from whoever shows them: the unlock question and the words for
// a refusal. The engine asks; the desktop or the command line answers.
class MatrixDialogue
{
public:
    virtual ~MatrixDialogue() = default;
    // The event is locked: unlock it (true) or leave it locked and refuse the change (false).
    virtual bool askUnlock(CodeId event) = 0;
    virtual void refused(CodeId event, Refusal why) = 0;
};

// The block commands of the Timetables view: ask before changing a locked event, refuse a
// target cell that is not free in every timetable of the event, perform and log the change,
// report a refusal. Each returns what the logged operation returned.
BlockOutcome scheduleCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell,
                             int length, MatrixDialogue &ui);
BlockOutcome unscheduleCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell,
                               int length, MatrixDialogue &ui);
BlockOutcome moveCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell, int length,
                         int day2, int bell2, MatrixDialogue &ui);
BlockOutcome swapCommand(ScheduleData &d, WeekMatrix &m, CodeId a, int dayA, int bellA, CodeId b,
                         int dayB, int bellB, int length, MatrixDialogue &ui);

} // namespace quivra
