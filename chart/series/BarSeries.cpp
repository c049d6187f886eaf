// TBarSeries: vertical bars.
#include "chart/series/BarSeries.h"

#include "chart/engine/AxisPanel.h"

namespace kiv {

TBarSeries::TBarSeries() {
    YValues().SetName(KivConst::KivMsg_ValuesBar);
    YValues().SetOrder(loNone);
}

int TBarSeries::PointScreenX(int index) const {
    return BarPlace(XToScreen(PointX(index)));
}

int TBarSeries::PointScreenY(int index) const {
    return ValueEnd(PointY(index), index);
}

int TBarSeries::MarkLength(int) const {
    return ParentChart() ? ParentChart()->Canvas().MeasureFontHeight() : 0;
}

void TBarSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    AddBarMargins(a, b);
}

void TBarSeries::VerticalMargins(int& a, int& b) const {
    TChartSeries::VerticalMargins(a, b);
    const int space = MarkSpace(-1);
    if (space <= 0) return;
    const bool inverted = ActiveVertAxis() && ActiveVertAxis()->Inverted();
    // Marks stand beyond the value end: below bars that grow downwards, above the others.
    if (UseYOrigin() && YValues().LowValue() < YOrigin()) (inverted ? a : b) += space + 1;
    if (!(UseYOrigin() && YValues().HighValue() <= YOrigin())) (inverted ? b : a) += space + 1;
}

} // namespace kiv
