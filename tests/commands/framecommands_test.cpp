// The frame's own commands through scripted dialogs: what they change, what they leave alone,
// and that a Cancel at any question changes nothing.

#include "commands/bookingcommands.h"
#include "commands/clearcommands.h"
#include "commands/codecommands.h"
#include "commands/colourcommands.h"
#include "commands/commandsupport.h"
#include "commands/freeresources.h"
#include "commands/lockcommands.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/textutil.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace quivra;

namespace {

class FrameCommandsTest : public ::testing::Test
{
protected:
    FrameCommandsTest() : d(makeScheduleData()), f(*d), p(ui) {}

    // Three events in five weeks: E1 and E2 placed in weeks 2..4 (E2 locked), E3 placed in
    // week 3 but never picked; E1 has rooms given by hand in weeks 2 and 3, E2 in week 3.
    void buildSchool()
    {
        f.calendar(5, 5, 6).resources('T', {"T1", "T2", "T3"}).resources('R', {"R1", "R2"});
        f.event("E1", {"T1"}, 6).allocate("E1", 2, 4, 2);
        f.event("E2", {"T2"}, 3).allocate("E2", 2, 4, 1);
        f.event("E3", {"T3"}, 1).allocate("E3", 3, 3, 1).place("E3", 3, 1, 1, 1);
        for (int w = 2; w <= 4; ++w)
            f.place("E1", w, 1, 1, 2).place("E2", w, 2, 1, 1);
        f.manualRoom("E1", 2, 1, 1, "R2").manualRoom("E1", 3, 1, 1, "R2");
        f.manualRoom("E2", 3, 2, 1, "R1");
        f.book("T1", 3, 5, 1, 2).book("T1", 4, 5, 1, 2);
        f.finish();
        d->codes[id("E2")].flags |= LockedBit;
    }

    CodeId id(std::string_view code) const { return f.id(code); }

    int scheduledIn(std::string_view code, int week)
    {
        WeekAllocation wa;
        loadWeekAllocation(*d, id(code), wa);
        return wa.scheduled[week];
    }

    int roomsInWeek(int week)
    {
        int rooms = 0;
        for (int k = 1; k <= manualTripleCount(*d); ++k) {
            const ManualTriple t = manualTriple(*d, k);
            rooms += manualWeek(t.slot) == week && t.room != 0 ? 1 : 0;
        }
        return rooms;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(FrameCommandsTest, ClearScheduledPeriodsOfPickedUnlockedEventsInTheChosenWeeks)
{
    buildSchool();
    ui.expect("First week to clear scheduled periods").choose(3);
    ui.expect("Last week to clear scheduled periods").choose(4);
    ui.expect("Select the events").pick({id("E1"), id("E2")});
    ui.expect("from the selected 2 events and\r\n\r\nfrom weeks [3]: 1w - [4]: 1w")
        .answer(Answer::Yes);
    ui.expect("(1) locked events").answer(Answer::No);
    ui.expect("4 scheduled periods cleared from 1 events.").answer(Answer::Ok);

    EXPECT_TRUE(clearPeriods(*d, p, ClearPartPlacements | ClearPartAskWeekRange));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(scheduledIn("E1", 2), 2);
    EXPECT_EQ(scheduledIn("E1", 3), 0);
    EXPECT_EQ(scheduledIn("E1", 4), 0);
    EXPECT_EQ(scheduledIn("E2", 3), 1); // locked, and the user said No
    EXPECT_EQ(scheduledIn("E3", 3), 1); // not picked
    EXPECT_EQ(d->codes[id("E1")].allocated, 6);
    EXPECT_EQ(d->codes[id("E1")].scheduled, 2);
    EXPECT_EQ(roomsInWeek(2), 1);
    ASSERT_EQ(roomsInWeek(3), 1); // the locked event's room stays with its period
    EXPECT_EQ(roomOfSlot(*d, 3, 2, 1, id("R1")), id("E2"));
    EXPECT_TRUE(d->modified);
}

TEST_F(FrameCommandsTest, ClearAllocationsWithLockedIncludedAndTimetableBookingsOfResources)
{
    buildSchool();
    ui.choose(1).choose(4).pick({id("E1"), id("E2")});
    ui.expect("clear weekly periods").answer(Answer::Yes).answer(Answer::Yes).answer(Answer::Ok);
    EXPECT_TRUE(clearPeriods(*d, p, ClearPartAllocations | ClearPartAskWeekRange));
    EXPECT_EQ(d->codes[id("E1")].allocated, 0);
    EXPECT_EQ(d->codes[id("E2")].allocated, 0);
    EXPECT_EQ(d->codes[id("E2")].scheduled, 0);
    EXPECT_EQ(d->codes[id("E3")].allocated, 1);

    // Bookings of timetables belong to resources; events checked in the picker do not count.
    ui.choose(4).choose(4).pick({id("T1"), id("E3")});
    ui.expect("from the selected 1 resources").answer(Answer::Yes);
    ui.expect("1 timetable bookings cleared from 1 resources.").answer(Answer::Ok);
    EXPECT_TRUE(clearPeriods(*d, p, ClearPartTableBookings | ClearPartAskWeekRange));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(d->facts.bookedCells[2], 1); // week 3 kept
    EXPECT_EQ(d->codes[id("E3")].scheduled, 1);
}

// A Cancel (or No) at any question leaves the data set exactly as it was.
TEST_F(FrameCommandsTest, EveryClearAndLockQuestionCancelsWithoutChange)
{
    buildSchool();
    f.comment("[002101];T1;staff meeting").memo("T1", "part time");
    const std::string before = dumpScheduleData(*d);
    const CodeId e1 = id("E1"), e2 = id("E2");
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
        std::function<bool()> run;
    };
    const auto clear = [&] { return clearPeriods(*d, p, ClearPartPlacements | 128); };
    const std::vector<Case> cases = {
        {"first week", [](ScriptedDialogs &s) { s.cancel(); }, clear},
        {"last week", [](ScriptedDialogs &s) { s.choose(2).cancel(); }, clear},
        {"last before first", [](ScriptedDialogs &s) { s.choose(4).choose(2); }, clear},
        {"picker", [](ScriptedDialogs &s) { s.choose(2).choose(4).cancel(); }, clear},
        {"sure", [&](ScriptedDialogs &s) { s.choose(2).choose(4).pick({e1}).answer(Answer::No); },
         clear},
        {"locked",
         [&](ScriptedDialogs &s) {
             s.choose(2).choose(4).pick({e1, e2}).answer(Answer::Yes).answer(Answer::Cancel);
         },
         clear},
        {"remove events", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return removeCodes(*d, p, true); }},
        {"remove events sure", [&](ScriptedDialogs &s) { s.pick({e1}).answer(Answer::No); },
         [&] { return removeCodes(*d, p, true); }},
        {"event resources second picker", [&](ScriptedDialogs &s) { s.pick({e1}).cancel(); },
         [&] { return removeEventResources(*d, p); }},
        {"comments", [](ScriptedDialogs &s) { s.choose(1).cancel(); },
         [&] { return clearComments(*d, p); }},
        {"memos", [](ScriptedDialogs &s) { s.answer(Answer::No); },
         [&] { return clearMemos(*d, p); }},
        {"delete weeks", [](ScriptedDialogs &s) { s.choose(2).choose(3).answer(Answer::No); },
         [&] {
             int week = 1;
             return deleteWeekRange(*d, p, week);
         }},
        {"lock rule", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return lockEventsByRules(*d, p, LockAllByRules, "Lock all"); }},
        {"lock picker", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return lockEventsByRules(*d, p, SelectEventsToLock, "Select"); }},
        {"colours", [](ScriptedDialogs &s) { s.answer(Answer::No); },
         [&] { return setColoursAutomatically(*d, p, RandomColours, 7); }},
        {"sort key", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return sortCodesBy(*d, p, true, true, false); }},
        {"sort category", [](ScriptedDialogs &s) { s.choose(10).cancel(); },
         [&] { return sortCodesBy(*d, p, true, true, false); }},
        {"recategorise", [](ScriptedDialogs &s) { s.cancel(); },
         [&] { return recategorise(*d, p, e2) != 0; }},
        {"attribute", [](ScriptedDialogs &s) { s.cancel(); },
         [&] {
             bool keepAsking = true;
             return attributeNewEvent(*d, p, e1, e2, &keepAsking) != 0;
         }},
        {"booking kind", [](ScriptedDialogs &s) { s.choose(4).cancel(); },
         [&] { return bookingChoice(*d, p, true) != 0; }},
    };
    for (const Case &step : cases) {
        SCOPED_TRACE(step.name);
        step.script(ui);
        EXPECT_FALSE(step.run());
        EXPECT_TRUE(ui.finished()) << ui.problems();
        // The pickers leave their selection in the marks; that is no change of the data.
        for (int c = 1; c <= d->codeCount; ++c)
            d->codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
        EXPECT_TRUE(dumpScheduleData(*d) == before);
    }
}

// A picker lists only the kind of code it asks for, and starts from its own command's
// preselection: never from the marks an earlier picker left on every code.
TEST_F(FrameCommandsTest, PickersOfferTheirKindAndTheirOwnPreselection)
{
    buildSchool();
    const CodeId e1 = id("E1"), e2 = id("E2");
    const std::vector<CodeId> events = {e1, e2, id("E3")};
    const std::vector<CodeId> resources = {id("T1"), id("T2"), id("T3"), id("R1"), id("R2")};
    std::vector<CodeId> both = events;
    both.insert(both.end(), resources.begin(), resources.end());
    struct Picker
    {
        std::size_t dialog; // which of the dialogs shown
        std::vector<CodeId> offered;
        std::vector<int> preset;
    };
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
        std::function<void(Prompter &)> run;
        std::vector<Picker> pickers;
    };
    const auto clear = [&](int part) {
        return [&, part](Prompter &q) { clearPeriods(*d, q, part | ClearPartAskWeekRange); };
    };
    const auto weeksThenCancel = [](ScriptedDialogs &s) { s.choose(1).choose(4).cancel(); };
    const auto cancel = [](ScriptedDialogs &s) { s.cancel(); };
    const std::vector<Case> cases = {
        {"clear scheduled periods", weeksThenCancel, clear(ClearPartPlacements), {{2, events, {}}}},
        {"clear timetable bookings",
         weeksThenCancel,
         clear(ClearPartTableBookings),
         {{2, resources, {}}}},
        {"remove events",
         cancel,
         [&](Prompter &q) { removeCodes(*d, q, true); },
         {{0, events, {}}}},
        {"remove resources",
         cancel,
         [&](Prompter &q) { removeCodes(*d, q, false); },
         {{0, resources, {}}}},
        {"remove event resources",
         [&](ScriptedDialogs &s) { s.pick({e1}).cancel(); },
         [&](Prompter &q) { removeEventResources(*d, q); },
         {{0, events, {}}, {1, resources, {}}}},
        {"select events to lock",
         cancel,
         [&](Prompter &q) { lockEventsByRules(*d, q, SelectEventsToLock, "Select"); },
         {{0, events, {e2}}}}, // the events locked now
        {"select resources to lock",
         cancel,
         [&](Prompter &q) { lockEventsByRules(*d, q, SelectResourcesToLock, "Select"); },
         {{0, resources, {}}}},
        {"recategorise", cancel, [&](Prompter &q) { recategorise(*d, q, 0); }, {{0, both, {}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // What an earlier picker left: every code checked.
        for (int k = 1; k <= d->codeCount; ++k)
            d->codes[k].flags |= AllMarks;
        ScriptedDialogs script;
        Prompter prompter(script);
        c.script(script);
        c.run(prompter);
        EXPECT_TRUE(script.finished()) << script.problems();
        for (const Picker &picker : c.pickers) {
            ASSERT_LT(picker.dialog, script.shown().size());
            const ShownDialog &shown = script.shown()[picker.dialog];
            ASSERT_EQ(shown.shape, DialogShape::PickCodes);
            std::vector<CodeId> offered;
            for (const OptionItem &option : shown.options)
                offered.push_back(static_cast<CodeId>(option.number));
            std::vector<CodeId> expected = picker.offered;
            std::ranges::sort(offered);
            std::ranges::sort(expected);
            EXPECT_EQ(offered, expected);
            EXPECT_EQ(shown.checked, picker.preset);
        }
    }
}

TEST_F(FrameCommandsTest, RemoveEventsResourcesAndEventResources)
{
    buildSchool();
    ui.expect("Select event(s) you want to remove").pick({id("E1"), id("E3"), id("T1")});
    ui.expect("remove these 2 items permanently").answer(Answer::Yes).answer(Answer::Ok);
    EXPECT_TRUE(removeCodes(*d, p, true));
    EXPECT_EQ(findCode(*d, "E1"), 0);
    EXPECT_EQ(findCode(*d, "E3"), 0);
    ASSERT_NE(findCode(*d, "T1"), 0);
    EXPECT_EQ(d->eventList[0], 1);

    f.event("E4", {"T1", "T2", "R1"}, 1).finish();
    ui.pick({id("E2"), id("E4")}).pick({id("T2"), id("R1")});
    ui.expect("remove these 2 resource(s) from 2 event(s)").answer(Answer::Yes);
    ui.expect("3 resource(s) removed from 2 event(s).").answer(Answer::Ok);
    EXPECT_TRUE(removeEventResources(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(collectionOf(*d, id("E2"))[0], 0);
    const MemberList e4 = collectionOf(*d, id("E4"));
    ASSERT_EQ(e4[0], 1);
    EXPECT_EQ(e4[1], id("T1"));
}

TEST_F(FrameCommandsTest, LockByRulesCountsAllLockedEvents)
{
    buildSchool();
    f.event("E4", {"T3"}, 2).event("E5", {"T3"}, 1).allocate("E5", 1, 1, 1).finish();
    d->codes[id("E2")].flags |= LockedBit;
    // Not scheduled: E4 and E5; E2 was locked before.
    ui.expect("Additional selection for \"Lock all events by rules\" :").choose(4);
    ui.expect("3 events locked, 2 changed.").answer(Answer::Ok);
    EXPECT_TRUE(lockEventsByRules(*d, p, LockAllByRules, "&Lock all events by rules"));
    EXPECT_TRUE(queryLock(*d, id("E4")) && queryLock(*d, id("E5")));
    EXPECT_FALSE(queryLock(*d, id("E1")));

    // Picked events are locked, the others unlocked, within the rule.
    ui.expect("Select the events to lock").pick({id("E1")});
    ui.expect("Additional selection for \"Select events to lock\"").choose(1);
    ui.expect("1 events locked, 4 changed.").answer(Answer::Ok);
    EXPECT_TRUE(lockEventsByRules(*d, p, SelectEventsToLock, "Select events to lock"));
    EXPECT_TRUE(queryLock(*d, id("E1")));
    EXPECT_EQ(countLocked(*d), 1);

    // A locked resource locks every event that uses it.
    ui.expect("Select the resources to lock").pick({id("T3")});
    ui.expect("4 events locked, 3 changed.").answer(Answer::Ok);
    EXPECT_TRUE(lockEventsByRules(*d, p, SelectResourcesToLock, "Select resources to lock"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(FrameCommandsTest, DeletingFirstWeeksOfADatedCalendarMovesItsDate)
{
    buildSchool();
    d->calendarMode = 2;
    d->firstWeekDate = dateSerial(2027, 1, 4);
    ui.expect("Select the first week to delete").choose(1);
    ui.expect("Select the last week to delete").choose(2);
    ui.expect("selected week range of 2 week(s)").answer(Answer::Yes);
    ui.expect("2 week(s) deleted.").answer(Answer::Ok);
    int active = 5;
    EXPECT_TRUE(deleteWeekRange(*d, p, active));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(d->firstWeekDate, dateSerial(2027, 1, 18));
    EXPECT_EQ(usedWeeks(*d), 3);
    EXPECT_EQ(active, 3);
    EXPECT_EQ(scheduledIn("E1", 1), 2); // old week 3
    EXPECT_EQ(scheduledIn("E3", 1), 1);
    EXPECT_EQ(roomsInWeek(1), 2);

    // Nothing left beyond week 1: refused without a question.
    auto single = makeScheduleData();
    FixtureBuilder(*single).calendar(3, 5, 6).resources('T', {"T1"}).event("E", {"T1"}).finish();
    EXPECT_FALSE(deleteWeekRange(*single, p, active));
}

TEST_F(FrameCommandsTest, ColoursByCategoryAndClearing)
{
    buildSchool();
    f.event("B1", {"T1"}, 1, 2).event("B2", {"T2"}, 1, 2).finish();
    ui.expect("automatically set new colours").answer(Answer::Yes);
    EXPECT_TRUE(setColoursAutomatically(*d, p, ColoursByCategory, 12345));
    const auto colour = [&](const char *code) { return d->codes[id(code)].colour; };
    EXPECT_EQ(colour("E1"), colour("E3"));
    EXPECT_EQ(colour("B1"), colour("B2"));
    EXPECT_EQ(colour("T1"), colour("T3"));
    EXPECT_NE(colour("E1"), 0);
    bool inPalette = false;
    for (const std::uint32_t rgb : CodePalette)
        inPalette = inPalette || storedColour(rgb) == colour("E1");
    EXPECT_TRUE(inPalette);
    EXPECT_EQ(storedColour(0x3399FF), 0xFF9933);

    // Random colours only to resources: every channel at least 128.
    ui.answer(Answer::Yes);
    EXPECT_TRUE(setColoursAutomatically(*d, p, RandomResourceColours, 99));
    EXPECT_EQ(colour("E1"), colour("E3"));
    for (const char *code : {"T1", "R1"}) {
        const auto c = static_cast<std::uint32_t>(colour(code));
        EXPECT_GE(c & 0xFF, 128u);
        EXPECT_GE((c >> 8) & 0xFF, 128u);
        EXPECT_GE((c >> 16) & 0xFF, 128u);
    }

    ui.expect("to clear all resource and event colours").answer(Answer::Yes);
    ui.expect(std::to_string(d->codeCount) + " colours cleared.").answer(Answer::Ok);
    EXPECT_TRUE(clearColours(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(colour("T1"), 0);
}

// The colour dialog starts on the code's own colour and stores the choice; Cancel keeps it.
TEST_F(FrameCommandsTest, ColourOfOneCodeIsAskedFromItsOwn)
{
    buildSchool();
    f.finish();
    const CodeId t1 = id("T1");
    d->codes[t1].colour = 0x00336699; // stored as 0x00BBGGRR
    d->modified = false;
    ui.expect("Set colour to \"T1\"").colour(0x102030);
    EXPECT_TRUE(chooseCodeColour(*d, p, t1));
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].colour, 0x996633u);
    EXPECT_EQ(d->codes[t1].colour, 0x00302010);
    EXPECT_TRUE(d->modified);

    d->modified = false;
    ui.cancel();
    EXPECT_FALSE(chooseCodeColour(*d, p, t1));
    EXPECT_EQ(d->codes[t1].colour, 0x00302010);
    EXPECT_FALSE(d->modified);
    EXPECT_FALSE(chooseCodeColour(*d, p, 0)); // no code: nothing asked
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// Change the current colour recolours every code of that colour; More colour selections gives
// the picked codes one colour. A Cancel at any question leaves every colour and the flag alone.
TEST_F(FrameCommandsTest, ChangeTheCurrentColourAndColourASelection)
{
    buildSchool();
    f.finish();
    const auto colour = [&](const char *code) { return d->codes[id(code)].colour; };
    for (const char *code : {"T1", "T3"})
        d->codes[id(code)].colour = 0x00336699;
    d->codes[id("T2")].colour = 0x00445566;
    d->modified = false;

    const auto unchanged = [&] {
        EXPECT_EQ(colour("T1"), 0x00336699);
        EXPECT_EQ(colour("T3"), 0x00336699);
        EXPECT_EQ(colour("T2"), 0x00445566);
        EXPECT_EQ(colour("E1"), 0);
        EXPECT_FALSE(d->modified);
    };
    ui.cancel();
    EXPECT_FALSE(changeCurrentColour(*d, p, id("T1")));
    unchanged();
    ui.cancel();
    EXPECT_FALSE(colourSelectedCodes(*d, p));
    unchanged();
    ui.pick({id("E1")}).cancel();
    EXPECT_FALSE(colourSelectedCodes(*d, p));
    unchanged();
    ui.expect("\"E1\" has no colour of its own").answer(Answer::Ok);
    EXPECT_FALSE(changeCurrentColour(*d, p, id("E1")));
    unchanged();

    ui.expect("Change the colour of \"T1\" and of 1 other item(s)").colour(0x102030);
    EXPECT_TRUE(changeCurrentColour(*d, p, id("T1")));
    EXPECT_EQ(ui.shown().back().colour, 0x996633u); // offered as 0xRRGGBB
    EXPECT_EQ(colour("T1"), 0x00302010);
    EXPECT_EQ(colour("T3"), 0x00302010);
    EXPECT_EQ(colour("T2"), 0x00445566);
    EXPECT_TRUE(d->modified);

    // Black stays a colour rather than none.
    ui.pick({id("E1"), id("T2")}).expect("the 2 selected item(s)").colour(0x000000);
    EXPECT_TRUE(colourSelectedCodes(*d, p));
    EXPECT_NE(colour("E1"), 0);
    EXPECT_EQ(colour("E1"), colour("T2"));
    EXPECT_EQ(colour("T1"), 0x00302010);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(FrameCommandsTest, CommentsOfWeeksThenTheRestAndMemos)
{
    buildSchool();
    f.comment("[002101];T1;staff meeting").comment("[003101];T1;trip");
    f.comment("[000000];*;term starts").memo("T1", "part time").memo("T2", "new");
    ui.choose(1).choose(2).expect("1 out of 3 comments cleared").answer(Answer::Ok);
    EXPECT_TRUE(clearComments(*d, p));
    ASSERT_EQ(d->comments.size(), 2u);

    ui.choose(1).choose(4).expect("1 out of 2 comments cleared").answer(Answer::Ok);
    ui.expect("clear the rest 1 comments").answer(Answer::Yes);
    EXPECT_TRUE(clearComments(*d, p));
    EXPECT_TRUE(d->comments.empty());

    ui.expect("Are you sure to clear all 2 memo lines?").answer(Answer::Yes).answer(Answer::Ok);
    EXPECT_TRUE(clearMemos(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_TRUE(d->memos.empty());
}

TEST_F(FrameCommandsTest, BookingDefaultsAndCaptions)
{
    buildSchool();
    ui.expect("Change the default booking type 1").choose(3);
    EXPECT_EQ(bookingChoice(*d, p, false), 3);
    EXPECT_EQ(d->header.defaultResourceBookingKind, 3);
    EXPECT_EQ(d->header.defaultEventBookingKind, 1);

    ui.choose(4).expect("Enter a new caption").type("Exam");
    EXPECT_EQ(bookingChoice(*d, p, true), 4);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_TRUE(ui.shown()[1].options.size() == 4);
    EXPECT_EQ(listItem(d->bookingKinds.view(), 1), "Exam");
}

// Sorting moves the codes and renumbers everything that names them.
TEST_F(FrameCommandsTest, SortEventsByPlannedKeepsTheirCollectionsAndLectures)
{
    buildSchool();
    ui.expect("Sort events by:").choose(3);
    EXPECT_TRUE(sortCodesBy(*d, p, true, true, false));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    const auto eventAt = [&](int k) { return d->codes[d->eventList[k]].code.str(); };
    EXPECT_EQ(eventAt(1), "E3");
    EXPECT_EQ(eventAt(2), "E2");
    EXPECT_EQ(eventAt(3), "E1");
    EXPECT_EQ(collectionOf(*d, id("E1"))[1], id("T1"));
    EXPECT_EQ(scheduledIn("E1", 3), 2);
    EXPECT_EQ(roomsInWeek(3), 2);
}

TEST_F(FrameCommandsTest, RecategoriseKeepsLocksAndTakesTheNoTimetableRule)
{
    buildSchool();
    ui.expect("Select the new category:").choose(2);
    EXPECT_EQ(recategorise(*d, p, id("E2")), 2);
    EXPECT_EQ(categoryOf(*d, id("E2")), 2);
    EXPECT_TRUE(queryLock(*d, id("E2")));
    EXPECT_EQ(ui.shown().back().checked, std::vector<int>{1}); // its category preselected

    // Picked codes of the first one's kind move together; events picked with them stay.
    d->noTimetableMasks[1] = 1u << 3;
    ui.pick({id("T1"), id("T2"), id("E1")}).choose(3);
    EXPECT_EQ(recategorise(*d, p), 3);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(categoryOf(*d, id("T2")), 3);
    EXPECT_TRUE(d->codes[id("T1")].flags & NoTimetableBit);
    EXPECT_EQ(categoryOf(*d, id("E1")), 1);
}

TEST_F(FrameCommandsTest, AttributingANewEventKeepsNamesWithinTheirLength)
{
    buildSchool();
    d->codes[id("E1")].name.assign(std::string(198, 'x'));
    d->codes[id("E2")].name.assign("[E2]Already attributed");
    bool keepAsking = true;
    ui.expect("Do you want to attribute the new event?").choose(2, true);
    EXPECT_EQ(attributeNewEvent(*d, p, id("E1"), id("E2"), &keepAsking), 2);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(ui.shown().back().options[1].text, "[E1]" + std::string(30, 'x') + "...");
    EXPECT_EQ(d->codes[id("E1")].name.str(), "[E1]" + std::string(196, 'x'));
    EXPECT_EQ(d->codes[id("E2")].name.str(), "[E2]Already attributed");
    EXPECT_FALSE(keepAsking);
    EXPECT_EQ(attributeNewEvent(*d, p, id("E1"), id("E2"), &keepAsking), 0); // not asked again
}

TEST_F(FrameCommandsTest, FreeResourcesOfARange)
{
    buildSchool();
    // Week 3, Monday bells 1..2: T1 (E1), T3 (E3) and R2 (a room given by hand) are busy.
    EXPECT_EQ(freeResources(*d, 3, 1, 1, 1, 2, 0), (std::vector<CodeId>{id("T2"), id("R1")}));
    EXPECT_EQ(freeResources(*d, 3, 1, 1, 1, 2, categoryOf(*d, id("R1"))),
              (std::vector<CodeId>{id("R1")}));
    ui.expect("Free resources (of \"All categories\") in all 2 slot(s)").choose(2);
    EXPECT_EQ(showFreeResources(*d, p, 3, 1, 1, 1, 2, 0), id("R1"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
