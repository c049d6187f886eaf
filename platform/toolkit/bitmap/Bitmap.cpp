#include "toolkit/bitmap/Bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tk {

namespace {

void CheckSize(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        int64_t{width} * height > kMaxBitmapPixels)
        throw rtl::EInvalidGraphicOperation(
            rtl::Format("Invalid bitmap size %d x %d", {int64_t{width}, int64_t{height}}));
}

int Distance(gfx::TColor a, gfx::TColor b) {
    const int dr = gfx::GetRValue(a) - gfx::GetRValue(b);
    const int dg = gfx::GetGValue(a) - gfx::GetGValue(b);
    const int db = gfx::GetBValue(a) - gfx::GetBValue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

const TPalette& DefaultPalette() {
    static const TPalette palette = [] {
        TPalette p;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) p.push_back(gfx::RGB(r * 51, g * 51, b * 51));
        for (int i = 1; i <= 40; ++i) {
            auto level = static_cast<uint8_t>(i * 255 / 41);
            p.push_back(gfx::RGB(level, level, level));
        }
        return p;
    }();
    return palette;
}

TBitmap::TBitmap(int width, int height, TPixelFormat pixelFormat) {
    SetPixelFormat(pixelFormat);
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    CheckSize(width, height);
    int bpp = BytesPerPixel();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * bpp);
    int keepBytes = std::min(width, width_) * bpp;
    for (int y = 0, rows = keepBytes > 0 ? std::min(height, height_) : 0; y < rows; ++y)
        std::memcpy(pixels.data() + static_cast<size_t>(y) * width * bpp,
                    pixels_.data() + static_cast<size_t>(y) * width_ * bpp, keepBytes);
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
    if (value == pixelFormat_) {
        if (value == TPixelFormat::pf8bit && palette_.empty()) palette_ = DefaultPalette();
        return;
    }
    size_t count = static_cast<size_t>(width_) * height_;
    std::vector<uint8_t> pixels(count * (value == TPixelFormat::pf24bit ? 3 : 1));
    if (value == TPixelFormat::pf24bit) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t index = pixels_[i];
            gfx::TColor c = index < palette_.size() ? palette_[index] : 0;
            pixels[i * 3] = static_cast<uint8_t>(c >> 16);
            pixels[i * 3 + 1] = static_cast<uint8_t>(c >> 8);
            pixels[i * 3 + 2] = static_cast<uint8_t>(c);
        }
        palette_.clear();
    } else {
        palette_ = DefaultPalette();
        // Nearest entries are looked up once per 15-bit colour.
        std::vector<int16_t> cache(32768, -1);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = &pixels_[i * 3];
            int key = (p[2] >> 3) | ((p[1] >> 3) << 5) | ((p[0] >> 3) << 10);
            if (cache[key] < 0) cache[key] = PaletteIndex(gfx::RGB(p[2], p[1], p[0]));
            pixels[i] = static_cast<uint8_t>(cache[key]);
        }
    }
    pixels_ = std::move(pixels);
    pixelFormat_ = value;
    SetPaletteModified(true);
    Changed();
}

uint8_t TBitmap::PaletteIndex(gfx::TColor color) const {
    size_t best = 0;
    int bestDistance = Distance(color, palette_[0]);
    for (size_t i = 1; i < palette_.size() && bestDistance > 0; ++i) {
        int d = Distance(color, palette_[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

uint8_t* TBitmap::ScanLine(int row) {
    return const_cast<uint8_t*>(static_cast<const TBitmap&>(*this).ScanLine(row));
}

const uint8_t* TBitmap::ScanLine(int row) const {
    if (row < 0 || row >= height_)
        throw rtl::EInvalidGraphicOperation("Scan line index out of range");
    return pixels_.data() + static_cast<size_t>(row) * RowBytes();
}

gfx::TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColor;
    size_t i = static_cast<size_t>(y) * width_ + x;
    if (pixelFormat_ == TPixelFormat::pf8bit) {
        uint8_t index = pixels_[i];
        return index < palette_.size() ? palette_[index] : 0;
    }
    const uint8_t* p = &pixels_[i * 3];
    return gfx::RGB(p[2], p[1], p[0]);
}

void TBitmap::SetPixel(int x, int y, gfx::TColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    size_t i = static_cast<size_t>(y) * width_ + x;
    if (pixelFormat_ == TPixelFormat::pf8bit) {
        pixels_[i] = PaletteIndex(color & 0xFFFFFF);
        return;
    }
    uint8_t* p = &pixels_[i * 3];
    p[0] = static_cast<uint8_t>(color >> 16);
    p[1] = static_cast<uint8_t>(color >> 8);
    p[2] = static_cast<uint8_t>(color);
}

void TBitmap::FillRect(const gfx::TRect& rect, gfx::TColor color) {
    int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
    int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
    if (left >= right || top >= bottom) return;
    if (pixelFormat_ == TPixelFormat::pf8bit) {
        uint8_t index = PaletteIndex(color & 0xFFFFFF);
        for (int y = top; y < bottom; ++y)
            std::memset(ScanLine(y) + left, index, static_cast<size_t>(right - left));
        return;
    }
    const std::array<uint8_t, 3> bgr{static_cast<uint8_t>(color >> 16),
                                     static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color)};
    for (int y = top; y < bottom; ++y) {
        uint8_t* p = ScanLine(y) + left * 3;
        for (int x = left; x < right; ++x, p += 3) std::memcpy(p, bgr.data(), 3);
    }
}

void TBitmap::SetPalette(const TPalette& value) {
    if (value.size() > 256)
        throw rtl::EInvalidGraphicOperation("A palette holds at most 256 colours");
    if (pixelFormat_ != TPixelFormat::pf8bit) return;
    palette_ = value.empty() ? DefaultPalette() : value;
    SetPaletteModified(true);
    Changed();
}

void TBitmap::Assign(const TPersistent& source) {
    if (&source == this) return;
    if (auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        pixels_ = bitmap->pixels_;
        palette_ = bitmap->palette_;
        width_ = bitmap->width_;
        height_ = bitmap->height_;
        pixelFormat_ = bitmap->pixelFormat_;
        SetPaletteModified(true);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

bool TBitmap::Equals(const TGraphic& other) const {
    auto* bitmap = dynamic_cast<const TBitmap*>(&other);
    if (!bitmap) return false;
    if (Empty() || bitmap->Empty()) return Empty() && bitmap->Empty();
    return width_ == bitmap->width_ && height_ == bitmap->height_ &&
           pixelFormat_ == bitmap->pixelFormat_ && palette_ == bitmap->palette_ &&
           pixels_ == bitmap->pixels_;
}

void TBitmap::Draw(TBitmap& target, const gfx::TRect& rect) {
    if (Empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
    if (&target == this) {
        TBitmap copy;
        copy.Assign(*this);
        copy.Draw(target, rect);
        return;
    }
    int left = std::max(rect.left, 0), right = std::min(rect.right, target.Width());
    int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, target.Height());
    bool direct =
        pixelFormat_ == TPixelFormat::pf24bit && target.PixelFormat() == TPixelFormat::pf24bit;
    for (int y = top; y < bottom; ++y) {
        int sy = static_cast<int>(int64_t{y - rect.top} * height_ / rect.Height());
        for (int x = left; x < right; ++x) {
            int sx = static_cast<int>(int64_t{x - rect.left} * width_ / rect.Width());
            if (direct)
                std::memcpy(target.ScanLine(y) + x * 3, ScanLine(sy) + sx * 3, 3);
            else
                target.SetPixel(x, y, Pixel(sx, sy));
        }
    }
    target.Changed();
}

void TBitmap::Swap(TBitmap& other) noexcept {
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(pixelFormat_, other.pixelFormat_);
    pixels_.swap(other.pixels_);
    palette_.swap(other.palette_);
}

} // namespace tk
