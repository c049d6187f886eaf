// Chart frames at the window's size: the axes frame of a tick chart set up like Chart2 (a series
// that draws nothing of its own gives the axes their range), and the repaint of an unchanged
// chart, which is one block copy from the canvas buffer.
#include "chart/Chart.h"
#include "raster/QtRasterDevice.h"
#include "rtl/DateTime.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

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

} // namespace

BENCHMARK_MAIN();
