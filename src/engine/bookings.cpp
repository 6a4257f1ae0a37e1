#include "engine/bookings.h"

#include "engine/calendar.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace quivra {

using namespace detail;

int writeWeekBookings(ScheduleData &d, BookingWrite mode, CodeId c, int w, const WeekTimetable &t)
{
    if (!validCode(d, c) || !inWeeks(d, w))
        return 0;
    WeekTimetable existing;
    bookingTimetableOf(d, c, w, existing);
    WeekAllocation wa;
    reloadWeekAllocation(d, c, wa);
    cutTimetableWeek(wa, w, [](const LectureView &v) { return isBookingWord(v.word); });

    int written = 0;
    if (mode == BookingWrite::Replace) {
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

namespace {

// Copies the booking cells of `source` into the free cells of target week tw of code `target`.
int copyBookingCells(ScheduleData &d, const WeekTimetable &source, CodeId target, int tw,
                     bool replace)
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
        writeWeekBookings(d, BookingWrite::Replace, target, tw, own);
    return copied;
}

} // namespace

int copyBookingsToWeeks(ScheduleData &d, CodeId c, int s, int first, int last, bool replace)
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

int copyBookingsToCode(ScheduleData &d, CodeId source, CodeId target, int sourceWeek,
                       int targetWeek, bool replace)
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

int setSlotBookings(ScheduleData &d, CodeId c, SlotBookingMode mode, int kind, bool any,
                    const TimeRange &range)
{
    if (!validCode(d, c))
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
                if (mode == SlotBookingMode::Book) {
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
            written += writeWeekBookings(d, BookingWrite::Replace, c, w, own);
    }
    return written;
}

int changeBookingKinds(ScheduleData &d, BookingOwner owner, int kind)
{
    if (kind < 1 || kind > 3)
        return 0;
    const bool events = owner == BookingOwner::Events;
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

bool renameBookingKind(ScheduleData &d, int kind, BookingOwner owner, std::string_view name)
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
    const std::size_t index =
        static_cast<std::size_t>(kind - 1 + (owner == BookingOwner::Events ? 0 : 3));
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

} // namespace quivra
