#include "chart/functions/Extremes.h"

#include "chart/engine/Series.h"

#include <functional>

namespace kiv {

namespace {

// The running value is replaced only by a value that beats it.
template <class Beats>
double RangeExtreme(const TChartValueList& list, int first, int last, Beats beats) {
    if (last < first) return 0;
    double running = list.ValueAt(first);
    for (int i = first + 1; i <= last; ++i) {
        const double v = list.ValueAt(i);
        if (beats(v, running)) running = v;
    }
    return running;
}

} // namespace

double THighKivFunction::CalculateRange(const TChartSeries& source, int first, int last) const {
    const TChartValueList& list = OperandList(source);
    return first == -1 ? list.HighValue() : RangeExtreme(list, first, last, std::greater<>());
}

double THighKivFunction::CalculateAcross(const std::vector<TComponent*>& sources, int index) const {
    double running = 0, v;
    for (size_t j = 0; j < sources.size(); ++j)
        if (OperandAt(sources[j], index, v) && (j == 0 || v > running)) running = v;
    return running;
}

double TLowKivFunction::CalculateRange(const TChartSeries& source, int first, int last) const {
    const TChartValueList& list = OperandList(source);
    return first == -1 ? list.LowValue() : RangeExtreme(list, first, last, std::less<>());
}

double TLowKivFunction::CalculateAcross(const std::vector<TComponent*>& sources, int index) const {
    double running = 0, v;
    for (size_t j = 0; j < sources.size(); ++j)
        if (OperandAt(sources[j], index, v) && (j == 0 || v < running)) running = v;
    return running;
}

} // namespace kiv
