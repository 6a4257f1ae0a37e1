#include "engine/slotsearch.h"

#include <algorithm>
#include <numeric>

namespace quivra {

SlotSearchResult slotSearch(ScheduleData &d, WeekMatrix &m, CodeId e, int &day, int &bell,
                            SlotSearchMode mode, int length, const GapCategoryWeights &weights,
                            FreeCells *scores, SlotMap *all)
{
    const MatrixEvent *ev = m.event(e);
    if (!ev)
        return {0, Refusal::NotInWeek, false};
    const int days = m.usedDays();
    const int bells = m.usedBells();
    if (length < 1 || length > bells || day < 1 || day > days || bell < 1 ||
        bell + length - 1 > bells)
        return {0, Refusal::OutOfRange, false};
    const std::uint32_t bits = bellMask(bell, bell + length - 1);
    if ((ev->cells[static_cast<std::size_t>(day)] & bits) != bits)
        return {0, Refusal::NotPlaced, false};

    // Score the week with the block taken out of the matrix; the store is not touched unless
    // the block really moves.
    FreeCells local;
    FreeCells &fc = scores ? *scores : local;
    m.probeErase(e, day, bell, length);
    freeCellScores(d, m, e, weights, fc);
    m.probeEnter(e, day, bell, length);
    fc.dayHasBlock[static_cast<std::size_t>(day)] =
        (ev->cells[static_cast<std::size_t>(day)] & ~bits) != 0;

    const int lastStart = bells - length + 1;
    const int positions = lastStart * days;
    const bool backward = mode == SlotSearchMode::Previous;
    int b = bell, dd = day;
    int bestValue = 0;
    int foundBell = 0, foundDay = 0;
    if (all)
        *all = SlotMap{};
    for (int k = 0; k < positions; ++k) {
        if (!backward) {
            if (++b > lastStart) {
                b = 1;
                dd = dd % days + 1;
            }
        } else if (--b < 1) {
            b = lastStart;
            dd = dd == 1 ? days : dd - 1;
        }
        const auto &score = fc.score[static_cast<std::size_t>(dd)];
        if (fc.run[static_cast<std::size_t>(dd)][static_cast<std::size_t>(b)] < length)
            continue;
        if (mode == SlotSearchMode::All) {
            if (all) {
                all->first[static_cast<std::size_t>(dd)][static_cast<std::size_t>(b)] = 1;
                ++all->feasible;
                for (int i = 0; i < length; ++i)
                    ++all->coverage[static_cast<std::size_t>(dd)][static_cast<std::size_t>(b + i)];
            }
            continue;
        }
        if (mode == SlotSearchMode::Best) {
            int value = std::accumulate(score.begin() + b, score.begin() + b + length, 0);
            if (dd != day && fc.dayHasBlock[static_cast<std::size_t>(dd)])
                value = 0;
            if (value > bestValue) {
                bestValue = value;
                foundBell = b;
                foundDay = dd;
            }
            continue;
        }
        foundBell = b;
        foundDay = dd;
        break;
    }
    if (foundDay == 0 || (foundDay == day && foundBell == bell))
        return {length, Refusal::None, false};
    const BlockOutcome r = m.move(d, e, day, bell, length, foundDay, foundBell);
    if (!r)
        return {0, r.refusal, false};
    bell = foundBell;
    day = foundDay;
    return {length, Refusal::None, true};
}

BlockerGroups blockerGroups(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                            const FreeCells &scores)
{
    constexpr std::size_t MaxGroups = 255;
    BlockerGroups out;
    std::vector<std::uint16_t> scratch;
    const auto rows = m.rowsOf(d, e, scratch);
    const std::uint16_t own = static_cast<std::uint16_t>(e | LectureEventBit);
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> group{};
    for (int day = 1; day <= m.usedDays(); ++day)
        for (int bell = 1; bell <= m.usedBells(); ++bell) {
            const auto dd = static_cast<std::size_t>(day);
            const auto bb = static_cast<std::size_t>(bell);
            if (scores.score[dd][bb] > 0) {
                ++out.freeCells;
                continue;
            }
            int blocking = 0;
            CellWord word = 0;
            CodeId resource = 0;
            for (const std::uint16_t row : rows)
                if (const CellWord c = m.cell(row, day, bell); c != 0) {
                    ++blocking;
                    word = c;
                    resource = m.resourceOfRow(row);
                }
            const std::uint16_t w = cellLectureWord(word);
            if (blocking != 1 || !(w & LectureEventBit) || w == own)
                continue;
            auto it = std::find_if(out.groups.begin(), out.groups.end(), [&](const auto &g) {
                return g.word == w && g.resource == resource;
            });
            if (it == out.groups.end()) {
                if (out.groups.size() == MaxGroups)
                    continue;
                out.groups.push_back({w, resource, 0});
                it = out.groups.end() - 1;
            }
            ++it->cells;
            group[dd][bb] = static_cast<std::uint8_t>(it - out.groups.begin() + 1);
        }
    std::vector<int> order(out.groups.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return out.groups[static_cast<std::size_t>(a)].cells >
               out.groups[static_cast<std::size_t>(b)].cells;
    });
    std::vector<std::uint8_t> rank(order.size() + 1);
    std::vector<BlockerGroup> sorted;
    for (std::size_t i = 0; i < order.size(); ++i) {
        rank[static_cast<std::size_t>(order[i]) + 1] = static_cast<std::uint8_t>(i + 1);
        sorted.push_back(out.groups[static_cast<std::size_t>(order[i])]);
    }
    out.groups = std::move(sorted);
    for (std::size_t dd = 1; dd <= MaxDays; ++dd)
        for (std::size_t bb = 1; bb <= MaxBells; ++bb)
            out.label[dd][bb] = rank.size() > group[dd][bb] ? rank[group[dd][bb]] : 0;
    return out;
}

} // namespace quivra
