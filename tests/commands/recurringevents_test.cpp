// Bulk schedule: what a repeating or multi-day event selects (over midnight too), what is
// available and blocked, and what scheduling stores. Declining changes nothing; the morning after
// the last day never spills beyond the chosen weeks; the confirmation names what is scheduled.

#include "commands/recurringevents.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using namespace quivra;

namespace {

using Cell = std::tuple<int, int, int>; // week, day, bell

class RecurringTest : public ::testing::Test
{
protected:
    RecurringTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(4, 5, 8).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("E", {"T1", "R1"}, 16);
        f.event("F", {"T2"}, 8).allocate("F", 1, 1, 5).place("F", 1, 1, 1, 2);
        f.event("G", {"T2"}, 2).weekBooking("G", 2, 2, 1);
        f.finish();
    }

    std::set<Cell> planned(const RecurringEvents &r) const
    {
        std::set<Cell> cells;
        for (int w = 1; w <= 4; ++w)
            for (int day = 1; day <= 5; ++day)
                for (int bell = 1; bell <= 8; ++bell)
                    if (r.cell(w, day, bell) == RecurCell::Planned)
                        cells.insert({w, day, bell});
        return cells;
    }

    static std::set<Cell> block(int w1, int w2, int day, int b1, int b2)
    {
        std::set<Cell> cells;
        for (int w = w1; w <= w2; ++w)
            for (int bell = b1; bell <= b2; ++bell)
                cells.insert({w, day, bell});
        return cells;
    }

    static std::set<Cell> join(std::initializer_list<std::set<Cell>> parts)
    {
        std::set<Cell> all;
        for (const auto &part : parts)
            all.insert(part.begin(), part.end());
        return all;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(RecurringTest, SelectionFollowsTheEventType)
{
    struct Case
    {
        const char *name;
        bool multiDay;
        std::vector<int> days;
        int startBell, endBell, startWeek, endWeek;
        std::set<Cell> expected;
    };
    const Case cases[] = {
        {"repeating on days 1 and 3",
         false,
         {1, 3},
         2,
         3,
         1,
         4,
         join({block(1, 4, 1, 2, 3), block(1, 4, 3, 2, 3)})},
        {"multi-day from day 1 bell 5 to day 3 bell 2",
         true,
         {1, 3},
         5,
         2,
         1,
         1,
         join({block(1, 1, 1, 5, 8), block(1, 1, 2, 1, 8), block(1, 1, 3, 1, 2)})},
        {"multi-day on one day keeps its bells", true, {2}, 3, 5, 1, 1, block(1, 1, 2, 3, 5)},
        {"over midnight runs into the next day",
         false,
         {2},
         6,
         1,
         1,
         1,
         join({block(1, 1, 2, 6, 8), block(1, 1, 3, 1, 1)})},
        {"after the last day into the next chosen week",
         false,
         {5},
         7,
         1,
         1,
         2,
         join({block(1, 2, 5, 7, 8), block(2, 2, 1, 1, 1)})},
        {"never beyond the chosen weeks",
         false,
         {5},
         7,
         1,
         3,
         4,
         join({block(3, 4, 5, 7, 8), block(4, 4, 1, 1, 1)})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecurringEvents r(*d, p, f.id("E"));
        r.setMultiDay(c.multiDay);
        for (int day : c.days)
            r.setDay(day, true);
        r.setEndWeek(c.endWeek);
        r.setStartWeek(c.startWeek);
        r.setStartBell(c.startBell);
        r.setEndBell(c.endBell);
        EXPECT_EQ(planned(r), c.expected);
        EXPECT_EQ(r.now(), static_cast<int>(c.expected.size()));
    }
    EXPECT_FALSE(d->modified);
}

TEST_F(RecurringTest, ScheduleConfirmsWhatIsSelectedAndStoresIt)
{
    RecurringEvents r(*d, p, f.id("E"));
    r.setDay(1, true);
    r.setDay(3, true);
    r.setStartBell(2);
    r.setEndBell(3);
    r.setEndWeek(4);
    EXPECT_EQ(r.nowText(), "NOW 16");
    EXPECT_EQ(r.availableText(), "AVAILABLE 16");
    EXPECT_EQ(r.weeksText(), "[1] ... [4] (4)");
    EXPECT_EQ(r.periodsText(), "2");
    EXPECT_TRUE(r.warning().empty());

    const std::string before = dumpScheduleData(*d);
    ui.expect("You are about to schedule 16 period(s) of event \"E\" in 4 week(s).")
        .answer(Answer::No);
    EXPECT_EQ(r.schedule(), ScheduleOutcome::Unchanged);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("You are about to schedule 16 period(s)").answer(Answer::Yes);
    ui.expect("You have now scheduled 16 periods of the event \"E\".").answer(Answer::No);
    EXPECT_EQ(r.schedule(), ScheduleOutcome::Close);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    const CodeRecord &e = d->codes[f.id("E")];
    EXPECT_EQ((std::array{e.planned, e.allocated, e.scheduled}),
              (std::array<std::uint16_t, 3>{16, 16, 16}));
    WeekAllocation wa;
    loadWeekAllocation(*d, f.id("E"), wa);
    ASSERT_EQ(wa.timetable.size(), 2u) << "one lecture per day over weeks 1-4";
    EXPECT_EQ(wa.timetable[0].startWeek, 1);
    EXPECT_EQ(wa.timetable[0].endWeek, 4);

    // All planned periods scheduled: nothing is available and Schedule is off.
    RecurringEvents again(*d, p, f.id("E"));
    again.setDay(2, true);
    EXPECT_EQ(again.available(), 0);
    EXPECT_FALSE(again.canSchedule());
}

TEST_F(RecurringTest, AllocatedPeriodsAreUsedFirstAndNoneIsLost)
{
    // F: 5 allocated, 2 placed in week 1.
    struct Case
    {
        int bells;
        int allocated, scheduled;
    };
    for (const Case c : {Case{3, 5, 5}, Case{1, 5, 3}}) {
        SCOPED_TRACE(c.bells);
        auto copy = makeScheduleData();
        *copy = *d;
        RecurringEvents r(*copy, p, f.id("F"));
        r.setDay(2, true);
        r.setStartBell(1);
        r.setEndBell(c.bells);
        ui.answer(Answer::Yes).answer(Answer::No);
        EXPECT_EQ(r.schedule(), ScheduleOutcome::Close);
        WeekAllocation wa;
        loadWeekAllocation(*copy, f.id("F"), wa);
        EXPECT_EQ(wa.allocated[1], c.allocated);
        EXPECT_EQ(wa.scheduled[1], c.scheduled);
    }
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(RecurringTest, BookedWeeksBlockedCellsAndAnEmptySelection)
{
    RecurringEvents g(*d, p, f.id("G"));
    g.setDay(1, true);
    g.setEndWeek(3);
    EXPECT_EQ(g.cell(2, 1, 1), RecurCell::Blocked) << "a week the event has booked";
    // Week 1 bell 1 is F's, through the shared T2; week 2 is booked.
    EXPECT_EQ(planned(g), block(3, 3, 1, 1, 1));
    EXPECT_FALSE(g.toggleCell(2, 1, 3));
    EXPECT_EQ(g.cellHint(4, 1, 1),
              "You cannot schedule the event \"G\" outside the selected week range.");

    // F's own cells, and T2's cells seen from G.
    RecurringEvents fr(*d, p, f.id("F"));
    fr.setDay(1, true);
    EXPECT_EQ(fr.cell(1, 1, 1), RecurCell::Scheduled);
    EXPECT_EQ(g.cell(1, 1, 2), RecurCell::Blocked);
    EXPECT_NE(g.cellHint(1, 1, 2).find("due to the following conflicts:"), std::string::npos);

    // Deselecting every cell leaves nothing to schedule, though periods are available.
    RecurringEvents e(*d, p, f.id("E"));
    e.setDay(4, true);
    EXPECT_EQ(e.cellHint(1, 4, 1).rfind("[Double-click] to unschedule event \"E\" from", 0), 0u);
    EXPECT_TRUE(e.toggleCell(1, 4, 1));
    EXPECT_EQ(e.now(), 0);
    EXPECT_GT(e.available(), 0);
    EXPECT_FALSE(e.canSchedule());
    EXPECT_EQ(e.schedule(), ScheduleOutcome::Unchanged);
    EXPECT_TRUE(e.toggleCell(1, 4, 5));
    EXPECT_EQ(e.now(), 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(RecurringTest, UnscheduleKeepsAllocationsAndAsksFirst)
{
    RecurringEvents r(*d, p, f.id("F"));
    ASSERT_TRUE(r.canUnschedule());
    ui.expect("Do you want to unschedule event \"F\"?").answer(Answer::No);
    EXPECT_FALSE(r.unschedule());
    EXPECT_EQ(d->codes[f.id("F")].scheduled, 2);
    ui.answer(Answer::Yes);
    EXPECT_TRUE(r.unschedule());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(d->codes[f.id("F")].scheduled, 0);
    EXPECT_EQ(d->codes[f.id("F")].allocated, 5);
    EXPECT_FALSE(r.canUnschedule());
}

} // namespace
