#pragma once

// Helpers shared by the files of the scheduling operations: week lengths and ranges, the runs a
// stored allocation takes, cutting a week out of timetable lectures, trimming and clearing
// placements, and storing many codes at once. Not for callers outside those files.

#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace quivra::detail {

// The length of week w (at least 1).
int lengthOf(const ScheduleData &d, int w);
bool isEvent(const ScheduleData &d, int c);
bool inWeeks(const ScheduleData &d, int w);
std::uint16_t saturate16(std::int64_t v);
// The booking kind of timetable entry i of `wa` (0 when it has none).
std::int16_t kindAt(const WeekAllocation &wa, std::size_t i);
void compactStore(ScheduleData &d);

// Cuts week w out of a lecture; the part after w, when there is one, goes to `tail`.
// Returns false when nothing of the lecture is left.
bool cutWeek(LectureView &v, int w, std::vector<LectureView> &tail);
// Removes week w from the lectures of `wa` that `select` accepts.
template <typename Select> void cutTimetableWeek(WeekAllocation &wa, int w, Select select)
{
    std::vector<LectureView> list;
    std::vector<std::int16_t> kinds;
    for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
        LectureView v = wa.timetable[i];
        if (!select(v)) {
            list.push_back(v);
            kinds.push_back(kindAt(wa, i));
            continue;
        }
        std::vector<LectureView> tail;
        if (cutWeek(v, w, tail)) {
            list.push_back(v);
            kinds.push_back(kindAt(wa, i));
        }
        for (const LectureView &t : tail) {
            list.push_back(t);
            kinds.push_back(kindAt(wa, i));
        }
    }
    wa.timetable = std::move(list);
    wa.timetableKinds = std::move(kinds);
}

// Trims the placements of weeks first..last of `wa` to their allocations, removing at most
// `atMost` cells per week: last day first, highest bell first.
void trimToAllocation(const ScheduleData &d, WeekAllocation &wa, int first, int last,
                      int atMost = MaxDays * MaxBells);
// Clears every placement of weeks first..last of `wa`; bookings stay.
void clearPlacements(const ScheduleData &d, WeekAllocation &wa, int first, int last);

// First and last week with an allocation or a week booking; (weekCap, 1) when none.
std::pair<int, int> allocationSpan(const ScheduleData &d, const WeekAllocation &wa);
// The week entries storeWeekAllocation writes for `wa`: runs of equal allocations and bookings.
int weekRunsOf(const ScheduleData &d, const WeekAllocation &wa);

// One code's new allocation waiting to be stored with others.
struct PendingStore
{
    CodeId code = 0;
    WeekAllocation wa;
};
// Stores several codes at once (each at most once): one pass clears their old entries and the
// new ones are appended, instead of a pass over the store per code. When the store cannot take
// them all, each is stored on its own, so one without room keeps its old entries.
void storeAll(ScheduleData &d, std::vector<PendingStore> &items);

} // namespace quivra::detail
