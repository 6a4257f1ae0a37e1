#pragma once

// The resources free in a time range of a week, and the list that offers them.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <vector>

namespace quivra {

// The resources of `category` (0: all timetabled resources) whose timetables are free in every
// cell of days day1..day2 and bells bell1..bell2 of week `week`.
std::vector<CodeId> freeResources(ScheduleData &d, int week, int day1, int bell1, int day2,
                                  int bell2, int category);
// Lists them and lets the user choose one: the chosen resource, 0 when none was chosen.
CodeId showFreeResources(ScheduleData &d, Prompter &p, int week, int day1, int bell1, int day2,
                         int bell2, int category);

} // namespace quivra
