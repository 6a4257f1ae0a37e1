// Week profiles of events and resources, and the scales the Bird's eye view draws them with:
// neither a week without allocation nor a category whose values are all equal divides by zero.

#include "commands/weekprofile.h"

#include "engine/codetable.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

using namespace quivra;

TEST(WeekProfileTest, ResourcesSumTheirEventsInTheChosenMeasure)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6).resources('T', {"T1", "T2"});
    f.event("E", {"T1"}, 10).allocate("E", 1, 2, 2).place("E", 1, 1, 1, 1);
    f.event("F", {"T1", "T2"}, 10).allocate("F", 2, 3, 1);
    f.finish();
    d->weeks[2].length = 2;
    const std::vector<CodeId> codes = {f.id("T1"), f.id("T2"), f.id("E")};
    struct Case
    {
        ProfileOptions options;
        std::vector<int> t1; // weeks 1..3
    };
    const Case cases[] = {
        {{ProfileMeasure::Allocated, false, false}, {2, 3, 1}},
        {{ProfileMeasure::Scheduled, false, false}, {1, 0, 0}},
        {{ProfileMeasure::Unscheduled, false, false}, {1, 3, 1}},
        {{ProfileMeasure::Allocated, true, false}, {2, 6, 1}},
        {{ProfileMeasure::Allocated, false, true}, {2, 5, 6}},
    };
    for (const Case &c : cases) {
        const auto profiles = weekProfiles(*d, codes, c.options);
        EXPECT_EQ(std::vector<int>(profiles[0].begin() + 1, profiles[0].end()), c.t1);
    }
    const auto allocated = weekProfiles(*d, codes, {});
    EXPECT_EQ(allocated[1], (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(allocated[2], (std::vector<int>{0, 2, 2, 0}));
}

// A room an event without a room resource got by hand counts its slots as scheduled, and
// nothing else; a slot still waiting for a room counts nowhere.
TEST(WeekProfileTest, RoomsCountTheirManualAssignmentsWhenScheduled)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6).resources('T', {"T1"}).resources('R', {"R1", "R2"});
    f.event("E", {"T1"}, 10).allocate("E", 1, 2, 2).place("E", 2, 1, 1, 2);
    f.manualRoom("E", 2, 1, 1, "R1").manualRoom("E", 2, 1, 2, "R1").manualRoom("E", 2, 1, 3, "");
    f.finish();
    const std::vector<CodeId> codes = {f.id("R1"), f.id("R2"), f.id("T1")};
    const auto scheduled = weekProfiles(*d, codes, {ProfileMeasure::Scheduled});
    EXPECT_EQ(scheduled[0], (std::vector<int>{0, 0, 2, 0}));
    EXPECT_EQ(scheduled[1], (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(scheduled[2], (std::vector<int>{0, 0, 2, 0}));
    const auto allocated = weekProfiles(*d, codes, {});
    EXPECT_EQ(allocated[0], (std::vector<int>{0, 0, 0, 0}));
}

TEST(WeekProfileTest, ScalesNeverDivideByZero)
{
    EXPECT_EQ(utilisationPercent(3, 0), -1);
    EXPECT_EQ(utilisationPercent(0, 0), -1);
    EXPECT_EQ(utilisationPercent(3, 4), 75);
    EXPECT_EQ(utilisationPercent(9, 4), 100);
    EXPECT_DOUBLE_EQ(heatShare(5, 5, 5), 0.5);
    EXPECT_DOUBLE_EQ(heatShare(5, 0, 10), 0.5);
    EXPECT_DOUBLE_EQ(heatShare(10, 0, 10), 1.0);
}
