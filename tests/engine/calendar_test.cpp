#include "engine/calendar.h"

#include "engine/textutil.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

class CalendarTest : public ::testing::Test
{
protected:
    void SetUp() override { d = makeScheduleData(); }

    CodeId addCode(const char *code, bool event)
    {
        const int c = ++d->codeCount;
        d->codes[c].code.assign(code);
        d->codes[c].flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) | 0x80);
        return static_cast<CodeId>(c);
    }

    void addLecture(CodeId c, SlotCode start, SlotCode end)
    {
        const int i = ++d->lectureCount;
        d->lectureWord[i] = static_cast<std::uint16_t>(c | LectureEventBit);
        d->lectureStart[i] = start;
        d->lectureEnd[i] = end;
    }

    // n periods in each of weeks w1..w2.
    void allocate(CodeId c, int w1, int w2, int n)
    {
        addLecture(c, d->coding.pack(w1, 0, 0),
                   static_cast<SlotCode>(d->coding.pack(w2, 0, 0) | n));
    }

    void place(CodeId c, int week, int day, int b1, int b2)
    {
        addLecture(c, d->coding.pack(week, day, b1), d->coding.pack(week, day, b2));
    }

    std::unique_ptr<ScheduleData> d;
};

TEST_F(CalendarTest, SlotCodingFallsBackAndClamps)
{
    struct Case
    {
        const char *name;
        int bits[3];
        int limits[3];
        int expectBits[3];
        int expectLimits[3];
        int weekShift;
        int weekMask;
    };
    const Case cases[] = {
        {"17 bits in total", {8, 4, 5}, {255, 7, 30}, {8, 3, 5}, {255, 7, 30}, 8, 255},
        {"a zero bit count", {8, 0, 5}, {255, 7, 30}, {8, 3, 5}, {255, 7, 30}, 8, 255},
        {"a zero maximum", {8, 3, 5}, {0, 7, 30}, {8, 3, 5}, {255, 7, 30}, 8, 255},
        {"narrow weeks", {6, 3, 5}, {63, 7, 30}, {6, 3, 5}, {63, 7, 30}, 8, 63},
        {"limits beyond the fields", {6, 3, 5}, {200, 7, 30}, {6, 3, 5}, {63, 7, 30}, 8, 63},
        {"bells beyond the tables", {8, 2, 6}, {255, 3, 63}, {8, 2, 6}, {255, 3, 30}, 8, 255},
        {"days beyond the tables", {7, 4, 5}, {127, 15, 30}, {7, 4, 5}, {127, 7, 30}, 9, 127},
    };
    for (const Case &c : cases) {
        setSlotCoding(*d, c.bits[0], c.bits[1], c.bits[2], c.limits[0], c.limits[1], c.limits[2]);
        const SlotCoding &k = d->coding;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(k.weekBits, c.expectBits[0]);
        EXPECT_EQ(k.dayBits, c.expectBits[1]);
        EXPECT_EQ(k.bellBits, c.expectBits[2]);
        EXPECT_EQ(k.weekLimit, c.expectLimits[0]);
        EXPECT_EQ(k.dayLimit, c.expectLimits[1]);
        EXPECT_EQ(k.bellLimit, c.expectLimits[2]);
        EXPECT_EQ(k.weekShift, c.weekShift);
        EXPECT_EQ(k.weekMask, c.weekMask);
        EXPECT_EQ(k.slotsPerWeek, k.dayLimit * k.bellLimit);
        EXPECT_EQ(k.slotsTotal, k.slotsPerWeek * k.weekLimit);
        EXPECT_EQ(k.dayBellMask, (1 << k.weekShift) - 1);
        // The last slot of the coding unpacks to itself inside the fixed tables.
        const SlotCode last = k.pack(k.weekLimit, k.dayLimit, k.bellLimit);
        EXPECT_EQ(k.weekOf(last), k.weekLimit);
        EXPECT_EQ(k.dayOf(last), k.dayLimit);
        EXPECT_EQ(k.bellOf(last), k.bellLimit);
        // The calendar in use never exceeds the limits.
        EXPECT_LE(usedWeeks(*d), k.weekLimit);
        EXPECT_LE(usedDays(*d), k.dayLimit);
        EXPECT_LE(usedBells(*d), k.bellLimit);
    }
    setSlotCoding(*d, 8, 3, 5, 255, 7, 30);
    EXPECT_EQ(d->coding.pack(2, 3, 4), 612);
}

TEST_F(CalendarTest, LectureCodeMaskFollowsCodeCount)
{
    d->codeCount = 4095;
    setLectureCodeMask(*d);
    EXPECT_EQ(d->lectureCodeMask, 4095);
    d->codeCount = 4096;
    setLectureCodeMask(*d);
    EXPECT_EQ(d->lectureCodeMask, 8191);
}

TEST_F(CalendarTest, ResetGivesDefaultCalendar)
{
    EXPECT_EQ(d->weeks[1].name.view(), "[1]");
    EXPECT_EQ(d->weeks[255].name.view(), "[255]");
    EXPECT_EQ(listItem(d->dayNames, 7), "Sunday");
    EXPECT_EQ(usedWeeks(*d), 255);
    EXPECT_EQ(usedDays(*d), 7);
    EXPECT_EQ(usedBells(*d), 30);
    const TimeRange &x = d->scheduleExtent;
    EXPECT_EQ(x.b, 30);
    EXPECT_EQ(x.startWeek, 255);
    EXPECT_EQ(x.endWeek, 0);
}

TEST_F(CalendarTest, WeekDatesAddWeekLengths)
{
    const std::int32_t start = dateSerial(2024, 1, 8);
    d->firstWeekDate = start;
    d->weeks[1].length = 1;
    d->weeks[2].length = 2;
    EXPECT_EQ(weekDate(*d, 1), start);
    EXPECT_EQ(weekDate(*d, 3), start + 21);

    d->weeks[2].length = 0; // counts as one week, not none
    EXPECT_EQ(weekLength(*d, 2), 1);
    EXPECT_EQ(weekDate(*d, 3), start + 14);

    // Weeks beyond the limit count one each.
    setSlotCoding(*d, 6, 3, 5, 4, 7, 30);
    d->weeks[5].length = 9;
    EXPECT_EQ(weekLength(*d, 5), 1);
    EXPECT_EQ(weekDate(*d, 7), start + 7 * 6);
}

TEST_F(CalendarTest, FormatWeekModes)
{
    d->weeks[3].name.assign("Aut");
    d->weeks[3].length = 12;
    d->weeks[4].name.assign(" ");
    d->weeks[5].name.assign("X  ");
    struct Case
    {
        int week;
        int mode;
        const char *text;
    };
    const Case cases[] = {
        {3, 1, "3"},        {3, 2, "Aut"},   {3, 3, "Aut"}, {4, 3, "4: "},
        {3, 7, "Aut: 12w"}, {5, 6, "X: 1w"}, {0, 3, ""},    {256, 1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatWeek(*d, c.week, c.mode), c.text) << c.week << " mode " << c.mode;
}

TEST_F(CalendarTest, FormatDayAndBells)
{
    d->calendarRange.endDay = 5;
    d->calendarRange.endBell = 4;
    d->bellNames[1].assign("9:00-9:45");
    d->bellNames[2].assign("10:00-10:45");
    d->bellNames[3].assign("11:00");
    d->bellNames[4].assign("12:00-");
    struct Case
    {
        int day, bell, n;
        const char *text;
    };
    const Case cases[] = {
        {2, 0, 0, "Tuesday"},
        {2, 1, 0, "Tuesday, 9:00-9:45"},
        {2, 1, 1, "Tue 9:00-9:45"},
        {0, 1, 2, "9:00...10:45"},
        {0, 2, 2, "10:00...11:00"}, // a name without "-" is its own end
        {0, 3, 2, "11:00"},         // an empty end leaves no dots behind
        {1, 3, 3, "Mon"},           // the block would run past the last bell
        {6, 0, 0, ""},              // beyond the days in use
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatDayBell(*d, c.day, c.bell, c.n), c.text)
            << c.day << "/" << c.bell << "/" << c.n;

    EXPECT_EQ(formatBellRange(*d, 3, 1, 2, 2), "We [9:00-9:45]...[10:00-10:45]");
    EXPECT_EQ(formatBellRange(*d, 3, 4, 2, 3), "Wed [12:00-]");
}

TEST_F(CalendarTest, EventDateRangeNarrowsToLectureDays)
{
    d->calendarRange.endWeek = 10;
    d->calendarRange.endDay = 5;
    const CodeId e = addCode("E", true);
    allocate(e, 2, 4, 2);
    place(e, 2, 4, 1, 2);
    place(e, 2, 3, 5, 5);
    place(e, 4, 5, 1, 1);
    place(e, 4, 1, 2, 2);
    place(e, 3, 1, 1, 1); // neither in the first nor in the last week

    const DateRange undated = codeDateRange(*d, e);
    ASSERT_TRUE(undated.valid);
    EXPECT_EQ(undated.first, 2 * 8 + 3);
    EXPECT_EQ(undated.last, 4 * 8 + 5);
    EXPECT_EQ(formatDateRange(*d, undated), "[2]/Wed - [4]/Fri");
    d->calendarRange.endWeek = 1; // with a single week only the days are shown
    EXPECT_EQ(formatDateRange(*d, undated), "Wed - Fri");
    d->calendarRange.endWeek = 10;

    d->calendarMode = 2;
    d->firstWeekDate = dateSerial(2024, 1, 8);
    const DateRange dated = codeDateRange(*d, e);
    EXPECT_EQ(dated.first, weekDate(*d, 2) + 2);
    EXPECT_EQ(dated.last, weekDate(*d, 4) + 4);
    EXPECT_EQ(formatDateRange(*d, dated), "17.01.2024 - 02.02.2024");

    const DateRange week3 = codeDateRange(*d, e, 3);
    EXPECT_EQ(week3.first, weekDate(*d, 3));
    EXPECT_EQ(week3.last, weekDate(*d, 3));
    EXPECT_FALSE(codeDateRange(*d, e, 5).valid);

    // Without timetable lectures the allocated weeks are given whole.
    const CodeId f = addCode("F", true);
    allocate(f, 5, 6, 1);
    const DateRange whole = codeDateRange(*d, f);
    EXPECT_EQ(whole.first, weekDate(*d, 5));
    EXPECT_EQ(whole.last, weekDate(*d, 6) + 4);
}

TEST_F(CalendarTest, DateRangeSkipsInvalidEntriesAndUnallocatedCodes)
{
    const CodeId e = addCode("E", true);
    EXPECT_FALSE(codeDateRange(*d, e).valid);
    EXPECT_FALSE(codeDateRange(*d, 0).valid);
    EXPECT_FALSE(codeDateRange(*d, 99).valid);

    allocate(e, 3, 3, 0); // a count of 0 allocates nothing
    EXPECT_FALSE(codeDateRange(*d, e).valid);

    setSlotCoding(*d, 8, 3, 5, 10, 7, 30);
    allocate(e, 2, 40, 1); // beyond the week limit: not a valid entry
    EXPECT_FALSE(codeDateRange(*d, e).valid);
}

TEST_F(CalendarTest, ResourceRangeIsUnionOfItsEvents)
{
    d->calendarRange.endWeek = 10;
    d->calendarRange.endDay = 5;
    const CodeId r = addCode("R", false);
    const CodeId a = addCode("A", true);
    const CodeId b = addCode("B", true);
    const CodeId other = addCode("C", true);
    const std::uint16_t list[] = {static_cast<std::uint16_t>(a | CollectionMarkerBit), r,
                                  static_cast<std::uint16_t>(b | CollectionMarkerBit), r,
                                  static_cast<std::uint16_t>(other | CollectionMarkerBit)};
    for (std::uint16_t entry : list)
        d->collection[++d->collectionEntryCount] = entry;
    d->codes[a].collectionPos = 1;
    d->codes[b].collectionPos = 3;
    d->codes[other].collectionPos = 5;

    allocate(a, 3, 4, 1);
    allocate(b, 2, 2, 1);
    allocate(other, 1, 9, 1);
    const DateRange range = codeDateRange(*d, r);
    ASSERT_TRUE(range.valid);
    EXPECT_EQ(range.first, 2 * 8 + 1);
    EXPECT_EQ(range.last, 4 * 8 + 5);
}

TEST(CalendarFormatTest, ShortDates)
{
    EXPECT_EQ(formatShortDate(dateSerial(2024, 1, 8)), "08.01.2024");
    EXPECT_EQ(formatShortDate(dateSerial(987, 11, 30)), "30.11.0987");
    EXPECT_EQ(formatShortDate(-800000), "");
}

} // namespace
} // namespace quivra
