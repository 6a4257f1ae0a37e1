#pragma once

// ScheduleData: the whole data set of one open data file, held in fixed-size stores.
//
// Ownership: exactly one ScheduleData exists per program. It is created once on the heap
// (makeScheduleData) and passed by reference to everything that reads or changes it; nothing in
// the core keeps a pointer to it between calls.
//
// Invariants the stores keep (the recount restores the derived ones):
// - Codes occupy records 1..codeCount without gaps; record 0 is scratch and never holds a code.
//   A CodeId is a position, so inserting, deleting, swapping or sorting codes renumbers every
//   store that names codes (lectures, collections, manual rooms, role assignments).
// - The lecture store holds entries 1..lectureCount in four parallel arrays, sorted by
//   (code part, start, end, word, kind) after each recount; a code's entries are contiguous and
//   its firstLecture points at the first of them.
// - In memory a lecture word holds the CodeId in its low 13 bits (at most 12 used while
//   lectureCodeMask is 4095), bit 14 for an event entry and bit 15 for a booking; bit 13 is
//   always clear and the booking kind lives only in bookingKind. Kinds that old files kept in
//   bits 12..13 are moved into bookingKind by the recount while the 12-bit mask is in force.
// - The collection list holds entries 1..collectionEntryCount: a marker (event | 0x4000)
//   followed by the event's resources; 0 entries are holes.
// - Manual rooms: manualRooms[0] is the number of words in use, then (slot, event, room) triples.
// - Roles 1..roleCount and assignments 1..assignmentCount; record 0 of each is a header that
//   only the file layer materialises.
// - Every stored lecture is validated (weeks 1..weekLimit, days 1..dayLimit, bells
//   1..bellLimit, start <= end) before it is expanded into any table.

#include "engine/limits.h"
#include "engine/pstring.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quivra {

using CodeId = std::uint16_t;
using SlotCode = std::uint16_t;

struct CodeRecord
{
    std::uint16_t planned = 0;
    std::uint16_t allocated = 0;
    std::uint16_t flags = 0;
    std::uint16_t firstLecture = 0;
    std::uint16_t collectionPos = 0;
    std::uint16_t scheduled = 0;
    std::uint16_t links = 0;
    std::int32_t colour = 0; // 0x00BBGGRR; 0 or negative: none
    PString<CodeLength> code;
    PString<NameLength> name;

    bool isEvent() const { return flags & IsEventBit; }
};

// A time range with two extra words: the calendar in use, the extent of what is scheduled and
// the optimiser's range all share this 10-byte layout.
struct TimeRange
{
    std::uint16_t a = 0;
    std::uint16_t b = 0;
    std::uint8_t startWeek = 0;
    std::uint8_t startDay = 0;
    std::uint8_t startBell = 0;
    std::uint8_t endWeek = 0;
    std::uint8_t endDay = 0;
    std::uint8_t endBell = 0;

    friend bool operator==(const TimeRange &, const TimeRange &) = default;
};

// The unpacked form of one lecture entry. For a week allocation `count` is the number of
// periods per week; the end day and bell then carry that count.
struct LectureView
{
    std::uint16_t count = 0;
    std::uint16_t word = 0;
    std::uint8_t startWeek = 0;
    std::uint8_t startDay = 0;
    std::uint8_t startBell = 0;
    std::uint8_t endWeek = 0;
    std::uint8_t endDay = 0;
    std::uint8_t endBell = 0;

    friend bool operator==(const LectureView &, const LectureView &) = default;
};

// Bit widths and limits of the slot coding, with the values derived from them. Limits are
// clamped to what both the fields and the fixed tables can hold (weeks <= 255, days <= 7,
// bells <= 30), so a packed slot always unpacks inside the tables.
struct SlotCoding
{
    int weekBits = 8;
    int dayBits = 3;
    int bellBits = 5;
    int weekLimit = 255;
    int dayLimit = 7;
    int bellLimit = 30;

    int slotsPerWeek = 210;
    int slotsTotal = 53550;
    int weekMask = 255;
    int dayMask = 7;
    int bellMask = 31;
    int weekShift = 8;
    int dayBellMask = 255;

    SlotCode pack(int week, int day, int bell) const
    {
        return static_cast<SlotCode>((week << weekShift) | (day << bellBits) | bell);
    }
    int weekOf(SlotCode s) const { return s >> weekShift; }
    int dayOf(SlotCode s) const { return (s >> bellBits) & dayMask; }
    int bellOf(SlotCode s) const { return s & bellMask; }
};

struct WeekEntry
{
    PString<WeekNameLength> name;
    std::uint8_t length = 1; // real weeks this week stands for; 0 is read as 1
};

struct Role
{
    std::uint16_t id = 0;
    std::uint16_t uses = 0;
    PString<RoleNameLength> name;
};

struct RoleAssignment
{
    CodeId event = 0;
    CodeId resource = 0;
    std::uint16_t role = 0;
};

// Counters the recount and the totals pass compute; the data file header carries them.
struct StoreCounters
{
    int weekAllocations = 0;
    int weekBookings = 0;
    int timetableLectures = 0;
    int tableBookings = 0;
    int codesWithLectures = 0;
    int timetableEntries = 0;     // lectures with a day
    int timetabledResources = 0;  // resources without NoTimetable
    // Most timetable entries of one code stored or totalled since the last reset.
    int largestTimetable = 0;
    std::array<int, 10> resourceCounters{}; // [0] all resources, [k] of category k
    std::array<int, 10> eventCounters{};
    std::int32_t plannedTotal = 0;
    std::int32_t allocatedTotal = 0;
    std::int32_t scheduledTotal = 0;
    std::int32_t bookedWeeksTotal = 0;
    std::int32_t tableBookedTotal = 0;
};

// Facts the recount gathers for column widths, reports and statistics.
struct RecountFacts
{
    int longestCode = 5;
    int longestName = 66;
    int realWeeks = 0;             // sum of week lengths over the weeks in use
    bool weeksSameLength = true;
    bool anyWeekLengthOne = false;
    std::array<int, MaxBells + 1> blockLengths{}; // timetable lectures per block length
    std::array<int, 4> bookedCells{};             // resource booking cells per kind 1..3
    int wrongCollectionEntries = 0;
};

// Fields of the data file header that are state of the data set rather than counts.
struct FileHeaderState
{
    std::uint16_t versionRead = 0;
    std::array<std::uint8_t, 10> reserved10{};
    std::uint16_t statisticsEvents = 0;    // as last counted by the statistics window
    std::uint16_t statisticsResources = 0;
    std::uint16_t defaultEventBookingKind = 1;
    std::uint16_t defaultResourceBookingKind = 1;
    std::uint16_t bookingsCountAsOccupied = 0;
    std::uint16_t reserved88 = 0;
    std::array<std::uint8_t, 2> reserved90{};
    PString<FileCommentLength> fileComment;
    std::array<std::uint8_t, 8> weeklyCategoryLimits{};
    std::array<std::int32_t, 4> conflictSourceCounters{};
    std::int32_t savedDay = 0, savedTicks = 0;
    std::int32_t openedDay = 0, openedTicks = 0;
    std::int32_t editingDays = 0, editingTicks = 0;
    std::array<std::uint8_t, 4> reserved250{};
};

struct ScheduleData
{
    // Code table (records 0..8191, 0 scratch) and the ordered index lists ([0] = count).
    std::array<CodeRecord, CodeTableSize> codes{};
    int codeCount = 0;
    std::uint16_t lectureCodeMask = NarrowCodeMask;
    std::array<CodeId, CodeTableSize> eventList{};
    std::array<CodeId, CodeTableSize> resourceList{};
    bool listsSorted = false;

    // Category names ("$"-terminated items "L:Name"), booking kind names and masks.
    PString<ListLength> eventCategories;
    PString<ListLength> resourceCategories;
    PString<ListLength> bookingKinds;
    std::array<std::uint8_t, 3> visibleMasks{255, 255, 255};
    std::array<std::uint8_t, 3> noTimetableMasks{};
    std::array<std::uint8_t, 3> noGapsMasks{};
    int roomsCategory = 3;
    int subjectsCategory = 4;
    std::string vocabulary; // display words list

    // Calendar.
    SlotCoding coding;
    std::array<WeekEntry, WeekTableSize> weeks{};
    std::string dayNames;
    std::array<PString<BellNameLength>, MaxBells + 1> bellNames{}; // [1..30]
    TimeRange calendarRange;  // end week/day/bell = weeks, days, bells in use
    TimeRange scheduleExtent; // recomputed by the recount
    TimeRange optimiseRange;
    int currentWeek = 1;
    std::int32_t firstWeekDate = 0; // date serial from 30 Dec 1899; 0 = none
    std::uint16_t calendarMode = 0;
    std::uint16_t averageDivider = 0;

    // Collection list.
    std::array<std::uint16_t, CollectionStoreSize> collection{};
    int collectionEntryCount = 0;
    int collectionCount = 0;

    // Lecture store (entries 1..lectureCount).
    std::array<std::uint16_t, LectureStoreSize> lectureWord{};
    std::array<SlotCode, LectureStoreSize> lectureStart{};
    std::array<SlotCode, LectureStoreSize> lectureEnd{};
    std::array<std::int16_t, LectureStoreSize> bookingKind{};
    int lectureCount = 0;

    // Manual rooms: [0] words in use, then (slot, event, room) triples.
    std::array<std::uint16_t, ManualRoomStoreSize> manualRooms{};
    std::array<std::uint8_t, 10> manualRoomSettings{};

    // Comments, memos, roles.
    std::vector<std::string> comments;
    std::vector<std::string> memos;
    std::array<Role, MaxRoles + 1> roles{}; // [1..roleCount]
    int roleCount = 0;
    std::array<RoleAssignment, MaxAssignments + 1> assignments{}; // [1..assignmentCount]
    int assignmentCount = 0;
    bool rolesOn = true;

    // Texts kept with the file.
    std::array<std::string, ReportTitleCount + 1> reportTitles; // [1..6]
    std::string description;
    std::string reserved131, reserved132;
    std::array<std::uint8_t, 40> reserved26{};
    std::array<std::int32_t, UsageCounterCount> usageCounters{};
    FileHeaderState header;

    // Derived by the recount and totals passes.
    StoreCounters counters;
    RecountFacts facts;
    std::array<std::uint16_t, CodeTableSize> weekSpan{}; // first week << 8 | last week

    // Session state that follows renumbering.
    CodeId currentCode = 0;     // the code the views remember as current
    CodeId currentEvent = 0;    // the event whose collection was read last (role display)
    CodeId lockOthersResource = 0; // resource given at open with the lock-others setting
    bool modified = false;
    // Exam scheduling of the initial solution, held for the open file and never written: on, and
    // with the two-day restriction. Its two categories are settings.
    bool examMode = false;
    bool examTwoDays = false;
};

// Built-in names a new data set starts with (a defaults file usually replaces them).
constexpr const char *DefaultEventCategories = "b:Basic$m:Middle$a:Advanced$";
constexpr const char *DefaultResourceCategories = "G:Groups$T:Teachers$R:Rooms$";
constexpr const char *DefaultBookingKinds = "/////$Free$Other$";
constexpr const char *DefaultVocabulary =
    "Events$Resources$#:$CODE$NAME$*$PLANNED$ALLOCATED$SCHEDULED$LINKS$LEFT$SEATS$ RESOURCES$";

// Creates the one data set, cleared to the state of a new file.
std::unique_ptr<ScheduleData> makeScheduleData();

// Clears every store to the state of a new file (the "New" command), keeping nothing.
void clearScheduleData(ScheduleData &d);

// Code part of a lecture word or of a collection entry.
inline CodeId lectureCode(const ScheduleData &d, std::uint16_t word)
{
    return word & d.lectureCodeMask;
}
inline CodeId collectionCode(std::uint16_t entry)
{
    return entry & CollectionCodeMask;
}

// True for a code of the table; a damaged count never lets an id reach past the table.
inline bool validCode(const ScheduleData &d, int c)
{
    return c >= 1 && c <= d.codeCount && c <= MaxCodes;
}

} // namespace quivra
