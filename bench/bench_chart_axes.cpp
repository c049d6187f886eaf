// The axes' share of a tick chart frame at the window's size: the bottom axis in date-time mode
// and the left axis with labels at 90 degrees, laid out and drawn as one repaint does, on pixels
// (QtRasterDevice) and on the recording device (the engine's own work without the pixels).
#include "chart/KivEngine.h"
#include "raster/QtRasterDevice.h"
#include "raster/RecordingDevice.h"
#include "rtl/DateTime.h"

#include "BenchGuiApp.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace kiv;

namespace {

constexpr int kWidth = 1001;
constexpr int kHeight = 442;

// Set up like Chart2: 2D, "#,##0.####" at 90 degrees on the left, "yy.mm.dd hh:mm:ss" at the
// bottom over 499 quotes two seconds apart.
struct TickAxes {
    TickAxes() {
        chart.SetView3D(false);
        chart.Canvas().SetBufferedDrawing(false);
        chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
        chart.LeftAxis().SetLabelsAngle(90);
        chart.BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
        auto* series = new TChartSeries;
        series->XValues().SetDateTime(true);
        series->SetParentChart(&chart);
        const double start = rtl::EncodeDate(2026, 12, 7) + rtl::EncodeTime(14, 30, 0, 0);
        for (int i = 0; i < 499; ++i)
            series->AppendPoint(start + i * 2.0 / 86400, 1.0842 + 0.0004 * std::sin(i * 0.05));
    }
    // Layout and drawing of every shown axis, as the chart's repaint runs them.
    void Frame(raster::RasterDevice& device) {
        chart.Canvas().BeginDrawing(device, &chart.View3DOptions(), {0, 0, kWidth, kHeight}, false);
        TRect rect{30, 18, 971, 424};
        for (TCustomChartAxis* axis : chart.AxesList()) axis->RefreshRange();
        for (TCustomChartAxis* axis : chart.AxesList())
            if (chart.IsAxisShown(axis)) axis->LayOut(rect, true);
        chart.SetChartRect(rect);
        for (TCustomChartAxis* axis : chart.AxesList()) axis->PlaceOnChart();
        for (TCustomChartAxis* axis : chart.AxesList())
            if (chart.IsAxisShown(axis)) axis->DrawAxis(true);
        chart.Canvas().EndDrawing(device, &device, {0, 0, kWidth, kHeight});
    }
    TCustomAxisPanel chart;
};

void BM_AxesQt(benchmark::State& state) {
    EnsureGuiApp();
    TickAxes axes;
    raster::QtRasterDevice window(kWidth, kHeight);
    axes.Frame(window); // loads the fonts
    for (auto _ : state) {
        axes.Frame(window);
        benchmark::DoNotOptimize(window.Image().constBits());
    }
}
BENCHMARK(BM_AxesQt)->Unit(benchmark::kMicrosecond);

void BM_AxesRecording(benchmark::State& state) {
    TickAxes axes;
    raster::RecordingDevice window(kWidth, kHeight);
    for (auto _ : state) {
        window.Clear();
        axes.Frame(window);
        benchmark::DoNotOptimize(window.Calls().data());
    }
}
BENCHMARK(BM_AxesRecording)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
