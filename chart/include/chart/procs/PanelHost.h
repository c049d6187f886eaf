// The window a panel lives in.
#pragma once

#include "chart/canvas/Geometry.h"
#include "chart/procs/Input.h"

namespace kiv {

// The window a panel lives in. The application implements it with a widget that forwards
// paint, resize, mouse and wheel events to the panel.
class IKivPanelHost {
public:
    virtual ~IKivPanelHost() = default;
    // Ask for a paint; the window coalesces requests until it paints.
    virtual void Invalidate() = 0;
    virtual TSize ClientSize() const = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // Show the panel's finished frame (the canvas buffer) in the given area of the window.
    virtual void PresentBuffer(const TRect& rect) = 0;
};

} // namespace kiv
