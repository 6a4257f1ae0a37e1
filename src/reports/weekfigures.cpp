#include "reports/weekfigures.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "reports/reportparams.h"

#include <algorithm>

namespace quivra {
namespace {

template <typename T> std::size_t at(T i)
{
    return static_cast<std::size_t>(i);
}

} // namespace

const WeekFigures::Counts &WeekFigures::counts(CodeId c)
{
    if (const auto it = m_counts.find(c); it != m_counts.end())
        return it->second;
    Counts n;
    if (isEventCode(m_d, c)) {
        WeekAllocation wa;
        loadWeekAllocation(m_d, c, wa, m_index);
        for (int w = 1; w < WeekTableSize; ++w) {
            n.allocated[at(w)] = wa.allocated[at(w)];
            n.scheduled[at(w)] = wa.scheduled[at(w)];
            n.booked[at(w)] = wa.booked[at(w)];
        }
    } else {
        for (const CodeId e : eventsOf(c)) {
            const Counts &m = counts(e);
            for (int w = 1; w < WeekTableSize; ++w) {
                n.allocated[at(w)] += m.allocated[at(w)];
                n.scheduled[at(w)] += m.scheduled[at(w)];
            }
        }
    }
    return m_counts.emplace(c, n).first->second;
}

const std::vector<CodeId> &WeekFigures::eventsOf(CodeId r)
{
    if (!m_eventsOfBuilt) {
        m_eventsOf.assign(at(m_d.codeCount + 1), {});
        for (int e = 1; e <= m_d.codeCount; ++e) {
            if (!isEventCode(m_d, static_cast<CodeId>(e)))
                continue;
            const MemberList members = collectionOf(m_d, static_cast<CodeId>(e));
            for (int k = 1; k <= members[0]; ++k)
                if (validCode(m_d, members[at(k)]))
                    m_eventsOf[members[at(k)]].push_back(static_cast<CodeId>(e));
        }
        for (auto &list : m_eventsOf) {
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
        }
        m_eventsOfBuilt = true;
    }
    return m_eventsOf[r];
}

std::vector<int> WeekFigures::weekSums(CodeId c, int first, int last, int weekOptions)
{
    const Counts &n = counts(c);
    std::vector<int> sums;
    int running = 0;
    for (int w = first; w <= last; ++w) {
        int value = (weekOptions & WeekScheduled) ? n.scheduled[at(w)] : n.allocated[at(w)];
        if (weekOptions & WeekMultiplied)
            value *= weekLength(m_d, w);
        if (weekOptions & WeekCumulative) {
            running += value;
            value = running;
        }
        sums.push_back(value);
    }
    return sums;
}

} // namespace quivra
