#include "engine/placement.h"

#include "engine/calendar.h"
#include "engine/collections.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <array>
#include <memory>

namespace quivra {

using namespace detail;

namespace {

int editBlock(ScheduleData &d, std::uint16_t word, const LectureView &block, bool place)
{
    if (!(word & LectureEventBit) || isBookingWord(word))
        return 0;
    const CodeId c = lectureCode(d, word);
    if (!isEvent(d, c) || !validTimetableLecture(d, block))
        return 0;
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    const std::uint16_t own = ownWord(d, c);
    const std::uint32_t bells = bellMask(block.startBell, block.endBell);
    rebuildTimetable(
        d, wa, place ? own : 0,
        [&](std::uint16_t groupWord, std::int16_t, OccupancyMap &m) {
            if (groupWord != own)
                return;
            for (int w = block.startWeek; w <= block.endWeek; ++w)
                for (int day = block.startDay; day <= block.endDay; ++day) {
                    if (place)
                        m.add(w, day, bells);
                    else
                        m.maskRef(w, day) &= ~bells;
                }
        },
        true);
    if (place)
        for (int w = block.startWeek; w <= block.endWeek; ++w)
            wa.allocated[w] = std::max(wa.allocated[w], wa.scheduled[w]);
    return storeWeekAllocation(d, c, wa);
}

} // namespace

int placeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block)
{
    return editBlock(d, word, block, true);
}

int removeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block)
{
    return editBlock(d, word, block, false);
}

int copyWeekTimetable(ScheduleData &d, WeekAllocation &wa, int s, int first, int last,
                      WeekCopyOptions options)
{
    const bool ignoreAllocation = options.ignoreAllocation;
    const CodeId e = wa.code;
    if (!isEvent(d, e) || !inWeeks(d, s) || wa.scheduled[s] == 0)
        return 0;
    first = std::max(first, 1);
    last = std::min(last, weekCap(d));
    if (options.replace) {
        for (int w = first; w <= last; ++w)
            if (w != s)
                clearPlacements(d, wa, w, w);
        storeWeekAllocation(d, e, wa);
        reloadWeekAllocation(d, e, wa);
    }

    // Every cell where one of the event's resources (or the event) is busy.
    auto busy = std::make_unique<OccupancyMap>();
    busy->reset(d);
    WeekAllocation work;
    const LectureIndex index(d);
    buildOccupancy(d, e, *busy, false, work, index);
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i)
        buildOccupancy(d, members[i], *busy, false, work, index);

    const std::uint16_t own = ownWord(d, e);
    const int days = std::clamp(usedDays(d), 0, dayCap(d));
    const std::uint32_t usedBellMask = bellMask(1, std::clamp(usedBells(d), 0, bellCap(d)));
    std::array<int, WeekTableSize> scheduled{};
    for (int w = 1; w <= MaxWeeks; ++w)
        scheduled[w] = wa.scheduled[w];
    int copied = 0;
    rebuildTimetable(
        d, wa, own,
        [&](std::uint16_t word, std::int16_t, OccupancyMap &m) {
            if (word != own)
                return;
            for (int w = first; w <= last; ++w) {
                if (w == s || wa.booked[w])
                    continue;
                for (int day = 1; day <= days; ++day) {
                    const std::uint32_t source = m.mask(s, day) & usedBellMask;
                    for (int bell = 1; bell <= MaxBells; ++bell) {
                        const std::uint32_t bit = 1u << (bell - 1);
                        if (!(source & bit) || (busy->mask(w, day) & bit) || (m.mask(w, day) & bit))
                            continue;
                        if (!ignoreAllocation && scheduled[w] >= wa.allocated[w])
                            continue;
                        m.add(w, day, bit);
                        ++scheduled[w];
                        ++copied;
                    }
                }
            }
        },
        true);
    for (int w = first; w <= last; ++w)
        if (w != s)
            wa.allocated[w] = std::max(wa.allocated[w], wa.scheduled[w]);
    if (copied > 0)
        storeWeekAllocation(d, e, wa);
    return copied;
}

bool lockGuard(ScheduleData &d, CodeId e, const std::function<bool(CodeId event)> &askUnlock)
{
    if (!validCode(d, e) || !(d.codes[e].flags & LockedBit))
        return true;
    if (!askUnlock || !askUnlock(e))
        return false;
    d.codes[e].flags = static_cast<std::uint16_t>(d.codes[e].flags & ~LockedBit);
    d.modified = true;
    return true;
}

} // namespace quivra
