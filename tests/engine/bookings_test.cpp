#include "engine/bookings.h"

#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/weekstore.h"
#include "support/fixture.h"
#include "weekhelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST(BookingTest, WriteWeekBookingsWritesRunsAndKeepsPeriods)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
    f.finish();
    const CodeId r = f.id("R1");
    WeekTimetable t;
    t.owner = r;
    const CellWord booked = makeCell(static_cast<std::uint16_t>(r | LectureBookingBit), 3);
    t.cellRef(2, 3) = booked;
    t.cellRef(2, 4) = booked;
    EXPECT_EQ(writeWeekBookings(*d, BookingWrite::Replace, r, 1, t), 2);
    WeekAllocation wa;
    reloadWeekAllocation(*d, r, wa);
    ASSERT_EQ(wa.timetable.size(), 1u);
    LectureView expected = block(1, 1, 2, 3, 4);
    expected.word = static_cast<std::uint16_t>(r | LectureBookingBit);
    EXPECT_EQ(wa.timetable[0], expected);
    EXPECT_EQ(wa.timetableKinds[0], 3);
    EXPECT_EQ(cellsIn(*d, f.id("E1"), 1), 1);
}

TEST(BookingTest, BookingUnderAPeriodSurvivesEditsOfOtherCells)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1).book("R1", 1, 1, 1, 1);
    f.finish();
    const CodeId r = f.id("R1");
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = range.endDay = 3;
    range.startBell = 3;
    range.endBell = 4;
    setSlotBookings(*d, r, SlotBookingMode::Book, 2, false, range);
    EXPECT_EQ(cellsIn(*d, r, 1, true), 3);
    WeekTimetable t;
    bookingTimetableOf(*d, r, 1, t);
    EXPECT_EQ(cellKind(t.cell(1, 1)), 1);
    EXPECT_EQ(cellKind(t.cell(3, 4)), 2);

    setSlotBookings(*d, r, SlotBookingMode::Cancel, 2, false, range);
    bookingTimetableOf(*d, r, 1, t);
    EXPECT_EQ(cellKind(t.cell(1, 1)), 1);
    EXPECT_EQ(t.cell(3, 4), 0u);
}

TEST(BookingTest, ResourceAbove4095KeepsItsCodeAndKind)
{
    auto d = makeScheduleData();
    d->codeCount = 4600;
    d->lectureCodeMask = WideCodeMask;
    for (int c = 1; c <= d->codeCount; ++c)
        d->codes[c].flags = 1u << CategoryShift;
    d->calendarRange.endWeek = 2;
    d->calendarRange.endDay = 5;
    d->calendarRange.endBell = 8;
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = range.endDay = 2;
    range.startBell = range.endBell = 3;
    setSlotBookings(*d, 4500, SlotBookingMode::Book, 2, false, range);
    range.startBell = range.endBell = 5;
    setSlotBookings(*d, 4500, SlotBookingMode::Book, 3, false, range);
    WeekTimetable t;
    weekTimetableOf(*d, 4500, 1, t);
    EXPECT_EQ(cellCode(*d, t.cell(2, 3)), 4500);
    EXPECT_EQ(cellKind(t.cell(2, 3)), 2);
    EXPECT_EQ(cellKind(t.cell(2, 5)), 3);
    EXPECT_EQ(changeBookingKinds(*d, BookingOwner::Resources, 1), 2);
    weekTimetableOf(*d, 4500, 1, t);
    EXPECT_EQ(cellKind(t.cell(2, 5)), 1);
}

TEST(BookingTest, CopyBookingsFillOnlyFreeCells)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.book("R1", 1, 1, 1, 2, 2).allocate("E1", 2, 2, 1).place("E1", 2, 1, 2, 2);
    f.finish();
    EXPECT_EQ(copyBookingsToWeeks(*d, f.id("R1"), 1, 1, 3, false), 3);
    EXPECT_EQ(cellsIn(*d, f.id("R1"), 2, true), 1) << "E1 sits in bell 2 of week 2";
    EXPECT_EQ(cellsIn(*d, f.id("R1"), 3, true), 2);
}

// R1 is booked in week 1 on day 1, bells 1 and 2, with E1's period over bell 1, and in week 2
// on day 3, bell 3. Week 3 shows only E1's period, week 4 nothing.
struct CopyBookingsCase
{
    const char *name;
    int sourceWeek;
    bool replace;
    int copied;
    int week2Bookings;
};

class CopyBookingsTest : public testing::TestWithParam<CopyBookingsCase>
{
};

TEST_P(CopyBookingsTest, CopiesWhatTheSourceWeekShows)
{
    const CopyBookingsCase &p = GetParam();
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 8).resources('R', {"R1"}).event("E1", {"R1"}, 4);
    f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1).allocate("E1", 3, 3, 1);
    f.place("E1", 3, 1, 1, 1).book("R1", 1, 1, 1, 2, 2).book("R1", 2, 3, 3, 1);
    f.finish();
    const CodeId r = f.id("R1");
    EXPECT_EQ(copyBookingsToWeeks(*d, r, p.sourceWeek, 2, 2, p.replace), p.copied);
    EXPECT_EQ(cellsIn(*d, r, 2, true), p.week2Bookings);
    EXPECT_EQ(cellsIn(*d, r, 1, true), 2) << "the source week keeps its bookings";
}

INSTANTIATE_TEST_SUITE_P(Sources, CopyBookingsTest,
                         testing::Values(CopyBookingsCase{"hiddenBookingStays", 1, false, 1, 2},
                                         CopyBookingsCase{"replaceKeepsOnlyTheCopy", 1, true, 1, 1},
                                         CopyBookingsCase{"replaceFromPeriodsOnly", 3, true, 0, 0},
                                         CopyBookingsCase{"emptyWeekChangesNothing", 4, true, 0,
                                                          1}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
} // namespace quivra
