// The series a chart shows, in their list order.
#pragma once

#include <cstddef>
#include <vector>

namespace kiv {

class TChartSeries;
class TCustomAxisPanel;

// The series of a chart, in drawing order.
class TChartSeriesList {
public:
    explicit TChartSeriesList(TCustomAxisPanel* chart) : chart_(chart) {}
    int Count() const { return int(items_.size()); }
    TChartSeries* operator[](int index) const { return items_.at(size_t(index)); }
    int IndexOf(const TChartSeries* series) const;
    TCustomAxisPanel* Chart() const { return chart_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TCustomAxisPanel;
    TCustomAxisPanel* chart_;
    std::vector<TChartSeries*> items_;
};

} // namespace kiv
