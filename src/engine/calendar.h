#pragma once

// The calendar: slot coding, weeks with names and lengths, day and bell names, dates, and how
// times are shown.

#include "engine/scheduledata.h"

#include <string>

namespace quivra {

// Sets the coding when all bit counts are > 0, their sum <= 16 and the maxima > 0, otherwise the
// defaults 8/3/5/255/7/30. Limits are clamped to their fields and to the fixed tables. Always
// recomputes the derived values and the lecture code mask.
void setSlotCoding(ScheduleData &d, int weekBits, int dayBits, int bellBits, int maxWeeks,
                   int maxDays, int maxBells);
void setLectureCodeMask(ScheduleData &d);

inline int usedWeeks(const ScheduleData &d) { return d.calendarRange.endWeek; }
inline int usedDays(const ScheduleData &d) { return d.calendarRange.endDay; }
inline int usedBells(const ScheduleData &d) { return d.calendarRange.endBell; }
// Length of week w in real weeks; 0 counts as 1, weeks outside the table count 1.
int weekLength(const ScheduleData &d, int w);
bool weeksDated(const ScheduleData &d);

// Default week table, day names, bell names; calendar range and schedule extent reset.
void resetCalendar(ScheduleData &d);
void resetScheduleExtent(ScheduleData &d);

// Date serial of the first day of week n.
std::int32_t weekDate(const ScheduleData &d, int n);

struct DateRange
{
    bool valid = false;
    std::int32_t first = 0; // a date serial, or week * 8 + day without dated weeks
    std::int32_t last = 0;
};
DateRange codeDateRange(const ScheduleData &d, int c, int week = 0);
std::string formatDateRange(const ScheduleData &d, const DateRange &range);
// Short date text of a serial ("dd.mm.yyyy").
std::string formatShortDate(std::int32_t serial);

std::string formatWeek(const ScheduleData &d, int w, int mode);
std::string formatDayBell(const ScheduleData &d, int day, int bell, int n);
std::string formatBellRange(const ScheduleData &d, int day, int bell, int n, int dayNameLength);

} // namespace quivra
