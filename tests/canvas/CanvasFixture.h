// A canvas drawing unbuffered into a recording device, with helpers to start 2D and 3D frames.
#pragma once

#include "chart/KivCanvas.h"
#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

struct CanvasTest : ::testing::Test {
    raster::RecordingDevice dev{400, 300};
    kiv::TKivCanvas3D canvas;
    kiv::TView3DOptions options;

    void Begin2D(gfx::TRect bounds = {0, 0, 400, 300}) {
        canvas.SetBufferedDrawing(false);
        canvas.BeginDrawing(dev, &options, bounds, false);
        dev.Clear();
    }
    // A 3D frame with the chart rectangle (0, 0, 200, 100) and a depth of 20.
    void Begin3D(bool orthogonal, int zoom = 100) {
        options.SetOrthogonal(orthogonal);
        options.SetZoom(zoom);
        canvas.SetBufferedDrawing(false);
        canvas.BeginDrawing(dev, &options, {0, 0, 400, 300}, true);
        canvas.SetupProjection(20, {0, 0, 200, 100});
        dev.Clear();
    }
    std::vector<raster::Call> Drawing(const std::string& op) const { return dev.CallsOf(op); }
};
