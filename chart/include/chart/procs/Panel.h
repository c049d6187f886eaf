// The chart panel's base: the window host it draws into, its canvas and 3D options, margins,
// repaint requests, the plotting rectangle of the current frame, one frame's drawing and the
// snapshot of a frame as a bitmap.
#pragma once

#include "chart/canvas/Canvas3D.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/procs/Component.h"
#include "chart/procs/Input.h"
#include "chart/procs/PanelHost.h"

#include <memory>
#include <string>

namespace tk {
class TBitmap;
}

namespace kiv {

// The rectangle dragged for a zoom or a pan, while the mouse is down.
struct TZoomPanningRecord {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool Active = false;
    void Activate(int x, int y) {
        X0 = X1 = x;
        Y0 = Y1 = y;
        Active = true;
    }
    // Start no greater than end on both axes.
    void Normalize();
};

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomKivPanel : public TComponent,
                        public TPublishedProperties<TCustomKivPanel>,
                        public raster::IPanelClient {
public:
    TCustomKivPanel();
    ~TCustomKivPanel() override;

    // The window shown into; nullptr for a panel that only renders off screen.
    IKivPanelHost* Host() const { return host_; }
    void SetHost(IKivPanelHost* host) override;

    TKivCanvas3D& Canvas() { return *canvas_; }
    const TKivCanvas3D& Canvas() const { return *canvas_; }

    // Client size: the host's, or the panel's own (400 x 250 unless set) without one.
    int Width() const;
    int Height() const;
    void SetWidth(int value) { Store(width_, value); }
    void SetHeight(int value) { Store(height_, value); }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }

    int MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(int value) { Store(marginLeft_, value); }
    int MarginTop() const { return marginTop_; }
    void SetMarginTop(int value) { Store(marginTop_, value); }
    int MarginRight() const { return marginRight_; }
    void SetMarginRight(int value) { Store(marginRight_, value); }
    int MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(int value) { Store(marginBottom_, value); }
    int Chart3DPercent() const { return chart3DPercent_; }
    void SetChart3DPercent(int value);
    bool View3D() const { return view3D_; }
    void SetView3D(bool value) { Store(view3D_, value); }
    TView3DOptions& View3DOptions() { return *view3DOptions_; }
    bool Monochrome() const { return canvas_->MonochromeBuffer(); }
    void SetMonochrome(bool value) { canvas_->SetMonochromeBuffer(value); }
    bool BufferedDisplay() const { return canvas_->BufferedDrawing(); }
    void SetBufferedDisplay(bool value);

    // The panel's look: background colour, the bevels and the frame between them.
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value) { Store(bevelOuter_, value); }
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value) { Store(bevelInner_, value); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value) { Store(bevelWidth_, value); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value) { Store(borderWidth_, value); }

    // Printing state: drawing honours the flag and the print settings are kept; the program
    // itself has no printing routine.
    bool Printing() const { return printing_; }
    void SetPrinting(bool value) { printing_ = value; }
    bool PrintProportional() const { return printProportional_; }
    void SetPrintProportional(bool value) { Store(printProportional_, value); }
    const TRect& PrintMargins() const { return printMargins_; }
    void SetPrintMargins(const TRect& value) { Store(printMargins_, value); }
    int PrintResolution() const { return printResolution_; }
    void SetPrintResolution(int value) { Store(printResolution_, value); }
    // Whether clipping may be used now (not on a canvas that renders depth itself, and while
    // printing or making a metafile only when the global settings allow it).
    bool ClippingAllowed() const;

    // Marks the frame stale and asks the window once for a paint; further requests before that
    // paint are absorbed. Nothing happens while the repaint switch is off.
    virtual void Invalidate();
    bool RepaintPending() const { return repaintPending_; }
    bool AutoRepaint() const { return autoRepaint_; }
    void SetAutoRepaint(bool value) { autoRepaint_ = value; }
    // Called by the window's paint handler before it draws: changes from then on ask again.
    void PaintServed() { repaintPending_ = false; }
    // Draws the chart at once into the window (animated zoom's steps); nothing without a window.
    void Refresh();

    // One complete frame into target, in rect.
    void DrawToCanvas(raster::RasterDevice& target, const TRect& rect);
    // Whether a frame is being drawn now.
    bool Drawing() const { return drawing_; }
    // The bounds of the current (or last) frame.
    const TRect& ChartBounds() const { return bounds_; }

    // The plotting rectangle of the current frame.
    const TRect& ChartRect() const { return chartRect_; }
    void SetChartRect(const TRect& rect);
    int ChartWidth() const { return chartRect_.Width(); }
    int ChartHeight() const { return chartRect_.Height(); }
    int ChartXCenter() const { return (chartRect_.left + chartRect_.right) / 2; }
    int ChartYCenter() const { return (chartRect_.top + chartRect_.bottom) / 2; }
    // Keeps the plotting rectangle inside the bounds and at least one pixel wide and high.
    void NormalizeChartRect();

    // Snapshots. Devices come from the factory when one is set, else from the window.
    void SetDeviceFactory(TDeviceFactory factory) { deviceFactory_ = std::move(factory); }
    // A new bitmap of rect's size with the chart drawn into it, filled with background first
    // unless that is white. Buffered drawing is off during the call and restored after.
    std::unique_ptr<tk::TBitmap> RenderToBitmap(TColor background, const TRect& rect);
    // The chart at the control's size, as a BMP file.
    void SaveSnapshotToFile(const std::string& fileName);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    // The cursor the panel had of its own before a series or the mouse changed it.
    TCursor OriginalCursor() const { return originalCursor_; }
    void SetOriginalCursor(TCursor value) { originalCursor_ = value; }

    bool ApplyZOrder() const { return applyZOrder_; }
    void SetApplyZOrder(bool value) { Store(applyZOrder_, value); }
    bool Destroying() const { return destroying_; }

    TZoomPanningRecord Zoom;
    TZoomPanningRecord Panning;

    // The window's side: the paint handler, size changes and the mouse (the chart handles it).
    void Paint(raster::RasterDevice& window, const TRect& rect) override;
    void Resized() override;
    void MouseDown(TMouseButton, TShiftState, int, int) override {}
    void MouseMove(TShiftState, int, int) override {}
    void MouseUp(TMouseButton, TShiftState, int, int) override {}
    void MouseLeave() override {}
    bool MouseWheel(TShiftState, int, int, int) override { return false; }

protected:
    // Set by the most derived destructor first, so that series being freed see it.
    void MarkDestroying() { destroying_ = true; }
    // Everything of one frame inside the bounds (the axis panel draws series and axes).
    virtual void DrawChartContents(const TRect&) {}
    // The device the canvas returns to between frames: the window's, or none.
    raster::RasterDevice* WindowDevice() const { return host_ ? host_->WindowDevice() : nullptr; }

private:
    friend TPublishedProperties<TCustomKivPanel>;
    void PropertyChanged() { Invalidate(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int width, int height);
    void EndFrame(raster::RasterDevice& target, const TRect& rect);

    IKivPanelHost* host_ = nullptr;
    std::unique_ptr<TKivCanvas3D> canvas_;
    std::unique_ptr<TView3DOptions> view3DOptions_;
    TDeviceFactory deviceFactory_;
    int width_ = 400, height_ = 250;
    int marginLeft_ = 3, marginTop_ = 4, marginRight_ = 3, marginBottom_ = 4;
    int chart3DPercent_ = 15;
    bool view3D_ = true;
    TColor color_ = clBtnFace;
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool printing_ = false;
    bool printProportional_ = true;
    TRect printMargins_{15, 15, 15, 15};
    int printResolution_ = 0;
    bool autoRepaint_ = false;
    bool repaintPending_ = false;
    bool applyZOrder_ = true;
    bool destroying_ = false;
    bool drawing_ = false;
    bool changedWhileDrawing_ = false;
    TRect bounds_;
    TRect chartRect_;
    TCursor cursor_ = crDefault;
    TCursor originalCursor_ = crDefault;
};

} // namespace kiv
