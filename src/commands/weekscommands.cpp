#include "commands/weekscommands.h"

#include "commands/commandsupport.h"
#include "commands/eventtools.h"
#include "commands/weeksplacement.h"
#include "engine/calendar.h"
#include "engine/calendaredits.h"
#include "engine/clearing.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/recount.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "engine/totals.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace quivra {
namespace {

const std::string Blank = std::string(LineBreak) + LineBreak;
// The longest a week of the calendar can be (its length is one byte).
constexpr int LongestWeek = 255;

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string codeOf(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

std::string weekName(const ScheduleData &d, int w)
{
    return formatWeek(d, w, 3);
}

int weekSlots(const ScheduleData &d)
{
    return std::max(1, usedDays(d) * usedBells(d));
}

bool isEvent(const ScheduleData &d, CodeId e)
{
    return validCode(d, e) && isEventCode(d, e);
}

void refuseProtected(Prompter &p)
{
    p.warnDlg("This week is protected. Select \"Edit|Protect first weeks\" to remove protection.");
}

// What every change of a row goes through: the event exists, is unlocked (or the user unlocks
// it) and has resources, and week w (0 for a whole-row command) is open for changes.
bool rowOpen(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (!isEvent(d, e) || w < 0 || w > usedWeeks(d))
        return false;
    if (!askToUnlock(d, p, e))
        return false;
    if (w > 0 && w < d.currentWeek) {
        refuseProtected(p);
        return false;
    }
    if (collectionOf(d, e)[0] == 0) {
        p.warnDlg("This cell cannot be changed: the event " + quoted(codeOf(d, e)) +
                  " has no resources.");
        return false;
    }
    return true;
}

bool holdsAnything(const WeekAllocation &wa)
{
    return !wa.timetable.empty() ||
           std::any_of(wa.allocated.begin(), wa.allocated.end(), [](auto v) { return v > 0; }) ||
           std::any_of(wa.booked.begin(), wa.booked.end(), [](auto v) { return v > 0; });
}

// Stores the event's changed allocation and recomputes its totals; a full store is reported and
// leaves the event as it was.
bool storeRow(ScheduleData &d, Prompter &p, CodeId e, WeekAllocation &wa)
{
    if (storeWeekAllocation(d, e, wa) == 0 && holdsAnything(wa)) {
        p.warnDlg("The lecture store is full: the change of event " + quoted(codeOf(d, e)) +
                  " was not stored.");
        return false;
    }
    totals(d, e, e);
    return true;
}

void trimWeek(ScheduleData &d, WeekAllocation &wa, int w)
{
    ClearParts parts;
    parts.trimToAllocation = true;
    clearWeeks(d, wa, w, parts);
}

// After a change of the week structure: the stores' derived fields and every total.
void recountAll(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
}

// Whether any event has periods placed in week w.
bool weekHasPlacements(const ScheduleData &d, int w)
{
    const SlotCoding &k = d.coding;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        if (word == 0 || isBookingWord(word) || !(word & LectureEventBit) ||
            k.dayOf(d.lectureStart[i]) == 0)
            continue;
        if (k.weekOf(d.lectureStart[i]) <= w && w <= k.weekOf(d.lectureEnd[i]))
            return true;
    }
    return false;
}

int lastPlacedWeek(const ScheduleData &d)
{
    const SlotCoding &k = d.coding;
    int last = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        if (word != 0 && !isBookingWord(word) && k.dayOf(d.lectureStart[i]) != 0)
            last = std::max(last, k.weekOf(d.lectureEnd[i]));
    }
    return last;
}

// Places e's unscheduled periods of weeks w1..w2; a full store is reported. True when any was
// placed.
bool autoFillWeeks(ScheduleData &d, Prompter &p, CodeId e, int w1, int w2)
{
    const WeeksPlacement r = placeInWeeks(d, {e}, std::max(w1, d.currentWeek), w2);
    if (!r.storeFull.empty())
        p.warnDlg(r.storeFull);
    return !r.changed.empty();
}

std::int64_t weightedAllocation(const ScheduleData &d, const WeekAllocation &wa)
{
    std::int64_t sum = 0;
    for (int w = 1; w < WeekTableSize; ++w)
        sum += static_cast<std::int64_t>(wa.allocated[w]) * weekLength(d, w);
    return sum;
}

// Whether "Paste allocation" takes the stored event's timetable too: it has timetabled
// resources and placed periods, none of its timetabled resources is one of e's, and every
// timetabled resource of e is free wherever it is placed (from the first unprotected week on).
bool timetableTransferable(const ScheduleData &d, CodeId source, CodeId e)
{
    if (d.codes[source].scheduled == 0)
        return false;
    MemberList theirs = collectionOf(d, source);
    dropNoTimetable(d, theirs);
    if (theirs[0] == 0)
        return false;
    MemberList mine = collectionOf(d, e);
    const auto first = mine.begin() + 1, last = mine.begin() + 1 + mine[0];
    for (int k = 1; k <= theirs[0]; ++k)
        if (std::find(first, last, theirs[static_cast<std::size_t>(k)]) != last)
            return false;
    dropNoTimetable(d, mine);
    for (int k = 1; k <= mine[0]; ++k)
        if (!canJoin(d, source, mine[static_cast<std::size_t>(k)], false,
                     std::max(1, d.currentWeek)))
            return false;
    return true;
}

// The placed periods of `from` in the open weeks, as e's (wa's) lectures: each lecture cut into
// its runs of open weeks.
void copyPlacements(const WeekAllocation &from, WeekAllocation &wa, const std::vector<bool> &open)
{
    for (std::size_t i = 0; i < from.timetable.size(); ++i) {
        const LectureView &v = from.timetable[i];
        if (isBookingWord(v.word) || !(v.word & LectureEventBit))
            continue;
        for (int w = v.startWeek; w <= v.endWeek; ++w) {
            if (!open[static_cast<std::size_t>(w)])
                continue;
            int end = w;
            while (end < v.endWeek && open[static_cast<std::size_t>(end + 1)])
                ++end;
            LectureView copy = v;
            copy.word = static_cast<std::uint16_t>(wa.code + LectureEventBit);
            copy.startWeek = static_cast<std::uint8_t>(w);
            copy.endWeek = static_cast<std::uint8_t>(end);
            wa.timetable.push_back(copy);
            wa.timetableKinds.push_back(0);
            w = end;
        }
    }
}

} // namespace

// ----- cells ------------------------------------------------------------------------------------

bool typeAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w, int value)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (wa.booked[w])
        return false;
    const int old = wa.allocated[w];
    const int v = std::clamp(value, 0, weekSlots(d));
    const int room = allocatableInWeek(d, wa, w);
    int wanted = std::min(v, old + room);
    if (v > old + room) {
        bool raise = s.ignorePlanned;
        bool remember = false;
        if (!raise) {
            const int answer = p.yesNoCancelDlg(
                "The entered value (" + std::to_string(v) + ") cannot exceed " +
                std::to_string(old + room) + " since ALLOCATED would then be larger than PLANNED." +
                Blank + "Do you want to increase the value of PLANNED (" +
                std::to_string(d.codes[e].planned) + ") to remove this restriction?");
            if (answer == Answer::Cancel)
                return false;
            raise = answer == Answer::Yes;
            if (raise) {
                const int again = p.yesNoCancelDlg(
                    std::string("Do you want to ignore this question in the future?") + LineBreak +
                    "(PLANNED will be automatically set equal to = ALLOCATED).");
                if (again == Answer::Cancel)
                    return false;
                remember = again == Answer::Yes;
            }
        }
        if (raise)
            wanted = v;
        if (remember)
            s.ignorePlanned = true;
    }
    if (wanted == old)
        return false;
    wa.allocated[w] = static_cast<std::uint8_t>(wanted);
    trimWeek(d, wa, w);
    if (!storeRow(d, p, e, wa))
        return false;
    if (s.autoFill && wanted > old)
        autoFillWeeks(d, p, e, w, w);
    return true;
}

bool increaseAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (wa.booked[w])
        return false;
    int room = allocatableInWeek(d, wa, w);
    if (d.codes[e].allocated >= d.codes[e].planned && !s.ignorePlanned) {
        const int answer = p.yesNoCancelDlg(
            "To increase ALLOCATED, you must also increase PLANNED accordingly." + Blank +
            "Do you want to do that now and ignore this question in the future?");
        if (answer != Answer::Yes)
            return false;
        s.ignorePlanned = true;
    }
    if (s.ignorePlanned && wa.allocated[w] < weekSlots(d))
        room = std::max(room, 1);
    if (room <= 0)
        return false;
    wa.allocated[w] = static_cast<std::uint8_t>(wa.allocated[w] + 1);
    if (!storeRow(d, p, e, wa))
        return false;
    if (s.autoFill)
        autoFillWeeks(d, p, e, w, w);
    return true;
}

bool decreaseAllocation(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (wa.booked[w] || wa.allocated[w] == 0)
        return false;
    wa.allocated[w] = static_cast<std::uint8_t>(wa.allocated[w] - 1);
    trimWeek(d, wa, w);
    return storeRow(d, p, e, wa);
}

bool toggleWeekBooking(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (wa.allocated[w] > 0)
        return false;
    const int kind = std::clamp<int>(d.header.defaultEventBookingKind, 1, 3);
    wa.booked[w] = static_cast<std::uint8_t>(wa.booked[w] ? 0 : kind);
    return storeRow(d, p, e, wa);
}

bool eraseCell(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (wa.allocated[w] == 0 && wa.scheduled[w] == 0)
        return false;
    ClearParts parts;
    parts.allocations = true;
    clearWeeks(d, wa, w, parts);
    return storeRow(d, p, e, wa);
}

// ----- rows -------------------------------------------------------------------------------------

bool bookEventUpTo(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const int kind = std::clamp<int>(d.header.defaultEventBookingKind, 1, 3);
    bool changed = false;
    for (int x = std::max(1, d.currentWeek); x <= w; ++x) {
        if (wa.allocated[x] > 0)
            continue;
        wa.booked[x] = static_cast<std::uint8_t>(wa.booked[x] ? 0 : kind);
        changed = true;
    }
    return changed && storeRow(d, p, e, wa);
}

bool clearRowUpTo(ScheduleData &d, Prompter &p, CodeId e, int w, RowClear what)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    bool any = false;
    for (int x = std::max(1, d.currentWeek); x <= w; ++x)
        any = any || wa.scheduled[x] > 0 || (what == RowClear::Allocations && wa.allocated[x]);
    if (!any)
        return false;
    ClearParts parts;
    parts.allocations = what == RowClear::Allocations;
    parts.placements = what == RowClear::Placements;
    for (int x = std::max(1, d.currentWeek); x <= w; ++x)
        clearWeeks(d, wa, x, parts);
    return storeRow(d, p, e, wa);
}

bool stepPlanned(ScheduleData &d, Prompter &p, CodeId e, int delta)
{
    if (!rowOpen(d, p, e, 0))
        return false;
    const CodeRecord &r = d.codes[e];
    if (delta < 0 && r.planned <= r.allocated) {
        p.warnDlg("PLANNED cannot be smaller than ALLOCATED.");
        return false;
    }
    return setPlanned(d, e, r.planned + delta);
}

bool setPlanned(ScheduleData &d, CodeId e, int value)
{
    if (!isEvent(d, e))
        return false;
    const int old = d.codes[e].planned;
    setCodePlanned(d, e, value);
    return d.codes[e].planned != old;
}

bool autoAllocate(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w)
{
    if (w < 1 || !rowOpen(d, p, e, w))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const auto before = wa.allocated;
    distributeByPattern(d, wa, e, w, s.patterns);
    const bool allocated = wa.allocated != before && storeRow(d, p, e, wa);
    // The periods the pattern gave, and any left unscheduled before, go into the timetables.
    const bool placed = d.codes[e].scheduled < d.codes[e].allocated &&
                        autoFillWeeks(d, p, e, d.currentWeek, usedWeeks(d));
    return allocated || placed;
}

bool shiftEventAllocation(ScheduleData &d, Prompter &p, CodeId e, int w, int delta)
{
    if (w < 1 || delta == 0 || !rowOpen(d, p, e, w))
        return false;
    if (delta < 0 && w - 1 < d.currentWeek) {
        refuseProtected(p);
        return false;
    }
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    if (!shiftAllocation(d, wa, w, delta < 0 ? ShiftDirection::Earlier : ShiftDirection::Later))
        return false;
    // A week may have moved onto a longer one: the weighted allocation stays within PLANNED.
    while (weightedAllocation(d, wa) > d.codes[e].planned) {
        int x = weekCap(d);
        while (x >= 1 && wa.allocated[x] <= wa.scheduled[x])
            --x;
        if (x < 1)
            break;
        wa.allocated[x] = static_cast<std::uint8_t>(wa.allocated[x] - 1);
    }
    return storeRow(d, p, e, wa);
}

bool dragAllocation(ScheduleData &d, Prompter &p, CodeId e, int from, int to)
{
    const int used = usedWeeks(d);
    if (from == to || from < 1 || to < 1 || from > used || to > used || !isEvent(d, e))
        return false;
    if (std::min(from, to) < d.currentWeek) {
        refuseProtected(p);
        return false;
    }
    WeekAllocation before;
    loadWeekAllocation(d, e, before);
    const int step = to > from ? 1 : -1;
    // To the right nothing may be pushed past the weeks in use, where the grid no longer shows it.
    for (int w = used - (to - from) + 1; step > 0 && w <= used; ++w) {
        if (w >= from && (before.allocated[w] || before.booked[w] || before.scheduled[w])) {
            p.warnDlg("The allocation of event " + quoted(codeOf(d, e)) +
                      " cannot be moved to week " + quoted(weekName(d, to)) +
                      ": its last weeks would move past the weeks in use.");
            return false;
        }
    }
    int moved = 0;
    for (int w = from; w != to; w += step) {
        if (!shiftEventAllocation(d, p, e, w, step))
            break;
        ++moved;
    }
    if (moved != std::abs(to - from)) {
        // Half a drag is no drag: the event gets its allocation back.
        if (moved > 0) {
            storeWeekAllocation(d, e, before);
            totals(d, e, e);
        }
        p.warnDlg("The allocation of event " + quoted(codeOf(d, e)) + " cannot be moved to week " +
                  quoted(weekName(d, to)) + ".");
        return moved > 0;
    }
    return true;
}

// ----- weeks ------------------------------------------------------------------------------------

bool insertWeekBefore(ScheduleData &d, Prompter &p, int w)
{
    const int used = usedWeeks(d);
    if (w < 1 || w > used)
        return false;
    if (!insertWeek(d, w, WeekNames::Move)) {
        p.warnDlg("A week cannot be inserted before week " + quoted(weekName(d, w)) +
                  ": the last week of the calendar (" + std::to_string(weekCap(d)) +
                  ") holds periods or bookings, which would be lost.");
        return false;
    }
    if (weeksDated(d) && w == 1)
        setWeekDates(d, true, d.firstWeekDate - 7);
    if (w < d.currentWeek)
        setFirstOpenWeek(d, d.currentWeek + 1);
    recountAll(d);
    // The new week may take the periods of its neighbours, days 1..t from the week before and
    // the others from the week after.
    const int days = usedDays(d);
    if (w > 1 && w < lastPlacedWeek(d) && days > 1 && weekHasPlacements(d, w - 1) &&
        weekHasPlacements(d, w + 1)) {
        const std::string name = weekName(d, w);
        if (p.yesNoDlg("A new week " + quoted(name) + " has been inserted." + Blank +
                       "Do you want to combine " + quoted(name) + " from adjacent weeks?" +
                       LineBreak + "(If you select [Yes], the scheduled periods from the" +
                       LineBreak + "previous and next week are merged to this new week." +
                       LineBreak + "Select [No], if you want to have an empty week).")) {
            const std::string before = weekName(d, w - 1), after = weekName(d, w + 1);
            std::string items;
            for (int t = 1; t < days; ++t) {
                const std::string firstDays =
                    formatDayBell(d, 1, 0, 1) + "-" + formatDayBell(d, t, 0, 1);
                const std::string lastDays =
                    formatDayBell(d, t + 1, 0, 1) + "-" + formatDayBell(d, days, 0, 1);
                items += std::to_string(t) + ". " + name + " = " + before + " (" + firstDays +
                         ") + " + after + " (" + lastDays + ") ?$";
            }
            const int t = p.choice(std::string(LineBreak) + "How do you want to combine week " +
                                       quoted(name) + LineBreak + "from the timetables of " +
                                       quoted(before) + " and " + quoted(after) + " ?",
                                   0, 1, items);
            if (t > 0) {
                fillInsertedWeek(d, w, t);
                recountAll(d);
            }
        }
    }
    return true;
}

bool deleteWeekAt(ScheduleData &d, Prompter &p, int w)
{
    const int used = usedWeeks(d);
    if (w < 1 || w > used)
        return false;
    if (!p.sureDlg("you want to delete week " + quoted(weekName(d, w)) +
                   " and shift all subsequent weeks left"))
        return false;
    if (weeksDated(d) && w == 1)
        setWeekDates(d, true, d.firstWeekDate + 7 * weekLength(d, 1));
    if (!deleteWeek(d, w, WeekNames::Move))
        return false;
    setCalendarSize(d, std::max(used - 1, 1), usedDays(d), usedBells(d));
    if (w < d.currentWeek)
        setFirstOpenWeek(d, d.currentWeek - 1);
    else
        setFirstOpenWeek(d, d.currentWeek);
    recountAll(d);
    return true;
}

bool extendUsedWeeks(ScheduleData &d, Prompter &p, int w)
{
    const int used = usedWeeks(d);
    if (w <= used || w > weekCap(d))
        return false;
    if (!p.yesNoDlg("If you want to change the maximum number of weeks (" + std::to_string(used) +
                    ") shown in this view, change" + LineBreak +
                    "\"Weeks or terms\" in selection \"Options|Limits\". But you can do it here "
                    "as well." +
                    LineBreak + "Do you want to increase this maximum (" + std::to_string(used) +
                    ") to " + std::to_string(w) + " now?"))
        return false;
    for (int k = used + 1; k <= w; ++k)
        setWeekEntry(d, k, "[" + std::to_string(k) + "]", 1);
    setCalendarSize(d, w, usedDays(d), usedBells(d));
    recountAll(d);
    return true;
}

bool splitWeekAt(ScheduleData &d, Prompter &p, int w)
{
    if (w < 1 || w > usedWeeks(d))
        return false;
    const int length = weekLength(d, w);
    if (length < 2) {
        p.infoDlg("Week " + quoted(weekName(d, w)) + " is only one week long.");
        return false;
    }
    std::string items;
    for (int k = 1; k < length; ++k)
        items += std::to_string(k) + "w + " + std::to_string(length - k) +
                 "w = " + std::to_string(length) + "w$";
    const int k = p.choice(std::string(LineBreak) + "How do you want to split the " +
                               std::to_string(length) + "w of " + quoted(weekName(d, w)) + "?",
                           0, 1, items);
    if (k <= 0)
        return false;
    const std::string name(d.weeks[static_cast<std::size_t>(w)].name.view());
    if (!insertWeek(d, w, WeekNames::Move)) {
        p.warnDlg("Week " + quoted(weekName(d, w)) +
                  " cannot be split: the last week of the "
                  "calendar holds periods or bookings, which would be lost.");
        return false;
    }
    WeekClipboard clip;
    copyWeek(d, w + 1, CodeScope::All, clip);
    pasteWeek(d, w, CodeScope::All, clip);
    setWeekEntry(d, w, name, k);
    setWeekEntry(d, w + 1, name, length - k);
    if (w < d.currentWeek)
        setFirstOpenWeek(d, d.currentWeek + 1);
    recountAll(d);
    return true;
}

bool splitAllWeeks(ScheduleData &d, Prompter &p)
{
    if (!p.sureDlg("you want to split all weeks into calendar weeks"))
        return false;
    if (!splitLongWeeks(d, 1))
        return false;
    recountAll(d);
    return true;
}

bool changeWeekLength(ScheduleData &d, Prompter &p, int w, int delta)
{
    if (w < 1 || w > usedWeeks(d) || delta == 0)
        return false;
    const int length = weekLength(d, w);
    const std::string name(d.weeks[static_cast<std::size_t>(w)].name.view());
    if (delta < 0) {
        if (length <= 1)
            return false;
        setWeekEntry(d, w, name, length - 1);
        recountAll(d);
        return true;
    }
    if (length >= LongestWeek) {
        p.warnDlg("Week " + quoted(weekName(d, w)) + " cannot be longer than " +
                  std::to_string(LongestWeek) + "w.");
        return false;
    }
    int exceeding = 0;
    WeekAllocation wa;
    const LectureIndex index(d);
    for (int i = 1; i <= std::min<int>(d.eventList[0], MaxCodes); ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (!isEvent(d, e))
            continue;
        loadWeekAllocation(d, e, wa, index);
        if (wa.allocated[w] > 0 && d.codes[e].allocated + wa.allocated[w] > d.codes[e].planned)
            ++exceeding;
    }
    if (exceeding > 0 &&
        !p.sureDlg("to increase the length (" + std::to_string(length) + "w) of this week (" +
                   weekName(d, w) + "), because in " + std::to_string(exceeding) +
                   " events of this week ALLOCATED would exceed PLANNED" + LineBreak +
                   "- which in turn forces to increase PLANNED to be at least equal to "
                   "ALLOCATED"))
        return false;
    setWeekEntry(d, w, name, length + 1);
    recountAll(d);
    return true;
}

bool protectFirstWeeks(ScheduleData &d, Prompter &p)
{
    const int w = p.pickWeek(d, d.currentWeek,
                             std::string("Select the first week allowed to be edited.") +
                                 LineBreak + "(Previous weeks are protected.)",
                             usedWeeks(d), 1);
    return w > 0 && setFirstOpenWeek(d, w);
}

// ----- events -----------------------------------------------------------------------------------

void copyAllocation(const ScheduleData &d, Prompter &p, WeeksState &s, CodeId e)
{
    if (!isEvent(d, e))
        return;
    s.copiedAllocation = codeOf(d, e);
    p.infoDlg("Allocated periods of event " + quoted(s.copiedAllocation) +
              " were copied to memory." + Blank +
              "Select \"Edit|Paste allocation\" on another event to paste them to this event.");
}

bool pasteAllocation(ScheduleData &d, Prompter &p, const WeeksState &s, CodeId e)
{
    if (!isEvent(d, e) || s.copiedAllocation.empty())
        return false;
    const CodeId source = findCode(d, s.copiedAllocation);
    if (!isEvent(d, source)) {
        p.warnDlg("The event " + quoted(s.copiedAllocation) +
                  " whose allocation was copied no longer exists.");
        return false;
    }
    if (source == e) {
        p.warnDlg("Select another event to paste the allocation of " + quoted(s.copiedAllocation) +
                  " to.");
        return false;
    }
    if (!rowOpen(d, p, e, 0))
        return false;
    WeekAllocation from, wa;
    loadWeekAllocation(d, source, from);
    loadWeekAllocation(d, e, wa);
    const int before = d.codes[e].allocated;
    int pasted = 0;
    int placed = 0;
    const bool withTimetable = timetableTransferable(d, source, e);
    // Protected and booked weeks keep what they have; without the timetable no week falls below
    // what it has placed.
    std::vector<bool> open(static_cast<std::size_t>(WeekTableSize), false);
    for (int w = std::max(1, d.currentWeek); w <= weekCap(d); ++w) {
        if (wa.booked[w])
            continue;
        open[static_cast<std::size_t>(w)] = true;
        pasted += from.allocated[w];
        if (withTimetable) {
            ClearParts parts;
            parts.placements = true;
            clearWeeks(d, wa, w, parts);
            wa.allocated[w] = from.allocated[w];
            wa.scheduled[w] = from.scheduled[w];
            placed += from.scheduled[w];
        } else {
            wa.allocated[w] = std::max(from.allocated[w], wa.scheduled[w]);
        }
    }
    if (withTimetable)
        copyPlacements(from, wa, open);
    if (!storeRow(d, p, e, wa))
        return false;
    std::string text =
        std::to_string(pasted) + " allocated " +
        (withTimetable ? "and " + std::to_string(placed) + " scheduled periods " : "periods ") +
        "were pasted from event " + quoted(s.copiedAllocation) + " to event " +
        quoted(codeOf(d, e)) + ".";
    const int after = d.codes[e].allocated;
    if (after > before)
        text +=
            Blank + "Allocated periods were increased by " + std::to_string(after - before) + ".";
    else if (after < before)
        text +=
            Blank + "Allocated periods were decreased by " + std::to_string(before - after) + ".";
    p.infoDlg(text);
    return true;
}

bool toggleLock(ScheduleData &d, CodeId e)
{
    return toggleEventLock(d, e);
}

CodeId searchUnallocated(const ScheduleData &d, Prompter &p, CodeId e)
{
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    int start = 0;
    for (int i = 1; i <= count; ++i)
        if (d.eventList[static_cast<std::size_t>(i)] == e)
            start = i;
    for (int step = 1; step <= count; ++step) {
        const CodeId c = d.eventList[static_cast<std::size_t>((start + step - 1) % count + 1)];
        if (isEvent(d, c) && d.codes[c].allocated < d.codes[c].planned)
            return c;
    }
    std::int64_t planned = 0, unscheduled = 0;
    for (int i = 1; i <= count; ++i) {
        const CodeId c = d.eventList[static_cast<std::size_t>(i)];
        if (!isEvent(d, c))
            continue;
        planned += d.codes[c].planned;
        unscheduled += std::max(0, d.codes[c].allocated - d.codes[c].scheduled);
    }
    std::string text =
        "You have now allocated all your " + std::to_string(planned) + " periods to weeks.";
    if (unscheduled > 0)
        text += std::string(LineBreak) + "But there are currently " + std::to_string(unscheduled) +
                " periods which have not been scheduled.";
    p.infoDlg(text);
    return 0;
}

std::vector<Prerequisite> checkPrerequisites(const ScheduleData &d, Prompter &p)
{
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    struct Span
    {
        CodeId e;
        int first, last;
    };
    std::vector<Span> spans;
    const LectureIndex index(d);
    WeekAllocation wa;
    for (int i = 1; i <= count; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (!isEvent(d, e))
            continue;
        loadWeekAllocation(d, e, wa, index);
        int first = 0, last = 0;
        for (int w = 1; w < WeekTableSize; ++w) {
            if (wa.allocated[w] == 0)
                continue;
            if (first == 0)
                first = w;
            last = w;
        }
        spans.push_back({e, first, last});
    }
    std::vector<Prerequisite> problems;
    int found = 0;
    for (const Span &a : spans) {
        const std::string_view code = d.codes[a.e].code.view();
        if (code.empty() || code == " ")
            continue;
        for (const Span &b : spans) {
            // An event whose name holds its own code is not its own prerequisite.
            if (b.e == a.e || d.codes[b.e].name.view().find(code) == std::string_view::npos)
                continue;
            ++found;
            if (a.last > 0 && b.first > 0 && b.first <= a.last)
                problems.push_back({a.e, b.e});
        }
    }
    if (found == 0) {
        p.infoDlg("No event prerequisites detected.");
    } else if (problems.empty()) {
        p.infoDlg(std::to_string(found) +
                  " event prerequisite(s) detected, but events are allocated as they should.");
    } else {
        std::vector<std::string> lines;
        for (const Prerequisite &x : problems)
            lines.push_back(codeOf(d, x.after) + " <= " + codeOf(d, x.before));
        p.selectLine("Event prerequisite problems",
                     std::string(LineBreak) + std::to_string(problems.size()) +
                         " event(s) not allocated to weeks according to set " +
                         std::to_string(found) + " prerequisites",
                     lines);
    }
    return problems;
}

std::string weeksStatusText(const ScheduleData &d, CodeId e, int w)
{
    if (!isEvent(d, e) || w < 1 || w > weekCap(d))
        return {};
    if (w > usedWeeks(d))
        return "Week " + std::to_string(w) + " is not in use: choose it to use the weeks up to it.";
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const std::string week = quoted(weekName(d, w));
    if (wa.booked[w])
        return "Week " + week + " of event " + quoted(codeOf(d, e)) + " is booked (" +
               listItem(d.bookingKinds.view(), wa.booked[w]) + ").";
    const std::string date =
        weeksDated(d) ? " (" + formatShortDate(weekDate(d, w)) + ")" : std::string();
    std::string text = std::to_string(wa.scheduled[w]) + " out of " +
                       std::to_string(wa.allocated[w]) + " h scheduled in " + week + date;
    if (wa.allocated[w] > weekSlots(d))
        text += " (" + std::to_string(wa.allocated[w]) + " allocated periods exceed " +
                std::to_string(weekSlots(d)) + " timetable slots)";
    return text;
}

int percentOfPlanned(int value, int planned)
{
    return planned > 0 ? static_cast<int>(static_cast<std::int64_t>(value) * 100 / planned) : 0;
}

} // namespace quivra
