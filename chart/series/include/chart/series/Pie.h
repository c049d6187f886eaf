// The pie: each point a slice whose angle is its share of the absolute total, with slices pulled
// out of the circle, small values merged into one "Other" slice, hatches, marks around the rim,
// and clicks answered by slice.
#pragma once

#include "chart/series/Circled.h"
#include "chart/series/ExplodedSlices.h"
#include "chart/series/PieOtherSlice.h"

#include <optional>
#include <vector>

namespace kiv {

// Radians counter-clockwise from the rotation origin.
struct TPieAngle {
    double FromAngle = 0;
    double MidAngle = 0;
    double ToAngle = 0;
};

// A pie series: a slice per value, some exploded, the small ones merged into an "Other" slice.
class TPieSeries : public TCircledSeries {
public:
    // The X value of the point that stands for the merged slice; its members have X = -1.
    static constexpr double OtherSliceMarker = 2147483647.0;

    TPieSeries();

    // Published properties
    bool Dark3D() const { return dark3D_; }
    void SetDark3D(bool value) { Store(dark3D_, value); }
    // Percent of the radius by which the largest slice is pulled out.
    int ExplodeBiggest() const { return explodeBiggest_; }
    void SetExplodeBiggest(int value);
    TPieOtherSlice& OtherSlice() { return otherSlice_; }
    void SetOtherSlice(const TPieOtherSlice& value) { otherSlice_ = value; }
    TChartPen& PiePen() { return piePen_; }
    void SetPiePen(const TChartPen& pen) { piePen_.Assign(pen); }
    TChartValueList& PieValues() const { return YValues(); }
    bool UsePatterns() const { return usePatterns_; }
    void SetUsePatterns(bool value) { Store(usePatterns_, value); }
    TExplodedSlices& ExplodedSlice() { return explodedSlice_; }

    // The slices of the last pass
    const std::vector<TPieAngle>& SliceAngles() const { return angles_; }
    bool HasExplodedSlice() const { return hasExplodedSlice_; }
    bool InOtherSlice(int index) const { return XValues().ValueAt(index) == -1; }

    void ComputeSliceAngles();
    // The exploded entry of the largest value becomes ExplodeBiggest.
    void ApplyExplodeBiggest();
    // The radii of a slice pulled out by its exploded entry.
    TPoint ExplodedRadii(int index) const;
    // How far a slice is moved out of the circle (x right, y up).
    TPoint ExplodeShift(int index) const;
    // How far a slice's middle lies from the direction away from the viewer.
    double BackDistance(int index) const;
    // The slice under (x, y), or -1.
    int SliceAt(int x, int y) const;
    // Horizontal, vertical, both diagonals, cross and diagonal cross, in turn.
    static TBrushStyle PatternForIndex(int index);

    // Before a pass the merged slice of the last one is replaced by a fresh one.
    void PrepareChartPass() override;
    void DrawVisiblePoints() override;
    void DrawPoint(int index) override;
    virtual void DrawSlice(int index);
    void DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    int PointScreenX(int index) const override;
    int HitTest(int x, int y) const override;

    int SampleCount() const override { return 8; }
    void SwapPoints(int a, int b) override;
    int LegendItemCount() const override;
    int LegendItemToIndex(int item) const override;
    TColor LegendSwatchColor(int item) const override;
    void PrepareLegendBrush(int item, TColor& background, TBrushStyle& style) override;
    void Assign(const TChartSeries& source) override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TPieSeries) || TCircledSeries::InheritsFrom(cls);
    }

protected:
    void AddSampleValues(int numValues, TSampleRandom& random) override;
    void EmptyLists() override;

private:
    const std::vector<int>& LegendIndexes() const;

    bool dark3D_ = true;
    int explodeBiggest_ = 0;
    TPieOtherSlice otherSlice_;
    TChartPen piePen_;
    bool usePatterns_ = false;
    TExplodedSlices explodedSlice_;

    std::vector<TPieAngle> angles_;
    bool hasExplodedSlice_ = false;
    TPoint arcStart_;
    // The legend's items: the index of each point outside the merged slice, and the changes
    // of the X values they were taken from.
    mutable std::vector<int> legendIndexes_;
    mutable std::optional<unsigned long long> legendIndexesOf_;
};

} // namespace kiv
