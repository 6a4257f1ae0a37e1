#pragma once

// The lecture store: which periods are allocated to weeks, placed in slots and booked, one
// entry per run. Entries are packed and unpacked here, a code's entries are read into its
// working form (WeekAllocation), and the store is compacted, sorted and merged.
//
// Reading the store changes nothing. Booking kinds that old files kept in word bits 12..13 are
// moved into bookingKind once, when a file is read (and the recount types old entries by them),
// so a stored word holds only its code, event and booking bits.

#include "engine/scheduledata.h"

#include <array>
#include <span>
#include <vector>

namespace quivra {

LectureView unpackLecture(const ScheduleData &d, int index);
void packLecture(ScheduleData &d, int index, const LectureView &view);
// Appends when the store has room, the word is not 0 and the view lies inside the slot coding;
// returns the index or 0 (nothing is appended then). `kind` is the booking kind of a booking.
int appendLecture(ScheduleData &d, const LectureView &view, int kind = 0);
// Clears (word 0) every entry of code c; the next compaction drops them.
void removeLecturesOf(ScheduleData &d, CodeId c);

// Kind of a lecture entry by its word and start.
inline bool isBookingWord(std::uint16_t word)
{
    return word & LectureBookingBit;
}

// One code's lectures in working form. Per-week counters saturate at slotsPerWeek; the
// timetable list has no cap.
struct WeekAllocation
{
    CodeId code = 0;
    int weekEntries = 0;
    int tableEntries = 0;
    int firstWeek = 0;
    int lastWeek = 0;
    std::array<std::uint8_t, WeekTableSize> allocated{};
    std::array<std::uint8_t, WeekTableSize> booked{};
    std::array<std::uint8_t, WeekTableSize> scheduled{};
    std::array<std::uint8_t, WeekTableSize> tableBooked{};
    std::vector<LectureView> timetable; // timetable entries (placements and bookings), store order
    std::vector<std::int16_t> timetableKinds; // booking kind per timetable entry
};
// Fills `wa` for code c; returns the number of entries read. Scans the whole store.
int loadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa);

// Every code's entries in store order, built in one pass, so work over many codes does not scan
// the store once per code (and does not rely on firstLecture, which edits between recounts leave
// stale). Valid until the lecture store changes.
class LectureIndex
{
public:
    explicit LectureIndex(const ScheduleData &d);
    std::span<const int> of(CodeId c) const;

private:
    std::vector<int> m_offsets;
    std::vector<int> m_items;
};
// loadWeekAllocation through an index of the unchanged store.
int loadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa,
                       const LectureIndex &index);

// Compacts and sorts the lecture store (drops word 0, invalid codes and invalid slots) and
// rebuilds firstLecture.
void compactLectures(ScheduleData &d);
// Joins adjacent and identical entries until nothing changes. Week allocations of the same weeks
// are added (while the sum stays below slotsPerWeek), never dropped as duplicates.
void mergeLectures(ScheduleData &d);

} // namespace quivra
