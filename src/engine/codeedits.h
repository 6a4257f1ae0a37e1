#pragma once

// Edits of single fields of the data set that the commands make: a code's colour, category and
// name, the category rules of resource timetables, the default booking kinds, the conflict-source
// counters, and the comment and memo lists as a whole.
//
// The category masks hold events in entry 0 and resources in entry 1 (ResourceMasks).
//
// Like every operation of the engine, each marks the data set modified when, and only when, it
// changed what the data set holds; commands above never set the flag themselves.

#include "engine/bookings.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace quivra {

// The entry of the category masks that holds the resource categories.
constexpr std::size_t ResourceMasks = 1;

// Code c's colour (0x00BBGGRR, 0 for none); false for an invalid code.
bool setCodeColour(ScheduleData &d, CodeId c, std::int32_t colour);

// Moves `codes` (all of one kind) to `category` 1..7: the flag word is rebuilt (an event keeps
// its lock, a resource takes its category's no-timetable rule; marks are cleared) and the data
// set recounted with its totals.
void setCodesCategory(ScheduleData &d, const std::vector<CodeId> &codes, int category);

// Code c's name, cut to the stored length; false for an invalid code.
bool setCodeName(ScheduleData &d, CodeId c, std::string_view name);
// Event c's PLANNED periods, kept within its ALLOCATED (at least 1) and the total number of
// slots; false for an invalid code or a resource (whose PLANNED is a total of its events).
bool setCodePlanned(ScheduleData &d, CodeId c, int planned);

// The no-timetable and no-gaps masks of the resource categories; a changed no-timetable mask is
// carried into every resource's flag by a recount. True when either mask changed.
bool setResourceCategoryRules(ScheduleData &d, std::uint8_t noTimetable, std::uint8_t noGaps);

// The category name lists of events and resources and the booking kind names ("$"-terminated
// items; see the code table). Lists longer than the stored 255 characters are refused (false,
// nothing changed). Codes keep their categories: only the names change.
bool setCategoryLists(ScheduleData &d, std::string_view events, std::string_view resources,
                      std::string_view bookingKinds);

// The kinds (1..3) new event and resource bookings get, and whether bookings count as occupied
// cells in the gap figures.
void setBookingDefaults(ScheduleData &d, int eventKind, int resourceKind, bool occupied);
void setDefaultBookingKind(ScheduleData &d, BookingOwner owner, int kind);

// Counts one more occasion of conflict source k (0..7), dated `today`: the high half counts the
// occasions (held below the sign bit), the low half carries the day of the latest.
void noteConflictSource(ScheduleData &d, int k, std::int32_t today);
// Occasions counted by conflict source k (1..3); 0 for any other k.
int conflictSourceCount(const ScheduleData &d, int k);
// Clears every conflict-source counter (after the conflicts they stood for were removed).
void resetConflictSources(ScheduleData &d);

// Every comment, or every memo line; the number that went.
int eraseAllComments(ScheduleData &d);
int eraseAllMemos(ScheduleData &d);

// The resource category of rooms (1..7); false, nothing changed, for another number or the
// category it already is.
bool setRoomsCategory(ScheduleData &d, int category);

} // namespace quivra
