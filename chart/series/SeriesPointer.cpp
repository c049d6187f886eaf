// TSeriesPointer: settings, canvas preparation, margins and the pointer shapes.
#include "chart/series/SeriesPointer.h"

#include "chart/KivConst.h"
#include "chart/engine/Series.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>
#include <array>

namespace kiv {

TSeriesPointer::TSeriesPointer(TChartSeries* series)
    : series_(series), brush_([this] { PropertyChanged(); }),
      pen_([series] { series->StyleChanged(); }) {
    pen_.Owner = series;
}

void TSeriesPointer::PropertyChanged() const {
    series_->RequestRepaint();
}

void TSeriesPointer::SetHorizSize(int value) {
    if (value < 1) throw ChartException(KivConst::KivMsg_PointerSize);
    Store(horizSize_, value);
}

void TSeriesPointer::SetVertSize(int value) {
    if (value < 1) throw ChartException(KivConst::KivMsg_PointerSize);
    Store(vertSize_, value);
}

void TSeriesPointer::Assign(const TSeriesPointer& source) {
    if (&source == this) return;
    brush_.Assign(source.brush_);
    dark3D_ = source.dark3D_;
    draw3D_ = source.draw3D_;
    horizSize_ = source.horizSize_;
    inflateMargins_ = source.inflateMargins_;
    pen_.Assign(source.pen_);
    style_ = source.style_;
    vertSize_ = source.vertSize_;
    visible_ = source.visible_;
    PropertyChanged();
}

void TSeriesPointer::PrepareCanvas(TCanvas3D& canvas, TColor color) const {
    canvas.UsePen(pen_);
    if (pen_.Visible() && pen_.Color() == AutoColor) canvas.Pen().SetColor(color);
    canvas.Brush().Assign(brush_);
    if (brush_.Color() == AutoColor) canvas.Brush().SetColor(color);
}

void TSeriesPointer::Margins(int& a, int& b, bool horizontal) const {
    if (!visible_ || !inflateMargins_) return;
    const int need = (horizontal ? horizSize_ : vertSize_) + 1;
    a = std::max(a, need);
    b = std::max(b, need);
}

void TSeriesPointer::DrawShape(TCanvas3D& canvas, bool is3D, int x, int y, int w, int h,
                               TColor color, TSeriesPointerStyle style) const {
    w = std::min(w, MaxValuePixel);
    h = std::min(h, MaxValuePixel);
    const int left = x - w, right = x + w, top = y - h, bottom = y + h;
    const int z0 = series_->StartZ(), z1 = series_->EndZ();
    auto cross = [&] {
        canvas.Pen().SetColor(color);
        if (is3D) {
            canvas.VerticalLine3D(x, top, bottom + 1, z0);
            canvas.HorizontalLine3D(left, right + 1, y, z0);
        } else {
            canvas.VerticalLine(x, top, bottom + 1);
            canvas.HorizontalLine(left, right + 1, y);
        }
    };
    auto diagonalCross = [&] {
        canvas.Pen().SetColor(color);
        if (is3D) {
            canvas.LineAtDepth(left, top, right + 1, bottom + 1, z0);
            canvas.LineAtDepth(right, top, left - 1, bottom + 1, z0);
        } else {
            canvas.LineSegment(left, top, right + 1, bottom + 1);
            canvas.LineSegment(right, top, left - 1, bottom + 1);
        }
    };
    auto triangle = [&](int baseY, int apexY) {
        if (is3D && draw3D_) {
            canvas.PyramidShape(true, left, apexY, right, baseY, z0, z1, dark3D_);
        } else if (is3D) {
            canvas.TriangleAtDepth({left, baseY}, {right, baseY}, {x, apexY}, z0);
        } else {
            const TPoint points[3] = {{left, baseY}, {right, baseY}, {x, apexY}};
            canvas.PolygonShape(points, 2);
        }
    };

    switch (style) {
    case psRectangle:
        if (is3D && draw3D_)
            canvas.BoxShape(left, right, top, bottom, z0, z1, dark3D_);
        else if (is3D)
            canvas.RectangleAtDepth({left, top, right + 1, bottom + 1}, z0);
        else
            canvas.RectangleShape(left, top, right + 1, bottom + 1);
        break;
    case psCircle:
        if (is3D)
            canvas.EllipseAtDepth(left, top, right, bottom, z0);
        else
            canvas.EllipseShape(left, top, right, bottom);
        break;
    case psTriangle:
        triangle(bottom, top);
        break;
    case psDownTriangle:
        triangle(top, bottom);
        break;
    case psCross:
        cross();
        break;
    case psDiagCross:
        diagonalCross();
        break;
    case psStar:
        cross();
        diagonalCross();
        break;
    case psDiamond: {
        const std::array<TPoint, 4> points = {{{left, y}, {x, top}, {right, y}, {x, bottom}}};
        if (is3D)
            canvas.QuadAtDepth(points, z0);
        else
            canvas.PolygonShape(points.data(), 3);
        break;
    }
    case psSmallDot:
        if (is3D)
            canvas.PlotPixel3D(x, y, series_->MiddleZ(), color);
        else
            canvas.PlotPixel(x, y, color);
        break;
    }
}

void TSeriesPointer::DrawLegendShape(TCanvas3D& canvas, TColor color, const TRect& rect,
                                     bool withLine) const {
    PrepareCanvas(canvas, color);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int limitX = withLine ? width / 3 : width / 2 + 1;
    const int limitY = withLine ? height / 3 : height / 2 + 1;
    DrawShape(canvas, false, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2,
              std::min(horizSize_, limitX), std::min(vertSize_, limitY), color, style_);
}

} // namespace kiv
