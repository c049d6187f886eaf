#include "chart/functions/Average.h"

#include "chart/engine/Series.h"

namespace kiv {

double TAverageKivFunction::CalculateRange(const TChartSeries& source, int first, int last) const {
    const TChartValueList& list = OperandList(source);
    if (first == -1) return source.PointCount() == 0 ? 0 : list.Sum() / source.PointCount();
    if (last < first) return 0;
    double sum = 0;
    for (int i = first; i <= last; ++i) sum += list.ValueAt(i);
    return sum / (last - first + 1);
}

double TAverageKivFunction::CalculateAcross(const std::vector<TComponent*>& sources,
                                            int index) const {
    double sum = 0, v;
    int count = 0;
    for (const TComponent* c : sources)
        if (OperandAt(c, index, v)) {
            sum += v;
            ++count;
        }
    return count == 0 ? 0 : sum / count;
}

} // namespace kiv
