// The health check's findings, the statistics and the timetable quality list on the largest
// generated school and on a data set at every capacity (8191 codes, a full lecture store).

#include "checks/health.h"
#include "checks/quality.h"
#include "checks/statistics.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace quivra {
namespace {

constexpr int Groups = 600;
constexpr int Teachers = 800;
constexpr int Rooms = 791;
constexpr int Resources = Groups + Teachers + Rooms; // 2191
constexpr int Weeks = 40, Days = 5, Bells = 8;

struct Random
{
    std::uint32_t seed = 4711;
    int below(int n)
    {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
    }
};

// 6000 events of a group, a teacher and a room with four periods a week over 40 weeks and four
// placed blocks each; the rest of the lecture store holds resource bookings.
std::unique_ptr<ScheduleData> fullDataSet()
{
    auto d = makeScheduleData();
    d->calendarRange.startWeek = d->calendarRange.startDay = d->calendarRange.startBell = 1;
    d->calendarRange.endWeek = Weeks;
    d->calendarRange.endDay = Days;
    d->calendarRange.endBell = Bells;
    Random rnd;
    auto category = [](int k) { return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1)); };
    for (int c = 1; c <= MaxCodes; ++c) {
        CodeRecord &rec = d->codes[c];
        const bool event = c > Resources;
        rec.flags = event ? static_cast<std::uint16_t>(IsEventBit | category(1))
                          : category(c <= Groups              ? 1
                                     : c <= Groups + Teachers ? 2
                                                              : 3);
        rec.code.assign((event ? "E" : "R") + std::to_string(c));
        rec.planned = 160;
    }
    d->codeCount = MaxCodes;
    setLectureCodeMask(*d);
    int pos = 0;
    for (int e = Resources + 1; e <= MaxCodes; ++e) {
        d->collection[++pos] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
        d->codes[e].collectionPos = static_cast<std::uint16_t>(pos);
        d->collection[++pos] = static_cast<std::uint16_t>(1 + rnd.below(Groups));
        d->collection[++pos] = static_cast<std::uint16_t>(Groups + 1 + rnd.below(Teachers));
        d->collection[++pos] = static_cast<std::uint16_t>(Groups + Teachers + 1 + rnd.below(Rooms));
        ++d->collectionCount;
    }
    d->collectionEntryCount = pos;
    for (int e = Resources + 1; e <= MaxCodes; ++e) {
        LectureView alloc;
        alloc.word = static_cast<std::uint16_t>(e | LectureEventBit);
        alloc.count = 4;
        alloc.startWeek = 1;
        alloc.endWeek = Weeks;
        appendLecture(*d, alloc, 0);
        for (int k = 0; k < 4; ++k) {
            LectureView v;
            v.word = alloc.word;
            v.startWeek = static_cast<std::uint8_t>(1 + rnd.below(Weeks / 2));
            v.endWeek = static_cast<std::uint8_t>(v.startWeek + rnd.below(Weeks / 2));
            v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(Days));
            v.startBell = static_cast<std::uint8_t>(1 + rnd.below(Bells));
            v.endBell = v.startBell;
            appendLecture(*d, v, 0);
        }
    }
    while (d->lectureCount < MaxLectures) {
        LectureView v;
        v.word = static_cast<std::uint16_t>((1 + rnd.below(Resources)) | LectureBookingBit);
        v.startWeek = v.endWeek = static_cast<std::uint8_t>(1 + rnd.below(Weeks));
        v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(Days));
        v.startBell = v.endBell = static_cast<std::uint8_t>(1 + rnd.below(Bells));
        if (appendLecture(*d, v, 1 + rnd.below(3)) == 0)
            break;
    }
    rebuildLists(*d);
    totals(*d, 1, d->codeCount);
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
