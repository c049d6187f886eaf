// TChartSeries: random sample values, placed within what the chart's other series show.

#include "chart/engine/AxisPanel.h"
#include "chart/engine/SampleRandom.h"
#include "chart/engine/Series.h"

#include "rtl/DateTime.h"

#include <chrono>
#include <cmath>

namespace kiv {

TSampleRandom::TSampleRandom()
    : engine_(std::mt19937::result_type(
          std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}

int TSampleRandom::Below(int n) {
    if (n < 1) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(engine_);
}

namespace {

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

} // namespace

void TChartSeries::FillSampleValues(int numValues) {
    if (numValues <= 0) throw ChartException(KivConst::KivMsg_SampleNumValues);
    ClearPoints();
    TSampleRandom random;
    TCustomAxisPanel* chart = parentChart_;
    const bool wasAuto = chart && chart->AutoRepaint();
    auto restore = [&] {
        addingSamples_ = false;
        if (chart) chart->SetAutoRepaint(wasAuto);
    };
    if (chart) chart->SetAutoRepaint(false);
    addingSamples_ = true;
    try {
        AddSampleValues(numValues, random);
    } catch (...) {
        restore();
        RefreshLinked();
        throw;
    }
    restore();
    RefreshLinked();
    // The points went in while the chart did not listen: one request for all of them.
    if (active_) RequestRepaint();
}

void TChartSeries::AddSampleValues(int numValues, TSampleRandom& random) {
    double minY = 0, maxY = 1000, minX = 0, maxX = numValues - 1;
    if (xValues_->DateTime()) {
        minX = std::floor(rtl::Now());
        maxX = minX + numValues - 1;
    }
    if (parentChart_ && parentChart_->LongestSeriesCount() > 0 && activeHorizAxis_ &&
        activeVertAxis_) {
        double y0 = parentChart_->AxisRangeValue(activeVertAxis_, true, false);
        double y1 = parentChart_->AxisRangeValue(activeVertAxis_, false, false);
        double x0 = parentChart_->AxisRangeValue(activeHorizAxis_, true, true);
        double x1 = parentChart_->AxisRangeValue(activeHorizAxis_, false, true);
        if (y1 == y0) y1 = y1 != 0 ? 2 * y0 : 1000;
        if (x1 == x0) x1 = x1 != 0 ? 2 * x0 : numValues;
        // Other series with values that are not numbers leave the plain bounds in place.
        if (AllFinite({x0, x1, y0, y1})) {
            minY = y0;
            maxY = y1;
            minX = x0;
            maxX = x1;
        }
    }
    double stepX = maxX - minX;
    if (numValues > 1) stepX /= numValues - 1;
    const double difY = std::clamp(maxY - minY, -2147483647.0, 2147483647.0);
    const int range = int(std::nearbyint(difY));
    double y = minY + random.Below(range);
    double x = minX;
    const int r = range / 4;
    for (int i = 0; i < numValues; ++i) {
        y = std::fabs(y + random.Below(r) - r / 2);
        AppendPoint(x, y);
        x += stepX;
    }
}

} // namespace kiv
