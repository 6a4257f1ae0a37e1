#include "commands/timetablepanels.h"

#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/gaps.h"
#include "engine/lecturestore.h"
#include "engine/textutil.h"
#include "engine/weekstore.h"

#include <algorithm>

namespace quivra {
namespace {

std::string quotedCode(const ScheduleData &d, CodeId c)
{
    return "\"" + formatCode(d, c, ShowCode) + "\"";
}

// What a cell of the matrix shows: an event by `showMode`, a booking by its kind's name.
std::string cellText(const ScheduleData &d, CellWord w, int showMode)
{
    if (w == 0)
        return {};
    if (isBookingCell(w)) {
        const int kind = std::clamp(cellKind(w), 1, 3);
        const int item = (cellLectureWord(w) & LectureEventBit) ? kind : kind + 3;
        std::string name = listItem(d.bookingKinds.view(), item);
        if (name.empty())
            name = listItem(d.bookingKinds.view(), kind);
        return name.empty() ? "Booking " + std::to_string(kind) : name;
    }
    return formatCode(d, cellCode(d, w), showMode);
}

BirdsEyeTable emptyTable(const ScheduleData &d, const WeekMatrix &m)
{
    BirdsEyeTable t;
    t.days = m.usedDays() > 0 ? m.usedDays() : usedDays(d);
    t.bells = m.usedBells() > 0 ? m.usedBells() : usedBells(d);
    for (int day = 1; day <= t.days; ++day) {
        std::string name = listItem(d.dayNames, day);
        if (name.size() > 2)
            name.resize(2);
        if (name.empty())
            name = std::to_string(day);
        for (int bell = 1; bell <= t.bells; ++bell)
            t.headers.push_back(name + " " + std::to_string(bell));
    }
    return t;
}

// Whether the week may take allocation changes: open, not protected.
std::string weekRefusal(const ScheduleData &d, const TimetablesSession &s)
{
    if (!s.isOpen())
        return "No timetables in this week";
    if (s.week() < d.currentWeek)
        return "This week is protected. Select \"Edit|Protect first weeks\" to remove protection.";
    return {};
}

} // namespace

// ----- week choice ------------------------------------------------------------------------------

std::vector<WeekChoiceLine> weekChoiceLines(const ScheduleData &d)
{
    const int weeks = std::min(usedWeeks(d), MaxWeeks);
    std::vector<WeekChoiceLine> lines(static_cast<std::size_t>(std::max(weeks, 0)));
    for (int w = 1; w <= weeks; ++w)
        lines[static_cast<std::size_t>(w - 1)].week = w;
    // Shown with every refresh of the view: one pass over the store, not one per event.
    const LectureIndex index(d);
    WeekAllocation wa;
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeId e = static_cast<CodeId>(c);
        if (!validCode(d, e) || !d.codes[e].isEvent() || d.codes[e].links == 0)
            continue;
        loadWeekAllocation(d, e, wa, index);
        for (WeekChoiceLine &line : lines) {
            line.allocated += wa.allocated[static_cast<std::size_t>(line.week)];
            line.scheduled += wa.scheduled[static_cast<std::size_t>(line.week)];
        }
    }
    for (WeekChoiceLine &line : lines)
        line.text = fillIn("{} ({} out of {} left)", formatWeek(d, line.week, 7), line.left(),
                           line.allocated);
    return lines;
}

std::string weekChoiceQuestion(const ScheduleData &d)
{
    return fillIn("Select the active week (of {} weeks)", std::max(usedWeeks(d), 0));
}

std::string weekChoiceStatus(const WeekChoiceLine &line)
{
    return fillIn("Select the week to schedule - {} out of {} periods scheduled in this week",
                  line.scheduled, line.allocated);
}

int selectWeek(const ScheduleData &d, Prompter &p, int current)
{
    const std::vector<WeekChoiceLine> lines = weekChoiceLines(d);
    if (lines.empty())
        return 0;
    std::string list;
    for (const WeekChoiceLine &line : lines)
        list += line.text + "$";
    const int chosen = p.choice(weekChoiceQuestion(d), 0,
                                std::clamp(current, 1, static_cast<int>(lines.size())), list);
    return chosen >= 1 && chosen <= static_cast<int>(lines.size()) ? chosen : 0;
}

WeekOpening weekOpening(const WeekMatrix &m)
{
    WeekOpening o;
    o.timetables = m.rowCount();
    o.caption = o.timetables > 0 ? fillIn("Timetables: {}", o.timetables)
                                 : std::string("No timetables in this week");
    o.defined = fillIn("{} timetables defined", o.timetables);
    int waiting = 0, periods = 0;
    for (const CodeId e : m.weekEvents())
        if (const MatrixEvent *ev = m.event(e); ev && ev->allowed > ev->placed) {
            ++waiting;
            periods += ev->allowed - ev->placed;
        }
    const int events = static_cast<int>(m.weekEvents().size());
    o.events = events == 0 ? std::string("No events allocated to this week")
                           : fillIn("Select an event to schedule - {} events ({} periods) out of "
                                    "{} events allocated to this week",
                                    waiting, periods, events);
    return o;
}

// ----- bird's eye view
// ------------------------------------------------------------------------------

BirdsEyeTable birdsEyeRows(const ScheduleData &d, const WeekMatrix &m, int showMode)
{
    BirdsEyeTable t = emptyTable(d, m);
    for (int row = 1; row <= m.rowCount(); ++row) {
        BirdsEyeLine line;
        line.code = m.resourceOfRow(row);
        line.week = m.week();
        line.label = formatCode(d, line.code, ShowCode);
        line.cells.reserve(static_cast<std::size_t>(t.days * t.bells));
        for (int day = 1; day <= t.days; ++day)
            for (int bell = 1; bell <= t.bells; ++bell)
                line.cells.push_back(cellText(d, m.cell(row, day, bell), showMode));
        t.lines.push_back(std::move(line));
    }
    return t;
}

BirdsEyeTable weekStripRows(const ScheduleData &d, WeekMatrix &m, CodeId code, int showMode)
{
    BirdsEyeTable t = emptyTable(d, m);
    if (!validCode(d, code))
        return t;
    m.fillWeekStrip(d, code);
    for (int week = 1; week <= m.stripWeeks(); ++week) {
        BirdsEyeLine line;
        line.code = code;
        line.week = week;
        line.label = formatWeek(d, week, 7);
        for (int day = 1; day <= t.days; ++day)
            for (int bell = 1; bell <= t.bells; ++bell)
                line.cells.push_back(cellText(d, m.stripCell(week, day, bell), showMode));
        t.lines.push_back(std::move(line));
    }
    return t;
}

std::string birdsEyeText(const BirdsEyeTable &table)
{
    std::string text;
    for (const std::string &h : table.headers)
        text += "\t" + h;
    text += "\r\n";
    for (const BirdsEyeLine &line : table.lines) {
        text += line.label;
        for (const std::string &cell : line.cells)
            text += "\t" + cell;
        text += "\r\n";
    }
    return text;
}

std::string birdsEyeInfo(const ScheduleData &d, const WeekMatrix &m)
{
    const WeekTotals totals = m.weekTotals(d);
    return fillIn("Week {}: {} timetables, {} events allocated to this week.\r\n"
                  "{} out of {} periods scheduled in this week; {} cell(s) held by two codes.",
                  formatWeek(d, m.week(), 7), m.rowCount(), static_cast<int>(m.weekEvents().size()),
                  totals.placed, totals.allowed, m.conflictWrites());
}

// ----- quality grid -----------------------------------------------------------------------------

std::vector<QualityGridLine> qualityGrid(const ScheduleData &d, const WeekMatrix &m)
{
    std::vector<QualityGridLine> lines;
    if (m.week() < 1)
        return lines;
    const QualityTable table = qualityRows(d, m, 4, d.header.bookingsCountAsOccupied != 0);
    for (const QualityRow &row : table.rows)
        lines.push_back({row.resource, formatCode(d, row.resource, ShowCodeAndName), row.total,
                         fillIn("[G={} D={} S={}]", row.gaps, row.spread, row.idle)});
    return lines;
}

// ----- fit panel --------------------------------------------------------------------------------

std::vector<FitEntry> fitEvents(const ScheduleData &d, const TimetablesSession &s, int day,
                                int bell, FitFilter filter)
{
    if (!s.isOpen())
        return {};
    return s.matrix().fitList(d, day, bell, s.master(), filter);
}

std::string fitLine(const ScheduleData &d, const FitEntry &entry, int showMode)
{
    return fillIn("{}  ALLOC {} SCHED {}", formatCode(d, entry.event, showMode), entry.allocated,
                  entry.scheduled);
}

TimetableOutcome changeFitAllocation(ScheduleData &d, TimetablesSession &s, CodeId e,
                                     FitChange change)
{
    const auto refuse = [](std::string text) {
        return TimetableOutcome{false, std::move(text), TimetablesGoTo::Nowhere};
    };
    if (std::string why = weekRefusal(d, s); !why.empty())
        return refuse(why);
    if (!validCode(d, e) || !isEventCode(d, e))
        return refuse("Select an event first");
    if (isLockedCode(d, e))
        return refuse(quotedCode(d, e) + " is locked: nothing was changed.");
    const int w = s.week();
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const auto at = static_cast<std::size_t>(w);
    if (wa.booked[at])
        return refuse(quotedCode(d, e) + " is booked in this week: nothing was changed.");
    const int allocated = wa.allocated[at];
    const int placed = wa.scheduled[at];
    int next = allocated;
    switch (change) {
    case FitChange::Add: {
        // A week holds at most its cells, and the counters one byte; over all weeks, weighted
        // by their lengths, an event holds at most the slots of the calendar.
        const int cap = std::min({d.coding.slotsPerWeek, 255, usedDays(d) * usedBells(d)});
        long long total = 0;
        for (int k = 1; k <= MaxWeeks; ++k)
            total += static_cast<long long>(wa.allocated[static_cast<std::size_t>(k)]) *
                     std::max(1, weekLength(d, k));
        if (allocated >= cap || total + std::max(1, weekLength(d, w)) > d.coding.slotsTotal)
            return refuse(quotedCode(d, e) + " cannot take more periods in this week.");
        next = allocated + 1;
        break;
    }
    case FitChange::Remove:
        if (placed >= allocated)
            return refuse(quotedCode(d, e) + " has no unscheduled periods in this week.");
        next = allocated - 1;
        break;
    case FitChange::Clear:
        if (placed >= allocated)
            return refuse(quotedCode(d, e) + " has no unscheduled periods in this week.");
        next = placed;
        break;
    }
    wa.allocated[at] = static_cast<std::uint8_t>(next);
    // The store keeps PLANNED at least ALLOCATED, so an added period beyond it raises it.
    if (storeWeekAllocation(d, e, wa) == 0 && (next > 0 || placed > 0))
        return refuse("The data file is full: nothing was changed.");
    settleTotals(d);
    s.open(d, w);
    s.setEvent(e);
    std::string message =
        fillIn("Event {} has now {} ALLOCATED and {} SCHEDULED periods in this week.",
               quotedCode(d, e), next, placed);
    if (next == 0)
        message += "\r\nEvent was removed from this week.";
    return {true, message, TimetablesGoTo::Nowhere};
}

TimetableOutcome addFitEvent(ScheduleData &d, TimetablesSession &s, Prompter &p, int day, int bell)
{
    if (std::string why = weekRefusal(d, s); !why.empty())
        return {false, why, TimetablesGoTo::Nowhere};
    std::vector<CodeId> offered;
    std::vector<std::string> lines;
    WeekAllocation wa;
    for (const FitEntry &entry : fitEvents(d, s, day, bell, FitFilter::NotAllocated)) {
        // Only events that may take a period here: unlocked, not booked in the week.
        if (isLockedCode(d, entry.event))
            continue;
        loadWeekAllocation(d, entry.event, wa);
        if (wa.booked[static_cast<std::size_t>(s.week())])
            continue;
        offered.push_back(entry.event);
        lines.push_back(formatCode(d, entry.event, ShowCodeAndName));
    }
    if (offered.empty())
        return {false, "No other event fits this slot.", TimetablesGoTo::Nowhere};
    const CodeId e = p.chooseAmong(d, "Add a new event to this week", offered, lines);
    if (e == 0)
        return {};
    return changeFitAllocation(d, s, e, FitChange::Add);
}

} // namespace quivra
