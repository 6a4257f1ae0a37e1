// The Timetables view's pop-up menus: the event list's period changes with their refusals
// (locked event, protected week, a week's slots, nothing to take), bringing an event into the
// week and taking it out, and the linked timetables' commands: replacing and removing a resource
// with Undo and Redo restoring collection and cells, hiding categories, activating a timetable,
// and the hints of their cells. A cancelled question or a refusal leaves the data set as it was.

#include "commands/timetablepopups.h"

#include "commands/timetablefixture.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quivra;

namespace {

class TimetablePopupsTest : public quivra::testing::TimetableTest
{
protected:
    TimetablePopupsTest()
    {
        // MATH and ENG share the group G1; ART uses T1 but is not in week 1 yet.
        f.calendar(2, 5, 6).resources('G', {"G1", "G2", "G3"}).resources('T', {"T1", "T2"});
        f.resources('R', {"R1"});
        f.event("MATH", {"T1", "G1"}, 4).allocate("MATH", 1, 1, 2);
        f.event("ENG", {"T2", "G1"}, 3).allocate("ENG", 1, 1, 2);
        f.event("ART", {"T1", "G2"}, 2);
        f.event("BIO", {"T2", "G3", "R1"}, 2).allocate("BIO", 1, 1, 1);
    }

    std::vector<CodeId> members(std::string_view event) const
    {
        const MemberList list = collectionOf(*d, f.id(event));
        return {list.begin() + 1, list.begin() + 1 + list[0]};
    }
    std::vector<CodeId> ids(std::initializer_list<std::string_view> codes) const
    {
        std::vector<CodeId> out;
        for (const auto code : codes)
            out.push_back(f.id(code));
        return out;
    }
    const MatrixEvent &week(std::string_view event) const { return *s.matrix().event(f.id(event)); }
};

TEST_F(TimetablePopupsTest, PeriodChangesMovePlannedAlongAndRestartTheLog)
{
    f.place("ENG", 1, 1, 1, 1);
    open("T2", "ENG");
    ASSERT_TRUE(s.matrix().schedule(*d, f.id("ENG"), 2, 1, 1));
    ASSERT_EQ(s.matrix().log().size(), 1);

    TimetableOutcome out = changeEventPeriods(*d, s, PeriodChange::Add);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message,
              "Event \"ENG\" has now 3 ALLOCATED and 2 SCHEDULED periods in this week.");
    EXPECT_EQ(s.matrix().log().size(), 0);
    EXPECT_EQ(week("ENG").allowed, 3);
    EXPECT_EQ(d->codes[f.id("ENG")].planned, 4);

    EXPECT_TRUE(changeEventPeriods(*d, s, PeriodChange::Remove).changed);
    EXPECT_EQ(week("ENG").allowed, 2);
    EXPECT_EQ(d->codes[f.id("ENG")].planned, 3);

    // Nothing is left unscheduled now: a removal and a clearing are refused.
    const std::string before = content();
    out = changeEventPeriods(*d, s, PeriodChange::Remove);
    EXPECT_FALSE(out.changed);
    EXPECT_EQ(out.message, "All 2 periods of \"ENG\" in this week are scheduled: unschedule one "
                           "first.");
    EXPECT_FALSE(changeEventPeriods(*d, s, PeriodChange::ClearUnscheduled).changed);
    EXPECT_EQ(content(), before);

    // Two more, then both cleared: PLANNED loses them again.
    changeEventPeriods(*d, s, PeriodChange::Add);
    changeEventPeriods(*d, s, PeriodChange::Add);
    out = changeEventPeriods(*d, s, PeriodChange::ClearUnscheduled);
    EXPECT_EQ(out.message,
              "Event \"ENG\" has now 2 ALLOCATED and 2 SCHEDULED periods in this week.");
    EXPECT_EQ(d->codes[f.id("ENG")].planned, 3);
    EXPECT_EQ(week("ENG").placed, 2);
}

TEST_F(TimetablePopupsTest, PeriodChangesAreRefusedWithTheReasonAndChangeNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(FixtureBuilder &, ScheduleData &)> setUp;
        const char *event;
        PeriodChange change;
        const char *message;
    };
    const Case cases[] = {
        {"locked event",
         [](FixtureBuilder &b, ScheduleData &data) { setLock(data, b.id("ENG"), LockMode::Lock); },
         "ENG", PeriodChange::Add, "\"ENG\" is locked: nothing was changed."},
        {"protected week", [](FixtureBuilder &, ScheduleData &data) { data.currentWeek = 2; },
         "ENG", PeriodChange::Remove, "The weeks before the current week are protected."},
        {"every slot of the week",
         [](FixtureBuilder &b, ScheduleData &) {
             b.event("PE", {"T2"}, 30).allocate("PE", 1, 1, 30);
         },
         "PE", PeriodChange::Add,
         "\"PE\" cannot have more periods in this week: it has 30 of the 30 slots a week holds."},
        {"nothing unscheduled",
         [](FixtureBuilder &b, ScheduleData &) { b.place("ENG", 1, 1, 1, 2); }, "ENG",
         PeriodChange::ClearUnscheduled, "\"ENG\" has no unscheduled periods in this week."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto data = makeScheduleData();
        FixtureBuilder b(*data);
        b.calendar(2, 5, 6).resources('G', {"G1"}).resources('T', {"T2"});
        b.event("ENG", {"T2", "G1"}, 3).allocate("ENG", 1, 1, 2);
        c.setUp(b, *data);
        b.finish();
        TimetablesSession session;
        session.open(*data, 1);
        session.setMaster(b.id("T2"));
        session.setEvent(b.id(c.event));
        const std::string before = dumpScheduleData(*data);
        const TimetableOutcome out = changeEventPeriods(*data, session, c.change);
        EXPECT_FALSE(out.changed);
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(dumpScheduleData(*data), before);
    }
}

TEST_F(TimetablePopupsTest, AnEventIsBroughtIntoTheWeekAndTakenOut)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T1", "MATH");
    // Only T1's events without periods in week 1 are offered.
    EXPECT_EQ(eventsToAdd(*d, s), ids({"ART"}));
    const std::string before = content();
    ui.cancel();
    EXPECT_FALSE(addEventToWeek(*d, s, p).changed);
    EXPECT_EQ(content(), before);

    ui.choose(f.id("ART"));
    TimetableOutcome out = addEventToWeek(*d, s, p);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message,
              "Event \"ART\" has now 1 ALLOCATED and 0 SCHEDULED periods in this week.");
    EXPECT_EQ(s.event(), f.id("ART"));
    EXPECT_EQ(week("ART").allowed, 1);
    EXPECT_EQ(d->codes[f.id("ART")].planned, 2);
    EXPECT_TRUE(eventsToAdd(*d, s).empty());
    EXPECT_EQ(addEventToWeek(*d, s, p).message,
              "Every event of \"T1\" is allocated to this week already.");

    out = removeEventFromWeek(*d, s);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message, "Event \"ART\" has now 0 ALLOCATED and 0 SCHEDULED periods in this "
                           "week.\r\nEvent was removed from this week.");
    EXPECT_EQ(s.matrix().event(f.id("ART")), nullptr);
    EXPECT_EQ(s.event(), 0);

    // A scheduled period keeps the event in the week.
    s.setEvent(f.id("MATH"));
    const std::string kept = content();
    out = removeEventFromWeek(*d, s);
    EXPECT_FALSE(out.changed);
    EXPECT_EQ(out.message, "\"MATH\" has 1 period(s) scheduled in this week: unschedule them "
                           "before removing the event from the week.");
    EXPECT_EQ(content(), kept);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetablePopupsTest, AReplacedResourceIsUndoneAndRedoneWithItsCells)
{
    f.place("MATH", 1, 1, 1, 2);
    f.book("G2", 1, 1, 2, 1); // G2 cannot take MATH's Monday
    open("T1", "MATH");
    s.linkedTarget = f.id("G1");
    EXPECT_EQ(replacementsFor(*d, s, f.id("G1")), ids({"G3"}));
    EXPECT_EQ(replaceLinkedCaption(*d, s, f.id("G1")), "Replace \"G1\" in event \"MATH\"");

    const std::string before = content();
    ui.cancel();
    EXPECT_FALSE(replaceLinked(*d, s, p).changed);
    EXPECT_EQ(content(), before);

    ui.expect("Replace \"G1\" in event \"MATH\"").choose(f.id("G3"));
    const TimetableOutcome out = replaceLinked(*d, s, p);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message, "\"G1\" replaced by \"G3\" in event \"MATH\".");
    EXPECT_EQ(members("MATH"), ids({"T1", "G3"}));
    EXPECT_EQ(at("G3", 1, 2), f.id("MATH"));
    EXPECT_EQ(at("G1", 1, 2), 0);
    EXPECT_EQ(s.linkedTarget, f.id("G3"));
    EXPECT_EQ(s.matrix().log().step(1).type, StepType::ReplaceResource);
    const std::string after = content();

    ASSERT_TRUE(undoLast(*d, s).changed);
    EXPECT_EQ(content(), before);
    EXPECT_EQ(at("G1", 1, 1), f.id("MATH"));
    EXPECT_EQ(at("G3", 1, 1), 0);
    ASSERT_TRUE(redoLast(*d, s).changed);
    EXPECT_EQ(content(), after);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetablePopupsTest, ARemovedResourceIsUndoneAndRedoneInItsPlace)
{
    f.place("BIO", 1, 3, 2, 3);
    open("T2", "BIO");
    s.linkedTarget = f.id("G3");
    const std::string before = content();
    ui.expect("Remove \"G3\" from event \"BIO\"?").answer(Answer::No);
    EXPECT_FALSE(removeLinked(*d, s, p).changed);
    EXPECT_EQ(content(), before);

    ui.expect("Remove \"G3\" from event \"BIO\"?").answer(Answer::Yes);
    const TimetableOutcome out = removeLinked(*d, s, p);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.message, "\"G3\" removed from event \"BIO\".");
    EXPECT_EQ(members("BIO"), ids({"T2", "R1"}));
    EXPECT_EQ(at("G3", 3, 2), 0);
    EXPECT_EQ(at("R1", 3, 2), f.id("BIO"));
    ASSERT_FALSE(historyLines(*d, s).empty());
    EXPECT_NE(historyLines(*d, s).front().find("G3 by none in BIO"), std::string::npos);
    const std::string after = content();

    // Undo puts G3 back between T2 and R1, with its cells; Redo takes it out again.
    ASSERT_TRUE(undoLast(*d, s).changed);
    EXPECT_EQ(members("BIO"), ids({"T2", "G3", "R1"}));
    EXPECT_EQ(at("G3", 3, 3), f.id("BIO"));
    EXPECT_EQ(content(), before);
    ASSERT_TRUE(redoLast(*d, s).changed);
    EXPECT_EQ(content(), after);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetablePopupsTest, ResourcesOfALockedEventOrTheLastTimetableStay)
{
    f.event("PE", {"T2"}, 1).allocate("PE", 1, 1, 1);
    open("T1", "MATH");
    s.linkedTarget = f.id("G1");
    setLock(*d, f.id("MATH"), LockMode::Lock);
    const std::string before = content();
    EXPECT_EQ(replaceLinked(*d, s, p).message, "\"MATH\" is locked: nothing was changed.");
    EXPECT_EQ(removeLinked(*d, s, p).message, "\"MATH\" is locked: nothing was changed.");
    s.setEvent(f.id("PE"));
    s.linkedTarget = f.id("T2");
    EXPECT_EQ(removeLinked(*d, s, p).message,
              "\"T2\" is the only resource with a timetable in event \"PE\": without it the "
              "event cannot be scheduled.");
    // A resource that is not the event's is not touched either.
    s.linkedTarget = f.id("G1");
    EXPECT_FALSE(removeLinked(*d, s, p).changed);
    EXPECT_EQ(content(), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetablePopupsTest, LinkedTimetablesAreActivatedHiddenAndHinted)
{
    f.place("MATH", 1, 1, 1, 1).place("BIO", 1, 2, 1, 1).manualRoom("BIO", 1, 2, 1, "R1");
    open("T2", "ENG");
    // G1 holds MATH on Monday 1, which blocks ENG; Monday 2 is free.
    EXPECT_EQ(linkedCellHint(*d, s, f.id("G1"), 1, 1),
              "You cannot schedule \"ENG\" in this slot.\n[Double-click] to make \"G1\" the "
              "active timetable.");
    EXPECT_EQ(linkedCellHint(*d, s, f.id("G1"), 1, 2),
              "You can schedule \"ENG\" in this slot.\n[Double-click] this slot in the timetable "
              "on the left.");
    s.setEvent(f.id("BIO"));
    EXPECT_EQ(linkedCellHint(*d, s, f.id("R1"), 2, 1),
              "[Double-click] to activate \"R1\"\n(room \"R1\" manually selected for event "
              "\"BIO\")");

    s.linkedTarget = f.id("G3");
    EXPECT_EQ(hideLinkedCategory(*d, s).message, "The linked timetables of category \"" +
                                                     categoryName(*d, f.id("G3")) +
                                                     "\" are hidden.");
    EXPECT_TRUE(linkedHidden(*d, s, f.id("G1")));
    EXPECT_FALSE(linkedHidden(*d, s, f.id("R1")));
    showLinkedCategories(s);
    EXPECT_FALSE(linkedHidden(*d, s, f.id("G1")));

    EXPECT_FALSE(activateLinked(s).changed);
    EXPECT_EQ(s.master(), f.id("G3"));
}

// "Increase LEFT by one" stops at the slots of a week, as the event's own items do.
TEST_F(TimetablePopupsTest, LeftIsNeverRaisedBeyondTheSlotsOfAWeek)
{
    open("T2", "ENG");
    for (int i = 0; i < 40; ++i)
        changeAllocation(*d, s, AllocationChange::IncreaseLeft);
    EXPECT_EQ(week("ENG").allowed, 30);
    EXPECT_GE(d->codes[f.id("ENG")].planned, d->codes[f.id("ENG")].allocated);
}

} // namespace
