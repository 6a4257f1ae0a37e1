// The optimisation dialog's settings in the settings file, and its questions through the
// Prompter and scripted dialogs: the tools' event picker, the choice of an imitated event, exam
// scheduling and the information box that ends a run.

#include "commands/optimisecommands.h"
#include "files/settings.h"
#include "optimise/optimisationsession.h"
#include "support/fixture.h"
#include "support/generator.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quivra;

namespace {

std::vector<int> numbers(const ShownDialog &shown)
{
    std::vector<int> out;
    for (const OptionItem &o : shown.options)
        out.push_back(o.number);
    return out;
}

class OptimiseCommandsTest : public ::testing::Test
{
protected:
    OptimiseCommandsTest() : d(makeScheduleData()), f(*d), p(ui), tools(*d, p) {}

    // E1 placed in full, E2 placed in part, E3 not at all.
    void buildSchool()
    {
        f.calendar(1, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("E1", {"G1", "T1"}, 2).allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
        f.event("E2", {"G2", "T2"}, 2).allocate("E2", 1, 1, 2).place("E2", 1, 2, 1, 1);
        f.event("E3", {"G2", "T1"}, 1).allocate("E3", 1, 1, 1);
        f.finish();
        settings.initial = defaultInitialSettings(*d);
    }
    int mark(const char *code) const { return d->codes[f.id(code)].flags & LinkMarksMask; }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    PromptedToolDialogue tools;
    OptimisationSessionSettings settings;
};

TEST_F(OptimiseCommandsTest, SettingsFileRoundTrip)
{
    buildSchool();
    Settings s;
    s.optimize.gapWeight = {0, 3, 12, -1, 1, 1, 1, 1};
    s.optimize.blocks = {{21, 5}, {995, 7}}; // bell 2 day 1; a key beyond the slots
    s.optimize.methods = 5;                  // a bit the dialog has no control for
    s.optimize.seconds = 45;

    // A seed below 65535 follows the day; a larger one is kept.
    const std::pair<std::int32_t, std::uint32_t> seeds[] = {
        {0, 46001}, {65534, 46001}, {-5, 46001}, {65535, 65535}, {123456, 123456}};
    for (const auto &[stored, used] : seeds) {
        s.optimize.randSeed = stored;
        const OptimisationSessionSettings o = optimisationSessionSettings(*d, s, 46001);
        EXPECT_EQ(o.initial.seed, used) << stored;
        EXPECT_EQ(o.optimiser.seed, used) << stored;
    }

    s.optimize.randSeed = 7;
    OptimisationSessionSettings o = optimisationSessionSettings(*d, s, 46001);
    EXPECT_EQ(o.optimiser.gapWeights[1], 3);
    EXPECT_EQ(o.optimiser.gapWeights[2], 9);
    EXPECT_EQ(o.optimiser.gapWeights[3], 0);
    EXPECT_EQ(o.initial.slotBlocks[2][1], 5);
    EXPECT_EQ(o.optimiser.maxSeconds, 45);
    o.optimiser.gapWeights[1] = 4;
    o.optimiser.maxSeconds = 12.5;
    Settings back = s;
    storeOptimisationSessionSettings(o, *d, back);
    EXPECT_EQ(back.optimize.randSeed, 46001); // the day's seed is written back
    EXPECT_EQ(back.optimize.gapWeight[1], 4);
    EXPECT_EQ(back.optimize.methods, 5);
    EXPECT_EQ(back.optimize.seconds, 12);
    EXPECT_EQ(back.optimize.blocks.at(21), 5);
    EXPECT_EQ(back.optimize.blocks.at(995), 7); // kept as it was
}

// Exam scheduling stays on for the open file from one opening of the dialog to the next; its
// categories come from and go back to the preferences; a new file starts with it off.
TEST_F(OptimiseCommandsTest, ExamModeIsKeptForTheOpenFile)
{
    buildSchool();
    Settings s;
    s.preferences.examCategory = 2;
    s.preferences.studentsCategory = 1;
    OptimisationSessionSettings o = optimisationSessionSettings(*d, s, 46001);
    EXPECT_FALSE(o.initial.exam.on);
    EXPECT_EQ(o.initial.exam.eventCategory, 2);
    EXPECT_EQ(o.initial.exam.studentsCategory, 1);
    o.initial.exam = ExamMode{true, true, 3, 2};
    storeOptimisationSessionSettings(o, *d, s);
    EXPECT_EQ(s.preferences.examCategory, 3);
    EXPECT_EQ(s.preferences.studentsCategory, 2);

    const OptimisationSessionSettings again = optimisationSessionSettings(*d, s, 46001);
    EXPECT_TRUE(again.initial.exam.on);
    EXPECT_TRUE(again.initial.exam.twoDays);
    EXPECT_EQ(again.initial.exam.eventCategory, 3);
    EXPECT_EQ(again.initial.exam.studentsCategory, 2);

    clearScheduleData(*d);
    EXPECT_FALSE(optimisationSessionSettings(*d, s, 46001).initial.exam.on);
    EXPECT_EQ(optimisationSessionSettings(*d, s, 46001).initial.exam.eventCategory, 3);
    // A category the settings cannot name falls back to the usual one.
    s.preferences.examCategory = 0;
    EXPECT_EQ(optimisationSessionSettings(*d, s, 46001).initial.exam.eventCategory, 6);
}

TEST_F(OptimiseCommandsTest, ToolPickerOffersTheToolsEventsAndKeepsTheLastChoice)
{
    buildSchool();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2"), e3 = f.id("E3");
    OptimisationSession dialog(*d, settings, tools);
    // Nothing chosen before: every offered event is checked; the user keeps E3 only.
    ui.expect("Select events for \"Initial solution\"").choose(e3);
    ASSERT_TRUE(dialog.chooseTool(Tool::InitialSolution));
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_TRUE(ui.shown()[0].multiple);
    EXPECT_EQ(numbers(ui.shown()[0]), (std::vector<int>{e2, e3}));
    EXPECT_EQ(ui.shown()[0].checked, (std::vector<int>{e2, e3}));
    EXPECT_EQ(mark("E1"), 0);
    EXPECT_EQ(mark("E2"), 0);
    EXPECT_EQ(mark("E3"), 1);

    // The optimiser offers what is placed; the last choice is not among it, so all are checked.
    ui.expect("Select events for \"Optimise timetables\"").choose({e1});
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    EXPECT_EQ(numbers(ui.shown()[1]), (std::vector<int>{e1, e2}));
    EXPECT_EQ(ui.shown()[1].checked, (std::vector<int>{e1, e2}));
    // Again: E1 stays checked; Cancel changes nothing.
    ui.cancel();
    dialog.pickEvents();
    EXPECT_EQ(ui.shown()[2].checked, (std::vector<int>{e1}));
    EXPECT_EQ(mark("E1"), 1);
    EXPECT_EQ(mark("E3"), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(OptimiseCommandsTest, ImitationAndExamSchedulingAskThroughThePrompter)
{
    buildSchool();
    const CodeId e1 = f.id("E1");
    ui.expect("Select the event").choose(e1);
    EXPECT_EQ(chooseImitationTarget(*d, tools), e1);
    EXPECT_EQ(ui.shown()[0].options.size(), 2u);
    EXPECT_EQ(ui.shown()[0].options[0].text, "1: E1:Name of E1 (2 h scheduled)");
    ui.cancel();
    EXPECT_EQ(chooseImitationTarget(*d, tools), 0);

    ExamMode exam;
    ui.expect("When this option is turned on").answer(Answer::Yes);
    ui.expect("Select the event category for \"Exams\"").choose(1);
    ui.expect("Select the resource category for \"Students\"").choose(2);
    ui.expect("as Exams category and \"Teachers\" as Students category?").answer(Answer::Yes);
    ui.expect("two consecutive days").answer(Answer::No);
    EXPECT_TRUE(toggleExamMode(*d, exam, tools));
    EXPECT_EQ(exam.eventCategory, 1);
    EXPECT_EQ(exam.studentsCategory, 2);
    EXPECT_FALSE(exam.twoDays);
    ui.expect("Exam scheduling is turned off").answer(Answer::Ok);
    EXPECT_FALSE(toggleExamMode(*d, exam, tools));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// The run's own stop rule ends it with the information box the scripted dialogs see.
TEST_F(OptimiseCommandsTest, StopRuleEndsTheRunWithTheInformationBox)
{
    generateInstitution(*d, smallInstitution(3));
    settings.initial = defaultInitialSettings(*d);
    settings.optimiser.fruitlessCycles = 1;
    settings.optimiser.roundLimit = 50; // the other rule with the same box, should it come first
    OptimisationSession dialog(*d, settings, tools);
    const std::vector<CodeId> offered = pickerEvents(*d, Tool::Optimise);
    ASSERT_GE(offered.size(), 3u);
    ui.expect("Select events for \"Optimise timetables\"")
        .choose({offered[0], offered[1], offered[2]});
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    ui.expect("Optimisation was interrupted by Quivra, since no improvements could be made")
        .answer(Answer::Ok);
    const SessionRun run = dialog.start();
    EXPECT_TRUE(run.optimised.interrupted);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
