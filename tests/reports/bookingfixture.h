#pragma once

// The clipboard fixture with more bookings: besides T2's booking of week 1, day 1, bell 1, one of
// T2 hidden under B2's period (week 1, day 3, bell 3), and R1 booked in week 2 on day 3 with kind
// 2 for bells 1-2 and kind 3 for bell 3, so one day gives two runs.

#include "clipfixture.h"
#include "engine/bookings.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/weekstore.h"

namespace quivra {

inline std::unique_ptr<ScheduleData> bookingFixture(bool dated = true)
{
    auto d = clipFixture(dated);
    const CodeId t2 = findCode(*d, "T2"), r1 = findCode(*d, "R1");
    WeekTimetable t;
    bookingTimetableOf(*d, t2, 1, t);
    t.cellRef(3, 3) = makeCell(static_cast<std::uint16_t>(ownWord(*d, t2) | LectureBookingBit), 1);
    writeWeekBookings(*d, BookingWrite::Replace, t2, 1, t);
    TimeRange range;
    range.startWeek = range.endWeek = 2;
    range.startDay = range.endDay = 3;
    range.startBell = 1;
    range.endBell = 2;
    setSlotBookings(*d, r1, SlotBookingMode::Book, 2, false, range);
    range.startBell = range.endBell = 3;
    setSlotBookings(*d, r1, SlotBookingMode::Book, 3, false, range);
    recount(*d);
    totals(*d, 1, d->codeCount);
    allResourceTotals(*d);
    d->modified = false;
    return d;
}

} // namespace quivra
