// The Weeks view's commands through scripted dialogs: typing an allocation is cut to the week's
// slots and asks before it passes PLANNED, protected weeks and booked weeks refuse, bookings
// toggle, weeks are inserted, deleted and split (dated weeks too) without losing lectures at
// the end of the calendar, an allocation is copied to another event only while its source
// exists, and every question cancelled leaves the data as they were.

#include "commands/weekscommands.h"

#include "commands/weeksfixture.h"
#include "engine/calendar.h"
#include "engine/calendaredits.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "engine/weekstore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class WeeksCommandsTest : public quivra::testing::WeeksTest
{
protected:
    // 6 weeks of 5 days × 6 bells. E (T1, G1) plans 20: 2 periods in weeks 1..3, one placed in
    // each; F (T2) plans 6 and has nothing allocated; N has no resources.
    void build()
    {
        FixtureBuilder f(*d);
        f.calendar(6, 5, 6).resources('T', {"T1", "T2"}).resources('G', {"G1"});
        f.event("E", {"T1", "G1"}, 20).allocate("E", 1, 3, 2);
        f.place("E", 1, 1, 1, 1).place("E", 2, 1, 1, 1).place("E", 3, 1, 1, 1);
        f.event("F", {"T2"}, 6);
        f.event("N", {}, 2);
        f.finish();
    }

    WeeksState s;
};

TEST_F(WeeksCommandsTest, TypedValueIsCutToTheWeekAndAsksBeforePassingPlanned)
{
    build();
    // Within PLANNED: stored as typed, the placement trimmed when the week takes fewer.
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 4, 5));
    EXPECT_EQ(load("E").allocated[4], 5);
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 1, 0));
    EXPECT_EQ(load("E").allocated[1], 0);
    EXPECT_EQ(load("E").scheduled[1], 0);

    // 40 in a 5 × 6 calendar is 30; PLANNED (20) leaves room for 20 - 9 = 11 more, and No
    // keeps to it.
    ui.expect("The entered value (30) cannot exceed 11").answer(Answer::No);
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 5, 40));
    EXPECT_EQ(load("E").allocated[5], 11);
    EXPECT_EQ(d->codes[id("E")].planned, 20);

    // Yes raises PLANNED with the allocation, and the answer is remembered when asked to.
    ui.expect("increase the value of PLANNED (20)").answer(Answer::Yes);
    ui.expect("ignore this question in the future").answer(Answer::Yes);
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 6, 40));
    EXPECT_EQ(load("E").allocated[6], 30);
    EXPECT_EQ(d->codes[id("E")].planned, d->codes[id("E")].allocated);
    EXPECT_TRUE(s.ignorePlanned);
    EXPECT_TRUE(typeAllocation(*d, p, s, id("E"), 5, 30)); // no question any more
    EXPECT_EQ(load("E").allocated[5], 30);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, ProtectedLockedBookedAndResourcelessCellsRefuse)
{
    build();
    setFirstOpenWeek(*d, 3);
    setLock(*d, id("F"), LockMode::Lock);
    const std::string before = dumpScheduleData(*d);
    ui.expect("This week is protected").answer(Answer::Ok);
    EXPECT_FALSE(increaseAllocation(*d, p, s, id("E"), 2));
    ui.expect("You cannot change the event").answer(Answer::No);
    EXPECT_FALSE(typeAllocation(*d, p, s, id("F"), 4, 1));
    ui.expect("has no resources").answer(Answer::Ok);
    EXPECT_FALSE(typeAllocation(*d, p, s, id("N"), 4, 1));
    EXPECT_FALSE(toggleWeekBooking(*d, p, id("E"), 3)); // allocated: nothing to book
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();

    // An empty week is booked with the default kind, and a second time free again; a booked
    // week takes no allocation.
    EXPECT_TRUE(toggleWeekBooking(*d, p, id("E"), 5));
    EXPECT_EQ(load("E").booked[5], 1);
    EXPECT_FALSE(typeAllocation(*d, p, s, id("E"), 5, 2));
    EXPECT_TRUE(toggleWeekBooking(*d, p, id("E"), 5));
    EXPECT_EQ(load("E").booked[5], 0);
}

TEST_F(WeeksCommandsTest, EveryQuestionCancelledChangesNothing)
{
    using Run = std::function<bool(ScheduleData &, Prompter &, WeeksState &, CodeId e)>;
    struct Case
    {
        const char *name;
        std::function<void(ScheduleData &, CodeId e)> setUp; // before the dump is taken
        std::function<void(ScriptedDialogs &)> script;
        Run run;
    };
    const auto nothing = [](ScheduleData &, CodeId) {};
    const auto fullPlan = [](ScheduleData &dd, CodeId e) {
        dd.codes[e].planned = dd.codes[e].allocated;
    };
    const auto longWeek = [](ScheduleData &dd, CodeId) { setWeekEntry(dd, 2, "2", 3); };
    const auto typed = [](ScheduleData &dd, Prompter &pp, WeeksState &ss, CodeId e) {
        return typeAllocation(dd, pp, ss, e, 5, 30);
    };
    const std::vector<Case> cases = {
        {"typed value above PLANNED", nothing,
         [](ScriptedDialogs &u) { u.expect("cannot exceed").cancel(); }, typed},
        {"remembering the answer", nothing,
         [](ScriptedDialogs &u) {
             u.expect("cannot exceed").answer(Answer::Yes);
             u.expect("ignore this question").cancel();
         },
         typed},
        {"one more than PLANNED", fullPlan,
         [](ScriptedDialogs &u) { u.expect("To increase ALLOCATED").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &ss, CodeId e) {
             return increaseAllocation(dd, pp, ss, e, 4);
         }},
        {"delete week", nothing, [](ScriptedDialogs &u) { u.expect("delete week").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &, CodeId) {
             return deleteWeekAt(dd, pp, 2);
         }},
        {"split week", longWeek,
         [](ScriptedDialogs &u) { u.expect("How do you want to split the 3w").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &, CodeId) {
             return splitWeekAt(dd, pp, 2);
         }},
        {"split all weeks", longWeek,
         [](ScriptedDialogs &u) { u.expect("split all weeks").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &, CodeId) {
             return splitAllWeeks(dd, pp);
         }},
        {"longer week", fullPlan,
         [](ScriptedDialogs &u) { u.expect("to increase the length (1w)").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &, CodeId) {
             return changeWeekLength(dd, pp, 2, 1);
         }},
        {"protect first weeks", nothing,
         [](ScriptedDialogs &u) { u.expect("first week allowed to be edited").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &, CodeId) {
             return protectFirstWeeks(dd, pp);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d = makeScheduleData();
        build();
        const CodeId e = id("E");
        c.setUp(*d, e);
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs u;
        Prompter pp(u);
        WeeksState ss;
        c.script(u);
        EXPECT_FALSE(c.run(*d, pp, ss, e));
        EXPECT_FALSE(ss.ignorePlanned);
        EXPECT_EQ(dumpScheduleData(*d), before);
        EXPECT_TRUE(u.finished()) << u.problems();
    }
}

TEST_F(WeeksCommandsTest, InsertAndDeleteWeekKeepEveryLectureAndMoveDatedWeeks)
{
    build();
    setWeekDates(*d, true, 46000);
    const std::string before = dumpScheduleData(*d);
    EXPECT_TRUE(insertWeekBefore(*d, p, 1));
    EXPECT_EQ(usedWeeks(*d), 7);
    EXPECT_EQ(d->firstWeekDate, 46000 - 7);
    EXPECT_EQ(load("E").allocated[1], 0);
    EXPECT_EQ(load("E").allocated[2], 2);
    ui.expect("delete week").answer(Answer::Yes);
    EXPECT_TRUE(deleteWeekAt(*d, p, 1));
    EXPECT_EQ(d->firstWeekDate, 46000);
    // The week that comes free at the end of the table gets its number as its name.
    std::string after = dumpScheduleData(*d);
    const std::string freed = "week 255 \"255\" length 1\n";
    if (const auto at = after.find(freed); at != std::string::npos)
        after.erase(at, freed.size());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, WeeksAreNotInsertedWhenTheLastWeekOfTheCalendarHoldsLectures)
{
    // A lecture in the last week would be pushed past the week field of a slot and lost.
    const int last = weekCap(*d);
    FixtureBuilder f(*d);
    f.calendar(last, 5, 6).resources('T', {"T1"});
    f.event("E", {"T1"}, 4).allocate("E", last, last, 1);
    f.finish();
    setWeekEntry(*d, 3, "3", 2);
    const std::string before = dumpScheduleData(*d);
    ui.expect("would be lost").answer(Answer::Ok);
    EXPECT_FALSE(insertWeekBefore(*d, p, 3));
    ui.expect("How do you want to split").choose(1);
    ui.expect("would be lost").answer(Answer::Ok);
    EXPECT_FALSE(splitWeekAt(*d, p, 3));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_EQ(load("E").allocated[static_cast<std::size_t>(last)], 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, InsertBetweenScheduledWeeksMergesTheChosenDays)
{
    build();
    // E also has a period on day 4 of week 2: the new week 2 takes days 1..2 of week 1 (day 1)
    // and days 3..5 of the week after it (day 4).
    FixtureBuilder(*d).place("E", 2, 4, 2, 2);
    ui.expect("combine").answer(Answer::Yes);
    ui.expect("How do you want to combine week").choose(2);
    EXPECT_TRUE(insertWeekBefore(*d, p, 2));
    const WeekAllocation after = load("E");
    EXPECT_EQ(after.scheduled[2], 2);
    EXPECT_EQ(after.allocated[2], 2);
    EXPECT_EQ(after.scheduled[3], 2);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, SplitWeekLeavesTwoWeeksWithTheSameContents)
{
    build();
    setWeekEntry(*d, 2, "B", 3);
    ui.expect("How do you want to split the 3w of \"B\"?").choose(1);
    EXPECT_TRUE(splitWeekAt(*d, p, 2));
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].options.at(0).text, "1w + 2w = 3w");
    EXPECT_EQ(weekLength(*d, 2), 1);
    EXPECT_EQ(weekLength(*d, 3), 2);
    const WeekAllocation wa = load("E");
    EXPECT_EQ(wa.allocated[2], 2);
    EXPECT_EQ(wa.allocated[3], 2);
    EXPECT_EQ(wa.scheduled[2], wa.scheduled[3]);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, WeekLengthStaysWithinOneByte)
{
    build();
    setWeekEntry(*d, 2, "2", 255);
    const std::string before = dumpScheduleData(*d);
    ui.expect("cannot be longer than 255w").answer(Answer::Ok);
    EXPECT_FALSE(changeWeekLength(*d, p, 2, 1));
    EXPECT_EQ(dumpScheduleData(*d), before);
    setWeekEntry(*d, 2, "2", 1);
    EXPECT_FALSE(changeWeekLength(*d, p, 2, -1));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, PastedAllocationNeedsItsSourceAndAnotherEvent)
{
    build();
    ui.expect("Allocated periods of event \"E\" were copied to memory").answer(Answer::Ok);
    copyAllocation(*d, p, s, id("E"));
    ui.expect("Select another event").answer(Answer::Ok);
    EXPECT_FALSE(pasteAllocation(*d, p, s, id("E")));
    // F's T2 is free where E is placed: the timetable goes with the allocation.
    ui.expect("6 allocated and 3 scheduled periods were pasted from event \"E\" to event \"F\"")
        .answer(Answer::Ok);
    EXPECT_TRUE(pasteAllocation(*d, p, s, id("F")));
    EXPECT_EQ(load("F").allocated, load("E").allocated);
    EXPECT_EQ(load("F").scheduled, load("E").scheduled);
    EXPECT_EQ(d->codes[id("F")].allocated, 6);

    // The source is remembered by its code: once it is gone, nothing is pasted (a remembered
    // position would now name another event).
    ASSERT_TRUE(deleteCode(*d, id("E")));
    const std::string before = dumpScheduleData(*d);
    ui.expect("no longer exists").answer(Answer::Ok);
    EXPECT_FALSE(pasteAllocation(*d, p, s, id("F")));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// E's timetable goes with its allocation to an event whose resources are none of E's and are
// free where E is placed; protected and booked weeks keep their own.
TEST_F(WeeksCommandsTest, PastedAllocationTakesTheTimetableWhereTheResourcesAreFree)
{
    FixtureBuilder f(*d);
    f.calendar(6, 5, 6).resources('T', {"T1", "T2", "T3"}).resources('G', {"G1", "G2"});
    f.event("E", {"T1", "G1"}, 20).allocate("E", 1, 4, 2);
    f.place("E", 1, 1, 1, 2).place("E", 2, 1, 1, 2).place("E", 3, 2, 3, 3).place("E", 4, 1, 1, 1);
    f.event("F", {"T2", "G2"}, 20).allocate("F", 5, 5, 1).place("F", 5, 3, 1, 1);
    f.event("B", {"T3"}, 20).allocate("B", 2, 2, 1).place("B", 2, 1, 1, 1); // T3 busy then
    f.event("H", {"T3"}, 20);
    f.finish();
    setFirstOpenWeek(*d, 2);
    WeekAllocation g;
    loadWeekAllocation(*d, id("F"), g);
    g.booked[4] = 1;
    storeWeekAllocation(*d, id("F"), g);
    ui.expect("were copied to memory").answer(Answer::Ok);
    copyAllocation(*d, p, s, id("E"));

    ui.expect("4 allocated and 3 scheduled periods were pasted from event \"E\" to event "
              "\"F\"")
        .answer(Answer::Ok);
    EXPECT_TRUE(pasteAllocation(*d, p, s, id("F")));
    const WeekAllocation e = load("E"), fw = load("F");
    EXPECT_EQ(fw.allocated[1], 0) << "protected";
    EXPECT_EQ(fw.allocated[4], 0) << "booked";
    EXPECT_EQ(fw.booked[4], 1);
    for (int w = 2; w <= 3; ++w) {
        EXPECT_EQ(fw.allocated[w], e.allocated[w]) << w;
        EXPECT_EQ(fw.scheduled[w], e.scheduled[w]) << w;
    }
    EXPECT_EQ(fw.allocated[5], 0) << "replaced by E's (empty) week";
    EXPECT_EQ(fw.scheduled[5], 0);
    EXPECT_EQ(d->codes[id("F")].scheduled, 3);
    EXPECT_EQ(d->codes[id("E")].scheduled, 6) << "the source keeps its timetable";

    // T3 of H is busy where E is placed in week 2: the allocation only.
    ui.expect("6 allocated periods were pasted from event \"E\" to event \"H\"").answer(Answer::Ok);
    EXPECT_TRUE(pasteAllocation(*d, p, s, id("H")));
    EXPECT_EQ(d->codes[id("H")].scheduled, 0);
    EXPECT_EQ(load("H").allocated[3], 2);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// A week after those in use chosen: No changes nothing; Yes uses the weeks up to it, the new
// ones with default names and lengths even where a deleted week left something else.
TEST_F(WeeksCommandsTest, ChoosingAWeekAfterTheWeeksInUseAddsWeeks)
{
    build();
    setWeekEntry(*d, 8, "old", 3);
    const std::string before = dumpScheduleData(*d);
    ui.expect("Do you want to increase this maximum (6) to 8 now?").answer(Answer::No);
    EXPECT_FALSE(extendUsedWeeks(*d, p, 8));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(extendUsedWeeks(*d, p, 6)); // in use already: no question
    ui.expect("\"Weeks or terms\" in selection \"Options|Limits\"").answer(Answer::Yes);
    EXPECT_TRUE(extendUsedWeeks(*d, p, 8));
    EXPECT_EQ(usedWeeks(*d), 8);
    EXPECT_EQ(formatWeek(*d, 8, 3), "[8]");
    EXPECT_EQ(weekLength(*d, 8), 1);

    // Deleting a week frees the calendar's last week under its default name.
    ui.expect("delete week").answer(Answer::Yes);
    EXPECT_TRUE(deleteWeekAt(*d, p, 1));
    EXPECT_EQ(formatWeek(*d, weekCap(*d), 3), "[" + std::to_string(weekCap(*d)) + "]");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, StatusLineTellsWhatTheCellHolds)
{
    build();
    WeekAllocation f;
    loadWeekAllocation(*d, id("F"), f);
    f.allocated[2] = 40;
    f.booked[3] = 1;
    storeWeekAllocation(*d, id("F"), f);
    const struct
    {
        const char *code;
        int week;
        std::string text;
    } cases[] = {
        {"E", 2, "1 out of 2 h scheduled in \"[2]\""},
        {"E", 5, "0 out of 0 h scheduled in \"[5]\""},
        {"F", 2,
         "0 out of 40 h scheduled in \"[2]\" (40 allocated periods exceed 30 timetable "
         "slots)"},
        {"F", 3, "Week \"[3]\" of event \"F\" is booked ("},
        {"F", 7, "Week 7 is not in use"},
        {"F", 0, ""},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(weeksStatusText(*d, id(c.code), c.week).starts_with(c.text))
            << c.code << " " << c.week << ": " << weeksStatusText(*d, id(c.code), c.week);
}

// Dragging E's allocation: to the right the weeks from the dragged one on move, to the left
// those up to it; a protected week refuses, and a drag off the calendar's end leaves E as it was.
TEST_F(WeeksCommandsTest, DraggedAllocationMovesBetweenOpenWeeksOnly)
{
    build();
    EXPECT_TRUE(dragAllocation(*d, p, id("E"), 2, 4));
    WeekAllocation e = load("E");
    EXPECT_EQ(e.allocated[1], 2);
    EXPECT_EQ(e.allocated[2], 0);
    EXPECT_EQ(e.allocated[3], 0);
    EXPECT_EQ(e.allocated[4], 2);
    EXPECT_EQ(e.allocated[5], 2);
    EXPECT_EQ(d->codes[id("E")].allocated, 6);
    // To the left week 1 would have to move too, before the calendar.
    const std::string moved = dumpScheduleData(*d);
    ui.expect("cannot be moved to week").answer(Answer::Ok);
    EXPECT_FALSE(dragAllocation(*d, p, id("E"), 4, 3));
    EXPECT_EQ(dumpScheduleData(*d), moved);
    EXPECT_TRUE(eraseCell(*d, p, id("E"), 1));
    EXPECT_TRUE(dragAllocation(*d, p, id("E"), 4, 3));
    e = load("E");
    EXPECT_EQ(e.allocated[3], 2);
    EXPECT_EQ(e.allocated[4], 0);
    EXPECT_EQ(e.allocated[5], 2);

    setFirstOpenWeek(*d, 3);
    const std::string before = dumpScheduleData(*d);
    ui.expect("This week is protected").answer(Answer::Ok);
    EXPECT_FALSE(dragAllocation(*d, p, id("E"), 4, 2));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(dragAllocation(*d, p, id("E"), 3, 7)); // beyond the weeks in use
    EXPECT_EQ(dumpScheduleData(*d), before);
    ui.expect("would move past the weeks in use").answer(Answer::Ok);
    EXPECT_FALSE(dragAllocation(*d, p, id("E"), 3, 5)); // week 5 would go to 7
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksCommandsTest, PrerequisitesNeverMakeAnEventItsOwnPredecessor)
{
    FixtureBuilder f(*d);
    f.calendar(6, 5, 6).resources('T', {"T1"});
    f.event("M1", {"T1"}, 4).allocate("M1", 2, 3, 1);
    f.event("M2", {"T1"}, 4).allocate("M2", 1, 2, 1);
    f.finish();
    d->codes[id("M1")].name.assign("M1 basics");
    ui.expect("No event prerequisites detected").answer(Answer::Ok);
    EXPECT_TRUE(checkPrerequisites(*d, p).empty());
    d->codes[id("M2")].name.assign("after M1");
    ui.expect("not allocated to weeks according to set 1 prerequisites").choose(1);
    const auto problems = checkPrerequisites(*d, p);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].before, id("M1"));
    EXPECT_EQ(problems[0].after, id("M2"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(WeeksGridTest, PercentagesOfPlannedNeverDivideByZero)
{
    EXPECT_EQ(percentOfPlanned(3, 20), 15);
    EXPECT_EQ(percentOfPlanned(3, 0), 0);
    EXPECT_EQ(percentOfPlanned(200, 1), 20000);
}

} // namespace
