#pragma once

// Collections and the lecture store: which resources each event needs, and which periods are
// allocated to weeks, placed in slots and booked. Also the totals and the recount that keep
// every derived field true.

#include "engine/scheduledata.h"

#include <array>
#include <span>
#include <vector>

namespace quivra {

// A member list: [0] the count, [1..240] CodeIds.
using MemberList = std::array<CodeId, MaxMembers + 1>;

MemberList getCollection(ScheduleData &d, int event); // also sets currentEvent
MemberList collectionOf(const ScheduleData &d, int event);
// Replaces the event's collection; returns the count stored, 0 when refused.
int setCollection(ScheduleData &d, int event, const MemberList &members);
int positionInList(int c, const MemberList &members);
int countInCategory(const ScheduleData &d, int category, const MemberList &members);
CodeId memberOfCategory(const ScheduleData &d, int category, int k, const MemberList &members);
void keepCategories(const ScheduleData &d, std::uint8_t mask, MemberList &members);
void dropNoTimetable(const ScheduleData &d, MemberList &members);
void sortMembers(ScheduleData &d, bool dedupe, bool ascending, MemberList &members);
bool replaceMember(ScheduleData &d, int event, int oldResource, int newResource);
bool exchangeMembers(ScheduleData &d, int eventA, int a, int eventB, int b);
// Walks the collection list backwards from `cursor` (start with collectionEntryCount + 1) and
// returns the next event whose collection holds the resource, 0 at the end; moves the cursor.
CodeId eventsOfResource(const ScheduleData &d, int resource, int &cursor);

LectureView unpackLecture(ScheduleData &d, int index);
void packLecture(ScheduleData &d, int index, const LectureView &view);
// Appends when the store has room, the word is not 0 and the view lies inside the slot coding;
// returns the index or 0 (nothing is appended then). `kind` is the booking kind of a booking.
int appendLecture(ScheduleData &d, const LectureView &view, int kind = 0);
// Clears (word 0) every entry of code c; the next compaction drops them.
void removeLecturesOf(ScheduleData &d, int c);

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
int loadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa);

// Every code's entries in store order, built in one pass, so work over many codes does not scan
// the store once per code (and does not rely on firstLecture, which edits between recounts leave
// stale). Valid until the lecture store changes.
class LectureIndex
{
public:
    explicit LectureIndex(const ScheduleData &d);
    std::span<const int> of(int c) const;

private:
    std::vector<int> m_offsets;
    std::vector<int> m_items;
};
// loadWeekAllocation through an index of the unchanged store.
int loadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa, const LectureIndex &index);

// Compacts and sorts the lecture store (drops word 0, invalid codes and invalid slots) and
// rebuilds firstLecture.
void compactLectures(ScheduleData &d);
// Joins adjacent and identical entries until nothing changes. Week allocations of the same weeks
// are added (while the sum stays below slotsPerWeek), never dropped as duplicates.
void mergeLectures(ScheduleData &d);

// Totals of events first..last (ALLOCATED and SCHEDULED saturate at 65535); returns the PLANNED
// grand total, the sum of PLANNED as it stands after the pass.
std::int32_t totals(ScheduleData &d, int first, int last, bool plannedFromAllocated = false);
void resourceTotals(ScheduleData &d, int r);
void allResourceTotals(ScheduleData &d);
// Restores every derived field; see the notes in lectures.cpp for the order of the steps.
void recount(ScheduleData &d);

// Seats of a resource from the number after "#" in its name (1 without one); for an event the sum
// over its resources of `category` (0: all).
int seats(const ScheduleData &d, int c, int category = 0);
// Seats left in the event's room(s) and `room` after the other resources; room -1 consults the
// event's manual rooms when it has no room resource.
int freeSeats(const ScheduleData &d, int event, int room);

} // namespace quivra
