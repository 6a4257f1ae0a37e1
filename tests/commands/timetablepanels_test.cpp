// The Timetables view's panels: the week choice's lines and what opening a week reports, the
// bird's eye view's lines and its week strip, the quality grid's order and its refresh, and the
// fit panel's list with Add, Remove, Clear and New event (every refusal and every cancelled
// question leaving the data set exactly as it was).

#include "commands/timetablepanels.h"

#include "commands/timetablefixture.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace quivra;

namespace {

class TimetablePanelsTest : public quivra::testing::TimetableTest
{
public:
    TimetablePanelsTest()
    {
        // MATH and ENG share the group G1; ART and MATH the teacher T1.
        f.calendar(2, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1", "G1"}, 4).allocate("MATH", 1, 2, 2);
        f.event("ENG", {"T2", "G1"}, 1).allocate("ENG", 1, 1, 1);
        f.event("ART", {"T1", "G2"}, 1).allocate("ART", 2, 2, 1);
        f.event("BIO", {"T2", "G2"}, 3).allocate("BIO", 1, 1, 3);
        f.place("MATH", 1, 1, 1, 1).place("ENG", 1, 1, 2, 2).place("MATH", 2, 3, 4, 5);
        f.book("G2", 1, 2, 1, 1);
    }

    void open(std::string_view master, int week = 1)
    {
        f.finish();
        s.open(*d, week);
        s.setMaster(master.empty() ? 0 : f.id(master));
    }

    int allocated(std::string_view event, int week) const
    {
        WeekAllocation wa;
        loadWeekAllocation(*d, f.id(event), wa);
        return wa.allocated[static_cast<std::size_t>(week)];
    }
};

TEST_F(TimetablePanelsTest, WeekChoiceCountsWhatIsLeftToSchedule)
{
    open("T1");
    const std::vector<WeekChoiceLine> lines = weekChoiceLines(*d);
    ASSERT_EQ(lines.size(), 2u);
    // Week 1: MATH 2 + ENG 1 + BIO 3 allocated, 2 scheduled; week 2: MATH 2 + ART 1, 2.
    EXPECT_EQ(lines[0].allocated, 6);
    EXPECT_EQ(lines[0].scheduled, 2);
    EXPECT_NE(lines[0].text.find("(4 out of 6 left)"), std::string::npos) << lines[0].text;
    EXPECT_NE(lines[1].text.find("(1 out of 3 left)"), std::string::npos) << lines[1].text;
    EXPECT_EQ(weekChoiceQuestion(*d), "Select the active week (of 2 weeks)");
    EXPECT_EQ(weekChoiceStatus(lines[1]),
              "Select the week to schedule - 2 out of 3 periods scheduled in this week");

    ui.expect("Select the active week (of 2 weeks)").choose(2);
    EXPECT_EQ(selectWeek(*d, p, 1), 2);
    ui.cancel();
    EXPECT_EQ(selectWeek(*d, p, 1), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetablePanelsTest, OpeningAWeekReportsItsTimetablesAndEvents)
{
    open("T1");
    WeekOpening o = weekOpening(s.matrix());
    EXPECT_EQ(o.caption, "Timetables: 4");
    EXPECT_EQ(o.defined, "4 timetables defined");
    // MATH has 1 left, BIO 3; ENG is complete.
    EXPECT_EQ(o.events, "Select an event to schedule - 2 events (4 periods) out of 3 events "
                        "allocated to this week");

    const WeekMatrix none;
    o = weekOpening(none);
    EXPECT_EQ(o.caption, "No timetables in this week");
    EXPECT_EQ(o.events, "No events allocated to this week");
}

TEST_F(TimetablePanelsTest, BirdsEyeShowsEveryTimetableWithAllDaysSideBySide)
{
    open("T1");
    const BirdsEyeTable t = birdsEyeRows(*d, s.matrix(), ShowCode);
    ASSERT_EQ(t.headers.size(), 30u); // 5 days of 6 bells
    ASSERT_EQ(t.lines.size(), 4u);
    const auto line = [&](std::string_view code) -> const BirdsEyeLine & {
        for (const BirdsEyeLine &l : t.lines)
            if (l.code == f.id(code))
                return l;
        ADD_FAILURE() << code;
        return t.lines.front();
    };
    EXPECT_EQ(line("G1").cells[0], "MATH");
    EXPECT_EQ(line("G1").cells[1], "ENG");
    EXPECT_EQ(line("T1").cells[1], "");
    EXPECT_FALSE(line("G2").cells[6].empty()); // Tuesday bell 1: the booking's name
    EXPECT_EQ(line("T2").cells[1], "ENG");

    // Copy: a header line, then a line per timetable with a cell per day and bell.
    const std::string text = birdsEyeText(t);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 5 * 30);
    EXPECT_NE(birdsEyeInfo(*d, s.matrix()).find("2 out of 6 periods scheduled"), std::string::npos);
}

TEST_F(TimetablePanelsTest, WeekStripShowsOneTimetableWeekByWeek)
{
    open("T1");
    const BirdsEyeTable t = weekStripRows(*d, s.matrix(), f.id("T1"), ShowCode);
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_EQ(t.lines[0].week, 1);
    EXPECT_EQ(t.lines[0].cells[0], "MATH");
    // Week 2: MATH on Wednesday bells 4 and 5.
    EXPECT_EQ(t.lines[1].cells[2 * 6 + 3], "MATH");
    EXPECT_EQ(t.lines[1].cells[2 * 6 + 4], "MATH");
    EXPECT_EQ(t.lines[1].cells[0], "");
    // The strip leaves the week's own rows alone.
    EXPECT_EQ(birdsEyeRows(*d, s.matrix(), ShowCode).lines.size(), 4u);
}

TEST_F(TimetablePanelsTest, QualityGridRanksTheMostScatteredFirstAndFollowsChanges)
{
    // T2: ENG at bell 2 and BIO at bell 5 on Monday, 2 gaps; G1 has none.
    f.place("BIO", 1, 1, 5, 5);
    open("T1");
    std::vector<QualityGridLine> grid = qualityGrid(*d, s.matrix());
    ASSERT_FALSE(grid.empty());
    EXPECT_EQ(grid[0].resource, f.id("T2"));
    EXPECT_EQ(grid[0].detail, "[G=2 D=0 S=0]");
    for (std::size_t i = 1; i < grid.size(); ++i)
        EXPECT_GE(grid[i - 1].index, grid[i].index);

    // Refresh after a change: MATH on Monday bell 4 leaves T1 and G1 with gaps of 2.
    s.setEvent(f.id("MATH"));
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(1, 4)).changed);
    grid = qualityGrid(*d, s.matrix());
    std::vector<CodeId> listed;
    for (const QualityGridLine &line : grid)
        listed.push_back(line.resource);
    EXPECT_NE(std::find(listed.begin(), listed.end(), f.id("T1")), listed.end());
    EXPECT_NE(std::find(listed.begin(), listed.end(), f.id("G1")), listed.end());
}

TEST_F(TimetablePanelsTest, FitListHoldsTheMastersEventsFreeInTheCell)
{
    open("T1");
    // Monday bell 2: G1 holds ENG, so MATH does not fit; ART fits (not allocated in week 1).
    std::vector<FitEntry> fit = fitEvents(*d, s, 1, 2);
    ASSERT_EQ(fit.size(), 1u);
    EXPECT_EQ(fit[0].event, f.id("ART"));
    EXPECT_EQ(fitLine(*d, fit[0], ShowCode), "ART  ALLOC 0 SCHED 0");
    // Monday bell 3: both; only those allocated to the week with the filter.
    fit = fitEvents(*d, s, 1, 3, FitFilter::Allocated);
    ASSERT_EQ(fit.size(), 1u);
    EXPECT_EQ(fit[0].event, f.id("MATH"));
    EXPECT_EQ(fit[0].allocated, 2);
    EXPECT_EQ(fit[0].scheduled, 1);
}

TEST_F(TimetablePanelsTest, FitAllocationChangesStoreAndStartTheLogAnew)
{
    open("T2");
    s.setEvent(f.id("BIO"));
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(3, 1)).changed);
    ASSERT_EQ(s.matrix().log().size(), 1);

    TimetableOutcome out = changeFitAllocation(*d, s, f.id("MATH"), FitChange::Add);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message, "Event \"MATH\" has now 3 ALLOCATED and 1 SCHEDULED periods in this "
                           "week.");
    EXPECT_EQ(allocated("MATH", 1), 3);
    EXPECT_EQ(s.matrix().log().size(), 0);
    EXPECT_EQ(s.matrix().event(f.id("MATH"))->allowed, 3);
    EXPECT_EQ(s.event(), f.id("MATH"));

    // Planned 4 was reached (2 + 2); one more raises it.
    EXPECT_TRUE(changeFitAllocation(*d, s, f.id("MATH"), FitChange::Add).changed);
    EXPECT_GE(d->codes[f.id("MATH")].planned, 6);

    EXPECT_TRUE(changeFitAllocation(*d, s, f.id("MATH"), FitChange::Remove).changed);
    EXPECT_EQ(allocated("MATH", 1), 3);
    EXPECT_TRUE(changeFitAllocation(*d, s, f.id("MATH"), FitChange::Clear).changed);
    EXPECT_EQ(allocated("MATH", 1), 1);

    // With its period unscheduled, BIO's Clear takes it out of the week.
    ASSERT_TRUE(unscheduleCells(*d, s, p, CellArea::cell(3, 1)).changed);
    out = changeFitAllocation(*d, s, f.id("BIO"), FitChange::Clear);
    EXPECT_TRUE(out.changed);
    EXPECT_NE(out.message.find("\r\nEvent was removed from this week."), std::string::npos);
    EXPECT_EQ(s.matrix().event(f.id("BIO")), nullptr);
}

// A fixture of its own for each case of a table.
struct Fresh : TimetablePanelsTest
{
    void TestBody() override {}
};

TEST_F(TimetablePanelsTest, RefusedFitChangesChangeNothing)
{
    using T = TimetablePanelsTest;
    struct Case
    {
        const char *name;
        std::function<void(TimetablePanelsTest &)> arrange;
        const char *event;
        FitChange change;
        const char *says;
    };
    const std::vector<Case> cases = {
        {"protected week", [](T &t) { t.d->currentWeek = 2; }, "MATH", FitChange::Add, "protected"},
        {"locked event", [](T &t) { setLock(*t.d, t.f.id("MATH"), LockMode::Lock); }, "MATH",
         FitChange::Add, "locked"},
        {"booked week", [](T &t) { t.f.weekBooking("ART", 1, 1, 1); }, "ART", FitChange::Add,
         "booked"},
        {"week full", [](T &t) { t.f.allocate("MATH", 1, 1, 30); }, "MATH", FitChange::Add,
         "cannot take more"},
        {"calendar's slots reached", [](T &t) { t.d->coding.slotsTotal = 4; }, "MATH",
         FitChange::Add, "cannot take more"},
        {"nothing left to remove", [](T &) {}, "ENG", FitChange::Remove, "no unscheduled"},
        {"nothing left to clear", [](T &) {}, "ENG", FitChange::Clear, "no unscheduled"},
        {"a resource is no event", [](T &) {}, "T1", FitChange::Add, "Select an event"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fresh t;
        c.arrange(t);
        t.open("T1");
        const std::string before = t.content();
        const TimetableOutcome out = changeFitAllocation(*t.d, t.s, t.f.id(c.event), c.change);
        EXPECT_FALSE(out.changed);
        EXPECT_NE(out.message.find(c.says), std::string::npos) << out.message;
        EXPECT_EQ(t.content(), before);
    }
}

TEST_F(TimetablePanelsTest, NewEventAllocatesOnePeriodOfTheChosenEvent)
{
    open("T1");
    const std::string before = content();
    // Monday bell 3: ART is the master's only event not allocated to week 1.
    ui.expect("Add a new event to this week").cancel();
    EXPECT_FALSE(addFitEvent(*d, s, p, 1, 3).changed);
    EXPECT_EQ(content(), before);

    ui.expect("Add a new event").choose(static_cast<int>(f.id("ART")));
    const TimetableOutcome out = addFitEvent(*d, s, p, 1, 3);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(allocated("ART", 1), 1);
    EXPECT_EQ(s.event(), f.id("ART"));
    EXPECT_NE(s.matrix().event(f.id("ART")), nullptr);

    // Nothing left to offer: no question at all.
    EXPECT_EQ(addFitEvent(*d, s, p, 1, 3).message, "No other event fits this slot.");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
