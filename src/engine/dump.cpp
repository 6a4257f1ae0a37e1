#include "engine/dump.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <string_view>
#include <tuple>
#include <vector>

namespace quivra {

namespace {

// The dump is built line by line; a Line collects space-separated tokens.
class Dump
{
public:
    void section(std::string_view name)
    {
        if (!m_text.empty())
            m_text += '\n';
        m_text += '[';
        m_text += name;
        m_text += "]\n";
    }
    void line(std::string_view text)
    {
        m_text += text;
        m_text += '\n';
    }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

std::string hexByte(unsigned char c)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {'\\', 'x', Digits[c >> 4], Digits[c & 15]};
}

// Free text in double quotes; quotes, backslashes and bytes outside printable ASCII escaped.
std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\')
            out += hexByte(c);
        else
            out += ch;
    }
    out += '"';
    return out;
}

// A code text as one token: spaces, '"', '\', non-printable bytes and a leading '#' escaped, so
// that "#n" (a reference to no valid code) can never be mistaken for a code text.
std::string codeToken(std::string_view text)
{
    if (text.empty())
        return "\"\"";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c > 0x7E || c == '"' || c == '\\' || (c == '#' && i == 0))
            out += hexByte(c);
        else
            out += text[i];
    }
    return out;
}

// A valid code, checked against the table size as well: a damaged count must not lead the dump
// outside the table.
bool known(const ScheduleData &d, int c)
{
    return validCode(d, c) && c <= MaxCodes;
}

// A reference to a code: its text when valid, "-" for 0, "#n" for anything else.
std::string ref(const ScheduleData &d, int c)
{
    if (c == 0)
        return "-";
    if (!known(d, c))
        return "#" + std::to_string(c);
    return codeToken(d.codes[c].code.view());
}

std::string num(long long v)
{
    return std::to_string(v);
}

std::string range(int a, int b)
{
    return a == b ? num(a) : num(a) + "-" + num(b);
}

template <typename T, std::size_t N> std::string bytesHex(const std::array<T, N> &bytes)
{
    std::string out;
    static constexpr char Digits[] = "0123456789ABCDEF";
    for (const auto b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        out += Digits[c >> 4];
        out += Digits[c & 15];
    }
    return out;
}

template <typename A> std::string joinNumbers(const A &values)
{
    std::string out;
    for (const auto v : values) {
        if (!out.empty())
            out += ' ';
        out += num(v);
    }
    return out;
}

std::string timeRange(const TimeRange &r)
{
    return "a " + num(r.a) + " b " + num(r.b) + " start " + num(r.startWeek) + "." +
           num(r.startDay) + "." + num(r.startBell) + " end " + num(r.endWeek) + "." +
           num(r.endDay) + "." + num(r.endBell);
}

std::string yesNo(bool b)
{
    return b ? "yes" : "no";
}

int clampCount(int count, int capacity)
{
    return std::clamp(count, 0, capacity);
}

std::string categoryText(std::uint16_t flags)
{
    std::string out;
    for (int k = 1; k <= MaxCategories; ++k) {
        if (flags & (1u << (CategoryShift + k - 1))) {
            if (!out.empty())
                out += '+';
            out += num(k);
        }
    }
    return out.empty() ? "-" : out;
}

std::string flagText(std::uint16_t flags)
{
    std::string out = (flags & IsEventBit) ? "event" : "resource";
    out += " cat " + categoryText(flags);
    if (flags & LinkMarksMask)
        out += " marks " + num(flags & LinkMarksMask);
    if (flags & 0x0020)
        out += " bit5";
    if (flags & NoTimetableBit)
        out += " no-timetable";
    if (flags & LockedBit)
        out += " locked";
    return out;
}

void dumpHeader(Dump &out, const ScheduleData &d)
{
    const FileHeaderState &h = d.header;
    out.section("header");
    out.line("version-read " + num(h.versionRead));
    out.line("reserved10 " + bytesHex(h.reserved10));
    out.line("statistics events " + num(h.statisticsEvents) + " resources " +
             num(h.statisticsResources));
    out.line("default-booking-kind event " + num(h.defaultEventBookingKind) + " resource " +
             num(h.defaultResourceBookingKind));
    out.line("bookings-count-as-occupied " + num(h.bookingsCountAsOccupied));
    out.line("reserved88 " + num(h.reserved88) + " reserved90 " + bytesHex(h.reserved90));
    out.line("file-comment " + quoted(h.fileComment.view()));
    out.line("weekly-category-limits " + joinNumbers(h.weeklyCategoryLimits));
    out.line("conflict-source-counters " + joinNumbers(h.conflictSourceCounters));
    out.line("saved " + num(h.savedDay) + " " + num(h.savedTicks) + " opened " + num(h.openedDay) +
             " " + num(h.openedTicks) + " editing " + num(h.editingDays) + " " +
             num(h.editingTicks));
    out.line("reserved250 " + bytesHex(h.reserved250));
}

void dumpCalendar(Dump &out, const ScheduleData &d)
{
    const SlotCoding &s = d.coding;
    out.section("calendar");
    out.line("coding bits " + num(s.weekBits) + "/" + num(s.dayBits) + "/" + num(s.bellBits) +
             " limits " + num(s.weekLimit) + "/" + num(s.dayLimit) + "/" + num(s.bellLimit));
    out.line("coding derived " + num(s.slotsPerWeek) + " " + num(s.slotsTotal) + " " +
             num(s.weekMask) + " " + num(s.dayMask) + " " + num(s.bellMask) + " " +
             num(s.weekShift) + " " + num(s.dayBellMask));
    out.line("range " + timeRange(d.calendarRange));
    out.line("optimise-range " + timeRange(d.optimiseRange));
    out.line("current-week " + num(d.currentWeek));
    out.line("first-week-date " + num(d.firstWeekDate));
    out.line("calendar-mode " + num(d.calendarMode));
    out.line("average-divider " + num(d.averageDivider));
    out.line("day-names " + quoted(d.dayNames));
    // Weeks only where they differ from what a new data set holds, so the dump stays short.
    for (int w = 0; w < WeekTableSize; ++w) {
        const WeekEntry &e = d.weeks[w];
        const bool isDefault = w == 0 ? e.name.empty() && e.length == 1
                                      : e.name.view() == "[" + num(w) + "]" && e.length == 1;
        if (!isDefault)
            out.line("week " + num(w) + " " + quoted(e.name.view()) + " length " + num(e.length));
    }
    for (int b = 1; b <= MaxBells; ++b) {
        if (!d.bellNames[b].empty())
            out.line("bell " + num(b) + " " + quoted(d.bellNames[b].view()));
    }
}

void dumpCategories(Dump &out, const ScheduleData &d)
{
    out.section("categories");
    out.line("event " + quoted(d.eventCategories.view()));
    out.line("resource " + quoted(d.resourceCategories.view()));
    out.line("booking-kinds " + quoted(d.bookingKinds.view()));
    out.line("visible " + joinNumbers(d.visibleMasks));
    out.line("no-timetable " + joinNumbers(d.noTimetableMasks));
    out.line("no-gaps " + joinNumbers(d.noGapsMasks));
    out.line("rooms-category " + num(d.roomsCategory));
    out.line("subjects-category " + num(d.subjectsCategory));
}

void dumpCodes(Dump &out, const ScheduleData &d)
{
    out.section("codes");
    out.line("count " + num(d.codeCount) + " lecture-mask " + num(d.lectureCodeMask));
    const int n = clampCount(d.codeCount, MaxCodes);
    for (int c = 1; c <= n; ++c) {
        const CodeRecord &r = d.codes[c];
        std::string text =
            num(c) + " " + ref(d, c) + " " + flagText(r.flags) + " planned " + num(r.planned);
        if (r.colour != 0)
            text += " colour " + num(r.colour);
        text += " name " + quoted(r.name.view());
        out.line(text);
    }
}

// Collections in code table order of their events; a second marker of one event is listed
// after the first, in list order. Members keep the user's order; holes and the positions of
// blocks in the list are layout, not content, and do not show.
void dumpCollections(Dump &out, const ScheduleData &d)
{
    out.section("collections");
    struct Block
    {
        int event;
        int position;
        std::vector<std::uint16_t> members;
    };
    std::vector<Block> blocks;
    std::vector<std::uint16_t> orphans;
    const int n = clampCount(d.collectionEntryCount, MaxCollectionEntries);
    for (int i = 1; i <= n; ++i) {
        const std::uint16_t entry = d.collection[i];
        if (entry == 0)
            continue;
        if (entry & CollectionMarkerBit)
            blocks.push_back({collectionCode(entry), i, {}});
        else if (blocks.empty())
            orphans.push_back(entry);
        else
            blocks.back().members.push_back(entry);
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block &a, const Block &b) { return a.event < b.event; });
    for (const Block &b : blocks) {
        std::string text = ref(d, b.event) + ":";
        for (const auto m : b.members)
            text += " " + ref(d, m);
        out.line(text);
    }
    if (!orphans.empty()) {
        std::string text = "(no marker):";
        for (const auto m : orphans)
            text += " " + ref(d, m);
        out.line(text);
    }
}

std::string lectureText(const ScheduleData &d, int i)
{
    const SlotCoding &s = d.coding;
    const std::uint16_t word = d.lectureWord[i];
    const int code = lectureCode(d, word);
    const SlotCode start = d.lectureStart[i];
    const SlotCode end = d.lectureEnd[i];
    const int sw = s.weekOf(start), sd = s.dayOf(start), sb = s.bellOf(start);
    const int ew = s.weekOf(end), ed = s.dayOf(end), eb = s.bellOf(end);
    const bool booking = word & LectureBookingBit;
    const int kind = d.bookingKind[i];

    std::string text = ref(d, code);
    if (sd == 0) {
        // Whole-week entries: the end's day and bell fields carry a count (or a kind).
        text += booking ? " week-booking" : " alloc";
        text += " w" + range(sw, ew);
        if (booking)
            text += " bell " + num(eb) + (ed != 0 ? " day " + num(ed) : "");
        else
            text += " x" + num((ed << s.bellBits) | eb);
        if (sb != 0)
            text += " start-bell " + num(sb);
    } else {
        text += booking ? " booking" : " lecture";
        text += " w" + range(sw, ew) + " d" + range(sd, ed) + " b" + range(sb, eb);
    }
    if (kind != 0)
        text += " kind " + num(kind);

    // Word bits that the kind of the code does not explain: an event bit that disagrees with
    // the code, and anything outside the code part and the two flag bits.
    if (known(d, code) && bool(word & LectureEventBit) != d.codes[code].isEvent())
        text += (word & LectureEventBit) ? " event-bit" : " no-event-bit";
    else if (!known(d, code) && (word & LectureEventBit))
        text += " event-bit";
    const std::uint16_t extra = word & ~(d.lectureCodeMask | LectureEventBit | LectureBookingBit);
    if (extra != 0)
        text += " extra-bits " + num(extra);
    return text;
}

// Lectures in the store's own total order (code part, start, end, word, kind), whatever order
// the store is in.
void dumpLectures(Dump &out, const ScheduleData &d)
{
    out.section("lectures");
    const int n = clampCount(d.lectureCount, MaxLectures);
    out.line("count " + num(d.lectureCount));
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 1);
    auto key = [&d](int i) {
        return std::tuple(lectureCode(d, d.lectureWord[i]), d.lectureStart[i], d.lectureEnd[i],
                          d.lectureWord[i], d.bookingKind[i]);
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    for (const int i : order)
        out.line(lectureText(d, i));
}

// Manual rooms keep the fixed 8/3/5 slot coding whatever the data set's coding is.
void dumpManualRooms(Dump &out, const ScheduleData &d)
{
    out.section("manual-rooms");
    const int words = d.manualRooms[0];
    out.line("words " + num(words) + " settings " + bytesHex(d.manualRoomSettings));
    const int usable = clampCount(words, ManualRoomStoreSize - 1);
    std::vector<std::array<std::uint16_t, 3>> triples;
    for (int i = 1; i + 2 <= usable; i += 3)
        triples.push_back({d.manualRooms[i], d.manualRooms[i + 1], d.manualRooms[i + 2]});
    std::sort(triples.begin(), triples.end());
    for (const auto &t : triples) {
        const int slot = t[0];
        out.line("w" + num(slot >> 8) + " d" + num((slot >> 5) & 7) + " b" + num(slot & 31) + " " +
                 ref(d, t[1]) + " " + ref(d, t[2]));
    }
    for (int i = usable - usable % 3 + 1; i <= usable; ++i)
        out.line("partial-word " + num(d.manualRooms[i]));
}

// Roles in table order; assignments ordered by event and resource, repeated pairs in store
// order because the first assignment of a pair is the one that counts.
void dumpRoles(Dump &out, const ScheduleData &d)
{
    out.section("roles");
    out.line("roles-on " + yesNo(d.rolesOn) + " count " + num(d.roleCount) + " assignments " +
             num(d.assignmentCount));
    const int roles = clampCount(d.roleCount, MaxRoles);
    for (int r = 1; r <= roles; ++r) {
        const Role &role = d.roles[r];
        out.line("role " + num(r) + " id " + num(role.id) + " uses " + num(role.uses) + " " +
                 quoted(role.name.view()));
    }
    const int n = clampCount(d.assignmentCount, MaxAssignments);
    std::vector<RoleAssignment> list(d.assignments.begin() + 1, d.assignments.begin() + 1 + n);
    std::stable_sort(list.begin(), list.end(), [](const auto &a, const auto &b) {
        return std::tie(a.event, a.resource) < std::tie(b.event, b.resource);
    });
    for (const RoleAssignment &a : list)
        out.line("assign " + ref(d, a.event) + " " + ref(d, a.resource) + " role " + num(a.role));
}

void dumpNotes(Dump &out, const ScheduleData &d)
{
    out.section("comments");
    for (const std::string &c : d.comments)
        out.line(quoted(c));
    out.section("memos");
    for (const std::string &m : d.memos)
        out.line(quoted(m));
}

void dumpTexts(Dump &out, const ScheduleData &d)
{
    out.section("texts");
    for (int t = 1; t <= ReportTitleCount; ++t)
        out.line("report-title " + num(t) + " " + quoted(d.reportTitles[t]));
    if (!d.reportTitles[0].empty())
        out.line("report-title 0 " + quoted(d.reportTitles[0]));
    out.line("description " + quoted(d.description));
    out.line("vocabulary " + quoted(d.vocabulary));
    out.line("reserved131 " + quoted(d.reserved131));
    out.line("reserved132 " + quoted(d.reserved132));
    out.line("reserved26 " + bytesHex(d.reserved26));
    for (int i = 0; i < UsageCounterCount; ++i) {
        if (d.usageCounters[i] != 0)
            out.line("usage " + num(i) + " " + num(d.usageCounters[i]));
    }
}

void dumpSession(Dump &out, const ScheduleData &d)
{
    out.section("session");
    out.line("current-code " + ref(d, d.currentCode));
    out.line("current-event " + ref(d, d.currentEvent));
    out.line("lock-others-resource " + ref(d, d.lockOthersResource));
    out.line("modified " + yesNo(d.modified));
}

// Whether a code's firstLecture leads to a contiguous run of all its entries ("ok"), is 0
// for a code without entries ("-"), or is stale ("bad").
std::string firstLectureState(const ScheduleData &d, int c, int entries)
{
    const int first = d.codes[c].firstLecture;
    if (entries == 0)
        return first == 0 ? "-" : "bad";
    const int n = clampCount(d.lectureCount, MaxLectures);
    if (first < 1 || first + entries - 1 > n)
        return "bad";
    if (first > 1 && lectureCode(d, d.lectureWord[first - 1]) == c)
        return "bad";
    for (int i = first; i < first + entries; ++i) {
        if (lectureCode(d, d.lectureWord[i]) != c)
            return "bad";
    }
    return "ok";
}

// Whether an event's collectionPos points at its first marker ("ok"), is 0 without a marker
// ("-"), or is stale ("bad").
std::string collectionPosState(const ScheduleData &d, int c)
{
    const int n = clampCount(d.collectionEntryCount, MaxCollectionEntries);
    int firstMarker = 0;
    for (int i = 1; i <= n && firstMarker == 0; ++i) {
        const std::uint16_t e = d.collection[i];
        if ((e & CollectionMarkerBit) && collectionCode(e) == c)
            firstMarker = i;
    }
    const int pos = d.codes[c].collectionPos;
    if (firstMarker == 0)
        return pos == 0 ? "-" : "bad";
    return pos == firstMarker ? "ok" : "bad";
}

std::string codeList(const ScheduleData &d, const std::array<CodeId, CodeTableSize> &list)
{
    std::string text = num(list[0]) + ":";
    const int n = std::min<int>(list[0], MaxCodes);
    for (int i = 1; i <= n; ++i)
        text += " " + ref(d, list[i]);
    return text;
}

// Non-zero words above a store's count: a store that was not cleared behind its end.
template <typename T, std::size_t N> int staleTail(const std::array<T, N> &store, int count)
{
    const int from = clampCount(count, static_cast<int>(N) - 1) + 1;
    return static_cast<int>(
        std::count_if(store.begin() + from, store.end(), [](T v) { return v != T{}; }));
}

void dumpDerived(Dump &out, const ScheduleData &d)
{
    out.section("derived");
    const int n = clampCount(d.codeCount, MaxCodes);
    std::vector<int> entries(n + 1, 0);
    const int lectures = clampCount(d.lectureCount, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (c >= 1 && c <= n)
            ++entries[c];
    }
    for (int c = 1; c <= n; ++c) {
        const CodeRecord &r = d.codes[c];
        std::string text = ref(d, c) + " allocated " + num(r.allocated) + " scheduled " +
                           num(r.scheduled) + " links " + num(r.links) + " first-lecture " +
                           firstLectureState(d, c, entries[c]);
        text += " collection " + collectionPosState(d, c);
        out.line(text);
    }
    out.line("event-list " + codeList(d, d.eventList));
    out.line("resource-list " + codeList(d, d.resourceList));
    out.line("lists-sorted " + yesNo(d.listsSorted));
    out.line("collection-count " + num(d.collectionCount));
    out.line("schedule-extent " + timeRange(d.scheduleExtent));

    const StoreCounters &k = d.counters;
    out.line("lecture-kinds " + num(k.weekAllocations) + " " + num(k.weekBookings) + " " +
             num(k.timetableLectures) + " " + num(k.tableBookings));
    out.line("codes-with-lectures " + num(k.codesWithLectures));
    out.line("timetable-entries " + num(k.timetableEntries));
    out.line("timetabled-resources " + num(k.timetabledResources));
    out.line("largest-timetable " + num(k.largestTimetable));
    out.line("resource-counters " + joinNumbers(k.resourceCounters));
    out.line("event-counters " + joinNumbers(k.eventCounters));
    out.line("totals planned " + num(k.plannedTotal) + " allocated " + num(k.allocatedTotal) +
             " scheduled " + num(k.scheduledTotal) + " booked-weeks " + num(k.bookedWeeksTotal) +
             " table-booked " + num(k.tableBookedTotal));

    const RecountFacts &f = d.facts;
    out.line("longest code " + num(f.longestCode) + " name " + num(f.longestName));
    out.line("real-weeks " + num(f.realWeeks) + " same-length " + yesNo(f.weeksSameLength) +
             " any-length-one " + yesNo(f.anyWeekLengthOne));
    std::string blocks = "block-lengths";
    for (int b = 0; b <= MaxBells; ++b) {
        if (f.blockLengths[b] != 0)
            blocks += " " + num(b) + ":" + num(f.blockLengths[b]);
    }
    out.line(blocks);
    out.line("booked-cells " + joinNumbers(std::span(f.bookedCells).subspan(1)));
    out.line("wrong-collection-entries " + num(f.wrongCollectionEntries));

    const int stale =
        staleTail(d.lectureWord, d.lectureCount) + staleTail(d.lectureStart, d.lectureCount) +
        staleTail(d.lectureEnd, d.lectureCount) + staleTail(d.bookingKind, d.lectureCount) +
        staleTail(d.collection, d.collectionEntryCount) +
        staleTail(d.manualRooms, d.manualRooms[0]);
    out.line("stale-tail-words " + num(stale));
    int staleCodes = 0;
    for (int c = n + 1; c < CodeTableSize; ++c) {
        const CodeRecord &r = d.codes[c];
        if (r.planned || r.allocated || r.flags || r.firstLecture || r.collectionPos ||
            r.scheduled || r.links || r.colour || !r.code.empty() || !r.name.empty())
            ++staleCodes;
    }
    out.line("stale-code-records " + num(staleCodes));
}

} // namespace

std::string dumpScheduleData(const ScheduleData &d)
{
    Dump out;
    out.line("quivra-dump 1");
    dumpHeader(out, d);
    dumpCalendar(out, d);
    dumpCategories(out, d);
    dumpCodes(out, d);
    dumpCollections(out, d);
    dumpLectures(out, d);
    dumpManualRooms(out, d);
    dumpRoles(out, d);
    dumpNotes(out, d);
    dumpTexts(out, d);
    dumpSession(out, d);
    dumpDerived(out, d);
    return out.take();
}

} // namespace quivra
