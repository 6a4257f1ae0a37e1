#include "engine/recount.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/storeentries.h"

#include <algorithm>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

// Old or hand-made entries made consistent before sorting: legacy kinds into bookingKind, a
// resource's plain table entry becomes a booking, a resource booking without any kind is
// deleted, and bit 14 tells events from resources. Returns false for an entry to delete.
bool normaliseEntry(const ScheduleData &d, Entry &e)
{
    const int c = lectureCode(d, e.word);
    if (e.word == 0 || !validCode(d, c) || !validSlots(d.coding, e.start, e.end))
        return false;
    const bool event = d.codes[c].isEvent();
    const bool table = d.coding.dayOf(e.start) != 0;
    const bool narrow = d.lectureCodeMask == NarrowCodeMask;
    const int legacy = narrow ? (e.word & LegacyKindBits) >> 12 : 0;
    std::uint16_t word = e.word;
    if (table && !event && !(word & (LectureBookingBit | LectureEventBit))) {
        word |= LectureBookingBit;
        if (kindOf(e.kind) == 0)
            e.kind = static_cast<std::int16_t>((e.kind & ~0xFF) | (legacy != 0 ? legacy : 1));
    }
    word = takeLegacyKind(d, word, e.kind);
    if (table && !event && isBookingWord(word) && kindOf(e.kind) == 0)
        return false;
    word = static_cast<std::uint16_t>(event ? word | LectureEventBit : word & ~LectureEventBit);
    e.word = word;
    return true;
}

void growExtent(TimeRange &x, const LectureView &v)
{
    x.startWeek = std::min(x.startWeek, v.startWeek);
    x.endWeek = std::max(x.endWeek, v.endWeek);
    if (v.startDay == 0)
        return;
    x.startDay = std::min(x.startDay, v.startDay);
    x.endDay = std::max(x.endDay, v.endDay);
    x.startBell = std::min(x.startBell, v.startBell);
    x.endBell = std::max(x.endBell, v.endBell);
    const std::uint16_t block = static_cast<std::uint16_t>(v.endBell - v.startBell + 1);
    x.a = std::max(x.a, block);
    x.b = std::min(x.b, block);
}

void clampOptimiseEnd(ScheduleData &d)
{
    TimeRange &o = d.optimiseRange;
    auto clampTo = [](std::uint8_t &value, int used) {
        value = static_cast<std::uint8_t>(std::clamp<int>(value, 1, std::max(1, used)));
    };
    clampTo(o.endWeek, usedWeeks(d));
    clampTo(o.endDay, usedDays(d));
    clampTo(o.endBell, usedBells(d));
}

void replaceOptimiseRange(ScheduleData &d)
{
    TimeRange &o = d.optimiseRange;
    if (o.startWeek != 0 && o.startWeek <= o.endWeek)
        return;
    TimeRange copy = d.calendarRange;
    if (d.lectureCount > 0) {
        copy = d.scheduleExtent;
        // An extent of week entries only has no days or bells of its own.
        if (copy.endDay == 0) {
            copy.startDay = d.calendarRange.startDay;
            copy.endDay = d.calendarRange.endDay;
            copy.startBell = d.calendarRange.startBell;
            copy.endBell = d.calendarRange.endBell;
            copy.a = 0;
            copy.b = 0;
        }
    }
    if (copy.b < copy.a || copy.a == 0) {
        copy.b = 1;
        copy.a = copy.endBell;
    }
    o = copy;
}

// Collections first: whether an event still has resources must come from the list itself,
// never from Links or collectionPos as stored. Lock-others then locks every event except those
// of the resource.
void recountCollections(ScheduleData &d)
{
    rebuildCollections(d);
    if (!validCode(d, d.lockOthersResource) || d.codes[d.lockOthersResource].isEvent())
        return;
    for (int e = 1; e <= d.codeCount; ++e) {
        if (d.codes[e].isEvent())
            setLock(d, static_cast<CodeId>(e), LockMode::Lock);
    }
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, d.lockOthersResource, cursor))
        setLock(d, e, LockMode::Unlock);
}

// Drops the periods of events without resources (an event without resources can hold none),
// then normalises, validates, sorts and de-duplicates the lecture store.
void rebuildLectureStore(ScheduleData &d)
{
    const SlotCoding &k = d.coding;
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(d.lectureCount));
    for (int i = 1; i <= d.lectureCount; ++i) {
        Entry e{d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]};
        const int c = lectureCode(d, e.word);
        if (isEventId(d, static_cast<CodeId>(c)) && d.codes[c].links == 0)
            continue;
        if (normaliseEntry(d, e))
            entries.push_back(e);
    }
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent() && d.codes[c].links == 0) {
            d.codes[c].allocated = 0;
            d.codes[c].scheduled = 0;
        }
    }
    sortEntries(d, entries);
    // Exact duplicates of a timetable entry are the same cells twice; week allocations add up
    // and stay.
    const auto sameCells = [&](const Entry &a, const Entry &b) {
        return k.dayOf(b.start) != 0 && a.word == b.word && a.start == b.start && a.end == b.end;
    };
    entries.erase(std::unique(entries.begin(), entries.end(), sameCells), entries.end());
    writeEntries(d, entries);
}

// A code without a category gets category 1; the longest code and name size the columns.
// Clears firstLecture for the count that follows.
void defaultCategoriesAndWidths(ScheduleData &d)
{
    for (int c = 1; c <= d.codeCount; ++c) {
        CodeRecord &rec = d.codes[c];
        rec.firstLecture = 0;
        if (!(rec.flags & CategoryBitsMask))
            rec.flags =
                static_cast<std::uint16_t>((rec.flags & IsEventBit) | (1u << CategoryShift));
        d.facts.longestCode = std::max(d.facts.longestCode, int(rec.code.view().size()));
        d.facts.longestName = std::max(d.facts.longestName, int(rec.name.view().size()));
    }
}

// firstLecture, the schedule extent, the kind counters and the booking statistics, counted over
// the store as it stands after every deletion.
void countLectures(ScheduleData &d)
{
    StoreCounters &n = d.counters;
    n.weekAllocations = n.weekBookings = n.timetableLectures = n.tableBookings = 0;
    n.codesWithLectures = n.timetableEntries = n.timetabledResources = 0;
    n.resourceCounters.fill(0);
    n.eventCounters.fill(0);
    resetScheduleExtent(d);
    int previous = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        const int c = lectureCode(d, word);
        if (c != previous) {
            d.codes[c].firstLecture = static_cast<std::uint16_t>(i);
            ++n.codesWithLectures;
            previous = c;
        }
        const LectureView v = viewOf(d, i);
        growExtent(d.scheduleExtent, v);
        const bool booking = isBookingWord(word);
        if (v.startDay == 0) {
            ++(booking ? n.weekBookings : n.weekAllocations);
            continue;
        }
        ++(booking ? n.tableBookings : n.timetableLectures);
        ++n.timetableEntries;
        ++d.facts.blockLengths[v.endBell - v.startBell + 1];
        const int kind = kindOf(d.bookingKind[i]);
        if (booking && !d.codes[c].isEvent() && kind >= 1 && kind <= 3)
            d.facts.bookedCells[kind] +=
                (v.endBell - v.startBell + 1) * (v.endDay - v.startDay + 1);
    }
}

// The calendar in use grows to what is scheduled; then the facts about its weeks' lengths.
void growCalendarInUse(ScheduleData &d)
{
    TimeRange &used = d.calendarRange;
    if (d.lectureCount > 0) {
        used.endWeek = std::max(used.endWeek, d.scheduleExtent.endWeek);
        used.endDay = std::max(used.endDay, d.scheduleExtent.endDay);
        used.endBell = std::max(used.endBell, d.scheduleExtent.endBell);
    }
    const int firstLength = weekLength(d, 1);
    for (int w = 1; w <= usedWeeks(d); ++w) {
        const int length = weekLength(d, w);
        d.facts.realWeeks += length;
        d.facts.weeksSameLength = d.facts.weeksSameLength && length == firstLength;
        d.facts.anyWeekLengthOne = d.facts.anyWeekLengthOne || length == 1;
    }
}

// NoTimetable of every resource from its category, and the per-category counters.
void countCategories(ScheduleData &d)
{
    StoreCounters &n = d.counters;
    for (int c = 1; c <= d.codeCount; ++c) {
        CodeRecord &rec = d.codes[c];
        const int category = categoryOf(d, static_cast<CodeId>(c));
        if (rec.isEvent()) {
            ++n.eventCounters[0];
            ++n.eventCounters[category];
            continue;
        }
        const bool noTimetable = d.noTimetableMasks[1] & (1u << category);
        rec.flags = static_cast<std::uint16_t>(noTimetable ? rec.flags | NoTimetableBit
                                                           : rec.flags & ~NoTimetableBit);
        ++n.resourceCounters[0];
        ++n.resourceCounters[category];
        n.timetabledResources += noTimetable ? 0 : 1;
    }
}

} // namespace

// The recount, in order: clamp the optimiser's end into the calendar; rebuild the collection
// list, collectionPos and Links (and apply lock-others); drop the periods of events without
// resources; normalise, validate, sort and de-duplicate the lecture store; default categories
// and column widths; firstLecture, the extent, kind counters and booking statistics (counted
// after every deletion); grow the calendar in use; week facts; NoTimetable and the category
// counters; replace an empty optimiser range.
void recount(ScheduleData &d)
{
    clampCounts(d);
    d.facts = RecountFacts{};
    clampOptimiseEnd(d);
    recountCollections(d);
    rebuildLectureStore(d);
    defaultCategoriesAndWidths(d);
    countLectures(d);
    growCalendarInUse(d);
    countCategories(d);
    replaceOptimiseRange(d);
}

} // namespace quivra
