// Pixel tests behind the series' click tests.
#include "chart/series/SeriesGeometry.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace kiv {

bool PointOnSegment(TPoint pixel, TPoint p, TPoint q) {
    const int64_t m = std::max(std::abs(int64_t(q.x) - p.x), std::abs(int64_t(q.y) - p.y));
    const int64_t c = (int64_t(pixel.x) - p.x) * (int64_t(q.y) - p.y) -
                      (int64_t(pixel.y) - p.y) * (int64_t(q.x) - p.x);
    if (std::abs(c) >= m) return false;
    // Beyond an end: that end lies strictly between the pixel and the other end.
    auto beyond = [](int other, int end, int at) {
        return (other < end && end < at) || (at < end && end < other);
    };
    return !beyond(q.x, p.x, pixel.x) && !beyond(q.y, p.y, pixel.y) && !beyond(p.x, q.x, pixel.x) &&
           !beyond(p.y, q.y, pixel.y);
}

bool PointInPolygonTest(TPoint pixel, const TPoint* points, int count) {
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const TPoint a = points[j], b = points[i];
        if ((pixel.y >= a.y && pixel.y < b.y) || (pixel.y >= b.y && pixel.y < a.y)) {
            const double edgeX = a.x + double(int64_t(pixel.y) - a.y) * (int64_t(b.x) - a.x) /
                                           double(int64_t(b.y) - a.y);
            if (pixel.x < edgeX) inside = !inside;
        }
    }
    return inside;
}

bool PointInEllipse(TPoint pixel, const TRect& rect) {
    const double a = (int64_t(rect.right) - rect.left) / 2;
    const double b = (int64_t(rect.bottom) - rect.top) / 2;
    if (a == 0 || b == 0) return false;
    const double dx = pixel.x - HalfSum(rect.left, rect.right);
    const double dy = pixel.y - HalfSum(rect.top, rect.bottom);
    return dx * dx / (a * a) + dy * dy / (b * b) <= 1;
}

} // namespace kiv
