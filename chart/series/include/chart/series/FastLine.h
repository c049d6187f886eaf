// The fast line: one pen through the points, no pointers and no per-point colours, and a mode in
// which a new point is drawn onto the chart at once instead of repainting it.
#pragma once

#include "chart/engine/Series.h"

#include <vector>

namespace kiv {

// A line series drawn with one pen and nothing else, for many points.
class TFastLineSeries : public TChartSeries {
public:
    TFastLineSeries();

    // Published properties
    bool AutoRepaint() const { return autoRepaint_; }
    void SetAutoRepaint(bool value) { Store(autoRepaint_, value); }
    TChartPen& LinePen() { return linePen_; }
    const TChartPen& LinePen() const { return linePen_; }
    // Copies pen, and the series takes its colour.
    void SetLinePen(const TChartPen& pen);
    // The line pen takes the colour too.
    void SetSeriesColor(TColor value) override;

    void Assign(const TChartSeries& source) override;
    // Without AutoRepaint every point draws its own segment, so the points go in one by one.
    void AppendPoints(const double* x, const double* y, int count) override;
    void DrawVisiblePoints() override;
    void DrawPoint(int index) override;
    void DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawLegendSymbol(int item, const TRect& rect) override;
    // The point at (x, y), or the first point of the segment through it; -1 for none.
    int HitTest(int x, int y) const override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TFastLineSeries) || TChartSeries::InheritsFrom(cls);
    }

protected:
    // With AutoRepaint off the new point's segment is drawn at once, and neither the chart, the
    // dependent series nor OnAfterAdd hear of it.
    void PointAdded(int index) override;

private:
    void PrepareLinePen();

    bool autoRepaint_ = true;
    TChartPen linePen_;
    int lastDrawnX_ = 0, lastDrawnY_ = 0;
    // Pixels of the current pass, kept between passes.
    std::vector<int> pixelsX_, pixelsY_;
};

} // namespace kiv
