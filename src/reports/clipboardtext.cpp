#include "reports/clipboardtext.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/textutil.h"
#include "reports/outputkit.h"

#include <algorithm>
#include <array>

namespace quivra {

// ----- the writer ------------------------------------------------------------------------------

void ClipWriter::cell(std::string_view text)
{
    m_text.append(text);
    m_text.push_back('\t');
}

void ClipWriter::number(long long n)
{
    cell(std::to_string(n));
}

void ClipWriter::endLine()
{
    if (!m_text.empty() && m_text.back() == '\t')
        m_text.pop_back();
    m_text.append("\r\n");
}

std::string ClipWriter::clipboardText(std::size_t limit) const
{
    if (m_text.size() <= limit)
        return m_text;
    std::size_t cut = 0;
    for (const std::size_t b : m_blocks)
        if (b <= limit)
            cut = std::max(cut, b);
    if (cut == 0) {
        const std::size_t lf = m_text.rfind('\n', limit - 1);
        cut = lf == std::string::npos ? 0 : lf + 1;
    }
    return m_text.substr(0, cut);
}

// ----- the target file -------------------------------------------------------------------------

std::string clipTargetExtension(ClipTargetType type)
{
    switch (type) {
    case ClipTargetType::Text:
        return ".txt";
    case ClipTargetType::Csv:
        return ".csv";
    case ClipTargetType::Htm:
        return ".htm";
    case ClipTargetType::Html:
        return ".html";
    case ClipTargetType::Clipboard:
        break;
    }
    return {};
}

std::string clipTargetContents(ClipTargetType type, std::string_view text, std::string_view charset)
{
    if (type == ClipTargetType::Text || type == ClipTargetType::Clipboard)
        return std::string(text);
    const std::vector<ClipLine> lines = readClipLines(text);
    std::string out;
    if (type == ClipTargetType::Csv) {
        for (const ClipLine &line : lines)
            out += csvRow(line);
        return out;
    }
    out = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    out += charset;
    out += "\"><title>Clipboard</title></head><body>\r\n<table border=0>\r\n";
    for (const ClipLine &line : lines) {
        out += "<tr>";
        for (const std::string &c : line) {
            // Escaping works byte by byte, so code-page text passes through it unchanged.
            out += "<td>";
            out += trim(c).empty() ? std::string("&nbsp;") : htmlEscape(c);
            out += "</td>";
        }
        out += "</tr>\r\n";
    }
    out += "</table></body></html>\r\n";
    return out;
}

std::string clipInfoText(std::size_t bytes, bool overflow, std::string_view targetFile,
                         std::size_t fileBytes)
{
    if (!targetFile.empty())
        return "Clipboard content (" + std::to_string(fileBytes) + " bytes) was copied to \"" +
               std::string(targetFile) + "\".";
    if (bytes <= 1)
        return "Clipboard is empty. Please recheck your selections.";
    std::string s = std::to_string(bytes) + " bytes (of max " + std::to_string(ClipboardLimit) +
                    " bytes) copied to the Clipboard.";
    if (overflow)
        s += "\r\n\r\nThe maximum size of the Clipboard was exceeded.\r\n\r\nUse a subset of "
             "this selection to fit all data to the Clipboard or select \"Options|Default "
             "Clipboard target\".";
    s += "\r\n\r\nSelect [OK] and then select \"Edit|Paste\" in your spreadsheet application (or "
         "\"Paste\" if you are using MS Office 10 Excel or newer) to view the Clipboard content.";
    return s;
}

// ----- the reader ------------------------------------------------------------------------------

std::vector<ClipLine> readClipLines(std::string_view text)
{
    std::vector<ClipLine> lines;
    ClipLine line;
    std::string cell;
    bool open = false; // something of the current line was read
    const auto endCell = [&] {
        line.push_back(std::move(cell));
        cell.clear();
    };
    const auto endLine = [&] {
        endCell();
        lines.push_back(std::move(line));
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\0')
            break;
        if (ch == '\t') {
            endCell();
            open = true;
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endLine();
        } else if (static_cast<unsigned char>(ch) >= 31) {
            if (cell.size() < ClipCellLimit)
                cell.push_back(ch);
            open = true;
        }
    }
    if (open)
        endLine();
    return lines;
}

int clipNumber(std::string_view cell, int fallback)
{
    std::string digits;
    for (const char ch : cell)
        if (ch != ' ')
            digits.push_back(ch);
    if (digits.empty())
        return fallback;
    std::size_t i = digits[0] == '-' || digits[0] == '+' ? 1 : 0;
    if (i == digits.size() || digits.size() > 10)
        return fallback;
    long long v = 0;
    for (; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return fallback;
        v = v * 10 + (digits[i] - '0');
    }
    if (digits[0] == '-')
        v = -v;
    return static_cast<int>(std::clamp<long long>(v, -2147483647LL, 2147483647LL));
}

// ----- the code lists' copies ------------------------------------------------------------------

namespace {

bool isMember(const MemberList &m, CodeId c)
{
    return positionInList(c, m) > 0;
}

// The codes of the other kind linked with c, in CodeId order (an event's resources, or the
// events whose collection holds a resource).
std::vector<CodeId> linkedInIdOrder(const ScheduleData &d, CodeId c)
{
    std::vector<CodeId> out;
    if (d.codes[c].isEvent()) {
        const MemberList m = collectionOf(d, c);
        for (int i = 1; i <= m[0]; ++i)
            out.push_back(m[static_cast<std::size_t>(i)]);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    } else {
        int cursor = d.collectionEntryCount + 1;
        while (const CodeId e = eventsOfResource(d, c, cursor))
            out.push_back(e);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    return out;
}

bool chosen(const std::vector<CodeId> &set, CodeId c)
{
    return std::binary_search(set.begin(), set.end(), c);
}

void writeFields(ClipWriter &w, const ScheduleData &d, CodeId c, int fields, WeekPeriods periods)
{
    const CodeRecord &r = d.codes[c];
    if (fields & ClipEmpty)
        w.empty();
    if (fields & ClipCode)
        w.cell(r.code.view());
    if (fields & ClipName)
        w.cell(r.name.view());
    if (fields & ClipCategory)
        w.number(categoryOf(d, c));
    if (fields & ClipPlanned)
        w.number(r.planned);
    if (fields & ClipAllocated)
        w.number(r.allocated);
    if (fields & ClipScheduled)
        w.number(r.scheduled);
    if (fields & ClipLinks)
        w.number(r.links);
    if (fields & ClipWeeks)
        for (const int n : clipWeekNumbers(d, c, periods, clipLastWeek(d)))
            w.number(n);
}

// The room text of a timetable lecture of event e: its first room resource in brackets, or the
// rooms given to it by hand at those bells ("-" for a bell without one).
std::string roomText(const ScheduleData &d, CodeId e, const MemberList &members, int week, int day,
                     int bell, int n)
{
    if (const CodeId room = memberOfCategory(d, d.roomsCategory, 1, members))
        return "[" + std::string(d.codes[room].code.view()) + "]";
    std::string rooms;
    for (int b = bell; b < bell + n; ++b) {
        const int k = findTriple(d, week, day, b, 0, 0, e);
        const CodeId room = k > 0 ? manualTriple(d, k).room : 0;
        if (!rooms.empty())
            rooms += ",";
        rooms += validCode(d, room) ? std::string(d.codes[room].code.view()) : "-";
    }
    return "[" + rooms + "]";
}

// The timetable rows of event e over the selected weeks: row k describes the k-th lecture that
// covers each week.
void timetableRows(ClipWriter &w, const ScheduleData &d, CodeId e, const std::vector<int> &weeks,
                   std::string_view dateFormat)
{
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const MemberList members = collectionOf(d, e);
    std::vector<std::vector<const LectureView *>> covering(weeks.size());
    std::size_t rows = 0;
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        for (const LectureView &v : wa.timetable)
            if (!isBookingWord(v.word) && v.startWeek <= weeks[i] && weeks[i] <= v.endWeek)
                covering[i].push_back(&v);
        rows = std::max(rows, covering[i].size());
    }
    const bool dated = weeksDated(d);
    for (std::size_t k = 0; k < rows; ++k) {
        w.cell(d.codes[e].code.view());
        for (std::size_t i = 0; i < weeks.size(); ++i) {
            if (k >= covering[i].size()) {
                w.empty();
                continue;
            }
            const LectureView &v = *covering[i][k];
            const int week = weeks[i];
            const int n = v.endBell - v.startBell + 1;
            std::string s;
            for (int day = v.startDay; day <= v.endDay; ++day) {
                if (dated && weekLength(d, week) == 1)
                    s += formatDateTime(dateFormat, weekDate(d, week) + day - 1) + " - " +
                         formatDayBell(d, day, v.startBell, n);
                else
                    s += formatBellRange(d, day, v.startBell, n, 3);
                s += " " + roomText(d, e, members, week, day, v.startBell, n) + "; ";
            }
            while (s.find("  ") != std::string::npos)
                s = replaceAll(s, "  ", " ");
            while (s.size() >= 2 && s.ends_with("; "))
                s.resize(s.size() - 2);
            while (!s.empty() && s.front() == ':')
                s.erase(0, 1);
            w.cell(s);
        }
        w.endLine();
    }
}

bool canTake(const ScheduleData &d, CodeId e, CodeId r)
{
    return d.codes[r].scheduled == 0 || d.codes[r].links == 0 || d.codes[e].scheduled == 0 ||
           canJoin(d, e, r, false, 1);
}

} // namespace

int clipLastWeek(const ScheduleData &d)
{
    return std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks);
}

std::vector<int> clipWeekNumbers(const ScheduleData &d, CodeId c, WeekPeriods periods, int last)
{
    std::vector<int> out(static_cast<std::size_t>(std::max(last, 0)), 0);
    if (!validCode(d, c))
        return out;
    const auto add = [&](CodeId e) {
        WeekAllocation wa;
        loadWeekAllocation(d, e, wa);
        for (int w = 1; w <= last; ++w) {
            const int a = wa.allocated[static_cast<std::size_t>(w)];
            const int s = wa.scheduled[static_cast<std::size_t>(w)];
            out[static_cast<std::size_t>(w - 1)] += periods == WeekPeriods::Allocated   ? a
                                                    : periods == WeekPeriods::Scheduled ? s
                                                                                        : a - s;
        }
    };
    if (d.codes[c].isEvent())
        add(c);
    else
        for (const CodeId e : linkedInIdOrder(d, c))
            add(e);
    return out;
}

std::string clipWeekLabel(const ScheduleData &d, int w, std::string_view dateFormat)
{
    if (!weeksDated(d))
        return formatWeek(d, w, 3 | 4);
    const std::int32_t first = weekDate(d, w);
    const std::int32_t last = weekDate(d, w + 1) - 8 + usedDays(d);
    return formatDateTime(dateFormat, first) + "..." + formatDateTime(dateFormat, last);
}

ClipWriter copyCodes(const ScheduleData &d, const CopyRequest &r)
{
    ClipWriter w;
    std::vector<CodeId> mainCodes;
    for (const CodeId c : r.main)
        if (validCode(d, c) && d.codes[c].isEvent() == r.events)
            mainCodes.push_back(c);
    std::sort(mainCodes.begin(), mainCodes.end());
    mainCodes.erase(std::unique(mainCodes.begin(), mainCodes.end()), mainCodes.end());
    std::vector<CodeId> other;
    for (const CodeId c : r.other)
        if (validCode(d, c) && d.codes[c].isEvent() != r.events)
            other.push_back(c);
    std::sort(other.begin(), other.end());
    other.erase(std::unique(other.begin(), other.end()), other.end());

    const int kind = r.kind;
    if (kind == CopyAllCodes) {
        for (int i = 1; i <= d.resourceList[0]; ++i)
            w.cell(d.codes[d.resourceList[static_cast<std::size_t>(i)]].code.view()), w.endLine();
        for (int i = 1; i <= d.eventList[0]; ++i)
            w.cell(d.codes[d.eventList[static_cast<std::size_t>(i)]].code.view()), w.endLine();
        return w;
    }

    // Headers written once, before the first block.
    std::vector<CodeId> columns; // "ALLOCATED by category" and the selection matrix
    if (kind == CopyPeriods && r.byCategory) {
        for (int i = 1; i <= d.resourceList[0] && columns.size() < 255; ++i) {
            const CodeId c = d.resourceList[static_cast<std::size_t>(i)];
            if (categoryOf(d, c) == r.sortingCategory)
                columns.push_back(c);
        }
        w.empty(), w.empty(), w.empty();
        for (const CodeId c : columns)
            w.cell(d.codes[c].code.view());
        w.endLine();
    }
    if (kind == CopySelectionMatrix) {
        columns = other;
        w.empty();
        for (const CodeId c : columns)
            w.cell(d.codes[c].code.view());
        w.endLine();
    }
    if (kind == CopyEventTimetables) {
        w.empty();
        for (const int week : r.weeks)
            w.cell(clipWeekLabel(d, week, r.dateFormat));
        w.endLine();
    }

    const bool ownLines = kind == CopyResourceTimetables || kind == CopyEventTimetables;
    for (const CodeId c : mainCodes) {
        w.beginBlock();
        if (!ownLines && kind != CopyCodesAndLinks)
            w.cell(d.codes[c].code.view());
        const CodeRecord &rec = d.codes[c];
        switch (kind) {
        case CopyCodesAndLinks:
            writeFields(w, d, c, r.fields, r.periods);
            w.endLine();
            for (const CodeId l : linkedInIdOrder(d, c)) {
                w.empty();
                writeFields(w, d, l, r.fields, r.periods);
                w.endLine();
            }
            break;
        case CopyNamesAndCategories:
            writeFields(w, d, c, ClipName | ClipCategory | (r.events ? ClipPlanned : 0), r.periods);
            break;
        case CopyPeriods:
            if (r.byCategory) {
                writeFields(w, d, c, ClipName | ClipAllocated, r.periods);
                std::vector<long long> sums(columns.size(), 0);
                int cursor = d.collectionEntryCount + 1;
                while (const CodeId e = eventsOfResource(d, c, cursor)) {
                    const MemberList m = collectionOf(d, e);
                    const CodeId first = memberOfCategory(d, r.sortingCategory, 1, m);
                    const auto at = std::find(columns.begin(), columns.end(), first);
                    if (first != 0 && at != columns.end())
                        sums[static_cast<std::size_t>(at - columns.begin())] +=
                            d.codes[e].allocated;
                }
                for (const long long s : sums)
                    w.number(s);
                break;
            }
            writeFields(w, d, c, ClipPlanned | ClipAllocated | ClipScheduled | ClipLinks,
                        r.periods);
            if (r.categoryCounts) {
                std::array<int, MaxCategories + 1> counts{};
                for (const CodeId l : linkedInIdOrder(d, c))
                    ++counts[static_cast<std::size_t>(std::clamp(categoryOf(d, l), 1, 7))];
                for (int k = 1; k <= MaxCategories; ++k)
                    w.number(counts[static_cast<std::size_t>(k)]);
            }
            break;
        case CopyLinks:
            if (r.events) {
                const MemberList m = collectionOf(d, c);
                for (int i = 1; i <= m[0]; ++i)
                    if (chosen(other, m[static_cast<std::size_t>(i)]))
                        w.cell(d.codes[m[static_cast<std::size_t>(i)]].code.view());
            } else {
                for (const CodeId l : linkedInIdOrder(d, c))
                    if (chosen(other, l))
                        w.cell(d.codes[l].code.view());
            }
            break;
        case CopyPeriodsInWeeks:
            writeFields(w, d, c, ClipWeeks, r.periods);
            break;
        case CopyAddableResources:
        case CopyAddableEvents: {
            int n = 0;
            const auto &list = kind == CopyAddableResources ? d.resourceList : d.eventList;
            const MemberList m = r.events ? collectionOf(d, c) : MemberList{};
            for (int i = 1; i <= list[0] && n < 254; ++i) {
                const CodeId x = list[static_cast<std::size_t>(i)];
                if (!chosen(other, x))
                    continue;
                const CodeId e = r.events ? c : x;
                const CodeId res = r.events ? x : c;
                if (r.events ? isMember(m, x) : isMember(collectionOf(d, x), c))
                    continue;
                if (canTake(d, e, res))
                    w.cell(d.codes[x].code.view()), ++n;
            }
            break;
        }
        case CopyLinkedPeriods:
        case CopyLinkedPeriodsInWeeks: {
            const bool inWeeks = kind == CopyLinkedPeriodsInWeeks;
            const int numbers = inWeeks ? ClipPlanned | ClipWeeks
                                        : ClipPlanned | ClipAllocated | ClipScheduled | ClipLinks;
            w.cell(rec.name.view());
            w.empty();
            writeFields(w, d, c, ClipCategory | numbers, r.periods);
            w.endLine();
            for (const CodeId l : linkedInIdOrder(d, c)) {
                if (!chosen(other, l))
                    continue;
                writeFields(w, d, l, ClipEmpty | ClipCode | ClipName | ClipCategory | numbers,
                            r.periods);
                if (!inWeeks && d.codes[l].isEvent() && weeksDated(d)) {
                    const DateRange range = codeDateRange(d, l);
                    if (range.valid)
                        w.cell(formatDateTime(r.dateFormat, range.first)),
                            w.cell(formatDateTime(r.dateFormat, range.last));
                }
                w.endLine();
            }
            break;
        }
        case CopyResourceTimetables: {
            w.cell(formatCode(d, c, ShowCodeAndName));
            for (const int week : r.weeks)
                w.cell(clipWeekLabel(d, week, r.dateFormat));
            w.endLine();
            for (int i = 1; i <= d.eventList[0]; ++i) {
                const CodeId e = d.eventList[static_cast<std::size_t>(i)];
                if (isMember(collectionOf(d, e), c))
                    timetableRows(w, d, e, r.weeks, r.dateFormat);
            }
            break;
        }
        case CopyEventTimetables:
            timetableRows(w, d, c, r.weeks, r.dateFormat);
            break;
        case CopySelectionMatrix:
            for (const CodeId x : columns) {
                const CodeId e = r.events ? c : x;
                const CodeId res = r.events ? x : c;
                if (isMember(collectionOf(d, e), res))
                    w.number(d.codes[e].allocated);
                else if (canJoin(d, e, res, false, 1))
                    w.cell("0");
                else
                    w.empty();
            }
            break;
        default:
            break;
        }
        if (!ownLines)
            w.endLine();
    }
    return w;
}

} // namespace quivra
