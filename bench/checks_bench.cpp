// The health check's findings, the statistics and the timetable quality list on the largest
// generated school and on a data set at every capacity (8191 codes, a full lecture store).

#include "checks/health.h"
#include "checks/quality.h"
#include "checks/statistics.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "support/generator.h"

#include "benchdata.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace quivra {
namespace {

// The shared full data set, with every resource's totals counted as well.
std::unique_ptr<ScheduleData> fullDataSet()
{
    auto d = benchdata::fullDataSet(4711, 160);
    allResourceTotals(*d);
    d->modified = false;
    return d;
}

std::unique_ptr<ScheduleData> largeSchool()
{
    auto d = makeScheduleData();
    generateInstitution(*d, largeInstitution(7));
    return d;
}

// Argument 0: the largest generated school; 1: every store at its capacity.
std::unique_ptr<ScheduleData> dataSet(const benchmark::State &state)
{
    return state.range(0) == 0 ? largeSchool() : fullDataSet();
}

void BM_HealthFindings(benchmark::State &state)
{
    auto d = dataSet(state);
    std::size_t found = 0;
    for (auto _ : state) {
        found = healthFindings(*d).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["codes"] = d->codeCount;
    state.counters["findings"] = static_cast<double>(found);
}
BENCHMARK(BM_HealthFindings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Statistics(benchmark::State &state)
{
    auto d = dataSet(state);
    for (auto _ : state) {
        const Statistics s = computeStatistics(*d);
        benchmark::DoNotOptimize(s.timetableLines.data());
        benchmark::DoNotOptimize(summaryText(*d, ""));
    }
    state.counters["codes"] = d->codeCount;
}
BENCHMARK(BM_Statistics)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TimetableQuality(benchmark::State &state)
{
    auto d = dataSet(state);
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = timetableQuality(*d, 1, false).rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["codes"] = d->codeCount;
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_TimetableQuality)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Removing the unused codes of the full data set: its 1500 last events lose their resources.
void BM_RemoveUnusedCodes(benchmark::State &state)
{
    auto original = fullDataSet();
    for (int e = MaxCodes - 1499; e <= MaxCodes; ++e) {
        const int pos = original->codes[e].collectionPos;
        for (int k = 1; k <= 3; ++k)
            original->collection[static_cast<std::size_t>(pos + k)] = 0;
    }
    rebuildLists(*original);
    auto d = makeScheduleData();
    int removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        *d = *original;
        state.ResumeTiming();
        removed = removeUnusedCodes(*d).size();
        benchmark::DoNotOptimize(removed);
    }
    state.counters["removed"] = removed;
}
BENCHMARK(BM_RemoveUnusedCodes)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace quivra
