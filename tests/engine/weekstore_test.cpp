#include "engine/weekstore.h"

#include "engine/lecturestore.h"
#include "engine/placement.h"
#include "support/fixture.h"
#include "support/generator.h"
#include "weekhelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST(StoreTest, AllocationsAndBookingsAreStoredAsRunsOfEqualWeeks)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 20);
    f.finish();
    const CodeId e = f.id("E1");
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    for (int w = 1; w <= 4; ++w)
        wa.allocated[w] = 2;
    wa.allocated[5] = 3;
    wa.booked[7] = 2;
    EXPECT_EQ(storeWeekAllocation(*d, e, wa), 3);
    EXPECT_EQ(weekEntriesOf(*d, e),
              (std::vector<WeekEntryRow>{{1, 4, 2, false}, {5, 5, 3, false}, {7, 7, 2, true}}));
    EXPECT_EQ(d->codes[e].allocated, 11);
}

TEST(StoreTest, FullStoreRefusesAndKeepsTheOldEntries)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(8, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 4).event("E2", {"T1"}, 4);
    f.allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2");
    LectureView filler = block(1, 1, 1, 1, 1);
    filler.word = static_cast<std::uint16_t>(e2 | LectureEventBit);
    while (appendLecture(*d, filler, 0) != 0) {
    }
    WeekAllocation wa;
    reloadWeekAllocation(*d, e1, wa);
    for (int w = 1; w <= 8; w += 2)
        wa.allocated[w] = 1; // four runs where there was one entry
    EXPECT_EQ(storeWeekAllocation(*d, e1, wa), 0);
    EXPECT_EQ(cellsIn(*d, e1, 1), 2);
    EXPECT_EQ(weekEntriesOf(*d, e1), (std::vector<WeekEntryRow>{{1, 1, 2, false}}));
}

TEST(StoreTest, SixHundredLecturesSurvivePlaceAndStore)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(60, 5, 8).resources('T', {"T1"}).event("E1", {"T1"}, 800);
    f.allocate("E1", 1, 60, 20);
    for (int w = 1; w <= 60; w += 2)
        for (int day = 1; day <= 5; ++day)
            for (int bell = 1; bell <= 8; bell += 2)
                f.place("E1", w, day, bell, bell);
    f.finish();
    const CodeId e = f.id("E1");
    EXPECT_EQ(d->codes[e].scheduled, 600);
    EXPECT_GT(placeBlock(*d, ownWord(*d, e), block(2, 2, 1, 1, 1)), 600);
    // The store counts towards the largest-timetable statistic; reading leaves it alone.
    EXPECT_EQ(d->counters.largestTimetable, 601);
    d->counters.largestTimetable = 0;
    WeekAllocation wa;
    reloadWeekAllocation(*d, e, wa);
    EXPECT_EQ(wa.timetable.size(), 601u);
    EXPECT_EQ(d->codes[e].scheduled, 601);
    EXPECT_EQ(d->counters.largestTimetable, 0);
}

bool sameStore(const ScheduleData &a, const ScheduleData &b)
{
    if (a.lectureCount != b.lectureCount)
        return false;
    for (int i = 1; i <= a.lectureCount; ++i)
        if (a.lectureWord[i] != b.lectureWord[i] || a.lectureStart[i] != b.lectureStart[i] ||
            a.lectureEnd[i] != b.lectureEnd[i] || a.bookingKind[i] != b.bookingKind[i])
            return false;
    return true;
}

// Loads and stores through a locator read and write what the plain ones do, entry for entry:
// while it keeps itself in step, after a compaction it is told of, after an entry appended
// behind its back, and when the store is so full that it compacts itself.
TEST(StoreTest, StoresThroughALocatorMatchThePlainStores)
{
    auto plain = makeScheduleData();
    auto located = makeScheduleData();
    generateInstitution(*plain, smallInstitution(5));
    generateInstitution(*located, smallInstitution(5));
    LectureLocator at;
    int step = 0;
    auto edit = [&] {
        const CodeId e = plain->eventList[1 + step % plain->eventList[0]];
        WeekAllocation a, b;
        reloadWeekAllocation(*plain, e, a);
        reloadWeekAllocation(*located, e, b, at);
        ASSERT_TRUE(a.timetable == b.timetable) << step;
        for (WeekAllocation *wa : {&a, &b}) {
            wa->allocated[static_cast<std::size_t>(1 + step % 2)] += 1;
            if (wa->timetable.size() > 1) {
                std::rotate(wa->timetable.begin(), wa->timetable.begin() + 1, wa->timetable.end());
                std::rotate(wa->timetableKinds.begin(), wa->timetableKinds.begin() + 1,
                            wa->timetableKinds.end());
            }
        }
        EXPECT_EQ(storeWeekAllocation(*plain, e, a), storeWeekAllocation(*located, e, b, at));
        ASSERT_TRUE(sameStore(*plain, *located)) << step;
        ++step;
    };
    for (int i = 0; i < 30; ++i)
        edit();
    for (ScheduleData *d : {plain.get(), located.get()})
        compactLectures(*d);
    at.invalidate();
    for (int i = 0; i < 30; ++i)
        edit();
    // Entries appended, then cleared, behind the locator's back: the store is all but full of
    // empty entries, so the next stores compact it first.
    LectureView filler = block(1, 1, 1, 1, 1);
    filler.word = static_cast<std::uint16_t>(plain->eventList[1] | LectureEventBit);
    for (ScheduleData *d : {plain.get(), located.get()}) {
        const int from = d->lectureCount + 1;
        while (appendLecture(*d, filler, 0) != 0) {
        }
        for (int i = from; i <= d->lectureCount - 3; ++i)
            d->lectureWord[i] = 0;
    }
    for (int i = 0; i < 30; ++i)
        edit();
    EXPECT_LT(plain->lectureCount, MaxLectures - 100); // compacted on the way
}

} // namespace
} // namespace quivra
