// The Weeks view's grid: what the model's data() costs for every cell (the texts are made once
// per reload, so painting and scrolling only look them up), and a full refresh of the view (the
// model re-read from the lecture store, the columns fitted, the current cell found again), for
// 500 events over 52 weeks and for a data set at every capacity.
//
// The view is a Qt widget; the benchmark runs it on the offscreen platform unless another is
// set.

#include "benchdata.h"

#include "engine/calendar.h"
#include "engine/lecturestore.h"
#include "engine/totals.h"
#include "views/weeksmodel.h"
#include "views/weeksview.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace quivra;
using namespace quivra::benchdata;

// 500 events of a group, a teacher and a room over 52 weeks of 5 days × 8 bells: each event has
// three periods a week in the weeks of its term and a few placed blocks.
std::unique_ptr<ScheduleData> termOf500()
{
    const Shape s{.groups = 40,
                  .teachers = 60,
                  .rooms = 30,
                  .events = 500,
                  .weeks = 52,
                  .days = 5,
                  .bells = 8,
                  .planned = 200};
    Random rnd{2024};
    auto d = codesAndCollections(s, rnd);
    for (int e = s.resources() + 1; e <= s.resources() + s.events; ++e) {
        LectureView alloc;
        alloc.word = static_cast<std::uint16_t>(e | LectureEventBit);
        alloc.count = 3;
        alloc.startWeek = static_cast<std::uint8_t>(1 + rnd.below(10));
        alloc.endWeek = static_cast<std::uint8_t>(alloc.startWeek + 20 + rnd.below(22));
        appendLecture(*d, alloc, 0);
        for (int k = 0; k < 3; ++k) {
            LectureView v;
            v.word = alloc.word;
            v.startWeek = alloc.startWeek;
            v.endWeek = static_cast<std::uint8_t>(v.startWeek + rnd.below(20));
            v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(s.days));
            v.startBell = v.endBell = static_cast<std::uint8_t>(1 + rnd.below(s.bells));
            appendLecture(*d, v, 0);
        }
    }
    rebuildLists(*d);
    totals(*d, 1, d->codeCount);
    d->modified = false;
    return d;
}

const ScheduleData &term()
{
    static const std::unique_ptr<ScheduleData> d = termOf500();
    return *d;
}

const ScheduleData &full()
{
    static const std::unique_ptr<ScheduleData> d = fullDataSet(4711, 400);
    return *d;
}

// data() of every cell, for the roles a view asks while it paints.
void modelData(benchmark::State &state, const ScheduleData &d, int role)
{
    ViewOptions options;
    WeeksModel model(d, options);
    const int rows = model.rowCount(), columns = model.columnCount();
    for (auto _ : state) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(model.data(model.index(r, c), role));
        }
    }
    state.counters["rows"] = rows;
    state.counters["weeks"] = columns;
    state.counters["cells/s"] =
        benchmark::Counter(double(rows) * columns, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WeeksModelDisplay500(benchmark::State &state)
{
    modelData(state, term(), Qt::DisplayRole);
}
void BM_WeeksModelBackground500(benchmark::State &state)
{
    modelData(state, term(), Qt::BackgroundRole);
}
void BM_WeeksModelDisplayFull(benchmark::State &state)
{
    modelData(state, full(), Qt::DisplayRole);
}
BENCHMARK(BM_WeeksModelDisplay500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeeksModelBackground500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeeksModelDisplayFull)->Unit(benchmark::kMillisecond);

// What the frame does to the view after every command: refresh() on a shown view, with the
// repaint it asks for.
void refreshView(benchmark::State &state, const ScheduleData &d)
{
    ViewOptions options;
    TEditForm view(d, options);
    view.resize(1200, 700);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        view.refresh();
        view.repaint();
    }
    state.counters["rows"] = view.model()->rowCount();
    state.counters["weeks"] = view.model()->columnCount();
}
void BM_RefreshWeeksView500(benchmark::State &state)
{
    refreshView(state, term());
}
void BM_RefreshWeeksViewFull(benchmark::State &state)
{
    refreshView(state, full());
}
BENCHMARK(BM_RefreshWeeksView500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshWeeksViewFull)->Unit(benchmark::kMillisecond);

// Scrolling: the view asks data() only for the cells that come into sight, and each is a look-up
// of a text made at the last reload.
void BM_WeeksScrollPage(benchmark::State &state)
{
    ViewOptions options;
    TEditForm view(full(), options);
    view.resize(1200, 700);
    view.show();
    QCoreApplication::processEvents();
    int row = 0;
    for (auto _ : state) {
        row = (row + 40) % view.model()->rowCount();
        view.goToCell(view.model()->eventAt(row), 1 + row % 40);
        view.repaint();
    }
}
BENCHMARK(BM_WeeksScrollPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("500 events: %d rows over %d weeks; full data set: %d events, %d lectures\n",
                int{term().eventList[0]}, usedWeeks(term()), int{full().eventList[0]},
                full().lectureCount);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
