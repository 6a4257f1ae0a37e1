// Automatic placement from the Weeks view through scripted dialogs: "Fill current week" places
// every event's remaining periods of that week only, "Optimise (for demos only)" 2 and 3 place
// (and allocate) over the whole calendar, and auto-fill places what typing or "Auto-allocate"
// gave a week. Locked events and protected weeks keep what they have; every question cancelled
// leaves the data as they were.

#include "commands/weeksplacement.h"

#include "commands/weekscommands.h"
#include "commands/weeksfixture.h"
#include "engine/calendaredits.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>

using namespace quivra;

namespace {

class WeeksPlacementTest : public quivra::testing::WeeksTest
{
protected:
    // 4 weeks of 5 days × 6 bells. E (T1, G1): 2 periods in weeks 1..3, one placed in each;
    // F (T2, G1): 1 period in weeks 1..2, none placed; L (T1) is locked with 1 period in
    // weeks 1..4, none placed.
    void build()
    {
        FixtureBuilder f(*d);
        f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('G', {"G1"});
        f.event("E", {"T1", "G1"}, 10).allocate("E", 1, 3, 2);
        f.place("E", 1, 1, 1, 1).place("E", 2, 1, 1, 1).place("E", 3, 1, 1, 1);
        f.event("F", {"T2", "G1"}, 4).allocate("F", 1, 2, 1);
        f.event("L", {"T1"}, 4).allocate("L", 1, 4, 1);
        f.finish();
        setLock(*d, id("L"), LockMode::Lock);
        // The optimiser's days and bells: the whole calendar.
        d->optimiseRange.startDay = d->optimiseRange.startBell = 1;
        d->optimiseRange.endDay = 5;
        d->optimiseRange.endBell = 6;
    }

    NullProgress progress;
};

TEST_F(WeeksPlacementTest, FillingAWeekPlacesEveryUnlockedEventThereOnly)
{
    build();
    const std::string before = dumpScheduleData(*d);
    ui.expect("to let Quivra schedule periods in timetables on this week").answer(Answer::No);
    EXPECT_FALSE(fillCurrentWeek(*d, p, progress, 2));
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("to let Quivra schedule periods in timetables on this week").answer(Answer::Yes);
    ui.expect("2 periods of 2 events were scheduled in week").answer(Answer::Ok);
    EXPECT_TRUE(fillCurrentWeek(*d, p, progress, 2));
    EXPECT_EQ(load("E").scheduled[2], 2);
    EXPECT_EQ(load("F").scheduled[2], 1);
    EXPECT_EQ(load("E").scheduled[3], 1); // another week
    EXPECT_EQ(load("F").scheduled[1], 0);
    EXPECT_EQ(load("L").scheduled[2], 0); // locked
    EXPECT_EQ(d->codes[id("E")].scheduled, 4);

    // A protected week is refused before the question.
    setFirstOpenWeek(*d, 3);
    const std::string placed = dumpScheduleData(*d);
    ui.expect("This week is protected").answer(Answer::Ok);
    EXPECT_FALSE(fillCurrentWeek(*d, p, progress, 1));
    EXPECT_EQ(dumpScheduleData(*d), placed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksPlacementTest, DemoSchedulingPlacesAndBothAllocatesFirst)
{
    build();
    const std::string before = dumpScheduleData(*d);
    ui.expect("Are you sure you want to run \"Optimise\"").answer(Answer::No);
    EXPECT_FALSE(demoScheduling(*d, p, progress, false).changed);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("Are you sure you want to run \"Optimise\"").answer(Answer::Yes);
    ui.expect("Do you also want to optimise timetables?").answer(Answer::No);
    DemoRun run = demoScheduling(*d, p, progress, false);
    EXPECT_TRUE(run.changed);
    EXPECT_FALSE(run.optimise);
    EXPECT_EQ(d->codes[id("E")].scheduled, 6);
    EXPECT_EQ(d->codes[id("F")].scheduled, 2);
    EXPECT_EQ(d->codes[id("F")].allocated, 2); // only placed, not allocated
    EXPECT_EQ(d->codes[id("L")].scheduled, 0);

    ui.expect("Are you sure you want to run \"Optimise\"").answer(Answer::Yes);
    ui.expect("Do you also want to optimise timetables?").answer(Answer::Yes);
    run = demoScheduling(*d, p, progress, true);
    EXPECT_TRUE(run.changed);
    EXPECT_TRUE(run.optimise);
    EXPECT_EQ(d->codes[id("F")].allocated, 4);
    EXPECT_EQ(d->codes[id("F")].scheduled, 4);
    EXPECT_EQ(d->codes[id("L")].scheduled, 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksPlacementTest, AutoFillPlacesWhatTypingGaveTheWeek)
{
    build();
    WeeksState s;
    s.ignorePlanned = true;
    EXPECT_TRUE(typeAllocation(*d, p, s, id("F"), 3, 2));
    EXPECT_EQ(load("F").scheduled[3], 0) << "auto-fill off";
    s.autoFill = true;
    EXPECT_TRUE(typeAllocation(*d, p, s, id("F"), 4, 2));
    EXPECT_EQ(load("F").scheduled[4], 2);
    EXPECT_EQ(load("F").scheduled[3], 0) << "only the typed week";
    EXPECT_TRUE(increaseAllocation(*d, p, s, id("F"), 3));
    EXPECT_EQ(load("F").scheduled[3], 3);
    // Only the optimiser's days and bells take periods: here day 2, bell 4 on.
    d->optimiseRange.startDay = d->optimiseRange.endDay = 2;
    d->optimiseRange.startBell = 4;
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 4, 2));
    const WeekAllocation e = load("E");
    EXPECT_EQ(e.scheduled[4], 2);
    for (const LectureView &v : e.timetable) {
        if (v.startWeek == 4) {
            EXPECT_EQ(v.startDay, 2);
            EXPECT_GE(v.startBell, 4);
        }
    }
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksPlacementTest, AutoAllocatePlacesTheEventFromTheFirstOpenWeek)
{
    build();
    setFirstOpenWeek(*d, 2);
    WeeksState s;
    EXPECT_TRUE(autoAllocate(*d, p, s, id("F"), 4));
    EXPECT_EQ(d->codes[id("F")].allocated, 4);
    const WeekAllocation f = load("F");
    EXPECT_EQ(f.scheduled[1], 0) << "a protected week is not placed";
    for (int w = 2; w <= 4; ++w)
        EXPECT_EQ(f.scheduled[w], f.allocated[w]) << "week " << w;
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
