// Modify collections through scripted dialogs: which pairs of event and resource are available,
// attaching a resource, and removing links only after the user agrees.

#include "commands/modifycollections.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>

using namespace quivra;

namespace {

class ModifyCollectionsTest : public ::testing::Test
{
protected:
    ModifyCollectionsTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        // MATH meets on Monday, bell 1, of week 1 and week 2; ART in week 1 only, with T2.
        f.calendar(2, 5, 4).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2", "T3"});
        f.event("MATH", {"G1", "T1"}, 2).allocate("MATH", 1, 2, 1);
        f.place("MATH", 1, 1, 1, 1).place("MATH", 2, 1, 1, 1);
        f.event("ART", {"G2", "T2"}, 1).allocate("ART", 1, 1, 1).place("ART", 1, 1, 1, 1);
        f.finish();
    }

    CodeId id(std::string_view code) const { return findCode(*d, code); }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(ModifyCollectionsTest, PairsAreAvailableByMembershipConflictsAndLimits)
{
    struct Case
    {
        const char *event, *resource;
        int firstWeek;
        int limit; // of event category 1
        bool available;
    };
    const Case cases[] = {
        {"MATH", "T3", 1, 0, true},
        {"MATH", "T1", 1, 0, false}, // already a member
        {"MATH", "T2", 1, 0, false}, // T2 is busy with ART when MATH meets in week 1
        {"MATH", "T2", 2, 0, true},  // ... and week 1 no longer counts
        {"MATH", "T3", 1, 3, true},
        {"MATH", "T3", 1, 2, false}, // two resources already: the limit is reached
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.event) + " " + c.resource);
        ResourceLimits limits{};
        limits[1] = c.limit;
        ModifyCollections m(*d, p, limits);
        if (c.firstWeek > 1)
            ui.expect("are now checked only from week").answer(Answer::Ok);
        m.setFirstWeek(c.firstWeek);
        EXPECT_EQ(m.available(id(c.event), id(c.resource)), c.available);
    }
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(ModifyCollectionsTest, ListsSlotsAndAttachesOnlyAvailableResources)
{
    ModifyCollections m(*d, p);
    m.chooseEvent(id("MATH"));
    m.chooseResource(id("T2"));
    // G2 and T2 are busy with ART; G1 and T1 are MATH's own.
    EXPECT_EQ(m.resourcesTitle(), "Available resources for \"MATH\" (1):");
    EXPECT_EQ(m.resources(), (std::vector<CodeId>{id("T3")}));
    m.setImpossible(true);
    EXPECT_EQ(m.eventsTitle(), "Impossible events for \"T2\" (2):");
    const auto slots = m.pairSlots();
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_TRUE(slots[0].conflict);
    EXPECT_FALSE(slots[1].conflict);
    EXPECT_EQ(m.slotSummary(), "2 slots (1 impossible, 0 marked)");
    EXPECT_EQ(m.slotLine(slots[0]).substr(0, 4), "[_] "); // busy, but not marked

    const std::string before = dumpScheduleData(*d);
    ui.expect("\"T2\" is busy in 1 scheduled slot(s) of \"MATH\"").answer(Answer::Ok);
    EXPECT_FALSE(m.add());
    EXPECT_EQ(dumpScheduleData(*d), before);

    m.chooseResource(id("T3"));
    EXPECT_TRUE(m.add());
    EXPECT_EQ(positionInList(id("T3"), collectionOf(*d, id("MATH"))), 3);
    EXPECT_EQ(d->codes[id("T3")].links, 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(ModifyCollectionsTest, RemovingLinksAsksAndWarnsWhenAnEventIsLeftEmpty)
{
    ModifyCollections m(*d, p);
    const std::string before = dumpScheduleData(*d);
    ui.expect("remove selected 2 item(s) (1 event(s) lose their last").answer(Answer::No);
    EXPECT_EQ(m.removeLinks(id("ART"), {id("G2"), id("T2")}), 0);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("remove selected 1 item(s)?").answer(Answer::Yes);
    EXPECT_EQ(m.removeLinks(id("T1"), {id("MATH"), id("ART")}), 1);
    EXPECT_EQ(m.linkedWith(id("MATH")), (std::vector<CodeId>{id("G1")}));
    EXPECT_TRUE(m.linkedWith(id("T1")).empty());
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(ModifyCollectionsTest, MarksStayOnTheEventsSlotsAndNameTheirCounts)
{
    ModifyCollections m(*d, p);
    m.chooseEvent(id("MATH"));
    m.chooseResource(id("T2"));
    const auto slots = m.pairSlots(); // week 1 (T2 busy), week 2
    ASSERT_EQ(slots.size(), 2u);
    struct Step
    {
        const char *what;
        std::function<void()> act;
        std::vector<bool> marked; // of slots[0], slots[1]
    };
    const Step steps[] = {
        {"impossible", [&] { m.markImpossible(); }, {true, false}},
        {"reverse", [&] { m.reverseMarks(); }, {false, true}},
        {"remaining", [&] { m.markRemaining(); }, {true, true}},
        {"unmark all", [&] { m.unmarkAll(); }, {false, false}},
        {"one by one", [&] { m.toggleMark(slots[0]); }, {true, false}},
        {"a slot of no event",
         [&] {
             m.toggleMark({1, 5, 4, false});
         },
         {true, false}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(m.marked(slots[0]), s.marked[0]);
        EXPECT_EQ(m.marked(slots[1]), s.marked[1]);
    }
    EXPECT_EQ(m.markedHours(), 1);
    EXPECT_EQ(m.slotSummary(), "2 slots (1 impossible, 1 marked)");
    EXPECT_EQ(m.markRemainingCaption(), "Mark remaining 1 slots of \"MATH\"");
    EXPECT_EQ(m.markImpossibleCaption(), "Mark 1 impossible slots of \"MATH\" and \"T2\"");
    EXPECT_EQ(m.clearMarkedCaption(), "Clear marked 1 slots of \"MATH\"");
    EXPECT_EQ(m.splitCaption(), "Split event \"MATH\" (1h + 1h = 2h)");
    EXPECT_EQ(m.markCaption(slots[0]).substr(0, 12), "Unmark slot ");
    EXPECT_EQ(m.slotLine(slots[0]).substr(0, 4), "[X] ");

    // A split needs some, not all, of the scheduled periods marked.
    EXPECT_TRUE(m.splitEnabled());
    m.markRemaining();
    EXPECT_FALSE(m.splitEnabled());
    m.unmarkAll();
    EXPECT_FALSE(m.splitEnabled());

    // From week 2 on, week 1's slot is no slot of the pair any more, nor marked.
    m.toggleMark(slots[0]);
    ui.expect("are now checked only from week").answer(Answer::Ok);
    m.setFirstWeek(2);
    EXPECT_EQ(m.markedCount(), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(ModifyCollectionsTest, ClearingSlotsAsksALockedEventFirst)
{
    const std::string before = dumpScheduleData(*d);
    setLock(*d, id("MATH"), LockMode::Lock);
    const std::string locked = dumpScheduleData(*d);
    ModifyCollections m(*d, p);
    m.chooseEvent(id("MATH"));
    m.chooseResource(id("T2"));
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(m.clearImpossible());
    EXPECT_EQ(dumpScheduleData(*d), locked);

    // Unlocked, the slot where T2 is busy goes, and T2 can now join MATH.
    ui.expect("before it is unlocked").answer(Answer::Yes);
    EXPECT_TRUE(m.clearImpossible());
    EXPECT_EQ(d->codes[id("MATH")].scheduled, 1);
    EXPECT_TRUE(m.available(id("MATH"), id("T2")));
    EXPECT_NE(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(ModifyCollectionsTest, SplitMovesTheMarkedSlotsToANewEvent)
{
    ModifyCollections m(*d, p);
    m.chooseEvent(id("MATH"));
    const auto slots = m.pairSlots();
    m.toggleMark(slots[1]); // week 2
    const std::string before = dumpScheduleData(*d);
    ui.expect("Do you want to split \"MATH\" into two events?").answer(Answer::No);
    EXPECT_EQ(m.split(), 0);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("Do you want to split \"MATH\" into two events?").answer(Answer::Yes);
    const CodeId made = m.split();
    ASSERT_NE(made, 0);
    EXPECT_EQ(d->codes[made].code.str(), "MATHa");
    const CodeId math = id("MATH");
    EXPECT_EQ(m.event(), math);
    EXPECT_EQ(m.linkedWith(made), m.linkedWith(math));
    EXPECT_EQ(d->codes[math].scheduled, 1);
    EXPECT_EQ(d->codes[math].allocated, 1);
    EXPECT_EQ(d->codes[made].scheduled, 1);
    EXPECT_EQ(d->codes[made].allocated, 1);
    EXPECT_EQ(d->codes[made].planned, 1);
    // Before the next event, and its one slot is week 2's.
    EXPECT_EQ(d->eventList[2], made);
    WeekAllocation wa;
    loadWeekAllocation(*d, made, wa);
    EXPECT_EQ(wa.scheduled[2], 1);
    EXPECT_EQ(wa.scheduled[1], 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace

TEST_F(ModifyCollectionsTest, TheWeekGridShowsBothTimetablesAndTheMarks)
{
    ModifyCollections m(*d, p);
    m.chooseEvent(id("MATH"));
    m.chooseResource(id("T2"));
    const PairWeekGrid grid = m.weekGrid();
    ASSERT_EQ(grid.weeks, 2);
    ASSERT_EQ(grid.days, 5);
    ASSERT_EQ(grid.bells, 4);
    // Week 1, Monday bell 1: MATH meets where ART keeps T2 busy; week 2 MATH alone.
    EXPECT_EQ(ModifyCollections::gridText(grid.at(1, 1, 1)), "X");
    EXPECT_EQ(ModifyCollections::gridText(grid.at(2, 1, 1)), "E");
    EXPECT_EQ(ModifyCollections::gridText(grid.at(1, 2, 1)), "");
    // A slot without a period of the event cannot be marked.
    EXPECT_FALSE(m.toggleGridSlot(1, 2, 1));
    EXPECT_TRUE(m.toggleGridSlot(2, 1, 1));
    EXPECT_EQ(m.markedCount(), 1);
    EXPECT_EQ(ModifyCollections::gridText(m.weekGrid().at(2, 1, 1)), "[E]");
    m.chooseResource(id("T3"));
    m.chooseEvent(0);
    EXPECT_EQ(ModifyCollections::gridText(m.weekGrid().at(1, 1, 1)), "");
}

TEST_F(ModifyCollectionsTest, AnAddPastTheFirstWeekLeavesTheUndoText)
{
    // 2 January 2026, 09:05 local time.
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_isdst = -1;
    const FixedClock clock(46024, std::chrono::system_clock::from_time_t(std::mktime(&local)));
    ModifyCollections m(*d, p);
    m.setClock(&clock);
    m.chooseEvent(id("MATH"));
    m.chooseResource(id("T3"));
    ASSERT_TRUE(m.add());
    EXPECT_TRUE(m.undoText().empty()) << "conflicts counted from week 1";
    m.chooseResource(id("T2"));
    ui.expect("are ignored").answer(Answer::Ok);
    m.setFirstWeek(2);
    ASSERT_TRUE(m.add());
    EXPECT_EQ(m.undoText(), "Tools|Modify event resources at 02.01.2026 09:05");
}
