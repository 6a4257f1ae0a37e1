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

    EXPECT_EQ(copyDay(*d, 1, 1, 2, 1, CodeScope::All), 1);
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

} // namespace
} // namespace quivra
