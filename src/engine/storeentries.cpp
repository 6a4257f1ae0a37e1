#include "engine/storeentries.h"

#include <algorithm>

namespace quivra::detail {

int kindOf(std::int16_t stored)
{
    return stored & 0xFF;
}

bool isEventId(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}

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

std::uint16_t takeLegacyKind(const ScheduleData &d, std::uint16_t word, std::int16_t &kind)
{
    if (d.lectureCodeMask != NarrowCodeMask)
        return static_cast<std::uint16_t>(word & ~0x2000u);
    const int legacy = (word & LegacyKindBits) >> 12;
    if (isBookingWord(word) && legacy != 0 && kindOf(kind) == 0)
        kind = static_cast<std::int16_t>((kind & ~0xFF) | legacy);
    return static_cast<std::uint16_t>(word & ~LegacyKindBits);
}

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

void clampCounts(ScheduleData &d)
{
    d.codeCount = std::clamp(d.codeCount, 0, MaxCodes);
    d.lectureCount = std::clamp(d.lectureCount, 0, MaxLectures);
    d.collectionEntryCount = std::clamp(d.collectionEntryCount, 0, MaxCollectionEntries);
}

} // namespace quivra::detail
