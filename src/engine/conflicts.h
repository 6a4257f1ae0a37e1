#pragma once

// Occupancy and conflict detection: which resources are checked, what blocks a slot, and the
// sweep that finds and removes conflicts.
//
// Three notions, kept apart on purpose:
// - conflict: two different events cover the same cell and share a timetabled resource (a
//   resource whose NoTimetable flag is clear). The sweep finds and removes these; the event
//   earlier in eventList keeps the cell.
// - blocked: a cell that is not free in the week timetable of any timetabled resource of an
//   event (another event, a resource booking) or a week the event itself has booked. Every
//   placement tests this before it changes anything.
// - a resource's own bookings under an event's period are blocked cells but not conflicts: the
//   sweep never clears them.
//
// Work areas (OccupancyMap, WeekTimetable, WeekAllocation) are plain values the caller owns;
// nothing here keeps state between calls. Every lecture is range-checked before it is entered
// into a map or a timetable, so a damaged entry is ignored rather than written out of bounds.

#include "engine/lectures.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

// A timetable cell. The low 16 bits are the lecture word (code part, event bit 14, booking bit
// 15); the booking kind sits above them, so it never collides with code ids above 4095.
using CellWord = std::uint32_t;
constexpr int CellKindShift = 16;
constexpr CellWord CellEventBit = LectureEventBit;
constexpr CellWord CellBookingBit = LectureBookingBit;

inline CellWord makeCell(std::uint16_t word, int kind)
{
    return word | (isBookingWord(word) ? static_cast<CellWord>(kind & 3) << CellKindShift : 0u);
}
inline std::uint16_t cellLectureWord(CellWord cell)
{
    return cell & 0xFFFF;
}
inline CodeId cellCode(const ScheduleData &d, CellWord cell)
{
    return lectureCode(d, static_cast<std::uint16_t>(cell & 0xFFFF));
}
inline bool isBookingCell(CellWord cell)
{
    return cell & CellBookingBit;
}
inline int cellKind(CellWord cell)
{
    return static_cast<int>(cell >> CellKindShift) & 3;
}

// True when a lecture lies inside the slot coding: weeks 1..weekLimit, and for a timetable
// entry days 1..dayLimit and bells 1..bellLimit, start <= end in each field.
bool validTimetableLecture(const ScheduleData &d, const LectureView &v);

// A code's occupied cells over all weeks: one bell mask (bit b - 1 = bell b) per week and day,
// with the extents of what was entered and the lecture word (and booking kind) it belongs to.
struct OccupancyMap
{
    int firstBell = MaxBells, lastBell = 0;
    int firstDay = MaxDays, lastDay = 0;
    int firstWeek = MaxWeeks, lastWeek = 0;
    std::uint16_t owner = 0;
    std::int16_t kind = 0;
    std::array<std::uint32_t, WeekTableSize * MaxDays> masks{};

    // Clears the map; only the rows of weeks entered since the last reset are touched.
    void reset(const ScheduleData &d);
    std::uint32_t mask(int week, int day) const { return masks[week * MaxDays + day - 1]; }
    std::uint32_t &maskRef(int week, int day) { return masks[week * MaxDays + day - 1]; }
    // ORs bells into (week, day) and widens the extents; ignores cells outside the tables.
    void add(int week, int day, std::uint32_t bells);
    bool empty() const { return lastWeek < firstWeek; }
};

// Bell mask of bells first..last (1-based); 0 when the range is empty or out of 1..MaxBells.
std::uint32_t bellMask(int first, int last);

// ORs every valid timetable lecture of `wa` (bookings included) into the map; with `reset` the
// map is cleared first. The owner becomes the word of the first timetable lecture.
void expandSchedule(const ScheduleData &d, const WeekAllocation &wa, OccupancyMap &map, bool reset);
// Appends the map's cells to wa's timetable as maximal blocks (one day each, runs of weeks with
// the same mask), with the map's owner word and kind; with `reset` the list is emptied first.
// Recomputes tableBooked[] and scheduled[], the latter never above allocated[] of the week.
void compressSchedule(const ScheduleData &d, const OccupancyMap &map, WeekAllocation &wa,
                      bool reset);
// Recomputes scheduled[] (periods) and tableBooked[] (bookings) from wa's timetable.
void countTimetableWeeks(const ScheduleData &d, WeekAllocation &wa);

// Every cell occupied for code c over all weeks: its own lectures and, for a timetabled
// resource, those of every event that uses it. The map's owner becomes c.
void buildOccupancy(const ScheduleData &d, CodeId c, OccupancyMap &map, bool reset,
                    WeekAllocation &work);
// The same through an index of the unchanged store, for callers that build many maps.
void buildOccupancy(const ScheduleData &d, CodeId c, OccupancyMap &map, bool reset,
                    WeekAllocation &work, const LectureIndex &index);

// A cell position; week 0 means none.
struct CellPos
{
    int week = 0, day = 0, bell = 0;
    explicit operator bool() const { return week != 0; }
    friend bool operator==(const CellPos &, const CellPos &) = default;
};

// First cell set in both maps from week `from` on (earliest week, then day, then bell).
// With `commonCells` also counts every cell the maps share from that week on.
CellPos findFirstConflict(const OccupancyMap &a, const OccupancyMap &b, int from,
                          int *commonCells = nullptr);

// Whether resource r may join event e's collection without conflict from week `from` on.
// With `check` it is refused when r is already a member or e already has MaxMembers.
// `rebuild` bit 0 rebuilds resourceMap, bit 1 eventMap; a caller testing many resources against
// one event builds eventMap once.
bool canJoin(const ScheduleData &d, CodeId e, CodeId r, bool check, int from, int rebuild,
             OccupancyMap &eventMap, OccupancyMap &resourceMap);
bool canJoin(const ScheduleData &d, CodeId e, CodeId r, bool check = true, int from = 1);

// One code's timetable of one week. Cells are indexed [bell][day] from 1.
struct WeekTimetable
{
    CodeId owner = 0;
    int maxEndBell = 0;
    int maxEndDay = 0;
    int writes = 0;        // cell writes (a cell written twice counts twice)
    int bookingWrites = 0; // writes after which the cell holds a booking
    std::array<std::array<CellWord, MaxDays + 1>, MaxBells + 1> cells{};
    // For a room: the event a manual room assignment puts into a free cell.
    std::array<std::array<CodeId, MaxDays + 1>, MaxBells + 1> manualRoom{};
    // A clash: the period a later period of another event overwrote in the cell (0: none), so
    // a cell held by two events can show both.
    std::array<std::array<CellWord, MaxDays + 1>, MaxBells + 1> hidden{};
    int clashes = 0; // cells holding periods of two events

    CellWord cell(int day, int bell) const { return cells[bell][day]; }
    CellWord hiddenCell(int day, int bell) const { return hidden[bell][day]; }
    CellWord &cellRef(int day, int bell) { return cells[bell][day]; }
};

// Fills `t` with code c's timetable of week w: its own lectures, then, for a timetabled
// resource, the lectures of every event that uses it. A period overwrites anything, a booking
// fills only free cells; an event's week booking fills every used cell. A resource with
// NoTimetable gets an empty timetable unless `forceNoTimetable`. Returns the cell writes.
int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t,
                    bool manualRooms = false, bool forceNoTimetable = false);
// The same through an index of the unchanged store, for callers that build many timetables.
int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t,
                    const LectureIndex &index, bool manualRooms = false,
                    bool forceNoTimetable = false);
// The same for a resource whose events the caller already has (eventsByResource, in its order).
int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t,
                    const LectureIndex &index, const std::vector<CodeId> &events);
// Only c's own slot bookings in week w; periods of anyone are left out, so a booking hidden
// under a period is still there. This is what booking edits write back from.
void bookingTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t);

// True when a cell of event e's block is blocked: the event has a week booking in week w, or
// the cell is not free in the week timetable of one of its timetabled resources.
bool slotBlocked(const ScheduleData &d, CodeId e, int w, int day, int firstBell, int lastBell);

// The timetabled resources of event e whose cell (w, day, bell) is occupied, each as
// "code (cell text)" joined by `sep`; empty when e is not an event or a position is 0.
std::string slotConflictText(const ScheduleData &d, CodeId e, int w, int day, int bell,
                             const std::string &sep, int nameMode, int cellMode);

// Outcome of resolving one resource.
struct ResourceConflicts
{
    int cleared = 0;   // cells the later events lose
    CodeId eventA = 0; // the first conflict: earlier event in eventList
    CodeId eventB = 0; // and the later one
    CellPos first;     // its first common cell
};

// Compares every pair of events that use resource r (eventList order) from week `from` on; the
// later event of a pair loses the cells it shares with the earlier ones, each cell once. Events
// whose Scheduled is 0 (at most bookings of their own) are passed by. Each event's map is built
// once. With `remove` the reduced timetables are stored; otherwise nothing changes. `cleared`
// is the same in both: the cells the later events lose.
ResourceConflicts resolveResourceConflicts(ScheduleData &d, CodeId r, int from, bool remove);
// Resolves every resource, repeating while removal still clears cells; returns the cells
// (with `remove`, those really stored).
int removeAllConflicts(ScheduleData &d, int from, bool remove);

// Outcome of a conflict sweep. `first` is the first conflicting cell found: the resource, and
// the two events with the one earlier in eventList first.
struct ConflictReport
{
    int found = 0;   // conflicting cells found
    int removed = 0; // cells removed and stored; a full lecture store that refuses an event's
                     // reduced timetable leaves its cells found but not removed
    bool hasFirst = false;
    int week = 0, day = 0, bell = 0;
    CodeId resource = 0;
    CodeId eventA = 0;
    CodeId eventB = 0;
    int manualRoomOverlaps = 0; // counted (or removed) by the interactive sweep afterwards
    bool cancelled = false;     // the interactive sweep's question was cancelled
    bool stopped = false;       // a stop request ended the sweep before every resource was done
};

// Sweeps weeks fromWeek..used weeks for conflicts without asking anything; with `remove` the
// later event's cells are cleared.
ConflictReport sweepConflicts(ScheduleData &d, int fromWeek, bool remove);
// The same shown through `progress`: a step after each resource and the status line of
// sweepProgressText. A stop request ends the sweep after the resource in hand; with `remove`
// what was resolved until then is stored, and the report is marked stopped.
ConflictReport sweepConflicts(ScheduleData &d, int fromWeek, bool remove, Progress &progress);

// The questions of the interactive sweep. The engine asks; the desktop or the command line
// answers. Progress and the stop request go through the Progress port the sweep is given.
class SweepDialogue
{
public:
    enum class Handling { Remove, CountOnly, Cancel };
    virtual ~SweepDialogue() = default;
    // How to handle conflicts (asked unless the sweep was started with removal).
    virtual Handling askHandling() = 0;
    // Asked at the first conflict: collect one line per resource with a conflict?
    virtual bool offerLines(bool removing) = 0;
    // The collected lines ("week\tday\tbell\tresource\tevent\tevent\tcells\r\n" each).
    virtual void deliverLines(const std::string &lines) = 0;
};

// How the interactive sweep starts: from which week, and whether it asks how to handle the
// conflicts or removes them without the question.
enum class SweepHandling { Ask, Remove };
struct SweepStart
{
    int fromWeek = 1;
    SweepHandling handling = SweepHandling::Ask;
};

// The interactive sweep from `start.fromWeek` (clamped into the scheduled weeks), shown through
// `progress` as sweepConflicts shows it; a stop request ends it as there. Afterwards the
// manual-room overlaps of weeks 1..last scheduled week are counted or removed alike. Returns the
// report; a cancelled question gives an empty one, marked so.
ConflictReport conflictSweep(ScheduleData &d, SweepStart start, SweepDialogue &dialogue,
                             Progress &progress);

// "Checking for conflicts in weeks 2-9 - 3 found, 3 removed.": the status line the sweep shows
// after each resource, with the week range being checked.
std::string sweepProgressText(int fromWeek, int toWeek, int found, int removed);

// "%d conflicting cell(s) found, %d removed." as shown in the sweep's progress and summary. A
// conflicting cell is a timetable cell a later event loses to an earlier one that shares a
// resource with it: counted once however many resources they share, so counting and removing
// give the same number.
std::string sweepStatusText(const ConflictReport &report);

} // namespace quivra
