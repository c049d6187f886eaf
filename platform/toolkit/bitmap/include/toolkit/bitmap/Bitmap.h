// An uncompressed picture of 24-bit (blue, green, red per pixel) or 8-bit palette pixels,
// stored top row first, read from and written to Windows BMP files.
#pragma once

#include "toolkit/bitmap/Graphic.h"

#include <cstdint>
#include <vector>

namespace tk {

enum class TPixelFormat { pf8bit, pf24bit };

// Bounds every bitmap, whether sized in code or read from a file, so that a damaged header
// cannot ask for gigabytes.
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr int64_t kMaxBitmapPixels = int64_t{64} * 1024 * 1024;

// A 24-bit picture in memory, read from and written to BMP files, usable on any thread.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat pixelFormat = TPixelFormat::pf24bit);

    const char* ClassName() const override { return "TBitmap"; }

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Resizing keeps the pixels of the overlapping top-left area; new pixels are zero.
    void SetWidth(int value) override { SetSize(value, height_); }
    void SetHeight(int value) override { SetSize(width_, value); }
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // Converts the pixels: 8 to 24 bits through the palette, 24 to 8 bits to the nearest
    // palette entry.
    void SetPixelFormat(TPixelFormat value);
    int BytesPerPixel() const { return pixelFormat_ == TPixelFormat::pf24bit ? 3 : 1; }
    int RowBytes() const { return width_ * BytesPerPixel(); }

    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;

    // Out of range: Pixel answers kInvalidColor and SetPixel does nothing.
    static constexpr gfx::TColor kInvalidColor = 0xFFFFFFFF;
    gfx::TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, gfx::TColor color);
    void FillRect(const gfx::TRect& rect, gfx::TColor color);

    // An 8-bit bitmap always has 1 to 256 colours; an empty palette restores the default one.
    TPalette Palette() const override { return palette_; }
    void SetPalette(const TPalette& value) override;

    void Assign(const TPersistent& source) override;
    bool Equals(const TGraphic& other) const override;

    // An empty bitmap writes and reads zero bytes.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { WriteBmp(stream); }
    void WriteBmp(TStream& stream) const;

    void Draw(TBitmap& target, const gfx::TRect& rect) override;

    // Takes the other bitmap's pixels and palette; no change event.
    void Swap(TBitmap& other) noexcept;

private:
    uint8_t PaletteIndex(gfx::TColor color) const;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = TPixelFormat::pf24bit;
    std::vector<uint8_t> pixels_;
    TPalette palette_;
};

// 216 colours of a 6 x 6 x 6 cube and 40 greys.
const TPalette& DefaultPalette();

} // namespace tk
