#pragma once

// Gap measures of timetables: the weighted gap count of a week matrix, the free-cell scores of an
// event, and the day measures and quality rows of single timetables.
//
// A gap is an empty bell between the first and the last occupied bell of one day of one
// timetable. A day's gaps come from its bell mask: (highest - lowest + 1) - bell count.

#include "engine/weekmatrix.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace quivra {

// Per resource category 1..7 a weight 0..9; entry 0 is unused.
using GapCategoryWeights = std::array<std::uint8_t, MaxCategories + 1>;

// Number of bells in a mask. The bit trick keeps the count inline on every processor; without a
// population-count instruction in the build, std::popcount becomes a library call, and the gap
// measures count bells for every probed cell.
constexpr int bellCount(std::uint32_t bells)
{
    bells = bells - ((bells >> 1) & 0x55555555u);
    bells = (bells & 0x33333333u) + ((bells >> 2) & 0x33333333u);
    bells = (bells + (bells >> 4)) & 0x0F0F0F0Fu;
    return static_cast<int>((bells * 0x01010101u) >> 24);
}

// Bells first..last (1-based) as a mask, inline for the gap measures' inner loops; 0 when the
// range is empty. Same as bellMask.
constexpr std::uint32_t bellSpan(int first, int last)
{
    first = first < 1 ? 1 : first;
    last = last > MaxBells ? MaxBells : last;
    if (first > last)
        return 0;
    const int len = last - first + 1;
    return (len >= 32 ? 0xFFFFFFFFu : (1u << len) - 1u) << (first - 1);
}

// Gaps of one day's bell mask.
inline int dayGaps(std::uint32_t bells)
{
    if (bells == 0)
        return 0;
    const int first = std::countr_zero(bells);
    const int last = 31 - std::countl_zero(bells);
    return last - first + 1 - bellCount(bells);
}

struct GapTotals
{
    int total = 0;                                   // sum of gaps x weight over all rows
    std::array<int, MaxCategories + 1> byCategory{}; // the same over the rows of category k
};

// Weighted gaps of the matrix: rows whose category has weight > 0, days and bells in use; a cell
// is occupied when it shows a period, or a booking when `bookings` is set. Reads the per-category
// sums the matrix keeps with every cell write, so it costs the same whatever the matrix size.
GapTotals gapCount(const WeekMatrix &m, const GapCategoryWeights &weights, bool bookings);

// Free-cell scores of an event over the matrix, indexed [day][bell] from 1. A cell occupied in
// any of the event's rows scores 0; a free cell starts at 100, gains inside the days' lessons of
// each row and loses far outside them, clamped to 1..255. run is the number of cells from the
// cell on (later bells) that all score above 0. dayHasBlock marks the days where the event
// itself has cells.
struct FreeCells
{
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> score{};
    std::array<std::array<std::uint8_t, MaxBells + 2>, MaxDays + 1> run{};
    std::array<bool, MaxDays + 1> dayHasBlock{};
};
void freeCellScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                    const GapCategoryWeights &weights, FreeCells &out);
// The scores as they would be with the event's cells `liftedBells` of day `liftedDay` taken out
// of its rows, read without changing the matrix. Only while m.hidesNothing() and the event
// holds those cells: then taking them out frees them and nothing else.
void freeCellScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                    const GapCategoryWeights &weights, int liftedDay, std::uint32_t liftedBells,
                    FreeCells &out);

// The cells where a block of `length` bells of event e may start for a move: the block's cells
// all free for the event (run >= length) and the first cell scoring at least 100, with the
// event's cells `liftedBells` of day `liftedDay` taken out as for the lifted scores above. The
// same cells as those scores give, found from the rows' masks: a cell that no row scores down
// keeps at least 100, one that rows only score down falls below it, and only a cell that some
// rows raise and others lower is scored row by row. Per day [1..7], bit b - 1 = bell b.
DayMasks moveCandidates(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                        const GapCategoryWeights &weights, int liftedDay, std::uint32_t liftedBells,
                        int length);

// Occupancy of one code's timetables over weeks w1..w2, days and bells up to the extent of what
// is scheduled. A cell is occupied when it holds a period, or a booking with `bookings`.
struct DayMeasures
{
    int occupied = 0;      // occupied cells in total
    int latestLast = 0;    // latest last occupied bell of a day
    int earliestFirst = 0; // earliest first occupied bell (0 when nothing is occupied)
    int longestSpan = 0;   // longest first..last of a day
    int shortestSpan = 0;  // shortest first..last of a day with cells (0 when none)
    int gaps = 0;          // empty bells inside the days, in total
};
DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings);
// The same through an index of the unchanged store, for callers that measure many timetables.
DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings,
                        const LectureIndex &index);
// The same for a resource whose events the caller already has (eventsByResource).
DayMeasures dayMeasures(const ScheduleData &d, int c, int w1, int w2, bool bookings,
                        const LectureIndex &index, const std::vector<CodeId> &events);

// One line of the timetable quality list of a week.
struct QualityRow
{
    CodeId resource = 0;
    int gaps = 0;
    int spread = 0; // longest span - shortest span
    int idle = 0;   // (latest bell - earliest bell + 1) - longest span
    int total = 0;  // gaps + spread + idle
    int value(int column) const;
};
struct QualityTable
{
    std::vector<QualityRow> rows; // largest value of the column first, at most 255
    QualityRow totals;            // column sums over the kept rows
};
constexpr int MaxQualityRows = 255;
// The timetables of the matrix's rows with gaps, spread or idle bells in the week, sorted by
// `column` (1 gaps, 2 spread, 3 idle, 4 total). Rooms and categories whose gaps are not counted
// are left out.
QualityTable qualityRows(const ScheduleData &d, const WeekMatrix &m, int column, bool bookings);

} // namespace quivra
