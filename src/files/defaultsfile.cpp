#include "files/defaultsfile.h"

#include "files/textlines.h"

#include "engine/calendar.h"
#include "engine/lectures.h"
#include "engine/roles.h"
#include "engine/textutil.h"
#include "files/datafile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>

namespace quivra {

namespace {

constexpr std::array<const char *, ReportTitleCount> BuiltInReportTitles = {
    "Events",         "Resources", "Timetables", "Events by resources", "Resources by events",
    "Timeline report"};

// Resource masks sit at index 1 of the three mask arrays (events 0, resources 1).
constexpr std::size_t ResourceMasks = 1;

// Largest date serial the calendar helpers accept (31 December 9999).
constexpr std::int32_t LastDateSerial = 2958465;

enum class Section {
    None,
    Weeks,
    Days,
    Bells,
    Attributes,
    Name,
    Weight,
    Limits,
    Reports,
    Months,
    Base,
    Mode,
    Words,
    Roles,
};

struct Heading
{
    std::string_view text;
    Section section;
};

constexpr std::array<Heading, 13> Headings = {{
    {"[Weeks]", Section::Weeks},
    {"[Days]", Section::Days},
    {"[Bells]", Section::Bells},
    {"[Attributes]", Section::Attributes},
    {"[Name]", Section::Name},
    {"[Weight]", Section::Weight},
    {"[Limits]", Section::Limits},
    {"[Reports]", Section::Reports},
    {"[Months]", Section::Months},
    {"[Base]", Section::Base},
    {"[Mode]", Section::Mode},
    {"[Words]", Section::Words},
    {"[Roles]", Section::Roles},
}};

// The heading a line stands for, or Section::None when the line is data.
Section headingOf(std::string_view line)
{
    const std::string t = trim(line);
    for (const Heading &h : Headings) {
        if (t == h.text)
            return h.section;
    }
    return Section::None;
}

std::string_view headingText(Section s)
{
    for (const Heading &h : Headings) {
        if (h.section == s)
            return h.text;
    }
    return {};
}

// Characters first..first+count-1 (1-based) of a line, as far as the line reaches.
std::string_view columns(std::string_view line, std::size_t first, std::size_t count)
{
    if (first < 1 || first > line.size())
        return {};
    return line.substr(first - 1, count);
}
// Characters from `first` (1-based) to the end of the line.
std::string_view columnsFrom(std::string_view line, std::size_t first)
{
    return columns(line, first, std::string_view::npos);
}

// A number from a fixed column; `fallback` when the column holds no number.
int numberAt(std::string_view line, std::size_t first, std::size_t count, int fallback)
{
    return toInt(columns(line, first, count), fallback);
}

constexpr int NotANumber = -1;

// The coding values as the file sets them; applied once at the end of the read.
struct CodingValues
{
    std::array<int, 10> v{}; // [1..9]: bits, limits, weeks/days/bells in use

    explicit CodingValues(const ScheduleData &d)
    {
        const SlotCoding &k = d.coding;
        v = {0,          k.weekBits,  k.dayBits,    k.bellBits,  k.weekLimit,
             k.dayLimit, k.bellLimit, usedWeeks(d), usedDays(d), usedBells(d)};
    }

    int fallbackFor(int index) const
    {
        switch (index) {
        case 1:
            return 8;
        case 2:
            return 3;
        case 3:
            return 5;
        case 4:
        case 5:
        case 6: {
            const int bits = v[static_cast<std::size_t>(index - 3)];
            return bits >= 1 && bits <= 16 ? (1 << bits) - 1 : 0;
        }
        default:
            return v[static_cast<std::size_t>(index - 3)]; // the limit just above
        }
    }
};

class DefaultsReader
{
public:
    DefaultsReader(ScheduleData &d, DefaultsLoad mode)
        : m_d(d), m_full(mode == DefaultsFullLoad), m_coding(d)
    {}

    void line(std::string_view text)
    {
        ++m_report.linesRead;
        const Section heading = headingOf(text);
        if (heading != Section::None) {
            m_section = heading;
            return;
        }
        if (trim(text).empty())
            return;
        switch (applyLine(text)) {
        case Outcome::Applied:
            ++m_report.linesApplied;
            break;
        case Outcome::Skipped:
            ++m_report.linesSkipped;
            if (m_report.firstSkippedLine == 0)
                m_report.firstSkippedLine = m_report.linesRead;
            break;
        case Outcome::Ignored:
            break;
        }
    }

    DefaultsReport finish()
    {
        if (m_full)
            applyCoding();
        recount(m_d);
        totals(m_d, 1, m_d.codeCount);
        return m_report;
    }

private:
    enum class Outcome { Applied, Skipped, Ignored };

    Outcome applyLine(std::string_view text)
    {
        switch (m_section) {
        case Section::Weeks:
            return m_full ? weekLine(text) : Outcome::Ignored;
        case Section::Days:
            return listLine(text, m_d.dayNames);
        case Section::Bells:
            return bellLine(text);
        case Section::Attributes:
            return attributeLine(text);
        case Section::Limits:
            return m_full ? limitLine(text) : Outcome::Ignored;
        case Section::Reports:
            return reportLine(text);
        case Section::Base:
            return m_full ? baseLine(text) : Outcome::Ignored;
        case Section::Mode:
            return m_full ? modeLine(text) : Outcome::Ignored;
        case Section::Words:
            return wordsLine(text);
        case Section::Roles:
            return roleLine(text);
        case Section::None:
        case Section::Name:
        case Section::Weight:
        case Section::Months:
            return Outcome::Ignored;
        }
        return Outcome::Ignored;
    }

    // Week (1-4), length (5-8, 1 when blank), name from 10. The length holds from this week on
    // until a later line says otherwise; a length of 0 stands for 1.
    Outcome weekLine(std::string_view text)
    {
        const int w = numberAt(text, 1, 4, NotANumber);
        const int length = numberAt(text, 5, 4, 1);
        if (w < 1 || w > MaxWeeks || length < 0 || length > 255)
            return Outcome::Skipped;
        const auto len = static_cast<std::uint8_t>(std::max(length, 1));
        for (int k = w; k <= MaxWeeks; ++k)
            m_d.weeks[static_cast<std::size_t>(k)].length = len;
        // A line without a name part keeps the week's name.
        if (text.size() >= 10) {
            auto &name = m_d.weeks[static_cast<std::size_t>(w)].name;
            name.clear();
            name.assign(columnsFrom(text, 10));
        }
        return Outcome::Applied;
    }

    static Outcome listLine(std::string_view text, std::string &target)
    {
        target = std::string(text.substr(0, ListLength));
        return Outcome::Applied;
    }

    Outcome bellLine(std::string_view text)
    {
        const int b = numberAt(text, 1, 4, NotANumber);
        if (b < 1 || b > MaxBells)
            return Outcome::Skipped;
        auto &name = m_d.bellNames[static_cast<std::size_t>(b)];
        name.clear();
        name.assign(columnsFrom(text, 6));
        return Outcome::Applied;
    }

    Outcome attributeLine(std::string_view text)
    {
        const int index = numberAt(text, 1, 4, NotANumber);
        const std::string_view value = columnsFrom(text, 6);
        switch (index) {
        case 1:
            return categoryList(value, m_d.eventCategories);
        case 2:
            return categoryList(value, m_d.resourceCategories);
        case 3:
            return categoryList(value, m_d.bookingKinds);
        case 4:
            return m_full ? maskLine(value, m_d.noGapsMasks) : Outcome::Ignored;
        case 5:
            return m_full ? maskLine(value, m_d.noTimetableMasks) : Outcome::Ignored;
        case 6:
            return m_full ? maskLine(value, m_d.visibleMasks) : Outcome::Ignored;
        default:
            return Outcome::Skipped;
        }
    }

    // An empty list would leave every category without a name; keep the one in force.
    static Outcome categoryList(std::string_view value, PString<ListLength> &target)
    {
        if (trim(value).empty())
            return Outcome::Skipped;
        target.clear();
        target.assign(value);
        return Outcome::Applied;
    }

    static Outcome maskLine(std::string_view value, std::array<std::uint8_t, 3> &masks)
    {
        const int mask = toInt(value, NotANumber);
        if (mask < 0 || mask > 255)
            return Outcome::Skipped;
        masks[ResourceMasks] = static_cast<std::uint8_t>(mask);
        return Outcome::Applied;
    }

    // Index (1-4) and value (5-8); a value that is not a number takes the default.
    Outcome limitLine(std::string_view text)
    {
        const int index = numberAt(text, 1, 4, NotANumber);
        if (index < 1 || index > 9)
            return Outcome::Skipped;
        const int value = numberAt(text, 5, 4, m_coding.fallbackFor(index));
        if (value < 0 || value > 255)
            return Outcome::Skipped;
        m_coding.v[static_cast<std::size_t>(index)] = value;
        m_limitsSeen = true;
        return Outcome::Applied;
    }

    Outcome reportLine(std::string_view text)
    {
        const int index = numberAt(text, 1, 4, NotANumber);
        if (index < 1 || index > ReportTitleCount)
            return Outcome::Skipped;
        m_d.reportTitles[static_cast<std::size_t>(index)] =
            std::string(columnsFrom(text, 6).substr(0, ReportTitleLength));
        return Outcome::Applied;
    }

    // A date serial; day numbers counted from year 1, as some older files hold them, are moved
    // to serials. Anything that is no date leaves the first week date alone.
    Outcome baseLine(std::string_view text)
    {
        int serial = toInt(text, NotANumber);
        if (serial > DayNumberOffset)
            serial -= DayNumberOffset;
        if (serial < 0 || serial > LastDateSerial)
            return Outcome::Skipped;
        m_d.firstWeekDate = serial;
        return Outcome::Applied;
    }

    Outcome modeLine(std::string_view text)
    {
        const int mode = toInt(text, NotANumber);
        if (mode < 0 || mode > 0xFFFF)
            return Outcome::Skipped;
        m_d.calendarMode = static_cast<std::uint16_t>(mode);
        return Outcome::Applied;
    }

    Outcome wordsLine(std::string_view text)
    {
        if (numberAt(text, 1, 4, NotANumber) != 1)
            return Outcome::Ignored;
        const std::string_view value = columnsFrom(text, 6);
        if (trim(value).empty())
            return Outcome::Skipped;
        return listLine(value, m_d.vocabulary);
    }

    Outcome roleLine(std::string_view text)
    {
        const std::string name = trim(text);
        const std::string_view cut = std::string_view(name).substr(0, RoleNameLength);
        if (findRoleByName(m_d, cut) != 0)
            return Outcome::Ignored; // changing the language twice must not double the roles
        if (addRole(m_d, cut) == 0)
            return Outcome::Skipped; // the role table is full
        ++m_report.rolesAdded;
        return Outcome::Applied;
    }

    void applyCoding()
    {
        const auto &v = m_coding.v;
        const SlotCoding before = m_d.coding;
        const bool valid = v[1] > 0 && v[2] > 0 && v[3] > 0 && v[1] + v[2] + v[3] <= 16 &&
                           v[4] > 0 && v[5] > 0 && v[6] > 0;
        if (m_limitsSeen && !valid)
            m_report.codingRefused = true;

        const auto keep = [](int value) { return static_cast<std::uint8_t>(value); };
        m_d.calendarRange.endWeek = keep(v[7]);
        m_d.calendarRange.endDay = keep(v[8]);
        m_d.calendarRange.endBell = keep(v[9]);
        if (m_d.lectureCount > 0) {
            // Stored slot codes were packed with the coding in force; keep it.
            setSlotCoding(m_d, before.weekBits, before.dayBits, before.bellBits, before.weekLimit,
                          before.dayLimit, before.bellLimit);
            m_report.codingKept =
                m_limitsSeen && valid &&
                (v[1] != before.weekBits || v[2] != before.dayBits || v[3] != before.bellBits ||
                 v[4] != before.weekLimit || v[5] != before.dayLimit || v[6] != before.bellLimit);
        } else {
            setSlotCoding(m_d, v[1], v[2], v[3], v[4], v[5], v[6]);
        }
    }

    ScheduleData &m_d;
    bool m_full;
    Section m_section = Section::None;
    CodingValues m_coding;
    bool m_limitsSeen = false;
    DefaultsReport m_report;
};

std::string rightAligned(int value, int width)
{
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width - static_cast<int>(s.size())), ' ');
    return s;
}

// "   1 text"
std::string numbered(int index, std::string_view text)
{
    return rightAligned(index, 4) + " " + std::string(text);
}

bool isDefaultWeekName(const ScheduleData &d, int w)
{
    return d.weeks[static_cast<std::size_t>(w)].name.view() == "[" + std::to_string(w) + "]";
}

} // namespace

void setBuiltInDefaults(ScheduleData &d)
{
    resetCalendar(d); // weeks "[k]" of length 1, day names, empty bells, calendar and extent
    d.eventCategories.clear();
    d.eventCategories.assign(DefaultEventCategories);
    d.resourceCategories.clear();
    d.resourceCategories.assign(DefaultResourceCategories);
    d.bookingKinds.clear();
    d.bookingKinds.assign(DefaultBookingKinds);
    d.visibleMasks = {255, 255, 255};
    d.noTimetableMasks = {};
    d.noGapsMasks = {};
    setBuiltInReportTitles(d);
    d.vocabulary = DefaultVocabulary;
}

void setBuiltInReportTitles(ScheduleData &d)
{
    for (int i = 1; i <= ReportTitleCount; ++i)
        d.reportTitles[static_cast<std::size_t>(i)] =
            BuiltInReportTitles[static_cast<std::size_t>(i - 1)];
}

DefaultsReport applyDefaultsText(std::string_view text, ScheduleData &d, DefaultsLoad mode)
{
    DefaultsReader reader(d, mode);
    forEachTextLine(text, [&](std::string_view line) { reader.line(line); });
    DefaultsReport report = reader.finish();
    report.fileRead = true;
    // New texts in an open data set are a change of it; a full load starts a new one.
    if (mode == DefaultsLanguageLoad && report.linesApplied > 0)
        d.modified = true;
    return report;
}

Result<DefaultsReport> readDefaultsFile(const std::string &path, ScheduleData &d, DefaultsLoad mode)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return fail(Error::Code::NotFound, "no defaults file \"" + path + "\"");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return fail(Error::Code::IoError, "cannot read \"" + path + "\"");
    if (size > MaxDefaultsFileSize)
        return fail(Error::Code::Corrupt, "\"" + path + "\" is too large for a defaults file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(Error::Code::IoError, "cannot open \"" + path + "\"");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || text.size() > MaxDefaultsFileSize)
        return fail(Error::Code::IoError, "cannot read \"" + path + "\"");
    return applyDefaultsText(text, d, mode);
}

std::string defaultsText(const ScheduleData &d)
{
    std::string out;
    // A line break inside a text would start a line the reader takes for something else.
    const auto put = [&](std::string_view line) {
        for (const char c : line)
            out.push_back(c == '\r' || c == '\n' ? ' ' : c);
        out.push_back('\n');
    };
    const auto heading = [&](Section s) { put(headingText(s)); };

    // Week 1 is always written, so the lengths it carries to later weeks replace whatever the
    // reading data set held. A later week is left out only when the reader gives it back
    // exactly: its default name and the length carried from the week before.
    heading(Section::Weeks);
    for (int w = 1; w <= usedWeeks(d); ++w) {
        const int length = weekLength(d, w);
        if (w > 1 && isDefaultWeekName(d, w) && length == weekLength(d, w - 1))
            continue;
        put(rightAligned(w, 4) + rightAligned(length, 4) + " " +
            d.weeks[static_cast<std::size_t>(w)].name.str());
    }

    heading(Section::Days);
    put(d.dayNames);

    heading(Section::Bells);
    for (int b = 1; b <= usedBells(d); ++b)
        put(numbered(b, d.bellNames[static_cast<std::size_t>(b)].view()));

    heading(Section::Attributes);
    put(numbered(1, d.eventCategories.view()));
    put(numbered(2, d.resourceCategories.view()));
    put(numbered(3, d.bookingKinds.view()));
    put(numbered(4, std::to_string(d.noGapsMasks[ResourceMasks])));
    put(numbered(5, std::to_string(d.noTimetableMasks[ResourceMasks])));
    put(numbered(6, std::to_string(d.visibleMasks[ResourceMasks])));

    heading(Section::Limits);
    const SlotCoding &k = d.coding;
    const std::array<int, 9> limits = {k.weekBits,   k.dayBits,   k.bellBits,
                                       k.weekLimit,  k.dayLimit,  k.bellLimit,
                                       usedWeeks(d), usedDays(d), usedBells(d)};
    for (int i = 1; i <= 9; ++i)
        put(rightAligned(i, 4) + rightAligned(limits[static_cast<std::size_t>(i - 1)], 4));

    heading(Section::Reports);
    for (int i = 1; i <= ReportTitleCount; ++i)
        put(numbered(i, d.reportTitles[static_cast<std::size_t>(i)]));

    heading(Section::Months);
    heading(Section::Base);
    // A serial the reader would take for a day number is written as the day number it means.
    put(std::to_string(d.firstWeekDate > DayNumberOffset
                           ? std::int64_t{d.firstWeekDate} + DayNumberOffset
                           : std::int64_t{d.firstWeekDate}));
    heading(Section::Mode);
    put(std::to_string(d.calendarMode));

    heading(Section::Words);
    put(numbered(1, d.vocabulary));

    heading(Section::Roles);
    for (int r = 1; r <= std::min(d.roleCount, MaxRoles); ++r) {
        const std::string name = trim(d.roles[static_cast<std::size_t>(r)].name.view());
        // A name that reads as a heading would switch the reader's section; it cannot be kept.
        if (!name.empty() && headingOf(name) == Section::None)
            put(name);
    }
    return out;
}

Result<void> writeDefaultsFile(const ScheduleData &d, const std::string &path)
{
    const std::string text = defaultsText(d);
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
}

Result<DefaultsReport> startNewDataSet(ScheduleData &d, const std::string &path)
{
    clearScheduleData(d);
    setBuiltInDefaults(d);
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return DefaultsReport{};
    return readDefaultsFile(path, d, DefaultsFullLoad);
}

} // namespace quivra
