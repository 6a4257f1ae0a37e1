// The Weeks view's commands over many events through scripted dialogs: booking a week for all or
// picked events (locked ones only when allowed), ALLOCATED set to SCHEDULED or raised by one in
// picked weeks, PLANNED set to ALLOCATED, and the events marked by a resource; every question
// cancelled leaves the data as they were.

#include "commands/weekseventcommands.h"

#include "commands/weeksfixture.h"
#include "engine/codetable.h"
#include "engine/collections.h"
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

class WeeksEventsTest : public quivra::testing::WeeksTest
{
protected:
    // 4 weeks of 5 days × 6 bells. E (T1, G1): 2 periods in weeks 1..3, one placed in each;
    // F (T2, G1): 1 period in weeks 1..2, none placed; L (T1) is locked and has nothing.
    void build()
    {
        FixtureBuilder f(*d);
        f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('G', {"G1"});
        f.event("E", {"T1", "G1"}, 10).allocate("E", 1, 3, 2);
        f.place("E", 1, 1, 1, 1).place("E", 2, 1, 1, 1).place("E", 3, 1, 1, 1);
        f.event("F", {"T2", "G1"}, 4).allocate("F", 1, 2, 1);
        f.event("L", {"T1"}, 2);
        f.finish();
        setLock(*d, id("L"), LockMode::Lock);
    }
};

TEST_F(WeeksEventsTest, BookingAWeekSparesAllocatedAndLockedEventsUnlessAllowed)
{
    build();
    ui.expect("locked events?").answer(Answer::No);
    ui.expect("Change the default booking type").choose(2);
    EXPECT_TRUE(bookWeekOfEvents(*d, p, 3, BookWeek::AllEvents));
    EXPECT_EQ(load("E").booked[3], 0); // allocated there
    EXPECT_EQ(load("F").booked[3], 2);
    EXPECT_EQ(load("L").booked[3], 0); // locked
    ui.expect("locked events?").answer(Answer::Yes);
    EXPECT_TRUE(bookWeekOfEvents(*d, p, 3, BookWeek::CancelAll));
    EXPECT_EQ(load("F").booked[3], 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksEventsTest, AllocationsFollowTheScheduledPeriodsInThePickedWeeks)
{
    build();
    ui.expect("you want to set ALLOCATED = SCHEDULED").pick({id("E"), id("F")});
    ui.expect("Select the weeks where").chooseFocused({1, 2}, 1);
    ui.expect("in selected 2 event(s) and 2 week(s)").answer(Answer::Yes);
    EXPECT_TRUE(adjustAllocations(*d, p, true));
    EXPECT_EQ(load("E").allocated[1], 1);
    EXPECT_EQ(load("E").allocated[3], 2); // not picked
    EXPECT_EQ(load("F").allocated[2], 0);

    ui.expect("you want to increase allocations").pick({id("E")});
    ui.expect("Select the weeks where").chooseFocused({3, 4}, 3);
    ui.expect("by one").answer(Answer::Yes);
    EXPECT_TRUE(adjustAllocations(*d, p, false));
    EXPECT_EQ(load("E").allocated[3], 3);
    EXPECT_EQ(load("E").allocated[4], 1);

    ui.expect("set PLANNED = ALLOCATED").pick({id("E")});
    ui.expect("in the selected 1 event(s)").answer(Answer::Yes);
    EXPECT_TRUE(setPlannedToAllocated(*d, p));
    EXPECT_EQ(d->codes[id("E")].planned, d->codes[id("E")].allocated);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksEventsTest, EveryQuestionCancelledChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &, const ScheduleData &)> script;
        std::function<bool(ScheduleData &, Prompter &)> run;
    };
    const auto idOf = [](const ScheduleData &dd, const char *c) { return findCode(dd, c); };
    const auto adjust = [](bool scheduledOnly) {
        return [scheduledOnly](ScheduleData &dd, Prompter &pp) {
            return adjustAllocations(dd, pp, scheduledOnly);
        };
    };
    const std::vector<Case> cases = {
        {"book: locked events",
         [](ScriptedDialogs &u, const ScheduleData &) { u.expect("locked events?").cancel(); },
         [](ScheduleData &dd, Prompter &pp) {
             return bookWeekOfEvents(dd, pp, 4, BookWeek::AllEvents);
         }},
        {"book: kind",
         [](ScriptedDialogs &u, const ScheduleData &) {
             u.expect("locked events?").answer(Answer::Yes);
             u.expect("Change the default booking type").cancel();
         },
         [](ScheduleData &dd, Prompter &pp) {
             return bookWeekOfEvents(dd, pp, 4, BookWeek::AllEvents);
         }},
        {"book: events",
         [](ScriptedDialogs &u, const ScheduleData &) {
             u.expect("Select the events for bookings").cancel();
         },
         [](ScheduleData &dd, Prompter &pp) {
             return bookWeekOfEvents(dd, pp, 4, BookWeek::PickedEvents);
         }},
        {"set: events",
         [](ScriptedDialogs &u, const ScheduleData &) { u.expect("Select the events").cancel(); },
         adjust(true)},
        {"set: weeks",
         [&](ScriptedDialogs &u, const ScheduleData &dd) {
             u.expect("Select the events").pick({idOf(dd, "E")});
             u.expect("Select the weeks").cancel();
         },
         adjust(true)},
        {"set: confirmation",
         [&](ScriptedDialogs &u, const ScheduleData &dd) {
             u.expect("Select the events").pick({idOf(dd, "E")});
             u.expect("Select the weeks").chooseFocused({1}, 1);
             u.expect("in selected 1 event(s)").cancel();
         },
         adjust(true)},
        {"increase: confirmation",
         [&](ScriptedDialogs &u, const ScheduleData &dd) {
             u.expect("Select the events").pick({idOf(dd, "E")});
             u.expect("Select the weeks").chooseFocused({1}, 1);
             u.expect("by one").cancel();
         },
         adjust(false)},
        {"planned: events",
         [](ScriptedDialogs &u, const ScheduleData &) { u.expect("PLANNED = ALLOCATED").cancel(); },
         [](ScheduleData &dd, Prompter &pp) { return setPlannedToAllocated(dd, pp); }},
        {"planned: confirmation",
         [&](ScriptedDialogs &u, const ScheduleData &dd) {
             u.expect("PLANNED = ALLOCATED").pick({idOf(dd, "E")});
             u.expect("in the selected 1 event(s)").cancel();
         },
         [](ScheduleData &dd, Prompter &pp) { return setPlannedToAllocated(dd, pp); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d = makeScheduleData();
        build();
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs u;
        Prompter pp(u);
        c.script(u, *d);
        EXPECT_FALSE(c.run(*d, pp));
        EXPECT_EQ(withoutMarks(dumpScheduleData(*d)), before);
        EXPECT_TRUE(u.finished()) << u.problems();
    }
}

TEST_F(WeeksEventsTest, DemoAllocationFillsUnlockedEventsOnly)
{
    build();
    const std::string before = dumpScheduleData(*d);
    ui.expect("Are you sure you want to run \"Optimise\"").answer(Answer::No);
    EXPECT_FALSE(demoAllocation(*d, p));
    EXPECT_EQ(dumpScheduleData(*d), before);
    ui.expect("Are you sure you want to run \"Optimise\"").answer(Answer::Yes);
    EXPECT_TRUE(demoAllocation(*d, p));
    EXPECT_EQ(d->codes[id("F")].allocated, 4);
    EXPECT_EQ(d->codes[id("L")].allocated, 0); // locked
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(WeeksEventsTest, MarkedEventsAreFoundByTheirCodesAfterRenumbering)
{
    build();
    std::vector<std::string> marked;
    ui.expect("Select resource").choose(id("G1"));
    EXPECT_EQ(markEventsByResource(*d, p, marked), 2);
    EXPECT_EQ(nextMarkedEvent(*d, marked, id("E"), 1), id("F"));
    EXPECT_EQ(nextMarkedEvent(*d, marked, id("F"), 1), id("E"));
    EXPECT_EQ(nextMarkedEvent(*d, marked, id("E"), -1), id("F"));
    // T2 goes and every later code moves one place: the marks still name E and F.
    ASSERT_TRUE(deleteCode(*d, id("T2")));
    EXPECT_EQ(nextMarkedEvent(*d, marked, id("L"), 1), id("E"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// The Sum window's resource: its events marked for Ctrl+N/Ctrl+P and its replacement offered
// (No changes nothing); the Bird's eye view's cell: the resource's events of the week, the one
// picked returned.
TEST_F(WeeksEventsTest, SumWindowAndBirdsEyeClicksLeadToEvents)
{
    build();
    const std::string before = dumpScheduleData(*d);
    std::vector<std::string> marked;
    std::string hint;
    ui.expect("Replace \"G1\" in event \"E\" ?").answer(Answer::No);
    EXPECT_FALSE(sumWindowResource(*d, p, marked, id("E"), id("G1"), hint));
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_EQ(marked, (std::vector<std::string>{"E", "F"}));
    EXPECT_EQ(hint, "[Ctrl+N]/[Ctrl+P]: Jump to next/previous event containing \"G1\" (2)");
    EXPECT_EQ(nextMarkedEvent(*d, marked, id("E"), 1), id("F"));

    ui.expect("Replace \"T1\" in event \"E\" ?").answer(Answer::Yes);
    ui.expect("Permissible actions").choose(1);
    ui.expect("Available resources").choose(id("T2"));
    EXPECT_TRUE(sumWindowResource(*d, p, marked, id("E"), id("T1"), hint));
    EXPECT_EQ(marked, (std::vector<std::string>{"E", "L"}));
    const MemberList m = collectionOf(*d, id("E"));
    EXPECT_EQ(m[1], id("T2"));

    const std::vector<WeekEventLine> lines = resourceWeekEvents(*d, id("G1"), 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text.substr(0, 12), "E(1h+1h=2h) ");
    EXPECT_EQ(lines[1].text.substr(0, 12), "F(0h+1h=1h) ");
    ui.expect("\"G1\" in week").choose(id("F"));
    EXPECT_EQ(birdsEyeCell(*d, p, id("G1"), 2), id("F"));
    ui.expect("\"G1\" in week").cancel();
    EXPECT_EQ(birdsEyeCell(*d, p, id("G1"), 2), CodeId(0));
    ui.expect("has no periods in week").answer(Answer::Ok);
    EXPECT_EQ(birdsEyeCell(*d, p, id("G1"), 4), CodeId(0));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
