// Writing and reading the text exchange file of a full data set: 8191 codes and 32763 lectures.

#include "files/textexchange.h"

#include "engine/codetable.h"
#include "engine/lectures.h"

#include <benchmark/benchmark.h>

#include <string>

namespace quivra {
namespace {

constexpr int Resources = 191;
constexpr int Events = MaxCodes - Resources;
constexpr int Weeks = 40;

void appendEntry(ScheduleData &d, std::uint16_t word, SlotCode start, SlotCode end, int kind)
{
    const int i = ++d.lectureCount;
    d.lectureWord[i] = word;
    d.lectureStart[i] = start;
    d.lectureEnd[i] = end;
    d.bookingKind[i] = static_cast<std::int16_t>(kind);
}

// Resources 1..191 (groups, teachers, rooms), then events with three members each, one week
// allocation and three timetable lectures; the rest of the lecture store holds bookings.
std::unique_ptr<ScheduleData> fullDataSet()
{
    auto d = makeScheduleData();
    d->calendarRange.endWeek = Weeks;
    d->calendarRange.endDay = 5;
    d->calendarRange.endBell = 8;
    const SlotCoding &k = d->coding;
    for (int c = 1; c <= MaxCodes; ++c) {
        CodeRecord &r = d->codes[c];
        const bool event = c > Resources;
        const int category = event ? 1 + c % 3 : (c <= 60 ? 1 : c <= 130 ? 2 : 3);
        r.code.assign((event ? "E" : "R") + std::to_string(c));
        r.name.assign("Name of code " + std::to_string(c));
        r.flags = static_cast<std::uint16_t>((1u << (CategoryShift + category - 1)) |
                                             (event ? IsEventBit : 0));
        r.planned = event ? 3 : 0;
    }
    d->codeCount = MaxCodes;
    d->lectureCodeMask = WideCodeMask;
    for (int e = Resources + 1; e <= MaxCodes; ++e) {
        d->collection[++d->collectionEntryCount] =
            static_cast<std::uint16_t>(e) | CollectionMarkerBit;
        d->collection[++d->collectionEntryCount] = static_cast<std::uint16_t>(1 + e % 60);
        d->collection[++d->collectionEntryCount] = static_cast<std::uint16_t>(61 + e % 70);
        d->collection[++d->collectionEntryCount] = static_cast<std::uint16_t>(131 + e % 61);
        ++d->collectionCount;
        const auto word = static_cast<std::uint16_t>(e | LectureEventBit);
        const int w = 1 + e % Weeks;
        appendEntry(*d, word, k.pack(w, 0, 0), k.pack(w, 0, 3), 0);
        for (int day = 1; day <= 3; ++day) {
            const int bell = 1 + (e + day) % 7;
            appendEntry(*d, word, k.pack(w, day, bell), k.pack(w, day, bell), 0);
        }
    }
    for (int i = 0; d->lectureCount < MaxLectures; ++i) {
        const int r = 1 + i % Resources;
        const int w = 1 + i / Resources % Weeks;
        const SlotCode slot = k.pack(w, 5, 1 + i % 8);
        appendEntry(*d, static_cast<std::uint16_t>(r | LectureBookingBit), slot, slot, 1);
    }
    recount(*d);
    totals(*d, 1, d->codeCount);
    allResourceTotals(*d);
    rebuildLists(*d);
    return d;
}

void BM_ExportFullDataSet(benchmark::State &state)
{
    auto d = fullDataSet();
    ExportOptions options;
    options.created = 1700000000;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = exportText(*d, options);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["lectures"] = d->lectureCount;
}
BENCHMARK(BM_ExportFullDataSet)->Unit(benchmark::kMillisecond);

void BM_ImportFullDataSet(benchmark::State &state)
{
    auto source = fullDataSet();
    ExportOptions exportOptions;
    exportOptions.created = 1700000000;
    const std::string text = exportText(*source, exportOptions);
    auto d = makeScheduleData();
    ImportOptions options;
    options.mode = ImportSettings | ImportSchedules;
    for (auto _ : state) {
        clearScheduleData(*d);
        const ImportReport report = importText(*d, text, options);
        benchmark::DoNotOptimize(report.linesRead);
    }
    state.counters["codes"] = d->codeCount;
    state.counters["lectures"] = d->lectureCount;
}
BENCHMARK(BM_ImportFullDataSet)->Unit(benchmark::kMillisecond);

// Adding a file to a full data set that already holds every code: each code's lectures are
// read from the store, the file's repeats are dropped, and everything is written back.
void BM_AddToFullDataSet(benchmark::State &state)
{
    auto source = fullDataSet();
    ExportOptions exportOptions;
    exportOptions.created = 1700000000;
    const std::string text = exportText(*source, exportOptions);
    auto d = makeScheduleData();
    ImportOptions options;
    options.mode = ImportSchedules;
    for (auto _ : state) {
        state.PauseTiming();
        clearScheduleData(*d);
        importText(*d, text, ImportOptions{});
        state.ResumeTiming();
        const ImportReport report = importText(*d, text, options);
        benchmark::DoNotOptimize(report.linesRead);
    }
    state.counters["lectures"] = d->lectureCount;
}
BENCHMARK(BM_AddToFullDataSet)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
