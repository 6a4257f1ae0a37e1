// Duplicate many and Copy schedule through scripted dialogs: every question cancelled leaves
// the data as they were; the copies get the substitutes, never a resource twice; a locked event
// takes no schedule unasked.

#include "commands/eventcopies.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <string>
#include <vector>

using namespace quivra;

namespace {

// The dump without the link marks: a code picker answered with OK leaves its selection there,
// which is no change of the data.
std::string dataDump(const ScheduleData &d)
{
    static const std::regex marks(" marks [0-9]+");
    return std::regex_replace(dumpScheduleData(d), marks, "");
}

class EventCopiesTest : public ::testing::Test
{
protected:
    EventCopiesTest() : d(makeScheduleData()), f(*d), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::vector<std::string> collection(CodeId e) const
    {
        const MemberList m = collectionOf(*d, e);
        std::vector<std::string> out;
        for (int i = 1; i <= m[0]; ++i)
            out.emplace_back(d->codes[m[static_cast<std::size_t>(i)]].code.view());
        return out;
    }

    // E (T1, G1) in week 1; S (T2) scheduled where T1 and G1 are free; X (T1) shares T1 with E.
    void build()
    {
        FixtureBuilder fx(*d);
        fx.calendar(1, 2, 4).resources('T', {"T1", "T2", "T3"}).resources('G', {"G1", "G2"});
        fx.event("E", {"T1", "G1"}, 2).allocate("E", 1, 1, 1).place("E", 1, 1, 1, 1);
        fx.event("S", {"T2"}, 2).allocate("S", 1, 1, 2).place("S", 1, 2, 1, 2);
        fx.event("X", {"T1"}, 1).allocate("X", 1, 1, 1).place("X", 1, 1, 3, 3);
        fx.finish();
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

using Script = std::function<void(ScriptedDialogs &, const ScheduleData &)>;

TEST_F(EventCopiesTest, EveryQuestionCancelledChangesNothing)
{
    struct Case
    {
        const char *name;
        bool copy; // Copy schedule instead of Duplicate many
        Script script;
    };
    const auto idOf = [](const ScheduleData &dd, const char *c) { return findCode(dd, c); };
    const std::vector<Case> cases = {
        {"resource to substitute", false,
         [](ScriptedDialogs &s, const ScheduleData &) {
             s.expect("which is substituted").cancel();
         }},
        {"substitutes", false,
         [&](ScriptedDialogs &s, const ScheduleData &dd) {
             s.expect("which is substituted").choose(idOf(dd, "T1"));
             s.expect("to substitute \"T1\"").cancel();
         }},
        {"confirmation", false,
         [&](ScriptedDialogs &s, const ScheduleData &dd) {
             s.expect("which is substituted").choose(idOf(dd, "T1"));
             s.expect("to substitute \"T1\"").pick({idOf(dd, "T2"), idOf(dd, "T3")});
             s.expect("to create 2 new events where \"T1\"").expect("(T2, T3)").answer(Answer::No);
         }},
        {"source list", true,
         [](ScriptedDialogs &s, const ScheduleData &) {
             s.expect("one the following 1 event(s)").cancel();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d = makeScheduleData();
        build();
        const std::string before = dataDump(*d);
        ScriptedDialogs s;
        c.script(s, *d);
        Prompter sp(s);
        EXPECT_FALSE(c.copy ? copySchedule(*d, sp, id("E")) : duplicateMany(*d, sp, id("E")));
        EXPECT_TRUE(s.finished()) << s.problems();
        EXPECT_EQ(dataDump(*d), before);
        EXPECT_FALSE(d->modified);
    }
}

TEST_F(EventCopiesTest, DuplicateManySubstitutesAndNeverHoldsAResourceTwice)
{
    // G1 substituted by itself gives a plain copy; by G2, which E already holds, it would give
    // a collection with G2 twice: that one is left out and the user told.
    f.calendar(1, 1, 4).resources('T', {"T1", "T2"}).resources('G', {"G1", "G2"});
    f.event("E", {"T1", "G1", "G2"}, 2).allocate("E", 1, 1, 2).place("E", 1, 1, 1, 1);
    f.finish();
    ui.expect("which is substituted").choose(id("G1"));
    ui.expect("to substitute \"G1\"").pick({id("G1"), id("G2")});
    ui.expect("to create 1 new events").answer(Answer::Yes);
    ui.expect("No copy was made for 1 resource(s) already in event \"E\": G2").answer(Answer::Ok);
    ASSERT_TRUE(duplicateMany(*d, p, id("E")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    const CodeId copy = id("E") + 1;
    ASSERT_TRUE(isEventCode(*d, copy));
    EXPECT_EQ(collection(copy), (std::vector<std::string>{"T1", "G1", "G2"}));
    EXPECT_EQ(d->codes[copy].allocated, 2);
    EXPECT_EQ(d->codes[copy].scheduled, 0);
}

TEST_F(EventCopiesTest, DuplicateManyMakesOneCopyPerSubstitute)
{
    build();
    ui.expect("which is substituted").choose(id("T1"));
    ui.expect("to substitute \"T1\"").pick({id("T1"), id("T2"), id("T3")});
    ui.expect("to create 3 new events where \"T1\"").expect("(T2, T3)").answer(Answer::Yes);
    ASSERT_TRUE(duplicateMany(*d, p, id("E")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    std::vector<std::vector<std::string>> copies;
    for (CodeId c = id("E") + 1; c <= d->codeCount && c != id("S"); ++c)
        if (isEventCode(*d, c))
            copies.push_back(collection(c));
    EXPECT_EQ(copies.size(), 3u);
    for (const char *t : {"T1", "T2", "T3"})
        EXPECT_NE(std::find(copies.begin(), copies.end(), std::vector<std::string>{t, "G1"}),
                  copies.end())
            << t;
}

TEST_F(EventCopiesTest, CopyScheduleTakesOverTheSourceScheduleOnly)
{
    build();
    // X shares T1 with E and is no source; S is.
    EXPECT_EQ(scheduleSources(*d, id("E")), (std::vector<CodeId>{id("S")}));
    ui.expect("one the following 1 event(s)").choose(1);
    ui.expect("The schedule (2 periods) of event").answer(Answer::Ok);
    ASSERT_TRUE(copySchedule(*d, p, id("E")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    WeekAllocation e, s;
    loadWeekAllocation(*d, id("E"), e);
    loadWeekAllocation(*d, id("S"), s);
    EXPECT_EQ(e.allocated, s.allocated);
    ASSERT_EQ(e.timetable.size(), 1u);
    EXPECT_EQ(e.timetable[0].startDay, 2);
    EXPECT_EQ(lectureCode(*d, e.timetable[0].word), id("E"));
    EXPECT_EQ(d->codes[id("E")].scheduled, 2);
    EXPECT_EQ(d->codes[id("S")].scheduled, 2);
}

TEST_F(EventCopiesTest, CopyScheduleAsksBeforeChangingALockedEvent)
{
    build();
    setLock(*d, id("E"), LockMode::Toggle);
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(copySchedule(*d, p, id("E")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST_F(EventCopiesTest, CopyScheduleWithoutSourcesPointsToAnEventThatHasSome)
{
    // A and B meet in the same cell: neither can take the other's schedule. C could take
    // either.
    f.calendar(1, 1, 3).resources('T', {"T1", "T2", "T3"});
    f.event("A", {"T1"}, 1).allocate("A", 1, 1, 1).place("A", 1, 1, 1, 1);
    f.event("B", {"T2"}, 1).allocate("B", 1, 1, 1).place("B", 1, 1, 1, 1);
    f.event("C", {"T3"}, 1).allocate("C", 1, 1, 1);
    f.finish();
    const std::string before = dumpScheduleData(*d);
    ui.expect("any of the other 1 scheduled event(s)").answer(Answer::Yes);
    ui.expect("to event \"C\" from 2 other event(s)").answer(Answer::Ok);
    CodeId found = 0;
    EXPECT_FALSE(copySchedule(*d, p, id("A"), &found));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(found, id("C"));
    EXPECT_EQ(dumpScheduleData(*d), before);

    ScriptedDialogs none;
    Prompter np(none);
    none.expect("any of the other 1 scheduled event(s)").answer(Answer::No);
    EXPECT_FALSE(copySchedule(*d, np, id("B"), &found));
    EXPECT_TRUE(none.finished()) << none.problems();
    EXPECT_EQ(found, 0);
}

// Daily schedules: one week of three days. D (T1) meets on day 1, bells 1 and 3; T1 is busy on
// day 2, bell 3 in O. L (T2, locked) meets on day 1, bell 2.
class DailySchedulesTest : public EventCopiesTest
{
protected:
    void buildDays()
    {
        FixtureBuilder fx(*d);
        fx.calendar(1, 3, 4).resources('T', {"T1", "T2"});
        fx.event("D", {"T1"}, 2)
            .allocate("D", 1, 1, 2)
            .place("D", 1, 1, 1, 1)
            .place("D", 1, 1, 3, 3);
        fx.event("O", {"T1"}, 1).allocate("O", 1, 1, 1).place("O", 1, 2, 3, 3);
        fx.event("L", {"T2"}, 1).allocate("L", 1, 1, 1).place("L", 1, 1, 2, 2);
        fx.finish();
        setLock(*d, id("L"), LockMode::Toggle);
        d->modified = false;
    }
    // The bells of event e on `day` in week 1.
    std::vector<int> bells(const char *e, int day) const
    {
        WeekAllocation wa;
        loadWeekAllocation(*d, id(e), wa);
        std::vector<int> out;
        for (const LectureView &v : wa.timetable)
            if (v.startDay == day)
                for (int b = v.startBell; b <= v.endBell; ++b)
                    out.push_back(b);
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(DailySchedulesTest, EveryQuestionCancelledChangesNothing)
{
    const std::vector<std::pair<const char *, std::function<void(ScriptedDialogs &)>>> cases = {
        {"source day", [](ScriptedDialogs &s) { s.expect("to copy schedules from:").cancel(); }},
        {"target day",
         [](ScriptedDialogs &s) {
             s.expect("to copy schedules from:").choose(1);
             s.expect("from \"Monday\" to:").cancel();
         }},
        {"same day, then cancelled",
         [](ScriptedDialogs &s) {
             s.expect("to copy schedules from:").choose(1);
             s.expect("from \"Monday\" to:").choose(1);
             s.expect("Select another day of week than \"Monday\"").answer(Answer::Ok);
             s.expect("from \"Monday\" to:").cancel();
         }},
        {"events",
         [](ScriptedDialogs &s) {
             s.expect("to copy schedules from:").choose(1);
             s.expect("from \"Monday\" to:").choose(2);
             s.expect("Select the included events:").cancel();
         }},
        {"option",
         [&](ScriptedDialogs &s) {
             s.expect("to copy schedules from:").choose(1);
             s.expect("from \"Monday\" to:").choose(2);
             s.expect("Select the included events:").pick({id("D")});
             s.expect("Select the copy option:").cancel();
         }},
    };
    for (const auto &[name, script] : cases) {
        SCOPED_TRACE(name);
        d = makeScheduleData();
        buildDays();
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs s;
        script(s);
        Prompter sp(s);
        EXPECT_FALSE(copyDailySchedules(*d, sp));
        EXPECT_TRUE(s.finished()) << s.problems();
        EXPECT_FALSE(d->modified);
        // The event picker leaves its selection in the link marks, which the data do not hold.
        clearMarks(*d, 1, d->codeCount, LinkMarksMask);
        EXPECT_EQ(dumpScheduleData(*d), before);
    }
}

TEST_F(DailySchedulesTest, CopiesWhereFreeAndLeavesLockedEventsWhenNotAllowed)
{
    buildDays();
    ui.expect("to copy schedules from:").choose(1);
    ui.expect("from \"Monday\" to:").choose(2);
    ui.expect("Select the included events:").pick({id("D"), id("L")});
    ui.expect("Select the copy option:").choose(1);
    ui.expect("change the (1) locked events?").answer(Answer::No);
    ui.expect("0 periods erased from \"Tuesday\",\r\n1 periods copied from \"Monday\" to "
              "\"Tuesday\"")
        .answer(Answer::Ok);
    ASSERT_TRUE(copyDailySchedules(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(bells("D", 2), (std::vector<int>{1})); // bell 3: T1 is busy in O
    EXPECT_EQ(bells("L", 2), (std::vector<int>{}));
    EXPECT_EQ(d->codes[id("D")].scheduled, 3);
    EXPECT_EQ(d->codes[id("D")].allocated, 3) << "the week holds what was copied into it";
}

TEST_F(DailySchedulesTest, EraseThenCopyReplacesTheTargetDay)
{
    buildDays();
    ui.expect("to copy schedules from:").choose(1);
    ui.expect("from \"Monday\" to:").choose(3);
    ui.expect("Select the included events:").pick({id("D"), id("L")});
    ui.expect("Select the copy option:").choose(3);
    ui.expect("change the (1) locked events?").answer(Answer::Yes);
    ui.expect("0 periods erased from \"Wednesday\",\r\n3 periods copied").answer(Answer::Ok);
    ASSERT_TRUE(copyDailySchedules(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(bells("D", 3), (std::vector<int>{1, 3}));
    EXPECT_EQ(bells("L", 3), (std::vector<int>{2}));
    EXPECT_EQ(bells("D", 1), (std::vector<int>{1, 3}));

    ScriptedDialogs again;
    Prompter ap(again);
    again.expect("to copy schedules from:").choose(1);
    again.expect("from \"Monday\" to:").choose(3);
    again.expect("Select the included events:").pick({id("D")});
    again.expect("Select the copy option:").choose(2);
    again.expect("2 periods erased from \"Wednesday\",\r\n0 periods copied").answer(Answer::Ok);
    ASSERT_TRUE(copyDailySchedules(*d, ap));
    EXPECT_TRUE(again.finished()) << again.problems();
    EXPECT_EQ(bells("D", 3), (std::vector<int>{}));
}

} // namespace
