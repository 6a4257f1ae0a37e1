// Report parameters: the documented defaults, the stored form's round trip, what a missing or
// odd key reads as, and codes re-selected by their text.

#include "engine/codetable.h"
#include "reports/reportparams.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

TEST(ReportParams, AnEmptyFileReadsAsTheDocumentedDefaults)
{
    const ReportParams p = readReportParams(IniFile::parse(""));
    EXPECT_EQ(p, ReportParams{});
    struct Case
    {
        const char *what;
        long long value, expected;
    } const cases[] = {
        {"report", p.report, 2},
        {"show fields", p.showFields, 511},
        {"week options", p.weekOptions, 1536},
        {"table mask", p.tableMask, 16266},
        {"misc options", p.miscOptions, 0},
        {"week format", p.weekFormat, 3},
        {"code format", p.codeFormat, 2},
        {"min rows", p.minCellRows, 3},
        {"max rows", p.maxCellRows, 10},
        {"suffix", p.suffix, 1},
        {"first character", p.firstChar, 'x'},
        {"title colour", p.tableColours[0], 0x80FFFF}, // #FFFF80
        {"colour 6", p.tableColours[6], 0xCCCC99},     // #99CCCC
        {"colour 7", p.tableColours[7], 0x66CCCC},     // #CCCC66
        {"text colour", p.linkColours[0], 0x7F0000},   // #00007F
        {"alink colour", p.linkColours[3], 0x808000},  // #008080
        {"empty timetables", p.emptyTables, 1},
        {"wrap lines", p.wrapLines, 1},
        {"intranet", p.intranet, 0},
        {"lower case", p.lowerCase, 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.value, c.expected) << c.what;
    EXPECT_EQ(p.cellFont, "<font size=1>");
    EXPECT_EQ(p.charset, "ISO-8859-1");
}

TEST(ReportParams, EveryFieldRoundTripsThroughTheStoredForm)
{
    ReportParams p;
    p.setReportNumber(63);
    p.firstWeek = 2;
    p.lastWeek = 5;
    p.weekFormat = 1;
    p.codeFormat = 3;
    p.showFields = 7 | FieldPlanned;
    p.weekOptions = WeekCumulative | WeekAverages;
    p.miscOptions |= MiscShowComment | MiscManualRooms;
    p.minCellRows = 4;
    p.maxCellRows = 12;
    p.formatChoice = 3;
    p.tableMaskByCategory = true;
    p.tableMaskCat[3] = 5;
    p.printFile = "/srv/web/plan, week=1.htm";
    p.threeLineHeaders = true;
    p.emptyTables = false;
    p.intranet = true;
    p.icsFiles = true;
    p.cellFont = "<font face=\"a,b\" size=1>";
    p.tag = "<a href=\"../\">Home; back</a>";
    p.width = 80;
    p.suffix = 0;
    p.firstChar = 'q';
    p.charset = "UTF-8";
    p.tableColours[2] = 0x123456;
    p.linkColours[4] = 0x654321;
    p.daySlots[3] = "Wed, late";
    p.webFont = {"DejaVu Sans", "BI", -13, 10, 1};
    p.codes = {{"T1", 1}, {"<b>&\"x", 3}};

    IniFile ini = IniFile::parse("[Other]\nKeep=1\n[Codes]\nCode9=OLD\n");
    writeReportParams(p, ini);
    const ReportParams back = readReportParams(IniFile::parse(ini.text()));
    EXPECT_EQ(back, p);
    EXPECT_EQ(back.reportNumber(), 63);
    EXPECT_EQ(ini.readString("Other", "Keep", ""), "1");
    EXPECT_FALSE(ini.hasKey("Codes", "Code9")) << "writing starts the Codes section afresh";
    EXPECT_EQ(ini.readString("Reports", "ToPrinter", ""), "0");
}

TEST(ReportParams, ReadingClampsOddValuesAndForcesLowerCaseNames)
{
    const ReportParams p = readReportParams(IniFile::parse("[Reports]\nMinCellRows=8\n"
                                                           "MaxCellRows=2\nShowFields=8\n"
                                                           "FormatChoice=9\n[HTML]\n"
                                                           "FirstChar=200\nLowerCase=0\n"
                                                           "Width=300\nSuffix=-1\n"));
    EXPECT_EQ(p.minCellRows, 8);
    EXPECT_EQ(p.maxCellRows, 8) << "max is raised to min";
    EXPECT_EQ(p.showFields, 15) << "the first three fields are always shown";
    EXPECT_EQ(p.formatChoice, 3);
    EXPECT_EQ(p.firstChar, 'z');
    EXPECT_TRUE(p.lowerCase);
    EXPECT_EQ(p.width, 100);
    EXPECT_EQ(p.suffix, 0);
    EXPECT_EQ(readReportParams(IniFile::parse("[HTML]\nFirstChar=33\n")).firstChar, 'a');
}

TEST(ReportParams, SlotsKeepTheirReportAndVariant)
{
    for (int slot = 1; slot <= ReportSlotCount; ++slot) {
        ReportParams p;
        p.setReportNumber(slotReportNumber(slot));
        IniFile ini;
        writeReportParams(p, ini);
        const ReportParams back = readReportParams(IniFile::parse(ini.text()));
        EXPECT_EQ(reportNumberSlot(back.reportNumber()), slot);
    }
    EXPECT_EQ(slotReportNumber(5), 42);
    EXPECT_EQ(slotReportNumber(9), 63);
    EXPECT_EQ(slotReportNumber(10), 0);
}

TEST(ReportParams, DeletedCodesAreSkippedWhenASlotIsRead)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('T', {"T1", "T2", "T3"});
    f.finish();
    ReportParams p;
    p.codes = {{"T3", 1}, {"GONE", 1}, {"T1", 1}};
    IniFile ini;
    writeReportParams(p, ini);
    ASSERT_TRUE(deleteCode(*d, f.id("T3")));
    const std::vector<CodeId> ids = selectedCodes(*d, readReportParams(ini));
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(d->codes[ids[0]].code.str(), "T1");
}

} // namespace
} // namespace quivra
