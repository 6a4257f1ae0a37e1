#pragma once

// Calendar and table exports: the scheduled periods of resources as iCalendar (.ics),
// vCalendar (.vcs) or CSV files that calendar and spreadsheet programs read.
//
// One item is one run of consecutive bells of one event in one resource's day. Clock times come
// from the bell names ("8.00-8.45", "2 PM", "9"); bells without usable names start at 08:00 plus
// an hour per bell and last 45 minutes each. A week that stands for several calendar weeks gives
// its items once per calendar week, seven days apart.
//
// Dates need dated weeks: with undated weeks every calendar export is refused with a message.
// iCalendar files are UTF-8 with escaped TEXT values and lines folded at 75 octets; they carry
// the local time zone as a VTIMEZONE and give local times in it, so items keep their local times
// on both sides of a daylight-saving change. vCalendar values are quoted-printable UTF-8 and its
// times universal, each converted with the offset of its own date. CSV files always have the
// same seven fields, quoted where needed.

#include "engine/scheduledata.h"
#include "reports/outputkit.h"

#include <string>
#include <vector>

namespace quivra {

enum class CalendarFormat { Csv, VCalendar, ICalendar };
enum class CalendarLayout { OneFile, PerResource, PerResourceAndEvent };

// The format a target's extension names: "ics", "vcs", anything else CSV.
CalendarFormat calendarFormatOf(std::string_view path);
std::string calendarExtension(CalendarFormat format);

// Start and end of a span in minutes from midnight of its day (the end may pass midnight).
struct ClockSpan
{
    int start = 0;
    int end = 0;
    friend bool operator==(const ClockSpan &, const ClockSpan &) = default;
};
// A time text as minutes from midnight: blanks and "AM" dropped, "PM" adds 12 hours (12 PM is
// noon, 12 AM midnight), ".", "," and ";" separate hours and minutes, a lone number is an hour;
// -1 for anything else or a time not before 24:00.
int parseClockText(std::string_view text);
// The clock times of `bells` bells starting at `bell`, from the calendar's bell names.
ClockSpan bellSpanTimes(const ScheduleData &d, int bell, int bells);

struct CalendarItem
{
    CodeId resource = 0;
    CodeId event = 0;
    std::int32_t date = 0; // date serial
    int bell = 0, bells = 0;
    ClockSpan times;
    std::string subject, description, location, uid; // UTF-8
};

struct CalendarExportOptions
{
    CalendarFormat format = CalendarFormat::ICalendar;
    CalendarLayout layout = CalendarLayout::OneFile;
    int labelFormat = 1; // resources as 1 code, 2 name, 3 code:name
    int firstWeek = 1, lastWeek = 1;
    std::vector<CodeId> resources;
    std::string fileName;    // the one file of the one-file layout
    std::string organizer;   // an e-mail address; empty writes no organizer
    bool manualRooms = true; // rooms chosen slot by slot fill the location
};

struct CalendarExportResult
{
    bool refused = false;
    std::string message; // why it was refused, or what was written
    int files = 0;
    int items = 0;
    std::vector<std::string> failed; // files that could not be written
    std::vector<std::string> written;
};

// The items of one resource over a week range, in week, repetition, day and bell order.
std::vector<CalendarItem> calendarItems(const ScheduleData &d, CodeId resource, int firstWeek,
                                        int lastWeek, int labelFormat, bool manualRooms,
                                        const RunEnvironment &env);

// Writes the export. File names come from `names` (keys "ics:<code>" and so on), so the pages
// that link to the files use the same names.
CalendarExportResult exportCalendar(const ScheduleData &d, const CalendarExportOptions &options,
                                    FileSink &sink, FileNames &names, const RunEnvironment &env);

// The file name a resource's calendar gets in the per-resource layout (reserved in `names`).
std::string resourceCalendarName(const ScheduleData &d, CodeId resource, CalendarFormat format,
                                 FileNames &names);

// The name of the local time zone (TZ, else /etc/localtime), "UTC" when none can be told.
std::string localZoneName();
// A VTIMEZONE of the local zone for the years first..last, its lines folded and ended by CR LF.
std::string localTimeZoneBlock(const std::string &zoneName, int firstYear, int lastYear);

} // namespace quivra
