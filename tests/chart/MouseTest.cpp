// The mouse on a chart: the zoom rectangle and its thresholds, animated zoom, panning, the wheel,
// and how clicks are routed with the cancel flag.

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

struct Mouse : ::testing::Test {
    TChart chart;
    TestWindow window{chart, 400, 300};
    LoggingSeries* series = new LoggingSeries;
    std::vector<std::string> events;

    Mouse() {
        chart.SetView3D(false);
        chart.Legend().SetVisible(false);
        series->SetParentChart(&chart);
        for (int i = 0; i <= 10; ++i) series->AppendPoint(i, i);
        window.Paint();
        chart.OnZoom = [this](TComponent*) { events.push_back("zoom"); };
        chart.OnUndoZoom = [this](TComponent*) { events.push_back("undo"); };
        chart.OnScroll = [this](TComponent*) { events.push_back("scroll"); };
    }
    void Drag(TMouseButton button, int x0, int y0, int x1, int y1) {
        chart.MouseDown(button, 0, x0, y0);
        chart.MouseMove(0, x1, y1);
        chart.MouseUp(button, 0, x1, y1);
    }
};

} // namespace

TEST_F(Mouse, ARubberBandIsDrawnInNotXorOnTheWindowAndErasedOnRelease) {
    window.device.Clear();
    chart.MouseDown(mbLeft, 0, 100, 100);
    ASSERT_TRUE(chart.Zoom.Active);
    chart.MouseMove(0, 150, 120);
    chart.MouseMove(0, 150, 120); // no change, nothing drawn
    chart.MouseUp(mbLeft, 0, 150, 120);
    // drawn, erased and redrawn at the move, erased at the release; all in not-xor
    EXPECT_EQ(window.device.CallsOf("Rectangle"),
              (std::vector<Call>{{"Rectangle", {100, 100, 100, 100}},
                                 {"Rectangle", {100, 100, 100, 100}},
                                 {"Rectangle", {100, 100, 150, 120}},
                                 {"Rectangle", {100, 100, 150, 120}}}));
    EXPECT_EQ(window.device.CallsOf("SetPen").back().args[3], int(pmNotXor));
    // the panel colour as RGB (button face) for the band, shown each time
    EXPECT_EQ(window.device.CallsOf("SetPen").back().args[0], int(ColorToRGB(clBtnFace)));
    EXPECT_EQ(window.Presented.size(), 4u);
    EXPECT_EQ(window.Presented[2], (TRect{100, 100, 151, 121}));
    EXPECT_EQ(chart.Canvas().Pen().Mode(), pmCopy);
}

TEST_F(Mouse, SixteenPixelsDoNothingSeventeenZoomOrResetByDirection) {
    TChartAxis& bottom = chart.BottomAxis();
    TChartAxis& left = chart.LeftAxis();
    Drag(mbLeft, 100, 100, 116, 200);
    Drag(mbLeft, 100, 100, 200, 116);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(bottom.Automatic());
    EXPECT_TRUE(events.empty());

    const double x0 = bottom.PixelToValue(100), x1 = bottom.PixelToValue(117);
    const double y0 = left.PixelToValue(117), y1 = left.PixelToValue(100);
    const int invalidates = window.Invalidates;
    Drag(mbLeft, 100, 100, 117, 117);
    EXPECT_TRUE(chart.Zoomed());
    EXPECT_EQ(bottom.Minimum(), x0);
    EXPECT_EQ(bottom.Maximum(), x1);
    EXPECT_EQ(left.Minimum(), y0);
    EXPECT_EQ(left.Maximum(), y1);
    EXPECT_GT(window.Invalidates, invalidates);

    // a second zoom keeps the scales saved by the first
    window.Paint();
    Drag(mbLeft, 50, 50, 300, 200);
    EXPECT_EQ(events, (std::vector<std::string>{"zoom", "zoom"}));

    // towards the upper left (or any other way): back to the saved scales
    Drag(mbLeft, 117, 117, 100, 100);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(bottom.Automatic());
    EXPECT_TRUE(left.AutomaticMinimum());
    EXPECT_EQ(events.back(), "undo");
}

TEST_F(Mouse, ResetZoomRestoresFixedScalesToo) {
    TChartAxis& left = chart.LeftAxis();
    left.SetRange(-5, 20);
    window.Paint();
    chart.ZoomRect({100, 100, 200, 200});
    EXPECT_NE(left.Minimum(), -5);
    chart.ResetZoom();
    EXPECT_FALSE(left.Automatic());
    EXPECT_EQ(left.Minimum(), -5);
    EXPECT_EQ(left.Maximum(), 20);
    EXPECT_TRUE(chart.BottomAxis().Automatic());
}

TEST_F(Mouse, AnimatedZoomRepaintsSevenTimesThenSetsTheTarget) {
    chart.SetAnimatedZoom(true);
    TChartAxis& bottom = chart.BottomAxis();
    const double x0 = bottom.PixelToValue(100), x1 = bottom.PixelToValue(200);
    std::vector<double> minima;
    chart.OnAfterDraw = [&](TComponent*) { minima.push_back(bottom.Minimum()); };
    const int paints = window.Paints;
    chart.ZoomRect({100, 100, 200, 200});
    EXPECT_EQ(window.Paints - paints, 7);
    ASSERT_EQ(minima.size(), 7u);
    // each step a third of the way that is left
    EXPECT_NEAR(minima[0], 0 + (x0 - 0) / 3, 1e-9);
    EXPECT_NEAR(minima[1], minima[0] + (x0 - minima[0]) / 3, 1e-9);
    EXPECT_EQ(bottom.Minimum(), x0);
    EXPECT_EQ(bottom.Maximum(), x1);
}

TEST_F(Mouse, PanningMovesTheAxesUnlessForbidden) {
    TChartAxis& bottom = chart.BottomAxis();
    TChartAxis& left = chart.LeftAxis();
    const double step = bottom.PixelToValue(200) - bottom.PixelToValue(190);
    chart.MouseDown(mbRight, 0, 200, 150);
    ASSERT_TRUE(chart.Panning.Active);
    EXPECT_FALSE(chart.Zoom.Active);
    chart.MouseMove(0, 190, 150); // drag left: the view moves right
    EXPECT_NEAR(bottom.Minimum(), step, 1e-9);
    EXPECT_NEAR(bottom.Maximum(), 10 + step, 1e-9);
    EXPECT_EQ(left.Minimum(), 0); // no vertical move
    EXPECT_EQ(events, (std::vector<std::string>{"scroll"}));

    // OnAllowScroll may change the proposal or refuse it
    chart.OnAllowScroll = [&](TCustomChartAxis* axis, double& min, double& max, bool& allow) {
        if (axis == &left) allow = false;
        if (axis == &bottom) max = min + 100;
    };
    chart.MouseMove(0, 180, 140);
    EXPECT_NEAR(bottom.Minimum(), 2 * step, 1e-9);
    EXPECT_NEAR(bottom.Maximum(), 2 * step + 100, 1e-9);
    EXPECT_EQ(left.Minimum(), 0);

    // horizontal panning only; a move out of the plot ends the pan
    chart.OnAllowScroll = nullptr;
    chart.SetAllowPanning(pmVertical);
    const double min = bottom.Minimum();
    chart.MouseMove(0, 170, 140);
    EXPECT_EQ(bottom.Minimum(), min);
    chart.MouseMove(0, 1, 1);
    EXPECT_FALSE(chart.Panning.Active);
    chart.MouseUp(mbRight, 0, 1, 1);

    // the pan is undone like a zoom
    chart.ResetZoom();
    EXPECT_TRUE(bottom.Automatic());
}

TEST_F(Mouse, AWheelScrollIsUndoneAndTheAxesFollowTheDataAgain) {
    TChartAxis& left = chart.LeftAxis();
    EXPECT_TRUE(chart.MouseWheel(0, -120, 200, 150));
    EXPECT_NEAR(left.Minimum(), 0.3, 1e-9);
    EXPECT_FALSE(left.Automatic());
    chart.MouseWheel(0, 120, 200, 150); // a second notch keeps the scales of the first
    series->AppendPoint(11, 50);
    chart.ResetZoom();
    window.Paint();
    EXPECT_TRUE(left.Automatic());
    EXPECT_TRUE(left.AutomaticMinimum());
    EXPECT_TRUE(left.AutomaticMaximum());
    EXPECT_EQ(left.Minimum(), 0);
    EXPECT_EQ(left.Maximum(), 50);
}

TEST_F(Mouse, ClicksGoToTheFirstPartHitAndTheCancelFlagDecides) {
    series->HitRect = {100, 100, 110, 110};
    chart.OnClickSeries = [&](TCustomChart*, TChartSeries* s, int index, TMouseButton, TShiftState,
                              int, int) {
        EXPECT_EQ(s, series);
        EXPECT_EQ(index, 0);
        events.push_back("series");
    };
    chart.OnClickBackground = [&](TCustomChart*, TMouseButton, TShiftState, int, int) {
        events.push_back("background");
        chart.SetCancelMouse(false); // lets the zoom start
    };
    chart.OnClickAxis = [&](TCustomChart*, TCustomChartAxis* axis, TMouseButton, TShiftState, int,
                            int) {
        events.push_back(axis == &chart.LeftAxis() ? "left axis" : "other axis");
    };

    chart.MouseDown(mbLeft, 0, 105, 105);
    EXPECT_EQ(events, (std::vector<std::string>{"series"}));
    EXPECT_FALSE(chart.Zoom.Active);
    EXPECT_FALSE(chart.CancelMouse());
    chart.MouseUp(mbLeft, 0, 105, 105);

    events.clear();
    chart.MouseDown(mbLeft, 0, 200, 150);
    EXPECT_EQ(events, (std::vector<std::string>{"background"}));
    EXPECT_TRUE(chart.Zoom.Active);
    chart.MouseUp(mbLeft, 0, 200, 150);

    events.clear();
    const int x = chart.LeftAxis().AxisPosition() - 1;
    chart.MouseDown(mbLeft, 0, x, 150);
    EXPECT_EQ(events, (std::vector<std::string>{"left axis"}));
    EXPECT_FALSE(chart.Zoom.Active);
    chart.MouseUp(mbLeft, 0, x, 150);

    // an unhandled click on the title also reaches the background event
    events.clear();
    const TRect title = chart.Title().TitleRect();
    chart.OnClickAxis = nullptr;
    chart.MouseDown(mbRight, 0, (title.left + title.right) / 2, title.top + 1);
    EXPECT_EQ(events, (std::vector<std::string>{"background"}));
    EXPECT_TRUE(chart.Panning.Active);
}

TEST_F(Mouse, SeriesCursorsAndLeavingTheChart) {
    series->HitRect = {100, 100, 110, 110};
    series->SetCursor(crKivHand);
    chart.SetOriginalCursor(crCross);
    chart.MouseMove(0, 105, 105);
    EXPECT_EQ(window.Cursor, crKivHand);
    chart.MouseMove(0, 200, 200);
    EXPECT_EQ(window.Cursor, crCross);
    chart.MouseMove(0, 105, 105);
    chart.MouseDown(mbRight, 0, 200, 150);
    chart.MouseLeave();
    EXPECT_EQ(window.Cursor, crCross);
    EXPECT_FALSE(chart.Panning.Active);
}
