// TChartSeries: the colour box of a legend item.

#include "chart/engine/AxisPanel.h"
#include "chart/engine/Series.h"

namespace kiv {

void TChartSeries::DrawLegendItem(int item, const TRect& rect) {
    if (!parentChart_ || (item == -1 && colorEachPoint_)) return;
    const TColor color = item == -1 ? seriesColor_ : LegendSwatchColor(item);
    if (color == NoColor) return;
    TColor background = parentChart_->LegendColor();
    if (background == AutoColor) background = parentChart_->Color();
    TBrushStyle style = bsSolid;
    PrepareLegendBrush(item, background, style);
    parentChart_->SetCanvasBrush(color, style, background);
    DrawLegendSymbol(item, rect);
    // A box of the legend's own colour would vanish: outline it once more.
    TKivCanvas3D& canvas = parentChart_->Canvas();
    if (color == parentChart_->LegendColor()) {
        canvas.Brush().SetStyle(bsClear);
        if (color == clBlack) canvas.Pen().SetColor(clWhite);
        canvas.FramedRectangle(rect);
        canvas.Pen().SetColor(clBlack);
    }
}

void TChartSeries::DrawLegendSymbol(int, const TRect& rect) {
    if (parentChart_) parentChart_->Canvas().FramedRectangle(rect);
}

} // namespace kiv
