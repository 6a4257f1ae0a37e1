// Publishing every timetable of the largest generated school (report 3, both weeks, separate
// pages with the reference pages of every event and resource), and the iCalendar export of
// every resource. Pages are built and converted to their character set but kept in memory, so
// the disk is not measured.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "reports/calendarexport.h"
#include "reports/htmlpublish.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace quivra {
namespace {

class CountingSink final : public FileSink
{
public:
    bool write(const std::string &, std::string_view bytes) override
    {
        ++files;
        bytes_ += bytes.size();
        return true;
    }
    int files = 0;
    std::size_t bytes_ = 0;
};

std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    generateInstitution(*d, largeInstitution(11));
    d->calendarMode |= 2;
    d->firstWeekDate = dateSerial(2026, 1, 5);
    return d;
}

void PublishAllTimetables(benchmark::State &state)
{
    const auto d = school();
    ReportParams p;
    p.setReportNumber(3);
    p.firstWeek = 1;
    p.lastWeek = usedWeeks(*d);
    p.icsFiles = state.range(0) != 0;
    RunEnvironment env;
    env.now = 1783000000;
    CountingSink sink;
    for (auto _ : state) {
        const PublishResult r = publishReport(*d, p, PublishOptions{}, sink, env);
        benchmark::DoNotOptimize(r.written);
    }
    state.counters["files"] =
        static_cast<double>(sink.files) / static_cast<double>(state.iterations());
    state.counters["MB"] =
        static_cast<double>(sink.bytes_) / 1e6 / static_cast<double>(state.iterations());
    state.counters["resources"] = d->counters.resourceCounters[0];
}
BENCHMARK(PublishAllTimetables)->Arg(0)->Arg(1)->ArgName("ics")->Unit(benchmark::kMillisecond);

void ExportAllResourcesAsICalendar(benchmark::State &state)
{
    const auto d = school();
    CalendarExportOptions o;
    o.firstWeek = 1;
    o.lastWeek = usedWeeks(*d);
    for (int c = 1; c <= d->codeCount; ++c)
        if (!isEventCode(*d, static_cast<CodeId>(c)))
            o.resources.push_back(static_cast<CodeId>(c));
    RunEnvironment env;
    CountingSink sink;
    int items = 0;
    for (auto _ : state) {
        FileNames names;
        items = exportCalendar(*d, o, sink, names, env).items;
    }
    state.counters["items"] = items;
}
BENCHMARK(ExportAllResourcesAsICalendar)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
