// Combining events through scripted dialogs: every question cancelled leaves the data as they
// were, a combined event holds both events' periods, and the kept event's code, memo and
// collection come out whole.

#include "commands/eventcombine.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class EventCombineTest : public ::testing::Test
{
protected:
    EventCombineTest() : d(makeScheduleData()), f(*d), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::vector<CodeId> collection(std::string_view code) const
    {
        const MemberList m = collectionOf(*d, findCode(*d, code));
        return {m.begin() + 1, m.begin() + 1 + m[0]};
    }

    // E1 and E2 share T1 and G1 (E2 in the other order) and meet in different cells of week 1;
    // E3 has other resources. E1 carries a memo.
    void buildIdentical()
    {
        FixtureBuilder fx(*d);
        fx.calendar(2, 2, 4).resources('T', {"T1", "T2"}).resources('G', {"G1"});
        fx.event("E1", {"T1", "G1"}, 2).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
        fx.event("E2", {"G1", "T1"}, 3).allocate("E2", 1, 2, 1).place("E2", 1, 2, 3, 3);
        fx.event("E3", {"T2"}, 1);
        fx.memo("E1", "kept event's memo");
        fx.finish();
    }

    // A1 (T1) and A2 (T2) meet in the same cell with equal allocations; A3 (T3) meets elsewhere.
    void buildDisjoint()
    {
        FixtureBuilder fx(*d);
        fx.calendar(1, 2, 4).resources('T', {"T1", "T2", "T3"});
        fx.event("A1", {"T1"}, 1).allocate("A1", 1, 1, 1).place("A1", 1, 1, 2, 2);
        fx.event("A2", {"T2"}, 1).allocate("A2", 1, 1, 1).place("A2", 1, 1, 2, 2);
        fx.event("A3", {"T3"}, 1).allocate("A3", 1, 1, 1).place("A3", 1, 2, 1, 1);
        fx.finish();
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(EventCombineTest, EveryQuestionCancelledChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
    };
    const std::vector<Case> cases = {
        {"first question", [](ScriptedDialogs &s) { s.expect("searches for pairs").cancel(); }},
        {"pair question",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").cancel();
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
        {"pair declined",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").answer(Answer::No);
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
        {"code box",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").answer(Answer::Yes);
             s.expect("Enter code:").cancel();
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
        {"name box",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").answer(Answer::Yes);
             s.expect("Enter code:").type("E1");
             s.expect("Enter name:").cancel();
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
        {"blank code refused, then cancelled",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").answer(Answer::Yes);
             s.expect("Enter code:").type("  ");
             s.expect("please select another key").answer(Answer::No);
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
        {"code of a third event refused",
         [](ScriptedDialogs &s) {
             s.expect("searches for pairs").answer(Answer::No);
             s.expect("have identical lists").answer(Answer::Yes);
             s.expect("Enter code:").type("E3");
             s.expect("please select another key").answer(Answer::No);
             s.expect("None of the 3 events").answer(Answer::Ok);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d = makeScheduleData();
        buildIdentical();
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs s;
        c.script(s);
        Prompter sp(s);
        EXPECT_FALSE(combineIdenticalEvents(*d, sp));
        EXPECT_TRUE(s.finished()) << s.problems();
        EXPECT_EQ(dumpScheduleData(*d), before);
        EXPECT_FALSE(d->modified);
    }
}

TEST_F(EventCombineTest, IdenticalEventsBecomeOneHoldingBothSchedules)
{
    // Named after the event that goes: the kept event takes its code, keeps its own memo, and
    // the code exists once.
    buildIdentical();
    ui.expect("1 out of 3 events").answer(Answer::No);
    ui.expect("have identical lists").answer(Answer::Yes);
    ui.expect("Enter code:").type("E2");
    ui.expect("Enter name:").type("Both");
    ui.expect("2 events of the original 3 events combined, 2 events left").answer(Answer::Ok);
    ASSERT_TRUE(combineIdenticalEvents(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();

    EXPECT_EQ(findCode(*d, "E1"), 0);
    const CodeId e = findCode(*d, "E2");
    ASSERT_NE(e, 0);
    EXPECT_EQ(findCode(*d, "E2", e), 0) << "one code of that text";
    EXPECT_EQ(d->codes[e].name.view(), "Both");
    EXPECT_EQ(memoText(*d, "E2"), "kept event's memo");
    EXPECT_EQ(d->codes[e].planned, 5);
    EXPECT_EQ(d->codes[e].allocated, 3);
    EXPECT_EQ(d->codes[e].scheduled, 2);
    WeekAllocation wa;
    loadWeekAllocation(*d, e, wa);
    EXPECT_EQ(wa.allocated[1], 2);
    EXPECT_EQ(wa.allocated[2], 1);
    EXPECT_EQ(collection("E2"), (std::vector<CodeId>{id("T1"), id("G1")}));
}

TEST_F(EventCombineTest, IdenticalNamesRequiredFindsNoPair)
{
    buildIdentical();
    ui.expect("searches for pairs").answer(Answer::Yes);
    ui.expect("None of the 3 events were combined").answer(Answer::Ok);
    EXPECT_FALSE(combineIdenticalEvents(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();

    ScriptedDialogs none;
    Prompter np(none);
    auto empty = makeScheduleData();
    FixtureBuilder(*empty).calendar(1, 1, 1).resources('T', {"T1"}).event("X", {"T1"}).finish();
    none.expect("No events with identical lists of resources found.").answer(Answer::Ok);
    EXPECT_FALSE(combineIdenticalEvents(*empty, np));
    EXPECT_TRUE(none.finished()) << none.problems();
}

TEST_F(EventCombineTest, DisjointEventsWithOneTimetableBecomeOne)
{
    buildDisjoint();
    ui.expect("1. \"A1").expect("(1+1)").answer(Answer::Yes);
    ui.expect("3 events were combined 1 times, resulting in 2 events.").answer(Answer::Ok);
    ASSERT_TRUE(combineDisjointEvents(*d, p, id("A1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(findCode(*d, "A2"), 0);
    const CodeId a = findCode(*d, "A1");
    EXPECT_EQ(d->codes[a].name.view(), "A1+A2");
    EXPECT_EQ(collection("A1"), (std::vector<CodeId>{findCode(*d, "T1"), findCode(*d, "T2")}));
    EXPECT_EQ(d->codes[a].scheduled, 1);
}

TEST_F(EventCombineTest, DisjointCancelledOrDeclinedChangesNothing)
{
    for (const int answer : {Answer::Cancel, Answer::No}) {
        SCOPED_TRACE(answer);
        d = makeScheduleData();
        buildDisjoint();
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs s;
        s.expect("have disjoint lists").answer(answer);
        s.expect("combined 0 times").answer(Answer::Ok);
        Prompter sp(s);
        EXPECT_FALSE(combineDisjointEvents(*d, sp, id("A2")));
        EXPECT_TRUE(s.finished()) << s.problems();
        EXPECT_EQ(dumpScheduleData(*d), before);
    }
}

TEST_F(EventCombineTest, DisjointPairThatWouldOverfillACollectionIsNotOffered)
{
    // Rooms have no timetable here: the timetabled parts are small, the whole collections
    // together exceed what one collection holds, so the pair is never offered.
    buildDisjoint();
    std::vector<std::string> qs;
    for (int i = 0; i < 240; ++i)
        qs.push_back("R" + std::to_string(i));
    for (const auto &q : qs)
        f.resources('R', {q});
    setResourceCategoryRules(*d, static_cast<std::uint8_t>(1u << 3), 0);
    f.finish();
    for (const char *e : {"A1", "A2"}) {
        MemberList m{};
        m[++m[0]] = findCode(*d, e[1] == '1' ? "T1" : "T2");
        for (int i = e[1] == '1' ? 0 : 120; m[0] < 121; ++i)
            m[++m[0]] = findCode(*d, qs[static_cast<std::size_t>(i)]);
        ASSERT_EQ(setCollection(*d, findCode(*d, e), m), 121);
    }
    const std::string before = dumpScheduleData(*d);
    ui.expect("combined 0 times").answer(Answer::Ok);
    EXPECT_FALSE(combineDisjointEvents(*d, p, findCode(*d, "A1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(dumpScheduleData(*d), before);
}

} // namespace
