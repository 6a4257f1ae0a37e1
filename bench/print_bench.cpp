// Laying out printed reports of the largest generated school on the recording surface: every
// timetable of both weeks (report 3), the resource list (report 2) and the timeline of every
// resource by day (report 6, first form). The surface only records, so the layout is measured,
// not a printer.

#include "engine/calendar.h"
#include "engine/textutil.h"
#include "reports/printreports.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace quivra {
namespace {

std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    generateInstitution(*d, largeInstitution(11));
    d->calendarMode |= 2;
    d->firstWeekDate = dateSerial(2026, 1, 5);
    return d;
}

void PrintReport(benchmark::State &state)
{
    const auto d = school();
    ReportParams p;
    p.setReportNumber(static_cast<int>(state.range(0)));
    p.firstWeek = 1;
    p.lastWeek = usedWeeks(*d);
    PrintOptions o;
    o.now = 1783000000;
    NullProgress progress;
    int pages = 0;
    std::size_t texts = 0;
    for (auto _ : state) {
        RecordingSurface surface(4500, 6500, 40, 90);
        const PrintResult r = printReport(*d, p, o, surface, progress);
        pages = r.pages;
        texts = surface.texts.size();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
    state.counters["texts"] = static_cast<double>(texts);
}
BENCHMARK(PrintReport)->Arg(3)->Arg(2)->Arg(61)->ArgName("report")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
