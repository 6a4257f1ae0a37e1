#include "commands/intakecommands.h"

#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "engine/codetable.h"

#include <gtest/gtest.h>

#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

// Ten weeks of MATH1 for group G1 with teacher T1, on a calendar of 24 weeks.
void buildPlan(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(24, 5, 8).resources('G', {"G1"}).resources('T', {"T1"});
    f.event("MATH1", {"G1", "T1"}, 1).allocate("MATH1", 1, 10, 1);
    for (int w = 1; w <= 10; ++w)
        f.place("MATH1", w, 1, 1, 1);
    f.finish();
}

struct OpenPlan
{
    explicit OpenPlan(const TempFolder &root) : f(root), path(root / "data/Plan.qvf")
    {
        writeSample(path, buildPlan);
        EXPECT_TRUE(openWindows(f.session, path));
    }
    SessionFixture f;
    std::string path;
};

void answerUpToMerge(ScriptedDialogs &ui)
{
    ui.expect("intake files (of 10 weeks) from your current Quivra file \"Plan\"")
        .answer(Answer::Yes);
    ui.expect("Select the resource which is about to change").choose(1);
    ui.expect("Select the format").choose(1);
    ui.expect("Select the starting weeks for the 10 week intakes").chooseFocused({1, 13}, 13);
    ui.expect("=> Plan~b").answer(Answer::Yes);
}

TEST(IntakeCommands, ThePlanBecomesTwoIntakesOnTwentyTwoWeeksUntitled)
{
    TempFolder root;
    OpenPlan o(root);
    const auto patternBytes = fileBytes(o.path);
    answerUpToMerge(o.f.ui);
    o.f.ui.expect("containing 2 events, 3 resources on 22 weeks").answer(Answer::Yes);
    o.f.ui.expect("0 conflicting cell(s) found, 0 removed.").answer(Answer::Ok);
    ASSERT_TRUE(intakeScheduling(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(o.f.ui.shown()[2].options[0].text,
              "Postfix and letter (such as: \"MATH1~b\", \"MATH1~b\")");
    const ScheduleData &d = *o.f.data;
    for (const char *code : {"MATH1~a", "MATH1~b", "G1~a", "G1~b", "T1"})
        EXPECT_NE(findCode(d, code), 0) << code;
    EXPECT_EQ(d.codeCount, 5);
    EXPECT_EQ(d.scheduleExtent.endWeek, 22);
    EXPECT_TRUE(o.f.session.untitled()) << "a plain Save cannot overwrite the pattern";
    EXPECT_EQ(fileBytes(o.path), patternBytes);
    // No intake file is written beside the pattern.
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path() / "data"), fs::directory_iterator()),
              1);
}

TEST(IntakeCommands, CancelAtAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
    };
    const Case cases[] = {
        {"continue", [](ScriptedDialogs &ui) { ui.answer(Answer::No); }},
        {"category", [](ScriptedDialogs &ui) { ui.answer(Answer::Yes).cancel(); }},
        {"format", [](ScriptedDialogs &ui) { ui.answer(Answer::Yes).choose(1).cancel(); }},
        {"weeks", [](ScriptedDialogs &ui) { ui.answer(Answer::Yes).choose(1).choose(1).cancel(); }},
        {"one intake only",
         [](ScriptedDialogs &ui) {
             ui.answer(Answer::Yes).choose(1).choose(1).chooseFocused({1}, 1);
             ui.expect("at least two intakes").answer(Answer::Ok);
         }},
        {"list",
         [](ScriptedDialogs &ui) {
             answerUpToMerge(ui);
             ui.expect("merged into one Quivra file").answer(Answer::No);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        OpenPlan o(root);
        const std::string before = dumpScheduleData(*o.f.data);
        c.script(o.f.ui);
        EXPECT_FALSE(intakeScheduling(o.f.session));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*o.f.data), before);
        EXPECT_EQ(o.f.session.currentFile(), o.path);
    }
}

// Unsaved changes of the pattern are offered for saving before the intakes replace it.
TEST(IntakeCommands, UnsavedChangesAreOfferedFirst)
{
    TempFolder root;
    OpenPlan o(root);
    o.f.data->modified = true;
    const std::string before = dumpScheduleData(*o.f.data);
    answerUpToMerge(o.f.ui);
    o.f.ui.expect("merged into one Quivra file").answer(Answer::Yes);
    o.f.ui.expect("You have modified").answer(Answer::Cancel);
    EXPECT_FALSE(intakeScheduling(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(dumpScheduleData(*o.f.data), before);
}

} // namespace
} // namespace quivra
