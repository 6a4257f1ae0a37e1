#include "files/datafile.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/notes.h"
#include "engine/roles.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "files/coding.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quivra {

namespace {

using namespace coding;

// Block tags, in the order the writer emits them.
enum Tag : std::uint16_t {
    TagEnd = 0,
    TagHeader = 1,
    TagDayNames = 2,
    TagBellNames = 3,
    TagLists = 4,
    TagWeekTable = 5,
    TagVisibleMasks = 6,
    TagNoTimetableMasks = 7,
    TagNoGapsMasks = 8,
    TagUsageCounters = 9,
    TagCodes = 10,
    TagRecords = 11,
    TagOldRecords = 12, // block of older files, read and dropped
    TagColours = 13,
    TagLectureWords = 21,
    TagLectureStarts = 22,
    TagLectureEnds = 23,
    TagCollection = 24,
    TagBookingKinds = 25,
    TagReserved26 = 26,
    TagFirstReportTitle = 101, // 101..106
    TagVocabulary = 121,
    TagReserved131 = 131,
    TagReserved132 = 132,
    TagAssignments = 141,
    TagRoles = 142,
    TagDescription = 151,
    TagManualRooms = 161,
    TagManualRoomSettings = 162,
    TagComment = 171,
    TagMemo = 181,
    TagNameBase = 16384, // 16384 + n: the name of code n
};

constexpr int BlockHeaderSize = 4;
constexpr int HeaderSize = 278;
constexpr int TimeRangeSize = 10;
constexpr int CodeFieldSize = 1 + CodeLength;
constexpr int RecordPrefixSize = 14; // planned .. links
constexpr int ColourSize = 4;
constexpr int BellNameSize = 1 + BellNameLength;
constexpr int BellNamesSize = MaxBells * BellNameSize;
constexpr int ListFieldSize = 1 + ListLength;
constexpr int ListsSize = 3 * ListFieldSize;
constexpr int WeekRecordSize = 1 + WeekNameLength + 1;
constexpr int WeekTableBytes = WeekTableSize * WeekRecordSize;
constexpr int MaskBlockSize = 3;
constexpr int UsageCountersSize = UsageCounterCount * 4;
constexpr int Reserved26Size = 40;
constexpr int ManualRoomSettingsSize = 10;
constexpr int FileCommentSize = 1 + FileCommentLength;
constexpr int MaxShortText = 255;
constexpr int MaxFileBytes = 64 * 1024 * 1024;
constexpr int OpenCounter = 62;
constexpr int CountersStartedCounter = 63;

static_assert(BellNamesSize == 360);
static_assert(ListsSize == 768);
static_assert(WeekTableBytes == 1792);
static_assert(UsageCountersSize == 256);
static_assert(CodeFieldSize == 16);
static_assert(RecordPrefixSize == 7 * 2);
static_assert(AssignmentRecordSize == 3 * 2);
static_assert(RoleRecordSize == 2 + 2 + 1 + RoleNameLength);
static_assert(CodeRecordSize == RecordPrefixSize + ColourSize + CodeFieldSize + 1 + NameLength);
static_assert((MaxLectures + 1) * 2 <= 0xFFFF && ManualRoomStoreSize * 2 <= 0xFFFF);

// Offsets of the file header fields.
namespace hdr {
constexpr int Version = 0;
constexpr int MaxCodesField = 2;
constexpr int MaxLecturesField = 4;
constexpr int MaxCollectionField = 6;
constexpr int Release = 8;
constexpr int Reserved10 = 10;
constexpr int AverageDivider = 20;
constexpr int WeekAllocations = 22;
constexpr int WeekBookings = 24;
constexpr int TimetableLectures = 26;
constexpr int TableBookings = 28;
constexpr int LectureKinds = 30;
constexpr int StatisticsEvents = 32;
constexpr int StatisticsResources = 34;
constexpr int CodeLengthField = 36;
constexpr int NameLengthField = 38;
constexpr int RecordSizeField = 40;
constexpr int CodeCount = 42;
constexpr int LectureCount = 44;
constexpr int CollectionEntryCount = 46;
constexpr int CodesWithLectures = 48;
constexpr int CollectionCount = 50;
constexpr int TimetableEntries = 52;
constexpr int TimetabledResources = 54;
constexpr int LargestTimetable = 56;
constexpr int Events = 58;
constexpr int Resources = 60;
constexpr int Coding = 62; // six u16
constexpr int CurrentWeek = 74;
constexpr int EventBookingKind = 76;
constexpr int ResourceBookingKind = 78;
constexpr int RoomsCategory = 80;
constexpr int CalendarMode = 82;
constexpr int BookingsOccupy = 84;
constexpr int SubjectsCategory = 86;
constexpr int Reserved88 = 88;
constexpr int Reserved90 = 90;
constexpr int OptimiseRange = 92;
constexpr int FileComment = 102;
constexpr int Totals = 142; // five i32
constexpr int WeeklyLimits = 162;
constexpr int ConflictCounters = 170;
constexpr int ResourceCounters = 186;
constexpr int EventCounters = 206;
constexpr int SavedAt = 226;
constexpr int OpenedAt = 234;
constexpr int EditingTime = 242;
constexpr int Reserved250 = 250;
constexpr int FirstWeekDate = 254;
constexpr int CalendarRange = 258;
constexpr int ScheduleExtent = 268;
} // namespace hdr

static_assert(hdr::OptimiseRange + TimeRangeSize == hdr::FileComment);
static_assert(hdr::FileComment + FileCommentSize == hdr::Totals);
static_assert(hdr::Totals + 5 * 4 == hdr::WeeklyLimits);
static_assert(hdr::ConflictCounters + 4 * 4 == hdr::ResourceCounters);
static_assert(hdr::EventCounters + 10 * 2 == hdr::SavedAt);
static_assert(hdr::ScheduleExtent + TimeRangeSize == HeaderSize);

using HeaderBytes = std::array<std::uint8_t, HeaderSize>;

std::uint16_t u16Of(int value)
{
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

template <int N> void encodePString(std::uint8_t *dst, const PString<N> &s)
{
    dst[0] = s.length;
    std::memcpy(dst + 1, s.chars.data(), N);
}

// A text field as read: without control characters (see cleanText).
template <int N> void cleanField(PString<N> &s)
{
    if (hasControlCharacters(s.view()))
        s.assign(cleanText(s.view()));
}

// A length byte beyond the field is read as the field's width.
template <int N> void decodePString(const std::uint8_t *src, PString<N> &s)
{
    s.length = static_cast<std::uint8_t>(std::min<int>(src[0], N));
    std::memcpy(s.chars.data(), src + 1, N);
    cleanField(s);
}

void encodeTimeRange(std::uint8_t *dst, const TimeRange &r)
{
    encodeU16(dst, r.a);
    encodeU16(dst + 2, r.b);
    dst[4] = r.startWeek;
    dst[5] = r.startDay;
    dst[6] = r.startBell;
    dst[7] = r.endWeek;
    dst[8] = r.endDay;
    dst[9] = r.endBell;
}

TimeRange decodeTimeRange(const std::uint8_t *src)
{
    TimeRange r;
    r.a = decodeU16(src);
    r.b = decodeU16(src + 2);
    r.startWeek = src[4];
    r.startDay = src[5];
    r.startBell = src[6];
    r.endWeek = src[7];
    r.endDay = src[8];
    r.endBell = src[9];
    return r;
}

// ---------------------------------------------------------------------------------------------
// Preparation shared by writing and reading

// Removes, inside every event's collection, members that are not resources and members named
// twice. The holes left are dropped by the next recount.
void cleanCollections(ScheduleData &d)
{
    std::vector<CodeId> seen;
    std::vector<bool> member(CodeTableSize, false);
    bool inEvent = false;
    auto forget = [&] {
        for (CodeId c : seen)
            member[c] = false;
        seen.clear();
    };
    for (int i = 1; i <= d.collectionEntryCount; ++i) {
        const std::uint16_t entry = d.collection[i];
        if (entry == 0)
            continue;
        const int c = collectionCode(entry);
        if (entry & CollectionMarkerBit) {
            forget();
            inEvent = validCode(d, c) && d.codes[c].isEvent();
            continue;
        }
        if (!inEvent)
            continue;
        if (!validCode(d, c) || d.codes[c].isEvent() || member[c]) {
            d.collection[i] = 0;
            continue;
        }
        member[c] = true;
        seen.push_back(static_cast<CodeId>(c));
    }
}

void prepareDataSet(ScheduleData &d)
{
    for (int c = d.codeCount; c >= 1; --c) {
        if (d.codes[c].code.view() == " ")
            deleteCode(d, static_cast<CodeId>(c));
    }
    cleanCollections(d);
    recount(d);
    totals(d, 1, d.codeCount);
    if (repairWeeks(d) > 0) {
        recount(d);
        totals(d, 1, d.codeCount);
    }
}

// Adds the time between opening and saving to the editing time, carrying whole days. A saved-at
// before opened-at (a clock set back) adds nothing, and neither does a data set without an
// opened-at (made new or imported, never read from a file): its session has no known start.
void accumulateEditingTime(FileHeaderState &h)
{
    const auto moment = [](std::int64_t day, std::int64_t ticks) {
        return day * TicksPerDay + ticks;
    };
    const bool opened = h.openedDay > 0;
    const std::int64_t spent =
        opened ? moment(h.savedDay, h.savedTicks) - moment(h.openedDay, h.openedTicks) : 0;
    std::int64_t total = moment(h.editingDays, h.editingTicks) + std::max<std::int64_t>(spent, 0);
    total = std::max<std::int64_t>(total, 0);
    const std::int64_t days =
        std::min<std::int64_t>(total / TicksPerDay, std::numeric_limits<std::int32_t>::max());
    h.editingDays = static_cast<std::int32_t>(days);
    h.editingTicks = static_cast<std::int32_t>(total % TicksPerDay);
}

// ---------------------------------------------------------------------------------------------
// Writing

class BlockWriter
{
public:
    explicit BlockWriter(std::vector<std::uint8_t> &out) : m_out(out) {}

    void header(std::uint16_t tag, std::size_t length)
    {
        putU16(m_out, tag);
        putU16(m_out, static_cast<std::uint16_t>(length));
    }
    void bytes(const std::uint8_t *data, std::size_t n)
    {
        m_out.insert(m_out.end(), data, data + n);
    }
    void u8(std::uint8_t value) { putU8(m_out, value); }
    void u16(std::uint16_t value) { putU16(m_out, value); }
    void i32(std::int32_t value) { putI32(m_out, value); }
    template <int N> void pstring(const PString<N> &s)
    {
        std::array<std::uint8_t, 1 + N> buffer{};
        encodePString(buffer.data(), s);
        bytes(buffer.data(), buffer.size());
    }
    // A short text: a length byte and that many characters, cut to `limit`.
    void shortText(std::uint16_t tag, std::string_view text, int limit = MaxShortText)
    {
        const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(limit));
        header(tag, n + 1);
        u8(static_cast<std::uint8_t>(n));
        bytes(reinterpret_cast<const std::uint8_t *>(text.data()), n);
    }

private:
    std::vector<std::uint8_t> &m_out;
};

HeaderBytes encodeHeader(const ScheduleData &d, const FileHeaderState &h)
{
    HeaderBytes b{};
    std::uint8_t *p = b.data();
    const StoreCounters &n = d.counters;
    encodeU16(p + hdr::Version, DataFileVersion);
    encodeU16(p + hdr::MaxCodesField, MaxCodes);
    encodeU16(p + hdr::MaxLecturesField, MaxLectures);
    encodeU16(p + hdr::MaxCollectionField, MaxCollectionEntries);
    encodeU16(p + hdr::Release, DataFileRelease);
    std::copy(h.reserved10.begin(), h.reserved10.end(), p + hdr::Reserved10);
    encodeU16(p + hdr::AverageDivider, d.averageDivider);
    encodeU16(p + hdr::WeekAllocations, u16Of(n.weekAllocations));
    encodeU16(p + hdr::WeekBookings, u16Of(n.weekBookings));
    encodeU16(p + hdr::TimetableLectures, u16Of(n.timetableLectures));
    encodeU16(p + hdr::TableBookings, u16Of(n.tableBookings));
    encodeU16(p + hdr::LectureKinds,
              u16Of(n.weekAllocations + n.weekBookings + n.timetableLectures + n.tableBookings));
    encodeU16(p + hdr::StatisticsEvents, h.statisticsEvents);
    encodeU16(p + hdr::StatisticsResources, h.statisticsResources);
    encodeU16(p + hdr::CodeLengthField, CodeLength);
    encodeU16(p + hdr::NameLengthField, NameLength);
    encodeU16(p + hdr::RecordSizeField, CodeRecordSize);
    encodeU16(p + hdr::CodeCount, u16Of(d.codeCount));
    encodeU16(p + hdr::LectureCount, u16Of(d.lectureCount));
    encodeU16(p + hdr::CollectionEntryCount, u16Of(d.collectionEntryCount));
    encodeU16(p + hdr::CodesWithLectures, u16Of(n.codesWithLectures));
    encodeU16(p + hdr::CollectionCount, u16Of(d.collectionCount));
    encodeU16(p + hdr::TimetableEntries, u16Of(n.timetableEntries));
    encodeU16(p + hdr::TimetabledResources, u16Of(n.timetabledResources));
    encodeU16(p + hdr::LargestTimetable, u16Of(n.largestTimetable));
    encodeU16(p + hdr::Events, u16Of(n.eventCounters[0]));
    encodeU16(p + hdr::Resources, u16Of(n.resourceCounters[0]));
    const SlotCoding &k = d.coding;
    const int coding[6] = {k.weekBits, k.dayBits, k.bellBits, k.weekLimit, k.dayLimit, k.bellLimit};
    for (int i = 0; i < 6; ++i)
        encodeU16(p + hdr::Coding + 2 * i, u16Of(coding[i]));
    encodeU16(p + hdr::CurrentWeek, u16Of(d.currentWeek));
    encodeU16(p + hdr::EventBookingKind, h.defaultEventBookingKind);
    encodeU16(p + hdr::ResourceBookingKind, h.defaultResourceBookingKind);
    encodeU16(p + hdr::RoomsCategory, u16Of(d.roomsCategory));
    encodeU16(p + hdr::CalendarMode, d.calendarMode);
    encodeU16(p + hdr::BookingsOccupy, h.bookingsCountAsOccupied);
    encodeU16(p + hdr::SubjectsCategory, u16Of(d.subjectsCategory));
    encodeU16(p + hdr::Reserved88, h.reserved88);
    std::copy(h.reserved90.begin(), h.reserved90.end(), p + hdr::Reserved90);
    encodeTimeRange(p + hdr::OptimiseRange, d.optimiseRange);
    encodePString(p + hdr::FileComment, h.fileComment);
    const std::int32_t totals[5] = {n.plannedTotal, n.allocatedTotal, n.scheduledTotal,
                                    n.bookedWeeksTotal, n.tableBookedTotal};
    for (int i = 0; i < 5; ++i)
        encodeI32(p + hdr::Totals + 4 * i, totals[i]);
    std::copy(h.weeklyCategoryLimits.begin(), h.weeklyCategoryLimits.end(), p + hdr::WeeklyLimits);
    for (int i = 0; i < 4; ++i)
        encodeI32(p + hdr::ConflictCounters + 4 * i, h.conflictSourceCounters[i]);
    for (int i = 0; i < 10; ++i) {
        encodeU16(p + hdr::ResourceCounters + 2 * i, u16Of(n.resourceCounters[i]));
        encodeU16(p + hdr::EventCounters + 2 * i, u16Of(n.eventCounters[i]));
    }
    encodeI32(p + hdr::SavedAt, h.savedDay);
    encodeI32(p + hdr::SavedAt + 4, h.savedTicks);
    encodeI32(p + hdr::OpenedAt, h.openedDay);
    encodeI32(p + hdr::OpenedAt + 4, h.openedTicks);
    encodeI32(p + hdr::EditingTime, h.editingDays);
    encodeI32(p + hdr::EditingTime + 4, h.editingTicks);
    std::copy(h.reserved250.begin(), h.reserved250.end(), p + hdr::Reserved250);
    // A data set without a first week date keeps 0, so it reads back without one.
    std::int32_t firstDate = d.firstWeekDate;
    if (firstDate != 0 && firstDate < DayNumberOffset)
        firstDate += DayNumberOffset;
    encodeI32(p + hdr::FirstWeekDate, firstDate);
    encodeTimeRange(p + hdr::CalendarRange, d.calendarRange);
    encodeTimeRange(p + hdr::ScheduleExtent, d.scheduleExtent);
    return b;
}

void encodeBellNames(const ScheduleData &d, std::uint8_t *dst)
{
    for (int b = 1; b <= MaxBells; ++b)
        encodePString(dst + (b - 1) * BellNameSize, d.bellNames[b]);
}

void decodeBellNames(ScheduleData &d, const std::uint8_t *src)
{
    for (int b = 1; b <= MaxBells; ++b)
        decodePString(src + (b - 1) * BellNameSize, d.bellNames[b]);
}

void encodeLists(const ScheduleData &d, std::uint8_t *dst)
{
    encodePString(dst, d.eventCategories);
    encodePString(dst + ListFieldSize, d.resourceCategories);
    encodePString(dst + 2 * ListFieldSize, d.bookingKinds);
}

void decodeLists(ScheduleData &d, const std::uint8_t *src)
{
    decodePString(src, d.eventCategories);
    decodePString(src + ListFieldSize, d.resourceCategories);
    decodePString(src + 2 * ListFieldSize, d.bookingKinds);
}

void encodeWeekTable(const ScheduleData &d, std::uint8_t *dst)
{
    for (int w = 0; w < WeekTableSize; ++w) {
        encodePString(dst + w * WeekRecordSize, d.weeks[w].name);
        dst[w * WeekRecordSize + 1 + WeekNameLength] = d.weeks[w].length;
    }
}

void decodeWeekTable(ScheduleData &d, const std::uint8_t *src)
{
    for (int w = 0; w < WeekTableSize; ++w) {
        decodePString(src + w * WeekRecordSize, d.weeks[w].name);
        d.weeks[w].length = src[w * WeekRecordSize + 1 + WeekNameLength];
    }
}

void encodeUsageCounters(const ScheduleData &d, std::uint8_t *dst)
{
    for (int i = 0; i < UsageCounterCount; ++i)
        encodeI32(dst + 4 * i, d.usageCounters[i]);
}

void decodeUsageCounters(ScheduleData &d, const std::uint8_t *src)
{
    for (int i = 0; i < UsageCounterCount; ++i)
        d.usageCounters[i] = decodeI32(src + 4 * i);
}

void encodeRecordPrefix(const CodeRecord &r, std::uint8_t *dst)
{
    const std::uint16_t fields[7] = {r.planned,       r.allocated, r.flags, r.firstLecture,
                                     r.collectionPos, r.scheduled, r.links};
    for (int i = 0; i < 7; ++i)
        encodeU16(dst + 2 * i, fields[i]);
}

void decodeRecordPrefix(CodeRecord &r, const std::uint8_t *src)
{
    std::uint16_t *fields[7] = {&r.planned,       &r.allocated, &r.flags, &r.firstLecture,
                                &r.collectionPos, &r.scheduled, &r.links};
    for (int i = 0; i < 7; ++i)
        *fields[i] = decodeU16(src + 2 * i);
}

bool isTableBooking(const ScheduleData &d, int i)
{
    return isBookingWord(d.lectureWord[i]) && d.coding.dayOf(d.lectureStart[i]) != 0;
}

// Older readers take the kind of a table booking from bits 12..13 of its word, which are free
// while no code needs them.
std::uint16_t wordForFile(const ScheduleData &d, int i)
{
    std::uint16_t word = d.lectureWord[i];
    if (i == 0 || d.codeCount > NarrowCodeMask || !isTableBooking(d, i))
        return word;
    const int kind = d.bookingKind[i] & 0xFF;
    if (kind >= 1 && kind <= 3)
        word = static_cast<std::uint16_t>((word & ~LegacyKindBits) | (kind << 12));
    return word;
}

void writeLectureBlocks(BlockWriter &w, const ScheduleData &d, int extractWeek)
{
    const int n = d.lectureCount;
    const std::size_t length = static_cast<std::size_t>(n + 1) * 2;
    w.header(TagLectureWords, length);
    for (int i = 0; i <= n; ++i)
        w.u16(wordForFile(d, i));

    const SlotCoding &k = d.coding;
    w.header(TagLectureStarts, length);
    w.u16(d.lectureStart[0]);
    for (int i = 1; i <= n; ++i) {
        const SlotCode s = d.lectureStart[i];
        if (extractWeek <= 0)
            w.u16(s);
        else
            w.u16(k.weekOf(s) <= extractWeek ? k.pack(extractWeek, k.dayOf(s), k.bellOf(s)) : 0);
    }
    w.header(TagLectureEnds, length);
    w.u16(d.lectureEnd[0]);
    for (int i = 1; i <= n; ++i) {
        const SlotCode e = d.lectureEnd[i];
        if (extractWeek <= 0)
            w.u16(e);
        else
            w.u16(k.weekOf(e) >= extractWeek ? k.pack(extractWeek, k.dayOf(e), k.bellOf(e)) : 0);
    }
}

} // namespace

void prepareForSaving(ScheduleData &d)
{
    tidyComments(d);
    prepareDataSet(d);
}

void restartEditingClock(ScheduleData &d)
{
    FileHeaderState &h = d.header;
    accumulateEditingTime(h);
    h.openedDay = h.savedDay;
    h.openedTicks = h.savedTicks;
}

std::vector<std::uint8_t> encodeDataFile(const ScheduleData &d, int extractWeek)
{
    // The file holds the editing time up to saved-at; the data set's own clock is restarted by
    // the caller once the file is safely written.
    FileHeaderState h = d.header;
    accumulateEditingTime(h);

    std::vector<std::uint8_t> out;
    out.reserve(64 * 1024 + static_cast<std::size_t>(d.codeCount) * 256 +
                static_cast<std::size_t>(d.lectureCount) * 8);
    BlockWriter w(out);

    const HeaderBytes header = encodeHeader(d, h);
    w.header(TagHeader, HeaderSize);
    w.bytes(header.data(), header.size());
    w.shortText(TagDayNames, d.dayNames);

    std::array<std::uint8_t, WeekTableBytes> buffer{};
    encodeBellNames(d, buffer.data());
    w.header(TagBellNames, BellNamesSize);
    w.bytes(buffer.data(), BellNamesSize);
    encodeLists(d, buffer.data());
    w.header(TagLists, ListsSize);
    w.bytes(buffer.data(), ListsSize);
    encodeWeekTable(d, buffer.data());
    w.header(TagWeekTable, WeekTableBytes);
    w.bytes(buffer.data(), WeekTableBytes);
    w.header(TagVisibleMasks, MaskBlockSize);
    w.bytes(d.visibleMasks.data(), MaskBlockSize);
    w.header(TagNoTimetableMasks, MaskBlockSize);
    w.bytes(d.noTimetableMasks.data(), MaskBlockSize);
    w.header(TagNoGapsMasks, MaskBlockSize);
    w.bytes(d.noGapsMasks.data(), MaskBlockSize);
    encodeUsageCounters(d, buffer.data());
    w.header(TagUsageCounters, UsageCountersSize);
    w.bytes(buffer.data(), UsageCountersSize);

    w.header(TagCodes, CodeFieldSize);
    for (int c = 1; c <= d.codeCount; ++c)
        w.pstring(d.codes[c].code);
    w.header(TagRecords, RecordPrefixSize);
    for (int c = 1; c <= d.codeCount; ++c) {
        encodeRecordPrefix(d.codes[c], buffer.data());
        w.bytes(buffer.data(), RecordPrefixSize);
    }
    w.header(TagColours, ColourSize);
    for (int c = 1; c <= d.codeCount; ++c)
        w.i32(d.codes[c].colour);

    writeLectureBlocks(w, d, extractWeek);
    w.header(TagCollection, static_cast<std::size_t>(d.collectionEntryCount + 1) * 2);
    for (int i = 0; i <= d.collectionEntryCount; ++i)
        w.u16(d.collection[i]);
    w.header(TagBookingKinds, static_cast<std::size_t>(d.lectureCount + 1) * 2);
    for (int i = 0; i <= d.lectureCount; ++i)
        w.u16(static_cast<std::uint16_t>(d.bookingKind[i]));
    w.header(TagReserved26, Reserved26Size);
    w.bytes(d.reserved26.data(), Reserved26Size);

    for (int c = 1; c <= d.codeCount; ++c)
        w.shortText(static_cast<std::uint16_t>(TagNameBase + c), d.codes[c].name.view());
    for (int i = 1; i <= ReportTitleCount; ++i)
        w.shortText(static_cast<std::uint16_t>(TagFirstReportTitle + i - 1), d.reportTitles[i],
                    ReportTitleLength);
    w.shortText(TagVocabulary, d.vocabulary);
    w.shortText(TagReserved131, d.reserved131);
    w.shortText(TagReserved132, d.reserved132);

    w.header(TagAssignments, AssignmentRecordSize);
    w.u16(u16Of(d.assignmentCount));
    w.u16(d.rolesOn ? 1 : 0);
    w.u16(0);
    for (int i = 1; i <= d.assignmentCount; ++i) {
        const RoleAssignment &a = d.assignments[i];
        w.u16(a.event);
        w.u16(a.resource);
        w.u16(a.role);
    }
    w.header(TagRoles, RoleRecordSize);
    w.u16(u16Of(d.roleCount));
    for (int i = 2; i < RoleRecordSize; ++i)
        w.u8(0);
    for (int i = 1; i <= d.roleCount; ++i) {
        const Role &r = d.roles[i];
        w.u16(r.id);
        w.u16(r.uses);
        w.pstring(r.name);
    }
    w.shortText(TagDescription, d.description);

    const int manualWords = std::clamp<int>(d.manualRooms[0], 0, ManualRoomStoreSize - 1);
    w.header(TagManualRooms, static_cast<std::size_t>(manualWords + 1) * 2);
    w.u16(static_cast<std::uint16_t>(manualWords));
    for (int i = 1; i <= manualWords; ++i)
        w.u16(d.manualRooms[i]);
    w.header(TagManualRoomSettings, ManualRoomSettingsSize);
    w.bytes(d.manualRoomSettings.data(), ManualRoomSettingsSize);

    for (const std::string &comment : d.comments)
        w.shortText(TagComment, comment);
    for (const std::string &memo : d.memos)
        w.shortText(TagMemo, memo);
    w.header(TagEnd, 0);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

class Reader
{
public:
    Reader(std::span<const std::uint8_t> bytes, ScheduleData &d, DayTime openedAt)
        : m_bytes(bytes), m_d(d), m_openedAt(openedAt)
    {}

    Result<ReadReport> run();

private:
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    const std::uint8_t *here() const { return m_bytes.data() + m_pos; }
    // Keeps the first reason: a block cut short that also meets a stop rule was cut first.
    void stopEarly(std::string reason)
    {
        m_report.complete = false;
        if (m_report.reason.empty())
            m_report.reason = std::move(reason);
    }
    std::string where(int tag) const
    {
        return "block " + std::to_string(tag) + " at offset " + std::to_string(m_blockStart);
    }

    Result<void> readHeader(std::size_t length);
    // Lays the first bytes of the block over the store's encoding; excess bytes are skipped.
    template <typename Encode, typename Decode>
    void overlay(std::size_t length, std::size_t storeSize, Encode encode, Decode decode);
    int readWords(std::size_t length, std::uint16_t *store, int storeSize);
    template <typename T> int readWordsInto(std::size_t length, T &store)
    {
        std::array<std::uint16_t, LectureStoreSize> words{};
        static_assert(LectureStoreSize >= ManualRoomStoreSize);
        const int n = readWords(length, words.data(), static_cast<int>(store.size()));
        for (int i = 0; i < n; ++i)
            store[i] = static_cast<typename T::value_type>(words[i]);
        return n;
    }
    std::string shortText(std::size_t length, int limit = MaxShortText) const;
    // Records of codes 1.. as far as `records` of them are present.
    void readPerCode(int tag, std::size_t recordSize, int records);
    void readLegacyKinds();
    std::size_t oldRecordsSize(std::size_t length) const;
    bool blockFollows(std::size_t size) const;
    static bool hasRecords(int tag);
    Result<std::size_t> blockSize(int tag, std::size_t declared) const;
    Result<bool> readBlock(int tag, std::size_t length, int records);
    bool readName(int nameCode, std::size_t length);
    bool readNote(int tag, std::size_t length);
    void readUsageCounters(std::size_t length);
    void readAssignments(int records);
    void readRoles(int records);
    void finish();

    std::span<const std::uint8_t> m_bytes;
    ScheduleData &m_d;
    DayTime m_openedAt;
    ReadReport m_report;
    std::size_t m_pos = 0;
    std::size_t m_blockStart = 0;
    bool m_headerSeen = false;
    int m_previousTag = -1;
    int m_previousName = 0;
    bool m_commentsSeen = false;
    bool m_memosSeen = false;
};

Result<void> Reader::readHeader(std::size_t length)
{
    HeaderBytes b{};
    std::copy_n(here(), std::min<std::size_t>(length, HeaderSize), b.begin());
    const std::uint8_t *p = b.data();
    ScheduleData &d = m_d;
    FileHeaderState &h = d.header;

    const int currentWeek = decodeU16(p + hdr::CurrentWeek);
    if (currentWeek > MaxWeeks)
        return fail(Error::Code::Range,
                    "the current week " + std::to_string(currentWeek) + " is beyond 255");

    h.versionRead = decodeU16(p + hdr::Version);
    m_report.versionRead = h.versionRead;
    std::copy_n(p + hdr::Reserved10, h.reserved10.size(), h.reserved10.begin());
    d.averageDivider = decodeU16(p + hdr::AverageDivider);
    h.statisticsEvents = decodeU16(p + hdr::StatisticsEvents);
    h.statisticsResources = decodeU16(p + hdr::StatisticsResources);
    d.codeCount = std::min<int>(decodeU16(p + hdr::CodeCount), MaxCodes);
    d.lectureCount = std::min<int>(decodeU16(p + hdr::LectureCount), MaxLectures);
    d.collectionEntryCount =
        std::min<int>(decodeU16(p + hdr::CollectionEntryCount), MaxCollectionEntries);
    d.counters.codesWithLectures = decodeU16(p + hdr::CodesWithLectures);
    d.collectionCount = decodeU16(p + hdr::CollectionCount);
    d.counters.timetableEntries = decodeU16(p + hdr::TimetableEntries);

    int coding[6];
    bool codingSet = true;
    for (int i = 0; i < 6; ++i) {
        coding[i] = decodeU16(p + hdr::Coding + 2 * i);
        codingSet = codingSet && coding[i] != 0;
    }
    if (codingSet)
        setSlotCoding(d, coding[0], coding[1], coding[2], coding[3], coding[4], coding[5]);

    d.currentWeek = currentWeek;
    h.defaultEventBookingKind =
        static_cast<std::uint16_t>(std::clamp<int>(decodeU16(p + hdr::EventBookingKind), 1, 3));
    h.defaultResourceBookingKind =
        static_cast<std::uint16_t>(std::clamp<int>(decodeU16(p + hdr::ResourceBookingKind), 1, 3));
    const int rooms = decodeU16(p + hdr::RoomsCategory);
    d.roomsCategory = rooms == 0 ? 3 : std::clamp(rooms, 1, MaxCategories);
    d.calendarMode = decodeU16(p + hdr::CalendarMode);
    h.bookingsCountAsOccupied = decodeU16(p + hdr::BookingsOccupy) != 0 ? 1 : 0;
    const int subjects = decodeU16(p + hdr::SubjectsCategory);
    d.subjectsCategory = subjects == 0 ? 4 : std::clamp(subjects, 1, MaxCategories);
    h.reserved88 = decodeU16(p + hdr::Reserved88);
    std::copy_n(p + hdr::Reserved90, h.reserved90.size(), h.reserved90.begin());
    d.optimiseRange = decodeTimeRange(p + hdr::OptimiseRange);
    decodePString(p + hdr::FileComment, h.fileComment);
    std::copy_n(p + hdr::WeeklyLimits, h.weeklyCategoryLimits.size(),
                h.weeklyCategoryLimits.begin());
    for (int i = 0; i < 4; ++i)
        h.conflictSourceCounters[i] = decodeI32(p + hdr::ConflictCounters + 4 * i);
    h.savedDay = decodeI32(p + hdr::SavedAt);
    h.savedTicks = decodeI32(p + hdr::SavedAt + 4);
    h.openedDay = m_openedAt.day;
    h.openedTicks = m_openedAt.ticks;
    h.editingDays = decodeI32(p + hdr::EditingTime);
    h.editingTicks = decodeI32(p + hdr::EditingTime + 4);
    std::copy_n(p + hdr::Reserved250, h.reserved250.size(), h.reserved250.begin());
    d.firstWeekDate = decodeI32(p + hdr::FirstWeekDate);
    d.calendarRange = decodeTimeRange(p + hdr::CalendarRange);
    d.scheduleExtent = decodeTimeRange(p + hdr::ScheduleExtent);
    return {};
}

template <typename Encode, typename Decode>
void Reader::overlay(std::size_t length, std::size_t storeSize, Encode encode, Decode decode)
{
    std::vector<std::uint8_t> buffer(storeSize);
    encode(buffer.data());
    std::copy_n(here(), std::min(length, storeSize), buffer.begin());
    decode(buffer.data());
}

// Copies the block's words into entries 0.. of a store; returns the number of entries copied.
int Reader::readWords(std::size_t length, std::uint16_t *store, int storeSize)
{
    const int n = static_cast<int>(std::min<std::size_t>(length / 2, storeSize));
    for (int i = 0; i < n; ++i)
        store[i] = decodeU16(here() + 2 * i);
    return n;
}

std::string Reader::shortText(std::size_t length, int limit) const
{
    if (length == 0)
        return {};
    const std::size_t n =
        std::min<std::size_t>({here()[0], length - 1, static_cast<std::size_t>(limit)});
    const std::string_view text(reinterpret_cast<const char *>(here() + 1), n);
    return hasControlCharacters(text) ? cleanText(text) : std::string(text);
}

void Reader::readPerCode(int tag, std::size_t recordSize, int records)
{
    ScheduleData &d = m_d;
    const std::uint8_t *p = here();
    const int last = std::min(d.codeCount, records);
    for (int c = 1; c <= last; ++c, p += recordSize) {
        CodeRecord &r = d.codes[c];
        if (tag == TagCodes) {
            // Length byte, then up to recordSize - 1 characters, cut to the field.
            const std::size_t chars = std::min<std::size_t>(recordSize - 1, CodeLength);
            std::copy_n(p + 1, chars, r.code.chars.begin());
            r.code.length = static_cast<std::uint8_t>(std::min<std::size_t>(p[0], chars));
            cleanField(r.code);
        } else if (tag == TagRecords) {
            std::array<std::uint8_t, RecordPrefixSize> prefix{};
            encodeRecordPrefix(r, prefix.data());
            std::copy_n(p, std::min<std::size_t>(recordSize, RecordPrefixSize), prefix.begin());
            decodeRecordPrefix(r, prefix.data());
        } else if (tag == TagColours) {
            std::array<std::uint8_t, ColourSize> colour{};
            encodeI32(colour.data(), r.colour);
            std::copy_n(p, std::min<std::size_t>(recordSize, ColourSize), colour.begin());
            r.colour = decodeI32(colour.data());
        }
    }
}

bool isKnownTag(int tag)
{
    if (tag > TagNameBase && tag <= TagNameBase + MaxCodes)
        return true;
    if ((tag >= TagEnd && tag <= TagColours) || (tag >= TagLectureWords && tag <= TagReserved26))
        return true;
    if (tag >= TagFirstReportTitle && tag < TagFirstReportTitle + ReportTitleCount)
        return true;
    switch (tag) {
    case TagVocabulary:
    case TagReserved131:
    case TagReserved132:
    case TagAssignments:
    case TagRoles:
    case TagDescription:
    case TagManualRooms:
    case TagManualRoomSettings:
    case TagComment:
    case TagMemo:
        return true;
    default:
        return false;
    }
}

// Whether a block header of a known tag starts `size` bytes into the current block.
bool Reader::blockFollows(std::size_t size) const
{
    return remaining() >= size + BlockHeaderSize && isKnownTag(decodeU16(here() + size));
}

// Block 12 of older writers is read and dropped. Its length counts its bytes like that of any
// plain block; only when that lands on no block at all while reading the length as a record
// size per code (as blocks 10, 11 and 13 do) lands on one is the block taken as per code.
std::size_t Reader::oldRecordsSize(std::size_t length) const
{
    const std::size_t perCode = length * static_cast<std::size_t>(m_d.codeCount);
    return !blockFollows(length) && blockFollows(perCode) ? perCode : length;
}

// While no code needs bit 12, older writers kept a booking's kind in bits 12..13 of its word.
// The kind moves to bookingKind (unless block 25 gave one) and the word keeps only the code.
void Reader::readLegacyKinds()
{
    ScheduleData &d = m_d;
    if (d.codeCount > NarrowCodeMask)
        return;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        if (!isBookingWord(word) || !(word & LegacyKindBits))
            continue;
        if ((d.bookingKind[i] & 0xFF) == 0)
            d.bookingKind[i] =
                static_cast<std::int16_t>((d.bookingKind[i] & ~0xFF) | ((word >> 12) & 3));
        d.lectureWord[i] = static_cast<std::uint16_t>(word & ~LegacyKindBits);
    }
}

Result<ReadReport> Reader::run()
{
    if (m_bytes.empty())
        return fail(Error::Code::Corrupt, "the file is empty");
    m_report.complete = false;

    while (true) {
        m_blockStart = m_pos;
        if (remaining() < BlockHeaderSize) {
            if (!m_headerSeen)
                return fail(Error::Code::Corrupt, "not a data file: too short for a header");
            stopEarly(remaining() == 0 ? "the file ends without its end block"
                                       : "the file ends inside a block header at offset " +
                                             std::to_string(m_pos));
            break;
        }
        const int tag = decodeU16(here());
        const std::size_t declared = decodeU16(here() + 2);
        m_pos += BlockHeaderSize;
        if (!m_headerSeen && tag != TagHeader)
            return fail(Error::Code::Corrupt, "not a data file: it does not begin with a header");
        if (tag == TagEnd) {
            m_report.complete = true;
            break;
        }

        const auto size = blockSize(tag, declared);
        if (!size)
            return std::unexpected(size.error());
        // A block the file cuts short still gives what it holds; reading stops after it.
        const bool cut = remaining() < *size;
        const std::size_t present = std::min(*size, remaining());
        if (cut)
            stopEarly("the file ends inside " + where(tag));
        // Bytes of a plain block; the record size for per-code and record blocks.
        const std::size_t length = hasRecords(tag) ? declared : present;
        const int records = length == 0 ? 0 : static_cast<int>(present / length);

        const auto stop = readBlock(tag, length, records);
        if (!stop)
            return std::unexpected(stop.error());
        m_pos += present;
        ++m_report.blocksRead;
        m_previousTag = tag;
        if (*stop || cut)
            break;
    }

    finish();
    return m_report;
}

// Per-code blocks (10, 11, 13) and the record blocks (141, 142) declare a record size, not the
// bytes they occupy.
bool Reader::hasRecords(int tag)
{
    return tag == TagCodes || tag == TagRecords || tag == TagColours || tag == TagAssignments ||
           tag == TagRoles;
}

// Bytes the block occupies: its length, times the code count for per-code blocks; the record
// blocks are sized by the count in their first record. Fails on sizes no file can have.
Result<std::size_t> Reader::blockSize(int tag, std::size_t declared) const
{
    if (tag == TagCodes || tag == TagRecords || tag == TagColours) {
        if (declared == 0 && m_d.codeCount > 0)
            return fail(Error::Code::Corrupt, where(tag) + " has code records of 0 bytes");
        return declared * static_cast<std::size_t>(m_d.codeCount);
    }
    if (tag == TagOldRecords)
        return oldRecordsSize(declared);
    if (tag != TagAssignments && tag != TagRoles)
        return declared;
    const std::size_t expected = tag == TagAssignments ? AssignmentRecordSize : RoleRecordSize;
    if (declared != expected)
        return fail(Error::Code::Corrupt,
                    where(tag) + " has records of " + std::to_string(declared) + " bytes");
    if (remaining() < declared)
        return declared;
    const int count = decodeU16(here());
    const int limit = tag == TagAssignments ? MaxAssignments : MaxRoles;
    if (count > limit)
        return fail(Error::Code::Range,
                    where(tag) + " announces " + std::to_string(count) +
                        (tag == TagAssignments ? " role assignments" : " roles") + ", more than " +
                        std::to_string(limit));
    return declared * static_cast<std::size_t>(count + 1);
}

// The name of code n (block 16384 + n). A name repeated at once ends the reading.
bool Reader::readName(int nameCode, std::size_t length)
{
    ScheduleData &d = m_d;
    if (nameCode <= d.codeCount)
        d.codes[nameCode].name.assign(shortText(length, NameLength));
    const bool stop = nameCode == m_previousName;
    m_previousName = nameCode;
    if (stop)
        stopEarly("the name of code " + std::to_string(nameCode) + " is repeated in " +
                  where(TagNameBase + nameCode));
    return stop;
}

// A comment or a memo: the first block of each kind replaces the list. An empty comment block
// ends the reading.
bool Reader::readNote(int tag, std::size_t length)
{
    ScheduleData &d = m_d;
    bool &seen = tag == TagComment ? m_commentsSeen : m_memosSeen;
    auto &list = tag == TagComment ? d.comments : d.memos;
    if (!seen)
        list.clear();
    seen = true;
    std::string text = shortText(length);
    if (compareBytes(text, " ") > 0)
        list.push_back(std::move(text));
    const bool stop = tag == TagComment && length == 0;
    if (stop)
        stopEarly("an empty comment block: " + where(tag));
    return stop;
}

// Block 9. A file whose open counter is 0 starts the counters afresh at opened-at; every load
// counts one more opening.
void Reader::readUsageCounters(std::size_t length)
{
    ScheduleData &d = m_d;
    overlay(
        length, UsageCountersSize, [&](std::uint8_t *b) { encodeUsageCounters(d, b); },
        [&](const std::uint8_t *b) { decodeUsageCounters(d, b); });
    auto &counters = d.usageCounters;
    if (counters[OpenCounter] == 0) {
        counters.fill(0);
        counters[CountersStartedCounter] = m_openedAt.day;
    }
    if (counters[OpenCounter] < std::numeric_limits<std::int32_t>::max())
        ++counters[OpenCounter];
}

// Block 141: the count and the roles-on switch in the first record, then the assignments.
void Reader::readAssignments(int records)
{
    ScheduleData &d = m_d;
    if (records == 0)
        return;
    const std::uint8_t *p = here();
    d.assignmentCount = std::min<int>(decodeU16(p), records - 1);
    d.rolesOn = decodeU16(p + 2) != 0;
    for (int i = 1; i <= d.assignmentCount; ++i) {
        p += AssignmentRecordSize;
        d.assignments[i] = {decodeU16(p), decodeU16(p + 2), decodeU16(p + 4)};
    }
}

// Block 142: the count in the first record, then the roles.
void Reader::readRoles(int records)
{
    ScheduleData &d = m_d;
    if (records == 0)
        return;
    const std::uint8_t *p = here();
    d.roleCount = std::min<int>(decodeU16(p), records - 1);
    for (int i = 1; i <= d.roleCount; ++i) {
        p += RoleRecordSize;
        Role &r = d.roles[i];
        r.id = decodeU16(p);
        r.uses = decodeU16(p + 2);
        decodePString(p + 4, r.name);
    }
}

// Reads the content of one block into its stores; true when reading must stop after it.
Result<bool> Reader::readBlock(int tag, std::size_t length, int records)
{
    ScheduleData &d = m_d;
    if (tag > TagNameBase && tag <= TagNameBase + MaxCodes)
        return readName(tag - TagNameBase, length);
    bool stop = false;
    switch (tag) {
    case TagHeader:
        if (m_headerSeen) {
            ++m_report.blocksSkipped;
            break;
        }
        if (auto ok = readHeader(length); !ok)
            return std::unexpected(ok.error());
        m_headerSeen = true;
        break;
    case TagDayNames:
        d.dayNames = shortText(length);
        break;
    case TagBellNames:
        overlay(
            length, BellNamesSize, [&](std::uint8_t *b) { encodeBellNames(d, b); },
            [&](const std::uint8_t *b) { decodeBellNames(d, b); });
        break;
    case TagLists:
        overlay(
            length, ListsSize, [&](std::uint8_t *b) { encodeLists(d, b); },
            [&](const std::uint8_t *b) { decodeLists(d, b); });
        break;
    case TagWeekTable:
        overlay(
            length, WeekTableBytes, [&](std::uint8_t *b) { encodeWeekTable(d, b); },
            [&](const std::uint8_t *b) { decodeWeekTable(d, b); });
        break;
    case TagVisibleMasks:
    case TagNoTimetableMasks:
    case TagNoGapsMasks: {
        auto &masks = tag == TagVisibleMasks       ? d.visibleMasks
                      : tag == TagNoTimetableMasks ? d.noTimetableMasks
                                                   : d.noGapsMasks;
        std::copy_n(here(), std::min<std::size_t>(length, masks.size()), masks.begin());
        break;
    }
    case TagUsageCounters:
        readUsageCounters(length);
        break;
    case TagCodes:
    case TagRecords:
    case TagColours:
        readPerCode(tag, length, records);
        break;
    case TagOldRecords:
        ++m_report.blocksSkipped;
        break;
    case TagLectureWords: {
        const int n = readWordsInto(length, d.lectureWord);
        d.lectureCount = std::min(d.lectureCount, std::max(n - 1, 0));
        break;
    }
    case TagLectureStarts:
        readWordsInto(length, d.lectureStart);
        break;
    case TagLectureEnds:
        readWordsInto(length, d.lectureEnd);
        break;
    case TagBookingKinds:
        readWordsInto(length, d.bookingKind);
        break;
    case TagCollection: {
        const int n = readWordsInto(length, d.collection);
        d.collectionEntryCount = std::min(d.collectionEntryCount, std::max(n - 1, 0));
        break;
    }
    case TagReserved26:
        std::copy_n(here(), std::min<std::size_t>(length, Reserved26Size), d.reserved26.begin());
        break;
    case TagVocabulary:
        d.vocabulary = shortText(length);
        break;
    case TagDescription:
        d.description = shortText(length);
        break;
    case TagAssignments:
        readAssignments(records);
        break;
    case TagRoles:
        readRoles(records);
        break;
    case TagManualRooms: {
        const int n = readWordsInto(length, d.manualRooms);
        // Whole triples only, and only those present in the block.
        const int words = std::min<int>(d.manualRooms[0], std::max(n - 1, 0));
        d.manualRooms[0] = static_cast<std::uint16_t>(words - words % 3);
        stop = m_previousTag == TagManualRooms;
        if (stop)
            stopEarly("the manual rooms are repeated in " + where(tag));
        break;
    }
    case TagManualRoomSettings:
        std::copy_n(here(), std::min<std::size_t>(length, ManualRoomSettingsSize),
                    d.manualRoomSettings.begin());
        break;
    case TagComment:
    case TagMemo:
        stop = readNote(tag, length);
        break;
    default:
        if (tag > TagFirstReportTitle - 1 && tag < TagFirstReportTitle + ReportTitleCount)
            d.reportTitles[tag - TagFirstReportTitle + 1] = shortText(length, ReportTitleLength);
        else
            ++m_report.blocksSkipped; // unknown, or kept only for older readers
        break;
    }
    return stop;
}

// What every load does after the blocks: counts and stores made consistent, then a recount.
void Reader::finish()
{
    ScheduleData &d = m_d;
    // Entries above the counts may hold what an oversized block brought along.
    auto clearFrom = [](auto &store, int first) {
        std::fill(store.begin() + first, store.end(),
                  typename std::decay_t<decltype(store)>::value_type{});
    };
    clearFrom(d.lectureWord, d.lectureCount + 1);
    clearFrom(d.lectureStart, d.lectureCount + 1);
    clearFrom(d.lectureEnd, d.lectureCount + 1);
    clearFrom(d.bookingKind, d.lectureCount + 1);
    clearFrom(d.collection, d.collectionEntryCount + 1);
    clearFrom(d.manualRooms, d.manualRooms[0] + 1);

    readLegacyKinds();
    SlotCoding &k = d.coding;
    setSlotCoding(d, k.weekBits, k.dayBits, k.bellBits, k.weekLimit, k.dayLimit, k.bellLimit);
    d.calendarRange.endWeek = static_cast<std::uint8_t>(
        std::clamp<int>(d.calendarRange.endWeek, 1, std::clamp(k.weekLimit, 1, MaxWeeks)));
    d.calendarRange.endDay = static_cast<std::uint8_t>(
        std::clamp<int>(d.calendarRange.endDay, 1, std::clamp(k.dayLimit, 1, MaxDays)));
    d.calendarRange.endBell = static_cast<std::uint8_t>(
        std::clamp<int>(d.calendarRange.endBell, 1, std::clamp(k.bellLimit, 1, MaxBells)));

    // The recount keeps the optimiser's range inside the calendar from its end; its start comes
    // from the file alone.
    TimeRange &o = d.optimiseRange;
    o.startWeek = static_cast<std::uint8_t>(std::min<int>(o.startWeek, k.weekLimit));
    o.startDay = static_cast<std::uint8_t>(std::min<int>(o.startDay, k.dayLimit));
    o.startBell = static_cast<std::uint8_t>(std::min<int>(o.startBell, k.bellLimit));

    prepareDataSet(d);
    setSlotCoding(d, k.weekBits, k.dayBits, k.bellBits, k.weekLimit, k.dayLimit, k.bellLimit);

    for (int c = 1; c <= d.codeCount; ++c)
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    const int weeks = std::clamp<int>(usedWeeks(d), 0, MaxWeeks);
    for (int w = 1; w <= weeks; ++w)
        d.weeks[w].name.assign(trimRight(d.weeks[w].name.view()));
    d.counters.largestTimetable = 0;
    auto &settings = d.manualRoomSettings;
    const int lastWeek = std::max(weeks, 1);
    settings[4] = static_cast<std::uint8_t>(std::clamp<int>(settings[4], 1, lastWeek));
    settings[7] = static_cast<std::uint8_t>(std::clamp<int>(settings[7], settings[4], lastWeek));
    normaliseRoles(d);
    if (d.firstWeekDate > DayNumberOffset)
        d.firstWeekDate -= DayNumberOffset;
    rebuildLists(d);
    d.modified = false;
}

} // namespace

Result<ReadReport> decodeDataFile(std::span<const std::uint8_t> bytes, ScheduleData &fresh,
                                  DayTime openedAt)
{
    clearScheduleData(fresh);
    Reader reader(bytes, fresh, openedAt);
    return reader.run();
}

// ---------------------------------------------------------------------------------------------
// Files and the clock

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned day)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Error ioError(const std::string &what)
{
    return Error{Error::Code::IoError, what + ": " + std::strerror(errno)};
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

DayTime currentDayTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::int64_t days =
        daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday)) -
        daysFromCivil(1899, 12, 30);
    const std::int64_t seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return DayTime{static_cast<std::int32_t>(days + DayNumberOffset),
                   static_cast<std::int32_t>(seconds * TicksPerDay / 86400)};
}

Result<void> writeFileAtomically(const std::string &path, std::span<const std::uint8_t> bytes)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    // Replacing a link would cut it; replace the file it points at instead.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();

    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return std::unexpected(ioError("cannot create a temporary file in its folder"));
    auto abandon = [&](const std::string &what) {
        Error e = ioError(what);
        ::close(fd);
        ::unlink(temp.c_str());
        return std::unexpected(std::move(e));
    };
    if (!writeAll(fd, bytes.data(), bytes.size()))
        return abandon("cannot write");
    if (::fsync(fd) != 0)
        return abandon("cannot flush");
    struct stat st
    {
    };
    const mode_t mode =
        ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_mode & 07777 : 0644;
    ::fchmod(fd, mode);
    if (::close(fd) != 0) {
        Error e = ioError("cannot close");
        ::unlink(temp.c_str());
        return std::unexpected(std::move(e));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        Error e = ioError("cannot replace the file");
        ::unlink(temp.c_str());
        return std::unexpected(std::move(e));
    }
    // The rename itself is durable only once the folder is flushed.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

Result<void> writeDataFile(ScheduleData &d, const std::string &path, int extractWeek)
{
    const DayTime now = currentDayTime();
    d.header.savedDay = now.day;
    d.header.savedTicks = now.ticks;
    prepareForSaving(d);
    const std::vector<std::uint8_t> bytes = encodeDataFile(std::as_const(d), extractWeek);
    if (auto ok = writeFileAtomically(path, bytes); !ok)
        return ok;
    // An extract is a copy: the data set keeps its own editing time and modified state.
    if (extractWeek <= 0) {
        restartEditingClock(d);
        d.modified = false;
    }
    return {};
}

Result<ReadReport> readDataFile(const std::string &path, ScheduleData &fresh)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return fail(Error::Code::NotFound, "no such file");
    if (!fs::is_regular_file(status))
        return fail(Error::Code::IoError, "not a regular file");
    const auto size = fs::file_size(path, ec);
    if (ec)
        return fail(Error::Code::IoError, "cannot read: " + ec.message());
    if (size > static_cast<std::uintmax_t>(MaxFileBytes))
        return fail(Error::Code::Corrupt, "not a data file: too large");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(Error::Code::IoError, std::string("cannot open: ") + std::strerror(errno));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return fail(Error::Code::IoError, "cannot read the whole file");
    return decodeDataFile(bytes, fresh, currentDayTime());
}

} // namespace quivra
