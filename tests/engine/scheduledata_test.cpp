#include "engine/scheduledata.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

TEST(ScheduleDataTest, NewDataSetHasDefaults)
{
    auto d = makeScheduleData();
    EXPECT_EQ(d->codeCount, 0);
    EXPECT_EQ(d->lectureCodeMask, NarrowCodeMask);
    EXPECT_EQ(d->eventCategories.view(), "b:Basic$m:Middle$a:Advanced$");
    EXPECT_EQ(d->resourceCategories.view(), "G:Groups$T:Teachers$R:Rooms$");
    EXPECT_EQ(d->bookingKinds.view(), "/////$Free$Other$");
    EXPECT_EQ(d->currentWeek, 1);
    EXPECT_TRUE(d->rolesOn);
}

TEST(ScheduleDataTest, CompareBytesIsUnsignedLexicographic)
{
    EXPECT_LT(compareBytes("A", "B"), 0);
    EXPECT_LT(compareBytes("AB", "ABC"), 0);
    EXPECT_GT(compareBytes("\xe9", "z"), 0); // high bytes sort after ASCII
    EXPECT_EQ(compareBytes("same", "same"), 0);
}

} // namespace
} // namespace quivra
