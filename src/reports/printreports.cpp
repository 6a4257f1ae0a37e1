#include "reports/printreports.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/textutil.h"
#include "engine/weekstore.h"
#include "reports/outputkit.h"
#include "reports/weekfigures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace quivra {

namespace {

constexpr const char *ProgramTitle = "Quivra Scheduling Software";

template <typename T> std::size_t at(T i)
{
    return static_cast<std::size_t>(i);
}

// Field columns of the code lists in their order: the bit of "Show fields" and the word of the
// vocabulary that heads them.
enum Column : int {
    ColNumber,
    ColCode,
    ColName,
    ColCategory,
    ColPlanned,
    ColAllocated,
    ColScheduled,
    ColLinks,
    ColumnCount
};
constexpr int ColumnBits[ColumnCount] = {FieldNumber,    FieldCode,    FieldName,
                                         FieldCategory,  FieldPlanned, FieldAllocated,
                                         FieldScheduled, FieldLinks};

// One cell of a printed line: a positive width right-aligns the text, a negative one
// left-aligns it; framed lines centre it.
struct Cell
{
    std::string text;
    int width = 0;
};

// One line of a timetable cell.
struct CellLine
{
    std::string text;
    bool wrap = false;
};

// The byte offsets at which UTF-8 characters start, and the end.
std::vector<std::size_t> characterStarts(std::string_view s)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

class Printer
{
public:
    Printer(const ScheduleData &d, const ReportParams &p, const PrintOptions &o,
            PrintSurface &surface, Progress &progress)
        : m_d(d), m_p(p), m_o(o), m_s(surface), m_progress(progress), m_index(d)
    {
        clampReportParams(m_p);
    }

    PrintResult run();

private:
    // Texts.
    std::string text(std::string_view dataBytes) const
    {
        return dataToUtf8(trimRight(dataBytes), m_o.dataCodePage);
    }
    std::string code(CodeId c) const { return text(m_d.codes[c].code.view()); }
    std::string name(CodeId c) const
    {
        return replaceAll(replaceAll(text(m_d.codes[c].name.view()), "\r", ""), "\n", " ");
    }
    std::string label(CodeId c, int format) const;
    std::string word(int k) const
    {
        return text(listItem(m_d.vocabulary.empty() ? DefaultVocabulary : m_d.vocabulary, k));
    }
    std::string weekName(int w) const;
    std::string weekLabel(int w) const;
    std::string columnWeekLabel(int w) const;
    std::string dayName(int day) const;
    std::string bellName(int bell) const;
    std::string bookingName(int kind) const
    {
        return text(listItem(m_d.bookingKinds.view(), kind));
    }
    std::string slotText(CellWord cell) const;
    std::string reportHeading() const;
    std::string today() const;

    // Counts.
    const WeekFigures::Counts &counts(CodeId c) { return m_figures.counts(c); }
    const std::vector<CodeId> &eventsOf(CodeId r) { return m_figures.eventsOf(r); }
    std::vector<CodeId> linkedCodes(CodeId c);
    std::vector<int> weekSums(CodeId c)
    {
        return m_figures.weekSums(c, m_first, m_last, m_p.weekOptions);
    }

    // Page mechanics.
    bool live() const { return !m_aborted && m_page >= m_o.firstPage && m_page <= m_o.lastPage; }
    // True once nothing more is to be drawn: stopped, or past the last page of the range.
    bool stopped();
    void newPage();
    bool full() const { return m_y + 2 * m_L > m_H; }
    void font(int style)
    {
        m_s.setFontStyle(style);
        m_style = style;
    }
    int width(std::string_view s) const { return m_s.textWidth(s); }
    void drawText(const PrintRect &clip, int x, int top, std::string_view s)
    {
        if (live() && !s.empty())
            m_s.drawText(clip, x, top, s);
    }
    void drawRect(const PrintRect &r)
    {
        if (live())
            m_s.drawRect(r);
    }
    void drawLine(int x1, int y1, int x2, int y2, PenStyle pen)
    {
        if (live())
            m_s.drawLine(x1, y1, x2, y2, pen);
    }
    // Mode 255 left, 0 centred, 1 right; y does not move.
    void alignText(const std::string &s, int mode);
    void plainLine(const std::vector<Cell> &cells);
    void framedLine(const std::vector<Cell> &cells);
    // Text at a keypad position (1..9) of a rectangle.
    void placeText(const PrintRect &r, const std::string &s, int position);
    void header();

    // Code lists.
    void measureColumns(bool selectedOnly);
    bool shown(int column) const { return (m_p.showFields & ColumnBits[column]) != 0; }
    void codesSubHeader(int firstWeek, int lastWeek, bool withNameToLinks);
    std::vector<Cell> fieldCells(CodeId c, const std::string &number, bool withNameToLinks);
    std::vector<Cell> weekCells(CodeId c, int firstWeek, int lastWeek, int columnWidth);
    int bandEnd(int firstWeek, bool withNameToLinks) const;
    void printCodes();
    void printCoursesByComps();
    void weekGrid(CodeId x, const std::vector<CodeId> &linked);
    void printCoursesByCompsTT();

    // Timetables.
    std::vector<CellLine> eventLines(CodeId r, CodeId e, int w, int day, int bell, int run,
                                     int format, int &resourceLines, int &manualRooms,
                                     int &commentLines);
    int cellResourceCount(CodeId r, CodeId e, int format) const;
    // The running number of the event's period in a slot: its periods of the weeks before and
    // those of this week before the slot, counted from 1.
    int periodNumber(CodeId e, int w, int day, int bell);
    std::vector<std::string> wrap(const std::string &s, int room) const;
    // Draws a line list into a cell from `offset` below its top; returns the offset after the
    // last line and counts an unfit cell.
    int drawLines(const PrintRect &r, const std::vector<CellLine> &lines, int offset,
                  bool firstBold);
    void frame(const PrintRect &r);
    void printTimeTables();
    void timetable(CodeId r, int w);
    void printMatrixTables();
    void printCompactTables();
    void printAllCourses();

    const ScheduleData &m_d;
    ReportParams m_p;
    const PrintOptions &m_o;
    PrintSurface &m_s;
    Progress &m_progress;
    LectureIndex m_index;
    WeekFigures m_figures{m_d, m_index};
    PrintResult m_result;
    std::vector<CodeId> m_codes;
    int m_first = 1, m_last = 1;
    WeekTimetable m_table;

    // PrintState.
    int m_y = 0, m_L = 1, m_C = 1, m_W = 1, m_H = 1, m_X = 1, m_pad = 1;
    int m_page = 0, m_drawn = 0;
    int m_minRows = 3, m_maxRows = 10;
    int m_style = 0;
    bool m_aborted = false;
    std::string m_runText; // what the abort box says above the page number
    // The slots of an event's periods in a week, in day and bell order (day << 8 | bell).
    std::map<std::pair<CodeId, int>, std::vector<int>> m_periodSlots;
    std::array<int, ColumnCount> m_widths{};
    int m_weekWidth = 1;
};

// ---- Texts ----

std::string Printer::label(CodeId c, int format) const
{
    switch (format) {
    case 2:
        return m_d.codes[c].name.empty() ? code(c) : name(c);
    case 3:
        return code(c) + " " + name(c);
    default:
        return code(c);
    }
}

std::string Printer::weekName(int w) const
{
    const std::string n = text(trim(m_d.weeks[at(w)].name.view()));
    return n.empty() ? std::to_string(w) : n;
}

std::string Printer::weekLabel(int w) const
{
    if (!weeksDated(m_d) || m_p.weekFormat < 2)
        return weekName(w);
    const std::int32_t first = weekDate(m_d, w);
    const std::int32_t last = first + 7 * weekLength(m_d, w) - 1;
    const std::string dates =
        formatDateTime("ddddd", first) + "..." + formatDateTime("ddddd", last);
    return m_p.weekFormat == 2 ? dates : weekName(w) + ": " + dates;
}

// The label of a week column: its first date when the labels show dates, else its name.
std::string Printer::columnWeekLabel(int w) const
{
    if (m_p.weekFormat == 0)
        return std::to_string(w);
    if (weeksDated(m_d) && (m_p.weekFormat == 2 || (m_p.weekOptions & WeekDatesInLabels)))
        return formatDateTime("ddddd", weekDate(m_d, w));
    return weekName(w);
}

std::string Printer::dayName(int day) const
{
    const std::string n = text(listItem(m_d.dayNames, day));
    return n.empty() ? std::to_string(day) : n;
}

std::string Printer::bellName(int bell) const
{
    const std::string n = text(trim(m_d.bellNames[at(bell)].view()));
    return n.empty() ? std::to_string(bell) : n;
}

std::string Printer::slotText(CellWord cell) const
{
    if (cell == 0)
        return {};
    if (isBookingCell(cell)) {
        const int kind = std::clamp(cellKind(cell), 1, 3);
        const std::string n = bookingName((cell & CellEventBit) ? kind : kind + 3);
        return n.empty() ? bookingName(kind) : n;
    }
    return code(cellCode(m_d, cell));
}

std::string Printer::reportHeading() const
{
    std::string title = text(m_d.reportTitles[at(m_p.report)]);
    if (title.empty())
        title = reportTitle(m_p.report);
    if (m_p.report == 4 || m_p.report == 6)
        title += " (" + std::to_string(m_p.variant()) + ")";
    return title;
}

std::string Printer::today() const
{
    return formatDateTime(m_o.dateFormat.empty() ? "ddddd" : m_o.dateFormat, localSerial(m_o.now));
}

// ---- Counts ----

// The codes linked with c: an event's resources, a resource's events, in table order.
std::vector<CodeId> Printer::linkedCodes(CodeId c)
{
    if (!isEventCode(m_d, c))
        return eventsOf(c);
    std::vector<CodeId> linked;
    const MemberList members = collectionOf(m_d, c);
    for (int k = 1; k <= members[0]; ++k)
        if (validCode(m_d, members[at(k)]))
            linked.push_back(members[at(k)]);
    std::sort(linked.begin(), linked.end());
    linked.erase(std::unique(linked.begin(), linked.end()), linked.end());
    return linked;
}

// ---- Page mechanics ----

bool Printer::stopped()
{
    if (!m_aborted && m_progress.stopRequested())
        m_aborted = true;
    return m_aborted || m_page > m_o.lastPage;
}

void Printer::newPage()
{
    if (m_aborted || m_y <= 0)
        return;
    ++m_page;
    m_y = 0;
    if (live()) {
        if (m_drawn > 0)
            m_s.newPage();
        ++m_drawn;
    }
    m_progress.status(m_runText + "\nPage " + std::to_string(m_page));
    font(FontPlain);
}

void Printer::alignText(const std::string &s, int mode)
{
    const int w = width(s);
    int x = m_X;
    if (mode == 0)
        x = std::max(0, (m_W - w) / 2);
    else if (mode == 1)
        x = std::max(0, m_W - m_X - w);
    drawText({0, m_y, m_W, m_y + m_L}, x, m_y, s);
}

void Printer::plainLine(const std::vector<Cell> &cells)
{
    int x = 1;
    for (const Cell &c : cells) {
        const int w = std::abs(c.width);
        const PrintRect r{x, m_y, x + w, m_y + m_L};
        if (c.width > 0)
            drawText(r, x + w - m_pad - width(c.text), m_y + 1, c.text);
        else
            drawText(r, x + m_pad, m_y + 1, c.text);
        x += w;
    }
    m_y += m_L;
}

void Printer::framedLine(const std::vector<Cell> &cells)
{
    int x = 1;
    for (const Cell &c : cells) {
        const int w = std::abs(c.width);
        const PrintRect r{x, m_y, x + w, m_y + m_L + 2 * m_pad};
        drawRect(r);
        placeText(r, c.text, 5);
        x += w;
    }
    m_y += m_L + 2 * m_pad;
}

void Printer::placeText(const PrintRect &r, const std::string &s, int position)
{
    if (s.empty())
        return;
    const int w = width(s);
    const int column = (position - 1) % 3, row = (position - 1) / 3;
    int x = r.left + m_pad;
    if (column == 1)
        x = r.left + std::max(0, (r.width() - w) / 2);
    else if (column == 2)
        x = r.right - m_pad - w;
    int top = r.top + m_pad;
    if (row == 1)
        top = r.top + std::max(0, (r.height() - m_L) / 2);
    else if (row == 2)
        top = r.bottom - m_pad - m_L;
    drawText(r, std::max(x, r.left), std::max(top, r.top), s);
}

void Printer::header()
{
    const std::string customer = text(trim(m_d.header.fileComment.view()));
    const std::string department = trim(m_o.department);
    const std::string comment = trim(m_o.comment);
    std::string when = today();
    if (m_p.miscOptions & MiscTimeWithDate)
        when += "  " + formatDateTime("hh:mm", localSerial(m_o.now), localMinutes(m_o.now));
    const int top = m_y;
    if (m_p.threeLineHeaders) {
        m_y += m_L / 2;
        font(FontBold | FontItalic);
        alignText(customer, 255);
        font(FontPlain);
        alignText("- " + std::to_string(m_page) + " -", 1);
        m_y += m_L;
        const bool withComment =
            !comment.empty() && ((m_p.miscOptions & MiscShowComment) || !department.empty());
        if (withComment || !department.empty()) {
            if (department.empty()) {
                alignText(comment, 255);
            } else {
                alignText(department, 255);
                if (withComment)
                    alignText(comment, 1);
            }
            m_y += m_L;
        }
        alignText(reportHeading(), 255);
        alignText(when, 1);
        m_y += m_L;
        alignText(m_o.dataFileName + " (" + ProgramTitle + ")", 255);
        m_y += m_L + m_L / 2;
        drawRect({1, top, m_W - 1, m_y});
        m_y += m_L;
        return;
    }
    if (!m_o.logo.empty() && m_p.logoSpace > 0) {
        if (live())
            m_s.drawPicture({m_X, m_y, m_W - m_X, m_y + m_p.logoSpace * m_L}, m_o.logo);
        m_y += m_p.logoSpace * m_L;
    }
    font(FontItalic);
    alignText(reportHeading(), 255);
    alignText("[ -" + std::to_string(m_page) + "- ] " + when, 1);
    font(FontPlain);
    m_y += m_L;
    alignText(customer, 255);
    alignText(m_o.dataFileName, 1);
    m_y += m_L;
    if (!department.empty()) {
        alignText(department, 255);
        m_y += m_L;
    }
    drawLine(m_X, m_y + m_L / 4, m_W - m_X, m_y + m_L / 4, PenStyle::Solid);
    m_y += m_L;
}

// ---- Code lists ----

void Printer::measureColumns(bool selectedOnly)
{
    const int z = width("Z");
    auto wider = [&](int column, int w) {
        m_widths[at(column)] = std::max(m_widths[at(column)], w);
    };
    // Headings are printed in bold.
    font(FontBold);
    for (int k = 0; k < ColumnCount; ++k)
        m_widths[at(k)] = width(word(k + 3)) + z;
    font(FontPlain);
    wider(ColNumber, width("9999"));
    for (const int k : {ColCode, ColName, ColPlanned, ColAllocated, ColScheduled, ColLinks})
        wider(k, width("99999"));
    wider(ColCategory, width("ZZ"));
    std::set<CodeId> selected(m_codes.begin(), m_codes.end());
    for (int c = 1; c <= m_d.codeCount; ++c) {
        const auto id = static_cast<CodeId>(c);
        if (selectedOnly && !selected.contains(id))
            continue;
        wider(ColCode, width(code(id)) + z);
        wider(ColName, width(name(id)) + z);
    }
    // A name of 200 characters would leave no room for anything else.
    m_widths[ColName] = std::min(m_widths[ColName], m_W / 3);
    m_widths[ColCode] = std::min(m_widths[ColCode], m_W / 4);
    if (weeksDated(m_d))
        m_weekWidth = width(formatDateTime("ddddd", weekDate(m_d, 1))) + z;
    else
        m_weekWidth = 6 * z;
}

int Printer::bandEnd(int firstWeek, bool withNameToLinks) const
{
    int used = m_widths[ColNumber] + m_widths[ColCode];
    if (withNameToLinks)
        for (int k = ColName; k < ColumnCount; ++k)
            used += shown(k) ? m_widths[at(k)] : 0;
    int last = firstWeek;
    used += m_weekWidth; // every band takes at least one week
    while (last < m_last && used + m_weekWidth < m_W) {
        used += m_weekWidth;
        ++last;
    }
    return last;
}

void Printer::codesSubHeader(int firstWeek, int lastWeek, bool withNameToLinks)
{
    font(FontBold);
    std::vector<Cell> cells{{word(3), m_widths[ColNumber]}, {word(4), -m_widths[ColCode]}};
    std::vector<Cell> second{{"", m_widths[ColNumber]}, {"", -m_widths[ColCode]}};
    if (withNameToLinks)
        for (int k = ColName; k < ColumnCount; ++k) {
            if (!shown(k))
                continue;
            const int w = k == ColName ? -m_widths[at(k)] : m_widths[at(k)];
            cells.push_back({word(k + 3), w});
            second.push_back({"", w});
        }
    for (int w = firstWeek; w <= lastWeek && firstWeek > 0; ++w) {
        cells.push_back({columnWeekLabel(w), m_weekWidth});
        second.push_back({std::to_string(weekLength(m_d, w)) + "x", m_weekWidth});
    }
    plainLine(cells);
    if (firstWeek > 0)
        plainLine(second);
    font(FontPlain);
}

std::vector<Cell> Printer::fieldCells(CodeId c, const std::string &number, bool withNameToLinks)
{
    const CodeRecord &r = m_d.codes[c];
    std::vector<Cell> cells{{number, m_widths[ColNumber]}, {code(c), -m_widths[ColCode]}};
    if (!withNameToLinks)
        return cells;
    int allocated = r.allocated, scheduled = r.scheduled;
    if (m_p.miscOptions & MiscSelectedWeeksTotals) {
        const WeekFigures::Counts &n = counts(c);
        allocated = scheduled = 0;
        for (int w = m_first; w <= m_last; ++w) {
            allocated += n.allocated[at(w)];
            scheduled += n.scheduled[at(w)];
        }
    }
    for (int k = ColName; k < ColumnCount; ++k) {
        if (!shown(k))
            continue;
        const int w = m_widths[at(k)];
        switch (k) {
        case ColName:
            cells.push_back({name(c), -w});
            break;
        case ColCategory:
            cells.push_back({text(categoryName(m_d, c).substr(0, 1)), w});
            break;
        case ColPlanned:
            cells.push_back({std::to_string(r.planned), w});
            break;
        case ColAllocated:
            cells.push_back({std::to_string(allocated), w});
            break;
        case ColScheduled:
            cells.push_back({std::to_string(scheduled), w});
            break;
        default:
            cells.push_back({std::to_string(r.links) + "x", w});
            break;
        }
    }
    return cells;
}

std::vector<Cell> Printer::weekCells(CodeId c, int firstWeek, int lastWeek, int columnWidth)
{
    const std::vector<int> sums = weekSums(c);
    const WeekFigures::Counts &n = counts(c);
    std::vector<Cell> cells;
    for (int w = firstWeek; w <= lastWeek; ++w) {
        const int value = sums[at(w - m_first)];
        std::string s = std::to_string(value);
        if (!(m_p.weekOptions & WeekCumulative)) {
            if (isEventCode(m_d, c) && n.booked[at(w)] >= 1 && n.booked[at(w)] <= 3)
                s = bookingName(n.booked[at(w)]);
            else if (value == 0)
                s = "-";
        }
        cells.push_back({s, columnWidth});
    }
    return cells;
}

void Printer::printCodes()
{
    std::vector<CodeId> listed;
    for (const CodeId c : m_codes)
        if (!(m_p.miscOptions & MiscAllocatedOnly) || m_d.codes[c].allocated > 0)
            listed.push_back(c);
    const bool repeat = (m_p.weekOptions & WeekRepeatTitles) != 0;
    for (int band = m_first; band <= m_last;) {
        const bool firstBand = band == m_first;
        const bool withFields = firstBand || repeat;
        const int end = bandEnd(band, withFields);
        if (!firstBand) {
            if (stopped())
                return;
            newPage();
        }
        header();
        codesSubHeader(band, end, withFields);
        int n = 0;
        for (const CodeId c : listed) {
            if (stopped())
                return;
            std::vector<Cell> cells = fieldCells(c, std::to_string(++n) + ": ", withFields);
            for (Cell &cell : weekCells(c, band, end, m_weekWidth))
                cells.push_back(std::move(cell));
            // A page ends when the next row would leave less than a line below it.
            if (n > 1 && full()) {
                newPage();
                header();
                codesSubHeader(band, end, withFields);
            }
            plainLine(cells);
        }
        band = end + 1;
    }
}

void Printer::printCoursesByComps()
{
    const bool averages = (m_p.weekOptions & WeekAverages) != 0;
    const int divider = std::max<int>(1, m_d.averageDivider);
    auto average = [&](int value) {
        char out[32];
        std::snprintf(out, sizeof out, "%.2f", static_cast<double>(value) / divider);
        return std::string(out);
    };
    auto row = [&](CodeId c, const std::string &number) {
        std::vector<Cell> cells = fieldCells(c, number, true);
        if (averages) {
            const std::string h = "  h/" + std::to_string(divider) + "= ";
            cells.push_back({h, width(h)});
            const CodeRecord &r = m_d.codes[c];
            if (shown(ColPlanned))
                cells.push_back({average(r.planned), m_widths[ColPlanned]});
            if (shown(ColAllocated))
                cells.push_back({average(r.allocated), m_widths[ColAllocated]});
            if (shown(ColScheduled))
                cells.push_back({average(r.scheduled), m_widths[ColScheduled]});
        }
        plainLine(cells);
    };
    auto pageCheck = [&] {
        if (full()) {
            newPage();
            header();
        }
    };
    int n = 0;
    for (const CodeId x : m_codes) {
        if (stopped())
            return;
        if ((m_p.miscOptions & MiscAllocatedOnly) && m_d.codes[x].allocated <= 0)
            continue;
        newPage();
        header();
        codesSubHeader(0, 0, true);
        m_y += m_L / 2;
        font(FontBold | FontItalic);
        row(x, std::to_string(++n) + ": ");
        font(FontPlain);
        m_y += m_L / 2;
        const std::vector<CodeId> linked = linkedCodes(x);
        int m = 0;
        for (const CodeId l : linked) {
            if (stopped())
                return;
            pageCheck();
            row(l, "(" + std::to_string(++m) + ")");
            std::vector<CodeId> back;
            for (const CodeId b : linkedCodes(l))
                if (isEventCode(m_d, b) == isEventCode(m_d, x))
                    back.push_back(b);
            if (back.empty())
                continue;
            if (m_p.weekOptions & WeekLinkedCodes) {
                std::string list = "[";
                for (const CodeId b : back) {
                    const std::string next = code(b) + ",";
                    if (list.size() + next.size() >= 235)
                        break;
                    list += next;
                }
                if (list.ends_with(','))
                    list.pop_back();
                list += "]";
                pageCheck();
                font(FontItalic);
                const int x0 = m_widths[ColNumber] + m_widths[ColCode];
                drawText({x0, m_y, m_W, m_y + m_L}, x0, m_y + 1, list);
                font(FontPlain);
                m_y += m_L;
            }
            if (m_p.weekOptions & WeekLinkedRows) {
                font(FontItalic);
                int k = 0;
                for (const CodeId b : back) {
                    pageCheck();
                    row(b, "-" + std::to_string(++k) + "-");
                }
                font(FontPlain);
            }
        }
        if (m_p.weekOptions & WeekGrid)
            weekGrid(x, linked);
    }
}

void Printer::weekGrid(CodeId x, const std::vector<CodeId> &linked)
{
    const int frameLine = m_L + 2 * m_pad;
    if (m_y + (static_cast<int>(linked.size()) + 4) * frameLine > m_H) {
        newPage();
    }
    m_y += 2 * m_L;
    const int weeks = m_last - m_first + 1;
    const int fixed = m_widths[ColCode] + m_widths[ColPlanned] + m_widths[ColAllocated];
    const int columnWidth = std::max(m_X, (m_W - fixed) / weeks);
    bool numbers = m_p.weekFormat == 0;
    std::vector<std::string> labels;
    for (int w = m_first; w <= m_last; ++w) {
        std::string s = m_p.weekFormat == 3 && weeksDated(m_d)
                            ? formatDateTime("ddddd", weekDate(m_d, w)) + "/" + weekName(w)
                            : columnWeekLabel(w);
        numbers = numbers || width(s) > columnWidth;
        labels.push_back(s);
    }
    font(FontBold);
    std::vector<Cell> head{{word(4), m_widths[ColCode]},
                           {word(7), m_widths[ColPlanned]},
                           {word(8), m_widths[ColAllocated]}};
    std::vector<Cell> lengths{
        {"", m_widths[ColCode]}, {"", m_widths[ColPlanned]}, {"", m_widths[ColAllocated]}};
    for (int w = m_first; w <= m_last; ++w) {
        head.push_back({numbers ? std::to_string(w) : labels[at(w - m_first)], columnWidth});
        lengths.push_back({std::to_string(weekLength(m_d, w)) + "w", columnWidth});
    }
    framedLine(head);
    framedLine(lengths);
    m_y += m_L / 2;
    auto gridRow = [&](CodeId c) {
        std::vector<Cell> cells{{code(c), m_widths[ColCode]},
                                {std::to_string(m_d.codes[c].planned), m_widths[ColPlanned]},
                                {std::to_string(m_d.codes[c].allocated), m_widths[ColAllocated]}};
        for (Cell &cell : weekCells(c, m_first, m_last, columnWidth))
            cells.push_back(std::move(cell));
        framedLine(cells);
    };
    font(FontBold | FontItalic);
    gridRow(x);
    font(FontPlain);
    m_y += m_L / 2;
    for (const CodeId l : linked) {
        if (stopped())
            return;
        if (full()) {
            newPage();
            header();
        }
        gridRow(l);
    }
}

void Printer::printCoursesByCompsTT()
{
    const bool showName = shown(ColName);
    auto pattern = [&](int sd, int sb, int ed, int eb) {
        if (sd == 0)
            return std::string();
        std::string s = dayName(sd).substr(0, 3);
        if (ed > sd)
            s += "/" + dayName(ed).substr(0, 3);
        s += " " + bellName(sb);
        if (eb != sb || ed != sd)
            s += "/" + bellName(eb);
        return s;
    };
    const int patternWidth = width(pattern(1, 1, std::min(2, usedDays(m_d)), 2) + "ZZ");
    const int weeks = m_last - m_first + 1;
    const int fixed =
        m_widths[ColNumber] + m_widths[ColCode] + (showName ? m_widths[ColName] : 0) + patternWidth;
    const int columnWidth = std::max(m_X, (m_W - fixed) / weeks);
    bool numbers = false;
    for (int w = m_first; w <= m_last; ++w)
        numbers = numbers || width(columnWeekLabel(w)) > columnWidth;
    auto fields = [&](const std::string &number, const std::string &c, const std::string &n) {
        std::vector<Cell> cells{{number, m_widths[ColNumber]}, {c, m_widths[ColCode]}};
        if (showName)
            cells.push_back({n, m_widths[ColName]});
        return cells;
    };
    int n = 0;
    for (const CodeId r : m_codes) {
        if (stopped())
            return;
        if ((m_p.miscOptions & MiscAllocatedOnly) && m_d.codes[r].allocated <= 0)
            continue;
        newPage();
        header();
        auto headings = [&] {
            font(FontBold);
            std::vector<Cell> head = fields(word(3), word(4), word(5));
            head.push_back({"", patternWidth});
            for (int w = m_first; w <= m_last; ++w)
                head.push_back({numbers ? std::to_string(w) : columnWeekLabel(w), columnWidth});
            framedLine(head);
            font(FontPlain);
            std::vector<Cell> lengths = fields("", "", "");
            lengths.push_back({"", patternWidth});
            for (int w = m_first; w <= m_last; ++w)
                lengths.push_back({std::to_string(weekLength(m_d, w)), columnWidth});
            framedLine(lengths);
        };
        headings();
        std::vector<Cell> own = fields(std::to_string(++n) + ":", code(r), name(r));
        own.push_back({"", patternWidth});
        for (const int value : weekSums(r))
            own.push_back({std::to_string(value), columnWidth});
        framedLine(own);
        int j = 0;
        for (const CodeId e : eventsOf(r)) {
            if (stopped())
                return;
            ++j;
            WeekAllocation wa;
            loadWeekAllocation(m_d, e, wa, m_index);
            using Pattern = std::tuple<int, int, int, int>;
            std::set<Pattern> patterns;
            for (const LectureView &v : wa.timetable)
                if (!isBookingWord(v.word) && v.startDay != 0)
                    patterns.insert({v.startDay, v.startBell, v.endDay, v.endBell});
            std::vector<Pattern> rows(patterns.begin(), patterns.end());
            if (rows.empty())
                rows.push_back({0, 0, 0, 0});
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const auto [sd, sb, ed, eb] = rows[i];
                std::vector<Cell> cells =
                    i == 0 ? fields("(" + std::to_string(j) + ")", code(e), name(e))
                           : fields("\"", "\"", "\"");
                cells.push_back({pattern(sd, sb, ed, eb), patternWidth});
                for (int w = m_first; w <= m_last; ++w) {
                    bool covered = false;
                    for (const LectureView &v : wa.timetable)
                        covered =
                            covered ||
                            (!isBookingWord(v.word) && v.startWeek <= w && v.endWeek >= w &&
                             Pattern{v.startDay, v.startBell, v.endDay, v.endBell} == rows[i]);
                    std::string s;
                    if (wa.booked[at(w)] != 0)
                        s = bookingName(wa.booked[at(w)]);
                    else if (covered && wa.scheduled[at(w)] > 0)
                        s = code(e);
                    cells.push_back({s, columnWidth});
                }
                if (full()) {
                    newPage();
                    header();
                    headings();
                }
                framedLine(cells);
            }
        }
    }
}

// ---- Timetables ----

int Printer::cellResourceCount(CodeId r, CodeId e, int format) const
{
    const int categories = (format >> 7) & 0x7F;
    if ((format & 3) == 0)
        return 0;
    const MemberList members = collectionOf(m_d, e);
    int n = 0;
    for (int k = 1; k <= members[0]; ++k) {
        const CodeId m = members[at(k)];
        const int category = categoryOf(m_d, m);
        if (category < 1 || !(categories & (1 << (category - 1))))
            continue;
        if (m_p.hideMatches && m == r)
            continue;
        ++n;
    }
    return n;
}

int Printer::periodNumber(CodeId e, int w, int day, int bell)
{
    const WeekFigures::Counts &n = counts(e);
    int number = 1;
    for (int k = 1; k < w; ++k)
        number += n.scheduled[at(k)];
    auto [it, added] = m_periodSlots.try_emplace({e, w});
    if (added) {
        WeekTimetable t;
        weekTimetableOf(m_d, e, w, t, m_index);
        for (int d = 1; d <= usedDays(m_d); ++d)
            for (int b = 1; b <= usedBells(m_d); ++b) {
                const CellWord c = t.cell(d, b);
                if (c != 0 && !isBookingCell(c) && cellCode(m_d, c) == e)
                    it->second.push_back(d << 8 | b);
            }
    }
    const auto &slots = it->second;
    return number + static_cast<int>(std::lower_bound(slots.begin(), slots.end(), day << 8 | bell) -
                                     slots.begin());
}

std::vector<CellLine> Printer::eventLines(CodeId r, CodeId e, int w, int day, int bell, int run,
                                          int format, int &resourceLines, int &manualRooms,
                                          int &commentLines)
{
    std::vector<CellLine> lines;
    const int eventRow = (format >> 2) & 3;
    const int resourceRows = format & 3;
    const int categories = (format >> 7) & 0x7F;
    const bool wrapping = m_p.wrapLines;
    resourceLines = manualRooms = commentLines = 0;
    if (eventRow != 0)
        lines.push_back({label(e, eventRow), wrapping});
    if (resourceRows != 0) {
        const MemberList members = collectionOf(m_d, e);
        int previousCategory = -1;
        for (int k = 1; k <= members[0]; ++k) {
            const CodeId m = members[at(k)];
            const int category = categoryOf(m_d, m);
            if (category < 1 || !(categories & (1 << (category - 1))))
                continue;
            if (m_p.hideMatches && m == r)
                continue;
            const std::string s = label(m, resourceRows);
            if (wrapping && category == previousCategory && !lines.empty()) {
                lines.back().text += " " + s;
            } else {
                lines.push_back({s, wrapping});
                ++resourceLines;
            }
            previousCategory = category;
        }
    }
    if ((m_p.miscOptions & MiscManualRooms) && !hasRoomResource(m_d, e)) {
        for (int k = 0; k < run; ++k) {
            const int triple = findTriple(m_d, w, day, bell + k, 0, 0, e);
            const CodeId room = triple ? manualTriple(m_d, triple).room : 0;
            if (room == 0 || !validCode(m_d, room))
                continue;
            lines.push_back(
                {"(" + bellName(bell + k) + ") " + label(room, std::max(resourceRows, 1)),
                 wrapping});
            ++manualRooms;
        }
    }
    if (m_p.weekOptions & WeekCellComments) {
        const std::string owner = m_d.codes[r].code.str();
        for (int k = 0; k < run; ++k) {
            const CommentMatch comment = findComment(m_d, w, owner, day, bell + k);
            if (comment.index >= 0 && !comment.general) {
                lines.push_back({text(comment.text), wrapping});
                ++commentLines;
            }
        }
    }
    if (m_p.numberedLessons) {
        const int first = periodNumber(e, w, day, bell);
        lines.push_back({run > 1 ? "[#" + std::to_string(first) + " - #" +
                                       std::to_string(periodNumber(e, w, day, bell + run - 1)) + "]"
                                 : "[#" + std::to_string(first) + "]",
                         false});
    }
    return lines;
}

std::vector<std::string> Printer::wrap(const std::string &line, int room) const
{
    std::string s = line;
    for (std::size_t at2; (at2 = s.find("  ")) != std::string::npos;)
        s.erase(at2, 1);
    std::vector<std::string> pieces;
    while (!s.empty()) {
        const std::vector<std::size_t> starts = characterStarts(s);
        // The longest prefix narrower than the room, at least one character.
        std::size_t fit = 1;
        while (fit + 1 < starts.size() && width(s.substr(0, starts[fit + 1])) < room)
            ++fit;
        std::size_t cut = starts[fit];
        if (cut < s.size()) {
            const std::size_t blank = s.rfind(' ', cut);
            if (blank != std::string::npos && blank > 0)
                cut = blank + 1;
        }
        pieces.push_back(trimRight(s.substr(0, cut)));
        s = s.substr(cut);
        while (!s.empty() && s.front() == ' ')
            s.erase(0, 1);
    }
    return pieces;
}

int Printer::drawLines(const PrintRect &r, const std::vector<CellLine> &lines, int offset,
                       bool firstBold)
{
    bool unfit = false;
    bool first = true;
    const int previousStyle = m_style;
    for (const CellLine &line : lines) {
        font(first && firstBold ? FontBold : FontPlain);
        const std::vector<std::string> pieces =
            line.wrap ? wrap(line.text, r.width() - 8) : std::vector<std::string>{line.text};
        for (const std::string &piece : pieces) {
            const int top = r.top + offset;
            if (top + m_L > r.bottom)
                unfit = true;
            if (top < r.bottom)
                drawText(r, r.left + std::max(0, (r.width() - width(piece)) / 2), top, piece);
            offset += m_L;
        }
        first = false;
    }
    font(previousStyle);
    if (unfit)
        ++m_result.unfitCells;
    return offset;
}

void Printer::frame(const PrintRect &r)
{
    drawRect(r);
    const int in = std::max(1, m_pad / 2);
    drawRect({r.left + in, r.top + in, r.right - in, r.bottom - in});
}

void Printer::printTimeTables()
{
    for (const CodeId r : m_codes) {
        if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
            continue;
        for (int w = m_first; w <= m_last; ++w) {
            if (stopped())
                return;
            timetable(r, w);
        }
    }
}

void Printer::timetable(CodeId r, int w)
{
    const bool manual = (m_p.miscOptions & MiscManualRooms) != 0;
    weekTimetableOf(m_d, r, w, m_table, m_index, manual);
    const int days = std::max(1, usedDays(m_d));
    int bells = std::max(1, usedBells(m_d));
    const bool roomSlots = manual && categoryOf(m_d, r) == m_d.roomsCategory;
    auto slot = [&](int day, int bell) -> CellWord {
        const CellWord c = m_table.cell(day, bell);
        if (c == 0 && roomSlots) {
            const CodeId e = m_table.manualRoom[at(bell)][at(day)];
            if (e != 0)
                return ownWord(m_d, e);
        }
        return c;
    };
    int occupied = 0, lastBell = 1;
    for (int b = 1; b <= bells; ++b)
        for (int day = 1; day <= days; ++day)
            if (slot(day, b) != 0) {
                ++occupied;
                lastBell = b;
            }
    if (occupied == 0 && !m_p.emptyTables)
        return;
    if (m_p.suppressLastCells)
        bells = lastBell;
    newPage();
    header();
    font(FontBold | FontItalic);
    alignText(label(r, std::max(m_p.codeFormat, 1)) + "   " + weekLabel(w), 0);
    font(FontPlain);
    m_y += 2 * m_L;

    const int format = m_p.cellFormat(categoryOf(m_d, r));
    // Runs of the same event down a day.
    auto runLength = [&](int day, int b) {
        const CellWord c = slot(day, b);
        int n = 1;
        if (c == 0 || isBookingCell(c))
            return n;
        while (b + n <= bells && slot(day, b + n) == c)
            ++n;
        return n;
    };
    auto startsRun = [&](int day, int b) {
        const CellWord c = slot(day, b);
        return c == 0 || isBookingCell(c) || b == 1 || slot(day, b - 1) != c;
    };
    std::vector<int> heights;
    auto computeHeights = [&] {
        heights.assign(at(bells + 1), m_minRows);
        heights[0] = 2;
        for (int day = 1; day <= days; ++day)
            for (int b = 1; b <= bells; ++b) {
                const CellWord c = slot(day, b);
                if (c == 0 || isBookingCell(c) || !startsRun(day, b))
                    continue;
                const int n = runLength(day, b);
                const int t = cellResourceCount(r, cellCode(m_d, c), format) + 1 +
                              (m_p.numberedLessons ? 1 : 0);
                const int each = std::min(std::max(1, (t + n - 1) / n), m_maxRows);
                for (int k = 0; k < n; ++k)
                    heights[at(b + k)] = std::max(heights[at(b + k)], each);
            }
        int total = 0;
        // Every row has its lines and a margin above and below them.
        for (const int h : heights)
            total += m_L * h + 2 * m_pad;
        return total;
    };
    int total = computeHeights();
    while (m_maxRows > 1 && total >= m_H - m_y - m_L) {
        --m_maxRows;
        m_minRows = std::min(m_minRows, m_maxRows);
        total = computeHeights();
    }

    std::vector<int> tops(at(bells + 2));
    tops[0] = m_y;
    for (int b = 0; b <= bells; ++b)
        tops[at(b + 1)] = tops[at(b)] + m_L * heights[at(b)] + 2 * m_pad;
    const int half = m_C / 2;
    auto column = [&](int day) {
        return std::pair{(day - 1) * m_C + half, (day - 1) * m_C + half + m_C};
    };

    // Corner and day headings.
    const PrintRect corner{1, tops[0], half, tops[1]};
    frame(corner);
    drawLines(corner, {{code(r), false}}, m_pad, false);
    const bool dates =
        (m_p.weekOptions & WeekDatesInTimetables) && weekLength(m_d, w) == 1 && weeksDated(m_d);
    for (int day = 1; day <= days; ++day) {
        const auto [left, right] = column(day);
        const PrintRect cell{left, tops[0], right, tops[1]};
        frame(cell);
        font(FontBold);
        if (dates) {
            placeText(cell, dayName(day), 2);
            font(FontPlain);
            placeText(cell,
                      formatDateTime(m_o.dateFormat.empty() ? "ddddd" : m_o.dateFormat,
                                     weekDate(m_d, w) + day - 1),
                      8);
        } else {
            drawLines(cell, {{dayName(day), m_p.wrapLines}}, m_pad, true);
        }
        font(FontPlain);
    }
    // Bell column.
    for (int b = 1; b <= bells; ++b) {
        const PrintRect cell{1, tops[at(b)], half, tops[at(b + 1)]};
        frame(cell);
        const std::string n = bellName(b);
        const std::size_t dash = n.find('-', 1);
        if (dash != std::string::npos && dash + 1 < n.size() && heights[at(b)] > 1) {
            placeText(cell, "  " + n.substr(0, dash + 1), 1);
            placeText(cell, n.substr(dash) + "  ", 9);
        } else {
            placeText(cell, n, 5);
        }
    }
    // Slots.
    for (int day = 1; day <= days; ++day) {
        const auto [left, right] = column(day);
        for (int b = 1; b <= bells; ++b) {
            const CellWord c = slot(day, b);
            if (!startsRun(day, b))
                continue;
            const int n = runLength(day, b);
            const PrintRect cell{left, tops[at(b)], right, tops[at(b + n)]};
            frame(cell);
            if (c == 0 || isBookingCell(c)) {
                std::string s = slotText(c);
                if (m_p.weekOptions & WeekCellComments) {
                    const CommentMatch comment =
                        findComment(m_d, w, m_d.codes[r].code.str(), day, b);
                    if (comment.index >= 0 && !(c == 0 && comment.general))
                        s = text(comment.text);
                }
                if (!s.empty())
                    drawLines(cell, {{s, m_p.wrapLines}}, m_pad, false);
                continue;
            }
            const CodeId e = cellCode(m_d, c);
            int resourceLines = 0, manualRooms = 0, commentLines = 0;
            std::vector<CellLine> lines =
                eventLines(r, e, w, day, b, n, format, resourceLines, manualRooms, commentLines);
            const int eventRow = (format >> 2) & 3;
            int offset = m_pad;
            if (m_p.verticalCentre) {
                // Manual rooms are resource lines already: they are counted once.
                const int v = (eventRow != 0 ? 1 : 0) + resourceLines + manualRooms +
                              (m_p.numberedLessons ? 1 : 0) + commentLines;
                offset = std::max(m_pad, (cell.height() - m_L * v) / 2);
            }
            const int end = drawLines(cell, lines, offset, eventRow != 0);
            if (!m_p.verticalCentre) {
                for (int k = 1; k < n; ++k)
                    drawLine(left + m_pad, tops[at(b + k)], right - m_pad, tops[at(b + k)],
                             PenStyle::Dot);
                const int from = static_cast<int>(std::lround(right - 0.6180339 * m_C));
                const int to = static_cast<int>(std::lround(left + 0.6180339 * m_C));
                for (int yy = cell.top + end + m_L / 2; yy < cell.bottom - m_pad; yy += m_L)
                    drawLine(from, yy, to, yy, PenStyle::Dash);
            }
        }
    }
    m_y = tops[at(bells + 1)];

    std::string description = replaceAll(
        replaceAll(replaceAll(text(m_d.description), "\r\n", ", "), "\n", ", "), "\r", ", ");
    if (m_p.footer && !description.empty() && description != " ") {
        alignText(description, 0);
        alignText(today() + " " +
                      formatDateTime("hh:mm", localSerial(m_o.now), localMinutes(m_o.now)),
                  1);
    }
    if (m_p.unscheduled) {
        const WeekFigures::Counts &n = counts(r);
        const int allocated = n.allocated[at(w)], scheduled = n.scheduled[at(w)];
        if (scheduled < allocated) {
            m_y += 2 * m_L;
            alignText("[ " + std::to_string(allocated) + " h - " + std::to_string(scheduled) +
                          " h = " + std::to_string(allocated - scheduled) + " h ]",
                      0);
        }
    }
}

void Printer::printMatrixTables()
{
    measureColumns(true);
    const int bells = std::max(1, usedBells(m_d));
    const int codeWidth = m_widths[ColCode];
    const int nameWidth = m_p.codeFormat >= 2 ? m_widths[ColName] : 0;
    const int bellWidth = std::max(m_X, (m_W - codeWidth - nameWidth) / bells);
    const bool manual = (m_p.miscOptions & MiscManualRooms) != 0;
    for (int w = m_first; w <= m_last; ++w)
        for (int day = 1; day <= std::max(1, usedDays(m_d)); ++day) {
            auto section = [&] {
                newPage();
                header();
                font(FontBold);
                alignText(weekLabel(w) + " - " + dayName(day), 0);
                m_y += 2 * m_L;
                std::vector<Cell> head{{word(4), codeWidth}, {word(5), nameWidth}};
                for (int b = 1; b <= bells; ++b)
                    head.push_back({bellName(b), bellWidth});
                framedLine(head);
                font(FontPlain);
            };
            if (stopped())
                return;
            section();
            for (const CodeId r : m_codes) {
                if (stopped())
                    return;
                if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
                    continue;
                weekTimetableOf(m_d, r, w, m_table, m_index, manual);
                const bool roomSlots = manual && categoryOf(m_d, r) == m_d.roomsCategory;
                std::vector<Cell> cells{{code(r), codeWidth},
                                        {nameWidth > 0 ? name(r) : "", nameWidth}};
                for (int b = 1; b <= bells; ++b) {
                    CellWord c = m_table.cell(day, b);
                    if (c == 0 && roomSlots && m_table.manualRoom[at(b)][at(day)] != 0)
                        c = ownWord(m_d, m_table.manualRoom[at(b)][at(day)]);
                    cells.push_back({slotText(c), bellWidth});
                }
                if (full())
                    section();
                framedLine(cells);
            }
        }
}

void Printer::printCompactTables()
{
    const int days = std::max(1, usedDays(m_d));
    const int bells = std::max(1, usedBells(m_d));
    const int columnWidth = m_W / (days + 2);
    const bool manual = (m_p.miscOptions & MiscManualRooms) != 0;
    const int format = std::max(m_p.codeFormat, 1);
    for (int w = m_first; w <= m_last; ++w) {
        auto section = [&] {
            newPage();
            header();
            font(FontBold);
            alignText(weekLabel(w), 0);
            m_y += 2 * m_L;
            std::vector<Cell> head{{"", columnWidth}, {"", columnWidth}};
            for (int day = 1; day <= days; ++day)
                head.push_back({dayName(day), columnWidth});
            framedLine(head);
            font(FontPlain);
        };
        if (stopped())
            return;
        section();
        for (const CodeId r : m_codes) {
            if (stopped())
                return;
            if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
                continue;
            weekTimetableOf(m_d, r, w, m_table, m_index, manual);
            const bool roomSlots = manual && categoryOf(m_d, r) == m_d.roomsCategory;
            std::vector<CodeId> events;
            for (int day = 1; day <= days; ++day)
                for (int b = 1; b <= bells; ++b) {
                    const CellWord c = m_table.cell(day, b);
                    const CodeId e = (c & CellEventBit) && !isBookingCell(c) ? cellCode(m_d, c) : 0;
                    if (e != 0 && events.size() < 255 &&
                        std::find(events.begin(), events.end(), e) == events.end())
                        events.push_back(e);
                }
            for (const CodeId e : events) {
                std::vector<Cell> cells{{label(e, format), columnWidth},
                                        {label(r, format), columnWidth}};
                const MemberList members = collectionOf(m_d, e);
                CodeId roomResource = 0;
                for (int k = 1; k <= members[0] && roomResource == 0; ++k)
                    if (categoryOf(m_d, members[at(k)]) == m_d.roomsCategory)
                        roomResource = members[at(k)];
                for (int day = 1; day <= days; ++day) {
                    std::vector<std::pair<CodeId, std::string>> rooms;
                    for (int b = 1; b <= bells; ++b) {
                        const CellWord c = m_table.cell(day, b);
                        const bool holds =
                            ((c & CellEventBit) && !isBookingCell(c) && cellCode(m_d, c) == e) ||
                            (c == 0 && roomSlots && m_table.manualRoom[at(b)][at(day)] == e);
                        if (!holds)
                            continue;
                        CodeId room = roomResource;
                        if (room == 0) {
                            const int k = findTriple(m_d, w, day, b, 0, 0, e);
                            room = k ? manualTriple(m_d, k).room : 0;
                        }
                        auto it = std::find_if(rooms.begin(), rooms.end(),
                                               [&](const auto &x) { return x.first == room; });
                        if (it == rooms.end())
                            rooms.emplace_back(room, std::to_string(b));
                        else
                            it->second += "," + std::to_string(b);
                    }
                    std::string content;
                    for (const auto &[room, list] : rooms)
                        content += list + "[" + (validCode(m_d, room) ? code(room) : "") + "]; ";
                    if (content.ends_with("; "))
                        content.resize(content.size() - 2);
                    cells.push_back({content, columnWidth});
                }
                if (full())
                    section();
                framedLine(cells);
            }
        }
    }
    if (stopped())
        return;
    m_y += 2 * m_L;
    if (full()) {
        newPage();
        header();
    }
    std::vector<Cell> legend;
    for (int b = 1; b <= bells; ++b)
        legend.push_back({std::to_string(b) + "=" + bellName(b), m_W / bells});
    framedLine(legend);
}

void Printer::printAllCourses()
{
    const int days = std::max(1, usedDays(m_d));
    const int bells = std::max(1, usedBells(m_d));
    const int eventRow = (m_p.tableMask >> 2) & 3;
    const int resourceRows = m_p.tableMask & 3;
    const int categories = (m_p.tableMask >> 7) & 0x7F;
    const std::set<CodeId> selected(m_codes.begin(), m_codes.end());
    std::vector<CodeId> events;
    for (int e = 1; e <= m_d.codeCount; ++e) {
        const auto id = static_cast<CodeId>(e);
        if (!isEventCode(m_d, id))
            continue;
        for (const CodeId m : linkedCodes(id))
            if (selected.contains(m)) {
                events.push_back(id);
                break;
            }
    }
    auto cellResources = [&](CodeId e) {
        std::vector<std::string> out;
        const MemberList members = collectionOf(m_d, e);
        for (int k = 1; k <= members[0]; ++k) {
            const CodeId m = members[at(k)];
            const int category = categoryOf(m_d, m);
            if (category >= 1 && (categories & (1 << (category - 1))))
                out.push_back(label(m, resourceRows));
        }
        return out;
    };
    const int half = m_C / 2;
    const int indent = width("Z") / 2;
    for (int w = m_first; w <= m_last; ++w) {
        if (stopped())
            return;
        // The events of each slot, with their lines.
        std::vector<std::vector<std::vector<CodeId>>> slots(
            at(days + 1), std::vector<std::vector<CodeId>>(at(bells + 1)));
        WeekTimetable t;
        for (const CodeId e : events) {
            weekTimetableOf(m_d, e, w, t, m_index);
            for (int day = 1; day <= days; ++day)
                for (int b = 1; b <= bells; ++b) {
                    const CellWord c = t.cell(day, b);
                    if (c != 0 && !isBookingCell(c) && cellCode(m_d, c) == e)
                        slots[at(day)][at(b)].push_back(e);
                }
        }
        auto slotLines = [&](int day, int b) {
            std::vector<std::pair<std::string, bool>> lines; // text, bold
            for (const CodeId e : slots[at(day)][at(b)]) {
                if (eventRow != 0)
                    lines.emplace_back(label(e, eventRow), true);
                if (resourceRows == 0)
                    continue;
                for (const std::string &s : cellResources(e))
                    lines.emplace_back(s, false);
                if ((m_p.miscOptions & MiscManualRooms) && !hasRoomResource(m_d, e)) {
                    const int k = findTriple(m_d, w, day, b, 0, 0, e);
                    const CodeId room = k ? manualTriple(m_d, k).room : 0;
                    if (validCode(m_d, room) && room != 0)
                        lines.emplace_back("(" + bellName(b) + ") " + label(room, resourceRows),
                                           false);
                }
            }
            return lines;
        };
        auto dayRow = [&] {
            font(FontBold);
            for (int day = 1; day <= days; ++day) {
                const PrintRect cell{(day - 1) * m_C + half, m_y, day * m_C + half, m_y + 2 * m_L};
                placeText(cell, dayName(day), 5);
            }
            font(FontPlain);
            m_y += 2 * m_L;
        };
        newPage();
        header();
        font(FontBold);
        alignText(weekLabel(w), 0);
        font(FontPlain);
        m_y += 2 * m_L;
        dayRow();
        for (int b = 1; b <= bells; ++b) {
            if (stopped())
                return;
            int rows = 2;
            for (int day = 1; day <= days; ++day)
                rows = std::max(rows, static_cast<int>(slotLines(day, b).size()));
            rows = std::clamp(rows, m_minRows, m_maxRows);
            if (m_y + (rows + 2) * m_L > m_H) {
                newPage();
                header();
                dayRow();
            }
            const int bottom = m_y + rows * m_L;
            placeText({1, m_y, half, bottom}, bellName(b), 5);
            for (int day = 1; day <= days; ++day) {
                const PrintRect cell{(day - 1) * m_C + half, m_y, day * m_C + half, bottom};
                drawRect(cell);
                int top = m_y + m_pad;
                for (const auto &[s, bold] : slotLines(day, b)) {
                    if (top >= bottom)
                        break;
                    font(bold ? FontBold : FontPlain);
                    drawText(cell, cell.left + indent, top, s);
                    top += m_L;
                }
                font(FontPlain);
            }
            m_y = bottom;
        }
    }
}

// ---- The run ----

PrintResult Printer::run()
{
    m_result.message = printRefusal(m_d, m_p);
    if (!m_result.message.empty()) {
        m_result.refused = true;
        return m_result;
    }
    std::tie(m_first, m_last) = reportWeeks(m_d, m_p);
    if (m_p.codes.empty())
        selectAllCodes(m_d, m_p);
    const bool listsEvents = reportListsEvents(m_p.report);
    for (const CodeId c : selectedCodes(m_d, m_p))
        if (isEventCode(m_d, c) == listsEvents)
            m_codes.push_back(c);
    const std::string title = reportHeading();
    if (!m_s.beginDocument(title)) {
        m_result.failed = true;
        m_result.message = m_s.error();
        return m_result;
    }
    m_runText = "Printing \"" + title + "\" ...";
    ProgressRun shown(m_progress, m_runText, 0);
    m_minRows = m_p.minCellRows;
    m_maxRows = std::max(m_p.maxCellRows, m_minRows);
    font(FontPlain);
    m_W = std::max(1, m_s.pageWidth());
    m_H = std::max(1, m_s.pageHeight());
    m_L = std::max(1, m_s.textHeight());
    m_X = std::max(1, m_s.textWidth("X"));
    m_pad = std::max(1, m_X / 4);
    m_C = std::max(2, m_W * 2 / (2 * std::max(1, usedDays(m_d)) + 1) - 1);
    measureColumns(m_p.report == 6 && m_p.variant() == 1);
    // The first page.
    m_y = 1;
    m_page = 0;
    newPage();

    switch (m_p.report) {
    case 1:
    case 2:
        printCodes();
        break;
    case 3:
        printTimeTables();
        break;
    case 4:
        if (m_p.variant() == 2)
            printCoursesByCompsTT();
        else
            printCoursesByComps();
        break;
    case 5:
        printCoursesByComps();
        break;
    default:
        if (m_p.variant() == 2)
            printCompactTables();
        else if (m_p.variant() == 3)
            printAllCourses();
        else
            printMatrixTables();
        break;
    }
    m_result.aborted = m_aborted;
    m_result.laidOut = std::min(m_page, m_o.lastPage);
    m_result.pages = std::max(1, m_drawn);
    if (!m_s.endDocument()) {
        m_result.failed = true;
        m_result.message = m_s.error();
    }
    return m_result;
}

} // namespace

std::string printRefusal(const ScheduleData &d, const ReportParams &params)
{
    bool events = false, resources = false;
    for (int c = 1; c <= d.codeCount; ++c)
        (isEventCode(d, static_cast<CodeId>(c)) ? events : resources) = true;
    if (!events || !resources)
        return "You must first create at least one resource and one event.";
    if (params.codes.empty())
        return {};
    const bool listsEvents = reportListsEvents(params.report);
    for (const CodeId c : selectedCodes(d, params))
        if (isEventCode(d, c) == listsEvents)
            return {};
    return "Please select the codes to print or publish...";
}

PrintResult printReport(const ScheduleData &d, const ReportParams &params,
                        const PrintOptions &options, PrintSurface &surface, Progress &progress)
{
    Printer printer(d, params, options, surface, progress);
    return printer.run();
}

std::string unfitCellsWarning(const PrintResult &result, const ReportParams &params)
{
    if (result.unfitCells <= 0 || params.wrapLines)
        return {};
    return "Some of the resources (" + std::to_string(result.unfitCells) +
           ") could not be displayed in all timetable cells.\n"
           "To fix the problem\n"
           "1) decrease \"Minimum cell rows\" and/or increase \"Maximum cell rows\" (in "
           "\"Timetables\" tab) or\n"
           "2) select less resources to show in \"Categories included\" (in \"Timetables\" tab) "
           "or\n"
           "3) use smaller font in \"Select printer font\" (in \"Print\" tab) or\n"
           "4) check \"Wrap lines\" and print \"Codes\" instead of \"Names\" or \"Both\".";
}

} // namespace quivra
