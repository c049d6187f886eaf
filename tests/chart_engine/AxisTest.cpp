#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace kiv;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Places axis over [0, size) of a chart rectangle with the range fixed to min..max.
void Place(TestPanel& chart, TCustomChartAxis& axis, double min, double max, int size = 100) {
    chart.SetChartRect({10, 20, 10 + size, 20 + size});
    axis.SetRange(min, max);
    axis.RefreshRange();
    axis.PlaceOnChart();
}

} // namespace

TEST(AxisRange, SetRangeOrdersWidensAndTurnsAutomaticOff) {
    TestPanel chart;
    TChartAxis& a = chart.LeftAxis();
    a.SetRange(5, 5);
    EXPECT_EQ(a.Minimum(), 5);
    EXPECT_EQ(a.Maximum(), 5 + 1e-10);
    EXPECT_FALSE(a.Automatic());
    EXPECT_FALSE(a.AutomaticMinimum());
    EXPECT_FALSE(a.AutomaticMaximum());
    a.SetRange(9, 1);
    EXPECT_EQ(a.Minimum(), 1);
    EXPECT_EQ(a.Maximum(), 9);
}

TEST(AxisRange, AutomaticFlagsMoveTogether) {
    TestPanel chart;
    TChartAxis& a = chart.BottomAxis();
    a.SetAutomaticMinimum(false);
    EXPECT_FALSE(a.Automatic());
    EXPECT_TRUE(a.AutomaticMaximum());
    a.SetAutomaticMinimum(true); // the maximum is automatic too: all automatic again
    EXPECT_TRUE(a.Automatic());
    a.SetAutomatic(false);
    EXPECT_FALSE(a.AutomaticMinimum());
    EXPECT_FALSE(a.AutomaticMaximum());
    a.SetAutomaticMaximum(true); // the minimum is not: Automatic stays off
    EXPECT_FALSE(a.Automatic());
}

TEST(AxisRange, AutomaticRangeFromTheSeriesOnTheAxis) {
    TestPanel chart;
    TChartAxis& bottom = chart.BottomAxis();
    TChartAxis& left = chart.LeftAxis();
    bottom.RefreshRange();
    EXPECT_EQ(bottom.RangeMin(), 0);
    EXPECT_EQ(bottom.RangeMax(), 0);
    EXPECT_FALSE(chart.IsAxisShown(&bottom)); // an empty chart shows no axis
    EXPECT_EQ(bottom.ValueToPixel(123), bottom.CenterPixel());

    TChartSeries* a = NewSeries(&chart);
    TChartSeries* b = NewSeries(&chart);
    TChartSeries* right = NewSeries(&chart);
    right->SetVertAxis(aRightAxis);
    a->AppendPoint(1, 10);
    a->AppendPoint(4, 30);
    b->AppendPoint(-2, 15);
    right->AppendPoint(0, 1000);
    bottom.RefreshRange();
    left.RefreshRange();
    EXPECT_EQ(bottom.RangeMin(), -2);
    EXPECT_EQ(bottom.RangeMax(), 4);
    EXPECT_EQ(left.RangeMin(), 10);
    EXPECT_EQ(left.RangeMax(), 30);
    EXPECT_TRUE(chart.IsAxisShown(&left));
    EXPECT_TRUE(chart.IsAxisShown(&chart.RightAxis()));
    EXPECT_FALSE(chart.IsAxisShown(&chart.TopAxis()));
    // inactive series count only when no series on the axis is active
    a->SetActive(false);
    b->SetActive(false);
    left.RefreshRange();
    EXPECT_EQ(left.RangeMax(), 30);
    EXPECT_FALSE(chart.IsAxisShown(&left));
    // one fixed side keeps its value
    left.SetAutomaticMaximum(false);
    left.SetMaximum(50);
    left.RefreshRange();
    EXPECT_EQ(left.RangeMin(), 10);
    EXPECT_EQ(left.RangeMax(), 50);
}

// A bad value raises before anything is stored; a stream may write Minimum before Maximum.
TEST(AxisChecks, ABadValueRaisesAndTheOldValueStays) {
    TestPanel chart;
    TChartAxis& a = chart.LeftAxis();
    EXPECT_THROW(a.SetIncrement(-1), AxisException);
    EXPECT_EQ(a.Increment(), 0);
    a.SetRange(0, 10);
    EXPECT_THROW(a.SetMinimum(11), AxisException);
    EXPECT_THROW(a.SetMaximum(-1), AxisException);
    EXPECT_EQ(a.Minimum(), 0);
    EXPECT_EQ(a.Maximum(), 10);
    chart.BeginLoading();
    a.SetMinimum(20);
    a.SetMaximum(30);
    chart.EndLoading();
    EXPECT_EQ(a.Minimum(), 20);
    EXPECT_THROW(a.SetLabelsAngle(361), ChartException);
    a.SetLabelsAngle(360);
    EXPECT_EQ(a.LabelsAngle(), 360);

    TChartSeries* s = NewSeries(&chart);
    s->AppendPoint(1, -5);
    s->AppendPoint(2, 5);
    a.SetAutomatic(true);
    EXPECT_THROW(a.SetLogarithmic(true), AxisException); // a negative value
    EXPECT_FALSE(a.Logarithmic());
    s->XValues().SetDateTime(true);
    EXPECT_THROW(chart.BottomAxis().SetLogarithmic(true), AxisException);
    EXPECT_FALSE(chart.BottomAxis().Logarithmic());
}

TEST(AxisMapping, LinearBothFormsInvertedAndBack) {
    TestPanel chart;
    TChartAxis& x = chart.BottomAxis();
    TChartAxis& y = chart.LeftAxis();
    Place(chart, x, 0, 200);
    Place(chart, y, 0, 200);
    EXPECT_EQ(x.StartPixel(), 10);
    EXPECT_EQ(x.EndPixel(), 110);
    EXPECT_EQ(y.StartPixel(), 20);
    EXPECT_EQ(x.ValueToPixel(50), 35);
    EXPECT_EQ(x.ValueToPixel(1), 10);  // 0.5 rounds to even
    EXPECT_EQ(x.ValueToPixel(3), 12);  // 1.5 rounds to even
    EXPECT_EQ(y.ValueToPixel(50), 95); // screen Y grows downwards
    EXPECT_DOUBLE_EQ(x.PixelToValue(35), 50);
    EXPECT_DOUBLE_EQ(y.PixelToValue(95), 50);
    x.SetInverted(true);
    y.SetInverted(true);
    EXPECT_EQ(x.ValueToPixel(50), 85);
    EXPECT_EQ(y.ValueToPixel(50), 45);
    EXPECT_DOUBLE_EQ(x.PixelToValue(85), 50);
    EXPECT_DOUBLE_EQ(y.PixelToValue(45), 50);
}

TEST(AxisMapping, DegenerateAndNonFiniteValuesStayWithinThePixelBound) {
    TestPanel chart;
    TChartAxis& x = chart.BottomAxis();
    Place(chart, x, 0, 1);
    const int center = x.CenterPixel();
    EXPECT_EQ(center, 60);
    EXPECT_EQ(x.ValueToPixel(NaN), center);
    // far beyond the range: past the axis end on the value's side, never inside the plot
    for (double v : {Inf, 1e308}) EXPECT_EQ(x.ValueToPixel(v), MaxValuePixel) << v;
    for (double v : {-Inf, -1e308}) EXPECT_EQ(x.ValueToPixel(v), -MaxValuePixel) << v;
    TChartAxis& y = chart.LeftAxis();
    Place(chart, y, 0, 1);
    EXPECT_EQ(y.ValueToPixel(1e300), -MaxValuePixel);
    Place(chart, x, 0, Inf);
    EXPECT_EQ(x.ValueToPixel(5), center);
    Place(chart, x, NaN, 1);
    EXPECT_EQ(x.ValueToPixel(5), center);
    // one value per pixel from pixel 10: exact up to the bound, cut beyond it, also near the
    // limit of int where the offset still fits
    Place(chart, x, 0, 100, 100);
    EXPECT_EQ(x.ValueToPixel(MaxValuePixel - 11.0), MaxValuePixel - 1);
    EXPECT_EQ(x.ValueToPixel(MaxValuePixel - 10.0), MaxValuePixel);
    EXPECT_EQ(x.ValueToPixel(MaxValuePixel - 9.0), MaxValuePixel);
    EXPECT_EQ(x.ValueToPixel(2147483640.0), MaxValuePixel);
    EXPECT_EQ(x.ValueToPixel(-MaxValuePixel - 10.0), -MaxValuePixel);
    EXPECT_EQ(x.ValueToPixel(-MaxValuePixel - 11.0), -MaxValuePixel);
    // a zero pixel size maps every pixel to 0
    Place(chart, x, 0, 100, 0);
    EXPECT_EQ(x.PixelToValue(10), 0);
    x.SetLogarithmic(true);
    EXPECT_EQ(x.PixelToValue(10), 0);
}

TEST(AxisMapping, LogarithmicMapping) {
    TestPanel chart;
    TChartAxis& x = chart.BottomAxis();
    TChartAxis& y = chart.LeftAxis();
    Place(chart, x, 1, 100);
    Place(chart, y, 1, 100);
    x.SetLogarithmic(true);
    y.SetLogarithmic(true);
    EXPECT_EQ(x.ValueToPixel(10), 60);
    EXPECT_EQ(x.ValueToPixel(100), 110);
    EXPECT_EQ(y.ValueToPixel(10), 70);
    EXPECT_EQ(x.ValueToPixel(0), 10);   // values <= 0 sit at the start
    EXPECT_EQ(y.ValueToPixel(-3), 120); // and at the bottom
    EXPECT_NEAR(x.PixelToValue(60), 10, 1e-9);
    EXPECT_NEAR(y.PixelToValue(70), 10, 1e-9);
    EXPECT_EQ(x.PixelToValue(10), 1);
    EXPECT_EQ(x.PixelToValue(110), 100);
    EXPECT_EQ(y.PixelToValue(20), 100);
    x.SetInverted(true);
    EXPECT_EQ(x.ValueToPixel(100), 10);
    EXPECT_EQ(x.ValueToPixel(0), 110);
    EXPECT_EQ(x.PixelToValue(10), 100);
    Place(chart, y, 0, 1); // both logarithms 0: no span
    EXPECT_EQ(y.ValueToPixel(0.5), 70);
}

TEST(AxisMapping, LogarithmicInvertedPixelRangeKeepsItsValues) {
    // Start position beyond the end position: the pixel size is negative.
    TestPanel chart;
    TChartAxis& x = chart.BottomAxis();
    x.SetStartPosition(100);
    x.SetEndPosition(0);
    Place(chart, x, 1, 100);
    x.SetLogarithmic(true);
    ASSERT_EQ(x.PixelSize(), -100);
    EXPECT_EQ(x.ValueToPixel(10), 60);
    EXPECT_NEAR(x.PixelToValue(60), 10, 1e-9);
    EXPECT_EQ(x.PixelToValue(110), 1);
    EXPECT_EQ(x.PixelToValue(10), 100);
    // the margins move the old ends 10 px inwards from the new ones: the range stays logarithmic
    // around them instead of collapsing to 0..0
    x.ApplyMargins({10, 0, 10, 0});
    EXPECT_NEAR(x.RangeMin(), std::pow(100, 1.0 / 12), 1e-9);
    EXPECT_NEAR(x.RangeMax(), std::pow(100, 11.0 / 12), 1e-9);
}

TEST(AxisMapping, PositionsMarginsAndDepth) {
    TestPanel chart;
    TChartAxis& x = chart.BottomAxis();
    x.SetStartPosition(10);
    x.SetEndPosition(50);
    Place(chart, x, 0, 100, 200);
    EXPECT_EQ(x.StartPixel(), 30);
    EXPECT_EQ(x.EndPixel(), 110);
    EXPECT_EQ(x.PixelSize(), 80);
    x.SetStartPosition(0);
    x.SetEndPosition(100);
    Place(chart, x, 0, 100, 100);
    x.ApplyMargins({10, 0, 20, 0});
    // 0..100 now sits 10 px from the start and 20 px from the end
    EXPECT_EQ(x.StartPixel(), 10);
    EXPECT_EQ(x.EndPixel(), 110);
    EXPECT_EQ(x.ValueToPixel(0), 20);
    EXPECT_EQ(x.ValueToPixel(100), 90);

    TChartDepthAxis& z = chart.DepthAxis();
    EXPECT_FALSE(z.Visible());
    chart.SetDepthWidth(40);
    z.SetRange(0, 4);
    z.RefreshRange();
    EXPECT_EQ(z.ValueToPixel(1), 10);
    z.SetInverted(true);
    EXPECT_EQ(z.ValueToPixel(1), 30);
}

TEST(AxisPaging, ShortLastPageKeepsTheScaleOfAFullPage) {
    TestPanel chart;
    TChartSeries* s = NewSeries(&chart);
    for (int i = 0; i < 25; ++i) s->AppendPoint(i, i * 2);
    int changes = 0;
    chart.OnPageChange = [&](TComponent*) { ++changes; };
    chart.SetMaxPointsPerPage(10);
    EXPECT_EQ(chart.PageCount(), 3);
    chart.SetPage(3);
    EXPECT_EQ(changes, 1);
    TChartAxis& x = chart.BottomAxis();
    x.RefreshRange();
    EXPECT_EQ(x.RangeMin(), 20);
    EXPECT_EQ(x.RangeMax(), 24);
    chart.SetScaleLastPage(false);
    x.RefreshRange();
    EXPECT_EQ(x.RangeMax(), 20 + 4 * 10 / 5.0);
    // the values axis is not paged
    chart.LeftAxis().RefreshRange();
    EXPECT_EQ(chart.LeftAxis().RangeMax(), 48);
    chart.SetPage(7);
    EXPECT_EQ(chart.Page(), 3);
    chart.SetPage(0);
    EXPECT_EQ(chart.Page(), 1);
    chart.SetPage(3);
    chart.SetMaxPointsPerPage(20); // two pages now: the page follows
    EXPECT_EQ(chart.Page(), 2);
    chart.SetMaxPointsPerPage(0);
    EXPECT_EQ(chart.PageCount(), 1);
    EXPECT_EQ(chart.Page(), 1);
}

TEST(AxisLabelStyle, EffectiveStyleFollowsTheSeries) {
    TestPanel chart;
    TChartAxis& bottom = chart.BottomAxis();
    EXPECT_EQ(bottom.EffectiveLabelStyle(), talNone);
    TChartSeries* s = NewSeries(&chart);
    s->AppendPoint(0, 1);
    EXPECT_EQ(bottom.EffectiveLabelStyle(), talValue);
    s->ClearPoints();
    s->AppendPoint(0, 1, "first");
    EXPECT_EQ(bottom.EffectiveLabelStyle(), talText);
    EXPECT_EQ(chart.LeftAxis().EffectiveLabelStyle(), talValue); // labels run along X only
    bottom.SetLabelStyle(talMark);
    EXPECT_EQ(bottom.EffectiveLabelStyle(), talMark);
    EXPECT_EQ(chart.DepthAxis().EffectiveLabelStyle(), talText);
}
