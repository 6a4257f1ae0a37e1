#include "optimise/weekcells.h"

#include "engine/manualrooms.h"

#include <algorithm>

namespace quivra {

std::vector<std::uint16_t> distinctRows(const MatrixEvent &ev)
{
    std::vector<std::uint16_t> rows(ev.rows.begin(), ev.rows.end());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase(rows, std::uint16_t{0});
    return rows;
}

std::vector<CodeId> manualRoomEvents(const ScheduleData &d, const WeekMatrix &m)
{
    std::vector<CodeId> events;
    const int triples = manualTripleCount(d);
    for (int k = 1; k <= triples; ++k) {
        const ManualTriple t = manualTriple(d, k);
        if (t.event > 0 && t.event <= MaxCodes && manualWeek(t.slot) == m.week())
            events.push_back(t.event);
    }
    return events;
}

} // namespace quivra
