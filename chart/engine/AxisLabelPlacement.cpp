// TCustomChartAxis: where a label or title text goes for each side of the chart and each angle,
// and how its lines follow one another.

#include "chart/engine/Axis.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include <cstdint>

namespace kiv {

namespace {

// Lines as the chart measures them: split at each separator, a non-empty rest is the last one.
int CountLines(std::string_view text) {
    int lines = 0;
    size_t start = 0;
    for (size_t sep; (sep = text.find(LineSeparator, start)) != std::string_view::npos;
         start = sep + 1)
        ++lines;
    return start < text.size() || lines == 0 ? lines + 1 : lines;
}

} // namespace

void TCustomChartAxis::DrawLabelText(int x, int y, std::string_view text, int angle) {
    if (!chart_) return;
    DrawLines(x, y, text, angle, chart_->FontHeight());
}

void TCustomChartAxis::DrawLines(int x, int y, std::string_view text, int angle, int fontHeight) {
    const bool left = !horizontal_ && !otherSide_, right = !horizontal_ && otherSide_;
    const bool bottom = horizontal_ && !otherSide_;
    // Positions are worked out in 64 bits: a text placed at the edge of the int range must not
    // overflow on its way there.
    int64_t px = x, py = y;
    const int h = fontHeight / 2;
    unsigned align = TA_LEFT;
    switch (angle) {
    case 0:
        align = left ? TA_RIGHT : right ? TA_LEFT : bottom ? TA_CENTER : TA_CENTER | TA_BOTTOM;
        if (!horizontal_) py -= h;
        break;
    case 90:
        if (horizontal_) {
            align = bottom ? TA_RIGHT : TA_LEFT;
            px -= h;
        } else {
            align = left ? TA_CENTER | TA_BOTTOM : TA_CENTER;
        }
        break;
    case 180:
        align = left ? TA_LEFT : right ? TA_RIGHT : bottom ? TA_CENTER | TA_BOTTOM : TA_CENTER;
        if (!horizontal_) py += h;
        break;
    case 270:
        if (horizontal_) {
            align = bottom ? TA_LEFT : TA_RIGHT;
            px += h;
        } else {
            align = left ? TA_CENTER : TA_CENTER | TA_BOTTOM;
        }
        break;
    default:
        break;
    }

    // Lines advance down the text: downwards at 0, rightwards at 90, and the other way at 180
    // and 270, so the first line's offset is worked out from the whole block.
    const int lines = CountLines(text);
    const int64_t lh = (angle == 180 || angle == 270) ? -int64_t(fontHeight) : fontHeight;
    const int64_t total = lines * lh;
    const int64_t centred = RoundPixel(double(lh) * 0.5 * (lines + 1));
    if (horizontal_) {
        if (angle == 0)
            py -= otherSide_ ? total : lh;
        else if (angle == 90 || angle == 270)
            px -= centred;
        else if (angle == 180)
            py -= otherSide_ ? lh : total;
    } else if (angle == 0 || angle == 180) {
        py -= centred;
    } else if (angle == 90) {
        px -= otherSide_ ? lh : total;
    } else if (angle == 270) {
        px -= otherSide_ ? total : lh;
    }

    TKivCanvas3D& canvas = chart_->Canvas();
    const int depth = otherSide_ ? chart_->DepthWidth() : 0;
    canvas.SetTextAlignment(align);
    size_t start = 0;
    for (int i = 0; i < lines; ++i) {
        size_t end = text.find(LineSeparator, start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (angle == 0) {
            py += lh;
            canvas.DrawText3D(ClampPixel(px), ClampPixel(py), line, depth);
            continue;
        }
        if (angle == 90 || angle == 270)
            px += lh;
        else if (angle == 180)
            py += lh;
        canvas.DrawRotatedText3D(ClampPixel(px), ClampPixel(py), angle, line, depth);
    }
    canvas.SetTextAlignment(TA_LEFT);
}

} // namespace kiv
