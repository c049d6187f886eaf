// An off-screen window for one panel client (a chart, or the tools over one): it paints the
// client into a Qt image of the given size and counts what the client asked of it.
#pragma once

#include "raster/PanelHost.h"
#include "raster/QtRasterDevice.h"

#include <memory>

class BenchPanelHost : public raster::IPanelHost {
public:
    BenchPanelHost(raster::IPanelClient& client, int width, int height)
        : device(width, height), client_(client) {
        client.SetHost(this);
    }
    ~BenchPanelHost() override { client_.SetHost(nullptr); }
    void Paint() { client_.Paint(device, {0, 0, device.Width(), device.Height()}); }
    void Invalidate() override { ++invalidated; }
    gfx::TSize ClientSize() const override { return {device.Width(), device.Height()}; }
    void SetCursor(gfx::TCursor) override {}
    raster::RasterDevice* WindowDevice() override { return &device; }
    void Present(const gfx::TRect&) override { ++presented; }
    void PaintNow() override { Paint(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int width, int height) override {
        return std::make_unique<raster::QtRasterDevice>(width, height);
    }
    void ReleaseClient() override {}

    raster::QtRasterDevice device;
    long invalidated = 0;
    long presented = 0;

private:
    raster::IPanelClient& client_;
};
