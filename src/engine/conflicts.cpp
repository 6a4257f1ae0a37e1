#include "engine/conflicts.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/manualrooms.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace quivra {

namespace {

bool isTimetabledResource(const ScheduleData &d, int c)
{
    return validCode(d, c) && !d.codes[c].isEvent() && !(d.codes[c].flags & NoTimetableBit);
}

std::int16_t kindAt(const WeekAllocation &wa, std::size_t i)
{
    return i < wa.timetableKinds.size() ? wa.timetableKinds[i] : std::int16_t{0};
}

bool coversWeek(const LectureView &v, int w)
{
    return v.startWeek <= w && w <= v.endWeek;
}

// Whether two maps share a cell from week `from` on.
bool intersects(const OccupancyMap &a, const OccupancyMap &b, int from)
{
    const int w0 = std::max({from, 1, a.firstWeek, b.firstWeek});
    const int w1 = std::min(a.lastWeek, b.lastWeek);
    const int d0 = std::max({1, a.firstDay, b.firstDay});
    const int d1 = std::min(a.lastDay, b.lastDay);
    for (int w = w0; w <= w1; ++w)
        for (int day = d0; day <= d1; ++day)
            if (a.mask(w, day) & b.mask(w, day))
                return true;
    return false;
}

void unite(OccupancyMap &target, const OccupancyMap &source)
{
    if (source.empty())
        return;
    for (int w = source.firstWeek; w <= source.lastWeek; ++w)
        for (int day = source.firstDay; day <= source.lastDay; ++day)
            if (const std::uint32_t m = source.mask(w, day))
                target.add(w, day, m);
}

// Clears from `target` (weeks from..) every cell set in `other`; returns the cells cleared.
int subtract(OccupancyMap &target, const OccupancyMap &other, int from)
{
    int cleared = 0;
    const int w0 = std::max({from, 1, target.firstWeek, other.firstWeek});
    const int w1 = std::min(target.lastWeek, other.lastWeek);
    const int d0 = std::max({1, target.firstDay, other.firstDay});
    const int d1 = std::min(target.lastDay, other.lastDay);
    for (int w = w0; w <= w1; ++w)
        for (int day = d0; day <= d1; ++day) {
            std::uint32_t &m = target.maskRef(w, day);
            const std::uint32_t common = m & other.mask(w, day);
            if (common) {
                cleared += std::popcount(common);
                m &= ~common;
            }
        }
    return cleared;
}

// What a sweep reads many times, gathered once: every code's timetable lectures (so an event
// is not looked up in the whole store for each of its resources), the events of each resource
// in eventList order, and reusable maps so a resource pass allocates nothing per event.
struct SweepWork
{
    std::vector<int> offset; // code c's lectures are [offset[c], offset[c + 1])
    std::vector<LectureView> lectures;
    std::vector<std::int16_t> kinds;
    // Timetables reduced during the sweep, written back together by flush().
    std::vector<std::vector<LectureView>> replaced;
    std::vector<std::vector<std::int16_t>> replacedKinds;
    std::vector<char> isReplaced;
    std::vector<int> lost; // cells each reduced event loses, once flush() has stored it
    std::vector<CodeId> pending;
    std::vector<std::vector<CodeId>> users; // events of each resource, eventList order
    std::vector<OccupancyMap> maps;
    OccupancyMap accumulated;
    WeekAllocation wa;

    void prepare(ScheduleData &d)
    {
        const auto codes = static_cast<std::size_t>(d.codeCount) + 2;
        offset.assign(codes, 0);
        replaced.assign(codes, {});
        replacedKinds.assign(codes, {});
        isReplaced.assign(codes, 0);
        lost.assign(codes, 0);
        pending.clear();
        users.assign(codes, {});
        const SlotCoding &k = d.coding;
        const int n = std::min(d.lectureCount, MaxLectures);
        auto viewAt = [&](int i) {
            LectureView v;
            v.word = d.lectureWord[i];
            v.startWeek = static_cast<std::uint8_t>(k.weekOf(d.lectureStart[i]));
            v.startDay = static_cast<std::uint8_t>(k.dayOf(d.lectureStart[i]));
            v.startBell = static_cast<std::uint8_t>(k.bellOf(d.lectureStart[i]));
            v.endWeek = static_cast<std::uint8_t>(k.weekOf(d.lectureEnd[i]));
            v.endDay = static_cast<std::uint8_t>(k.dayOf(d.lectureEnd[i]));
            v.endBell = static_cast<std::uint8_t>(k.bellOf(d.lectureEnd[i]));
            return v;
        };
        auto wanted = [&](int i, CodeId &c) {
            if (d.lectureWord[i] == 0 || k.dayOf(d.lectureStart[i]) == 0)
                return false;
            c = lectureCode(d, d.lectureWord[i]);
            return validCode(d, c);
        };
        for (int i = 1; i <= n; ++i)
            if (CodeId c; wanted(i, c))
                ++offset[c + 1];
        for (std::size_t c = 1; c < codes; ++c)
            offset[c] += offset[c - 1];
        lectures.assign(static_cast<std::size_t>(offset[codes - 1]), {});
        kinds.assign(lectures.size(), 0);
        std::vector<int> fill(offset.begin(), offset.end());
        for (int i = 1; i <= n; ++i)
            if (CodeId c; wanted(i, c)) {
                const auto at = static_cast<std::size_t>(fill[c]++);
                lectures[at] = viewAt(i);
                kinds[at] = static_cast<std::int16_t>(d.bookingKind[i] & 0xFF);
            }

        std::vector<int> rank(codes, 0);
        int next = 0;
        const int listed = std::min<int>(d.eventList[0], MaxCodes);
        for (int i = 1; i <= listed; ++i)
            if (validCode(d, d.eventList[i]) && rank[d.eventList[i]] == 0)
                rank[d.eventList[i]] = ++next;
        for (int e = 1; e <= d.codeCount; ++e)
            if (d.codes[e].isEvent() && rank[e] == 0)
                rank[e] = ++next;
        std::vector<CodeId> byRank(static_cast<std::size_t>(next) + 1, 0);
        for (int e = 1; e <= d.codeCount; ++e)
            if (d.codes[e].isEvent())
                byRank[rank[e]] = static_cast<CodeId>(e);
        for (int i = 1; i <= next; ++i) {
            const CodeId e = byRank[i];
            const MemberList members = collectionOf(d, e);
            const int count = std::min<int>(members[0], MaxMembers);
            for (int m = 1; m <= count; ++m) {
                const CodeId r = members[m];
                if (validCode(d, r) && (users[r].empty() || users[r].back() != e))
                    users[r].push_back(e);
            }
        }
    }

    // Whether event e has placed periods, as its Scheduled says; an event that only holds
    // bookings of its own takes no cell from anyone. A timetable reduced in this sweep counts
    // as stored.
    bool hasPeriods(const ScheduleData &d, CodeId e) const
    {
        if (!isReplaced[e])
            return d.codes[e].scheduled > 0;
        return std::any_of(replaced[e].begin(), replaced[e].end(),
                           [](const LectureView &v) { return !isBookingWord(v.word); });
    }

    // Fills `map` (reset) with event e's timetable cells.
    void buildEventMap(const ScheduleData &d, CodeId e, OccupancyMap &map) const
    {
        auto enter = [&](const LectureView &v) {
            if (!validTimetableLecture(d, v))
                return;
            const std::uint32_t m = bellMask(v.startBell, v.endBell);
            for (int w = v.startWeek; w <= v.endWeek; ++w)
                for (int day = v.startDay; day <= v.endDay; ++day)
                    map.add(w, day, m);
        };
        if (isReplaced[e]) {
            for (const LectureView &v : replaced[e])
                enter(v);
            return;
        }
        for (int i = offset[e]; i < offset[e + 1]; ++i)
            enter(lectures[static_cast<std::size_t>(i)]);
    }

    OccupancyMap &mapAt(const ScheduleData &d, std::size_t i)
    {
        if (maps.size() <= i)
            maps.resize(i + 1);
        maps[i].reset(d);
        return maps[i];
    }
};

// Keeps only the cells of `keep` in every timetable group of e; the result waits in `work`
// until flush() writes it.
void reduceEvent(const ScheduleData &d, CodeId e, const OccupancyMap &keep, SweepWork &work)
{
    WeekAllocation &wa = work.wa;
    wa.code = e;
    if (work.isReplaced[e]) {
        wa.timetable = work.replaced[e];
        wa.timetableKinds = work.replacedKinds[e];
    } else {
        const auto first = work.lectures.begin() + work.offset[e];
        const auto last = work.lectures.begin() + work.offset[e + 1];
        wa.timetable.assign(first, last);
        wa.timetableKinds.assign(work.kinds.begin() + work.offset[e],
                                 work.kinds.begin() + work.offset[e + 1]);
        work.pending.push_back(e);
    }
    rebuildTimetable(d, wa, 0, [&](std::uint16_t, std::int16_t, OccupancyMap &m) {
        if (m.empty())
            return;
        for (int w = m.firstWeek; w <= m.lastWeek; ++w)
            for (int day = m.firstDay; day <= m.lastDay; ++day)
                m.maskRef(w, day) &= keep.mask(w, day);
    });
    work.replaced[e] = wa.timetable;
    work.replacedKinds[e] = wa.timetableKinds;
    work.isReplaced[e] = 1;
}

// Writes the reduced timetables back. Only timetable lectures change (allocations and week
// bookings stay where they are), so all of them are replaced in one go with two compactions
// instead of one store per event. When the store could not take them all, each event is
// stored on its own, and one that does not fit keeps its old lectures. Returns the cells
// really removed: those of the events stored.
int flush(ScheduleData &d, SweepWork &work)
{
    if (work.pending.empty())
        return 0;
    const SlotCoding &k = d.coding;
    std::vector<char> mine(static_cast<std::size_t>(d.codeCount) + 1, 0);
    int needed = 0;
    for (CodeId e : work.pending) {
        mine[e] = 1;
        needed += static_cast<int>(work.replaced[e].size());
    }
    int reusable = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        const CodeId c = lectureCode(d, word);
        if (word == 0 || !validCode(d, c) || (mine[c] && k.dayOf(d.lectureStart[i]) != 0))
            ++reusable;
    }
    int removed = 0;
    if (needed > MaxLectures - d.lectureCount + reusable) {
        for (CodeId e : work.pending) {
            reloadWeekAllocation(d, e, work.wa);
            work.wa.timetable = work.replaced[e];
            work.wa.timetableKinds = work.replacedKinds[e];
            // A refused store writes nothing and leaves the event as it was.
            if (storeWeekAllocation(d, e, work.wa) > 0)
                removed += work.lost[e];
        }
        work.pending.clear();
        return removed;
    }
    d.modified = true;
    for (int i = 1; i <= d.lectureCount; ++i) {
        const CodeId c = lectureCode(d, d.lectureWord[i]);
        if (validCode(d, c) && mine[c] && k.dayOf(d.lectureStart[i]) != 0)
            d.lectureWord[i] = 0;
    }
    compactLectures(d);
    const int cap = std::clamp(k.slotsPerWeek, 1, 255);
    for (CodeId e : work.pending) {
        const auto &list = work.replaced[e];
        std::array<int, WeekTableSize> cells{};
        for (std::size_t i = 0; i < list.size(); ++i) {
            const LectureView &v = list[i];
            const int kind = i < work.replacedKinds[e].size() ? work.replacedKinds[e][i] : 0;
            appendLecture(d, v, isBookingWord(v.word) ? std::max(kind & 0xFF, 1) : 0);
            if (isBookingWord(v.word))
                continue;
            for (int w = v.startWeek; w <= v.endWeek; ++w)
                cells[w] = std::min(cap, cells[w] + (v.endDay - v.startDay + 1) *
                                                        (v.endBell - v.startBell + 1));
        }
        std::int64_t scheduled = 0;
        for (int w = 1; w <= MaxWeeks; ++w)
            scheduled += std::int64_t{cells[w]} * std::max<int>(d.weeks[w].length, 1);
        d.codes[e].scheduled = static_cast<std::uint16_t>(std::min<std::int64_t>(scheduled, 65535));
        removed += work.lost[e];
    }
    compactLectures(d);
    work.pending.clear();
    return removed;
}

ResourceConflicts resolveWith(ScheduleData &d, CodeId r, int from, SweepWork &work)
{
    ResourceConflicts result;
    if (!isTimetabledResource(d, r) || static_cast<std::size_t>(r) >= work.users.size())
        return result;
    const std::vector<CodeId> &events = work.users[r];
    if (events.size() < 2)
        return result;

    // Each event's own cells, built once for this resource.
    std::vector<CodeId> owners;
    std::size_t n = 0;
    for (CodeId e : events) {
        if (!work.hasPeriods(d, e))
            continue;
        OccupancyMap &m = work.mapAt(d, n);
        work.buildEventMap(d, e, m);
        if (m.empty())
            continue;
        owners.push_back(e);
        ++n;
    }
    if (n < 2)
        return result;

    // The first conflict in pair order (earlier event outer) is the smallest i whose map meets
    // the union of all later maps, then the first later j it meets.
    OccupancyMap &later = work.accumulated;
    later.reset(d);
    std::size_t firstI = n;
    for (std::size_t i = n; i-- > 0;) {
        if (i + 1 < n && intersects(work.maps[i], later, from))
            firstI = i;
        unite(later, work.maps[i]);
    }
    if (firstI == n)
        return result;
    for (std::size_t j = firstI + 1; j < n; ++j) {
        if (const CellPos pos = findFirstConflict(work.maps[firstI], work.maps[j], from)) {
            result.eventA = owners[firstI];
            result.eventB = owners[j];
            result.first = pos;
            break;
        }
    }

    // Each event loses what the events before it (as already reduced) occupy; the union of
    // the reduced earlier events equals the union of the originals, so one accumulator does.
    // Counting does the same in `work` and only leaves out flush(), so both modes count one
    // measure: the cells the later events lose.
    OccupancyMap &earlier = work.accumulated;
    earlier.reset(d);
    std::vector<std::size_t> reduced;
    for (std::size_t j = 0; j < n; ++j) {
        if (j > 0) {
            const int cleared = subtract(work.maps[j], earlier, from);
            if (cleared > 0) {
                result.cleared += cleared;
                work.lost[owners[j]] += cleared;
                reduced.push_back(j);
            }
        }
        unite(earlier, work.maps[j]);
    }
    for (std::size_t j : reduced)
        reduceEvent(d, owners[j], work.maps[j], work);
    return result;
}

std::vector<CodeId> checkedResources(const ScheduleData &d)
{
    std::vector<CodeId> list;
    const int listed = std::min<int>(d.resourceList[0], MaxCodes);
    if (listed > 0) {
        for (int i = 1; i <= listed; ++i)
            if (isTimetabledResource(d, d.resourceList[i]))
                list.push_back(d.resourceList[i]);
    } else {
        for (int c = 1; c <= d.codeCount; ++c)
            if (isTimetabledResource(d, c))
                list.push_back(static_cast<CodeId>(c));
    }
    return list;
}

// The sweep's passes. `dialogue` (may be null) is asked at the first conflict and given the
// lines; `progress` (may be null) is shown a step after each resource and polled for a stop.
ConflictReport runSweep(ScheduleData &d, int from, bool remove, SweepDialogue *dialogue,
                        Progress *progress)
{
    ConflictReport report;
    if (d.lectureCount <= 0)
        return report;
    const int lastWeek = std::clamp<int>(d.scheduleExtent.endWeek, 1, MaxWeeks);
    from = std::clamp(from, 1, lastWeek);

    const std::vector<CodeId> resources = checkedResources(d);
    NullProgress unseen;
    ProgressRun shown(progress ? *progress : unseen, "Checking for conflicts",
                      static_cast<int>(resources.size()));
    std::vector<char> clean(static_cast<std::size_t>(d.codeCount) + 1, 0);
    SweepWork work;
    work.prepare(d);
    bool collect = false;
    bool asked = false;
    std::string lines;

    for (int pass = 0; pass < 100; ++pass) {
        int clearedThisPass = 0;
        int done = 0;
        for (CodeId r : resources) {
            ++done;
            if (clean[r])
                continue;
            const ResourceConflicts res = resolveWith(d, r, from, work);
            if (res.cleared == 0) {
                clean[r] = 1;
            } else {
                clearedThisPass += res.cleared;
                report.found += res.cleared;
                if (!report.hasFirst) {
                    report.hasFirst = true;
                    report.week = res.first.week;
                    report.day = res.first.day;
                    report.bell = res.first.bell;
                    report.resource = r;
                    report.eventA = res.eventA;
                    report.eventB = res.eventB;
                }
                if (dialogue && !asked) {
                    asked = true;
                    collect = dialogue->offerLines(remove);
                }
                if (collect) {
                    char head[48];
                    std::snprintf(head, sizeof head, "%d\t%d\t%d\t", res.first.week, res.first.day,
                                  res.first.bell);
                    lines += head;
                    lines += formatCode(d, r, ShowCodeAndName) + '\t';
                    lines += formatCode(d, res.eventA, ShowCodeAndName) + '\t';
                    lines += formatCode(d, res.eventB, ShowCodeAndName) + '\t';
                    lines += std::to_string(res.cleared) + "\r\n";
                }
            }
            if (progress) {
                progress->status(
                    sweepProgressText(from, lastWeek, report.found, remove ? report.found : 0));
                progress->step(done);
                if (progress->stopRequested()) {
                    report.stopped = true;
                    break;
                }
            }
        }
        if (clearedThisPass == 0 || report.stopped)
            break;
    }
    report.removed = remove ? flush(d, work) : 0;
    if (collect && dialogue)
        dialogue->deliverLines(lines);
    return report;
}

} // namespace

bool validTimetableLecture(const ScheduleData &d, const LectureView &v)
{
    return v.startWeek >= 1 && v.startWeek <= v.endWeek && v.endWeek <= weekCap(d) &&
           v.startDay >= 1 && v.startDay <= v.endDay && v.endDay <= dayCap(d) && v.startBell >= 1 &&
           v.startBell <= v.endBell && v.endBell <= bellCap(d);
}

std::uint32_t bellMask(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, MaxBells);
    if (first > last)
        return 0;
    const int len = last - first + 1;
    return ((len >= 32 ? 0xFFFFFFFFu : (1u << len) - 1u)) << (first - 1);
}

void OccupancyMap::reset(const ScheduleData &d)
{
    if (lastWeek >= firstWeek) {
        const int w0 = std::clamp(firstWeek, 0, MaxWeeks);
        const int w1 = std::clamp(lastWeek, 0, MaxWeeks);
        std::fill(masks.begin() + w0 * MaxDays, masks.begin() + (w1 + 1) * MaxDays, 0u);
    }
    firstBell = bellCap(d);
    lastBell = 0;
    firstDay = dayCap(d);
    lastDay = 0;
    firstWeek = weekCap(d);
    lastWeek = 0;
    owner = 0;
    kind = 0;
}

void OccupancyMap::add(int week, int day, std::uint32_t bells)
{
    if (week < 1 || week > MaxWeeks || day < 1 || day > MaxDays || bells == 0)
        return;
    maskRef(week, day) |= bells;
    firstWeek = std::min(firstWeek, week);
    lastWeek = std::max(lastWeek, week);
    firstDay = std::min(firstDay, day);
    lastDay = std::max(lastDay, day);
    firstBell = std::min(firstBell, std::countr_zero(bells) + 1);
    lastBell = std::max(lastBell, 32 - std::countl_zero(bells));
}

void expandSchedule(const ScheduleData &d, const WeekAllocation &wa, OccupancyMap &map, bool reset)
{
    if (reset)
        map.reset(d);
    bool first = true;
    for (std::size_t i = 0; i < wa.timetable.size(); ++i) {
        const LectureView &v = wa.timetable[i];
        if (!validTimetableLecture(d, v))
            continue;
        if (first) {
            map.owner = v.word;
            map.kind = kindAt(wa, i);
            first = false;
        }
        const std::uint32_t m = bellMask(v.startBell, v.endBell);
        for (int w = v.startWeek; w <= v.endWeek; ++w)
            for (int day = v.startDay; day <= v.endDay; ++day)
                map.add(w, day, m);
    }
}

void countTimetableWeeks(const ScheduleData &d, WeekAllocation &wa)
{
    const int cap = std::clamp(d.coding.slotsPerWeek, 1, 255);
    wa.scheduled.fill(0);
    wa.tableBooked.fill(0);
    for (const LectureView &v : wa.timetable) {
        if (v.word == 0 || !validTimetableLecture(d, v))
            continue;
        const int cells = (v.endDay - v.startDay + 1) * (v.endBell - v.startBell + 1);
        auto &target = isBookingWord(v.word) ? wa.tableBooked : wa.scheduled;
        for (int w = v.startWeek; w <= v.endWeek; ++w)
            target[w] = static_cast<std::uint8_t>(std::min(cap, target[w] + cells));
    }
}

void compressSchedule(const ScheduleData &d, const OccupancyMap &map, WeekAllocation &wa,
                      bool reset)
{
    if (map.owner == 0)
        return;
    if (reset) {
        wa.timetable.clear();
        wa.timetableKinds.clear();
    }
    if (!map.empty()) {
        const int w1 = std::min(map.lastWeek, MaxWeeks);
        for (int day = std::max(map.firstDay, 1); day <= std::min(map.lastDay, MaxDays); ++day) {
            for (int w = std::max(map.firstWeek, 1); w <= w1; ++w) {
                const std::uint32_t m = map.mask(w, day);
                if (m == 0)
                    continue;
                int end = w;
                while (end < w1 && map.mask(end + 1, day) == m)
                    ++end;
                int bell = 1;
                while (bell <= MaxBells) {
                    if (!(m & (1u << (bell - 1)))) {
                        ++bell;
                        continue;
                    }
                    int last = bell;
                    while (last < MaxBells && (m & (1u << last)))
                        ++last;
                    LectureView v;
                    v.word = map.owner;
                    v.startWeek = static_cast<std::uint8_t>(w);
                    v.endWeek = static_cast<std::uint8_t>(end);
                    v.startDay = v.endDay = static_cast<std::uint8_t>(day);
                    v.startBell = static_cast<std::uint8_t>(bell);
                    v.endBell = static_cast<std::uint8_t>(last);
                    wa.timetable.push_back(v);
                    wa.timetableKinds.push_back(map.kind);
                    bell = last + 1;
                }
                w = end;
            }
        }
    }
    countTimetableWeeks(d, wa);
    // A compressed schedule counts no more placed periods in a week than it has allocated
    // there; operations that edit through rebuildTimetable recount every cell afterwards.
    for (int w = 1; w <= MaxWeeks; ++w)
        wa.scheduled[w] = std::min(wa.scheduled[w], wa.allocated[w]);
}

namespace {

void loadCode(const ScheduleData &d, CodeId c, WeekAllocation &work, const LectureIndex *index)
{
    if (index)
        loadWeekAllocation(d, c, work, *index);
    else
        reloadWeekAllocation(d, static_cast<CodeId>(c), work);
    work.code = static_cast<CodeId>(validCode(d, c) ? c : 0);
}

void buildOccupancyWith(const ScheduleData &d, CodeId c, OccupancyMap &map, bool reset,
                        WeekAllocation &work, const LectureIndex *index)
{
    if (reset)
        map.reset(d);
    if (!validCode(d, c))
        return;
    loadCode(d, c, work, index);
    expandSchedule(d, work, map, false);
    if (isTimetabledResource(d, c)) {
        int cursor = d.collectionEntryCount + 1;
        while (CodeId e = eventsOfResource(d, c, cursor)) {
            if (!validCode(d, e))
                continue;
            loadCode(d, e, work, index);
            expandSchedule(d, work, map, false);
        }
    }
    map.owner = static_cast<std::uint16_t>(c);
    map.kind = 0;
}

} // namespace

void buildOccupancy(const ScheduleData &d, CodeId c, OccupancyMap &map, bool reset,
                    WeekAllocation &work)
{
    buildOccupancyWith(d, c, map, reset, work, nullptr);
}

void buildOccupancy(const ScheduleData &d, CodeId c, OccupancyMap &map, bool reset,
                    WeekAllocation &work, const LectureIndex &index)
{
    buildOccupancyWith(d, c, map, reset, work, &index);
}

CellPos findFirstConflict(const OccupancyMap &a, const OccupancyMap &b, int from, int *commonCells)
{
    CellPos pos;
    const int w0 = std::max({from, 1, a.firstWeek, b.firstWeek});
    const int w1 = std::min({a.lastWeek, b.lastWeek, MaxWeeks});
    const int d0 = std::max({1, a.firstDay, b.firstDay});
    const int d1 = std::min({a.lastDay, b.lastDay, MaxDays});
    int count = 0;
    for (int w = w0; w <= w1; ++w)
        for (int day = d0; day <= d1; ++day) {
            const std::uint32_t common = a.mask(w, day) & b.mask(w, day);
            if (!common)
                continue;
            if (!pos) {
                pos = {w, day, std::countr_zero(common) + 1};
                if (!commonCells)
                    return pos;
            }
            count += std::popcount(common);
        }
    if (commonCells)
        *commonCells = count;
    return pos;
}

bool canJoin(const ScheduleData &d, CodeId e, CodeId r, bool check, int from, int rebuild,
             OccupancyMap &eventMap, OccupancyMap &resourceMap)
{
    if (!validCode(d, e) || !validCode(d, r))
        return false;
    if (check) {
        const MemberList members = collectionOf(d, e);
        if (positionInList(r, members) > 0 || members[0] >= MaxMembers ||
            d.codes[e].links >= MaxMembers)
            return false;
    }
    WeekAllocation work;
    if (rebuild & 1)
        buildOccupancy(d, r, resourceMap, true, work);
    if (rebuild & 2)
        buildOccupancy(d, e, eventMap, true, work);
    return !findFirstConflict(resourceMap, eventMap, from);
}

bool canJoin(const ScheduleData &d, CodeId e, CodeId r, bool check, int from)
{
    OccupancyMap eventMap, resourceMap;
    return canJoin(d, e, r, check, from, 3, eventMap, resourceMap);
}

namespace {

void enterLectures(const ScheduleData &d, CodeId x, int w, WeekTimetable &t, WeekAllocation &work,
                   bool bookingsOnly, const LectureIndex *index = nullptr)
{
    loadCode(d, x, work, index);
    for (std::size_t i = 0; i < work.timetable.size(); ++i) {
        const LectureView &v = work.timetable[i];
        if (v.word == 0 || !coversWeek(v, w) || !validTimetableLecture(d, v))
            continue;
        const bool booking = isBookingWord(v.word);
        if (bookingsOnly && (!booking || lectureCode(d, v.word) != x))
            continue;
        const CellWord cell = makeCell(v.word, std::max<int>(kindAt(work, i) & 0xFF, 1));
        for (int day = v.startDay; day <= v.endDay; ++day)
            for (int bell = v.startBell; bell <= v.endBell; ++bell) {
                CellWord &target = t.cellRef(day, bell);
                if (!booking && target != 0 && !isBookingCell(target) &&
                    cellLectureWord(target) != v.word && t.hidden[bell][day] == 0) {
                    t.hidden[bell][day] = target;
                    ++t.clashes;
                }
                if (!booking || target == 0)
                    target = cell;
                ++t.writes;
                if (isBookingCell(target))
                    ++t.bookingWrites;
            }
        t.maxEndBell = std::max<int>(t.maxEndBell, v.endBell);
        t.maxEndDay = std::max<int>(t.maxEndDay, v.endDay);
    }
}

} // namespace

namespace {

int weekTimetableWith(const ScheduleData &d, CodeId c, int w, WeekTimetable &t, bool manualRooms,
                      bool forceNoTimetable, const LectureIndex *index,
                      const std::vector<CodeId> *events = nullptr)
{
    t = WeekTimetable{};
    if (w < 1 || w > MaxWeeks || !validCode(d, c))
        return 0;
    t.owner = static_cast<CodeId>(c);
    const bool event = d.codes[c].isEvent();
    if (!event && (d.codes[c].flags & NoTimetableBit) && !forceNoTimetable)
        return 0;

    WeekAllocation work;
    enterLectures(d, c, w, t, work, false, index);
    if (event) {
        if (const int kind = work.booked[w]) {
            const CellWord fill =
                CellBookingBit | CellEventBit | static_cast<CellWord>(kind & 3) << CellKindShift;
            const int days = std::clamp(usedDays(d), 0, dayCap(d));
            const int bells = std::clamp(usedBells(d), 0, bellCap(d));
            for (int day = 1; day <= days; ++day)
                for (int bell = 1; bell <= bells; ++bell) {
                    t.cellRef(day, bell) = fill;
                    ++t.writes;
                    ++t.bookingWrites;
                }
        }
    } else if (events) {
        for (const CodeId e : *events)
            if (validCode(d, e))
                enterLectures(d, e, w, t, work, false, index);
    } else {
        int cursor = d.collectionEntryCount + 1;
        while (CodeId e = eventsOfResource(d, c, cursor))
            if (validCode(d, e))
                enterLectures(d, e, w, t, work, false, index);
    }

    if (manualRooms && !event && categoryOf(d, c) == d.roomsCategory) {
        const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
        for (int i = 1; i + 2 <= words; i += 3) {
            const std::uint16_t slot = d.manualRooms[i];
            if (d.manualRooms[i + 2] != c || (slot >> 8) != w)
                continue;
            const int day = (slot >> 5) & 7;
            const int bell = slot & 31;
            if (day < 1 || day > MaxDays || bell < 1 || bell > MaxBells)
                continue;
            if (t.cell(day, bell) == 0 && t.manualRoom[bell][day] == 0) {
                t.manualRoom[bell][day] = d.manualRooms[i + 1];
                ++t.writes;
            }
        }
    }
    return t.writes;
}

} // namespace

int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t, bool manualRooms,
                    bool forceNoTimetable)
{
    return weekTimetableWith(d, c, w, t, manualRooms, forceNoTimetable, nullptr);
}

int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t,
                    const LectureIndex &index, bool manualRooms, bool forceNoTimetable)
{
    return weekTimetableWith(d, c, w, t, manualRooms, forceNoTimetable, &index);
}

int weekTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t,
                    const LectureIndex &index, const std::vector<CodeId> &events)
{
    return weekTimetableWith(d, c, w, t, false, false, &index, &events);
}

void bookingTimetableOf(const ScheduleData &d, CodeId c, int w, WeekTimetable &t)
{
    t = WeekTimetable{};
    if (w < 1 || w > MaxWeeks || !validCode(d, c))
        return;
    t.owner = static_cast<CodeId>(c);
    WeekAllocation work;
    enterLectures(d, c, w, t, work, true);
}

bool slotBlocked(const ScheduleData &d, CodeId e, int w, int day, int firstBell, int lastBell)
{
    if (!validCode(d, e) || w < 1 || w > MaxWeeks || day < 1 || day > MaxDays)
        return true;
    firstBell = std::max(firstBell, 1);
    lastBell = std::min(lastBell, MaxBells);
    const LectureIndex index(d);
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa, index);
    if (wa.booked[w])
        return true;
    auto busy = [&](const WeekTimetable &t) {
        for (int bell = firstBell; bell <= lastBell; ++bell)
            if (t.cell(day, bell) != 0)
                return true;
        return false;
    };
    WeekTimetable t;
    weekTimetableOf(d, e, w, t, index);
    if (busy(t))
        return true;
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        weekTimetableOf(d, members[i], w, t, index);
        if (busy(t))
            return true;
    }
    return false;
}

std::string slotConflictText(const ScheduleData &d, CodeId e, int w, int day, int bell,
                             const std::string &sep, int nameMode, int cellMode)
{
    std::string text;
    if (!validCode(d, e) || !d.codes[e].isEvent() || w < 1 || w > MaxWeeks || day < 1 ||
        day > MaxDays || bell < 1 || bell > MaxBells)
        return text;
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    const LectureIndex index(d);
    WeekTimetable t;
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        weekTimetableOf(d, members[i], w, t, index);
        const CellWord cell = t.cell(day, bell);
        if (cell == 0)
            continue;
        std::string cellText;
        if (isBookingCell(cell)) {
            const int kind = std::max(cellKind(cell), 1);
            cellText = listItem(d.bookingKinds.view(), kind + ((cell & CellEventBit) ? 0 : 3));
        } else {
            cellText = formatCode(d, cellCode(d, cell), cellMode);
        }
        text += formatCode(d, members[i], nameMode) + " (" + cellText + ")" + sep;
    }
    if (!sep.empty() && text.size() >= sep.size() &&
        text.compare(text.size() - sep.size(), sep.size(), sep) == 0)
        text.erase(text.size() - sep.size());
    return text;
}

ResourceConflicts resolveResourceConflicts(ScheduleData &d, CodeId r, int from, bool remove)
{
    SweepWork work;
    work.prepare(d);
    const ResourceConflicts result = resolveWith(d, r, from, work);
    if (remove)
        flush(d, work);
    return result;
}

int removeAllConflicts(ScheduleData &d, int from, bool remove)
{
    if (d.lectureCount <= 0)
        return 0;
    const std::vector<CodeId> resources = checkedResources(d);
    SweepWork work;
    work.prepare(d);
    int total = 0;
    for (int pass = 0; pass < 100; ++pass) {
        int cleared = 0;
        for (CodeId r : resources)
            cleared += resolveWith(d, r, from, work).cleared;
        total += cleared;
        if (cleared == 0)
            break;
    }
    return remove ? flush(d, work) : total;
}

ConflictReport sweepConflicts(ScheduleData &d, int fromWeek, bool remove)
{
    return runSweep(d, fromWeek, remove, nullptr, nullptr);
}

ConflictReport sweepConflicts(ScheduleData &d, int fromWeek, bool remove, Progress &progress)
{
    return runSweep(d, fromWeek, remove, nullptr, &progress);
}

ConflictReport conflictSweep(ScheduleData &d, SweepStart start, SweepDialogue &dialogue,
                             Progress &progress)
{
    bool remove = true;
    if (start.handling == SweepHandling::Ask) {
        const SweepDialogue::Handling h = dialogue.askHandling();
        if (h == SweepDialogue::Handling::Cancel) {
            ConflictReport none;
            none.cancelled = true;
            return none;
        }
        remove = h == SweepDialogue::Handling::Remove;
    }
    ConflictReport report = runSweep(d, start.fromWeek, remove, &dialogue, &progress);
    if (d.lectureCount > 0)
        report.manualRoomOverlaps =
            manualRoomOverlaps(d, 1, std::max<int>(d.scheduleExtent.endWeek, 1), remove);
    return report;
}

std::string sweepProgressText(int fromWeek, int toWeek, int found, int removed)
{
    return "Checking for conflicts in weeks " + std::to_string(fromWeek) + "-" +
           std::to_string(toWeek) + " - " + std::to_string(found) + " found, " +
           std::to_string(removed) + " removed.";
}

std::string sweepStatusText(const ConflictReport &report)
{
    return std::to_string(report.found) + " conflicting cell(s) found, " +
           std::to_string(report.removed) + " removed.";
}

} // namespace quivra
