#include "chart/functions/ManySeries.h"

namespace kiv {

double TManySeriesKivFunction::CalculateAcross(const std::vector<TComponent*>& sources,
                                               int index) const {
    double running = 0, v;
    bool started = false;
    for (const TComponent* c : sources) {
        if (!OperandAt(c, index, v)) continue;
        running = started ? CombineValues(running, v) : v;
        started = true;
    }
    return running;
}

} // namespace kiv
