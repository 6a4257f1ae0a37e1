#include "commands/selectioncommands.h"

#include "commands/sessionfixture.h"
#include "engine/codetable.h"
#include "engine/collections.h"

#include <gtest/gtest.h>

#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

// Subjects S 4, students P 5: two Maths events with three and one students, and a locked Art
// event.
void buildSchool(ScheduleData &d)
{
    d.resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$S:Subjects$P:Students$");
    FixtureBuilder f(d);
    f.calendar(1, 5, 8).resources('S', {"Maths", "Art"});
    f.resources('P', {"P1", "P2", "P3", "P4", "P5"}).resources('T', {"T1"});
    f.event("M1", {"Maths", "T1", "P1", "P2", "P3"}).event("M2", {"Maths", "P4"});
    f.event("A1", {"Art"});
    f.finish();
    d.codes[f.id("A1")].flags |= LockedBit;
}

struct School
{
    explicit School(const TempFolder &root) : f(root)
    {
        buildSchool(*f.data);
        f.settings.preferences.studentsCategory = 5;
        f.settings.preferences.subjectsCategory = 4;
    }
    // A review that answers `accept` and keeps what it showed.
    ReviewChanges review(bool accept)
    {
        return [this, accept](const ChangeReview &list) {
            shown.push_back(list);
            return accept;
        };
    }
    SessionFixture f;
    MemoryClipboard clipboard;
    std::vector<ChangeReview> shown;
};

// Up to the locked events' question of a method.
void askUpToLocks(ScriptedDialogs &ui, int method)
{
    ui.expect("Select the method").choose(method);
    if (method == 1)
        ui.expect("Select the events to add").choose(3);
    if (method == 2)
        ui.expect("criteria").choose(3).expect("goal").choose(1);
    ui.expect("\"Students\"").choose(5).expect("\"Subjects\"").choose(4);
}

TEST(SelectionCommands, CancelAtAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *name;
        std::string clipboard;
        std::function<void(ScriptedDialogs &)> script;
    };
    const Case cases[] = {
        {"method", "", [](ScriptedDialogs &ui) { ui.cancel(); }},
        {"events", "", [](ScriptedDialogs &ui) { ui.choose(1).cancel(); }},
        {"criteria", "", [](ScriptedDialogs &ui) { ui.choose(2).cancel(); }},
        {"goal", "", [](ScriptedDialogs &ui) { ui.choose(2).choose(3).cancel(); }},
        {"students", "", [](ScriptedDialogs &ui) { ui.choose(3).cancel(); }},
        {"subjects", "", [](ScriptedDialogs &ui) { ui.choose(3).choose(5).cancel(); }},
        {"locked events", "",
         [](ScriptedDialogs &ui) {
             askUpToLocks(ui, 3);
             ui.expect("locked events?").answer(Answer::Cancel);
         }},
        {"empty clipboard", "",
         [](ScriptedDialogs &ui) {
             askUpToLocks(ui, 1);
             ui.answer(Answer::Yes).expect("copying the selection matrix").answer(Answer::No);
         }},
        {"no pair in the matrix", "T1\tM1\r\n",
         [](ScriptedDialogs &ui) {
             askUpToLocks(ui, 1);
             ui.answer(Answer::Yes).expect("feasible selection matrix").answer(Answer::Ok);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        School o(root);
        o.clipboard.setText(c.clipboard);
        const std::string before = dumpScheduleData(*o.f.data);
        c.script(o.f.ui);
        EXPECT_FALSE(selectionOptimisation(o.f.session, o.clipboard, o.review(true)));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*o.f.data), before);
        EXPECT_TRUE(o.shown.empty());
    }
}

// Balancing moves one student from M1 (3) to M2 (1); Reject restores the collections as they
// were, Accept keeps the move.
TEST(SelectionCommands, RejectRestoresAcceptKeeps)
{
    for (const bool accept : {false, true}) {
        SCOPED_TRACE(accept ? "accept" : "reject");
        TempFolder root;
        School o(root);
        const std::string before = dumpScheduleData(*o.f.data);
        askUpToLocks(o.f.ui, 3);
        o.f.ui.expect("locked events?").answer(Answer::No);
        o.f.ui.expect("1...3 students (before)").answer(Answer::Ok);
        if (!accept)
            o.f.ui.expect("All 1 changes rejected.").answer(Answer::Ok);
        EXPECT_EQ(selectionOptimisation(o.f.session, o.clipboard, o.review(accept)), accept);
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        ASSERT_EQ(o.shown.size(), 1u);
        EXPECT_EQ(o.shown[0].caption, "Balance the number of students in events");
        EXPECT_EQ(o.shown[0].lines, std::vector<std::string>{"P1: M1 -> M2"});
        if (accept)
            EXPECT_EQ(collectionOf(*o.f.data, findCode(*o.f.data, "M2"))[0], 3);
        else
            EXPECT_EQ(dumpScheduleData(*o.f.data), before);
    }
}

// P5 joins the emptier Maths event; P1 takes Maths already and is left where it is; the locked
// Art event stays out, so that pair is offered to the clipboard as "subject TAB student".
TEST(SelectionCommands, MatrixAdditionsAndLeftoversOnTheClipboard)
{
    TempFolder root;
    School o(root);
    o.clipboard.setText("P5\tMaths\tArt\r\nP1\tMaths\r\n");
    askUpToLocks(o.f.ui, 1);
    o.f.ui.expect("(1) locked events?").answer(Answer::No);
    o.f.ui.expect("All selections = 3").answer(Answer::Ok);
    o.f.ui.expect("Copy not used resource combinations (1)").answer(Answer::Yes);
    EXPECT_TRUE(selectionOptimisation(o.f.session, o.clipboard, o.review(true)));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    ASSERT_EQ(o.shown.size(), 1u);
    EXPECT_EQ(o.shown[0].lines, std::vector<std::string>{"M2: P5"});
    EXPECT_EQ(o.clipboard.text(), "Art\tP5\r\n");
}

} // namespace
} // namespace quivra
