#pragma once

// The conflict check of the Tools menu and the sweep dialogue every command shares: how to
// handle the conflicts is asked through the Prompter, progress goes to the Progress port the
// sweep is given and the lines of the conflicts found, when the user wants them, to the
// clipboard.
//
// Counting and removing report the same measure: the timetable cells a later event loses to an
// earlier one (engine/conflicts.h). Only a removal that was stored marks the data set modified;
// counting leaves it as it was.

#include "engine/conflicts.h"
#include "engine/scheduledata.h"

#include <optional>
#include <string>

namespace quivra {

class Clipboard;
class Prompter;

// The questions of a conflict sweep asked through the prompter: the lines offered at the first
// conflict go to `clipboard` (none: they are not offered).
class PromptedSweep final : public SweepDialogue
{
public:
    PromptedSweep(Prompter &prompter, Clipboard *clipboard)
        : m_prompter(prompter), m_clipboard(clipboard)
    {}
    Handling askHandling() override;
    bool offerLines(bool removing) override;
    void deliverLines(const std::string &lines) override;

private:
    Prompter &m_prompter;
    Clipboard *m_clipboard;
};

// Tools|Check for conflicts. From week 1, or with `fromPickedWeek` from a week the user picks
// (offered at `currentWeek`) when more than one week holds lectures; then the sweep asks how to
// handle the conflicts, and a final message gives the outcome. Nothing when the week choice or
// the handling question is cancelled.
std::optional<ConflictReport> checkForConflicts(ScheduleData &d, Prompter &prompter,
                                                Progress &progress, Clipboard *clipboard,
                                                int currentWeek, bool fromPickedWeek);

} // namespace quivra
