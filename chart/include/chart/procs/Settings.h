// The engine's global settings, with their values at start-up.
#pragma once

#include "chart/procs/Input.h"

namespace kiv {

// Axes are drawn before the series.
inline bool AxesBehindSeries = true;
// Clipping is allowed while printing, and while drawing a metafile.
inline bool ClipWhenPrinting = true;
inline bool ClipWhenMetafiling = true;
// Let the window system erase the chart's background before a paint.
inline bool EraseBackground = false;
// Fill the panel and draw its border while printing.
inline bool PrintPanelBackground = false;
// Separates the lines inside one text.
inline char LineSeparator = '\r';
// Animated zoom moves this fraction of the remaining way per step (3: a third).
inline double ZoomStepDivisor = 3.0;
// The button that drags a zoom rectangle, and the one that pans.
inline TMouseButton ZoomMouseButton = mbLeft;
inline TMouseButton PanMouseButton = mbRight;

} // namespace kiv
