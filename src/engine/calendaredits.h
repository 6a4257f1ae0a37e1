#pragma once

// Edits of the calendar of a data set: how many weeks, days and bells are in use, the names and
// lengths of the weeks, the day and bell names, and whether weeks carry real dates.
//
// Each edit marks the data set modified when, and only when, it changed what the data set
// holds. None of them removes a lecture: the calendar in use always covers everything stored in
// it (the recount grows it back to that), so it cannot be made smaller than storedReach().

#include "engine/scheduledata.h"

#include <cstdint>
#include <string_view>

namespace quivra {

// The last week any lecture entry (allocation, booking or timetable lecture) reaches, and the
// last day and bell any timetable entry reaches; 0 when there is none.
struct StoredReach
{
    int week = 0;
    int day = 0;
    int bell = 0;
};
StoredReach storedReach(const ScheduleData &d);

// Lecture entries that reach past `weeks`, or timetable entries that reach past `days` or
// `bells`.
struct EntriesBeyond
{
    int weeks = 0; // entries ending after the last week
    int days = 0;  // timetable entries ending after the last day
    int bells = 0; // timetable entries ending after the last bell
    int total = 0; // entries counted once however many limits they pass
};
EntriesBeyond entriesBeyond(const ScheduleData &d, int weeks, int days, int bells);

// Weeks, days and bells in use, each clamped into the stored reach (at least 1) .. its limit of
// the slot coding. A change is followed by a recount, which brings the optimiser's range inside
// the new calendar.
bool setCalendarSize(ScheduleData &d, int weeks, int days, int bells);

// Name (cut to the stored length) and length (1..255) of week w of the coding; false for a week
// outside it or a length out of range, nothing changed then.
bool setWeekEntry(ScheduleData &d, int w, std::string_view name, int length);

// Name of day `day` (1..7): item `day` of the day list, the other items kept. A name holding the
// list separator "$" is refused (false).
bool setDayName(ScheduleData &d, int day, std::string_view name);

// Name of bell b (1..30), cut to the stored length; false for a bell outside 1..30.
bool setBellName(ScheduleData &d, int b, std::string_view name);

// Dated weeks on or off (calendar mode bit value 2; the other bits kept) and the date serial of
// the first day of week 1. The date is kept as given when dates are switched off.
void setWeekDates(ScheduleData &d, bool dated, std::int32_t firstWeekDate);

// The first week open for changes (currentWeek; earlier weeks are protected), clamped into
// 1..the weeks in use. True when it changed.
bool setFirstOpenWeek(ScheduleData &d, int w);

} // namespace quivra
