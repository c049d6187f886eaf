#include "CanvasFixture.h"

#include <limits>

using namespace kiv;

TEST_F(CanvasTest, TwoDimensionalFrameIgnoresDepthAnOrthogonalOneShiftsByIt) {
    Begin2D();
    canvas.SetupProjection(50, {0, 0, 200, 100});
    for (int z : {-100, 0, 7, 1000})
        EXPECT_EQ(canvas.ProjectPoint(TPoint{13, 27}, z), (TPoint{13, 27}));
    int x = 40, y = 50;
    canvas.ScreenToWorld(x, y, 10);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 50);

    Begin3D(true);
    EXPECT_EQ(canvas.WorldToScreen(30, 40, 10), (TPoint{40, 30}));
    EXPECT_EQ(canvas.WorldToScreen(30, 40, 0), (TPoint{30, 40}));
    x = 40, y = 30;
    canvas.ScreenToWorld(x, y, 10);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

TEST_F(CanvasTest, SetupProjectionCentresWithOffsets) {
    options.SetHorizOffset(7);
    options.SetVertOffset(-3);
    Begin3D(true);
    canvas.SetupProjection(21, {-11, 4, 10, 9});
    EXPECT_EQ(canvas.XCenter(), 0); // -1 / 2 truncates toward zero
    EXPECT_EQ(canvas.YCenter(), 6);
    EXPECT_EQ(canvas.ZCenter(), 10);
    EXPECT_EQ(canvas.XCenterOffset(), 7);
    EXPECT_EQ(canvas.YCenterOffset(), 3);
}

TEST_F(CanvasTest, OrthogonalZoomScalesAroundTheCentreWithHalvesToEven) {
    Begin3D(true, 50);
    // centre (100, 50): x' = round(0.5 * (101 - 100)) + 100 = round(0.5) + 100 = 100
    EXPECT_EQ(canvas.WorldToScreen(101, 50, 0).x, 100);
    // round(0.5 * 3) = round(1.5) = 2
    EXPECT_EQ(canvas.WorldToScreen(103, 50, 0).x, 102);
    EXPECT_EQ(canvas.WorldToScreen(100, 53, 0).y, 52);
    EXPECT_EQ(canvas.WorldToScreen(100, 50, 4), (TPoint{102, 48}));
}

TEST_F(CanvasTest, ProjectionTermsKeepAFloorOnTheScales) {
    options.SetElevation(90);
    options.SetRotation(0);
    options.SetTilt(0);
    Begin3D(false);
    EXPECT_DOUBLE_EQ(canvas.kYY(), 0.00001);
    EXPECT_DOUBLE_EQ(canvas.kXX(), 1.0);
    EXPECT_NEAR(canvas.kYZ(), 1.0, 1e-12);
}

TEST_F(CanvasTest, PerspectiveShrinksFarPoints) {
    options.SetElevation(0);
    options.SetRotation(0);
    options.SetPerspective(50);
    Begin3D(false);
    const TPoint nearPoint = canvas.WorldToScreen(200, 50, 0);
    const TPoint farPoint = canvas.WorldToScreen(200, 50, 20);
    EXPECT_EQ(nearPoint.x, 201);
    EXPECT_LT(farPoint.x, nearPoint.x); // the far point lies closer to the centre
}

TEST_F(CanvasTest, FrontPlaneSuspendsRotationButNotTheOrthogonalShift) {
    options.SetElevation(345);
    options.SetRotation(345);
    Begin3D(false);
    canvas.BeginFrontPlane();
    EXPECT_EQ(canvas.WorldToScreen(150, 80, 20), (TPoint{150, 80}));
    canvas.EndFrontPlane();
    EXPECT_NE(canvas.WorldToScreen(150, 80, 20), (TPoint{150, 80}));

    Begin3D(true);
    canvas.BeginFrontPlane();
    EXPECT_EQ(canvas.WorldToScreen(150, 80, 20), (TPoint{170, 60}));
    canvas.EndFrontPlane();
}

TEST_F(CanvasTest, HugeCoordinatesStayInRange) {
    Begin3D(true, 300);
    const TPoint p = canvas.WorldToScreen(2'000'000'000, -2'000'000'000, 2'000'000'000);
    EXPECT_EQ(p.x, std::numeric_limits<int>::max());
    EXPECT_LT(p.y, -2'000'000'000);
}
