#include "optimise/optimiser.h"

#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "engine/weekmatrix.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "support/generator.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <vector>

namespace quivra {
namespace {

OptimiseSettings roundsOnly(int rounds, std::uint32_t seed)
{
    OptimiseSettings s;
    s.seed = seed;
    s.maxRounds = rounds;
    return s;
}

// Placed periods per event over all weeks.
std::vector<int> scheduledPerEvent(const ScheduleData &d)
{
    std::vector<int> v;
    for (int c = 1; c <= d.codeCount; ++c)
        v.push_back(d.codes[c].isEvent() ? d.codes[c].scheduled : -1);
    return v;
}

// The canonical dump without the one statistic that only grows while timetables are read (the
// largest timetable met since the last reset). Compared as a whole: a diff of two dumps of full
// stores would be enormous.
std::string dataOf(const ScheduleData &d)
{
    std::string dump = dumpScheduleData(d);
    const auto at = dump.find("\nlargest-timetable ");
    if (at != std::string::npos)
        dump.erase(at, dump.find('\n', at + 1) - at);
    return dump;
}

// Every event's allocation of every week, in code order.
std::vector<std::array<std::uint8_t, WeekTableSize>> allocations(ScheduleData &d)
{
    std::vector<std::array<std::uint8_t, WeekTableSize>> v;
    WeekAllocation wa;
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent()) {
            reloadWeekAllocation(d, static_cast<CodeId>(c), wa);
            v.push_back(wa.allocated);
        }
    return v;
}

// Gives a second event of a member of the first event placed in week 1 a period on that event's
// first cell there, with one more period allocated: two events in conflict, both within their
// allocations.
void plantConflict(ScheduleData &d)
{
    WeekAllocation wa, other;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[i];
        reloadWeekAllocation(d, e, wa);
        const auto placed = std::find_if(wa.timetable.begin(), wa.timetable.end(), [](auto &v) {
            return v.word != 0 && !isBookingWord(v.word) && v.startWeek == 1;
        });
        if (placed == wa.timetable.end())
            continue;
        const CodeId member = collectionOf(d, e)[1];
        for (int j = 1; j <= d.eventList[0]; ++j) {
            const CodeId f = d.eventList[j];
            if (f == e || collectionOf(d, f)[1] != member)
                continue;
            reloadWeekAllocation(d, f, other);
            LectureView v = *placed;
            v.word = static_cast<std::uint16_t>(f | LectureEventBit);
            v.endWeek = 1;
            v.endDay = v.startDay;
            v.endBell = v.startBell;
            other.timetable.push_back(v);
            other.timetableKinds.push_back(0);
            ++other.allocated[1];
            ASSERT_GT(storeWeekAllocation(d, f, other), 0);
            recount(d);
            return;
        }
    }
    FAIL() << "no two events share a member";
}

// Keeps the status of every cycle a run reports, and asks it to stop after `stopAfterReports`
// reports (0: never).
struct RecordingObserver
{
    void operator()(const OptimiseStatus &st)
    {
        ++reports;
        if (st.point == OptimiseStatus::Point::Cycle) {
            cycleGaps.push_back(st.gapsNow);
            cycles.push_back(st);
        }
        if (stopAfterReports > 0 && reports >= stopAfterReports)
            progress.requestStop();
    }

    NullProgress progress;
    int reports = 0;
    int stopAfterReports = 0;
    std::vector<int> cycleGaps;
    std::vector<OptimiseStatus> cycles;
};

TEST(GeneratorTest, SameSeedSameDataOtherSeedOtherData)
{
    auto a = makeScheduleData();
    auto b = makeScheduleData();
    const GeneratedInstitution ga = generateInstitution(*a, mediumInstitution(5));
    const GeneratedInstitution gb = generateInstitution(*b, mediumInstitution(5));
    EXPECT_TRUE(dataOf(*a) == dataOf(*b));
    EXPECT_EQ(ga.placed, gb.placed);

    generateInstitution(*b, mediumInstitution(6));
    EXPECT_FALSE(dataOf(*a) == dataOf(*b));

    // The sizes hold roughly what they promise, mostly placed and without conflicts.
    for (const InstitutionPlan &plan :
         {smallInstitution(3), mediumInstitution(3), largeInstitution(3)}) {
        const GeneratedInstitution g = generateInstitution(*a, plan);
        EXPECT_EQ(g.periodsPerWeek, plan.periodsPerWeek);
        EXPECT_GE(g.placed, g.periodsPerWeek * plan.weeks * 9 / 10);
        EXPECT_EQ(g.placed + g.unplaced, g.periodsPerWeek * plan.weeks);
        EXPECT_EQ(sweepConflicts(*a, 1, false).found, 0);
        EXPECT_FALSE(a->modified);
    }
}

// The fast path scores a probe by the rows and days it touches; the reference mode counts the
// whole week. Both must take every decision alike.
TEST(OptimiserTest, FastAndReferenceModesGiveTheSameStores)
{
    for (const bool medium : {false, true}) {
        for (const std::uint32_t seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << "medium " << medium << " seed " << seed);
            const InstitutionPlan plan = medium ? mediumInstitution(seed) : smallInstitution(seed);
            auto fast = makeScheduleData();
            auto reference = makeScheduleData();
            generateInstitution(*fast, plan);
            generateInstitution(*reference, plan);
            OptimiseSettings s = roundsOnly(medium ? 2 : 4, seed * 11);
            const OptimiseResult rf = optimise(*fast, s);
            s.reference = true;
            const OptimiseResult rr = optimise(*reference, s);
            EXPECT_EQ(rf.end, OptimiseEnd::RoundLimit);
            EXPECT_GT(rf.swaps + rf.moves, 0);
            EXPECT_EQ(rf.swaps, rr.swaps);
            EXPECT_EQ(rf.moves, rr.moves);
            EXPECT_EQ(rf.undone, rr.undone);
            EXPECT_EQ(rf.gapsAfter, rr.gapsAfter);
            EXPECT_TRUE(dataOf(*fast) == dataOf(*reference));
        }
    }
}

// The fast path keeps what its row visits found from one visit of a week to the next, and finds
// the events' entries in the store without reading all of it: runs to their own end, runs of
// many rounds, and weeks holding a conflict.
TEST(OptimiserTest, FastAndReferenceModesAgreeOverWholeRunsAndConflicts)
{
    struct Case
    {
        bool medium;
        std::uint32_t seed;
        bool conflict;
        int rounds; // 0: to the run's own end
    };
    const Case cases[] = {{false, 4, false, 0}, {true, 6, false, 8}, {true, 6, true, 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "medium " << c.medium << " seed " << c.seed);
        const InstitutionPlan plan =
            c.medium ? mediumInstitution(c.seed) : smallInstitution(c.seed);
        auto fast = makeScheduleData();
        auto reference = makeScheduleData();
        for (ScheduleData *d : {fast.get(), reference.get()}) {
            generateInstitution(*d, plan);
            if (c.conflict)
                plantConflict(*d);
        }
        OptimiseSettings s = roundsOnly(c.rounds, c.seed);
        const OptimiseResult rf = optimise(*fast, s);
        s.reference = true;
        const OptimiseResult rr = optimise(*reference, s);
        EXPECT_GT(rf.swaps + rf.moves, 0);
        EXPECT_EQ(rf.end, rr.end);
        EXPECT_EQ(rf.rounds, rr.rounds);
        EXPECT_EQ(rf.swaps, rr.swaps);
        EXPECT_EQ(rf.moves, rr.moves);
        EXPECT_EQ(rf.conflictsAfter, rr.conflictsAfter);
        EXPECT_TRUE(dataOf(*fast) == dataOf(*reference));
    }
}

// Books one cell under a period in each of the first `rows` timetables with periods in week 1,
// so the week holds cells that hide a booking under what they show.
void bookUnderPeriods(ScheduleData &d, int rows)
{
    WeekMatrix m;
    m.build(d, 1);
    for (int row = 1; row <= m.rowCount() && rows > 0; ++row)
        for (int day = 1; day <= m.usedDays(); ++day)
            if (const std::uint32_t cells = m.eventMask(row, day)) {
                LectureView v;
                v.word = static_cast<std::uint16_t>(m.resourceOfRow(row) | LectureBookingBit);
                v.startWeek = v.endWeek = 1;
                v.startDay = v.endDay = static_cast<std::uint8_t>(day);
                v.startBell = v.endBell = static_cast<std::uint8_t>(std::countr_zero(cells) + 1);
                ASSERT_NE(appendLecture(d, v, 1), 0);
                --rows;
                break;
            }
    rebuildLists(d);
}

// The same over settings that change what is scored and what is undone, and over weeks where
// bookings lie under periods (cells that hide a code, which the fast path probes by writing).
TEST(OptimiserTest, FastAndReferenceModesAgreeOverSettingsAndHiddenBookings)
{
    struct Case
    {
        int methods;
        int mode;
        bool bookings;
        int hidden; // timetables with a booking under a period
    };
    const Case cases[] = {
        {MethodMoves, ModeOneBlockPerDay, true, 0},
        {MethodSwaps, ModeBalancedDays, false, 0},
        {MethodBoth, 0, true, 0},
        {MethodBoth, ModeOneBlockPerDay | ModeBalancedDays, false, 6},
        {MethodBoth, 0, true, 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "methods " << c.methods << " mode " << c.mode
                                        << " bookings " << c.bookings << " hidden " << c.hidden);
        auto fast = makeScheduleData();
        auto reference = makeScheduleData();
        for (ScheduleData *d : {fast.get(), reference.get()}) {
            generateInstitution(*d, mediumInstitution(8));
            bookUnderPeriods(*d, c.hidden);
            if (HasFatalFailure())
                return;
        }
        if (c.hidden > 0) {
            WeekMatrix m;
            m.build(*fast, 1);
            ASSERT_FALSE(m.hidesNothing());
        }
        OptimiseSettings s = roundsOnly(6, 5);
        s.methods = c.methods;
        s.mode = c.mode;
        s.bookings = c.bookings;
        const OptimiseResult rf = optimise(*fast, s);
        s.reference = true;
        const OptimiseResult rr = optimise(*reference, s);
        ASSERT_FALSE(rf.refused()) << rf.message;
        EXPECT_GT(rf.swaps + rf.moves, 0);
        EXPECT_EQ(rf.swaps, rr.swaps);
        EXPECT_EQ(rf.moves, rr.moves);
        EXPECT_EQ(rf.undone, rr.undone);
        EXPECT_EQ(rf.gapsAfter, rr.gapsAfter);
        EXPECT_TRUE(dataOf(*fast) == dataOf(*reference));
    }
}

TEST(OptimiserTest, GapsNeverRisePeriodsStayAndNoConflictAppears)
{
    for (const std::uint32_t seed : {4u, 9u}) {
        SCOPED_TRACE(seed);
        auto d = makeScheduleData();
        generateInstitution(*d, mediumInstitution(seed));
        const std::vector<int> before = scheduledPerEvent(*d);
        RecordingObserver watch;
        OptimiseSettings s = roundsOnly(6, seed);
        s.mode = 0;
        const OptimiseResult r = optimise(*d, s, watch.progress, std::ref(watch));
        EXPECT_LT(r.gapsAfter, r.gapsBefore);
        EXPECT_EQ(r.conflictsAfter, 0);
        EXPECT_EQ(sweepConflicts(*d, 1, false).found, 0);
        EXPECT_EQ(scheduledPerEvent(*d), before);
        EXPECT_TRUE(d->modified);
        ASSERT_EQ(watch.cycleGaps.size(), 6u);
        int previous = r.gapsBefore;
        for (const int g : watch.cycleGaps) {
            EXPECT_LE(g, previous);
            previous = g;
        }
        EXPECT_EQ(previous, r.gapsAfter);
        int sum = 0;
        for (int k = 1; k <= MaxCategories; ++k)
            sum += r.categoryAfter[static_cast<std::size_t>(k)];
        EXPECT_EQ(sum, r.gapsAfter);
        // Every cycle reports its gaps per category too: they add up to its total, start from
        // the range's figures and end at the result's, and a category left out stays at 0.
        for (const OptimiseStatus &st : watch.cycles) {
            int cycleSum = 0;
            for (int k = 1; k <= MaxCategories; ++k) {
                const auto i = static_cast<std::size_t>(k);
                cycleSum += st.categoryNow[i];
                if (st.weights[i] == 0) {
                    EXPECT_EQ(st.categoryNow[i], 0) << k;
                }
            }
            EXPECT_EQ(cycleSum, st.gapsNow);
            EXPECT_EQ(st.categoryInitial, r.categoryBefore);
        }
        EXPECT_EQ(watch.cycles.back().categoryNow, r.categoryAfter);
    }
}

// The optimiser only moves what is placed; no event's allocation of any week changes. Some
// events are placed in a week where they have no allocation, or beyond it, as files imported or
// edited by hand can be: they keep their places and their allocations.
TEST(OptimiserTest, AllocationsOfEveryWeekStayAsTheyWere)
{
    auto check = [](ScheduleData &d, std::uint32_t seed) {
        const auto before = allocations(d);
        const OptimiseResult r = optimise(d, roundsOnly(4, seed));
        EXPECT_FALSE(r.refused()) << r.message;
        EXPECT_GT(r.swaps + r.moves, 0);
        EXPECT_TRUE(allocations(d) == before);
    };
    for (const std::uint32_t seed : {3u, 8u}) {
        SCOPED_TRACE(seed);
        auto d = makeScheduleData();
        generateInstitution(*d, mediumInstitution(seed));
        WeekAllocation wa;
        int planted = 0;
        for (int i = 1; i <= d->eventList[0]; ++i) {
            const CodeId e = d->eventList[i];
            reloadWeekAllocation(*d, e, wa);
            if (i % 4 == 0 && wa.scheduled[1] > 0)
                wa.allocated[1] = 0; // placed without an allocation
            else if (i % 4 == 1 && wa.scheduled[2] > 1)
                wa.allocated[2] = static_cast<std::uint8_t>(wa.scheduled[2] - 1); // beyond it
            else
                continue;
            ASSERT_GT(storeWeekAllocation(*d, e, wa), 0);
            ++planted;
        }
        ASSERT_GT(planted, 10);
        check(*d, seed);
    }
    {
        SCOPED_TRACE("demo");
        auto d = makeScheduleData();
        const auto read = readDataFile("../../examples/demo.qvf", *d);
        ASSERT_TRUE(read.has_value() && read->complete);
        check(*d, 2);
    }
}

// A conflict somewhere in the range does not hold the run up: it stays as it was, and the run
// adds none.
TEST(OptimiserTest, AConflictInTheRangeStaysAndNoneIsAdded)
{
    auto d = makeScheduleData();
    generateInstitution(*d, mediumInstitution(6));
    plantConflict(*d);
    const int conflicts = sweepConflicts(*d, 1, false).found;
    ASSERT_GT(conflicts, 0);
    const auto before = allocations(*d);
    const OptimiseResult r = optimise(*d, roundsOnly(4, 6));
    ASSERT_FALSE(r.refused()) << r.message;
    EXPECT_GT(r.swaps + r.moves, 0);
    EXPECT_LT(r.gapsAfter, r.gapsBefore);
    EXPECT_GT(r.conflictsBefore, 0);
    EXPECT_EQ(r.conflictsAfter, r.conflictsBefore);
    EXPECT_EQ(sweepConflicts(*d, 1, false).found, conflicts);
    EXPECT_TRUE(allocations(*d) == before);
}

// With the day rule on, a change that leaves a lesson with two separate blocks on one day (or
// more than maxSeq periods) is taken back; the generated lessons start with one block a day.
TEST(OptimiserTest, DayRuleKeepsOneBlockPerDay)
{
    auto d = makeScheduleData();
    generateInstitution(*d, mediumInstitution(12));
    OptimiseSettings s = roundsOnly(4, 12);
    s.mode = ModeOneBlockPerDay;
    s.maxSeq = 2;
    const OptimiseResult r = optimise(*d, s);
    EXPECT_GT(r.swaps + r.moves, 0);
    WeekMatrix m;
    for (int w = 1; w <= 2; ++w) {
        m.build(*d, w);
        for (int i = 1; i <= d->eventList[0]; ++i) {
            const MatrixEvent *ev = m.event(d->eventList[i]);
            if (!ev)
                continue;
            for (int day = 1; day <= m.usedDays(); ++day) {
                const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)];
                const std::uint32_t run = cells >> std::countr_zero(cells | (1u << 31));
                EXPECT_TRUE(cells == 0 || (run & (run + 1)) == 0)
                    << "event " << ev->code << " week " << w << " day " << day;
                EXPECT_LE(std::popcount(cells), 2);
            }
        }
    }
}

// Equal gaps: a block drifts to the earliest bell, also when no category's gaps count.
TEST(OptimiserTest, AtEqualGapsABlockMovesToAnEarlierBell)
{
    for (const int weight : {1, 0}) {
        SCOPED_TRACE(weight);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 6).resources('G', {"G1"}).resources('T', {"T1"});
        f.event("E1", {"G1", "T1"}, 1).allocate("E1", 1, 1, 1).place("E1", 1, 3, 4, 4);
        f.finish();
        OptimiseSettings s = roundsOnly(3, 1);
        s.gapWeights.fill(weight);
        const OptimiseResult r = optimise(*d, s);
        EXPECT_GE(r.moves, 1);
        WeekMatrix m;
        m.build(*d, 1);
        int day = 1, bell = 1;
        ASSERT_EQ(m.nextBlockInRow(m.rowOf(f.id("T1")), day, bell), 1);
        EXPECT_EQ(bell, 1);
    }
}

TEST(OptimiserTest, StopRules)
{
    const std::string interrupted = "Optimisation was interrupted by Quivra";
    // One lesson of a group in a week of one bell: nothing can ever change, so every cycle is
    // fruitless and the 25th ends the run.
    auto stuck = [] {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 1, 1).resources('G', {"G1"}).resources('T', {"T1"});
        f.event("E1", {"G1", "T1"}, 1).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
        f.finish();
        return d;
    };
    // Two lessons of one group that can only trade places: an exchange is sideways, taken only
    // on the visits that accept equal scores, and a cycle with one counts as improving.
    auto plateau = [] {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 1, 2).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("E1", {"G1", "T1"}, 1).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
        f.event("E2", {"G1", "T2"}, 1).allocate("E2", 1, 1, 1).place("E2", 1, 1, 2, 2);
        f.finish();
        return d;
    };
    {
        auto d = stuck();
        const OptimiseResult r = optimise(*d, OptimiseSettings{});
        EXPECT_EQ(r.end, OptimiseEnd::NoImprovement);
        EXPECT_TRUE(r.interrupted);
        EXPECT_EQ(r.rounds, 25);
        EXPECT_TRUE(r.message.starts_with(interrupted)) << r.message;
    }
    {
        auto d = stuck();
        OptimiseSettings s;
        s.fruitlessCycles = 3;
        EXPECT_EQ(optimise(*d, s).rounds, 3);
    }
    {
        auto d = plateau();
        const OptimiseResult r = optimise(*d, OptimiseSettings{});
        EXPECT_EQ(r.end, OptimiseEnd::NoImprovement);
        EXPECT_GT(r.swaps, 0);
        EXPECT_GT(r.rounds, 25) << "a cycle with an exchange is not fruitless";
        EXPECT_EQ(r.gapsAfter, 0);
    }
    {
        // The round counter's limit and the day limit end the run as no improvement does.
        for (const bool byRounds : {true, false}) {
            SCOPED_TRACE(byRounds);
            auto d = makeScheduleData();
            generateInstitution(*d, smallInstitution(2));
            OptimiseSettings s;
            if (byRounds)
                s.roundLimit = 2;
            else
                s.dayLimit = 1e-9;
            const OptimiseResult r = optimise(*d, s);
            EXPECT_EQ(r.end, byRounds ? OptimiseEnd::RoundLimit : OptimiseEnd::TimeLimit);
            EXPECT_TRUE(r.interrupted);
            EXPECT_TRUE(r.message.starts_with(interrupted)) << r.message;
            if (byRounds) {
                EXPECT_EQ(r.rounds, 2);
            }
        }
    }
    {
        // The owner's limits end it with their own message.
        auto d = makeScheduleData();
        generateInstitution(*d, smallInstitution(2));
        const OptimiseResult r = optimise(*d, roundsOnly(2, 5));
        EXPECT_EQ(r.end, OptimiseEnd::RoundLimit);
        EXPECT_FALSE(r.interrupted);
        EXPECT_EQ(r.rounds, 2);
        EXPECT_EQ(r.message, "Optimisation ended after 2 rounds.");
    }
    {
        // A stop request after the first week ends the run before its first cycle completes.
        auto d = makeScheduleData();
        generateInstitution(*d, mediumInstitution(2));
        RecordingObserver watch;
        watch.stopAfterReports = 1;
        const OptimiseResult r = optimise(*d, OptimiseSettings{}, watch.progress, std::ref(watch));
        EXPECT_EQ(r.end, OptimiseEnd::Stopped);
        EXPECT_FALSE(r.interrupted);
        EXPECT_EQ(r.rounds, 0);
        EXPECT_EQ(watch.reports, 1);
        EXPECT_EQ(r.conflictsAfter, 0);
    }
}

TEST(OptimiserTest, RefusalsChangeNothing)
{
    struct Case
    {
        const char *name;
        void (*build)(FixtureBuilder &);
        const char *reason;
    };
    const Case cases[] = {
        {"no events", [](FixtureBuilder &f) { f.calendar(1, 5, 6).resources('T', {"T1"}); },
         "no valid events"},
        {"nothing allocated",
         [](FixtureBuilder &f) {
             f.calendar(1, 5, 6).resources('T', {"T1"});
             f.event("E1", {"T1"}, 2);
         },
         "no periods allocated"},
        {"nothing scheduled",
         [](FixtureBuilder &f) {
             f.calendar(1, 5, 6).resources('T', {"T1"});
             f.event("E1", {"T1"}, 2).allocate("E1", 1, 1, 2);
         },
         "no periods have been scheduled"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        c.build(f);
        f.finish();
        d->codes[1].flags |= 4; // a picker's mark survives
        const std::string before = dataOf(*d);
        const OptimiseResult r = optimise(*d, OptimiseSettings{});
        EXPECT_TRUE(r.refused());
        EXPECT_NE(r.message.find(c.reason), std::string::npos) << r.message;
        EXPECT_TRUE(dataOf(*d) == before);
        EXPECT_FALSE(d->modified);
    }
}

// A change the lecture store cannot take ends the run; the store and the timetables stay as they
// were.
TEST(OptimiserTest, FullStoreEndsTheRunWithoutLosingAnything)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(255, 7, 30).resources('G', {"G1"}).resources('T', {"T1", "T2", "X1", "X2"});
    // Both lessons sit at the same place in weeks 1 and 2, one entry each; a change in one week
    // splits that entry and needs one more.
    f.event("E1", {"G1", "T1"}, 2).allocate("E1", 1, 2, 1);
    f.event("E2", {"G1", "T2"}, 2).allocate("E2", 1, 2, 1);
    f.finish();
    const SlotCoding &sc = d->coding;
    auto add = [&](CodeId c, SlotCode a, SlotCode b, std::uint16_t bits, int kind) {
        const int i = ++d->lectureCount;
        d->lectureWord[i] = static_cast<std::uint16_t>(c | bits);
        d->lectureStart[i] = a;
        d->lectureEnd[i] = b;
        d->bookingKind[i] = static_cast<std::int16_t>(kind);
    };
    add(f.id("E1"), sc.pack(1, 1, 3), sc.pack(2, 1, 3), LectureEventBit, 0);
    add(f.id("E2"), sc.pack(1, 1, 1), sc.pack(2, 1, 1), LectureEventBit, 0);
    // Fill the rest with single bookings no two of which touch, so none merge.
    for (const CodeId x : {f.id("X1"), f.id("X2")})
        for (int w = 3; w <= 255; ++w)
            for (int day = 1; day <= 7; ++day)
                for (int bell = 1 + (w + day) % 2; bell <= 30; bell += 2)
                    if (d->lectureCount < MaxLectures)
                        add(x, sc.pack(w, day, bell), sc.pack(w, day, bell), LectureBookingBit, 1);
    f.finish();
    ASSERT_EQ(d->lectureCount, MaxLectures);
    const std::string before = dataOf(*d);

    OptimiseSettings s = roundsOnly(30, 3);
    s.firstWeek = 1;
    s.lastWeek = 2;
    const OptimiseResult r = optimise(*d, s);
    EXPECT_EQ(r.end, OptimiseEnd::StoreFailed);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.swaps + r.moves, 0);
    EXPECT_EQ(r.gapsAfter, r.gapsBefore);
    EXPECT_TRUE(dataOf(*d) == before);
}

} // namespace
} // namespace quivra
