#pragma once

// The Timetables view's rows for rooms, the event's structure, What if?, free resources and the
// copy to later weeks (commands/timetableedits.h), each run through the view on its session.

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

void bindTimetableEditRows(std::vector<ViewCommand> &rows);

} // namespace quivra
