#include "commands/timetablecommands.h"

#include "commands/textfill.h"
#include "commands/timetableedits.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "engine/placement.h"
#include "engine/recount.h"
#include "engine/textutil.h"
#include "engine/totals.h"
#include "engine/weekstore.h"
#include "optimise/optimiser.h"

#include <algorithm>
#include <bit>
#include <map>
#include <set>

namespace quivra {
namespace {

std::string quoted(const ScheduleData &d, CodeId c)
{
    return "\"" + formatCode(d, c, ShowCode) + "\"";
}

int daysOf(const ScheduleData &d)
{
    return std::clamp(usedDays(d), 0, MaxDays);
}

int bellsOf(const ScheduleData &d)
{
    return std::clamp(usedBells(d), 0, MaxBells);
}

bool inWeek(const ScheduleData &d, int day, int bell)
{
    return day >= 1 && day <= daysOf(d) && bell >= 1 && bell <= bellsOf(d);
}

std::uint8_t scoreAt(const FreeCells &f, int day, int bell)
{
    return f.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)];
}

// "Mon 3": a slot as the messages name it.
std::string slotName(const ScheduleData &d, int day, int bell)
{
    std::string name = listItem(d.dayNames, day);
    if (name.empty())
        name = "Day " + std::to_string(day);
    return name + " " + std::to_string(bell);
}

// What a cell holds, as its text: the event's code or the booking's name.
std::string cellText(const ScheduleData &d, CellWord w)
{
    if (w == 0)
        return {};
    if (isBookingCell(w)) {
        const int kind = std::clamp(cellKind(w), 1, 3);
        const int item = (cellLectureWord(w) & LectureEventBit) ? kind : kind + 3;
        std::string name = listItem(d.bookingKinds.view(), item);
        return name.empty() ? "Booking " + std::to_string(kind) : name;
    }
    return formatCode(d, cellCode(d, w), ShowCode);
}

bool isEventCell(CellWord w)
{
    return w != 0 && !isBookingCell(w);
}

std::string refusalText(const ScheduleData &d, CodeId e, Refusal why)
{
    const std::string code = quoted(d, e);
    switch (why) {
    case Refusal::None:
    case Refusal::NothingToDo:
        return {};
    case Refusal::NotInWeek:
        return code + " has no periods allocated to this week.";
    case Refusal::OutOfRange:
        return "The block does not fit the days and bells in use.";
    case Refusal::TooFewAllocated:
        return code + " has no unscheduled periods left in this week.";
    case Refusal::NotPlaced:
        return code + " is not scheduled in these cells.";
    case Refusal::Overlaps:
        return code + " is already scheduled in one of these cells.";
    case Refusal::StoreFull:
        return "The data file is full: nothing was changed.";
    case Refusal::Blocked:
        return "You cannot schedule " + code + " in this slot.";
    case Refusal::Locked:
        return code + " is locked: nothing was changed.";
    case Refusal::NotMember:
        return "The resource is not in the event's collection.";
    }
    return {};
}

// The block commands' questions through the prompter; refusals go to the status line.
class AskingDialogue final : public MatrixDialogue
{
public:
    AskingDialogue(const ScheduleData &d, Prompter &p) : m_d(d), m_p(p) {}

    bool askUnlock(CodeId event) override
    {
        return m_p.yesNoDlg("You cannot change the event\n\n\"" +
                            formatCode(m_d, event, ShowCodeAndName) +
                            "\"\n\nbefore it is unlocked.\n\n"
                            "Select [Yes] to unlock it now, [No] to leave it locked.");
    }
    void refused(CodeId event, Refusal why) override
    {
        message = refusalText(m_d, event, why);
        last = why;
    }

    std::string message;
    Refusal last = Refusal::None;

private:
    const ScheduleData &m_d;
    Prompter &m_p;
};

bool guard(ScheduleData &d, AskingDialogue &ui, CodeId e)
{
    if (lockGuard(d, e, [&](CodeId event) { return ui.askUnlock(event); }))
        return true;
    ui.refused(e, Refusal::Locked);
    return false;
}

bool usesRow(const MatrixEvent *ev, int row)
{
    return ev && row > 0 && std::find(ev->rows.begin(), ev->rows.end(), row) != ev->rows.end();
}

bool anyFree(const ScheduleData &d, const FreeCells &f)
{
    for (int day = 1; day <= daysOf(d); ++day)
        for (int bell = 1; bell <= bellsOf(d); ++bell)
            if (scoreAt(f, day, bell) > 0)
                return true;
    return false;
}

// True when every cell of the block is free in all of the event's rows; `why` gets the rows'
// resources that hold a cell, "CODE (cell)" joined by ", ".
bool blockFreeFor(const ScheduleData &d, const WeekMatrix &m, CodeId e, int day, int bell,
                  int length, std::string *why = nullptr)
{
    if (!inWeek(d, day, bell) || !inWeek(d, day, bell + length - 1))
        return false;
    std::vector<std::uint16_t> scratch;
    bool free = true;
    std::set<CodeId> named;
    for (const std::uint16_t row : m.rowsOf(d, e, scratch))
        for (int b = bell; b < bell + length; ++b) {
            const CellWord w = m.cell(row, day, b);
            if (w == 0)
                continue;
            free = false;
            const CodeId r = m.resourceOfRow(row);
            if (why && named.insert(r).second) {
                if (!why->empty())
                    *why += ", ";
                *why += formatCode(d, r, ShowCode) + " (" + cellText(d, w) + ")";
            }
        }
    return free;
}

std::string stepName(StepType type)
{
    switch (type) {
    case StepType::Schedule:
        return "Scheduled";
    case StepType::Unschedule:
        return "Unscheduled";
    case StepType::Move:
        return "Moved";
    case StepType::ToggleBookings:
        return "Bookings changed";
    case StepType::Swap:
        return "Swapped";
    case StepType::ReplaceResource:
        return "Resource replaced";
    }
    return {};
}

TimetableOutcome notOpen()
{
    return {false, "No timetables in this week", TimetablesGoTo::Nowhere};
}

} // namespace

// ----- the session ------------------------------------------------------------------------------

TimetablesSession::TimetablesSession()
{
    weights.fill(1);
    weights[0] = 0;
}

int TimetablesSession::open(ScheduleData &d, int week)
{
    // The build clears the link marks; they carry other commands' selections, so they stay.
    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;
    const int rows = m_matrix.build(d, week);
    for (int c = 1; c <= d.codeCount; ++c)
        d.codes[c].flags |= marks[static_cast<std::size_t>(c)];
    m_open = true;
    suggestion.clear();
    if (rows > 0 && m_matrix.rowOf(m_master) == 0)
        m_master = m_matrix.resourceOfRow(1);
    if (rows == 0)
        m_master = 0;
    if (m_event != 0 && !m_matrix.event(m_event))
        m_event = 0;
    return rows;
}

bool TimetablesSession::ensure(ScheduleData &d, int week)
{
    if (m_open && m_matrix.week() == week)
        return false;
    open(d, week);
    return true;
}

void TimetablesSession::clickCell(const ScheduleData &d, int day, int bell)
{
    if (!inWeek(d, day, bell))
        return;
    m_current = {day, bell};
    const CellWord w = m_matrix.cell(masterRow(), day, bell);
    if (isEventCell(w))
        m_event = cellCode(d, w);
}

FreeCells TimetablesSession::scoresOf(const ScheduleData &d, CodeId e) const
{
    FreeCells f{};
    if (m_open && e != 0 && m_matrix.event(e))
        freeCellScores(d, m_matrix, e, weights, f);
    return f;
}

void settleTotals(ScheduleData &d)
{
    const bool modified = d.modified;
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    d.modified = modified;
}

// ----- what the view shows ---------------------------------------------------------------------

std::vector<TimetableEventLine> timetableEvents(const ScheduleData &d, const TimetablesSession &s)
{
    (void)d;
    std::vector<TimetableEventLine> lines;
    const int row = s.masterRow();
    if (row == 0)
        return lines;
    for (const CodeId e : s.matrix().weekEvents()) {
        const MatrixEvent *ev = s.matrix().event(e);
        if (usesRow(ev, row))
            lines.push_back({e, ev->allowed, ev->placed});
    }
    return lines;
}

MasterBlock blockAt(const ScheduleData &d, const TimetablesSession &s, int day, int bell)
{
    const int row = s.masterRow();
    const CellWord w = s.matrix().cell(row, day, bell);
    if (row == 0 || !inWeek(d, day, bell) || !isEventCell(w))
        return {};
    int first = bell, last = bell;
    while (first > 1 && s.matrix().cell(row, day, first - 1) == w)
        --first;
    while (last < bellsOf(d) && s.matrix().cell(row, day, last + 1) == w)
        ++last;
    return {cellCode(d, w), day, first, last - first + 1};
}

DoubleClick classifyDoubleClick(const ScheduleData &d, const TimetablesSession &s, int day,
                                int bell)
{
    if (d.eventList[0] == 0)
        return DoubleClick::NoEvents;
    const int row = s.masterRow();
    if (!s.isOpen() || row == 0 || !inWeek(d, day, bell))
        return DoubleClick::Nothing;
    if (s.matrix().weekEvents().empty() && usedWeeks(d) > 1)
        return DoubleClick::NoAllocation;
    const CellWord w = s.matrix().cell(row, day, bell);
    if (isBookingCell(w))
        return DoubleClick::CancelBooking;
    if (w != 0)
        return DoubleClick::RemoveEvent;
    const CodeId e = s.event();
    if (!usesRow(s.matrix().event(e), row))
        return DoubleClick::SetBooking;
    const FreeCells f = s.scoresOf(d, e);
    // An event that fits nowhere in the week leaves the double-click to the bookings.
    if (!anyFree(d, f)) {
        bool masterHasEvents = false;
        for (int k = 1; k <= daysOf(d) && !masterHasEvents; ++k)
            masterHasEvents = s.matrix().eventMask(row, k) != 0;
        if (masterHasEvents)
            return DoubleClick::SetBooking;
    }
    return scoreAt(f, day, bell) > 0 ? DoubleClick::Schedule : DoubleClick::BlockingAnalysis;
}

std::string doubleClickPreview(const ScheduleData &d, const TimetablesSession &s, int day, int bell)
{
    const CellWord w = s.matrix().cell(s.masterRow(), day, bell);
    switch (classifyDoubleClick(d, s, day, bell)) {
    case DoubleClick::Schedule:
        return "Schedule event " + quoted(d, s.event());
    case DoubleClick::BlockingAnalysis:
        return "Clear cells for " + quoted(d, s.event());
    case DoubleClick::SetBooking:
        return "Set booking " + quoted(d, s.master());
    case DoubleClick::RemoveEvent:
        return "Remove event " + quoted(d, cellCode(d, w));
    case DoubleClick::CancelBooking:
        return "Cancel booking " + quoted(d, s.master());
    case DoubleClick::NoEvents:
    case DoubleClick::NoAllocation:
    case DoubleClick::Nothing:
        return {};
    }
    return {};
}

std::string cellConflicts(const ScheduleData &d, const TimetablesSession &s, int day, int bell)
{
    const CodeId e = s.event();
    if (!s.isOpen() || !s.matrix().event(e) || !inWeek(d, day, bell))
        return {};
    std::string why;
    if (blockFreeFor(d, s.matrix(), e, day, bell, 1, &why))
        return {};
    return "Conflicts: " + why;
}

// ----- commands ---------------------------------------------------------------------------------

TimetableOutcome doubleClick(ScheduleData &d, TimetablesSession &s, Prompter &p, int day, int bell)
{
    switch (classifyDoubleClick(d, s, day, bell)) {
    case DoubleClick::NoEvents:
        p.infoDlg("You have not created any valid events yet. Click the [Ok] button to go to "
                  "Events view.");
        return {false, {}, TimetablesGoTo::EventsView};
    case DoubleClick::NoAllocation:
        p.infoDlg("You have not allocated any periods to this week yet. Click the [Ok] button to "
                  "go to Weeks view.");
        return {false, {}, TimetablesGoTo::WeeksView};
    case DoubleClick::BlockingAnalysis:
        return blockingAnalysis(d, s, p, day, bell);
    case DoubleClick::Schedule: {
        const int last = std::min(bell + s.blockLength() - 1, bellsOf(d));
        return scheduleCells(d, s, p, {day, bell, day, last});
    }
    case DoubleClick::SetBooking:
    case DoubleClick::CancelBooking:
        s.clickCell(d, day, bell);
        return toggleBookingCells(d, s, CellArea::cell(day, bell));
    case DoubleClick::RemoveEvent:
        return unscheduleCells(d, s, p, CellArea::cell(day, bell), true);
    case DoubleClick::Nothing:
        return {};
    }
    return {};
}

TimetableOutcome scheduleCells(ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area)
{
    if (!s.isOpen())
        return notOpen();
    WeekMatrix &m = s.matrix();
    const CodeId e = s.event();
    const MatrixEvent *ev = m.event(e);
    if (!ev)
        return {false, "Select an event to schedule", TimetablesGoTo::Nowhere};
    AskingDialogue ui(d, p);
    if (!guard(d, ui, e))
        return {false, ui.message, TimetablesGoTo::Nowhere};

    FreeCells scores = s.scoresOf(d, e);
    // With block scheduling applied, an insert on a slot of a block that is free for the event
    // fills the whole block, and only it.
    char symbol = NoBlock;
    if (s.applyBlocks && s.blockPatterns) {
        const char at = blockSymbol(d, *s.blockPatterns, s.week(), area.day1, area.bell1);
        if (at != NoBlock && blockIsFree(d, *s.blockPatterns, s.week(), at, scores)) {
            symbol = at;
            area = {1, 1, daysOf(d), bellsOf(d)};
            restrictToBlock(d, *s.blockPatterns, s.week(), symbol, scores);
        }
    }
    const int day1 = std::max(std::min(area.day1, area.day2), 1);
    const int day2 = std::min(std::max(area.day1, area.day2), daysOf(d));
    const int bell1 = std::max(std::min(area.bell1, area.bell2), 1);
    const int bell2 = std::min(std::max(area.bell1, area.bell2), bellsOf(d));
    const int row = s.masterRow();
    int placed = 0;
    for (int day = day1; day <= day2; ++day) {
        int bell = bell1;
        while (bell <= bell2) {
            ev = m.event(e);
            if (ev->placed >= ev->allowed)
                break;
            if (scoreAt(scores, day, bell) == 0 || m.cell(row, day, bell) != 0) {
                ++bell;
                continue;
            }
            int length = 1;
            while (bell + length <= bell2 && scoreAt(scores, day, bell + length) > 0 &&
                   m.cell(row, day, bell + length) == 0 && ev->placed + length + 1 <= ev->allowed)
                ++length;
            // A manual room bound to one of the block's slots is overwritten only when the
            // user agrees; otherwise the block is left out.
            const std::optional<std::vector<int>> rooms =
                askRoomOverwrite(d, p, e, s.week(), day, bell, length);
            if (!rooms) {
                bell += length;
                continue;
            }
            if (scheduleCommand(d, m, e, day, bell, length, ui)) {
                clearTripleRooms(d, *rooms);
                placed += length;
                scores = s.scoresOf(d, e);
                if (symbol != NoBlock)
                    restrictToBlock(d, *s.blockPatterns, s.week(), symbol, scores);
            }
            bell += length;
        }
    }
    s.clickCell(d, day1, bell1);
    s.suggestion.clear();
    if (placed == 0)
        return {false, ui.message.empty() ? refusalText(d, e, Refusal::Blocked) : ui.message,
                TimetablesGoTo::Nowhere};
    ev = m.event(e);
    std::string message = fillIn("{} period(s) of {} scheduled.", placed, quoted(d, e));
    if (ev->placed >= ev->allowed)
        message = quoted(d, e) + " is complete - press the [F3] key to find the next event.";
    return {true, message, TimetablesGoTo::Nowhere};
}

TimetableOutcome unscheduleCells(ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area,
                                 bool onePeriod)
{
    if (!s.isOpen())
        return notOpen();
    WeekMatrix &m = s.matrix();
    const int row = s.masterRow();
    const bool single = area.day1 == area.day2 && area.bell1 == area.bell2;
    if (single && m.cell(row, area.day1, area.bell1) == 0) {
        const CodeId e = s.event();
        if (m.event(e) && !blockFreeFor(d, m, e, area.day1, area.bell1, 1))
            return blockingAnalysis(d, s, p, area.day1, area.bell1);
        return {};
    }
    AskingDialogue ui(d, p);
    std::set<CodeId> refused;
    int removed = 0;
    const int day1 = std::max(std::min(area.day1, area.day2), 1);
    const int day2 = std::min(std::max(area.day1, area.day2), daysOf(d));
    const int bell2 = std::min(std::max(area.bell1, area.bell2), bellsOf(d));
    for (int day = day1; day <= day2; ++day) {
        int bell = std::max(std::min(area.bell1, area.bell2), 1);
        while (bell <= bell2) {
            const CellWord w = m.cell(row, day, bell);
            if (!isEventCell(w)) {
                ++bell;
                continue;
            }
            const CodeId e = cellCode(d, w);
            int start = bell, length = 1;
            if (onePeriod) {
                length = 1;
            } else if (single) {
                // The Unschedule key on one cell takes the whole block through it.
                const MasterBlock block = blockAt(d, s, day, bell);
                start = block.bell;
                length = block.length;
            } else {
                while (bell + length <= bell2 && m.cell(row, day, bell + length) == w)
                    ++length;
            }
            if (!refused.contains(e)) {
                if (unscheduleCommand(d, m, e, day, start, length, ui))
                    removed += length;
                else if (ui.last == Refusal::Locked)
                    refused.insert(e);
            }
            bell = start + length;
        }
    }
    s.clickCell(d, day1, std::max(std::min(area.bell1, area.bell2), 1));
    if (removed == 0)
        return {false, ui.message, TimetablesGoTo::Nowhere};
    return {true, fillIn("{} period(s) unscheduled.", removed), TimetablesGoTo::Nowhere};
}

TimetableOutcome eraseEventSchedule(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return notOpen();
    WeekMatrix &m = s.matrix();
    const CodeId e = s.event();
    const MatrixEvent *ev = m.event(e);
    if (!ev || ev->placed == 0)
        return {};
    AskingDialogue ui(d, p);
    if (!guard(d, ui, e))
        return {false, ui.message, TimetablesGoTo::Nowhere};
    const DayMasks cells = ev->cells;
    int removed = 0;
    for (int day = 1; day <= daysOf(d); ++day) {
        std::uint32_t rest = cells[static_cast<std::size_t>(day)] & bellSpan(1, bellsOf(d));
        while (rest != 0) {
            const int bell = std::countr_zero(rest) + 1;
            int length = 0;
            while (rest & (1u << (bell - 1 + length)))
                ++length;
            if (m.unschedule(d, e, day, bell, length))
                removed += length;
            rest &= ~bellSpan(bell, bell + length - 1);
        }
    }
    return {removed > 0, fillIn("{} period(s) of {} unscheduled.", removed, quoted(d, e)),
            TimetablesGoTo::Nowhere};
}

TimetableOutcome toggleBookingCells(ScheduleData &d, TimetablesSession &s, CellArea area)
{
    if (!s.isOpen() || s.masterRow() == 0)
        return notOpen();
    const BlockOutcome r = s.matrix().toggle(d, s.masterRow(), s.bookingKind(), area.day1,
                                             area.bell1, area.day2, area.bell2);
    if (!r)
        return {false, refusalText(d, s.master(), r.refusal), TimetablesGoTo::Nowhere};
    return {true, "Bookings changed.", TimetablesGoTo::Nowhere};
}

// ----- the blocking analysis -------------------------------------------------------------------

std::vector<BlockingEntry> blockingEntries(const ScheduleData &d, const TimetablesSession &s,
                                           int day, int bell)
{
    std::vector<BlockingEntry> entries;
    const CodeId e = s.event();
    if (!s.isOpen() || !s.matrix().event(e) || !inWeek(d, day, bell))
        return entries;
    std::vector<std::uint16_t> scratch;
    for (const std::uint16_t row : s.matrix().rowsOf(d, e, scratch)) {
        const CellWord w = s.matrix().cell(row, day, bell);
        if (w == 0)
            continue;
        BlockingEntry entry;
        entry.row = row;
        entry.resource = s.matrix().resourceOfRow(row);
        entry.word = w;
        entry.locked = isEventCell(w) && isLockedCode(d, cellCode(d, w));
        entry.line = fillIn("{}. {} ({})", static_cast<int>(entries.size()) + 1,
                            formatCode(d, entry.resource, ShowCodeAndName), cellText(d, w)) +
                     (entry.locked ? " - Locked!" : "");
        entries.push_back(std::move(entry));
    }
    return entries;
}

namespace {

// Offers the resources of the blocking one's category that are free in the cell and could join
// the event in its place; the chosen one replaces it.
bool offerReplacement(ScheduleData &d, TimetablesSession &s, Prompter &p,
                      const BlockingEntry &blocker, int day, int bell)
{
    WeekMatrix &m = s.matrix();
    const CodeId e = s.event();
    const int category = m.categoryOfRow(blocker.row);
    std::vector<CodeId> offered;
    std::vector<std::string> lines;
    for (int row = 1; row <= m.rowCount(); ++row) {
        const CodeId r = m.resourceOfRow(row);
        if (row == blocker.row || m.categoryOfRow(row) != category || m.cell(row, day, bell) != 0)
            continue;
        if (!canJoin(d, e, r))
            continue;
        offered.push_back(r);
        lines.push_back(formatCode(d, r, ShowCodeAndName));
    }
    if (offered.empty())
        return false;
    const std::string title =
        fillIn("Is it possible to replace resource{}\"{}\" of this event{}to enable assigning of "
               "\"{}\"{}into {} ?",
               "\n", formatCode(d, blocker.resource, ShowCode), "\n", formatCode(d, e, ShowCode),
               "\n", slotName(d, day, bell));
    const int chosen = p.selectLine("Replaceable resources of " + quoted(d, e), title, lines, 1);
    if (chosen == 0)
        return false;
    return static_cast<bool>(
        m.replaceResource(d, e, blocker.resource, offered[static_cast<std::size_t>(chosen - 1)]));
}

} // namespace

TimetableOutcome blockingAnalysis(ScheduleData &d, TimetablesSession &s, Prompter &p, int day,
                                  int bell)
{
    const std::vector<BlockingEntry> entries = blockingEntries(d, s, day, bell);
    const CodeId e = s.event();
    if (entries.empty())
        return {false, {}, TimetablesGoTo::Nowhere};
    s.clickCell(d, day, bell);
    OptionsRequest request;
    request.caption = "Events and/or bookings which prevent scheduling of " + quoted(d, e);
    request.question = fillIn(
        "Scheduling of {}{}in \"{}\" is disabled by the timetables below.{}Clicking \"Clear\" "
        "clears the cell in these timetables enabling to schedule {}.{}(Cells containing locked "
        "events and bookings are also cleared.)",
        quoted(d, e), "\n", slotName(d, day, bell), "\n\n", quoted(d, e), "\n");
    request.columns = 0;
    request.okLabel = "Clear";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        request.options.push_back({static_cast<int>(i + 1), entries[i].line});
        request.checked.push_back(static_cast<int>(i + 1));
    }
    const std::optional<std::vector<int>> chosen = p.checkList(request);
    if (!chosen) {
        if (entries.size() == 1 && offerReplacement(d, s, p, entries.front(), day, bell))
            return {true, "Resource replaced.", TimetablesGoTo::Nowhere};
        return {};
    }
    WeekMatrix &m = s.matrix();
    int cleared = 0;
    for (const int k : *chosen) {
        const BlockingEntry &entry = entries[static_cast<std::size_t>(k - 1)];
        // Clear what the row shows until the cell is free: what a conflict hid comes out.
        for (int guardSteps = 0; guardSteps < 64; ++guardSteps) {
            const CellWord w = m.cell(entry.row, day, bell);
            if (w == 0)
                break;
            BlockOutcome r;
            if (isBookingCell(w))
                r = m.toggle(d, entry.row, std::max(cellKind(w), 1), day, bell, day, bell);
            else
                r = m.unschedule(d, cellCode(d, w), day, bell, 1); // locked ones too
            if (!r)
                break;
            ++cleared;
        }
    }
    if (cleared == 0)
        return {};
    return {true, fillIn("{} cell(s) cleared for {}.", cleared, quoted(d, e)),
            TimetablesGoTo::Nowhere};
}

// ----- moving and swapping
// ------------------------------------------------------------------------

TimetableOutcome moveCurrentBlock(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                  SlotSearchMode mode)
{
    if (!s.isOpen())
        return notOpen();
    const MasterBlock block = blockAt(d, s, s.current().day, s.current().bell);
    if (!block)
        return {false, "Select a block to move", TimetablesGoTo::Nowhere};
    AskingDialogue ui(d, p);
    if (!guard(d, ui, block.event))
        return {false, ui.message, TimetablesGoTo::Nowhere};
    int day = block.day, bell = block.bell;
    const SlotSearchResult r =
        slotSearch(d, s.matrix(), block.event, day, bell, mode, block.length, s.weights);
    if (!r.moved)
        return {false, "No other free slot found for " + quoted(d, block.event) + ".",
                TimetablesGoTo::Nowhere};
    s.clickCell(d, day, bell);
    return {true, quoted(d, block.event) + " moved to " + slotName(d, day, bell) + ".",
            TimetablesGoTo::Nowhere};
}

DragProbe dragOver(const ScheduleData &d, TimetablesSession &s, MasterBlock block, int day,
                   int bell)
{
    DragProbe probe;
    WeekMatrix &m = s.matrix();
    if (!block || !s.isOpen() || !m.event(block.event))
        return probe;
    if (day == block.day && bell == block.bell) {
        probe.feasible = true;
        return probe;
    }
    m.probeErase(block.event, block.day, block.bell, block.length);
    probe.feasible = blockFreeFor(d, m, block.event, day, bell, block.length, &probe.conflicts);
    m.probeEnter(block.event, block.day, block.bell, block.length);
    if (!probe.feasible && probe.conflicts.empty())
        probe.conflicts = "The block does not fit here";
    else if (!probe.feasible)
        probe.conflicts = "Conflicts: " + probe.conflicts;
    return probe;
}

TimetableOutcome dropBlock(ScheduleData &d, TimetablesSession &s, Prompter &p, MasterBlock block,
                           int day, int bell)
{
    if (!block || !s.isOpen())
        return {};
    if (day == block.day && bell == block.bell)
        return {};
    AskingDialogue ui(d, p);
    if (!moveCommand(d, s.matrix(), block.event, block.day, block.bell, block.length, day, bell,
                     ui))
        return {false, ui.message, TimetablesGoTo::Nowhere};
    s.clickCell(d, day, bell);
    return {true, quoted(d, block.event) + " moved to " + slotName(d, day, bell) + ".",
            TimetablesGoTo::Nowhere};
}

std::vector<MasterBlock> swapPartners(const ScheduleData &d, TimetablesSession &s,
                                      MasterBlock block)
{
    std::vector<MasterBlock> partners;
    WeekMatrix &m = s.matrix();
    const int row = s.masterRow();
    if (!block || row == 0 || !m.event(block.event))
        return partners;
    for (int day = 1; day <= daysOf(d); ++day) {
        int bell = 1;
        while (bell <= bellsOf(d)) {
            const MasterBlock other = blockAt(d, s, day, bell);
            if (!other) {
                ++bell;
                continue;
            }
            bell = other.bell + other.length;
            if (other.event == block.event || other.length != block.length || !m.event(other.event))
                continue;
            m.probeErase(block.event, block.day, block.bell, block.length);
            m.probeErase(other.event, other.day, other.bell, other.length);
            const bool fits =
                blockFreeFor(d, m, block.event, other.day, other.bell, block.length) &&
                blockFreeFor(d, m, other.event, block.day, block.bell, block.length);
            m.probeEnter(other.event, other.day, other.bell, other.length);
            m.probeEnter(block.event, block.day, block.bell, block.length);
            if (fits)
                partners.push_back(other);
        }
    }
    return partners;
}

std::vector<ScoredSwap> scoredSwapPartners(const ScheduleData &d, TimetablesSession &s,
                                           MasterBlock block)
{
    std::vector<ScoredSwap> scored;
    WeekMatrix &m = s.matrix();
    const int base = gapCount(m, s.weights, false).total;
    for (const MasterBlock &p : swapPartners(d, s, block)) {
        m.probeErase(block.event, block.day, block.bell, block.length);
        m.probeErase(p.event, p.day, p.bell, p.length);
        m.probeEnter(block.event, p.day, p.bell, block.length);
        m.probeEnter(p.event, block.day, block.bell, p.length);
        const int after = gapCount(m, s.weights, false).total;
        m.probeErase(p.event, block.day, block.bell, p.length);
        m.probeErase(block.event, p.day, p.bell, block.length);
        m.probeEnter(p.event, p.day, p.bell, p.length);
        m.probeEnter(block.event, block.day, block.bell, block.length);
        scored.push_back({p, std::clamp(100 + base - after, 1, 255)});
    }
    return scored;
}

TimetableOutcome swapCurrentBlock(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return notOpen();
    const MasterBlock block = blockAt(d, s, s.current().day, s.current().bell);
    if (!block)
        return {false, "Select a block to swap", TimetablesGoTo::Nowhere};
    std::vector<ScoredSwap> partners = scoredSwapPartners(d, s, block);
    if (partners.empty())
        return {false,
                "No block of the same length can be swapped with " + quoted(d, block.event) + ".",
                TimetablesGoTo::Nowhere};
    std::stable_sort(partners.begin(), partners.end(),
                     [](const ScoredSwap &a, const ScoredSwap &b) { return a.score > b.score; });
    std::vector<std::string> lines;
    for (const ScoredSwap &other : partners) {
        const int saved = other.score - 100;
        lines.push_back(formatCode(d, other.partner.event, ShowCodeAndName) + " at " +
                        slotName(d, other.partner.day, other.partner.bell) + " [" +
                        (saved >= 0 ? "+" : "") + std::to_string(saved) + "]");
    }
    const std::string title =
        fillIn("You can swap block{}{} at \"{}\"{}with the blocks below:{}[-x/+x : "
               "increase/decrease gaps]",
               "\n", quoted(d, block.event), slotName(d, block.day, block.bell), "\n", "\n");
    const int chosen = p.selectLine("Swap event block", title, lines, 1);
    if (chosen == 0)
        return {};
    const MasterBlock &other = partners[static_cast<std::size_t>(chosen - 1)].partner;
    AskingDialogue ui(d, p);
    if (!swapCommand(d, s.matrix(), block.event, block.day, block.bell, other.event, other.day,
                     other.bell, block.length, ui))
        return {false, ui.message, TimetablesGoTo::Nowhere};
    s.clickCell(d, other.day, other.bell);
    return {true, quoted(d, block.event) + " swapped with " + quoted(d, other.event) + ".",
            TimetablesGoTo::Nowhere};
}

std::vector<SlotPos> suggestCells(const ScheduleData &d, TimetablesSession &s)
{
    s.suggestion.clear();
    const CodeId e = s.event();
    const MatrixEvent *ev = s.isOpen() ? s.matrix().event(e) : nullptr;
    const int days = daysOf(d), bells = bellsOf(d);
    if (!ev || days == 0)
        return {};
    const FreeCells f = s.scoresOf(d, e);
    const int wanted = ev->allowed - ev->placed;
    for (int n = 0; n < wanted; ++n) {
        SlotPos best{};
        int bestValue = -1;
        // Days from the one after the event's own, round the week: each day once.
        for (int k = 1; k <= days; ++k) {
            const int day = static_cast<int>((e + k) % days) + 1;
            for (int bell = 1; bell <= bells; ++bell) {
                if (scoreAt(f, day, bell) == 0 ||
                    std::find(s.suggestion.begin(), s.suggestion.end(), SlotPos{day, bell}) !=
                        s.suggestion.end())
                    continue;
                const int value = scoreAt(f, day, bell) + bells - bell;
                if (value > bestValue) {
                    bestValue = value;
                    best = {day, bell};
                }
            }
        }
        if (bestValue < 0)
            break;
        s.suggestion.push_back(best);
    }
    return s.suggestion;
}

// ----- undo and history -------------------------------------------------------------------------

namespace {

// The cell a step acts on, for the current cell to follow.
SlotPos stepCell(const MoveStep &step)
{
    return {step.day, step.bell};
}

std::string stepLine(const ScheduleData &d, const MoveStep &step)
{
    std::string line = stepName(step.type);
    switch (step.type) {
    case StepType::Schedule:
    case StepType::Unschedule:
        line += " " + formatCode(d, step.code, ShowCode) + " at " +
                slotName(d, step.day, step.bell) + fillIn(" ({} period(s))", int{step.length});
        break;
    case StepType::Move:
        // A done move holds its new place first.
        line += " " + formatCode(d, step.code, ShowCode) + " from " +
                slotName(d, step.day2, step.bell2) + " to " + slotName(d, step.day, step.bell);
        break;
    case StepType::Swap:
        line += " " + formatCode(d, step.code, ShowCode) + " and " +
                formatCode(d, step.code2, ShowCode);
        break;
    case StepType::ToggleBookings:
        line += fillIn(" ({} cell(s))", static_cast<int>(step.cells.size()));
        break;
    case StepType::ReplaceResource:
        // A resource removed from the event was replaced by none.
        line += " " + formatCode(d, step.code3, ShowCode) + " by " +
                (step.code2 != 0 ? formatCode(d, step.code2, ShowCode) : std::string("none")) +
                " in " + formatCode(d, step.code, ShowCode);
        break;
    }
    return line;
}

} // namespace

TimetableOutcome undoLast(ScheduleData &d, TimetablesSession &s)
{
    WeekMatrix &m = s.matrix();
    if (!s.isOpen() || !m.log().canUndo())
        return {false, "Nothing to undo", TimetablesGoTo::Nowhere};
    const SlotPos at = stepCell(m.log().step(m.log().position()));
    if (!m.undo(d))
        return {false, "The last action could not be undone.", TimetablesGoTo::Nowhere};
    s.clickCell(d, at.day, at.bell);
    return {true, "Undone.", TimetablesGoTo::Nowhere};
}

TimetableOutcome redoLast(ScheduleData &d, TimetablesSession &s)
{
    WeekMatrix &m = s.matrix();
    if (!s.isOpen() || !m.log().canRedo())
        return {false, "Nothing to redo", TimetablesGoTo::Nowhere};
    const SlotPos at = stepCell(m.log().step(m.log().position() + 1));
    if (!m.redo(d))
        return {false, "The action could not be redone.", TimetablesGoTo::Nowhere};
    s.clickCell(d, at.day, at.bell);
    return {true, "Redone.", TimetablesGoTo::Nowhere};
}

TimetableOutcome undoAll(ScheduleData &d, TimetablesSession &s)
{
    int n = 0;
    while (s.isOpen() && s.matrix().log().canUndo() && undoLast(d, s).changed)
        ++n;
    return {n > 0, fillIn("{} action(s) undone.", n), TimetablesGoTo::Nowhere};
}

TimetableOutcome redoAll(ScheduleData &d, TimetablesSession &s)
{
    int n = 0;
    while (s.isOpen() && s.matrix().log().canRedo() && redoLast(d, s).changed)
        ++n;
    return {n > 0, fillIn("{} action(s) redone.", n), TimetablesGoTo::Nowhere};
}

TimetableOutcome setBookmark(TimetablesSession &s)
{
    if (!s.isOpen())
        return notOpen();
    s.matrix().setBookmark();
    return {false, "Bookmark set.", TimetablesGoTo::Nowhere};
}

TimetableOutcome goToBookmark(ScheduleData &d, TimetablesSession &s)
{
    if (!s.isOpen() || s.matrix().log().bookmark() < 0)
        return {false, "No bookmark set", TimetablesGoTo::Nowhere};
    const int before = s.matrix().log().position();
    const bool ok = s.matrix().goToBookmark(d);
    const bool changed = s.matrix().log().position() != before;
    return {changed, ok ? "Back at the bookmark." : "The bookmark could not be reached.",
            TimetablesGoTo::Nowhere};
}

std::vector<std::string> historyLines(const ScheduleData &d, const TimetablesSession &s)
{
    std::vector<std::string> lines;
    if (!s.isOpen())
        return lines;
    const MoveLog &log = s.matrix().log();
    for (int k = log.position(); k >= 1; --k)
        lines.push_back(stepLine(d, log.step(k)));
    return lines;
}

TimetableOutcome showHistory(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    const std::vector<std::string> lines = historyLines(d, s);
    if (lines.empty())
        return {false, "No actions on this week yet", TimetablesGoTo::Nowhere};
    const int chosen = p.selectLine(
        "History",
        fillIn("Your last {} action(s) on this week are listed below:{}(Select an action and "
               "click [Ok] to go back or click [Cancel] to leave).",
               static_cast<int>(lines.size()), "\n"),
        lines, 1);
    int undone = 0;
    for (int k = 0; k < chosen; ++k) {
        if (!undoLast(d, s).changed)
            break;
        ++undone;
    }
    return {undone > 0, undone > 0 ? fillIn("{} action(s) undone.", undone) : std::string(),
            TimetablesGoTo::Nowhere};
}

std::string undoCaption(const TimetablesSession &s)
{
    const int n = s.isOpen() ? s.matrix().log().position() : 0;
    return n <= 1 ? std::string("Undo last action") : fillIn("Undo last (of {} steps)", n);
}

std::string redoCaption(const TimetablesSession &s)
{
    const int n = s.isOpen() ? s.matrix().log().size() - s.matrix().log().position() : 0;
    return n <= 1 ? std::string("Redo last action") : fillIn("Redo first (of {} steps)", n);
}

// ----- the rest of the Edit menu
// ------------------------------------------------------------------

TimetableOutcome quickOptimise(ScheduleData &d, TimetablesSession &s, Prompter &p,
                               Progress &progress, OptimiseSettings settings)
{
    if (!s.isOpen())
        return notOpen();
    WeekMatrix &m = s.matrix();
    const WeekTotals totals = m.weekTotals(d);
    if (totals.placed == 0) {
        p.infoDlg("There is nothing to be optimised on this week.");
        return {};
    }
    // Periods left in the week may be scheduled first (not undoable: the matrix is built again).
    if (scheduleRemainingFirst(d, s, p) == RemainingAnswer::Stop)
        return {m.weekTotals(d).placed != totals.placed, {}, TimetablesGoTo::Nowhere};
    // What each event of the week holds before the run.
    std::map<CodeId, DayMasks> before;
    for (const CodeId e : m.weekEvents())
        before[e] = m.event(e)->cells;

    const int week = s.week();
    settings.firstWeek = settings.lastWeek = week;
    const OptimiseResult result = optimise(d, settings, progress);
    if (result.refused()) {
        p.infoDlg(result.message);
        // The run changed nothing; the matrix still holds the week.
        return {};
    }
    // The run worked on its own matrix of the week and stored its changes. Bring them into this
    // matrix as logged steps, so Undo and History take them back: first every block the run
    // took away, then every block it put in.
    WeekMatrix after;
    after.build(d, week);
    struct Change
    {
        CodeId e;
        int day, bell, length;
    };
    std::vector<Change> removals, insertions;
    const auto runs = [&](CodeId e, int day, std::uint32_t bells, std::vector<Change> &out) {
        while (bells != 0) {
            const int bell = std::countr_zero(bells) + 1;
            int length = 0;
            while (bells & (1u << (bell - 1 + length)))
                ++length;
            out.push_back({e, day, bell, length});
            bells &= ~bellSpan(bell, bell + length - 1);
        }
    };
    for (const auto &[e, cells] : before) {
        const MatrixEvent *now = after.event(e);
        for (int day = 1; day <= MaxDays; ++day) {
            const std::uint32_t old = cells[static_cast<std::size_t>(day)];
            const std::uint32_t cur = now ? now->cells[static_cast<std::size_t>(day)] : 0;
            runs(e, day, old & ~cur, removals);
            runs(e, day, cur & ~old, insertions);
        }
    }
    int steps = 0;
    bool agrees = true;
    for (const Change &c : removals) {
        agrees = m.unschedule(d, c.e, c.day, c.bell, c.length) && agrees;
        ++steps;
    }
    for (const Change &c : insertions) {
        agrees = m.schedule(d, c.e, c.day, c.bell, c.length) && agrees;
        ++steps;
    }
    if (!agrees)
        s.open(d, week); // the store holds the run's result; show it, without the steps
    const int removed = result.gapsBefore - result.gapsAfter;
    const int changes = result.moves + result.swaps;
    if (removed <= 0 || changes == 0) {
        p.infoDlg("Your timetables have been optimised. Quivra was unable to remove any gaps "
                  "from them.\n\n(Consider changing timetables manually and optimise again).");
        return {steps > 0, {}, TimetablesGoTo::Nowhere};
    }
    const bool review = p.yesNoDlg(
        fillIn("Your timetables have been optimised.{}{} out of {} gaps have been removed. {} "
               "changes have been made to your data to achieve this.{}Do you want to open the "
               "edit history to review these changes?",
               "\n\n", removed, result.gapsBefore, changes, "\n\n"));
    TimetableOutcome out{
        true, fillIn("{} -> {} gaps, {} change(s).", result.gapsBefore, result.gapsAfter, changes),
        TimetablesGoTo::Nowhere};
    if (review)
        showHistory(d, s, p);
    return out;
}

TimetableOutcome commentSlot(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen() || s.master() == 0)
        return notOpen();
    const SlotPos at = s.current();
    const std::string code(d.codes[s.master()].code.view());
    const CommentMatch match = findComment(d, s.week(), code, at.day, at.bell);
    const std::string current = match.index >= 0 && !match.general ? match.text : std::string();
    const std::optional<std::string> text = p.input(
        "Comment this slot", "Comment of " + code + " at " + slotName(d, at.day, at.bell) + ":",
        current, 200, ";");
    if (!text || *text == current)
        return {};
    if (text->empty()) {
        const int gone = eraseComments(d, s.week(), code, at.day, at.day, at.bell, at.bell);
        return {gone > 0, "Comment removed.", TimetablesGoTo::Nowhere};
    }
    if (!addComment(d, s.week(), *text, code, at.day, at.bell))
        return {false, "The comment could not be stored.", TimetablesGoTo::Nowhere};
    return {true, "Comment stored.", TimetablesGoTo::Nowhere};
}

TimetableOutcome toggleEventLock(ScheduleData &d, TimetablesSession &s)
{
    const CodeId e = s.event();
    if (!validCode(d, e) || !isEventCode(d, e))
        return {false, "Select an event first", TimetablesGoTo::Nowhere};
    setLock(d, e, LockMode::Toggle);
    return {true, fillIn("Lock or unlock event ({} locked)", countLocked(d)),
            TimetablesGoTo::Nowhere};
}

TimetableOutcome chooseBlockLength(const ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    std::string list = "1 hour$";
    for (int n = 2; n <= std::max(bellsOf(d), 1); ++n)
        list += std::to_string(n) + " hours$";
    const int chosen = p.choice("Change the default block length", 0, s.blockLength(), list);
    if (chosen == 0)
        return {};
    s.setBlockLength(chosen);
    return {false, fillIn("Default block length ({})", chosen), TimetablesGoTo::Nowhere};
}

TimetableOutcome searchNextEvent(const ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return notOpen();
    const WeekMatrix &m = s.matrix();
    if (m.rowCount() == 0) {
        p.infoDlg("No timetables found in this week - please select another week.");
        return {};
    }
    // From the master's own row on, round the rows.
    const int from = std::max(s.masterRow(), 1);
    for (int k = 0; k < m.rowCount(); ++k) {
        const int row = (from - 1 + k) % m.rowCount() + 1;
        for (const CodeId e : m.weekEvents()) {
            const MatrixEvent *ev = m.event(e);
            if (!usesRow(ev, row) || ev->placed >= ev->allowed)
                continue;
            s.setMaster(m.resourceOfRow(row));
            s.setEvent(e);
            return {false,
                    fillIn("{} period(s) out of {} still to be scheduled for {}",
                           ev->allowed - ev->placed, ev->allowed, quoted(d, e)),
                    TimetablesGoTo::Nowhere};
        }
    }
    p.infoDlg("No allocated and unscheduled periods found on this week.");
    return {};
}

TimetableOutcome splitNextBlock(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen() || s.masterRow() == 0)
        return notOpen();
    int day = s.current().day, bell = s.current().bell;
    if (s.matrix().nextBlockInRow(s.masterRow(), day, bell) == 0)
        return {false, "No block left in this timetable", TimetablesGoTo::Nowhere};
    s.clickCell(d, day, bell);
    return moveCurrentBlock(d, s, p, SlotSearchMode::Best);
}

TimetableOutcome lockScheduledEvents(ScheduleData &d, TimetablesSession &s, bool lock)
{
    if (!s.isOpen() || s.masterRow() == 0)
        return notOpen();
    int n = 0;
    for (const CodeId e : s.matrix().weekEvents()) {
        const MatrixEvent *ev = s.matrix().event(e);
        if (!usesRow(ev, s.masterRow()) || ev->placed == 0 || isLockedCode(d, e) == lock)
            continue;
        setLock(d, e, lock ? LockMode::Lock : LockMode::Unlock);
        ++n;
    }
    return {n > 0, fillIn(lock ? "{} event(s) locked." : "{} event(s) unlocked.", n),
            TimetablesGoTo::Nowhere};
}

TimetableOutcome chooseBookingKind(TimetablesSession &s, Prompter &p)
{
    const int chosen = p.choice("Change booking type", 0, s.bookingKind(), "1$2$3$");
    if (chosen == 0)
        return {};
    s.setBookingKind(chosen);
    return {false, fillIn("New bookings are of type {}.", chosen), TimetablesGoTo::Nowhere};
}

TimetableOutcome copyComment(const ScheduleData &d, TimetablesSession &s)
{
    if (!s.isOpen() || s.master() == 0)
        return notOpen();
    const CommentMatch match = findComment(d, s.week(), d.codes[s.master()].code.view(),
                                           s.current().day, s.current().bell);
    if (match.index < 0)
        return {false, "This slot has no comment", TimetablesGoTo::Nowhere};
    s.copiedComment = match.text;
    return {false, "Comment copied.", TimetablesGoTo::Nowhere};
}

TimetableOutcome pasteComment(ScheduleData &d, TimetablesSession &s)
{
    if (!s.isOpen() || s.master() == 0)
        return notOpen();
    if (s.copiedComment.empty())
        return {false, "No comment copied", TimetablesGoTo::Nowhere};
    if (!addComment(d, s.week(), s.copiedComment, d.codes[s.master()].code.view(), s.current().day,
                    s.current().bell))
        return {false, "The comment could not be stored.", TimetablesGoTo::Nowhere};
    return {true, "Comment pasted.", TimetablesGoTo::Nowhere};
}

TimetableOutcome changeAllocation(ScheduleData &d, TimetablesSession &s, AllocationChange change)
{
    const CodeId e = s.event();
    if (!s.isOpen() || !validCode(d, e) || !isEventCode(d, e))
        return {false, "Select an event first", TimetablesGoTo::Nowhere};
    if (isLockedCode(d, e))
        return {false, refusalText(d, e, Refusal::Locked), TimetablesGoTo::Nowhere};
    const int w = s.week();
    if (w < d.currentWeek)
        return {false, "The weeks before the current week are protected.", TimetablesGoTo::Nowhere};
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    auto &allocated = wa.allocated[static_cast<std::size_t>(w)];
    const int placed = wa.scheduled[static_cast<std::size_t>(w)];
    int next = allocated;
    switch (change) {
    case AllocationChange::IncreaseLeft:
        // Never more periods than the week in use has slots.
        next = std::min({allocated + 1, d.coding.slotsPerWeek, daysOf(d) * bellsOf(d), 255});
        break;
    case AllocationChange::DecreaseLeft:
        next = allocated > placed ? allocated - 1 : allocated;
        break;
    case AllocationChange::LeftToZero:
        next = placed;
        break;
    }
    if (next == allocated)
        return {false, quoted(d, e) + " keeps its allocation.", TimetablesGoTo::Nowhere};
    allocated = static_cast<std::uint8_t>(next);
    // The store writes nothing when it has no room (and nothing is due only for an event left
    // with no allocation and no period).
    if (storeWeekAllocation(d, e, wa) == 0 && (next > 0 || placed > 0))
        return {false, refusalText(d, e, Refusal::StoreFull), TimetablesGoTo::Nowhere};
    settleTotals(d);
    s.open(d, w);
    std::string message =
        fillIn("Event {} has now {} ALLOCATED and {} SCHEDULED periods in this week.", quoted(d, e),
               next, placed);
    if (next == 0)
        message += "\r\nEvent was removed from this week.";
    return {true, message, TimetablesGoTo::Nowhere};
}

int findTimetable(const ScheduleData &d, const std::vector<CodeId> &timetables,
                  std::string_view text, int from)
{
    const std::string wanted = toLowerAscii(text);
    const int n = static_cast<int>(timetables.size());
    if (wanted.empty() || n == 0)
        return -1;
    for (int k = 1; k <= n; ++k) {
        const int i = ((from + k) % n + n) % n;
        const CodeId c = timetables[static_cast<std::size_t>(i)];
        if (!validCode(d, c))
            continue;
        if (toLowerAscii(d.codes[c].code.view()).find(wanted) != std::string::npos ||
            toLowerAscii(d.codes[c].name.view()).find(wanted) != std::string::npos)
            return i;
    }
    return -1;
}

} // namespace quivra
