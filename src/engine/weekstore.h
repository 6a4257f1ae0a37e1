#pragma once

// Storing one code's lectures. Most scheduling operations work on one code's WeekAllocation:
// load it, change it, store it back with storeWeekAllocation, which replaces all of the code's
// entries at once or, when the store has no room, changes nothing.
//
// Timetable lectures are edited cell by cell through occupancy maps, one map per distinct
// lecture word and booking kind, so periods and bookings of one code never merge into one kind.

#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace quivra {

// Clears `wa` and loads code c into it; returns the entries read.
int reloadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa);
// The lecture word a code's own entries carry: the CodeId, with bit 14 for an event.
std::uint16_t ownWord(const ScheduleData &d, CodeId c);

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
int storeWeekAllocation(ScheduleData &d, CodeId c, WeekAllocation &wa);

// Where each code's entries stand in the lecture store, so that one code is loaded and replaced
// without reading the whole store. Taken from the store on first use, again whenever the store's
// entry count is not the one the locator last saw, and after invalidate(); the stores made
// through it keep it in step. Whoever changes the store otherwise (a compaction sorts it without
// always changing the count) calls invalidate().
class LectureLocator
{
public:
    // Code c's entries in store order.
    std::span<const int> of(const ScheduleData &d, CodeId c);
    void invalidate() { m_valid = false; }
    // Code c's entries are now first..last, the last of the store.
    void replaced(const ScheduleData &d, CodeId c, int first, int last);

private:
    void take(const ScheduleData &d);
    bool m_valid = false;
    int m_count = 0;
    std::vector<std::vector<int>> m_at; // per CodeId
};
// The same as the functions above, reading and writing through the locator: the same entries
// in the same order, without a pass over the store.
int reloadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa, LectureLocator &at);
int storeWeekAllocation(ScheduleData &d, CodeId c, WeekAllocation &wa, LectureLocator &at);

// The entries storing `wa` writes for code c, each with its booking kind: runs of equal week
// allocations, runs of equal week bookings, then the valid timetable entries.
void storedEntriesOf(const ScheduleData &d, CodeId c, const WeekAllocation &wa,
                     std::vector<std::pair<LectureView, int>> &out);

} // namespace quivra
