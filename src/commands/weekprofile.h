#pragma once

// Week profiles: a code's periods week by week in one measure (allocated, scheduled or
// unscheduled), optionally multiplied by the week lengths and cumulative. An event's profile is
// its own allocation; a resource's sums the events whose collections hold it, and a room's
// scheduled periods also count the slots it was chosen for by hand (manual rooms). The Weeks view's
// Sum window and Bird's eye view show them, with the utilisation and heat-map scales below.

#include "engine/scheduledata.h"

#include <vector>

namespace quivra {

enum class ProfileMeasure { Allocated, Scheduled, Unscheduled };
struct ProfileOptions
{
    ProfileMeasure measure = ProfileMeasure::Allocated;
    bool multiplied = false;
    bool cumulative = false;
};

// One profile per code of `codes` (events or resources), each with an entry per week 1..the
// weeks in use ([0] unused). One pass over the events and one read of the lecture store.
std::vector<std::vector<int>> weekProfiles(const ScheduleData &d, const std::vector<CodeId> &codes,
                                           ProfileOptions options);

// value × 100 / divisor, rounded and held within 0..100; -1 (shown as "-") when the divisor is
// not positive, such as a week without any allocation.
int utilisationPercent(long long value, long long divisor);
// Where value lies between low and high, 0..1 (blue to red); the middle when all values are
// equal.
double heatShare(int value, int low, int high);

} // namespace quivra
