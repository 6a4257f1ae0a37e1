#include "commands/conflictcheck.h"

#include "engine/cycling.h"
#include "ui/ports.h"
#include "ui/prompter.h"

namespace quivra {

SweepDialogue::Handling PromptedSweep::askHandling()
{
    const int choice = m_prompter.choice("\nHow would you like to handle possible conflicts?", 0, 1,
                                         "Count and remove them$Only count$");
    return choice == 1 ? Handling::Remove : choice == 2 ? Handling::CountOnly : Handling::Cancel;
}

bool PromptedSweep::offerLines(bool removing)
{
    std::string question = "Do you want to copy possible conflicts to the Clipboard?";
    if (removing)
        question += "\n(Conflicts are automatically removed.)";
    return m_clipboard != nullptr && m_prompter.yesNoDlg(question);
}

void PromptedSweep::deliverLines(const std::string &lines)
{
    if (m_clipboard)
        m_clipboard->setText(lines);
}

std::optional<ConflictReport> checkForConflicts(ScheduleData &d, Prompter &prompter,
                                                Progress &progress, Clipboard *clipboard,
                                                int currentWeek, bool fromPickedWeek)
{
    int week = 1;
    const int last = lastLectureWeek(d);
    if (fromPickedWeek && last > 1) {
        week = prompter.pickWeek(
            d, currentWeek, "\r\nSelect the first week to start\r\nsearching for conflicts:", last,
            1);
        if (week == 0)
            return std::nullopt;
    }
    PromptedSweep sweep(prompter, clipboard);
    // The sweep marks the data set modified itself, and only when it stored a change.
    const ConflictReport report = conflictSweep(d, {week, SweepHandling::Ask}, sweep, progress);
    if (report.cancelled)
        return std::nullopt;
    prompter.infoDlg("Conflicts from week " + std::to_string(week) + ": " +
                     sweepStatusText(report));
    return report;
}

} // namespace quivra
