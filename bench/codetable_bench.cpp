// Sorting a full code table: 8000 resources with random codes and names (many names repeated)
// and 150 events using them, with lectures, manual rooms and roles to renumber.

#include "engine/codetable.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

using namespace quivra;

constexpr int Resources = 8000;
constexpr int Events = 150;

std::unique_ptr<ScheduleData> buildTable()
{
    auto d = makeScheduleData();
    std::uint32_t seed = 2024;
    auto draw = [&seed](int n) {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(seed) * n) >> 32);
    };
    auto add = [&](const std::string &code, const std::string &name, std::uint16_t flags) {
        CodeRecord &r = d->codes[++d->codeCount];
        r.code.assign(code);
        r.name.assign(name);
        r.flags = flags;
        r.planned = 1;
        return static_cast<CodeId>(d->codeCount);
    };
    for (int i = 0; i < Resources; ++i) {
        const int category = 1 + draw(3);
        add("R" + std::to_string(draw(1000000)), "Resource name " + std::to_string(draw(3000)),
            static_cast<std::uint16_t>(1u << (CategoryShift + category - 1)));
    }
    for (int i = 0; i < Events; ++i) {
        const CodeId e = add("E" + std::to_string(i), "Event " + std::to_string(draw(100)),
                             static_cast<std::uint16_t>(IsEventBit | (1u << CategoryShift)));
        d->collection[++d->collectionEntryCount] = e | CollectionMarkerBit;
        const int members = 2 + draw(6);
        for (int m = 0; m < members; ++m)
            d->collection[++d->collectionEntryCount] =
                static_cast<std::uint16_t>(1 + draw(Resources));
        d->codes[e].links = static_cast<std::uint16_t>(members);
        for (int k = 0; k < 20; ++k) {
            const int n = ++d->lectureCount;
            d->lectureWord[n] = static_cast<std::uint16_t>(LectureEventBit | e);
            d->lectureStart[n] = d->lectureEnd[n] =
                d->coding.pack(1 + draw(30), 1 + draw(5), 1 + draw(8));
        }
        const int base = 1 + d->manualRooms[0];
        d->manualRooms[base] = d->coding.pack(1, 1, 1);
        d->manualRooms[base + 1] = e;
        d->manualRooms[base + 2] = d->collection[d->collectionEntryCount];
        d->manualRooms[0] = static_cast<std::uint16_t>(d->manualRooms[0] + 3);
    }
    d->lectureCodeMask = d->codeCount > NarrowCodeMask ? WideCodeMask : NarrowCodeMask;
    rebuildLists(*d);
    return d;
}

void sortResources(benchmark::State &state)
{
    const auto table = buildTable();
    auto work = std::make_unique<ScheduleData>();
    const int key = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        *work = *table;
        state.ResumeTiming();
        sortCodes(*work, key, CodeKind::Resource, true, false);
        benchmark::DoNotOptimize(work->codes[1]);
    }
}
BENCHMARK(sortResources)->Arg(SortByName)->Arg(SortByCode)->Unit(benchmark::kMillisecond);

// Flipping the direction of a sorted table, as a second click on a column header does.
void reverseSortedResources(benchmark::State &state)
{
    const auto table = buildTable();
    const int key = static_cast<int>(state.range(0));
    sortCodes(*table, key, CodeKind::Resource, true, false);
    auto work = std::make_unique<ScheduleData>();
    for (auto _ : state) {
        state.PauseTiming();
        *work = *table;
        state.ResumeTiming();
        sortCodes(*work, key, CodeKind::Resource, false, false);
        benchmark::DoNotOptimize(work->codes[1]);
    }
}
BENCHMARK(reverseSortedResources)->Arg(SortByName)->Arg(SortByCode)->Unit(benchmark::kMillisecond);

} // namespace
