#include "commands/healthcommands.h"

#include "checks/loads.h"
#include "checks/quality.h"
#include "checks/statistics.h"
#include "engine/calendar.h"

#include <algorithm>

namespace quivra {

bool PromptedHealth::ask(const HealthFinding &finding)
{
    return m_prompter.yesNoDlg(finding.text, 0, finding.helpTopic);
}

bool PromptedHealth::confirm(const std::string &middle)
{
    return m_prompter.sureDlg(middle);
}

void PromptedHealth::inform(const std::string &text, int helpTopic)
{
    m_prompter.infoDlg(text, 0, helpTopic);
}

HealthOutcome healthCheck(ScheduleData &d, Prompter &p)
{
    PromptedHealth dialogue(p);
    return runHealthCheck(d, dialogue);
}

void showSummary(const ScheduleData &d, Prompter &p, std::string_view prefix)
{
    p.infoDlg(summaryText(d, prefix), 0, SummaryHelp);
}

namespace {

// Weeks a first-week question offers: 1..the end week of what is scheduled. 0 when cancelled;
// 1 without a question when one week is scheduled.
int firstWeek(const ScheduleData &d, Prompter &p, std::string_view message)
{
    const int last = d.scheduleExtent.endWeek;
    if (last < 2)
        return 1;
    return p.pickWeek(d, 1, message, last, 1);
}

} // namespace

bool maximumWeeklyPeriods(ScheduleData &d, Prompter &p)
{
    CategoryChoiceOptions options;
    options.offerAll = true;
    const int category =
        p.categoryChoice(d, "\r\nCalculate maximum weekly periods by", LoadsHelp, 1, options);
    if (category == 0)
        return false;
    const int week =
        firstWeek(d, p, "\r\nSelect the first week to calculate maximum weekly periods from");
    if (week == 0)
        return false;
    return optimiseResourceUsage(d, p, category == 8 ? 0 : category, week);
}

bool optimiseResourceUsage(ScheduleData &d, Prompter &p, int category, int first)
{
    category = std::clamp(category, 0, MaxCategories);
    const std::string suffix = loadCategorySuffix(d, category);
    if (buildWeeklyLoadList(d, category, first).entries.empty()) {
        p.infoDlg(noLoadsText(d, category), 0, LoadsHelp);
        return false;
    }
    bool changed = false;
    for (;;) {
        const WeeklyLoadList list = buildWeeklyLoadList(d, category, first);
        std::vector<std::string> lines;
        for (const LoadEntry &entry : list.entries)
            lines.push_back(loadLine(d, entry, list.slotsPerWeek));
        const int chosen = p.selectLine("Maximum weekly periods" + suffix, loadListTitle(d, list),
                                        lines, 1, LoadsHelp);
        if (chosen == 0)
            return changed;
        const CodeId x = list.entries[static_cast<std::size_t>(chosen - 1)].resource;
        const std::vector<SwapOption> options = findSwapOptions(d, x, first);
        if (options.empty()) {
            p.infoDlg(noSwapText(d, x), 0, LoadsHelp);
            continue;
        }
        if (!p.yesNoDlg(swapOfferQuestion(d, x, static_cast<int>(options.size())), 0, LoadsHelp))
            continue;
        std::vector<std::string> optionLines;
        for (const SwapOption &o : options)
            optionLines.push_back(swapOptionLine(d, o));
        const int pick = p.selectLine("Resource swap options", swapOptionsTitle(options),
                                      optionLines, bestSwapOption(options) + 1, LoadsHelp);
        if (pick == 0)
            return changed;
        const SwapOption &option = options[static_cast<std::size_t>(pick - 1)];
        if (p.yesNoDlg(swapQuestion(d, option), 0, LoadsHelp))
            changed = applySwap(d, option) || changed;
    }
}

std::optional<TimetableChoice> timetableQualityList(const ScheduleData &d, Prompter &p,
                                                    bool bookings)
{
    const int week = firstWeek(d, p, "Select the first week to analyse timetables from");
    if (week == 0)
        return std::nullopt;
    const QualityList list = timetableQuality(d, week, bookings);
    std::vector<std::string> lines;
    for (const QualityListRow &row : list.rows)
        lines.push_back(qualityLine(d, row));
    if (lines.empty()) {
        p.infoDlg(qualityTitle(list), 0, QualityHelp);
        return std::nullopt;
    }
    const int chosen =
        p.selectLine("Timetable quality", qualityTitle(list), lines, 1, QualityHelp, true);
    if (chosen == 0)
        return std::nullopt;
    const QualityListRow &row = list.rows[static_cast<std::size_t>(chosen - 1)];
    return TimetableChoice{row.resource, row.week};
}

} // namespace quivra
