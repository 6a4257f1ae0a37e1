#include "reports/htmlpublish.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/textutil.h"
#include "reports/calendarexport.h"
#include "reports/pagewriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace quivra {

namespace {

constexpr const char *ProductTitle = "Quivra Scheduling Software";
constexpr const char *Separator = "<hr size=3 color=\"#00007f\">\n";

template <typename T> std::size_t at(T i)
{
    return static_cast<std::size_t>(i);
}

std::string threeDigits(int w)
{
    return std::to_string(w + 1000).substr(1);
}

bool isAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::string pageStem(std::string_view code, int week, int report, char firstChar, bool lowerCase)
{
    std::string out;
    if (week > 0)
        out = std::string(1, firstChar) + std::to_string(report) + threeDigits(week);
    int checksum = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const auto c = static_cast<unsigned char>(code[i]);
        checksum = (checksum + c * static_cast<int>(2 * i + 1)) % 8192;
        out += isAlnum(code[i]) ? code[i] : '_';
    }
    out += std::to_string(checksum);
    return lowerCase ? toLowerAscii(out) : out;
}

PageWriter::PageWriter(const ScheduleData &d, const ReportParams &p, const PublishOptions &o,
                       FileSink &sink, const RunEnvironment &env)
    : m_d(d), m_p(p), m_o(o), m_sink(sink), m_env(env), m_index(d), m_random(env.seed)
{
    clampReportParams(m_p);
}

// ---- Texts ----

std::string PageWriter::text(std::string_view dataBytes) const
{
    return htmlEscape(dataToUtf8(dataBytes, m_env.dataCodePage));
}

std::string PageWriter::colourHex(std::int32_t c) const
{
    if (c == 1)
        return "#ffffff";
    char out[16];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", static_cast<unsigned>(c & 0xFF),
                  static_cast<unsigned>((c >> 8) & 0xFF), static_cast<unsigned>((c >> 16) & 0xFF));
    return out;
}

std::string PageWriter::colour(int k) const
{
    if (!m_p.colours)
        return " bgcolor=\"#ffffff\"";
    return " bgcolor=\"" + colourHex(m_p.tableColours[at(clampInt(k, 0, 7))]) + "\"";
}

std::string PageWriter::codeColour(CodeId c, int k) const
{
    if (m_p.colours && validCode(m_d, c) && m_d.codes[c].colour > 0)
        return " bgcolor=\"" + colourHex(m_d.codes[c].colour) + "\"";
    return colour(k);
}

std::string PageWriter::fontTag() const
{
    return {};
}

std::string PageWriter::organisation(std::string_view separator) const
{
    // The organisation has one line (the file comment); a second would follow `separator`.
    (void)separator;
    return text(trim(m_d.header.fileComment.view()));
}

std::string PageWriter::dateOf(int w, int day) const
{
    if (!weeksDated(m_d))
        return {};
    return formatDateTime("ddddd", weekDate(m_d, w) + day - 1);
}

std::string PageWriter::weekLabel(int w) const
{
    std::string name = text(trim(m_d.weeks[at(w)].name.view()));
    if (name.empty())
        name = std::to_string(w);
    if (!weeksDated(m_d) || m_p.weekFormat < 2)
        return name;
    const std::int32_t first = weekDate(m_d, w);
    const std::int32_t last = first + 7 * weekLength(m_d, w) - 1;
    const std::string dates =
        formatDateTime("ddddd", first) + "..." + formatDateTime("ddddd", last);
    return m_p.weekFormat == 2 ? dates : name + ": " + dates;
}

std::string PageWriter::weekRangeLabel() const
{
    return m_first == m_last ? weekLabel(m_first) : weekLabel(m_first) + " - " + weekLabel(m_last);
}

std::string PageWriter::codeLabel(CodeId c, int format) const
{
    const CodeRecord &r = m_d.codes[c];
    switch (format) {
    case 2:
        return r.name.empty() ? text(r.code.view()) : text(r.name.view());
    case 3:
        return text(r.code.view()) + " " + text(r.name.view());
    default:
        return text(r.code.view());
    }
}

std::string PageWriter::categoryLetter(CodeId c) const
{
    return text(categoryName(m_d, c).substr(0, 1));
}

std::string PageWriter::categoryText(CodeId c, int mode) const
{
    const std::string item = categoryName(m_d, c);
    const std::size_t colon = item.find(':');
    if (mode == 0)
        return text(item.substr(0, 1));
    if (mode == 1)
        return text(colon == std::string::npos ? item : item.substr(colon + 1));
    return text(item);
}

std::string PageWriter::bellName(int, int bell) const
{
    const std::string name = trim(m_d.bellNames[at(bell)].view());
    return name.empty() ? std::to_string(bell) : text(name);
}

std::string PageWriter::dayName(int day) const
{
    const std::string name = listItem(m_d.dayNames, day);
    return name.empty() ? std::to_string(day) : text(name);
}

std::string PageWriter::reportHeading() const
{
    std::string title = text(m_d.reportTitles[at(m_p.report)]);
    if (title.empty())
        title = htmlEscape(reportTitle(m_p.report));
    if (m_p.report == 4 || m_p.report == 6)
        title += " (" + std::to_string(m_p.variant()) + ")";
    return title;
}

// ---- Page pieces ----

std::string PageWriter::frame()
{
    static const char *const Who[] = {"school",   "university", "classroom",   "course", "class",
                                      "exam",     "college",    "appointment", "event",  "student",
                                      "resource", "meeting",    "teacher"};
    static const char *const What[] = {"timetable", "schedule",  "timetabling", "scheduling",
                                       "planner",   "scheduler", "time table"};
    static const char *const Kind[] = {"software",  "application", "program", "system",
                                       "generator", "creator",     "maker"};
    static const char *const Phrases[] = {"quivra scheduling software",
                                          "timetable software",
                                          "time table software",
                                          "quivra software",
                                          "schedule software",
                                          "scheduling system",
                                          "course scheduling software",
                                          "class scheduling software",
                                          "school scheduling software",
                                          "class scheduling system",
                                          "timetabling software",
                                          "room scheduling software free",
                                          "classroom scheduling software",
                                          "scheduling software",
                                          "block schedule template",
                                          "school scheduling system",
                                          "web calendar software",
                                          "high school scheduling software",
                                          "university scheduling software",
                                          "school timetable",
                                          "block scheduling",
                                          "academic scheduling software",
                                          "university event scheduling software",
                                          "student scheduling software",
                                          "teacher scheduling software",
                                          "course scheduling system",
                                          "scheduling software for schools",
                                          "quivra timetabling software",
                                          "class schedule software",
                                          "teacher calendar",
                                          "quivra schedule",
                                          "university timetable software",
                                          "timetable scheduler",
                                          "mobile calendar",
                                          "android planner",
                                          "iphone calendar",
                                          "room schedule"};
    const std::string phrase = std::string(Who[m_random.below(65536) % 13]) + " " +
                               What[m_random.below(65536) % 7] + " " +
                               Kind[m_random.below(65536) % 7];
    std::string keywords;
    int k = static_cast<int>(m_random.below(37)) + 1;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            k = (k + static_cast<int>(m_random.below(5)) + 3) % 37 + 1;
            keywords += ", ";
        }
        keywords += Phrases[k - 1];
    }
    std::string h = "<html><head>\n";
    h += "<title>" + reportHeading() + " - " + organisation(", ") + " - by " + ProductTitle +
         "</title>\n";
    const std::string charset = toUpperAscii(m_p.charset);
    if (!charset.empty() && charset != "<NONE>")
        h += "<meta http-equiv=\"Content-type\" content=\"text/html; charset=" +
             htmlEscape(m_p.charset) + "\">\n";
    h += "<meta name=\"Description\" content=\"" + phrase + ", Quivra web report\">\n";
    h += "<meta name=\"Keywords\" content=\"" + keywords + "\">\n";
    h += "<meta name=\"Robots\" content=\"all,follow\">\n";
    if (m_p.fontFace && !m_p.webFont.name.empty())
        h += "<style type=\"text/css\">body, td { font-family: \"" +
             htmlEscape(replaceAll(m_p.webFont.name, "\"", "")) + "\"; }</style>\n";
    h += "</head>\n";
    h += "<body text=\"" + colourHex(m_p.linkColours[0]) + "\" link=\"" +
         colourHex(m_p.linkColours[1]) + "\" vlink=\"" + colourHex(m_p.linkColours[2]) +
         "\" alink=\"" + colourHex(m_p.linkColours[3]) + "\" bgcolor=\"" +
         colourHex(m_p.linkColours[4]) + "\">\n";
    if (!m_o.styleText.empty())
        h += m_o.styleText + (m_o.styleText.ends_with('\n') ? "" : "\n");
    return h;
}

std::string PageWriter::titleBlock() const
{
    if (!m_p.titles)
        return {};
    const std::string line = "<hr size=1 color=\"" + colourHex(m_p.tableColours[0]) + "\">";
    const int minutes = localMinutes(m_env.now);
    const std::int32_t today = localSerial(m_env.now);
    std::string h = line + "<center><table border=0 width=\"100%\">\n";
    h += "<tr><td align=left><b><i>" + organisation("<br>") + "</i></b></td><td align=right>" +
         m_p.tag + "</td></tr>\n";
    h += "<tr><td align=left>" + reportHeading() + "</td><td align=right>" +
         formatDateTime("ddddd", today) + "</td></tr>\n";
    h += "<tr><td align=left>" + htmlEscape(m_o.dataFileName) + "</td><td align=right>" +
         ((m_p.miscOptions & MiscTimeWithDate) ? formatDateTime("t", today, minutes)
                                               : std::string("&nbsp;")) +
         "</td></tr>\n";
    return h + "</table></center>" + line + "\n";
}

std::string PageWriter::pageEnd() const
{
    const std::string when =
        formatDateTime("ddddd t", localSerial(m_env.now), localMinutes(m_env.now));
    std::string h = "<br><hr size=1 color=\"#00007f\"><table border=0 width=\"100%\">\n";
    h += "<tr><td align=left><font size=1>" + std::string(ProductTitle) + "</font></td>";
    h += "<td align=right><font size=1>" + std::string(ProductTitle) + " (" + when +
         ")</font></td></tr></table>\n";
    return h + sourceComment() + "</body></html>\n";
}

std::string PageWriter::sourceComment() const
{
    const std::string when =
        formatDateTime("ddddd t", localSerial(m_env.now), localMinutes(m_env.now));
    return "<!-- Created at " + when +
           " (main page: " + replaceAll(htmlEscape(m_main), "--", "- -") + ") -->\n";
}

std::string PageWriter::upLink() const
{
    return "<a href=\"" + m_main + "\" title=\"Go back to index page (" + m_main + ")\">[^]</a>";
}

std::string PageWriter::tableStart(bool withWidth, int colourIndex) const
{
    std::string h = "<center><table cellspacing=" + std::to_string(m_p.cellSpacing) +
                    " cellpadding=" + std::to_string(m_p.cellPadding) +
                    " border=" + std::to_string(m_p.border);
    if (withWidth && m_p.width > 0)
        h += " width=\"" + std::to_string(m_p.width) + "%\"";
    return h + colour(colourIndex) + ">\n";
}

std::string PageWriter::eventLink(CodeId e, const std::string &label)
{
    if (!isEventCode(m_d, e))
        return label;
    if (!m_p.prefix.empty())
        return "<a href=\"" + htmlEscape(eventAddress(e)) + "\">" + label + "</a>";
    if (!m_p.eventRefs)
        return label;
    const CodeRecord &r = m_d.codes[e];
    std::string title =
        text(r.code.view()) + " " + text(r.name.view()) + ", (" + categoryText(e, 1) + ")";
    const DateRange range = codeDateRange(m_d, e);
    if (range.valid && weeksDated(m_d))
        title += ", (" + text(formatDateRange(m_d, range)) + ")";
    title += " " + std::to_string(r.scheduled) + "/" + std::to_string(r.allocated);
    return "<a href=\"" + referenceName(e) + "\" title=\"" + title + "\">" + label + "</a>";
}

std::string PageWriter::eventAddress(CodeId e) const
{
    // Each "<...>" part of the template picks characters of the event's page name by position
    // ("1".."9", "0" for 10, "A".."Z" for 11..36); positions past the name are skipped.
    static constexpr std::string_view Positions = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string stem = pageStem(m_d.codes[e].code.view(), 0, 0, m_p.firstChar, true);
    std::string out;
    bool inside = false;
    for (const char c : m_p.prefix) {
        if (c == '<' && !inside) {
            inside = true;
        } else if (c == '>' && inside) {
            inside = false;
        } else if (inside) {
            const std::size_t position = Positions.find(toUpperAscii(std::string(1, c))[0]);
            if (position != std::string_view::npos && position < stem.size())
                out += stem[position];
        } else {
            out += c;
        }
    }
    return m_p.lowerCase ? toLowerAscii(out) : out;
}

std::string PageWriter::resourceLink(CodeId r, const std::string &label)
{
    if (!m_p.resourceRefs || isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
        return label;
    const CodeRecord &rec = m_d.codes[r];
    const std::string title =
        text(rec.code.view()) + " " + text(rec.name.view()) + ", (" + categoryText(r, 1) + ")";
    return "<a href=\"" + referenceName(r) + "\" title=\"" + title + "\">" + label + "</a>";
}

std::string PageWriter::codeLink(CodeId c, const std::string &label)
{
    return isEventCode(m_d, c) ? eventLink(c, label) : resourceLink(c, label);
}

// ---- Names ----

std::string PageWriter::extension() const
{
    if (m_p.suffix == 2)
        return ".html";
    if (m_p.suffix == 1)
        return ".htm";
    const std::size_t dot = m_main.rfind('.');
    return dot == std::string::npos ? ".htm" : m_main.substr(dot);
}

std::string PageWriter::pageName(CodeId c, int week, int report)
{
    const bool refs = isEventCode(m_d, c) ? m_p.eventRefs : m_p.resourceRefs;
    return m_names.name(
        "page:" + std::to_string(report) + ":" + std::to_string(week) + ":" + std::to_string(c),
        pageStem(m_d.codes[c].code.view(), week, report, m_p.firstChar, m_p.lowerCase || !refs) +
            extension());
}

std::string PageWriter::referenceName(CodeId c)
{
    return m_names.name("ref:" + std::to_string(c),
                        pageStem(m_d.codes[c].code.view(), 0, 0, m_p.firstChar, true) +
                            extension());
}

std::string PageWriter::weekPageName(int w)
{
    if (m_first == m_last)
        return m_main;
    return m_names.name("week:" + std::to_string(w), "week" + threeDigits(w) + extension());
}

std::string PageWriter::calendarName(CodeId r)
{
    return resourceCalendarName(m_d, r, CalendarFormat::ICalendar, m_names);
}

// The closing tags of the cell format command ("<font size=1>" gives "</font>"), innermost first;
// elements without content (br, hr, img) need none.
static std::string closingTags(std::string_view html)
{
    std::vector<std::string> names;
    for (std::size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
        std::size_t end = i + 1;
        while (end < html.size() && isAlnum(html[end]))
            ++end;
        const std::string name = toLowerAscii(html.substr(i + 1, end - i - 1));
        if (name.empty() || name == "br" || name == "hr" || name == "img")
            continue;
        names.push_back(name);
    }
    std::string out;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        out += "</" + *it + ">";
    return out;
}

std::string PageWriter::closeCellFormats(const std::string &html) const
{
    const std::string &open = m_p.cellFont;
    const std::string close = closingTags(open);
    if (open.empty() || close.empty())
        return html;
    std::string out;
    out.reserve(html.size() + html.size() / 8);
    std::size_t pos = 0;
    for (std::size_t found; (found = html.find(open, pos)) != std::string::npos;) {
        const std::size_t cellEnd = html.find("</td>", found);
        if (cellEnd == std::string::npos)
            break;
        int opened = 0;
        for (std::size_t k = found; k < cellEnd; k = html.find(open, k) + open.size()) {
            if (html.find(open, k) >= cellEnd)
                break;
            ++opened;
        }
        out.append(html, pos, cellEnd - pos);
        for (int k = 0; k < opened; ++k)
            out += close;
        pos = cellEnd;
    }
    out.append(html, pos, std::string::npos);
    return out;
}

void PageWriter::writePage(const std::string &name, const std::string &html)
{
    if (m_sink.write(name, toCharset(closeCellFormats(html), m_p.charset))) {
        ++m_result.written;
        m_result.files.push_back(name);
    } else {
        m_result.failed.push_back(name);
    }
}

// ---- Report 3: timetables ----

std::string PageWriter::timetable(CodeId c, int w)
{
    weekTimetableOf(m_d, c, w, m_table, m_index, (m_p.miscOptions & MiscManualRooms) != 0);
    const WeekTimetable &t = m_table;
    const int days = std::max(1, usedDays(m_d));
    int bells = std::max(1, usedBells(m_d));
    if (m_p.suppressLastCells) {
        int last = 1;
        for (int b = 1; b <= bells; ++b)
            for (int day = 1; day <= days; ++day)
                if (t.cell(day, b) != 0)
                    last = b;
        bells = last;
    }
    const int sides = m_p.bellsBothSides ? 2 : 1;
    std::string dayWidth, bellWidth;
    if (m_p.equalWidth) {
        const int dw = static_cast<int>(std::lround(100.0 / (sides * 0.5 + days)));
        dayWidth = " width=\"" + std::to_string(dw) + "%\"";
        bellWidth = " width=\"" + std::to_string(std::max(0, (100 - days * dw) / sides)) + "%\"";
    }
    const std::string align = std::string(m_p.verticalCentre ? " valign=middle" : " valign=top") +
                              (m_p.leftAlign ? " align=left" : "");
    const std::string code = m_d.codes[c].code.str();

    std::string h;
    if (!trim(m_p.tag).empty())
        h += "<center><font size=\"5\"><b>" + m_p.tag + "</b></font></center><br>\n";
    if (m_p.headerFile && !m_o.headerText.empty())
        h += m_o.headerText + "\n";
    h += tableStart(true);
    h += "<tr><td" + colour(4) +
         " align=center valign=middle colspan=" + std::to_string(days + sides) +
         "><font size=5><b>" + resourceLink(c, codeLabel(c, std::max(m_p.codeFormat, 1))) +
         "&nbsp;&nbsp;&nbsp;" + weekLabel(w) + "</b></font>";
    if (m_p.publishMemos & 2) {
        const std::string memo = memoText(m_d, code);
        if (!memo.empty())
            h += "<br>" + text(memo);
    }
    h += "</td></tr>\n";

    // The corner: previous and next week of the same code, where such a page was written.
    std::string corner = "<b>";
    if (!m_oneFile) {
        for (int p = w - 1; p >= m_first; --p) {
            const std::string name =
                m_names.find("page:3:" + std::to_string(p) + ":" + std::to_string(c));
            if (!name.empty()) {
                corner += "<a href=\"" + name + "\" title=\"Go to previous week (of " + text(code) +
                          ")\">[&lt;]</a>&nbsp;";
                break;
            }
        }
    }
    corner += upLink();
    if (!m_oneFile) {
        for (int n = w + 1; n <= m_last; ++n) {
            const std::string key = "page:3:" + std::to_string(n) + ":" + std::to_string(c);
            const std::string name = m_names.find(key);
            if (!name.empty()) {
                corner += "&nbsp;<a href=\"" + name + "\" title=\"Go to next week (of " +
                          text(code) + ")\">[&gt;]</a>";
                break;
            }
        }
    }
    corner += "</b>";

    const std::string bellCell = "<td" + colour(0) + bellWidth + align + ">";
    h += "<tr align=center>" + bellCell + corner + "</td>";
    for (int day = 1; day <= days; ++day) {
        h += "<td" + colour(0) + dayWidth + align + ">" + m_p.cellFont + "<b>" + dayName(day) +
             "</b>";
        if ((m_p.weekOptions & WeekDatesInTimetables) && weekLength(m_d, w) == 1 && weeksDated(m_d))
            h += "<br>" + dateOf(w, day);
        h += "</td>";
    }
    if (sides == 2)
        h += bellCell + corner + "</td>";
    h += "</tr>\n";

    const int minRows = m_p.minCellRows;
    auto bellColumn = [&](int b) {
        std::string cell = bellCell + m_p.cellFont;
        for (int line = 1; line <= minRows; ++line)
            cell += (line == (minRows + 1) / 2 ? "<b>" + bellName(0, b) + "</b>" : "&nbsp;") +
                    std::string(line < minRows ? "<br>" : "");
        return cell + "</td>";
    };
    const int mask = m_p.cellFormat(categoryOf(m_d, c));
    const int eventRow = (mask >> 2) & 3;
    const int resourceRows = mask & 3;
    const int categories = (mask >> 7) & 0x7F;

    for (int b = 1; b <= bells; ++b) {
        h += "<tr align=center>" + bellColumn(b);
        for (int day = 1; day <= days; ++day) {
            const CellWord cell = t.cell(day, b);
            if (cell != 0 && b > 1 && t.cell(day, b - 1) == cell)
                continue; // the cell above spans this one
            int n = 1;
            while (cell != 0 && b + n <= bells && t.cell(day, b + n) == cell)
                ++n;
            const std::string span = n >= 2 ? " rowspan=" + std::to_string(n) : "";
            std::vector<std::string> lines;
            std::string cellColour = colour(1);
            const CommentMatch comment = (m_p.weekOptions & WeekCellComments)
                                             ? findComment(m_d, w, code, day, b)
                                             : CommentMatch{};
            if (cell == 0) {
                // A comment for the week or the whole timetable is not the cell's own.
                for (int line = 1; line <= minRows; ++line)
                    lines.push_back(line == (minRows + 1) / 2 && comment.index >= 0 &&
                                            !comment.general
                                        ? text(comment.text)
                                        : "&nbsp;");
            } else if (isBookingCell(cell)) {
                cellColour = colour(2);
                const int kind = std::clamp(cellKind(cell), 1, 3);
                const int item = (cell & CellEventBit) ? kind : kind + 3;
                std::string name = listItem(m_d.bookingKinds.view(), item);
                if (name.empty())
                    name = listItem(m_d.bookingKinds.view(), kind);
                lines.push_back(comment.index >= 0 ? text(comment.text) : text(name));
            } else {
                const CodeId e = cellCode(m_d, cell);
                cellColour = codeColour(e, 3);
                if (eventRow != 0)
                    lines.push_back("<b>" +
                                    eventLink(e, replaceAll(codeLabel(e, eventRow), ":", " ")) +
                                    "</b>");
                const MemberList members = collectionOf(m_d, e);
                std::vector<std::pair<int, std::string>> shown; // category, link
                for (int k = 1; k <= members[0] && resourceRows != 0; ++k) {
                    const CodeId m = members[at(k)];
                    const int category = categoryOf(m_d, m);
                    if (category < 1 || !(categories & (1 << (category - 1))))
                        continue;
                    if (m_p.hideMatches && m == c)
                        continue;
                    shown.emplace_back(category, resourceLink(m, codeLabel(m, resourceRows)));
                }
                if ((m_p.miscOptions & MiscManualRooms) && !hasRoomResource(m_d, e)) {
                    std::string rooms;
                    CodeId previous = 0;
                    for (int k = 0; k < n; ++k) {
                        const int triple = findTriple(m_d, w, day, b + k, 0, 0, e);
                        const CodeId room = triple ? manualTriple(m_d, triple).room : 0;
                        if (room == 0 || room == previous)
                            continue;
                        rooms += std::string(rooms.empty() ? "" : " ") +
                                 (k > 0 ? bellName(day, b + k) + ": " : "") +
                                 resourceLink(room, codeLabel(room, std::max(resourceRows, 1)));
                        previous = room;
                    }
                    if (!rooms.empty())
                        shown.emplace_back(m_d.roomsCategory, rooms);
                }
                std::vector<std::string> resourceLines;
                for (std::size_t i = 0; i < shown.size(); ++i) {
                    if (m_p.wrapLines && i > 0 && shown[i].first == shown[i - 1].first &&
                        resourceLines.back().size() < 200)
                        resourceLines.back() += " " + shown[i].second;
                    else
                        resourceLines.push_back(shown[i].second);
                }
                const int room = std::max(0, m_p.maxCellRows - static_cast<int>(lines.size()));
                for (std::size_t i = 0; i < resourceLines.size(); ++i) {
                    if (static_cast<int>(i) < room)
                        lines.push_back(resourceLines[i]);
                    else
                        ++m_result.unfitLines;
                }
                if (comment.index >= 0 && !comment.general)
                    lines.push_back("<i>" + text(comment.text) + "</i>");
                while (static_cast<int>(lines.size()) < minRows / n)
                    lines.push_back("&nbsp;");
            }
            h += "<td" + align + cellColour + dayWidth + span + ">" + m_p.cellFont;
            for (std::size_t i = 0; i < lines.size(); ++i)
                h += lines[i] + (i + 1 < lines.size() ? "<br>" : "");
            h += "</td>";
        }
        if (sides == 2)
            h += bellColumn(b);
        h += "</tr>\n";
    }
    h += "</table></center>\n";

    const std::string when =
        formatDateTime("ddddd t", localSerial(m_env.now), localMinutes(m_env.now));
    h += "<center><table border=0 width=\"" + std::to_string(std::max(m_p.width, 1)) +
         "%\"><tr><td align=left><font size=1>" + ProductTitle + "</font></td>";
    if (m_p.footer && !m_d.description.empty())
        h += "<td align=center><font size=1>" + text(m_d.description) + "</font></td>";
    h += "<td align=right><font size=1>" + std::string(ProductTitle) + " " + when +
         "</font></td></tr></table>\n";
    if (m_p.unscheduled) {
        const WeekFigures::Counts &n = counts(c);
        const int length = weekLength(m_d, w);
        const int allocated = n.allocated[at(w)] / length;
        const int scheduled = n.scheduled[at(w)] / length;
        if (scheduled < allocated)
            h += "<b>[" + std::to_string(allocated) + " h - " + std::to_string(scheduled) +
                 " h = " + std::to_string(allocated - scheduled) + " h]</b><br>\n";
    }
    h += "<b><font size=2>" + organisation(", ") + "</font></b>\n";
    if (m_p.footerFile && !m_o.footerText.empty())
        h += m_o.footerText + "\n";
    return h + "</center>\n";
}

std::string PageWriter::weekIndexPage(int w, const std::vector<CodeId> &codes, int report)
{
    std::string h = frame() + titleBlock();
    if (report == 3)
        h += "<center><font size=4><b>" + weekLabel(w) + "</b></font></center><br>\n";
    h += tableStart(false);
    bool any = false;
    for (int category = 1; category <= MaxCategories; ++category) {
        std::vector<CodeId> listed;
        for (const CodeId c : codes)
            if (categoryOf(m_d, c) == category)
                listed.push_back(c);
        if (listed.empty())
            continue;
        any = true;
        const auto &list =
            isEventCode(m_d, listed.front()) ? m_d.eventCategories : m_d.resourceCategories;
        const std::string item = listItem(list.view(), category);
        const std::size_t colon = item.find(':');
        h += "<tr><td" + colour(4) + " align=center valign=middle colspan=3><font size=4><b>" +
             text(colon == std::string::npos ? item : item.substr(colon + 1)) +
             "</b></font></td></tr>\n";
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const CodeId c = listed[i];
            if (i % 3 == 0)
                h += "<tr>";
            h += "<td" + codeColour(c, 4) + " align=center valign=middle><font size=3><a href=\"" +
                 pageName(c, report == 3 ? w : m_first, m_p.reportNumber()) + "\">" +
                 codeLabel(c, std::max(m_p.codeFormat, 1)) + "</a></font></td>";
            if (i % 3 == 2)
                h += "</tr>\n";
        }
        if (listed.size() % 3 != 0)
            h += "<td" + colour(1) + " colspan=" + std::to_string(3 - listed.size() % 3) +
                 ">&nbsp;</td></tr>\n";
    }
    if (!any)
        h += "<tr><td>(No timetables in this week)</td></tr>\n";
    h += "</table></center>\n<br><center><b>" + upLink() + "</b></center>\n";
    return h + pageEnd();
}

std::string PageWriter::weeksPage(const std::string &stem)
{
    auto target = [&](int w) {
        if (stem == "week")
            return weekPageName(w);
        return m_names.name(stem + ":" + std::to_string(w), stem + threeDigits(w) + extension());
    };
    std::string h = frame() + titleBlock();
    if (weeksDated(m_d))
        return h + monthCalendars(stem) + pageEnd();
    h += tableStart(false);
    for (int w = m_first; w <= m_last; ++w)
        h += "<tr><td" + colour(4) + " align=center><font size=2><a href=\"" + target(w) + "\">" +
             weekLabel(w) + "</a></font></td></tr>\n";
    return h + "</table></center>\n" + pageEnd();
}

std::string PageWriter::monthCalendars(const std::string &stem)
{
    auto target = [&](int w) {
        if (stem == "week")
            return weekPageName(w);
        return m_names.name(stem + ":" + std::to_string(w), stem + threeDigits(w) + extension());
    };
    auto weekOfDate = [&](std::int32_t date) {
        for (int w = m_first; w <= m_last; ++w) {
            const std::int32_t start = weekDate(m_d, w);
            if (date >= start && date < start + 7 * weekLength(m_d, w))
                return w;
        }
        return 0;
    };
    const std::int32_t firstDate = weekDate(m_d, m_first);
    const std::int32_t lastDate = weekDate(m_d, m_last) + 7 * weekLength(m_d, m_last) - 1;
    int year = 0, month = 0, day = 0;
    serialToDate(firstDate, year, month, day);
    std::string h;
    for (std::int32_t monthStart = dateSerial(year, month, 1); monthStart <= lastDate;) {
        serialToDate(monthStart, year, month, day);
        const std::int32_t next =
            month == 12 ? dateSerial(year + 1, 1, 1) : dateSerial(year, month + 1, 1);
        h += "<center><table cellspacing=" + std::to_string(m_p.cellSpacing) +
             " cellpadding=" + std::to_string(m_p.cellPadding) +
             " border=" + std::to_string(m_p.border) + " width=\"50%\">\n";
        h += "<tr><td" + colour(4) + " align=center colspan=8>" +
             formatDateTime("mmmm yyyy", monthStart) + "</td></tr>\n<tr><td>&nbsp;</td>";
        for (int k = 0; k < 7; ++k)
            h += "<td align=center>" + formatDateTime("ddd", dateSerial(2024, 1, 1) + k) + "</td>";
        h += "</tr>\n";
        for (std::int32_t monday = monthStart - (isoWeekday(monthStart) - 1); monday < next;
             monday += 7) {
            h += "<tr" + colour(isoWeek(monday) % 2 ? 5 : 6) + ">";
            int published = 0;
            for (int k = 0; k < 7 && published == 0; ++k)
                published = weekOfDate(monday + k);
            if (published)
                h += "<td>[ <a href=\"" + target(published) +
                     "\" title=\"Weekly timetables: " + weekLabel(published) + "\">" +
                     std::to_string(isoWeek(monday)) + "</a> ]</td>";
            else
                h += "<td>&nbsp;</td>";
            for (int k = 0; k < 7; ++k) {
                const std::int32_t date = monday + k;
                if (date < monthStart || date >= next) {
                    h += "<td>&nbsp;</td>";
                    continue;
                }
                int y = 0, m = 0, dd = 0;
                serialToDate(date, y, m, dd);
                const int w = weekOfDate(date);
                std::string link = w ? target(w) : std::string();
                std::string title;
                if (w && m_p.dailyPages && m_p.report == 3 && weekLength(m_d, w) == 1 &&
                    date - weekDate(m_d, w) < usedDays(m_d)) {
                    link = dailyPage(w, static_cast<int>(date - weekDate(m_d, w)) + 1);
                    title = " title=\"Daily timetables: " + formatDateTime("ddddd", date) + "\"";
                }
                h += "<td align=center>" +
                     (w ? "<a href=\"" + link + "\"" + title + ">" + std::to_string(dd) + "</a>"
                        : std::to_string(dd)) +
                     "</td>";
            }
            h += "</tr>\n";
        }
        h += "</table></center><br>\n";
        monthStart = next;
    }
    return h;
}

std::string PageWriter::dayCells(int day, int bells)
{
    std::string h;
    for (int b = 1; b <= bells;) {
        const CellWord cell = m_table.cell(day, b);
        int n = 1;
        while (b + n <= bells && m_table.cell(day, b + n) == cell)
            ++n;
        if (!(cell & CellEventBit) || isBookingCell(cell)) {
            for (int k = 0; k < n; ++k)
                h += "<td" + colour(cell ? 2 : 1) + ">&nbsp;</td>";
        } else {
            const CodeId e = cellCode(m_d, cell);
            h += "<td" + codeColour(e, 3) + " align=center" +
                 (n > 1 ? " colspan=" + std::to_string(n) : "") + ">" + m_p.cellFont + "<b>" +
                 eventLink(e, codeLabel(e, m_p.formatChoice)) + "</b></td>";
        }
        b += n;
    }
    return h;
}

std::string PageWriter::dailyPage(int w, int day)
{
    const std::int32_t date = weekDate(m_d, w) + day - 1;
    const std::string key = "day:" + std::to_string(date);
    if (const std::string known = m_names.find(key); !known.empty())
        return known;
    const std::string name = m_names.name(key, serialToYmd(date) + extension());
    const int bells = std::max(1, usedBells(m_d));
    std::string h = frame() + titleBlock() + tableStart(false);
    h += "<tr><td align=center" + colour(4) + " colspan=" + std::to_string(bells + 1) + "><b>" +
         dayName(day) + " " + formatDateTime("ddddd", date) + "</b></td></tr>\n<tr><td" +
         colour(0) + ">&nbsp;</td>";
    for (int b = 1; b <= bells; ++b)
        h += "<td" + colour(0) + " align=center>" + m_p.cellFont + bellName(day, b) + "</td>";
    h += "</tr>\n";
    bool any = false;
    for (const CodeId r : m_codes) {
        if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
            continue;
        weekTimetableOf(m_d, r, w, m_table, m_index);
        bool busy = false;
        for (int b = 1; b <= bells; ++b)
            busy = busy ||
                   ((m_table.cell(day, b) & CellEventBit) && !isBookingCell(m_table.cell(day, b)));
        if (!busy)
            continue;
        any = true;
        h += "<tr><td" + codeColour(r, 0) + ">" + m_p.cellFont +
             resourceLink(r, codeLabel(r, std::max(m_p.codeFormat, 1))) + "</td>";
        h += dayCells(day, bells);
        h += "</tr>\n";
    }
    if (!any)
        h += "<tr><td colspan=" + std::to_string(bells + 1) + ">(No events today)</td></tr>\n";
    h += "</table></center>\n<br><center><b>" + upLink() + "</b></center>\n";
    writePage(name, h + pageEnd());
    return name;
}

void PageWriter::timetablesReport()
{
    std::vector<CodeId> resources;
    for (const CodeId c : m_codes)
        if (!(m_d.codes[c].flags & NoTimetableBit))
            resources.push_back(c);
    // Which pages exist, decided before any is written, so week links reach only real pages.
    std::map<int, std::vector<CodeId>> byWeek;
    for (int w = m_first; w <= m_last; ++w) {
        for (const CodeId c : resources) {
            if (!m_p.emptyTables) {
                weekTimetableOf(m_d, c, w, m_table, m_index);
                if (m_table.writes == 0)
                    continue;
            }
            byWeek[w].push_back(c);
            if (!m_oneFile)
                pageName(c, w, 3);
        }
    }
    if (m_oneFile) {
        std::string h = frame() + titleBlock();
        bool firstTable = true;
        for (const CodeId c : resources) {
            for (int w = m_first; w <= m_last; ++w) {
                const auto &list = byWeek[w];
                if (std::find(list.begin(), list.end(), c) == list.end())
                    continue;
                if (!firstTable)
                    h += Separator;
                firstTable = false;
                h += timetable(c, w);
            }
        }
        writePage(m_main, h + pageEnd());
        return;
    }
    if (m_first != m_last)
        writePage(m_main, weeksPage("week"));
    for (int w = m_first; w <= m_last; ++w) {
        writePage(weekPageName(w), weekIndexPage(w, byWeek[w], 3));
        for (const CodeId c : byWeek[w])
            writePage(pageName(c, w, 3),
                      frame() + timetable(c, w) + sourceComment() + "</body></html>\n");
    }
}

// ---- Reference pages ----

std::string PageWriter::eventPage(CodeId e)
{
    const CodeRecord &r = m_d.codes[e];
    std::string h = frame() + titleBlock() +
                    "<center><table cellspacing=" + std::to_string(m_p.cellSpacing) +
                    " cellpadding=" + std::to_string(m_p.cellPadding) +
                    " border=" + std::to_string(m_p.border) + " width=\"50%\"" + colour(0) + ">\n";
    h += "<tr><td align=center" + codeColour(e, 4) + " colspan=2>" + text(r.code.view()) + " " +
         text(r.name.view()) + "&nbsp;&nbsp;(" + std::to_string(r.scheduled) + "/" +
         std::to_string(r.allocated) + ")";
    if (m_p.publishMemos & 1) {
        const std::string memo = memoText(m_d, r.code.view());
        if (!memo.empty())
            h += "<br>" + text(memo);
    }
    const DateRange range = codeDateRange(m_d, e);
    if (range.valid && range.first != range.last)
        h += "<br>(" + text(formatDateRange(m_d, range)) + ")";
    h += "</td></tr>\n";

    // The lecture list: week lines and period lines.
    WeekAllocation wa;
    loadWeekAllocation(m_d, e, wa, m_index);
    const bool severalWeeks = usedWeeks(m_d) >= 2;
    std::string list;
    int lines = 0;
    bool firstWeek = true;
    for (int w = 1; w <= usedWeeks(m_d); ++w) {
        if (wa.allocated[at(w)] == 0 && wa.booked[at(w)] == 0)
            continue;
        if (!firstWeek) {
            list += "<hr size=1 width=\"100%\">";
            ++lines;
        }
        firstWeek = false;
        std::string weekText = text(formatWeek(m_d, w, weekLength(m_d, w) > 1 ? 6 : 2));
        if (weekText.empty())
            weekText = std::to_string(w);
        if (weeksDated(m_d))
            weekText += " [" + weekLabel(w) + "] ";
        if (severalWeeks) {
            if (wa.booked[at(w)] != 0)
                list += "&bull; " + weekText + " = " +
                        text(listItem(m_d.bookingKinds.view(), wa.booked[at(w)])) + "<br>";
            else
                list += "&bull; " + weekText + " (" + std::to_string(wa.scheduled[at(w)]) + "/" +
                        std::to_string(wa.allocated[at(w)]) + ")<br>";
            ++lines;
        }
        for (const LectureView &v : wa.timetable) {
            if (isBookingWord(v.word) || v.startDay == 0 || w < v.startWeek || w > v.endWeek)
                continue;
            for (int day = v.startDay; day <= v.endDay; ++day) {
                const int n = v.endBell - v.startBell + 1;
                std::string rooms;
                bool anyRoom = false;
                for (int b = v.startBell; b <= v.endBell; ++b) {
                    const int k = findTriple(m_d, w, day, b, 0, 0, e);
                    const CodeId room = k ? manualTriple(m_d, k).room : 0;
                    anyRoom = anyRoom || room != 0;
                    rooms += std::string(b > v.startBell ? "," : "") +
                             (room ? text(m_d.codes[room].code.view()) : "-");
                }
                list += std::string(severalWeeks ? "&nbsp;&nbsp;" : "") +
                        text(formatBellRange(m_d, day, v.startBell, n, 3)) + "&nbsp;&nbsp;&nbsp;(" +
                        std::to_string(n) + ") " + (anyRoom ? "[" + rooms + "]" : "") + "<br>";
                ++lines;
            }
        }
    }
    if (list.empty())
        list = "&nbsp;";

    const MemberList members = collectionOf(m_d, e);
    const int memberCount = members[0];
    const int rows = std::max(memberCount, 1) + (lines > memberCount ? 1 : 0);
    const std::string listCell = "<td" + colour(0) + " valign=top rowspan=" + std::to_string(rows) +
                                 ">" + m_p.cellFont + list + "</td>";
    for (int k = 1; k <= memberCount; ++k) {
        const CodeId m = members[at(k)];
        h += "<tr><td" + codeColour(m, 4) + " valign=middle>" + m_p.cellFont;
        if (m_d.codes[m].flags & NoTimetableBit)
            h += codeLabel(m, 3) + " (" + categoryLetter(m) + ")";
        else
            h += "(" + categoryLetter(m) + ") " + resourceLink(m, codeLabel(m, 3));
        h += "</td>" + std::string(k == 1 ? listCell : "") + "</tr>\n";
    }
    if (memberCount == 0)
        h += "<tr><td" + colour(4) + ">&nbsp;</td>" + listCell + "</tr>\n";
    if (lines > memberCount) {
        h += "<tr><td" + colour(1) + " valign=middle>" + m_p.cellFont;
        for (int k = 0; k < (lines - memberCount) * 2 / 3 + 1; ++k)
            h += "&nbsp;<br>";
        h += "</td></tr>\n";
    }
    h += "</table></center>\n<br><center><b>" + upLink() + "</b></center>\n";
    return h + pageEnd();
}

std::string PageWriter::resourcePage(CodeId r)
{
    const CodeRecord &rec = m_d.codes[r];
    const int bells = std::max(1, usedBells(m_d));
    std::string h = frame() + titleBlock() +
                    "<center><table cellspacing=" + std::to_string(m_p.cellSpacing) +
                    " cellpadding=" + std::to_string(m_p.cellPadding + 5) +
                    " border=" + std::to_string(m_p.border) + colour(0) + ">\n";
    std::string label = m_p.formatChoice == 2   ? codeLabel(r, 2)
                        : m_p.formatChoice == 3 ? codeLabel(r, 3)
                                                : codeLabel(r, 1);
    h += "<tr><td align=center" + codeColour(r, 4) + " colspan=" + std::to_string(bells + 2) +
         "><b>" + label + "</b>";
    if (m_linkCalendars) {
        const std::string ics = calendarName(r);
        h += "&nbsp;&nbsp;[<a href=\"" + ics + "\" title=\"Download schedules in .ics format\">" +
             ics + "</a>]";
    }
    if (m_p.publishMemos & 2) {
        const std::string memo = memoText(m_d, rec.code.view());
        if (!memo.empty())
            h += "<br>" + text(memo);
    }
    const DateRange range = codeDateRange(m_d, r);
    if (range.valid)
        h += "<br>(" + text(formatDateRange(m_d, range)) + ")";
    h += "</td></tr>\n<tr><td colspan=2" + colour(0) + ">&nbsp;</td>";
    for (int b = 1; b <= bells; ++b)
        h += "<td" + colour(0) + " align=center>" + m_p.cellFont + bellName(0, b) + "</td>";
    h += "</tr>\n";
    for (int w = m_first; w <= m_last; ++w) {
        weekTimetableOf(m_d, r, w, m_table, m_index);
        for (int day = 1; day <= usedDays(m_d); ++day) {
            bool any = false;
            for (int b = 1; b <= bells; ++b)
                any = any || (m_table.cell(day, b) & CellEventBit);
            if (!any)
                continue;
            std::string when =
                weekLength(m_d, w) == 1 && weeksDated(m_d) ? dateOf(w, day) : weekLabel(w);
            const std::string page =
                m_names.find("page:3:" + std::to_string(w) + ":" + std::to_string(r));
            if (!page.empty() && !m_oneFile)
                when = "<a href=\"" + page + "\">" + when + "</a>";
            h += "<tr><td" + colour(0) + ">" + m_p.cellFont + when + "</td><td" + colour(0) + ">" +
                 m_p.cellFont + dayName(day) + "</td>";
            h += dayCells(day, bells);
            h += "</tr>\n";
        }
    }
    h += "</table></center>\n<br><center><b>" + upLink() + "</b></center>\n";
    return h + pageEnd();
}

void PageWriter::referencePages()
{
    if (m_p.eventRefs)
        for (int c = 1; c <= m_d.codeCount; ++c)
            if (isEventCode(m_d, static_cast<CodeId>(c)))
                writePage(referenceName(static_cast<CodeId>(c)), eventPage(static_cast<CodeId>(c)));
    if (m_p.resourceRefs)
        for (int c = 1; c <= m_d.codeCount; ++c) {
            const auto r = static_cast<CodeId>(c);
            if (!isEventCode(m_d, r) && !(m_d.codes[r].flags & NoTimetableBit))
                writePage(referenceName(r), resourcePage(r));
        }
}

void PageWriter::calendarFiles()
{
    if (!m_linkCalendars)
        return;
    CalendarExportOptions o;
    o.format = CalendarFormat::ICalendar;
    o.layout = CalendarLayout::PerResource;
    o.labelFormat = std::max(1, m_p.codeFormat);
    o.firstWeek = m_first;
    o.lastWeek = m_last;
    o.organizer = m_o.organizer;
    std::set<CodeId> resources;
    for (int c = 1; c <= m_d.codeCount; ++c) {
        const auto r = static_cast<CodeId>(c);
        if (!isEventCode(m_d, r) && !m_names.find("calendar:" + std::to_string(r)).empty())
            resources.insert(r);
    }
    o.resources.assign(resources.begin(), resources.end());
    const CalendarExportResult result = exportCalendar(m_d, o, m_sink, m_names, m_env);
    m_result.written += result.files;
    m_result.files.insert(m_result.files.end(), result.written.begin(), result.written.end());
    m_result.failed.insert(m_result.failed.end(), result.failed.begin(), result.failed.end());
}

// ---- The run ----

PublishResult PageWriter::run()
{
    bool events = false, resources = false;
    for (int c = 1; c <= m_d.codeCount; ++c)
        (isEventCode(m_d, static_cast<CodeId>(c)) ? events : resources) = true;
    if (!events || !resources) {
        m_result.refused = true;
        m_result.message = "You must first create at least one resource and one event.";
        return m_result;
    }
    std::tie(m_first, m_last) = reportWeeks(m_d, m_p);
    m_oneFile = m_p.suffix == 0;
    if (m_p.codes.empty())
        selectAllCodes(m_d, m_p);
    const bool listsEvents = reportListsEvents(m_p.report);
    for (const CodeId c : selectedCodes(m_d, m_p))
        if (isEventCode(m_d, c) == listsEvents)
            m_codes.push_back(c);
    if (m_codes.empty()) {
        m_result.refused = true;
        m_result.message = "Please select the codes to print or publish...";
        return m_result;
    }
    std::string wanted = m_o.mainFile;
    if (wanted.empty())
        wanted = std::string("index") + (m_p.suffix == 2 ? ".html" : ".htm");
    m_main = m_names.name("main", wanted);
    m_result.mainFile = m_main;
    m_linkCalendars = m_p.icsFiles && weeksDated(m_d) && m_p.resourceRefs;

    switch (m_p.report) {
    case 3:
        timetablesReport();
        break;
    case 4:
        if (m_p.variant() == 2)
            eventTimetablesReport();
        else
            codeListReport();
        break;
    case 6:
        timelineReport();
        break;
    default:
        codeListReport();
        break;
    }
    referencePages();
    calendarFiles();
    m_result.message = std::to_string(m_result.written) + " webpage(s) were created.";
    if (!m_result.failed.empty())
        m_result.message += " " + std::to_string(m_result.failed.size()) +
                            " file(s) could not be written, the first: " + m_result.failed.front();
    if (m_result.unfitLines > 0)
        m_result.message += " Some of the resources (" + std::to_string(m_result.unfitLines) +
                            ") could not be displayed in all timetable cells.";
    return m_result;
}

PublishResult publishReport(const ScheduleData &d, const ReportParams &params,
                            const PublishOptions &options, FileSink &sink,
                            const RunEnvironment &env)
{
    PageWriter writer(d, params, options, sink, env);
    return writer.run();
}

} // namespace quivra
