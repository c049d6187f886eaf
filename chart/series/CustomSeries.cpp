// TCustomSeries: drawing connected points point by point, with the state carried between them.
#include "chart/series/CustomSeries.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"
#include "chart/series/LinePen.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kiv {

namespace {

// Points further out than this are not drawn (the range every raster back end takes).
constexpr int MaxScreenCoordinate = 32766;

bool OnScreen(int x, int y) {
    return x >= -MaxScreenCoordinate && x <= MaxScreenCoordinate && y >= -MaxScreenCoordinate &&
           y <= MaxScreenCoordinate;
}

// Draws with a brush darkened for a shaded face, then restores the colour.
template <class Draw> void Shaded(TCanvas3D& canvas, bool dark, int amount, Draw draw) {
    if (!dark) {
        draw();
        return;
    }
    const TColor saved = canvas.Brush().Color();
    canvas.Brush().SetColor(DarkenColor(saved, amount));
    draw();
    canvas.Brush().SetColor(saved);
}

} // namespace

TCustomSeries::TCustomSeries()
    : areaLinesPen_([this] { StyleChanged(); }), linePen_([this] { StyleChanged(); }),
      pointer_(std::make_unique<TSeriesPointer>(this)) {
    areaLinesPen_.Owner = this;
    linePen_.Owner = this;
}

TCustomSeries::~TCustomSeries() = default;

void TCustomSeries::Assign(const TChartSeries& source) {
    if (const auto* s = dynamic_cast<const TCustomSeries*>(&source); s && s != this) {
        areaBrush_ = s->areaBrush_;
        areaColor_ = s->areaColor_;
        areaLinesPen_.Assign(s->areaLinesPen_);
        dark3D_ = s->dark3D_;
        drawArea_ = s->drawArea_;
        drawLine_ = s->drawLine_;
        invertedStairs_ = s->invertedStairs_;
        lineBrush_ = s->lineBrush_;
        lineHeight_ = s->lineHeight_;
        linePen_.Assign(s->linePen_);
        pointer_->Assign(*s->pointer_);
        stairs_ = s->stairs_;
    }
    TChartSeries::Assign(source);
}

bool TCustomSeries::Is3D() const {
    return ParentChart() && ParentChart()->View3D();
}

TColor TCustomSeries::AreaColorOf(TColor pointColor) const {
    return ColorEachPoint() || areaColor_ == AutoColor ? pointColor : areaColor_;
}

int TCustomSeries::AreaBottom(int) const {
    return ActiveVertAxis() ? ActiveVertAxis()->EndPixel() : 0;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TCustomSeries::FireBeforeDrawValues() {
    previousColour_ = NoColor;
    pendingIndex_ = -1;
    TChartSeries::FireBeforeDrawValues();
}

void TCustomSeries::DrawPoint(int index) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return;
    const TColor color = PointColor(index);
    const int x = PointScreenX(index), y = PointScreenY(index);
    const bool isLast = index == LastVisible();
    if (index == FirstVisible()) pendingIndex_ = -1;
    // NaN and infinite values have no place on the screen.
    if (!OnScreen(x, y) || !std::isfinite(PointX(index)) || !std::isfinite(PointY(index))) {
        previousColour_ = color;
        // The pointer still owed to the last drawn point is not lost with the pass's end.
        if (isLast && pendingIndex_ >= 0 && pendingColour_ != NoColor && pointer_->Visible())
            DrawPointer(pendingPointer_.x, pendingPointer_.y, pendingIndex_, pendingColour_);
        return;
    }

    TCanvas3D& canvas = chart->Canvas();
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetColor(color);
    // No segment leads out of a null point.
    if (previousColour_ == NoColor) previousPoint_ = {x, y};
    bottomPos_ = ClampToShapeRange(AreaBottom(index));

    if (index == FirstVisible()) {
        const int depth = chart->SeriesDepthWidth();
        depthRatio_ = depth != 0 ? std::fabs(double(chart->SeriesDepthHeight()) / depth) : 1.0;
        if (index > 0) {
            // The line enters the plot at its edge instead of starting at this point.
            previousPoint_ = LeadInPoint(index);
            if (drawArea_) {
                const TPoint before{PointScreenX(index - 1), PointScreenY(index - 1)};
                if (OnScreen(before.x, before.y)) previousPoint_ = before;
                previousBottom_ = ClampToShapeRange(AreaBottom(index - 1));
            }
            if (!IsNullPoint(index - 1)) DrawSegmentTo(x, y, index, color, isLast, false);
        }
        // A single visible point still shows its pointer.
        if (isLast && pointer_->Visible() && color != NoColor) DrawPointer(x, y, index, color);
    } else {
        DrawSegmentTo(x, y, index, color, isLast, true);
    }

    previousPoint_ = {x, y};
    previousBottom_ = bottomPos_;
    previousColour_ = color;
    pendingPointer_ = {x, y};
    pendingIndex_ = index;
    pendingColour_ = color;
}

TPoint TCustomSeries::LeadInPoint(int index) const {
    const TRect& r = ParentChart()->ChartRect();
    const TCustomChartAxis* horiz = ActiveHorizAxis();
    const int edge = horiz && horiz->Inverted() ? r.right : r.left;
    const double x0 = PointX(index - 1), x1 = PointX(index);
    if (stairs_ || x0 == x1) return {edge, PointScreenY(index - 1)};
    const double y0 = PointY(index - 1), y1 = PointY(index);
    const double atEdge = y0 + (y1 - y0) * (ScreenToX(edge) - x0) / (x1 - x0);
    return {edge, YToScreen(atEdge)};
}

void TCustomSeries::DrawSegmentTo(int x, int y, int index, TColor color, bool isLast,
                                  bool withPointers) {
    TCanvas3D& canvas = ParentChart()->Canvas();
    if ((x != previousPoint_.x || y != previousPoint_.y) && color != NoColor) {
        const bool is3D = Is3D();
        if (is3D && (drawArea_ || (drawLine_ && lineBrush_ != bsClear)))
            DrawBand(canvas, x, y, AreaColorOf(color));
        if (drawArea_)
            DrawAreaBelow(canvas, x, y, color, isLast);
        else if (!is3D && drawLine_)
            DrawLine(canvas, x, y, color);
    }
    // Each pointer comes after both segments that touch it, so it lies on top of the line.
    if (withPointers && pointer_->Visible()) {
        if (pendingIndex_ >= 0 && pendingColour_ != NoColor)
            DrawPointer(pendingPointer_.x, pendingPointer_.y, pendingIndex_, pendingColour_);
        if (isLast && color != NoColor) DrawPointer(x, y, index, color);
    }
}

void TCustomSeries::DrawBand(TCanvas3D& canvas, int x, int y, TColor areaColor) {
    canvas.UsePen(linePen_);
    ParentChart()->SetCanvasBrush(areaColor, lineBrush_, SeriesColor());
    const int z0 = StartZ(), z1 = EndZ();
    const TPoint prev = previousPoint_;
    if (stairs_) {
        // The step's upper face looks up and is shaded.
        auto step = [&](int left, int right, int level) {
            Shaded(canvas, dark3D_, 64,
                   [&] { canvas.HorizontalPlane(left, right, level, z0, z1); });
        };
        if (invertedStairs_) {
            canvas.DepthPlane(prev.x, prev.y, y, z0, z1);
            step(prev.x, x, y);
        } else {
            step(prev.x, x, prev.y);
            canvas.DepthPlane(x, prev.y, y, z0, z1);
        }
        return;
    }
    if (lineHeight_ > 0 && !drawArea_)
        canvas.QuadAtDepth({{prev, {x, y}, {x, y + lineHeight_}, {prev.x, prev.y + lineHeight_}}},
                           z0);
    bool dark = false;
    if (dark3D_) {
        const double slope = x != prev.x  ? double(prev.y - y) / (x - prev.x)
                             : prev.y > y ? std::numeric_limits<double>::infinity()
                                          : -std::numeric_limits<double>::infinity();
        dark = slope > depthRatio_;
    }
    Shaded(canvas, dark, 64, [&] {
        canvas.QuadBetweenDepths({{prev, {x, y}, {x, y}, prev}}, z0, z1);
    });
}

void TCustomSeries::DrawAreaBelow(TCanvas3D& canvas, int x, int y, TColor color, bool isLast) {
    const TColor areaColor = AreaColorOf(color);
    canvas.Brush().SetColor(areaColor);
    canvas.UsePen(areaLinesPen_);
    if (areaLinesPen_.Color() == AutoColor || !areaLinesPen_.Visible())
        canvas.Pen().SetColor(color);
    ParentChart()->SetCanvasBrush(areaColor, areaBrush_, SeriesColor());
    const TPoint prev = previousPoint_;
    const int z0 = StartZ();
    if (stairs_) {
        const int level = invertedStairs_ ? y : prev.y;
        if (Is3D())
            canvas.RectangleAtDepth({prev.x, level, x + 1, bottomPos_}, z0);
        else
            canvas.RectangleShape(prev.x, level, x + 1, bottomPos_);
        return;
    }
    canvas.QuadAtDepth({{prev, {x, y}, {x, bottomPos_}, {prev.x, previousBottom_}}}, z0);
    if (Is3D() && isLast) canvas.DepthPlane(x, y, bottomPos_, z0, EndZ());
}

void TCustomSeries::DrawLine(TCanvas3D& canvas, int x, int y, TColor color) {
    // Only the pen's width, style and visibility count: the line has the point's colour.
    UseLinePen(*ParentChart(), linePen_);
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(color);
    const TPoint prev = previousPoint_;
    if (!stairs_) {
        canvas.LineSegment(prev.x, prev.y, x, y);
    } else {
        if (invertedStairs_)
            canvas.VerticalLine(prev.x, prev.y, y);
        else
            canvas.HorizontalLine(prev.x, x, prev.y);
        canvas.LineToPoint(x, y);
    }
}

void TCustomSeries::DrawPointer(int x, int y, int index, TColor color) {
    TCanvas3D& canvas = ParentChart()->Canvas();
    pointer_->PrepareCanvas(canvas, color);
    const TSeriesPointerStyle style =
        OnGetPointerStyle ? OnGetPointerStyle(this, index) : pointer_->Style();
    pointer_->DrawShape(canvas, Is3D(), x, y, pointer_->HorizSize(), pointer_->VertSize(), color,
                        style);
}

// ---------------------------------------------------------------------------------------------
// Legend and margins

void TCustomSeries::PrepareLegendBrush(int, TColor& background, TBrushStyle& style) {
    if (!ParentChart()) return;
    TCanvas3D& canvas = ParentChart()->Canvas();
    if (drawArea_) {
        background = AreaColorOf(canvas.Brush().Color());
        canvas.UsePen(areaLinesPen_);
        style = areaBrush_;
    } else {
        canvas.UsePen(linePen_);
        style = lineBrush_;
    }
}

void TCustomSeries::DrawLegendSymbol(int index, const TRect& rect) {
    if (!ParentChart()) return;
    TCanvas3D& canvas = ParentChart()->Canvas();
    const TColor color = index == -1 ? SeriesColor() : PointColor(index);
    const int middle = HalfSum(rect.top, rect.bottom);
    if (pointer_->Visible()) {
        if (drawLine_) {
            canvas.UsePen(linePen_);
            canvas.Pen().SetColor(color);
            canvas.HorizontalLine(rect.left, rect.right, middle);
        }
        pointer_->DrawLegendShape(canvas, color, rect, linePen_.Visible());
    } else if (!drawLine_ || drawArea_) {
        TChartSeries::DrawLegendSymbol(index, rect);
    } else if (Is3D()) {
        canvas.FramedRectangle(rect);
    } else {
        canvas.Pen().SetColor(color);
        canvas.HorizontalLine(rect.left, rect.right, middle);
    }
}

void TCustomSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    pointer_->Margins(a, b, true);
    if (stairs_ && drawLine_) {
        a = std::max(a, linePen_.Width());
        b = std::max(b, linePen_.Width());
    }
}

void TCustomSeries::VerticalMargins(int& a, int& b) const {
    TChartSeries::VerticalMargins(a, b);
    pointer_->Margins(a, b, false);
    if (stairs_ && drawLine_) {
        a = std::max(a, linePen_.Width());
        b = std::max(b, linePen_.Width() + 1);
    }
    if (lineHeight_ > 0 && !drawArea_) b = std::max(b, lineHeight_);
}

// ---------------------------------------------------------------------------------------------
// Clicks

bool TCustomSeries::PointerHit(int, int pointerX, int pointerY, int x, int y) const {
    return std::abs(int64_t(pointerX) - x) < pointer_->HorizSize() &&
           std::abs(int64_t(pointerY) - y) < pointer_->VertSize();
}

int TCustomSeries::HitTest(int x, int y) const {
    if (ParentChart()) ParentChart()->Canvas().ScreenToWorld(x, y, StartZ());
    const int base = TChartSeries::HitTest(x, y);
    if (base != -1 || FirstVisible() < 0 || LastVisible() < 0) return base;
    const TPoint click{x, y};
    const bool is3D = Is3D();
    const int depth = EndZ() - StartZ();
    TPoint prev;
    for (int i = FirstVisible(); i <= LastVisible() && i < PointCount(); ++i) {
        const TPoint p{ClampToShapeRange(PointScreenX(i)), ClampToShapeRange(PointScreenY(i))};
        if (pointer_->Visible() && PointerHit(i, p.x, p.y, x, y)) {
            if (OnClickPointer) OnClickPointer(const_cast<TCustomSeries*>(this), i, x, y);
            return i;
        }
        if (p.x == x && p.y == y) return i;
        if (i > FirstVisible() && clickableLine_) {
            bool onLine;
            if (is3D) {
                // The segment extruded through the series' depth.
                const TPoint band[4] = {
                    prev, p, {p.x + depth, p.y - depth}, {prev.x + depth, prev.y - depth}};
                onLine = PointInPolygonTest(click, band, 4);
            } else if (stairs_) {
                const TPoint corner = invertedStairs_ ? TPoint{prev.x, p.y} : TPoint{p.x, prev.y};
                onLine = PointOnSegment(click, prev, corner) || PointOnSegment(click, corner, p);
            } else {
                onLine = PointOnSegment(click, prev, p);
            }
            if (onLine) return i - 1;
            if (drawArea_) {
                const TPoint area[4] = {prev, p, {p.x, AreaBottom(i)}, {prev.x, AreaBottom(i - 1)}};
                if (PointInPolygonTest(click, area, 4)) return i - 1;
            }
        }
        prev = p;
    }
    return -1;
}

} // namespace kiv
