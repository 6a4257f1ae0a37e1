#include "reports/bookingtext.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "reports/calendarexport.h"
#include "reports/outputkit.h"

#include <algorithm>
#include <array>
#include <memory>
#include <tuple>

namespace quivra {
namespace {

// The booking kind of every (week, day, bell) one code has booked; 0 for none.
using KindGrid =
    std::array<std::array<std::array<std::uint8_t, MaxBells + 1>, MaxDays + 1>, WeekTableSize>;

// A date serial and minutes past midnight, with minutes beyond the day carried into the date.
std::string dateAndTime(std::string_view format, std::int32_t serial, int minutes)
{
    serial += minutes / (24 * 60);
    minutes %= 24 * 60;
    return formatDateTime(format, serial, minutes);
}

} // namespace

ClipWriter copyBookings(const ScheduleData &d)
{
    ClipWriter out;
    const int weeks = std::clamp(usedWeeks(d), 0, weekCap(d));
    const int days = std::clamp(usedDays(d), 0, dayCap(d));
    const int bells = std::clamp(usedBells(d), 0, bellCap(d));
    const LectureIndex index(d);
    auto grid = std::make_unique<KindGrid>();
    WeekAllocation wa;
    for (int i = 1; i <= d.resourceList[0]; ++i) {
        const CodeId r = d.resourceList[static_cast<std::size_t>(i)];
        if (!validCode(d, r))
            continue;
        loadWeekAllocation(d, r, wa, index);
        bool any = false;
        *grid = KindGrid{};
        for (std::size_t k = 0; k < wa.timetable.size(); ++k) {
            const LectureView &v = wa.timetable[k];
            if (!isBookingWord(v.word))
                continue;
            const int kind = std::clamp<int>(
                k < wa.timetableKinds.size() ? wa.timetableKinds[k] & 0xFF : 1, 1, 3);
            for (int w = std::max<int>(v.startWeek, 1); w <= std::min<int>(v.endWeek, weeks); ++w)
                for (int day = std::max<int>(v.startDay, 1); day <= std::min<int>(v.endDay, days);
                     ++day)
                    for (int b = std::max<int>(v.startBell, 1);
                         b <= std::min<int>(v.endBell, bells); ++b) {
                        (*grid)[static_cast<std::size_t>(w)][static_cast<std::size_t>(day)]
                               [static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(kind);
                        any = true;
                    }
        }
        if (!any)
            continue;
        for (int w = 1; w <= weeks; ++w)
            for (int day = 1; day <= days; ++day) {
                const auto &column =
                    (*grid)[static_cast<std::size_t>(w)][static_cast<std::size_t>(day)];
                for (int b = 1; b <= bells; ++b) {
                    const int kind = column[static_cast<std::size_t>(b)];
                    if (kind == 0)
                        continue;
                    int last = b;
                    while (last < bells && column[static_cast<std::size_t>(last + 1)] == kind)
                        ++last;
                    out.beginBlock();
                    out.cell(d.codes[r].code.view());
                    out.number(w);
                    out.number(day);
                    out.number(b);
                    out.number(last);
                    out.number(kind);
                    out.endLine();
                    b = last;
                }
            }
    }
    return out;
}

ClipWriter copyScheduleLines(const ScheduleData &d, const ScheduleLinesRequest &r)
{
    ClipWriter out;
    const bool dated = weeksDated(d);
    if (!dated &&
        (r.format == ScheduleLines::DateSlots || r.format == ScheduleLines::StartEndRooms))
        return out;
    std::array<bool, WeekTableSize> chosen{};
    for (const int w : r.weeks)
        if (w >= 1 && w <= weekCap(d))
            chosen[static_cast<std::size_t>(w)] = true;
    const LectureIndex index(d);
    WeekAllocation wa;
    for (const CodeId e : r.events) {
        if (!validCode(d, e) || !d.codes[e].isEvent())
            continue;
        loadWeekAllocation(d, e, wa, index);
        // (week, day, first bell, last bell) of every day of every placed lecture.
        std::vector<std::tuple<int, int, int, int>> days;
        for (const LectureView &v : wa.timetable) {
            if (isBookingWord(v.word) || v.startDay == 0)
                continue;
            for (int w = v.startWeek; w <= v.endWeek; ++w) {
                if (w < 1 || w > weekCap(d) || !chosen[static_cast<std::size_t>(w)])
                    continue;
                for (int day = v.startDay; day <= v.endDay; ++day)
                    days.emplace_back(w, day, v.startBell, v.endBell);
            }
        }
        std::sort(days.begin(), days.end());
        std::vector<CodeId> rooms;
        if (r.format == ScheduleLines::StartEndRooms) {
            const MemberList m = collectionOf(d, e);
            for (int i = 1; i <= m[0]; ++i) {
                const CodeId c = m[static_cast<std::size_t>(i)];
                if (validCode(d, c) && !d.codes[c].isEvent() && categoryOf(d, c) == d.roomsCategory)
                    rooms.push_back(c);
            }
        }
        const std::string_view code = d.codes[e].code.view();
        for (const auto &[w, day, first, last] : days) {
            switch (r.format) {
            case ScheduleLines::WeekDaySlots:
                out.beginBlock();
                out.cell(code);
                out.number(w);
                out.number(day);
                out.number(first);
                out.number(last);
                out.endLine();
                break;
            case ScheduleLines::DateSlots:
                out.beginBlock();
                out.cell(code);
                out.cell(formatDateTime(r.dateFormat, weekDate(d, w) + day - 1));
                out.number(first);
                out.number(last);
                out.endLine();
                break;
            case ScheduleLines::StartEndRooms: {
                const std::int32_t date = weekDate(d, w) + day - 1;
                const ClockSpan span = bellSpanTimes(d, first, last - first + 1);
                const std::string format = r.dateFormat + " t";
                out.beginBlock();
                out.cell(code);
                out.cell(d.codes[e].name.view());
                out.cell(dateAndTime(format, date, span.start));
                out.cell(dateAndTime(format, date, span.end));
                for (const CodeId room : rooms)
                    out.cell(d.codes[room].code.view());
                out.endLine();
                break;
            }
            case ScheduleLines::WeekDaySlot:
                for (int b = first; b <= last; ++b) {
                    out.beginBlock();
                    out.cell(code);
                    out.number(w);
                    out.number(day);
                    out.number(b);
                    out.endLine();
                }
                break;
            }
        }
    }
    return out;
}

} // namespace quivra
