// The depth ladder drawn into a window's raster device: the spread on top, a row of titles,
// then one row per price level, bids on the left from the best down and asks on the right from
// the best up, as many rows as the window has room for.
#pragma once

#include "app/DepthLadder.h"
#include "raster/PanelHost.h"

class TDepthLadderView : public raster::IPanelClient {
public:
    explicit TDepthLadderView(const TDepthLadder& ladder) : ladder_(ladder) {}
    ~TDepthLadderView() override;

    // The ladder changed: the window paints again, once per display frame however many
    // records arrive.
    void Changed();
    // The height of one row with the view's font on device.
    static int RowHeight(raster::RasterDevice& device);

    // raster::IPanelClient
    void SetHost(raster::IPanelHost* host) override { host_ = host; }
    void Paint(raster::RasterDevice& window, const gfx::TRect& rect) override;
    void Resized() override {}
    void MouseDown(gfx::TMouseButton, gfx::TShiftState, int, int) override {}
    void MouseMove(gfx::TShiftState, int, int) override {}
    void MouseUp(gfx::TMouseButton, gfx::TShiftState, int, int) override {}
    void MouseLeave() override {}
    bool MouseWheel(gfx::TShiftState, int, int, int) override { return false; }

private:
    const TDepthLadder& ladder_;
    raster::IPanelHost* host_ = nullptr;
};
