// Operations at a depth in an orthogonal frame (a point at depth z moves z right and z up).
#include "CanvasFixture.h"

using namespace kiv;

using raster::Call;

TEST_F(CanvasTest, PlanesProjectTheirCornersInOrder) {
    Begin3D(true);
    canvas.HorizontalPlane(10, 50, 80, 0, 10);
    canvas.DepthPlane(10, 20, 80, 0, 10);
    canvas.PlaneBetweenDepths({1, 2}, {3, 4}, 0, 5);
    canvas.QuadBetweenDepths({TPoint{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0, 4);
    canvas.RectangleAtDepth({10, 20, 30, 40}, 3);
    const auto polygons = Drawing("Polygon");
    ASSERT_EQ(polygons.size(), 5u);
    EXPECT_EQ(polygons[0], Call("Polygon", {10, 80, 50, 80, 60, 70, 20, 70}));
    EXPECT_EQ(polygons[1], Call("Polygon", {10, 20, 20, 10, 20, 70, 10, 80}));
    EXPECT_EQ(polygons[2], Call("Polygon", {1, 2, 3, 4, 8, -1, 6, -3}));
    EXPECT_EQ(polygons[3], Call("Polygon", {0, 0, 10, 0, 14, 6, 4, 6}));
    EXPECT_EQ(polygons[4], Call("Polygon", {13, 17, 33, 17, 33, 37, 13, 37}));
}

TEST_F(CanvasTest, LinesAtDepth) {
    Begin3D(true);
    canvas.HorizontalLine3D(0, 10, 50, 5);
    canvas.VerticalLine3D(20, 0, 30, 5);
    canvas.DepthLine(40, 40, 0, 10);
    canvas.MoveToPoint3D(1, 1, 1);
    canvas.LineToPoint3D(2, 2, 2);
    EXPECT_EQ(Drawing("MoveTo"),
              (std::vector<Call>{Call("MoveTo", {5, 45}), Call("MoveTo", {25, -5}),
                                 Call("MoveTo", {40, 40}), Call("MoveTo", {2, 0})}));
    EXPECT_EQ(Drawing("LineTo"),
              (std::vector<Call>{Call("LineTo", {15, 45}), Call("LineTo", {25, 25}),
                                 Call("LineTo", {50, 30}), Call("LineTo", {4, 0})}));
}

TEST_F(CanvasTest, PolygonAtDepthPassesPointsUnprojected) {
    Begin3D(true);
    const TPoint points[3] = {{1, 1}, {5, 1}, {3, 4}};
    canvas.PolygonAtDepth(points, 2, 10);
    EXPECT_EQ(Drawing("Polygon")[0], Call("Polygon", {1, 1, 5, 1, 3, 4}));
    canvas.PolygonShape(points, -1); // nothing to draw
    EXPECT_EQ(dev.CountOf("Polygon"), 1);
}

TEST_F(CanvasTest, PixelAtDepthUsesALineForWidePens) {
    Begin3D(true);
    canvas.PlotPixel3D(10, 10, 2, clRed);
    EXPECT_EQ(Drawing("SetPixel")[0], Call("SetPixel", {12, 8, static_cast<int>(clRed)}));
    canvas.Pen().SetWidth(3);
    canvas.PlotPixel3D(10, 10, 2, clRed);
    EXPECT_EQ(Drawing("MoveTo").back(), Call("MoveTo", {12, 8}));
    EXPECT_EQ(Drawing("LineTo").back(), Call("LineTo", {12, 8}));
}

TEST_F(CanvasTest, TriangleShape3DTakesTheColourUnlessTheBrushIsClear) {
    Begin3D(true);
    canvas.TriangleShape3D({0, 0, 0}, {10, 0, 5}, {0, 10, 10}, clLime);
    EXPECT_EQ(Drawing("Polygon")[0], Call("Polygon", {0, 0, 15, -5, 10, 0}));
    EXPECT_EQ(canvas.Brush().Color(), clLime);
    canvas.Brush().SetStyle(bsClear);
    canvas.TriangleShape3D({0, 0, 0}, {10, 0, 5}, {0, 10, 10}, clRed);
    EXPECT_EQ(canvas.Brush().Color(), clLime);
}

TEST_F(CanvasTest, PicturesDrawOnlyWhenPresent) {
    Begin2D();
    canvas.DrawGraphic(1, 2, nullptr);
    const raster::Bitmap empty;
    canvas.DrawGraphic(1, 2, &empty);
    canvas.StretchGraphic({0, 0, 5, 5}, nullptr);
    EXPECT_TRUE(dev.Calls().empty());
    const raster::Bitmap picture(3, 4);
    canvas.Brush().SetColor(clYellow);
    canvas.DrawGraphic(1, 2, &picture);
    EXPECT_EQ(Drawing("DrawBitmap")[0], Call("DrawBitmap", {1, 2, 3, 4}));
    EXPECT_EQ(canvas.BackgroundColor(), clYellow);
    canvas.StretchGraphic({0, 0, 5, 5}, &empty);
    EXPECT_EQ(Drawing("StretchBitmap")[0], Call("StretchBitmap", {0, 0, 5, 5}));
}

TEST_F(CanvasTest, SphereIsAnEllipseOfTheRoundedRadius) {
    Begin2D();
    canvas.SphereShape(50, 60, 0, 10.5);
    EXPECT_EQ(Drawing("Ellipse")[0], Call("Ellipse", {40, 50, 61, 71}));
}
