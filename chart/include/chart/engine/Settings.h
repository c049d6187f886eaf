// Colour sentinels of points and series, and library-wide settings.
#pragma once

#include "chart/canvas/Color.h"

namespace kiv {

// A point with this colour takes the series colour (or the palette colour of its index).
constexpr TColor AutoColor = 0x20000000;
// A null point: stored and counted, but skipped by marks and legend and may leave a gap.
constexpr TColor NoColor = 0x1FFFFFFF;

// Library-wide settings.
inline bool AxesBehindSeries = true;
constexpr int AxisClickTolerance = 3;
constexpr char LineSeparator = '\r';

} // namespace kiv
