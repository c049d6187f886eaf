// The pen lines of series are drawn with.
#pragma once

#include "chart/canvas/Pen.h"

namespace kiv {

class TCustomAxisPanel;

// Puts pen on the chart's canvas; a printing chart thins a one-pixel pen that is not solid to
// the finest line the printer draws.
void UseLinePen(TCustomAxisPanel& chart, const TChartPen& pen);

} // namespace kiv
