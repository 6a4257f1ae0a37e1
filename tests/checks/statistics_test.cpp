// Statistics: the category tables, volumes, link tables, timetables page, graph and summary.

#include "checks/statistics.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace quivra {
namespace {

// Three basic events; T1 is used by four of the events.
std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('G', {"G1"}).resources('T', {"T1", "T2"});
    f.event("A", {"G1", "T1"}, 3).event("B", {"T1"}, 2).event("C", {"T1", "T2"}, 1);
    f.event("M", {"T1"}, 2, 2);
    f.allocate("A", 1, 1, 3).allocate("B", 2, 2, 2).allocate("C", 1, 1, 1);
    // Blocks of 1, 1 and 3 bells.
    f.place("A", 1, 1, 1, 3).place("B", 2, 1, 1, 1).place("C", 1, 2, 5, 5);
    f.weekBooking("M", 3, 5, 2);
    f.book("T2", 1, 3, 2, 1, 4);
    f.finish();
    return d;
}

TEST(Statistics, CategoryTablesCountCodesLinksAndWeeks)
{
    auto d = school();
    const Statistics s = computeStatistics(*d);
    struct Case
    {
        const char *name;
        StatKind kind;
        int column, row;
        const char *text;
    };
    const Case cases[] = {
        {"event category header", StatKind::Events, 0, 1, "b:Basic"},
        {"three basic events", StatKind::Events, 1, 1, "3"},
        {"their links", StatKind::Events, 5, 1, "3"},
        {"their planned periods", StatKind::Events, 2, 1, "6"},
        {"week 1 of basic events", StatKind::Events, StatWeekColumn, 1, "4"},
        {"an empty category shows nothing", StatKind::Events, 1, 3, ""},
        {"events total", StatKind::Events, 1, StatTotalRow, "4"},
        {"teachers count", StatKind::Resources, 1, 2, "2"},
        {"teachers' links: T1 four, T2 one", StatKind::Resources, 5, 2, "5"},
        {"week booking of kind 2 in week 3", StatKind::Events, StatWeekColumn + 2, 11, "1"},
        {"week booking of kind 2 in week 5", StatKind::Events, StatWeekColumn + 4, 11, "1"},
        {"week booking of kind 2 not in week 2", StatKind::Events, StatWeekColumn + 1, 11, "0"},
        {"week booking total", StatKind::Events, 1, 11, "3"},
        {"bookings total row", StatKind::Events, 1, StatBookingTotalRow, "3"},
        {"table booking cells of kind 1", StatKind::Resources, StatWeekColumn, 10, "3"},
        {"week header", StatKind::Resources, StatWeekColumn + 1, 0, "[2]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(statCell(*d, s, c.kind, c.column, c.row), c.text);
    }
    EXPECT_EQ(drawnStatCell(""), " - ");
    EXPECT_EQ(drawnStatCell("0"), " - ");
    EXPECT_EQ(drawnStatCell("12"), " 12 ");
    const std::string copy = categoryTableText(*d, s, StatKind::Events);
    EXPECT_EQ(copy.substr(0, copy.find("\r\n")),
              "Category:\t  #:  \tPLAN\tALLOC\tSCHED\tLINKS\t[1]\t[2]\t[3]\t[4]\t[5]");
}

TEST(Statistics, LinkTablesVolumesAndTimetablesPage)
{
    auto d = school();
    const Statistics s = computeStatistics(*d);
    EXPECT_EQ(s.resourcesInEvents.label, "Resources by events [1 ... 2]");
    EXPECT_EQ(linkTableText(s.resourcesInEvents), "1\t2\t1\r\n2\t2\t4\r\n");
    EXPECT_EQ(s.eventLinksOfResources.label, "Events by resources [1 ... 4]");
    EXPECT_EQ(s.eventBlocks, "Event blocks (3: 1h - 3h)");
    EXPECT_EQ(s.eventBlockList, "1h:2,3h:1");
    EXPECT_EQ(s.bookingBlockList, "3h:1");
    EXPECT_EQ(s.gauges[6].label, "ALLOC/PLAN (6/8)");
    EXPECT_EQ(s.gauges[6].value, 75);
    EXPECT_EQ(s.gauges[7].value, 83);
    EXPECT_EQ(s.timetableLines[0], "Timetables for events: 20");
}

TEST(Statistics, AFileWithoutEventsShowsZeroInWeeks)
{
    auto d = makeScheduleData();
    const Statistics s = computeStatistics(*d);
    EXPECT_EQ(s.gauges[6].value, 0);
    EXPECT_EQ(s.gauges[7].value, 0);
    EXPECT_EQ(s.eventBlockList, "[none]");
}

TEST(Statistics, ComputingLeavesAFileWithConflictsAsItWas)
{
    auto d = twoEventsInOneRoom();
    d->noTimetableMasks[1] = 0; // the shared room now conflicts
    FixtureBuilder(*d).finish();
    const std::string before = dumpScheduleData(*d);
    const Statistics s = computeStatistics(*d);
    (void)resourceGraph(*d, 5, true);
    (void)summaryText(*d, "");
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);
    EXPECT_EQ(statCell(*d, s, StatKind::Events, 4, 1), "4");
}

TEST(Statistics, GraphOfAResource)
{
    auto d = school();
    FixtureBuilder f(*d);
    const ResourceGraph g = resourceGraph(*d, f.id("T1"), true);
    ASSERT_EQ(g.weeks.size(), 5u);
    EXPECT_EQ(g.weeks[0].allocated, 4);
    EXPECT_EQ(g.weeks[0].scheduled, 4);
    EXPECT_EQ(g.weeks[1].allocated, 2);
    EXPECT_EQ(g.largest, 4);
    const ResourceGraph t2 = resourceGraph(*d, f.id("T2"), true);
    EXPECT_EQ(t2.weeks[0].booked, 3);
    EXPECT_EQ(graphHint(*d, t2, 1),
              "Week = [1]: 1 in weeks, 1 in timetables, 3 in bookings, 0 gaps.");
}

TEST(Summary, APrefixIsShownAsItStandsAndTheFiguresFollow)
{
    auto d = school();
    const std::string prefix = "Removed 100% of \"%s\" and %d%n codes.\r\n\r\n";
    const std::string text = summaryText(*d, prefix);
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    for (const char *line :
         {"Summary:\r\n\r\nCodes:\r\n- 4 events and 3 resources (7 out of 8191)\r\n\r\n",
          "- 8 PLANNED\r\n- 6 ALLOCATED\r\n- 5 SCHEDULED\r\n", "- 5 weeks (out of 255) used\r\n",
          "- 6 resources attached to events\r\n", "- complexity rank ",
          "\r\n\r\n(Select \"Options|Statistics\" or \"Options|Health check\" for more "
          "information)."})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

TEST(Summary, ResourcesLeftAndComplexity)
{
    auto d = makeScheduleData();
    EXPECT_EQ(resourcesLeft(*d), 100);
    EXPECT_EQ(complexityRank(*d), 0);
    d->codeCount = MaxCodes;
    EXPECT_EQ(resourcesLeft(*d), 0);
    d->codeCount = 8190;
    d->collectionEntryCount = 20000;
    d->lectureCount = 30000;
    EXPECT_EQ(resourcesLeft(*d), 0); // 8190 of 8191 codes: 0.01 % rounds to 0
    // 0.75 ln(20000 x 30000 / 8191 + 1) = 8.39
    EXPECT_EQ(complexityRank(*d), 8);
}

TEST(FilesPage, FilesBesideTheDataFileKeepTheirNamesCase)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("quivra-files-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto write = [&](const char *name, std::size_t bytes) {
        std::ofstream(dir / name, std::ios::binary) << std::string(bytes, 'x');
    };
    write("Plan.qvf", 100);
    write("Plan.bak", 90);
    write("plan.txt", 5); // another case: not the annotation file of Plan.qvf
    auto d = makeScheduleData();
    d->header.versionRead = 6 * 1024 + 5;
    d->header.savedDay = 45901;
    d->header.savedTicks = 1572864 / 2;
    d->comments = {"one", "two"};
    const std::string plan = (dir / "Plan.qvf").string();
    const std::vector<std::string> lines = filesPageLines(*d, plan, "/opt/Quivra");
    fs::remove_all(dir);
    const std::vector<std::string> expected = {
        "Size of file \"" + plan + "\" 100 bytes",
        "Saved with \"6.5\"",
        "Last saved at: 01.09.2025 12:00:00",
        "Backup file \"" + (dir / "Plan.bak").string() + "\" 90 bytes",
        "Text file \"Plan.qvx\" not found.",
        "Comments - 2 lines",
        "Memos - 0 lines",
        "Annotation file \"" + (dir / "Plan.txt").string() + "\" not found",
        "Install location: /opt/Quivra",
    };
    EXPECT_EQ(lines, expected);

    auto fresh = makeScheduleData();
    const std::vector<std::string> unsaved = filesPageLines(*fresh, "", "/opt/Quivra");
    EXPECT_EQ(unsaved[0], "Size of file \"\" (not saved)");
    EXPECT_EQ(unsaved[1], "Version: (not saved)");
    EXPECT_EQ(unsaved[2], "Saved at: (not saved)");
}

} // namespace
} // namespace quivra
