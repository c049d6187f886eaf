// The raster device over a QPainter on a QImage (RGB32, no antialiasing, fonts without
// antialiasing). It converts QPainter's pixel rules to the device's: shapes cover [left, right) x
// [top, bottom) and a line leaves its end pixel undrawn. Smooth drawing, off by default, draws
// lines, pies and text antialiased instead, at the cost of those exact pixels. Text needs a
// QGuiApplication.
#pragma once

#include "raster/RasterDevice.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QRegion>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace raster {

class GlyphStamps;
struct GlyphStamp;

// The device over a QPainter on a QImage (needs a QGuiApplication for text).
class QtRasterDevice final : public RasterDevice {
public:
    // A monochrome device draws every colour as black or white (by luminance).
    QtRasterDevice(int width, int height, bool monochrome = false);
    ~QtRasterDevice() override;
    QtRasterDevice(const QtRasterDevice&) = delete;
    QtRasterDevice& operator=(const QtRasterDevice&) = delete;

    // The pixels drawn so far. The painter keeps writing into this image: take a deep copy
    // (QImage::copy) to keep a frame while drawing goes on.
    const QImage& Image();
    // The colour at (x, y) as a colour value (0x00BBGGRR); for tests and probes.
    gfx::TColor PixelAt(int x, int y);
    // Lines, pies and text antialiased (devices made compatible with this one follow it).
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool on);

    // The size asked for (at least 0); an empty device keeps a 1 x 1 image to paint on.
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Monochrome() const override { return monochrome_; }
    std::unique_ptr<RasterDevice> CreateCompatible(int width, int height,
                                                   bool monochrome) const override;

    void SetPen(const Pen& pen) override;
    void SetBrush(const Brush& brush) override;
    void SetFont(const Font& font) override;
    void SetTextColor(gfx::TColor color) override;
    void SetBkColor(gfx::TColor color) override;
    gfx::TColor BkColor() const override { return bkColor_; }
    void SetBkMode(gfx::TCanvasBackMode mode) override;
    gfx::TCanvasBackMode GetBkMode() const override { return bkMode_; }
    void SetTextAlign(unsigned flags) override { textAlign_ = flags; }
    unsigned TextAlign() const override { return textAlign_; }

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const gfx::TPoint* points, int count) override;
    void Polygon(const gfx::TPoint* points, int count) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                   int cornerHeight) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) override;
    void Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4) override;
    void SetPixel(int x, int y, gfx::TColor color) override;
    void FillRect(const gfx::TRect& rect) override;
    void PatBlt(int x, int y, int width, int height) override;
    void TextOut(int x, int y, std::string_view text) override;
    bool TextExtent(std::string_view text, gfx::TSize& size) override;
    void ClipRect(const gfx::TRect& rect) override;
    void ClipPolygon(const gfx::TPoint* points, int count) override;
    void RemoveClip() override;
    void BlockCopy(int x, int y, int width, int height, const RasterDevice& source, int sx,
                   int sy) override;
    void DrawBitmap(int x, int y, const Bitmap& bitmap) override;
    void StretchBitmap(const gfx::TRect& rect, const Bitmap& bitmap) override;
    bool ReadPixels(Bitmap& pixels) override;

private:
    QColor ToQColor(gfx::TColor color) const;
    // The painter's pen, brush and composition mode for pen-drawn lines and shapes.
    void UseGdiPen();
    void UseShapePen();
    void UseBackgroundFor(bool brush, bool pen);
    void UseNoPen();
    void UseShapeBrush();
    void BuildPen();
    void BuildBrush();
    // The brush as the painter takes it, built on first use after a change.
    const QBrush& PainterFill();
    // Copy mode for operations that ignore the pen's mix mode (fills, text, copies).
    void UseCopyMode();
    void UsePenMode();
    void PrepareFont();
    void FlushLine();
    void DrawPolyline(const QPoint* points, int count);
    // Copy-mode lines inside the image, solid or dashed, set straight into its pixels: the same
    // pixels the painter sets, without its per-segment and per-pixel costs. False when the
    // painter has to draw them.
    bool DrawLineIntoImage(const QPoint* points, int count);
    // Whether solid fills may be set straight into the image: copy mode, no smoothing, and a
    // clip of at most one rectangle.
    bool DirectFills() const;
    // Solid fills and thin solid outlines of box set straight into the image, cut to the clip;
    // false (nothing drawn) when the painter has to draw them.
    bool FillIntoImage(const QRect& box, QRgb color);
    bool FillIntoImage(const QRect& box, const Brush& brush);
    bool OutlineIntoImage(const QRect& box);
    // Sets every pixel of area, which lies inside the image, to color.
    void SetArea(const QRect& area, QRgb color);
    // Gives the painter clip_, and keeps drawable_ with it.
    void SetPainterClip();
    // Keeps drawable_ with the clip.
    void ClipChanged();
    void LoadGlyph(unsigned char byte);
    // Glyphs and positions of the text into runGlyphs_ and runPositions_; answers the width.
    int LayoutText(std::string_view text);
    // Sets the glyphs laid out for the text from their stamps, the first glyph's origin at the
    // point of the painter's current transform; false when the painter has to draw them.
    bool StampText(std::string_view text, QPoint origin);
    const QPoint* ToQPoints(const gfx::TPoint* points, int count);
    QImage ToQImage(const Bitmap& bitmap) const;
    // The arc angles (degrees x 16) of the ray points (x3, y3) and (x4, y4) on the ellipse box.
    void ArcAngles(const QRect& box, int x3, int y3, int x4, int y4, int& start, int& span) const;

    int width_;
    int height_;
    QImage image_;
    QPainter painter_;
    bool monochrome_;
    bool smooth_ = false;

    Pen pen_;
    Brush brush_;
    Font font_;
    gfx::TColor textColor_ = 0;
    gfx::TColor bkColor_ = 0xFFFFFF;
    gfx::TCanvasBackMode bkMode_ = gfx::cbmOpaque;
    unsigned textAlign_ = 0;
    QPoint current_;

    QPen qpen_;
    QPen shapePen_;
    QPen thinPen_;
    QBrush qbrush_;
    bool qbrushValid_ = false;
    QPen textPen_;
    QFont qfont_;
    QRawFont rawFont_;
    int textAscent_ = 0;
    int textHeight_ = 0;
    // Glyph and whole-pixel advance of each 8-bit character in the current font.
    struct Glyph {
        quint32 index = 0;
        int advance = 0;
        bool loaded = false;
    };
    std::array<Glyph, 256> glyphs_{};
    QGlyphRun run_;
    std::unique_ptr<GlyphStamps> stamps_;
    std::vector<const GlyphStamp*> runStamps_;
    std::vector<quint32> runGlyphs_;
    std::vector<QPointF> runPositions_;
    bool fontDirty_ = true;
    bool solidThinPen_ = true;
    // What the painter holds now.
    enum class PainterPen { Line, Shape, None, Other } painterPen_ = PainterPen::Other;
    enum class PainterBrush { Shape, None, Stale } painterBrush_ = PainterBrush::Stale;
    bool xorMode_ = false;
    bool opaqueBackground_ = false;

    bool clipped_ = false;
    QRegion clip_;
    // The image cut to the clip, when the clip is one rectangle (drawableIsRect_).
    QRect drawable_;
    bool drawableIsRect_ = true;

    std::vector<QPoint> points_;
    // The run of LineTo calls not yet drawn.
    std::vector<QPoint> pendingLine_;
};

} // namespace raster
