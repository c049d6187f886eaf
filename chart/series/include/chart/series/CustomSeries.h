// TCustomSeries: points joined by lines or stairs, the area below them, pointers at the points,
// hit tests on lines, areas and pointers, and the axis margins pointers and thick stairs need.
#pragma once

#include "chart/engine/Series.h"
#include "chart/series/SeriesPointer.h"

#include <functional>
#include <memory>

namespace kiv {

class TCustomSeries;

using TSeriesClickPointerEvent =
    std::function<void(TCustomSeries* sender, int valueIndex, int x, int y)>;
using TOnGetPointerStyle =
    std::function<TSeriesPointerStyle(TCustomSeries* sender, int valueIndex)>;

// The base of the line, point and area series: the line's pen, the pointer and the area.
class TCustomSeries : public TChartSeries {
public:
    TCustomSeries();
    ~TCustomSeries() override;

    // Copies the line, area and pointer settings from another TCustomSeries, then the base.
    void Assign(const TChartSeries& source) override;

    // Published by the kinds that show them
    TBrushStyle AreaBrush() const { return areaBrush_; }
    void SetAreaBrush(TBrushStyle value) { Store(areaBrush_, value); }
    TColor AreaColor() const { return areaColor_; }
    void SetAreaColor(TColor value) { Store(areaColor_, value); }
    TChartPen& AreaLinesPen() { return areaLinesPen_; }
    bool Dark3D() const { return dark3D_; }
    void SetDark3D(bool value) { Store(dark3D_, value); }
    bool DrawArea() const { return drawArea_; }
    void SetDrawArea(bool value) { Store(drawArea_, value); }
    bool InvertedStairs() const { return invertedStairs_; }
    void SetInvertedStairs(bool value) { Store(invertedStairs_, value); }
    TBrushStyle LineBrush() const { return lineBrush_; }
    void SetLineBrush(TBrushStyle value) { Store(lineBrush_, value); }
    int LineHeight() const { return lineHeight_; }
    void SetLineHeight(int value) { Store(lineHeight_, value); }
    // Its width, style and visibility draw the line; in 2D the line takes the point's colour.
    TChartPen& LinePen() { return linePen_; }
    const TChartPen& LinePen() const { return linePen_; }
    TSeriesPointer& Pointer() { return *pointer_; }
    const TSeriesPointer& Pointer() const { return *pointer_; }
    bool Stairs() const { return stairs_; }
    void SetStairs(bool value) { Store(stairs_, value); }

    TSeriesClickPointerEvent OnClickPointer;
    TOnGetPointerStyle OnGetPointerStyle;

    // Whether the series joins its points with a line, and whether a click on that line counts.
    bool DrawsLine() const { return drawLine_; }
    bool ClickableLine() const { return clickableLine_; }

    // Pointer and area hooks of the series kinds
    // Strict: the click lies less than the half sizes away from the pointer's centre.
    virtual bool PointerHit(int index, int pointerX, int pointerY, int x, int y) const;
    virtual void DrawPointer(int x, int y, int index, TColor color);
    // Pixel y of the area's lower edge under a point.
    virtual int AreaBottom(int index) const;

    // A pass starts with nothing to connect to, whatever point it starts at.
    void FireBeforeDrawValues() override;
    void DrawPoint(int index) override;
    int HitTest(int x, int y) const override;
    void HorizontalMargins(int& a, int& b) const override;
    void VerticalMargins(int& a, int& b) const override;
    void PrepareLegendBrush(int index, TColor& background, TBrushStyle& style) override;
    // The legend box: the line with the pointer on it, the line alone, or the base box.
    void DrawLegendSymbol(int index, const TRect& rect) override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TCustomSeries) || TChartSeries::InheritsFrom(cls);
    }

protected:
    bool clickableLine_ = true;
    bool drawLine_ = false;

private:
    // The connection from the previous point to (x, y); pointers of the previous point and, on
    // the last point, of this one follow when withPointers.
    void DrawSegmentTo(int x, int y, int index, TColor color, bool isLast, bool withPointers);
    void DrawBand(TCanvas3D& canvas, int x, int y, TColor areaColor);
    void DrawAreaBelow(TCanvas3D& canvas, int x, int y, TColor color, bool isLast);
    void DrawLine(TCanvas3D& canvas, int x, int y, TColor color);
    // Where the line enters the plot when points before the visible range exist.
    TPoint LeadInPoint(int index) const;
    TColor AreaColorOf(TColor pointColor) const;
    bool Is3D() const;

    TBrushStyle areaBrush_ = bsSolid;
    TColor areaColor_ = AutoColor;
    TChartPen areaLinesPen_;
    bool dark3D_ = true;
    bool drawArea_ = false;
    bool invertedStairs_ = false;
    TBrushStyle lineBrush_ = bsSolid;
    int lineHeight_ = 0;
    TChartPen linePen_;
    std::unique_ptr<TSeriesPointer> pointer_;
    bool stairs_ = false;

    // State of one drawing pass, carried from point to point.
    int bottomPos_ = 0;
    int previousBottom_ = 0;
    TPoint previousPoint_;
    TColor previousColour_ = NoColor;
    double depthRatio_ = 1.0;
    // The last drawn point whose pointer is still to be drawn (drawn after both of its
    // segments, so it lies on top of the line).
    TPoint pendingPointer_;
    int pendingIndex_ = -1;
    TColor pendingColour_ = NoColor;
};

} // namespace kiv
