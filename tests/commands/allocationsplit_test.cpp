// Duplicate, split and unscheduled copies of an event from the Weeks view, and their Cancel:
// the Cancel gives the event back what it had, and is refused once anything else changed, so it
// never works on a pair that later edits have moved or renamed.

#include "commands/allocationsplit.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>

using namespace quivra;

namespace {

class AllocationSplitTest : public ::testing::Test
{
protected:
    AllocationSplitTest() : d(makeScheduleData()), p(ui) {}

    // 4 weeks of 5 days × 6 bells; E (T1, G1) has 3 periods in each week, one placed in each.
    void build()
    {
        FixtureBuilder f(*d);
        f.calendar(4, 5, 6).resources('T', {"T1"}).resources('G', {"G1"});
        f.event("E", {"T1", "G1"}, 12).allocate("E", 1, 4, 3);
        for (int w = 1; w <= 4; ++w)
            f.place("E", w, 1, 1, 1);
        f.event("F", {"T1"}, 2);
        f.finish();
    }

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    WeekAllocation load(CodeId c) const
    {
        WeekAllocation wa;
        loadWeekAllocation(*d, c, wa);
        return wa;
    }
    std::unique_ptr<ScheduleData> d;
    ScriptedDialogs ui;
    Prompter p;
    WeeksState s;
};

TEST_F(AllocationSplitTest, SplitAndUnscheduledCopiesTakeTheirWeeksAndCancelGivesThemBack)
{
    struct Case
    {
        SplitKind kind;
        int lastWeek;
        int copyAllocated[5];
        int copyScheduled[5];
        int eventAllocated[5];
    };
    const Case cases[] = {
        {SplitKind::Split, 3, {0, 0, 3, 3, 0}, {0, 0, 1, 1, 0}, {0, 3, 0, 0, 3}},
        {SplitKind::Unscheduled, 4, {0, 0, 2, 2, 2}, {0, 0, 0, 0, 0}, {0, 3, 1, 1, 1}},
        {SplitKind::Duplicate, 0, {0, 3, 3, 3, 3}, {0, 0, 0, 0, 0}, {0, 3, 3, 3, 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        d = makeScheduleData();
        build();
        ScriptedDialogs u;
        Prompter pp(u);
        WeeksState ss;
        if (c.lastWeek > 0)
            u.expect("Select the last week where you want to apply").choose(c.lastWeek);
        CodeId copy = 0;
        ASSERT_TRUE(splitAllocation(*d, pp, ss, id("E"), 2, c.kind, &copy));
        EXPECT_EQ(std::string(d->codes[copy].code.view()), "Ea");
        EXPECT_EQ(collectionOf(*d, copy)[0], 2);
        const WeekAllocation made = load(copy), left = load(id("E"));
        for (int w = 1; w <= 4; ++w) {
            EXPECT_EQ(made.allocated[w], c.copyAllocated[w]) << w;
            EXPECT_EQ(made.scheduled[w], c.copyScheduled[w]) << w;
            EXPECT_EQ(left.allocated[w], c.eventAllocated[w]) << w;
        }
        ASSERT_TRUE(lastSplitOpen(*d, ss));
        u.expect("you want to cancel the last").answer(Answer::Yes);
        EXPECT_TRUE(cancelLastSplit(*d, pp, ss));
        EXPECT_EQ(id("Ea"), 0);
        const WeekAllocation back = load(id("E"));
        for (int w = 1; w <= 4; ++w) {
            EXPECT_EQ(back.allocated[w], 3) << w;
            EXPECT_EQ(back.scheduled[w], 1) << w;
        }
        EXPECT_TRUE(u.finished()) << u.problems();
    }
}

TEST_F(AllocationSplitTest, BalanceHalvesTheWeeksAndMovesTheCellsTheEventNoLongerHolds)
{
    build();
    // Week 2 has all three periods placed: E keeps 2 of them, the copy takes 1 (day 1 first).
    FixtureBuilder(*d).place("E", 2, 2, 1, 2);
    ui.expect("Select the last week").choose(3);
    CodeId copy = 0;
    ASSERT_TRUE(splitAllocation(*d, p, s, id("E"), 2, SplitKind::Balance, &copy));
    const WeekAllocation made = load(copy), left = load(id("E"));
    EXPECT_EQ(made.allocated[2], 1);
    EXPECT_EQ(made.scheduled[2], 1);
    EXPECT_EQ(left.allocated[2], 2);
    EXPECT_EQ(left.scheduled[2], 2);
    EXPECT_EQ(made.scheduled[3], 0); // one placed, two kept: nothing to move
    EXPECT_EQ(left.allocated[4], 3);
    ui.expect("you want to cancel the last balance").answer(Answer::Yes);
    EXPECT_TRUE(cancelLastSplit(*d, p, s));
    EXPECT_EQ(load(id("E")).scheduled[2], 3);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(AllocationSplitTest, CancelIsRefusedOnceTheDataChanged)
{
    build();
    ui.expect("Select the last week").choose(4);
    ASSERT_TRUE(splitAllocation(*d, p, s, id("E"), 3, SplitKind::Split));
    // Another event's PLANNED changes: the pair may no longer be what the Cancel remembers.
    setPlanned(*d, id("F"), 5);
    EXPECT_FALSE(lastSplitOpen(*d, s));
    const std::string before = dumpScheduleData(*d);
    ui.expect("nothing to cancel").answer(Answer::Ok);
    EXPECT_FALSE(cancelLastSplit(*d, p, s));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(AllocationSplitTest, EveryQuestionCancelledChangesNothing)
{
    build();
    const std::string before = dumpScheduleData(*d);
    ui.expect("Select the last week").cancel();
    EXPECT_FALSE(splitAllocation(*d, p, s, id("E"), 2, SplitKind::Split));
    ui.expect("Select the last week").choose(1);
    ui.expect("Please select an appropriate week").answer(Answer::Ok);
    EXPECT_FALSE(splitAllocation(*d, p, s, id("E"), 2, SplitKind::Unscheduled));
    EXPECT_EQ(dumpScheduleData(*d), before);
    ASSERT_TRUE(splitAllocation(*d, p, s, id("E"), 2, SplitKind::Duplicate));
    const std::string split = dumpScheduleData(*d);
    ui.expect("you want to cancel the last duplicate").answer(Answer::No);
    EXPECT_FALSE(cancelLastSplit(*d, p, s));
    EXPECT_EQ(dumpScheduleData(*d), split);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
