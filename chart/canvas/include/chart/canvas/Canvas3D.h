// The canvas with depth: the projection of chart coordinates with a depth onto the target, the
// off-screen buffer kept between frames, and the 3D solids. Every chart owns a TKivCanvas3D.
#pragma once

#include "chart/canvas/Canvas.h"
#include "chart/canvas/View3DOptions.h"

#include <array>
#include <memory>

namespace kiv {

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
    // Drops the frame buffer: the next frame goes into a new one made compatible with its target
    // (whose drawing options may have changed).
    void RenewBuffer() {
        FreeBuffer();
        dirty_ = true;
    }
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

} // namespace kiv
