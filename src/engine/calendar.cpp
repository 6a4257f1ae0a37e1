#include "engine/calendar.h"

#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/textutil.h"

#include <algorithm>
#include <limits>

namespace quivra {

namespace {

constexpr const char *DefaultDayNames =
    "Monday$Tuesday$Wednesday$Thursday$Friday$Saturday$Sunday$Funday$";

// Largest value a field of `bits` bits holds.
int fieldMax(int bits)
{
    return (1 << bits) - 1;
}

std::uint8_t byteOf(int value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

std::string dayName(const ScheduleData &d, int day)
{
    return listItem(d.dayNames, day);
}

std::string bellName(const ScheduleData &d, int bell)
{
    if (bell < 1 || bell > MaxBells)
        return {};
    return d.bellNames[static_cast<std::size_t>(bell)].str();
}

// Bell names hold "start-end"; a name without "-" stands for both ends.
std::string bellStart(const std::string &name)
{
    const auto dash = name.find('-');
    return dash == std::string::npos ? name : name.substr(0, dash);
}

std::string bellEnd(const std::string &name)
{
    const auto dash = name.find('-');
    return dash == std::string::npos ? name : name.substr(dash + 1);
}

struct Slot
{
    int week = 0;
    int day = 0;
    int bell = 0;
};

Slot unpack(const ScheduleData &d, SlotCode s)
{
    return {d.coding.weekOf(s), d.coding.dayOf(s), d.coding.bellOf(s)};
}

bool weekInRange(const ScheduleData &d, int w)
{
    return w >= 1 && w <= d.coding.weekLimit;
}

// The range of one event, read straight from the lecture store; entries that do not describe a
// valid time are skipped.
DateRange eventDateRange(const ScheduleData &d, int c, int week)
{
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    std::array<bool, WeekTableSize> allocated{};
    for (int i = 1; i <= lectures; ++i) {
        const auto word = d.lectureWord[static_cast<std::size_t>(i)];
        if (lectureCode(d, word) != c || isBookingWord(word))
            continue;
        const Slot start = unpack(d, d.lectureStart[static_cast<std::size_t>(i)]);
        if (start.day != 0)
            continue;
        const SlotCode end = d.lectureEnd[static_cast<std::size_t>(i)];
        const int endWeek = d.coding.weekOf(end);
        const int count = end & d.coding.dayBellMask;
        if (count == 0 || !weekInRange(d, start.week) || !weekInRange(d, endWeek))
            continue;
        for (int w = start.week; w <= endWeek; ++w)
            allocated[static_cast<std::size_t>(w)] = true;
    }

    int first = 0, last = 0;
    for (int w = 1; w <= d.coding.weekLimit; ++w) {
        if (!allocated[static_cast<std::size_t>(w)] || (week > 0 && w != week))
            continue;
        if (first == 0)
            first = w;
        last = w;
    }
    if (first == 0)
        return {};

    int firstDay = usedDays(d) + 1;
    int lastDay = 0;
    for (int i = 1; i <= lectures; ++i) {
        const auto word = d.lectureWord[static_cast<std::size_t>(i)];
        if (lectureCode(d, word) != c || isBookingWord(word))
            continue;
        const SlotCode s = d.lectureStart[static_cast<std::size_t>(i)];
        const SlotCode e = d.lectureEnd[static_cast<std::size_t>(i)];
        const Slot start = unpack(d, s);
        const Slot end = unpack(d, e);
        if (start.day == 0 || s > e || !weekInRange(d, start.week) || !weekInRange(d, end.week) ||
            end.day < 1 || end.day > d.coding.dayLimit)
            continue;
        if (start.week == first)
            firstDay = std::min(firstDay, start.day);
        if (end.week == last)
            lastDay = std::max(lastDay, end.day);
    }

    DateRange r;
    r.valid = true;
    if (weeksDated(d)) {
        r.first = weekDate(d, first);
        r.last = weekDate(d, last) + usedDays(d) - 1;
        if (firstDay <= lastDay) {
            r.first = weekDate(d, first) + firstDay - 1;
            r.last = weekDate(d, last) + lastDay - 1;
        }
    } else if (firstDay <= lastDay) {
        r.first = first * 8 + firstDay;
        r.last = last * 8 + lastDay;
    } else {
        r.first = first * 8 + 1;
        r.last = last * 8 + usedDays(d);
    }
    return r;
}

// One end of an undated range: the week and the 3-letter day, or only the day when the calendar
// has a single week.
std::string formatWeekDay(const ScheduleData &d, std::int32_t value)
{
    const int week = value / 8;
    const int day = value % 8;
    const std::string dayText = formatDayBell(d, day, 0, 1);
    if (usedWeeks(d) == 1)
        return dayText;
    return formatWeek(d, week, 3) + "/" + dayText;
}

} // namespace

void setSlotCoding(ScheduleData &d, int weekBits, int dayBits, int bellBits, int maxWeeks,
                   int maxDays, int maxBells)
{
    const bool valid = weekBits > 0 && dayBits > 0 && bellBits > 0 && weekBits <= 16 &&
                       dayBits <= 16 && bellBits <= 16 && weekBits + dayBits + bellBits <= 16 &&
                       maxWeeks > 0 && maxDays > 0 && maxBells > 0;
    SlotCoding &k = d.coding;
    if (valid) {
        k.weekBits = weekBits;
        k.dayBits = dayBits;
        k.bellBits = bellBits;
        // A limit must fit its field and the fixed calendar tables.
        k.weekLimit = std::min({maxWeeks, fieldMax(weekBits), MaxWeeks});
        k.dayLimit = std::min({maxDays, fieldMax(dayBits), MaxDays});
        k.bellLimit = std::min({maxBells, fieldMax(bellBits), MaxBells});
    } else {
        k = SlotCoding{}; // 8/3/5 bits, 255 weeks, 7 days, 30 bells
    }
    k.slotsPerWeek = k.dayLimit * k.bellLimit;
    k.slotsTotal = k.slotsPerWeek * k.weekLimit;
    k.weekMask = fieldMax(k.weekBits);
    k.dayMask = fieldMax(k.dayBits);
    k.bellMask = fieldMax(k.bellBits);
    k.weekShift = k.dayBits + k.bellBits;
    k.dayBellMask = fieldMax(k.weekShift);

    // The calendar in use never reaches beyond the limits.
    TimeRange &cal = d.calendarRange;
    cal.endWeek = byteOf(std::clamp<int>(cal.endWeek, 1, k.weekLimit));
    cal.endDay = byteOf(std::clamp<int>(cal.endDay, 1, k.dayLimit));
    cal.endBell = byteOf(std::clamp<int>(cal.endBell, 1, k.bellLimit));

    setLectureCodeMask(d);
}

void setLectureCodeMask(ScheduleData &d)
{
    d.lectureCodeMask = d.codeCount <= NarrowCodeMask ? NarrowCodeMask : WideCodeMask;
}

int weekLength(const ScheduleData &d, int w)
{
    if (w < 1 || w > d.coding.weekLimit)
        return 1;
    return std::max<int>(d.weeks[static_cast<std::size_t>(w)].length, 1);
}

bool weeksDated(const ScheduleData &d)
{
    return (d.calendarMode & 2) != 0;
}

void resetCalendar(ScheduleData &d)
{
    d.weeks[0] = WeekEntry{};
    for (int w = 1; w <= MaxWeeks; ++w) {
        WeekEntry &entry = d.weeks[static_cast<std::size_t>(w)];
        entry.name.clear();
        entry.name.assign("[" + std::to_string(w) + "]");
        entry.length = 1;
    }
    d.dayNames = DefaultDayNames;
    for (auto &name : d.bellNames)
        name.clear();

    d.calendarRange = TimeRange{};
    d.calendarRange.startWeek = 1;
    d.calendarRange.startDay = 1;
    d.calendarRange.startBell = 1;
    d.calendarRange.endWeek = byteOf(d.coding.weekLimit);
    d.calendarRange.endDay = byteOf(d.coding.dayLimit);
    d.calendarRange.endBell = byteOf(d.coding.bellLimit);
    resetScheduleExtent(d);
}

void resetScheduleExtent(ScheduleData &d)
{
    TimeRange &x = d.scheduleExtent;
    x = TimeRange{};
    x.b = static_cast<std::uint16_t>(d.coding.bellLimit);
    x.startWeek = byteOf(d.coding.weekLimit);
    x.startDay = byteOf(d.coding.dayLimit);
    x.startBell = byteOf(d.coding.bellLimit);
}

std::int32_t weekDate(const ScheduleData &d, int n)
{
    if (n <= 1)
        return d.firstWeekDate;
    std::int64_t weeks = 0;
    const int tableWeeks = std::min(n - 1, d.coding.weekLimit);
    for (int w = 1; w <= tableWeeks; ++w)
        weeks += weekLength(d, w);
    if (n - 1 > tableWeeks)
        weeks += n - 1 - tableWeeks; // weeks beyond the limit count one each
    const std::int64_t serial = std::int64_t{d.firstWeekDate} + 7 * weeks;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(serial, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

DateRange codeDateRange(const ScheduleData &d, int c, int week)
{
    if (!validCode(d, c))
        return {};
    if (d.codes[static_cast<std::size_t>(c)].isEvent())
        return eventDateRange(d, c, week);

    DateRange all;
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId event = eventsOfResource(d, static_cast<CodeId>(c), cursor)) {
        const DateRange r = eventDateRange(d, event, week);
        if (!r.valid)
            continue;
        if (!all.valid) {
            all = r;
            continue;
        }
        all.first = std::min(all.first, r.first);
        all.last = std::max(all.last, r.last);
    }
    return all;
}

std::string formatDateRange(const ScheduleData &d, const DateRange &range)
{
    if (!range.valid)
        return {};
    std::string first, last;
    if (weeksDated(d)) {
        first = formatShortDate(range.first);
        last = formatShortDate(range.last);
    } else {
        first = formatWeekDay(d, range.first);
        last = formatWeekDay(d, range.last);
    }
    return first == last ? first : first + " - " + last;
}

std::string formatShortDate(std::int32_t serial)
{
    int y = 0, m = 0, day = 0;
    serialToDate(serial, y, m, day);
    if (y == 0)
        return {};
    const std::string ymd = serialToYmd(serial);
    return ymd.substr(6, 2) + "." + ymd.substr(4, 2) + "." + ymd.substr(0, 4);
}

std::string formatWeek(const ScheduleData &d, int w, int mode)
{
    if (w < 1 || w > d.coding.weekLimit)
        return {};
    const WeekEntry &entry = d.weeks[static_cast<std::size_t>(w)];
    const std::string name = entry.name.str();
    const std::string number = std::to_string(w);
    std::string out;
    switch (mode & 3) {
    case 1:
        out = number;
        break;
    case 2:
        out = name;
        break;
    case 3:
        out = compareBytes(name, " ") > 0 ? name : number + ":" + name;
        break;
    default:
        break;
    }
    if (mode & 4)
        out = trimRight(out) + ": " + std::to_string(weekLength(d, w)) + "w";
    return out;
}

std::string formatDayBell(const ScheduleData &d, int day, int bell, int n)
{
    std::string out;
    if (day >= 1 && day <= usedDays(d)) {
        if (n == 0)
            out = dayName(d, day);
        else if (n >= 1 && n < 32)
            out = dayName(d, day).substr(0, 3);
    }
    if (bell >= 1 && bell <= usedBells(d) && usedBells(d) - bell + 1 >= n) {
        std::string part;
        if (n == 0) {
            part = ", " + bellName(d, bell);
        } else if (n == 1) {
            part = " " + bellName(d, bell) + " ";
        } else if (n > 1 && n < 32) {
            part = " " + bellStart(bellName(d, bell)) + "..." + bellEnd(bellName(d, bell + n - 1));
            while (!part.empty() && part.back() == '.')
                part.pop_back();
            part = replaceAll(part, "....", "...");
        }
        out += part;
    }
    const auto begin = out.find_first_not_of(' ');
    if (begin == std::string::npos)
        return {};
    const auto end = out.find_last_not_of(' ');
    return out.substr(begin, end - begin + 1);
}

std::string formatBellRange(const ScheduleData &d, int day, int bell, int n, int dayNameLength)
{
    std::string out;
    if (day >= 1 && day <= usedDays(d))
        out = dayName(d, day).substr(0, static_cast<std::size_t>(std::max(dayNameLength, 0)));
    if (bell >= 1 && bell <= usedBells(d)) {
        out += " [" + bellName(d, bell) + "]";
        if (n > 1 && n - 1 <= usedBells(d) - bell)
            out += "...[" + bellName(d, bell + n - 1) + "]";
    }
    return out;
}

} // namespace quivra
