// The panel with a background (colour or gradient, a back image, the bevelled border) and the zoom
// and panning settings with their events.
#pragma once

#include "chart/procs/Gradient.h"
#include "chart/procs/Panel.h"

#include <functional>
#include <memory>
#include <string>

namespace tk {
class TGraphic;
class TPicture;
} // namespace tk

namespace kiv {

enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TKivBackImageMode { pbmStretch, pbmTile, pbmCenter };

// A panel with a back image, a gradient, zoom and panning.
class TCustomKivPanelExtended : public TCustomKivPanel {
public:
    TCustomKivPanelExtended();
    ~TCustomKivPanelExtended() override;

    TChartGradient& Gradient() { return gradient_; }

    // The picture behind the chart; setting none (nullptr) removes it.
    const tk::TPicture& BackImage() const { return *backImage_; }
    void SetBackImage(std::unique_ptr<tk::TGraphic> graphic);
    // Reads the picture from a file of any registered picture format.
    void LoadBackImage(const std::string& fileName);
    TKivBackImageMode BackImageMode() const { return backImageMode_; }
    void SetBackImageMode(TKivBackImageMode value) { Store(backImageMode_, value); }

    bool AllowZoom() const { return allowZoom_; }
    void SetAllowZoom(bool value) { Store(allowZoom_, value); }
    TPanningMode AllowPanning() const { return allowPanning_; }
    void SetAllowPanning(TPanningMode value) { Store(allowPanning_, value); }
    bool AnimatedZoom() const { return animatedZoom_; }
    void SetAnimatedZoom(bool value) { Store(animatedZoom_, value); }
    int AnimatedZoomSteps() const { return animatedZoomSteps_; }
    void SetAnimatedZoomSteps(int value) { Store(animatedZoomSteps_, value); }
    bool Zoomed() const { return zoomed_; }
    void SetZoomed(bool value) { zoomed_ = value; }

    std::function<void(TComponent* sender)> OnZoom;
    std::function<void(TComponent* sender)> OnUndoZoom;
    std::function<void(TComponent* sender)> OnScroll;
    std::function<void(TComponent* sender)> OnAfterDraw;

protected:
    // The background of a frame: fill, back image, then the bevelled border.
    void PaintBackground(const TRect& rect);
    // The gradient, or the panel colour.
    void FillBackground(const TRect& rect);
    // The back image into rect; with a positive depth its corners are projected to that depth.
    void DrawBackImage(const TRect& rect, int depth);
    // Whether the back image goes behind the whole panel (else the chart puts it on its back
    // wall).
    virtual bool BackImageBehindPanel() const { return true; }
    bool HasBackImage() const { return backPixels_ != nullptr; }

private:
    void DrawBevel(TRect& rect, TPanelBevel bevel);

    TChartGradient gradient_;
    std::unique_ptr<tk::TPicture> backImage_;
    // The picture's pixels as the canvas draws them, made when the picture is set.
    std::shared_ptr<const raster::Bitmap> backPixels_;
    TKivBackImageMode backImageMode_ = pbmStretch;
    bool allowZoom_ = true;
    TPanningMode allowPanning_ = pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
    bool zoomed_ = false;
};

} // namespace kiv
