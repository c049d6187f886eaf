// TKivFunction: when a function runs, which ranges of its source it is asked about and where its
// results go.

#include "chart/engine/Function.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/Axis.h"
#include "chart/engine/AxisPanel.h"
#include "chart/engine/Series.h"

#include "rtl/Format.h"

#include <cmath>

namespace kiv {

void TKivFunction::CheckPeriod(double value) const {
    if (!(value >= 0) || !std::isfinite(value))
        throw ChartException(KivConst::KivMsg_FunctionPeriod);
}

void TKivFunction::SetPeriod(double value) {
    CheckPeriod(value);
    if (period_ == value) return;
    const double old = period_;
    period_ = value;
    try {
        Recalculate();
    } catch (const ChartException&) {
        // A period the source cannot be split into: keep the old one and its results.
        period_ = old;
        Recalculate();
        throw;
    }
}

void TKivFunction::SetPeriodAlign(TFunctionPeriodAlign value) {
    if (periodAlign_ == value) return;
    periodAlign_ = value;
    Recalculate();
}

void TKivFunction::SetPeriodStyle(TFunctionPeriodStyle value) {
    if (periodStyle_ == value) return;
    periodStyle_ = value;
    Recalculate();
}

void TKivFunction::Recalculate() {
    if (updating_ || !parentSeries_) return;
    if (TCustomAxisPanel* chart = parentSeries_->ParentChart()) chart->RebuildSeries(parentSeries_);
}

void TKivFunction::EndUpdate() {
    updating_ = false;
    Recalculate();
}

const TChartValueList& TKivFunction::OperandList(const TChartSeries& source) const {
    if (parentSeries_) {
        const std::string& name = parentSeries_->PrimaryValues().ValueSource();
        if (!name.empty()) return source.ValueListByName(name);
    }
    return source.PrimaryValues();
}

bool TKivFunction::OperandAt(const TComponent* source, int index, double& value) const {
    const auto* s = dynamic_cast<const TChartSeries*>(source);
    if (!s || index < 0) return false;
    const TChartValueList& list = OperandList(*s);
    if (index >= list.ItemCount()) return false;
    value = list.ValueAt(index);
    return true;
}

void TKivFunction::EmitPoint(const TChartSeries& source, double result, double x) {
    if (source.IsYPrimary())
        parentSeries_->AppendPoint(x, result);
    else
        parentSeries_->AppendPoint(result, x);
}

void TKivFunction::AddFunctionPoints(TChartSeries* source) {
    if (!source || !parentSeries_) return;
    TChartSeries& parent = *parentSeries_;
    const TChartValueList& list = source->IsYPrimary() ? source->XValues() : source->YValues();
    const int count = source->PointCount();
    if (parent.DataSources().size() > 1) {
        for (int i = 0; i < count; ++i) {
            const double r = CalculateAcross(parent.DataSources(), i);
            const double x = list.ValueAt(i);
            if (source->IsYPrimary())
                parent.AppendPoint(x, r, source->PointLabel(i));
            else
                parent.AppendPoint(r, x, source->PointLabel(i));
        }
    } else if (count > 0) {
        if (moving_) {
            const int p = RoundPixel(period_);
            for (int b = std::max(p, 1) - 1; b < count; ++b)
                EmitPoint(*source, CalculateRange(*source, std::max(b - p + 1, 0), b),
                          list.ValueAt(b));
        } else if (period_ != 0) {
            AddByPeriod(source, list);
        } else {
            AddWholeResult(source, list);
        }
    }
}

void TKivFunction::AddPeriodResult(TChartSeries* source, int first, int last, double x) {
    EmitPoint(*source, CalculateRange(*source, first, last), x);
}

void TKivFunction::AddWholeResult(TChartSeries* source, const TChartValueList& list) {
    const double r = CalculateRange(*source, -1, -1);
    TChartSeries& parent = *parentSeries_;
    if (!parent.SinglePointResult()) {
        EmitPoint(*source, r, list.LowValue());
        EmitPoint(*source, r, list.HighValue());
        return;
    }
    const double mid = (list.HighValue() - list.LowValue()) * 0.5 + list.LowValue();
    if (parent.IsYPrimary())
        parent.AppendPoint(mid, r);
    else
        parent.AppendPoint(r, mid);
}

void TKivFunction::AddByPeriod(TChartSeries* source, const TChartValueList& list) {
    if (periodStyle_ == psNumPoints)
        AddByNumPoints(source, list);
    else
        AddByRange(source, list);
}

namespace {

double AlignedX(TFunctionPeriodAlign align, double start, double end) {
    switch (align) {
    case paFirst:
        return start;
    case paLast:
        return end;
    default:
        return (start + end) * 0.5;
    }
}

} // namespace

void TKivFunction::AddByNumPoints(TChartSeries* source, const TChartValueList& list) {
    const int count = source->PointCount();
    // A period that rounds to no point at all still moves on by one, so the loop ends.
    const long long p = std::max(1, RoundPixel(period_));
    for (long long first = 0; first <= count - 1; first += p) {
        const long long last = first + p - 1;
        if (last >= count) break;
        const double x = AlignedX(periodAlign_, list.ValueAt(int(first)), list.ValueAt(int(last)));
        AddPeriodResult(source, int(first), int(last), x);
    }
}

void TKivFunction::AddByRange(TChartSeries* source, const TChartValueList& list) {
    const int count = source->PointCount();
    // Every period of the source's span gives a result, empty ones too: refuse a period that
    // would produce more of them than any chart can use before adding any.
    const double periods = (list.HighValue() - list.ValueAt(0)) / period_;
    if (!(periods <= double(MaxPeriods)))
        throw ChartException(rtl::Format(KivConst::KivMsg_FunctionPeriods, {int64_t(MaxPeriods)}));
    const TCustomChartAxis* axis = parentSeries_->ActiveHorizAxis();
    const TDateTimeStep step = TCustomChartAxis::FindDateTimeStep(period_);
    // Values that are not numbers lie in no period; the walk stops once it has passed as many
    // boundaries as the span and the points can need.
    const long long maxSteps = 2 * (periods > 0 ? (long long)periods : 0) + count + 2;
    double boundary = list.ValueAt(0);
    int first = 0;
    for (long long steps = 0; first <= count - 1 && steps < maxSteps; ++steps) {
        const double start = boundary;
        const double next =
            axis ? axis->StepDateTime(true, boundary, step, period_) : boundary + period_;
        // Beyond the resolution of a double the boundary stops moving: nothing more to split.
        if (!(next > boundary)) break;
        boundary = next;
        const double end = boundary - period_ * 0.001;
        int last = first;
        while (last < count - 1 && !(list.ValueAt(last + 1) >= boundary)) ++last;
        const double x = AlignedX(periodAlign_, start, end);
        if (list.ValueAt(first) < boundary) {
            AddPeriodResult(source, first, last, x);
            first = last + 1;
        } else {
            EmitPoint(*source, 0, x);
        }
    }
}

} // namespace kiv
