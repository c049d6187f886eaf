// Drawing marks: the series measures and places each visible point's mark, the marks draw the
// arrow, the box and the text.

#include "chart/engine/AxisPanel.h"
#include "chart/engine/Marks.h"
#include "chart/engine/Series.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>

namespace kiv {

void TChartSeries::DrawMarks() {
    if (!parentChart_ || !marks_->Visible() || firstVisible_ < 0) return;
    TCustomAxisPanel& chart = *parentChart_;
    TKivCanvas3D& canvas = chart.Canvas();
    const int last = std::min(lastVisible_, PointCount() - 1);
    bool fontSelected = false;
    int fontHeight = 0, spacing = 0;
    for (int i = firstVisible_; i <= last; ++i) {
        if (IsNullPoint(i)) continue;
        const std::string text = MarkText(i);
        if (text.empty()) continue;
        if (!fontSelected) {
            // One font for all marks of the series, measured once.
            chart.ApplyTextFont(marks_->Font());
            const TView3DOptions& options = chart.View3DOptions();
            if (chart.View3D() && !canvas.RendersRotationNatively() && options.ZoomText())
                canvas.Font().SetSize(
                    std::max(1, RoundPixel(canvas.Font().Size() * options.Zoom() * 0.01)));
            fontHeight = chart.FontHeight();
            int lines = 0;
            spacing = chart.MeasureMultiLineText("W", lines);
            fontSelected = true;
        }
        int lines = 0;
        TSeriesMarkPosition position;
        position.BoxWidth = chart.MeasureMultiLineText(text, lines) + spacing;
        position.BoxHeight = lines * fontHeight;
        const TChartPen& frame = marks_->Frame();
        canvas.UsePen(frame);
        if (frame.Visible()) {
            position.BoxWidth += 2 * frame.Width();
            position.BoxHeight += 2 * frame.Width();
        }
        const TPoint at{PointScreenX(i), PointScreenY(i)};
        position.ArrowStart = position.ArrowEnd = at;
        position.BoxTopLeft = {at.x - position.BoxWidth / 2, at.y - position.BoxHeight + 1};
        DrawPointMark(i, text, position);
    }
}

void TChartSeries::DrawPointMark(int index, const std::string& text,
                                 TSeriesMarkPosition& position) {
    marks_->DrawMarkBox(index, PointColor(index), position, text);
}

void TSeriesMarks::DrawMarkBox(int index, TColor color, TSeriesMarkPosition& position,
                               const std::string& text) {
    UsePosition(index, position);
    TCustomAxisPanel* chart = series_->ParentChart();
    if (!chart) return;
    TKivCanvas3D& canvas = chart->Canvas();
    const bool is3D = chart->View3D();

    if (arrow_.Visible()) {
        canvas.UsePen(arrow_);
        canvas.Brush().SetStyle(bsClear);
        // An arrow in the point's colour or the chart's would not show: black, or white on a
        // black chart.
        const TColor background = chart->Color();
        if (MarkArrowContrast && (arrow_.Color() == color || arrow_.Color() == background))
            canvas.Pen().SetColor(background == clBlack ? clWhite : clBlack);
        const TPoint from = position.ArrowStart, to = position.ArrowEnd;
        if (is3D)
            canvas.LineAtDepth(from.x, from.y, to.x, to.y, markDepth_);
        else
            canvas.LineSegment(from.x, from.y, to.x, to.y);
    }
    if (is3D && !canvas.RendersRotationNatively()) {
        // The box follows the projected arrow end.
        const TPoint end = canvas.ProjectPoint(position.ArrowEnd, markDepth_);
        position.BoxTopLeft = {end.x + position.BoxTopLeft.x - position.ArrowEnd.x,
                               end.y - (position.ArrowEnd.y - position.BoxTopLeft.y)};
    }
    if (frame_.Visible() || !transparent_) {
        canvas.Brush().SetColor(backColor_);
        canvas.Brush().SetStyle(transparent_ ? bsClear : bsSolid);
        canvas.UsePen(frame_);
        const TPoint tl = position.BoxTopLeft;
        const TRect box{tl.x, tl.y, tl.x + position.BoxWidth, tl.y + position.BoxHeight};
        if (canvas.RendersRotationNatively())
            canvas.RectangleAtDepth(box, markDepth_ + 1);
        else
            canvas.RectangleShape(box.left, box.top, box.right, box.bottom);
        if (frame_.Visible()) position.BoxTopLeft.y += frame_.Width();
    }

    canvas.Brush().SetStyle(bsClear);
    canvas.SetTextAlignment(TA_CENTER);
    const int fontHeight = chart->FontHeight();
    const int x = position.BoxTopLeft.x + position.BoxWidth / 2;
    int y = position.BoxTopLeft.y;
    // After each separator only the next 255 characters of the rest are kept.
    std::string_view rest = text;
    for (;;) {
        const size_t sep = rest.find(LineSeparator);
        const std::string_view line = rest.substr(0, sep);
        if (canvas.RendersRotationNatively())
            canvas.DrawText3D(x, y, line, markDepth_);
        else
            canvas.DrawText(x, y, line);
        if (sep == std::string_view::npos) break;
        rest = rest.substr(sep + 1, 255);
        y += fontHeight;
    }
    canvas.SetTextAlignment(TA_LEFT);
}

} // namespace kiv
