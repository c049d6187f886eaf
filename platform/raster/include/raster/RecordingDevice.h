// A device that draws nothing and records every call with its arguments, so drawing code can be
// tested exactly and without fonts.
//
// Text metrics are fixed: a character is MulDiv(size, 3, 4) pixels wide (6 at size 8) and a line
// is MulDiv(size, 3, 2) pixels high (12 at size 8), rounding halves away from zero. Escapement does
// not change the extent.
#pragma once

#include "raster/RasterDevice.h"

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace raster {

// One recorded call: the operation's name, its integer arguments in order (points flattened to
// x, y pairs; colours as their values), and its text (TextOut, TextExtent, a font's name).
struct Call {
    Call() = default;
    Call(std::string op_, std::initializer_list<int> args_, std::string text_ = {})
        : op(std::move(op_)), args(args_), text(std::move(text_)) {}
    std::string op;
    std::vector<int> args;
    std::string text;
    friend bool operator==(const Call&, const Call&) = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call);

// A device that records every call with its arguments and draws nothing (for tests).
class RecordingDevice final : public RasterDevice {
public:
    // Recorded operation names and their arguments:
    //   SetPen {color, width, style, mode}    SetBrush {color, style, has pattern}
    //   SetFont {size, style, escapement} name SetTextColor / SetBkColor {color}
    //   SetBkMode {mode}  SetTextAlign {flags}  MoveTo / LineTo / SetPixel {x, y[, color]}
    //   Polyline / Polygon / ClipPolygon {x0, y0, x1, y1, ...}
    //   Rectangle / Ellipse / FillRect / ClipRect / StretchBitmap {left, top, right, bottom}
    //   RoundRect {l, t, r, b, w, h}  Arc / Pie {l, t, r, b, x3, y3, x4, y4}
    //   PatBlt {x, y, w, h}  TextOut {x, y} text  TextExtent {} text  RemoveClip {}
    //   BlockCopy {x, y, w, h, sx, sy}  DrawBitmap {x, y, w, h}
    RecordingDevice(int width = 1000, int height = 1000, int pixelsPerInch = 96);

    const std::vector<Call>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }
    // Calls whose operation is op, in order.
    std::vector<Call> CallsOf(const std::string& op) const;
    int CountOf(const std::string& op) const;
    // Measuring text fails while this is set.
    void SetFailTextExtent(bool value) { failTextExtent_ = value; }

    // The state the calls so far have left.
    const Pen& CurrentPen() const { return pen_; }
    const Brush& CurrentBrush() const { return brush_; }
    const Font& CurrentFont() const { return font_; }
    gfx::TColor TextColor() const { return textColor_; }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int PixelsPerInch() const override { return pixelsPerInch_; }
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
    void SetTextAlign(unsigned flags) override;
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

private:
    void Record(const char* op, std::initializer_list<int> args, std::string_view text = {});
    void RecordPoints(const char* op, const gfx::TPoint* points, int count);

    int width_;
    int height_;
    int pixelsPerInch_;
    bool monochrome_ = false;
    bool failTextExtent_ = false;
    std::vector<Call> calls_;
    Pen pen_;
    Brush brush_;
    Font font_;
    gfx::TColor textColor_ = 0;
    gfx::TColor bkColor_ = 0xFFFFFF;
    gfx::TCanvasBackMode bkMode_ = gfx::cbmOpaque;
    unsigned textAlign_ = 0;
};

} // namespace raster
