// Pixel geometry of the chart engine: the platform's points, sizes and rectangles, and a point
// with depth.
#pragma once

#include "gfx/Geometry.h"

namespace kiv {

using gfx::TPoint;
using gfx::TRect;
using gfx::TSize;

struct TPoint3D {
    int x = 0;
    int y = 0;
    int z = 0;
};

} // namespace kiv
