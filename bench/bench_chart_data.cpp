// The chart engine's data side: refilling a tick chart, appending in order, statistics over a
// million points, and the label-step search of the axes.
#include "chart/KivEngine.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>

using namespace kiv;

namespace {

// Fixed text metrics (6 px per character, 12 px lines), so the step search is measured alone.
class BenchPanel : public TCustomAxisPanel {
public:
    int MeasureMultiLineText(std::string_view text, int& lines) override {
        lines = 1;
        return int(text.size()) * 6;
    }
    int FontHeight() override { return 12; }
};

constexpr double FirstQuote = 46000.5; // a date-time in 2025

// What a tick chart does on every quote once its grid is full: empty the series and append the
// newest 499 rows, newest first, into an ascending date-time X list.
void BM_TickRebuild(benchmark::State& state) {
    BenchPanel chart;
    TChartSeries* series = new TChartSeries;
    series->SetParentChart(&chart);
    series->XValues().SetDateTime(true);
    for (auto _ : state) {
        series->ClearPoints();
        for (int i = 498; i >= 0; --i)
            series->AppendPoint(FirstQuote + i / 86400.0, 1.1 + i * 1e-5, std::string(), AutoColor);
        benchmark::DoNotOptimize(series->XValues().RawValues());
        chart.PaintServed();
    }
    state.SetItemsProcessed(state.iterations() * 499);
}
BENCHMARK(BM_TickRebuild);

// One point appended in time order (the steady quote path before the grid is full).
void BM_AppendInOrder(benchmark::State& state) {
    BenchPanel chart;
    TChartSeries* series = new TChartSeries;
    series->SetParentChart(&chart);
    int i = 0;
    for (auto _ : state) {
        if (i == 100000) {
            state.PauseTiming();
            series->ClearPoints();
            i = 0;
            state.ResumeTiming();
        }
        series->AppendPoint(FirstQuote + i / 86400.0, 1.1, std::string(), AutoColor);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendInOrder);

// Highest, lowest, sum and absolute sum recomputed after a change, over a million values.
void BM_StatisticsMillion(benchmark::State& state) {
    TChartSeries series;
    TChartValueList& y = series.YValues();
    for (int i = 0; i < 1000000; ++i)
        series.AppendPoint(i, double((int64_t(i) * 7919) % 10007) - 5000.5);
    double v = 0;
    for (auto _ : state) {
        y.SetValueAt(0, v += 1);
        benchmark::DoNotOptimize(y.HighValue());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_StatisticsMillion)->Unit(benchmark::kMicrosecond);

// The label step of a 1001-pixel numeric axis and of a one-day date-time axis.
void BM_ComputeIncrement(benchmark::State& state) {
    const bool dateTime = state.range(0) != 0;
    BenchPanel chart;
    TChartSeries* series = new TChartSeries;
    series->SetParentChart(&chart);
    series->XValues().SetDateTime(dateTime);
    series->AppendPoint(dateTime ? FirstQuote : 0.0, 0);
    TChartAxis& axis = chart.BottomAxis();
    if (dateTime) axis.SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    chart.SetChartRect({30, 18, 1031, 424});
    axis.SetRange(dateTime ? FirstQuote : 1.08, dateTime ? FirstQuote + 1 : 1.0815);
    axis.RefreshRange();
    axis.PlaceOnChart();
    for (auto _ : state) benchmark::DoNotOptimize(axis.ComputeIncrement());
}
BENCHMARK(BM_ComputeIncrement)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
