#include "SeriesTestSupport.h"

#include <cmath>
#include <limits>

using namespace kiv;
using raster::Call;

namespace {

struct LineSeriesDrawing : SeriesFixture {
    TLineSeries* Line(std::initializer_list<std::pair<double, double>> points,
                      bool pointers = false) {
        auto* s = Add<TLineSeries>(clRed);
        s->Pointer().SetVisible(pointers);
        s->Pointer().SetHorizSize(2);
        s->Pointer().SetVertSize(2);
        for (auto [x, y] : points) s->AppendPoint(x, y);
        return s;
    }
    // The lines drawn, as (from x, from y, to x, to y), following MoveTo and LineTo.
    std::vector<std::array<int, 4>> Segments() const {
        std::vector<std::array<int, 4>> out;
        int cx = 0, cy = 0;
        for (const Call& c : dev.Calls()) {
            if (c.op == "MoveTo") {
                cx = c.args[0];
                cy = c.args[1];
            } else if (c.op == "LineTo") {
                out.push_back({cx, cy, c.args[0], c.args[1]});
                cx = c.args[0];
                cy = c.args[1];
            }
        }
        return out;
    }
    using Segment = std::array<int, 4>;
};

} // namespace

TEST_F(LineSeriesDrawing, LineTakesThePointColourAndTheLinePensWidth) {
    TLineSeries* s = Line({{0, 50}, {10, 50}, {20, 60}});
    s->LinePen().SetColor(clGreen);
    s->LinePen().SetWidth(3);
    Layout();
    Draw(*s);
    EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 250, 180, 250}, {180, 250, 260, 210}}));
    EXPECT_EQ(dev.CurrentPen().color, clRed);
    EXPECT_EQ(dev.CurrentPen().width, 3);
    EXPECT_EQ(dev.CountOf("Rectangle"), 0); // pointers are hidden on a new line series
}

TEST_F(LineSeriesDrawing, NullPointsBreakTheLineAndShowNoPointer) {
    TLineSeries* s = Line({{0, 50}}, true);
    s->AppendNullPoint(10, 0);
    s->AppendPoint(20, 50);
    s->AppendPoint(30, 60);
    Layout();
    Draw(*s);
    // The first point stands alone: its pointer only, filled in its colour, outlined in black.
    // Half sizes 2 at (100, 250): x 98..102 and y 248..252, right and bottom edges excluded.
    EXPECT_EQ(Segments(), (std::vector<Segment>{{260, 250, 340, 210}}));
    EXPECT_EQ(dev.CurrentBrush().color, clRed);
    EXPECT_EQ(dev.CurrentPen().color, clBlack);
    EXPECT_EQ(Calls("Rectangle"), (std::vector<Call>{Call("Rectangle", {98, 248, 103, 253}),
                                                     Call("Rectangle", {258, 248, 263, 253}),
                                                     Call("Rectangle", {338, 208, 343, 213})}));
}

TEST_F(LineSeriesDrawing, PointersLieOnTopOfBothTheirSegments) {
    TLineSeries* s = Line({{0, 50}, {10, 60}, {20, 50}}, true);
    Layout();
    Draw(*s);
    std::vector<std::string> order;
    for (const Call& c : dev.Calls())
        if (c.op == "LineTo" || c.op == "Rectangle") order.push_back(c.op);
    EXPECT_EQ(order, (std::vector<std::string>{"LineTo", "Rectangle", "LineTo", "Rectangle",
                                               "Rectangle"}));
}

TEST_F(LineSeriesDrawing, LeadInEntersAtThePlotEdgeAtTheInterpolatedHeight) {
    TLineSeries* s = Line({{0, 0}, {10, 20}, {20, 10}, {30, 30}, {40, 70}, {50, 60}});
    // Scrolled so that the fifth point (x 40) is the first visible: at x 35 the line between
    // the fourth and fifth points is at 50.
    Layout(35, 135);
    Draw(*s);
    EXPECT_EQ(s->FirstVisible(), 4);
    EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 250, 140, 170}, {140, 170, 220, 210}}));

    // A single visible point with a predecessor gets the lead-in and its pointer.
    s->Pointer().SetVisible(true);
    Layout(45, 145);
    Draw(*s);
    EXPECT_EQ(s->FirstVisible(), 5);
    EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 190, 140, 210}}));
    EXPECT_EQ(Calls("Rectangle"), std::vector<Call>{Call("Rectangle", {138, 208, 143, 213})});

    // Stairs enter at the predecessor's height; a null predecessor gives no lead-in.
    s->Pointer().SetVisible(false);
    s->SetStairs(true);
    Layout(35, 135);
    Draw(*s);
    EXPECT_EQ(Segments().front(), (Segment{100, 330, 140, 330}));
    s->SetPointColor(3, NoColor);
    Draw(*s);
    EXPECT_EQ(Segments().front(), (Segment{140, 170, 220, 170}));
}

TEST_F(LineSeriesDrawing, StairsStepAcrossThenUpOrUpThenAcross) {
    TLineSeries* s = Line({{0, 50}, {10, 60}, {20, 40}});
    s->SetStairs(true);
    Layout();
    Draw(*s);
    EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 250, 180, 250},
                                                {180, 250, 180, 210},
                                                {180, 210, 260, 210},
                                                {260, 210, 260, 290}}));
    s->SetInvertedStairs(true);
    Draw(*s);
    EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 250, 100, 210},
                                                {100, 210, 180, 210},
                                                {180, 210, 180, 290},
                                                {180, 290, 260, 290}}));
    // Thick stairs keep their width clear of the axis ends.
    s->LinePen().SetWidth(3);
    int a = 0, b = 0;
    s->HorizontalMargins(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 3);
    s->VerticalMargins(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 4);
}

TEST_F(LineSeriesDrawing, PointsBeyondThePixelRangeOrNotFiniteAreSkipped) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {1e12, -1e12, NaN, std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        TLineSeries* s = Line({{0, 50}, {10, bad}, {20, 50}}, true);
        Layout();
        Draw(*s);
        // The line joins the drawn points; each drawn point keeps its own pointer.
        EXPECT_EQ(Segments(), (std::vector<Segment>{{100, 250, 260, 250}}));
        EXPECT_EQ(Calls("Rectangle"), (std::vector<Call>{Call("Rectangle", {98, 248, 103, 253}),
                                                         Call("Rectangle", {258, 248, 263, 253})}));
        // The last point out of range: the pointer owed to the one before is still drawn.
        s->DeletePoint(2);
        Draw(*s);
        EXPECT_EQ(Calls("Rectangle"), std::vector<Call>{Call("Rectangle", {98, 248, 103, 253})});
        delete s;
    }
}

TEST_F(LineSeriesDrawing, PointerShapes) {
    struct Case {
        TSeriesPointerStyle style;
        std::vector<Call> calls;
    };
    // At (100, 250) with half sizes 2.
    const std::vector<Case> cases = {
        {psRectangle, {Call("Rectangle", {98, 248, 103, 253})}},
        {psCircle, {Call("Ellipse", {98, 248, 102, 252})}},
        {psTriangle, {Call("Polygon", {98, 252, 102, 252, 100, 248})}},
        {psDownTriangle, {Call("Polygon", {98, 248, 102, 248, 100, 252})}},
        {psCross,
         {Call("MoveTo", {100, 248}), Call("LineTo", {100, 253}), Call("MoveTo", {98, 250}),
          Call("LineTo", {103, 250})}},
        {psDiagCross,
         {Call("MoveTo", {98, 248}), Call("LineTo", {103, 253}), Call("MoveTo", {102, 248}),
          Call("LineTo", {97, 253})}},
        {psDiamond, {Call("Polygon", {98, 250, 100, 248, 102, 250, 100, 252})}},
        {psSmallDot, {Call("SetPixel", {100, 250, int(clRed)})}},
    };
    TLineSeries* s = Line({{0, 50}}, true);
    Layout();
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.style));
        s->Pointer().SetStyle(c.style);
        Draw(*s);
        std::vector<Call> shapes;
        for (const Call& call : dev.Calls())
            if (call.op.rfind("Set", 0) != 0 || call.op == "SetPixel") shapes.push_back(call);
        EXPECT_EQ(shapes, c.calls);
    }
    // The star is the cross and the diagonal cross; OnGetPointerStyle decides per point.
    s->OnGetPointerStyle = [](TCustomSeries*, int) { return psStar; };
    Draw(*s);
    EXPECT_EQ(dev.CountOf("LineTo"), 4);
}

TEST_F(LineSeriesDrawing, AreaFillsDownToTheAxisEnd) {
    auto* s = Add<TAreaSeries>(clBlue);
    for (auto [x, y] : {std::pair{0.0, 50.0}, {10, 60}, {20, 40}}) s->AppendPoint(x, y);
    Layout();
    Draw(*s);
    EXPECT_EQ(Calls("Polygon"),
              (std::vector<Call>{Call("Polygon", {100, 250, 180, 210, 180, 450, 100, 450}),
                                 Call("Polygon", {180, 210, 260, 290, 260, 450, 180, 450})}));
    EXPECT_EQ(dev.CurrentBrush().color, clBlue);
    EXPECT_EQ(dev.CountOf("LineTo"), 0);

    // Stairs fill a rectangle per step, one pixel wider to close the gap to the next.
    s->SetStairs(true);
    Draw(*s);
    EXPECT_EQ(Calls("Rectangle"), (std::vector<Call>{Call("Rectangle", {100, 250, 181, 450}),
                                                     Call("Rectangle", {180, 210, 261, 450})}));

    // A scrolled area starts at the point before the visible range.
    s->SetStairs(false);
    Layout(5, 105);
    Draw(*s);
    EXPECT_EQ(Calls("Polygon").front(), Call("Polygon", {60, 250, 140, 210, 140, 450, 60, 450}));
}

TEST_F(LineSeriesDrawing, StackedAreasStandOnTheAreasBeforeThem) {
    auto* lower = Add<TAreaSeries>(clBlue);
    auto* upper = Add<TAreaSeries>(clRed);
    for (auto [x, y] : {std::pair{0.0, 20.0}, {10, 30}}) lower->AppendPoint(x, y);
    for (auto [x, y] : {std::pair{0.0, 10.0}, {10, 10}}) upper->AppendPoint(x, y);
    upper->SetMultiArea(maStacked);
    EXPECT_EQ(lower->MultiArea(), maStacked);
    EXPECT_EQ(upper->HighestY(), 40);
    Layout();
    Draw(*upper);
    EXPECT_EQ(Calls("Polygon"),
              std::vector<Call>{Call("Polygon", {100, 330, 180, 290, 180, 330, 100, 370})});

    upper->SetMultiArea(maStacked100);
    EXPECT_EQ(upper->HighestY(), 100);
    EXPECT_EQ(upper->LowestY(), 0);
    Draw(*upper);
    // Point 0: 20 of 30 below, up to 100 %; point 1: 30 of 40.
    EXPECT_EQ(Calls("Polygon"),
              std::vector<Call>{Call("Polygon", {100, 50, 180, 50, 180, 150, 100, 183})});
}

TEST(SeriesPointer, SizesBelowOneAreRefused) {
    TLineSeries s;
    s.Pointer().SetHorizSize(3);
    EXPECT_EQ(MessageOf<ChartException>([&] { s.Pointer().SetHorizSize(0); }),
              "Pointer size must be greater than zero");
    EXPECT_EQ(MessageOf<ChartException>([&] { s.Pointer().SetVertSize(-1); }),
              "Pointer size must be greater than zero");
    EXPECT_EQ(s.Pointer().HorizSize(), 3);
    EXPECT_EQ(s.Pointer().VertSize(), 4);
}

TEST_F(LineSeriesDrawing, VisiblePointersKeepClearOfTheAxisEnds) {
    TLineSeries* s = Line({{0, 50}}, true);
    int a = 0, b = 0;
    s->HorizontalMargins(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 3);
    s->Pointer().SetInflateMargins(false);
    a = b = 0;
    s->VerticalMargins(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
}

TEST_F(LineSeriesDrawing, ClicksHitPointersStrictlyAndSegmentsByTheirStartingPoint) {
    TLineSeries* s = Line({{0, 50}, {10, 50}, {20, 70}}, true);
    int clicked = -1;
    s->OnClickPointer = [&](TCustomSeries*, int index, int, int) { clicked = index; };
    Layout();
    s->UpdateVisibleRange();
    // Pointer of half size 2 at (180, 250): 1 pixel off hits, 2 pixels off does not.
    EXPECT_EQ(s->HitTest(181, 249), 1);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(s->HitTest(182, 250), -1);
    EXPECT_EQ(s->HitTest(180, 248), -1);
    s->Pointer().SetVisible(false);
    EXPECT_EQ(s->HitTest(182, 248), 1); // on the line to the last point: the segment's start
    EXPECT_EQ(s->HitTest(140, 250), 0);
    EXPECT_EQ(s->HitTest(140, 252), -1);
    EXPECT_EQ(s->HitTest(220, 210), 1);
    EXPECT_EQ(s->HitTest(220, 212), -1);
    EXPECT_EQ(s->HitTest(270, 160), -1); // beyond the end

    auto* area = Add<TAreaSeries>();
    area->AppendPoint(0, 50);
    area->AppendPoint(10, 50);
    area->UpdateVisibleRange();
    EXPECT_EQ(area->HitTest(140, 400), 0);
    EXPECT_EQ(area->HitTest(140, 460), -1);

    auto* points = Add<TPointSeries>();
    points->AppendPoint(0, 50);
    points->AppendPoint(10, 50);
    points->UpdateVisibleRange();
    EXPECT_EQ(points->HitTest(140, 250), -1); // no line to click
    EXPECT_EQ(points->HitTest(101, 251), 0);
}

TEST(LineSeriesKinds, CopiesKeepWhatEachKindIs) {
    TPointSeries points;
    TLineSeries line;
    TAreaSeries area;
    EXPECT_TRUE(points.Pointer().Visible());
    EXPECT_FALSE(line.Pointer().Visible());
    EXPECT_EQ(points.Marks().ArrowLength(), 0);
    line.Assign(points);
    EXPECT_FALSE(line.Pointer().Visible());
    EXPECT_TRUE(line.DrawsLine());
    EXPECT_FALSE(line.DrawArea());
    points.Assign(area);
    EXPECT_TRUE(points.Pointer().Visible());
    EXPECT_FALSE(points.DrawsLine());
    EXPECT_FALSE(points.DrawArea());
    area.Assign(line);
    EXPECT_TRUE(area.DrawArea());
    EXPECT_TRUE(area.DrawsLine());
}

TEST_F(LineSeriesDrawing, In3DTheLineIsABandThroughTheSeriesDepth) {
    chart.SetView3D(true);
    TLineSeries* s = Line({{0, 50}, {10, 50}, {20, 80}});
    s->SetDepthBand(0, 10);
    Layout();
    Draw(*s);
    // An orthogonal view moves a point at depth z by z right and z up.
    EXPECT_EQ(Calls("Polygon"),
              (std::vector<Call>{Call("Polygon", {100, 250, 180, 250, 190, 240, 110, 240}),
                                 Call("Polygon", {180, 250, 260, 130, 270, 120, 190, 240})}));
    // The steep rising segment faces up and is shaded.
    const auto brushes = Calls("SetBrush");
    EXPECT_EQ(brushes.back().args[0], int(RGB(191, 0, 0)));
}
