#pragma once

// The calendar: slot coding, weeks with names and lengths, day and bell names, dates, and how
// times are shown.

#include "engine/scheduledata.h"

#include <string>

namespace quivra {

// Sets the coding when all bit counts are > 0, their sum <= 16 and the maxima > 0, otherwise the
// defaults 8/3/5/255/7/30. Limits are clamped to their fields and to the fixed tables (255 weeks,
// 7 days, 30 bells), and the weeks, days and bells in use into 1..limit. Always recomputes the
// derived values and the lecture code mask.
void setSlotCoding(ScheduleData &d, int weekBits, int dayBits, int bellBits, int maxWeeks,
                   int maxDays, int maxBells);
// 12-bit code part while at most 4095 codes exist, 13 bits above.
void setLectureCodeMask(ScheduleData &d);

inline int usedWeeks(const ScheduleData &d)
{
    return d.calendarRange.endWeek;
}
inline int usedDays(const ScheduleData &d)
{
    return d.calendarRange.endDay;
}
inline int usedBells(const ScheduleData &d)
{
    return d.calendarRange.endBell;
}
// The largest week, day and bell the coding allows, held inside the fixed tables.
inline int weekCap(const ScheduleData &d)
{
    return d.coding.weekLimit < 1          ? 1
           : d.coding.weekLimit > MaxWeeks ? MaxWeeks
                                           : d.coding.weekLimit;
}
inline int dayCap(const ScheduleData &d)
{
    return d.coding.dayLimit < 1 ? 1 : d.coding.dayLimit > MaxDays ? MaxDays : d.coding.dayLimit;
}
inline int bellCap(const ScheduleData &d)
{
    return d.coding.bellLimit < 1          ? 1
           : d.coding.bellLimit > MaxBells ? MaxBells
                                           : d.coding.bellLimit;
}

// Length of week w in real weeks; 0 counts as 1, weeks outside 1..weekLimit count 1.
int weekLength(const ScheduleData &d, int w);
// Whether weeks carry real dates (calendar mode bit value 2).
bool weeksDated(const ScheduleData &d);

// Default week table ("[k]", length 1), day names, empty bell names; the calendar range becomes
// the whole coding and the schedule extent is reset.
void resetCalendar(ScheduleData &d);
void resetScheduleExtent(ScheduleData &d);

// Date serial of the first day of week n: the first week date plus the lengths of weeks 1..n-1.
std::int32_t weekDate(const ScheduleData &d, int n);

struct DateRange
{
    bool valid = false;
    std::int32_t first = 0; // a date serial, or week * 8 + day without dated weeks
    std::int32_t last = 0;
};
// First and last day of an event's allocated weeks (week 0: all weeks), narrowed to the days of
// its timetable lectures in those weeks; for a resource the union over the events that need it.
// Not valid when nothing is allocated.
DateRange codeDateRange(const ScheduleData &d, int c, int week = 0);
// "first - last" as short dates, or week/day texts without dated weeks; one text when both ends
// read the same; empty for an invalid range.
std::string formatDateRange(const ScheduleData &d, const DateRange &range);
// Short date text of a serial ("dd.mm.yyyy"); empty outside the years 1..9999.
std::string formatShortDate(std::int32_t serial);

// Week w (1..weekLimit, else empty). Mode bits 0..1: 1 number, 2 name, 3 the name unless it is
// blank, then "number:name"; bit 2 appends ": <length>w".
std::string formatWeek(const ScheduleData &d, int w, int mode);
// Day and bell of a cell (0 leaves a part out). n = 0: full day name and ", bell name"; n >= 1:
// 3-letter day name and the bell, or for a block of n bells "start...end" from the first and last
// bell names. A bell name without "-" stands for both its start and its end.
std::string formatDayBell(const ScheduleData &d, int day, int bell, int n);
// Day name cut to dayNameLength, " [bell name]" and for a block "...[last bell name]".
std::string formatBellRange(const ScheduleData &d, int day, int bell, int n, int dayNameLength);

} // namespace quivra
