#include "engine/clearing.h"

#include "engine/bookings.h"
#include "engine/calendar.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

// A week range of `wa` for week w (0: its first..last week), clamped to the coding.
std::pair<int, int> rangeOf(const ScheduleData &d, const WeekAllocation &wa, int w)
{
    if (w != 0)
        return {w, w};
    return {std::max(wa.firstWeek, 1), std::min(wa.lastWeek, weekCap(d))};
}

} // namespace

void clearWeeks(ScheduleData &d, WeekAllocation &wa, int week, ClearParts parts)
{
    const CodeId c = wa.code;
    if (!validCode(d, c))
        return;
    if (parts.allocations)
        parts.placements = true;
    const auto [first, last] = rangeOf(d, wa, week);
    if (!d.codes[c].isEvent()) {
        if (parts.slotBookings) {
            WeekTimetable none;
            none.owner = c;
            for (int w = first; w <= last; ++w)
                writeWeekBookings(d, BookingWrite::Replace, c, w, none);
            reloadWeekAllocation(d, c, wa);
        }
        return;
    }
    if (parts.placements)
        clearPlacements(d, wa, first, last);
    else if (parts.trimToAllocation)
        trimToAllocation(d, wa, first, last);
    for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w) {
        if (parts.allocations)
            wa.allocated[w] = 0;
        if (parts.weekBookings)
            wa.booked[w] = 0;
    }
}

int removeWeekFromTimetable(ScheduleData &d, CodeId c, int w)
{
    if (!validCode(d, c) || !inWeeks(d, w))
        return 0;
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    const int before = static_cast<int>(wa.timetable.size());
    cutTimetableWeek(wa, w, [](const LectureView &) { return true; });
    const int after = static_cast<int>(wa.timetable.size());
    storeWeekAllocation(d, c, wa);
    return before - after;
}

int repairWeeks(ScheduleData &d, CodeId c, int from, int to, RepairCounters &counters)
{
    std::vector<CodeId> events;
    if (c == 0) {
        for (int e = 1; e <= d.codeCount; ++e)
            if (d.codes[e].isEvent())
                events.push_back(static_cast<CodeId>(e));
    } else if (isEvent(d, c)) {
        events.push_back(c);
    } else if (validCode(d, c)) {
        int cursor = d.collectionEntryCount + 1;
        while (CodeId e = eventsOfResource(d, c, cursor))
            if (isEvent(d, e) && std::find(events.begin(), events.end(), e) == events.end())
                events.push_back(e);
    }
    int repaired = 0;
    WeekAllocation wa;
    auto count = [&](int first, int last) {
        for (int w = first; w <= last; ++w) {
            const int len = lengthOf(d, w);
            counters.allocated += wa.allocated[w] * len;
            counters.scheduled += wa.scheduled[w] * len;
            counters.bookedWeeks += wa.booked[w] ? len : 0;
            counters.bookedCells += wa.tableBooked[w] * len;
        }
    };
    auto weeksOf = [&] {
        return std::pair{std::max({from, wa.firstWeek, 1}),
                         std::min({to, wa.lastWeek, weekCap(d)})};
    };
    auto needsRepair = [&](int w) {
        return wa.scheduled[w] > wa.allocated[w] || (wa.allocated[w] > 0 && wa.booked[w]);
    };

    // Every save runs this over all events, and almost none need a repair: find those with one
    // pass over the store, then repair them one by one (a store moves entries, so the index is
    // not used past this point).
    std::vector<CodeId> broken;
    {
        const LectureIndex index(d);
        for (CodeId e : events) {
            loadWeekAllocation(d, e, wa, index);
            wa.code = e;
            const auto [first, last] = weeksOf();
            bool bad = false;
            for (int w = first; w <= last && !bad; ++w)
                bad = needsRepair(w);
            if (bad)
                broken.push_back(e);
            else
                count(first, last);
        }
    }
    for (CodeId e : broken) {
        reloadWeekAllocation(d, e, wa);
        const auto [first, last] = weeksOf();
        int fixes = 0;
        bool trim = false;
        for (int w = first; w <= last; ++w) {
            const bool excess = wa.scheduled[w] > wa.allocated[w];
            const bool booked = wa.allocated[w] > 0 && wa.booked[w];
            if (booked)
                clearWeeks(d, wa, w, {.allocations = true}); // a blocked week holds no periods
            trim = trim || (excess && !booked);
            fixes += excess || booked ? 1 : 0;
        }
        if (trim)
            trimToAllocation(d, wa, first, last);
        if (fixes > 0) {
            storeWeekAllocation(d, e, wa);
            repaired += fixes;
        }
        count(first, last);
    }
    counters.weeksRepaired += repaired;
    return repaired;
}

int repairWeeks(ScheduleData &d)
{
    RepairCounters counters;
    return repairWeeks(d, 0, 1, weekCap(d), counters);
}

} // namespace quivra
