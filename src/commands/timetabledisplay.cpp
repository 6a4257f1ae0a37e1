#include "commands/timetabledisplay.h"

#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/gaps.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/textutil.h"

#include <algorithm>
#include <map>

namespace quivra {
namespace {

std::string bookingName(const ScheduleData &d, CellWord w)
{
    // Event bookings name the first three kinds, resource bookings the next three.
    const int kind = std::clamp(cellKind(w), 1, 3);
    const int item = (cellLectureWord(w) & LectureEventBit) ? kind : kind + 3;
    std::string name = listItem(d.bookingKinds.view(), item);
    if (name.empty())
        name = listItem(d.bookingKinds.view(), kind);
    return name.empty() ? "Booking " + std::to_string(kind) : name;
}

// The room given to event e by hand at the slot, 0 when none.
CodeId manualRoomOf(const ScheduleData &d, int week, int day, int bell, CodeId e)
{
    const int k = findTriple(d, week, day, bell, 0, 0, e);
    return k > 0 ? manualTriple(d, k).room : 0;
}

bool hasComment(const ScheduleData &d, int week, CodeId code, int day, int bell)
{
    return findComment(d, week, d.codes[code].code.view(), day, bell).index >= 0;
}

// The current event's block at the session's current cell, if the cell holds one.
MasterBlock currentBlock(const ScheduleData &d, const TimetablesSession &s)
{
    const MasterBlock block = blockAt(d, s, s.current().day, s.current().bell);
    return block && block.event == s.event() ? block : MasterBlock{};
}

// Where the block could start instead: every position whose cells all score above 0 for its
// event with the block itself taken out; its own position is left out.
void markMoveStarts(const ScheduleData &d, TimetablesSession &s, MasterBlock block,
                    TimetableCells &out)
{
    WeekMatrix &m = s.matrix();
    FreeCells f;
    m.probeErase(block.event, block.day, block.bell, block.length);
    freeCellScores(d, m, block.event, s.weights, f);
    m.probeEnter(block.event, block.day, block.bell, block.length);
    for (int day = 1; day <= out.days; ++day)
        for (int bell = 1; bell + block.length - 1 <= out.bells; ++bell)
            if (f.run[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] >=
                    block.length &&
                !(day == block.day && bell == block.bell))
                out.at(day, bell).moveStart = true;
}

void markSwapPartners(const ScheduleData &d, TimetablesSession &s, MasterBlock block,
                      TimetableCells &out)
{
    for (const ScoredSwap &swap : scoredSwapPartners(d, s, block))
        out.at(swap.partner.day, swap.partner.bell).swapScore = swap.score;
}

void markCurrentEvent(const ScheduleData &d, TimetablesSession &s, const CellDisplayOptions &o,
                      TimetableCells &out)
{
    const CodeId e = s.event();
    const WeekMatrix &m = s.matrix();
    const int master = s.masterRow();
    if (!m.event(e))
        return;
    out.event = e;
    const FreeCells f = s.scoresOf(d, e);
    std::vector<std::uint16_t> scratch;
    const auto rows = m.rowsOf(d, e, scratch);
    const CellWord own = static_cast<CellWord>(e | LectureEventBit);
    for (int day = 1; day <= out.days; ++day)
        for (int bell = 1; bell <= out.bells; ++bell) {
            TimetableCell &cell = out.at(day, bell);
            if (m.cell(master, day, bell) == 0)
                cell.fit =
                    f.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] > 0
                        ? TimetableCell::Fit::Free
                        : TimetableCell::Fit::Blocked;
            if (!o.on(CellOption::Indicators))
                continue;
            for (const std::uint16_t row : rows) {
                const CellWord w = m.cell(row, day, bell);
                if (static_cast<int>(row) != master && w != 0 && cellLectureWord(w) != own)
                    ++cell.indicators;
            }
        }
    const MasterBlock block = currentBlock(d, s);
    if (!block)
        return;
    if (o.on(CellOption::MoveOptions))
        markMoveStarts(d, s, block, out);
    if (o.on(CellOption::SwapOptions))
        markSwapPartners(d, s, block, out);
}

// Empty bells between the first and the last lesson of each day of the timetable.
void markGaps(TimetableCells &out)
{
    for (int day = 1; day <= out.days; ++day) {
        int first = 0, last = 0;
        for (int bell = 1; bell <= out.bells; ++bell)
            if (out.at(day, bell).code != 0 && !out.at(day, bell).booking) {
                first = first == 0 ? bell : first;
                last = bell;
            }
        for (int bell = first + 1; first > 0 && bell < last; ++bell)
            out.at(day, bell).gap = out.at(day, bell).code == 0;
    }
}

std::string cellText(const ScheduleData &d, const TimetableCell &c, const CellDisplayOptions &o,
                     const TimetablesSession *s)
{
    std::string text;
    if (c.booking)
        return c.text;
    if (c.code != 0) {
        text = formatCode(d, c.code, o.codeMode);
        if (c.other != 0)
            text = formatCode(d, c.other, o.codeMode) + " / " + text;
        if (o.on(CellOption::Flags)) {
            if (d.codes[c.code].flags & LockedBit)
                text += " [L]";
            if (findMemo(d, d.codes[c.code].code.view()) >= 0)
                text += " [M]";
        }
        if (o.on(CellOption::WeeklyPeriods) && s && s->isOpen())
            if (const MatrixEvent *ev = s->matrix().event(c.code))
                text += " " + std::to_string(ev->placed) + "/" + std::to_string(ev->allowed);
    } else if (c.manualRoom != 0 && o.on(CellOption::ManualRooms)) {
        text = formatCode(d, c.manualRoom, o.codeMode);
    }
    if (c.manualRoom != 0 && o.on(CellOption::ManualRooms))
        text += " (m)";
    if (c.comment && o.on(CellOption::Comments))
        text += text.empty() ? "(c)" : " (c)";
    const auto mark = [&text](const std::string &m) { text += text.empty() ? m : " " + m; };
    if (c.indicators > 0)
        mark("[+" + std::to_string(c.indicators) + "]");
    if (c.moveStart)
        mark("[>]");
    if (c.swapScore > 0) {
        const int saved = c.swapScore - 100;
        mark("[" + std::string(saved >= 0 ? "+" : "") + std::to_string(saved) + " s]");
    }
    return text;
}

} // namespace

void CellDisplayOptions::set(CellOption o, bool value)
{
    const auto bit = static_cast<std::uint16_t>(1u << (static_cast<int>(o) - 1));
    bits = static_cast<std::uint16_t>(value ? bits | bit : bits & ~bit);
}

CellDisplayOptions cellDisplayOptions(const Settings &s)
{
    CellDisplayOptions o;
    o.bits = static_cast<std::uint16_t>(s.preferences.cellOptions & ((1 << CellOptionItems) - 1));
    o.codeMode = std::clamp(s.preferences.codeMode, 1, 3);
    return o;
}

void storeCellDisplayOptions(const CellDisplayOptions &o, Settings &s)
{
    // Bits the menu does not show are kept as they were read.
    const int mine = (1 << CellOptionItems) - 1;
    s.preferences.cellOptions = (s.preferences.cellOptions & ~mine) | (o.bits & mine);
    s.preferences.codeMode = std::clamp(o.codeMode, 1, 3);
}

bool cellDisplayItemChecked(const CellDisplayOptions &o, int item)
{
    if (item >= 1 && item <= CellOptionItems)
        return o.on(static_cast<CellOption>(item));
    return item > CellOptionItems && item <= CellDisplayItems &&
           o.codeMode == item - CellOptionItems;
}

void chooseCellDisplayItem(CellDisplayOptions &o, int item)
{
    if (item >= 1 && item <= CellOptionItems)
        o.set(static_cast<CellOption>(item), !o.on(static_cast<CellOption>(item)));
    else if (item > CellOptionItems && item <= CellDisplayItems)
        o.codeMode = item - CellOptionItems;
}

void fillTimetableCells(const ScheduleData &d, CodeId code, int week, const CellDisplayOptions &o,
                        TimetablesSession *session, TimetableCells &out)
{
    out.code = validCode(d, code) ? code : 0;
    out.week = week;
    out.days = std::clamp(usedDays(d), 0, MaxDays);
    out.bells = std::clamp(usedBells(d), 0, MaxBells);
    out.clashes = out.placed = 0;
    out.event = 0;
    for (auto &day : out.cells)
        day.fill(TimetableCell{});
    if (out.code == 0 || week < 1 || week > usedWeeks(d))
        return;
    WeekTimetable table;
    weekTimetableOf(d, out.code, week, table, true);
    out.clashes = table.clashes;
    const bool manual = o.on(CellOption::ManualRooms);
    const bool comments = o.on(CellOption::Comments);
    // What one event's flags and room cost is looked up once per cell, not per paint.
    for (int day = 1; day <= out.days; ++day)
        for (int bell = 1; bell <= out.bells; ++bell) {
            TimetableCell &c = out.at(day, bell);
            const CellWord w = table.cell(day, bell);
            if (cellLectureWord(w) == 0) {
                c.manualRoom =
                    table.manualRoom[static_cast<std::size_t>(bell)][static_cast<std::size_t>(day)];
                if (!validCode(d, c.manualRoom))
                    c.manualRoom = 0;
            } else if (isBookingCell(w)) {
                c.booking = true;
                c.code = cellCode(d, w);
                c.text = bookingName(d, w);
            } else {
                c.code = cellCode(d, w);
                ++out.placed;
                if (const CellWord hidden = table.hiddenCell(day, bell))
                    c.other = cellCode(d, hidden);
                if (o.on(CellOption::Colours) && validCode(d, c.code))
                    c.colour = d.codes[c.code].colour > 0 ? d.codes[c.code].colour : 0;
                if (manual && isEventCode(d, c.code))
                    c.manualRoom = manualRoomOf(d, week, day, bell, c.code);
            }
            c.comment = comments && hasComment(d, week, out.code, day, bell);
        }
    const bool master = session && session->isOpen() && session->week() == week &&
                        session->master() == out.code && session->masterRow() != 0;
    if (master)
        markCurrentEvent(d, *session, o, out);
    if (o.on(CellOption::GapPicture))
        markGaps(out);
    for (int day = 1; day <= out.days; ++day)
        for (int bell = 1; bell <= out.bells; ++bell)
            out.at(day, bell).text = cellText(d, out.at(day, bell), o, session);
}

std::string cellHint(const ScheduleData &d, const TimetablesSession &s, const CellDisplayOptions &o,
                     int day, int bell)
{
    if (!o.on(CellOption::CellHints) || !s.isOpen() || s.masterRow() == 0 || day < 1 ||
        day > s.matrix().usedDays() || bell < 1 || bell > s.matrix().usedBells())
        return {};
    std::vector<std::string> lines;
    const std::string masterCode(d.codes[s.master()].code.view());
    const CommentMatch comment = findComment(d, s.week(), masterCode, day, bell);
    if (comment.index >= 0)
        lines.push_back(comment.text);
    const CellWord w = s.matrix().cell(s.masterRow(), day, bell);
    const bool event = w != 0 && !isBookingCell(w);
    CodeId room = 0;
    if (event) {
        const CodeId e = cellCode(d, w);
        lines.push_back(formatCode(d, e, ShowCodeAndName));
        room = manualRoomOf(d, s.week(), day, bell, e);
        if (room != 0)
            lines.push_back(fillIn("(room \"{}\" manually selected for event \"{}\")",
                                   formatCode(d, room, ShowCode), formatCode(d, e, ShowCode)));
    } else if (w != 0) {
        lines.push_back(bookingName(d, w));
    }
    if (const std::string conflicts = cellConflicts(d, s, day, bell); !conflicts.empty())
        lines.push_back(conflicts);
    if (const std::string action = doubleClickPreview(d, s, day, bell); !action.empty())
        lines.push_back("[Double-click]: " + action);
    // Nothing to schedule in this timetable.
    if (s.matrix().weekEvents().empty())
        lines.push_back("No events in this week, press the [F3] key to check other weeks");
    else if (timetableEvents(d, s).empty())
        lines.push_back("No events available");
    if (w == 0 || !event)
        lines.push_back("[Ctrl+O]: Change booking type");
    if (event) {
        lines.push_back("[Ctrl+R]: Select room manually (" +
                        (room != 0 ? formatCode(d, room, ShowCode) : std::string("-")) + ")");
    }
    lines.push_back("[Ctrl+E]: Comment cell (" + (comment.index >= 0 ? comment.text : "-") + ")");
    if (event) {
        const CodeId e = cellCode(d, w);
        lines.push_back(std::string("[Ctrl+U]: ") +
                        ((d.codes[e].flags & LockedBit) ? "Unlock event" : "Lock event"));
        lines.push_back("[F6]: Swap block with...");
    }
    lines.push_back("[F3]: Search next timetable");
    lines.push_back("[Ctrl+Alt+H]: Hide this");
    std::string text;
    for (const std::string &line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string actionCountersText(const MoveLog &log, int doubleClicks)
{
    const auto sum = [&log](int from) {
        int n = 0;
        for (int k = from; k < from + 6; ++k)
            n += log.actions(k);
        return n;
    };
    const std::pair<const char *, int> counters[] = {
        {"Blocks scheduled: ", log.actions(1)}, {"Blocks removed: ", log.actions(2)},
        {"Blocks moved: ", log.actions(3)},     {"Bookings changed: ", log.actions(4)},
        {"Blocks swapped: ", log.actions(5)},   {"Resources replaced: ", log.actions(6)},
        {"Double-clicks: ", doubleClicks},      {"Changes undone: ", sum(8)},
        {"Changes redone: ", sum(15)},          {"Cells changed: ", log.cellsChanged()},
    };
    std::string text = "Action counters in Timetables view:\n\n";
    for (const auto &[caption, value] : counters)
        text += caption + std::to_string(value) + "\n";
    return text;
}

bool showActionCounters(Prompter &p, TimetablesSession &s, int &doubleClicks)
{
    const std::string text = actionCountersText(s.matrix().log(), doubleClicks);
    if (!p.yesNoDlg(text + "\nDo you want to reset these counters?"))
        return false;
    s.matrix().resetActions();
    doubleClicks = 0;
    return true;
}

bool offerIndicatorTip(const ScheduleData &d, Prompter &p, Settings &s)
{
    if (s.preferences.indicatorTip || d.counters.scheduledTotal != 10)
        return false;
    s.preferences.indicatorTip = true;
    if (!p.yesNoDlg(fillIn("Congratulations! You have now scheduled {} periods.{}Do you want to "
                           "display also the \"cell indicators\" in the timetables?{}These "
                           "numbers give you information of other timetables related to "
                           "current event.{}You can turn this selection on or off in "
                           "\"View|Cell display options|Show indicators\"",
                           d.counters.scheduledTotal, "\n\n", "\n\n", "\n")))
        return false;
    CellDisplayOptions o = cellDisplayOptions(s);
    o.set(CellOption::Indicators, true);
    storeCellDisplayOptions(o, s);
    return true;
}

} // namespace quivra
