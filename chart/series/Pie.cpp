// TPieSeries: the points as slices, the merged slice of small values, and the legend's items.

#include "chart/series/Pie.h"

#include "chart/engine/AxisPanel.h"

#include <cmath>
#include <numbers>

namespace kiv {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// The chart does not ask for another frame while a pass rearranges the series it draws.
class TQuietChart {
public:
    explicit TQuietChart(TCustomAxisPanel* chart)
        : chart_(chart), was_(chart && chart->AutoRepaint()) {
        if (chart_) chart_->SetAutoRepaint(false);
    }
    ~TQuietChart() {
        if (chart_) chart_->SetAutoRepaint(was_);
    }
    TQuietChart(const TQuietChart&) = delete;
    TQuietChart& operator=(const TQuietChart&) = delete;

private:
    TCustomAxisPanel* chart_;
    bool was_;
};

} // namespace

void TExplodedSlices::SetValue(int index, int value) {
    if (index < 0) return;
    if (index >= Count()) values_.resize(size_t(index) + 1, 0);
    if (values_[size_t(index)] == value) return;
    values_[size_t(index)] = value;
    if (onChange_) onChange_();
}

void TExplodedSlices::Swap(int a, int b, int count) {
    if (Count() < count) values_.resize(size_t(count), 0);
    if (a < 0 || b < 0 || a >= Count() || b >= Count()) return;
    std::swap(values_[size_t(a)], values_[size_t(b)]);
}

TPieSeries::TPieSeries()
    : otherSlice_([this] { RequestRepaint(); }), piePen_([this] { StyleChanged(); }),
      explodedSlice_([this] { RequestRepaint(); }) {
    piePen_.Owner = this;
    XValues().SetName("");
    YValues().SetName(KivConst::KivMsg_ValuesPie);
    Marks().SetVisible(true);
    Marks().SetArrowLength(8);
    SetColorEachPoint(true);
}

void TPieSeries::SetExplodeBiggest(int value) {
    Store(explodeBiggest_, value);
    ApplyExplodeBiggest();
}

void TPieSeries::ApplyExplodeBiggest() {
    const TChartValueList& y = YValues();
    const int i = y.IndexOfValue(y.HighValue());
    if (i != -1) explodedSlice_.SetValue(i, explodeBiggest_);
}

void TPieSeries::PrepareChartPass() {
    TQuietChart quiet(ParentChart());
    TChartValueList& x = XValues();
    TChartValueList& y = YValues();
    if (y.Order() != loNone) y.SortByOrder();
    const int last = x.IndexOfValue(OtherSliceMarker);
    if (last != -1) DeletePoint(last);
    x.Renumber();
    double sum = 0;
    if (otherSlice_.Style() != poNone && y.AbsSum() > 0) {
        for (int j = 0, n = PointCount(); j < n; ++j) {
            const double v = y.ValueAt(j);
            const double c = otherSlice_.Style() == poBelowPercent ? v * 100 / y.AbsSum() : v;
            if (c < otherSlice_.Value()) {
                x.SetValueAt(j, -1);
                sum += v;
            }
        }
    }
    if (sum != 0) {
        AppendPoint(OtherSliceMarker, sum, otherSlice_.Text());
        // The merged values are counted once, in the merged slice.
        y.SetAbsSum(y.AbsSum() - sum);
    }
}

void TPieSeries::ComputeSliceAngles() {
    const TChartValueList& y = YValues();
    const int n = PointCount();
    // The total the slices reach, summed in their order so that the last one closes the
    // circle exactly; values that are not finite numbers get no room.
    double total = 0;
    for (int i = 0; i < n; ++i) {
        const double v = std::fabs(y.ValueAt(i));
        if (!InOtherSlice(i) && std::isfinite(v)) total += v;
    }
    if (!std::isfinite(total)) total = 0;
    const double k = total != 0 ? TwoPi / total : 0;
    angles_.resize(size_t(n));
    double running = 0, previous = 0;
    for (int i = 0; i < n; ++i) {
        TPieAngle& a = angles_[size_t(i)];
        a.FromAngle = previous;
        if (total == 0) {
            a.ToAngle = TwoPi;
        } else {
            const double v = std::fabs(y.ValueAt(i));
            if (!InOtherSlice(i) && std::isfinite(v)) running += v;
            a.ToAngle = running != total ? running * k : TwoPi;
            if (a.ToAngle - a.FromAngle > TwoPi) a.ToAngle = a.FromAngle + TwoPi;
        }
        a.MidAngle = (a.FromAngle + a.ToAngle) * 0.5;
        previous = a.ToAngle;
    }
}

int TPieSeries::PointScreenX(int index) const {
    if (XValues().ValueAt(index) == OtherSliceMarker) return 0;
    return TCircledSeries::PointScreenX(index);
}

void TPieSeries::AddSampleValues(int numValues, TSampleRandom& random) {
    for (int i = 0; i < numValues; ++i)
        AppendValue(random.Below(1000) + 1, KivConst::KivMsg_PieSamples[i % 8]);
}

void TPieSeries::EmptyLists() {
    TCircledSeries::EmptyLists();
    explodedSlice_.Clear();
}

void TPieSeries::SwapPoints(int a, int b) {
    TCircledSeries::SwapPoints(a, b);
    explodedSlice_.Swap(a, b, PointCount());
}

// The points outside the merged slice, in order; built again only after the X values changed,
// so a legend pass over n items costs O(n).
const std::vector<int>& TPieSeries::LegendIndexes() const {
    const TChartValueList& x = XValues();
    if (!legendIndexesOf_ || *legendIndexesOf_ != x.Changes()) {
        legendIndexes_.clear();
        for (int i = 0, n = PointCount(); i < n; ++i)
            if (!InOtherSlice(i)) legendIndexes_.push_back(i);
        legendIndexesOf_ = x.Changes();
    }
    return legendIndexes_;
}

int TPieSeries::LegendItemCount() const {
    return int(LegendIndexes().size());
}

int TPieSeries::LegendItemToIndex(int item) const {
    const std::vector<int>& indexes = LegendIndexes();
    return item >= 0 && item < int(indexes.size()) ? indexes[size_t(item)] : item;
}

TColor TPieSeries::LegendSwatchColor(int item) const {
    return PointColor(LegendItemToIndex(item));
}

void TPieSeries::PrepareLegendBrush(int item, TColor& background, TBrushStyle& style) {
    background = EffectiveCircleBackColor();
    if (usePatterns_) style = PatternForIndex(LegendItemToIndex(item));
}

TBrushStyle TPieSeries::PatternForIndex(int index) {
    static constexpr TBrushStyle patterns[] = {bsHorizontal, bsVertical, bsFDiagonal,
                                               bsBDiagonal,  bsCross,    bsDiagCross};
    return patterns[((index % 6) + 6) % 6];
}

void TPieSeries::Assign(const TChartSeries& source) {
    if (auto* p = dynamic_cast<const TPieSeries*>(&source)) {
        dark3D_ = p->dark3D_;
        usePatterns_ = p->usePatterns_;
        piePen_.Assign(p->piePen_);
        explodeBiggest_ = p->explodeBiggest_;
        otherSlice_ = p->otherSlice_;
    }
    TCircledSeries::Assign(source);
    SetColorEachPoint(true);
}

} // namespace kiv
