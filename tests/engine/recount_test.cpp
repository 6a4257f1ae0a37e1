#include "engine/recount.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/roles.h"
#include "engine/seats.h"
#include "engine/totals.h"
#include "lecturehelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quivra {
namespace {

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
            EXPECT_EQ(collectionOf(x, static_cast<CodeId>(bad))[0], 0);
            EXPECT_EQ(setCollection(x, static_cast<CodeId>(bad), members({r})), 0);
            EXPECT_FALSE(replaceMember(x, static_cast<CodeId>(bad), r, other));
            int cursor = 1 << 20;
            EXPECT_EQ(eventsOfResource(x, static_cast<CodeId>(bad), cursor), 0);
            EXPECT_EQ(seats(x, static_cast<CodeId>(bad)), 0);
            EXPECT_FALSE(codeDateRange(x, bad).valid);
            EXPECT_EQ(
                formatCode(x, static_cast<CodeId>(bad), ShowCodeAndName | ShowCategory | ShowKind),
                "");
            EXPECT_EQ(categoryOf(x, static_cast<CodeId>(bad)), 0);
            EXPECT_FALSE(deleteCode(x, static_cast<CodeId>(bad)));
            EXPECT_EQ(unpackLecture(x, bad), LectureView{});
            WeekAllocation wa;
            EXPECT_EQ(loadWeekAllocation(x, static_cast<CodeId>(bad), wa), 0);
            EXPECT_EQ(LectureIndex(x).of(static_cast<CodeId>(bad)).size(), 0u);
            EXPECT_EQ(roleOf(x, bad, r), 0);
            freeSeats(x, e, bad);
            swapCodes(x, static_cast<CodeId>(bad), e);
            setLock(x, static_cast<CodeId>(bad), LockMode::Toggle);
            resourceTotals(x, static_cast<CodeId>(bad));
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
