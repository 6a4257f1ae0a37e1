#include "files/intake.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekstructure.h"
#include "files/datafile.h"
#include "files/textexchange.h"

#include <algorithm>
#include <set>
#include <span>

namespace quivra {

namespace {

bool isPrefix(IntakeForm form)
{
    return form == IntakeForm::PrefixLetter || form == IntakeForm::PrefixNumber;
}

bool isMarked(const ScheduleData &d, CodeId c, int category)
{
    return d.codes[c].isEvent() || categoryOf(d, c) == category;
}

// The pattern's codes as intake j gives them, indexed by CodeId (empty for codes kept as they
// are).
std::vector<std::string> markedCodes(const ScheduleData &d, const IntakePlan &plan, int j)
{
    std::vector<std::string> codes(static_cast<std::size_t>(d.codeCount) + 1);
    for (CodeId c = 1; c <= d.codeCount; ++c)
        if (isMarked(d, c, plan.category))
            codes[c] = intakeCode(d.codes[c].code.view(), plan.form, j);
    return codes;
}

void finish(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    rebuildLists(d);
}

// Every lecture, booking, manual room and comment `weeks` weeks later, the calendar as it was:
// the dates of the old weeks stay theirs, so week 1 starts `weeks` weeks earlier.
bool shiftWeeks(ScheduleData &d, int weeks)
{
    const std::uint8_t usedWeeksBefore = d.calendarRange.endWeek;
    for (int i = 0; i < weeks; ++i)
        if (!insertWeek(d, 1, WeekNames::Keep))
            return false;
    d.calendarRange.endWeek = usedWeeksBefore;
    if (weeks > 0 && weeksDated(d))
        d.firstWeekDate -= 7 * weeks;
    if (d.currentWeek > 1)
        d.currentWeek = std::min(d.currentWeek + weeks, std::max(1, usedWeeks(d)));
    return true;
}

// Renames in passes, so that a code can take a text another code gives up later in the same
// pass. Returns false when some rename could not be done at all.
bool renameAll(ScheduleData &d, const std::vector<std::string> &codes)
{
    std::vector<std::pair<std::string, std::string>> pending;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        if (!codes[c].empty() && codes[c] != d.codes[c].code.view())
            pending.emplace_back(d.codes[c].code.str(), codes[c]);
    while (!pending.empty()) {
        std::vector<std::pair<std::string, std::string>> left;
        for (const auto &[from, to] : pending)
            if (!renameCode(d, from, to))
                left.emplace_back(from, to);
        if (left.size() == pending.size())
            return false;
        pending = std::move(left);
    }
    return true;
}

} // namespace

std::string intakeMarker(IntakeForm form, int j)
{
    const std::string tag = (form == IntakeForm::PostfixLetter || form == IntakeForm::PrefixLetter)
                                ? std::string(1, static_cast<char>('a' + (j - 1)))
                                : std::to_string(j);
    return isPrefix(form) ? tag + "~" : "~" + tag;
}

std::string intakeCode(std::string_view base, IntakeForm form, int j)
{
    const std::string marker = intakeMarker(form, j);
    const std::size_t room = CodeLength - std::min<std::size_t>(marker.size(), CodeLength);
    const std::string cut(base.substr(0, std::min(base.size(), room)));
    return isPrefix(form) ? marker + cut : cut + marker;
}

std::string intakeFileStem(std::string_view stem, IntakeForm form, int j)
{
    const std::string marker = intakeMarker(form, j);
    return isPrefix(form) ? marker + std::string(stem) : std::string(stem) + marker;
}

int intakeLength(const ScheduleData &d)
{
    return d.scheduleExtent.endWeek;
}

int largestIntakeCount(const ScheduleData &d, int category)
{
    int resources = 0, inCategory = 0, events = 0;
    for (CodeId c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent())
            ++events;
        else {
            ++resources;
            if (categoryOf(d, c) == category)
                ++inCategory;
        }
    }
    const int perIntake = inCategory + events;
    const int byCodes =
        perIntake > 0 ? (MaxCodes - resources - inCategory) / perIntake : MaxIntakes;
    const int byWeeks = usedWeeks(d) - intakeLength(d);
    return std::max(0, std::min({byCodes, byWeeks, MaxIntakes}));
}

Result<void> checkIntakePlan(const ScheduleData &pattern, const IntakePlan &plan)
{
    const auto &starts = plan.startWeeks;
    const int n = static_cast<int>(starts.size());
    if (n < 2 || starts.front() != 1)
        return fail(Error::Code::Refused,
                    "You should select starting weeks for at least two intakes.");
    if (const int most = std::min(largestIntakeCount(pattern, plan.category) + 1, MaxIntakes);
        n > most)
        return fail(Error::Code::Refused, "At most " + std::to_string(most) + " intakes of " +
                                              std::to_string(intakeLength(pattern)) +
                                              " weeks fit into the calendar and the code table.");
    const int lastStart = usedWeeks(pattern) - intakeLength(pattern) + 1;
    for (int i = 1; i < n; ++i)
        if (starts[i] <= starts[i - 1] || starts[i] > lastStart)
            return fail(Error::Code::Refused,
                        "Week " + std::to_string(starts[i]) + " cannot start an intake.");
    // The merged table holds every shared code once and every marked code once per intake.
    std::set<std::string> seen;
    std::vector<std::string> repeated;
    for (CodeId c = 1; c <= pattern.codeCount; ++c)
        if (!isMarked(pattern, c, plan.category) &&
            !seen.insert(pattern.codes[c].code.str()).second)
            repeated.push_back(pattern.codes[c].code.str());
    for (int j = 1; j <= n; ++j) {
        const std::vector<std::string> codes = markedCodes(pattern, plan, j);
        for (CodeId c = 1; c <= pattern.codeCount; ++c)
            if (!codes[c].empty() && !seen.insert(codes[c]).second)
                repeated.push_back(codes[c]);
    }
    if (!repeated.empty()) {
        std::string list;
        for (std::size_t i = 0; i < repeated.size() && i < 10; ++i)
            list += (i > 0 ? ", " : "") + repeated[i];
        if (repeated.size() > 10)
            list += ", ...";
        return fail(Error::Code::Refused,
                    "These codes would not be unique in the intakes: " + list + ".");
    }
    return {};
}

Result<std::unique_ptr<ScheduleData>> buildIntake(const ScheduleData &pattern,
                                                  const IntakePlan &plan, int j)
{
    if (j < 1 || j > static_cast<int>(plan.startWeeks.size()))
        return fail(Error::Code::Range, "no such intake");
    auto d = makeScheduleData();
    *d = pattern;
    if (!renameAll(*d, markedCodes(pattern, plan, j)))
        return fail(Error::Code::Refused,
                    "The codes of intake " + intakeMarker(plan.form, j) + " would not be unique.");
    if (!shiftWeeks(*d, plan.startWeeks[static_cast<std::size_t>(j - 1)] - 1))
        return fail(Error::Code::Full, "The lecture store cannot hold the shifted intake.");
    finish(*d);
    d->modified = true;
    return d;
}

Result<IntakeResult> mergeIntakes(const ScheduleData &pattern, const IntakePlan &plan)
{
    if (auto ok = checkIntakePlan(pattern, plan); !ok)
        return std::unexpected(ok.error());
    const int n = static_cast<int>(plan.startWeeks.size());
    IntakeResult result;
    result.intakes = n;
    result.weeks = plan.startWeeks.back() + intakeLength(pattern) - 1;

    // Intake 1 as saved and opened again.
    auto first = buildIntake(pattern, plan, 1);
    if (!first)
        return std::unexpected(first.error());
    prepareForSaving(**first);
    const std::vector<std::uint8_t> bytes = encodeDataFile(**first);
    result.merged = makeScheduleData();
    if (auto read = decodeDataFile(std::span(bytes), *result.merged); !read || !read->complete)
        return fail(Error::Code::Corrupt, "intake 1 could not be read back");

    // Every later intake added as its text exchange file, then one sweep.
    for (int j = 2; j <= n; ++j) {
        auto intake = buildIntake(pattern, plan, j);
        if (!intake)
            return std::unexpected(intake.error());
        const std::string text = exportText(**intake, ExportOptions{});
        ImportOptions options;
        options.mode = addRuleMode(1);
        options.holidays = true;
        const ImportReport report = importText(*result.merged, text, options);
        result.linesSkipped += report.linesSkipped;
    }
    result.conflicts = sweepConflicts(*result.merged, 1, true);
    finish(*result.merged);
    result.merged->modified = true;
    return result;
}

} // namespace quivra
