// Exact device calls of the canvas operations.
#include "CanvasFixture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace kiv;

using raster::Call;

namespace {

int Brushes(const raster::RecordingDevice& dev) {
    return dev.CountOf("SetBrush");
}

// How often each pixel of a w x h area at (left, top) was painted by a PatBlt (a negative
// height paints upwards), and the brush colour it was painted last with.
struct Coverage {
    std::vector<int> count, colour;
    int w;
    Coverage(const raster::RecordingDevice& dev, int left, int top, int width, int height)
        : count(size_t(width * height)), colour(size_t(width * height)), w(width) {
        int brush = 0;
        for (const Call& c : dev.Calls()) {
            if (c.op == "SetBrush") brush = c.args[0];
            if (c.op != "PatBlt") continue;
            int y0 = c.args[1], h = c.args[3];
            if (h < 0) y0 += h, h = -h;
            for (int y = y0; y < y0 + h; ++y)
                for (int x = c.args[0]; x < c.args[0] + c.args[2]; ++x) {
                    ++count[size_t((y - top) * w + x - left)];
                    colour[size_t((y - top) * w + x - left)] = brush;
                }
        }
    }
    int ColourAt(int x, int y) const { return colour[size_t(y * w + x)]; }
};

} // namespace

TEST_F(CanvasTest, LinearGradientUsesAtMost256BandsAndOneRowEach) {
    Begin2D();
    canvas.GradientFill({0, 0, 50, 1000}, clBlack, gdTopBottom, clWhite);
    const auto bands = Drawing("PatBlt");
    ASSERT_EQ(bands.size(), 256u);
    // Band i covers rows bottom - MulDiv(i + 1, 1000, 256) up to bottom - MulDiv(i, 1000, 256).
    EXPECT_EQ(bands[0], Call("PatBlt", {0, 1000, 50, -4}));
    EXPECT_EQ(bands[1], Call("PatBlt", {0, 996, 50, -4}));
    EXPECT_EQ(bands[255].args[1] + bands[255].args[3], 0);
    EXPECT_EQ(Brushes(dev), 256);
    // fewer rows than that: one row per band, the start colour at the bottom
    dev.Clear();
    canvas.GradientFill({5, 20, 25, 30}, RGB(0, 0, 0), gdTopBottom, RGB(90, 180, 255));
    const auto rows = Drawing("PatBlt");
    const auto brushes = Drawing("SetBrush");
    ASSERT_EQ(rows.size(), 10u);
    ASSERT_EQ(brushes.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rows[i], Call("PatBlt", {5, 30 - i, 20, -1}));
    EXPECT_EQ(brushes[0].args[0], 0);
    EXPECT_EQ(brushes[9].args[0], static_cast<int>(RGB(90, 180, 255)));
    // Band 1 of 9: MulDiv(1, 90, 9) = 10, MulDiv(1, 180, 9) = 20, MulDiv(1, 255, 9) = 28.333
    EXPECT_EQ(brushes[1].args[0], static_cast<int>(RGB(10, 20, 28)));
}

TEST_F(CanvasTest, ReversedDirectionsExchangeTheColours) {
    Begin2D();
    canvas.GradientFill({0, 0, 4, 10}, clRed, gdBottomTop, clBlue);
    const auto brushes = Drawing("SetBrush");
    EXPECT_EQ(brushes.front().args[0], static_cast<int>(clBlue));
    EXPECT_EQ(brushes.back().args[0], static_cast<int>(clRed));
    dev.Clear();
    canvas.GradientFill({0, 0, 10, 4}, clRed, gdLeftRight, clBlue);
    const auto bands = Drawing("PatBlt");
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands[0], Call("PatBlt", {10, 0, -1, 4})); // from the right edge
    EXPECT_EQ(Drawing("SetBrush").back().args[0], static_cast<int>(clBlue));
}

TEST_F(CanvasTest, GradientSelectsABrushOnlyWhenTheColourChanges) {
    Begin2D();
    canvas.GradientFill({0, 0, 10, 200}, RGB(0, 0, 0), gdTopBottom, RGB(0, 0, 3));
    EXPECT_EQ(Drawing("PatBlt").size(), 200u);
    EXPECT_EQ(Brushes(dev), 4);
    // The canvas brush returns for the next fill.
    canvas.Brush().SetColor(clLime);
    canvas.FillRectangle({0, 0, 1, 1});
    EXPECT_EQ(dev.Calls()[dev.Calls().size() - 2].args[0], static_cast<int>(clLime));
    // A single band is the start colour.
    dev.Clear();
    canvas.GradientFill({0, 0, 10, 1}, clRed, gdTopBottom, clBlue);
    ASSERT_EQ(Brushes(dev), 1);
    EXPECT_EQ(Drawing("SetBrush")[0].args[0], static_cast<int>(clRed));
}

TEST_F(CanvasTest, CentreGradientRingsCoverTheRectangle) {
    Begin2D();
    canvas.GradientFill({0, 0, 5, 3}, clBlack, gdFromCenter, clWhite);
    const Coverage cover(dev, 0, 0, 5, 3);
    for (int n : cover.count) EXPECT_GT(n, 0);
    // Outer border in the start colour (the colours were exchanged: white outside).
    EXPECT_EQ(cover.ColourAt(0, 0), static_cast<int>(clWhite));
    EXPECT_NE(cover.ColourAt(2, 1), static_cast<int>(clWhite));
}

TEST_F(CanvasTest, CornerGradientsCoverEveryPixelOnce) {
    for (TGradientDirection dir : {gdFromTopLeft, gdFromBottomLeft}) {
        Begin2D();
        canvas.GradientFill({10, 20, 17, 24}, clBlack, dir, clWhite);
        for (int n : Coverage(dev, 10, 20, 7, 4).count) EXPECT_EQ(n, 1) << dir;
    }
}

TEST_F(CanvasTest, BevelFrameDrawsNestedPolylines) {
    Begin2D();
    canvas.Pen().SetWidth(3);
    canvas.BevelFrame({10, 20, 50, 40}, clWhite, clGray, 2);
    const auto lines = Drawing("Polyline");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], Call("Polyline", {10, 39, 10, 20, 49, 20}));
    EXPECT_EQ(lines[1], Call("Polyline", {49, 20, 49, 39, 9, 39}));
    EXPECT_EQ(lines[2], Call("Polyline", {11, 38, 11, 21, 48, 21}));
    EXPECT_EQ(lines[3], Call("Polyline", {48, 21, 48, 38, 10, 38}));
    const auto pens = Drawing("SetPen");
    ASSERT_EQ(pens.size(), 4u);
    EXPECT_EQ(pens[0].args[0], static_cast<int>(clWhite));
    EXPECT_EQ(pens[0].args[1], 1);
    EXPECT_EQ(pens[1].args[0], static_cast<int>(clGray));
    // system colours are converted
    dev.Clear();
    canvas.BevelFrame({0, 0, 10, 10}, clBtnHighlight, clBtnShadow, 1);
    EXPECT_EQ(Drawing("SetPen")[0].args[0], static_cast<int>(RGB(255, 255, 255)));
    EXPECT_EQ(Drawing("SetPen")[1].args[0], static_cast<int>(RGB(128, 128, 128)));
}

// An open arrow is a shaft and two barbs; a filled one a seven-point polygon; the head is no
// longer than the arrow.
TEST_F(CanvasTest, ArrowShapes) {
    Begin2D();
    canvas.ArrowShape(false, {10, 50}, {110, 50}, 8, 20, 0);
    EXPECT_EQ(Drawing("MoveTo"),
              (std::vector<Call>{Call("MoveTo", {10, 50}), Call("MoveTo", {110, 50})}));
    EXPECT_EQ(Drawing("LineTo"),
              (std::vector<Call>{Call("LineTo", {110, 50}), Call("LineTo", {90, 54}),
                                 Call("LineTo", {90, 46})}));
    // pointing up: the shaft is head width / 2 = 6 wide, the barbs 12 apart
    canvas.ArrowShape(true, {50, 100}, {50, 20}, 12, 30, 0);
    EXPECT_EQ(Drawing("Polygon"),
              (std::vector<Call>{
                  Call("Polygon", {53, 100, 47, 100, 47, 50, 44, 50, 50, 20, 56, 50, 53, 50})}));
    dev.Clear();
    canvas.ArrowShape(false, {0, 0}, {5, 0}, 4, 20, 0);
    EXPECT_EQ(Drawing("LineTo")[1], Call("LineTo", {0, 2}));
    dev.Clear();
    canvas.ArrowShape(true, {7, 7}, {7, 7}, 4, 20, 0);
    EXPECT_TRUE(dev.Calls().empty());
}

// In 2D all but the right edge shrink; in 3D a polygon over the visible faces, or a rectangle
// when seen from straight above.
TEST_F(CanvasTest, ClipToBox) {
    Begin2D();
    canvas.ClipToBox({10, 10, 100, 50}, 0, 30);
    canvas.RemoveClipping();
    EXPECT_EQ(dev.Calls(),
              (std::vector<Call>{Call("ClipRect", {11, 11, 100, 49}), Call("RemoveClip", {})}));
    Begin3D(true);
    canvas.ClipToBox({10, 10, 100, 50}, 0, 20);
    EXPECT_EQ(Drawing("ClipPolygon"),
              (std::vector<Call>{
                  Call("ClipPolygon", {10, 50, 10, 10, 30, -10, 120, -10, 120, 30, 100, 50})}));
    options.SetElevation(270);
    options.SetRotation(360);
    Begin3D(true);
    canvas.ClipToBox({10, 10, 100, 50}, 0, 20);
    EXPECT_EQ(dev.Calls().at(0), Call("ClipRect", {10, 10, 120, -10}));
}

TEST_F(CanvasTest, RotatedAndZoomedText) {
    Begin2D();
    canvas.Font().SetSize(8);
    canvas.DrawRotatedText(10, 20, 450, "a");
    canvas.DrawRotatedText(10, 20, 360, "b");
    const auto fonts = Drawing("SetFont");
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].args, (std::vector<int>{8, 0, 900}));
    EXPECT_EQ(fonts[1].args, (std::vector<int>{8, 0, 3600}));
    EXPECT_EQ(Drawing("TextOut")[0], Call("TextOut", {10, 20}, "a"));
    EXPECT_EQ(canvas.Brush().Style(), bsClear);
    // Plain text afterwards selects the upright font again.
    canvas.DrawText(0, 0, "c");
    EXPECT_EQ(Drawing("SetFont").back().args, (std::vector<int>{8, 0, 0}));
    // zoomed frames scale the font size unless told not to
    Begin3D(true, 150);
    canvas.DrawRotatedText(0, 0, 90, "x");
    EXPECT_EQ(Drawing("SetFont").back().args, (std::vector<int>{12, 0, 900}));
    canvas.DrawText3D(100, 50, "y", 10);
    EXPECT_EQ(Drawing("SetFont").back().args, (std::vector<int>{12, 0, 0}));
    EXPECT_EQ(Drawing("TextOut").back(), Call("TextOut", {115, 35}, "y"));
    options.SetZoomText(false);
    Begin3D(true, 150);
    canvas.DrawText3D(100, 50, "z", 0);
    EXPECT_EQ(Drawing("SetFont").back().args, (std::vector<int>{8, 0, 0}));
}

TEST_F(CanvasTest, TextUsesTheFontColourAndMeasuresWithTheCanvasFont) {
    Begin2D();
    canvas.Font().SetColor(clRed);
    canvas.Font().SetSize(8);
    EXPECT_EQ(canvas.MeasureTextWidth("abc"), 18);
    EXPECT_EQ(canvas.MeasureFontHeight(), 12);
    canvas.DrawText(1, 2, "abc");
    EXPECT_EQ(Drawing("SetTextColor").back(), Call("SetTextColor", {static_cast<int>(clRed)}));
    EXPECT_EQ(dev.CurrentFont().size, 8);
    dev.SetFailTextExtent(true);
    EXPECT_EQ(canvas.MeasureTextWidth("abc"), 0);
}

TEST_F(CanvasTest, PenStateReachesTheDeviceOnlyWhenChanged) {
    Begin2D();
    canvas.Pen().SetColor(clRed);
    canvas.LineSegment(0, 0, 10, 10);
    canvas.HorizontalLine(0, 10, 5);
    canvas.VerticalLine(3, 0, 10);
    EXPECT_EQ(dev.CountOf("SetPen"), 1);
    canvas.Pen().SetWidth(2);
    canvas.LineSegment(0, 0, 10, 10);
    EXPECT_EQ(dev.CountOf("SetPen"), 2);
    // a chart pen: small dots, width, and a hidden pen draws nothing
    TChartPen pen;
    pen.SetColor(clBlue);
    pen.SetSmallDots(true);
    canvas.UsePen(pen);
    canvas.LineSegment(0, 0, 5, 0);
    EXPECT_EQ(Drawing("SetPen").back().args[2], static_cast<int>(psAlternate));
    pen.SetWidth(2);
    canvas.UsePen(pen);
    canvas.LineSegment(0, 0, 5, 0);
    EXPECT_EQ(Drawing("SetPen").back().args,
              (std::vector<int>{static_cast<int>(clBlue), 2, static_cast<int>(psSolid), 0}));
    pen.SetVisible(false);
    canvas.UsePen(pen);
    canvas.LineSegment(0, 0, 5, 0);
    EXPECT_EQ(Drawing("SetPen").back().args[2], static_cast<int>(psClear));
    EXPECT_EQ(dev.CurrentPen().color, clBlue);
}

TEST_F(CanvasTest, EllipseAtDepthIn2DIncludesTheFarEdgesRotatedIsAFan) {
    Begin2D();
    canvas.EllipseAtDepth(10, 20, 30, 40, 5);
    EXPECT_EQ(Drawing("Ellipse")[0], Call("Ellipse", {10, 20, 31, 41}));
    Begin3D(true);
    canvas.EllipseAtDepth(10, 20, 30, 40, 5);
    EXPECT_EQ(Drawing("Ellipse")[0], Call("Ellipse", {15, 15, 35, 35}));
    // rotated: a fan of polygons and an outline
    Begin3D(false);
    canvas.EllipseAtDepth(10, 20, 30, 40, 5);
    EXPECT_EQ(dev.CountOf("Polygon"), 31);
    const auto outline = Drawing("Polyline");
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].args.size(), 64u);
}

TEST_F(CanvasTest, OrthogonalBoxShowsFrontRightAndTopShaded) {
    Begin3D(true);
    canvas.Brush().SetColor(RGB(200, 100, 50));
    canvas.BoxShape(10, 30, 40, 90, 0, 10, true);
    const auto polygons = Drawing("Polygon");
    ASSERT_EQ(polygons.size(), 3u);
    EXPECT_EQ(polygons[0], Call("Polygon", {10, 40, 30, 40, 30, 90, 10, 90}));
    EXPECT_EQ(polygons[1], Call("Polygon", {30, 40, 40, 30, 40, 80, 30, 90}));
    EXPECT_EQ(polygons[2], Call("Polygon", {10, 40, 30, 40, 40, 30, 20, 30}));
    const auto brushes = Drawing("SetBrush");
    ASSERT_EQ(brushes.size(), 3u);
    EXPECT_EQ(brushes[1].args[0], static_cast<int>(RGB(72, 0, 0)));
    EXPECT_EQ(brushes[2].args[0], static_cast<int>(RGB(136, 36, 0)));
    EXPECT_EQ(canvas.Brush().Color(), RGB(200, 100, 50));
}

TEST_F(CanvasTest, PieSliceRimPointCount) {
    options.SetOrthogonal(false);
    options.SetElevation(315);
    options.SetRotation(360);
    options.SetPerspective(0);
    Begin3D(false);
    // 90 degrees: min(30, 9) + 2 = 11 rim points, plus the centre on the front face.
    // A whole turn caps at 30 + 2.
    const std::pair<double, size_t> turns[] = {{std::numbers::pi / 2, 12},
                                               {2 * std::numbers::pi, 33}};
    for (auto [angle, points] : turns) {
        dev.Clear();
        canvas.PieSlice3D(100, 50, 40, 40, 0, 10, 0, angle, true, false);
        size_t largest = 0;
        for (const Call& c : Drawing("Polygon")) largest = std::max(largest, c.args.size());
        EXPECT_EQ(largest, 2 * points) << angle;
    }
    // Seen from above: the rim shows below the cap, on the near half, and the cap, at the depth
    // higher on the screen, comes last.
    const std::vector<Call> polygons = Drawing("Polygon");
    ASSERT_GT(polygons.size(), 1u);
    const Call& cap = polygons.back();
    EXPECT_EQ(cap.args.size(), 2 * 33u);
    EXPECT_LT(cap.args[1], canvas.ProjectPoint({100, 50}, 0).y); // the centre, at depth 10
    for (size_t i = 0; i + 1 < polygons.size(); ++i) {
        ASSERT_EQ(polygons[i].args.size(), 8u);
        const int lowest = std::max(
            {polygons[i].args[1], polygons[i].args[3], polygons[i].args[5], polygons[i].args[7]});
        EXPECT_GT(lowest, cap.args[1]) << i;
    }
}

TEST_F(CanvasTest, SolidsDrawOnlyFacesTowardsTheViewer) {
    Begin3D(true);
    canvas.CylinderShape(true, 10, 10, 50, 90, 0, 20, false);
    // Of 16 sides about half face the viewer, and one of the two end caps.
    const int polygons = dev.CountOf("Polygon");
    EXPECT_GE(polygons, 8);
    EXPECT_LE(polygons, 11);
    dev.Clear();
    canvas.PyramidShape(true, 10, 10, 50, 90, 0, 20, false);
    EXPECT_EQ(dev.CountOf("Polygon"), 2); // front and right
}

TEST_F(CanvasTest, OperationsWithoutATargetDoNothing) {
    TKivCanvas3D detached;
    detached.LineSegment(0, 0, 1, 1);
    detached.GradientFill({0, 0, 10, 10}, clRed, gdFromCenter, clBlue);
    detached.DrawText(0, 0, "x");
    EXPECT_EQ(detached.MeasureTextWidth("x"), 0);
    EXPECT_FALSE(detached.RepaintFromBuffer());
}

TEST_F(CanvasTest, AbsurdRectanglesStayBounded) {
    Begin2D();
    canvas.GradientFill({-2'000'000'000, 0, 2'000'000'000, 10}, clRed, gdFromCenter, clBlue);
    EXPECT_LE(dev.CountOf("PatBlt"), 4 * 32768 + 4);
    dev.Clear();
    canvas.EllipseAtDepth(2'000'000'000, 0, 2'100'000'000, 10, 0);
    ASSERT_EQ(dev.CountOf("Ellipse"), 1);
    canvas.SetupProjection(10, {2'000'000'000, 0, 2'100'000'000, 10});
    EXPECT_EQ(canvas.XCenter(), 2'050'000'000);
}
