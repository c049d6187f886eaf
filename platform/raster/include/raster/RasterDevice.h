// The drawing device of a GDI-style context: current pen, brush, font and text settings, and the
// primitives that draw with them. The chart engine draws only through this interface, so it runs
// headless into any back end (QtRasterDevice for pixels, RecordingDevice for tests).
//
// Pixel rules every back end keeps: Rectangle, Ellipse, RoundRect, FillRect and PatBlt cover
// [left, right) x [top, bottom); LineTo leaves the end pixel undrawn.
#pragma once

#include "gfx/Color.h"
#include "gfx/Drawing.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace raster {

// A device-independent image; pixels are colour values (0x00BBGGRR), row by row.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, gfx::TColor fill = 0);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    gfx::TColor Pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    void SetPixel(int x, int y, gfx::TColor c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }
    const gfx::TColor* Data() const { return pixels_.data(); }
    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<gfx::TColor> pixels_;
};

// The pen a device draws lines and outlines with.
struct Pen {
    gfx::TColor color = 0;
    int width = 1;
    gfx::TPenStyle style = gfx::psSolid;
    gfx::TPenMode mode = gfx::pmCopy;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// The brush a device fills shapes with.
struct Brush {
    gfx::TColor color = 0xFFFFFF;
    gfx::TBrushStyle style = gfx::bsSolid;
    // Tiled in place of colour and style while it is set and not empty.
    std::shared_ptr<const Bitmap> pattern;
    bool HasPattern() const { return pattern && !pattern->Empty(); }
    friend bool operator==(const Brush&, const Brush&) = default;
};

// The font a device writes text with.
struct Font {
    std::string name = "Arial";
    int size = 10; // points
    gfx::TFontStyles style = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    friend bool operator==(const Font&, const Font&) = default;
};

// A drawing device with GDI-style primitives and pixel rules, which any back end can serve.
class RasterDevice {
public:
    virtual ~RasterDevice() = default;

    // Capabilities.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int PixelsPerInch() const { return 96; }
    virtual bool Monochrome() const { return false; }
    // An off-screen device of the same kind that BlockCopy can read from.
    virtual std::unique_ptr<RasterDevice> CreateCompatible(int width, int height,
                                                           bool monochrome) const = 0;

    // State. Colours may be system colours; back ends convert them.
    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrush(const Brush& brush) = 0;
    virtual void SetFont(const Font& font) = 0;
    virtual void SetTextColor(gfx::TColor color) = 0;
    virtual void SetBkColor(gfx::TColor color) = 0;
    virtual gfx::TColor BkColor() const = 0;
    virtual void SetBkMode(gfx::TCanvasBackMode mode) = 0;
    virtual gfx::TCanvasBackMode GetBkMode() const = 0;
    virtual void SetTextAlign(unsigned flags) = 0;
    virtual unsigned TextAlign() const = 0;

    // Lines and shapes, outlined with the pen and filled with the brush.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(const gfx::TPoint* points, int count) = 0;
    virtual void Polygon(const gfx::TPoint* points, int count) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    virtual void RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                           int cornerHeight) = 0;
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // Counter-clockwise from the ray through (x3, y3) to the ray through (x4, y4).
    virtual void Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) = 0;
    virtual void Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) = 0;
    virtual void SetPixel(int x, int y, gfx::TColor color) = 0;
    // Brush only, no outline.
    virtual void FillRect(const gfx::TRect& rect) = 0;
    // Brush pattern copy; a negative width or height extends towards smaller coordinates.
    virtual void PatBlt(int x, int y, int width, int height) = 0;

    // Text in 8-bit (Windows-1252) characters, placed by the text alignment; opaque mode fills
    // the text cell with the background colour.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // Size of the text in the current font; false (and a zero size) when it cannot be measured.
    virtual bool TextExtent(std::string_view text, gfx::TSize& size) = 0;

    // Clipping: rectangles intersect the current clip, a polygon replaces it.
    virtual void ClipRect(const gfx::TRect& rect) = 0;
    virtual void ClipPolygon(const gfx::TPoint* points, int count) = 0;
    virtual void RemoveClip() = 0;

    // Copies a w x h block of source (at sx, sy) to (x, y) of this device.
    virtual void BlockCopy(int x, int y, int width, int height, const RasterDevice& source, int sx,
                           int sy) = 0;
    virtual void DrawBitmap(int x, int y, const Bitmap& bitmap) = 0;
    virtual void StretchBitmap(const gfx::TRect& rect, const Bitmap& bitmap) = 0;

    // The pixels drawn so far, as a bitmap of the device's size; false (and an empty bitmap)
    // for a device that keeps no pixels.
    virtual bool ReadPixels(Bitmap& pixels) {
        pixels = Bitmap();
        return false;
    }
};

} // namespace raster
