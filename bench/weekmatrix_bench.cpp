// The week matrix of a week with 2000 timetabled resources: building it, counting its gaps (by
// masks and cell by cell) and one probe of a block over every position of the week.

#include "engine/calendar.h"
#include "engine/gaps.h"
#include "engine/lectures.h"
#include "engine/weekmatrix.h"

#include "benchdata.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

namespace quivra {
namespace {

constexpr int Groups = 500, Teachers = 900, Rooms = 600;
constexpr int Resources = Groups + Teachers + Rooms; // 2000
constexpr int Events = 4000;
constexpr int Weeks = 2, Days = 5, Bells = 10;

std::unique_ptr<ScheduleData> weekDataSet()
{
    benchdata::Random rnd{4711};
    auto d = benchdata::codesAndCollections({.groups = Groups,
                                             .teachers = Teachers,
                                             .rooms = Rooms,
                                             .events = Events,
                                             .weeks = Weeks,
                                             .days = Days,
                                             .bells = Bells,
                                             .planned = 10},
                                            rnd);
    const int codes = Resources + Events;
    for (int e = Resources + 1; e <= codes; ++e) {
        LectureView alloc;
        alloc.word = static_cast<std::uint16_t>(e | LectureEventBit);
        alloc.count = 4;
        alloc.startWeek = alloc.endWeek = 1;
        appendLecture(*d, alloc, 0);
        for (int k = 0; k < 2; ++k) {
            LectureView v;
            v.word = alloc.word;
            v.startWeek = v.endWeek = 1;
            v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(Days));
            v.startBell = static_cast<std::uint8_t>(1 + rnd.below(Bells - 1));
            v.endBell = static_cast<std::uint8_t>(v.startBell + rnd.below(2));
            appendLecture(*d, v, 0);
        }
    }
    return d;
}

GapCategoryWeights weights()
{
    GapCategoryWeights w{};
    w.fill(1);
    w[3] = 0; // rooms
    return w;
}

// Cell by cell, as the rule reads; the reference the mask-based count is measured against.
int literalGapCount(const WeekMatrix &m, const GapCategoryWeights &w)
{
    int total = 0;
    for (int row = 1; row <= m.rowCount(); ++row) {
        const int weight = w[static_cast<std::size_t>(m.categoryOfRow(row))];
        if (weight == 0)
            continue;
        for (int day = 1; day <= m.usedDays(); ++day) {
            int count = 0, first = 0, last = 0;
            for (int bell = 1; bell <= m.usedBells(); ++bell)
                if (m.cell(row, day, bell) & CellEventBit) {
                    ++count;
                    first = first == 0 ? bell : first;
                    last = bell;
                }
            if (count > 0)
                total += (last - first + 1 - count) * weight;
        }
    }
    return total;
}

void BM_BuildWeekMatrix(benchmark::State &state)
{
    auto d = weekDataSet();
    auto m = std::make_unique<WeekMatrix>();
    for (auto _ : state)
        benchmark::DoNotOptimize(m->build(*d, 1));
    state.counters["rows"] = m->rowCount();
    state.counters["conflicts"] = m->conflictWrites();
}
BENCHMARK(BM_BuildWeekMatrix)->Unit(benchmark::kMillisecond);

void BM_GapCount(benchmark::State &state)
{
    auto d = weekDataSet();
    auto m = std::make_unique<WeekMatrix>();
    m->build(*d, 1);
    const GapCategoryWeights w = weights();
    for (auto _ : state)
        benchmark::DoNotOptimize(gapCount(*m, w, false).total);
}
BENCHMARK(BM_GapCount)->Unit(benchmark::kMicrosecond);

void BM_GapCountLiteral(benchmark::State &state)
{
    auto d = weekDataSet();
    auto m = std::make_unique<WeekMatrix>();
    m->build(*d, 1);
    const GapCategoryWeights w = weights();
    for (auto _ : state)
        benchmark::DoNotOptimize(literalGapCount(*m, w));
}
BENCHMARK(BM_GapCountLiteral)->Unit(benchmark::kMicrosecond);

// One block taken out, scored, and put at every position of the week, with a full gap count
// each time, then put back: what choosing the best move of one block costs.
void BM_ProbeBlockOverAllPositions(benchmark::State &state)
{
    auto d = weekDataSet();
    auto m = std::make_unique<WeekMatrix>();
    m->build(*d, 1);
    const GapCategoryWeights w = weights();
    const CodeId e = m->weekEvents()[0];
    const MatrixEvent *ev = m->event(e);
    int day = 1;
    while (ev->cells[static_cast<std::size_t>(day)] == 0)
        ++day;
    const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)];
    const int bell = std::countr_zero(cells) + 1;
    const int length = (cells >> bell) & 1 ? 2 : 1;
    FreeCells fc;
    int probes = 0;
    for (auto _ : state) {
        const int base = gapCount(*m, w, false).total;
        m->probeErase(e, day, bell, length);
        freeCellScores(*d, *m, e, w, fc);
        int best = 0;
        probes = 0;
        for (int dd = 1; dd <= Days; ++dd)
            for (int b = 1; b + length - 1 <= Bells; ++b) {
                m->probeEnter(e, dd, b, length);
                best = std::max(best, base - gapCount(*m, w, false).total);
                m->probeErase(e, dd, b, length);
                ++probes;
            }
        m->probeEnter(e, day, bell, length);
        benchmark::DoNotOptimize(best);
    }
    state.counters["positions"] = probes;
}
BENCHMARK(BM_ProbeBlockOverAllPositions)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace quivra
