#include "engine/movelog.h"

#include <utility>

namespace quivra {
namespace {

int cellsOf(const MoveStep &step)
{
    switch (step.type) {
    case StepType::Move:
    case StepType::Swap:
        return 2 * step.length;
    case StepType::ToggleBookings:
        return static_cast<int>(step.cells.size());
    default:
        return step.length;
    }
}

} // namespace

MoveLog::MoveLog() : m_steps(MoveLogCapacity) {}

void MoveLog::clear()
{
    m_first = 0;
    m_position = 0;
    m_size = 0;
    m_bookmark = 0;
}

void MoveLog::record(MoveStep step)
{
    if (m_position == MoveLogCapacity) {
        // Drop the oldest step; the bookmark keeps naming the same state.
        m_first = (m_first + 1) % MoveLogCapacity;
        --m_position;
        m_bookmark = m_bookmark > 0 ? m_bookmark - 1 : -1;
    }
    // A bookmark on a step about to be discarded would name a state that no longer exists.
    if (m_bookmark > m_position)
        m_bookmark = -1;
    const int type = static_cast<int>(step.type);
    if (step.length >= 1 && step.length <= 32)
        m_lengths |= 1u << (step.length - 1);
    ++m_position;
    m_size = m_position;
    m_cells += cellsOf(step);
    at(m_position) = std::move(step);
    ++m_actions[static_cast<std::size_t>(type)];
}

void MoveLog::undone()
{
    ++m_actions[static_cast<std::size_t>(static_cast<int>(undoStep().type) + 7)];
    m_cells += cellsOf(undoStep());
    --m_position;
}

void MoveLog::redone()
{
    ++m_position;
    ++m_actions[static_cast<std::size_t>(static_cast<int>(undoStep().type) + 14)];
    m_cells += cellsOf(undoStep());
}

void MoveLog::resetActions()
{
    m_actions = {};
    m_lengths = 0;
    m_cells = 0;
}

int MoveLog::actions(int counter) const
{
    return counter >= 1 && counter < static_cast<int>(m_actions.size())
               ? m_actions[static_cast<std::size_t>(counter)]
               : 0;
}

} // namespace quivra
