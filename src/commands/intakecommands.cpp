#include "commands/intakecommands.h"

#include "commands/commandsupport.h"
#include "commands/filecommands.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "files/intake.h"

#include <bitset>
#include <filesystem>

namespace quivra {

namespace {

const std::string br = LineBreak;

// The pattern's name without folder and extension, "Plan" for "/data/Plan.qvf".
std::string patternStem(const Session &s)
{
    const std::filesystem::path path(s.currentFile());
    return path.empty() ? std::string("untitled") : path.stem().string();
}

// The format question's options, each with the first two events marked for intake 2.
std::string formatList(const ScheduleData &d)
{
    static constexpr const char *Texts[] = {"Postfix and letter", "Prefix and letter",
                                            "Postfix and number", "Prefix and number"};
    const CodeId e1 = d.eventList[0] >= 1 ? d.eventList[1] : 0;
    const CodeId e2 = d.eventList[0] >= 2 ? d.eventList[2] : e1;
    std::string list;
    for (int k = 1; k <= 4; ++k) {
        const auto form = static_cast<IntakeForm>(k);
        list += std::string(Texts[k - 1]) + " (such as: \"" +
                intakeCode(d.codes[e1].code.view(), form, 2) + "\", \"" +
                intakeCode(d.codes[e2].code.view(), form, 2) + "\")$";
    }
    return list;
}

} // namespace

bool intakeScheduling(Session &s)
{
    ScheduleData &d = s.data;
    Prompter &p = s.prompter;
    if (d.collectionCount < 1 || d.eventList[0] < 1) {
        p.infoDlg(fillIn("You should have at least one of the {} resources attached to least one "
                         "of the {} events.",
                         int(d.resourceList[0]), int(d.eventList[0])),
                  0, IntakeHelp);
        return false;
    }
    const int length = intakeLength(d);
    const std::string stem = patternStem(s);
    if (!p.yesNoDlg(fillIn("You are about to generate intake files (of {} weeks) from your "
                           "current Quivra file \"{}\".{}Do you want to continue?",
                           length, stem, br + br),
                    0, IntakeHelp))
        return false;

    IntakePlan plan;
    plan.category = p.categoryChoice(
        d, "Select the resource which is about to change by each intake:", IntakeHelp, 1);
    if (plan.category < 1 || plan.category > MaxCategories)
        return false;
    const int form = p.choice("Select the format which is going to be used" + br +
                                  "when creating new events, resources and file names:",
                              IntakeHelp, 1, formatList(d));
    if (form < 1 || form > 4)
        return false;
    plan.form = static_cast<IntakeForm>(form);

    const int largest = std::min(largestIntakeCount(d, plan.category) + 1, MaxIntakes);
    std::bitset<WeekTableSize> weeks;
    weeks.set(1);
    if (p.pickWeek(d, 1,
                   fillIn("Select the starting weeks for the {} week intakes (of maximum {} "
                          "intakes):{}- the first week is automatically selected as the first "
                          "intake.",
                          length, largest, br),
                   usedWeeks(d) - length + 1, 1, &weeks) == 0)
        return false;
    weeks.set(1);
    for (int w = 1; w < WeekTableSize; ++w)
        if (weeks.test(static_cast<std::size_t>(w)))
            plan.startWeeks.push_back(w);
    if (plan.startWeeks.size() < 2) {
        p.infoDlg("You should select starting weeks for at least two intakes.", 0, IntakeHelp);
        return false;
    }
    if (auto ok = checkIntakePlan(d, plan); !ok) {
        p.warnDlg(ok.error().detail, 0, IntakeHelp);
        return false;
    }

    const int n = static_cast<int>(plan.startWeeks.size());
    std::string list;
    for (int j = 1; j <= n; ++j)
        list += fillIn("{}. {} => {}{}", j,
                       formatWeek(d, plan.startWeeks[static_cast<std::size_t>(j - 1)], 2),
                       intakeFileStem(stem, plan.form, j), br);
    if (!p.yesNoDlg(fillIn("You have selected to generate {} intake files of length {} weeks "
                           "with the following starting weeks:{}{}{}Do you want to continue?",
                           n, length, br + br, list, br),
                    0, IntakeHelp))
        return false;

    int r = 0;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        if (!d.codes[c].isEvent() && categoryOf(d, c) == plan.category)
            ++r;
    const int weeksMerged = plan.startWeeks.back() + length - 1;
    if (!p.yesNoDlg(fillIn("Next these {} intake files are merged into one Quivra file,{}"
                           "containing {} events, {} resources on {} weeks.{}Do you want to "
                           "continue?",
                           n, br, n * int(d.eventList[0]), (n - 1) * r + int(d.resourceList[0]),
                           weeksMerged, br + br),
                    0, IntakeHelp))
        return false;
    // The merged intakes replace the pattern in memory: its unsaved changes are offered first.
    if (askToSave(s) == Answer::Cancel)
        return false;

    s.progress.status("Creating intakes ...");
    auto merged = mergeIntakes(d, plan);
    s.progress.status("");
    if (!merged) {
        showError(s, merged.error().detail);
        return false;
    }
    d = *merged->merged;
    s.becomeUntitled();
    refreshViews(s);
    p.infoDlg("Intake files have been created and conflicts removed. Save the resulting Quivra "
              "file on disk with a different name." +
                  br + br + sweepStatusText(merged->conflicts),
              0, IntakeHelp);
    return true;
}

} // namespace quivra
