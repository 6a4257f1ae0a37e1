#include "checks/quality.h"

#include "checks/textformat.h"
#include "checks/toplist.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/gaps.h"
#include "engine/lectures.h"

#include <algorithm>
#include <cstdio>

namespace quivra {

namespace {

using checks::format;

} // namespace

bool ranksBefore(const QualityListRow &a, const QualityListRow &b)
{
    if (a.score() != b.score())
        return a.score() > b.score();
    if (a.resource != b.resource)
        return a.resource > b.resource;
    return a.week > b.week;
}

QualityList timetableQuality(const ScheduleData &d, int firstWeek, bool bookings)
{
    QualityList list;
    const int last = std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks);
    list.firstWeek = std::max(firstWeek, 1);
    list.weeks = std::max(0, last - list.firstWeek + 1);

    std::vector<CodeId> resources;
    for (int i = 1; i <= std::min<int>(d.resourceList[0], MaxCodes); ++i) {
        const CodeId r = d.resourceList[static_cast<std::size_t>(i)];
        if (validCode(d, r) && !d.codes[r].isEvent() && !(d.codes[r].flags & NoTimetableBit) &&
            categoryOf(d, r) != d.roomsCategory)
            resources.push_back(r);
    }
    list.resources = static_cast<int>(resources.size());

    const LectureIndex index(d);
    const std::vector<std::vector<CodeId>> eventsOf = eventsByResource(d);
    // A bounded heap whose top is the row ranked last of those kept.
    std::vector<QualityListRow> &heap = list.rows;
    for (int w = list.firstWeek; w <= last; ++w) {
        for (const CodeId r : resources) {
            const DayMeasures m = dayMeasures(d, r, w, w, bookings, index, eventsOf[r]);
            if (m.occupied == 0 || m.gaps <= 0)
                continue;
            QualityListRow row;
            row.resource = r;
            row.week = w;
            row.gaps = m.gaps;
            row.spread = std::max(0, m.longestSpan - m.shortestSpan);
            row.idle = std::max(0, (m.latestLast - m.earliestFirst + 1) - m.longestSpan);
            offerToTopList(heap, MaxQualityListRows, row, ranksBefore);
        }
    }
    std::sort(heap.begin(), heap.end(), ranksBefore);
    // The averages describe the rows listed.
    for (const QualityListRow &row : heap) {
        list.gapSum += row.gaps;
        list.spreadSum += row.spread;
        list.idleSum += row.idle;
    }
    return list;
}

std::string qualityLine(const ScheduleData &d, const QualityListRow &row)
{
    std::string code = formatCode(d, row.resource, ShowCode);
    if (code.size() < 18)
        code.resize(18, ' ');
    const std::string week =
        d.scheduleExtent.endWeek > 1 ? " - " + formatWeek(d, row.week, 3) + " - " : std::string();
    return format("%s %s [G=%d D=%d S=%d]", code.c_str(), week.c_str(), row.gaps, row.spread,
                  row.idle);
}

std::string qualityTitle(const QualityList &list)
{
    if (list.rows.empty())
        return "\r\n\r\nNo scheduled timetables found.";
    const double n = static_cast<double>(list.rows.size());
    return format("%dx%d=%d timetables in %d week(s) sorted by gaps.%s", list.resources, list.weeks,
                  list.resources * list.weeks, list.weeks, "\r\n") +
           format("G=number of gaps (average %.2f),%s", static_cast<double>(list.gapSum) / n,
                  "\r\n") +
           format("D=day length range (average %.2f),%s", static_cast<double>(list.spreadSum) / n,
                  "\r\n") +
           format("S=first and last slot range (average %.2f)",
                  static_cast<double>(list.idleSum) / n);
}

} // namespace quivra
