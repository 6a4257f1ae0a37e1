#pragma once

// The timetable quality list: the resource-weeks with gaps, most scattered first.
//
// A row is one week of one resource that has timetables and is not a room: G its gaps, D the
// longest day span less the shortest, S the spread of the first and last bells beyond the
// longest span, all from the day measures of that week. Rows rank by 30 G + D + S, then by
// CodeId and by week, all descending; the best MaxQualityListRows of every week of the range
// are kept, so a long range never loses its worst timetables to its early weeks.

#include "engine/scheduledata.h"

#include <string>
#include <vector>

namespace quivra {

constexpr int MaxQualityListRows = 10000;

struct QualityListRow
{
    CodeId resource = 0;
    int week = 0;
    int gaps = 0;   // G
    int spread = 0; // D
    int idle = 0;   // S
    int score() const { return 30 * gaps + spread + idle; }
    friend bool operator==(const QualityListRow &, const QualityListRow &) = default;
};
// True when a ranks before b.
bool ranksBefore(const QualityListRow &a, const QualityListRow &b);

struct QualityList
{
    std::vector<QualityListRow> rows; // ranked
    int firstWeek = 1;
    int weeks = 0;     // weeks of the range
    int resources = 0; // resources whose timetables were measured
    long long gapSum = 0, spreadSum = 0, idleSum = 0;
};

// The rows of weeks firstWeek..the end week of what is scheduled; booked cells count as
// occupied with `bookings`.
QualityList timetableQuality(const ScheduleData &d, int firstWeek, bool bookings);

// "T1                 - 2 - [G=2 D=1 S=1]": the code padded to 18 characters and, when more
// than one week is scheduled, the week.
std::string qualityLine(const ScheduleData &d, const QualityListRow &row);
// The text above the list: the timetables analysed and the averages of G, D and S.
std::string qualityTitle(const QualityList &list);

} // namespace quivra
