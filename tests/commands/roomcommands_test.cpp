// The rooms dialog's logic through scripted dialogs: the slot list, what a slot is offered,
// assigning and copying rooms, compaction and imitation, narrowing the list, and that a Cancel
// or No changes nothing.

#include "commands/roomcommands.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

class RoomCommandsTest : public ::testing::Test
{
protected:
    RoomCommandsTest() : d(makeScheduleData()), f(*d), p(ui), state(*d, p, memory) {}

    // Two weeks of five days and four bells. MATH (G1) and ENG (G2) meet on Monday, bell 1, of
    // both weeks and need rooms; ART has room R2 in its collection and needs none.
    void buildSchool(int engCategory = 1)
    {
        f.calendar(2, 5, 4).resources('G', {"G1", "G2"}).resources('R', {"R1", "R2"});
        f.event("MATH", {"G1"}, 2).allocate("MATH", 1, 2, 1);
        f.event("ENG", {"G2"}, 2, engCategory).allocate("ENG", 1, 2, 1);
        f.event("ART", {"G1", "R2"}, 1).allocate("ART", 1, 1, 1).place("ART", 1, 2, 1, 1);
        for (int w = 1; w <= 2; ++w)
            f.place("MATH", w, 1, 1, 1).place("ENG", w, 1, 1, 1);
        f.finish();
    }

    CodeId id(std::string_view code) const { return f.id(code); }

    // The line of `event` in `week`; fails the test when there is none.
    int lineOf(std::string_view event, int week)
    {
        const auto &lines = state.lines();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].triple.event == id(event) && manualWeek(lines[i].triple.slot) == week)
                return static_cast<int>(i);
        ADD_FAILURE() << "no line of " << event << " in week " << week;
        return -1;
    }

    std::vector<std::string> offered()
    {
        std::vector<std::string> texts;
        for (const RoomOffer &o : state.offers())
            texts.push_back(o.text);
        return texts;
    }

    CodeId roomOf(std::string_view event, int week)
    {
        const int k = findTriple(*d, week, 1, 1, 0, 0, id(event));
        return k == 0 ? 0 : manualTriple(*d, k).room;
    }

    // The triples as a sorted list, so that a reordering of the store is no difference.
    std::vector<std::tuple<int, int, int>> tripleSet() const
    {
        std::vector<std::tuple<int, int, int>> set;
        for (int k = 1; k <= manualTripleCount(*d); ++k) {
            const ManualTriple t = manualTriple(*d, k);
            set.emplace_back(t.slot, t.event, t.room);
        }
        std::sort(set.begin(), set.end());
        return set;
    }

    void openAndAssign(std::string_view event, int week, std::string_view room)
    {
        state.choose(lineOf(event, week));
        ASSERT_TRUE(state.assign(id(room)));
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    RoomsDialogMemory memory;
    RoomsDialogState state;
};

TEST_F(RoomCommandsTest, OpeningListsEverySlotThatNeedsARoom)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(state.caption(), "Select rooms manually (0 assigned + 4 empty = 4 slots)");
    EXPECT_EQ(state.usageText(), "0 assigned + 4 empty slots out of 10921");
    ASSERT_EQ(state.lines().size(), 4u); // ART has its room resource
    // In slot order, and within a slot in event order.
    EXPECT_EQ(manualWeek(state.lines()[0].triple.slot), 1);
    EXPECT_EQ(state.lines()[0].triple.event, id("MATH"));
    EXPECT_EQ(state.lines()[1].triple.event, id("ENG"));
    EXPECT_EQ(manualWeek(state.lines()[2].triple.slot), 2);
    EXPECT_NE(state.lines()[0].text.find("MATH - ?"), std::string::npos) << state.lines()[0].text;
    EXPECT_EQ(state.current(), 0);
    EXPECT_EQ(offered(), (std::vector<std::string>{"R1 (0x)", "R2 (0x)"}));
    EXPECT_EQ(state.offersTitle(), "Available rooms for \"MATH\" : 2");
}

TEST_F(RoomCommandsTest, WithoutRoomsTheDialogDoesNotOpen)
{
    f.calendar(1, 5, 4).resources('G', {"G1"});
    f.event("MATH", {"G1"}, 1).allocate("MATH", 1, 1, 1).place("MATH", 1, 1, 1, 1);
    f.finish();
    ui.expect("You have not defined any rooms. Add resources to category \"Rooms\" or change "
              "the default room category.")
        .answer(Answer::Ok);
    EXPECT_FALSE(state.open());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(manualTripleCount(*d), 0);
}

TEST_F(RoomCommandsTest, AnAssignedRoomIsBookedAndRefusedToASecondEventInTheSameSlot)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("MATH", 1, "R1");
    EXPECT_EQ(roomOfSlot(*d, 1, 1, 1, id("R1")), id("MATH"));
    EXPECT_TRUE(state.changed());
    EXPECT_EQ(state.caption(), "Select rooms manually (1 assigned + 3 empty = 4 slots)");
    EXPECT_NE(state.lines()[static_cast<std::size_t>(lineOf("MATH", 1))].text.find("MATH - R1"),
              std::string::npos);

    // ENG meets at the same time: R1 is no longer offered, and forcing it is refused.
    state.choose(lineOf("ENG", 1));
    EXPECT_EQ(offered(), (std::vector<std::string>{"R2 (0x)"}));
    EXPECT_EQ(state.offersTitle(), "Available rooms for \"ENG\" : 1");
    ui.expect("Room \"R1\" is not free").answer(Answer::Ok);
    EXPECT_FALSE(state.assign(id("R1")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(roomOf("ENG", 1), 0);
    EXPECT_EQ(roomOfSlot(*d, 1, 1, 1, id("R1")), id("MATH"));

    // The room stays free in the other week, and the usage count shows where it is used.
    state.choose(lineOf("ENG", 2));
    EXPECT_EQ(offered(), (std::vector<std::string>{"R1 (1x)", "R2 (0x)"}));

    // Clearing the slot gives the room back.
    state.choose(lineOf("MATH", 1));
    EXPECT_TRUE(state.clearCurrent());
    EXPECT_EQ(roomOf("MATH", 1), 0);
    state.choose(lineOf("ENG", 1));
    EXPECT_EQ(offered(), (std::vector<std::string>{"R1 (0x)", "R2 (0x)"}));
}

TEST_F(RoomCommandsTest, CopyingARoomGivesItOnlyWhereItIsFree)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("ENG", 2, "R1");
    openAndAssign("MATH", 1, "R1");

    // MATH in week 2 would clash with ENG's R1.
    state.choose(lineOf("MATH", 1));
    ui.expect("Copy this room to ...").choose(1);
    ui.expect("Room \"R1\" was copied to 0 slots.").answer(Answer::Ok);
    EXPECT_FALSE(state.copyRoom());

    state.choose(lineOf("ENG", 2));
    ASSERT_TRUE(state.clearCurrent());
    state.choose(lineOf("MATH", 1));
    ui.expect("Copy this room to ...").choose(2);
    ui.expect("Room \"R1\" was copied to 1 slots.").answer(Answer::Ok);
    EXPECT_TRUE(state.copyRoom());
    EXPECT_EQ(roomOf("MATH", 2), id("R1"));

    // Free slots of all events: ENG waits in both weeks, but R1 is taken in both.
    state.choose(lineOf("MATH", 1));
    ui.expect("Room \"R1\" was copied to 0 slots.").answer(Answer::Ok);
    EXPECT_FALSE(state.copyRoom(RoomCopy::FreeSlotsOfAll));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(roomOf("ENG", 1), 0);
    EXPECT_EQ(roomOf("ENG", 2), 0);
}

TEST_F(RoomCommandsTest, CompactMakesAOneRoomEventsRoomAResource)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("MATH", 1, "R1");
    openAndAssign("MATH", 2, "R1");
    openAndAssign("ENG", 1, "R2");

    ui.expect("3 room assignments plus 1 empty slots of the maximum capacity of 10921 slots "
              "used.\r\nDo you want to compact them")
        .answer(Answer::Yes);
    // ENG still waits in week 2, so only MATH uses one room in all its slots.
    ui.expect("You can add room \"R1\" to event \"MATH\" as a room resource").answer(Answer::Yes);
    ui.expect("List of events removed from this view:\r\nMATH\r\nYou have now 1 assigned + 1 "
              "empty slots (change 2, 1 events removed).")
        .answer(Answer::Ok);
    EXPECT_TRUE(state.compact());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_TRUE(hasRoomResource(*d, id("MATH")));
    EXPECT_EQ(findTriple(*d, 0, 0, 0, 0, 0, id("MATH")), 0);
    EXPECT_EQ(roomOf("ENG", 1), id("R2"));
    EXPECT_EQ(state.lines().size(), 2u);

    // Nothing left to compact.
    ui.answer(Answer::Yes);
    ui.expect("None of the manual room assignments could be compacted.").answer(Answer::Ok);
    EXPECT_FALSE(state.compact());
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(RoomCommandsTest, CompactStoppedAtTheEventQuestionAddsNoResource)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("MATH", 1, "R1");
    openAndAssign("MATH", 2, "R1");
    const auto before = tripleSet();
    for (const int stop : {Answer::Cancel, Answer::No}) {
        SCOPED_TRACE(stop);
        ui.answer(Answer::Yes).expect("to event \"MATH\"").answer(stop);
        ui.expect("None of the manual room assignments").answer(Answer::Ok);
        state.compact();
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_FALSE(hasRoomResource(*d, id("MATH")));
        EXPECT_EQ(tripleSet(), before);
    }
}

TEST_F(RoomCommandsTest, ImitateGivesWaitingSlotsTheRoomsUsedBefore)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    ui.expect("No event and room combinations found.").answer(Answer::Ok);
    EXPECT_FALSE(state.imitate());

    openAndAssign("MATH", 1, "R1");
    openAndAssign("ENG", 1, "R2");
    ui.expect("You have used the 2 event and room combinations below in scheduling.\r\nSelect "
              "the combinations you accept to be used for the remaining 2 slots.")
        .choose({1, 2});
    ui.expect("2 of the remaining 2 slots were assigned to rooms.").answer(Answer::Ok);
    EXPECT_TRUE(state.imitate());
    const ShownDialog &list = ui.shown()[ui.shown().size() - 2];
    ASSERT_EQ(list.options.size(), 2u);
    EXPECT_EQ(list.options[0].text, "1: \"MATH\" (2 h) assigned 1 times to \"R1\" (-1 slots)");
    EXPECT_EQ(roomOf("MATH", 2), id("R1"));
    EXPECT_EQ(roomOf("ENG", 2), id("R2"));

    // All slots have rooms now: the list is only shown.
    ui.expect("You have assigned all events to rooms. Click [OK] to exit.").answer(Answer::Ok);
    EXPECT_FALSE(state.imitate());
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(RoomCommandsTest, ImitateOffersTheSlotsItCouldNotFill)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("ENG", 2, "R1");
    openAndAssign("MATH", 1, "R1"); // MATH's other slot clashes with ENG's R1
    ui.expect("for the remaining 2 slots").choose({1, 2});
    ui.expect("None of the remaining 2 slots were assigned to rooms.").answer(Answer::Ok);
    ui.expect("Do you want to view the list of slots without rooms?").answer(Answer::Yes);
    ui.expect("List of manually assigned 2 slots without rooms\r\n1: \"MATH\"").answer(Answer::Ok);
    EXPECT_FALSE(state.imitate());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    // Only the combination of an event that still waits is preselected.
    const ShownDialog &list = ui.shown()[0];
    ASSERT_EQ(list.options.size(), 2u);
    EXPECT_NE(list.options[0].text.find("\"MATH\" (2 h) assigned 1 times to \"R1\" (-1 slots)"),
              std::string::npos);
    EXPECT_NE(list.options[1].text.find("\"ENG\" (2 h) assigned 1 times to \"R1\" (-1 slots)"),
              std::string::npos);
    EXPECT_EQ(list.checked, (std::vector<int>{1, 2}));
}

TEST_F(RoomCommandsTest, NarrowingTheWeeksDropsAssignmentsOnlyWhenConfirmed)
{
    buildSchool();
    ASSERT_TRUE(state.open());
    openAndAssign("MATH", 2, "R1");

    ui.expect("to clear 2 out of 4 manual room assignments outside the selected week range")
        .answer(Answer::No);
    state.setWeeks(1, 1);
    EXPECT_EQ(state.lines().size(), 2u);
    EXPECT_EQ(manualTripleCount(*d), 4);
    EXPECT_EQ(roomOf("MATH", 2), id("R1"));

    // Widening shows them again.
    EXPECT_FALSE(state.setWeeks(1, 2));
    EXPECT_EQ(state.lines().size(), 4u);

    ui.expect("to clear 2 out of 4").answer(Answer::Yes);
    EXPECT_TRUE(state.setWeeks(1, 1));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(manualTripleCount(*d), 2);
    EXPECT_EQ(state.weeks().first, 1);
    EXPECT_EQ(state.weeks().last, 1);

    d->weeks[1].name.assign("");
    d->weeks[2].name.assign("Exams");
    EXPECT_EQ(state.weekLabel(1), "1");
    EXPECT_EQ(state.weekLabel(2), "2: Exams");
}

TEST_F(RoomCommandsTest, LeavingOutAnEventCategoryDropsItsSlotsWhenConfirmed)
{
    buildSchool(2);
    ASSERT_TRUE(state.open());
    ASSERT_EQ(state.lines().size(), 4u);

    ui.expect("check only those event categories").choose({1});
    ui.expect("to exclude manual room assignments from unchecked event categories")
        .answer(Answer::Yes);
    EXPECT_TRUE(state.chooseCategories());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(state.lines().size(), 2u);
    EXPECT_EQ(findTriple(*d, 0, 0, 0, 0, 0, id("ENG")), 0);
    EXPECT_EQ(includedEventCategories(*d), 1);
}

TEST_F(RoomCommandsTest, TheCapacityNoticeIsOfferedOnceAndThenFollowed)
{
    // 19 events placed in all 450 cells of ten weeks need 8550 slots: over three quarters of
    // the store.
    f.calendar(10, 5, 9).resources('R', {"R1"});
    for (int e = 1; e <= 19; ++e) {
        const std::string group = "G" + std::to_string(e), event = "E" + std::to_string(e);
        f.resources('G', {group});
        f.event(event, {group}, 450).allocate(event, 1, 10, 45);
        for (int w = 1; w <= 10; ++w)
            for (int day = 1; day <= 5; ++day)
                f.place(event, w, day, 1, 9);
    }
    f.finish();

    ui.expect("if 75% of the capacity is used").answer(Answer::Yes);
    ui.expect("0 room assignments plus 8550 empty slots").answer(Answer::No);
    ASSERT_TRUE(state.open());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(state.lines().size(), 8550u);

    // Next time the capacity question comes at once.
    RoomsDialogState again(*d, p, memory);
    ui.expect("0 room assignments plus 8550 empty slots").answer(Answer::No);
    ASSERT_TRUE(again.open());
    EXPECT_TRUE(ui.finished()) << ui.problems();

    // Declined, the notice is not offered again.
    RoomsDialogMemory other;
    ui.expect("if 75% of the capacity is used").answer(Answer::No);
    ASSERT_TRUE(RoomsDialogState(*d, p, other).open());
    ASSERT_TRUE(RoomsDialogState(*d, p, other).open());
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// A Cancel or No at any question leaves the data set as the dialog found it.
TEST_F(RoomCommandsTest, EveryQuestionCancelsWithoutChange)
{
    buildSchool(2);
    ASSERT_TRUE(state.open());
    openAndAssign("MATH", 1, "R1");
    openAndAssign("MATH", 2, "R1");
    const std::string before = dumpScheduleData(*d);
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
        std::function<bool()> run;
    };
    const std::vector<Case> cases = {
        {"clear all", [](ScriptedDialogs &s) { s.answer(Answer::No); },
         [&] { return state.clearAll(); }},
        {"copy", [](ScriptedDialogs &s) { s.cancel(); }, [&] { return state.copyRoom(); }},
        {"compact", [](ScriptedDialogs &s) { s.answer(Answer::No); },
         [&] { return state.compact(); }},
        {"imitate", [](ScriptedDialogs &s) { s.cancel(); }, [&] { return state.imitate(); }},
        {"categories", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return state.chooseCategories(); }},
        {"categories sure", [](ScriptedDialogs &s) { s.choose({1}).answer(Answer::No); },
         [&] { return state.chooseCategories(); }},
    };
    for (const Case &step : cases) {
        SCOPED_TRACE(step.name);
        state.choose(lineOf("MATH", 1));
        step.script(ui);
        EXPECT_FALSE(step.run());
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_TRUE(dumpScheduleData(*d) == before);
    }
}

} // namespace
