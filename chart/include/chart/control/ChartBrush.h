// The brush of chart parts (titles, legend, walls): colour AutoColor unless set.
#pragma once

#include "chart/canvas/Brush.h"
#include "chart/engine/Settings.h"

#include <functional>

namespace kiv {

// A chart's brush: a brush that starts with the automatic colour and tells its owner of changes.
class TChartBrush : public TBrush {
public:
    explicit TChartBrush(std::function<void()> onChange = {}) {
        SetColor(AutoColor);
        OnChange = std::move(onChange);
    }
    TChartBrush(const TChartBrush&) = default;
    TChartBrush& operator=(const TChartBrush&) = default;
};

} // namespace kiv
