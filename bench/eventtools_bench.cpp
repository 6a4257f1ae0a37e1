// The event tools on a large generated institution: what the split view recomputes after every
// click (the resources each half may take), what Bulk schedule recomputes after every change of
// its controls, and the replace tool's passes over all codes.

#include "commands/eventsplit.h"
#include "commands/recurringevents.h"
#include "commands/replacetool.h"
#include "support/generator.h"
#include "ui/scripteddialogs.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace quivra {
namespace {

struct Institution
{
    std::unique_ptr<ScheduleData> d = makeScheduleData();
    ScriptedDialogs ui;
    Prompter p{ui};
    CodeId busiest = 0;

    Institution()
    {
        generateInstitution(*d, largeInstitution(11));
        for (CodeId c = 1; c <= d->codeCount; ++c)
            if (d->codes[c].isEvent() &&
                (busiest == 0 || d->codes[c].scheduled > d->codes[busiest].scheduled))
                busiest = c;
    }
};

Institution &institution()
{
    static Institution one;
    return one;
}

void BM_SplitSelectableResources(benchmark::State &state)
{
    Institution &in = institution();
    EventSplit split(*in.d, in.p, in.busiest);
    for (std::size_t i = 0; i < split.slotList().size(); i += 2)
        split.setSlot(i, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(split.eventSelectable());
        benchmark::DoNotOptimize(split.newSelectable());
    }
    state.counters["resources"] = in.d->resourceList[0];
}
BENCHMARK(BM_SplitSelectableResources)->Unit(benchmark::kMillisecond);

void BM_BulkScheduleCalculate(benchmark::State &state)
{
    Institution &in = institution();
    RecurringEvents recur(*in.d, in.p, in.busiest);
    for (int day = 1; day <= 5; ++day)
        recur.setDay(day, true);
    recur.setEndWeek(2);
    for (auto _ : state) {
        recur.calculate();
        benchmark::DoNotOptimize(recur.now());
    }
}
BENCHMARK(BM_BulkScheduleCalculate)->Unit(benchmark::kMicrosecond);

void BM_ChangeCaseOfAllNames(benchmark::State &state)
{
    Institution &in = institution();
    const CaseTable &table = caseTable();
    bool upper = true;
    for (auto _ : state) {
        for (int location = ResourceCodes; location <= EventNames; ++location)
            changeCaseInLocation(*in.d, location, upper ? LetterCase::Upper : LetterCase::Lower,
                                 table);
        upper = !upper;
    }
    state.counters["codes"] = in.d->codeCount;
}
BENCHMARK(BM_ChangeCaseOfAllNames)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
