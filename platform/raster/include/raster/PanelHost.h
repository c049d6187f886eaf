// How a window shows something that draws itself into a raster device (a chart): the window is
// the host, the drawn object the client. Neither side sees the other's classes: the toolkit
// implements the host with a widget, the chart engine implements the client.
#pragma once

#include "gfx/Geometry.h"
#include "gfx/Input.h"
#include "raster/RasterDevice.h"

#include <functional>
#include <memory>

namespace raster {

// Makes an off-screen device of the given size whose pixels can be read back.
using TDeviceFactory = std::function<std::unique_ptr<RasterDevice>(int width, int height)>;

// The window that shows a drawn client: its size, its device and its repaints.
class IPanelHost {
public:
    virtual ~IPanelHost() = default;
    // Asks for a paint. Requests between two paints give one paint.
    virtual void Invalidate() = 0;
    virtual gfx::TSize ClientSize() const = 0;
    virtual void SetCursor(gfx::TCursor cursor) = 0;
    // The device that holds what the window shows (the client paints into it).
    virtual RasterDevice* WindowDevice() = 0;
    // Shows what the client drew into the window device outside a paint (a rubber band), in
    // rect, without asking the client to paint.
    virtual void Present(const gfx::TRect& rect) = 0;
    // Paints at once: the client paints and the window shows the result before this returns.
    virtual void PaintNow() = 0;
    // An off-screen device of the window device's kind, for snapshots.
    virtual std::unique_ptr<RasterDevice> CreateDevice(int width, int height) = 0;
    // The client is going away: the window stops showing it and never calls it again.
    virtual void ReleaseClient() = 0;
};

// Something a window shows that draws itself (a chart) and takes the window's mouse.
class IPanelClient {
public:
    virtual ~IPanelClient() = default;
    // The window shows the client through host, or nothing (nullptr) when it lets go.
    virtual void SetHost(IPanelHost* host) = 0;
    // Paint the client area rect into the window's device.
    virtual void Paint(RasterDevice& window, const gfx::TRect& rect) = 0;
    // The client area changed size; the window device is about to be replaced.
    virtual void Resized() = 0;
    virtual void MouseDown(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) = 0;
    virtual void MouseMove(gfx::TShiftState shift, int x, int y) = 0;
    virtual void MouseUp(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) = 0;
    virtual void MouseLeave() = 0;
    // delta in wheel units (120 a notch, positive away from the user); answers whether it was
    // used.
    virtual bool MouseWheel(gfx::TShiftState shift, int delta, int x, int y) = 0;
};

} // namespace raster
