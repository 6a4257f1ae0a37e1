#pragma once

// The Limits, Time and Categories pages of the Options dialog without the widgets: the weeks,
// days and bells in use, the calendar's names, lengths and dates, and the names and letters of
// the categories and booking kinds.
//
// The dialog reads the values, lets the user edit them, and on Accept asks validate*() for the
// first wrong value; its message names the field and what it may hold, and the dialog stays
// open with everything the user typed. The calendar in use always covers what is stored in it,
// so a calendar too small for the stored allocations and timetables is refused with the
// smallest size that fits: nothing is ever dropped by making it smaller. Applying goes through
// the engine's edits, which mark the data set modified.

#include "engine/limits.h"
#include "engine/scheduledata.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

struct CalendarValues
{
    struct Week
    {
        std::string name;
        int length = 1;
        friend bool operator==(const Week &, const Week &) = default;
    };

    int weeks = 1; // in use
    int days = 1;
    int bells = 1;
    bool dated = false;
    std::int32_t firstWeekDate = 0;     // date serial of the first day of week 1
    std::vector<Week> weekRows;         // weeks 1..the coding's limit
    std::vector<std::string> dayNames;  // days 1..the coding's limit
    std::vector<std::string> bellNames; // bells 1..the coding's limit

    friend bool operator==(const CalendarValues &, const CalendarValues &) = default;
};

struct CategoryItem
{
    std::string letter; // one character; empty for a category named without a letter
    std::string name;
    friend bool operator==(const CategoryItem &, const CategoryItem &) = default;
};

struct CategoryValues
{
    std::array<CategoryItem, MaxCategories + 1> events{};    // [1..7]
    std::array<CategoryItem, MaxCategories + 1> resources{}; // [1..7]
    std::array<std::string, 7> bookingKinds{}; // [1..3] event kinds, [4..6] resource kinds

    friend bool operator==(const CategoryValues &, const CategoryValues &) = default;
};

CalendarValues readCalendar(const ScheduleData &d);
CategoryValues readCategories(const ScheduleData &d);

// The message for the first wrong value, empty when all are fine. Names and letters are
// checked where they differ from what the data set holds, so a file that arrived with odd
// names can still be accepted unchanged.
std::string validateLimits(const ScheduleData &d, const CalendarValues &v);
std::string validateCalendar(const ScheduleData &d, const CalendarValues &v);
std::string validateCategories(const ScheduleData &d, const CategoryValues &v);

// Writes valid values into the data set; true when anything changed.
bool applyCalendar(ScheduleData &d, const CalendarValues &v);
bool applyCategories(ScheduleData &d, const CategoryValues &v);

} // namespace quivra
