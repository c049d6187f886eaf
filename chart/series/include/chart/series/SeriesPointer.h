// The pointer: the small shape a series draws at each of its points.
#pragma once

#include "chart/canvas/Canvas3D.h"
#include "chart/canvas/Pen.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/control/ChartBrush.h"

namespace kiv {

class TChartSeries;

enum TSeriesPointerStyle {
    psRectangle,
    psCircle,
    psTriangle,
    psDownTriangle,
    psCross,
    psDiagCross,
    psStar,
    psDiamond,
    psSmallDot
};

// The pointer drawn at each point of a line or point series: style, size, pen and brush.
class TSeriesPointer : public TPublishedProperties<TSeriesPointer> {
public:
    // The pen and brush repaint the series when they change.
    explicit TSeriesPointer(TChartSeries* series);
    TSeriesPointer(const TSeriesPointer&) = delete;
    TSeriesPointer& operator=(const TSeriesPointer&) = delete;

    // Published properties
    TChartBrush& Brush() { return brush_; }
    const TChartBrush& Brush() const { return brush_; }
    bool Dark3D() const { return dark3D_; }
    void SetDark3D(bool value) { Store(dark3D_, value); }
    bool Draw3D() const { return draw3D_; }
    void SetDraw3D(bool value) { Store(draw3D_, value); }
    // Half the width, in pixels; below 1 is refused.
    int HorizSize() const { return horizSize_; }
    void SetHorizSize(int value);
    bool InflateMargins() const { return inflateMargins_; }
    void SetInflateMargins(bool value) { Store(inflateMargins_, value); }
    TChartPen& Pen() { return pen_; }
    const TChartPen& Pen() const { return pen_; }
    TSeriesPointerStyle Style() const { return style_; }
    void SetStyle(TSeriesPointerStyle value) { Store(style_, value); }
    // Half the height, in pixels; below 1 is refused.
    int VertSize() const { return vertSize_; }
    void SetVertSize(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    TChartSeries* ParentSeries() const { return series_; }
    bool AllowChangeSize() const { return allowChangeSize_; }
    void SetAllowChangeSize(bool value) { allowChangeSize_ = value; }
    // Copies every published property; the series repaints once.
    void Assign(const TSeriesPointer& source);

    // Pen from the pointer's pen and brush from its brush; what has no colour of its own
    // (AutoColor) takes color.
    void PrepareCanvas(TCanvas3D& canvas, TColor color) const;
    // Widens the margins (left and right, or top and bottom) so a pointer at an automatic axis
    // end stays whole.
    void Margins(int& a, int& b, bool horizontal) const;
    // One pointer centred on (x, y), w and h pixels each way. In 3D the shape stands in the
    // series' depth band.
    void DrawShape(TCanvas3D& canvas, bool is3D, int x, int y, int w, int h, TColor color,
                   TSeriesPointerStyle style) const;
    // The pointer in a legend box, shrunk to fit it (to a third of it when a line is drawn
    // through the box too).
    void DrawLegendShape(TCanvas3D& canvas, TColor color, const TRect& rect, bool withLine) const;

private:
    friend TPublishedProperties<TSeriesPointer>;
    void PropertyChanged() const;

    TChartSeries* series_;
    TChartBrush brush_;
    bool dark3D_ = true;
    bool draw3D_ = true;
    int horizSize_ = 4;
    bool inflateMargins_ = true;
    TChartPen pen_;
    TSeriesPointerStyle style_ = psRectangle;
    int vertSize_ = 4;
    bool visible_ = true;
    bool allowChangeSize_ = true;
};

} // namespace kiv
