#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kiv;

namespace {

// A chart whose axes show 0..100; text is 6 px a character and 12 px a line. The left axis
// has a 5-px wall beside it.
struct LayoutPanel : TestPanel {
    LayoutPanel() {
        series = NewSeries(this);
        series->AppendPoint(0, 0);
        series->AppendPoint(100, 100);
        for (TCustomChartAxis* a : AxesList()) a->RefreshRange();
    }
    int WallThickness(const TCustomChartAxis* axis) const override {
        return axis->IsHorizontal() || axis->IsOtherSide() ? 0 : Wall;
    }
    // Lays out one axis with inflate on a copy of the rectangle and returns the copy.
    TRect Inflate(TCustomChartAxis& axis, TRect rect = {100, 50, 500, 350}) {
        axis.LayOut(rect, true);
        return rect;
    }
    TChartSeries* series;
    int Wall = 0;
};

} // namespace

// Title 12 px, labels 12 px when they run along the axis, ticks 6 px (the 2-px line and 4-px
// ticks): each side cuts them off its own edge, outermost first.
TEST(AxisLayout, EachSideCutsTitleLabelsTicksAndWall) {
    LayoutPanel f;
    for (TCustomChartAxis* a : f.AxesList()) a->Title().SetCaption("T");
    TChartAxis& bottom = f.BottomAxis();
    EXPECT_EQ(f.Inflate(bottom), (TRect{100, 50, 500, 320}));
    EXPECT_EQ(bottom.TitlePosition(), 338);
    EXPECT_EQ(bottom.LabelsPosition(), 326);
    TChartAxis& top = f.TopAxis();
    EXPECT_EQ(f.Inflate(top), (TRect{100, 80, 500, 350}));
    EXPECT_EQ(top.LabelsPosition(), 74);
    // labels across a vertical axis take the widest label: "100" and a space
    TChartAxis& left = f.LeftAxis();
    f.Wall = 5;
    EXPECT_EQ(f.Inflate(left), (TRect{100 + 12 + 24 + 6 + 5, 50, 500, 350}));
    EXPECT_EQ(left.TitlePosition(), 112);
    EXPECT_EQ(left.LabelsPosition(), 136);
    left.SetLabelsAngle(90);
    EXPECT_EQ(f.Inflate(left).left, 100 + 12 + 12 + 6 + 5);
    TChartAxis& right = f.RightAxis();
    right.SetLabelsAngle(270);
    EXPECT_EQ(f.Inflate(right), (TRect{100, 50, 470, 350}));
    EXPECT_EQ(right.LabelsPosition(), 476);
    // a title across the axis takes its width; fixed sizes win; hidden parts take nothing
    bottom.Title().SetAngle(90);
    bottom.Title().SetCaption("Time");
    EXPECT_EQ(bottom.TitleSpace(), 24);
    bottom.SetTitleSize(30);
    bottom.SetLabelsSize(7);
    EXPECT_EQ(f.Inflate(bottom).bottom, 350 - 30 - 7 - 6);
    bottom.Title().SetCaption("");
    bottom.SetLabels(false);
    bottom.SetTickLength(0);
    EXPECT_EQ(bottom.TickSpace(), 2); // the axis line, at least the minor ticks' 2 px
    bottom.Axis().Hide();
    bottom.MinorTicks().Hide();
    EXPECT_EQ(f.Inflate(bottom).bottom, 350);
    EXPECT_EQ(f.Inflate(f.DepthAxis()).right, 500); // the depth axis takes no room
}

TEST(AxisLayout, WithoutInflateAndShiftedByPositionPercent) {
    LayoutPanel f;
    TRect rect{100, 50, 500, 350}; // 400 x 300
    TChartAxis& top = f.TopAxis();
    top.LayOut(rect, false);
    EXPECT_EQ(rect, (TRect{100, 50, 500, 350}));
    EXPECT_EQ(top.AxisPosition(), 50);
    EXPECT_EQ(top.LabelsPosition(), 44);
    EXPECT_EQ(top.TitlePosition(), 32);
    TChartAxis& bottom = f.BottomAxis();
    bottom.SetPositionPercent(50);
    bottom.LayOut(rect, false);
    EXPECT_EQ(bottom.AxisPosition(), 200);
    TChartAxis& right = f.RightAxis();
    right.SetPositionPercent(25);
    right.LayOut(rect, false);
    EXPECT_EQ(right.AxisPosition(), 400);
    // with inflate the positions shift by the percentage of what is left of the rectangle
    TChartAxis& left = f.LeftAxis();
    left.SetPositionPercent(10);
    left.SetLabelsSize(20);
    EXPECT_EQ(f.Inflate(left).left, 126);
    EXPECT_EQ(left.LabelsPosition(), 120 + 37);
    left.SetPositionPercent(1e300); // stays in int range
    left.LayOut(rect, false);
    EXPECT_EQ(left.AxisPosition(), std::numeric_limits<int>::max());
}

TEST(AxisLayout, WidestLabelByStyleWithoutTheLabelEvent) {
    LayoutPanel f;
    TChartAxis& bottom = f.BottomAxis();
    f.SetChartRect({0, 0, 400, 300});
    bottom.SetRange(3.7, 48.2);
    bottom.RefreshRange();
    bottom.PlaceOnChart();
    bottom.SetIncrement(10);
    bottom.SetLabelsSeparation(0);
    int calls = 0;
    f.OnGetAxisLabel = [&](TCustomChartAxis*, TChartSeries*, int, std::string& t) {
        ++calls;
        t = "a much longer text";
    };
    EXPECT_EQ(bottom.WidestLabel(), 18); // rounded to the step: "40" and "0", and a space
    bottom.SetRoundFirstLabel(false);
    EXPECT_EQ(bottom.WidestLabel(), 30); // "48.2 "
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(f.OnGetAxisLabel); // back after measuring
    f.OnGetAxisLabel = nullptr;

    bottom.SetLabelStyle(talText);
    f.series->SetPointLabel(0, "a\rlonger");
    f.series->SetPointLabel(1, "mid");
    EXPECT_EQ(bottom.WidestLabel(), 36); // the widest line of all labels
    bottom.SetLabelStyle(talMark);
    f.series->Marks().SetStyle(smsLabelValue);
    EXPECT_EQ(bottom.WidestLabel(), 48); // "longer 0" of "a\rlonger 0"
    f.series->SetActive(false);
    EXPECT_EQ(bottom.WidestLabel(), 0); // marks of active series only
}

TEST(AxisClicksAndScrolling, HitAreaAndLimits) {
    LayoutPanel f;
    f.SetChartRect({100, 50, 500, 350});
    TRect rect = f.ChartRect();
    TChartAxis& bottom = f.BottomAxis();
    bottom.LayOut(rect, false); // line at 350, labels from 356, 3 px of tolerance inside
    bottom.PlaceOnChart();
    EXPECT_TRUE(bottom.HitAxis(100, 347));
    EXPECT_TRUE(bottom.HitAxis(500, 356));
    EXPECT_FALSE(bottom.HitAxis(300, 346));
    EXPECT_FALSE(bottom.HitAxis(300, 357));
    EXPECT_FALSE(bottom.HitAxis(99, 350));
    EXPECT_FALSE(f.TopAxis().HitAxis(300, 50)); // not shown: no series on it

    TChartAxis& left = f.LeftAxis(); // data 0..100
    left.SetRange(0, 100);
    left.ScrollBy(10, true); // no data beyond either end: nothing moves
    left.ScrollBy(-10, true);
    EXPECT_EQ(left.Maximum(), 100);
    EXPECT_EQ(left.Minimum(), 0);
    left.SetRange(20, 80);
    EXPECT_EQ(f.RequestsAfter([&] { left.ScrollBy(10, true); }), 1);
    EXPECT_EQ(left.Minimum(), 30);
    EXPECT_EQ(left.Maximum(), 90);
    left.SetAutomatic(true);
    left.RefreshRange();
    left.ScrollBy(1000, false); // always, and the range is fixed from then on
    EXPECT_FALSE(left.Automatic());
    EXPECT_EQ(left.Minimum(), 1000);
    for (double bad : {std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN(), 1.7e308}) {
        left.SetRange(0, 1.7e308);
        left.ScrollBy(bad, false);
        EXPECT_EQ(left.Minimum(), 0) << bad;
        EXPECT_EQ(left.Maximum(), 1.7e308) << bad;
    }
}
