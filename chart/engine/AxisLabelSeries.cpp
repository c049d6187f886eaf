// TCustomChartAxis: the labels of one drawing pass (default, logarithmic, custom, series and
// depth labels) and the tick list they fill. Every loop here ends for every range, increment
// and event handler, and the tick list never grows past its capacity.

#include "chart/engine/Axis.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kiv {

namespace {

// Default labels stop well before this many steps even when stepping down by the increment no
// longer moves by a whole increment.
constexpr int MaxLabelSteps = 20000;

} // namespace

void TCustomChartAxis::DrawLabels(double increment, TDateTimeStep step) {
    chart_->ApplyTextFont(labelsFont_);
    labelsFontHeight_ = chart_->FontHeight();
    TKivCanvas3D& canvas = chart_->Canvas();
    canvas.Brush().SetColor(chart_->Color());
    canvas.Brush().SetStyle(bsClear);
    if (chart_->Printing() && ColorToRGB(canvas.Font().Color()) == clWhite)
        canvas.Font().SetColor(clBlack);
    switch (EffectiveLabelStyle()) {
    case talValue:
        if (chart_->OnGetNextAxisLabel)
            DrawCustomLabels(increment, step);
        else if (logarithmic_ && increment_ == 0)
            DrawLogarithmicLabels();
        else
            DrawDefaultLabels(increment, step);
        break;
    case talMark:
        DrawSeriesLabels(true);
        break;
    case talText:
        if (depth_)
            DrawDepthLabels();
        else
            DrawSeriesLabels(false);
        break;
    default:
        break;
    }
}

void TCustomChartAxis::DrawDefaultLabels(double increment, TDateTimeStep step) {
    // Also skips a range or increment that is not a number.
    if (!(std::fabs(rangeSpan_ / increment) < 10000)) return;
    double v;
    if (dateTimeMode_ && exactDateTime_ && step != dtNone && step > dtTwelveHours)
        v = RoundDateToStep(step, rangeMax_);
    else if (rangeMin_ == rangeMax_)
        v = rangeMax_;
    else if (roundFirstLabel_)
        v = std::trunc(rangeMax_ / increment) * increment;
    else
        v = rangeMax_;
    // A step that no longer lowers the value (a huge value and a small increment) ends the
    // labels instead of repeating one forever.
    auto stepDown = [&](double& value) {
        const double next = StepDateTime(false, value, step, increment);
        if (!(next < value)) return false;
        value = next;
        return true;
    };
    int steps = 0;
    while (v > rangeMax_)
        if (++steps > MaxLabelSteps || !stepDown(v)) return;
    const double lower = (rangeMin_ - 1e-12) / 1.000000000001;
    while (v >= lower && ++steps <= MaxLabelSteps) {
        DrawValueLabel(v);
        if (!stepDown(v)) break;
    }
}

void TCustomChartAxis::DrawLogarithmicLabels() {
    if (rangeMin_ == rangeMax_) return;
    const double base = logarithmicBase_;
    double v;
    if (rangeMin_ > 0) {
        v = std::pow(base, std::nearbyint(std::log(rangeMin_) / std::log(base)));
    } else if (rangeMin_ < 0) {
        v = rangeMin_ = 1e-10;
    } else if (rangeMin_ == 0) {
        v = rangeMin_ = 0.1;
    } else {
        return; // not a number
    }
    rangeSpan_ = rangeMax_ - rangeMin_;
    // Powers of the base leave the finite numbers after a few hundred steps at most: a range
    // that reaches infinity ends there.
    while (v <= rangeMax_) {
        if (v >= rangeMin_) DrawValueLabel(v);
        const double next = v * base;
        if (!(next > v) || !std::isfinite(next)) break;
        v = next;
    }
}

void TCustomChartAxis::DrawCustomLabels(double increment, TDateTimeStep step) {
    // A copy: the handler may replace the chart's event while it runs.
    const TAxisOnGetNextLabel next = chart_->OnGetNextAxisLabel;
    double v = rangeMin_;
    bool stop = true;
    for (int i = 0; i <= MaxTicks; ++i) {
        next(this, i, v, stop);
        if (stop) {
            if (i > 0) return;
            if (logarithmic_ && increment_ == 0)
                DrawLogarithmicLabels();
            else
                DrawDefaultLabels(increment, step);
            return;
        }
        if (!(v >= rangeMin_ - 1e-7 && v <= rangeMax_ + 1e-7)) return;
        DrawValueLabel(v);
    }
}

void TCustomChartAxis::DrawValueLabel(double value) {
    const int p = ValueToPixel(value);
    if (!labelsOnAxis_ && !(p > startPixel_ && p < endPixel_)) return;
    if (!tickOnLabelsOnly_) AddTick(p);
    if (labels_) DrawLabelAt(p, LabelText(value));
}

void TCustomChartAxis::DrawSeriesLabels(bool markTexts) {
    std::vector<TChartSeries*> sources;
    int first = INT_MAX, last = -1;
    for (TChartSeries* s : chart_->SeriesList()) {
        if (!s->Active() || !s->IsOnAxis(this) || s->PointLabelCount() == 0) continue;
        sources.push_back(s);
        s->UpdateVisibleRange();
        if (s->FirstVisible() < 0) continue;
        first = std::min(first, s->FirstVisible());
        last = std::max(last, s->LastVisible());
    }
    if (last < 0) return;

    const bool runsAlong =
        horizontal_ != (labelsAngle_ == 90 || labelsAngle_ == 270); // widths, not heights
    bool drawnBefore = false;
    int64_t previous = 0, previousHalf = 0;
    for (int i = first; i <= last; ++i) {
        TChartSeries* source = nullptr;
        for (TChartSeries* s : sources)
            if (s->PointLabelCount() > i && s->PointCount() > i) {
                source = s;
                break;
            }
        if (!source) continue;
        std::string text = markTexts ? source->MarkText(i) : source->PointLabel(i);
        if (chart_->OnGetAxisLabel) chart_->OnGetAxisLabel(this, source, i, text);
        const double v = horizontal_ ? source->PointX(i) : source->PointY(i);
        if (!(v >= rangeMin_ && v <= rangeMax_)) continue;
        const int p = ValueToPixel(v);
        if (!tickOnLabelsOnly_) AddTick(p);
        if (!labels_) continue;
        int lines = 0;
        const int width = chart_->MeasureMultiLineText(text, lines);
        const int64_t size = runsAlong ? width : int64_t(labelsFontHeight_) * lines;
        int64_t half = size / 2;
        if (labelsSeparation_ != 0 && drawnBefore) {
            half = (size + int64_t(std::trunc(size * 0.02 * labelsSeparation_))) / 2;
            // Labels that would overlap the previous one are left out.
            const bool clear = p >= previous ? p - half >= previous + previousHalf
                                             : p + half <= previous - previousHalf;
            if (!clear) continue;
        }
        DrawLabelAt(p, text);
        drawnBefore = true;
        previous = p;
        previousHalf = half;
    }
}

void TCustomChartAxis::DrawDepthLabels() {
    if (chart_->CountActiveSeries() == 0) return;
    if (!std::isfinite(rangeMin_) || !std::isfinite(rangeMax_)) return;
    // One label per depth slot of the series; more than the tick list holds cannot be told
    // apart, so the loop ends there.
    const double from = std::trunc(rangeMin_);
    const double count = std::min(std::trunc(rangeMax_) - from + 1, double(MaxTicks));
    for (int k = 0; k < count; ++k) {
        const double i = from + k;
        const int p = ValueToPixel(rangeMax_ - i - 0.5);
        if (!tickOnLabelsOnly_) AddTick(p);
        if (!labels_) continue;
        const int index = i >= INT_MIN && i <= INT_MAX ? int(i) : -1;
        std::string text = chart_->SeriesLegendTitle(index);
        if (chart_->OnGetAxisLabel) chart_->OnGetAxisLabel(this, nullptr, index, text);
        DrawLabelAt(p, text);
    }
}

void TCustomChartAxis::DrawLabelAt(int position, std::string_view text) {
    if (tickOnLabelsOnly_) AddTick(position);
    if (depth_) {
        chart_->Canvas().DrawText3D(labelsPosition_, chart_->ChartRect().bottom, text, position);
    } else if (horizontal_) {
        DrawLines(position, labelsPosition_, text, labelsAngle_, labelsFontHeight_);
    } else {
        DrawLines(labelsPosition_, position, text, labelsAngle_, labelsFontHeight_);
    }
}

} // namespace kiv
