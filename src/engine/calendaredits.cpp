#include "engine/calendaredits.h"

#include "engine/calendar.h"
#include "engine/lectures.h"
#include "engine/recount.h"
#include "engine/textutil.h"

#include <algorithm>
#include <string>

namespace quivra {

namespace {

constexpr std::uint16_t DatedWeeksBit = 2;
constexpr int MaxWeekLength = 255;

} // namespace

StoredReach storedReach(const ScheduleData &d)
{
    StoredReach out;
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const SlotCode start = d.lectureStart[static_cast<std::size_t>(i)];
        const SlotCode end = d.lectureEnd[static_cast<std::size_t>(i)];
        out.week = std::max(out.week, d.coding.weekOf(end));
        // A whole-week entry carries a count in the day and bell fields of its end.
        if (d.coding.dayOf(start) == 0)
            continue;
        out.day = std::max(out.day, d.coding.dayOf(end));
        out.bell = std::max({out.bell, d.coding.bellOf(start), d.coding.bellOf(end)});
    }
    return out;
}

EntriesBeyond entriesBeyond(const ScheduleData &d, int weeks, int days, int bells)
{
    EntriesBeyond out;
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const SlotCode start = d.lectureStart[static_cast<std::size_t>(i)];
        const SlotCode end = d.lectureEnd[static_cast<std::size_t>(i)];
        const bool timetable = d.coding.dayOf(start) != 0;
        const bool pastWeeks = d.coding.weekOf(end) > weeks;
        const bool pastDays = timetable && d.coding.dayOf(end) > days;
        const bool pastBells =
            timetable && std::max(d.coding.bellOf(start), d.coding.bellOf(end)) > bells;
        out.weeks += pastWeeks;
        out.days += pastDays;
        out.bells += pastBells;
        out.total += pastWeeks || pastDays || pastBells;
    }
    return out;
}

bool setCalendarSize(ScheduleData &d, int weeks, int days, int bells)
{
    const StoredReach reach = storedReach(d);
    const auto fit = [](int value, int low, int high) {
        return static_cast<std::uint8_t>(std::clamp(value, std::clamp(low, 1, high), high));
    };
    const auto w = fit(weeks, reach.week, weekCap(d));
    const auto dd = fit(days, reach.day, dayCap(d));
    const auto b = fit(bells, reach.bell, bellCap(d));
    TimeRange &r = d.calendarRange;
    if (r.endWeek == w && r.endDay == dd && r.endBell == b)
        return false;
    r.endWeek = w;
    r.endDay = dd;
    r.endBell = b;
    recount(d);
    d.modified = true;
    return true;
}

bool setWeekEntry(ScheduleData &d, int w, std::string_view name, int length)
{
    if (w < 1 || w > weekCap(d) || length < 1 || length > MaxWeekLength)
        return false;
    WeekEntry &entry = d.weeks[static_cast<std::size_t>(w)];
    PString<WeekNameLength> wanted;
    wanted.assign(name);
    if (entry.name == wanted && entry.length == length)
        return true;
    entry.name.clear();
    entry.name.assign(name);
    entry.length = static_cast<std::uint8_t>(length);
    d.modified = true;
    return true;
}

bool setDayName(ScheduleData &d, int day, std::string_view name)
{
    if (day < 1 || day > MaxDays || name.find('$') != std::string_view::npos)
        return false;
    if (listItem(d.dayNames, day) == name)
        return true;
    const int items = std::max(listCount(d.dayNames), day);
    std::string list;
    for (int k = 1; k <= items; ++k) {
        list += k == day ? std::string(name) : listItem(d.dayNames, k);
        list += '$';
    }
    d.dayNames = list;
    d.modified = true;
    return true;
}

bool setBellName(ScheduleData &d, int b, std::string_view name)
{
    if (b < 1 || b > MaxBells)
        return false;
    auto &stored = d.bellNames[static_cast<std::size_t>(b)];
    PString<BellNameLength> wanted;
    wanted.assign(name);
    if (stored == wanted)
        return true;
    stored.clear();
    stored.assign(name);
    d.modified = true;
    return true;
}

void setWeekDates(ScheduleData &d, bool dated, std::int32_t firstWeekDate)
{
    const auto mode = static_cast<std::uint16_t>(dated ? d.calendarMode | DatedWeeksBit
                                                       : d.calendarMode & ~DatedWeeksBit);
    if (mode == d.calendarMode && firstWeekDate == d.firstWeekDate)
        return;
    d.calendarMode = mode;
    d.firstWeekDate = firstWeekDate;
    d.modified = true;
}

bool setFirstOpenWeek(ScheduleData &d, int w)
{
    const int kept = std::clamp(w, 1, std::max(1, usedWeeks(d)));
    if (d.currentWeek == kept)
        return false;
    d.currentWeek = kept;
    d.modified = true;
    return true;
}

} // namespace quivra
