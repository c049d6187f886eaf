// The panel with zoom and panning settings and their events.
#pragma once

#include "chart/procs/Panel.h"

#include <functional>

namespace kiv {

enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

class TCustomKivPanelExtended : public TCustomKivPanel {
public:
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

private:
    bool allowZoom_ = true;
    TPanningMode allowPanning_ = pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
    bool zoomed_ = false;
};

} // namespace kiv
