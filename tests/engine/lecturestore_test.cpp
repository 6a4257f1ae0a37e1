#include "engine/lecturestore.h"

#include "engine/calendar.h"
#include "engine/collections.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "lecturehelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST_F(LecturesTest, WeekAllocationPacksCountIntoEndAndUnpacksBack)
{
    const CodeId e = addCode(d, true, 1, "E");
    const int i = appendLecture(d, allocation(e, 2, 5, 3));
    ASSERT_EQ(i, 1);
    EXPECT_EQ(d.lectureStart[i], 512);
    EXPECT_EQ(d.lectureEnd[i], 1283);
    const LectureView v = unpackLecture(d, i);
    EXPECT_EQ(v.count, 3);
    EXPECT_EQ(v.endWeek, 5);
    EXPECT_EQ(unpackLecture(d, 2), LectureView{}); // beyond the count
}

TEST_F(LecturesTest, AppendRefusesViewsOutsideTheCoding)
{
    setSlotCoding(d, 8, 3, 5, 40, 5, 10);
    const CodeId e = addCode(d, true, 1, "E");
    const std::uint16_t w = eventWord(e);
    struct Case
    {
        const char *name;
        LectureView view;
    } cases[] = {
        {"week 0", block(w, 0, 1, 1, 1, 1, 1)},
        {"end week before start", block(w, 3, 2, 1, 1, 1, 1)},
        {"week above limit", block(w, 41, 41, 1, 1, 1, 1)},
        {"day above limit", block(w, 1, 1, 6, 6, 1, 1)},
        {"bell above limit", block(w, 1, 1, 1, 1, 11, 11)},
        {"bell 0 in a timetable entry", block(w, 1, 1, 1, 1, 0, 2)},
        {"end bell before start", block(w, 1, 1, 1, 1, 4, 3)},
        {"end day before start", block(w, 1, 1, 3, 2, 1, 1)},
        {"word 0", block(0, 1, 1, 1, 1, 1, 1)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(appendLecture(d, c.view), 0) << c.name;
        EXPECT_EQ(d.lectureCount, 0) << c.name;
    }
    EXPECT_EQ(appendLecture(d, block(w, 40, 40, 5, 5, 10, 10)), 1);

    // Packing an existing entry out of range voids it; the next compaction drops it.
    packLecture(d, 1, block(w, 2, 1, 1, 1, 1, 1));
    EXPECT_EQ(d.lectureWord[1], 0);
    compactLectures(d);
    EXPECT_EQ(d.lectureCount, 0);
}

TEST_F(LecturesTest, WeekAllocationReadsEveryTimetableEntryOfABusyEvent)
{
    const CodeId r = addCode(d, false, 1, "G");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    for (int w = 1; w <= 20; ++w) {
        appendLecture(d, allocation(e, w, w, 30));
        for (int day = 1; day <= 5; ++day) {
            for (int bell = 1; bell <= 6; ++bell)
                ASSERT_NE(appendLecture(d, block(eventWord(e), w, w, day, day, bell, bell)), 0);
        }
    }
    recount(d);
    WeekAllocation wa;
    EXPECT_EQ(loadWeekAllocation(d, e, wa), 620);
    EXPECT_EQ(wa.tableEntries, 600);
    EXPECT_EQ(wa.timetable.size(), 600u);
    EXPECT_EQ(wa.timetable.back(), block(eventWord(e), 20, 20, 5, 5, 6, 6));
    EXPECT_EQ(wa.scheduled[20], 30);
    totals(d, e, e);
    EXPECT_EQ(d.counters.largestTimetable, 600);
    EXPECT_EQ(d.codes[e].scheduled, 600);
    EXPECT_EQ(d.codes[e].allocated, 600);
}

TEST_F(LecturesTest, BookingOfAWideCodeKeepsItsCodeAndKind)
{
    while (d.codeCount < 4600)
        addCode(d, false, 1, "R" + std::to_string(d.codeCount + 1));
    setLectureCodeMask(d);
    ASSERT_EQ(d.lectureCodeMask, WideCodeMask);
    const std::uint16_t word = LectureBookingBit | 4500;
    ASSERT_NE(appendLecture(d, block(word, 3, 3, 2, 2, 4, 5), 2), 0);
    ASSERT_NE(appendLecture(d, block(word, 3, 3, 2, 2, 6, 6), 2), 0);

    recount(d);
    compactLectures(d);
    mergeLectures(d);
    recount(d);

    ASSERT_EQ(d.lectureCount, 2);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(lectureCode(d, d.lectureWord[i]), 4500);
        EXPECT_EQ(d.lectureWord[i], word);
        EXPECT_EQ(d.bookingKind[i], 2);
    }
    EXPECT_EQ(d.codes[4500].firstLecture, 1);
    EXPECT_EQ(d.facts.bookedCells[2], 3);
}

TEST_F(LecturesTest, MergeJoinsNeighboursOfTheSameWord)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    const std::uint16_t w = eventWord(e);
    const std::uint16_t book = LectureBookingBit | r;
    struct Case
    {
        const char *name;
        std::vector<LectureView> in;
        std::vector<int> kinds;
        std::vector<LectureView> out;
    } cases[] = {
        {"weeks",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 2, 3, 2, 2, 3, 4)},
         {0, 0},
         {block(w, 1, 3, 2, 2, 3, 4)}},
        {"bells",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 1, 1, 2, 2, 5, 5)},
         {0, 0},
         {block(w, 1, 1, 2, 2, 3, 5)}},
        {"days",
         {block(w, 1, 1, 2, 2, 3, 4), block(w, 1, 1, 3, 3, 3, 4)},
         {0, 0},
         {block(w, 1, 1, 2, 3, 3, 4)}},
        {"identical allocations add",
         {allocation(e, 2, 4, 3), allocation(e, 2, 4, 3)},
         {0, 0},
         {allocation(e, 2, 4, 6)}},
        {"allocations at the week's limit stay apart",
         {allocation(e, 2, 4, 150), allocation(e, 2, 4, 60)},
         {0, 0},
         {allocation(e, 2, 4, 60), allocation(e, 2, 4, 150)}},
        {"identical bookings",
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)},
         {2, 2},
         {block(book, 1, 1, 1, 1, 1, 1)}},
        {"bookings of other kinds stay apart",
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)},
         {1, 2},
         {block(book, 1, 1, 1, 1, 1, 1), block(book, 1, 1, 1, 1, 1, 1)}},
        {"a gap stays",
         {block(w, 1, 1, 2, 2, 1, 1), block(w, 1, 1, 2, 2, 3, 3)},
         {0, 0},
         {block(w, 1, 1, 2, 2, 1, 1), block(w, 1, 1, 2, 2, 3, 3)}},
        {"an allocation and a placement of the same week stay apart",
         {allocation(e, 2, 2, 1), block(w, 2, 2, 1, 1, 1, 1)},
         {0, 0},
         {allocation(e, 2, 2, 1), block(w, 2, 2, 1, 1, 1, 1)}},
    };
    for (const Case &c : cases) {
        d.lectureCount = 0;
        for (std::size_t i = 0; i < c.in.size(); ++i)
            appendLecture(d, c.in[i], c.kinds[i]);
        mergeLectures(d);
        std::vector<LectureView> out;
        for (int i = 1; i <= d.lectureCount; ++i)
            out.push_back(unpackLecture(d, i));
        EXPECT_EQ(out, c.out) << c.name;
    }
}

} // namespace
} // namespace quivra
