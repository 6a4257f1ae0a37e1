#pragma once

// The recount restores every derived field of the data set: the collection list and its
// positions, a sorted and validated lecture store, firstLecture, the extents and counters.
// Every structural change ends with it.

#include "engine/scheduledata.h"

namespace quivra {

// Restores every derived field; see the notes in recount.cpp for the order of the steps.
void recount(ScheduleData &d);

} // namespace quivra
