// Gradient fills in bands: a brush is selected only when a band's colour differs from the one
// before, and linear gradients use at most 256 bands.
#include "chart/canvas/Canvas3D.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>
#include <utility>

namespace kiv {

namespace {

constexpr int kGradientLimit = 32767;

class BandPainter {
public:
    BandPainter(raster::RasterDevice& target, TColor start, TColor end,
                std::function<void(const raster::Brush&)> select)
        : target_(target), select_(std::move(select)) {
        start = ColorToRGB(start);
        end = ColorToRGB(end);
        r_ = GetRValue(start);
        g_ = GetGValue(start);
        b_ = GetBValue(start);
        dR_ = GetRValue(end) - r_;
        dG_ = GetGValue(end) - g_;
        dB_ = GetBValue(end) - b_;
    }

    // The colour of band index over divisor; a divisor of 0 (a single band) gives the start.
    void SetBand(int index, int divisor) {
        TColor color = RGB(r_, g_, b_);
        if (divisor != 0)
            color = RGB((r_ + MulDiv(index, dR_, divisor)) & 0xFF,
                        (g_ + MulDiv(index, dG_, divisor)) & 0xFF,
                        (b_ + MulDiv(index, dB_, divisor)) & 0xFF);
        if (hasColor_ && color == color_) return;
        color_ = color;
        hasColor_ = true;
        raster::Brush brush;
        brush.color = color;
        select_(brush);
    }

    void Paint(int x, int y, int width, int height) {
        if (width != 0 && height != 0) target_.PatBlt(x, y, width, height);
    }

private:
    raster::RasterDevice& target_;
    std::function<void(const raster::Brush&)> select_;
    int r_, g_, b_;
    int dR_, dG_, dB_;
    TColor color_ = 0;
    bool hasColor_ = false;
};

} // namespace

void TKivCanvas3D::GradientFill(const TRect& rect, TColor colorA, TGradientDirection direction,
                                TColor colorB) {
    if (!target_) return;
    if (direction != gdTopBottom && direction != gdLeftRight) std::swap(colorA, colorB);
    BandPainter bands(*target_, colorA, colorB,
                      [this](const raster::Brush& brush) { SelectBrush(brush); });
    // Coordinates beyond the 16-bit range are cut to it: sizes stay in int range and the
    // centre and corner gradients, one band per pixel, stay bounded.
    auto limit = [](int v) { return std::clamp(v, -kGradientLimit, kGradientLimit); };
    const int left = limit(std::min(rect.left, rect.right));
    const int right = limit(std::max(rect.left, rect.right));
    const int top = limit(std::min(rect.top, rect.bottom));
    const int bottom = limit(std::max(rect.top, rect.bottom));
    const int w = right - left;
    const int h = bottom - top;

    switch (direction) {
    case gdTopBottom:
    case gdBottomTop: {
        const int n = std::min(h, 256);
        for (int i = 0; i < n; ++i) {
            bands.SetBand(i, n - 1);
            const int from = MulDiv(i, h, n);
            bands.Paint(left, bottom - from, w, from - MulDiv(i + 1, h, n));
        }
        break;
    }
    case gdLeftRight:
    case gdRightLeft: {
        const int n = std::min(w, 256);
        for (int i = 0; i < n; ++i) {
            bands.SetBand(i, n - 1);
            const int from = MulDiv(i, w, n);
            bands.Paint(right - from, top, from - MulDiv(i + 1, w, n), h);
        }
        break;
    }
    case gdFromCenter: {
        int a = 0;
        int b = 0;
        const int divisor = w / 2 + h / 2;
        for (;;) {
            bands.SetBand(a + b, divisor);
            bands.Paint(left + b, top + a, 1, h - 2 * a);
            bands.Paint(right - b - 1, top + a, 1, h - 2 * a);
            bands.Paint(left + b, top + a, w - 2 * b, 1);
            bands.Paint(left + b, bottom - a - 1, w - 2 * b, 1);
            bool grew = false;
            if (a < h / 2) {
                ++a;
                grew = true;
            }
            if (b < w / 2) {
                ++b;
                grew = true;
            }
            if (!grew) break;
        }
        break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
        const bool fromTop = direction == gdFromTopLeft;
        const int anchor = fromTop ? top : bottom;
        int i = 0;
        int j = 0;
        int y = anchor;
        while (j < h || i < w) {
            bands.SetBand(i + j, w + h);
            bands.Paint(left + i, y, 1, anchor - y);
            if (j < h) {
                ++j;
                if (fromTop) {
                    bands.Paint(left, y, i + 1, 1);
                    if (y < bottom) ++y;
                } else {
                    bands.Paint(left, y - 1, i + 1, 1);
                    if (y > top) --y;
                }
            }
            if (i < w) ++i;
        }
        break;
    }
    }
}

} // namespace kiv
