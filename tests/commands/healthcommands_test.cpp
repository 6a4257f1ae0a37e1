// The check commands' dialogues: the health check stage by stage, the loads and swaps, the
// quality list.

#include "commands/healthcommands.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

namespace quivra {
namespace {

// Something for every stage but the missing elements: a counted conflict source, a conflict of
// X and Y in G1 (whose collections are also identical), T1 with 45 periods in a week of 40
// slots, the teachers short of one more teacher in week 2, and NOONE, G9 and R9 unused.
std::unique_ptr<ScheduleData> troubledSchool()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 8).resources('G', {"G1", "G9"}).resources('T', {"T1", "T2", "T3"});
    f.resources('R', {"R9"});
    f.event("BIG", {"T1"}, 45).event("E2", {"T2"}, 40).event("E3", {"T3"}, 40);
    f.event("X", {"G1"}, 1).event("Y", {"G1"}, 1).event("NOONE", {});
    f.allocate("BIG", 2, 2, 45).allocate("E2", 2, 2, 40).allocate("E3", 2, 2, 40);
    f.allocate("X", 1, 1, 1).allocate("Y", 1, 1, 1);
    f.place("X", 1, 1, 1, 1).place("Y", 1, 1, 1, 1);
    f.finish();
    noteConflictSource(*d, 1, 46000);
    d->modified = false;
    return d;
}

struct Step
{
    const char *text;
    int answer;
};

// The whole dialogue when every question is answered to go on.
const std::vector<Step> FullTranscript = {
    {"Your Quivra file contains conflicts which will be removed if you select [Yes]:\r\n\r\n - 1 "
     "conflict(s) from Timetables view: \"Edit|Check available rooms\"\r\n",
     Answer::No},
    {"Do you want to remove 1 conflicts and 0 manual room overlaps now?", Answer::Yes},
    {"Critical errors: 5 periods in 1 events and weeks exceed the maximum number 40 (=8x5)",
     Answer::Yes},
    {"you need to add 1 more resource(s)", Answer::Yes},
    {"1. (45h>40h) T1:Name of T1 (Teachers)  - ([2])\r\n", Answer::Yes},
    {"Miscellaneous hints and tips:\r\n\r\n1. 1 (out of 6) events have no resources", Answer::Yes},
    {"1 out of 6 events have identical lists of resources, 0 out of 1 have identical names.",
     Answer::Yes},
    {"1 (out of 6) events do not have any resources\r\n2 (out of 6) resources are never used.",
     Answer::Yes},
    {"Are you sure to remove 3 resources and events - this is not mandatory?", Answer::Yes},
    {"1 events and 2 resources removed.", Answer::Ok},
    {"Summary:\r\n\r\nCodes:\r\n- 5 events and 4 resources", Answer::Ok},
};

TEST(HealthCheckDialogue, EveryStageAskedInOrderAndTheRepairsMade)
{
    auto d = troubledSchool();
    ScriptedDialogs ui;
    for (const Step &s : FullTranscript)
        ui.expect(s.text).answer(s.answer);
    Prompter p(ui);
    EXPECT_EQ(healthCheck(*d, p), HealthOutcome::Completed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(ui.shown()[1].helpTopic, HealthConflictsHelp);
    EXPECT_EQ(ui.shown()[9].helpTopic, HealthRemovedHelp);
    EXPECT_EQ(ui.shown()[10].helpTopic, SummaryHelp);
    // No kept the counter; Yes removed the conflict and the unused codes.
    EXPECT_EQ(conflictSourceCount(*d, 1), 1);
    EXPECT_EQ(findCode(*d, "NOONE"), 0);
    EXPECT_EQ(findCode(*d, "G9"), 0);
    EXPECT_NE(findCode(*d, "G1"), 0);
    EXPECT_EQ(d->codes[findCode(*d, "Y")].scheduled, 0);
    for (int c = 1; c <= d->codeCount; ++c)
        EXPECT_TRUE(d->codes[c].flags & 1) << "marked " << c;
}

TEST(HealthCheckDialogue, NoAtAStageEndsTheCheckWithoutSummaryOrRemoval)
{
    // Each stage that asks whether to go on: answered No, nothing after it is shown.
    for (std::size_t k = 2; k <= 6; ++k) {
        SCOPED_TRACE(FullTranscript[k].text);
        auto d = troubledSchool();
        ScriptedDialogs ui;
        for (std::size_t i = 0; i < k; ++i)
            ui.expect(FullTranscript[i].text).answer(FullTranscript[i].answer);
        ui.expect(FullTranscript[k].text).answer(Answer::No);
        Prompter p(ui);
        EXPECT_EQ(healthCheck(*d, p), HealthOutcome::Ended);
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_NE(findCode(*d, "NOONE"), 0);
    }
}

TEST(HealthCheckDialogue, RepairQuestionsAndTheRemovalOnlyDeclineTheirChange)
{
    struct Case
    {
        const char *name;
        std::vector<Step> script;
        bool counterKept;
        bool unusedKept;
    };
    std::vector<Step> declineRemoval(FullTranscript.begin(), FullTranscript.begin() + 7);
    declineRemoval.push_back({FullTranscript[7].text, Answer::No});
    declineRemoval.push_back({"Summary:", Answer::Ok});
    std::vector<Step> notSure(FullTranscript.begin(), FullTranscript.begin() + 8);
    notSure.push_back({FullTranscript[8].text, Answer::No});
    notSure.push_back({"Summary:", Answer::Ok});
    // Yes at the first stage removes the conflict with the counter: the second stage is silent.
    std::vector<Step> sourcesRemoved = {{FullTranscript[0].text, Answer::Yes}};
    sourcesRemoved.insert(sourcesRemoved.end(), FullTranscript.begin() + 2, FullTranscript.end());
    const Case cases[] = {
        {"removal declined", declineRemoval, true, true},
        {"not sure", notSure, true, true},
        {"conflict sources removed", sourcesRemoved, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = troubledSchool();
        ScriptedDialogs ui;
        for (const Step &s : c.script)
            ui.expect(s.text).answer(s.answer);
        Prompter p(ui);
        EXPECT_EQ(healthCheck(*d, p), HealthOutcome::Completed);
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_EQ(conflictSourceCount(*d, 1), c.counterKept ? 1 : 0);
        EXPECT_EQ(findCode(*d, "NOONE") != 0, c.unusedKept);
    }
}

TEST(HealthCheckDialogue, ANewFileListsWhatIsMissing)
{
    auto d = makeScheduleData();
    ScriptedDialogs ui;
    ui.expect("1. No resources have been created yet.").answer(Answer::No);
    Prompter p(ui);
    EXPECT_EQ(healthCheck(*d, p), HealthOutcome::Ended);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_NE(ui.shown()[0].text.find("2. No events have been created yet."), std::string::npos);
}

TEST(LoadsDialogue, ChoosingAnOverloadedTeacherAndConfirmingTheBestSwap)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6).resources('T', {"T1", "T2"});
    f.event("A", {"T1"}, 24).event("E", {"T1"}, 6).event("B", {"T2"}, 18);
    f.allocate("A", 1, 1, 10).allocate("A", 2, 2, 6).allocate("A", 3, 3, 8);
    f.allocate("E", 1, 3, 2).allocate("B", 1, 3, 6);
    f.finish();

    ScriptedDialogs ui;
    ui.choose(8);                                           // all resources
    ui.choose(1);                                           // from week 1
    ui.expect("All periods fit in 5x6=30 slots").choose(1); // (12 h, week 1) T1
    ui.expect("Do you want to swap \"T1\" with another resource (of \"Teachers\") of another "
              "event to balance weekly periods (2 options found)?")
        .answer(Answer::Yes);
    ui.expect("The number (eg. -2) indicates").choose(1);
    ui.expect("Do you want to swap \"T1\" of event \"E\" with \"T2\" of the same event \"E\" ?"
              "\r\n\r\nThis will reduce the maximum weekly periods by 2")
        .answer(Answer::Yes);
    ui.expect("The list of weekly periods of 2 resources").cancel();
    Prompter p(ui);
    EXPECT_TRUE(maximumWeeklyPeriods(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(ui.shown()[2].caption, "Maximum weekly periods");
    EXPECT_EQ(ui.shown()[2].options[0].text, "(12 h, [1]: 1w) T1 (Teachers)");
    EXPECT_EQ(ui.shown()[4].options[1].text, "Swap T1 (A) with T2 (B)? (-2)");
    const MemberList m = collectionOf(*d, f.id("E"));
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[1], f.id("T2"));
}

// The Events view's "Optimise resource usage" runs the same loop for every category from week
// 1, without the two opening questions; whatever is declined or cancelled swaps nothing.
TEST(LoadsDialogue, ResourceUsageDeclinedAtAnyQuestionChangesNothing)
{
    const auto overloaded = [](ScriptedDialogs &s) {
        s.expect("All periods fit in 5x6=30 slots").choose(1);
    };
    const auto offer = [](ScriptedDialogs &s, int answer) {
        s.expect("Do you want to swap \"T1\" with another resource").answer(answer);
    };
    const auto listAgain = [](ScriptedDialogs &s) {
        s.expect("The list of weekly periods of 2 resources").cancel();
    };
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
    };
    const std::vector<Case> cases = {
        {"list", [](ScriptedDialogs &s) { s.expect("All periods fit").cancel(); }},
        {"offer",
         [&](ScriptedDialogs &s) {
             overloaded(s);
             offer(s, Answer::No);
             listAgain(s);
         }},
        {"options",
         [&](ScriptedDialogs &s) {
             overloaded(s);
             offer(s, Answer::Yes);
             s.expect("The number (eg. -2) indicates").cancel();
         }},
        {"swap",
         [&](ScriptedDialogs &s) {
             overloaded(s);
             offer(s, Answer::Yes);
             s.expect("The number (eg. -2) indicates").choose(1);
             s.expect("This will reduce the maximum weekly periods by 2").answer(Answer::No);
             listAgain(s);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('T', {"T1", "T2"});
        f.event("A", {"T1"}, 24).event("E", {"T1"}, 6).event("B", {"T2"}, 18);
        f.allocate("A", 1, 1, 10).allocate("A", 2, 2, 6).allocate("A", 3, 3, 8);
        f.allocate("E", 1, 3, 2).allocate("B", 1, 3, 6);
        f.finish();
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs ui;
        c.script(ui);
        Prompter p(ui);
        EXPECT_FALSE(optimiseResourceUsage(*d, p, 0, 1));
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_EQ(dumpScheduleData(*d), before);
        EXPECT_FALSE(d->modified);
    }
}

TEST(QualityDialogue, TheChosenRowNamesTheTimetableToOpen)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 8).resources('T', {"T1", "T2"});
    f.event("A", {"T1"}, 2).allocate("A", 2, 2, 2).place("A", 2, 1, 1, 1).place("A", 2, 1, 4, 4);
    f.event("B", {"T2"}, 2).allocate("B", 1, 1, 2).place("B", 1, 1, 1, 1).place("B", 1, 1, 3, 3);
    f.finish();
    ScriptedDialogs ui;
    ui.choose(1);
    ui.expect("2x2=4 timetables in 2 week(s) sorted by gaps.").choose(1);
    Prompter p(ui);
    const auto choice = timetableQualityList(*d, p, false);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->resource, f.id("T1"));
    EXPECT_EQ(choice->week, 2);
    EXPECT_EQ(ui.shown()[1].caption, "Timetable quality");
}

} // namespace
} // namespace quivra
