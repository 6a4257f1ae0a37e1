// The Timetables view on the largest generated school (benchdata.h: 8191 codes, 40 weeks, a
// full lecture store): what the view works out when it is refreshed after a change made
// elsewhere (the week matrix rebuilt, the master's event list, the current event's free cells
// and the master's week timetable), the same with every cell display option on (the master's
// cells with their marks: indicators, move and swap options, gap picture), and one probe while a
// block is dragged over a slot.

#include "benchdata.h"

#include "commands/timetablecommands.h"
#include "commands/timetabledisplay.h"
#include "engine/conflicts.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quivra;

ScheduleData &school()
{
    static const std::unique_ptr<ScheduleData> d = benchdata::fullDataSet(20261211, 160);
    return *d;
}

// The session on week 3 with the master of the busiest row and its first event.
struct Fixture
{
    TimetablesSession s;
    MasterBlock block;

    explicit Fixture(ScheduleData &d)
    {
        s.open(d, 3);
        int best = 0;
        for (int row = 1; row <= s.matrix().rowCount(); ++row) {
            int cells = 0;
            for (int day = 1; day <= s.matrix().usedDays(); ++day)
                cells += std::popcount(s.matrix().eventMask(row, day));
            if (cells > best) {
                best = cells;
                s.setMaster(s.matrix().resourceOfRow(row));
            }
        }
        for (int day = 1; day <= s.matrix().usedDays() && !block; ++day)
            for (int bell = 1; bell <= s.matrix().usedBells() && !block; ++bell)
                block = blockAt(d, s, day, bell);
        s.setEvent(block.event);
    }
};

void BM_TimetablesRefresh(benchmark::State &state)
{
    ScheduleData &d = school();
    Fixture f(d);
    for (auto _ : state) {
        f.s.invalidate();
        f.s.ensure(d, 3);
        const auto lines = timetableEvents(d, f.s);
        const FreeCells scores = f.s.scoresOf(d, f.s.event());
        WeekTimetable master;
        weekTimetableOf(d, f.s.master(), 3, master, true);
        benchmark::DoNotOptimize(lines.data());
        benchmark::DoNotOptimize(&scores);
        benchmark::DoNotOptimize(&master);
    }
    state.counters["rows"] = f.s.matrix().rowCount();
}
BENCHMARK(BM_TimetablesRefresh)->Unit(benchmark::kMillisecond);

void BM_TimetablesRefreshAllOptions(benchmark::State &state)
{
    ScheduleData &d = school();
    Fixture f(d);
    f.s.clickCell(d, f.block.day, f.block.bell);
    CellDisplayOptions options;
    options.bits = (1u << CellOptionItems) - 1;
    options.codeMode = ShowCodeAndName;
    auto cells = std::make_unique<TimetableCells>();
    int marks = 0;
    for (auto _ : state) {
        f.s.invalidate();
        f.s.ensure(d, 3);
        const auto lines = timetableEvents(d, f.s);
        fillTimetableCells(d, f.s.master(), 3, options, &f.s, *cells);
        benchmark::DoNotOptimize(lines.data());
        benchmark::DoNotOptimize(cells.get());
    }
    for (int day = 1; day <= cells->days; ++day)
        for (int bell = 1; bell <= cells->bells; ++bell)
            marks += cells->at(day, bell).moveStart + (cells->at(day, bell).swapScore > 0);
    state.counters["marks"] = marks;
}
BENCHMARK(BM_TimetablesRefreshAllOptions)->Unit(benchmark::kMillisecond);

void BM_TimetablesDragOver(benchmark::State &state)
{
    ScheduleData &d = school();
    Fixture f(d);
    int day = 1, bell = 1;
    for (auto _ : state) {
        // A different slot each time, as the mouse moves over the grid.
        if (++bell > f.s.matrix().usedBells()) {
            bell = 1;
            day = day % f.s.matrix().usedDays() + 1;
        }
        const DragProbe probe = dragOver(d, f.s, f.block, day, bell);
        benchmark::DoNotOptimize(probe.feasible);
    }
}
BENCHMARK(BM_TimetablesDragOver)->Unit(benchmark::kMillisecond);

} // namespace
