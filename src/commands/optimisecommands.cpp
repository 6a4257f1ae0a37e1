#include "commands/optimisecommands.h"

namespace quivra {

void PromptedToolDialogue::inform(const std::string &text)
{
    m_prompter.infoDlg(text);
}

bool PromptedToolDialogue::askYesNo(const std::string &question)
{
    return m_prompter.yesNoDlg(question);
}

ToolDialogue::Answer PromptedToolDialogue::askYesNoCancel(const std::string &question)
{
    const int a = m_prompter.yesNoCancelDlg(question);
    return a == quivra::Answer::Yes  ? Answer::Yes
           : a == quivra::Answer::No ? Answer::No
                                     : Answer::Cancel;
}

std::optional<std::vector<CodeId>>
PromptedToolDialogue::pickEvents(const std::string &title, const std::vector<CodeId> &offered)
{
    std::vector<CodeId> preset;
    for (const CodeId c : offered)
        if (m_d.codes[c].flags & 1)
            preset.push_back(c);
    if (preset.empty())
        preset = offered;
    return m_prompter.pickAmong(m_d, title, offered, preset);
}

std::optional<CodeId> PromptedToolDialogue::pickEvent(const std::string &title,
                                                      const std::vector<CodeId> &offered,
                                                      const std::vector<std::string> &lines)
{
    const CodeId chosen = m_prompter.chooseAmong(m_d, title, offered, lines);
    return chosen != 0 ? std::optional<CodeId>(chosen) : std::nullopt;
}

std::optional<int> PromptedToolDialogue::pickWeek(const std::string &question, int preset,
                                                  int first, int last)
{
    const int w = m_prompter.pickWeek(m_d, preset, question, last, first);
    return w > 0 ? std::optional<int>(w) : std::nullopt;
}

std::optional<int> PromptedToolDialogue::pickCategory(const std::string &title, bool events,
                                                      int preset)
{
    CategoryChoiceOptions options;
    options.events = events;
    const int k = m_prompter.categoryChoice(m_d, title, 0, preset, options);
    return k >= 1 && k <= MaxCategories ? std::optional<int>(k) : std::nullopt;
}

} // namespace quivra
