// Line and bar series in whole chart frames: the margins they ask for, their place in the plot,
// the registry, and frames of hostile data on pixels.
#include "SeriesTestSupport.h"

#include "chart/Chart.h"
#include "chart/KivFunci.h"
#include "raster/QtRasterDevice.h"

#include <bit>
#include <cmath>
#include <limits>
#include <random>

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

// A refill taken at once leaves exactly what the same points appended one by one leave: values
// in the same order (ties of equal X in the order they came, +0 and -0 told apart), colours,
// labels, pending values, what later insertions find, the hooks' calls and the repaint request;
// for every X order, every kind of series, series with hooks and series not empty.
TEST(SeriesAppendPoints, LeavesWhatAppendingOneByOneLeaves) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double pool[] = {1, 2, 3, 0.0, -0.0, -inf, nan};
    std::mt19937 rng(18);
    for (int trial = 0; trial < 900; ++trial) {
        const int kind = trial % 5;
        const bool hooked = trial % 11 == 0, filled = trial % 7 == 0, odd = trial % 13 == 0;
        PlotPanel chart;
        auto make = [&]() -> TChartSeries* {
            TChartSeries* s = nullptr;
            if (kind == 0) s = new TChartSeries;
            if (kind == 1) s = new TLineSeries;
            if (kind == 2) s = new TBarSeries;
            if (kind == 3) s = new TCandleSeries;
            if (kind == 4) {
                auto* fast = new TFastLineSeries;
                fast->SetAutoRepaint(trial % 2 == 0);
                s = fast;
            }
            s->SetParentChart(&chart);
            s->XValues().SetOrder(TChartListOrder(trial / 5 % 3));
            if (trial % 4 == 1) s->YValues().SetOrder(loAscending);
            if (filled)
                s->AppendPoint(2, -1, "old");
            else
                s->ClearPoints(); // as a refill starts
            return s;
        };
        TChartSeries* bulk = make();
        TChartSeries* single = make();
        std::vector<int> heardBulk, heardSingle;
        if (hooked) {
            bulk->OnAfterAdd = [&](TChartSeries*, int i) { heardBulk.push_back(i); };
            single->OnAfterAdd = [&](TChartSeries*, int i) { heardSingle.push_back(i); };
        }
        // Newest first with runs of equal times (a refill), oldest first, or shuffled.
        const int n = int(rng() % 40);
        std::vector<double> x, y;
        double t = 100;
        for (int i = 0; i < n; ++i) {
            if (rng() % 3 == 0) t += trial / 15 % 3 == 1 ? 1 : -1;
            x.push_back(trial / 15 % 3 == 2 ? pool[rng() % (kind == 3 || !odd ? 5 : 7)] : t);
            y.push_back(odd && kind != 3 && i == n / 2 ? nan : i);
        }
        if (odd && kind != 3 && n > 0) x[rng() % size_t(n)] = pool[rng() % 7];
        chart.PaintServed();
        bulk->AppendPoints(x.data(), y.data(), n);
        const bool requested = chart.RepaintPending();
        chart.PaintServed();
        for (int i = 0; i < n; ++i) single->AppendPoint(x[size_t(i)], y[size_t(i)]);
        ASSERT_EQ(requested, chart.RepaintPending()) << trial;

        auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
        ASSERT_EQ(bulk->PointCount(), single->PointCount()) << trial;
        for (int p = 0; p < single->PointCount(); ++p) {
            ASSERT_EQ(bits(bulk->XValues()[p]), bits(single->XValues()[p])) << trial << " " << p;
            ASSERT_EQ(bits(bulk->YValues()[p]), bits(single->YValues()[p])) << trial << " " << p;
        }
        EXPECT_EQ(bulk->PointColorCount(), single->PointColorCount()) << trial;
        EXPECT_EQ(bulk->PointLabelCount(), single->PointLabelCount()) << trial;
        EXPECT_EQ(bits(bulk->XValues().PendingValue), bits(single->XValues().PendingValue));
        EXPECT_EQ(bits(bulk->YValues().PendingValue), bits(single->YValues().PendingValue));
        EXPECT_EQ(heardBulk, heardSingle) << trial;
        EXPECT_EQ(bulk->XValues().Changes(), single->XValues().Changes()) << trial;
        // A later insertion finds its place the same way (binary search or scan).
        EXPECT_EQ(bulk->AppendPoint(2, 0), single->AppendPoint(2, 0)) << trial;
        EXPECT_EQ(bulk->YValues().InsertOrdered(0.5), single->YValues().InsertOrdered(0.5));
        delete bulk;
        delete single;
    }
}
