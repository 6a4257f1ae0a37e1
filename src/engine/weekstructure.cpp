#include "engine/weekstructure.h"

#include "engine/calendar.h"
#include "engine/notes.h"
#include "engine/totals.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

bool marked(const ScheduleData &d, int c)
{
    return d.codes[c].flags & 1;
}

// Copies entry k to the end of the store with new start and end slots; false when full.
bool appendCopy(ScheduleData &d, int k, SlotCode start, SlotCode end)
{
    if (d.lectureCount >= MaxLectures)
        return false;
    const int i = ++d.lectureCount;
    d.lectureWord[i] = d.lectureWord[k];
    d.bookingKind[i] = d.bookingKind[k];
    d.lectureStart[i] = start;
    d.lectureEnd[i] = end;
    return true;
}

SlotCode withWeek(const ScheduleData &d, SlotCode s, int w)
{
    return d.coding.pack(w, d.coding.dayOf(s), d.coding.bellOf(s));
}

// Whether entry k belongs to the codes an operation works on (c = 0: all codes).
bool inScope(const ScheduleData &d, int k, int c)
{
    const std::uint16_t word = d.lectureWord[k];
    if (word == 0)
        return false;
    return c == 0 || lectureCode(d, word) == c;
}

// Gives week `to` a copy of every slot comment ("[wwwdbb];code;text") of week `from`; the
// source week keeps its own. A comment of the same code and slot already in `to` is replaced.
void copyWeekComments(ScheduleData &d, int from, int to)
{
    struct Copy
    {
        std::string code, text;
        int day, bell;
    };
    std::vector<Copy> copies;
    for (const std::string &entry : d.comments) {
        const std::size_t first = entry.find(';');
        if (first == std::string::npos)
            continue;
        const std::size_t second = entry.find(';', first + 1);
        std::string digits;
        for (char ch : std::string_view(entry).substr(0, first))
            if (ch != '[' && ch != ']' && ch != ' ')
                digits += ch;
        if (entry.find('[') == std::string::npos || digits.size() != 6 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char ch) { return ch >= '0' && ch <= '9'; }))
            continue;
        const int value = std::stoi(digits);
        if (value / 1000 != from)
            continue;
        const std::string code = entry.substr(
            first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        const std::string text = second == std::string::npos ? "" : entry.substr(second + 1);
        copies.push_back({code, text, value / 100 % 10, value % 100});
    }
    for (const Copy &c : copies)
        addComment(d, to, c.text, c.code, c.day, c.bell);
}

} // namespace

bool insertWeek(ScheduleData &d, int w, WeekNames names, CodeId c)
{
    const bool moveNames = names == WeekNames::Move;
    const int limit = weekCap(d);
    if (w < 1 || w > limit || (c != 0 && !validCode(d, c)))
        return false;
    const SlotCoding &k = d.coding;
    // Nothing may be pushed beyond the last week, and every split must fit the store; both are
    // checked before anything changes.
    int splits = 0;
    int dropped = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        if (d.lectureWord[i] == 0)
            ++dropped;
        if (!inScope(d, i, c))
            continue;
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (ew >= w && ew >= limit)
            return false;
        if (sw < w && ew >= w)
            ++splits;
    }
    if (d.lectureCount - dropped + splits > MaxLectures)
        return false;
    const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
    for (int i = 1; i + 2 <= words; i += 3) {
        const int week = d.manualRooms[i] >> 8;
        if ((c == 0 || d.manualRooms[i + 1] == c) && week >= w && week >= limit)
            return false;
    }
    compactStore(d);

    const int n = d.lectureCount;
    for (int i = 1; i <= n; ++i) {
        if (!inScope(d, i, c))
            continue;
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (sw >= w) {
            d.lectureStart[i] = withWeek(d, d.lectureStart[i], sw + 1);
            d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], ew + 1);
        } else if (ew >= w) {
            appendCopy(d, i, withWeek(d, d.lectureStart[i], w + 1),
                       withWeek(d, d.lectureEnd[i], ew + 1));
            d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], w - 1);
        }
    }
    for (int i = 1; i + 2 <= words; i += 3) {
        const int week = d.manualRooms[i] >> 8;
        if ((c == 0 || d.manualRooms[i + 1] == c) && week >= w)
            d.manualRooms[i] = static_cast<std::uint16_t>(d.manualRooms[i] + 256);
    }
    compactStore(d);
    if (c == 0) {
        d.calendarRange.endWeek = static_cast<std::uint8_t>(std::min(usedWeeks(d) + 1, limit));
        if (moveNames) {
            for (int x = limit; x > w; --x)
                d.weeks[x] = d.weeks[x - 1];
            d.weeks[w] = WeekEntry{};
            d.weeks[w].name.assign(std::to_string(w));
        }
        shiftCommentWeeks(d, w, 1);
    }
    d.modified = true;
    return true;
}

int fillInsertedWeek(ScheduleData &d, int w, int t)
{
    if (!inWeeks(d, w))
        return 0;
    compactStore(d);
    const SlotCoding &k = d.coding;
    const int n = d.lectureCount;
    int added = 0;
    auto add = [&](int i, int startDay, int endDay) {
        const SlotCode start = k.pack(w, startDay, k.bellOf(d.lectureStart[i]));
        const SlotCode end = k.pack(w, endDay, k.bellOf(d.lectureEnd[i]));
        if (!appendCopy(d, i, start, end))
            return;
        ++added;
        const std::uint16_t word = d.lectureWord[i];
        if (isBookingWord(word) || !(word & LectureEventBit))
            return;
        LectureView alloc;
        alloc.word = word;
        alloc.count =
            static_cast<std::uint16_t>((endDay - startDay + 1) * (k.bellOf(d.lectureEnd[i]) -
                                                                  k.bellOf(d.lectureStart[i]) + 1));
        alloc.startWeek = alloc.endWeek = static_cast<std::uint8_t>(w);
        if (appendLecture(d, alloc, 0))
            ++added;
    };
    for (int i = 1; i <= n; ++i) {
        if (d.lectureWord[i] == 0 || k.dayOf(d.lectureStart[i]) == 0)
            continue;
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        const int sd = k.dayOf(d.lectureStart[i]), ed = k.dayOf(d.lectureEnd[i]);
        if (sw <= w - 1 && w - 1 <= ew && sd <= t)
            add(i, sd, std::min(ed, t));
        if (sw <= w + 1 && w + 1 <= ew && ed > t)
            add(i, std::max(sd, t + 1), ed);
    }
    compactStore(d);
    if (added)
        d.modified = true;
    return added;
}

bool deleteWeek(ScheduleData &d, int w, WeekNames names, CodeId c)
{
    const bool moveNames = names == WeekNames::Move;
    const int limit = weekCap(d);
    if (w < 1 || w > limit || (c != 0 && !validCode(d, c)))
        return false;
    compactStore(d);
    const SlotCoding &k = d.coding;
    const int n = d.lectureCount;
    for (int i = 1; i <= n; ++i) {
        if (!inScope(d, i, c))
            continue;
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (sw > w) {
            d.lectureStart[i] = withWeek(d, d.lectureStart[i], sw - 1);
            d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], ew - 1);
        } else if (sw == w) {
            if (ew == w)
                d.lectureWord[i] = 0;
            else
                d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], ew - 1);
        } else if (ew >= w) {
            // Weeks before w stay; weeks after w close up behind them. A full store keeps one
            // entry covering both parts, which holds the same cells.
            if (ew > w && appendCopy(d, i, withWeek(d, d.lectureStart[i], w),
                                     withWeek(d, d.lectureEnd[i], ew - 1)))
                d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], w - 1);
            else
                d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], ew - 1);
        }
    }
    // Manual rooms of the deleted week go with it; later ones move one week earlier.
    const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
    int out = 1;
    for (int i = 1; i + 2 <= words; i += 3) {
        std::uint16_t slot = d.manualRooms[i];
        const int week = slot >> 8;
        if (c == 0 || d.manualRooms[i + 1] == c) {
            if (week == w)
                continue;
            if (week > w)
                slot = static_cast<std::uint16_t>(slot - 256);
        }
        d.manualRooms[out] = slot;
        d.manualRooms[out + 1] = d.manualRooms[i + 1];
        d.manualRooms[out + 2] = d.manualRooms[i + 2];
        out += 3;
    }
    for (int i = out; i <= words; ++i)
        d.manualRooms[i] = 0;
    d.manualRooms[0] = static_cast<std::uint16_t>(out - 1);
    compactStore(d);
    if (c == 0) {
        if (moveNames) {
            for (int x = w; x < limit; ++x)
                d.weeks[x] = d.weeks[x + 1];
            d.weeks[limit] = WeekEntry{};
            d.weeks[limit].name.assign("[" + std::to_string(limit) + "]");
        }
        shiftCommentWeeks(d, w, -1);
    }
    d.modified = true;
    return true;
}

int copyWeek(ScheduleData &d, int w, CodeScope scope, WeekClipboard &clip)
{
    const bool all = scope == CodeScope::All;
    clip = WeekClipboard{};
    if (!inWeeks(d, w))
        return 0;
    clip.week = w;
    const SlotCoding &k = d.coding;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        const int c = lectureCode(d, word);
        if (word == 0 || !validCode(d, c) || (!all && !marked(d, c)))
            continue;
        if (k.weekOf(d.lectureStart[i]) > w || k.weekOf(d.lectureEnd[i]) < w)
            continue;
        WeekClipboard::Entry e;
        e.word = word;
        e.kind = d.bookingKind[i];
        e.startDay = static_cast<std::uint8_t>(k.dayOf(d.lectureStart[i]));
        e.startBell = static_cast<std::uint8_t>(k.bellOf(d.lectureStart[i]));
        e.endDay = static_cast<std::uint8_t>(k.dayOf(d.lectureEnd[i]));
        e.endBell = static_cast<std::uint8_t>(k.bellOf(d.lectureEnd[i]));
        clip.entries.push_back(e);
    }
    return static_cast<int>(clip.entries.size());
}

namespace {

// The codes a paste works on: all, or those with LinkMarks bit 0.
bool inPasteScope(const ScheduleData &d, int c, bool all)
{
    return validCode(d, c) && (all || marked(d, c));
}

// Room for the split lectures and the pasted ones, counted before anything changes.
bool pasteFits(const ScheduleData &d, int w, bool all, const WeekClipboard &clip)
{
    const SlotCoding &k = d.coding;
    int splits = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (d.lectureWord[i] && inPasteScope(d, lectureCode(d, d.lectureWord[i]), all) && sw < w &&
            w < ew)
            ++splits;
    }
    return d.lectureCount + splits + static_cast<int>(clip.entries.size()) <= MaxLectures;
}

// Cuts week w out of every lecture of the codes in scope; a lecture across w is split in two.
void cutWeekFromStore(ScheduleData &d, int w, bool all)
{
    const SlotCoding &k = d.coding;
    const int n = d.lectureCount;
    for (int i = 1; i <= n; ++i) {
        if (d.lectureWord[i] == 0 || !inPasteScope(d, lectureCode(d, d.lectureWord[i]), all))
            continue;
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (w < sw || w > ew)
            continue;
        if (sw == w && ew == w) {
            d.lectureWord[i] = 0;
        } else if (sw == w) {
            d.lectureStart[i] = withWeek(d, d.lectureStart[i], w + 1);
        } else if (ew == w) {
            d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], w - 1);
        } else {
            appendCopy(d, i, withWeek(d, d.lectureStart[i], w + 1), d.lectureEnd[i]);
            d.lectureEnd[i] = withWeek(d, d.lectureEnd[i], w - 1);
        }
    }
}

// Appends the buffer's entries of the codes in scope as entries of week w; the events pasted
// go to `pastedEvents`. Returns the entries appended.
int appendPasted(ScheduleData &d, int w, bool all, const WeekClipboard &clip,
                 std::unordered_set<int> &pastedEvents)
{
    const SlotCoding &k = d.coding;
    int pasted = 0;
    for (const WeekClipboard::Entry &e : clip.entries) {
        const int c = lectureCode(d, e.word);
        if (!inPasteScope(d, c, all) || d.lectureCount >= MaxLectures)
            continue;
        const int i = ++d.lectureCount;
        d.lectureWord[i] = e.word;
        d.bookingKind[i] = e.kind;
        d.lectureStart[i] = k.pack(w, e.startDay, e.startBell);
        d.lectureEnd[i] = k.pack(w, e.endDay, e.endBell);
        ++pasted;
        if (d.codes[c].isEvent())
            pastedEvents.insert(c);
    }
    return pasted;
}

// The pasted events take the manual rooms of the source week in week w, in place of their own.
// A store that cannot take them is left as it is.
void pasteManualRooms(ScheduleData &d, int source, int w, const std::unordered_set<int> &events)
{
    const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
    std::vector<std::uint16_t> kept, added;
    for (int i = 1; i + 2 <= words; i += 3) {
        const std::uint16_t slot = d.manualRooms[i];
        const bool mine = events.count(d.manualRooms[i + 1]) > 0;
        if (mine && (slot >> 8) == w)
            continue;
        kept.insert(kept.end(), {slot, d.manualRooms[i + 1], d.manualRooms[i + 2]});
        if (mine && (slot >> 8) == source)
            added.insert(added.end(), {static_cast<std::uint16_t>((w << 8) | (slot & 0xFF)),
                                       d.manualRooms[i + 1], d.manualRooms[i + 2]});
    }
    kept.insert(kept.end(), added.begin(), added.end());
    if (kept.size() + 1 <= static_cast<std::size_t>(ManualRoomStoreSize)) {
        std::fill(d.manualRooms.begin() + 1, d.manualRooms.end(), 0);
        std::copy(kept.begin(), kept.end(), d.manualRooms.begin() + 1);
        d.manualRooms[0] = static_cast<std::uint16_t>(kept.size());
    }
}

} // namespace

int pasteWeek(ScheduleData &d, int w, CodeScope scope, const WeekClipboard &clip)
{
    const bool all = scope == CodeScope::All;
    if (!inWeeks(d, w) || clip.week == 0)
        return 0;
    compactStore(d);
    if (!pasteFits(d, w, all, clip))
        return 0;
    cutWeekFromStore(d, w, all);
    std::unordered_set<int> pastedEvents;
    const int pasted = appendPasted(d, w, all, clip, pastedEvents);
    if (clip.week != w && !pastedEvents.empty())
        pasteManualRooms(d, clip.week, w, pastedEvents);
    if (clip.week != w)
        copyWeekComments(d, clip.week, w);
    compactStore(d);
    totals(d, 1, d.codeCount);
    d.modified = true;
    return pasted;
}

int copyDay(ScheduleData &d, int sourceWeek, int sourceDay, int targetWeek, int targetDay,
            CodeScope scope)
{
    const bool all = scope == CodeScope::All;
    if (!inWeeks(d, sourceWeek) || !inWeeks(d, targetWeek) || sourceDay < 1 ||
        sourceDay > dayCap(d) || targetDay < 1 || targetDay > dayCap(d) ||
        (sourceWeek == targetWeek && sourceDay == targetDay))
        return 0;
    // Every event is read through one index and the changed ones are stored together.
    std::vector<PendingStore> changes;
    {
        const LectureIndex index(d);
        PendingStore item;
        for (int e = 1; e <= d.codeCount; ++e) {
            if (!d.codes[e].isEvent() || (!all && !marked(d, e)))
                continue;
            WeekAllocation &wa = item.wa;
            loadWeekAllocation(d, static_cast<CodeId>(e), wa, index);
            wa.code = static_cast<CodeId>(e);
            if (wa.timetable.empty())
                continue;
            bool changed = false;
            rebuildTimetable(d, wa, 0, [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
                // The target day becomes a copy of the source day, an empty one included.
                const std::uint32_t source = m.mask(sourceWeek, sourceDay);
                if (m.mask(targetWeek, targetDay) == source)
                    return;
                m.maskRef(targetWeek, targetDay) = 0;
                m.add(targetWeek, targetDay, source);
                changed = true;
            });
            if (!changed)
                continue;
            // What is placed in a week is also allocated there, so the next save keeps it.
            wa.allocated[targetWeek] = std::max(wa.allocated[targetWeek], wa.scheduled[targetWeek]);
            item.code = static_cast<CodeId>(e);
            changes.push_back(std::move(item));
            item = PendingStore{};
        }
    }
    storeAll(d, changes);
    const int changedEvents = static_cast<int>(changes.size());
    compactStore(d);
    totals(d, 1, d.codeCount);
    return changedEvents;
}

bool splitLongWeeks(ScheduleData &d, int w)
{
    bool any = false;
    const int limit = weekCap(d);
    for (int a = std::max(w, 1); a < limit; ++a) {
        while (lengthOf(d, a) > 1) {
            const int length = lengthOf(d, a);
            if (!insertWeek(d, a, WeekNames::Move, 0))
                return any;
            WeekClipboard clip;
            copyWeek(d, a + 1, CodeScope::All, clip);
            pasteWeek(d, a, CodeScope::All, clip);
            d.weeks[a].length = static_cast<std::uint8_t>(length / 2);
            d.weeks[a + 1].length = static_cast<std::uint8_t>(length - length / 2);
            d.weeks[a].name = d.weeks[a + 1].name;
            any = true;
        }
    }
    return any;
}

} // namespace quivra
