// THorizBarSeries: horizontal bars, the vertical ones laid on their side.
#include "chart/series/BarSeries.h"

#include "chart/engine/AxisPanel.h"
#include "chart/engine/SampleRandom.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kiv {

THorizBarSeries::THorizBarSeries() {
    XValues().SetName(KivConst::KivMsg_ValuesBar);
    XValues().SetOrder(loNone);
    YValues().SetOrder(loAscending);
}

int THorizBarSeries::PointScreenX(int index) const {
    return ValueEnd(PointX(index), index);
}

int THorizBarSeries::PointScreenY(int index) const {
    return BarPlace(YToScreen(PointY(index)));
}

void THorizBarSeries::DrawPoint(int index) {
    if (!ParentChart()) return;
    barColor_ = PointColor(index);
    // Null points and values that are not numbers draw no bar.
    if (barColor_ == NoColor || !std::isfinite(PointX(index)) || !std::isfinite(PointY(index)))
        return;
    const int top = ClampToShapeRange(PointScreenY(index));
    barBounds_ = {ClampToShapeRange(OriginPosition(index)), top,
                  ClampToShapeRange(PointScreenX(index)), top + barSize_};
    DrawBar(index, std::min(barBounds_.left, barBounds_.right),
            std::max(barBounds_.left, barBounds_.right));
}

void THorizBarSeries::AddSampleValues(int numValues, TSampleRandom& random) {
    double value = random.Below(1000);
    for (int i = 0; i < numValues; ++i) {
        value = std::fabs(value + random.Below(250) - 125);
        AppendPoint(value, i);
    }
}

void THorizBarSeries::DrawBar(int index, int start, int end) {
    DrawShape(PrepareBar(index), start, end, false);
}

int THorizBarSeries::MarkLength(int index) const {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return 0;
    int lines = 0;
    if (index >= 0) return chart->MeasureMultiLineText(MarkText(index), lines);
    int widest = 0;
    for (int i = 0, n = PointCount(); i < n; ++i)
        widest = std::max(widest, chart->MeasureMultiLineText(MarkText(i), lines));
    return widest;
}

bool THorizBarSeries::PointInBar(int index, TPoint point) const {
    const int y0 = PointScreenY(index);
    if (point.y < y0 || point.y > int64_t(y0) + barSize_) return false;
    int x0 = ClampToShapeRange(PointScreenX(index)), x1 = ClampToShapeRange(OriginPosition(index));
    if (x0 > x1) std::swap(x0, x1);
    const int middle = (2 * y0 + barSize_) / 2;
    switch (BarStyle()) {
    case bsPyramid: {
        const TPoint triangle[3] = {{x0, y0}, {x0, y0 + barSize_}, {x1, middle}};
        return PointInPolygonTest(point, triangle, 3);
    }
    case bsInvPyramid: {
        const TPoint triangle[3] = {{x1, y0}, {x1, y0 + barSize_}, {x0, middle}};
        return PointInPolygonTest(point, triangle, 3);
    }
    case bsEllipse:
        return PointInEllipse(point, {x0, y0, x1, y0 + barSize_});
    default:
        return point.x >= x0 && point.x <= x1;
    }
}

bool THorizBarSeries::DrawsForward() const {
    return !(ActiveVertAxis() && ActiveVertAxis()->Inverted());
}

bool THorizBarSeries::DrawsSeriesForward(int) const {
    const bool stacked = MultiBar() == mbStacked || MultiBar() == mbStacked100;
    return !(stacked && ActiveHorizAxis() && ActiveHorizAxis()->Inverted());
}

void THorizBarSeries::VerticalMargins(int& a, int& b) const {
    TChartSeries::VerticalMargins(a, b);
    ComputeBarSize();
    a += BarMargin();
    b += BarMargin();
}

void THorizBarSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    int space = MarkSpace(-1);
    if (space > 0) ++space;
    if (UseYOrigin() && XValues().LowValue() < YOrigin()) a += space;
    if (!(UseYOrigin() && XValues().HighValue() <= YOrigin())) {
        const bool inverted = ActiveHorizAxis() && ActiveHorizAxis()->Inverted();
        (inverted ? a : b) += space;
    }
}

} // namespace kiv
