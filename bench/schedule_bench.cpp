// The initial solution over generated schools with nothing placed yet: about 40, 400 and 1400
// periods a week. Each iteration generates the school afresh (not timed) and places everything it
// can; the counters show how much was placed and how much was left.

#include "optimise/initialsolution.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace quivra {
namespace {

InstitutionPlan planOf(int size)
{
    InstitutionPlan s = size == 0   ? smallInstitution(7)
                        : size == 1 ? mediumInstitution(7)
                                    : largeInstitution(7);
    s.place = false;
    return s;
}

void BM_InitialSolution(benchmark::State &state)
{
    const InstitutionPlan plan = planOf(static_cast<int>(state.range(0)));
    auto d = makeScheduleData();
    ScheduleSummary last;
    for (auto _ : state) {
        state.PauseTiming();
        generateInstitution(*d, plan);
        state.ResumeTiming();
        last = scheduleAll(*d, 1);
        benchmark::DoNotOptimize(last.scheduled);
    }
    state.counters["allocated"] = static_cast<double>(last.allocated);
    state.counters["placed"] = static_cast<double>(last.placed);
    state.counters["left"] = static_cast<double>(last.left);
}
BENCHMARK(BM_InitialSolution)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Counting the conflicts of a fully placed large school: the check before and after every run.
void BM_ConflictCount(benchmark::State &state)
{
    auto d = makeScheduleData();
    const InstitutionPlan plan = largeInstitution(7);
    generateInstitution(*d, plan);
    for (auto _ : state)
        benchmark::DoNotOptimize(conflictsInWeeks(*d, 1, plan.weeks));
}
BENCHMARK(BM_ConflictCount)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
