// Shaded 3D solids (box, cylinder, pyramid, pie wedge), the ellipse at a depth, and arrows.
// Faces take the brush colour (the background colour for a hatched brush), darkened per face.

#include "chart/canvas/Canvas3D.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kiv {

namespace {

constexpr int kMaxFacePoints = 40;

} // namespace

TColor TKivCanvas3D::FaceColor() {
    return Brush().Style() == bsSolid ? Brush().Color() : BackgroundColor();
}

void TKivCanvas3D::SetFaceColor(TColor color) {
    if (Brush().Style() == bsSolid)
        Brush().SetColor(color);
    else
        SetBackgroundColor(color);
}

void TKivCanvas3D::DrawFace(TPoint3D* points, int count, double nx, double ny, double nz,
                            TColor color) {
    // Newell's normal of the polygon as given; reversed when it points into the solid.
    double wx = 0, wy = 0, wz = 0;
    for (int i = 0; i < count; ++i) {
        const TPoint3D& a = points[i];
        const TPoint3D& b = points[(i + 1) % count];
        const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
        wx += (ay - by) * (az + bz);
        wy += (az - bz) * (ax + bx);
        wz += (ax - bx) * (ay + by);
    }
    if (wx * nx + wy * ny + wz * nz < 0) std::reverse(points, points + count);
    TPoint projected[kMaxFacePoints];
    double area = 0;
    for (int i = 0; i < count; ++i)
        projected[i] = ProjectPoint({points[i].x, points[i].y}, points[i].z);
    for (int i = 0; i < count; ++i) {
        const TPoint& a = projected[i];
        const TPoint& b = projected[(i + 1) % count];
        area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    // Outward-wound faces turn clockwise on screen when they face the viewer.
    if (area >= 0) return;
    SetFaceColor(color);
    PolygonShape(projected, count - 1);
}

void TKivCanvas3D::BoxShape(int left, int right, int top, int bottom, int z0, int z1,
                            bool darkSides) {
    const TColor face = FaceColor();
    RectangleAtDepth({left, top, right, bottom}, z0);
    const TPoint rightFront = ProjectPoint({right, top}, z0);
    const TPoint rightBack = ProjectPoint({right, top}, z1);
    const TPoint leftFront = ProjectPoint({left, top}, z0);
    const TPoint leftBack = ProjectPoint({left, top}, z1);
    const bool rightVisible = rightBack.x > rightFront.x;
    const bool leftVisible = leftBack.x < leftFront.x;
    if (rightVisible || leftVisible) {
        if (darkSides) SetFaceColor(DarkenColor(face, 128));
        DepthPlane(rightVisible ? right : left, top, bottom, z0, z1);
    }
    if (leftBack.y < leftFront.y) {
        SetFaceColor(darkSides ? DarkenColor(face, 64) : face);
        HorizontalPlane(left, right, top, z0, z1);
    }
    SetFaceColor(face);
}

void TKivCanvas3D::CylinderShape(bool vertical, int left, int top, int right, int bottom, int z0,
                                 int z1, bool darkSides) {
    constexpr int kSides = 16;
    const TColor face = FaceColor();
    const double radiusAcross = vertical ? (static_cast<double>(right) - left) / 2
                                         : (static_cast<double>(bottom) - top) / 2;
    const double radiusDepth = (static_cast<double>(z1) - z0) / 2;
    const int centreAcross = vertical ? HalfSum(left, right) : HalfSum(top, bottom);
    const int centreDepth = HalfSum(z0, z1);
    const int first = vertical ? -4 : -5;
    // The axis runs from the base (bottom, or left) to the far end (top, or right).
    const int base = vertical ? bottom : left;
    const int far = vertical ? top : right;
    int across[kSides];
    int depth[kSides];
    double angle[kSides];
    for (int k = 0; k < kSides; ++k) {
        angle[k] = (first + k) * std::numbers::pi / 8;
        // Angle 0 faces the viewer; the sides run from the left (or top) round to the back.
        across[k] = centreAcross + RoundPixel(radiusAcross * std::sin(angle[k]));
        depth[k] = centreDepth - RoundPixel(radiusDepth * std::cos(angle[k]));
    }
    auto point = [vertical](int along, int acrossValue, int z) {
        return vertical ? TPoint3D{acrossValue, along, z} : TPoint3D{along, acrossValue, z};
    };
    for (int k = 0; k < kSides; ++k) {
        const int next = (k + 1) % kSides;
        TPoint3D quad[4] = {point(base, across[k], depth[k]),
                            point(base, across[next], depth[next]),
                            point(far, across[next], depth[next]), point(far, across[k], depth[k])};
        const double mid = (angle[k] + angle[k] + std::numbers::pi / 8) / 2;
        const double nAcross = std::sin(mid), nDepth = -std::cos(mid);
        DrawFace(quad, 4, vertical ? nAcross : 0, vertical ? 0 : nAcross, nDepth,
                 darkSides ? DarkenColor(face, 16 * k) : face);
    }
    TPoint3D cap[kSides];
    const TColor capColor = darkSides ? DarkenColor(face, 64) : face;
    for (int k = 0; k < kSides; ++k) cap[k] = point(far, across[k], depth[k]);
    DrawFace(cap, kSides, vertical ? 0 : 1, vertical ? -1 : 0, 0, capColor);
    for (int k = 0; k < kSides; ++k) cap[k] = point(base, across[k], depth[k]);
    DrawFace(cap, kSides, vertical ? 0 : -1, vertical ? 1 : 0, 0, capColor);
    SetFaceColor(face);
}

void TKivCanvas3D::ConeShape(bool vertical, int left, int top, int right, int bottom, int z0,
                             int z1, bool darkSides) {
    PyramidShape(vertical, left, top, right, bottom, z0, z1, darkSides);
}

void TKivCanvas3D::PyramidShape(bool vertical, int left, int top, int right, int bottom, int z0,
                                int z1, bool darkSides) {
    const TColor face = FaceColor();
    const int middleDepth = HalfSum(z0, z1);
    // Base edge from a0 to a1 (across) at the base line; apex at the middle of the far line.
    const int baseLine = vertical ? bottom : left;
    const int apexLine = vertical ? top : right;
    const int a0 = vertical ? left : top;
    const int a1 = vertical ? right : bottom;
    auto point = [vertical](int along, int across, int z) {
        return vertical ? TPoint3D{across, along, z} : TPoint3D{along, across, z};
    };
    const TPoint3D apex = point(apexLine, HalfSum(a0, a1), middleDepth);
    const TPoint3D frontLow = point(baseLine, a0, z0), frontHigh = point(baseLine, a1, z0);
    const TPoint3D backLow = point(baseLine, a0, z1), backHigh = point(baseLine, a1, z1);
    // Centre of the solid, to tell outward from inward.
    const TPoint3D centre = point(HalfSum(baseLine, apexLine), HalfSum(a0, a1), middleDepth);
    auto outward = [&](const TPoint3D* p, int n, double out[3]) {
        double sx = 0, sy = 0, sz = 0;
        for (int i = 0; i < n; ++i) {
            sx += p[i].x;
            sy += p[i].y;
            sz += p[i].z;
        }
        out[0] = sx / n - centre.x;
        out[1] = sy / n - centre.y;
        out[2] = sz / n - centre.z;
    };
    const TPoint front[3] = {ProjectPoint({frontLow.x, frontLow.y}, frontLow.z),
                             ProjectPoint({frontHigh.x, frontHigh.y}, frontHigh.z),
                             ProjectPoint({apex.x, apex.y}, apex.z)};
    PolygonShape(front, 2);
    const TColor sideColor = darkSides ? DarkenColor(face, 128) : face;
    double n[3];
    const bool apexBeyondBase = vertical ? apexLine < baseLine : apexLine > baseLine;
    if (apexBeyondBase) {
        TPoint3D side[3] = {frontLow, backLow, apex};
        outward(side, 3, n);
        DrawFace(side, 3, n[0], n[1], n[2], sideColor);
    }
    TPoint3D side[3] = {frontHigh, backHigh, apex};
    outward(side, 3, n);
    DrawFace(side, 3, n[0], n[1], n[2], sideColor);
    TPoint3D back[3] = {backLow, backHigh, apex};
    outward(back, 3, n);
    DrawFace(back, 3, n[0], n[1], n[2], face);
    if (!apexBeyondBase) {
        SetFaceColor(darkSides ? DarkenColor(face, 64) : face);
        if (vertical)
            HorizontalPlane(left, right, bottom, z0, z1);
        else
            DepthPlane(left, top, bottom, z0, z1);
    }
    SetFaceColor(face);
}

void TKivCanvas3D::EllipseAtDepth(int x0, int y0, int x1, int y1, int z) {
    if (!target_) return;
    if (orthogonal_) {
        const TPoint a = ProjectPoint({x0, y0}, z);
        const TPoint b = ProjectPoint({x1, y1}, z);
        EllipseShape(a.x, a.y, b.x, b.y);
        return;
    }
    if (!is3D_) {
        EllipseShape(x0, y0, x1 + 1, y1 + 1);
        return;
    }
    constexpr int kPoints = 32;
    const int cx = HalfSum(x0, x1);
    const int cy = HalfSum(y0, y1);
    const int rx = static_cast<int>((static_cast<std::int64_t>(x1) - x0) / 2);
    const int ry = static_cast<int>((static_cast<std::int64_t>(y1) - y0) / 2);
    TPoint points[kPoints];
    points[0] = ProjectPoint({cx, y1}, z);
    for (int i = 1; i < kPoints; ++i) {
        const double a = i * std::numbers::pi / 10;
        points[i] = ProjectPoint(
            {cx + static_cast<int>(std::sin(a) * rx), cy + static_cast<int>(std::cos(a) * ry)}, z);
    }
    if (Brush().Style() != bsClear) {
        const TPenStyle style = Pen().Style();
        Pen().SetStyle(psClear);
        const TPoint centre = ProjectPoint({cx, cy}, z);
        for (int i = 0; i < kPoints - 1; ++i) {
            const TPoint triangle[3] = {centre, points[i], points[i + 1]};
            PolygonShape(triangle, 2);
        }
        Pen().SetStyle(style);
    }
    if (Pen().Style() != psClear) {
        SyncPen();
        target_->Polyline(points, kPoints);
    }
}

void TKivCanvas3D::SphereShape(int centreX, int centreY, int z, double radius) {
    const int r = RoundPixel(radius);
    EllipseAtDepth(centreX - r, centreY - r, centreX + r, centreY + r, z);
}

void TKivCanvas3D::PieSlice3D(int centreX, int centreY, int radiusX, int radiusY, int z0, int z1,
                              double startAngle, double endAngle, bool darkSides,
                              bool drawFlatSides) {
    if (!target_) return;
    const double span = endAngle - startAngle;
    if (!std::isfinite(span)) return;
    const int rimCount =
        std::min(30, RoundPixel(std::fabs(span) * 180 / std::numbers::pi / 10)) + 2;
    const TColor face = FaceColor();
    TPoint rim[32];
    double rimAngle[32];
    for (int i = 0; i < rimCount; ++i) {
        rimAngle[i] = startAngle + span * i / (rimCount - 1);
        rim[i] = {centreX + RoundPixel(radiusX * std::cos(rimAngle[i])),
                  centreY - RoundPixel(radiusY * std::sin(rimAngle[i]))};
    }
    // The wedge lies flat and is seen from above: its cap is the one of the two depths higher
    // on the screen, and of its sides only those facing down the screen show below the cap.
    auto fill = [this](const TPoint3D* points, int count, TColor color) {
        TPoint projected[kMaxFacePoints];
        for (int i = 0; i < count; ++i)
            projected[i] = ProjectPoint({points[i].x, points[i].y}, points[i].z);
        SetFaceColor(color);
        PolygonShape(projected, count - 1);
    };
    const TPoint centre = ProjectPoint({centreX, centreY}, z0);
    const int cap = ProjectPoint({centreX, centreY}, z1).y < centre.y ? z1 : z0;
    // Whether a side whose outward direction is angle faces the viewer.
    auto facing = [&](double angle) {
        const TPoint p = ProjectPoint({centreX + RoundPixel(radiusX * std::cos(angle)),
                                       centreY - RoundPixel(radiusY * std::sin(angle))},
                                      z0);
        return p.y > centre.y;
    };
    if (drawFlatSides) {
        const TColor flatColor = darkSides ? DarkenColor(face, 64) : face;
        auto flatSide = [&](TPoint rimPoint) {
            const TPoint3D side[4] = {{centreX, centreY, z0},
                                      {rimPoint.x, rimPoint.y, z0},
                                      {rimPoint.x, rimPoint.y, z1},
                                      {centreX, centreY, z1}};
            fill(side, 4, flatColor);
        };
        if (facing(startAngle - std::numbers::pi / 2)) flatSide(rim[0]);
        if (facing(endAngle + std::numbers::pi / 2)) flatSide(rim[rimCount - 1]);
    }
    // The curved rim without outlines between its segments.
    const TPenStyle penStyle = Pen().Style();
    Pen().SetStyle(psClear);
    for (int i = 0; i + 1 < rimCount; ++i) {
        if (!facing((rimAngle[i] + rimAngle[i + 1]) / 2)) continue;
        const TPoint3D quad[4] = {{rim[i].x, rim[i].y, z0},
                                  {rim[i + 1].x, rim[i + 1].y, z0},
                                  {rim[i + 1].x, rim[i + 1].y, z1},
                                  {rim[i].x, rim[i].y, z1}};
        fill(quad, 4, darkSides ? DarkenColor(face, 32) : face);
    }
    Pen().SetStyle(penStyle);
    TPoint3D top[33];
    top[0] = {centreX, centreY, cap};
    for (int i = 0; i < rimCount; ++i) top[i + 1] = {rim[i].x, rim[i].y, cap};
    fill(top, rimCount + 1, face);
    SetFaceColor(face);
}

void TKivCanvas3D::ArrowShape(bool filled, TPoint from, TPoint to, int headWidth, int headLength,
                              int z) {
    const double dx = static_cast<double>(to.x) - from.x;
    const double dy = static_cast<double>(from.y) - to.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0 || !target_) return;
    const double head = std::min<double>(RoundPixel(length), headLength);
    const double c = dx / length;
    const double s = dy / length;
    // (u, v) in the frame turned onto the arrow back to the target, projected at z.
    auto map = [&](double u, double v) {
        return ProjectPoint({RoundPixel(u * c + v * s), RoundPixel(v * c - u * s)}, z);
    };
    const double ut = to.x * c - to.y * s;
    const double vt = to.x * s + to.y * c;
    const TPoint barb1 = map(ut - head, vt - headWidth / 2.0);
    const TPoint barb2 = map(ut - head, vt + headWidth / 2.0);
    const TPoint tip = ProjectPoint(to, z);
    if (!filled) {
        const TPoint start = ProjectPoint(from, z);
        SyncPen();
        target_->MoveTo(start.x, start.y);
        target_->LineTo(tip.x, tip.y);
        target_->LineTo(barb2.x, barb2.y);
        target_->MoveTo(tip.x, tip.y);
        target_->LineTo(barb1.x, barb1.y);
        return;
    }
    const double q = headWidth / 4.0;
    const double us = from.x * c - from.y * s;
    const TPoint points[7] = {
        map(us, vt + q), map(us, vt - q),       map(ut - head, vt - q), barb1, tip,
        barb2,           map(ut - head, vt + q)};
    PolygonShape(points, 6);
}

} // namespace kiv
