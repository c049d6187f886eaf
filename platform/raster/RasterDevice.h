// The drawing device of a GDI-style context: current pen, brush, font and text settings, and the
// primitives that draw with them. The chart engine draws only through this interface, so it runs
// headless into any back end (QtRasterDevice for pixels, RecordingDevice for tests).
//
// Pixel rules every back end keeps: Rectangle, Ellipse, RoundRect, FillRect and PatBlt cover
// [left, right) x [top, bottom); LineTo leaves the end pixel undrawn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace raster {

// 0x00BBGGRR. A value whose high byte is 0xFF names a system colour by its low byte.
using Color = std::uint32_t;

constexpr Color kSystemColorFlag = 0xFF000000u;

// System colour indexes as they appear in the low byte of a system colour value.
enum SystemColorIndex : std::uint8_t {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};

// Plain RGB for a colour value: system colours come from a fixed classic-grey table (unknown
// indexes give black); any other value keeps its low three bytes.
Color ColorToRGB(Color color);

constexpr std::uint8_t GetRValue(Color c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GetGValue(Color c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t GetBValue(Color c) {
    return static_cast<std::uint8_t>(c >> 16);
}
constexpr Color RGB(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle : std::uint8_t {
    Solid,
    Dash,
    Dot,
    DashDot,
    DashDotDot,
    Clear,
    InsideFrame,
    Alternate, // cosmetic pen that sets every other pixel
};

enum class PenMode : std::uint8_t { Copy, NotXor };

enum class BrushStyle : std::uint8_t {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross,
    Pattern, // tiles Brush::pattern
};

enum class BkMode : std::uint8_t { Transparent, Opaque };

// Font style bits.
enum FontStyleBits : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Text alignment flags (combined with |).
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

// A device-independent image; pixels are colour values (0x00BBGGRR), row by row.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, Color fill = 0);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    Color Pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    void SetPixel(int x, int y, Color c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }
    const Color* Data() const { return pixels_.data(); }
    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Color> pixels_;
};

struct Pen {
    Color color = 0;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
    Color color = 0xFFFFFF;
    BrushStyle style = BrushStyle::Solid;
    std::shared_ptr<const Bitmap> pattern; // used with BrushStyle::Pattern
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct Font {
    std::string name = "Arial";
    int size = 10;          // points
    std::uint8_t style = 0; // FontStyleBits
    int escapement = 0;     // tenths of a degree, counter-clockwise
    friend bool operator==(const Font&, const Font&) = default;
};

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
    virtual void SetTextColor(Color color) = 0;
    virtual void SetBkColor(Color color) = 0;
    virtual Color BkColor() const = 0;
    virtual void SetBkMode(BkMode mode) = 0;
    virtual BkMode GetBkMode() const = 0;
    virtual void SetTextAlign(unsigned flags) = 0;
    virtual unsigned TextAlign() const = 0;

    // Lines and shapes, outlined with the pen and filled with the brush.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(const Point* points, int count) = 0;
    virtual void Polygon(const Point* points, int count) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    virtual void RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                           int cornerHeight) = 0;
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    // Counter-clockwise from the ray through (x3, y3) to the ray through (x4, y4).
    virtual void Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) = 0;
    virtual void Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) = 0;
    virtual void SetPixel(int x, int y, Color color) = 0;
    // Brush only, no outline.
    virtual void FillRect(const Rect& rect) = 0;
    // Brush pattern copy; a negative width or height extends towards smaller coordinates.
    virtual void PatBlt(int x, int y, int width, int height) = 0;

    // Text in 8-bit (Windows-1252) characters, placed by the text alignment; opaque mode fills
    // the text cell with the background colour.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // Size of the text in the current font; false (and a zero size) when it cannot be measured.
    virtual bool TextExtent(std::string_view text, Size& size) = 0;

    // Clipping: rectangles intersect the current clip, a polygon replaces it.
    virtual void ClipRect(const Rect& rect) = 0;
    virtual void ClipPolygon(const Point* points, int count) = 0;
    virtual void RemoveClip() = 0;

    // Copies a w x h block of source (at sx, sy) to (x, y) of this device.
    virtual void BlockCopy(int x, int y, int width, int height, const RasterDevice& source, int sx,
                           int sy) = 0;
    virtual void DrawBitmap(int x, int y, const Bitmap& bitmap) = 0;
    virtual void StretchBitmap(const Rect& rect, const Bitmap& bitmap) = 0;
};

} // namespace raster
