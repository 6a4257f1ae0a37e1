// What the Timetables view's cells show under each display option, the hint's double-click
// preview for each kind of cell, the action counters and their reset, and the tip that offers
// the cell indicators once.

#include "commands/timetabledisplay.h"

#include "engine/codetable.h"
#include "files/inifile.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

using namespace quivra;

namespace {

// Master T1 in week 1 (5 days, 6 bells), current event MATH with its block at Monday 1-2:
//   Monday    1-2 MATH (room R1 given by hand at bell 1)
//   Wednesday 1 BIO (locked), 3-4 ART (with a memo); G1 holds ENG at Wednesday 1
//   Thursday  1 is booked in G1; Friday 2 has a comment, Friday 6 is booked in T1.
class TimetableDisplayTest : public ::testing::Test
{
protected:
    TimetableDisplayTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(1, 5, 6)
            .resources('G', {"G1", "G2", "G3"})
            .resources('T', {"T1", "T2", "T3"})
            .resources('R', {"R1"});
        f.event("MATH", {"T1", "G1", "R1"}, 4).allocate("MATH", 1, 1, 4).place("MATH", 1, 1, 1, 2);
        f.event("ENG", {"T2", "G1"}, 2).allocate("ENG", 1, 1, 2).place("ENG", 1, 3, 1, 1);
        f.event("ART", {"T1", "G2"}, 2).allocate("ART", 1, 1, 2).place("ART", 1, 3, 3, 4);
        f.event("BIO", {"T1", "G3"}, 2).allocate("BIO", 1, 1, 2).place("BIO", 1, 3, 1, 1);
        f.manualRoom("MATH", 1, 1, 1, "R1").memo("ART", "bring paints");
        f.book("T1", 1, 5, 6, 1).book("G1", 1, 4, 1, 1).comment("[001502];T1;parents' evening");
        f.finish();
        d->codes[f.id("BIO")].flags |= LockedBit;
        d->codes[f.id("MATH")].colour = 0x0000FF;
        s.open(*d, 1);
        s.setMaster(f.id("T1"));
        s.clickCell(*d, 1, 1);
    }

    const TimetableCells &cells(std::uint16_t bits, int codeMode = ShowCode)
    {
        CellDisplayOptions o;
        o.bits = bits;
        o.codeMode = codeMode;
        fillTimetableCells(*d, f.id("T1"), 1, o, &s, out);
        return out;
    }
    static std::uint16_t with(std::initializer_list<CellOption> options)
    {
        CellDisplayOptions o;
        o.bits = 0;
        for (const CellOption option : options)
            o.set(option, true);
        return o.bits;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    TimetablesSession s;
    TimetableCells out;
};

TEST_F(TimetableDisplayTest, EachOptionAddsItsMarksToTheCellTexts)
{
    using O = CellOption;
    struct Case
    {
        const char *what;
        std::uint16_t bits;
        int day, bell;
        const char *text;
    };
    const Case cases[] = {
        {"nothing on", 0, 1, 1, "MATH"},
        {"nothing on: a booking", 0, 5, 6, "/////"},
        {"nothing on: a comment", 0, 5, 2, ""},
        {"flags: locked", with({O::Flags}), 3, 1, "BIO [L]"},
        {"flags: memo", with({O::Flags}), 3, 3, "ART [M]"},
        {"manual room", with({O::ManualRooms}), 1, 1, "MATH (m)"},
        {"manual room: other bell", with({O::ManualRooms}), 1, 2, "MATH"},
        {"comment", with({O::Comments}), 5, 2, "(c)"},
        {"weekly periods", with({O::WeeklyPeriods}), 1, 1, "MATH 2/4"},
        {"indicators: G1 busy with ENG", with({O::Indicators}), 3, 1, "BIO [+1]"},
        {"indicators: G1 booked", with({O::Indicators}), 4, 1, "[+1]"},
        {"indicators: own cell", with({O::Indicators}), 1, 1, "MATH"},
        {"move: one bell down", with({O::MoveOptions}), 1, 2, "MATH [>]"},
        {"move: free below", with({O::MoveOptions}), 1, 5, "[>]"},
        {"move: own place", with({O::MoveOptions}), 1, 1, "MATH"},
        {"move: G1 booked", with({O::MoveOptions}), 4, 1, ""},
        {"move: runs into ART", with({O::MoveOptions}), 3, 2, ""},
        {"move: before the booking", with({O::MoveOptions}), 5, 5, ""},
        {"swap: ART costs a gap in G1", with({O::SwapOptions}), 3, 3, "ART [-1 s]"},
        {"swap: second cell of ART", with({O::SwapOptions}), 3, 4, "ART"},
        {"swap: BIO is shorter", with({O::SwapOptions}), 3, 1, "BIO"},
        {"all", with({O::Flags, O::ManualRooms, O::Comments, O::WeeklyPeriods, O::Indicators}), 1,
         1, "MATH 2/4 (m)"},
        {"all: comment and move", with({O::Comments, O::MoveOptions}), 5, 2, "(c) [>]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cells(c.bits).at(c.day, c.bell).text, c.text) << c.what;

    // Colours, the current event's fit and the gap picture are drawn, not written.
    EXPECT_EQ(cells(with({O::Colours})).at(1, 1).colour, 0x0000FF);
    EXPECT_EQ(cells(0).at(1, 1).colour, 0);
    EXPECT_EQ(out.at(2, 1).fit, TimetableCell::Fit::Free);
    EXPECT_EQ(out.at(4, 1).fit, TimetableCell::Fit::Blocked);
    EXPECT_EQ(out.at(1, 1).fit, TimetableCell::Fit::None);
    EXPECT_TRUE(cells(with({O::GapPicture})).at(3, 2).gap);
    EXPECT_FALSE(out.at(3, 5).gap);
    EXPECT_FALSE(out.at(1, 3).gap);
    EXPECT_EQ(cells(0, ShowCodeAndName).at(1, 1).text, formatCode(*d, f.id("MATH"), 3));
}

TEST_F(TimetableDisplayTest, MarksProbeTheMatrixAndLeaveItAsItWas)
{
    const auto masks = [this] {
        std::vector<std::uint32_t> all;
        for (int row = 1; row <= s.matrix().rowCount(); ++row)
            for (int day = 1; day <= 5; ++day)
                all.push_back(s.matrix().eventMask(row, day));
        return all;
    };
    const std::vector<std::uint32_t> before = masks();
    const int gaps = gapCount(s.matrix(), s.weights, false).total;
    cells(0x3FF);
    EXPECT_EQ(masks(), before);
    EXPECT_EQ(gapCount(s.matrix(), s.weights, false).total, gaps);
    EXPECT_EQ(s.matrix().log().size(), 0);
    EXPECT_FALSE(d->modified);
    // Another timetable, or no current block, gets none of the current event's marks.
    CellDisplayOptions o;
    o.bits = 0x3FF;
    fillTimetableCells(*d, f.id("G1"), 1, o, &s, out);
    EXPECT_EQ(out.at(1, 1).text, "MATH 2/4 (m)");
    EXPECT_EQ(out.event, 0);
    s.clickCell(*d, 2, 1);
    EXPECT_EQ(cells(0x3FF).at(1, 5).text, "");
}

TEST_F(TimetableDisplayTest, TheHintPreviewsTheDoubleClickOfEachKindOfCell)
{
    CellDisplayOptions o;
    const auto has = [&](int day, int bell, const std::string &line) {
        const std::string hint = cellHint(*d, s, o, day, bell);
        return hint.find(line) != std::string::npos;
    };
    struct Case
    {
        int day, bell;
        const char *line;
    };
    const Case cases[] = {
        {2, 1, "[Double-click]: Schedule event \"MATH\""},
        {4, 1, "[Double-click]: Clear cells for \"MATH\""},
        {4, 1, "Conflicts: G1 (Booking 1)"},
        {1, 1, "[Double-click]: Remove event \"MATH\""},
        {1, 1, "[Ctrl+R]: Select room manually (R1)"},
        {1, 1, "(room \"R1\" manually selected for event \"MATH\")"},
        {1, 1, "[Ctrl+U]: Lock event"},
        {3, 1, "[Ctrl+U]: Unlock event"},
        {3, 1, "[F6]: Swap block with..."},
        {5, 6, "[Double-click]: Cancel booking \"T1\""},
        {5, 6, "[Ctrl+O]: Change booking type"},
        {5, 2, "[Ctrl+E]: Comment cell (parents' evening)"},
        {5, 2, "[F3]: Search next timetable"},
        {5, 2, "[Ctrl+Alt+H]: Hide this"},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(has(c.day, c.bell, c.line)) << c.day << "/" << c.bell << " " << c.line << "\n"
                                                << cellHint(*d, s, o, c.day, c.bell);
    EXPECT_EQ(cellHint(*d, s, o, 5, 2).substr(0, 16), "parents' evening");
    EXPECT_FALSE(has(2, 1, "Conflicts"));
    EXPECT_FALSE(has(2, 1, "No events available"));
    s.setEvent(0);
    EXPECT_TRUE(has(2, 1, "[Double-click]: Set booking \"T1\""));
    s.setMaster(f.id("T3")); // teaches nothing
    EXPECT_TRUE(has(2, 1, "No events available"));
    o.set(CellOption::CellHints, false);
    EXPECT_EQ(cellHint(*d, s, o, 2, 1), "");
}

TEST_F(TimetableDisplayTest, CountersCountTheLogAndTheDoubleClicksUntilReset)
{
    const CodeId math = f.id("MATH");
    ASSERT_TRUE(s.matrix().schedule(*d, math, 2, 1, 2));
    ASSERT_TRUE(s.matrix().move(*d, math, 2, 1, 2, 2, 3));
    ASSERT_TRUE(s.matrix().undo(*d));
    ASSERT_TRUE(s.matrix().redo(*d));
    ASSERT_TRUE(s.matrix().toggle(*d, s.masterRow(), 1, 5, 3, 5, 4));
    const std::string counters = "Action counters in Timetables view:\n\n"
                                 "Blocks scheduled: 1\nBlocks removed: 0\nBlocks moved: 1\n"
                                 "Bookings changed: 1\nBlocks swapped: 0\nResources replaced: 0\n"
                                 "Double-clicks: 3\nChanges undone: 1\nChanges redone: 1\n"
                                 // 2 scheduled, 4 moved, 4 undone, 4 redone, 2 booked
                                 "Cells changed: 16\n";
    EXPECT_EQ(actionCountersText(s.matrix().log(), 3), counters);

    int doubleClicks = 3;
    ui.expect("Do you want to reset these counters?").answer(Answer::No);
    EXPECT_FALSE(showActionCounters(p, s, doubleClicks));
    EXPECT_EQ(actionCountersText(s.matrix().log(), doubleClicks), counters);
    ui.expect("Cells changed: 16").answer(Answer::Yes);
    EXPECT_TRUE(showActionCounters(p, s, doubleClicks));
    EXPECT_EQ(doubleClicks, 0);
    const std::string text = actionCountersText(s.matrix().log(), doubleClicks);
    EXPECT_EQ(text.find(": 1"), std::string::npos) << text;
    // The steps stay: undo still works after a reset, and counts again.
    EXPECT_TRUE(s.matrix().undo(*d));
    EXPECT_NE(actionCountersText(s.matrix().log(), 0).find("Changes undone: 1"), std::string::npos);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(TimetableDisplayTest, TheIndicatorTipIsShownOnceAtTenPeriods)
{
    Settings settings;
    d->counters.scheduledTotal = 9;
    EXPECT_FALSE(offerIndicatorTip(*d, p, settings)); // nothing asked
    EXPECT_FALSE(settings.preferences.indicatorTip);

    d->counters.scheduledTotal = 10;
    ui.expect("Congratulations! You have now scheduled 10 periods.").answer(Answer::Yes);
    EXPECT_TRUE(offerIndicatorTip(*d, p, settings));
    EXPECT_TRUE(cellDisplayOptions(settings).on(CellOption::Indicators));
    EXPECT_TRUE(settings.preferences.indicatorTip);
    EXPECT_FALSE(offerIndicatorTip(*d, p, settings)); // never again

    // Declined, it is not offered again either, and the indicators stay off.
    Settings other;
    ui.expect("\"View|Cell display options|Show indicators\"").answer(Answer::No);
    EXPECT_FALSE(offerIndicatorTip(*d, p, other));
    EXPECT_FALSE(offerIndicatorTip(*d, p, other));
    EXPECT_FALSE(cellDisplayOptions(other).on(CellOption::Indicators));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(CellDisplayOptions, MenuItemsToggleOptionsAndSetTheCodeModeAndSurviveARestart)
{
    Settings settings;
    CellDisplayOptions o = cellDisplayOptions(settings);
    EXPECT_TRUE(cellDisplayItemChecked(o, 1));  // event colours
    EXPECT_FALSE(cellDisplayItemChecked(o, 3)); // indicators
    EXPECT_TRUE(cellDisplayItemChecked(o, 10)); // cell hints
    EXPECT_TRUE(cellDisplayItemChecked(o, 11)); // codes
    chooseCellDisplayItem(o, 3);
    chooseCellDisplayItem(o, 1);
    chooseCellDisplayItem(o, 13);
    chooseCellDisplayItem(o, 14); // no such item
    EXPECT_TRUE(o.on(CellOption::Indicators));
    EXPECT_FALSE(o.on(CellOption::Colours));
    EXPECT_EQ(o.codeMode, ShowCodeAndName);
    EXPECT_FALSE(cellDisplayItemChecked(o, 11));
    EXPECT_TRUE(cellDisplayItemChecked(o, 13));

    // Written to the settings file and read back as the next start reads it; bits the menu
    // does not show are kept.
    settings.preferences.cellOptions |= 0x8000;
    storeCellDisplayOptions(o, settings);
    IniFile ini = IniFile::parse("");
    writeSettings(settings, ini);
    Settings next;
    readSettings(next, IniFile::parse(ini.text()));
    EXPECT_EQ(cellDisplayOptions(next), o);
    EXPECT_EQ(next.preferences.cellOptions & 0x8000, 0x8000);
}

} // namespace
