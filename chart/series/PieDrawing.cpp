// TPieSeries: drawing the slices in 2D and 3D, the marks around the rim, and clicks.

#include "chart/series/Pie.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>

namespace kiv {

namespace {

constexpr double Pi = std::numbers::pi;

int ClampInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

TPoint TPieSeries::ExplodedRadii(int index) const {
    const double f = 1 + explodedSlice_.Value(index) * 0.01;
    return {RoundPixel(RadiusX() * f), RoundPixel(RadiusY() * f)};
}

TPoint TPieSeries::ExplodeShift(int index) const {
    const int e = explodedSlice_.Value(index);
    if (!hasExplodedSlice_ || e <= 0 || index >= int(angles_.size())) return {0, 0};
    double a = angles_[size_t(index)].MidAngle;
    if (ParentChart() && ParentChart()->Canvas().RendersDepthNatively()) a += Pi / 2 + Pi;
    a += RotationRadians();
    return {RoundPixel(std::cos(a) * RadiusX() * e * 0.01),
            RoundPixel(std::sin(a) * RadiusY() * e * 0.01)};
}

double TPieSeries::BackDistance(int index) const {
    double a = angles_[size_t(index)].MidAngle + RotationRadians();
    if (a > 2 * Pi) a -= 2 * Pi;
    if (a <= Pi / 2) return Pi / 2 - a;
    const double d = a - Pi / 2;
    return d <= Pi ? d : 2 * Pi - d;
}

void TPieSeries::DrawVisiblePoints() {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return;
    if (explodeBiggest_ > 0) {
        // The entry may change under a frame being drawn; this frame already shows it.
        const bool was = chart->AutoRepaint();
        chart->SetAutoRepaint(false);
        ApplyExplodeBiggest();
        chart->SetAutoRepaint(was);
    }
    const int n = PointCount();
    int m = -1, best = 0;
    for (int i = 0; i < n; ++i)
        if (explodedSlice_.Value(i) > best) {
            best = explodedSlice_.Value(i);
            m = i;
        }
    ComputeSliceAngles();
    hasExplodedSlice_ = m != -1;
    if (hasExplodedSlice_) {
        // The circle shrinks so that the slice pulled out furthest stays inside.
        const TPoint shift = ExplodeShift(m);
        const std::int64_t dx = std::abs(std::int64_t(shift.x)) / 2;
        const std::int64_t dy = std::abs(std::int64_t(shift.y)) / 2;
        const TRect& r = CircleBounds();
        SetCircleBounds({ClampInt(r.left + dx), ClampInt(r.top + dy), ClampInt(r.right - dx),
                         ClampInt(r.bottom - dy)});
        NormalizeCircle();
        UpdateRadii();
    }
    arcStart_ = PolarToScreen(0, RadiusX(), RadiusY());
    if (chart->View3D() && hasExplodedSlice_ && !chart->Canvas().RendersDepthNatively()) {
        // Slices whose middle points away from the viewer go first.
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return BackDistance(a) < BackDistance(b); });
        for (int i : order) DrawPoint(i);
    } else {
        TCircledSeries::DrawVisiblePoints();
    }
}

void TPieSeries::DrawPoint(int index) {
    if (CircleSizeX() < 5 || CircleSizeY() < 5 || InOtherSlice(index)) return;
    if (index >= int(angles_.size())) return;
    ParentChart()->SetCanvasBrush(PointColor(index),
                                  usePatterns_ ? PatternForIndex(index) : bsSolid,
                                  EffectiveCircleBackColor());
    DrawSlice(index);
}

void TPieSeries::DrawSlice(int index) {
    TCustomAxisPanel& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    canvas.UsePen(piePen_);
    const TPoint shift = ExplodeShift(index);
    const TPieAngle& a = angles_[size_t(index)];
    if (chart.View3D()) {
        canvas.PieSlice3D(ClampInt(std::int64_t(CircleCentreX()) + shift.x),
                          ClampInt(std::int64_t(CircleCentreY()) - shift.y), RadiusX(), RadiusY(),
                          StartZ(), EndZ(), a.FromAngle + RotationRadians(),
                          a.ToAngle + RotationRadians(), dark3D_, hasExplodedSlice_);
        return;
    }
    const TPoint arcEnd = PolarToScreen(a.ToAngle, RadiusX(), RadiusY());
    const int n = PointCount();
    if (arcEnd != arcStart_ || n == 1 || (n > 1 && a.ToAngle - a.FromAngle > 1)) {
        const TRect& b = CircleBounds();
        auto x = [&](int v) { return ClampInt(std::int64_t(v) + shift.x); };
        auto y = [&](int v) { return ClampInt(std::int64_t(v) - shift.y); };
        canvas.PieShape(x(b.left), y(b.top), x(b.right), y(b.bottom), x(arcStart_.x),
                        y(arcStart_.y), x(arcEnd.x), y(arcEnd.y));
        arcStart_ = arcEnd;
    }
}

void TPieSeries::DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart || InOtherSlice(index) || index >= int(angles_.size())) return;
    const TPoint r = ExplodedRadii(index);
    double a = angles_[size_t(index)].MidAngle;
    if (chart->Canvas().RendersDepthNatively()) {
        a += Pi + Pi / 2;
        Marks().SetMarkDepth(StartZ());
    } else {
        Marks().SetMarkDepth(EndZ());
    }
    int lines = 0;
    const double w = chart->MeasureMultiLineText("W", lines);
    const double h = chart->FontHeight();
    const double arrow = Marks().ArrowLength();
    position.ArrowEnd = PolarToScreen(a, r.x + w + arrow, r.y + h + arrow);
    position.ArrowStart = PolarToScreen(a, r.x, r.y);
    const TPoint end = position.ArrowEnd;
    position.BoxTopLeft.x = end.x > CircleCentreX() ? end.x : end.x - position.BoxWidth;
    position.BoxTopLeft.y = end.y > CircleCentreY() ? end.y : end.y - position.BoxHeight;
    TCircledSeries::DrawPointMark(index, text, position);
}

int TPieSeries::HitTest(int x, int y) const {
    const int index = TCircledSeries::HitTest(x, y);
    return index != -1 ? index : SliceAt(x, y);
}

int TPieSeries::SliceAt(int x, int y) const {
    if (ParentChart()) ParentChart()->Canvas().ScreenToWorld(x, y, 0);
    const double a = ScreenToAngle(x, y);
    const std::int64_t dx = std::abs(std::int64_t(x) - CircleCentreX());
    const std::int64_t dy = std::abs(std::int64_t(y) - CircleCentreY());
    const int n = std::min(PointCount(), int(angles_.size()));
    for (int i = 0; i < n; ++i) {
        const TPoint shift = ExplodeShift(i);
        const TPieAngle& s = angles_[size_t(i)];
        if (dx < std::int64_t(RadiusX()) + shift.x && dy < std::int64_t(RadiusY()) + shift.y &&
            s.FromAngle <= a && a <= s.ToAngle)
            return i;
    }
    return -1;
}

} // namespace kiv
