#include "optimise/improver.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/gaps.h"
#include "engine/manualrooms.h"
#include "engine/random.h"
#include "engine/totals.h"
#include "engine/weekmatrix.h"
#include "optimise/completion.h"
#include "optimise/weekcells.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>

namespace quivra {

namespace {

using Clock = std::chrono::steady_clock;

// Steps a change is compared with: a change is kept when it does not raise the gaps above those
// of now or of this many steps ago.
constexpr std::size_t AcceptanceHistory = 100;
// Draws of a timetable's day for a rebuild until one with gaps comes up.
constexpr int GapDraws = 200;
// A better timetable is reported at most this often (seconds).
constexpr double ReportEvery = 0.25;

// One week's timetables as bell masks, with the blocks of the events that may move.
class WeekSearch
{
public:
    WeekSearch(const ScheduleData &d, const WeekMatrix &matrix, const OptimiseSettings &s,
               const GapCategoryWeights &weights, Random &random)
        : m_d(d), m(matrix), m_s(s), m_weights(weights), m_random(random)
    {}

    // False when no event of the week may move.
    bool load(const std::vector<bool> &movable);
    // Searches until `deadline`, a stop request or no gap left; `better` hears of every better
    // week (the gaps of the week).
    template <class Better>
    void run(Clock::time_point deadline, Progress &progress, bool &stopped, Better &&better);
    int startGaps() const { return m_startGaps; }
    // Weighted gaps per resource category of the week as it stands.
    std::array<int, MaxCategories + 1> categoryGaps() const;
    int bestGaps() const { return m_bestGaps; }
    std::vector<CellChange> changes() const;

private:
    struct Event
    {
        CodeId code = 0;
        std::vector<std::uint16_t> rows;
        DayMasks start{};
        DayMasks cells{};
        int left = 0;                // periods taken out by a rebuild and not yet back
        int cap = 3;                 // longest block on one day
        std::uint32_t tabuUntil = 0; // rebuild step before which it is not pushed out
    };
    struct Step
    {
        std::uint32_t event;
        int day;
        std::uint32_t cells;
    };

    int rowDayGaps(int row, int day) const
    {
        const std::size_t at = dayIndex(row, day);
        const std::uint32_t booked = m_s.bookings ? m_booked[at] : 0u;
        return dayGaps((m_fixed[at] | m_moving[at] | booked) & m_used);
    }
    void setCells(std::size_t i, int day, std::uint32_t cells);
    void change(std::size_t i, int day, std::uint32_t cells)
    {
        m_log.push_back(
            {static_cast<std::uint32_t>(i), day, m_events[i].cells[static_cast<std::size_t>(day)]});
        setCells(i, day, cells);
    }
    void undo()
    {
        while (!m_log.empty()) {
            const Step st = m_log.back();
            m_log.pop_back();
            setCells(st.event, st.day, st.cells);
        }
    }
    bool free(std::size_t i, int day, std::uint32_t cells) const
    {
        for (const std::uint16_t r : m_events[i].rows) {
            const std::size_t at = dayIndex(r, day);
            if ((m_fixed[at] | m_booked[at] | m_moving[at]) & cells)
                return false;
        }
        return true;
    }
    bool balanced() const;
    // A random event with a block and that block's day; false when none was drawn.
    bool drawBlock(std::size_t &i, int &day, std::uint32_t &cells);
    // A drawn block and a place of the same length for it: a day where the event has none or
    // its own day, any bells but its own. False when the draw gives none.
    bool drawMove(std::size_t &i, int &day, int &day2, std::uint32_t &target);
    bool relocate();
    bool exchange();
    bool kick();
    bool rebuild();
    void takeOut(std::size_t j, int day);
    bool placeOne(std::size_t i, std::uint32_t step);
    std::int32_t owner(int row, int day, int bell) const
    {
        return m_owner[cellIndex(row, day, bell)];
    }

    const ScheduleData &m_d;
    const WeekMatrix &m;
    const OptimiseSettings &m_s;
    const GapCategoryWeights &m_weights;
    Random &m_random;
    int m_days = 0;
    int m_bells = 0;
    std::uint32_t m_used = 0;
    std::vector<Event> m_events;
    std::vector<std::uint32_t> m_fixed;  // per (row, day): period cells that stay
    std::vector<std::uint32_t> m_booked; // per (row, day): bookings
    std::vector<std::uint32_t> m_moving; // per (row, day): cells of events that may move
    std::vector<std::int32_t> m_owner;   // per cell: the moving event there, -1
    std::vector<int> m_rowWeight;
    std::vector<int> m_rowLow, m_rowHigh; // daily period limits; high < low: none
    std::vector<Step> m_log;
    std::vector<DayMasks> m_best;
    int m_gaps = 0;
    int m_startGaps = 0;
    int m_bestGaps = 0;
    std::vector<std::size_t> m_hit;     // scratch
    std::vector<std::size_t> m_waiting; // events with periods out during a rebuild
    std::uint32_t m_rebuildClock = 0;
    int m_shortest =
        1; // shortest new block a rebuild places   // rebuild steps so far, for the tabu marks
};

bool WeekSearch::load(const std::vector<bool> &movable)
{
    m_days = m.usedDays();
    m_bells = m.usedBells();
    m_used = bellSpan(1, m_bells);
    if (m_s.minSeq > 1 && m_s.minSeq <= m_s.maxSeq)
        m_shortest = m_s.minSeq;
    const int rows = m.rowCount();
    m_fixed.assign(dayIndex(rows + 1, 0), 0);
    m_booked.assign(m_fixed.size(), 0);
    m_moving.assign(m_fixed.size(), 0);
    m_owner.assign(static_cast<std::size_t>(rows + 1) << MatrixRowShift, -1);
    m_rowWeight.assign(static_cast<std::size_t>(rows + 1), 0);
    m_rowLow.assign(m_rowWeight.size(), 0);
    m_rowHigh.assign(m_rowWeight.size(), -1);
    for (int r = 1; r <= rows; ++r) {
        const int k = m.categoryOfRow(r);
        const int w = k >= 1 && k <= MaxCategories ? m_weights[static_cast<std::size_t>(k)] : 0;
        m_rowWeight[static_cast<std::size_t>(r)] = w;
        if ((m_s.mode & ModeBalancedDays) && w > 0 && k != m_d.roomsCategory) {
            m_rowLow[static_cast<std::size_t>(r)] = m.balanceMin(k);
            m_rowHigh[static_cast<std::size_t>(r)] = m.balanceMax(k);
        }
        for (int day = 1; day <= m_days; ++day) {
            m_fixed[dayIndex(r, day)] = m.eventMask(r, day) & m_used;
            m_booked[dayIndex(r, day)] = m.bookingMask(r, day) & m_used;
        }
    }
    for (const CodeId e : m.weekEvents()) {
        const MatrixEvent *ev = m.event(e);
        if (!ev || !movable[e])
            continue;
        Event x;
        x.code = e;
        x.rows = distinctRows(*ev);
        bool any = false;
        for (int day = 1; day <= m_days; ++day)
            any = any || contiguous(ev->cells[static_cast<std::size_t>(day)]);
        if (x.rows.empty() || !any)
            continue;
        x.start = ev->cells;
        x.cells = ev->cells;
        x.cap = std::max(m_s.maxSeq, 1);
        if (!(m_s.mode & ModeOneBlockPerDay))
            x.cap = std::max(x.cap, (ev->allowed + m_days - 1) / std::max(m_days, 1));
        x.cap = std::min(x.cap, m_bells);
        const auto i = static_cast<std::int32_t>(m_events.size());
        for (const std::uint16_t r : x.rows)
            for (int day = 1; day <= m_days; ++day) {
                const std::uint32_t bells = x.cells[static_cast<std::size_t>(day)];
                m_fixed[dayIndex(r, day)] &= ~bells;
                m_moving[dayIndex(r, day)] |= bells;
                setOwner(m_owner, r, day, bells, i);
            }
        m_events.push_back(std::move(x));
    }
    m_gaps = 0;
    for (int r = 1; r <= rows; ++r)
        if (const int w = m_rowWeight[static_cast<std::size_t>(r)])
            for (int day = 1; day <= m_days; ++day)
                m_gaps += w * rowDayGaps(r, day);
    m_startGaps = m_bestGaps = m_gaps;
    m_best.resize(m_events.size());
    for (std::size_t i = 0; i < m_events.size(); ++i)
        m_best[i] = m_events[i].cells;
    return !m_events.empty();
}

void WeekSearch::setCells(std::size_t i, int day, std::uint32_t cells)
{
    Event &ev = m_events[i];
    const auto dd = static_cast<std::size_t>(day);
    const std::uint32_t old = ev.cells[dd];
    for (const std::uint16_t r : ev.rows) {
        const int w = m_rowWeight[r];
        if (w)
            m_gaps -= w * rowDayGaps(r, day);
        std::uint32_t &moving = m_moving[dayIndex(r, day)];
        moving = (moving & ~old) | cells;
        setOwner(m_owner, r, day, old & ~cells, -1);
        setOwner(m_owner, r, day, cells & ~old, static_cast<std::int32_t>(i));
        if (w)
            m_gaps += w * rowDayGaps(r, day);
    }
    ev.cells[dd] = cells;
}

// The daily period limits of the rows the logged changes touched.
bool WeekSearch::balanced() const
{
    if (!(m_s.mode & ModeBalancedDays))
        return true;
    for (const Step &st : m_log)
        for (const std::uint16_t r : m_events[st.event].rows) {
            const int lo = m_rowLow[r], hi = m_rowHigh[r];
            if (hi < lo)
                continue;
            const std::size_t at = dayIndex(r, st.day);
            const int n = bellCount(m_fixed[at] | m_moving[at]);
            if (n < lo || n > hi)
                return false;
        }
    return true;
}

bool WeekSearch::drawBlock(std::size_t &i, int &day, std::uint32_t &cells)
{
    i = m_random.below(static_cast<std::uint32_t>(m_events.size()));
    day = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_days)));
    cells = m_events[i].cells[static_cast<std::size_t>(day)];
    return contiguous(cells);
}

bool WeekSearch::drawMove(std::size_t &i, int &day, int &day2, std::uint32_t &target)
{
    std::uint32_t cells;
    if (!drawBlock(i, day, cells))
        return false;
    const int length = bellCount(cells);
    day2 = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_days)));
    if (day2 != day && m_events[i].cells[static_cast<std::size_t>(day2)] != 0)
        return false;
    const int bell =
        1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_bells - length + 1)));
    target = bellSpan(bell, bell + length - 1);
    return day2 != day || target != cells;
}

// A block to a free place: another day where the event has none, or other bells of its day.
bool WeekSearch::relocate()
{
    std::size_t i;
    int day, day2;
    std::uint32_t target;
    if (!drawMove(i, day, day2, target))
        return false;
    change(i, day, 0);
    if (!free(i, day2, target)) {
        undo();
        return false;
    }
    change(i, day2, target);
    return true;
}

// Two blocks that share a timetable exchange days and first bells.
bool WeekSearch::exchange()
{
    std::size_t i;
    int day;
    std::uint32_t cells;
    if (!drawBlock(i, day, cells))
        return false;
    const Event &a = m_events[i];
    const std::uint16_t row = a.rows[m_random.below(static_cast<std::uint32_t>(a.rows.size()))];
    const int day2 = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_days)));
    const int bell2 = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_bells)));
    const std::int32_t other = owner(row, day2, bell2);
    if (other < 0 || static_cast<std::size_t>(other) == i)
        return false;
    const auto j = static_cast<std::size_t>(other);
    const std::uint32_t cells2 = m_events[j].cells[static_cast<std::size_t>(day2)];
    if (!contiguous(cells2))
        return false;
    if (day != day2 && (m_events[i].cells[static_cast<std::size_t>(day2)] != 0 ||
                        m_events[j].cells[static_cast<std::size_t>(day)] != 0))
        return false;
    const int first = std::countr_zero(cells) + 1;
    const int first2 = std::countr_zero(cells2) + 1;
    const int length = bellCount(cells);
    const int length2 = bellCount(cells2);
    if (first2 + length - 1 > m_bells || first + length2 - 1 > m_bells)
        return false;
    const std::uint32_t toA = bellSpan(first2, first2 + length - 1);
    const std::uint32_t toB = bellSpan(first, first + length2 - 1);
    change(i, day, 0);
    change(j, day2, 0);
    if (!free(i, day2, toA)) {
        undo();
        return false;
    }
    change(i, day2, toA);
    if (!free(j, day, toB)) {
        undo();
        return false;
    }
    change(j, day, toB);
    return true;
}

// A block to a place where other blocks are; each of those goes to its best free place.
bool WeekSearch::kick()
{
    std::size_t i;
    int day, day2;
    std::uint32_t target;
    if (!drawMove(i, day, day2, target))
        return false;
    m_hit.clear();
    for (const std::uint16_t r : m_events[i].rows) {
        const std::size_t at = dayIndex(r, day2);
        if ((m_fixed[at] | m_booked[at]) & target)
            return false;
        for (std::uint32_t b = m_moving[at] & target; b; b &= b - 1) {
            const std::int32_t j = owner(r, day2, std::countr_zero(b) + 1);
            if (static_cast<std::size_t>(j) == i)
                continue;
            const auto uj = static_cast<std::size_t>(j);
            if (std::find(m_hit.begin(), m_hit.end(), uj) == m_hit.end())
                m_hit.push_back(uj);
        }
    }
    if (m_hit.empty() || m_hit.size() > 3)
        return false;
    std::vector<std::pair<std::size_t, std::uint32_t>> pushed;
    for (const std::size_t j : m_hit) {
        const std::uint32_t c = m_events[j].cells[static_cast<std::size_t>(day2)];
        if (!contiguous(c))
            return false;
        pushed.emplace_back(j, c);
    }
    change(i, day, 0);
    for (const auto &[j, c] : pushed)
        change(j, day2, 0);
    change(i, day2, target);
    for (const auto &[j, c] : pushed) {
        const int len = bellCount(c);
        int bestGaps = 0, bestDay = 0, seen = 0;
        std::uint32_t bestCells = 0;
        for (int dd = 1; dd <= m_days; ++dd) {
            if (m_events[j].cells[static_cast<std::size_t>(dd)] != 0)
                continue;
            for (int b = 1; b + len - 1 <= m_bells; ++b) {
                const std::uint32_t place = bellSpan(b, b + len - 1);
                if ((dd == day2 && place == c) || !free(j, dd, place))
                    continue;
                setCells(j, dd, place);
                const int g = m_gaps;
                setCells(j, dd, 0);
                if (bestDay == 0 || g < bestGaps) {
                    bestGaps = g;
                    bestDay = dd;
                    bestCells = place;
                    seen = 1;
                } else if (g == bestGaps &&
                           m_random.below(static_cast<std::uint32_t>(++seen)) == 0) {
                    bestDay = dd;
                    bestCells = place;
                }
            }
        }
        if (bestDay == 0) {
            undo();
            return false;
        }
        change(j, bestDay, bestCells);
    }
    return true;
}

void WeekSearch::takeOut(std::size_t j, int day)
{
    Event &ev = m_events[j];
    const std::uint32_t cells = ev.cells[static_cast<std::size_t>(day)];
    if (cells == 0)
        return;
    change(j, day, 0);
    if (ev.left == 0)
        m_waiting.push_back(j);
    ev.left += bellCount(cells);
}

// Puts periods of event i back: the block of one day that adds most periods, pushes out fewest
// others (weighed by their timetables) and adds fewest gaps. False when it has no place at all.
bool WeekSearch::placeOne(std::size_t i, std::uint32_t step)
{
    Event &ev = m_events[i];
    struct Choice
    {
        int day = 0;
        std::uint32_t bells = 0;
        long long key = 0;
    } best;
    int seen = 0;
    const int weight = static_cast<int>(ev.rows.size());
    for (int day = 1; day <= m_days; ++day) {
        const std::uint32_t cur = ev.cells[static_cast<std::size_t>(day)];
        if (cur != 0 && !contiguous(cur))
            continue;
        const int have = bellCount(cur);
        const int room = std::min(ev.left, ev.cap - have);
        if (room <= 0)
            continue;
        std::uint32_t hard = 0, taken = 0;
        for (const std::uint16_t r : ev.rows) {
            const std::size_t at = dayIndex(r, day);
            hard |= m_fixed[at] | m_booked[at];
            taken |= m_moving[at];
        }
        auto consider = [&](std::uint32_t bells) {
            if (hard & bells)
                return;
            int cost = 0, tabu = 0, gaps = 0;
            m_hit.clear();
            for (const std::uint16_t r : ev.rows) {
                const std::size_t at = dayIndex(r, day);
                if (const int w = m_rowWeight[r]) {
                    const std::uint32_t booked = m_s.bookings ? m_booked[at] : 0u;
                    const std::uint32_t now = m_fixed[at] | m_moving[at] | booked;
                    gaps += w * (dayGaps((now | bells) & m_used) - dayGaps(now & m_used));
                }
                if (!(taken & bells))
                    continue;
                for (std::uint32_t b = m_moving[at] & bells; b; b &= b - 1) {
                    const auto j = static_cast<std::size_t>(owner(r, day, std::countr_zero(b) + 1));
                    if (std::find(m_hit.begin(), m_hit.end(), j) != m_hit.end())
                        continue;
                    m_hit.push_back(j);
                    cost += bellCount(m_events[j].cells[static_cast<std::size_t>(day)]) *
                            static_cast<int>(m_events[j].rows.size());
                    tabu += m_events[j].tabuUntil > step ? 1 : 0;
                }
            }
            const long long key =
                (static_cast<long long>(bellCount(bells) * weight - cost) - tabu * 1000000LL) *
                    4096 -
                gaps;
            if (seen == 0 || key > best.key) {
                best = {day, bells, key};
                seen = 1;
            } else if (key == best.key && m_random.below(static_cast<std::uint32_t>(++seen)) == 0) {
                best = {day, bells, key};
            }
        };
        if (cur == 0) {
            for (int len = m_shortest; len <= room; ++len)
                for (int b = 1; b + len - 1 <= m_bells; ++b)
                    consider(bellSpan(b, b + len - 1));
            continue;
        }
        const int first = std::countr_zero(cur) + 1;
        const int last = 32 - std::countl_zero(cur);
        for (int a = std::max(1, first - room); a <= first; ++a)
            for (int z = last; z <= std::min(m_bells, last + room); ++z) {
                const int add = (z - a + 1) - have;
                if (add >= 1 && add <= room)
                    consider(bellSpan(a, z) & ~cur);
            }
    }
    if (seen == 0)
        return false;
    m_hit.clear();
    for (const std::uint16_t r : ev.rows)
        for (std::uint32_t b = m_moving[dayIndex(r, best.day)] & best.bells; b; b &= b - 1) {
            const auto j = static_cast<std::size_t>(owner(r, best.day, std::countr_zero(b) + 1));
            if (std::find(m_hit.begin(), m_hit.end(), j) == m_hit.end())
                m_hit.push_back(j);
        }
    const std::vector<std::size_t> pushed(m_hit);
    for (const std::size_t j : pushed)
        takeOut(j, best.day);
    change(i, best.day, ev.cells[static_cast<std::size_t>(best.day)] | best.bells);
    ev.left -= bellCount(best.bells);
    ev.tabuUntil = step + 8 + m_random.below(8);
    return true;
}

// Takes out every block of one timetable's day (and of a second day of a timetable one of them
// shares), then puts the periods back where they add fewest gaps, pushing others out where
// needed, until all are back; otherwise everything is undone.
bool WeekSearch::rebuild()
{
    // Mostly a day with gaps: the first of a few drawn that has some.
    const int rows = m.rowCount();
    int row = 0, day = 0;
    for (int t = 0; t < GapDraws; ++t) {
        row = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(rows)));
        day = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_days)));
        if (m_rowWeight[static_cast<std::size_t>(row)] != 0 && m_moving[dayIndex(row, day)] &&
            rowDayGaps(row, day) > 0)
            break;
    }
    if (m_rowWeight[static_cast<std::size_t>(row)] == 0 || !m_moving[dayIndex(row, day)])
        return false;
    m_waiting.clear();
    for (std::uint32_t b = m_moving[dayIndex(row, day)]; b; b &= b - 1) {
        const std::int32_t j = owner(row, day, std::countr_zero(b) + 1);
        if (j >= 0)
            takeOut(static_cast<std::size_t>(j), day);
    }
    if (m_random.below(2) == 0 && !m_waiting.empty()) {
        const Event &e =
            m_events[m_waiting[m_random.below(static_cast<std::uint32_t>(m_waiting.size()))]];
        const std::uint16_t row2 =
            e.rows[m_random.below(static_cast<std::uint32_t>(e.rows.size()))];
        const int day2 = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(m_days)));
        for (std::uint32_t b = m_moving[dayIndex(row2, day2)]; b; b &= b - 1) {
            const std::int32_t j = owner(row2, day2, std::countr_zero(b) + 1);
            if (j >= 0)
                takeOut(static_cast<std::size_t>(j), day2);
        }
    }
    const std::size_t taken = m_waiting.size();
    const std::uint32_t limit = static_cast<std::uint32_t>(20 + 30 * taken);
    for (std::uint32_t step = 1; !m_waiting.empty(); ++step) {
        if (step > limit)
            break;
        std::size_t pick = m_waiting.size() - 1;
        if (m_random.below(4) == 0)
            pick = m_random.below(static_cast<std::uint32_t>(m_waiting.size()));
        const std::size_t i = m_waiting[pick];
        if (!placeOne(i, step + m_rebuildClock))
            break;
        for (std::size_t k = 0; k < m_waiting.size();)
            if (m_events[m_waiting[k]].left == 0) {
                m_waiting[k] = m_waiting.back();
                m_waiting.pop_back();
            } else {
                ++k;
            }
    }
    m_rebuildClock += limit;
    if (!m_waiting.empty()) {
        for (const std::size_t j : m_waiting)
            m_events[j].left = 0;
        m_waiting.clear();
        undo();
        return false;
    }
    return true;
}

template <class Better>
void WeekSearch::run(Clock::time_point deadline, Progress &progress, bool &stopped, Better &&better)
{
    std::vector<int> history(AcceptanceHistory, m_gaps);
    std::size_t step = 0;
    while (m_bestGaps > 0) {
        if ((step & 1023) == 0) {
            if (Clock::now() >= deadline)
                break;
            if (progress.stopRequested()) {
                stopped = true;
                break;
            }
        }
        const int before = m_gaps;
        // Mostly rebuilds; now and then a single move, exchange or push.
        const std::uint32_t kind = m_random.below(16);
        const bool changed = kind < 13   ? rebuild()
                             : kind < 14 ? relocate()
                             : kind < 15 ? exchange()
                                         : kick();
        int &past = history[step % AcceptanceHistory];
        ++step;
        if (!changed)
            continue;
        if (!balanced() || (m_gaps > before && m_gaps > past)) {
            undo();
            continue;
        }
        m_log.clear();
        past = m_gaps;
        if (m_gaps < m_bestGaps) {
            m_bestGaps = m_gaps;
            for (std::size_t k = 0; k < m_events.size(); ++k)
                m_best[k] = m_events[k].cells;
            better(m_bestGaps);
        }
    }
}

std::array<int, MaxCategories + 1> WeekSearch::categoryGaps() const
{
    std::array<int, MaxCategories + 1> out{};
    for (int r = 1; r <= m.rowCount(); ++r)
        if (const int w = m_rowWeight[static_cast<std::size_t>(r)])
            for (int day = 1; day <= m_days; ++day)
                out[static_cast<std::size_t>(m.categoryOfRow(r))] += w * rowDayGaps(r, day);
    return out;
}

std::vector<CellChange> WeekSearch::changes() const
{
    std::vector<CellChange> out;
    for (std::size_t i = 0; i < m_events.size(); ++i)
        if (m_best[i] != m_events[i].start)
            out.push_back({m_events[i].code, m_events[i].start, m_best[i]});
    return out;
}

// The events the descent may move in the week: chosen, not locked unless included, allocated in
// the week and not over it, in no conflict, without rooms chosen by hand.
std::vector<bool> movableEvents(const ScheduleData &d, const WeekMatrix &m,
                                const OptimiseSettings &s)
{
    std::vector<bool> movable(static_cast<std::size_t>(MaxCodes) + 1, false);
    for (const CodeId e : m.weekEvents()) {
        const MatrixEvent *ev = m.event(e);
        movable[e] = ev && ev->listed && ev->placed <= ev->allowed &&
                     (s.includeLocked || !isLockedCode(d, e));
        // With a block length filter only events whose blocks all pass it move, as in the
        // descent.
        if (movable[e] && s.minSeq > 0 && s.minSeq <= s.maxSeq)
            for (int day = 1; day <= m.usedDays(); ++day) {
                const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)];
                for (std::uint32_t rest = cells; rest;) {
                    const int first = std::countr_zero(rest);
                    const int length = std::countr_one(rest >> first);
                    movable[e] = movable[e] && length >= s.minSeq && length <= s.maxSeq;
                    rest &= ~bellSpan(first + 1, first + length);
                }
            }
    }
    if (!s.events.empty()) {
        std::vector<bool> chosen(movable.size(), false);
        for (const CodeId e : s.events)
            if (e <= MaxCodes)
                chosen[e] = true;
        for (std::size_t c = 0; c < movable.size(); ++c)
            movable[c] = movable[c] && chosen[c];
    }
    for (const CodeId e : manualRoomEvents(d, m))
        movable[e] = false;
    for (const CodeId e : conflictingEvents(d, m))
        movable[e] = false;
    std::vector<bool> covering(movable.size(), false);
    markCoveringEvents(m, covering);
    for (std::size_t c = 0; c < movable.size(); ++c)
        movable[c] = movable[c] && !covering[c];
    return movable;
}

} // namespace

OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                                  const OptimiseObserver &observer)
{
    const auto started = Clock::now();
    OptimiseResult r = optimise(d, s, progress, observer);
    const bool ranOut = r.end == OptimiseEnd::NoImprovement || r.end == OptimiseEnd::RoundLimit;
    if (s.maxSeconds <= 0 || !ranOut || r.gapsAfter == 0)
        return r;
    const auto deadline =
        started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                      std::min(s.maxSeconds, s.dayLimit > 0 ? s.dayLimit : s.maxSeconds)));
    const int weeks = usedWeeks(d);
    const int first = std::max(1, s.firstWeek != 0 ? s.firstWeek : int{d.optimiseRange.startWeek});
    const int last = std::min(weeks, s.lastWeek != 0 ? s.lastWeek : int{d.optimiseRange.endWeek});
    const GapCategoryWeights weights = optimiserWeights(d, s);

    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;

    Random random(s.seed ^ 0x9e3779b9u);
    WeekMatrix m;
    bool stopped = false;
    bool storeFailed = false;
    int gapsNow = r.gapsAfter;
    std::array<int, MaxCategories + 1> categoriesNow = r.categoryAfter;
    int changedEvents = 0;
    auto lastReport = Clock::now();
    for (int w = first; w <= last && !stopped && Clock::now() < deadline; ++w) {
        m.build(d, w);
        WeekSearch search(d, m, s, weights, random);
        if (!search.load(movableEvents(d, m, s)))
            continue;
        // The week's share of the time left.
        const auto now = Clock::now();
        const auto weekEnd = now + (deadline - now) / (last - w + 1);
        const int others = gapsNow - search.startGaps();
        std::array<int, MaxCategories + 1> otherCategories = categoriesNow;
        const std::array<int, MaxCategories + 1> weekStart = search.categoryGaps();
        for (std::size_t k = 0; k < weekStart.size(); ++k)
            otherCategories[k] -= weekStart[k];
        search.run(weekEnd, progress, stopped, [&](int best) {
            gapsNow = others + best;
            const auto t = Clock::now();
            if (!observer || std::chrono::duration<double>(t - lastReport).count() < ReportEvery)
                return;
            lastReport = t;
            OptimiseStatus st;
            st.point = OptimiseStatus::Point::Cycle;
            st.week = w;
            st.swaps = r.swaps;
            st.moves = r.moves;
            st.gapsInitial = r.gapsBefore;
            st.categoryInitial = r.categoryBefore;
            st.gapsNow = gapsNow;
            const std::array<int, MaxCategories + 1> week = search.categoryGaps();
            for (std::size_t k = 0; k < week.size(); ++k)
                categoriesNow[k] = otherCategories[k] + week[k];
            st.categoryNow = categoriesNow;
            st.weights = weights;
            st.seconds = std::chrono::duration<double>(t - started).count();
            observer(st);
        });
        changedEvents += storeCellChanges(d, m, search.changes(), storeFailed);
        const GapTotals stored = gapCount(m, weights, s.bookings);
        gapsNow = others + stored.total;
        for (std::size_t k = 0; k < categoriesNow.size(); ++k)
            categoriesNow[k] = otherCategories[k] + stored.byCategory[k];
        if (storeFailed)
            break;
    }

    // The end as the descent counts it.
    r.gapsAfter = 0;
    r.categoryAfter = {};
    r.conflictsAfter = 0;
    r.statsAfter = {};
    for (int w = first; w <= last; ++w) {
        m.build(d, w);
        r.conflictsAfter += weekConflicts(d, m);
        const GapTotals g = gapCount(m, weights, s.bookings);
        r.gapsAfter += g.total;
        for (int k = 1; k <= MaxCategories; ++k)
            r.categoryAfter[static_cast<std::size_t>(k)] +=
                g.byCategory[static_cast<std::size_t>(k)];
        addTimetableStats(d, m, s.bookings, r.statsAfter);
    }
    if (changedEvents > 0) {
        validityCleanup(d, first, last);
        d.modified = true;
    }
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    for (int c = 1; c <= d.codeCount && c < static_cast<int>(marks.size()); ++c)
        d.codes[c].flags |= marks[static_cast<std::size_t>(c)];
    r.moves += changedEvents;
    r.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (storeFailed) {
        r.end = OptimiseEnd::StoreFailed;
        r.message = "The lecture store refused a change; the change was not made.";
    } else if (stopped) {
        r.end = OptimiseEnd::Stopped;
        r.interrupted = false;
        r.message = "Stopped.";
    } else {
        r.end = OptimiseEnd::TimeLimit;
        r.interrupted = false;
        r.message =
            r.gapsAfter == 0 ? "No gaps are left." : "Optimisation ended at its time limit.";
    }
    if (observer) {
        OptimiseStatus st;
        st.point = OptimiseStatus::Point::Cycle;
        st.swaps = r.swaps;
        st.moves = r.moves;
        st.gapsInitial = r.gapsBefore;
        st.categoryInitial = r.categoryBefore;
        st.gapsNow = r.gapsAfter;
        st.categoryNow = r.categoryAfter;
        st.weights = weights;
        st.seconds = r.seconds;
        observer(st);
    }
    return r;
}

OptimiseResult optimiseWithBudget(ScheduleData &d, const OptimiseSettings &s)
{
    NullProgress none;
    return optimiseWithBudget(d, s, none);
}

} // namespace quivra
