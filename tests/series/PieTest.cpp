#include "SeriesTestSupport.h"

#include "chart/Chart.h"
#include "raster/QtRasterDevice.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>

using namespace kiv;
using raster::Call;

namespace {

constexpr double Pi = std::numbers::pi;

// The plot rectangle (100, 50, 900, 450) holds an ellipse of radii 400 and 200 around
// (500, 250) when the marks are hidden.
struct PieDrawing : SeriesFixture {
    TPieSeries* Pie(std::initializer_list<double> values) {
        auto* s = Add<TPieSeries>();
        s->Marks().SetVisible(false);
        for (double v : values) s->AppendValue(v);
        return s;
    }
    // One pass as the chart runs it for this series.
    void DrawPie(TPieSeries& s, gfx::TRect rect = {100, 50, 900, 450}) {
        s.PrepareChartPass();
        Layout(0, 100, 0, 100, rect);
        s.UpdateVisibleRange();
        s.FireBeforeDrawValues();
        dev.Clear();
        s.DrawVisiblePoints();
    }
};

} // namespace

TEST_F(PieDrawing, SlicesShareTheCircleByAbsoluteValue) {
    TPieSeries* s = Pie({1, 1, 2});
    DrawPie(*s);
    const auto& a = s->SliceAngles();
    ASSERT_EQ(a.size(), 3u);
    EXPECT_DOUBLE_EQ(a[0].ToAngle, Pi / 2);
    EXPECT_DOUBLE_EQ(a[1].ToAngle, Pi);
    EXPECT_EQ(a[2].ToAngle, 2 * Pi);
    EXPECT_DOUBLE_EQ(a[2].MidAngle, 1.5 * Pi);
    EXPECT_EQ(Calls("Pie"),
              (std::vector<Call>{Call("Pie", {100, 50, 900, 450, 900, 250, 500, 50}),
                                 Call("Pie", {100, 50, 900, 450, 500, 50, 100, 250}),
                                 Call("Pie", {100, 50, 900, 450, 100, 250, 900, 250})}));

    // a rotation turns the start; 450 degrees is a quarter turn, a negative angle is refused
    s->SetRotationAngle(450);
    EXPECT_EQ(s->RotationAngle(), 90);
    EXPECT_EQ(MessageOf<PieException>([&] { s->SetRotationAngle(-1); }),
              "Rotation Angle must be between 0 and 359 degrees");
    EXPECT_EQ(s->RotationAngle(), 90);
    DrawPie(*s);
    EXPECT_EQ(Calls("Pie").front(), Call("Pie", {100, 50, 900, 450, 500, 50, 100, 250}));

    // the last slice closes the circle exactly, where total * (2 pi / total) is a hair past
    // 2 pi (a total of 25) or short of it (75)
    for (double second : {-15.0, 65.0}) {
        TPieSeries* closing = Pie({10, second});
        DrawPie(*closing);
        EXPECT_EQ(closing->SliceAngles()[1].ToAngle, 2 * Pi) << second;
    }
}

TEST_F(PieDrawing, ZerosAndValuesThatAreNotNumbers) {
    TPieSeries* zeros = Pie({0, 0, 0});
    DrawPie(*zeros);
    EXPECT_EQ(zeros->SliceAngles()[0].FromAngle, 0);
    EXPECT_EQ(zeros->SliceAngles()[0].ToAngle, 2 * Pi);
    EXPECT_EQ(zeros->SliceAngles()[2].ToAngle, 2 * Pi);
    EXPECT_EQ(Calls("Pie"),
              std::vector<Call>{Call("Pie", {100, 50, 900, 450, 900, 250, 900, 250})});

    zeros->SetActive(false);
    TPieSeries* odd = Pie({std::nan(""), 1, std::numeric_limits<double>::infinity(), -1});
    DrawPie(*odd);
    // the values that are not finite get no room; -1 counts as 1
    EXPECT_EQ(odd->SliceAngles()[0].ToAngle, 0);
    EXPECT_DOUBLE_EQ(odd->SliceAngles()[1].ToAngle, Pi);
    EXPECT_EQ(odd->SliceAngles()[2].ToAngle, odd->SliceAngles()[1].ToAngle);
    EXPECT_EQ(odd->SliceAngles()[3].ToAngle, 2 * Pi);
    EXPECT_EQ(Calls("Pie").size(), 2u);
}

TEST_F(PieDrawing, SmallValuesMergeIntoOneOtherSliceRecreatedEachPass) {
    TPieSeries* s = Pie({50, 45, 3, 2});
    s->OtherSlice().SetStyle(poBelowPercent);
    s->OtherSlice().SetValue(10);
    for (int pass = 0; pass < 2; ++pass) {
        DrawPie(*s);
        ASSERT_EQ(s->PointCount(), 5);
        EXPECT_EQ(s->PointY(4), 5);
        EXPECT_EQ(s->PointLabel(4), "Other");
        EXPECT_TRUE(s->InOtherSlice(2));
        EXPECT_TRUE(s->InOtherSlice(3));
        EXPECT_EQ(Calls("Pie").size(), 3u); // the merged values draw nothing
        EXPECT_EQ(s->PercentText(4, false), "5 %");
    }
    EXPECT_EQ(s->LegendItemCount(), 3);
    EXPECT_EQ(s->LegendItemToIndex(2), 4);
    EXPECT_EQ(s->LegendItemText(2, ltsPlain), "Other");
    EXPECT_EQ(s->LegendSwatchColor(2), s->PointColor(4));

    // by value, and back to no merging
    s->OtherSlice().SetStyle(poBelowValue);
    s->OtherSlice().SetValue(46);
    DrawPie(*s);
    EXPECT_EQ(s->PointY(4), 50);
    s->OtherSlice().SetStyle(poNone);
    DrawPie(*s);
    EXPECT_EQ(s->PointCount(), 4);
    EXPECT_EQ(Calls("Pie").size(), 4u);
}

TEST_F(PieDrawing, ExplodingTheBiggestSliceShrinksTheCircle) {
    TPieSeries* s = Pie({1, 3});
    s->SetExplodeBiggest(20);
    DrawPie(*s);
    // Slice 1 (middle at 5π/4) moves out by 20 % of the radii, (-57, -28): the circle loses
    // half of that on each side.
    EXPECT_EQ(s->CircleBounds(), (gfx::TRect{128, 64, 872, 436}));
    const TPoint shift = s->ExplodeShift(1);
    EXPECT_EQ(shift, (TPoint{-53, -26})); // 20 % of the new radii, 372 and 186
    EXPECT_EQ(s->ExplodeShift(0), (TPoint{0, 0}));
    const std::vector<Call> pies = Calls("Pie");
    ASSERT_EQ(pies.size(), 2u);
    EXPECT_EQ(std::vector<int>(pies[0].args.begin(), pies[0].args.begin() + 4),
              (std::vector<int>{128, 64, 872, 436}));
    EXPECT_EQ(std::vector<int>(pies[1].args.begin(), pies[1].args.begin() + 4),
              (std::vector<int>{128 - 53, 64 + 26, 872 - 53, 436 + 26}));

    // far beyond 100 % the circle collapses and nothing is drawn, without overflow
    s->SetExplodeBiggest(1000000000);
    DrawPie(*s);
    EXPECT_LT(s->CircleSizeX(), 5);
    EXPECT_TRUE(Calls("Pie").empty());
    // so does a circle squeezed into a narrow plot
    s->SetExplodeBiggest(0);
    DrawPie(*s, {100, 50, 103, 450});
    EXPECT_EQ(s->CircleSizeX(), 4);
    EXPECT_TRUE(Calls("Pie").empty());
}

TEST_F(PieDrawing, ClicksAnswerTheSliceInsideTheBox) {
    TPieSeries* s = Pie({1, 1, 2});
    DrawPie(*s);
    EXPECT_EQ(s->HitTest(110, 260), 2);  // just below the left end of the long axis
    EXPECT_EQ(s->HitTest(600, 100), 0);  // upper right quarter
    EXPECT_EQ(s->HitTest(95, 260), -1);  // in slice 2's angle, left of the box
    EXPECT_EQ(s->HitTest(500, 460), -1); // below the box
    TPieSeries lone;
    EXPECT_EQ(lone.ScreenToAngle(5, -5), 0); // no radius yet
    EXPECT_EQ(lone.HitTest(5, -5), -1);
}

TEST_F(PieDrawing, MarksSitOutsideTheRimFacingAwayFromTheCentre) {
    TPieSeries* s = Pie({1, 1, 2, 0.01});
    s->Marks().SetVisible(true);
    s->OtherSlice().SetStyle(poBelowValue);
    s->OtherSlice().SetValue(0.5);
    DrawPie(*s);
    // room for the marks is kept around the circle
    EXPECT_GT(s->CircleBounds().left, 100);
    EXPECT_GT(s->CircleBounds().top, 50);
    s->DrawMarks();
    const TSeriesMarksPositions& positions = s->Marks().Positions();
    EXPECT_EQ(positions.Position(3), nullptr); // merged into the other slice: no mark
    for (int i : {0, 1, 2, 4}) {
        SCOPED_TRACE(i);
        const TSeriesMarkPosition* p = positions.Position(i);
        ASSERT_NE(p, nullptr);
        const double mid = s->SliceAngles()[size_t(i)].MidAngle;
        EXPECT_EQ(p->ArrowStart, s->PolarToScreen(mid, s->RadiusX(), s->RadiusY()));
        const bool right = p->ArrowEnd.x > s->CircleCentreX();
        const bool below = p->ArrowEnd.y > s->CircleCentreY();
        EXPECT_EQ(p->BoxTopLeft.x, right ? p->ArrowEnd.x : p->ArrowEnd.x - p->BoxWidth);
        EXPECT_EQ(p->BoxTopLeft.y, below ? p->ArrowEnd.y : p->ArrowEnd.y - p->BoxHeight);
        // the arrow points outwards
        EXPECT_GT(
            std::hypot(p->ArrowEnd.x - s->CircleCentreX(), p->ArrowEnd.y - s->CircleCentreY()),
            std::hypot(p->ArrowStart.x - s->CircleCentreX(), p->ArrowStart.y - s->CircleCentreY()));
    }
}

TEST(PieOnAChart, ARoundSeriesTakesTheAxesAwayWhileItIsShown) {
    TChart chart;
    auto* line = new TLineSeries;
    line->SetParentChart(&chart);
    auto* pie = new TPieSeries;
    pie->SetParentChart(&chart);
    auto axesShown = [&] {
        return chart.AxisVisible() && chart.AllowZoom() && chart.AllowPanning() == pmBoth &&
               chart.Frame().Visible() && chart.ClipPoints() && chart.View3DWalls();
    };
    auto axesHidden = [&] {
        return !chart.AxisVisible() && !chart.AllowZoom() && chart.AllowPanning() == pmNone &&
               !chart.Frame().Visible();
    };
    EXPECT_TRUE(axesHidden());
    pie->SetActive(false); // hidden, it gives them back
    EXPECT_TRUE(axesShown());
    pie->SetActive(true);
    EXPECT_TRUE(axesHidden());
    // a second pie shares the round settings and keeps the axes away when the first leaves
    auto* other = new TPieSeries;
    other->SetParentChart(&chart);
    pie->SetCircled(true);
    pie->SetCustomXRadius(50);
    EXPECT_TRUE(other->Circled());
    EXPECT_EQ(other->CustomXRadius(), 50);
    pie->SetParentChart(nullptr);
    EXPECT_TRUE(axesHidden());
    delete other;
    EXPECT_TRUE(axesShown());
    delete pie;
}

// The legend's items skip the merged points through an index kept until the points change, so
// a legend of n slices costs a pass over them (walking the points for every item took minutes
// here, hours for a million).
TEST(PieOnAChart, ALargePieDrawsWithItsLegend) {
    testing_support::EnsureGuiApp();
    TChart chart;
    chart.SetView3D(false);
    chart.SetBufferedDisplay(false);
    auto* pie = new TPieSeries;
    pie->SetParentChart(&chart);
    pie->Marks().SetVisible(false);
    constexpr int n = 200000;
    // every thousandth value merged into the "Other" slice
    for (int i = 0; i < n; ++i) pie->AppendValue(i % 1000 == 999 ? 0.5 : 1 + i % 7);
    pie->OtherSlice().SetStyle(poBelowValue);
    pie->OtherSlice().SetValue(1);
    raster::QtRasterDevice device(400, 250);
    const auto start = std::chrono::steady_clock::now();
    chart.DrawToCanvas(device, {0, 0, 400, 250});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(chart.Legend().Drawn());
    EXPECT_LT(took.count(), 60);
    const int items = n - n / 1000 + 1;
    EXPECT_EQ(pie->LegendItemCount(), items);
    EXPECT_EQ(pie->LegendItemToIndex(998), 998);
    EXPECT_EQ(pie->LegendItemToIndex(999), 1000);
    EXPECT_EQ(pie->LegendItemToIndex(items - 1), n);
    EXPECT_EQ(pie->LegendItemToIndex(items), items); // beyond the items: itself
    // a change of the points is seen at once
    pie->XValues().SetValueAt(0, -1);
    EXPECT_EQ(pie->LegendItemCount(), items - 1);
    EXPECT_EQ(pie->LegendItemToIndex(0), 1);
}
