// The chart engine's drawing layer: pens, brushes and fonts, the 3D view options, and the canvas
// through which every chart draws. The canvas projects chart coordinates with a depth onto the
// target, keeps an off-screen buffer between frames, and reduces everything to the primitives of a
// raster::RasterDevice, so charts render headless into any device.
#pragma once

#include "raster/RasterDevice.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// ---------------------------------------------------------------------------------------------
// Geometry and colours

using gfx::TColor;
using gfx::TPoint;
using gfx::TRect;
using gfx::TSize;

struct TPoint3D {
    int x = 0;
    int y = 0;
    int z = 0;
};

using gfx::clAqua;
using gfx::clBlack;
using gfx::clBlue;
using gfx::clBtnFace;
using gfx::clBtnHighlight;
using gfx::clBtnShadow;
using gfx::clBtnText;
using gfx::clFuchsia;
using gfx::clGray;
using gfx::clGreen;
using gfx::clLime;
using gfx::clMaroon;
using gfx::clNavy;
using gfx::clOlive;
using gfx::clPurple;
using gfx::clRed;
using gfx::clSilver;
using gfx::clTeal;
using gfx::clWhite;
using gfx::clWindow;
using gfx::clWindowText;
using gfx::clYellow;
using gfx::ColorToRGB;
using gfx::GetBValue;
using gfx::GetGValue;
using gfx::GetRValue;
using gfx::RGB;

// Each channel of the RGB form loses amount, stopping at 0 (the shading of 3D faces).
TColor DarkenColor(TColor color, int amount);

// Rounding rules of the engine.
// A real value to a pixel: nearest, halves to even.
int RoundPixel(double value);
// (a + b) div 2 without overflow, truncating toward zero (centres of pixel ranges).
int HalfSum(int a, int b);
// (a * b) / c in 64 bits, rounded to nearest with halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

using gfx::TA_BASELINE;
using gfx::TA_BOTTOM;
using gfx::TA_CENTER;
using gfx::TA_LEFT;
using gfx::TA_NOUPDATECP;
using gfx::TA_RIGHT;
using gfx::TA_TOP;
using gfx::TA_UPDATECP;

// ---------------------------------------------------------------------------------------------
// Pens, brushes and fonts: the drawing objects of a canvas and of every chart element. Each
// setter that changes a value calls OnChange.

using gfx::TBrushStyle;
using gfx::TCanvasBackMode;
using gfx::TFontStyles;
using gfx::TPenMode;
using gfx::TPenStyle;
using enum gfx::TBrushStyle;
using enum gfx::TCanvasBackMode;
using enum gfx::TFontStyle;
using enum gfx::TPenMode;
using enum gfx::TPenStyle;

class TPen {
public:
    TPen() = default;
    TPen(const TPen& other) = default;
    // Copies the drawing fields only; the change handler stays.
    TPen& operator=(const TPen& other);
    virtual ~TPen() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    int Width() const { return width_; }
    void SetWidth(int value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value);
    void Assign(const TPen& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    void Changed() const;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBrush {
public:
    TBrush() = default;
    TBrush(const TBrush& other) = default;
    TBrush& operator=(const TBrush& other);
    virtual ~TBrush() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);
    // A pattern bitmap tiles the fill instead of colour and style while it is set and not empty.
    const std::shared_ptr<const raster::Bitmap>& Bitmap() const { return bitmap_; }
    void SetBitmap(std::shared_ptr<const raster::Bitmap> value);
    bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
    void Assign(const TBrush& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    void Changed() const;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    std::shared_ptr<const raster::Bitmap> bitmap_;
};

constexpr int DEFAULT_CHARSET = 1;

class TFont {
public:
    TFont() = default;
    TFont(const TFont& other) = default;
    TFont& operator=(const TFont& other);
    virtual ~TFont() = default;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    // Points.
    int Size() const { return size_; }
    void SetSize(int value);
    // Character height in pixels, negative as the platform reports it: -MulDiv(Size, ppi, 72).
    int Height() const;
    void SetHeight(int value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);
    int Charset() const { return charset_; }
    void SetCharset(int value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value);
    void Assign(const TFont& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    void Changed() const;

private:
    std::string name_ = "Arial";
    int size_ = 8;
    TColor color_ = clBlack;
    TFontStyles style_ = 0;
    int charset_ = DEFAULT_CHARSET;
    int pixelsPerInch_ = 96;
};

// ---------------------------------------------------------------------------------------------
// Chart pens

class TChartPen : public TPen {
public:
    explicit TChartPen(std::function<void()> onChange = {});
    TChartPen(const TChartPen& other) = default;
    // Copies Visible and SmallDots, then the pen fields.
    TChartPen& operator=(const TChartPen& other);
    void Assign(const TChartPen& source) { *this = source; }
    using TPen::Assign;

    // A 1-pixel pen drawn as alternate pixels.
    bool SmallDots() const { return smallDots_; }
    void SetSmallDots(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // The component that created the pen (not owned).
    void* Owner = nullptr;

private:
    bool smallDots_ = false;
    bool visible_ = true;
};

class TChartHiddenPen : public TChartPen {
public:
    explicit TChartHiddenPen(std::function<void()> onChange = {});
};

class TDottedGrayPen : public TChartPen {
public:
    explicit TDottedGrayPen(std::function<void()> onChange = {});
};

class TDarkGrayPen : public TChartPen {
public:
    explicit TDarkGrayPen(std::function<void()> onChange = {});
};

class TChartAxisPen : public TChartPen {
public:
    explicit TChartAxisPen(std::function<void()> onChange = {});
};

class TChartArrowPen : public TChartPen {
public:
    explicit TChartArrowPen(std::function<void()> onChange = {});
};

// ---------------------------------------------------------------------------------------------
// 3D view options

class TView3DOptions {
public:
    // invalidate: the owning panel's repaint request.
    explicit TView3DOptions(std::function<void()> invalidate = {});
    TView3DOptions(const TView3DOptions&) = delete;
    TView3DOptions& operator=(const TView3DOptions&) = delete;

    int Elevation() const { return elevation_; }
    void SetElevation(int value);
    int HorizOffset() const { return horizOffset_; }
    void SetHorizOffset(int value);
    bool Orthogonal() const { return orthogonal_; }
    void SetOrthogonal(bool value);
    int Perspective() const { return perspective_; }
    void SetPerspective(int value);
    int Rotation() const { return rotation_; }
    void SetRotation(int value);
    int Tilt() const { return tilt_; }
    void SetTilt(int value);
    int VertOffset() const { return vertOffset_; }
    void SetVertOffset(int value);
    int Zoom() const { return zoom_; }
    void SetZoom(int value);
    bool ZoomText() const { return zoomText_; }
    void SetZoomText(bool value);

    // Copies all nine properties (and repaints once).
    void Assign(const TView3DOptions& source);
    // The owning panel's repaint.
    void Repaint() const;

    // After HorizOffset (true) or VertOffset (false) changed, following the repaint request.
    std::function<void(bool horizontal)> OnScrolled;
    // With the new zoom, before it is stored.
    std::function<void(int zoom)> OnZoomChanged;

private:
    template <class T> void Store(T& field, T value);

    std::function<void()> invalidate_;
    int elevation_ = 345;
    int horizOffset_ = 0;
    bool orthogonal_ = true;
    int perspective_ = 15;
    int rotation_ = 345;
    int tilt_ = 0;
    int vertOffset_ = 0;
    int zoom_ = 100;
    bool zoomText_ = true;
};

// ---------------------------------------------------------------------------------------------
// Canvas

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
    // Text colour from the canvas font, then TextOut with whatever font the target holds.
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

// The canvas with depth: projection and 3D solids.
class TCanvas3D : public TKivCanvas {
public:
    TView3DOptions* View3DOptions() const { return view3DOptions_; }
    bool IsOrthogonal() const { return orthogonal_; }

    virtual void PlotPixel3D(int x, int y, int z, TColor color) = 0;
    virtual bool RendersDepthNatively() const = 0;
    virtual bool RendersRotationNatively() const = 0;
    virtual void ScreenToWorld(int& x, int& y, int z) const = 0;
    virtual TPoint WorldToScreen(int x, int y, int z) const = 0;
    // Starts a frame; answers the rectangle to draw in (bitmap coordinates when buffered).
    virtual TRect BeginDrawing(raster::RasterDevice& target, TView3DOptions* options,
                               const TRect& bounds, bool is3D) = 0;
    virtual void Assign(const TCanvas3D& source);
    virtual void SetupProjection(int depth, const TRect& chartRect) = 0;
    virtual void EndDrawing(raster::RasterDevice& destination, raster::RasterDevice* defaultTarget,
                            const TRect& destRect) = 0;
    virtual bool RepaintFromBuffer() = 0;
    virtual void ArrowShape(bool filled, TPoint from, TPoint to, int headWidth, int headLength,
                            int z) = 0;
    virtual void ClipToBox(const TRect& rect, int z0, int z1) = 0;
    virtual void ConeShape(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                           bool darkSides) = 0;
    virtual void BoxShape(int left, int right, int top, int bottom, int z0, int z1,
                          bool darkSides) = 0;
    virtual void CylinderShape(bool vertical, int left, int top, int right, int bottom, int z0,
                               int z1, bool darkSides) = 0;
    virtual void HorizontalLine3D(int x0, int x1, int y, int z) = 0;
    virtual void VerticalLine3D(int x, int y0, int y1, int z) = 0;
    virtual void DepthLine(int x, int y, int z0, int z1) = 0;
    virtual void EllipseAtDepth(int x0, int y0, int x1, int y1, int z) = 0;
    virtual void BeginFrontPlane() = 0;
    virtual void EndFrontPlane() = 0;
    virtual void LineAtDepth(int x0, int y0, int x1, int y1, int z) = 0;
    virtual void MoveToPoint3D(int x, int y, int z) = 0;
    virtual void LineToPoint3D(int x, int y, int z) = 0;
    // Angles in radians, counter-clockwise from the positive x axis.
    virtual void PieSlice3D(int centreX, int centreY, int radiusX, int radiusY, int z0, int z1,
                            double startAngle, double endAngle, bool darkSides,
                            bool drawFlatSides) = 0;
    virtual void PlaneBetweenDepths(TPoint a, TPoint b, int z0, int z1) = 0;
    virtual void QuadAtDepth(const std::array<TPoint, 4>& points, int z) = 0;
    virtual void QuadBetweenDepths(const std::array<TPoint, 4>& points, int z0, int z1) = 0;
    virtual void PolygonAtDepth(const TPoint* points, int lastIndex, int z) = 0;
    virtual void PyramidShape(bool vertical, int left, int top, int right, int bottom, int z0,
                              int z1, bool darkSides) = 0;
    virtual void RectangleAtDepth(const TRect& rect, int z) = 0;
    virtual void HorizontalPlane(int left, int right, int y, int z0, int z1) = 0;
    virtual void DepthPlane(int x, int top, int bottom, int z0, int z1) = 0;
    virtual void DrawRotatedText3D(int x, int y, int angle, std::string_view text, int z) = 0;
    virtual void SphereShape(int centreX, int centreY, int z, double radius) = 0;
    virtual void SurfaceMesh() = 0;
    virtual void DrawText3D(int x, int y, std::string_view text, int z) = 0;
    virtual void TriangleShape3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2,
                                 TColor color) = 0;
    virtual void TriangleAtDepth(TPoint p0, TPoint p1, TPoint p2, int z) = 0;

protected:
    TView3DOptions* view3DOptions_ = nullptr;
    bool orthogonal_ = false;
};

// The canvas every chart owns.
class TKivCanvas3D final : public TCanvas3D {
public:
    TKivCanvas3D();
    ~TKivCanvas3D() override;

    // Projection state of the current frame.
    int XCenter() const { return xCenter_; }
    int YCenter() const { return yCenter_; }
    int ZCenter() const { return zCenter_; }
    int XCenterOffset() const { return xCenterOffset_; }
    int YCenterOffset() const { return yCenterOffset_; }
    double kXX() const { return kXX_; }
    double kXY() const { return kXY_; }
    double kXZ() const { return kXZ_; }
    double kYX() const { return kYX_; }
    double kYY() const { return kYY_; }
    double kYZ() const { return kYZ_; }
    double pZ() const { return pZ_; }
    double ZoomFactor() const { return zoom_; }
    double PerspectiveFactor() const { return perspective_; }
    bool Is3D() const { return is3D_; }
    bool ZoomText() const { return zoomText_; }
    const TRect& Bounds() const { return bounds_; }
    bool Dirty() const { return dirty_; }
    // The off-screen buffer of buffered drawing, when one exists.
    raster::RasterDevice* Buffer() const { return buffer_.get(); }

    // Projects (x, y) at depth z in place.
    void ProjectPoint(int& x, int& y, int z) const;
    TPoint ProjectPoint(TPoint p, int z) const {
        ProjectPoint(p.x, p.y, z);
        return p;
    }

    TColor BackgroundColor() const override;
    TCanvasBackMode BackgroundMode() const override;
    raster::RasterDevice* DeviceHandle() const override { return target_; }
    bool MonochromeBuffer() const override { return monochromeBuffer_; }
    unsigned TextAlignment() const override;
    bool BufferedDrawing() const override { return bufferedDrawing_; }
    void SetBackgroundColor(TColor color) override;
    void SetBackgroundMode(TCanvasBackMode mode) override;
    void SetMonochromeBuffer(bool value) override;
    void PlotPixel(int x, int y, TColor color) override;
    void SetTextAlignment(unsigned flags) override;
    void SetBufferedDrawing(bool value) override;
    void ArcOutline(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void DrawGraphic(int x, int y, const raster::Bitmap* picture) override;
    void EllipseShape(int x0, int y0, int x1, int y1) override;
    void FillRectangle(const TRect& rect) override;
    void BevelFrame(const TRect& rect, TColor topLeft, TColor bottomRight, int width) override;
    void LineToPoint(int x, int y) override;
    void MoveToPoint(int x, int y) override;
    void PieShape(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void RectangleShape(int x0, int y0, int x1, int y1) override;
    void RoundRectangle(int x0, int y0, int x1, int y1, int cornerWidth, int cornerHeight) override;
    void StretchGraphic(const TRect& rect, const raster::Bitmap* picture) override;
    void DrawText(int x, int y, std::string_view text) override;
    void ClipToRectangle(const TRect& rect) override;
    void HorizontalLine(int x0, int x1, int y) override;
    void FramedRectangle(const TRect& rect) override;
    void VerticalLine(int x, int y0, int y1) override;
    void EraseRectangle(const TRect& rect) override;
    void GradientFill(const TRect& rect, TColor colorA, TGradientDirection direction,
                      TColor colorB) override;
    void MarkDirty() override { dirty_ = true; }
    void LineSegment(int x0, int y0, int x1, int y1) override;
    void PolygonShape(const TPoint* points, int lastIndex) override;
    void DrawRotatedText(int x, int y, int angle, std::string_view text) override;
    void RemoveClipping() override;

    void PlotPixel3D(int x, int y, int z, TColor color) override;
    bool RendersDepthNatively() const override { return false; }
    bool RendersRotationNatively() const override { return false; }
    void ScreenToWorld(int& x, int& y, int z) const override;
    TPoint WorldToScreen(int x, int y, int z) const override;
    TRect BeginDrawing(raster::RasterDevice& target, TView3DOptions* options, const TRect& bounds,
                       bool is3D) override;
    void SetupProjection(int depth, const TRect& chartRect) override;
    void EndDrawing(raster::RasterDevice& destination, raster::RasterDevice* defaultTarget,
                    const TRect& destRect) override;
    bool RepaintFromBuffer() override;
    void ArrowShape(bool filled, TPoint from, TPoint to, int headWidth, int headLength,
                    int z) override;
    void ClipToBox(const TRect& rect, int z0, int z1) override;
    void ConeShape(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                   bool darkSides) override;
    void BoxShape(int left, int right, int top, int bottom, int z0, int z1,
                  bool darkSides) override;
    void CylinderShape(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                       bool darkSides) override;
    void HorizontalLine3D(int x0, int x1, int y, int z) override;
    void VerticalLine3D(int x, int y0, int y1, int z) override;
    void DepthLine(int x, int y, int z0, int z1) override;
    void EllipseAtDepth(int x0, int y0, int x1, int y1, int z) override;
    void BeginFrontPlane() override;
    void EndFrontPlane() override;
    void LineAtDepth(int x0, int y0, int x1, int y1, int z) override;
    void MoveToPoint3D(int x, int y, int z) override;
    void LineToPoint3D(int x, int y, int z) override;
    void PieSlice3D(int centreX, int centreY, int radiusX, int radiusY, int z0, int z1,
                    double startAngle, double endAngle, bool darkSides,
                    bool drawFlatSides) override;
    void PlaneBetweenDepths(TPoint a, TPoint b, int z0, int z1) override;
    void QuadAtDepth(const std::array<TPoint, 4>& points, int z) override;
    void QuadBetweenDepths(const std::array<TPoint, 4>& points, int z0, int z1) override;
    void PolygonAtDepth(const TPoint* points, int lastIndex, int z) override;
    void PyramidShape(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                      bool darkSides) override;
    void RectangleAtDepth(const TRect& rect, int z) override;
    void HorizontalPlane(int left, int right, int y, int z0, int z1) override;
    void DepthPlane(int x, int top, int bottom, int z0, int z1) override;
    void DrawRotatedText3D(int x, int y, int angle, std::string_view text, int z) override;
    void SphereShape(int centreX, int centreY, int z, double radius) override;
    void SurfaceMesh() override {}
    void DrawText3D(int x, int y, std::string_view text, int z) override;
    void TriangleShape3D(const TPoint3D& p0, const TPoint3D& p1, const TPoint3D& p2,
                         TColor color) override;
    void TriangleAtDepth(TPoint p0, TPoint p1, TPoint p2, int z) override;

private:
    void ComputeProjectionTerms();
    void FreeBuffer();
    // Draws the four points of quad_ as one polygon.
    void DrawQuad();
    // The colour 3D faces are filled with, and setting it back after shading.
    TColor FaceColor();
    void SetFaceColor(TColor color);
    // One polygon of projected points with the given colour, when its outward side faces the
    // viewer; points are in world coordinates and reordered to wind outwards.
    void DrawFace(TPoint3D* points, int count, double nx, double ny, double nz, TColor color);

    int xCenter_ = 0;
    int yCenter_ = 0;
    int zCenter_ = 0;
    int xCenterOffset_ = 0;
    int yCenterOffset_ = 0;
    // Perspective terms: pX = cos(Elevation)·sin(Rotation), pY = sin(Elevation).
    long double pX_ = 0;
    long double pY_ = 0;
    double kXY_ = 0;
    double kYY_ = 0;
    double pZ_ = 0;
    double kXX_ = 0;
    double kYX_ = 0;
    double kXZ_ = 0;
    double kYZ_ = 0;
    bool was3D_ = false;
    bool is3D_ = false;
    std::unique_ptr<raster::RasterDevice> buffer_;
    bool bufferedDrawing_ = true;
    bool monochromeBuffer_ = false;
    bool dirty_ = true;
    TRect bounds_;
    bool zoomText_ = true;
    double zoom_ = 1.0;
    double perspective_ = 0;
    std::array<TPoint, 4> quad_{};
};
