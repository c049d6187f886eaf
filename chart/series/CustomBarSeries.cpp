// TCustomBarSeries: what vertical and horizontal bars share: settings, bar size, placement beside
// and on top of the other bars of their kind, origins, shapes, margins and copies.
#include "chart/series/BarSeries.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"
#include "chart/series/SeriesGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace kiv {

TCustomBarSeries::TCustomBarSeries()
    : barBrush_([this] { StyleChanged(); }), barPen_([this] { StyleChanged(); }) {
    barPen_.Owner = this;
    Marks().SetVisible(true);
    Marks().SetArrowLength(20);
}

TCustomBarSeries::~TCustomBarSeries() = default;

void TCustomBarSeries::Assign(const TChartSeries& source) {
    if (const auto* s = dynamic_cast<const TCustomBarSeries*>(&source); s && s != this) {
        autoMarkPosition_ = s->autoMarkPosition_;
        barWidthPercent_ = s->barWidthPercent_;
        barStyle_ = s->barStyle_;
        barPen_.Assign(s->barPen_);
        barBrush_.Assign(s->barBrush_);
        customBarSize_ = s->customBarSize_;
        dark3D_ = s->dark3D_;
        multiBar_ = s->multiBar_;
        offsetPercent_ = s->offsetPercent_;
        yOrigin_ = s->yOrigin_;
        sideMargins_ = s->sideMargins_;
        useYOrigin_ = s->useYOrigin_;
    }
    TChartSeries::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomBarSeries::SetBarWidthPercent(int value) {
    if (value < 1 || value > 100) throw BarException(KivConst::KivMsg_BarWidthPercent);
    Store(barWidthPercent_, value);
}

void TCustomBarSeries::SetOffsetPercent(int value) {
    if (value < -100 || value > 100) throw BarException(KivConst::KivMsg_BarOffsetPercent);
    Store(offsetPercent_, value);
}

void TCustomBarSeries::SetMultiBar(TMultiBar value) {
    if (multiBar_ == value) return;
    multiBar_ = value;
    if (ParentChart())
        for (TChartSeries* s : ParentChart()->SeriesList())
            if (auto* bar = dynamic_cast<TCustomBarSeries*>(s); bar && SameKind(*bar))
                bar->multiBar_ = value;
    RequestRepaint();
}

void TCustomBarSeries::SetSideMargins(bool value) {
    Store(sideMargins_, value);
    if (ParentChart())
        for (TChartSeries* s : ParentChart()->SeriesList())
            if (auto* bar = dynamic_cast<TCustomBarSeries*>(s); bar && SameKind(*bar))
                bar->sideMargins_ = value;
}

// ---------------------------------------------------------------------------------------------
// Size and place

int TCustomBarSeries::SideBySideCount() const {
    if (multiBar_ != mbSide || !ParentChart()) return 1;
    int count = 0;
    for (const TChartSeries* s : ParentChart()->SeriesList())
        if (s->Active() && SameKind(*s)) ++count;
    return count;
}

int TCustomBarSeries::SideBySideIndex() const {
    int index = 1;
    if (ParentChart())
        for (const TChartSeries* s : ParentChart()->SeriesList()) {
            if (s == this) break;
            if (s->Active() && SameKind(*s)) ++index;
        }
    return index;
}

int TCustomBarSeries::BarWidthInPixels() const {
    if (customBarSize_ != 0) return ClampToShapeRange(customBarSize_);
    int count = PointCount();
    int n = 1;
    if (const TCustomAxisPanel* chart = ParentChart()) {
        if (multiBar_ == mbSide) {
            count = -1;
            for (const TChartSeries* s : chart->SeriesList())
                if (s->Active() && SameKind(*s)) count = std::max(count, s->PointCount());
            n = SideBySideCount();
        }
        if (chart->MaxPointsPerPage() > 0) count = chart->MaxPointsPerPage();
    }
    const TCustomChartAxis* axis = BarAxis();
    if (count <= 0 || n == 0 || !axis) return 0;
    if (sideMargins_) ++count;
    int slot;
    if (autoBarSize_) {
        const double span = axis->Maximum() + 2 - axis->Minimum();
        slot = span != 0 ? RoundPixel(axis->PixelSize() / span) : 0;
    } else {
        slot = axis->PixelSize() / count;
    }
    int size = RoundPixel(barWidthPercent_ * 0.01 * slot) / n;
    // Even sizes split evenly about the point.
    if (size > 0 && size % 2 == 1) ++size;
    return size;
}

void TCustomBarSeries::AddBarMargins(int& a, int& b) const {
    barSize_ = BarWidthInPixels();
    a += BarMargin();
    b += BarMargin();
}

int TCustomBarSeries::BarMargin() const {
    const int side = SideBySideCount() * barSize_;
    return sideMargins_ ? side : side / 2;
}

int TCustomBarSeries::BarPlace(int pixel) const {
    int64_t p = pixel;
    if (multiBar_ == mbSide) {
        // Vertical bars stand left to right in list order, horizontal ones bottom to top.
        const double slot = IsYPrimary() ? SideBySideIndex() - SideBySideCount() * 0.5 - 1
                                         : SideBySideCount() * 0.5 - SideBySideIndex();
        p += RoundPixel(slot * barSize_);
    } else {
        p -= barSize_ / 2;
    }
    if (offsetPercent_ != 0) p += RoundPixel(offsetPercent_ * barSize_ * 0.01);
    return int(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
}

double TCustomBarSeries::StackedOrigin(int index, bool sumAll) const {
    if (multiBar_ == mbStacked || multiBar_ == mbStacked100)
        return TChartSeries::StackedOrigin(index, sumAll);
    return yOrigin_;
}

TCustomChartAxis* TCustomBarSeries::ValueAxis() const {
    return IsYPrimary() ? ActiveVertAxis() : ActiveHorizAxis();
}

int TCustomBarSeries::ValueEnd(double value, int index) const {
    switch (multiBar_) {
    case mbStacked:
        return ValueToScreen(value + StackedOrigin(index, false));
    case mbStacked100: {
        const double total = StackedOrigin(index, true);
        return total == 0 ? 0 : ValueToScreen((value + StackedOrigin(index, false)) * 100 / total);
    }
    default:
        return ValueToScreen(value);
    }
}

int TCustomBarSeries::OriginPosition(int index) const {
    switch (multiBar_) {
    case mbStacked:
        return ValueToScreen(StackedOrigin(index, false));
    case mbStacked100: {
        const double total = StackedOrigin(index, true);
        return total == 0 ? 0 : ValueToScreen(StackedOrigin(index, false) * 100 / total);
    }
    default:
        if (useYOrigin_) return ValueToScreen(yOrigin_);
        // The near end of the value axis.
        if (IsYPrimary()) return ActiveVertAxis() ? ActiveVertAxis()->EndPixel() : 0;
        return ActiveHorizAxis() ? ActiveHorizAxis()->StartPixel() : 0;
    }
}

double TCustomBarSeries::HighestValue(const TChartValueList& list) const {
    if (multiBar_ == mbStacked100) return 100;
    double highest = list.HighValue();
    if (multiBar_ == mbStacked)
        for (int i = 0, n = list.ItemCount(); i < n; ++i)
            highest = std::max(highest, list.ValueAt(i) + StackedOrigin(i, false));
    return useYOrigin_ ? std::max(highest, yOrigin_) : highest;
}

double TCustomBarSeries::LowestValue(const TChartValueList& list) const {
    if (multiBar_ == mbStacked100) return 0;
    const double lowest = list.LowValue();
    return useYOrigin_ ? std::min(lowest, yOrigin_) : lowest;
}

void TCustomBarSeries::AssignZOrder() {
    // Bars of one kind in a multi-bar mode share one depth band.
    if (multiBar_ != mbNone && ParentChart())
        for (const TChartSeries* s : ParentChart()->SeriesList()) {
            if (s == this) break;
            if (s->Active() && SameKind(*s)) {
                autoDepthOrder_ = s->EffectiveZOrder();
                return;
            }
        }
    TChartSeries::AssignZOrder();
}

// ---------------------------------------------------------------------------------------------
// Marks, margins and clicks

int TCustomBarSeries::MarkSpace(int index) const {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart || PointCount() == 0 || !Marks().Visible()) return 0;
    auto& marks = const_cast<TSeriesMarks&>(Marks());
    chart->ApplyTextFont(marks.Font());
    int space = MarkLength(index) + marks.ArrowLength();
    if (marks.Frame().Visible()) space += 2 * marks.Frame().Width();
    return space;
}

// Along runs down the value axis' pixels, across along the bars' axis: (y, x) for vertical bars,
// (x, y) for horizontal ones.
bool TCustomBarSeries::PointInBar(int index, TPoint point) const {
    const bool vertical = IsYPrimary();
    auto at = [vertical](int along, int across) {
        return vertical ? TPoint{across, along} : TPoint{along, across};
    };
    const int p = vertical ? point.y : point.x, q = vertical ? point.x : point.y;
    const int place = ClampToShapeRange(vertical ? PointScreenX(index) : PointScreenY(index));
    if (q < place || q > int64_t(place) + barSize_) return false;
    int lo = ClampToShapeRange(vertical ? PointScreenY(index) : PointScreenX(index));
    int hi = ClampToShapeRange(OriginPosition(index));
    if (lo > hi) std::swap(lo, hi);
    const int middle = (2 * place + barSize_) / 2;
    // A pyramid's apex: up the screen for vertical bars, to the right for horizontal ones.
    const int apex = vertical ? lo : hi, base = vertical ? hi : lo;
    switch (barStyle_) {
    case bsPyramid:
    case bsInvPyramid: {
        const bool inverted = barStyle_ == bsInvPyramid;
        const int from = inverted ? apex : base, to = inverted ? base : apex;
        const TPoint triangle[3] = {at(from, place), at(from, place + barSize_), at(to, middle)};
        return PointInPolygonTest(point, triangle, 3);
    }
    case bsEllipse: {
        const TPoint a = at(lo, place), b = at(hi, place + barSize_);
        return PointInEllipse(point, {a.x, a.y, b.x, b.y});
    }
    default:
        return p >= lo && p <= hi;
    }
}

int TCustomBarSeries::HitTest(int x, int y) const {
    if (ParentChart()) ParentChart()->Canvas().ScreenToWorld(x, y, StartZ());
    const int base = TChartSeries::HitTest(x, y);
    if (base != -1) return base;
    if (FirstVisible() < 0 || LastVisible() < 0) return -1;
    for (int i = FirstVisible(); i <= LastVisible() && i < PointCount(); ++i)
        if (PointInBar(i, {x, y})) return i;
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TCustomBarSeries::DrawPoint(int index) {
    if (!ParentChart()) return;
    barColor_ = PointColor(index);
    // Null points and values that are not numbers draw no bar.
    if (barColor_ == NoColor || !std::isfinite(PointX(index)) || !std::isfinite(PointY(index)))
        return;
    const bool vertical = IsYPrimary();
    const int place = ClampToShapeRange(vertical ? PointScreenX(index) : PointScreenY(index));
    const int value = ClampToShapeRange(vertical ? PointScreenY(index) : PointScreenX(index));
    const int origin = ClampToShapeRange(OriginPosition(index));
    barBounds_ = vertical ? TRect{place, value, place + barSize_, origin}
                          : TRect{origin, place, value, place + barSize_};
    DrawBar(index, std::min(value, origin), std::max(value, origin));
}

void TCustomBarSeries::DrawBar(int index, int start, int end) {
    DrawShape(PrepareBar(index), start, end, IsYPrimary());
}

bool TCustomBarSeries::DrawsForward() const {
    return !(BarAxis() && BarAxis()->Inverted());
}

bool TCustomBarSeries::DrawsSeriesForward(int) const {
    const bool stacked = multiBar_ == mbStacked || multiBar_ == mbStacked100;
    return !(stacked && ValueAxis() && ValueAxis()->Inverted());
}

TBarStyle TCustomBarSeries::PrepareBar(int index) {
    TCustomAxisPanel* chart = ParentChart();
    TCanvas3D& canvas = chart->Canvas();
    canvas.UsePen(barPen_);
    if (barBrush_.HasBitmap()) {
        canvas.Brush().SetBitmap(barBrush_.Bitmap());
    } else {
        const TColor back = barBrush_.Color() == AutoColor ? chart->Color() : barBrush_.Color();
        chart->SetCanvasBrush(barColor_, barBrush_.Style(), back);
    }
    TBarStyle shape = barStyle_;
    if (OnGetBarStyle) OnGetBarStyle(this, index, shape);
    return shape;
}

void TCustomBarSeries::BarRectangle(const TRect& r) {
    TCanvas3D& canvas = ParentChart()->Canvas();
    if (canvas.Brush().Style() == bsSolid) {
        // Too thin to show a fill: the outline takes the bar's colour.
        auto penTakesBrush = [&] {
            canvas.Pen().SetColor(canvas.Brush().Color());
            if (canvas.Pen().Style() == psClear) canvas.Pen().SetStyle(psSolid);
        };
        if (r.left == r.right || r.top == r.bottom) {
            penTakesBrush();
            canvas.LineSegment(r.left, r.top, r.right, r.bottom);
        } else if (std::abs(r.right - r.left) < canvas.Pen().Width() ||
                   std::abs(r.bottom - r.top) < canvas.Pen().Width()) {
            penTakesBrush();
            canvas.Brush().SetStyle(bsClear);
        }
    }
    canvas.RectangleShape(r.left, r.top, r.right, r.bottom);
}

void TCustomBarSeries::DrawShape(TBarStyle shape, int start, int end, bool vertical) {
    TCustomAxisPanel* chart = ParentChart();
    TCanvas3D& canvas = chart->Canvas();
    const TRect& b = barBounds_;
    const bool is3D = chart->View3D();
    const int z0 = StartZ(), z1 = EndZ(), zMiddle = MiddleZ();
    // Across the bar: left to right for vertical bars, top to bottom for horizontal ones.
    const int across0 = vertical ? b.left : b.top, across1 = vertical ? b.right : b.bottom;
    const int middle = HalfSum(across0, across1);
    auto at = [vertical](int along, int across) {
        return vertical ? TPoint{across, along} : TPoint{along, across};
    };
    auto box = [&] {
        if (vertical)
            canvas.BoxShape(b.left, b.right, start, end, z0, z1, dark3D_);
        else
            canvas.BoxShape(start, end, b.top, b.bottom, z0, z1, dark3D_);
    };
    // The apex lies at apexEnd, the base at the other end.
    auto pyramid = [&](int baseEnd, int apexEnd) {
        if (is3D) {
            if (vertical)
                canvas.PyramidShape(true, b.left, apexEnd, b.right, baseEnd, z0, z1, dark3D_);
            else
                canvas.PyramidShape(false, baseEnd, b.top, apexEnd, b.bottom, z0, z1, dark3D_);
        } else {
            const TPoint points[3] = {at(baseEnd, across0), at(apexEnd, middle),
                                      at(baseEnd, across1)};
            canvas.PolygonShape(points, 2);
        }
    };
    const TGradientDirection direction = vertical ? gdBottomTop : gdLeftRight;

    switch (shape) {
    case bsRectangle:
        if (is3D)
            box();
        else
            BarRectangle(b);
        break;
    case bsPyramid:
        // Vertical: apex at the upper end; horizontal: at the right end.
        if (vertical)
            pyramid(end, start);
        else
            pyramid(start, end);
        break;
    case bsInvPyramid:
        if (vertical)
            pyramid(start, end);
        else
            pyramid(end, start);
        break;
    case bsCilinder:
        if (is3D)
            canvas.CylinderShape(vertical, b.left, b.top, b.right, b.bottom, z0, z1, dark3D_);
        else
            BarRectangle(b);
        break;
    case bsEllipse:
        if (is3D)
            canvas.EllipseAtDepth(b.left, b.top, b.right, b.bottom, zMiddle);
        else
            canvas.EllipseShape(b.left, b.top, b.right, b.bottom);
        break;
    case bsArrow: {
        // Vertical arrows point up the screen, horizontal ones to the right.
        const int width = across1 - across0;
        const TPoint from = vertical ? at(end, middle) : at(start, middle);
        const TPoint to = vertical ? at(start, middle) : at(end, middle);
        canvas.ArrowShape(true, from, to, width, width / 2, zMiddle);
        break;
    }
    case bsRectGradient: {
        const TRect fill =
            vertical ? TRect{b.left, start, b.right, end} : TRect{start, b.top, end, b.bottom};
        if (is3D) {
            box();
            if (!canvas.RendersDepthNatively() && !chart->View3DOptions().Orthogonal()) break;
            const TPoint p0 = canvas.WorldToScreen(fill.left, fill.top, z0);
            const TPoint p1 = canvas.WorldToScreen(fill.right, fill.bottom, z0);
            TRect face{p0.x, p0.y, p1.x, p1.y};
            if (barPen_.Visible()) {
                const int w = barPen_.Width();
                face = {p0.x + 1, p0.y + 1, p1.x + 1 - w, p1.y + 1 - w};
            }
            canvas.GradientFill(face, clWhite, direction, barColor_);
        } else {
            canvas.GradientFill(fill, clWhite, direction, barColor_);
            if (barPen_.Visible()) {
                canvas.Brush().SetStyle(bsClear);
                BarRectangle(b);
            }
        }
        break;
    }
    }
}

// ---------------------------------------------------------------------------------------------
// Legend

void TCustomBarSeries::PrepareLegendBrush(int, TColor& background, TBrushStyle& style) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return;
    chart->Canvas().UsePen(barPen_);
    style = barBrush_.Style();
    background = barBrush_.Color() == AutoColor ? chart->Color() : barBrush_.Color();
}

void TCustomBarSeries::DrawLegendSymbol(int index, const TRect& rect) {
    if (ParentChart() && barBrush_.HasBitmap())
        ParentChart()->Canvas().Brush().SetBitmap(barBrush_.Bitmap());
    TChartSeries::DrawLegendSymbol(index, rect);
}

} // namespace kiv
