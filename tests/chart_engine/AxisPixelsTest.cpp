// The axes of a tick chart on real pixels: the 2-px line, gray ticks beyond it, labels turned
// at 90 degrees left of the left axis and centred below the bottom one.
#include "EngineTestSupport.h"

#include "../fixtures/GuiApp.h"
#include "raster/QtRasterDevice.h"
#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kiv;
using testing_support::EnsureGuiApp;

namespace {

// Whether any pixel of the rectangle is black.
bool AnyBlack(raster::QtRasterDevice& dev, TRect r) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (dev.PixelAt(x, y) == clBlack) return true;
    return false;
}

} // namespace

TEST(AxisPixels, TickChartAxesOnAQtImage) {
    EnsureGuiApp();
    raster::QtRasterDevice dev(1001, 442);
    TCustomAxisPanel chart;
    chart.SetView3D(false);
    TKivCanvas3D& canvas = chart.Canvas();
    canvas.SetBufferedDrawing(false);
    canvas.BeginDrawing(dev, &chart.View3DOptions(), {0, 0, 1001, 442}, false);
    auto* s = new TChartSeries;
    s->SetParentChart(&chart);
    s->XValues().SetDateTime(true);
    const double t0 = rtl::EncodeDate(2024, 3, 7) + 0.5;
    for (int i = 0; i < 499; ++i) s->AppendPoint(t0 + i * 2.0 / 86400, 1.085 + 0.0001 * i / 499);
    TChartAxis& left = chart.LeftAxis();
    TChartAxis& bottom = chart.BottomAxis();
    left.SetAxisValuesFormat("#,##0.####");
    left.SetLabelsAngle(90);
    bottom.SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    TRect rect{30, 18, 971, 424};
    for (TChartAxis* a : {&bottom, &left}) {
        a->RefreshRange();
        a->LayOut(rect, true);
    }
    chart.SetChartRect(rect);
    for (TChartAxis* a : {&bottom, &left}) {
        a->PlaceOnChart();
        a->DrawAxis(true);
    }
    // the line of width 2 covers the row above its position (the left axis' dotted grid line
    // at the range minimum crosses its own row)
    const int y = bottom.AxisPosition();
    ASSERT_EQ(y, rect.bottom);
    EXPECT_EQ(dev.PixelAt(500, y - 2), clWhite);
    EXPECT_EQ(dev.PixelAt(500, y - 1), clBlack);
    EXPECT_EQ(dev.PixelAt(501, y), clBlack);
    ASSERT_FALSE(bottom.TickPositions().empty());
    const int tick = bottom.TickPositions()[1];
    for (int ty = y + 1; ty <= y + 4; ++ty) EXPECT_EQ(dev.PixelAt(tick, ty), clGray) << ty;
    EXPECT_EQ(dev.PixelAt(tick, y + 5), clWhite);
    // a label below the ticks, centred on its tick
    const int lp = bottom.LabelsPosition();
    EXPECT_TRUE(AnyBlack(dev, {tick - 60, lp, tick - 5, lp + 12}));
    EXPECT_TRUE(AnyBlack(dev, {tick + 5, lp, tick + 60, lp + 12}));

    // left labels turned upright in the column just left of the labels' position
    const int x = left.AxisPosition();
    const int ly = left.TickPositions()[2];
    const int lx = left.LabelsPosition();
    EXPECT_TRUE(AnyBlack(dev, {lx - 12, ly - 30, lx, ly}));
    EXPECT_TRUE(AnyBlack(dev, {lx - 12, ly, lx, ly + 30}));
    EXPECT_FALSE(AnyBlack(dev, {lx, ly - 30, x - 1, ly + 30}));
    EXPECT_FALSE(AnyBlack(dev, {0, ly - 30, lx - 14, ly + 30}));
}
