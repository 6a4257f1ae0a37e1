#pragma once

// MoveLog: the undo and redo history of the block changes made in one week matrix.
//
// Every step is symmetric: it holds both sides of its change, and applying it performs the change
// and then exchanges the sides, so the same step, applied again, takes the change back. Undo and
// redo are therefore the same operation on different steps.
//
// The log is a ring of MoveLogCapacity steps. position() steps are done, size() steps exist
// (the ones above position() can be redone). Recording a new step discards the steps that could
// be redone; when the ring is full the oldest step is dropped, so after capacity + 1 steps the
// first can no longer be undone. A bookmark names a position; it follows the positions when the
// oldest step is dropped and disappears when its position is dropped or discarded.

#include "engine/scheduledata.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quivra {

constexpr int MoveLogCapacity = 2000;

enum class StepType : std::uint8_t {
    Schedule = 1,        // a block was placed
    Unschedule = 2,      // a block was removed
    Move = 3,            // a block moved from (day, bell) to (day2, bell2)
    ToggleBookings = 4,  // booking cells of a row were turned free and free cells booked
    Swap = 5,            // the blocks of code at (day, bell) and code2 at (day2, bell2) swapped
    ReplaceResource = 6, // resource code2 of event code's collection replaced by code3
};

// A cell changed by a toggle: the word it shows now and the word of the other side.
struct ToggledCell
{
    std::uint32_t index = 0;
    std::uint32_t shown = 0;
    std::uint32_t other = 0;
};

struct MoveStep
{
    StepType type = StepType::Schedule;
    CodeId code = 0;
    CodeId code2 = 0;
    CodeId code3 = 0; // ReplaceResource: the resource applying the step puts in code2's place
    std::uint16_t row = 0;
    std::uint8_t day = 0, bell = 0, length = 0, day2 = 0, bell2 = 0;
    // Schedule/Unschedule: true when applying the step places the block.
    bool places = false;
    std::vector<ToggledCell> cells; // ToggleBookings only
};

class MoveLog
{
public:
    MoveLog();

    // Forgets every step and the bookmark; the action counters stay.
    void clear();
    // Stores a step that has just been performed (its sides already exchanged).
    void record(MoveStep step);

    int position() const { return m_position; }
    int size() const { return m_size; }
    bool canUndo() const { return m_position > 0; }
    bool canRedo() const { return m_position < m_size; }
    // The step undo would apply (position()), or the one redo would apply (position() + 1).
    MoveStep &undoStep() { return at(m_position); }
    MoveStep &redoStep() { return at(m_position + 1); }
    // Step k (1..size()), for listing the history; step position() is the one undo applies.
    const MoveStep &step(int k) const
    {
        return m_steps[static_cast<std::size_t>((m_first + k - 1) % MoveLogCapacity)];
    }
    // Move the position after the step was applied successfully.
    void undone();
    void redone();

    void setBookmark() { m_bookmark = m_position; }
    // -1 when there is none.
    int bookmark() const { return m_bookmark; }

    // Recorded steps per type (1..6), undone steps per type + 7, redone per type + 14.
    int actions(int counter) const;
    // Bit L - 1 set when a block of length L (1..32) was recorded.
    std::uint32_t lengthsUsed() const { return m_lengths; }
    // Cells of one timetable the recorded, undone and redone steps changed: a block's length
    // for a schedule or unschedule (and a resource replaced), twice it for a move and a swap,
    // the toggled cells of a booking change.
    int cellsChanged() const { return m_cells; }
    // Starts the action counters, the cells and the lengths again from 0; the steps stay.
    void resetActions();

private:
    MoveStep &at(int k)
    {
        return m_steps[static_cast<std::size_t>((m_first + k - 1) % MoveLogCapacity)];
    }

    std::vector<MoveStep> m_steps;
    int m_first = 0;    // ring index of step 1
    int m_position = 0; // steps done
    int m_size = 0;     // steps held
    int m_bookmark = 0;
    std::array<int, 22> m_actions{};
    std::uint32_t m_lengths = 0;
    int m_cells = 0;
};

} // namespace quivra
