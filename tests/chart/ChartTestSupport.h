// Shared helpers of the chart control tests: a window whose own device records every call, and
// charts set up as the program's tick charts are.
#pragma once

#include "../fixtures/GuiApp.h"
#include "chart/Chart.h"
#include "raster/QtRasterDevice.h"
#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace gfx {
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
} // namespace gfx

using testing_support::EnsureGuiApp;

// A window that shows one panel: its own device records, paints are counted.
class TestWindow : public raster::IPanelHost {
public:
    TestWindow(kiv::TCustomKivPanel& panel, int width, int height)
        : device(width, height), panel_(&panel) {
        panel.SetHost(this);
    }
    ~TestWindow() override {
        if (panel_) panel_->SetHost(nullptr);
    }

    // The window's paint handler.
    void Paint() {
        ++Paints;
        panel_->Paint(device, {0, 0, device.Width(), device.Height()});
    }

    void Invalidate() override { ++Invalidates; }
    gfx::TSize ClientSize() const override { return {device.Width(), device.Height()}; }
    void SetCursor(gfx::TCursor cursor) override { Cursor = cursor; }
    raster::RasterDevice* WindowDevice() override { return &device; }
    void Present(const gfx::TRect& rect) override { Presented.push_back(rect); }
    void PaintNow() override { Paint(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int width, int height) override {
        EnsureGuiApp();
        return std::make_unique<raster::QtRasterDevice>(width, height);
    }
    void ReleaseClient() override { panel_ = nullptr; }

    raster::RecordingDevice device;
    int Paints = 0;
    int Invalidates = 0;
    gfx::TCursor Cursor = gfx::crDefault;
    std::vector<gfx::TRect> Presented;

private:
    kiv::TCustomKivPanel* panel_;
};

// A chart as the window sets up its tick charts: 2D, legend hidden, left labels at 90 degrees
// with four decimals, title "TChart", white back wall with a clear brush.
inline void SetUpTickChart(kiv::TChart& chart) {
    chart.SetView3D(false);
    chart.Legend().SetVisible(false);
    chart.Title().SetText({"TChart"});
    chart.BackWall().SetColor(kiv::clWhite);
    chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart.LeftAxis().SetLabelsAngle(90);
}

// A tick chart of the program's size drawn unbuffered into a recording device (6 x 12 pixel
// characters at 8 points).
struct RecordedChart : ::testing::Test {
    kiv::TChart chart;
    raster::RecordingDevice dev{1001, 442};

    RecordedChart() {
        SetUpTickChart(chart);
        chart.SetBufferedDisplay(false);
        chart.SetWidth(1001);
        chart.SetHeight(442);
    }
    void Draw(gfx::TRect rect = {0, 0, 1001, 442}) {
        dev.Clear();
        chart.DrawToCanvas(dev, rect);
    }
};

// A series that draws nothing of its own and logs what the frame asks of it.
class LoggingSeries : public kiv::TChartSeries {
public:
    explicit LoggingSeries(std::vector<std::string>* log = nullptr) : log_(log) {}
    void DrawVisiblePoints() override {
        Log("points " + std::to_string(FirstVisible()) + ".." + std::to_string(LastVisible()));
        kiv::TChartSeries::DrawVisiblePoints();
    }
    void DrawPoint(int index) override { Log(Name() + " point " + std::to_string(index)); }
    int HitTest(int x, int y) const override {
        return HitRect.left <= x && x < HitRect.right && HitRect.top <= y && y < HitRect.bottom
                   ? 0
                   : -1;
    }
    gfx::TRect HitRect{};

private:
    void Log(const std::string& line) {
        if (log_) log_->push_back(line);
    }
    std::vector<std::string>* log_;
};
