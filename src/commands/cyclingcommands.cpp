#include "commands/cyclingcommands.h"

#include <algorithm>

namespace quivra {

std::vector<std::string> cycleMapTexts(const std::vector<CycleDay> &lines, int cycles)
{
    std::vector<std::string> texts;
    texts.reserve(lines.size());
    for (std::size_t j = 0; j < lines.size(); ++j)
        texts.push_back(cycleLineText(lines[j], static_cast<int>(j), cycles));
    return texts;
}

void removeCycleLines(std::vector<CycleDay> &lines, std::vector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it >= 0 && static_cast<std::size_t>(*it) < lines.size())
            lines.erase(lines.begin() + *it);
}

int PromptedCycling::chooseCycles(int maximum, int proposed)
{
    std::string list;
    for (int c = 1; c <= maximum; ++c)
        list += std::to_string(c) + "$";
    return m_p.choice("\r\nSelect the number of cycles (=required days in the timetable)",
                      CyclingHelpTopic, std::clamp(proposed, 1, std::max(1, maximum)), list);
}

bool PromptedCycling::confirmSources(int c, int weeks)
{
    return m_p.yesNoDlg("The days 1 ... " + std::to_string(c) +
                            " of the timetable are stored in the first " + std::to_string(weeks) +
                            " weeks. Is this correct?",
                        0, CyclingHelpTopic);
}

bool PromptedCycling::confirmTargets(int first, int last)
{
    return m_p.yesNoDlg("Next they are copied and rearranged to weeks " + std::to_string(first) +
                            " ... " + std::to_string(last) + ". Yes?",
                        0, CyclingHelpTopic);
}

bool PromptedCycling::editMap(std::vector<CycleDay> &lines, int c)
{
    if (m_editor)
        return m_editor(lines, c);
    // A check list: the checked lines go, and the map is shown again with its new numbers.
    std::vector<CycleDay> edited = lines;
    for (;;) {
        OptionsRequest request;
        request.caption = "Cycle table";
        request.question = "\r\nMap for the new timetables:\r\n(check the special days to skip)";
        request.helpTopic = CyclingHelpTopic;
        request.multiple = true;
        request.columns = 0;
        const std::vector<std::string> texts = cycleMapTexts(edited, c);
        for (std::size_t j = 0; j < texts.size(); ++j)
            request.options.push_back({static_cast<int>(j) + 1, texts[j]});
        const std::optional<std::vector<int>> checked = m_p.checkList(request);
        if (!checked)
            return false;
        if (checked->empty())
            break;
        std::vector<int> positions;
        for (int number : *checked)
            positions.push_back(number - 1);
        removeCycleLines(edited, positions);
    }
    lines = std::move(edited);
    return true;
}

void PromptedCycling::inform(const std::string &text)
{
    m_p.infoDlg(text, 0, CyclingHelpTopic);
}

bool cycleTimetables(ScheduleData &d, Prompter &p, CycleMapEditor editor)
{
    PromptedCycling dialogue(p, std::move(editor));
    const Result<int> copied = cyclingTimetables(d, dialogue);
    return copied && *copied > 0;
}

} // namespace quivra
