// The code lists' tools through scripted dialogs: what a code is linked with, the snapshot, the
// weekly periods, Best matches, the search for events a resource could move to (which must not
// write while it looks), and the lock and clear commands of the Events view.

#include "commands/eventtools.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "support/progress.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class EventToolsTest : public ::testing::Test
{
protected:
    EventToolsTest() : d(makeScheduleData()), f(*d), p(ui) {}

    CodeId id(std::string_view code) const { return f.id(code); }
    std::vector<CodeId> ids(std::initializer_list<std::string_view> codes) const
    {
        std::vector<CodeId> out;
        for (const auto c : codes)
            out.push_back(id(c));
        return out;
    }
    void expectUntouched(const std::string &before)
    {
        EXPECT_EQ(dumpScheduleData(*d), before);
        EXPECT_FALSE(d->modified);
    }

    // One week of one day and five bells. T1 teaches EA (bell 1) and EB (bell 3), a gap between
    // them. EC (T2, bell 2) and ED (T3 with EB's group G1, bell 5) could take T1 over from EB;
    // EE (T2, bell 1) meets when T1 is busy in EA.
    void buildGaps()
    {
        f.calendar(1, 1, 5).resources('T', {"T1", "T2", "T3"}).resources('G', {"G1"});
        f.event("EA", {"T1"}, 1).allocate("EA", 1, 1, 1).place("EA", 1, 1, 1, 1);
        f.event("EB", {"T1", "G1"}, 1).allocate("EB", 1, 1, 1).place("EB", 1, 1, 3, 3);
        f.event("EC", {"T2"}, 1).allocate("EC", 1, 1, 1).place("EC", 1, 1, 2, 2);
        f.event("ED", {"T3", "G1"}, 2).allocate("ED", 1, 1, 1).place("ED", 1, 1, 5, 5);
        f.event("EE", {"T2"}, 1).allocate("EE", 1, 1, 1).place("EE", 1, 1, 1, 1);
        f.finish();
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    NullProgress progress;
};

TEST_F(EventToolsTest, LinkListShowsTheCodeThenWhatItIsLinkedWith)
{
    buildGaps();
    EXPECT_EQ(linkListLines(*d, id("T1")), ids({"T1", "EA", "EB"}));
    EXPECT_EQ(linkListLines(*d, id("EB")), ids({"EB", "T1", "G1"}));
    EXPECT_TRUE(linkListLines(*d, 0).empty());
    EXPECT_EQ(linkLineHint(*d, id("T1"), id("EA")),
              "[Double-click] to remove \"T1:Name of T1\" from event EA:Name of EA?");
}

TEST_F(EventToolsTest, SnapshotShowsOneWeekAndStepsWithinTheWeeks)
{
    f.calendar(2, 2, 3).resources('T', {"T1"});
    f.event("MATH", {"T1"}, 2).allocate("MATH", 1, 2, 1).place("MATH", 2, 2, 1, 2);
    f.book("T1", 1, 1, 1, 1);
    f.finish();
    const SnapshotTable one = snapshotTable(*d, id("T1"), 1);
    EXPECT_EQ(one.text(1, 1), "/");
    EXPECT_EQ(one.scheduled, 0);
    const SnapshotTable two = snapshotTable(*d, id("T1"), 2);
    EXPECT_EQ(two.text(2, 1), "MA");
    EXPECT_EQ(two.text(2, 2), "MA");
    EXPECT_EQ(two.event(2, 2), id("MATH"));
    EXPECT_EQ(two.text(1, 1), "");
    EXPECT_EQ(two.scheduled, 2);
    EXPECT_NE(two.label.find("(2 h)"), std::string::npos);
    // Previous at week 1 and Next at the last week stay where they are.
    EXPECT_EQ(stepSnapshotWeek(*d, 1, -1), 1);
    EXPECT_EQ(stepSnapshotWeek(*d, 2, 1), 2);
    EXPECT_EQ(stepSnapshotWeek(*d, 1, 1), 2);
}

TEST_F(EventToolsTest, WeeklyPeriodsFollowTheSwitches)
{
    // Three weeks, the second two weeks long. E1 has 2, 1, 3 periods allocated, of which 1 in
    // week 1 and 2 in week 3 are scheduled; E2 has 4 in week 2 only. T1 is in both.
    f.calendar(3, 5, 4).resources('T', {"T1", "T2"});
    f.event("E1", {"T1"}, 6).allocate("E1", 1, 1, 2).allocate("E1", 2, 2, 1);
    f.allocate("E1", 3, 3, 3).place("E1", 1, 1, 1, 1).place("E1", 3, 2, 1, 2);
    f.event("E2", {"T1"}, 4).allocate("E2", 2, 2, 4);
    d->weeks[2].length = 2;
    f.finish();
    EXPECT_TRUE(weeklyPeriodsAvailable(*d));

    struct Case
    {
        const char *code;
        WeeklyPeriodsSwitches switches;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"E1", {}, {2, 1, 3}},
        {"E1", {.multiplied = true}, {2, 2, 3}},
        {"E1", {.cumulative = true}, {2, 3, 6}},
        {"E1", {.scheduled = true}, {1, 0, 2}},
        {"E1", {.multiplied = true, .cumulative = true}, {2, 4, 7}},
        {"T1", {}, {2, 5, 3}},
        {"T1", {.multiplied = true, .cumulative = true}, {2, 12, 15}},
        {"T1", {.cumulative = true, .scheduled = true}, {1, 1, 3}},
        {"T2", {.cumulative = true}, {0, 0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(weeklyPeriods(*d, id(c.code), c.switches), c.expected)
            << c.code << " multiplied " << c.switches.multiplied << " cumulative "
            << c.switches.cumulative << " scheduled " << c.switches.scheduled;
    EXPECT_NE(weeklyPeriodsHeader(*d, 2).find("2w"), std::string::npos);
    EXPECT_EQ(weeklyPeriodsHeader(*d, 1).find("w"), std::string::npos);
}

TEST_F(EventToolsTest, WeeklyPeriodsNeedAllocationsAndMoreThanOneWeek)
{
    f.calendar(1, 5, 4).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2).allocate("E1", 1, 1, 2);
    f.finish();
    EXPECT_FALSE(weeklyPeriodsAvailable(*d));
}

TEST_F(EventToolsTest, BestMatchesOrderByDifferenceThenLaterCodeFirst)
{
    // T1 is in E1 and E2. T2 shares E2 only (1 difference); T4 and T5 have no events (2 each,
    // the later code first); T3 is only in E3 (3). Groups are another category and never match.
    f.calendar(1, 5, 4).resources('T', {"T1", "T2", "T3", "T4", "T5"}).resources('G', {"G1"});
    f.event("E1", {"T1", "G1"}).event("E2", {"T1", "T2"}).event("E3", {"T3", "G1"});
    f.finish();
    const std::string before = dumpScheduleData(*d);
    const std::vector<BestMatch> m = bestMatches(*d, id("T1"));
    ASSERT_EQ(m.size(), 4u);
    struct Row
    {
        const char *code;
        int plus, minus;
        double similarity;
    };
    const Row expected[] = {{"T2", 0, 1, 100.0 - 100.0 / 3},
                            {"T5", 0, 2, 100.0 - 200.0 / 3},
                            {"T4", 0, 2, 100.0 - 200.0 / 3},
                            {"T3", 1, 2, 0.0}};
    for (std::size_t i = 0; i < m.size(); ++i) {
        EXPECT_EQ(m[i].code, id(expected[i].code)) << i;
        EXPECT_EQ(m[i].plus, expected[i].plus) << expected[i].code;
        EXPECT_EQ(m[i].minus, expected[i].minus) << expected[i].code;
        EXPECT_NEAR(m[i].similarity, expected[i].similarity, 1e-9) << expected[i].code;
    }

    ui.expect("Best matches with \"T1").choose(id("T5"));
    EXPECT_EQ(chooseBestMatch(*d, p, id("T1")), id("T5"));
    ASSERT_FALSE(ui.shown().empty());
    EXPECT_EQ(ui.shown().back().options.front().text.substr(0, 16), " 66.7% [+0,-1] T");
    ui.cancel();
    EXPECT_EQ(chooseBestMatch(*d, p, id("T1")), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    expectUntouched(before);
}

TEST_F(EventToolsTest, BestMatchesKeepAtMost254AndNeverTheCodeItself)
{
    f.calendar(1, 5, 4);
    std::vector<std::string> codes;
    for (int i = 0; i < 300; ++i)
        codes.push_back("T" + std::to_string(i));
    for (const std::string &c : codes)
        f.resources('T', {c});
    f.event("E1", {"T0"});
    f.finish();
    const std::vector<BestMatch> m = bestMatches(*d, id("T0"));
    ASSERT_EQ(m.size(), 254u);
    for (const BestMatch &b : m)
        EXPECT_NE(b.code, id("T0"));
    // All differ by one: the latest codes come first, the earliest fall off.
    EXPECT_EQ(m.front().code, id("T299"));
    EXPECT_EQ(m.back().code, id("T46"));
}

TEST_F(EventToolsTest, BestMatchesOfAnEventCompareResources)
{
    f.calendar(1, 5, 4).resources('T', {"T1", "T2"});
    f.event("E1", {"T1", "T2"}).event("E2", {"T1"}).event("E3", {"T2"}).event("E4", {"T1"}, 1, 2);
    f.finish();
    const std::vector<BestMatch> m = bestMatches(*d, id("E2"));
    // E4 is of another event category; E1 differs by T2, E3 by T1 and T2.
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].code, id("E1"));
    EXPECT_EQ(m[1].code, id("E3"));
}

TEST_F(EventToolsTest, ReplaceCandidatesFollowTheCriteria)
{
    buildGaps();
    struct Case
    {
        unsigned criteria;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, {"EC", "ED"}},
        {ReplaceEqualPlanned, {"EC"}},
        {ReplaceNoMoreGaps, {"EC"}},
        {ReplaceSharedResource, {"ED"}},
        {ReplaceEqualPlanned | ReplaceSharedResource, {}},
        {ReplaceEqualNames, {"ED"}},
    };
    d->codes[id("ED")].name.assign(d->codes[id("EB")].name.view());
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    for (const Case &c : cases) {
        std::vector<std::string> got;
        for (const ReplaceCandidate &r :
             replaceCandidates(*d, id("T1"), id("EB"), c.criteria, false))
            got.emplace_back(d->codes[r.event].code.view());
        EXPECT_EQ(got, c.expected) << "criteria " << c.criteria;
    }
    const auto found = replaceCandidates(*d, id("T1"), id("EB"), 0, false);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gapsBefore, 1);
    EXPECT_EQ(found[0].gapsAfter, 0);
    EXPECT_EQ(found[1].gapsAfter, 3);
    EXPECT_EQ(found[1].matches, 1);
    EXPECT_TRUE(found[1].sameName);
    EXPECT_EQ(found[0].line.substr(0, 36), "EC (1->1h, 1->0g, 2->1x, matches 0) ");
    EXPECT_EQ(resourceGaps(*d, id("T1"), false), 1);
    // Looking moves nothing: not a byte of the data set changes.
    expectUntouched(before);
}

TEST_F(EventToolsTest, ReplaceSearchCancelledAtEachQuestionChangesNothing)
{
    buildGaps();
    const std::string before = dumpScheduleData(*d);
    // The criteria cancelled; no criterion chosen; No to starting.
    ui.cancel();
    EXPECT_FALSE(replaceCandidateSearch(*d, p, progress, id("T1")));
    ui.choose(std::initializer_list<int>{});
    EXPECT_FALSE(replaceCandidateSearch(*d, p, progress, id("T1")));
    ui.choose(2).answer(Answer::No);
    EXPECT_FALSE(replaceCandidateSearch(*d, p, progress, id("T1")));
    // Cancel in the first list stops the whole search.
    ui.choose(2)
        .answer(Answer::Yes)
        .expect("from \"EA")
        .cancel()
        .expect("replaced")
        .answer(Answer::Ok);
    EXPECT_FALSE(replaceCandidateSearch(*d, p, progress, id("T1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    expectUntouched(before);
}

TEST_F(EventToolsTest, ReplaceSearchMovesTheResourceWhenChosen)
{
    buildGaps();
    // EA would be left empty: asked, and No keeps T1 where it is; then T1 leaves EB for EC.
    ui.choose(2).answer(Answer::Yes);
    ui.expect("from \"EA").choose(id("EC")).expect("only resource").answer(Answer::No);
    ui.expect("from \"EB").choose(id("EC")).cancel();
    ui.expect("1 replaced").answer(Answer::Ok);
    EXPECT_TRUE(replaceCandidateSearch(*d, p, progress, id("T1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(linkedCodes(*d, id("T1")), ids({"EA", "EC"}));
    EXPECT_EQ(linkedCodes(*d, id("EB")), ids({"G1"}));
    EXPECT_EQ(linkedCodes(*d, id("EC")), ids({"T2", "T1"}));
    EXPECT_TRUE(d->modified);
}

TEST_F(EventToolsTest, LockedEventsAreAskedBeforeTheirScheduleGoes)
{
    f.calendar(2, 5, 4).resources('T', {"T1"});
    f.event("E1", {"T1"}, 4).allocate("E1", 1, 2, 2).place("E1", 1, 1, 1, 2);
    f.finish();
    const CodeId e = id("E1");
    ASSERT_TRUE(toggleEventLock(*d, e));
    EXPECT_TRUE(queryLock(*d, e));
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    // No to the unlock question refuses every guarded command.
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(clearEventSchedule(*d, p, e, true));
    ui.answer(Answer::No);
    EXPECT_FALSE(clearEventSchedule(*d, p, e, false));
    ui.answer(Answer::No);
    EXPECT_FALSE(bulkScheduleAllowed(*d, p, e));
    expectUntouched(before);

    // Unschedule all keeps the weekly periods; Clear allocations takes them too.
    ui.answer(Answer::Yes);
    EXPECT_TRUE(clearEventSchedule(*d, p, e, false));
    EXPECT_FALSE(queryLock(*d, e));
    EXPECT_EQ(d->codes[e].scheduled, 0);
    EXPECT_EQ(d->codes[e].allocated, 4);
    EXPECT_EQ(d->codes[id("T1")].scheduled, 0);
    EXPECT_TRUE(clearEventSchedule(*d, p, e, true));
    EXPECT_EQ(d->codes[e].allocated, 0);
    // Nothing left to clear: nothing changes.
    d->modified = false;
    EXPECT_FALSE(clearEventSchedule(*d, p, e, true));
    EXPECT_FALSE(d->modified);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(EventToolsTest, BulkScheduleNeedsATimetabledResource)
{
    f.calendar(2, 5, 4).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("E1", {"R1"}).event("E2", {"T1", "R1"});
    f.finish();
    d->codes[f.id("R1")].flags |= NoTimetableBit;
    ui.expect("This event (\"E1\") does not have any valid resources attached.").answer(Answer::Ok);
    EXPECT_FALSE(bulkScheduleAllowed(*d, p, id("E1")));
    EXPECT_TRUE(bulkScheduleAllowed(*d, p, id("E2")));
    EXPECT_FALSE(toggleEventLock(*d, id("T1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(EventToolsTest, TheResourceChangeReplacesAddsOrRemovesAsChosen)
{
    buildGaps();
    // T2 and T3 are free when EB meets (bell 3); G1 is of another category.
    EXPECT_EQ(resourceChangeCandidates(*d, id("EB"), id("T1"), 0), ids({"T2", "T3"}));
    EXPECT_EQ(resourceChangeCandidates(*d, id("EB"), id("T1"), ChangeAllCategories),
              ids({"T2", "T3"}));
    const unsigned both = ChangeMayAdd | ChangeMayRemove;
    struct Case
    {
        const char *what;
        std::function<void(ScriptedDialogs &)> script;
        const char *changed;                   // the code returned, "" for none
        std::vector<std::string_view> members; // of EB afterwards
    };
    const std::vector<Case> cases = {
        {"cancelled at the action", [](auto &s) { s.cancel(); }, "", {"T1", "G1"}},
        {"cancelled at the list", [](auto &s) { s.choose(1).cancel(); }, "", {"T1", "G1"}},
        {"replaced", [&](auto &s) { s.choose(1).choose(int{id("T3")}); }, "T3", {"T3", "G1"}},
        {"added in its place",
         [&](auto &s) { s.choose(2).choose(int{id("T2")}); },
         "T2",
         {"T2", "T1", "G1"}},
        {"removed", [](auto &s) { s.choose(3); }, "T1", {"G1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto data = makeScheduleData();
        FixtureBuilder b(*data);
        b.calendar(1, 1, 5).resources('T', {"T1", "T2", "T3"}).resources('G', {"G1"});
        b.event("EB", {"T1", "G1"}, 1).allocate("EB", 1, 1, 1).place("EB", 1, 1, 3, 3);
        b.event("EC", {"T2"}, 1).allocate("EC", 1, 1, 1).place("EC", 1, 1, 2, 2);
        b.finish();
        const std::string before = dumpScheduleData(*data);
        ScriptedDialogs s;
        Prompter pr(s);
        c.script(s);
        const CodeId got = changeEventResource(*data, pr, b.id("EB"), b.id("T1"), both);
        EXPECT_EQ(got, *c.changed ? b.id(c.changed) : CodeId{0});
        std::vector<CodeId> expected;
        for (const auto code : c.members)
            expected.push_back(b.id(code));
        const MemberList m = collectionOf(*data, b.id("EB"));
        EXPECT_EQ(std::vector<CodeId>(m.begin() + 1, m.begin() + 1 + m[0]), expected);
        if (!*c.changed) {
            EXPECT_EQ(dumpScheduleData(*data), before);
        }
        EXPECT_TRUE(s.finished()) << s.problems();
    }

    // T2 is no resource of EA: refused, and nothing changes.
    const std::string before = dumpScheduleData(*d);
    ui.expect("Resource \"T2\" cannot be replaced with another resource\n or a new resource "
              "cannot be added (of the same category).")
        .answer(Answer::Ok);
    EXPECT_EQ(changeEventResource(*d, p, id("EA"), id("T2"), both), 0);
    expectUntouched(before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(EventToolsTest, TheLinkListGuidesAUserWithoutLinks)
{
    struct Case
    {
        const char *what;
        std::vector<std::string_view> resources, events; // events without resources
        CodeKind kind;
        const char *message; // "" for none
        int answer;
        LinkGuidance result;
    };
    const std::vector<Case> cases = {
        {"few resources",
         {"T1"},
         {},
         CodeKind::Resource,
         "add a new resource or [Enter]",
         Answer::Ok,
         LinkGuidance::StartNew},
        {"resources, no events",
         {"T1", "T2", "T3", "T4"},
         {},
         CodeKind::Resource,
         "Do you like to switch to Events view now?",
         Answer::Yes,
         LinkGuidance::SwitchView},
        {"resources, no events, stays",
         {"T1", "T2", "T3", "T4"},
         {},
         CodeKind::Resource,
         "switch to Events view",
         Answer::No,
         LinkGuidance::Declined},
        {"resources and events",
         {"T1", "T2", "T3", "T4"},
         {"EA"},
         CodeKind::Resource,
         "",
         0,
         LinkGuidance::ShowLinks},
        {"no events",
         {"T1"},
         {},
         CodeKind::Event,
         "add a new event or [Enter]",
         Answer::Ok,
         LinkGuidance::StartNew},
        {"events, no resources",
         {},
         {"EA"},
         CodeKind::Event,
         "Do you like to switch to Resources view now?",
         Answer::Yes,
         LinkGuidance::SwitchView},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto data = makeScheduleData();
        FixtureBuilder b(*data);
        b.calendar(1, 5, 4);
        for (const auto r : c.resources)
            b.resources('T', {r});
        for (const auto e : c.events)
            b.event(e, {}, 1);
        b.finish();
        ScriptedDialogs s;
        Prompter pr(s);
        if (*c.message)
            s.expect(c.message).answer(c.answer);
        EXPECT_EQ(linkListGuidance(*data, pr, c.kind), c.result);
        EXPECT_TRUE(s.finished()) << s.problems();
    }
    // Once an event has a resource, the list is simply shown.
    buildGaps();
    EXPECT_EQ(linkListGuidance(*d, p, CodeKind::Event), LinkGuidance::ShowLinks);
}

} // namespace
