// Reading the text exchange file: the replacing import, adding a file to the open data set,
// and the name conversion list.

#include "files/textexchange.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/notes.h"
#include "engine/roles.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/defaultsfile.h"
#include "files/encoding.h"
#include "files/textlines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace quivra {

namespace {

constexpr int MaxSamples = 20;
constexpr std::uintmax_t MaxTextFileBytes = 256u << 20;

enum class Section {
    Other,
    Header,
    Courses,
    Components,
    Timeperiods,
    Weeks,
    Blocks,
    Coursedata,
    Componentdata,
    Collections,
    Weeklectures,
    Weekbookings,
    Tablelectures,
    Tablebookings,
    Manualrooms,
    Tablecomments,
    Remove,
    Roles,
    Holidays,
};

Section sectionOf(std::string_view name)
{
    static constexpr std::pair<std::string_view, Section> Names[] = {
        {"[Header]", Section::Header},
        {"[Courses]", Section::Courses},
        {"[Components]", Section::Components},
        {"[Timeperiods]", Section::Timeperiods},
        {"[Weeks]", Section::Weeks},
        {"[Blocks]", Section::Blocks},
        {"[Coursedata]", Section::Coursedata},
        {"[Componentdata]", Section::Componentdata},
        {"[Collections]", Section::Collections},
        {"[Weeklectures]", Section::Weeklectures},
        {"[Weekbookings]", Section::Weekbookings},
        {"[Tablelectures]", Section::Tablelectures},
        {"[Tablebookings]", Section::Tablebookings},
        {"[Manualrooms]", Section::Manualrooms},
        {"[Tablecomments]", Section::Tablecomments},
        {"[Remove]", Section::Remove},
        {"[Roles]", Section::Roles},
    };
    for (const auto &[text, section] : Names) {
        if (text == name)
            return section;
    }
    return Section::Other;
}

std::uint16_t categoryBit(int k)
{
    if (k < 1 || k > MaxCategories)
        return 0;
    return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1));
}

struct Block
{
    int w1 = 0, w2 = 0, d1 = 0, d2 = 0, b1 = 0, b2 = 0;
};

class Importer
{
public:
    Importer(ScheduleData &d, const ImportOptions &o, ImportReport &r)
        : m_d(d), m_mode(o.mode), m_report(r), m_pending(CodeTableSize),
          m_listIndex(CodeTableSize, -1)
    {
        indexCodes();
    }

    void findRelevantEvents(std::string_view text);
    void run(std::string_view text);
    void applyHolidays();

private:
    bool mode(int bits) const { return (m_mode & bits) != 0; }
    void skip(SkipReason reason);

    void indexCodes();
    CodeId lookup(std::string_view code) const;
    CodeId appendCode(const CodeRecord &record);

    void enterSection(std::string_view name);
    void leaveSection();
    void keyedLine(std::string_view key, std::string_view value);
    void numberedLine(int n, std::string_view value);

    void calendarLine(int n, const std::vector<std::string> &f, std::string_view value);
    void codeLine(const std::vector<std::string> &f, bool event);
    void collectionLine(const std::vector<std::string> &f);
    void weekLine(const std::vector<std::string> &f, bool booking);
    void tableLine(const std::vector<std::string> &f, bool booking);
    void manualRoomLine(const std::vector<std::string> &f);
    void removeLine(const std::vector<std::string> &f);
    void roleLine(const std::vector<std::string> &f);

    bool readBlock(const std::vector<std::string> &f, std::size_t from, Block &b);
    struct Pending;
    Pending &pending(CodeId c);
    void flushCollections();
    void flushLectures();
    void buildRoomIndex();

    ScheduleData &m_d;
    int m_mode;
    ImportReport &m_report;
    int m_lineNumber = 0;
    std::string_view m_line;
    Section m_section = Section::Other;

    // Code texts looked up without copying the text of each line.
    struct TextHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const
        {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, CodeId, TextHash, std::equal_to<>> m_codes; // first of each
    std::unordered_set<std::string, TextHash, std::equal_to<>>
        m_relevant; // events a resource needs

    // Lectures are gathered per code and written once at the end (or before codes move), all
    // codes in one pass over the store.
    struct Pending
    {
        WeekAllocation wa;
        int lines = 0;           // lines that fed it, counted as skipped if it cannot be stored
        bool countsStale = true; // scheduled[] may lag behind the timetable list
        // Timetable entries already held, to drop repeats in constant time once the list is long.
        std::unordered_set<std::uint64_t> seen;
    };
    std::vector<std::unique_ptr<Pending>> m_pending;
    std::vector<CodeId> m_touched;
    std::unique_ptr<LectureIndex> m_index; // the store as it was before the gathered lectures

    // Collections being read: per event its new member list, in the order first seen.
    std::vector<std::pair<CodeId, MemberList>> m_lists;
    std::vector<int> m_listIndex;
    CodeId m_runEvent = 0;

    std::unordered_map<std::uint32_t, int> m_roomIndex; // (slot << 16 | event) -> word index
    bool m_roomIndexBuilt = false;

    std::vector<std::pair<int, std::string>> m_holidays;
};

void Importer::skip(SkipReason reason)
{
    ++m_report.linesSkipped;
    ++m_report.skippedBy[reason];
    if (static_cast<int>(m_report.samples.size()) < MaxSamples) {
        m_report.samples.push_back("line " + std::to_string(m_lineNumber) + ": " +
                                   skipReasonText(reason) + ": " +
                                   std::string(m_line.substr(0, 60)));
    }
}

void Importer::indexCodes()
{
    m_codes.clear();
    for (int c = 1; c <= m_d.codeCount; ++c)
        m_codes.emplace(std::string(m_d.codes[c].code.view()), static_cast<CodeId>(c));
}

CodeId Importer::lookup(std::string_view code) const
{
    const auto it = m_codes.find(code.substr(0, CodeLength));
    return it == m_codes.end() ? 0 : it->second;
}

// Appends a record after the last code. Nothing moves, so no store needs renumbering; only the
// lecture code part widens once the table passes 4095 codes.
CodeId Importer::appendCode(const CodeRecord &record)
{
    ScheduleData &d = m_d;
    if (d.codeCount >= MaxCodes)
        return 0;
    const auto c = static_cast<CodeId>(++d.codeCount);
    d.codes[c] = record;
    if (d.codeCount > NarrowCodeMask && d.lectureCodeMask == NarrowCodeMask) {
        // Kinds still held in the word move to their own store before bit 12 becomes code.
        for (int k = 1; k <= std::min(d.lectureCount, MaxLectures); ++k) {
            const std::uint16_t word = d.lectureWord[k];
            if ((word & LegacyKindBits) == 0)
                continue;
            if (isBookingWord(word) && (d.bookingKind[k] & 0xFF) == 0)
                d.bookingKind[k] = static_cast<std::int16_t>((word & LegacyKindBits) >> 12);
            d.lectureWord[k] = static_cast<std::uint16_t>(word & ~LegacyKindBits);
        }
        d.lectureCodeMask = WideCodeMask;
        m_index.reset();
    }
    m_codes.emplace(std::string(record.code.view()), c);
    d.modified = true;
    return c;
}

// Events that only a resource of the open data set makes relevant: the second code of a
// [Collections] or [Manualrooms] line is known and the event is not.
void Importer::findRelevantEvents(std::string_view text)
{
    Section section = Section::Other;
    forEachTextLine(text, [&](std::string_view line) {
        if (isSectionLine(line)) {
            section = sectionOf(sectionName(line));
            return;
        }
        if (section != Section::Collections && section != Section::Manualrooms)
            return;
        const auto kv = splitKeyValue(line);
        if (!kv || toInt(kv->key, 0) == 0)
            return;
        const std::vector<std::string> f = splitFields(kv->value);
        if (f.size() >= 2 && lookup(f[1]) != 0 && lookup(f[0]) == 0)
            m_relevant.insert(f[0].substr(0, CodeLength));
    });
}

void Importer::run(std::string_view text)
{
    forEachTextLine(text, [&](std::string_view line) {
        ++m_lineNumber;
        ++m_report.linesRead;
        m_line = line;
        if (m_section == Section::Holidays) {
            if (line.find('[') == std::string_view::npos) {
                if (const auto kv = splitKeyValue(line))
                    m_holidays.emplace_back(m_lineNumber, std::string(kv->value));
                return;
            }
            m_section = Section::Other;
        }
        if (line.starts_with("[Holidays]")) {
            leaveSection();
            m_section = Section::Holidays;
            return;
        }
        if (isSectionLine(line)) {
            enterSection(sectionName(line));
            return;
        }
        const auto kv = splitKeyValue(line);
        if (!kv)
            return;
        const int n = toInt(kv->key, 0);
        if (n != 0)
            numberedLine(n, kv->value);
        else
            keyedLine(kv->key, kv->value);
    });
    leaveSection();
    flushLectures();
}

void Importer::enterSection(std::string_view name)
{
    leaveSection();
    m_section = sectionOf(name);
}

void Importer::leaveSection()
{
    if (m_section == Section::Collections)
        flushCollections();
    m_runEvent = 0;
}

void Importer::keyedLine(std::string_view key, std::string_view value)
{
    ScheduleData &d = m_d;
    TextSettings &s = m_report.settings;
    if (m_section == Section::Header) {
        if (key == "OriginalFile")
            s.originalFile = value;
        else if (key == "SourceFile")
            s.sourceFile = value;
        else if (key == "FileId")
            s.fileId = value;
    }
    if (!mode(ImportSettings))
        return;
    const int number = toInt(value, -1);
    const auto inRange = [&](int low, int high) { return number >= low && number <= high; };
    const SlotCoding &k = d.coding;
    if (key == "Comment") {
        d.header.fileComment.assign(value);
    } else if (key == "Description") {
        d.description = value;
    } else if (key == "MaxWeeks") {
        if (inRange(1, k.weekLimit))
            d.calendarRange.endWeek = static_cast<std::uint8_t>(number);
    } else if (key == "MaxDays") {
        if (inRange(1, k.dayLimit))
            d.calendarRange.endDay = static_cast<std::uint8_t>(number);
    } else if (key == "MaxLectures") {
        if (inRange(1, k.bellLimit))
            d.calendarRange.endBell = static_cast<std::uint8_t>(number);
    } else if (key == "Date") {
        // Day numbers counted from year 1 and date serials are both accepted.
        if (number > 0) {
            d.firstWeekDate = number > DayNumberOffset ? number - DayNumberOffset : number;
            d.calendarMode |= 2;
            m_report.hadDateLine = true;
        }
    } else if (key == "YYYYMMDD") {
        s.dateText = value.substr(0, 8);
        d.calendarMode |= 2;
    } else if (key == "FirstWeek") {
        d.currentWeek = inRange(1, usedWeeks(d)) ? number : 1;
    } else if (key == "WeekSum") {
        d.averageDivider =
            static_cast<std::uint16_t>(inRange(1, 65535) ? number : d.scheduleExtent.endWeek);
    } else if (key == "Days") {
        d.dayNames = value;
    } else if (key == "Categories") {
        if (m_section == Section::Courses)
            d.eventCategories.assign(value);
        else if (m_section == Section::Components)
            d.resourceCategories.assign(value);
    } else if (key == "Bookings") {
        if (m_section == Section::Courses)
            d.bookingKinds.assign(value);
        // Resource kinds follow the event kinds; a list of empty names adds nothing.
        else if (m_section == Section::Components &&
                 value.find_first_not_of('$') != std::string_view::npos)
            d.bookingKinds.assign(std::string(d.bookingKinds.view()) + std::string(value));
    } else if (key == "Default") {
        if (inRange(1, 3) && m_section == Section::Courses)
            d.header.defaultEventBookingKind = static_cast<std::uint16_t>(number);
        else if (inRange(1, 3) && m_section == Section::Components)
            d.header.defaultResourceBookingKind = static_cast<std::uint16_t>(number);
    } else if (key == "NoTimetables" || key == "NoGaps") {
        const std::vector<std::string> f = splitFields(value);
        std::uint8_t mask = 0;
        for (int i = 1; i <= MaxCategories && i <= static_cast<int>(f.size()); ++i) {
            if (toInt(f[i - 1], 0) == 1)
                mask = static_cast<std::uint8_t>(mask | (1u << i));
        }
        (key == "NoGaps" ? d.noGapsMasks : d.noTimetableMasks)[1] = mask;
    } else if (key == "Rooms") {
        d.roomsCategory = inRange(1, MaxCategories) ? number : 3;
    }
}

void Importer::numberedLine(int n, std::string_view value)
{
    const std::vector<std::string> f = splitFields(value);
    switch (m_section) {
    case Section::Timeperiods:
    case Section::Weeks:
    case Section::Blocks:
        if (mode(ImportSettings) && !mode(SchedulesAsBookings))
            calendarLine(n, f, value);
        break;
    case Section::Coursedata:
    case Section::Componentdata:
        if (!mode(SchedulesAsBookings))
            codeLine(f, m_section == Section::Coursedata);
        break;
    case Section::Collections:
        if (!mode(SchedulesAsBookings))
            collectionLine(f);
        break;
    case Section::Weeklectures:
    case Section::Weekbookings:
        if (!mode(SchedulesAsBookings))
            weekLine(f, m_section == Section::Weekbookings);
        break;
    case Section::Tablelectures:
    case Section::Tablebookings:
        if (mode(ImportSchedules))
            tableLine(f, m_section == Section::Tablebookings);
        break;
    case Section::Manualrooms:
        if (mode(ImportSchedules))
            manualRoomLine(f);
        break;
    case Section::Tablecomments:
        if (mode(ImportSettings))
            m_d.comments.emplace_back(value);
        break;
    case Section::Remove:
        removeLine(f);
        break;
    case Section::Roles:
        roleLine(f);
        break;
    default:
        break;
    }
}

void Importer::calendarLine(int n, const std::vector<std::string> &f, std::string_view value)
{
    ScheduleData &d = m_d;
    if (m_section == Section::Timeperiods) {
        if (n < 1 || n > d.coding.bellLimit)
            return skip(SkipReason::OutOfRange);
        d.bellNames[n].assign(value);
    } else if (m_section == Section::Weeks) {
        if (n < 1 || n > d.coding.weekLimit)
            return skip(SkipReason::OutOfRange);
        const int length = f.empty() || f[0].empty() ? 1 : toInt(f[0], -1);
        if (length < 0 || length > 255)
            return skip(SkipReason::OutOfRange);
        d.weeks[n].length = static_cast<std::uint8_t>(std::max(length, 1));
        if (f.size() >= 2)
            d.weeks[n].name.assign(f[1]);
    } else {
        if (n < 1 || n > d.coding.weekLimit)
            return skip(SkipReason::OutOfRange);
        auto &patterns = m_report.settings.blockPatterns;
        if (patterns.size() <= static_cast<std::size_t>(n))
            patterns.resize(static_cast<std::size_t>(n) + 1);
        patterns[n] = value.substr(0, static_cast<std::size_t>(d.coding.slotsPerWeek));
    }
}

void Importer::codeLine(const std::vector<std::string> &f, bool event)
{
    ScheduleData &d = m_d;
    if (f.empty() || f[0].empty())
        return skip(SkipReason::MissingField);
    const auto field = [&](std::size_t i, int fallback) {
        return i < f.size() && !f[i].empty() ? toInt(f[i], INT32_MIN) : fallback;
    };
    const int category = field(2, 1);
    if (category < 0 || category > MaxCategories)
        return skip(SkipReason::BadCategory);
    const int planned = event ? field(3, 1) : 0;
    const int locked = event ? field(4, 0) : 0;
    const int colour = field(event ? 5 : 4, 0);
    if (planned < 0 || planned > 65535 || locked == INT32_MIN || colour == INT32_MIN)
        return skip(SkipReason::OutOfRange);

    std::uint16_t flags = categoryBit(category);
    if (event) {
        flags |= IsEventBit;
        if (locked == 1)
            flags |= LockedBit;
    } else if (category != 0 && (d.noTimetableMasks[1] & (1u << category))) {
        flags |= NoTimetableBit;
    }
    const std::string name = f.size() >= 2 ? f[1] : std::string();

    if (const CodeId c = lookup(f[0])) {
        // A code this data set already has takes the file's name and flags only: its planned
        // periods and colour stay as they are here.
        CodeRecord &r = d.codes[c];
        if (r.isEvent() != event)
            return skip(SkipReason::WrongKind);
        r.name.clear();
        r.name.assign(name);
        r.flags = flags;
        ++m_report.codesUpdated;
        d.modified = true;
        return;
    }
    if (mode(OnlyRelevantEvents) &&
        (!event || !m_relevant.contains(std::string_view(f[0]).substr(0, CodeLength))))
        return skip(SkipReason::NotRelevant);
    CodeRecord r;
    r.code.assign(f[0]);
    r.name.assign(name);
    r.flags = flags;
    r.planned = static_cast<std::uint16_t>(planned);
    r.colour = colour;
    if (appendCode(r) == 0)
        return skip(SkipReason::StoreFull);
    ++m_report.codesAdded;
}

void Importer::collectionLine(const std::vector<std::string> &f)
{
    ScheduleData &d = m_d;
    if (f.size() < 2)
        return skip(SkipReason::MissingField);
    const CodeId e = lookup(f[0]);
    const CodeId r = lookup(f[1]);
    if (e == 0 || r == 0)
        return skip(SkipReason::UnknownCode);
    if (!d.codes[e].isEvent() || d.codes[r].isEvent())
        return skip(SkipReason::WrongKind);

    // Adding to a data set: each run of lines of one event is that event's new collection.
    // Importing settings as well: members are added to the collection the event has.
    int &at = m_listIndex[e];
    const bool extend = mode(ImportSettings);
    if (at < 0) {
        at = static_cast<int>(m_lists.size());
        m_lists.emplace_back(e, extend ? collectionOf(d, e) : MemberList{});
    } else if (!extend && m_runEvent != e) {
        m_lists[at].second = MemberList{};
    }
    m_runEvent = e;
    MemberList &members = m_lists[at].second;
    if (positionInList(r, members) > 0)
        return;
    if (members[0] >= MaxMembers)
        return skip(SkipReason::StoreFull);
    members[++members[0]] = r;
}

namespace {

bool isMarkerEntry(std::uint16_t entry)
{
    return (entry & CollectionMarkerBit) != 0;
}

// Where each event's blocks lie in the collection list: a marker up to the next marker.
std::unordered_map<CodeId, std::vector<std::pair<int, int>>> markerRanges(const ScheduleData &d)
{
    std::unordered_map<CodeId, std::vector<std::pair<int, int>>> ranges;
    const int n = d.collectionEntryCount;
    for (int i = 1; i <= n; ++i) {
        if (!isMarkerEntry(d.collection[i]))
            continue;
        int end = i + 1;
        while (end <= n && !isMarkerEntry(d.collection[end]))
            ++end;
        ranges[collectionCode(d.collection[i])].emplace_back(i, end);
        i = end - 1;
    }
    return ranges;
}

} // namespace

// Gives every event read its new member list, as setCollection would one by one (the old
// blocks become holes, the new block goes to the end, a list without room for the whole new
// collection refuses it), but finds the old blocks from one scan of the list instead of one
// scan per event.
void Importer::flushCollections()
{
    ScheduleData &d = m_d;
    auto ranges = markerRanges(d);
    int live = 0;
    for (int i = 1; i <= d.collectionEntryCount; ++i)
        live += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
    const auto refuse = [&](const MemberList &members) {
        for (int k = 0; k < members[0]; ++k)
            skip(SkipReason::StoreFull);
    };
    for (auto &[e, members] : m_lists) {
        m_listIndex[e] = -1;
        if (members == collectionOf(d, e))
            continue;
        std::vector<CodeId> fresh;
        for (int i = 1; i <= std::clamp<int>(members[0], 0, MaxMembers); ++i) {
            if (validCode(d, members[i]))
                fresh.push_back(members[i]);
        }
        const int need = fresh.empty() ? 0 : 1 + static_cast<int>(fresh.size());
        const auto found = ranges.find(e);
        int old = 0;
        if (found != ranges.end()) {
            for (const auto &[from, to] : found->second) {
                for (int i = from; i < to; ++i)
                    old += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
            }
        }
        if (d.collectionEntryCount + need > MaxCollectionEntries) {
            // The list must be compacted first; rare enough to leave to the engine.
            if (live - old + need > MaxCollectionEntries || setCollection(d, e, members) == 0) {
                refuse(members);
                continue;
            }
            live += need - old;
            ranges = markerRanges(d);
            continue;
        }
        d.modified = true;
        if (found != ranges.end()) {
            for (const auto &[from, to] : found->second)
                std::fill(d.collection.begin() + from, d.collection.begin() + to, 0);
            d.collectionCount = std::max(0, d.collectionCount - 1);
            ranges.erase(found);
        }
        live -= old;
        d.codes[e].collectionPos = 0;
        d.codes[e].links = 0;
        if (need == 0) {
            if (members[0] > 0)
                refuse(members);
            continue;
        }
        ++d.collectionCount;
        d.collection[++d.collectionEntryCount] =
            static_cast<std::uint16_t>(e | CollectionMarkerBit);
        d.codes[e].collectionPos = static_cast<std::uint16_t>(d.collectionEntryCount);
        for (const CodeId r : fresh)
            d.collection[++d.collectionEntryCount] = r;
        d.codes[e].links = static_cast<std::uint16_t>(fresh.size());
        live += need;
    }
    m_lists.clear();
}

Importer::Pending &Importer::pending(CodeId c)
{
    auto &slot = m_pending[c];
    if (!slot) {
        slot = std::make_unique<Pending>();
        if (m_d.lectureCount > 0) {
            if (!m_index)
                m_index = std::make_unique<LectureIndex>(m_d);
            loadWeekAllocation(m_d, c, slot->wa, *m_index);
        } else {
            loadWeekAllocation(m_d, c, slot->wa);
        }
        slot->wa.code = c;
        m_touched.push_back(c);
    }
    return *slot;
}

bool Importer::readBlock(const std::vector<std::string> &f, std::size_t from, Block &b)
{
    const SlotCoding &k = m_d.coding;
    const auto field = [&](std::size_t i, int fallback) {
        return i < f.size() && !f[i].empty() ? toInt(f[i], -1) : fallback;
    };
    b.w1 = field(from, -1);
    b.w2 = field(from + 1, -1);
    b.d1 = field(from + 2, -1);
    b.d2 = field(from + 3, -1);
    b.b1 = field(from + 4, 1);
    b.b2 = field(from + 5, b.b1);
    return b.w1 >= 1 && b.w1 <= b.w2 && b.w2 <= k.weekLimit && b.d1 >= 1 && b.d1 <= b.d2 &&
           b.d2 <= k.dayLimit && b.b1 >= 1 && b.b1 <= b.b2 && b.b2 <= k.bellLimit;
}

void Importer::weekLine(const std::vector<std::string> &f, bool booking)
{
    ScheduleData &d = m_d;
    if (f.size() < 4)
        return skip(SkipReason::MissingField);
    const CodeId c = lookup(f[0]);
    if (c == 0)
        return skip(SkipReason::UnknownCode);
    if (!booking && !d.codes[c].isEvent())
        return skip(SkipReason::WrongKind);
    const int w1 = toInt(f[1], -1), w2 = toInt(f[2], -1), value = toInt(f[3], INT32_MIN);
    // A count is clamped into its week; a kind is one byte.
    if (w1 < 1 || w1 > w2 || w2 > d.coding.weekLimit || value == INT32_MIN ||
        (booking && (value < 0 || value > 255)))
        return skip(SkipReason::OutOfRange);
    Pending &p = pending(c);
    WeekAllocation &wa = p.wa;
    if (p.countsStale) {
        countTimetableWeeks(d, wa);
        p.countsStale = false;
    }
    const int cap = std::min(d.coding.slotsPerWeek, 255);
    for (int w = w1; w <= w2; ++w) {
        if (booking) {
            if (wa.allocated[w] == 0)
                wa.booked[w] = static_cast<std::uint8_t>(std::clamp(value, 1, 3));
        } else if (wa.booked[w] == 0) {
            wa.allocated[w] =
                static_cast<std::uint8_t>(std::clamp<int>(value, wa.scheduled[w], cap));
        }
    }
    ++p.lines;
}

namespace {

// What makes two timetable entries of one code the same entry: kind of entry, cells and, for a
// booking, its kind.
std::uint64_t entryKey(const LectureView &v, bool booking, int kind)
{
    std::uint64_t key = 0;
    for (const std::uint8_t field :
         {v.startWeek, v.endWeek, v.startDay, v.endDay, v.startBell, v.endBell})
        key = key << 8 | field;
    if (booking)
        key |= 1ull << 56 | static_cast<std::uint64_t>(kind & 0xFF) << 48;
    return key;
}

// Below this many entries a code's list is searched directly.
constexpr std::size_t SeenSetFrom = 16;

} // namespace

void Importer::tableLine(const std::vector<std::string> &f, bool booking)
{
    ScheduleData &d = m_d;
    if (f.size() < 5)
        return skip(SkipReason::MissingField);
    const CodeId c = lookup(f[0]);
    if (c == 0)
        return skip(SkipReason::UnknownCode);
    // Events may hold table bookings too (schedules added as bookings), so both kinds are
    // accepted there; timetable lectures belong to events only.
    if (!booking && !d.codes[c].isEvent())
        return skip(SkipReason::WrongKind);
    Block b;
    if (!readBlock(f, 1, b))
        return skip(SkipReason::OutOfRange);
    int kind = 0;
    if (booking) {
        const int value = f.size() > 7 && !f[7].empty() ? toInt(f[7], -1) : 1;
        if (value < 0 || value > 255)
            return skip(SkipReason::OutOfRange);
        kind = std::clamp(value & 3, 1, 3);
    } else if (mode(SchedulesAsBookings)) {
        booking = true;
        kind = 2;
    }
    LectureView v;
    // The code part is filled in when the code's lectures are stored.
    v.word = booking ? LectureBookingBit : LectureEventBit;
    v.startWeek = static_cast<std::uint8_t>(b.w1);
    v.endWeek = static_cast<std::uint8_t>(b.w2);
    v.startDay = static_cast<std::uint8_t>(b.d1);
    v.endDay = static_cast<std::uint8_t>(b.d2);
    v.startBell = static_cast<std::uint8_t>(b.b1);
    v.endBell = static_cast<std::uint8_t>(b.b2);
    Pending &p = pending(c);
    WeekAllocation &wa = p.wa;
    const auto keyAt = [&](std::size_t i) {
        const LectureView &x = wa.timetable[i];
        const bool xBooking = isBookingWord(x.word);
        const int xKind = i < wa.timetableKinds.size() ? wa.timetableKinds[i] & 0xFF : 0;
        return entryKey(x, xBooking, xBooking ? xKind : 0);
    };
    // The same entry twice (a file added again) is one entry.
    const std::uint64_t key = entryKey(v, booking, kind);
    if (wa.timetable.size() < SeenSetFrom) {
        for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
            if (keyAt(i) == key)
                return;
        }
    } else {
        if (p.seen.empty()) {
            for (std::size_t i = 0; i < wa.timetable.size(); ++i)
                p.seen.insert(keyAt(i));
        }
        if (!p.seen.insert(key).second)
            return;
    }
    wa.timetable.push_back(v);
    wa.timetableKinds.resize(wa.timetable.size() - 1);
    wa.timetableKinds.push_back(static_cast<std::int16_t>(kind));
    p.countsStale = true;
    ++p.lines;
}

namespace {

// An event's Allocated and Scheduled from its weeks, and Planned at least Allocated.
void eventCounts(ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    countTimetableWeeks(d, wa);
    std::int64_t allocated = 0, scheduled = 0;
    for (int w = 1; w <= weekCap(d); ++w) {
        const int length = std::max<int>(d.weeks[w].length, 1);
        allocated += std::int64_t{wa.allocated[w]} * length;
        scheduled += std::int64_t{wa.scheduled[w]} * length;
    }
    CodeRecord &rec = d.codes[c];
    rec.allocated = static_cast<std::uint16_t>(std::clamp<std::int64_t>(allocated, 0, 65535));
    rec.scheduled = static_cast<std::uint16_t>(std::clamp<std::int64_t>(scheduled, 0, 65535));
    rec.planned = std::max<std::uint16_t>({rec.planned, rec.allocated, 1});
}

} // namespace

// Writes every gathered code's lectures back; an event's weeks get at least as many allocated
// periods as they hold placed. Each code replaces all of its entries or, when they do not fit
// the store, keeps its old ones and its lines count as skipped. Codes are judged in the order
// they were first named, on the room the store would have after a compaction, and then written
// in one pass: the store is scanned a fixed number of times, not once per code.
void Importer::flushLectures()
{
    ScheduleData &d = m_d;
    const int cap = std::min(d.coding.slotsPerWeek, 255);
    struct Write
    {
        CodeId code;
        std::vector<std::pair<LectureView, int>> entries;
    };
    if (m_touched.empty())
        return;
    std::vector<Write> writes;
    long total = 0;
    for (const CodeId c : m_touched) {
        WeekAllocation &wa = m_pending[c]->wa;
        countTimetableWeeks(d, wa);
        if (d.codes[c].isEvent()) {
            for (int w = 1; w <= MaxWeeks; ++w) {
                if (wa.scheduled[w] > wa.allocated[w])
                    wa.allocated[w] =
                        static_cast<std::uint8_t>(std::min<int>(wa.scheduled[w], cap));
            }
        }
        bool any = !wa.timetable.empty();
        for (int w = 1; w <= MaxWeeks && !any; ++w)
            any = wa.allocated[w] != 0 || wa.booked[w] != 0;
        if (!any)
            continue;
        writes.push_back({c, {}});
        storedEntriesOf(d, c, wa, writes.back().entries);
        total += static_cast<long>(writes.back().entries.size());
    }

    // Judge the room. When everything fits behind the last entry no code can be refused;
    // otherwise the store is compacted first and each code may use what it frees.
    std::vector<bool> replaced(static_cast<std::size_t>(d.codeCount) + 1, false);
    if (total > MaxLectures - d.lectureCount) {
        compactLectures(d);
        std::vector<int> mine(static_cast<std::size_t>(d.codeCount) + 1, 0);
        for (int i = 1; i <= d.lectureCount; ++i) {
            const int c = lectureCode(d, d.lectureWord[i]);
            if (d.lectureWord[i] != 0 && validCode(d, c))
                ++mine[c];
        }
        long live = d.lectureCount;
        for (Write &write : writes) {
            const long needed = static_cast<long>(write.entries.size());
            if (needed > MaxLectures - live + mine[write.code]) {
                for (int k = 0; k < m_pending[write.code]->lines; ++k)
                    skip(SkipReason::StoreFull);
                write.code = 0;
                continue;
            }
            live += needed - mine[write.code];
            replaced[write.code] = true;
        }
    } else {
        for (const Write &write : writes)
            replaced[write.code] = true;
    }

    const int n = std::min(d.lectureCount, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (d.lectureWord[i] != 0 && validCode(d, c) && replaced[c])
            d.lectureWord[i] = 0;
    }
    long accepted = 0;
    for (const Write &write : writes)
        accepted += write.code != 0 ? static_cast<long>(write.entries.size()) : 0;
    if (accepted > MaxLectures - d.lectureCount)
        compactLectures(d);

    for (const Write &write : writes) {
        if (write.code == 0)
            continue;
        d.modified = true;
        int written = 0;
        for (const auto &[v, kind] : write.entries)
            written += appendLecture(d, v, kind) != 0 ? 1 : 0;
        if (written == 0) {
            for (int k = 0; k < m_pending[write.code]->lines; ++k)
                skip(SkipReason::StoreFull);
        }
        if (d.codes[write.code].isEvent())
            eventCounts(d, write.code, m_pending[write.code]->wa);
    }
    for (const CodeId c : m_touched)
        m_pending[c].reset();
    m_touched.clear();
    m_index.reset();
}

void Importer::buildRoomIndex()
{
    m_roomIndex.clear();
    const int words = std::min<int>(m_d.manualRooms[0], ManualRoomStoreSize - 1);
    for (int i = 1; i + 2 <= words; i += 3) {
        const std::uint32_t key =
            static_cast<std::uint32_t>(m_d.manualRooms[i]) << 16 | m_d.manualRooms[i + 1];
        m_roomIndex.emplace(key, i);
    }
    m_roomIndexBuilt = true;
}

void Importer::manualRoomLine(const std::vector<std::string> &f)
{
    ScheduleData &d = m_d;
    if (f.size() < 5)
        return skip(SkipReason::MissingField);
    const CodeId e = lookup(f[0]);
    const CodeId room = lookup(f[1]);
    if (e == 0 || room == 0)
        return skip(SkipReason::UnknownCode);
    if (!d.codes[e].isEvent() || d.codes[room].isEvent() || categoryOf(d, room) != d.roomsCategory)
        return skip(SkipReason::WrongKind);
    const int w = toInt(f[2], -1), day = toInt(f[3], -1), bell = toInt(f[4], -1);
    // The slot word always has 8/3/5 bits; the limits keep every field inside its bits.
    if (w < 1 || w > d.coding.weekLimit || day < 1 || day > d.coding.dayLimit || bell < 1 ||
        bell > d.coding.bellLimit)
        return skip(SkipReason::OutOfRange);
    if (!m_roomIndexBuilt)
        buildRoomIndex();
    const auto slot = static_cast<std::uint16_t>(w << 8 | day << 5 | bell);
    const std::uint32_t key = static_cast<std::uint32_t>(slot) << 16 | e;
    if (const auto it = m_roomIndex.find(key); it != m_roomIndex.end()) {
        d.manualRooms[it->second + 2] = room;
        d.modified = true;
        return;
    }
    const int at = d.manualRooms[0];
    if (at + 3 >= ManualRoomStoreSize)
        return skip(SkipReason::StoreFull);
    d.manualRooms[at + 1] = slot;
    d.manualRooms[at + 2] = e;
    d.manualRooms[at + 3] = room;
    d.manualRooms[0] = static_cast<std::uint16_t>(at + 3);
    m_roomIndex.emplace(key, at + 1);
    d.modified = true;
}

void Importer::removeLine(const std::vector<std::string> &f)
{
    if (f.empty() || f[0].empty())
        return skip(SkipReason::MissingField);
    const CodeId c = lookup(f[0]);
    if (c == 0)
        return skip(SkipReason::UnknownCode);
    // Deleting renumbers the codes after c: gathered lectures go first, indexes follow.
    flushLectures();
    m_index.reset();
    const std::string text(m_d.codes[c].code.view());
    if (!deleteCode(m_d, c))
        return skip(SkipReason::WrongKind);
    ++m_report.codesRemoved;
    m_roomIndexBuilt = false;
    for (auto &[code, id] : m_codes) {
        if (id > c)
            --id;
    }
    // The text may name a later code too, which now answers for it.
    m_codes.erase(text);
    for (int k = 1; k <= m_d.codeCount; ++k) {
        if (m_d.codes[k].code.view() == text) {
            m_codes.emplace(text, static_cast<CodeId>(k));
            break;
        }
    }
}

void Importer::roleLine(const std::vector<std::string> &f)
{
    ScheduleData &d = m_d;
    if (f.size() < 3 || f[2].empty())
        return skip(SkipReason::MissingField);
    int role = findRoleByName(d, f[2]);
    if (role == 0) {
        role = addRole(d, f[2]);
        if (role == 0)
            return skip(SkipReason::StoreFull);
        d.modified = true;
    }
    if (f[0] == "-" && f[1] == "-")
        return;
    const CodeId e = lookup(f[0]);
    const CodeId r = lookup(f[1]);
    if (e == 0 || r == 0)
        return skip(SkipReason::UnknownCode);
    if (!d.codes[e].isEvent() || d.codes[r].isEvent())
        return skip(SkipReason::WrongKind);
    if (setRole(d, e, r, d.roles[role].id) == 0)
        return skip(positionInList(r, collectionOf(d, e)) > 0 ? SkipReason::StoreFull
                                                              : SkipReason::WrongKind);
    d.modified = true;
}

void Importer::applyHolidays()
{
    for (const auto &[line, value] : m_holidays) {
        m_lineNumber = line;
        m_line = value;
        const std::vector<std::string> f = splitFields(value);
        const std::int32_t date = f.empty() ? 0 : ymdToSerial(f[0]);
        if (date == 0) {
            skip(SkipReason::BadDate);
            continue;
        }
        const std::string text = f.size() >= 2 ? f[1] : std::string();
        const int kind = f.size() >= 3 ? std::clamp(toInt(f[2], 1), 1, 3) : 1;
        const int cells = allDayActivity(m_d, AllDayMode::Make, date, text, kind);
        if (cells < 0) {
            ++m_report.holidaysRefused;
            skip(SkipReason::BadDate);
        } else {
            m_report.holidayCells += cells;
            if (cells > 0 || !text.empty())
                m_d.modified = true;
        }
    }
}

// A later line may change a code's kind or category, or the rooms category, after a manual
// room was read: such a triple keeps its slot but needs a room again, so the data set never
// holds a room assignment its own export could not be read back with.
void unassignNonRooms(ScheduleData &d)
{
    const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
    for (int i = 1; i + 2 <= words; i += 3) {
        const int event = d.manualRooms[i + 1];
        const int room = d.manualRooms[i + 2];
        if (room == 0)
            continue;
        const bool valid = validCode(d, event) && d.codes[event].isEvent() && validCode(d, room) &&
                           !d.codes[room].isEvent() &&
                           categoryOf(d, static_cast<CodeId>(room)) == d.roomsCategory;
        if (!valid)
            d.manualRooms[i + 2] = 0;
    }
}

// What every load ends with: derived fields, the consistency pass of a save, lists and roles.
void finishDataSet(ScheduleData &d)
{
    recount(d);
    unassignNonRooms(d);
    totals(d, 1, d.codeCount);
    if (repairWeeks(d) > 0) {
        recount(d);
        totals(d, 1, d.codeCount);
    }
    normaliseRoles(d);
    allResourceTotals(d);
    rebuildLists(d);
}

std::string folderOf(const std::string &path)
{
    const std::filesystem::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

std::int32_t todaySerial()
{
    return currentDayTime().day - DayNumberOffset;
}

} // namespace

std::string skipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::UnknownCode:
        return "unknown code";
    case SkipReason::WrongKind:
        return "code of the wrong kind";
    case SkipReason::OutOfRange:
        return "number out of range";
    case SkipReason::BadCategory:
        return "category not 0..7";
    case SkipReason::MissingField:
        return "missing field";
    case SkipReason::StoreFull:
        return "store full";
    case SkipReason::NotRelevant:
        return "not a relevant event";
    case SkipReason::BadDate:
        return "date not in the calendar";
    }
    return "skipped";
}

int addRuleMode(int rule)
{
    switch (rule) {
    case 1:
        return ImportSchedules;
    case 2:
        return ImportSchedules | OnlyRelevantEvents;
    case 3:
        return 0;
    case 4:
        return ImportSchedules | SchedulesAsBookings;
    default:
        return -1;
    }
}

ImportReport importText(ScheduleData &d, std::string_view text, const ImportOptions &options)
{
    ImportReport report;
    {
        Importer importer(d, options, report);
        if (options.mode & OnlyRelevantEvents)
            importer.findRelevantEvents(text);
        importer.run(text);
        if (options.holidays) {
            recount(d);
            importer.applyHolidays();
        }
    }
    finishDataSet(d);
    if (!options.nameConversionFolder.empty())
        applyNameConversion(d, readNameConversion(options.nameConversionFolder));
    return report;
}

Result<std::string> readTextFile(const std::string &path, int *charactersReplaced)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return fail(Error::Code::NotFound, "no such file: " + path);
    if (!fs::is_regular_file(status))
        return fail(Error::Code::IoError, "not a regular file: " + path);
    const auto size = fs::file_size(path, ec);
    if (ec)
        return fail(Error::Code::IoError, "cannot read " + path + ": " + ec.message());
    if (size > MaxTextFileBytes)
        return fail(Error::Code::Corrupt, "too large for a text file: " + path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(Error::Code::IoError, "cannot open " + path);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return fail(Error::Code::IoError, "cannot read the whole file " + path);
    auto converted = textFileToCodePage(bytes);
    if (!converted)
        return std::unexpected(converted.error());
    if (charactersReplaced)
        *charactersReplaced = converted->replaced;
    return std::move(converted->text);
}

Result<ImportReport> importTextFile(const std::string &path, ScheduleData &fresh,
                                    std::int32_t today)
{
    clearScheduleData(fresh);
    int replaced = 0;
    const auto text = readTextFile(path, &replaced);
    if (!text)
        return std::unexpected(text.error());
    setBuiltInReportTitles(fresh);
    if (today == 0)
        today = todaySerial();
    fresh.firstWeekDate = today;
    ImportOptions options;
    options.mode = ImportSettings | ImportSchedules;
    options.nameConversionFolder = folderOf(path);
    ImportReport report = importText(fresh, *text, options);
    report.charactersReplaced = replaced;
    if (fresh.firstWeekDate == today && !report.settings.dateText.empty()) {
        if (const std::int32_t date = ymdToSerial(report.settings.dateText))
            fresh.firstWeekDate = date;
    }
    fresh.modified = true;
    return report;
}

Result<ImportReport> addTextFile(ScheduleData &d, const std::string &path, int rule, AddSweep sweep)
{
    const int mode = addRuleMode(rule);
    if (mode < 0)
        return fail(Error::Code::Range, "the rule for adding a file is 1..4");
    int replaced = 0;
    const auto text = readTextFile(path, &replaced);
    if (!text)
        return std::unexpected(text.error());
    ImportOptions options;
    options.mode = mode;
    options.holidays = true;
    options.nameConversionFolder = folderOf(path);
    ImportReport report = importText(d, *text, options);
    report.charactersReplaced = replaced;
    if (sweep == AddSweep::Sweep) {
        report.conflicts = sweepConflicts(d, 1, true);
        if (report.conflicts.removed > 0)
            finishDataSet(d);
    }
    // Modified by the lines that changed something: a file that adds nothing leaves the data
    // set as saved.
    return report;
}

NameConversion parseNameConversion(std::string_view text)
{
    NameConversion conversion;
    forEachTextLine(text, [&](std::string_view line) {
        const std::vector<std::string> f = splitFields(line);
        if (f.size() >= 3 && !f[0].empty())
            conversion.entries.push_back({f[0], f[1], f[2]});
    });
    return conversion;
}

NameConversion readNameConversion(const std::string &folder)
{
    const std::string path = (std::filesystem::path(folder) / "nameconv.txt").string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    const auto text = readTextFile(path);
    return text ? parseNameConversion(*text) : NameConversion{};
}

int applyNameConversion(ScheduleData &d, const NameConversion &conversion)
{
    int changed = 0;
    for (const auto &entry : conversion.entries) {
        const CodeId c = findCode(d, entry.code);
        if (c != 0 && d.codes[c].name.view() == entry.nameA) {
            d.codes[c].name.clear();
            d.codes[c].name.assign(entry.nameB);
            ++changed;
        }
    }
    if (changed > 0)
        d.modified = true;
    return changed;
}

} // namespace quivra
