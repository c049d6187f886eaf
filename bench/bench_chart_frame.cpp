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
//   MillionPointLine one line of 1,000,000 points.
// --save-frames=DIR writes the last frame of each series benchmark to DIR as a PNG, to look at.
#include "TickFrameData.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"
#include "rtl/DateTime.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>

using namespace kiv;

namespace {

constexpr int kWidth = 1001;
constexpr int kHeight = 442;

void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "bench_chart_frame";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QCoreApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

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

std::string saveDir;

void Save(raster::QtRasterDevice& device, const std::string& name) {
    if (!saveDir.empty())
        device.Image().save(QString::fromStdString(saveDir + "/" + name + ".png"));
}

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
    Save(device, state.range(0) ? "tick_chart_frame_buffered" : "tick_chart_frame");
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
    Save(device, "bar_chart_frame");
}
BENCHMARK(BarChartFrame)->Unit(benchmark::kMicrosecond);

void MillionPointLine(benchmark::State& state) {
    raster::QtRasterDevice device(TickFrameData::Width, TickFrameData::Height);
    TChart chart;
    SetUpTickChart(chart, 15327722);
    chart.SetBufferedDisplay(false);
    auto* line = AddSeries<TLineSeries>(chart, clRed);
    line->XValues().SetDateTime(false);
    std::mt19937 random(1000000);
    std::uniform_real_distribution<double> step(-0.5, 0.5);
    double y = 0;
    for (int i = 0; i < 1000000; ++i) line->AppendPoint(i, y += step(random));
    for (auto _ : state)
        chart.DrawToCanvas(device, {0, 0, TickFrameData::Width, TickFrameData::Height});
    Save(device, "million_point_line");
}
BENCHMARK(MillionPointLine)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--save-frames=", 14) == 0) {
            saveDir = argv[i] + 14;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
