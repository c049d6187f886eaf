// The highest and the lowest value of a source's points per period, or of several sources'
// values at each index.
#pragma once

#include "chart/engine/Function.h"

namespace kiv {

// Across sources both start from 0 and from the first source of the list: when that source
// lacks the index, a later value replaces 0 only when it lies beyond it.
class THighKivFunction : public TKivFunction {
public:
    double CalculateRange(const TChartSeries& source, int first, int last) const override;
    double CalculateAcross(const std::vector<TComponent*>& sources, int index) const override;
};

// The lowest of the sources' values at each point, or of each period of one source.
class TLowKivFunction : public TKivFunction {
public:
    double CalculateRange(const TChartSeries& source, int first, int last) const override;
    double CalculateAcross(const std::vector<TComponent*>& sources, int index) const override;
};

} // namespace kiv
