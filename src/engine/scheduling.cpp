#include "engine/scheduling.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/notes.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace quivra {

namespace {

int counterCap(const ScheduleData &d)
{
    return std::clamp(d.coding.slotsPerWeek, 1, 255);
}
int lengthOf(const ScheduleData &d, int w)
{
    return w >= 1 && w <= MaxWeeks ? std::max<int>(d.weeks[w].length, 1) : 1;
}
bool isEvent(const ScheduleData &d, int c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}
bool inWeeks(const ScheduleData &d, int w)
{
    return w >= 1 && w <= weekCap(d);
}
std::uint16_t saturate16(std::int64_t v)
{
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 65535));
}

std::int16_t kindAt(const WeekAllocation &wa, std::size_t i)
{
    return i < wa.timetableKinds.size() ? wa.timetableKinds[i] : std::int16_t{0};
}

void compactStore(ScheduleData &d)
{
    compactLectures(d);
}

// Cuts week w out of a lecture; the part after w, when there is one, goes to `tail`.
// Returns false when nothing of the lecture is left.
bool cutWeek(LectureView &v, int w, std::vector<LectureView> &tail)
{
    if (w < v.startWeek || w > v.endWeek)
        return true;
    if (v.startWeek == w && v.endWeek == w)
        return false;
    if (v.startWeek == w) {
        v.startWeek = static_cast<std::uint8_t>(w + 1);
    } else if (v.endWeek == w) {
        v.endWeek = static_cast<std::uint8_t>(w - 1);
    } else {
        LectureView after = v;
        after.startWeek = static_cast<std::uint8_t>(w + 1);
        tail.push_back(after);
        v.endWeek = static_cast<std::uint8_t>(w - 1);
    }
    return true;
}

// Removes week w from the lectures of `wa` that `select` accepts.
template <typename Select> void cutTimetableWeek(WeekAllocation &wa, int w, Select select)
{
    std::vector<LectureView> list;
    std::vector<std::int16_t> kinds;
    for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
        LectureView v = wa.timetable[i];
        if (!select(v)) {
            list.push_back(v);
            kinds.push_back(kindAt(wa, i));
            continue;
        }
        std::vector<LectureView> tail;
        if (cutWeek(v, w, tail)) {
            list.push_back(v);
            kinds.push_back(kindAt(wa, i));
        }
        for (const LectureView &t : tail) {
            list.push_back(t);
            kinds.push_back(kindAt(wa, i));
        }
    }
    wa.timetable = std::move(list);
    wa.timetableKinds = std::move(kinds);
}

// Removes placed cells of week w beyond allocated[w]: last day first, highest bell first.
void trimWeek(const ScheduleData &d, OccupancyMap &m, int w, int &excess)
{
    for (int day = dayCap(d); day >= 1 && excess > 0; --day)
        for (int bell = MaxBells; bell >= 1 && excess > 0; --bell) {
            std::uint32_t &mask = m.maskRef(w, day);
            const std::uint32_t bit = 1u << (bell - 1);
            if (mask & bit) {
                mask &= ~bit;
                --excess;
            }
        }
}

// Trims the placements of weeks first..last of `wa` to their allocations, removing at most
// `atMost` cells per week.
void trimToAllocation(const ScheduleData &d, WeekAllocation &wa, int first, int last,
                      int atMost = MaxDays * MaxBells)
{
    std::array<int, WeekTableSize> excess{};
    bool any = false;
    for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w) {
        excess[w] = std::min(atMost, std::max(0, wa.scheduled[w] - wa.allocated[w]));
        any = any || excess[w] > 0;
    }
    if (!any)
        return;
    rebuildTimetable(
        d, wa, 0,
        [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
            for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w)
                if (excess[w] > 0)
                    trimWeek(d, m, w, excess[w]);
        },
        true);
}

void clearPlacements(const ScheduleData &d, WeekAllocation &wa, int first, int last)
{
    rebuildTimetable(
        d, wa, 0,
        [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
            for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w)
                for (int day = 1; day <= MaxDays; ++day)
                    m.maskRef(w, day) = 0;
        },
        true);
}

// A week range of `wa` for week w (0: its first..last week), clamped to the coding.
std::pair<int, int> rangeOf(const ScheduleData &d, const WeekAllocation &wa, int w)
{
    if (w != 0)
        return {w, w};
    return {std::max(wa.firstWeek, 1), std::min(wa.lastWeek, weekCap(d))};
}

// First and last week with an allocation or a week booking; (weekCap, 1) when none.
std::pair<int, int> allocationSpan(const ScheduleData &d, const WeekAllocation &wa)
{
    int first = weekCap(d), last = 1;
    bool any = false;
    for (int w = 1; w <= weekCap(d); ++w)
        if (wa.allocated[w] || wa.booked[w]) {
            first = any ? first : w;
            last = w;
            any = true;
        }
    return {first, last};
}

// The week entries storeWeekAllocation writes for `wa`: runs of equal allocations and bookings.
int weekRunsOf(const ScheduleData &d, const WeekAllocation &wa)
{
    const auto [first, last] = allocationSpan(d, wa);
    int runs = 0;
    for (int w = first; w <= last; ++w) {
        if (wa.allocated[w] && (w == first || wa.allocated[w - 1] != wa.allocated[w]))
            ++runs;
        if (wa.booked[w] && (w == first || wa.booked[w - 1] != wa.booked[w]))
            ++runs;
    }
    return runs;
}

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
        addComment(d, to, c.text, c.code, c.bell, c.day);
}

} // namespace

int reloadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa)
{
    const int read = loadWeekAllocation(d, c, wa);
    wa.code = static_cast<CodeId>(validCode(d, c) ? c : 0);
    return read;
}

std::uint16_t ownWord(const ScheduleData &d, int c)
{
    if (!validCode(d, c))
        return 0;
    return static_cast<std::uint16_t>(c | (d.codes[c].isEvent() ? LectureEventBit : 0));
}

void rebuildTimetable(const ScheduleData &d, WeekAllocation &wa, std::uint16_t ensureWord,
                      const CellEdit &edit, bool periodsOnly)
{
    struct Group
    {
        std::uint16_t word;
        std::int16_t kind;
    };
    std::vector<Group> groups;
    auto keyKind = [](std::uint16_t word, std::int16_t kind) {
        return isBookingWord(word) ? static_cast<std::int16_t>(std::max(kind & 0xFF, 1))
                                   : std::int16_t{0};
    };
    for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
        const std::uint16_t word = wa.timetable[i].word;
        if (word == 0)
            continue;
        const std::int16_t kind = keyKind(word, kindAt(wa, i));
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const Group &g) { return g.word == word && g.kind == kind; }))
            groups.push_back({word, kind});
    }
    if (ensureWord != 0 && std::none_of(groups.begin(), groups.end(),
                                        [&](const Group &g) { return g.word == ensureWord; }))
        groups.push_back({ensureWord, keyKind(ensureWord, 1)});

    std::vector<LectureView> oldList = std::move(wa.timetable);
    std::vector<std::int16_t> oldKinds = std::move(wa.timetableKinds);
    wa.timetable.clear();
    wa.timetableKinds.clear();
    auto map = std::make_unique<OccupancyMap>();
    for (const Group &g : groups) {
        const bool keep = periodsOnly && isBookingWord(g.word);
        map->reset(d);
        for (std::size_t i = 0; i < oldList.size(); ++i) {
            const LectureView &v = oldList[i];
            const std::int16_t rawKind = i < oldKinds.size() ? oldKinds[i] : std::int16_t{0};
            if (v.word != g.word || keyKind(v.word, rawKind) != g.kind)
                continue;
            if (keep) {
                wa.timetable.push_back(v);
                wa.timetableKinds.push_back(rawKind);
                continue;
            }
            if (!validTimetableLecture(d, v))
                continue;
            const std::uint32_t m = bellMask(v.startBell, v.endBell);
            for (int w = v.startWeek; w <= v.endWeek; ++w)
                for (int day = v.startDay; day <= v.endDay; ++day)
                    map->add(w, day, m);
        }
        if (keep)
            continue;
        map->owner = g.word;
        map->kind = g.kind;
        edit(g.word, g.kind, *map);
        compressSchedule(d, *map, wa, false);
    }
    countTimetableWeeks(d, wa);
}

void storedEntriesOf(const ScheduleData &d, int c, const WeekAllocation &wa,
                     std::vector<std::pair<LectureView, int>> &out)
{
    out.clear();
    if (!validCode(d, c))
        return;
    const std::uint16_t own = ownWord(d, c);
    const auto [first, last] = allocationSpan(d, wa);
    const auto runs = [&](const std::array<std::uint8_t, WeekTableSize> &values, bool booking) {
        for (int w = first; w <= last; ++w) {
            const int value = values[w];
            if (value == 0)
                continue;
            int end = w;
            while (end < last && values[end + 1] == value)
                ++end;
            LectureView v;
            v.word = booking ? static_cast<std::uint16_t>(own | LectureBookingBit) : own;
            v.count = static_cast<std::uint16_t>(booking ? (value & 7) : value);
            v.startWeek = static_cast<std::uint8_t>(w);
            v.endWeek = static_cast<std::uint8_t>(end);
            out.emplace_back(v, booking ? (value & 7) : 0);
            w = end;
        }
    };
    runs(wa.allocated, false);
    runs(wa.booked, true);
    for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
        LectureView v = wa.timetable[i];
        if (v.word == 0 || !validTimetableLecture(d, v))
            continue;
        if (lectureCode(d, v.word) != c)
            v.word = static_cast<std::uint16_t>(own | (v.word & LectureBookingBit));
        v.count = 0;
        out.emplace_back(v, isBookingWord(v.word) ? std::max(kindAt(wa, i) & 0xFF, 1) : 0);
    }
}

namespace {

// The entries storeWeekAllocation writes for `wa`.
int entriesNeeded(const ScheduleData &d, const WeekAllocation &wa)
{
    int lectures = 0;
    for (const LectureView &v : wa.timetable)
        if (v.word != 0 && validTimetableLecture(d, v))
            ++lectures;
    return weekRunsOf(d, wa) + lectures;
}

// Appends `wa` as code c's entries once its old ones are cleared: week allocations and week
// bookings as runs, then the timetable lectures. Sets firstLecture, widens the schedule extent
// and, for an event, sets Allocated and Scheduled. Returns the entries written.
int appendEntries(ScheduleData &d, int c, WeekAllocation &wa)
{
    const bool event = d.codes[c].isEvent();
    const int cap = weekCap(d);
    const auto [first, last] = allocationSpan(d, wa);
    d.codes[c].firstLecture = 0;

    wa.code = static_cast<CodeId>(c);
    wa.firstWeek = first;
    wa.lastWeek = last;
    int written = 0;
    auto note = [&](int index) {
        if (index == 0)
            return;
        if (written++ == 0)
            d.codes[c].firstLecture = static_cast<std::uint16_t>(index);
    };
    std::vector<std::pair<LectureView, int>> entries;
    storedEntriesOf(d, c, wa, entries);
    for (const auto &[v, kind] : entries) {
        note(appendLecture(d, v, kind));
        if (v.startDay == 0)
            continue;
        d.scheduleExtent.endWeek = std::max(d.scheduleExtent.endWeek, v.endWeek);
        d.scheduleExtent.endDay = std::max(d.scheduleExtent.endDay, v.endDay);
        d.scheduleExtent.endBell = std::max(d.scheduleExtent.endBell, v.endBell);
    }
    if (first <= last)
        d.scheduleExtent.endWeek =
            std::max<std::uint8_t>(d.scheduleExtent.endWeek, static_cast<std::uint8_t>(last));

    if (event) {
        countTimetableWeeks(d, wa);
        std::int64_t allocated = 0, scheduled = 0;
        for (int w = 1; w <= cap; ++w) {
            allocated += std::int64_t{wa.allocated[w]} * lengthOf(d, w);
            scheduled += std::int64_t{wa.scheduled[w]} * lengthOf(d, w);
        }
        CodeRecord &rec = d.codes[c];
        rec.allocated = saturate16(allocated);
        rec.scheduled = saturate16(scheduled);
        rec.planned = std::max<std::uint16_t>({rec.planned, rec.allocated, 1});
    }
    return written;
}

// One code's new allocation waiting to be stored with others.
struct PendingStore
{
    CodeId code = 0;
    WeekAllocation wa;
};

// Stores several codes at once (each at most once): one pass clears their old entries and the
// new ones are appended, instead of a pass over the store per code. When the store cannot take
// them all, each is stored on its own, so one without room keeps its old entries.
void storeAll(ScheduleData &d, std::vector<PendingStore> &items)
{
    if (items.empty())
        return;
    std::vector<char> mine(static_cast<std::size_t>(d.codeCount) + 1, 0);
    int needed = 0;
    for (PendingStore &item : items) {
        mine[item.code] = 1;
        needed += entriesNeeded(d, item.wa);
    }
    int reusable = 0;
    for (int k = 1; k <= d.lectureCount; ++k) {
        const int c = lectureCode(d, d.lectureWord[k]);
        if (d.lectureWord[k] == 0 || !validCode(d, c) || mine[c])
            ++reusable;
    }
    if (needed > MaxLectures - d.lectureCount + reusable) {
        for (PendingStore &item : items)
            storeWeekAllocation(d, item.code, item.wa);
        return;
    }
    d.modified = true;
    for (int k = 1; k <= d.lectureCount; ++k) {
        const int c = lectureCode(d, d.lectureWord[k]);
        if (d.lectureWord[k] != 0 && validCode(d, c) && mine[c])
            d.lectureWord[k] = 0;
    }
    if (needed > MaxLectures - d.lectureCount)
        compactStore(d);
    for (PendingStore &item : items)
        appendEntries(d, item.code, item.wa);
}

} // namespace

int storeWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa)
{
    if (!validCode(d, c))
        return 0;
    const int needed = entriesNeeded(d, wa);

    // Count the room first: a store that cannot take everything keeps what it had.
    int room = MaxLectures - d.lectureCount;
    if (needed > room) {
        compactStore(d);
        room = MaxLectures - d.lectureCount;
    }
    int mine = 0;
    for (int k = 1; k <= d.lectureCount; ++k)
        if (lectureCode(d, d.lectureWord[k]) == c && d.lectureWord[k] != 0)
            ++mine;
    if (needed > room + mine)
        return 0;

    d.modified = true;
    for (int k = 1; k <= d.lectureCount; ++k)
        if (d.lectureWord[k] != 0 && lectureCode(d, d.lectureWord[k]) == c)
            d.lectureWord[k] = 0;
    if (needed > room)
        compactStore(d);
    return appendEntries(d, c, wa);
}

void clearWeeks(ScheduleData &d, WeekAllocation &wa, int week, int flags)
{
    const int c = wa.code;
    if (!validCode(d, c))
        return;
    if (flags & ClearAllocations)
        flags |= ClearPlacements;
    const auto [first, last] = rangeOf(d, wa, week);
    if (!d.codes[c].isEvent()) {
        if (flags & ClearSlotBookings) {
            WeekTimetable none;
            none.owner = static_cast<CodeId>(c);
            for (int w = first; w <= last; ++w)
                writeWeekBookings(d, 1, c, w, none);
            reloadWeekAllocation(d, c, wa);
        }
        return;
    }
    if (flags & ClearPlacements)
        clearPlacements(d, wa, first, last);
    else if (flags & TrimToAllocation)
        trimToAllocation(d, wa, first, last);
    for (int w = std::max(first, 1); w <= std::min(last, MaxWeeks); ++w) {
        if (flags & ClearAllocations)
            wa.allocated[w] = 0;
        if (flags & ClearWeekBookings)
            wa.booked[w] = 0;
    }
}

namespace {

int editBlock(ScheduleData &d, std::uint16_t word, const LectureView &block, bool place)
{
    if (!(word & LectureEventBit) || isBookingWord(word))
        return 0;
    const int c = lectureCode(d, word);
    if (!isEvent(d, c) || !validTimetableLecture(d, block))
        return 0;
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    const std::uint16_t own = ownWord(d, c);
    const std::uint32_t bells = bellMask(block.startBell, block.endBell);
    rebuildTimetable(
        d, wa, place ? own : 0,
        [&](std::uint16_t groupWord, std::int16_t, OccupancyMap &m) {
            if (groupWord != own)
                return;
            for (int w = block.startWeek; w <= block.endWeek; ++w)
                for (int day = block.startDay; day <= block.endDay; ++day) {
                    if (place)
                        m.add(w, day, bells);
                    else
                        m.maskRef(w, day) &= ~bells;
                }
        },
        true);
    if (place)
        for (int w = block.startWeek; w <= block.endWeek; ++w)
            wa.allocated[w] = std::max(wa.allocated[w], wa.scheduled[w]);
    return storeWeekAllocation(d, c, wa);
}

} // namespace

int placeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block)
{
    return editBlock(d, word, block, true);
}

int removeBlock(ScheduleData &d, std::uint16_t word, const LectureView &block)
{
    return editBlock(d, word, block, false);
}

int removeWeekFromTimetable(ScheduleData &d, int c, int w)
{
    if (!validCode(d, c) || !inWeeks(d, w))
        return 0;
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    const int before = static_cast<int>(wa.timetable.size());
    cutTimetableWeek(wa, w, [](const LectureView &) { return true; });
    const int after = static_cast<int>(wa.timetable.size());
    storeWeekAllocation(d, c, wa);
    return before - after;
}

int writeWeekBookings(ScheduleData &d, int mode, int c, int w, const WeekTimetable &t)
{
    if (!validCode(d, c) || !inWeeks(d, w))
        return 0;
    WeekTimetable existing;
    bookingTimetableOf(d, c, w, existing);
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    cutTimetableWeek(wa, w, [](const LectureView &v) { return isBookingWord(v.word); });

    int written = 0;
    if (mode != 2) {
        const std::uint16_t word = static_cast<std::uint16_t>(ownWord(d, c) | LectureBookingBit);
        for (int day = 1; day <= dayCap(d); ++day) {
            std::array<CellWord, MaxBells + 2> column{};
            for (int bell = 1; bell <= bellCap(d); ++bell) {
                const CellWord cell = t.cell(day, bell);
                if (isBookingCell(cell) && cellCode(d, cell) == c)
                    column[bell] = makeCell(word, std::max(cellKind(cell), 1));
                else if (cell != 0 && !isBookingCell(cell))
                    column[bell] = existing.cell(day, bell); // a period hides c's booking
            }
            for (int bell = 1; bell <= bellCap(d); ++bell) {
                if (column[bell] == 0)
                    continue;
                int end = bell;
                while (end < bellCap(d) && column[end + 1] == column[bell])
                    ++end;
                LectureView v;
                v.word = word;
                v.startWeek = v.endWeek = static_cast<std::uint8_t>(w);
                v.startDay = v.endDay = static_cast<std::uint8_t>(day);
                v.startBell = static_cast<std::uint8_t>(bell);
                v.endBell = static_cast<std::uint8_t>(end);
                wa.timetable.push_back(v);
                wa.timetableKinds.push_back(static_cast<std::int16_t>(cellKind(column[bell])));
                written += end - bell + 1;
                bell = end;
            }
        }
    }
    if (storeWeekAllocation(d, c, wa) == 0 && !wa.timetable.empty())
        return 0;
    if (d.lectureCount + 767 >= LectureStoreSize)
        compactStore(d);
    return written;
}

int allocatableInWeek(const ScheduleData &d, const WeekAllocation &wa, int w)
{
    const int c = wa.code;
    if (!validCode(d, c) || w < 1 || w < d.currentWeek || w > usedWeeks(d) || w > weekCap(d) ||
        wa.booked[w])
        return 0;
    const int left = std::max(0, d.codes[c].planned - d.codes[c].allocated) / lengthOf(d, w);
    return std::max(0, std::min(left, counterCap(d) - wa.allocated[w]));
}

bool weekFitsPattern(int pattern, int w, int first, int last)
{
    switch (pattern) {
    case 0:
        return true;
    case 1:
        return w % 2 == 1;
    case 2:
        return w % 2 == 0;
    case 3:
        return w <= (first + last) / 2;
    case 4:
        return w > (first + last) / 2;
    case 5:
        return ((w + 1) / 2) % 2 == 1;
    case 6:
        return (w / 2) % 2 == 1;
    case 7:
        return ((w - 1) / 2) % 2 == 1;
    default:
        return false;
    }
}

int distributeByPattern(ScheduleData &d, WeekAllocation &wa, int e, int last,
                        AllocationPatterns &patterns)
{
    if (!isEvent(d, e))
        return 0;
    wa.code = static_cast<CodeId>(e);
    const int first = std::clamp(d.currentWeek, 1, weekCap(d));
    last = std::clamp(last, 0, weekCap(d));
    const int enabled = patterns.enabled ? patterns.enabled : 1;

    std::int64_t allocated = 0;
    for (int w = 1; w <= weekCap(d); ++w) {
        if (w >= first && w <= last)
            wa.allocated[w] = 0;
        else
            allocated += std::int64_t{wa.allocated[w]} * lengthOf(d, w);
    }
    int p = std::clamp(patterns.last, 0, 7);
    do
        p = (p + 1) % 8;
    while (!(enabled & (1 << p)));
    patterns.last = p;

    const int planned = d.codes[e].planned;
    for (bool any = true; any;) {
        any = false;
        for (int w = first; w <= last; ++w) {
            if (wa.booked[w] || wa.allocated[w] >= counterCap(d) ||
                planned < allocated + lengthOf(d, w) || !weekFitsPattern(p, w, first, last))
                continue;
            ++wa.allocated[w];
            allocated += lengthOf(d, w);
            any = true;
        }
    }
    if (first <= last)
        clearPlacements(d, wa, first, last);
    d.codes[e].allocated = saturate16(allocated);
    return d.codes[e].allocated;
}

int allocateLeastLoaded(ScheduleData &d, WeekAllocation &wa, int e, int category)
{
    if (!isEvent(d, e))
        return 0;
    reloadWeekAllocation(d, e, wa);
    const int weeks = std::clamp(usedWeeks(d), 0, weekCap(d));

    // Load per week: the largest allocated total among the event's resources of the category.
    std::array<int, WeekTableSize> load{};
    bool anyResource = false;
    const MemberList members = collectionOf(d, e);
    WeekAllocation other;
    const LectureIndex index(d);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        const int r = members[i];
        if (!validCode(d, r) || categoryOf(d, r) != category)
            continue;
        anyResource = true;
        std::array<int, WeekTableSize> profile{};
        int cursor = d.collectionEntryCount + 1;
        while (CodeId x = eventsOfResource(d, r, cursor)) {
            loadWeekAllocation(d, x, other, index);
            for (int w = 1; w <= weeks; ++w)
                profile[w] += other.allocated[w];
        }
        for (int w = 1; w <= weeks; ++w)
            load[w] = std::max(load[w], profile[w]);
    }

    std::int64_t allocated = 0;
    for (int w = 1; w <= weekCap(d); ++w)
        allocated += std::int64_t{wa.allocated[w]} * lengthOf(d, w);
    const int planned = d.codes[e].planned;
    int added = 0;
    while (allocated < planned) {
        int best = 0;
        for (int w = std::max(d.currentWeek, 1); w <= weeks; ++w) {
            if (wa.booked[w] || wa.allocated[w] >= counterCap(d) ||
                allocated + lengthOf(d, w) > planned)
                continue;
            if (best == 0 || load[w] < load[best])
                best = w;
        }
        if (best == 0)
            break;
        ++wa.allocated[best];
        // The event is one of the events of each of these resources; without any, every week
        // stays equally (un)loaded and the earliest week keeps taking periods.
        if (anyResource)
            ++load[best];
        allocated += lengthOf(d, best);
        ++added;
    }
    if (added > 0)
        storeWeekAllocation(d, e, wa);
    return added;
}

bool shiftAllocation(ScheduleData &d, WeekAllocation &wa, int w, int dir)
{
    const auto [first, last] = allocationSpan(d, wa);
    if (first > last || !(wa.allocated[first] || wa.booked[first]))
        return false;
    if (w == 0)
        w = first;
    if (w < first || w > last)
        return false;
    if (dir > 0) {
        if (last >= std::min(usedWeeks(d), weekCap(d)))
            return false;
        for (int x = last; x >= w; --x) {
            wa.allocated[x + 1] = wa.allocated[x];
            wa.booked[x + 1] = wa.booked[x];
        }
        wa.allocated[w] = 0;
        wa.booked[w] = 0;
        trimToAllocation(d, wa, w, last + 1);
        wa.firstWeek = first;
        wa.lastWeek = last + 1;
        return true;
    }
    if (dir < 0) {
        if (d.currentWeek >= first || first <= 1)
            return false;
        for (int x = first; x <= w; ++x) {
            wa.allocated[x - 1] = wa.allocated[x];
            wa.booked[x - 1] = wa.booked[x];
        }
        wa.allocated[w] = 0;
        wa.booked[w] = 0;
        trimToAllocation(d, wa, first - 1, w);
        wa.firstWeek = first - 1;
        return true;
    }
    return false;
}

int removeOneAllocated(ScheduleData &d, WeekAllocation &wa, int a, int b)
{
    for (int w = std::min(b, weekCap(d)); w >= std::max(a, 1); --w) {
        if (wa.allocated[w] == 0)
            continue;
        --wa.allocated[w];
        // One period less takes at most one placed cell with it, even from a week that held
        // more placed than allocated before.
        if (wa.scheduled[w] > wa.allocated[w])
            trimToAllocation(d, wa, w, w, 1);
        return w;
    }
    return 0;
}

int copyWeekTimetable(ScheduleData &d, WeekAllocation &wa, int s, int first, int last,
                      bool ignoreAllocation, bool replace)
{
    const int e = wa.code;
    if (!isEvent(d, e) || !inWeeks(d, s) || wa.scheduled[s] == 0)
        return 0;
    first = std::max(first, 1);
    last = std::min(last, weekCap(d));
    if (replace) {
        for (int w = first; w <= last; ++w)
            if (w != s)
                clearPlacements(d, wa, w, w);
        storeWeekAllocation(d, e, wa);
        reloadWeekAllocation(d, e, wa);
    }

    // Every cell where one of the event's resources (or the event) is busy.
    auto busy = std::make_unique<OccupancyMap>();
    busy->reset(d);
    WeekAllocation work;
    const LectureIndex index(d);
    buildOccupancy(d, e, *busy, false, work, index);
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i)
        buildOccupancy(d, members[i], *busy, false, work, index);

    const std::uint16_t own = ownWord(d, e);
    const int days = std::clamp(usedDays(d), 0, dayCap(d));
    const std::uint32_t usedBellMask = bellMask(1, std::clamp(usedBells(d), 0, bellCap(d)));
    std::array<int, WeekTableSize> scheduled{};
    for (int w = 1; w <= MaxWeeks; ++w)
        scheduled[w] = wa.scheduled[w];
    int copied = 0;
    rebuildTimetable(
        d, wa, own,
        [&](std::uint16_t word, std::int16_t, OccupancyMap &m) {
            if (word != own)
                return;
            for (int w = first; w <= last; ++w) {
                if (w == s || wa.booked[w])
                    continue;
                for (int day = 1; day <= days; ++day) {
                    const std::uint32_t source = m.mask(s, day) & usedBellMask;
                    for (int bell = 1; bell <= MaxBells; ++bell) {
                        const std::uint32_t bit = 1u << (bell - 1);
                        if (!(source & bit) || (busy->mask(w, day) & bit) || (m.mask(w, day) & bit))
                            continue;
                        if (!ignoreAllocation && scheduled[w] >= wa.allocated[w])
                            continue;
                        m.add(w, day, bit);
                        ++scheduled[w];
                        ++copied;
                    }
                }
            }
        },
        true);
    for (int w = first; w <= last; ++w)
        if (w != s)
            wa.allocated[w] = std::max(wa.allocated[w], wa.scheduled[w]);
    if (copied > 0)
        storeWeekAllocation(d, e, wa);
    return copied;
}

namespace {

// Copies the booking cells of `source` into the free cells of target week tw of code `target`.
int copyBookingCells(ScheduleData &d, const WeekTimetable &source, int target, int tw, bool replace)
{
    WeekTimetable own, full;
    bookingTimetableOf(d, target, tw, own);
    weekTimetableOf(d, target, tw, full, false, true);
    const std::uint16_t word = static_cast<std::uint16_t>(ownWord(d, target) | LectureBookingBit);
    bool changed = false;
    int copied = 0;
    for (int day = 1; day <= dayCap(d); ++day)
        for (int bell = 1; bell <= bellCap(d); ++bell) {
            CellWord &mine = own.cellRef(day, bell);
            bool free = full.cell(day, bell) == 0;
            if (replace && isBookingCell(mine)) {
                free = free || full.cell(day, bell) == mine;
                mine = 0;
                changed = true;
            }
            const CellWord src = source.cell(day, bell);
            if (!isBookingCell(src) || !free)
                continue;
            mine = makeCell(word, std::max(cellKind(src), 1));
            changed = true;
            ++copied;
        }
    if (changed)
        writeWeekBookings(d, 1, target, tw, own);
    return copied;
}

} // namespace

int copyBookingsToWeeks(ScheduleData &d, int c, int s, int first, int last, bool replace)
{
    if (!validCode(d, c) || !inWeeks(d, s))
        return 0;
    // The source is the week as its timetable shows it: a booking hidden under a period is not
    // copied, and a week showing periods but no bookings still clears the targets on replace.
    WeekTimetable source;
    weekTimetableOf(d, c, s, source, false, true);
    if (source.writes == 0)
        return 0;
    int copied = 0;
    for (int w = std::max(first, 1); w <= std::min(last, weekCap(d)); ++w)
        if (w != s)
            copied += copyBookingCells(d, source, c, w, replace);
    return copied;
}

int copyBookingsToCode(ScheduleData &d, int source, int target, int sourceWeek, int targetWeek,
                       bool replace)
{
    if (!validCode(d, source) || !validCode(d, target) || !inWeeks(d, sourceWeek) ||
        !inWeeks(d, targetWeek) || (source == target && sourceWeek == targetWeek))
        return 0;
    WeekTimetable cells;
    weekTimetableOf(d, source, sourceWeek, cells, false, true);
    if (cells.writes == 0)
        return 0;
    return copyBookingCells(d, cells, target, targetWeek, replace);
}

int setSlotBookings(ScheduleData &d, int c, int mode, int kind, bool any, const TimeRange &range)
{
    if (!validCode(d, c) || (mode != 1 && mode != 2))
        return 0;
    kind = std::clamp(kind, 1, 3);
    const std::uint16_t word = static_cast<std::uint16_t>(ownWord(d, c) | LectureBookingBit);
    const CellWord booking = makeCell(word, kind);
    int written = 0;
    for (int w = std::max<int>(range.startWeek, 1); w <= std::min<int>(range.endWeek, weekCap(d));
         ++w) {
        WeekTimetable own, full;
        bookingTimetableOf(d, c, w, own);
        weekTimetableOf(d, c, w, full, false, true);
        bool changed = false;
        for (int day = std::max<int>(range.startDay, 1);
             day <= std::min<int>(range.endDay, dayCap(d)); ++day)
            for (int bell = std::max<int>(range.startBell, 1);
                 bell <= std::min<int>(range.endBell, bellCap(d)); ++bell) {
                CellWord &mine = own.cellRef(day, bell);
                const CellWord shown = full.cell(day, bell);
                if (mode == 1) {
                    const bool ownBooking = isBookingCell(shown) && cellCode(d, shown) == c;
                    if ((shown == 0 || (any && ownBooking)) && mine != booking) {
                        mine = booking;
                        changed = true;
                    }
                } else if (isBookingCell(mine) && (any || cellKind(mine) == kind)) {
                    mine = 0;
                    changed = true;
                }
            }
        if (changed)
            written += writeWeekBookings(d, 1, c, w, own);
    }
    return written;
}

int changeBookingKinds(ScheduleData &d, bool events, int kind)
{
    if (kind < 1 || kind > 3)
        return 0;
    int changed = 0;
    const SlotCoding &k = d.coding;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        const int c = lectureCode(d, word);
        if (!isBookingWord(word) || !validCode(d, c) || d.codes[c].isEvent() != events)
            continue;
        const bool weekEntry = k.dayOf(d.lectureStart[i]) == 0;
        if ((d.bookingKind[i] & 0xFF) == kind &&
            (!weekEntry || (k.dayOf(d.lectureEnd[i]) == 0 && k.bellOf(d.lectureEnd[i]) == kind)))
            continue;
        d.bookingKind[i] = static_cast<std::int16_t>((d.bookingKind[i] & 0xFF00) | kind);
        if (weekEntry)
            d.lectureEnd[i] =
                k.pack(k.weekOf(d.lectureEnd[i]), kind >> k.bellBits, kind & k.bellMask);
        ++changed;
    }
    if (changed)
        d.modified = true;
    return changed;
}

bool renameBookingKind(ScheduleData &d, int kind, bool events, std::string_view name)
{
    if (kind < 1 || kind > 3 || name.find('$') != std::string_view::npos)
        return false;
    std::vector<std::string> items;
    const std::string_view list = d.bookingKinds.view();
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t end = list.find('$', pos);
        items.emplace_back(list.substr(pos, end == std::string_view::npos ? end : end - pos));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    const std::size_t index = static_cast<std::size_t>(kind - 1 + (events ? 0 : 3));
    if (items.size() <= index)
        items.resize(index + 1);
    items[index] = std::string(name);
    std::string joined;
    for (const std::string &item : items)
        joined += item + '$';
    if (joined.size() > static_cast<std::size_t>(ListLength))
        return false;
    d.bookingKinds.clear();
    d.bookingKinds.assign(joined);
    d.modified = true;
    return true;
}

bool insertWeek(ScheduleData &d, int w, bool moveNames, int c)
{
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

bool deleteWeek(ScheduleData &d, int w, bool moveNames, int c)
{
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
            d.weeks[limit].name.assign(std::to_string(limit));
        }
        shiftCommentWeeks(d, w, -1);
    }
    d.modified = true;
    return true;
}

int copyWeek(ScheduleData &d, int w, bool all, WeekClipboard &clip)
{
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

int pasteWeek(ScheduleData &d, int w, bool all, const WeekClipboard &clip)
{
    if (!inWeeks(d, w) || clip.week == 0)
        return 0;
    compactStore(d);
    const SlotCoding &k = d.coding;
    auto scoped = [&](int c) { return validCode(d, c) && (all || marked(d, c)); };

    // Room for the split lectures and the pasted ones, counted before anything changes.
    int splits = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const int sw = k.weekOf(d.lectureStart[i]), ew = k.weekOf(d.lectureEnd[i]);
        if (d.lectureWord[i] && scoped(lectureCode(d, d.lectureWord[i])) && sw < w && w < ew)
            ++splits;
    }
    if (d.lectureCount + splits + static_cast<int>(clip.entries.size()) > MaxLectures)
        return 0;

    const int n = d.lectureCount;
    for (int i = 1; i <= n; ++i) {
        if (d.lectureWord[i] == 0 || !scoped(lectureCode(d, d.lectureWord[i])))
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
    int pasted = 0;
    std::unordered_set<int> pastedEvents;
    for (const WeekClipboard::Entry &e : clip.entries) {
        const int c = lectureCode(d, e.word);
        if (!scoped(c) || d.lectureCount >= MaxLectures)
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

    // The pasted events take the manual rooms of the source week.
    if (clip.week != w && !pastedEvents.empty()) {
        const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
        std::vector<std::uint16_t> kept, added;
        for (int i = 1; i + 2 <= words; i += 3) {
            const std::uint16_t slot = d.manualRooms[i];
            const bool mine = pastedEvents.count(d.manualRooms[i + 1]) > 0;
            if (mine && (slot >> 8) == w)
                continue;
            kept.insert(kept.end(), {slot, d.manualRooms[i + 1], d.manualRooms[i + 2]});
            if (mine && (slot >> 8) == clip.week)
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
    if (clip.week != w)
        copyWeekComments(d, clip.week, w);
    compactStore(d);
    totals(d, 1, d.codeCount);
    d.modified = true;
    return pasted;
}

int copyDay(ScheduleData &d, int sourceWeek, int sourceDay, int targetWeek, int targetDay, bool all)
{
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
            loadWeekAllocation(d, e, wa, index);
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
            if (!insertWeek(d, a, true, 0))
                return any;
            WeekClipboard clip;
            copyWeek(d, a + 1, true, clip);
            pasteWeek(d, a, true, clip);
            d.weeks[a].length = static_cast<std::uint8_t>(length / 2);
            d.weeks[a + 1].length = static_cast<std::uint8_t>(length - length / 2);
            d.weeks[a].name = d.weeks[a + 1].name;
            any = true;
        }
    }
    return any;
}

int repairWeeks(ScheduleData &d, int c, int from, int to, RepairCounters &counters)
{
    std::vector<CodeId> events;
    if (c == 0) {
        for (int e = 1; e <= d.codeCount; ++e)
            if (d.codes[e].isEvent())
                events.push_back(static_cast<CodeId>(e));
    } else if (isEvent(d, c)) {
        events.push_back(static_cast<CodeId>(c));
    } else if (validCode(d, c)) {
        int cursor = d.collectionEntryCount + 1;
        while (CodeId e = eventsOfResource(d, c, cursor))
            if (isEvent(d, e) && std::find(events.begin(), events.end(), e) == events.end())
                events.push_back(e);
    }
    int repaired = 0;
    WeekAllocation wa;
    auto count = [&](int first, int last) {
        for (int w = first; w <= last; ++w) {
            const int len = lengthOf(d, w);
            counters.allocated += wa.allocated[w] * len;
            counters.scheduled += wa.scheduled[w] * len;
            counters.bookedWeeks += wa.booked[w] ? len : 0;
            counters.bookedCells += wa.tableBooked[w] * len;
        }
    };
    auto weeksOf = [&] {
        return std::pair{std::max({from, wa.firstWeek, 1}),
                         std::min({to, wa.lastWeek, weekCap(d)})};
    };
    auto needsRepair = [&](int w) {
        return wa.scheduled[w] > wa.allocated[w] || (wa.allocated[w] > 0 && wa.booked[w]);
    };

    // Every save runs this over all events, and almost none need a repair: find those with one
    // pass over the store, then repair them one by one (a store moves entries, so the index is
    // not used past this point).
    std::vector<CodeId> broken;
    {
        const LectureIndex index(d);
        for (CodeId e : events) {
            loadWeekAllocation(d, e, wa, index);
            wa.code = e;
            const auto [first, last] = weeksOf();
            bool bad = false;
            for (int w = first; w <= last && !bad; ++w)
                bad = needsRepair(w);
            if (bad)
                broken.push_back(e);
            else
                count(first, last);
        }
    }
    for (CodeId e : broken) {
        reloadWeekAllocation(d, e, wa);
        const auto [first, last] = weeksOf();
        int fixes = 0;
        bool trim = false;
        for (int w = first; w <= last; ++w) {
            const bool excess = wa.scheduled[w] > wa.allocated[w];
            const bool booked = wa.allocated[w] > 0 && wa.booked[w];
            if (booked)
                clearWeeks(d, wa, w, ClearAllocations); // a blocked week holds no periods
            trim = trim || (excess && !booked);
            fixes += excess || booked ? 1 : 0;
        }
        if (trim)
            trimToAllocation(d, wa, first, last);
        if (fixes > 0) {
            storeWeekAllocation(d, e, wa);
            repaired += fixes;
        }
        count(first, last);
    }
    counters.weeksRepaired += repaired;
    return repaired;
}

int repairWeeks(ScheduleData &d)
{
    RepairCounters counters;
    return repairWeeks(d, 0, 1, weekCap(d), counters);
}

TidyResult tidy(ScheduleData &d)
{
    TidyResult result;
    result.lecturesBefore = d.lectureCount;
    // Every code is read through one index and the rewritten ones are stored together.
    std::vector<PendingStore> changes;
    const LectureIndex index(d);
    PendingStore item;
    for (int c = 1; c <= d.codeCount; ++c) {
        WeekAllocation &wa = item.wa;
        loadWeekAllocation(d, c, wa, index);
        wa.code = static_cast<CodeId>(c);
        if (wa.timetable.empty() && wa.weekEntries <= weekRunsOf(d, wa))
            continue;
        const std::size_t before = wa.timetable.size();
        if (d.codes[c].isEvent()) {
            rebuildTimetable(d, wa, 0, [](std::uint16_t, std::int16_t, OccupancyMap &) {});
        } else {
            // Slot bookings by kind, kind 1 first; a cell booked twice keeps the lower kind.
            auto taken = std::make_unique<OccupancyMap>();
            taken->reset(d);
            std::vector<LectureView> list;
            std::vector<std::int16_t> kinds;
            const WeekAllocation sorted = wa;
            for (int kind = 1; kind <= 3; ++kind) {
                WeekAllocation part = wa;
                part.timetable.clear();
                part.timetableKinds.clear();
                for (std::size_t i = 0; i < wa.timetable.size(); ++i)
                    if (isBookingWord(wa.timetable[i].word) &&
                        std::clamp(kindAt(wa, i) & 0xFF, 1, 3) == kind) {
                        part.timetable.push_back(wa.timetable[i]);
                        part.timetableKinds.push_back(static_cast<std::int16_t>(kind));
                    }
                if (part.timetable.empty())
                    continue;
                auto m = std::make_unique<OccupancyMap>();
                expandSchedule(d, part, *m, true);
                for (int w = m->firstWeek; w <= m->lastWeek; ++w)
                    for (int day = m->firstDay; day <= m->lastDay; ++day) {
                        m->maskRef(w, day) &= ~taken->mask(w, day);
                        taken->add(w, day, m->mask(w, day));
                    }
                m->owner = static_cast<std::uint16_t>(ownWord(d, c) | LectureBookingBit);
                m->kind = static_cast<std::int16_t>(kind);
                part.timetable.clear();
                part.timetableKinds.clear();
                compressSchedule(d, *m, part, false);
                list.insert(list.end(), part.timetable.begin(), part.timetable.end());
                kinds.insert(kinds.end(), part.timetableKinds.begin(), part.timetableKinds.end());
            }
            for (std::size_t i = 0; i < sorted.timetable.size(); ++i)
                if (!isBookingWord(sorted.timetable[i].word)) {
                    list.push_back(sorted.timetable[i]);
                    kinds.push_back(kindAt(sorted, i));
                }
            wa.timetable = std::move(list);
            wa.timetableKinds = std::move(kinds);
            countTimetableWeeks(d, wa);
        }
        if (wa.timetable.size() < before || wa.weekEntries > weekRunsOf(d, wa)) {
            item.code = static_cast<CodeId>(c);
            changes.push_back(std::move(item));
            item = PendingStore{};
        }
    }
    storeAll(d, changes);
    // Blocks of one day come out of the maps; merging the sorted store joins blocks of
    // neighbouring days and weeks. At most three rounds, while the store still shrinks.
    compactStore(d);
    for (int round = 0; round < 3; ++round) {
        const int before = d.lectureCount;
        mergeLectures(d);
        if (d.lectureCount >= before)
            break;
    }
    // A code that repeats an earlier code's text gets a text of its own; nothing is deleted.
    std::unordered_set<std::string> seen;
    for (int c = 1; c <= d.codeCount; ++c) {
        std::string text = d.codes[c].code.str();
        if (seen.insert(text).second)
            continue;
        const std::string unique = makeUniqueCode(d, text);
        if (unique.empty())
            continue;
        d.codes[c].code.assign(unique);
        seen.insert(unique);
        ++result.renamedDuplicates;
        d.modified = true;
    }
    totals(d, 1, d.codeCount);
    result.lecturesAfter = d.lectureCount;
    return result;
}

bool lockGuard(ScheduleData &d, int e, const std::function<bool(int event)> &askUnlock)
{
    if (!validCode(d, e) || !(d.codes[e].flags & LockedBit))
        return true;
    if (!askUnlock || !askUnlock(e))
        return false;
    d.codes[e].flags = static_cast<std::uint16_t>(d.codes[e].flags & ~LockedBit);
    d.modified = true;
    return true;
}

} // namespace quivra
