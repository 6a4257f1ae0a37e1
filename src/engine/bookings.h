#pragma once

// Slot bookings of events and resources: writing a week's booking cells back, copying them to
// other weeks and codes, booking and cancelling ranges, and the booking kinds.

#include "engine/conflicts.h"
#include "engine/scheduledata.h"

#include <string_view>

namespace quivra {

enum class BookingWrite {
    Replace,    // c's bookings of the week become the booking cells of the timetable
    RemoveOnly, // c's bookings of the week are removed; the timetable is not read
};
// Replaces c's slot bookings of week w by the cells of `t` that hold a booking of c, or removes
// them only. Periods are never touched, and a cell of `t` that shows a period keeps the booking
// c already has there. Returns the booked cells written.
int writeWeekBookings(ScheduleData &d, BookingWrite mode, CodeId c, int w, const WeekTimetable &t);

// Copies the booking cells c's timetable shows in week s (not those hidden under a period) into
// free cells of weeks first..last; with `replace` c's bookings of the target weeks are cleared
// first, when week s shows anything at all. Returns cells copied.
int copyBookingsToWeeks(ScheduleData &d, CodeId c, int s, int first, int last, bool replace);
int copyBookingsToCode(ScheduleData &d, CodeId source, CodeId target, int sourceWeek,
                       int targetWeek, bool replace);
enum class SlotBookingMode { Book, Cancel };
// Book: books free cells (with `any` also over c's own bookings) with `kind`; Cancel: cancels
// c's bookings (of `kind`, or all with `any`) in the days and bells of `range` over its weeks.
// Returns the booked cells written back.
int setSlotBookings(ScheduleData &d, CodeId c, SlotBookingMode mode, int kind, bool any,
                    const TimeRange &range);
// Whose bookings a kind belongs to: the kinds of events and of resources are named apart.
enum class BookingOwner { Events, Resources };
// Gives every booking of events (or of resources) the kind; returns the entries changed.
int changeBookingKinds(ScheduleData &d, BookingOwner owner, int kind);
// Renames booking kind 1..3 of events or resources; false for another kind or a name that
// does not fit the list.
bool renameBookingKind(ScheduleData &d, int kind, BookingOwner owner, std::string_view name);

} // namespace quivra
