// TBarSeries: vertical bars.
#include "chart/series/BarSeries.h"

#include "chart/engine/AxisPanel.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kiv {

TBarSeries::TBarSeries() {
    YValues().SetName(KivConst::KivMsg_ValuesBar);
    YValues().SetOrder(loNone);
}

int TBarSeries::PointScreenX(int index) const {
    return BarPlace(XToScreen(PointX(index)));
}

int TBarSeries::PointScreenY(int index) const {
    return ValueEnd(PointY(index), index);
}

void TBarSeries::DrawPoint(int index) {
    if (!ParentChart()) return;
    barColor_ = PointColor(index);
    // Null points and values that are not numbers draw no bar.
    if (barColor_ == NoColor || !std::isfinite(PointX(index)) || !std::isfinite(PointY(index)))
        return;
    const int left = ClampToShapeRange(PointScreenX(index));
    barBounds_ = {left, ClampToShapeRange(PointScreenY(index)), left + barSize_,
                  ClampToShapeRange(OriginPosition(index))};
    DrawBar(index, std::min(barBounds_.top, barBounds_.bottom),
            std::max(barBounds_.top, barBounds_.bottom));
}

void TBarSeries::DrawBar(int index, int start, int end) {
    DrawShape(PrepareBar(index), start, end, true);
}

int TBarSeries::MarkLength(int) const {
    return ParentChart() ? ParentChart()->Canvas().MeasureFontHeight() : 0;
}

bool TBarSeries::PointInBar(int index, TPoint point) const {
    const int x0 = PointScreenX(index);
    if (point.x < x0 || point.x > int64_t(x0) + barSize_) return false;
    int y0 = ClampToShapeRange(PointScreenY(index)), y1 = ClampToShapeRange(OriginPosition(index));
    if (y0 > y1) std::swap(y0, y1);
    switch (BarStyle()) {
    case bsPyramid: {
        const TPoint triangle[3] = {{x0, y1}, {x0 + barSize_, y1}, {(2 * x0 + barSize_) / 2, y0}};
        return PointInPolygonTest(point, triangle, 3);
    }
    case bsInvPyramid: {
        const TPoint triangle[3] = {{x0, y0}, {x0 + barSize_, y0}, {(2 * x0 + barSize_) / 2, y1}};
        return PointInPolygonTest(point, triangle, 3);
    }
    case bsEllipse:
        return PointInEllipse(point, {x0, y0, x0 + barSize_, y1});
    default:
        return point.y >= y0 && point.y <= y1;
    }
}

bool TBarSeries::DrawsForward() const {
    return !(ActiveHorizAxis() && ActiveHorizAxis()->Inverted());
}

bool TBarSeries::DrawsSeriesForward(int) const {
    const bool stacked = MultiBar() == mbStacked || MultiBar() == mbStacked100;
    return !(stacked && ActiveVertAxis() && ActiveVertAxis()->Inverted());
}

void TBarSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    ComputeBarSize();
    a += BarMargin();
    b += BarMargin();
}

void TBarSeries::VerticalMargins(int& a, int& b) const {
    TChartSeries::VerticalMargins(a, b);
    const int space = MarkSpace(-1);
    if (space <= 0) return;
    const bool inverted = ActiveVertAxis() && ActiveVertAxis()->Inverted();
    // Marks stand beyond the value end: below bars that grow downwards, above the others.
    if (UseYOrigin() && YValues().LowValue() < YOrigin()) (inverted ? a : b) += space + 1;
    if (!(UseYOrigin() && YValues().HighValue() <= YOrigin())) (inverted ? b : a) += space + 1;
}

} // namespace kiv
