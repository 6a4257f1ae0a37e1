#pragma once

// What the searches that move blocks within one week (the completion and the improver) share:
// the indexes of their per (row, day) masks and per cell owners, and the questions about a
// week's events they both ask before a search starts.

#include "engine/scheduledata.h"
#include "engine/weekmatrix.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quivra {

// Index of (row, day) in a search's per-day masks.
inline std::size_t dayIndex(int row, int day)
{
    return static_cast<std::size_t>(row) * (MaxDays + 1) + static_cast<std::size_t>(day);
}

// Index of a cell in a search's per-cell owners (the week matrix's cell layout).
inline std::size_t cellIndex(int row, int day, int bell)
{
    return (static_cast<std::size_t>(row) << MatrixRowShift) |
           static_cast<std::size_t>(day << MatrixDayShift) | static_cast<std::size_t>(bell);
}

// True when the bells of `mask` are one unbroken block; an empty mask is none.
inline bool contiguous(std::uint32_t mask)
{
    if (mask == 0)
        return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// Writes `owner` into the per-cell owners for the bells of `bells` of one row's day.
inline void setOwner(std::vector<std::int32_t> &owners, int row, int day, std::uint32_t bells,
                     std::int32_t owner)
{
    for (std::uint32_t b = bells; b; b &= b - 1)
        owners[cellIndex(row, day, std::countr_zero(b) + 1)] = owner;
}

// An event's timetabled rows, each once, in order, without the empty row 0.
std::vector<std::uint16_t> distinctRows(const MatrixEvent &ev);

// The events with manually chosen rooms in the matrix's week.
std::vector<CodeId> manualRoomEvents(const ScheduleData &d, const WeekMatrix &m);

} // namespace quivra
