// The conflict sweep, and operations that rewrite many codes, on a data set at every capacity:
// 8191 codes, a full lecture store.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace quivra {
namespace {

constexpr int Groups = 600;
constexpr int Teachers = 800;
constexpr int Rooms = 791;
constexpr int Resources = Groups + Teachers + Rooms; // 2191
constexpr int Events = MaxCodes - Resources;         // 6000
constexpr int Weeks = 40, Days = 5, Bells = 8;

struct Random
{
    std::uint32_t seed = 12345;
    int below(int n)
    {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
    }
};

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
        rec.planned = 40;
    }
    d->codeCount = MaxCodes;
    setLectureCodeMask(*d);

    // Each event: a group, a teacher and a room.
    int pos = 0;
    for (int e = Resources + 1; e <= MaxCodes; ++e) {
        d->collection[++pos] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
        d->codes[e].collectionPos = static_cast<std::uint16_t>(pos);
        d->collection[++pos] = static_cast<std::uint16_t>(1 + rnd.below(Groups));
        d->collection[++pos] = static_cast<std::uint16_t>(Groups + 1 + rnd.below(Teachers));
        d->collection[++pos] = static_cast<std::uint16_t>(Groups + Teachers + 1 + rnd.below(Rooms));
        d->codes[e].links = 3;
    }
    d->collectionEntryCount = pos;

    // Each event: one allocation and four blocks over a range of weeks; resources get bookings
    // until the store is full.
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
    return d;
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
