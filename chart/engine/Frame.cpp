// TCustomAxisPanel: the frame of a chart, step by step: background, titles and legend, depth
// orders, axis layout, series margins, walls, axes and series.

#include "chart/engine/AxisPanel.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>
#include <cstdlib>

namespace kiv {

void TCustomAxisPanel::DrawChartContents(const TRect& bounds) {
    PaintBackground(bounds);
    for (TChartSeries* s : seriesList_)
        if (s->Active()) s->PrepareChartPass();
    DrawTitlesLegend();

    const bool ordered = ApplyZOrder() && View3D();
    maxZOrder_ = 0;
    if (ordered) {
        maxZOrder_ = -1;
        for (TChartSeries* s : seriesList_)
            if (s->Active()) s->AssignZOrder();
    }

    LayoutAxes();
    for (TChartSeries* s : seriesList_) {
        if (!s->Active()) continue;
        const int zIndex = ordered ? maxZOrder_ - s->EffectiveZOrder() : 0;
        const int start = seriesDepthWidth_ * zIndex;
        s->SetDepthBand(start, start + seriesDepthWidth_);
    }
    ApplySeriesMargins();
    Canvas().SetupProjection(depthWidth_, ChartRect());
    if (Canvas().RendersDepthNatively()) {
        // Titles and legend go in front of a canvas that draws depth itself.
        const TRect chartRect = ChartRect();
        SetChartRect(bounds);
        DrawTitlesLegend();
        SetChartRect(chartRect);
    }
    PaintWalls();
    if (AxisVisible() && AxesBehindSeries) DrawAxes();
    if (OnBeforeDrawSeries) OnBeforeDrawSeries(this);
    DrawActiveSeries();
    if (AxisVisible() && !AxesBehindSeries) DrawAxes();
    if (Zoom.Active) DrawZoomRectangle();
    Canvas().ResetToDefaults();
    if (OnAfterDraw) OnAfterDraw(this);
}

void TCustomAxisPanel::ComputeDepthSizes() {
    if (!View3D()) {
        seriesDepthWidth_ = seriesDepthHeight_ = depthWidth_ = depthHeight_ = 0;
        return;
    }
    int depth = RoundPixel(ChartWidth() * Chart3DPercent() * 0.001);
    if (!View3DOptions().Orthogonal()) depth *= 2;
    seriesDepthWidth_ = seriesDepthHeight_ = depth;
    const int count = ApplyZOrder() ? std::max(1, maxZOrder_ + 1) : 1;
    depthWidth_ = depthHeight_ = count * depth;
}

void TCustomAxisPanel::LayoutAxes() {
    for (TCustomChartAxis* axis : axes_) axis->RefreshRange();
    ComputeDepthSizes();
    if (View3D() && View3DOptions().Orthogonal()) {
        const int wall = View3DWalls() ? BackWallSize() : 0;
        TRect r = ChartRect();
        r.right -= std::abs(depthWidth_) + wall;
        r.top += std::abs(depthHeight_) + wall;
        SetChartRect(r);
    }
    NormalizeChartRect();

    // Each shown axis takes its room off what the axes before it left.
    TRect current = ChartRect();
    for (size_t i = 0; i < axes_.size(); ++i) {
        TCustomChartAxis* axis = axes_[i];
        if (!IsAxisShown(axis)) continue;
        TRect r = current;
        axis->LayOut(r, i < 5);
        const TRect both{std::max(r.left, current.left), std::max(r.top, current.top),
                         std::min(r.right, current.right), std::min(r.bottom, current.bottom)};
        if (both.left < both.right && both.top < both.bottom) current = both;
    }
    SetChartRect(current);
    NormalizeChartRect();
    for (TCustomChartAxis* axis : axes_) axis->PlaceOnChart();
}

void TCustomAxisPanel::ApplySeriesMargins() {
    TCustomChartAxis* const order[] = {topAxis_.get(), leftAxis_.get(), rightAxis_.get(),
                                       bottomAxis_.get()};
    for (TCustomChartAxis* axis : order) {
        int a = 0, b = 0;
        for (const TChartSeries* s : seriesList_) {
            if (!s->Active() || !s->IsOnAxis(axis)) continue;
            int first = 0, second = 0;
            if (axis->IsHorizontal()) {
                s->HorizontalMargins(first, second);
                if (axis->AutomaticMinimum()) a = std::max(a, first);
                if (axis->AutomaticMaximum()) b = std::max(b, second);
            } else {
                s->VerticalMargins(first, second);
                if (axis->AutomaticMaximum()) a = std::max(a, first);
                if (axis->AutomaticMinimum()) b = std::max(b, second);
            }
        }
        axis->ApplyMargins(axis->IsHorizontal() ? TRect{a, 0, b, 0} : TRect{0, a, 0, b});
    }
}

void TCustomAxisPanel::DrawAxes() {
    if (OnBeforeDrawAxes) OnBeforeDrawAxes(this);
    for (TCustomChartAxis* axis : axes_)
        if (IsAxisShown(axis)) axis->DrawAxis(true);
}

bool TCustomAxisPanel::ClipSeries() {
    if (!ClipPoints() || !ClippingAllowed()) return false;
    Canvas().ClipToBox(ChartRect(), 0, depthWidth_);
    return true;
}

void TCustomAxisPanel::DrawSeriesMarks(TChartSeries* series) {
    TSeriesMarks& marks = series->Marks();
    if (!marks.Visible()) return;
    const bool clipped = marks.Clip() && ClippingAllowed();
    if (clipped) Canvas().ClipToBox(ChartRect(), 0, depthWidth_);
    series->DrawMarks();
    if (clipped) Canvas().RemoveClipping();
}

void TCustomAxisPanel::DrawActiveSeries() {
    const bool is3D = View3D();
    for (TChartSeries* s : seriesList_) {
        if (!s->Active()) continue;
        // A series with depths of its own is drawn alone.
        if (!is3D || s->HasDepthValues() || !s->SharesZOrder()) {
            DrawSeries(s);
            continue;
        }
        // The first series of a shared depth order draws the whole group.
        group_.clear();
        for (TChartSeries* t : seriesList_)
            if (t->Active() && !t->HasDepthValues() && t->EffectiveZOrder() == s->EffectiveZOrder())
                group_.push_back(t);
        if (group_.front() == s) DrawSeriesGroup();
    }
}

void TCustomAxisPanel::DrawSeries(TChartSeries* series) {
    series->UpdateVisibleRange();
    if (series->FirstVisible() == -1) return;
    series->FireBeforeDrawValues();
    const bool clipped = ClipSeries();
    series->DrawVisiblePoints();
    if (clipped) Canvas().RemoveClipping();
    DrawSeriesMarks(series);
    series->FireAfterDrawValues();
}

void TCustomAxisPanel::DrawSeriesGroup() {
    TChartSeries* first = group_.front();
    int from = -1, to = -1;
    for (TChartSeries* s : group_) {
        s->UpdateVisibleRange();
        s->FireBeforeDrawValues();
        from = std::max(from, s->FirstVisible());
        to = std::max(to, s->LastVisible());
    }
    const bool clipped = ClipSeries();
    if (from >= 0 && to >= from) {
        const bool forward = first->DrawsForward();
        for (int k = 0; k <= to - from; ++k) {
            const int i = forward ? from + k : to - k;
            const bool listOrder = first->DrawsSeriesForward(i);
            for (size_t j = 0; j < group_.size(); ++j) {
                TChartSeries* s = group_[listOrder ? j : group_.size() - 1 - j];
                if (s->PointCount() > i) s->DrawPoint(i);
            }
        }
    }
    if (clipped) Canvas().RemoveClipping();
    for (TChartSeries* s : group_) {
        DrawSeriesMarks(s);
        s->FireAfterDrawValues();
    }
}

void TCustomAxisPanel::SetCanvasBrush(TColor color, TBrushStyle style, TColor background) {
    TKivCanvas3D& canvas = Canvas();
    if (style != bsSolid && color == background) color = background == clBlack ? clWhite : clBlack;
    canvas.Brush().SetBitmap(nullptr);
    canvas.Brush().SetColor(color);
    canvas.Brush().SetStyle(style);
    if (style != bsSolid) {
        canvas.SetBackgroundMode(cbmOpaque);
        canvas.SetBackgroundColor(ColorToRGB(background));
    } else {
        canvas.SetBackgroundMode(cbmTransparent);
    }
}

} // namespace kiv
