// Timetable optimisation on generated secondary schools of about 40, 400 and 1400 periods a week.
//
// BM_Optimise/<size>/<seconds>: one run with a time limit and no fruitless-cycles rule; counters
// give the weighted gaps before and after, the changes and the changes per minute. The 60-second
// run of the largest school is its own benchmark (BM_OptimiseLarge60s) so a filter can leave it
// out. BM_FastVersusReference/<size>/<rounds>: the same run (to its own end when rounds is 0) in
// the fast and the reference mode from the same seed; counters give both times, the speed-up and
// whether the stores came out identical. The speed-up is taken from the process's processor time
// as well (speedup_cpu), which other programs on a busy machine disturb far less than the clock.

#include "engine/dump.h"
#include "optimise/optimiser.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>

namespace quivra {
namespace {

InstitutionPlan institution(int size)
{
    switch (size) {
    case 0:
        return smallInstitution(17);
    case 1:
        return mediumInstitution(17);
    default:
        return largeInstitution(17);
    }
}

void runTimed(benchmark::State &state, int size, double seconds)
{
    auto d = makeScheduleData();
    OptimiseResult r;
    for (auto _ : state) {
        state.PauseTiming();
        generateInstitution(*d, institution(size));
        OptimiseSettings s;
        s.seed = 99;
        s.maxSeconds = seconds;
        s.fruitlessCycles = 0; // use the whole time, plateaus included
        state.ResumeTiming();
        r = optimise(*d, s);
    }
    const int changes = r.swaps + r.moves;
    state.counters["gaps_before"] = r.gapsBefore;
    state.counters["gaps_after"] = r.gapsAfter;
    state.counters["changes"] = changes;
    state.counters["changes_per_min"] = r.seconds > 0 ? changes * 60.0 / r.seconds : 0;
    state.counters["rounds"] = r.rounds;
    state.counters["undone"] = r.undone;
    state.counters["ended_by_time"] = r.end == OptimiseEnd::TimeLimit ? 1 : 0;
}

void BM_Optimise(benchmark::State &state)
{
    runTimed(state, static_cast<int>(state.range(0)), static_cast<double>(state.range(1)));
}
BENCHMARK(BM_Optimise)
    ->ArgNames({"size", "seconds"})
    ->Args({0, 10})
    ->Args({1, 10})
    ->Args({2, 10})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void BM_OptimiseLarge60s(benchmark::State &state)
{
    runTimed(state, 2, 60);
}
BENCHMARK(BM_OptimiseLarge60s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_FastVersusReference(benchmark::State &state)
{
    const int size = static_cast<int>(state.range(0));
    const int rounds = static_cast<int>(state.range(1));
    auto fast = makeScheduleData();
    auto reference = makeScheduleData();
    double fastSeconds = 0, referenceSeconds = 0;
    double fastCpu = 0, referenceCpu = 0;
    auto cpuSeconds = [] { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; };
    bool identical = true;
    int changes = 0;
    for (auto _ : state) {
        generateInstitution(*fast, institution(size));
        generateInstitution(*reference, institution(size));
        OptimiseSettings s;
        s.seed = 99;
        s.maxRounds = rounds;
        const double c0 = cpuSeconds();
        const OptimiseResult rf = optimise(*fast, s);
        const double c1 = cpuSeconds();
        s.reference = true;
        const OptimiseResult rr = optimise(*reference, s);
        fastCpu += c1 - c0;
        referenceCpu += cpuSeconds() - c1;
        fastSeconds += rf.seconds;
        referenceSeconds += rr.seconds;
        changes = rf.swaps + rf.moves;
        identical = identical && rf.swaps == rr.swaps && rf.moves == rr.moves &&
                    dumpScheduleData(*fast) == dumpScheduleData(*reference);
    }
    state.counters["fast_s"] = fastSeconds;
    state.counters["reference_s"] = referenceSeconds;
    state.counters["speedup"] = fastSeconds > 0 ? referenceSeconds / fastSeconds : 0;
    state.counters["fast_cpu_s"] = fastCpu;
    state.counters["reference_cpu_s"] = referenceCpu;
    state.counters["speedup_cpu"] = fastCpu > 0 ? referenceCpu / fastCpu : 0;
    state.counters["changes"] = changes;
    state.counters["identical"] = identical ? 1 : 0;
}
BENCHMARK(BM_FastVersusReference)
    ->ArgNames({"size", "rounds"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 10})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
} // namespace quivra
