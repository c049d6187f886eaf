#include "chart/series/LinePen.h"

#include "chart/engine/AxisPanel.h"

namespace kiv {

void UseLinePen(TCustomAxisPanel& chart, const TChartPen& pen) {
    TKivCanvas3D& canvas = chart.Canvas();
    canvas.UsePen(pen);
    if (chart.Printing() && pen.Visible() && pen.Width() == 1 && pen.Style() != psSolid)
        canvas.Pen().SetWidth(0);
}

} // namespace kiv
