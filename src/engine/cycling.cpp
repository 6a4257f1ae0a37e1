#include "engine/cycling.h"

#include "engine/calendar.h"
#include "engine/weekstructure.h"

#include <algorithm>

namespace quivra {

namespace {

int daysInUse(const ScheduleData &d)
{
    return std::clamp(usedDays(d), 1, MaxDays);
}

int weekLimit(const ScheduleData &d)
{
    return std::clamp(d.coding.weekLimit, 1, MaxWeeks);
}

// Why a map cannot be applied; empty when it can.
std::string mapProblem(const ScheduleData &d, int c, const std::vector<CycleDay> &lines)
{
    const int maximum = maxCycles(d);
    if (c < 1 || c > maximum)
        return "The number of cycles must be 1 ... " + std::to_string(maximum) + ".";
    const int last = lastLectureWeek(d);
    for (const CycleDay &t : lines) {
        if (t.week <= last)
            return "Week " + std::to_string(t.week) +
                   " already holds lectures; the cycles would overwrite them.";
        if (t.week > weekLimit(d))
            return "Week " + std::to_string(t.week) + " is beyond the last week of the calendar (" +
                   std::to_string(weekLimit(d)) + ").";
        if (t.day < 1 || t.day > daysInUse(d))
            return "Day " + std::to_string(t.day) + " is not a day in use.";
    }
    return {};
}

} // namespace

int lastLectureWeek(const ScheduleData &d)
{
    const SlotCoding &k = d.coding;
    int last = 0;
    const int n = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        if (!validCode(d, lectureCode(d, d.lectureWord[i])))
            continue;
        last = std::max(last, k.weekOf(d.lectureEnd[i]));
    }
    return std::min(last, MaxWeeks);
}

int maxCycles(const ScheduleData &d)
{
    return std::min(MaxCycles, daysInUse(d) * lastLectureWeek(d));
}

CycleDay cycleSource(const ScheduleData &d, int r)
{
    const int days = daysInUse(d);
    return {(r - 1) / days + 1, (r - 1) % days + 1};
}

int cycleSourceWeeks(const ScheduleData &d, int c)
{
    const int days = daysInUse(d);
    return (c + days - 1) / days;
}

int firstTargetWeek(const ScheduleData &d, int c)
{
    return std::min(lastLectureWeek(d), weekLimit(d) - c) + 1;
}

std::vector<CycleDay> cycleTargetMap(const ScheduleData &d, int c)
{
    std::vector<CycleDay> lines;
    const int g = firstTargetWeek(d, c);
    for (int w = std::max(g, 1); w <= g + c - 1; ++w)
        for (int day = 1; day <= daysInUse(d); ++day)
            lines.push_back({w, day});
    return lines;
}

std::string cycleLineText(const CycleDay &target, int j, int c)
{
    return "Week " + std::to_string(target.week) + ", day " + std::to_string(target.day) +
           " = Cycle " + std::to_string(cycleOfLine(j, c));
}

Result<int> applyCycleMap(ScheduleData &d, int c, const std::vector<CycleDay> &lines)
{
    if (const std::string problem = mapProblem(d, c, lines); !problem.empty())
        return fail(Error::Code::Refused, problem);
    int copied = 0;
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const CycleDay &target = lines[j];
        if (target.week > usedWeeks(d)) {
            for (int w = usedWeeks(d) + 1; w <= target.week; ++w)
                d.weeks[w].name.assign("[New]");
            d.calendarRange.endWeek = static_cast<std::uint8_t>(target.week);
            d.modified = true;
        }
        const CycleDay source = cycleSource(d, cycleOfLine(static_cast<int>(j), c));
        copyDay(d, source.week, source.day, target.week, target.day, CodeScope::All);
        ++copied;
    }
    return copied;
}

Result<int> cyclingTimetables(ScheduleData &d, CyclingDialogue &dialogue)
{
    const int maximum = maxCycles(d);
    if (maximum < 1) {
        dialogue.inform("There are no lectures to build cycle days from.");
        return fail(Error::Code::Refused, "no lectures");
    }
    const int c = dialogue.chooseCycles(maximum, std::min(DefaultCycles, maximum));
    if (c == 0)
        return 0;
    if (!dialogue.confirmSources(c, cycleSourceWeeks(d, c)))
        return 0;
    const int g = firstTargetWeek(d, c);
    std::vector<CycleDay> lines = cycleTargetMap(d, c);
    if (const std::string problem = mapProblem(d, c, lines); !problem.empty() || lines.empty()) {
        const std::string text =
            problem.empty() ? "There is no room for the cycles in the calendar." : problem;
        dialogue.inform(text);
        return fail(Error::Code::Refused, text);
    }
    if (!dialogue.confirmTargets(g, g + c - 1))
        return 0;
    if (!dialogue.editMap(lines, c))
        return 0;
    Result<int> copied = applyCycleMap(d, c, lines);
    if (!copied) {
        dialogue.inform(copied.error().detail);
        return copied;
    }
    dialogue.inform(std::to_string(*copied) + " days were copied to weeks " + std::to_string(g) +
                    " ... " + std::to_string(g + c - 1) + ".");
    return copied;
}

} // namespace quivra
