// The Resources and Events views over a full code table (8191 codes): what the list model's
// data() costs for every cell of the list, and a full refresh of each view (the model re-read,
// the columns fitted, the current row found again).
//
// The views are Qt widgets; the benchmark runs them on the offscreen platform unless another
// is set.

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/totals.h"
#include "support/generator.h"
#include "views/codelistform.h"
#include "views/codelistmodel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace quivra;

// A generated institution filled up to the last code: two resources for every event added,
// each added event with three of the resources.
std::unique_ptr<ScheduleData> fullTable()
{
    auto d = makeScheduleData();
    generateInstitution(*d, largeInstitution(11));
    const int resourcesBefore = d->resourceList[0];
    int n = 0;
    while (d->codeCount < MaxCodes) {
        ++n;
        CodeRecord r;
        const bool event = n % 3 == 0;
        r.code.assign((event ? "X" : "Y") + std::to_string(n));
        r.name.assign((event ? "Extra event " : "Extra resource ") + std::to_string(n));
        r.flags =
            static_cast<std::uint16_t>((1u << (CategoryShift + n % 3)) | (event ? IsEventBit : 0));
        r.planned = static_cast<std::uint16_t>(event ? 1 + n % 5 : 0);
        d->codes[static_cast<std::size_t>(++d->codeCount)] = r;
    }
    rebuildLists(*d);
    // Every added event takes three of the institution's resources.
    for (int i = 1; i <= d->eventList[0]; ++i) {
        const CodeId e = d->eventList[static_cast<std::size_t>(i)];
        if (d->codes[e].code.view().front() != 'X')
            continue;
        MemberList m{};
        m[0] = 3;
        for (int k = 1; k <= 3; ++k)
            m[static_cast<std::size_t>(k)] =
                d->resourceList[static_cast<std::size_t>(1 + (i * 7 + k * 13) % resourcesBefore)];
        setCollection(*d, e, m);
    }
    rebuildLists(*d);
    totals(*d, 1, d->codeCount);
    allResourceTotals(*d);
    d->modified = false;
    return d;
}

const ScheduleData &data()
{
    static const std::unique_ptr<ScheduleData> d = fullTable();
    return *d;
}

// data() of every cell of the list, for the roles a view asks while it paints.
void modelData(benchmark::State &state, CodeKind kind, int role)
{
    ViewOptions options;
    CodeListModel model(data(), options, kind);
    model.reload();
    const int rows = model.rowCount(), columns = model.columnCount();
    for (auto _ : state) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(model.data(model.index(r, c), role));
        }
    }
    state.counters["rows"] = rows;
    state.counters["cells/s"] =
        benchmark::Counter(double(rows) * columns, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ResourceModelDisplay(benchmark::State &state)
{
    modelData(state, CodeKind::Resource, Qt::DisplayRole);
}
void BM_EventModelDisplay(benchmark::State &state)
{
    modelData(state, CodeKind::Event, Qt::DisplayRole);
}
void BM_EventModelBackground(benchmark::State &state)
{
    modelData(state, CodeKind::Event, Qt::BackgroundRole);
}
BENCHMARK(BM_ResourceModelDisplay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventModelDisplay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventModelBackground)->Unit(benchmark::kMillisecond);

// The tooltip of one row: the code's details with every linked code.
void BM_ResourceModelTooltipRow(benchmark::State &state)
{
    ViewOptions options;
    CodeListModel model(data(), options, CodeKind::Resource);
    model.reload();
    int row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.data(model.index(row, 1), Qt::ToolTipRole));
        row = (row + 1) % model.rowCount();
    }
}
BENCHMARK(BM_ResourceModelTooltipRow)->Unit(benchmark::kMicrosecond);

// What the frame does to a view after every command: refresh() on a shown view.
template <typename Form> void refreshView(benchmark::State &state)
{
    ViewOptions options;
    Form view(data(), options);
    view.resize(1000, 700);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        view.refresh();
        // The repaint the refresh asks for is part of what the user waits for.
        view.repaint();
    }
    state.counters["codes"] = view.model()->codeCount();
}
void BM_RefreshResourcesView(benchmark::State &state)
{
    refreshView<TRefForm>(state);
}
void BM_RefreshEventsView(benchmark::State &state)
{
    refreshView<TCodesForm>(state);
}
BENCHMARK(BM_RefreshResourcesView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshEventsView)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("codes in the table: %d (%d resources, %d events)\n", data().codeCount,
                int{data().resourceList[0]}, int{data().eventList[0]});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
