// Chart descriptions:
//   DescriptionRoundTrip  a chart with 4 line series of N points each saved to text and loaded
//                         into another chart; N = 1,000 to 10,000 (the time grows linearly).
#include "chart/Chart.h"
#include "chart/Description.h"
#include "chart/Series.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace kiv;

namespace {

void BM_DescriptionRoundTrip(benchmark::State& state) {
    RegisterBuiltInSeries();
    const int points = int(state.range(0));
    TChart chart;
    chart.Title().SetText({"Round trip"});
    for (int s = 0; s < 4; ++s) {
        auto* series = new TLineSeries;
        series->SetParentChart(&chart);
        for (int i = 0; i < points; ++i) series->AppendPoint(i, 100 + 10 * std::sin(i * 0.01 + s));
    }
    TChart loaded;
    for (auto _ : state) {
        const std::string text = SaveChartDescription(chart);
        benchmark::DoNotOptimize(LoadChartDescription(loaded, text));
    }
    state.SetItemsProcessed(state.iterations() * 4 * points);
}
BENCHMARK(BM_DescriptionRoundTrip)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
