#include "engine/conflicts.h"

#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "support/fixture.h"
#include "support/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

namespace quivra {
namespace {

int categoryOfLetter(char letter)
{
    switch (letter) {
    case 'G':
        return 1;
    case 'T':
        return 2;
    default:
        return 3;
    }
}

int scheduledIn(ScheduleData &d, int c, int week)
{
    WeekAllocation wa;
    reloadWeekAllocation(d, static_cast<CodeId>(c), wa);
    return wa.scheduled[week];
}

// Two events share one resource; both sit in week 3, day 2, bells 4-5.
struct SharedResourceCase
{
    const char *name;
    char sharedCategory;
    bool categoryChecked;
    int expectedFound;
};

class SweepTest : public testing::TestWithParam<SharedResourceCase>
{
};

TEST_P(SweepTest, LaterEventLosesSharedCellsOfCheckedResourcesOnly)
{
    const SharedResourceCase &p = GetParam();
    auto d = makeScheduleData();
    if (!p.categoryChecked)
        d->noTimetableMasks[1] =
            static_cast<std::uint8_t>(1u << categoryOfLetter(p.sharedCategory));
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources(p.sharedCategory, {"X"}).resources('R', {"R1", "R2"});
    f.event("E1", {"X", "R1"}, 4).allocate("E1", 3, 3, 2).place("E1", 3, 2, 4, 5);
    f.event("E2", {"X", "R2"}, 4).allocate("E2", 3, 3, 2).place("E2", 3, 2, 4, 5);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2");
    const int scheduledBefore = d->codes[e2].scheduled;

    const ConflictReport counted = sweepConflicts(*d, 1, false);
    EXPECT_EQ(counted.found, p.expectedFound);
    EXPECT_EQ(counted.removed, 0);
    EXPECT_EQ(scheduledIn(*d, e2, 3), 2) << "counting alone changes nothing";

    const ConflictReport report = sweepConflicts(*d, 1, true);
    EXPECT_EQ(report.found, p.expectedFound);
    EXPECT_EQ(report.removed, p.expectedFound);
    EXPECT_EQ(scheduledIn(*d, e1, 3), 2) << "the earlier event keeps its periods";
    if (p.expectedFound == 0) {
        EXPECT_FALSE(report.hasFirst);
        EXPECT_EQ(scheduledIn(*d, e2, 3), 2);
        return;
    }
    ASSERT_TRUE(report.hasFirst);
    EXPECT_EQ((CellPos{report.week, report.day, report.bell}), (CellPos{3, 2, 4}));
    EXPECT_EQ(report.resource, f.id("X"));
    EXPECT_EQ(report.eventA, e1);
    EXPECT_EQ(report.eventB, e2);
    EXPECT_EQ(scheduledIn(*d, e2, 3), 0);
    EXPECT_EQ(d->codes[e2].scheduled, scheduledBefore - 2);
    EXPECT_EQ(sweepConflicts(*d, 1, true).found, 0);
}

INSTANTIATE_TEST_SUITE_P(SharedResources, SweepTest,
                         testing::Values(SharedResourceCase{"teacher", 'T', true, 2},
                                         SharedResourceCase{"uncheckedGroup", 'G', false, 0}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(SweepTest, ExcludedCategoryNeitherConflictsNorBlocks)
{
    auto d = makeScheduleData();
    d->noTimetableMasks[1] = 1u << 1; // groups are not checked
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('G', {"G1"}).resources('T', {"T1", "T2"});
    f.event("E1", {"G1", "T1"}, 4).allocate("E1", 3, 3, 2).place("E1", 3, 2, 4, 5);
    f.event("E2", {"G1", "T2"}, 4).allocate("E2", 3, 3, 2);
    f.event("E3", {"T1"}, 4).allocate("E3", 3, 3, 2);
    f.finish();
    EXPECT_FALSE(slotBlocked(*d, f.id("E2"), 3, 2, 4, 5));
    EXPECT_TRUE(slotBlocked(*d, f.id("E3"), 3, 2, 5, 6)) << "T1 is busy in bell 5";
    EXPECT_FALSE(slotBlocked(*d, f.id("E3"), 3, 2, 6, 7));
}

TEST(SweepTest, FirstConflictIsTheEarliestPairInEventListOrder)
{
    // E1 meets E3 in week 4; E2 meets E3 earlier, in week 2. Pairs are taken with the earlier
    // event outer, so (E1, E3) comes first although its cell is later.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2).allocate("E1", 4, 4, 1).place("E1", 4, 1, 1, 1);
    f.event("E2", {"T1"}, 2).allocate("E2", 2, 2, 1).place("E2", 2, 1, 1, 1);
    f.event("E3", {"T1"}, 4)
        .allocate("E3", 2, 4, 1)
        .place("E3", 2, 1, 1, 1)
        .place("E3", 4, 1, 1, 1);
    f.finish();
    const ConflictReport r = sweepConflicts(*d, 1, true);
    EXPECT_EQ(r.found, 2);
    EXPECT_EQ(r.eventA, f.id("E1"));
    EXPECT_EQ(r.eventB, f.id("E3"));
    EXPECT_EQ((CellPos{r.week, r.day, r.bell}), (CellPos{4, 1, 1}));
    EXPECT_EQ(scheduledIn(*d, f.id("E3"), 2), 0);
    EXPECT_EQ(scheduledIn(*d, f.id("E3"), 4), 0);
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 2), 1);
}

TEST(SweepTest, FromWeekLimitsWhatIsChecked)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2).allocate("E1", 2, 2, 1).place("E1", 2, 1, 1, 1);
    f.event("E2", {"T1"}, 2).allocate("E2", 2, 4, 1).place("E2", 2, 1, 1, 1);
    f.place("E2", 4, 1, 1, 1);
    f.finish();
    EXPECT_EQ(sweepConflicts(*d, 3, true).found, 0);
    EXPECT_EQ(sweepConflicts(*d, 2, false).found, 1);
    // A week beyond everything scheduled checks the last scheduled week.
    EXPECT_EQ(sweepConflicts(*d, 200, false).found, 0);
}

TEST(SweepTest, RemovalLeavesNoConflictAndLosesOnlyTheClearedCells)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 3, 6).resources('T', {"T1", "T2", "T3"}).resources('R', {"R1", "R2"});
    const char *names[] = {"E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8"};
    const std::initializer_list<std::string_view> collections[] = {
        {"T1", "R1"}, {"T2", "R1"}, {"T3", "R2"}, {"T1", "R2"},
        {"T2"},       {"T3", "R1"}, {"T1"},       {"T2", "T3"}};
    std::uint32_t seed = 7;
    auto below = [&](int n) {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
    };
    for (int i = 0; i < 8; ++i) {
        f.event(names[i], collections[i], 40).allocate(names[i], 1, 6, 6);
        for (int k = 0; k < 5; ++k) {
            const int bell = 1 + below(5);
            f.place(names[i], 1 + below(6), 1 + below(3), bell, bell + below(2));
        }
    }
    f.finish();
    // Cells as a set per event: two random blocks of one event may overlap each other.
    auto totalCells = [&] {
        int sum = 0;
        OccupancyMap map;
        WeekAllocation work;
        for (const char *name : names) {
            buildOccupancy(*d, f.id(name), map, true, work);
            for (std::uint32_t m : map.masks)
                sum += std::popcount(m);
        }
        return sum;
    };
    const int before = totalCells();
    const ConflictReport r = sweepConflicts(*d, 1, true);
    EXPECT_GT(r.removed, 0);
    EXPECT_EQ(totalCells(), before - r.removed);
    EXPECT_EQ(sweepConflicts(*d, 1, false).found, 0);
}

TEST(SweepTest, AFullStoreThatRefusesTheChangeRemovesNothing)
{
    // E2's block over weeks 1-3 loses week 2 to E1 and becomes two entries; with every entry of
    // the store in use there is no room for the second, so E2 keeps its cells.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 4).allocate("E1", 2, 2, 1).place("E1", 2, 1, 1, 1);
    f.event("E2", {"T1"}, 4).allocate("E2", 1, 3, 1).place("E2", 1, 1, 1, 1);
    f.event("E3", {"T1"}, 1).allocate("E3", 4, 4, 1);
    f.finish();
    int filler = 0;
    for (int i = 1; i <= d->lectureCount; ++i) {
        const CodeId c = lectureCode(*d, d->lectureWord[i]);
        if (c == f.id("E2") && d->coding.dayOf(d->lectureStart[i]) != 0)
            d->lectureEnd[i] = d->coding.pack(3, 1, 1); // weeks 1-3 in one entry
        if (c == f.id("E3"))
            filler = i;
    }
    ASSERT_NE(filler, 0);
    ASSERT_EQ(scheduledIn(*d, f.id("E2"), 2), 1);
    for (int i = d->lectureCount + 1; i <= MaxLectures; ++i) {
        d->lectureWord[i] = d->lectureWord[filler];
        d->lectureStart[i] = d->lectureStart[filler];
        d->lectureEnd[i] = d->lectureEnd[filler];
        d->bookingKind[i] = d->bookingKind[filler];
    }
    d->lectureCount = MaxLectures;
    d->modified = false;

    const ConflictReport r = sweepConflicts(*d, 1, true);
    EXPECT_EQ(r.found, 1);
    EXPECT_EQ(r.removed, 0);
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 2), 1);
    EXPECT_FALSE(d->modified);
    EXPECT_EQ(removeAllConflicts(*d, 1, true), 0);
}

// Three events in one cell of one teacher: the second and the third each lose it to the
// first, in both modes; only removing stores that.
struct ThreeWayCase
{
    const char *name;
    bool remove;
    int e2Left, e3Left;
};

class ThreeWayTest : public testing::TestWithParam<ThreeWayCase>
{
};

TEST_P(ThreeWayTest, CountingAndRemovingMeasureTheCellsTheLaterEventsLose)
{
    const ThreeWayCase &p = GetParam();
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"});
    for (const char *e : {"E1", "E2", "E3"})
        f.event(e, {"T1"}, 4).allocate(e, 1, 1, 2).place(e, 1, 1, 1, 2);
    f.finish();
    const ResourceConflicts r = resolveResourceConflicts(*d, f.id("T1"), 1, p.remove);
    EXPECT_EQ(r.cleared, 4);
    EXPECT_EQ(r.eventA, f.id("E1"));
    EXPECT_EQ(r.eventB, f.id("E2"));
    EXPECT_EQ(scheduledIn(*d, f.id("E1"), 1), 2);
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 1), p.e2Left);
    EXPECT_EQ(scheduledIn(*d, f.id("E3"), 1), p.e3Left);
    EXPECT_EQ(d->modified, p.remove);
}

INSTANTIATE_TEST_SUITE_P(Handling, ThreeWayTest,
                         testing::Values(ThreeWayCase{"count", false, 2, 2},
                                         ThreeWayCase{"remove", true, 0, 0}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(SweepTest, CountingFindsWhatRemovingRemovesHoweverManyResourcesAreShared)
{
    // Every clash is counted once per cell an event loses, not once per shared resource or pair.
    struct Case
    {
        const char *name;
        int events;
        std::initializer_list<std::string_view> members;
        int found;
    };
    const Case cases[] = {
        {"two events sharing three resources", 2, {"G1", "T1", "R1"}, 1},
        {"three events sharing two resources", 3, {"T1", "R1"}, 2},
        {"two events sharing one resource", 2, {"T1"}, 1},
    };
    for (const Case &c : cases) {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(4, 5, 8).resources('G', {"G1"}).resources('T', {"T1"}).resources('R', {"R1"});
        for (int k = 1; k <= c.events; ++k) {
            const std::string e = "E" + std::to_string(k);
            f.event(e, c.members, 4).allocate(e, 1, 1, 1).place(e, 1, 2, 3, 3);
        }
        f.finish();
        const ConflictReport counted = sweepConflicts(*d, 1, false);
        EXPECT_EQ(counted.found, c.found) << c.name;
        EXPECT_EQ(counted.removed, 0) << c.name;
        EXPECT_FALSE(d->modified) << c.name;
        const ConflictReport removed = sweepConflicts(*d, 1, true);
        EXPECT_EQ(removed.found, c.found) << c.name;
        EXPECT_EQ(removed.removed, c.found) << c.name;
    }
}

TEST(SweepTest, EventWithoutScheduledPeriodsTakesNoCellFromOthers)
{
    // E1 holds only a slot booking of its own; its Scheduled is 0, so the sweep passes it by and
    // E2 keeps its period. Once E1 has a period as well, its booking counts like one.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 4).allocate("E1", 1, 1, 1);
    f.event("E2", {"T1"}, 4).allocate("E2", 1, 1, 1).place("E2", 1, 1, 1, 1);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2");
    TimeRange cell;
    cell.startWeek = cell.endWeek = 1;
    cell.startDay = cell.endDay = 1;
    cell.startBell = cell.endBell = 1;
    ASSERT_EQ(setSlotBookings(*d, e1, SlotBookingMode::Book, 1, false, cell), 1);
    ASSERT_EQ(d->codes[e1].scheduled, 0);
    EXPECT_EQ(sweepConflicts(*d, 1, true).found, 0);
    EXPECT_EQ(scheduledIn(*d, e2, 1), 1);

    LectureView period;
    period.startWeek = period.endWeek = 1;
    period.startDay = period.endDay = 2;
    period.startBell = period.endBell = 1;
    placeBlock(*d, ownWord(*d, e1), period);
    ASSERT_GT(d->codes[e1].scheduled, 0);
    EXPECT_EQ(sweepConflicts(*d, 1, true).found, 1);
    EXPECT_EQ(scheduledIn(*d, e2, 1), 0);
}

// Answers the sweep's questions from a script and keeps what it was given.
class ScriptedDialogue : public SweepDialogue
{
public:
    explicit ScriptedDialogue(Handling answer) : m_answer(answer) {}
    Handling askHandling() override
    {
        ++asked;
        return m_answer;
    }
    bool offerLines(bool) override { return true; }
    void deliverLines(const std::string &text) override { lines = text; }

    int asked = 0;
    std::string lines;

private:
    Handling m_answer;
};

TEST(SweepTest, DialogueChoosesHandlingAndReceivesOneLinePerResource)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1", "T2"});
    f.event("E1", {"T2"}, 4).allocate("E1", 3, 3, 2).place("E1", 3, 2, 4, 5);
    f.event("E2", {"T2"}, 4).allocate("E2", 3, 3, 2).place("E2", 3, 2, 4, 5);
    f.finish();

    ScriptedDialogue cancel(SweepDialogue::Handling::Cancel);
    CountingProgress unshown;
    EXPECT_EQ(conflictSweep(*d, {}, cancel, unshown).found, 0);
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 3), 2);
    EXPECT_EQ(unshown.begins, 0) << "a cancelled question shows no progress";

    ScriptedDialogue count(SweepDialogue::Handling::CountOnly);
    CountingProgress shown;
    const ConflictReport counted = conflictSweep(*d, {1, SweepHandling::Ask}, count, shown);
    EXPECT_EQ(sweepStatusText(counted), "2 conflicting cell(s) found, 0 removed.");
    EXPECT_FALSE(counted.stopped);
    EXPECT_EQ(shown.begins, 1);
    EXPECT_EQ(shown.ends, 1);
    EXPECT_EQ(shown.position, shown.maximum) << "a step per resource checked";
    EXPECT_EQ(shown.status, "Checking for conflicts in weeks 1-3 - 2 found, 0 removed.");
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 3), 2);
    EXPECT_TRUE(count.lines.starts_with("3\t2\t4\t")) << count.lines;
    EXPECT_TRUE(count.lines.ends_with("\t2\r\n")) << count.lines;
    EXPECT_EQ(std::count(count.lines.begin(), count.lines.end(), '\n'), 1);

    ScriptedDialogue silent(SweepDialogue::Handling::Cancel);
    NullProgress none;
    const ConflictReport removed = conflictSweep(*d, {1, SweepHandling::Remove}, silent, none);
    EXPECT_EQ(silent.asked, 0) << "removal was asked for at the start";
    EXPECT_EQ(sweepStatusText(removed), "2 conflicting cell(s) found, 2 removed.");
    EXPECT_EQ(scheduledIn(*d, f.id("E2"), 3), 0);
}

TEST(OccupancyTest, ResourceBookingUnderAPeriodIsBlockedButNotAConflict)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"});
    f.event("E1", {"R1"}, 2).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
    f.event("E2", {"R1"}, 2).allocate("E2", 1, 1, 1);
    f.book("R1", 1, 1, 1, 2);
    f.finish();
    const CodeId r1 = f.id("R1"), e1 = f.id("E1");

    WeekTimetable t;
    EXPECT_EQ(weekTimetableOf(*d, r1, 1, t), 2);
    EXPECT_EQ(cellCode(*d, t.cell(1, 1)), e1) << "the period is shown over the booking";
    EXPECT_FALSE(isBookingCell(t.cell(1, 1)));

    EXPECT_EQ(sweepConflicts(*d, 1, true).found, 0);
    LectureView block;
    block.startWeek = block.endWeek = 1;
    block.startDay = block.endDay = 1;
    block.startBell = block.endBell = 1;
    removeBlock(*d, ownWord(*d, e1), block);
    EXPECT_TRUE(slotBlocked(*d, f.id("E2"), 1, 1, 1, 1)) << "the booking is still there";
    EXPECT_FALSE(slotBlocked(*d, f.id("E2"), 1, 1, 2, 2));
    bookingTimetableOf(*d, r1, 1, t);
    EXPECT_EQ(cellKind(t.cell(1, 1)), 2);
}

TEST(OccupancyTest, WeekBookingFillsTheEventsWeek)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2).weekBooking("E1", 5, 5, 2);
    f.finish();
    WeekTimetable t;
    EXPECT_EQ(weekTimetableOf(*d, f.id("E1"), 5, t), 40);
    EXPECT_EQ(t.bookingWrites, 40);
    EXPECT_EQ(cellKind(t.cell(5, 8)), 2);
    EXPECT_TRUE(slotBlocked(*d, f.id("E1"), 5, 3, 2, 2));
    EXPECT_FALSE(slotBlocked(*d, f.id("E1"), 4, 3, 2, 2));
}

TEST(OccupancyTest, CanJoinRefusesMembersFullCollectionsAndOverlaps)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1", "T2", "T3"});
    f.event("E1", {"T1"}, 2).allocate("E1", 2, 2, 1).place("E1", 2, 1, 3, 3);
    f.event("E2", {"T2"}, 2).allocate("E2", 2, 2, 1).place("E2", 2, 1, 3, 3);
    f.finish();
    EXPECT_FALSE(canJoin(*d, f.id("E1"), f.id("T1"))) << "already a member";
    EXPECT_FALSE(canJoin(*d, f.id("E1"), f.id("T2"))) << "T2 is busy in that cell";
    EXPECT_TRUE(canJoin(*d, f.id("E1"), f.id("T2"), true, 3)) << "not from week 3 on";
    EXPECT_TRUE(canJoin(*d, f.id("E1"), f.id("T3")));
}

TEST(OccupancyTest, DamagedLecturesNeverReachTheTables)
{
    auto d = makeScheduleData();
    WeekAllocation wa;
    wa.code = 1;
    LectureView bad;
    bad.word = 1 | LectureEventBit;
    bad.startWeek = 0; // would land in the map header
    bad.endWeek = 2;
    bad.startDay = bad.endDay = 1;
    bad.startBell = 1;
    bad.endBell = 31; // beyond the tables
    wa.timetable = {bad};
    wa.timetableKinds = {0};
    OccupancyMap map;
    expandSchedule(*d, wa, map, true);
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.mask(0, 1), 0u);
}

TEST(OccupancyTest, CompressGivesMaximalBlocksAndKeepsTheOwnersKind)
{
    auto d = makeScheduleData();
    OccupancyMap map;
    map.reset(*d);
    for (int w = 2; w <= 4; ++w)
        map.add(w, 3, bellMask(2, 4) | bellMask(7, 7));
    map.add(5, 3, bellMask(2, 4));
    map.owner = 9 | LectureBookingBit;
    map.kind = 3;
    WeekAllocation wa;
    compressSchedule(*d, map, wa, true);
    ASSERT_EQ(wa.timetable.size(), 3u);
    const auto block = [](int w1, int w2, int b1, int b2) {
        LectureView v;
        v.word = 9 | LectureBookingBit;
        v.startWeek = static_cast<std::uint8_t>(w1);
        v.endWeek = static_cast<std::uint8_t>(w2);
        v.startDay = v.endDay = 3;
        v.startBell = static_cast<std::uint8_t>(b1);
        v.endBell = static_cast<std::uint8_t>(b2);
        return v;
    };
    EXPECT_EQ(wa.timetable[0], block(2, 4, 2, 4));
    EXPECT_EQ(wa.timetable[1], block(2, 4, 7, 7));
    EXPECT_EQ(wa.timetable[2], block(5, 5, 2, 4));
    EXPECT_EQ(wa.timetableKinds, (std::vector<std::int16_t>{3, 3, 3}));
    EXPECT_EQ(wa.tableBooked[3], 4);
    EXPECT_EQ(wa.scheduled[3], 0);
}

TEST(OccupancyTest, SlotConflictTextNamesBusyResources)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1", "T2"}).resources('R', {"R1"});
    f.event("E1", {"T1"}, 2).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
    f.event("E2", {"T1", "T2", "R1"}, 2);
    f.book("R1", 1, 1, 1, 2);
    f.finish();
    d->bookingKinds.assign("Held$Exam$Trip$Busy$Away$Repair$");
    const std::string text = slotConflictText(*d, f.id("E2"), 1, 1, 1, "; ", ShowCode, ShowCode);
    EXPECT_EQ(text, "T1 (E1); R1 (Away)");
    EXPECT_EQ(slotConflictText(*d, f.id("E2"), 1, 1, 2, "; ", ShowCode, ShowCode), "");
}

} // namespace
} // namespace quivra
