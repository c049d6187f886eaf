#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kiv;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A chart whose left and bottom axes show 0..100; fixed text metrics of 6 x 12 px.
struct LayoutFixture {
    LayoutFixture() {
        series = NewSeries(&chart);
        series->AppendPoint(0, 0);
        series->AppendPoint(100, 100);
        for (TCustomChartAxis* a : chart.AxesList()) a->RefreshRange();
    }
    // Lays out one axis with inflate on a copy of the rectangle and returns the copy.
    TRect Inflate(TCustomChartAxis& axis, TRect rect = {100, 50, 500, 350}) {
        axis.LayOut(rect, true);
        return rect;
    }
    TestPanel chart;
    TChartSeries* series;
};

class WalledPanel : public TestPanel {
public:
    int WallThickness(const TCustomChartAxis* axis) const override {
        const bool left = !axis->IsHorizontal() && !axis->IsOtherSide();
        return left ? 5 : 0;
    }
};

} // namespace

// Title 12 px (one line), labels 12 px along the axis, ticks 6 px (the 2-px line plus 4-px
// ticks): each side cuts them off its own edge, outermost first.
TEST(AxisLayout, EachSideCutsTitleLabelsAndTicksOffItsEdge) {
    LayoutFixture f;
    for (TCustomChartAxis* a : f.chart.AxesList()) a->Title().SetCaption("T");

    TChartAxis& bottom = f.chart.BottomAxis();
    EXPECT_EQ(f.Inflate(bottom), (TRect{100, 50, 500, 320}));
    EXPECT_EQ(bottom.TitlePosition(), 338);
    EXPECT_EQ(bottom.LabelsPosition(), 326);

    TChartAxis& top = f.chart.TopAxis();
    EXPECT_EQ(f.Inflate(top), (TRect{100, 80, 500, 350}));
    EXPECT_EQ(top.TitlePosition(), 62);
    EXPECT_EQ(top.LabelsPosition(), 74);

    // vertical axes: titles at 90 and 270 degrees run along them (one line high); labels at
    // 0 degrees take the widest label, "100" and a space: 24 px
    TChartAxis& left = f.chart.LeftAxis();
    EXPECT_EQ(left.WidestLabel(), 24);
    EXPECT_EQ(f.Inflate(left), (TRect{142, 50, 500, 350}));
    EXPECT_EQ(left.TitlePosition(), 112);
    EXPECT_EQ(left.LabelsPosition(), 136);
    left.SetLabelsAngle(90); // now the labels run along the axis too
    EXPECT_EQ(f.Inflate(left), (TRect{130, 50, 500, 350}));

    TChartAxis& right = f.chart.RightAxis();
    right.SetLabelsAngle(270);
    EXPECT_EQ(f.Inflate(right), (TRect{100, 50, 470, 350}));
    EXPECT_EQ(right.TitlePosition(), 488);
    EXPECT_EQ(right.LabelsPosition(), 476);

    // a title across the axis takes its text width; fixed sizes win over measuring
    bottom.Title().SetAngle(90);
    bottom.Title().SetCaption("Time");
    EXPECT_EQ(bottom.TitleSpace(), 24);
    bottom.SetTitleSize(30);
    bottom.SetLabelsSize(7);
    EXPECT_EQ(f.Inflate(bottom), (TRect{100, 50, 500, 307}));

    // the depth axis takes no room
    EXPECT_EQ(f.Inflate(f.chart.DepthAxis()), (TRect{100, 50, 500, 350}));
    EXPECT_EQ(f.chart.DepthAxis().TitlePosition(), 500);
}

TEST(AxisLayout, TickSpaceWallsHiddenPartsAndNoInflate) {
    LayoutFixture f;
    TChartAxis& bottom = f.chart.BottomAxis();
    EXPECT_EQ(bottom.TickSpace(), 6);
    bottom.SetTickLength(0);
    EXPECT_EQ(bottom.TickSpace(), 2); // the minor ticks' 2 px
    bottom.SetMinorTickLength(5);
    EXPECT_EQ(bottom.TickSpace(), 5);
    bottom.MinorTicks().Hide();
    bottom.Axis().Hide();
    EXPECT_EQ(bottom.TickSpace(), 0);
    bottom.SetLabels(false);
    EXPECT_EQ(f.Inflate(bottom), (TRect{100, 50, 500, 350})); // nothing left to cut

    // the wall beside the left axis is cut off with its ticks
    WalledPanel walled;
    NewSeries(&walled)->AppendPoint(0, 0);
    TChartAxis& left = walled.LeftAxis();
    left.SetLabelsSize(20);
    TRect r{100, 50, 500, 350};
    left.LayOut(r, true);
    EXPECT_EQ(r.left, 100 + 20 + 6 + 5);

    // without inflate the rectangle stays and the positions move outward from its edge
    TChartAxis& top = f.chart.TopAxis();
    TRect rect{100, 50, 500, 350};
    top.LayOut(rect, false);
    EXPECT_EQ(rect, (TRect{100, 50, 500, 350}));
    EXPECT_EQ(top.AxisPosition(), 50);
    EXPECT_EQ(top.LabelsPosition(), 44);
    EXPECT_EQ(top.TitlePosition(), 32);
}

TEST(AxisLayout, PositionPercentShiftsTowardsTheInside) {
    LayoutFixture f;
    TRect rect{100, 50, 500, 350}; // 400 x 300
    TChartAxis& bottom = f.chart.BottomAxis();
    bottom.SetPositionPercent(50);
    bottom.LayOut(rect, false);
    EXPECT_EQ(bottom.AxisPosition(), 200);
    TChartAxis& right = f.chart.RightAxis();
    right.SetPositionPercent(25);
    right.LayOut(rect, false);
    EXPECT_EQ(right.AxisPosition(), 400);
    TChartAxis& left = f.chart.LeftAxis();
    left.SetPositionPercent(10);
    left.SetLabelsSize(20);
    TRect cut = f.Inflate(left);
    // labels cut to 120, ticks to 126; the labels' position shifts by 10 % of the new width
    EXPECT_EQ(cut.left, 126);
    EXPECT_EQ(left.LabelsPosition(), 120 + 37);
    // an absurd percentage keeps the positions in int range
    left.SetPositionPercent(1e300);
    left.LayOut(cut, false);
    EXPECT_EQ(left.AxisPosition(), std::numeric_limits<int>::max());
}

TEST(AxisLayout, WidestLabelByStyleWithoutTheLabelEvent) {
    LayoutFixture f;
    TChartAxis& bottom = f.chart.BottomAxis();
    f.chart.SetChartRect({0, 0, 400, 300});
    bottom.SetRange(3.7, 48.2);
    bottom.RefreshRange();
    bottom.PlaceOnChart();
    bottom.SetIncrement(10);
    bottom.SetLabelsSeparation(0);
    int calls = 0;
    f.chart.OnGetAxisLabel = [&](TCustomChartAxis*, TChartSeries*, int, std::string& t) {
        ++calls;
        t = "a much longer text";
    };
    // rounded to the step: "40" and "0", plus a space
    EXPECT_EQ(bottom.WidestLabel(), 18);
    bottom.SetRoundFirstLabel(false);
    EXPECT_EQ(bottom.WidestLabel(), 30); // "48.2"
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(f.chart.OnGetAxisLabel); // the event is back afterwards
    f.chart.OnGetAxisLabel = nullptr;

    bottom.SetLabelStyle(talText);
    f.series->SetPointLabel(0, "a\rlonger");
    f.series->SetPointLabel(1, "mid");
    EXPECT_EQ(bottom.WidestLabel(), 36); // the widest line of all labels
    bottom.SetLabelStyle(talMark);
    f.series->Marks().SetStyle(smsLabelValue);
    EXPECT_EQ(bottom.WidestLabel(), 48); // "longer 0" of "a\rlonger 0"
    f.series->SetActive(false);
    EXPECT_EQ(bottom.WidestLabel(), 0); // marks count for active series only
    bottom.SetLabelStyle(talNone);
    EXPECT_EQ(bottom.WidestLabel(), 0);

    // an infinite range measures its texts without looping
    bottom.SetLabelStyle(talValue);
    bottom.SetRoundFirstLabel(true);
    bottom.SetRange(0, Inf);
    bottom.RefreshRange();
    EXPECT_GT(bottom.WidestLabel(), 0);
}

TEST(AxisClicks, HitAreaSpansLabelsToLineWithTolerance) {
    LayoutFixture f;
    f.chart.SetChartRect({100, 50, 500, 350});
    TChartAxis& bottom = f.chart.BottomAxis();
    TRect rect{100, 50, 500, 350};
    bottom.LayOut(rect, false); // line at 350, labels from 356
    bottom.PlaceOnChart();
    EXPECT_TRUE(bottom.HitAxis(100, 347));
    EXPECT_TRUE(bottom.HitAxis(500, 356));
    EXPECT_FALSE(bottom.HitAxis(300, 346));
    EXPECT_FALSE(bottom.HitAxis(300, 357));
    EXPECT_FALSE(bottom.HitAxis(99, 350));
    TChartAxis& left = f.chart.LeftAxis();
    left.LayOut(rect, false); // line at 100, labels from 94
    left.PlaceOnChart();
    EXPECT_TRUE(left.HitAxis(94, 200));
    EXPECT_TRUE(left.HitAxis(103, 200));
    EXPECT_FALSE(left.HitAxis(104, 200));
    // an axis without series is not shown and takes no clicks
    EXPECT_FALSE(f.chart.TopAxis().HitAxis(300, 50));
}

TEST(AxisScroll, LimitsFollowTheDataAndBadOffsetsChangeNothing) {
    LayoutFixture f; // data 0..100
    TChartAxis& left = f.chart.LeftAxis();
    left.SetRange(0, 100);
    left.ScrollBy(10, true); // no data above 100
    EXPECT_EQ(left.Maximum(), 100);
    left.ScrollBy(-10, true); // none below 0
    EXPECT_EQ(left.Minimum(), 0);
    left.SetRange(20, 80);
    EXPECT_EQ(f.chart.RequestsAfter([&] { left.ScrollBy(10, true); }), 1);
    EXPECT_EQ(left.Minimum(), 30);
    EXPECT_EQ(left.Maximum(), 90);
    left.ScrollBy(-50, true);
    EXPECT_EQ(left.Minimum(), -20);

    // without limits it always moves, and turns the automatic range off
    left.SetAutomatic(true);
    left.RefreshRange();
    left.ScrollBy(1000, false);
    EXPECT_FALSE(left.Automatic());
    EXPECT_EQ(left.Minimum(), 1000);
    EXPECT_EQ(left.Maximum(), 1100);
    for (double bad : {Inf, -Inf, NaN, 1.7e308}) {
        left.SetRange(0, 1.7e308);
        left.ScrollBy(bad, false);
        EXPECT_EQ(left.Minimum(), 0) << bad;
        EXPECT_EQ(left.Maximum(), 1.7e308) << bad;
    }
}
