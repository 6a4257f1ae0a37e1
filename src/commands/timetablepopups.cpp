#include "commands/timetablepopups.h"

#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <cstdint>

namespace quivra {
namespace {

std::string quoted(const ScheduleData &d, CodeId c)
{
    return "\"" + formatCode(d, c, ShowCode) + "\"";
}

TimetableOutcome refused(std::string message)
{
    return {false, std::move(message), TimetablesGoTo::Nowhere};
}

std::string lockedText(const ScheduleData &d, CodeId e)
{
    return quoted(d, e) + " is locked: nothing was changed.";
}

// The periods of an event's allocation, each weighted by the length of its week, as PLANNED
// counts them.
std::int64_t weightedAllocation(const ScheduleData &d, const WeekAllocation &wa)
{
    std::int64_t sum = 0;
    for (int w = 1; w < WeekTableSize; ++w)
        sum +=
            static_cast<std::int64_t>(wa.allocated[static_cast<std::size_t>(w)]) * weekLength(d, w);
    return sum;
}

// The most periods one week of an event can hold: the slots of a week in use.
int weekSlotLimit(const ScheduleData &d)
{
    const int slots = std::clamp(usedDays(d), 0, MaxDays) * std::clamp(usedBells(d), 0, MaxBells);
    return std::min({slots, d.coding.slotsPerWeek, 255});
}

// Why event e's periods in the session's week cannot change; empty when they can.
std::string allocationRefusal(const ScheduleData &d, const TimetablesSession &s, CodeId e)
{
    if (!s.isOpen() || !validCode(d, e) || !isEventCode(d, e))
        return "Select an event first";
    if (isLockedCode(d, e))
        return lockedText(d, e);
    if (s.week() < d.currentWeek)
        return "The weeks before the current week are protected.";
    return {};
}

// Stores `next` periods of event e in the session's week and PLANNED as `planned` (kept within
// what the allocation needs and the calendar holds), then builds the week again.
TimetableOutcome storeAllocation(ScheduleData &d, TimetablesSession &s, CodeId e,
                                 WeekAllocation &wa, int next, std::int64_t planned)
{
    const int w = s.week();
    const auto at = static_cast<std::size_t>(w);
    const int placed = wa.scheduled[at];
    const int before = wa.allocated[at];
    const std::int64_t total = weightedAllocation(d, wa) + (next - before) * weekLength(d, w);
    if (next > before && (next > weekSlotLimit(d) || total > d.coding.slotsTotal))
        return refused(fillIn("{} cannot have more periods in this week: it has {} of the {} "
                              "slots a week holds.",
                              quoted(d, e), before, weekSlotLimit(d)));
    wa.allocated[at] = static_cast<std::uint8_t>(next);
    // The store writes nothing when it has no room (and nothing is due for an event left with
    // no allocation and no period).
    if (storeWeekAllocation(d, e, wa) == 0 && (next > 0 || placed > 0 || total > 0))
        return refused("The data file is full: nothing was changed.");
    // PLANNED never below what is allocated: the totals give ALLOCATED first.
    settleTotals(d);
    setCodePlanned(d, e, static_cast<int>(std::clamp<std::int64_t>(planned, 1, 0xFFFF)));
    settleTotals(d);
    s.open(d, w);
    std::string message =
        fillIn("Event {} has now {} ALLOCATED and {} SCHEDULED periods in this week.", quoted(d, e),
               next, placed);
    if (next == 0)
        message += "\r\nEvent was removed from this week.";
    return {true, message, TimetablesGoTo::Nowhere};
}

} // namespace

// ----- the event list ---------------------------------------------------------------------------

TimetableOutcome changeEventPeriods(ScheduleData &d, TimetablesSession &s, PeriodChange change)
{
    const CodeId e = s.event();
    if (std::string why = allocationRefusal(d, s, e); !why.empty())
        return refused(why);
    const int w = s.week();
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const int allocated = wa.allocated[static_cast<std::size_t>(w)];
    const int placed = wa.scheduled[static_cast<std::size_t>(w)];
    const std::int64_t planned = d.codes[e].planned;
    const int length = weekLength(d, w);
    switch (change) {
    case PeriodChange::Add:
        return storeAllocation(d, s, e, wa, allocated + 1, planned + length);
    case PeriodChange::Remove:
        if (placed >= allocated)
            return refused(fillIn("All {} periods of {} in this week are scheduled: unschedule one "
                                  "first.",
                                  allocated, quoted(d, e)));
        return storeAllocation(d, s, e, wa, allocated - 1, planned - length);
    case PeriodChange::ClearUnscheduled:
        if (placed >= allocated)
            return refused(quoted(d, e) + " has no unscheduled periods in this week.");
        return storeAllocation(d, s, e, wa, placed,
                               planned - static_cast<std::int64_t>(allocated - placed) * length);
    }
    return {};
}

std::vector<CodeId> eventsToAdd(const ScheduleData &d, const TimetablesSession &s)
{
    std::vector<CodeId> events;
    if (!s.isOpen())
        return events;
    const int w = s.week();
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    WeekAllocation wa;
    for (int i = 1; i <= count; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (!validCode(d, e) || d.codes[e].links == 0 || isLockedCode(d, e))
            continue;
        if (s.master() != 0 && positionInList(s.master(), collectionOf(d, e)) == 0)
            continue;
        loadWeekAllocation(d, e, wa);
        const auto at = static_cast<std::size_t>(w);
        if (wa.allocated[at] == 0 && wa.booked[at] == 0 && wa.scheduled[at] == 0)
            events.push_back(e);
    }
    return events;
}

TimetableOutcome addEventToWeek(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return refused("Select the week first");
    if (s.week() < d.currentWeek)
        return refused("The weeks before the current week are protected.");
    const std::vector<CodeId> offered = eventsToAdd(d, s);
    if (offered.empty())
        return refused(s.master() != 0 ? "Every event of " + quoted(d, s.master()) +
                                             " is allocated to this week already."
                                       : "No event is left to add to this week.");
    std::vector<std::string> lines;
    for (const CodeId e : offered)
        lines.push_back(formatCode(d, e, ShowCodeAndName));
    const CodeId e = p.chooseAmong(d, "Add a new event to this week", offered, lines);
    if (e == 0)
        return {};
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    // PLANNED grows only when the event has no period left to allocate.
    const std::int64_t needed = weightedAllocation(d, wa) + weekLength(d, s.week());
    TimetableOutcome out =
        storeAllocation(d, s, e, wa, 1, std::max<std::int64_t>(d.codes[e].planned, needed));
    if (out.changed)
        s.setEvent(e);
    return out;
}

TimetableOutcome removeEventFromWeek(ScheduleData &d, TimetablesSession &s)
{
    const CodeId e = s.event();
    if (std::string why = allocationRefusal(d, s, e); !why.empty())
        return refused(why);
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const auto at = static_cast<std::size_t>(s.week());
    if (wa.scheduled[at] > 0)
        return refused(fillIn("{} has {} period(s) scheduled in this week: unschedule them before "
                              "removing the event from the week.",
                              quoted(d, e), static_cast<int>(wa.scheduled[at])));
    if (wa.allocated[at] == 0)
        return refused(quoted(d, e) + " has no periods allocated to this week.");
    // PLANNED stays: the periods return to the event's unallocated ones.
    return storeAllocation(d, s, e, wa, 0, d.codes[e].planned);
}

// ----- the linked timetables --------------------------------------------------------------------

namespace {

// The event and the linked resource the menu acts on, or why there are none.
std::string linkedRefusal(const ScheduleData &d, const TimetablesSession &s)
{
    const CodeId e = s.event(), r = s.linkedTarget;
    if (!s.isOpen() || !validCode(d, e) || !isEventCode(d, e) || !validCode(d, r))
        return "Right-click a linked timetable of the current event first.";
    if (positionInList(r, collectionOf(d, e)) == 0)
        return quoted(d, r) + " is not a resource of event " + quoted(d, e) + ".";
    return {};
}

} // namespace

bool linkedHidden(const ScheduleData &d, const TimetablesSession &s, CodeId r)
{
    const int k = categoryOf(d, r);
    return k >= 1 && k <= 8 && (s.hiddenLinked & (1u << (k - 1))) != 0;
}

TimetableOutcome activateLinked(TimetablesSession &s)
{
    const CodeId r = s.linkedTarget;
    if (!s.isOpen() || s.matrix().rowOf(r) == 0)
        return refused("Right-click a linked timetable first.");
    s.setMaster(r);
    return {};
}

TimetableOutcome hideLinkedCategory(const ScheduleData &d, TimetablesSession &s)
{
    const CodeId r = s.linkedTarget;
    const int k = categoryOf(d, r);
    if (k < 1 || k > 8)
        return refused("Right-click a linked timetable first.");
    s.hiddenLinked = static_cast<std::uint8_t>(s.hiddenLinked | (1u << (k - 1)));
    return {false, "The linked timetables of category \"" + categoryName(d, r) + "\" are hidden.",
            TimetablesGoTo::Nowhere};
}

TimetableOutcome showLinkedCategories(TimetablesSession &s)
{
    s.hiddenLinked = 0;
    return {false, "The linked timetables of all categories are shown.", TimetablesGoTo::Nowhere};
}

std::vector<CodeId> replacementsFor(const ScheduleData &d, const TimetablesSession &s, CodeId r)
{
    std::vector<CodeId> offered;
    const CodeId e = s.event();
    if (!s.isOpen() || !validCode(d, e) || !isEventCode(d, e) || !validCode(d, r))
        return offered;
    const WeekMatrix &m = s.matrix();
    const int category = categoryOf(d, r);
    OccupancyMap eventMap, resourceMap;
    bool first = true;
    for (int row = 1; row <= m.rowCount(); ++row) {
        const CodeId x = m.resourceOfRow(row);
        if (x == r || categoryOf(d, x) != category)
            continue;
        // The event's map is built once, each candidate's for itself.
        if (canJoin(d, e, x, true, 1, first ? 3 : 1, eventMap, resourceMap))
            offered.push_back(x);
        first = false;
    }
    return offered;
}

std::string replaceLinkedCaption(const ScheduleData &d, const TimetablesSession &s, CodeId r)
{
    return fillIn("Replace {} in event {}", quoted(d, r), quoted(d, s.event()));
}

std::string removeLinkedCaption(const ScheduleData &d, const TimetablesSession &s, CodeId r)
{
    return fillIn("Remove {} from event {}", quoted(d, r), quoted(d, s.event()));
}

TimetableOutcome replaceLinked(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (std::string why = linkedRefusal(d, s); !why.empty())
        return refused(why);
    const CodeId e = s.event(), r = s.linkedTarget;
    if (isLockedCode(d, e))
        return refused(lockedText(d, e));
    const std::vector<CodeId> offered = replacementsFor(d, s, r);
    if (offered.empty())
        return refused(fillIn("No other resource of category \"{}\" is free wherever {} is "
                              "scheduled: {} stays.",
                              categoryName(d, r), quoted(d, e), quoted(d, r)));
    std::vector<std::string> lines;
    for (const CodeId x : offered)
        lines.push_back(formatCode(d, x, ShowCodeAndName));
    const CodeId x = p.chooseAmong(d, replaceLinkedCaption(d, s, r), offered, lines);
    if (x == 0)
        return {};
    const BlockOutcome done = s.matrix().replaceResource(d, e, r, x);
    if (!done)
        return refused(done.refusal == Refusal::StoreFull
                           ? "The data file is full: nothing was changed."
                           : quoted(d, x) + " cannot join event " + quoted(d, e) + ".");
    s.linkedTarget = x;
    return {true,
            fillIn("{} replaced by {} in event {}.", quoted(d, r), quoted(d, x), quoted(d, e)),
            TimetablesGoTo::Nowhere};
}

TimetableOutcome removeLinked(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (std::string why = linkedRefusal(d, s); !why.empty())
        return refused(why);
    const CodeId e = s.event(), r = s.linkedTarget;
    if (isLockedCode(d, e))
        return refused(lockedText(d, e));
    // Without a timetabled resource the event has nowhere to be scheduled.
    std::vector<std::uint16_t> scratch;
    const auto rows = s.matrix().rowsOf(d, e, scratch);
    const bool others = std::ranges::any_of(
        rows, [&](std::uint16_t row) { return s.matrix().resourceOfRow(row) != r; });
    if (!others)
        return refused(fillIn("{} is the only resource with a timetable in event {}: without it "
                              "the event cannot be scheduled.",
                              quoted(d, r), quoted(d, e)));
    if (!p.yesNoDlg(removeLinkedCaption(d, s, r) + "?"))
        return {};
    const BlockOutcome done = s.matrix().removeResource(d, e, r);
    if (!done)
        return refused(done.refusal == Refusal::StoreFull
                           ? "The data file is full: nothing was changed."
                           : quoted(d, r) + " is not a resource of event " + quoted(d, e) + ".");
    s.linkedTarget = 0;
    return {true, fillIn("{} removed from event {}.", quoted(d, r), quoted(d, e)),
            TimetablesGoTo::Nowhere};
}

std::string linkedCellHint(const ScheduleData &d, const TimetablesSession &s, CodeId r, int day,
                           int bell)
{
    const CodeId e = s.event();
    std::string hint;
    const WeekMatrix &m = s.matrix();
    const int row = s.isOpen() ? m.rowOf(r) : 0;
    const CellWord word = row ? m.cell(row, day, bell) : 0;
    const bool own = word != 0 && !isBookingCell(word) && cellCode(d, word) == e;
    if (!s.isOpen() || !m.event(e) || own || day < 1 || day > m.usedDays() || bell < 1 ||
        bell > m.usedBells()) {
        hint = fillIn("[Double-click] to activate {}", quoted(d, r));
    } else {
        const FreeCells f = s.scoresOf(d, e);
        if (f.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] > 0)
            hint = fillIn("You can schedule {} in this slot.{}[Double-click] this slot in the "
                          "timetable on the left.",
                          quoted(d, e), "\n");
        else
            hint = fillIn("You cannot schedule {} in this slot.{}[Double-click] to make {} the "
                          "active timetable.",
                          quoted(d, e), "\n", quoted(d, r));
    }
    if (s.isOpen()) {
        if (const CodeId booked = roomOfSlot(d, s.week(), day, bell, r); validCode(d, booked))
            hint += "\n" + fillIn("(room {} manually selected for event {})", quoted(d, r),
                                  quoted(d, booked));
    }
    return hint;
}

} // namespace quivra
