// The line copies: byte-exact golden texts of the bookings of every resource and of the four
// compact schedule formats on the clipboard fixture, and the dated formats' refusal of an
// undated calendar.
//
// QUIVRA_UPDATE_GOLDEN=1 rewrites the golden files from the current output; review the diff.

#include "reports/bookingfixture.h"
#include "reports/bookingtext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quivra {
namespace {

std::vector<CodeId> events(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent())
            out.push_back(c);
    return out;
}

std::string scheduleLines(const ScheduleData &d, ScheduleLines format)
{
    ScheduleLinesRequest r;
    r.format = format;
    r.events = events(d);
    r.weeks = {1, 2};
    return copyScheduleLines(d, r).text();
}

TEST(LineGolden, BookingsAndScheduleLinesMatchTheirGoldenTexts)
{
    const auto d = bookingFixture();
    const struct
    {
        const char *name;
        std::string text;
    } cases[] = {
        {"bookings", copyBookings(*d).text()},
        {"schedule1-week-day-slots", scheduleLines(*d, ScheduleLines::WeekDaySlots)},
        {"schedule2-date-slots", scheduleLines(*d, ScheduleLines::DateSlots)},
        {"schedule3-start-end-rooms", scheduleLines(*d, ScheduleLines::StartEndRooms)},
        {"schedule4-week-day-slot", scheduleLines(*d, ScheduleLines::WeekDaySlot)},
    };
    const auto folder = std::filesystem::path(__FILE__).parent_path() / "golden" / "clipboard";
    const bool update = std::getenv("QUIVRA_UPDATE_GOLDEN") != nullptr;
    for (const auto &c : cases) {
        const auto path = folder / (std::string(c.name) + ".txt");
        if (update) {
            std::ofstream(path, std::ios::binary) << c.text;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << "missing golden file " << path;
        std::ostringstream expected;
        expected << in.rdbuf();
        EXPECT_EQ(c.text, expected.str()) << c.name;
    }
}

TEST(ScheduleLines, DatedFormatsWriteNothingForAnUndatedCalendarAndWeeksFilter)
{
    const auto d = bookingFixture(false);
    EXPECT_EQ(scheduleLines(*d, ScheduleLines::DateSlots), "");
    EXPECT_EQ(scheduleLines(*d, ScheduleLines::StartEndRooms), "");
    ScheduleLinesRequest r;
    r.events = events(*d);
    r.weeks = {2};
    EXPECT_EQ(copyScheduleLines(*d, r).text(), "A1\t2\t2\t1\t2\r\n");
}

} // namespace
} // namespace quivra
