#include "optimise/tools.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <sstream>
#include <string_view>

namespace quivra {

namespace {

// Replaces each "{}" of the pattern by the next argument.
template <typename... Args> std::string fmt(std::string_view pattern, const Args &...args)
{
    std::ostringstream out;
    std::size_t pos = 0;
    auto one = [&](const auto &arg) {
        const std::size_t at = pattern.find("{}", pos);
        if (at == std::string_view::npos)
            return;
        out << pattern.substr(pos, at - pos) << arg;
        pos = at + 2;
    };
    (one(args), ...);
    out << pattern.substr(pos);
    return out.str();
}

constexpr const char *NothingChanged =
    "Selected operation did not change any events or resources. Click Close to exit this view.";

std::string codeAndName(const ScheduleData &d, CodeId c)
{
    return formatCode(d, c, ShowCodeAndName);
}

bool marked(const ScheduleData &d, CodeId e)
{
    return d.codes[e].flags & 1;
}

// Events the run visits: marked, and not locked unless locked events are included.
bool takesPart(const ScheduleData &d, CodeId e, bool includeLocked)
{
    return isEventCode(d, e) && marked(d, e) && (includeLocked || !(d.codes[e].flags & LockedBit));
}

std::vector<std::uint16_t> rememberMarks(const ScheduleData &d)
{
    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;
    return marks;
}

// The end of every tool run: totals recounted, manual rooms cleaned up, marks put back.
void finishRun(ScheduleData &d, const std::vector<std::uint16_t> &marks)
{
    recount(d);
    allResourceTotals(d);
    validityCleanup(d, 1, std::max<int>(d.scheduleExtent.endWeek, 1));
    for (int c = 1; c <= d.codeCount && c < static_cast<int>(marks.size()); ++c)
        d.codes[c].flags |= marks[static_cast<std::size_t>(c)];
}

// Period cells of the loaded event inside the range.
int cellsInRange(const ScheduleData &d, const WeekAllocation &wa, const TimeRange &r)
{
    int cells = 0;
    for (const LectureView &v : wa.timetable) {
        if (v.word == 0 || isBookingWord(v.word) || !validTimetableLecture(d, v))
            continue;
        const int weeks =
            std::min<int>(v.endWeek, r.endWeek) - std::max<int>(v.startWeek, r.startWeek) + 1;
        const int days =
            std::min<int>(v.endDay, r.endDay) - std::max<int>(v.startDay, r.startDay) + 1;
        const int bells =
            std::min<int>(v.endBell, r.endBell) - std::max<int>(v.startBell, r.startBell) + 1;
        if (weeks > 0 && days > 0 && bells > 0)
            cells += weeks * days * bells;
    }
    return cells;
}

std::string youCannotRun(Tool t, const std::string &reason)
{
    return "You cannot run \"" + toolName(t) + "\" now, because " + reason;
}

} // namespace

std::string toolName(Tool t)
{
    switch (t) {
    case Tool::InitialSolution:
        return "Initial solution";
    case Tool::CopyAcrossWeeks:
        return "Copy timetables across weeks";
    case Tool::RemovePeriods:
        return "Remove periods from timetables";
    case Tool::Optimise:
        return "Optimise timetables";
    case Tool::None:
        break;
    }
    return {};
}

std::string startCaption(Tool t)
{
    switch (t) {
    case Tool::InitialSolution:
    case Tool::CopyAcrossWeeks:
        return "Start";
    case Tool::RemovePeriods:
        return "Remove";
    case Tool::Optimise:
        return "Optimise";
    case Tool::None:
        break;
    }
    return "Start!";
}

int toolHelpContext(Tool t)
{
    switch (t) {
    case Tool::InitialSolution:
        return 2310;
    case Tool::CopyAcrossWeeks:
        return 2340;
    case Tool::RemovePeriods:
        return 2330;
    case Tool::Optimise:
        return 2320;
    case Tool::None:
        break;
    }
    return 2300;
}

ToolTotals toolTotals(ScheduleData &d, int matrixRows)
{
    totals(d, 1, d.codeCount);
    const std::int64_t allocated = d.counters.allocatedTotal;
    const std::int64_t scheduled = d.counters.scheduledTotal;
    const std::int64_t planned = d.counters.plannedTotal;
    const TimeRange &x = d.scheduleExtent;
    const std::string allDone = fmt(" (all {} periods have already been scheduled)", allocated);
    const std::string noneYet = fmt(" (none of the {} periods have been scheduled yet)", allocated);

    ToolTotals t;
    t.captions = {"Show unscheduled periods", "Initial solution", "Copy timetables across weeks",
                  "Remove scheduled periods from timetables", "Optimise timetables"};
    auto set = [&](int k, bool enabled, const std::string &suffix) {
        t.enabled[static_cast<std::size_t>(k)] = enabled;
        if (!enabled)
            t.captions[static_cast<std::size_t>(k)] += suffix;
    };
    set(0, scheduled < allocated, allDone);
    set(1, scheduled < allocated, allDone);
    set(3, scheduled > 0, noneYet);
    set(4, scheduled > 0, noneYet);
    // With periods scheduled in one week only there is nothing to copy to; say so rather than
    // claim nothing is scheduled.
    set(2, scheduled > 0 && x.endWeek >= 2,
        scheduled > 0 ? std::string(" (only one week is in use)") : noneYet);

    if (scheduled == 0 || x.a == 0 || x.a < x.b)
        t.blockLine = " [no periods]";
    else
        t.blockLine =
            fmt(" Block length range {} - {} time units, {} week(s) x {} timetables to optimise",
                x.b, x.a, std::max(x.endWeek - x.startWeek + 1, 0), matrixRows);
    t.scheduledLineShown = allocated > 0;
    t.scheduledLine = fmt(" {} out of {} allocated periods are scheduled", scheduled, allocated);
    t.allocatedLineShown = x.endWeek >= 2 && planned >= 1;
    t.allocatedLine =
        fmt(" {} out of {} planned periods are allocated to weeks", allocated, planned);
    return t;
}

std::string toolRefusal(ScheduleData &d, Tool t)
{
    totals(d, 1, d.codeCount);
    if (d.eventList[0] == 0)
        return youCannotRun(t, "there are no valid events (go to Events view).");
    if (d.counters.allocatedTotal == 0)
        return youCannotRun(t, "there are no periods allocated to weeks (go to Weeks view).");
    if (t == Tool::InitialSolution && d.counters.scheduledTotal >= d.counters.allocatedTotal)
        return youCannotRun(t, "all periods have already been scheduled.\nSelect \"Remove periods "
                               "from timetables\" or go to Timetables view to unschedule them.");
    if (t != Tool::InitialSolution && d.counters.scheduledTotal == 0)
        return youCannotRun(t, "no periods have been scheduled.\nSelect \"Initial solution\" or go "
                               "to Timetables view.");
    return {};
}

std::vector<CodeId> pickerEvents(const ScheduleData &d, Tool t)
{
    std::vector<CodeId> offered;
    for (int i = 1; i <= d.eventList[0] && i <= MaxCodes; ++i) {
        const CodeId e = d.eventList[i];
        if (!isEventCode(d, e))
            continue;
        const CodeRecord &r = d.codes[e];
        const bool offer = t == Tool::InitialSolution   ? r.scheduled < r.allocated
                           : t == Tool::CopyAcrossWeeks ? true
                                                        : r.scheduled > 0;
        if (offer)
            offered.push_back(e);
    }
    return offered;
}

PickOutcome pickEventsForTool(ScheduleData &d, Tool t, ToolDialogue &ui)
{
    PickOutcome out;
    const auto chosen =
        ui.pickEvents("Select events for \"" + toolName(t) + "\"", pickerEvents(d, t));
    if (!chosen) {
        out.cancelled = true;
    } else {
        for (int i = 1; i <= d.eventList[0] && i <= MaxCodes; ++i)
            if (isEventCode(d, d.eventList[i]))
                d.codes[d.eventList[i]].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
        for (const CodeId e : *chosen)
            if (isEventCode(d, e))
                d.codes[e].flags |= 1;
    }
    for (int i = 1; i <= d.eventList[0] && i <= MaxCodes; ++i) {
        const CodeId e = d.eventList[i];
        if (!isEventCode(d, e) || !marked(d, e))
            continue;
        ++out.selected;
        if (imitationByName(d, e, 0) != 0)
            ++out.imitating;
    }
    out.buttonCaption = fmt("Select events ({} selected)", out.selected);
    out.imitateCaption = fmt("Imitate {} events", out.imitating);
    return out;
}

std::vector<std::string> resultLines(const ScheduleData &d, const std::vector<CodeId> &changed,
                                     int storeRefusals)
{
    std::vector<std::string> lines;
    int n = 0;
    for (const CodeId e : changed)
        lines.push_back(fmt("{}: {}", ++n, codeAndName(d, e)));
    if (lines.empty())
        lines.emplace_back(NothingChanged);
    if (storeRefusals > 0)
        lines.push_back(fmt("{} event(s) could not be stored (the lecture store is full) "
                            "and kept their timetables.",
                            storeRefusals));
    return lines;
}

ToolRunResult copyAcrossWeeks(ScheduleData &d, bool includeLocked, ToolDialogue &ui,
                              Progress &progress)
{
    ToolRunResult result;
    const int lastWeek = std::clamp<int>(d.scheduleExtent.endWeek, 1, MaxWeeks);
    const auto source =
        ui.pickWeek("Select the week to copy timetables from",
                    std::clamp<int>(d.optimiseRange.startWeek, 1, lastWeek), 1, lastWeek);
    if (!source || *source < 1 || *source > lastWeek) {
        result.stopped = true;
        return result;
    }
    const int s = *source;
    d.optimiseRange.startWeek = static_cast<std::uint8_t>(s);
    const auto target = ui.pickWeek("Select the week to copy timetables to",
                                    std::min(s + 1, lastWeek), 1, lastWeek);
    if (!target || *target == s || *target < 1 || *target > lastWeek) {
        result.stopped = true;
        return result;
    }
    const int t = *target;
    d.optimiseRange.endWeek = static_cast<std::uint8_t>(t);
    const auto clear = ui.askYesNoCancel(
        "Clear previously scheduled periods from the target week before copying?");
    if (clear == ToolDialogue::Answer::Cancel) {
        result.stopped = true;
        return result;
    }
    const auto adjust =
        ui.askYesNoCancel("Do you allow to adjust the allocated periods of the target week?");
    if (adjust == ToolDialogue::Answer::Cancel) {
        result.stopped = true;
        return result;
    }

    const auto marks = rememberMarks(d);
    WeekAllocation wa, stored;
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    progress.begin("Copying timetables", count);
    for (int p = 1; p <= count; ++p) {
        const CodeId e = d.eventList[p];
        if (!toolEventStep(progress, d, p, e)) {
            result.stopped = true;
            break;
        }
        if (!takesPart(d, e, includeLocked))
            continue;
        const int before = d.codes[e].scheduled;
        reloadWeekAllocation(d, e, wa);
        const int n = copyWeekTimetable(d, wa, s, t, t,
                                        {.ignoreAllocation = adjust == ToolDialogue::Answer::Yes,
                                         .replace = clear == ToolDialogue::Answer::Yes});
        reloadWeekAllocation(d, e, stored);
        if (stored.scheduled[t] != wa.scheduled[t]) {
            ++result.storeRefusals; // the store kept the event as it was
            continue;
        }
        if (n > 0)
            copyRoomToWeeks(d, e, s, t, t, true);
        result.cells += n;
        if (n > 0 || d.codes[e].scheduled != before)
            result.changed.push_back(e);
    }
    progress.end();
    finishRun(d, marks);
    return result;
}

ToolRunResult removePeriods(ScheduleData &d, const TimeRange &range, bool includeLocked,
                            Progress &progress)
{
    ToolRunResult result;
    TimeRange r = range;
    r.startWeek = static_cast<std::uint8_t>(std::max<int>(r.startWeek, 1));
    r.endWeek = static_cast<std::uint8_t>(std::min<int>(r.endWeek, usedWeeks(d)));
    if (r.startWeek > r.endWeek || r.startDay > r.endDay || r.startBell > r.endBell) {
        result.message = "Please check the time and block length limits!";
        return result;
    }
    totals(d, 1, d.codeCount);
    std::int64_t scheduledTotal = d.counters.scheduledTotal;

    const auto marks = rememberMarks(d);
    WeekAllocation wa;
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    progress.begin("Removing periods", count);
    for (int p = 1; p <= count; ++p) {
        const CodeId e = d.eventList[p];
        if (!toolEventStep(progress, d, p, e)) {
            result.stopped = true;
            break;
        }
        if (scheduledTotal < 1) {
            result.stopped = true; // nothing is left to remove
            break;
        }
        if (!takesPart(d, e, includeLocked))
            continue;
        reloadWeekAllocation(d, e, wa);
        const int cells = cellsInRange(d, wa, r);
        if (cells == 0)
            continue;
        const int before = d.codes[e].scheduled;
        LectureView block;
        block.word = ownWord(d, e);
        block.startWeek = r.startWeek;
        block.endWeek = r.endWeek;
        block.startDay = r.startDay;
        block.endDay = r.endDay;
        block.startBell = r.startBell;
        block.endBell = r.endBell;
        removeBlock(d, block.word, block);
        const int after = d.codes[e].scheduled;
        if (after >= before) {
            ++result.storeRefusals;
            continue;
        }
        scheduledTotal -= before - after;
        result.cells += cells;
        result.changed.push_back(e);
    }
    progress.end();
    finishRun(d, marks);
    return result;
}

std::string plainCategoryName(const ScheduleData &d, bool events, int k)
{
    const std::string item =
        listItem((events ? d.eventCategories : d.resourceCategories).view(), k);
    const auto colon = item.find(':');
    return colon == std::string::npos ? item : item.substr(colon + 1);
}

UnscheduledOutline unscheduledOutline(ScheduleData &d)
{
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    UnscheduledOutline out;
    const int resources = d.resourceList[0];
    const int events = d.eventList[0];
    out.title = fmt("\n\nAll resources and events = {} + {}\n(only codes of {} unscheduled "
                    "periods shown)",
                    resources, events,
                    std::max<std::int64_t>(
                        std::int64_t{d.counters.allocatedTotal} - d.counters.scheduledTotal, 0));
    auto outline = [&](const char *heading, const auto &list, bool eventsKind) {
        out.lines.push_back(fmt("{} = {}", heading, int(list[0])));
        for (int k = 1; k <= MaxCategories; ++k) {
            std::vector<CodeId> inCategory;
            for (int i = 1; i <= list[0] && i <= MaxCodes; ++i)
                if (validCode(d, list[i]) && categoryOf(d, list[i]) == k)
                    inCategory.push_back(list[i]);
            if (inCategory.empty())
                continue;
            out.lines.push_back(
                fmt(" {} ({})", plainCategoryName(d, eventsKind, k), inCategory.size()));
            for (const CodeId c : inCategory) {
                const CodeRecord &r = d.codes[c];
                if (r.allocated != r.scheduled)
                    out.lines.push_back(
                        fmt("  {} ({}/{})", codeAndName(d, c), r.scheduled, r.allocated));
            }
        }
    };
    outline("RESOURCES", d.resourceList, false);
    outline("EVENTS", d.eventList, true);
    return out;
}

ImitatedList imitatedEvents(const ScheduleData &d)
{
    ImitatedList out;
    out.title = "Imitated events";
    for (int i = 1; i <= d.eventList[0] && i <= MaxCodes; ++i) {
        const CodeId e = d.eventList[i];
        if (!isEventCode(d, e) || !marked(d, e))
            continue;
        if (const CodeId target = imitationByName(d, e, 0))
            out.lines.push_back(fmt("{}: {} (imitates event \"{}\")", out.lines.size() + 1,
                                    codeAndName(d, e), d.codes[target].code.view()));
    }
    out.heading = fmt("\nList of events ({}) marked to be imitated", out.lines.size());
    return out;
}

CodeId chooseImitationTarget(const ScheduleData &d, ToolDialogue &ui)
{
    std::vector<CodeId> offered;
    std::vector<std::string> lines;
    for (int i = 1; i <= d.eventList[0] && i <= MaxCodes; ++i) {
        const CodeId e = d.eventList[i];
        if (isEventCode(d, e) && d.codes[e].scheduled > 0) {
            offered.push_back(e);
            lines.push_back(fmt("{}: {} ({} h scheduled)", offered.size(), codeAndName(d, e),
                                d.codes[e].scheduled));
        }
    }
    const auto chosen = ui.pickEvent("Select the event", offered, lines);
    if (!chosen)
        return 0;
    if (!isEventCode(d, *chosen) || d.codes[*chosen].scheduled == 0) {
        ui.inform("This event cannot be selected - no periods have been scheduled.");
        return 0;
    }
    return *chosen;
}

bool toggleExamMode(const ScheduleData &d, ExamMode &exam, ToolDialogue &ui)
{
    if (exam.on) {
        exam.on = false;
        ui.inform("Exam scheduling is turned off.");
        return false;
    }
    const std::string question =
        "When this option is turned on, \"Initial solution\" schedules events at most one block "
        "per day from the selected\ncategory (such as \"Exams\") in the timetables of the "
        "selected resource category (such as \"Students\").\n\nThis enables to set a scheduling "
        "restriction to one event and one resource category combination.\n\nThis does not "
        "change the scheduling rules of other events or resources. Do you want to continue?";
    if (!ui.askYesNo(question))
        return false;
    const auto events =
        ui.pickCategory("Select the event category for \"Exams\"", true, exam.eventCategory);
    if (!events || *events < 1 || *events > MaxCategories)
        return false;
    const auto students = ui.pickCategory("Select the resource category for \"Students\"", false,
                                          exam.studentsCategory);
    if (!students || *students < 1 || *students > MaxCategories)
        return false;
    if (!ui.askYesNo(
            fmt("Do you want to use \"{}\" as Exams category and \"{}\" as Students category?",
                plainCategoryName(d, true, *events), plainCategoryName(d, false, *students))))
        return false;
    exam.eventCategory = *events;
    exam.studentsCategory = *students;
    exam.twoDays = ui.askYesNo("Select [Yes] if you want to extend the day restriction from one "
                               "day to two consecutive days?");
    exam.on = true;
    return true;
}

ExamModeLabels examModeLabels(const ScheduleData &d, const ExamMode &exam)
{
    ExamModeLabels l;
    if (!exam.on) {
        l.restriction = "(Exam scheduling is turned off)";
        return l;
    }
    const std::string events = plainCategoryName(d, true, exam.eventCategory);
    const std::string students = plainCategoryName(d, false, exam.studentsCategory);
    l.hint = fmt("Exam scheduling is turned on for \"{}\" and \"{}\".", events, students);
    l.events = fmt("Events restriction: \"{}\"", events);
    l.resources = fmt("Resource restriction: \"{}\"", students);
    l.restriction =
        exam.twoDays ? "Scheduling restriction: 2 days" : "Scheduling restriction: 1 day";
    return l;
}

} // namespace quivra
