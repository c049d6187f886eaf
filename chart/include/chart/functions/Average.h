// The mean of a source's points per period, or of several sources' values at each index.
#pragma once

#include "chart/engine/Function.h"

namespace kiv {

// The average of the sources' values at each point, or of each period of one source.
class TAverageKivFunction : public TKivFunction {
public:
    // 0 for an empty source or an empty range.
    double CalculateRange(const TChartSeries& source, int first, int last) const override;
    // The mean over the sources that have the index; 0 when none has.
    double CalculateAcross(const std::vector<TComponent*>& sources, int index) const override;
};

} // namespace kiv
