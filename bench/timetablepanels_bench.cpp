// The Timetables view's panels on the largest generated school (benchdata.h: 8191 codes, 40
// weeks, a full lecture store): the week choice's lines, which every refresh of the view lists
// again; the bird's eye lines of a week and the master's week strip; the quality grid's
// Refresh; and the fit list of one cell.

#include "benchdata.h"

#include "commands/timetablepanels.h"
#include "engine/codetable.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quivra;

ScheduleData &school()
{
    static const std::unique_ptr<ScheduleData> d = benchdata::fullDataSet(20261211, 160);
    return *d;
}

// The session on week 3 with the master of the first row.
TimetablesSession &session()
{
    static TimetablesSession s = [] {
        TimetablesSession opened;
        opened.open(school(), 3);
        opened.setMaster(opened.matrix().resourceOfRow(1));
        return opened;
    }();
    return s;
}

void BM_WeekChoiceLines(benchmark::State &state)
{
    const ScheduleData &d = school();
    for (auto _ : state) {
        const auto lines = weekChoiceLines(d);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_WeekChoiceLines)->Unit(benchmark::kMillisecond);

void BM_BirdsEyeRows(benchmark::State &state)
{
    const ScheduleData &d = school();
    TimetablesSession &s = session();
    for (auto _ : state) {
        const BirdsEyeTable t = birdsEyeRows(d, s.matrix(), ShowCode);
        benchmark::DoNotOptimize(t.lines.data());
    }
    state.counters["rows"] = s.matrix().rowCount();
}
BENCHMARK(BM_BirdsEyeRows)->Unit(benchmark::kMillisecond);

void BM_WeekStripRows(benchmark::State &state)
{
    const ScheduleData &d = school();
    TimetablesSession &s = session();
    for (auto _ : state) {
        const BirdsEyeTable t = weekStripRows(d, s.matrix(), s.master(), ShowCode);
        benchmark::DoNotOptimize(t.lines.data());
    }
}
BENCHMARK(BM_WeekStripRows)->Unit(benchmark::kMillisecond);

void BM_QualityGrid(benchmark::State &state)
{
    const ScheduleData &d = school();
    TimetablesSession &s = session();
    for (auto _ : state) {
        const auto lines = qualityGrid(d, s.matrix());
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_QualityGrid)->Unit(benchmark::kMillisecond);

void BM_FitList(benchmark::State &state)
{
    const ScheduleData &d = school();
    TimetablesSession &s = session();
    for (auto _ : state) {
        const auto fit = fitEvents(d, s, 2, 3);
        benchmark::DoNotOptimize(fit.data());
    }
}
BENCHMARK(BM_FitList)->Unit(benchmark::kMillisecond);

} // namespace
