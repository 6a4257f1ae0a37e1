// Placeholder bodies; replaced by the real implementation.
#include "engine/calendar.h"

namespace quivra {

void setSlotCoding(ScheduleData &d, int weekBits, int dayBits, int bellBits, int maxWeeks, int maxDays, int maxBells)
{}

void setLectureCodeMask(ScheduleData &d)
{}

int weekLength(const ScheduleData &d, int w)
{ return {}; }

bool weeksDated(const ScheduleData &d)
{ return {}; }

void resetCalendar(ScheduleData &d)
{}

void resetScheduleExtent(ScheduleData &d)
{}

std::int32_t weekDate(const ScheduleData &d, int n)
{ return {}; }

DateRange codeDateRange(const ScheduleData &d, int c, int week)
{ return {}; }

std::string formatDateRange(const ScheduleData &d, const DateRange &range)
{ return {}; }

std::string formatShortDate(std::int32_t serial)
{ return {}; }

std::string formatWeek(const ScheduleData &d, int w, int mode)
{ return {}; }

std::string formatDayBell(const ScheduleData &d, int day, int bell, int n)
{ return {}; }

std::string formatBellRange(const ScheduleData &d, int day, int bell, int n, int dayNameLength)
{ return {}; }

} // namespace quivra
