// Calendar exports: clock times from bell names, the items of a resource, the three formats
// with hostile texts, file names per resource, local times across summer time, and undated
// weeks refused.

#include "reportfixture.h"
#include "reports/calendarexport.h"
#include "support/timezone.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quivra {
namespace {

class BerlinTime : public ::testing::Test
{
private:
    ScopedTimeZone m_zone{"Europe/Berlin"};
};

TEST(CalendarTimes, ClockTextsParseAsTheBellNamesMeanThem)
{
    struct Case
    {
        const char *text;
        int minutes;
    } const cases[] = {
        {"8.00", 480},  {"8:45", 525}, {"2 PM", 840},     {"2pm", 840},
        {"12 PM", 720}, {"12 AM", 0},  {"11.30 am", 690}, {"9", 540},
        {"8,30", 510},  {"8;30", 510}, {"24:00", -1},     {"25", -1},
        {"8:75", -1},   {"abc", -1},   {"", -1},          {"13 PM", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseClockText(c.text), c.minutes) << c.text;
}

TEST(CalendarTimes, SpansTakeTheirTimesFromTheBells)
{
    auto d = reportFixture();
    struct Case
    {
        int bell, bells;
        ClockSpan expected;
    } const cases[] = {
        {1, 2, {480, 570}},                     // 8.00-8.45 and 8.45-9.30
        {1, 1, {480, 525}}, {4, 1, {630, 840}}, // "10.30", ends when bell 5 ("2 PM") starts
        {5, 1, {840, 885}},                     // "2 PM", bell 6 has no time: 45 minutes
        {6, 1, {780, 825}},                     // no name: 08:00 + 5 hours
    };
    for (const Case &c : cases)
        EXPECT_EQ(bellSpanTimes(*d, c.bell, c.bells), c.expected) << c.bell;
    d->bellNames[3].assign("9.40-7.00");
    EXPECT_EQ(bellSpanTimes(*d, 3, 1), (ClockSpan{580, 625})) << "an end before the start";
    d->bellNames[6].assign("");
    d->calendarRange.endBell = 30;
    EXPECT_EQ(bellSpanTimes(*d, 30, 1).start, 8 * 60 + 29 * 60) << "carries past midnight";
}

TEST_F(BerlinTime, ItemsRepeatForLongWeeksAndCarryTheirResources)
{
    auto d = reportFixture();
    d->weeks[1].length = 2;
    const RunEnvironment env;
    const auto items = calendarItems(*d, findCode(*d, "t1"), 1, 3, 1, true, env);
    ASSERT_EQ(items.size(), 5u); // two periods in week 1 twice, one in week 3
    EXPECT_EQ(items[0].date + 7, items[1].date);
    EXPECT_EQ(items[0].subject, "[t1] <b>&\"x");
    EXPECT_EQ(items[0].description, "A/B t1");
    EXPECT_EQ(items[0].location, "[Lab]") << "a room chosen slot by slot";
    EXPECT_NE(items[0].uid, items[1].uid);
    const auto ma = calendarItems(*d, findCode(*d, "T1"), 1, 3, 3, true, env);
    ASSERT_FALSE(ma.empty());
    EXPECT_EQ(ma[0].location, "R1:Name of R1");
    EXPECT_EQ(ma[0].subject, "[T1:Teacher <one>] Math\xC3\xA9matiques");
}

TEST_F(BerlinTime, CalendarsKeepLocalTimesAcrossSummerTime)
{
    auto d = reportFixture();
    CalendarExportOptions o;
    o.resources = {findCode(*d, "T1")};
    o.firstWeek = 1;
    o.lastWeek = 3;
    RunEnvironment env;
    env.now = 1700000000;

    o.format = CalendarFormat::ICalendar;
    MemorySink ics;
    FileNames names;
    const auto result = exportCalendar(*d, o, ics, names, env);
    ASSERT_FALSE(result.refused) << result.message;
    const std::string text = ics.files.at("calendar.ics");
    EXPECT_NE(text.find("DTSTART;TZID=Europe/Berlin:20260105T080000"), std::string::npos);
    EXPECT_NE(text.find("DTSTART;TZID=Europe/Berlin:20260713T080000"), std::string::npos);
    EXPECT_NE(text.find("TZOFFSETTO:+0200"), std::string::npos);
    EXPECT_NE(text.find("TZOFFSETTO:+0100"), std::string::npos);
    EXPECT_EQ(text.find("METHOD:"), std::string::npos) << "no organizer, no method";

    o.format = CalendarFormat::VCalendar;
    MemorySink vcs;
    exportCalendar(*d, o, vcs, names, env);
    const std::string v = vcs.files.at("calendar.vcs");
    EXPECT_NE(v.find("DTSTART:20260105T070000Z"), std::string::npos) << v;
    EXPECT_NE(v.find("DTSTART:20260713T060000Z"), std::string::npos) << v;
}

TEST_F(BerlinTime, HostileTextsSurviveEveryFormat)
{
    auto d = reportFixture();
    CalendarExportOptions o;
    o.resources = {findCode(*d, "A/B"), findCode(*d, "!.")};
    o.firstWeek = 1;
    o.lastWeek = 3;
    o.labelFormat = 2;
    o.organizer = "office@school.example";
    const RunEnvironment env;
    FileNames names;

    o.format = CalendarFormat::ICalendar;
    MemorySink ics;
    exportCalendar(*d, o, ics, names, env);
    const std::string i = ics.files.at("calendar.ics");
    EXPECT_NE(i.find("SUMMARY:[Group A/B] <b>&\"x"), std::string::npos);
    EXPECT_NE(i.find("SUMMARY:[Group A/B] line\\nbreak"), std::string::npos);
    EXPECT_NE(i.find("SUMMARY:[Name of !.] a\\,b\\;c \"quoted\""), std::string::npos);
    EXPECT_NE(i.find("METHOD:PUBLISH"), std::string::npos);
    EXPECT_NE(i.find("ORGANIZER:mailto:office@school.example"), std::string::npos);

    o.format = CalendarFormat::Csv;
    MemorySink csv;
    exportCalendar(*d, o, csv, names, env);
    const std::string c = csv.files.at("calendar.csv");
    EXPECT_TRUE(
        c.starts_with("Subject,Start Date,Start Time,End Date,End Time,Description,Location\r\n"));
    EXPECT_NE(c.find("\"[Name of !.] a,b;c \"\"quoted\"\"\",07.01.2026,08:45,07.01.2026,10:25,"),
              std::string::npos)
        << c;

    o.organizer = "x@y\r\nATTENDEE:evil";
    MemorySink none;
    EXPECT_TRUE(exportCalendar(*d, o, none, names, env).refused);
    EXPECT_TRUE(none.files.empty());
}

TEST_F(BerlinTime, PerResourceFilesNeverLeaveTheFolderNorOverwriteEachOther)
{
    auto d = reportFixture();
    CalendarExportOptions o;
    o.format = CalendarFormat::ICalendar;
    o.layout = CalendarLayout::PerResource;
    for (const char *code : {"T1", "t1", "A/B", "../x", "!.", "$-"})
        o.resources.push_back(findCode(*d, code));
    o.firstWeek = 1;
    o.lastWeek = 3;
    MemorySink sink;
    FileNames names;
    const auto result = exportCalendar(*d, o, sink, names, RunEnvironment{});
    EXPECT_EQ(result.files, 6);
    ASSERT_EQ(sink.files.size(), 6u);
    for (const auto &[name, text] : sink.files) {
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_NE(name.front(), '.') << name;
    }
    EXPECT_TRUE(sink.files.contains("t1.ics"));
    EXPECT_TRUE(sink.files.contains("t1_2.ics"));
    EXPECT_TRUE(sink.files.contains("a_b.ics"));

    o.layout = CalendarLayout::PerResourceAndEvent;
    MemorySink each;
    const auto perEvent = exportCalendar(*d, o, each, names, RunEnvironment{});
    EXPECT_EQ(perEvent.files, perEvent.items);
    EXPECT_EQ(static_cast<int>(each.files.size()), perEvent.items);
}

TEST(CalendarExport, UndatedWeeksAreRefusedWithAMessage)
{
    auto d = reportFixture(false);
    CalendarExportOptions o;
    o.resources = {findCode(*d, "T1")};
    for (const CalendarFormat format :
         {CalendarFormat::ICalendar, CalendarFormat::VCalendar, CalendarFormat::Csv}) {
        o.format = format;
        MemorySink sink;
        FileNames names;
        const auto result = exportCalendar(*d, o, sink, names, RunEnvironment{});
        EXPECT_TRUE(result.refused);
        EXPECT_NE(result.message.find("no dates"), std::string::npos);
        EXPECT_TRUE(sink.files.empty());
    }
}

} // namespace
} // namespace quivra
