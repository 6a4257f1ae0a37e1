// Block scheduling: the week patterns and their symbols, random and from-schedule blocks, the
// clipboard form, the dialog's cancel, and scheduling an event into a whole block in the
// Timetables view (the "-" slots included in the restriction).

#include "commands/blockscheduling.h"
#include "commands/timetablecommands.h"

#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quivra;

namespace {

class BlockSchedulingTest : public ::testing::Test
{
protected:
    BlockSchedulingTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(2, 5, 6).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1", "G1"}, 6).allocate("MATH", 1, 1, 6);
        f.event("ENG", {"T2"}, 2).allocate("ENG", 1, 1, 2);
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    BlockPatternMap patterns;
};

TEST_F(BlockSchedulingTest, AShortPatternReadsNoBlockAndIsPaddedWhenSet)
{
    f.finish();
    patterns[1] = "A";
    EXPECT_EQ(blockSymbol(*d, patterns, 1, 1, 1), 'A');
    EXPECT_EQ(blockSymbol(*d, patterns, 1, 3, 2), '-');
    EXPECT_EQ(blockSymbol(*d, patterns, 2, 1, 1), '-'); // a week without a pattern
    ASSERT_TRUE(setBlockSymbol(*d, patterns, 1, 3, 2, 'B'));
    // Bell 2, day 3 sits at (2 - 1) x 7 + 3 in a coding of seven days.
    EXPECT_EQ(patterns[1], "A--------B");
    EXPECT_FALSE(setBlockSymbol(*d, patterns, 1, 8, 1, 'B'));
    EXPECT_EQ(symbolCount(*d, patterns, 1, 'B'), 1);
}

TEST_F(BlockSchedulingTest, RandomBlocksFillTheAskedPeriods)
{
    f.finish();
    Random random(7);
    randomBlocks(*d, patterns, 1, 2, 3, random);
    EXPECT_EQ(symbolCount(*d, patterns, 1, '1'), 3);
    EXPECT_EQ(symbolCount(*d, patterns, 1, '2'), 3);
    EXPECT_EQ(symbolCount(*d, patterns, 1, '-'), 30 - 6);

    // The dialog offers no more blocks than the week has slots, and cancelling ends it.
    BlockSchedulingEditor editor(*d, patterns, 1, false);
    const BlockPatternMap before = patterns;
    ui.cancel();
    EXPECT_FALSE(editor.random(p, random));
    EXPECT_EQ(patterns, before);
    ui.choose(4).choose(2);
    EXPECT_TRUE(editor.random(p, random));
    EXPECT_EQ(symbolCount(*d, patterns, 1, '4'), 2);
    EXPECT_EQ(ui.shown()[2].options.size(), 7u); // 30 slots / 4 blocks
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(BlockSchedulingTest, FromScheduleMarksEachEventOnceAndSkipsTakenSlots)
{
    f.place("MATH", 1, 1, 1, 2).place("ENG", 1, 2, 1, 1);
    f.finish();
    BlockSchedulingEditor editor(*d, patterns, 1, false);
    EXPECT_TRUE(editor.canReadSchedule());
    std::string message;
    ui.choose(1).choose(6);
    ASSERT_TRUE(editor.fromSchedule(p, message));
    EXPECT_EQ(editor.symbol(1, 1), '1');
    EXPECT_EQ(editor.symbol(1, 2), '1');
    EXPECT_EQ(editor.symbol(2, 1), '2');
    EXPECT_EQ(editor.status(1, 1), "2 x \"1\"");
    // A slot of MATH already carries a symbol: MATH is refused.
    EXPECT_FALSE(markEventBlock(*d, patterns, 1, f.id("MATH"), '+'));

    // Cancel puts back the patterns as they were when the dialog opened.
    editor.cancel();
    EXPECT_EQ(blockSymbol(*d, patterns, 1, 1, 1), '-');
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(BlockSchedulingFromFile, MoreEventsThanSymbolsAreCountedNotMarkedAmiss)
{
    // 37 events of one period each, every one in a slot of its own of a 7 x 6 week.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 7, 6);
    std::vector<std::string> codes;
    for (int k = 1; k <= 37; ++k)
        codes.push_back("T" + std::to_string(k));
    for (const std::string &t : codes)
        f.resources('T', {t});
    for (int k = 1; k <= 37; ++k) {
        const std::string e = "E" + std::to_string(k);
        f.event(e, {codes[static_cast<std::size_t>(k - 1)]}, 1).allocate(e, 1, 1, 1);
        f.place(e, 1, (k - 1) % 7 + 1, (k - 1) / 7 + 1, (k - 1) / 7 + 1);
    }
    f.finish();
    BlockPatternMap patterns;
    BlockSchedulingEditor editor(*d, patterns, 1, false);
    ScriptedDialogs ui;
    Prompter p(ui);
    ui.choose(1).choose(1);
    std::string message;
    ASSERT_TRUE(editor.fromSchedule(p, message));
    EXPECT_EQ(message, "2 event(s) got no block: all 35 symbols are in use.");
    EXPECT_EQ(symbolCount(*d, patterns, 1, 'Z'), 1);
    // The two left over keep no symbol.
    EXPECT_EQ(blockSymbol(*d, patterns, 1, 1, 6), '-'); // E36
    EXPECT_EQ(blockSymbol(*d, patterns, 1, 2, 6), '-'); // E37
}

TEST_F(BlockSchedulingTest, ClipboardCopyAndPasteTakeOnlyKnownSymbols)
{
    f.finish();
    setBlockSymbol(*d, patterns, 1, 2, 1, 'C');
    const std::string text = copyPattern(*d, patterns, 1);
    EXPECT_EQ(text.substr(0, 12), "-\tC\t-\t-\t-\t\r\n");
    pastePattern(*d, patterns, 2, text);
    EXPECT_EQ(blockSymbol(*d, patterns, 2, 2, 1), 'C');
    // Lower case and unknown texts store no block.
    pastePattern(*d, patterns, 2, "a\tB\t?\r\n");
    EXPECT_EQ(blockSymbol(*d, patterns, 2, 1, 1), '-');
    EXPECT_EQ(blockSymbol(*d, patterns, 2, 2, 1), 'B');
    EXPECT_EQ(blockSymbol(*d, patterns, 2, 3, 1), '-');
}

TEST_F(BlockSchedulingTest, InsertOnABlockFillsExactlyTheBlock)
{
    f.finish();
    // Block A: Monday bells 1-2 and Wednesday bell 3.
    for (const auto &[day, bell] : {std::pair{1, 1}, {1, 2}, {3, 3}})
        setBlockSymbol(*d, patterns, 1, day, bell, 'A');
    TimetablesSession s;
    s.blockPatterns = &patterns;
    s.applyBlocks = true;
    s.open(*d, 1);
    s.setMaster(f.id("T1"));
    s.setEvent(f.id("MATH"));
    ASSERT_TRUE(scheduleCells(*d, s, p, CellArea::cell(1, 1)).changed);
    const MatrixEvent *ev = s.matrix().event(f.id("MATH"));
    EXPECT_EQ(ev->placed, 3); // six periods left, but the "-" slots stay out of it
    EXPECT_EQ(ev->cells[1], 0b11u);
    EXPECT_EQ(ev->cells[3], 0b100u);
    EXPECT_EQ(ev->cells[2], 0u);
}

TEST_F(BlockSchedulingTest, ABlockWithABlockedSlotWorksAsWithoutBlocks)
{
    f.event("BUSY", {"G1"}, 1).allocate("BUSY", 1, 1, 1).place("BUSY", 1, 3, 3, 3);
    f.finish();
    for (const auto &[day, bell] : {std::pair{1, 1}, {1, 2}, {3, 3}})
        setBlockSymbol(*d, patterns, 1, day, bell, 'A');
    TimetablesSession s;
    s.blockPatterns = &patterns;
    s.applyBlocks = true;
    s.open(*d, 1);
    s.setMaster(f.id("T1"));
    s.setEvent(f.id("MATH"));
    EXPECT_FALSE(blockIsFree(*d, patterns, 1, 'A', s.scoresOf(*d, f.id("MATH"))));
    ASSERT_TRUE(scheduleCells(*d, s, p, {1, 1, 1, 2}).changed);
    const MatrixEvent *ev = s.matrix().event(f.id("MATH"));
    EXPECT_EQ(ev->placed, 2);
    EXPECT_EQ(ev->cells[1], 0b11u);
    EXPECT_EQ(ev->cells[3], 0u);
}

} // namespace
