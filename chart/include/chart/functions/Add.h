// The sum of a source's points per period, or of several sources' values at each index.
#pragma once

#include "chart/engine/Function.h"

namespace kiv {

// The sum of the sources' values at each point, or of each period of one source.
class TAddKivFunction : public TKivFunction {
public:
    double CalculateRange(const TChartSeries& source, int first, int last) const override;
    // The sources that have the index contribute; 0 when none has.
    double CalculateAcross(const std::vector<TComponent*>& sources, int index) const override;
};

} // namespace kiv
