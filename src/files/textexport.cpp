// Writing the text exchange file.

#include "files/textexchange.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/roles.h"
#include "engine/textutil.h"
#include "files/datafile.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace quivra {

namespace {

constexpr int FileIdLength = 64;

// Collects the lines of the file, numbering the lines of each section from 1.
class TextWriter
{
public:
    void section(std::string_view name)
    {
        if (!m_text.empty())
            m_text += "\r\n";
        m_text += name;
        m_text += "\r\n";
        m_number = 0;
    }
    void keyed(std::string_view key, std::string_view value)
    {
        m_text += key;
        m_text += '=';
        m_text += value;
        m_text += "\r\n";
    }
    void numbered(std::string_view value)
    {
        m_text += std::to_string(++m_number);
        m_text += '=';
        m_text += value;
        m_text += "\r\n";
    }
    std::string finish()
    {
        m_text += "\r\n";
        return std::move(m_text);
    }

private:
    std::string m_text;
    int m_number = 0;
};

// Fields joined by ";".
class Fields
{
public:
    Fields &operator<<(std::string_view text)
    {
        sep();
        m_text += text;
        return *this;
    }
    Fields &operator<<(long value) { return *this << std::string_view(std::to_string(value)); }
    Fields &operator<<(int value) { return *this << static_cast<long>(value); }
    const std::string &str() const { return m_text; }

private:
    void sep()
    {
        if (m_started)
            m_text += ';';
        m_started = true;
    }
    std::string m_text;
    bool m_started = false;
};

// A line break inside a value would end the line early and split the record.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

std::string cleanName(std::string_view name)
{
    std::string out = oneLine(name);
    std::erase(out, ';');
    return out;
}

std::string cleanCode(std::string_view code)
{
    std::string out;
    for (const char c : code) {
        if (c != ';' && c != ' ' && c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

// The code texts the file uses: cleaned, and unique within the file. Codes that need no
// cleaning keep their text; a cleaned code that would repeat one gets a suffix.
std::vector<std::string> writtenCodes(const ScheduleData &d, ExportReport &report)
{
    std::vector<std::string> codes(static_cast<std::size_t>(d.codeCount) + 1);
    std::unordered_set<std::string> taken;
    for (int c = 1; c <= d.codeCount; ++c) {
        const std::string_view code = d.codes[c].code.view();
        if (cleanCode(code) == code && !code.empty() && taken.insert(std::string(code)).second)
            codes[c] = std::string(code);
    }
    for (int c = 1; c <= d.codeCount; ++c) {
        if (!codes[c].empty())
            continue;
        ++report.codesCleaned;
        std::string base = cleanCode(d.codes[c].code.view());
        if (base.empty())
            base = "_";
        std::string candidate = base;
        for (int k = 1; !taken.insert(candidate).second; ++k) {
            const std::string suffix = "~" + std::to_string(k);
            candidate = base.substr(0, CodeLength - suffix.size()) + suffix;
        }
        if (candidate != base)
            ++report.codesRenamed;
        codes[c] = candidate;
    }
    return codes;
}

std::string createdText(std::time_t at)
{
    if (at == 0)
        at = std::time(nullptr);
    std::tm t{};
    localtime_r(&at, &t);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d %02d:%02d:%02d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

int categoryIndex(std::uint16_t flags)
{
    for (int k = 1; k <= MaxCategories; ++k) {
        if (flags & (1u << (CategoryShift + k - 1)))
            return k;
    }
    return 0;
}

std::string maskFields(std::uint8_t mask)
{
    std::string out;
    for (int k = 1; k <= MaxCategories; ++k)
        out += (mask & (1u << k)) ? "1;" : "0;";
    return out;
}

std::string itemsWithSeparator(std::string_view list, int first, int last)
{
    std::string out;
    for (int k = first; k <= last; ++k)
        out += listItem(list, k) + "$";
    return out;
}

// The default block pattern of a week is all "-"; only other patterns are written.
bool hasBlocks(std::string_view pattern)
{
    return pattern.find_first_not_of('-') != std::string_view::npos;
}

void writeHeader(TextWriter &out, const ScheduleData &d, const ExportOptions &o)
{
    out.section("[Header]");
    out.keyed("Version", "6.5.6");
    out.keyed("OriginalFile", oneLine(o.settings.originalFile));
    out.keyed("SourceFile", oneLine(o.settings.sourceFile));
    out.keyed("FileId", oneLine(o.settings.fileId).substr(0, FileIdLength));
    out.keyed("Created", createdText(o.created));
    out.keyed("Comment", oneLine(d.header.fileComment.view()));
    out.keyed("Description", oneLine(d.description));
}

void writeCalendar(TextWriter &out, const ScheduleData &d, const ExportOptions &o)
{
    out.section("[Time]");
    out.keyed("MaxWeeks", std::to_string(usedWeeks(d)));
    out.keyed("MaxDays", std::to_string(usedDays(d)));
    out.keyed("MaxLectures", std::to_string(usedBells(d)));
    if (weeksDated(d)) {
        std::int32_t date = d.firstWeekDate;
        if (date > DayNumberOffset)
            date -= DayNumberOffset;
        out.keyed("Date", std::to_string(date));
        // The date text always follows the first week date.
        out.keyed("YYYYMMDD", serialToYmd(date));
    }
    out.keyed("FirstWeek", std::to_string(d.currentWeek));
    out.keyed("WeekSum", std::to_string(d.averageDivider));
    out.keyed("Days", oneLine(d.dayNames));

    out.section("[Timeperiods]");
    for (int b = 1; b <= std::min(usedBells(d), MaxBells); ++b)
        out.numbered(oneLine(d.bellNames[b].view()));

    out.section("[Weeks]");
    const int weeks = std::min(usedWeeks(d), MaxWeeks);
    for (int w = 1; w <= weeks; ++w) {
        const WeekEntry &entry = d.weeks[w];
        const int length = weekLength(d, w);
        const std::string name(entry.name.view());
        if (length == 1 && name == "[" + std::to_string(w) + "]")
            continue;
        // Keyed by week number: the weeks left out leave gaps in the numbers.
        out.keyed(std::to_string(w), (Fields() << length << cleanName(name)).str());
    }

    out.section("[Blocks]");
    const auto cells = static_cast<std::size_t>(usedDays(d) * usedBells(d));
    for (int w = 1; w <= weeks; ++w) {
        const auto &patterns = o.settings.blockPatterns;
        if (static_cast<std::size_t>(w) >= patterns.size() || !hasBlocks(patterns[w]))
            continue;
        std::string pattern = oneLine(patterns[w]).substr(0, cells);
        pattern.resize(cells, '-');
        out.keyed(std::to_string(w), pattern);
    }
}

void writeCategories(TextWriter &out, const ScheduleData &d)
{
    out.section("[Courses]");
    out.keyed("Categories", oneLine(d.eventCategories.view()));
    out.keyed("Bookings", oneLine(itemsWithSeparator(d.bookingKinds.view(), 1, 3)));
    out.keyed("Default", std::to_string(d.header.defaultEventBookingKind));

    out.section("[Components]");
    out.keyed("Categories", oneLine(d.resourceCategories.view()));
    out.keyed("Bookings", oneLine(itemsWithSeparator(d.bookingKinds.view(), 4, 6)));
    out.keyed("Default", std::to_string(d.header.defaultResourceBookingKind));
    out.keyed("NoTimetables", maskFields(d.noTimetableMasks[1]));
    out.keyed("NoGaps", maskFields(d.noGapsMasks[1]));
    out.keyed("Rooms", std::to_string(d.roomsCategory));
}

struct CodeTexts
{
    std::vector<std::string> codes;
    std::vector<std::string> names;
};

void writeCodes(TextWriter &out, const ScheduleData &d, const ExportOptions &o, const CodeTexts &t,
                const std::vector<bool> &exported)
{
    out.section("[Coursedata]");
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[c];
        if (!r.isEvent() || !exported[c])
            continue;
        Fields f;
        f << t.codes[c] << t.names[c] << categoryIndex(r.flags) << static_cast<int>(r.planned);
        if (o.extended)
            f << ((r.flags & LockedBit) ? 1 : 0) << static_cast<long>(r.colour);
        out.numbered(f.str());
    }
    out.section("[Componentdata]");
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[c];
        if (r.isEvent())
            continue;
        Fields f;
        f << t.codes[c] << t.names[c] << categoryIndex(r.flags);
        if (o.extended)
            f << static_cast<int>(r.planned) << static_cast<long>(r.colour);
        out.numbered(f.str());
    }
    out.section("[Collections]");
    for (int c = 1; c <= d.codeCount; ++c) {
        if (!d.codes[c].isEvent() || !exported[c])
            continue;
        const MemberList members = collectionOf(d, static_cast<CodeId>(c));
        for (int k = 1; k <= members[0] && k <= MaxMembers; ++k) {
            if (validCode(d, members[k]))
                out.numbered((Fields() << t.codes[c] << t.codes[members[k]]).str());
        }
    }
}

// The lecture sections, from one pass over the store (sorted by code after the recount).
void writeLectures(TextWriter &out, const ScheduleData &d, const ExportOptions &o,
                   const CodeTexts &t, const std::vector<bool> &written)
{
    std::vector<std::string> weekLectures, weekBookings, tableLectures, tableBookings;
    const int n = std::min(d.lectureCount, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        const int c = lectureCode(d, word);
        if (word == 0 || !validCode(d, c) || !written[c])
            continue;
        const LectureView v = unpackLecture(d, i);
        const bool booking = isBookingWord(v.word);
        const std::string &code = t.codes[c];
        if (v.startWeek == 0 || v.startWeek > v.endWeek)
            continue;
        if (v.startDay == 0) {
            if (!booking) {
                weekLectures.push_back(
                    (Fields() << code << v.startWeek << v.endWeek << v.count).str());
                continue;
            }
            int kind = d.bookingKind[i] & 0xFF;
            if (kind < 1 || kind > 3)
                kind = v.count & 0xFF;
            if (kind >= 1 && kind <= 3)
                weekBookings.push_back(
                    (Fields() << code << v.startWeek << v.endWeek << kind).str());
            continue;
        }
        const int kind = std::clamp(d.bookingKind[i] & 0xFF, 1, 3);
        const int firstBell = v.startBell, lastBell = v.endBell;
        for (int b = firstBell; b <= lastBell; ++b) {
            const int from = o.linePerBell ? b : firstBell;
            const int to = o.linePerBell ? b : lastBell;
            Fields f;
            f << code << v.startWeek << v.endWeek << v.startDay << v.endDay << from << to;
            if (booking)
                tableBookings.push_back((f << kind).str());
            else
                tableLectures.push_back(f.str());
            if (!o.linePerBell)
                break;
        }
    }
    const auto emit = [&](std::string_view section, const std::vector<std::string> &lines) {
        out.section(section);
        for (const std::string &line : lines)
            out.numbered(line);
    };
    emit("[Weeklectures]", weekLectures);
    emit("[Weekbookings]", weekBookings);
    emit("[Tablelectures]", tableLectures);
    emit("[Tablebookings]", tableBookings);
}

void writeManualRooms(TextWriter &out, const ScheduleData &d, const CodeTexts &t,
                      const std::vector<bool> &written)
{
    out.section("[Manualrooms]");
    const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
    for (int i = 1; i + 2 <= words; i += 3) {
        const int slot = d.manualRooms[i];
        const int event = d.manualRooms[i + 1];
        const int room = d.manualRooms[i + 2];
        if (slot == 0 || !validCode(d, event) || !validCode(d, room) || !written[event])
            continue;
        // Manual rooms keep the 8/3/5 slot coding whatever the data set's coding.
        out.numbered((Fields() << t.codes[event] << t.codes[room] << (slot >> 8)
                               << ((slot >> 5) & 7) << (slot & 31))
                         .str());
    }
}

void writeCourseDates(TextWriter &out, const ScheduleData &d, const CodeTexts &t,
                      const std::vector<bool> &written)
{
    out.section("[Coursedates]");
    WeekAllocation wa;
    for (int e = 1; e <= d.codeCount; ++e) {
        if (!d.codes[e].isEvent() || d.codes[e].allocated == 0 || !written[e])
            continue;
        loadWeekAllocation(d, static_cast<CodeId>(e), wa);
        for (int w = std::max(wa.firstWeek, 1); w <= std::min(wa.lastWeek, MaxWeeks); ++w) {
            if (wa.allocated[w] == 0)
                continue;
            const DateRange range = codeDateRange(d, e, w);
            if (!range.valid)
                continue;
            out.numbered((Fields() << t.codes[e] << serialToYmd(range.first)
                                   << serialToYmd(range.last) << static_cast<int>(wa.scheduled[w]))
                             .str());
        }
    }
}

void writeNotes(TextWriter &out, const ScheduleData &d, const CodeTexts &t,
                const std::vector<bool> &written)
{
    out.section("[Tablecomments]");
    for (const std::string &comment : d.comments) {
        // Blank entries and ones that sort below a space (control characters) are no comment.
        if (comment > " ")
            out.numbered(oneLine(comment));
    }
    out.section("[Roles]");
    std::vector<bool> used(static_cast<std::size_t>(d.roleCount) + 1, false);
    const int assignments = std::min(d.assignmentCount, MaxAssignments);
    for (int i = 1; i <= assignments; ++i) {
        const RoleAssignment &a = d.assignments[i];
        const int role = roleOf(d, a.event, a.resource);
        if (!validCode(d, a.event) || !validCode(d, a.resource) || role == 0 ||
            findAssignment(d, a.event, a.resource) != i || !written[a.event])
            continue;
        used[role] = true;
        out.numbered((Fields() << t.codes[a.event] << t.codes[a.resource]
                               << cleanName(d.roles[role].name.view()))
                         .str());
    }
    for (int r = 1; r <= std::min(d.roleCount, MaxRoles); ++r) {
        if (!used[r] && !d.roles[r].name.empty())
            out.numbered((Fields() << "-"
                                   << "-" << cleanName(d.roles[r].name.view()))
                             .str());
    }
}

} // namespace

std::string exportText(const ScheduleData &d, const ExportOptions &options, ExportReport *report)
{
    ExportReport local;
    ExportReport &r = report ? *report : local;
    r = ExportReport{};

    CodeTexts texts;
    texts.codes = writtenCodes(d, r);
    texts.names.resize(texts.codes.size());
    NameConversion conversion;
    if (!options.nameConversionFolder.empty())
        conversion = readNameConversion(options.nameConversionFolder);
    std::unordered_map<std::string, const NameConversion::Entry *> converted;
    for (const auto &entry : conversion.entries)
        converted.emplace(entry.code, &entry);
    for (int c = 1; c <= d.codeCount; ++c) {
        std::string_view name = d.codes[c].name.view();
        // Names the other system knows as name A are held here as name B.
        if (auto it = converted.find(std::string(d.codes[c].code.view()));
            it != converted.end() && name == it->second->nameB)
            name = it->second->nameA;
        texts.names[c] = cleanName(name);
        if (texts.names[c] != name && texts.codes[c] == d.codes[c].code.view())
            ++r.codesCleaned;
    }
    std::vector<bool> exported(texts.codes.size(), options.allEvents);
    if (!options.allEvents) {
        for (int c = 1; c <= d.codeCount; ++c)
            exported[c] = (d.codes[c].flags & LinkMarksMask) != 0;
    }

    // Every resource is written, and of the events only those exported: a file of selected
    // events carries their schedules, rooms and roles and nothing of the events left out.
    std::vector<bool> written(texts.codes.size(), true);
    for (int c = 1; c <= d.codeCount; ++c)
        written[c] = !d.codes[c].isEvent() || exported[c];

    TextWriter out;
    writeHeader(out, d, options);
    writeCalendar(out, d, options);
    writeCategories(out, d);
    writeCodes(out, d, options, texts, exported);
    writeLectures(out, d, options, texts, written);
    writeManualRooms(out, d, texts, written);
    if (weeksDated(d))
        writeCourseDates(out, d, texts, written);
    writeNotes(out, d, texts, written);
    return out.finish();
}

Result<void> exportTextFile(ScheduleData &d, const std::string &path, const ExportOptions &options)
{
    recount(d);
    const std::string text = exportText(d, options);
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
}

} // namespace quivra
