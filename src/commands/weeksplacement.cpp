#include "commands/weeksplacement.h"

#include "commands/weekseventcommands.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/limits.h"
#include "engine/totals.h"
#include "optimise/initialsolution.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace quivra {
namespace {

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::vector<CodeId> listedEvents(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= std::min<int>(d.eventList[0], MaxCodes); ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (validCode(d, e) && isEventCode(d, e))
            out.push_back(e);
    }
    return out;
}

} // namespace

WeeksPlacement placeInWeeks(ScheduleData &d, const std::vector<CodeId> &events, int w1, int w2)
{
    NullProgress none;
    return placeInWeeks(d, events, w1, w2, none);
}

WeeksPlacement placeInWeeks(ScheduleData &d, const std::vector<CodeId> &events, int w1, int w2,
                            Progress &progress)
{
    WeeksPlacement out;
    w1 = std::max(w1, 1);
    w2 = std::min(w2, usedWeeks(d));
    if (events.empty() || w1 > w2)
        return out;
    InitialSettings s = defaultInitialSettings(d);
    s.range.startWeek = static_cast<std::uint8_t>(w1);
    s.range.endWeek = static_cast<std::uint8_t>(w2);
    // The days and bells the optimiser may use, when they are set.
    const TimeRange &o = d.optimiseRange;
    if (o.startDay >= 1 && o.startDay <= o.endDay && o.startBell >= 1 && o.startBell <= o.endBell) {
        s.range.startDay = std::max(s.range.startDay, o.startDay);
        s.range.endDay = std::min(s.range.endDay, o.endDay);
        s.range.startBell = std::max(s.range.startBell, o.startBell);
        s.range.endBell = std::min(s.range.endBell, o.endBell);
        if (s.range.startDay > s.range.endDay || s.range.startBell > s.range.endBell)
            return out;
    }
    // The run places the events marked with bit 0; the marks of every code are put back.
    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c) {
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    }
    for (const CodeId e : events)
        if (validCode(d, e) && isEventCode(d, e))
            d.codes[e].flags |= 1;
    const PatternTable patterns;
    const InitialResult r = runInitialSolution(d, s, patterns, progress);
    for (int c = 1; c <= d.codeCount; ++c) {
        CodeRecord &rec = d.codes[c];
        rec.flags = static_cast<std::uint16_t>((rec.flags & ~LinkMarksMask) |
                                               marks[static_cast<std::size_t>(c)]);
    }
    out.placed = r.placed;
    out.changed = r.changed;
    if (r.storeFailed)
        out.storeFull = r.message;
    if (!out.changed.empty()) {
        totals(d, 1, d.codeCount);
        allResourceTotals(d);
    }
    return out;
}

bool fillCurrentWeek(ScheduleData &d, Prompter &p, Progress &progress, int w)
{
    if (w < 1 || w > usedWeeks(d))
        return false;
    if (w < d.currentWeek) {
        p.warnDlg("This week is protected. Select \"Edit|Protect first weeks\" to remove "
                  "protection.");
        return false;
    }
    if (!p.sureDlg("to let Quivra schedule periods in timetables on this week"))
        return false;
    const WeeksPlacement r = placeInWeeks(d, listedEvents(d), w, w, progress);
    if (!r.storeFull.empty())
        p.warnDlg(r.storeFull);
    p.infoDlg(std::to_string(r.placed) + " periods of " + std::to_string(r.changed.size()) +
              " events were scheduled in week " + quoted(formatWeek(d, w, 3)) + ".");
    return !r.changed.empty();
}

DemoRun demoScheduling(ScheduleData &d, Prompter &p, Progress &progress, bool allocateFirst)
{
    DemoRun run;
    if (!askDemoOptimise(p))
        return run;
    if (allocateFirst)
        run.changed = allocateMissingPeriods(d, progress);
    if (progress.stopRequested())
        return run;
    std::vector<CodeId> events;
    for (const CodeId e : listedEvents(d))
        if (!isLockedCode(d, e) && d.codes[e].scheduled < d.codes[e].allocated)
            events.push_back(e);
    const WeeksPlacement r = placeInWeeks(d, events, 1, usedWeeks(d), progress);
    if (!r.storeFull.empty())
        p.warnDlg(r.storeFull);
    run.changed = run.changed || !r.changed.empty();
    run.optimise = p.yesNoDlg("Do you also want to optimise timetables?");
    return run;
}

} // namespace quivra
