// The chart control as a form places it.
#pragma once

#include "chart/control/CustomChart.h"

namespace kiv {

// The chart control: a chart with title, foot, walls, legend, axes and series.
class TChart : public TCustomChart {
public:
    TChart() = default;
    ~TChart() override;
};

} // namespace kiv
