#pragma once

// The line copies a spreadsheet edits and pastes back: the slot bookings of resources ("11
// Bookings", one line per run of bells booked with one kind) and the schedules of events in the
// Events view's compact formats (one line per day of a lecture, or per bell). Cells end with a
// TAB and lines with CR LF (clipboardtext.h's writer); every line is a block of its own, so a
// copy too large for the clipboard is cut after a whole line.

#include "engine/scheduledata.h"
#include "reports/clipboardtext.h"

#include <string>
#include <vector>

namespace quivra {

// Every resource of the resource list, every week, day and bell in use: code, week, day, first
// bell, last bell and booking kind of each run of consecutive bells booked with the same kind.
// A booking hidden under a period is still listed (it is still stored).
ClipWriter copyBookings(const ScheduleData &d);

// The Events view's "9 Timetables" formats 1 to 4.
enum class ScheduleLines {
    WeekDaySlots = 1,  // code, week, day, first bell, last bell
    DateSlots = 2,     // code, date, first bell, last bell
    StartEndRooms = 3, // code, name, start, end (date and clock time), then the rooms' codes
    WeekDaySlot = 4,   // code, week, day, bell: one line per bell
};

struct ScheduleLinesRequest
{
    ScheduleLines format = ScheduleLines::WeekDaySlots;
    std::vector<CodeId> events; // written in this order
    std::vector<int> weeks;     // the weeks included
    std::string dateFormat = "ddddd";
};

// One line per day of every placed lecture (bookings left out) of each event in the chosen
// weeks, in week, day and bell order; format 4 one line per bell. The dated formats write
// nothing for an undated calendar (the command refuses it first).
ClipWriter copyScheduleLines(const ScheduleData &d, const ScheduleLinesRequest &request);

} // namespace quivra
