#include "engine/calendaredits.h"

#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

// Six weeks of five days with eight bells; E1 allocated in weeks 2..5 with a lecture in week 5,
// day 4, bells 7..8.
std::unique_ptr<ScheduleData> lateLecture()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 8).allocate("E1", 2, 5, 2).place("E1", 5, 4, 7, 8);
    f.finish();
    return d;
}

TEST(CalendarEdits, TheCalendarInUseNeverShrinksBelowWhatIsStored)
{
    auto d = lateLecture();
    const StoredReach reach = storedReach(*d);
    EXPECT_EQ(reach.week, 5); // the allocation's and the lecture's last week
    EXPECT_EQ(reach.day, 4);  // from the lecture only: an allocation's day field is a count
    EXPECT_EQ(reach.bell, 8);
    const EntriesBeyond beyond = entriesBeyond(*d, 4, 3, 6);
    EXPECT_EQ(beyond.weeks, 2);
    EXPECT_EQ(beyond.days, 1);
    EXPECT_EQ(beyond.bells, 1);
    EXPECT_EQ(beyond.total, 2);

    struct Case
    {
        int weeks, days, bells;
        int usedWeeks, usedDays, usedBells;
    };
    const Case cases[] = {
        {1, 1, 1, 5, 4, 8},       // up to what is stored
        {6, 5, 8, 6, 5, 8},       // unchanged
        {300, 9, 40, 255, 7, 30}, // down to the coding's limits
        {5, 4, 8, 5, 4, 8},       // exactly what is stored
    };
    for (const Case &c : cases) {
        auto data = lateLecture();
        const bool changed = setCalendarSize(*data, c.weeks, c.days, c.bells);
        EXPECT_EQ(usedWeeks(*data), c.usedWeeks);
        EXPECT_EQ(usedDays(*data), c.usedDays);
        EXPECT_EQ(usedBells(*data), c.usedBells);
        const bool expectChange = c.usedWeeks != 6 || c.usedDays != 5 || c.usedBells != 8;
        EXPECT_EQ(changed, expectChange);
        EXPECT_EQ(data->modified, expectChange);
    }
}

TEST(CalendarEdits, NamesAndLengthsAreStoredOrRefusedWhole)
{
    auto d = makeScheduleData();
    d->dayNames = "Mo$Tu$";
    EXPECT_TRUE(setDayName(*d, 4, "Thu")); // a short list grows to reach the day
    EXPECT_EQ(d->dayNames, "Mo$Tu$$Thu$");
    EXPECT_FALSE(setDayName(*d, 1, "M$o"));
    EXPECT_FALSE(setDayName(*d, 8, "Funday"));
    EXPECT_EQ(d->dayNames, "Mo$Tu$$Thu$");

    EXPECT_FALSE(setWeekEntry(*d, 1, "T1", 0));
    EXPECT_FALSE(setWeekEntry(*d, 1, "T1", 256));
    EXPECT_FALSE(setWeekEntry(*d, 256, "T1", 1));
    EXPECT_TRUE(setWeekEntry(*d, 1, "Autumn", 12)); // cut to the stored five characters
    EXPECT_EQ(formatWeek(*d, 1, 6), "Autum: 12w");
    EXPECT_FALSE(setBellName(*d, 31, "x"));
    EXPECT_TRUE(setBellName(*d, 30, "17:00-17:45"));
    EXPECT_EQ(d->bellNames[30].str(), "17:00-17:45");

    // Writing what is already there changes nothing.
    d->modified = false;
    EXPECT_TRUE(setDayName(*d, 4, "Thu"));
    EXPECT_TRUE(setWeekEntry(*d, 1, "Autum", 12));
    EXPECT_TRUE(setBellName(*d, 30, "17:00-17:45"));
    setWeekDates(*d, weeksDated(*d), d->firstWeekDate);
    EXPECT_TRUE(setCategoryLists(*d, d->eventCategories.view(), d->resourceCategories.view(),
                                 d->bookingKinds.view()));
    EXPECT_FALSE(d->modified);

    // Dated weeks keep the other mode bits.
    d->calendarMode = 12;
    setWeekDates(*d, true, dateSerial(2027, 8, 30));
    EXPECT_EQ(d->calendarMode, 14);
    EXPECT_EQ(weekDate(*d, 2), dateSerial(2027, 11, 22));
    EXPECT_TRUE(d->modified);

    EXPECT_FALSE(setCategoryLists(*d, std::string(256, 'x'), "", ""));
    EXPECT_EQ(d->eventCategories.view(), DefaultEventCategories);
}

} // namespace
} // namespace quivra
