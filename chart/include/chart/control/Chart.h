// The chart control as a form places it.
#pragma once

#include "chart/control/CustomChart.h"

namespace kiv {

class TChart : public TCustomChart {
public:
    TChart() = default;
    ~TChart() override;
};

} // namespace kiv
