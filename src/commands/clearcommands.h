#pragma once

// The Clear commands of the Tools menu and deleting a range of weeks. Each asks first (the codes,
// the weeks, whether locked events may change), and a Cancel at any question ends it with
// nothing changed; it ends with one message counting what it did and returns whether it
// changed the data set.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>

namespace quivra {

// What the Clear commands 1 to 4 remove; the values combine.
enum ClearPart : int {
    ClearPartAllocations = 1,    // weekly periods (their placements go with them)
    ClearPartWeekBookings = 2,   // weekly bookings
    ClearPartPlacements = 4,     // scheduled periods
    ClearPartTableBookings = 8,  // timetable bookings of resources
    ClearPartAskWeekRange = 128, // all weeks, narrowed by asking for a first and last week
};

// Clear 1 to 4 (and the Weeks view's "Clear in week"): `parts` is one ClearPart, with
// ClearPartAskWeekRange for all weeks; without it only `week` is cleared. The user picks the
// codes, confirms, and says whether locked events may change. When scheduled periods go, the
// manual rooms of the cleared events in those weeks go too. True when anything was cleared.
bool clearPeriods(ScheduleData &d, Prompter &p, int parts, int week = 0);

// Clear 5 and 6: removes the picked events (or resources) for good.
bool removeCodes(ScheduleData &d, Prompter &p, bool events);
// Clear 7: removes the picked resources from the collections of the picked events.
bool removeEventResources(ScheduleData &d, Prompter &p);
// Clear 8: the comments of a range of weeks, and on request the rest.
bool clearComments(ScheduleData &d, Prompter &p);
// Clear 9: every memo.
bool clearMemos(ScheduleData &d, Prompter &p);
// Clear 10: deletes a range of weeks; later weeks move up. Refused silently while no lectures
// lie beyond week 1. `activeWeek` is the default first week and is held within the weeks left.
bool deleteWeekRange(ScheduleData &d, Prompter &p, int &activeWeek);

} // namespace quivra
