#include "files/datafile.h"

#include "engine/calendar.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "files/coding.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace quivra {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr DayTime Stamp{740000, 1000};

// ---- tiny helpers ---------------------------------------------------------------------------

// The bytes a save writes, with the steps of writeDataFile around the encoder: the repair
// before, the editing clock restarted after (not for an extract).
Bytes savedBytes(ScheduleData &d, int extractWeek = 0)
{
    prepareForSaving(d);
    Bytes bytes = encodeDataFile(std::as_const(d), extractWeek);
    if (extractWeek <= 0)
        restartEditingClock(d);
    return bytes;
}

struct BlockAt
{
    int tag = 0;
    int length = 0;       // the length field as written
    std::size_t at = 0;   // offset of the block header
    std::size_t size = 0; // payload bytes that follow the header
};

// Walks the blocks of a well-formed file, sizing per-code and record blocks as the reader does.
std::vector<BlockAt> blocksOf(const Bytes &f)
{
    std::vector<BlockAt> out;
    const int codes = coding::decodeU16(f.data() + 4 + 42);
    std::size_t at = 0;
    while (at + 4 <= f.size()) {
        BlockAt b{coding::decodeU16(&f[at]), coding::decodeU16(&f[at + 2]), at, 0};
        b.size = static_cast<std::size_t>(b.length);
        if (b.tag == 10 || b.tag == 11 || b.tag == 13)
            b.size *= static_cast<std::size_t>(codes);
        if (b.tag == 141 || b.tag == 142)
            b.size *= static_cast<std::size_t>(coding::decodeU16(&f[at + 4]) + 1);
        out.push_back(b);
        if (b.tag == 0)
            break;
        at += 4 + b.size;
    }
    return out;
}

BlockAt findBlock(const Bytes &f, int tag)
{
    for (const BlockAt &b : blocksOf(f))
        if (b.tag == tag)
            return b;
    ADD_FAILURE() << "no block " << tag;
    return {};
}

void setU16(Bytes &f, std::size_t at, int value)
{
    coding::encodeU16(&f[at], static_cast<std::uint16_t>(value));
}

// Header field at `offset` inside block 1.
void setHeaderField(Bytes &f, int offset, int value)
{
    setU16(f, 4 + static_cast<std::size_t>(offset), value);
}

std::int32_t headerI32(const Bytes &f, int offset)
{
    return coding::decodeI32(f.data() + 4 + offset);
}

// A hand-made file: a header with `codeCount` codes, then the given blocks, then the end block.
Bytes handMade(int codeCount, const std::vector<std::pair<int, Bytes>> &blocks,
               int lengthOverride = -1)
{
    Bytes f;
    coding::putU16(f, 1);
    coding::putU16(f, 278);
    f.resize(4 + 278);
    setHeaderField(f, 42, codeCount);
    for (const auto &[tag, payload] : blocks) {
        coding::putU16(f, static_cast<std::uint16_t>(tag));
        coding::putU16(
            f, static_cast<std::uint16_t>(lengthOverride >= 0 ? lengthOverride : payload.size()));
        f.insert(f.end(), payload.begin(), payload.end());
    }
    coding::putU16(f, 0);
    coding::putU16(f, 0);
    return f;
}

Bytes shortText(std::string_view text)
{
    Bytes b(text.size() + 1);
    b[0] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), b.begin() + 1);
    return b;
}

// A small institution touching every store the file carries.
void buildInstitution(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(10, 5, 8).resources('T', {"T1", "T2"}).resources('R', {"R1", "R2"});
    f.resources('G', {"G1"});
    f.event("MATH", {"T1", "R1", "G1"}, 6).event("ART", {"T2", "R2"}, 4);
    f.allocate("MATH", 1, 4, 3).allocate("ART", 2, 3, 2);
    f.place("MATH", 1, 1, 1, 2).place("MATH", 2, 3, 4, 4).place("ART", 2, 2, 5, 6);
    f.book("T2", 1, 4, 1, 2, 3).book("R2", 3, 5, 7, 3);
    f.weekBooking("ART", 6, 7, 1);
    f.manualRoom("MATH", 1, 1, 1, "R1").manualRoom("MATH", 2, 3, 4, "");
    f.role("MATH", "T1", "Lead").role("ART", "T2", "Assistant");
    f.comment("[001102];MATH;Bring calculators").memo("ART", "Needs an easel");
    f.finish();
    d.codes[f.id("ART")].colour = 0x00336699;
    d.bellNames[1].assign("8:00-8:45");
    d.weeks[3].name.assign("Easter");
    d.weeks[3].length = 2;
    d.firstWeekDate = 40000;
    d.currentWeek = 2;
    d.reportTitles[2] = "Rooms";
    d.description = "Spring term";
    d.manualRoomSettings[4] = 1; // manual-room weeks 1..10, as any load leaves them
    d.manualRoomSettings[7] = 10;
    d.header.fileComment.assign("draft");
    d.header.editingDays = 3;
    d.header.savedDay = Stamp.day;
    d.header.savedTicks = Stamp.ticks;
    d.header.openedDay = Stamp.day;
    d.header.openedTicks = Stamp.ticks;
}

// ---- writing --------------------------------------------------------------------------------

TEST(DataFileTest, EmptyDataSetWritesTheBlockSequence)
{
    auto d = makeScheduleData();
    const Bytes f = savedBytes(*d);
    const int dayNames = static_cast<int>(d->dayNames.size()) + 1;
    const int vocabulary = static_cast<int>(d->vocabulary.size()) + 1;
    const std::vector<std::pair<int, int>> expected = {
        {1, 278},   {2, dayNames}, {3, 360}, {4, 768},          {5, 1792}, {6, 3},   {7, 3},
        {8, 3},     {9, 256},      {10, 16}, {11, 14},          {13, 4},   {21, 2},  {22, 2},
        {23, 2},    {24, 2},       {25, 2},  {26, 40},          {101, 1},  {102, 1}, {103, 1},
        {104, 1},   {105, 1},      {106, 1}, {121, vocabulary}, {131, 1},  {132, 1}, {141, 6},
        {142, 205}, {151, 1},      {161, 2}, {162, 10},         {0, 0}};
    std::vector<std::pair<int, int>> written;
    for (const BlockAt &b : blocksOf(f))
        written.emplace_back(b.tag, b.length);
    EXPECT_EQ(written, expected);
    const BlockAt end = blocksOf(f).back();
    EXPECT_EQ(end.at + 4, f.size());
    EXPECT_EQ(coding::decodeU16(&f[4]), 6149);
    EXPECT_EQ(coding::decodeU16(&f[4 + 8]), 6);
    EXPECT_EQ(coding::decodeU16(&f[4 + 36]), 15);
    EXPECT_EQ(coding::decodeU16(&f[4 + 40]), 235);
}

TEST(DataFileTest, RoundTripIsByteIdenticalExceptTheOpenCounter)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    const Bytes first = savedBytes(*d);
    EXPECT_EQ(headerI32(first, 142), 21); // PLANNED of MATH (15) and ART (6)
    EXPECT_EQ(headerI32(first, 146), 21); // 4 weeks x 3 + 2 weeks x 2 with week 3 counting twice
    EXPECT_EQ(headerI32(first, 150), 5);

    auto loaded = makeScheduleData();
    auto report = decodeDataFile(first, *loaded, Stamp);
    ASSERT_TRUE(report) << report.error().detail;
    EXPECT_TRUE(report->complete) << report->reason;
    EXPECT_EQ(report->versionRead, 6149);
    // A file whose counters never started starts them at the opening day.
    EXPECT_EQ(loaded->usageCounters[62], 1);
    EXPECT_EQ(loaded->usageCounters[63], Stamp.day);

    Bytes second = savedBytes(*loaded);
    ASSERT_EQ(second.size(), first.size());
    const std::size_t counter62 = findBlock(first, 9).at + 4 + 62 * 4;
    const std::size_t counter63 = counter62 + 4;
    EXPECT_EQ(coding::decodeI32(&second[counter62]), 1);
    std::copy_n(first.begin() + counter62, 8, second.begin() + counter62);
    EXPECT_EQ(coding::decodeI32(&first[counter63]), 0);
    EXPECT_EQ(second, first);

    // What was read is the data set that was written, apart from what opening records.
    loaded->header.versionRead = d->header.versionRead;
    loaded->usageCounters[62] = d->usageCounters[62];
    loaded->usageCounters[63] = d->usageCounters[63];
    EXPECT_EQ(dumpScheduleData(*loaded), dumpScheduleData(*d));
}

TEST(DataFileTest, FirstWeekDateIsStoredAsADayNumberAndZeroStaysZero)
{
    for (const auto &[serial, stored] : {std::pair{40000, 733594}, std::pair{0, 0}}) {
        SCOPED_TRACE(serial);
        auto d = makeScheduleData();
        d->firstWeekDate = serial;
        const Bytes f = savedBytes(*d);
        EXPECT_EQ(headerI32(f, 254), stored);
        EXPECT_EQ(d->firstWeekDate, serial);
        auto loaded = makeScheduleData();
        ASSERT_TRUE(decodeDataFile(f, *loaded));
        EXPECT_EQ(loaded->firstWeekDate, serial);
    }
}

TEST(DataFileTest, EditingTimeAddsTheSessionWithCarryAndRestartsIt)
{
    auto d = makeScheduleData();
    d->header.editingDays = 0;
    d->header.editingTicks = TicksPerDay - 1;
    d->header.openedDay = 100;
    d->header.openedTicks = TicksPerDay - 10;
    d->header.savedDay = 101;
    d->header.savedTicks = 5;
    const Bytes f = savedBytes(*d);
    EXPECT_EQ(headerI32(f, 242), 1);
    EXPECT_EQ(headerI32(f, 246), 14);
    EXPECT_EQ(d->header.openedDay, 101);
    EXPECT_EQ(d->header.openedTicks, 5);
    // Saving again at once adds nothing.
    const Bytes again = savedBytes(*d);
    EXPECT_EQ(headerI32(again, 242), 1);
    EXPECT_EQ(headerI32(again, 246), 14);
}

TEST(DataFileTest, EncodingReadsTheDataSetAndChangesNothing)
{
    // The repair is a step of its own; the encoder only reads, so encoding twice gives the same
    // bytes and leaves the dump as it was.
    auto d = makeScheduleData();
    buildInstitution(*d);
    prepareForSaving(*d);
    const std::string before = dumpScheduleData(*d);
    const ScheduleData &reader = *d;
    const Bytes first = encodeDataFile(reader);
    EXPECT_EQ(encodeDataFile(reader), first);
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST(DataFileTest, EditingTimeOfADataSetNeverOpenedStartsAtItsFirstSave)
{
    // A new or imported data set has no opened-at; its first save must not count the whole
    // calendar up to today as editing.
    auto d = makeScheduleData();
    d->header.editingDays = 2;
    d->header.savedDay = Stamp.day;
    d->header.savedTicks = Stamp.ticks;
    const Bytes f = savedBytes(*d);
    EXPECT_EQ(headerI32(f, 242), 2);
    EXPECT_EQ(headerI32(f, 246), 0);
    EXPECT_EQ(d->header.openedDay, Stamp.day);
    d->header.savedTicks = Stamp.ticks + 100;
    EXPECT_EQ(headerI32(savedBytes(*d), 246), 100);
}

int lecturesOf(ScheduleData &d, int c, bool table)
{
    int n = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        if (lectureCode(d, d.lectureWord[i]) == c &&
            (d.coding.dayOf(d.lectureStart[i]) != 0) == table)
            ++n;
    }
    return n;
}

TEST(DataFileTest, ExtractWeekKeepsOnlyLecturesCoveringItMovedIntoIt)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(10, 5, 8).resources('T', {"T1"});
    f.event("E37", {"T1"}, 20).event("E68", {"T1"}, 20);
    f.allocate("E37", 3, 7, 2).allocate("E68", 6, 8, 1);
    f.finish();
    const int lectures = d->lectureCount;
    const Bytes extract = savedBytes(*d, 5);
    EXPECT_EQ(d->lectureCount, lectures);

    auto loaded = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(extract, *loaded));
    ASSERT_EQ(loaded->lectureCount, 1);
    const LectureView v = unpackLecture(*loaded, 1);
    EXPECT_EQ(lectureCode(*loaded, v.word), f.id("E37"));
    EXPECT_EQ(v.startWeek, 5);
    EXPECT_EQ(v.endWeek, 5);
    EXPECT_EQ(v.count, 2);
}

TEST(DataFileTest, EventWithSixHundredTimetableLecturesSurvives)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(30, 5, 8).resources('T', {"T1"}).event("BIG", {"T1"}, 600);
    f.allocate("BIG", 1, 30, 20);
    for (int w = 1; w <= 30; ++w)
        for (int day = 1; day <= 5; ++day)
            for (int bell = 1; bell <= 4; ++bell)
                f.place("BIG", w, day, bell, bell);
    f.finish();
    ASSERT_EQ(lecturesOf(*d, f.id("BIG"), true), 600);

    auto loaded = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(savedBytes(*d), *loaded));
    EXPECT_EQ(lecturesOf(*loaded, f.id("BIG"), true), 600);
    EXPECT_EQ(loaded->codes[f.id("BIG")].scheduled, 600);
}

// A table booking keeps its kind through a save and a load. While codes fit in 12 bits, the
// word in the file also carries the kind for older readers; beyond that the code needs bit 12.
TEST(DataFileTest, TableBookingKeepsItsKind)
{
    struct Case
    {
        const char *name;
        int codes;
        int resource;
        int kind;
        int fileWord;
    };
    const Case cases[] = {{"narrow", 50, 40, 3, 0x8000 | 3 << 12 | 40},
                          {"wide", 4600, 4500, 2, 0x8000 | 4500}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(4, 5, 8);
        for (int i = 1; i <= c.codes; ++i)
            f.resources('R', {"R" + std::to_string(i)});
        const std::string resource = "R" + std::to_string(c.resource);
        f.book(resource, 2, 3, 4, c.kind);
        setLectureCodeMask(*d);
        f.finish();

        const Bytes file = savedBytes(*d);
        const BlockAt words = findBlock(file, 21);
        ASSERT_EQ(words.length, 4);
        EXPECT_EQ(coding::decodeU16(&file[words.at + 6]), c.fileWord);

        auto loaded = makeScheduleData();
        ASSERT_TRUE(decodeDataFile(file, *loaded));
        ASSERT_EQ(loaded->lectureCount, 1);
        EXPECT_EQ(lectureCode(*loaded, loaded->lectureWord[1]), c.resource);
        EXPECT_EQ(loaded->lectureWord[1] & 0x2000, 0);
        EXPECT_EQ(loaded->bookingKind[1] & 0xFF, c.kind);

        // A file from an older writer without block 25 still gives the kind from the word.
        if (c.fileWord & LegacyKindBits && c.codes <= NarrowCodeMask) {
            Bytes old = file;
            setU16(old, findBlock(old, 25).at, 999);
            auto fromOld = makeScheduleData();
            ASSERT_TRUE(decodeDataFile(old, *fromOld));
            EXPECT_EQ(lectureCode(*fromOld, fromOld->lectureWord[1]), c.resource);
            EXPECT_EQ(fromOld->bookingKind[1] & 0xFF, c.kind);
        }
    }
}

// ---- files of an independent writer ---------------------------------------------------------
//
// tests/files/make_qvf_fixtures.py builds these files byte by byte from the documented layout,
// without our code, so a misreading on either side shows up here.

Bytes fixtureFile(const std::string &name)
{
    const fs::path path = fs::path(__FILE__).parent_path() / "data" / "qvf" / name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "missing fixture " << path;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The moment the independent institution was saved; opening it then adds no editing time.
constexpr DayTime InstitutionSaved{738600, 100000};

struct LectureRow
{
    int code;
    std::uint16_t bits; // word bits above the code part
    int startWeek, startDay, startBell, endWeek, endDay, endBell;
    int kind;

    friend bool operator==(const LectureRow &, const LectureRow &) = default;
};

std::vector<LectureRow> lectureRows(const ScheduleData &d)
{
    std::vector<LectureRow> rows;
    const SlotCoding &k = d.coding;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t w = d.lectureWord[i];
        const SlotCode s = d.lectureStart[i];
        const SlotCode e = d.lectureEnd[i];
        rows.push_back({lectureCode(d, w), static_cast<std::uint16_t>(w & ~d.lectureCodeMask),
                        k.weekOf(s), k.dayOf(s), k.bellOf(s), k.weekOf(e), k.dayOf(e), k.bellOf(e),
                        d.bookingKind[i] & 0xFF});
    }
    return rows;
}

void PrintTo(const LectureRow &r, std::ostream *os)
{
    *os << "{code " << r.code << " bits " << std::hex << r.bits << std::dec << " " << r.startWeek
        << "/" << r.startDay << "/" << r.startBell << ".." << r.endWeek << "/" << r.endDay << "/"
        << r.endBell << " kind " << r.kind << "}";
}

std::vector<std::uint16_t> collectionEntries(const ScheduleData &d)
{
    return {d.collection.begin() + 1, d.collection.begin() + 1 + d.collectionEntryCount};
}

struct RecordRow
{
    std::string code, name;
    int planned, allocated, flags, firstLecture, collectionPos, scheduled, links;
    std::int32_t colour;

    friend bool operator==(const RecordRow &, const RecordRow &) = default;
};

std::vector<RecordRow> recordRows(const ScheduleData &d)
{
    std::vector<RecordRow> rows;
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[c];
        rows.push_back({r.code.str(), r.name.str(), r.planned, r.allocated, r.flags, r.firstLecture,
                        r.collectionPos, r.scheduled, r.links, r.colour});
    }
    return rows;
}

void PrintTo(const RecordRow &r, std::ostream *os)
{
    *os << "{" << r.code << " '" << r.name << "' " << r.planned << "/" << r.allocated << " flags "
        << std::hex << r.flags << std::dec << " first " << r.firstLecture << " pos "
        << r.collectionPos << " sched " << r.scheduled << " links " << r.links << " colour "
        << r.colour << "}";
}

TEST(DataFileFixtureTest, IndependentInstitutionLoadsFieldByField)
{
    const Bytes file = fixtureFile("institution.qvf");
    auto d = makeScheduleData();
    auto report = decodeDataFile(file, *d, InstitutionSaved);
    ASSERT_TRUE(report) << report.error().detail;
    EXPECT_TRUE(report->complete) << report->reason;
    EXPECT_EQ(report->versionRead, 6149);

    const std::vector<RecordRow> records = {
        {"T1", "Ann Teacher", 13, 10, 0x0100, 1, 0, 2, 2, 0},
        {"R1", "Room 1 #30", 10, 8, 0x0220, 0, 0, 2, 1, 0},
        {"MATH", "Mathematics", 10, 8, 0x4080, 2, 1, 2, 2, 0x00336699},
        {"ART", "Art", 3, 2, 0xC100, 4, 4, 0, 1, -1},
    };
    EXPECT_EQ(recordRows(*d), records);
    EXPECT_EQ(d->lectureCodeMask, NarrowCodeMask);

    const std::vector<LectureRow> lectures = {
        {1, LectureBookingBit, 1, 4, 1, 1, 4, 2, 2},
        {3, LectureEventBit, 1, 0, 0, 3, 0, 2, 0},
        {3, LectureEventBit, 1, 1, 1, 1, 1, 2, 0},
        {4, LectureEventBit, 2, 0, 0, 2, 0, 1, 0},
        {4, LectureEventBit | LectureBookingBit, 4, 0, 0, 4, 0, 1, 0},
    };
    EXPECT_EQ(lectureRows(*d), lectures);
    EXPECT_EQ(collectionEntries(*d), (std::vector<std::uint16_t>{3 | CollectionMarkerBit, 1, 2,
                                                                 4 | CollectionMarkerBit, 1}));
    EXPECT_EQ(d->collectionCount, 2);
    EXPECT_EQ(d->manualRooms[0], 3);
    EXPECT_EQ((std::array{d->manualRooms[1], d->manualRooms[2], d->manualRooms[3]}),
              (std::array<std::uint16_t, 3>{289, 3, 2}));
    EXPECT_EQ(d->manualRoomSettings,
              (std::array<std::uint8_t, 10>{0, 0, 0, 0, 1, 0x11, 0, 4, 0, 0}));

    ASSERT_EQ(d->roleCount, 1);
    EXPECT_EQ(d->roles[1].name.view(), "Lead");
    EXPECT_EQ(d->roles[1].uses, 1);
    ASSERT_EQ(d->assignmentCount, 1);
    EXPECT_EQ(d->assignments[1].event, 3);
    EXPECT_EQ(d->assignments[1].resource, 1);
    EXPECT_EQ(d->assignments[1].role, 1);
    EXPECT_TRUE(d->rolesOn);
    EXPECT_EQ(d->comments, std::vector<std::string>{"[001101];MATH;Bring calculators"});
    EXPECT_EQ(d->memos, std::vector<std::string>{"ART;Needs an easel"});

    // Calendar.
    EXPECT_EQ(d->coding.weekBits, 8);
    EXPECT_EQ(d->coding.bellLimit, 30);
    EXPECT_EQ(d->calendarRange, (TimeRange{0, 0, 1, 1, 1, 4, 5, 6}));
    EXPECT_EQ(d->optimiseRange, (TimeRange{2, 1, 1, 1, 1, 4, 5, 6}));
    EXPECT_EQ(d->scheduleExtent, (TimeRange{2, 2, 1, 1, 1, 4, 4, 2}));
    EXPECT_EQ(d->firstWeekDate, 45000);
    EXPECT_EQ(d->calendarMode, 2);
    EXPECT_EQ(d->currentWeek, 2);
    EXPECT_EQ(d->averageDivider, 4);
    EXPECT_EQ(d->weeks[2].name.view(), "Hol");
    EXPECT_EQ(d->weeks[2].length, 2);
    EXPECT_EQ(d->weeks[3].name.view(), "W3");
    EXPECT_EQ(d->weeks[200].name.view(), "[200]");
    EXPECT_EQ(d->dayNames, "Monday$Tuesday$Wednesday$Thursday$Friday$Saturday$Sunday$");
    EXPECT_EQ(d->bellNames[1].view(), "8:00-8:45");
    EXPECT_EQ(d->bellNames[2].view(), "9:00-9:45");
    EXPECT_EQ(d->bellNames[2].chars[9], 'X'); // bytes after the text are kept as found
    EXPECT_TRUE(d->bellNames[3].empty());

    // Categories, masks and texts.
    EXPECT_EQ(d->resourceCategories.view(), "G:Groups$T:Teachers$R:Rooms$");
    EXPECT_EQ(d->bookingKinds.view(), "/////$Free$Other$/////$Meeting$Other$");
    EXPECT_EQ(d->noGapsMasks, (std::array<std::uint8_t, 3>{0, 0x08, 0}));
    EXPECT_EQ(d->roomsCategory, 3);
    EXPECT_EQ(d->subjectsCategory, 4);
    EXPECT_EQ(d->reportTitles[1], "Timetables");
    EXPECT_EQ(d->reportTitles[3], "Rooms");
    EXPECT_EQ(d->description, "Spring term");
    EXPECT_TRUE(d->reserved131.empty()); // a reserved text readers ignore
    EXPECT_EQ(d->reserved26[0], 1);
    EXPECT_EQ(d->reserved26[39], 40);

    // Counters and header state.
    EXPECT_EQ(d->usageCounters[10], 7);
    EXPECT_EQ(d->usageCounters[62], 6); // opened once more
    EXPECT_EQ(d->usageCounters[63], 738000);
    const FileHeaderState &h = d->header;
    EXPECT_EQ(h.reserved10, (std::array<std::uint8_t, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(h.reserved88, 0x1234);
    EXPECT_EQ(h.reserved90, (std::array<std::uint8_t, 2>{0xAB, 0xCD}));
    EXPECT_EQ(h.reserved250, (std::array<std::uint8_t, 4>{9, 8, 7, 6}));
    EXPECT_EQ(h.statisticsEvents, 7);
    EXPECT_EQ(h.statisticsResources, 8);
    EXPECT_EQ(h.defaultEventBookingKind, 1);
    EXPECT_EQ(h.defaultResourceBookingKind, 2);
    EXPECT_EQ(h.bookingsCountAsOccupied, 1);
    EXPECT_EQ(h.fileComment.view(), "draft");
    EXPECT_EQ(h.weeklyCategoryLimits[1], 5);
    EXPECT_EQ(h.weeklyCategoryLimits[7], 9);
    EXPECT_EQ(h.conflictSourceCounters[0], 3 << 16 | 12345);
    EXPECT_EQ(h.savedDay, 738600);
    EXPECT_EQ(h.savedTicks, 100000);
    EXPECT_EQ(h.openedDay, InstitutionSaved.day);
    EXPECT_EQ(h.editingDays, 3);
    EXPECT_EQ(h.editingTicks, 1000);
    EXPECT_FALSE(d->modified);
}

// Given what it read, our writer writes the independent file again, byte for byte, apart from
// what the format itself says changes between an open and the next save.
TEST(DataFileFixtureTest, OurWriterRewritesTheIndependentInstitution)
{
    const Bytes theirs = fixtureFile("institution.qvf");
    auto d = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(theirs, *d, InstitutionSaved));
    const Bytes ours = savedBytes(*d);

    const std::vector<BlockAt> a = blocksOf(theirs);
    const std::vector<BlockAt> b = blocksOf(ours);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE("block " + std::to_string(a[i].tag));
        ASSERT_EQ(b[i].tag, a[i].tag);
        Bytes expected(theirs.begin() + a[i].at + 4, theirs.begin() + a[i].at + 4 + a[i].size);
        const Bytes written(ours.begin() + b[i].at + 4, ours.begin() + b[i].at + 4 + b[i].size);
        switch (a[i].tag) {
        case 1:
            // Opened-at is the moment of this open, not of the one before.
            coding::encodeI32(&expected[234], InstitutionSaved.day);
            coding::encodeI32(&expected[238], InstitutionSaved.ticks);
            break;
        case 9:
            // The open counter counts this open.
            coding::encodeI32(&expected[62 * 4], 6);
            break;
        case 131:
            // A reserved text that readers ignore, so it is written empty.
            expected = {0};
            break;
        default:
            break;
        }
        EXPECT_EQ(b[i].length, a[i].tag == 131 ? 1 : a[i].length);
        EXPECT_EQ(written, expected);
    }
}

TEST(DataFileFixtureTest, OlderFileLoadsWithKindsFromTheLectureWords)
{
    const Bytes file = fixtureFile("old_style.qvf");
    auto d = makeScheduleData();
    auto report = decodeDataFile(file, *d, Stamp);
    ASSERT_TRUE(report) << report.error().detail;
    EXPECT_TRUE(report->complete) << report->reason;
    EXPECT_EQ(report->versionRead, 5 * 1024 + 3);

    // 12-byte records leave LINKS to the recount, which counts the collections.
    const std::vector<RecordRow> records = {
        {"T1", "Old Teacher", 0, 0, 0x0100, 1, 0, 0, 1, 0},
        {"R1", "Old Room", 0, 0, 0x0200, 0, 0, 0, 1, 0},
        {"E1", "Old Event", 6, 6, 0x4080, 3, 1, 2, 2, 0},
    };
    EXPECT_EQ(recordRows(*d), records);
    // The kinds come out of the words; a resource's plain timetable entry is a booking; a
    // booking without a kind and the event bit of an event's entry are put right.
    const std::vector<LectureRow> lectures = {
        {1, LectureBookingBit, 1, 2, 3, 1, 2, 4, 2},
        {1, LectureBookingBit, 2, 1, 1, 2, 1, 1, 3},
        {3, LectureEventBit, 1, 0, 0, 3, 0, 2, 0},
        {3, LectureEventBit, 1, 1, 1, 1, 1, 2, 0},
    };
    EXPECT_EQ(lectureRows(*d), lectures);

    // Missing blocks and an all-zero coding leave the defaults of a new data set.
    const SlotCoding defaults;
    EXPECT_EQ(d->coding.weekBits, defaults.weekBits);
    EXPECT_EQ(d->coding.bellLimit, defaults.bellLimit);
    EXPECT_EQ(d->roleCount, 0);
    EXPECT_EQ(d->assignmentCount, 0);
    EXPECT_TRUE(d->rolesOn);
    EXPECT_EQ(d->manualRooms[0], 0);
    EXPECT_TRUE(d->comments.empty());
    EXPECT_TRUE(d->memos.empty());
    EXPECT_EQ(d->roomsCategory, 3);
    EXPECT_EQ(d->subjectsCategory, 4);
    EXPECT_EQ(d->header.defaultEventBookingKind, 1);
    EXPECT_EQ(d->firstWeekDate, 0);
    EXPECT_EQ(d->description, "From an old version");
    // Counters that never started start now.
    EXPECT_EQ(d->usageCounters[5], 0);
    EXPECT_EQ(d->usageCounters[62], 1);
    EXPECT_EQ(d->usageCounters[63], Stamp.day);

    // Saved again, the kinds go to block 25 and stay mirrored in the words.
    const Bytes saved = savedBytes(*d);
    const BlockAt kinds = findBlock(saved, 25);
    ASSERT_EQ(kinds.length, 10);
    EXPECT_EQ(coding::decodeU16(&saved[kinds.at + 6]), 2);
    EXPECT_EQ(coding::decodeU16(&saved[kinds.at + 8]), 3);
    const BlockAt words = findBlock(saved, 21);
    EXPECT_EQ(coding::decodeU16(&saved[words.at + 8]), 0x8000 | 3 << 12 | 1);

    // Read back and saved again, the file is the same bytes but for the open counter.
    auto again = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(saved, *again, Stamp));
    EXPECT_EQ(lectureRows(*again), lectures);
    Bytes resaved = savedBytes(*again);
    ASSERT_EQ(resaved.size(), saved.size());
    const std::size_t counter62 = findBlock(saved, 9).at + 4 + 62 * 4;
    EXPECT_EQ(coding::decodeI32(&resaved[counter62]), 2);
    std::copy_n(saved.begin() + counter62, 4, resaved.begin() + counter62);
    EXPECT_EQ(resaved, saved);
}

TEST(DataFileFixtureTest, UnknownTagsAreSkippedAndARepeatedNameEndsReading)
{
    const Bytes file = fixtureFile("unknown_tags.qvf");
    auto d = makeScheduleData();
    auto report = decodeDataFile(file, *d, Stamp);
    ASSERT_TRUE(report) << report.error().detail;
    EXPECT_FALSE(report->complete);
    EXPECT_NE(report->reason.find("repeated"), std::string::npos) << report->reason;

    // The single-space code is gone and the event moved down to take its place.
    const std::vector<RecordRow> records = {
        {"LONGCODE-ABCDEF", "Long one", 0, 0, 0x0100, 0, 0, 0, 1, 0},
        {"E1", "Event again", 2, 2, 0x4080, 1, 1, 0, 1, 0},
    };
    EXPECT_EQ(recordRows(*d), records);
    EXPECT_EQ(lectureRows(*d),
              (std::vector<LectureRow>{{2, LectureEventBit, 1, 0, 0, 2, 0, 1, 0}}));
    EXPECT_EQ(collectionEntries(*d), (std::vector<std::uint16_t>{2 | CollectionMarkerBit, 1}));
    EXPECT_EQ(d->comments, std::vector<std::string>{"[000000];;kept"});
    EXPECT_EQ(d->reportTitles[2], std::string(40, 'T'));
    EXPECT_EQ(d->description, "Desc!");
    EXPECT_TRUE(d->memos.empty()); // after the stop
}

// ---- reading damaged files ------------------------------------------------------------------

TEST(DataFileTest, ControlCharactersInTextFieldsAreDroppedOnReading)
{
    // Bytes another writer left in texts: read, every field is clean, and what is then written
    // reads back as written.
    auto d = makeScheduleData();
    buildInstitution(*d);
    const std::string nul(1, '\0');
    d->codes[1].name.assign("Ab" + nul + "c\x1A");
    d->codes[2].code.assign("T\t2");
    d->bellNames[1].assign("8:00\r\n8:45");
    d->reportTitles[2] = "Ro\noms";
    d->comments[0] += "\x03";
    d->description = "Spring\tterm";
    auto loaded = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(savedBytes(*d), *loaded));
    EXPECT_EQ(loaded->codes[1].name.view(), "Abc");
    EXPECT_EQ(loaded->codes[2].code.view(), "T 2");
    EXPECT_EQ(loaded->bellNames[1].view(), "8:00 8:45");
    EXPECT_EQ(loaded->reportTitles[2], "Ro oms");
    EXPECT_EQ(loaded->comments[0], "[001102];MATH;Bring calculators");
    EXPECT_EQ(loaded->description, "Spring term");
    const std::string read = dumpScheduleData(*loaded);
    auto again = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(savedBytes(*loaded), *again));
    again->usageCounters = loaded->usageCounters; // each read counts one more opening
    EXPECT_EQ(dumpScheduleData(*again), read);
}

TEST(DataFileTest, TruncatedFileLoadsWhatItHoldsAndSaysSo)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    const Bytes f = savedBytes(*d);
    for (const BlockAt &b : blocksOf(f)) {
        for (std::size_t cut : {b.at, b.at + 1, b.at + 4, b.at + 4 + b.size / 2}) {
            if (cut >= f.size() || (cut == b.at + 4 + b.size / 2 && b.size == 0))
                continue;
            SCOPED_TRACE("block " + std::to_string(b.tag) + " cut at " + std::to_string(cut));
            auto loaded = makeScheduleData();
            auto report = decodeDataFile(std::span(f).first(cut), *loaded);
            if (!report) {
                EXPECT_EQ(b.tag, 1); // only a file without a whole header is refused
                continue;
            }
            EXPECT_FALSE(report->complete);
            EXPECT_FALSE(report->reason.empty());
        }
    }

    // Cut inside the lecture words: the header and the blocks before it are there.
    const BlockAt words = findBlock(f, 21);
    auto loaded = makeScheduleData();
    auto report = decodeDataFile(std::span(f).first(words.at + 4 + 3), *loaded);
    ASSERT_TRUE(report);
    EXPECT_NE(report->reason.find("block 21"), std::string::npos) << report->reason;
    EXPECT_EQ(loaded->codeCount, d->codeCount);
    EXPECT_EQ(loaded->bellNames[1].view(), "8:00-8:45");

    // Cut inside the collection list after the collection of MATH: MATH keeps its periods, ART
    // has no resources left and so no periods.
    const BlockAt list = findBlock(f, 24);
    const int math = FixtureBuilder(*d).id("MATH");
    const int art = FixtureBuilder(*d).id("ART");
    ASSERT_EQ(d->collection[1], math | CollectionMarkerBit);
    ASSERT_EQ(d->collection[5], art | CollectionMarkerBit);
    loaded = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(std::span(f).first(list.at + 4 + 5 * 2 + 1), *loaded));
    EXPECT_EQ(lecturesOf(*loaded, math, true), lecturesOf(*d, math, true));
    EXPECT_EQ(loaded->codes[math].allocated, d->codes[math].allocated);
    EXPECT_EQ(lecturesOf(*loaded, art, false), 0);

    // Cut inside the codes: the whole records before the cut are read.
    const BlockAt codes = findBlock(f, 10);
    loaded = makeScheduleData();
    ASSERT_TRUE(decodeDataFile(std::span(f).first(codes.at + 4 + 2 * 16 + 5), *loaded));
    EXPECT_EQ(loaded->codes[1].code.view(), d->codes[1].code.view());
    EXPECT_EQ(loaded->codes[2].code.view(), d->codes[2].code.view());
    EXPECT_TRUE(loaded->codes[3].code.empty());
}

TEST(DataFileTest, RefusesWhatCannotBeADataFile)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    const Bytes good = savedBytes(*d);
    struct Case
    {
        const char *name;
        Error::Code code;
        Bytes file;
    };
    auto edited = [&](auto edit) {
        Bytes f = good;
        edit(f);
        return f;
    };
    const Case cases[] = {
        {"empty", Error::Code::Corrupt, {}},
        {"no header first", Error::Code::Corrupt, edited([](Bytes &f) { setU16(f, 0, 2); })},
        {"current week 300", Error::Code::Range,
         edited([](Bytes &f) { setHeaderField(f, 74, 300); })},
        {"20000 assignments", Error::Code::Range,
         edited([](Bytes &f) { setU16(f, findBlock(f, 141).at + 4, 20000); })},
        {"600 roles", Error::Code::Range,
         edited([](Bytes &f) { setU16(f, findBlock(f, 142).at + 4, 600); })},
        {"assignment records of 5 bytes", Error::Code::Corrupt,
         edited([](Bytes &f) { setU16(f, findBlock(f, 141).at + 2, 5); })},
        {"code records of 0 bytes", Error::Code::Corrupt,
         edited([](Bytes &f) { setU16(f, findBlock(f, 10).at + 2, 0); })},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto loaded = makeScheduleData();
        auto report = decodeDataFile(c.file, *loaded);
        ASSERT_FALSE(report);
        EXPECT_EQ(report.error().code, c.code);
        EXPECT_FALSE(report.error().detail.empty());
    }
}

TEST(DataFileTest, CountsAboveCapacityOrBeyondTheBlocksAreClamped)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    const Bytes good = savedBytes(*d);

    Bytes f = good;
    setHeaderField(f, 44, 65535); // lectures
    setHeaderField(f, 46, 40000); // collection entries
    auto loaded = makeScheduleData();
    auto report = decodeDataFile(f, *loaded);
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->complete);
    EXPECT_EQ(loaded->lectureCount, d->lectureCount);
    EXPECT_EQ(loaded->collectionEntryCount, d->collectionEntryCount);

    // 9000 codes are read as 8191, whose records the file does not hold.
    setHeaderField(f, 42, 9000);
    report = decodeDataFile(f, *loaded);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->complete);
    EXPECT_LE(loaded->codeCount, MaxCodes);
}

TEST(DataFileTest, OversizedBlocksAreCutToTheirStores)
{
    const Bytes code(40, 'C');
    Bytes codeRecord = code;
    codeRecord[0] = 200; // length byte beyond the field
    Bytes bigName(300, 'N');
    bigName[0] = 255;
    Bytes words(65534, 0); // 32767 lecture entries: more than the store holds
    Bytes rooms(2 * 8, 0);
    coding::encodeU16(rooms.data(), 50); // 50 words announced, 7 present
    Bytes description(600, 'x');
    description[0] = 255;
    const Bytes f = handMade(1, {{10, codeRecord},
                                 {11, Bytes(30, 1)},
                                 {13, Bytes(9, 2)},
                                 {16385, bigName},
                                 {3, Bytes(500, 7)},
                                 {21, words},
                                 {161, rooms},
                                 {151, description},
                                 {999, Bytes(17, 0)}});
    auto d = makeScheduleData();
    auto report = decodeDataFile(f, *d);
    ASSERT_TRUE(report) << report.error().detail;
    EXPECT_TRUE(report->complete) << report->reason;
    EXPECT_EQ(d->codes[1].code.view(), std::string(15, 'C'));
    EXPECT_EQ(d->codes[1].name.view().size(), 200u);
    EXPECT_EQ(d->description.size(), 255u);
    EXPECT_LE(d->lectureCount, MaxLectures);
    EXPECT_EQ(d->manualRooms[0] % 3, 0);
    EXPECT_LE(d->manualRooms[0], 6);
}

TEST(DataFileTest, StopRulesEndReadingAndReportIt)
{
    const std::vector<std::pair<const char *, Bytes>> cases = {
        {"repeated name", handMade(3, {{16387, shortText("First")},
                                       {16387, shortText("Second")},
                                       {151, shortText("not read")}})},
        {"repeated manual rooms",
         handMade(3, {{161, Bytes(2, 0)}, {161, Bytes(2, 0)}, {151, shortText("not read")}})},
        {"empty comment",
         handMade(3, {{171, shortText("[000000];;kept")}, {171, {}}, {151, shortText("no")}})},
    };
    for (const auto &[name, file] : cases) {
        SCOPED_TRACE(name);
        auto d = makeScheduleData();
        auto report = decodeDataFile(file, *d);
        ASSERT_TRUE(report);
        EXPECT_FALSE(report->complete);
        EXPECT_TRUE(d->description.empty());
    }
}

// Block 12 of older writers counts its bytes like any plain block; a file whose block 12 counts
// a record per code, as blocks 10, 11 and 13 do, is still read past it.
TEST(DataFileTest, BlockTwelveIsSkippedWhicheverWayItsLengthCounts)
{
    constexpr std::size_t Block12 = 4 + 278; // right after the header
    Bytes perRecord = handMade(3, {{12, Bytes(12, 0xEE)}, {151, shortText("after")}});
    setU16(perRecord, Block12 + 2, 4); // three records of 4 bytes
    const std::vector<std::pair<const char *, Bytes>> cases = {
        {"bytes", handMade(3, {{12, Bytes(10, 0xEE)}, {151, shortText("after")}})},
        {"records", perRecord},
    };
    for (const auto &[name, f] : cases) {
        SCOPED_TRACE(name);
        auto d = makeScheduleData();
        auto report = decodeDataFile(f, *d);
        ASSERT_TRUE(report) << report.error().detail;
        EXPECT_TRUE(report->complete) << report->reason;
        EXPECT_EQ(d->description, "after");
    }
}

void editEveryBlock(const Bytes &good)
{
    for (const BlockAt &b : blocksOf(good)) {
        for (std::size_t cut : {b.at + 2, b.at + 4 + b.size / 2}) {
            if (cut >= good.size())
                continue;
            auto loaded = makeScheduleData();
            auto report = decodeDataFile(std::span(good).first(cut), *loaded);
            if (report) {
                EXPECT_FALSE(report->complete);
            }
        }
        for (int tag : {0, 1, 10, 12, 21, 141, 161, 171, 16385, 24575, 40000, 65535}) {
            Bytes f = good;
            setU16(f, b.at, tag);
            auto loaded = makeScheduleData();
            (void)decodeDataFile(f, *loaded);
        }
        for (int length : {0, 1, 3, b.length + 1, 65535}) {
            Bytes f = good;
            setU16(f, b.at + 2, length);
            auto loaded = makeScheduleData();
            auto report = decodeDataFile(f, *loaded);
            if (report) {
                EXPECT_LE(loaded->lectureCount, MaxLectures);
            }
        }
    }
}

// Our own file and those of the independent writer, with a tag or a length changed anywhere.
TEST(DataFileTest, EditedTagsAndLengthsNeverBreakTheReader)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    for (const Bytes &good : {savedBytes(*d), fixtureFile("institution.qvf"),
                              fixtureFile("old_style.qvf"), fixtureFile("unknown_tags.qvf")})
        editEveryBlock(good);
}

// ---- files on disk --------------------------------------------------------------------------

class DataFileOnDiskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quivra-datafile-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    Bytes contents(const fs::path &p) const
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    int filesInFolder() const
    {
        return static_cast<int>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    fs::path m_dir;
};

TEST_F(DataFileOnDiskTest, SaveReplacesTheFileAndLoadReadsItBack)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    d->modified = true;
    const std::string path = (m_dir / "school.qvf").string();
    std::ofstream(path) << "old content";
    ASSERT_TRUE(writeDataFile(*d, path));
    EXPECT_FALSE(d->modified);
    EXPECT_EQ(filesInFolder(), 1);

    auto loaded = makeScheduleData();
    auto report = readDataFile(path, *loaded);
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->complete);
    EXPECT_EQ(loaded->codeCount, d->codeCount);

    auto missing = readDataFile((m_dir / "none.qvf").string(), *loaded);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, Error::Code::NotFound);
}

TEST_F(DataFileOnDiskTest, FailedSaveLeavesThePreviousFile)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    const fs::path path = m_dir / "school.qvf";
    ASSERT_TRUE(writeDataFile(*d, path.string()));
    const Bytes before = contents(path);

    // The disk fills up in the middle of the save.
    d->description = std::string(200, 'z');
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    auto saved = writeDataFile(*d, path.string());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, Error::Code::IoError);
    EXPECT_EQ(contents(path), before);
    EXPECT_EQ(filesInFolder(), 1);

    // No temporary file can be made where the folder does not exist.
    auto nowhere = writeDataFile(*d, (m_dir / "gone" / "school.qvf").string());
    ASSERT_FALSE(nowhere);
    EXPECT_EQ(contents(path), before);
}

} // namespace
} // namespace quivra
