// Cycling timetables through scripted dialogs: the questions and their texts, the map the user
// edits, the refusal of a roll-out that would overwrite lectures, and Cancel at every step.

#include "commands/cyclingcommands.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class CyclingCommandsTest : public ::testing::Test
{
protected:
    CyclingCommandsTest() : d(makeScheduleData()), f(*d), p(ui) {}

    // Six cycle days over five days in use: cycle 1 = week 1 day 1 (E1, bell 1), cycle 3 =
    // week 1 day 3 (E2, bell 2), cycle 6 = week 2 day 1 (E1, bell 3). With `lastWeek` above 2
    // E1 also meets in that week, far into the calendar.
    void buildCycles(int lastWeek = 2)
    {
        f.calendar(lastWeek, 5, 4).resources('G', {"G1", "G2"});
        f.event("E1", {"G1"}, 3).allocate("E1", 1, 2, 1).place("E1", 1, 1, 1, 1);
        f.place("E1", 2, 1, 3, 3);
        if (lastWeek > 2)
            f.allocate("E1", lastWeek, lastWeek, 1).place("E1", lastWeek, 2, 1, 1);
        f.event("E2", {"G2"}, 1).allocate("E2", 1, 1, 1).place("E2", 1, 3, 2, 2);
        f.finish();
    }

    bool placedAt(std::string_view event, int w, int day, int bell)
    {
        WeekTimetable t;
        weekTimetableOf(*d, f.id(event), w, t);
        return t.cell(day, bell) != 0 && cellCode(*d, t.cell(day, bell)) == f.id(event);
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(CyclingCommandsTest, RollsOutTheCyclesSkippingTheRemovedDays)
{
    buildCycles();
    ui.expect("\r\nSelect the number of cycles (=required days in the timetable)").choose(6);
    ui.expect("The days 1 ... 6 of the timetable are stored in the first 2 weeks. Is this "
              "correct?")
        .answer(Answer::Yes);
    ui.expect("Next they are copied and rearranged to weeks 3 ... 8. Yes?").answer(Answer::Yes);
    ui.expect("Map for the new timetables").choose({3}); // week 3, day 3: a holiday
    ui.expect("Map for the new timetables").choose({});
    ui.expect("29 days were copied to weeks 3 ... 8.").answer(Answer::Ok);
    EXPECT_TRUE(cycleTimetables(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();

    const ShownDialog &cycles = ui.shown()[0];
    EXPECT_EQ(cycles.options.size(), 10u); // five days times the two weeks with lectures
    EXPECT_EQ(cycles.checked, (std::vector<int>{9}));
    EXPECT_EQ(cycles.helpTopic, CyclingHelpTopic);
    const ShownDialog &map = ui.shown()[3];
    EXPECT_EQ(map.caption, "Cycle table");
    ASSERT_EQ(map.options.size(), 30u);
    EXPECT_EQ(map.options[2].text, "Week 3, day 3 = Cycle 3");
    EXPECT_EQ(map.options[6].text, "Week 4, day 2 = Cycle 1");
    const ShownDialog &again = ui.shown()[4];
    ASSERT_EQ(again.options.size(), 29u);
    EXPECT_EQ(again.options[2].text, "Week 3, day 4 = Cycle 3");
    EXPECT_EQ(again.options[28].text, "Week 8, day 5 = Cycle 5");

    EXPECT_TRUE(placedAt("E1", 3, 1, 1));  // cycle 1
    EXPECT_FALSE(placedAt("E2", 3, 3, 2)); // the removed day gets nothing
    EXPECT_TRUE(placedAt("E2", 3, 4, 2));  // cycle 3 one day later
    EXPECT_TRUE(placedAt("E1", 4, 2, 3));  // cycle 6 one day later
    EXPECT_EQ(usedWeeks(*d), 8);
    EXPECT_EQ(d->weeks[8].name.view(), "[New]");
}

TEST_F(CyclingCommandsTest, TheDesktopMapEditorReceivesTheMap)
{
    buildCycles();
    int seenCycles = 0;
    const CycleMapEditor editor = [&](std::vector<CycleDay> &lines, int c) {
        seenCycles = c;
        EXPECT_EQ(cycleMapTexts(lines, c)[5], "Week 4, day 1 = Cycle 6");
        removeCycleLines(lines, {7, 2, 2, 99}); // repeated and missing lines are ignored
        const std::vector<std::string> texts = cycleMapTexts(lines, c);
        EXPECT_EQ(texts[2], "Week 3, day 4 = Cycle 3");
        EXPECT_EQ(texts[6], "Week 4, day 4 = Cycle 1");
        lines.resize(6);
        return true;
    };
    ui.choose(6).answer(Answer::Yes).answer(Answer::Yes);
    ui.expect("6 days were copied").answer(Answer::Ok);
    EXPECT_TRUE(cycleTimetables(*d, p, editor));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(seenCycles, 6);
    EXPECT_TRUE(placedAt("E1", 4, 2, 3)); // line 5 (week 4, day 2) received cycle 6
}

TEST_F(CyclingCommandsTest, RefusesToOverwriteWeeksThatHoldLectures)
{
    buildCycles(252);
    const std::string before = dumpScheduleData(*d);
    // The cycles would go to weeks 250 ... 255 (the calendar ends at 255), over week 252.
    ui.choose(6).answer(Answer::Yes);
    ui.expect("Week 250 already holds lectures; the cycles would overwrite them.")
        .answer(Answer::Ok);
    EXPECT_FALSE(cycleTimetables(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_TRUE(dumpScheduleData(*d) == before);
}

TEST_F(CyclingCommandsTest, EveryQuestionCancelsWithoutChange)
{
    buildCycles();
    const std::string before = dumpScheduleData(*d);
    const std::vector<std::pair<const char *, std::function<void(ScriptedDialogs &)>>> cases = {
        {"cycles", [](ScriptedDialogs &s) { s.cancel(); }},
        {"sources", [](ScriptedDialogs &s) { s.choose(6).answer(Answer::No); }},
        {"targets", [](ScriptedDialogs &s) { s.choose(6).answer(Answer::Yes).answer(Answer::No); }},
        {"map",
         [](ScriptedDialogs &s) { s.choose(6).answer(Answer::Yes).answer(Answer::Yes).cancel(); }},
        {"map after a removal",
         [](ScriptedDialogs &s) {
             s.choose(6).answer(Answer::Yes).answer(Answer::Yes).choose({1}).cancel();
         }},
    };
    for (const auto &[name, script] : cases) {
        SCOPED_TRACE(name);
        script(ui);
        EXPECT_FALSE(cycleTimetables(*d, p));
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_TRUE(dumpScheduleData(*d) == before);
    }
}

} // namespace
