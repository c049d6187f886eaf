// TCustomChart: construction, and its parts of a frame: titles, legend and walls.

#include "chart/control/CustomChart.h"

#include "chart/control/Chart.h"

#include <algorithm>

namespace kiv {

TCustomChart::TCustomChart()
    : title_(this), foot_(this), backWall_(this, AutoColor), leftWall_(this, 0x80FFFF),
      bottomWall_(this, clWhite), legend_(this) {
    backWall_.Brush().SetStyle(bsClear);
}

TCustomChart::~TCustomChart() = default;

TChart::~TChart() = default;

void TCustomChart::DrawTitlesLegend() {
    Canvas().BeginFrontPlane();
    auto titles = [this] {
        if (title_.Visible()) title_.DrawTitle(true);
        if (foot_.Visible()) foot_.DrawTitle(false);
    };
    legend_.ClearLayout();
    if (!legend_.Visible() || CountActiveSeries() == 0) {
        titles();
    } else if (legend_.Vertical()) {
        legend_.DrawLegend();
        titles();
    } else {
        titles();
        legend_.DrawLegend();
    }
    Canvas().EndFrontPlane();
}

void TCustomChart::PrepareWall(TChartWall& wall) {
    TKivCanvas3D& canvas = Canvas();
    canvas.UsePen(wall.Pen());
    if (wall.Brush().HasBitmap()) {
        canvas.Brush().SetBitmap(wall.Brush().Bitmap());
    } else if (wall.Color() == AutoColor && wall.Brush().Style() == bsSolid) {
        canvas.Brush().SetBitmap(nullptr);
        canvas.Brush().SetStyle(bsClear);
    } else {
        SetCanvasBrush(wall.Color(), wall.Brush().Style(), wall.Brush().Color());
    }
}

void TCustomChart::PaintWalls() {
    TKivCanvas3D& canvas = Canvas();
    const TRect r = ChartRect();
    const int depth = DepthWidth();
    const bool walls3D = View3D() && View3DWalls();
    if (!View3D() || walls3D) {
        PrepareWall(backWall_);
        if (!View3D()) {
            canvas.RectangleShape(r.left, r.top, r.right + 1, r.bottom + 1);
        } else if (backWall_.Size() < 1) {
            canvas.RectangleAtDepth(r, depth);
        } else {
            canvas.BoxShape(r.left, r.right, r.top, r.bottom, depth, depth + backWall_.Size(),
                            backWall_.Shaded());
        }
    }
    if (HasBackImage() && backImageInside_) {
        TRect inside = r;
        if (backWall_.Pen().Visible()) {
            ++inside.top;
            --inside.bottom;
        }
        DrawBackImage(inside, depth);
    }
    if (!walls3D) return;
    PrepareWall(leftWall_);
    if (leftWall_.Size() < 1)
        canvas.DepthPlane(r.left, r.top, r.bottom, 0, depth + 1);
    else
        canvas.BoxShape(r.left - leftWall_.Size(), r.left, r.top, r.bottom, 0, depth,
                        leftWall_.Shaded());
    PrepareWall(bottomWall_);
    if (bottomWall_.Size() < 1)
        canvas.HorizontalPlane(r.left, r.right, r.bottom, 0, depth);
    else
        canvas.BoxShape(r.left, r.right, r.bottom, r.bottom + bottomWall_.Size(), 0, depth,
                        bottomWall_.Shaded());
}

int TCustomChart::WallThickness(const TCustomChartAxis* axis) const {
    if (!View3D() || !View3DWalls()) return 0;
    if (axis == &LeftAxis()) return leftWall_.Size();
    if (axis == &BottomAxis()) return bottomWall_.Size();
    return 0;
}

bool TCustomChart::IsFreeSeriesColor(TColor color, bool checkBackground) const {
    return TCustomAxisPanel::IsFreeSeriesColor(color, checkBackground) &&
           !(checkBackground && color == BackColor());
}

TChartSeries* TCustomChart::SeriesLegend(int n) const {
    if (n < 0) return nullptr;
    for (TChartSeries* s : SeriesList())
        if (s->Active() && s->ShowInLegend() && n-- == 0) return s;
    return nullptr;
}

std::string TCustomChart::LegendValueText(const TChartSeries* series, int index) const {
    if (!series || index == -1) return {};
    std::string text = series->LegendItemText(index, legend_.TextStyle());
    std::replace(text.begin(), text.end(), LineSeparator, ' ');
    return text;
}

} // namespace kiv
