// The Timetables view's commands: what a double-click does on each kind of cell, scheduling
// around blocked bells, unscheduling one period or a whole block, swaps of equal blocks only, the
// blocking analysis with locked events, undo, redo, bookmarks and history (the quick
// optimisation's steps included), and every question that is cancelled leaving the data set
// exactly as it was.

#include "commands/timetablecommands.h"

#include "commands/timetablefixture.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

using namespace quivra;

namespace {

class TimetableCommandsTest : public quivra::testing::TimetableTest
{
protected:
    TimetableCommandsTest()
    {
        // MATH and ENG share the group G1; ART and BIO share T1 with MATH.
        f.calendar(1, 5, 6).resources('G', {"G1", "G2", "G3"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1", "G1"}, 4).allocate("MATH", 1, 1, 4);
        f.event("ENG", {"T2", "G1"}, 2).allocate("ENG", 1, 1, 2);
        f.event("ART", {"T1", "G2"}, 1).allocate("ART", 1, 1, 1);
        f.event("BIO", {"T1", "G3"}, 2).allocate("BIO", 1, 1, 2);
        f.book("T1", 1, 5, 6, 1);
    }

    int placed(std::string_view event) const { return s.matrix().event(f.id(event))->placed; }
};

TEST_F(TimetableCommandsTest, DoubleClickIsClassifiedByWhatTheCellHolds)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T2", "ENG");
    // ENG's group is busy with MATH on Monday bell 1; T2 itself is free there.
    EXPECT_EQ(classifyDoubleClick(*d, s, 1, 1), DoubleClick::BlockingAnalysis);
    EXPECT_EQ(classifyDoubleClick(*d, s, 2, 1), DoubleClick::Schedule);
    EXPECT_EQ(doubleClickPreview(*d, s, 2, 1), "Schedule event \"ENG\"");
    EXPECT_EQ(cellConflicts(*d, s, 1, 1), "Conflicts: G1 (MATH)");
    EXPECT_EQ(classifyDoubleClick(*d, s, 6, 1), DoubleClick::Nothing); // beyond the days in use

    s.setMaster(f.id("T1"));
    s.setEvent(f.id("MATH"));
    EXPECT_EQ(classifyDoubleClick(*d, s, 1, 1), DoubleClick::RemoveEvent);
    EXPECT_EQ(classifyDoubleClick(*d, s, 5, 6), DoubleClick::CancelBooking);
    s.setEvent(0);
    EXPECT_EQ(classifyDoubleClick(*d, s, 2, 2), DoubleClick::SetBooking);
}

TEST(TimetableDoubleClick, WithoutEventsOrAllocationsItSendsTheUserToTheRightView)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('T', {"T1"});
    f.finish();
    TimetablesSession s;
    s.open(*d, 1);
    ScriptedDialogs ui;
    Prompter p(ui);
    EXPECT_EQ(classifyDoubleClick(*d, s, 1, 1), DoubleClick::NoEvents);
    ui.expect("not created any valid events").answer(Answer::Ok);
    EXPECT_EQ(doubleClick(*d, s, p, 1, 1).goTo, TimetablesGoTo::EventsView);

    auto d2 = makeScheduleData();
    FixtureBuilder f2(*d2);
    f2.calendar(2, 5, 6).resources('T', {"T1"}).event("E", {"T1"}, 1).allocate("E", 2, 2, 1);
    f2.finish();
    TimetablesSession s2;
    s2.open(*d2, 1);
    EXPECT_EQ(classifyDoubleClick(*d2, s2, 1, 1), DoubleClick::NoAllocation);
    ui.expect("not allocated any periods to this week").answer(Answer::Ok);
    EXPECT_EQ(doubleClick(*d2, s2, p, 1, 1).goTo, TimetablesGoTo::WeeksView);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, DoubleClickSchedulesTheDefaultLengthWithinWhatIsLeft)
{
    f.place("ENG", 1, 3, 1, 1);
    open("T2", "ENG");
    s.setBlockLength(2);
    // One period of ENG is left: the block of two shrinks to one.
    EXPECT_TRUE(doubleClick(*d, s, p, 2, 1).changed);
    EXPECT_EQ(placed("ENG"), 2);
    EXPECT_EQ(at("T2", 2, 1), f.id("ENG"));
    EXPECT_EQ(at("T2", 2, 2), 0);
    // Shown in the linked timetable of the group too.
    EXPECT_EQ(at("G1", 2, 1), f.id("ENG"));
}

TEST_F(TimetableCommandsTest, SchedulingRunsAroundABlockedBell)
{
    f.place("ENG", 1, 1, 2, 2); // G1 is busy on Monday bell 2
    open("T1", "MATH");
    EXPECT_TRUE(scheduleCells(*d, s, p, {1, 1, 1, 3}).changed);
    EXPECT_EQ(placed("MATH"), 2);
    EXPECT_EQ(s.matrix().log().size(), 2); // two blocks of one
    EXPECT_EQ(at("T1", 1, 1), f.id("MATH"));
    EXPECT_EQ(at("T1", 1, 3), f.id("MATH"));
}

TEST_F(TimetableCommandsTest, DoubleClickRemovesOnePeriodAndUnscheduleTheWholeBlock)
{
    f.place("MATH", 1, 1, 1, 3);
    open("T1", "MATH");
    EXPECT_TRUE(doubleClick(*d, s, p, 1, 2).changed);
    EXPECT_EQ(placed("MATH"), 2);
    EXPECT_EQ(at("T1", 1, 2), 0);
    EXPECT_EQ(at("T1", 1, 3), f.id("MATH"));

    // The Unschedule key on one cell of a block takes the block through it.
    f.place("BIO", 1, 2, 2, 3);
    open("T1", "BIO");
    EXPECT_TRUE(unscheduleCells(*d, s, p, CellArea::cell(2, 3)).changed);
    EXPECT_EQ(placed("BIO"), 0);
    // A selection takes the blocks starting in it, cut to its last bell.
    EXPECT_TRUE(unscheduleCells(*d, s, p, {1, 1, 1, 1}).changed);
    EXPECT_EQ(placed("MATH"), 1);
}

TEST_F(TimetableCommandsTest, OnlyBlocksOfTheSameLengthAreOfferedForASwap)
{
    f.place("MATH", 1, 1, 1, 2).place("ART", 1, 2, 1, 1).place("BIO", 1, 3, 1, 2);
    open("T1", "MATH");
    s.clickCell(*d, 1, 1);
    const MasterBlock block = blockAt(*d, s, 1, 1);
    EXPECT_EQ(block.length, 2);
    const std::vector<MasterBlock> partners = swapPartners(*d, s, block);
    ASSERT_EQ(partners.size(), 1u);
    EXPECT_EQ(partners[0].event, f.id("BIO"));

    const std::string before = dumpScheduleData(*d);
    ui.cancel();
    EXPECT_FALSE(swapCurrentBlock(*d, s, p).changed);
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.choose(1);
    EXPECT_TRUE(swapCurrentBlock(*d, s, p).changed);
    EXPECT_EQ(at("T1", 3, 1), f.id("MATH"));
    EXPECT_EQ(at("T1", 1, 2), f.id("BIO"));
    EXPECT_EQ(s.matrix().log().step(1).type, StepType::Swap);
    // The one-period ART block has no partner of its length.
    s.clickCell(*d, 2, 1);
    EXPECT_FALSE(swapCurrentBlock(*d, s, p).changed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, SwapPartnersAreListedWithTheGapsTheySaveBestFirst)
{
    // G1 has a gap on Monday between its MATH periods at bells 1 and 3. Swapping the one at bell 3
    // with BIO on Tuesday closes it (+1); with ART at Monday's bell 5 it widens to three (-2).
    f.place("MATH", 1, 1, 1, 1).place("MATH", 1, 1, 3, 3).place("ART", 1, 1, 5, 5);
    f.place("BIO", 1, 2, 1, 1);
    open("T1", "MATH");
    s.clickCell(*d, 1, 3);
    ui.choose(1);
    EXPECT_TRUE(swapCurrentBlock(*d, s, p).changed);
    const std::vector<OptionItem> &lines = ui.shown().back().options;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].text.starts_with("BIO") && lines[0].text.ends_with(" [+1]"))
        << lines[0].text;
    EXPECT_TRUE(lines[1].text.starts_with("ART") && lines[1].text.ends_with(" [-2]"))
        << lines[1].text;
    EXPECT_EQ(at("T1", 2, 1), f.id("MATH")); // the first line, the best, was swapped
    EXPECT_EQ(at("T1", 1, 3), f.id("BIO"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, BlockingAnalysisClearsLockedEventsToo)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T2", "ENG");
    setLock(*d, f.id("MATH"), LockMode::Lock);
    const std::vector<BlockingEntry> entries = blockingEntries(*d, s, 1, 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].line.find("1. G1"), std::string::npos);
    EXPECT_NE(entries[0].line.find("(MATH) - Locked!"), std::string::npos);

    // Cancel, and cancel the offer of another group in G1's place: nothing changes.
    const std::string before = dumpScheduleData(*d);
    ui.expect("is disabled by the timetables below").cancel();
    ui.expect("Is it possible to replace resource").cancel();
    EXPECT_FALSE(doubleClick(*d, s, p, 1, 1).changed);
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_EQ(ui.shown().front().caption, "Events and/or bookings which prevent scheduling of "
                                          "\"ENG\"");

    ui.choose({1});
    EXPECT_TRUE(doubleClick(*d, s, p, 1, 1).changed);
    EXPECT_EQ(placed("MATH"), 0);
    EXPECT_TRUE(isLockedCode(*d, f.id("MATH")));
    EXPECT_EQ(s.matrix().log().step(1).type, StepType::Unschedule);
    EXPECT_EQ(s.matrix().log().step(1).code, f.id("MATH"));
    EXPECT_EQ(classifyDoubleClick(*d, s, 1, 1), DoubleClick::Schedule);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, BlockingAnalysisOffersAFreeResourceOfTheSameCategory)
{
    f.place("MATH", 1, 1, 1, 1);
    open("T2", "ENG");
    // G2 and G3 are free at Monday bell 1; G3 is chosen in G1's place.
    ui.cancel().expect("Is it possible to replace resource").choose(2);
    EXPECT_TRUE(blockingAnalysis(*d, s, p, 1, 1).changed);
    EXPECT_EQ(s.matrix().log().step(1).type, StepType::ReplaceResource);
    EXPECT_EQ(classifyDoubleClick(*d, s, 1, 1), DoubleClick::Schedule);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, ALockedEventKeptLockedIsNotChanged)
{
    f.place("MATH", 1, 1, 1, 2);
    open("T1", "MATH");
    setLock(*d, f.id("MATH"), LockMode::Lock);
    const std::string before = dumpScheduleData(*d);
    s.clickCell(*d, 1, 1);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(scheduleCells(*d, s, p, {2, 1, 2, 1}).changed);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(unscheduleCells(*d, s, p, CellArea::cell(1, 1)).changed);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(moveCurrentBlock(*d, s, p, SlotSearchMode::Next).changed);
    ui.expect("before it is unlocked").answer(Answer::No);
    EXPECT_FALSE(eraseEventSchedule(*d, s, p).changed);
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, UndoRedoBookmarkAndHistoryWalkTheLog)
{
    open("T1", "MATH");
    const std::string empty = content();
    for (int day = 1; day <= 4; ++day)
        ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(day, 1)).changed);
    s.setEvent(f.id("BIO"));
    ASSERT_TRUE(scheduleCells(*d, s, p, {1, 2, 1, 3}).changed);
    ASSERT_TRUE(toggleBookingCells(*d, s, CellArea::cell(5, 1)).changed);
    s.clickCell(*d, 1, 2);
    ASSERT_TRUE(moveCurrentBlock(*d, s, p, SlotSearchMode::Next).changed);
    const std::string full = content();
    EXPECT_EQ(s.matrix().log().position(), 7);
    EXPECT_EQ(undoCaption(s), "Undo last (of 7 steps)");
    EXPECT_EQ(historyLines(*d, s).front().rfind("Moved BIO from Monday 2 to ", 0), 0u)
        << historyLines(*d, s).front();

    EXPECT_TRUE(undoAll(*d, s).changed);
    EXPECT_EQ(content(), empty);
    EXPECT_EQ(redoCaption(s), "Redo first (of 7 steps)");
    EXPECT_TRUE(redoAll(*d, s).changed);
    EXPECT_EQ(content(), full);

    // History: the third latest action and everything after it is undone.
    ui.cancel();
    EXPECT_FALSE(showHistory(*d, s, p).changed);
    EXPECT_EQ(content(), full);
    ui.choose(3);
    EXPECT_TRUE(showHistory(*d, s, p).changed);
    EXPECT_EQ(s.matrix().log().position(), 4);

    // A bookmark brings back the state it named.
    setBookmark(s);
    const std::string marked = content();
    undoLast(*d, s);
    undoLast(*d, s);
    EXPECT_TRUE(goToBookmark(*d, s).changed);
    EXPECT_EQ(content(), marked);

    // A new change after an undo leaves nothing to redo.
    undoLast(*d, s);
    s.setEvent(f.id("ART"));
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(5, 3)).changed);
    EXPECT_FALSE(s.matrix().log().canRedo());
    EXPECT_FALSE(redoLast(*d, s).changed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, QuickOptimisationStepsUndoThroughTheLog)
{
    // T1 has a gap of two bells on Monday; moving ART closes it.
    f.place("MATH", 1, 1, 1, 1).place("ART", 1, 1, 4, 4);
    open("T1", "MATH");
    const std::string before = content();
    NullProgress progress;
    // The periods left in the week stay for later.
    ui.expect("Would you like Quivra to schedule the remaining").answer(Answer::No);
    ui.expect("Do you want to open the edit history").answer(Answer::No);
    OptimiseSettings settings;
    settings.maxRounds = 3;
    EXPECT_TRUE(quickOptimise(*d, s, p, progress, settings).changed);
    EXPECT_NE(content(), before);
    EXPECT_GT(s.matrix().log().position(), 0);
    EXPECT_TRUE(undoAll(*d, s).changed);
    EXPECT_EQ(content(), before);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, SuggestionReachesTheLastDayOfTheWeek)
{
    // T1 is booked from Monday to Thursday: only Friday is left (its last bell is booked too).
    for (int day = 1; day <= 4; ++day)
        f.book("T1", 1, day, 1, 1, 6);
    open("T1", "MATH");
    const std::vector<SlotPos> cells = suggestCells(*d, s);
    ASSERT_EQ(cells.size(), 4u);
    for (const SlotPos &c : cells)
        EXPECT_EQ(c.day, 5);
}

TEST_F(TimetableCommandsTest, ACancelledCommentOrBlockLengthChangesNothing)
{
    open("T1", "MATH");
    const std::string before = dumpScheduleData(*d);
    s.clickCell(*d, 2, 3);
    ui.cancel();
    EXPECT_FALSE(commentSlot(*d, s, p).changed);
    ui.cancel();
    chooseBlockLength(*d, s, p);
    EXPECT_EQ(s.blockLength(), 1);
    EXPECT_EQ(dumpScheduleData(*d), before);
    ui.type("lab needed");
    EXPECT_TRUE(commentSlot(*d, s, p).changed);
    EXPECT_EQ(findComment(*d, 1, "T1", 2, 3).text, "lab needed");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, AllocationChangesKeepWhatIsScheduledAndRestartTheLog)
{
    f.place("ENG", 1, 1, 2, 2);
    open("T2", "ENG");
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(2, 1)).changed);
    ASSERT_EQ(s.matrix().log().size(), 1);
    const TimetableOutcome up = changeAllocation(*d, s, AllocationChange::IncreaseLeft);
    EXPECT_TRUE(up.changed);
    EXPECT_EQ(up.message,
              "Event \"ENG\" has now 3 ALLOCATED and 2 SCHEDULED periods in this week.");
    EXPECT_EQ(s.matrix().log().size(), 0);
    EXPECT_EQ(changeAllocation(*d, s, AllocationChange::LeftToZero).changed, true);
    EXPECT_EQ(s.matrix().event(f.id("ENG"))->allowed, 2);
    // Never below what is scheduled, and never for a locked event.
    EXPECT_FALSE(changeAllocation(*d, s, AllocationChange::DecreaseLeft).changed);
    setLock(*d, f.id("ENG"), LockMode::Lock);
    EXPECT_FALSE(changeAllocation(*d, s, AllocationChange::IncreaseLeft).changed);
    EXPECT_EQ(s.matrix().event(f.id("ENG"))->allowed, 2);
}

TEST_F(TimetableCommandsTest, SearchSplitAndLocksFollowTheMaster)
{
    f.place("MATH", 1, 1, 1, 1).place("MATH", 1, 1, 4, 4);
    open("T2", "ENG");
    // T2 still has ENG to schedule; once ENG is done, the search goes round to G1 and MATH.
    s.setEvent(0);
    EXPECT_EQ(searchNextEvent(*d, s, p).message,
              "2 period(s) out of 2 still to be scheduled for \"ENG\"");
    EXPECT_EQ(s.event(), f.id("ENG"));
    ASSERT_TRUE(scheduleCells(*d, s, p, {3, 1, 3, 2}).changed);
    searchNextEvent(*d, s, p);
    EXPECT_EQ(s.master(), f.id("G1"));
    EXPECT_EQ(s.event(), f.id("MATH"));
    s.setMaster(f.id("T1"));
    s.clickCell(*d, 1, 2);
    // Split: the next block from the current cell on (MATH at Monday 4) moves to its best place.
    EXPECT_TRUE(splitNextBlock(*d, s, p).changed);
    EXPECT_EQ(at("T1", 1, 4), 0);
    EXPECT_TRUE(lockScheduledEvents(*d, s, true).changed);
    EXPECT_TRUE(isLockedCode(*d, f.id("MATH")));
    EXPECT_FALSE(isLockedCode(*d, f.id("BIO"))); // nothing of BIO is scheduled
    EXPECT_TRUE(lockScheduledEvents(*d, s, false).changed);
    EXPECT_FALSE(isLockedCode(*d, f.id("MATH")));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableCommandsTest, FindTimetableLooksRoundTheListInCodesAndNames)
{
    f.finish();
    const std::vector<CodeId> timetables{f.id("G1"), f.id("T1"), f.id("T2")};
    EXPECT_EQ(findTimetable(*d, timetables, "t", 0), 1);     // from G1 on: T1
    EXPECT_EQ(findTimetable(*d, timetables, "T", 2), 1);     // round the list, any case
    EXPECT_EQ(findTimetable(*d, timetables, "of g1", 1), 0); // "Name of G1"
    EXPECT_EQ(findTimetable(*d, timetables, "X9", 0), -1);
    EXPECT_EQ(findTimetable(*d, timetables, "", 0), -1);
}

} // namespace
