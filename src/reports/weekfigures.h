#pragma once

// WeekFigures: what the reports show of a code week by week (an event's allocated, scheduled
// and booked periods, a resource's summed over its events) and which events hold a resource.
// Worked out on first use and kept for the run, so the data set must not change meanwhile.

#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <array>
#include <map>
#include <vector>

namespace quivra {

class WeekFigures
{
public:
    struct Counts
    {
        std::array<int, WeekTableSize> allocated{};
        std::array<int, WeekTableSize> scheduled{};
        std::array<int, WeekTableSize> booked{};
    };

    WeekFigures(const ScheduleData &d, const LectureIndex &index) : m_d(d), m_index(index) {}

    const Counts &counts(CodeId c);
    // The events whose collection holds `r`, in table order, each once.
    const std::vector<CodeId> &eventsOf(CodeId r);
    // A code list's figures for weeks first..last under a report's week options (scheduled or
    // allocated, multiplied by the week's length, cumulative).
    std::vector<int> weekSums(CodeId c, int first, int last, int weekOptions);

private:
    const ScheduleData &m_d;
    const LectureIndex &m_index;
    std::map<CodeId, Counts> m_counts;
    std::vector<std::vector<CodeId>> m_eventsOf;
    bool m_eventsOfBuilt = false;
};

} // namespace quivra
