// Canvas frame costs: a tick chart frame of the window's size drawn through the chart canvas,
// on pixels (QtRasterDevice) and on the recording device.
#include "chart/KivCanvas.h"
#include "raster/QtRasterDevice.h"
#include "raster/RecordingDevice.h"

#include "BenchGuiApp.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kiv;

namespace {

constexpr int kWidth = 1001;
constexpr int kHeight = 442;
constexpr int kPoints = 499;

struct TickData {
    std::vector<TPoint> bid;
    std::vector<TPoint> ask;
    std::vector<std::string> timeLabels;
    std::vector<std::string> priceLabels;

    TickData() {
        double price = 200;
        for (int i = 0; i < kPoints; ++i) {
            price += std::sin(i * 0.37) * 3 + std::cos(i * 0.11) * 2;
            const int x = 40 + i * 940 / (kPoints - 1);
            bid.push_back({x, static_cast<int>(price)});
            ask.push_back({x, static_cast<int>(price) - 6});
        }
        for (int i = 0; i < 20; ++i)
            timeLabels.push_back("12:" + std::to_string(10 + i) + ":" + std::to_string(30 + i));
        for (int i = 0; i < 10; ++i) priceLabels.push_back("1.08" + std::to_string(40 + i * 5));
    }
};

const TickData& Data() {
    static const TickData data;
    return data;
}

void DrawSeries(TKivCanvas3D& canvas, const std::vector<TPoint>& points, TColor color) {
    canvas.Pen().SetColor(color);
    canvas.Pen().SetWidth(2);
    canvas.MoveToPoint(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) canvas.LineToPoint(points[i].x, points[i].y);
}

// One frame as the chart panel draws it: background, frame, two lines, bottom and left labels.
void DrawTickFrame(TKivCanvas3D& canvas, raster::RasterDevice& window, TView3DOptions& options) {
    const TRect client{0, 0, kWidth, kHeight};
    const TRect r = canvas.BeginDrawing(window, &options, client, false);
    canvas.ResetToDefaults();
    canvas.SetupProjection(0, r);
    canvas.Brush().SetColor(clWhite);
    canvas.FillRectangle(r);
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetStyle(bsClear);
    canvas.RectangleShape(36, 10, 985, 400);
    canvas.ClipToBox({36, 10, 985, 400}, 0, 0);
    const TickData& data = Data();
    DrawSeries(canvas, data.bid, clRed);
    DrawSeries(canvas, data.ask, clBlue);
    canvas.RemoveClipping();
    canvas.Font().SetSize(8);
    canvas.SetTextAlignment(TA_CENTER | TA_TOP);
    for (size_t i = 0; i < data.timeLabels.size(); ++i)
        canvas.DrawText(60 + static_cast<int>(i) * 47, 404, data.timeLabels[i]);
    canvas.SetTextAlignment(TA_CENTER | TA_BOTTOM);
    for (size_t i = 0; i < data.priceLabels.size(); ++i)
        canvas.DrawRotatedText(32, 390 - static_cast<int>(i) * 38, 90, data.priceLabels[i]);
    canvas.SetTextAlignment(TA_LEFT | TA_TOP);
    canvas.EndDrawing(window, &window, client);
}

void BM_TickFrameQt(benchmark::State& state) {
    EnsureGuiApp();
    raster::QtRasterDevice window(kWidth, kHeight);
    TKivCanvas3D canvas;
    TView3DOptions options;
    DrawTickFrame(canvas, window, options); // creates the buffer and loads the font
    for (auto _ : state) {
        canvas.MarkDirty();
        DrawTickFrame(canvas, window, options);
        benchmark::DoNotOptimize(window.Image().constBits());
    }
}
BENCHMARK(BM_TickFrameQt)->Unit(benchmark::kMicrosecond);

void BM_TickFrameRecording(benchmark::State& state) {
    raster::RecordingDevice window(kWidth, kHeight);
    TKivCanvas3D canvas;
    TView3DOptions options;
    canvas.SetBufferedDrawing(false);
    for (auto _ : state) {
        window.Clear();
        DrawTickFrame(canvas, window, options);
        benchmark::DoNotOptimize(window.Calls().data());
    }
}
BENCHMARK(BM_TickFrameRecording)->Unit(benchmark::kMicrosecond);

void BM_RepaintFromBufferQt(benchmark::State& state) {
    EnsureGuiApp();
    raster::QtRasterDevice window(kWidth, kHeight);
    TKivCanvas3D canvas;
    TView3DOptions options;
    DrawTickFrame(canvas, window, options);
    for (auto _ : state) benchmark::DoNotOptimize(canvas.RepaintFromBuffer());
}
BENCHMARK(BM_RepaintFromBufferQt)->Unit(benchmark::kMicrosecond);

void BM_GradientFillQt(benchmark::State& state) {
    EnsureGuiApp();
    raster::QtRasterDevice window(kWidth, kHeight);
    TKivCanvas3D canvas;
    TView3DOptions options;
    canvas.SetBufferedDrawing(false);
    canvas.BeginDrawing(window, &options, {0, 0, kWidth, kHeight}, false);
    for (auto _ : state)
        canvas.GradientFill({0, 0, kWidth, kHeight}, clWhite, gdTopBottom, clYellow);
    canvas.EndDrawing(window, &window, {0, 0, kWidth, kHeight});
}
BENCHMARK(BM_GradientFillQt)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
