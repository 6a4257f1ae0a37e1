#include "commands/selectioncommands.h"

#include "commands/commandsupport.h"
#include "commands/textfill.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "optimise/selection.h"

namespace quivra {

namespace {

const std::string br = LineBreak;

std::string resourceCategoryName(const ScheduleData &d, int k)
{
    const std::string item = listItem(d.resourceCategories.view(), k);
    const std::size_t colon = item.find(':');
    return colon == std::string::npos ? item : item.substr(colon + 1);
}

// The gap lines of every category with gaps: "Groups (12 gaps, change -3 gaps)".
std::string gapLines(const ScheduleData &d, const std::vector<int> &before,
                     const std::vector<int> &after)
{
    std::string lines;
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (after[i] > 0 || before[i] > 0)
            lines += fillIn("{} ({} gaps, change {} gaps)", resourceCategoryName(d, k), after[i],
                            after[i] - before[i]) +
                     br;
    }
    return lines;
}

std::vector<std::string> changeLines(const ScheduleData &d, const SelectionRun &run)
{
    std::vector<std::string> lines;
    for (const SelectionChange &change : run.changes)
        lines.push_back(selectionChangeLine(d, change));
    return lines;
}

// Students, then subjects (asked again while they name the students' category).
bool askCategories(Session &s, SelectionOptions &options, bool studentsAsked)
{
    Prompter &p = s.prompter;
    if (!studentsAsked) {
        options.studentsCategory =
            p.categoryChoice(s.data, br + "Select the category for \"Students\"", SelectionHelp,
                             options.studentsCategory);
        if (options.studentsCategory < 1 || options.studentsCategory > MaxCategories)
            return false;
    }
    do {
        options.subjectsCategory =
            p.categoryChoice(s.data, br + "Select the category for \"Subjects\"", SelectionHelp,
                             options.subjectsCategory);
        if (options.subjectsCategory < 1 || options.subjectsCategory > MaxCategories)
            return false;
    } while (options.subjectsCategory == options.studentsCategory);
    return true;
}

// The matrix from the clipboard: asks until it holds text or the user gives up.
std::optional<std::vector<SelectionPair>> readMatrix(Session &s, Clipboard &clipboard,
                                                     const SelectionOptions &options)
{
    std::string text = clipboard.text();
    while (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        if (!s.prompter.yesNoDlg("Select [Yes] after copying the selection matrix to the "
                                 "Clipboard or select [No] to exit.",
                                 0, SelectionHelp))
            return std::nullopt;
        text = clipboard.text();
    }
    auto pairs =
        readSelectionMatrix(s.data, text, options.studentsCategory, options.subjectsCategory);
    if (pairs.empty()) {
        s.prompter.infoDlg("Clipboard did not contain a feasible selection matrix.", 0,
                           SelectionHelp);
        return std::nullopt;
    }
    return pairs;
}

} // namespace

ReviewChanges promptedReview(Prompter &prompter)
{
    return [&prompter](const ChangeReview &review) {
        return prompter.selectLine(review.caption, review.title, review.lines, 1, SelectionHelp) >
               0;
    };
}

bool selectionOptimisation(Session &s, Clipboard &clipboard, const ReviewChanges &review)
{
    ScheduleData &d = s.data;
    Prompter &p = s.prompter;
    Settings::Preferences &prefs = s.settings.preferences;
    const int method =
        p.choice(br + "Select the method for Selection optimisation:", SelectionHelp, 1,
                 "Add students to events based on selection matrix$"
                 "Optimise the current solution by event swaps$"
                 "Balance the number of students in events$");
    if (method < 1 || method > 3)
        return false;

    SelectionOptions options;
    options.studentsCategory = prefs.studentsCategory > 0 ? prefs.studentsCategory : 5;
    options.subjectsCategory = prefs.subjectsCategory > 0 ? prefs.subjectsCategory : 4;
    options.bookings = s.settings.optimize.bookings;
    options.seed = s.settings.optimize.randSeed != 0
                       ? static_cast<std::uint32_t>(s.settings.optimize.randSeed)
                       : static_cast<std::uint32_t>(s.clock.today());
    int filter = 3, criteria = 3, goal = 1;
    if (method == 1) {
        filter = p.choice(br + "Select the events to add \"Students\" to:", SelectionHelp, 3,
                          "1) Events which are unscheduled$2) Events which are scheduled$"
                          "3) All events$");
        if (filter < 1 || filter > 3)
            return false;
    } else if (method == 2) {
        criteria = p.choice(br + "Select the criteria for the event swaps:", SelectionHelp, 3,
                            "1) Events must have the same \"Subject\"$"
                            "2) Events must have the same number of scheduled periods$"
                            "Both conditions 1) and 2) must be met$Neither must be met");
        if (criteria < 1 || criteria > 4)
            return false;
        goal =
            p.choice(br + "Select the goal to optimise in the \"Student\" category:", SelectionHelp,
                     1, "Minimise GAPS$Balance PLANNED$Balance ALLOCATED$Balance LINKS$");
        if (goal < 1 || goal > 4)
            return false;
    }
    // Every method needs both categories: the matrix names subjects, and a moved student stays
    // within the subjects of the event it leaves.
    if (!askCategories(s, options, false))
        return false;
    prefs.studentsCategory = options.studentsCategory;
    prefs.subjectsCategory = options.subjectsCategory;
    if (const int locked = countLocked(d); locked > 0) {
        const int answer =
            p.yesNoCancelDlg(fillIn("Do you also allow to change the ({}) locked events?", locked),
                             0, SelectionHelp);
        if (answer != Answer::Yes && answer != Answer::No)
            return false;
        options.changeLocked = answer == Answer::Yes;
    }

    std::vector<SelectionPair> pairs;
    if (method == 1) {
        auto read = readMatrix(s, clipboard, options);
        if (!read)
            return false;
        pairs = std::move(*read);
    }

    const SelectionSnapshot snapshot(d);
    const std::vector<int> gapsBefore = categoryGaps(d, options.bookings);
    SelectionRun run;
    if (method == 1)
        run =
            addFromMatrix(d, pairs, static_cast<SelectionEventFilter>(filter), options, s.progress);
    else if (method == 2)
        run = swapStudents(d, static_cast<SwapCriteria>(criteria), static_cast<SwapGoal>(goal),
                           options, s.progress);
    else
        run = balanceStudents(d, options, s.progress);
    refreshViews(s);

    const int changes = static_cast<int>(run.changes.size());
    bool kept = false;
    if (changes == 0) {
        p.infoDlg("No changes were made.", 0, SelectionHelp);
    } else {
        ChangeReview list;
        list.lines = changeLines(d, run);
        if (method == 1) {
            p.infoDlg(fillIn("All selections = {}{}Event resources before = {},{}Event resources "
                             "after = {},{}Resources added = {}",
                             run.pairs, br + br, run.entriesBefore, br, run.entriesAfter, br,
                             run.entriesAfter - run.entriesBefore),
                      0, SelectionHelp);
            list.caption = "Selection optimisation - add resources to events";
            list.title = fillIn("{} event and resource combinations which were added:{}(Click "
                                "the [Accept] button to accept or the [Reject] button to reject "
                                "all changes).",
                                changes, br);
        } else {
            const std::string gaps = gapLines(d, gapsBefore, categoryGaps(d, options.bookings));
            std::string info =
                gaps.empty() ? std::string() : "Timetable gaps by category:" + br + br + gaps;
            if (method == 3)
                info += (info.empty() ? "" : br) + "Number of students in events:" + br + br +
                        fillIn("{}...{} students (before)", run.smallestBefore, run.largestBefore) +
                        br +
                        fillIn("{}...{} students (after)", run.smallestAfter, run.largestAfter);
            if (!info.empty())
                p.infoDlg(info, 0, SelectionHelp);
            list.caption =
                method == 2 ? "Selection optimisation" : "Balance the number of students in events";
            list.title = fillIn(method == 2 ? "{} resource swaps across events:{}(Click [Accept] "
                                              "to accept or [Reject] to reject changes.)"
                                            : "{} student swaps across events:{}(Click [Accept] "
                                              "to accept or [Reject] to reject changes.)",
                                changes, br);
        }
        kept = review(list);
        if (!kept) {
            snapshot.restore(d);
            refreshViews(s);
            p.infoDlg(fillIn("All {} changes rejected.", changes), 0, SelectionHelp);
        }
    }
    if (method == 1 && !run.notUsed.empty() &&
        p.yesNoDlg(fillIn("Copy not used resource combinations ({}) to the Clipboard?",
                          int(run.notUsed.size())),
                   0, SelectionHelp)) {
        std::string text;
        for (const SelectionPair &pair : run.notUsed)
            text += d.codes[pair.subject].code.str() + "\t" + d.codes[pair.student].code.str() + br;
        clipboard.setText(text);
    }
    return kept;
}

} // namespace quivra
