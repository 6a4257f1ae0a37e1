#include "optimise/selection.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/gaps.h"
#include "engine/lecturestore.h"
#include "engine/random.h"
#include "engine/recount.h"
#include "engine/totals.h"

#include <algorithm>
#include <functional>

namespace quivra {

namespace {

constexpr int SwapCycles = 1001;
constexpr int BalanceCycles = 10000;
constexpr int MaxOptionCount = 255;

// Shell's diminishing-gap exchange sort: `before(a, b)` is true when b must come before a. The
// tie order it leaves is part of what the methods choose, so it is kept as the pass structure
// gives it rather than replaced by a library sort.
template <typename T, typename Before> void gapExchangeSort(std::vector<T> &items, Before before)
{
    const std::size_t n = items.size();
    for (std::size_t gap = n / 2; gap >= 1; gap /= 2) {
        bool exchanged = true;
        while (exchanged) {
            exchanged = false;
            for (std::size_t i = 0; i + gap < n; ++i) {
                if (before(items[i], items[i + gap])) {
                    std::swap(items[i], items[i + gap]);
                    exchanged = true;
                }
            }
        }
    }
}

bool contains(const MemberList &m, CodeId c)
{
    for (int i = 1; i <= m[0]; ++i)
        if (m[i] == c)
            return true;
    return false;
}

// What the methods keep at hand while collections change: each student's events, each event's
// weekly allocation and each student's own booked cells per week.
class SelectionState
{
public:
    SelectionState(ScheduleData &d, const SelectionOptions &options)
        : m_d(d), m_options(options), m_lastWeek(std::max<int>(d.scheduleExtent.endWeek, 1)),
          m_capacity(usedDays(d) * usedBells(d)), m_events(eventsByResource(d)),
          m_allocated(static_cast<std::size_t>(d.codeCount) + 1),
          m_booked(static_cast<std::size_t>(d.codeCount) + 1)
    {
        WeekAllocation wa;
        for (CodeId c = 1; c <= d.codeCount; ++c) {
            const bool event = d.codes[c].isEvent();
            if (!event && categoryOf(d, c) != options.studentsCategory)
                continue;
            loadWeekAllocation(d, c, wa);
            auto &weeks = event ? m_allocated[c] : m_booked[c];
            weeks.assign(static_cast<std::size_t>(m_lastWeek) + 1, 0);
            for (int w = 1; w <= m_lastWeek; ++w)
                weeks[static_cast<std::size_t>(w)] = event ? wa.allocated[w] : wa.tableBooked[w];
        }
    }

    const std::vector<CodeId> &eventsOf(CodeId student) const { return m_events[student]; }
    bool inEvent(CodeId student, CodeId e) const
    {
        const auto &list = m_events[student];
        return std::find(list.begin(), list.end(), e) != list.end();
    }
    bool isStudent(CodeId c) const
    {
        return !m_d.codes[c].isEvent() && categoryOf(m_d, c) == m_options.studentsCategory;
    }
    bool changeable(CodeId e) const { return m_options.changeLocked || !isLockedCode(m_d, e); }

    // Periods of the student in week w: its events' allocations and its own booked cells.
    int load(CodeId student, int w) const
    {
        int sum = m_booked[student].empty() ? 0 : m_booked[student][static_cast<std::size_t>(w)];
        for (CodeId e : m_events[student])
            sum += allocated(e, w);
        return sum;
    }
    int allocated(CodeId e, int w) const
    {
        const auto &weeks = m_allocated[e];
        return weeks.empty() ? 0 : weeks[static_cast<std::size_t>(w)];
    }
    bool full(CodeId student) const
    {
        for (int w = 1; w <= m_lastWeek; ++w)
            if (load(student, w) >= m_capacity)
                return true;
        return false;
    }
    // Whether the student can sit in `to` (leaving `from`, 0 for none) in every week; counts the
    // weeks that fit into *attempts.
    bool fits(CodeId student, CodeId from, CodeId to, int *attempts = nullptr) const
    {
        for (int w = 1; w <= m_lastWeek; ++w) {
            const int load = this->load(student, w) - (from ? allocated(from, w) : 0);
            if (load + allocated(to, w) > m_capacity)
                return false;
            if (attempts)
                ++*attempts;
        }
        return true;
    }

    // The subjects of an event: its members of the subjects category, as a sorted set.
    std::vector<CodeId> subjects(CodeId e) const
    {
        const MemberList m = collectionOf(m_d, e);
        std::vector<CodeId> list;
        for (int i = 1; i <= m[0]; ++i)
            if (categoryOf(m_d, m[i]) == m_options.subjectsCategory)
                list.push_back(m[i]);
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        return list;
    }

    bool add(CodeId student, CodeId e)
    {
        MemberList m = collectionOf(m_d, e);
        if (m[0] >= MaxMembers || contains(m, student))
            return false;
        m[++m[0]] = student;
        if (setCollection(m_d, e, m) == 0)
            return false;
        m_events[student].push_back(e);
        return true;
    }
    // The student leaves `from` and is appended to `to`; nothing changes when either refuses.
    bool move(CodeId student, CodeId from, CodeId to)
    {
        const MemberList fromBefore = collectionOf(m_d, from);
        MemberList toList = collectionOf(m_d, to);
        if (from == to || !contains(fromBefore, student) || contains(toList, student) ||
            toList[0] >= MaxMembers)
            return false;
        MemberList fromList{};
        for (int i = 1; i <= fromBefore[0]; ++i)
            if (fromBefore[i] != student)
                fromList[static_cast<std::size_t>(++fromList[0])] = fromBefore[i];
        toList[++toList[0]] = student;
        if (setCollection(m_d, from, fromList) == 0 && fromList[0] > 0)
            return false;
        if (setCollection(m_d, to, toList) == 0) {
            setCollection(m_d, from, fromBefore);
            return false;
        }
        auto &events = m_events[student];
        std::replace(events.begin(), events.end(), from, to);
        return true;
    }
    // Puts both collections back as they were before a tried move.
    void undo(CodeId student, CodeId from, CodeId to, const MemberList &fromBefore,
              const MemberList &toBefore)
    {
        setCollection(m_d, from, fromBefore);
        setCollection(m_d, to, toBefore);
        auto &events = m_events[student];
        std::replace(events.begin(), events.end(), to, from);
    }

    int gaps(CodeId student) const
    {
        return dayMeasures(m_d, student, 1, m_lastWeek, m_options.bookings).gaps;
    }
    int lastWeek() const { return m_lastWeek; }

private:
    ScheduleData &m_d;
    const SelectionOptions &m_options;
    int m_lastWeek;
    int m_capacity;
    std::vector<std::vector<CodeId>> m_events;
    std::vector<std::vector<int>> m_allocated; // per event, weeks 1..lastWeek
    std::vector<std::vector<int>> m_booked;    // per student
};

// The recount after a run; a run that changed nothing leaves the data set as saved.
void finish(ScheduleData &d, const SelectionRun &run, bool wasModified)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    rebuildLists(d);
    if (run.changes.empty())
        d.modified = wasModified;
}

std::vector<CodeId> studentsOf(const ScheduleData &d, int category)
{
    std::vector<CodeId> list;
    for (int i = 1; i <= d.resourceList[0]; ++i)
        if (categoryOf(d, d.resourceList[i]) == category)
            list.push_back(d.resourceList[i]);
    return list;
}

// The pair and every repeat of it are done with.
void markUsed(std::vector<SelectionPair> &pairs, const SelectionPair &pair)
{
    for (SelectionPair &other : pairs)
        if (other.subject == pair.subject && other.student == pair.student)
            other.options = 0;
}

std::string_view trimmed(std::string_view cell)
{
    while (!cell.empty() && (cell.front() == ' ' || cell.front() == '"'))
        cell.remove_prefix(1);
    while (!cell.empty() && (cell.back() == ' ' || cell.back() == '"' || cell.back() == '\r'))
        cell.remove_suffix(1);
    return cell;
}

} // namespace

std::vector<SelectionPair> readSelectionMatrix(const ScheduleData &d, std::string_view text,
                                               int studentsCategory, int subjectsCategory)
{
    // Events per subject, counted once for all rows.
    std::vector<int> eventCount(static_cast<std::size_t>(d.codeCount) + 1, 0);
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const MemberList m = collectionOf(d, d.eventList[i]);
        std::vector<CodeId> seen;
        for (int k = 1; k <= m[0]; ++k) {
            if (std::find(seen.begin(), seen.end(), m[k]) != seen.end())
                continue;
            seen.push_back(m[k]);
            ++eventCount[m[k]];
        }
    }
    std::vector<SelectionPair> pairs;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view row = text.substr(at, end - at);
        at = end + 1;
        std::vector<CodeId> subjects, students;
        std::size_t cellAt = 0;
        while (cellAt <= row.size()) {
            std::size_t cellEnd = row.find('\t', cellAt);
            if (cellEnd == std::string_view::npos)
                cellEnd = row.size();
            const std::string_view cell = trimmed(row.substr(cellAt, cellEnd - cellAt));
            cellAt = cellEnd + 1;
            if (cell.empty() || subjects.size() + students.size() >= MaxMembers)
                continue;
            const CodeId c = findCode(d, cell);
            if (c == 0 || d.codes[c].isEvent())
                continue;
            const int category = categoryOf(d, c);
            auto &kept = category == subjectsCategory   ? subjects
                         : category == studentsCategory ? students
                                                        : subjects;
            if ((category != subjectsCategory && category != studentsCategory) ||
                std::find(kept.begin(), kept.end(), c) != kept.end())
                continue;
            kept.push_back(c);
        }
        for (CodeId s : subjects)
            for (CodeId t : students)
                if (static_cast<int>(pairs.size()) < MaxSelectionPairs)
                    pairs.push_back({s, t, std::min(eventCount[s], MaxOptionCount)});
    }
    return pairs;
}

std::vector<SelectionPair> sortedPairs(std::vector<SelectionPair> pairs)
{
    gapExchangeSort(pairs, [](const SelectionPair &a, const SelectionPair &b) {
        return b.options < a.options;
    });
    return pairs;
}

int collectionEntries(const ScheduleData &d)
{
    int n = 0;
    for (int i = 1; i <= d.eventList[0]; ++i)
        n += collectionOf(d, d.eventList[i])[0];
    return n;
}

SelectionRun addFromMatrix(ScheduleData &d, std::vector<SelectionPair> pairs,
                           SelectionEventFilter filter, const SelectionOptions &options,
                           Progress &progress)
{
    SelectionRun run;
    const bool wasModified = d.modified;
    run.pairs = static_cast<int>(pairs.size());
    run.entriesBefore = collectionEntries(d);
    pairs = sortedPairs(std::move(pairs));
    SelectionState state(d, options);
    // The events of each subject in event-list order; adding students changes no subject.
    std::vector<std::vector<CodeId>> eventsOfSubject(static_cast<std::size_t>(d.codeCount) + 1);
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[i];
        const MemberList m = collectionOf(d, e);
        for (int k = 1; k <= m[0]; ++k) {
            auto &list = eventsOfSubject[m[k]];
            if (list.empty() || list.back() != e)
                list.push_back(e);
        }
    }

    ProgressRun shown(progress, "Processing...", static_cast<int>(pairs.size()));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (static_cast<int>(run.changes.size()) >= MaxSelectionChanges) {
            break;
        }
        if (progress.stopRequested()) {
            run.stopped = true;
            break;
        }
        progress.step(static_cast<int>(i) + 1);
        const SelectionPair pair = pairs[i];
        if (pair.options == 0)
            continue;
        // A student who sits in an event of the subject already has what the pair asks for.
        const auto &subjectEvents = eventsOfSubject[pair.subject];
        if (std::any_of(subjectEvents.begin(), subjectEvents.end(),
                        [&](CodeId e) { return state.inEvent(pair.student, e); })) {
            markUsed(pairs, pair);
            continue;
        }
        if (state.full(pair.student))
            continue;
        // The event with the fewest resources among those the student fits into, the first of
        // them in event-list order.
        CodeId chosen = 0;
        int fewest = MaxMembers;
        for (CodeId e : eventsOfSubject[pair.subject]) {
            if (!state.fits(pair.student, 0, e, &run.attempts) || !state.changeable(e))
                continue;
            const bool scheduled = d.codes[e].scheduled > 0;
            if ((filter == SelectionEventFilter::Unscheduled && scheduled) ||
                (filter == SelectionEventFilter::Scheduled && !scheduled))
                continue;
            const int links = std::max(1, static_cast<int>(collectionOf(d, e)[0]));
            if (links >= std::min(fewest, MaxMembers - 1) || !canJoin(d, e, pair.student))
                continue;
            chosen = e;
            fewest = links;
        }
        if (chosen == 0 || !state.add(pair.student, chosen))
            continue;
        run.changes.push_back({pair.student, 0, chosen});
        markUsed(pairs, pair);
        progress.status(std::to_string(run.changes.size()) + " additions, " +
                        std::to_string(run.attempts) + " attempts");
    }
    for (const SelectionPair &pair : pairs)
        if (pair.options > 0)
            run.notUsed.push_back(pair);
    finish(d, run, wasModified);
    run.entriesAfter = collectionEntries(d);
    return run;
}

SelectionRun swapStudents(ScheduleData &d, SwapCriteria criteria, SwapGoal goal,
                          const SelectionOptions &options, Progress &progress)
{
    SelectionRun run;
    const bool wasModified = d.modified;
    SelectionState state(d, options);
    std::vector<CodeId> students = studentsOf(d, options.studentsCategory);
    const int n = static_cast<int>(students.size());
    Random random(options.seed);
    // A student's measure by the goal; a move must lower it (a student's links never change by
    // a move, so that goal moves nobody).
    const auto measure = [&](CodeId s) {
        int sum = 0;
        switch (goal) {
        case SwapGoal::Gaps:
            return state.gaps(s);
        case SwapGoal::Planned:
            for (CodeId e : state.eventsOf(s))
                sum += d.codes[e].planned;
            return sum;
        case SwapGoal::Allocated:
            for (CodeId e : state.eventsOf(s))
                sum += d.codes[e].allocated;
            return sum;
        case SwapGoal::Links:
            return static_cast<int>(state.eventsOf(s).size());
        }
        return 0;
    };
    // The subjects of the two events always agree (see the header), so the criterion of the same
    // subject holds for every move and only that of the scheduled periods is left to test.
    const bool sameScheduled =
        criteria == SwapCriteria::SameScheduled || criteria == SwapCriteria::Both;

    ProgressRun shown(progress, "Processing...", SwapCycles);
    bool retryFromFirst = false;
    for (int cycle = 0; cycle < SwapCycles && goal != SwapGoal::Links; ++cycle) {
        if (static_cast<int>(run.changes.size()) >= MaxSelectionChanges)
            break;
        if (progress.stopRequested()) {
            run.stopped = true;
            break;
        }
        progress.step(cycle + 1);
        std::vector<std::pair<int, CodeId>> ranked;
        for (CodeId s : students)
            ranked.emplace_back(measure(s), s);
        gapExchangeSort(ranked, [](const auto &a, const auto &b) { return a.first < b.first; });
        if (ranked.empty() || ranked.back().first >= ranked.front().first)
            break;
        int i =
            retryFromFirst ? 0 : static_cast<int>(random.below(static_cast<std::uint32_t>(n / 16)));
        const int start = i;
        bool moved = false;
        for (; i < n / 2 && !moved; ++i) {
            const CodeId a = ranked[static_cast<std::size_t>(i)].second;
            const int before = ranked[static_cast<std::size_t>(i)].first;
            const std::vector<CodeId> eventsA = state.eventsOf(a);
            for (CodeId e : eventsA) {
                if (moved)
                    break;
                for (int k = n - 1; k > i && !moved; --k) {
                    const CodeId b = ranked[static_cast<std::size_t>(k)].second;
                    const std::vector<CodeId> eventsB = state.eventsOf(b);
                    for (CodeId f : eventsB) {
                        if (e == f || state.inEvent(a, f) || state.inEvent(b, e))
                            continue;
                        ++run.options;
                        if (!state.changeable(e) || !state.changeable(f) ||
                            state.subjects(e) != state.subjects(f) ||
                            (sameScheduled && d.codes[e].scheduled != d.codes[f].scheduled) ||
                            !state.fits(a, e, f) || !canJoin(d, f, a))
                            continue;
                        const MemberList eBefore = collectionOf(d, e);
                        const MemberList fBefore = collectionOf(d, f);
                        if (!state.move(a, e, f))
                            continue;
                        if (measure(a) >= before) {
                            state.undo(a, e, f, eBefore, fBefore);
                            continue;
                        }
                        run.changes.push_back({a, e, f});
                        moved = true;
                        break;
                    }
                }
            }
        }
        progress.status(std::to_string(run.changes.size()) + " change(s) out of " +
                        std::to_string(run.options) + " options");
        // A search that finds nothing from a random start is repeated once from the first
        // student; when that finds nothing either, no move is left.
        if (!moved) {
            if (retryFromFirst || start == 0)
                break;
            retryFromFirst = true;
        } else {
            retryFromFirst = false;
        }
    }
    finish(d, run, wasModified);
    return run;
}

SelectionRun balanceStudents(ScheduleData &d, const SelectionOptions &options, Progress &progress)
{
    SelectionRun run;
    const bool wasModified = d.modified;
    SelectionState state(d, options);
    const auto listed = [&] {
        std::vector<std::pair<int, CodeId>> list;
        for (int i = 1; i <= d.eventList[0]; ++i) {
            const CodeId e = d.eventList[i];
            if (!state.changeable(e))
                continue;
            const MemberList m = collectionOf(d, e);
            int count = 0;
            for (int k = 1; k <= m[0]; ++k)
                count += state.isStudent(m[k]) ? 1 : 0;
            if (count > 0)
                list.emplace_back(count, e);
        }
        gapExchangeSort(list, [](const auto &a, const auto &b) { return a.first < b.first; });
        return list;
    };
    const auto spread = [](const std::vector<std::pair<int, CodeId>> &list, int &smallest,
                           int &largest) {
        smallest = list.empty() ? 0 : list.back().first;
        largest = list.empty() ? 0 : list.front().first;
    };

    ProgressRun shown(progress, "Processing...", BalanceCycles);
    auto list = listed();
    spread(list, run.smallestBefore, run.largestBefore);
    for (int cycle = 0; cycle < BalanceCycles; ++cycle) {
        if (static_cast<int>(run.changes.size()) >= MaxSelectionChanges)
            break;
        if (progress.stopRequested()) {
            run.stopped = true;
            break;
        }
        progress.step(cycle + 1);
        // Balanced when no two events differ by more than one student: a move would only swap
        // their counts.
        if (list.size() < 2 || list.front().first - list.back().first <= 1)
            break;
        bool moved = false;
        const int len = static_cast<int>(list.size());
        for (int i = 0; i < len && !moved; ++i) {
            const auto [countE, e] = list[static_cast<std::size_t>(i)];
            for (int k = len - 1; k > i && !moved; --k) {
                const auto [countF, f] = list[static_cast<std::size_t>(k)];
                if (countE - countF < 2 || state.subjects(e) != state.subjects(f))
                    continue;
                const MemberList m = collectionOf(d, e);
                for (int x = 1; x <= m[0]; ++x) {
                    const CodeId s = m[x];
                    if (!state.isStudent(s) || state.inEvent(s, f))
                        continue;
                    ++run.options;
                    if (!state.fits(s, e, f) || !canJoin(d, f, s) || !state.move(s, e, f))
                        continue;
                    run.changes.push_back({s, e, f});
                    moved = true;
                    break;
                }
            }
        }
        if (!moved)
            break;
        list = listed();
        int smallest = 0, largest = 0;
        spread(list, smallest, largest);
        progress.status(std::to_string(run.changes.size()) + " change(s) out of " +
                        std::to_string(run.options) + " options (" + std::to_string(smallest) +
                        "..." + std::to_string(largest) + ")");
    }
    spread(list, run.smallestAfter, run.largestAfter);
    finish(d, run, wasModified);
    return run;
}

SelectionSnapshot::SelectionSnapshot(const ScheduleData &d) : m_data(makeScheduleData())
{
    *m_data = d;
}

void SelectionSnapshot::restore(ScheduleData &d) const
{
    d = *m_data;
}

std::string selectionChangeLine(const ScheduleData &d, const SelectionChange &change)
{
    const auto code = [&](CodeId c) { return d.codes[c].code.str(); };
    if (change.from == 0)
        return code(change.to) + ": " + code(change.student);
    return code(change.student) + ": " + code(change.from) + " -> " + code(change.to);
}

std::vector<int> categoryGaps(const ScheduleData &d, bool bookings)
{
    std::vector<int> gaps(MaxCategories + 1, 0);
    const int lastWeek = std::max<int>(d.scheduleExtent.endWeek, 1);
    for (int i = 1; i <= d.resourceList[0]; ++i) {
        const CodeId r = d.resourceList[i];
        const int category = categoryOf(d, r);
        if (category < 1 || category > MaxCategories || category == d.roomsCategory ||
            (d.codes[r].flags & NoTimetableBit))
            continue;
        gaps[static_cast<std::size_t>(category)] += dayMeasures(d, r, 1, lastWeek, bookings).gaps;
    }
    return gaps;
}

} // namespace quivra
