#include "engine/tidy.h"

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

} // namespace
} // namespace quivra
