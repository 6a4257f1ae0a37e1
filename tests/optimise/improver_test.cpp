#include "optimise/improver.h"

#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "optimise/initialsolution.h"
#include "support/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <map>
#include <tuple>
#include <vector>

namespace quivra {
namespace {

// Per (week, day) the bells of the event's placed periods.
std::map<std::pair<int, int>, std::uint32_t> cellsOf(ScheduleData &d, CodeId e)
{
    std::map<std::pair<int, int>, std::uint32_t> cells;
    WeekAllocation wa;
    reloadWeekAllocation(d, e, wa);
    for (const LectureView &v : wa.timetable)
        if (v.word != 0 && !isBookingWord(v.word))
            for (int w = v.startWeek; w <= v.endWeek; ++w)
                for (int day = v.startDay; day <= v.endDay; ++day)
                    cells[{w, day}] |= bellMask(v.startBell, v.endBell);
    return cells;
}

bool oneBlockOfAtMost(std::uint32_t bells, int longest)
{
    const std::uint32_t shifted = bells >> std::countr_zero(bells);
    return (shifted & (shifted + 1)) == 0 && std::popcount(bells) <= longest;
}

// From the same generated timetables, the descent alone and the descent with the search after
// it: the search ends at or below the descent's gaps, adds no conflict, keeps every event's
// periods per week, leaves locked events where they are and keeps the day rule.
TEST(Improver, NeverEndsWorseThanTheDescent)
{
    struct Case
    {
        InstitutionPlan plan;
        OptimiseMethods methods;
        int mode;
        int minSeq;
    };
    const Case cases[] = {
        {smallInstitution(4), MethodBoth, ModeOneBlockPerDay | ModeBalancedDays, 1},
        {mediumInstitution(6), MethodBoth, ModeOneBlockPerDay | ModeBalancedDays, 1},
        {mediumInstitution(8), MethodMoves, 0, 1},
        // Single periods stay where they are, and no block shorter than two is made.
        {mediumInstitution(9), MethodBoth, ModeOneBlockPerDay | ModeBalancedDays, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.plan.periodsPerWeek);
        OptimiseSettings s;
        s.seed = 5;
        s.methods = c.methods;
        s.mode = c.mode;
        s.minSeq = c.minSeq;
        // The same start twice, with its first event locked.
        auto descent = makeScheduleData();
        generateInstitution(*descent, c.plan);
        const CodeId locked = descent->eventList[1];
        descent->codes[locked].flags |= LockedBit;
        const OptimiseResult alone = optimise(*descent, s);

        auto d = makeScheduleData();
        generateInstitution(*d, c.plan);
        d->codes[locked].flags |= LockedBit;
        const auto lockedCells = cellsOf(*d, locked);
        // Blocks of the descent's timetables that the length filter leaves out: the search after
        // it (which starts from the same timetables) keeps them where they are.
        std::vector<std::tuple<CodeId, std::pair<int, int>, std::uint32_t>> filtered;
        for (int i = 1; i <= descent->eventList[0]; ++i) {
            const CodeId e = descent->eventList[i];
            for (const auto &[slot, bells] : cellsOf(*descent, e))
                if (std::popcount(bells) < c.minSeq)
                    filtered.emplace_back(e, slot, bells);
        }
        std::vector<std::pair<int, int>> counts;
        for (int i = 1; i <= d->eventList[0]; ++i)
            counts.emplace_back(d->codes[d->eventList[i]].allocated,
                                d->codes[d->eventList[i]].scheduled);

        // Room for the whole descent however slow the build (a sanitizer's, a loaded machine),
        // and a second of search after it.
        s.maxSeconds = 1 + 3 * alone.seconds;
        int reported = alone.gapsBefore;
        const OptimiseObserver watch = [&](const OptimiseStatus &st) {
            if (st.point == OptimiseStatus::Point::Cycle)
                reported = st.gapsNow;
        };
        NullProgress progress;
        const OptimiseResult r = optimiseWithBudget(*d, s, progress, watch);
        EXPECT_EQ(r.gapsBefore, alone.gapsBefore);
        EXPECT_LE(r.gapsAfter, alone.gapsAfter);
        EXPECT_EQ(reported, r.gapsAfter);
        EXPECT_EQ(r.conflictsAfter, 0);
        EXPECT_EQ(conflictsInWeeks(*d, 1, c.plan.weeks), 0);
        EXPECT_EQ(cellsOf(*d, locked), lockedCells);
        for (const auto &[e, slot, bells] : filtered)
            EXPECT_EQ(cellsOf(*d, e)[slot] & bells, bells) << e << " day " << slot.second;
        for (int i = 1; i <= d->eventList[0]; ++i) {
            const CodeId e = d->eventList[i];
            EXPECT_EQ(std::make_pair(int{d->codes[e].allocated}, int{d->codes[e].scheduled}),
                      counts[static_cast<std::size_t>(i - 1)])
                << e;
            if (!(c.mode & ModeOneBlockPerDay))
                continue;
            for (const auto &[slot, bells] : cellsOf(*d, e)) {
                EXPECT_TRUE(oneBlockOfAtMost(bells, s.maxSeq)) << e << " day " << slot.second;
                const bool kept = std::any_of(filtered.begin(), filtered.end(), [&](const auto &f) {
                    return std::get<0>(f) == e && std::get<1>(f) == slot;
                });
                if (!kept) {
                    EXPECT_GE(std::popcount(bells), c.minSeq) << e << " day " << slot.second;
                }
            }
        }
    }
}

} // namespace
} // namespace quivra
