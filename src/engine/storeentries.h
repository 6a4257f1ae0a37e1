#pragma once

// Entry-level helpers shared by the files of the lecture store, the collections, the totals and
// the recount. Not for callers outside those files.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quivra::detail {

// The booking kind a bookingKind entry holds in its low byte.
int kindOf(std::int16_t stored);
bool isEventId(const ScheduleData &d, CodeId c);
void clampCounts(ScheduleData &d);

// Whether an entry's slots lie inside the coding: weeks 1..weekLimit with start <= end, and for
// a timetable entry (start day set) days 1..dayLimit and bells 1..bellLimit, each start <= end.
// A week entry's end day and bell carry a count and are not times.
bool validSlots(const SlotCoding &k, SlotCode start, SlotCode end);
bool validEntry(const ScheduleData &d, std::uint16_t word, SlotCode start, SlotCode end);
LectureView viewOf(const ScheduleData &d, int index);
// Moves a booking kind that an old file kept in word bits 12..13 into bookingKind (unless a
// kind is already there) and clears those bits. Only meaningful under the 12-bit mask; with
// 13-bit ids bit 12 is part of the id and only bit 13 is cleared.
std::uint16_t takeLegacyKind(const ScheduleData &d, std::uint16_t word, std::int16_t &kind);

struct Entry
{
    std::uint16_t word = 0;
    SlotCode start = 0;
    SlotCode end = 0;
    std::int16_t kind = 0;
};
// The one order of the store: code part, start, end, word, kind. Total, so equal keys mean
// identical entries and a sorted store is reproducible.
void sortEntries(const ScheduleData &d, std::vector<Entry> &entries);
// Writes `entries` as the whole store and clears the rest.
void writeEntries(ScheduleData &d, const std::vector<Entry> &entries);

// loadWeekAllocation over the given store entries of code c.
int loadIndexed(const ScheduleData &d, CodeId c, WeekAllocation &wa, std::span<const int> entries);

// Drops holes and entries naming no code, then rebuilds collectionPos (the first marker of an
// event wins; markers of resources are ignored), collectionCount and the Links of events and
// resources. Wrong entries (a marker of a resource, a member that is an event) are kept for the
// health check and counted.
void rebuildCollections(ScheduleData &d);

} // namespace quivra::detail
