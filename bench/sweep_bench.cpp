// The conflict sweep, and operations that rewrite many codes, on a data set at every capacity:
// 8191 codes, a full lecture store.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"

#include "benchdata.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace quivra {
namespace {

std::unique_ptr<ScheduleData> fullDataSet()
{
    return benchdata::fullDataSet(12345, 40);
}

void BM_SweepCountOnly(benchmark::State &state)
{
    auto d = fullDataSet();
    ConflictReport r;
    for (auto _ : state) {
        r = sweepConflicts(*d, 1, false);
        benchmark::DoNotOptimize(r);
    }
    state.counters["lectures"] = d->lectureCount;
    state.counters["found"] = r.found;
}
BENCHMARK(BM_SweepCountOnly)->Unit(benchmark::kMillisecond);

void BM_SweepRemove(benchmark::State &state)
{
    const auto original = fullDataSet();
    auto d = makeScheduleData();
    ConflictReport r;
    for (auto _ : state) {
        state.PauseTiming();
        *d = *original;
        state.ResumeTiming();
        r = sweepConflicts(*d, 1, true);
        benchmark::DoNotOptimize(r);
    }
    state.counters["lectures"] = original->lectureCount;
    state.counters["removed"] = r.removed;
}
BENCHMARK(BM_SweepRemove)->Unit(benchmark::kMillisecond);

// Operations that rewrite many codes at once on the same full data set.
template <typename Operation> void runOnCopies(benchmark::State &state, Operation operation)
{
    const auto original = fullDataSet();
    auto d = makeScheduleData();
    for (auto _ : state) {
        state.PauseTiming();
        *d = *original;
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation(*d));
    }
    state.counters["lectures"] = original->lectureCount;
}

void BM_CopyDayAllEvents(benchmark::State &state)
{
    runOnCopies(state, [](ScheduleData &d) { return copyDay(d, 3, 2, 4, 2, CodeScope::All); });
}
BENCHMARK(BM_CopyDayAllEvents)->Unit(benchmark::kMillisecond);

void BM_Tidy(benchmark::State &state)
{
    runOnCopies(state, [](ScheduleData &d) { return tidy(d).lecturesAfter; });
}
BENCHMARK(BM_Tidy)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
