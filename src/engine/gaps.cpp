#include "engine/gaps.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"

#include <algorithm>
#include <climits>

namespace quivra {

GapTotals gapCount(const WeekMatrix &m, const GapCategoryWeights &weights, bool bookings)
{
    GapTotals t;
    for (int k = 1; k <= MaxCategories; ++k) {
        const int sum = weights[static_cast<std::size_t>(k)] * m.categoryGaps(k, bookings);
        t.byCategory[static_cast<std::size_t>(k)] = sum;
        t.total += sum;
    }
    return t;
}

void freeCellScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                    const GapCategoryWeights &weights, FreeCells &out)
{
    freeCellScores(d, m, e, weights, 0, 0, out);
}

void freeCellScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                    const GapCategoryWeights &weights, int liftedDay, std::uint32_t liftedBells,
                    FreeCells &out)
{
    const int days = m.usedDays();
    const int bells = m.usedBells();
    out = FreeCells{};
    for (int day = 1; day <= days; ++day)
        for (int bell = 1; bell <= bells; ++bell)
            out.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] = 100;

    // Per day the cells occupied in one of the rows so far: they score 0 for good, and the
    // rows' masks say which cells each row changes, so only those are visited.
    std::array<std::uint32_t, MaxDays + 1> taken{};
    std::vector<std::uint16_t> scratch;
    const std::uint32_t used = bellSpan(1, bells);
    for (const std::uint16_t row : m.rowsOf(d, e, scratch)) {
        const int f = std::max<int>(weights[static_cast<std::size_t>(m.categoryOfRow(row))], 1);
        for (int day = 1; day <= days; ++day) {
            const std::uint32_t lifted = day == liftedDay ? liftedBells : 0u;
            const std::uint32_t occupied =
                (m.eventMask(row, day) | m.bookingMask(row, day)) & used & ~lifted;
            if (occupied == 0)
                continue;
            auto &score = out.score[static_cast<std::size_t>(day)];
            auto &dayTaken = taken[static_cast<std::size_t>(day)];
            for (std::uint32_t bits = occupied & ~dayTaken; bits != 0; bits &= bits - 1)
                score[static_cast<std::size_t>(std::countr_zero(bits) + 1)] = 0;
            dayTaken |= occupied;
            const std::uint32_t open = used & ~dayTaken;
            const int first = std::countr_zero(occupied) + 1;
            const int last = 32 - std::countl_zero(occupied);
            // Inside the day's lessons a free cell gains.
            for (std::uint32_t bits = open & bellSpan(first + 1, last - 1); bits != 0;
                 bits &= bits - 1) {
                auto &s = score[static_cast<std::size_t>(std::countr_zero(bits) + 1)];
                s = static_cast<std::uint8_t>(std::min(s + f, 255));
            }
            // Away from them it loses by its distance, unless the distance reaches the score.
            // The distance before the lessons counts the bell itself and the first lesson, the
            // distance after them neither; both as they have always been scored.
            for (std::uint32_t bits = open & bellSpan(1, first - 2); bits != 0; bits &= bits - 1) {
                const int bell = std::countr_zero(bits) + 1;
                auto &s = score[static_cast<std::size_t>(bell)];
                const int a = first - bell + 1;
                if (a < s)
                    s = static_cast<std::uint8_t>(std::max(s - a * f, 1));
            }
            for (std::uint32_t bits = open & bellSpan(last + 2, bells); bits != 0;
                 bits &= bits - 1) {
                const int bell = std::countr_zero(bits) + 1;
                auto &s = score[static_cast<std::size_t>(bell)];
                const int a = bell - last - 1;
                if (a < s)
                    s = static_cast<std::uint8_t>(std::max(s - a * f, 1));
            }
        }
    }
    // Runs of cells free for the event, counted towards later bells.
    for (int day = 1; day <= days; ++day) {
        const auto dd = static_cast<std::size_t>(day);
        for (int bell = bells; bell >= 1; --bell) {
            const auto b = static_cast<std::size_t>(bell);
            out.run[dd][b] =
                out.score[dd][b] > 0 ? static_cast<std::uint8_t>(out.run[dd][b + 1] + 1) : 0;
        }
    }
    if (const MatrixEvent *ev = m.event(e))
        for (int day = 1; day <= days; ++day)
            out.dayHasBlock[static_cast<std::size_t>(day)] =
                ev->cells[static_cast<std::size_t>(day)] != 0;
}

DayMasks moveCandidates(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                        const GapCategoryWeights &weights, int liftedDay, std::uint32_t liftedBells,
                        int length)
{
    DayMasks out{};
    const int days = m.usedDays();
    const int bells = m.usedBells();
    if (length < 1 || length > bells)
        return out;
    const std::uint32_t used = bellSpan(1, bells);
    std::vector<std::uint16_t> scratch;
    const auto rows = m.rowsOf(d, e, scratch);
    for (int day = 1; day <= days; ++day) {
        const auto dd = static_cast<std::size_t>(day);
        const std::uint32_t lifted = day == liftedDay ? liftedBells : 0u;
        auto occupied = [&](std::uint16_t row) {
            return (m.eventMask(row, day) | m.bookingMask(row, day)) & used & ~lifted;
        };
        std::uint32_t taken = 0, raised = 0, lowered = 0;
        for (const std::uint16_t row : rows) {
            const std::uint32_t cells = occupied(row);
            if (cells == 0)
                continue;
            const int first = std::countr_zero(cells) + 1;
            const int last = 32 - std::countl_zero(cells);
            taken |= cells;
            raised |= bellSpan(first + 1, last - 1);
            lowered |= bellSpan(1, first - 2) | bellSpan(last + 2, bells);
        }
        const std::uint32_t open = used & ~taken;
        std::uint32_t scoring = open & ~lowered;
        // Raised by some rows and lowered by others: the rows' rules in their order.
        for (std::uint32_t bits = open & lowered & raised; bits != 0; bits &= bits - 1) {
            const int bell = std::countr_zero(bits) + 1;
            int score = 100;
            for (const std::uint16_t row : rows) {
                const std::uint32_t cells = occupied(row);
                if (cells == 0)
                    continue;
                const int first = std::countr_zero(cells) + 1;
                const int last = 32 - std::countl_zero(cells);
                const int f =
                    std::max<int>(weights[static_cast<std::size_t>(m.categoryOfRow(row))], 1);
                if (bell > first && bell < last) {
                    score = std::min(score + f, 255);
                } else if (bell < first - 1) {
                    if (const int a = first - bell + 1; a < score)
                        score = std::max(score - a * f, 1);
                } else if (bell > last + 1) {
                    if (const int a = bell - last - 1; a < score)
                        score = std::max(score - a * f, 1);
                }
            }
            if (score >= 100)
                scoring |= bits & (~bits + 1);
        }
        // A block starts where `length` open bells follow.
        std::uint32_t room = open;
        for (int k = 1; k < length; ++k)
            room &= open >> k;
        out[dd] = scoring & room;
    }
    return out;
}

namespace {

DayMeasures measureDays(const ScheduleData &d, int c, int w1, int w2, bool bookings,
                        const LectureIndex *index, const std::vector<CodeId> *events)
{
    DayMeasures r;
    const int lastDay = std::clamp<int>(d.scheduleExtent.endDay, 0, MaxDays);
    const int lastBell = std::clamp<int>(d.scheduleExtent.endBell, 0, MaxBells);
    int shortest = INT_MAX;
    int earliest = INT_MAX;
    WeekTimetable t;
    for (int w = std::max(w1, 1); w <= std::min(w2, MaxWeeks); ++w) {
        if (index && events)
            weekTimetableOf(d, static_cast<CodeId>(c), w, t, *index, *events);
        else if (index)
            weekTimetableOf(d, static_cast<CodeId>(c), w, t, *index);
        else
            weekTimetableOf(d, static_cast<CodeId>(c), w, t);
        for (int day = 1; day <= lastDay; ++day) {
            std::uint32_t bells = 0;
            for (int bell = 1; bell <= lastBell; ++bell) {
                const CellWord cell = t.cell(day, bell);
                if ((cell & CellEventBit) || (bookings && (cell & CellBookingBit)))
                    bells |= 1u << (bell - 1);
            }
            if (bells == 0)
                continue;
            const int first = std::countr_zero(bells) + 1;
            const int last = 32 - std::countl_zero(bells);
            const int span = last - first + 1;
            r.occupied += bellCount(bells);
            r.gaps += span - bellCount(bells);
            r.latestLast = std::max(r.latestLast, last);
            earliest = std::min(earliest, first);
            r.longestSpan = std::max(r.longestSpan, span);
            shortest = std::min(shortest, span);
        }
    }
    r.shortestSpan = shortest == INT_MAX ? 0 : shortest;
    r.earliestFirst = earliest == INT_MAX ? 0 : earliest;
    return r;
}

} // namespace

DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings)
{
    return measureDays(d, c, w1, w2, bookings, nullptr, nullptr);
}

DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings,
                        const LectureIndex &index)
{
    return measureDays(d, c, w1, w2, bookings, &index, nullptr);
}

DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings,
                        const LectureIndex &index, const std::vector<CodeId> &events)
{
    return measureDays(d, c, w1, w2, bookings, &index, &events);
}

int QualityRow::value(int column) const
{
    switch (column) {
    case 1:
        return gaps;
    case 2:
        return spread;
    case 3:
        return idle;
    default:
        return total;
    }
}

QualityTable qualityRows(const ScheduleData &d, const WeekMatrix &m, int column, bool bookings)
{
    QualityTable table;
    // One pass over the store for every row, not one per row.
    const LectureIndex index(d);
    const std::vector<std::vector<CodeId>> eventsOf = eventsByResource(d);
    for (int row = 1; row <= m.rowCount(); ++row) {
        const int k = m.categoryOfRow(row);
        if (k == d.roomsCategory || (d.noGapsMasks[1] & (1u << k)))
            continue;
        const CodeId c = m.resourceOfRow(row);
        const DayMeasures dm = dayMeasures(d, c, m.week(), m.week(), bookings, index,
                                           eventsOf[static_cast<std::size_t>(c)]);
        if (dm.occupied == 0)
            continue;
        QualityRow q;
        q.resource = c;
        q.gaps = dm.gaps;
        q.spread = dm.longestSpan - dm.shortestSpan;
        q.idle = (dm.latestLast - dm.earliestFirst + 1) - dm.longestSpan;
        q.total = q.gaps + q.spread + q.idle;
        if (q.total <= 0)
            continue;
        if (table.rows.size() < MaxQualityRows) {
            table.rows.push_back(q);
            continue;
        }
        auto smallest = std::min_element(table.rows.begin(), table.rows.end(),
                                         [&](const QualityRow &a, const QualityRow &b) {
                                             return a.value(column) < b.value(column);
                                         });
        if (q.value(column) > smallest->value(column))
            *smallest = q;
    }
    std::stable_sort(table.rows.begin(), table.rows.end(),
                     [&](const QualityRow &a, const QualityRow &b) {
                         return a.value(column) > b.value(column);
                     });
    for (const QualityRow &q : table.rows) {
        table.totals.gaps += q.gaps;
        table.totals.spread += q.spread;
        table.totals.idle += q.idle;
        table.totals.total += q.total;
    }
    return table;
}

} // namespace quivra
