// Functions: a series may compute its points from its sources through one.
#pragma once

#include "chart/procs/Component.h"

namespace kiv {

class TChartSeries;

enum TFunctionPeriodAlign { paFirst, paCenter, paLast };
enum TFunctionPeriodStyle { psNumPoints, psRange };

class TKivFunction : public TComponent {
public:
    TChartSeries* ParentSeries() const { return parentSeries_; }
    void SetParentSeries(TChartSeries* series) { parentSeries_ = series; }
    // Adds the function's result points for source to the parent series (already cleared).
    virtual void AddFunctionPoints(TChartSeries* source) = 0;

private:
    TChartSeries* parentSeries_ = nullptr;
};

} // namespace kiv
