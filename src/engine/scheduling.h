#pragma once

// Scheduling operations: week allocations, placing and removing blocks, bookings, and the
// week-level edits. The only code that changes the lecture store besides the recount.
//
// Most operations work on one code's WeekAllocation: load it, change it, store it back with
// storeWeekAllocation, which replaces all of the code's entries at once or, when the store has
// no room, changes nothing. Callers test the rules of conflicts.h before they place anything;
// nothing here asks the user or tests a lock (lockGuard is the question the commands ask).
//
// Timetable lectures are edited cell by cell through occupancy maps, one map per distinct
// lecture word and booking kind, so periods and bookings of one code never merge into one kind.

#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduledata.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quivra {

// Clears `wa` and loads code c into it; returns the entries read.
int reloadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa);
// The lecture word a code's own entries carry: the CodeId, with bit 14 for an event.
std::uint16_t ownWord(const ScheduleData &d, int c);

// Rebuilds wa's timetable group by group: the lectures of each (word, kind) are expanded into a
// map, `edit` changes the cells, and the map is compressed back. With `ensureWord` an empty
// group of that word is added when missing (placing into an empty timetable). With
// `periodsOnly` booking groups are kept as they are. Recomputes scheduled[] and tableBooked[].
using CellEdit = std::function<void(std::uint16_t word, std::int16_t kind, OccupancyMap &cells)>;
void rebuildTimetable(const ScheduleData &d, WeekAllocation &wa, std::uint16_t ensureWord,
                      const CellEdit &edit, bool periodsOnly = false);

// Writes `wa` back as code c's entries: week allocations and week bookings as runs of equal
// weeks, then every timetable lecture. The room needed is counted before anything changes; a
// store without room is left untouched and the result is 0. For an event also sets Allocated
// and Scheduled (Planned is kept at least Allocated). Returns the entries written.
int storeWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa);

// The entries storing `wa` writes for code c, each with its booking kind: runs of equal week
// allocations, runs of equal week bookings, then the valid timetable entries.
void storedEntriesOf(const ScheduleData &d, int c, const WeekAllocation &wa,
                     std::vector<std::pair<LectureView, int>> &out);

enum ClearFlags : int {
    ClearAllocations = 1, // implies ClearPlacements
    ClearWeekBookings = 2,
    ClearPlacements = 4,
    ClearSlotBookings = 8, // a resource's slot bookings; written back at once
    TrimToAllocation = 16, // removes placed cells beyond allocated[w], last day and bell first
};
// Clears parts of the loaded schedule in week w (0: wa's first..last week). Does not store,
// except for ClearSlotBookings, which writes the bookings back and reloads `wa`.
void clearWeeks(ScheduleData &d, WeekAllocation &wa, int week, int flags);

// Adds a block (weeks, days, bells of `block`) to the event's periods and stores. Each week of
// the block gets at least as many allocated periods as it then has placed, so nothing placed
// is lost at the next save. Returns the entries stored, 0 when nothing was done.
int placeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block);
// Removes exactly the block's cells from the event's periods and stores; allocations stay.
int removeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block);
// Cuts week w out of every timetable lecture of c and stores; returns old minus new count.
int removeWeekFromTimetable(ScheduleData &d, int c, int w);

// Replaces c's slot bookings of week w by the cells of `t` that hold a booking of c (mode 2:
// removes them only). Periods are never touched, and a cell of `t` that shows a period keeps
// the booking c already has there. Returns the booked cells written.
int writeWeekBookings(ScheduleData &d, int mode, int c, int w, const WeekTimetable &t);

// How many more periods week w can take: 0 for booked weeks, weeks before currentWeek or
// after the used weeks; else the periods left (in real weeks) and the room left in the week.
int allocatableInWeek(const ScheduleData &d, const WeekAllocation &wa, int w);

// Week patterns for automatic allocation: bit p of `enabled` enables pattern p (0 = all weeks,
// 1 odd, 2 even, 3 lower half, 4 upper half, 5..7 pairs); `last` is the pattern used last.
struct AllocationPatterns
{
    std::uint8_t enabled = 1;
    int last = 0;
};
bool weekFitsPattern(int pattern, int w, int first, int last);
// Clears the allocations of weeks currentWeek..last, then deals the missing periods one per
// qualifying week per pass with the next enabled pattern; clears the placements of those
// weeks. Returns the new Allocated. The caller stores.
int distributeByPattern(ScheduleData &d, WeekAllocation &wa, int e, int last,
                        AllocationPatterns &patterns);
// Allocates the missing periods one by one to the weeks where the event's resources of
// `category` are least loaded (allocated periods per week; ties and an event without such
// resources go to the earliest week). Only weeks that can take a period are used; ends when
// none is left. Stores; returns the periods allocated.
int allocateLeastLoaded(ScheduleData &d, WeekAllocation &wa, int e, int category);
// Moves the allocations (and week bookings) from week w on one week later (+1), or up to week
// w one week earlier (-1); trims placements to the new allocations. The caller stores.
bool shiftAllocation(ScheduleData &d, WeekAllocation &wa, int w, int dir);
// Takes one allocated period from the last week of a..b that has one, removing one placed cell
// (last day, highest bell) when the week then holds more placed than allocated. Returns the
// week, 0 when none.
int removeOneAllocated(ScheduleData &d, WeekAllocation &wa, int a, int b);
// Copies the event's cells of week s into weeks first..last (not s) where no resource is busy,
// the week is not booked and (unless ignoreAllocation) periods are left. Returns cells copied.
int copyWeekTimetable(ScheduleData &d, WeekAllocation &wa, int s, int first, int last,
                      bool ignoreAllocation, bool replace);

// Copies the booking cells c's timetable shows in week s (not those hidden under a period) into
// free cells of weeks first..last; with `replace` c's bookings of the target weeks are cleared
// first, when week s shows anything at all. Returns cells copied.
int copyBookingsToWeeks(ScheduleData &d, int c, int s, int first, int last, bool replace);
int copyBookingsToCode(ScheduleData &d, int source, int target, int sourceWeek, int targetWeek,
                       bool replace);
// Mode 1 books free cells (with `any` also over c's own bookings) with `kind`; mode 2 cancels
// c's bookings (of `kind`, or all with `any`) in the days and bells of `range` over its weeks.
// Returns the booked cells written back.
int setSlotBookings(ScheduleData &d, int c, int mode, int kind, bool any, const TimeRange &range);
// Gives every booking of events (or of resources) the kind; returns the entries changed.
int changeBookingKinds(ScheduleData &d, bool events, int kind);
// Renames booking kind 1..3 of events or resources; false for another kind or a name that
// does not fit the list.
bool renameBookingKind(ScheduleData &d, int kind, bool events, std::string_view name);

// Inserts an empty week w for all codes (c = 0) or for c only. Refused (false, nothing
// changed) when something occupies the last week of the coding, which would fall off.
bool insertWeek(ScheduleData &d, int w, bool moveNames, int c = 0);
// Fills an inserted week w from its neighbours: days 1..t from week w - 1, the rest from week
// w + 1 (periods get a matching allocation). Returns the entries added.
int fillInsertedWeek(ScheduleData &d, int w, int t);
// Deletes week w for all codes (c = 0) or for c only; later weeks move one earlier. The
// deleted week's manual rooms and comments go with it.
bool deleteWeek(ScheduleData &d, int w, bool moveNames, int c = 0);

// The copy buffer of copyWeek: word, day/bell parts and kind of every entry of one week.
struct WeekClipboard
{
    struct Entry
    {
        std::uint16_t word = 0;
        std::int16_t kind = 0;
        std::uint8_t startDay = 0, startBell = 0, endDay = 0, endBell = 0;
    };
    int week = 0;
    std::vector<Entry> entries;
};
// Copies every entry covering week w (all codes, or those with LinkMarks bit 0).
int copyWeek(ScheduleData &d, int w, bool all, WeekClipboard &clip);
// Replaces week w of the same codes by the buffer; manual rooms of the source week are copied.
int pasteWeek(ScheduleData &d, int w, bool all, const WeekClipboard &clip);
// Makes (target week, day) a copy of (source week, day) for every event (or the marked ones):
// an event with nothing on the source day loses what it had on the target day. A target week's
// allocation is raised to what it then has placed. Returns the events changed.
int copyDay(ScheduleData &d, int sourceWeek, int sourceDay, int targetWeek, int targetDay,
            bool all);
// Splits weeks of length > 1 from week w on into weeks of length 1; true when any was split.
bool splitLongWeeks(ScheduleData &d, int w);

struct RepairCounters
{
    std::int32_t allocated = 0;
    std::int32_t scheduled = 0;
    std::int32_t bookedWeeks = 0;
    std::int32_t bookedCells = 0;
    int weeksRepaired = 0;
};
// For the events of c (c itself for an event, its events for a resource, all for 0) in weeks
// from..to: trims placements beyond a week's allocation (the excess only) and drops the
// allocation of a booked week. Counts the periods (weighted by week length) it finds.
int repairWeeks(ScheduleData &d, int c, int from, int to, RepairCounters &counters);

// The consistency pass every save runs: a week with more periods scheduled than allocated loses
// only the excess placements; a week both allocated and booked (the event is blocked there) loses
// its periods. Returns the number of weeks repaired.
int repairWeeks(ScheduleData &d);

struct TidyResult
{
    int lecturesBefore = 0;
    int lecturesAfter = 0;
    int renamedDuplicates = 0; // later codes whose text repeated an earlier one
};
// Regroups slot bookings by kind (kind 1 first), rewrites every code's lectures as maximal
// blocks and its allocations as runs, compacts and merges the store, and gives codes that repeat
// an earlier code's text a unique text (their data is kept). Recomputes totals.
TidyResult tidy(ScheduleData &d);

// The question asked before a locked event is changed; `askUnlock` gets the event and returns
// true to unlock. True when the change may go on.
bool lockGuard(ScheduleData &d, int e, const std::function<bool(int event)> &askUnlock);

} // namespace quivra
