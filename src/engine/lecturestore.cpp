#include "engine/lecturestore.h"

#include "engine/storeentries.h"

#include <algorithm>
#include <span>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

void rebuildFirstLecture(ScheduleData &d)
{
    for (int c = 0; c <= d.codeCount; ++c)
        d.codes[c].firstLecture = 0;
    int previous = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (c != previous && validCode(d, c))
            d.codes[c].firstLecture = static_cast<std::uint16_t>(i);
        previous = c;
    }
}

void resetAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    wa.code = static_cast<CodeId>(c);
    wa.weekEntries = 0;
    wa.tableEntries = 0;
    wa.firstWeek = d.coding.weekLimit;
    wa.lastWeek = 1;
    wa.allocated.fill(0);
    wa.booked.fill(0);
    wa.scheduled.fill(0);
    wa.tableBooked.fill(0);
    wa.timetable.clear();
    wa.timetableKinds.clear();
}

void addSaturated(std::uint8_t &counter, int amount, int cap)
{
    counter = static_cast<std::uint8_t>(std::min(cap, counter + amount));
}

// Adds entry i to the working form; invalid entries are skipped so nothing outside the coding
// reaches the per-week tables.
bool addEntry(const ScheduleData &d, int i, WeekAllocation &wa)
{
    const std::uint16_t word = d.lectureWord[i];
    if (word == 0 || !validSlots(d.coding, d.lectureStart[i], d.lectureEnd[i]))
        return false;
    const LectureView v = viewOf(d, i);
    const int cap = std::min(d.coding.slotsPerWeek, 255);
    wa.firstWeek = std::min<int>(wa.firstWeek, v.startWeek);
    wa.lastWeek = std::max<int>(wa.lastWeek, v.endWeek);
    const bool booking = isBookingWord(word);
    int kind = booking ? kindOf(d.bookingKind[i]) : 0;
    if (v.startDay == 0) {
        ++wa.weekEntries;
        if (booking && kind == 0)
            kind = v.count & 0xFF;
        for (int w = v.startWeek; w <= v.endWeek; ++w) {
            if (booking)
                wa.booked[w] = static_cast<std::uint8_t>(kind);
            else
                addSaturated(wa.allocated[w], v.count, cap);
        }
        return true;
    }
    ++wa.tableEntries;
    wa.timetable.push_back(v);
    wa.timetableKinds.push_back(static_cast<std::int16_t>(kind));
    const int cells = (v.endDay - v.startDay + 1) * (v.endBell - v.startBell + 1);
    for (int w = v.startWeek; w <= v.endWeek; ++w)
        addSaturated(booking ? wa.tableBooked[w] : wa.scheduled[w], cells, cap);
    return true;
}

} // namespace

int detail::loadIndexed(const ScheduleData &d, CodeId c, WeekAllocation &wa,
                        std::span<const int> entries)
{
    resetAllocation(d, c, wa);
    int read = 0;
    for (int i : entries)
        read += addEntry(d, i, wa) ? 1 : 0;
    return read;
}

LectureView unpackLecture(const ScheduleData &d, int index)
{
    if (index < 1 || index > d.lectureCount || index > MaxLectures)
        return {};
    return viewOf(d, index);
}

void packLecture(ScheduleData &d, int index, const LectureView &view)
{
    if (index < 1 || index > d.lectureCount || index > MaxLectures)
        return;
    const SlotCoding &k = d.coding;
    LectureView v = view;
    if (v.startDay == 0 && v.count != 0) {
        const int n = std::min<int>(v.count, k.slotsPerWeek);
        v.endDay = static_cast<std::uint8_t>(n >> k.bellBits);
        v.endBell = static_cast<std::uint8_t>(n & k.bellMask);
    }
    // Fields beyond the coding would spill into their neighbours when packed.
    const bool fits = v.startWeek <= k.weekMask && v.endWeek <= k.weekMask &&
                      v.startDay <= k.dayMask && v.endDay <= k.dayMask &&
                      v.startBell <= k.bellMask && v.endBell <= k.bellMask;
    const SlotCode start = k.pack(v.startWeek, v.startDay, v.startBell);
    const SlotCode end = k.pack(v.endWeek, v.endDay, v.endBell);
    std::uint16_t word = takeLegacyKind(d, v.word, d.bookingKind[index]);
    if (!fits || !validSlots(k, start, end))
        word = 0; // dropped by the next compaction
    d.lectureWord[index] = word;
    d.lectureStart[index] = fits ? start : 0;
    d.lectureEnd[index] = fits ? end : 0;
    d.modified = true;
}

int appendLecture(ScheduleData &d, const LectureView &view, int kind)
{
    if (view.word == 0 || d.lectureCount < 0 || d.lectureCount >= MaxLectures)
        return 0;
    const int index = d.lectureCount + 1;
    d.lectureCount = index;
    d.bookingKind[index] = static_cast<std::int16_t>(kind);
    packLecture(d, index, view);
    if (d.lectureWord[index] == 0) {
        // Refused: the view lies outside the coding; leave the store as it was.
        d.bookingKind[index] = 0;
        d.lectureStart[index] = 0;
        d.lectureEnd[index] = 0;
        d.lectureCount = index - 1;
        return 0;
    }
    return index;
}

void removeLecturesOf(ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return;
    const int n = std::min(d.lectureCount, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        if (lectureCode(d, d.lectureWord[i]) == c)
            d.lectureWord[i] = 0;
    }
    d.modified = true;
}

LectureIndex::LectureIndex(const ScheduleData &d)
    : m_offsets(static_cast<std::size_t>(std::clamp(d.codeCount, 0, MaxCodes)) + 2, 0)
{
    // Counts as far as the stores reach, whatever a damaged data set claims.
    const int lectures = std::clamp(d.lectureCount, 0, MaxLectures);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c))
            ++m_offsets[c + 1];
    }
    for (std::size_t c = 1; c < m_offsets.size(); ++c)
        m_offsets[c] += m_offsets[c - 1];
    m_items.resize(m_offsets.back());
    std::vector<int> fill(m_offsets.begin(), m_offsets.end() - 1);
    for (int i = 1; i <= lectures; ++i) {
        const int c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c))
            m_items[fill[c]++] = i;
    }
}

std::span<const int> LectureIndex::of(CodeId c) const
{
    if (c < 1 || c >= static_cast<int>(m_offsets.size()) - 1)
        return {};
    return std::span<const int>(m_items).subspan(m_offsets[c], m_offsets[c + 1] - m_offsets[c]);
}

int loadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa,
                       const LectureIndex &index)
{
    return loadIndexed(d, c, wa, index.of(c));
}

int loadWeekAllocation(const ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    resetAllocation(d, c, wa);
    if (!validCode(d, c))
        return 0;
    const int n = std::min(d.lectureCount, MaxLectures);
    int read = 0;
    for (int i = 1; i <= n; ++i) {
        if (lectureCode(d, d.lectureWord[i]) == c)
            read += addEntry(d, i, wa) ? 1 : 0;
    }
    return read;
}

void compactLectures(ScheduleData &d)
{
    clampCounts(d);
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(d.lectureCount));
    for (int i = 1; i <= d.lectureCount; ++i) {
        Entry e{d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]};
        if (isBookingWord(e.word) || d.lectureCodeMask != NarrowCodeMask)
            e.word = takeLegacyKind(d, e.word, e.kind);
        if (validEntry(d, e.word, e.start, e.end))
            entries.push_back(e);
    }
    sortEntries(d, entries);
    writeEntries(d, entries);
    rebuildFirstLecture(d);
}

void mergeLectures(ScheduleData &d)
{
    const SlotCoding &k = d.coding;
    for (bool changed = true; changed;) {
        changed = false;
        compactLectures(d);
        for (int i = 1; i < d.lectureCount; ++i) {
            const int j = i + 1;
            if (d.lectureWord[i] == 0 || d.lectureWord[i] != d.lectureWord[j])
                continue;
            const bool booking = isBookingWord(d.lectureWord[i]);
            if (booking && kindOf(d.bookingKind[i]) != kindOf(d.bookingKind[j]))
                continue;
            LectureView a = viewOf(d, i);
            const LectureView b = viewOf(d, j);
            const bool identical =
                d.lectureStart[i] == d.lectureStart[j] && d.lectureEnd[i] == d.lectureEnd[j];
            const bool sameWeeks = a.startWeek == b.startWeek && a.endWeek == b.endWeek;
            const bool sameDays = a.startDay == b.startDay && a.endDay == b.endDay;
            const bool sameBells = a.startBell == b.startBell && a.endBell == b.endBell;
            bool join = false;
            if ((a.startDay == 0) != (b.startDay == 0)) {
                // A week entry and a timetable entry of the same code are different things,
                // never one entry.
                join = false;
            } else if (booking) {
                join = identical;
            } else if (a.startDay == 0) {
                // Two allocations of the same weeks are two sets of periods: they are added, and
                // an identical pair is never simply dropped.
                if (sameWeeks && a.count + b.count < k.slotsPerWeek) {
                    a.count = static_cast<std::uint16_t>(a.count + b.count);
                    join = true;
                }
            } else if (sameDays && sameBells && b.startWeek == a.endWeek + 1) {
                a.endWeek = b.endWeek;
                join = true;
            } else if (sameWeeks && sameDays && b.startBell == a.endBell + 1) {
                a.endBell = b.endBell;
                join = true;
            } else if (sameWeeks && sameBells && b.startDay == a.endDay + 1) {
                a.endDay = b.endDay;
                join = true;
            } else {
                join = identical;
            }
            if (!join)
                continue;
            packLecture(d, i, a);
            d.lectureWord[j] = 0;
            changed = true;
            ++i;
        }
    }
}

} // namespace quivra
