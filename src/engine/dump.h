#pragma once

// The canonical text dump of a data set: every store in a fixed, documented order, codes by
// their text, lectures as week/day/bell ranges. Two data sets with equal dumps are equal for
// every purpose of the program. See docs/dump-format.md.

#include "engine/scheduledata.h"

#include <string>

namespace quivra {

std::string dumpScheduleData(const ScheduleData &d);

} // namespace quivra
