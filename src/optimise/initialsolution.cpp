#include "optimise/initialsolution.h"
#include "optimise/completion.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/scheduling.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <memory>
#include <unordered_map>

namespace quivra {

namespace {

// Like std::clamp, but a lower bound above the upper one wins instead of being undefined.
int clampInt(int v, int lo, int hi)
{
    return std::max(lo, std::min(v, hi));
}

int daysInUse(const ScheduleData &d)
{
    return std::clamp(usedDays(d), 0, MaxDays);
}

int bellsInUse(const ScheduleData &d)
{
    return std::clamp(usedBells(d), 0, MaxBells);
}

bool coversWeek(const LectureView &v, int w)
{
    return v.startWeek <= w && w <= v.endWeek;
}

// The range cut to the calendar in use; false when nothing of it is left.
bool usableRange(const ScheduleData &d, const TimeRange &in, TimeRange &out)
{
    out = in;
    out.startWeek = static_cast<std::uint8_t>(std::max<int>(in.startWeek, 1));
    out.endWeek = static_cast<std::uint8_t>(std::min(std::max<int>(in.endWeek, 0), usedWeeks(d)));
    out.startDay = static_cast<std::uint8_t>(std::max<int>(in.startDay, 1));
    out.endDay = static_cast<std::uint8_t>(std::min<int>(in.endDay, daysInUse(d)));
    out.startBell = static_cast<std::uint8_t>(std::max<int>(in.startBell, 1));
    out.endBell = static_cast<std::uint8_t>(std::min<int>(in.endBell, bellsInUse(d)));
    return out.startWeek <= out.endWeek && out.startDay <= out.endDay &&
           out.startBell <= out.endBell;
}

// Per day the bells of the code's period lectures that cover week w.
std::array<std::uint32_t, MaxDays + 1> periodMasks(const ScheduleData &d, const WeekAllocation &wa,
                                                   int w)
{
    std::array<std::uint32_t, MaxDays + 1> masks{};
    for (const LectureView &v : wa.timetable) {
        if (v.word == 0 || isBookingWord(v.word) || !coversWeek(v, w) ||
            !validTimetableLecture(d, v))
            continue;
        for (int day = v.startDay; day <= v.endDay && day <= MaxDays; ++day)
            masks[day] |= bellMask(v.startBell, v.endBell);
    }
    return masks;
}

MemberList timetabledMembers(const ScheduleData &d, CodeId e)
{
    MemberList members = collectionOf(d, e);
    dropNoTimetable(d, members);
    return members;
}

struct PlacedBlock
{
    int week = 0;
    int day = 0;
    int bell = 0;
    int length = 0;
};

// The placement of one run. Keeps the week timetables of the resources it has read, and writes
// every stored block into them, so they stay what a fresh build would give: a block only goes
// into cells that are free in all of them.
class Placer
{
public:
    Placer(ScheduleData &d, const InitialSettings &s, const TimeRange &range,
           const PatternTable &patterns, Random &random)
        : m_d(d), m_s(s), m_r(range), m_patterns(patterns), m_random(random)
    {}

    // Places what it can of the event's missing periods in the range's weeks into `wa` and
    // lists the blocks; returns the periods placed, weighted by week length. Nothing is stored.
    int placeEvent(WeekAllocation &wa, CodeId target, std::vector<PlacedBlock> &blocks);
    // Enters the blocks of event e, now stored, into the kept timetables.
    void commit(CodeId e, const std::vector<PlacedBlock> &blocks);

private:
    using Cells = std::array<std::array<int, MaxDays + 1>, MaxBells + 2>;
    struct Grid
    {
        Cells score{};
        Cells run{};
        std::array<std::array<bool, MaxDays + 1>, MaxBells + 2> free{};
        std::array<int, MaxDays + 1> marker{};
    };

    const WeekTimetable &timetable(CodeId r, int w);
    void recomputeRuns(Grid &g, int day) const;
    bool search(const Grid &g, int len, int prevDay, int &bestDay, int &bestBell) const;
    bool blockFree(const MemberList &members, const WeekAllocation &wa, int w, int day, int bell,
                   int len);
    int weekPlacement(WeekAllocation &wa, const MemberList &members, CodeId target, int w,
                      BlockLengths &lengths, int &prevDay, std::vector<PlacedBlock> &blocks);

    ScheduleData &m_d;
    const InitialSettings &m_s;
    TimeRange m_r;
    const PatternTable &m_patterns;
    Random &m_random;
    std::unordered_map<std::uint32_t, std::unique_ptr<WeekTimetable>> m_cache;
};

const WeekTimetable &Placer::timetable(CodeId r, int w)
{
    const std::uint32_t key = (static_cast<std::uint32_t>(r) << 8) | static_cast<std::uint32_t>(w);
    auto &slot = m_cache[key];
    if (!slot) {
        slot = std::make_unique<WeekTimetable>();
        weekTimetableOf(m_d, r, w, *slot);
    }
    return *slot;
}

void Placer::commit(CodeId e, const std::vector<PlacedBlock> &blocks)
{
    const MemberList members = timetabledMembers(m_d, e);
    const CellWord word = makeCell(ownWord(m_d, e), 0);
    for (const PlacedBlock &b : blocks)
        for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
            const std::uint32_t key =
                (static_cast<std::uint32_t>(members[i]) << 8) | static_cast<std::uint32_t>(b.week);
            const auto it = m_cache.find(key);
            if (it == m_cache.end())
                continue; // read fresh from the store when first needed
            for (int bell = b.bell; bell < b.bell + b.length; ++bell)
                it->second->cellRef(b.day, bell) = word;
        }
}

// The free run of every cell of the day: consecutive bells free in every timetable, counted
// towards later bells and ending with the range. A start excluded by a slot block keeps its run,
// so a block may still run through it.
void Placer::recomputeRuns(Grid &g, int day) const
{
    for (int b = m_r.endBell; b >= m_r.startBell; --b)
        g.run[b][day] = g.free[b][day] ? (b < m_r.endBell ? g.run[b + 1][day] + 1 : 1) : 0;
}

bool Placer::search(const Grid &g, int len, int prevDay, int &bestDay, int &bestBell) const
{
    int best = 0;
    const int dayAfter = prevDay == 0 ? 0 : (prevDay >= m_r.endDay ? m_r.startDay : prevDay + 1);
    for (int d = m_r.startDay; d <= m_r.endDay; ++d) {
        if (g.marker[d] == 0)
            continue;
        const int bonus = prevDay != 0 && d == dayAfter ? 30 : 0;
        for (int b = m_r.startBell; b <= m_r.endBell; ++b) {
            const int run = g.run[b][d];
            if (run < len || g.score[b][d] <= 0)
                continue;
            const int value = g.score[b][d] + bonus + g.score[b + run - 1][d];
            if (value > best) {
                best = value;
                bestDay = d;
                bestBell = b;
            }
        }
    }
    return best > 0;
}

// The last word before a block is stored: every cell free in every timetabled resource of the
// event and not yet held by the event itself.
bool Placer::blockFree(const MemberList &members, const WeekAllocation &wa, int w, int day,
                       int bell, int len)
{
    const std::uint32_t cells = bellMask(bell, bell + len - 1);
    if (cells == 0 || day < 1 || day > MaxDays || wa.booked[w] != 0)
        return false;
    if (periodMasks(m_d, wa, w)[day] & cells)
        return false;
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        const WeekTimetable &t = timetable(members[i], w);
        for (int b = bell; b < bell + len; ++b)
            if (t.cell(day, b) != 0)
                return false;
    }
    return true;
}

int Placer::weekPlacement(WeekAllocation &wa, const MemberList &members, CodeId target, int w,
                          BlockLengths &lengths, int &prevDay, std::vector<PlacedBlock> &blocks)
{
    const CodeId owner = wa.code;
    const int bells = bellsInUse(m_d);
    const int days = daysInUse(m_d);

    if (m_s.mode & BlockRangeSourceMask)
        blockRangeByApplication(m_d, m_patterns, wa.allocated[w], m_r, m_s.mode, m_random, lengths);
    WeekTimetable targetCells;
    if (target != 0) {
        weekTimetableOf(m_d, target, w, targetCells);
        lengths = {1, bells, days};
    }

    // Scores: earlier bells first; the parity term breaks ties between neighbouring days.
    Grid g;
    for (auto &row : g.score)
        row.fill(1);
    for (int b = m_r.startBell; b <= m_r.endBell; ++b)
        for (int d = m_r.startDay; d <= m_r.endDay; ++d) {
            const int p = (owner + w + m_d.lectureCount + b - d) & 1;
            g.score[b][d] = 2 * (m_r.endBell - b + 1) + p;
            g.free[b][d] = true;
        }
    g.marker.fill(1);

    // The event's own lectures of the week take no block.
    int maxCount = 0;
    for (const LectureView &v : wa.timetable) {
        if (v.word == 0 || !coversWeek(v, w) || !validTimetableLecture(m_d, v))
            continue;
        if (!isBookingWord(v.word) && v.endBell - v.startBell + 1 == lengths.maxLen)
            ++maxCount;
        for (int d = v.startDay; d <= v.endDay; ++d)
            for (int b = v.startBell; b <= v.endBell; ++b) {
                g.score[b][d] = 0;
                g.free[b][d] = false;
            }
    }

    const bool exams = m_s.exam.on && categoryOf(m_d, owner) == m_s.exam.eventCategory;
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i) {
        const CodeId x = members[i];
        const WeekTimetable &t = timetable(x, w);
        for (int d = m_r.startDay; d <= m_r.endDay; ++d)
            for (int b = m_r.endBell; b >= m_r.startBell; --b) {
                const bool busy = t.cell(d, b) != 0 || (target != 0 && targetCells.cell(d, b) == 0);
                if (busy) {
                    g.score[b][d] = 0;
                    g.free[b][d] = false;
                } else if (g.score[b][d] > 0 && g.score[b][d] < 230) {
                    // Next to existing lessons is better.
                    if (b > 1 && t.cell(d, b - 1) != 0)
                        ++g.score[b][d];
                    if (b < bells && t.cell(d, b + 1) != 0)
                        ++g.score[b][d];
                    if (g.marker[d] != 0 && g.marker[d] != 255)
                        ++g.marker[d];
                }
            }
        // Day rules: no second block on a day where the event already is; in exam mode no
        // second exam on a student's day (nor next to it with the two-day restriction).
        const bool students = exams && categoryOf(m_d, x) == m_s.exam.studentsCategory;
        for (int d = m_r.startDay; d <= m_r.endDay; ++d)
            for (int b = 1; b <= bells; ++b) {
                const CellWord cell = t.cell(d, b);
                if (cell == 0)
                    continue;
                const CodeId e = cellCode(m_d, cell);
                if (e == owner)
                    g.marker[d] = 0;
                if (students && isEventCode(m_d, e) &&
                    categoryOf(m_d, e) == m_s.exam.eventCategory) {
                    g.marker[d] = 0;
                    if (m_s.exam.twoDays) {
                        if (d > 1)
                            g.marker[d - 1] = 0;
                        if (d < days)
                            g.marker[d + 1] = 0;
                    }
                }
            }
    }
    if (m_s.blockSlotsNum >= 1 && m_s.blockSlotsNum <= 15) {
        const auto bit = static_cast<std::uint16_t>(1u << m_s.blockSlotsNum);
        for (int b = m_r.startBell; b <= m_r.endBell; ++b)
            for (int d = m_r.startDay; d <= m_r.endDay; ++d)
                if (m_s.slotBlocks[b][d] & bit)
                    g.score[b][d] = 0;
    }
    int longestRun = 0;
    for (int d = m_r.startDay; d <= m_r.endDay; ++d) {
        recomputeRuns(g, d);
        for (int b = m_r.startBell; b <= m_r.endBell; ++b)
            longestRun = std::max(longestRun, g.run[b][d]);
    }
    if (longestRun == 0)
        return 0;

    const int minLen = lengths.minLen;
    int placed = 0;
    while (wa.scheduled[w] < wa.allocated[w]) {
        const int left = wa.allocated[w] - wa.scheduled[w];
        int len = std::min(std::max(lengths.maxLen, minLen), left);
        if (minLen < lengths.maxLen && len == lengths.maxLen && lengths.maxRepeats != 0 &&
            maxCount >= lengths.maxRepeats)
            --len;
        int day = 0, bell = 0;
        bool found = search(g, len, prevDay, day, bell);
        while (!found && len > minLen) {
            --len;
            found = search(g, len, prevDay, day, bell);
        }
        if (!found || len < minLen)
            break;
        if (!blockFree(members, wa, w, day, bell, len)) {
            g.score[bell][day] = 0; // never stored; try the next best position
            continue;
        }
        if (target == 0) {
            g.marker[day] = 0;
            for (int b = 0; b <= m_r.endBell; ++b)
                g.score[b][day] = 0;
        } else {
            for (int b = bell; b < bell + len; ++b) {
                g.score[b][day] = 0;
                g.free[b][day] = false;
            }
            recomputeRuns(g, day);
        }
        LectureView v;
        v.word = ownWord(m_d, owner);
        v.startWeek = v.endWeek = static_cast<std::uint8_t>(w);
        v.startDay = v.endDay = static_cast<std::uint8_t>(day);
        v.startBell = static_cast<std::uint8_t>(bell);
        v.endBell = static_cast<std::uint8_t>(bell + len - 1);
        wa.timetable.push_back(v);
        wa.timetableKinds.resize(wa.timetable.size(), 0);
        wa.scheduled[w] = static_cast<std::uint8_t>(wa.scheduled[w] + len);
        blocks.push_back({w, day, bell, len});
        placed += len;
        prevDay = day;
        if (len == lengths.maxLen)
            ++maxCount;
    }
    return placed;
}

int Placer::placeEvent(WeekAllocation &wa, CodeId target, std::vector<PlacedBlock> &blocks)
{
    const CodeId owner = wa.code;
    if (target != 0 && (!isEventCode(m_d, target) || target == owner))
        target = 0;
    const MemberList members = timetabledMembers(m_d, owner);
    if (members[0] == 0)
        return 0;
    // Working copies: what a week changes carries over to the later weeks of the event.
    BlockLengths lengths{std::max(m_s.minSeq, 1), m_s.maxSeq, m_s.maxRepeats};
    int prevDay = 0;
    int result = 0;
    for (int w = m_r.startWeek; w <= m_r.endWeek; ++w) {
        // A week the event has booked is blocked in every cell.
        if (wa.scheduled[w] >= wa.allocated[w] || wa.booked[w] != 0)
            continue;
        const int placed = weekPlacement(wa, members, target, w, lengths, prevDay, blocks);
        result += placed * weekLength(m_d, w);
    }
    return result;
}

std::string refusalText(std::string_view reason)
{
    return "You cannot run \"Initial solution\" now, because " + std::string(reason);
}

} // namespace

InitialSettings defaultInitialSettings(const ScheduleData &d)
{
    InitialSettings s;
    s.range.startWeek = 1;
    s.range.endWeek = static_cast<std::uint8_t>(std::max(usedWeeks(d), 1));
    s.range.startDay = 1;
    s.range.endDay = static_cast<std::uint8_t>(std::max(daysInUse(d), 1));
    s.range.startBell = 1;
    s.range.endBell = static_cast<std::uint8_t>(std::max(bellsInUse(d), 1));
    return s;
}

std::string initialLimitsProblem(const InitialSettings &s)
{
    const TimeRange &r = s.range;
    if (r.startDay > r.endDay || r.startBell > r.endBell || s.minSeq > s.maxSeq ||
        r.startWeek > r.endWeek)
        return "Please check the time and block length limits!";
    return {};
}

int clampedRepeats(const InitialSettings &s)
{
    return clampInt(s.maxRepeats, 1, s.range.endDay - s.range.startDay + 1);
}

void learnPatterns(ScheduleData &d, PatternTable &patterns)
{
    WeekAllocation wa;
    const int weeks = std::min(usedWeeks(d), MaxWeeks);
    const int days = daysInUse(d);
    for (int i = 1; i <= d.eventList[0] && i < CodeTableSize; ++i) {
        const CodeId e = d.eventList[i];
        if (!validCode(d, e))
            continue;
        reloadWeekAllocation(d, e, wa);
        for (int w = 1; w <= weeks; ++w) {
            if (wa.scheduled[w] == 0)
                continue;
            const auto masks = periodMasks(d, wa, w);
            int hi = 0, lo = 0, n = 0;
            for (int day = 1; day <= days; ++day) {
                const int count = std::popcount(masks[day]);
                if (count == 0)
                    continue;
                lo = lo == 0 ? count : std::min(lo, count);
                if (count > hi) {
                    hi = count;
                    n = 1;
                } else if (count == hi) {
                    ++n;
                }
            }
            if (hi == 0 || static_cast<int>(patterns.size()) >= MaxPatterns)
                continue;
            const std::int32_t key = std::min<int>(wa.scheduled[w], 255) << 13 |
                                     std::min(lo, 31) << 8 | std::min(hi, 31) << 3 | std::min(n, 7);
            const auto it = std::find_if(patterns.begin(), patterns.end(),
                                         [&](std::int32_t v) { return (v >> 10) == key; });
            if (it == patterns.end()) {
                patterns.push_back(key << 10 | NewPatternAge);
            } else {
                const int age = *it & 1023;
                *it = (*it & ~1023) | (age == 0 ? NewPatternAge : age - 1);
            }
        }
    }
    std::sort(patterns.begin(), patterns.end());
}

bool pickPattern(const ScheduleData &d, const PatternTable &patterns, int periods, Random &random,
                 BlockLengths &out)
{
    auto periodsOf = [](std::int32_t v) { return (v >> 23) & 255; };
    int first = -1, last = -1;
    for (int i = 0; i < static_cast<int>(patterns.size()); ++i)
        if (periodsOf(patterns[static_cast<std::size_t>(i)]) == periods) {
            if (first < 0)
                first = i;
            last = i;
        }
    if (first < 0)
        return false;
    const auto pick =
        first + static_cast<int>(random.below(static_cast<std::uint32_t>(last - first + 1)));
    const std::int32_t v = patterns[static_cast<std::size_t>(pick)];
    const int bells = std::max(bellsInUse(d), 1);
    out.minLen = clampInt((v >> 18) & 31, 1, bells);
    out.maxLen = clampInt((v >> 13) & 31, out.minLen, bells);
    out.maxRepeats = clampInt((v >> 10) & 7, 1, std::max(daysInUse(d), 1));
    return true;
}

void blockRangeByApplication(const ScheduleData &d, const PatternTable &patterns, int periods,
                             const TimeRange &range, int source, Random &random,
                             BlockLengths &lengths)
{
    BlockLengths learned;
    if (!pickPattern(d, patterns, periods, random, learned)) {
        // No pattern: spread the periods over the range's days.
        const int days = std::max(range.endDay - range.startDay + 1, 1);
        const int bells = std::max(range.endBell - range.startBell + 1, 1);
        learned.minLen = 1;
        learned.maxLen = clampInt(periods / days + 1, 1, std::min(bells, std::max(periods, 1)));
        learned.maxRepeats = clampInt(days - (learned.maxLen - 1), 1, days);
    }
    lengths.maxRepeats = learned.maxRepeats;
    switch (source & BlockRangeSourceMask) {
    case RangesByApplication:
        lengths.minLen = learned.minLen;
        lengths.maxLen = learned.maxLen;
        break;
    case RangesBelowAndByApplication:
    case RangesByApplication | RangesBelowAndByApplication:
        lengths.minLen = std::max(lengths.minLen, learned.minLen);
        lengths.maxLen = std::min(lengths.maxLen, learned.maxLen);
        break;
    default:
        break;
    }
}

CodeId imitationByName(const ScheduleData &d, CodeId e, CodeId fallback)
{
    if (!validCode(d, e))
        return fallback;
    auto named = [&](CodeId c) -> CodeId {
        std::string name = d.codes[c].name.str();
        for (char &ch : name) {
            if (ch == '(' || ch == '{')
                ch = '[';
            else if (ch == ')' || ch == '}')
                ch = ']';
        }
        const auto open = name.find('[');
        if (open == std::string::npos)
            return 0;
        const auto close = name.find(']', open + 1);
        if (close == std::string::npos || close == open + 1)
            return 0;
        const CodeId found = findCode(d, std::string_view(name).substr(open + 1, close - open - 1));
        return isEventCode(d, found) ? found : 0;
    };
    if (const CodeId t = named(e))
        return t;
    const MemberList members = collectionOf(d, e);
    for (int i = 1; i <= members[0] && i <= MaxMembers; ++i)
        if (validCode(d, members[i]))
            if (const CodeId t = named(members[i]))
                return t;
    return fallback;
}

int conflictsInWeeks(const ScheduleData &d, int w1, int w2)
{
    w1 = std::max(w1, 1);
    w2 = std::min(w2, MaxWeeks);
    if (w1 > w2)
        return 0;
    const auto size = static_cast<std::size_t>(d.codeCount) + 1;
    std::vector<std::vector<LectureView>> periods(size);
    const int n = std::min(d.lectureCount, MaxLectures);
    for (int i = 1; i <= n; ++i) {
        const std::uint16_t word = d.lectureWord[i];
        if (word == 0 || isBookingWord(word) || !(word & LectureEventBit))
            continue;
        const CodeId e = lectureCode(d, word);
        if (!isEventCode(d, e))
            continue;
        const LectureView v = unpackLecture(d, i);
        if (!validTimetableLecture(d, v) || v.endWeek < w1 || v.startWeek > w2)
            continue;
        periods[e].push_back(v);
    }
    std::vector<MemberList> members(size);
    std::vector<bool> membersRead(size, false);
    std::vector<std::array<std::uint32_t, MaxDays + 1>> seen(size);
    std::vector<CodeId> touched;
    int conflicts = 0;
    for (int w = w1; w <= w2; ++w) {
        for (std::size_t e = 1; e < size; ++e) {
            if (periods[e].empty())
                continue;
            std::array<std::uint32_t, MaxDays + 1> masks{};
            bool any = false;
            for (const LectureView &v : periods[e]) {
                if (!coversWeek(v, w))
                    continue;
                for (int day = v.startDay; day <= v.endDay; ++day)
                    masks[day] |= bellMask(v.startBell, v.endBell);
                any = true;
            }
            if (!any)
                continue;
            if (!membersRead[e]) {
                members[e] = timetabledMembers(d, static_cast<CodeId>(e));
                membersRead[e] = true;
            }
            const MemberList &m = members[e];
            for (int i = 1; i <= m[0] && i <= MaxMembers; ++i) {
                if (!validCode(d, m[i]))
                    continue;
                auto &rows = seen[m[i]];
                for (int day = 1; day <= MaxDays; ++day) {
                    conflicts += std::popcount(rows[day] & masks[day]);
                    rows[day] |= masks[day];
                }
                touched.push_back(m[i]);
            }
        }
        for (const CodeId r : touched)
            seen[r] = {};
        touched.clear();
    }
    return conflicts;
}

bool toolEventStep(Progress &progress, const ScheduleData &d, int position, CodeId event)
{
    progress.step(position);
    progress.status(" " + formatCode(d, event, ShowCode));
    return !progress.stopRequested();
}

InitialResult runInitialSolution(ScheduleData &d, const InitialSettings &s,
                                 const PatternTable &patterns)
{
    NullProgress none;
    return runInitialSolution(d, s, patterns, none);
}

InitialResult runInitialSolution(ScheduleData &d, const InitialSettings &s,
                                 const PatternTable &patterns, Progress &progress)
{
    InitialResult result;
    TimeRange range;
    const std::string problem = initialLimitsProblem(s);
    if (!problem.empty() || !usableRange(d, s.range, range)) {
        result.refused = true;
        result.message =
            problem.empty() ? "Please check the time and block length limits!" : problem;
        return result;
    }
    // Conflicts elsewhere in the range do not hold the run up: a conflicting cell is occupied in
    // the timetables the blocks are checked against, so no block goes there, and the run leaves
    // the range with no conflict it did not have.
    result.conflictsBefore = conflictsInWeeks(d, range.startWeek, range.endWeek);

    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & LinkMarksMask;

    Random random(s.seed);
    totals(d, 1, d.codeCount);
    std::int64_t allocatedTotal = d.counters.allocatedTotal;
    std::int64_t scheduledTotal = d.counters.scheduledTotal;

    Placer placer(d, s, range, patterns, random);
    WeekAllocation wa;
    std::vector<PlacedBlock> blocks;
    const int count = std::min<int>(d.eventList[0], MaxCodes);
    progress.begin("Initial solution", count);
    for (int p = 1; p <= count; ++p) {
        const CodeId e = d.eventList[p];
        if (!toolEventStep(progress, d, p, e)) {
            result.stopped = true;
            result.message = "Stopped.";
            break;
        }
        if (scheduledTotal >= allocatedTotal)
            break;
        if (!isEventCode(d, e) || !(marks[e] & 1))
            continue;
        const CodeRecord &rec = d.codes[e];
        if (((rec.flags & LockedBit) && !s.includeLocked) || rec.scheduled >= rec.allocated)
            continue;
        CodeId target = s.imitationTarget;
        if (s.imitateMultiple) {
            target = imitationByName(d, e, s.imitationTarget);
            if (target == 0)
                continue;
        }
        reloadWeekAllocation(d, e, wa);
        blocks.clear();
        const int placed = placer.placeEvent(wa, target, blocks);
        if (blocks.empty())
            continue;
        const int before = rec.scheduled;
        if (storeWeekAllocation(d, e, wa) == 0) {
            // The event keeps what it had; the kept timetables never saw the blocks. The next
            // event may still fit.
            result.storeRefused.push_back(e);
            continue;
        }
        placer.commit(e, blocks);
        scheduledTotal += d.codes[e].scheduled - before;
        result.placed += placed;
        result.changed.push_back(e);
    }

    progress.end();

    if (!result.storeRefused.empty()) {
        result.storeFailed = true;
        std::string codes;
        for (const CodeId e : result.storeRefused)
            codes += (codes.empty() ? "\"" : ", \"") + d.codes[e].code.str() + "\"";
        result.message = "The lecture store is full: the periods of " + codes +
                         " were not placed; they keep their timetables.";
    }
    recount(d);
    validityCleanup(d, 1, usedWeeks(d));
    for (int c = 1; c <= d.codeCount && c < static_cast<int>(marks.size()); ++c)
        d.codes[c].flags |= marks[static_cast<std::size_t>(c)];
    result.conflictsAfter = conflictsInWeeks(d, range.startWeek, range.endWeek);
    if (result.conflictsAfter > result.conflictsBefore && result.message.empty())
        result.message = std::to_string(result.conflictsAfter - result.conflictsBefore) +
                         " conflicting periods more found after the run.";
    return result;
}

ScheduleSummary scheduleAll(ScheduleData &d, std::uint32_t seed, bool complete)
{
    const auto started = std::chrono::steady_clock::now();
    ScheduleSummary summary;
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    if (d.eventList[0] == 0)
        summary.refusal = refusalText("there are no valid events (go to Events view).");
    else if (d.counters.allocatedTotal == 0)
        summary.refusal =
            refusalText("there are no periods allocated to weeks (go to Weeks view).");

    if (summary.refusal.empty()) {
        std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
        for (int c = 1; c <= d.codeCount; ++c) {
            CodeRecord &rec = d.codes[c];
            marks[static_cast<std::size_t>(c)] = rec.flags & LinkMarksMask;
            rec.flags &= static_cast<std::uint16_t>(~LinkMarksMask);
            if (rec.isEvent() && rec.scheduled < rec.allocated)
                rec.flags |= 1;
        }
        InitialSettings s = defaultInitialSettings(d);
        s.seed = seed;
        PatternTable patterns;
        const InitialResult r = runInitialSolution(d, s, patterns);
        for (int c = 1; c <= d.codeCount; ++c) {
            CodeRecord &rec = d.codes[c];
            rec.flags = static_cast<std::uint16_t>((rec.flags & ~LinkMarksMask) |
                                                   marks[static_cast<std::size_t>(c)]);
        }
        if (r.refused)
            summary.refusal = r.message;
        else
            summary.message = r.message;
        summary.placed = r.placed;
        summary.changedEvents = static_cast<int>(r.changed.size());
        totals(d, 1, d.codeCount);
        if (summary.refusal.empty() && complete &&
            d.counters.scheduledTotal < d.counters.allocatedTotal) {
            CompletionSettings cs;
            cs.maxPerDay = s.maxSeq;
            cs.seed = seed;
            const CompletionResult c = completeTimetables(d, cs);
            summary.completed = c.placed;
            summary.moved = c.moved;
            summary.unplaced = completionReport(d, c);
            if (!c.message.empty())
                summary.message += (summary.message.empty() ? "" : " ") + c.message;
        }
    }
    totals(d, 1, d.codeCount);
    summary.planned = d.counters.plannedTotal;
    summary.allocated = d.counters.allocatedTotal;
    summary.scheduled = d.counters.scheduledTotal;
    summary.left = std::max<std::int64_t>(summary.allocated - summary.scheduled, 0);
    if (d.eventList[0] != 0)
        summary.conflicts = conflictsInWeeks(d, 1, usedWeeks(d));
    summary.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

} // namespace quivra
