#include "commands/weekseventcommands.h"

#include "commands/bookingcommands.h"
#include "commands/commandsupport.h"
#include "commands/eventtools.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/scheduling.h"
#include "engine/totals.h"

#include <algorithm>
#include <bitset>
#include <string>

namespace quivra {
namespace {

std::vector<CodeId> allEvents(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= std::min<int>(d.eventList[0], MaxCodes); ++i)
        if (validCode(d, d.eventList[static_cast<std::size_t>(i)]))
            out.push_back(d.eventList[static_cast<std::size_t>(i)]);
    return out;
}

int weekSlots(const ScheduleData &d)
{
    return std::max(1, usedDays(d) * usedBells(d));
}

} // namespace

bool bookWeekOfEvents(ScheduleData &d, Prompter &p, int w, BookWeek item)
{
    if (w < 1 || w > usedWeeks(d))
        return false;
    if (w < d.currentWeek) {
        p.warnDlg("This week is protected. Select \"Edit|Protect first weeks\" to remove "
                  "protection.");
        return false;
    }
    std::vector<CodeId> events = allEvents(d);
    if (item == BookWeek::PickedEvents) {
        const auto chosen = pickOfKind(d, p, "Select the events for bookings", true);
        if (!chosen || chosen->empty())
            return false;
        events = *chosen;
    }
    const auto locked = static_cast<int>(
        std::count_if(events.begin(), events.end(), [&](CodeId e) { return isLockedCode(d, e); }));
    bool lockedToo = false;
    if (locked > 0) {
        const int answer = p.yesNoCancelDlg("Do you also allow to change the (" +
                                            std::to_string(locked) + ") locked events?");
        if (answer == Answer::Cancel)
            return false;
        lockedToo = answer == Answer::Yes;
    }
    int kind = 0;
    if (item != BookWeek::CancelAll) {
        if (bookingChoice(d, p, true) == 0)
            return false;
        kind = std::clamp<int>(d.header.defaultEventBookingKind, 1, 3);
    }
    bool changed = false;
    WeekAllocation wa;
    for (const CodeId e : events) {
        if (isLockedCode(d, e) && !lockedToo)
            continue;
        loadWeekAllocation(d, e, wa);
        const auto wanted = static_cast<std::uint8_t>(kind);
        if (wa.booked[static_cast<std::size_t>(w)] == wanted ||
            (kind > 0 && wa.allocated[static_cast<std::size_t>(w)] > 0))
            continue;
        wa.booked[static_cast<std::size_t>(w)] = wanted;
        if (storeWeekAllocation(d, e, wa) > 0 || kind == 0) {
            totals(d, e, e);
            changed = true;
        }
    }
    return changed;
}

bool adjustAllocations(ScheduleData &d, Prompter &p, bool scheduledOnly)
{
    const std::string what = scheduledOnly ? "you want to set ALLOCATED = SCHEDULED"
                                           : "you want to increase allocations";
    const auto events = pickOfKind(d, p, "Select the events where " + what, true, allEvents(d));
    if (!events || events->empty())
        return false;
    std::bitset<WeekTableSize> weeks;
    const int used = usedWeeks(d);
    for (int w = 1; w <= used; ++w)
        weeks.set(static_cast<std::size_t>(w));
    if (used > 1 &&
        p.pickWeek(d, d.currentWeek, "Select the weeks where " + what, used, 1, &weeks) == 0)
        return false;
    const int slots = weekSlots(d);
    const auto weekCount = static_cast<int>(weeks.count());
    const auto eventCount = static_cast<int>(events->size());
    bool onlyExcess = false;
    if (scheduledOnly) {
        int excess = 0, places = 0;
        WeekAllocation wa;
        for (const CodeId e : *events) {
            loadWeekAllocation(d, e, wa);
            for (int w = 1; w <= used; ++w) {
                if (weeks.test(static_cast<std::size_t>(w)) && wa.allocated[w] > slots) {
                    excess += wa.allocated[w] - slots;
                    ++places;
                }
            }
        }
        if (excess > 0) {
            const int answer = p.yesNoCancelDlg(
                std::to_string(excess) + " periods in " + std::to_string(places) +
                " selected event(s) and week(s) exceed the maximum number " +
                std::to_string(slots) + " (=" + std::to_string(usedDays(d)) + "x" +
                std::to_string(usedBells(d)) + ") of timetable slots." + LineBreak +
                "Do you want to clear only those periods which are impossible to schedule?");
            if (answer == Answer::Cancel)
                return false;
            onlyExcess = answer == Answer::Yes;
        }
    }
    const std::string counts =
        std::to_string(eventCount) + " event(s) and " + std::to_string(weekCount) + " week(s)";
    if (!p.sureDlg(scheduledOnly ? what + " in selected " + counts
                                 : what + " of selected " + std::to_string(eventCount) +
                                       " event(s) on selected " + std::to_string(weekCount) +
                                       " week(s) by one"))
        return false;
    bool changed = false;
    WeekAllocation wa;
    for (const CodeId e : *events) {
        loadWeekAllocation(d, e, wa);
        bool rowChanged = false;
        for (int w = 1; w <= used; ++w) {
            if (!weeks.test(static_cast<std::size_t>(w)) || wa.booked[w])
                continue;
            const int a = wa.allocated[w], s = wa.scheduled[w];
            int wanted = a;
            if (scheduledOnly)
                wanted = onlyExcess ? std::min(a, slots) : std::min(a, s);
            else
                wanted = std::clamp(a + 1, static_cast<int>(s), slots);
            if (wanted != a) {
                wa.allocated[w] = static_cast<std::uint8_t>(wanted);
                rowChanged = true;
            }
        }
        if (rowChanged && storeWeekAllocation(d, e, wa) > 0) {
            totals(d, e, e);
            changed = true;
        }
    }
    if (!changed && scheduledOnly)
        p.infoDlg("All allocated and scheduled periods are equal in selected " + counts + ".");
    return changed;
}

bool setPlannedToAllocated(ScheduleData &d, Prompter &p)
{
    const auto events = pickOfKind(d, p, "Select the events you want to set PLANNED = ALLOCATED",
                                   true, allEvents(d));
    if (!events || events->empty())
        return false;
    if (!p.sureDlg("you want to set PLANNED = ALLOCATED in the selected " +
                   std::to_string(events->size()) + " event(s)"))
        return false;
    bool changed = false;
    for (const CodeId e : *events) {
        const int old = d.codes[e].planned;
        setCodePlanned(d, e, d.codes[e].allocated);
        changed = changed || d.codes[e].planned != old;
    }
    return changed;
}

bool askDemoOptimise(Prompter &p)
{
    return p.yesNoDlg("Are you sure you want to run \"Optimise\" before saving your file? "
                      "This selection is intended for demonstration purposes only, since "
                      "optimisation of weekly periods may also produce unexpected results. If "
                      "you want to optimise timetables, select \"Tools|Optimise\".");
}

bool allocateMissingPeriods(ScheduleData &d, Progress &progress)
{
    int category = 1;
    for (int k = 1; k <= 7; ++k) {
        if (d.counters.resourceCounters[static_cast<std::size_t>(k)] >
            d.counters.resourceCounters[static_cast<std::size_t>(category)])
            category = k;
    }
    bool changed = false;
    WeekAllocation wa;
    const std::vector<CodeId> events = allEvents(d);
    progress.begin("Allocating ...", static_cast<int>(events.size()));
    int position = 0;
    for (const CodeId e : events) {
        progress.step(++position);
        if (progress.stopRequested())
            break;
        if (isLockedCode(d, e) || d.codes[e].allocated >= d.codes[e].planned)
            continue;
        if (allocateLeastLoaded(d, wa, e, category) > 0) {
            totals(d, e, e);
            changed = true;
        }
    }
    progress.end();
    if (changed)
        allResourceTotals(d);
    return changed;
}

bool demoAllocation(ScheduleData &d, Prompter &p)
{
    NullProgress none;
    return askDemoOptimise(p) && allocateMissingPeriods(d, none);
}

int markEventsByResource(const ScheduleData &d, Prompter &p, std::vector<std::string> &marked)
{
    std::vector<CodeId> resources;
    std::vector<std::string> lines;
    for (int i = 1; i <= std::min<int>(d.resourceList[0], MaxCodes); ++i) {
        const CodeId r = d.resourceList[static_cast<std::size_t>(i)];
        if (!validCode(d, r))
            continue;
        resources.push_back(r);
        lines.push_back(std::to_string(resources.size()) + " : (" +
                        std::to_string(d.codes[r].links) + "x) " +
                        formatCode(d, r, ShowCodeAndName));
    }
    const CodeId r = p.chooseAmong(
        d,
        std::string("Select resource") + LineBreak +
            "Selecting a resource marks all those events that contain it in their resources." +
            LineBreak + "Click then [CTRL+N] or [CTRL+P] to jump to next or previous marked event.",
        resources, lines);
    if (r == 0)
        return 0;
    marked.clear();
    for (const CodeId e : allEvents(d)) {
        const MemberList m = collectionOf(d, e);
        if (std::find(m.begin() + 1, m.begin() + 1 + m[0], r) != m.begin() + 1 + m[0])
            marked.emplace_back(d.codes[e].code.view());
    }
    return static_cast<int>(marked.size());
}

CodeId nextMarkedEvent(const ScheduleData &d, const std::vector<std::string> &marked, CodeId from,
                       int step)
{
    const std::vector<CodeId> events = allEvents(d);
    const auto n = static_cast<int>(events.size());
    if (n == 0 || marked.empty())
        return 0;
    int at = static_cast<int>(std::find(events.begin(), events.end(), from) - events.begin());
    if (at >= n)
        at = step > 0 ? -1 : n;
    for (int k = 1; k <= n; ++k) {
        const CodeId e = events[static_cast<std::size_t>(((at + step * k) % n + n) % n)];
        if (std::find(marked.begin(), marked.end(), d.codes[e].code.view()) != marked.end())
            return e;
    }
    return 0;
}

namespace {

bool holds(const ScheduleData &d, CodeId e, CodeId r)
{
    const MemberList m = collectionOf(d, e);
    return std::find(m.begin() + 1, m.begin() + 1 + m[0], r) != m.begin() + 1 + m[0];
}

} // namespace

bool sumWindowResource(ScheduleData &d, Prompter &p, std::vector<std::string> &marked, CodeId e,
                       CodeId r, std::string &hint)
{
    hint.clear();
    if (!validCode(d, e) || !isEventCode(d, e) || !validCode(d, r) || isEventCode(d, r))
        return false;
    marked.clear();
    for (const CodeId x : allEvents(d))
        if (holds(d, x, r))
            marked.emplace_back(d.codes[x].code.view());
    const std::string code(d.codes[r].code.view());
    hint = "[Ctrl+N]/[Ctrl+P]: Jump to next/previous event containing \"" + code + "\" (" +
           std::to_string(marked.size()) + ")";
    if (!p.yesNoDlg("Replace \"" + code + "\" in event \"" + std::string(d.codes[e].code.view()) +
                    "\" ?"))
        return false;
    return changeEventResource(d, p, e, r, 0) != 0;
}

std::vector<WeekEventLine> resourceWeekEvents(const ScheduleData &d, CodeId r, int w)
{
    std::vector<WeekEventLine> out;
    if (!validCode(d, r) || w < 1 || w > usedWeeks(d))
        return out;
    WeekAllocation wa;
    for (const CodeId e : allEvents(d)) {
        if (!holds(d, e, r))
            continue;
        loadWeekAllocation(d, e, wa);
        const int allocated = wa.allocated[w], scheduled = wa.scheduled[w];
        if (allocated == 0 && scheduled == 0)
            continue;
        out.push_back({e, std::string(d.codes[e].code.view()) + "(" + std::to_string(scheduled) +
                              "h+" + std::to_string(std::max(allocated - scheduled, 0)) +
                              "h=" + std::to_string(allocated) + "h) " +
                              std::string(d.codes[e].name.view())});
    }
    return out;
}

CodeId birdsEyeCell(const ScheduleData &d, Prompter &p, CodeId r, int w)
{
    const std::vector<WeekEventLine> lines = resourceWeekEvents(d, r, w);
    if (lines.empty()) {
        if (validCode(d, r) && w >= 1)
            p.infoDlg("\"" + std::string(d.codes[r].code.view()) + "\" has no periods in week \"" +
                      formatWeek(d, w, 3) + "\".");
        return 0;
    }
    std::vector<CodeId> events;
    std::vector<std::string> texts;
    for (const WeekEventLine &l : lines) {
        events.push_back(l.event);
        texts.push_back(l.text);
    }
    return p.chooseAmong(d,
                         "\"" + std::string(d.codes[r].code.view()) + "\" in week \"" +
                             formatWeek(d, w, 3) + "\"",
                         events, texts);
}

} // namespace quivra
