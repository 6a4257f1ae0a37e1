#pragma once

// Small helpers of the scheduling tests: a one-day block, a code's week entries as rows, and the
// cells a code holds in a week.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"
#include "engine/weekstore.h"

#include <cstdint>
#include <vector>

namespace quivra {

inline LectureView block(int w1, int w2, int day, int b1, int b2)
{
    LectureView v;
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.startDay = v.endDay = static_cast<std::uint8_t>(day);
    v.startBell = static_cast<std::uint8_t>(b1);
    v.endBell = static_cast<std::uint8_t>(b2);
    return v;
}

// Week entries of code c as (start week, end week, count), booking entries with count = kind.
struct WeekEntryRow
{
    int first, last, count;
    bool booking;
    friend bool operator==(const WeekEntryRow &, const WeekEntryRow &) = default;
};

inline std::vector<WeekEntryRow> weekEntriesOf(ScheduleData &d, int c)
{
    compactLectures(d);
    std::vector<WeekEntryRow> rows;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        if (lectureCode(d, v.word) == c && v.startDay == 0)
            rows.push_back({v.startWeek, v.endWeek,
                            isBookingWord(v.word) ? (d.bookingKind[i] & 0xFF) : v.count,
                            isBookingWord(v.word)});
    }
    return rows;
}

// Cells of c's timetable lectures in week w, periods or bookings.
inline int cellsIn(ScheduleData &d, CodeId c, int w, bool bookings = false)
{
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    return bookings ? wa.tableBooked[w] : wa.scheduled[w];
}

} // namespace quivra
