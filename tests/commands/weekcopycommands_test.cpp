// Copying weeks in the Weeks view through scripted dialogs: a copied week pastes onto the picked
// events only, a copy whose codes were renumbered since is refused instead of landing on other
// codes, timetables and bookings paste into later weeks, and every question cancelled leaves
// the data as they were.

#include "commands/weekcopycommands.h"

#include "commands/weeksfixture.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/dumpmarks.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class WeekCopyTest : public quivra::testing::WeeksTest
{
protected:
    // 6 weeks of 5 days × 6 bells. E (T1, G1): 2 periods in weeks 1..4, one placed in week 1;
    // F (T2): 1 period in weeks 1..4, placed in week 1. T1 has a booking in week 1.
    void build()
    {
        FixtureBuilder f(*d);
        f.calendar(6, 5, 6).resources('T', {"T1", "T2"}).resources('G', {"G1"});
        f.event("E", {"T1", "G1"}, 20).allocate("E", 1, 4, 2).place("E", 1, 1, 1, 1);
        f.event("F", {"T2"}, 6).allocate("F", 1, 4, 1).place("F", 1, 2, 3, 3);
        f.book("T1", 1, 3, 2, 1);
        f.finish();
    }

    WeeksState s;
};

TEST_F(WeekCopyTest, PastedWeekReachesThePickedEventsOnly)
{
    build();
    ui.expect("You have stored the contents of week").answer(Answer::Ok);
    copyWeekToMemory(*d, p, s, 1);
    ui.expect("Select the events you want to copy").pick({id("E")});
    EXPECT_TRUE(pasteWeekFromMemory(*d, p, s, 5));
    EXPECT_EQ(load("E").allocated[5], 2);
    EXPECT_EQ(load("E").scheduled[5], 1);
    EXPECT_EQ(load("F").allocated[5], 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeekCopyTest, CopyIsRefusedOnceItsCodesAreRenumbered)
{
    build();
    ui.expect("You have stored").answer(Answer::Ok);
    copyWeekToMemory(*d, p, s, 1);
    // T2 goes: F and the codes after T2 move one place down, so the buffer's code numbers would
    // now name other codes.
    ASSERT_TRUE(deleteCode(*d, id("T2")));
    EXPECT_FALSE(copiedWeekValid(*d, s));
    const std::string before = dumpScheduleData(*d);
    ui.expect("have changed since the week was copied").answer(Answer::Ok);
    EXPECT_FALSE(pasteWeekFromMemory(*d, p, s, 5));
    ui.expect("have changed since the week was copied").answer(Answer::Ok);
    EXPECT_FALSE(pasteWeekSpecial(*d, p, s, 5, PasteSpecial::TimetablesToWeek));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeekCopyTest, TimetablesAndBookingsPasteIntoLaterWeeks)
{
    build();
    ui.expect("You have stored").answer(Answer::Ok);
    copyWeekToMemory(*d, p, s, 1);
    ui.expect("Select the events").pick({id("E"), id("F")});
    ui.expect("Clear previously scheduled periods").answer(Answer::No);
    ui.expect("adjust the allocated periods").answer(Answer::No);
    ui.expect("6 periods scheduled to target weeks").answer(Answer::Ok);
    EXPECT_TRUE(pasteWeekSpecial(*d, p, s, 2, PasteSpecial::TimetablesToLaterWeeks));
    for (int w = 2; w <= 4; ++w) {
        EXPECT_EQ(load("E").scheduled[w], 1) << w;
        EXPECT_EQ(load("F").scheduled[w], 1) << w;
    }
    EXPECT_EQ(load("E").scheduled[5], 0); // nothing allocated there
    ui.expect("Select the timetables of bookings").pick({id("T1")});
    ui.expect("Clear the previous bookings").answer(Answer::No);
    ui.expect("1 bookings copied to timetables").answer(Answer::Ok);
    EXPECT_TRUE(pasteWeekSpecial(*d, p, s, 3, PasteSpecial::BookingsToWeek));
    EXPECT_EQ(load("T1").tableBooked[3], 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeekCopyTest, EveryQuestionCancelledChangesNothing)
{
    using Run = std::function<bool(ScheduleData &, Prompter &, WeeksState &)>;
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
        Run run;
    };
    const auto special = [](PasteSpecial item) {
        return [item](ScheduleData &dd, Prompter &pp, WeeksState &ss) {
            return pasteWeekSpecial(dd, pp, ss, 2, item);
        };
    };
    const std::vector<Case> cases = {
        {"paste week: the events",
         [](ScriptedDialogs &u) { u.expect("Select the events").cancel(); },
         [](ScheduleData &dd, Prompter &pp, WeeksState &ss) {
             return pasteWeekFromMemory(dd, pp, ss, 2);
         }},
        {"timetables: the events",
         [](ScriptedDialogs &u) { u.expect("Select the events").cancel(); },
         special(PasteSpecial::TimetablesToWeek)},
        {"timetables: clear first",
         [](ScriptedDialogs &u) {
             u.expect("Select the events").pick({4});
             u.expect("Clear previously").cancel();
         },
         special(PasteSpecial::TimetablesToWeek)},
        {"timetables: adjust",
         [](ScriptedDialogs &u) {
             u.expect("Select the events").pick({5});
             u.expect("Clear previously").answer(Answer::Yes);
             u.expect("adjust the allocated").cancel();
         },
         special(PasteSpecial::TimetablesToLaterWeeks)},
        {"bookings: the resources",
         [](ScriptedDialogs &u) { u.expect("Select the timetables of bookings").cancel(); },
         special(PasteSpecial::BookingsToLaterWeeks)},
        {"bookings: clear first",
         [](ScriptedDialogs &u) {
             u.expect("Select the timetables of bookings").pick({1});
             u.expect("Clear the previous bookings").cancel();
         },
         special(PasteSpecial::BookingsToWeek)},
        {"single day: source",
         [](ScriptedDialogs &u) { u.expect("copy schedules from:").cancel(); },
         special(PasteSpecial::SingleDay)},
        {"single day: target",
         [](ScriptedDialogs &u) {
             u.expect("copy schedules from:").choose(1);
             u.expect("to:").cancel();
         },
         special(PasteSpecial::SingleDay)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d = makeScheduleData();
        build();
        ScriptedDialogs u;
        Prompter pp(u);
        WeeksState ss;
        u.expect("You have stored").answer(Answer::Ok);
        copyWeekToMemory(*d, pp, ss, 1);
        const std::string before = dumpScheduleData(*d);
        c.script(u);
        EXPECT_FALSE(c.run(*d, pp, ss));
        EXPECT_EQ(withoutMarks(dumpScheduleData(*d)), before);
        EXPECT_TRUE(u.finished()) << u.problems();
    }
}

TEST_F(WeekCopyTest, TimetableCopiesIntoTheEventsLaterWeeks)
{
    build();
    FixtureBuilder(*d).place("E", 3, 4, 4, 4);
    const std::string before = dumpScheduleData(*d);
    ui.expect("Do you first want to unschedule \"E\"").cancel();
    EXPECT_FALSE(copyTimetableToLaterWeeks(*d, p, id("E"), 1));
    EXPECT_EQ(dumpScheduleData(*d), before);
    ui.expect("Do you first want to unschedule").answer(Answer::Yes);
    ui.expect("3 scheduled periods of event \"E\" were copied").answer(Answer::Ok);
    EXPECT_TRUE(copyTimetableToLaterWeeks(*d, p, id("E"), 1));
    for (int w = 2; w <= 4; ++w)
        EXPECT_EQ(load("E").scheduled[w], 1) << w;
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeekCopyTest, CompareWeekListsTheEventsThatDiffer)
{
    build();
    ui.expect("Select the week to compare").choose(2);
    ui.expect("2 events with differences").choose(1);
    EXPECT_EQ(compareWeeks(*d, p, 1), id("E"));
    const auto &list = ui.shown().back().options;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0].text.find("[W=0h,T=1h]"), std::string::npos) << list[0].text;
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
