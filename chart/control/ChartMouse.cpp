// TCustomChart and the mouse: clicks on its parts, the zoom rectangle, panning and the wheel, and
// the axis scales a zoom saves and restores.

#include "chart/control/CustomChart.h"

#include <algorithm>
#include <cstdlib>

namespace kiv {

namespace {

// A drag must exceed this many pixels both ways to zoom or to undo a zoom.
constexpr int MinZoomDrag = 16;

bool InRect(const TRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

std::array<TCustomChartAxis*, 4> TCustomChart::MainAxes() {
    return {&BottomAxis(), &TopAxis(), &LeftAxis(), &RightAxis()};
}

// ---------------------------------------------------------------------------------------------
// Zoom

void TCustomChart::SaveScales() {
    const auto axes = MainAxes();
    for (size_t i = 0; i < axes.size(); ++i)
        savedScales_[i] = {axes[i]->Automatic(), axes[i]->AutomaticMinimum(),
                           axes[i]->AutomaticMaximum(), axes[i]->Minimum(), axes[i]->Maximum()};
    scalesRestored_ = false;
}

void TCustomChart::ZoomRect(const TRect& rect) {
    Zoom.X0 = rect.left;
    Zoom.Y0 = rect.top;
    Zoom.X1 = rect.right;
    Zoom.Y1 = rect.bottom;
    ZoomToRectangle();
}

void TCustomChart::ZoomToRectangle() {
    Zoom.Normalize();
    std::vector<TAxisRange> ranges;
    for (TCustomChartAxis* axis : AxesList()) {
        if (axis->IsDepth()) continue;
        double a = axis->IsHorizontal() ? axis->PixelToValue(Zoom.X0) : axis->PixelToValue(Zoom.Y1);
        double b = axis->IsHorizontal() ? axis->PixelToValue(Zoom.X1) : axis->PixelToValue(Zoom.Y0);
        if (a > b) std::swap(a, b);
        ranges.push_back({axis, a, b});
    }
    ApplyZoom(ranges);
}

void TCustomChart::ApplyZoom(const std::vector<TAxisRange>& ranges) {
    if (scalesRestored_) SaveScales();
    if (AnimatedZoom()) {
        for (int step = 1; step < AnimatedZoomSteps(); ++step) {
            for (const TAxisRange& r : ranges) {
                const double min = r.Axis->Minimum(), max = r.Axis->Maximum();
                r.Axis->SetRange(min + (r.Minimum - min) / ZoomStepDivisor,
                                 max + (r.Maximum - max) / ZoomStepDivisor);
            }
            Refresh();
        }
    }
    for (const TAxisRange& r : ranges) r.Axis->SetRange(r.Minimum, r.Maximum);
    SetZoomed(true);
    if (OnZoom) OnZoom(this);
}

void TCustomChart::ResetZoom() {
    if (!scalesRestored_) {
        const auto axes = MainAxes();
        for (size_t i = 0; i < axes.size(); ++i) {
            const TSavedScale& s = savedScales_[i];
            TCustomChartAxis& axis = *axes[i];
            if (!s.AutomaticMinimum || !s.AutomaticMaximum) axis.SetRange(s.Minimum, s.Maximum);
            axis.SetAutomatic(s.Automatic);
            axis.SetAutomaticMinimum(s.AutomaticMinimum);
            axis.SetAutomaticMaximum(s.AutomaticMaximum);
        }
        scalesRestored_ = true;
    }
    if (OnUndoZoom) OnUndoZoom(this);
    Invalidate();
    SetZoomed(false);
}

void TCustomChart::ToggleZoomRectangle() {
    TKivCanvas3D& canvas = Canvas();
    // Between frames the band goes straight onto the window.
    const bool onWindow = !Drawing();
    if (onWindow) {
        raster::RasterDevice* window = WindowDevice();
        if (!window) return;
        if (canvas.Target() != window) canvas.AttachCanvas(window);
    }
    const TColor rgb = ColorToRGB(Color());
    canvas.Pen().SetColor(rgb == clWhite ? clBlack : rgb);
    canvas.Pen().SetMode(pmNotXor);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetStyle(bsClear);
    canvas.RectangleShape(Zoom.X0, Zoom.Y0, Zoom.X1, Zoom.Y1);
    if (onWindow)
        Host()->Present({std::min(Zoom.X0, Zoom.X1), std::min(Zoom.Y0, Zoom.Y1),
                         std::max(Zoom.X0, Zoom.X1) + 1, std::max(Zoom.Y0, Zoom.Y1) + 1});
}

// ---------------------------------------------------------------------------------------------
// Panning and the wheel

bool TCustomChart::PanAxes(bool horizontal, int newPixel, int oldPixel) {
    const TPanningMode mode = AllowPanning();
    if (newPixel == oldPixel ||
        (mode != pmBoth && mode != (horizontal ? pmHorizontal : pmVertical)))
        return false;
    for (TCustomChartAxis* axis : AxesList()) {
        if (axis->IsDepth() || axis->IsHorizontal() != horizontal) continue;
        const double delta = axis->PixelToValue(oldPixel) - axis->PixelToValue(newPixel);
        double min = axis->Minimum() + delta, max = axis->Maximum() + delta;
        bool allow = true;
        if (OnAllowScroll) OnAllowScroll(axis, min, max, allow);
        if (allow) axis->SetRange(min, max);
    }
    return true;
}

bool TCustomChart::MouseWheel(TShiftState, int delta, int, int) {
    if (delta == 0) return false;
    // Wheel down (towards the user) moves the vertical axes up their range.
    const double percent = delta < 0 ? 0.03 : -0.03;
    // A scroll fixes the ranges; ResetZoom gives back the scales from before it.
    if (scalesRestored_) SaveScales();
    for (TCustomChartAxis* axis : AxesList())
        if (!axis->IsDepth() && !axis->IsHorizontal())
            axis->ScrollBy(percent * (axis->Maximum() - axis->Minimum()), false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Clicks

TChartClickedPart TCustomChart::FindPartAt(int x, int y) {
    TChartClickedPart part;
    const auto& series = SeriesList();
    for (int i = series.Count() - 1; i >= 0; --i) {
        TChartSeries* s = series[i];
        if (!s->Active()) continue;
        const int index = s->HitTest(x, y);
        if (index != -1) {
            part.Part = cpSeries;
            part.ASeries = s;
            part.PointIndex = index;
            return part;
        }
    }
    for (TCustomChartAxis* axis : AxesList())
        if (axis->HitAxis(x, y)) {
            part.Part = cpAxis;
            part.AAxis = axis;
            return part;
        }
    if (Title().Clicked(x, y))
        part.Part = cpTitle;
    else if (Foot().Clicked(x, y))
        part.Part = cpFoot;
    else if (CountActiveSeries() > 0 && InRect(ChartRect(), x, y))
        part.Part = cpChartRect;
    else if (Legend().Visible() && Legend().Drawn() && InRect(Legend().LegendRect(), x, y))
        part.Part = cpLegend;
    return part;
}

bool TCustomChart::Handled(const std::function<void()>& handler) {
    SetCancelMouse(true);
    handler();
    return CancelMouse();
}

void TCustomChart::StartZoomOrPan(TMouseButton button, int x, int y) {
    if (AllowZoom() && button == ZoomMouseButton) {
        SetCursor(crDefault);
        Zoom.Activate(x, y);
        ToggleZoomRectangle();
    }
    if (AllowPanning() != pmNone && button == PanMouseButton) Panning.Activate(x, y);
}

void TCustomChart::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (Zoom.Active || Panning.Active || CancelMouse()) return;
    const TChartClickedPart part = FindPartAt(x, y);
    bool handled = false;
    switch (part.Part) {
    case cpLegend:
        if (OnClickLegend) handled = Handled([&] { OnClickLegend(this, button, shift, x, y); });
        break;
    case cpAxis:
        if (OnClickAxis)
            handled = Handled([&] { OnClickAxis(this, part.AAxis, button, shift, x, y); });
        break;
    case cpSeries:
        handled = part.ASeries->MouseClicked(button, shift, x, y, (shift & ssDouble) != 0);
        if (OnClickSeries)
            handled = Handled([&] {
                          OnClickSeries(this, part.ASeries, part.PointIndex, button, shift, x, y);
                      }) ||
                      handled;
        break;
    case cpChartRect:
        if (OnClickBackground)
            handled = Handled([&] { OnClickBackground(this, button, shift, x, y); });
        break;
    default:
        break;
    }
    if (!handled && part.Part != cpChartRect && OnClickBackground)
        handled = Handled([&] { OnClickBackground(this, button, shift, x, y); });
    if (!handled && part.Part != cpLegend) StartZoomOrPan(button, x, y);
    SetCancelMouse(false);
}

void TCustomChart::MouseMove(TShiftState shift, int x, int y) {
    if (Zoom.Active) {
        if (x != Zoom.X1 || y != Zoom.Y1) {
            ToggleZoomRectangle();
            Zoom.X1 = x;
            Zoom.Y1 = y;
            ToggleZoomRectangle();
        }
        return;
    }
    if (Panning.Active) {
        if (!InRect(ChartRect(), x, y)) {
            Panning.Active = false;
            return;
        }
        if (x == Panning.X1 && y == Panning.Y1) return;
        if (scalesRestored_) SaveScales();
        const bool horizontal = PanAxes(true, x, Panning.X1);
        const bool vertical = PanAxes(false, y, Panning.Y1);
        Panning.X1 = x;
        Panning.Y1 = y;
        if (horizontal || vertical) {
            if (OnScroll) OnScroll(this);
            Invalidate();
        }
        return;
    }
    bool claimed = false;
    for (TChartSeries* s : SeriesList())
        if (s->Active() && s->Cursor() != crDefault && s->HitTest(x, y) != -1) {
            SetCursor(s->Cursor());
            claimed = true;
            break;
        }
    for (TChartSeries* s : SeriesList()) s->MouseMoved(shift, x, y);
    if (!claimed) SetCursor(OriginalCursor());
}

void TCustomChart::MouseUp(TMouseButton button, TShiftState, int x, int y) {
    if (Zoom.Active && button == ZoomMouseButton) {
        Zoom.Active = false;
        ToggleZoomRectangle();
        Canvas().Pen().SetMode(pmCopy);
        Zoom.X1 = x;
        Zoom.Y1 = y;
        if (std::abs(Zoom.X1 - Zoom.X0) > MinZoomDrag &&
            std::abs(Zoom.Y1 - Zoom.Y0) > MinZoomDrag) {
            if (Zoom.X0 < Zoom.X1 && Zoom.Y0 < Zoom.Y1)
                ZoomToRectangle();
            else
                ResetZoom();
            Invalidate();
        }
    }
    Panning.Active = false;
}

void TCustomChart::MouseLeave() {
    SetCursor(OriginalCursor());
    Panning.Active = false;
}

} // namespace kiv
