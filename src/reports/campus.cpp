#include "reports/campus.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "reports/outputkit.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quivra {

namespace {

// A field as written: every ";" and line break becomes "_".
std::string field(std::string_view text, int &cleaned)
{
    std::string out(text);
    bool changed = false;
    for (char &c : out) {
        if (c == ';' || c == '\r' || c == '\n') {
            c = '_';
            changed = true;
        }
    }
    cleaned += changed ? 1 : 0;
    return out;
}

std::string bellName(const ScheduleData &d, int bell)
{
    const auto &name = d.bellNames[static_cast<std::size_t>(bell)];
    return name.empty() ? std::to_string(bell) : name.str();
}

std::string code(const ScheduleData &d, CodeId c)
{
    return d.codes[c].code.str();
}

CodeId firstOf(const ScheduleData &d, const MemberList &m, int category)
{
    for (int i = 1; i <= m[0]; ++i)
        if (categoryOf(d, m[i]) == category)
            return m[i];
    return 0;
}

} // namespace

std::string campusExportName(CampusExportKind kind)
{
    switch (kind) {
    case CampusExportKind::NewCourse:
        return "Campus Solutions (Schedule New Course).csv";
    case CampusExportKind::Exams:
        return "Campus Solutions (Schedule Exams).csv";
    case CampusExportKind::Exams2:
        return "Campus Solutions (Schedule Exams 2).csv";
    }
    return {};
}

CampusExport campusExport(const ScheduleData &d, CampusExportKind kind, const CampusRoles &roles,
                          const std::bitset<WeekTableSize> &weeks, std::string_view dateFormat)
{
    CampusExport out;
    const bool exams = kind != CampusExportKind::NewCourse;
    const bool dated = weeksDated(d);
    const int lastWeek = std::max<int>(d.scheduleExtent.endWeek, 1);
    WeekAllocation wa;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[i];
        if (exams && roles.exams >= 1 && roles.exams <= MaxCategories &&
            categoryOf(d, e) != roles.exams)
            continue;
        const MemberList m = collectionOf(d, e);
        const CodeId room = firstOf(d, m, roles.rooms);
        const CodeId lecturer = firstOf(d, m, roles.lecturers);
        const CodeId invigilator = firstOf(d, m, roles.invigilators);
        std::vector<CodeId> students;
        for (int k = 1; k <= m[0]; ++k)
            if (categoryOf(d, m[k]) == roles.students)
                students.push_back(m[k]);
        if ((kind == CampusExportKind::NewCourse && (room == 0 || lecturer == 0)) ||
            (kind == CampusExportKind::Exams && students.empty()) ||
            (kind == CampusExportKind::Exams2 &&
             (room == 0 || invigilator == 0 || students.empty())))
            continue;

        loadWeekAllocation(d, e, wa);
        for (const LectureView &v : wa.timetable) {
            if (isBookingWord(v.word))
                continue;
            for (int w = v.startWeek; w <= std::min<int>(v.endWeek, lastWeek); ++w) {
                if (!weeks.test(static_cast<std::size_t>(w)))
                    continue;
                // A dated week that stands for several real weeks meets in each of them.
                const int repeats = dated ? std::max(1, weekLength(d, w)) : 1;
                for (int day = v.startDay; day <= v.endDay; ++day) {
                    for (int r = 0; r < repeats; ++r) {
                        const std::string date =
                            dated ? formatDateTime(dateFormat, weekDate(d, w) + 7 * r + day - 1)
                                  : std::to_string(w);
                        std::string head = "=" + field(code(d, e), out.fieldsCleaned) + ";" +
                                           field(date, out.fieldsCleaned) + ";" +
                                           field(bellName(d, v.startBell), out.fieldsCleaned) +
                                           ";" + field(bellName(d, v.endBell), out.fieldsCleaned) +
                                           ";";
                        const std::string tail =
                            std::to_string(day) + ";" + std::to_string(w) + "\r\n";
                        if (kind == CampusExportKind::NewCourse) {
                            out.text += std::to_string(++out.lines) + head +
                                        field(code(d, room), out.fieldsCleaned) + ";" +
                                        field(code(d, lecturer), out.fieldsCleaned) + ";" + tail;
                            continue;
                        }
                        if (kind == CampusExportKind::Exams2)
                            head += field(code(d, room), out.fieldsCleaned) + ";" +
                                    field(code(d, invigilator), out.fieldsCleaned) + ";";
                        for (CodeId s : students)
                            out.text += std::to_string(++out.lines) + head +
                                        field(code(d, s), out.fieldsCleaned) + ";" + tail;
                    }
                }
            }
        }
    }
    return out;
}

std::string campusOf(std::string_view name)
{
    const std::size_t at = name.find('@');
    if (at == std::string_view::npos)
        return {};
    std::string campus;
    for (std::size_t i = at + 1; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80 || !(std::isalnum(c) || c == '_'))
            break;
        campus.push_back(static_cast<char>(c));
    }
    return campus;
}

CampusSummary campusSummary(const ScheduleData &d, int roomsCategory)
{
    CampusSummary summary;
    for (int i = 1; i <= d.resourceList[0]; ++i) {
        const CodeId r = d.resourceList[i];
        if (categoryOf(d, r) != roomsCategory)
            continue;
        ++summary.rooms;
        const std::string campus = campusOf(d.codes[r].name.view());
        if (campus.empty())
            continue;
        ++summary.roomsWithCampus;
        auto it = std::find_if(summary.campuses.begin(), summary.campuses.end(),
                               [&](const CampusFigures &f) { return f.name == campus; });
        if (it == summary.campuses.end()) {
            summary.campuses.push_back({campus, 0, 0, 0});
            it = summary.campuses.end() - 1;
        }
        it->scheduled += d.codes[r].scheduled;
        it->allocated += d.codes[r].allocated;
        it->links += d.codes[r].links;
    }
    return summary;
}

CampusCheck campusCollisions(const ScheduleData &d, const std::vector<CodeId> &resources,
                             int roomsCategory, int firstWeek, int lastWeek)
{
    CampusCheck check;
    WeekTimetable t;
    struct Found
    {
        std::string campus;
        CodeId room, event;
    };
    for (CodeId r : resources) {
        if (!validCode(d, r) || d.codes[r].isEvent() || categoryOf(d, r) == roomsCategory ||
            (d.codes[r].flags & NoTimetableBit))
            continue;
        for (int w = std::max(firstWeek, 1); w <= std::min(lastWeek, usedWeeks(d)); ++w) {
            weekTimetableOf(d, r, w, t);
            for (int day = 1; day <= usedDays(d); ++day) {
                std::vector<Found> found;
                const auto take = [&](CodeId room, CodeId e) {
                    if (room == 0)
                        return;
                    const std::string campus = campusOf(d.codes[room].name.view());
                    if (campus.empty() ||
                        std::any_of(found.begin(), found.end(),
                                    [&](const Found &f) { return f.campus == campus; }))
                        return;
                    found.push_back({campus, room, e});
                };
                for (int bell = 1; bell <= usedBells(d); ++bell) {
                    const CellWord cell = t.cell(day, bell);
                    if (cell == 0 || isBookingCell(cell))
                        continue;
                    const CodeId e = cellCode(d, cell);
                    if (!validCode(d, e) || !d.codes[e].isEvent())
                        continue;
                    const MemberList m = collectionOf(d, e);
                    if (countInCategory(d, roomsCategory, m) >= 2)
                        continue;
                    take(firstOf(d, m, roomsCategory), e);
                    if (const int k = findTriple(d, w, day, bell, 0, 0, e); k > 0)
                        take(manualTriple(d, k).room, e);
                }
                if (found.size() < 2)
                    continue;
                if (static_cast<int>(check.collisions.size()) >= MaxCampusCollisions) {
                    check.truncated = true;
                    return check;
                }
                check.collisions.push_back(
                    {w, day, r, found[0].event, found[0].room, found[1].event, found[1].room});
            }
        }
    }
    return check;
}

std::string campusCollisionLine(const ScheduleData &d, int number, const CampusCollision &c,
                                std::string_view dateFormat)
{
    char head[16];
    std::snprintf(head, sizeof head, "%4d: ", number);
    std::string line = head;
    if (weeksDated(d) && weekLength(d, c.week) == 1)
        line += formatDateTime(dateFormat, weekDate(d, c.week) + c.day - 1) + " ";
    else
        line += formatWeek(d, c.week, 2) + " (" + formatDayBell(d, c.day, 0, 1) + ") ";
    line += code(d, c.resource) + ": " + code(d, c.eventA) + " (" + code(d, c.roomA) + ") <> " +
            code(d, c.eventB) + " (" + code(d, c.roomB) + ")";
    return line;
}

} // namespace quivra
