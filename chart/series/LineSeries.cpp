// TLineSeries, TPointSeries and TAreaSeries: their defaults, copies and the stacked area.
#include "chart/series/LineSeries.h"

#include "chart/engine/AxisPanel.h"

#include <algorithm>
#include <typeinfo>

namespace kiv {

TLineSeries::TLineSeries() {
    drawLine_ = true;
    keepPointBeyondEdge_ = true;
    singlePointResult_ = false;
    Pointer().SetVisible(false);
}

void TLineSeries::Assign(const TChartSeries& source) {
    TCustomSeries::Assign(source);
    if (typeid(source) != typeid(TLineSeries)) Pointer().SetVisible(false);
    SetDrawArea(false);
    drawLine_ = true;
}

TPointSeries::TPointSeries() {
    drawLine_ = false;
    clickableLine_ = false;
    keepPointBeyondEdge_ = true;
    Marks().SetArrowLength(0);
}

void TPointSeries::Assign(const TChartSeries& source) {
    TCustomSeries::Assign(source);
    Pointer().SetVisible(true);
    SetDrawArea(false);
    drawLine_ = false;
}

TAreaSeries::TAreaSeries() {
    SetDrawArea(true);
    drawLine_ = true;
    keepPointBeyondEdge_ = true;
    singlePointResult_ = false;
    Pointer().SetVisible(false);
}

void TAreaSeries::Assign(const TChartSeries& source) {
    if (const auto* area = dynamic_cast<const TAreaSeries*>(&source)) multiArea_ = area->multiArea_;
    TCustomSeries::Assign(source);
    SetDrawArea(true);
    drawLine_ = true;
}

void TAreaSeries::SetMultiArea(TMultiArea value) {
    if (multiArea_ == value) return;
    multiArea_ = value;
    if (ParentChart())
        for (TChartSeries* s : ParentChart()->SeriesList())
            if (auto* area = dynamic_cast<TAreaSeries*>(s)) area->multiArea_ = value;
    RequestRepaint();
}

bool TAreaSeries::StackedValue(int index, double& value) const {
    value = PointY(index) + StackedOrigin(index, false);
    if (multiArea_ != maStacked100) return true;
    const double total = StackedOrigin(index, true);
    if (total == 0) return false;
    value = value * 100 / total;
    return true;
}

int TAreaSeries::PointScreenY(int index) const {
    if (multiArea_ == maNone) return TCustomSeries::PointScreenY(index);
    double value;
    return StackedValue(index, value) ? YToScreen(value) : 0;
}

int TAreaSeries::AreaBottom(int index) const {
    const int axisEnd = TCustomSeries::AreaBottom(index);
    if (multiArea_ == maNone) return axisEnd;
    const double origin = StackedOrigin(index, false);
    if (multiArea_ == maStacked) return std::min(YToScreen(origin), axisEnd);
    const double total = StackedOrigin(index, true);
    return total == 0 ? 0 : YToScreen(origin * 100 / total);
}

double TAreaSeries::HighestY() const {
    if (multiArea_ == maStacked100) return 100;
    double highest = TCustomSeries::HighestY();
    if (multiArea_ == maStacked)
        for (int i = 0, n = PointCount(); i < n; ++i)
            highest = std::max(highest, PointY(i) + StackedOrigin(i, false));
    return highest;
}

double TAreaSeries::LowestY() const {
    return multiArea_ == maStacked100 ? 0 : TCustomSeries::LowestY();
}

void TAreaSeries::AssignZOrder() {
    TCustomAxisPanel* chart = ParentChart();
    if (multiArea_ != maNone && chart && DepthOrder() == -1) {
        for (TChartSeries* s : chart->SeriesList()) {
            if (s == this) break;
            if (s->Active() && dynamic_cast<TAreaSeries*>(s)) {
                autoDepthOrder_ = chart->MaxZOrder();
                return;
            }
        }
    }
    TCustomSeries::AssignZOrder();
}

} // namespace kiv
