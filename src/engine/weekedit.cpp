#include "engine/weekedit.h"

#include "engine/calendar.h"
#include "engine/weekstore.h"

#include <algorithm>

namespace quivra::detail {

int lengthOf(const ScheduleData &d, int w)
{
    return w >= 1 && w <= MaxWeeks ? std::max<int>(d.weeks[w].length, 1) : 1;
}
bool isEvent(const ScheduleData &d, int c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}
bool inWeeks(const ScheduleData &d, int w)
{
    return w >= 1 && w <= weekCap(d);
}
std::uint16_t saturate16(std::int64_t v)
{
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 65535));
}

std::int16_t kindAt(const WeekAllocation &wa, std::size_t i)
{
    return i < wa.timetableKinds.size() ? wa.timetableKinds[i] : std::int16_t{0};
}

void compactStore(ScheduleData &d)
{
    compactLectures(d);
}

bool cutWeek(LectureView &v, int w, std::vector<LectureView> &tail)
{
    if (w < v.startWeek || w > v.endWeek)
        return true;
    if (v.startWeek == w && v.endWeek == w)
        return false;
    if (v.startWeek == w) {
        v.startWeek = static_cast<std::uint8_t>(w + 1);
    } else if (v.endWeek == w) {
        v.endWeek = static_cast<std::uint8_t>(w - 1);
    } else {
        LectureView after = v;
        after.startWeek = static_cast<std::uint8_t>(w + 1);
        tail.push_back(after);
        v.endWeek = static_cast<std::uint8_t>(w - 1);
    }
    return true;
}

namespace {

// Removes placed cells of week w beyond allocated[w]: last day first, highest bell first.
void trimWeek(const ScheduleData &d, OccupancyMap &m, int w, int &excess)
{
    for (int day = dayCap(d); day >= 1 && excess > 0; --day)
        for (int bell = MaxBells; bell >= 1 && excess > 0; --bell) {
            std::uint32_t &mask = m.maskRef(w, day);
            const std::uint32_t bit = 1u << (bell - 1);
            if (mask & bit) {
                mask &= ~bit;
                --excess;
            }
        }
}

} // namespace

void trimToAllocation(const ScheduleData &d, WeekAllocation &wa, int first, int last, int atMost)
{
    std::array<int, WeekTableSize> excess{};
    bool any = false;
    for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w) {
        excess[w] = std::min(atMost, std::max(0, wa.scheduled[w] - wa.allocated[w]));
        any = any || excess[w] > 0;
    }
    if (!any)
        return;
    rebuildTimetable(
        d, wa, 0,
        [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
            for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w)
                if (excess[w] > 0)
                    trimWeek(d, m, w, excess[w]);
        },
        true);
}

void clearPlacements(const ScheduleData &d, WeekAllocation &wa, int first, int last)
{
    rebuildTimetable(
        d, wa, 0,
        [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
            for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w)
                for (int day = 1; day <= MaxDays; ++day)
                    m.maskRef(w, day) = 0;
        },
        true);
}

std::pair<int, int> allocationSpan(const ScheduleData &d, const WeekAllocation &wa)
{
    int first = weekCap(d), last = 1;
    bool any = false;
    for (int w = 1; w <= weekCap(d); ++w)
        if (wa.allocated[w] || wa.booked[w]) {
            first = any ? first : w;
            last = w;
            any = true;
        }
    return {first, last};
}

int weekRunsOf(const ScheduleData &d, const WeekAllocation &wa)
{
    const auto [first, last] = allocationSpan(d, wa);
    int runs = 0;
    for (int w = first; w <= last; ++w) {
        if (wa.allocated[w] && (w == first || wa.allocated[w - 1] != wa.allocated[w]))
            ++runs;
        if (wa.booked[w] && (w == first || wa.booked[w - 1] != wa.booked[w]))
            ++runs;
    }
    return runs;
}

} // namespace quivra::detail
