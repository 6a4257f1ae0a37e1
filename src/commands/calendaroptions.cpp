#include "commands/calendaroptions.h"

#include "engine/calendar.h"
#include "engine/calendaredits.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/textutil.h"

#include <algorithm>

namespace quivra {

namespace {

constexpr int MaxWeekLength = 255;
constexpr int BookingKindCount = 6;
constexpr int FirstDateSerial = 2;      // 01.01.1900
constexpr int LastDateSerial = 2958465; // 31.12.9999

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string number(int n)
{
    return std::to_string(n);
}

std::string outOfRange(std::string_view field, int high)
{
    return quoted(field) + " must be a number from 1 to " + number(high) + ".";
}

// "L:Name" items; an item without a one-letter prefix is a name alone.
CategoryItem splitItem(const std::string &item)
{
    if (item.size() >= 2 && item[1] == ':')
        return {item.substr(0, 1), item.substr(2)};
    return {"", item};
}

std::string joinItem(const CategoryItem &item)
{
    return item.letter.empty() ? item.name : item.letter + ":" + item.name;
}

bool blank(const CategoryItem &item)
{
    return item.letter.empty() && item.name.empty();
}

// Items 1..the last one in use, each ended by "$".
std::string categoryList(const std::array<CategoryItem, MaxCategories + 1> &items)
{
    int last = 0;
    for (int k = 1; k <= MaxCategories; ++k)
        if (!blank(items[static_cast<std::size_t>(k)]))
            last = k;
    std::string list;
    for (int k = 1; k <= last; ++k)
        list += joinItem(items[static_cast<std::size_t>(k)]) + "$";
    return list;
}

// Kinds 1..6 (at least the three event kinds), then whatever the list held after them.
std::string bookingList(const ScheduleData &d, const std::array<std::string, 7> &kinds)
{
    int last = 3;
    for (int k = 4; k <= BookingKindCount; ++k)
        if (!kinds[static_cast<std::size_t>(k)].empty())
            last = k;
    const int stored = listCount(d.bookingKinds.view());
    if (stored > BookingKindCount)
        last = stored;
    std::string list;
    for (int k = 1; k <= last; ++k)
        list += (k <= BookingKindCount ? kinds[static_cast<std::size_t>(k)]
                                       : listItem(d.bookingKinds.view(), k)) +
                "$";
    return list;
}

int codesInCategory(const ScheduleData &d, bool events, int k)
{
    int n = 0;
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent() == events && categoryOf(d, static_cast<CodeId>(c)) == k)
            ++n;
    return n;
}

std::string checkCategories(const ScheduleData &d, bool events,
                            const std::array<CategoryItem, MaxCategories + 1> &items,
                            const std::array<CategoryItem, MaxCategories + 1> &stored)
{
    const std::string kind = events ? "event category " : "resource category ";
    const std::string Kind = events ? "Event category " : "Resource category ";
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto &item = items[static_cast<std::size_t>(k)];
        if (item == stored[static_cast<std::size_t>(k)])
            continue;
        const std::string which = kind + number(k);
        if (item.letter.size() > 1)
            return "The letter of " + which + " must be a single character.";
        if (item.letter == "$" || item.letter == ":" || item.letter == " ")
            return "The letter of " + which + " cannot be \"$\", \":\" or a space.";
        if (item.name.find('$') != std::string::npos)
            return "The name of " + which + " cannot contain \"$\".";
        if (!item.letter.empty() && trim(item.name).empty())
            return Kind + number(k) + " has a letter but no name.";
        const int members = codesInCategory(d, events, k);
        if (blank(item) && members > 0)
            return Kind + number(k) + " holds " + number(members) +
                   (events ? " event(s)" : " resource(s)") +
                   " and needs a name. Move them to another category first.";
        for (int j = 1; j <= MaxCategories; ++j) {
            const auto &other = items[static_cast<std::size_t>(j)];
            if (j != k && !item.letter.empty() && other.letter == item.letter)
                return "The letter " + quoted(item.letter) + " is used by both " +
                       (events ? "event" : "resource") + " categories " + number(std::min(j, k)) +
                       " and " + number(std::max(j, k)) + ".";
        }
    }
    if (categoryList(items).size() > static_cast<std::size_t>(ListLength))
        return std::string("The ") + (events ? "event" : "resource") +
               " category names are too long: together they can hold at most " +
               number(ListLength) + " characters.";
    return {};
}

} // namespace

CalendarValues readCalendar(const ScheduleData &d)
{
    CalendarValues v;
    v.weeks = usedWeeks(d);
    v.days = usedDays(d);
    v.bells = usedBells(d);
    v.dated = weeksDated(d);
    v.firstWeekDate = d.firstWeekDate;
    for (int w = 1; w <= weekCap(d); ++w) {
        const WeekEntry &entry = d.weeks[static_cast<std::size_t>(w)];
        v.weekRows.push_back({entry.name.str(), weekLength(d, w)});
    }
    for (int day = 1; day <= dayCap(d); ++day)
        v.dayNames.push_back(listItem(d.dayNames, day));
    for (int b = 1; b <= bellCap(d); ++b)
        v.bellNames.push_back(d.bellNames[static_cast<std::size_t>(b)].str());
    return v;
}

CategoryValues readCategories(const ScheduleData &d)
{
    CategoryValues v;
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        v.events[i] = splitItem(listItem(d.eventCategories.view(), k));
        v.resources[i] = splitItem(listItem(d.resourceCategories.view(), k));
    }
    for (int k = 1; k <= BookingKindCount; ++k)
        v.bookingKinds[static_cast<std::size_t>(k)] = listItem(d.bookingKinds.view(), k);
    return v;
}

std::string validateLimits(const ScheduleData &d, const CalendarValues &v)
{
    if (v.weeks < 1 || v.weeks > weekCap(d))
        return outOfRange("Weeks or terms", weekCap(d));
    if (v.days < 1 || v.days > dayCap(d))
        return outOfRange("Days in each week", dayCap(d));
    if (v.bells < 1 || v.bells > bellCap(d))
        return outOfRange("Time periods", bellCap(d));
    // The calendar in use covers everything stored in it; what lies beyond a smaller one has
    // to be cleared or moved by the user first, where it can be seen.
    const StoredReach reach = storedReach(d);
    const EntriesBeyond beyond = entriesBeyond(d, v.weeks, v.days, v.bells);
    if (v.weeks < reach.week)
        return quoted("Weeks or terms") + " cannot be fewer than " + number(reach.week) +
               " while allocations or timetables are stored up to week " + number(reach.week) +
               " (entries after week " + number(v.weeks) + ": " + number(beyond.weeks) +
               "). Clear or delete those weeks first.";
    if (v.days < reach.day)
        return quoted("Days in each week") + " cannot be fewer than " + number(reach.day) +
               " while timetables are stored up to day " + number(reach.day) +
               " (entries after day " + number(v.days) + ": " + number(beyond.days) +
               "). Clear or move them first.";
    if (v.bells < reach.bell)
        return quoted("Time periods") + " cannot be fewer than " + number(reach.bell) +
               " while timetables are stored up to time period " + number(reach.bell) +
               " (entries after time period " + number(v.bells) + ": " + number(beyond.bells) +
               "). Clear or move them first.";
    return {};
}

std::string validateCalendar(const ScheduleData &d, const CalendarValues &v)
{
    const CalendarValues stored = readCalendar(d);
    const auto rows = std::min(v.weekRows.size(), stored.weekRows.size());
    for (std::size_t i = 0; i < rows; ++i) {
        const auto &row = v.weekRows[i];
        if (row == stored.weekRows[i])
            continue;
        const std::string week = "week " + number(static_cast<int>(i) + 1);
        if (row.length < 1 || row.length > MaxWeekLength)
            return "The length of " + week + " must be a number from 1 to " +
                   number(MaxWeekLength) + " (real weeks).";
        if (row.name.size() > static_cast<std::size_t>(WeekNameLength))
            return "The name of " + week + " is too long: it can hold at most " +
                   number(WeekNameLength) + " characters.";
    }
    std::size_t dayText = 0;
    for (std::size_t i = 0; i < v.dayNames.size(); ++i) {
        const std::string &name = v.dayNames[i];
        dayText += name.size() + 1;
        if (i < stored.dayNames.size() && name == stored.dayNames[i])
            continue;
        const std::string day = "day " + number(static_cast<int>(i) + 1);
        if (trim(name).empty())
            return "The name of " + day + " is empty.";
        if (name.find('$') != std::string::npos)
            return "The name of " + day + " cannot contain \"$\".";
    }
    if (dayText > static_cast<std::size_t>(ListLength))
        return "The day names are too long: together they can hold at most " + number(ListLength) +
               " characters.";
    for (std::size_t i = 0; i < v.bellNames.size(); ++i) {
        if (i < stored.bellNames.size() && v.bellNames[i] == stored.bellNames[i])
            continue;
        if (v.bellNames[i].size() > static_cast<std::size_t>(BellNameLength))
            return "The name of time period " + number(static_cast<int>(i) + 1) +
                   " is too long: it can hold at most " + number(BellNameLength) +
                   " characters (for example 10:15-11:00).";
    }
    if (v.dated && (v.firstWeekDate < FirstDateSerial || v.firstWeekDate > LastDateSerial))
        return "The first day of week 1 must be a date from " + formatShortDate(FirstDateSerial) +
               " to " + formatShortDate(LastDateSerial) + ".";
    return {};
}

std::string validateCategories(const ScheduleData &d, const CategoryValues &v)
{
    const CategoryValues stored = readCategories(d);
    if (auto message = checkCategories(d, true, v.events, stored.events); !message.empty())
        return message;
    if (auto message = checkCategories(d, false, v.resources, stored.resources); !message.empty())
        return message;
    for (int k = 1; k <= BookingKindCount; ++k) {
        const auto &name = v.bookingKinds[static_cast<std::size_t>(k)];
        if (name != stored.bookingKinds[static_cast<std::size_t>(k)] &&
            name.find('$') != std::string::npos)
            return "The name of booking kind " + number(k) + " cannot contain \"$\".";
    }
    if (v.bookingKinds != stored.bookingKinds &&
        bookingList(d, v.bookingKinds).size() > static_cast<std::size_t>(ListLength))
        return "The booking kind names are too long: together they can hold at most " +
               number(ListLength) + " characters.";
    return {};
}

bool applyCalendar(ScheduleData &d, const CalendarValues &v)
{
    const bool wasModified = d.modified;
    d.modified = false;
    setCalendarSize(d, v.weeks, v.days, v.bells);
    const CalendarValues stored = readCalendar(d);
    for (std::size_t i = 0; i < v.weekRows.size() && i < stored.weekRows.size(); ++i)
        if (v.weekRows[i] != stored.weekRows[i])
            setWeekEntry(d, static_cast<int>(i) + 1, v.weekRows[i].name, v.weekRows[i].length);
    for (std::size_t i = 0; i < v.dayNames.size(); ++i)
        setDayName(d, static_cast<int>(i) + 1, v.dayNames[i]);
    for (std::size_t i = 0; i < v.bellNames.size(); ++i)
        setBellName(d, static_cast<int>(i) + 1, v.bellNames[i]);
    setWeekDates(d, v.dated, v.dated ? v.firstWeekDate : d.firstWeekDate);
    const bool changed = d.modified;
    d.modified = wasModified || changed;
    return changed;
}

bool applyCategories(ScheduleData &d, const CategoryValues &v)
{
    const CategoryValues stored = readCategories(d);
    if (v == stored)
        return false;
    const std::string events =
        v.events == stored.events ? d.eventCategories.str() : categoryList(v.events);
    const std::string resources =
        v.resources == stored.resources ? d.resourceCategories.str() : categoryList(v.resources);
    const std::string kinds = v.bookingKinds == stored.bookingKinds
                                  ? d.bookingKinds.str()
                                  : bookingList(d, v.bookingKinds);
    const bool wasModified = d.modified;
    d.modified = false;
    setCategoryLists(d, events, resources, kinds);
    const bool changed = d.modified;
    d.modified = wasModified || changed;
    return changed;
}

} // namespace quivra
