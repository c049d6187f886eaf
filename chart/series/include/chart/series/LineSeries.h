// The three kinds of connected points: lines, points alone, and areas below a line.
#pragma once

#include "chart/series/CustomSeries.h"

namespace kiv {

// Points joined by a line; no pointers unless asked for.
class TLineSeries : public TCustomSeries {
public:
    TLineSeries();
    // From another kind the pointer is switched off; a line series always draws its line and
    // no area.
    void Assign(const TChartSeries& source) override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TLineSeries) || TCustomSeries::InheritsFrom(cls);
    }
};

// A pointer at each point and no line.
class TPointSeries : public TCustomSeries {
public:
    TPointSeries();
    // A point series always shows its pointers and draws no line or area.
    void Assign(const TChartSeries& source) override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TPointSeries) || TCustomSeries::InheritsFrom(cls);
    }
};

enum TMultiArea { maNone, maStacked, maStacked100 };

// The area between a line and the bottom of the plot, or, stacked, the area series before it.
class TAreaSeries : public TCustomSeries {
public:
    TAreaSeries();
    // An area series always draws its area and line.
    void Assign(const TChartSeries& source) override;

    TMultiArea MultiArea() const { return multiArea_; }
    // Every area series of the chart takes the value.
    void SetMultiArea(TMultiArea value);

    int AreaBottom(int index) const override;
    int PointScreenY(int index) const override;
    double HighestY() const override;
    double LowestY() const override;
    // Stacked areas share the chart's highest depth order.
    void AssignZOrder() override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TAreaSeries) || TCustomSeries::InheritsFrom(cls);
    }

private:
    // Y of the point's upper edge in the stacked modes: on top of the series before it, or as a
    // percentage of the total at its index (nullopt when that total is 0).
    bool StackedValue(int index, double& value) const;

    TMultiArea multiArea_ = maNone;
};

} // namespace kiv
