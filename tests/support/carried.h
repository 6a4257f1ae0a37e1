#pragma once

// What a text exchange file carries of a data set, as dump lines to compare two data sets by.

#include "engine/scheduledata.h"

#include <string>

namespace quivra {

// The sections of the dump a text file carries: codes, collections, lectures, roles, comments.
// A text file lists events before resources, so table positions are not carried: the lines
// come sorted and without the position in front of a code.
std::string carriedByText(const ScheduleData &d);

} // namespace quivra
