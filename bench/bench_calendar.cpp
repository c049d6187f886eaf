// The economic calendar at the size of the transfer cap: 8 MiB of empty lines, every one an
// event row. Parsing runs on the download worker; applying is the one hop to the window thread.
#include <benchmark/benchmark.h>

#include "NewsDownload.h"
#include "toolkit/StringGrid.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kLines = 8 << 20;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_calendar";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

const std::string& EmptyLines() {
    static const std::string text(kLines, '\n');
    return text;
}

std::unique_ptr<tk::TStringGrid> NewsGrid() {
    App();
    auto grid = std::make_unique<tk::TStringGrid>();
    grid->SetColCount(7);
    grid->SetRowCount(2);
    grid->SetCells(0, 0, "DateTime");
    return grid;
}

void BM_ParseCalendar_8MiBOfEmptyLines(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        workers::TNewsTable table = workers::ParseCalendar(EmptyLines());
        bytes = table.Rows.MemoryBytes();
        benchmark::DoNotOptimize(table);
    }
    state.counters["store_bytes_per_line"] = double(bytes) / kLines;
}
BENCHMARK(BM_ParseCalendar_8MiBOfEmptyLines)->Unit(benchmark::kMillisecond);

// The window thread's share: the swap of 8 million rows into the news grid. Each iteration
// swaps the previous rows back in, which is the same work.
void BM_ApplyNewsTable_8MiRows(benchmark::State& state) {
    auto grid = NewsGrid();
    workers::TNewsTable table = workers::ParseCalendar(EmptyLines());
    for (auto _ : state) workers::ApplyNewsTable(*grid, table);
    state.counters["rows"] = grid->RowCount();
}
BENCHMARK(BM_ApplyNewsTable_8MiRows)->Unit(benchmark::kMicrosecond);

// An empty answer after those rows: the grid keeps its 8 million rows, all emptied. The worker
// makes the empty rows at the grid's row count before its hop, as the download does.
void BM_ApplyNewsTable_EmptyAfter8MiRows(benchmark::State& state) {
    auto grid = NewsGrid();
    workers::TNewsTable full = workers::ParseCalendar(EmptyLines());
    workers::ApplyNewsTable(*grid, full);
    for (auto _ : state) {
        workers::TNewsTable none = workers::ParseCalendar("");
        none.Rows.SetRowCount(grid->RowCount());
        const auto start = std::chrono::steady_clock::now();
        workers::ApplyNewsTable(*grid, none);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["rows"] = grid->RowCount();
}
// Only the swap is timed; making and freeing the rows around it take far longer, so the count
// of iterations is fixed.
BENCHMARK(BM_ApplyNewsTable_EmptyAfter8MiRows)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
