#include "reports/campus.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quivra {
namespace {

// Categories G 1, T 2 (lecturers and invigilators), R 3 (rooms), S 4, P 5 (students).
std::unique_ptr<ScheduleData> campus()
{
    auto d = makeScheduleData();
    d->resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$S:Subjects$P:Students$");
    return d;
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::bitset<WeekTableSize> allWeeks()
{
    std::bitset<WeekTableSize> weeks;
    weeks.set();
    return weeks;
}

// Weeks 1..3 on days 2 and 3, bells 1..2: six lines numbered in turn; without dated weeks the
// date field holds the week, like the last field.
TEST(Campus, NewCourseWritesOneLinePerMeetingDay)
{
    auto d = campus();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("E1", {"T1", "R1"}, 2).allocate("E1", 1, 3, 4);
    for (int w = 1; w <= 3; ++w)
        f.place("E1", w, 2, 1, 2).place("E1", w, 3, 1, 2);
    f.event("NoRoom", {"T1"}).allocate("NoRoom", 1, 1, 1).place("NoRoom", 1, 4, 1, 1);
    f.finish();
    d->bellNames[1].assign("8-9");
    d->bellNames[2].assign("9-10");
    const CampusExport out = campusExport(*d, CampusExportKind::NewCourse, {}, allWeeks(), "ddddd");
    const auto lines = linesOf(out.text);
    ASSERT_EQ(out.lines, 6);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "1=E1;1;8-9;9-10;R1;T1;2;1");
    EXPECT_EQ(lines[5], "6=E1;3;8-9;9-10;R1;T1;3;3");
    std::bitset<WeekTableSize> second;
    second.set(2);
    EXPECT_EQ(campusExport(*d, CampusExportKind::NewCourse, {}, second, "ddddd").lines, 2);
}

// Exams: one line per student in collection order, dates in the given format, only events of
// the exams category, and a ";" in a code cannot shift the fields.
TEST(Campus, ExamsWriteAStudentPerLineAndKeepTheirFields)
{
    auto d = campus();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 8).resources('T', {"INV"}).resources('R', {"HALL"});
    f.resources('P', {"P2", "P1", "P;3"});
    f.event("EXAM", {"HALL", "INV", "P2", "P1", "P;3"}, 1, 2).allocate("EXAM", 1, 1, 1);
    f.place("EXAM", 1, 2, 1, 1);
    f.event("CLASS", {"HALL", "INV", "P1"}, 1, 1).allocate("CLASS", 1, 1, 1);
    f.place("CLASS", 1, 3, 1, 1);
    f.finish();
    d->calendarMode |= 2;
    d->firstWeekDate = dateSerial(2024, 1, 8);
    CampusRoles roles;
    roles.exams = 2;
    const CampusExport two = campusExport(*d, CampusExportKind::Exams, roles, allWeeks(), "ddddd");
    EXPECT_EQ(linesOf(two.text), (std::vector<std::string>{"1=EXAM;09.01.2024;1;1;P2;2;1",
                                                           "2=EXAM;09.01.2024;1;1;P1;2;1",
                                                           "3=EXAM;09.01.2024;1;1;P_3;2;1"}));
    EXPECT_EQ(two.fieldsCleaned, 1);
    const CampusExport three =
        campusExport(*d, CampusExportKind::Exams2, roles, allWeeks(), "ddddd");
    ASSERT_EQ(three.lines, 3);
    for (const std::string &line : linesOf(three.text))
        EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 8) << line;
    EXPECT_EQ(linesOf(three.text)[0], "1=EXAM;09.01.2024;1;1;HALL;INV;P2;2;1");
    // Every event is an exam when the exams category is 0; CLASS then writes too.
    roles.exams = 0;
    EXPECT_EQ(campusExport(*d, CampusExportKind::Exams, roles, allWeeks(), "ddddd").lines, 4);
}

TEST(Campus, TheTagFollowsTheFirstAt)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Laboratory @Research_Campus", "Research_Campus"},
        {"Auditorium 2 (@MainBuilding)", "MainBuilding"},
        {"Lab @North-Wing", "North"},
        {"Room 1", ""},
        {"Room @ 2", ""},
        {"a@b@c", "b"},
    };
    for (const auto &[name, campus] : cases)
        EXPECT_EQ(campusOf(name), campus) << name;
}

// T1 meets rooms at campuses A, A and B on one day: one collision naming the first room at A and
// the room at B. An event with two rooms and the rooms themselves take no part.
TEST(Campus, ACollisionNamesTheFirstRoomsOfTwoCampuses)
{
    auto d = campus();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 8).resources('T', {"T1", "T2"}).resources('R', {"RA1", "RA2", "RB", "RX"});
    f.event("E1", {"T1", "RA1"}).event("E2", {"T1", "RA2"}).event("E3", {"T1", "RB"});
    f.event("E4", {"T2", "RA1", "RB"}).event("E5", {"T2", "RX"});
    for (const char *e : {"E1", "E2", "E3", "E4", "E5"})
        f.allocate(e, 1, 1, 1);
    f.place("E1", 1, 1, 1, 1).place("E2", 1, 1, 2, 2).place("E3", 1, 1, 3, 3);
    f.place("E4", 1, 2, 1, 1).place("E5", 1, 2, 2, 2);
    f.finish();
    d->codes[f.id("RA1")].name.assign("Lab @A");
    d->codes[f.id("RA2")].name.assign("Hall (@A)");
    d->codes[f.id("RB")].name.assign("Lab @B");
    d->codes[f.id("RX")].name.assign("Annex");

    const CampusSummary summary = campusSummary(*d, 3);
    EXPECT_EQ(summary.rooms, 4);
    EXPECT_EQ(summary.roomsWithCampus, 3);
    ASSERT_EQ(summary.campuses.size(), 2u);
    EXPECT_EQ(summary.campuses[0].name, "A");
    EXPECT_EQ(summary.campuses[0].scheduled, 3);

    const std::vector<CodeId> all = {f.id("T1"), f.id("T2"), f.id("RA1")};
    const CampusCheck check = campusCollisions(*d, all, 3, 1, 1);
    ASSERT_EQ(check.collisions.size(), 1u);
    EXPECT_FALSE(check.truncated);
    const std::string line = campusCollisionLine(*d, 1, check.collisions[0], "ddddd");
    EXPECT_TRUE(line.starts_with("   1: ")) << line;
    EXPECT_TRUE(line.ends_with("T1: E1 (RA1) <> E3 (RB)")) << line;
}

} // namespace
} // namespace quivra
