#include "engine/cycling.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quivra {
namespace {

// Six cycle days over five days in use: cycle 1 = week 1 day 1 (E1, bell 1), cycle 3 = week 1
// day 3 (E2, bells 2-3), cycle 6 = week 2 day 1 (E1, bell 3).
std::unique_ptr<ScheduleData> cycleFixture(int lastAllocatedWeek = 2)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('G', {"G1", "G2"});
    f.event("E1", {"G1"}, 2).allocate("E1", 1, lastAllocatedWeek, 1);
    f.place("E1", 1, 1, 1, 1).place("E1", 2, 1, 3, 3);
    f.event("E2", {"G2"}, 2).allocate("E2", 1, 1, 2).place("E2", 1, 3, 2, 3);
    f.finish();
    return d;
}

bool placedAt(ScheduleData &d, CodeId e, int w, int day, int bell)
{
    WeekTimetable t;
    weekTimetableOf(d, e, w, t);
    return t.cell(day, bell) != 0 && cellCode(d, t.cell(day, bell)) == e;
}

class ScriptedCycling : public CyclingDialogue
{
public:
    int cycles = 6;
    std::function<void(std::vector<CycleDay> &)> edit;
    std::vector<std::string> asked; // what was asked, in order
    std::string told;

    int chooseCycles(int maximum, int proposed) override
    {
        asked.push_back("cycles " + std::to_string(maximum) + " " + std::to_string(proposed));
        return cycles;
    }
    bool confirmSources(int c, int weeks) override
    {
        asked.push_back("sources " + std::to_string(c) + " " + std::to_string(weeks));
        return true;
    }
    bool confirmTargets(int first, int last) override
    {
        asked.push_back("targets " + std::to_string(first) + " " + std::to_string(last));
        return true;
    }
    bool editMap(std::vector<CycleDay> &lines, int) override
    {
        if (edit)
            edit(lines);
        return true;
    }
    void inform(const std::string &text) override { told = text; }
};

TEST(Cycling, RollsCycleDaysOverTheNewWeeks)
{
    auto d = cycleFixture();
    const CodeId e1 = findCode(*d, "E1"), e2 = findCode(*d, "E2");

    EXPECT_EQ(cycleSource(*d, 5), (CycleDay{1, 5}));
    EXPECT_EQ(cycleSource(*d, 6), (CycleDay{2, 1}));
    EXPECT_EQ(cycleLineText({4, 1}, 5, 6), "Week 4, day 1 = Cycle 6");

    ScriptedCycling dialogue;
    const Result<int> copied = cyclingTimetables(*d, dialogue);
    ASSERT_TRUE(copied.has_value()) << copied.error().detail;
    EXPECT_EQ(*copied, 30); // weeks 3..8, five days each
    EXPECT_EQ(dialogue.asked,
              (std::vector<std::string>{"cycles 10 9", "sources 6 2", "targets 3 8"}));

    struct Cell
    {
        CodeId event;
        int week, day, bell;
    };
    const Cell cells[] = {
        {e1, 3, 1, 1},                // cycle 1
        {e2, 3, 3, 2},                // cycle 3
        {e2, 3, 3, 3}, {e1, 4, 1, 3}, // cycle 6
        {e1, 4, 2, 1},                // cycle 1 again
        {e2, 8, 2, 2},                // line 26: cycle 3
        {e1, 8, 5, 3},                // line 29: cycle 6
    };
    for (const Cell &c : cells)
        EXPECT_TRUE(placedAt(*d, c.event, c.week, c.day, c.bell))
            << "event " << c.event << " week " << c.week << " day " << c.day << " bell " << c.bell;
    EXPECT_FALSE(placedAt(*d, e1, 3, 2, 1));
    EXPECT_EQ(usedWeeks(*d), 8);
    EXPECT_EQ(d->weeks[8].name.view(), "[New]");
}

TEST(Cycling, RemovedDayShiftsTheLaterCycles)
{
    auto d = cycleFixture();
    const CodeId e1 = findCode(*d, "E1"), e2 = findCode(*d, "E2");
    ScriptedCycling dialogue;
    dialogue.edit = [](std::vector<CycleDay> &lines) {
        ASSERT_EQ(lines[2], (CycleDay{3, 3}));
        lines.erase(lines.begin() + 2);
    };
    ASSERT_TRUE(cyclingTimetables(*d, dialogue).has_value());

    EXPECT_FALSE(placedAt(*d, e2, 3, 3, 2)); // the removed day gets nothing
    EXPECT_TRUE(placedAt(*d, e2, 3, 4, 2));  // cycle 3 one day later
    EXPECT_TRUE(placedAt(*d, e1, 4, 2, 3));  // cycle 6, one day later than before
    EXPECT_FALSE(placedAt(*d, e1, 4, 1, 3));
}

TEST(Cycling, CopiedDaysSurviveTheSaveRepair)
{
    auto d = cycleFixture();
    ScriptedCycling dialogue;
    ASSERT_TRUE(cyclingTimetables(*d, dialogue).has_value());

    const CodeId e1 = findCode(*d, "E1"), e2 = findCode(*d, "E2");
    WeekAllocation wa;
    for (const CodeId e : {e1, e2}) {
        reloadWeekAllocation(*d, e, wa);
        EXPECT_GT(wa.scheduled[3], 0);
        for (int w = 3; w <= 8; ++w)
            EXPECT_GE(wa.allocated[w], wa.scheduled[w]) << "week " << w;
    }
    const int scheduledBefore = d->codes[e1].scheduled + d->codes[e2].scheduled;

    EXPECT_EQ(repairWeeks(*d), 0);
    for (const CodeId e : {e1, e2}) {
        reloadWeekAllocation(*d, e, wa);
        EXPECT_GT(wa.scheduled[8], 0);
    }
    totals(*d, 1, d->codeCount);
    EXPECT_EQ(d->codes[e1].scheduled + d->codes[e2].scheduled, scheduledBefore);
    EXPECT_GT(scheduledBefore, 6);
}

TEST(Cycling, RefusesMapsThatWouldOverwriteLecturesOrLeaveTheCalendar)
{
    struct Case
    {
        const char *name;
        int weekLimit;
        int lastAllocatedWeek;
        int cycles;
        std::vector<CycleDay> lines; // empty: the full map
        bool refused;
    };
    const Case cases[] = {
        {"room after the lectures", 255, 2, 6, {}, false},
        {"last weeks hold lectures", 10, 6, 6, {}, true},
        {"more cycles than days built", 255, 2, 11, {}, true},
        {"edited line on a week with lectures", 255, 2, 6, {{3, 1}, {2, 1}}, true},
        {"line on a day not in use", 255, 2, 6, {{3, 6}}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = cycleFixture(c.lastAllocatedWeek);
        setSlotCoding(*d, 8, 3, 5, c.weekLimit, 7, 30);
        const int lectures = d->lectureCount;
        const int weeks = usedWeeks(*d);
        const std::vector<CycleDay> lines =
            c.lines.empty() ? cycleTargetMap(*d, c.cycles) : c.lines;

        const Result<int> r = applyCycleMap(*d, c.cycles, lines);
        EXPECT_EQ(!r.has_value(), c.refused);
        if (c.refused) {
            EXPECT_EQ(r.error().code, Error::Code::Refused);
            EXPECT_EQ(d->lectureCount, lectures);
            EXPECT_EQ(usedWeeks(*d), weeks);
        }
    }

    // The command tells why and asks nothing after the refusal.
    auto d = cycleFixture(6);
    setSlotCoding(*d, 8, 3, 5, 10, 7, 30);
    ScriptedCycling dialogue;
    EXPECT_FALSE(cyclingTimetables(*d, dialogue).has_value());
    EXPECT_EQ(dialogue.asked, (std::vector<std::string>{"cycles 30 9", "sources 6 2"}));
    EXPECT_NE(dialogue.told.find("already holds lectures"), std::string::npos);
}

} // namespace
} // namespace quivra
