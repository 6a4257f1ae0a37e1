#include "optimise/completion.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/gaps.h"
#include "engine/manualrooms.h"
#include "engine/random.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekmatrix.h"
#include "optimise/initialsolution.h"
#include "optimise/optimiser.h"
#include "optimise/weekcells.h"

#include <algorithm>
#include <bit>

namespace quivra {

namespace {

constexpr int TabuPenalty = 1 << 20;
// Steps an event just placed is spared from being pushed out (plus up to 9 drawn at random).
constexpr std::uint32_t TabuTenure = 15;

// The week's events that may move, in the matrix's terms, with the cells they hold while the
// search runs.
struct Movable
{
    CodeId code = 0;
    std::vector<std::uint16_t> rows; // distinct timetabled rows
    DayMasks start{};                // cells at the build
    DayMasks cells{};                // cells now
    int left = 0;                    // periods allocated in the week and not in `cells`
    int cap = 3;                     // longest block on one day
    std::uint32_t tabuUntil = 0;     // step before which pushing it out is penalised
};

struct Candidate
{
    int day = 0;
    std::uint32_t bells = 0; // cells added
    int key = 0;
};

// The search over one week.
class WeekCompletion
{
public:
    WeekCompletion(const WeekMatrix &matrix, const CompletionSettings &s, Random &random)
        : m(matrix), m_s(s), m_random(random)
    {}

    // Takes the week from the matrix; false when nothing is left to place in it.
    bool load(const std::vector<bool> &fixedEvent, const std::vector<bool> &completed);
    // Searches until nothing is left, the steps run out or a stop is requested; keeps the best.
    void search(Progress &progress, int placedBefore, bool &stopped);
    int leftAtStart() const { return m_leftAtStart; }
    int bestLeft() const { return m_bestLeft; }
    const std::vector<Movable> &events() const { return m_events; }
    const std::vector<DayMasks> &best() const { return m_best; }
    // The resources that stand most in the way of event `i` in the best week found.
    std::vector<CodeId> blockersOf(std::size_t i);

private:
    void give(std::size_t i, int day, std::uint32_t bells);
    void takeDay(std::size_t j, int day);
    bool chooseFor(std::size_t i, Candidate &chosen);
    void restoreBest();

    const WeekMatrix &m;
    const CompletionSettings &m_s;
    Random &m_random;
    int m_days = 0;
    int m_bells = 0;
    std::vector<Movable> m_events;
    std::vector<std::uint32_t> m_fixed;   // per (row, day): cells that stay as they are
    std::vector<std::uint32_t> m_movable; // per (row, day): cells of movable events
    std::vector<std::int32_t> m_owner;    // per cell: index of the movable event there, -1
    std::vector<std::size_t> m_waiting;   // events with periods left
    std::vector<std::int32_t> m_waitPos;  // per event: position in m_waiting, -1
    std::vector<DayMasks> m_best;
    DayMasks m_open{}; // per day: the bells where cells may be added
    int m_left = 0;
    int m_leftAtStart = 0;
    int m_bestLeft = 0;
    std::uint32_t m_step = 0;
    std::vector<std::size_t> m_hit; // scratch: events a candidate pushes out
};

bool WeekCompletion::load(const std::vector<bool> &fixedEvent, const std::vector<bool> &completed)
{
    m_days = m.usedDays();
    m_bells = m.usedBells();
    const TimeRange &range = m_s.range;
    const int firstDay = range.startDay > 0 ? range.startDay : 1;
    const int lastDay = range.endDay > 0 ? std::min<int>(range.endDay, m_days) : m_days;
    const std::uint32_t openBells =
        bellSpan(range.startBell > 0 ? range.startBell : 1,
                 range.endBell > 0 ? std::min<int>(range.endBell, m_bells) : m_bells);
    for (int day = firstDay; day <= lastDay; ++day)
        m_open[static_cast<std::size_t>(day)] = openBells;
    const int rows = m.rowCount();
    m_fixed.assign(dayIndex(rows + 1, 0), 0);
    m_movable.assign(m_fixed.size(), 0);
    m_owner.assign(static_cast<std::size_t>(rows + 1) << MatrixRowShift, -1);
    for (int r = 1; r <= rows; ++r)
        for (int day = 1; day <= m_days; ++day)
            m_fixed[dayIndex(r, day)] = m.eventMask(r, day) | m.bookingMask(r, day);

    for (const CodeId e : m.weekEvents()) {
        const MatrixEvent *ev = m.event(e);
        if (!ev || !ev->listed || fixedEvent[e])
            continue;
        Movable mv;
        mv.code = e;
        mv.rows = distinctRows(*ev);
        if (mv.rows.empty())
            continue;
        mv.start = ev->cells;
        mv.cells = ev->cells;
        mv.left = completed[e] ? std::max(ev->allowed - ev->placed, 0) : 0;
        mv.cap = std::max(m_s.maxPerDay, 1);
        mv.cap = std::max(mv.cap, (ev->allowed + m_days - 1) / std::max(m_days, 1));
        mv.cap = std::min(mv.cap, m_bells);
        m_events.push_back(std::move(mv));
    }
    m_waitPos.assign(m_events.size(), -1);
    for (std::size_t i = 0; i < m_events.size(); ++i) {
        const Movable &mv = m_events[i];
        for (const std::uint16_t r : mv.rows)
            for (int day = 1; day <= m_days; ++day) {
                const std::uint32_t bells = mv.cells[static_cast<std::size_t>(day)];
                m_fixed[dayIndex(r, day)] &= ~bells;
                m_movable[dayIndex(r, day)] |= bells;
                setOwner(m_owner, r, day, bells, static_cast<std::int32_t>(i));
            }
        if (mv.left > 0) {
            m_waitPos[i] = static_cast<std::int32_t>(m_waiting.size());
            m_waiting.push_back(i);
            m_left += mv.left;
        }
    }
    m_leftAtStart = m_left;
    m_bestLeft = m_left;
    m_best.resize(m_events.size());
    for (std::size_t i = 0; i < m_events.size(); ++i)
        m_best[i] = m_events[i].cells;
    return m_left > 0;
}

void WeekCompletion::give(std::size_t i, int day, std::uint32_t bells)
{
    Movable &mv = m_events[i];
    mv.cells[static_cast<std::size_t>(day)] |= bells;
    for (const std::uint16_t r : mv.rows) {
        m_movable[dayIndex(r, day)] |= bells;
        setOwner(m_owner, r, day, bells, static_cast<std::int32_t>(i));
    }
    const int n = bellCount(bells);
    mv.left -= n;
    m_left -= n;
    if (mv.left == 0 && m_waitPos[i] >= 0) {
        const auto pos = static_cast<std::size_t>(m_waitPos[i]);
        m_waiting[pos] = m_waiting.back();
        m_waitPos[m_waiting[pos]] = static_cast<std::int32_t>(pos);
        m_waiting.pop_back();
        m_waitPos[i] = -1;
    }
}

void WeekCompletion::takeDay(std::size_t j, int day)
{
    Movable &mv = m_events[j];
    const std::uint32_t bells = mv.cells[static_cast<std::size_t>(day)];
    mv.cells[static_cast<std::size_t>(day)] = 0;
    for (const std::uint16_t r : mv.rows) {
        m_movable[dayIndex(r, day)] &= ~bells;
        setOwner(m_owner, r, day, bells, -1);
    }
    const int n = bellCount(bells);
    mv.left += n;
    m_left += n;
    if (m_waitPos[j] < 0) {
        m_waitPos[j] = static_cast<std::int32_t>(m_waiting.size());
        m_waiting.push_back(j);
    }
}

// The best place for a block of event i: cells that extend its block of a day (or start one on a
// day it has none), free of everything that stays, scored by the periods they add less those
// they push out; pushing out an event placed a moment ago is a last resort.
bool WeekCompletion::chooseFor(std::size_t i, Candidate &chosen)
{
    const Movable &mv = m_events[i];
    bool found = false;
    int seen = 0;
    std::uint32_t hard = 0;
    std::uint32_t taken = 0;
    auto consider = [&](int day, std::uint32_t bells) {
        if ((hard & bells) || (bells & ~m_open[static_cast<std::size_t>(day)]))
            return;
        m_hit.clear();
        int cost = 0;
        int tabu = 0;
        for (const std::uint16_t r : mv.rows) {
            if (!(taken & bells))
                break;
            for (std::uint32_t b = m_movable[dayIndex(r, day)] & bells; b; b &= b - 1) {
                const auto j =
                    static_cast<std::size_t>(m_owner[cellIndex(r, day, std::countr_zero(b) + 1)]);
                if (std::find(m_hit.begin(), m_hit.end(), j) != m_hit.end())
                    continue;
                m_hit.push_back(j);
                cost += bellCount(m_events[j].cells[static_cast<std::size_t>(day)]) *
                        static_cast<int>(m_events[j].rows.size());
                if (m_events[j].tabuUntil > m_step)
                    tabu += TabuPenalty;
            }
        }
        const int key = (bellCount(bells) * static_cast<int>(mv.rows.size()) - cost) * 64 - tabu;
        if (!found || key > chosen.key) {
            chosen = {day, bells, key};
            found = true;
            seen = 1;
        } else if (key == chosen.key && m_random.below(static_cast<std::uint32_t>(++seen)) == 0) {
            chosen = {day, bells, key};
        }
    };
    for (int day = 1; day <= m_days; ++day) {
        const std::uint32_t cur = mv.cells[static_cast<std::size_t>(day)];
        if (cur != 0 && !contiguous(cur))
            continue;
        const int have = bellCount(cur);
        const int room = std::min(mv.left, mv.cap - have);
        if (room <= 0)
            continue;
        hard = 0;
        taken = 0;
        for (const std::uint16_t r : mv.rows) {
            hard |= m_fixed[dayIndex(r, day)];
            taken |= m_movable[dayIndex(r, day)];
        }
        if (cur == 0) {
            for (int len = 1; len <= room; ++len)
                for (int b = 1; b + len - 1 <= m_bells; ++b)
                    consider(day, bellSpan(b, b + len - 1));
            continue;
        }
        const int first = std::countr_zero(cur) + 1;
        const int last = 32 - std::countl_zero(cur);
        for (int s = std::max(1, first - room); s <= first; ++s)
            for (int t = last; t <= std::min(m_bells, last + room); ++t) {
                const int add = (t - s + 1) - have;
                if (add < 1 || add > room)
                    continue;
                consider(day, bellSpan(s, t) & ~cur);
            }
    }
    return found;
}

void WeekCompletion::restoreBest()
{
    for (std::size_t i = 0; i < m_events.size(); ++i)
        for (int day = 1; day <= m_days; ++day)
            if (m_events[i].cells[static_cast<std::size_t>(day)] !=
                m_best[i][static_cast<std::size_t>(day)])
                takeDay(i, day);
    for (std::size_t i = 0; i < m_events.size(); ++i)
        for (int day = 1; day <= m_days; ++day) {
            const std::uint32_t want = m_best[i][static_cast<std::size_t>(day)];
            const std::uint32_t have = m_events[i].cells[static_cast<std::size_t>(day)];
            if (want != have)
                give(i, day, want & ~have);
        }
}

void WeekCompletion::search(Progress &progress, int placedBefore, bool &stopped)
{
    const std::int64_t limit =
        std::max<std::int64_t>(20000, std::int64_t{m_s.effort} * m_leftAtStart);
    std::vector<std::size_t> stuck;
    Candidate c;
    for (std::int64_t step = 0; step < limit && m_left > 0; ++step) {
        m_step = static_cast<std::uint32_t>(step + 1);
        if ((step & 1023) == 0) {
            progress.step(placedBefore + m_leftAtStart - m_bestLeft);
            if (progress.stopRequested()) {
                stopped = true;
                break;
            }
        }
        // An event with periods left: every other time the one pushed out last, so a chain
        // follows what it displaced, else one at random. One with no possible place at all is
        // passed over until something else changes.
        std::size_t i = m_waiting[m_random.below(static_cast<std::uint32_t>(m_waiting.size()))];
        if (m_random.below(2) == 0)
            i = m_waiting.back();
        if (!chooseFor(i, c)) {
            if (std::find(stuck.begin(), stuck.end(), i) == stuck.end())
                stuck.push_back(i);
            if (stuck.size() >= m_waiting.size())
                break;
            continue;
        }
        stuck.clear();
        // Now and then a block goes to a place other than the best, so the chain can leave a
        // place where every move only shifts the same periods around.
        m_hit.clear();
        for (const std::uint16_t r : m_events[i].rows)
            for (std::uint32_t b = m_movable[dayIndex(r, c.day)] & c.bells; b; b &= b - 1) {
                const auto j =
                    static_cast<std::size_t>(m_owner[cellIndex(r, c.day, std::countr_zero(b) + 1)]);
                if (std::find(m_hit.begin(), m_hit.end(), j) == m_hit.end())
                    m_hit.push_back(j);
            }
        for (const std::size_t j : m_hit)
            takeDay(j, c.day);
        give(i, c.day, c.bells);
        m_events[i].tabuUntil = m_step + TabuTenure + m_random.below(10);
        if (m_left < m_bestLeft) {
            m_bestLeft = m_left;
            for (std::size_t k = 0; k < m_events.size(); ++k)
                m_best[k] = m_events[k].cells;
        }
    }
    restoreBest();
}

std::vector<CodeId> WeekCompletion::blockersOf(std::size_t i)
{
    const Movable &mv = m_events[i];
    std::vector<std::pair<int, CodeId>> counts;
    auto add = [&](std::uint16_t r) {
        const CodeId c = m.resourceOfRow(r);
        for (auto &p : counts)
            if (p.second == c) {
                ++p.first;
                return;
            }
        counts.emplace_back(1, c);
    };
    for (int day = 1; day <= m_days; ++day)
        for (int bell = 1; bell <= m_bells; ++bell) {
            const std::uint32_t bit = bellSpan(bell, bell);
            if (mv.cells[static_cast<std::size_t>(day)] & bit)
                continue;
            std::uint16_t only = 0;
            int busy = 0;
            for (const std::uint16_t r : mv.rows)
                if ((m_fixed[dayIndex(r, day)] | m_movable[dayIndex(r, day)]) & bit) {
                    ++busy;
                    only = r;
                }
            if (busy == 1)
                add(only);
        }
    std::stable_sort(counts.begin(), counts.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    std::vector<CodeId> out;
    for (std::size_t k = 0; k < counts.size() && k < 3; ++k)
        out.push_back(counts[k].second);
    if (out.empty())
        for (const std::uint16_t r : mv.rows)
            out.push_back(m.resourceOfRow(r));
    return out;
}

// Events that keep their cells in the week: locked ones (unless included), those with manually
// chosen rooms in the week, and those in a conflict the week already holds.
std::vector<bool> fixedEvents(const ScheduleData &d, const WeekMatrix &m,
                              const CompletionSettings &s)
{
    std::vector<bool> fixed(static_cast<std::size_t>(MaxCodes) + 1, false);
    for (int c = 1; c <= d.codeCount; ++c)
        if (isLockedCode(d, static_cast<CodeId>(c)) && !s.includeLocked)
            fixed[static_cast<std::size_t>(c)] = true;
    for (const CodeId e : manualRoomEvents(d, m))
        fixed[e] = true;
    for (const CodeId e : conflictingEvents(d, m))
        fixed[e] = true;
    markCoveringEvents(m, fixed);
    return fixed;
}

void storeWeek(ScheduleData &d, WeekMatrix &m, const WeekCompletion &wc, CompletionResult &r)
{
    std::vector<CellChange> changes;
    for (std::size_t i = 0; i < wc.events().size(); ++i)
        if (wc.events()[i].start != wc.best()[i])
            changes.push_back({wc.events()[i].code, wc.events()[i].start, wc.best()[i]});
    r.moved += storeCellChanges(d, m, changes, r.storeFailed);
}

} // namespace

CompletionResult completeTimetables(ScheduleData &d, const CompletionSettings &s,
                                    Progress &progress)
{
    CompletionResult result;
    const int weeks = usedWeeks(d);
    const int first = std::max<int>(s.range.startWeek > 0 ? s.range.startWeek : 1, 1);
    const int last = std::min<int>(s.range.endWeek > 0 ? s.range.endWeek : weeks, weeks);
    if (d.eventList[0] == 0 || first > last) {
        result.message = "Nothing to complete.";
        return result;
    }
    result.conflictsBefore = conflictsInWeeks(d, first, last);

    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;

    std::vector<bool> completed(static_cast<std::size_t>(MaxCodes) + 1, false);
    for (int c = 1; c <= d.codeCount; ++c)
        completed[static_cast<std::size_t>(c)] =
            !s.markedOnly || (marks[static_cast<std::size_t>(c)] & 1);

    Random random(s.seed);
    WeekMatrix m;
    ProgressRun run(progress, "Completion", 0);
    int placedBefore = 0;
    for (int w = first; w <= last && !result.stopped; ++w) {
        m.build(d, w);
        const std::vector<bool> fixed = fixedEvents(d, m, s);
        WeekCompletion wc(m, s, random);
        if (!wc.load(fixed, completed))
            continue;
        wc.search(progress, placedBefore, result.stopped);
        placedBefore += wc.leftAtStart() - wc.bestLeft();
        for (std::size_t i = 0; i < wc.events().size(); ++i) {
            const Movable &mv = wc.events()[i];
            if (mv.left > 0)
                result.unplaced.push_back({mv.code, w, mv.left, wc.blockersOf(i)});
        }
        storeWeek(d, m, wc, result);
    }
    recount(d);
    for (int c = 1; c <= d.codeCount && c < static_cast<int>(marks.size()); ++c)
        d.codes[c].flags |= marks[static_cast<std::size_t>(c)];

    // What the store holds decides the counts: periods placed and periods still left.
    totals(d, 1, d.codeCount);
    for (const CompletionLeft &l : result.unplaced)
        result.left += l.periods;
    result.placed = placedBefore;
    result.conflictsAfter = conflictsInWeeks(d, first, last);
    if (result.storeFailed)
        result.message = "The lecture store refused a change; the event kept its periods.";
    else if (result.stopped)
        result.message = "Stopped.";
    return result;
}

CompletionResult completeTimetables(ScheduleData &d, const CompletionSettings &s)
{
    NullProgress progress;
    return completeTimetables(d, s, progress);
}

int storeCellChanges(ScheduleData &d, WeekMatrix &m, const std::vector<CellChange> &changes,
                     bool &storeFailed)
{
    const int days = m.usedDays();
    auto runs = [](std::uint32_t mask, auto &&f) {
        while (mask) {
            const int first = std::countr_zero(mask) + 1;
            const int len = std::countr_one(mask >> (first - 1));
            f(first, len);
            mask &= ~bellSpan(first, first + len - 1);
        }
    };
    int moved = 0;
    std::vector<bool> keep(changes.size(), false);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const CellChange &c = changes[i];
        bool away = false;
        for (int day = 1; day <= days; ++day) {
            const auto dd = static_cast<std::size_t>(day);
            const std::uint32_t gone = c.from[dd] & ~c.to[dd];
            away = away || gone != 0;
            runs(gone, [&](int bell, int len) {
                if (!m.deleteBlock(d, c.event, day, bell, len)) {
                    storeFailed = true;
                    keep[i] = true;
                }
            });
        }
        moved += away ? 1 : 0;
    }
    std::vector<std::uint16_t> scratch;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const CellChange &c = changes[i];
        if (keep[i])
            continue;
        const std::span<const std::uint16_t> rows = m.rowsOf(d, c.event, scratch);
        for (int day = 1; day <= days; ++day) {
            const auto dd = static_cast<std::size_t>(day);
            runs(c.to[dd] & ~c.from[dd], [&](int bell, int len) {
                const std::uint32_t bits = bellSpan(bell, bell + len - 1);
                for (const std::uint16_t row : rows)
                    if ((m.eventMask(row, day) | m.bookingMask(row, day)) & bits)
                        return;
                if (!m.insertBlock(d, c.event, day, bell, len))
                    storeFailed = true;
            });
        }
    }
    return moved;
}

void markCoveringEvents(const WeekMatrix &m, std::vector<bool> &marks)
{
    if (m.hidesNothing())
        return;
    for (const CodeId e : m.weekEvents()) {
        const MatrixEvent *ev = m.event(e);
        if (!ev || e >= marks.size())
            continue;
        for (const std::uint16_t r : ev->rows)
            for (int day = 1; day <= m.usedDays() && !marks[e]; ++day)
                for (std::uint32_t b = ev->cells[static_cast<std::size_t>(day)]; b; b &= b - 1)
                    if (m.hidesAt(r, day, std::countr_zero(b) + 1)) {
                        marks[e] = true;
                        break;
                    }
    }
}

std::string completionReport(const ScheduleData &d, const CompletionResult &r)
{
    std::string text;
    for (const CompletionLeft &l : r.unplaced) {
        text += d.codes[l.event].code.str() + " (week " + std::to_string(l.week) +
                "): " + std::to_string(l.periods) + " periods, blocked by ";
        for (std::size_t k = 0; k < l.blockers.size(); ++k)
            text += (k ? ", " : "") + d.codes[l.blockers[k]].code.str();
        text += '\n';
    }
    return text;
}

} // namespace quivra
