#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/roles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {
namespace {

CodeId addCode(ScheduleData &d, bool event, int category, std::string_view code,
               std::string_view name = {})
{
    const int c = ++d.codeCount;
    CodeRecord &rec = d.codes[c];
    rec.flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) |
                                           (1u << (CategoryShift + category - 1)));
    rec.code.assign(code);
    rec.name.assign(name);
    return static_cast<CodeId>(c);
}

MemberList members(std::initializer_list<int> ids)
{
    MemberList m{};
    for (int id : ids)
        m[++m[0]] = static_cast<CodeId>(id);
    return m;
}

std::vector<CodeId> asVector(const MemberList &m)
{
    return std::vector<CodeId>(m.begin() + 1, m.begin() + 1 + m[0]);
}

std::uint16_t eventWord(int c)
{
    return static_cast<std::uint16_t>(c | LectureEventBit);
}

LectureView allocation(int c, int w1, int w2, int n)
{
    LectureView v;
    v.word = eventWord(c);
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.count = static_cast<std::uint16_t>(n);
    v.endDay = static_cast<std::uint8_t>(n >> 5); // the count as the default coding packs it
    v.endBell = static_cast<std::uint8_t>(n & 31);
    return v;
}

LectureView block(std::uint16_t word, int w1, int w2, int d1, int d2, int b1, int b2)
{
    LectureView v;
    v.word = word;
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.startDay = static_cast<std::uint8_t>(d1);
    v.endDay = static_cast<std::uint8_t>(d2);
    v.startBell = static_cast<std::uint8_t>(b1);
    v.endBell = static_cast<std::uint8_t>(b2);
    return v;
}

// Writes one raw entry, bypassing every check, as a damaged or old file would.
void putRaw(ScheduleData &d, std::uint16_t word, SlotCode start, SlotCode end, int kind = 0)
{
    const int i = ++d.lectureCount;
    d.lectureWord[i] = word;
    d.lectureStart[i] = start;
    d.lectureEnd[i] = end;
    d.bookingKind[i] = static_cast<std::int16_t>(kind);
}

struct Stored
{
    std::uint16_t word;
    SlotCode start;
    SlotCode end;
    int kind;
    friend bool operator==(const Stored &, const Stored &) = default;
};

std::vector<Stored> store(const ScheduleData &d)
{
    std::vector<Stored> all;
    for (int i = 1; i <= d.lectureCount; ++i)
        all.push_back({d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]});
    return all;
}

class LecturesTest : public ::testing::Test
{
protected:
    std::unique_ptr<ScheduleData> m_data = makeScheduleData();
    ScheduleData &d = *m_data;
};

TEST_F(LecturesTest, WeekAllocationPacksCountIntoEndAndUnpacksBack)
{
    const CodeId e = addCode(d, true, 1, "E");
    const int i = appendLecture(d, allocation(e, 2, 5, 3));
    ASSERT_EQ(i, 1);
    EXPECT_EQ(d.lectureStart[i], 512);
    EXPECT_EQ(d.lectureEnd[i], 1283);
    const LectureView v = unpackLecture(d, i);
    EXPECT_EQ(v.count, 3);
    EXPECT_EQ(v.endWeek, 5);
    EXPECT_EQ(unpackLecture(d, 2), LectureView{}); // beyond the count
}

TEST_F(LecturesTest, AppendRefusesViewsOutsideTheCoding)
{
    setSlotCoding(d, 8, 3, 5, 40, 5, 10);
    const CodeId e = addCode(d, true, 1, "E");
    const std::uint16_t w = eventWord(e);
    struct Case
    {
        const char *name;
        LectureView view;
    } cases[] = {
        {"week 0", block(w, 0, 1, 1, 1, 1, 1)},
        {"end week before start", block(w, 3, 2, 1, 1, 1, 1)},
        {"week above limit", block(w, 41, 41, 1, 1, 1, 1)},
        {"day above limit", block(w, 1, 1, 6, 6, 1, 1)},
        {"bell above limit", block(w, 1, 1, 1, 1, 11, 11)},
        {"bell 0 in a timetable entry", block(w, 1, 1, 1, 1, 0, 2)},
        {"end bell before start", block(w, 1, 1, 1, 1, 4, 3)},
        {"end day before start", block(w, 1, 1, 3, 2, 1, 1)},
        {"word 0", block(0, 1, 1, 1, 1, 1, 1)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(appendLecture(d, c.view), 0) << c.name;
        EXPECT_EQ(d.lectureCount, 0) << c.name;
    }
    EXPECT_EQ(appendLecture(d, block(w, 40, 40, 5, 5, 10, 10)), 1);

    // Packing an existing entry out of range voids it; the next compaction drops it.
    packLecture(d, 1, block(w, 2, 1, 1, 1, 1, 1));
    EXPECT_EQ(d.lectureWord[1], 0);
    compactLectures(d);
    EXPECT_EQ(d.lectureCount, 0);
}

TEST_F(LecturesTest, TotalsWeighWeeksByLengthAndSaturate)
{
    const CodeId r = addCode(d, false, 1, "G");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    d.weeks[2].length = 2;
    appendLecture(d, allocation(e, 1, 3, 4));
    appendLecture(d, block(eventWord(e), 2, 2, 1, 1, 1, 2));
    d.codes[e].planned = 5;

    EXPECT_EQ(totals(d, 1, d.codeCount), 16);
    EXPECT_EQ(d.codes[e].allocated, 16); // 4 + 8 + 4
    EXPECT_EQ(d.codes[e].scheduled, 4);  // two bells in a week of length 2
    EXPECT_EQ(d.codes[e].planned, 16);   // never below ALLOCATED
    EXPECT_EQ(d.codes[e].links, 1);
    EXPECT_EQ(d.counters.allocatedTotal, 16);

    resourceTotals(d, r);
    EXPECT_EQ(d.codes[r].planned, 16);
    EXPECT_EQ(d.codes[r].allocated, 16);
    EXPECT_EQ(d.codes[r].links, 1);

    // 210 periods in each of 255 weeks of length 255 overflow 16 bits: they saturate.
    for (int w = 1; w <= 255; ++w)
        d.weeks[w].length = 255;
    appendLecture(d, allocation(e, 1, 255, 210));
    totals(d, e, e);
    EXPECT_EQ(d.codes[e].allocated, 65535);
    EXPECT_EQ(d.codes[e].planned, 65535);
}

TEST_F(LecturesTest, WeekAllocationReadsEveryTimetableEntryOfABusyEvent)
{
    const CodeId r = addCode(d, false, 1, "G");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    for (int w = 1; w <= 20; ++w) {
        appendLecture(d, allocation(e, w, w, 30));
        for (int day = 1; day <= 5; ++day) {
            for (int bell = 1; bell <= 6; ++bell)
                ASSERT_NE(appendLecture(d, block(eventWord(e), w, w, day, day, bell, bell)), 0);
        }
    }
    recount(d);
    WeekAllocation wa;
    EXPECT_EQ(loadWeekAllocation(d, e, wa), 620);
    EXPECT_EQ(wa.tableEntries, 600);
    EXPECT_EQ(wa.timetable.size(), 600u);
    EXPECT_EQ(wa.timetable.back(), block(eventWord(e), 20, 20, 5, 5, 6, 6));
    EXPECT_EQ(wa.scheduled[20], 30);
    EXPECT_EQ(d.counters.largestTimetable, 600);
    totals(d, e, e);
    EXPECT_EQ(d.codes[e].scheduled, 600);
    EXPECT_EQ(d.codes[e].allocated, 600);
}

TEST_F(LecturesTest, RecountCompactsValidatesSortsAndIndexesAShuffledStore)
{
    setSlotCoding(d, 8, 3, 5, 40, 5, 10);
    const SlotCoding &k = d.coding;
    const CodeId e1 = addCode(d, true, 1, "E1");
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId e2 = addCode(d, true, 1, "E2");
    // Stale derived fields that must not matter.
    d.codes[e1].collectionPos = 7;
    d.codes[e2].firstLecture = 99;
    d.collection[1] = 0; // hole
    d.collection[2] = static_cast<std::uint16_t>(e2 | CollectionMarkerBit);
    d.collection[3] = r;
    d.collection[4] = 77; // no such code
    d.collection[5] = static_cast<std::uint16_t>(e1 | CollectionMarkerBit);
    d.collection[6] = r;
    d.collectionEntryCount = 6;

    const std::uint16_t w1 = eventWord(e1), w2 = eventWord(e2);
    putRaw(d, w2, k.pack(3, 2, 1), k.pack(3, 2, 2));
    putRaw(d, w1, k.pack(0, 1, 1), k.pack(2, 1, 1));                  // week 0
    putRaw(d, w1, k.pack(2, 0, 0), k.pack(2, 0, 4));                  // allocation of 4 in week 2
    putRaw(d, w2, k.pack(3, 2, 1), k.pack(3, 2, 2));                  // exact duplicate
    putRaw(d, w1, k.pack(4, 1, 1), k.pack(3, 1, 1));                  // ends before it starts
    putRaw(d, w1, k.pack(1, 6, 1), k.pack(1, 6, 1));                  // day 6 of 5
    putRaw(d, w1, k.pack(1, 1, 11), k.pack(1, 1, 11));                // bell 11 of 10
    putRaw(d, w1, k.pack(1, 1, 3), k.pack(1, 1, 2));                  // bells reversed
    putRaw(d, 9 | LectureEventBit, k.pack(1, 1, 1), k.pack(1, 1, 1)); // no code 9
    putRaw(d, w1, k.pack(2, 0, 0), k.pack(2, 0, 4));                  // a second, equal allocation
    putRaw(d, w1, k.pack(1, 3, 2), k.pack(1, 3, 3));
    putRaw(d, e1, k.pack(1, 1, 1), k.pack(1, 1, 1)); // event bit missing

    recount(d);

    const std::vector<Stored> expected = {
        {w1, k.pack(1, 1, 1), k.pack(1, 1, 1), 0},
        {w1, k.pack(1, 3, 2), k.pack(1, 3, 3), 0},
        {w1, k.pack(2, 0, 0), k.pack(2, 0, 4), 0},
        {w1, k.pack(2, 0, 0), k.pack(2, 0, 4), 0}, // allocations add up: both stay
        {w2, k.pack(3, 2, 1), k.pack(3, 2, 2), 0},
    };
    EXPECT_EQ(store(d), expected);
    EXPECT_EQ(d.codes[e1].firstLecture, 1);
    EXPECT_EQ(d.codes[e2].firstLecture, 5);
    EXPECT_EQ(d.codes[r].firstLecture, 0);
    EXPECT_EQ(d.collectionEntryCount, 4);
    EXPECT_EQ(d.codes[e2].collectionPos, 1);
    EXPECT_EQ(d.codes[e1].collectionPos, 3);
    EXPECT_EQ(d.codes[r].links, 2);
    EXPECT_EQ(d.collectionCount, 2);

    // Kinds are counted after the duplicate went.
    EXPECT_EQ(d.counters.timetableLectures, 3);
    EXPECT_EQ(d.counters.weekAllocations, 2);
    EXPECT_EQ(d.counters.codesWithLectures, 2);
    EXPECT_EQ(d.scheduleExtent.startWeek, 1);
    EXPECT_EQ(d.scheduleExtent.endWeek, 3);
    EXPECT_EQ(d.scheduleExtent.a, 2); // longest block
    EXPECT_EQ(d.scheduleExtent.b, 1); // shortest block

    WeekAllocation wa;
    loadWeekAllocation(d, e1, wa);
    EXPECT_EQ(wa.allocated[2], 8);
}

TEST_F(LecturesTest, PeriodsFollowTheCollectionListNotStoredLinks)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId kept = addCode(d, true, 1, "Kept");
    const CodeId lonely = addCode(d, true, 1, "Lonely");
    const CodeId emptied = addCode(d, true, 1, "Emptied");
    setCollection(d, kept, members({r}));
    setCollection(d, emptied, members({r}));
    for (CodeId e : {kept, lonely, emptied}) {
        appendLecture(d, allocation(e, 1, 1, 2));
        appendLecture(d, block(eventWord(e), 1, 1, 1, 1, 1, 2));
    }
    totals(d, 1, d.codeCount);
    d.codes[kept].links = 0;                 // stale: the list still names r
    d.codes[lonely].links = 5;               // stale: there is no collection at all
    setCollection(d, emptied, MemberList{}); // its last resource removed

    recount(d);

    WeekAllocation wa;
    EXPECT_EQ(loadWeekAllocation(d, kept, wa), 2);
    EXPECT_EQ(d.codes[kept].links, 1);
    EXPECT_EQ(loadWeekAllocation(d, lonely, wa), 0);
    EXPECT_EQ(loadWeekAllocation(d, emptied, wa), 0);
    EXPECT_EQ(d.codes[emptied].allocated, 0);
    EXPECT_EQ(d.codes[emptied].scheduled, 0);
}

TEST_F(LecturesTest, SetCollectionStoresAtMostTheListAndReplacesEveryMarker)
{
    const CodeId e = addCode(d, true, 1, "E");
    MemberList many{};
    for (int i = 1; i <= MaxMembers; ++i)
        many[i] = addCode(d, false, 1, "R" + std::to_string(i));
    many[0] = 241; // claims one more than a list can hold
    EXPECT_EQ(setCollection(d, e, many), 240);
    EXPECT_EQ(getCollection(d, e)[0], 240);
    EXPECT_EQ(getCollection(d, e)[240], many[240]);
    EXPECT_EQ(d.currentEvent, e);

    // A file with two markers for the event: both go on replace.
    d.collection[++d.collectionEntryCount] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
    d.collection[++d.collectionEntryCount] = many[1];
    EXPECT_EQ(setCollection(d, e, members({many[2], many[3]})), 2);
    recount(d);
    EXPECT_EQ(d.collectionEntryCount, 3);
    EXPECT_EQ(asVector(collectionOf(d, e)), (std::vector<CodeId>{many[2], many[3]}));
    EXPECT_EQ(d.codes[many[1]].links, 0);
    EXPECT_EQ(setCollection(d, 0, many), 0);
    EXPECT_EQ(setCollection(d, d.codeCount + 1, many), 0);
}

TEST_F(LecturesTest, SetCollectionRefusesAListWithoutRoomAndKeepsTheOldOne)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId other = addCode(d, false, 1, "O");
    const CodeId a = addCode(d, true, 1, "A");
    const CodeId b = addCode(d, true, 1, "B");
    setCollection(d, a, members({r}));
    // A list that is full only of holes: a compaction makes room.
    d.collectionEntryCount = MaxCollectionEntries - 1;
    EXPECT_EQ(setCollection(d, b, members({r})), 1);
    EXPECT_EQ(d.collectionEntryCount, 4);
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r}));

    // A list full of live entries: nothing can be freed, so the change is refused whole.
    while (d.collectionEntryCount < MaxCollectionEntries)
        d.collection[++d.collectionEntryCount] = r;
    EXPECT_EQ(setCollection(d, a, members({r, other})), 0);
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r}));
    EXPECT_EQ(d.collectionEntryCount, MaxCollectionEntries);
}

TEST_F(LecturesTest, EventsOfResourceVisitsEachEventOnce)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId other = addCode(d, false, 1, "O");
    const CodeId a = addCode(d, true, 1, "A");
    const CodeId b = addCode(d, true, 1, "B");
    const CodeId third = addCode(d, false, 1, "T");
    const CodeId c = addCode(d, true, 1, "C");
    setCollection(d, a, members({r, other, r}));
    setCollection(d, b, members({other}));
    setCollection(d, c, members({r, third}));

    std::vector<CodeId> found;
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, r, cursor))
        found.push_back(e);
    EXPECT_EQ(found, (std::vector<CodeId>{c, a}));
    EXPECT_EQ(cursor, 0);

    EXPECT_TRUE(replaceMember(d, b, other, r));
    EXPECT_FALSE(replaceMember(d, b, other, r));      // other is gone
    EXPECT_FALSE(exchangeMembers(d, a, other, c, r)); // r is in both
    EXPECT_TRUE(exchangeMembers(d, a, other, c, third));
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r, third, r}));
    EXPECT_EQ(asVector(collectionOf(d, c)), (std::vector<CodeId>{r, other}));
}

TEST_F(LecturesTest, MemberListFilters)
{
    const CodeId g = addCode(d, false, 1, "G");
    const CodeId t = addCode(d, false, 2, "T");
    const CodeId room = addCode(d, false, 3, "Room");
    const CodeId t2 = addCode(d, false, 2, "A");
    d.codes[room].flags |= NoTimetableBit;
    const MemberList list = members({room, t, g, t2, 0, 9999});

    EXPECT_EQ(countInCategory(d, 2, list), 2);
    EXPECT_EQ(memberOfCategory(d, 2, 2, list), t2);
    EXPECT_EQ(memberOfCategory(d, 2, 3, list), 0);

    MemberList kept = list;
    keepCategories(d, 1u << 2 | 1u << 3, kept);
    EXPECT_EQ(asVector(kept), (std::vector<CodeId>{room, t, t2}));
    MemberList timetabled = list;
    dropNoTimetable(d, timetabled);
    EXPECT_EQ(asVector(timetabled), (std::vector<CodeId>{t, g, t2}));
    MemberList sorted = members({t, g, t2, g});
    sortMembers(d, true, true, sorted);
    EXPECT_EQ(asVector(sorted), (std::vector<CodeId>{g, t2, t}));
    sortMembers(d, false, false, sorted);
    EXPECT_EQ(asVector(sorted), (std::vector<CodeId>{t, t2, g}));
}

TEST_F(LecturesTest, BookingOfAWideCodeKeepsItsCodeAndKind)
{
    while (d.codeCount < 4600)
        addCode(d, false, 1, "R" + std::to_string(d.codeCount + 1));
    setLectureCodeMask(d);
    ASSERT_EQ(d.lectureCodeMask, WideCodeMask);
    const std::uint16_t word = LectureBookingBit | 4500;
    ASSERT_NE(appendLecture(d, block(word, 3, 3, 2, 2, 4, 5), 2), 0);
    ASSERT_NE(appendLecture(d, block(word, 3, 3, 2, 2, 6, 6), 2), 0);

    recount(d);
    compactLectures(d);
    mergeLectures(d);
    recount(d);

    ASSERT_EQ(d.lectureCount, 2);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(lectureCode(d, d.lectureWord[i]), 4500);
        EXPECT_EQ(d.lectureWord[i], word);
        EXPECT_EQ(d.bookingKind[i], 2);
    }
    EXPECT_EQ(d.codes[4500].firstLecture, 1);
    EXPECT_EQ(d.facts.bookedCells[2], 3);
}

TEST_F(LecturesTest, RecountNormalisesLegacyResourceEntries)
{
    const CodeId r = addCode(d, false, 1, "R");
    ASSERT_EQ(d.lectureCodeMask, NarrowCodeMask);
    const SlotCoding &k = d.coding;
    struct Case
    {
        const char *name;
        std::uint16_t word;
        int kind;
        bool kept;
        int keptKind;
    } cases[] = {
        {"kind in bits 12..13", static_cast<std::uint16_t>(0x8000 | 2 << 12 | r), 0, true, 2},
        {"stored kind wins", static_cast<std::uint16_t>(0x8000 | 2 << 12 | r), 3, true, 3},
        {"plain entry becomes a booking", static_cast<std::uint16_t>(3 << 12 | r), 0, true, 3},
        {"plain entry without kind", r, 0, true, 1},
        {"booking without any kind", static_cast<std::uint16_t>(0x8000 | r), 0, false, 0},
        {"event bit on a resource", static_cast<std::uint16_t>(0xC000 | 1 << 12 | r), 0, true, 1},
    };
    for (const Case &c : cases) {
        d.lectureCount = 0;
        putRaw(d, c.word, k.pack(1, 1, 1), k.pack(1, 1, 2), c.kind);
        recount(d);
        ASSERT_EQ(d.lectureCount, c.kept ? 1 : 0) << c.name;
        if (!c.kept)
            continue;
        EXPECT_EQ(d.lectureWord[1], LectureBookingBit | r) << c.name;
        EXPECT_EQ(d.bookingKind[1], c.keptKind) << c.name;
    }
}

TEST_F(LecturesTest, NoTimetableResourcesKeepTheirBookings)
{
    const CodeId room = addCode(d, false, 3, "Room");
    appendLecture(d, block(LectureBookingBit | room, 1, 1, 1, 1, 1, 1), 1);
    d.noTimetableMasks[1] = 1u << 3;
    recount(d);
    EXPECT_TRUE(d.codes[room].flags & NoTimetableBit);
    EXPECT_EQ(d.counters.timetabledResources, 0);
    EXPECT_EQ(d.lectureCount, 1);
    d.noTimetableMasks[1] = 0;
    recount(d);
    EXPECT_FALSE(d.codes[room].flags & NoTimetableBit);
    EXPECT_EQ(d.counters.timetabledResources, 1);
    EXPECT_EQ(d.lectureCount, 1);
}

TEST_F(LecturesTest, RecountGivesCategoryAndReplacesAnEmptyOptimiseRange)
{
    const CodeId bare = addCode(d, true, 1, "E");
    d.codes[bare].flags = IsEventBit | LockedBit | 3; // no category bit
    const CodeId r = addCode(d, false, 1, "R");
    setCollection(d, bare, members({r}));
    appendLecture(d, allocation(bare, 4, 6, 2));
    setSlotCoding(d, 8, 3, 5, 255, 5, 8);
    resetCalendar(d);

    recount(d);
    EXPECT_EQ(d.codes[bare].flags, IsEventBit | 1u << CategoryShift);
    // The extent holds week entries only: days and bells come from the calendar.
    const TimeRange &o = d.optimiseRange;
    EXPECT_EQ(o.startWeek, 4);
    EXPECT_EQ(o.endWeek, 6);
    EXPECT_EQ(o.endDay, 5);
    EXPECT_EQ(o.endBell, 8);
    EXPECT_EQ(o.a, 8);
    EXPECT_EQ(o.b, 1);
}

TEST_F(LecturesTest, LockOthersLeavesOnlyTheResourcesEventsOpen)
{
    const CodeId mine = addCode(d, false, 2, "Me");
    const CodeId theirs = addCode(d, false, 2, "You");
    const CodeId a = addCode(d, true, 1, "A");
    const CodeId b = addCode(d, true, 1, "B");
    setCollection(d, a, members({theirs, mine}));
    setCollection(d, b, members({theirs}));
    d.lockOthersResource = mine;
    recount(d);
    EXPECT_FALSE(d.codes[a].flags & LockedBit);
    EXPECT_TRUE(d.codes[b].flags & LockedBit);
}

TEST_F(LecturesTest, MergeJoinsNeighboursOfTheSameWord)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    const std::uint16_t w = eventWord(e);
    const std::uint16_t book = LectureBookingBit | r;
    struct Case
    {
        const char *name;
        std::vector<LectureView> in;
        std::vector<int> kinds;
        std::vector<LectureView> out;
    } cases[] = {
        {"weeks",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 2, 3, 2, 2, 3, 4)},
         {0, 0},
         {block(w, 1, 3, 2, 2, 3, 4)}},
        {"bells",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 1, 1, 2, 2, 5, 5)},
         {0, 0},
         {block(w, 1, 1, 2, 2, 3, 5)}},
        {"days",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 1, 1, 3, 3, 3, 4)},
         {0, 0},
         {block(w, 1, 1, 2, 3, 3, 4)}},
        {"identical allocations add",
         {allocation(e, 2, 4, 3), allocation(e, 2, 4, 3)},
         {0, 0},
         {allocation(e, 2, 4, 6)}},
        {"allocations at the week's limit stay apart",
         {allocation(e, 2, 4, 150), allocation(e, 2, 4, 60)},
         {0, 0},
         {allocation(e, 2, 4, 60), allocation(e, 2, 4, 150)}},
        {"identical bookings",
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)},
         {2, 2},
         {block(book, 1, 1, 1, 1, 1, 1)}},
        {"bookings of other kinds stay apart",
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)},
         {1, 2},
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)}},
        {"a gap stays",
         {block(w, 1, 1, 2, 2, 1, 1), block(w, 1, 1, 2, 2, 3, 3)},
         {0, 0},
         {block(w, 1, 1, 2, 2, 1, 1), block(w, 1, 1, 2, 2, 3, 3)}},
        {"an allocation and a placement of the same week stay apart",
         {allocation(e, 2, 2, 1), block(w, 2, 2, 1, 1, 1, 1)},
         {0, 0},
         {allocation(e, 2, 2, 1), block(w, 2, 2, 1, 1, 1, 1)}},
    };
    for (const Case &c : cases) {
        d.lectureCount = 0;
        for (std::size_t i = 0; i < c.in.size(); ++i)
            appendLecture(d, c.in[i], c.kinds[i]);
        mergeLectures(d);
        std::vector<LectureView> out;
        for (int i = 1; i <= d.lectureCount; ++i)
            out.push_back(unpackLecture(d, i));
        EXPECT_EQ(out, c.out) << c.name;
    }
}

TEST_F(LecturesTest, SeatsReadTheNumberAfterTheHash)
{
    struct Case
    {
        std::string_view name;
        int seats;
    } cases[] = {
        {"Hall", 1},         {"Hall #", 1},   {"Hall #0", 1}, {"Hall #30", 30},
        {"Hall #30-40", 30}, {"Lab #-5", -5}, {"Lab #x", 1},  {"A #12 #40", 12},
    };
    for (const Case &c : cases) {
        d.codeCount = 0;
        const CodeId r = addCode(d, false, 3, "R", c.name);
        EXPECT_EQ(seats(d, r), c.seats) << c.name;
    }
}

TEST_F(LecturesTest, FreeSeatsIsRoomCapacityMinusTheOtherResources)
{
    const CodeId group = addCode(d, false, 1, "G", "Class #25");
    const CodeId room = addCode(d, false, 3, "R1", "Room #30");
    const CodeId big = addCode(d, false, 3, "R2", "Hall #40");
    const CodeId small = addCode(d, false, 3, "R3", "Lab #35");
    const CodeId withRoom = addCode(d, true, 1, "E1");
    const CodeId withoutRoom = addCode(d, true, 1, "E2");
    setCollection(d, withRoom, members({group, room}));
    setCollection(d, withoutRoom, members({group}));

    EXPECT_EQ(seats(d, withRoom), 55);
    EXPECT_EQ(seats(d, withRoom, 3), 30);
    EXPECT_EQ(freeSeats(d, withRoom, 0), 5);
    EXPECT_EQ(freeSeats(d, withRoom, big), 45);
    EXPECT_EQ(freeSeats(d, withRoom, group), 5);   // not a room
    EXPECT_EQ(freeSeats(d, withoutRoom, -1), -25); // no manual rooms either

    const std::uint16_t slot = d.coding.pack(1, 1, 1);
    const std::uint16_t triples[] = {slot, withoutRoom, big,   slot, withoutRoom, 0,
                                     slot, withRoom,    small, slot, withoutRoom, small};
    d.manualRooms[0] = 12;
    std::copy(std::begin(triples), std::end(triples), d.manualRooms.begin() + 1);
    EXPECT_EQ(freeSeats(d, withoutRoom, -1), 10); // the smaller manual room
    EXPECT_EQ(freeSeats(d, withRoom, -1), 5);     // has a room resource: manual rooms unused
}

// Invalid ids and counts that claim more than a store holds (as a damaged data set could) are
// refused or read as far as the stores reach; nothing is read or written outside them.
TEST_F(LecturesTest, DamagedCountsAndInvalidIdsStayInsideTheStores)
{
    struct Damage
    {
        const char *name;
        void (*apply)(ScheduleData &);
    };
    const Damage damages[] = {
        {"none", [](ScheduleData &) {}},
        {"lecture count beyond the store", [](ScheduleData &x) { x.lectureCount = 40000; }},
        {"negative lecture count", [](ScheduleData &x) { x.lectureCount = -7; }},
        {"collection count beyond the store",
         [](ScheduleData &x) { x.collectionEntryCount = 40000; }},
        {"manual rooms beyond the store", [](ScheduleData &x) { x.manualRooms[0] = 65535; }},
        {"role counts beyond the stores",
         [](ScheduleData &x) {
             x.roleCount = 9000;
             x.assignmentCount = 60000;
         }},
        {"event list count beyond the table", [](ScheduleData &x) { x.eventList[0] = 65535; }},
    };
    const int badIds[] = {0, -1, 4, 8191, 8192, 65535, INT_MAX, INT_MIN};

    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.name);
        auto data = makeScheduleData();
        ScheduleData &x = *data;
        const CodeId r = addCode(x, false, 1, "R", "Room #20");
        const CodeId e = addCode(x, true, 1, "E");
        const CodeId other = addCode(x, false, 2, "T");
        setCollection(x, e, members({r}));
        appendLecture(x, allocation(e, 1, 2, 2));
        appendLecture(x, block(eventWord(e), 1, 1, 1, 1, 1, 2));
        damage.apply(x);

        for (int bad : badIds) {
            EXPECT_EQ(collectionOf(x, bad)[0], 0);
            EXPECT_EQ(setCollection(x, bad, members({r})), 0);
            EXPECT_FALSE(replaceMember(x, bad, r, other));
            int cursor = 1 << 20;
            EXPECT_EQ(eventsOfResource(x, bad, cursor), 0);
            EXPECT_EQ(seats(x, bad), 0);
            EXPECT_FALSE(codeDateRange(x, bad).valid);
            EXPECT_EQ(formatCode(x, bad, ShowCodeAndName | ShowCategory | ShowKind), "");
            EXPECT_EQ(categoryOf(x, bad), 0);
            EXPECT_FALSE(deleteCode(x, bad));
            EXPECT_EQ(unpackLecture(x, bad), LectureView{});
            WeekAllocation wa;
            EXPECT_EQ(loadWeekAllocation(x, bad, wa), 0);
            EXPECT_EQ(LectureIndex(x).of(bad).size(), 0u);
            EXPECT_EQ(roleOf(x, bad, r), 0);
            freeSeats(x, e, bad);
            swapCodes(x, bad, e);
            setLock(x, bad, LockMode::Toggle);
            resourceTotals(x, bad);
        }
        // Operations on valid codes read no further than the stores either.
        EXPECT_TRUE(replaceMember(x, e, r, other));
        codeDateRange(x, other);
        freeSeats(x, e, -1);
        WeekAllocation wa;
        loadWeekAllocation(x, e, wa, LectureIndex(x));
        normaliseRoles(x);
        rebuildLists(x);
        EXPECT_EQ(x.codeCount, 3);
        EXPECT_EQ(collectionOf(x, e)[1], other);
    }

    // Arguments at the ends of their types are refused or read as "none", without overflow.
    {
        auto data = makeScheduleData();
        ScheduleData &x = *data;
        const CodeId r = addCode(x, false, 1, "R");
        const CodeId e = addCode(x, true, 1, "E");
        setCollection(x, e, members({r}));
        addRole(x, "Lead");
        for (const int id : {-1, INT_MIN, INT_MAX, 70000}) {
            EXPECT_EQ(roleNameById(x, id), "") << id;
            EXPECT_EQ(setRole(x, e, r, id), 0) << id;
            int cursor = id;
            EXPECT_EQ(eventsOfResource(x, r, cursor), id > 0 ? e : 0) << id;
            EXPECT_EQ(formatBellRange(x, 1, 1, id, 3), "Mon []") << id;
        }
        EXPECT_EQ(weekDate(x, -1), 0);
        EXPECT_EQ(weekDate(x, INT_MIN), 0);
        EXPECT_EQ(weekDate(x, 70000), 7 * 69999);
        EXPECT_EQ(weekDate(x, INT_MAX), INT32_MAX);
        setSlotCoding(x, INT_MAX, INT_MAX, 2, 10, 10, 10); // falls back to the defaults
        EXPECT_EQ(x.coding.weekShift, 8);
        EXPECT_EQ(x.coding.bellLimit, 30);
    }

    // A negative code count refuses inserts instead of moving records from before the table.
    auto data = makeScheduleData();
    data->codeCount = -3;
    CodeRecord record;
    record.code.assign("X");
    EXPECT_EQ(insertCode(*data, 0, record), 0);
}

} // namespace
} // namespace quivra
