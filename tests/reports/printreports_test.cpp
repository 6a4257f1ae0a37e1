// Printed reports on the recording surface: every report prints with its header on every page,
// code lists split into bands of weeks, timetables fit the page, spans and bell names are drawn
// as laid out, a page range prints only its pages and a stop ends the run cleanly.

#include "reportfixture.h"
#include "reports/printreports.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quivra {
namespace {

ReportParams paramsFor(int slot)
{
    ReportParams p;
    p.setReportNumber(slotReportNumber(slot));
    p.firstWeek = 1;
    p.lastWeek = 3;
    p.weekOptions |= WeekLinkedCodes | WeekLinkedRows | WeekAverages | WeekGrid;
    p.miscOptions |= MiscManualRooms;
    p.unscheduled = true;
    return p;
}

PrintOptions options()
{
    PrintOptions o;
    o.dataFileName = "school.qvf";
    o.now = 1783000000; // 2026-07-02
    return o;
}

PrintResult print(const ScheduleData &d, const ReportParams &p, RecordingSurface &surface,
                  const PrintOptions &o = options())
{
    NullProgress progress;
    return printReport(d, p, o, surface, progress);
}

// The first page on which a text equal to `text` is drawn; 0 when none.
int pageOf(const RecordingSurface &s, std::string_view text)
{
    for (const auto &t : s.texts)
        if (t.text == text)
            return t.page;
    return 0;
}

bool pageHas(const RecordingSurface &s, int page, std::string_view text)
{
    const auto texts = s.pageTexts(page);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(PrintReports, EveryReportPrintsItsCodesUnderAHeaderOnEveryPage)
{
    const auto d = reportFixture();
    struct Case
    {
        int slot;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {1, {"Events", "MA", "Jan", "Long", "Jul", "1x", "26x"}},
        {2, {"Resources", "T1", "Teacher <one>", "Jan"}},
        {3, {"Timetables", "T1", "Teacher <one>   Jan: 05.01.2026...11.01.2026", "Mathématiques"}},
        {4, {"Events by resources (1)", "G1", "MA", "(1)", "[G1,T1,R1]"}},
        {5, {"Events by resources (2)", "G1", "MA", "\""}},
        {6, {"Resources by events", "MA", "G1", "(1)"}},
        {7, {"Timeline report (1)", "Jan: 05.01.2026...11.01.2026 - Monday", "MA"}},
        {8, {"Timeline report (2)", "Mathématiques", "1,2[R1]", "1=8.00-8.45"}},
        {9, {"Timeline report (3)", "Mathématiques", "Monday"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("slot " + std::to_string(c.slot));
        RecordingSurface s;
        const PrintResult r = print(*d, paramsFor(c.slot), s);
        EXPECT_FALSE(r.refused || r.failed || r.aborted) << r.message;
        EXPECT_TRUE(s.ended);
        EXPECT_EQ(r.pages, s.pages);
        EXPECT_EQ(r.laidOut, s.pages);
        for (const std::string &text : c.texts)
            EXPECT_TRUE(s.contains(text)) << text;
        for (int page = 1; page <= s.pages; ++page) {
            const auto texts = s.pageTexts(page);
            ASSERT_FALSE(texts.empty()) << "page " << page;
            EXPECT_EQ(texts[1], "[ -" + std::to_string(page) + "- ] 02.07.2026") << page;
        }
    }
}

TEST(PrintReports, HeadersShowTheLogoOrTheThreeLinesInTheirFrame)
{
    const auto d = reportFixture();
    PrintOptions o = options();
    o.logo = "logo.bmp";
    ReportParams p = paramsFor(2);
    p.logoSpace = 3;
    RecordingSurface s;
    print(*d, p, s, o);
    ASSERT_EQ(s.pictures.size(), static_cast<std::size_t>(s.pages));
    EXPECT_EQ(s.pictures[0].rect, (PrintRect{10, 0, 1990, 60}));
    EXPECT_EQ(s.texts[0].top, 60);
    p.threeLineHeaders = true;
    RecordingSurface framed;
    o.department = "Science";
    o.comment = "Draft";
    print(*d, p, framed, o);
    EXPECT_TRUE(framed.pictures.empty());
    const auto first = framed.pageTexts(1);
    const std::vector<std::string> header(first.begin(), first.begin() + 7);
    EXPECT_EQ(header,
              (std::vector<std::string>{"School <b>&\"x", "- 1 -", "Science", "Draft", "Resources",
                                        "02.07.2026", "school.qvf (Quivra Scheduling Software)"}));
}

TEST(PrintReports, CodeListsSplitIntoBandsOfWeeksThatEachNumberFromOne)
{
    const auto d = reportFixture();
    struct Case
    {
        int width;
        bool repeatTitles;
        int bands;
    };
    // 900 units take the fields and one week, then the two others without the fields; 300 units
    // take one week whatever the name column leaves (a band never stays empty).
    for (const Case c : {Case{900, false, 2}, Case{900, true, 3}, Case{300, false, 3}}) {
        SCOPED_TRACE(std::to_string(c.width) + (c.repeatTitles ? " repeat" : ""));
        RecordingSurface s(c.width, 2800);
        ReportParams p = paramsFor(2);
        if (c.repeatTitles)
            p.weekOptions |= WeekRepeatTitles;
        print(*d, p, s);
        const int jan = pageOf(s, "Jan"), jul = pageOf(s, "Jul");
        ASSERT_GT(jan, 0);
        ASSERT_GT(jul, 0);
        int bands = 0;
        for (int page = 1; page <= s.pages; ++page)
            bands += pageHas(s, page, "1: ") ? 1 : 0;
        EXPECT_EQ(bands, c.bands);
        EXPECT_GT(jul, jan);
        // The band of the last week repeats the fields only when asked to.
        EXPECT_EQ(pageHas(s, jul, "NAME"), c.repeatTitles || c.bands == 1);
        EXPECT_TRUE(pageHas(s, jul, "T1"));
        EXPECT_TRUE(pageHas(s, jul, "CODE"));
    }
}

TEST(PrintReports, TimetablesDrawSpansBellNamesAndFitShortPages)
{
    const auto d = reportFixture();
    ReportParams p = paramsFor(3);
    p.codes = {{"T1", 1}};
    p.lastWeek = 1;
    p.verticalCentre = false;
    RecordingSurface s;
    print(*d, p, s);
    ASSERT_EQ(s.pages, 1);
    // MA holds bells 1 and 2 of Monday: one cell, a dotted line at the inner bell boundary.
    EXPECT_EQ(std::count_if(s.lines.begin(), s.lines.end(),
                            [](const auto &l) { return l.pen == PenStyle::Dot; }),
              1);
    EXPECT_TRUE(s.contains("  8.00-"));
    EXPECT_TRUE(s.contains("-8.45  "));
    EXPECT_TRUE(s.contains("10.30"));

    // Numbered lessons count the event's periods from the first week: MA has two in week 1,
    // so its block in week 3 holds the third and fourth.
    p.numberedLessons = true;
    p.firstWeek = p.lastWeek = 3;
    RecordingSurface numbered;
    print(*d, p, numbered);
    EXPECT_TRUE(numbered.contains("[#3 - #4]"));

    // A page of 20 lines cannot hold six bells of three lines: the cell rows come down until
    // the grid fits, for this timetable and every later one.
    ReportParams all = paramsFor(3);
    all.minCellRows = 3;
    all.maxCellRows = 10;
    RecordingSurface shortPage(2000, 400);
    const PrintResult r = print(*d, all, shortPage);
    EXPECT_GT(r.pages, 10);
    for (const auto &rect : shortPage.rects)
        EXPECT_LE(rect.rect.bottom, 400) << "page " << rect.page;

    // Cells narrower than a character still end their wrapping: each piece takes one.
    RecordingSurface narrow(60, 2800);
    EXPECT_GT(print(*d, all, narrow).pages, 10);
}

TEST(PrintReports, APageRangePrintsOnlyItsPages)
{
    const auto d = reportFixture();
    RecordingSurface whole;
    const PrintResult all = print(*d, paramsFor(3), whole);
    ASSERT_GT(all.pages, 5);

    PrintOptions o = options();
    o.firstPage = 2;
    o.lastPage = 4;
    RecordingSurface part;
    const PrintResult r = print(*d, paramsFor(3), part, o);
    EXPECT_EQ(r.pages, 3);
    EXPECT_EQ(part.pages, 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(part.pageTexts(page), whole.pageTexts(page + 1)) << page;
}

// Stops the run once page `stopAt` is reported, as the abort box's button would.
class StopAtPage final : public Progress
{
public:
    explicit StopAtPage(int stopAt) : m_stopAt(stopAt) {}
    std::string shown;

protected:
    void onBegin(std::string_view text, int) override { shown = std::string(text); }
    void onStatus(std::string_view text) override
    {
        if (text.ends_with("\nPage " + std::to_string(m_stopAt)))
            requestStop();
    }

private:
    int m_stopAt;
};

TEST(PrintReports, AStopEndsTheRunAndTheDocument)
{
    const auto d = reportFixture();
    for (const int slot : {2, 3, 7}) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        RecordingSurface s(600, 300);
        StopAtPage stop(2);
        const PrintResult r = printReport(*d, paramsFor(slot), options(), s, stop);
        EXPECT_TRUE(r.aborted);
        EXPECT_TRUE(s.ended);
        EXPECT_LE(s.pages, 2);
        EXPECT_EQ(stop.shown.substr(0, 10), "Printing \"");
    }
}

TEST(PrintReports, NothingToPrintIsRefusedBeforeTheDocumentStarts)
{
    auto empty = makeScheduleData();
    RecordingSurface s;
    const PrintResult r = print(*empty, paramsFor(2), s);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.message, "You must first create at least one resource and one event.");
    EXPECT_EQ(s.pages, 0);
}

} // namespace
} // namespace quivra
