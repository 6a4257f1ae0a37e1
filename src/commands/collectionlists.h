#pragma once

// Collections as plain lists, for the dialogs that edit them (the Collections editor and Modify
// collections).

#include "engine/conflicts.h"
#include "engine/scheduledata.h"

#include <vector>

namespace quivra {

// The resources of `event`, in collection order, exactly as stored: a resource entered twice
// stays twice, so an editor that puts the collection back restores it as it was.
std::vector<CodeId> membersOf(const ScheduleData &d, CodeId event);
// The resources the event really has: in collection order, each once, entries that name no code
// left out. What counts and comparisons of collections use.
std::vector<CodeId> distinctMembersOf(const ScheduleData &d, CodeId event);
// Stores `members` (at most a collection's worth) as the collection of `event`; false when the
// collection list has no room for them.
bool storeMembers(ScheduleData &d, CodeId event, const std::vector<CodeId> &members);
// The cells code `c` occupies, its bookings included; empty for a code that does not exist.
OccupancyMap occupancyOf(const ScheduleData &d, CodeId c);

} // namespace quivra
