// Load and save of a data set filled to every capacity: 8191 codes, 32763 lectures and a full
// collection list.

#include "engine/lectures.h"
#include "engine/scheduledata.h"
#include "files/datafile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace quivra;

constexpr int Events = 4096;
constexpr int MembersPerEvent = 7;
constexpr int LecturesPerEvent = 8;

// Events 1..4096, resources 4097..8191; every event needs seven resources, holds one week
// allocation and seven single-bell lectures in weeks of their own.
void fillToCapacity(ScheduleData &d)
{
    d.codeCount = MaxCodes;
    for (int c = 1; c <= MaxCodes; ++c) {
        CodeRecord &r = d.codes[c];
        const bool event = c <= Events;
        r.flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) | (1u << CategoryShift));
        r.code.assign((event ? "E" : "R") + std::to_string(c));
        r.name.assign(std::string(event ? "Event " : "Resource ") + std::to_string(c) +
                      " with a name of ordinary length");
        r.planned = 7;
    }
    const int resources = MaxCodes - Events;
    int n = 0;
    for (int e = 1; e <= Events && n + 1 + MembersPerEvent <= MaxCollectionEntries; ++e) {
        d.collection[++n] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
        for (int k = 0; k < MembersPerEvent; ++k)
            d.collection[++n] = static_cast<std::uint16_t>(Events + 1 + (e * 7 + k) % resources);
        ++d.collectionCount;
    }
    // The last three entries: one more event with two members.
    d.collection[++n] = static_cast<std::uint16_t>(Events | CollectionMarkerBit);
    d.collection[++n] = Events + 1;
    d.collection[++n] = Events + 2;
    ++d.collectionCount;
    d.collectionEntryCount = n;

    const SlotCoding &s = d.coding;
    int i = 0;
    for (int e = 1; e <= Events && i < MaxLectures; ++e) {
        const int word = e | LectureEventBit;
        d.lectureWord[++i] = static_cast<std::uint16_t>(word);
        d.lectureStart[i] = s.pack(1, 0, 0);
        d.lectureEnd[i] = s.pack(40, 0, 7);
        for (int k = 1; k < LecturesPerEvent && i < MaxLectures; ++k) {
            d.lectureWord[++i] = static_cast<std::uint16_t>(word);
            const int day = 1 + e % 5;
            const int bell = 1 + e % 8;
            d.lectureStart[i] = s.pack(k * 5, day, bell);
            d.lectureEnd[i] = s.pack(k * 5, day, bell);
        }
    }
    d.lectureCount = i;
    recount(d);
}

struct Files
{
    std::string source;
    std::string target;
};

Files prepareFiles()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "quivra-datafile-bench";
    fs::create_directories(dir);
    Files f{(dir / "full.qvf").string(), (dir / "saved.qvf").string()};
    auto d = makeScheduleData();
    fillToCapacity(*d);
    if (!writeDataFile(*d, f.source))
        f.source.clear();
    return f;
}

void BM_LoadAndSaveFullDataSet(benchmark::State &state)
{
    const Files files = prepareFiles();
    if (files.source.empty()) {
        state.SkipWithError("cannot write the data file");
        return;
    }
    auto d = makeScheduleData();
    for (auto _ : state) {
        auto read = readDataFile(files.source, *d);
        if (!read || !read->complete) {
            state.SkipWithError("cannot read the data file");
            return;
        }
        if (!writeDataFile(*d, files.target)) {
            state.SkipWithError("cannot save the data file");
            return;
        }
    }
    state.counters["lectures"] = d->lectureCount;
    state.counters["codes"] = d->codeCount;
}
BENCHMARK(BM_LoadAndSaveFullDataSet)->Unit(benchmark::kMillisecond);

void BM_DecodeFullDataSet(benchmark::State &state)
{
    auto d = makeScheduleData();
    fillToCapacity(*d);
    const std::vector<std::uint8_t> bytes = encodeDataFile(*d);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeDataFile(bytes, *d));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeFullDataSet)->Unit(benchmark::kMillisecond);

void BM_EncodeFullDataSet(benchmark::State &state)
{
    auto d = makeScheduleData();
    fillToCapacity(*d);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeDataFile(*d));
}
BENCHMARK(BM_EncodeFullDataSet)->Unit(benchmark::kMillisecond);

} // namespace
