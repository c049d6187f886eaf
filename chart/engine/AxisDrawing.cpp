// TCustomChartAxis: one drawing pass of an axis: its title, its labels, then its line, ticks,
// grid, inner ticks, minor ticks and minor grid.

#include "chart/engine/Axis.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace kiv {

void TCustomChartAxis::DrawAxis(bool placeLine) {
    tickCount_ = 0;
    if (!chart_) return;
    UpdateDateTimeMode();
    const double inc = ComputeIncrement(); // selects the labels font
    if (placeLine) axisPosition_ = Shift(Edge(chart_->ChartRect()), chart_->ChartRect());
    if (!title_.Caption().empty()) DrawTitle();

    TDateTimeStep step = dtNone;
    if (dateTimeMode_ && exactDateTime_ && increment_ != 0) {
        step = FindDateTimeStep(increment_);
        if (step != dtNone)
            while (inc > DateTimeSteps[size_t(step)] && step < dtOneYear)
                step = TDateTimeStep(step + 1);
    }
    if ((inc > 0 || (step > dtOneWeek && step <= dtOneYear)) && rangeMax_ >= rangeMin_)
        DrawLabels(inc, step);
    DrawTicksAndGrid();
}

void TCustomChartAxis::DrawTitle() {
    chart_->ApplyTextFont(title_.Font());
    TKivCanvas3D& canvas = chart_->Canvas();
    canvas.Brush().SetColor(chart_->Color());
    canvas.Brush().SetStyle(bsClear);
    if (chart_->Printing() && ColorToRGB(canvas.Font().Color()) == clWhite)
        canvas.Font().SetColor(clBlack);
    const std::string& caption = title_.Caption();
    if (depth_)
        canvas.DrawText3D(titlePosition_, chart_->ChartRect().bottom, caption,
                          chart_->DepthWidth() / 2);
    else if (horizontal_)
        DrawLabelText(centerPixel_, titlePosition_, caption, title_.Angle());
    else
        DrawLabelText(titlePosition_, centerPixel_, caption, title_.Angle());
}

void TCustomChartAxis::DrawTicksAndGrid() {
    TKivCanvas3D& canvas = chart_->Canvas();
    const TRect& r = chart_->ChartRect();
    const int wall = chart_->WallThickness(this);
    const int depth = chart_->DepthWidth();
    const std::span<const int> ticks = TickPositions();

    if (axisPen_.Visible()) {
        canvas.UsePen(axisPen_);
        const int bottomWall = chart_->WallThickness(&chart_->BottomAxis());
        if (depth_)
            canvas.DepthLine(r.right, ClampPixel(int64_t(r.bottom) + bottomWall), 0, depth);
        else if (horizontal_ && otherSide_)
            canvas.HorizontalLine3D(startPixel_, endPixel_, axisPosition_, depth);
        else if (horizontal_)
            canvas.HorizontalLine3D(
                ClampPixel(int64_t(startPixel_) - chart_->WallThickness(&chart_->LeftAxis())),
                endPixel_, ClampPixel(int64_t(axisPosition_) + wall), 0);
        else if (otherSide_)
            canvas.VerticalLine3D(axisPosition_, startPixel_, endPixel_, depth);
        else
            canvas.VerticalLine3D(ClampPixel(int64_t(axisPosition_) - wall), startPixel_,
                                  ClampPixel(int64_t(endPixel_) + bottomWall), 0);
    }
    if (ticks_.Visible() && tickLength_ != 0) {
        canvas.UsePen(ticks_);
        for (int p : ticks) DrawTick(p, 1, tickLength_, wall);
    }
    if (grid_.Visible()) {
        canvas.Brush().SetStyle(bsClear);
        canvas.SetBackgroundMode(cbmTransparent);
        canvas.UsePen(grid_);
        if (grid_.Color() == AutoColor) canvas.Pen().SetColor(clGray);
        if (gridCentered_) {
            for (size_t i = 1; i < ticks.size(); ++i)
                DrawGridLine(RoundPixel((double(ticks[i]) + ticks[i - 1]) * 0.5));
        } else {
            for (int p : ticks) DrawGridLine(p);
        }
        canvas.SetBackgroundMode(cbmOpaque);
    }
    if (ticksInner_.Visible() && tickInnerLength_ != 0) {
        canvas.UsePen(ticksInner_);
        for (int p : ticks) DrawTick(p, -1, tickInnerLength_, wall);
    }
    if (minorTicks_.Visible()) DrawMinorTicks(false);
    if (minorGrid_.Visible()) DrawMinorTicks(true);
}

// A tick of length away from the chart (direction 1) or into it (-1), starting one pixel off
// the axis line and beyond the wall.
void TCustomChartAxis::DrawTick(int position, int direction, int length, int wall) {
    TKivCanvas3D& canvas = chart_->Canvas();
    const int64_t reach = int64_t(direction) * length;
    if (depth_) {
        const int64_t from = int64_t(axisPosition_) + direction;
        canvas.HorizontalLine3D(ClampPixel(from), ClampPixel(from + reach),
                                chart_->ChartRect().bottom, position);
    } else if (horizontal_ && otherSide_) {
        const int64_t from = int64_t(axisPosition_) - direction;
        canvas.VerticalLine3D(position, ClampPixel(from), ClampPixel(from - reach),
                              chart_->DepthWidth());
    } else if (horizontal_) {
        const int64_t from = int64_t(axisPosition_) + direction + wall;
        canvas.VerticalLine3D(position, ClampPixel(from), ClampPixel(from + reach), 0);
    } else if (otherSide_) {
        const int64_t from = int64_t(axisPosition_) + direction;
        canvas.HorizontalLine3D(ClampPixel(from), ClampPixel(from + reach), position,
                                chart_->DepthWidth());
    } else {
        const int64_t from = int64_t(axisPosition_) - (direction + wall);
        canvas.HorizontalLine3D(ClampPixel(from), ClampPixel(from - reach), position, 0);
    }
}

// A grid line across the plotting rectangle; in 3D on the back wall, with a line along the
// floor or the left wall for the near axes when the axes are drawn behind the series.
void TCustomChartAxis::DrawGridLine(int position) {
    TKivCanvas3D& canvas = chart_->Canvas();
    const TRect& r = chart_->ChartRect();
    if (!chart_->View3D()) {
        if (horizontal_)
            canvas.VerticalLine(position, r.top, r.bottom);
        else
            canvas.HorizontalLine(r.left, r.right, position);
        return;
    }
    const int depth = chart_->DepthWidth();
    if (depth_) {
        canvas.HorizontalLine3D(r.left, r.right, r.bottom, position);
    } else if (horizontal_) {
        canvas.VerticalLine3D(position, r.top, r.bottom, depth);
        if (!otherSide_ && AxesBehindSeries) canvas.DepthLine(position, r.bottom, 0, depth);
    } else {
        canvas.HorizontalLine3D(r.left, r.right, position, depth);
        if (!otherSide_ && AxesBehindSeries) canvas.DepthLine(r.left, position, 0, depth);
    }
}

// Minor ticks (or the minor grid) between the ticks and beyond both ends. A gap gets at most as
// many minor positions as the axis has pixels, and a position equal to the one before it is
// drawn once, so that an absurd MinorTickCount costs no more than a dense axis.
void TCustomChartAxis::DrawMinorTicks(bool grid) {
    const std::span<const int> ticks = TickPositions();
    if (ticks.empty() || minorTickCount_ <= 0) return;
    TKivCanvas3D& canvas = chart_->Canvas();
    canvas.UsePen(grid ? static_cast<const TChartPen&>(minorGrid_) : minorTicks_);
    const int wall = chart_->WallThickness(this);
    const int count = int(std::min<int64_t>(minorTickCount_, std::llabs(pixelSize_) + 1));
    const double parts = count + 1.0;

    int64_t previous = 0;
    bool havePrevious = false;
    auto startRun = [&] { havePrevious = false; };
    // Draws p when it lies strictly inside the axis; answers whether it did.
    auto draw = [&](int64_t p) {
        if (!(p > startPixel_ && p < endPixel_)) return false;
        if (!havePrevious || p != previous) {
            if (grid)
                DrawGridLine(int(p));
            else
                DrawTick(int(p), 1, minorTickLength_, wall);
        }
        previous = p;
        havePrevious = true;
        return true;
    };

    const size_t last = ticks.size() - 1;
    if (!logarithmic_) {
        if (last == 0) return;
        const double g = (double(ticks[1]) - ticks[0]) / parts;
        startRun();
        for (int k = 1; k <= count; ++k)
            if (!draw(ticks[0] - int64_t(RoundPixel(k * g))) && havePrevious) break;
        startRun();
        for (int k = 1; k <= count; ++k)
            if (!draw(ticks[last] + int64_t(RoundPixel(k * g))) && havePrevious) break;
        for (size_t i = 1; i <= last; ++i) {
            const double gap = double(ticks[i]) - ticks[i - 1];
            startRun();
            for (int j = 1; j <= count; ++j) draw(ticks[i] - int64_t(RoundPixel(j * gap / parts)));
        }
        return;
    }
    const double base = logarithmicBase_;
    for (size_t i = 1; i <= last; ++i) {
        const double u = PixelToValue(ticks[i - 1]);
        const double step = (base * u - u) / parts;
        startRun();
        for (int j = 1; j <= count; ++j) {
            const double v = u + j * step;
            if (v > rangeMax_) break;
            draw(ValueToPixel(v));
        }
    }
}

} // namespace kiv
