#include "chart/functions/Add.h"

#include "chart/engine/Series.h"

namespace kiv {

double TAddKivFunction::CalculateRange(const TChartSeries& source, int first, int last) const {
    const TChartValueList& list = OperandList(source);
    if (first == -1) return list.Sum();
    double sum = 0;
    for (int i = first; i <= last; ++i) sum += list.ValueAt(i);
    return sum;
}

double TAddKivFunction::CalculateAcross(const std::vector<TComponent*>& sources, int index) const {
    double sum = 0, v;
    for (const TComponent* c : sources)
        if (OperandAt(c, index, v)) sum += v;
    return sum;
}

} // namespace kiv
