// Line and bar series in whole chart frames: the margins they ask for, their place in the plot,
// the registry, and frames of hostile data on pixels.
#include "SeriesTestSupport.h"

#include "chart/Chart.h"
#include "chart/KivFunci.h"
#include "raster/QtRasterDevice.h"

#include <cmath>
#include <limits>

using namespace kiv;
using raster::Call;

namespace {

struct ChartSeries : ::testing::Test {
    TChart chart;
    raster::RecordingDevice dev{1001, 442};

    ChartSeries() {
        chart.SetView3D(false);
        chart.Legend().SetVisible(false);
        chart.LeftAxis().SetLabelsAngle(90);
        chart.SetBufferedDisplay(false);
        chart.SetWidth(1001);
        chart.SetHeight(442);
    }
    template <class S> S* Add(TColor color) {
        auto* s = new S;
        s->SetSeriesColor(color);
        s->Marks().SetVisible(false);
        s->SetParentChart(&chart);
        return s;
    }
    void Draw() {
        dev.Clear();
        chart.DrawToCanvas(dev, {0, 0, 1001, 442});
    }
    // The calls made while the series' clip was on.
    std::vector<Call> SeriesCalls(const std::string& op) const {
        std::vector<Call> out;
        bool clipped = false;
        for (const Call& c : dev.Calls()) {
            if (c.op == "ClipRect") clipped = true;
            if (c.op == "RemoveClip") clipped = false;
            if (clipped && c.op == op) out.push_back(c);
        }
        return out;
    }
};

} // namespace

TEST_F(ChartSeries, PointersKeepThreePixelsClearOfTheAxisEnds) {
    auto* s = Add<TLineSeries>(clRed);
    s->Pointer().SetVisible(true);
    s->Pointer().SetHorizSize(2);
    s->Pointer().SetVertSize(2);
    s->LinePen().SetWidth(3);
    for (int i = 0; i < 10; ++i) s->AppendPoint(i, i % 3);
    Draw();
    const TRect r = chart.ChartRect();
    const auto pointers = SeriesCalls("Rectangle");
    ASSERT_EQ(pointers.size(), 10u);
    int left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    for (size_t i = 0; i < pointers.size(); ++i) {
        left = std::min(left, pointers[i].args[0] + 2);
        top = std::min(top, pointers[i].args[1] + 2);
        right = std::max(right, pointers[i].args[2] - 3);
        bottom = std::max(bottom, pointers[i].args[3] - 3);
    }
    EXPECT_EQ(left, r.left + 3);
    EXPECT_EQ(right, r.right - 3);
    EXPECT_EQ(top, r.top + 3);
    EXPECT_EQ(bottom, r.bottom - 3);
    // The line is drawn in the series colour, three pixels wide, inside the plot's clip.
    EXPECT_EQ(dev.CallsOf("ClipRect").front(),
              (Call{"ClipRect", {r.left + 1, r.top + 1, r.right, r.bottom - 1}}));
    EXPECT_EQ(SeriesCalls("LineTo").size(), 9u);
}

TEST_F(ChartSeries, SideBySideBarsFillTheirSlotsInsideThePlot) {
    auto* red = Add<TBarSeries>(clRed);
    auto* blue = Add<TBarSeries>(clBlue);
    for (TBarSeries* s : {red, blue}) {
        s->SetBarWidthPercent(100);
        for (int i = 0; i < 20; ++i) s->AppendPoint(i, 1 + i % 4);
    }
    Draw();
    const TRect r = chart.ChartRect();
    const int size = red->BarSize();
    EXPECT_GT(size, 0);
    EXPECT_EQ(size % 2, 0);
    std::vector<Call> bars;
    for (const Call& c : SeriesCalls("Rectangle"))
        if (c.args[3] > c.args[1] && c.args[2] - c.args[0] == size) bars.push_back(c);
    ASSERT_EQ(bars.size(), 40u);
    for (const Call& c : bars) {
        EXPECT_GE(c.args[0], r.left);
        EXPECT_LE(c.args[2], r.right);
    }
}

TEST(SeriesRegistry, SeriesKindsJoinTheStandardPageAndFunctionsTheirOwn) {
    TKivSeriesTypes& types = TKivSeriesTypes::Instance();
    types.Clear();
    RegisterBuiltInSeries();
    RegisterBuiltInSeries();
    RegisterBuiltInFunctions();
    const std::vector<std::string> descriptions = {
        "Line", "Bar",      "Horiz. Bar", "Area",   "Point", "Pie", "Fast Line", "Candle",
        "Add",  "Subtract", "Multiply",   "Divide", "High",  "Low", "Average"};
    const int kinds = 8;
    ASSERT_EQ(types.Count(), int(descriptions.size()));
    for (int i = 0; i < types.Count(); ++i) {
        EXPECT_EQ(types[i].Description, descriptions[size_t(i)]);
        EXPECT_EQ(types[i].GalleryPage, i < kinds - 1    ? "Standard"
                                        : i == kinds - 1 ? "Financial"
                                                         : "Functions");
        EXPECT_EQ(types[i].NumGallerySeries, i == 5 || i == 7 ? 1 : 2);
        EXPECT_EQ(bool(types[i].FunctionClass), i >= kinds);
    }
    std::unique_ptr<TChartSeries> made(FindSeriesClass("THorizBarSeries").Create());
    EXPECT_NE(dynamic_cast<THorizBarSeries*>(made.get()), nullptr);
    made.reset(FindSeriesClass("TCandleSeries").Create());
    EXPECT_NE(dynamic_cast<TCandleSeries*>(made.get()), nullptr);
    std::unique_ptr<TKivFunction> divide(FindFunctionClass("TDivideKivFunction").Create());
    EXPECT_NE(dynamic_cast<TDivideKivFunction*>(divide.get()), nullptr);
    types.Clear();
}

// Frames of hostile data on pixels, in 2D and 3D, with marks and their arrows: nothing raises,
// nothing overflows (the sanitizers watch), and every frame ends. Far values map to pixels
// within a bound that leaves room for the sums and differences drawing makes of them.
TEST(SeriesOnPixels, HostileDataDrawsInEveryStyle) {
    testing_support::EnsureGuiApp();
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const double values[] = {1, NaN, 2, Inf, -Inf, 1e308, -1e308, 0, 3, 1e-300, 2};
    raster::QtRasterDevice device(400, 250);
    for (bool view3D : {false, true}) {
        TChart chart;
        chart.SetView3D(view3D);
        chart.SetBufferedDisplay(false);
        auto* line = new TLineSeries;
        auto* area = new TAreaSeries;
        auto* bars = new TBarSeries;
        auto* stacked = new TBarSeries;
        auto* horiz = new THorizBarSeries;
        auto* fast = new TFastLineSeries;
        auto* pie = new TPieSeries;
        for (TChartSeries* s :
             std::initializer_list<TChartSeries*>{line, area, bars, stacked, horiz, fast, pie}) {
            s->SetParentChart(&chart);
            for (double v : values) s->AppendValue(v);
            s->AppendNull();
            s->Marks().SetVisible(true);
        }
        line->Pointer().SetVisible(true);
        line->SetStairs(true);
        area->SetMultiArea(maStacked100);
        bars->SetMultiBar(mbStacked100);
        for (int style = psRectangle; style <= psSmallDot; ++style) {
            line->Pointer().SetStyle(TSeriesPointerStyle(style));
            EXPECT_NO_THROW(chart.DrawToCanvas(device, {0, 0, 400, 250}));
        }
        for (int style = bsRectangle; style <= bsRectGradient; ++style) {
            bars->SetBarStyle(TBarStyle(style));
            horiz->SetBarStyle(TBarStyle(style));
            EXPECT_NO_THROW(chart.DrawToCanvas(device, {0, 0, 400, 250}));
        }
        // Fixed axes far from the data, and a chart squeezed to nothing.
        chart.LeftAxis().SetRange(1e6, 1e6 + 1);
        chart.BottomAxis().SetRange(-1e9, -1e9 + 1e-6);
        EXPECT_NO_THROW(chart.DrawToCanvas(device, {0, 0, 400, 250}));
        for (double far : {1e308, Inf}) {
            EXPECT_EQ(line->YToScreen(far), -MaxValuePixel);
            EXPECT_EQ(line->YToScreen(-far), MaxValuePixel);
            EXPECT_EQ(line->XToScreen(far), MaxValuePixel);
        }
        EXPECT_NO_THROW(chart.DrawToCanvas(device, {0, 0, 1, 1}));
    }
}
