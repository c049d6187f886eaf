// Text output: plain, rotated by an escapement, and at a depth with the 3D zoom applied to the
// font size.
#include "chart/canvas/Canvas3D.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>

namespace kiv {

void TKivCanvas3D::DrawText(int x, int y, std::string_view text) {
    if (!target_) return;
    SyncFont();
    TextOutInFontColor(x, y, text);
}

void TKivCanvas3D::DrawRotatedText(int x, int y, int angle, std::string_view text) {
    if (!target_) return;
    Brush().SetStyle(bsClear);
    if (angle > 360) angle -= 360;
    raster::Font font = DeviceFont();
    font.escapement = angle * 10;
    if (zoomText_ && zoom_ != 1.0) font.size = std::max(1, RoundPixel(font.size * zoom_));
    SelectFont(font);
    TextOutInFontColor(x, y, text);
}

void TKivCanvas3D::DrawRotatedText3D(int x, int y, int angle, std::string_view text, int z) {
    ProjectPoint(x, y, z);
    DrawRotatedText(x, y, angle, text);
}

void TKivCanvas3D::DrawText3D(int x, int y, std::string_view text, int z) {
    if (!target_) return;
    ProjectPoint(x, y, z);
    if (zoomText_ && zoom_ != 1.0) {
        const int scaled = std::max(1, RoundPixel(Font().Size() * zoom_));
        if (scaled != Font().Size()) {
            raster::Font font = DeviceFont();
            font.size = scaled;
            SelectFont(font);
            TextOutInFontColor(x, y, text);
            return;
        }
    }
    DrawText(x, y, text);
}

} // namespace kiv
