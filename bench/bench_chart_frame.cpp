// Whole chart frames at the window's size, drawn with DrawToCanvas into a QtRasterDevice:
//   AxesFrame        the axes frame of a tick chart set up like Chart2 (a series that draws
//                    nothing of its own gives the axes their range);
//   RepaintFromBuffer the repaint of an unchanged chart, one block copy from the canvas buffer;
//   TickChartFrame   a chart set up like Chart2, two 499-point lines of width 2 refilled and
//                    drawn every frame (the workload bench_chart_libraries draws with established
//                    Qt chart libraries); "buffered" draws through the canvas' own buffer and
//                    copies it out, as the window does, instead of straight into the target;
//   TickChartRefill  the refill of that frame alone; TickChartFrameNoLines the frame with hidden
//                    line pens, so frame minus this is what the lines cost;
//   BarChartFrame    a chart set up like Chart4 with two 499-point bar series;
//   MillionPointLine one line of 1,000,000 points; FastLineMillion the same as a fast line;
//   FastLineAppend   one point appended to a fast line of 10,000 points and drawn at once;
//   AverageFunction  an average with period 10 recalculated over sources of 250,000 to
//                    1,000,000 points (linear in the source);
//   PieFrame         a pie of 100 slices with marks and a merged "Other" slice;
//   PieLegend        a pie of 10,000 to 1,000,000 slices, marks hidden, with its legend, whose
//                    widest text is measured over every item (linear in the slices).
// --save-frames=DIR and --compare-frames=DIR keep or check the last frame of each series
// benchmark (BenchFrames.h).
#include "TickFrameData.h"
#include "chart/Chart.h"
#include "chart/KivFunci.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"
#include "rtl/DateTime.h"

#include "BenchFrames.h"
#include "BenchGuiApp.h"
#include "BenchPanelHost.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <string>

using namespace kiv;

namespace {

constexpr int kWidth = 1001;
constexpr int kHeight = 442;

// A chart like Chart2 after a rebuild: title, 2D, legend hidden, left labels at 90 degrees with
// four decimals, date-time bottom labels over 500 quotes two seconds apart, 499 points.
std::unique_ptr<TChart> TickChart() {
    auto chart = std::make_unique<TChart>();
    chart->SetWidth(kWidth);
    chart->SetHeight(kHeight);
    chart->SetColor(15327722);
    chart->SetView3D(false);
    chart->Legend().SetVisible(false);
    chart->Title().SetText({"EUR/USD"});
    chart->BackWall().SetColor(clWhite);
    chart->LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart->LeftAxis().SetLabelsAngle(90);
    chart->BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    auto* series = new TChartSeries;
    series->XValues().SetDateTime(true);
    series->SetParentChart(chart.get());
    const double start = rtl::EncodeDate(2026, 12, 7) + rtl::EncodeTime(14, 30, 0, 0);
    for (int i = 0; i < 499; ++i)
        series->AppendPoint(start + i * 2.0 / 86400, 1.0842 + 0.0004 * std::sin(i * 0.05));
    return chart;
}

void BM_AxesFrame(benchmark::State& state) {
    EnsureGuiApp();
    auto chart = TickChart();
    raster::QtRasterDevice window(kWidth, kHeight);
    for (auto _ : state) {
        chart->DrawToCanvas(window, {0, 0, kWidth, kHeight});
        benchmark::DoNotOptimize(window.Image().constBits());
    }
}
BENCHMARK(BM_AxesFrame)->Unit(benchmark::kMicrosecond);

void BM_RepaintFromBuffer(benchmark::State& state) {
    EnsureGuiApp();
    auto chart = TickChart();
    raster::QtRasterDevice window(kWidth, kHeight);
    chart->Paint(window, {0, 0, kWidth, kHeight});
    for (auto _ : state) {
        chart->Paint(window, {0, 0, kWidth, kHeight});
        benchmark::DoNotOptimize(window.Image().constBits());
    }
}
BENCHMARK(BM_RepaintFromBuffer)->Unit(benchmark::kMicrosecond);

// A tick chart as the window sets one up: 2D, title, legend hidden, white back wall with a
// clear brush, left labels at 90 degrees with four decimals, date-time bottom labels.
void SetUpTickChart(TChart& chart, TColor color) {
    chart.SetColor(color);
    chart.SetView3D(false);
    chart.Title().SetText({"EUR/USD"});
    chart.Legend().SetVisible(false);
    chart.BackWall().SetColor(clWhite);
    chart.BackWall().Brush().SetStyle(bsClear);
    chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart.LeftAxis().SetLabelsAngle(90);
    chart.BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
}

template <class S> S* AddSeries(TChart& chart, TColor color) {
    auto* s = new S;
    s->SetSeriesColor(color);
    s->Marks().SetVisible(false);
    s->XValues().SetDateTime(true);
    s->SetParentChart(&chart);
    return s;
}

// The window's refill: newest quote first, each landing in front of the others.
void Refill(TChartSeries& bid, TChartSeries& ask, const std::vector<double>& bidValues,
            const std::vector<double>& askValues) {
    const TickFrameData& d = TickData();
    bid.ClearPoints();
    ask.ClearPoints();
    for (int i = TickFrameData::Points - 1; i >= 0; --i) {
        bid.AppendPoint(d.time[i], bidValues[i]);
        ask.AppendPoint(d.time[i], askValues[i]);
    }
}

struct LineTickChart {
    TChart chart;
    TLineSeries* bid;
    TLineSeries* ask;
    LineTickChart() {
        SetUpTickChart(chart, 15327722);
        bid = AddSeries<TLineSeries>(chart, clRed);
        ask = AddSeries<TLineSeries>(chart, clBlue);
        for (TLineSeries* s : {bid, ask}) s->LinePen().SetWidth(2);
    }
    void Refill() { ::Refill(*bid, *ask, TickData().bid, TickData().ask); }
};

void TickChartFrame(benchmark::State& state) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    LineTickChart tick;
    tick.chart.SetBufferedDisplay(state.range(0) != 0);
    for (auto _ : state) {
        tick.Refill();
        tick.chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    }
    SaveFrame(device, state.range(0) ? "tick_chart_frame_buffered" : "tick_chart_frame", state);
}
BENCHMARK(TickChartFrame)->ArgName("buffered")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void TickChartRefill(benchmark::State& state) {
    LineTickChart tick;
    for (auto _ : state) tick.Refill();
}
BENCHMARK(TickChartRefill)->Unit(benchmark::kMicrosecond);

void TickChartFrameNoLines(benchmark::State& state) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    LineTickChart tick;
    tick.chart.SetBufferedDisplay(false);
    tick.bid->LinePen().SetVisible(false);
    tick.ask->LinePen().SetVisible(false);
    for (auto _ : state) {
        tick.Refill();
        tick.chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    }
}
BENCHMARK(TickChartFrameNoLines)->Unit(benchmark::kMicrosecond);

void BarChartFrame(benchmark::State& state) {
    constexpr int Height = 161;
    raster::QtRasterDevice device(TickFrameData::Width, Height);
    TChart chart;
    SetUpTickChart(chart, 16774394);
    chart.Gradient().SetEndColor(16777088);
    chart.SetBufferedDisplay(false);
    auto* minus = AddSeries<TBarSeries>(chart, clRed);
    auto* plus = AddSeries<TBarSeries>(chart, clBlue);
    for (TBarSeries* s : {minus, plus}) s->SetBarWidthPercent(100);
    // Size differences of a few lots either way.
    std::vector<double> down, up;
    std::mt19937 random(161);
    for (int i = 0; i < TickFrameData::Points; ++i) {
        const double d = double(int(random() % 9) - 4);
        down.push_back(-d);
        up.push_back(d);
    }
    for (auto _ : state) {
        Refill(*minus, *plus, down, up);
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, Height});
    }
    SaveFrame(device, "bar_chart_frame", state);
}
BENCHMARK(BarChartFrame)->Unit(benchmark::kMicrosecond);

// One series of a million points of a random walk, the whole frame drawn.
template <class Series> void MillionPoints(benchmark::State& state, const char* frameName) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    TChart chart;
    SetUpTickChart(chart, 15327722);
    chart.SetBufferedDisplay(false);
    auto* line = AddSeries<Series>(chart, clRed);
    line->XValues().SetDateTime(false);
    std::mt19937 random(1000000);
    std::uniform_real_distribution<double> step(-0.5, 0.5);
    double y = 0;
    for (int i = 0; i < 1000000; ++i) line->AppendPoint(i, y += step(random));
    for (auto _ : state)
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    SaveFrame(device, frameName, state);
}

void MillionPointLine(benchmark::State& state) {
    MillionPoints<TLineSeries>(state, "million_point_line");
}
BENCHMARK(MillionPointLine)->Unit(benchmark::kMillisecond);

void FastLineMillion(benchmark::State& state) {
    MillionPoints<TFastLineSeries>(state, "fast_line_million");
}
BENCHMARK(FastLineMillion)->Unit(benchmark::kMillisecond);

// One point appended to a fast line of 10,000 points with AutoRepaint off: drawn at once into
// the frame's buffer, copied to the window and presented. Only the append is timed; the point
// is deleted again between iterations so the series keeps its length.
void FastLineAppend(benchmark::State& state) {
    TChart chart;
    SetUpTickChart(chart, 15327722);
    BenchPanelHost window(chart, TickFrameData::Width, TickFrameData::Height);
    auto* line = AddSeries<TFastLineSeries>(chart, clRed);
    line->XValues().SetDateTime(false);
    std::mt19937 random(10000);
    std::uniform_real_distribution<double> value(0, 100);
    for (int i = 0; i < 10000; ++i) line->AppendPoint(i, value(random));
    chart.BottomAxis().SetRange(0, 10001);
    window.Paint();
    line->SetAutoRepaint(false);
    for (auto _ : state) {
        const double y = value(random);
        const auto start = std::chrono::steady_clock::now();
        line->AppendPoint(10000, y);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        line->DeletePoint(10000);
    }
    if (window.presented == 0) state.SkipWithError("nothing was presented");
}
BENCHMARK(FastLineAppend)->UseManualTime()->Unit(benchmark::kMicrosecond);

// An average with period 10 recalculated over a source of n points; grows linearly with n.
void AverageFunction(benchmark::State& state) {
    TChart chart;
    auto* source = new TChartSeries;
    source->SetParentChart(&chart);
    std::mt19937 random(10);
    std::uniform_real_distribution<double> value(0, 100);
    for (int i = 0; i < state.range(0); ++i) source->AppendPoint(i, value(random));
    auto* average = new TFastLineSeries;
    average->SetParentChart(&chart);
    auto owned = std::make_unique<TAverageKivFunction>();
    TAverageKivFunction* f = owned.get();
    f->SetPeriod(10);
    average->AttachFunction(std::move(owned));
    average->SetDataSource(source);
    for (auto _ : state) f->Recalculate();
    state.SetComplexityN(state.range(0));
    if (average->PointCount() != state.range(0) / 10) state.SkipWithError("wrong result count");
}
BENCHMARK(AverageFunction)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// A pie of 100 slices with marks around the rim, the smallest merged into an "Other" slice.
void PieFrame(benchmark::State& state) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    TChart chart;
    chart.SetWidth(TickFrameData::Width);
    chart.SetHeight(TickFrameData::Height);
    chart.SetView3D(false);
    chart.SetBufferedDisplay(false);
    auto* pie = new TPieSeries;
    pie->SetParentChart(&chart);
    std::mt19937 random(100);
    for (int i = 0; i < 100; ++i)
        pie->AppendValue(1 + random() % 1000, "Slice " + std::to_string(i));
    pie->OtherSlice().SetStyle(poBelowPercent);
    pie->OtherSlice().SetValue(0.5);
    for (auto _ : state)
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    if (pie->PointCount() <= 100) state.SkipWithError("no merged slice");
    SaveFrame(device, "pie_frame", state);
}
BENCHMARK(PieFrame)->Unit(benchmark::kMillisecond);

void PieLegend(benchmark::State& state) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    TChart chart;
    chart.SetWidth(TickFrameData::Width);
    chart.SetHeight(TickFrameData::Height);
    chart.SetView3D(false);
    chart.SetBufferedDisplay(false);
    auto* pie = new TPieSeries;
    pie->SetParentChart(&chart);
    pie->Marks().SetVisible(false);
    std::mt19937 random(100);
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i) pie->AppendValue(1 + random() % 1000, "Slice " + std::to_string(i));
    for (auto _ : state)
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    if (!chart.Legend().Drawn()) state.SkipWithError("no legend");
    state.SetComplexityN(n);
    SaveFrame(device, "pie_legend", state);
}
BENCHMARK(PieLegend)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    TakeFrameOptions(argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
