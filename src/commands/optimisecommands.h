#pragma once

// The optimisation dialog's commands: its questions put through the Prompter.
//
// The dialog's logic (optimise/optimisedialog.h) and its tools ask through a ToolDialogue; the
// one here words and draws every such question with the Prompter, so the desktop dialog and the
// scripted dialogs of the tests see the same messages, pickers and category choices.

#include "engine/scheduledata.h"
#include "optimise/tools.h"
#include "ui/prompter.h"

namespace quivra {

class PromptedToolDialogue final : public ToolDialogue
{
public:
    PromptedToolDialogue(ScheduleData &d, Prompter &prompter) : m_d(d), m_prompter(prompter) {}

    void inform(const std::string &text) override;
    bool askYesNo(const std::string &question) override;
    Answer askYesNoCancel(const std::string &question) override;
    // The events chosen last time stay checked; with none of them on offer, all are.
    std::optional<std::vector<CodeId>> pickEvents(const std::string &title,
                                                  const std::vector<CodeId> &offered) override;
    std::optional<CodeId> pickEvent(const std::string &title, const std::vector<CodeId> &offered,
                                    const std::vector<std::string> &lines) override;
    std::optional<int> pickWeek(const std::string &question, int preset, int first,
                                int last) override;
    std::optional<int> pickCategory(const std::string &title, bool events, int preset) override;

private:
    ScheduleData &m_d;
    Prompter &m_prompter;
};

} // namespace quivra
