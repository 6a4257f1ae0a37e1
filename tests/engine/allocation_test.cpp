#include "engine/allocation.h"

#include "engine/lecturestore.h"
#include "engine/weekstore.h"
#include "support/fixture.h"
#include "weekhelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {
namespace {

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

} // namespace
} // namespace quivra
