#include "engine/codetable.h"

#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "engine/recount.h"
#include "engine/roles.h"
#include "engine/textutil.h"
#include "engine/totals.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

namespace {

constexpr int LegacyKindShift = 12;

int lectureEnd(const ScheduleData &d)
{
    return std::clamp(d.lectureCount, 0, MaxLectures);
}

int collectionEnd(const ScheduleData &d)
{
    return std::clamp(d.collectionEntryCount, 0, MaxCollectionEntries);
}

int assignmentEnd(const ScheduleData &d)
{
    return std::clamp(d.assignmentCount, 0, MaxAssignments);
}

int manualRoomTriples(const ScheduleData &d)
{
    return std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1) / 3;
}

// Rewrites every CodeId held outside the table through `newId` (old id -> new id, 0 when the code
// is gone). Only code parts change: flag bits of lecture words, the marker bit of collection
// entries and the slot words of manual rooms stay as they are. An entry whose code is gone is
// cleared so that the next compaction drops it; a manual-room triple whose event is gone is made
// void through its slot word.
template <typename Map> void renumberStores(ScheduleData &d, Map newId)
{
    const std::uint16_t mask = d.lectureCodeMask;
    for (int k = 1; k <= lectureEnd(d); ++k) {
        const std::uint16_t word = d.lectureWord[k];
        const int c = word & mask;
        if (c == 0)
            continue;
        const int nc = newId(c);
        d.lectureWord[k] = nc == 0 ? 0 : static_cast<std::uint16_t>((word & ~mask) | (nc & mask));
    }

    for (int k = 1; k <= collectionEnd(d); ++k) {
        const std::uint16_t entry = d.collection[k];
        const int c = entry & CollectionCodeMask;
        if (c == 0)
            continue;
        const int nc = newId(c);
        d.collection[k] = nc == 0 ? 0
                                  : static_cast<std::uint16_t>((entry & ~CollectionCodeMask) |
                                                               (nc & CollectionCodeMask));
    }

    for (int t = 0; t < manualRoomTriples(d); ++t) {
        const int base = 1 + 3 * t;
        std::uint16_t &slot = d.manualRooms[base];
        std::uint16_t &event = d.manualRooms[base + 1];
        std::uint16_t &room = d.manualRooms[base + 2];
        if (event != 0) {
            event = static_cast<std::uint16_t>(newId(event));
            if (event == 0)
                slot = 0;
        }
        if (room != 0)
            room = static_cast<std::uint16_t>(newId(room));
    }

    for (int k = 1; k <= assignmentEnd(d); ++k) {
        RoleAssignment &a = d.assignments[k];
        if (a.event != 0)
            a.event = static_cast<CodeId>(newId(a.event));
        if (a.resource != 0)
            a.resource = static_cast<CodeId>(newId(a.resource));
    }

    for (CodeId *c : {&d.currentCode, &d.currentEvent, &d.lockOthersResource}) {
        if (*c != 0)
            *c = static_cast<CodeId>(newId(*c));
    }
}

// Brings the lecture code mask in line with the code count. Widening first moves any booking
// kind still kept in bits 12..13 (files of the 12-bit era) into bookingKind, because from now on
// bit 12 is part of the code. Narrowing happens only once every valid code fits 12 bits; a word
// that still has bit 12 set names no existing code and is cleared rather than misread.
void updateCodeMask(ScheduleData &d)
{
    if (d.codeCount > NarrowCodeMask) {
        if (d.lectureCodeMask == WideCodeMask)
            return;
        for (int k = 1; k <= lectureEnd(d); ++k) {
            const std::uint16_t word = d.lectureWord[k];
            if ((word & LegacyKindBits) == 0)
                continue;
            if ((word & LectureBookingBit) && (d.bookingKind[k] & 0xFF) == 0) {
                const int kind = (word & LegacyKindBits) >> LegacyKindShift;
                d.bookingKind[k] = static_cast<std::int16_t>((d.bookingKind[k] & ~0xFF) | kind);
            }
            d.lectureWord[k] = static_cast<std::uint16_t>(word & ~LegacyKindBits);
        }
        d.lectureCodeMask = WideCodeMask;
    } else {
        if (d.lectureCodeMask == NarrowCodeMask)
            return;
        for (int k = 1; k <= lectureEnd(d); ++k) {
            if ((d.lectureWord[k] & WideCodeMask) > NarrowCodeMask)
                d.lectureWord[k] = 0;
        }
        d.lectureCodeMask = NarrowCodeMask;
    }
}

// Fills eventList and resourceList with every categorised code in table order.
void fillLists(ScheduleData &d)
{
    int events = 0;
    int resources = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        const std::uint16_t flags = d.codes[c].flags;
        if ((flags & CategoryBitsMask) == 0)
            continue;
        if (flags & IsEventBit)
            d.eventList[++events] = static_cast<CodeId>(c);
        else
            d.resourceList[++resources] = static_cast<CodeId>(c);
    }
    std::fill(d.eventList.begin() + events + 1, d.eventList.end(), CodeId{0});
    std::fill(d.resourceList.begin() + resources + 1, d.resourceList.end(), CodeId{0});
    d.eventList[0] = static_cast<CodeId>(events);
    d.resourceList[0] = static_cast<CodeId>(resources);
}

// Clears the marker and the members of every collection of event c.
void clearCollectionOf(ScheduleData &d, int c)
{
    bool inside = false;
    for (int k = 1; k <= collectionEnd(d); ++k) {
        const std::uint16_t entry = d.collection[k];
        if (entry & CollectionMarkerBit) {
            inside = (entry & CollectionCodeMask) == c;
            if (inside)
                --d.collectionCount;
        }
        if (inside)
            d.collection[k] = 0;
    }
    d.collectionCount = std::max(d.collectionCount, 0);
    d.codes[c].collectionPos = 0;
}

// The events whose collection holds resource r, each once.
std::vector<CodeId> eventsUsing(const ScheduleData &d, int r)
{
    std::vector<CodeId> events;
    int cursor = collectionEnd(d) + 1;
    while (const CodeId e = eventsOfResource(d, static_cast<CodeId>(r), cursor))
        events.push_back(e);
    std::sort(events.begin(), events.end());
    events.erase(std::unique(events.begin(), events.end()), events.end());
    return events;
}

bool applyLock(ScheduleData &d, int event, LockMode mode)
{
    if (!isEventCode(d, static_cast<CodeId>(event)))
        return false;
    std::uint16_t &flags = d.codes[event].flags;
    const std::uint16_t before = flags;
    switch (mode) {
    case LockMode::Lock:
        flags |= LockedBit;
        break;
    case LockMode::Unlock:
        flags &= static_cast<std::uint16_t>(~LockedBit);
        break;
    case LockMode::Toggle:
        flags ^= LockedBit;
        break;
    }
    if (flags == before)
        return false;
    d.modified = true;
    return true;
}

// The name as shown: the first remark in the chosen bracket pair is cut out wherever it occurs,
// and the double spaces this leaves are closed.
std::string shownName(std::string_view name, int nameBrackets)
{
    static constexpr char Open[] = {'[', '(', '{', '\\', '/'};
    static constexpr char Close[] = {']', ')', '}', '\\', '/'};
    std::string text(name);
    if (nameBrackets < 1 || nameBrackets > 5)
        return text;
    const char open = Open[nameBrackets - 1];
    const char close = Close[nameBrackets - 1];
    const auto start = text.find(open);
    if (start == std::string::npos || start + 1 == text.size())
        return text;
    const auto end = text.find(close, start + 1);
    const std::string remark =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);

    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, remark.size(), remark) == 0) {
            i += remark.size();
        } else {
            out += text[i++];
        }
    }
    std::string collapsed;
    for (const char ch : out) {
        if (ch == ' ' && !collapsed.empty() && collapsed.back() == ' ')
            continue;
        collapsed += ch;
    }
    return collapsed;
}

// Week span of every code for the week-span sort: first week << 8 | last week of its lectures,
// 0xFF00 without lectures; a resource takes the smallest of its own and its events' spans.
void computeWeekSpans(ScheduleData &d)
{
    WeekAllocation wa;
    const LectureIndex index(d); // one pass over the store instead of one per code
    for (int c = 1; c <= d.codeCount; ++c) {
        const int entries = loadWeekAllocation(d, static_cast<CodeId>(c), wa, index);
        const bool any = entries > 0 && wa.firstWeek >= 1 && wa.firstWeek <= wa.lastWeek;
        d.weekSpan[c] = any ? static_cast<std::uint16_t>((std::min(wa.firstWeek, 255) << 8) |
                                                         std::min(wa.lastWeek, 255))
                            : std::uint16_t{0xFF00};
    }
    // One pass over the collection list instead of one per resource.
    CodeId event = 0;
    for (int k = 1; k <= collectionEnd(d); ++k) {
        const std::uint16_t entry = d.collection[k];
        const int c = entry & CollectionCodeMask;
        if (entry & CollectionMarkerBit) {
            event = isEventCode(d, static_cast<CodeId>(c)) ? static_cast<CodeId>(c) : 0;
        } else if (event != 0 && isResourceCode(d, static_cast<CodeId>(c))) {
            d.weekSpan[c] = std::min(d.weekSpan[c], d.weekSpan[event]);
        }
    }
}

bool needsTotals(int key)
{
    return (key >= SortByPlanned && key <= SortByLinks) || key == SortByUnallocated ||
           key == SortByUnscheduled;
}

bool breaksTiesByCode(int key)
{
    return needsTotals(key);
}

// Comparison of two codes under one sort key, with the direction applied.
class SortOrder
{
public:
    SortOrder(const ScheduleData &d, int key, bool ascending, bool categoryFirst)
        : m_d(d), m_key(key), m_ascending(ascending), m_categoryFirst(categoryFirst)
    {
        if (key > SortByFirstResource && key <= SortByFirstResource + MaxCategories)
            buildFirstResourceTexts();
    }

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(int a, int b) const
    {
        const int r = compareAscending(a, b);
        return m_ascending ? r : -r;
    }

private:
    static int sign(long long v) { return (v > 0) - (v < 0); }

    long long number(int c) const
    {
        const CodeRecord &r = m_d.codes[c];
        switch (m_key) {
        case SortByPlanned:
            return r.planned;
        case SortByAllocated:
            return r.allocated;
        case SortByScheduled:
            return r.scheduled;
        case SortByLinks:
            return r.links;
        case SortByWeekSpan:
            return m_d.weekSpan[c];
        case SortByUnallocated:
            return static_cast<long long>(r.planned) - r.allocated;
        case SortByUnscheduled:
            return static_cast<long long>(r.allocated) - r.scheduled;
        default:
            return 0;
        }
    }

    int compareAscending(int a, int b) const
    {
        const CodeRecord &ra = m_d.codes[a];
        const CodeRecord &rb = m_d.codes[b];
        if (m_categoryFirst) {
            const int r = sign(static_cast<long long>(ra.flags & CategoryBitsMask) -
                               (rb.flags & CategoryBitsMask));
            if (r != 0)
                return r;
        }
        switch (m_key) {
        case SortByCode:
            return compareBytes(ra.code.view(), rb.code.view());
        case SortByName:
            return compareBytes(ra.name.view(), rb.name.view());
        default:
            break;
        }
        if (!m_firstResource.empty())
            return compareBytes(m_firstResource[a], m_firstResource[b]);
        const int r = sign(number(a) - number(b));
        if (r != 0 || !breaksTiesByCode(m_key))
            return r;
        return compareBytes(ra.code.view(), rb.code.view());
    }

    // Code of the event's first resource of the category (fifteen 0xFF bytes without one), "$"
    // and the event's own code, so that equal first resources fall back on the event's code.
    void buildFirstResourceTexts()
    {
        const int category = m_key - SortByFirstResource;
        m_firstResource.resize(m_d.codeCount + 1);
        for (int c = 1; c <= m_d.codeCount; ++c) {
            std::string text;
            CodeId first = 0;
            if (m_d.codes[c].isEvent()) {
                const MemberList members = collectionOf(m_d, static_cast<CodeId>(c));
                first = memberOfCategory(m_d, category, 1, members);
            }
            if (validCode(m_d, first))
                text = m_d.codes[first].code.str();
            else
                text.assign(CodeLength, static_cast<char>(0xFF));
            text += '$';
            text += m_d.codes[c].code.view();
            m_firstResource[c] = std::move(text);
        }
    }

    const ScheduleData &m_d;
    int m_key;
    bool m_ascending;
    bool m_categoryFirst;
    std::vector<std::string> m_firstResource; // by CodeId, keys 21..27 only
};

bool knownSortKey(int key)
{
    return (key >= SortByCode && key <= SortByUnscheduled) ||
           (key > SortByFirstResource && key <= SortByFirstResource + MaxCategories);
}

} // namespace

int insertCode(ScheduleData &d, int position, const CodeRecord &record)
{
    if (position < 0 || position > MaxCodes || d.codeCount < 0 || d.codeCount >= MaxCodes ||
        record.code.empty())
        return 0;
    if (position == 0)
        position = d.codeCount + 1;
    else if (position > d.codeCount + 1)
        position = 1;

    ++d.codeCount;
    updateCodeMask(d);
    std::copy_backward(d.codes.begin() + position, d.codes.begin() + d.codeCount,
                       d.codes.begin() + d.codeCount + 1);
    d.codes[position] = record;
    renumberStores(d, [position](int c) { return c >= position ? c + 1 : c; });

    normaliseRoles(d);
    fillLists(d);
    d.listsSorted = false;
    d.modified = true;
    return position;
}

bool deleteCode(ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return false;

    if (!d.codes[c].code.empty())
        renameInNotes(d, d.codes[c].code.view(), "");
    removeLecturesOf(d, c);
    clearCollectionOf(d, c);
    // With the mask still as wide as the old count needs, so that code parts above 4095 are read
    // whole before they move down.
    renumberStores(d, [c](int x) { return x == c ? 0 : x > c ? x - 1 : x; });

    const int oldCount = d.codeCount;
    --d.codeCount;
    updateCodeMask(d);
    std::copy(d.codes.begin() + c + 1, d.codes.begin() + oldCount + 1, d.codes.begin() + c);
    d.codes[oldCount] = CodeRecord{};

    // Roles are checked against the table (event first, resource second), so only now.
    normaliseRoles(d);
    d.modified = true;
    recount(d);
    fillLists(d);
    return true;
}

int deleteCodes(ScheduleData &d, std::vector<CodeId> codes)
{
    std::erase_if(codes, [&d](CodeId c) { return !validCode(d, c); });
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    if (codes.empty())
        return 0;
    for (const CodeId c : codes) {
        if (!d.codes[c].code.empty())
            renameInNotes(d, d.codes[c].code.view(), "");
        removeLecturesOf(d, c);
        clearCollectionOf(d, c);
    }
    // Each code moves down by the number of deleted codes before it; deleted ones become 0.
    const int oldCount = d.codeCount;
    const int removed = static_cast<int>(codes.size());
    std::vector<int> newId(static_cast<std::size_t>(oldCount) + 1, 0);
    std::size_t next = 0;
    for (int c = 1; c <= oldCount; ++c) {
        if (next < codes.size() && codes[next] == c) {
            ++next;
            continue;
        }
        newId[static_cast<std::size_t>(c)] = c - static_cast<int>(next);
    }
    renumberStores(d, [&newId, oldCount, removed](int x) {
        return x > oldCount ? x - removed : newId[static_cast<std::size_t>(x)];
    });
    for (int c = 1; c <= oldCount; ++c) {
        const int to = newId[static_cast<std::size_t>(c)];
        if (to != 0 && to != c)
            d.codes[to] = d.codes[c];
    }
    for (int c = oldCount - removed + 1; c <= oldCount; ++c)
        d.codes[c] = CodeRecord{};
    d.codeCount = oldCount - removed;
    updateCodeMask(d);
    normaliseRoles(d);
    d.modified = true;
    recount(d);
    fillLists(d);
    return removed;
}

void swapCodes(ScheduleData &d, CodeId a, CodeId b)
{
    if (a == b || !validCode(d, a) || !validCode(d, b))
        return;
    // The views' current code is forgotten when it moves: a view that remembered it must not
    // silently show the other code.
    const bool forgetCurrent = d.currentCode == a || d.currentCode == b;
    std::swap(d.codes[a], d.codes[b]);
    std::swap(d.weekSpan[a], d.weekSpan[b]);
    renumberStores(d, [a, b](int x) { return x == a ? b : x == b ? a : x; });
    if (forgetCurrent)
        d.currentCode = 0;
    d.modified = true;
    recount(d);
    fillLists(d);
}

void sortCodes(ScheduleData &d, int key, CodeKind kind, bool ascending, bool categoryFirst)
{
    if (!knownSortKey(key))
        return;

    rebuildLists(d);
    if (needsTotals(key)) {
        totals(d, 1, d.codeCount);
        if (kind == CodeKind::Resource)
            allResourceTotals(d);
    }
    if (key == SortByWeekSpan)
        computeWeekSpans(d);

    const auto &list = kind == CodeKind::Event ? d.eventList : d.resourceList;
    const int n = list[0];
    // Table positions the list occupies (ascending, as the list follows the table), and the codes
    // that end up in them.
    const std::vector<CodeId> slots(list.begin() + 1, list.begin() + n + 1);
    std::vector<CodeId> order = slots;

    // The gap-halving exchange sort, run on ids instead of moving records for every exchange.
    const SortOrder sortOrder(d, key, ascending, categoryFirst);
    for (int gap = n / 2; gap > 0; gap /= 2) {
        bool swapped = true;
        while (swapped) {
            swapped = false;
            for (int i = 0; i + gap < n; ++i) {
                if (sortOrder.compare(order[i], order[i + gap]) > 0) {
                    std::swap(order[i], order[i + gap]);
                    swapped = true;
                }
            }
        }
    }

    std::vector<CodeId> newId(d.codeCount + 1);
    for (int c = 0; c <= d.codeCount; ++c)
        newId[c] = static_cast<CodeId>(c);
    bool moved = false;
    for (int p = 0; p < n; ++p) {
        newId[order[p]] = slots[p];
        moved = moved || order[p] != slots[p];
    }

    if (moved) {
        std::vector<CodeRecord> records(n);
        std::vector<std::uint16_t> spans(n);
        for (int p = 0; p < n; ++p) {
            records[p] = d.codes[order[p]];
            spans[p] = d.weekSpan[order[p]];
        }
        for (int p = 0; p < n; ++p) {
            d.codes[slots[p]] = records[p];
            d.weekSpan[slots[p]] = spans[p];
        }
        const int count = d.codeCount;
        renumberStores(d, [&newId, count](int c) { return c <= count ? int{newId[c]} : c; });
        d.modified = true;
    }

    rebuildLists(d);
    d.listsSorted = true;
}

CodeId findCode(const ScheduleData &d, std::string_view text, int start, int excluded)
{
    if (text.empty())
        return 0;
    for (int c = std::max(start, 0) + 1; c <= d.codeCount; ++c) {
        if (c != excluded && d.codes[c].code.view() == text)
            return static_cast<CodeId>(c);
    }
    return 0;
}

CodeId findByName(const ScheduleData &d, std::string_view text, int n, int start, int excluded,
                  CodeKind kind)
{
    const std::string_view prefix = text.substr(
        0, static_cast<std::size_t>(std::clamp<int>(n, 0, static_cast<int>(text.size()))));
    if (prefix.empty())
        return 0;
    const bool wantEvent = kind == CodeKind::Event;
    for (int c = std::max(start, 0) + 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[c];
        if (c != excluded && r.isEvent() == wantEvent && r.name.view().starts_with(prefix))
            return static_cast<CodeId>(c);
    }
    return 0;
}

bool renameCode(ScheduleData &d, std::string_view oldCode, std::string_view newCode)
{
    oldCode = oldCode.substr(0, CodeLength);
    newCode = newCode.substr(0, CodeLength);
    // An empty new code would leave a code that cannot be stored or found; removing the notes
    // of a deleted code is deleteCode's business.
    if (newCode.empty())
        return false;
    const CodeId c = findCode(d, oldCode);
    if (c == 0 || findCode(d, newCode) != 0)
        return false;
    const std::string old(oldCode); // oldCode may point into the record being changed
    d.codes[c].code.assign(newCode);
    renameInNotes(d, old, newCode);
    d.modified = true;
    return true;
}

std::string makeUniqueCode(const ScheduleData &d, std::string_view proposal)
{
    std::string_view stem = proposal;
    if (!stem.empty() && stem.back() >= 'a' && stem.back() <= 'z')
        stem.remove_suffix(1);
    // Suffixes a..z, aa..zz, ... up to fifteen letters; longer ones could not be stored.
    for (int length = 1; length <= CodeLength; ++length) {
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            std::string candidate(stem.substr(0, CodeLength - length));
            candidate.append(static_cast<std::size_t>(length), letter);
            if (findCode(d, candidate) == 0)
                return candidate;
        }
    }
    return {};
}

int categoryOf(const ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return 0;
    const int bits = (d.codes[c].flags & CategoryBitsMask) >> CategoryShift;
    for (int k = 1; k <= MaxCategories; ++k) {
        if (bits & (1 << (k - 1)))
            return k;
    }
    return MaxCategories;
}

std::string categoryName(const ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return {};
    const auto &list = d.codes[c].isEvent() ? d.eventCategories : d.resourceCategories;
    return listItem(list.view(), categoryOf(d, c));
}

std::string categorySummary(const ScheduleData &d, CodeId event)
{
    if (!isEventCode(d, event))
        return {};
    const MemberList members = collectionOf(d, event);
    std::array<int, MaxCategories + 1> counts{};
    const int n = std::min<int>(members[0], MaxMembers);
    for (int i = 1; i <= n; ++i) {
        if (isResourceCode(d, members[i]))
            ++counts[categoryOf(d, members[i])];
    }
    std::string text;
    for (int k = 1; k <= MaxCategories; ++k) {
        if (counts[k] == 0)
            continue;
        if (counts[k] > 1)
            text += std::to_string(counts[k]) + 'x';
        const std::string item = listItem(d.resourceCategories.view(), k);
        const char letter = item.empty() ? '?' : item[0];
        if (letter >= '0' && letter <= '9')
            text += std::string{'\'', letter, '\''};
        else
            text += letter;
        text += '+';
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

bool isEventCode(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}

bool isResourceCode(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) && !d.codes[c].isEvent();
}

bool isLockedCode(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) && (d.codes[c].flags & LockedBit);
}

void setLock(ScheduleData &d, CodeId c, LockMode mode)
{
    if (!validCode(d, c)) {
        const int n = std::min<int>(d.eventList[0], MaxCodes);
        for (int i = 1; i <= n; ++i)
            applyLock(d, d.eventList[i], mode);
    } else if (d.codes[c].isEvent()) {
        applyLock(d, c, mode);
    } else {
        for (const CodeId e : eventsUsing(d, c))
            applyLock(d, e, mode);
    }
}

bool queryLock(const ScheduleData &d, CodeId event)
{
    return isEventCode(d, event) && isLockedCode(d, event);
}

int countLocked(const ScheduleData &d)
{
    int n = 0;
    for (int c = 1; c <= d.codeCount; ++c)
        n += queryLock(d, static_cast<CodeId>(c)) ? 1 : 0;
    return n;
}

void setMarks(ScheduleData &d, int first, int last, std::uint16_t mask)
{
    mask &= LinkMarksMask;
    for (int c = std::max(first, 1); c <= std::min(last, d.codeCount); ++c) {
        d.codes[c].flags |= mask;
    }
}

void clearMarks(ScheduleData &d, int first, int last, std::uint16_t mask)
{
    mask &= LinkMarksMask;
    for (int c = std::max(first, 1); c <= std::min(last, d.codeCount); ++c) {
        d.codes[c].flags &= static_cast<std::uint16_t>(~mask);
    }
}

int markLinked(ScheduleData &d, CodeId c, std::uint16_t mask)
{
    clearMarks(d, 1, d.codeCount, mask);
    mask &= LinkMarksMask;
    if (!validCode(d, c) || mask == 0)
        return 0;

    std::vector<CodeId> linked;
    if (d.codes[c].isEvent()) {
        const MemberList members = collectionOf(d, c);
        const int n = std::min<int>(members[0], MaxMembers);
        for (int i = 1; i <= n; ++i) {
            if (validCode(d, members[i]))
                linked.push_back(members[i]);
        }
    } else {
        linked = eventsUsing(d, c);
    }
    int marked = 0;
    for (const CodeId x : linked) {
        if ((d.codes[x].flags & mask) == mask)
            continue; // a member listed twice is counted once
        d.codes[x].flags |= mask;
        ++marked;
    }
    return marked;
}

std::string formatCode(const ScheduleData &d, CodeId c, int mode, int nameBrackets)
{
    if (!validCode(d, c))
        return {};
    const CodeRecord &r = d.codes[c];
    const std::string name = (mode & ShowName) ? shownName(r.name.view(), nameBrackets) : "";

    std::string text;
    switch (mode & ShowCodeAndName) {
    case ShowCode:
        text = r.code.str();
        break;
    case ShowName:
        text = name;
        break;
    case ShowCodeAndName:
        text = r.code.str();
        if (!text.empty() && !name.empty())
            text += ':';
        text += name;
        break;
    default:
        break;
    }

    if (mode & (ShowCategory | ShowCategoryName)) {
        const std::string item = categoryName(d, c);
        if (mode & ShowCategory)
            text += " (" + item + ")";
        if (mode & ShowCategoryName)
            text += " (" + (item.size() >= 2 && item[1] == ':' ? item.substr(2) : item) + ")";
    }
    if (mode & ShowKind)
        text += r.isEvent() ? " = Event" : " = Resource";
    if ((mode & ShowRole) && d.rolesOn && d.assignmentCount > 0 && isEventCode(d, d.currentEvent) &&
        !r.isEvent())
        text += " " + roleNameOf(d, d.currentEvent, c);
    return text;
}

void rebuildLists(ScheduleData &d)
{
    recount(d);
    fillLists(d);
    d.listsSorted = false;
}

} // namespace quivra
