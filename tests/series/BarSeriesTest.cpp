#include "SeriesTestSupport.h"

#include <limits>

using namespace kiv;
using raster::Call;

namespace {

struct BarSeriesTest : SeriesFixture {
    template <class S = TBarSeries>
    S* Bars(std::initializer_list<double> values, TColor color = clRed) {
        auto* s = Add<S>(color);
        s->Marks().SetVisible(false);
        for (double v : values) s->AppendValue(v);
        return s;
    }
    // Lays the chart out and lets every series compute its bar size, as the margins pass does.
    void LayoutBars(gfx::TRect rect = {100, 50, 900, 450}, double xMin = 0, double xMax = 100) {
        Layout(xMin, xMax, -50, 50, rect);
        for (TChartSeries* s : chart.SeriesList()) {
            int a = 0, b = 0;
            s->HorizontalMargins(a, b);
            s->VerticalMargins(a, b);
            s->UpdateVisibleRange();
        }
    }
};

} // namespace

TEST_F(BarSeriesTest, SideBySideBarsShareTheSlotOfTheirPoint) {
    TBarSeries* first = Bars({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    TBarSeries* second = Bars({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, clBlue);
    first->SetBarWidthPercent(100);
    second->SetBarWidthPercent(100);
    LayoutBars();
    // 800 pixels for 10 points and a side margin: slot 800 div 11 = 72, halved for two series.
    EXPECT_EQ(first->BarSize(), 36);
    const int x = first->XToScreen(3);
    EXPECT_EQ(first->PointScreenX(3), x - 36);
    EXPECT_EQ(second->PointScreenX(3), x);
    int left = 0, right = 0;
    first->HorizontalMargins(left, right);
    EXPECT_EQ(left, 72);
    EXPECT_EQ(right, 72);
    // Without side margins the slot is 800 div 10 = 80 and each side asks for half the pair.
    second->SetSideMargins(false);
    EXPECT_FALSE(first->SideMargins());
    left = right = 0;
    first->HorizontalMargins(left, right);
    EXPECT_EQ(first->BarSize(), 40);
    EXPECT_EQ(left, 40);

    // With 70 percent of a 73-pixel slot the bar is round(51.1) = 51, made even: 52.
    second->SetActive(false);
    first->SetSideMargins(true);
    first->SetBarWidthPercent(70);
    LayoutBars({100, 50, 903, 450});
    EXPECT_EQ(first->BarSize(), 52);
    EXPECT_EQ(first->PointScreenX(3), first->XToScreen(3) - 26);
}

TEST_F(BarSeriesTest, CustomWidthAndOffset) {
    TBarSeries* s = Bars({10, 20});
    s->SetCustomBarWidth(5);
    LayoutBars();
    // A lone side-by-side bar sits on its point: round(-2.5) = -2.
    EXPECT_EQ(s->PointScreenX(1), s->XToScreen(1) - 2);
    Draw(*s);
    EXPECT_EQ(Calls("Rectangle").back(), Call("Rectangle", {106, 170, 111, 250}));
    s->SetOffsetPercent(-100);
    EXPECT_EQ(s->PointScreenX(1), s->XToScreen(1) - 7);
}

TEST_F(BarSeriesTest, AFlatBarIsALineInItsColourThenItsRectangle) {
    TBarSeries* s = Bars({0});
    s->SetCustomBarWidth(10);
    s->BarPen().SetColor(clBlue);
    LayoutBars();
    Draw(*s);
    std::vector<Call> drawn;
    for (const Call& c : dev.Calls())
        if (c.op == "MoveTo" || c.op == "LineTo" || c.op == "Rectangle") drawn.push_back(c);
    EXPECT_EQ(drawn, (std::vector<Call>{Call("MoveTo", {95, 250}), Call("LineTo", {105, 250}),
                                        Call("Rectangle", {95, 250, 105, 250})}));
    EXPECT_EQ(dev.CurrentPen().color, clRed);

    // Narrower than its pen: an outline in the bar's colour without a fill.
    TBarSeries* thin = Bars({10});
    thin->BarPen().SetWidth(3);
    thin->SetCustomBarWidth(2);
    LayoutBars();
    Draw(*thin);
    EXPECT_EQ(dev.CurrentPen().color, clRed);
    EXPECT_EQ(dev.CurrentBrush().style, bsClear);
}

TEST_F(BarSeriesTest, StacksLeaveNegativeValuesOutOfTheOrigin) {
    TBarSeries* a = Bars({30, 0});
    TBarSeries* b = Bars({-10, -5});
    TBarSeries* c = Bars({5, 0});
    a->SetMultiBar(mbStacked);
    LayoutBars();
    // 4 pixels a unit from 0 at y 250.
    EXPECT_EQ(b->OriginPosition(0), 130);
    EXPECT_EQ(b->PointScreenY(0), 170);
    EXPECT_EQ(c->OriginPosition(0), 130);
    EXPECT_EQ(c->PointScreenY(0), 110);
    EXPECT_EQ(c->HighestY(), 35);

    // 100 %: an index whose values are all 0 or negative puts both ends at pixel 0.
    a->SetMultiBar(mbStacked100);
    EXPECT_EQ(b->HighestY(), 100);
    EXPECT_EQ(b->LowestY(), 0);
    for (TBarSeries* s : {a, b, c}) {
        EXPECT_EQ(s->PointScreenY(1), 0);
        EXPECT_EQ(s->OriginPosition(1), 0);
    }
    EXPECT_EQ(a->PointScreenY(0), a->YToScreen(30 * 100 / 35.0));
    Draw(*a);
    EXPECT_EQ(Calls("Rectangle").back(),
              Call("Rectangle", {a->PointScreenX(1), 0, a->PointScreenX(1) + a->BarSize(), 0}));
}

TEST_F(BarSeriesTest, FarValuesReachPastThePlotAndNonNumbersDrawNothing) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    TBarSeries* s = Bars({NaN, std::numeric_limits<double>::infinity(), 1e300, -1e300, 5});
    s->AppendNull();
    s->SetCustomBarWidth(4);
    LayoutBars();
    Draw(*s);
    const auto bars = Calls("Rectangle");
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].args[1], -MaxValuePixel); // upwards past the top
    EXPECT_EQ(bars[1].args[1], MaxValuePixel);
    EXPECT_EQ(bars[2].args[1], 230);
    EXPECT_EQ(s->HitTest(s->PointScreenX(2) + 1, 100), 2);
}

TEST_F(BarSeriesTest, MultiBarSwitchesTheSeriesOfItsKindOnly) {
    TBarSeries* a = Bars({1});
    TBarSeries* b = Bars({2});
    auto* h = Bars<THorizBarSeries>({3});
    a->SetMultiBar(mbStacked);
    EXPECT_EQ(b->MultiBar(), mbStacked);
    EXPECT_EQ(h->MultiBar(), mbSide);
    EXPECT_EQ(a->SideBySideCount(), 1);
    b->SetMultiBar(mbSide);
    EXPECT_EQ(a->MultiBar(), mbSide);
    EXPECT_EQ(a->SideBySideCount(), 2);
    EXPECT_EQ(b->SideBySideIndex(), 2);
    EXPECT_EQ(h->SideBySideIndex(), 1);
}

TEST_F(BarSeriesTest, ClicksHitTheBarUpToItsRightEdge) {
    TBarSeries* s = Bars({});
    s->AppendPoint(0, 20);
    s->AppendPoint(10, 30);
    s->SetCustomBarWidth(10);
    LayoutBars();
    const int x0 = s->PointScreenX(1);
    EXPECT_EQ(s->HitTest(x0 + 10, 200), 1);
    EXPECT_EQ(s->HitTest(x0 + 11, 200), -1);
    EXPECT_EQ(s->HitTest(x0, 250), 1);
    EXPECT_EQ(s->HitTest(x0, 129), -1); // above the value end (y 130)
    // A pyramid is hit inside its triangle only.
    s->SetBarStyle(bsPyramid);
    EXPECT_EQ(s->HitTest(x0 + 5, 135), 1);
    EXPECT_EQ(s->HitTest(x0 + 1, 135), -1);
    s->SetBarStyle(bsEllipse);
    EXPECT_EQ(s->HitTest(x0 + 5, 190), 1);
    EXPECT_EQ(s->HitTest(x0, 131), -1);
}

TEST_F(BarSeriesTest, BarShapesIn2D) {
    TBarSeries* s = Bars({20});
    s->SetCustomBarWidth(10);
    LayoutBars();
    // The bar spans x 95..105 and y 170 (value) to 250 (origin).
    s->SetBarStyle(bsPyramid);
    Draw(*s);
    EXPECT_EQ(Calls("Polygon"), std::vector<Call>{Call("Polygon", {95, 250, 100, 170, 105, 250})});
    s->SetBarStyle(bsInvPyramid);
    Draw(*s);
    EXPECT_EQ(Calls("Polygon"), std::vector<Call>{Call("Polygon", {95, 170, 100, 250, 105, 170})});
    s->SetBarStyle(bsEllipse);
    Draw(*s);
    EXPECT_EQ(Calls("Ellipse"), std::vector<Call>{Call("Ellipse", {95, 170, 105, 250})});
    s->SetBarStyle(bsArrow);
    Draw(*s);
    ASSERT_EQ(dev.CountOf("Polygon"), 1);
    EXPECT_EQ(Calls("Polygon")[0].args[8], 100); // the tip, at the top
    EXPECT_EQ(Calls("Polygon")[0].args[9], 170);

    // The gradient starts in the bar's colour at the bottom and ends white at the top, then
    // the outline is drawn with a clear brush.
    s->SetSeriesColor(clBlue);
    s->SetBarStyle(bsRectGradient);
    Draw(*s);
    const auto brushes = Calls("SetBrush");
    ASSERT_GE(brushes.size(), 2u);
    EXPECT_EQ(brushes[0].args[0], int(clBlue));
    EXPECT_EQ(brushes.back().args[1], int(bsClear));
    EXPECT_EQ(Calls("Rectangle"), std::vector<Call>{Call("Rectangle", {95, 170, 105, 250})});
    int whiteBands = 0;
    for (const Call& c : brushes) whiteBands += c.args[0] == int(clWhite);
    EXPECT_EQ(whiteBands, 1);

    // OnGetBarStyle decides per point.
    s->OnGetBarStyle = [](TCustomBarSeries*, int, TBarStyle& style) { style = bsPyramid; };
    Draw(*s);
    EXPECT_EQ(dev.CountOf("Polygon"), 1);
}

TEST_F(BarSeriesTest, HorizontalBarsStandAlongTheVerticalAxis) {
    auto* first = Bars<THorizBarSeries>({20});
    auto* second = Bars<THorizBarSeries>({-10}, clBlue);
    first->SetCustomBarHeight(10);
    second->SetCustomBarHeight(10);
    LayoutBars({100, 50, 900, 450}, -50, 50);
    // Place y 0 is pixel 250; the first series lies below it, the second above.
    EXPECT_EQ(first->PointScreenY(0), 250);
    EXPECT_EQ(second->PointScreenY(0), 240);
    Draw(*first);
    EXPECT_EQ(Calls("Rectangle"), std::vector<Call>{Call("Rectangle", {500, 250, 660, 260})});
    Draw(*second);
    EXPECT_EQ(Calls("Rectangle"), std::vector<Call>{Call("Rectangle", {500, 240, 420, 250})});
    first->UpdateVisibleRange();
    EXPECT_EQ(first->HitTest(660, 255), 0);
    EXPECT_EQ(first->HitTest(661, 255), -1);
}

TEST_F(BarSeriesTest, MarksAskForRoomBeyondTheValueEnd) {
    TBarSeries* s = Bars({10, 20});
    s->Marks().SetVisible(true);
    Layout();
    int top = 0, bottom = 0;
    s->VerticalMargins(top, bottom);
    // Font height 12 (size 8), arrow 20, a frame of width 1 on both sides, and one more.
    EXPECT_EQ(top, 35);
    EXPECT_EQ(bottom, 0);
    s->AppendValue(-5);
    top = bottom = 0;
    s->VerticalMargins(top, bottom);
    EXPECT_EQ(bottom, 35);
}

TEST(BarSeriesSettings, OutOfRangePercentagesAreRefused) {
    TBarSeries s;
    s.SetBarWidthPercent(80);
    s.SetOffsetPercent(10);
    for (int bad : {0, 101})
        EXPECT_EQ(MessageOf<BarException>([&] { s.SetBarWidthPercent(bad); }),
                  "Bar Width Percent must be between 1 and 100");
    for (int bad : {-101, 101})
        EXPECT_EQ(MessageOf<BarException>([&] { s.SetOffsetPercent(bad); }),
                  "Bar Offset Percent must be between -100% and 100%");
    EXPECT_EQ(s.BarWidthPercent(), 80);
    EXPECT_EQ(s.OffsetPercent(), 10);
}

TEST(BarSeriesSettings, CopyTakesTheBarSettingsButNotAutoBarSize) {
    TBarSeries from, to;
    from.SetBarWidthPercent(55);
    from.SetMultiBar(mbStacked);
    from.SetCustomBarWidth(7);
    from.SetYOrigin(3);
    from.SetAutoBarSize(true);
    from.BarPen().SetWidth(2);
    to.Assign(from);
    EXPECT_EQ(to.BarWidthPercent(), 55);
    EXPECT_EQ(to.MultiBar(), mbStacked);
    EXPECT_EQ(to.CustomBarWidth(), 7);
    EXPECT_EQ(to.YOrigin(), 3);
    EXPECT_EQ(to.BarPen().Width(), 2);
    EXPECT_FALSE(to.AutoBarSize());
    EXPECT_EQ(to.YValues().Name(), "Bar");
    EXPECT_EQ(THorizBarSeries().XValues().Name(), "Bar");
}

TEST(BarSeriesSettings, HorizontalSamplesStandOneAtEachPlace) {
    THorizBarSeries h;
    h.FillSampleValues(h.SampleCount());
    ASSERT_EQ(h.PointCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(h.PointY(i), i);
        EXPECT_GE(h.PointX(i), 0);
    }
}
