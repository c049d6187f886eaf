#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kiv;

TEST(SeriesAppend, BeforeAddCanRefuseAndAfterAddSeesTheIndex) {
    TChartSeries s;
    s.OnBeforeAdd = [](TChartSeries* sender) { return sender->XValues().PendingValue < 10; };
    std::vector<int> added;
    s.OnAfterAdd = [&](TChartSeries*, int index) { added.push_back(index); };
    EXPECT_EQ(s.AppendPoint(5, 1), 0);
    EXPECT_EQ(s.AppendPoint(20, 2), -1);
    EXPECT_EQ(s.AppendPoint(1, 3), 0);
    EXPECT_EQ(s.PointCount(), 2);
    EXPECT_EQ(s.PointColorCount(), 2);
    EXPECT_EQ(added, (std::vector<int>{0, 0}));
}

TEST(SeriesAppend, ValuesNullsAndLabels) {
    TChartSeries s;
    for (int i = 0; i < 3; ++i) s.AppendValue(i * 2.0);
    EXPECT_EQ(s.AppendValue(5, "five"), 3);
    EXPECT_EQ(s.PointX(3), 3);
    EXPECT_EQ(s.PointY(3), 5);
    EXPECT_EQ(s.PointLabel(3), "five");
    EXPECT_EQ(s.PointLabel(99), "");
    const int n = s.AppendNull("gap");
    EXPECT_EQ(s.PointY(n), 0);
    EXPECT_TRUE(s.IsNullPoint(n));
    EXPECT_FALSE(s.IsNullPoint(0));
    EXPECT_EQ(s.AppendNullPoint(2.5, 7), 3);
    EXPECT_TRUE(s.IsNullPoint(3));
    EXPECT_EQ(s.PointLabel(4), "five"); // moved up with its point
}

TEST(SeriesColours, AutoNoColorPaletteAndColorEachPoint) {
    TestPanel chart;
    TChartSeries* a = NewSeries(&chart);
    TChartSeries* b = NewSeries(&chart);
    EXPECT_EQ(a->SeriesColor(), clRed); // first free palette entries
    EXPECT_EQ(b->SeriesColor(), clGreen);
    a->AppendPoint(0, 1);
    a->AppendPoint(1, 1, "", clBlue);
    EXPECT_EQ(a->PointColor(0), clRed);
    EXPECT_EQ(a->PointColor(1), clBlue);
    EXPECT_EQ(a->PointColor(7), clRed); // beyond the colour list: the series colour
    a->SetColorEachPoint(true);
    EXPECT_EQ(a->PointColor(0), ColorPalette[0]);
    a->AppendPoint(2, 1);
    EXPECT_EQ(a->PointColor(2), ColorPalette[2]);
    // switching it off gives every point back to the series colour
    a->SetColorEachPoint(false);
    EXPECT_EQ(a->PointColor(1), clRed);
    // a taken colour and the background are not free
    chart.SetColor(clYellow);
    EXPECT_EQ(chart.FreeSeriesColor(true), clBlue);
    EXPECT_EQ(chart.FreeSeriesColor(false), clYellow);
}

TEST(SeriesClear, NotifiesDependentsAndRepaintsOnlyWhenAttached) {
    TChartSeries alone;
    int cleared = 0;
    alone.OnClearValues = [&](TChartSeries*) { ++cleared; };
    alone.AppendPoint(1, 1);
    alone.ClearPoints();
    EXPECT_EQ(alone.PointCount(), 0);
    EXPECT_EQ(cleared, 1);

    TestPanel chart;
    TChartSeries* s = NewSeries(&chart);
    s->AppendPoint(1, 2, "x");
    EXPECT_EQ(chart.RequestsAfter([&] { s->ClearPoints(); }), 1);
    EXPECT_EQ(s->PointLabelCount(), 0);
    s->SetActive(false);
    EXPECT_EQ(chart.RequestsAfter([&] { s->ClearPoints(); }), 0);
    EXPECT_EQ(chart.RequestsAfter([&] { s->AppendPoint(1, 1); }), 0);
}

TEST(SeriesVisibleRange, EdgesOfTheBottomAxis) {
    TestPanel chart;
    TChartSeries* s = NewSeries(&chart);
    for (int x = 0; x < 10; ++x) s->AppendPoint(x, x);
    chart.SetChartRect({0, 0, 100, 100});
    TChartAxis& bottom = chart.BottomAxis();
    auto range = [&](double min, double max) {
        bottom.SetRange(min, max);
        bottom.RefreshRange();
        bottom.PlaceOnChart();
        s->UpdateVisibleRange();
        return std::pair(s->FirstVisible(), s->LastVisible());
    };
    EXPECT_EQ(range(2.5, 6.5), std::pair(3, 6));
    EXPECT_EQ(range(2, 6), std::pair(2, 6));
    EXPECT_EQ(range(-5, 100), std::pair(0, 9));
    EXPECT_EQ(range(20, 30), std::pair(-1, -1)); // all points before the range
    EXPECT_EQ(range(-10, -5), std::pair(0, -1)); // all after: nothing to draw
    s->XValues().SetOrder(loNone);
    EXPECT_EQ(range(20, 30), std::pair(0, 9)); // unordered: everything
    TChartSeries empty;
    empty.UpdateVisibleRange();
    EXPECT_EQ(empty.FirstVisible(), -1);
}

TEST(SeriesTexts, MarkPercentAndLegendTexts) {
    TChartSeries s;
    s.AppendPoint(0, 25, "apples");
    s.AppendPoint(1, -75);
    EXPECT_EQ(s.PercentText(0, false), "25 %");
    EXPECT_EQ(s.PercentText(1, true), "75 % of 100");
    s.Marks().SetStyle(smsLabelValue);
    EXPECT_EQ(s.MarkText(0), "apples 25");
    EXPECT_EQ(s.MarkText(1), "-75 -75");
    s.Marks().SetStyle(smsLabelPercentTotal);
    EXPECT_EQ(s.MarkText(0), "apples 25 % of 100");
    s.Marks().SetStyle(smsXValue);
    EXPECT_EQ(s.MarkText(1), "1");
    s.Marks().SetStyle(smsLegend);
    EXPECT_EQ(s.MarkText(0), "");
    s.OnGetMarkText = [](TChartSeries*, int i, std::string& t) { t = "#" + std::to_string(i); };
    EXPECT_EQ(s.MarkText(1), "#1");
    EXPECT_EQ(s.LegendItemText(0, ltsPlain), "apples");
    EXPECT_EQ(s.LegendItemText(0, ltsLeftValue), "25 apples");
    EXPECT_EQ(s.LegendItemText(0, ltsRightPercent), "apples 25 %");
    EXPECT_EQ(s.LegendItemText(1, ltsLeftPercent), "-75 % "); // signed in the legend
    TChartSeries zero;
    zero.AppendValue(0);
    EXPECT_EQ(zero.PercentText(0, false), "100 %");
}

TEST(SeriesChart, AttachDetachAxesAndDestruction) {
    TestPanel chart;
    TChartSeries* s = NewSeries();
    EXPECT_EQ(s->ActiveHorizAxis(), nullptr);
    s->SetParentChart(&chart);
    EXPECT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(s->ActiveHorizAxis(), &chart.BottomAxis());
    s->SetHorizAxis(aTopAxis);
    s->SetVertAxis(aRightAxis);
    EXPECT_EQ(s->ActiveHorizAxis(), &chart.TopAxis());
    EXPECT_EQ(s->ActiveVertAxis(), &chart.RightAxis());
    EXPECT_FALSE(s->IsOnAxis(&chart.BottomAxis()));
    s->SetHorizAxis(aBothHorizAxis);
    EXPECT_TRUE(s->IsOnAxis(&chart.TopAxis()));
    EXPECT_TRUE(s->IsOnAxis(&chart.BottomAxis()));
    chart.RemoveSeries(s);
    EXPECT_EQ(chart.SeriesCount(), 0);
    EXPECT_EQ(s->ActiveHorizAxis(), nullptr);
    delete s;
    // series still attached are freed with the chart
    auto chart2 = std::make_unique<TestPanel>();
    NewSeries(chart2.get())->AppendPoint(1, 1);
    NewSeries(chart2.get());
    chart2.reset();
}

TEST(SeriesChart, StackedOriginAndCopy) {
    TestPanel chart;
    TChartSeries* a = NewSeries(&chart);
    TChartSeries* b = NewSeries(&chart);
    TChartSeries* c = NewSeries(&chart);
    a->AppendValue(3);
    b->AppendValue(-2);
    c->AppendValue(4);
    EXPECT_EQ(c->StackedOrigin(0, false), 3); // a only; b is negative
    EXPECT_EQ(a->StackedOrigin(0, true), 7);
    EXPECT_EQ(a->StackedOrigin(1, true), 0);

    TChartSeries copy;
    a->SetTitle("first");
    a->AppendPoint(-1, 8, "low", clAqua);
    a->XValues().SetDateTime(true);
    copy.Assign(*a); // points with their labels and colours, settings and value lists
    EXPECT_EQ(copy.PointCount(), 2);
    EXPECT_EQ(copy.PointLabel(0), "low");
    EXPECT_EQ(copy.PointColor(0), clAqua);
    EXPECT_EQ(copy.Title(), "first");
    EXPECT_EQ(copy.SeriesColor(), a->SeriesColor());
    EXPECT_TRUE(copy.XValues().DateTime());
}

TEST(SeriesChart, ValueListByNameAndNonFiniteValues) {
    TChartSeries s;
    EXPECT_EQ(&s.ValueListByName("x"), &s.YValues()); // only extra lists are searched
    const double inf = std::numeric_limits<double>::infinity();
    s.AppendPoint(1, inf);
    s.AppendPoint(std::numeric_limits<double>::quiet_NaN(), 2);
    s.AppendPoint(0, -inf);
    // a NaN stops the backward scan like any value that is not greater
    EXPECT_EQ(s.PointCount(), 3);
    EXPECT_EQ(s.PointX(2), 0);
    EXPECT_EQ(s.HighestY(), inf);
    EXPECT_EQ(s.LowestY(), -inf);
    s.Marks().SetStyle(smsValue);
    EXPECT_EQ(s.MarkText(0), "INF");
    EXPECT_EQ(s.MarkText(2), "-INF");
}

// Only some points have a label or a colour, so their lists end before the points do.
TEST(SeriesAppend, DeleteAndSwapKeepLabelsColoursAndMarksWithTheirPoints) {
    TChartSeries s;
    s.AppendPoint(1, 0);
    s.AppendPoint(2, 0);
    EXPECT_EQ(s.PointLabelCount(), 0); // unlabelled points need no entries
    s.AppendPoint(0, 0, "zero", clRed);
    s.AppendPoint(5, 0, "five", clLime);
    s.AppendPoint(1.5, 0);
    const char* expected[] = {"zero", "", "", "", "five"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.PointLabel(i), expected[i]) << i;
    // marks placed at every point; the deleted point's mark goes with it
    TSeriesMarksPositions& marks = s.Marks().Positions();
    for (int i = 0; i < 5; ++i) marks.Place(i).BoxWidth = 100 + i;
    s.DeletePoint(0);
    EXPECT_EQ(s.PointLabel(3), "five");
    EXPECT_EQ(s.PointColor(3), clLime);
    ASSERT_EQ(marks.Count(), 4);
    EXPECT_EQ(marks.Position(0)->BoxWidth, 101);
    EXPECT_EQ(marks.Position(3)->BoxWidth, 104);
    s.SwapPoints(3, 0);
    EXPECT_EQ(s.PointX(0), 5);
    EXPECT_EQ(s.PointLabel(0), "five");
    EXPECT_EQ(s.PointColor(0), clLime);
    EXPECT_EQ(s.PointLabel(3), "");
    EXPECT_THROW(s.DeletePoint(4), rtl::EListError);
    EXPECT_THROW(s.SetPointColor(-1, clRed), rtl::EListError);
    EXPECT_EQ(s.PointCount(), 4);

    // a swap with a point beyond the end of the label list trades the label all the same
    TChartSeries t;
    t.AppendPoint(1, 0, "one");
    t.AppendPoint(2, 0);
    t.AppendPoint(3, 0);
    ASSERT_EQ(t.PointLabelCount(), 1);
    t.SwapPoints(2, 0);
    EXPECT_EQ(t.PointX(2), 1);
    EXPECT_EQ(t.PointLabel(2), "one");
    EXPECT_EQ(t.PointLabel(0), "");
    EXPECT_EQ(t.PointLabel(1), "");
}

TEST(SeriesDrawing, VisiblePointsOrderDepthOrderAndClicks) {
    struct Recorder : TChartSeries {
        bool forward = true;
        std::vector<int> drawn;
        void DrawPoint(int index) override { drawn.push_back(index); }
        bool DrawsForward() const override { return forward; }
    };
    TestPanel chart;
    auto* r = new Recorder;
    r->SetParentChart(&chart);
    for (int i = 0; i < 4; ++i) r->AppendPoint(i, i);
    chart.SetChartRect({0, 0, 100, 100});
    chart.BottomAxis().SetRange(-1, 10);
    chart.BottomAxis().RefreshRange();
    chart.BottomAxis().PlaceOnChart();
    r->UpdateVisibleRange();
    r->DrawVisiblePoints();
    r->forward = false;
    r->DrawVisiblePoints();
    EXPECT_EQ(r->drawn, (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0}));

    // depth: automatic orders count up in 3D, stay 0 in 2D; equal orders are shared
    TChartSeries* other = NewSeries(&chart);
    chart.SetMaxZOrder(-1);
    r->AssignZOrder();
    other->AssignZOrder();
    EXPECT_EQ(r->EffectiveZOrder(), 0);
    EXPECT_EQ(other->EffectiveZOrder(), 1);
    EXPECT_FALSE(r->SharesZOrder());
    other->SetDepthOrder(0);
    EXPECT_TRUE(r->SharesZOrder());
    chart.SetView3D(false);
    r->AssignZOrder();
    EXPECT_EQ(r->AutoDepthOrder(), 0);

    // clicks: a double click goes to OnDblClick when there is one, else to OnClick
    std::vector<std::string> events;
    EXPECT_FALSE(r->MouseClicked(mbLeft, 0, 5, 5, false));
    r->OnClick = [&](TChartSeries*, int, TMouseButton, TShiftState, int, int) {
        events.push_back("click");
    };
    EXPECT_TRUE(r->MouseClicked(mbLeft, 0, 5, 5, true));
    r->OnDblClick = [&](TChartSeries*, int, TMouseButton, TShiftState, int, int) {
        events.push_back("double");
    };
    EXPECT_TRUE(r->MouseClicked(mbLeft, 0, 5, 5, true));
    EXPECT_EQ(events, (std::vector<std::string>{"click", "double"}));
}
