// The Timetables view's commands past the master's cells: the manual-room question before a
// block goes in, the rooms of a slot, the event's structure with its replacements undone and
// redone, What if?, free resources, the copy to later weeks and the quick optimisation's
// questions about the periods left; every cancelled question leaves the data set as it was.

#include "commands/timetableedits.h"

#include "commands/timetablefixture.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quivra;

namespace {

int placedInWeek(const ScheduleData &d, CodeId e, int week)
{
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    return wa.scheduled[static_cast<std::size_t>(week)];
}

bool placedAtCell(ScheduleData &d, CodeId e, int week, int day, int bell)
{
    WeekMatrix m;
    m.build(d, week);
    const MatrixEvent *ev = m.event(e);
    return ev && (ev->cells[static_cast<std::size_t>(day)] & (1u << (bell - 1)));
}

// A data set of a test's own, for cases that each start afresh.
struct World
{
    World() : d(makeScheduleData()), f(*d), p(ui) {}
    int placedIn(std::string_view event, int week) const
    {
        return placedInWeek(*d, f.id(event), week);
    }
    bool placedAt(std::string_view event, int week, int day, int bell) const
    {
        return placedAtCell(*d, f.id(event), week, day, bell);
    }
    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    TimetablesSession s;
};

class TimetableEditsTest : public quivra::testing::TimetableTest
{
protected:
    TimetableEditsTest()
    {
        // MATH and ART share T1; ENG brings its own room R1. MATH and ART have no room.
        f.calendar(3, 5, 6)
            .resources('G', {"G1", "G2", "G3"})
            .resources('T', {"T1", "T2"})
            .resources('R', {"R1", "R2", "R3"});
        f.event("MATH", {"T1", "G1"}, 6).allocate("MATH", 1, 3, 2);
        f.event("ENG", {"T2", "G2", "R1"}, 6).allocate("ENG", 1, 3, 2);
        f.event("ART", {"T1", "G2"}, 3).allocate("ART", 1, 3, 1);
        f.event("BIO", {"T1", "G3"}, 3).allocate("BIO", 1, 3, 1);
    }

    std::vector<std::string> collection(std::string_view event) const
    {
        std::vector<std::string> codes;
        const MemberList list = collectionOf(*d, f.id(event));
        for (int i = 1; i <= list[0]; ++i)
            codes.emplace_back(d->codes[list[static_cast<std::size_t>(i)]].code.view());
        return codes;
    }

    // Placed cells of an event in a week, from the store.
    bool placedAt(std::string_view event, int week, int day, int bell) const
    {
        return placedAtCell(*d, f.id(event), week, day, bell);
    }
    CodeId manualRoom(std::string_view event, int week, int day, int bell) const
    {
        const int k = findTriple(*d, week, day, bell, 0, 0, f.id(event));
        return k > 0 ? manualTriple(*d, k).room : 0;
    }
};

TEST_F(TimetableEditsTest, SchedulingOverAManualRoomAsksAndNoSkipsTheBlock)
{
    // MATH kept room R2 at Monday 1 from an earlier placement; BIO was given ENG's room R1 by
    // hand at Tuesday 1.
    f.manualRoom("MATH", 1, 1, 1, "R2");
    f.place("BIO", 1, 2, 1, 1).manualRoom("BIO", 1, 2, 1, "R1");
    struct Case
    {
        const char *name;
        const char *event;
        const char *master;
        const char *roomOf;
        const char *question;
        int day;
        bool overwrite;
    };
    const Case cases[] = {
        {"own, no", "MATH", "T1", "MATH", "Event \"MATH", 1, false},
        {"own, yes", "MATH", "T1", "MATH", "Event \"MATH", 1, true},
        {"other, no", "ENG", "T2", "BIO", "Event \"BIO", 2, false},
        {"other, yes", "ENG", "T2", "BIO", "Event \"BIO", 2, true},
    };
    f.finish();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        s.open(*d, 1);
        s.setMaster(f.id(c.master));
        s.setEvent(f.id(c.event));
        const std::string before = content();
        ui.expect(c.question).answer(c.overwrite ? Answer::Yes : Answer::No);
        const TimetableOutcome out = scheduleCells(*d, s, p, CellArea::cell(c.day, 1));
        EXPECT_EQ(out.changed, c.overwrite);
        if (c.overwrite) {
            EXPECT_TRUE(placedAt(c.event, 1, c.day, 1));
            EXPECT_EQ(manualRoom(c.roomOf, 1, c.day, 1), 0) << "the room is taken off";
        } else {
            EXPECT_EQ(content(), before);
        }
        EXPECT_TRUE(ui.finished()) << ui.problems();
    }
}

TEST_F(TimetableEditsTest, EveryCancelledQuestionChangesNothing)
{
    f.place("MATH", 1, 1, 1, 2).place("ART", 1, 2, 1, 1).place("ENG", 1, 3, 1, 1);
    f.book("T1", 1, 4, 3, 1);
    const auto cancelEditor = [](CollectionsEditor &editor) { editor.cancel(); };
    struct Case
    {
        const char *name;
        const char *master;
        const char *event;
        SlotPos cell;
        std::function<void(ScriptedDialogs &)> script;
        std::function<TimetableOutcome(ScheduleData &, TimetablesSession &, Prompter &)> run;
    };
    const Case cases[] = {
        {"select room",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("(no room selected)").cancel(); },
         selectRoomManually},
        {"check rooms",
         "T2",
         "ENG",
         {3, 1},
         [](ScriptedDialogs &u) { u.expect("ALL WEEKS=").cancel(); },
         checkAvailableRooms},
        {"replace room refused",
         "T2",
         "ENG",
         {3, 1},
         [](ScriptedDialogs &u) {
             u.expect("ALL WEEKS=").choose(1);
             u.expect("Which room do you like to replace with \"R2\"").choose(1);
             u.expect("Do you want to replace room \"R1\"").answer(Answer::No);
         },
         checkAvailableRooms},
        {"what if",
         "T1",
         "BIO",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("\"What if\" options").cancel(); },
         [&](ScheduleData &dd, TimetablesSession &ss, Prompter &pp) {
             return whatIf(dd, ss, pp, cancelEditor);
         }},
        {"what if, editor left",
         "T1",
         "BIO",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("\"What if\" options").choose(1); },
         [&](ScheduleData &dd, TimetablesSession &ss, Prompter &pp) {
             return whatIf(dd, ss, pp, cancelEditor);
         }},
        {"edit structure",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &) {},
         [&](ScheduleData &dd, TimetablesSession &ss, Prompter &pp) {
             return editEventStructure(dd, ss, pp, ss.event(), 0, cancelEditor);
         }},
        {"free resources",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("Free resources").cancel(); },
         [](ScheduleData &dd, TimetablesSession &ss, Prompter &pp) {
             return showFreeTimetables(dd, ss, pp, CellArea::cell(1, 1), FreeScope::All);
         }},
        {"copy: items",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("Select the items").cancel(); },
         copyTimetableToWeeks},
        {"copy: first week",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) {
             u.expect("Select the items").choose(4);
             u.expect("Select the first week").cancel();
         },
         copyTimetableToWeeks},
        {"copy: last week",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) {
             u.expect("Select the items").choose(4);
             u.expect("Select the first week").choose(2);
             u.expect("Select the last week").cancel();
         },
         copyTimetableToWeeks},
        {"copy: week range refused",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) {
             u.expect("Select the items").choose(4);
             u.expect("Select the first week").choose(3);
             u.expect("Select the last week").choose(2);
             u.expect("The last week cannot be smaller than the first week.").answer(Answer::Ok);
         },
         copyTimetableToWeeks},
        {"copy: clear",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) {
             u.expect("Select the items").choose(4);
             u.expect("Select the first week").choose(2);
             u.expect("Select the last week").choose(3);
             u.expect("Clear previously scheduled").cancel();
         },
         copyTimetableToWeeks},
        {"copy: adjust",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) {
             u.expect("Select the items").choose(1);
             u.expect("Select the first week").choose(2);
             u.expect("Select the last week").choose(3);
             u.expect("Clear previously scheduled").answer(Answer::Yes);
             u.expect("adjust the allocated periods").cancel();
         },
         copyTimetableToWeeks},
        {"schedule the remaining",
         "T1",
         "MATH",
         {1, 1},
         [](ScriptedDialogs &u) { u.expect("schedule the remaining 2 periods now").cancel(); },
         [](ScheduleData &dd, TimetablesSession &ss, Prompter &pp) {
             const bool stop = scheduleRemainingFirst(dd, ss, pp) == RemainingAnswer::Stop;
             return TimetableOutcome{!stop, {}, TimetablesGoTo::Nowhere};
         }},
    };
    f.finish();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ui = ScriptedDialogs();
        s.open(*d, 1);
        s.setMaster(f.id(c.master));
        s.setEvent(f.id(c.event));
        s.clickCell(*d, c.cell.day, c.cell.bell);
        s.setEvent(f.id(c.event));
        const std::string before = content();
        c.script(ui);
        const TimetableOutcome out = c.run(*d, s, p);
        EXPECT_FALSE(out.changed);
        EXPECT_EQ(content(), before);
        EXPECT_EQ(s.matrix().log().size(), 0);
        EXPECT_TRUE(ui.finished()) << ui.problems();
    }
}

TEST_F(TimetableEditsTest, WhatIfRanksTheBlockersAndItsReplacementUndoes)
{
    // BIO needs T1: MATH holds it three cells (Mon 1-3), ART two (Tue 1-2).
    f.place("ART", 1, 2, 1, 2);
    f.allocate("MATH", 1, 1, 3).place("MATH", 1, 1, 1, 3);
    open("T1", "BIO");
    const std::vector<WhatIfOption> options = whatIfOptions(*d, s);
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].line, "*1 : MATH (T1 -> ?) 25+3 = 28 free slots");
    EXPECT_EQ(options[1].line, "*2 : ART (T1 -> ?) 25+2 = 27 free slots");

    const std::string before = content();
    ui.expect("can add (2...3) free slots").choose(1);
    const TimetableOutcome out = whatIf(*d, s, p, [&](CollectionsEditor &editor) {
        // The editor offers T1's category; T2 takes T1's place.
        ASSERT_EQ(editor.left().front(), f.id("T1"));
        ASSERT_TRUE(editor.swap(0, f.id("T2")));
        editor.commit();
    });
    EXPECT_TRUE(out.changed) << out.message;
    EXPECT_EQ(collection("MATH"), (std::vector<std::string>{"T2", "G1"}));
    const std::string after = content();
    // The replacement is one logged step: BIO now has Monday free in T1.
    ASSERT_EQ(s.matrix().log().size(), 1);
    EXPECT_EQ(s.matrix().cell(s.masterRow(), 1, 1), 0u);
    EXPECT_TRUE(undoLast(*d, s).changed);
    EXPECT_EQ(collection("MATH"), (std::vector<std::string>{"T1", "G1"}));
    EXPECT_EQ(content(), before);
    EXPECT_TRUE(redoLast(*d, s).changed);
    EXPECT_EQ(content(), after);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableEditsTest, AnyOtherEditOfTheCollectionRebuildsTheWeek)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T1", "MATH");
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(2, 1)).changed);
    const TimetableOutcome out =
        editEventStructure(*d, s, p, f.id("MATH"), 0, [&](CollectionsEditor &editor) {
            ASSERT_EQ(editor.add({f.id("G3")}), 1);
            editor.commit();
        });
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(collection("MATH"), (std::vector<std::string>{"T1", "G1", "G3"}));
    // The week was built again with G3's row holding MATH; the log starts anew.
    EXPECT_EQ(s.matrix().log().size(), 0);
    EXPECT_NE(s.matrix().cell(s.matrix().rowOf(f.id("G3")), 1, 1), 0u);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableEditsTest, RoomsOfTheSlotAreGivenOrReplaced)
{
    f.place("MATH", 1, 1, 1, 2).place("ENG", 1, 3, 1, 1);
    open("T1", "MATH");
    s.clickCell(*d, 1, 1);
    ASSERT_EQ(s.event(), f.id("MATH"));

    // MATH has no room: the slot gets one by hand, and on request its other slot too.
    ui.expect("3 available rooms for event").choose(2);
    ui.expect("also to other slots of \"MATH\"").answer(Answer::Yes);
    EXPECT_TRUE(selectRoomManually(*d, s, p).changed);
    EXPECT_EQ(manualRoom("MATH", 1, 1, 1), f.id("R2"));
    EXPECT_EQ(manualRoom("MATH", 1, 1, 2), f.id("R2"));
    // The room now shows as the slot's manual room.
    const std::vector<SlotRoom> rooms = slotRooms(*d, s);
    const auto r2 = std::find_if(rooms.begin(), rooms.end(),
                                 [&](const SlotRoom &r) { return r.room == f.id("R2"); });
    ASSERT_NE(r2, rooms.end());
    EXPECT_TRUE(r2->manual);
    EXPECT_NE(r2->line.find("(MSR: Manually Selected Room)"), std::string::npos);

    // ENG has R1 in its collection: choosing R3 replaces it, logged, and Undo puts R1 back.
    s.setMaster(f.id("T2"));
    s.clickCell(*d, 3, 1);
    ASSERT_EQ(s.event(), f.id("ENG"));
    const std::string before = content();
    ui.expect("[ALL WEEKS=").choose(2);
    ui.expect("Which room do you like to replace with \"R3\"").choose(1);
    ui.expect("Do you want to replace room \"R1\" with \"R3\"").answer(Answer::Yes);
    EXPECT_TRUE(checkAvailableRooms(*d, s, p).changed);
    EXPECT_EQ(collection("ENG"), (std::vector<std::string>{"T2", "G2", "R3"}));
    EXPECT_TRUE(undoLast(*d, s).changed);
    EXPECT_EQ(content(), before);

    // MATH has no room resource: the chosen room joins its collection, and its row holds MATH.
    s.setMaster(f.id("T1"));
    s.clickCell(*d, 1, 1);
    ui.expect("[ALL WEEKS=").choose(3);
    ui.expect("Do you want to add new room \"R3\"?").answer(Answer::Yes);
    EXPECT_TRUE(checkAvailableRooms(*d, s, p).changed);
    EXPECT_EQ(collection("MATH"), (std::vector<std::string>{"T1", "G1", "R3"}));
    EXPECT_EQ(cellCode(*d, s.matrix().cell(s.matrix().rowOf(f.id("R3")), 1, 2)), f.id("MATH"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableEditsTest, FreeResourcesPickTheMaster)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T1", "MATH");
    // Free on Monday 1 among all timetables: G2, G3, T2, R1, R2, R3; T2 is the third.
    ui.expect("Free resources (of \"All categories\")").choose(3);
    EXPECT_FALSE(showFreeTimetables(*d, s, p, CellArea::cell(1, 1), FreeScope::All).changed);
    EXPECT_EQ(s.master(), f.id("T2"));
    // The master's category: T1 is busy, so T2 itself is all there is; choosing it changes
    // nothing.
    ui.expect("(To view free resources of other categories").choose(1);
    showFreeTimetables(*d, s, p, CellArea{1, 1, 1, 1}, FreeScope::MasterCategory);
    EXPECT_EQ(s.master(), f.id("T2"));
    // Expanded: free in part of Monday 1-2 counts, the freest first; T1 (free on bell 2) last.
    ui.expect("(of \"All categories\") in 2 slot(s)").choose(8);
    showFreeTimetables(*d, s, p, CellArea{1, 1, 1, 2}, FreeScope::Expanded);
    EXPECT_EQ(s.master(), f.id("T1"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(TimetableEdits, CopyToLaterWeeksClearsOrKeepsAndLeavesLockedEvents)
{
    struct Case
    {
        const char *name;
        bool clear;
        int mathWeek2; // MATH's periods in week 2 afterwards
        bool thursdayStays;
    };
    // MATH is placed Mon 1-2 in week 1 and Thu 5 in week 2 (2 periods a week).
    const Case cases[] = {{"keep", false, 2, true}, {"clear", true, 2, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        auto &f = w.f;
        auto &ui = w.ui;
        f.calendar(3, 5, 6)
            .resources('G', {"G1", "G2"})
            .resources('T', {"T1"})
            .resources('R', {"R1"});
        f.event("MATH", {"T1", "G1"}, 6).allocate("MATH", 1, 3, 2);
        f.event("ART", {"T1", "G2"}, 3).allocate("ART", 1, 3, 1);
        f.place("MATH", 1, 1, 1, 2).place("MATH", 2, 4, 5, 5).place("ART", 1, 2, 1, 1);
        f.book("T1", 1, 3, 3, 1);
        f.finish();
        w.s.open(*w.d, 1);
        w.s.setMaster(f.id("T1"));
        w.s.setEvent(f.id("MATH"));
        setLock(*w.d, f.id("ART"), LockMode::Lock);
        ui.expect("Select the items").choose(4);
        ui.expect("Select the first week").choose(2);
        ui.expect("Select the last week").choose(3);
        ui.expect("Clear previously scheduled").answer(c.clear ? Answer::Yes : Answer::No);
        ui.expect("adjust the allocated periods").answer(Answer::No);
        ui.expect(c.clear ? "4 (out of 6) periods and 2 (out of 2) bookings copied"
                          : "3 (out of 6) periods and 2 (out of 2) bookings copied")
            .answer(Answer::Ok);
        EXPECT_TRUE(copyTimetableToWeeks(*w.d, w.s, w.p).changed);
        EXPECT_EQ(w.placedIn("MATH", 2), c.mathWeek2);
        EXPECT_EQ(w.placedAt("MATH", 2, 4, 5), c.thursdayStays);
        EXPECT_TRUE(w.placedAt("MATH", 2, 1, 1));
        EXPECT_TRUE(w.placedAt("MATH", 3, 1, 2));
        EXPECT_EQ(w.placedIn("ART", 2), 0) << "a locked event is not copied";
        EXPECT_EQ(w.placedIn("ART", 3), 0);
        EXPECT_TRUE(ui.finished()) << ui.problems();
    }
}

TEST_F(TimetableEditsTest, TheQuickOptimisationSchedulesTheRemainingPeriodsFirstOnRequest)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T1", "MATH");
    // Week 1: MATH 1 of 2, ENG 0 of 2, ART 0 of 1, BIO 0 of 1 placed.
    ui.expect("Would you like Quivra to schedule the remaining 5 periods now?").answer(Answer::Yes);
    ui.expect("5 of the unscheduled 5 periods were scheduled automatically.").answer(Answer::No);
    EXPECT_EQ(scheduleRemainingFirst(*d, s, p), RemainingAnswer::Stop);
    EXPECT_EQ(s.matrix().weekTotals(*d).placed, 6);
    // With nothing left the optimisation goes on without asking.
    EXPECT_EQ(scheduleRemainingFirst(*d, s, p), RemainingAnswer::Optimise);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
