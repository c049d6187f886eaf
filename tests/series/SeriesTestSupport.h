// A chart whose axes are fixed, drawing unbuffered into a recording device, so series draw at
// known pixels: the bottom axis maps 0..100 onto x 100..900 (8 pixels a unit), the left axis
// 0..100 onto y 450..50 (4 pixels a unit).
#pragma once

#include "../fixtures/GuiApp.h"
#include "chart/Series.h"
#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class PlotPanel : public kiv::TCustomAxisPanel {
public:
    PlotPanel() { SetView3D(false); }
};

struct SeriesFixture : ::testing::Test {
    raster::RecordingDevice dev{1000, 600};
    PlotPanel chart;

    SeriesFixture() { chart.Canvas().SetBufferedDrawing(false); }

    template <class S> S* Add(kiv::TColor color = kiv::clRed) {
        auto* s = new S;
        s->SetSeriesColor(color);
        s->SetParentChart(&chart);
        return s;
    }
    // Places the axes over the chart rectangle and starts a frame.
    void Layout(double xMin = 0, double xMax = 100, double yMin = 0, double yMax = 100,
                gfx::TRect rect = {100, 50, 900, 450}) {
        chart.BottomAxis().SetRange(xMin, xMax);
        chart.LeftAxis().SetRange(yMin, yMax);
        chart.Canvas().BeginDrawing(dev, &chart.View3DOptions(), {0, 0, 1000, 600}, chart.View3D());
        chart.SetChartRect(rect);
        chart.Canvas().SetupProjection(0, rect);
        for (kiv::TCustomChartAxis* axis : chart.AxesList()) {
            axis->RefreshRange();
            axis->PlaceOnChart();
        }
    }
    // Draws the series' visible points alone, recording only what they draw.
    void Draw(kiv::TChartSeries& s) {
        s.UpdateVisibleRange();
        dev.Clear();
        s.DrawVisiblePoints();
    }
    std::vector<raster::Call> Calls(const std::string& op) const { return dev.CallsOf(op); }
};

template <class E> std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message;
    }
    return "(nothing raised)";
}
