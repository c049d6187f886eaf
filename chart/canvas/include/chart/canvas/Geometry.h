// Pixel geometry of the chart engine: the platform's points, sizes and rectangles, and a point
// with depth.
#pragma once

#include "gfx/Geometry.h"

namespace kiv {

using gfx::TPoint;
using gfx::TRect;
using gfx::TSize;

// A point in the chart's 3D space, in pixels; z goes into the depth.
struct TPoint3D {
    int x = 0;
    int y = 0;
    int z = 0;
};

} // namespace kiv
