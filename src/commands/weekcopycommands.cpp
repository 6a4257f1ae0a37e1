#include "commands/weekcopycommands.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/recount.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "engine/totals.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {
namespace {

const std::string Blank = std::string(LineBreak) + LineBreak;

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string weekName(const ScheduleData &d, int w)
{
    return formatWeek(d, w, 3);
}

std::vector<CodeId> allEvents(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= std::min<int>(d.eventList[0], MaxCodes); ++i)
        if (validCode(d, d.eventList[static_cast<std::size_t>(i)]))
            out.push_back(d.eventList[static_cast<std::size_t>(i)]);
    return out;
}

// The link marks an engine operation over marked codes reads: exactly the chosen codes.
void markOnly(ScheduleData &d, const std::vector<CodeId> &codes)
{
    clearMarks(d, 1, d.codeCount, LinkMarksMask);
    for (const CodeId c : codes)
        setMarks(d, c, c, AllMarks);
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

// The cells of week w an event's periods occupy, by day and bell.
using WeekCells = std::bitset<(MaxDays + 1) * (MaxBells + 1)>;
WeekCells placedCells(const ScheduleData &d, const WeekAllocation &wa, int w)
{
    WeekCells cells;
    for (const LectureView &v : wa.timetable) {
        if (isBookingWord(v.word) || v.startDay == 0 || v.startWeek > w || v.endWeek < w)
            continue;
        for (int day = v.startDay; day <= std::min<int>(v.endDay, usedDays(d)); ++day)
            for (int bell = v.startBell; bell <= std::min<int>(v.endBell, usedBells(d)); ++bell)
                cells.set(static_cast<std::size_t>(day * (MaxBells + 1) + bell));
    }
    return cells;
}

std::string dayList(const ScheduleData &d)
{
    std::string items;
    for (int day = 1; day <= usedDays(d); ++day)
        items += formatDayBell(d, day, 0, 0) + "$";
    return items;
}

} // namespace

void copyWeekToMemory(ScheduleData &d, Prompter &p, WeeksState &s, int w)
{
    if (w < 1 || w > usedWeeks(d))
        return;
    copyWeek(d, w, CodeScope::All, s.copiedWeek);
    s.copiedWeekCodes.clear();
    for (const WeekClipboard::Entry &e : s.copiedWeek.entries)
        s.copiedWeekCodes.emplace_back(d.codes[e.word & d.lectureCodeMask].code.view());
    const std::string name = weekName(d, w);
    p.infoDlg("You have stored the contents of week " + name +
              " to memory. Click next the grid on the week where it is going to be copied to." +
              Blank + "1) To copy all contents from week " + name +
              " to the target week, select \"Edit|Paste week\"." + LineBreak +
              "2) To copy only selected contents (timetables or bookings) from week " + name +
              " to the target week(s), select \"Edit|Paste week Special...\".");
}

bool copiedWeekValid(const ScheduleData &d, const WeeksState &s)
{
    if (s.copiedWeek.week < 1 || s.copiedWeek.week > usedWeeks(d) ||
        s.copiedWeekCodes.size() != s.copiedWeek.entries.size())
        return false;
    for (std::size_t i = 0; i < s.copiedWeek.entries.size(); ++i) {
        const int c = s.copiedWeek.entries[i].word & d.lectureCodeMask;
        if (!validCode(d, c) ||
            d.codes[static_cast<std::size_t>(c)].code.view() != s.copiedWeekCodes[i])
            return false;
    }
    return true;
}

namespace {

// The paste commands' common refusal: nothing copied, or copied codes renumbered since.
bool copyUsable(const ScheduleData &d, Prompter &p, const WeeksState &s)
{
    if (s.copiedWeek.week == 0) {
        p.infoDlg("Select \"Edit|Copy week\" on the week you want to copy first.");
        return false;
    }
    if (!copiedWeekValid(d, s)) {
        p.warnDlg("The events or resources have changed since the week was copied. Select "
                  "\"Edit|Copy week\" again.");
        return false;
    }
    return true;
}

} // namespace

bool pasteWeekFromMemory(ScheduleData &d, Prompter &p, const WeeksState &s, int w)
{
    if (w < 1 || w > usedWeeks(d) || !copyUsable(d, p, s))
        return false;
    if (w < d.currentWeek) {
        p.warnDlg("This week is protected. Select \"Edit|Protect first weeks\" to remove "
                  "protection.");
        return false;
    }
    const auto chosen =
        pickOfKind(d, p,
                   "Select the events you want to copy from week (" +
                       weekName(d, s.copiedWeek.week) + ") to week (" + weekName(d, w) + ")",
                   true, allEvents(d));
    if (!chosen || chosen->empty())
        return false;
    markOnly(d, *chosen);
    const int pasted = pasteWeek(d, w, CodeScope::Marked, s.copiedWeek);
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    (void)pasted;
    return true;
}

bool pasteWeekSpecial(ScheduleData &d, Prompter &p, const WeeksState &s, int w, PasteSpecial item)
{
    if (w < 1 || w > usedWeeks(d) || !copyUsable(d, p, s))
        return false;
    const int source = s.copiedWeek.week;
    const bool later =
        item == PasteSpecial::TimetablesToLaterWeeks || item == PasteSpecial::BookingsToLaterWeeks;
    const int last = later ? usedWeeks(d) : w;
    if (w < d.currentWeek) {
        p.warnDlg("This week is protected. Select \"Edit|Protect first weeks\" to remove "
                  "protection.");
        return false;
    }
    bool changed = false;
    if (item == PasteSpecial::TimetablesToWeek || item == PasteSpecial::TimetablesToLaterWeeks) {
        if (!weekHasPlacements(d, source)) {
            p.infoDlg("The source week (" + weekName(d, source) +
                      ") does not contain any scheduled periods.");
            return false;
        }
        bool allocated = false;
        WeekAllocation wa;
        const LectureIndex index(d);
        for (const CodeId e : allEvents(d)) {
            loadWeekAllocation(d, e, wa, index);
            for (int x = w; x <= last && !allocated; ++x)
                allocated = x != source && wa.allocated[static_cast<std::size_t>(x)] > 0;
        }
        if (!allocated) {
            p.infoDlg("The destination week(s) do not contain allocated periods.");
            return false;
        }
        const auto chosen =
            pickOfKind(d, p,
                       "Select the events you want to copy from week (" + weekName(d, source) +
                           ") to week (" + weekName(d, w) + ")",
                       true, allEvents(d));
        if (!chosen || chosen->empty())
            return false;
        const int clear = p.yesNoCancelDlg(
            "Clear previously scheduled periods from the target week(s) before copying?");
        if (clear == Answer::Cancel)
            return false;
        const int adjust =
            p.yesNoCancelDlg("Do you allow to adjust the allocated periods of the target week(s)?");
        if (adjust == Answer::Cancel)
            return false;
        WeekCopyOptions options;
        options.replace = clear == Answer::Yes;
        options.ignoreAllocation = adjust == Answer::Yes;
        int copied = 0;
        for (const CodeId e : *chosen) {
            if (isLockedCode(d, e))
                continue;
            loadWeekAllocation(d, e, wa);
            copied += copyWeekTimetable(d, wa, source, w, last, options);
        }
        p.infoDlg(std::to_string(copied) + " periods scheduled to target weeks." + Blank);
        changed = copied > 0 || options.replace;
    } else if (item == PasteSpecial::BookingsToWeek || item == PasteSpecial::BookingsToLaterWeeks) {
        const auto chosen = pickOfKind(d, p,
                                       "Select the timetables of bookings you want to copy from "
                                       "week (" +
                                           weekName(d, source) + ") to target week(s)",
                                       false);
        if (!chosen || chosen->empty())
            return false;
        const int clear = p.yesNoCancelDlg("Clear the previous bookings from the target week(s)?");
        if (clear == Answer::Cancel)
            return false;
        int copied = 0;
        for (const CodeId c : *chosen)
            copied += copyBookingsToWeeks(d, c, source, w, last, clear == Answer::Yes);
        compactLectures(d);
        p.infoDlg(std::to_string(copied) + " bookings copied to timetables." + Blank);
        changed = copied > 0 || clear == Answer::Yes;
    } else {
        const std::string days = dayList(d);
        const int from = p.choice(
            std::string(LineBreak) + "Select the day of week to copy schedules from:", 0, 1, days);
        if (from == 0)
            return false;
        const int to = p.choice("Select the day of week to copy schedules from " +
                                    quoted(formatDayBell(d, from, 0, 0)) + " to:",
                                0, from, days);
        if (to == 0)
            return false;
        changed = copyDay(d, source, from, w, to, CodeScope::All) > 0;
    }
    if (changed) {
        recount(d);
        totals(d, 1, d.codeCount);
        allResourceTotals(d);
    }
    return changed;
}

bool copyTimetableToLaterWeeks(ScheduleData &d, Prompter &p, CodeId e, int w)
{
    if (!validCode(d, e) || !isEventCode(d, e) || w < 1 || w > usedWeeks(d))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    int last = 0;
    bool placedLater = false;
    for (int x = w + 1; x < WeekTableSize; ++x) {
        if (wa.allocated[static_cast<std::size_t>(x)] > 0)
            last = x;
    }
    for (int x = w + 1; x <= last; ++x)
        placedLater = placedLater || wa.scheduled[static_cast<std::size_t>(x)] > 0;
    const std::string code(d.codes[e].code.view());
    if (last == 0 || wa.scheduled[static_cast<std::size_t>(w)] == 0) {
        p.infoDlg("None of the scheduled periods of the event " + quoted(code) +
                  " could be copied.");
        return false;
    }
    const std::string range = weekName(d, w + 1) + "-" + weekName(d, last);
    WeekCopyOptions options;
    options.replace = true;
    if (placedLater) {
        const int answer = p.yesNoCancelDlg("Do you first want to unschedule " + quoted(code) +
                                            LineBreak + "from the week range " + range + " ?");
        if (answer == Answer::Cancel)
            return false;
        options.replace = answer == Answer::Yes;
    }
    const int copied = copyWeekTimetable(d, wa, w, w + 1, last, options);
    if (copied == 0) {
        p.infoDlg("None of the scheduled periods of the event " + quoted(code) +
                  " could be copied.");
        return options.replace && placedLater;
    }
    totals(d, e, e);
    p.infoDlg(std::to_string(copied) + " scheduled periods of event " + quoted(code) +
              " were copied to " + range + ".");
    return true;
}

CodeId compareWeeks(const ScheduleData &d, Prompter &p, int w)
{
    if (w < 1 || w > usedWeeks(d))
        return 0;
    const int other = p.pickWeek(d, w == 1 ? std::min(2, usedWeeks(d)) : w - 1,
                                 std::string(LineBreak) + "Select the week to compare " +
                                     quoted(weekName(d, w)) + " with:",
                                 usedWeeks(d), 1);
    if (other == 0)
        return 0;
    std::vector<std::string> lines;
    std::vector<CodeId> listed;
    WeekAllocation wa;
    const LectureIndex index(d);
    int row = 0;
    for (const CodeId e : allEvents(d)) {
        ++row;
        loadWeekAllocation(d, e, wa, index);
        const int weekDiff = wa.allocated[static_cast<std::size_t>(w)] -
                             wa.allocated[static_cast<std::size_t>(other)];
        const auto cells = placedCells(d, wa, w) ^ placedCells(d, wa, other);
        if (weekDiff == 0 && cells.none())
            continue;
        lines.push_back(std::to_string(row) + ": [W=" + std::to_string(weekDiff) + "h,T=" +
                        std::to_string(cells.count()) + "h] " + formatCode(d, e, ShowCodeAndName));
        listed.push_back(e);
    }
    if (lines.empty()) {
        p.infoDlg("No differences between weeks " + quoted(weekName(d, w)) + " and " +
                  quoted(weekName(d, other)) + ".");
        return 0;
    }
    const int picked =
        p.selectLine("Differences between weeks " + quoted(weekName(d, w)) + " and " +
                         quoted(weekName(d, other)),
                     std::string(LineBreak) + std::to_string(lines.size()) +
                         " events with differences" + LineBreak + "(W=weeks,T=timetables)",
                     lines);
    return picked > 0 ? listed[static_cast<std::size_t>(picked - 1)] : 0;
}

} // namespace quivra
