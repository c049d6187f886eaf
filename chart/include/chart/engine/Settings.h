// Colour sentinels of points and series, and library-wide settings.
#pragma once

#include "chart/canvas/Color.h"
#include "chart/procs/Settings.h"

namespace kiv {

// A point with this colour takes the series colour (or the palette colour of its index).
constexpr TColor AutoColor = 0x20000000;
// A null point: stored and counted, but skipped by marks and legend and may leave a gap.
constexpr TColor NoColor = 0x1FFFFFFF;

// A mark's arrow in its point's colour or in the chart's is drawn black (white on black).
inline bool MarkArrowContrast = true;

// Pixels around an axis line that still count as a click on the axis.
constexpr int AxisClickTolerance = 3;

} // namespace kiv
