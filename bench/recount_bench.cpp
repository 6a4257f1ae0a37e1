// The recount and the totals passes on a full data set: 8191 codes and 32763 lecture entries.

#include "engine/calendar.h"
#include "engine/lectures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace {

using namespace quivra;

// 4095 resources and 4096 events of three resources each; every event holds one week
// allocation and about seven timetable lectures, stored in shuffled order as an unsorted file
// would hold them.
std::unique_ptr<ScheduleData> fullDataSet()
{
    auto data = makeScheduleData();
    ScheduleData &d = *data;
    constexpr int Resources = 4095;
    for (int c = 1; c <= MaxCodes; ++c) {
        CodeRecord &rec = d.codes[c];
        const bool event = c > Resources;
        const int category = event ? 1 : 1 + c % 3;
        rec.flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) |
                                               (1u << (CategoryShift + category - 1)));
        rec.code.assign((event ? "E" : "R") + std::to_string(c));
        rec.name.assign("Name of code " + std::to_string(c) + " #30");
    }
    d.codeCount = MaxCodes;
    setLectureCodeMask(d);

    std::mt19937 random(12345);
    auto draw = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int e = Resources + 1; e <= MaxCodes; ++e) {
        MemberList members{};
        members[0] = 3;
        for (int k = 1; k <= 3; ++k)
            members[k] = static_cast<CodeId>(draw(1, Resources));
        setCollection(d, static_cast<CodeId>(e), members);
    }
    for (int e = Resources + 1; e <= MaxCodes && d.lectureCount < MaxLectures; ++e) {
        const auto word = static_cast<std::uint16_t>(e | LectureEventBit);
        LectureView allocation;
        allocation.word = word;
        allocation.startWeek = 1;
        allocation.endWeek = static_cast<std::uint8_t>(draw(1, 40));
        allocation.count = 7;
        appendLecture(d, allocation);
        for (int k = 0; k < 7 && d.lectureCount < MaxLectures; ++k) {
            LectureView block;
            block.word = word;
            block.startWeek = block.endWeek = static_cast<std::uint8_t>(draw(1, 40));
            block.startDay = block.endDay = static_cast<std::uint8_t>(draw(1, 5));
            block.startBell = static_cast<std::uint8_t>(draw(1, 8));
            block.endBell = static_cast<std::uint8_t>(block.startBell + draw(0, 1));
            appendLecture(d, block);
        }
    }
    const int n = d.lectureCount;
    for (int i = n; i > 1; --i) {
        const int j = draw(1, i);
        std::swap(d.lectureWord[i], d.lectureWord[j]);
        std::swap(d.lectureStart[i], d.lectureStart[j]);
        std::swap(d.lectureEnd[i], d.lectureEnd[j]);
        std::swap(d.bookingKind[i], d.bookingKind[j]);
    }
    return data;
}

void BM_RecountShuffledStore(benchmark::State &state)
{
    const auto pristine = fullDataSet();
    auto work = makeScheduleData();
    for (auto _ : state) {
        state.PauseTiming();
        *work = *pristine;
        state.ResumeTiming();
        recount(*work);
        benchmark::DoNotOptimize(work->lectureCount);
    }
    state.counters["lectures"] = work->lectureCount;
}
BENCHMARK(BM_RecountShuffledStore)->Unit(benchmark::kMillisecond);

void BM_RecountSortedStore(benchmark::State &state)
{
    const auto d = fullDataSet();
    recount(*d);
    for (auto _ : state) {
        recount(*d);
        benchmark::DoNotOptimize(d->lectureCount);
    }
}
BENCHMARK(BM_RecountSortedStore)->Unit(benchmark::kMillisecond);

void BM_TotalsAllCodes(benchmark::State &state)
{
    const auto d = fullDataSet();
    recount(*d);
    for (auto _ : state)
        benchmark::DoNotOptimize(totals(*d, 1, d->codeCount));
}
BENCHMARK(BM_TotalsAllCodes)->Unit(benchmark::kMillisecond);

void BM_AllResourceTotals(benchmark::State &state)
{
    const auto d = fullDataSet();
    recount(*d);
    for (auto _ : state) {
        allResourceTotals(*d);
        benchmark::DoNotOptimize(d->codes[1].planned);
    }
}
BENCHMARK(BM_AllResourceTotals)->Unit(benchmark::kMillisecond);

} // namespace
