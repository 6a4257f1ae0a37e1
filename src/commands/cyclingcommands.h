#pragma once

// Tools|Cycling timetables: the questions of the roll-out of cycle days over new weeks, asked
// through the Prompter, and the map of target days the user edits.
//
// The map is a list of lines "Week w, day d = Cycle r". The user removes the special days;
// the cycle numbers of the later lines move up. The desktop edits it in its own list window
// (a MapEditor); without one the map is offered as a check list in which the checked lines are
// removed, again and again, until OK is pressed with nothing checked.

#include "engine/cycling.h"
#include "ui/prompter.h"

#include <functional>
#include <string>
#include <vector>

namespace quivra {

constexpr int CyclingHelpTopic = 2560;

// Edits the map in place; false cancels.
using CycleMapEditor = std::function<bool(std::vector<CycleDay> &lines, int cycles)>;

// The lines of the map as shown, in order.
std::vector<std::string> cycleMapTexts(const std::vector<CycleDay> &lines, int cycles);
// Removes the lines at the given positions (from 0; out of range and repeated ones ignored).
void removeCycleLines(std::vector<CycleDay> &lines, std::vector<int> positions);

// The command's dialogue over the Prompter.
class PromptedCycling final : public CyclingDialogue
{
public:
    explicit PromptedCycling(Prompter &p, CycleMapEditor editor = {})
        : m_p(p), m_editor(std::move(editor))
    {}

    int chooseCycles(int maximum, int proposed) override;
    bool confirmSources(int c, int weeks) override;
    bool confirmTargets(int first, int last) override;
    bool editMap(std::vector<CycleDay> &lines, int c) override;
    void inform(const std::string &text) override;

private:
    Prompter &m_p;
    CycleMapEditor m_editor;
};

// The whole command; true when days were copied (the views need a refresh).
bool cycleTimetables(ScheduleData &d, Prompter &p, CycleMapEditor editor = {});

} // namespace quivra
