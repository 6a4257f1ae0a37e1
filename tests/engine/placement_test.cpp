#include "engine/placement.h"

#include "engine/clearing.h"
#include "engine/lecturestore.h"
#include "engine/weekstore.h"
#include "engine/weekstructure.h"
#include "support/fixture.h"
#include "weekhelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {
namespace {

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
    EXPECT_EQ(copyWeekTimetable(*d, wa, 1, 2, 4, {.ignoreAllocation = true}), 3);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 2), 2);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 3), 1);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 4), 0);
    reloadWeekAllocation(*d, f.id("E1"), wa);
    EXPECT_EQ(wa.allocated[3], 1);
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
