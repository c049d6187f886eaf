// The chart's title above the plot and its foot below it.
#pragma once

#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "chart/control/ChartBrush.h"
#include "chart/control/ChartFontObject.h"

#include <string>
#include <vector>

namespace kiv {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Pixels between a title block and the plotting rectangle.
constexpr int TitleGap = 5;

// A title or foot: lines of text above or below the chart, with font, frame and brush.
class TChartTitle : public TChartFontObject {
public:
    explicit TChartTitle(TCustomChart* chart);

    bool AdjustFrame() const { return adjustFrame_; }
    void SetAdjustFrame(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TChartBrush& Brush() { return brush_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TChartHiddenPen& Frame() { return frame_; }
    const std::vector<std::string>& Text() const { return text_; }
    void SetText(std::vector<std::string> lines);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Assign(const TChartTitle& source);

    // The title's rectangle in the last frame.
    const TRect& TitleRect() const { return titleRect_; }
    // Whether the title is visible and the point lies in its last rectangle.
    bool Clicked(int x, int y) const;
    // Draws the title (on top) or foot (at the bottom) and takes its room off the chart's
    // plotting rectangle.
    void DrawTitle(bool onTop);

private:
    bool adjustFrame_ = true;
    TAlignment alignment_ = taCenter;
    TChartBrush brush_;
    TColor color_;
    TChartHiddenPen frame_;
    std::vector<std::string> text_;
    bool visible_ = true;
    TRect titleRect_;
};

} // namespace kiv
