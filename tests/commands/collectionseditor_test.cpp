// The collections editor through scripted dialogs: Cancel and No leave the data set as it was,
// the code is checked before it is stored, conflicting resources cannot be added, and resource
// mode links and unlinks the right events.

#include "commands/collectionseditor.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quivra;

namespace {

class CollectionsEditorTest : public ::testing::Test
{
protected:
    CollectionsEditorTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        // MATH and ART meet on Monday, bell 1, of week 1: ART's G2 and T2 are busy then.
        f.calendar(2, 5, 4).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2", "T3"});
        f.event("MATH", {"G1", "T1"}, 2).allocate("MATH", 1, 1, 1).place("MATH", 1, 1, 1, 1);
        f.event("ART", {"G2", "T2"}, 2).allocate("ART", 1, 1, 1).place("ART", 1, 1, 1, 1);
        f.event("IDLE", {"T3"}, 1);
        f.memo("MATH", "bring a calculator");
        f.finish();
    }

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::vector<CodeId> ids(std::initializer_list<std::string_view> codes) const
    {
        std::vector<CodeId> out;
        for (auto c : codes)
            out.push_back(id(c));
        return out;
    }
    std::vector<std::string> membersOf(std::string_view event) const
    {
        const MemberList m = collectionOf(*d, id(event));
        std::vector<std::string> out;
        for (int i = 1; i <= m[0]; ++i)
            out.push_back(d->codes[m[static_cast<std::size_t>(i)]].code.str());
        return out;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

using Names = std::vector<std::string>;

TEST_F(CollectionsEditorTest, CancelAndNoLeaveTheDataSetAsItWas)
{
    const std::string before = dumpScheduleData(*d);
    {
        CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
        EXPECT_EQ(e.add(ids({"T3"}), 0), 1);
        EXPECT_TRUE(e.moveDown(0));
        EXPECT_EQ(e.remove(ids({"G1"})), 1);
        e.setNameText("Algebra");
        e.cancel();
        EXPECT_EQ(e.left(), ids({"G1", "T1"}));
        EXPECT_FALSE(e.changed());
    }
    {
        // Going to the next code and declining the changes keeps nothing either.
        CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
        e.clearAll();
        ui.expect("Do you accept these changes?").answer(Answer::No);
        EXPECT_TRUE(e.step(+1));
        EXPECT_EQ(e.code(), id("ART"));
    }
    {
        CollectionsEditor e(*d, p, CollectionsMode::Resource, id("T3"));
        e.add(ids({"MATH"}));
        e.remove(ids({"IDLE"}));
        e.cancel();
    }
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, KeepsTheOrderOfTheCollection)
{
    CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
    EXPECT_EQ(e.add(ids({"T3"}), 1), 1);
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(membersOf("MATH"), (Names{"G1", "T3", "T1"}));
    e.sort();
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(membersOf("MATH"), (Names{"G1", "T1", "T3"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ResourcesBusyInTheEventsSlotsCannotBeAdded)
{
    CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
    EXPECT_EQ(e.right(), ids({"T3"}));
    ASSERT_EQ(e.unselectable().size(), 2u);
    EXPECT_EQ(e.unselectable()[0].code, id("G2"));
    EXPECT_EQ(e.unselectable()[0].first, (CellPos{1, 1, 1}));
    EXPECT_EQ(e.unselectable()[0].conflicts, 1);
    EXPECT_EQ(e.rightTitle(), "Why 2 out of 5 resources are unselectable?");
    EXPECT_EQ(e.add(ids({"T2", "G2"})), 0);
    EXPECT_FALSE(e.swap(0, id("T2")));
    EXPECT_EQ(e.left(), ids({"G1", "T1"}));

    // A resource removed in the editor but still stored is its own slot's owner, no clash.
    e.remove(ids({"T1"}));
    EXPECT_EQ(e.add(ids({"T1"})), 1);

    // From the resource's side: T2 cannot join MATH, an unscheduled event it can.
    CollectionsEditor r(*d, p, CollectionsMode::Resource, id("T2"));
    EXPECT_EQ(r.left(), ids({"ART"}));
    EXPECT_EQ(r.right(), ids({"IDLE"}));
    ASSERT_EQ(r.unselectable().size(), 1u);
    EXPECT_EQ(r.unselectable()[0].code, id("MATH"));
    EXPECT_EQ(r.add(ids({"MATH"})), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, EmptyingAScheduledEventAsksFirst)
{
    const std::string before = dumpScheduleData(*d);
    CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
    e.clearAll();
    ui.expect("to remove all resources of \"MATH\"").answer(Answer::No);
    EXPECT_EQ(e.commit(), CommitResult::Abandoned);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("to remove all resources of \"MATH\"").answer(Answer::Yes);
    ui.expect("You should add at least one resource").answer(Answer::No);
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_TRUE(membersOf("MATH").empty());
    EXPECT_EQ(d->codes[id("MATH")].scheduled, 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, TheCodeIsCheckedBeforeItIsStored)
{
    struct Case
    {
        const char *typed;
        const char *warning;
    };
    const Case cases[] = {
        {"ART", "Code \"ART\" is already used in"},
        {"", "cannot be empty"},
        {" ", "cannot be empty"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string before = dumpScheduleData(*d);
        CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
        e.setCodeText(c.typed);
        ui.expect(c.warning).answer(Answer::Ok);
        ui.expect("Enter new code for").cancel();
        EXPECT_EQ(e.commit(), CommitResult::Abandoned);
        EXPECT_EQ(dumpScheduleData(*d), before);
    }

    // Retyping a free code renames the event, and its memo follows it.
    CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
    e.setCodeText("ART");
    ui.expect("already used").answer(Answer::Ok);
    ui.expect("Enter new code for").type("  ALGEBRA ");
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(id("MATH"), 0);
    ASSERT_NE(id("ALGEBRA"), 0);
    ASSERT_EQ(d->memos.size(), 1u);
    EXPECT_NE(d->memos[0].find("ALGEBRA"), std::string::npos) << d->memos[0];
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ANewEventWithoutResourcesIsStoredAndTheUserAsked)
{
    CollectionsEditor e(*d, p, CollectionsMode::Event, 0, 2);
    EXPECT_EQ(e.codeText(), "Event_#4");
    EXPECT_EQ(e.planned(), 1);
    e.setCodeText("NEW");
    e.setPlanned(0);
    EXPECT_EQ(e.planned(), 1);
    ui.expect("Do you want to add them now").answer(Answer::Yes);
    EXPECT_EQ(e.commit(), CommitResult::KeepOpen);
    const CodeId made = id("NEW");
    ASSERT_NE(made, 0);
    EXPECT_EQ(e.code(), made);
    EXPECT_EQ(d->codes[made].planned, 1);
    EXPECT_EQ(categoryOf(*d, made), 2);
    EXPECT_TRUE(d->codes[made].isEvent());

    // Still open on the stored event: add resources and store again, no question now.
    EXPECT_EQ(e.add(ids({"G2", "T3"})), 2);
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(membersOf("NEW"), (Names{"G2", "T3"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ANewCodeIsRefusedWhenTheTableIsFull)
{
    const int count = d->codeCount;
    d->codeCount = MaxCodes; // records beyond the real codes are empty, enough to fill the table
    CollectionsEditor e(*d, p, CollectionsMode::Resource, 0);
    e.setCodeText("NEWROOM");
    e.add(ids({"IDLE"}));
    ui.expect("The code table is full").answer(Answer::Ok);
    EXPECT_EQ(e.commit(), CommitResult::Abandoned);
    d->codeCount = count;
    EXPECT_EQ(membersOf("IDLE"), (Names{"T3"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ResourceModeLinksAndUnlinksEvents)
{
    CollectionsEditor e(*d, p, CollectionsMode::Resource, id("T3"));
    EXPECT_EQ(e.left(), ids({"IDLE"}));
    EXPECT_EQ(e.add(ids({"MATH"})), 1);
    e.remove(ids({"IDLE"}));
    // Whatever marks another command leaves on the codes meanwhile, the editor's set counts.
    setMarks(*d, 1, d->codeCount, LinkMarksMask);
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(membersOf("MATH"), (Names{"G1", "T1", "T3"}));
    EXPECT_TRUE(membersOf("IDLE").empty());
    EXPECT_EQ(d->codes[id("T3")].links, 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ResourceModeReportsEventsThatAreFull)
{
    // IDLE holds the most resources an event can have.
    MemberList full{};
    full[0] = MaxMembers;
    FixtureBuilder more(*d);
    std::vector<std::string> names;
    for (int i = 0; i < MaxMembers; ++i)
        names.push_back("X" + std::to_string(i));
    for (const auto &n : names)
        more.resources('T', {n});
    more.finish();
    for (int i = 1; i <= MaxMembers; ++i)
        full[static_cast<std::size_t>(i)] = id(names[static_cast<std::size_t>(i - 1)]);
    ASSERT_EQ(setCollection(*d, id("IDLE"), full), MaxMembers);

    CollectionsEditor e(*d, p, CollectionsMode::Resource, id("G1"));
    EXPECT_EQ(e.add(ids({"IDLE"})), 1);
    ui.expect("1 event(s) already have 240 resources").answer(Answer::Ok);
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_EQ(positionInList(id("G1"), collectionOf(*d, id("IDLE"))), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, CopyAndPasteCarryResourcesBetweenEvents)
{
    CollectionsEditor math(*d, p, CollectionsMode::Event, id("MATH"));
    ui.expect("2 resource(s) of this event were copied").answer(Answer::Ok);
    const std::string text = math.copy(ids({"G1", "T1"}));
    EXPECT_EQ(text, "G1\tName of G1\t1\r\nT1\tName of T1\t2\r\n");

    CollectionsEditor idle(*d, p, CollectionsMode::Event, id("IDLE"));
    ui.expect("2 of 2 resource(s) were added to this event").answer(Answer::Ok);
    EXPECT_EQ(idle.paste(text + "NOSUCH\tx\r\nMATH\t\t1\r\n"), 2);
    EXPECT_EQ(idle.left(), ids({"T3", "G1", "T1"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace

namespace {

TEST_F(CollectionsEditorTest, NamesAreCompletedFromOtherCodesOfTheSameKind)
{
    CollectionsEditor resource(*d, p, CollectionsMode::Resource, 0);
    CollectionsEditor math(*d, p, CollectionsMode::Event, id("MATH"));
    struct Case
    {
        const CollectionsEditor &editor;
        const char *typed;
        const char *completed;
    };
    const Case cases[] = {
        {resource, "Nam", ""}, // three characters are not enough
        {resource, "Name", "Name of G1"},
        {resource, "Name of T", "Name of T1"},
        {resource, "Name of MA", ""}, // MATH is an event
        {resource, "Name of T1", ""}, // nothing left to fill in
        {math, "Name of A", "Name of ART"},
        {math, "Name of M", ""}, // never the code's own name
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(c.editor.nameCompletion(c.typed), c.completed);
    }
}

TEST_F(CollectionsEditorTest, ANewCodesNameStartsAsItsCodeWithAReminderEvery200Codes)
{
    CollectionsEditor e(*d, p, CollectionsMode::Resource, 0);
    e.setCodeText("T4");
    e.enterNameField();
    EXPECT_EQ(e.nameText(), "T4");
    e.setNameText("Teacher Four");
    e.enterNameField(); // only the first time
    EXPECT_EQ(e.nameText(), "Teacher Four");

    // The 200th code of a data set with unsaved changes: the reminder comes with the name.
    const int count = d->codeCount;
    d->codeCount = 199; // records beyond the real codes are empty
    d->modified = true;
    CollectionsEditor next(*d, p, CollectionsMode::Event, 0);
    ui.expect("Please remember to save your data").answer(Answer::Ok);
    next.enterNameField();
    d->codeCount = count;
    EXPECT_TRUE(ui.finished()) << ui.problems();

    // An existing code keeps its name.
    CollectionsEditor art(*d, p, CollectionsMode::Event, id("ART"));
    art.enterNameField();
    EXPECT_EQ(art.nameText(), "Name of ART");
}

TEST_F(CollectionsEditorTest, TheSeatsPanelWeighsTheRoomsAgainstTheOtherResources)
{
    auto school = makeScheduleData();
    FixtureBuilder b(*school);
    b.calendar(1, 5, 4).resources('G', {"G1"}).resources('T', {"T1"}).resources('R', {"R1"});
    b.event("MATH", {"T1"}, 2).finish();
    setCodeName(*school, b.id("G1"), "Group #25");
    setCodeName(*school, b.id("R1"), "Room #30");
    struct Case
    {
        std::vector<const char *> added;
        const char *text; // empty: no panel
        const char *hint;
    };
    const Case cases[] = {
        {{}, "", ""}, // nobody carries a capacity
        {{"G1"}, "SEATS -26", "This event requires 26 more seats"},
        {{"G1", "R1"},
         "SEATS +4",
         "This event has 4 extra seats (room capacity =30 seats, required =26 seats)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        CollectionsEditor e(*school, p, CollectionsMode::Event, b.id("MATH"));
        for (const char *code : c.added)
            e.add({b.id(code)});
        const auto panel = e.seatsPanel();
        EXPECT_EQ(panel.has_value(), *c.text != 0);
        if (panel) {
            EXPECT_EQ(panel->text, c.text);
            EXPECT_EQ(panel->hint, c.hint);
        }
    }
    CollectionsEditor resource(*school, p, CollectionsMode::Resource, b.id("R1"));
    EXPECT_FALSE(resource.seatsPanel());
}

TEST_F(CollectionsEditorTest, EraseRemovesStoredPeriodsAtOnceAndCancelKeepsThat)
{
    const CodeId math = id("MATH");
    setLock(*d, math, LockMode::Lock);
    const std::string before = dumpScheduleData(*d);
    CollectionsEditor e(*d, p, CollectionsMode::Event, math);
    EXPECT_EQ(e.scheduledWeeks(), std::vector<int>{1});
    // A locked event asks first; No keeps everything.
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(e.eraseScheduled());
    EXPECT_FALSE(e.cancelDisabled());
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.expect("before it is unlocked").answer(Answer::Yes);
    EXPECT_TRUE(e.erase());
    EXPECT_EQ(d->codes[math].scheduled, 0);
    EXPECT_EQ(d->codes[math].allocated, 1);
    EXPECT_TRUE(e.cancelDisabled());
    // Nothing scheduled any more: ART's resources can join now.
    EXPECT_EQ(e.right(), ids({"G2", "T2", "T3"}));
    e.cancel();
    EXPECT_EQ(d->codes[math].scheduled, 0);

    ui.expect("to remove all periods of this event").answer(Answer::No);
    EXPECT_FALSE(e.eraseWeeklyPeriods());
    EXPECT_EQ(d->codes[math].allocated, 1);
    ui.expect("to remove all periods of this event").answer(Answer::Yes);
    EXPECT_TRUE(e.eraseWeeklyPeriods());
    EXPECT_EQ(d->codes[math].allocated, 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, EraseAsksForTheWeeksWhenMoreThanOneIsScheduled)
{
    auto two = makeScheduleData();
    FixtureBuilder b(*two);
    b.calendar(2, 5, 4).resources('T', {"T1"});
    b.event("MATH", {"T1"}, 2).allocate("MATH", 1, 2, 1);
    b.place("MATH", 1, 1, 1, 1).place("MATH", 2, 1, 1, 1).finish();
    CollectionsEditor e(*two, p, CollectionsMode::Event, b.id("MATH"));
    EXPECT_EQ(e.scheduledWeeks(), (std::vector<int>{1, 2}));
    ui.cancel();
    EXPECT_FALSE(e.erase());
    EXPECT_EQ(two->codes[b.id("MATH")].scheduled, 2);
    ui.choose({2});
    EXPECT_TRUE(e.erase());
    EXPECT_EQ(e.scheduledWeeks(), std::vector<int>{1});
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ScheduleModeEditsACopyUntilSaved)
{
    const CodeId idle = id("IDLE");
    {
        // IDLE takes G1, which MATH keeps busy on Monday, bell 1, of week 1.
        CollectionsEditor e(*d, p, CollectionsMode::Event, idle);
        EXPECT_EQ(e.add(ids({"G1"})), 1);
        EXPECT_EQ(e.commit(), CommitResult::Stored);
    }
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    CollectionsEditor e(*d, p, CollectionsMode::Event, idle);
    ASSERT_TRUE(e.enterSchedule());
    EXPECT_EQ(e.scheduleWeek(), 1);
    EXPECT_EQ(e.slot(1, 1), ScheduleSlot::Blocked);
    EXPECT_EQ(e.busyResources(1, 1), 1);
    EXPECT_FALSE(e.toggleSlot(1, 1));
    EXPECT_EQ(e.slot(2, 1), ScheduleSlot::Free);
    // A slot toggled back is no change; fill and clear work on the free and the set slots.
    EXPECT_TRUE(e.toggleSlot(2, 1));
    EXPECT_TRUE(e.toggleSlot(2, 1));
    EXPECT_EQ(e.scheduleChanges(), 0);
    EXPECT_TRUE(e.toggleSlot(2, 1));
    EXPECT_EQ(e.fillSlots(SlotScope::Row, 0, 2, true), 5);
    EXPECT_EQ(e.fillSlots(SlotScope::Day, 1, 0, true), 2); // bell 1 is blocked, bell 2 is set
    EXPECT_EQ(e.fillSlots(SlotScope::Week, 0, 0, false), 8);
    EXPECT_EQ(e.scheduleChanges(), 0);
    EXPECT_TRUE(e.toggleSlot(2, 1));
    EXPECT_TRUE(e.scheduleWeekLabel().ends_with(" (1 h)")) << e.scheduleWeekLabel();
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);

    // Leaving asks about the change; Cancel stays in schedule mode.
    ui.expect("Do you want to save these 1 schedule change(s)?").cancel();
    EXPECT_FALSE(e.leaveSchedule());
    EXPECT_TRUE(e.scheduling());
    EXPECT_TRUE(e.saveSchedule());
    EXPECT_EQ(d->codes[idle].scheduled, 1);
    EXPECT_EQ(d->codes[idle].allocated, 1);
    EXPECT_TRUE(e.cancelDisabled());
    EXPECT_EQ(e.scheduleChanges(), 0);

    // The week copied goes to week 2 where it is free; Reset drops it again.
    e.copyWeekSchedule();
    e.stepScheduleWeek(+1);
    EXPECT_EQ(e.pasteWeekSchedule(), 1);
    EXPECT_EQ(e.slot(2, 1), ScheduleSlot::Scheduled);
    e.resetSchedule();
    EXPECT_EQ(e.slot(2, 1), ScheduleSlot::Free);
    EXPECT_TRUE(e.leaveSchedule());
    EXPECT_EQ(d->codes[idle].scheduled, 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ScheduleModeNeedsAStoredUnlockedEventWithResources)
{
    CollectionsEditor fresh(*d, p, CollectionsMode::Event, 0);
    EXPECT_FALSE(fresh.enterSchedule());
    EXPECT_NE(fresh.scheduleHint().find("it is saved with [OK]"), std::string::npos);
    setLock(*d, id("MATH"), LockMode::Lock);
    CollectionsEditor locked(*d, p, CollectionsMode::Event, id("MATH"));
    EXPECT_FALSE(locked.scheduleAvailable());
    // A resource views its slots and cannot change them.
    CollectionsEditor g1(*d, p, CollectionsMode::Resource, id("G1"));
    ASSERT_TRUE(g1.enterSchedule());
    EXPECT_EQ(g1.slot(1, 1), ScheduleSlot::Scheduled);
    EXPECT_FALSE(g1.toggleSlot(2, 1));
    EXPECT_EQ(g1.slotHint(2, 1), "You cannot edit schedules in Resources view");
}

TEST_F(CollectionsEditorTest, ErasePeriodsOneByOneTakesTheLatestPeriod)
{
    const CodeId math = id("MATH");
    setLock(*d, math, LockMode::Lock);
    const std::string before = dumpScheduleData(*d);
    CollectionsEditor e(*d, p, CollectionsMode::Event, math);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(e.erasePeriodOneByOne());
    EXPECT_EQ(dumpScheduleData(*d), before);
    // The only allocated period is scheduled: its slot goes with it, PLANNED drops by one.
    ui.expect("before it is unlocked").answer(Answer::Yes);
    EXPECT_TRUE(e.erasePeriodOneByOne());
    EXPECT_EQ(d->codes[math].allocated, 0);
    EXPECT_EQ(d->codes[math].scheduled, 0);
    EXPECT_EQ(d->codes[math].planned, 1);
    EXPECT_FALSE(isLockedCode(*d, math));
    EXPECT_TRUE(e.cancelDisabled());
    EXPECT_FALSE(e.erasePeriodOneByOne()); // nothing allocated is left
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, CommitChangesFieldsThroughTheEnginesOperations)
{
    const CodeId math = id("MATH");
    d->modified = false;
    {
        CollectionsEditor e(*d, p, CollectionsMode::Event, math);
        EXPECT_EQ(e.commit(), CommitResult::Stored);
        EXPECT_FALSE(d->modified) << "nothing changed";
    }
    CollectionsEditor e(*d, p, CollectionsMode::Event, math);
    e.setLocked(true);
    e.setCategory(2);
    ASSERT_TRUE(e.setPlanned(3));
    EXPECT_EQ(e.commit(), CommitResult::Stored);
    EXPECT_TRUE(d->modified);
    EXPECT_TRUE(isLockedCode(*d, math));
    EXPECT_EQ(categoryOf(*d, math), 2);
    EXPECT_EQ(d->codes[math].planned, 3);
    EXPECT_EQ(d->codes[math].allocated, 1);

    // With a single week PLANNED may go down to SCHEDULED, and ALLOCATED follows it.
    auto one = makeScheduleData();
    FixtureBuilder b(*one);
    b.calendar(1, 5, 4).resources('T', {"T1"});
    b.event("E", {"T1"}, 3).allocate("E", 1, 1, 3).place("E", 1, 1, 1, 1).finish();
    CollectionsEditor single(*one, p, CollectionsMode::Event, b.id("E"));
    EXPECT_EQ(single.plannedMinimum(), 1);
    ASSERT_TRUE(single.setPlanned(1));
    EXPECT_EQ(single.commit(), CommitResult::Stored);
    EXPECT_EQ(one->codes[b.id("E")].planned, 1);
    EXPECT_EQ(one->codes[b.id("E")].allocated, 1);
    EXPECT_EQ(one->codes[b.id("E")].scheduled, 1);
}

TEST_F(CollectionsEditorTest, RenameCategoryKeepsItsLetter)
{
    CollectionsEditor e(*d, p, CollectionsMode::Event, id("MATH"));
    const std::string before(d->resourceCategories.view());
    ui.expect("Enter a new name for the category \"Groups\"").cancel();
    EXPECT_FALSE(e.renameCategory(false, 1));
    ui.expect("Enter a new name for the category \"Groups\"").type("  ");
    EXPECT_FALSE(e.renameCategory(false, 1));
    EXPECT_EQ(d->resourceCategories.view(), before);
    ui.expect("Enter a new name for the category \"Groups\"").type("Forms");
    EXPECT_TRUE(e.renameCategory(false, 1));
    EXPECT_EQ(d->resourceCategories.view(), "G:Forms$T:Teachers$R:Rooms$");
    EXPECT_EQ(categoryName(*d, id("G1")), "G:Forms");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CollectionsEditorTest, ListLinesShowTheShortOrTheFullFieldSet)
{
    const std::string shortLine = collectionsLine(*d, id("MATH"), 1, false);
    const std::string fullLine = collectionsLine(*d, id("MATH"), 1, true);
    EXPECT_NE(shortLine.find("MATH"), std::string::npos);
    EXPECT_LT(shortLine.size(), fullLine.size());
    EXPECT_TRUE(collectionsLine(*d, 0, 1, true).empty());
}

} // namespace
