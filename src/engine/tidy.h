#pragma once

// Tidying the lecture store: every code's lectures rewritten as maximal blocks and runs, the
// store compacted and merged, repeated code texts made unique.

#include "engine/scheduledata.h"

namespace quivra {

struct TidyResult
{
    int lecturesBefore = 0;
    int lecturesAfter = 0;
    int renamedDuplicates = 0; // later codes whose text repeated an earlier one
};
// Regroups slot bookings by kind (kind 1 first), rewrites every code's lectures as maximal
// blocks and its allocations as runs, compacts and merges the store, and gives codes that repeat
// an earlier code's text a unique text (their data is kept). Recomputes totals.
TidyResult tidy(ScheduleData &d);

} // namespace quivra
