// TFastLineSeries: one pen line through the points, skipping points that land on the pixel drawn
// last, and new points drawn at once while the series does not repaint the chart.

#include "chart/series/FastLine.h"

#include "chart/engine/AxisPanel.h"
#include "chart/series/LinePen.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>

namespace kiv {

TFastLineSeries::TFastLineSeries() : linePen_([this] { StyleChanged(); }) {
    linePen_.Owner = this;
    singlePointResult_ = false;
    keepPointBeyondEdge_ = true;
}

void TFastLineSeries::SetLinePen(const TChartPen& pen) {
    linePen_.Assign(pen);
    SetSeriesColor(pen.Color());
}

void TFastLineSeries::SetSeriesColor(TColor value) {
    TChartSeries::SetSeriesColor(value);
    linePen_.SetColor(value);
}

void TFastLineSeries::Assign(const TChartSeries& source) {
    if (auto* s = dynamic_cast<const TFastLineSeries*>(&source)) {
        autoRepaint_ = s->autoRepaint_;
        linePen_.Assign(s->linePen_);
    }
    TChartSeries::Assign(source);
}

void TFastLineSeries::PrepareLinePen() {
    UseLinePen(*ParentChart(), linePen_);
    ParentChart()->Canvas().Brush().SetStyle(bsClear);
}

void TFastLineSeries::DrawVisiblePoints() {
    if (!ParentChart()) return;
    PrepareLinePen();
    const int first = FirstVisible(), last = LastVisible();
    // A kind derived from this one may place its points elsewhere: it draws point by point.
    if (typeid(*this) != typeid(TFastLineSeries) || first < 0 || last <= first ||
        !ActiveHorizAxis() || !ActiveVertAxis())
        return TChartSeries::DrawVisiblePoints();
    // Every pixel of the pass in two calls, then the line through those that differ.
    const int n = last - first + 1;
    pixelsX_.resize(size_t(n));
    pixelsY_.resize(size_t(n));
    ActiveHorizAxis()->ValuesToPixels(XValues().RawValues() + first, n, XValues().Multiplier(),
                                      pixelsX_.data());
    ActiveVertAxis()->ValuesToPixels(YValues().RawValues() + first, n, YValues().Multiplier(),
                                     pixelsY_.data());
    DrawPoint(first);
    TKivCanvas3D& canvas = ParentChart()->Canvas();
    const bool is3D = ParentChart()->View3D();
    const int z = MiddleZ();
    int lastX = lastDrawnX_, lastY = lastDrawnY_;
    auto lineTo = [&](int x, int y) {
        if (x == lastX && y == lastY) return;
        if (is3D)
            canvas.LineToPoint3D(x, y, z);
        else
            canvas.LineToPoint(x, y);
        lastX = x;
        lastY = y;
    };
    int k = 1;
    // A solid copy-mode line of up to three pixels sets, within one pixel column, every pixel
    // between the column's highest and lowest point however often it turns there: such a run of
    // points is drawn as its highest, lowest and last point, the same pixels from a handful of
    // segments. Dashes, not-xor and wider pens' joins would show the turns, and the line's last
    // column, whose end pixel stays out, is drawn point by point.
    const TPen& pen = canvas.Pen();
    if (!is3D && pen.Style() == psSolid && pen.Mode() == pmCopy && pen.Width() <= 3) {
        int tail = n - 1;
        while (tail > 0 && pixelsX_[size_t(tail - 1)] == pixelsX_[size_t(n - 1)]) --tail;
        while (k < tail) {
            const int x = pixelsX_[size_t(k)];
            if (x != lastX) {
                lineTo(x, pixelsY_[size_t(k++)]);
                continue;
            }
            int top = lastY, bottom = lastY, end = lastY;
            for (; k < tail && pixelsX_[size_t(k)] == x; ++k) {
                end = pixelsY_[size_t(k)];
                top = std::min(top, end);
                bottom = std::max(bottom, end);
            }
            lineTo(x, top);
            lineTo(x, bottom);
            lineTo(x, end);
        }
    }
    for (; k < n; ++k) lineTo(pixelsX_[size_t(k)], pixelsY_[size_t(k)]);
    lastDrawnX_ = lastX;
    lastDrawnY_ = lastY;
}

void TFastLineSeries::DrawPoint(int index) {
    TCustomAxisPanel& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    const int x = PointScreenX(index), y = PointScreenY(index);
    const bool is3D = chart.View3D();
    if (index != FirstVisible()) {
        // Points on the pixel drawn last add nothing.
        if (x == lastDrawnX_ && y == lastDrawnY_) return;
        if (is3D)
            canvas.LineToPoint3D(x, y, MiddleZ());
        else
            canvas.LineToPoint(x, y);
    } else if (index == 0) {
        if (is3D)
            canvas.MoveToPoint3D(x, y, MiddleZ());
        else
            canvas.MoveToPoint(x, y);
    } else {
        // The line comes in from the point before, outside the visible range.
        const int px = PointScreenX(index - 1), py = PointScreenY(index - 1);
        if (is3D)
            canvas.LineAtDepth(px, py, x, y, MiddleZ());
        else
            canvas.LineSegment(px, py, x, y);
    }
    lastDrawnX_ = x;
    lastDrawnY_ = y;
}

void TFastLineSeries::AppendPoints(const double* x, const double* y, int count) {
    if (autoRepaint_) return TChartSeries::AppendPoints(x, y, count);
    for (int i = 0; i < count; ++i) AppendPoint(x[i], y[i]);
}

void TFastLineSeries::PointAdded(int index) {
    if (autoRepaint_) return TChartSeries::PointAdded(index);
    TCustomAxisPanel* chart = ParentChart();
    if (!chart || !Active()) return;
    TKivCanvas3D& canvas = chart->Canvas();
    // The segment goes into the frame's buffer, so a repaint from it keeps the segment, and is
    // then copied to the window; without a buffer it goes where the last frame went.
    raster::RasterDevice* previous = canvas.Target();
    raster::RasterDevice* target = canvas.Buffer() ? canvas.Buffer() : previous;
    if (!target) return;
    if (target != previous) canvas.AttachCanvas(target);
    const bool clip = chart->ClipPoints() && chart->ClippingAllowed();
    if (clip) canvas.ClipToBox(chart->ChartRect(), 0, chart->DepthWidth());
    canvas.UsePen(linePen_);
    const int p = std::max(index - 1, 0);
    const int px = PointScreenX(p), py = PointScreenY(p);
    if (chart->View3D())
        canvas.MoveToPoint3D(px, py, MiddleZ());
    else
        canvas.MoveToPoint(px, py);
    DrawPoint(index);
    if (clip) canvas.RemoveClipping();

    // The area that changed, in device pixels.
    TPoint a{px, py}, b{PointScreenX(index), PointScreenY(index)};
    if (chart->View3D()) {
        a = canvas.WorldToScreen(a.x, a.y, MiddleZ());
        b = canvas.WorldToScreen(b.x, b.y, MiddleZ());
    }
    const int pad = std::max(linePen_.Width(), 1) + 1;
    TRect area{std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad, std::max(a.x, b.x) + pad,
               std::max(a.y, b.y) + pad};
    area = {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, target->Width()),
            std::min(area.bottom, target->Height())};
    if (target != previous) {
        canvas.AttachCanvas(previous);
        raster::RasterDevice* window = chart->Host() ? chart->Host()->WindowDevice() : nullptr;
        if (window && area.Width() > 0 && area.Height() > 0)
            window->BlockCopy(area.left, area.top, area.Width(), area.Height(), *target, area.left,
                              area.top);
    }
    if (chart->Host() && area.Width() > 0 && area.Height() > 0) chart->Host()->Present(area);
}

void TFastLineSeries::DrawPointMark(int index, const std::string& text,
                                    TSeriesMarkPosition& position) {
    position.BoxTopLeft.y -= Marks().ArrowLength();
    position.ArrowEnd.y -= Marks().ArrowLength();
    TChartSeries::DrawPointMark(index, text, position);
}

void TFastLineSeries::DrawLegendSymbol(int, const TRect& rect) {
    if (!ParentChart()) return;
    PrepareLinePen();
    ParentChart()->Canvas().HorizontalLine(rect.left, rect.right, (rect.top + rect.bottom) / 2);
}

int TFastLineSeries::HitTest(int x, int y) const {
    if (FirstVisible() < 0 || LastVisible() < 0) return -1;
    if (ParentChart()) ParentChart()->Canvas().ScreenToWorld(x, y, MiddleZ());
    const TPoint click{x, y};
    TPoint previous{0, 0};
    for (int i = FirstVisible(); i <= LastVisible(); ++i) {
        const TPoint p{PointScreenX(i), PointScreenY(i)};
        if (p == click) return i;
        if (i > FirstVisible() && PointOnSegment(click, previous, p)) return i - 1;
        previous = p;
    }
    return -1;
}

} // namespace kiv
