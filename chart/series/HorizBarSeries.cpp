// THorizBarSeries: horizontal bars, the vertical ones laid on their side.
#include "chart/series/BarSeries.h"

#include "chart/engine/AxisPanel.h"
#include "chart/engine/SampleRandom.h"

#include <algorithm>
#include <cmath>

namespace kiv {

THorizBarSeries::THorizBarSeries() {
    XValues().SetName(KivConst::KivMsg_ValuesBar);
    XValues().SetOrder(loNone);
    YValues().SetOrder(loAscending);
}

int THorizBarSeries::PointScreenX(int index) const {
    return ValueEnd(PointX(index), index);
}

int THorizBarSeries::PointScreenY(int index) const {
    return BarPlace(YToScreen(PointY(index)));
}

void THorizBarSeries::AddSampleValues(int numValues, TSampleRandom& random) {
    double value = random.Below(1000);
    for (int i = 0; i < numValues; ++i) {
        value = std::fabs(value + random.Below(250) - 125);
        AppendPoint(value, i);
    }
}

int THorizBarSeries::MarkLength(int index) const {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return 0;
    int lines = 0;
    if (index >= 0) return chart->MeasureMultiLineText(MarkText(index), lines);
    int widest = 0;
    for (int i = 0, n = PointCount(); i < n; ++i)
        widest = std::max(widest, chart->MeasureMultiLineText(MarkText(i), lines));
    return widest;
}

void THorizBarSeries::VerticalMargins(int& a, int& b) const {
    TChartSeries::VerticalMargins(a, b);
    AddBarMargins(a, b);
}

void THorizBarSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    int space = MarkSpace(-1);
    if (space > 0) ++space;
    if (UseYOrigin() && XValues().LowValue() < YOrigin()) a += space;
    if (!(UseYOrigin() && XValues().HighValue() <= YOrigin())) {
        const bool inverted = ActiveHorizAxis() && ActiveHorizAxis()->Inverted();
        (inverted ? a : b) += space;
    }
}

} // namespace kiv
