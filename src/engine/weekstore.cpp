#include "engine/weekstore.h"

#include "engine/calendar.h"
#include "engine/storeentries.h"
#include "engine/weekedit.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace quivra {

using namespace detail;

int reloadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    const int read = loadWeekAllocation(d, c, wa);
    wa.code = static_cast<CodeId>(validCode(d, c) ? c : 0);
    return read;
}

std::uint16_t ownWord(const ScheduleData &d, CodeId c)
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

void storedEntriesOf(const ScheduleData &d, CodeId c, const WeekAllocation &wa,
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
int appendEntries(ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    const bool event = d.codes[c].isEvent();
    const int cap = weekCap(d);
    const auto [first, last] = allocationSpan(d, wa);
    d.codes[c].firstLecture = 0;

    wa.code = c;
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
    int tableEntries = 0;
    for (const auto &[v, kind] : entries) {
        note(appendLecture(d, v, kind));
        if (v.startDay == 0)
            continue;
        ++tableEntries;
        d.scheduleExtent.endWeek = std::max(d.scheduleExtent.endWeek, v.endWeek);
        d.scheduleExtent.endDay = std::max(d.scheduleExtent.endDay, v.endDay);
        d.scheduleExtent.endBell = std::max(d.scheduleExtent.endBell, v.endBell);
    }
    d.counters.largestTimetable = std::max(d.counters.largestTimetable, tableEntries);
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

} // namespace

void detail::storeAll(ScheduleData &d, std::vector<PendingStore> &items)
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

int storeWeekAllocation(ScheduleData &d, CodeId c, WeekAllocation &wa)
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
    // The code's own entries only count when the free room alone is too small.
    if (needed > room) {
        int mine = 0;
        for (int k = 1; k <= d.lectureCount; ++k)
            if (lectureCode(d, d.lectureWord[k]) == c && d.lectureWord[k] != 0)
                ++mine;
        if (needed > room + mine)
            return 0;
    }

    d.modified = true;
    for (int k = 1; k <= d.lectureCount; ++k)
        if (d.lectureWord[k] != 0 && lectureCode(d, d.lectureWord[k]) == c)
            d.lectureWord[k] = 0;
    if (needed > room)
        compactStore(d);
    return appendEntries(d, c, wa);
}

void LectureLocator::take(const ScheduleData &d)
{
    m_at.assign(static_cast<std::size_t>(std::clamp(d.codeCount, 0, MaxCodes)) + 1, {});
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c) && c < static_cast<int>(m_at.size()))
            m_at[static_cast<std::size_t>(c)].push_back(i);
    }
    m_count = d.lectureCount;
    m_valid = true;
}

std::span<const int> LectureLocator::of(const ScheduleData &d, CodeId c)
{
    if (!m_valid || m_count != d.lectureCount)
        take(d);
    if (c < 1 || c >= m_at.size())
        return {};
    return m_at[c];
}

void LectureLocator::replaced(const ScheduleData &d, CodeId c, int first, int last)
{
    if (!m_valid || c < 1 || c >= m_at.size()) {
        m_valid = false;
        return;
    }
    std::vector<int> &at = m_at[c];
    at.clear();
    for (int i = first; i <= last; ++i)
        at.push_back(i);
    m_count = d.lectureCount;
}

int reloadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa, LectureLocator &at)
{
    const int read = detail::loadIndexed(d, c, wa, at.of(d, c));
    wa.code = static_cast<CodeId>(validCode(d, c) ? c : 0);
    return read;
}

int storeWeekAllocation(ScheduleData &d, CodeId c, WeekAllocation &wa, LectureLocator &at)
{
    if (!validCode(d, c))
        return 0;
    // Short of room the store is compacted, which moves every entry: the plain store decides.
    if (entriesNeeded(d, wa) > MaxLectures - d.lectureCount) {
        at.invalidate();
        return storeWeekAllocation(d, c, wa);
    }
    d.modified = true;
    for (const int k : at.of(d, c))
        if (d.lectureWord[k] != 0 && lectureCode(d, d.lectureWord[k]) == c)
            d.lectureWord[k] = 0;
    const int before = d.lectureCount;
    const int written = appendEntries(d, c, wa);
    at.replaced(d, c, before + 1, d.lectureCount);
    return written;
}

} // namespace quivra
