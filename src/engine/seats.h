#pragma once

// Seats: the capacity a resource's name carries after "#", summed over an event's resources.

#include "engine/scheduledata.h"

namespace quivra {

// Seats of a resource from the number after "#" in its name (1 without one); for an event the sum
// over its resources of `category` (0: all).
int seats(const ScheduleData &d, CodeId c, int category = 0);
// Seats left in the event's room(s) and `room` after the other resources; room -1 consults the
// event's manual rooms when it has no room resource.
int freeSeats(const ScheduleData &d, CodeId event, int room);

} // namespace quivra
