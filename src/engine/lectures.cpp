#include "engine/lectures.h"

#include "engine/calendar.h"
#include "engine/codetable.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace quivra {

namespace {

constexpr std::int64_t MaxTotal = std::numeric_limits<std::uint16_t>::max();

std::uint16_t saturate16(std::int64_t value)
{
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, 0, MaxTotal));
}

int kindOf(std::int16_t stored)
{
    return stored & 0xFF;
}

int memberCountOf(const MemberList &members)
{
    return std::clamp<int>(members[0], 0, MaxMembers);
}

// Writes the kept members back contiguously and clears the rest of the list.
template <typename Keep> void filterMembers(MemberList &members, Keep keep)
{
    const int n = memberCountOf(members);
    int kept = 0;
    for (int i = 1; i <= n; ++i) {
        if (keep(members[i]))
            members[++kept] = members[i];
    }
    for (int i = kept + 1; i <= MaxMembers; ++i)
        members[i] = 0;
    members[0] = static_cast<CodeId>(kept);
}

bool isMarker(std::uint16_t entry)
{
    return entry & CollectionMarkerBit;
}

bool isMarkerOf(std::uint16_t entry, int event)
{
    return isMarker(entry) && collectionCode(entry) == event;
}

bool isEventId(const ScheduleData &d, int c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}

// Whether an entry's slots lie inside the coding: weeks 1..weekLimit with start <= end, and for
// a timetable entry (start day set) days 1..dayLimit and bells 1..bellLimit, each start <= end.
// A week entry's end day and bell carry a count and are not times.
bool validSlots(const SlotCoding &k, SlotCode start, SlotCode end)
{
    const int w1 = k.weekOf(start);
    const int w2 = k.weekOf(end);
    if (w1 < 1 || w1 > w2 || w2 > k.weekLimit)
        return false;
    const int d1 = k.dayOf(start);
    if (d1 == 0)
        return true;
    const int d2 = k.dayOf(end);
    const int b1 = k.bellOf(start);
    const int b2 = k.bellOf(end);
    return d1 <= d2 && d2 <= k.dayLimit && b1 >= 1 && b1 <= b2 && b2 <= k.bellLimit;
}

bool validEntry(const ScheduleData &d, std::uint16_t word, SlotCode start, SlotCode end)
{
    return word != 0 && validCode(d, lectureCode(d, word)) && validSlots(d.coding, start, end);
}

LectureView viewOf(const ScheduleData &d, int index)
{
    const SlotCoding &k = d.coding;
    const SlotCode start = d.lectureStart[index];
    const SlotCode end = d.lectureEnd[index];
    LectureView v;
    v.word = d.lectureWord[index];
    v.startWeek = static_cast<std::uint8_t>(k.weekOf(start));
    v.startDay = static_cast<std::uint8_t>(k.dayOf(start));
    v.startBell = static_cast<std::uint8_t>(k.bellOf(start));
    v.endWeek = static_cast<std::uint8_t>(k.weekOf(end));
    v.endDay = static_cast<std::uint8_t>(k.dayOf(end));
    v.endBell = static_cast<std::uint8_t>(k.bellOf(end));
    if (v.startDay == 0)
        v.count = static_cast<std::uint16_t>(end & k.dayBellMask);
    return v;
}

// Moves a booking kind that an old file kept in word bits 12..13 into bookingKind (unless a
// kind is already there) and clears those bits. Only meaningful under the 12-bit mask; with
// 13-bit ids bit 12 is part of the id and only bit 13 is cleared.
std::uint16_t takeLegacyKind(const ScheduleData &d, std::uint16_t word, std::int16_t &kind)
{
    if (d.lectureCodeMask != NarrowCodeMask)
        return static_cast<std::uint16_t>(word & ~0x2000u);
    const int legacy = (word & LegacyKindBits) >> 12;
    if (isBookingWord(word) && legacy != 0 && kindOf(kind) == 0)
        kind = static_cast<std::int16_t>((kind & ~0xFF) | legacy);
    return static_cast<std::uint16_t>(word & ~LegacyKindBits);
}

struct Entry
{
    std::uint16_t word = 0;
    SlotCode start = 0;
    SlotCode end = 0;
    std::int16_t kind = 0;
};

// The one order of the store: code part, start, end, word, kind. Total, so equal keys mean
// identical entries and a sorted store is reproducible.
void sortEntries(const ScheduleData &d, std::vector<Entry> &entries)
{
    const std::uint16_t mask = d.lectureCodeMask;
    std::sort(entries.begin(), entries.end(), [mask](const Entry &a, const Entry &b) {
        const int ca = a.word & mask;
        const int cb = b.word & mask;
        if (ca != cb)
            return ca < cb;
        if (a.start != b.start)
            return a.start < b.start;
        if (a.end != b.end)
            return a.end < b.end;
        if (a.word != b.word)
            return a.word < b.word;
        return a.kind < b.kind;
    });
}

void writeEntries(ScheduleData &d, const std::vector<Entry> &entries)
{
    const int n = static_cast<int>(entries.size());
    for (int i = 0; i < n; ++i) {
        d.lectureWord[i + 1] = entries[i].word;
        d.lectureStart[i + 1] = entries[i].start;
        d.lectureEnd[i + 1] = entries[i].end;
        d.bookingKind[i + 1] = entries[i].kind;
    }
    std::fill(d.lectureWord.begin() + n + 1, d.lectureWord.end(), 0);
    std::fill(d.lectureStart.begin() + n + 1, d.lectureStart.end(), 0);
    std::fill(d.lectureEnd.begin() + n + 1, d.lectureEnd.end(), 0);
    std::fill(d.bookingKind.begin() + n + 1, d.bookingKind.end(), 0);
    d.lectureCount = n;
}

void rebuildFirstLecture(ScheduleData &d)
{
    for (int c = 0; c <= d.codeCount; ++c)
        d.codes[c].firstLecture = 0;
    int previous = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (c != previous && validCode(d, c))
            d.codes[c].firstLecture = static_cast<std::uint16_t>(i);
        previous = c;
    }
}

void clampCounts(ScheduleData &d)
{
    d.codeCount = std::clamp(d.codeCount, 0, MaxCodes);
    d.lectureCount = std::clamp(d.lectureCount, 0, MaxLectures);
    d.collectionEntryCount = std::clamp(d.collectionEntryCount, 0, MaxCollectionEntries);
}

void resetAllocation(const ScheduleData &d, int c, WeekAllocation &wa)
{
    wa.code = static_cast<CodeId>(c);
    wa.weekEntries = 0;
    wa.tableEntries = 0;
    wa.firstWeek = d.coding.weekLimit;
    wa.lastWeek = 1;
    wa.allocated.fill(0);
    wa.booked.fill(0);
    wa.scheduled.fill(0);
    wa.tableBooked.fill(0);
    wa.timetable.clear();
    wa.timetableKinds.clear();
}

void addSaturated(std::uint8_t &counter, int amount, int cap)
{
    counter = static_cast<std::uint8_t>(std::min(cap, counter + amount));
}

// Adds entry i to the working form; invalid entries are skipped so nothing outside the coding
// reaches the per-week tables.
bool addEntry(const ScheduleData &d, int i, WeekAllocation &wa)
{
    const std::uint16_t word = d.lectureWord[i];
    if (word == 0 || !validSlots(d.coding, d.lectureStart[i], d.lectureEnd[i]))
        return false;
    const LectureView v = viewOf(d, i);
    const int cap = std::min(d.coding.slotsPerWeek, 255);
    wa.firstWeek = std::min<int>(wa.firstWeek, v.startWeek);
    wa.lastWeek = std::max<int>(wa.lastWeek, v.endWeek);
    const bool booking = isBookingWord(word);
    int kind = booking ? kindOf(d.bookingKind[i]) : 0;
    if (v.startDay == 0) {
        ++wa.weekEntries;
        if (booking && kind == 0)
            kind = v.count & 0xFF;
        for (int w = v.startWeek; w <= v.endWeek; ++w) {
            if (booking)
                wa.booked[w] = static_cast<std::uint8_t>(kind);
            else
                addSaturated(wa.allocated[w], v.count, cap);
        }
        return true;
    }
    ++wa.tableEntries;
    wa.timetable.push_back(v);
    wa.timetableKinds.push_back(static_cast<std::int16_t>(kind));
    const int cells = (v.endDay - v.startDay + 1) * (v.endBell - v.startBell + 1);
    for (int w = v.startWeek; w <= v.endWeek; ++w)
        addSaturated(booking ? wa.tableBooked[w] : wa.scheduled[w], cells, cap);
    return true;
}

int finishAllocation(ScheduleData &d, int c, const WeekAllocation &wa, int read)
{
    d.counters.largestTimetable = std::max(d.counters.largestTimetable, wa.tableEntries);
    d.weekSpan[c] = read > 0 ? static_cast<std::uint16_t>(wa.firstWeek << 8 | wa.lastWeek) : 0;
    return read;
}

int loadIndexed(ScheduleData &d, int c, WeekAllocation &wa, std::span<const int> entries)
{
    resetAllocation(d, c, wa);
    int read = 0;
    for (int i : entries)
        read += addEntry(d, i, wa) ? 1 : 0;
    return finishAllocation(d, c, wa, read);
}

struct EventSums
{
    std::int64_t planned = 0;
    std::int64_t allocated = 0;
    std::int64_t scheduled = 0;
    std::int64_t bookedWeeks = 0;
    std::int64_t tableBooked = 0;
};

// ALLOCATED, SCHEDULED, PLANNED and LINKS of one event from its loaded allocation.
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
    rec.links = collectionOf(d, c)[0];
    sums.planned += rec.planned;
    sums.allocated += rec.allocated;
    sums.scheduled += rec.scheduled;
    sums.bookedWeeks += bookedWeeks;
    sums.tableBooked += tableBooked;
}

// Visits the (marker position, end) range of every marker of `event` in the list.
template <typename Visit> void forEachMarkerRange(const ScheduleData &d, int event, Visit visit)
{
    const int n = d.collectionEntryCount;
    for (int i = 1; i <= n; ++i) {
        if (!isMarkerOf(d.collection[i], event))
            continue;
        int end = i + 1;
        while (end <= n && !isMarker(d.collection[end]))
            ++end;
        visit(i, end);
        i = end - 1;
    }
}

// Drops holes and entries naming no code, then rebuilds collectionPos (the first marker of an
// event wins; markers of resources are ignored), collectionCount and the Links of events and
// resources. Wrong entries (a marker of a resource, a member that is an event) are kept for the
// health check and counted.
void rebuildCollections(ScheduleData &d)
{
    int kept = 0;
    int wrong = 0;
    for (int i = 1; i <= d.collectionEntryCount; ++i) {
        const std::uint16_t entry = d.collection[i];
        const int c = collectionCode(entry);
        if (!validCode(d, c))
            continue;
        if (isMarker(entry) != d.codes[c].isEvent())
            ++wrong;
        d.collection[++kept] = entry;
    }
    std::fill(d.collection.begin() + kept + 1, d.collection.end(), 0);
    d.collectionEntryCount = kept;
    d.facts.wrongCollectionEntries = wrong;
    d.usageCounters[0] = std::max(d.usageCounters[0], wrong);

    for (int c = 0; c <= d.codeCount; ++c) {
        d.codes[c].collectionPos = 0;
        d.codes[c].links = 0;
    }
    for (int i = kept; i >= 1; --i) {
        const std::uint16_t entry = d.collection[i];
        if (isMarker(entry) && isEventId(d, collectionCode(entry)))
            d.codes[collectionCode(entry)].collectionPos = static_cast<std::uint16_t>(i);
    }
    // A resource counts each event once, however often that event lists it.
    std::vector<CodeId> lastEvent(static_cast<std::size_t>(d.codeCount) + 1, 0);
    int events = 0;
    for (int e = 1; e <= d.codeCount; ++e) {
        if (d.codes[e].collectionPos == 0)
            continue;
        ++events;
        const MemberList members = collectionOf(d, e);
        d.codes[e].links = members[0];
        for (int k = 1; k <= members[0]; ++k) {
            const int r = members[k];
            if (d.codes[r].isEvent() || lastEvent[r] == e)
                continue;
            lastEvent[r] = static_cast<CodeId>(e);
            ++d.codes[r].links;
        }
    }
    d.collectionCount = events;
}

} // namespace

// ---- Collections -----------------------------------------------------------------------------

MemberList getCollection(ScheduleData &d, int event)
{
    d.currentEvent = validCode(d, event) ? static_cast<CodeId>(event) : 0;
    return collectionOf(d, event);
}

MemberList collectionOf(const ScheduleData &d, int event)
{
    MemberList members{};
    if (!validCode(d, event))
        return members;
    const int pos = d.codes[event].collectionPos;
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    // A position that does not hold the event's marker is stale: no collection until the recount
    // finds the marker again.
    if (pos < 1 || pos > n || !isMarkerOf(d.collection[pos], event))
        return members;
    int count = 0;
    for (int i = pos + 1; i <= n && count < MaxMembers; ++i) {
        const std::uint16_t entry = d.collection[i];
        if (isMarker(entry))
            break;
        if (validCode(d, entry))
            members[++count] = entry;
    }
    members[0] = static_cast<CodeId>(count);
    return members;
}

int setCollection(ScheduleData &d, int event, const MemberList &members)
{
    if (!validCode(d, event))
        return 0;
    clampCounts(d);
    std::vector<CodeId> fresh;
    for (int i = 1; i <= memberCountOf(members); ++i) {
        if (validCode(d, members[i]))
            fresh.push_back(members[i]);
    }
    const int need = fresh.empty() ? 0 : 1 + static_cast<int>(fresh.size());

    // Room is judged on what a compaction would leave, so a list that cannot take the whole new
    // collection is refused before anything changes instead of being cut short.
    if (d.collectionEntryCount + need > MaxCollectionEntries) {
        int live = 0;
        for (int i = 1; i <= d.collectionEntryCount; ++i)
            live += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
        int old = 0;
        forEachMarkerRange(d, event, [&](int from, int to) {
            for (int i = from; i < to; ++i)
                old += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
        });
        if (live - old + need > MaxCollectionEntries)
            return 0;
    }

    d.modified = true;
    int markers = 0;
    forEachMarkerRange(d, event, [&](int from, int to) {
        std::fill(d.collection.begin() + from, d.collection.begin() + to, 0);
        ++markers;
    });
    d.collectionCount = std::max(0, d.collectionCount - (markers > 0 ? 1 : 0));
    d.codes[event].collectionPos = 0;
    d.codes[event].links = 0;
    if (need == 0)
        return 0;
    if (d.collectionEntryCount + need > MaxCollectionEntries)
        rebuildCollections(d);

    ++d.collectionCount;
    d.collection[++d.collectionEntryCount] =
        static_cast<std::uint16_t>(event | CollectionMarkerBit);
    d.codes[event].collectionPos = static_cast<std::uint16_t>(d.collectionEntryCount);
    for (CodeId r : fresh)
        d.collection[++d.collectionEntryCount] = r;
    d.codes[event].links = static_cast<std::uint16_t>(fresh.size());
    return static_cast<int>(fresh.size());
}

int positionInList(int c, const MemberList &members)
{
    const int n = memberCountOf(members);
    for (int i = 1; i <= n; ++i) {
        if (members[i] == c)
            return i;
    }
    return 0;
}

int countInCategory(const ScheduleData &d, int category, const MemberList &members)
{
    int count = 0;
    for (int i = 1; i <= memberCountOf(members); ++i)
        count += categoryOf(d, members[i]) == category ? 1 : 0;
    return count;
}

CodeId memberOfCategory(const ScheduleData &d, int category, int k, const MemberList &members)
{
    for (int i = 1; i <= memberCountOf(members); ++i) {
        if (categoryOf(d, members[i]) == category && --k == 0)
            return members[i];
    }
    return 0;
}

void keepCategories(const ScheduleData &d, std::uint8_t mask, MemberList &members)
{
    filterMembers(members, [&](CodeId c) {
        const int category = categoryOf(d, c);
        return category >= 1 && (mask & (1u << category));
    });
}

void dropNoTimetable(const ScheduleData &d, MemberList &members)
{
    filterMembers(
        members, [&](CodeId c) { return validCode(d, c) && !(d.codes[c].flags & NoTimetableBit); });
}

void sortMembers(ScheduleData &d, bool dedupe, bool ascending, MemberList &members)
{
    filterMembers(members, [&](CodeId c) { return validCode(d, c); });
    const int n = members[0];
    auto less = [&](CodeId a, CodeId b) {
        const CodeRecord &x = d.codes[a];
        const CodeRecord &y = d.codes[b];
        if (x.flags != y.flags)
            return x.flags < y.flags;
        const int byCode = compareBytes(x.code.view(), y.code.view());
        if (byCode != 0)
            return byCode < 0;
        return a < b;
    };
    const auto first = members.begin() + 1;
    const auto last = first + n;
    if (ascending)
        std::sort(first, last, less);
    else
        std::sort(first, last, [&](CodeId a, CodeId b) { return less(b, a); });
    if (dedupe) {
        const auto end = std::unique(first, last);
        std::fill(end, last, 0);
        members[0] = static_cast<CodeId>(end - first);
    }
    d.modified = true;
}

bool replaceMember(ScheduleData &d, int event, int oldResource, int newResource)
{
    if (!validCode(d, newResource) || d.codes[newResource].isEvent())
        return false;
    const MemberList members = collectionOf(d, event);
    if (positionInList(oldResource, members) == 0 || positionInList(newResource, members) != 0)
        return false;
    const int pos = d.codes[event].collectionPos;
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    for (int i = pos + 1; i <= n && !isMarker(d.collection[i]); ++i) {
        if (d.collection[i] == oldResource)
            d.collection[i] = static_cast<std::uint16_t>(newResource);
    }
    d.modified = true;
    return true;
}

bool exchangeMembers(ScheduleData &d, int eventA, int a, int eventB, int b)
{
    const MemberList inA = collectionOf(d, eventA);
    const MemberList inB = collectionOf(d, eventB);
    if (positionInList(a, inA) == 0 || positionInList(a, inB) != 0 || positionInList(b, inB) == 0 ||
        positionInList(b, inA) != 0)
        return false;
    if (d.codes[a].isEvent() || d.codes[b].isEvent())
        return false;
    return replaceMember(d, eventA, a, b) && replaceMember(d, eventB, b, a);
}

CodeId eventsOfResource(const ScheduleData &d, int resource, int &cursor)
{
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    if (!validCode(d, resource)) {
        cursor = 0;
        return 0;
    }
    int i = std::clamp(cursor, 0, n + 1) - 1;
    while (i >= 1) {
        if (d.collection[i] != resource || isMarker(d.collection[i])) {
            --i;
            continue;
        }
        int marker = i - 1;
        int position = 1;
        while (marker >= 1 && !isMarker(d.collection[marker])) {
            position += d.collection[marker] != 0 ? 1 : 0;
            --marker;
        }
        if (marker < 1)
            break;
        // Continue below this collection: an event listing the resource twice comes once.
        cursor = marker;
        const int event = collectionCode(d.collection[marker]);
        if (isEventId(d, event) && d.codes[event].collectionPos == marker && position <= MaxMembers)
            return static_cast<CodeId>(event);
        i = marker - 1;
    }
    cursor = 0;
    return 0;
}

// ---- The lecture store -----------------------------------------------------------------------

LectureView unpackLecture(ScheduleData &d, int index)
{
    if (index < 1 || index > d.lectureCount || index > MaxLectures)
        return {};
    // Plain entries keep legacy bits until the recount, which needs them to type old entries.
    if (isBookingWord(d.lectureWord[index]))
        d.lectureWord[index] = takeLegacyKind(d, d.lectureWord[index], d.bookingKind[index]);
    return viewOf(d, index);
}

void packLecture(ScheduleData &d, int index, const LectureView &view)
{
    if (index < 1 || index > d.lectureCount || index > MaxLectures)
        return;
    const SlotCoding &k = d.coding;
    LectureView v = view;
    if (v.startDay == 0 && v.count != 0) {
        const int n = std::min<int>(v.count, k.slotsPerWeek);
        v.endDay = static_cast<std::uint8_t>(n >> k.bellBits);
        v.endBell = static_cast<std::uint8_t>(n & k.bellMask);
    }
    // Fields beyond the coding would spill into their neighbours when packed.
    const bool fits = v.startWeek <= k.weekMask && v.endWeek <= k.weekMask &&
                      v.startDay <= k.dayMask && v.endDay <= k.dayMask &&
                      v.startBell <= k.bellMask && v.endBell <= k.bellMask;
    const SlotCode start = k.pack(v.startWeek, v.startDay, v.startBell);
    const SlotCode end = k.pack(v.endWeek, v.endDay, v.endBell);
    std::uint16_t word = takeLegacyKind(d, v.word, d.bookingKind[index]);
    if (!fits || !validSlots(k, start, end))
        word = 0; // dropped by the next compaction
    d.lectureWord[index] = word;
    d.lectureStart[index] = fits ? start : 0;
    d.lectureEnd[index] = fits ? end : 0;
    d.modified = true;
}

int appendLecture(ScheduleData &d, const LectureView &view, int kind)
{
    if (view.word == 0 || d.lectureCount < 0 || d.lectureCount >= MaxLectures)
        return 0;
    const int index = d.lectureCount + 1;
    d.lectureCount = index;
    d.bookingKind[index] = static_cast<std::int16_t>(kind);
    packLecture(d, index, view);
    if (d.lectureWord[index] == 0) {
        // Refused: the view lies outside the coding; leave the store as it was.
        d.bookingKind[index] = 0;
        d.lectureStart[index] = 0;
        d.lectureEnd[index] = 0;
        d.lectureCount = index - 1;
        return 0;
    }
    return index;
}

void removeLecturesOf(ScheduleData &d, int c)
{
    if (!validCode(d, c))
        return;
    const int n = std::min(d.lectureCount, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        if (lectureCode(d, d.lectureWord[i]) == c)
            d.lectureWord[i] = 0;
    }
    d.modified = true;
}

LectureIndex::LectureIndex(const ScheduleData &d)
    : m_offsets(static_cast<std::size_t>(std::clamp(d.codeCount, 0, MaxCodes)) + 2, 0)
{
    // Counts as far as the stores reach, whatever a damaged data set claims.
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c))
            ++m_offsets[c + 1];
    }
    for (std::size_t c = 1; c < m_offsets.size(); ++c)
        m_offsets[c] += m_offsets[c - 1];
    m_items.resize(m_offsets.back());
    std::vector<int> fill(m_offsets.begin(), m_offsets.end() - 1);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c))
            m_items[fill[c]++] = i;
    }
}

std::span<const int> LectureIndex::of(int c) const
{
    if (c < 1 || c >= static_cast<int>(m_offsets.size()) - 1)
        return {};
    return std::span<const int>(m_items).subspan(m_offsets[c], m_offsets[c + 1] - m_offsets[c]);
}

int loadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa, const LectureIndex &index)
{
    return loadIndexed(d, c, wa, index.of(c));
}

int loadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa)
{
    resetAllocation(d, c, wa);
    if (!validCode(d, c))
        return 0;
    const int n = std::min(d.lectureCount, MaxLectures);
    int read = 0;
    for (int i = 1; i <= n; ++i) {
        if (lectureCode(d, d.lectureWord[i]) == c)
            read += addEntry(d, i, wa) ? 1 : 0;
    }
    return finishAllocation(d, c, wa, read);
}

void compactLectures(ScheduleData &d)
{
    clampCounts(d);
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(d.lectureCount));
    for (int i = 1; i <= d.lectureCount; ++i) {
        Entry e{d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]};
        if (isBookingWord(e.word) || d.lectureCodeMask != NarrowCodeMask)
            e.word = takeLegacyKind(d, e.word, e.kind);
        if (validEntry(d, e.word, e.start, e.end))
            entries.push_back(e);
    }
    sortEntries(d, entries);
    writeEntries(d, entries);
    rebuildFirstLecture(d);
}

void mergeLectures(ScheduleData &d)
{
    const SlotCoding &k = d.coding;
    for (bool changed = true; changed;) {
        changed = false;
        compactLectures(d);
        for (int i = 1; i < d.lectureCount; ++i) {
            const int j = i + 1;
            if (d.lectureWord[i] == 0 || d.lectureWord[i] != d.lectureWord[j])
                continue;
            const bool booking = isBookingWord(d.lectureWord[i]);
            if (booking && kindOf(d.bookingKind[i]) != kindOf(d.bookingKind[j]))
                continue;
            LectureView a = viewOf(d, i);
            const LectureView b = viewOf(d, j);
            const bool identical =
                d.lectureStart[i] == d.lectureStart[j] && d.lectureEnd[i] == d.lectureEnd[j];
            const bool sameWeeks = a.startWeek == b.startWeek && a.endWeek == b.endWeek;
            const bool sameDays = a.startDay == b.startDay && a.endDay == b.endDay;
            const bool sameBells = a.startBell == b.startBell && a.endBell == b.endBell;
            bool join = false;
            if ((a.startDay == 0) != (b.startDay == 0)) {
                // A week entry and a timetable entry of the same code are different things,
                // never one entry.
                join = false;
            } else if (booking) {
                join = identical;
            } else if (a.startDay == 0) {
                // Two allocations of the same weeks are two sets of periods: they are added, and
                // an identical pair is never simply dropped.
                if (sameWeeks && a.count + b.count < k.slotsPerWeek) {
                    a.count = static_cast<std::uint16_t>(a.count + b.count);
                    join = true;
                }
            } else if (sameDays && sameBells && b.startWeek == a.endWeek + 1) {
                a.endWeek = b.endWeek;
                join = true;
            } else if (sameWeeks && sameDays && b.startBell == a.endBell + 1) {
                a.endBell = b.endBell;
                join = true;
            } else if (sameWeeks && sameBells && b.startDay == a.endDay + 1) {
                a.endDay = b.endDay;
                join = true;
            } else {
                join = identical;
            }
            if (!join)
                continue;
            packLecture(d, i, a);
            d.lectureWord[j] = 0;
            changed = true;
            ++i;
        }
    }
}

// ---- Totals ----------------------------------------------------------------------------------

std::int32_t totals(ScheduleData &d, int first, int last, bool plannedFromAllocated)
{
    clampCounts(d);
    first = std::max(first, 1);
    last = std::min(last, d.codeCount);
    EventSums sums;
    WeekAllocation wa;
    auto one = [&](int c, std::span<const int> entries) {
        loadIndexed(d, c, wa, entries);
        eventTotals(d, c, wa, plannedFromAllocated, sums);
    };
    if (first == last && d.codes[first].isEvent()) {
        loadWeekAllocation(d, first, wa);
        eventTotals(d, first, wa, plannedFromAllocated, sums);
    } else if (first < last) {
        const LectureIndex index(d);
        for (int c = first; c <= last; ++c) {
            if (d.codes[c].isEvent())
                one(c, index.of(c));
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

void resourceTotals(ScheduleData &d, int r)
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
        loadIndexed(d, e, wa, index.of(e));
        EventSums own;
        eventTotals(d, e, wa, false, own);
        const MemberList members = collectionOf(d, e);
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

// ---- Recount ---------------------------------------------------------------------------------

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
    const SlotCoding &k = d.coding;
    d.facts = RecountFacts{};
    clampOptimiseEnd(d);

    // Collections first: whether an event still has resources must come from the list itself,
    // never from Links or collectionPos as stored.
    rebuildCollections(d);
    if (validCode(d, d.lockOthersResource) && !d.codes[d.lockOthersResource].isEvent()) {
        for (int e = 1; e <= d.codeCount; ++e) {
            if (d.codes[e].isEvent())
                setLock(d, e, LockMode::Lock);
        }
        int cursor = d.collectionEntryCount + 1;
        while (const CodeId e = eventsOfResource(d, d.lockOthersResource, cursor))
            setLock(d, e, LockMode::Unlock);
    }

    // An event without resources can hold no periods.
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(d.lectureCount));
    for (int i = 1; i <= d.lectureCount; ++i) {
        Entry e{d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]};
        const int c = lectureCode(d, e.word);
        if (isEventId(d, c) && d.codes[c].links == 0)
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

    for (int c = 1; c <= d.codeCount; ++c) {
        CodeRecord &rec = d.codes[c];
        rec.firstLecture = 0;
        if (!(rec.flags & CategoryBitsMask))
            rec.flags =
                static_cast<std::uint16_t>((rec.flags & IsEventBit) | (1u << CategoryShift));
        d.facts.longestCode = std::max(d.facts.longestCode, int(rec.code.view().size()));
        d.facts.longestName = std::max(d.facts.longestName, int(rec.name.view().size()));
    }

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

    // The calendar in use grows to what is scheduled.
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

    for (int c = 1; c <= d.codeCount; ++c) {
        CodeRecord &rec = d.codes[c];
        const int category = categoryOf(d, c);
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
    replaceOptimiseRange(d);
}

// ---- Seats -----------------------------------------------------------------------------------

namespace {

// The number written after the first "#" of a name: its leading signed integer, 1 when there is
// none or it is 0.
int seatsOfName(std::string_view name)
{
    const auto hash = name.find('#');
    if (hash == std::string_view::npos)
        return 1;
    std::size_t i = hash + 1;
    bool negative = false;
    while (i < name.size() && (name[i] == '+' || name[i] == '-'))
        negative = name[i++] == '-' ? !negative : negative;
    int value = 0;
    bool digits = false;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
        value = std::min(value * 10 + (name[i++] - '0'), static_cast<int>(MaxTotal));
        digits = true;
    }
    if (!digits || value == 0)
        return 1;
    return negative ? -value : value;
}

} // namespace

int seats(const ScheduleData &d, int c, int category)
{
    if (!validCode(d, c))
        return 0;
    if (!d.codes[c].isEvent()) {
        if (category != 0 && categoryOf(d, c) != category)
            return 0;
        return seatsOfName(d.codes[c].name.view());
    }
    const MemberList members = collectionOf(d, c);
    int sum = 0;
    for (int i = 1; i <= members[0]; ++i) {
        if (!d.codes[members[i]].isEvent())
            sum += seats(d, members[i], category);
    }
    return sum;
}

int freeSeats(const ScheduleData &d, int event, int room)
{
    const int all = seats(d, event, 0);
    const int rooms = seats(d, event, d.roomsCategory);
    if (room == -1 && rooms == 0) {
        int smallest = 0;
        bool found = false;
        const int words = std::clamp<int>(d.manualRooms[0], 0, ManualRoomStoreSize - 1);
        for (int i = 1; i + 2 <= words; i += 3) {
            const int r = d.manualRooms[i + 2];
            if (d.manualRooms[i + 1] != event || !validCode(d, r))
                continue;
            const int s = seatsOfName(d.codes[r].name.view());
            smallest = found ? std::min(smallest, s) : s;
            found = true;
        }
        return smallest - all;
    }
    int given = 0;
    if (room > 0 && validCode(d, room) && !d.codes[room].isEvent())
        given = seats(d, room, d.roomsCategory);
    return rooms + given + rooms - all;
}

} // namespace quivra
