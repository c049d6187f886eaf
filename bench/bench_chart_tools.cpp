// The trader's tools on the chart engine:
//   CandleFrame      a 1001 x 442 chart of 500 one-minute candles, refilled and drawn every frame
//                    (compare with bench_chart_frame's TickChartFrame/buffered:0); its frame is
//                    kept or checked with --save-frames=DIR or --compare-frames=DIR;
//   CandlesFromTicks one-minute candles recalculated over sources of 250,000 to 1,000,000 ticks
//                    (linear in the source);
//   CrosshairMove    one mouse move over a tick chart of two 499-point lines with the crosshair
//                    on, to the picture the window shows.
#include "TickFrameData.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"

#include "BenchFrames.h"
#include "BenchGuiApp.h"
#include "BenchPanelHost.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

using namespace kiv;

namespace {

void CandleFrame(benchmark::State& state) {
    EnsureGuiApp();
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    TChart chart;
    chart.SetColor(15327722);
    chart.SetView3D(false);
    chart.SetBufferedDisplay(false);
    chart.Title().SetText({"EUR/USD"});
    chart.Legend().SetVisible(false);
    chart.BackWall().SetColor(clWhite);
    chart.BackWall().Brush().SetStyle(bsClear);
    chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart.LeftAxis().SetLabelsAngle(90);
    chart.BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    auto* candles = new TCandleSeries;
    candles->SetParentChart(&chart);
    // A minute's moves of a bid around 1.0950.
    struct Bar {
        double open, high, low, close;
    };
    std::vector<Bar> bars;
    std::mt19937 random(500);
    std::uniform_real_distribution<double> step(-0.0003, 0.0003), wick(0, 0.0002);
    double price = 1.0950;
    for (int i = 0; i < 500; ++i) {
        const double open = price;
        price += step(random) - 0.01 * (price - 1.0950);
        bars.push_back({open, std::max(open, price) + wick(random),
                        std::min(open, price) - wick(random), price});
    }
    for (auto _ : state) {
        candles->ClearPoints();
        for (int i = 0; i < 500; ++i)
            candles->AddCandle(TickFrameData::FirstTime + i / 1440.0, bars[size_t(i)].open,
                               bars[size_t(i)].high, bars[size_t(i)].low, bars[size_t(i)].close);
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    }
    if (candles->BodyWidth() < 1) state.SkipWithError("no bodies");
    SaveFrame(device, "candle_frame", state);
}
BENCHMARK(CandleFrame)->Unit(benchmark::kMicrosecond);

// Ticks four a second, the candles of each minute rebuilt from all of them.
void CandlesFromTicks(benchmark::State& state) {
    TChart chart;
    auto* ticks = new TChartSeries;
    ticks->XValues().SetDateTime(true);
    ticks->SetParentChart(&chart);
    std::mt19937 random(1000000);
    std::uniform_real_distribution<double> step(-0.00005, 0.00005);
    double price = 1.0950;
    for (int i = 0; i < state.range(0); ++i)
        ticks->AppendPoint(TickFrameData::FirstTime + i * 0.25 / 86400, price += step(random));
    auto* candles = new TCandleSeries;
    candles->SetParentChart(&chart);
    auto owned = std::make_unique<TCandleKivFunction>();
    TCandleKivFunction* f = owned.get();
    candles->AttachFunction(std::move(owned));
    candles->SetDataSource(ticks);
    for (auto _ : state) f->Recalculate();
    state.SetComplexityN(state.range(0));
    if (candles->PointCount() < state.range(0) / 240) state.SkipWithError("too few candles");
}
BENCHMARK(CandlesFromTicks)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// One mouse move over a tick chart of two 499-point lines with the crosshair on, to the picture
// the window shows: the chart's unchanged frame from its buffer and the crosshair over it.
void CrosshairMove(benchmark::State& state) {
    EnsureGuiApp();
    TChart chart;
    chart.SetWidth(TickFrameData::Width);
    chart.SetHeight(TickFrameData::Height);
    chart.SetView3D(false);
    chart.Legend().SetVisible(false);
    chart.Title().SetText({"EUR/USD"});
    chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart.LeftAxis().SetLabelsAngle(90);
    chart.BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    const TickFrameData& d = TickData();
    for (const auto* values : {&d.bid, &d.ask}) {
        auto* line = new TLineSeries;
        line->XValues().SetDateTime(true);
        line->LinePen().SetWidth(2);
        line->SetParentChart(&chart);
        for (int i = 0; i < TickFrameData::Points; ++i)
            line->AppendPoint(d.time[size_t(i)], (*values)[size_t(i)]);
    }
    TChartTools tools(chart);
    tools.SetCrosshair(true);
    BenchPanelHost window(tools, TickFrameData::Width, TickFrameData::Height);
    window.Paint();
    const TRect r = chart.ChartRect();
    int x = r.left;
    for (auto _ : state) {
        x = x + 7 < r.right ? x + 7 : r.left;
        tools.MouseMove(0, x, (r.top + r.bottom) / 2);
        window.Paint();
        benchmark::DoNotOptimize(window.device.Image().constBits());
    }
    if (window.invalidated < state.iterations()) state.SkipWithError("the moves asked no paint");
}
BENCHMARK(CrosshairMove)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    TakeFrameOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
