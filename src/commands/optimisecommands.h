#pragma once

// The optimisation dialog's commands: its settings read from and written to the settings file,
// and its questions put through the Prompter.
//
// The dialog's logic (optimise/optimisationsession.h) and its tools ask through a ToolDialogue; the
// one here words and draws every such question with the Prompter, so the desktop dialog and the
// scripted dialogs of the tests see the same messages, pickers and category choices. The
// desktop dialog only draws the settings and hands back what the user set.

#include "engine/scheduledata.h"
#include "optimise/optimisationsession.h"
#include "optimise/tools.h"
#include "ui/prompter.h"

#include <cstdint>

namespace quivra {

struct Settings;

// The dialog's settings from the [Optimize] settings. A stored seed below 65535 gives the day
// number `today`, so runs of one day repeat their choices unless a fixed seed was stored. Exam
// scheduling is on as the open file last had it, with the exams and students categories of
// [Preferences].
OptimisationSessionSettings optimisationSessionSettings(const ScheduleData &d, const Settings &s,
                                                        std::int32_t today);
// Writes the dialog's settings back into [Optimize] and the exam categories into [Preferences];
// exam scheduling stays on or off for the open file.
void storeOptimisationSessionSettings(const OptimisationSessionSettings &o, ScheduleData &d,
                                      Settings &s);

// The dialog's questions, through the Prompter.
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
