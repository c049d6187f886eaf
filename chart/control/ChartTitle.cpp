// TChartTitle: the title above the plot or the foot below it.

#include "chart/control/ChartTitle.h"

#include "chart/control/CustomChart.h"

#include <algorithm>

namespace kiv {

TChartTitle::TChartTitle(TCustomChart* chart)
    : TChartFontObject(chart), brush_([this] { Repaint(); }), color_(AutoColor),
      frame_([this] { Repaint(); }) {
    Font().OnChange = nullptr;
    Font().SetColor(clBlue);
    Font().OnChange = [this] { Repaint(); };
}

void TChartTitle::SetAdjustFrame(bool value) {
    if (adjustFrame_ == value) return;
    adjustFrame_ = value;
    Repaint();
}

void TChartTitle::SetAlignment(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    Repaint();
}

void TChartTitle::SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    Repaint();
}

void TChartTitle::SetText(std::vector<std::string> lines) {
    if (text_ == lines) return;
    text_ = std::move(lines);
    Repaint();
}

void TChartTitle::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    Repaint();
}

void TChartTitle::Assign(const TChartTitle& source) {
    TChartFontObject::Assign(source);
    adjustFrame_ = source.adjustFrame_;
    alignment_ = source.alignment_;
    brush_.Assign(source.brush_);
    color_ = source.color_;
    frame_.Assign(source.frame_);
    text_ = source.text_;
    visible_ = source.visible_;
    Repaint();
}

bool TChartTitle::Clicked(int x, int y) const {
    return visible_ && x >= titleRect_.left && x < titleRect_.right && y >= titleRect_.top &&
           y < titleRect_.bottom;
}

void TChartTitle::DrawTitle(bool onTop) {
    TCustomChart& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    chart.ApplyTextFont(Font());
    const int h = chart.FontHeight();
    const int n = int(text_.size());

    // The background: the title's colour, or its brush.
    TBrush& brush = canvas.Brush();
    if (color_ == AutoColor) {
        if (brush_.Style() != bsSolid) {
            brush = brush_;
            canvas.SetBackgroundMode(cbmTransparent);
        } else if (brush_.Color() == AutoColor) {
            brush.SetStyle(bsClear);
        } else {
            SetColor(brush_.Color());
            brush.SetColor(brush_.Color());
            brush.SetStyle(bsSolid);
        }
    } else if (brush_.Style() != bsSolid) {
        brush = brush_;
        canvas.SetBackgroundMode(cbmOpaque);
        canvas.SetBackgroundColor(color_);
    } else {
        brush.SetColor(color_);
        brush.SetStyle(bsSolid);
        brush.SetBitmap(nullptr);
    }

    const bool framed = frame_.Visible() && frame_.Color() != AutoColor;
    const int f = framed ? frame_.Width() : 0;
    const TRect chartRect = chart.ChartRect();
    TRect& r = titleRect_;
    r.left = chartRect.left + f;
    r.right = chartRect.right - f;
    if (onTop) {
        r.top = chartRect.top + f;
        r.bottom = r.top + n * h;
    } else {
        r.bottom = chartRect.bottom - f;
        r.top = r.bottom - n * h;
    }
    if (framed)
        canvas.UsePen(frame_);
    else
        canvas.Pen().SetStyle(psClear);
    r = {r.left - f, r.top - f, r.right + f, r.bottom + f};

    const int w = canvas.MeasureTextWidth("W");
    if (framed || canvas.Brush().Style() != bsClear) {
        if (adjustFrame_) {
            int widest = 0;
            for (const std::string& line : text_)
                widest = std::max(widest, canvas.MeasureTextWidth(line));
            const int b = w + widest;
            if (alignment_ == taLeftJustify) {
                r.right = r.left + b;
            } else if (alignment_ == taRightJustify) {
                r.left = r.right - b;
            } else {
                const int c = (r.left + r.right) / 2;
                r.left = c - b / 2;
                r.right = c + b / 2;
            }
        }
        canvas.FramedRectangle(r);
    }

    canvas.SetBackgroundMode(cbmTransparent);
    const int left = chartRect.left + f, right = chartRect.right - f;
    for (int k = 0; k < n; ++k) {
        const std::string& line = text_[size_t(k)];
        const int y = onTop ? chartRect.top + f + k * h : chartRect.bottom - f - (n - k) * h;
        int x;
        if (alignment_ == taLeftJustify)
            x = left + w / 2;
        else if (alignment_ == taRightJustify)
            x = right - canvas.MeasureTextWidth(line) - w / 2;
        else
            x = (left + right) / 2 - canvas.MeasureTextWidth(line) / 2;
        if (canvas.RendersDepthNatively())
            canvas.DrawText3D(x, y, line, 0);
        else
            canvas.DrawText(x, y, line);
    }

    TRect shrunk = chartRect;
    if (onTop)
        shrunk.top = chartRect.top + f + n * h + (framed ? f : 0) + TitleGap;
    else
        shrunk.bottom = chartRect.bottom - f - n * h - (framed ? f : 0) - TitleGap;
    chart.SetChartRect(shrunk);
    chart.NormalizeChartRect();
}

} // namespace kiv
