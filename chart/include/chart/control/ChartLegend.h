// The legend: a list of series titles or point values beside, above or below the plot, each
// with a colour box.
#pragma once

#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "chart/control/ChartBrush.h"
#include "chart/control/ChartFontObject.h"
#include "chart/engine/Series.h"

#include <string>

namespace kiv {

enum TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };

// The legend: the series or values listed with their colours beside the chart.
class TChartLegend : public TChartFontObject {
public:
    explicit TChartLegend(TCustomChart* chart);

    TLegendAlignment Alignment() const { return alignment_; }
    void SetAlignment(TLegendAlignment value) { Change(alignment_, value); }
    TChartBrush& Brush() { return brush_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Change(color_, value); }
    // Percent of the text width.
    int ColorWidth() const { return colorWidth_; }
    void SetColorWidth(int value);
    TChartHiddenPen& DividingLines() { return dividingLines_; }
    int FirstValue() const { return firstValue_; }
    void SetFirstValue(int value);
    TChartPen& Frame() { return frame_; }
    // Pixels between legend and plot; 0: 3 percent of the chart width.
    int HorizMargin() const { return horizMargin_; }
    void SetHorizMargin(int value) { Change(horizMargin_, value); }
    bool Inverted() const { return inverted_; }
    void SetInverted(bool value) { Change(inverted_, value); }
    TLegendStyle LegendStyle() const { return legendStyle_; }
    void SetLegendStyle(TLegendStyle value) { Change(legendStyle_, value); }
    int MaxNumRows() const { return maxNumRows_; }
    void SetMaxNumRows(int value) { Change(maxNumRows_, value); }
    bool ResizeChart() const { return resizeChart_; }
    void SetResizeChart(bool value) { Change(resizeChart_, value); }
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor value) { Change(shadowColor_, value); }
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int value) { Change(shadowSize_, value); }
    TLegendTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TLegendTextStyle value) { Change(textStyle_, value); }
    // Percent: of the chart height down for a side legend, of the free width sideways for a
    // legend above or below.
    int TopPos() const { return topPos_; }
    void SetTopPos(int value);
    // Pixels between legend and plot; 0: 4 percent of the chart height.
    int VertMargin() const { return vertMargin_; }
    void SetVertMargin(int value) { Change(vertMargin_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Change(visible_, value); }

    bool Vertical() const { return alignment_ == laLeft || alignment_ == laRight; }
    // LegendStyle with lsAuto resolved by the number of active series.
    TLegendStyle EffectiveStyle() const;
    // Items listed (FirstValue taken off), never below 0.
    int ItemCount() const;
    // The text of item k, as OnGetLegendText leaves it.
    std::string LegendText(int item) const;
    // How many items of itemSize pixels fit from start to the chart's edge.
    int LegendCapacity(int start, int itemSize) const;
    // The position of the item at (x, y) in the last frame, or -1.
    int LegendItemAt(int x, int y) const;

    // Lays out and draws the legend, and takes its room off the plotting rectangle.
    void DrawLegend();

    // The last frame's layout.
    const TRect& LegendRect() const { return rect_; }
    int ColorBoxWidth() const { return colorBoxWidth_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    // Whether the last frame drew the legend.
    bool Drawn() const { return drawn_; }
    void ClearLayout() { drawn_ = false; }

private:
    template <class T> void Change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Repaint();
    }
    // Widest text of the count items from the first one listed.
    int WidestText(int count) const;
    void DrawItems(int textX, int itemWidth, int shown, int fontHeight);

    TLegendAlignment alignment_ = laRight;
    TChartBrush brush_;
    TColor color_ = clWhite;
    int colorWidth_ = 12;
    TChartHiddenPen dividingLines_;
    int firstValue_ = 0;
    TChartPen frame_;
    int horizMargin_ = 0;
    bool inverted_ = false;
    TLegendStyle legendStyle_ = lsAuto;
    int maxNumRows_ = 10;
    bool resizeChart_ = true;
    TColor shadowColor_ = clBlack;
    int shadowSize_ = 3;
    TLegendTextStyle textStyle_ = ltsLeftValue;
    int topPos_ = 10;
    int vertMargin_ = 0;
    bool visible_ = true;

    TRect rect_;
    TLegendStyle style_ = lsSeries;
    int colorBoxWidth_ = 0;
    int columns_ = 0, rows_ = 0;
    int fontHeight_ = 0;
    bool drawn_ = false;
};

} // namespace kiv
