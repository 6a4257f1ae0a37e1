#include "commands/calendaroptions.h"

#include "commands/options.h"
#include "engine/calendar.h"
#include "engine/calendaredits.h"
#include "engine/dump.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quivra {
namespace {

// Six weeks of five days with eight bells. E1 is allocated in weeks 2..5 and has a lecture in
// week 5 on day 4, bells 7..8; E2 has one in week 1 on day 1, bell 1.
std::unique_ptr<ScheduleData> lateLectures()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 8).allocate("E1", 2, 5, 2).place("E1", 5, 4, 7, 8);
    f.event("E2", {"T1"}, 1).allocate("E2", 1, 1, 1).place("E2", 1, 1, 1, 1);
    f.finish();
    return d;
}

std::string section(const std::string &dump, const std::string &from, const std::string &to)
{
    const auto a = dump.find(from);
    return dump.substr(a, dump.find(to, a) - a);
}

TEST(CalendarOptions, EachWrongValueIsRefusedWithItsMessageAndTouchesNothing)
{
    struct Case
    {
        const char *what;
        std::function<void(OptionsValues &)> edit;
        OptionsPage page;
        const char *message;
    };
    const Case cases[] = {
        {"no weeks", [](OptionsValues &v) { v.calendar.weeks = 0; }, OptionsPage::Limits,
         "\"Weeks or terms\" must be a number from 1 to 255."},
        {"too many weeks", [](OptionsValues &v) { v.calendar.weeks = 256; }, OptionsPage::Limits,
         "\"Weeks or terms\" must be a number from 1 to 255."},
        {"eight days", [](OptionsValues &v) { v.calendar.days = 8; }, OptionsPage::Limits,
         "\"Days in each week\" must be a number from 1 to 7."},
        {"31 bells", [](OptionsValues &v) { v.calendar.bells = 31; }, OptionsPage::Limits,
         "\"Time periods\" must be a number from 1 to 30."},
        {"week length 0", [](OptionsValues &v) { v.calendar.weekRows[2].length = 0; },
         OptionsPage::Time, "The length of week 3 must be a number from 1 to 255 (real weeks)."},
        {"long week name", [](OptionsValues &v) { v.calendar.weekRows[0].name = "Autumn"; },
         OptionsPage::Time, "The name of week 1 is too long: it can hold at most 5 characters."},
        {"empty day", [](OptionsValues &v) { v.calendar.dayNames[1] = " "; }, OptionsPage::Time,
         "The name of day 2 is empty."},
        {"day with $", [](OptionsValues &v) { v.calendar.dayNames[0] = "Mon$day"; },
         OptionsPage::Time, "The name of day 1 cannot contain \"$\"."},
        {"long bell", [](OptionsValues &v) { v.calendar.bellNames[3] = "10:15 - 11:00"; },
         OptionsPage::Time, "The name of time period 4 is too long: it can hold at most 11"},
        {"no first date",
         [](OptionsValues &v) {
             v.calendar.dated = true;
             v.calendar.firstWeekDate = 0;
         },
         OptionsPage::Time,
         "The first day of week 1 must be a date from 01.01.1900 to 31.12.9999."},
        {"two letters", [](OptionsValues &v) { v.categories.events[1].letter = "bb"; },
         OptionsPage::Categories, "The letter of event category 1 must be a single character."},
        {"colon letter",
         [](OptionsValues &v) {
             v.categories.resources[4] = {":", "Subjects"};
         },
         OptionsPage::Categories, "The letter of resource category 4 cannot be \"$\", \":\""},
        {"name with $", [](OptionsValues &v) { v.categories.resources[2].name = "Tea$chers"; },
         OptionsPage::Categories, "The name of resource category 2 cannot contain \"$\"."},
        {"letter alone",
         [](OptionsValues &v) {
             v.categories.events[5] = {"x", ""};
         },
         OptionsPage::Categories, "Event category 5 has a letter but no name."},
        {"same letter",
         [](OptionsValues &v) {
             v.categories.resources[4] = {"T", "Tutors"};
         },
         OptionsPage::Categories, "The letter \"T\" is used by both resource categories 2 and 4."},
        {"category with codes unnamed", [](OptionsValues &v) { v.categories.resources[2] = {}; },
         OptionsPage::Categories,
         "Resource category 2 holds 1 resource(s) and needs a name. Move them to another"},
        {"names too long",
         [](OptionsValues &v) {
             for (int k = 4; k <= 7; ++k)
                 v.categories.events[static_cast<std::size_t>(k)] = {std::string(1, char('c' + k)),
                                                                     std::string(70, 'n')};
         },
         OptionsPage::Categories,
         "The event category names are too long: together they can hold at most 255"},
        {"booking kind with $", [](OptionsValues &v) { v.categories.bookingKinds[5] = "a$b"; },
         OptionsPage::Categories, "The name of booking kind 5 cannot contain \"$\"."},
    };
    auto d = lateLectures();
    Settings settings;
    const std::string before = dumpScheduleData(*d);
    const OptionsValues read = readOptions(*d, settings);
    EXPECT_TRUE(validateOptions(*d, read).message.empty());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        OptionsValues v = read;
        c.edit(v);
        const OptionsProblem problem = validateOptions(*d, v);
        EXPECT_EQ(problem.page, c.page);
        EXPECT_EQ(problem.message.rfind(c.message, 0), 0u) << problem.message;
    }
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);
}

TEST(CalendarOptions, ANewCalendarOfTwoTermsIsBuiltFromThePages)
{
    auto d = makeScheduleData();
    Settings settings;
    OptionsValues v = readOptions(*d, settings);
    ASSERT_EQ(v.calendar.weeks, 255);
    ASSERT_EQ(v.calendar.weekRows.size(), 255u);
    v.calendar.weeks = 2;
    v.calendar.days = 5;
    v.calendar.bells = 6;
    v.calendar.weekRows[0] = {"Aut", 12};
    v.calendar.weekRows[1] = {"Spr", 10};
    v.calendar.dayNames[0] = "Mo";
    v.calendar.dayNames[4] = "Fr";
    const char *bells[] = {"8:00-8:45",   "8:50-9:35",   "9:50-10:35",
                           "10:40-11:25", "11:30-12:15", "13:00-13:45"};
    for (int b = 0; b < 6; ++b)
        v.calendar.bellNames[static_cast<std::size_t>(b)] = bells[b];
    v.calendar.dated = true;
    v.calendar.firstWeekDate = dateSerial(2027, 8, 30);
    v.categories.resources[4] = {"S", "Subjects"};
    v.categories.events[2].name = "Intermediate";
    v.categories.bookingKinds[5] = "Meeting";
    ASSERT_EQ(validateOptions(*d, v).message, "");

    const OptionsApplied applied = applyOptions(*d, settings, v);
    EXPECT_TRUE(applied.calendarChanged && applied.categoriesChanged);
    EXPECT_TRUE(d->modified);
    EXPECT_EQ(usedWeeks(*d), 2);
    EXPECT_EQ(usedDays(*d), 5);
    EXPECT_EQ(usedBells(*d), 6);
    EXPECT_EQ(weekLength(*d, 1), 12);
    EXPECT_EQ(formatWeek(*d, 2, 2), "Spr");
    EXPECT_EQ(weekDate(*d, 2), dateSerial(2027, 11, 22)); // twelve weeks later
    EXPECT_TRUE(weeksDated(*d));
    EXPECT_EQ(formatDayBell(*d, 5, 3, 2), "Fr 9:50...11:25");
    EXPECT_EQ(readOptions(*d, settings), v);

    const std::string dump = dumpScheduleData(*d);
    const std::string calendar = section(dump, "range ", "bell 6");
    EXPECT_NE(
        calendar.find("day-names \"Mo$Tuesday$Wednesday$Thursday$Fr$Saturday$Sunday$Funday$\""),
        std::string::npos);
    EXPECT_NE(calendar.find("week 1 \"Aut\" length 12"), std::string::npos);
    EXPECT_NE(calendar.find("week 2 \"Spr\" length 10"), std::string::npos);
    EXPECT_NE(dump.find("bell 1 \"8:00-8:45\""), std::string::npos);
    EXPECT_NE(dump.find("bell 6 \"13:00-13:45\""), std::string::npos);
    EXPECT_NE(dump.find("event \"b:Basic$m:Intermediate$a:Advanced$\""), std::string::npos);
    EXPECT_NE(dump.find("resource \"G:Groups$T:Teachers$R:Rooms$S:Subjects$\""), std::string::npos);
    EXPECT_NE(dump.find("booking-kinds \"/////$Free$Other$$Meeting$\""), std::string::npos);

    // Dates off keeps the date for when they come back; the page read again is what was set.
    v.calendar.dated = false;
    d->modified = false;
    EXPECT_TRUE(applyOptions(*d, settings, v).calendarChanged);
    EXPECT_FALSE(weeksDated(*d));
    EXPECT_EQ(d->firstWeekDate, dateSerial(2027, 8, 30));
    EXPECT_TRUE(d->modified);
}

TEST(CalendarOptions, ListsAsTheyArrivedSurviveAnUnchangedPage)
{
    auto d = lateLectures();
    d->eventCategories.assign("Plain$x:X$$"); // no letter, then a trailing empty item
    d->bookingKinds.assign("/////$Free$Other$/////$Meeting$Other$Extra$");
    d->dayNames = "Mo$Tu$We$Th$Fr$";
    Settings settings;
    const std::string before = dumpScheduleData(*d);
    OptionsValues v = readOptions(*d, settings);
    EXPECT_EQ(v.categories.events[1].name, "Plain");
    EXPECT_EQ(v.categories.events[2].letter, "x");
    EXPECT_EQ(validateOptions(*d, v).message, "");
    const OptionsApplied same = applyOptions(*d, settings, v);
    EXPECT_FALSE(same.calendarChanged || same.categoriesChanged || d->modified);
    EXPECT_EQ(dumpScheduleData(*d), before);

    // A changed kind keeps the kinds after the sixth.
    v.categories.bookingKinds[2] = "Away";
    applyOptions(*d, settings, v);
    EXPECT_EQ(d->bookingKinds.view(), "/////$Away$Other$/////$Meeting$Other$Extra$");
    EXPECT_EQ(d->eventCategories.view(), "Plain$x:X$$");
}

TEST(CalendarOptions, ACalendarTooSmallForWhatIsStoredIsRefusedWithTheSizeThatFits)
{
    auto d = lateLectures();
    Settings settings;
    const std::string before = dumpScheduleData(*d);
    EXPECT_EQ(usedWeeks(*d), 6);
    // E1's week-5 lecture passes all three limits, its allocation of weeks 2..5 only the weeks.
    struct Case
    {
        int weeks, days, bells;
        const char *message;
    };
    const Case cases[] = {
        {4, 5, 8,
         "\"Weeks or terms\" cannot be fewer than 5 while allocations or timetables are stored "
         "up to week 5 (entries after week 4: 2). Clear or delete those weeks first."},
        {5, 3, 8,
         "\"Days in each week\" cannot be fewer than 4 while timetables are stored up to day 4 "
         "(entries after day 3: 1). Clear or move them first."},
        {5, 5, 6,
         "\"Time periods\" cannot be fewer than 8 while timetables are stored up to time "
         "period 8 (entries after time period 6: 1). Clear or move them first."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        auto data = lateLectures();
        OptionsValues v = readOptions(*data, settings);
        v.calendar.weeks = c.weeks;
        v.calendar.days = c.days;
        v.calendar.bells = c.bells;
        const OptionsProblem problem = validateOptions(*data, v);
        EXPECT_EQ(problem.page, OptionsPage::Limits);
        EXPECT_EQ(problem.message, c.message);
        // Applied regardless, the calendar still covers everything and nothing went.
        applyOptions(*data, settings, v);
        EXPECT_EQ(usedWeeks(*data), 5);
        EXPECT_EQ(usedDays(*data), std::max(c.days, 4));
        EXPECT_EQ(usedBells(*data), 8);
        EXPECT_EQ(section(dumpScheduleData(*data), "[lectures]", "[manual-rooms]"),
                  section(before, "[lectures]", "[manual-rooms]"));
    }

    // Down to exactly what is stored is fine; the entries stay where they were.
    OptionsValues v = readOptions(*d, settings);
    v.calendar.weeks = 5;
    v.calendar.days = 4;
    v.calendar.bells = 8;
    EXPECT_EQ(validateOptions(*d, v).message, "");
    d->modified = false;
    EXPECT_TRUE(applyOptions(*d, settings, v).calendarChanged);
    EXPECT_EQ(usedWeeks(*d), 5);
    EXPECT_EQ(usedDays(*d), 4);
    EXPECT_TRUE(d->modified);
    EXPECT_EQ(entriesBeyond(*d, 5, 4, 8).total, 0);
}

} // namespace
} // namespace quivra
