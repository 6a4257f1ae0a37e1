#include "engine/slotsearch.h"

#include "support/fixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace quivra {
namespace {

GapCategoryWeights ones()
{
    GapCategoryWeights w{};
    w.fill(1);
    return w;
}

TEST(SlotSearchTest, NextWrapsToDayOneAndPreviousWrapsBack)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 2, 4).resources('T', {"T1"});
    f.event("E", {"T1"}, 1).allocate("E", 1, 1, 1).place("E", 1, 2, 4, 4);
    f.book("T1", 1, 1, 1, 1); // day 1 bell 1 is not free
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    const CodeId e = f.id("E");

    int bell = 4, day = 2; // the last position of the week
    SlotSearchResult r = slotSearch(*d, m, e, day, bell, SlotSearchMode::Next, 1, ones());
    EXPECT_EQ(r.length, 1);
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(day, 1);
    EXPECT_EQ(bell, 2);
    EXPECT_EQ(m.event(e)->cells[1], 0b10u);
    EXPECT_EQ(m.log().position(), 1);

    r = slotSearch(*d, m, e, day, bell, SlotSearchMode::Previous, 1, ones());
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(day, 2);
    EXPECT_EQ(bell, 4);
    EXPECT_EQ(m.event(e)->cells[2], 0b1000u);
}

TEST(SlotSearchTest, BestWithoutAValueKeepsTheBlockWhereItWas)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 2, 3).resources('T', {"T1"});
    f.event("E", {"T1"}, 2).allocate("E", 1, 1, 2).place("E", 1, 1, 1, 1).place("E", 1, 2, 2, 2);
    f.book("T1", 1, 1, 2, 1, 3);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    // Day 1 is booked apart from the block; day 2 holds the event's other block.
    int bell = 1, day = 1;
    const SlotSearchResult r =
        slotSearch(*d, m, f.id("E"), day, bell, SlotSearchMode::Best, 1, ones());
    EXPECT_EQ(r.length, 1);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(day, 1);
    EXPECT_EQ(bell, 1);
    EXPECT_EQ(m.log().position(), 0);
    EXPECT_EQ(m.event(f.id("E"))->cells[1], 1u);
}

TEST(SlotSearchTest, BestMovesNextToTheLessonsAndAllMarksEveryPosition)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 6).resources('T', {"T1"});
    f.event("X", {"T1"}, 2).allocate("X", 1, 1, 2).place("X", 1, 1, 1, 2);
    f.event("E", {"T1"}, 1).allocate("E", 1, 1, 1).place("E", 1, 1, 6, 6);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    const CodeId e = f.id("E");

    int bell = 6, day = 1;
    SlotMap all;
    SlotSearchResult r =
        slotSearch(*d, m, e, day, bell, SlotSearchMode::All, 1, ones(), nullptr, &all);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(all.feasible, 4); // bells 3..6
    EXPECT_EQ(all.first[1][2], 0);
    EXPECT_EQ(all.coverage[1][6], 1);

    r = slotSearch(*d, m, e, day, bell, SlotSearchMode::Best, 1, ones());
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(bell, 3);
    EXPECT_EQ(m.cell(m.rowOf(f.id("T1")), 1, 3), static_cast<CellWord>(e | LectureEventBit));
}

TEST(SlotSearchTest, Refusals)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 4).resources('T', {"T1"});
    f.event("E", {"T1"}, 1).allocate("E", 1, 1, 1).place("E", 1, 1, 2, 2);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    struct Case
    {
        int bell, length;
        Refusal refusal;
    } cases[] = {
        {1, 1, Refusal::NotPlaced}, {1, 5, Refusal::OutOfRange}, {2, 0, Refusal::OutOfRange}};
    for (const Case &c : cases) {
        int bell = c.bell, day = 1;
        const SlotSearchResult r =
            slotSearch(*d, m, f.id("E"), day, bell, SlotSearchMode::Next, c.length, ones());
        EXPECT_EQ(r.length, 0);
        EXPECT_EQ(r.refusal, c.refusal) << c.bell << "/" << c.length;
    }
}

TEST(SlotSearchTest, BlockerGroupsRankSingleBlockers)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 8).resources('G', {"G1"}).resources('T', {"T1"});
    f.event("X", {"T1"}, 3).allocate("X", 1, 1, 3).place("X", 1, 1, 1, 3);
    f.event("Y", {"G1"}, 2).allocate("Y", 1, 1, 2).place("Y", 1, 1, 5, 6);
    f.event("Z", {"G1", "T1"}, 1).allocate("Z", 1, 1, 1).place("Z", 1, 1, 8, 8);
    f.event("E", {"T1", "G1"}, 1).allocate("E", 1, 1, 1);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    FreeCells fc;
    freeCellScores(*d, m, f.id("E"), ones(), fc);
    const BlockerGroups g = blockerGroups(*d, m, f.id("E"), fc);
    EXPECT_EQ(g.freeCells, 2);
    ASSERT_EQ(g.groups.size(), 2u);
    EXPECT_EQ(g.groups[0].word, f.id("X") | LectureEventBit);
    EXPECT_EQ(g.groups[0].resource, f.id("T1"));
    EXPECT_EQ(g.groups[0].cells, 3);
    EXPECT_EQ(g.groups[1].word, f.id("Y") | LectureEventBit);
    EXPECT_EQ(g.groups[1].cells, 2);
    const int labels[] = {0, 1, 1, 1, 0, 2, 2, 0, 0};
    for (int bell = 1; bell <= 8; ++bell)
        EXPECT_EQ(g.label[1][bell], labels[bell]) << bell;
}

} // namespace
} // namespace quivra
