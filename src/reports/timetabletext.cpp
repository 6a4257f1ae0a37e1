#include "reports/timetabletext.h"

#include "engine/calendar.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/textutil.h"
#include "reports/outputkit.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace quivra {
namespace {

std::string cut(std::string_view text, std::size_t n)
{
    return std::string(text.substr(0, n));
}

std::string dayName(const ScheduleData &d, int day, std::size_t n = 3)
{
    return cut(listItem(d.dayNames, day), n);
}

std::string bellName(const ScheduleData &d, int bell)
{
    return cut(d.bellNames[static_cast<std::size_t>(bell)].view(), 15);
}

// The event whose period fills a cell; 0 for a booking or a free cell.
CodeId cellEvent(const ScheduleData &d, CellWord cell)
{
    if (cellLectureWord(cell) == 0 || isBookingCell(cell))
        return 0;
    const CodeId c = cellCode(d, cell);
    return validCode(d, c) && d.codes[c].isEvent() ? c : 0;
}

// A week timetable of one code with what its cells show.
struct Table
{
    const ScheduleData &d;
    const TimetableCopy &r;
    CodeId code = 0;
    int week = 1;
    std::unique_ptr<WeekTimetable> t = std::make_unique<WeekTimetable>();

    Table(const ScheduleData &data, const TimetableCopy &request, CodeId c, int w)
        : d(data), r(request), code(c), week(w)
    {
        weekTimetableOf(d, c, w, *t, r.manualRooms);
    }

    bool occupied(int day, int bell) const
    {
        return t->cell(day, bell) != 0 || validCode(d, t->manualRoom[bell][day]);
    }

    std::string label(int day, int bell) const
    {
        const CellWord cell = t->cell(day, bell);
        const std::uint16_t word = cellLectureWord(cell);
        if (word == 0) {
            const CodeId manual = t->manualRoom[bell][day];
            return validCode(d, manual) ? "(" + formatCode(d, manual, r.showMode) + ")" : "";
        }
        if (isBookingCell(cell)) {
            const int kind = std::clamp(cellKind(cell), 1, 3);
            const int item = (word & LectureEventBit) ? kind : kind + 3;
            std::string name = listItem(d.bookingKinds.view(), item);
            return name.empty() ? listItem(d.bookingKinds.view(), kind) : name;
        }
        return formatCode(d, cellCode(d, cell), r.showMode);
    }

    std::string firstOf(CodeId e, int category) const
    {
        const CodeId m = memberOfCategory(d, category, 1, collectionOf(d, e));
        return m ? formatCode(d, m, r.showMode) : std::string();
    }

    std::string content(int day, int bell) const
    {
        const CodeId e = cellEvent(d, t->cell(day, bell));
        switch (r.content) {
        case CellContent::Event:
        case CellContent::Counts:
            return label(day, bell);
        case CellContent::Resource:
            return e ? firstOf(e, r.contentCategory) : std::string();
        case CellContent::EventPlusResource: {
            std::string s = label(day, bell);
            if (!e)
                return s;
            const std::string res = firstOf(e, r.contentCategory);
            if (!res.empty())
                return s + "/" + res;
            if (r.contentCategory == d.roomsCategory) {
                const int k = findTriple(d, week, day, bell, 0, 0, e);
                const CodeId room = k > 0 ? manualTriple(d, k).room : 0;
                if (validCode(d, room))
                    s += "/(" + formatCode(d, room, r.showMode) + ")";
            }
            return s;
        }
        case CellContent::TwoResources:
            return e ? firstOf(e, r.contentCategory) + "/" + firstOf(e, r.contentCategory2)
                     : std::string();
        case CellContent::Comments: {
            const std::int32_t date = weeksDated(d) ? weekDate(d, week) + day - 1 : 0;
            const CommentMatch m = findComment(d, week, d.codes[code].code.view(), day, bell, date);
            return m.index >= 0 ? m.text : std::string();
        }
        }
        return {};
    }
};

using CellText = std::function<std::string(int day, int bell)>;

// One timetable in the table form or the line form; the line form's header comes before the
// first timetable.
void writeTable(ClipWriter &w, const ScheduleData &d, bool lineForm, bool &headerDone,
                const std::string &corner, const CellText &text)
{
    const int days = usedDays(d), bells = usedBells(d);
    if (lineForm) {
        if (!headerDone) {
            w.empty();
            for (int day = 1; day <= days; ++day) {
                w.empty();
                for (int b = 1; b <= bells; ++b)
                    w.cell(d.bellNames[static_cast<std::size_t>(b)].view());
            }
            w.endLine();
            headerDone = true;
        }
        w.cell(corner);
        for (int day = 1; day <= days; ++day) {
            w.cell(dayName(d, day));
            for (int b = 1; b <= bells; ++b)
                w.cell(text(day, b));
        }
        w.endLine();
        return;
    }
    w.cell(corner);
    for (int day = 1; day <= days; ++day)
        w.cell(dayName(d, day));
    w.endLine();
    for (int b = 1; b <= bells; ++b) {
        w.cell(bellName(d, b));
        for (int day = 1; day <= days; ++day)
            w.cell(text(day, b));
        w.endLine();
    }
}

void writeTimetable(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r, bool &header,
                    CodeId c, int week)
{
    const Table t(d, r, c, week);
    w.beginBlock();
    writeTable(w, d, r.lineForm, header, std::string(d.codes[c].code.view()),
               [&](int day, int bell) { return t.content(day, bell); });
}

} // namespace

bool weekHasLectures(const ScheduleData &d, int week)
{
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        if (v.word != 0 && !isBookingWord(v.word) && v.startDay > 0 && v.startWeek <= week &&
            week <= v.endWeek)
            return true;
    }
    return false;
}

namespace {

// Items 5 and 6: the entries of every slot stacked in lines under their bell.
void writeStacked(ClipWriter &w, const ScheduleData &d, int week,
                  const std::function<std::vector<std::string>(int day, int bell)> &entries)
{
    const int days = usedDays(d), bells = usedBells(d);
    w.cell(formatWeek(d, week, 2));
    for (int day = 1; day <= days; ++day)
        w.cell(dayName(d, day));
    w.endLine();
    for (int b = 1; b <= bells; ++b) {
        std::vector<std::vector<std::string>> slots;
        std::size_t lines = 1;
        for (int day = 1; day <= days; ++day) {
            slots.push_back(entries(day, b));
            lines = std::max(lines, slots.back().size());
        }
        w.beginBlock();
        for (std::size_t j = 0; j < lines; ++j) {
            w.cell(j == 0 ? bellName(d, b) : std::string());
            for (const auto &slot : slots)
                w.cell(j < slot.size() ? slot[j] : std::string("-"));
            w.endLine();
        }
    }
    w.endLine();
}

void eventsBySlot(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r)
{
    std::vector<CodeId> chosen = r.codes;
    std::sort(chosen.begin(), chosen.end());
    std::vector<LectureView> lectures;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        const CodeId c = lectureCode(d, v.word);
        if (v.word != 0 && !isBookingWord(v.word) && v.startDay > 0 && v.startWeek <= r.week &&
            r.week <= v.endWeek && std::binary_search(chosen.begin(), chosen.end(), c))
            lectures.push_back(v);
    }
    writeStacked(w, d, r.week, [&](int day, int bell) {
        std::vector<std::string> out;
        std::vector<CodeId> seen;
        for (const LectureView &v : lectures) {
            const CodeId c = lectureCode(d, v.word);
            if (v.startDay <= day && day <= v.endDay && v.startBell <= bell && bell <= v.endBell &&
                std::find(seen.begin(), seen.end(), c) == seen.end()) {
                seen.push_back(c);
                out.push_back(formatCode(d, c, r.showMode));
            }
        }
        return out;
    });
}

void freeSlots(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r)
{
    std::vector<std::unique_ptr<Table>> tables;
    TimetableCopy withRooms = r;
    withRooms.manualRooms = true;
    for (const CodeId c : timetabledResources(d, r.category))
        tables.push_back(std::make_unique<Table>(d, withRooms, c, r.week));
    const bool rooms = r.category == d.roomsCategory;
    writeStacked(w, d, r.week, [&](int day, int bell) {
        std::vector<std::string> out;
        for (const auto &t : tables)
            if (t->t->cell(day, bell) == 0 &&
                (!rooms || !validCode(d, t->t->manualRoom[bell][day])))
                out.push_back(formatCode(d, t->code, r.showMode));
        return out;
    });
}

void compact(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r)
{
    const int days = usedDays(d), bells = usedBells(d);
    std::vector<CodeId> codes;
    const auto &list = r.events ? d.eventList : d.resourceList;
    for (int i = 1; i <= list[0]; ++i) {
        const CodeId c = list[static_cast<std::size_t>(i)];
        if ((r.category == 8 || categoryOf(d, c) == r.category) &&
            (r.events || !(d.codes[c].flags & NoTimetableBit)))
            codes.push_back(c);
    }
    std::vector<long long> columns(static_cast<std::size_t>(days * bells), 0);
    long long grand = 0;
    TimetableCopy withRooms = r;
    withRooms.manualRooms = !r.events;
    for (const int week : r.weeks) {
        if (!weekHasLectures(d, week))
            continue;
        w.beginBlock();
        w.cell(formatWeek(d, week, 2));
        for (int day = 1; day <= days; ++day) {
            const std::string name = dayName(d, day);
            for (int b = 1; b <= bells; ++b)
                w.cell(static_cast<std::size_t>(b) <= name.size()
                           ? std::string(1, name[static_cast<std::size_t>(b - 1)])
                           : std::string(" "));
        }
        w.empty();
        w.endLine();
        w.empty();
        for (int day = 1; day <= days; ++day)
            for (int b = 1; b <= bells; ++b)
                w.number(b);
        w.empty();
        w.endLine();
        for (const CodeId c : codes) {
            const Table t(d, withRooms, c, week);
            w.cell(d.codes[c].code.view());
            long long total = 0;
            for (int day = 1; day <= days; ++day)
                for (int b = 1; b <= bells; ++b) {
                    const bool on =
                        r.events ? cellEvent(d, t.t->cell(day, b)) != 0 : t.occupied(day, b);
                    w.cell(on ? "1" : "");
                    if (on) {
                        ++total;
                        ++columns[static_cast<std::size_t>((day - 1) * bells + b - 1)];
                    }
                }
            w.empty();
            w.number(total);
            w.endLine();
            grand += total;
        }
        w.endLine();
    }
    w.empty();
    for (const long long n : columns)
        w.number(n);
    w.empty();
    w.number(grand);
    w.endLine();
}

void slotLoad(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r)
{
    const int days = usedDays(d), bells = usedBells(d);
    bool header = false;
    TimetableCopy withRooms = r;
    withRooms.manualRooms = true;
    for (int week = 1; week <= clipLastWeek(d); ++week) {
        std::vector<long long> counts(static_cast<std::size_t>((days + 1) * (bells + 1)), 0);
        const auto at = [&](int day, int bell) -> long long & {
            return counts[static_cast<std::size_t>(day * (bells + 1) + bell)];
        };
        if (r.capacities) {
            for (int i = 1; i <= d.eventList[0]; ++i) {
                const CodeId e = d.eventList[static_cast<std::size_t>(i)];
                const Table t(d, r, e, week);
                const int s = seats(d, e);
                for (int day = 1; day <= days; ++day)
                    for (int b = 1; b <= bells; ++b)
                        if (cellEvent(d, t.t->cell(day, b)) == e)
                            at(day, b) += s;
            }
        } else {
            for (const CodeId c : r.codes) {
                if (!validCode(d, c) || d.codes[c].isEvent())
                    continue;
                const Table t(d, withRooms, c, week);
                for (int day = 1; day <= days; ++day)
                    for (int b = 1; b <= bells; ++b)
                        if (t.occupied(day, b))
                            ++at(day, b);
            }
        }
        w.beginBlock();
        writeTable(w, d, r.lineForm, header, formatWeek(d, week, 3),
                   [&](int day, int bell) { return std::to_string(at(day, bell)); });
    }
}

bool calendar(ClipWriter &w, const ScheduleData &d, const TimetableCopy &r)
{
    if (!weeksDated(d))
        return false;
    int y = 0, m = 0, day = 0;
    serialToDate(weekDate(d, r.firstWeek), y, m, day);
    const std::int32_t first = dateSerial(y, m, 1);
    serialToDate(weekDate(d, r.lastWeek + 1) - 1, y, m, day);
    const std::int32_t monthEnd =
        m == 12 ? dateSerial(y + 1, 1, 1) - 1 : dateSerial(y, m + 1, 1) - 1;
    const std::int32_t last = std::min<std::int32_t>(monthEnd, first + 254);
    const bool truncated = monthEnd > last;
    const int weeks = usedWeeks(d);
    const std::int32_t calendarEnd = weekDate(d, weeks + 1);
    const std::size_t chars = static_cast<std::size_t>(std::clamp(r.characters, 1, 15));
    // The week and weekday of each date; week 0 outside the calendar's weeks.
    std::vector<std::pair<int, int>> slots;
    for (std::int32_t s = first; s <= last; ++s) {
        int week = 0;
        for (int k = 1; k <= weeks; ++k)
            if (weekDate(d, k) <= s)
                week = k;
        int weekday = 0;
        if (week > 0 && s < calendarEnd) {
            weekday = static_cast<int>((s - weekDate(d, week)) % 7) + 1;
            if (weekday > usedDays(d))
                weekday = 0;
        }
        slots.emplace_back(weekday > 0 ? week : 0, weekday);
    }
    for (const CodeId c : timetabledResources(d, r.category)) {
        w.beginBlock();
        w.empty();
        for (std::int32_t s = first; s <= last; ++s) {
            serialToDate(s, y, m, day);
            const std::string month = formatDateTime("mmmm", s);
            w.cell(static_cast<std::size_t>(day) <= month.size()
                       ? std::string(1, month[static_cast<std::size_t>(day - 1)])
                       : std::string());
        }
        w.endLine();
        w.cell(d.codes[c].code.view());
        for (std::int32_t s = first; s <= last; ++s) {
            serialToDate(s, y, m, day);
            w.number(day);
        }
        w.endLine();
        w.empty();
        for (std::int32_t s = first; s <= last; ++s)
            w.cell(cut(listItem(d.dayNames, isoWeekday(s)), 1));
        w.endLine();
        std::vector<std::unique_ptr<Table>> tables(static_cast<std::size_t>(weeks + 1));
        for (int b = 1; b <= usedBells(d); ++b) {
            w.cell(bellName(d, b));
            for (const auto &[week, weekday] : slots) {
                if (week == 0) {
                    w.empty();
                    continue;
                }
                auto &t = tables[static_cast<std::size_t>(week)];
                if (!t)
                    t = std::make_unique<Table>(d, r, c, week);
                w.cell(cut(t->label(weekday, b), chars));
            }
            w.endLine();
        }
    }
    return !truncated;
}

} // namespace

std::vector<CodeId> timetabledResources(const ScheduleData &d, int category)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= d.resourceList[0]; ++i) {
        const CodeId c = d.resourceList[static_cast<std::size_t>(i)];
        if (validCode(d, c) && categoryOf(d, c) == category && !(d.codes[c].flags & NoTimetableBit))
            out.push_back(c);
    }
    return out;
}

ClipWriter copyTimetables(const ScheduleData &d, const TimetableCopy &r, bool *truncated)
{
    ClipWriter w;
    bool header = false;
    if (truncated)
        *truncated = false;
    switch (r.item) {
    case 1:
        if (validCode(d, r.code))
            writeTimetable(w, d, r, header, r.code, r.week);
        break;
    case 2:
        if (validCode(d, r.code) && d.codes[r.code].isEvent()) {
            MemberList m = collectionOf(d, r.code);
            dropNoTimetable(d, m);
            for (int i = 1; i <= m[0]; ++i)
                writeTimetable(w, d, r, header, m[static_cast<std::size_t>(i)], r.week);
        }
        break;
    case 3:
    case 7: {
        TimetableCopy c = r;
        if (r.item == 7)
            c.content = CellContent::Comments;
        for (const CodeId res : timetabledResources(d, r.category))
            writeTimetable(w, d, c, header, res, r.week);
        break;
    }
    case 4:
        if (validCode(d, r.code))
            for (int week = 1; week <= usedWeeks(d); ++week)
                writeTimetable(w, d, r, header, r.code, week);
        break;
    case 5:
        eventsBySlot(w, d, r);
        break;
    case 6:
        freeSlots(w, d, r);
        break;
    case 8:
        compact(w, d, r);
        break;
    case 9:
        slotLoad(w, d, r);
        break;
    case 10:
        if (!calendar(w, d, r) && truncated && weeksDated(d))
            *truncated = true;
        break;
    default:
        break;
    }
    return w;
}

} // namespace quivra
