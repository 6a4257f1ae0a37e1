// Weekly loads, the load list and resource swaps.

#include "checks/loads.h"
#include "engine/calendar.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quivra {
namespace {

std::vector<CodeId> members(const ScheduleData &d, CodeId e)
{
    const MemberList m = collectionOf(d, e);
    return {m.begin() + 1, m.begin() + 1 + m[0]};
}

// T1 carries 12, 8 and 10 periods in weeks 1..3 (A: 10, 6, 8 and E: 2, 2, 2); T2 carries 6 a
// week in B.
class SwapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('T', {"T1", "T2"});
        f.event("A", {"T1"}, 24).event("E", {"T1"}, 6).event("B", {"T2"}, 18);
        f.allocate("A", 1, 1, 10).allocate("A", 2, 2, 6).allocate("A", 3, 3, 8);
        f.allocate("E", 1, 3, 2).allocate("B", 1, 3, 6);
        f.finish();
        t1 = f.id("T1"), t2 = f.id("T2"), a = f.id("A"), e = f.id("E"), b = f.id("B");
    }

    std::unique_ptr<ScheduleData> d = makeScheduleData();
    CodeId t1 = 0, t2 = 0, a = 0, e = 0, b = 0;
};

TEST_F(SwapTest, OptionsLowerTheLargerMaximumOnlyAndReplacementsComeFirst)
{
    const WeeklyLoads loads(*d, PeriodKind::Allocated);
    EXPECT_EQ(loads.load(t1, 1), 12);
    EXPECT_EQ(loads.load(t1, 2), 8);
    EXPECT_EQ(loads.load(t1, 3), 10);

    // Replacing T1 by T2 in E: T1 10, 6, 8 and T2 8, 8, 8, so 12 -> 10. Replacing it in A
    // would give T2 16: never offered. Exchanging A and B: T1 8, 8, 8 and T2 10, 6, 8.
    // Exchanging E and B raises T1 to 16: never offered.
    const std::vector<SwapOption> options = findSwapOptions(*d, t1, 1);
    const std::vector<SwapOption> expected = {{-2, t1, e, t2, e}, {-2, t1, a, t2, b}};
    EXPECT_EQ(options, expected);
    EXPECT_EQ(bestSwapOption(options), 0);
    EXPECT_EQ(swapOptionLine(*d, options[0]), "Swap T1 (E) with T2 (E)? (-2)");

    // From week 2 on the maximum of T1 is 10: the replacement in E lowers it to 8 against T2's 8.
    EXPECT_EQ(findSwapOptions(*d, t1, 2).front(), (SwapOption{-2, t1, e, t2, e}));
}

TEST_F(SwapTest, ApplyingChangesExactlyTheCollectionsOfTheSwap)
{
    const std::string before = dumpScheduleData(*d);
    ASSERT_TRUE(applySwap(*d, {-2, t1, a, t2, b}));
    EXPECT_EQ(members(*d, a), std::vector<CodeId>{t2});
    EXPECT_EQ(members(*d, b), std::vector<CodeId>{t1});
    EXPECT_EQ(members(*d, e), std::vector<CodeId>{t1});
    EXPECT_TRUE(d->modified);

    // Exchanging back restores the data set's collections, lectures and totals.
    ASSERT_TRUE(applySwap(*d, {-2, t2, a, t1, b}));
    d->modified = false;
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST_F(SwapTest, ASwapWhoseConditionsNoLongerHoldChangesNothing)
{
    ASSERT_TRUE(applySwap(*d, {-2, t1, e, t2, e}));
    d->modified = false;
    const std::string after = dumpScheduleData(*d);
    struct Case
    {
        const char *name;
        SwapOption option;
    };
    const Case cases[] = {
        {"replacement done already", {-2, t1, e, t2, e}},
        // T1 is no longer in E: an exchange must not fall back to a replacement either.
        {"exchange without X in E", {-2, t1, e, t2, b}},
        {"exchange without Y in F", {-2, t2, e, t1, b}},
        {"an event as resource", {-2, a, e, t2, e}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(applySwap(*d, c.option));
        EXPECT_EQ(dumpScheduleData(*d), after);
        EXPECT_FALSE(d->modified);
    }
}

TEST(WeeklyLoadList, OrdersCodesAbove4095AndLoadsAbove2047Exactly)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6);
    f.resources('T', {"LOW"});
    std::vector<std::string> names;
    for (int i = 0; i < 4200; ++i)
        names.push_back("R" + std::to_string(i));
    for (const std::string &n : names)
        f.resources('T', {n});
    f.resources('T', {"HIGH"});
    // Every ordinary resource carries one period in week 1, 200 to an event.
    for (int k = 0; k < 21; ++k) {
        const std::string event = "S" + std::to_string(k);
        f.event(event, {});
        const CodeId ev = f.id(event);
        d->collection[++d->collectionEntryCount] =
            static_cast<std::uint16_t>(ev | CollectionMarkerBit);
        d->codes[ev].collectionPos = static_cast<std::uint16_t>(d->collectionEntryCount);
        for (int i = k * 200; i < (k + 1) * 200; ++i)
            d->collection[++d->collectionEntryCount] = f.id(names[static_cast<std::size_t>(i)]);
        ++d->collectionCount;
    }
    // HIGH (id above 4096) and LOW carry 11 x 200 = 2200 periods in week 2, 11 x 190 in week 1.
    for (int k = 0; k < 11; ++k) {
        const std::string event = "H" + std::to_string(k);
        f.event(event, {"LOW", "HIGH"}, 390);
    }
    // Lecture words of more than 4095 codes carry 13-bit code parts.
    setLectureCodeMask(*d);
    for (int k = 0; k < 21; ++k)
        f.allocate("S" + std::to_string(k), 1, 1, 1);
    for (int k = 0; k < 11; ++k)
        f.allocate("H" + std::to_string(k), 2, 2, 200).allocate("H" + std::to_string(k), 1, 1, 190);
    f.finish();
    const CodeId low = f.id("LOW"), high = f.id("HIGH");
    ASSERT_GT(high, 4096);

    const WeeklyLoadList list = buildWeeklyLoadList(*d, 0, 1);
    ASSERT_EQ(list.entries.size(), static_cast<std::size_t>(MaxLoadEntries));
    const std::vector<LoadEntry> top(list.entries.begin(), list.entries.begin() + 5);
    const std::vector<LoadEntry> expected = {{2200, 2, high},
                                             {2200, 2, low},
                                             {2090, 1, high},
                                             {2090, 1, low},
                                             {1, 1, static_cast<CodeId>(high - 1)}};
    EXPECT_EQ(top, expected);
    EXPECT_EQ(list.overloaded, 4);
    // The lightest of the kept entries: the 1996 ordinary resources with the highest ids.
    EXPECT_EQ(list.entries.back(), (LoadEntry{1, 1, static_cast<CodeId>(high - 1996)}));
    EXPECT_EQ(loadLine(*d, list.entries[0], list.slotsPerWeek),
              "(2200 h, [2]: 1w) HIGH (Teachers)     [2200 > 5x6 = 30] !");

    // One category, from week 2: only the heavy pair is left.
    const WeeklyLoadList late = buildWeeklyLoadList(*d, 2, 2);
    EXPECT_EQ(late.entries, (std::vector<LoadEntry>{{2200, 2, high}, {2200, 2, low}}));
    EXPECT_EQ(late.resources, 2);
    EXPECT_TRUE(buildWeeklyLoadList(*d, 1, 1).entries.empty());
}

TEST(WeeklyLoadList, LinesMarkOnlyLoadsAboveTheWeek)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 6).resources('T', {"T1", "T2"});
    f.event("E1", {"T1"}, 31).event("E2", {"T2"}, 30);
    f.allocate("E1", 1, 1, 31).allocate("E2", 1, 1, 30);
    f.finish();
    const WeeklyLoadList list = buildWeeklyLoadList(*d, 0, 1);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.overloaded, 1);
    // One week in use: no week part.
    EXPECT_EQ(loadLine(*d, list.entries[0], list.slotsPerWeek),
              "(31 h) T1 (Teachers)     [31 > 5x6 = 30] !");
    EXPECT_EQ(loadLine(*d, list.entries[1], list.slotsPerWeek), "(30 h) T2 (Teachers)");
    EXPECT_NE(loadListTitle(*d, list).find("In the first 1 allocations all periods cannot be "
                                           "scheduled in 5x6=30 slots."),
              std::string::npos);
}

TEST(WeeklyLoads, EveryFigureOfASearchUsesTheSamePeriodKind)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 6).resources('T', {"T1", "T2"});
    f.event("A", {"T1"}, 4).event("E", {"T1"}, 3);
    f.allocate("A", 1, 1, 4).allocate("E", 1, 1, 3);
    f.place("A", 1, 1, 1, 2).place("E", 1, 2, 1, 3);
    f.finish();
    const CodeId t1 = f.id("T1"), e = f.id("E");
    struct Case
    {
        PeriodKind kind;
        int load, periods;
    };
    for (const Case c : {Case{PeriodKind::Allocated, 7, 3}, Case{PeriodKind::Scheduled, 5, 3},
                         Case{PeriodKind::Unscheduled, 2, 0}}) {
        const WeeklyLoads loads(*d, c.kind);
        EXPECT_EQ(loads.load(t1, 1), c.load);
        EXPECT_EQ(loads.periods(e, 1), c.periods);
    }
    // Unscheduled: E carries nothing, so moving it to T2 lowers nothing and is not offered.
    const auto options = findSwapOptions(*d, t1, 1, PeriodKind::Unscheduled);
    for (const SwapOption &o : options)
        EXPECT_NE(o.e, e);
}

} // namespace
} // namespace quivra
