// The canvas base: the drawing target (a raster device), the pen, brush and font drawn with, and
// the 2D operations every chart element draws through.
#pragma once

#include "chart/canvas/Brush.h"
#include "chart/canvas/Font.h"
#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "raster/RasterDevice.h"

#include <string_view>

namespace kiv {

enum TGradientDirection {
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft
};

// The canvas base: a drawing target (a raster device) and the pen, brush and font drawn with.
// Changes to Pen(), Brush() and Font() reach the device at the next drawing operation. While
// attached, the canvas expects to be the only one changing its target's pen, brush and font.
class TKivCanvas {
public:
    TKivCanvas();
    TKivCanvas(const TKivCanvas&) = delete;
    TKivCanvas& operator=(const TKivCanvas&) = delete;
    virtual ~TKivCanvas();

    // Take a new drawing target (nullptr detaches). Its state is set from the canvas objects.
    void AttachCanvas(raster::RasterDevice* target);
    raster::RasterDevice* Target() const { return target_; }
    // Pen black, width 1, solid; brush white, solid; font black, size 10; background white,
    // transparent.
    void ResetToDefaults();
    void UsePen(const TChartPen& pen);
    int MeasureFontHeight() { return MeasureTextHeight("W"); }

    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }

    bool Metafiling() const { return metafiling_; }
    void SetMetafiling(bool value) { metafiling_ = value; }

    virtual TColor BackgroundColor() const = 0;
    virtual TCanvasBackMode BackgroundMode() const = 0;
    virtual raster::RasterDevice* DeviceHandle() const = 0;
    virtual bool MonochromeBuffer() const = 0;
    virtual unsigned TextAlignment() const = 0;
    virtual bool BufferedDrawing() const = 0;
    virtual void SetBackgroundColor(TColor color) = 0;
    virtual void SetBackgroundMode(TCanvasBackMode mode) = 0;
    virtual void SetMonochromeBuffer(bool value) = 0;
    virtual void PlotPixel(int x, int y, TColor color) = 0;
    virtual void SetTextAlignment(unsigned flags) = 0;
    virtual void SetBufferedDrawing(bool value) = 0;
    virtual void ArcOutline(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void DrawGraphic(int x, int y, const raster::Bitmap* picture) = 0;
    virtual void EllipseShape(int x0, int y0, int x1, int y1) = 0;
    virtual void FillRectangle(const TRect& rect) = 0;
    virtual void BevelFrame(const TRect& rect, TColor topLeft, TColor bottomRight, int width) = 0;
    virtual void LineToPoint(int x, int y) = 0;
    virtual void MoveToPoint(int x, int y) = 0;
    virtual void PieShape(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void RectangleShape(int x0, int y0, int x1, int y1) = 0;
    virtual void RoundRectangle(int x0, int y0, int x1, int y1, int cornerWidth,
                                int cornerHeight) = 0;
    virtual void StretchGraphic(const TRect& rect, const raster::Bitmap* picture) = 0;
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    // 0 when the text cannot be measured.
    virtual int MeasureTextWidth(std::string_view text);
    virtual int MeasureTextHeight(std::string_view text);
    virtual void ClipToRectangle(const TRect& rect) = 0;
    virtual void HorizontalLine(int x0, int x1, int y) = 0;
    virtual void FramedRectangle(const TRect& rect) = 0;
    virtual void VerticalLine(int x, int y0, int y1) = 0;
    virtual void EraseRectangle(const TRect& rect) = 0;
    virtual void GradientFill(const TRect& rect, TColor colorA, TGradientDirection direction,
                              TColor colorB) = 0;
    virtual void MarkDirty() = 0;
    virtual void LineSegment(int x0, int y0, int x1, int y1) = 0;
    // Points 0..lastIndex.
    virtual void PolygonShape(const TPoint* points, int lastIndex) = 0;
    virtual void DrawRotatedText(int x, int y, int angle, std::string_view text) = 0;
    virtual void RemoveClipping() = 0;

protected:
    // Sends the canvas pen, brush or font to the target when they differ from what it holds.
    void SyncPen();
    void SyncBrush();
    void SyncFont();
    // Sends a font other than the canvas font (rotated or zoomed text); the canvas font returns
    // at the next SyncFont.
    void SelectFont(const raster::Font& font);
    // Sends a brush other than the canvas brush (gradient bands); the canvas brush returns at
    // the next SyncBrush.
    void SelectBrush(const raster::Brush& brush);
    // The canvas font as the device takes it.
    raster::Font DeviceFont() const;
    void SelectTextColor(TColor color);
    // Text colour from the canvas font, then TextOut with whatever font the target holds; a
    // clear brush makes the text background transparent.
    void TextOutInFontColor(int x, int y, std::string_view text);

    raster::RasterDevice* target_ = nullptr;

private:
    TPen pen_;
    TBrush brush_;
    TFont font_;
    bool metafiling_ = false;

    // What the target holds; an attach invalidates it.
    bool targetPenValid_ = false;
    bool targetBrushValid_ = false;
    bool targetFontValid_ = false;
    bool targetTextColorValid_ = false;
    raster::Pen targetPen_;
    raster::Brush targetBrush_;
    raster::Font targetFont_;
    TColor targetTextColor_ = 0;
    // UsePen with SmallDots installs an alternate-style pen until the canvas pen changes.
    bool smallDots_ = false;
    TPen smallDotsPen_;
};

} // namespace kiv
