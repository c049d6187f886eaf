// Pixel geometry the series share: the coordinate range shapes are drawn in, and the tests
// behind their click tests.
#pragma once

#include "chart/canvas/Geometry.h"
#include "chart/canvas/Rounding.h"

#include <algorithm>

namespace kiv {

// Shapes that reach past the pixels of values (a bar's offset, a custom size) are cut where
// those are.
inline int ClampToShapeRange(int v) {
    return std::clamp(v, -MaxValuePixel, MaxValuePixel);
}

// Whether pixel lies on the line from p to q: less than a pixel across it and not beyond
// either end.
bool PointOnSegment(TPoint pixel, TPoint p, TPoint q);
// Even-odd test of pixel against the closed polygon of count points.
bool PointInPolygonTest(TPoint pixel, const TPoint* points, int count);
// Whether pixel lies in the ellipse inscribed in rect (never in a flat one).
bool PointInEllipse(TPoint pixel, const TRect& rect);

} // namespace kiv
