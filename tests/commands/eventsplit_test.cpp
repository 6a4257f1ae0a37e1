// Split event: the unchecked slots, their weekly periods, the week bookings, a collection of
// its own and the comments on the moved slots go to a new event placed before the next event;
// whatever refuses (a taken code, a locked event) leaves the data set exactly as it was.

#include "commands/eventsplit.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "engine/roles.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

using namespace quivra;

namespace {

class EventSplitTest : public ::testing::Test
{
protected:
    EventSplitTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(3, 5, 6).resources('T', {"T1", "T2", "T3"}).resources('R', {"R1"});
        f.event("E1", {"T1", "R1"}, 5).event("E2", {"T2"}, 1).event("ONE", {"T2"}, 1);
        f.allocate("E1", 1, 2, 2).place("E1", 1, 1, 1, 2).place("E1", 2, 1, 1, 2);
        f.allocate("E1", 3, 3, 1).weekBooking("E1", 3, 3, 1);
        f.allocate("ONE", 1, 1, 1).place("ONE", 1, 3, 1, 1);
        // T3 is busy on Monday of week 2 and cannot take the moved slots.
        f.event("BUSY", {"T3"}, 1).allocate("BUSY", 2, 2, 1).place("BUSY", 2, 1, 1, 1);
        f.comment("[002101];E1;room change").comment("[001101];E1;first lesson");
        f.memo("E1", "needs a lab");
        f.role("E1", "T1", "Lecturer");
        f.finish();
    }

    std::vector<std::string> codeOrder() const
    {
        std::vector<std::string> codes;
        for (int c = 1; c <= d->codeCount; ++c)
            codes.push_back(d->codes[static_cast<std::size_t>(c)].code.str());
        return codes;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(EventSplitTest, OffersEventsWithTwoSlotsAndListsThemByWeek)
{
    EventSplit s(*d, p, f.id("E1"));
    EXPECT_EQ(s.events(), (std::vector<CodeId>{f.id("E1")})) << "ONE has a single slot";
    EXPECT_EQ(s.caption(), "Event split view (4 events, 1 can be split)");
    ASSERT_EQ(s.slotList().size(), 4u);
    EXPECT_EQ(s.weeks(), (std::vector<int>{1, 2}));
    EXPECT_EQ(s.keptCounter(), "Selected 4 of all 4 slots");
    EXPECT_EQ(s.newCode(), "E1a");
    EXPECT_FALSE(s.newEventShown());

    auto none = makeScheduleData();
    FixtureBuilder g(*none);
    g.calendar(1, 5, 6).resources('T', {"T1"});
    g.event("E", {"T1"}).allocate("E", 1, 1, 1).place("E", 1, 1, 1, 1);
    g.finish();
    ui.expect("No valid events to split.").answer(Answer::Ok);
    EventSplit empty(*none, p, 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_TRUE(empty.events().empty());
}

TEST_F(EventSplitTest, SplitMovesSlotsPeriodsBookingsAndComments)
{
    EventSplit s(*d, p, f.id("E1"));
    s.setWeek(2, false);
    EXPECT_EQ(s.movedCounter(), "Selected 2 of all 4 slots");
    EXPECT_FALSE(std::ranges::count(s.newSelectable(), f.id("T3"))) << "T3 is busy then";
    s.newName = "Maths, second half";
    ui.expect("A new event \"E1a\" (2h) was split from the event \"E1\".\r\n\r\nYour file "
              "contains now 5 events.")
        .answer(Answer::Ok);
    const CodeId n = s.split();
    EXPECT_TRUE(ui.finished()) << ui.problems();
    ASSERT_NE(n, 0);
    EXPECT_EQ(codeOrder(),
              (std::vector<std::string>{"T1", "T2", "T3", "R1", "E1", "E1a", "E2", "ONE", "BUSY"}));
    const CodeId e = findCode(*d, "E1");
    EXPECT_EQ(d->codes[n].name.str(), "Maths, second half");

    WeekAllocation we, wn;
    loadWeekAllocation(*d, e, we);
    loadWeekAllocation(*d, n, wn);
    EXPECT_EQ((std::array{we.allocated[1], we.allocated[2], we.scheduled[1], we.scheduled[2]}),
              (std::array<std::uint8_t, 4>{2, 0, 2, 0}));
    EXPECT_EQ((std::array{wn.allocated[1], wn.allocated[2], wn.scheduled[1], wn.scheduled[2]}),
              (std::array<std::uint8_t, 4>{0, 2, 0, 2}));
    EXPECT_EQ(we.booked[3], 1);
    EXPECT_EQ(wn.booked[3], 1) << "the week bookings of the original";
    EXPECT_EQ(d->codes[e].planned, d->codes[e].allocated);
    EXPECT_EQ(d->codes[n].planned, 2);
    EXPECT_EQ(collectionOf(*d, n)[0], 2);
    EXPECT_EQ(roleNameOf(*d, n, findCode(*d, "T1")), "Lecturer");
    EXPECT_EQ(roleNameOf(*d, e, findCode(*d, "T1")), "Lecturer");

    EXPECT_EQ(findComment(*d, 2, "E1a", 1, 1).text, "room change");
    EXPECT_EQ(findComment(*d, 1, "E1", 1, 1).text, "first lesson");
    EXPECT_EQ(findComment(*d, 2, "E1", 1, 1).index, -1);
    EXPECT_EQ(memoText(*d, "E1a"), "needs a lab");
    EXPECT_EQ(memoText(*d, "E1"), "needs a lab");
}

TEST_F(EventSplitTest, ATakenCodeIsRefusedNeverHijacked)
{
    EventSplit s(*d, p, f.id("E1"));
    s.setWeek(2, false);
    ui.expect("Code \"E2\" already exists - the original code is retained.").answer(Answer::Ok);
    EXPECT_FALSE(s.editNewCode("E2"));
    EXPECT_EQ(s.newCode(), "E1a");

    // Another command took the proposed code after the dialog opened.
    renameCode(*d, "ONE", "E1a");
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    ui.expect("Code \"E1a\" already exists").answer(Answer::Ok);
    EXPECT_EQ(s.split(), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);
}

TEST_F(EventSplitTest, ALockedEventKeptLockedIsNotSplit)
{
    setLock(*d, f.id("E1"), LockMode::Lock);
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    EventSplit s(*d, p, f.id("E1"));
    s.setSlot(0, false);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_EQ(s.split(), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST_F(EventSplitTest, SlotChecksResourcesAndTheSlotLock)
{
    EventSplit s(*d, p, f.id("E1"));
    // Unchecking every slot starts over.
    s.setWeek(1, false);
    s.setWeek(2, false);
    EXPECT_EQ(s.keptCount(), 4);

    s.setSlot(3, false);
    // Only week 2, bell 2 moves: T3, busy at bell 1 and so no member the original could take,
    // is free for the new event (drawn bold); T2 suits both.
    EXPECT_TRUE(s.newlySelectable(f.id("T3")));
    EXPECT_FALSE(s.newlySelectable(f.id("T2")));
    ASSERT_TRUE(s.addMember(f.id("T2"), 2));
    EXPECT_EQ(s.newMembers(), (std::vector<CodeId>{f.id("T1"), f.id("R1"), f.id("T2")}));
    EXPECT_TRUE(s.slotLock());
    EXPECT_EQ(s.slotListLabel(), "You cannot change slot selection after adding a new resource");
    s.setSlot(0, false);
    EXPECT_EQ(s.movedCount(), 1) << "the slots are locked";
    EXPECT_TRUE(s.removeMember(3));
    EXPECT_FALSE(s.slotLock());

    EXPECT_TRUE(s.removeMember(1));
    ui.expect("You cannot remove the last resource.").answer(Answer::Ok);
    EXPECT_FALSE(s.removeMember(1));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_FALSE(d->modified);
}

} // namespace
