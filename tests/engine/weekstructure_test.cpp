#include "engine/weekstructure.h"

#include "engine/lecturestore.h"
#include "engine/placement.h"
#include "engine/weekstore.h"
#include "support/fixture.h"
#include "weekhelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {
namespace {

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
    copyDay(*d, 1, 1, 2, 1, CodeScope::All);
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
    ASSERT_TRUE(deleteWeek(*d, 4, WeekNames::Move));
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
    ASSERT_TRUE(insertWeek(*d, 3, WeekNames::Keep));
    EXPECT_EQ(weekEntriesOf(*d, f.id("E1")),
              (std::vector<WeekEntryRow>{{2, 2, 1, false}, {4, 5, 1, false}}));
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 4), 1);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 3), 0);

    placeBlock(*d, ownWord(*d, f.id("E1")), block(255, 255, 1, 1, 1));
    const int before = d->lectureCount;
    EXPECT_FALSE(insertWeek(*d, 3, WeekNames::Keep));
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
    EXPECT_EQ(copyWeek(*d, 1, CodeScope::All, clip), 2);
    EXPECT_EQ(pasteWeek(*d, 5, CodeScope::All, clip), 2);
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

} // namespace
} // namespace quivra
