#include "commands/clearcommands.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/cycling.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/random.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quivra {

namespace {

// "week 3" or "3 - 5", with the dates of the range when weeks are dated.
std::string weekRangeText(const ScheduleData &d, int first, int last, bool single)
{
    std::string text = single ? "week " + formatWeek(d, first, 7)
                              : formatWeek(d, first, 7) + " - " + formatWeek(d, last, 7);
    if (weeksDated(d)) {
        const std::int32_t start = weekDate(d, first);
        const int days = std::max(usedDays(d), 1);
        const DateRange range{true, start,
                              weekDate(d, last) + (weekLength(d, last) - 1) * 7 + days - 1};
        text += " (" + formatDateRange(d, range) + ")";
    }
    return text;
}

const char *partWord(int part)
{
    switch (part) {
    case ClearPartAllocations:
        return "weekly periods";
    case ClearPartWeekBookings:
        return "weekly bookings";
    case ClearPartPlacements:
        return "scheduled periods";
    default:
        return "timetable bookings";
    }
}

// What `part` counts in week w of a loaded code.
int countPart(const WeekAllocation &wa, int part, int w)
{
    switch (part) {
    case ClearPartAllocations:
        return wa.allocated[w];
    case ClearPartWeekBookings:
        return wa.booked[w];
    case ClearPartPlacements:
        return wa.scheduled[w];
    default:
        return wa.tableBooked[w];
    }
}

} // namespace

// ----- Clear 1 to 4 ---------------------------------------------------------------------------

bool clearPeriods(ScheduleData &d, Prompter &p, int parts, int week)
{
    const bool allWeeks = parts & ClearPartAskWeekRange;
    const int part = parts & 15;
    if (part != ClearPartAllocations && part != ClearPartWeekBookings &&
        part != ClearPartPlacements && part != ClearPartTableBookings)
        return false;
    const std::string kind = partWord(part);
    const bool events = part != ClearPartTableBookings;
    const int lastWeek = lastLectureWeek(d);

    int first = 1;
    int last = std::max(lastWeek, 1);
    std::string range = "all weeks";
    if (allWeeks) {
        if (lastWeek >= 1) {
            first = p.pickWeek(d, 1, "First week to clear " + kind + " from:", lastWeek, 1);
            if (first == 0)
                return false;
            last = p.pickWeek(d, lastWeek, "Last week to clear " + kind + " from:", lastWeek, 1);
            if (last == 0 || last < first)
                return false;
            range = weekRangeText(d, first, last, false);
        }
    } else {
        if (week < 1 || week > d.coding.weekLimit)
            return false;
        first = last = week;
        range = weekRangeText(d, week, week, true);
    }

    // The codes are always asked for: marks left by an earlier command are no choice the user
    // made for this one.
    const std::string noun = events ? "events" : "resources";
    const auto chosen =
        pickOfKind(d, p, "Select the " + noun + " to clear " + kind + " from", events);
    if (!chosen)
        return false;
    const std::string target =
        "the selected " + std::to_string(static_cast<int>(chosen->size())) + " " + noun;
    if (!p.sureDlg("you want to clear " + kind + LineBreak + LineBreak + "from " + target + " and" +
                   LineBreak + LineBreak + "from weeks " + range))
        return false;

    bool includeLocked = true;
    if (events) {
        const auto locked =
            std::ranges::count_if(*chosen, [&](CodeId c) { return isLockedCode(d, c); });
        if (locked > 0) {
            const int answer =
                p.yesNoCancelDlg("Do you also allow to change the (" +
                                 std::to_string(static_cast<int>(locked)) + ") locked events?");
            if (answer == Answer::Cancel)
                return false;
            includeLocked = answer == Answer::Yes;
        }
    }

    int cleared = 0;
    int codesChanged = 0;
    WeekAllocation wa;
    for (const CodeId c : *chosen) {
        if (events && !includeLocked && isLockedCode(d, c))
            continue;
        reloadWeekAllocation(d, c, wa);
        int found = 0;
        for (int w = first; w <= last; ++w)
            found += countPart(wa, part, w);
        if (found == 0)
            continue;
        for (int w = first; w <= last; ++w)
            clearWeeks(d, wa, w,
                       {.allocations = part == ClearPartAllocations,
                        .weekBookings = part == ClearPartWeekBookings,
                        .placements = part == ClearPartPlacements,
                        .slotBookings = part == ClearPartTableBookings});
        // Slot bookings are written back by clearWeeks itself; the rest only shrinks, so the
        // store always has room for it.
        if (part != ClearPartTableBookings)
            storeWeekAllocation(d, c, wa);
        cleared += found;
        ++codesChanged;
    }
    // Rooms given by hand to periods that are gone would point at nothing; one pass over the
    // weeks drops them, where a clean-up per event and week would rescan every room each time.
    if (codesChanged > 0 && (part == ClearPartAllocations || part == ClearPartPlacements))
        validityCleanup(d, first, last);
    if (codesChanged > 0) {
        recount(d);
        totals(d, 1, d.codeCount);
        allResourceTotals(d);
    }
    p.infoDlg(std::to_string(cleared) + " " + kind + " cleared from " +
              std::to_string(codesChanged) + " " + noun + ".");
    return codesChanged > 0;
}

// ----- Clear 5 to 7 ---------------------------------------------------------------------------

bool removeCodes(ScheduleData &d, Prompter &p, bool events)
{
    const std::string what =
        events ? "event(s) you want to remove" : "resource(s) you want to remove";
    const auto chosen = pickOfKind(d, p, "Select " + what, events);
    if (!chosen || chosen->empty())
        return false;
    if (!p.sureDlg("you want to remove these " + std::to_string(static_cast<int>(chosen->size())) +
                   " items permanently"))
        return false;
    // From the highest position down, so the positions still to delete do not move.
    std::vector<CodeId> order = *chosen;
    std::ranges::sort(order, std::greater<>());
    int removed = 0;
    for (const CodeId c : order)
        removed += deleteCode(d, c) ? 1 : 0;
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    p.infoDlg(std::to_string(removed) + (events ? " event(s)" : " resource(s)") + " removed.");
    return removed > 0;
}

bool removeEventResources(ScheduleData &d, Prompter &p)
{
    const auto eventsChosen =
        pickOfKind(d, p, "Select first event(s) you want to remove resources from", true);
    if (!eventsChosen || eventsChosen->empty())
        return false;
    const auto resourcesChosen = pickOfKind(
        d, p, "Select then resource(s) you want to remove from the event resources", false);
    if (!resourcesChosen || resourcesChosen->empty())
        return false;
    if (!p.sureDlg("you want to remove these " +
                   std::to_string(static_cast<int>(resourcesChosen->size())) +
                   " resource(s) from " + std::to_string(static_cast<int>(eventsChosen->size())) +
                   " event(s)"))
        return false;

    int removed = 0;
    int eventsChanged = 0;
    for (const CodeId e : *eventsChosen) {
        const MemberList members = collectionOf(d, e);
        MemberList kept{};
        int n = 0;
        for (int i = 1; i <= std::min<int>(members[0], MaxMembers); ++i) {
            if (std::ranges::find(*resourcesChosen, members[i]) == resourcesChosen->end())
                kept[++n] = members[i];
        }
        if (n == members[0])
            continue;
        kept[0] = static_cast<CodeId>(n);
        if (setCollection(d, e, kept) != n)
            continue;
        removed += members[0] - n;
        ++eventsChanged;
        totals(d, e, e);
    }
    if (eventsChanged > 0) {
        recount(d);
        allResourceTotals(d);
    }
    p.infoDlg(std::to_string(removed) + " resource(s) removed from " +
              std::to_string(eventsChanged) + " event(s).");
    return eventsChanged > 0;
}

// ----- Clear 8 to 10 --------------------------------------------------------------------------

bool clearComments(ScheduleData &d, Prompter &p)
{
    const int total = static_cast<int>(d.comments.size());
    // With no lectures at all week 1 is still offered, so comments can always be cleared.
    const int lastWeek = std::max(lastLectureWeek(d), 1);
    const int first = p.pickWeek(
        d, 1, "First week to clear " + std::to_string(total) + " comments from:", lastWeek, 1);
    if (first == 0)
        return false;
    const int last =
        p.pickWeek(d, lastWeek,
                   "Last week to clear " + std::to_string(total) + " comments from:", lastWeek, 1);
    if (last == 0 || last < first)
        return false;
    int erased = 0;
    for (int w = first; w <= last; ++w)
        erased += eraseComments(d, w, "", 1, MaxDays, 1, MaxBells);
    p.infoDlg(std::to_string(erased) + " out of " + std::to_string(total) + " comments cleared");
    const int rest = static_cast<int>(d.comments.size());
    if (first == 1 && last == lastWeek && rest > 0 &&
        p.yesNoDlg("Do you want to clear the rest " + std::to_string(rest) + " comments?")) {
        erased += eraseAllComments(d);
    }
    return erased > 0;
}

bool clearMemos(ScheduleData &d, Prompter &p)
{
    const int lines = static_cast<int>(d.memos.size());
    if (!p.sureDlg("to clear all " + std::to_string(lines) + " memo lines"))
        return false;
    eraseAllMemos(d);
    p.infoDlg(std::to_string(lines) + " memo lines cleared.");
    return lines > 0;
}

bool deleteWeekRange(ScheduleData &d, Prompter &p, int &activeWeek)
{
    if (lastLectureWeek(d) <= 1)
        return false;
    const int weeks = std::max(usedWeeks(d), 1);
    const int first = p.pickWeek(d, activeWeek, "Select the first week to delete", weeks, 1);
    if (first == 0)
        return false;
    const int last = p.pickWeek(d, first, "Select the last week to delete", weeks, 1);
    if (last == 0 || last < first)
        return false;
    const int count = last - first + 1;
    if (!p.sureDlg("to delete all contents from the selected week range of " +
                   std::to_string(count) + " week(s)"))
        return false;

    int deleted = 0;
    for (int k = 0; k < count; ++k) {
        // Dated weeks keep their dates: the weeks after the first start where they did.
        const std::int32_t shift = first == 1 && weeksDated(d) ? 7 * weekLength(d, 1) : 0;
        if (!deleteWeek(d, first, WeekNames::Move))
            break;
        d.firstWeekDate += shift;
        ++deleted;
        d.calendarRange.endWeek =
            static_cast<std::uint8_t>(std::max(1, int(d.calendarRange.endWeek) - 1));
    }
    const int left = std::max(usedWeeks(d), 1);
    d.currentWeek = std::clamp(d.currentWeek, 1, left);
    activeWeek = std::clamp(activeWeek, 1, left);
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    p.infoDlg(std::to_string(deleted) + " week(s) deleted.");
    return deleted > 0;
}

} // namespace quivra
