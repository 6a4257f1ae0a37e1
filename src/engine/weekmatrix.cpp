#include "engine/weekmatrix.h"

#include "engine/bookings.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/gaps.h"
#include "engine/lecturestore.h"
#include "engine/placement.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <utility>

namespace quivra {

namespace {

bool isPeriodCell(CellWord w)
{
    return (w & CellEventBit) && !(w & CellBookingBit);
}

bool covers(const LectureView &v, int week)
{
    return v.startWeek <= week && week <= v.endWeek;
}

// Period cells of the event's loaded lectures in one week, per day.
DayMasks weekCellsOf(const ScheduleData &d, const WeekAllocation &wa, int week)
{
    DayMasks cells{};
    for (const LectureView &v : wa.timetable) {
        if (!isPeriodCell(v.word) || !covers(v, week) || !validTimetableLecture(d, v))
            continue;
        for (int day = v.startDay; day <= v.endDay; ++day)
            cells[static_cast<std::size_t>(day)] |= bellMask(v.startBell, v.endBell);
    }
    return cells;
}

// Period cells of the event's own lectures in one week, per day.
DayMasks storedWeekCells(ScheduleData &d, CodeId e, int week)
{
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    return weekCellsOf(d, wa, week);
}

} // namespace

WeekMatrix::WeekMatrix() : m_rowOf(CodeTableSize), m_rank(CodeTableSize), m_slotOf(CodeTableSize) {}

int WeekMatrix::rowOf(CodeId c) const
{
    return c >= 1 && c < CodeTableSize ? m_rowOf[static_cast<std::size_t>(c)] : 0;
}

CodeId WeekMatrix::resourceOfRow(int row) const
{
    return row >= 1 && row <= m_rows ? m_rowCode[static_cast<std::size_t>(row)] : CodeId{0};
}

void WeekMatrix::setCurrentRow(int row)
{
    m_currentRow = std::clamp(row, 1, std::max(m_rows, 1));
}

int WeekMatrix::build(ScheduleData &d, int week)
{
    return build(d, week, Lists::Recount);
}

int WeekMatrix::build(ScheduleData &d, int week, Lists lists)
{
    if (lists == Lists::Recount)
        rebuildLists(d);
    resetForWeek(d, week);
    takeRows(d);
    m_building = true;
    // Every code's entries found in one pass over the store, not one pass per row and event.
    const LectureIndex index(d);
    enterResourceBookings(d, index);
    enterEvents(d, index);
    m_building = false;
    sumCategoryGaps();
    takeBalanceLimits();
    setCurrentRow(m_currentRow);
    m_nonZeroWrites = m_zeroWrites = 0;
    return m_rows;
}

// Forgets the last week: counters, hidden cells, events, the log, and the LinkMarks of all codes.
void WeekMatrix::resetForWeek(ScheduleData &d, int week)
{
    m_week = week >= 1 && week <= MaxWeeks ? week : 0;
    m_days = std::clamp(quivra::usedDays(d), 0, MaxDays);
    m_bells = std::clamp(quivra::usedBells(d), 0, MaxBells);
    m_conflicts = m_nonZeroWrites = m_zeroWrites = 0;
    m_largestCollection = 0;
    m_hidden.clear();
    m_events.clear();
    m_weekEvents.clear();
    m_log.clear();
    m_strip.clear();
    m_stripWeeks = 0;
    m_stripCode = 0;
    std::fill(m_rowOf.begin(), m_rowOf.end(), 0);
    std::fill(m_slotOf.begin(), m_slotOf.end(), 0);
    std::fill(m_rank.begin(), m_rank.end(), 0);
    m_codeMask = d.lectureCodeMask;

    for (int c = 1; c <= d.codeCount; ++c)
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
}

// One row per timetabled resource in table order, the cells all free, and every event's rank
// in eventList.
void WeekMatrix::takeRows(const ScheduleData &d)
{
    m_rowCode.assign(1, 0);
    m_rowCategory.assign(1, 0);
    m_rows = 0;
    for (int c = 1; c <= d.codeCount && m_rows < MaxMatrixRows; ++c) {
        const CodeRecord &rec = d.codes[c];
        if (rec.isEvent() || (rec.flags & NoTimetableBit))
            continue;
        m_rowOf[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(++m_rows);
        m_rowCode.push_back(static_cast<CodeId>(c));
        m_rowCategory.push_back(static_cast<std::uint8_t>(categoryOf(d, static_cast<CodeId>(c))));
    }
    m_cells.assign(static_cast<std::size_t>(m_rows + 1) << MatrixRowShift, 0);
    m_hiddenCount.assign(m_cells.size(), 0);
    m_eventMask.assign(static_cast<std::size_t>(m_rows + 1) * (MaxDays + 1), 0);
    m_bookingMask.assign(m_eventMask.size(), 0);
    m_categoryGaps = {};

    const int events = std::min<int>(d.eventList[0], MaxCodes);
    for (int i = 1; i <= events; ++i)
        if (validCode(d, d.eventList[i]))
            m_rank[d.eventList[i]] = static_cast<std::uint16_t>(i);
}

// Enters the lecture's cells of this week into the rows, clipped to the days and bells in use.
void WeekMatrix::enterLecture(const ScheduleData &d, const LectureView &v, CellWord word,
                              std::span<const std::uint16_t> rows)
{
    if (!covers(v, m_week) || !validTimetableLecture(d, v))
        return;
    const int lastDay = std::min<int>(v.endDay, m_days);
    const int lastBell = std::min<int>(v.endBell, m_bells);
    for (const std::uint16_t row : rows)
        for (int day = v.startDay; day <= lastDay; ++day)
            for (int bell = v.startBell; bell <= lastBell; ++bell)
                enterCell(cellIndex(row, day, bell), word);
}

// The resources' own bookings, entered before the events so the events' periods show over them.
void WeekMatrix::enterResourceBookings(const ScheduleData &d, const LectureIndex &index)
{
    if (m_week == 0)
        return;
    WeekAllocation wa;
    for (int row = 1; row <= m_rows; ++row) {
        const CodeId c = m_rowCode[static_cast<std::size_t>(row)];
        loadWeekAllocation(d, c, wa, index);
        const std::uint16_t rows[1] = {static_cast<std::uint16_t>(row)};
        for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
            const LectureView &v = wa.timetable[i];
            if (!isBookingWord(v.word))
                continue;
            const int kind = i < wa.timetableKinds.size() ? wa.timetableKinds[i] & 0xFF : 1;
            enterLecture(d, v, makeCell(v.word, std::max(kind, 1)), rows);
        }
    }
}

// Events in eventList order. An event placed in the week without an allocation there still
// occupies its cells, so nothing can be placed over it unseen.
void WeekMatrix::enterEvents(const ScheduleData &d, const LectureIndex &index)
{
    const int events = std::min<int>(d.eventList[0], MaxCodes);
    WeekAllocation wa;
    for (int i = 1; m_week != 0 && i <= events; ++i) {
        const CodeId e = d.eventList[i];
        if (!validCode(d, e) || !d.codes[e].isEvent() || d.codes[e].links == 0)
            continue;
        loadWeekAllocation(d, e, wa, index);
        const int allowed = wa.allocated[static_cast<std::size_t>(m_week)];
        const int placed = wa.scheduled[static_cast<std::size_t>(m_week)];
        if (allowed == 0 && placed == 0)
            continue;
        MatrixEvent ev;
        ev.code = e;
        ev.allowed = allowed;
        ev.placed = placed;
        ev.listed = allowed > 0;
        MemberList members = collectionOf(d, e);
        dropNoTimetable(d, members);
        for (int k = 1; k <= members[0]; ++k)
            if (const int row = rowOf(members[static_cast<std::size_t>(k)]))
                ev.rows.push_back(static_cast<std::uint16_t>(row));
        const CellWord own = static_cast<CellWord>(e | LectureEventBit);
        for (std::size_t k = 0; k < wa.timetable.size(); ++k) {
            const LectureView &v = wa.timetable[k];
            if (v.word == 0)
                continue;
            if (isBookingWord(v.word)) {
                const int kind = k < wa.timetableKinds.size() ? wa.timetableKinds[k] & 0xFF : 1;
                enterLecture(d, v, makeCell(v.word, std::max(kind, 1)), ev.rows);
                continue;
            }
            if (!covers(v, m_week) || !validTimetableLecture(d, v))
                continue;
            for (int day = v.startDay; day <= v.endDay; ++day)
                ev.cells[static_cast<std::size_t>(day)] |= bellMask(v.startBell, v.endBell);
            enterLecture(d, v, own, ev.rows);
        }
        if (ev.listed) {
            m_weekEvents.push_back(e);
            m_largestCollection = std::max<int>(m_largestCollection, d.codes[e].links);
        }
        m_events.push_back(std::move(ev));
        m_slotOf[e] = static_cast<std::uint16_t>(m_events.size());
    }
}

// The gap sums per category, taken once after the build entered its cells.
void WeekMatrix::sumCategoryGaps()
{
    for (int row = 1; row <= m_rows; ++row) {
        const auto k = static_cast<std::size_t>(m_rowCategory[static_cast<std::size_t>(row)]);
        for (int day = 1; day <= MaxDays; ++day) {
            const auto mi = static_cast<std::size_t>(maskIndex(row, day));
            m_categoryGaps[0][k] += dayGaps(m_eventMask[mi]);
            m_categoryGaps[1][k] += dayGaps(m_eventMask[mi] | m_bookingMask[mi]);
        }
    }
}

int WeekMatrix::reopen(ScheduleData &d)
{
    for (int c = 1; c <= d.codeCount; ++c)
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    m_log.clear();
    // A build counts one meeting for every code it leaves hidden.
    m_conflicts = static_cast<int>(m_hidden.size());
    takeBalanceLimits();
    setCurrentRow(m_currentRow);
    m_nonZeroWrites = m_zeroWrites = 0;
    return m_rows;
}

bool WeekMatrix::agreesWithStore(const ScheduleData &d, CodeId e) const
{
    return agreesWithStore(d, e, LectureIndex(d));
}

bool WeekMatrix::agreesWithStore(const ScheduleData &d, CodeId e, const LectureIndex &index) const
{
    if (m_week == 0 || !validCode(d, e))
        return true;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa, index);
    return agreesWith(d, e, wa);
}

bool WeekMatrix::agreesWithStore(const ScheduleData &d, CodeId e, LectureLocator &at) const
{
    if (m_week == 0 || !validCode(d, e))
        return true;
    WeekAllocation wa;
    reloadWeekAllocation(d, e, wa, at);
    return agreesWith(d, e, wa);
}

bool WeekMatrix::agreesWith(const ScheduleData &d, CodeId e, const WeekAllocation &wa) const
{
    const auto w = static_cast<std::size_t>(m_week);
    const MatrixEvent *ev = event(e);
    if (!ev)
        return !d.codes[e].isEvent() || d.codes[e].links == 0 ||
               (wa.allocated[w] == 0 && wa.scheduled[w] == 0);
    return ev->allowed == wa.allocated[w] && ev->placed == wa.scheduled[w] &&
           ev->cells == weekCellsOf(d, wa, m_week);
}

void WeekMatrix::takeBalanceLimits()
{
    m_balanceMin.fill(MaxBells + 1);
    m_balanceMax.fill(-1);
    for (int row = 1; row <= m_rows; ++row) {
        const auto k = static_cast<std::size_t>(m_rowCategory[static_cast<std::size_t>(row)]);
        for (int day = 1; day <= m_days; ++day) {
            const int n = bellCount(eventMask(row, day));
            m_balanceMin[k] = std::min(m_balanceMin[k], n);
            m_balanceMax[k] = std::max(m_balanceMax[k], n);
        }
    }
}

void WeekMatrix::setCell(int row, int day, int bell, CellWord word)
{
    if (row < 1 || row > m_rows || day < 1 || day > m_days || bell < 1 || bell > m_bells)
        return;
    show(cellIndex(row, day, bell), word);
}

const MatrixEvent *WeekMatrix::event(CodeId e) const
{
    if (e < 1 || e >= CodeTableSize || m_slotOf[static_cast<std::size_t>(e)] == 0)
        return nullptr;
    return &m_events[m_slotOf[static_cast<std::size_t>(e)] - 1u];
}

MatrixEvent *WeekMatrix::eventState(CodeId e)
{
    return const_cast<MatrixEvent *>(std::as_const(*this).event(e));
}

std::span<const std::uint16_t> WeekMatrix::rowsOf(const ScheduleData &d, CodeId e,
                                                  std::vector<std::uint16_t> &scratch) const
{
    if (const MatrixEvent *ev = event(e))
        return ev->rows;
    scratch.clear();
    if (!validCode(d, e) || !d.codes[e].isEvent())
        return scratch;
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    for (int k = 1; k <= members[0]; ++k)
        if (const int row = rowOf(members[static_cast<std::size_t>(k)]))
            scratch.push_back(static_cast<std::uint16_t>(row));
    return scratch;
}

bool WeekMatrix::inRange(int day, int bell, int length) const
{
    return day >= 1 && day <= m_days && bell >= 1 && length >= 1 && bell + length - 1 <= m_bells;
}

// A period shows over a booking; of two periods the event later in eventList shows (the same
// event: the newer); of two bookings the older stays.
bool WeekMatrix::outranks(CellWord incoming, CellWord shown) const
{
    const bool inPeriod = isPeriodCell(incoming);
    const bool shownPeriod = isPeriodCell(shown);
    if (inPeriod != shownPeriod)
        return inPeriod;
    if (!inPeriod)
        return false;
    return m_rank[incoming & m_codeMask] >= m_rank[shown & m_codeMask];
}

void WeekMatrix::show(std::uint32_t index, CellWord word)
{
    m_cells[index] = word;
    const int row = static_cast<int>(index >> MatrixRowShift);
    const int day = static_cast<int>(index >> MatrixDayShift) & 7;
    const std::uint32_t bit = 1u << ((index & 31u) - 1);
    const auto mi = static_cast<std::size_t>(maskIndex(row, day));
    if (m_building) {
        // The build sums the gaps once at its end.
        m_eventMask[mi] = (word & CellEventBit) ? m_eventMask[mi] | bit : m_eventMask[mi] & ~bit;
        m_bookingMask[mi] =
            (word & CellBookingBit) ? m_bookingMask[mi] | bit : m_bookingMask[mi] & ~bit;
        return;
    }
    // The category sums follow the day's gaps, so a gap count never rescans the rows.
    auto &sums = m_categoryGaps;
    const auto k = static_cast<std::size_t>(m_rowCategory[static_cast<std::size_t>(row)]);
    sums[0][k] -= dayGaps(m_eventMask[mi]);
    sums[1][k] -= dayGaps(m_eventMask[mi] | m_bookingMask[mi]);
    m_eventMask[mi] = (word & CellEventBit) ? m_eventMask[mi] | bit : m_eventMask[mi] & ~bit;
    m_bookingMask[mi] =
        (word & CellBookingBit) ? m_bookingMask[mi] | bit : m_bookingMask[mi] & ~bit;
    sums[0][k] += dayGaps(m_eventMask[mi]);
    sums[1][k] += dayGaps(m_eventMask[mi] | m_bookingMask[mi]);
    ++(word != 0 ? m_nonZeroWrites : m_zeroWrites);
}

void WeekMatrix::enterCell(std::uint32_t index, CellWord word)
{
    const CellWord shown = m_cells[index];
    if (shown == 0) {
        show(index, word);
        return;
    }
    ++m_conflicts;
    ++m_hiddenCount[index];
    if (outranks(word, shown)) {
        m_hidden.push_back({index, shown});
        show(index, word);
    } else {
        m_hidden.push_back({index, word});
    }
}

void WeekMatrix::eraseCell(std::uint32_t index, CellWord word)
{
    if (m_hiddenCount[index] == 0) {
        // Nothing is hidden here: the common case costs no search.
        if (m_cells[index] == word)
            show(index, 0);
        return;
    }
    const auto removed = std::erase_if(
        m_hidden, [&](const Hidden &h) { return h.index == index && h.word == word; });
    m_hiddenCount[index] = static_cast<std::uint16_t>(m_hiddenCount[index] - removed);
    if (m_cells[index] != word)
        return;
    // Uncover what the word hid, if anything.
    auto best = m_hidden.end();
    for (auto it = m_hidden.begin(); it != m_hidden.end(); ++it)
        if (it->index == index && (best == m_hidden.end() || outranks(it->word, best->word)))
            best = it;
    if (best == m_hidden.end()) {
        show(index, 0);
        return;
    }
    const CellWord uncovered = best->word;
    m_hidden.erase(best);
    --m_hiddenCount[index];
    show(index, uncovered);
}

void WeekMatrix::enterBlock(const MatrixEvent &ev, int day, int bell, int length)
{
    const CellWord word = static_cast<CellWord>(ev.code | LectureEventBit);
    for (const std::uint16_t row : ev.rows)
        for (int b = bell; b < bell + length; ++b)
            enterCell(cellIndex(row, day, b), word);
}

void WeekMatrix::eraseBlock(const MatrixEvent &ev, int day, int bell, int length)
{
    const CellWord word = static_cast<CellWord>(ev.code | LectureEventBit);
    for (const std::uint16_t row : ev.rows)
        for (int b = bell; b < bell + length; ++b)
            eraseCell(cellIndex(row, day, b), word);
}

void WeekMatrix::probeEnter(CodeId e, int day, int bell, int length)
{
    if (const MatrixEvent *ev = event(e); ev && inRange(day, bell, length))
        enterBlock(*ev, day, bell, length);
}

void WeekMatrix::probeErase(CodeId e, int day, int bell, int length)
{
    if (const MatrixEvent *ev = event(e); ev && inRange(day, bell, length))
        eraseBlock(*ev, day, bell, length);
}

// Replaces the event's period cells of the current week by `cells` in one store; false (and the
// store unchanged) when the store has no room.
bool WeekMatrix::storeWeekCells(ScheduleData &d, CodeId e, const DayMasks &cells)
{
    WeekAllocation wa;
    if (m_locator)
        reloadWeekAllocation(d, e, wa, *m_locator);
    else
        reloadWeekAllocation(d, e, wa);
    const std::uint16_t own = ownWord(d, e);
    rebuildTimetable(
        d, wa, own,
        [&](std::uint16_t word, std::int16_t, OccupancyMap &m) {
            if (word != own)
                return;
            for (int day = 1; day <= MaxDays; ++day) {
                m.maskRef(m_week, day) = 0;
                m.add(m_week, day, cells[static_cast<std::size_t>(day)]);
            }
        },
        true);
    auto &allocated = wa.allocated[static_cast<std::size_t>(m_week)];
    allocated = std::max(allocated, wa.scheduled[static_cast<std::size_t>(m_week)]);
    if ((m_locator ? storeWeekAllocation(d, e, wa, *m_locator) : storeWeekAllocation(d, e, wa)) > 0)
        return true;
    // Nothing written is a success only when there was nothing to write.
    const bool anyWeeks =
        std::any_of(wa.allocated.begin(), wa.allocated.end(), [](auto v) { return v != 0; }) ||
        std::any_of(wa.booked.begin(), wa.booked.end(), [](auto v) { return v != 0; });
    const bool anyLectures = std::any_of(wa.timetable.begin(), wa.timetable.end(),
                                         [](const LectureView &v) { return v.word != 0; });
    return !anyWeeks && !anyLectures;
}

BlockOutcome WeekMatrix::insertBlock(ScheduleData &d, CodeId e, int day, int bell, int length)
{
    MatrixEvent *ev = eventState(e);
    if (!ev || !ev->listed)
        return {0, Refusal::NotInWeek};
    if (!inRange(day, bell, length))
        return {0, Refusal::OutOfRange};
    if (ev->placed + length > ev->allowed)
        return {0, Refusal::TooFewAllocated};
    const std::uint32_t bits = bellMask(bell, bell + length - 1);
    const auto dd = static_cast<std::size_t>(day);
    if (ev->cells[dd] & bits)
        return {0, Refusal::Overlaps};
    DayMasks next = ev->cells;
    next[dd] |= bits;
    if (!storeWeekCells(d, e, next))
        return {0, Refusal::StoreFull};
    ev->cells = next;
    ev->placed += length;
    enterBlock(*ev, day, bell, length);
    return {length, Refusal::None};
}

BlockOutcome WeekMatrix::deleteBlock(ScheduleData &d, CodeId e, int day, int bell, int length)
{
    MatrixEvent *ev = eventState(e);
    if (!ev)
        return {0, Refusal::NotInWeek};
    if (!inRange(day, bell, length))
        return {0, Refusal::OutOfRange};
    const std::uint32_t bits = bellMask(bell, bell + length - 1);
    const auto dd = static_cast<std::size_t>(day);
    if ((ev->cells[dd] & bits) != bits || ev->placed < length)
        return {0, Refusal::NotPlaced};
    DayMasks next = ev->cells;
    next[dd] &= ~bits;
    if (!storeWeekCells(d, e, next))
        return {0, Refusal::StoreFull};
    ev->cells = next;
    ev->placed -= length;
    eraseBlock(*ev, day, bell, length);
    return {length, Refusal::None};
}

BlockOutcome WeekMatrix::moveBlock(ScheduleData &d, CodeId e, int day, int bell, int length,
                                   int day2, int bell2)
{
    MatrixEvent *ev = eventState(e);
    if (!ev)
        return {0, Refusal::NotInWeek};
    if (!inRange(day, bell, length) || !inRange(day2, bell2, length))
        return {0, Refusal::OutOfRange};
    const std::uint32_t from = bellMask(bell, bell + length - 1);
    const std::uint32_t to = bellMask(bell2, bell2 + length - 1);
    DayMasks next = ev->cells;
    if ((next[static_cast<std::size_t>(day)] & from) != from)
        return {0, Refusal::NotPlaced};
    if (day == day2 && bell == bell2)
        return {0, Refusal::NothingToDo};
    next[static_cast<std::size_t>(day)] &= ~from;
    if (next[static_cast<std::size_t>(day2)] & to)
        return {0, Refusal::Overlaps};
    next[static_cast<std::size_t>(day2)] |= to;
    // One store for both halves: the block is never lost between its delete and its insert.
    if (!storeWeekCells(d, e, next))
        return {0, Refusal::StoreFull};
    ev->cells = next;
    eraseBlock(*ev, day, bell, length);
    enterBlock(*ev, day2, bell2, length);
    return {length, Refusal::None};
}

BlockOutcome WeekMatrix::swapBlocks(ScheduleData &d, CodeId a, int dayA, int bellA, CodeId b,
                                    int dayB, int bellB, int length)
{
    MatrixEvent *ea = eventState(a);
    MatrixEvent *eb = eventState(b);
    if (!ea || !eb)
        return {0, Refusal::NotInWeek};
    if (a == b || (dayA == dayB && bellA == bellB))
        return {0, Refusal::NothingToDo};
    if (!inRange(dayA, bellA, length) || !inRange(dayB, bellB, length))
        return {0, Refusal::OutOfRange};
    const std::uint32_t bitsA = bellMask(bellA, bellA + length - 1);
    const std::uint32_t bitsB = bellMask(bellB, bellB + length - 1);
    const auto da = static_cast<std::size_t>(dayA);
    const auto db = static_cast<std::size_t>(dayB);
    if ((ea->cells[da] & bitsA) != bitsA || (eb->cells[db] & bitsB) != bitsB)
        return {0, Refusal::NotPlaced};
    DayMasks nextA = ea->cells;
    DayMasks nextB = eb->cells;
    nextA[da] &= ~bitsA;
    nextB[db] &= ~bitsB;
    if ((nextA[db] & bitsB) || (nextB[da] & bitsA))
        return {0, Refusal::Overlaps};
    nextA[db] |= bitsB;
    nextB[da] |= bitsA;
    if (!storeWeekCells(d, a, nextA))
        return {0, Refusal::StoreFull};
    if (!storeWeekCells(d, b, nextB)) {
        // Put a back as it was; its old entries fit, since nothing else changed meanwhile.
        storeWeekCells(d, a, ea->cells);
        return {0, Refusal::StoreFull};
    }
    ea->cells = nextA;
    eb->cells = nextB;
    eraseBlock(*ea, dayA, bellA, length);
    eraseBlock(*eb, dayB, bellB, length);
    enterBlock(*ea, dayB, bellB, length);
    enterBlock(*eb, dayA, bellA, length);
    return {length, Refusal::None};
}

// Writes the row resource's bookings of the week back from what the row shows (a period keeps
// the booking under it). True when the store holds exactly the row's bookings afterwards.
bool WeekMatrix::writeRowBookings(ScheduleData &d, int row)
{
    const CodeId c = resourceOfRow(row);
    WeekTimetable before;
    bookingTimetableOf(d, c, m_week, before);
    WeekTimetable t;
    t.owner = c;
    int expected = 0;
    for (int day = 1; day <= m_days; ++day)
        for (int bell = 1; bell <= m_bells; ++bell) {
            const CellWord w = m_cells[cellIndex(row, day, bell)];
            t.cellRef(day, bell) = w;
            if (isBookingCell(w) && (w & m_codeMask) == c && !(w & CellEventBit))
                ++expected;
            else if (w != 0 && !isBookingCell(w) && before.cell(day, bell) != 0)
                ++expected;
        }
    writeWeekBookings(d, BookingWrite::Replace, c, m_week, t);
    WeekTimetable after;
    bookingTimetableOf(d, c, m_week, after);
    int stored = 0;
    for (int day = 1; day <= MaxDays; ++day)
        for (int bell = 1; bell <= MaxBells; ++bell)
            stored += after.cell(day, bell) != 0 ? 1 : 0;
    return stored == expected;
}

BlockOutcome WeekMatrix::toggleBookings(ScheduleData &d, int row, int kind, int day, int bell,
                                        int day2, int bell2)
{
    MoveStep step;
    return doToggle(d, row, kind, day, bell, day2, bell2, step);
}

BlockOutcome WeekMatrix::doToggle(ScheduleData &d, int row, int kind, int day, int bell, int day2,
                                  int bell2, MoveStep &step)
{
    if (row < 1 || row > m_rows || m_week == 0)
        return {0, Refusal::OutOfRange};
    const int d1 = std::min(day, day2), d2 = std::max(day, day2);
    const int b1 = std::min(bell, bell2), b2 = std::max(bell, bell2);
    if (kind < 1 || kind > 3 || !inRange(d1, b1, 1) || !inRange(d2, b2, 1))
        return {0, Refusal::OutOfRange};
    const CodeId c = resourceOfRow(row);
    const CellWord booking = makeCell(static_cast<std::uint16_t>(c | LectureBookingBit), kind);
    step = MoveStep{};
    step.type = StepType::ToggleBookings;
    step.code = c;
    step.row = static_cast<std::uint16_t>(row);
    step.day = static_cast<std::uint8_t>(d1);
    step.bell = static_cast<std::uint8_t>(b1);
    step.day2 = static_cast<std::uint8_t>(d2);
    step.bell2 = static_cast<std::uint8_t>(b2);
    step.code2 = static_cast<CodeId>(kind);
    for (int dd = d1; dd <= d2; ++dd)
        for (int bb = b1; bb <= b2; ++bb) {
            const std::uint32_t index = cellIndex(row, dd, bb);
            const CellWord shown = m_cells[index];
            if (shown == 0)
                step.cells.push_back({index, 0, booking});
            else if (isBookingCell(shown) && !(shown & CellEventBit) && (shown & m_codeMask) == c)
                step.cells.push_back({index, shown, 0});
        }
    if (step.cells.empty())
        return {0, Refusal::NothingToDo};
    const int changed = static_cast<int>(step.cells.size());
    if (!applyStep(d, step))
        return {0, Refusal::StoreFull};
    return {changed, Refusal::None};
}

// What event e adds to each of its rows in this week: its period cells and the cells of its own
// bookings, within the days and bells in use.
void WeekMatrix::cellsOfEvent(const ScheduleData &d, const MatrixEvent &ev,
                              std::vector<EventCell> &out) const
{
    out.clear();
    const CellWord own = static_cast<CellWord>(ev.code | LectureEventBit);
    const std::uint32_t bells = bellMask(1, m_bells);
    for (int day = 1; day <= m_days; ++day)
        for (std::uint32_t rest = ev.cells[static_cast<std::size_t>(day)] & bells; rest != 0;
             rest &= rest - 1)
            out.push_back({static_cast<std::uint8_t>(day),
                           static_cast<std::uint8_t>(std::countr_zero(rest) + 1), own});
    WeekAllocation wa;
    loadWeekAllocation(d, ev.code, wa);
    for (std::size_t k = 0; k < wa.timetable.size(); ++k) {
        const LectureView &v = wa.timetable[k];
        if (!isBookingWord(v.word) || !covers(v, m_week) || !validTimetableLecture(d, v))
            continue;
        const int kind = k < wa.timetableKinds.size() ? wa.timetableKinds[k] & 0xFF : 1;
        const CellWord word = makeCell(v.word, std::max(kind, 1));
        for (int day = v.startDay; day <= std::min<int>(v.endDay, m_days); ++day)
            for (int bell = v.startBell; bell <= std::min<int>(v.endBell, m_bells); ++bell)
                out.push_back(
                    {static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(bell), word});
    }
}

// Brings the event's rows in line with its collection as it stands: the rows it left lose its
// cells, the rows it joined gain them, the rows it kept are not touched. Returns the event's
// cells per row when a row changed, else 0.
int WeekMatrix::followCollection(const ScheduleData &d, MatrixEvent &ev)
{
    std::vector<std::uint16_t> rows;
    MemberList members = collectionOf(d, ev.code);
    dropNoTimetable(d, members);
    for (int k = 1; k <= members[0]; ++k)
        if (const int row = rowOf(members[static_cast<std::size_t>(k)]))
            rows.push_back(static_cast<std::uint16_t>(row));
    std::vector<std::uint16_t> before = ev.rows, after = rows;
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<std::uint16_t> left, joined;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(left));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(joined));
    ev.rows = std::move(rows);
    if (left.empty() && joined.empty())
        return 0;
    std::vector<EventCell> cells;
    cellsOfEvent(d, ev, cells);
    for (const std::uint16_t row : left)
        for (const EventCell &c : cells)
            eraseCell(cellIndex(row, c.day, c.bell), c.word);
    for (const std::uint16_t row : joined)
        for (const EventCell &c : cells)
            enterCell(cellIndex(row, c.day, c.bell), c.word);
    return static_cast<int>(cells.size());
}

BlockOutcome WeekMatrix::replaceInRows(ScheduleData &d, CodeId e, CodeId from, CodeId to)
{
    if (!validCode(d, e) || !d.codes[e].isEvent())
        return {0, Refusal::NotInWeek};
    if (from == to)
        return {0, Refusal::NothingToDo};
    if (!replaceMember(d, e, from, to))
        return {0, Refusal::NotMember};
    MatrixEvent *ev = eventState(e);
    return {ev ? followCollection(d, *ev) : 0, Refusal::None};
}

BlockOutcome WeekMatrix::changeMember(ScheduleData &d, CodeId e, CodeId from, CodeId to,
                                      int &position)
{
    if (!validCode(d, e) || !d.codes[e].isEvent())
        return {0, Refusal::NotInWeek};
    MemberList members = collectionOf(d, e);
    const int n = std::clamp<int>(members[0], 0, MaxMembers);
    const auto at = [&members](int k) { return members.begin() + k; };
    if (to == 0) {
        const int k = positionInList(from, members);
        if (k == 0)
            return {0, Refusal::NotMember};
        std::copy(at(k + 1), at(n + 1), at(k));
        members[static_cast<std::size_t>(n)] = 0;
        members[0] = static_cast<CodeId>(n - 1);
        position = k;
    } else {
        if (from != 0 || n >= MaxMembers || !validCode(d, to) || d.codes[to].isEvent() ||
            positionInList(to, members) != 0)
            return {0, Refusal::NotMember};
        const int k = std::clamp(position, 1, n + 1);
        std::copy_backward(at(k), at(n + 1), at(n + 2));
        members[static_cast<std::size_t>(k)] = to;
        members[0] = static_cast<CodeId>(n + 1);
    }
    // An emptied collection stores nothing and says 0; a fuller one that stores nothing found
    // no room and changed nothing.
    if (setCollection(d, e, members) != members[0])
        return {0, Refusal::StoreFull};
    MatrixEvent *ev = eventState(e);
    return {ev ? followCollection(d, *ev) : 0, Refusal::None};
}

bool WeekMatrix::applyStep(ScheduleData &d, MoveStep &step)
{
    switch (step.type) {
    case StepType::Schedule:
    case StepType::Unschedule: {
        const BlockOutcome r = step.places
                                   ? insertBlock(d, step.code, step.day, step.bell, step.length)
                                   : deleteBlock(d, step.code, step.day, step.bell, step.length);
        if (!r)
            return false;
        step.places = !step.places;
        return true;
    }
    case StepType::Move:
        if (!moveBlock(d, step.code, step.day, step.bell, step.length, step.day2, step.bell2))
            return false;
        std::swap(step.day, step.day2);
        std::swap(step.bell, step.bell2);
        return true;
    case StepType::Swap:
        if (!swapBlocks(d, step.code, step.day, step.bell, step.code2, step.day2, step.bell2,
                        step.length))
            return false;
        std::swap(step.day, step.day2);
        std::swap(step.bell, step.bell2);
        return true;
    case StepType::ToggleBookings: {
        auto exchange = [&] {
            for (ToggledCell &t : step.cells) {
                if (t.shown != 0)
                    eraseCell(t.index, t.shown);
                if (t.other != 0)
                    enterCell(t.index, t.other);
                std::swap(t.shown, t.other);
            }
        };
        exchange();
        if (writeRowBookings(d, step.row))
            return true;
        exchange();
        writeRowBookings(d, step.row);
        return false;
    }
    case StepType::ReplaceResource:
        if (step.code2 == 0 || step.code3 == 0) {
            // A resource taken out of the collection, or put back at its place.
            int position = step.row;
            if (!changeMember(d, step.code, step.code2, step.code3, position))
                return false;
            step.row = static_cast<std::uint16_t>(position);
        } else if (!replaceInRows(d, step.code, step.code2, step.code3)) {
            return false;
        }
        std::swap(step.code2, step.code3);
        return true;
    }
    return false;
}

BlockOutcome WeekMatrix::schedule(ScheduleData &d, CodeId e, int day, int bell, int length)
{
    const BlockOutcome r = insertBlock(d, e, day, bell, length);
    if (r) {
        MoveStep step;
        step.type = StepType::Schedule;
        step.code = e;
        step.day = static_cast<std::uint8_t>(day);
        step.bell = static_cast<std::uint8_t>(bell);
        step.length = static_cast<std::uint8_t>(length);
        step.places = false;
        m_log.record(std::move(step));
    }
    return r;
}

BlockOutcome WeekMatrix::unschedule(ScheduleData &d, CodeId e, int day, int bell, int length)
{
    const BlockOutcome r = deleteBlock(d, e, day, bell, length);
    if (r) {
        MoveStep step;
        step.type = StepType::Unschedule;
        step.code = e;
        step.day = static_cast<std::uint8_t>(day);
        step.bell = static_cast<std::uint8_t>(bell);
        step.length = static_cast<std::uint8_t>(length);
        step.places = true;
        m_log.record(std::move(step));
    }
    return r;
}

BlockOutcome WeekMatrix::move(ScheduleData &d, CodeId e, int day, int bell, int length, int day2,
                              int bell2)
{
    const BlockOutcome r = moveBlock(d, e, day, bell, length, day2, bell2);
    if (r) {
        MoveStep step;
        step.type = StepType::Move;
        step.code = e;
        step.length = static_cast<std::uint8_t>(length);
        // Sides already exchanged: applying the step moves the block back.
        step.day = static_cast<std::uint8_t>(day2);
        step.bell = static_cast<std::uint8_t>(bell2);
        step.day2 = static_cast<std::uint8_t>(day);
        step.bell2 = static_cast<std::uint8_t>(bell);
        m_log.record(std::move(step));
    }
    return r;
}

BlockOutcome WeekMatrix::swap(ScheduleData &d, CodeId a, int dayA, int bellA, CodeId b, int dayB,
                              int bellB, int length)
{
    const BlockOutcome r = swapBlocks(d, a, dayA, bellA, b, dayB, bellB, length);
    if (r) {
        MoveStep step;
        step.type = StepType::Swap;
        step.code = a;
        step.code2 = b;
        step.length = static_cast<std::uint8_t>(length);
        step.day = static_cast<std::uint8_t>(dayB);
        step.bell = static_cast<std::uint8_t>(bellB);
        step.day2 = static_cast<std::uint8_t>(dayA);
        step.bell2 = static_cast<std::uint8_t>(bellA);
        m_log.record(std::move(step));
    }
    return r;
}

BlockOutcome WeekMatrix::toggle(ScheduleData &d, int row, int kind, int day, int bell, int day2,
                                int bell2)
{
    MoveStep step;
    const BlockOutcome r = doToggle(d, row, kind, day, bell, day2, bell2, step);
    if (r)
        m_log.record(std::move(step));
    return r;
}

BlockOutcome WeekMatrix::replaceResource(ScheduleData &d, CodeId e, CodeId from, CodeId to)
{
    const BlockOutcome r = replaceInRows(d, e, from, to);
    if (r) {
        MoveStep step;
        step.type = StepType::ReplaceResource;
        step.code = e;
        // Sides already exchanged: applying the step puts `from` back.
        step.code2 = to;
        step.code3 = from;
        m_log.record(std::move(step));
    }
    return r;
}

BlockOutcome WeekMatrix::removeResource(ScheduleData &d, CodeId e, CodeId r)
{
    int position = 0;
    const BlockOutcome out =
        r == 0 ? BlockOutcome{0, Refusal::NotMember} : changeMember(d, e, r, 0, position);
    if (out) {
        MoveStep step;
        step.type = StepType::ReplaceResource;
        step.code = e;
        // Sides already exchanged: applying the step puts r back at its place.
        step.code2 = 0;
        step.code3 = r;
        step.row = static_cast<std::uint16_t>(position);
        m_log.record(std::move(step));
    }
    return out;
}

bool WeekMatrix::undo(ScheduleData &d)
{
    if (!m_log.canUndo() || !applyStep(d, m_log.undoStep()))
        return false;
    m_log.undone();
    return true;
}

bool WeekMatrix::redo(ScheduleData &d)
{
    if (!m_log.canRedo() || !applyStep(d, m_log.redoStep()))
        return false;
    m_log.redone();
    return true;
}

bool WeekMatrix::goToBookmark(ScheduleData &d)
{
    const int mark = m_log.bookmark();
    if (mark < 0 || mark > m_log.size() || mark == m_log.position())
        return false;
    while (m_log.position() < mark)
        if (!redo(d))
            return false;
    while (m_log.position() > mark)
        if (!undo(d))
            return false;
    return true;
}

int WeekMatrix::writeBack(ScheduleData &d)
{
    int stored = 0;
    for (const MatrixEvent &ev : m_events) {
        if (storedWeekCells(d, ev.code, m_week) == ev.cells)
            continue;
        if (!storeWeekCells(d, ev.code, ev.cells))
            return -1;
        ++stored;
    }
    return stored;
}

int WeekMatrix::nextBlockInRow(int row, int &day, int &bell) const
{
    if (row >= 1 && row <= m_rows) {
        for (int dd = std::max(day, 1); dd <= m_days; ++dd) {
            const std::uint32_t events = eventMask(row, dd) & bellMask(1, m_bells);
            const int from = dd == day ? std::max(bell, 1) : 1;
            const std::uint32_t rest = from > MaxBells ? 0 : events & ~bellMask(1, from - 1);
            if (rest == 0)
                continue;
            const int b = std::countr_zero(rest) + 1;
            const CellWord word = m_cells[cellIndex(row, dd, b)];
            int end = b;
            while (end < m_bells && m_cells[cellIndex(row, dd, end + 1)] == word)
                ++end;
            bell = b;
            day = dd;
            return end - b + 1;
        }
    }
    bell = 1;
    day = 1;
    return 0;
}

bool WeekMatrix::findCellOf(int row, std::uint16_t word, int &day, int &bell) const
{
    if (row < 1 || row > m_rows || m_days < 1 || m_bells < 1)
        return false;
    int b = std::clamp(bell, 1, m_bells);
    int dd = std::clamp(day, 1, m_days);
    for (int k = 0; k < m_days * m_bells; ++k) {
        if (++b > m_bells) {
            b = 1;
            dd = dd % m_days + 1;
        }
        if (cellLectureWord(m_cells[cellIndex(row, dd, b)]) == word) {
            bell = b;
            day = dd;
            return true;
        }
    }
    return false;
}

std::vector<FitEntry> WeekMatrix::fitList(const ScheduleData &d, int day, int bell, CodeId resource,
                                          FitFilter filter) const
{
    constexpr std::size_t MaxFitEntries = 210;
    std::vector<FitEntry> list;
    if (day < 1 || day > m_days || bell < 1 || bell > m_bells)
        return list;
    std::vector<std::uint16_t> scratch;
    WeekAllocation wa;
    const int events = std::min<int>(d.eventList[0], MaxCodes);
    for (int i = 1; i <= events && list.size() < MaxFitEntries; ++i) {
        const CodeId e = d.eventList[i];
        if (!validCode(d, e) || !d.codes[e].isEvent())
            continue;
        if (resource != 0 && positionInList(resource, collectionOf(d, e)) == 0)
            continue;
        int allocated = 0, scheduled = 0;
        if (const MatrixEvent *ev = event(e)) {
            allocated = ev->allowed;
            scheduled = ev->placed;
        } else if (m_week != 0) {
            loadWeekAllocation(d, e, wa);
            allocated = wa.allocated[static_cast<std::size_t>(m_week)];
            scheduled = wa.scheduled[static_cast<std::size_t>(m_week)];
        }
        if ((filter == FitFilter::Allocated && allocated == 0) ||
            (filter == FitFilter::NotAllocated && allocated != 0))
            continue;
        const auto rows = rowsOf(d, e, scratch);
        if (std::all_of(rows.begin(), rows.end(),
                        [&](std::uint16_t row) { return cell(row, day, bell) == 0; }))
            list.push_back({e, allocated, scheduled});
    }
    return list;
}

WeekTotals WeekMatrix::weekTotals(const ScheduleData &d) const
{
    WeekTotals t;
    for (const CodeId e : m_weekEvents) {
        const MatrixEvent *ev = event(e);
        t.allowed += ev->allowed;
        t.placed += ev->placed;
    }
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &rec = d.codes[c];
        if (!rec.isEvent() || rec.links == 0)
            continue;
        t.allocated += rec.allocated;
        t.scheduled += rec.scheduled;
        t.planned += rec.planned;
    }
    return t;
}

// Enters one lecture's cells into the strip rows of the weeks it covers, within the days and
// bells in use, with the precedence of the rows.
void WeekMatrix::enterStripLecture(const ScheduleData &d, const LectureView &v, CellWord word)
{
    if (!validTimetableLecture(d, v))
        return;
    const int lastWeek = std::min<int>(v.endWeek, m_stripWeeks);
    const int lastDay = std::min<int>(v.endDay, m_days);
    const int lastBell = std::min<int>(v.endBell, m_bells);
    for (int week = v.startWeek; week <= lastWeek; ++week)
        for (int day = v.startDay; day <= lastDay; ++day)
            for (int bell = v.startBell; bell <= lastBell; ++bell) {
                CellWord &cell = m_strip[cellIndex(week, day, bell)];
                if (cell == 0 || outranks(word, cell))
                    cell = word;
            }
}

int WeekMatrix::fillWeekStrip(const ScheduleData &d, CodeId c)
{
    m_strip.clear();
    m_stripWeeks = 0;
    m_stripCode = 0;
    const int lastWeek = std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks);
    if (!validCode(d, c) || lastWeek < 2 || m_rows >= MaxMatrixRows)
        return 0;
    m_stripWeeks = std::min(lastWeek, MaxMatrixRows - m_rows);
    m_stripCode = c;
    m_strip.assign(static_cast<std::size_t>(m_stripWeeks + 1) << MatrixRowShift, 0);

    const LectureIndex index(d);
    WeekAllocation wa;
    // Lectures of one code, each a period of the code when it is an event, or a booking.
    auto enterCode = [&](CodeId code) {
        loadWeekAllocation(d, code, wa, index);
        const bool event = d.codes[code].isEvent();
        const CellWord own = static_cast<CellWord>(code | LectureEventBit);
        for (std::size_t k = 0; k < wa.timetable.size(); ++k) {
            const LectureView &v = wa.timetable[k];
            if (isBookingWord(v.word)) {
                const int kind = k < wa.timetableKinds.size() ? wa.timetableKinds[k] & 0xFF : 1;
                enterStripLecture(d, v, makeCell(v.word, std::max(kind, 1)));
            } else if (event && v.word != 0) {
                enterStripLecture(d, v, own);
            }
        }
    };
    enterCode(c);
    const int events = std::min<int>(d.eventList[0], MaxCodes);
    for (int i = 1; i <= events; ++i) {
        const CodeId e = d.eventList[i];
        if (e != c && validCode(d, e) && d.codes[e].isEvent() &&
            positionInList(c, collectionOf(d, e)) != 0)
            enterCode(e);
    }
    return static_cast<int>(
        std::count_if(m_strip.begin(), m_strip.end(), [](CellWord w) { return w != 0; }));
}

namespace {

// True when every cell of the block is free in all of the event's rows.
bool blockFree(const ScheduleData &d, const WeekMatrix &m, CodeId e, int day, int bell, int length)
{
    std::vector<std::uint16_t> scratch;
    for (const std::uint16_t row : m.rowsOf(d, e, scratch))
        for (int b = bell; b < bell + length; ++b)
            if (m.cell(row, day, b) != 0)
                return false;
    return true;
}

BlockOutcome report(CodeId e, BlockOutcome r, MatrixDialogue &ui)
{
    if (!r && r.refusal != Refusal::NothingToDo)
        ui.refused(e, r.refusal);
    return r;
}

bool unlocked(ScheduleData &d, CodeId e, MatrixDialogue &ui)
{
    if (lockGuard(d, e, [&](CodeId event) { return ui.askUnlock(event); }))
        return true;
    ui.refused(e, Refusal::Locked);
    return false;
}

} // namespace

BlockOutcome scheduleCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell,
                             int length, MatrixDialogue &ui)
{
    if (!unlocked(d, e, ui))
        return {0, Refusal::Locked};
    if (m.event(e) && !blockFree(d, m, e, day, bell, length))
        return report(e, {0, Refusal::Blocked}, ui);
    return report(e, m.schedule(d, e, day, bell, length), ui);
}

BlockOutcome unscheduleCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell,
                               int length, MatrixDialogue &ui)
{
    if (!unlocked(d, e, ui))
        return {0, Refusal::Locked};
    return report(e, m.unschedule(d, e, day, bell, length), ui);
}

BlockOutcome moveCommand(ScheduleData &d, WeekMatrix &m, CodeId e, int day, int bell, int length,
                         int day2, int bell2, MatrixDialogue &ui)
{
    if (!unlocked(d, e, ui))
        return {0, Refusal::Locked};
    const MatrixEvent *ev = m.event(e);
    const std::uint32_t bits = bellMask(bell, bell + length - 1);
    if (ev && day >= 1 && day <= MaxDays &&
        (ev->cells[static_cast<std::size_t>(day)] & bits) == bits) {
        m.probeErase(e, day, bell, length);
        const bool free = blockFree(d, m, e, day2, bell2, length);
        m.probeEnter(e, day, bell, length);
        if (!free)
            return report(e, {0, Refusal::Blocked}, ui);
    }
    return report(e, m.move(d, e, day, bell, length, day2, bell2), ui);
}

BlockOutcome swapCommand(ScheduleData &d, WeekMatrix &m, CodeId a, int dayA, int bellA, CodeId b,
                         int dayB, int bellB, int length, MatrixDialogue &ui)
{
    if (!unlocked(d, a, ui) || !unlocked(d, b, ui))
        return {0, Refusal::Locked};
    const MatrixEvent *ea = m.event(a);
    const MatrixEvent *eb = m.event(b);
    auto holds = [&](const MatrixEvent *ev, int day, int bell) {
        const std::uint32_t bits = bellMask(bell, bell + length - 1);
        return ev && day >= 1 && day <= MaxDays &&
               (ev->cells[static_cast<std::size_t>(day)] & bits) == bits;
    };
    if (a != b && holds(ea, dayA, bellA) && holds(eb, dayB, bellB)) {
        m.probeErase(a, dayA, bellA, length);
        m.probeErase(b, dayB, bellB, length);
        const bool free =
            blockFree(d, m, a, dayB, bellB, length) && blockFree(d, m, b, dayA, bellA, length);
        m.probeEnter(b, dayB, bellB, length);
        m.probeEnter(a, dayA, bellA, length);
        if (!free)
            return report(a, {0, Refusal::Blocked}, ui);
    }
    return report(a, m.swap(d, a, dayA, bellA, b, dayB, bellB, length), ui);
}

} // namespace quivra
