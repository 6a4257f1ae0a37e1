// The demo institution shipped in examples/ must load cleanly: every line used, nothing in two
// places at once, and the counts its README promises.

#include "files/datafile.h"
#include "files/textexchange.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quivra {
namespace {

// Test programs run in tests/files.
const std::string DemoFile = "../../examples/demo.qvx";

int countOf(const ScheduleData &d, bool events)
{
    int n = 0;
    for (int c = 1; c <= d.codeCount; ++c)
        n += d.codes[static_cast<std::size_t>(c)].isEvent() == events ? 1 : 0;
    return n;
}

std::string skippedLines(const ImportReport &r)
{
    std::string text;
    for (const std::string &s : r.samples)
        text += s + "\n";
    return text;
}

TEST(Demo, ImportsWithoutSkippedLinesOrConflicts)
{
    auto d = makeScheduleData();
    const auto report = importTextFile(DemoFile, *d);
    ASSERT_TRUE(report.has_value()) << report.error().detail;
    EXPECT_EQ(report->linesSkipped, 0) << skippedLines(*report);
    EXPECT_GT(report->linesRead, 1000);

    EXPECT_EQ(countOf(*d, true), 148);
    EXPECT_EQ(countOf(*d, false), 12 + 25 + 15 + 10);
    EXPECT_EQ(usedWeeks(*d), 6);
    EXPECT_EQ(usedDays(*d), 5);
    EXPECT_EQ(usedBells(*d), 8);
    EXPECT_EQ(d->firstWeekDate, dateSerial(2025, 9, 1));
    EXPECT_EQ(d->bellNames[8].str(), "14:40-15:25");
    EXPECT_EQ(d->weeks[6].name.str(), "Exams");
    EXPECT_EQ(d->comments.size(), 5u);
    EXPECT_EQ(d->manualRooms[0], 12 * 3);
    EXPECT_EQ(d->roleCount, 7);
    EXPECT_EQ(d->assignmentCount, 19);

    // Years 7 to 9 are scheduled in full, year 10 only allocated.
    const CodeRecord &maths7 = d->codes[findCode(*d, "MA7A")];
    EXPECT_EQ(maths7.planned, 24);
    EXPECT_EQ(maths7.allocated, 24);
    EXPECT_GE(maths7.scheduled, 23); // a Friday period falls on the holiday of week 3
    const CodeRecord &maths10 = d->codes[findCode(*d, "MA10A")];
    EXPECT_EQ(maths10.allocated, 24);
    EXPECT_EQ(maths10.scheduled, 0);

    const ConflictReport conflicts = sweepConflicts(*d, 1, false);
    EXPECT_EQ(conflicts.found, 0) << "week " << conflicts.week << " day " << conflicts.day
                                  << " bell " << conflicts.bell;
}

TEST(Demo, TheHolidayFallsOnADayWithoutPeriods)
{
    const auto text = readTextFile(DemoFile);
    ASSERT_TRUE(text.has_value());
    auto d = makeScheduleData();
    ImportOptions options;
    options.holidays = true;
    const ImportReport report = importText(*d, *text, options);
    EXPECT_EQ(report.linesSkipped, 0) << skippedLines(report);
    EXPECT_EQ(report.holidaysRefused, 0);
    // Every cell of that day of every group, teacher and room was free or booked, so every one
    // becomes a holiday booking and no period is lost.
    EXPECT_EQ(report.holidayCells, (12 + 25 + 15) * 8);
    EXPECT_EQ(sweepConflicts(*d, 1, false).found, 0);
}

TEST(Demo, ShippedDataFileHoldsTheSameInstitution)
{
    // examples/demo.qvf is made from demo.qvx by "quivra-cli convert"; remake it when the text
    // changes.
    auto fromText = makeScheduleData();
    ASSERT_TRUE(importTextFile(DemoFile, *fromText).has_value());
    auto fromData = makeScheduleData();
    const auto read = readDataFile("../../examples/demo.qvf", *fromData);
    ASSERT_TRUE(read.has_value()) << read.error().detail;
    ASSERT_TRUE(read->complete) << read->reason;
    EXPECT_EQ(fromData->codeCount, fromText->codeCount);
    EXPECT_EQ(fromData->lectureCount, fromText->lectureCount);
    EXPECT_EQ(fromData->collectionEntryCount, fromText->collectionEntryCount);
    for (int c = 1; c <= fromText->codeCount; ++c) {
        EXPECT_EQ(fromData->codes[c].code, fromText->codes[c].code);
        EXPECT_EQ(fromData->codes[c].scheduled, fromText->codes[c].scheduled);
    }
    for (int i = 1; i <= fromText->lectureCount; ++i) {
        EXPECT_EQ(fromData->lectureWord[i], fromText->lectureWord[i]);
        EXPECT_EQ(fromData->lectureStart[i], fromText->lectureStart[i]);
        EXPECT_EQ(fromData->lectureEnd[i], fromText->lectureEnd[i]);
    }
    EXPECT_EQ(sweepConflicts(*fromData, 1, false).found, 0);
    // Made in one go: no editing time to speak of, and the report titles of a new data set.
    EXPECT_EQ(fromData->header.editingDays, 0);
    for (int t = 1; t <= ReportTitleCount; ++t)
        EXPECT_EQ(fromData->reportTitles[t], fromText->reportTitles[t]) << t;
    EXPECT_EQ(fromData->reportTitles[1], "Events");
}

} // namespace
} // namespace quivra
