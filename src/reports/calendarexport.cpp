#include "reports/calendarexport.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/textutil.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace quivra {

CalendarFormat calendarFormatOf(std::string_view path)
{
    const std::string lower = toLowerAscii(path);
    if (lower.ends_with("ics"))
        return CalendarFormat::ICalendar;
    if (lower.ends_with("vcs"))
        return CalendarFormat::VCalendar;
    return CalendarFormat::Csv;
}

std::string calendarExtension(CalendarFormat format)
{
    switch (format) {
    case CalendarFormat::ICalendar:
        return "ics";
    case CalendarFormat::VCalendar:
        return "vcs";
    case CalendarFormat::Csv:
        break;
    }
    return "csv";
}

int parseClockText(std::string_view text)
{
    std::string t = replaceAll(toUpperAscii(text), " ", "");
    const bool am = t.find("AM") != std::string::npos;
    const bool pm = t.find("PM") != std::string::npos;
    t = replaceAll(replaceAll(t, "AM", ""), "PM", "");
    for (char &c : t)
        if (c == '.' || c == ',' || c == ';')
            c = ':';
    const std::size_t colon = t.find(':');
    const std::string hourText = t.substr(0, colon);
    std::string minuteText = colon == std::string::npos ? "0" : t.substr(colon + 1);
    minuteText = minuteText.substr(0, minuteText.find(':'));
    if (hourText.empty() || minuteText.empty())
        return -1;
    for (const char c : hourText + minuteText)
        if (c < '0' || c > '9')
            return -1;
    if (hourText.size() > 2 || minuteText.size() > 2)
        return -1;
    int hour = std::atoi(hourText.c_str());
    const int minute = std::atoi(minuteText.c_str());
    if (minute > 59)
        return -1;
    if (pm || am) {
        if (hour < 1 || hour > 12)
            return -1;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23)
        return -1;
    return hour * 60 + minute;
}

ClockSpan bellSpanTimes(const ScheduleData &d, int bell, int bells)
{
    bells = std::max(bells, 1);
    ClockSpan span{8 * 60 + (bell - 1) * 60, 0};
    span.end = span.start + bells * 45;
    const ClockSpan fallback = span;
    auto name = [&](int b) {
        return b >= 1 && b <= MaxBells ? d.bellNames[static_cast<std::size_t>(b)].str()
                                       : std::string();
    };
    const std::string first = name(bell);
    const std::size_t dash = first.find('-');
    if (dash != std::string::npos) {
        const int start = parseClockText(first.substr(0, dash));
        const std::string last = name(bell + bells - 1);
        const std::size_t lastDash = last.find('-');
        const int end =
            lastDash == std::string::npos ? -1 : parseClockText(last.substr(lastDash + 1));
        if (start >= 0)
            span.start = start;
        if (end >= 0)
            span.end = end;
    } else {
        const int start = parseClockText(first);
        if (start >= 0)
            span.start = start;
        const int next = bell + bells <= usedBells(d) ? parseClockText(name(bell + bells)) : -1;
        span.end = next >= 0 ? next : span.start + bells * 45;
    }
    // A span that ends before it starts has inconsistent bell names: it keeps its length.
    if (span.end <= span.start)
        span.end = span.start + (fallback.end - fallback.start);
    return span;
}

namespace {

std::string utf8(const ScheduleData &d, std::string_view bytes, const RunEnvironment &env)
{
    (void)d;
    return dataToUtf8(bytes, env.dataCodePage);
}

std::string resourceLabel(const ScheduleData &d, CodeId c, int format)
{
    const CodeRecord &r = d.codes[c];
    switch (format) {
    case 2:
        return r.name.str();
    case 3:
        return r.code.str() + ":" + r.name.str();
    default:
        return r.code.str();
    }
}

// A stable identity: the same period of the same resource keeps its UID from one export to the
// next, and two periods never share one.
std::string itemUid(const ScheduleData &d, CodeId resource, CodeId event, std::int32_t date,
                    int bell)
{
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&](std::string_view s) {
        for (const char c : s) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        hash ^= 0xFF;
        hash *= 1099511628211ull;
    };
    mix(d.codes[resource].code.view());
    mix(d.codes[event].code.view());
    char text[64];
    std::snprintf(text, sizeof text, "%s-%02d-%016llx@quivra", serialToYmd(date).c_str(), bell,
                  static_cast<unsigned long long>(hash));
    return text;
}

std::string dateTimeText(std::int32_t serial, int minutes)
{
    const std::int32_t day = serial + minutes / (24 * 60);
    const int m = minutes % (24 * 60);
    char text[48];
    std::snprintf(text, sizeof text, "T%02d%02d00", m / 60, m % 60);
    return serialToYmd(day) + text;
}

std::time_t utcOf(std::int32_t serial, int minutes)
{
    int year = 0, month = 0, day = 0;
    serialToDate(serial, year, month, day);
    return localToUtc({year, month, day, 0, minutes});
}

std::string csvDate(std::int32_t serial, int minutes)
{
    return formatDateTime("ddddd", serial + minutes / (24 * 60));
}

std::string csvTime(int minutes)
{
    return formatDateTime("t", 0, minutes % (24 * 60));
}

} // namespace

std::vector<CalendarItem> calendarItems(const ScheduleData &d, CodeId resource, int firstWeek,
                                        int lastWeek, int labelFormat, bool manualRooms,
                                        const RunEnvironment &env)
{
    std::vector<CalendarItem> items;
    if (!validCode(d, resource))
        return items;
    const std::string label = utf8(d, resourceLabel(d, resource, labelFormat), env);
    WeekTimetable t;
    for (int w = std::max(firstWeek, 1); w <= std::min(lastWeek, usedWeeks(d)); ++w) {
        weekTimetableOf(d, resource, w, t, false, true);
        for (int day = 1; day <= usedDays(d); ++day) {
            for (int bell = 1; bell <= usedBells(d);) {
                const CellWord cell = t.cell(day, bell);
                int n = 1;
                while (bell + n <= usedBells(d) && t.cell(day, bell + n) == cell)
                    ++n;
                if (cell == 0 || isBookingCell(cell) || !(cell & CellEventBit)) {
                    bell += n;
                    continue;
                }
                const CodeId event = cellCode(d, cell);
                CalendarItem item;
                item.resource = resource;
                item.event = event;
                item.bell = bell;
                item.bells = n;
                item.times = bellSpanTimes(d, bell, n);
                item.subject = "[" + label + "] " + utf8(d, d.codes[event].name.view(), env);
                std::string description, location;
                const MemberList members = collectionOf(d, event);
                for (int k = 1; k <= members[0]; ++k) {
                    const CodeId m = members[static_cast<std::size_t>(k)];
                    std::string &target =
                        categoryOf(d, m) == d.roomsCategory ? location : description;
                    target += resourceLabel(d, m, labelFormat) + " ";
                }
                description = trim(description);
                location = trim(location);
                if (location.empty() && manualRooms) {
                    std::string rooms;
                    bool any = false;
                    for (int b = bell; b < bell + n; ++b) {
                        const int k = findTriple(d, w, day, b, 0, 0, event);
                        const CodeId room = k ? manualTriple(d, k).room : 0;
                        any = any || room != 0;
                        rooms += (b > bell ? "," : "") +
                                 (room ? resourceLabel(d, room, labelFormat) : std::string("-"));
                    }
                    if (any)
                        location = "[" + rooms + "]";
                }
                item.description = utf8(d, description, env);
                item.location = utf8(d, location, env);
                for (int rep = 0; rep < weekLength(d, w); ++rep) {
                    item.date = weekDate(d, w) + day - 1 + 7 * rep;
                    item.uid = itemUid(d, resource, event, item.date, bell);
                    items.push_back(item);
                }
                bell += n;
            }
        }
    }
    return items;
}

std::string localZoneName()
{
    if (const char *tz = std::getenv("TZ"); tz && *tz) {
        std::string name = tz;
        if (name.front() == ':')
            name.erase(0, 1);
        if (const auto pos = name.find("zoneinfo/"); pos != std::string::npos)
            name = name.substr(pos + 9);
        return name.empty() ? "UTC" : name;
    }
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/etc/localtime", error).string();
    if (const auto pos = target.find("zoneinfo/"); !error && pos != std::string::npos)
        return target.substr(pos + 9);
    return "UTC";
}

namespace {

long offsetAt(std::time_t t, std::string *abbreviation = nullptr)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    if (abbreviation)
        *abbreviation = tm.tm_zone ? tm.tm_zone : "";
    return tm.tm_gmtoff;
}

std::string offsetText(long seconds)
{
    const char sign = seconds < 0 ? '-' : '+';
    const long a = std::labs(seconds) / 60;
    char text[48];
    std::snprintf(text, sizeof text, "%c%02ld%02ld", sign, a / 60, a % 60);
    return text;
}

std::time_t utcYearStart(int year)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mday = 1;
    return timegm(&tm);
}

} // namespace

std::string localTimeZoneBlock(const std::string &zoneName, int firstYear, int lastYear)
{
    (void)lastYear;
    std::string out = icalFold("BEGIN:VTIMEZONE") + icalFold("TZID:" + icalText(zoneName));
    const int year = firstYear - 1;
    const std::time_t start = utcYearStart(year);
    const std::time_t end = utcYearStart(year + 1);
    struct Transition
    {
        std::time_t at;
        long from, to;
    };
    std::vector<Transition> transitions;
    long previous = offsetAt(start);
    for (std::time_t t = start; t < end; t += 3600) {
        const long now = offsetAt(t + 3600);
        if (now == previous)
            continue;
        std::time_t lo = t, hi = t + 3600; // offset changes in (lo, hi]
        while (hi - lo > 1) {
            const std::time_t mid = lo + (hi - lo) / 2;
            (offsetAt(mid) == previous ? lo : hi) = mid;
        }
        transitions.push_back({hi, previous, now});
        previous = now;
    }
    if (transitions.empty()) {
        std::string abbreviation;
        const long offset = offsetAt(start, &abbreviation);
        out += icalFold("BEGIN:STANDARD") + icalFold("DTSTART:19700101T000000") +
               icalFold("TZOFFSETFROM:" + offsetText(offset)) +
               icalFold("TZOFFSETTO:" + offsetText(offset));
        if (!abbreviation.empty())
            out += icalFold("TZNAME:" + icalText(abbreviation));
        out += icalFold("END:STANDARD");
    }
    static constexpr const char *Days[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    for (const Transition &tr : transitions) {
        const std::time_t localBefore = tr.at + tr.from;
        std::tm tm{};
        gmtime_r(&localBefore, &tm);
        std::string abbreviation;
        offsetAt(tr.at, &abbreviation);
        const char *kind = tr.to > tr.from ? "DAYLIGHT" : "STANDARD";
        static constexpr int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const int weekInMonth =
            tm.tm_mday + 7 > MonthDays[tm.tm_mon] ? -1 : (tm.tm_mday - 1) / 7 + 1;
        char dtstart[96];
        std::snprintf(dtstart, sizeof dtstart, "%04d%02d%02dT%02d%02d%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        out += icalFold(std::string("BEGIN:") + kind) +
               icalFold(std::string("DTSTART:") + dtstart) +
               icalFold("RRULE:FREQ=YEARLY;BYMONTH=" + std::to_string(tm.tm_mon + 1) +
                        ";BYDAY=" + std::to_string(weekInMonth) + Days[tm.tm_wday]) +
               icalFold("TZOFFSETFROM:" + offsetText(tr.from)) +
               icalFold("TZOFFSETTO:" + offsetText(tr.to));
        if (!abbreviation.empty())
            out += icalFold("TZNAME:" + icalText(abbreviation));
        out += icalFold(std::string("END:") + kind);
    }
    return out + icalFold("END:VTIMEZONE");
}

namespace {

// One calendar file being written.
class CalendarFile
{
public:
    CalendarFile(const ScheduleData &d, const CalendarExportOptions &o, const RunEnvironment &env,
                 bool csvHeader)
        : m_o(o), m_env(env)
    {
        switch (o.format) {
        case CalendarFormat::Csv:
            if (csvHeader)
                m_text = csvRow({"Subject", "Start Date", "Start Time", "End Date", "End Time",
                                 "Description", "Location"});
            break;
        case CalendarFormat::VCalendar:
            m_text = "BEGIN:VCALENDAR\r\nPRODID:-//Quivra//Timetable//EN\r\nVERSION:1.0\r\n";
            break;
        case CalendarFormat::ICalendar: {
            m_zone = localZoneName();
            m_text = icalFold("BEGIN:VCALENDAR") + icalFold("PRODID:-//Quivra//Timetable//EN") +
                     icalFold("VERSION:2.0") + icalFold("CALSCALE:GREGORIAN");
            if (!o.organizer.empty())
                m_text += icalFold("METHOD:PUBLISH");
            int first = 0, month = 0, day = 0;
            serialToDate(weekDate(d, std::max(1, o.firstWeek)), first, month, day);
            m_text += localTimeZoneBlock(m_zone, first, first);
            break;
        }
        }
    }

    void add(const CalendarItem &item)
    {
        switch (m_o.format) {
        case CalendarFormat::Csv:
            m_text += csvRow({item.subject, csvDate(item.date, item.times.start),
                              csvTime(item.times.start), csvDate(item.date, item.times.end),
                              csvTime(item.times.end), item.description, item.location});
            break;
        case CalendarFormat::VCalendar: {
            auto qp = [](const std::string &name, const std::string &value) {
                const std::string head = name + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
                return head + quotedPrintable(value, head.size()) + "\r\n";
            };
            m_text += "BEGIN:VEVENT\r\n";
            m_text += "UID:" + item.uid + "\r\n";
            m_text += "DTSTART:" + utcStamp(utcOf(item.date, item.times.start)) + "\r\n";
            m_text += "DTEND:" + utcStamp(utcOf(item.date, item.times.end)) + "\r\n";
            m_text += qp("LOCATION", item.location);
            m_text += qp("DESCRIPTION", item.description);
            m_text += qp("SUMMARY", item.subject);
            m_text += "PRIORITY:3\r\nEND:VEVENT\r\n";
            break;
        }
        case CalendarFormat::ICalendar: {
            const std::string tz = ";TZID=" + m_zone + ":";
            m_text += icalFold("BEGIN:VEVENT");
            if (!m_o.organizer.empty())
                m_text += icalFold("ORGANIZER:mailto:" + m_o.organizer);
            m_text += icalFold("UID:" + icalText(item.uid));
            m_text += icalFold("DTSTAMP:" + utcStamp(m_env.now));
            m_text += icalFold("DTSTART" + tz + dateTimeText(item.date, item.times.start));
            m_text += icalFold("DTEND" + tz + dateTimeText(item.date, item.times.end));
            m_text += icalFold("SUMMARY:" + icalText(item.subject));
            m_text += icalFold("DESCRIPTION:" + icalText(item.description));
            m_text += icalFold("LOCATION:" + icalText(item.location));
            m_text += icalFold("TRANSP:OPAQUE") + icalFold("SEQUENCE:0") +
                      icalFold("CLASS:PUBLIC") + icalFold("PRIORITY:5");
            m_text += icalFold("END:VEVENT");
            break;
        }
        }
    }

    std::string finish()
    {
        if (m_o.format == CalendarFormat::ICalendar)
            m_text += icalFold("END:VCALENDAR");
        else if (m_o.format == CalendarFormat::VCalendar)
            m_text += "END:VCALENDAR\r\n";
        return std::move(m_text);
    }

private:
    const CalendarExportOptions &m_o;
    const RunEnvironment &m_env;
    std::string m_zone;
    std::string m_text;
};

bool validOrganizer(const std::string &address)
{
    if (address.find('@') == std::string::npos)
        return false;
    for (const char c : address)
        if (static_cast<unsigned char>(c) < 0x21 || c == 0x7F || c == '<' || c == '>' || c == '"' ||
            c == ':' || c == ';' || c == ',')
            return false;
    return true;
}

} // namespace

std::string resourceCalendarName(const ScheduleData &d, CodeId resource, CalendarFormat format,
                                 FileNames &names)
{
    std::string code = toLowerAscii(d.codes[resource].code.view());
    for (char &c : code)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            c = '_';
    return names.name("calendar:" + std::to_string(resource),
                      code + "." + calendarExtension(format));
}

CalendarExportResult exportCalendar(const ScheduleData &d, const CalendarExportOptions &options,
                                    FileSink &sink, FileNames &names, const RunEnvironment &env)
{
    CalendarExportResult result;
    if (!weeksDated(d)) {
        result.refused = true;
        result.message = "The weeks of this file have no dates, so its periods cannot be placed "
                         "in a calendar. Give the first week a date in the calendar options "
                         "first.";
        return result;
    }
    if (!options.organizer.empty() && !validOrganizer(options.organizer)) {
        result.refused = true;
        result.message = "\"" + options.organizer + "\" is not an e-mail address.";
        return result;
    }
    const std::string extension = calendarExtension(options.format);
    auto store = [&](const std::string &name, const std::string &text) {
        if (sink.write(name, text)) {
            ++result.files;
            result.written.push_back(name);
        } else {
            result.failed.push_back(name);
        }
    };
    const bool oneFile = options.layout == CalendarLayout::OneFile;
    CalendarFile single(d, options, env, true);
    for (const CodeId r : options.resources) {
        if (!validCode(d, r) || isEventCode(d, r))
            continue;
        const std::vector<CalendarItem> items =
            calendarItems(d, r, options.firstWeek, options.lastWeek, options.labelFormat,
                          options.manualRooms, env);
        result.items += static_cast<int>(items.size());
        if (oneFile) {
            for (const CalendarItem &item : items)
                single.add(item);
        } else if (options.layout == CalendarLayout::PerResource) {
            CalendarFile file(d, options, env, true);
            for (const CalendarItem &item : items)
                file.add(item);
            store(resourceCalendarName(d, r, options.format, names), file.finish());
        } else {
            for (const CalendarItem &item : items) {
                CalendarFile file(d, options, env, true);
                file.add(item);
                int year = 0, month = 0, day = 0;
                serialToDate(item.date, year, month, day);
                char when[64];
                std::snprintf(when, sizeof when, "_%04d_%02d_%02d_%d", year, month, day, item.bell);
                store(names.name("calendar:" + item.uid,
                                 safeSegment(toLowerAscii(d.codes[r].code.view())) + when + "." +
                                     extension),
                      file.finish());
            }
        }
    }
    if (oneFile) {
        const std::string name =
            options.fileName.empty() ? "calendar." + extension : options.fileName;
        store(names.name("calendar:file:" + name, name), single.finish());
    }
    result.message = std::to_string(result.items) + " period(s) were exported into " +
                     std::to_string(result.files) + " (." + extension + ") file(s).";
    if (!result.failed.empty())
        result.message += " " + std::to_string(result.failed.size()) +
                          " file(s) could not be written: " + result.failed.front() +
                          (result.failed.size() > 1 ? " ..." : "");
    return result;
}

} // namespace quivra
