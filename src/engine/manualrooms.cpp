#include "engine/manualrooms.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace quivra {

namespace {

constexpr int MaxCombinations = 2730;

int wordsInUse(const ScheduleData &d)
{
    const int words = std::clamp<int>(d.manualRooms[0], 0, ManualRoomWordLimit);
    return words - words % 3;
}

std::vector<ManualTriple> readTriples(const ScheduleData &d)
{
    std::vector<ManualTriple> out;
    const int words = wordsInUse(d);
    out.reserve(static_cast<std::size_t>(words / 3));
    for (int i = 1; i + 2 <= words; i += 3)
        out.push_back({d.manualRooms[i], d.manualRooms[i + 1], d.manualRooms[i + 2]});
    return out;
}

// Replaces the store by `triples` (at most the capacity) and clears the tail.
void writeTriples(ScheduleData &d, const std::vector<ManualTriple> &triples)
{
    const int n = std::min<int>(static_cast<int>(triples.size()), ManualRoomCapacity);
    std::fill(d.manualRooms.begin() + 1, d.manualRooms.end(), 0);
    for (int k = 0; k < n; ++k) {
        d.manualRooms[3 * k + 1] = triples[k].slot;
        d.manualRooms[3 * k + 2] = triples[k].event;
        d.manualRooms[3 * k + 3] = triples[k].room;
    }
    d.manualRooms[0] = static_cast<std::uint16_t>(3 * n);
}

bool appendTriple(ScheduleData &d, const ManualTriple &t)
{
    const int words = wordsInUse(d);
    if (words + 3 > ManualRoomWordLimit)
        return false;
    d.manualRooms[words + 1] = t.slot;
    d.manualRooms[words + 2] = t.event;
    d.manualRooms[words + 3] = t.room;
    d.manualRooms[0] = static_cast<std::uint16_t>(words + 3);
    return true;
}

bool validSlot(std::uint16_t slot)
{
    const int day = manualDay(slot), bell = manualBell(slot);
    return manualWeek(slot) >= 1 && day >= 1 && day <= MaxDays && bell >= 1 && bell <= MaxBells;
}

// A void triple carries no data: its slot is not a cell or its event is gone.
bool isVoid(const ScheduleData &d, const ManualTriple &t)
{
    return !validSlot(t.slot) || !validCode(d, t.event) || !d.codes[t.event].isEvent();
}

bool isRoom(const ScheduleData &d, int r)
{
    return isResourceCode(d, static_cast<CodeId>(r)) &&
           categoryOf(d, static_cast<CodeId>(r)) == d.roomsCategory;
}

bool isTimetabledResource(const ScheduleData &d, int r)
{
    return isResourceCode(d, static_cast<CodeId>(r)) && !(d.codes[r].flags & NoTimetableBit);
}

std::uint32_t slotEventKey(std::uint16_t slot, CodeId event)
{
    return static_cast<std::uint32_t>(slot) << 16 | event;
}

// Week timetables of one week, built on first use. Callers walk triples week by week and call
// setWeek() as the week changes, so only one week is held at a time.
class WeekCache
{
public:
    explicit WeekCache(const ScheduleData &d) : m_d(d) {}
    void setWeek(int w)
    {
        if (w != m_week) {
            m_week = w;
            m_tables.clear();
        }
    }
    const WeekTimetable &of(int c)
    {
        auto it = m_tables.find(c);
        if (it == m_tables.end()) {
            it = m_tables.emplace(c, WeekTimetable{}).first;
            weekTimetableOf(m_d, static_cast<CodeId>(c), m_week, it->second);
        }
        return it->second;
    }

private:
    const ScheduleData &m_d;
    int m_week = 0;
    std::unordered_map<int, WeekTimetable> m_tables;
};

// The event placed (a period, not a booking) in cell (day, bell) of a timetable; 0 when none.
CodeId eventInCell(const ScheduleData &d, const WeekTimetable &t, int day, int bell)
{
    const CellWord cell = t.cell(day, bell);
    if (cell == 0 || isBookingCell(cell) || !(cell & CellEventBit))
        return 0;
    return cellCode(d, cell);
}

// The room's own timetable is free at the cell and no triple of another event holds it there.
bool roomFree(const ScheduleData &d, WeekCache &cache, int e, int r, int w, int day, int bell)
{
    cache.setWeek(w);
    if (cache.of(r).cell(day, bell) != 0)
        return false;
    const CodeId holder = roomOfSlot(d, w, day, bell, r);
    return holder == 0 || holder == e;
}

// Positions 0.. of the triples ordered by week (store order within a week).
std::vector<int> orderByWeek(const std::vector<ManualTriple> &triples)
{
    std::vector<int> order(triples.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = static_cast<int>(k);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return manualWeek(triples[a].slot) < manualWeek(triples[b].slot);
    });
    return order;
}

int lastTimetableWeek(const ScheduleData &d)
{
    int last = 1;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        if (v.startDay != 0 && v.word != 0)
            last = std::max<int>(last, v.endWeek);
    }
    return last;
}

std::vector<CodeId> roomsInOrder(const ScheduleData &d)
{
    std::vector<CodeId> rooms;
    const int n = std::min<int>(d.resourceList[0], MaxCodes);
    for (int k = 1; k <= n; ++k)
        if (isRoom(d, d.resourceList[k]))
            rooms.push_back(d.resourceList[k]);
    return rooms;
}

} // namespace

int manualTripleCount(const ScheduleData &d)
{
    return wordsInUse(d) / 3;
}

ManualTriple manualTriple(const ScheduleData &d, int k)
{
    if (k < 1 || k > manualTripleCount(d))
        return {};
    const int i = 3 * (k - 1) + 1;
    return {d.manualRooms[i], d.manualRooms[i + 1], d.manualRooms[i + 2]};
}

std::uint8_t includedEventCategories(const ScheduleData &d)
{
    const int mask = d.manualRoomSettings[0] & 0x7F;
    return static_cast<std::uint8_t>(mask == 0 ? 0x7F : mask);
}

void setIncludedEventCategories(ScheduleData &d, std::uint8_t mask)
{
    mask &= 0x7F;
    d.manualRoomSettings[0] = mask == 0 ? 255 : mask;
    d.modified = true;
}

WeekSpan includedWeeks(const ScheduleData &d)
{
    const int used = std::clamp(usedWeeks(d), 1, MaxWeeks);
    WeekSpan span;
    span.first = std::clamp<int>(d.manualRoomSettings[4], 1, used);
    // 0 is what a new data set holds: all weeks in use.
    const int last = d.manualRoomSettings[7] == 0 ? used : d.manualRoomSettings[7];
    span.last = std::clamp(last, span.first, used);
    return span;
}

void setIncludedWeeks(ScheduleData &d, int first, int last)
{
    const int used = std::clamp(usedWeeks(d), 1, MaxWeeks);
    first = std::clamp(first, 1, used);
    last = std::clamp(last, first, used);
    d.manualRoomSettings[4] = static_cast<std::uint8_t>(first);
    d.manualRoomSettings[7] = static_cast<std::uint8_t>(last);
    d.modified = true;
}

int findTriple(const ScheduleData &d, int week, int day, int bell, int skip, int room, int event)
{
    const std::uint16_t slot = manualSlot(week, day, bell);
    const int n = manualTripleCount(d);
    for (int k = std::max(skip + 1, 1); k <= n; ++k) {
        const int i = 3 * (k - 1) + 1;
        if (week != 0 && d.manualRooms[i] != slot)
            continue;
        if (room != 0 && d.manualRooms[i + 2] != room)
            continue;
        if (event != 0 && d.manualRooms[i + 1] != event)
            continue;
        return k;
    }
    return 0;
}

CodeId roomOfSlot(const ScheduleData &d, int week, int day, int bell, int room)
{
    if (room == 0 || week < 1 || week > MaxWeeks || day < 1 || day > MaxDays || bell < 1 ||
        bell > MaxBells)
        return 0;
    const int k = findTriple(d, week, day, bell, 0, room, 0);
    return k == 0 ? 0 : manualTriple(d, k).event;
}

bool hasRoomResource(const ScheduleData &d, int event)
{
    const MemberList members = collectionOf(d, static_cast<CodeId>(event));
    return countInCategory(d, d.roomsCategory, members) > 0;
}

ManualRoomUsage manualRoomUsage(const ScheduleData &d)
{
    ManualRoomUsage usage;
    usage.perRoom.assign(static_cast<std::size_t>(d.codeCount) + 1, 0);
    for (const ManualTriple &t : readTriples(d)) {
        if (t.room == 0) {
            ++usage.empty;
            continue;
        }
        ++usage.assigned;
        if (validCode(d, t.room))
            ++usage.perRoom[t.room];
    }
    return usage;
}

int normaliseManualRooms(ScheduleData &d, int w1, int w2, int roomFilter)
{
    std::vector<ManualTriple> triples = readTriples(d);
    const std::uint8_t categories = includedEventCategories(d);
    const auto inScope = [&](const ManualTriple &t) {
        const int w = manualWeek(t.slot);
        return w >= w1 && w <= w2 && (roomFilter == 0 || t.room == roomFilter);
    };
    std::vector<std::int8_t> roomResource(static_cast<std::size_t>(d.codeCount) + 1, -1);
    const auto eventHasRoom = [&](CodeId e) {
        if (roomResource[e] < 0)
            roomResource[e] = hasRoomResource(d, e) ? 1 : 0;
        return roomResource[e] == 1;
    };

    bool changed = false;
    std::vector<bool> drop(triples.size(), false);
    std::unordered_set<std::uint32_t> roomTaken;         // (slot, room)
    std::unordered_map<std::uint32_t, std::size_t> seen; // (slot, event) -> surviving triple
    for (std::size_t k = 0; k < triples.size(); ++k) {
        ManualTriple &t = triples[k];
        if (isVoid(d, t)) {
            drop[k] = true;
            continue;
        }
        if (!inScope(t))
            continue;
        if (eventHasRoom(t.event)) {
            drop[k] = true;
            continue;
        }
        if (roomFilter == 0) {
            const int category = categoryOf(d, t.event);
            if (category >= 1 && !(categories & (1 << (category - 1)))) {
                drop[k] = true;
                continue;
            }
        }
        if (t.room != 0 && !isResourceCode(d, t.room)) {
            t.room = 0;
            changed = true;
        }
        // A room holds one event per slot: the earlier triple keeps it.
        if (t.room != 0 && roomTaken.count(slotEventKey(t.slot, t.room))) {
            t.room = 0;
            changed = true;
        }
        // One triple per slot and event; the one that holds a room survives.
        const auto [it, fresh] = seen.emplace(slotEventKey(t.slot, t.event), k);
        if (!fresh) {
            if (triples[it->second].room == 0 && t.room != 0) {
                drop[it->second] = true;
                it->second = k;
            } else {
                drop[k] = true;
                continue;
            }
        }
        if (t.room != 0)
            roomTaken.insert(slotEventKey(t.slot, t.room));
    }

    std::vector<ManualTriple> kept;
    kept.reserve(triples.size());
    int keptInScope = 0;
    for (std::size_t k = 0; k < triples.size(); ++k) {
        if (drop[k]) {
            changed = true;
            continue;
        }
        kept.push_back(triples[k]);
        if (inScope(triples[k]))
            ++keptInScope;
    }
    if (changed) {
        writeTriples(d, kept);
        d.modified = true;
    }
    return keptInScope;
}

int countOutsideWeeks(const ScheduleData &d, int w1, int w2)
{
    int n = 0;
    for (const ManualTriple &t : readTriples(d)) {
        const int w = manualWeek(t.slot);
        n += w < w1 || w > w2 ? 1 : 0;
    }
    return n;
}

int dropOutsideWeeks(ScheduleData &d, int w1, int w2)
{
    std::vector<ManualTriple> triples = readTriples(d);
    const auto before = triples.size();
    std::erase_if(triples, [&](const ManualTriple &t) {
        const int w = manualWeek(t.slot);
        return w < w1 || w > w2;
    });
    const int dropped = static_cast<int>(before - triples.size());
    if (dropped > 0) {
        writeTriples(d, triples);
        d.modified = true;
    }
    return dropped;
}

SlotListResult buildSlotList(ScheduleData &d, int w1, int w2, int firstEvent, int lastEvent)
{
    const int used = std::clamp(usedWeeks(d), 1, MaxWeeks);
    w1 = std::clamp(w1, 1, used);
    w2 = std::clamp(w2, w1, used);
    normaliseManualRooms(d, w1, w2, 0);

    std::unordered_set<std::uint32_t> existing;
    for (const ManualTriple &t : readTriples(d))
        existing.insert(slotEventKey(t.slot, t.event));

    SlotListResult result;
    const std::uint8_t categories = includedEventCategories(d);
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    const int first = std::max(firstEvent, 1);
    const int last = lastEvent == 0 ? count : std::min(lastEvent, count);
    WeekAllocation wa;
    for (int p = first; p <= last; ++p) {
        const CodeId e = d.eventList[p];
        if (!isEventCode(d, e) || d.codes[e].scheduled == 0 || d.codes[e].collectionPos == 0 ||
            collectionOf(d, e)[0] == 0 || hasRoomResource(d, e))
            continue;
        const int category = categoryOf(d, e);
        if (category >= 1 && !(categories & (1 << (category - 1))))
            continue;
        loadWeekAllocation(d, e, wa);
        for (const LectureView &v : wa.timetable) {
            if (isBookingWord(v.word) || !validTimetableLecture(d, v))
                continue;
            for (int w = std::max<int>(v.startWeek, w1); w <= std::min<int>(v.endWeek, w2); ++w)
                for (int day = v.startDay; day <= v.endDay; ++day)
                    for (int bell = v.startBell; bell <= v.endBell; ++bell) {
                        const std::uint16_t slot = manualSlot(w, day, bell);
                        if (!existing.insert(slotEventKey(slot, e)).second)
                            continue;
                        if (appendTriple(d, {slot, e, 0})) {
                            ++result.added;
                            d.modified = true;
                        } else {
                            ++result.missing;
                        }
                    }
        }
    }
    result.used = manualTripleCount(d);
    return result;
}

void sortTriples(ScheduleData &d, TripleKey key)
{
    std::vector<ManualTriple> triples = readTriples(d);
    const auto word = [key](const ManualTriple &t) {
        switch (key) {
        case TripleKey::Slot:
            return t.slot;
        case TripleKey::Event:
            return t.event;
        case TripleKey::Room:
            return t.room;
        }
        return t.slot;
    };
    std::stable_sort(
        triples.begin(), triples.end(),
        [&](const ManualTriple &a, const ManualTriple &b) { return word(a) < word(b); });
    writeTriples(d, triples);
}

std::vector<CodeId> availableRoomsForBlock(const ScheduleData &d, int e, int w, int day,
                                           int firstBell, int lastBell)
{
    std::vector<CodeId> out;
    if (!isEventCode(d, static_cast<CodeId>(e)) || w < 1 || w > MaxWeeks || day < 1 ||
        day > MaxDays || firstBell < 1 || lastBell > MaxBells || firstBell > lastBell)
        return out;
    WeekCache cache(d);
    for (CodeId r : roomsInOrder(d)) {
        bool free = true;
        for (int bell = firstBell; bell <= lastBell && free; ++bell)
            free = roomFree(d, cache, e, r, w, day, bell);
        if (free)
            out.push_back(r);
    }
    return out;
}

std::vector<CodeId> availableRooms(const ScheduleData &d, int e, int w, int day, int bell)
{
    return availableRoomsForBlock(d, e, w, day, bell, bell);
}

std::vector<CodeId> roomsThatCanJoin(const ScheduleData &d, int e, int from)
{
    std::vector<CodeId> out;
    if (!isEventCode(d, static_cast<CodeId>(e)))
        return out;
    OccupancyMap eventMap, roomMap;
    int rebuild = 3;
    for (CodeId r : roomsInOrder(d)) {
        if (canJoin(d, static_cast<CodeId>(e), r, true, std::max(from, 1), rebuild, eventMap,
                    roomMap))
            out.push_back(r);
        rebuild = 1;
    }
    return out;
}

AssignOutcome assignRoom(ScheduleData &d, int e, int w, int day, int bell, int room)
{
    if (!isEventCode(d, static_cast<CodeId>(e)) || !isRoom(d, room) || w < 1 || w > MaxWeeks ||
        day < 1 || day > MaxDays || bell < 1 || bell > MaxBells || hasRoomResource(d, e))
        return AssignOutcome::Invalid;
    WeekCache cache(d);
    cache.setWeek(w);
    if (eventInCell(d, cache.of(e), day, bell) != e)
        return AssignOutcome::NotPlaced;
    const int k = findTriple(d, w, day, bell, 0, 0, e);
    if (k != 0 && manualTriple(d, k).room == room)
        return AssignOutcome::Unchanged;
    if (!roomFree(d, cache, e, room, w, day, bell))
        return AssignOutcome::NotAvailable;
    if (k != 0) {
        d.manualRooms[3 * (k - 1) + 3] = static_cast<std::uint16_t>(room);
    } else if (!appendTriple(d, {manualSlot(w, day, bell), static_cast<CodeId>(e),
                                 static_cast<CodeId>(room)})) {
        return AssignOutcome::Full;
    }
    d.modified = true;
    return AssignOutcome::Assigned;
}

int clearRooms(ScheduleData &d, int week, int day, int bell, int event)
{
    int cleared = 0;
    const int n = manualTripleCount(d);
    for (int k = 1; k <= n; ++k) {
        const int i = 3 * (k - 1) + 1;
        const std::uint16_t slot = d.manualRooms[i];
        if ((week != 0 && manualWeek(slot) != week) || (day != 0 && manualDay(slot) != day) ||
            (bell != 0 && manualBell(slot) != bell) ||
            (event != 0 && d.manualRooms[i + 1] != event))
            continue;
        if (d.manualRooms[i + 2] != 0) {
            d.manualRooms[i + 2] = 0;
            ++cleared;
        }
    }
    if (cleared > 0)
        d.modified = true;
    normaliseManualRooms(d, 1, MaxWeeks, 0);
    return cleared;
}

int copyRoomToWeeks(ScheduleData &d, int e, int source, int first, int last, bool overwrite)
{
    if (!isEventCode(d, static_cast<CodeId>(e)))
        return 0;
    first = std::max(first, 1);
    last = std::min(last, MaxWeeks);
    std::vector<ManualTriple> sources;
    for (const ManualTriple &t : readTriples(d))
        if (t.event == e && t.room != 0 && manualWeek(t.slot) == source && validSlot(t.slot))
            sources.push_back(t);

    int changed = 0;
    WeekCache cache(d);
    for (int w = first; w <= last; ++w) {
        if (w == source)
            continue;
        cache.setWeek(w);
        for (const ManualTriple &s : sources) {
            const int day = manualDay(s.slot), bell = manualBell(s.slot);
            // Only where the event is placed and the room is free for it.
            if (eventInCell(d, cache.of(e), day, bell) != e ||
                !roomFree(d, cache, e, s.room, w, day, bell))
                continue;
            const int k = findTriple(d, w, day, bell, 0, 0, e);
            if (k != 0) {
                const int at = 3 * (k - 1) + 3;
                if (overwrite && d.manualRooms[at] != s.room) {
                    d.manualRooms[at] = s.room;
                    ++changed;
                }
            } else if (appendTriple(d, {manualSlot(w, day, bell), s.event, s.room})) {
                ++changed;
            }
        }
    }
    if (changed > 0)
        d.modified = true;
    return changed;
}

int validityCleanup(ScheduleData &d, int w1, int w2)
{
    const std::vector<ManualTriple> triples = readTriples(d);
    int dropped = 0;
    WeekCache cache(d);
    for (int k : orderByWeek(triples)) {
        const ManualTriple &t = triples[k];
        const int w = manualWeek(t.slot);
        if (w < w1 || w > w2 || isVoid(d, t))
            continue;
        cache.setWeek(w);
        const int day = manualDay(t.slot), bell = manualBell(t.slot);
        const bool stale = d.codes[t.event].scheduled == 0 ||
                           eventInCell(d, cache.of(t.event), day, bell) != t.event ||
                           (t.room != 0 && cache.of(t.room).cell(day, bell) != 0);
        if (stale) {
            d.manualRooms[3 * k + 1] = 0; // void; the normalisation below drops it
            ++dropped;
        }
    }
    if (dropped > 0)
        d.modified = true;
    normaliseManualRooms(d, w1, w2, 0);
    return dropped;
}

int manualRoomOverlaps(ScheduleData &d, int w1, int w2, bool remove)
{
    const std::vector<ManualTriple> triples = readTriples(d);
    int overlaps = 0;
    WeekCache cache(d);
    for (int k : orderByWeek(triples)) {
        const ManualTriple &t = triples[k];
        const int w = manualWeek(t.slot);
        if (w < w1 || w > w2 || isVoid(d, t))
            continue;
        cache.setWeek(w);
        const int day = manualDay(t.slot), bell = manualBell(t.slot);
        bool overlap = false;
        const MemberList members = collectionOf(d, t.event);
        for (int m = 1; m <= members[0] && !overlap; ++m) {
            if (!isTimetabledResource(d, members[m]))
                continue;
            const CodeId other = eventInCell(d, cache.of(members[m]), day, bell);
            overlap = other != 0 && other != t.event;
        }
        if (!overlap && t.room != 0)
            overlap =
                roomOfSlot(d, w, day, bell, t.room) != eventInCell(d, cache.of(t.event), day, bell);
        if (!overlap)
            continue;
        ++overlaps;
        if (remove)
            d.manualRooms[3 * k + 1] = 0;
    }
    if (remove && overlaps > 0) {
        d.modified = true;
        normaliseManualRooms(d, w1, w2, 0);
    }
    return overlaps;
}

CompactResult compactManualRooms(ScheduleData &d, ManualRoomDialogue &dialogue)
{
    CompactResult result;
    const int lastWeek = lastTimetableWeek(d);
    normaliseManualRooms(d, 1, lastWeek, 0);
    const ManualRoomUsage before = manualRoomUsage(d);
    result.assignedBefore = result.assignedAfter = before.assigned;
    result.emptyBefore = result.emptyAfter = before.empty;
    if (!dialogue.confirmCompact(before.assigned, before.empty, ManualRoomCapacity)) {
        result.cancelled = true;
        return result;
    }
    sortTriples(d, TripleKey::Event);

    // Events all of whose triples name one room, in event order.
    std::map<CodeId, std::pair<CodeId, int>> single; // event -> (room or 0 when mixed, triples)
    for (const ManualTriple &t : readTriples(d)) {
        auto it = single.emplace(t.event, std::pair<CodeId, int>{t.room, 0}).first;
        if (it->second.first != t.room)
            it->second.first = 0;
        ++it->second.second;
    }

    bool all = false;
    for (const auto &[e, roomAndCount] : single) {
        const auto [room, triples] = roomAndCount;
        if (room == 0 || !isEventCode(d, e) || !isRoom(d, room))
            continue;
        if (!all) {
            const ManualRoomDialogue::Answer a = dialogue.askAddRoom(e, room, triples);
            if (a == ManualRoomDialogue::Answer::Cancel) {
                result.cancelled = true;
                break;
            }
            if (a == ManualRoomDialogue::Answer::No)
                continue;
            all = a == ManualRoomDialogue::Answer::All;
        }
        // The room becomes a resource only when it fits and conflicts nowhere; the triples go
        // only when it did.
        MemberList members = collectionOf(d, e);
        if (members[0] >= MaxMembers || !canJoin(d, e, room, true, 1))
            continue;
        members[++members[0]] = room;
        if (setCollection(d, e, members) == 0)
            continue;
        for (int k = 1; k <= manualTripleCount(d); ++k)
            if (d.manualRooms[3 * (k - 1) + 2] == e)
                d.manualRooms[3 * (k - 1) + 1] = 0;
        result.eventsRemoved.push_back(e);
    }
    if (!result.eventsRemoved.empty())
        d.modified = true;
    normaliseManualRooms(d, 1, lastWeek, 0);
    const ManualRoomUsage after = manualRoomUsage(d);
    result.assignedAfter = after.assigned;
    result.emptyAfter = after.empty;
    dialogue.inform(compactSummaryText(d, result));
    return result;
}

ImitateResult imitateRooms(ScheduleData &d, ManualRoomDialogue &dialogue)
{
    ImitateResult result;
    const std::vector<ManualTriple> triples = readTriples(d);
    std::map<std::pair<CodeId, CodeId>, int> uses;
    std::map<CodeId, int> waiting;
    for (const ManualTriple &t : triples) {
        if (isVoid(d, t))
            continue;
        if (t.room == 0) {
            ++waiting[t.event];
            ++result.waitingBefore;
        } else if (uses.size() < MaxCombinations || uses.count({t.event, t.room})) {
            ++uses[{t.event, t.room}];
        }
    }
    std::vector<RoomCombination> combinations;
    for (const auto &[key, n] : uses)
        combinations.push_back({key.first, key.second, n, waiting[key.first], false});
    std::stable_sort(combinations.begin(), combinations.end(),
                     [](const RoomCombination &a, const RoomCombination &b) {
                         return a.event != b.event ? a.event < b.event : a.uses > b.uses;
                     });
    result.combinations = static_cast<int>(combinations.size());
    if (combinations.empty()) {
        dialogue.inform("No event and room combinations found. Assign some events to some rooms "
                        "and select \"Imitate\" again.");
        return result;
    }
    if (!dialogue.chooseCombinations(combinations, result.waitingBefore)) {
        result.cancelled = true;
        return result;
    }

    WeekCache cache(d);
    for (int k : orderByWeek(triples)) {
        const ManualTriple &t = triples[k];
        if (t.room != 0 || isVoid(d, t))
            continue;
        const int w = manualWeek(t.slot), day = manualDay(t.slot), bell = manualBell(t.slot);
        for (const RoomCombination &c : combinations) {
            if (c.event != t.event || !c.accepted || !isRoom(d, c.room) ||
                !roomFree(d, cache, t.event, c.room, w, day, bell))
                continue;
            d.manualRooms[3 * k + 3] = c.room;
            ++result.assigned;
            break;
        }
    }
    if (result.assigned > 0) {
        d.modified = true;
        dialogue.inform(std::to_string(result.assigned) + " of the remaining " +
                        std::to_string(result.waitingBefore) + " slots were assigned to rooms.");
    } else {
        dialogue.inform("None of the remaining " + std::to_string(result.waitingBefore) +
                        " slots were assigned to rooms.");
    }
    return result;
}

std::string capacityText(int used)
{
    return "You can select at most " + std::to_string(ManualRoomCapacity) + " periods manually (" +
           std::to_string(used) +
           " used).\r\nYou can select fewer weeks with \"First/Last included week\".";
}

std::string compactSummaryText(const ScheduleData &d, const CompactResult &result)
{
    if (result.eventsRemoved.empty())
        return "None of the manual room assignments could be compacted.";
    std::string text = "List of events removed from this view:\r\n";
    for (CodeId e : result.eventsRemoved)
        text += std::string(d.codes[e].code.view()) + "\r\n";
    const int change =
        result.assignedBefore + result.emptyBefore - result.assignedAfter - result.emptyAfter;
    text += "You have now " + std::to_string(result.assignedAfter) + " assigned + " +
            std::to_string(result.emptyAfter) + " empty slots (change " + std::to_string(change) +
            ", " + std::to_string(result.eventsRemoved.size()) + " events removed).";
    return text;
}

} // namespace quivra
