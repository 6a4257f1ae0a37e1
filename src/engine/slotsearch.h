#pragma once

// Position searches for one block of an event in the week matrix: the next, previous or best
// free position, every feasible position, and which single events block the event's cells.
//
// A position (day, bell) is feasible for a block of length L when the L cells from it all score
// above 0 in the event's free-cell scores (gaps.h), taken with the block itself out of the
// matrix. Searches scan from the cell after the block's own position and wrap around the week,
// so the block's own position is the last one looked at.

#include "engine/gaps.h"
#include "engine/weekmatrix.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quivra {

enum class SlotSearchMode {
    Best,     // the first position of the strictly highest summed score
    Next,     // the first feasible position after the block
    All,      // mark every feasible position; the block stays
    Previous, // the first feasible position before the block
};

// SlotSearchMode::All: first[day][bell] is 1 where a feasible block may start, coverage[day][bell]
// counts the feasible blocks covering the cell.
struct SlotMap
{
    int feasible = 0;
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> first{};
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> coverage{};
};

struct SlotSearchResult
{
    int length = 0; // the block's length; 0 when refused
    Refusal refusal = Refusal::None;
    bool moved = false;
    explicit operator bool() const { return length != 0; }
};

// Searches a position for event e's block of `length` at (day, bell) and moves the block there
// (one logged move) when the position differs; day and bell follow the block. Refused when the
// event does not hold the block, the length does not fit the day, or the store refuses the move
// (the block then stays). `scores` receives the free-cell scores used; `all` the marks of
// SlotSearchMode::All.
SlotSearchResult slotSearch(ScheduleData &d, WeekMatrix &m, CodeId e, int &day, int &bell,
                            SlotSearchMode mode, int length, const GapCategoryWeights &weights,
                            FreeCells *scores = nullptr, SlotMap *all = nullptr);

// The single events that block cells for an event: cells blocked in exactly one of its rows by
// another event's period, grouped by (event word, resource) and ranked by their number of cells,
// most first (ties in order of first appearance, days then bells). label[day][bell] is the rank
// of the cell's group, 0 for cells in no group. At most 255 groups.
struct BlockerGroup
{
    std::uint16_t word = 0;
    CodeId resource = 0;
    int cells = 0;
};
struct BlockerGroups
{
    int freeCells = 0;
    std::vector<BlockerGroup> groups;
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> label{};
};
BlockerGroups blockerGroups(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                            const FreeCells &scores);

} // namespace quivra
