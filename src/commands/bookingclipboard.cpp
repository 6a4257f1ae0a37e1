#include "commands/bookingclipboard.h"

#include "commands/commandsupport.h"
#include "commands/textfill.h"
#include "commands/timetablecommands.h"
#include "engine/bookings.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/placement.h"
#include "engine/textutil.h"
#include "engine/weekstore.h"
#include "reports/bookingtext.h"
#include "reports/clipboardtext.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <algorithm>
#include <bitset>
#include <memory>

namespace quivra {
namespace {

constexpr const char *EmptyClipboard =
    "The Clipboard is empty. Select first an appropriate area in the other application and then "
    "select \"Edit|Copy\" to copy your content on the Clipboard.";

bool blankRow(const ClipLine &line)
{
    return std::all_of(line.begin(), line.end(),
                       [](const std::string &cell) { return trim(cell).empty(); });
}

// The code a cell names, 0 when it names none (a cell longer than a code names none).
CodeId named(const ScheduleData &d, std::string_view cell)
{
    if (trim(cell).empty() || cell.size() > CodeLength)
        return 0;
    return findCode(d, cell);
}

// A number cell inside first..last, 0 when it is empty, no whole number or out of range.
int inRange(const ClipLine &line, std::size_t cell, int first, int last)
{
    if (cell >= line.size())
        return 0;
    const int n = clipNumber(line[cell], 0);
    return n >= first && n <= last ? n : 0;
}

// What a row names: the week, the day and the bells, each checked against the calendar in use.
struct RowSlots
{
    int week = 0, day = 0, first = 0, last = 0;
    bool valid() const { return week > 0 && day > 0 && first > 0 && last >= first; }
};

RowSlots rowSlots(const ScheduleData &d, const ClipLine &line)
{
    RowSlots s;
    const int bells = std::clamp(usedBells(d), 0, bellCap(d));
    s.week = inRange(line, 1, 1, std::clamp(usedWeeks(d), 0, weekCap(d)));
    s.day = inRange(line, 2, 1, std::clamp(usedDays(d), 0, dayCap(d)));
    s.first = inRange(line, 3, 1, bells);
    s.last = inRange(line, 4, 1, bells);
    return s;
}

class LinePaste
{
public:
    explicit LinePaste(ScheduleData &d) : m_d(d) {}

    void omit(std::string_view code)
    {
        ++m_r.omitted;
        sample(code);
    }
    void sample(std::string_view code)
    {
        const std::string c = trim(code);
        if (c.empty() || m_r.sample.size() >= 100)
            return;
        const std::string item = std::string(c.substr(0, 40)) + ",";
        if (("," + m_r.sample).find("," + item) == std::string::npos)
            m_r.sample += item;
    }
    void blocker(CodeId r)
    {
        if (std::find(m_r.blockers.begin(), m_r.blockers.end(), r) == m_r.blockers.end())
            m_r.blockers.push_back(r);
    }

    void booking(const ClipLine &line, int onlyWeek);
    void schedule(const ClipLine &line, bool adjust);

    LinePasteReport &report() { return m_r; }

private:
    bool addResources(const ClipLine &line, CodeId e, MemberList &timetabled);
    // Where each code's lectures are: built on first use and again after the store changed.
    const LectureIndex &index()
    {
        if (!m_index)
            m_index = std::make_unique<LectureIndex>(m_d);
        return *m_index;
    }

    ScheduleData &m_d;
    LinePasteReport m_r;
    std::unique_ptr<LectureIndex> m_index;
};

void LinePaste::booking(const ClipLine &line, int onlyWeek)
{
    const CodeId r = named(m_d, line[0]);
    const RowSlots at = rowSlots(m_d, line);
    const int kind = inRange(line, 5, 1, 3);
    if (r == 0 || m_d.codes[r].isEvent() || !at.valid() || kind == 0) {
        omit(line[0]);
        return;
    }
    if (onlyWeek > 0 && at.week != onlyWeek) {
        ++m_r.otherWeeks;
        return;
    }
    if (at.week < m_d.currentWeek) {
        omit(line[0]);
        return;
    }
    auto shown = std::make_unique<WeekTimetable>();
    weekTimetableOf(m_d, r, at.week, *shown, index(), false, true);
    const CellWord wanted =
        makeCell(static_cast<std::uint16_t>(ownWord(m_d, r) | LectureBookingBit), kind);
    // Booked already as the row asks, as the timetable shows: nothing to read or write.
    bool booked = true;
    for (int bell = at.first; bell <= at.last && booked; ++bell) {
        const CellWord cell = shown->cell(at.day, bell);
        booked = isBookingCell(cell) && cellCode(m_d, cell) == r && cellKind(cell) == kind;
    }
    if (booked) {
        m_r.cells += at.last - at.first + 1;
        m_r.present += at.last - at.first + 1;
        return;
    }
    auto own = std::make_unique<WeekTimetable>();
    bookingTimetableOf(m_d, r, at.week, *own);
    int added = 0;
    for (int bell = at.first; bell <= at.last; ++bell) {
        ++m_r.cells;
        CellWord &mine = own->cellRef(at.day, bell);
        const CellWord cell = shown->cell(at.day, bell);
        if (isBookingCell(mine) && cellKind(mine) == kind) {
            ++m_r.present;
        } else if (cell != 0 && !(isBookingCell(cell) && cellCode(m_d, cell) == r)) {
            // A period, or an event's booking shown in the resource's timetable.
            ++m_r.refused;
        } else {
            mine = wanted;
            ++added;
        }
    }
    if (added == 0)
        return;
    // A store without room refuses, and the row's cells stay as they were.
    m_index.reset();
    if (writeWeekBookings(m_d, BookingWrite::Replace, r, at.week, *own) == 0) {
        m_r.refused += added;
        return;
    }
    m_r.added += added;
}

// Adds the resources the row's further cells name to event e when they can join it; fills
// `timetabled` with the event's timetabled resources afterwards. False (and nothing changed)
// when the event would have no timetabled resource or its collection cannot be stored.
bool LinePaste::addResources(const ClipLine &line, CodeId e, MemberList &timetabled)
{
    MemberList m = collectionOf(m_d, e);
    const int before = m[0];
    for (std::size_t i = 5; i < line.size() && i < 256; ++i) {
        const CodeId r = named(m_d, line[i]);
        if (r == 0) {
            sample(line[i]);
            continue;
        }
        if (m_d.codes[r].isEvent() || m[0] >= MaxMembers)
            continue;
        if (std::find(m.begin() + 1, m.begin() + 1 + m[0], r) != m.begin() + 1 + m[0])
            continue;
        if (!canJoin(m_d, e, r))
            continue;
        m[static_cast<std::size_t>(++m[0])] = r;
    }
    timetabled = m;
    dropNoTimetable(m_d, timetabled);
    if (timetabled[0] == 0)
        return false;
    if (m[0] != before) {
        // Storing may compact the stores when the collection list is full.
        m_index.reset();
        if (setCollection(m_d, e, m) <= 0)
            return false;
        m_r.resourcesAdded += m[0] - before;
    }
    return true;
}

void LinePaste::schedule(const ClipLine &line, bool adjust)
{
    const CodeId e = named(m_d, line[0]);
    const RowSlots at = rowSlots(m_d, line);
    if (e == 0 || !m_d.codes[e].isEvent() || !at.valid() || isLockedCode(m_d, e) ||
        at.week < m_d.currentWeek) {
        omit(line[0]);
        return;
    }
    MemberList resources{};
    if (!addResources(line, e, resources)) {
        omit(line[0]);
        return;
    }
    WeekAllocation wa;
    loadWeekAllocation(m_d, e, wa, index());
    auto own = std::make_unique<WeekTimetable>();
    weekTimetableOf(m_d, e, at.week, *own, index());
    std::vector<std::unique_ptr<WeekTimetable>> timetables;
    for (int i = 1; i <= resources[0]; ++i) {
        timetables.push_back(std::make_unique<WeekTimetable>());
        weekTimetableOf(m_d, resources[static_cast<std::size_t>(i)], at.week, *timetables.back(),
                        index());
    }
    const auto w = static_cast<std::size_t>(at.week);
    int left = adjust ? MaxBells : int{wa.allocated[w]} - int{wa.scheduled[w]};
    const std::uint16_t word = ownWord(m_d, e);
    // Places bells first..last of the row's day; cells a full store refuses count as refused.
    const auto place = [&](int first, int last) {
        if (first == 0)
            return;
        LectureView block;
        block.word = word;
        block.startWeek = block.endWeek = static_cast<std::uint8_t>(at.week);
        block.startDay = block.endDay = static_cast<std::uint8_t>(at.day);
        block.startBell = static_cast<std::uint8_t>(first);
        block.endBell = static_cast<std::uint8_t>(last);
        if (placeBlock(m_d, word, block) > 0)
            m_r.added += last - first + 1;
        else
            m_r.refused += last - first + 1;
        m_index.reset();
    };
    int run = 0;
    for (int bell = at.first; bell <= at.last; ++bell) {
        ++m_r.cells;
        const CellWord mine = own->cell(at.day, bell);
        bool free = false;
        if (mine != 0 && !isBookingCell(mine) && cellCode(m_d, mine) == e) {
            ++m_r.present;
        } else if (wa.booked[w] != 0 || mine != 0) {
            ++m_r.refused; // the event's own booking
        } else {
            bool busy = false;
            for (std::size_t i = 0; i < timetables.size(); ++i)
                if (timetables[i]->cell(at.day, bell) != 0) {
                    busy = true;
                    blocker(resources[i + 1]);
                }
            if (busy)
                ++m_r.refused;
            else if (left <= 0)
                ++m_r.noPeriodsLeft;
            else
                free = true;
        }
        if (free) {
            --left;
            if (run == 0)
                run = bell;
            continue;
        }
        place(run, bell - 1);
        run = 0;
    }
    place(run, at.last);
}

template <typename Row> LinePasteReport pasteRows(ScheduleData &d, std::string_view text, Row row)
{
    const bool wasModified = d.modified;
    d.modified = false;
    LinePaste paste(d);
    for (const ClipLine &line : readClipLines(text)) {
        if (line.empty() || blankRow(line))
            continue;
        ++paste.report().rows;
        row(paste, line);
    }
    LinePasteReport r = paste.report();
    r.changed = d.modified;
    if (r.changed)
        settleTotals(d);
    d.modified = d.modified || wasModified;
    return r;
}

std::string sampleText(const LinePasteReport &r)
{
    if (r.omitted == 0 || r.sample.empty())
        return {};
    return "\r\n\r\nSample of codes omitted or not found:\r\n\r\n" + r.sample + "...";
}

// The weeks 1..last the week picker keeps, all of them preselected.
std::optional<std::vector<int>> pickWeeks(const ScheduleData &d, Prompter &p, int last)
{
    std::bitset<WeekTableSize> chosen;
    for (int w = 1; w <= last && w < WeekTableSize; ++w)
        chosen.set(static_cast<std::size_t>(w));
    if (last > 1 &&
        p.pickWeek(d, 1, "\r\nSelect the weeks(s) you want to include:", last, 1, &chosen) == 0)
        return std::nullopt;
    std::vector<int> weeks;
    for (int w = 1; w <= last && w < WeekTableSize; ++w)
        if (chosen.test(static_cast<std::size_t>(w)))
            weeks.push_back(w);
    return weeks;
}

} // namespace

// ----- bookings ------------------------------------------------------------------------------

void copyBookingsToClipboard(const ScheduleData &d, Prompter &p, Clipboard &clipboard,
                             ClipTarget &target)
{
    deliverCopy(p, clipboard, target, copyBookings(d));
}

LinePasteReport applyBookingsPaste(ScheduleData &d, std::string_view text, int onlyWeek)
{
    return pasteRows(d, text, [onlyWeek](LinePaste &paste, const ClipLine &line) {
        paste.booking(line, onlyWeek);
    });
}

std::string bookingsPasteText(const LinePasteReport &r)
{
    std::string s = fillIn("{} booked slots out of {} slots added, {} out of {} rows omitted.",
                           r.added, r.cells, r.omitted, r.rows);
    if (r.otherWeeks > 0)
        s += fillIn("\r\n{} row(s) of other weeks were left out.", r.otherWeeks);
    if (r.present > 0)
        s += fillIn("\r\n{} slot(s) were booked already.", r.present);
    if (r.refused > 0)
        s += fillIn("\r\n{} slot(s) held by events or other bookings were left as they are.",
                    r.refused);
    return s + sampleText(r);
}

bool pasteBookingsFromClipboard(ScheduleData &d, Prompter &p, const Clipboard &clipboard, int week)
{
    const std::string text = clipboard.text();
    if (text.size() < 4) {
        p.infoDlg(EmptyClipboard);
        return false;
    }
    const int bells = usedBells(d);
    if (!p.yesNoDlg(fillIn("This selection pastes the timetable bookings into Quivra using the "
                           "following column contents:\r\n\r\n"
                           "[Resource code] [Week: 1-{}] [Day: 1-{}] [First slot: 1-{}] "
                           "[Last slot: 1-{}] [Booking number 1-3]\r\n\r\n"
                           "(You can copy the same content back to the Clipboard with "
                           "\"Edit|Copy to the Clipboard|11 Bookings\")\r\n\r\n"
                           "Do you want to start?",
                           usedWeeks(d), usedDays(d), bells, bells)))
        return false;
    const LinePasteReport r = applyBookingsPaste(d, text, week);
    p.infoDlg(bookingsPasteText(r));
    return r.changed;
}

// ----- event schedules -----------------------------------------------------------------------

bool copyScheduleLinesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard,
                                  ClipTarget &target, int format)
{
    if (format < 1 || format > 4)
        return false;
    ScheduleLinesRequest r;
    r.format = static_cast<ScheduleLines>(format);
    if ((r.format == ScheduleLines::DateSlots || r.format == ScheduleLines::StartEndRooms) &&
        !weeksDated(d)) {
        p.infoDlg("This option is available only if you have selected \"Align Quivra weeks with "
                  "Calendar\" in \"Options|Time\"");
        return false;
    }
    const auto events = pickOfKind(d, p, "Select the events to copy to the Clipboard", true);
    clearMarks(d, 1, d.codeCount, AllMarks);
    if (!events)
        return false;
    const auto weeks = pickWeeks(d, p, std::max(1, clipLastWeek(d)));
    if (!weeks)
        return false;
    r.events = *events;
    std::sort(r.events.begin(), r.events.end());
    r.weeks = *weeks;
    deliverCopy(p, clipboard, target, copyScheduleLines(d, r));
    return true;
}

LinePasteReport applyTimetablesPaste(ScheduleData &d, std::string_view text, bool adjust)
{
    return pasteRows(d, text, [adjust](LinePaste &paste, const ClipLine &line) {
        paste.schedule(line, adjust);
    });
}

std::string timetablesPasteText(const ScheduleData &d, const LinePasteReport &r)
{
    std::string s = fillIn("{} event timetable slots out of {} slots added, {} out of {} rows "
                           "omitted.",
                           r.added, r.cells, r.omitted, r.rows);
    if (!r.blockers.empty()) {
        std::string names;
        for (const CodeId c : r.blockers) {
            if (!names.empty())
                names += ", ";
            names += std::string(d.codes[c].code.view());
            if (!d.codes[c].name.str().empty())
                names += " " + d.codes[c].name.str();
        }
        s += fillIn("\r\nThe timetable(s) of {} resource(s) below prevented scheduling of {} "
                    "slot(s):\r\n{}",
                    r.blockers.size(), r.refused, names);
    } else if (r.refused > 0) {
        s += fillIn("\r\n{} slot(s) were booked or could not be stored.", r.refused);
    }
    if (r.present > 0)
        s += fillIn("\r\n{} slot(s) were scheduled already.", r.present);
    if (r.noPeriodsLeft > 0)
        s += fillIn("\r\n{} slot(s) had no allocated periods left in their week.", r.noPeriodsLeft);
    if (r.resourcesAdded > 0)
        s += fillIn("\r\n{} resource(s) were added to events.", r.resourcesAdded);
    return s + sampleText(r);
}

bool pasteTimetablesFromClipboard(ScheduleData &d, Prompter &p, const Clipboard &clipboard)
{
    const std::string text = clipboard.text();
    if (text.size() < 4) {
        p.infoDlg(EmptyClipboard);
        return false;
    }
    const int bells = usedBells(d);
    if (!p.yesNoDlg(fillIn("This selection pastes event timetables into Quivra using the "
                           "following column contents:\r\n\r\n"
                           "[Event code] [Week: 1-{}] [Day: 1-{}] [First slot: 1-{}] "
                           "[Last slot: 1-{}]\r\n\r\n"
                           "(You can copy the same content back to the Clipboard with "
                           "\"Edit|Copy to the Clipboard|9 Timetables|1 Code + Week + Day + First "
                           "slot + Last slot\")\r\n\r\n"
                           "Do you want to start?",
                           usedWeeks(d), usedDays(d), bells, bells),
                    0, 1040))
        return false;
    bool adjust = true;
    if (usedWeeks(d) > 1) {
        const int answer = p.yesNoCancelDlg(
            "Adjust the weekly allocated periods automatically according to scheduled periods?", 0,
            1900);
        if (answer == Answer::Cancel)
            return false;
        adjust = answer == Answer::Yes;
    }
    const LinePasteReport r = applyTimetablesPaste(d, text, adjust);
    p.infoDlg(timetablesPasteText(d, r));
    return r.changed;
}

// ----- the Timetables view's Copy bookings ----------------------------------------------------

TimetableOutcome copyMasterBookings(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    const CodeId master = s.master();
    const int week = s.week();
    if (!s.isOpen() || !validCode(d, master))
        return {false, "Select a timetable first", TimetablesGoTo::Nowhere};
    const std::string code(d.codes[master].code.view());
    const int item =
        p.choice(fillIn("Copy the bookings of \"{}\" in week {} to", code, formatWeek(d, week, 3)),
                 0, 1, "Other weeks$Other timetables");
    if (item == 0)
        return {};
    const int lastWeek = std::clamp(usedWeeks(d), 1, weekCap(d));
    int first = week, last = week;
    std::vector<CodeId> targets;
    if (item == 1) {
        first = p.pickWeek(d, std::min(week + 1, lastWeek), "Select the first week to copy to",
                           lastWeek, 1);
        if (first == 0)
            return {};
        last = p.pickWeek(d, std::max(first, lastWeek), "Select the last week to copy to", lastWeek,
                          1);
        if (last == 0)
            return {};
        if (last < first) {
            p.infoDlg("The last week cannot be smaller than the first week.");
            return {};
        }
        first = std::max(first, d.currentWeek);
    } else {
        if (week < d.currentWeek) {
            p.infoDlg("The weeks before the current week are protected.");
            return {};
        }
        const auto chosen = pickOfKind(
            d, p, "Select the timetables to copy the bookings of \"" + code + "\" to", false);
        clearMarks(d, 1, d.codeCount, AllMarks);
        if (!chosen)
            return {};
        for (const CodeId c : *chosen)
            if (c != master)
                targets.push_back(c);
        if (targets.empty())
            return {};
    }
    if (first > last) {
        p.infoDlg("The weeks before the current week are protected.");
        return {};
    }
    const int clear = p.yesNoCancelDlg("Clear the previous bookings from the target week(s)?");
    if (clear == Answer::Cancel)
        return {};
    const bool replace = clear == Answer::Yes;
    const bool wasModified = d.modified;
    d.modified = false;
    int copied = 0;
    if (item == 1)
        copied = copyBookingsToWeeks(d, master, week, first, last, replace);
    else
        for (const CodeId c : targets)
            copied += copyBookingsToCode(d, master, c, week, week, replace);
    const bool changed = d.modified;
    if (changed) {
        compactLectures(d);
        settleTotals(d);
    }
    d.modified = d.modified || wasModified;
    const std::string where =
        item == 1 ? (first == last
                         ? "week " + formatWeek(d, first, 3)
                         : fillIn("weeks {}-{}", formatWeek(d, first, 3), formatWeek(d, last, 3)))
                  : fillIn("{} timetable(s)", targets.size());
    const std::string message = fillIn("{} bookings copied to {}.", copied, where);
    p.infoDlg(message);
    if (changed)
        s.open(d, week);
    return {changed, message, TimetablesGoTo::Nowhere};
}

TimetableOutcome pasteSessionBookings(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                      const Clipboard &clipboard, bool allWeeks)
{
    const int week = s.week();
    const bool changed = pasteBookingsFromClipboard(d, p, clipboard, allWeeks ? 0 : week);
    if (changed)
        s.open(d, week);
    return {changed, {}, TimetablesGoTo::Nowhere};
}

} // namespace quivra
