#include "engine/totals.h"

#include "engine/calendar.h"
#include "engine/collections.h"
#include "engine/storeentries.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

constexpr std::int64_t MaxTotal = std::numeric_limits<std::uint16_t>::max();

std::uint16_t saturate16(std::int64_t value)
{
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, 0, MaxTotal));
}

struct EventSums
{
    std::int64_t planned = 0;
    std::int64_t allocated = 0;
    std::int64_t scheduled = 0;
    std::int64_t bookedWeeks = 0;
    std::int64_t tableBooked = 0;
};

// ALLOCATED, SCHEDULED, PLANNED and LINKS of one event from its loaded allocation; the event's
// timetable entries count towards the largest-timetable statistic.
void eventTotals(ScheduleData &d, int c, const WeekAllocation &wa, bool plannedFromAllocated,
                 EventSums &sums)
{
    std::int64_t allocated = 0, scheduled = 0, bookedWeeks = 0, tableBooked = 0;
    for (int w = wa.firstWeek; w <= wa.lastWeek; ++w) {
        const int length = weekLength(d, w);
        allocated += std::int64_t{wa.allocated[w]} * length;
        scheduled += std::int64_t{wa.scheduled[w]} * length;
        bookedWeeks += wa.booked[w] != 0 ? length : 0;
        tableBooked += std::int64_t{wa.tableBooked[w]} * length;
    }
    CodeRecord &rec = d.codes[c];
    rec.allocated = saturate16(allocated);
    rec.scheduled = saturate16(scheduled);
    if (plannedFromAllocated)
        rec.planned = rec.allocated;
    rec.planned = std::max<std::uint16_t>({rec.planned, rec.allocated, std::uint16_t{1}});
    rec.links = collectionOf(d, static_cast<CodeId>(c))[0];
    d.counters.largestTimetable = std::max(d.counters.largestTimetable, wa.tableEntries);
    sums.planned += rec.planned;
    sums.allocated += rec.allocated;
    sums.scheduled += rec.scheduled;
    sums.bookedWeeks += bookedWeeks;
    sums.tableBooked += tableBooked;
}

} // namespace

std::int32_t totals(ScheduleData &d, int first, int last, bool plannedFromAllocated)
{
    clampCounts(d);
    first = std::max(first, 1);
    last = std::min(last, d.codeCount);
    EventSums sums;
    WeekAllocation wa;
    auto one = [&](int c, std::span<const int> entries) {
        loadIndexed(d, static_cast<CodeId>(c), wa, entries);
        eventTotals(d, c, wa, plannedFromAllocated, sums);
    };
    if (first == last && d.codes[first].isEvent()) {
        loadWeekAllocation(d, static_cast<CodeId>(first), wa);
        eventTotals(d, first, wa, plannedFromAllocated, sums);
    } else if (first < last) {
        const LectureIndex index(d);
        for (int c = first; c <= last; ++c) {
            if (d.codes[c].isEvent())
                one(c, index.of(static_cast<CodeId>(c)));
        }
    }
    auto clamp32 = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::min<std::int64_t>(v, INT32_MAX));
    };
    d.counters.plannedTotal = clamp32(sums.planned);
    d.counters.allocatedTotal = clamp32(sums.allocated);
    d.counters.scheduledTotal = clamp32(sums.scheduled);
    d.counters.bookedWeeksTotal = clamp32(sums.bookedWeeks);
    d.counters.tableBookedTotal = clamp32(sums.tableBooked);
    return d.counters.plannedTotal;
}

void resourceTotals(ScheduleData &d, CodeId r)
{
    if (!validCode(d, r) || d.codes[r].isEvent())
        return;
    EventSums sums;
    WeekAllocation wa;
    int events = 0;
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, r, cursor)) {
        loadWeekAllocation(d, e, wa);
        eventTotals(d, e, wa, false, sums);
        ++events;
    }
    CodeRecord &rec = d.codes[r];
    rec.planned = saturate16(std::min<std::int64_t>(sums.planned, d.coding.slotsTotal));
    rec.allocated = saturate16(std::min<std::int64_t>(sums.allocated, rec.planned));
    rec.scheduled = saturate16(std::min<std::int64_t>(sums.scheduled, rec.allocated));
    rec.links = static_cast<std::uint16_t>(std::min(events, d.codeCount));
}

void allResourceTotals(ScheduleData &d)
{
    clampCounts(d);
    const LectureIndex index(d);
    WeekAllocation wa;
    const std::size_t size = static_cast<std::size_t>(d.codeCount) + 1;
    std::vector<EventSums> sums(size);
    std::vector<int> events(size, 0);
    std::vector<CodeId> lastEvent(size, 0);
    for (int e = 1; e <= d.codeCount; ++e) {
        if (!d.codes[e].isEvent())
            continue;
        loadIndexed(d, static_cast<CodeId>(e), wa, index.of(static_cast<CodeId>(e)));
        EventSums own;
        eventTotals(d, e, wa, false, own);
        const MemberList members = collectionOf(d, static_cast<CodeId>(e));
        for (int k = 1; k <= members[0]; ++k) {
            const int r = members[k];
            if (d.codes[r].isEvent() || lastEvent[r] == e)
                continue;
            lastEvent[r] = static_cast<CodeId>(e);
            sums[r].planned += own.planned;
            sums[r].allocated += own.allocated;
            sums[r].scheduled += own.scheduled;
            ++events[r];
        }
    }
    for (int r = 1; r <= d.codeCount; ++r) {
        if (d.codes[r].isEvent())
            continue;
        CodeRecord &rec = d.codes[r];
        rec.planned = saturate16(std::min<std::int64_t>(sums[r].planned, d.coding.slotsTotal));
        rec.allocated = saturate16(std::min<std::int64_t>(sums[r].allocated, rec.planned));
        rec.scheduled = saturate16(std::min<std::int64_t>(sums[r].scheduled, rec.allocated));
        rec.links = static_cast<std::uint16_t>(std::min(events[r], d.codeCount));
    }
}

} // namespace quivra
