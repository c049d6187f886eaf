// Lines, planes and flat shapes at a depth: every point goes through the projection first.
#include "chart/canvas/Canvas3D.h"

#include "chart/canvas/Rounding.h"

namespace kiv {

void TKivCanvas3D::PlotPixel3D(int x, int y, int z, TColor color) {
    if (!target_) return;
    ProjectPoint(x, y, z);
    if (Pen().Width() == 1) {
        PlotPixel(x, y, color);
    } else {
        SyncPen();
        target_->MoveTo(x, y);
        target_->LineTo(x, y);
    }
}

void TKivCanvas3D::MoveToPoint3D(int x, int y, int z) {
    ProjectPoint(x, y, z);
    MoveToPoint(x, y);
}

void TKivCanvas3D::LineToPoint3D(int x, int y, int z) {
    ProjectPoint(x, y, z);
    LineToPoint(x, y);
}

void TKivCanvas3D::LineAtDepth(int x0, int y0, int x1, int y1, int z) {
    ProjectPoint(x0, y0, z);
    ProjectPoint(x1, y1, z);
    LineSegment(x0, y0, x1, y1);
}

void TKivCanvas3D::HorizontalLine3D(int x0, int x1, int y, int z) {
    LineAtDepth(x0, y, x1, y, z);
}

void TKivCanvas3D::VerticalLine3D(int x, int y0, int y1, int z) {
    LineAtDepth(x, y0, x, y1, z);
}

void TKivCanvas3D::DepthLine(int x, int y, int z0, int z1) {
    int x1 = x;
    int y1 = y;
    ProjectPoint(x, y, z0);
    ProjectPoint(x1, y1, z1);
    LineSegment(x, y, x1, y1);
}

void TKivCanvas3D::DrawQuad() {
    PolygonShape(quad_.data(), 3);
}

void TKivCanvas3D::PlaneBetweenDepths(TPoint a, TPoint b, int z0, int z1) {
    quad_ = {ProjectPoint(a, z0), ProjectPoint(b, z0), ProjectPoint(b, z1), ProjectPoint(a, z1)};
    DrawQuad();
}

void TKivCanvas3D::QuadAtDepth(const std::array<TPoint, 4>& points, int z) {
    for (int i = 0; i < 4; ++i) quad_[i] = ProjectPoint(points[i], z);
    DrawQuad();
}

void TKivCanvas3D::QuadBetweenDepths(const std::array<TPoint, 4>& points, int z0, int z1) {
    quad_ = {ProjectPoint(points[0], z0), ProjectPoint(points[1], z0), ProjectPoint(points[2], z1),
             ProjectPoint(points[3], z1)};
    DrawQuad();
}

void TKivCanvas3D::PolygonAtDepth(const TPoint* points, int lastIndex, int) {
    PolygonShape(points, lastIndex);
}

void TKivCanvas3D::RectangleAtDepth(const TRect& rect, int z) {
    quad_ = {ProjectPoint({rect.left, rect.top}, z), ProjectPoint({rect.right, rect.top}, z),
             ProjectPoint({rect.right, rect.bottom}, z), ProjectPoint({rect.left, rect.bottom}, z)};
    DrawQuad();
}

void TKivCanvas3D::HorizontalPlane(int left, int right, int y, int z0, int z1) {
    quad_ = {ProjectPoint({left, y}, z0), ProjectPoint({right, y}, z0),
             ProjectPoint({right, y}, z1), ProjectPoint({left, y}, z1)};
    DrawQuad();
}

void TKivCanvas3D::DepthPlane(int x, int top, int bottom, int z0, int z1) {
    quad_ = {ProjectPoint({x, top}, z0), ProjectPoint({x, top}, z1), ProjectPoint({x, bottom}, z1),
             ProjectPoint({x, bottom}, z0)};
    DrawQuad();
}

void TKivCanvas3D::TriangleAtDepth(TPoint p0, TPoint p1, TPoint p2, int z) {
    const TPoint points[3] = {ProjectPoint(p0, z), ProjectPoint(p1, z), ProjectPoint(p2, z)};
    PolygonShape(points, 2);
}

void TKivCanvas3D::TriangleShape3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2,
                                   TColor color) {
    const TPoint points[3] = {ProjectPoint({p0.x, p0.y}, p0.z), ProjectPoint({p1.x, p1.y}, p1.z),
                              ProjectPoint({p2.x, p2.y}, p2.z)};
    if (Brush().Style() != bsClear) Brush().SetColor(color);
    PolygonShape(points, 2);
}

void TKivCanvas3D::ClipToBox(const TRect& rect, int z0, int z1) {
    if (!target_) return;
    if (!is3D_) {
        ClipToRectangle({rect.left + 1, rect.top + 1, rect.right, rect.bottom - 1});
        return;
    }
    if (view3DOptions_ && view3DOptions_->Elevation() == 270 &&
        (view3DOptions_->Rotation() == 270 || view3DOptions_->Rotation() == 360)) {
        const TPoint a = ProjectPoint({rect.left, rect.top}, z0);
        const TPoint b = ProjectPoint({rect.right, rect.top}, z1);
        ClipToRectangle({a.x, a.y, b.x, b.y});
        return;
    }
    const TPoint rightTopFront = ProjectPoint({rect.right, rect.top}, z0);
    const TPoint leftTopBack = ProjectPoint({rect.left, rect.top}, z1);
    const TPoint rightBottomBack = ProjectPoint({rect.right, rect.bottom}, z1);
    TPoint p[6] = {
        ProjectPoint({rect.left, rect.bottom}, z0),
        ProjectPoint({rect.left, rect.top}, z0),
        leftTopBack.y < rightTopFront.y ? leftTopBack : rightTopFront,
        ProjectPoint({rect.right, rect.top}, z1),
        rightBottomBack.x > rightTopFront.x ? rightBottomBack : rightTopFront,
        ProjectPoint({rect.right, rect.bottom}, z0),
    };
    if (p[5].x < p[0].x) {
        p[0].x = p[5].x;
        if (rightTopFront.y < p[0].y) p[0].y = rightTopFront.y;
    }
    target_->ClipPolygon(p, 6);
}

} // namespace kiv
