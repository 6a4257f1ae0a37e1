#include "engine/codeedits.h"

#include "engine/codetable.h"
#include "engine/recount.h"
#include "engine/totals.h"

#include <algorithm>

namespace quivra {

bool setCodeColour(ScheduleData &d, CodeId c, std::int32_t colour)
{
    if (!validCode(d, c))
        return false;
    if (d.codes[c].colour != colour) {
        d.codes[c].colour = colour;
        d.modified = true;
    }
    return true;
}

void setCodesCategory(ScheduleData &d, const std::vector<CodeId> &codes, int category)
{
    if (category < 1 || category > MaxCategories)
        return;
    const auto bit = static_cast<std::uint16_t>(1u << (CategoryShift + category - 1));
    const bool noTimetable = d.noTimetableMasks[ResourceMasks] & (1u << category);
    bool changed = false;
    for (const CodeId code : codes) {
        if (!validCode(d, code))
            continue;
        std::uint16_t &flags = d.codes[code].flags;
        const auto rebuilt =
            d.codes[code].isEvent()
                ? static_cast<std::uint16_t>(IsEventBit | bit | (flags & LockedBit))
                : static_cast<std::uint16_t>(bit | (noTimetable ? NoTimetableBit : 0));
        changed = changed || rebuilt != flags;
        flags = rebuilt;
    }
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    if (changed)
        d.modified = true;
}

bool setCodeName(ScheduleData &d, CodeId c, std::string_view name)
{
    if (!validCode(d, c))
        return false;
    const std::string_view kept = name.substr(0, std::min<std::size_t>(name.size(), NameLength));
    if (d.codes[c].name.view() != kept) {
        d.codes[c].name.assign(kept);
        d.modified = true;
    }
    return true;
}

bool setCodePlanned(ScheduleData &d, CodeId c, int planned)
{
    if (!validCode(d, c) || !d.codes[c].isEvent())
        return false;
    CodeRecord &r = d.codes[c];
    const int low = std::max<int>(r.allocated, 1);
    const int high = std::max(low, std::min<int>(d.coding.slotsTotal, 0xFFFF));
    const auto kept = static_cast<std::uint16_t>(std::clamp(planned, low, high));
    if (r.planned != kept) {
        r.planned = kept;
        d.modified = true;
    }
    return true;
}

bool setResourceCategoryRules(ScheduleData &d, std::uint8_t noTimetable, std::uint8_t noGaps)
{
    if (noTimetable == d.noTimetableMasks[ResourceMasks] && noGaps == d.noGapsMasks[ResourceMasks])
        return false;
    d.noTimetableMasks[ResourceMasks] = noTimetable;
    d.noGapsMasks[ResourceMasks] = noGaps;
    recount(d); // carries the category bits into every resource's NoTimetable flag
    d.modified = true;
    return true;
}

bool setCategoryLists(ScheduleData &d, std::string_view events, std::string_view resources,
                      std::string_view bookingKinds)
{
    for (const std::string_view list : {events, resources, bookingKinds})
        if (list.size() > static_cast<std::size_t>(ListLength))
            return false;
    if (d.eventCategories.view() == events && d.resourceCategories.view() == resources &&
        d.bookingKinds.view() == bookingKinds)
        return true;
    d.eventCategories.clear();
    d.eventCategories.assign(events);
    d.resourceCategories.clear();
    d.resourceCategories.assign(resources);
    d.bookingKinds.clear();
    d.bookingKinds.assign(bookingKinds);
    d.modified = true;
    return true;
}

void setBookingDefaults(ScheduleData &d, int eventKind, int resourceKind, bool occupied)
{
    setDefaultBookingKind(d, BookingOwner::Events, eventKind);
    setDefaultBookingKind(d, BookingOwner::Resources, resourceKind);
    FileHeaderState &h = d.header;
    if ((h.bookingsCountAsOccupied != 0) != occupied) {
        h.bookingsCountAsOccupied = occupied ? 1 : 0;
        d.modified = true;
    }
}

void setDefaultBookingKind(ScheduleData &d, BookingOwner owner, int kind)
{
    std::uint16_t &current = owner == BookingOwner::Events ? d.header.defaultEventBookingKind
                                                           : d.header.defaultResourceBookingKind;
    const auto clamped = static_cast<std::uint16_t>(std::clamp(kind, 1, 3));
    if (current != clamped) {
        current = clamped;
        d.modified = true;
    }
}

void noteConflictSource(ScheduleData &d, int k, std::int32_t today)
{
    if (k < 0 || k >= static_cast<int>(d.header.conflictSourceCounters.size()))
        return;
    auto &counter = d.header.conflictSourceCounters[static_cast<std::size_t>(k)];
    const std::uint32_t occasions =
        std::min<std::uint32_t>((static_cast<std::uint32_t>(counter) >> 16) + 1, 0x7fff);
    counter =
        static_cast<std::int32_t>((occasions << 16) | (static_cast<std::uint32_t>(today) & 0xffff));
    d.modified = true;
}

int conflictSourceCount(const ScheduleData &d, int k)
{
    if (k < 1 || k >= static_cast<int>(d.header.conflictSourceCounters.size()))
        return 0;
    const auto counter = d.header.conflictSourceCounters[static_cast<std::size_t>(k)];
    return static_cast<int>((static_cast<std::uint32_t>(counter) >> 16) & 0x7fff);
}

void resetConflictSources(ScheduleData &d)
{
    for (auto &counter : d.header.conflictSourceCounters) {
        if (counter != 0)
            d.modified = true;
        counter = 0;
    }
}

int eraseAllComments(ScheduleData &d)
{
    const int n = static_cast<int>(d.comments.size());
    d.comments.clear();
    if (n > 0)
        d.modified = true;
    return n;
}

int eraseAllMemos(ScheduleData &d)
{
    const int n = static_cast<int>(d.memos.size());
    d.memos.clear();
    if (n > 0)
        d.modified = true;
    return n;
}

bool setRoomsCategory(ScheduleData &d, int category)
{
    if (category < 1 || category > MaxCategories || category == d.roomsCategory)
        return false;
    d.roomsCategory = category;
    d.modified = true;
    return true;
}

} // namespace quivra
