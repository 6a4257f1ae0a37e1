#include "engine/allocation.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <array>

namespace quivra {

using namespace detail;

namespace {

int counterCap(const ScheduleData &d)
{
    return std::clamp(d.coding.slotsPerWeek, 1, 255);
}

} // namespace

int allocatableInWeek(const ScheduleData &d, const WeekAllocation &wa, int w)
{
    const CodeId c = wa.code;
    if (!validCode(d, c) || w < 1 || w < d.currentWeek || w > usedWeeks(d) || w > weekCap(d) ||
        wa.booked[w])
        return 0;
    const int left = std::max(0, d.codes[c].planned - d.codes[c].allocated) / lengthOf(d, w);
    return std::max(0, std::min(left, counterCap(d) - wa.allocated[w]));
}

bool weekFitsPattern(int pattern, int w, int first, int last)
{
    switch (pattern) {
    case 0:
        return true;
    case 1:
        return w % 2 == 1;
    case 2:
        return w % 2 == 0;
    case 3:
        return w <= (first + last) / 2;
    case 4:
        return w > (first + last) / 2;
    case 5:
        return ((w + 1) / 2) % 2 == 1;
    case 6:
        return (w / 2) % 2 == 1;
    case 7:
        return ((w - 1) / 2) % 2 == 1;
    default:
        return false;
    }
}

int distributeByPattern(ScheduleData &d, WeekAllocation &wa, CodeId e, int last,
                        AllocationPatterns &patterns)
{
    if (!isEvent(d, e))
        return 0;
    wa.code = e;
    const int first = std::clamp(d.currentWeek, 1, weekCap(d));
    last = std::clamp(last, 0, weekCap(d));
    const int enabled = patterns.enabled ? patterns.enabled : 1;

    std::int64_t allocated = 0;
    for (int w = 1; w <= weekCap(d); ++w) {
        if (w >= first && w <= last)
            wa.allocated[w] = 0;
        else
            allocated += std::int64_t{wa.allocated[w]} * lengthOf(d, w);
    }
    int p = std::clamp(patterns.last, 0, 7);
    do
        p = (p + 1) % 8;
    while (!(enabled & (1 << p)));
    patterns.last = p;

    const int planned = d.codes[e].planned;
    for (bool any = true; any;) {
        any = false;
        for (int w = first; w <= last; ++w) {
            if (wa.booked[w] || wa.allocated[w] >= counterCap(d) ||
                planned < allocated + lengthOf(d, w) || !weekFitsPattern(p, w, first, last))
                continue;
            ++wa.allocated[w];
            allocated += lengthOf(d, w);
            any = true;
        }
    }
    if (first <= last)
        clearPlacements(d, wa, first, last);
    d.codes[e].allocated = saturate16(allocated);
    return d.codes[e].allocated;
}

int allocateLeastLoaded(ScheduleData &d, WeekAllocation &wa, CodeId e, int category)
{
    if (!isEvent(d, e))
        return 0;
    reloadWeekAllocation(d, e, wa);
    const int weeks = std::clamp(usedWeeks(d), 0, weekCap(d));

    // Load per week: the largest allocated total among the event's resources of the category.
    std::array<int, WeekTableSize> load{};
    bool anyResource = false;
    const MemberList members = collectionOf(d, e);
    WeekAllocation other;
    const LectureIndex index(d);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        const int r = members[i];
        if (!validCode(d, r) || categoryOf(d, static_cast<CodeId>(r)) != category)
            continue;
        anyResource = true;
        std::array<int, WeekTableSize> profile{};
        int cursor = d.collectionEntryCount + 1;
        while (CodeId x = eventsOfResource(d, static_cast<CodeId>(r), cursor)) {
            loadWeekAllocation(d, x, other, index);
            for (int w = 1; w <= weeks; ++w)
                profile[w] += other.allocated[w];
        }
        for (int w = 1; w <= weeks; ++w)
            load[w] = std::max(load[w], profile[w]);
    }

    std::int64_t allocated = 0;
    for (int w = 1; w <= weekCap(d); ++w)
        allocated += std::int64_t{wa.allocated[w]} * lengthOf(d, w);
    const int planned = d.codes[e].planned;
    int added = 0;
    while (allocated < planned) {
        int best = 0;
        for (int w = std::max(d.currentWeek, 1); w <= weeks; ++w) {
            if (wa.booked[w] || wa.allocated[w] >= counterCap(d) ||
                allocated + lengthOf(d, w) > planned)
                continue;
            if (best == 0 || load[w] < load[best])
                best = w;
        }
        if (best == 0)
            break;
        ++wa.allocated[best];
        // The event is one of the events of each of these resources; without any, every week
        // stays equally (un)loaded and the earliest week keeps taking periods.
        if (anyResource)
            ++load[best];
        allocated += lengthOf(d, best);
        ++added;
    }
    if (added > 0)
        storeWeekAllocation(d, e, wa);
    return added;
}

bool shiftAllocation(ScheduleData &d, WeekAllocation &wa, int w, ShiftDirection direction)
{
    const auto [first, last] = allocationSpan(d, wa);
    if (first > last || !(wa.allocated[first] || wa.booked[first]))
        return false;
    if (w == 0)
        w = first;
    if (w < first || w > last)
        return false;
    if (direction == ShiftDirection::Later) {
        if (last >= std::min(usedWeeks(d), weekCap(d)))
            return false;
        for (int x = last; x >= w; --x) {
            wa.allocated[x + 1] = wa.allocated[x];
            wa.booked[x + 1] = wa.booked[x];
        }
        wa.allocated[w] = 0;
        wa.booked[w] = 0;
        trimToAllocation(d, wa, w, last + 1);
        wa.firstWeek = first;
        wa.lastWeek = last + 1;
        return true;
    }
    if (d.currentWeek >= first || first <= 1)
        return false;
    for (int x = first; x <= w; ++x) {
        wa.allocated[x - 1] = wa.allocated[x];
        wa.booked[x - 1] = wa.booked[x];
    }
    wa.allocated[w] = 0;
    wa.booked[w] = 0;
    trimToAllocation(d, wa, first - 1, w);
    wa.firstWeek = first - 1;
    return true;
}

int removeOneAllocated(ScheduleData &d, WeekAllocation &wa, int a, int b)
{
    for (int w = std::min(b, weekCap(d)); w >= std::max(a, 1); --w) {
        if (wa.allocated[w] == 0)
            continue;
        --wa.allocated[w];
        // One period less takes at most one placed cell with it, even from a week that held
        // more placed than allocated before.
        if (wa.scheduled[w] > wa.allocated[w])
            trimToAllocation(d, wa, w, w, 1);
        return w;
    }
    return 0;
}

} // namespace quivra
