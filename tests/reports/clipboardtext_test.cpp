// Clipboard text: the writer's TAB and line-break rules, the cut of an oversized copy, the
// reader's line ends, the target files, and byte-exact golden texts of every code-list copy and
// every timetable layout on a small institution.
//
// QUIVRA_UPDATE_GOLDEN=1 rewrites the golden files from the current output; review the diff.

#include "clipfixture.h"
#include "reports/clipboardtext.h"
#include "reports/timetabletext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace quivra {
namespace {

std::vector<CodeId> all(const ScheduleData &d, bool events)
{
    std::vector<CodeId> out;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent() == events)
            out.push_back(c);
    return out;
}

CodeId id(const ScheduleData &d, std::string_view code)
{
    return findCode(d, code);
}

TEST(ClipWriter, EveryCellEndsWithATabExceptTheLastOfALine)
{
    ClipWriter w;
    w.cell("A1");
    w.empty();
    w.number(40);
    w.endLine();
    w.empty();
    w.endLine();
    w.endLine();
    EXPECT_EQ(w.text(), "A1\t\t40\r\n\r\n\r\n");
}

TEST(ClipWriter, AnOversizedCopyIsCutBackToAWholeBlock)
{
    ClipWriter w;
    for (const char *code : {"AAAA", "BBBB", "CCCC"}) {
        w.beginBlock();
        w.cell(code);
        w.endLine();
        w.cell("x");
        w.endLine();
    }
    // Each block takes 9 bytes; 20 bytes hold two whole blocks and a part of the third.
    EXPECT_FALSE(w.overflows(27));
    EXPECT_EQ(w.clipboardText(27), w.text());
    EXPECT_TRUE(w.overflows(20));
    EXPECT_EQ(w.clipboardText(20), "AAAA\r\nx\r\nBBBB\r\nx\r\n");
    ClipWriter lines; // no blocks: cut at a line end
    lines.cell("12345");
    lines.endLine();
    lines.cell("67890");
    lines.endLine();
    EXPECT_EQ(lines.clipboardText(10), "12345\r\n");
}

TEST(ClipReader, AllLineEndsReadTheSameAndNothingIsLost)
{
    const std::vector<ClipLine> expected = {{"A1",
                                             "Alg\xE9"
                                             "bre",
                                             "2", "40"},
                                            {"B2", "", "1"}};
    for (const char *text : {
             "A1\tAlg\xE9"
             "bre\t2\t40\r\nB2\t\t1\r\n", // CR LF
             "A1\tAlg\xE9"
             "bre\t2\t40\nB2\t\t1\n", // LF only
             "A1\tAlg\xE9"
             "bre\t2\t40\rB2\t\t1\r", // CR only
             "A1\tAlg\xE9"
             "bre\t2\t40\r\nB2\t\t1", // no break after the last line
             "A1\tAlg\xE9"
             "bre\t2\t40\r\nB2\t\t1\r\n\0junk",
         })
        EXPECT_EQ(readClipLines(text), expected) << text;
    EXPECT_EQ(readClipLines("a\x01"
                            "b\tc\r\n"),
              (std::vector<ClipLine>{{"ab", "c"}}));
    EXPECT_EQ(readClipLines("a\r\n\r\nb"), (std::vector<ClipLine>{{"a"}, {""}, {"b"}}));
    EXPECT_TRUE(readClipLines("").empty());
    const std::string longCell(300, 'x');
    EXPECT_EQ(readClipLines(longCell)[0][0].size(), ClipCellLimit);
}

TEST(ClipReader, NumbersIgnoreBlanksAndFallBack)
{
    const struct
    {
        const char *cell;
        int expected;
    } cases[] = {{"40", 40}, {" 4 0 ", 40}, {"", 7}, {"4x", 7}, {"-3", -3}, {"99999999999", 7}};
    for (const auto &c : cases)
        EXPECT_EQ(clipNumber(c.cell, 7), c.expected) << c.cell;
}

TEST(ClipTarget, CsvAndHtmlHoldTheSameCellsSafely)
{
    const std::string text = "a\tb\r\nsay \"hi\"\tx,y\t<b>&\r\n\tlast";
    EXPECT_EQ(clipTargetContents(ClipTargetType::Text, text), text);
    EXPECT_EQ(clipTargetContents(ClipTargetType::Csv, text),
              "a,b\r\n\"say \"\"hi\"\"\",\"x,y\",<b>&\r\n,last\r\n");
    const std::string html = clipTargetContents(ClipTargetType::Html, text);
    EXPECT_NE(html.find("charset=windows-1252"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>say &quot;hi&quot;</td><td>x,y</td><td>&lt;b&gt;&amp;</td></tr>"),
              std::string::npos);
    EXPECT_NE(html.find("<tr><td>&nbsp;</td><td>last</td></tr>"), std::string::npos);
    EXPECT_TRUE(html.ends_with("</table></body></html>\r\n"));
}

TEST(ClipInfo, TheReportNamesWhatWasCopiedAndWhere)
{
    EXPECT_EQ(clipInfoText(1, false), "Clipboard is empty. Please recheck your selections.");
    EXPECT_TRUE(clipInfoText(120, false)
                    .starts_with("120 bytes (of max 65520 bytes) copied to the Clipboard.\r\n"
                                 "\r\nSelect [OK]"));
    EXPECT_NE(clipInfoText(65000, true).find("The maximum size of the Clipboard was exceeded."),
              std::string::npos);
    EXPECT_EQ(clipInfoText(70000, true, "/tmp/clip.csv", 71234),
              "Clipboard content (71234 bytes) was copied to \"/tmp/clip.csv\".");
}

TEST(CodeCopies, TheEventsViewCopiesCodeNameCategoryAndPlanned)
{
    auto d = clipFixture();
    CopyRequest r;
    r.kind = CopyNamesAndCategories;
    r.events = true;
    r.main = {id(*d, "A1")};
    EXPECT_EQ(copyCodes(*d, r).text(), "A1\tAlgebra\t2\t40\r\n");
}

TEST(CodeCopies, NamesAndLinksOfAResourceEndWithAnEmptyLine)
{
    auto d = clipFixture();
    CopyRequest r;
    r.kind = CopyCodesAndLinks;
    r.events = false;
    r.fields = ClipName;
    r.main = {id(*d, "G1")};
    d->codes[id(*d, "G1")].name.assign("Group one");
    EXPECT_EQ(copyCodes(*d, r).text(), "Group one\r\n\tAlgebra\r\n\tChemistry\r\n\r\n");
}

// ----- golden texts ----------------------------------------------------------------------------

struct GoldenCase
{
    const char *name;
    std::function<std::string(const ScheduleData &)> make;
};

CopyRequest request(const ScheduleData &d, int kind, bool events)
{
    CopyRequest r;
    r.kind = kind;
    r.events = events;
    r.main = all(d, events);
    r.other = all(d, !events);
    r.weeks = {1, 2};
    return r;
}

std::string copy(const ScheduleData &d, CopyRequest r)
{
    return copyCodes(d, r).text();
}

std::string layout(const ScheduleData &d, TimetableCopy r)
{
    return copyTimetables(d, r).text();
}

std::vector<GoldenCase> goldenCases()
{
    std::vector<GoldenCase> cases;
    const auto code = [](int kind, bool events, const char *name,
                         std::function<void(const ScheduleData &, CopyRequest &)> tweak = {}) {
        return GoldenCase{name, [=](const ScheduleData &d) {
                              CopyRequest r = request(d, kind, events);
                              if (tweak)
                                  tweak(d, r);
                              return copy(d, r);
                          }};
    };
    cases.push_back(
        code(CopyCodesAndLinks, true, "copy0-events-both",
             [](const ScheduleData &, CopyRequest &r) { r.fields = ClipCode | ClipName; }));
    cases.push_back(code(CopyCodesAndLinks, false, "copy0-resources-codes"));
    cases.push_back(code(CopyNamesAndCategories, true, "copy1-events"));
    cases.push_back(code(CopyNamesAndCategories, false, "copy1-resources"));
    cases.push_back(code(CopyPeriods, true, "copy2-events-counts",
                         [](const ScheduleData &, CopyRequest &r) { r.categoryCounts = true; }));
    cases.push_back(code(CopyPeriods, false, "copy2-resources-by-category",
                         [](const ScheduleData &, CopyRequest &r) {
                             r.byCategory = true;
                             r.sortingCategory = 2;
                         }));
    cases.push_back(code(CopyLinks, true, "copy4-events"));
    cases.push_back(code(CopyLinks, false, "copy4-resources"));
    cases.push_back(code(CopyPeriodsInWeeks, true, "copy8-events"));
    cases.push_back(
        code(CopyPeriodsInWeeks, false, "copy8-resources-unscheduled",
             [](const ScheduleData &, CopyRequest &r) { r.periods = WeekPeriods::Unscheduled; }));
    cases.push_back(code(CopyAddableResources, true, "copy16-events"));
    cases.push_back(code(CopyAddableEvents, false, "copy32-resources"));
    cases.push_back(code(CopyLinkedPeriods, true, "copy64-events"));
    cases.push_back(code(CopyLinkedPeriods, false, "copy64-resources"));
    cases.push_back(code(CopyLinkedPeriodsInWeeks, false, "copy128-resources"));
    cases.push_back(code(CopyAllCodes, true, "copy256"));
    cases.push_back(code(CopyResourceTimetables, false, "copy512-resources"));
    cases.push_back(code(CopyEventTimetables, true, "copy1024-events"));
    cases.push_back(code(CopySelectionMatrix, true, "copy8192-events"));

    const auto item = [](int n, const char *name,
                         std::function<void(const ScheduleData &, TimetableCopy &)> tweak) {
        return GoldenCase{name, [=](const ScheduleData &d) {
                              TimetableCopy r;
                              r.item = n;
                              r.week = 1;
                              tweak(d, r);
                              return layout(d, r);
                          }};
    };
    cases.push_back(item(1, "item1-table",
                         [](const ScheduleData &d, TimetableCopy &r) { r.code = id(d, "T2"); }));
    cases.push_back(item(1, "item1-line", [](const ScheduleData &d, TimetableCopy &r) {
        r.code = id(d, "T2");
        r.lineForm = true;
    }));
    cases.push_back(item(2, "item2-linked", [](const ScheduleData &d, TimetableCopy &r) {
        r.code = id(d, "A1");
        r.showMode = ShowCodeAndName;
    }));
    cases.push_back(item(3, "item3-event-plus-room", [](const ScheduleData &d, TimetableCopy &r) {
        r.category = 2;
        r.content = CellContent::EventPlusResource;
        r.contentCategory = d.roomsCategory;
    }));
    cases.push_back(item(3, "item3-two-resources-line", [](const ScheduleData &, TimetableCopy &r) {
        r.category = 1;
        r.lineForm = true;
        r.content = CellContent::TwoResources;
        r.contentCategory = 2;
        r.contentCategory2 = 3;
    }));
    cases.push_back(item(4, "item4-weeks",
                         [](const ScheduleData &d, TimetableCopy &r) { r.code = id(d, "G1"); }));
    cases.push_back(item(5, "item5-events-by-slot",
                         [](const ScheduleData &d, TimetableCopy &r) { r.codes = all(d, true); }));
    cases.push_back(item(6, "item6-free-rooms", [](const ScheduleData &d, TimetableCopy &r) {
        r.category = d.roomsCategory;
    }));
    cases.push_back(
        item(7, "item7-comments", [](const ScheduleData &, TimetableCopy &r) { r.category = 2; }));
    cases.push_back(item(8, "item8-compact", [](const ScheduleData &, TimetableCopy &r) {
        r.category = 8;
        r.weeks = {1, 2};
    }));
    cases.push_back(item(9, "item9-slot-load", [](const ScheduleData &d, TimetableCopy &r) {
        r.codes = all(d, false);
        r.manualRooms = true;
    }));
    cases.push_back(item(9, "item9-capacities",
                         [](const ScheduleData &, TimetableCopy &r) { r.capacities = true; }));
    cases.push_back(item(10, "item10-calendar", [](const ScheduleData &, TimetableCopy &r) {
        r.category = 2;
        r.firstWeek = 1;
        r.lastWeek = 2;
        r.characters = 2;
    }));
    return cases;
}

TEST(ClipGolden, EveryCopyAndLayoutMatchesItsGoldenText)
{
    auto d = clipFixture();
    const auto folder = std::filesystem::path(__FILE__).parent_path() / "golden" / "clipboard";
    const bool update = std::getenv("QUIVRA_UPDATE_GOLDEN") != nullptr;
    for (const GoldenCase &c : goldenCases()) {
        const std::string text = c.make(*d);
        const auto path = folder / (std::string(c.name) + ".txt");
        if (update) {
            std::filesystem::create_directories(folder);
            std::ofstream(path, std::ios::binary) << text;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << "missing golden file " << path;
        std::ostringstream expected;
        expected << in.rdbuf();
        EXPECT_EQ(text, expected.str()) << c.name;
        EXPECT_FALSE(text.ends_with('\0')) << c.name;
    }
}

TEST(TimetableCopies, TheCompactGrandTotalCountsEveryOccupiedCell)
{
    auto d = clipFixture();
    for (const bool events : {false, true}) {
        TimetableCopy r;
        r.item = 8;
        r.events = events;
        r.category = 8;
        r.weeks = {1, 2};
        const std::vector<ClipLine> lines = readClipLines(copyTimetables(*d, r).text());
        int ones = 0;
        // The cells of the codes' rows (the header rows hold bell numbers), without the empty
        // cell and the row's total at the end.
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            if (findCode(*d, lines[i][0]) != 0)
                for (std::size_t j = 1; j + 2 < lines[i].size(); ++j)
                    ones += lines[i][j] == "1" ? 1 : 0;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().back(), std::to_string(ones)) << events;
        EXPECT_GT(ones, 0);
    }
}

TEST(TimetableCopies, TheCalendarStartsOnTheFirstOfTheMonthAndTakesDaysFromTheWeek)
{
    auto d = clipFixture();
    TimetableCopy r;
    r.item = 10;
    r.category = 2; // T1 and T2
    r.firstWeek = 1;
    r.lastWeek = 1;
    const std::vector<ClipLine> lines = readClipLines(copyTimetables(*d, r).text());
    ASSERT_GE(lines.size(), 6u);
    // Month letters, then the code and the day numbers from the 1st of January.
    EXPECT_EQ(lines[0][1], "J");
    EXPECT_EQ(lines[0][2], "a");
    EXPECT_EQ(lines[1][0], "T1");
    EXPECT_EQ(lines[1][1], "1");
    EXPECT_EQ(lines[1].size(), 32u) << "January has 31 days";
    // Week 1 starts on Wednesday the 14th: A1 on its day 1, bells 1 and 2.
    EXPECT_EQ(lines[2][14], "W");
    EXPECT_EQ(lines[3][0], "8-9");
    EXPECT_EQ(lines[3][13], "") << "before the first week";
    EXPECT_EQ(lines[3][14], "A1") << "day 1 of week 1 is Wednesday";
    EXPECT_EQ(lines[3][15], "") << "Thursday is day 2";
    d->firstWeekDate = 0;
    d->calendarMode &= static_cast<std::uint16_t>(~2u);
    EXPECT_TRUE(copyTimetables(*d, r).text().empty()) << "undated weeks give no calendar";
}

} // namespace
} // namespace quivra
