// The pages of the reports that are not weekly timetables: the code lists (reports 1, 2, 4 in
// its basic form and 5), the event timetables (report 4, second form) and the three timeline
// reports (report 6).

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/manualrooms.h"
#include "engine/textutil.h"
#include "engine/weekstore.h"
#include "reports/pagewriter.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>

namespace quivra {

namespace {

constexpr const char *Separator = "<hr size=3 color=\"#00007f\">\n";

template <typename T> std::size_t at(T i)
{
    return static_cast<std::size_t>(i);
}

// The fields of "Show fields" in column order: their bit and their word in the vocabulary.
struct FieldColumn
{
    int bit;
    int word;
};
constexpr FieldColumn FieldColumns[] = {
    {FieldNumber, 3}, // bit 0 is never a column of its own
    {FieldCode, 4},      {FieldName, 5},      {FieldCategory, 6}, {FieldPlanned, 7},
    {FieldAllocated, 8}, {FieldScheduled, 9}, {FieldLinks, 10},
};

std::string cell(const std::string &colour, const std::string &font, const std::string &content)
{
    return "<td" + colour + ">" + font + (trim(content).empty() ? "&nbsp;" : content) + "</td>";
}

} // namespace

std::string PageWriter::codeListHeader(CodeId c, int columns)
{
    std::string h = tableStart(true);
    const std::string words = m_d.vocabulary.empty() ? DefaultVocabulary : m_d.vocabulary;
    if (c != 0)
        h += "<tr><td" + colour(4) +
             " align=center valign=middle colspan=" + std::to_string(columns) +
             "><font size=5><b>" + codeLabel(c, std::max(m_p.codeFormat, 1)) +
             "&nbsp;&nbsp;&nbsp;" + weekRangeLabel() + "</b></font></td></tr>\n";
    h += "<tr align=center>";
    int fields = 0;
    for (const FieldColumn &f : FieldColumns) {
        if (!(m_p.showFields & f.bit))
            continue;
        ++fields;
        h += cell(colour(0), m_p.cellFont, text(listItem(words, f.word)));
    }
    for (int w = m_first; w <= m_last; ++w)
        h += cell(colour(0), m_p.cellFont,
                  replaceAll(replaceAll(weekLabel(w), "...", "<br>"), ": ", "<br>"));
    h += "</tr>\n<tr align=center><td" + colour(0) + " colspan=" + std::to_string(fields) +
         ">&nbsp;</td>";
    for (int w = m_first; w <= m_last; ++w)
        h += cell(colour(0), m_p.cellFont, std::to_string(weekLength(m_d, w)) + "w");
    return h + "</tr>\n";
}

std::string PageWriter::codeRow(CodeId c, const std::string &number, bool events)
{
    (void)events;
    const CodeRecord &r = m_d.codes[c];
    const std::string rowColour = codeColour(c, 0);
    const std::string &font = m_p.cellFont;
    int allocated = r.allocated, scheduled = r.scheduled;
    if (m_p.miscOptions & MiscSelectedWeeksTotals) {
        const WeekFigures::Counts &n = counts(c);
        allocated = scheduled = 0;
        for (int w = m_first; w <= m_last; ++w) {
            allocated += n.allocated[at(w)];
            scheduled += n.scheduled[at(w)];
        }
    }
    std::string h = "<tr align=center>";
    for (const FieldColumn &f : FieldColumns) {
        if (!(m_p.showFields & f.bit))
            continue;
        std::string content;
        switch (f.word) {
        case 3:
            content = number;
            break;
        case 4:
            content = codeLink(c, text(r.code.view()));
            break;
        case 5:
            content = codeLink(c, text(r.name.view()));
            break;
        case 6:
            content = categoryText(c, m_p.categoryMode);
            break;
        case 7:
            content = std::to_string(r.planned);
            break;
        case 8:
            content = std::to_string(allocated);
            break;
        case 9:
            content = std::to_string(scheduled);
            break;
        default:
            content = std::to_string(r.links) + "x";
            break;
        }
        h += cell(rowColour, font, content);
    }
    const std::vector<int> sums = weekSums(c);
    const WeekFigures::Counts &n = counts(c);
    for (int w = m_first; w <= m_last; ++w) {
        const int value = sums[at(w - m_first)];
        if (!(m_p.weekOptions & WeekCumulative)) {
            if (isEventCode(m_d, c) && n.booked[at(w)] != 0) {
                h +=
                    cell(colour(2), font, text(listItem(m_d.bookingKinds.view(), n.booked[at(w)])));
                continue;
            }
            if (value == 0) {
                h += cell(colour(7), font, "-");
                continue;
            }
            if (isEventCode(m_d, c) && n.scheduled[at(w)] == 0) {
                h += cell(colour(7), font, std::to_string(value));
                continue;
            }
        }
        h += cell(colour(3), font, std::to_string(value));
    }
    return h + "</tr>\n";
}

void PageWriter::codeListReport()
{
    const bool events = reportListsEvents(m_p.report);
    std::vector<CodeId> listed;
    for (const CodeId c : m_codes)
        if (!(m_p.miscOptions & MiscAllocatedOnly) || m_d.codes[c].allocated > 0)
            listed.push_back(c);
    int fields = 0;
    for (const FieldColumn &f : FieldColumns)
        fields += (m_p.showFields & f.bit) ? 1 : 0;
    const int columns = fields + (m_last - m_first + 1);
    const int number = m_p.reportNumber();
    const bool withLinks = m_p.report == 4 || m_p.report == 5;

    auto linkedTable = [&](CodeId c, int n) {
        std::string h =
            codeListHeader(c, columns) + codeRow(c, " " + std::to_string(n) + ":", events);
        if (m_p.weekOptions & WeekAverages) {
            const int divider = std::max<int>(1, m_d.averageDivider);
            auto average = [&](int value) {
                char out[32];
                std::snprintf(out, sizeof out, "%.2f", static_cast<double>(value) / divider);
                return std::string(out);
            };
            const CodeRecord &r = m_d.codes[c];
            h += "<tr align=center>";
            for (const FieldColumn &f : FieldColumns) {
                if (!(m_p.showFields & f.bit))
                    continue;
                std::string content = "&nbsp;";
                if (f.word == 4)
                    content = " h/" + std::to_string(divider) + "= ";
                else if (f.word == 7)
                    content = average(r.planned);
                else if (f.word == 8)
                    content = average(r.allocated);
                else if (f.word == 9)
                    content = average(r.scheduled);
                h += cell(colour(0), m_p.cellFont, content);
            }
            for (const int value : weekSums(c))
                h += cell(colour(value < 1 ? 1 : 3), m_p.cellFont, std::to_string(value));
            h += "</tr>\n";
        }
        h += "<tr><td" + colour(0) + " colspan=" + std::to_string(columns) + ">&nbsp;</td></tr>\n";
        std::vector<CodeId> linked;
        if (isEventCode(m_d, c)) {
            const MemberList members = collectionOf(m_d, c);
            for (int k = 1; k <= members[0]; ++k)
                linked.push_back(members[at(k)]);
            std::sort(linked.begin(), linked.end());
            linked.erase(std::unique(linked.begin(), linked.end()), linked.end());
        } else {
            linked = eventsOf(c);
        }
        int m = 0;
        for (const CodeId l : linked) {
            h += codeRow(l, "(" + std::to_string(++m) + ")", !events);
            std::vector<CodeId> back;
            if (isEventCode(m_d, l)) {
                const MemberList members = collectionOf(m_d, l);
                for (int k = 1; k <= members[0]; ++k)
                    back.push_back(members[at(k)]);
                std::sort(back.begin(), back.end());
                back.erase(std::unique(back.begin(), back.end()), back.end());
            } else {
                back = eventsOf(l);
            }
            if ((m_p.weekOptions & WeekLinkedCodes) && !back.empty()) {
                h += "<tr><td" + colour(0) + " align=left colspan=" + std::to_string(columns) + ">";
                for (std::size_t i = 0; i < back.size(); ++i)
                    h += std::string(i ? "," : "") + m_p.cellFont +
                         codeLink(back[i], text(m_d.codes[back[i]].code.view()));
                h += "</td></tr>\n";
            }
            if (m_p.weekOptions & WeekLinkedRows) {
                int k = 0;
                for (const CodeId b : back)
                    h += codeRow(b, "-" + std::to_string(++k) + "-", events);
            }
        }
        return h + "</table></center>\n";
    };

    if (m_oneFile) {
        std::string h = frame() + titleBlock();
        int n = 0;
        if (withLinks) {
            for (const CodeId c : listed)
                h += linkedTable(c, ++n) + Separator;
        } else {
            h += codeListHeader(0, columns);
            for (const CodeId c : listed)
                h += codeRow(c, " " + std::to_string(++n) + ":", events);
            h += "</table></center>\n";
        }
        writePage(m_main, h + pageEnd());
        return;
    }
    for (const CodeId c : listed)
        pageName(c, m_first, number);
    writePage(m_main, weekIndexPage(m_first, listed, number));
    int n = 0;
    for (const CodeId c : listed) {
        ++n;
        std::string h = frame() + titleBlock();
        if (withLinks)
            h += linkedTable(c, n);
        else
            h += codeListHeader(0, columns) + codeRow(c, " " + std::to_string(n) + ":", events) +
                 "</table></center>\n";
        h += "<br><center><b>" + upLink() + "</b></center>\n";
        writePage(pageName(c, m_first, number), h + pageEnd());
    }
}

void PageWriter::eventTimetablesReport()
{
    const std::string words = m_d.vocabulary.empty() ? DefaultVocabulary : m_d.vocabulary;
    const bool showName = (m_p.showFields & FieldName) != 0;
    std::vector<int> fieldWords = {3, 4};
    if (showName)
        fieldWords.push_back(5);
    const int fields = static_cast<int>(fieldWords.size());
    const int weeks = m_last - m_first + 1;
    const std::string &font = m_p.cellFont;
    const int number = m_p.reportNumber();

    auto table = [&](CodeId r, int n) {
        std::string h = tableStart(true);
        h += "<tr><td" + colour(4) +
             " align=center valign=middle colspan=" + std::to_string(fields + 1 + weeks) +
             "><font size=5><b>" + codeLabel(r, std::max(m_p.codeFormat, 1)) +
             "&nbsp;&nbsp;&nbsp;" + weekRangeLabel() + "</b></font></td></tr>\n<tr align=center>";
        for (const int word : fieldWords)
            h += cell(colour(0), font, text(listItem(words, word)));
        h += cell(colour(0), font, "");
        for (int w = m_first; w <= m_last; ++w)
            h += cell(colour(0), font, weekLabel(w));
        h += "</tr>\n<tr align=center>";
        for (int k = 0; k <= fields; ++k)
            h += cell(colour(0), font, "");
        for (int w = m_first; w <= m_last; ++w)
            h += cell(colour(0), font, std::to_string(weekLength(m_d, w)) + "w");
        h += "</tr>\n<tr align=center>" + cell(colour(0), font, " " + std::to_string(n) + ":") +
             cell(colour(0), font, resourceLink(r, text(m_d.codes[r].code.view())));
        if (showName)
            h += cell(colour(0), font, text(m_d.codes[r].name.view()));
        h += cell(colour(0), font, "");
        for (const int value : weekSums(r))
            h += cell(colour(2), font, std::to_string(value));
        h += "</tr>\n";
        int m = 0;
        for (const CodeId e : eventsOf(r)) {
            ++m;
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
            const std::string span = " rowspan=" + std::to_string(rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const auto [sd, sb, ed, eb] = rows[i];
                h += "<tr align=center>";
                if (i == 0) {
                    h += "<td" + colour(0) + span + ">" + font + "(" + std::to_string(m) +
                         ")</td><td" + colour(0) + span + ">" + font +
                         eventLink(e, text(m_d.codes[e].code.view())) + "</td>";
                    if (showName)
                        h += "<td" + colour(0) + span + ">" + font +
                             text(m_d.codes[e].name.view()) + "</td>";
                }
                std::string pattern;
                if (sd != 0) {
                    pattern = dayName(sd).substr(0, 3);
                    if (ed > sd)
                        pattern += "/" + dayName(ed).substr(0, 3);
                    pattern += (sd == ed && sb == eb) ? " " : "<br>";
                    pattern += bellName(sd, sb);
                    if (eb != sb || ed != sd)
                        pattern += "/" + bellName(ed, eb);
                }
                h += cell(colour(0), font, pattern);
                for (int w = m_first; w <= m_last; ++w) {
                    bool covered = false;
                    for (const LectureView &v : wa.timetable)
                        covered =
                            covered ||
                            (!isBookingWord(v.word) && v.startWeek <= w && v.endWeek >= w &&
                             Pattern{v.startDay, v.startBell, v.endDay, v.endBell} == rows[i]);
                    if (wa.booked[at(w)] != 0)
                        h += cell(colour(2), font,
                                  text(listItem(m_d.bookingKinds.view(), wa.booked[at(w)])));
                    else if (covered && wa.scheduled[at(w)] > 0)
                        h += cell(colour(3), font, text(m_d.codes[e].code.view()));
                    else
                        h += cell(colour(1), font, "");
                }
                h += "</tr>\n";
            }
        }
        return h + "</table></center>\n";
    };

    std::vector<CodeId> resources;
    for (const CodeId c : m_codes)
        if (!isEventCode(m_d, c))
            resources.push_back(c);
    if (m_oneFile) {
        std::string h = frame() + titleBlock();
        int n = 0;
        for (const CodeId r : resources)
            h += table(r, ++n) + Separator;
        writePage(m_main, h + pageEnd());
        return;
    }
    for (const CodeId r : resources)
        pageName(r, m_first, number);
    writePage(m_main, weekIndexPage(m_first, resources, number));
    int n = 0;
    for (const CodeId r : resources)
        writePage(pageName(r, m_first, number), frame() + titleBlock() + table(r, ++n) +
                                                    "<br><center><b>" + upLink() +
                                                    "</b></center>\n" + pageEnd());
}

std::string PageWriter::timelineBasic(int w)
{
    const bool names = m_p.codeFormat >= 2;
    const int bells = std::max(1, usedBells(m_d));
    const std::string &font = m_p.cellFont;
    const bool manual = (m_p.miscOptions & MiscManualRooms) != 0;
    std::string h;
    for (int day = 1; day <= std::max(1, usedDays(m_d)); ++day) {
        h += tableStart(false);
        std::string title = weekLabel(w) + " - " + dayName(day);
        if (weeksDated(m_d) && weekLength(m_d, w) == 1)
            title += " - " + dateOf(w, day);
        h += "<tr><td" + colour(4) +
             " align=center valign=middle colspan=" + std::to_string(bells + 1 + (names ? 2 : 0)) +
             "><font size=5><b>" + title + "</b></font></td></tr>\n<tr align=center>";
        const std::string words = m_d.vocabulary.empty() ? DefaultVocabulary : m_d.vocabulary;
        h += cell(colour(0), font, text(listItem(words, 4)));
        if (names)
            h += cell(colour(0), font, text(listItem(words, 5))) +
                 cell(colour(0), font, text(listItem(words, 6)));
        for (int b = 1; b <= bells; ++b)
            h += cell(colour(0), font, bellName(day, b));
        h += "</tr>\n";
        for (const CodeId r : m_codes) {
            if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
                continue;
            weekTimetableOf(m_d, r, w, m_table, m_index, manual);
            h += "<tr align=center><td" + codeColour(r, 0) + ">" + font +
                 resourceLink(r, text(m_d.codes[r].code.view())) + "</td>";
            if (names)
                h += "<td" + codeColour(r, 0) + ">" + font +
                     resourceLink(r, text(m_d.codes[r].name.view())) + "</td>" +
                     cell(codeColour(r, 0), font, categoryLetter(r));
            auto word = [&](int b) -> CellWord {
                const CellWord c = m_table.cell(day, b);
                if (c == 0 && manual && categoryOf(m_d, r) == m_d.roomsCategory) {
                    const CodeId e = m_table.manualRoom[at(b)][at(day)];
                    if (e != 0)
                        return ownWord(m_d, e);
                }
                return c;
            };
            for (int b = 1; b <= bells;) {
                const CellWord c = word(b);
                int n = 1;
                while (b + n <= bells && word(b + n) == c)
                    ++n;
                if (c == 0) {
                    for (int k = 0; k < n; ++k)
                        h += "<td" + colour(1) + " align=center><b>" + font + "&nbsp;</b></td>";
                    b += n;
                    continue;
                }
                std::string content, cellColour;
                if (isBookingCell(c)) {
                    cellColour = colour(2);
                    const int kind = std::clamp(cellKind(c), 1, 3);
                    content = text(
                        listItem(m_d.bookingKinds.view(), (c & CellEventBit) ? kind : kind + 3));
                } else {
                    const CodeId e = cellCode(m_d, c);
                    cellColour = codeColour(e, 3);
                    content = eventLink(e, codeLabel(e, std::max(m_p.codeFormat, 1)));
                }
                if (trim(content).empty())
                    content = "&nbsp;";
                h += "<td" + cellColour + (n > 1 ? " colspan=" + std::to_string(n) : "") + "><b>" +
                     font + content + "</b></td>";
                b += n;
            }
            h += "</tr>\n";
        }
        h += "</table></center>\n" + std::string(Separator);
    }
    return h;
}

std::string PageWriter::timelineRooms(int w)
{
    const int days = std::max(1, usedDays(m_d));
    const int bells = std::max(1, usedBells(m_d));
    const std::string &font = m_p.cellFont;
    const bool manual = (m_p.miscOptions & MiscManualRooms) != 0;
    const bool dates =
        (m_p.weekOptions & WeekDatesInTimetables) && weekLength(m_d, w) == 1 && weeksDated(m_d);
    std::string h = tableStart(false);
    h += "<tr><td" + colour(4) + " align=center valign=middle colspan=" + std::to_string(days + 2) +
         "><font size=5><b>" + weekLabel(w) +
         "</b></font></td></tr>\n<tr align=center><td>&nbsp;</td><td>&nbsp;</td>";
    for (int day = 1; day <= days; ++day)
        h += cell(colour(0), "", dayName(day) + (dates ? "<br>" + dateOf(w, day) : ""));
    h += "</tr>\n";
    for (const CodeId r : m_codes) {
        if (isEventCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
            continue;
        weekTimetableOf(m_d, r, w, m_table, m_index, manual);
        std::vector<CodeId> events;
        for (int day = 1; day <= days; ++day)
            for (int b = 1; b <= bells; ++b) {
                const CellWord c = m_table.cell(day, b);
                CodeId e = (c & CellEventBit) && !isBookingCell(c) ? cellCode(m_d, c) : 0;
                if (e == 0 && manual && categoryOf(m_d, r) == m_d.roomsCategory)
                    e = m_table.manualRoom[at(b)][at(day)];
                if (e != 0 && events.size() < 255 &&
                    std::find(events.begin(), events.end(), e) == events.end())
                    events.push_back(e);
            }
        for (const CodeId e : events) {
            h += "<tr align=center><td" + codeColour(e, 3) + "><b>" + font +
                 eventLink(e, codeLabel(e, std::max(m_p.codeFormat, 1))) + "</b></td><td" +
                 codeColour(r, 0) + "><b>" + font + codeLabel(r, std::max(m_p.codeFormat, 1)) +
                 "</b></td>";
            const MemberList members = collectionOf(m_d, e);
            CodeId roomResource = 0;
            for (int k = 1; k <= members[0] && roomResource == 0; ++k)
                if (categoryOf(m_d, members[at(k)]) == m_d.roomsCategory)
                    roomResource = members[at(k)];
            for (int day = 1; day <= days; ++day) {
                std::vector<std::pair<CodeId, std::string>> rooms; // room, bells
                for (int b = 1; b <= bells; ++b) {
                    const CellWord c = m_table.cell(day, b);
                    const bool holds =
                        ((c & CellEventBit) && !isBookingCell(c) && cellCode(m_d, c) == e) ||
                        (c == 0 && m_table.manualRoom[at(b)][at(day)] == e);
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
                    content += list + "[" + (room ? text(m_d.codes[room].code.view()) : "") + "]; ";
                if (content.ends_with("; "))
                    content.resize(content.size() - 2);
                h += content.empty() ? cell(colour(1), font, "-")
                                     : cell(codeColour(e, 3), font, content);
            }
            h += "</tr>\n";
        }
    }
    h += "</table></center>\n" + std::string(Separator) + tableStart(false) + "<tr align=center>";
    for (int b = 1; b <= bells; ++b)
        h += cell(colour(0), font, std::to_string(b) + "=" + bellName(0, b));
    return h + "</tr></table></center>\n";
}

std::string PageWriter::timelineAllEvents(int w, const std::vector<CodeId> &taken, CodeId single)
{
    const int days = std::max(1, usedDays(m_d));
    const int bells = std::max(1, usedBells(m_d));
    const std::string &font = m_p.cellFont;
    const int mask = m_p.tableMask;
    const int eventRow = (mask >> 2) & 3;
    const int resourceRows = mask & 3;
    const int categories = (mask >> 7) & 0x7F;
    const bool dates =
        (m_p.weekOptions & WeekDatesInTimetables) && weekLength(m_d, w) == 1 && weeksDated(m_d);
    // Every timetable lecture of an event whose collection holds a taken resource, store order.
    std::set<CodeId> takenSet(taken.begin(), taken.end());
    std::vector<std::pair<CodeId, LectureView>> lectures;
    for (int i = 1; i <= m_d.lectureCount; ++i) {
        const LectureView v = unpackLecture(m_d, i);
        const CodeId e = lectureCode(m_d, v.word);
        if (isBookingWord(v.word) || v.startDay == 0 || !isEventCode(m_d, e) || w < v.startWeek ||
            w > v.endWeek)
            continue;
        const MemberList members = collectionOf(m_d, e);
        bool uses = false;
        for (int k = 1; k <= members[0] && !uses; ++k)
            uses = takenSet.contains(members[at(k)]);
        if (uses)
            lectures.emplace_back(e, v);
    }
    std::string h = "<center><font size=5><b>" +
                    (single ? codeLabel(single, std::max(m_p.codeFormat, 1)) + "&nbsp;&nbsp;&nbsp;"
                            : std::string()) +
                    weekLabel(w) + "</b></font><br>\n" + tableStart(false);
    for (int i = 0; i <= bells; ++i) {
        h += "<tr>";
        for (int j = 0; j <= days; ++j) {
            if (i == 0 || j == 0) {
                std::string content;
                if (i == 0 && j > 0)
                    content = dayName(j) + (dates ? "<br>" + dateOf(w, j) : "");
                else if (j == 0 && i > 0)
                    content = bellName(0, i);
                h += "<td align=center valign=middle nowrap" + colour(0) + ">" + font +
                     (content.empty() ? "&nbsp;" : content) + "</td>\n";
                continue;
            }
            std::string content;
            std::set<CodeId> seen;
            for (const auto &[e, v] : lectures) {
                if (j < v.startDay || j > v.endDay || i < v.startBell || i > v.endBell ||
                    !seen.insert(e).second)
                    continue;
                std::string entry;
                if (eventRow != 0)
                    entry += "<b>" + eventLink(e, codeLabel(e, eventRow)) + "</b><br>";
                const MemberList members = collectionOf(m_d, e);
                int listedHere = 0;
                for (int k = 1; k <= members[0] && resourceRows != 0; ++k) {
                    const CodeId m = members[at(k)];
                    const int category = categoryOf(m_d, m);
                    if (category < 1 || !(categories & (1 << (category - 1))))
                        continue;
                    entry += resourceLink(m, codeLabel(m, resourceRows)) + "<br>";
                    ++listedHere;
                }
                if (eventRow == 0 || resourceRows == 0 || listedHere == 0)
                    entry += "&nbsp;";
                content += entry;
            }
            if (content.empty())
                h += "<td align=center valign=middle" + colour(1) + ">&nbsp;</td>";
            else
                h += "<td align=center valign=middle" + colour(3) + ">" + font + content + "</td>";
        }
        h += "</tr>\n";
    }
    return h + "</table></center>\n<br><br>\n";
}

void PageWriter::timelineReport()
{
    const int variant = std::clamp(m_p.variant(), 1, 3);
    const std::string stem = "tt" + std::to_string(variant);
    std::vector<CodeId> taken;
    for (const CodeId c : m_codes)
        if (!isEventCode(m_d, c) && !(m_d.codes[c].flags & NoTimetableBit))
            taken.push_back(c);
    auto week = [&](int w) {
        if (variant == 1)
            return timelineBasic(w);
        if (variant == 2)
            return timelineRooms(w);
        if (m_o.mergedTimetable)
            return timelineAllEvents(w, taken, 0);
        std::string h;
        for (const CodeId r : taken)
            h += timelineAllEvents(w, {r}, r);
        return h;
    };
    if (m_oneFile || m_first == m_last) {
        std::string h = frame() + titleBlock();
        for (int w = m_first; w <= m_last; ++w)
            h += week(w);
        writePage(m_main, h + pageEnd());
        return;
    }
    writePage(m_main, weeksPage(stem));
    for (int w = m_first; w <= m_last; ++w)
        writePage(m_names.name(stem + ":" + std::to_string(w),
                               stem + std::to_string(w + 1000).substr(1) + extension()),
                  frame() + titleBlock() + week(w) + "<br><center><b>" + upLink() +
                      "</b></center>\n" + pageEnd());
}

} // namespace quivra
