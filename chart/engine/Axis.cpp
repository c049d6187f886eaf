// TCustomChartAxis: properties, range, pixel placement and the value/pixel mappings.

#include "chart/engine/Axis.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include "rtl/DateTime.h"
#include "rtl/Format.h"
#include "rtl/FormatFloat.h"

#include <cmath>
#include <cstdint>
#include <utility>

namespace kiv {

namespace {

constexpr double MaxPixelOffset = 2147483647.0;

// Real to pixel: nearest, halves to even.
int64_t RoundToPixel(double v) {
    // Adding and taking away 1.5 * 2^52 rounds v to an integer by the current rounding mode, as
    // nearbyint does, without a library call (callers keep |v| below 2^31).
    constexpr double magic = 6755399441055744.0;
    return int64_t((v + magic) - magic);
}

// A pixel offset; one too far for int lands beyond the pixel bound on its own side, so a value far
// outside the axis range maps past the axis end instead of into the plot.
int64_t OffsetToPixel(double t) {
    if (std::fabs(t) < MaxPixelOffset) return RoundToPixel(t);
    return t > 0 ? int64_t(1) << 32 : -(int64_t(1) << 32);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Title

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis)
    : axis_(axis), angle_(axis->DefaultTitleAngle()) {
    font_.OnChange = [this] { Changed(); };
}

void TChartAxisTitle::Changed() const {
    if (axis_->ParentChart()) axis_->ParentChart()->Invalidate();
}

void TChartAxisTitle::SetAngle(int value) {
    if (value < 0 || value > 360)
        throw ChartException(rtl::Format(KivConst::KivMsg_AngleRange,
                                         {std::string_view(KivConst::KivMsg_AxisTitle)}));
    if (angle_ == value) return;
    angle_ = value;
    Changed();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
    if (caption_ == value) return;
    caption_ = value;
    Changed();
}

void TChartAxisTitle::Assign(const TChartAxisTitle& source) {
    angle_ = source.angle_;
    caption_ = source.caption_;
    font_.Assign(source.font_);
    Changed();
}

// ---------------------------------------------------------------------------------------------
// Construction and properties

TCustomChartAxis::TCustomChartAxis(TCustomAxisPanel* chart, bool horizontal, bool otherSide,
                                   bool depth, int defaultTitleAngle)
    : chart_(chart), horizontal_(horizontal), otherSide_(otherSide), depth_(depth),
      defaultTitleAngle_(defaultTitleAngle), axisPen_([this] { Repaint(); }),
      grid_([this] { Repaint(); }), minorGrid_([this] { Repaint(); }),
      minorTicks_([this] { Repaint(); }), ticks_([this] { Repaint(); }),
      ticksInner_([this] { Repaint(); }), title_(this) {
    labelsFont_.OnChange = [this] { Repaint(); };
    if (chart_) chart_->RegisterAxis(this);
}

TCustomChartAxis::~TCustomChartAxis() {
    if (chart_) chart_->UnregisterAxis(this);
}

TChartDepthAxis::TChartDepthAxis(TCustomAxisPanel* chart)
    : TCustomChartAxis(chart, false, true, true, 0) {
    SetVisible(false);
}

void TCustomChartAxis::Repaint() const {
    if (chart_) chart_->Invalidate();
}

void TCustomChartAxis::SetAutomatic(bool value) {
    const bool loading = chart_ && chart_->Loading();
    if (automatic_ == value &&
        (loading || (automaticMinimum_ == value && automaticMaximum_ == value)))
        return;
    automatic_ = value;
    if (!loading) automaticMinimum_ = automaticMaximum_ = value;
    Repaint();
}

void TCustomChartAxis::SetAutomaticMinimum(bool value) {
    if (automaticMinimum_ == value) return;
    automaticMinimum_ = value;
    if (!value || automaticMaximum_) automatic_ = value;
    Repaint();
}

void TCustomChartAxis::SetAutomaticMaximum(bool value) {
    if (automaticMaximum_ == value) return;
    automaticMaximum_ = value;
    if (!value || automaticMinimum_) automatic_ = value;
    Repaint();
}

void TCustomChartAxis::SetIncrement(double value) {
    if (value < 0) throw AxisException(KivConst::KivMsg_AxisIncrementNegative);
    Store(increment_, value);
}

void TCustomChartAxis::SetLabelsAngle(int value) {
    if (value < 0 || value > 360)
        throw ChartException(rtl::Format(KivConst::KivMsg_AngleRange,
                                         {std::string_view(KivConst::KivMsg_AxisLabels)}));
    Store(labelsAngle_, value);
}

void TCustomChartAxis::SetLabelsSeparation(int value) {
    if (value < 0) throw AxisException(KivConst::KivMsg_AxisLabelSep);
    Store(labelsSeparation_, value);
}

void TCustomChartAxis::SetLogarithmicBase(int value) {
    if (value < 2) throw AxisException(KivConst::KivMsg_AxisLogBase);
    Store(logarithmicBase_, value);
}

void TCustomChartAxis::SetLogarithmic(bool value) {
    if (value && !logarithmic_) {
        if (HasDateTimeSeries()) throw AxisException(KivConst::KivMsg_AxisLogDateTime);
        RefreshRange();
        if (rangeMin_ < 0 || rangeMax_ < 0)
            throw AxisException(KivConst::KivMsg_AxisLogNotPositive);
    }
    Store(logarithmic_, value);
}

void TCustomChartAxis::SetMinimum(double value) {
    if (!(chart_ && chart_->Loading()) && value > maximum_)
        throw AxisException(KivConst::KivMsg_AxisMinMax);
    Store(minimum_, value);
}

void TCustomChartAxis::SetMaximum(double value) {
    if (!(chart_ && chart_->Loading()) && value < minimum_)
        throw AxisException(KivConst::KivMsg_AxisMaxMin);
    Store(maximum_, value);
}

void TCustomChartAxis::Assign(const TCustomChartAxis& s) {
    if (&s == this) return;
    automatic_ = s.automatic_;
    automaticMaximum_ = s.automaticMaximum_;
    automaticMinimum_ = s.automaticMinimum_;
    axisPen_.Assign(s.axisPen_);
    axisValuesFormat_ = s.axisValuesFormat_;
    dateTimeFormat_ = s.dateTimeFormat_;
    exactDateTime_ = s.exactDateTime_;
    grid_.Assign(s.grid_);
    gridCentered_ = s.gridCentered_;
    increment_ = s.increment_;
    inverted_ = s.inverted_;
    labels_ = s.labels_;
    labelsAngle_ = s.labelsAngle_;
    labelsFont_.Assign(s.labelsFont_);
    labelsMultiLine_ = s.labelsMultiLine_;
    labelsOnAxis_ = s.labelsOnAxis_;
    labelsSeparation_ = s.labelsSeparation_;
    labelsSize_ = s.labelsSize_;
    labelStyle_ = s.labelStyle_;
    logarithmic_ = s.logarithmic_;
    logarithmicBase_ = s.logarithmicBase_;
    maximum_ = s.maximum_;
    minimum_ = s.minimum_;
    minorGrid_.Assign(s.minorGrid_);
    minorTickCount_ = s.minorTickCount_;
    minorTickLength_ = s.minorTickLength_;
    minorTicks_.Assign(s.minorTicks_);
    startPosition_ = s.startPosition_;
    endPosition_ = s.endPosition_;
    positionPercent_ = s.positionPercent_;
    roundFirstLabel_ = s.roundFirstLabel_;
    tickInnerLength_ = s.tickInnerLength_;
    tickLength_ = s.tickLength_;
    tickOnLabelsOnly_ = s.tickOnLabelsOnly_;
    ticks_.Assign(s.ticks_);
    ticksInner_.Assign(s.ticksInner_);
    title_.Assign(s.title_);
    titleSize_ = s.titleSize_;
    visible_ = s.visible_;
    horizontal_ = s.horizontal_;
    otherSide_ = s.otherSide_;
    depth_ = s.depth_;
    Repaint();
}

// ---------------------------------------------------------------------------------------------
// Range

void TCustomChartAxis::SetRange(double min, double max) {
    if (min > max) std::swap(min, max);
    if (max - min < 1e-10) max = min + 1e-10;
    const bool changed =
        automatic_ || automaticMinimum_ || automaticMaximum_ || minimum_ != min || maximum_ != max;
    automatic_ = automaticMinimum_ = automaticMaximum_ = false;
    minimum_ = min;
    maximum_ = max;
    if (changed) Repaint();
}

void TCustomChartAxis::RefreshRange() {
    UpdateDateTimeMode();
    if (chart_) {
        if (automatic_ || automaticMinimum_)
            minimum_ = chart_->AxisRangeValue(this, true, horizontal_);
        if (automatic_ || automaticMaximum_)
            maximum_ = chart_->AxisRangeValue(this, false, horizontal_);
    }
    rangeMin_ = minimum_;
    rangeMax_ = maximum_;
    rangeSpan_ = rangeMax_ - rangeMin_;
}

bool TCustomChartAxis::HasDateTimeSeries() const {
    const TChartSeries* s = chart_ ? chart_->FirstActiveSeriesOn(this) : nullptr;
    if (!s) return false;
    return horizontal_ ? s->XValues().DateTime() : s->YValues().DateTime();
}

void TCustomChartAxis::UpdateDateTimeMode() {
    dateTimeMode_ = HasDateTimeSeries();
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const {
    if (labelStyle_ != talAuto) return labelStyle_;
    if (!chart_) return talNone;
    if (depth_) {
        for (const TChartSeries* s : chart_->SeriesList()) {
            if (!s->Active()) continue;
            if (s->HasDepthValues() || s->HighestZ() != s->LowestZ()) return talValue;
        }
        return talText;
    }
    bool drawn = false;
    for (const TChartSeries* s : chart_->SeriesList()) {
        if (!s->Active() || !s->IsOnAxis(this)) continue;
        drawn = true;
        const bool alongAxis = horizontal_ == s->IsYPrimary();
        if (alongAxis && s->PointLabelCount() > 0 && !s->PointLabel(0).empty()) return talText;
    }
    return drawn ? talValue : talNone;
}

// Moves the range, as panning and the mouse wheel do.
void TCustomChartAxis::ScrollBy(double offset, bool checkLimits) {
    if (checkLimits) {
        if (offset == 0) return;
        if (offset > 0 && !(chart_ && chart_->AxisRangeValue(this, false, horizontal_) > maximum_))
            return;
        if (offset < 0 && !(chart_ && chart_->AxisRangeValue(this, true, horizontal_) < minimum_))
            return;
    }
    // A non-finite offset, or one that would overflow the range, would leave a range that no
    // later scroll or zoom could recover from.
    const double min = minimum_ + offset, max = maximum_ + offset;
    if (!std::isfinite(min) || !std::isfinite(max)) return;
    automatic_ = automaticMinimum_ = automaticMaximum_ = false;
    minimum_ = min;
    maximum_ = max;
    Repaint();
}

// ---------------------------------------------------------------------------------------------
// Pixels

void TCustomChartAxis::PlaceOnChart() {
    TRect r = chart_ ? chart_->ChartRect() : TRect{};
    const int origin = horizontal_ ? r.left : r.top;
    const int size = horizontal_ ? r.Width() : r.Height();
    // RoundPixel keeps absurd positions in int range, so the sums cannot overflow.
    startPixel_ = ClampPixel(int64_t(origin) + RoundPixel(size * 0.01 * startPosition_));
    endPixel_ = ClampPixel(int64_t(origin) + RoundPixel(size * 0.01 * endPosition_));
    pixelSize_ = ClampPixel(int64_t(endPixel_) - startPixel_);
    centerPixel_ = int((int64_t(startPixel_) + endPixel_) / 2);
}

void TCustomChartAxis::ApplyMargins(const TRect& margins) {
    const int a = horizontal_ ? margins.left : margins.top;
    const int b = horizontal_ ? margins.right : margins.bottom;
    if (a == 0 && b == 0) return;
    const int oldStart = startPixel_, oldEnd = endPixel_;
    startPixel_ = ClampPixel(int64_t(startPixel_) + a);
    endPixel_ = ClampPixel(int64_t(endPixel_) - b);
    pixelSize_ = ClampPixel(int64_t(endPixel_) - startPixel_);
    double newMin = PixelToValue(oldStart);
    double newMax = PixelToValue(oldEnd);
    if (newMin > newMax) std::swap(newMin, newMax);
    rangeMin_ = newMin;
    rangeMax_ = newMax;
    rangeSpan_ = rangeMax_ - rangeMin_;
    PlaceOnChart();
}

int TCustomChartAxis::LinearPixel(double value, bool xForm) const {
    if (rangeSpan_ == 0 || !std::isfinite(rangeSpan_)) return ClampValuePixel(centerPixel_);
    const double t = (value - rangeMin_) * pixelSize_ / rangeSpan_;
    if (std::isnan(t)) return ClampValuePixel(centerPixel_);
    const int64_t c = OffsetToPixel(t);
    if (xForm) return ClampValuePixel(inverted_ ? endPixel_ - c : startPixel_ + c);
    return ClampValuePixel(inverted_ ? startPixel_ + c : endPixel_ - c);
}

void TCustomChartAxis::ValuesToPixels(const double* values, int count, double multiplier,
                                      int* pixels) const {
    if (depth_ || logarithmic_ || rangeSpan_ == 0 || !std::isfinite(rangeSpan_)) {
        for (int i = 0; i < count; ++i) pixels[i] = ValueToPixel(values[i] * multiplier);
        return;
    }
    // LinearPixel of each value, with the axis' terms taken once. A multiplication by the
    // reciprocal of the span stands in for the division: it is off by a few units in the last
    // place at most, which changes the pixel only next to a tie of the rounding, where the
    // division is made after all. The pixels are LinearPixel's to the bit.
    const bool forward = horizontal_ != inverted_;
    const int64_t origin = forward ? startPixel_ : endPixel_;
    const double reciprocal = 1 / rangeSpan_;
    constexpr double magic = 6755399441055744.0;
    for (int i = 0; i < count; ++i) {
        const double a = (values[i] * multiplier - rangeMin_) * pixelSize_;
        double t = a * reciprocal;
        const double nearest = (t + magic) - magic;
        if (!(std::fabs(t) < MaxPixelOffset) ||
            !(0.5 - std::fabs(t - nearest) > 1e-12 * (std::fabs(t) + 1)))
            t = a / rangeSpan_;
        if (std::isnan(t)) {
            pixels[i] = ClampValuePixel(centerPixel_);
            continue;
        }
        const int64_t c = OffsetToPixel(t);
        pixels[i] = ClampValuePixel(forward ? origin + c : origin - c);
    }
}

int TCustomChartAxis::LogPixel(double value, bool xForm) const {
    const double lnMin = rangeMin_ > 0 ? std::log(rangeMin_) : 0;
    const double lnMax = rangeMax_ > 0 ? std::log(rangeMax_) : 0;
    const double span = lnMax - lnMin;
    if (span == 0 || !std::isfinite(span)) return ClampValuePixel(centerPixel_);
    if (value > 0) {
        const double b = inverted_ ? lnMax - std::log(value) : std::log(value) - lnMin;
        const double t = b * pixelSize_ / span;
        if (std::isnan(t)) return ClampValuePixel(centerPixel_);
        const int64_t c = OffsetToPixel(t);
        return ClampValuePixel(xForm ? startPixel_ + c : endPixel_ - c);
    }
    if (xForm) return ClampValuePixel(inverted_ ? endPixel_ : startPixel_);
    return ClampValuePixel(inverted_ ? startPixel_ : endPixel_);
}

int TCustomChartAxis::DepthPixel(double value) const {
    const int depth = chart_ ? chart_->DepthWidth() : 0;
    if (rangeSpan_ == 0 || !std::isfinite(rangeSpan_)) return depth / 2;
    const double t = depth * (inverted_ ? rangeMax_ - value : value - rangeMin_) / rangeSpan_;
    if (!(std::fabs(t) < MaxPixelOffset)) return depth / 2;
    return int(RoundToPixel(t));
}

int TCustomChartAxis::XValueToPixel(double value) const {
    if (depth_) return DepthPixel(value);
    return logarithmic_ ? LogPixel(value, true) : LinearPixel(value, true);
}

int TCustomChartAxis::YValueToPixel(double value) const {
    if (depth_) return DepthPixel(value);
    return logarithmic_ ? LogPixel(value, false) : LinearPixel(value, false);
}

int TCustomChartAxis::ValueToPixel(double value) const {
    return horizontal_ ? XValueToPixel(value) : YValueToPixel(value);
}

double TCustomChartAxis::PixelToValue(int pixel) const {
    const double d = inverted_ ? double(endPixel_) - pixel : double(pixel) - startPixel_;
    if (!logarithmic_) {
        if (pixelSize_ <= 0) return 0;
        const double t = d * rangeSpan_ / pixelSize_;
        return horizontal_ ? rangeMin_ + t : rangeMax_ - t;
    }
    // An inverted pixel range (negative size) maps by the same rule: d and the size change
    // sign together.
    const bool minAtStart = horizontal_ != inverted_;
    if (pixel == startPixel_) return minAtStart ? rangeMin_ : rangeMax_;
    if (pixel == endPixel_) return minAtStart ? rangeMax_ : rangeMin_;
    const double lnMin = rangeMin_ > 0 ? std::log(rangeMin_) : 0;
    const double lnMax = rangeMax_ > 0 ? std::log(rangeMax_) : 0;
    const double span = lnMax - lnMin;
    if (span == 0) return rangeMin_;
    if (pixelSize_ == 0) return 0;
    const double t = d * span / pixelSize_;
    return horizontal_ ? std::exp(lnMin + t) : std::exp(lnMax - t);
}

} // namespace kiv
