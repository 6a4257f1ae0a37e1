// The timetable quality list: which resource-weeks are listed, their measures and their order.

#include "checks/quality.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quivra {
namespace {

struct Row
{
    std::string code;
    int week, gaps, spread, idle;
    friend bool operator==(const Row &, const Row &) = default;
};

std::vector<Row> rowsOf(const ScheduleData &d, const QualityList &list)
{
    std::vector<Row> rows;
    for (const QualityListRow &r : list.rows)
        rows.push_back({d.codes[r.resource].code.str(), r.week, r.gaps, r.spread, r.idle});
    return rows;
}

void PrintTo(const Row &r, std::ostream *os)
{
    *os << r.code << " w" << r.week << " G" << r.gaps << " D" << r.spread << " S" << r.idle;
}

TEST(TimetableQuality, MeasuresRanksAndLeavesOutRoomsAndContiguousDays)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 8).resources('T', {"T1", "T2", "T3", "T4"}).resources('R', {"R1"});
    // T1: Monday bells 1-2 and 5, Tuesday 3-6: G 2, D 5 - 4, S (6 - 1 + 1) - 5; score 62.
    f.event("A", {"T1", "R1"}, 3).event("B", {"T1"}, 4);
    f.allocate("A", 1, 1, 3).allocate("B", 1, 1, 4);
    f.place("A", 1, 1, 1, 2).place("A", 1, 1, 5, 5).place("B", 1, 2, 3, 6);
    // T2: one gap in weeks 1 and 2 (score 30 + 0 + 0), T4 the same in week 1: equal scores.
    f.event("C", {"T2"}, 2).event("D", {"T4"}, 2);
    f.allocate("C", 1, 2, 2).allocate("D", 1, 1, 2);
    f.place("C", 1, 3, 1, 1).place("C", 1, 3, 3, 3).place("C", 2, 3, 1, 1).place("C", 2, 3, 3, 3);
    f.place("D", 1, 4, 2, 2).place("D", 1, 4, 4, 4);
    // T3: uneven days without gaps never appear.
    f.event("E", {"T3"}, 7).allocate("E", 1, 1, 7).place("E", 1, 1, 1, 6).place("E", 1, 2, 4, 4);
    f.finish();

    const QualityList list = timetableQuality(*d, 1, false);
    const std::vector<Row> expected = {
        {"T1", 1, 2, 1, 1}, {"T4", 1, 1, 0, 0}, {"T2", 2, 1, 0, 0}, {"T2", 1, 1, 0, 0}};
    EXPECT_EQ(rowsOf(*d, list), expected);
    EXPECT_EQ(list.rows[0].score(), 62);
    EXPECT_EQ(qualityLine(*d, list.rows[0]), "T1                  - [1] -  [G=2 D=1 S=1]");
    EXPECT_EQ(qualityTitle(list), "4x2=8 timetables in 2 week(s) sorted by gaps.\r\n"
                                  "G=number of gaps (average 1.25),\r\n"
                                  "D=day length range (average 0.25),\r\n"
                                  "S=first and last slot range (average 0.25)");
    // From week 2 on only T2's second week is left.
    EXPECT_EQ(rowsOf(*d, timetableQuality(*d, 2, false)), (std::vector<Row>{{"T2", 2, 1, 0, 0}}));
}

TEST(TimetableQuality, OneWeekLinesCarryNoWeekAndAnEmptyListSaysSo)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 8).resources('T', {"T1"});
    f.event("A", {"T1"}, 2).allocate("A", 1, 1, 2).place("A", 1, 1, 1, 1).place("A", 1, 1, 3, 3);
    f.finish();
    const QualityList list = timetableQuality(*d, 1, false);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(qualityLine(*d, list.rows[0]), "T1                  [G=1 D=0 S=0]");

    auto empty = makeScheduleData();
    EXPECT_EQ(qualityTitle(timetableQuality(*empty, 1, false)),
              "\r\n\r\nNo scheduled timetables found.");
}

TEST(TimetableQuality, KeepsTheWorstTimetablesOfLateWeeksWhenTheListIsFull)
{
    // 100 teachers with one gap in each of 101 weeks: more rows than the list keeps. The worst
    // timetable lies in the last week and must be listed first.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    constexpr int Weeks = 101, Teachers = 100;
    f.calendar(Weeks, 5, 8);
    std::vector<std::string> names;
    for (int t = 0; t < Teachers; ++t)
        names.push_back("T" + std::to_string(t));
    for (const std::string &n : names)
        f.resources('T', {n});
    for (const std::string &n : names) {
        const std::string e = "E" + n;
        f.event(e, {n}, 2).allocate(e, 1, Weeks, 2);
        for (int w = 1; w <= Weeks; ++w)
            f.place(e, w, 1, 1, 1).place(e, w, 1, 3, 3);
    }
    f.event("WORST", {"T0"}, 2).allocate("WORST", Weeks, Weeks, 2);
    f.place("WORST", Weeks, 2, 1, 1).place("WORST", Weeks, 2, 8, 8);
    f.finish();

    const QualityList list = timetableQuality(*d, 1, false);
    ASSERT_EQ(list.rows.size(), static_cast<std::size_t>(MaxQualityListRows));
    EXPECT_EQ(list.rows[0].resource, f.id("T0"));
    EXPECT_EQ(list.rows[0].week, Weeks);
    EXPECT_EQ(list.rows[0].gaps, 7);
    // Equal scores: later codes first, then later weeks.
    EXPECT_EQ(list.rows[1].resource, f.id("T99"));
    EXPECT_EQ(list.rows[1].week, Weeks);
    EXPECT_EQ(list.rows[2].week, Weeks - 1);
}

} // namespace
} // namespace quivra
