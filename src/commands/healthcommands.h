#pragma once

// The check commands of the Options menu as a user meets them: the health check, the summary,
// the maximum weekly periods with their resource swaps, and the timetable quality list. Every
// question goes through the Prompter; the checks themselves live in src/checks/.

#include "checks/health.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <optional>
#include <string>
#include <string_view>

namespace quivra {

// The health check's questions as message boxes: Yes/No for every stage, "Are you sure ...?"
// before unused codes go, information for what was removed and the summary.
class PromptedHealth final : public HealthDialogue
{
public:
    explicit PromptedHealth(Prompter &prompter) : m_prompter(prompter) {}
    bool ask(const HealthFinding &finding) override;
    bool confirm(const std::string &middle) override;
    void inform(const std::string &text, int helpTopic) override;

private:
    Prompter &m_prompter;
};

// Options|Health check. Changes only what the user confirms.
HealthOutcome healthCheck(ScheduleData &d, Prompter &p);

// The "Summary:" box with another command's result in front.
void showSummary(const ScheduleData &d, Prompter &p, std::string_view prefix = {});

// Options|Maximum weekly periods: a category (or all) and a first week, then the list of loads
// and the swaps the user confirms. True when a swap changed the collections.
bool maximumWeeklyPeriods(ScheduleData &d, Prompter &p);
// The list-and-swap loop for one category (0 = all) from `firstWeek`, ended by Cancel.
bool optimiseResourceUsage(ScheduleData &d, Prompter &p, int category, int firstWeek);

// Options|Timetable quality: the first week, then the ranked list. The timetable to open, when
// the user chose one.
struct TimetableChoice
{
    CodeId resource = 0;
    int week = 0;
};
std::optional<TimetableChoice> timetableQualityList(const ScheduleData &d, Prompter &p,
                                                    bool bookings);

constexpr int LoadsHelp = 1220;
constexpr int QualityHelp = 51300;

} // namespace quivra
