// The clipboard on a full code table (6000 events over 40 weeks): the Weeks grid copy of every
// event, reading a pasted text into cells, and pasting every event's code, name, category and
// PLANNED back; the bookings of every resource and the schedule lines of every event copied, and
// as much of each as the clipboard holds pasted back.

#include "benchdata.h"
#include "commands/bookingclipboard.h"
#include "commands/pastecommands.h"
#include "reports/bookingtext.h"
#include "reports/clipboardtext.h"

#include <benchmark/benchmark.h>

namespace quivra {
namespace {

CopyRequest allEvents(const ScheduleData &d, int kind)
{
    CopyRequest r;
    r.kind = kind;
    r.events = true;
    for (int i = 1; i <= d.eventList[0]; ++i)
        r.main.push_back(d.eventList[static_cast<std::size_t>(i)]);
    return r;
}

void BM_CopyWeeksGrid(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const CopyRequest r = allEvents(*d, CopyPeriodsInWeeks);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const ClipWriter w = copyCodes(*d, r);
        bytes = w.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CopyWeeksGrid)->Unit(benchmark::kMillisecond);

void BM_ReadPastedText(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const std::string text = copyCodes(*d, allEvents(*d, CopyPeriodsInWeeks)).text();
    for (auto _ : state)
        benchmark::DoNotOptimize(readClipLines(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadPastedText)->Unit(benchmark::kMillisecond);

void BM_PasteCodesBack(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const std::string text = copyCodes(*d, allEvents(*d, CopyNamesAndCategories)).text();
    for (auto _ : state) {
        const PasteReport r = applyPaste(*d, text, PasteOptions{PasteCodes, true, 0, false});
        benchmark::DoNotOptimize(r.updated);
    }
}
BENCHMARK(BM_PasteCodesBack)->Unit(benchmark::kMillisecond);

void BM_CopyBookings(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = copyBookings(*d).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CopyBookings)->Unit(benchmark::kMillisecond);

// What the clipboard takes of the bookings copy, pasted back: every slot is booked already.
void BM_PasteBookingsBack(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const std::string text = copyBookings(*d).clipboardText();
    int rows = 0;
    for (auto _ : state) {
        rows = applyBookingsPaste(*d, text).rows;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_PasteBookingsBack)->Unit(benchmark::kMillisecond);

ScheduleLinesRequest everyEventAndWeek(const ScheduleData &d)
{
    ScheduleLinesRequest r;
    for (int i = 1; i <= d.eventList[0]; ++i)
        r.events.push_back(d.eventList[static_cast<std::size_t>(i)]);
    for (int w = 1; w <= 40; ++w)
        r.weeks.push_back(w);
    return r;
}

void BM_CopyScheduleLines(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const ScheduleLinesRequest r = everyEventAndWeek(*d);
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = copyScheduleLines(*d, r).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CopyScheduleLines)->Unit(benchmark::kMillisecond);

// What the clipboard takes of the schedule lines, pasted back: every slot is scheduled already.
void BM_PasteTimetablesBack(benchmark::State &state)
{
    auto d = benchdata::fullDataSet(4711, 160);
    const std::string text = copyScheduleLines(*d, everyEventAndWeek(*d)).clipboardText();
    int rows = 0;
    for (auto _ : state) {
        rows = applyTimetablesPaste(*d, text, false).rows;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_PasteTimetablesBack)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
