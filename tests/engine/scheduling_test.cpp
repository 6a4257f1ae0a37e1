#include "engine/scheduling.h"

#include "engine/lectures.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quivra {
namespace {

LectureView block(int w1, int w2, int day, int b1, int b2)
{
    LectureView v;
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.startDay = v.endDay = static_cast<std::uint8_t>(day);
    v.startBell = static_cast<std::uint8_t>(b1);
    v.endBell = static_cast<std::uint8_t>(b2);
    return v;
}

// Week entries of code c as (start week, end week, count), booking entries with count = kind.
struct WeekEntryRow
{
    int first, last, count;
    bool booking;
    friend bool operator==(const WeekEntryRow &, const WeekEntryRow &) = default;
};

std::vector<WeekEntryRow> weekEntriesOf(ScheduleData &d, int c)
{
    compactLectures(d);
    std::vector<WeekEntryRow> rows;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        if (lectureCode(d, v.word) == c && v.startDay == 0)
            rows.push_back({v.startWeek, v.endWeek,
                            isBookingWord(v.word) ? (d.bookingKind[i] & 0xFF) : v.count,
                            isBookingWord(v.word)});
    }
    return rows;
}

// Cells of c's timetable lectures in week w, periods or bookings.
int cellsIn(ScheduleData &d, CodeId c, int w, bool bookings = false)
{
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    return bookings ? wa.tableBooked[w] : wa.scheduled[w];
}

TEST(StoreTest, AllocationsAndBookingsAreStoredAsRunsOfEqualWeeks)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.finish();
    const CodeId e = f.id("E1");
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    for (int w = 1; w <= 4; ++w)
        wa.allocated[w] = 2;
    wa.allocated[5] = 3;
    wa.booked[7] = 2;
    EXPECT_EQ(storeWeekAllocation(*d, e, wa), 3);
    EXPECT_EQ(weekEntriesOf(*d, e),
              (std::vector<WeekEntryRow>{{1, 4, 2, false}, {5, 5, 3, false}, {7, 7, 2, true}}));
    EXPECT_EQ(d->codes[e].allocated, 11);
}

TEST(StoreTest, FullStoreRefusesAndKeepsTheOldEntries)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 4).event("E2", {"T1"}, 4);
    f.allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2");
    LectureView filler = block(1, 1, 1, 1, 1);
    filler.word = static_cast<std::uint16_t>(e2 | LectureEventBit);
    while (appendLecture(*d, filler, 0) != 0) {
    }
    WeekAllocation wa;
    reloadWeekAllocation(*d, e1, wa);
    for (int w = 1; w <= 8; w += 2)
        wa.allocated[w] = 1; // four runs where there was one entry
    EXPECT_EQ(storeWeekAllocation(*d, e1, wa), 0);
    EXPECT_EQ(cellsIn(*d, e1, 1), 2);
    EXPECT_EQ(weekEntriesOf(*d, e1), (std::vector<WeekEntryRow>{{1, 1, 2, false}}));
}

TEST(StoreTest, SixHundredLecturesSurvivePlaceAndStore)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(60, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 800);
    f.allocate("E1", 1, 60, 20);
    for (int w = 1; w <= 60; w += 2)
        for (int day = 1; day <= 5; ++day)
            for (int bell = 1; bell <= 8; bell += 2)
                f.place("E1", w, day, bell, bell);
    f.finish();
    const CodeId e = f.id("E1");
    EXPECT_EQ(d->codes[e].scheduled, 600);
    EXPECT_GT(placeBlock(*d, ownWord(*d, e), block(2, 2, 1, 1, 1)), 600);
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    EXPECT_EQ(wa.timetable.size(), 601u);
    EXPECT_EQ(d->codes[e].scheduled, 601);
}

TEST(PlaceTest, PlacingRaisesTheWeeksAllocationToWhatIsPlaced)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 10);
    f.allocate("E1", 2, 2, 1).place("E1", 2, 3, 1, 1);
    f.finish();
    const CodeId e = f.id("E1");
    placeBlock(*d, ownWord(*d, e), block(2, 2, 1, 4, 5));
    placeBlock(*d, ownWord(*d, e), block(3, 3, 1, 4, 5));
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    EXPECT_EQ(wa.allocated[2], 3);
    EXPECT_EQ(wa.allocated[3], 2);
    EXPECT_EQ(repairWeeks(*d), 0);
    EXPECT_EQ(cellsIn(*d, e, 2), 3);

    removeBlock(*d, ownWord(*d, e), block(2, 2, 1, 5, 5));
    reloadWeekAllocation(*d, e, wa);
    EXPECT_EQ(wa.scheduled[2], 2);
    EXPECT_EQ(wa.allocated[2], 3) << "removing leaves the allocation";
}

TEST(RepairTest, CopiedDayIsKeptAndOnlyTheExcessIsTrimmed)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 10).allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
    // E2 has 3 cells placed in week 1 but only 2 allocated.
    f.event("E2", {"T1"}, 10).allocate("E2", 1, 1, 2);
    f.place("E2", 1, 3, 1, 2).place("E2", 1, 4, 6, 6);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2");

    EXPECT_EQ(copyDay(*d, 1, 1, 2, 1, true), 1);
    EXPECT_EQ(repairWeeks(*d), 1);
    EXPECT_EQ(cellsIn(*d, e1, 2), 2) << "the copied day survives the save-time repair";
    EXPECT_EQ(cellsIn(*d, e2, 1), 2);
    WeekAllocation wa;
    reloadWeekAllocation(*d, e2, wa);
    ASSERT_EQ(wa.timetable.size(), 1u);
    EXPECT_EQ(wa.timetable[0].startDay, 3) << "the last day's cell went, not the week";
}

TEST(RepairTest, BookedWeekLosesItsAllocationAndPlacementsOnly)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 10).allocate("E1", 2, 4, 1).place("E1", 2, 1, 1, 1);
    f.place("E1", 4, 1, 1, 1).weekBooking("E1", 2, 3, 1);
    f.finish();
    const CodeId e = f.id("E1");
    EXPECT_EQ(repairWeeks(*d), 2) << "weeks 2 and 3 are booked";
    EXPECT_EQ(cellsIn(*d, e, 2), 0) << "the event is blocked in week 2";
    EXPECT_EQ(cellsIn(*d, e, 4), 1) << "other weeks keep their periods";
    EXPECT_EQ(weekEntriesOf(*d, e), (std::vector<WeekEntryRow>{{2, 3, 1, true}, {4, 4, 1, false}}));
}

struct PatternCase
{
    const char *name;
    int planned;
    std::uint8_t enabled;
    int bookedWeek;            // 0: none
    int longWeek;              // a week of length 2; 0: none
    std::vector<int> expected; // allocated of weeks 1..6
    int pattern;
};

class DistributeTest : public testing::TestWithParam<PatternCase>
{
};

TEST_P(DistributeTest, DealsOnePeriodPerQualifyingWeekPerPass)
{
    const PatternCase &p = GetParam();
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, p.planned);
    if (p.bookedWeek)
        f.weekBooking("E1", p.bookedWeek, p.bookedWeek, 1);
    f.finish();
    if (p.longWeek)
        d->weeks[p.longWeek].length = 2;
    const CodeId e = f.id("E1");
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    AllocationPatterns patterns{p.enabled, 0};
    distributeByPattern(*d, wa, e, 6, patterns);
    EXPECT_EQ(patterns.last, p.pattern);
    std::vector<int> got;
    for (int w = 1; w <= 6; ++w)
        got.push_back(wa.allocated[w]);
    EXPECT_EQ(got, p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DistributeTest,
    testing::Values(PatternCase{"oddWeeks", 6, 0b11, 0, 0, {2, 0, 2, 0, 2, 0}, 1},
                    PatternCase{"allWeeks", 6, 0b01, 0, 0, {1, 1, 1, 1, 1, 1}, 0},
                    PatternCase{"noPatternMeansAll", 6, 0, 0, 0, {1, 1, 1, 1, 1, 1}, 0},
                    PatternCase{"skipsBookedAndTooLong", 2, 0b01, 2, 3, {1, 0, 0, 1, 0, 0}, 0}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(AllocateTest, LeastLoadedUsesFreeWeeksOnlyAndEnds)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2);
    f.event("E2", {"T1"}, 3).allocate("E2", 2, 2, 3);
    f.event("E3", {"T1"}, 5000).weekBooking("E3", 3, 3, 1);
    f.finish();
    d->currentWeek = 2;
    WeekAllocation wa;
    // E1: week 2 carries E2's load, so its periods go to the empty weeks 3 and 4.
    EXPECT_EQ(allocateLeastLoaded(*d, wa, f.id("E1"), 2), 2);
    EXPECT_EQ(weekEntriesOf(*d, f.id("E1")), (std::vector<WeekEntryRow>{{3, 4, 1, false}}));
    // E3 wants far more than fits: it fills weeks 2 and 4 and stops; week 1 is past, 3 booked.
    const int cap = std::min(d->coding.slotsPerWeek, 255);
    EXPECT_EQ(allocateLeastLoaded(*d, wa, f.id("E3"), 2), 2 * cap);
    reloadWeekAllocation(*d, f.id("E3"), wa);
    EXPECT_EQ(wa.allocated[1], 0);
    EXPECT_EQ(wa.allocated[3], 0);
    EXPECT_EQ(wa.allocated[2], cap);
}

TEST(AllocateTest, ShiftMovesAllocationsAndTrimsWhatNoLongerFits)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.allocate("E1", 2, 2, 2).allocate("E1", 3, 3, 1).place("E1", 3, 1, 1, 1);
    f.finish();
    d->currentWeek = 2;
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_FALSE(shiftAllocation(*d, wa, 0, ShiftDirection::Earlier))
        << "week 1 is before the current week";
    ASSERT_TRUE(shiftAllocation(*d, wa, 3, ShiftDirection::Later));
    EXPECT_EQ(wa.allocated[3], 0);
    EXPECT_EQ(wa.allocated[4], 1);
    EXPECT_EQ(wa.scheduled[3], 0) << "placements stay put and are trimmed to the allocation";

    wa.allocated[6] = 1;
    EXPECT_FALSE(shiftAllocation(*d, wa, 0, ShiftDirection::Later))
        << "the last used week is taken";
    EXPECT_EQ(removeOneAllocated(*d, wa, 1, 6), 6);
    EXPECT_EQ(removeOneAllocated(*d, wa, 5, 6), 0);
}

TEST(AllocateTest, LeastLoadedWithoutResourcesOfTheCategoryFillsTheEarliestWeek)
{
    // No room in the collection: every week carries the same load (none), so each period goes
    // to the earliest week that still takes one.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("E1", {"T1"}, 3);
    f.finish();
    WeekAllocation wa;
    EXPECT_EQ(allocateLeastLoaded(*d, wa, f.id("E1"), 3), 3);
    EXPECT_EQ(weekEntriesOf(*d, f.id("E1")), (std::vector<WeekEntryRow>{{1, 1, 3, false}}));
}

struct RemoveOneCase
{
    const char *name;
    int allocated; // in week 2, which holds cells on days 1 and 3 (bells 2..3)
    int allocatedAfter;
    int scheduledAfter;
    std::vector<int> lastBells; // end bell of each remaining lecture, day order
};

class RemoveOneTest : public testing::TestWithParam<RemoveOneCase>
{
};

TEST_P(RemoveOneTest, TakesOnePeriodAndAtMostOneCell)
{
    const RemoveOneCase &p = GetParam();
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.allocate("E1", 2, 2, p.allocated).place("E1", 2, 1, 2, 3).place("E1", 2, 3, 2, 3);
    f.finish();
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(removeOneAllocated(*d, wa, 1, 4), 2);
    EXPECT_EQ(wa.allocated[2], p.allocatedAfter);
    EXPECT_EQ(wa.scheduled[2], p.scheduledAfter);
    std::vector<int> bells;
    for (const LectureView &v : wa.timetable)
        bells.push_back(v.endBell);
    EXPECT_EQ(bells, p.lastBells);
}

INSTANTIATE_TEST_SUITE_P(Weeks, RemoveOneTest,
                         testing::Values(RemoveOneCase{"roomLeft", 6, 5, 4, {3, 3}},
                                         RemoveOneCase{"exactlyFull", 4, 3, 3, {3, 2}},
                                         RemoveOneCase{"alreadyOver", 2, 1, 3, {3, 2}}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(WeekEditTest, CopyDayMakesTheTargetDayLikeTheSource)
{
    // E1 has day 1 of week 1 and day 1 of week 2; E2 only day 1 of week 2. Copying week 1 day 1
    // onto week 2 day 1 gives E1 its week 1 cells there and leaves E2 nothing on that day.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1", "T2"});
    f.event("E1", {"T1"}, 20).allocate("E1", 1, 2, 3).place("E1", 1, 1, 1, 2);
    f.place("E1", 2, 1, 5, 5);
    f.event("E2", {"T2"}, 20).allocate("E2", 2, 2, 2).place("E2", 2, 1, 3, 4);
    f.place("E2", 2, 2, 1, 1);
    f.finish();
    copyDay(*d, 1, 1, 2, 1, true);
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(wa.scheduled[2], 2);
    ASSERT_EQ(wa.timetable.size(), 1u) << "weeks 1 and 2 now hold the same block";
    EXPECT_EQ(wa.timetable[0].endWeek, 2);
    EXPECT_EQ(wa.timetable[0].endBell, 2);
    reloadWeekAllocation(*d, f.id("E2"), wa);
    EXPECT_EQ(wa.scheduled[2], 1) << "only day 2 is left";
}

TEST(WeekEditTest, DeleteWeekClosesTheGap)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20).event("E2", {"T1"}, 5);
    f.allocate("E1", 2, 6, 1).allocate("E2", 4, 4, 1).place("E2", 4, 1, 1, 1);
    f.comment("[004101];T1;gone").comment("[005101];T1;moves");
    f.finish();
    ASSERT_TRUE(deleteWeek(*d, 4, true));
    EXPECT_EQ(weekEntriesOf(*d, f.id("E1")),
              (std::vector<WeekEntryRow>{{2, 3, 1, false}, {4, 5, 1, false}}));
    EXPECT_TRUE(weekEntriesOf(*d, f.id("E2")).empty());
    EXPECT_EQ(cellsIn(*d, f.id("E2"), 3), 0);
    ASSERT_EQ(d->comments.size(), 1u);
    EXPECT_EQ(d->comments[0], "[004101];T1;moves");
}

TEST(WeekEditTest, InsertWeekRefusesWhenTheLastWeekWouldFallOff)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.allocate("E1", 2, 4, 1).place("E1", 3, 1, 1, 1);
    f.finish();
    ASSERT_TRUE(insertWeek(*d, 3, false));
    EXPECT_EQ(weekEntriesOf(*d, f.id("E1")),
              (std::vector<WeekEntryRow>{{2, 2, 1, false}, {4, 5, 1, false}}));
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 4), 1);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 3), 0);

    placeBlock(*d, ownWord(*d, f.id("E1")), block(255, 255, 1, 1, 1));
    const int before = d->lectureCount;
    EXPECT_FALSE(insertWeek(*d, 3, false));
    EXPECT_EQ(d->lectureCount, before);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 255), 1);
}

TEST(WeekEditTest, CopyAndPasteWeekReplaceTheTargetWeek)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.allocate("E1", 1, 1, 2).place("E1", 1, 2, 3, 4).allocate("E1", 5, 5, 1);
    f.place("E1", 5, 1, 1, 1).comment("[001203];E1;bring books");
    f.finish();
    WeekClipboard clip;
    EXPECT_EQ(copyWeek(*d, 1, true, clip), 2);
    EXPECT_EQ(pasteWeek(*d, 5, true, clip), 2);
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(wa.allocated[5], 2);
    EXPECT_EQ(wa.scheduled[5], 2);
    EXPECT_EQ(wa.scheduled[1], 2);
    auto has = [&](const std::string &entry) {
        return std::find(d->comments.begin(), d->comments.end(), entry) != d->comments.end();
    };
    EXPECT_TRUE(has("[005203];E1;bring books")) << "the pasted week has the comment too";
    EXPECT_TRUE(has("[001203];E1;bring books")) << "the source week keeps its comment";
}

TEST(BookingTest, WriteWeekBookingsWritesRunsAndKeepsPeriods)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
    f.finish();
    const CodeId r = f.id("R1");
    WeekTimetable t;
    t.owner = r;
    const CellWord booked = makeCell(static_cast<std::uint16_t>(r | LectureBookingBit), 3);
    t.cellRef(2, 3) = booked;
    t.cellRef(2, 4) = booked;
    EXPECT_EQ(writeWeekBookings(*d, BookingWrite::Replace, r, 1, t), 2);
    WeekAllocation wa;
    reloadWeekAllocation(*d, r, wa);
    ASSERT_EQ(wa.timetable.size(), 1u);
    LectureView expected = block(1, 1, 2, 3, 4);
    expected.word = static_cast<std::uint16_t>(r | LectureBookingBit);
    EXPECT_EQ(wa.timetable[0], expected);
    EXPECT_EQ(wa.timetableKinds[0], 3);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 1), 1);
}

TEST(BookingTest, BookingUnderAPeriodSurvivesEditsOfOtherCells)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1).book("R1", 1, 1, 1, 1);
    f.finish();
    const CodeId r = f.id("R1");
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = range.endDay = 3;
    range.startBell = 3;
    range.endBell = 4;
    setSlotBookings(*d, r, SlotBookingMode::Book, 2, false, range);
    EXPECT_EQ(cellsIn(*d, r, 1, true), 3);
    WeekTimetable t;
    bookingTimetableOf(*d, r, 1, t);
    EXPECT_EQ(cellKind(t.cell(1, 1)), 1);
    EXPECT_EQ(cellKind(t.cell(3, 4)), 2);

    setSlotBookings(*d, r, SlotBookingMode::Cancel, 2, false, range);
    bookingTimetableOf(*d, r, 1, t);
    EXPECT_EQ(cellKind(t.cell(1, 1)), 1);
    EXPECT_EQ(t.cell(3, 4), 0u);
}

TEST(BookingTest, ResourceAbove4095KeepsItsCodeAndKind)
{
    auto d = makeScheduleData();
    d->codeCount = 4600;
    d->lectureCodeMask = WideCodeMask;
    for (int c = 1; c <= d->codeCount; ++c)
        d->codes[c].flags = 1u << CategoryShift;
    d->calendarRange.endWeek = 2;
    d->calendarRange.endDay = 5;
    d->calendarRange.endBell = 8;
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = range.endDay = 2;
    range.startBell = range.endBell = 3;
    setSlotBookings(*d, 4500, SlotBookingMode::Book, 2, false, range);
    range.startBell = range.endBell = 5;
    setSlotBookings(*d, 4500, SlotBookingMode::Book, 3, false, range);
    WeekTimetable t;
    weekTimetableOf(*d, 4500, 1, t);
    EXPECT_EQ(cellCode(*d, t.cell(2, 3)), 4500);
    EXPECT_EQ(cellKind(t.cell(2, 3)), 2);
    EXPECT_EQ(cellKind(t.cell(2, 5)), 3);
    EXPECT_EQ(changeBookingKinds(*d, BookingOwner::Resources, 1), 2);
    weekTimetableOf(*d, 4500, 1, t);
    EXPECT_EQ(cellKind(t.cell(2, 5)), 1);
}

TEST(BookingTest, CopyBookingsFillOnlyFreeCells)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.book("R1", 1, 1, 1, 2, 2).allocate("E1", 2, 2, 1).place("E1", 2, 1, 2, 2);
    f.finish();
    EXPECT_EQ(copyBookingsToWeeks(*d, f.id("R1"), 1, 1, 3, false), 3);
    EXPECT_EQ(cellsIn(*d, f.id("R1"), 2, true), 1) << "E1 sits in bell 2 of week 2";
    EXPECT_EQ(cellsIn(*d, f.id("R1"), 3, true), 2);
}

// R1 is booked in week 1 on day 1, bells 1 and 2, with E1's period over bell 1, and in week 2
// on day 3, bell 3. Week 3 shows only E1's period, week 4 nothing.
struct CopyBookingsCase
{
    const char *name;
    int sourceWeek;
    bool replace;
    int copied;
    int week2Bookings;
};

class CopyBookingsTest : public testing::TestWithParam<CopyBookingsCase>
{
};

TEST_P(CopyBookingsTest, CopiesWhatTheSourceWeekShows)
{
    const CopyBookingsCase &p = GetParam();
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1).allocate("E1", 3, 3, 1);
    f.place("E1", 3, 1, 1, 1).book("R1", 1, 1, 1, 2, 2).book("R1", 2, 3, 3, 1);
    f.finish();
    const CodeId r = f.id("R1");
    EXPECT_EQ(copyBookingsToWeeks(*d, r, p.sourceWeek, 2, 2, p.replace), p.copied);
    EXPECT_EQ(cellsIn(*d, r, 2, true), p.week2Bookings);
    EXPECT_EQ(cellsIn(*d, r, 1, true), 2) << "the source week keeps its bookings";
}

INSTANTIATE_TEST_SUITE_P(Sources, CopyBookingsTest,
                         testing::Values(CopyBookingsCase{"hiddenBookingStays", 1, false, 1, 2},
                                         CopyBookingsCase{"replaceKeepsOnlyTheCopy", 1, true, 1, 1},
                                         CopyBookingsCase{"replaceFromPeriodsOnly", 3, true, 0, 0},
                                         CopyBookingsCase{"emptyWeekChangesNothing", 4, true, 0,
                                                          1}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(CopyWeekTimetableTest, CopiesWhereResourcesAreFreeAndAdjustsAllocation)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 20).allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
    f.event("E2", {"T1"}, 20).allocate("E2", 3, 3, 1).place("E2", 3, 1, 2, 2);
    f.weekBooking("E1", 4, 4, 1);
    f.finish();
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(copyWeekTimetable(*d, wa, 1, 2, 4, true, false), 3);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 2), 2);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 3), 1);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 4), 0);
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(wa.allocated[3], 1);
}

TEST(TidyTest, MergesBlocksAndRenamesDuplicateCodes)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20).event("E2", {"T1"}, 1);
    f.allocate("E1", 1, 1, 3).place("E1", 1, 1, 1, 1).place("E1", 1, 1, 2, 3);
    f.finish();
    d->codes[f.id("E2")].code.assign("E1");
    const TidyResult r = tidy(*d);
    EXPECT_EQ(r.lecturesAfter, r.lecturesBefore - 1);
    EXPECT_EQ(r.renamedDuplicates, 1);
    EXPECT_EQ(d->codeCount, 3);
    EXPECT_NE(d->codes[3].code.view(), "E1");
    EXPECT_EQ(cellsIn(*d, 2, 1), 3);
}

TEST(TidyTest, JoinsBlocksOfNeighbouringDays)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.allocate("E1", 1, 2, 4).place("E1", 1, 1, 1, 2).place("E1", 1, 2, 1, 2);
    f.place("E1", 2, 1, 1, 2).place("E1", 2, 2, 1, 2);
    f.finish();
    const TidyResult r = tidy(*d);
    EXPECT_EQ(r.lecturesAfter, 2) << "one week entry and one block of weeks 1-2, days 1-2";
    WeekAllocation wa;
    reloadWeekAllocation(*d, f.id("E1"), wa);
    ASSERT_EQ(wa.timetable.size(), 1u);
    EXPECT_EQ(wa.timetable[0].endDay, 2);
    EXPECT_EQ(wa.scheduled[1], 4);
    EXPECT_EQ(wa.scheduled[2], 4);
}

TEST(LockGuardTest, AsksOnlyForLockedEvents)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.resources('T', {"T1"}).event("E1", {"T1"});
    f.finish();
    const CodeId e = f.id("E1");
    int asked = 0;
    EXPECT_TRUE(lockGuard(*d, e, [&](int) { return ++asked, false; }));
    d->codes[e].flags |= LockedBit;
    EXPECT_FALSE(lockGuard(*d, e, [&](int) { return ++asked, false; }));
    EXPECT_TRUE(d->codes[e].flags & LockedBit);
    EXPECT_TRUE(lockGuard(*d, e, [&](int) { return ++asked, true; }));
    EXPECT_FALSE(d->codes[e].flags & LockedBit);
    EXPECT_EQ(asked, 2);
}

} // namespace
} // namespace quivra
