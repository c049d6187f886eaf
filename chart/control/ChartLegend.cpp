// TChartLegend: items, texts, layout, drawing and the click test.

#include "chart/control/ChartLegend.h"

#include "chart/KivConst.h"
#include "chart/canvas/Rounding.h"
#include "chart/control/CustomChart.h"

#include <algorithm>

namespace kiv {

TChartLegend::TChartLegend(TCustomChart* chart)
    : TChartFontObject(chart), brush_([this] { Repaint(); }), dividingLines_([this] { Repaint(); }),
      frame_([this] { Repaint(); }) {}

void TChartLegend::SetColorWidth(int value) {
    if (value < 0 || value > 100) throw LegendException(KivConst::KivMsg_LegendColorWidth);
    Change(colorWidth_, value);
}

void TChartLegend::SetFirstValue(int value) {
    if (value < 0) throw LegendException(KivConst::KivMsg_LegendFirstValue);
    Change(firstValue_, value);
}

void TChartLegend::SetTopPos(int value) {
    if (value < 0 || value > 100) throw LegendException(KivConst::KivMsg_LegendTopPos);
    Change(topPos_, value);
}

TLegendStyle TChartLegend::EffectiveStyle() const {
    if (legendStyle_ != lsAuto) return legendStyle_;
    return ParentChart()->CountActiveSeries() < 2 ? lsValues : lsSeries;
}

namespace {

TChartSeries* FirstActiveSeries(const TCustomChart& chart) {
    for (TChartSeries* s : chart.SeriesList())
        if (s->Active()) return s;
    return nullptr;
}

} // namespace

int TChartLegend::ItemCount() const {
    const TCustomChart& chart = *ParentChart();
    int count = 0;
    if (EffectiveStyle() == lsValues) {
        const TChartSeries* first = FirstActiveSeries(chart);
        if (first && first->ShowInLegend()) count = first->LegendItemCount() - firstValue_;
    } else {
        for (const TChartSeries* s : chart.SeriesList())
            if (s->Active() && s->ShowInLegend()) ++count;
        count -= firstValue_;
    }
    return std::max(count, 0);
}

std::string TChartLegend::LegendText(int item) const {
    TCustomChart& chart = *ParentChart();
    const TLegendStyle style = EffectiveStyle();
    std::string text;
    if (style == lsSeries) {
        text = chart.SeriesLegendTitle(item);
    } else if (style == lsValues) {
        text = chart.LegendValueText(FirstActiveSeries(chart), item);
    } else if (item >= 0 && item < chart.SeriesCount()) {
        const TChartSeries* s = chart.Series(item);
        text = chart.LegendValueText(s, s->PointCount() - 1);
    }
    if (chart.OnGetLegendText) chart.OnGetLegendText(&chart, style, item, text);
    return text;
}

int TChartLegend::LegendCapacity(int start, int itemSize) const {
    const TCustomChart& chart = *ParentChart();
    const TRect& r = chart.ChartRect();
    const int limit = Vertical() ? r.bottom : r.right;
    const int span = Vertical() ? r.Height() + r.top : r.Width();
    if (start >= limit || itemSize <= 0) return 0;
    return std::min((span - 2 * frame_.Width() - start) / itemSize, ItemCount());
}

int TChartLegend::WidestText(int count) const {
    TKivCanvas3D& canvas = ParentChart()->Canvas();
    int widest = 0;
    for (int k = 0; k < count; ++k)
        widest = std::max(widest, canvas.MeasureTextWidth(LegendText(firstValue_ + k)));
    return widest;
}

void TChartLegend::DrawLegend() {
    TCustomChart& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    drawn_ = false;
    style_ = EffectiveStyle();
    chart.SetLegendColor(color_);
    chart.ApplyTextFont(Font());
    const int h = chart.FontHeight();
    fontHeight_ = h;

    const int count = ItemCount();
    int itemWidth = WidestText(count) + 4;
    colorBoxWidth_ = MulDiv(itemWidth, colorWidth_, 100);
    const int f = frame_.Width();
    const int frameGap = frame_.Visible() ? f + 1 : 0;
    const TRect chartRect = chart.ChartRect();
    const TRect& bounds = chart.ChartBounds();

    auto horizontalLayout = [&] {
        columns_ = LegendCapacity(8, itemWidth + colorBoxWidth_ + 8);
        rows_ = columns_ == 0 ? 0 : std::min((count + columns_ - 1) / columns_, maxNumRows_);
    };
    TRect& r = rect_;
    switch (alignment_) {
    case laTop:
        r.top = chartRect.top + frameGap;
        horizontalLayout();
        r.bottom = r.top + rows_ * h + 2;
        break;
    case laBottom:
        r.bottom = chartRect.bottom - shadowSize_ - frameGap;
        horizontalLayout();
        r.top = r.bottom - rows_ * h - 2;
        break;
    default:
        r.top = bounds.top + MulDiv(topPos_, bounds.Height(), 100);
        columns_ = 1;
        rows_ = LegendCapacity(r.top, h);
        r.bottom = r.top + rows_ * h + 2;
        break;
    }

    int textX = 0, shown = 0;
    switch (alignment_) {
    case laLeft:
        itemWidth = WidestText(rows_);
        r.left = chartRect.left + frameGap;
        colorBoxWidth_ = MulDiv(itemWidth + 10, colorWidth_, 100);
        textX = r.left + 8 + colorBoxWidth_;
        r.right = textX + itemWidth + 2;
        shown = rows_;
        break;
    case laRight:
        itemWidth = WidestText(rows_);
        r.right = chartRect.right - frameGap - shadowSize_;
        textX = r.right - itemWidth - 2;
        colorBoxWidth_ = MulDiv(itemWidth + 10, colorWidth_, 100);
        r.left = textX - colorBoxWidth_ - 8;
        shown = rows_;
        break;
    default: {
        const int w = std::min(chartRect.Width(),
                               2 * shadowSize_ + (colorBoxWidth_ + itemWidth + 4) * columns_ + 8);
        const int shift = MulDiv(topPos_, bounds.Width() - w, 100);
        const int centre = (chartRect.left + chartRect.right) / 2;
        r.left = centre + shift - w / 2;
        r.right = centre + shift + w / 2;
        textX = r.left + 8 + colorBoxWidth_;
        shown = columns_ * rows_;
        break;
    }
    }
    if (chart.OnGetLegendRect) chart.OnGetLegendRect(&chart, r);
    if (shown < 1) return;
    drawn_ = true;

    // Shadow, then the framed background.
    canvas.UsePen(frame_);
    if (frame_.Color() == AutoColor) canvas.Pen().SetColor(clBlack);
    TRect framed = r;
    int s = shadowSize_ - 1;
    if (frame_.Visible()) {
        framed = {r.left - f, r.top - f, r.right + f, r.bottom + f};
        s = shadowSize_ + f + (f - 1) / 2;
    }
    if (shadowSize_ > 0) {
        canvas.Brush().SetBitmap(nullptr);
        canvas.Brush().SetColor(shadowColor_);
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRectangle(
            {r.left + shadowSize_, r.top + shadowSize_, r.right + s, r.bottom + s});
    }
    if (brush_.HasBitmap()) {
        canvas.Brush() = brush_;
    } else if (brush_.Style() != bsSolid) {
        canvas.Brush() = brush_;
        if (brush_.Color() == AutoColor) canvas.Brush().SetColor(clBlack);
        canvas.SetBackgroundMode(cbmOpaque);
        canvas.SetBackgroundColor(color_);
    } else {
        canvas.Brush().SetBitmap(nullptr);
        canvas.Brush().SetColor(color_);
        canvas.Brush().SetStyle(bsSolid);
    }
    canvas.FramedRectangle(framed);

    DrawItems(textX, itemWidth, shown, h);

    TRect plot = chart.ChartRect();
    if (resizeChart_) {
        switch (alignment_) {
        case laLeft:
            plot.left = r.right;
            break;
        case laRight:
            plot.right = r.left;
            break;
        case laTop:
            plot.top = r.bottom + shadowSize_;
            break;
        case laBottom:
            plot.bottom = r.top;
            break;
        }
    }
    switch (alignment_) {
    case laLeft:
        plot.left += horizMargin_ ? horizMargin_ : MulDiv(3, plot.Width(), 100);
        break;
    case laRight:
        plot.right -= horizMargin_ ? horizMargin_ : MulDiv(3, plot.Width(), 100);
        break;
    case laTop:
        plot.top += vertMargin_ ? vertMargin_ : MulDiv(4, plot.Height(), 100);
        break;
    case laBottom:
        plot.bottom -= vertMargin_ ? vertMargin_ : MulDiv(4, plot.Height(), 100);
        break;
    }
    chart.SetChartRect(plot);
    chart.NormalizeChartRect();
}

void TChartLegend::DrawItems(int textX, int itemWidth, int shown, int h) {
    TCustomChart& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    const TRect& r = rect_;
    const int count = ItemCount();
    const TColor textPen = color_ == clBlack ? clWhite : clBlack;
    auto itemPen = [&] {
        canvas.Pen().SetColor(textPen);
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetWidth(1);
        canvas.Pen().SetMode(pmCopy);
    };
    itemPen();
    const int last = std::min(count, shown) + firstValue_ - 1;
    TChartSeries* firstActive = FirstActiveSeries(chart);
    for (int p = 0; p <= last - firstValue_ && p < count; ++p) {
        const int item = inverted_ ? last - p : firstValue_ + p;
        int x = textX, y = r.top + 1 + p * h;
        if (!Vertical()) {
            y = r.top + 1 + (p / columns_) * h;
            x += (p % columns_) * (itemWidth + colorBoxWidth_ + 4);
        }
        if (chart.OnGetLegendPos) chart.OnGetLegendPos(&chart, item, x, y);
        const int boxLeft = x - 4 - colorBoxWidth_;
        if (p > 0 && dividingLines_.Visible()) {
            canvas.UsePen(dividingLines_);
            canvas.SetBackgroundMode(cbmTransparent);
            if (Vertical())
                canvas.HorizontalLine(r.left, r.right, y);
            else
                canvas.VerticalLine(boxLeft - 4, r.top, r.bottom);
            itemPen();
        }
        const std::string text = LegendText(item);
        if (text.empty()) continue;
        canvas.Brush().SetBitmap(nullptr);
        canvas.Brush().SetColor(color_);
        canvas.Brush().SetStyle(bsClear);
        canvas.SetBackgroundMode(cbmTransparent);
        canvas.DrawText(x, y, text);
        const TRect box{boxLeft, y + 2, x - 4, y + h - 2};
        TChartSeries* series = style_ == lsValues ? firstActive : chart.SeriesLegend(item);
        if (series) {
            series->DrawLegendItem(style_ == lsValues ? item : -1, box);
        } else {
            canvas.Brush().SetColor(clWhite);
            canvas.Brush().SetStyle(bsSolid);
            canvas.FramedRectangle(box);
        }
        itemPen();
    }
}

int TChartLegend::LegendItemAt(int x, int y) const {
    const TRect& r = rect_;
    if (!drawn_ || x < r.left || x >= r.right || y < r.top || y >= r.bottom) return -1;
    auto rowAt = [&](int rowHeight) {
        for (int row = 0; row < rows_; ++row) {
            const int top = r.top + row * rowHeight;
            if (top + 1 <= y && y <= top + rowHeight) return row;
        }
        return -1;
    };
    if (Vertical()) return rows_ == 0 ? -1 : rowAt((r.bottom - r.top) / rows_);
    if (columns_ == 0) return -1;
    const int columnWidth = (r.right - r.left) / columns_;
    int found = -1;
    for (int c = 0; c < columns_; ++c) {
        const int left = r.left + c * columnWidth;
        if (left + 1 <= x && x <= left + columnWidth) {
            const int row = rowAt(fontHeight_);
            if (row >= 0) found = row * columns_ + c;
        }
    }
    return found;
}

} // namespace kiv
