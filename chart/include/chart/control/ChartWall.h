// A wall of the chart: the back wall behind the series, and in 3D the left and bottom walls.
#pragma once

#include "chart/canvas/Pen.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/control/ChartBrush.h"

namespace kiv {

class TCustomChart;

// A wall behind or beside the plot: colour, pen, brush, size and 3D shading.
class TChartWall : public TPublishedProperties<TChartWall> {
public:
    TChartWall(TCustomChart* chart, TColor defaultColor);
    TChartWall(const TChartWall&) = delete;
    TChartWall& operator=(const TChartWall&) = delete;

    TChartBrush& Brush() { return brush_; }
    const TChartBrush& Brush() const { return brush_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    // Whether the colour is stored with the form (it differs from the wall's default).
    bool IsColorStored() const { return color_ != defaultColor_; }
    bool Dark3D() const { return dark3D_; }
    void SetDark3D(bool value) { Store(dark3D_, value); }
    TChartPen& Pen() { return pen_; }
    const TChartPen& Pen() const { return pen_; }
    // Thickness in pixels; below 1 the wall is a plane.
    int Size() const { return size_; }
    void SetSize(int value) { Store(size_, value); }
    // Shaded in 3D only with a brush that is not clear, without bitmap, and Dark3D.
    bool Shaded() const { return dark3D_ && brush_.Style() != bsClear && !brush_.HasBitmap(); }
    void Assign(const TChartWall& source);

private:
    friend TPublishedProperties<TChartWall>;
    void PropertyChanged() const;

    TCustomChart* chart_;
    TColor defaultColor_;
    TChartBrush brush_;
    TColor color_;
    bool dark3D_ = true;
    TChartPen pen_;
    int size_ = 0;
};

} // namespace kiv
